// The editor's bytes read as UTF-8.
QString shown(const QByteArray& bytes) { return QString::fromUtf8(bytes); }
