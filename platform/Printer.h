// The program's printer, made once for the whole run, and the text area that margins leave on a sheet.
#pragma once

#include <QPageSize>

#include "platform/core/Geometry.h"

class QPrinter;

// Whether the system has a default printer; asked once.
bool PrinterInstalled();
// The program's printer: the default one, or with none installed a PDF writer of 300 dots per inch
// on a Letter page, so that its page is the fallback print rectangle.
QPrinter& Printer();
// The paper of the program's printer as it was made, before any page setup was put on it.
QPageSize PrinterPaperAsMade();
// The text area of a sheet of `width` by `height` device pixels at the given resolution, inside
// margins given in inches. Printing and the print preview both find their text area here, so that
// they agree to the pixel.
TRect MarginRect(int width, int height, int pixelsPerInchX, int pixelsPerInchY, double left, double top, double right,
                 double bottom);
