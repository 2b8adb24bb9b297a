// The painter's header is a file name's text, not the shown text of a line.
void draw(QPainter& p, std::string_view chars, const std::string& title) { p.drawText(0, 0, FromShownText(chars) + FromWin1252(title)); }
