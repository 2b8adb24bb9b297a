// Plain text routines of the side panel's tools: wildcard fields and their library file, style class codes, style library names and the explorer's masks.
#include "app/model/PanelItems.h"

#include "platform/core/Classes.h"
#include "platform/core/ProgramFileText.h"
#include "platform/core/SysUtils.h"

size_t WildcardFieldEnd(std::string_view text, size_t open)
{
    const size_t close = text.find("*}", open);
    return close == std::string_view::npos ? close : close + 2;
}

std::vector<std::string> ExtractWildcards(std::string_view text)
{
    std::vector<std::string> fields;
    for (size_t at = text.find("{*"); at != std::string_view::npos; at = text.find("{*", at)) {
        const size_t end = WildcardFieldEnd(text, at);
        if (end == std::string_view::npos)
            break;
        fields.emplace_back(text.substr(at, end - at));
        at = end;
    }
    return fields;
}

std::string WildcardName(std::string_view typed)
{
    std::string name = Trim(typed);
    for (char& c : name)
        if (c == ' ')
            c = '_';
    return name;
}

std::string WildcardField(std::string_view name)
{
    return std::string("{*").append(name).append("*}");
}

void ReadWildcardLibrary(const std::string& fileName, TStringList& names)
{
    WildcardNamesOf(ProgramFileText(ReadFileBytes(fileName)), names);
}

void WildcardNamesOf(std::string_view text, TStringList& names)
{
    TStringList lines;
    lines.SetText(text);
    names.Clear();
    names.SetSorted(true);
    for (int i = 0; i < lines.Count(); ++i) {
        int index = 0;
        if (!lines[i].empty() && !names.Find(lines[i], index))
            names.Add(lines[i]);
    }
}

void WriteWildcardLibrary(const std::string& fileName, const TStringList& names)
{
    WriteFileBytes(fileName, ProgramFileBytes(names.Text()));
}

void StyleClassCodes(std::string_view entry, bool attributeOnly, std::string& openCode, std::string& closeCode)
{
    const size_t dot = entry.find('.');
    closeCode.clear();
    // A class without a tag (".nota") has no element to open.
    if (dot == std::string_view::npos || dot == 0) {
        const std::string className(entry.substr(dot == 0 ? 1 : 0));
        openCode = Format(" CLASS=\"%s\"", className.c_str());
        return;
    }
    const std::string tag(entry.substr(0, dot));
    const std::string className(entry.substr(dot + 1));
    if (attributeOnly) {
        openCode = Format(" CLASS=\"%s\"", className.c_str());
        return;
    }
    openCode = Format("<%s CLASS=\"%s\">", tag.c_str(), className.c_str());
    closeCode = Format("</%s>", tag.c_str());
}

std::string StyleClassCode(std::string_view entry, bool attributeOnly)
{
    std::string openCode, closeCode;
    StyleClassCodes(entry, attributeOnly, openCode, closeCode);
    return openCode + closeCode;
}

std::string StyleLibraryName(std::string_view path)
{
    const std::string name = ExtractFileName(path);
    return name.substr(0, name.find('.'));
}

std::vector<std::pair<std::string, std::string>> FilterEntries(std::string_view filter)
{
    std::vector<std::pair<std::string, std::string>> entries;
    size_t at = 0;
    while (at <= filter.size()) {
        const size_t bar = filter.find('|', at);
        if (bar == std::string_view::npos)
            break;
        const size_t next = filter.find('|', bar + 1);
        const size_t end = next == std::string_view::npos ? filter.size() : next;
        entries.emplace_back(std::string(filter.substr(at, bar - at)), std::string(filter.substr(bar + 1, end - bar - 1)));
        at = end + 1;
    }
    return entries;
}
