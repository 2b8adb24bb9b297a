// The project file's sections and the list of the files that open with a project.
#include "app/model/ProjectFile.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/IniFile.h"
#include "platform/core/SysUtils.h"

namespace {

// The number of a key spelled "A%d" (either case of the letter, as the file's names compare), -1 for
// any other name. A leading zero or a sign is another key than the one "A%d" gives.
int64_t entryNumber(const std::string& name)
{
    if (name.size() < 2 || name.size() > 12 || (name[0] != 'A' && name[0] != 'a'))
        return -1;
    if (name[1] == '0' && name.size() > 2)
        return -1;
    int64_t number = -1;
    const char* end = name.data() + name.size();
    const auto [at, error] = std::from_chars(name.data() + 1, end, number);
    return error == std::errc() && at == end ? number : -1;
}

constexpr int kNewProjectName = 5057;
constexpr int kDayNames = 5040;
constexpr int kMonthNames = 5041;
constexpr int kProjectDateFormat = 5042;
constexpr int kLineBreakInName = 7329;

// The keys of the project data that are not plain ASCII, in Windows-1252.
constexpr const char* kCreatedKey = "Fecha de creaci\xF3n";
constexpr const char* kModifiedKey = "\xDAltima modificaci\xF3n";
constexpr const char* kDescriptionKey = "Descripci\xF3n";

// The names of a "|"-separated list.
std::vector<std::string> SplitNames(const std::string& text)
{
    std::vector<std::string> names;
    size_t start = 0;
    for (size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start)) {
        names.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    names.push_back(text.substr(start));
    return names;
}

} // namespace

