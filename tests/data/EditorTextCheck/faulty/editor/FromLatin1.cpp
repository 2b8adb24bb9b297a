// A Windows-1252 text read as Latin-1 loses the euro and the quotes.
QString shown(const std::string& text) { return QString::fromLatin1(text.c_str()); }
