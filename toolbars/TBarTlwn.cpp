// Tool windows: placing one on a form makes it float in a frameless window of its own, owned by the
// form's window, whose caption, close button and sizing frame it paints and hit-tests itself. Moving,
// resizing and the close button are small state machines driven by a mouse grab: a press starts one,
// moves and keys update it, a release or Esc ends it; the outline shown meanwhile is a frame window.
// A drag tries the form's docks under the pointer (unless Ctrl is held) and shows a thin outline of
// the docked size over the one that takes the window, else the floating outline. Placing one in a
// dock makes it a child of the dock, which decides its place in the rows; its frame is a thin ring
// with the drag handle across the start of the row. The hook callback keeps every floating window's
// visibility in step with its form and the application's activation.
#include "toolbars/TBarTlwn.h"

#include "toolbars/TBar.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <algorithm>

#include "components/VCLUtils.h"
#include "platform/Cursors.h"
#include "platform/FontsQt.h"
#include "platform/GraphicsQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Exception.h"
#include "platform/core/Fonts.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kToolWindowParentError = 5500;
constexpr int kNoParentWindow = 5501;

// Pixels of the caption font, whatever the screen's resolution.
constexpr int kCaptionFontPixels = 11;
// Room a floating outline keeps inside the work area beyond the frame, and the caption rows kept below
// its top edge, so the window can always be grabbed again.
constexpr int kReachableMargin = 4;
// The largest window the frame can be dragged to.
constexpr int kMaxTrackSize = 32767;

std::unique_ptr<std::vector<TCustomToolWindowKt*>>& floatingList()
{
    static std::unique_ptr<std::vector<TCustomToolWindowKt*>> list;
    return list;
}

QRect toQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }
TRect toTRect(const QRect& r) { return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }

TRect offsetRect(const TRect& r, int dx, int dy) { return TRect{r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy}; }

bool intersects(const TRect& a, const TRect& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

const QFont& captionFont()
{
    static QFont font;
    static bool made = false;
    if (!made) {
        // The family goes through the editor's font resolution; the size is fixed in pixels.
        if (TFontHandle handle = MakeEditorFont("MS Sans Serif", 8, 0, DEFAULT_CHARSET, false))
            font = ToQFont(*handle);
        font.setPixelSize(kCaptionFontPixels);
        font.setWeight(QFont::Normal);
        made = true;
    }
    return font;
}

bool isToolWindow(const QWidget* w) { return qobject_cast<const TCustomToolWindowKt*>(w) != nullptr; }

TDockKt* asDock(QWidget* w) { return qobject_cast<TDockKt*>(w); }

// Whether a modal window stands over the modal `form`: one run from it (a file dialog, a message box)
// that must be answered first, not one the form was itself run from.
bool modalOver(const QWidget* form)
{
    if (!form->isModal())
        return false;
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (w == form || !w->isVisible() || !w->isModal() || isToolWindow(w))
            continue;
        bool runFrom = false;
        for (const QWidget* p = form->parentWidget(); p && !runFrom; p = p->parentWidget())
            runFrom = p->window() == w;
        if (!runFrom)
            return true;
    }
    return false;
}

// The docked frame: this many pixels on every side, besides the drag handle.
constexpr int kDockedBorder = 2;
// A docked window's frame is painted again through this posted event, of which one waits at a time.
constexpr QEvent::Type kPaintDockedFrameEvent = static_cast<QEvent::Type>(0x17AF);
// The margins around a dock within which the pointer still drops a window into it.
constexpr int kDockMarginX = 32;
constexpr int kDockMarginY = 20;
// A double click docks a floating window before every other window of row 0.
constexpr int kDefaultDockPos = -8;

int dragHandleWidth(TDragHandleStyle style)
{
    switch (style) {
    case dhDouble: return 9;
    case dhSingle: return 6;
    case dhNone: return 0;
    }
    return 0;
}

// A form: a window that is neither a tool window nor a floating parent.
bool isForm(const QWidget* w)
{
    return w && w->isWindow() && !isToolWindow(w) && !qobject_cast<const TFloatingWindowParent*>(w);
}

} // namespace

// ---------------------------------------------------------------- shared types and metrics

TDockType GetDockTypeOf(const TDockKt* dock)
{
    if (!dock)
        return dtNotDocked;
    return dock->Position() == dpLeft || dock->Position() == dpRight ? dtLeftRight : dtTopBottom;
}

TDockKt* GetDockOf(const QWidget* control)
{
    for (const QWidget* w = control; w; w = w->parentWidget())
        if (const auto* toolWindow = qobject_cast<const TCustomToolWindowKt*>(w))
            return toolWindow->DockedTo();
    return nullptr;
}

TDockType GetDockTypeOf(const QWidget* control) { return GetDockTypeOf(GetDockOf(control)); }

int GetSmallCaptionHeight()
{
    const int height = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, nullptr);
    // A style without title bars answers 0; the caption must still hold its 11-pixel text.
    return std::max(height, kCaptionFontPixels + 4);
}

TPoint GetWindowBorderSize(bool Resizable)
{
    QStyle* style = QApplication::style();
    const int frame = std::max(1, style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, nullptr));
    // A sizing frame is one pixel wider than a fixed one, so it can be caught with the mouse.
    const int size = Resizable ? std::max(frame + 1, style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, nullptr))
                               : frame + 1;
    return TPoint{size, size};
}

TRect GetWorkArea(const QWidget* near)
{
    QScreen* screen = near ? near->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return TRect{0, 0, 0, 0};
    const QRect available = screen->availableGeometry();
    return toTRect(available.isValid() && !available.isEmpty() ? available : screen->geometry());
}

std::string FitCaptionText(const std::string& text, int maxWidth, const std::function<int(const std::string&)>& measure)
{
    if (measure(text) <= maxWidth)
        return text;
    std::string head = text;
    for (;;) {
        std::string shown = head + "...";
        if (head.empty() || shown.size() < 5 || measure(shown) <= maxWidth)
            return shown;
        head.pop_back();
    }
}

// ---------------------------------------------------------------- helpers

QWidget* GetToolWindowParentForm(const QWidget* control)
{
    for (QWidget* w = control ? control->parentWidget() : nullptr; w; w = w->parentWidget()) {
        if (auto* floatParent = qobject_cast<TFloatingWindowParent*>(w))
            return floatParent->ParentForm();
        if (isForm(w))
            return w;
    }
    return nullptr;
}

QWidget* ValidToolWindowParentForm(const QWidget* control)
{
    QWidget* form = GetToolWindowParentForm(control);
    if (!form)
        throw EInvalidOperation(FmtLoadStr(kNoParentWindow, ToEditorText(control->objectName()).c_str()));
    return form;
}

QWidget* GetMDIParent(QWidget* form) { return form; }

// ---------------------------------------------------------------- the floating parent

TFloatingWindowParent::TFloatingWindowParent(QWidget* parentForm) : QWidget(parentForm), FParentForm(parentForm)
{
    setGeometry(0, 0, 0, 0);
    // Only the tool window in it is ever seen; showing the form must not show this holder.
    hide();
}

