// The program's own files, each kind through its own writer and reader: every text reads back as written, an earlier version's Windows-1252 file as before, and no mark of a held character reaches a file.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/model/KestrimaConfig.h"
#include "app/model/PanelItems.h"
#include "app/model/ProjectFile.h"
#include "app/model/StyleLibrary.h"
#include "app/model/libKestrima.h"
#include "editor/model/Templates.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/Collation.h"
#include "platform/core/FileSystem.h"
#include "platform/core/IniFile.h"
#include "platform/core/ProgramFileText.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"
#include "support/ProgramFileTexts.h"
#include "support/ProgramFolderWhile.h"
#include "support/StringListItems.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

namespace {

// Bytes below the blank but TAB: the line store holds them as ".", so no text of the program's keeps one.
const std::string kControls = [] {
    std::string bytes;
    for (char c = 0; c < ' '; ++c)
        if (c != '\t')
            bytes += c;
    return bytes;
}();

// A file as it reaches the disk holds no mark of a held character, neither as its byte nor as the
// escape of a control character that the settings store writes for one.
void ExpectNoMark(const std::string& path)
{
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(bytes.find('\x1F'), std::string::npos) << path;
    EXPECT_EQ(bytes.find("\\x1F"), std::string::npos) << bytes;
}

// Texts of every kind; in every other round of a test, Windows-1252 that spells UTF-8 alone, whose
// file an encoding guessed from the bytes reads wrongly.
struct TRandomTexts {
    std::mt19937 Random;
    bool Lookalike = false;

    std::string Text(const std::vector<std::string>& pieces, size_t maxPieces)
    {
        static const std::vector<std::string> lookalikes = Utf8LookalikePieces();
        return RandomProgramText(Random, Lookalike ? lookalikes : pieces, maxPieces);
    }
    void NextRound(int round) { Lookalike = round % 2 != 0; }
};

// A name that no reader trims or folds into another: a letter at each end and a number of its own.
std::string UniqueName(TRandomTexts& random, const std::vector<std::string>& pieces, int index)
{
    return "n" + std::to_string(index) + random.Text(pieces, 6) + "n";
}

} // namespace

TEST(ProgramFiles, CodeLibrariesGiveBackEveryNameAndText)
{
    TempDir dir("files140-cod");
    TRandomTexts random{std::mt19937(3114)};
    const std::vector<std::string> namePieces = ProgramTextPieces(kControls + "*[]");
    const std::vector<std::string> textPieces = ProgramTextPieces(kControls + "[");
    for (int round = 0; round < 12; ++round) {
        random.NextRound(round);
        const std::string file = dir.file("r" + std::to_string(round) + ".cod", "");
        std::vector<std::pair<std::string, std::string>> added;
        for (int i = 0; i < 12; ++i) {
            const std::string name = UniqueName(random, namePieces, i);
            std::string text = random.Text(textPieces, 10);
            if (random.Random() % 2)
                text += "\r" + random.Text(textPieces, 6);
            ASSERT_TRUE(AddLibraryEntry(file, name, text));
            // An entry's text is its lines joined with CR: a break at its end is no line.
            const TStringList lines = LibraryLines(ShownProgramText(text));
            std::string expected;
            for (int l = 0; l < lines.Count(); ++l)
                expected += (l ? "\r" : "") + lines[l];
            added.emplace_back(ShownProgramText(name), expected);
        }
        ExpectNoMark(file);
        TStringList names;
        ASSERT_TRUE(ReadLibrarySections(file, names));
        ASSERT_EQ(names.Count(), static_cast<int>(added.size()));
        for (size_t i = 0; i < added.size(); ++i) {
            EXPECT_EQ(names[static_cast<int>(i)], added[i].first);
            EXPECT_EQ(ReadLibraryEntry(file, added[i].first), added[i].second) << added[i].first;
        }
        // Deleting rewrites the rest as it read them.
        ASSERT_TRUE(DeleteLibraryEntry(file, added[0].first));
        ExpectNoMark(file);
        for (size_t i = 1; i < added.size(); ++i)
            EXPECT_EQ(ReadLibraryEntry(file, added[i].first), added[i].second) << added[i].first;
    }
}

TEST(ProgramFiles, WildcardLibrariesGiveBackEveryName)
{
    TempDir dir("files140-krm");
    TRandomTexts random{std::mt19937(3121)};
    const std::vector<std::string> pieces = ProgramTextPieces(kControls + " ");
    for (int round = 0; round < 40; ++round) {
        random.NextRound(round);
        TStringList names;
        std::vector<std::string> shown;
        for (int i = 0; i < 8; ++i) {
            const std::string name = UniqueName(random, pieces, i);
            names.Add(name);
            shown.push_back(ShownProgramText(name));
        }
        const std::string file = (dir.path / "c.krm").string();
        WriteWildcardLibrary(file, names);
        ExpectNoMark(file);
        TStringList back;
        ReadWildcardLibrary(file, back);
        std::vector<std::string> read = Items(back);
        std::sort(read.begin(), read.end());
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(read, shown);
    }
}

