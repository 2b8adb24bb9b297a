// TCodigosISO: the table of characters and the codes that stand for them, and the conversions between them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// Characters and their codes ("á" and "&aacute;"), in the order they were loaded: that order
// matters when encoding, since later entries see the codes that earlier ones produced.
class TCodigosISO {
public:
    // The region between these markers is never converted; the markers are found without regard to
    // the case of A-Z.
    static constexpr std::string_view kStartMarker = "<!--INI_OMITECHAR-->";
    static constexpr std::string_view kEndMarker = "<!--FIN_OMITECHAR-->";
    // No character may grow past this many bytes through the whole table: a library whose entries
    // feed one another could otherwise make encoding ask for more memory than there is.
    static constexpr size_t kMaxExpansion = 4096;

    // Empty: both conversions give their text back.
    TCodigosISO();

    // The 14 Spanish characters the program knows without a library.
    void LoadDefaults();
    // A library file; False when it cannot be read (the table is then as it was).
    bool LoadFromFile(const std::string& fileName);
    // A library's bytes: one entry a line, the first character and the trimmed rest as its code.
    // Lines without a code or starting with NUL are skipped. False, with the table unchanged, when
    // the entries would grow some character past kMaxExpansion.
    bool LoadFromText(std::string_view text);

    int Count() const { return static_cast<int>(FCodes.size()); }
    // The same entries in the same order: the same conversions.
    bool operator==(const TCodigosISO& other) const
    {
        return FCharacters == other.FCharacters && FCodes == other.FCodes;
    }
    char Character(int index) const { return FCharacters.at(static_cast<size_t>(index)); }
    const std::string& Code(int index) const { return FCodes.at(static_cast<size_t>(index)); }

    // Every code of the table ("&", letters, digits or "#", then ";", no longer than the longest
    // code) becomes its character (the first entry with that code, case counting). Any other "&" is
    // an ordinary character: the text after it is read on, so "AT&T se&ntilde;or" keeps its code.
    std::string CodesToChars(std::string_view text) const;
    // The character of the table's first entry with the code `code` (whole, "&aacute;"); false when
    // no entry has it.
    bool CharacterOf(std::string_view code, char& character) const;
    // Every entry in table order replaces its character by its code throughout the text.
    std::string CharsToCodes(std::string_view text) const;
    // The same conversions, leaving the protected regions and their markers as they are; a start
    // marker without an end marker protects the rest of the text.
    // With `sources`, each character of the result gets the offset in `text` of what it was read from
    // (and one more entry, the length of `text`). With `within`, the text starts inside a region (one
    // that a text before it left open, ProtectedAtEnd).
    std::string DecodeText(std::string_view text, std::vector<uint32_t>* sources = nullptr, bool within = false) const;
    // With `sources` and `within`, as for DecodeText.
    std::string EncodeText(std::string_view text, std::vector<uint32_t>* sources = nullptr, bool within = false) const;
    // True when the character at `at` lies in a protected region or its markers.
    bool Protects(std::string_view text, size_t at) const;
    // True when the end of `text` lies in a protected region (a start marker without its end
    // marker), the text starting in one when `within`: what a text that goes on after it starts in.
    bool ProtectedAtEnd(std::string_view text, bool within) const;
    // DecodeText without `sources`, the result taking the place of the text.
    void DecodeInPlace(std::string& text, bool within = false) const;
    // True when no character of the table is below 32 but TAB: no code holds one either, so decoding
    // and the line store's rewriting of control characters and line breaks can come in either order.
    bool PrintableCharacters() const;

private:
    bool assign(std::vector<char> characters, std::vector<std::string> codes);
    void appendDecoded(std::string& out, std::string_view text, size_t base, std::vector<uint32_t>* sources) const;
    // The length of the code at text[at] (an "&") with its character in `c`; 0 when none stands there.
    size_t codeAt(std::string_view text, size_t at, char& c) const;
    // The text with its codes decoded, written at `out`, which may be the text itself or lie before
    // it; the length written.
    size_t decodeInto(char* out, std::string_view text) const;
    template <typename Convert>
    std::string outsideRegions(std::string_view text, Convert convert, bool within) const;

    std::vector<char> FCharacters;
    std::vector<std::string> FCodes;
    // Derived on load: what each byte finally becomes after every entry, and each code's first entry.
    std::array<std::string, 256> FExpansion;
    std::array<bool, 256> FMapped{};
    std::unordered_map<std::string, char> FCharOfCode;
    size_t FLongestCode = 0;
};
