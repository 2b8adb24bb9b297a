// A hand-made conversion byte by byte.
void append(std::string& out, char c) { AppendUtf8(out, Win1252ToUnicode(static_cast<unsigned char>(c))); }
