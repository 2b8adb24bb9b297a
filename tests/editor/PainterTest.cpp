// The line painter on screen: runs in their styles, selection, gutter, margins, marks, display lines and the character grid.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QPainter>

#include "PainterTestSupport.h"
#include "editor/Glyphs.h"

namespace {

const char kSample[] =
    "<!-- Kestrima: muestra -->\r\n"
    "<HTML>\r\n"
    "<BODY BGCOLOR=\"#FFFFFF\" onLoad='inicio()'>\r\n"
    "\t<P ALIGN=center>T&iacute;tulo &copy; 2001</P>\r\n"
    "\t<A HREF=\"uno.html\">Enlace</A> texto normal\r\n"
    "</BODY>\r\n"
    "</HTML>";

// A control of a fixed size that shows its selection without the focus.
void ShowMemo(TCodeMemo& memo, int width, int height)
{
    memo.HideSelection = false;
    memo.resize(width, height);
    memo.show();
    QApplication::processEvents();
}

bool SampleFontsInstalled()
{
    return QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans Mono")) && ScreenPixelsPerInch() == 96;
}

// Pixels of `a` with no pixel of `b` near them (one pixel around) whose channels are all within
// `tolerance`. Font rasterisers may smooth or place a glyph edge a pixel differently; a glyph, a colour
// or a line out of place still shows.
int UnmatchedPixels(const QImage& a, const QImage& b, int tolerance)
{
    auto close = [tolerance](QRgb p, QRgb q) {
        return std::abs(qRed(p) - qRed(q)) <= tolerance && std::abs(qGreen(p) - qGreen(q)) <= tolerance &&
               std::abs(qBlue(p) - qBlue(q)) <= tolerance;
    };
    int unmatched = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            bool matched = false;
            for (int dy = -1; dy <= 1 && !matched; ++dy)
                for (int dx = -1; dx <= 1 && !matched; ++dx)
                    matched = b.valid(x + dx, y + dy) && close(a.pixel(x, y), b.pixel(x + dx, y + dy));
            unmatched += matched ? 0 : 1;
        }
    return unmatched;
}

} // namespace

TEST(Painter, ColouredSampleMatchesItsGoldenPicture)
{
    if (!SampleFontsInstalled())
        GTEST_SKIP() << "the picture was taken with DejaVu Sans Mono at 96 dots per inch";
    TCodeMemo memo;
    memo.SetControlFont("DejaVu Sans Mono", 10);
    TFont gutterFont;
    gutterFont.SetName("DejaVu Sans Mono");
    gutterFont.SetSize(7);
    gutterFont.SetColor(clNavy);
    memo.SetGutterFont(gutterFont);
    SetOption(memo, smoLineNumbers, true);
    memo.SetRightMargin(44);
    DefineSampleStyles(memo);
    ShowMemo(memo, 480, 150);
    SetStyledText(memo, kSample);
    memo.FirstRecord()->Next->MarkBits = 1u << 3; // bookmark 3 on the second line
    memo.FirstRecord()->Next->Next->GlyphBits = 1u << 10;
    Select(memo, 60, 75);
    memo.RequestFullRepaint();
    memo.Paint();
    QImage shot = memo.BackBuffer().convertToFormat(QImage::Format_RGB32);

    QString golden = QDir(QStringLiteral(KESTRIMA_TEST_DATA)).filePath(QStringLiteral("painter-sample.png"));
    if (std::getenv("KESTRIMA_UPDATE_GOLDEN"))
        shot.save(golden, "PNG");
    QImage expected(golden);
    ASSERT_FALSE(expected.isNull()) << "missing " << golden.toStdString();
    expected = expected.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), expected.size());
    // Both ways: ink that should not be there, and ink that is missing.
    int differing = UnmatchedPixels(shot, expected, 64) + UnmatchedPixels(expected, shot, 64);
    if (differing > shot.width() * shot.height() / 1000) {
        shot.save(QDir(QDir::tempPath()).filePath(QStringLiteral("painter-sample-actual.png")), "PNG");
        FAIL() << differing << " pixels differ from the golden picture";
    }
}

