// Fields take the editor's text through its gate; a comment may name FromWin1252(text).
void show(QLineEdit* edit, const std::string& value) { edit->setText(FromEditorText(value)); }
std::string read(const QLineEdit* edit) { return ToEditorText(edit->text()); } // not ToWin1252(edit->text())
QString caption() { return LoadResQString(kCaption); }
