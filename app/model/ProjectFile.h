// The project file's sections and the list of the files that open with a project.
#pragma once

#include <string>
#include <vector>

class TIniFile;

// The project's name, author, folders and model file.
inline constexpr const char* kProjectDataSection = "Datos del proyecto";
// "Archivos" = n, then "A0" .. "A<n-1>", each a flag character, a comma and a full path.
inline constexpr const char* kProjectFilesSection = "Archivos del proyecto";

// The paths of the entries marked "1" that open with the project, from the last key to the first.
// A value counts only when it is longer than 2 characters; its path starts at the third, and a
// relative one is taken from the project file's folder. Only keys that the file holds are looked
// at, so an absurd "Archivos" count costs nothing.
std::vector<std::string> ProjectFilesToOpen(const TIniFile& project);
// A text value of the project's data (its name, its author) as the window shows it: read as a
// document's text is, UTF-8 converted when it is UTF-8 that fits, the bytes as they are otherwise.
std::string ProjectDataText(const TIniFile& project, const std::string& key);
