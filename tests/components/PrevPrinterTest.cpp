// Tests of the print preview component: page building and its status texts, the page device, margins, and printing ranges in copies.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

#include "components/PrevPrinter.h"
#include "editor/CodeMemo.h"
#include "editor/PageSetup.h"
#include "editor/Painter.h"
#include "editor/PrintPreviewPages.h"
#include "platform/core/ScopeGuard.h"
#include "support/PdfWords.h"
#include "support/RecordingPrintTarget.h"
#include "PreviewTestSupport.h"

using TStatus = std::tuple<std::string, int, int>;

TEST(PreviewPrinter, DefaultsOfTheComponentAndItsTextOptions)
{
    TPreviewPrinter preview;
    EXPECT_EQ(preview.Orientation, poPortrait);
    EXPECT_EQ(preview.Title, "");
    EXPECT_EQ(preview.Units(), unCentimeters);
    EXPECT_DOUBLE_EQ(preview.UnitsFactor(), 2.54);
    EXPECT_FALSE(preview.ShowGrid);
    EXPECT_EQ(preview.ZoomOption, zoFitToPage);
    EXPECT_EQ(preview.ZoomVal, 100);
    EXPECT_EQ(preview.PageCount(), 0);
    EXPECT_THROW(preview.GetPage(0), EListError);
    preview.SetUnits(unInches);
    EXPECT_DOUBLE_EQ(preview.UnitsFactor(), 1.0);

    const TTextOptions& options = preview.TextOptions();
    EXPECT_EQ(options.DrawStyle, dsStandard);
    EXPECT_DOUBLE_EQ(options.MarginLeft, 1.0);
    EXPECT_DOUBLE_EQ(options.MarginBottom, 1.0);
    EXPECT_EQ(options.BodyFont().Name(), "Arial");
    EXPECT_EQ(options.BodyFont().Size(), 10);
    EXPECT_EQ(options.HeaderFont().Name(), "Times New Roman");
    EXPECT_EQ(options.HeaderFont().Size(), 18);
    EXPECT_EQ(options.HeaderFont().Style(), fsBold);
    EXPECT_EQ(options.FooterFont().Style(), fsItalic);
    EXPECT_EQ(options.FooterFont().Size(), 10);
    EXPECT_EQ(options.PageNumFont(), options.FooterFont());
    EXPECT_DOUBLE_EQ(options.HeaderMargin, 0.5);
    EXPECT_DOUBLE_EQ(options.FooterMargin, 0.75);
    EXPECT_EQ(options.HeaderAlign, taCenter);
    EXPECT_EQ(options.PageNumAlign, taRightJustify);
    EXPECT_EQ(options.PrintPageNumber, pnNone);
    EXPECT_EQ(options.PageNumText, "P\xE1gina %d");

    // Setting a font copies it: changing the given font later changes nothing.
    TFont font;
    font.SetName("Courier New");
    font.SetSize(12);
    preview.TextOptions().SetBodyFont(font);
    font.SetSize(30);
    EXPECT_EQ(preview.TextOptions().BodyFont().Name(), "Courier New");
    EXPECT_EQ(preview.TextOptions().BodyFont().Size(), 12);
    TTextOptions copy = preview.TextOptions();
    copy.MarginTop = 2.5;
    EXPECT_EQ(copy.BodyFont().Size(), 12);
    EXPECT_DOUBLE_EQ(preview.TextOptions().MarginTop, 1.0);
}

TEST(PreviewPrinter, AnEmptyDocumentGivesOnePageAndReportsItsSteps)
{
    RecordingPrintTarget target;
    TCodeMemo memo;
    TPreviewPrinter preview;
    std::vector<TStatus> seen;
    preview.OnStatus = [&](TPreviewPrinter* sender, const std::string& text, int page, TStatusType type) {
        EXPECT_EQ(sender, &preview);
        seen.emplace_back(text, page, static_cast<int>(type));
    };
    BuildPages(preview, memo);
    EXPECT_EQ(preview.PageCount(), 1);
    EXPECT_EQ(seen, (std::vector<TStatus>{{"Preparando p\xE1gina 1", 1, 0}, {"Paginaci\xF3n completa", -1, 2}}));
    // Units are inches only while building.
    EXPECT_EQ(preview.Units(), unCentimeters);
    EXPECT_FALSE(preview.Building());

    // A second build throws the old pages away.
    SetMemoText(memo, Lines(400));
    seen.clear();
    BuildPages(preview, memo);
    ASSERT_GT(preview.PageCount(), 2);
    ASSERT_EQ(seen.size(), static_cast<size_t>(preview.PageCount() + 1));
    for (int page = 1; page <= preview.PageCount(); ++page)
        EXPECT_EQ(seen[static_cast<size_t>(page - 1)], TStatus("Preparando p\xE1gina " + std::to_string(page), page, 0));
    EXPECT_EQ(seen.back(), TStatus("Paginaci\xF3n completa", -1, 2));
}

