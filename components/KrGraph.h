// Bitmaps turned into BMP files in memory at 1, 4, 8 or 24 bits, reducing colours by the chosen method.
#pragma once

#include <memory>

#include "components/core/KrGraph.h"

class QImage;
class TMemoryStream;

// The format a bitmap has: monochrome is 1 bit, an indexed image of at most 16 colours 4 bits (as a
// 4-bit file loads), other indexed images 8 bits, packed RGB 24 bits, RGB with a fourth byte 32 bits.
TPixelFormat GetBitmapPixelFormat(const QImage& bitmap);
// The bitmap as three bytes per pixel.
TRgbImage RgbImageOf(const QImage& bitmap);

// A new stream, at position 0, holding a BMP file of the bitmap in `format`. A null bitmap raises
// EInvalidGraphic; a bitmap already in the format is written as it is, except when greyed; formats
// other than 1, 4, 8 and 24 bits are not implemented. 8 bits reduce the colours by `method`, 24 bits
// keep them (greyed by rmGray).
std::unique_ptr<TMemoryStream> BitmapToMemoryStream(const QImage& bitmap, TPixelFormat format,
                                                    TReductionMethod method);
// The format for the colour count (up to 2: 1 bit, up to 16: 4, up to 256: 8, more: 24) with
// DefaultReductionMethod.
std::unique_ptr<TMemoryStream> BitmapToMemory(const QImage& bitmap, int colors);
