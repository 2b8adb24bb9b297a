// The registry store: values, names, order, keys, the INI view, the file and its failures.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <dirent.h>
#include <gtest/gtest.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Registry.h"
#include "platform/core/RegistryTree.h"
#include "support/StringListItems.h"

extern char** environ;

namespace {

std::vector<std::string> valueNames(const TRegistry& reg)
{
    TStringList list;
    reg.GetValueNames(list);
    return Items(list);
}

std::vector<std::string> keyNames(const TRegistry& reg)
{
    TStringList list;
    reg.GetKeyNames(list);
    return Items(list);
}

std::string allBytes()
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += static_cast<char>(i);
    return bytes;
}

// Every test gets a store folder of its own and starts as a new process would.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* base = std::getenv("KESTRIMA_CONFIG_DIR");
        ASSERT_NE(base, nullptr);
        FSavedDir = base;
        std::string pattern = FSavedDir + "/registryXXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        FFolder = pattern;
        setenv("KESTRIMA_CONFIG_DIR", FFolder.c_str(), 1);
        RegistryStore::Reload();
    }

    void TearDown() override
    {
        RegistryStore::Reload();
        setenv("KESTRIMA_CONFIG_DIR", FSavedDir.c_str(), 1);
    }

    std::string storeFile() const { return FFolder + "/registry.reg"; }

    std::vector<std::string> folderEntries() const
    {
        std::vector<std::string> names;
        if (DIR* dir = opendir(FFolder.c_str())) {
            while (dirent* entry = readdir(dir))
                if (std::string(entry->d_name) != "." && std::string(entry->d_name) != "..")
                    names.push_back(entry->d_name);
            closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string FSavedDir;
    std::string FFolder;
};

TEST_F(RegistryTest, ValuesOfEveryKindSurviveAReloadFromDisk)
{
    const std::string bytes = allBytes();
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Dremal\\Kestrima\\ParserHTML", true));
        reg.WriteString("Highlighting - HTML", bytes);
        reg.WriteString("Empty", "");
        reg.WriteString("", "default text");
        reg.WriteInteger("Min", INT32_MIN);
        reg.WriteInteger("Max", INT32_MAX);
        reg.WriteInteger("Minus one", -1);
        reg.WriteBool("Flag", true);
        reg.WriteBinaryData("Key Assignments - HTML", bytes.data(), 256);
        reg.WriteBinaryData("Nothing", nullptr, 0);
        EXPECT_TRUE(reg.CreateKey("Empty key"));
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        ASSERT_TRUE(reg.OpenKey("\\.htm", true));
        reg.WriteString("", "htmlfile");
    }
    RegistryStore::Reload();

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Dremal\\Kestrima\\ParserHTML"));
    EXPECT_EQ(reg.ReadString("Highlighting - HTML"), bytes);
    EXPECT_EQ(reg.GetDataType("Highlighting - HTML"), rdString);
    EXPECT_EQ(reg.GetDataSize("Highlighting - HTML"), 257);
    EXPECT_TRUE(reg.ValueExists("Empty"));
    EXPECT_EQ(reg.GetDataSize("Empty"), 1);
    EXPECT_EQ(reg.ReadString(""), "default text");
    EXPECT_EQ(reg.ReadInteger("Min"), INT32_MIN);
    EXPECT_EQ(reg.ReadInteger("Max"), INT32_MAX);
    EXPECT_EQ(reg.ReadInteger("Minus one"), -1);
    EXPECT_EQ(reg.GetDataType("Min"), rdInteger);
    EXPECT_EQ(reg.GetDataSize("Min"), 4);
    EXPECT_TRUE(reg.ReadBool("Flag"));
    EXPECT_EQ(reg.ReadBinaryData("Key Assignments - HTML"), bytes);
    EXPECT_EQ(reg.GetDataType("Key Assignments - HTML"), rdBinary);
    EXPECT_EQ(reg.GetDataSize("Key Assignments - HTML"), 256);
    std::vector<char> buffer(257);
    EXPECT_EQ(reg.ReadBinaryData("Key Assignments - HTML", buffer.data(), 257), 256);
    EXPECT_EQ(std::string(buffer.data(), 256), bytes);
    EXPECT_THROW(reg.ReadBinaryData("Key Assignments - HTML", buffer.data(), 255), ERegistryException);
    EXPECT_EQ(reg.ReadBinaryData("Missing", buffer.data(), 257), 0);
    EXPECT_EQ(reg.GetDataType("Nothing"), rdBinary);
    EXPECT_EQ(reg.GetDataSize("Nothing"), 0);
    EXPECT_EQ(reg.GetDataSize("Missing"), -1);
    EXPECT_EQ(reg.GetDataType("Missing"), rdUnknown);
    EXPECT_TRUE(reg.KeyExists("Empty key"));
    EXPECT_FALSE(reg.KeyExists("\\.htm"));

    reg.SetRootKey(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(reg.OpenKey("\\.htm", false));
    EXPECT_EQ(reg.ReadString(""), "htmlfile");
    EXPECT_EQ(RegistryLoadProblem(), "");
}

// Run only as the child of the test below, in a process of its own.
TEST(RegistryChildProcess, DISABLED_ReadsWhatItsParentWroteAndAnswers)
{
    const char* folder = std::getenv("KESTRIMA_REGISTRY_PARENT_DIR");
    ASSERT_NE(folder, nullptr);
    setenv("KESTRIMA_CONFIG_DIR", folder, 1);
    RegistryStore::Reload();
    TRegIniFile ini("Software\\Dremal\\Kestrima");
    EXPECT_EQ(ini.ReadString("Settings", "LastOpenDir", ""), "/home/ana/web");
    EXPECT_EQ(ini.ReadInteger("Settings", "FontSize", 8), 14);
    ini.WriteString("Settings", "Answer", "le\xED""do");
}

TEST_F(RegistryTest, AFreshProcessReadsWhatThisOneWrote)
{
    {
        TRegIniFile ini("Software\\Dremal\\Kestrima");
        ini.WriteString("Settings", "LastOpenDir", "/home/ana/web");
        ini.WriteInteger("Settings", "FontSize", 14);
    }
    setenv("KESTRIMA_REGISTRY_PARENT_DIR", FFolder.c_str(), 1);
    std::string self = "/proc/self/exe";
    std::string filter = "--gtest_filter=RegistryChildProcess.DISABLED_ReadsWhatItsParentWroteAndAnswers";
    std::string disabled = "--gtest_also_run_disabled_tests";
    char* argv[] = {self.data(), filter.data(), disabled.data(), nullptr};
    pid_t child = 0;
    int spawned = posix_spawn(&child, self.c_str(), nullptr, nullptr, argv, environ);
    unsetenv("KESTRIMA_REGISTRY_PARENT_DIR");
    ASSERT_EQ(spawned, 0);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    RegistryStore::Reload();
    TRegIniFile ini("Software\\Dremal\\Kestrima");
    EXPECT_EQ(ini.ReadString("Settings", "Answer", ""), "le\xED""do");
}

TEST_F(RegistryTest, NamesMayHoldAnyCharacterButTheKeySeparator)
{
    const std::vector<std::string> values = {
        "</X>", "a/b", "\x80uro", "Espa\xF1""a", "say \"hi\"", "back\\slash", "line\nbreak\r\t", "=", "[x]",
        "100%", std::string("nul\0byte", 8), "\x81\x8D\x8F\x90\x9D", " lead and trail ", "@", ";"};
    const std::vector<std::string> keys = {
        "a/b", "</X>", "\xF1""and\xFA", "quote\"", "100%25", "[sec]", "tab\there", "x]", " spaced ", "\x9D\x7F", ";"};
    {
        TRegistry reg;
        for (const std::string& key : keys) {
            ASSERT_TRUE(reg.OpenKey("\\Software\\Test\\" + key, true));
            for (const std::string& name : values)
                reg.WriteString(name, name + "=" + name);
        }
    }
    RegistryStore::Reload();

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Test", false));
    EXPECT_EQ(keyNames(reg), keys);
    for (const std::string& key : keys) {
        ASSERT_TRUE(reg.OpenKey("\\Software\\Test\\" + key, false)) << key;
        EXPECT_EQ(valueNames(reg), values);
        for (const std::string& name : values)
            EXPECT_EQ(reg.ReadString(name), name + "=" + name);
    }
    EXPECT_EQ(RegistryLoadProblem(), "");
}

TEST_F(RegistryTest, EnumerationKeepsCreationOrder)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Dremal\\Kestrima", true));
        EXPECT_TRUE(reg.CreateKey("Tags"));
        EXPECT_TRUE(reg.CreateKey("Browsers"));
        EXPECT_TRUE(reg.CreateKey("Utilities"));
        EXPECT_TRUE(reg.CreateKey("Browsers")); // exists: stays in its place
        ASSERT_TRUE(reg.OpenKey("Tags", true));
        reg.WriteString("Zeta", "1");
        reg.WriteString("alpha", "2");
        reg.WriteString("Mid", "3");
        reg.WriteInteger("alpha", 4); // rewriting keeps the place, even with another kind
        EXPECT_EQ(valueNames(reg), (std::vector<std::string>{"Zeta", "alpha", "Mid"}));
        EXPECT_TRUE(reg.DeleteValue("Zeta"));
        EXPECT_FALSE(reg.DeleteValue("Zeta"));
        reg.WriteString("Zeta", "5"); // a new value goes last
        reg.RenameValue("alpha", "Beta");
        reg.RenameValue("Mid", "zeta"); // another value's name: nothing happens
        reg.RenameValue("Mid", "MID");  // only the case changes
        EXPECT_EQ(valueNames(reg), (std::vector<std::string>{"Beta", "MID", "Zeta"}));
        EXPECT_EQ(reg.ReadInteger("Beta"), 4);
        EXPECT_EQ(reg.ReadString("Mid"), "3");
    }
    RegistryStore::Reload();

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Dremal\\Kestrima", false));
    EXPECT_TRUE(reg.HasSubKeys());
    EXPECT_EQ(keyNames(reg), (std::vector<std::string>{"Tags", "Browsers", "Utilities"}));
    ASSERT_TRUE(reg.OpenKey("Tags", false));
    EXPECT_FALSE(reg.HasSubKeys());
    EXPECT_EQ(valueNames(reg), (std::vector<std::string>{"Beta", "MID", "Zeta"}));
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheCaseTheyWereCreatedWith)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Kestrima\\Settings", true));
        reg.WriteInteger("FontSize", 8);
        reg.WriteInteger("FONTSIZE", 10);
        reg.WriteString("Configuraci\xF3n", "a");
        reg.WriteString("\x9A", "s caron");
        reg.WriteString("\xF7", "division");
        reg.WriteString("\xD7", "multiplication"); // not letters: two names
        EXPECT_EQ(valueNames(reg), (std::vector<std::string>{"FontSize", "Configuraci\xF3n", "\x9A", "\xF7", "\xD7"}));
        ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\kestrima\\SETTINGS\\Sub", true));
        EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\kestrima\\SETTINGS\\Sub");
    }
    RegistryStore::Reload();

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("software\\KESTRIMA", false));
    EXPECT_EQ(keyNames(reg), std::vector<std::string>{"Settings"});
    ASSERT_TRUE(reg.OpenKey("settings", false));
    EXPECT_EQ(keyNames(reg), std::vector<std::string>{"Sub"});
    EXPECT_EQ(reg.ReadInteger("fontsize"), 10);
    EXPECT_EQ(reg.ReadString("CONFIGURACI\xD3N"), "a");
    EXPECT_EQ(reg.ReadString("\x8A"), "s caron");
    EXPECT_EQ(reg.ReadString("\xF7"), "division");
    EXPECT_EQ(reg.ReadString("\xD7"), "multiplication");
    EXPECT_FALSE(reg.ValueExists("FontSize "));
}