TEST(PreviewPrinter, PagesAreLaidOutForThePrinterOrForALetterSheetOnTheScreen)
{
    RecordingPrintTarget target;
    TCodeMemo memo;
    SetMemoText(memo, "uno");
    TPreviewPrinter preview;
    // One-inch margins at 300 pixels per inch.
    BuildPages(preview, memo);
    EXPECT_EQ(preview.PageRect(), (TRect{300, 300, 2550 - 300, 3300 - 300}));
    const TPagePicture& page = preview.GetPage(0);
    EXPECT_EQ(page.logicalDpiX(), 300);
    EXPECT_EQ(page.logicalDpiY(), 300);
    EXPECT_EQ(page.width(), 2550);
    EXPECT_EQ(page.height(), 3300);

    // Margins of their own on a landscape sheet with a different resolution across.
    target.Page = TDeviceMetrics{600, 300, 6600, 2550, 20, 10};
    preview.TextOptions().MarginLeft = 0.5;
    preview.TextOptions().MarginTop = 2.0;
    preview.TextOptions().MarginRight = 0;
    preview.TextOptions().MarginBottom = 0.25;
    BuildPages(preview, memo);
    EXPECT_EQ(preview.PageRect(), (TRect{300, 600, 6600, 2550 - 75}));

    // With no printer the page is US Letter at the screen's resolution.
    target.Printers = false;
    preview.TextOptions().MarginLeft = preview.TextOptions().MarginTop = 1.0;
    preview.TextOptions().MarginRight = preview.TextOptions().MarginBottom = 1.0;
    BuildPages(preview, memo);
    const int ppi = ScreenPixelsPerInch();
    EXPECT_EQ(preview.Metrics().PageWidth, static_cast<int>(std::lround(ppi * 8.5)));
    EXPECT_EQ(preview.Metrics().PageHeight, ppi * 11);
    EXPECT_EQ(preview.PageRect(), (TRect{ppi, ppi, preview.Metrics().PageWidth - ppi, ppi * 10}));
    if (ppi == 96) {
        EXPECT_EQ(preview.Metrics().PageWidth, 816);
        EXPECT_EQ(preview.Metrics().PageHeight, 1056);
    }
    EXPECT_EQ(preview.GetPage(0).logicalDpiY(), ppi);
}

TEST(PreviewPrinter, APageRecordedForThePrinterHoldsTheLinesPrintPutsOnAPage)
{
    RecordingPrintTarget target;
    TCodeMemo memo;
    SetMemoText(memo, Lines(600));
    TPreviewPrinter preview;
    TTextOptions& options = preview.TextOptions();
    options.MarginLeft = options.MarginTop = options.MarginRight = options.MarginBottom = 0;
    // The editor prints on its own page rectangle; the preview's page is the same.
    target.Page = TDeviceMetrics{300, 300, memo.PrintRect().Right, memo.PrintRect().Bottom, 0, 0};
    const int previewLines = LinesOnFirstPage(memo, preview);
    EXPECT_EQ(preview.PageRect(), memo.PrintRect());

    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed";
    QTemporaryDir dir;
    QPrinter& printer = Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("lines.pdf")));
    ASSERT_EQ(printer.resolution(), 300);
    int printed = 0;
    int lastTop = -1;
    bool firstPage = true;
    memo.OnDrawLine = [&](TCustomCodeMemo*, TLineDrawData* data) {
        if (data->LineRect.Top < lastTop)
            firstPage = false;
        lastTop = data->LineRect.Top;
        if (firstPage)
            ++printed;
        return 0;
    };
    memo.Print();
    memo.OnDrawLine = nullptr;
    EXPECT_GT(printed, 40);
    EXPECT_EQ(previewLines, printed);

    // Recorded on a plain picture, which answers the screen's resolution, the fonts would be made for
    // the screen and the page would take several times as many lines.
    QPicture plain;
    QPainter painter(&plain);
    int onPlain = 0;
    memo.OnDrawLine = [&](TCustomCodeMemo*, TLineDrawData*) {
        ++onPlain;
        return 0;
    };
    memo.PrintPage(&painter, &memo.PrintRect(), 1);
    memo.OnDrawLine = nullptr;
    ASSERT_LT(plain.logicalDpiY(), 200);
    EXPECT_GT(onPlain, 2 * printed);
}