TEST(ProgramFiles, StyleLibrariesGiveBackEverySelector)
{
    TRandomTexts random{std::mt19937(3118)};
    const std::vector<std::string> pieces = ProgramTextPieces(kControls + " \t{}:;");
    for (int round = 0; round < 200; ++round) {
        random.NextRound(round);
        std::string text;
        std::vector<std::string> selectors;
        for (int i = 0; i < 4; ++i) {
            const std::string selector = UniqueName(random, pieces, i);
            text += selector + " {color: " + random.Text(pieces, 4) + ";}\r\n";
            selectors.push_back(ShownProgramText(selector) + " ");
        }
        TStyleLibrary lib;
        lib.Load(text);
        const std::string saved = lib.Normalise();
        for (const bool wasUtf8 : {false, true}) {
            const std::string bytes = ProgramFileBytes(saved, wasUtf8);
            ASSERT_EQ(bytes.find('\x1F'), std::string::npos);
            bool utf8 = false;
            TStyleLibrary back;
            back.Load(ProgramFileText(bytes, &utf8));
            EXPECT_EQ(back.Text(), ShownProgramText(saved));
            std::vector<std::string> read = back.Selectors();
            std::sort(read.begin(), read.end());
            std::vector<std::string> expected = selectors;
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(read, expected) << saved;
            EXPECT_EQ(ProgramFileBytes(back.Normalise(), utf8), bytes);
        }
    }
}

TEST(ProgramFiles, CodeTemplatesAndAutoCorrectionsGiveBackEveryEntry)
{
    TempDir dir("files140-krt");
    TRandomTexts random{std::mt19937(3125)};
    const std::vector<std::string> keyPieces = ProgramTextPieces(kControls + "[]| ");
    const std::vector<std::string> textPieces = ProgramTextPieces(kControls + "[");
    for (int round = 0; round < 30; ++round) {
        random.NextRound(round);
        TCodeTemplates templates;
        TAutoReplace corrections;
        for (int i = 0; i < 6; ++i) {
            std::string text = random.Text(textPieces, 8);
            if (random.Random() % 2)
                text += "\r" + random.Text(textPieces, 6);
            templates.SetTemplate(UniqueName(random, keyPieces, i), UniqueName(random, keyPieces, i), text);
            corrections.AddReplacement(UniqueName(random, keyPieces, i), random.Text(textPieces, 8));
        }
        for (TCodeTemplates* list : {static_cast<TCodeTemplates*>(&templates), static_cast<TCodeTemplates*>(&corrections)}) {
            const std::string file = (dir.path / "l.krt").string();
            list->SaveToFile(file);
            ExpectNoMark(file);
            TCodeTemplates back;
            back.LoadFromFile(file);
            ASSERT_EQ(back.Count(), list->Count());
            for (int i = 0; i < list->Count(); ++i) {
                EXPECT_EQ(back.Entry(i).Key, ShownProgramText(list->Entry(i).Key));
                EXPECT_EQ(back.Entry(i).Description, ShownProgramText(list->Entry(i).Description));
                EXPECT_EQ(back.Entry(i).Text, ShownProgramText(list->Entry(i).Text));
            }
        }
    }
}

TEST(ProgramFiles, ProjectsGiveBackTheirTexts)
{
    TempDir dir("files140-kr");
    TRandomTexts random{std::mt19937(3106)};
    const std::vector<std::string> pieces = ProgramTextPieces(kControls);
    for (int round = 0; round < 200; ++round) {
        random.NextRound(round);
        const std::string path = (dir.path / "p.kr").string();
        TProjectData data;
        data.Nombre = std::string("p") + random.Text(pieces, 10) + "p";
        data.Autor = random.Text(pieces, 10);
        data.Descripcion = random.Text(pieces, 10);
        {
            TIniFile ini(path);
            WriteProjectData(ini, data);
            ini.UpdateFile();
        }
        ExpectNoMark(path);
        const TProjectData back = ReadProjectData(TIniFile(path), "ahora");
        EXPECT_EQ(back.Nombre, ShownProgramText(data.Nombre));
        EXPECT_EQ(back.Autor, ShownProgramText(data.Autor));
        EXPECT_EQ(back.Descripcion, ShownProgramText(data.Descripcion));
        std::filesystem::remove(path);
    }
}

