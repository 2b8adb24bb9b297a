// Word and character routines: replacing, deleting characters, words between delimiters, hexadecimal text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/StateSet.h"

// A set of delimiter characters, one bit per byte value.
using TCharSet = TStateSet;

// A set holding each character of `chars`.
TCharSet DelimiterSet(std::string_view chars);

// Every occurrence of `search` replaced, scanning left to right; replaced text is not looked at again.
// An empty search text gives the text unchanged.
std::string ReplaceStr(std::string_view text, std::string_view search, std::string_view replacement);
std::string DelChars(std::string_view text, char c);
std::string DelSpace(std::string_view text);
// Each run of blanks (character 32 only) becomes one blank.
std::string DelSpace1(std::string_view text);

// Words are the longest runs of characters outside the delimiter set.
int WordCount(std::string_view text, const TCharSet& delimiters);
// 1-based position of the first character of word `n` (counted from 1); 0 when there is none.
int WordPosition(int n, std::string_view text, const TCharSet& delimiters);
// Word `n` (counted from 1); "" when there is none.
std::string ExtractWord(int n, std::string_view text, const TCharSet& delimiters);

// Upper-case hexadecimal text of at least `digits` characters (0 to 255).
std::string Dec2Hex(int32_t value, int digits);
// The integer of a hexadecimal text, with or without a leading "$" (a "$" anywhere else makes it no
// number); 0 when the text is not a number or does not fit 32 bits.
int32_t Hex2Dec(std::string_view text);
