// A QString made of 8-bit text reads it as UTF-8.
QString shown(const char* text) { return QString(text); }
