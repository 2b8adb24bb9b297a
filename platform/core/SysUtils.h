// Small string and formatting routines shared by every layer, and the string table look-up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The text of string-table entry `id` ("" when the table has no such entry).
const std::string& LoadResString(int id);
// LoadResString(id) used as a printf format.
std::string FmtLoadStr(int id, ...);

std::string IntToStr(int64_t value);
// Parses a whole decimal integer (optional sign, surrounding blanks allowed); false when it is not one.
bool TryStrToInt(std::string_view text, int64_t& value);
int64_t StrToIntDef(std::string_view text, int64_t defaultValue);

// Case folding of the ASCII letters only; bytes 128..255 are left as they are.
char AsciiLower(char c);
char AsciiUpper(char c);
std::string AsciiLowerCase(std::string_view s);
std::string AsciiUpperCase(std::string_view s);
// Comparison without case (ASCII letters); <0, 0, >0 like strcmp.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);

std::string Trim(std::string_view s);

// The value of a hexadecimal digit (either case); -1 for any other character.
int HexDigitValue(char c);
