// Conversions of what is no file name, and names through the gate.
void show(const std::string& caption, const std::string& fileName)
{
    setWindowTitle(FromWin1252(caption));
    // A comment may name url.toLocalFile() and QFile::decodeName.
    label->setText(FromWin1252(FilePathText(fileName)));
    edit->setText(FromFilePath(fileName));
    QDir::Filters filters = QDir::AllDirs | QDir::NoDotAndDotDot;
    button->setObjectName(QString::fromStdString(name));
    const std::string bytes = item->data(kPathRole).toByteArray().toStdString();
    const std::string font = ToWin1252(box->currentText()); int a[2]; a[0] = 1;
}
