// Tests of the code library files: listing, reading, deleting and adding entries through the ".bak" rewrite.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/model/libKestrima.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "support/StringListItems.h"
#include "support/TempDir.h"

namespace {

using Strings = std::vector<std::string>;

} // namespace

TEST(LibraryFiles, ReadDeleteAndAddAsTheFileSays)
{
    TempDir dir("s78-library");
    const std::string original = "antes\r\n[*a*]\r\nx\r\n  [*b*]\r\n[*b*]\r\ny\r\n[*]\r\n[*c\r\n";
    const std::string file = dir.file("a.cod", original);
    TStringList names;
    names.Add("vieja");
    ASSERT_TRUE(ReadLibrarySections(file, names));
    // Only headers in the first column count; an empty name or one without "*]" adds nothing.
    EXPECT_EQ(Items(names), (Strings{"a", "b"}));
    EXPECT_EQ(ReadLibraryEntry(file, "a"), "x");
    EXPECT_EQ(ReadLibraryEntry(file, "b"), "y");
    EXPECT_EQ(ReadLibraryEntry(file, "z"), "");

    // Deleting b drops its header and lines; the indented header ended a and stays; the old file is the ".bak".
    EXPECT_TRUE(DeleteLibraryEntry(file, "b"));
    EXPECT_EQ(ReadFileBytes(file), "antes\r\n[*a*]\r\nx\r\n  [*b*]\r\n[*]\r\n[*c\r\n");
    EXPECT_EQ(ReadFileBytes((dir.path / "a.bak").string()), original);
    EXPECT_FALSE(DeleteLibraryEntry(file, "nada"));

    const std::string plain = dir.file("p.cod", "[*a*]\r\nx\r\n[*b*]\r\ny\r\n");
    EXPECT_TRUE(DeleteLibraryEntry(plain, "b"));
    EXPECT_EQ(ReadFileBytes(plain), "[*a*]\r\nx\r\n");
    EXPECT_EQ(ReadFileBytes((dir.path / "p.bak").string()), "[*a*]\r\nx\r\n[*b*]\r\ny\r\n");

    // The only entry, its header the last line: nothing of it stays.
    const std::string last = dir.file("b.cod", "[*solo*]\r\n");
    EXPECT_TRUE(DeleteLibraryEntry(last, "solo"));
    EXPECT_EQ(ReadFileBytes(last), "");

    // Missing files: no list, no text, no file made.
    const std::string missing = (dir.path / "no.cod").string();
    names.Clear();
    names.Add("queda");
    EXPECT_FALSE(ReadLibrarySections(missing, names));
    EXPECT_EQ(Items(names), (Strings{"queda"}));
    EXPECT_EQ(ReadLibraryEntry(missing, "a"), "");
    EXPECT_FALSE(DeleteLibraryEntry(missing, "a"));
    EXPECT_FALSE(AddLibraryEntry(missing, "a", "x"));
    EXPECT_FALSE(FileExists(missing));
    EXPECT_FALSE(FileExists((dir.path / "no.bak").string()));
}

TEST(LibraryFiles, AddedEntriesReadBackAsWritten)
{
    TempDir dir("s78-library");
    const std::string file = dir.file("r.cod", "");
    std::mt19937 random(78);
    const char alphabet[] = {'a', 'b', ' ', '\t', '<', '>', '\xF1', '\r', '\n'};
    std::vector<std::pair<std::string, std::string>> added;
    for (int i = 0; i < 60; ++i) {
        std::string text;
        for (int n = static_cast<int>(random() % 12); n > 0; --n)
            text += alphabet[random() % sizeof alphabet];
        const std::string name = std::string(1, 'e').append(std::to_string(i));
        ASSERT_TRUE(AddLibraryEntry(file, name, text));
        // What reads back: the lines joined with CR, whatever break the text used.
        TStringList lines = LibraryLines(text);
        std::string expected;
        for (int l = 0; l < lines.Count(); ++l)
            expected += (l ? "\r" : "") + lines[l];
        added.emplace_back(name, expected);
    }
    const std::string bytes = ReadFileBytes(file);
    for (size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1))
        ASSERT_EQ(bytes[at - 1], '\r') << "every line ends with CR LF";
    for (const auto& [name, text] : added)
        EXPECT_EQ(ReadLibraryEntry(file, name), text) << name;
    TStringList names;
    ASSERT_TRUE(ReadLibrarySections(file, names));
    EXPECT_EQ(names.Count(), 60);
}

TEST(LibraryFiles, AHeldCharacterIsWrittenAsItselfAndReadsBackHeld)
{
    TempDir dir("i131-library");
    // A Windows-1252 library gets an entry holding characters it lacks: the file turns UTF-8 whole,
    // after its byte-order mark, its older letters with it, and every entry reads back as it was given.
    const std::string file = dir.file("a.cod", "[*a*]\r\nPe\xF1" "a\r\n");
    const std::string lambda = "\x1F#955;", alpha = "\x1F#945;";
    ASSERT_TRUE(AddLibraryEntry(file, "l" + lambda, alpha + "\rdos"));
    EXPECT_EQ(ReadFileBytes(file), "\xEF\xBB\xBF[*a*]\r\nPe\xC3\xB1" "a\r\n[*l\xCE\xBB*]\r\n\xCE\xB1\r\ndos\r\n");
    TStringList names;
    ASSERT_TRUE(ReadLibrarySections(file, names));
    EXPECT_EQ(Items(names), (Strings{"a", "l" + lambda}));
    EXPECT_EQ(ReadLibraryEntry(file, "l" + lambda), alpha + "\rdos");
    EXPECT_EQ(ReadLibraryEntry(file, "a"), "Pe\xF1" "a");
    // Once UTF-8 it stays so, also without the character; a library that never held one stays as it was.
    ASSERT_TRUE(DeleteLibraryEntry(file, "l" + lambda));
    EXPECT_EQ(ReadFileBytes(file), "\xEF\xBB\xBF[*a*]\r\nPe\xC3\xB1" "a\r\n");
    const std::string plain = dir.file("b.cod", "");
    ASSERT_TRUE(AddLibraryEntry(plain, "b", "x\xF1 &#945;"));
    EXPECT_EQ(ReadFileBytes(plain), "[*b*]\r\nx\xF1 &#945;\r\n");
    EXPECT_EQ(ReadLibraryEntry(plain, "b"), "x\xF1 &#945;");
}

