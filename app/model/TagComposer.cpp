// ComposeTag: a tag written back from its name and attribute rows.
#include "app/model/TagComposer.h"

#include <algorithm>

#include "platform/core/Classes.h"

namespace {

// Indentation is cut at this width: a caret far to the right would otherwise push the attributes
// off any screen.
constexpr int kMaxBlankRun = 80;

std::string blanks(int count)
{
    return std::string(static_cast<size_t>(std::clamp(count, 0, kMaxBlankRun)), ' ');
}

} // namespace

std::string QuoteAttributeValue(std::string_view value)
{
    if (value.find('"') == std::string_view::npos)
        return '"' + std::string(value) + '"';
    if (value.find('\'') == std::string_view::npos)
        return '\'' + std::string(value) + '\'';
    std::string escaped = "\"";
    for (const char c : value)
        escaped += c == '"' ? std::string_view("&quot;") : std::string_view(&c, 1);
    return escaped + '"';
}

std::string EscapePageText(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '&': escaped += "&amp;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string ComposeTag(std::string_view tagName, const TStringList& names, const TStringList& values,
                       bool onePerLine, int indent)
{
    std::string code = "<";
    code += tagName;
    for (int row = 0; row < names.Count(); ++row) {
        const std::string& name = names[row];
        if (name.empty())
            continue;
        if (onePerLine)
            code += "\r\n" + blanks(indent) + blanks(static_cast<int>(tagName.size()) + 1);
        code += ' ' + name;
        const std::string value = row < values.Count() ? values[row] : std::string();
        if (!value.empty())
            code += '=' + QuoteAttributeValue(value);
    }
    return code + '>';
}
