// A name through Windows-1252, and a chosen file taken by hand.
void fill(QLineEdit* edit, const Config& config, QFileDialog& dialog)
{
    edit->setText(FromWin1252(config.LibraryDir + "/" + config.ModelFileName));
    config.Program = dialog.selectedFiles().front();
}