TEST(PreviewPrinter, CopiesOfAPageRangeAreJobsOfTheirOwn)
{
    RecordingPrintTarget target;
    target.Printers = false;
    TCodeMemo memo;
    TPreviewPrinter preview;
    BuildPagesOf(memo, preview, 5);
    ASSERT_EQ(preview.PageCount(), 5);

    preview.Title = "prueba.html";
    preview.Orientation = poLandscape;
    target.Answer.Range = true;
    target.Answer.FromPage = 2;
    target.Answer.ToPage = 3;
    target.Answer.Copies = 2;
    std::vector<TStatus> seen;
    preview.OnStatus = [&](TPreviewPrinter*, const std::string& text, int page, TStatusType type) {
        seen.emplace_back(text, page, static_cast<int>(type));
        target.Log.push_back(text);
    };
    EXPECT_TRUE(preview.Print());
    EXPECT_EQ(target.Asked.MinPage, 1);
    EXPECT_EQ(target.Asked.MaxPage, 5);
    EXPECT_EQ(target.Asked.FromPage, 1);
    EXPECT_EQ(target.Asked.ToPage, 5);
    EXPECT_TRUE(target.Asked.PageNumbers);
    ASSERT_EQ(target.Jobs.size(), 2u);
    for (const auto& job : target.Jobs) {
        EXPECT_EQ(job.Pages, 2);
        EXPECT_EQ(job.Title, "prueba.html");
        EXPECT_EQ(job.Orientation, poLandscape);
        EXPECT_TRUE(job.Ended);
    }
    const std::vector<std::string> oneJob = {"begin", "Imprimiendo p\xE1gina 2", "page", "Imprimiendo p\xE1gina 3",
                                             "end", "Trabajo de impresi\xF3n completado"};
    std::vector<std::string> twoJobs = oneJob;
    twoJobs.insert(twoJobs.end(), oneJob.begin(), oneJob.end());
    EXPECT_EQ(target.Log, twoJobs);
    EXPECT_EQ(seen[0], TStatus("Imprimiendo p\xE1gina 2", 2, 1));
    EXPECT_EQ(seen[2], TStatus("Trabajo de impresi\xF3n completado", -1, 3));

    // No copies: no job. All pages: one job of five. Cancelled: false and no job.
    target.Jobs.clear();
    target.Answer.Copies = 0;
    EXPECT_TRUE(preview.Print());
    EXPECT_TRUE(target.Jobs.empty());
    target.Answer = TPrintRequest{};
    EXPECT_TRUE(preview.Print());
    ASSERT_EQ(target.Jobs.size(), 1u);
    EXPECT_EQ(target.Jobs[0].Pages, 5);
    target.Accept = false;
    EXPECT_FALSE(preview.Print());
    EXPECT_EQ(target.Jobs.size(), 1u);
}

