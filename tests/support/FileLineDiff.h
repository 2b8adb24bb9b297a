// A line diff of two files' bytes, as a diff tool shows what a save changed: each line with its own break (CR LF, LF CR, LF or a lone CR).
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The lines of a file's bytes (UTF-8 or 8-bit), each with its break as the file has it.
inline std::vector<std::string_view> FileLines(std::string_view bytes)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] != '\r' && bytes[at] != '\n')
            continue;
        // A pair of CR and LF is one break (an LF CR pair unless the CR ends the file), as the editor
        // reads it.
        if ((bytes[at] == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n') ||
            (bytes[at] == '\n' && at + 2 < bytes.size() && bytes[at + 1] == '\r'))
            ++at;
        lines.push_back(bytes.substr(start, at + 1 - start));
        start = at + 1;
    }
    if (start < bytes.size())
        lines.push_back(bytes.substr(start));
    return lines;
}

// How many lines of the old file the new one lacks (changed or gone), and how many it has that the
// old one lacks: the lines outside a longest common run of lines, found as a diff finds it (the
// fewer the changes, the quicker).
struct TFileLineChanges {
    size_t Lost = 0;
    size_t Added = 0;
};

inline TFileLineChanges FileLineChanges(std::string_view before, std::string_view after)
{
    const std::vector<std::string_view> a = FileLines(before), b = FileLines(after);
    // The lines both start and end with, then the fewest changes between (the greedy diagonal walk).
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const auto n = static_cast<ptrdiff_t>(a.size() - head - tail), m = static_cast<ptrdiff_t>(b.size() - head - tail);
    const auto same = [&](ptrdiff_t x, ptrdiff_t y) { return a[head + static_cast<size_t>(x)] == b[head + static_cast<size_t>(y)]; };
    const ptrdiff_t offset = n + m + 1;
    std::vector<ptrdiff_t> reach(static_cast<size_t>(2 * offset + 1), 0);
    for (ptrdiff_t d = 0; d <= n + m; ++d) {
        for (ptrdiff_t k = -d; k <= d; k += 2) {
            ptrdiff_t x = k == -d || (k != d && reach[static_cast<size_t>(offset + k - 1)] < reach[static_cast<size_t>(offset + k + 1)])
                              ? reach[static_cast<size_t>(offset + k + 1)]
                              : reach[static_cast<size_t>(offset + k - 1)] + 1;
            ptrdiff_t y = x - k;
            while (x < n && y < m && same(x, y)) {
                ++x;
                ++y;
            }
            reach[static_cast<size_t>(offset + k)] = x;
            if (x >= n && y >= m) {
                // d changes: n - common lost, m - common added, their sum d.
                const ptrdiff_t common = (n + m - d) / 2;
                return {static_cast<size_t>(n - common), static_cast<size_t>(m - common)};
            }
        }
    }
    return {static_cast<size_t>(n), static_cast<size_t>(m)};
}
