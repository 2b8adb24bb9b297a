// Tests of the settings object: defaults, clamped choices, menu lists with separators, and the round trip through the registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/model/KestrimaConfig.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"
#include "support/ProgramFolderWhile.h"
#include "support/StringListItems.h"
#include "support/TempRegistry.h"

namespace {

constexpr const char* kKey = TKestrimaConfig::kRegistryKey;

std::vector<std::string> sectionNames(const char* section)
{
    TRegIniFile ini(kKey);
    TStringList names;
    ini.ReadSection(section, names);
    return Items(names);
}

// Every field as text, in the order of the class, for comparing two objects whole.
std::string dump(const TKestrimaConfig& c)
{
    std::string s;
    for (const std::string* field :
         {&c.Version, &c.LastOpenDir, &c.LastSaveDir, &c.LastTreeDir, &c.LastLibrary, &c.LastStyle, &c.LastProyect,
          &c.LibraryDir, &c.NewFileModel, &c.CharacterLib, &c.CustomPalette, &c.TopicHelp, &c.FileWeighExt, &c.Email,
          &c.Making, &c.Corvela, &c.Web, &c.URLPrefix})
        s += *field + "|";
    for (int value : {int{c.InitialFile}, int{c.NewFile}, int{c.Caps}, int{c.InsertDirs}, int{c.QuickTag},
                      int{c.AddOpenFiles}, int{c.InsSpecChar}, int{c.InsHtmlData}, int{c.MakeBackups},
                      int{c.UseCustomPalette}, int{c.ShowTips}, c.FontSize, c.InsCaseMode, c.DateFormat,
                      c.DefaultParser, int{c.SaveCheckBoxes}, int{c.BrowserMode}, c.FormTop, c.FormLeft,
                      c.FormWidth, c.FormHeight, int{c.FormWindowState}, int{c.SaveWindow}, c.ColTagsWidth,
                      c.ColValuWidth})
        s += IntToStr(value) + "|";
    for (const TStringList* list : {&c.MRU, &c.UtilNames, &c.UtilValues, &c.BrwNames, &c.BrwValues, &c.TagNames,
                                    &c.TagValues}) {
        for (const std::string& item : Items(*list))
            s += item + ";";
        s += "|";
    }
    return s;
}

struct ProgramFolderFixture : ::testing::Test {
    TProgramFolderWhile folder{"/opt/kestrima"};
};

using KestrimaConfig = ProgramFolderFixture;

} // namespace

TEST_F(KestrimaConfig, AFreshRegistryGivesTheDefaultsAndNineEmptyRecentFiles)
{
    TempRegistry registry("app");
    TKestrimaConfig c;
    c.Load();
    EXPECT_EQ(c.Version, "3.1");
    EXPECT_EQ(c.LastOpenDir, "");
    EXPECT_EQ(c.LastSaveDir, "");
    const char* home = std::getenv("HOME");
    EXPECT_EQ(c.LastTreeDir, home && *home ? std::string(home) + (std::string(home).back() == '/' ? "" : "/") : "/");
    EXPECT_EQ(c.LastLibrary + c.LastStyle + c.LastProyect + c.TopicHelp + c.URLPrefix, "");
    EXPECT_EQ(c.LibraryDir, "/opt/kestrima/Plantillas");
    EXPECT_EQ(c.NewFileModel, "/opt/kestrima/normal.htm");
    EXPECT_EQ(c.CharacterLib, "/opt/kestrima/iso8859-1.kyb");
    EXPECT_EQ(c.CustomPalette, "/opt/kestrima/navigator.pal");
    EXPECT_EQ(c.FileWeighExt, ".gif;.jpg;.jpeg;.bmp;.png;.class;.js;.css;.wav;.mid");
    EXPECT_EQ(std::vector<int>({c.InitialFile, c.NewFile, c.InsertDirs, c.BrowserMode, c.FormWindowState}),
              std::vector<int>({1, 1, 2, 1, 1}));
    EXPECT_EQ(std::vector<bool>({c.Caps, c.QuickTag, c.AddOpenFiles, c.InsSpecChar, c.InsHtmlData, c.MakeBackups,
                                 c.UseCustomPalette, c.ShowTips, c.SaveCheckBoxes, c.SaveWindow}),
              std::vector<bool>({true, false, true, true, false, true, true, true, false, false}));
    EXPECT_EQ(std::vector<int>({c.FontSize, c.InsCaseMode, c.DateFormat, c.DefaultParser, c.FormTop, c.FormLeft,
                                c.FormWidth, c.FormHeight, c.ColTagsWidth, c.ColValuWidth}),
              std::vector<int>({8, 3, 0, 1, 0, 0, 640, 480, 64, 64}));
    EXPECT_EQ(Items(c.MRU), std::vector<std::string>(9));
    EXPECT_EQ(c.UtilNames.Count() + c.BrwNames.Count() + c.TagNames.Count() + c.TagValues.Count(), 0);
    // No address of anyone is offered unasked.
    EXPECT_EQ(c.Email + c.Making + c.Corvela + c.Web, "");
}

