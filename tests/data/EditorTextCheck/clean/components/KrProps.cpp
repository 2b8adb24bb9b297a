// A stored QChar as a one-character string.
std::string character(const QVariant& value) { return ToEditorText(QString(value.value<QChar>())); }
