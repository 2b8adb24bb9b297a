// The Windows-1252 code page: the editor's 8-bit text, byte by byte, against Unicode code points.
//
// Inside the model every std::string is Windows-1252. The five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 code points of the same value, so every byte survives
// a round trip.
#pragma once

// The Windows-1252 byte of one character; false when it has none.
bool CharToWin1252(char32_t ch, char& byte);
char32_t Win1252ToUnicode(unsigned char byte);
