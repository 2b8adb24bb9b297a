// The HTML and RTF document writers: exact bytes for small texts, escapes, colour tables and ranges.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ExportTestSupport.h"
#include "editor/model/DocumentWriters.h"

namespace {

// A chain of records cut from `text` (at most `width` characters each, as wrapping leaves them) with
// one style byte per character; no bytes at all when `styles` is empty.
class TRecords {
public:
    TRecords(const std::string& text, const std::string& styles, int width = 2047)
    {
        TLineRecord* prev = nullptr;
        size_t at = 0;
        while (at < text.size()) {
            size_t end = std::min(text.find('\r', at) == std::string::npos ? text.size() : text.find('\r', at) + 1,
                                  at + static_cast<size_t>(width));
            TLineRecord* record = NewLineRecord(text.data() + at, static_cast<int>(end - at));
            if (!styles.empty()) {
                record->Styles.reset(new uint8_t[end - at]);
                std::copy(styles.begin() + static_cast<long>(at), styles.begin() + static_cast<long>(end),
                          record->Styles.get());
            }
            record->Prev = prev;
            (prev ? prev->Next : FFirst) = record;
            prev = record;
            at = end;
        }
        FLast = prev;
    }
    ~TRecords() { FreeLineChain(FFirst); }
    TRecords(const TRecords&) = delete;
    TRecords& operator=(const TRecords&) = delete;

    // The whole chain as the range of a source.
    TExportSource Source(const TSM_Settings& settings) const
    {
        TExportSource source;
        source.First = FFirst;
        source.Last = FLast;
        source.LastIndex = FLast ? FLast->Len : 0;
        source.Settings = &settings;
        source.FontName = "Courier New";
        source.FontSize = 10;
        source.Title = "doc.htm";
        source.Generator = "Gen";
        source.DateText = "1/2/26 3:04";
        return source;
    }
    TLineRecord* First() const { return FFirst; }

private:
    TLineRecord* FFirst = nullptr;
    TLineRecord* FLast = nullptr;
};

std::string html(const TExportSource& source)
{
    TMemoryStream stream;
    WriteHTMLDocument(stream, source);
    return stream.AsString();
}

std::string rtf(const TExportSource& source)
{
    TMemoryStream stream;
    WriteRTFDocument(stream, source);
    return stream.AsString();
}

const std::string kHtmlHead = "<HTML><HEAD>\r\n"
                              "<META NAME=\"Generator\" CONTENT=\"Gen\">\r\n"
                              "<TITLE>doc.htm</TITLE>\r\n"
                              "<META NAME=\"Date\" CONTENT=\"1/2/26 3:04\">\r\n"
                              "</HEAD>\r\n"
                              "<BODY TEXT=\"#000000\" BGCOLOR=\"#123456\">\r\n"
                              "<PRE><FONT FACE=\"Courier New\">\r\n";
const std::string kHtmlEnd = "</PRE></FONT></BODY></HTML>\r\n";

} // namespace

TEST(DocumentWriters, HtmlRunsSwitchColourAndFontOnlyWhereTheStyleChanges)
{
    TSM_Settings settings;
    threeStyles(settings);
    TRecords records("ab<c\rd\t\xE9", {0, 5, 5, 6, 6, 6, 0, 5});
    EXPECT_EQ(html(records.Source(settings)),
              kHtmlHead + "a</FONT><FONT COLOR=\"#ff0000\"><B>b&lt;</FONT><FONT COLOR=\"#0000ff\"></B><I><U>c\r\n"
                          "d</FONT><FONT COLOR=\"#000000\"></I></U>&nbsp;</FONT><FONT COLOR=\"#ff0000\"><B>&#233;\r\n" +
                  kHtmlEnd);

    // A run of another style in the same colour and font writes no tag; bytes 9 and 10 map to style 0.
    TRecords same("xy", {9, 10});
    EXPECT_EQ(html(same.Source(settings)), kHtmlHead + "xy\r\n" + kHtmlEnd);
}

