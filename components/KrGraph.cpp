// The Qt side of the graph routines: a bitmap's pixels and format, the system's 1- and 4-bit conversion.
#include "components/KrGraph.h"

#include <QImage>

#include "components/VCLUtils.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kInvalidGraphicText = 65230;

// The colours a 4-bit device palette holds.
const QList<QRgb>& vgaColors()
{
    static const QList<QRgb> colors = {
        qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
        qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(128, 128, 128),
        qRgb(192, 192, 192), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return colors;
}

// An indexed or monochrome picture as indices and its own colour table.
TIndexedImage indexedOf(const QImage& image)
{
    TIndexedImage result;
    result.Width = image.width();
    result.Height = image.height();
    for (QRgb c : image.colorTable())
        result.Palette.push_back({static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)),
                                  static_cast<uint8_t>(qBlue(c))});
    result.Indices.resize(static_cast<size_t>(result.Width) * result.Height);
    for (int y = 0; y < result.Height; ++y)
        for (int x = 0; x < result.Width; ++x)
            result.Indices[static_cast<size_t>(y) * result.Width + x] = static_cast<uint8_t>(image.pixelIndex(x, y));
    return result;
}

// The conversion the system makes for 1 and 4 bits: nearest colours of the device palette.
TIndexedImage systemConversion(const QImage& bitmap, int bitCount)
{
    const QList<QRgb> colors = bitCount == 1 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)} : vgaColors();
    return indexedOf(bitmap.convertToFormat(QImage::Format_Indexed8, colors, Qt::ThresholdDither));
}

std::unique_ptr<TMemoryStream> streamOf(const std::vector<uint8_t>& bytes)
{
    auto stream = std::make_unique<TMemoryStream>();
    stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream->SetPosition(0);
    return stream;
}

std::vector<uint8_t> savedAsItIs(const QImage& bitmap, TPixelFormat format)
{
    const int bits = BitCountOf(format);
    if (bits >= 24)
        return RgbBitmapFile(RgbImageOf(bitmap), bits);
    return IndexedBitmapFile(indexedOf(bitmap), bits);
}

} // namespace

TPixelFormat GetBitmapPixelFormat(const QImage& bitmap)
{
    switch (bitmap.format()) {
    case QImage::Format_Invalid: return pfDevice;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB: return pf1bit;
    case QImage::Format_Indexed8: return bitmap.colorCount() <= 16 ? pf4bit : pf8bit;
    case QImage::Format_RGB555: return pf15bit;
    case QImage::Format_RGB16: return pf16bit;
    case QImage::Format_RGB888:
    case QImage::Format_BGR888: return pf24bit;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
    case QImage::Format_RGBX8888:
    case QImage::Format_RGBA8888:
    case QImage::Format_RGBA8888_Premultiplied: return pf32bit;
    default: return pfCustom;
    }
}

TRgbImage RgbImageOf(const QImage& bitmap)
{
    const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB888);
    TRgbImage result(rgb.width(), rgb.height());
    const size_t rowBytes = static_cast<size_t>(result.Width) * 3;
    for (int y = 0; y < result.Height; ++y)
        std::copy_n(rgb.constScanLine(y), rowBytes, result.Pixels.begin() + static_cast<ptrdiff_t>(y * rowBytes));
    return result;
}

std::unique_ptr<TMemoryStream> BitmapToMemoryStream(const QImage& bitmap, TPixelFormat format,
                                                    TReductionMethod method)
{
    if (bitmap.isNull())
        throw EInvalidGraphic(LoadResString(kInvalidGraphicText));
    const int bits = BitCountOf(format);
    if (bits != 0 && format == GetBitmapPixelFormat(bitmap) && method != rmGray)
        return streamOf(savedAsItIs(bitmap, format));
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
        NotImplemented();
    if (bits == 1 || bits == 4)
        return streamOf(IndexedBitmapFile(systemConversion(bitmap, bits), bits));
    TRgbImage rgb = RgbImageOf(bitmap);
    if (bits == 8)
        return streamOf(IndexedBitmapFile(ReduceColors(rgb, method), 8));
    if (method == rmGray) {
        const TIndexedImage gray = ReduceColors(rgb, rmGray);
        for (size_t i = 0; i < gray.Indices.size(); ++i)
            std::fill_n(&rgb.Pixels[i * 3], 3, gray.Indices[i]);
    }
    return streamOf(RgbBitmapFile(rgb, 24));
}

std::unique_ptr<TMemoryStream> BitmapToMemory(const QImage& bitmap, int colors)
{
    const TPixelFormat format = colors <= 2 ? pf1bit : colors <= 16 ? pf4bit : colors <= 256 ? pf8bit : pf24bit;
    return BitmapToMemoryStream(bitmap, format, DefaultReductionMethod);
}
