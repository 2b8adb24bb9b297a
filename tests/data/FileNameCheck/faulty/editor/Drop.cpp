// A dropped address converted by hand.
void drop(const QUrl& url, TStringList* files)
{
    files->Add(ToWin1252(url.toLocalFile()));
}

QUrl address(const std::string& path) { return QUrl::fromLocalFile(QString::fromUtf8(path.c_str())); }
