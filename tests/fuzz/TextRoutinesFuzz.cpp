// libFuzzer target: the HTML text routines over untrusted text (tag attributes, links, tags, letter case, paths, text tools, searches and the tag around a place).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/model/CodigosISO.h"
#include "app/model/TagComposer.h"
#include "app/model/libKestrima.h"
#include "app/model/libVeltran.h"
#include "app/model/mwIPos.h"
#include "platform/core/Classes.h"
#include "platform/core/Collation.h"

#include "FuzzCheck.h"

namespace {

bool wordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '#';
}

std::vector<std::string> linesOf(std::string_view text)
{
    std::vector<std::string> lines(1);
    for (char c : text) {
        if (c == '\r')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // The first byte picks a split and the options; the rest is the text and a pattern.
    const uint8_t control = data[0];
    const std::string_view all(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t split = all.size() * (control & 0x0F) / 16;
    const std::string_view text = all.substr(0, all.size() - split);
    const std::string_view pattern = all.substr(all.size() - split, std::min<size_t>(split, 64));

    TStringList names, values;
    const std::string tagName = ParseTagAttributes(text, names, values);
    check(names.Count() == values.Count());
    // The attribute grid writes the parts back: they read again as they were, unless a value holds
    // both kinds of quote (its double quotes are written as entities).
    bool bothQuotes = false;
    for (int i = 0; i < values.Count(); ++i)
        bothQuotes |= values[i].find('"') != std::string::npos && values[i].find('\'') != std::string::npos;
    if (!tagName.empty() && !bothQuotes) {
        TStringList again, againValues;
        check(ParseTagAttributes(ComposeTag(tagName, names, values, control & 0x20, control >> 6), again,
                                 againValues) == tagName);
        check(again.Text() == names.Text() && againValues.Text() == values.Text());
    }

    const std::string stripped = StripTags(text);
    check(stripped.size() <= text.size() && stripped.find('<') == std::string::npos);

    TStringList links;
    ExtractLinks(text, links);
    for (int i = 0; i < links.Count(); ++i) {
        check(!links[i].empty() && text.find(links[i]) != std::string_view::npos);
        // In the list's own order (the platform's collation), each link once.
        check(i == 0 || AnsiCompareStr(links[i - 1], links[i]) < 0);
    }

    for (int mode = 0; mode <= 4; ++mode)
        check(ApplyCaseMode(mode, text).size() == text.size());
    check(CapitalizeWords(text).size() == text.size());
    check(RemoveLineBreaks(text).size() <= text.size());

    for (int mode = 0; mode <= 2; ++mode)
        check(MakeRelativePath(pattern, text, mode).find('\\') == std::string::npos);
    IsTextFileExt(text);

    TCodigosISO codes;
    codes.LoadDefaults();
    for (int tool = 1; tool <= 11; ++tool) {
        const std::string result = ApplyTextTool(tool, text, control & 0x10, codes);
        check(tool == 8 || result.empty() || (result.back() != '\r' && result.back() != '\n'));
    }

    const int at = IPos(pattern, text);
    check(at == 0 || (at >= 1 && static_cast<size_t>(at) - 1 + pattern.size() <= text.size()));

    const TTextFinder finder(text, pattern, control & 0x20, control & 0x40, wordChar);
    const int from = static_cast<int>(control) % static_cast<int>(text.size() + 1);
    const int forward = finder.Forward(from);
    check(forward == -1 || (forward >= from && forward + finder.PatternLength() <= static_cast<int>(text.size())));
    const int backward = finder.Backward(from);
    check(backward == -1 || backward + finder.PatternLength() <= from);

    const std::vector<std::string> lines = linesOf(text);
    TTextPoint start, end;
    const TTextPoint caret{static_cast<int>(control % lines.size()), static_cast<int>(pattern.size())};
    if (FindTagBlock([&lines](int i) { return lines.at(static_cast<size_t>(i)); }, static_cast<int>(lines.size()),
                     caret, control & 0x80, start, end)) {
        check(start < end && lines.at(static_cast<size_t>(start.Line))[static_cast<size_t>(start.Column)] == '<');
    }
    return 0;
}
