// A field that shows the page's text through the code page.
void show(QLineEdit* edit, const std::string& value) { edit->setText(FromWin1252(value)); }
std::string read(const QLineEdit* edit) { return ToWin1252(edit->text()); }
// A comment may name FromWin1252(value).
void fine(QLineEdit* edit, const std::string& value) { edit->setText(FromEditorText(value)); }
