// The shared hand cursors, drawn pixel by pixel and registered in the pointer table when the program starts.
#include "components/KrConst.h"

#include <QPixmap>
#include <array>

const TCursor crHand = 14000;
const TCursor crDragHand = 14001;

namespace {

constexpr int kCursorSize = 16;
using TCursorArt = std::array<const char*, kCursorSize>;

// '#' outline, 'o' fill, '.' see-through.
const TCursorArt kHandArt = {
    ".....##.........",
    "....#oo#........",
    "....#oo#........",
    "....#oo#........",
    "....#oo###......",
    "....#oo#oo###...",
    ".##.#oo#oo#oo##.",
    "#oo##oo#oo#oo#o#",
    "#ooo#oooooooooo#",
    ".#oo#oooooooooo#",
    ".#ooooooooooooo#",
    "..#oooooooooooo#",
    "..#ooooooooooo#.",
    "...#oooooooooo#.",
    "....#oooooooo#..",
    "....##########..",
};

// The same hand closed on what it drags.
const TCursorArt kDragHandArt = {
    "................",
    "................",
    "................",
    "....##.##.##....",
    "...#oo#oo#oo##..",
    "...#oo#oo#oo#o#.",
    "..##ooooooooo#o#",
    ".#o#ooooooooooo#",
    ".#ooooooooooooo#",
    "..#oooooooooooo#",
    "..#ooooooooooo#.",
    "...#oooooooooo#.",
    "....#oooooooo#..",
    "....##########..",
    "................",
    "................",
};

QCursor drawCursor(const TCursorArt& art, int hotX, int hotY)
{
    QImage image(kCursorSize, kCursorSize, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < kCursorSize; ++y)
        for (int x = 0; x < kCursorSize; ++x) {
            char c = art[static_cast<size_t>(y)][x];
            if (c == '#')
                image.setPixel(x, y, qRgb(0, 0, 0));
            else if (c == 'o')
                image.setPixel(x, y, qRgb(255, 255, 255));
        }
    return QCursor(QPixmap::fromImage(image), hotX, hotY);
}

// The finger's tip points.
QCursor drawHand() { return drawCursor(kHandArt, 5, 0); }
// A dragging hand holds its point in the middle of the fist.
QCursor drawDragHand() { return drawCursor(kDragHandArt, 8, 8); }

const bool kRegistered = [] {
    RegisterCursor(crHand, drawHand);
    RegisterCursor(crDragHand, drawDragHand);
    return true;
}();

} // namespace