TEST_F(RegistryTest, DeletingAKeyRemovesEverythingBelowIt)
{
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("\\A\\B\\C", true));
    reg.WriteString("deep", "x");
    ASSERT_TRUE(reg.OpenKey("\\A\\B", false));
    reg.WriteString("middle", "y");
    ASSERT_TRUE(reg.OpenKey("\\A2", true));

    TRegistry other;
    ASSERT_TRUE(other.OpenKey("A\\B\\C", false));
    EXPECT_FALSE(reg.DeleteKey("\\"));
    EXPECT_TRUE(reg.DeleteKey("\\a"));
    EXPECT_FALSE(reg.DeleteKey("\\A"));
    EXPECT_FALSE(reg.KeyExists("\\A"));
    EXPECT_FALSE(reg.KeyExists("\\A\\B"));
    EXPECT_FALSE(reg.KeyExists("\\A\\B\\C"));
    EXPECT_TRUE(reg.KeyExists("\\A2"));

    // A key deleted while another object has it open is gone for that object too.
    EXPECT_FALSE(other.ValueExists("deep"));
    EXPECT_EQ(other.ReadString("deep"), "");
    EXPECT_THROW(other.WriteString("deep", "z"), ERegistryException);
    EXPECT_THROW(other.CreateKey("D"), ERegistryException);
    EXPECT_FALSE(reg.KeyExists("\\A"));
    other.CloseKey();
    reg.CloseKey();

    RegistryStore::Reload();
    EXPECT_FALSE(reg.KeyExists("A"));
    EXPECT_TRUE(reg.KeyExists("A2"));
}

