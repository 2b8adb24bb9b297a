// Characters Windows-1252 lacks, held in the editor's 8-bit text as decimal references "&#N;", and the set of them a document remembers.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <string_view>

// The characters a document holds as references: those it was read with and those typed, pasted or
// dropped into it. Writing the document turns a reference to one of them back into the character;
// any other reference stays as it was typed.
class TCharacterReferences {
public:
    bool IsRemembered(char32_t cp) const { return FCodePoints.count(cp) != 0; }
    void Remember(char32_t cp) { FCodePoints.insert(cp); }
    void Clear() { FCodePoints.clear(); }
    size_t Count() const { return FCodePoints.size(); }
    bool Empty() const { return FCodePoints.empty(); }
    bool operator==(const TCharacterReferences&) const = default;

private:
    std::set<char32_t> FCodePoints;
};

// The reference a character is held as: "&#" its decimal code point ";".
std::string CharacterReference(char32_t cp);
// The length of the reference at text[pos] as CharacterReference writes it (no leading zero, a code
// point up to U+10FFFF) with its code point in `cp`; 0 when none starts there.
size_t ReadCharacterReference(std::string_view text, size_t pos, char32_t& cp);

// UTF-8 (the platform's text) as editor text: each character with a Windows-1252 byte as that byte,
// each other one as its reference, remembered in `references` when given. Malformed bytes become "?".
std::string Utf8ToEditorText(std::string_view utf8, TCharacterReferences* references);
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
