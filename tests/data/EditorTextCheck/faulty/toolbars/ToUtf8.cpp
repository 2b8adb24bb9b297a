// UTF-8 bytes taken for the editor's text.
QByteArray read(const QString* text) { return text->toUtf8(); }
