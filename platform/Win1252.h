// Conversion between the editor's 8-bit Windows-1252 text and Qt's Unicode strings.
//
// Inside the model every std::string is Windows-1252; Qt strings appear only at the edges (widgets,
// file dialogs, the clipboard). The five bytes Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90,
// 0x9D) map to the C1 code points of the same value, so every byte survives a round trip.
#pragma once

#include <string>
#include <string_view>

class QString;
class QChar;

QString FromWin1252(std::string_view bytes);
// Characters with no Windows-1252 byte become '?'.
std::string ToWin1252(const QString& text);
// The Windows-1252 byte of one character; false when it has none.
bool CharToWin1252(char32_t ch, char& byte);
char32_t Win1252ToUnicode(unsigned char byte);
