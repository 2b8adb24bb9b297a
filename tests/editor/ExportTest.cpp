// The editor control's export and clipboard: HTML and RTF of the selection, saving in those forms,
// copy, cut and paste through the system clipboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTemporaryDir>
#include <map>
#include <random>
#include <regex>

#include "CodeMemoTestSupport.h"
#include "ExportTestSupport.h"
#include "editor/model/Undo.h"
#include "platform/ClipboardFormats.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"
#include "support/Win1252Text.h"

namespace {

// Two lines in the three styles.
void prepare(TCodeMemo& memo)
{
    threeStyles(memo.ActiveSettings());
    memo.SetControlFont("Courier New", 10);
    memo.SetDocumentName("doc.htm");
    SetText(memo, "ab<c\r\nd\t\xE9");
    std::string styles = {0, 5, 5, 6, 6, 6, 0, 5};
    memo.Perform(SMM_SETSTYLES, 0, reinterpret_cast<LPARAM>(styles.data()));
}

std::string saved(TCodeMemo& memo, WPARAM format)
{
    TMemoryStream stream;
    memo.Perform(SMM_SAVESTREAM, format, reinterpret_cast<LPARAM>(&stream));
    return stream.AsString();
}

// The date line holds the time of the export; it is checked for its form and replaced.
std::string withoutDate(const std::string& page)
{
    static const std::regex date("<META NAME=\"Date\" CONTENT=\"[^\"<>&]+\">\r\n");
    EXPECT_TRUE(std::regex_search(page, date)) << page;
    return std::regex_replace(page, date, "<DATE>\r\n");
}

const std::string kHtmlPage = "<HTML><HEAD>\r\n"
                              "<META NAME=\"Generator\" CONTENT=\"TCodeMemo 2.01.31\">\r\n"
                              "<TITLE>doc.htm</TITLE>\r\n"
                              "<DATE>\r\n"
                              "</HEAD>\r\n"
                              "<BODY TEXT=\"#000000\" BGCOLOR=\"#123456\">\r\n"
                              "<PRE><FONT FACE=\"Courier New\">\r\n"
                              "a</FONT><FONT COLOR=\"#ff0000\"><B>b&lt;</FONT><FONT COLOR=\"#0000ff\"></B><I><U>c\r\n"
                              "d</FONT><FONT COLOR=\"#000000\"></I></U>&nbsp;</FONT><FONT COLOR=\"#ff0000\"><B>&#233;\r\n"
                              "</PRE></FONT></BODY></HTML>\r\n";

const std::string kRtfHead = "{\\rtf1 \\deff1{\\fonttbl {\\f1 \\fnil Courier New;}}\r\n"
                             "{\\colortbl\\red0\\green0\\blue0;\\red18\\green52\\blue86;"
                             "\\red255\\green0\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue255;}\r\n"
                             "{\\f1\\fs20\\cf0\\cb1 ";
const std::string kRtfDocument = kRtfHead + "a\\b1 \\cf2 \\cb3 b<\\b0 \\i1 \\ul1 \\cf4 c\\line \r\n"
                                            "d\\i0 \\ul0 \\cf0 \\cb1 \\tab \\b1 \\cf2 \\cb3 \\'e9\r\n}}";

void offer(const std::map<TClipFormat, std::string>& formats)
{
    auto data = new QMimeData;
    for (const auto& [format, bytes] : formats)
        SetFormatData(*data, format, bytes);
    QApplication::clipboard()->setMimeData(data);
}

} // namespace

