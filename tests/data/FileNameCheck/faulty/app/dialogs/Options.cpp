// A name through Windows-1252, and a chosen file taken by hand.
void fill(QLineEdit* edit, const Config& config, QFileDialog& dialog)
{
    edit->setText(FromWin1252(config.LibraryDir + "/" + config.ModelFileName));
    config.Program = dialog.selectedFiles().front();
}

// A name taken as plain UTF-8 text, and the program's own path given back so.
QString library(const Config& config) { return QString::fromStdString(config.LibraryDir); }
std::string self() { return QCoreApplication::applicationFilePath().toStdString(); }
