// The shared hand cursors: their numbers, shapes and hot spots.
#include <QBitmap>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

#include "components/KrConst.h"

TEST(KrConst, TheHandsResolveToDrawnShapesWithTheirHotSpots)
{
    EXPECT_EQ(crHand, 14000);
    EXPECT_EQ(crDragHand, 14001);
    struct Expected {
        TCursor Cursor;
        QPoint HotSpot;
    };
    for (auto [cursor, hotSpot] : {Expected{crHand, QPoint(5, 0)}, Expected{crDragHand, QPoint(8, 8)}}) {
        QCursor shape = CursorOf(cursor);
        EXPECT_EQ(shape.shape(), Qt::BitmapCursor) << cursor;
        ASSERT_FALSE(shape.pixmap().isNull()) << cursor;
        EXPECT_EQ(shape.pixmap().size(), QSize(16, 16));
        EXPECT_EQ(shape.hotSpot(), hotSpot);
        // The point the pointer acts on is drawn, not see-through.
        QImage image = shape.pixmap().toImage();
        EXPECT_GT(qAlpha(image.pixel(hotSpot)), 0) << cursor;
    }
    EXPECT_NE(CursorOf(crHand).pixmap().toImage(), CursorOf(crDragHand).pixmap().toImage());
}
