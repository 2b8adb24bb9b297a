// Tests of THETreeView: levels of an indented file, the end mark, bad levels and the sort of every level.
#include "components/HETreeView.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/Win1252Qt.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ProgramFileText.h"
#include "support/ProgramFileTexts.h"
#include "support/TempDir.h"

namespace {

// The tree as lines: each node's text after one "." per level.
std::vector<std::string> shape(const THETreeView& tree)
{
    std::vector<std::string> lines;
    std::vector<std::pair<QTreeWidgetItem*, int>> pending;
    for (int i = tree.topLevelItemCount() - 1; i >= 0; --i)
        pending.emplace_back(tree.topLevelItem(i), 0);
    while (!pending.empty()) {
        auto [node, level] = pending.back();
        pending.pop_back();
        lines.push_back(std::string(static_cast<size_t>(level), '.') + THETreeView::NodeText(node));
        for (int i = node->childCount() - 1; i >= 0; --i)
            pending.emplace_back(node->child(i), level + 1);
    }
    return lines;
}

// Loads `text` and gives the message of the exception it raised ("" for none).
std::string load(THETreeView& tree, const std::string& text)
{
    TempDir dir("s78-tree");
    try {
        tree.LoadFromFile(dir.file("t.krc", text));
    } catch (const Exception& e) {
        return e.Message();
    }
    return {};
}

using Lines = std::vector<std::string>;

} // namespace

TEST(THETreeView, LevelsByLeadingTabsAndBlanksWithBadLevelsRaised)
{
    THETreeView tree;
    EXPECT_EQ(load(tree, "HTML\r\n\t<B>...</B>\r\n \tALIGN=center\n\t\t\tx\rarriba\r\n"), "");
    EXPECT_EQ(shape(tree), (Lines{"HTML", ".<B>...</B>", "..ALIGN=center", "...x", "arriba"}));
    // One level in at the start is still the top level.
    EXPECT_EQ(load(tree, "\tuno\r\n\tdos\r\n"), "");
    EXPECT_EQ(shape(tree), (Lines{"uno", "dos"}));

    const struct {
        const char* text;
        Lines kept;
    } bad[] = {
        {"\t\tdos\r\n", {}},
        {"\tuno\r\ncero\r\n", {"uno"}},
        {"a\r\n\t\tb\r\n", {"a"}},
        {"a\r\n\tb\r\n\t\t\tc\r\nd\r\n", {"a", ".b"}},
    };
    for (const auto& c : bad) {
        EXPECT_EQ(load(tree, c.text), "Invalid TreeNode Level") << c.text;
        // The nodes before the bad line stay, and the tree paints again.
        EXPECT_EQ(shape(tree), c.kept) << c.text;
        EXPECT_TRUE(tree.updatesEnabled());
    }

    // A lone character 26 ends the file; one inside a line does not.
    EXPECT_EQ(load(tree, "a\x1A\r\nb\r\n\x1A\r\nc\r\n\t\td\r\n"), "");
    EXPECT_EQ(shape(tree), (Lines{"a\x1A", "b"}));
    // A missing file raises before the tree changes.
    EXPECT_THROW(tree.LoadFromFile("/nonexistent/t.krc"), Exception);
    EXPECT_EQ(shape(tree), (Lines{"a\x1A", "b"}));
}

TEST(THETreeView, TextSortOrdersEveryLevelWithCase)
{
    THETreeView tree;
    const std::string text = "b\r\n\tz\r\n\ty\r\n\t\tk\r\n\t\tK\r\n\t\tj\r\na\r\n\tc\r\n\tB\r\n";
    ASSERT_EQ(load(tree, text), "");
    EXPECT_EQ(shape(tree), (Lines{"b", ".z", ".y", "..k", "..K", "..j", "a", ".c", ".B"}));
    tree.SetSortType(stText);
    EXPECT_EQ(shape(tree), (Lines{"a", ".B", ".c", "b", ".y", "..j", "..k", "..K", ".z"}));
    // A loaded file is sorted as it comes.
    ASSERT_EQ(load(tree, "n\r\nm\r\n\tq\r\n\tp\r\n"), "");
    EXPECT_EQ(shape(tree), (Lines{"m", ".p", ".q", "n"}));
    // A bad level leaves the sort type at none.
    EXPECT_EQ(load(tree, "a\r\n\t\tb\r\n"), "Invalid TreeNode Level");
    EXPECT_EQ(tree.SortType(), stNone);

    // A data sort with a compare handler: longest text first.
    tree.OnCompare = [](THETreeView*, QTreeWidgetItem* a, QTreeWidgetItem* b) {
        return static_cast<int>(b->text(0).size()) - static_cast<int>(a->text(0).size());
    };
    ASSERT_EQ(load(tree, "a\r\nccc\r\nbb\r\n"), "");
    tree.SetSortType(stData);
    EXPECT_EQ(shape(tree), (Lines{"ccc", "bb", "a"}));
}

TEST(THETreeView, ACodeTreeIsReadByTheProgramsOwnFilesRule)
{
    // Nodes of every text, written as the program writes its own files: each reads back as written.
    std::string controls;
    for (char c = 0; c < ' '; ++c)
        controls += c;
    const std::vector<std::string> pieces = ProgramTextPieces(controls + " ");
    std::mt19937 random(4103);
    THETreeView tree;
    for (int round = 0; round < 100; ++round) {
        std::string text;
        Lines expected;
        for (int i = 0; i < 6; ++i) {
            const bool child = i > 0 && random() % 2;
            const std::string node = std::string("n").append(RandomProgramText(random, pieces, 8));
            text.append(child ? "\t" : "").append(node).append("\r\n");
            expected.push_back(std::string(child ? "." : "").append(ShownProgramText(node)));
        }
        const std::string bytes = ProgramFileBytes(text);
        ASSERT_EQ(bytes.find('\x1F'), std::string::npos);
        ASSERT_EQ(load(tree, bytes), "");
        EXPECT_EQ(shape(tree), expected) << text;
    }
    // An earlier version's Windows-1252 tree reads byte for byte, also where its bytes spell UTF-8;
    // a file's own 0x1F is the control character it is.
    EXPECT_EQ(load(tree, "\xC3\xA9x\r\n\t\xEF\xBB\xBF \xF1\r\n\t\x1F#946;\r\n"), "");
    EXPECT_EQ(shape(tree), (Lines{"\xC3\xA9x", ".\xEF\xBB\xBF \xF1", "..#946;"}));
}
