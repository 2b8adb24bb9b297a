// IPos: the position of a pattern in a text, found without regard to the case of A-Z.
#include "app/model/mwIPos.h"

namespace {

constexpr std::array<uint8_t, 256> makeFoldTable()
{
    std::array<uint8_t, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[c] = static_cast<uint8_t>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return table;
}

// Built at compile time: there is no first user that must build it, and no order of initialisation.
constexpr std::array<uint8_t, 256> kFold = makeFoldTable();

uint8_t fold(char c)
{
    return kFold[static_cast<uint8_t>(c)];
}

} // namespace

const std::array<uint8_t, 256>& IPosFoldTable()
{
    return kFold;
}

int IPos(std::string_view pattern, std::string_view text)
{
    if (pattern.empty() || pattern.size() > text.size())
        return 0;
    const uint8_t first = fold(pattern[0]);
    const size_t last = text.size() - pattern.size();
    for (size_t i = 0; i <= last; ++i) {
        if (fold(text[i]) != first)
            continue;
        size_t k = 1;
        while (k < pattern.size() && fold(text[i + k]) == fold(pattern[k]))
            ++k;
        if (k == pattern.size())
            return static_cast<int>(i) + 1;
    }
    return 0;
}
