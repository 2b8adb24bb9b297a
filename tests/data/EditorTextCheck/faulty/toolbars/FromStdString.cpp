// The editor's bytes read as UTF-8.
void show(QLabel* label, const std::string& text) { label->setText(QString::fromStdString(text)); }
