// Floating tool windows: parents and their errors, hit testing, the caption, visibility with the form
// and the application, moving, resizing and the close button driven by synthetic mouse and key events.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWindow>
#include <gtest/gtest.h>
#include <map>
#include <random>

#include "platform/Controls.h"
#include "platform/GraphicsQt.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TBarCtls.h"
#include "toolbars/TBarTlwn.h"

namespace {

// A shown, active form with one floating tool window of the given client size at a screen position.
struct Floating {
    QWidget form;
    TToolWindowKt* tool;
    Floating(int clientWidth = 120, int clientHeight = 60, QPoint at = QPoint(300, 200))
    {
        form.setGeometry(50, 50, 400, 300);
        tool = new TToolWindowKt(&form);
        tool->setObjectName("Mapa");
        tool->SetCaption("Mapa de imagen");
        tool->SetClientAreaWidth(clientWidth);
        tool->SetClientAreaHeight(clientHeight);
        tool->SetFloatingPosition(TPoint{at.x(), at.y()});
        form.show();
        QApplication::setActiveWindow(&form);
        QApplication::processEvents();
    }
};

// A mouse event at a screen point, whatever lies under it.
void mouseAt(QWidget& target, QEvent::Type type, QPoint global, Qt::KeyboardModifiers modifiers = {})
{
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(global - target.pos()), QPointF(global), button, held, modifiers);
    QCoreApplication::sendEvent(&target, &event);
}

void key(QWidget& target, QEvent::Type type, int code)
{
    QKeyEvent event(type, code, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &event);
}

// Visible top-level windows besides the ones named: the outline frames left on the screen.
int strayWindows(std::initializer_list<const QWidget*> known)
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && std::find(known.begin(), known.end(), w) == known.end())
            ++count;
    return count;
}

// Presses in the window at `local`, moves to the screen point `to` and releases there.
void drag(TCustomToolWindowKt& tool, QPoint local, QPoint to)
{
    const QPoint from = tool.pos() + local;
    mouseAt(tool, QEvent::MouseButtonPress, from);
    mouseAt(tool, QEvent::MouseMove, to);
    mouseAt(tool, QEvent::MouseButtonRelease, to);
}

class NoCornersToolWindow : public TToolWindowKt {
public:
    NoCornersToolWindow() { InitParams(); }

protected:
    void GetToolWindowParams(TToolWindowParams& params) override { params.ResizeEightCorner = false; }
};

} // namespace

