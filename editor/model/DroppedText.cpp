// The filter that pasted and dropped HTML passes through.
#include "editor/model/DroppedText.h"

#include <string_view>
#include <utility>

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

void TDropObj::SetList(int kind, std::unique_ptr<TStringList> list, size_t length)
{
    kind &= 127;
    if (kind < 0 || kind >= kKinds)
        return;
    FLists[kind] = std::move(list);
    FLengths[kind] = length;
}

const TStringList* TDropObj::GetList(int kind) const
{
    kind &= 127;
    return kind >= 0 && kind < kKinds ? FLists[kind].get() : nullptr;
}

std::string TDropObj::Text(int kind) const
{
    const TStringList* list = GetList(kind);
    if (!list)
        return {};
    std::string text = list->Text();
    if (text.size() > FLengths[kind & 127])
        text.resize(FLengths[kind & 127]);
    return text;
}
