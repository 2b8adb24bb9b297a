// The style library the style sheet dialog edits.
#include "app/model/StyleLibrary.h"

#include <algorithm>

#include "app/model/CssRule.h"
#include "app/model/libCSS.h"
#include "platform/core/Collation.h"
#include "platform/core/SysUtils.h"

void TStyleLibrary::Clear()
{
    FStrings.Clear();
    FSelectors.clear();
}

void TStyleLibrary::Load(std::string_view fileText)
{
    Clear();
    FStrings.SetText(CSSFormatRule(fileText));
    for (std::string& selector : CSSListSelectors(FStrings.Text()))
        addSelector(std::move(selector));
}

int TStyleLibrary::addSelector(std::string name)
{
    auto at = std::upper_bound(FSelectors.begin(), FSelectors.end(), name,
                               [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    at = FSelectors.insert(at, std::move(name));
    return static_cast<int>(at - FSelectors.begin());
}

int TStyleLibrary::IndexOf(std::string_view name) const
{
    for (size_t i = 0; i < FSelectors.size(); ++i)
        if (AnsiSameText(FSelectors[i], name))
            return static_cast<int>(i);
    return -1;
}

int TStyleLibrary::Store(const TCssRule& rule)
{
    std::string name = Trim(rule.eClass);
    if (name.empty())
        return -1;
    int index = IndexOf(name);
    if (index >= 0)
        FStrings.SetText(CSSRemoveRule(FStrings.Text(), name));
    else
        index = addSelector(name);
    FStrings.Add(rule.WriteStyle());
    return index;
}

void TStyleLibrary::Erase(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= FSelectors.size())
        return;
    FStrings.SetText(CSSRemoveRule(FStrings.Text(), FSelectors[static_cast<size_t>(index)]));
    FSelectors.erase(FSelectors.begin() + index);
}

std::string TStyleLibrary::Normalise()
{
    FStrings.SetText(CSSFormatRule(FStrings.Text()));
    return FStrings.Text();
}
