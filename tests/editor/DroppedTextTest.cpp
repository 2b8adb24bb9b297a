// The filter that pasted and dropped HTML passes through.
#include <gtest/gtest.h>

#include <string>

#include "editor/model/DroppedText.h"

namespace {
std::string filtered(std::string text, TSourceTypes types)
{
    FilterDroppedText(text, types);
    return text;
}
} // namespace

TEST(DroppedText, OnlyHtmlIsFilteredAndNoFilterLeavesItWhole)
{
    const std::string page = "Version:0.9\r\n<html><!--StartFragment-->frag<!--EndFragment--></html>";
    EXPECT_EQ(filtered(page, stCFText | stFragment | stStripHeader), page);
    EXPECT_EQ(filtered(page, stHTML | stNoFilter | stFragment), page);
    EXPECT_EQ(filtered(page, stHTML), page);
    EXPECT_EQ(filtered(page, stHTML | stStripHeader), page.substr(page.find('<')));
    // The header goes first, also with stFragment and both set.
    EXPECT_EQ(filtered(page, stHTML | stStripHeader | stFragment), page.substr(page.find('<')));
    EXPECT_EQ(filtered(page, stHTML | stFragment), "frag");
}

TEST(DroppedText, AFragmentNeedsBothMarkersInOrder)
{
    EXPECT_EQ(filtered("no tag at all", stHTML | stStripHeader), "no tag at all");
    EXPECT_EQ(filtered("hdr<b><!--StartFragment-->x", stHTML | stFragment), "<b><!--StartFragment-->x");
    EXPECT_EQ(filtered("<!--EndFragment--><!--StartFragment-->", stHTML | stFragment),
              "<!--EndFragment--><!--StartFragment-->");
    EXPECT_EQ(filtered("h<!--StartFragment--><!--EndFragment-->", stHTML | stFragment), "");
    // The end marker is looked for after the start marker's end, never inside it.
    EXPECT_EQ(filtered("<!--StartFragment-->a<!--EndFragment-->b<!--EndFragment-->", stHTML | stFragment), "a");
    EXPECT_EQ(filtered("", stHTML | stFragment), "");
}
