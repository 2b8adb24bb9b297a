// libFuzzer target: the files that open with a project, read from an untrusted project file.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/model/ProjectFile.h"
#include "platform/core/IniFile.h"
#include "platform/core/SysUtils.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TIniFile ini = TIniFile::FromText(text);
    const auto files = ProjectFilesToOpen(ini);
    // Each file comes from a line of its own: no more files than lines; each is a full path (a
    // relative one is taken from a folder) whose last name is a piece of the input.
    size_t lines = 1;
    for (char c : text)
        lines += c == '\n' || c == '\r';
    check(files.size() <= lines);
    for (const std::string& file : files)
        check(!file.empty() && file.front() == '/' && text.find(ExtractFileName(file)) != std::string_view::npos);
    // The entries hold the files to open, in order, and each written list reads back as it was.
    const auto entries = ProjectFileEntries(ini);
    size_t opening = 0;
    for (const TProjectEntry& entry : entries)
        if (entry.Opens)
            check(opening < files.size() && files[opening++] == entry.Path);
    check(opening == files.size());
    TIniFile written = TIniFile::FromText(text);
    WriteProjectFileEntries(written, entries);
    auto back = ProjectFileEntries(TIniFile::FromText(written.Text()));
    check(back.size() == entries.size());
    for (size_t i = 0; i < back.size() && i < entries.size(); ++i)
        check(back[i] == entries[i]);
    // The project's texts, written again, read back as they read and never put the mark in the file
    // (what else the file holds stays as it was).
    const TProjectData projectData = ReadProjectData(ini, "now");
    WriteProjectData(written, projectData);
    const std::string writtenText = written.Text();
    const TIniFile writtenFile = TIniFile::FromText(writtenText);
    for (const char* key : {"Nombre", "Autor", "Descripci\xF3n"})
        check(writtenFile.ReadString("Datos del proyecto", key, "").find('\x1F') == std::string::npos);
    const TProjectData again = ReadProjectData(TIniFile::FromText(writtenText), "now");
    check(again.Nombre == projectData.Nombre && again.Autor == projectData.Autor &&
          again.Descripcion == projectData.Descripcion);
    return 0;
}
