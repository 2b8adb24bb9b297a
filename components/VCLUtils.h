// Canvas, bitmap, message and command-line helpers: rectangles, transparent and disabled bitmaps, cell text, shortened captions; the command line's parameters come from components/core/CommandLine.h.
#pragma once

#include <string>

#include "components/core/CommandLine.h"
#include "platform/core/Classes.h"
#include "platform/core/Geometry.h"
#include "platform/core/Graphics.h"
#include "platform/core/SysUtils.h"

class QFont;
class QString;
class QImage;
class QPainter;
class QWidget;

// ---------------------------------------------------------------- geometry and colours

inline int WidthOf(const TRect& r) { return r.Right - r.Left; }
inline int HeightOf(const TRect& r) { return r.Bottom - r.Top; }
// Inside with all four edges included (unlike TRect::Contains, which leaves out Right and Bottom).
bool PointInRect(const TPoint& p, const TRect& r);
// The colour as RGB, marked as relative to the palette (0x02000000).
TColor PaletteColor(TColor color);

// ---------------------------------------------------------------- messages and texts

// Shows `width` nested frames of one pixel around the screen rectangle, each one pixel inside the
// last, over every window. Showing the same frames again takes them away, as an inverted frame drawn
// twice would. A width of 0 or less shows nothing.
void DrawInvertFrame(const TRect& screenRect, int width);
// Resets the pointer, tells the user that the function is not implemented yet, and ends the current
// operation with EAbort, which the places that report errors let pass unseen.
[[noreturn]] void NotImplemented();
std::string ResStr(const std::string& text);
// Whether one of the program's windows is the active window.
bool IsForegroundTask();
// The text when it fits in `maxWidth` pixels in the font; otherwise the longest start of it, at least
// two characters shorter, followed by "...", that fits; "..." alone when none does.
std::string MinimizeText(const std::string& text, const QFont& font, int maxWidth);
// The same for a Qt string, whatever characters it holds.
QString MinimizeQString(const QString& text, const QFont& font, int maxWidth);

// ---------------------------------------------------------------- drawing

enum TVertAlignment { vaTopJustify, vaCenter, vaBottomJustify };

// Paints into the control's canvas what lies behind it: the parent's own background, then each
// visible sibling created before the control that overlaps it, each shifted to the control's
// coordinates and clipped to the control. Nothing for a control without a parent.
void CopyParentImage(QWidget* control, QPainter& canvas);

// Copies the source rectangle of `source` stretched onto the target rectangle, leaving the target
// visible where the source has the colour `transparent`.
void StretchBltTransparent(QPainter& canvas, int x, int y, int width, int height, const QImage& source, int srcX,
                           int srcY, int srcWidth, int srcHeight, TColor transparent);
// A width or height below 1 takes the bitmap's; a source rectangle without width or height takes the
// whole bitmap. clNone (0x1FFFFFFF) copies every pixel; clDefault (0x20000000) takes the colour of the
// bitmap's bottom-left pixel; a monochrome bitmap shows through its white.
void StretchBitmapRectTransparent(QPainter& canvas, int x, int y, int width, int height, const TRect& source,
                                  const QImage& bitmap, TColor transparent);
// The same at the size of the source rectangle.
void DrawBitmapRectTransparent(QPainter& canvas, int x, int y, const TRect& source, const QImage& bitmap,
                               TColor transparent);

// An embossed copy for a disabled look: every pixel not of the mask colour is drawn in the shadow
// colour, over the same shape in the highlight colour one pixel right and down (when asked for), on
// the back colour.
QImage CreateDisabledBitmapEx(const QImage& bitmap, TColor maskColor, TColor backColor, TColor highlightColor,
                              TColor shadowColor, bool drawHighlight);
// The button-face emboss: back clBtnFace, highlight clBtnHighlight, shadow clBtnShadow.
QImage CreateDisabledBitmap(const QImage& bitmap, TColor maskColor);
// The same emboss of an image-list image at (x, y) on the canvas, its shape taken from the image's
// mask: the pixels that are not fully transparent.
void ImageListDrawDisabled(const QImage& image, QPainter& canvas, int x, int y, TColor highlightColor,
                           TColor shadowColor, bool drawHighlight);
// 8 by 8 pixels of colour 1, with colour 2 where row and column are both even or both odd.
QImage CreateTwoColorsBrushPattern(TColor color1, TColor color2);

// Draws the text in the rectangle on the canvas's brush, in its font and pen colour, `topOffset` pixels
// below the top: left aligned at `leftOffset`, right aligned 3 pixels short of the right edge, or
// centred. A text with a carriage return, or with word wrap, is laid out in the rectangle instead.
void DrawCellTextEx(QPainter& canvas, const TRect& rect, int leftOffset, bool wordWrap, TAlignment alignment,
                    const std::string& text, int topOffset);
// A grid cell's text: 2 pixels from the left, placed vertically by `vertAlignment`, wrapped when
// centred.
void DrawCellText(QPainter& canvas, const std::string& text, const TRect& rect, TAlignment alignment,
                  TVertAlignment vertAlignment);
