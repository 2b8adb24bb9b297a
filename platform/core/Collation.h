// Spanish collation of Windows-1252 text: the order every sorted list of the program follows.
#pragma once

#include <string_view>

// Compares as a Spanish dictionary does, in three levels: first the letters without their accents
// and case (ñ is a letter of its own after n; blanks and punctuation before digits, digits before
// letters), then the accents ("arbol" before "árbol"), then the case (lower before upper). Texts equal
// at every level are ordered by their bytes, so only identical texts compare equal. <0, 0, >0.
int AnsiCompareStr(std::string_view a, std::string_view b);
// The same without the case level: texts that differ only in case compare equal.
int AnsiCompareText(std::string_view a, std::string_view b);
