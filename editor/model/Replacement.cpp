// Expansion of replacement texts.
#include "editor/model/Replacement.h"

#include <string_view>

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

std::string ExpandReplacement(const std::string& text, const TElementText& element, std::vector<uint32_t>* sources)
{
    constexpr int kMaxElement = 255;
    std::string out;
    if (sources)
        sources->clear();
    // What the expansion writes, with where in `text` it came from: the escape or element it expands.
    size_t from = 0;
    const auto emit = [&](std::string_view piece) {
        out += piece;
        if (sources)
            sources->insert(sources->end(), piece.size(), static_cast<uint32_t>(from));
    };
    const auto emitChar = [&](char c) { emit(std::string_view(&c, 1)); };
    const size_t n = text.size();
    size_t i = 0;
    while (i < n) {
        from = i;
        const char c = text[i++];
        if (c == '%') {
            if (i >= n || text[i] == '%') {
                emitChar('%');
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
                    emit(element(number));
            } else {
                emitChar(text[i++]);
            }
            continue;
        }
        if (c != '\\') {
            emitChar(c);
            continue;
        }
        if (i >= n) {
            emitChar('\\');
            break;
        }
        const char e = text[i++];
        switch (e | 0x20) {
        case 'r': emitChar('\n'); continue;
        case 'n': emitChar('\r'); continue;
        case 'b': emitChar('\b'); continue;
        case 'f': emitChar('\f'); continue;
        case 's': emitChar(' '); continue;
        case 't': emitChar('\t'); continue;
        case 'x': {
            int value = 0;
            int digits = 0;
            while (digits < 2 && i < n && HexDigitValue(text[i]) >= 0) {
                value = value * 16 + HexDigitValue(text[i++]);
                ++digits;
            }
            if (digits == 0)
                return out;
            emitChar(static_cast<char>(value));
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
            emitChar(static_cast<char>(value));
            continue;
        }
        emitChar(e);
    }
    return out;
}
