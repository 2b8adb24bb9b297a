// Auto-correction's places: running text only, told by the colouring's token values.
#include "app/model/AutoCorrection.h"

#include <algorithm>

#include "app/model/EditorKind.h"
#include "platform/core/SysUtils.h"

namespace {

// Running text carries token value 0 in every language the program ships; tags, attribute names and
// values, entities, comments, links, script and style sheet text all have values of their own. (Blanks
// inside a tag are 0 too, but no word is made of blanks.)
constexpr char kRunningText = 0;

} // namespace

bool AutoCorrectsWord(int kind, const std::string& fileName, std::string_view tokens)
{
    // A style sheet is coloured as plain text, so its kind alone would not keep its words as typed.
    if (kind == ekJavaScript || SameText(ExtractFileExt(fileName), ".css"))
        return false;
    // Without colouring nothing tells a page's text from its tags.
    if (kind != ekHTML && kind != ekText)
        return false;
    return !tokens.empty() && std::all_of(tokens.begin(), tokens.end(), [](char t) { return t == kRunningText; });
}
