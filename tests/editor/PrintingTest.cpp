// Printing of the editor control: print pieces, preview pages with header and footer, and printing to a PDF file.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontMetrics>
#include <QLocale>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <ctime>
#include <map>
#include <tuple>
#include <optional>
#include <random>
#include <regex>
#include <sstream>

#include "PainterTestSupport.h"
#include "TextTestSupport.h"
#include "support/Dates.h"
#include "support/PdfWords.h"
#include "support/RecordingPrintTarget.h"
#include "components/PrevPrinter.h"
#include "editor/PrintPreviewPages.h"
#include "platform/Win1252Qt.h"
#include "platform/core/DateText.h"

namespace {

std::string PieceText(const TLineRecord& piece)
{
    return std::string(piece.Text.get(), piece.Len);
}

std::string Joined(const TPrintPieces& pieces)
{
    std::string all;
    for (const auto& piece : pieces)
        all += PieceText(*piece);
    return all;
}

// 200 characters: 75 letters, six blanks across column 78, then 119 characters of words.
std::string LineOfWords()
{
    std::string line = std::string(75, 'a') + std::string(6, ' ');
    for (int i = 0; i < 23; ++i)
        line += "word ";
    return line + "word";
}

// A page painted by PrintPage into a picture of the page's size; also what OnDrawLine saw.
struct TPreviewPage {
    QImage Image;
    bool More = false;
};

TPreviewPage PreviewPage(TCustomCodeMemo& memo, const TRect& area, int page)
{
    TPreviewPage result;
    result.Image = QImage(area.Right, area.Bottom, QImage::Format_RGB32);
    result.Image.fill(Qt::red); // PrintPage paints the page white first
    QPainter painter(&result.Image);
    result.More = memo.PrintPage(&painter, &area, page);
    return result;
}

// Points the program's printer at a PDF file.
void PrintInto(const QString& file)
{
    QPrinter& printer = Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
}

bool RowHasInk(const QImage& image, int left, int right, int top, int height)
{
    return InkIn(image, QRect(left, top, right - left, height), qRgb(255, 255, 255)) > 0;
}

} // namespace

TEST(PrintPieces, PrintWrapCutsAfterTheLastBlankThatFits)
{
    TCodeMemo memo;
    SetText(memo, LineOfWords() + "\r\nnext");
    const TLineRecord& record = *memo.FirstRecord();
    TPrintPieces pieces;
    MakePrintPieces(memo, record, 78, true, pieces);
    ASSERT_EQ(pieces.size(), 3u);
    // The last blank at or before column 77 ends the first piece; the blanks after it stay with it.
    EXPECT_EQ(PieceText(*pieces[0]), std::string(75, 'a') + std::string(6, ' '));
    EXPECT_EQ(pieces[1]->Len, 75);
    EXPECT_EQ(PieceText(*pieces[1]).substr(70), "word ");
    EXPECT_EQ(PieceText(*pieces[2]), "word word word word word word word word word\r");
    EXPECT_EQ(Joined(pieces), std::string(record.Text.get(), record.Len));
    for (const auto& piece : pieces)
        EXPECT_EQ(piece->Flags, lfChanged);
    EXPECT_EQ(pieces[0]->Next, pieces[1].get());
    EXPECT_EQ(pieces[2]->Prev, pieces[1].get());

    // Without print wrap the record is one copy, styles included, flagged as to be drawn.
    std::string bytes(static_cast<size_t>(memo.TextLength()), '\x03');
    memo.Perform(SMM_SETSTYLES, 0, reinterpret_cast<LPARAM>(bytes.data()));
    MakePrintPieces(memo, record, 78, false, pieces);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0]->Len, record.Len);
    EXPECT_EQ(pieces[0]->Flags, record.Flags | lfStylesChanged);
    ASSERT_NE(pieces[0]->Styles, nullptr);
    EXPECT_EQ(pieces[0]->Styles[199], 3);
}

