// A font may draw one code-page byte, but a family name is no such byte.
char32_t glyph(unsigned char ch) { return Win1252ToUnicode(ch); }
std::string family(const QFont& font) { return ToWin1252(font.family()); }
