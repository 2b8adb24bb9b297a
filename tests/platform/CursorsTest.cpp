// The pointer table: system shapes by number, and shapes a program registers and draws on first use.
#include <QApplication>
#include <QCursor>
#include <QPixmap>
#include <QWidget>
#include <gtest/gtest.h>
#include <stdexcept>

#include "platform/Cursors.h"
#include "platform/MessageBox.h"
#include "support/HookWhile.h"

namespace {

int gDrawn = 0;

QCursor drawSquare()
{
    ++gDrawn;
    QPixmap square(8, 8);
    square.fill(Qt::black);
    return QCursor(square, 3, 4);
}

} // namespace

TEST(Cursors, RegisteredShapesAreDrawnOnceAndOthersFallBackToTheSystem)
{
    constexpr TCursor kSquare = 20001;
    EXPECT_EQ(CursorOf(kSquare).shape(), Qt::ArrowCursor);
    EXPECT_EQ(CursorOf(crHandPoint).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(CursorOf(crIBeam).shape(), Qt::IBeamCursor);

    RegisterCursor(kSquare, drawSquare);
    EXPECT_EQ(gDrawn, 0);
    QCursor first = CursorOf(kSquare);
    QCursor again = CursorOf(kSquare);
    EXPECT_EQ(gDrawn, 1);
    EXPECT_EQ(first.shape(), Qt::BitmapCursor);
    EXPECT_EQ(first.hotSpot(), QPoint(3, 4));
    EXPECT_EQ(again.pixmap().size(), QSize(8, 8));

    // Registering again replaces the shape, which is drawn anew.
    RegisterCursor(kSquare, drawSquare);
    CursorOf(kSquare);
    EXPECT_EQ(gDrawn, 2);
    RegisterCursor(kSquare, nullptr);
    EXPECT_EQ(CursorOf(kSquare).shape(), Qt::ArrowCursor);
}

TEST(Cursors, BusyCursorsStackAndEndWithTheirScope)
{
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        TBusyCursor outer;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        try {
            TBusyCursor inner;
            throw std::runtime_error("stop");
        } catch (const std::runtime_error&) {
        }
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(Cursors, AQuestionInABusyOperationShowsTheNormalPointerOverWindowsThatPaint)
{
    QWidget held;
    QWidget other;
    held.show();
    other.show();
    std::vector<std::pair<const QCursor*, bool>> asked;
    {
        TBusyCursor busy;
        QApplication::setOverrideCursor(Qt::SizeAllCursor);
        held.setUpdatesEnabled(false);
        {
            const THookWhile<TMessageBoxHook, &SetMessageBoxHook> answer(
                [&](const std::string&, const std::string&, unsigned) {
                    asked.emplace_back(QApplication::overrideCursor(), held.updatesEnabled() && other.updatesEnabled());
                    return IDOK;
                });
            MessageBox(nullptr, "?", {}, MB_OK);
        }
        // Both come back as they were, in their order.
        EXPECT_FALSE(held.updatesEnabled());
        EXPECT_TRUE(other.updatesEnabled());
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::SizeAllCursor);
        QApplication::restoreOverrideCursor();
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        held.setUpdatesEnabled(true);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(asked, (std::vector<std::pair<const QCursor*, bool>>{{nullptr, true}}));
}