TEST(TBarTlwn, DefaultsFrameAndTheFloatingList)
{
    TToolWindowKt bare;
    EXPECT_EQ(bare.width(), 32);
    EXPECT_EQ(bare.height(), 32);
    EXPECT_TRUE(bare.ActivateParent());
    EXPECT_EQ(bare.BorderStyle(), bsSingle);
    EXPECT_TRUE(bare.CloseButton());
    EXPECT_EQ(bare.DockableTo(), (TDockableTo{dpTop, dpBottom, dpLeft, dpRight}));
    EXPECT_EQ(bare.DockPos(), -1);
    EXPECT_EQ(bare.DockRow(), 0);
    EXPECT_EQ(bare.DragHandleStyle(), dhDouble);
    EXPECT_FALSE(bare.FullSize());
    EXPECT_TRUE(bare.HideWhenInactive());
    EXPECT_EQ(bare.MinClientWidth(), 32);
    EXPECT_EQ(bare.MinClientHeight(), 32);
    EXPECT_TRUE(bare.Resizable());
    EXPECT_TRUE(bare.Params().CallAlignControls && bare.Params().ResizeEightCorner && bare.Params().ResizeClipCursor);
    EXPECT_EQ(bare.ClientAreaWidth(), 32) << "no parent: the outer size";
    EXPECT_FALSE(bare.isVisible());
    EXPECT_EQ(TCustomToolWindowKt::FloatingToolWindows(), nullptr);

    Floating f(100, 50);
    const TPoint border = GetWindowBorderSize(true);
    const int caption = GetSmallCaptionHeight();
    EXPECT_EQ(f.tool->width(), 100 + 2 * border.X);
    EXPECT_EQ(f.tool->height(), 50 + 2 * border.Y + caption);
    EXPECT_EQ(f.tool->CaptionRect(), (TRect{border.X, border.Y, border.X + 100, border.Y + caption - 1}));
    EXPECT_EQ(f.tool->CloseButtonRect(),
              (TRect{border.X + 100 - (caption - 1), border.Y, border.X + 100, border.Y + caption - 1}));
    EXPECT_EQ(f.tool->contentsRect(), QRect(border.X, border.Y + caption, 100, 50)) << "layouts fill the client area";
    EXPECT_TRUE(f.tool->isVisible());
    EXPECT_TRUE(f.tool->isWindow());
    EXPECT_EQ(f.tool->pos(), QPoint(300, 200));
    EXPECT_EQ(f.tool->FloatParent()->ParentForm(), &f.form);
    EXPECT_EQ(f.tool->windowHandle()->transientParent(), f.form.windowHandle()) << "owned by the form's window";
    ASSERT_NE(TCustomToolWindowKt::FloatingToolWindows(), nullptr);
    EXPECT_EQ(TCustomToolWindowKt::FloatingToolWindows()->size(), 1u);
    EXPECT_EQ(GetToolWindowParentForm(f.tool), &f.form);
    EXPECT_EQ(GetDockTypeOf(f.tool), dtNotDocked);
    auto* inside = new TToolbarButtonKt(f.tool);
    EXPECT_EQ(GetToolWindowParentForm(inside), &f.form);
    EXPECT_EQ(GetDockTypeOf(inside), dtNotDocked);
    EXPECT_EQ(GetMDIParent(&f.form), &f.form);

    f.tool->SetParent(nullptr);
    EXPECT_EQ(f.tool->contentsMargins(), QMargins());
    const std::unique_ptr<TToolWindowKt> loose(f.tool); // no longer the form's
    EXPECT_EQ(TCustomToolWindowKt::FloatingToolWindows(), nullptr) << "the list goes when empty";
    EXPECT_FALSE(f.tool->isVisible());
}

TEST(TBarTlwn, ParentsEventsAndStoredValues)
{
    QWidget form;
    QWidget panel(&form);
    QWidget other;
    TToolWindowKt tool;
    tool.setObjectName("Herramientas");
    try {
        ValidToolWindowParentForm(&tool);
        ADD_FAILURE() << "no form";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "Control 'Herramientas' has no parent window");
    }
    try {
        tool.SetParent(&panel);
        ADD_FAILURE() << "a panel is no place for it";
    } catch (const EInvalidOperation& e) {
        EXPECT_EQ(e.Message(), "A tool window can only be placed on a TDockKt or directly on the form");
    }
    EXPECT_EQ(tool.parentWidget(), nullptr);

    std::string heard;
    auto note = [&heard](const char* what) { return [&heard, what](TCustomToolWindowKt*) { heard += what; }; };
    tool.OnDockChanging = note("changing ");
    tool.OnRecreating = note("recreating ");
    tool.OnMove = note("move ");
    tool.OnRecreated = note("recreated ");
    tool.OnDockChanged = note("changed ");
    tool.SetParent(&form);
    EXPECT_EQ(heard, "changing move recreated changed ");
    EXPECT_EQ(ValidToolWindowParentForm(&tool), &form);
    heard.clear();
    TFloatingWindowParent* first = tool.FloatParent();
    QPointer<TFloatingWindowParent> firstAlive(first);
    tool.SetParent(&other);
    EXPECT_EQ(heard, "changing recreating move recreated changed ");
    EXPECT_TRUE(firstAlive.isNull()) << "the old holder is freed";
    EXPECT_EQ(tool.FloatParent()->ParentForm(), &other);
    heard.clear();
    tool.SetParent(&other);
    EXPECT_EQ(heard, "") << "the same form changes nothing";

    // Stored values: the content size, through the caller's callbacks, defaults the current size.
    tool.SetClientAreaWidth(150);
    tool.SetClientAreaHeight(90);
    std::map<std::string, int> store;
    tool.WritePositionData(
        [&store](const std::string& window, const std::string& value, int data, void* extra) {
            EXPECT_EQ(extra, &store);
            store[window + "." + value] = data;
        },
        nullptr, &store);
    EXPECT_EQ(store, (std::map<std::string, int>{{"Herramientas.ClientHeight", 90}, {"Herramientas.ClientWidth", 150}}));
    std::vector<int> defaults;
    auto reader = [&](const std::string& window, const std::string& value, int def, void*) {
        defaults.push_back(def);
        auto it = store.find(window + "." + value);
        return it == store.end() ? def : it->second;
    };
    store["Herramientas.ClientWidth"] = 210;
    store["Herramientas.ClientHeight"] = 5;
    tool.ReadPositionData(reader, nullptr, nullptr);
    EXPECT_EQ(defaults, (std::vector<int>{150, 90}));
    EXPECT_EQ(tool.ClientAreaWidth(), 210);
    EXPECT_EQ(tool.ClientAreaHeight(), 32) << "never below the minimum";
    store["Herramientas.ClientHeight"] = 1 << 30;
    tool.ReadPositionData(reader, nullptr, nullptr);
    EXPECT_EQ(tool.height(), 32767) << "nor beyond the largest window";
    tool.SetResizable(false);
    store.clear();
    tool.WritePositionData([&store](const std::string& w, const std::string& v, int d, void*) { store[w + v] = d; },
                           nullptr, nullptr);
    EXPECT_TRUE(store.empty()) << "a window of fixed size stores nothing";
    EXPECT_EQ(tool.ClientAreaWidth(), 210) << "the content keeps its size when the frame changes";
}

