// The program's printer and the text area of a sheet.
#include "platform/Printer.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <cmath>

namespace {

// Letter at 300 dots per inch: the page of the PDF writer that stands in for a missing printer.
constexpr int kFallbackResolution = 300;

QPageSize& paperAsMade()
{
    static QPageSize paper;
    return paper;
}

} // namespace

bool PrinterInstalled()
{
    static const bool installed = !QPrinterInfo::defaultPrinter().isNull();
    return installed;
}

QPrinter& Printer()
{
    // Made once and kept to the end of the program, like the system's printer it stands for.
    static QPrinter* printer = [] {
        auto* made = new QPrinter(QPrinter::HighResolution);
        if (!PrinterInstalled()) {
            made->setOutputFormat(QPrinter::PdfFormat);
            made->setResolution(kFallbackResolution);
            made->setPageSize(QPageSize(QPageSize::Letter));
            made->setFullPage(true);
            made->setPageMargins(QMarginsF(0, 0, 0, 0));
        }
        paperAsMade() = made->pageLayout().pageSize();
        return made;
    }();
    return *printer;
}

QPageSize PrinterPaperAsMade()
{
    Printer();
    return paperAsMade();
}

TRect MarginRect(int width, int height, int pixelsPerInchX, int pixelsPerInchY, double left, double top, double right,
                 double bottom)
{
    auto across = [&](double inches) { return static_cast<int>(std::lround(pixelsPerInchX * inches)); };
    auto down = [&](double inches) { return static_cast<int>(std::lround(pixelsPerInchY * inches)); };
    return TRect{across(left), down(top), width - across(right), height - down(bottom)};
}
