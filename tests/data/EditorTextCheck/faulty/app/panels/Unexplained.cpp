// A marker must say why.
void show(QLabel* label, const std::string& name) { label->setText(QString::fromStdString(name)); } // Not editor text:
