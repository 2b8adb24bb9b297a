// The project file's sections and the list of the files that open with a project.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

class TIniFile;

// The project's name, author, folders and model file.
inline constexpr const char* kProjectDataSection = "Datos del proyecto";
// "Archivos" = n, then "A0" .. "A<n-1>", each a flag character, a comma and a full path.
inline constexpr const char* kProjectFilesSection = "Archivos del proyecto";

// One file of a project: its path and whether it opens with the project (flag "1") or only belongs
// to it (flag "0").
struct TProjectEntry {
    std::string Path;
    bool Opens = false;
    bool operator==(const TProjectEntry&) const = default;
};

// The project's file entries from the key "A<Archivos - 1>" down to "A0". A value counts only when
// it is longer than 2 characters and its first is the flag "0" or "1"; its path starts at the third,
// and a relative one is taken from the project file's folder. Missing keys are passed over. Only
// keys that the file holds are looked at, so an absurd "Archivos" count costs nothing.
std::vector<TProjectEntry> ProjectFileEntries(const TIniFile& project);
// The paths of the entries that open with the project, in the order of ProjectFileEntries.
std::vector<std::string> ProjectFilesToOpen(const TIniFile& project);
// How many missing files MissingProjectFilesText names before it only counts the rest.
inline constexpr size_t kMissingFilesNamed = 5;
// The one message for the entries of `project` that name no file: a single one by name; several by
// their count, the first kMissingFilesNamed by name, one a line, and how many more there are. Paths
// are the file system's; the text is Windows-1252.
std::string MissingProjectFilesText(const std::string& project, const std::vector<std::string>& missing);
// Whether a project file holds the path so that it reads back as that path: a line break would end
// the value's line, and the file would name another file.
bool ProjectStoresPath(std::string_view path);
// The one message refusing a path ProjectStoresPath refuses (Windows-1252).
std::string ProjectRefusesPathText(const std::string& path);
// Replaces the file list: "Archivos" = the number of entries, then from the first entry to the last
// the keys "A<n-1>" down to "A0", each "1,<path>" or "0,<path>". Readers take the keys from the
// highest down, so the list reads back in its own order; the keys stand in the file from the highest
// down, as files of earlier versions hold them. An entry ProjectStoresPath refuses is left out, so
// that no other file is ever read back in its place.
void WriteProjectFileEntries(TIniFile& project, const std::vector<TProjectEntry>& entries);

// Everything the project dialog shows, as the project file holds it (Windows-1252 texts, the file
// system's paths, the dates as text).
struct TProjectData {
    std::string Nombre;
    std::string Autor;
    std::string FechaCreacion;
    std::string UltimaModificacion;
    std::string Descripcion;
    std::string Directorio;
    std::string Plantillas;
    std::string ArchivoModelo;
    std::vector<TProjectEntry> Files;
};

// The name a project has when its file gives none.
std::string DefaultProjectName();
// Reads a project; missing values are empty, but for a missing name (DefaultProjectName) and missing
// dates (`now`).
TProjectData ReadProjectData(const TIniFile& project, const std::string& now);
// Writes every value of the project data and its file list.
void WriteProjectData(TIniFile& project, const TProjectData& data);
// A project's date: the long date in Spanish, a comma, hours and minutes ("lunes, 7 de diciembre de
// 2026, 09:05").
std::string ProjectDateText(const std::tm& time);
// The present time as ProjectDateText gives it.
std::string ProjectDateNow();
// A text value of the project's data (its name, its author) as editor text: each value is read and
// written by the program's own files' rule on its own (ProgramFileText.h: UTF-8 after its byte-order
// mark, Windows-1252 otherwise), through TIniFile's ReadText and WriteText.
std::string ProjectDataText(const TIniFile& project, const std::string& key);