TEST(Painter, ExpandLineTurnsTabsIntoBlanksAndMapsBothWays)
{
    TCodeMemo memo;
    SetText(memo, "ab\tc\r\nabc\td");
    const TLineRecord* first = memo.FirstRecord();
    std::string styles = {1, 2, 3, 4, 0};
    memo.Perform(SMM_SETSTYLES, 0, reinterpret_cast<LPARAM>((styles + std::string{5, 5, 5, 5, 5}).data()));
    Select(memo, 3, 4); // the "c"
    const TDisplayLine& line = memo.ExpandLine(*first, 0);
    EXPECT_EQ(std::string(line.Chars, static_cast<size_t>(line.Length)), "ab  c\r");
    EXPECT_EQ(line.Chars[line.Length], '\0');
    ASSERT_NE(line.Styles, nullptr);
    EXPECT_EQ(std::string(line.Styles, line.Styles + line.Length), std::string({1, 2, 3, 3, 4, 0}));
    EXPECT_EQ(line.ColumnOfIndex(2), 2);
    EXPECT_EQ(line.ColumnOfIndex(3), 4);
    EXPECT_EQ(line.ColumnOfIndex(7), 8); // beyond the record, the blanks added still count
    EXPECT_EQ(line.IndexOfColumn(3), 2);
    EXPECT_EQ(line.IndexOfColumn(4), 3);
    EXPECT_TRUE(line.FromTab(2));
    EXPECT_TRUE(line.FromTab(3));
    EXPECT_FALSE(line.FromTab(4));
    // The selection moves right by the blanks added before it.
    EXPECT_EQ(line.SelStart, 4);
    EXPECT_EQ(line.SelEnd, 5);

    // A TAB at column 3 is one blank; a line without TABs is used as it is stored.
    const TDisplayLine& second = memo.ExpandLine(*first->Next, 6);
    EXPECT_EQ(std::string(second.Chars, static_cast<size_t>(second.Length)), "abc d");
    const TDisplayLine& plain = memo.ExpandLine(*first, 0);
    (void)plain;
    SetText(memo, "plain");
    const TDisplayLine& stored = memo.ExpandLine(*memo.FirstRecord(), 0);
    EXPECT_EQ(stored.Chars, memo.FirstRecord()->Text.get());
    EXPECT_EQ(stored.Styles, nullptr);
    EXPECT_EQ(stored.IndexOfColumn(3), 3);
}

TEST(Painter, TabColumnsFollowStopsThenTheDefault)
{
    TCodeMemo memo;
    memo.SetTabDefault(4);
    EXPECT_EQ(memo.NextTabColumn(0), 4);
    EXPECT_EQ(memo.NextTabColumn(3), 4);
    EXPECT_EQ(memo.NextTabColumn(4), 8);
    memo.SetTabColumns("11 21"); // columns 10 and 20, counted from 0
    EXPECT_EQ(memo.NextTabColumn(3), 10);
    EXPECT_EQ(memo.NextTabColumn(12), 20);
    EXPECT_EQ(memo.NextTabColumn(25), 28);

    // Tab settings from a file cannot make one TAB absurdly wide or overflow the column count.
    memo.SetTabColumns("");
    memo.ActiveSettings().TabDefault = 0x7FFFFFFF;
    EXPECT_EQ(memo.NextTabColumn(5), 5 + 1024);
    EXPECT_EQ(memo.NextTabColumn(0x7FFFFF00), 0x7FFFFFFF);
}

TEST(Painter, ColumnsIndexesAndPixelsAgreeThroughTabs)
{
    TCodeMemo memo;
    memo.SetControlFont("DejaVu Sans Mono", 10);
    ShowMemo(memo, 400, 100);
    // The second line is wider than the window, so that the view has columns to scroll to.
    SetText(memo, "a\tbc\r\n" + std::string(100, 'x'));
    const TLineRecord* line = memo.FirstRecord();
    int left = memo.TextLeft();
    int cw = memo.CharWidth();
    EXPECT_EQ(memo.IndexToColumn(2, line), 4);
    EXPECT_EQ(memo.ColumnToIndex(4, line), 2);
    EXPECT_EQ(memo.ColumnToIndex(2, line), 2); // inside the TAB's blanks: after the TAB
    EXPECT_EQ(memo.PixelOfColumn(4, line), left + 4 * cw);
    EXPECT_EQ(memo.PixelOfColumn(99, line), left + 7 * cw); // past the line: after its last column
    EXPECT_EQ(memo.PixelOfColumn(0, nullptr), left);
    // The nearer boundary wins.
    EXPECT_EQ(memo.ColumnAtPixel(left + 4 * cw + cw / 2 - 1, line), 4);
    EXPECT_EQ(memo.ColumnAtPixel(left + 4 * cw + cw / 2, line), 5);
    EXPECT_EQ(memo.ColumnAtPixel(left - 20, line), 0);
    EXPECT_EQ(memo.ColumnAtPixel(left + 50 * cw, line), 7);
    EXPECT_EQ(memo.ColumnAtPixel(left, nullptr), 0);
    memo.Perform(SMM_LEFTCOLUMN, SMM_SET, 2);
    EXPECT_EQ(memo.PixelOfColumn(1, line), -1);
    EXPECT_EQ(memo.PixelOfColumn(4, line), left + 2 * cw);
    EXPECT_EQ(memo.ColumnAtPixel(left + 2 * cw, line), 4);
    EXPECT_EQ(memo.FixedRunWidth(301), 301 * cw);
}