TEST(DocumentWritersHtml, EscapesEveryByteAsThePageNeedsIt)
{
    TSM_Settings settings;
    threeStyles(settings);
    // The mark of a held character that begins none is the "&" the editor shows.
    std::string text = "x<y&z>\"&lt;\t\xA0\x01\x1F\x7F\x80\xFF\r";
    TRecords records(text, "");
    EXPECT_EQ(html(records.Source(settings)),
              kHtmlHead + "x&lt;y&amp;z&gt;&quot;&amp;lt;&nbsp;&nbsp;&amp;\x7F&#128;&#255;\r\n" + kHtmlEnd);

    // An empty range still gives the frame and the line end of the record holding it.
    TExportSource empty = records.Source(settings);
    empty.Last = empty.First;
    empty.FirstIndex = empty.LastIndex = 3;
    EXPECT_EQ(html(empty), kHtmlHead + "\r\n" + kHtmlEnd);
    empty.First = empty.Last = nullptr;
    EXPECT_EQ(html(empty), kHtmlHead + kHtmlEnd);

    // The title is text of the page too.
    TExportSource titled = records.Source(settings);
    titled.Title = "a&b<c>.htm";
    EXPECT_NE(html(titled).find("<TITLE>a&amp;b&lt;c&gt;.htm</TITLE>\r\n"), std::string::npos);
}

TEST(DocumentWriters, EveryDisplayLineEndsALineOfTheOutputAndTheRangeCutsTheEnds)
{
    TSM_Settings settings;
    threeStyles(settings);
    // "abcdef" wrapped at 4 columns: pieces "abcd" and "ef\r", then "gh".
    TRecords records("abcdef\rgh", std::string(9, '\5'), 4);
    TExportSource source = records.Source(settings);
    const std::string red = "</FONT><FONT COLOR=\"#ff0000\"><B>";
    EXPECT_EQ(html(source), kHtmlHead + red + "abcd\r\nef\r\ngh\r\n" + kHtmlEnd);

    source.FirstIndex = 2;
    source.Last = records.First()->Next;
    source.LastIndex = 1;
    EXPECT_EQ(html(source), kHtmlHead + red + "cd\r\ne\r\n" + kHtmlEnd);
    EXPECT_EQ(rtf(source).substr(rtf(source).find("\\cb1 ")),
              "\\cb1 \\b1 \\cf2 \\cb3 cd\r\ne\r\n}}");
}

TEST(DocumentWriters, SystemColoursAreResolvedBeforeTheyAreWritten)
{
    EXPECT_EQ(ColorToRGBHex(static_cast<TColor>(clWindowText)), "000000");
    EXPECT_EQ(ColorToRGBHex(static_cast<TColor>(clInfoBk)), "ffffe1");
    EXPECT_EQ(ColorToRGBHex(0x563412), "123456");
}

TEST(DocumentWritersRtf, WritesHeaderColourTableRunsAndEscapes)
{
    TSM_Settings settings;
    threeStyles(settings);
    TRecords records("{a}\\b\r'\t\f\xE9\n\x01", {0, 0, 0, 0, 0, 0, 5, 5, 6, 6, 0, 0});
    const std::string table = "{\\rtf1 \\deff1{\\fonttbl {\\f1 \\fnil Courier New;}}\r\n"
                              "{\\colortbl\\red0\\green0\\blue0;\\red18\\green52\\blue86;"
                              "\\red255\\green0\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue255;}\r\n";
    EXPECT_EQ(rtf(records.Source(settings)),
              table + "{\\f1\\fs20\\cf0\\cb1 \\{a\\}\\\\b\\line \r\n"
                      "\\b1 \\cf2 \\cb3 \\'27\\tab \\b0 \\i1 \\ul1 \\cf4 \\page \\'e9\\i0 \\ul0 \\cf0 \\cb1 \\'0a\\'01\r\n}}");

    // Twice the font size in half points.
    TExportSource big = records.Source(settings);
    big.FontSize = 12;
    EXPECT_NE(rtf(big).find("{\\f1\\fs24\\cf0\\cb1 "), std::string::npos);
}