TEST_F(RegistryTest, IniSectionsAreSubkeysAndIdentsAreValues)
{
    {
        TRegIniFile ini("Software\\Dremal\\Kestrima");
        EXPECT_EQ(ini.FileName(), "Software\\Dremal\\Kestrima");
        EXPECT_EQ(ini.CurrentPath(), "Software\\Dremal\\Kestrima");
        EXPECT_EQ(ini.ReadString("Settings", "Version", "3.1"), "3.1");
        EXPECT_EQ(ini.ReadInteger("Settings", "FontSize", 8), 8);
        EXPECT_TRUE(ini.ReadBool("Settings", "Caps", true));
        EXPECT_FALSE(ini.SectionExists("Settings"));

        ini.WriteString("Settings", "Version", "3.1");
        ini.WriteInteger("Settings", "FontSize", 12);
        ini.WriteBool("Settings", "Caps", false);
        ini.WriteBool("Settings", "ShowTips", true);
        ini.WriteString("Utilities", "-0", "");
        ini.WriteString("Utilities", "Bloc de notas", "notepad.exe");
        ini.WriteString("Utilities", "-2", "");
        EXPECT_TRUE(ini.SectionExists("settings"));
        EXPECT_TRUE(ini.ValueExists("Settings", "fontsize"));
        EXPECT_FALSE(ini.ValueExists("Settings", "Missing"));
        EXPECT_FALSE(ini.ValueExists("Missing", "FontSize"));

        TStringList list;
        list.Add("left over");
        ini.ReadSection("Utilities", list);
        EXPECT_EQ(Items(list), (std::vector<std::string>{"-0", "Bloc de notas", "-2"}));
        ini.ReadSectionValues("Utilities", list);
        EXPECT_EQ(Items(list), (std::vector<std::string>{"-0=", "Bloc de notas=notepad.exe", "-2="}));
        ini.ReadSections(list);
        EXPECT_EQ(Items(list), (std::vector<std::string>{"Settings", "Utilities"}));

        ini.DeleteKey("Utilities", "-2");
        ini.ReadSection("Utilities", list);
        EXPECT_EQ(Items(list), (std::vector<std::string>{"-0", "Bloc de notas"}));
        ini.EraseSection("Utilities");
        EXPECT_FALSE(ini.SectionExists("Utilities"));
        ini.ReadSection("Utilities", list);
        EXPECT_EQ(list.Count(), 0);
        ini.EraseSection("Parametros"); // missing: nothing happens
    }
    RegistryStore::Reload();

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Dremal\\Kestrima\\Settings", false));
    EXPECT_EQ(reg.GetDataType("Caps"), rdInteger);
    EXPECT_EQ(reg.ReadInteger("Caps"), 0);
    EXPECT_EQ(reg.ReadInteger("ShowTips"), 1);
    EXPECT_EQ(reg.ReadInteger("FontSize"), 12);
    EXPECT_EQ(reg.GetDataType("Version"), rdString);
    TRegIniFile ini("Software\\Dremal\\Kestrima");
    EXPECT_FALSE(ini.ReadBool("Settings", "Caps", true));
    EXPECT_EQ(ini.ReadInteger("Settings", "FontSize", 8), 12);
}

