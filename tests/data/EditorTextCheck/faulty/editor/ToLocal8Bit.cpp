// The locale's coding on the way back.
QByteArray read(const QString& text) { return text.toLocal8Bit(); }