TEST(Painter, LogicalPositionsJoinTheRecordsOfALongLine)
{
    TCodeMemo memo;
    std::string longLine(5000, 'x');
    SetText(memo, "first\r\n" + longLine + "\r\nlast");
    ASSERT_EQ(memo.RecordCount(), 5); // the long line is stored in three records
    int column = 0, line = 0;
    memo.LogicalPosition(4, 10, column, line);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(column, 2 * kRecordCut + 10);
    memo.LogicalPosition(5, 3, column, line);
    EXPECT_EQ(line, 3);
    EXPECT_EQ(column, 3);
    memo.LogicalPosition(1, 1, column, line);
    EXPECT_EQ(line, 1);
    EXPECT_EQ(column, 1);
}

TEST(Painter, FixedPitchCharactersOfEveryStyleSitOnOneGrid)
{
    TCodeMemo memo;
    memo.SetControlFont("DejaVu Sans Mono", 10);
    DefineSampleStyles(memo);
    ShowMemo(memo, 300, 120);
    // One line per style: plain, bold, italic, bold and underlined.
    SetText(memo, "||||||||||\r\n||||||||||\r\n||||||||||\r\n||||||||||");
    std::string bytes;
    for (uint8_t token : {tkText, tkTag, tkString, tkEntity})
        bytes += std::string(10, static_cast<char>(token)) + (token == tkEntity ? "" : std::string(1, token));
    memo.Perform(SMM_SETSTYLES, 0, reinterpret_cast<LPARAM>(bytes.data()));
    memo.Paint();
    ASSERT_EQ(memo.FixedRunWidth(10), 10 * memo.CharWidth());
    const QImage& image = memo.BackBuffer();
    int cw = memo.CharWidth(), lh = memo.LineHeight(), left = memo.TextLeft();
    // The leftmost ink of every cell lies at the same place in the cell, in every style.
    auto inkStart = [&](int row, int cell) {
        for (int x = left + cell * cw; x < left + (cell + 1) * cw; ++x)
            for (int y = row * lh + 2; y < row * lh + lh - 4; ++y)
                if (InkIn(image, QRect(x, y, 1, 1), qRgb(255, 255, 255)) > 0)
                    return x - (left + cell * cw);
        return -1;
    };
    for (int row = 0; row < 4; ++row) {
        int first = inkStart(row, 0);
        ASSERT_GE(first, 0) << "row " << row;
        for (int cell = 1; cell < 10; ++cell)
            EXPECT_EQ(inkStart(row, cell), first) << "row " << row << " cell " << cell;
    }
    // Nothing is drawn beyond the ten cells.
    EXPECT_EQ(InkIn(image, QRect(left + 10 * cw + 2, 0, 40, 4 * lh), qRgb(255, 255, 255)), 0);
}

