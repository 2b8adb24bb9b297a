// A header of the gate's name in the faulty tree is the gate too: nothing here is named.
QString FromFilePath(std::string_view path) { return QFile::decodeName(QByteArray(path)); }