TEST(PrintPieces, EveryPieceHoldsACharacterAndAFinalCRNeverStandsAlone)
{
    TCodeMemo memo;
    memo.SetTabDefault(4);
    SetText(memo, "abc def\r\n\t\tab\r\nabcd\r\na\tbc de");
    const TLineRecord* record = memo.FirstRecord();
    TPrintPieces pieces;
    // Pages narrower than a column still make progress, one character at a time.
    for (int width : {0, -3}) {
        MakePrintPieces(memo, *record, width, true, pieces);
        ASSERT_EQ(pieces.size(), 7u) << width;
        EXPECT_EQ(Joined(pieces), "abc def");
    }
    // TABs wider than the page: one character per piece, each TAB piece flagged as holding one.
    record = record->Next;
    MakePrintPieces(memo, *record, 3, true, pieces);
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(Joined(pieces), "\t\tab");
    EXPECT_EQ(pieces[0]->Flags, lfChanged | lfHasTab);
    EXPECT_EQ(pieces[2]->Flags, lfChanged);
    // A CR right after a full piece is not printed on a line of its own.
    record = record->Next;
    MakePrintPieces(memo, *record, 4, true, pieces);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(PieceText(*pieces[0]), "abcd");
    // With TABs the walk stops at the page width less a tab width and backs up to a blank.
    record = record->Next;
    MakePrintPieces(memo, *record, 8, true, pieces);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(PieceText(*pieces[0]), "a\t");
    EXPECT_EQ(PieceText(*pieces[1]), "bc ");
    EXPECT_EQ(PieceText(*pieces[2]), "de");
}

TEST(PrintPieces, AHeldCharacterPrintsWholeOnOneLine)
{
    std::mt19937 rng(1107);
    TCodeMemo memo;
    memo.SetTabDefault(4);
    for (bool tabs : {false, true})
        for (int width : {20, 33, 78}) {
            // A held character beginning at every column around the width, after words or inside one.
            std::string text;
            for (int column = 0; column <= width + 12; ++column) {
                text += lineWithHeldCharacterAt(rng, column, 2 * width + 20, tabs) + "\r";
                text += std::string(static_cast<size_t>(column), 'x') + HeldCharacter(U'\U0001F600') +
                        std::string(static_cast<size_t>(width), 'y') + "\r";
            }
            SetText(memo, text);
            TPrintPieces pieces;
            for (const TLineRecord* record = memo.FirstRecord(); record; record = record->Next) {
                const std::string line(record->Text.get(), record->Len);
                MakePrintPieces(memo, *record, width, true, pieces);
                // The line's break is left out when it would start a piece.
                const std::string joined = Joined(pieces);
                ASSERT_TRUE(joined == line || joined + "\r" == line) << joined;
                size_t end = 0;
                for (size_t p = 0; p + 1 < pieces.size(); ++p) {
                    end += static_cast<size_t>(pieces[p]->Len);
                    for (const auto& [start, stop] : heldCharacterSpans(line))
                        ASSERT_FALSE(end > start && end < stop)
                            << "width " << width << (tabs ? " with TABs" : "") << ": a piece ends inside \""
                            << line.substr(start + 1, stop - start - 1) << "\" at " << end << "\n" << line;
                }
            }
        }
    // A page narrower than a held character still prints it whole, alone on its line.
    SetText(memo, "ab" + HeldCharacter(U'\u03B1') + "c");
    TPrintPieces pieces;
    MakePrintPieces(memo, *memo.FirstRecord(), 3, true, pieces);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(PieceText(*pieces[0]), "ab");
    EXPECT_EQ(PieceText(*pieces[1]), HeldCharacter(U'\u03B1'));
    EXPECT_EQ(PieceText(*pieces[2]), "c");
}

