// A dropped address converted by hand.
void drop(const QUrl& url, TStringList* files)
{
    files->Add(ToWin1252(url.toLocalFile()));
}
