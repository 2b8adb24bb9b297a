// File-name routines: folders, refused characters, and a file's name in the case the disk keeps.
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "components/core/FileUtil.h"
#include "support/TempDir.h"

TEST(FileUtil, FoldersAndValidNames)
{
    TempDir dir("fileutil");
    std::string file = dir.file("a.txt", "x");
    EXPECT_TRUE(DirExists(dir.path.string()));
    EXPECT_TRUE(DirExists(dir.path.string() + "/"));
    EXPECT_FALSE(DirExists(file));
    EXPECT_FALSE(DirExists(dir.path.string() + "/missing"));
    EXPECT_FALSE(DirExists(""));

    EXPECT_TRUE(HasAnyChar("abc", "xc"));
    EXPECT_FALSE(HasAnyChar("abc", "xyz"));
    EXPECT_FALSE(HasAnyChar("abc", ""));
    EXPECT_TRUE(ValidFileName("p\xE1gina web.htm"));
    EXPECT_FALSE(ValidFileName(""));
    for (char refused : std::string("<>\"[]|"))
        EXPECT_FALSE(ValidFileName(std::string("a") + refused + "b.htm")) << refused;
}

TEST(FileUtil, NamesComeBackAsTheDiskStoresThem)
{
    TempDir dir("fileutil");
    dir.file("MiArchivo.HTM", "x");
    const std::string folder = dir.path.string();
    EXPECT_EQ(ShortToLongFileName(folder + "/miarchivo.htm"), "MiArchivo.HTM");
    // A "\" is part of a name: this one names a file beside the folder.
    EXPECT_EQ(ShortToLongFileName(folder + "\\MiArchivo.HTM"), "");
    EXPECT_EQ(LongToShortFileName(folder + "/MIARCHIVO.htm"), "MiArchivo.HTM");
    EXPECT_EQ(ShortToLongFileName(folder + "/otro.htm"), "");
    EXPECT_EQ(LongToShortFileName(folder + "/otro.htm"), "");
    EXPECT_EQ(ShortToLongFileName(folder + "/missing/MiArchivo.HTM"), "");
    EXPECT_EQ(ShortToLongFileName(""), "");

    // When both spellings exist, the one asked for is the one found.
    dir.file("miarchivo.htm", "y");
    EXPECT_EQ(ShortToLongFileName(folder + "/miarchivo.htm"), "miarchivo.htm");
}
