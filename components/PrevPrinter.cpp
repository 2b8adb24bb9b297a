// The print preview component: page building on recorded pictures, the program's printer as print target, and printing of page ranges in copies.
#include "components/PrevPrinter.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

#include "components/PrevForm.h"
#include "platform/Cursors.h"
#include "platform/FontsQt.h"
#include "platform/Printer.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"

namespace {

constexpr int kPreparingPage = 65330;
constexpr int kPrintingPage = 65331;
constexpr int kPaginationDone = 65332;
constexpr int kPrintJobDone = 65333;
constexpr int kPageNumText = 65334;
constexpr int kPrintFailed = 65335;
constexpr int kPrinterNotStarted = 65216;
constexpr int kPrinterNoNewPage = 65336;
constexpr int kListIndexError = 65214;

// The screen as reference device: a US Letter sheet of 8.5 by 11 inches at its resolution.
TDeviceMetrics screenMetrics()
{
    const int ppi = ScreenPixelsPerInch();
    TDeviceMetrics metrics;
    metrics.PixelsPerInchX = ppi;
    metrics.PixelsPerInchY = ppi;
    metrics.PageWidth = static_cast<int>(std::lround(ppi * 8.5));
    metrics.PageHeight = static_cast<int>(std::lround(ppi * 11.0));
    metrics.OffsetX = 0;
    metrics.OffsetY = 0;
    return metrics;
}

QPageLayout::Orientation qtOrientation(TPrinterOrientation orientation)
{
    return orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// The program's printer: metrics from its page, jobs painted on it.
class TProgramPrintTarget : public TPrintTarget {
public:
    // The program always has a page to lay the pages out for: its printer's, or with no printer
    // installed the PDF writer's that printing writes to, so that the preview shows what prints.
    bool HasPrinters() override { return true; }

    TDeviceMetrics Metrics(TPrinterOrientation orientation) override
    {
        QPrinter& printer = Printer();
        printer.setPageOrientation(qtOrientation(orientation));
        return metricsOf(printer);
    }

    bool ExecuteDialog(QWidget* owner, TPrintRequest& request) override
    {
        QPrinter& printer = Printer();
        QPrintDialog dialog(&printer, owner);
        dialog.setMinMax(request.MinPage, request.MaxPage);
        dialog.setFromTo(request.FromPage, request.ToPage);
        dialog.setOption(QAbstractPrintDialog::PrintPageRange, request.PageNumbers);
        printer.setCopyCount(request.Copies);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        request.Range = printer.printRange() == QPrinter::PageRange;
        request.FromPage = printer.fromPage();
        request.ToPage = printer.toPage();
        request.Copies = printer.copyCount();
        // Each copy is a job of its own; the printer must not repeat the pages itself.
        printer.setCopyCount(1);
        return true;
    }

    QPainter& BeginJob(TPrinterOrientation orientation, const std::string& title) override
    {
        QPrinter& printer = Printer();
        printer.setPageOrientation(qtOrientation(orientation));
        printer.setDocName(FromEditorText(title));
        if (!FPainter.begin(&printer))
            throw EPrinter(LoadResString(kPrinterNotStarted));
        return FPainter;
    }

    void NewPage() override
    {
        if (!Printer().newPage())
            throw EPrinter(LoadResString(kPrinterNoNewPage));
    }

    void EndJob() override
    {
        if (FPainter.isActive())
            FPainter.end();
    }

    static TDeviceMetrics metricsOf(QPrinter& printer)
    {
        TDeviceMetrics metrics;
        metrics.PixelsPerInchX = printer.logicalDpiX();
        metrics.PixelsPerInchY = printer.logicalDpiY();
        const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
        metrics.PageWidth = paper.width();
        metrics.PageHeight = paper.height();
        // A full-page printer paints from the sheet's corner; otherwise from its printable area.
        if (!printer.fullPage()) {
            const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
            metrics.OffsetX = page.left() - paper.left();
            metrics.OffsetY = page.top() - paper.top();
        }
        return metrics;
    }

private:
    QPainter FPainter;
};

TPrintTarget* gPrintTarget = nullptr;

TPrintTarget& printTarget()
{
    return gPrintTarget ? *gPrintTarget : ProgramPrintTarget();
}

TFont makeFont(const char* name, int size, TFontStyles style)
{
    TFont font;
    font.SetName(name);
    font.SetSize(size);
    font.SetStyle(style);
    return font;
}

// The first page's font: Arial 10 made for the page's resolution.
QFont firstPageFont(int pixelsPerInch)
{
    if (TFontHandle handle = MakeEditorFont("Arial", 10, 0, DEFAULT_CHARSET, true, pixelsPerInch))
        return ToQFont(*handle);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(static_cast<int>(std::lround(10.0 * pixelsPerInch / 72.0)));
    return font;
}

} // namespace

TPrintTarget& ProgramPrintTarget()
{
    static TProgramPrintTarget target;
    return target;
}

TPrintTarget* SetPrintTarget(TPrintTarget* target)
{
    TPrintTarget* previous = gPrintTarget;
    gPrintTarget = target;
    return previous;
}

// ---------------------------------------------------------------- pages

int TPagePicture::metric(PaintDeviceMetric metric) const
{
    switch (metric) {
    case PdmWidth: return FMetrics.PageWidth;
    case PdmHeight: return FMetrics.PageHeight;
    case PdmDpiX:
    case PdmPhysicalDpiX: return FMetrics.PixelsPerInchX;
    case PdmDpiY:
    case PdmPhysicalDpiY: return FMetrics.PixelsPerInchY;
    case PdmWidthMM: return static_cast<int>(std::lround(FMetrics.PageWidth * 25.4 / FMetrics.PixelsPerInchX));
    case PdmHeightMM: return static_cast<int>(std::lround(FMetrics.PageHeight * 25.4 / FMetrics.PixelsPerInchY));
    default: return QPicture::metric(metric);
    }
}

// ---------------------------------------------------------------- text options

TTextOptions::TTextOptions()
    : PageNumText(LoadResString(kPageNumText)),
      FBodyFont(makeFont("Arial", 10, 0)),
      FHeaderFont(makeFont("Times New Roman", 18, fsBold)),
      FFooterFont(makeFont("Times New Roman", 10, fsItalic)),
      FPageNumFont(FFooterFont)
{
}

TTextOptions& TTextOptions::operator=(const TTextOptions& source)
{
    Assign(source);
    return *this;
}

void TTextOptions::Assign(const TTextOptions& source)
{
    if (this == &source)
        return;
    DrawStyle = source.DrawStyle;
    MarginLeft = source.MarginLeft;
    MarginTop = source.MarginTop;
    MarginRight = source.MarginRight;
    MarginBottom = source.MarginBottom;
    FBodyFont.Assign(source.FBodyFont);
    FHeaderFont.Assign(source.FHeaderFont);
    FFooterFont.Assign(source.FFooterFont);
    FPageNumFont.Assign(source.FPageNumFont);
    Header = source.Header;
    Footer = source.Footer;
    HeaderMargin = source.HeaderMargin;
    FooterMargin = source.FooterMargin;
    HeaderAlign = source.HeaderAlign;
    FooterAlign = source.FooterAlign;
    PrintPageNumber = source.PrintPageNumber;
    PageNumAlign = source.PageNumAlign;
    PageNumText = source.PageNumText;
}

// ---------------------------------------------------------------- the component

TPreviewPrinter::TPreviewPrinter() = default;

TPreviewPrinter::~TPreviewPrinter()
{
    endPage();
}

void TPreviewPrinter::SetUnits(TUnits value)
{
    FUnits = value;
    FUnitsFactor = value == unInches ? 1.0 : 2.54;
}

const TPagePicture& TPreviewPrinter::GetPage(int index) const
{
    if (index < 0 || index >= PageCount())
        throw EListError(FmtLoadStr(kListIndexError, index));
    return *FPages[static_cast<size_t>(index)];
}

TRect TPreviewPrinter::marginRect() const
{
    // The editor's printing finds its text area with the same rounding, so both agree to the pixel.
    return MarginRect(FMetrics.PageWidth, FMetrics.PageHeight, FMetrics.PixelsPerInchX, FMetrics.PixelsPerInchY,
                      FTextOptions.MarginLeft / FUnitsFactor, FTextOptions.MarginTop / FUnitsFactor,
                      FTextOptions.MarginRight / FUnitsFactor, FTextOptions.MarginBottom / FUnitsFactor);
}

void TPreviewPrinter::status(int messageId, int pageNum, TStatusType type)
{
    if (!OnStatus)
        return;
    const std::string message = pageNum > 0 ? FmtLoadStr(messageId, pageNum) : LoadResString(messageId);
    OnStatus(this, message, pageNum, type);
}

void TPreviewPrinter::endPage()
{
    if (FPageCanvas && FPageCanvas->isActive())
        FPageCanvas->end();
    FPageCanvas.reset();
}

void TPreviewPrinter::newPage()
{
    TDeviceMetrics metrics = screenMetrics();
    TPrintTarget& target = printTarget();
    if (target.HasPrinters()) {
        try {
            TDeviceMetrics printer = target.Metrics(Orientation);
            // A printer that reports no page is no better than none.
            if (printer.PageWidth > 0 && printer.PageHeight > 0 && printer.PixelsPerInchX > 0 &&
                printer.PixelsPerInchY > 0)
                metrics = printer;
        } catch (const EPrinter&) {
        }
    }
    FMetrics = metrics;
    FPages.push_back(std::make_unique<TPagePicture>(metrics));
    auto canvas = std::make_unique<QPainter>(FPages.back().get());
    // The page's device reports the reference resolution, so the font is made for it.
    if (FPageCanvas) {
        canvas->setFont(FPageCanvas->font());
        canvas->setBrush(FPageCanvas->brush());
        canvas->setPen(FPageCanvas->pen());
    } else {
        canvas->setFont(firstPageFont(metrics.PixelsPerInchY));
        canvas->setBrush(Qt::NoBrush);
    }
    endPage();
    FPageCanvas = std::move(canvas);
    FPageUsed = false;
    status(kPreparingPage, PageCount(), stPageStarted);
}

void TPreviewPrinter::BuildPages(const TPagePainter& paintPage)
{
    TBusyCursor busy;
    const TUnits savedUnits = FUnits;
    TScopeGuard restore([&] {
        FBuilding = false;
        endPage();
        SetUnits(savedUnits);
    });
    SetUnits(unInches);
    FBuilding = true;
    endPage();
    FPages.clear();
    int pageNo = 1;
    for (;;) {
        newPage();
        FPageRect = marginRect();
        FPageUsed = true;
        if (!paintPage(FPageCanvas.get(), &FPageRect, pageNo))
            break;
        ++pageNo;
    }
    FBuilding = false;
    endPage();
    if (!FPageUsed && !FPages.empty())
        FPages.pop_back();
    status(kPaginationDone, -1, stBuildDone);
}

bool TPreviewPrinter::Print(QWidget* owner)
{
    TPrintRequest request;
    request.MinPage = 1;
    request.MaxPage = std::max(1, PageCount());
    request.FromPage = 1;
    request.ToPage = request.MaxPage;
    request.PageNumbers = true;
    if (!printTarget().ExecuteDialog(owner, request))
        return false;
    int first = 0;
    int last = PageCount() - 1;
    if (request.Range) {
        first = std::max(0, request.FromPage - 1);
        last = std::min(PageCount() - 1, request.ToPage - 1);
    }
    for (int copy = 0; copy < request.Copies; ++copy)
        printJob(first, last);
    return true;
}

void TPreviewPrinter::printJob(int first, int last)
{
    if (first > last)
        return;
    TBusyCursor busy;
    TPrintTarget& target = printTarget();
    TScopeGuard endJob([&] { target.EndJob(); });
    QPainter& canvas = target.BeginJob(Orientation, Title);
    const TDeviceMetrics metrics = target.Metrics(Orientation);
    for (int index = first; index <= last; ++index) {
        // A new printer page comes before every page but the first, so a failure names the page lost.
        try {
            if (index > first)
                target.NewPage();
        } catch (const EPrinter& error) {
            throw EPrinter(FmtLoadStr(kPrintFailed, index + 1, error.Message().c_str()));
        }
        status(kPrintingPage, index + 1, stPagePrinted);
        const TPagePicture& page = *FPages[static_cast<size_t>(index)];
        // A picture plays scaled by its target's resolution over the screen's, as if it had been
        // recorded for the screen; a page recorded for the printer's resolution takes that back out.
        canvas.save();
        canvas.translate(-metrics.OffsetX, -metrics.OffsetY);
        const double screen = ScreenPixelsPerInch();
        canvas.scale(screen / page.Metrics().PixelsPerInchX, screen / page.Metrics().PixelsPerInchY);
        canvas.drawPicture(0, 0, page);
        canvas.restore();
    }
    endJob.End();
    status(kPrintJobDone, -1, stJobDone);
}

void TPreviewPrinter::Preview(QWidget* owner)
{
    ShowPreviewForm(*this, owner);
}
