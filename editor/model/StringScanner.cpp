// A character cursor over a string.
#include "editor/model/StringScanner.h"

void TStringScanner::SetText(std::string_view text)
{
    FText.assign(text);
    FPosition = FText.empty() ? 0 : 1;
}
