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
// The entry of a message that counts something: `one` when the count is one, `many` for any other
// count, as Spanish says "1 byte", "0 bytes", "2 bytes".
constexpr int CountedResString(long long count, int one, int many)
{
    return count == 1 ? one : many;
}

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
// Upper case of a Windows-1252 letter: the ASCII letters, the accented letters and the four letters of
// 0x80..0x9F that have a case partner; every other byte is left as it is.
char AnsiUpper(char c);
// AnsiUpper of every byte, indexed by the byte as unsigned: what a search folds each character it
// reads through, one look-up with no branch.
const unsigned char* AnsiUpperTable();
// Lower case of a Windows-1252 letter, the inverse of AnsiUpper; every other byte is left as it is.
char AnsiLower(char c);
std::string AnsiLowerCase(std::string_view s);
std::string AnsiUpperCase(std::string_view s);
// Equality without case over all Windows-1252 letters, as the user's locale compares names.
bool AnsiSameText(std::string_view a, std::string_view b);

// The text of a system error number, Spanish from the string table: its own for the causes of a
// failed file operation (no permission, not found, a folder, disk full, read-only file system, too
// large, name too long, a link loop, a busy file...), "Error del sistema N" for any other.
std::string SysErrorMessage(int code);

// Control characters and blanks cut from both ends; the view form copies nothing.
std::string Trim(std::string_view s);
std::string_view TrimView(std::string_view s);

// The value of a hexadecimal digit (either case); -1 for any other character.
int HexDigitValue(char c);

// True when the two blocks hold the same bytes; a length of 0 or less compares nothing and is true.
// Every unit that compares raw blocks shares this one routine.
bool CompareMem(const void* a, const void* b, int length);

// A file name is the file system's bytes: "/" alone separates its folders, and "\" is one of a
// name's characters like any other (archives made elsewhere unpack such names).
bool IsPathDelimiter(char c);
// The part of a path after its last separator.
std::string ExtractFileName(std::string_view path);
// The part of a path up to and including its last separator ("" when it has none).
std::string ExtractFilePath(std::string_view path);
// The extension of a path's file name from its last "." on ("" when the name has none).
std::string ExtractFileExt(std::string_view path);
// The path with its file name's extension replaced by `extension` (given with its "."), or added.
std::string ChangeFileExt(std::string_view path, std::string_view extension);
// The path made absolute against `folder` (the working folder when empty), with "." parts and doubled
// separators taken out; links are not followed, so a link keeps its own name. "" stays "".
std::string ExpandFileName(std::string_view path, std::string_view folder = {});
