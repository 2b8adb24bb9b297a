// Literals, empty strings, characters and bytes copied as they are convert no editor text; a comment
// may name QString::fromLatin1(text).
QString title() { return QString::fromUtf8("\xC3\x91and\xC3\xBA") + QLatin1String("x") + QString("y") + QString(); }
QString letter() { return QString(QChar('a')) + QLatin1StringView(u8"z") + QStringLiteral("w") + LoadResQString(kCaption); }
std::string path(const QListWidgetItem* item) { return item->data(kPathRole).toByteArray().toStdString(); }
QByteArray bytes(const std::string& path) { return QByteArray::fromStdString(path); }
void name(QObject* object, const char* name) { object->setObjectName(QLatin1String(name)); } // Not editor text: a control's name
void show(QLineEdit* edit, const std::string& value) { edit->setText(FromEditorText(value)); }
