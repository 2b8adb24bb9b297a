// A held character becomes "?" on the way back.
QByteArray read(const QLineEdit* edit) { return edit->text().toLatin1(); }
