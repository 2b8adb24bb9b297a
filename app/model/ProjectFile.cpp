// The project file's sections and the list of the files that open with a project.
#include "app/model/ProjectFile.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <utility>

#include "platform/core/Classes.h"
#include "platform/core/DocumentText.h"
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

} // namespace

std::vector<std::string> ProjectFilesToOpen(const TIniFile& project)
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
    std::vector<std::string> files;
    for (const auto& [number, name] : entries) {
        const std::string value = project.ReadString(kProjectFilesSection, name, "");
        if (value.size() > 2 && value[0] == '1')
            files.push_back(ExpandFileName(value.substr(2), folder));
    }
    return files;
}

std::string ProjectDataText(const TIniFile& project, const std::string& key)
{
    const std::string value = project.ReadString(kProjectDataSection, key, "");
    std::string text;
    TDocumentFormat format;
    return DecodeDocument(value, text, format) == TDecodeResult::Converted ? text : value;
}
