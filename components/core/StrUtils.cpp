// Word and character routines over 8-bit text.
#include "components/core/StrUtils.h"

#include <algorithm>

#include "platform/core/SysUtils.h"

namespace {

bool isDelimiter(const TCharSet& delimiters, char c)
{
    return delimiters.Contains(static_cast<uint8_t>(c));
}

// The 0-based start of word n (from 1), or npos.
size_t wordStart(int n, std::string_view text, const TCharSet& delimiters)
{
    int count = 0;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isDelimiter(delimiters, text[i]))
            ++i;
        if (i == text.size())
            break;
        if (++count == n)
            return i;
        while (i < text.size() && !isDelimiter(delimiters, text[i]))
            ++i;
    }
    return std::string_view::npos;
}

} // namespace

TCharSet DelimiterSet(std::string_view chars)
{
    TCharSet set;
    set.Bytes = CharSetOf(chars);
    return set;
}

std::string ReplaceStr(std::string_view text, std::string_view search, std::string_view replacement)
{
    if (search.empty())
        return std::string(text);
    std::string result;
    size_t from = 0;
    for (size_t at = text.find(search); at != std::string_view::npos; at = text.find(search, from)) {
        result.append(text.substr(from, at - from));
        result.append(replacement);
        from = at + search.size();
    }
    result.append(text.substr(from));
    return result;
}

std::string DelChars(std::string_view text, char c)
{
    std::string result;
    result.reserve(text.size());
    for (char x : text)
        if (x != c)
            result += x;
    return result;
}

std::string DelSpace(std::string_view text)
{
    return DelChars(text, ' ');
}

std::string DelSpace1(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        if (c != ' ' || result.empty() || result.back() != ' ')
            result += c;
    return result;
}

int WordCount(std::string_view text, const TCharSet& delimiters)
{
    int count = 0;
    bool inWord = false;
    for (char c : text) {
        bool delimiter = isDelimiter(delimiters, c);
        if (!delimiter && !inWord)
            ++count;
        inWord = !delimiter;
    }
    return count;
}

int WordPosition(int n, std::string_view text, const TCharSet& delimiters)
{
    size_t start = wordStart(n, text, delimiters);
    return start == std::string_view::npos ? 0 : static_cast<int>(start) + 1;
}

std::string ExtractWord(int n, std::string_view text, const TCharSet& delimiters)
{
    size_t start = wordStart(n, text, delimiters);
    if (start == std::string_view::npos)
        return {};
    size_t end = start;
    while (end < text.size() && !isDelimiter(delimiters, text[end]))
        ++end;
    return std::string(text.substr(start, end - start));
}

std::string Dec2Hex(int32_t value, int digits)
{
    return Format("%0*X", std::clamp(digits, 0, 255), static_cast<unsigned>(value));
}

int32_t Hex2Dec(std::string_view text)
{
    // The text reads as "$" followed by it unless it holds a "$" itself; blanks may stand only
    // before the "$", as the integer reader allows them there.
    std::string number = text.find('$') == std::string_view::npos ? std::string("$").append(text) : std::string(text);
    size_t i = number.find_first_not_of(' ');
    if (i == std::string::npos || number[i] != '$' || ++i == number.size())
        return 0;
    uint64_t value = 0;
    for (; i < number.size(); ++i) {
        int digit = HexDigitValue(number[i]);
        if (digit < 0)
            return 0;
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFu)
            return 0;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}
