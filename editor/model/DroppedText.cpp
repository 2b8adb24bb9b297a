// The filter that pasted and dropped HTML passes through.
#include "editor/model/DroppedText.h"

#include <string_view>

namespace {

// The text from its first "<" on; unchanged when it has none.
void cutToFirstTag(std::string& text)
{
    size_t tag = text.find('<');
    if (tag != std::string::npos && tag > 0)
        text.erase(0, tag);
}

} // namespace

void FilterDroppedText(std::string& text, TSourceTypes sourceTypes)
{
    if (!(sourceTypes & stHTML) || (sourceTypes & stNoFilter))
        return;
    if (sourceTypes & stStripHeader) {
        cutToFirstTag(text);
        return;
    }
    if (!(sourceTypes & stFragment))
        return;
    cutToFirstTag(text);
    constexpr std::string_view start(kStartFragment), end(kEndFragment);
    size_t from = text.find(start);
    if (from == std::string::npos)
        return;
    from += start.size();
    size_t to = text.find(end, from);
    if (to == std::string::npos)
        return;
    text = text.substr(from, to - from);
}