TEST(Printing, PreviewPagesRunBetweenHeaderAndFooter)
{
    TCodeMemo memo;
    memo.SetControlFont("DejaVu Sans Mono", 10);
    memo.SetDocumentName("prueba.html");
    std::string text;
    for (int i = 1; i <= 100; ++i)
        text += "line " + std::to_string(i) + (i < 100 ? "\r\n" : "");
    SetText(memo, text);
    const TRect area{0, 0, 600, 400};
    std::vector<int> tops;
    memo.OnDrawLine = [&](TCustomCodeMemo* sender, TLineDrawData* data) {
        tops.push_back(data->LineRect.Top);
        EXPECT_EQ(data->LineRect.Left, 10 * sender->CharWidth()); // after the printed line numbers
        return 0;
    };

    TPreviewPage page = PreviewPage(memo, area, 2);
    int lh = memo.LineHeight();
    ASSERT_EQ(lh, 16); // measured for the screen again afterwards; the page is a 96 dpi picture too
    int perPage = (area.Bottom - 4 * lh - (area.Top + 3 * lh)) / lh;
    EXPECT_TRUE(page.More);
    // Every page's text runs from three lines below the top to four lines above the bottom; only the
    // lines of the page asked for are drawn.
    ASSERT_EQ(tops.size(), static_cast<size_t>(perPage));
    EXPECT_EQ(tops.front(), area.Top + 3 * lh);
    EXPECT_LE(tops.back() + lh, area.Bottom - 4 * lh);
    const QImage& image = page.Image;
    EXPECT_EQ(image.pixel(area.Right - 1, area.Bottom - 1), qRgb(255, 255, 255));
    EXPECT_TRUE(RowHasInk(image, 0, 200, area.Top, lh));                           // the title
    EXPECT_TRUE(RowHasInk(image, 300, 600, area.Top, lh));                         // the date
    EXPECT_TRUE(RowHasInk(image, 0, 600, area.Top + 2 * lh, 1));                   // the line under them
    EXPECT_TRUE(RowHasInk(image, 250, 350, area.Bottom - 5 * lh / 2, lh));         // "- 2 -"
    EXPECT_TRUE(RowHasInk(image, 0, 600, area.Bottom - 3 * lh, 1));                // the line above it
    EXPECT_FALSE(RowHasInk(image, 0, 600, area.Top + 2 * lh + 1, lh - 1));
    EXPECT_FALSE(RowHasInk(image, 0, 600, area.Bottom - 4 * lh, lh));
    EXPECT_TRUE(RowHasInk(image, 0, 10 * memo.CharWidth(), area.Top + 3 * lh, lh)); // a line number

    // True before the last page, false on it and beyond it; beyond it the page stays white.
    int pages = (100 + perPage - 1) / perPage;
    memo.OnDrawLine = nullptr;
    EXPECT_TRUE(PreviewPage(memo, area, pages - 1).More);
    EXPECT_FALSE(PreviewPage(memo, area, pages).More);
    TPreviewPage beyond = PreviewPage(memo, area, pages + 1);
    EXPECT_FALSE(beyond.More);
    EXPECT_FALSE(RowHasInk(beyond.Image, 0, 600, 0, 400));
    // An empty text has no pages to follow.
    SetText(memo, "");
    EXPECT_FALSE(PreviewPage(memo, area, 1).More);
    // Afterwards the control measures the screen again.
    EXPECT_EQ(memo.LineHeight(), lh);
    EXPECT_FALSE(memo.Printing());
    EXPECT_EQ(memo.ActiveSettings().PrintFonts, 0);
}

namespace {
// `count` lines of random words and blanks, some with TABs and some longer than a printed line
// (fixed seed, so that a failure repeats).
std::string RandomLines(unsigned seed, int count)
{
    std::mt19937 random(seed);
    auto below = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string text;
    for (int line = 0; line < count; ++line) {
        const int words = below(4) == 0 ? 30 + below(40) : below(8);
        for (int w = 0; w < words; ++w) {
            text += std::string(static_cast<size_t>(1 + below(12)), static_cast<char>('a' + below(26)));
            text += below(6) == 0 ? '\t' : ' ';
        }
        if (line + 1 < count)
            text += "\r\n";
    }
    return text;
}

// Every page of the text, asked 1, 2, 3... until the text ends.
std::vector<QImage> PagesInTurn(TCustomCodeMemo& memo, const TRect& area)
{
    std::vector<QImage> pages;
    for (bool more = true; more && pages.size() < 500;) {
        TPreviewPage page = PreviewPage(memo, area, static_cast<int>(pages.size()) + 1);
        pages.push_back(page.Image);
        more = page.More;
    }
    return pages;
}
} // namespace