TFloatingWindowParent::~TFloatingWindowParent()
{
    // The tool window in it goes with it, as its child: told now, it leaves the floating list and
    // neither detaches from nor frees this holder.
    for (QObject* child : children())
        if (auto* toolWindow = qobject_cast<TCustomToolWindowKt*>(child))
            toolWindow->holderDestroying();
}

// ---------------------------------------------------------------- tool windows

TCustomToolWindowKt::TCustomToolWindowKt(QWidget* parent) : QWidget(nullptr)
{
    setOwnBounds(QRect(0, 0, 32, 32));
    setMinimumSize(1, 1);
    setMaximumSize(kMaxTrackSize, kMaxTrackSize);
    setMouseTracking(true);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    InstallHookProc(&TCustomToolWindowKt::ToolWindowHookProc, {hcActivateApp, hcWindowPosChanged, hcPreDestroy});
    InitParams();
    if (parent)
        SetParent(parent);
}

TCustomToolWindowKt::~TCustomToolWindowKt()
{
    FDestroying = true;
    if (FLoop.Kind != lkNone)
        endLoop(false);
    if (!FHolderGone && (parentWidget() || FFloatParent))
        SetParent(nullptr);
    UninstallHookProc(&TCustomToolWindowKt::ToolWindowHookProc);
}

void TCustomToolWindowKt::holderDestroying()
{
    removeFromFloatingList();
    FFloatParent = nullptr;
    FHolderGone = true;
}

void TCustomToolWindowKt::InitParams()
{
    FParams = TToolWindowParams{};
    GetToolWindowParams(FParams);
}

const std::vector<TCustomToolWindowKt*>* TCustomToolWindowKt::FloatingToolWindows() { return floatingList().get(); }

void TCustomToolWindowKt::addToFloatingList()
{
    auto& list = floatingList();
    if (!list)
        list = std::make_unique<std::vector<TCustomToolWindowKt*>>();
    if (std::find(list->begin(), list->end(), this) == list->end())
        list->push_back(this);
}

void TCustomToolWindowKt::removeFromFloatingList()
{
    auto& list = floatingList();
    if (!list)
        return;
    list->erase(std::remove(list->begin(), list->end(), this), list->end());
    if (list->empty())
        list.reset();
}

// ---- parent changes

void TCustomToolWindowKt::SetParent(QWidget* newParent)
{
    TDockKt* newDock = newParent ? asDock(newParent) : nullptr;
    if (newParent && !newDock && !isForm(newParent))
        throw EInvalidOperation(LoadResString(kToolWindowParentError));

    // On a form the window floats in a holder of that form's.
    TFloatingWindowParent* newFloatParent = nullptr;
    QWidget* actualParent = newParent;
    if (newParent && !newDock) {
        newFloatParent = FFloatParent && FFloatParent->ParentForm() == newParent ? FFloatParent
                                                                                  : new TFloatingWindowParent(newParent);
        actualParent = newFloatParent;
    }

    if (actualParent == parentWidget() && (actualParent != nullptr || !FFloatParent)) {
        FDockedTo = newDock;
        FDocked = newDock != nullptr;
        if (Floating())
            addToFloatingList();
        else
            removeFromFloatingList();
        return;
    }

    const bool destroying = FDestroying;
    QWidget* oldParent = parentWidget();
    if (!destroying) {
        if (newParent && OnDockChanging)
            OnDockChanging(this);
        if (oldParent && OnRecreating)
            OnRecreating(this);
    }
    {
        ++FHidden;
        TScopeGuard hidden([this] { --FHidden; });
        BeginUpdate();
        TScopeGuard update([this] { EndUpdate(); });
        UpdateVisibility();
        // The new dock arranges once, after this window has taken its docked size.
        if (newDock)
            newDock->BeginUpdate();
        TScopeGuard dockUpdate([newDock] {
            if (newDock)
                newDock->EndUpdate();
        });
        ++FUpdatingBounds;
        TScopeGuard bounds([this] { --FUpdatingBounds; });

        if (TDockKt* oldDock = FDockedTo)
            oldDock->ChangeDockList(false, this, false);
        TFloatingWindowParent* oldFloatParent = FFloatParent;
        if (removeFromFloatingList(), newFloatParent)
            QWidget::setParent(newFloatParent, Qt::Tool | Qt::FramelessWindowHint);
        else
            QWidget::setParent(actualParent, Qt::Widget);
        FFloatParent = newFloatParent;
        FDockedTo = newDock;
        FDocked = newDock != nullptr;
        if (oldFloatParent && oldFloatParent != newFloatParent)
            delete oldFloatParent;
        if (newDock)
            newDock->ChangeDockList(true, this, FVisible);
        if (Floating()) {
            addToFloatingList();
            move(FFloatingPosition.X, FFloatingPosition.Y);
        }
        if (actualParent) {
            FLastDockType = GetDockTypeOf(newDock);
            FDockTypeRecorded = true;
            FArrangeNeeded = true;
        }
    }
    updateContentsMargins();
    UpdateVisibility();
    if (actualParent && OnMove)
        OnMove(this);
    if (!destroying && newParent) {
        if (OnRecreated)
            OnRecreated(this);
        if (OnDockChanged)
            OnDockChanged(this);
    }
}

void TCustomToolWindowKt::Loaded()
{
    if (!Floating())
        return;
    const QPoint onScreen = FFloatParent->ParentForm()->mapToGlobal(QPoint(FFloatingPosition.X, FFloatingPosition.Y));
    SetFloatingPosition(TPoint{onScreen.x(), onScreen.y()});
    MoveOnScreen(true);
}

// ---- properties

void TCustomToolWindowKt::SetCaption(const std::string& value)
{
    FCaption = value;
    setWindowTitle(FromEditorText(value));
    update();
}

void TCustomToolWindowKt::SetCloseButton(bool value)
{
    FCloseButton = value;
    update();
}

void TCustomToolWindowKt::SetBorderStyle(TBorderStyle value)
{
    if (FBorderStyle == value)
        return;
    FBorderStyle = value;
    dockedFrameChanged();
}

void TCustomToolWindowKt::SetDragHandleStyle(TDragHandleStyle value)
{
    if (FDragHandleStyle == value)
        return;
    FDragHandleStyle = value;
    dockedFrameChanged();
}

void TCustomToolWindowKt::dockedFrameChanged()
{
    if (!FDocked) {
        update();
        return;
    }
    updateContentsMargins();
    InvalidateDockedFrame();
    FDockedTo->ArrangeToolbars();
    Arrange();
}

void TCustomToolWindowKt::SetDockPos(int value)
{
    FDockPos = value;
    if (FDocked)
        FDockedTo->ArrangeToolbars();
}

void TCustomToolWindowKt::SetDockRow(int value)
{
    FDockRow = value;
    if (FDocked)
        FDockedTo->ArrangeToolbars();
}

