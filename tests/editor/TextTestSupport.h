// Texts the editor's tests share.
#pragma once

#include <cctype>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/core/CharacterReferences.h"
#include "platform/core/SysUtils.h"

// `count` lines "line N" (numbered from 0), each ending with a line break but the last; with a
// width, each line is padded with dots to that many characters.
inline std::string numberedLines(int count, int width = 0)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string line = Format("line %d", i);
        if (width > 0)
            line.resize(static_cast<size_t>(width), '.');
        text += line + (i + 1 < count ? "\r\n" : "");
    }
    return text;
}

// A line of `length` or a few more characters: words of letters, blanks, now and then a TAB when
// `tabs`, and held characters of references 6 to 10 characters long, one of them beginning at
// `column` (words run up to it, so that no blank offers a cut just before it).
inline std::string lineWithHeldCharacterAt(std::mt19937& rng, int column, int length, bool tabs = false)
{
    static constexpr char32_t kHeld[] = {U'\u03B1', U'\u2192', U'\U0001F600', U'\U0010FFFF', U'\u0100'};
    auto held = [&] { return HeldCharacter(kHeld[rng() % std::size(kHeld)]); };
    auto filler = [&](std::string& line, size_t until) {
        while (line.size() < until) {
            const unsigned pick = rng() % 16;
            if (pick < 10)
                line += static_cast<char>('a' + rng() % 26);
            else if (pick < 12)
                line += ' ';
            else if (pick == 12 && tabs)
                line += '\t';
            else if (pick == 13 && line.size() + kLongestHeldCharacter < until)
                line += held();
            else
                line += static_cast<char>('A' + rng() % 26);
        }
    };
    std::string line;
    filler(line, static_cast<size_t>(std::max(0, column - 3)));
    while (line.size() < static_cast<size_t>(column))
        line += static_cast<char>('a' + rng() % 26);
    line += held();
    filler(line, static_cast<size_t>(length));
    return line;
}

// Where the held characters of `text` lie, [start, end), found by their form: the mark, "#", digits, ";".
inline std::vector<std::pair<size_t, size_t>> heldCharacterSpans(std::string_view text)
{
    std::vector<std::pair<size_t, size_t>> spans;
    for (size_t at = text.find(kHeldCharacterMark); at != std::string_view::npos;
         at = text.find(kHeldCharacterMark, at + 1)) {
        size_t end = at + 1;
        if (end >= text.size() || text[end] != '#')
            continue;
        ++end;
        while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])))
            ++end;
        if (end < text.size() && text[end] == ';' && end > at + 2)
            spans.emplace_back(at, end + 1);
    }
    return spans;
}
