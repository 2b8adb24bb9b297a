// Spanish collation of Windows-1252 text.
//
// Each byte gets three weights: its letter (or, for other characters, a rank below the letters), its
// accent and its case. Texts are compared by the sequences of the first weights, then of the second,
// then of the third: an accent or the case decides only between texts spelled with the same letters.
#include "platform/core/Collation.h"

#include <array>
#include <cstdint>

#include "platform/core/SysUtils.h"

namespace {

struct TWeights {
    uint16_t Primary = 0;
    uint8_t Accent = 0;
    uint8_t Upper = 0;
};

enum TAccent : uint8_t { acNone, acAcute, acGrave, acCircumflex, acTilde, acDiaeresis, acRing, acCedilla,
                         acStroke, acCaron, acLigature };

// Primary ranks: other characters keep their byte order below the digits, then digits, then letters.
constexpr uint16_t kDigits = 256;
constexpr uint16_t kLetters = kDigits + 10;

uint16_t letterRank(char base)
{
    // ñ follows n: every letter after n moves one place up.
    const int index = base - 'a';
    return static_cast<uint16_t>(kLetters + 2 * index);
}

// The base letter and accent of a lower-case Windows-1252 letter; base 0 for no letter.
std::pair<char, TAccent> decompose(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return {static_cast<char>(c), acNone};
    static constexpr struct {
        unsigned char Code;
        char Base;
        TAccent Accent;
    } kLetters[] = {
        {0xE0, 'a', acGrave}, {0xE1, 'a', acAcute}, {0xE2, 'a', acCircumflex}, {0xE3, 'a', acTilde},
        {0xE4, 'a', acDiaeresis}, {0xE5, 'a', acRing}, {0xE6, 'a', acLigature}, {0xE7, 'c', acCedilla},
        {0xE8, 'e', acGrave}, {0xE9, 'e', acAcute}, {0xEA, 'e', acCircumflex}, {0xEB, 'e', acDiaeresis},
        {0xEC, 'i', acGrave}, {0xED, 'i', acAcute}, {0xEE, 'i', acCircumflex}, {0xEF, 'i', acDiaeresis},
        {0xF0, 'd', acStroke}, {0xF2, 'o', acGrave}, {0xF3, 'o', acAcute}, {0xF4, 'o', acCircumflex},
        {0xF5, 'o', acTilde}, {0xF6, 'o', acDiaeresis}, {0xF8, 'o', acStroke}, {0xF9, 'u', acGrave},
        {0xFA, 'u', acAcute}, {0xFB, 'u', acCircumflex}, {0xFC, 'u', acDiaeresis}, {0xFD, 'y', acAcute},
        {0xFE, 't', acStroke}, {0xFF, 'y', acDiaeresis}, {0xDF, 's', acLigature}, {0x9A, 's', acCaron},
        {0x9C, 'o', acLigature}, {0x9E, 'z', acCaron},
    };
    for (const auto& letter : kLetters)
        if (letter.Code == c)
            return {letter.Base, letter.Accent};
    return {0, acNone};
}

std::array<TWeights, 256> makeTable()
{
    std::array<TWeights, 256> table{};
    for (int code = 0; code < 256; ++code) {
        const char ch = static_cast<char>(code);
        const auto lower = static_cast<unsigned char>(AnsiLower(ch));
        TWeights& w = table[static_cast<size_t>(code)];
        w.Upper = lower != static_cast<unsigned char>(ch) ? 1 : 0;
        if (code >= '0' && code <= '9') {
            w.Primary = static_cast<uint16_t>(kDigits + code - '0');
        } else if (lower == 0xF1) {
            w.Primary = static_cast<uint16_t>(letterRank('n') + 1);
        } else if (const auto [base, accent] = decompose(lower); base) {
            w.Primary = letterRank(base);
            w.Accent = accent;
        } else {
            w.Primary = static_cast<uint16_t>(code);
        }
    }
    return table;
}

const std::array<TWeights, 256>& weights()
{
    static const std::array<TWeights, 256> table = makeTable();
    return table;
}

template <typename Weight>
int compareLevel(std::string_view a, std::string_view b, Weight weight)
{
    const auto& table = weights();
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int wa = weight(table[static_cast<unsigned char>(a[i])]);
        const int wb = weight(table[static_cast<unsigned char>(b[i])]);
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int compare(std::string_view a, std::string_view b, bool withCase)
{
    if (int r = compareLevel(a, b, [](const TWeights& w) { return int(w.Primary); }))
        return r;
    if (int r = compareLevel(a, b, [](const TWeights& w) { return int(w.Accent); }))
        return r;
    if (!withCase)
        return 0;
    if (int r = compareLevel(a, b, [](const TWeights& w) { return int(w.Upper); }))
        return r;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

} // namespace

int AnsiCompareStr(std::string_view a, std::string_view b)
{
    return compare(a, b, true);
}

int AnsiCompareText(std::string_view a, std::string_view b)
{
    return compare(a, b, false);
}
