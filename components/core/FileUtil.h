// File-name routines: folder test, valid names, and a file's name as the disk stores it.
#pragma once

#include <string>
#include <string_view>

// True when the name is that of an existing folder.
bool DirExists(const std::string& name);
// True when the text holds any of the characters.
bool HasAnyChar(std::string_view text, std::string_view chars);
// Not empty and without any of < > " [ ] |.
bool ValidFileName(std::string_view name);
// The name of the file the path finds, as the disk stores it (its real letter case); only the name,
// without its folder; "" when no file answers to the path.
std::string ShortToLongFileName(const std::string& name);
// File systems here keep no separate short names: the found file's own name, as ShortToLongFileName
// gives it; "" when no file answers to the path.
std::string LongToShortFileName(const std::string& name);
