// MatchLines: which lines of an old text are the same lines of a new one, from a key (a hash) of each line.
#pragma once

#include <cstdint>
#include <span>
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