void TCustomToolWindowKt::SetFullSize(bool value)
{
    if (FFullSize == value)
        return;
    FFullSize = value;
    if (FDocked)
        FDockedTo->ArrangeToolbars();
    Arrange();
}

void TCustomToolWindowKt::SetDockedTo(TDockKt* value)
{
    if (value)
        SetParent(value);
    else if (FDocked)
        SetParent(ValidToolWindowParentForm(this));
}

void TCustomToolWindowKt::InvalidateDockedFrame()
{
    if (FFramePaintPosted)
        return;
    FFramePaintPosted = true;
    QCoreApplication::postEvent(this, new QEvent(kPaintDockedFrameEvent));
}

void TCustomToolWindowKt::SetHideWhenInactive(bool value)
{
    FHideWhenInactive = value;
    UpdateVisibility();
}

void TCustomToolWindowKt::SetResizable(bool value)
{
    if (FResizable == value)
        return;
    const TPoint client{ClientAreaWidth(), ClientAreaHeight()};
    FResizable = value;
    // The frame's width depends on it: the content keeps its size.
    if (Floating()) {
        const TRect frame = FrameSize();
        setOwnBounds(QRect(pos(), QSize(client.X + frame.Left + frame.Right, client.Y + frame.Top + frame.Bottom)));
        updateContentsMargins();
        update();
    }
}

void TCustomToolWindowKt::updateContentsMargins()
{
    // Layouts and contentsRect() see the client area inside the painted frame.
    const TRect frame = FrameSize();
    setContentsMargins(frame.Left, frame.Top, frame.Right, frame.Bottom);
}

void TCustomToolWindowKt::SetFloatingPosition(TPoint value)
{
    FFloatingPosition = value;
    if (Floating())
        move(value.X, value.Y);
}

int TCustomToolWindowKt::ClientAreaWidth() const
{
    const TRect frame = FrameSize();
    return width() - frame.Left - frame.Right;
}

int TCustomToolWindowKt::ClientAreaHeight() const
{
    const TRect frame = FrameSize();
    return height() - frame.Top - frame.Bottom;
}

void TCustomToolWindowKt::setOuterSize(int width, int height)
{
    setOwnBounds(QRect(pos(), QSize(width, height)));
    // A hidden window hears of its new size only when shown: the content size is kept at once.
    if (FUpdatingBounds == 0)
        SizeChanged(width, height);
}

void TCustomToolWindowKt::SetClientAreaWidth(int value)
{
    const TRect frame = FrameSize();
    setOuterSize(value + frame.Left + frame.Right, height());
}

void TCustomToolWindowKt::SetClientAreaHeight(int value)
{
    const TRect frame = FrameSize();
    setOuterSize(width(), value + frame.Top + frame.Bottom);
}

void TCustomToolWindowKt::setVisible(bool visible)
{
    const bool changed = FVisible != visible;
    FVisible = visible;
    if (!Floating() && !FDocked) {
        // With no form it is never a window of its own on the screen.
        QWidget::setVisible(false);
    } else if (FDocked) {
        QWidget::setVisible(visible);
        // A hidden window leaves its row; shown again, it comes back at the end of the list.
        if (changed)
            FDockedTo->ChangeDockList(visible, this, visible);
    } else {
        UpdateVisibility();
    }
    if (changed && OnVisibleChanged)
        OnVisibleChanged(this);
}

// ---- frame and geometry

int TCustomToolWindowKt::DragHandleSize() const
{
    return FDocked && FDockedTo->AllowDrag() ? dragHandleWidth(FDragHandleStyle) : 0;
}

TPoint TCustomToolWindowKt::DockedSizeFor(const TDockKt* dock)
{
    const TDockType type = GetDockTypeOf(dock);
    const TPoint client = GetClientSizeFor(type);
    const int handle = dock && dock->AllowDrag() ? dragHandleWidth(FDragHandleStyle) : 0;
    return TPoint{client.X + 2 * kDockedBorder + (type == dtLeftRight ? 0 : handle),
                  client.Y + 2 * kDockedBorder + (type == dtLeftRight ? handle : 0)};
}

TDockKt* TCustomToolWindowKt::DefaultDock() const { return FDefaultDock.data(); }

void TCustomToolWindowKt::SetDefaultDock(TDockKt* value) { FDefaultDock = value; }

TRect TCustomToolWindowKt::FrameSize() const
{
    if (FDocked) {
        // The drag handle lies across the start of the row: on the left in a top or bottom dock.
        const bool leftRight = GetDockTypeOf(FDockedTo) == dtLeftRight;
        const int handle = DragHandleSize();
        return TRect{kDockedBorder + (leftRight ? 0 : handle), kDockedBorder + (leftRight ? handle : 0),
                     kDockedBorder, kDockedBorder};
    }
    if (!Floating())
        return TRect{};
    const TPoint border = GetWindowBorderSize(FResizable);
    return TRect{border.X, border.Y + GetSmallCaptionHeight(), border.X, border.Y};
}

TRect TCustomToolWindowKt::CaptionRect() const
{
    if (!Floating())
        return TRect{};
    const TPoint border = GetWindowBorderSize(FResizable);
    return TRect{border.X, border.Y, border.X + ClientAreaWidth(), border.Y + GetSmallCaptionHeight() - 1};
}

TRect TCustomToolWindowKt::CloseButtonRect() const
{
    if (!Floating() || !FCloseButton)
        return TRect{};
    const TRect caption = CaptionRect();
    const int side = caption.Bottom - caption.Top;
    return TRect{caption.Right - side, caption.Top, caption.Right, caption.Bottom};
}

int TCustomToolWindowKt::HitTest(TPoint p) const
{
    if (!Floating())
        return HTCLIENT;
    if (CloseButtonRect().Contains(p))
        return HTCLOSE;
    if (CaptionRect().Contains(p))
        return HTCLIENT;
    if (FResizable) {
        const TPoint border = GetWindowBorderSize(true);
        const int bx = border.X, by = border.Y;
        const int corner = GetSmallCaptionHeight() - 1 + bx;
        const int w = width(), h = height();
        const bool eight = FParams.ResizeEightCorner;
        if (p.X < bx) {
            if (eight && p.Y < corner)
                return HTTOPLEFT;
            if (eight && p.Y >= h - corner)
                return HTBOTTOMLEFT;
            return HTLEFT;
        }
        if (p.X >= w - bx - 1) {
            if (eight && p.Y < corner)
                return HTTOPRIGHT;
            if (eight && p.Y >= h - corner)
                return HTBOTTOMRIGHT;
            return HTRIGHT;
        }
        if (p.Y < by) {
            if (eight && p.X < corner)
                return HTTOPLEFT;
            if (eight && p.X >= w - corner)
                return HTTOPRIGHT;
            return HTTOP;
        }
        if (p.Y >= h - by - 1) {
            if (eight && p.X < corner)
                return HTBOTTOMLEFT;
            if (eight && p.X >= w - corner)
                return HTBOTTOMRIGHT;
            return HTBOTTOM;
        }
    }
    const TRect frame = FrameSize();
    const TRect client{frame.Left, frame.Top, width() - frame.Right, height() - frame.Bottom};
    return client.Contains(p) ? HTCLIENT : HTNOWHERE;
}

