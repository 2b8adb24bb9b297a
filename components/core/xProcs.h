// General routines of the components and the application: string cutting and replacing, file names, the shell's view of a file, and registry look-up.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/Registry.h"

// The text without any blank (character 32).
std::string RemoveSpaces(std::string_view text);
// The path with a folder separator at its end: "/" is added unless it already ends in one ("\" is a
// character of a name).
// An empty path stays empty, so no root is made out of nothing.
std::string AddBackslash(std::string_view path);

// Cuts the text before the first separator from `text` and returns it; the separator goes too.
// Without a separator the whole text is the token and `text` becomes empty.
std::string NextToken(std::string& text, char separator);
// How many tokens NextToken cuts until the text is empty: a trailing separator adds none, two
// adjacent separators hold an empty one.
int TokenCount(std::string_view text, char separator);
// Equality without case over every Windows-1252 letter.
bool SameTextNoCase(std::string_view a, std::string_view b);
// A copy with each `c` replaced by `replacement`.
std::string ReplaceCharBy(std::string_view text, char c, std::string_view replacement);
// Replaces every occurrence of `search` left to right; replaced text is not searched again, so a
// replacement holding the search text ends. An empty search text changes nothing.
void ReplaceAll(std::string& text, std::string_view search, std::string_view replacement);

// Size in bytes of the file or folder entry; 0 when there is none.
int64_t FileSizeOf(const std::string& fileName);
// The file's name as the desktop shows it (its name within its folder); the path itself when no such
// file exists.
std::string ShellDisplayName(const std::string& path);
// File systems here have no separate short names: the path is its own short form.
std::string ShortPathName(const std::string& path);
// The file-name part of the path without its extension: "dir/x.html.htm" gives "x.html".
std::string FileNameNoExt(std::string_view path);
// The system's folder for temporary files, ending in "/".
std::string TempDirectory();
// Reads the string value named by the part of `path` after its last "\" from the key named by the
// part up to it, under `root`. The key is created when missing, so a later write finds it.
std::string RegReadStringPath(HKEY root, const std::string& path);
