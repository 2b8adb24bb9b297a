// Stored property texts: locale-free floats, bracketed sets, references and stored-list lines.
#include "components/core/PropText.h"

#include <charconv>

#include "components/core/StrUtils.h"
#include "platform/core/SysUtils.h"

std::string StoredFloatText(double value, int precision)
{
    // to_chars never looks at the locale, so the separator is "." on every system.
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    return std::string(buffer, result.ptr);
}

bool ParseStoredFloat(std::string_view text, double& value)
{
    text = TrimView(text);
    if (text.starts_with('+'))
        text.remove_prefix(1);
    if (text.empty())
        return false;
    double parsed = 0;
    auto result = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return false;
    value = parsed;
    return true;
}

std::string StoredSetText(uint32_t members, const std::function<std::string(int bit)>& nameOf)
{
    std::string text = "[";
    bool first = true;
    for (int bit = 0; bit < 32; ++bit) {
        if (!(members & (uint32_t{1} << bit)))
            continue;
        std::string name = nameOf(bit);
        if (name.empty())
            continue;
        if (!first)
            text += ',';
        text += name;
        first = false;
    }
    return text + "]";
}

uint32_t ParseStoredSet(std::string_view text, const std::function<int(std::string_view name)>& bitOf)
{
    static const TCharSet delimiters = DelimiterSet(" ,[]");
    uint32_t members = 0;
    const int count = WordCount(text, delimiters);
    for (int n = 1; n <= count; ++n) {
        const int bit = bitOf(ExtractWord(n, text, delimiters));
        if (bit >= 0 && bit < 32)
            members |= uint32_t{1} << bit;
    }
    return members;
}

int ParseStoredCount(std::string_view text)
{
    int64_t value = 0;
    if (!TryStrToInt(TrimView(text), value) || value < 0)
        return 0;
    return value > INT32_MAX ? INT32_MAX : static_cast<int>(value);
}

bool SplitStoredItem(std::string_view line, std::string& component, std::string& property)
{
    const size_t point = line.find('.');
    if (point == std::string_view::npos)
        return false;
    std::string c = Trim(line.substr(0, point));
    std::string p = Trim(line.substr(point + 1));
    if (c.empty() || p.empty())
        return false;
    component = std::move(c);
    property = std::move(p);
    return true;
}

std::string JoinStoredItem(std::string_view component, std::string_view property)
{
    if (component.empty() || property.empty())
        return {};
    return std::string(component) + "." + std::string(property);
}

TStoredReference ParseStoredReference(std::string_view text)
{
    TStoredReference reference;
    text = TrimView(text);
    if (SameText(text, "(null)")) {
        reference.Null = true;
        return reference;
    }
    const size_t point = text.find('.');
    if (point == std::string_view::npos) {
        reference.Name = std::string(text);
    } else {
        reference.Owner = Trim(text.substr(0, point));
        reference.Name = Trim(text.substr(point + 1));
    }
    return reference;
}
