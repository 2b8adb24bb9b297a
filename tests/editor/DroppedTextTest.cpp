// The filter that pasted and dropped HTML passes through.
#include <gtest/gtest.h>

#include <memory>
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

TEST(DroppedText, ADropObjGivesEachKindsTextCutToItsLength)
{
    TDropObj dropped;
    auto files = std::make_unique<TStringList>();
    files->Add("/tmp/a.html");
    files->Add("/tmp/b.css");
    const size_t length = files->Text().size();
    dropped.SetList(dkFiles, std::move(files), length);
    auto text = std::make_unique<TStringList>();
    text->Add("one line");
    dropped.SetList(dkText | 128, std::move(text), 8); // the kind is taken modulo 128
    EXPECT_EQ(dropped.Text(dkFiles), "/tmp/a.html\r\n/tmp/b.css\r\n");
    EXPECT_EQ(dropped.Text(dkText), "one line"); // without the line end the list adds
    EXPECT_EQ(dropped.GetList(dkText)->Count(), 1);
    EXPECT_EQ(dropped.Text(dkHTML), "");
    EXPECT_EQ(dropped.GetList(dkHTML), nullptr);
    dropped.SetList(TDropObj::kKinds, std::make_unique<TStringList>(), 0); // outside the table: dropped
    EXPECT_EQ(dropped.GetList(TDropObj::kKinds), nullptr);
}
