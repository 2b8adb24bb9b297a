// Tests of the frameset designer's model: splitting, merging, the places of the panels and the HTML written.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

#include "app/model/FramesetDesign.h"
#include "support/Occurrences.h"

namespace {

// Two columns, frames a.htm "menu" and b.htm "main".
struct TTwoColumns {
    TFramesetDesign design{210, 160};
    TTwoColumns()
    {
        const auto made = design.Split(true, 2);
        made[0]->Src = "a.htm";
        made[0]->FrameName = "menu";
        made[1]->Src = "b.htm";
        made[1]->FrameName = "main";
    }
};

} // namespace

TEST(FramesetDesign, TwoColumnsAreWrittenLineByLineAndTheSwitchedFormatsLeadWithABlank)
{
    TTwoColumns two;
    EXPECT_EQ(GenerateFrames(two.design.Root(), {}), "<frameset cols=\"50%,*\">\r\n"
                                                     "<frame src=\"a.htm\" name=\"menu\">\r\n"
                                                     "<frame src=\"b.htm\" name=\"main\">\r\n"
                                                     "</frameset>");
    TFrameSwitches border;
    border.Border = true;
    EXPECT_EQ(FramesetTag(two.design.Root(), border), " <frameset cols=\"50%,*\" border=\"0\">");

    // Every frameset switch, and every frame switch, on a node with its values changed.
    TFrameNode& root = two.design.Root();
    root.FrameBorder = true;
    root.FrameSpacing = "3";
    const TFrameSwitches all{true, true, true, true, true, true, true, true};
    EXPECT_EQ(FramesetTag(root, all),
              "  <frameset cols=\"50%,*\" border=\"0\" frameborder=\"1\" frameborder=\"yes\" framespacing=\"3\">");
    TFrameNode& frame = *root.Children[0];
    frame.Scrolling = false;
    frame.MarginWidth = "4";
    EXPECT_EQ(FrameTag(frame, all), "   <frame src=\"a.htm\" name=\"menu\" marginwidth=\"4\" marginheight=\"0\" "
                                    "frameborder=\"0\" frameborder=\"no\" scrolling=\"no\"  framespacing=\"0\">");
    // Not resizable is written whatever the switches say.
    frame.NoResize = true;
    EXPECT_EQ(FrameTag(frame, {}), "<frame src=\"a.htm\" name=\"menu\" noresize>");
}

TEST(FramesetDesign, SplitsShareOutEvenlyAndTheLastMemberTakesTheRest)
{
    EXPECT_EQ(EvenSizeList(2), "50%,*");
    EXPECT_EQ(EvenSizeList(3), "33%,33%,*");
    EXPECT_EQ(EvenSizeList(7), "14%,14%,14%,14%,14%,14%,*");

    TFramesetDesign design(210, 160);
    TFrameNode& root = design.Root();
    EXPECT_FALSE(design.Split(true, 1).size());
    const auto rows = design.Split(false, 3);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(root.ColsRows, "33%,33%,*");
    EXPECT_EQ(root.Tag, 0);
    EXPECT_FALSE(root.Bevels);
    // The split node keeps no edge: its rows fill it, the last one to the bottom.
    const int expected[3][4] = {{0, 0, 210, 53}, {0, 53, 210, 53}, {0, 106, 210, 54}};
    for (int i = 0; i < 3; ++i) {
        const TFrameNode& row = *rows[static_cast<size_t>(i)];
        EXPECT_EQ((std::array{row.Left, row.Top, row.Width, row.Height}),
                  (std::array{expected[i][0], expected[i][1], expected[i][2], expected[i][3]}))
            << "row " << i;
        EXPECT_TRUE(row.Bevels);
        EXPECT_EQ(row.Parent, &root);
    }
    // A member split in turn loses its edge too.
    ASSERT_TRUE(design.Select(*rows[1]));
    const auto columns = design.Split(true, 2);
    EXPECT_FALSE(rows[1]->Bevels);
    EXPECT_EQ((std::array{columns[0]->Left, columns[0]->Top, columns[0]->Width, columns[0]->Height}),
              (std::array{0, 0, 105, 53}));
    EXPECT_EQ((std::array{columns[1]->Left, columns[1]->Width}), (std::array{105, 105}));
    EXPECT_EQ(rows[1]->Tag, 1);
}

TEST(FramesetDesign, SelectingAndMergingKeepTheValuesAndColours)
{
    TTwoColumns two;
    TFramesetDesign& design = two.design;
    TFrameNode& root = design.Root();
    TFrameNode& left = *root.Children[0];
    TFrameNode& right = *root.Children[1];
    // A frameset cannot be selected.
    EXPECT_FALSE(design.Select(root));
    EXPECT_EQ(&design.Current(), &root);
    ASSERT_TRUE(design.Select(right));
    EXPECT_EQ(right.Color, TFramesetDesign::kSelectedColor);
    ASSERT_TRUE(design.Select(left));
    EXPECT_EQ(right.Color, static_cast<TColor>(clBtnFace));

    // Merging a frame of a nested frameset turns that frameset back into one frame.
    right.Src = "kept.htm";
    ASSERT_TRUE(design.Select(right));
    design.Split(false, 2);
    design.Select(*right.Children[1]);
    EXPECT_TRUE(design.Merge());
    EXPECT_EQ(&design.Current(), &right);
    EXPECT_TRUE(right.IsFrame());
    EXPECT_TRUE(right.Bevels);
    EXPECT_EQ(right.Color, TFramesetDesign::kMergedColor);
    EXPECT_EQ(right.Src, "kept.htm");
    EXPECT_EQ(right.ColsRows, "50%,*");
    EXPECT_EQ(root.Children.size(), 2u);
    // At the root there is nothing to merge.
    EXPECT_TRUE(design.Merge());
    EXPECT_EQ(&design.Current(), &root);
    EXPECT_FALSE(design.Merge());
    EXPECT_TRUE(root.IsFrame());
}

TEST(FramesetDesign, RandomDesignsTileTheSurfaceAndWriteEveryNode)
{
    std::mt19937 random(81);
    for (int round = 0; round < 200; ++round) {
        TFramesetDesign design(210, 160);
        for (int step = 0; step < 12; ++step) {
            const auto frames = [&] {
                std::vector<TFrameNode*> leaves;
                for (TFrameNode* node : design.Nodes())
                    if (node->IsFrame())
                        leaves.push_back(node);
                return leaves;
            }();
            design.Select(*frames[random() % frames.size()]);
            if (random() % 4 == 0)
                design.Merge();
            else
                design.Split(random() % 2 == 0, 2 + static_cast<int>(random() % 4));
        }
        int frames = 0, framesets = 0;
        for (TFrameNode* node : design.Nodes()) {
            if (node->IsFrame()) {
                ++frames;
                continue;
            }
            ++framesets;
            // The members cover the frameset's area edge to edge, in order.
            const int edge = node->Bevels ? 2 : 0;
            int along = edge;
            for (const auto& child : node->Children) {
                EXPECT_EQ(node->IsColumns() ? child->Left : child->Top, along);
                along += node->IsColumns() ? child->Width : child->Height;
            }
            EXPECT_EQ(along, (node->IsColumns() ? node->Width : node->Height) - edge) << "round " << round;
        }
        const std::string html = GenerateFrames(design.Root(), {});
        EXPECT_EQ(Occurrences(html, "<frame "), frames);
        EXPECT_EQ(Occurrences(html, "<frameset "), framesets);
        EXPECT_EQ(Occurrences(html, "</frameset>"), framesets);
        EXPECT_EQ(Occurrences(html, "\r\n"), frames + 2 * framesets - 1);
    }
}
