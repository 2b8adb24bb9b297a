// Palette files (".pal"): one named colour a line, "RRGGBB-Name", read into names, codes and the list items that stand for the colours.
#include "app/model/Palette.h"

#include <cstdint>

namespace {

constexpr size_t kCodeLength = 6;

// ASCII only: the names are Windows-1252 and the C library's case rules follow the locale.
char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isHexDigit(char c)
{
    const char u = upper(c);
    return (c >= '0' && c <= '9') || (u >= 'A' && u <= 'F');
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    return upper(c) - 'A' + 10;
}

} // namespace

bool ReadPaletteLine(std::string_view line, TPaletteColor& color)
{
    if (line.size() < kCodeLength)
        return false;
    for (size_t i = 0; i < kCodeLength; ++i)
        if (!isHexDigit(line[i]))
            return false;
    color.Code.assign(line.substr(0, kCodeLength));
    const size_t dash = line.find('-');
    color.Name = dash == std::string_view::npos ? std::string() : std::string(line.substr(dash + 1));
    const std::string& c = color.Code;
    color.Item = std::string("$00") + c.substr(4, 2) + c.substr(2, 2) + c.substr(0, 2);
    return true;
}

std::vector<TPaletteColor> ReadPalette(std::string_view text)
{
    std::vector<TPaletteColor> colors;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        TPaletteColor color;
        if (ReadPaletteLine(text.substr(start, end - start), color))
            colors.push_back(std::move(color));
        start = end;
        if (start < text.size() && text[start] == '\r')
            ++start;
        if (start < text.size() && text[start] == '\n')
            ++start;
    }
    return colors;
}

std::string PaletteItem(TColor color)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string item = "$";
    const auto value = static_cast<uint32_t>(color);
    for (int shift = 28; shift >= 0; shift -= 4)
        item += digits[(value >> shift) & 0xF];
    return item;
}

TColor PaletteItemColor(std::string_view item)
{
    if (item.size() < 2 || item.size() > 9 || item.front() != '$')
        return clBlack;
    uint32_t value = 0;
    for (char c : item.substr(1)) {
        if (!isHexDigit(c))
            return clBlack;
        value = value << 4 | static_cast<uint32_t>(hexValue(c));
    }
    return static_cast<TColor>(value);
}

int FindPaletteItem(const std::vector<std::string>& items, std::string_view item)
{
    for (size_t i = 0; i < items.size(); ++i) {
        const std::string& candidate = items[i];
        if (candidate.size() != item.size())
            continue;
        bool same = true;
        for (size_t k = 0; k < item.size() && same; ++k)
            same = upper(candidate[k]) == upper(item[k]);
        if (same)
            return static_cast<int>(i);
    }
    return -1;
}

int FindPaletteName(const std::vector<std::string>& names, std::string_view key)
{
    if (key.empty())
        return -1;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        // A held character is matched whole: its mark alone would match every other one.
        const bool same = key.size() == 1 ? !name.empty() && upper(name.front()) == upper(key.front())
                                          : name.starts_with(key);
        if (same)
            return static_cast<int>(i);
    }
    return -1;
}
