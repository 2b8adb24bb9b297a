// The local 8-bit coding of a name.
std::string shownName(const std::string& name) { return ToWin1252(QString::fromLocal8Bit(name.c_str())); }
