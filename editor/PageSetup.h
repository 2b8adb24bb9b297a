// The page setup: paper, orientation and margins as one record, put on the printer and turned into a page's text area.
#pragma once

#include <QPageSize>

#include "platform/Printer.h"
#include "platform/core/Geometry.h"

class QPrinter;

// Margins in hundredths of a millimetre (left, top, right, bottom), as the page setup dialog gives them.
struct TPageMargins {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    // A margin in inches, as the print preview takes it.
    static double Inches(int hundredthsOfMm) { return hundredthsOfMm / 2540.0; }
    bool operator==(const TPageMargins&) const = default;
};

// What a page setup chooses. Printing, the preview's pages and printing from the preview all take
// their sheet and their text area from one such record, so that the preview shows what prints.
struct TPageSetup {
    QPageSize Paper{QPageSize::Letter};
    bool Landscape = false;
    TPageMargins Margins;
};

// The record an editor starts with: the program's printer's paper, portrait, no margins.
TPageSetup DefaultPageSetup();
// Puts the record's paper, orientation and margins on the printer, which then paints on the whole
// sheet from its corner: the margins place the text, not the printer's origin, so that a page drawn
// for the sheet lands where it was laid out.
void ApplyPageSetup(QPrinter& printer, const TPageSetup& setup);
// The text area the record gives on the printer's sheet (after ApplyPageSetup).
TRect PageTextRect(QPrinter& printer, const TPageSetup& setup);
