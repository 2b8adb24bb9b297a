// Expansion of replacement texts.
#include "editor/model/Replacement.h"

#include "platform/core/SysUtils.h"

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isOctal(char c)
{
    return c >= '0' && c <= '7';
}

} // namespace

std::string ExpandReplacement(const std::string& text, const TElementText& element)
{
    constexpr int kMaxElement = 255;
    std::string out;
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        const char c = text[i++];
        if (c == '%') {
            if (i >= n || text[i] == '%') {
                out += '%';
                ++i;
            } else if (isDigit(text[i])) {
                // Digits past the largest element only keep the number out of range.
                int number = 0;
                while (i < n && isDigit(text[i])) {
                    if (number <= kMaxElement)
                        number = number * 10 + (text[i] - '0');
                    ++i;
                }
                if (number >= 1 && number <= kMaxElement && element)
                    out += element(number);
            } else {
                out += text[i++];
            }
            continue;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i >= n) {
            out += '\\';
            break;
        }
        const char e = text[i++];
        switch (e | 0x20) {
        case 'r': out += '\n'; continue;
        case 'n': out += '\r'; continue;
        case 'b': out += '\b'; continue;
        case 'f': out += '\f'; continue;
        case 's': out += ' '; continue;
        case 't': out += '\t'; continue;
        case 'x': {
            int value = 0;
            int digits = 0;
            while (digits < 2 && i < n && HexDigitValue(text[i]) >= 0) {
                value = value * 16 + HexDigitValue(text[i++]);
                ++digits;
            }
            if (digits == 0)
                return out;
            out += static_cast<char>(value);
            continue;
        }
        default: break;
        }
        if (isOctal(e)) {
            int value = e - '0';
            for (int digits = 1; digits < 3 && i < n && isOctal(text[i]); ++digits)
                value = value * 8 + (text[i++] - '0');
            if (value > 255)
                return out;
            out += static_cast<char>(value);
            continue;
        }
        out += e;
    }
    return out;
}
