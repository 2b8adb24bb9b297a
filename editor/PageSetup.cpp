// The page setup record on the printer, and the text area its margins leave on a sheet.
#include "editor/PageSetup.h"

#include <QPageLayout>
#include <QPrinter>

TPageSetup DefaultPageSetup()
{
    TPageSetup setup;
    // The printer's own paper: an editor reads its page setup when it first needs it, after others
    // may have put theirs on the shared printer.
    const QPageSize paper = PrinterPaperAsMade();
    if (paper.isValid())
        setup.Paper = paper;
    return setup;
}

void ApplyPageSetup(QPrinter& printer, const TPageSetup& setup)
{
    const TPageMargins& m = setup.Margins;
    QPageLayout layout(setup.Paper, setup.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(m.Left / 100.0, m.Top / 100.0, m.Right / 100.0, m.Bottom / 100.0),
                       QPageLayout::Millimeter);
    // In full-page mode a layout takes any margins: they are the text's, not the printer's.
    layout.setMode(QPageLayout::FullPageMode);
    printer.setPageLayout(layout);
    printer.setFullPage(true);
}

TRect PageTextRect(QPrinter& printer, const TPageSetup& setup)
{
    const QRect sheet = printer.paperRect(QPrinter::DevicePixel).toRect();
    const TPageMargins& m = setup.Margins;
    return MarginRect(sheet.width(), sheet.height(), printer.logicalDpiX(), printer.logicalDpiY(),
                      TPageMargins::Inches(m.Left), TPageMargins::Inches(m.Top), TPageMargins::Inches(m.Right),
                      TPageMargins::Inches(m.Bottom));
}
