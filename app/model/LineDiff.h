// MatchLines: which lines of an old text are the same lines of a new one, from a key (a hash) of each line; ScanLine: a line's end and key in one pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// No line of the old text is matched with a line of the new one.
constexpr uint32_t kUnmatchedLine = UINT32_MAX;

// For each line of `after` the line of `before` it is taken to be, in order, or kUnmatchedLine: the
// lines both texts start and end with; then the fewest lines taken out and put in that make them
// alike, when they are few (so that one copy of a repeated block is not taken for another); where
// there are many, lines found once in each (in the order both have them) as anchors first, and the
// same again between each two; where even that would cost too much, each line is matched with the
// nearest place where both go on alike. The work is bounded by the lines' count: what stays
// unmatched is written anew, never wrongly kept.
std::vector<uint32_t> MatchLines(std::span<const uint64_t> before, std::span<const uint64_t> after);

// A line of a text as ScanLine reads it: where it ends (its CR, or the text's end), its key, and
// whether it holds a held character's mark (0x1F), a byte beyond ASCII or a "!" (which every marker
// of a protected region holds), so that only such lines need a closer look.
struct TScannedLine {
    size_t End = 0;
    uint64_t Key = 0;
    bool Held = false;
    bool BeyondAscii = false;
    bool Exclamation = false;
};

// The line of `text` that starts at `from`, read eight bytes at a time: the search for its end and
// its key are one pass over it, which a save of a large page makes for every line on both sides.
TScannedLine ScanLine(std::string_view text, size_t from);

// The key of `line` (which holds no CR): the same as ScanLine gives it; the same text, the same key.
uint64_t LineKey(std::string_view line);