TEST_F(RegistryTest, IntegersAndTheirDecimalTextReadAsEachOther)
{
    TRegIniFile ini("Software\\Dremal\\Kestrima");
    ini.WriteString("Settings", "Five", "5");
    ini.WriteString("Settings", "Blanks", " -7 ");
    ini.WriteString("Settings", "TooBig", "2147483648");
    ini.WriteString("Settings", "Word", "abc");
    ini.WriteInteger("Settings", "Number", -12);
    ini.WriteString("Settings", "One", "1");
    EXPECT_EQ(ini.ReadInteger("Settings", "Five", 0), 5);
    EXPECT_EQ(ini.ReadInteger("Settings", "Blanks", 0), -7);
    EXPECT_EQ(ini.ReadInteger("Settings", "TooBig", 3), 3);
    EXPECT_EQ(ini.ReadInteger("Settings", "Word", 3), 3);
    EXPECT_EQ(ini.ReadString("Settings", "Number", ""), "-12");
    EXPECT_TRUE(ini.ReadBool("Settings", "One", false));

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Dremal\\Kestrima\\Settings", false));
    reg.WriteBinaryData("Blob", "\x05\x00\x00\x00", 4);
    EXPECT_EQ(reg.ReadInteger("Five"), 5);
    EXPECT_EQ(reg.ReadString("Number"), "-12");
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_EQ(ini.ReadString("Settings", "Blob", "def"), "def");
    EXPECT_EQ(ini.ReadInteger("Settings", "Blob", 9), 9);
    try {
        reg.ReadInteger("Word");
        ADD_FAILURE() << "a word read as an integer";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'Word'");
    }
    try {
        reg.ReadInteger("Missing");
        ADD_FAILURE() << "a missing value read as an integer";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to get data for 'Missing'");
    }
    EXPECT_THROW(reg.ReadInteger("TooBig"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("Blob"), ERegistryException);
    EXPECT_THROW(reg.ReadString("Blob"), ERegistryException);
    EXPECT_THROW(reg.ReadBinaryData("Five"), ERegistryException);
    EXPECT_THROW(reg.ReadBool("Word"), ERegistryException);
}

TEST_F(RegistryTest, KeysOpenByPathAndWritesNeedAWritableKey)
{
    TRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.HasCurrentKey());
    try {
        reg.WriteString("x", "y");
        ADD_FAILURE() << "written without an open key";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'x'");
    }
    EXPECT_FALSE(reg.ValueExists("x"));
    EXPECT_FALSE(reg.OpenKey("Missing", false));
    EXPECT_FALSE(reg.OpenKeyReadOnly("Missing"));
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_FALSE(reg.KeyExists("Missing"));

    ASSERT_TRUE(reg.OpenKey("Software", true));
    ASSERT_TRUE(reg.OpenKey("Dremal", true)); // relative to the open key
    EXPECT_EQ(reg.CurrentPath(), "Software\\Dremal");
    EXPECT_TRUE(reg.KeyExists("\\Software\\Dremal"));
    EXPECT_FALSE(reg.KeyExists("Software"));
    ASSERT_TRUE(reg.OpenKey("\\Other", true));
    EXPECT_EQ(reg.CurrentPath(), "Other");
    reg.WriteString("v", "1");

    reg.SetRootKey(HKEY_CLASSES_ROOT);
    EXPECT_FALSE(reg.HasCurrentKey());
    EXPECT_EQ(reg.CurrentPath(), "");
    ASSERT_TRUE(reg.OpenKey("htmlfile\\shell\\open\\command\\", true));
    EXPECT_EQ(reg.CurrentPath(), "htmlfile\\shell\\open\\command");
    EXPECT_FALSE(reg.KeyExists("\\Other"));

    reg.SetRootKey(HKEY_CURRENT_USER);
    ASSERT_TRUE(reg.OpenKeyReadOnly("Other"));
    EXPECT_EQ(reg.ReadString("v"), "1");
    EXPECT_THROW(reg.WriteString("v", "2"), ERegistryException);
    EXPECT_THROW(reg.WriteInteger("n", 2), ERegistryException);
    EXPECT_FALSE(reg.DeleteValue("v"));
    reg.RenameValue("v", "w");
    EXPECT_TRUE(reg.ValueExists("v"));
    try {
        reg.CreateKey("Sub");
        ADD_FAILURE() << "created below a read-only key";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to create key Sub");
    }
    EXPECT_TRUE(reg.CreateKey("\\Other\\Sub")); // from the root, not through the read-only key
    EXPECT_FALSE(reg.DeleteKey("Sub"));
    EXPECT_TRUE(reg.KeyExists("Sub"));

    std::string tooDeep;
    for (int i = 0; i < 513; ++i)
        tooDeep += "\\k";
    EXPECT_FALSE(reg.OpenKey(tooDeep, true));
    EXPECT_THROW(reg.CreateKey(tooDeep), ERegistryException);
    reg.CloseKey();
    EXPECT_TRUE(reg.CreateKey(tooDeep.substr(2))); // 512 levels from the root
}