TRect TCustomToolWindowKt::screenBounds() const
{
    return toTRect(isWindow() ? geometry() : QRect(mapToGlobal(QPoint(0, 0)), size()));
}

void TCustomToolWindowKt::setOwnBounds(const QRect& r)
{
    // Remembered, so that the resize event a hidden window hears only when shown is known as its own.
    FOwnSize = r.size();
    ++FUpdatingBounds;
    TScopeGuard bounds([this] { --FUpdatingBounds; });
    setGeometry(r);
}

// ---- operations

void TCustomToolWindowKt::BeginUpdate() { ++FUpdateCount; }

void TCustomToolWindowKt::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FArrangeNeeded)
        Arrange();
}

void TCustomToolWindowKt::Arrange()
{
    if (FUpdateCount > 0) {
        FArrangeNeeded = true;
        return;
    }
    FArrangeNeeded = false;
    if (!parentWidget())
        return;
    const TDockType type = GetDockTypeOf(FDockedTo);
    TPoint client = GetClientSizeFor(type);
    if (FDocked) {
        // Across, the window fills its row; a full-size one spans the dock.
        const TRect frame = FrameSize();
        const int rowSize = FDockedTo->GetRowSize(FDockRow, this);
        const TRect dockClient = FDockedTo->ClientRect();
        if (type == dtLeftRight) {
            client.X = std::max(client.X, rowSize);
            if (FFullSize)
                client.Y = dockClient.Height() - frame.Top - frame.Bottom;
        } else {
            client.Y = std::max(client.Y, rowSize);
            if (FFullSize)
                client.X = dockClient.Width() - frame.Left - frame.Right;
        }
    }
    if (client.X == ClientAreaWidth() && client.Y == ClientAreaHeight())
        return;
    const TRect frame = FrameSize();
    setOwnBounds(QRect(pos(), QSize(client.X + frame.Left + frame.Right, client.Y + frame.Top + frame.Bottom)));
}

void TCustomToolWindowKt::MoveOnScreen(bool OnlyIfFullyOffscreen)
{
    if (!Floating())
        return;
    TRect r = screenBounds();
    const TRect work = GetWorkArea(this);
    if (OnlyIfFullyOffscreen && intersects(r, work))
        return;
    // Right and bottom first, so that a window larger than the area shows its left and top edges.
    if (r.Right > work.Right)
        r = offsetRect(r, work.Right - r.Right, 0);
    if (r.Bottom > work.Bottom)
        r = offsetRect(r, 0, work.Bottom - r.Bottom);
    if (r.Left < work.Left)
        r = offsetRect(r, work.Left - r.Left, 0);
    if (r.Top < work.Top)
        r = offsetRect(r, 0, work.Top - r.Top);
    if (r.Left != x() || r.Top != y())
        SetFloatingPosition(TPoint{r.Left, r.Top});
}

bool TCustomToolWindowKt::ShouldBeVisible() const
{
    if (!FVisible || FHidden > 0)
        return false;
    if (FDocked)
        return true;
    if (!FFloatParent)
        return false;
    QWidget* form = FFloatParent->ParentForm();
    QWidget* frame = form ? GetMDIParent(form) : nullptr;
    if (!form || !frame)
        return false;
    if (QGuiApplication::applicationState() == Qt::ApplicationHidden)
        return false;
    for (QWidget* w : {form, frame})
        if (!w->isVisible() || w->isMinimized())
            return false;
    // Over a modal form the window floats in the layer above every window (see UpdateVisibility): a
    // modal window run from the form would go under it there, and the window goes away meanwhile.
    if (modalOver(form->window()))
        return false;
    return !FHideWhenInactive || ApplicationIsActive();
}

void TCustomToolWindowKt::UpdateVisibility()
{
    if (Floating()) {
        const bool inactive = !FHideWhenInactive && !ApplicationIsActive();
        if (inactive != FInactiveCaption) {
            FInactiveCaption = inactive;
            update();
        }
    }
    const bool should = ShouldBeVisible();
    if (isVisible() == should)
        return;
    if (!Floating()) {
        if (FDocked || !should)
            QWidget::setVisible(should);
        return;
    }
    FFloatParent->SetShouldBeVisible(should);
    QWidget* form = FFloatParent->ParentForm();
    if (should) {
        // A form is told of its showing before the window system has its window: shown now, this
        // window would reach the window manager owned by a window it does not know yet, and be stacked
        // as one of its own. It is shown once the form's window is (or, failing that, on the next turn).
        const QWindow* formWindow = form->window()->windowHandle();
        if (FShowDeferral != kShowRunningDeferred && (!formWindow || !formWindow->isVisible())) {
            if (FShowDeferral == kShowNow) {
                FShowDeferral = kShowPending;
                QMetaObject::invokeMethod(this, [this] {
                    FShowDeferral = kShowRunningDeferred;
                    const TScopeGuard done([this] { FShowDeferral = kShowNow; });
                    UpdateVisibility();
                }, Qt::QueuedConnection);
            }
            return;
        }
        // A window manager keeps a modal window above every other window its owner holds, this one
        // included, so over a modal form (a dialog run with exec) the window would go under the form
        // at its first click: it is kept in the layer above instead while it floats there.
        const bool above = form->window()->isModal();
        if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != above)
            setWindowFlag(Qt::WindowStaysOnTopHint, above);
        // Owned by the form's window again (the owner may have been taken away), above it.
        if (windowHandle() && form->windowHandle() && windowHandle()->transientParent() != form->windowHandle())
            windowHandle()->setTransientParent(form->windowHandle());
        QWidget::setVisible(true);
        raise();
    } else {
        const bool wasActive = isActiveWindow();
        QWidget::setVisible(false);
        // The activation goes to the form rather than to no window at all; a modal window over the
        // form takes it itself.
        if (wasActive && form->isVisible() && !modalOver(form->window()))
            form->activateWindow();
    }
}