std::vector<TProjectEntry> ProjectFileEntries(const TIniFile& project)
{
    const int32_t count = project.ReadInteger(kProjectFilesSection, "Archivos", 0);
    if (count <= 0)
        return {};
    TStringList names;
    project.ReadSection(kProjectFilesSection, names);
    std::vector<std::pair<int64_t, std::string>> entries;
    for (int i = 0; i < names.Count(); ++i) {
        const int64_t number = entryNumber(names[i]);
        if (number >= 0 && number < count)
            entries.emplace_back(number, names[i]);
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    // A project written by hand may name its files from its own folder.
    const std::string folder = ExtractFilePath(ExpandFileName(project.FileName()));
    std::vector<TProjectEntry> files;
    for (const auto& [number, name] : entries) {
        const std::string value = project.ReadString(kProjectFilesSection, name, "");
        if (value.size() > 2 && (value[0] == '1' || value[0] == '0'))
            files.push_back(TProjectEntry{ExpandFileName(value.substr(2), folder), value[0] == '1'});
    }
    return files;
}

std::vector<std::string> ProjectFilesToOpen(const TIniFile& project)
{
    std::vector<std::string> files;
    for (TProjectEntry& entry : ProjectFileEntries(project))
        if (entry.Opens)
            files.push_back(std::move(entry.Path));
    return files;
}

bool ProjectStoresPath(std::string_view path)
{
    return path.find_first_of("\r\n") == std::string_view::npos;
}

std::string ProjectRefusesPathText(const std::string& path)
{
    return FmtLoadStr(kLineBreakInName, FilePathText(path).c_str());
}

void WriteProjectFileEntries(TIniFile& project, const std::vector<TProjectEntry>& entries)
{
    std::vector<const TProjectEntry*> stored;
    for (const TProjectEntry& entry : entries)
        if (ProjectStoresPath(entry.Path))
            stored.push_back(&entry);
    project.EraseSection(kProjectFilesSection);
    project.WriteInteger(kProjectFilesSection, "Archivos", static_cast<int32_t>(stored.size()));
    // The first entry gets the highest key: reading from the highest key down then gives the list in
    // its order, however often it is saved, and a file written before reads as it always did.
    // Names and values are appended piece by piece: GCC 12 warns falsely about a literal added to a string.
    for (size_t i = 0; i < stored.size(); ++i) {
        std::string value(stored[i]->Opens ? "1," : "0,");
        value.append(stored[i]->Path);
        std::string key(1, 'A');
        key.append(std::to_string(stored.size() - 1 - i));
        project.WriteString(kProjectFilesSection, key, value);
    }
}

std::string DefaultProjectName()
{
    return LoadResString(kNewProjectName);
}

TProjectData ReadProjectData(const TIniFile& project, const std::string& now)
{
    const auto value = [&](const char* key, const std::string& defaultValue = {}) {
        return project.ReadString(kProjectDataSection, key, defaultValue);
    };
    TProjectData data;
    data.Nombre = project.ReadText(kProjectDataSection, "Nombre", DefaultProjectName());
    data.Autor = ProjectDataText(project, "Autor");
    data.FechaCreacion = value(kCreatedKey, now);
    data.UltimaModificacion = value(kModifiedKey, now);
    data.Descripcion = ProjectDataText(project, kDescriptionKey);
    data.Directorio = value("Directorio");
    data.Plantillas = value("Plantillas");
    data.ArchivoModelo = value("Archivo modelo");
    data.Files = ProjectFileEntries(project);
    return data;
}

void WriteProjectData(TIniFile& project, const TProjectData& data)
{
    const auto write = [&](const char* key, const std::string& value) { project.WriteString(kProjectDataSection, key, value); };
    // The texts the user types are editor text.
    project.WriteText(kProjectDataSection, "Nombre", data.Nombre);
    project.WriteText(kProjectDataSection, "Autor", data.Autor);
    write(kCreatedKey, data.FechaCreacion);
    write(kModifiedKey, data.UltimaModificacion);
    project.WriteText(kProjectDataSection, kDescriptionKey, data.Descripcion);
    write("Directorio", data.Directorio);
    write("Plantillas", data.Plantillas);
    write("Archivo modelo", data.ArchivoModelo);
    WriteProjectFileEntries(project, data.Files);
}

std::string ProjectDateText(const std::tm& time)
{
    const std::vector<std::string> days = SplitNames(LoadResString(kDayNames));
    const std::vector<std::string> months = SplitNames(LoadResString(kMonthNames));
    const auto name = [](const std::vector<std::string>& names, int index) {
        return index >= 0 && static_cast<size_t>(index) < names.size() ? names[static_cast<size_t>(index)] : std::string();
    };
    return FmtLoadStr(kProjectDateFormat, name(days, time.tm_wday).c_str(), time.tm_mday,
                      name(months, time.tm_mon).c_str(), time.tm_year + 1900, time.tm_hour, time.tm_min);
}

std::string ProjectDateNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return ProjectDateText(local);
}

std::string ProjectDataText(const TIniFile& project, const std::string& key)
{
    return project.ReadText(kProjectDataSection, key, "");
}

namespace {
constexpr int kOneFileMissing = 7320;
constexpr int kFilesMissing = 7321;
constexpr int kMoreFilesMissing = 7322;
} // namespace

std::string MissingProjectFilesText(const std::string& project, const std::vector<std::string>& missing)
{
    // Names are the file system's (UTF-8); the box shows the program's own characters.
    const auto shown = [](const std::string& path) { return FilePathText(path); };
    const std::string projectName = shown(project);
    if (missing.size() == 1)
        return FmtLoadStr(kOneFileMissing, shown(missing[0]).c_str(), projectName.c_str());
    std::string text = FmtLoadStr(kFilesMissing, static_cast<int>(missing.size()), projectName.c_str());
    for (size_t i = 0; i < missing.size() && i < kMissingFilesNamed; ++i)
        text.append("\n").append(shown(missing[i]));
    if (missing.size() > kMissingFilesNamed)
        text.append("\n").append(FmtLoadStr(kMoreFilesMissing, static_cast<int>(missing.size() - kMissingFilesNamed)));
    return text;
}