TEST_F(RegistryTest, TheFileIsAReadableExportWrittenOnlyWhenSomethingChanged)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Dremal", true));
        reg.WriteString("", "ra\xEDz");
        reg.WriteString("Name \"q\"", "a\\b\nc\x01\x81");
        reg.WriteInteger("Size", 10);
        reg.WriteInteger("Neg", -1);
        std::string blob;
        for (int i = 0; i < 26; ++i)
            blob += static_cast<char>(i);
        reg.WriteBinaryData("Blob", blob.data(), static_cast<int>(blob.size()));
        ASSERT_TRUE(reg.OpenKey("100%\\\xF1", true));
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        ASSERT_TRUE(reg.OpenKey(".htm", true));
        reg.WriteString("", "htmlfile");
    }
    const std::string expected =
        "Kestrima registry 1\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software]\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Dremal]\n"
        "@=\"ra\xC3\xADz\"\n"
        "\"Name \\\"q\\\"\"=\"a\\\\b\\nc\\x01\\x81\"\n"
        "\"Size\"=dword:0000000a\n"
        "\"Neg\"=dword:ffffffff\n"
        "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,\\\n"
        "  18,19\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Dremal\\100%25]\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Dremal\\100%25\\\xC3\xB1]\n"
        "\n"
        "[HKEY_CLASSES_ROOT\\.htm]\n"
        "@=\"htmlfile\"\n";
    EXPECT_EQ(ReadFileBytes(storeFile()), expected);
    EXPECT_EQ(folderEntries(), std::vector<std::string>{"registry.reg"}); // no temporary file left behind

    // Lines ending in CR LF, comments, and a letter saved as a Windows-1252 byte read as meant.
    std::string edited;
    for (char c : expected) {
        if (c == '\n')
            edited += '\r';
        edited += c;
    }
    edited += "; by hand\r\n\"Hand\"=\"Espa\xF1""a\"\r\n";
    WriteFileBytes(storeFile(), edited);
    RegistryStore::Reload();
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Dremal", false));
        EXPECT_EQ(reg.ReadString("Name \"q\""), "a\\b\nc\x01\x81");
        EXPECT_EQ(reg.ReadString(""), "ra\xEDz");
        EXPECT_TRUE(reg.KeyExists("100%\\\xD1"));
        reg.SetRootKey(HKEY_CLASSES_ROOT);
        ASSERT_TRUE(reg.OpenKey(".htm", false));
        EXPECT_EQ(reg.ReadString("Hand"), "Espa\xF1""a");
        EXPECT_EQ(RegistryLoadProblem(), "");

        // Writing what is already there does not touch the file.
        reg.WriteString("Hand", "Espa\xF1""a");
        reg.CloseKey();
        EXPECT_EQ(ReadFileBytes(storeFile()), edited);
    }
}

