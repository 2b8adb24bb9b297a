// How many times a part occurs in a text, overlapping occurrences counted.
#pragma once

#include <string_view>

inline int Occurrences(std::string_view text, std::string_view part)
{
    int n = 0;
    for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}
