// General routines: tokens, replacing, blanks, paths, file sizes, the shell's name of a file, registry look-up.
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "components/core/FileUtil.h"
#include "components/core/xProcs.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

TEST(xProcs, TokensAreCutWithTheirSeparator)
{
    EXPECT_EQ(TokenCount("", ';'), 0);
    EXPECT_EQ(TokenCount("a;", ';'), 1);
    EXPECT_EQ(TokenCount("a;;b", ';'), 3);
    EXPECT_EQ(TokenCount(";", ';'), 1);

    std::string text = "ab;cd";
    EXPECT_EQ(NextToken(text, ';'), "ab");
    EXPECT_EQ(text, "cd");
    EXPECT_EQ(NextToken(text, ';'), "cd");
    EXPECT_EQ(text, "");

    // TokenCount is the number of NextToken calls that empty the text.
    std::mt19937 rng(3401);
    for (int round = 0; round < 500; ++round) {
        std::string sample;
        for (int n = static_cast<int>(rng() % 12); n > 0; --n)
            sample += "a;"[rng() % 2];
        std::string rest = sample;
        int calls = 0;
        while (!rest.empty()) {
            NextToken(rest, ';');
            ++calls;
        }
        EXPECT_EQ(TokenCount(sample, ';'), calls) << sample;
    }
}

TEST(xProcs, ReplacingStopsAndLeavesAnEmptySearchAlone)
{
    std::string text = "aaa";
    ReplaceAll(text, "a", "aa");
    EXPECT_EQ(text, "aaaaaa");
    ReplaceAll(text, "", "b");
    EXPECT_EQ(text, "aaaaaa");
    EXPECT_EQ(ReplaceCharBy("a.b.c", '.', "::"), "a::b::c");
    EXPECT_EQ(ReplaceCharBy("", '.', "::"), "");
}

TEST(xProcs, RemoveSpacesLooksAtTheWholeText)
{
    std::string text;
    for (int i = 0; i < 70000; ++i)
        text += i % 3 == 0 ? ' ' : 'x';
    std::string result = RemoveSpaces(text);
    EXPECT_EQ(result.find(' '), std::string::npos);
    EXPECT_EQ(result.size(), 70000u - 23334u);
}

TEST(xProcs, PathsFollowOneSeparatorRule)
{
    EXPECT_EQ(AddBackslash(""), "");
    EXPECT_EQ(AddBackslash("dir"), "dir/");
    EXPECT_EQ(AddBackslash("dir/"), "dir/");
    // A "\" ending a name is the name's own character.
    EXPECT_EQ(AddBackslash("dir\\"), "dir\\/");
    EXPECT_EQ(FileNameNoExt("x.html.htm"), "x.html");
    EXPECT_EQ(FileNameNoExt("a\\b.c/x.html.htm"), "x.html");
    EXPECT_EQ(FileNameNoExt("d/sub\\x.htm"), "sub\\x");
    EXPECT_EQ(FileNameNoExt("d.ir/name"), "name");
    EXPECT_EQ(FileNameNoExt(".htm"), "");
    EXPECT_EQ(ShortPathName("/a b/c.htm"), "/a b/c.htm");
    EXPECT_TRUE(SameTextNoCase("\xC1RBOL \xD1U", "\xE1rbol \xF1u"));
    EXPECT_FALSE(SameTextNoCase("a", "b"));
    EXPECT_FALSE(SameTextNoCase("a", "aa"));
}

TEST(xProcs, FilesAsTheDiskAndTheDesktopShowThem)
{
    TempDir dir("xprocs");
    std::string file = dir.file("p\xE1gina.htm", "12345");
    std::string folder = dir.path.string();
    std::filesystem::create_directory(dir.path / "sub");

    EXPECT_EQ(FileSizeOf(file), 5);
    // "sub\x.htm" is a file of its own beside the folder "sub".
    dir.file("sub/x.htm", "1");
    dir.file("sub\\x.htm", "123");
    EXPECT_EQ(FileSizeOf(folder + "/sub\\x.htm"), 3);
    EXPECT_EQ(ShellDisplayName(folder + "/sub\\x.htm"), "sub\\x.htm");
    EXPECT_EQ(FileSizeOf(folder + "\\p\xE1gina.htm"), 0);
    EXPECT_EQ(FileSizeOf(folder + "/missing"), 0);
    EXPECT_EQ(FileSizeOf(folder + "/sub"), 0);

    EXPECT_EQ(ShellDisplayName(file), "p\xE1gina.htm");
    EXPECT_EQ(ShellDisplayName(folder + "/sub/"), "sub");
    EXPECT_EQ(ShellDisplayName(folder + "/sub/.."), ExtractFileName(folder));
    EXPECT_EQ(ShellDisplayName(folder + "/missing.htm"), folder + "/missing.htm");

    std::string temp = TempDirectory();
    EXPECT_EQ(temp.back(), '/');
    EXPECT_TRUE(DirExists(temp));
}

class RegReadStringPathTest : public ::testing::Test {
protected:
    TempRegistry FStore{"xprocs-registry"};
};

TEST_F(RegReadStringPathTest, ReadsTheValueAndLeavesAMissingKeyCreated)
{
    {
        TRegistry registry;
        ASSERT_TRUE(registry.OpenKey("Software\\Dremal\\Prueba", true));
        registry.WriteString("Nombre", "valor");
        registry.WriteString("", "por omisi\xF3n");
    }
    EXPECT_EQ(RegReadStringPath(HKEY_CURRENT_USER, "Software\\Dremal\\Prueba\\Nombre"), "valor");
    EXPECT_EQ(RegReadStringPath(HKEY_CURRENT_USER, "Software\\Dremal\\Prueba\\"), "por omisi\xF3n");

    EXPECT_EQ(RegReadStringPath(HKEY_CLASSES_ROOT, "nuevo\\shell\\open\\command\\"), "");
    // The key reached the store's file, as a new process would find it.
    RegistryStore::Reload();
    TRegistry registry;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    EXPECT_TRUE(registry.KeyExists("\\nuevo\\shell\\open\\command"));
    ASSERT_TRUE(registry.OpenKey("\\nuevo\\shell\\open\\command", false));
    TStringList names;
    registry.GetValueNames(names);
    EXPECT_EQ(names.Count(), 0);
}