TEST(Printing, PagesAskedInTurnGoOnFromThePageBeforeAndMatchPagesLaidOutFromTheStart)
{
    TCodeMemo memo;
    memo.SetControlFont("DejaVu Sans Mono", 10);
    memo.SetDocumentName("prueba.html");
    memo.SetTabDefault(4);
    SetOption(memo, smoPrintWrap, true);
    SetOption(memo, smoPrintLineNos, true);
    // The date's seconds could tick between two pictures of one page.
    SetOption(memo, smoPrintDate, false);
    SetText(memo, RandomLines(7, 150));
    const TRect area{0, 0, 420, 300};
    const std::vector<QImage> inTurn = PagesInTurn(memo, area);
    ASSERT_GT(inTurn.size(), 10u);
    ASSERT_LT(inTurn.size(), 500u);
    // Asked from the last to the first, no page can go on from one laid out before: each is laid out
    // from the start of the text, and comes out the same, line numbers and wrapped pieces included.
    for (int page = static_cast<int>(inTurn.size()); page >= 1; --page)
        EXPECT_EQ(PreviewPage(memo, area, page).Image, inTurn[static_cast<size_t>(page - 1)]) << page;

    // An edit between two pages: the next page is laid out from the edited text, not from where the
    // old text's page ended.
    EXPECT_EQ(PreviewPage(memo, area, 3).Image, inTurn[2]);
    Select(memo, 0, 0);
    Insert(memo, "primera\r\n");
    const QImage afterEdit = PreviewPage(memo, area, 4).Image;
    const std::vector<QImage> edited = PagesInTurn(memo, area);
    EXPECT_NE(afterEdit, inTurn[3]);
    EXPECT_EQ(afterEdit, edited[3]);
    // Another page size in between: laid out anew as well, both ways.
    const TRect wider{0, 0, 600, 300};
    EXPECT_EQ(PreviewPage(memo, area, 1).Image, edited[0]);
    const QImage wide2 = PreviewPage(memo, wider, 2).Image;
    EXPECT_EQ(PreviewPage(memo, area, 2).Image, edited[1]);
    EXPECT_EQ(PreviewPage(memo, wider, 3).Image, PagesInTurn(memo, wider)[2]);
    EXPECT_EQ(PreviewPage(memo, wider, 2).Image, wide2);

    // Each page's frame is asked for once when the pages are asked in turn: the pages before are not
    // laid out again.
    int frames = 0;
    memo.OnPrintHeaderFooter = [&](TCustomCodeMemo*, QPainter*, TRect& rect, bool&) {
        ++frames;
        rect.Top += 20;
    };
    const size_t pages = PagesInTurn(memo, area).size();
    EXPECT_EQ(frames, static_cast<int>(pages));
}

TEST(Printing, PrintWrapNumbersOnlyTheFirstPieceOfALine)
{
    TCodeMemo memo;
    memo.SetControlFont("DejaVu Sans Mono", 10);
    for (TCodeMemoOption option : {smoPrintFilename, smoPrintDate, smoPrintPageNos})
        SetOption(memo, option, false);
    SetText(memo, "short\r\n" + LineOfWords() + "\r\nlast");
    int cw = 8;
    // Ten columns of line numbers and 79 of text: 78 printable characters a line.
    const TRect area{0, 0, 89 * cw + cw / 2, 300};
    std::vector<std::string> texts;
    std::vector<int> offsets;
    int previewWidth = 0;
    memo.OnDrawLine = [&](TCustomCodeMemo* sender, TLineDrawData* data) {
        texts.emplace_back(data->Text);
        offsets.push_back(data->LineOffset);
        previewWidth = sender->CharWidth();
        return 0;
    };
    TPreviewPage page = PreviewPage(memo, area, 1);
    ASSERT_EQ(previewWidth, cw);
    EXPECT_FALSE(page.More);
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[1], std::string(75, 'a') + std::string(6, ' '));
    EXPECT_EQ(texts[4], "last");
    EXPECT_EQ(offsets, (std::vector<int>{0, 6, 6 + 81, 6 + 156, 6 + 201}));
    int lh = memo.LineHeight();
    std::vector<bool> numbered;
    for (int row = 0; row < 5; ++row)
        numbered.push_back(RowHasInk(page.Image, 0, 8 * cw, row * lh, lh));
    EXPECT_EQ(numbered, (std::vector<bool>{true, true, false, false, true}));
}

