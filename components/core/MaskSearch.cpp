// Wildcard masks: a mask is walked piece by piece, a run after "*" taking its first occurrence.
#include "components/core/MaskSearch.h"

#include "platform/core/SysUtils.h"

namespace {

bool hasWildcard(std::string_view mask)
{
    return mask.find_first_of("*?") != std::string_view::npos;
}

// Each "*" and "?" is a piece of its own; walking the mask in place saves cutting it into a list.
bool walkPieces(std::string_view name, std::string_view mask)
{
    size_t p = 0; // next character of the name
    bool star = false;
    size_t i = 0;
    while (i < mask.size()) {
        char c = mask[i];
        if (c == '?') {
            if (p >= name.size())
                return false;
            ++p;
            ++i;
        } else if (c == '*') {
            star = true;
            ++i;
        } else {
            size_t end = mask.find_first_of("*?", i);
            if (end == std::string_view::npos)
                end = mask.size();
            std::string_view run = mask.substr(i, end - i);
            if (star) {
                size_t at = name.find(run, p);
                if (at == std::string_view::npos)
                    return false;
                p = at + run.size();
                star = false;
            } else {
                if (name.substr(p, run.size()) != run)
                    return false;
                p += run.size();
            }
            i = end;
        }
    }
    return star || p == name.size();
}

} // namespace

void ParseMaskList(std::string_view masks, TStringList& list, bool widen, bool caseSensitive)
{
    list.Clear();
    if (masks.empty()) {
        list.Add("*");
        return;
    }
    std::string text(masks);
    for (char& c : text)
        if (c == ',')
            c = ';';
    if (text.back() != ';')
        text += ';';
    size_t start = 0;
    for (size_t semi = text.find(';'); semi != std::string::npos; semi = text.find(';', start)) {
        std::string piece = Trim(std::string_view(text).substr(start, semi - start));
        list.Add(caseSensitive ? piece : AnsiLowerCase(piece));
        start = semi + 1;
    }
    if (!widen)
        return;
    for (int i = 0; i < list.Count(); ++i) {
        std::string& mask = list[i];
        bool dot = mask.find('.') != std::string::npos;
        if (!hasWildcard(mask) && !dot)
            mask = "*" + mask + "*";
        else if (hasWildcard(mask) && !dot && mask.back() != '*')
            mask += '*';
    }
}

bool MatchesMask(std::string_view name, std::string_view mask, bool exact)
{
    if (mask == "*")
        return true;
    if (mask == "*.*")
        return name.find('.') != std::string_view::npos;
    // Checked before the plain-text rule, where an empty mask would otherwise be found in every name.
    if (mask.empty())
        return false;
    if (!hasWildcard(mask))
        return exact ? name == mask : name.find(mask) != std::string_view::npos;
    return walkPieces(name, mask);
}

bool MatchesMaskList(std::string_view name, const TStringList& masks, bool exact, bool caseSensitive)
{
    if (name.empty())
        return true;
    std::string folded = caseSensitive ? std::string(name) : AnsiLowerCase(name);
    for (int i = 0; i < masks.Count(); ++i)
        if (MatchesMask(folded, masks[i], exact))
            return true;
    return false;
}