void TCustomToolWindowKt::ToolWindowHookProc(THookCode Code, QWidget* Wnd, WPARAM, LPARAM)
{
    if (!floatingList())
        return;
    // A copy: a visibility change may bring more hook calls, and a destroyed window leaves the list.
    const std::vector<TCustomToolWindowKt*> windows = *floatingList();
    auto stillFloating = [](TCustomToolWindowKt* w) {
        const auto& list = floatingList();
        return list && std::find(list->begin(), list->end(), w) != list->end();
    };
    for (TCustomToolWindowKt* w : windows) {
        if (!stillFloating(w))
            continue;
        switch (Code) {
        case hcActivateApp: w->UpdateVisibility(); break;
        case hcWindowPosChanged: {
            // The form's own changes, and a modal window coming or going, which may stand over it.
            QWidget* form = w->FFloatParent ? w->FFloatParent->ParentForm() : nullptr;
            if (form && Wnd && (form == Wnd || Wnd->isAncestorOf(form) || (Wnd->isModal() && Wnd != form->window())))
                w->UpdateVisibility();
            break;
        }
        case hcPreDestroy: {
            QWindow* owner = w->windowHandle() ? w->windowHandle()->transientParent() : nullptr;
            if (owner && Wnd && Wnd->windowHandle() == owner) {
                // Its owner goes first: the window is owned by its holder's window instead, or by none
                // when that is the one going.
                QWidget* holderWindow = w->FFloatParent ? w->FFloatParent->window() : nullptr;
                QWindow* next = holderWindow && holderWindow != Wnd ? holderWindow->windowHandle() : nullptr;
                w->windowHandle()->setTransientParent(next);
            }
            break;
        }
        case hcMouseMove: break;
        }
    }
}

// ---- events

bool TCustomToolWindowKt::event(QEvent* e)
{
    if (e->type() == kPaintDockedFrameEvent) {
        FFramePaintPosted = false;
        if (FDocked)
            update();
        return true;
    }
    switch (e->type()) {
    case QEvent::WindowActivate: {
        // The form keeps the activation: a floating window only lends its clicks to it. A control of the
        // window that takes the keyboard (an edit clicked into) keeps it, or it could never be typed in.
        const QWidget* focus = focusWidget();
        const bool typing = focus && (focus->focusPolicy() & Qt::ClickFocus);
        if (Floating() && FLoop.Kind == lkNone && !typing) {
            QWidget* form = GetMDIParent(FFloatParent->ParentForm());
            if (form->isVisible())
                form->activateWindow();
        }
        break;
    }
    case QEvent::Close:
        if (Floating()) {
            // Closing a tool window asks its form.
            e->ignore();
            GetMDIParent(FFloatParent->ParentForm())->close();
            return true;
        }
        break;
    default: break;
    }
    return QWidget::event(e);
}

void TCustomToolWindowKt::moveEvent(QMoveEvent* e)
{
    if (Floating())
        FFloatingPosition = TPoint{x(), y()};
    QWidget::moveEvent(e);
}

void TCustomToolWindowKt::resizeEvent(QResizeEvent* e)
{
    if (FUpdatingBounds == 0 && size() != FOwnSize) {
        FOwnSize = size();
        SizeChanged(width(), height());
    }
    QWidget::resizeEvent(e);
    if (OnResize)
        OnResize(this);
}

void TCustomToolWindowKt::hideEvent(QHideEvent* e)
{
    // A window hidden in the middle of a drag takes its outline with it.
    if (FLoop.Kind != lkNone)
        endLoop(false);
    QWidget::hideEvent(e);
}

bool TCustomToolWindowKt::overChild(TPoint p)
{
    QWidget* child = childAt(p.X, p.Y);
    return child && child->isVisible() && !ChildControlTransparent(child);
}

void TCustomToolWindowKt::updateCursor(TPoint p)
{
    TCursor shape = crDefault;
    switch (HitTest(p)) {
    case HTLEFT:
    case HTRIGHT: shape = crSizeWE; break;
    case HTTOP:
    case HTBOTTOM: shape = crSizeNS; break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: shape = crSizeNWSE; break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT: shape = crSizeNESW; break;
    default: break;
    }
    if (shape == crDefault)
        unsetCursor();
    else
        setCursor(CursorOf(shape));
}

void TCustomToolWindowKt::mousePressEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    const TPoint p{at.x(), at.y()};
    const QPoint global = e->globalPosition().toPoint();
    if (FLoop.Kind != lkNone) {
        // Another press ends the loop unaccepted.
        endLoop(false);
        return;
    }
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    if (Floating()) {
        raise();
        if (FActivateParent)
            GetMDIParent(FFloatParent->ParentForm())->activateWindow();
    }
    const int hit = HitTest(p);
    if (hit == HTCLOSE)
        startClose();
    else if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT)
        startResize(hit, TPoint{global.x(), global.y()});
    else if (hit == HTCLIENT && (Floating() || (FDocked && FDockedTo->AllowDrag())) && !overChild(p))
        startDrag(p, TPoint{global.x(), global.y()}, (e->modifiers() & Qt::ControlModifier) != 0);
}

void TCustomToolWindowKt::mouseDoubleClickEvent(QMouseEvent* e)
{
    if (FLoop.Kind != lkNone) {
        endLoop(false);
        return;
    }
    const QPoint at = e->position().toPoint();
    if (e->button() != Qt::LeftButton || HitTest(TPoint{at.x(), at.y()}) != HTCLIENT || overChild(TPoint{at.x(), at.y()})) {
        QWidget::mouseDoubleClickEvent(e);
        return;
    }
    // Between the dock and floating: a docked window floats where it last floated; a floating one goes
    // to the front of row 0 of its default dock.
    if (FDocked && FDockedTo->AllowDrag()) {
        SetParent(ValidToolWindowParentForm(this));
        MoveOnScreen(true);
    } else if (Floating() && FDefaultDock) {
        FDockRow = 0;
        FDockPos = kDefaultDockPos;
        SetParent(FDefaultDock.data());
    }
}

void TCustomToolWindowKt::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    const QPoint global = e->globalPosition().toPoint();
    const TPoint cursor{global.x(), global.y()};
    switch (FLoop.Kind) {
    case lkNone: updateCursor(TPoint{at.x(), at.y()}); break;
    case lkDrag:
        FLoop.LastCursor = cursor;
        showDragOutline(cursor);
        break;
    case lkResize:
        if (cursor == FLoop.LastCursor)
            break;
        FLoop.LastCursor = cursor;
        showOutline(ComputeResizeRect(cursor), GetWindowBorderSize(FResizable).X);
        break;
    case lkClose: {
        const bool over = CloseButtonRect().Contains(TPoint{at.x(), at.y()});
        if (over != FCloseButtonDown) {
            FCloseButtonDown = over;
            update();
        }
        break;
    }
    }
}

void TCustomToolWindowKt::mouseReleaseEvent(QMouseEvent* e)
{
    if (FLoop.Kind == lkNone || e->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    if (FLoop.Kind == lkDrag || FLoop.Kind == lkResize) {
        const QPoint global = e->globalPosition().toPoint();
        const TPoint cursor{global.x(), global.y()};
        if (cursor != FLoop.LastCursor) {
            FLoop.LastCursor = cursor;
            if (FLoop.Kind == lkDrag)
                showDragOutline(cursor);
            else
                showOutline(ComputeResizeRect(cursor), GetWindowBorderSize(FResizable).X);
        }
    }
    endLoop(FLoop.Kind != lkClose || FCloseButtonDown);
}

void TCustomToolWindowKt::keyPressEvent(QKeyEvent* e)
{
    if (FLoop.Kind == lkNone) {
        if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier && Floating()) {
            // Esc hands the keyboard back to the form.
            QWidget* form = FFloatParent->ParentForm();
            form->activateWindow();
            form->setFocus();
            return;
        }
        QWidget::keyPressEvent(e);
        return;
    }
    // Keys are the loop's while it runs.
    if (e->key() == Qt::Key_Escape)
        endLoop(false);
    else if (e->key() == Qt::Key_Control && FLoop.Kind == lkDrag && !FLoop.CtrlDown) {
        FLoop.CtrlDown = true;
        showDragOutline(FLoop.LastCursor);
    }
}

