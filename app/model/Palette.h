// Palette files (".pal"): one named colour a line, "RRGGBB-Name", read into names, codes and the list items that stand for the colours.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Graphics.h"

struct TPaletteColor {
    // The text after the line's first "-"; empty when the line has none.
    std::string Name;
    // The line's first six characters, as written.
    std::string Code;
    // "$00BBGGRR": the colour as a hexadecimal literal, made from the code's digit pairs.
    std::string Item;
};

// The colour of one line; false for a line that cannot give one (shorter than six characters, or
// whose first six are not hexadecimal digits), which would leave an item no colour could be read from.
bool ReadPaletteLine(std::string_view line, TPaletteColor& color);
// The colours of a palette's text in line order; lines end at LF, CR LF or CR.
std::vector<TPaletteColor> ReadPalette(std::string_view text);

// The list item of a colour: "$" and its eight hexadecimal digits 00BBGGRR, in capitals.
std::string PaletteItem(TColor color);
// The colour an item stands for; black for a text that is no item.
TColor PaletteItemColor(std::string_view item);
// The first item equal to `item` without regard to case; -1 when none is.
int FindPaletteItem(const std::vector<std::string>& items, std::string_view item);
// The first name that starts with `key`, one character of the editor's text (a held one whole), ASCII
// letters compared without case; -1 when none does.
int FindPaletteName(const std::vector<std::string>& names, std::string_view key);
