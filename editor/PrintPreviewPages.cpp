// The editor's pages in the print preview component.
#include "editor/PrintPreviewPages.h"

#include "editor/CodeMemo.h"
#include "editor/PageSetup.h"
#include "platform/Cursors.h"
#include "platform/Printer.h"
#include "platform/core/ScopeGuard.h"

void BuildPages(TPreviewPrinter& preview, TCustomCodeMemo& editor)
{
    // The busy cursor also covers the editor going back to the screen's metrics at the end.
    TBusyCursor busy;
    // The editor stays set up for the pages until the last is built, and each page goes on from the
    // one before.
    TScopeGuard paging = editor.PagingScope();
    preview.BuildPages([&editor](QPainter* canvas, const TRect* rect, int pageNo) {
        return editor.PrintPage(canvas, rect, pageNo);
    });
}

void SetUpPreview(TPreviewPrinter& preview, TCustomCodeMemo& editor)
{
    preview.ShowGrid = false;
    preview.ZoomOption = zoFitToPage;
    // Printed from the preview, the job is titled as the editor's own printing titles it.
    preview.Title = editor.DocumentName();
    TFont body;
    body.SetName(editor.FontName());
    body.SetSize(editor.FontSize());
    body.SetCharset(editor.FontCharset());
    TTextOptions& options = preview.TextOptions();
    options.SetBodyFont(body);
    // The editor's page setup, on the printer and in the options: the pages are the printed pages.
    const TPageSetup& setup = editor.PageSetup();
    ApplyPageSetup(Printer(), setup);
    options.MarginLeft = TPageMargins::Inches(setup.Margins.Left);
    options.MarginTop = TPageMargins::Inches(setup.Margins.Top);
    options.MarginRight = TPageMargins::Inches(setup.Margins.Right);
    options.MarginBottom = TPageMargins::Inches(setup.Margins.Bottom);
    preview.Orientation = setup.Landscape ? poLandscape : poPortrait;
}

void PreviewEditor(TCustomCodeMemo& editor, QWidget* owner)
{
    TPreviewPrinter preview;
    SetUpPreview(preview, editor);
    BuildPages(preview, editor);
    preview.Preview(owner);
}