TEST(ProgramFiles, CustomCodesInTheSettingsGiveBackEveryCode)
{
    TProgramFolderWhile folder("/opt/kestrima");
    TRandomTexts random{std::mt19937(3117)};
    const std::vector<std::string> pieces = ProgramTextPieces(kControls);
    for (int round = 0; round < 20; ++round) {
        random.NextRound(round);
        TempRegistry registry("files140-settings");
        TKestrimaConfig config;
        config.Load();
        std::vector<std::string> opening, closing;
        for (int i = 0; i < 6; ++i) {
            const std::string code = "<c" + std::to_string(i) + random.Text(pieces, 8) + ">";
            const std::string close = random.Text(pieces, 8);
            config.TagNames.Add(code);
            config.TagValues.Add(close);
            opening.push_back(ShownProgramText(code));
            closing.push_back(ShownProgramText(close));
        }
        config.Save();
        RegistryStore::Flush();
        ExpectNoMark(RegistryStore::FileName());
        RegistryStore::Reload();
        TKestrimaConfig back;
        back.Load();
        EXPECT_EQ(Items(back.TagNames), opening);
        EXPECT_EQ(Items(back.TagValues), closing);
    }
    // A custom code that the version before stored with the mark's escape still reads as its
    // character, and the next save stores the character itself.
    TempRegistry registry("files140-settings");
    WriteFileBytes(RegistryStore::FileName(),
                   "Kestrima registry 1\n\n[HKEY_CURRENT_USER\\Software\\Dremal\\Kestrima\\Tags]\n"
                   "\"<span title=\\\"\\x1F#946;\\\">\"=\"</span>\"\n");
    RegistryStore::Reload();
    TKestrimaConfig config;
    config.Load();
    EXPECT_EQ(Items(config.TagNames), std::vector<std::string>{"<span title=\"" + HeldCharacter(0x3B2) + "\">"});
    config.Save();
    RegistryStore::Flush();
    ExpectNoMark(RegistryStore::FileName());
    EXPECT_NE(ReadFileBytes(RegistryStore::FileName()).find("\"<span title=\\\"\xCE\xB2\\\">\"=\"</span>\""), std::string::npos);
}

TEST(ProgramFiles, AnEarlierVersionsWindows1252FilesReadAsBefore)
{
    TempDir dir("files140-old");
    // Bytes an earlier version wrote, some of which happen to spell UTF-8: "Ã©x" is three characters.
    const std::string name = "\xC3\xA9x", text = "Pe\xF1" "a \xC3\xA9 \xEF\xBB\xBF &#946;";
    const std::string library = dir.file("a.cod", "[*" + name + "*]\r\n" + text + "\r\n");
    TStringList names;
    ASSERT_TRUE(ReadLibrarySections(library, names));
    EXPECT_EQ(Items(names), std::vector<std::string>{name});
    EXPECT_EQ(ReadLibraryEntry(library, name), text);
    ASSERT_TRUE(AddLibraryEntry(library, "b", "x"));
    EXPECT_EQ(ReadFileBytes(library), "[*" + name + "*]\r\n" + text + "\r\n[*b*]\r\nx\r\n");

    const std::string wildcards = dir.file("c.krm", name + "\r\n\xEF\xBB\xBF\r\n");
    TStringList read;
    ReadWildcardLibrary(wildcards, read);
    EXPECT_EQ(Items(read), (std::vector<std::string>{name, "\xEF\xBB\xBF"}));
    WriteWildcardLibrary(wildcards, read);
    EXPECT_EQ(ReadFileBytes(wildcards), name + "\r\n\xEF\xBB\xBF\r\n");

    // An earlier version's UTF-8, written without the mark for a text holding a character
    // Windows-1252 lacks, reads as it did then, and is written back with the mark.
    const std::string utf8Wildcards = dir.file("u.krm", "\xCE\xB2" "eta\r\n\xC3\xB1\r\n");
    TStringList readUtf8;
    ReadWildcardLibrary(utf8Wildcards, readUtf8);
    EXPECT_EQ(Items(readUtf8), (std::vector<std::string>{HeldCharacter(0x3B2) + "eta", "\xF1"}));
    WriteWildcardLibrary(utf8Wildcards, readUtf8);
    EXPECT_EQ(ReadFileBytes(utf8Wildcards), "\xEF\xBB\xBF\xCE\xB2" "eta\r\n\xC3\xB1\r\n");

    const std::string templates = dir.file("t.krt", "[" + name + " | d]\r\n" + text + "\r\n");
    TCodeTemplates list;
    list.LoadFromFile(templates);
    ASSERT_EQ(list.Count(), 1);
    // The key as the list keeps any key it is given: the three characters, never "é".
    TCodeTemplates direct;
    direct.SetTemplate(name, "d", text);
    EXPECT_EQ(list.Entry(0).Key, direct.Entry(0).Key);
    EXPECT_EQ(list.Entry(0).Description, "d");
    EXPECT_EQ(list.Entry(0).Text, text);

    const TIniFile project = TIniFile::FromText("[Datos del proyecto]\r\nNombre=" + name + "\r\nAutor=" + text + "\r\n");
    EXPECT_EQ(ReadProjectData(project, "ahora").Nombre, name);
    EXPECT_EQ(ReadProjectData(project, "ahora").Autor, text);
}
