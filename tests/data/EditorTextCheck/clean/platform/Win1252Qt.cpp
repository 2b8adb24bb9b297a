// The gate: its own units may use the code page.
QString FromWin1252(std::string_view bytes) { return characterForByte(bytes, Win1252ToUnicode); }
std::string ToWin1252(const QString& text) { return text.isEmpty() ? std::string() : std::string(1, '?'); }
QString FromEditorText(std::string_view text) { return FromWin1252(text); }
