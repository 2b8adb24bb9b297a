// Tests of ComposeTag: the tag written back from a grid's rows reads again as the same rows; quoting and the one-per-line layout.
#include "app/model/TagComposer.h"

#include <gtest/gtest.h>

#include <random>

#include "app/model/AssistantTags.h"
#include "app/model/BodyTag.h"
#include "app/model/FramesetDesign.h"
#include "app/model/ImageMap.h"
#include "app/model/libKestrima.h"
#include "support/StringListItems.h"

TEST(ComposeTag, WrittenRowsReadBackAsWritten)
{
    std::mt19937 random(85);
    const std::string letters = "ABCXYZabz09-";
    // Values may hold blanks, "=", ">" and either kind of quote, never both.
    const std::string valueChars = "ab 0=>/.#\"";
    const auto word = [&](const std::string& from, int least) {
        std::string text;
        const int length = least + static_cast<int>(random() % 6);
        for (int i = 0; i < length; ++i)
            text += from[random() % from.size()];
        return text;
    };
    for (int round = 0; round < 300; ++round) {
        TStringList names, values;
        const int count = static_cast<int>(random() % 5);
        for (int i = 0; i < count; ++i) {
            names.Add(word(letters, 1));
            std::string value = random() % 3 == 0 ? std::string() : word(valueChars, 1);
            // A bare "'" inside a value is fine too, but only when it holds no double quote.
            if (value.find('"') == std::string::npos && random() % 4 == 0)
                value += '\'';
            values.Add(value);
        }
        const bool onePerLine = random() % 2 == 0;
        const std::string tag = ComposeTag("TAG", names, values, onePerLine, static_cast<int>(random() % 100));
        TStringList readNames, readValues;
        ASSERT_EQ(ParseTagAttributes(tag, readNames, readValues), "TAG") << tag;
        EXPECT_EQ(Items(readNames), Items(names)) << tag;
        EXPECT_EQ(Items(readValues), Items(values)) << tag;
    }
}

TEST(ComposeTag, QuotesLayoutAndSkippedRows)
{
    EXPECT_EQ(ComposeTag("IMG", Lines({"SRC", "", "ISMAP"}), Lines({"a.gif", "lost", ""}), false, 9),
              "<IMG SRC=\"a.gif\" ISMAP>");
    EXPECT_EQ(ComposeTag("IMG", Lines({"ALT"}), Lines({"say \"hi\""}), false, 0), "<IMG ALT='say \"hi\"'>");
    EXPECT_EQ(ComposeTag("P", Lines({"T"}), Lines({"it's \"x\""}), false, 0), "<P T=\"it's &quot;x&quot;\">");
    EXPECT_EQ(ComposeTag("img", Lines({"Src", "b"}), Lines({"A", "1"}), true, 4),
              "<img\r\n         Src=\"A\"\r\n         b=\"1\">");
    // Each run of blanks stops at 80.
    const std::string wide = ComposeTag(std::string(100, 'T'), Lines({"A"}), Lines({""}), true, 200);
    EXPECT_EQ(wide, "<" + std::string(100, 'T') + "\r\n" + std::string(160, ' ') + " A>");
    EXPECT_EQ(ComposeTag("BR", TStringList(), TStringList(), true, 3), "<BR>");
}

TEST(ComposeTag, EveryGeneratorQuotesTypedValuesAsTheGridDoes)
{
    // The value of `name` in `tag` as an HTML reader reads it ("&quot;" is a double quote).
    const auto read = [](const std::string& tag, const std::string& name) {
        TStringList names, values;
        ParseTagAttributes(tag, names, values);
        const int index = names.IndexOf(name);
        std::string value = index < 0 ? std::string("(none)") : values[index];
        for (size_t at = value.find("&quot;"); at != std::string::npos; at = value.find("&quot;", at + 1))
            value.replace(at, 6, 1, '"');
        return value;
    };
    for (const std::string typed : {"plain", "say \"hi\" <b> & more", "l'un \"et\" l'autre", "\xBB \xF1"}) {
        EXPECT_EQ(read(QuoteAttributeValue(typed).insert(0, "<A B=") + ">", "B"), typed);
        TImageTagValues image;
        image.URL = typed;
        image.Alt = typed;
        const std::string img = ImageTag(image).Open;
        EXPECT_EQ(read(img, "SRC"), typed) << img;
        EXPECT_EQ(read(img, "ALT"), typed) << img;
        TBodyTagValues body;
        body.Background = true;
        body.UrlBody = typed;
        EXPECT_EQ(read(BodyTag(body), "BACKGROUND"), typed) << BodyTag(body);
        TFrameNode frame;
        frame.Src = typed;
        frame.FrameName = typed;
        const std::string tag = FrameTag(frame, TFrameSwitches{});
        EXPECT_EQ(read(tag, "src"), typed) << tag;
        EXPECT_EQ(read(tag, "name"), typed) << tag;
        TMapArea area;
        area.Link = typed;
        area.Alt = typed;
        EXPECT_EQ(read(TImageMap::AreaTag(area), "HREF"), typed) << TImageMap::AreaTag(area);
        EXPECT_EQ(read(TImageMap::AreaTag(area), "ALT"), typed) << TImageMap::AreaTag(area);
    }
}
