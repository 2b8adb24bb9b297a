// Expansion of a replacement text: match elements by number (%1) and backslash escapes (\n, \x41).
#pragma once

#include <functional>
#include <string>

// The text of match element n (1..255) of the last match.
using TElementText = std::function<std::string(int n)>;

// Expands `text` character by character:
// - "%%" and a "%" at the end give "%"; "%" and digits give the text of that element for 1..255 and
//   nothing for other numbers; "%" and any other character give that character.
// - "\\" and a "\" at the end give "\"; \r LF, \n CR, \b 8, \f 12, \s blank, \t TAB (letters in either
//   case); \x and one or two hex digits, and \ and one to three octal digits, give that character;
//   "\" and any other character give that character.
// - A "\x" without a hex digit, or an octal value above 255, ends the expansion: the rest is dropped.
std::string ExpandReplacement(const std::string& text, const TElementText& element);
