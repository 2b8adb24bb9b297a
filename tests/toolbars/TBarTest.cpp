// Docks: their thickness and errors, docked windows in rows with their frames and handles, moving
// windows between docks and floating with synthetic mouse and key events, the double click, a flat
// button's menu beside a vertical dock, and the pixels of a form holding two docks.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

#include "components/ComponentTestSupport.h"
#include "platform/GraphicsQt.h"
#include "platform/Menus.h"
#include "platform/core/Exception.h"
#include "toolbars/TBar.h"
#include "toolbars/TBarCtls.h"

namespace {

// A shown form with a top and a left dock, at (50, 50) on the screen.
struct DockForm {
    QWidget form;
    TDockKt* top;
    TDockKt* left;
    DockForm()
    {
        form.setGeometry(50, 50, 400, 300);
        top = new TDockKt(&form, dpTop);
        left = new TDockKt(&form, dpLeft);
        form.show();
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
    }
    // A tool window of the given client size, docked at (row, pos) in `dock`, or floating at `at`.
    TToolWindowKt* Add(TDockKt* dock, int width, int height, int row = 0, int pos = -1, QPoint at = {500, 400})
    {
        auto* tool = new TToolWindowKt();
        tool->SetClientAreaWidth(width);
        tool->SetClientAreaHeight(height);
        tool->SetDockRow(row);
        tool->SetDockPos(pos);
        tool->SetFloatingPosition(TPoint{at.x(), at.y()});
        tool->SetParent(dock ? static_cast<QWidget*>(dock) : &form);
        QApplication::processEvents();
        return tool;
    }
};

// A left-button mouse event at a screen point, in the target's own coordinates.
void mouseAt(QWidget& target, QEvent::Type type, QPoint global, Qt::KeyboardModifiers modifiers = {})
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(target.mapFromGlobal(global)), QPointF(global), button, held, modifiers);
    QCoreApplication::sendEvent(&target, &event);
}

