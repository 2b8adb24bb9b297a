// Characters Windows-1252 lacks, held in the editor's 8-bit text as decimal references "&#N;", and the set of them a document remembers.
#pragma once

#include <cstddef>
#include <functional>
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
// "#" and "?", which would end it ("%23", "%3F"), "\", read as "/" ("%5C"), and "&", which would start
// a character reference ("%26"). Letters, blanks and "/" stay as an author types them.
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
