// Plain text routines of the side panel's tools: wildcard fields and their library file, style class codes, style library names and the explorer's masks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class TStringList;

// Where the field that opens with the "{*" at `open` ends: just past the first "*}" looked for from
// that "{*" itself, so the two may share their "*" and "{*}" is a whole field; npos when no "*}"
// follows. Extraction, iteration and the template merge all take a field to be this.
size_t WildcardFieldEnd(std::string_view text, size_t open);
// Every field of the text, from its "{*" through its "*}", in order of appearance with duplicates
// kept. A "{*" without a later "*}" ends the scan.
std::vector<std::string> ExtractWildcards(std::string_view text);
// A wildcard name as the user typed it made fit for a field: trimmed, every blank an "_".
std::string WildcardName(std::string_view typed);
// The field a wildcard name stands for: "{*name*}".
std::string WildcardField(std::string_view name);

// A wildcard library: one name per line. Reading keeps the non-empty lines sorted without case and
// each name once; writing puts the names one per line in the order given. The names are editor text
// (the program's own files' rule, ProgramFileText.h: the file is UTF-8 after its byte-order mark once a
// name holds a character Windows-1252 lacks).
void ReadWildcardLibrary(const std::string& fileName, TStringList& names);
// The names of a library's text (lines at CR LF, CR or LF), as ReadWildcardLibrary keeps them.
void WildcardNamesOf(std::string_view text, TStringList& names);
void WriteWildcardLibrary(const std::string& fileName, const TStringList& names);

// What a style entry ("P.nota", "nota" or ".nota") gives as a class: with a tag and `attributeOnly`
// false the element's opening and closing codes, else the attribute alone and no closing code.
void StyleClassCodes(std::string_view entry, bool attributeOnly, std::string& openCode, std::string& closeCode);
// The two codes as one text, as a drag carries them.
std::string StyleClassCode(std::string_view entry, bool attributeOnly);
// A style library's name as the panel shows it: the file name up to its first ".".
std::string StyleLibraryName(std::string_view path);

// The explorer's filter: pairs of caption and mask, "Caption|mask;mask|Caption|mask".
std::vector<std::pair<std::string, std::string>> FilterEntries(std::string_view filter);
