// Tests of the project file: its entries, its data and its dates.
#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "app/model/ProjectFile.h"
#include "platform/core/FileSystem.h"
#include "platform/core/IniFile.h"
#include "platform/core/SysUtils.h"
#include "support/Dates.h"
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

TEST(ProjectFile, TheProjectsNameIsReadByTheProgramsOwnFilesRule)
{
    const auto name = [](const std::string& value) {
        return ProjectDataText(TIniFile::FromText("[Datos del proyecto]\nNombre=" + value + "\n"), "Nombre");
    };
    // UTF-8 after its byte-order mark becomes the editor's characters; other bytes are Windows-1252 as
    // they stand, also where they happen to spell UTF-8.
    EXPECT_EQ(name("\xEF\xBB\xBFSe\xC3\xB1or \xE2\x80\x9C" "A\xE2\x80\x9D"), "Se\xF1or \x93" "A\x94");
    EXPECT_EQ(name("Se\xC3\xB1or"), "Se\xC3\xB1or");
    EXPECT_EQ(name("Se\xF1or"), "Se\xF1or");
    // A character Windows-1252 lacks is held.
    EXPECT_EQ(name("\xEF\xBB\xBF\xCE\xB1 \xC3\xB1"), "\x1F#945; \xF1");
    EXPECT_EQ(name("plain"), "plain");
    EXPECT_EQ(ProjectDataText(TIniFile::FromText(""), "Nombre"), "");
}

TEST(ProjectFile, EntriesKeepTheirFlagsAndSkipWhatIsNoEntry)
{
    const auto entries = [](const std::string& files) {
        return ProjectFileEntries(TIniFile::FromText("[Archivos del proyecto]\n" + files));
    };
    EXPECT_EQ(entries("Archivos=3\nA0=1,/w/a.htm\nA1=0,/w/b.htm\nA2=1,/w/c.htm\n"),
              (std::vector<TProjectEntry>{{"/w/c.htm", true}, {"/w/b.htm", false}, {"/w/a.htm", true}}));
    // "1," has no path, flag "2" is none, A1 is missing.
    EXPECT_EQ(entries("Archivos=4\nA0=0,/a\nA2=1,\nA3=2,/d\n"), (std::vector<TProjectEntry>{{"/a", false}}));
    EXPECT_EQ(ProjectFilesToOpen(TIniFile::FromText("[Archivos del proyecto]\nArchivos=2\nA0=0,/a\nA1=1,/b\n")),
              (std::vector<std::string>{"/b"}));
}

TEST(ProjectFile, AListKeepsItsOrderAndFlagsThroughSavesAndReopenings)
{
    TempDir folder("app");
    const std::string path = (folder.path / "p.kr").string();
    {
        TIniFile old(path);
        old.WriteInteger("Archivos del proyecto", "Archivos", 9);
        old.WriteString("Archivos del proyecto", "A8", "1,/viejo");
        old.UpdateFile();
    }
    const std::vector<TProjectEntry> list = {{"/w/uno", true}, {"/w/dos", false}, {"/w/tres", true}, {"/w/cuatro", true}};
    for (int round = 0; round < 2; ++round) {
        TIniFile ini(path);
        WriteProjectFileEntries(ini, round == 0 ? list : ProjectFileEntries(ini));
        ini.UpdateFile();
        const TIniFile reopened(path);
        EXPECT_EQ(ProjectFileEntries(reopened), list) << round;
        EXPECT_EQ(ProjectFilesToOpen(reopened), (std::vector<std::string>{"/w/uno", "/w/tres", "/w/cuatro"})) << round;
        // The keys stand from the highest down, as in files of earlier versions.
        EXPECT_EQ(reopened.Text(), "[Archivos del proyecto]\r\nArchivos=4\r\nA3=1,/w/uno\r\nA2=0,/w/dos\r\n"
                                   "A1=1,/w/tres\r\nA0=1,/w/cuatro\r\n") << round;
    }
    // The missing-files box names the first entries, in the list's order.
    const std::vector<std::string> missing = {"/m/1", "/m/2", "/m/3", "/m/4", "/m/5", "/m/6", "/m/7"};
    const std::string box = MissingProjectFilesText("/p.kr", missing);
    EXPECT_NE(box.find("\n/m/1\n/m/2\n/m/3\n/m/4\n/m/5\n"), std::string::npos) << box;
    EXPECT_EQ(box.find("/m/6"), std::string::npos) << box;
}

TEST(ProjectFile, TheProjectDataRoundTripsThroughTheFile)
{
    TempDir folder("app");
    const std::string path = (folder.path / "p.kr").string();
    TProjectData data;
    data.Nombre = "Sitio de Pe\xF1" "a";
    data.Autor = "Ana \x1F#955;";
    data.FechaCreacion = "lunes, 7 de diciembre de 2026, 09:05";
    data.UltimaModificacion = "martes, 8 de diciembre de 2026, 10:00";
    data.Descripcion = "Una l\xEDnea";
    data.Directorio = "/w";
    data.Plantillas = "/w/plantillas";
    data.ArchivoModelo = "/w/modelo.htm";
    data.Files = {{"/w/a b.htm", true}, {"/w/c.htm", false}};
    {
        TIniFile ini(path);
        WriteProjectData(ini, data);
        ini.UpdateFile();
    }
    const TIniFile ini(path);
    // A character Windows-1252 lacks goes into the file as itself, its value in UTF-8.
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Autor", ""), "\xEF\xBB\xBF" "Ana \xCE\xBB");
    EXPECT_EQ(ReadFileBytes(path).find('\x1F'), std::string::npos);
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Fecha de creaci\xF3n", ""), data.FechaCreacion);
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "\xDAltima modificaci\xF3n", ""), data.UltimaModificacion);
    const TProjectData back = ReadProjectData(ini, "ahora");
    EXPECT_EQ(back.Nombre, data.Nombre);
    EXPECT_EQ(back.Autor, data.Autor);
    EXPECT_EQ(back.FechaCreacion, data.FechaCreacion);
    EXPECT_EQ(back.Descripcion, data.Descripcion);
    EXPECT_EQ(back.Directorio, data.Directorio);
    EXPECT_EQ(back.Plantillas, data.Plantillas);
    EXPECT_EQ(back.ArchivoModelo, data.ArchivoModelo);
    EXPECT_EQ(back.Files, data.Files);
    // An empty project has the default name and both dates now.
    const TProjectData empty = ReadProjectData(TIniFile::FromText(""), "ahora");
    EXPECT_EQ(empty.Nombre, "Nuevo proyecto");
    EXPECT_EQ(empty.FechaCreacion, "ahora");
    EXPECT_EQ(empty.UltimaModificacion, "ahora");
    EXPECT_TRUE(empty.Files.empty());
}

TEST(ProjectFile, DatesAreTheSpanishLongDateWithHoursAndMinutes)
{
    EXPECT_EQ(ProjectDateText(CalendarTime(2026, 12, 7, 1, 9, 5)), "lunes, 7 de diciembre de 2026, 09:05");
    EXPECT_EQ(ProjectDateText(CalendarTime(2026, 1, 21, 3, 23, 59)), "mi\xE9rcoles, 21 de enero de 2026, 23:59");
    EXPECT_NE(ProjectDateNow().find(", "), std::string::npos);
}