void TCustomToolWindowKt::keyReleaseEvent(QKeyEvent* e)
{
    if (FLoop.Kind == lkNone) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    if (e->key() == Qt::Key_Control && FLoop.Kind == lkDrag && FLoop.CtrlDown) {
        FLoop.CtrlDown = false;
        showDragOutline(FLoop.LastCursor);
    }
}

// ---- the loops

void TCustomToolWindowKt::startDrag(TPoint press, TPoint cursor, bool ctrl)
{
    FLoop = TLoopState{};
    FLoop.Kind = lkDrag;
    FLoop.GrabPoint = press;
    FLoop.StartSize = TPoint{width() - 1, height() - 1};
    FLoop.StartCursor = cursor;
    FLoop.LastCursor = cursor;
    FLoop.StartRect = screenBounds();
    FLoop.CtrlDown = ctrl;
    // The size the window would take in each place it may land.
    const TPoint client = GetClientSizeFor(dtNotDocked);
    const TPoint border = GetWindowBorderSize(FResizable);
    FLoop.FloatingSize = TPoint{client.X + 2 * border.X, client.Y + 2 * border.Y + GetSmallCaptionHeight()};
    for (TDockKt* dock : BuildDockList())
        FLoop.Docks.emplace_back(dock, dock == FDockedTo ? TPoint{width(), height()} : DockedSizeFor(dock));
    grabMouse();
    grabKeyboard();
    showDragOutline(cursor);
}

void TCustomToolWindowKt::startResize(int hit, TPoint cursor)
{
    FLoop = TLoopState{};
    FLoop.Kind = lkResize;
    FLoop.HitTest = hit;
    FLoop.StartCursor = cursor;
    FLoop.LastCursor = cursor;
    FLoop.StartRect = screenBounds();
    FLoop.MoveLeft = hit == HTLEFT || hit == HTTOPLEFT || hit == HTBOTTOMLEFT;
    FLoop.MoveRight = hit == HTRIGHT || hit == HTTOPRIGHT || hit == HTBOTTOMRIGHT;
    FLoop.MoveTop = hit == HTTOP || hit == HTTOPLEFT || hit == HTTOPRIGHT;
    FLoop.MoveBottom = hit == HTBOTTOM || hit == HTBOTTOMLEFT || hit == HTBOTTOMRIGHT;
    ResizeBegin(hit);
    grabMouse();
    grabKeyboard();
    showOutline(FLoop.StartRect, GetWindowBorderSize(FResizable).X);
}

void TCustomToolWindowKt::startClose()
{
    FLoop = TLoopState{};
    FLoop.Kind = lkClose;
    FCloseButtonDown = true;
    grabMouse();
    grabKeyboard();
    update();
}

void TCustomToolWindowKt::showOutline(const TRect& outline, int frameWidth)
{
    // Drawing a frame twice takes it away: only an outline that moved is redrawn, so it never flickers.
    if (FLoop.OutlineShown && outline == FLoop.Outline && frameWidth == FLoop.OutlineWidth)
        return;
    if (FLoop.OutlineShown)
        DrawInvertFrame(FLoop.Outline, FLoop.OutlineWidth);
    FLoop.Outline = outline;
    FLoop.OutlineWidth = frameWidth;
    DrawInvertFrame(outline, frameWidth);
    FLoop.OutlineShown = true;
}

void TCustomToolWindowKt::showDragOutline(TPoint cursor)
{
    const TRect outline = ComputeDragPosition(cursor);
    // A docked outline is a thin line; a floating one as wide as the floating frame.
    showOutline(outline, FLoop.Target ? 1 : GetWindowBorderSize(FResizable).X);
}

void TCustomToolWindowKt::endLoop(bool accepted)
{
    const TLoopState loop = FLoop;
    FLoop = TLoopState{};
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
    if (QWidget::keyboardGrabber() == this)
        releaseKeyboard();
    if (loop.OutlineShown)
        DrawInvertFrame(loop.Outline, loop.OutlineWidth);
    if (FDestroying)
        return;
    switch (loop.Kind) {
    case lkNone: break;
    case lkDrag:
        if (accepted && loop.OutlineShown)
            ApplyDrag(loop.Outline, loop.Target);
        break;
    case lkResize:
        ResizeEnd(accepted);
        if (accepted && loop.OutlineShown && loop.Outline != loop.StartRect) {
            setOwnBounds(toQRect(loop.Outline));
            if (FUpdatingBounds == 0)
                SizeChanged(width(), height());
            MoveOnScreen(true);
        }
        break;
    case lkClose:
        FCloseButtonDown = false;
        update();
        if (accepted) {
            setVisible(false);
            if (OnClose)
                OnClose(this);
        }
        break;
    }
}

TRect TCustomToolWindowKt::outlineAt(TPoint cursor, TPoint size) const
{
    // The grab point keeps its proportional place in the outline.
    const int left = cursor.X - MulDiv(size.X - 1, FLoop.GrabPoint.X, std::max(1, FLoop.StartSize.X));
    const int top = cursor.Y - MulDiv(size.Y - 1, FLoop.GrabPoint.Y, std::max(1, FLoop.StartSize.Y));
    return TRect{left, top, left + size.X, top + size.Y};
}

std::vector<TDockKt*> TCustomToolWindowKt::BuildDockList() const
{
    std::vector<TDockKt*> docks;
    QWidget* form = GetToolWindowParentForm(this);
    if (!form)
        return docks;
    auto wanted = [this](TDockKt* dock) {
        return dock->AllowDrag() && dock->isVisible() && FDockableTo.Contains(dock->Position());
    };
    // Depth first; within each control its docks come first, top, bottom, left, right.
    auto visit = [&](auto& self, QWidget* control) -> void {
        std::vector<QWidget*> children;
        for (QObject* child : control->children())
            if (auto* w = qobject_cast<QWidget*>(child); w && !w->isWindow() && !isToolWindow(w))
                children.push_back(w);
        for (TDockPosition side : {dpTop, dpBottom, dpLeft, dpRight})
            for (QWidget* w : children)
                if (TDockKt* dock = asDock(w); dock && dock->Position() == side) {
                    if (wanted(dock))
                        docks.push_back(dock);
                    self(self, dock);
                }
        for (QWidget* w : children)
            if (!asDock(w))
                self(self, w);
    };
    visit(visit, form);
    return docks;
}