TEST(TBarTlwn, HitTestZones)
{
    QWidget form;
    form.show();
    const TPoint b = GetWindowBorderSize(true);
    const int c = GetSmallCaptionHeight() - 1 + b.X;
    for (bool eight : {true, false}) {
        std::unique_ptr<TToolWindowKt> tool(eight ? new TToolWindowKt : new NoCornersToolWindow);
        tool->SetParent(&form);
        tool->resize(200, 100);
        const TRect close = tool->CloseButtonRect();
        struct Case {
            QPoint at;
            int withCorners, edgesOnly;
        };
        const Case cases[] = {
            {{0, 0}, HTTOPLEFT, HTLEFT},
            {{0, c - 1}, HTTOPLEFT, HTLEFT},
            {{0, c}, HTLEFT, HTLEFT},
            {{0, 100 - c - 1}, HTLEFT, HTLEFT},
            {{0, 100 - c}, HTBOTTOMLEFT, HTLEFT},
            {{199, 0}, HTTOPRIGHT, HTRIGHT},
            {{200 - b.X - 1, 50}, HTRIGHT, HTRIGHT},
            {{199, 99}, HTBOTTOMRIGHT, HTRIGHT},
            {{c - 1, 0}, HTTOPLEFT, HTTOP},
            {{c, 0}, HTTOP, HTTOP},
            {{200 - c - 1, 0}, HTTOP, HTTOP},
            {{200 - c, 0}, HTTOPRIGHT, HTTOP},
            {{100, 99}, HTBOTTOM, HTBOTTOM},
            {{100, 100 - b.Y - 1}, HTBOTTOM, HTBOTTOM},
            {{c - 1, 99}, HTBOTTOMLEFT, HTBOTTOM},
            {{close.Left + 1, close.Top + 1}, HTCLOSE, HTCLOSE},
            {{close.Left - 1, close.Top + 1}, HTCLIENT, HTCLIENT},
            {{100, 60}, HTCLIENT, HTCLIENT},
        };
        for (const Case& k : cases)
            EXPECT_EQ(tool->HitTest(TPoint{k.at.x(), k.at.y()}), eight ? k.withCorners : k.edgesOnly)
                << "at " << k.at.x() << "," << k.at.y() << (eight ? " with corners" : " edges only");
    }
    TToolWindowKt fixed;
    fixed.SetResizable(false);
    fixed.SetParent(&form);
    EXPECT_EQ(fixed.HitTest(TPoint{0, 0}), HTNOWHERE);
    fixed.SetCloseButton(false);
    EXPECT_EQ(fixed.CloseButtonRect(), TRect{});
}

