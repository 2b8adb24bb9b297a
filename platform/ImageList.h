// TImageList: images of one size kept with their masks, added, replaced, deleted and drawn by index.
#pragma once

#include <QImage>
#include <vector>

#include "platform/CustomImageList.h"
#include "platform/core/Graphics.h"

// Each image is kept as a picture with its mask folded into the alpha channel. An image of another
// size is cut or padded (transparent) to the list's size, as a bitmap blitted into the list's strip
// would be.
class TImageList : public TCustomImageList {
public:
    TImageList(int width, int height);

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    int Count() const override { return static_cast<int>(FImages.size()); }
    void Draw(QPainter& painter, int x, int y, int index, bool enabled = true) const override;

    // `mask` is monochrome in meaning: its white (or any non-black) pixels are transparent, black ones
    // show the image; a null mask shows every pixel. Returns the new image's index.
    int Add(const QImage& image, const QImage& mask);
    // The pixels of `maskColor` (a TColor, system colours resolved) are transparent.
    int AddMasked(const QImage& image, TColor maskColor);
    // Out-of-range indexes change nothing.
    void Replace(int index, const QImage& image, const QImage& mask);
    void ReplaceMasked(int index, const QImage& image, TColor maskColor);
    // Later images move down by one.
    void Delete(int index);
    void Clear();

    // The image with its transparency; a null image for an index out of range.
    QImage Image(int index) const;
    // The mask as a black-and-white picture: black where the image shows, white where it does not.
    QImage Mask(int index) const;
    // Draws the mask of the image (black where it shows, white elsewhere), as the list's mask style does.
    void DrawMask(QPainter& painter, int x, int y, int index) const;

private:
    QImage fitted(const QImage& image, const QImage& mask) const;

    int FWidth;
    int FHeight;
    std::vector<QImage> FImages;
};
