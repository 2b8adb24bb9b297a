// Printing of the editor control: Print, PrintSelection and the preview pages of PrintPage.
#include <QPageLayout>
#include <QPaintDevice>
#include <QPainter>
#include <QPageSize>
#include <QPrinter>
#include <utility>

#include "editor/CodeMemo.h"
#include "editor/PageSetup.h"
#include "editor/Painter.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"

namespace {

constexpr int kPrinterNotStarted = 65216;

// Letter at 300 dots per inch: the page used when no printer can be asked.
const TRect kFallbackPage{0, 0, 2550, 3300};

// Restores the shared preview state whatever the painting runs into.
class PreviewScope {
public:
    PreviewScope() : FSaved(PreviewState()) {}
    ~PreviewScope() { PreviewState() = FSaved; }
    PreviewScope(const PreviewScope&) = delete;
    PreviewScope& operator=(const PreviewScope&) = delete;

private:
    TPreviewState FSaved;
};

} // namespace

TPreviewState& PreviewState()
{
    static TPreviewState state;
    return state;
}

TRect DefaultPrintRect()
{
    static const TRect page = [] {
        if (!PrinterInstalled())
            return kFallbackPage;
        QPrinter& printer = Printer();
        const QPageLayout saved = printer.pageLayout();
        ApplyPageSetup(printer, DefaultPageSetup());
        const TRect rect = PageTextRect(printer, DefaultPageSetup());
        printer.setPageLayout(saved);
        if (rect.Width() <= 0 || rect.Height() <= 0)
            return kFallbackPage;
        return rect;
    }();
    return page;
}

const TRect& TCustomCodeMemo::PrintRect() const
{
    if (!FPrintRect)
        FPrintRect = DefaultPrintRect();
    return *FPrintRect;
}

const TPageSetup& TCustomCodeMemo::PageSetup() const
{
    if (!FPageSetup)
        FPageSetup = DefaultPageSetup();
    return *FPageSetup;
}

void TCustomCodeMemo::SetPageSetup(const TPageSetup& setup)
{
    // A copy: `setup` may be the control's own.
    const TPageSetup chosen = setup;
    FPageSetup = chosen;
    QPrinter& printer = Printer();
    ApplyPageSetup(printer, chosen);
    const TRect rect = PageTextRect(printer, chosen);
    // Margins that leave no room keep the page they had.
    if (rect.Width() > 0 && rect.Height() > 0)
        FPrintRect = rect;
    else
        PrintRect();
}

void TCustomCodeMemo::SetStartPageSetup(const TPageSetup& setup)
{
    FPageSetup = setup;
    // The text area is measured on the printer when printing sets the record on it.
    FPrintRect.reset();
}

void TCustomCodeMemo::Print()
{
    printLines(0, 0);
}

void TCustomCodeMemo::PrintSelection()
{
    TTextRange selection = OrderedSelection();
    int first = static_cast<int>(Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(selection.Start), 0)) + 1;
    int endLine = static_cast<int>(Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(selection.End), 0));
    // A selection that ends at the very start of a line does not take that line.
    bool atLineStart = Perform(EM_LINEINDEX, static_cast<WPARAM>(endLine), 0) == selection.End;
    printLines(first, endLine + (atLineStart ? 0 : 1));
}

void TCustomCodeMemo::printLines(int first, int last)
{
    // Paper shows every record in its colours, also those still waiting for their slice.
    FinishColouring();
    QPrinter& printer = Printer();
    PreviewScope preview;
    QPainter painter;
    FPrinting = true;
    FSettings->PrintFonts = 1;
    FSettings->PrinterPixelsPerInch = printer.resolution();
    TScopeGuard printing([&] {
        FSettings->PrintFonts = 0;
        if (painter.isActive())
            painter.end();
        FPrinting = false;
        PreviewState().Canvas = nullptr;
        endPrinting();
    });
    printer.setDocName(FromEditorText(FDocumentName));
    // The page as set up, whatever another dialog or a preview left on the printer meanwhile.
    SetPageSetup(PageSetup());
    if (!painter.begin(&printer))
        throw ECodeMemo(LoadResString(kPrinterNotStarted));
    UpdateMetrics();
    FSettings->RebuildFontCache();
    // Header and footer lines are drawn on the preview canvas, which is the printer's meanwhile.
    PreviewState().Canvas = &painter;
    TPaintContext context;
    context.Area = PrintRect();
    context.Canvas = &printer;
    context.DC = &painter;
    context.Printing = 1;
    context.LineRange = first > 0 ? 1 : 0;
    context.First = first;
    context.Last = last;
    PaintLines(*this, context);
}