TEST(TBarTlwn, CaptionTextEndsInDotsWhenTooWide)
{
    auto sixEach = [](const std::string& s) { return static_cast<int>(s.size()) * 6; };
    struct Case {
        const char* text;
        int width;
        const char* shown;
    };
    const Case cases[] = {
        {"Mapa de imagen", 84, "Mapa de imagen"}, {"Mapa de imagen", 83, "Mapa de im..."},
        {"Mapa de imagen", 48, "Mapa ..."},       {"Mapa de imagen", 5, "M..."},
        {"Mapa", 0, "M..."},                     {"", 0, ""},
    };
    for (const Case& k : cases)
        EXPECT_EQ(FitCaptionText(k.text, k.width, sixEach), k.shown) << k.text << " in " << k.width;

    // Painted: a caption that cannot fit still shows its bar in the active colour.
    Floating f(40, 40);
    f.tool->SetCaption("Un t\xEDtulo muy largo que no cabe");
    const QImage shot = f.tool->grab().toImage();
    const TRect bar = f.tool->CaptionRect();
    EXPECT_EQ(shot.pixelColor(bar.Left, bar.Bottom - 1), ToQColor(clActiveCaption));
    EXPECT_EQ(shot.pixelColor(bar.Left, bar.Bottom), ToQColor(clBtnFace)) << "the line under the caption";
}

TEST(TBarTlwn, VisibilityFollowsTheFormAndTheApplication)
{
    Floating f;
    TToolWindowKt* tool = f.tool;
    std::vector<bool> visibleChanges;
    tool->OnVisibleChanged = [&](TCustomToolWindowKt* w) { visibleChanges.push_back(w->Visible()); };
    ASSERT_TRUE(tool->isVisible());

    QApplication::setActiveWindow(nullptr);
    QApplication::processEvents();
    EXPECT_FALSE(tool->isVisible()) << "hidden while the application is inactive";
    QApplication::setActiveWindow(&f.form);
    QApplication::processEvents();
    EXPECT_TRUE(tool->isVisible());

    tool->SetHideWhenInactive(false);
    const TRect bar = tool->CaptionRect();
    auto barColour = [&] { return tool->grab().toImage().pixelColor(bar.Left, bar.Bottom - 1); };
    EXPECT_EQ(barColour(), ToQColor(clActiveCaption));
    QApplication::setActiveWindow(nullptr);
    QApplication::processEvents();
    EXPECT_TRUE(tool->isVisible());
    EXPECT_TRUE(tool->InactiveCaption());
    EXPECT_EQ(barColour(), ToQColor(clInactiveCaption));
    QApplication::setActiveWindow(&f.form);
    QApplication::processEvents();
    EXPECT_EQ(barColour(), ToQColor(clActiveCaption));

    f.form.hide();
    EXPECT_FALSE(tool->isVisible()) << "the form hidden";
    f.form.show();
    // Shown once the form's window is the window system's, which can then stack it as the form's.
    EXPECT_FALSE(tool->isVisible()) << "not before the form's window is shown";
    QApplication::processEvents();
    EXPECT_TRUE(tool->isVisible());
    f.form.showMinimized();
    QApplication::processEvents();
    EXPECT_FALSE(tool->isVisible()) << "the form minimised";
    f.form.showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(tool->isVisible());
    EXPECT_TRUE(visibleChanges.empty()) << "the user's wish did not change";
    tool->windowHandle()->requestActivate();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &f.form) << "the form takes the activation back";

    tool->hide();
    f.form.hide();
    f.form.show();
    EXPECT_FALSE(tool->isVisible()) << "a window the user hid stays hidden";
    tool->show();
    EXPECT_TRUE(tool->isVisible());
    EXPECT_EQ(visibleChanges, (std::vector<bool>{false, true}));

    // A window owned by another that goes is owned by its form's instead, and goes with its form.
    auto* owner = new QWidget;
    owner->show();
    tool->windowHandle()->setTransientParent(owner->windowHandle());
    DestroyWidget(owner);
    EXPECT_EQ(tool->windowHandle()->transientParent(), f.form.windowHandle());
    QPointer<TToolWindowKt> alive(tool);
    auto* form = new QWidget;
    alive = new TToolWindowKt(form);
    form->show();
    QApplication::processEvents();
    DestroyWidget(form);
    EXPECT_TRUE(alive.isNull());
    ASSERT_NE(TCustomToolWindowKt::FloatingToolWindows(), nullptr);
    EXPECT_EQ(TCustomToolWindowKt::FloatingToolWindows()->size(), 1u) << "only f's window floats";
}

