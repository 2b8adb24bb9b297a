// The speed bar's own pointer handling: dragging it to another edge of its parent with an outline, and resizing it by whole rows in edit mode.
#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

#include "components/KrProps.h"
#include "support/MouseEvents.h"
#include "toolbars/SpeedBar.h"

namespace {

// A shown parent of 400 x 300 with a bpAuto bar on its top edge.
struct TDockedBar {
    QWidget parent;
    TSpeedBar* bar;
    std::vector<TAlign> asked;
    int moved = 0;

    TDockedBar()
    {
        parent.setGeometry(0, 0, 400, 300);
        bar = new TSpeedBar(&parent);
        bar->OnPosChanged = [this](TSpeedBar*) { ++moved; };
        parent.show();
        QApplication::processEvents();
    }
    // A press at (50, 10) of the bar and a move to the parent's point `to`, left pressed.
    void pressAndMove(QPoint to)
    {
        SendMouse(*bar, QEvent::MouseButtonPress, QPoint(50, 10));
        MoveMouse(*bar, bar->mapFrom(&parent, to), Qt::LeftButton);
    }
    void release(QPoint to) { SendMouse(*bar, QEvent::MouseButtonRelease, bar->mapFrom(&parent, to)); }
    QRect screenRect() const { return QRect(bar->mapToGlobal(QPoint(0, 0)), bar->size()); }
};

int framesAt(const QRect& where)
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->geometry() == where)
            ++count;
    return count;
}

} // namespace

TEST(SpeedBarDock, TheEdgeIsTheTriangleBetweenTheParentsDiagonals)
{
    const std::tuple<int, int, TSpeedbarEdge> points[] = {
        {200, 10, seTop},   {200, 290, seBottom}, {10, 150, seLeft},  {390, 150, seRight},
        {0, 0, seLeft},     {399, 0, seTop},      {0, 299, seLeft},   {200, 149, seTop},
    };
    for (auto [x, y, edge] : points)
        EXPECT_EQ(SpeedbarEdgeAt(x, y, 400, 300, seLeft), edge) << x << "," << y;
    // A parent without area keeps the bar where it is.
    EXPECT_EQ(SpeedbarEdgeAt(10, 10, 0, 300, seRight), seRight);
    EXPECT_EQ(SpeedbarEdgeAt(10, 10, 400, 0, seLeft), seLeft);

    // Dropped in each triangle, the bar takes that edge and tells its owner.
    const std::pair<QPoint, TAlign> drops[] = {
        {QPoint(200, 290), alBottom}, {QPoint(10, 150), alLeft}, {QPoint(390, 150), alRight}, {QPoint(200, 5), alTop}};
    for (auto [point, align] : drops) {
        TDockedBar d;
        d.bar->SetAlign(align == alTop ? alBottom : alTop);
        d.moved = 0;
        d.pressAndMove(point);
        d.release(point);
        EXPECT_EQ(d.bar->Align(), align);
        EXPECT_EQ(d.moved, 1);
        EXPECT_FALSE(d.bar->DraggingBar());
        EXPECT_TRUE(d.bar->DragOutline().isNull());
    }
}

