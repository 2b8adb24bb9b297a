// The tag table: the codes each command number inserts, and the item lists of the tool pages' drop-down buttons.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Classes.h"

// The codes of a command number whose codes never change. `Ctrl` tells whether the Ctrl flag is
// passed on (the codes may go on lines of their own) or passed as 0.
struct TTagCodes {
    int Tag;
    const char* Open;
    const char* Close;
    bool Ctrl;
};

// The fixed codes of `tag`; nullptr for a number whose codes are computed or that inserts nothing.
const TTagCodes* FixedTagCodes(int tag);

// Which handler a drop-down button's choice goes to: the item itself splits into codes
// (BtnMenuSelect), or the button's Tag picks the codes (BtnMenuTag).
enum class TDropDownHandler { Select, Tag };

// The items of a drop-down button as its menu shows them ("-" is a separator line, "..." marks
// where the selection goes), and their hints (empty, or one per item).
struct TDropDownList {
    std::string Button;
    TDropDownHandler Handler = TDropDownHandler::Select;
    // The button's Tag for the Tag handler, 0 otherwise.
    int Tag = 0;
    TStringList Items;
    TStringList Hints;
};

// The names of every tool-page button with a drop-down list, in page order.
const std::vector<std::string>& DropDownButtonNames();
// The list of the button `name`; an unknown name gives a list without items.
TDropDownList DropDownList(std::string_view name);

// The lists a right-button press puts into the line-break button (Tag 13) and the rule button
// (Tag 15) before its menu shows.
// The text's lines as a list shows them: a closing line break adds no empty line.
TStringList LinesOf(std::string_view text);

TStringList LineBreakItems();
TStringList RuleItems();
// The heading button's right-button list: "H1" to "H6".
TStringList HeadingItems();

// The menu texts of the special characters ("&&" shows one ampersand; "Espacio" is a hard blank).
TStringList SpecialCharacterCaptions();
// The URL schemes of the link menu, which go in at the caret as they stand.
TStringList URLSchemes();
