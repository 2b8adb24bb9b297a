// Tests of the tag table: fixed codes by number, and the drop-down lists the tool pages show.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/model/TagTable.h"

TEST(TagTable, FixedCodesAreFoundByNumberAndComputedOnesAreNot)
{
    const TTagCodes* div = FixedTagCodes(14);
    ASSERT_NE(div, nullptr);
    EXPECT_STREQ(div->Open, "<DIV>");
    EXPECT_STREQ(div->Close, "</DIV>");
    EXPECT_TRUE(div->Ctrl);
    const TTagCodes* width = FixedTagCodes(9);
    ASSERT_NE(width, nullptr);
    EXPECT_STREQ(width->Open, " WIDTH=\"");
    EXPECT_STREQ(width->Close, "\"");
    EXPECT_FALSE(width->Ctrl);
    EXPECT_STREQ(FixedTagCodes(510)->Open, " CLASS=\"");
    EXPECT_STREQ(FixedTagCodes(500)->Open, " LEFT=\"");
    EXPECT_FALSE(FixedTagCodes(40)->Ctrl);
    EXPECT_TRUE(FixedTagCodes(22)->Ctrl);
    // Computed rows, the repeat of the last code and unlisted numbers have no fixed codes.
    for (int tag : {0, 13, 15, 18, 26, 27, 37, 39, 50, 53, 70, 111, 200, 233, 250, 511, -1})
        EXPECT_EQ(FixedTagCodes(tag), nullptr) << tag;
}

TEST(TagTable, DropDownListsCarryTheirItemsHintsAndHandler)
{
    const TDropDownList table = DropDownList("sbTableOptions");
    EXPECT_EQ(table.Handler, TDropDownHandler::Select);
    ASSERT_EQ(table.Items.Count(), 4);
    EXPECT_EQ(table.Items[0], "<TABLE>...</TABLE>");
    EXPECT_EQ(table.Items[1], "BORDER");

    const TDropDownList tags = DropDownList("sbTags");
    EXPECT_EQ(tags.Handler, TDropDownHandler::Tag);
    EXPECT_EQ(tags.Tag, 3);
    ASSERT_EQ(tags.Items.Count(), 20);
    ASSERT_EQ(tags.Hints.Count(), 20);
    EXPECT_EQ(tags.Items[0], "Acr\xF3nimo");
    EXPECT_EQ(tags.Hints[0], "ACRONYM");
    EXPECT_EQ(tags.Items[19], "Variable");
    EXPECT_EQ(tags.Hints[19], "VAR");

    const TDropDownList doc = DropDownList("sbDocType");
    ASSERT_EQ(doc.Items.Count(), doc.Hints.Count());
    EXPECT_EQ(doc.Items[2], "Nivel 4");
    EXPECT_EQ(doc.Hints[2], "-//W3C//DTD HTML 4.0//EN");
    EXPECT_EQ(doc.Hints[7], "-//IETF//DTD HTML Strict Level 1//EN");

    const TDropDownList color = DropDownList("sbColor");
    EXPECT_EQ(color.Tag, 30);
    ASSERT_EQ(color.Items.Count(), 9);
    EXPECT_EQ(color.Items[6], "-");
    EXPECT_EQ(color.Hints[5], "COLOR");

    const TDropDownList iframe = DropDownList("sbIFrame");
    EXPECT_EQ(iframe.Items[0], "<IFRAME...></IFRAME>");
    EXPECT_EQ(iframe.Items[3], "  SCROLLING=yes");
    EXPECT_EQ(iframe.Items[iframe.Items.Count() - 1], "  VSPACE=\"...\"");
    EXPECT_EQ(DropDownList("sbFrame").Items[3], "  SCROLLING=\"yes\"");
    EXPECT_EQ(DropDownList("SbTamanoFuente").Items[6], "SIZE=\"7\"");

    // Every named button has a list; the names are unique.
    std::set<std::string> seen;
    for (const std::string& name : DropDownButtonNames()) {
        EXPECT_TRUE(seen.insert(name).second) << name;
        const TDropDownList list = DropDownList(name);
        EXPECT_EQ(list.Button, name);
        EXPECT_GT(list.Items.Count(), 0) << name;
        EXPECT_TRUE(list.Hints.Count() == 0 || list.Hints.Count() == list.Items.Count()) << name;
    }
    EXPECT_EQ(DropDownList("sbNoSuchButton").Items.Count(), 0);
}

TEST(TagTable, RightButtonListsAndMenuCaptions)
{
    const TStringList breaks = LineBreakItems();
    ASSERT_EQ(breaks.Count(), 3);
    EXPECT_EQ(breaks[2], "Salto completo");
    EXPECT_EQ(RuleItems().Count(), 1);
    const TStringList headings = HeadingItems();
    ASSERT_EQ(headings.Count(), 6);
    EXPECT_EQ(headings[0], "H1");
    EXPECT_EQ(headings[5], "H6");
    const TStringList special = SpecialCharacterCaptions();
    EXPECT_EQ(special[0], "&&");
    EXPECT_GE(special.IndexOf("Espacio"), 0);
    EXPECT_GE(URLSchemes().IndexOf("mailto:"), 0);
}