TEST(DocumentWritersRtf, TheColourTableStopsAt256EntriesAndLaterColoursFallBack)
{
    TSM_Settings settings;
    settings.SetStyle(0, makeStyle(clBlack, clWhite));
    // 150 defined styles with two new colours each: 300 colours for 254 free entries.
    for (int i = 1; i <= 150; ++i) {
        settings.SetStyle(static_cast<uint8_t>(i), makeStyle(0x010000 * i + 1, 0x010000 * i + 2));
        settings.SetStyleFlag(static_cast<uint8_t>(i), static_cast<uint8_t>(i));
    }
    std::string styles;
    for (int i = 1; i <= 150; ++i)
        styles += static_cast<char>(i);
    TRecords records(std::string(150, 'x'), styles);
    std::string out = rtf(records.Source(settings));
    size_t tableEnd = out.find("}\r\n", out.find("{\\colortbl"));
    std::string table = out.substr(0, tableEnd);
    size_t entries = 0;
    for (size_t at = table.find("\\red"); at != std::string::npos; at = table.find("\\red", at + 1))
        ++entries;
    EXPECT_EQ(entries, 256u);
    // Style 127 got entries 254 and 255; style 128's colours are past the table.
    EXPECT_NE(out.find("\\cf254 \\cb255 x\\cf0 \\cb1 x\\cf0 \\cb1 x"), std::string::npos);
    // Styles inside the table still find their entries.
    EXPECT_NE(out.find("\\cf2 \\cb3 x\\cf4 \\cb5 x"), std::string::npos);
}

TEST(DocumentWriters, RandomTextsWriteEveryCharacterOnceInBothForms)
{
    // Property: without markup characters, the HTML body with its tags taken out is the text with
    // each record's line end as CR LF, whatever the styles and the cut of the records.
    std::mt19937 random(28);
    TSM_Settings settings;
    for (int i = 0; i < 8; ++i) {
        settings.SetStyle(static_cast<uint8_t>(i), makeStyle(static_cast<TColor>(random() & 0xFFFFFF), clWhite,
                                                              static_cast<TFontStyles>(random() & 7)));
        settings.SetStyleFlag(static_cast<uint8_t>(i), static_cast<uint8_t>(i));
    }
    for (int round = 0; round < 50; ++round) {
        std::string text, styles;
        int n = 1 + static_cast<int>(random() % 300);
        for (int i = 0; i < n; ++i) {
            text += random() % 10 == 0 ? '\r' : static_cast<char>('a' + random() % 26);
            styles += static_cast<char>(random() % 8);
        }
        TRecords records(text, styles, 1 + static_cast<int>(random() % 40));
        std::string page = html(records.Source(settings));
        std::string body = page.substr(kHtmlHead.size(), page.size() - kHtmlHead.size() - kHtmlEnd.size());
        std::string plain, expected;
        for (size_t i = 0; i < body.size(); ++i) {
            if (body[i] == '<')
                i = body.find('>', i);
            else
                plain += body[i];
        }
        for (const TLineRecord* r = records.First(); r; r = r->Next)
            expected += std::string(r->Text.get(), r->Len - (r->EndsWithCR() ? 1 : 0)) + "\r\n";
        ASSERT_EQ(plain, expected) << round;

        std::string doc = rtf(records.Source(settings));
        EXPECT_EQ(doc.substr(doc.size() - 4), "\r\n}}");
        size_t lines = 0;
        for (size_t at = doc.find("\r\n", doc.find("\\cb1 ")); at != std::string::npos; at = doc.find("\r\n", at + 1))
            ++lines;
        size_t recordCount = 0;
        for (const TLineRecord* r = records.First(); r; r = r->Next)
            ++recordCount;
        EXPECT_EQ(lines, recordCount) << round;
    }
}