TEST(Printing, HeaderHandlerReplacesTheDefaultFrame)
{
    TCodeMemo memo;
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "line\r\n";
    SetText(memo, text);
    int calls = 0;
    std::vector<int> tops;
    // Each call marks its page with a square of its own place; a preview page shows only its own.
    memo.OnPrintHeaderFooter = [&](TCustomCodeMemo*, QPainter* canvas, TRect& rect, bool& transparent) {
        canvas->fillRect(20 * calls++, 0, 10, 10, Qt::blue);
        rect.Top = 100;
        transparent = true;
    };
    memo.OnDrawLine = [&](TCustomCodeMemo*, TLineDrawData* data) {
        tops.push_back(data->LineRect.Top);
        return 0;
    };
    const TRect area{0, 0, 400, 300};
    TPreviewPage page = PreviewPage(memo, area, 2);
    int lh = memo.LineHeight();
    int perPage = (area.Bottom - 100) / lh;
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(page.Image.pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(page.Image.pixel(25, 5), qRgb(0, 0, 255));
    ASSERT_EQ(tops.size(), static_cast<size_t>(perPage));
    EXPECT_EQ(tops.front(), 100);
    EXPECT_EQ(tops[1], 100 + lh);
    EXPECT_LE(tops.back() + lh, area.Bottom); // no footer takes room
}

namespace {
// The text of a PDF file, or nothing when pdftotext is not installed.
std::optional<std::string> PdfText(const QString& file)
{
    return PdfToText({QStringLiteral("-layout"), file, QStringLiteral("-")});
}

// True when a line of `text` starts with `start` (after blanks) and holds `part`.
bool HasLine(const std::string& text, const std::string& start, const std::string& part)
{
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        std::string line = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
        size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos && line.compare(first, start.size(), start) == 0 &&
            line.find(part) != std::string::npos)
            return true;
        if (end == std::string::npos)
            break;
        from = end + 1;
    }
    return false;
}

// Tests that print to a PDF file of their own.
class PrintingToPdf : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Folder.isValid());
        File = Folder.filePath(QStringLiteral("impreso.pdf"));
        PrintInto(File);
    }
    QTemporaryDir Folder;
    QString File;
};
} // namespace

TEST_F(PrintingToPdf, SelectionPrintsItsLines)
{
    TCodeMemo memo;
    memo.SetDocumentName("prueba.html");
    SetText(memo, "uno\r\n" + LineOfWords() + "\r\ntres\r\ncuatro\r\ncinco");
    // From inside the long line to the very start of "cuatro": that line is not printed, and every
    // piece of the long one and the line after it are.
    std::vector<int> offsets;
    memo.OnDrawLine = [&](TCustomCodeMemo*, TLineDrawData* data) {
        offsets.push_back(data->LineOffset);
        return 0;
    };
    Select(memo, 10, 4 + 201 + 5);
    memo.PrintSelection();
    ASSERT_GE(offsets.size(), 4u); // the long line takes more than one printed line
    EXPECT_EQ(offsets.front(), 4);
    EXPECT_EQ(offsets.back(), 4 + 201);
    ASSERT_TRUE(QFileInfo::exists(File));
    EXPECT_FALSE(memo.Printing());

    std::optional<std::string> text = PdfText(File);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(HasLine(*text, "2:", "aaaaa")) << *text;
    EXPECT_NE(text->find("word word"), std::string::npos);
    EXPECT_TRUE(HasLine(*text, "3:", "tres"));
    EXPECT_NE(text->find("- 1 -"), std::string::npos);
    EXPECT_NE(text->find("prueba.html"), std::string::npos);
    EXPECT_EQ(text->find("uno"), std::string::npos);
    EXPECT_EQ(text->find("cuatro"), std::string::npos);
}