bool TCustomCodeMemo::PrintPage(QPainter* canvas, const TRect* rect, int pageNo)
{
    if (!canvas || !rect)
        return false;
    FinishColouring();
    PreviewScope preview;
    TPreviewState& state = PreviewState();
    state.Active = true;
    state.Canvas = canvas;
    state.PageWidth = rect->Width();
    state.PageHeight = rect->Height();
    // The style fonts are made for the page's device, which measures the page's metrics too.
    int dpi = canvas->device() ? canvas->device()->logicalDpiY() : ScreenPixelsPerInch();
    TPagingState& paging = *FPaging;
    const bool inScope = paging.Depth > 0;
    bool result = false;
    TScopeGuard printing([&] {
        PreviewState().Active = false;
        if (!inScope) {
            FSettings->PrintFonts = 0;
            endPrinting();
        }
    });
    if (!inScope || !paging.Measured || paging.PixelsPerInch != dpi || paging.PageWidth != state.PageWidth ||
        paging.PageHeight != state.PageHeight) {
        FSettings->PrintFonts = 1;
        FSettings->PrinterPixelsPerInch = dpi;
        UpdateMetrics();
        FSettings->RebuildFontCache();
        paging.Measured = inScope;
        paging.PixelsPerInch = dpi;
        paging.PageWidth = state.PageWidth;
        paging.PageHeight = state.PageHeight;
    }
    canvas->fillRect(0, 0, state.PageWidth, state.PageHeight, Qt::white);
    // The page kept from the last call is where this one goes on from, while it still holds.
    TPagingState::TKey key{*rect,
                           FView.LineHeight,
                           FView.CharWidth,
                           FSettings->Options,
                           {},
                           FLayoutGeneration,
                           FTextLength,
                           static_cast<bool>(OnPrintHeaderFooter)};
    key.TabColumns.push_back(FSettings->TabDefault);
    for (int i = 0; i < TSM_Settings::kTabStopCount; ++i)
        key.TabColumns.push_back(FSettings->GetTabColumn(i));
    if (!(key == paging.Key)) {
        paging.Key = std::move(key);
        paging.Next = TPageStart{};
    }
    TPaintContext context;
    context.Area = *rect;
    context.Canvas = canvas->device();
    context.DC = canvas;
    context.PageMode = 1;
    context.Printing = 1;
    context.First = pageNo;
    context.Last = pageNo;
    context.Resume = &paging.Next;
    PaintLines(*this, context);
    result = FTextLength > 0 && context.PageNo > 0;
    printing.End();
    return result;
}

TScopeGuard TCustomCodeMemo::PagingScope()
{
    ++FPaging->Depth;
    return TScopeGuard([this] {
        TPagingState& paging = *FPaging;
        if (--paging.Depth > 0)
            return;
        const bool measured = std::exchange(paging.Measured, false);
        FSettings->PrintFonts = 0;
        if (measured)
            endPrinting();
    });
}

void TCustomCodeMemo::notifyChange()
{
    // Records the kept page start points into may be gone.
    FPaging->Next = TPageStart{};
    Change();
}

void TCustomCodeMemo::endPrinting()
{
    UpdateMetrics();
    FSettings->RebuildFontCache();
    FFullRepaint = true;
    Change();
    Paint();
}