TEST(SpeedBarDock, TheOutlineComesAfterFivePixelsAndFollowsTheAcceptedEdge)
{
    TDockedBar d;
    const QRect start = d.screenRect();
    SendMouse(*d.bar, QEvent::MouseButtonPress, QPoint(50, 10));
    MoveMouse(*d.bar, QPoint(54, 14), Qt::LeftButton);
    EXPECT_FALSE(d.bar->DraggingBar());
    EXPECT_TRUE(d.bar->DragOutline().isNull());
    MoveMouse(*d.bar, QPoint(55, 10), Qt::LeftButton);
    EXPECT_TRUE(d.bar->DraggingBar());
    EXPECT_EQ(d.bar->DragOutline(), start);
    EXPECT_EQ(framesAt(start), 1);
    // Over the left triangle: a strip of the bar's thickness down the parent's left edge.
    MoveMouse(*d.bar, d.bar->mapFrom(&d.parent, QPoint(10, 150)), Qt::LeftButton);
    const QRect left(d.parent.mapToGlobal(QPoint(0, 0)), QSize(d.bar->height(), 300));
    EXPECT_EQ(d.bar->DragOutline(), left);
    EXPECT_EQ(framesAt(start), 0);
    EXPECT_EQ(framesAt(left), 1);
    d.release(QPoint(10, 150));
    EXPECT_EQ(framesAt(left), 0);
    EXPECT_EQ(d.bar->Align(), alLeft);
    EXPECT_EQ(d.bar->Orientation(), boVertical);

    // A bar refused every edge stays, and so does its outline.
    TDockedBar r;
    r.bar->OnApplyAlign = [&](TSpeedBar*, TAlign align, bool& apply) {
        r.asked.push_back(align);
        apply = false;
    };
    const QRect own = r.screenRect();
    r.pressAndMove(QPoint(390, 150));
    EXPECT_EQ(r.bar->DragOutline(), own);
    r.release(QPoint(390, 150));
    EXPECT_EQ(r.asked, (std::vector<TAlign>{alRight, alRight}));
    EXPECT_EQ(r.bar->Align(), alTop);
    EXPECT_EQ(framesAt(own), 0);

    // Without sbAllowDrag the bar stays put.
    TDockedBar fixed;
    fixed.bar->SetOptions(sbGrayedBtns);
    fixed.pressAndMove(QPoint(10, 150));
    EXPECT_FALSE(fixed.bar->DraggingBar());
    fixed.release(QPoint(10, 150));
    EXPECT_EQ(fixed.bar->Align(), alTop);
    EXPECT_EQ(fixed.moved, 0);
}

TEST(SpeedBarDock, TheOutlineLeavesOutTheBarsThatHoldTheirEdgesFirst)
{
    TDockedBar d;
    auto* first = new TSpeedBar(&d.parent);
    first->SetBarSize(400, 40);
    first->show();
    d.bar->SetAlign(alBottom);
    // Over the left triangle the strip starts under the top bar, which comes before the left edge.
    d.pressAndMove(QPoint(10, 150));
    EXPECT_EQ(d.bar->DragOutline(), QRect(d.parent.mapToGlobal(QPoint(0, 40)), QSize(d.bar->height(), 260)));
    // Over the top: the top bar lies before this one on that edge, so the strip is under it.
    MoveMouse(*d.bar, d.bar->mapFrom(&d.parent, QPoint(200, 60)), Qt::LeftButton);
    EXPECT_EQ(d.bar->DragOutline(), QRect(d.parent.mapToGlobal(QPoint(0, 40)), QSize(400, d.bar->height())));
    d.release(QPoint(200, 60));
    EXPECT_EQ(d.bar->Align(), alTop);
}