TEST_F(PrintingToPdf, ASelectionStartingInsideALineNumbersTheLinesAfterIt)
{
    TCodeMemo memo;
    SetOption(memo, smoPrintWrap, false);
    // The long line is kept in three records; the selection starts in its last one.
    SetText(memo, "first\r\n" + std::string(5000, 'x') + "\r\nthird\r\nfourth");
    int third = 6 + 5001;
    Select(memo, third - 10, third + 2);
    memo.PrintSelection();
    std::optional<std::string> text = PdfText(File);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(HasLine(*text, "3:", "third")) << *text;
    EXPECT_FALSE(HasLine(*text, "2:", "")); // the line the selection starts inside is not numbered again
    EXPECT_EQ(text->find("fourth"), std::string::npos);
}

TEST_F(PrintingToPdf, TheHeaderDateIsSpanishWhateverTheLocale)
{
    EXPECT_EQ(PageHeaderDate(CalendarTime(2026, 12, 8, 2, 6, 5, 9)), "martes, 8 de diciembre de 2026 - 06:05:09");
    EXPECT_EQ(PageHeaderDate(CalendarTime(2026, 1, 21, 3, 23, 59, 0)), "mi\xE9rcoles, 21 de enero de 2026 - 23:59:00");

    // A process in the C locale, as under LANG=C: the printed header still names the day and month
    // in Spanish (it used to say "8 Dec 2026").
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    TCodeMemo memo;
    memo.SetDocumentName("prueba.html");
    SetText(memo, "uno");
    memo.Print();
    QLocale::setDefault(saved);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::optional<std::string> text = PdfText(File);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_NE(text->find(FromWin1252(DateTimeText(1, local)).toStdString() + " - "), std::string::npos) << *text;
    for (const char* english : {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec",
                                "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"})
        EXPECT_EQ(text->find(english), std::string::npos) << english << "\n" << *text;
}

TEST_F(PrintingToPdf, TheMarksOfShownCodesStayOnTheScreen)
{
    TCodeMemo memo;
    memo.SetControlFont("DejaVu Sans Mono", 10);
    SetOption(memo, smoPrintDate, false); // the clock would tell the two previews apart
    SetText(memo, "<!DOCTYPE html>\r\n<p>uno dos\tfin</p>\r\n\r\nZeta");
    const TRect area{0, 0, 600, 400};
    const QImage plain = PreviewPage(memo, area, 1).Image;
    SetOption(memo, smoShowAllChars, true);
    EXPECT_EQ(PreviewPage(memo, area, 1).Image, plain) << "the preview shows a mark of the codes";
    memo.Print();
    EXPECT_TRUE(memo.ActiveSettings().HasOption(smoShowAllChars)); // the screen keeps them
    std::optional<std::string> text = PdfText(File);
    if (!text)
        GTEST_SKIP() << "pdftotext is not installed";
    EXPECT_TRUE(HasLine(*text, "1:", "<!DOCTYPE html>")) << *text;
    EXPECT_TRUE(HasLine(*text, "2:", "<p>uno dos")) << *text;
    EXPECT_TRUE(HasLine(*text, "4:", "Zeta")) << *text;
    EXPECT_EQ(text->find("\xC2\xB6"), std::string::npos) << *text; // no pilcrow
}

namespace {
// The lines of a PDF page as pdftotext reads them: its words by height, left to right, each with where
// it starts and ends, to a tenth of a point.
std::vector<std::vector<std::tuple<std::string, long, long>>> PdfLines(const TPdfPage& page)
{
    std::map<long, std::vector<std::tuple<std::string, long, long>>> byHeight;
    for (const TPdfWord& word : page.Words)
        byHeight[std::lround(word.YMin)].emplace_back(word.Text, std::lround(word.XMin * 10),
                                                      std::lround(word.XMax * 10));
    std::vector<std::vector<std::tuple<std::string, long, long>>> lines;
    for (auto& [height, words] : byHeight) {
        std::sort(words.begin(), words.end(),
                  [](const auto& a, const auto& b) { return std::get<1>(a) < std::get<1>(b); });
        lines.push_back(words);
    }
    return lines;
}
} // namespace

