// UTF-8 bytes taken for the editor's text.
std::string read(const QLineEdit* edit) { return edit->text().toStdString(); }