bool TCustomToolWindowKt::CheckIfCanDockTo(TDockKt* dock, TPoint cursor)
{
    const TRect client = dock->ClientRect();
    const QPoint origin = dock->mapToGlobal(QPoint(client.Left, client.Top));
    TRect r{origin.x(), origin.y(), origin.x() + client.Width(), origin.y() + client.Height()};
    // An empty dock still offers a pixel on its side facing the form.
    if (dock->DockList().empty()) {
        switch (dock->Position()) {
        case dpTop: ++r.Bottom; break;
        case dpBottom: --r.Top; break;
        case dpLeft: ++r.Right; break;
        case dpRight: --r.Left; break;
        }
    }
    // The margins split like the grab point: grabbed near its left, the window reaches farther right.
    const int afterX = MulDiv(kDockMarginX, FLoop.GrabPoint.X, std::max(1, FLoop.StartSize.X));
    const int afterY = MulDiv(kDockMarginY, FLoop.GrabPoint.Y, std::max(1, FLoop.StartSize.Y));
    const TRect reach{r.Left - (kDockMarginX - afterX), r.Top - (kDockMarginY - afterY), r.Right + afterX,
                      r.Bottom + afterY};
    if (!reach.Contains(cursor))
        return false;
    if (GetDockTypeOf(dock) == dtLeftRight && (cursor.Y < r.Top || cursor.Y >= r.Bottom))
        return false;
    TPoint size = FLoop.FloatingSize;
    for (const auto& [each, eachSize] : FLoop.Docks)
        if (each == dock)
            size = eachSize;
    return intersects(outlineAt(cursor, size), r);
}

TRect TCustomToolWindowKt::ComputeDragPosition(TPoint cursor)
{
    // Docks first, unless Ctrl keeps the window floating; a dock may turn it away to the next one.
    FLoop.Target = nullptr;
    TPoint size = FLoop.FloatingSize;
    if (!FLoop.CtrlDown)
        for (const auto& [dock, dockSize] : FLoop.Docks) {
            if (!CheckIfCanDockTo(dock, cursor))
                continue;
            bool accept = true;
            if (dock->OnRequestDock)
                dock->OnRequestDock(dock, this, accept);
            if (accept) {
                FLoop.Target = dock;
                size = dockSize;
                break;
            }
        }
    if (FLoop.Target)
        return outlineAt(cursor, size);

    const TRect work = GetWorkArea(this);
    cursor.X = std::clamp(cursor.X, work.Left, std::max(work.Left, work.Right - 1));
    cursor.Y = std::clamp(cursor.Y, work.Top, std::max(work.Top, work.Bottom - 1));
    if (size.X == 0 && size.Y == 0) {
        // Asked outside a drag: the floating size now.
        const TPoint client = GetClientSizeFor(dtNotDocked);
        const TPoint border = GetWindowBorderSize(FResizable);
        size = TPoint{client.X + 2 * border.X, client.Y + 2 * border.Y + GetSmallCaptionHeight()};
    }
    TRect r = outlineAt(cursor, size);

    const TPoint border = GetWindowBorderSize(FResizable);
    const int margin = border.X + kReachableMargin;
    const TRect inner{work.Left + margin, work.Top + margin, work.Right - margin, work.Bottom - margin};
    if (r.Right <= inner.Left)
        r = offsetRect(r, inner.Left - r.Right, 0);
    else if (r.Left >= inner.Right)
        r = offsetRect(r, inner.Right - r.Left, 0);
    if (r.Bottom <= inner.Top)
        r = offsetRect(r, 0, inner.Top - r.Bottom);
    else if (r.Top >= inner.Bottom)
        r = offsetRect(r, 0, inner.Bottom - r.Top);
    const int highest = work.Top - border.Y - GetSmallCaptionHeight() + kReachableMargin;
    if (r.Top < highest)
        r = offsetRect(r, 0, highest - r.Top);
    return r;
}

void TCustomToolWindowKt::ApplyDrag(const TRect& outline, TDockKt* dock)
{
    if (dock) {
        const TRect client = dock->ClientRect();
        const QPoint origin = dock->mapToGlobal(QPoint(client.Left, client.Top));
        const TRect r = offsetRect(outline, -origin.x(), -origin.y());
        const bool leftRight = GetDockTypeOf(dock) == dtLeftRight;
        bool before = false;
        int row = dock->GetRowOf(leftRight ? (r.Left + r.Right) / 2 : (r.Top + r.Bottom) / 2, before);
        if (before) {
            dock->InsertRowBefore(row);
        } else if (FFullSize && dock->GetNumberOfToolbarsOnRow(row, this) > 0) {
            // A full-size window takes a row of its own, after the one it was dropped on.
            ++row;
            dock->InsertRowBefore(row);
        }
        FDockRow = row;
        FDockPos = leftRight ? r.Top : r.Left;
        // A change of parent tells of the move itself.
        if (FDockedTo != dock) {
            SetParent(dock);
            return;
        }
        dock->ArrangeToolbars();
    } else {
        SetFloatingPosition(TPoint{outline.Left, outline.Top});
        const bool wasDocked = FDocked;
        if (wasDocked)
            SetParent(ValidToolWindowParentForm(this));
        MoveOnScreen(true);
        if (wasDocked)
            return;
    }
    if (OnMove)
        OnMove(this);
}

TRect TCustomToolWindowKt::ComputeResizeRect(TPoint cursor)
{
    const TRect work = GetWorkArea(this);
    if (FParams.ResizeClipCursor) {
        cursor.X = std::clamp(cursor.X, work.Left, std::max(work.Left, work.Right - 1));
        cursor.Y = std::clamp(cursor.Y, work.Top, std::max(work.Top, work.Bottom - 1));
    }
    const int dx = cursor.X - FLoop.StartCursor.X;
    const int dy = cursor.Y - FLoop.StartCursor.Y;
    TRect r = FLoop.StartRect;
    if (FLoop.MoveLeft)
        r.Left += dx;
    if (FLoop.MoveRight)
        r.Right += dx;
    if (FLoop.MoveTop)
        r.Top += dy;
    if (FLoop.MoveBottom)
        r.Bottom += dy;

    int minWidth = 0, minHeight = 0;
    GetMinimumClientSize(minWidth, minHeight);
    const TRect frame = FrameSize();
    minWidth += frame.Left + frame.Right;
    minHeight += frame.Top + frame.Bottom;
    // Too small a side grows back from its edge that stays.
    if (r.Right - r.Left < minWidth) {
        if (FLoop.MoveLeft)
            r.Left = r.Right - minWidth;
        else
            r.Right = r.Left + minWidth;
    }
    if (r.Bottom - r.Top < minHeight) {
        if (FLoop.MoveTop)
            r.Top = r.Bottom - minHeight;
        else
            r.Bottom = r.Top + minHeight;
    }
    ResizeTrack(r, FLoop.StartRect);
    return r;
}

// ---- painting

void TCustomToolWindowKt::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (FDocked) {
        paintDockedFrame(painter);
        return;
    }
    if (!Floating()) {
        painter.fillRect(rect(), ToQColor(clBtnFace));
        return;
    }
    QRect edge = rect();
    painter.fillRect(edge, ToQColor(clBtnFace));
    DrawEdge(painter, edge, EDGE_RAISED, BF_RECT);
    drawCaption(painter);
}