void key(QWidget& target, QEvent::Type type, int code)
{
    QKeyEvent event(type, code, type == QEvent::KeyPress ? Qt::ControlModifier : Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

QPoint screenOf(const QWidget& w, QPoint local = {}) { return w.mapToGlobal(local); }

template <class F>
std::string errorOf(F&& f)
{
    try {
        f();
    } catch (const EInvalidOperation& e) {
        return e.Message();
    }
    return "no error";
}

} // namespace

TEST(TBar, DockDefaultsThicknessAndErrors)
{
    DockForm f;
    TDockKt* dock = f.top;
    EXPECT_TRUE(dock->AllowDrag());
    EXPECT_TRUE(dock->BackgroundOnToolbars());
    EXPECT_FALSE(dock->BackgroundTransparent());
    EXPECT_TRUE(dock->BoundLines().Empty());
    EXPECT_EQ(dock->Color(), clBtnFace);
    EXPECT_FALSE(dock->FixAlign());
    EXPECT_FALSE(dock->LimitToOneRow());
    EXPECT_EQ(dock->PopupMenu(), nullptr);
    EXPECT_EQ(dock->Position(), dpTop);
    EXPECT_EQ(GetDockTypeOf(dock), dtTopBottom);
    EXPECT_EQ(GetDockTypeOf(f.left), dtLeftRight);
    EXPECT_EQ(GetDockTypeOf(static_cast<TDockKt*>(nullptr)), dtNotDocked);

    // Empty: nothing thick, a pixel with FixAlign; the docks share the form's edges.
    EXPECT_EQ(dock->geometry(), QRect(0, 0, 400, 0));
    EXPECT_EQ(f.left->geometry(), QRect(0, 0, 0, 300));
    dock->SetFixAlign(true);
    f.left->SetFixAlign(true);
    EXPECT_EQ(dock->geometry(), QRect(0, 0, 400, 1));
    EXPECT_EQ(f.left->geometry(), QRect(0, 1, 1, 299));
    // Bound lines take their pixels from the client area.
    dock->SetBoundLines({blTop, blBottom});
    dock->SetFixAlign(false);
    EXPECT_EQ(dock->height(), 0);

    // Errors, with their texts; the dock stays as it was.
    TToolWindowKt* tool = f.Add(dock, 40, 20);
    EXPECT_EQ(errorOf([&] { dock->SetPosition(dpBottom); }),
              "Cannot change Position of a TDockKt if it already contains controls");
    EXPECT_EQ(dock->Position(), dpTop);
    EXPECT_EQ(dock->ClientRect(), (TRect{0, 1, 400, dock->height() - 1}));
    TDockKt* loose = new TDockKt(nullptr, dpTop);
    EXPECT_EQ(errorOf([&] { loose->SetParent(tool); }),
              "A TDockKt control cannot be placed inside a tool window or another TDockKt");
    EXPECT_EQ(errorOf([&] { loose->SetParent(f.left); }),
              "A TDockKt control cannot be placed inside a tool window or another TDockKt");
    EXPECT_EQ(loose->parentWidget(), nullptr);
    loose->SetPosition(dpRight);
    EXPECT_EQ(loose->Position(), dpRight);
    delete loose;
}

TEST(TBar, DockedWindowsInRows)
{
    DockForm f;
    std::vector<std::string> heard;
    f.top->OnInsertRemoveBar = [&](QWidget*, bool inserting, TCustomToolWindowKt* bar) {
        heard.push_back(std::string(1, inserting ? '+' : '-').append(bar->objectName().toStdString()));
    };
    TToolWindowKt* a = f.Add(f.top, 60, 22, 0, 10);
    TToolWindowKt* b = f.Add(nullptr, 50, 16);
    b->setObjectName("b");
    b->SetDockPos(10);
    b->SetParent(f.top);
    EXPECT_EQ(heard, (std::vector<std::string>{"+", "+b"}));

    // The docked frame: 2 pixels, and the double handle of 9 on the left in a top dock.
    EXPECT_TRUE(a->Docked());
    EXPECT_EQ(a->DockedTo(), f.top);
    EXPECT_EQ(a->FrameSize(), (TRect{11, 2, 2, 2}));
    EXPECT_EQ(a->HitTest(TPoint{3, 3}), HTCLIENT) << "the handle answers as client";
    // Both at 10: one after the other; the row is as thick as a plus its frame.
    EXPECT_EQ(a->size(), QSize(73, 26));
    EXPECT_EQ(b->size(), QSize(63, 26));
    TToolWindowKt* firstInRow = f.top->DockList()[0] == a ? a : b;
    TToolWindowKt* secondInRow = firstInRow == a ? b : a;
    EXPECT_EQ(firstInRow->pos(), QPoint(10, 0));
    EXPECT_EQ(secondInRow->pos(), QPoint(10 + firstInRow->width(), 0));
    EXPECT_EQ(secondInRow->DockPos(), 10 + firstInRow->width());
    EXPECT_EQ(f.top->height(), 26);
    EXPECT_EQ(f.left->geometry(), QRect(0, 26, 0, 274)) << "the left dock starts below the top one";

    // In a left dock the handle lies across the top; a single handle is 6 pixels.
    TToolWindowKt* c = f.Add(f.left, 30, 40);
    EXPECT_EQ(c->FrameSize(), (TRect{2, 11, 2, 2}));
    c->SetDragHandleStyle(dhSingle);
    EXPECT_EQ(c->FrameSize(), (TRect{2, 8, 2, 2}));
    EXPECT_EQ(c->geometry(), QRect(0, 0, 34, 50));
    EXPECT_EQ(f.left->width(), 34);
    f.left->SetAllowDrag(false);
    EXPECT_EQ(c->FrameSize(), (TRect{2, 2, 2, 2}));
    EXPECT_EQ(c->height(), 44);
    // Bound lines: a pixel each off the client area, shadow on the left, light on the right.
    f.left->SetBoundLines({blLeft, blRight});
    EXPECT_EQ(c->pos(), QPoint(1, 0));
    EXPECT_EQ(f.left->width(), 36);
    const QImage lines = f.left->grab().toImage();
    EXPECT_EQ(lines.pixelColor(0, 60), ToQColor(clBtnShadow));
    EXPECT_EQ(lines.pixelColor(35, 60), ToQColor(clBtnHighlight));
    EXPECT_EQ(lines.pixelColor(20, 60), ToQColor(clBtnFace));

    // A full-size window on row 0 sends a and b to row 1 and spans the dock.
    TToolWindowKt* full = f.Add(f.top, 30, 10, 0, 200);
    full->SetFullSize(true);
    EXPECT_EQ(full->DockRow(), 0);
    EXPECT_EQ(a->DockRow(), 1);
    EXPECT_EQ(full->geometry(), QRect(0, 0, 400, 14));
    EXPECT_EQ(a->y(), 14);
    EXPECT_EQ(f.top->height(), 14 + 26);

    // Hidden, a window leaves its row and the rows close up; shown, it comes back.
    heard.clear();
    full->setVisible(false);
    EXPECT_EQ(a->DockRow(), 0);
    EXPECT_EQ(f.top->height(), 26);
    full->setVisible(true);
    EXPECT_EQ(f.top->DockList().size(), 3u);
    EXPECT_EQ(heard, (std::vector<std::string>{"-", "+"}));

    // The repaint of a docked frame is posted once, however often it is asked for.
    a->InvalidateDockedFrame();
    a->InvalidateDockedFrame();
    EXPECT_TRUE(a->FramePaintPending());
    QApplication::processEvents();
    EXPECT_FALSE(a->FramePaintPending());

    // Floated by DockedTo, the window leaves the dock, which thins again.
    full->SetDockedTo(nullptr);
    EXPECT_TRUE(full->Floating());
    EXPECT_EQ(f.top->DockList().size(), 2u);
    delete full;
    delete a; // leaving by destruction
    EXPECT_EQ(f.top->DockList(), std::vector<TCustomToolWindowKt*>{b});
}

TEST(TBar, MovingBetweenDocksAndFloating)
{
    DockForm f;
    TDockKt* bottom = new TDockKt(&f.form, dpBottom);
    TToolWindowKt* docked = f.Add(f.top, 60, 22, 0, 0);
    TToolWindowKt* tool = f.Add(nullptr, 80, 30, 0, -1, QPoint(300, 300));
    ASSERT_TRUE(tool->Floating());
    const TPoint border = GetWindowBorderSize(true);
    const QPoint grab(border.X + 20, border.Y + 4); // on the caption

    // Over the top dock's row: the outline is the docked size, drawn 1 pixel thick.
    mouseAt(*tool, QEvent::MouseButtonPress, screenOf(*tool, grab));
    const QPoint overRow = screenOf(*docked, QPoint(100, 2));
    mouseAt(*tool, QEvent::MouseMove, overRow);
    EXPECT_EQ(tool->LoopTarget(), f.top);
    EXPECT_EQ(tool->LoopOutlineWidth(), 1);
    EXPECT_EQ(tool->LoopOutline().Width(), 80 + 13);
    // Ctrl floats it at once, and releasing Ctrl docks it again.
    key(*tool, QEvent::KeyPress, Qt::Key_Control);
    EXPECT_EQ(tool->LoopTarget(), nullptr);
    EXPECT_EQ(tool->LoopOutlineWidth(), border.X);
    key(*tool, QEvent::KeyRelease, Qt::Key_Control);
    EXPECT_EQ(tool->LoopTarget(), f.top);
    int moves = 0;
    tool->OnMove = [&moves](TCustomToolWindowKt*) { ++moves; };
    mouseAt(*tool, QEvent::MouseButtonRelease, overRow);
    EXPECT_EQ(moves, 1);
    EXPECT_TRUE(tool->Docked());
    EXPECT_EQ(tool->DockedTo(), f.top);
    EXPECT_EQ(tool->DockRow(), 0);
    // Its place along the row: the outline's left, the grab point kept in proportion.
    const int floatingWidth = 80 + 2 * border.X;
    EXPECT_EQ(tool->x(), 100 - MulDiv(92, grab.x(), floatingWidth - 1));
    EXPECT_GE(tool->x(), docked->x() + docked->width());
    EXPECT_EQ(f.top->height(), 34);

    // Dragged by its handle to just above the dock, the outline centred near its top edge: a new row
    // before row 0.
    const QPoint handle(5, 10);
    mouseAt(*tool, QEvent::MouseButtonPress, screenOf(*tool, handle));
    mouseAt(*tool, QEvent::MouseMove, screenOf(*f.top, QPoint(150, -4)));
    mouseAt(*tool, QEvent::MouseButtonRelease, screenOf(*f.top, QPoint(150, -4)));
    EXPECT_EQ(tool->DockRow(), 0);
    EXPECT_EQ(docked->DockRow(), 1);
    EXPECT_EQ(tool->y(), 0);

    // Dragged with Ctrl held from the start, far into the form: it floats there.
    mouseAt(*tool, QEvent::MouseButtonPress, screenOf(*tool, handle), Qt::ControlModifier);
    mouseAt(*tool, QEvent::MouseMove, QPoint(250, 250));
    EXPECT_EQ(tool->LoopTarget(), nullptr);
    mouseAt(*tool, QEvent::MouseButtonRelease, QPoint(250, 250));
    EXPECT_TRUE(tool->Floating());
    EXPECT_EQ(f.top->DockList().size(), 1u);
    EXPECT_EQ(docked->DockRow(), 0) << "the row left empty closed up";

    // A dock that refuses passes the window on to the next: the left dock, then the bottom one.
    int asked = 0;
    f.top->OnRequestDock = [&](QWidget* sender, TCustomToolWindowKt* bar, bool& accept) {
        EXPECT_EQ(sender, f.top);
        EXPECT_EQ(bar, tool);
        ++asked;
        accept = false;
    };
    const QPoint corner = screenOf(*f.left, QPoint(2, 0));
    mouseAt(*tool, QEvent::MouseButtonPress, screenOf(*tool, grab));
    mouseAt(*tool, QEvent::MouseMove, corner);
    EXPECT_GT(asked, 0);
    EXPECT_EQ(tool->LoopTarget(), f.left);
    mouseAt(*tool, QEvent::MouseMove, screenOf(*bottom, QPoint(200, 0)));
    EXPECT_EQ(tool->LoopTarget(), bottom);
    f.left->OnRequestDock = [](QWidget*, TCustomToolWindowKt*, bool& accept) { accept = false; };
    mouseAt(*tool, QEvent::MouseMove, corner);
    EXPECT_EQ(tool->LoopTarget(), nullptr) << "nobody takes it";
    key(*tool, QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_TRUE(tool->Floating());

    // A dock the window may not go to is not tried.
    f.top->OnRequestDock = nullptr;
    tool->SetDockableTo({dpBottom});
    EXPECT_EQ(tool->BuildDockList(), std::vector<TDockKt*>{bottom});
    tool->SetDockableTo({dpTop, dpBottom, dpLeft, dpRight});
    EXPECT_EQ(tool->BuildDockList(), (std::vector<TDockKt*>{f.top, bottom, f.left}));
}

TEST(TBar, DoubleClickBetweenDockAndFloating)
{
    DockForm f;
    TToolWindowKt* first = f.Add(f.top, 60, 22, 0, 0);
    TToolWindowKt* tool = f.Add(f.top, 40, 22, 0, 100, QPoint(320, 260));
    tool->SetDefaultDock(f.top);
    auto doubleClick = [&](QPoint local) {
        mouseAt(*tool, QEvent::MouseButtonPress, screenOf(*tool, local));
        mouseAt(*tool, QEvent::MouseButtonRelease, screenOf(*tool, local));
        mouseAt(*tool, QEvent::MouseButtonDblClick, screenOf(*tool, local));
        mouseAt(*tool, QEvent::MouseButtonRelease, screenOf(*tool, local));
    };
    doubleClick(QPoint(4, 10));
    EXPECT_TRUE(tool->Floating());
    EXPECT_EQ(tool->pos(), QPoint(320, 260)) << "where it last floated";
    doubleClick(QPoint(GetWindowBorderSize(true).X + 8, GetWindowBorderSize(true).Y + 3));
    EXPECT_TRUE(tool->Docked());
    EXPECT_EQ(tool->DockRow(), 0);
    EXPECT_EQ(tool->DockPos(), 0) << "before every other window of row 0";
    EXPECT_EQ(first->DockPos(), tool->width());
    doubleClick(QPoint(4, 10));
    ASSERT_TRUE(tool->Floating());
    delete f.top;
    EXPECT_EQ(tool->DefaultDock(), nullptr) << "the default dock is forgotten when it goes";
    EXPECT_TRUE(tool->Floating());
    EXPECT_EQ(f.left->geometry(), QRect(0, 0, 0, 300)) << "the left dock takes the room";
}

TEST(TBar, FlatButtonMenuOpensBesideAVerticalDock)
{
    DockForm f;
    TDockKt* right = new TDockKt(&f.form, dpRight);
    TToolWindowKt* tool = f.Add(right, 30, 30);
    auto* button = new TToolbarButtonKt(tool);
    button->setGeometry(2, 11, 26, 22);
    button->show();
    TPopupMenu menu;
    menu.addAction("Uno");
    menu.addAction("Dos");
    button->SetDropdownMenu(&menu);
    auto openedAt = [&] {
        QPoint at;
        TPopupAlignment alignment = paCenter;
        const bool shown = WithPopupMenu([&] { mouseAt(*button, QEvent::MouseButtonPress, screenOf(*button, {5, 5})); },
                                         [&](QMenu& open) {
                                             at = open.pos();
                                             alignment = menu.Alignment();
                                             open.close();
                                         });
        mouseAt(*button, QEvent::MouseButtonRelease, screenOf(*button, {5, 5}));
        EXPECT_TRUE(shown);
        EXPECT_EQ(menu.Alignment(), paLeft) << "restored";
        return std::make_pair(at, alignment);
    };
    // Right dock: to the left of the button, its right edge at the button's left.
    auto [atRight, alignRight] = openedAt();
    EXPECT_EQ(alignRight, paRight);
    EXPECT_EQ(atRight, screenOf(*button) - QPoint(menu.sizeHint().width(), 0));
    // Left dock: right of the button.
    tool->SetParent(f.left);
    auto [atLeft, alignLeft] = openedAt();
    EXPECT_EQ(alignLeft, paLeft);
    EXPECT_EQ(atLeft, screenOf(*button, QPoint(button->width(), 0)));
    // Top dock: under it.
    tool->SetParent(f.top);
    EXPECT_EQ(openedAt().first, screenOf(*button, QPoint(0, button->height())));
}

TEST(TBar, FormWithTwoDocksPaintsHandlesAndBackground)
{
    DockForm f;
    // A 4 x 4 background: red, its bottom-left pixel blue.
    QImage tile(4, 4, QImage::Format_RGB32);
    tile.fill(QColor(200, 0, 0));
    tile.setPixelColor(0, 3, QColor(0, 0, 200));
    f.top->SetBackground(tile);
    f.top->SetBackgroundOnToolbars(false);
    TToolWindowKt* one = f.Add(f.top, 60, 22, 0, 0);
    TToolWindowKt* two = f.Add(f.top, 40, 22, 0, 100);
    two->SetDragHandleStyle(dhSingle);
    TToolWindowKt* three = f.Add(f.left, 30, 40);
    QApplication::processEvents();
    const QImage shot = f.form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor face = ToQColor(clBtnFace), light = ToQColor(clBtnHighlight), shadow = ToQColor(clBtnShadow);

    // The top dock's background behind its windows, tiled from its origin.
    EXPECT_EQ(shot.pixelColor(80, 0), QColor(200, 0, 0));
    EXPECT_EQ(shot.pixelColor(80, 3), QColor(0, 0, 200));
    EXPECT_EQ(shot.pixelColor(84, 7), QColor(0, 0, 200));
    EXPECT_EQ(shot.pixelColor(85, 7), QColor(200, 0, 0));
    // Transparent: the bottom-left colour turns into the dock's colour.
    f.top->SetBackgroundTransparent(true);
    const QImage clear = f.form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(clear.pixelColor(84, 7), face);
    EXPECT_EQ(clear.pixelColor(85, 7), QColor(200, 0, 0));

    // Window one (double handle, top dock): raised edge, gap, two bars with their light corner pixel.
    const QPoint o = one->pos();
    EXPECT_EQ(shot.pixelColor(o + QPoint(0, 5)), light) << "raised inner edge, left";
    EXPECT_EQ(shot.pixelColor(o + QPoint(one->width() - 1, 5)), shadow) << "raised inner edge, right";
    EXPECT_EQ(shot.pixelColor(o + QPoint(2, 5)), face) << "gap";
    EXPECT_EQ(shot.pixelColor(o + QPoint(4, 5)), light) << "first bar's left";
    EXPECT_EQ(shot.pixelColor(o + QPoint(6, 5)), shadow) << "first bar's right";
    EXPECT_EQ(shot.pixelColor(o + QPoint(7, 5)), light) << "second bar's left";
    EXPECT_EQ(shot.pixelColor(o + QPoint(9, 5)), shadow) << "second bar's right";
    EXPECT_EQ(shot.pixelColor(o + QPoint(10, 5)), face) << "gap after the bars";
    EXPECT_EQ(shot.pixelColor(o + QPoint(6, 2 + 22 - 1)), shadow) << "bar's bottom";
    EXPECT_EQ(shot.pixelColor(o + QPoint(4, 2 + 22 - 1)), light) << "bar's bottom-left pixel";
    // Window two (single handle): one bar, then the gap.
    const QPoint t = two->pos();
    EXPECT_EQ(shot.pixelColor(t + QPoint(6, 5)), shadow);
    EXPECT_EQ(shot.pixelColor(t + QPoint(7, 5)), face);
    // Window three (left dock): the bars run across its top, their top-right pixel light.
    const QPoint l = f.left->pos() + three->pos();
    EXPECT_EQ(l, QPoint(0, 26));
    EXPECT_EQ(shot.pixelColor(l + QPoint(10, 4)), light);
    EXPECT_EQ(shot.pixelColor(l + QPoint(10, 6)), shadow);
    EXPECT_EQ(shot.pixelColor(l + QPoint(10, 9)), shadow);
    EXPECT_EQ(shot.pixelColor(l + QPoint(2 + 30 - 1, 4)), light) << "top-right pixel of the first bar";

    // On toolbars, the tiles line up with the dock's own: the frame ring of window two shows them.
    f.top->SetBackgroundTransparent(false);
    f.top->SetBackgroundOnToolbars(true);
    QApplication::processEvents();
    const QImage tiled = f.form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(t, QPoint(100, 0));
    EXPECT_EQ(tiled.pixelColor(t + QPoint(1, 3)), QColor(200, 0, 0)) << "the second ring";
    EXPECT_EQ(tiled.pixelColor(QPoint(108, 7)), QColor(0, 0, 200)) << "a tile's corner in the client area";
    EXPECT_EQ(tiled.pixelColor(QPoint(109, 7)), QColor(200, 0, 0));
    EXPECT_EQ(tiled.pixelColor(QPoint(200, 7)), QColor(0, 0, 200)) << "the dock's own tiles, on the same grid";
}