TEST_F(RegistryTest, AHeldCharacterIsStoredAsItselfAndReadBackHeld)
{
    // The editor's text of "α λ ñ", of a reference typed as such, and of a mark that begins no held
    // character.
    const std::string held = "\x1F#945; \x1F#955; \xF1";
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Dremal", true));
        reg.WriteString("Held", held);
        reg.WriteString("Typed", "&#945;");
        reg.WriteString("Stray", "\x1F#65;");
    }
    const std::string file = ReadFileBytes(storeFile());
    EXPECT_NE(file.find("\"Held\"=\"\xCE\xB1 \xCE\xBB \xC3\xB1\"\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\"Typed\"=\"&#945;\"\n"), std::string::npos) << file;
    EXPECT_EQ(file.find('\x1F'), std::string::npos) << file;
    RegistryStore::Reload();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Dremal", false));
    EXPECT_EQ(reg.ReadString("Held"), held);
    EXPECT_EQ(reg.ReadString("Typed"), "&#945;");
    EXPECT_EQ(reg.ReadString("Stray"), "\x1F#65;");
    // A character Windows-1252 lacks that a user put in the file by hand reads held, never as "?".
    WriteFileBytes(storeFile(), file + "\n[HKEY_CURRENT_USER\\Software\\Mano]\n\"Flecha\"=\"a\xE2\x86\x92z\"\n");
    RegistryStore::Reload();
    ASSERT_TRUE(reg.OpenKey("\\Software\\Mano", false));
    EXPECT_EQ(reg.ReadString("Flecha"), "a\x1F#8594;z");
}

