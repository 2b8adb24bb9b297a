// The unit may make a string of a QChar, not read a value as UTF-8.
std::string character(const QVariant& value) { return ToEditorText(QString(value.value<QChar>())); }
QString text(const std::string& value) { return QString::fromStdString(value); }