TEST(TBarTlwn, DraggedWindowsStayWithinReach)
{
    Floating f(120, 60);
    TToolWindowKt* tool = f.tool;
    const TPoint b = GetWindowBorderSize(true);
    const int caption = GetSmallCaptionHeight();
    const TRect work = GetWorkArea(tool);
    ASSERT_EQ(work, (TRect{0, 0, 800, 800})) << "the offscreen screen";
    const QPoint title(b.X + 10, b.Y + 3);

    // An ordinary drag keeps the grab point under the pointer.
    drag(*tool, title, QPoint(420, 330));
    EXPECT_EQ(tool->pos(), QPoint(420, 330) - title);
    EXPECT_FALSE(tool->InLoop());

    // Far off to the right by its left edge: border + 4 pixels stay inside.
    drag(*tool, QPoint(b.X, b.Y + 3), QPoint(5000, 300));
    EXPECT_EQ(tool->x(), 800 - (b.X + 4));
    // Far up by a point low in its client area: 4 rows of caption stay below the top.
    drag(*tool, QPoint(60, tool->height() - b.Y - 2), QPoint(400, -5000));
    EXPECT_EQ(tool->y(), -b.Y - caption + 4);
    const QImage shot = tool->grab().toImage();
    EXPECT_EQ(shot.pixelColor(b.X, b.Y + caption - 2), ToQColor(clActiveCaption)) << "the caption is painted";

    // Any drop, anywhere: the window can be caught again.
    std::mt19937 random(73);
    std::uniform_int_distribution<int> far(-3000, 3000);
    for (int i = 0; i < 60; ++i) {
        const QPoint grab(std::uniform_int_distribution<int>(0, tool->width() - 1)(random),
                          std::uniform_int_distribution<int>(b.Y, tool->height() - 1)(random));
        if (tool->HitTest(TPoint{grab.x(), grab.y()}) != HTCLIENT)
            continue;
        drag(*tool, grab, QPoint(far(random), far(random)));
        const QRect r = tool->geometry();
        SCOPED_TRACE(i);
        EXPECT_GE(std::min(r.right() + 1, 800) - std::max(r.left(), 0), b.X + 4);
        EXPECT_GE(r.top() + b.Y + caption, 4);
        EXPECT_LE(r.top(), 800 - (b.X + 4));
    }

    // On the screen only when wholly off it.
    tool->SetFloatingPosition(TPoint{-20, 100});
    tool->MoveOnScreen(true);
    EXPECT_EQ(tool->pos(), QPoint(-20, 100));
    tool->MoveOnScreen(false);
    EXPECT_EQ(tool->pos(), QPoint(0, 100));
    tool->SetFloatingPosition(TPoint{2000, 2000});
    tool->MoveOnScreen(true);
    EXPECT_EQ(tool->pos(), QPoint(800 - tool->width(), 800 - tool->height()));
    EXPECT_EQ(tool->FloatingPosition(), (TPoint{800 - tool->width(), 800 - tool->height()}));

    // Esc, or a window hidden halfway, leaves the window where it was and no outline behind.
    const QPoint before = tool->pos();
    mouseAt(*tool, QEvent::MouseButtonPress, before + title);
    mouseAt(*tool, QEvent::MouseMove, before + title + QPoint(-100, -80));
    EXPECT_TRUE(tool->LoopOutlineShown());
    EXPECT_EQ(strayWindows({&f.form, tool}), 1) << "the outline";
    key(*tool, QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_FALSE(tool->InLoop());
    EXPECT_EQ(tool->pos(), before);
    EXPECT_EQ(strayWindows({&f.form, tool}), 0);
    mouseAt(*tool, QEvent::MouseButtonPress, before + title);
    mouseAt(*tool, QEvent::MouseMove, before + title + QPoint(-100, -80));
    tool->hide();
    EXPECT_FALSE(tool->InLoop());
    EXPECT_EQ(strayWindows({&f.form}), 0);
}

TEST(TBarTlwn, ResizingKeepsTheMinimumAndEscRestores)
{
    Floating f(120, 80, QPoint(200, 150));
    TToolWindowKt* tool = f.tool;
    const TRect frame = tool->FrameSize();
    const QRect start = tool->geometry();
    const int minWidth = 32 + frame.Left + frame.Right, minHeight = 32 + frame.Top + frame.Bottom;
    int resized = 0;
    tool->OnResize = [&resized](TCustomToolWindowKt*) { ++resized; };

    // Shrunk far past the minimum from the bottom-right corner: grows back from the top-left.
    const QPoint corner = start.bottomRight();
    mouseAt(*tool, QEvent::MouseButtonPress, corner);
    mouseAt(*tool, QEvent::MouseMove, corner - QPoint(500, 500));
    EXPECT_EQ(tool->LoopOutline(), (TRect{start.left(), start.top(), start.left() + minWidth, start.top() + minHeight}));
    mouseAt(*tool, QEvent::MouseButtonRelease, corner - QPoint(500, 500));
    EXPECT_EQ(tool->geometry(), QRect(start.topLeft(), QSize(minWidth, minHeight)));
    EXPECT_EQ(tool->ContentWidth(), 32);
    EXPECT_EQ(tool->ContentHeight(), 32);
    EXPECT_GT(resized, 0);

    // From the left edge to the right: the right edge stays.
    const QRect small = tool->geometry();
    const QPoint left(small.left(), small.top() + small.height() / 2);
    mouseAt(*tool, QEvent::MouseButtonPress, left);
    mouseAt(*tool, QEvent::MouseMove, left + QPoint(300, 0));
    EXPECT_EQ(tool->LoopOutline(), (TRect{small.right() + 1 - minWidth, small.top(), small.right() + 1, small.bottom() + 1}));
    mouseAt(*tool, QEvent::MouseMove, left - QPoint(60, 0));
    mouseAt(*tool, QEvent::MouseButtonRelease, left - QPoint(60, 0));
    EXPECT_EQ(tool->geometry(), small.adjusted(-60, 0, 0, 0));
    EXPECT_EQ(tool->ContentWidth(), 92);

    // Esc: the bounds stay and no outline is left.
    const QRect kept = tool->geometry();
    mouseAt(*tool, QEvent::MouseButtonPress, kept.bottomRight());
    mouseAt(*tool, QEvent::MouseMove, kept.bottomRight() + QPoint(90, 40));
    EXPECT_EQ(tool->LoopOutline(), (TRect{kept.left(), kept.top(), kept.right() + 91, kept.bottom() + 41}));
    key(*tool, QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_EQ(tool->geometry(), kept);
    EXPECT_EQ(strayWindows({&f.form, tool}), 0);
}

TEST(TBarTlwn, CloseButtonHidesOnlyWhenReleasedOnIt)
{
    Floating f;
    TToolWindowKt* tool = f.tool;
    int closed = 0;
    tool->OnClose = [&closed](TCustomToolWindowKt*) { ++closed; };
    const TRect button = tool->CloseButtonRect();
    const QPoint on = tool->pos() + QPoint((button.Left + button.Right) / 2, (button.Top + button.Bottom) / 2);

    mouseAt(*tool, QEvent::MouseButtonPress, on);
    EXPECT_TRUE(tool->CloseButtonDown());
    mouseAt(*tool, QEvent::MouseMove, on + QPoint(0, 40));
    EXPECT_FALSE(tool->CloseButtonDown()) << "drawn up while the pointer is off it";
    mouseAt(*tool, QEvent::MouseButtonRelease, on + QPoint(0, 40));
    EXPECT_TRUE(tool->isVisible());
    EXPECT_EQ(closed, 0);

    mouseAt(*tool, QEvent::MouseButtonPress, on);
    mouseAt(*tool, QEvent::MouseMove, on + QPoint(0, 40));
    mouseAt(*tool, QEvent::MouseMove, on);
    EXPECT_TRUE(tool->CloseButtonDown());
    mouseAt(*tool, QEvent::MouseButtonRelease, on);
    EXPECT_FALSE(tool->isVisible());
    EXPECT_FALSE(tool->Visible());
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(tool->InLoop());
}
