// The locale's coding is no coding of the editor's text.
QString shown(const std::string& text) { return QString::fromLocal8Bit(text.data(), 3); }
