// The core routines define the code page.
bool CharToWin1252(char32_t ch, char& byte) { return Win1252ToUnicode(static_cast<unsigned char>(ch)) == ch; }