TEST_F(KestrimaConfig, ChoicesOutsideTheirRangeReadAsTheFallback)
{
    struct Choice {
        const char* section;
        const char* key;
        uint8_t TKestrimaConfig::*field;
        int last;
        int fallback;
    };
    const Choice choices[] = {{"Settings", "InitialFile", &TKestrimaConfig::InitialFile, 3, 0},
                              {"Settings", "NewFile", &TKestrimaConfig::NewFile, 2, 0},
                              {"Settings", "InsertDirs", &TKestrimaConfig::InsertDirs, 2, 1},
                              {"Settings", "BrowserMode", &TKestrimaConfig::BrowserMode, 2, 0},
                              {"Form", "FormWindowState", &TKestrimaConfig::FormWindowState, 2, 0}};
    for (const Choice& choice : choices) {
        for (int stored : {-1, 0, 1, 2, 3, 5, 7, 9, 256}) {
            TempRegistry registry("app");
            TRegIniFile(kKey).WriteInteger(choice.section, choice.key, stored);
            TKestrimaConfig c;
            c.Load();
            const int expected = stored >= 0 && stored <= choice.last ? stored : choice.fallback;
            EXPECT_EQ(c.*choice.field, expected) << choice.key << " " << stored;
        }
    }
    // The cases the design names.
    TempRegistry registry("app");
    {
        TRegIniFile ini(kKey);
        ini.WriteInteger("Settings", "InitialFile", 7);
        ini.WriteInteger("Settings", "NewFile", 3);
        ini.WriteInteger("Settings", "InsertDirs", 9);
        ini.WriteInteger("Settings", "BrowserMode", 5);
    }
    TKestrimaConfig c;
    c.Load();
    EXPECT_EQ(std::vector<int>({c.InitialFile, c.NewFile, c.InsertDirs, c.BrowserMode}),
              std::vector<int>({0, 0, 1, 0}));
}

TEST_F(KestrimaConfig, SaveWritesTheVersionAndAnUnknownWindowStateAsNormal)
{
    TempRegistry registry("app");
    TRegIniFile(kKey).WriteString("Parametros", "Viejo", "x");
    TKestrimaConfig c;
    c.Load();
    c.Version = "2.0";
    c.FormWindowState = 5;
    c.Save();
    TRegIniFile ini(kKey);
    EXPECT_EQ(ini.ReadString("Settings", "Version", ""), "3.1");
    EXPECT_EQ(ini.ReadInteger("Form", "FormWindowState", -1), 1);
    EXPECT_FALSE(ini.SectionExists("Parametros"));
    // BrowserMode goes before SaveCheckBoxes, as the options dialog lists them.
    TStringList names;
    ini.ReadSection("Settings", names);
    EXPECT_EQ(names.IndexOf("SaveCheckBoxes"), names.IndexOf("BrowserMode") + 1);
    EXPECT_EQ(names.Count(), 30);
}

TEST_F(KestrimaConfig, SeparatorsLoadAsADashAndSaveUnderTheirIndex)
{
    TempRegistry registry("app");
    {
        TRegIniFile ini(kKey);
        ini.WriteString("Utilities", "-0", "");
        ini.WriteString("Utilities", "Validar", "/usr/bin/tidy");
        ini.WriteString("Utilities", "-2", "ignored");
        ini.WriteString("Tags", "-7", "");
        ini.WriteString("Tags", "Negrita", "<b>");
        ini.WriteString("Browsers", "Firefox", "/usr/bin/firefox");
    }
    TKestrimaConfig c;
    c.Load();
    EXPECT_EQ(Items(c.UtilNames), std::vector<std::string>({"-", "Validar", "-"}));
    EXPECT_EQ(Items(c.UtilValues), std::vector<std::string>({"", "/usr/bin/tidy", "ignored"}));
    EXPECT_EQ(Items(c.TagNames), std::vector<std::string>({"-", "Negrita"}));
    EXPECT_EQ(Items(c.BrwNames), std::vector<std::string>({"Firefox"}));
    EXPECT_EQ(Items(c.BrwValues), std::vector<std::string>({"/usr/bin/firefox"}));

    // A separator moved by the user is stored under its new place.
    c.TagNames.Exchange(0, 1);
    c.TagValues.Exchange(0, 1);
    c.Save();
    EXPECT_EQ(sectionNames("Utilities"), std::vector<std::string>({"-0", "Validar", "-2"}));
    EXPECT_EQ(sectionNames("Tags"), std::vector<std::string>({"Negrita", "-1"}));
    EXPECT_EQ(TRegIniFile(kKey).ReadString("Utilities", "-2", "?"), "ignored");
}