TEST(PreviewPrinter, PagesArePrintedAtMinusThePrintersOffsetsAndAFailureNamesItsPage)
{
    RecordingPrintTarget target;
    target.Page = TDeviceMetrics{96, 96, 816, 1056, 0, 0};
    TCodeMemo memo;
    SetMemoText(memo, "WWWWWWWWWWWWWWWWWWWWWWWW");
    TPreviewPrinter preview;
    BuildPages(preview, memo);
    auto firstInkColumn = [&] {
        for (int x = 0; x < target.Sheet.width(); ++x)
            for (int y = 0; y < target.Sheet.height(); ++y)
                if (target.Sheet.pixel(x, y) != qRgb(255, 255, 255))
                    return x;
        return -1;
    };
    ASSERT_TRUE(preview.Print());
    const int inkAt = firstInkColumn();
    ASSERT_GT(inkAt, 0);
    // The printable area starts 80 pixels in: the page moves 20 sheet pixels to the left.
    target.Page.OffsetX = 80;
    ASSERT_TRUE(preview.Print());
    EXPECT_EQ(firstInkColumn(), inkAt - 20);

    // The second page's start fails: the job ends and the error names the page and the printer's words.
    SetMemoText(memo, Lines(200));
    BuildPages(preview, memo);
    ASSERT_GT(preview.PageCount(), 2);
    target.Jobs.clear();
    target.FailOnNewPage = 1;
    try {
        preview.Print();
        ADD_FAILURE() << "the failure was not reported";
    } catch (const EPrinter& error) {
        EXPECT_EQ(error.Message(), "No se pudo imprimir la p\xE1gina 2: sin papel");
    }
    ASSERT_EQ(target.Jobs.size(), 1u);
    EXPECT_TRUE(target.Jobs[0].Ended);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(PreviewPrinter, ARecordedPageShowsTheTextWhereTheEditorPaintsIt)
{
    auto rightmostInk = [](const QImage& image, int top, int bottom) {
        for (int x = image.width() - 1; x >= 0; --x)
            for (int y = top; y < bottom; ++y)
                if (qGray(image.pixel(x, y)) < 128)
                    return x;
        return -1;
    };
    // At the screen's resolution and at a printer's, where the letters' spacing is scaled.
    for (const int dpi : {96, 300}) {
        SCOPED_TRACE(dpi);
        RecordingPrintTarget target;
        const int width = dpi * 17 / 2, height = dpi * 11;
        target.Page = TDeviceMetrics{dpi, dpi, width, height, 0, 0};
        TCodeMemo memo;
        ASSERT_TRUE(memo.FixedPitch());
        // A held character shows as the reference it stands for, "&" first, on the grid with the rest.
        SetMemoText(memo, std::string(60, 'M') + "\r\n" + std::string(30, 'i') + "W\r\n" +
                              "href=\"http://ejemplo.es/\x1F#955;\">x\x1F#8364;y");
        TPreviewPrinter preview;
        BuildPages(preview, memo);
        const TRect rect = preview.PageRect();
        auto page = [&] {
            QImage image(width, height, QImage::Format_RGB32);
            image.setDotsPerMeterX(static_cast<int>(std::lround(dpi / 0.0254)));
            image.setDotsPerMeterY(static_cast<int>(std::lround(dpi / 0.0254)));
            image.fill(Qt::white);
            return image;
        };
        QImage replayed = page();
        {
            // Played as the preview's printing plays it: the picture's own resolution taken back out.
            QPainter painter(&replayed);
            const double screen = ScreenPixelsPerInch();
            painter.scale(screen / dpi, screen / dpi);
            painter.drawPicture(0, 0, preview.GetPage(0));
        }
        QImage direct = page();
        std::vector<TRect> lines;
        memo.OnDrawLine = [&](TCustomCodeMemo*, TLineDrawData* data) {
            lines.push_back(data->LineRect);
            return 0;
        };
        {
            QPainter painter(&direct);
            memo.PrintPage(&painter, &rect, 1);
        }
        memo.OnDrawLine = nullptr;
        // Each line ends in the same column of the character grid, the narrow letters of the second
        // line spaced out like the wide ones.
        ASSERT_EQ(lines.size(), 3u);
        for (const TRect& line : lines) {
            const int expected = rightmostInk(direct, line.Top, line.Bottom);
            ASSERT_GT(expected, rect.Left + 20 * dpi / 96) << line.Top;
            EXPECT_NEAR(rightmostInk(replayed, line.Top, line.Bottom), expected, 2 * dpi / 96) << line.Top;
        }
    }
}

TEST(PreviewPrinter, BuildingPagesPutsTheScreenBackOnceAndLeavesTheRecordsAsTheyWere)
{
    RecordingPrintTarget target;
    target.Page = TDeviceMetrics{96, 96, 816, 1056, 0, 0};
    // Counts how often the control is measured: for a page's device or for the screen again.
    struct TMeasuredMemo : TCodeMemo {
        int Measured = 0;
        void UpdateMetrics() override
        {
            ++Measured;
            TCodeMemo::UpdateMetrics();
        }
    } memo;
    memo.resize(300, 200);
    // The header's seconds could tick between two pictures of one page.
    TCodeMemoOptions options = memo.Options();
    options.Exclude(smoPrintDate);
    memo.SetOptions(options);
    SetMemoText(memo, Lines(700));
    const int charWidth = memo.CharWidth();
    // The screen's and the highlighter's marks on the records, each record with its own.
    std::vector<uint32_t> flags;
    uint32_t mark = 0;
    for (TLineRecord* record = memo.FirstRecord(); record; record = record->Next, ++mark) {
        record->Flags = (record->Flags & ~(lfStylesChanged | lfChanged | lfRestart)) |
                        (mark % 2 ? lfChanged : 0) | (mark % 3 ? lfRestart : 0) | (mark % 5 ? lfStylesChanged : 0);
        flags.push_back(record->Flags);
    }
    TPreviewPrinter preview;
    memo.Measured = 0;
    BuildPages(preview, memo);
    ASSERT_GT(preview.PageCount(), 10);
    // Measured for the pages' device once and for the screen once, not twice a page.
    EXPECT_EQ(memo.Measured, 2);
    std::vector<uint32_t> after;
    for (TLineRecord* record = memo.FirstRecord(); record; record = record->Next)
        after.push_back(record->Flags);
    EXPECT_EQ(after, flags);
    EXPECT_EQ(memo.CharWidth(), charWidth);
    EXPECT_EQ(memo.ActiveSettings().PrintFonts, 0);

    // The pages are those of the page asked for alone, laid out from the start of the text (asked from
    // the last, so that none goes on from the one before).
    for (int index : {preview.PageCount() - 1, 7, 1}) {
        QPicture alone;
        {
            QPainter painter(&alone);
            memo.PrintPage(&painter, &preview.PageRect(), index + 1);
        }
        QImage built(816, 1056, QImage::Format_RGB32), single(816, 1056, QImage::Format_RGB32);
        built.fill(Qt::white);
        single.fill(Qt::white);
        QPainter(&built).drawPicture(0, 0, preview.GetPage(index));
        QPainter(&single).drawPicture(0, 0, alone);
        EXPECT_EQ(built, single) << index;
    }
}

namespace {
// The first and last text offset drawn on each page, pages told apart by `pageOf`.
using TPageLines = std::vector<std::pair<int, int>>;
void NoteLine(TPageLines& pages, size_t page, int offset)
{
    if (pages.size() < page)
        pages.resize(page, {-1, -1});
    auto& [first, last] = pages[page - 1];
    if (first < 0)
        first = offset;
    last = offset;
}
} // namespace

TEST(PreviewPrinter, ALandscapePageSetupWithMarginsGivesThePreviewThePrintedPages)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "a printer is installed";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QPrinter& printer = Printer();
    const QPageLayout saved = printer.pageLayout();
    TScopeGuard restore([&] {
        printer.setPageLayout(saved);
        printer.setOutputFileName({});
    });
    printer.setOutputFormat(QPrinter::PdfFormat);
    TCodeMemo memo;
    memo.SetDocumentName("prueba.html");
    TCodeMemoOptions options = memo.Options();
    options.Exclude(smoPrintDate); // the seconds could tick between the two prints
    options.Include(smoPrintWrap);
    memo.SetOptions(options);
    std::string text;
    for (int i = 1; i <= 120; ++i) {
        text += "linea " + std::to_string(i);
        if (i % 7 == 0)
            for (int w = 0; w < 40; ++w)
                text += " palabra" + std::to_string(w);
        text += "\r\n";
    }
    SetMemoText(memo, text);
    TPageSetup setup;
    setup.Paper = QPageSize(QPageSize::A4);
    setup.Landscape = true;
    setup.Margins = {2500, 2500, 2500, 2500};
    memo.SetPageSetup(setup);

    // The preview as its command sets it up, noting the lines of each page.
    TPreviewPrinter preview;
    SetUpPreview(preview, memo);
    EXPECT_EQ(preview.Orientation, poLandscape);
    TPageLines previewLines;
    size_t building = 0;
    preview.OnStatus = [&](TPreviewPrinter*, const std::string&, int page, TStatusType type) {
        if (type == stPageStarted)
            building = static_cast<size_t>(page);
    };
    memo.OnDrawLine = [&](TCustomCodeMemo*, TLineDrawData* data) {
        NoteLine(previewLines, building, data->LineOffset);
        return 0;
    };
    BuildPages(preview, memo);
    preview.OnStatus = nullptr;
    ASSERT_GT(preview.PageCount(), 2);
    // A landscape A4 sheet, and the text inside 25 mm margins: the area the editor prints in.
    const TDeviceMetrics& sheet = preview.Metrics();
    EXPECT_NEAR(sheet.PageWidth * 25.4 / sheet.PixelsPerInchX, 297, 0.5);
    EXPECT_NEAR(sheet.PageHeight * 25.4 / sheet.PixelsPerInchY, 210, 0.5);
    const int margin = static_cast<int>(std::lround(sheet.PixelsPerInchX * 25 / 25.4));
    EXPECT_EQ(preview.PageRect(), (TRect{margin, margin, sheet.PageWidth - margin, sheet.PageHeight - margin}));
    EXPECT_EQ(preview.PageRect(), memo.PrintRect());

    // The editor's printing puts the same lines on each page.
    const QString printed = dir.filePath(QStringLiteral("impreso.pdf"));
    printer.setOutputFileName(printed);
    TPageLines printedLines;
    size_t printing = 1;
    int lastTop = -1;
    memo.OnDrawLine = [&](TCustomCodeMemo*, TLineDrawData* data) {
        if (data->LineRect.Top < lastTop)
            ++printing;
        lastTop = data->LineRect.Top;
        NoteLine(printedLines, printing, data->LineOffset);
        return 0;
    };
    memo.Print();
    memo.OnDrawLine = nullptr;
    EXPECT_EQ(printedLines, previewLines);
    ASSERT_EQ(previewLines.size(), static_cast<size_t>(preview.PageCount()));

    // Printed from the preview, the recorded pages go on the same sheet.
    const QString fromPreview = dir.filePath(QStringLiteral("desde-vista.pdf"));
    printer.setOutputFileName(fromPreview);
    {
        TProgramPrinterAnswered answered;
        ASSERT_TRUE(preview.Print());
    }

    const std::optional<std::vector<TPdfPage>> editorPdf = PdfPages(printed);
    const std::optional<std::vector<TPdfPage>> previewPdf = PdfPages(fromPreview);
    if (!editorPdf || !previewPdf)
        GTEST_SKIP() << "pdftotext is not installed";
    const double marginPoints = 25 * 72 / 25.4;
    for (const auto* pdf : {&*editorPdf, &*previewPdf}) {
        ASSERT_EQ(pdf->size(), static_cast<size_t>(preview.PageCount()));
        for (size_t p = 0; p < pdf->size(); ++p) {
            const TPdfPage& page = (*pdf)[p];
            EXPECT_NEAR(page.Width, 841.89, 1) << p;
            EXPECT_NEAR(page.Height, 595.28, 1) << p;
            ASSERT_FALSE(page.Words.empty()) << p;
            // The title starts at the left margin; nothing goes past the margins.
            double left = page.Width, right = 0, bottom = 0;
            for (const TPdfWord& word : page.Words) {
                left = std::min(left, word.XMin);
                right = std::max(right, word.XMax);
                bottom = std::max(bottom, word.YMax);
            }
            EXPECT_NEAR(left, marginPoints, 1.5) << p;
            EXPECT_LE(right, page.Width - marginPoints + 1) << p;
            EXPECT_LE(bottom, page.Height - marginPoints + 1) << p;
            EXPECT_EQ(page.Words.front().Text, "prueba.html") << p;
            // The footer "- n -" is on the sheet, in the lower half.
            const std::string number = std::to_string(p + 1);
            bool footer = false;
            for (size_t w = 1; w + 1 < page.Words.size(); ++w)
                footer = footer || (page.Words[w].Text == number && page.Words[w - 1].Text == "-" &&
                                    page.Words[w + 1].Text == "-" && page.Words[w].YMin > page.Height / 2);
            EXPECT_TRUE(footer) << p;
        }
    }
    // Both print the same numbered lines on each page, at the same heights.
    auto numbers = [](const TPdfPage& page) {
        std::vector<std::pair<std::string, long>> found;
        for (const TPdfWord& word : page.Words)
            if (word.Text.size() > 1 && word.Text.back() == ':')
                found.emplace_back(word.Text, std::lround(word.YMin));
        std::sort(found.begin(), found.end());
        return found;
    };
    for (size_t p = 0; p < editorPdf->size(); ++p) {
        const auto printedNumbers = numbers((*editorPdf)[p]);
        EXPECT_GT(printedNumbers.size(), 5u) << p;
        EXPECT_EQ(printedNumbers, numbers((*previewPdf)[p])) << p;
    }
}