TEST(Painter, SelectionIsPaintedExactlyWhereItIs)
{
    TCodeMemo memo;
    memo.SetControlFont("DejaVu Sans Mono", 10);
    ShowMemo(memo, 400, 100);
    ShowText(memo, "hello world\r\nsecond line");
    int cw = memo.CharWidth(), lh = memo.LineHeight(), left = memo.TextLeft();
    QRgb selected = RgbOf(memo.SelTextBack()), white = qRgb(255, 255, 255);
    // The bottom pixel row of a line is background only.
    auto back = [&](int column, int row) { return memo.BackBuffer().pixel(left + column * cw + cw / 2, row * lh + lh - 1); };

    Select(memo, 2, 8);
    for (int column = 0; column < 30; ++column)
        EXPECT_EQ(back(column, 0), column >= 2 && column < 8 ? selected : white) << "column " << column;
    EXPECT_EQ(back(0, 1), white);

    // From the middle of one line to the start of the next: the rest of the first row is selected.
    Select(memo, 6, 12);
    EXPECT_EQ(back(5, 0), white);
    for (int column = 6; column < 30; ++column)
        EXPECT_EQ(back(column, 0), selected) << "column " << column;
    for (int column = 0; column < 30; ++column)
        EXPECT_EQ(back(column, 1), white) << "column " << column;

    // Selected text is drawn in the selection's text colour; with colouring off the rest is black on white.
    memo.SetSelTextColor(clRed);
    memo.SetSelTextBack(clYellow);
    SetOption(memo, smoSyntaxHighlight, false);
    Select(memo, 0, 5);
    EXPECT_EQ(back(1, 0), qRgb(255, 255, 0));
    EXPECT_GT(InkIn(memo.BackBuffer(), QRect(left, 0, 5 * cw, lh), qRgb(255, 255, 0)), 0);
    int red = 0;
    for (int y = 0; y < lh; ++y)
        for (int x = left; x < left + 5 * cw; ++x)
            red += memo.BackBuffer().pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
    EXPECT_GT(red, 0);

    // Without the focus and with HideSelection on, nothing is shown.
    memo.clearFocus();
    QApplication::processEvents();
    memo.HideSelection = true;
    memo.RequestFullRepaint();
    memo.Paint();
    EXPECT_EQ(back(1, 0), white);
}

TEST(Painter, GutterMarginAndMarginLines)
{
    TCodeMemo memo;
    memo.SetControlFont("DejaVu Sans Mono", 10);
    ShowMemo(memo, 900, 120);
    ShowText(memo, "one\r\n" + std::string(120, 't'));
    memo.SetMarginColor(clYellow);
    const QImage& image = memo.BackBuffer();
    int cw = memo.CharWidth(), lh = memo.LineHeight(), gutter = memo.Gutter(), left = memo.TextLeft();
    ASSERT_GT(memo.ColumnsPerWindow(), 80);
    QRgb silver = qRgb(192, 192, 192), face = RgbOf(static_cast<TColor>(clBtnFace));
    for (int y : {0, lh + 3, 4 * lh + 1}) { // rows with text and a row below the text
        EXPECT_EQ(image.pixel(left + 80 * cw, y), silver) << y;
        EXPECT_EQ(image.pixel(left + 80 * cw - 1, y), qRgb(255, 255, 255)) << y;
        EXPECT_EQ(image.pixel(left + 80 * cw + 1, y), qRgb(255, 255, 255)) << y;
        EXPECT_EQ(image.pixel(gutter - 2, y), qRgb(255, 255, 255)) << y;
        EXPECT_EQ(image.pixel(gutter - 3, y), face) << y;
        EXPECT_EQ(image.pixel(0, y), face) << y;
        EXPECT_EQ(image.pixel(gutter, y), qRgb(255, 255, 0)) << y;
        EXPECT_EQ(image.pixel(left - 1, y), qRgb(255, 255, 0)) << y;
    }
    // The margin line follows the left column and goes when switched off.
    memo.Perform(SMM_LEFTCOLUMN, SMM_SET, 10);
    EXPECT_EQ(image.pixel(left + 70 * cw, 2), silver);
    SetOption(memo, smoShowRMargin, false);
    EXPECT_EQ(image.pixel(left + 70 * cw, 2), qRgb(255, 255, 255));
    // The dotted wrap column shows with word wrap and a wrap column.
    memo.Perform(SMM_LEFTCOLUMN, SMM_SET, 0);
    memo.SetWrapAtColumn(50);
    memo.SetWordWrap(true);
    int dots = 0;
    for (int y = 0; y < lh; ++y)
        dots += image.pixel(left + 50 * cw, y) == silver ? 1 : 0;
    EXPECT_GT(dots, 0);
    EXPECT_LT(dots, lh);
}