TEST(Export, HtmlAndRtfOfTheSelectionFollowTheStyleBytes)
{
    TCodeMemo memo;
    prepare(memo);
    memo.SelectAll();
    EXPECT_EQ(withoutDate(saved(memo, SMM_FORMAT_HTML)), kHtmlPage);
    EXPECT_EQ(saved(memo, SMM_FORMAT_RTF), kRtfDocument);
    EXPECT_EQ(memo.Perform(SMM_GETSELTEXT, SMM_FORMAT_RTF, 0), static_cast<LRESULT>(kRtfDocument.size()));

    // A selection of the first line with its line break ends with that line.
    Select(memo, 0, 5);
    EXPECT_EQ(saved(memo, SMM_FORMAT_RTF), kRtfHead + "a\\b1 \\cf2 \\cb3 b<\\b0 \\i1 \\ul1 \\cf4 c\\line \r\n}}");
    // An empty selection writes the frame and the line end of the caret's line.
    Select(memo, 6, 6);
    EXPECT_EQ(saved(memo, SMM_FORMAT_RTF), kRtfHead + "\r\n}}");
    Select(memo, 1, 7);
    EXPECT_EQ(saved(memo, SMM_FORMAT_RTF),
              kRtfHead + "\\b1 \\cf2 \\cb3 b<\\b0 \\i1 \\ul1 \\cf4 c\\line \r\nd\\i0 \\ul0 \\cf0 \\cb1 \\tab \r\n}}");
}

TEST(Export, SavingInHtmlAndRtfWritesTheWholeTextAndKeepsTheSelection)
{
    TCodeMemo memo;
    prepare(memo);
    Select(memo, 2, 3);
    QTemporaryDir dir;
    std::string htmlFile = ToWin1252(dir.filePath("a.htm")), rtfFile = ToWin1252(dir.filePath("a.rtf"));
    memo.SetSaveFormat(sfHTML);
    memo.SaveToFile(htmlFile);
    memo.SetSaveFormat(sfRTF);
    memo.SaveToFile(rtfFile);
    TMemoryStream html, rtf;
    html.LoadFromFile(htmlFile);
    rtf.LoadFromFile(rtfFile);
    EXPECT_EQ(withoutDate(html.AsString()), kHtmlPage);
    EXPECT_EQ(rtf.AsString(), kRtfDocument);
    EXPECT_EQ(Selection(memo).Start, 2);
    EXPECT_EQ(Selection(memo).End, 3);
}

TEST(Export, HighlightingIsCompletedBeforeWriting)
{
    // Every character a token of value 5. Style bytes put over the scanned ones, with a run still
    // pending: the writer runs it first, so the characters come out red and bold again.
    class TFiveParser : public TTestParser {
    public:
        uint8_t ScanToken(TParserClient* client, TEdStream& stream, int& length) override
        {
            TTestParser::ScanToken(client, stream, length);
            return 5;
        }
    } parser;
    TCodeMemo memo;
    memo.SetParser1(&parser);
    memo.ActiveSettings().SetStyle(1, makeStyle(clRed, clWhite, fsBold));
    memo.ActiveSettings().SetStyleFlag(5, 1);
    SetText(memo, "ab");
    memo.Perform(WM_SETREDRAW, 0, 0);
    std::string plain = {0, 0};
    memo.Perform(SMM_SETSTYLES, 0, reinterpret_cast<LPARAM>(plain.data()));
    ASSERT_EQ(memo.FirstRecord()->Styles[1], 0);
    memo.SetHighlightStart(memo.FirstRecord());
    memo.FirstRecord()->Flags |= lfRestart;
    memo.SelectAll();
    std::string rtf = saved(memo, SMM_FORMAT_RTF);
    EXPECT_NE(rtf.find("\\b1 "), std::string::npos) << rtf;
    EXPECT_EQ(rtf.substr(rtf.size() - 6), "ab\r\n}}");
    memo.Perform(WM_SETREDRAW, 1, 0);
    memo.SetParser1(nullptr);
}

TEST(Clipboard, CopyOffersTheChosenFormatsInOneGo)
{
    TCodeMemo memo;
    prepare(memo);
    memo.SelectAll();
    offer({{CF_TEXT, "old"}});
    memo.ClipCopyFormats = 0;
    memo.Perform(WM_COPY, 0, 0);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    EXPECT_TRUE(!data || data->formats().isEmpty());
    EXPECT_EQ(memo.Perform(SMM_CANPASTE, 0, 0), 0);

    memo.ClipCopyFormats = (1u << smTEXT) | (1u << smRTF);
    memo.Perform(WM_COPY, 0, 0);
    data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(GetFormatData(data, CF_TEXT), "ab<c\nd\t\xE9");
    EXPECT_EQ(GetFormatData(data, RtfClipboardFormat()), kRtfDocument);
    EXPECT_EQ(memo.Perform(SMM_CANPASTE, 0, 0), 1);

    memo.ClipCopyFormats = 1u << smRTF;
    memo.Perform(WM_COPY, 0, 0);
    EXPECT_FALSE(IsFormatAvailable(QApplication::clipboard()->mimeData(), CF_TEXT));
    EXPECT_TRUE(IsFormatAvailable(QApplication::clipboard()->mimeData(), RtfClipboardFormat()));
}

