// The painter draws the text as shown.
void draw(QPainter& p, std::string_view chars) { p.drawText(0, 0, FromShownText(chars)); }