TEST_F(PrintingToPdf, ThePreviewsPrintoutHoldsTheTextAndLinesOfThePrintHeldCharactersIncluded)
{
    TCodeMemo memo;
    memo.SetDocumentName("prueba.html");
    SetOption(memo, smoPrintDate, false); // the clock would tell the two prints apart
    SetOption(memo, smoPrintWrap, true);
    DefineSampleStyles(memo);
    // Held characters (shown as the references "&#955;" and "&#8594;") inside links, in running text
    // and at the cut of long lines, over three pages.
    std::string text;
    for (int i = 1; i <= 150; ++i) {
        text += "<a href=\"http://ejemplo.es/\x1F#955;/" + std::to_string(i) + "\">x\x1F#955;y</a> precio " +
                std::to_string(i) + " \x1F#8594; fin";
        if (i % 9 == 0)
            text.append(1, ' ').append(Repeated("palabra\x1F#955; ", 12)).append("<a href=\"\x1F#8594;\">z</a>");
        text += "\r\n";
    }
    SetStyledText(memo, text);

    memo.Print();
    TPreviewPrinter preview;
    SetUpPreview(preview, memo);
    BuildPages(preview, memo);
    ASSERT_GE(preview.PageCount(), 3);
    const QString fromPreview = Folder.filePath(QStringLiteral("desde-vista.pdf"));
    PrintInto(fromPreview);
    {
        TProgramPrinterAnswered answered;
        ASSERT_TRUE(preview.Print());
    }
    const std::optional<std::vector<TPdfPage>> printed = PdfPages(File);
    const std::optional<std::vector<TPdfPage>> previewed = PdfPages(fromPreview);
    if (!printed || !previewed)
        GTEST_SKIP() << "pdftotext is not installed";
    ASSERT_EQ(printed->size(), static_cast<size_t>(preview.PageCount()));
    ASSERT_EQ(previewed->size(), printed->size());
    for (size_t p = 0; p < printed->size(); ++p) {
        const auto lines = PdfLines((*printed)[p]);
        EXPECT_GT(lines.size(), 20u) << p;
        // The same words on the same lines, each where the print puts it.
        EXPECT_EQ(PdfLines((*previewed)[p]), lines) << p;
    }
    // A held character reads as its reference, whole, in both.
    for (const QString& file : {File, fromPreview}) {
        const std::optional<std::string> read = PdfText(file);
        ASSERT_TRUE(read);
        EXPECT_NE(read->find("<a href=\"http://ejemplo.es/&#955;/17\">x&#955;y</a> precio 17 &#8594; fin"),
                  std::string::npos)
            << *read;
        EXPECT_EQ(read->find("&#955 ;"), std::string::npos) << *read;
    }
}

TEST_F(PrintingToPdf, PrintWrapPrintsEveryHeldCharacterWholeOnOneLine)
{
    std::mt19937 rng(945);
    TCodeMemo memo;
    SetOption(memo, smoPrintDate, false);
    SetOption(memo, smoPrintWrap, true);
    // Held characters beginning at every column up to past the printed width, after words and
    // inside one long word; each line takes two printed lines or more.
    std::string text;
    size_t held = 0;
    for (int column = 0; column <= 140; ++column) {
        const std::string words = lineWithHeldCharacterAt(rng, column, 300);
        const std::string word = std::string(static_cast<size_t>(column), 'x') + HeldCharacter(U'\u2192') +
                                 std::string(200, 'y');
        held += heldCharacterSpans(words).size() + 1;
        text += words + "\r\n" + word + "\r\n";
    }
    SetText(memo, text);
    memo.Print();
    const std::optional<std::string> printed = PdfText(File);
    if (!printed)
        GTEST_SKIP() << "pdftotext is not installed";
    // Every "&" the paper shows begins a whole reference on its own line.
    const std::regex reference("&#[0-9]+;");
    size_t whole = 0;
    std::istringstream lines(*printed);
    for (std::string line; std::getline(lines, line);) {
        const size_t found = static_cast<size_t>(std::distance(std::sregex_iterator(line.begin(), line.end(), reference),
                                                               std::sregex_iterator()));
        EXPECT_EQ(found, static_cast<size_t>(std::count(line.begin(), line.end(), '&'))) << "a reference parted: " << line;
        whole += found;
    }
    EXPECT_EQ(whole, held);
}

