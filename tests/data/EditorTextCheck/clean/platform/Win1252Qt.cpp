// The gate: its own units may use the code page.
QString FromWin1252(std::string_view bytes) { return characterForByte(bytes, Win1252ToUnicode); }
QString FromEditorText(std::string_view text) { return FromWin1252(text); }
