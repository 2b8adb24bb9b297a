// Image lists on Qt: pictures with alpha standing for the masks.
#include "platform/ImageList.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "platform/GraphicsQt.h"

TImageList::TImageList(int width, int height) : FWidth(std::max(width, 0)), FHeight(std::max(height, 0)) {}

QImage TImageList::fitted(const QImage& image, const QImage& mask) const
{
    QImage result(FWidth, FHeight, QImage::Format_ARGB32);
    result.fill(Qt::transparent);
    if (image.isNull())
        return result;
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const QImage shape = mask.isNull() ? QImage() : mask.convertToFormat(QImage::Format_RGB32);
    const int width = std::min(FWidth, source.width());
    const int height = std::min(FHeight, source.height());
    // Both are 32 bits a pixel: the lines are read and written as they stand.
    for (int y = 0; y < height; ++y) {
        auto* to = reinterpret_cast<QRgb*>(result.scanLine(y));
        const auto* from = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        const auto* hiding = !shape.isNull() && y < shape.height() ? reinterpret_cast<const QRgb*>(shape.constScanLine(y)) : nullptr;
        const int hidingWidth = hiding ? std::min(width, shape.width()) : 0;
        for (int x = 0; x < width; ++x)
            if (x >= hidingWidth || (hiding[x] & 0xFFFFFF) == 0)
                to[x] = from[x];
    }
    return result;
}

int TImageList::Add(const QImage& image, const QImage& mask)
{
    FImages.push_back(fitted(image, mask));
    return Count() - 1;
}

int TImageList::AddMasked(const QImage& image, TColor maskColor)
{
    FImages.push_back(fitted(MaskedImage(image, ToQColor(maskColor).rgb()), {}));
    return Count() - 1;
}

void TImageList::Replace(int index, const QImage& image, const QImage& mask)
{
    if (index >= 0 && index < Count())
        FImages[index] = fitted(image, mask);
}

void TImageList::ReplaceMasked(int index, const QImage& image, TColor maskColor)
{
    if (index >= 0 && index < Count())
        FImages[index] = fitted(MaskedImage(image, ToQColor(maskColor).rgb()), {});
}

void TImageList::Delete(int index)
{
    if (index >= 0 && index < Count())
        FImages.erase(FImages.begin() + index);
}

void TImageList::Clear() { FImages.clear(); }

QImage TImageList::Image(int index) const
{
    return index >= 0 && index < Count() ? FImages[index] : QImage();
}

QImage TImageList::Mask(int index) const
{
    const QImage image = Image(index);
    if (image.isNull())
        return {};
    QImage mask(image.size(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            mask.setPixel(x, y, qAlpha(image.pixel(x, y)) != 0 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return mask;
}

void TImageList::Draw(QPainter& painter, int x, int y, int index, bool enabled) const
{
    if (index < 0 || index >= Count())
        return;
    if (enabled) {
        painter.drawImage(x, y, FImages[index]);
        return;
    }
    const QPixmap pixmap = QPixmap::fromImage(FImages[index]);
    painter.drawPixmap(x, y, QIcon(pixmap).pixmap(pixmap.size(), QIcon::Disabled));
}

void TImageList::DrawMask(QPainter& painter, int x, int y, int index) const
{
    const QImage mask = Mask(index);
    if (!mask.isNull())
        painter.drawImage(x, y, mask);
}