TEST(Printing, APrinterThatCannotStartLeavesTheScreenAsItWas)
{
    TCodeMemo memo;
    memo.resize(300, 100);
    SetText(memo, "text");
    int charWidth = memo.CharWidth();
    PrintInto(QStringLiteral("/nonexistent-folder/out.pdf"));
    EXPECT_THROW(memo.Print(), ECodeMemo);
    EXPECT_FALSE(memo.Printing());
    EXPECT_EQ(memo.ActiveSettings().PrintFonts, 0);
    EXPECT_EQ(memo.CharWidth(), charWidth);
    EXPECT_EQ(memo.FirstRecord()->Flags & lfChanged, lfChanged);
}

TEST(Printing, AnEditorsFirstPageSetupIsThePrintersOwnPaperWhateverOthersPutOnIt)
{
    TCodeMemo first;
    const TPageSetup initial = first.PageSetup();
    TPageSetup other = initial;
    other.Paper = QPageSize(initial.Paper.id() == QPageSize::A3 ? QPageSize::A5 : QPageSize::A3);
    other.Landscape = !initial.Landscape;
    first.SetPageSetup(other);
    EXPECT_EQ(first.PageSetup().Paper.id(), other.Paper.id());

    // The second editor reads its page setup after the first put its own on the shared printer.
    TCodeMemo second;
    EXPECT_EQ(second.PageSetup().Paper.id(), initial.Paper.id());
    EXPECT_EQ(second.PageSetup().Landscape, initial.Landscape);
    EXPECT_EQ(second.PrintRect(), DefaultPrintRect());
    EXPECT_EQ(first.PageSetup().Paper.id(), other.Paper.id());
}

TEST(Printing, WithoutAPrinterThePageIsTheFallback)
{
    TCodeMemo memo;
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed";
    EXPECT_EQ(memo.PrintRect(), (TRect{0, 0, 2550, 3300}));
    EXPECT_EQ(DefaultPrintRect(), memo.PrintRect());
}

TEST(Printing, AHeaderTitleTooLongLosesWholeFoldersFromTheFrontAndKeepsItsFileName)
{
    const QFontMetrics metrics(QFont(QStringLiteral("DejaVu Sans Mono"), 10));
    const auto width = [&](const QString& text) { return metrics.horizontalAdvance(text); };
    const QString ellipsis(QChar(0x2026));
    const QString name = QStringLiteral("/home/ana/sitios/tienda/p\xE1ginas/index.html");
    const QString file = QStringLiteral("index.html");
    EXPECT_EQ(HeaderTitle(QStringLiteral("Nuevo1"), metrics, 1000), QStringLiteral("Nuevo1"));
    int folderCuts = 0;
    for (int room = 0; room <= width(name) + 1; ++room) {
        const QString shown = HeaderTitle(name, metrics, room);
        EXPECT_LE(width(shown), room) << room;
        if (room >= width(name)) {
            EXPECT_EQ(shown, name);
        } else if (room >= width(ellipsis + QLatin1Char('/') + file)) {
            // Cut at a folder, and at the first one that leaves it short enough.
            ASSERT_TRUE(shown.startsWith(ellipsis + QLatin1Char('/'))) << shown.toStdString();
            const QString kept = shown.mid(1);
            EXPECT_TRUE(name.endsWith(kept)) << shown.toStdString();
            const qsizetype longer = name.lastIndexOf(QLatin1Char('/'), name.size() - kept.size() - 1);
            if (longer > 0) {
                EXPECT_GT(width(ellipsis + name.mid(longer)), room) << shown.toStdString();
            }
            folderCuts += kept != QLatin1Char('/') + file;
        } else {
            // The file's name does not fit whole: its start, as much as fits.
            EXPECT_TRUE(file.startsWith(shown.chopped(shown.endsWith(ellipsis) ? 1 : 0))) << shown.toStdString();
        }
    }
    EXPECT_GT(folderCuts, 0);
}
