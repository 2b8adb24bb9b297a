// A text compared as Latin-1.
bool same(const QString& a, const char* b) { return a == QLatin1StringView(b, 3); }