TEST_F(RegistryTest, FileNamesAreStoredOnceEncodedMarkedAndReadBackExactlyAndEarlierFormsStillRead)
{
    const std::string accented = "/home/ana/P\xC3\xBA" "blico/\xC3\xAD" "ndice.html"; // Público/índice.html
    const std::string beyond = "/home/ana/\xC5\x81\xC3\xB3" "d\xC5\xBA.htm";           // Łódź: not in Windows-1252
    const std::string latin1 = "/home/ana/caf\xE9.html";                             // no UTF-8 at all
    const std::string literal = "/home/ana/\xC3\x83\xC2\xAD.htm";                   // the name "Ã­" itself
    {
        TRegIniFile ini("Software\\Dremal\\Kestrima");
        ini.WritePath("MRU", "0", accented);
        ini.WritePath("MRU", "1", beyond);
        ini.WritePath("MRU", "2", latin1);
        ini.WritePath("MRU", "5", literal);
        // What earlier versions wrote: the name's bytes taken for Windows-1252 characters, unmarked.
        ini.WriteString("MRU", "3", accented);
        ini.WriteString("MRU", "4", "/home/ana/\xC3\x81rbol.htm"); // "Árbol": 0x81 has no character
        ini.WriteString("Settings", "Version", "3.1");
    }
    RegistryStore::Flush();
    const std::string file = ReadFileBytes(storeFile());
    // Once: the file holds the names' own bytes, as any other program reads them, marked as names.
    EXPECT_NE(file.find("\"0\"=path:\"" + accented + "\"\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\"1\"=path:\"" + beyond + "\"\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\"2\"=path:\"/home/ana/caf\\xE9.html\"\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\"5\"=path:\"" + literal + "\"\n"), std::string::npos) << file;
    EXPECT_NE(file.find("\"3\"=\"/home/ana/P\xC3\x83\xC2\xBA" "blico/"), std::string::npos) << file;
    RegistryStore::Reload();
    {
        TRegIniFile ini("Software\\Dremal\\Kestrima");
        EXPECT_EQ(ini.ReadPath("MRU", "0", ""), accented);
        EXPECT_EQ(ini.ReadPath("MRU", "1", ""), beyond);
        EXPECT_EQ(ini.ReadPath("MRU", "2", ""), latin1);
        // A name that spells what a twice-encoded one would is still itself.
        EXPECT_EQ(ini.ReadPath("MRU", "5", ""), literal);
        EXPECT_EQ(ini.ReadPath("MRU", "3", ""), accented);
        EXPECT_EQ(ini.ReadPath("MRU", "4", ""), "/home/ana/\xC3\x81rbol.htm");
        EXPECT_EQ(ini.ReadPath("MRU", "9", "nada"), "nada");
        // Texts of the program still read and write as Windows-1252.
        EXPECT_EQ(ini.ReadString("MRU", "0", ""), "/home/ana/P\xFA" "blico/\xED" "ndice.html");
        EXPECT_EQ(ini.ReadString("Settings", "Version", ""), "3.1");
        // A text written over a name loses the mark; a name written over a text takes it.
        ini.WriteString("MRU", "5", "x");
        ini.WritePath("MRU", "3", literal);
    }
    RegistryStore::Flush();
    const std::string rewritten = ReadFileBytes(storeFile());
    EXPECT_NE(rewritten.find("\"5\"=\"x\"\n"), std::string::npos) << rewritten;
    EXPECT_NE(rewritten.find("\"3\"=path:\"" + literal + "\"\n"), std::string::npos) << rewritten;
    // A file edited by hand may hold a name "path:" in plain text: it stays text.
    WriteFileBytes(storeFile(), "Kestrima registry 1\n\n[HKEY_CURRENT_USER\\Software\\Dremal\\Kestrima\\MRU]\n"
                                "\"0\"=\"path:\\\"x\"\n\"1\"=path:\"" + literal + "\"\n");
    RegistryStore::Reload();
    TRegIniFile again("Software\\Dremal\\Kestrima");
    EXPECT_EQ(again.ReadPath("MRU", "0", ""), "path:\"x");
    EXPECT_EQ(again.ReadPath("MRU", "1", ""), literal);
}

TEST_F(RegistryTest, ACorruptFileIsKeptAsideAndTheStoreStartsEmpty)
{
    const std::string garbage("not a store\n\0\xFF", 14);
    WriteFileBytes(storeFile(), garbage);
    RegistryStore::Reload();
    {
        TRegistry reg;
        EXPECT_FALSE(reg.KeyExists("\\Software"));
        std::string problem = RegistryLoadProblem();
        EXPECT_NE(problem.find("l\xEDnea 1 no v\xE1lida"), std::string::npos) << problem;
        std::vector<std::string> entries = folderEntries();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].rfind("registry.reg.corrupt-", 0), 0u);
        EXPECT_NE(problem.find(entries[0]), std::string::npos);
        EXPECT_EQ(ReadFileBytes(FFolder + "/" + entries[0]), garbage);

        ASSERT_TRUE(reg.OpenKey("Software", true));
        reg.WriteString("after", "works");
    }
    EXPECT_EQ(folderEntries().size(), 2u);
    RegistryStore::Reload();
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software", false));
        EXPECT_EQ(reg.ReadString("after"), "works");
        EXPECT_EQ(RegistryLoadProblem(), "");
    }

    // A folder where the file should be cannot be read either; it is moved aside the same way.
    ASSERT_EQ(std::rename(storeFile().c_str(), (FFolder + "/saved").c_str()), 0);
    ASSERT_EQ(mkdir(storeFile().c_str(), 0700), 0);
    RegistryStore::Reload();
    EXPECT_NE(RegistryLoadProblem(), "");
    struct stat st {};
    EXPECT_NE(stat(storeFile().c_str(), &st), 0);
    EXPECT_EQ(folderEntries().size(), 3u);
}