TEST(Painter, GutterGlyphsAndLineNumbers)
{
    TCodeMemo memo;
    ShowMemo(memo, 300, 160);
    SetOption(memo, smoLineNumbers, true);
    ShowText(memo, "one\r\ntwo\r\nthree\r\nfour\r\n" + std::string(3000, 'x'));
    int lh = memo.LineHeight();
    ASSERT_EQ(memo.RecordCount(), 6);
    TLineRecord* records[6];
    records[0] = memo.FirstRecord();
    for (int i = 1; i < 6; ++i)
        records[i] = records[i - 1]->Next;
    records[1]->MarkBits = 1u << 3;                 // bookmark 3
    records[2]->GlyphBits = (1u << 15) | (1u << 10); // bit 15 names no glyph of the strip
    records[3]->GlyphBits = 1u << 14;
    for (TLineRecord* r : records)
        r->Flags |= lfChanged;
    memo.Paint();
    const QImage& image = memo.BackBuffer();
    QRgb face = RgbOf(static_cast<TColor>(clBtnFace));
    int glyphTop = (lh - kGutterGlyphHeight) / 2;

    // Row 1 shows glyph 3 at x 1 instead of its number.
    QImage three = GutterGlyph(3);
    QRgb key = three.pixel(0, kGutterGlyphHeight - 1);
    int same = 0, opaque = 0;
    for (int y = 0; y < kGutterGlyphHeight && glyphTop + y < lh; ++y)
        for (int x = 0; x < kGutterGlyphWidth; ++x) {
            QRgb p = three.pixel(x, y);
            QRgb shown = image.pixel(1 + x, lh + glyphTop + y);
            if (p == key) {
                EXPECT_EQ(shown, face);
            } else {
                ++opaque;
                same += shown == p ? 1 : 0;
            }
        }
    EXPECT_GT(opaque, 100);
    EXPECT_EQ(same, opaque);
    // Row 2 shows the red disc at x 17; the bit beyond the strip is ignored.
    EXPECT_EQ(image.pixel(17 + 7, 2 * lh + glyphTop + 7), qRgb(255, 0, 0));
    // Rows 0 and 3 show their numbers (bit 14 alone names nothing); rows 4 and 5 hold one line cut in
    // two records: the first is numbered, the second, a continuation, shows the wrapped glyph.
    EXPECT_GT(InkIn(image, QRect(0, 0, 16, lh), face), 0);
    EXPECT_GT(InkIn(image, QRect(0, 3 * lh, 16, lh), face), 0);
    EXPECT_EQ(InkIn(image, QRect(16, 3 * lh, 14, lh), face), 0);
    EXPECT_GT(InkIn(image, QRect(0, 4 * lh, 16, lh), face), 0);
    ASSERT_EQ(records[5]->MarkBits, mbContinuation);
    QImage wrapped = GlyphResource("SEM_WRAPPED");
    EXPECT_EQ(image.pixel(1 + 12, 5 * lh + glyphTop + 5), wrapped.pixel(12, 5));
    SetOption(memo, smoShowWrapGlyph, false);
    EXPECT_EQ(InkIn(image, QRect(0, 5 * lh, memo.Gutter() - 3, lh), face), 0);
}

TEST(Painter, OnlyFlaggedRecordsAreRedrawn)
{
    TCodeMemo memo;
    ShowMemo(memo, 300, 100);
    ShowText(memo, "aaaa\r\nbbbb");
    QImage before = memo.BackBuffer();
    // A change the painter is not told about stays off the screen until the record is flagged.
    TLineRecord* second = memo.FirstRecord()->Next;
    second->Text[0] = 'W';
    memo.Paint();
    EXPECT_EQ(memo.BackBuffer(), before);
    second->Flags |= lfChanged;
    memo.Paint();
    EXPECT_NE(memo.BackBuffer(), before);
    EXPECT_EQ(second->Flags & (lfStylesChanged | lfChanged | lfRestart), 0u);
}

namespace {
class TMarkedMemo : public TCodeMemo {
public:
    std::vector<TMarkSpan> Marks;
    void MarksInRange(int start, int end, std::vector<TMarkSpan>& marks) override
    {
        for (const TMarkSpan& mark : Marks)
            if (mark.Start < end && mark.End >= start)
                marks.push_back(mark);
    }
};
} // namespace