TEST(Clipboard, PasteTakesTextUnlessTheHandlerChoosesHtml)
{
    const std::string page = "Version:0.9\r\n<html><body><!--StartFragment--><b>x</b><!--EndFragment--></body>";
    TCodeMemo memo;
    std::vector<TSourceTypes> offered;
    TSourceTypes answer = 0;
    memo.OnDataDrop = [&](TCustomCodeMemo*, TSourceTypes& types) {
        offered.push_back(types);
        if (answer)
            types = answer;
    };
    offer({{CF_TEXT, "plain\r\ntext"}, {HtmlClipboardFormat(), page}});
    memo.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), "plain\r\ntext");
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0], stHTML | stCFText | stAny);

    SetText(memo, "");
    answer = stHTML | stAny;
    memo.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), page);

    SetText(memo, "");
    answer = stHTML | stFragment;
    memo.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), "<b>x</b>");

    SetText(memo, "");
    answer = stHTML | stStripHeader;
    memo.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), page.substr(page.find('<')));

    // A handler that takes every format away pastes nothing.
    SetText(memo, "kept");
    answer = stAny;
    memo.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), "kept");

    // HTML alone can be pasted, and the control says so; without a handler it is taken whole.
    memo.OnDataDrop = nullptr;
    offer({{HtmlClipboardFormat(), "<p>h</p>"}});
    EXPECT_EQ(memo.Perform(SMM_CANPASTE, 0, 0), 1);
    SetText(memo, "");
    memo.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), "<p>h</p>");

    // Text is taken up to its first NUL; an empty clipboard changes nothing.
    offer({{CF_TEXT, std::string("ab\0cd", 5)}});
    SetText(memo, "");
    memo.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), "ab");
    QApplication::clipboard()->clear();
    memo.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), "ab");
}

TEST(Clipboard, TextRoundTripsThroughTheClipboardAndUndoTakesEachStepBack)
{
    std::mt19937 random(28);
    for (int round = 0; round < 20; ++round) {
        // Every Windows-1252 byte from the blank up, and line breaks.
        std::string text;
        int n = 1 + static_cast<int>(random() % 200);
        for (int i = 0; i < n; ++i)
            text += random() % 12 == 0 ? std::string("\r\n") : std::string(1, static_cast<char>(32 + random() % 224));
        TCodeMemo source, target;
        SetText(source, text);
        int start = static_cast<int>(random() % (source.TextLength() + 1));
        int end = static_cast<int>(random() % (source.TextLength() + 1));
        Select(source, start, end);
        std::string selected = source.GetSelText();
        source.Perform(WM_COPY, 0, 0);

        SetText(target, "[]");
        Select(target, 1, 1);
        target.Perform(WM_PASTE, 0, 0);
        ASSERT_EQ(target.GetTextStr(), "[" + selected + "]") << round;
        target.Undo();
        ASSERT_EQ(target.GetTextStr(), "[]") << round;

        source.Perform(WM_CUT, 0, 0);
        ASSERT_EQ(GetFormatData(QApplication::clipboard()->mimeData(), CF_TEXT),
                  std::regex_replace(selected, std::regex("\r\n"), "\n"));
        int from = std::min(start, end), to = std::max(start, end);
        // Offsets count a line break as one character; the text holds it as CR LF.
        EXPECT_EQ(source.GetTextStr().size(), text.size() - selected.size()) << round;
        source.Undo();
        ASSERT_EQ(source.GetTextStr(), text) << round << " " << from << " " << to;
    }
}

