// IPos: the position of a pattern in a text, found without regard to the case of A-Z.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The folding table IPos compares through: entry c is c + 32 for "A".."Z" and c itself for every
// other byte, so accented letters keep their case.
const std::array<uint8_t, 256>& IPosFoldTable();

// 1-based position of the first occurrence of `pattern` in `text`, comparing through the folding
// table; 0 when it does not occur or the pattern is empty.
int IPos(std::string_view pattern, std::string_view text);