TEST(SpeedBarDock, AnEditedBarIsResizedByWholeRowsFromItsSizingEdge)
{
    const TSpeedbarMetrics m{24, 22, 4, 4};
    // Top, pointer at y = 60: d = 52, two rows of 22 and the offsets: 52.
    EXPECT_EQ(SpeedbarResizedThickness(seTop, 10, 60, 400, 30, m, 300), 52);
    EXPECT_EQ(SpeedbarResizedThickness(seTop, 10, 60, 400, 30, m, 40), 40);
    EXPECT_EQ(SpeedbarResizedThickness(seTop, 10, 3, 400, 30, m, 300), 30);
    EXPECT_EQ(SpeedbarResizedThickness(seBottom, 10, -40, 400, 30, m, 300), 52);
    EXPECT_EQ(SpeedbarResizedThickness(seBottom, 10, -70, 400, 30, m, 300), 96);
    EXPECT_EQ(SpeedbarResizedThickness(seLeft, 75, 10, 32, 300, m, 300), 56);
    EXPECT_EQ(SpeedbarResizedThickness(seRight, -30, 10, 32, 300, m, 300), 56);
    EXPECT_EQ(SpeedbarResizedThickness(seTop, 0, 2000000000, 400, 30, m, 300), 300);
    const std::tuple<TSpeedbarEdge, int, int, bool> zones[] = {
        {seTop, 1, 27, true},    {seTop, 1, 26, false},  {seTop, 400, 34, true},  {seTop, 0, 30, false},
        {seTop, 10, 35, false},  {seBottom, 5, -3, true}, {seBottom, 5, 4, true}, {seBottom, 5, 5, false},
        {seBottom, 5, -4, false}, {seLeft, 29, 5, true},  {seLeft, 37, 5, false}, {seRight, -3, 5, true},
        {seRight, 5, 5, false},  {seRight, 0, 0, false},
    };
    for (auto [edge, x, y, on] : zones)
        EXPECT_EQ(SpeedbarOnSizingEdge(edge, x, y, 400 * (edge <= seBottom) + 32 * (edge > seBottom),
                                       30 * (edge <= seBottom) + 300 * (edge > seBottom)),
                  on)
            << edge << ": " << x << "," << y;

    TDockedBar d;
    d.bar->SetOptions(sbAllowResize);
    d.bar->SetBtnHeight(22);
    d.bar->SetBtnOffsetVert(4);
    const int edgeY = d.bar->height() - 1;
    ASSERT_EQ(d.bar->height(), 30);
    // Outside edit mode the sizing edge is plain bar.
    MoveMouse(*d.bar, QPoint(50, edgeY));
    EXPECT_FALSE(d.bar->testAttribute(Qt::WA_SetCursor));
    SendMouse(*d.bar, QEvent::MouseButtonPress, QPoint(50, edgeY));
    EXPECT_FALSE(d.bar->ResizingBar());
    SendMouse(*d.bar, QEvent::MouseButtonRelease, QPoint(50, edgeY));

    QWidget editor;
    d.bar->SetEditing(&editor);
    MoveMouse(*d.bar, QPoint(50, edgeY));
    EXPECT_EQ(d.bar->cursor().shape(), Qt::SizeVerCursor);
    MoveMouse(*d.bar, QPoint(50, 10));
    EXPECT_FALSE(d.bar->testAttribute(Qt::WA_SetCursor));
    SendMouse(*d.bar, QEvent::MouseButtonPress, QPoint(50, edgeY));
    EXPECT_TRUE(d.bar->ResizingBar());
    MoveMouse(*d.bar, QPoint(50, 60), Qt::LeftButton);
    EXPECT_EQ(d.bar->height(), 52);
    // Beyond the parent the bar keeps its size.
    MoveMouse(*d.bar, QPoint(50, 900), Qt::LeftButton);
    EXPECT_EQ(d.bar->height(), 52);
    SendMouse(*d.bar, QEvent::MouseButtonRelease, QPoint(50, 60));
    EXPECT_FALSE(d.bar->ResizingBar());
    d.bar->SetEditing(nullptr);

    // A low parent holds the bar to its height.
    d.parent.resize(400, 40);
    d.bar->SetEditing(&editor);
    SendMouse(*d.bar, QEvent::MouseButtonPress, QPoint(50, d.bar->height() - 1));
    MoveMouse(*d.bar, QPoint(50, 36), Qt::LeftButton);
    EXPECT_EQ(d.bar->height(), 30);
    SendMouse(*d.bar, QEvent::MouseButtonRelease, QPoint(50, 36));
    d.bar->SetEditing(nullptr);
}

TEST(SpeedBarDock, TheBarsWidthIsAStoredPropertyOfItsOwn)
{
    QWidget parent;
    auto* bar = new TSpeedBar(&parent);
    bar->SetAlign(alLeft);
    const TPropInfoList list(bar->metaObject());
    const QMetaProperty* width = list.Find("Width");
    ASSERT_NE(width, nullptr);
    EXPECT_STREQ(width->name(), "Width");
    EXPECT_TRUE(width->isWritable());
    EXPECT_TRUE(width->write(bar, 77));
    EXPECT_EQ(bar->width(), 77);
    EXPECT_STREQ(list.Find("height")->name(), "height");
}