TEST(Painter, MarksAndLineHandlers)
{
    TMarkedMemo memo;
    ShowMemo(memo, 400, 100);
    auto* handle = reinterpret_cast<TTextMark*>(&memo);
    memo.Marks.push_back({3, 11, handle}); // "abcdefgh\r" from column 3 to column 2 of "ijklmn"
    ShowText(memo, "abcdefgh\r\nijklmn");
    int cw = memo.CharWidth(), lh = memo.LineHeight(), left = memo.TextLeft();
    // The default mark is a red zig-zag on the bottom of each of its lines.
    auto redIn = [&](int x0, int x1, int row) {
        int red = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = row * lh + lh - 4; y < row * lh + lh; ++y)
                red += memo.BackBuffer().pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
        return red;
    };
    EXPECT_EQ(redIn(left, left + 3 * cw, 0), 0);
    EXPECT_GT(redIn(left + 3 * cw + 1, left + 8 * cw, 0), 0);
    EXPECT_GT(redIn(left, left + 2 * cw, 1), 0);
    EXPECT_EQ(redIn(left + 2 * cw + 1, left + 10 * cw, 1), 0);

    std::vector<TRect> rects;
    memo.OnDrawMark = [&](TCustomCodeMemo*, QPainter*, const TRect* rect, TTextMark* mark) {
        EXPECT_EQ(mark, handle);
        rects.push_back(*rect);
    };
    memo.RequestFullRepaint();
    memo.Paint();
    ASSERT_EQ(rects.size(), 2u);
    EXPECT_EQ(rects[0], (TRect{left + 3 * cw, 0, left + 8 * cw, lh - 1}));
    EXPECT_EQ(rects[1], (TRect{left, lh, left + 2 * cw, 2 * lh - 1}));

    // A handler that takes over a line leaves the gutter and margin drawn and the rest of the row to it.
    std::vector<int> offsets, columns;
    memo.OnDrawLine = [&](TCustomCodeMemo*, TLineDrawData* data) {
        offsets.push_back(data->LineOffset);
        columns.push_back(data->Columns);
        if (data->LineOffset == 0) {
            EXPECT_EQ(std::string(data->Text), "abcdefgh\r");
            EXPECT_EQ(data->LineRect, (TRect{left, 0, memo.ClientWidth(), lh}));
            data->DC->fillRect(data->LineRect.Left, 0, 50, lh, Qt::green);
            data->Handled = 1;
        }
        return 0;
    };
    rects.clear();
    memo.RequestFullRepaint();
    memo.Paint();
    EXPECT_EQ(offsets, (std::vector<int>{0, 9}));
    EXPECT_EQ(columns, (std::vector<int>{9, 7})); // a line not ending in CR or a blank gets one more
    EXPECT_EQ(rects.size(), 1u);
    EXPECT_EQ(memo.BackBuffer().pixel(left + 10, 5), qRgb(0, 255, 0));
    EXPECT_EQ(memo.BackBuffer().pixel(2, 5), RgbOf(static_cast<TColor>(clBtnFace)));
}

TEST(Painter, InvisibleCharactersOnALineWiderThanThePlacementBuffers)
{
    TCodeMemo memo;
    memo.SetControlFont("DejaVu Sans Mono", 10);
    SetOption(memo, smoShowAllChars, true);
    ShowMemo(memo, 20000, 60);
    // 600 TABs become 2400 columns, all on the screen in one run.
    ShowText(memo, std::string(600, '\t') + "x\r\n. .");
    TSM_Settings& settings = memo.ActiveSettings();
    ASSERT_NE(settings.TabGlyph(), nullptr);
    EXPECT_GT(settings.PlacementResults().Advances.size(), 2400u);
    int cw = memo.CharWidth(), lh = memo.LineHeight(), left = memo.TextLeft();
    const QImage& image = memo.BackBuffer();
    // Every TAB shows its glyph inside its own four columns; the line end shows the pilcrow.
    QRgb white = qRgb(255, 255, 255);
    EXPECT_GT(InkIn(image, QRect(left, 0, 4 * cw, lh), white), 0);
    EXPECT_GT(InkIn(image, QRect(left + 2396 * cw, 0, 4 * cw, lh), white), 0);
    EXPECT_GT(InkIn(image, QRect(left + 2401 * cw, 0, 2 * cw, lh), white), 0);
    // A blank shows a raised dot.
    EXPECT_GT(InkIn(image, QRect(left + cw, lh, cw, lh / 2), white), 0);
}
