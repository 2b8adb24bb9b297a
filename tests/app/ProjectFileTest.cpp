// Tests of the list of the files that open with a project.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/model/ProjectFile.h"
#include "platform/core/IniFile.h"
#include "platform/core/SysUtils.h"
#include "support/TempDir.h"

namespace {

std::vector<std::string> filesOf(const std::string& text)
{
    return ProjectFilesToOpen(TIniFile::FromText(text));
}

} // namespace

TEST(ProjectFile, TheMarkedEntriesOpenFromTheLastKeyToTheFirst)
{
    const std::string head = "[Datos del proyecto]\nNombre=Sitio\nA0=1,/not/here\n[Archivos del proyecto]\n";
    EXPECT_EQ(filesOf(head + "Archivos=3\nA0=1,/w/a.htm\nA1=0,/w/b.htm\nA2=1,/w/c.htm\n"),
              (std::vector<std::string>{"/w/c.htm", "/w/a.htm"}));
    // Key order in the file does not matter; names compare without case; the second character is
    // not looked at; two characters are no entry; a flag other than "1" does not open.
    EXPECT_EQ(filesOf(head + "a2=1;/w/c.htm\nArchivos=4\nA0=1,\nA1=1,x\nA3=2,/w/d.htm\n"),
              (std::vector<std::string>{"/w/c.htm", ExpandFileName("x")}));
    // Only keys below the count, spelled as "A%d" gives them.
    EXPECT_EQ(filesOf(head + "Archivos=2\nA0=1,/a\nA2=1,/c\nA01=1,/z\nA+1=1,/z\nA-1=1,/z\nAx=1,/z\n"),
              (std::vector<std::string>{"/a"}));
    // A count far beyond the keys present costs only the keys present.
    EXPECT_EQ(filesOf(head + "Archivos=2147483647\nA0=1,/a\nA2147483646=1,/last\nA99999999999=1,/z\n"),
              (std::vector<std::string>{"/last", "/a"}));
    for (const char* count : {"", "Archivos=0\n", "Archivos=-5\n", "Archivos=tres\n"})
        EXPECT_TRUE(filesOf(head + count + "A0=1,/a\n").empty()) << count;
    EXPECT_TRUE(filesOf("").empty());
}

TEST(ProjectFile, RelativePathsAreTakenFromTheProjectsFolder)
{
    TempDir folder("app");
    const std::string project = folder.file("sitio.krp", "[Archivos del proyecto]\nArchivos=3\nA0=1,index.htm\n"
                                                        "A1=1,./sub/./b.htm\nA2=1,/abs/c.htm\n");
    EXPECT_EQ(ProjectFilesToOpen(TIniFile(project)),
              (std::vector<std::string>{"/abs/c.htm", folder.path.string() + "/sub/b.htm",
                                        folder.path.string() + "/index.htm"}));
}

TEST(ProjectFile, TheProjectsNameIsReadAsADocumentsTextIs)
{
    const auto name = [](const std::string& value) {
        return ProjectDataText(TIniFile::FromText("[Datos del proyecto]\nNombre=" + value + "\n"), "Nombre");
    };
    // UTF-8 written by hand becomes the editor's characters; Windows-1252 stays as it is.
    EXPECT_EQ(name("Se\xC3\xB1or \xE2\x80\x9C" "A\xE2\x80\x9D"), "Se\xF1or \x93" "A\x94");
    EXPECT_EQ(name("Se\xF1or"), "Se\xF1or");
    EXPECT_EQ(name("plain"), "plain");
    EXPECT_EQ(ProjectDataText(TIniFile::FromText(""), "Nombre"), "");
}
