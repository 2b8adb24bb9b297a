// The image list as the controls that show its images see it: images of one size, drawn by index.
#pragma once

class QPainter;

class TCustomImageList {
public:
    virtual ~TCustomImageList() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual int Count() const = 0;
    // Draws image `index` with its top-left corner at (x, y), greyed when not `enabled`; an index
    // out of range draws nothing.
    virtual void Draw(QPainter& painter, int x, int y, int index, bool enabled = true) const = 0;
};
