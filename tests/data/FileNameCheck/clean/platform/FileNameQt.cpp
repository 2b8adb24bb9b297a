// The gate itself may use every call.
QString FromFilePath(std::string_view path) { return QFile::decodeName(bytesOf(path)); }
std::string ToFilePath(const QString& path) { return QFile::encodeName(path).toStdString(); }
std::string FilePathOfUrl(const QUrl& url) { return ToFilePath(url.toLocalFile()); }
bool IsRootFolder(const std::string& path) { return QDir(FromFilePath(path)).isRoot(); }
