// Qt's path calls outside the gate.
std::string home() { return QFile::encodeName(QDir::homePath()).toStdString(); }
QString shown(const std::string& name) { return QFile::decodeName(QByteArray::fromStdString(name)); }
bool root(const QString& path) { return QDir(path).isRoot(); }
QString parent(const QString& path) { return QFileInfo(path).absolutePath(); }