TEST(Clipboard, CopiedLinesEndInLineFeedsAndPasteTakesEveryBreak)
{
    // A file of 13 lines ending in LF, as this platform's files do.
    std::string file;
    for (int line = 1; line <= 13; ++line)
        file += "line " + std::to_string(line) + "\n";
    QString expected = FromWin1252(file);
    TCodeMemo memo;
    SetText(memo, file);
    memo.SelectAll();
    memo.Perform(WM_COPY, 0, 0);
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
    EXPECT_EQ(QApplication::clipboard()->text().count(QLatin1Char('\r')), 0);
    memo.Perform(WM_CUT, 0, 0);
    EXPECT_EQ(QApplication::clipboard()->text(), expected);
    EXPECT_EQ(memo.GetTextStr(), "");
    // The document keeps its own breaks; only what leaves it changes.
    SetText(memo, "a\r\nb\rc");
    memo.SelectAll();
    memo.Perform(WM_COPY, 0, 0);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("a\nb\nc"));

    // Text from other programs: CR LF, CR and LF each make one line break.
    auto* data = new QMimeData;
    data->setText(QStringLiteral("1\r\n2\r3\n4\r\n\n5"));
    QApplication::clipboard()->setMimeData(data);
    SetText(memo, "");
    memo.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(memo.Lines().Count(), 6);
    EXPECT_EQ(memo.GetTextStr(), "1\r\n2\r\n3\r\n4\r\n\r\n5");
}

TEST(Clipboard, AReadOnlyControlCopiesButNeitherCutsNorPastes)
{
    TCodeMemo memo;
    SetText(memo, "fixed");
    memo.SetReadOnly(true);
    Select(memo, 0, 3);
    offer({{CF_TEXT, "other"}});
    memo.Perform(WM_CUT, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), "fixed");
    EXPECT_EQ(GetFormatData(QApplication::clipboard()->mimeData(), CF_TEXT), "other");
    memo.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), "fixed");
    memo.Perform(WM_COPY, 0, 0);
    EXPECT_EQ(GetFormatData(QApplication::clipboard()->mimeData(), CF_TEXT), "fix");
}

TEST(Clipboard, PasteAndCutAreOneUndoGroupEach)
{
    TCodeMemo memo;
    SetText(memo, "one two");
    Select(memo, 3, 7);
    memo.Perform(WM_CUT, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), "one");
    offer({{CF_TEXT, "\r\nthree\r\nfour"}});
    memo.Perform(WM_PASTE, 0, 0);
    memo.Perform(WM_PASTE, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), "one\r\nthree\r\nfour\r\nthree\r\nfour");
    memo.Undo();
    EXPECT_EQ(memo.GetTextStr(), "one\r\nthree\r\nfour");
    memo.Undo();
    EXPECT_EQ(memo.GetTextStr(), "one");
    memo.Undo();
    EXPECT_EQ(memo.GetTextStr(), "one two");
    EXPECT_FALSE(memo.CanUndo());
}

TEST(Export, RememberedReferencesAreWrittenAsTheCharacters)
{
    TCodeMemo memo;
    threeStyles(memo.ActiveSettings());
    memo.SetControlFont("Courier New", 10);
    // Typed references are text like any other.
    SetText(memo, "a&#8594;&#128512;&#937;");
    memo.SelectAll();
    EXPECT_NE(saved(memo, SMM_FORMAT_HTML).find("a&amp;#8594;&amp;#128512;&amp;#937;"), std::string::npos);
    EXPECT_NE(saved(memo, SMM_FORMAT_RTF).find("a&#8594;&#128512;&#937;"), std::string::npos);
    // Held characters are the characters; a mark that begins none is the "&" it shows as.
    memo.SelectAll();
    Insert(memo, "a\x1F#8594;\x1F#128512;&#937;\x1F#");
    memo.SelectAll();
    EXPECT_NE(saved(memo, SMM_FORMAT_HTML).find("a&#8594;&#128512;&amp;#937;&amp;#"), std::string::npos);
    // RTF takes signed 16-bit units, two for a character past U+FFFF.
    EXPECT_NE(saved(memo, SMM_FORMAT_RTF).find("a\\u8594?\\u-10179?\\u-8704?&#937;&#"), std::string::npos);
}