TEST_F(RegistryTest, EveryTruncationOfAValidFileLoadsOrIsKeptAside)
{
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software\\Dremal\\Kestrima\\Settings", true));
        reg.WriteString("", "d");
        reg.WriteString("Path", "c:\\\"x\"\n\xF3");
        reg.WriteInteger("Size", 300);
        std::string blob(60, '\x7F');
        reg.WriteBinaryData("Keys", blob.data(), 60);
        ASSERT_TRUE(reg.OpenKey("\\Software\\%\\\xE1", true));
    }
    const std::string full = ReadFileBytes(storeFile());
    int accepted = 0, setAside = 0;
    for (size_t length = 0; length <= full.size(); ++length) {
        const std::string cut = full.substr(0, length);
        WriteFileBytes(storeFile(), cut);
        RegistryStore::Reload();
        if (RegistryLoadProblem().empty()) {
            ++accepted;
            EXPECT_EQ(ReadFileBytes(storeFile()), cut);
            continue;
        }
        ++setAside;
        std::vector<std::string> entries = folderEntries();
        ASSERT_EQ(entries.size(), 1u) << length;
        EXPECT_EQ(ReadFileBytes(FFolder + "/" + entries[0]), cut);
        ASSERT_EQ(unlink((FFolder + "/" + entries[0]).c_str()), 0);
    }
    EXPECT_GT(accepted, 5);
    EXPECT_GT(setAside, static_cast<int>(full.size()) / 2);

    WriteFileBytes(storeFile(), full);
    RegistryStore::Reload();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Dremal\\Kestrima\\Settings", false));
    EXPECT_EQ(reg.ReadInteger("Size"), 300);
    EXPECT_EQ(reg.ReadBinaryData("Keys"), std::string(60, '\x7F'));
}

TEST_F(RegistryTest, AFailedSaveIsReportedAndTriedAgainOnTheNextChange)
{
    const std::string blocked = FFolder + "/blocked";
    WriteFileBytes(blocked, "a file, not a folder");
    setenv("KESTRIMA_CONFIG_DIR", blocked.c_str(), 1);
    RegistryStore::Reload();
    {
        TRegistry reg;
        ASSERT_TRUE(reg.OpenKey("Software", true));
        reg.WriteString("first", "1");
        reg.CloseKey();
        EXPECT_NE(RegistrySaveProblem(), "");
        EXPECT_EQ(RegistryLoadProblem(), "");
        ASSERT_TRUE(reg.OpenKey("Software", false));
        EXPECT_EQ(reg.ReadString("first"), "1");

        ASSERT_EQ(unlink(blocked.c_str()), 0);
        reg.WriteString("second", "2");
    }
    EXPECT_EQ(RegistrySaveProblem(), "");
    RegistryStore::Reload();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software", false));
    EXPECT_EQ(reg.ReadString("first"), "1");
    EXPECT_EQ(reg.ReadString("second"), "2");
}

} // namespace

// Whatever the store reads, it writes back in a form it reads again to the same tree.
TEST(RegistryFile, RandomNamesAndValuesSurviveWritingAndReadingBack)
{
    using namespace registry_detail;
    std::mt19937 random(5252);
    const std::string pick = "ab\\[]\"%=@ \t\xE9\x81\x9D\xFF#;:,/";
    auto name = [&](bool mayBeEmpty) {
        std::string text;
        const size_t length = (mayBeEmpty ? 0 : 1) + random() % 6;
        for (size_t i = 0; i < length; ++i)
            text += pick[random() % pick.size()];
        return text;
    };
    for (int round = 0; round < 200; ++round) {
        Key roots[kRootCount];
        for (int n = 0; n < 8; ++n) {
            std::vector<std::string> parts;
            for (int depth = int(random() % 3) + 1; depth > 0; --depth)
                parts.push_back(name(false));
            Key* key = descend(roots[random() % kRootCount], parts, true);
            ASSERT_NE(key, nullptr);
            if (random() % 2)
                putValue(*key, name(true), rdString, name(true), 0);
            else
                putValue(*key, name(true), rdInteger, {}, int32_t(random()));
        }
        const std::string first = storeText(roots);
        Key reread[kRootCount];
        int badLine = 0;
        ASSERT_TRUE(readStoreText(first, reread, badLine)) << "line " << badLine << " of\n" << first;
        EXPECT_EQ(storeText(reread), first);
    }

    // A key name holding a backslash, as a file may spell it, comes back as it was read.
    Key roots[kRootCount];
    int badLine = 0;
    ASSERT_TRUE(readStoreText("Kestrima registry 1\n[HKEY_CURRENT_USER\\%5C]\n\"v\"=\"x\"\n", roots, badLine));
    ASSERT_EQ(roots[0].Keys.size(), 1u);
    EXPECT_EQ(roots[0].Keys[0]->Name, "\\");
    Key again[kRootCount];
    ASSERT_TRUE(readStoreText(storeText(roots), again, badLine)) << storeText(roots);
    ASSERT_EQ(again[0].Keys.size(), 1u);
    EXPECT_EQ(again[0].Keys[0]->Name, "\\");
}
