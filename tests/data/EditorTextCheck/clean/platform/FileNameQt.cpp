// Names meet Qt here, as UTF-8.
QString FromFilePath(const std::string& name) { return QString::fromStdString(name); }
