// Only the painting units may show the text as the author sees it.
QString pattern(std::string_view text) { return FromShownText(text); }
