// Characters Windows-1252 lacks, held in the editor's 8-bit text as decimal references "&#N;", and the set of them a document remembers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The characters a document holds as references: those it was read with and those typed, pasted or
// dropped into it, and where in the document's text such references stand. Writing the document
// turns the reference at one of those places back into the character; any other reference, also one
// to a remembered character, was typed as such and stays as typed.
class TCharacterReferences {
public:
    bool IsRemembered(char32_t cp) const { return FCodePoints.count(cp) != 0; }
    void Remember(char32_t cp) { FCodePoints.insert(cp); }
    void Clear()
    {
        FCodePoints.clear();
        FPlaces.clear();
    }
    size_t Count() const { return FCodePoints.size(); }
    bool Empty() const { return FCodePoints.empty(); }
    // Alike when they remember the same characters: the places belong to one text, not to the set.
    bool operator==(const TCharacterReferences& other) const { return FCodePoints == other.FCodePoints; }

    // A reference standing for its character: its offset in the text and its length.
    struct TPlace {
        uint32_t At = 0;
        uint32_t Length = 0;
        bool operator==(const TPlace&) const = default;
    };
    // The places, ascending and apart.
    const std::vector<TPlace>& Places() const { return FPlaces; }
    // The reference of `length` characters at `at` stands for its character.
    void AddPlace(size_t at, size_t length);
    void ClearPlaces() { FPlaces.clear(); }
    void SetPlaces(std::vector<TPlace> places) { FPlaces = std::move(places); }
    // The text was rewritten so that its character i came from offset sources[i] (ascending) of the
    // text the places were in: each place goes where its "&" went, and is lost when its reference
    // did not come through whole.
    void Follow(const std::vector<uint32_t>& sources, std::string_view text);
    // The text changed: `removed` characters at `start` gave way to `inserted` others. A reference
    // the change reached into is no longer the one it was and loses its place; the places after
    // the change move with their text.
    void Replaced(size_t start, size_t removed, size_t inserted);
    // A change of many stretches at once.
    struct TChange {
        size_t Start = 0; // where the stretch stood before any of the changes
        size_t Removed = 0;
        size_t Inserted = 0;
    };
    // The same for many stretches, ascending and apart, in one pass.
    void Replaced(const std::vector<TChange>& changes);
    // Which of the references the piece of text `text`, standing at `base` in the document's text,
    // holds ("&#N;" counted from its start, from 0) stand for their characters.
    std::vector<uint32_t> PlacesIn(std::string_view text, size_t base) const;
    // The references of `text` (at `base`) with the numbers `which` (as PlacesIn gives them) stand
    // for their characters.
    void Place(std::string_view text, size_t base, const std::vector<uint32_t>& which);

private:
    std::set<char32_t> FCodePoints;
    std::vector<TPlace> FPlaces;
};

// The reference a character is held as: "&#" its decimal code point ";".
std::string CharacterReference(char32_t cp);
// The length of the reference at text[pos] as CharacterReference writes it (no leading zero, a code
// point up to U+10FFFF) with its code point in `cp`; 0 when none starts there.
size_t ReadCharacterReference(std::string_view text, size_t pos, char32_t& cp);

// UTF-8 (the platform's text) as editor text: each character with a Windows-1252 byte as that byte,
// each other one as its reference, remembered in `references` when given. Malformed bytes become "?".
// With `made`, which of the result's references ("&#N;" counted from 0) stand for characters, as
// TCharacterReferences::PlacesIn numbers them; the others were in the text as references.
std::string Utf8ToEditorText(std::string_view utf8, TCharacterReferences* references,
                             std::vector<uint32_t>* made = nullptr);
// A file name (the file system's bytes, UTF-8) as the program's Windows-1252 texts show it (a tab,
// the title, a menu, a message): each character as its byte, one Windows-1252 lacks as its reference,
// as the editor shows such characters; each byte that spells no UTF-8 character as the replacement
// character U+FFFD (its reference).
std::string FilePathText(std::string_view path);
// A file name as a page refers to it, in the page's text: characters as typed text holds them (those
// Windows-1252 lacks as references, remembered in `references` when given); each byte that spells no
// UTF-8 character as the address escape "%XX", which leads a browser, and PageReferencePath, to it.
std::string FilePathPageText(std::string_view path, TCharacterReferences* references);
// FilePathPageText of a name that a page's address holds (a link, a picture, a frame): what a browser
// would read as something else is escaped too, so that the address leads to this name: "%" ("%25"),
// "#" and "?", which would end it ("%23", "%3F"), "\", read as "/" ("%5C"), "&", which would start
// a character reference ("%26"), and '"', which would end the attribute ("%22"). Letters, blanks and
// "/" stay as an author types them.
std::string FilePathPageAddress(std::string_view path, TCharacterReferences* references);
// The character a named reference ("&aacute;", given whole) stands for, as a Windows-1252 byte;
// false for a name the table does not hold. The program's entity table answers it.
using TNamedReferences = std::function<bool(std::string_view code, char& character)>;
// The file name (UTF-8 bytes) a reference of a page spells, as a browser reads it: the page's text is
// Windows-1252, a numeric reference stands for its character, a named one `named` knows for its
// character; of the characters, the address ends where a fragment ("#") or a query ("?") begins,
// "%XX" stands for the byte XX, and "\" separates folders as "/" does.
std::string PageReferencePath(std::string_view reference, const TNamedReferences& named = {});
// The bytes an address's text spells: "%XX" is the byte XX; a "%" without two hex digits after it
// stands for itself, as a browser reads it.
std::string DecodeAddressEscapes(std::string_view address);

constexpr char32_t kReplacementCharacter = 0xFFFD;
// Editor text as UTF-8: each byte as its character, each reference to a remembered character as the
// character itself.
std::string EditorTextToUtf8(std::string_view text, const TCharacterReferences* references);
// The editor text with each reference to a remembered character as `write` makes it (called with the
// code point); the rest as it stands. With no set or nothing remembered, the text itself.
template <typename Write>
std::string ReplaceRememberedReferences(std::string_view text, const TCharacterReferences* references, Write write)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        char32_t cp;
        const size_t length = references && !references->Empty() && text[i] == '&'
            ? ReadCharacterReference(text, i, cp) : 0;
        if (length && references->IsRemembered(cp)) {
            write(out, cp);
            i += length;
        } else {
            out += text[i++];
        }
    }
    return out;
}
