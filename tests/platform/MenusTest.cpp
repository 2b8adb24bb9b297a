// Pop-up menus stand to their point by their alignment.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include "platform/Menus.h"

TEST(PopupMenu, TheAlignmentPutsTheLeftEdgeTheRightEdgeOrTheMiddleAtThePoint)
{
    TPopupMenu menu;
    menu.addAction("Primera opci\u00f3n larga");
    EXPECT_EQ(menu.Alignment(), paLeft);
    EXPECT_TRUE(menu.AutoPopup());
    EXPECT_EQ(menu.PopupComponent(), nullptr);
    const int width = menu.sizeHint().width();
    const QPoint at(300, 200);
    for (TPopupAlignment alignment : {paLeft, paRight, paCenter}) {
        menu.SetAlignment(alignment);
        QPoint shownAt(-1, -1);
        QTimer::singleShot(0, [&] {
            shownAt = menu.pos();
            menu.close();
        });
        menu.Popup(at.x(), at.y());
        const int expected = alignment == paLeft ? at.x() : alignment == paRight ? at.x() - width : at.x() - width / 2;
        EXPECT_EQ(shownAt, QPoint(expected, at.y())) << alignment;
    }
}