void TCustomToolWindowKt::paintDockedFrame(QPainter& painter)
{
    TDockKt* dock = FDockedTo;
    const QColor color = ToQColor(dock->Color());
    const bool background = dock->UsingBackground() && dock->BackgroundOnToolbars();
    const TRect whole{0, 0, width(), height()};
    painter.fillRect(rect(), color);
    if (background) {
        // The tiles line up with the dock's own, from its client origin.
        const TRect dockClient = dock->ClientRect();
        const QPoint origin = mapFrom(dock, QPoint(dockClient.Left, dockClient.Top));
        dock->DrawBackground(painter, whole, nullptr,
                             TRect{origin.x(), origin.y(), origin.x() + dockClient.Width(), origin.y() + dockClient.Height()});
    }
    QRect outer = rect();
    if (FBorderStyle == bsSingle)
        DrawEdge(painter, outer, BDR_RAISEDINNER, BF_RECT);
    else
        Frame3D(painter, outer, dock->Color(), dock->Color());

    const int handle = DragHandleSize();
    if (handle == 0)
        return;
    const bool leftRight = GetDockTypeOf(dock) == dtLeftRight;
    const QColor light = ToQColor(clBtnHighlight);
    // Gaps of the dock's colour around one or two raised bars across the start of the window.
    const int along = leftRight ? ClientAreaWidth() : ClientAreaHeight();
    auto across = [&](int from, int to) {
        return leftRight ? QRect(kDockedBorder, from, along, to - from) : QRect(from, kDockedBorder, to - from, along);
    };
    if (!background) {
        painter.fillRect(across(kDockedBorder, kDockedBorder + 2), color);
        painter.fillRect(across(kDockedBorder + handle - 1, kDockedBorder + handle), color);
    }
    const int bars = FDragHandleStyle == dhDouble ? 2 : 1;
    for (int i = 0; i < bars; ++i) {
        QRect bar = across(4 + 3 * i, 7 + 3 * i);
        const QRect whole = bar;
        DrawEdge(painter, bar, BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        // The corner the edge leaves in shadow takes the light, so the bar looks rounded.
        if (leftRight)
            painter.fillRect(QRect(whole.right(), whole.top(), 1, 1), light);
        else
            painter.fillRect(QRect(whole.left(), whole.bottom(), 1, 1), light);
    }
}

void TCustomToolWindowKt::drawCaption(QPainter& painter)
{
    TPainterSave saved(painter);
    const TRect caption = CaptionRect();
    painter.fillRect(toQRect(caption), ToQColor(FInactiveCaption ? clInactiveCaption : clActiveCaption));
    // The line under the caption parts it from the client area.
    painter.fillRect(QRect(caption.Left, caption.Bottom, caption.Right - caption.Left, 1), ToQColor(clBtnFace));

    const TRect button = CloseButtonRect();
    TRect textArea{caption.Left + 2, caption.Top, FCloseButton ? button.Left - 1 : caption.Right - 1, caption.Bottom};
    painter.setFont(captionFont());
    const QFontMetrics metrics(captionFont());
    const std::string shown = FitCaptionText(FCaption, textArea.Right - textArea.Left, [&](const std::string& s) {
        return metrics.horizontalAdvance(FromEditorText(s));
    });
    painter.setPen(ToQColor(FInactiveCaption ? clInactiveCaptionText : clCaptionText));
    painter.setClipRect(toQRect(textArea));
    DrawText(painter, shown, textArea, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    painter.setClipping(false);

    if (!FCloseButton)
        return;
    // A square push button with a cross, sunken while held.
    QRect face = toQRect(button);
    painter.fillRect(face, ToQColor(clBtnFace));
    DrawEdge(painter, face, FCloseButtonDown ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int shift = FCloseButtonDown ? 1 : 0;
    const QRect glyph = face.adjusted(2 + shift, 2 + shift, -2 + shift, -2 + shift);
    if (glyph.width() > 1 && glyph.height() > 1) {
        painter.setPen(QPen(ToQColor(clBtnText), 1));
        painter.drawLine(glyph.topLeft(), glyph.bottomRight());
        painter.drawLine(glyph.topRight(), glyph.bottomLeft());
    }
}

// ---- stored values and slots

void TCustomToolWindowKt::ReadPositionData(const TPositionReadIntProc&, const TPositionReadStringProc&, void*) {}

void TCustomToolWindowKt::WritePositionData(const TPositionWriteIntProc&, const TPositionWriteStringProc&, void*) {}

void TCustomToolWindowKt::SizeChanged(int, int) {}

// ---------------------------------------------------------------- the concrete tool window

TToolWindowKt::TToolWindowKt(QWidget* parent) : TCustomToolWindowKt(nullptr)
{
    InitParams();
    if (parent)
        SetParent(parent);
}

void TToolWindowKt::GetRowSizeFor(int& Size, TDockType DockType)
{
    Size = DockType == dtLeftRight ? FClientWidth : FClientHeight;
}

void TToolWindowKt::GetMinimumClientSize(int& Width, int& Height)
{
    Width = MinClientWidth();
    Height = MinClientHeight();
}

TPoint TToolWindowKt::GetClientSizeFor(TDockType) { return TPoint{FClientWidth, FClientHeight}; }

void TToolWindowKt::SizeChanged(int Width, int Height)
{
    const TRect frame = parentWidget() ? FrameSize() : TRect{};
    FClientWidth = Width - frame.Left - frame.Right;
    FClientHeight = Height - frame.Top - frame.Bottom;
}

void TToolWindowKt::ReadPositionData(const TPositionReadIntProc& ReadIntProc, const TPositionReadStringProc&,
                                     void* ExtraData)
{
    if (!Resizable() || !ReadIntProc)
        return;
    const std::string name = ToEditorText(objectName());
    const int w = ReadIntProc(name, "ClientWidth", FClientWidth, ExtraData);
    const int h = ReadIntProc(name, "ClientHeight", FClientHeight, ExtraData);
    // A damaged store must not leave a window too small to grab, nor one whose outer size overflows.
    const TRect frame = FrameSize();
    FClientWidth = std::clamp(w, MinClientWidth(), std::max(MinClientWidth(), kMaxTrackSize - frame.Left - frame.Right));
    FClientHeight = std::clamp(h, MinClientHeight(), std::max(MinClientHeight(), kMaxTrackSize - frame.Top - frame.Bottom));
    Arrange();
}

void TToolWindowKt::WritePositionData(const TPositionWriteIntProc& WriteIntProc, const TPositionWriteStringProc&,
                                      void* ExtraData)
{
    if (!Resizable() || !WriteIntProc)
        return;
    const std::string name = ToEditorText(objectName());
    WriteIntProc(name, "ClientWidth", FClientWidth, ExtraData);
    WriteIntProc(name, "ClientHeight", FClientHeight, ExtraData);
}