TEST_F(KestrimaConfig, AShortRecentFilesListIsSavedAsNineEntries)
{
    TempRegistry registry("app");
    TKestrimaConfig c;
    c.Load();
    c.MRU.Clear();
    c.MRU.Add("/home/a.htm");
    c.UtilNames.Add("Solo nombre");  // its value is missing
    c.Save();
    EXPECT_EQ(sectionNames("MRU"), std::vector<std::string>({"0", "1", "2", "3", "4", "5", "6", "7", "8"}));
    TKestrimaConfig back;
    back.Load();
    EXPECT_EQ(back.MRU[0], "/home/a.htm");
    EXPECT_EQ(back.MRU.Count(), 9);
    EXPECT_EQ(Items(back.UtilValues), std::vector<std::string>({""}));
}

TEST_F(KestrimaConfig, EveryFieldSurvivesARoundTripThroughANewProcess)
{
    std::mt19937 random(37);
    auto text = [&random](int length) {
        std::string s;
        for (int i = 0; i < length; ++i)
        {
            // Windows-1252 leaves five codes undefined; the store keeps text, so they do not occur.
            const int c = std::uniform_int_distribution<int>(0x20, 0xFF)(random);
            s += (c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D) ? 'x' : static_cast<char>(c);
        }
        return s;
    };
    auto number = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int round = 0; round < 20; ++round) {
        TempRegistry registry("app");
        TKestrimaConfig c;
        c.Load();
        for (std::string* field : {&c.LastOpenDir, &c.LastSaveDir, &c.LastTreeDir, &c.LastLibrary, &c.LastStyle,
                                   &c.LastProyect, &c.LibraryDir, &c.NewFileModel, &c.CharacterLib,
                                   &c.CustomPalette, &c.TopicHelp, &c.FileWeighExt, &c.Email, &c.Making,
                                   &c.Corvela, &c.Web, &c.URLPrefix})
            *field = text(number(0, 30));
        c.InitialFile = number(0, 3);
        c.NewFile = number(0, 2);
        c.InsertDirs = number(0, 2);
        c.BrowserMode = number(0, 2);
        c.FormWindowState = number(0, 2);
        for (bool* flag : {&c.Caps, &c.QuickTag, &c.AddOpenFiles, &c.InsSpecChar, &c.InsHtmlData, &c.MakeBackups,
                           &c.UseCustomPalette, &c.ShowTips, &c.SaveCheckBoxes, &c.SaveWindow})
            *flag = number(0, 1) != 0;
        for (int32_t* value : {&c.FontSize, &c.InsCaseMode, &c.DateFormat, &c.DefaultParser, &c.FormTop, &c.FormLeft,
                               &c.FormWidth, &c.FormHeight, &c.ColTagsWidth, &c.ColValuWidth})
            *value = number(-100000, 100000);
        for (int i = 0; i < 9; ++i)
            c.MRU[i] = text(number(0, 20));
        const std::pair<TStringList*, TStringList*> lists[] = {
            {&c.UtilNames, &c.UtilValues}, {&c.BrwNames, &c.BrwValues}, {&c.TagNames, &c.TagValues}};
        for (const auto& [names, values] : lists) {
            const int count = number(0, 6);
            for (int i = 0; i < count; ++i) {
                // Names are keys: distinct, not empty, without a backslash.
                names->Add(number(0, 3) == 0 ? std::string("-") : Format("N%d %s", i, text(5).c_str()));
                std::replace((*names)[i].begin(), (*names)[i].end(), '\\', '/');
                values->Add(text(number(0, 20)));
            }
        }
        const std::string before = dump(c);
        c.Save();
        RegistryStore::Flush();
        RegistryStore::Reload();
        TKestrimaConfig back;
        back.Load();
        // Save rewrote the separators' names; the loaded copy has them as "-" again, like the original.
        EXPECT_EQ(dump(back), before) << round;
    }
}

TEST(ProgramFolder, IsTheExecutablesFolderOnlyWhenItHoldsDocs)
{
    namespace fs = std::filesystem;
    TProgramFolderWhile keep("");
    const fs::path executable = fs::read_symlink("/proc/self/exe");
    const fs::path docs = executable.parent_path() / "Docs";
    ASSERT_FALSE(fs::exists(docs));
    // Without Docs beside it, the program takes its files from the installed share folder.
    const std::string installed = ProgramFolder();
    EXPECT_TRUE(installed.ends_with("/share/kestrima/")) << installed;
    fs::create_directory(docs);
    EXPECT_EQ(ProgramFolder(), executable.parent_path().string() + "/");
    fs::remove(docs);
    EXPECT_EQ(ProgramFolder(), installed);
    SetProgramFolder("/srv/k");
    EXPECT_EQ(ProgramFolder(), "/srv/k/");
}
