// Characters Windows-1252 lacks, held in the editor's 8-bit text as decimal references "&#N;", and the set of them a document remembers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Win1252.h"

// In the editor's 8-bit text a character Windows-1252 lacks is held as a reference that begins with
// this mark instead of "&": the mark, "#", its decimal code point, ";" (HeldCharacter). The text
// shows the mark as "&", so the author sees "&#945;"; but only a reference that begins with the mark
// stands for its character (read from a file, typed, pasted or dropped as the character) and is
// written as the character, while one that begins with "&" was typed as such and stays as typed.
// Being part of the text, the mark goes wherever the text goes: edits, undo, the clipboard of the
// program, a drag, the text tools. A 0x1F from elsewhere (a file, the platform's text, a text handed
// to the edit-control messages) is the control character it is, "." as the others; a mark an edit
// cut from its held character begins none, and stands for the "&" it shows as.
constexpr char kHeldCharacterMark = static_cast<char>(kHeldCharacterMarkByte);

// The editor's text of a character Windows-1252 lacks: the mark, "#", its decimal code point, ";".
std::string HeldCharacter(char32_t cp);
// The most a held character takes: the mark, "#", seven digits and ";".
constexpr size_t kLongestHeldCharacter = 10;
// The length of the held character at text[pos] (as HeldCharacter writes it) with its code point in
// `cp`; 0 when none starts there: also where the number after a mark is of a character Windows-1252
// has (a control character included), or of a surrogate.
size_t ReadHeldCharacter(std::string_view text, size_t pos, char32_t& cp);
// Where the held character that text[at] lies inside of begins (a character after its mark), or
// npos: a cut at `at` would part that character's reference.
size_t HeldCharacterAround(std::string_view text, size_t at);
// A cut at `at` of a row starting at `from`, moved out of the held character it would part: back
// to the character's start, or past its end when the row begins with it, so that a row always takes
// a character. `at` itself when it parts none.
size_t CutBesideHeldCharacter(std::string_view text, size_t from, size_t at);
// Each mark in `text` that begins no held character becomes `with`: "&", what the editor shows it
// as, for the text handed out; ".", a control character as the line store takes it, for a text
// handed in from elsewhere.
void ReplaceStrayMarks(std::string& text, char with);
// The text with each held character as the reference the author would type ("&#945;"): what a file
// that cannot hold the character gets, and how the text reads when it is written so.
std::string HeldCharactersAsReferences(std::string_view text);

// The reference a character is held as: "&#" its decimal code point ";".
std::string CharacterReference(char32_t cp);
// The length of the reference at text[pos] as CharacterReference writes it (no leading zero, a code
// point up to U+10FFFF) with its code point in `cp`; 0 when none starts there.
size_t ReadCharacterReference(std::string_view text, size_t pos, char32_t& cp);

// UTF-8 (the platform's text) as editor text: each character with a Windows-1252 byte as that byte,
// each other one held (HeldCharacter). Malformed bytes become "?", and U+001F, whose byte is the
// mark, the "." the editor shows every control character as.
std::string Utf8ToEditorText(std::string_view utf8);
// A file name (the file system's bytes, UTF-8) as the program's Windows-1252 texts show it (a tab,
// the title, a menu, a message): each character as its byte, one Windows-1252 lacks as its reference,
// as the editor shows such characters; each byte that spells no UTF-8 character as the replacement
// character U+FFFD (its reference).
std::string FilePathText(std::string_view path);
// A file name as a page refers to it, in the page's text: characters as typed text holds them (those
// Windows-1252 lacks held); each byte that spells no UTF-8 character, and U+001F, as the address
// escape "%XX", which leads a browser, and PageReferencePath, to it.
std::string FilePathPageText(std::string_view path);
// FilePathPageText of a name that a page's address holds (a link, a picture, a frame): what a browser
// would read as something else is escaped too, so that the address leads to this name: "%" ("%25"),
// "#" and "?", which would end it ("%23", "%3F"), "\", read as "/" ("%5C"), "&", which would start
// a character reference ("%26"), '"', which would end the attribute ("%22"), and "<" and ">", which
// no address holds as they stand ("%3C", "%3E"). Letters, blanks and "/" stay as an author types them.
std::string FilePathPageAddress(std::string_view path);
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
// Editor text as UTF-8: each byte as its character (the mark as "&"), each held character as itself.
std::string EditorTextToUtf8(std::string_view text);
// The character the editor shows for a byte of its text: its Windows-1252 character, the mark of a
// held character as "&".
inline char32_t ShownCharacter(unsigned char byte)
{
    return byte == kHeldCharacterMarkByte ? U'&' : Win1252ToUnicode(byte);
}
