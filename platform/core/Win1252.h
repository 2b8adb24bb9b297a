// The Windows-1252 code page: the editor's 8-bit text, byte by byte, against Unicode code points.
//
// Inside the model every std::string is Windows-1252. The five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 code points of the same value, so every byte survives
// a round trip. In the editor's text the control character 0x1F is the mark of a held character
// (CharacterReferences.h), which the editor shows as "&".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The byte that marks a held character in the editor's text.
constexpr unsigned char kHeldCharacterMarkByte = 0x1F;

// The Windows-1252 byte of one character; false when it has none.
bool CharToWin1252(char32_t ch, char& byte);
char32_t Win1252ToUnicode(unsigned char byte);

// Appends the UTF-8 form of a code point (up to U+10FFFF).
void AppendUtf8(std::string& out, char32_t cp);
// Decodes the multi-byte UTF-8 character at text[i]; returns its length, or 0 when no well-formed one
// starts there (an ASCII byte included). Overlong forms, surrogates and code points past U+10FFFF
// are not well-formed.
size_t DecodeUtf8(std::string_view text, size_t i, char32_t& cp);
