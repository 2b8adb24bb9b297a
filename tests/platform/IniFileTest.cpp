// Tests of the INI files: names without case, trimmed and unquoted values, the first of two, every truncation of a file, and writing back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/IniFile.h"
#include "platform/core/SysUtils.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace {

const std::string kProject =
    "; proyecto de prueba\r\n"
    "[Datos del proyecto]\r\n"
    "Nombre = Mi sitio  \r\n"
    "Archivo modelo=\"C:\\web\\modelo.htm\"\r\n"
    "Comillas='uno\"\r\n"
    "Vacio=\r\n"
    "Nombre=Otro\r\n"
    "sin igual\r\n"
    "[Archivos del proyecto]\n"
    "Archivos=0x10\n"
    "A0=1 C:\\web\\index.htm\n"
    "Negativo=-7\n"
    "Mal=12x\n"
    "[ datos DEL proyecto ]\n"
    "Extra=si\n";

std::string AnsiUpperCaseForTest(std::string text)
{
    for (char& c : text)
        c = AnsiUpper(c);
    return text;
}

} // namespace

TEST(IniFile, ReadsValuesAsTheProfileFunctionsDo)
{
    TempDir folder("platform");
    const TIniFile ini(folder.file("sitio.kr", kProject));
    EXPECT_EQ(ini.ReadString("datos del PROYECTO", "nombre", "?"), "Mi sitio");
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "ARCHIVO MODELO", ""), "C:\\web\\modelo.htm");
    // Only a matching pair of quotes goes.
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Comillas", ""), "'uno\"");
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Vacio", "?"), "");
    EXPECT_TRUE(ini.ValueExists("Datos del proyecto", "vacio"));
    EXPECT_FALSE(ini.ValueExists("Datos del proyecto", "sin igual"));
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Extra", "no"), "si");
    EXPECT_EQ(ini.ReadString("Otra", "Nombre", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("Archivos del proyecto", "Archivos", 0), 16);
    EXPECT_EQ(ini.ReadInteger("Archivos del proyecto", "Negativo", 0), -7);
    EXPECT_EQ(ini.ReadInteger("Archivos del proyecto", "Mal", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Archivos del proyecto", "Falta", 3), 3);
    EXPECT_TRUE(ini.ReadBool("Archivos del proyecto", "Archivos", false));
    EXPECT_EQ(ini.ReadString("Archivos del proyecto", "A0", ""), "1 C:\\web\\index.htm");

    TStringList names;
    ini.ReadSection("DATOS DEL PROYECTO", names);
    EXPECT_EQ(names.Text(), "Nombre\r\nArchivo modelo\r\nComillas\r\nVacio\r\nExtra\r\n");
    ini.ReadSections(names);
    EXPECT_EQ(names.Text(), "Datos del proyecto\r\nArchivos del proyecto\r\n");

    const TIniFile missing(folder.path.string() + "/no.kr");
    EXPECT_FALSE(missing.SectionExists("Datos del proyecto"));
    EXPECT_EQ(missing.ReadString("Datos del proyecto", "Nombre", "d"), "d");
}

TEST(IniFile, EveryTruncationReadsWhatItHolds)
{
    for (size_t n = 0; n <= kProject.size(); ++n) {
        const std::string cut = kProject.substr(0, n);
        const TIniFile ini = TIniFile::FromText(cut);
        const std::string name = ini.ReadString("Datos del proyecto", "Nombre", "");
        // The value is whatever of "Mi sitio" the cut kept, never the later duplicate.
        EXPECT_EQ(std::string("Mi sitio").rfind(name, 0), 0u) << n;
        EXPECT_EQ(ini.SectionExists("Archivos del proyecto"), cut.find("[Archivos del proyecto") != std::string::npos) << n;
    }
}

TEST(IniFile, ManyKeysAndSectionsAnswerAsAScanOfTheFileWould)
{
    // Names over a few letters in either case (Windows-1252 ones too), so that many repeat.
    std::mt19937 random(1212);
    const std::string letters = "aAbB\xE1\xC1\xF1\xD1";
    const auto name = [&] {
        std::string n;
        const int length = 1 + static_cast<int>(random() % 3);
        for (int i = 0; i < length; ++i)
            n += letters[random() % letters.size()];
        return n;
    };
    std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> model;
    std::string text;
    for (int line = 0; line < 4000; ++line) {
        if (line % 200 == 0 || model.empty()) {
            const std::string section = name();
            text += "[" + section + "]\n";
            auto at = std::find_if(model.begin(), model.end(), [&](const auto& s) { return AnsiSameText(s.first, section); });
            if (at == model.end())
                model.push_back({section, {}});
            else
                std::rotate(at, at + 1, model.end());
            continue;
        }
        const std::string key = name() + name();
        const std::string value = std::to_string(line);
        text += key + "=" + value + "\n";
        auto& values = model.back().second;
        if (std::none_of(values.begin(), values.end(), [&](const auto& v) { return AnsiSameText(v.first, key); }))
            values.push_back({key, value});
    }
    const TIniFile ini = TIniFile::FromText(text);
    TStringList names;
    for (const auto& [section, values] : model) {
        ini.ReadSection(AnsiLowerCase(section), names);
        ASSERT_EQ(names.Count(), static_cast<int>(values.size())) << section;
        for (size_t i = 0; i < values.size(); ++i) {
            EXPECT_EQ(names[static_cast<int>(i)], values[i].first);
            EXPECT_EQ(ini.ReadString(section, AnsiUpperCaseForTest(values[i].first), "?"), values[i].second);
        }
    }
}

TEST(IniFileWriting, KeepsOrderCaseAndTheValuesBytes)
{
    TempDir dir("ini");
    const std::string path = dir.file("p.kr",
                                      "[Datos del proyecto]\nRead=1\nFecha de creaci\xF3n=lunes\n"
                                      "[Archivos del proyecto]\nArchivos=1\nA0=0,/viejo\n[Otra]\nx=\"y\"\n");
    {
        TIniFile ini(path);
        ini.WriteString("DATOS DEL PROYECTO", "READ", "2");
        ini.WriteString("datos del proyecto", "Nuevo", "se\xF1or");
        ini.WriteString("Archivos del proyecto", "A1", "1,/p/a b.htm");
        ini.WriteInteger("Nueva", "N", -5);
        ini.UpdateFile();
    }
    EXPECT_EQ(ReadFileBytes(path),
              "[Datos del proyecto]\r\nRead=2\r\nFecha de creaci\xF3n=lunes\r\nNuevo=se\xF1or\r\n\r\n"
              "[Archivos del proyecto]\r\nArchivos=1\r\nA0=0,/viejo\r\nA1=1,/p/a b.htm\r\n\r\n"
              "[Otra]\r\nx=y\r\n\r\n[Nueva]\r\nN=-5\r\n");
    const TIniFile back(path);
    EXPECT_EQ(back.ReadString("Datos del proyecto", "Fecha de creaci\xF3n", ""), "lunes");
    EXPECT_EQ(back.ReadString("Archivos del proyecto", "a1", ""), "1,/p/a b.htm");
    EXPECT_EQ(back.ReadString("Datos del proyecto", "Nuevo", ""), "se\xF1or");
    EXPECT_EQ(back.ReadInteger("nueva", "n", 0), -5);
    TStringList values;
    back.ReadSectionValues("Archivos del proyecto", values);
    ASSERT_EQ(values.Count(), 3);
    EXPECT_EQ(values[0], "Archivos=1");
    EXPECT_EQ(values[2], "A1=1,/p/a b.htm");
}

TEST(IniFileWriting, ErasesAndDeletesOnlyWhatItNames)
{
    TIniFile ini = TIniFile::FromText("[a]\nx=1\ny=2\n[b]\nx=3\n[c]\nz=4\n");
    ini.EraseSection("B");
    ini.EraseSection("missing");
    ini.DeleteKey("A", "X");
    ini.DeleteKey("c", "nothing");
    EXPECT_EQ(ini.Text(), "[a]\r\ny=2\r\n\r\n[c]\r\nz=4\r\n");
    EXPECT_FALSE(ini.SectionExists("b"));
    EXPECT_EQ(ini.ReadString("c", "z", ""), "4");
    // The indexes follow the removals: a rewritten key stays where it is.
    ini.WriteString("C", "Z", "5");
    ini.WriteString("a", "w", "6");
    EXPECT_EQ(ini.Text(), "[a]\r\ny=2\r\nw=6\r\n\r\n[c]\r\nz=5\r\n");
}

TEST(IniFileWriting, ValuesReadingWouldChangeAreQuotedAndLinesStayLines)
{
    // "x" reads x, ""x"" reads "x": what was read is what is written back.
    const TIniFile read = TIniFile::FromText("[s]\na=\"x\"\nb=\"\"x\"\"\nc='\nd=\"a'\n");
    EXPECT_EQ(read.ReadString("s", "a", ""), "x");
    EXPECT_EQ(read.ReadString("s", "b", ""), "\"x\"");
    TIniFile written = TIniFile::FromText("");
    // Key names made without a literal added to a string (a false GCC 12 warning in Release).
    auto key = [](size_t i) { return std::string(1, 'k').append(std::to_string(i)); };
    const std::vector<std::string> samples = {"x", "\"x\"", "'", "\"a'", " blancos ", "''", "", "=a=b", "\"\""};
    for (size_t i = 0; i < samples.size(); ++i)
        written.WriteString("s", key(i), samples[i]);
    written.WriteString("s", "line", "uno\r\ndos\n");
    const TIniFile back = TIniFile::FromText(written.Text());
    for (size_t i = 0; i < samples.size(); ++i)
        EXPECT_EQ(back.ReadString("s", key(i), "?"), samples[i]) << i;
    EXPECT_EQ(back.ReadString("s", "line", ""), "uno  dos ");
    // Files with LF alone read as those with CR LF.
    const TIniFile lf = TIniFile::FromText("[s]\nk=v\n[t]\nk=w\n");
    const TIniFile crlf = TIniFile::FromText("[s]\r\nk=v\r\n[t]\r\nk=w\r\n");
    EXPECT_EQ(lf.Text(), crlf.Text());
    EXPECT_EQ(lf.ReadString("t", "k", ""), "w");
}

TEST(IniFileWriting, AMissingFileGivesDefaultsAndIsMadeOnUpdate)
{
    TempDir dir("ini");
    const std::string path = (dir.path / "nuevo.kr").string();
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("s", "k", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("s", "n", 7), 7);
    ini.WriteString("s", "k", "v");
    ini.UpdateFile();
    EXPECT_EQ(ReadFileBytes(path), "[s]\r\nk=v\r\n");
}

TEST(IniFileWriting, AFileThatCannotBeWrittenIsReportedAndStaysWhole)
{
    TempDir dir("ini");
    const std::string path = dir.file("p.kr", "[s]\nk=viejo\n");
    namespace fs = std::filesystem;
    // Others may read the folder and the file, nobody but its owner may write them.
    fs::permissions(dir.path, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(path, fs::perms::owner_read | fs::perms::others_read);
    const TUnprivilegedRun run = RunUnprivileged([&]() -> std::string {
        TIniFile ini(path);
        ini.WriteString("s", "k", "nuevo");
        try {
            ini.UpdateFile();
            return "written";
        } catch (const EFCreateError& error) {
            if (std::string(error.what()).find(path) == std::string::npos)
                return std::string("message without the name: ") + error.what();
        }
        return "";
    });
    if (run.Skipped)
        GTEST_SKIP() << run.Failure;
    EXPECT_EQ(run.Failure, "");
    EXPECT_EQ(ReadFileBytes(path), "[s]\nk=viejo\n");
    // A file that can be written keeps its permissions.
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    TIniFile ini(path);
    ini.WriteString("s", "k", "nuevo");
    ini.UpdateFile();
    EXPECT_EQ(std::filesystem::status(path).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(TIniFile(path).ReadString("s", "k", ""), "nuevo");
}
