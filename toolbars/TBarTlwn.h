// TBarTlwn: tool windows, floating above their form as small captioned windows (moved, resized and closed from their own frame) or docked in a dock with a drag handle, and the types shared with the docks.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Classes.h" // TBorderStyle
#include "platform/core/Geometry.h"
#include "platform/core/Messages.h"
#include "toolbars/TBarCmn.h"

class TCustomToolWindowKt;
class TDockKt;

// ---------------------------------------------------------------- shared types

enum TDockPosition : uint8_t { dpTop, dpBottom, dpLeft, dpRight };

using TDockableTo = TSmallSet<TDockPosition>;
using TDockBoundLine = TBoundLine;
using TDockBoundLines = TBoundLines;
enum TDragHandleStyle : uint8_t { dhDouble, dhNone, dhSingle };

// How the tool window holding a control is docked.
enum TDockType : uint8_t { dtNotDocked, dtTopBottom, dtLeftRight };
// dtNotDocked for no dock, dtLeftRight for a left or right one, else dtTopBottom.
TDockType GetDockTypeOf(const TDockKt* dock);
// The dock type of the tool window that holds `control` (or is it): dtNotDocked for a floating or
// parentless one and for a control in no tool window.
TDockType GetDockTypeOf(const QWidget* control);
// The dock of the tool window that holds `control` (or is it); nullptr when that window is not docked.
TDockKt* GetDockOf(const QWidget* control);

using TInsertRemoveEvent = std::function<void(QWidget* Sender, bool Inserting, TCustomToolWindowKt* Bar)>;
using TRequestDockEvent = std::function<void(QWidget* Sender, TCustomToolWindowKt* Bar, bool& Accept)>;

// Built once by GetToolWindowParams; every switch is on in the base.
struct TToolWindowParams {
    bool CallAlignControls = true; // align child controls
    bool ResizeEightCorner = true; // corner sizing zones besides the four edges
    bool ResizeClipCursor = true;  // keep the pointer in the work area while resizing
};

// The stored values of a tool window go through these: (tool window name, value name, default or value,
// extra data).
using TPositionReadIntProc =
    std::function<int(const std::string& ToolWindow, const std::string& Value, int Default, void* ExtraData)>;
using TPositionReadStringProc = std::function<std::string(const std::string& ToolWindow, const std::string& Value,
                                                          const std::string& Default, void* ExtraData)>;
using TPositionWriteIntProc =
    std::function<void(const std::string& ToolWindow, const std::string& Value, int Data, void* ExtraData)>;
using TPositionWriteStringProc = std::function<void(const std::string& ToolWindow, const std::string& Value,
                                                    const std::string& Data, void* ExtraData)>;

// ---------------------------------------------------------------- metrics

// Height of a small caption in the platform's style.
int GetSmallCaptionHeight();
// The frame's width and height: the fixed frame, or the sizing frame of a resizable window.
TPoint GetWindowBorderSize(bool Resizable);
// The screen's available area (the screen holding `near`, else the primary one); the whole screen
// when that cannot be read.
TRect GetWorkArea(const QWidget* near = nullptr);
// `text` when it fits; else the text with "..." appended, losing characters before it until it fits or
// has fewer than 5 characters.
std::string FitCaptionText(const std::string& text, int maxWidth, const std::function<int(const std::string&)>& measure);

// ---------------------------------------------------------------- the floating parent

// Holds a floating tool window for its form: the form it was placed on and whether it should be seen.
// It is a hidden child of that form, so the form's end ends it and the tool windows in it, and the
// tool window's own window is owned by the form's.
class TFloatingWindowParent : public QWidget {
    Q_OBJECT

public:
    explicit TFloatingWindowParent(QWidget* parentForm);
    ~TFloatingWindowParent() override;

    QWidget* ParentForm() const { return FParentForm; }
    bool ShouldBeVisible() const { return FShouldBeVisible; }
    void SetShouldBeVisible(bool value) { FShouldBeVisible = value; }

private:
    QWidget* FParentForm;
    bool FShouldBeVisible = false;
};

// ---------------------------------------------------------------- tool windows

class TCustomToolWindowKt : public QWidget {
    Q_OBJECT
    friend class TFloatingWindowParent;
    friend class TDockKt;

public:
    using TNotifyEvent = std::function<void(TCustomToolWindowKt* Sender)>;

    explicit TCustomToolWindowKt(QWidget* parent = nullptr);
    ~TCustomToolWindowKt() override;

    // Places the window on a form (where it floats) or in a dock; nullptr takes it off. A parent that
    // is neither raises EInvalidOperation.
    void SetParent(QWidget* newParent);
    // After the form's controls are made: the floating position, designed in the form's client
    // coordinates, becomes a screen position and the window is brought onto the screen.
    void Loaded();

    // ---- properties
    bool ActivateParent() const { return FActivateParent; }
    void SetActivateParent(bool value) { FActivateParent = value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    bool CloseButton() const { return FCloseButton; }
    void SetCloseButton(bool value);
    int ClientAreaWidth() const;
    int ClientAreaHeight() const;
    void SetClientAreaWidth(int value);
    void SetClientAreaHeight(int value);
    TDockKt* DefaultDock() const;
    // The dock a double click docks the floating window into; forgotten when that dock goes.
    void SetDefaultDock(TDockKt* value);
    TDockableTo DockableTo() const { return FDockableTo; }
    void SetDockableTo(TDockableTo value) { FDockableTo = value; }
    TDockKt* DockedTo() const { return FDockedTo; }
    // nullptr floats the window on its form; a dock docks it there.
    void SetDockedTo(TDockKt* value);
    bool Docked() const { return FDocked; }
    bool Floating() const { return FFloatParent != nullptr && parentWidget() == FFloatParent; }
    int DockPos() const { return FDockPos; }
    void SetDockPos(int value);
    int DockRow() const { return FDockRow; }
    void SetDockRow(int value);
    TDragHandleStyle DragHandleStyle() const { return FDragHandleStyle; }
    void SetDragHandleStyle(TDragHandleStyle value);
    bool FullSize() const { return FFullSize; }
    void SetFullSize(bool value);
    bool HideWhenInactive() const { return FHideWhenInactive; }
    void SetHideWhenInactive(bool value);
    int MinClientWidth() const { return FMinClientWidth; }
    void SetMinClientWidth(int value) { FMinClientWidth = value; }
    int MinClientHeight() const { return FMinClientHeight; }
    void SetMinClientHeight(int value) { FMinClientHeight = value; }
    bool Resizable() const { return FResizable; }
    void SetResizable(bool value);
    const TToolWindowParams& Params() const { return FParams; }
    TFloatingWindowParent* FloatParent() const { return FFloatParent; }
    // Screen position kept while floating.
    TPoint FloatingPosition() const { return FFloatingPosition; }
    void SetFloatingPosition(TPoint value);
    // Whether the caption is drawn inactive (the application inactive, the window not hidden for it).
    bool InactiveCaption() const { return FInactiveCaption; }
    bool CloseButtonDown() const { return FCloseButtonDown; }

    // The user's wish; the window shows only while ShouldBeVisible holds.
    void setVisible(bool visible) override;
    bool Visible() const { return FVisible; }

    // ---- frame and geometry
    // The frame around the client area: left, top, right, bottom thickness.
    TRect FrameSize() const;
    // The caption bar and its close button, in window coordinates (empty while not floating).
    TRect CaptionRect() const;
    TRect CloseButtonRect() const;
    // Width of the drag handle shown in the window's dock (0 when floating or the dock allows no drag).
    int DragHandleSize() const;
    // The outer size the window takes in `dock`: its client size for the dock's type and the docked frame.
    TPoint DockedSizeFor(const TDockKt* dock);
    // Asks for the docked frame to be painted again; one request waits at a time.
    void InvalidateDockedFrame();
    bool FramePaintPending() const { return FFramePaintPosted; }
    // Where a window point lies: HTCLIENT, HTCLOSE, a sizing code or HTNOWHERE.
    int HitTest(TPoint p) const;

    // ---- operations
    void Arrange();
    void BeginUpdate();
    void EndUpdate();
    void MoveOnScreen(bool OnlyIfFullyOffscreen);
    bool ShouldBeVisible() const;
    void UpdateVisibility();
    // The outline a drag puts the window at for a pointer at `cursor` (screen coordinates).
    TRect ComputeDragPosition(TPoint cursor);
    // Puts the window where a drag left its outline: into `dock` at the row and place under the outline,
    // or, with no dock, floating at the outline's top-left and onto the screen.
    void ApplyDrag(const TRect& outline, TDockKt* dock = nullptr);
    // The docks a drag may drop the window into, in the order they are tried.
    std::vector<TDockKt*> BuildDockList() const;
    // Whether a drag with the pointer at `cursor` may drop the window into `dock`.
    bool CheckIfCanDockTo(TDockKt* dock, TPoint cursor);
    // The rectangle a resize leaves for the pointer at `cursor`.
    TRect ComputeResizeRect(TPoint cursor);

    // Whether a drag, resize or close-button press is under way, and the outline shown for it.
    bool InLoop() const { return FLoop.Kind != lkNone; }
    TRect LoopOutline() const { return FLoop.Outline; }
    // The dock the drag's outline is in now (nullptr: floating) and the outline's frame width.
    TDockKt* LoopTarget() const { return FLoop.Target; }
    int LoopOutlineWidth() const { return FLoop.OutlineWidth; }
    bool LoopOutlineShown() const { return FLoop.OutlineShown; }

    // ---- stored values
    virtual void ReadPositionData(const TPositionReadIntProc& ReadIntProc,
                                  const TPositionReadStringProc& ReadStringProc, void* ExtraData);
    virtual void WritePositionData(const TPositionWriteIntProc& WriteIntProc,
                                   const TPositionWriteStringProc& WriteStringProc, void* ExtraData);

    // ---- slots of the concrete window
    virtual void GetRowSizeFor(int& Size, TDockType DockType) = 0;
    virtual void GetMinimumClientSize(int& Width, int& Height) = 0;
    virtual TPoint GetClientSizeFor(TDockType DockType) = 0;
    virtual void SizeChanged(int Width, int Height);

    // ---- the floating windows, made on first need, gone when empty
    static const std::vector<TCustomToolWindowKt*>* FloatingToolWindows();
    static void ToolWindowHookProc(THookCode Code, QWidget* Wnd, WPARAM WParam, LPARAM LParam);

    TNotifyEvent OnClose;
    TNotifyEvent OnDockChanged;
    TNotifyEvent OnDockChanging;
    TNotifyEvent OnMove;
    TNotifyEvent OnRecreated;
    TNotifyEvent OnRecreating;
    TNotifyEvent OnResize;
    TNotifyEvent OnVisibleChanged;

protected:
    // Overridable hooks, empty in the base.
    virtual void ResizeBegin(int /*HitTest*/) {}
    virtual void ResizeTrack(TRect& /*Rect*/, const TRect& /*StartRect*/) {}
    virtual void ResizeEnd(bool /*Accepted*/) {}
    virtual bool ChildControlTransparent(QWidget* /*Control*/) { return false; }
    virtual void GetToolWindowParams(TToolWindowParams& /*Params*/) {}
    // The constructor cannot reach an override: a concrete class calls this from its own.
    void InitParams();

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void hideEvent(QHideEvent* e) override;

    // A bounds change made by the window itself does not count as the user's resize.
    int FUpdatingBounds = 0;
    // The size the window last gave itself.
    QSize FOwnSize;

private:
    enum TLoopKind : uint8_t { lkNone, lkDrag, lkResize, lkClose };
    // The one loop a mouse grab drives at a time.
    struct TLoopState {
        TLoopKind Kind = lkNone;
        TPoint GrabPoint;      // press point from the window's outer top-left
        TPoint StartSize;      // (Width - 1, Height - 1)
        TPoint StartCursor;    // screen position of the press
        TPoint LastCursor;
        TRect StartRect;       // screen bounds at the press
        TRect Outline;         // outline shown now
        bool OutlineShown = false;
        bool CtrlDown = false;
        int HitTest = HTNOWHERE;
        TDockKt* Target = nullptr;
        int OutlineWidth = 0;
        // The drag's docks and, for each, the window's outer size there; then the floating size.
        std::vector<std::pair<TDockKt*, TPoint>> Docks;
        TPoint FloatingSize;
        bool MoveLeft = false, MoveRight = false, MoveTop = false, MoveBottom = false;
    };

    void startDrag(TPoint press, TPoint cursor, bool ctrl);
    void startResize(int hit, TPoint cursor);
    void startClose();
    void endLoop(bool accepted);
    void showOutline(const TRect& outline, int frameWidth);
    void showDragOutline(TPoint cursor);
    TRect outlineAt(TPoint cursor, TPoint size) const;
    void paintDockedFrame(QPainter& painter);
    // A docked window's frame changed: margins, size and the dock's rows follow.
    void dockedFrameChanged();
    TRect screenBounds() const;
    // Sets bounds as the window's own change, which is no resize by the user.
    void setOwnBounds(const QRect& r);
    bool overChild(TPoint p);
    void updateCursor(TPoint p);
    void addToFloatingList();
    void removeFromFloatingList();
    void drawCaption(QPainter& painter);
    // Its holder is being destroyed, and this window with it as its child.
    void holderDestroying();
    void setOuterSize(int width, int height);
    void updateContentsMargins();

    bool FActivateParent = true;
    TBorderStyle FBorderStyle = bsSingle;
    std::string FCaption;
    bool FCloseButton = true;
    QPointer<TDockKt> FDefaultDock;
    TDockableTo FDockableTo{dpTop, dpBottom, dpLeft, dpRight};
    TDockKt* FDockedTo = nullptr;
    int FDockPos = -1;
    int FDockRow = 0;
    TDragHandleStyle FDragHandleStyle = dhDouble;
    bool FFullSize = false;
    bool FHideWhenInactive = true;
    // A show waits for the form's window to be the window system's: it is then pending, and runs on
    // the next turn of the event loop whatever the form's window is by then.
    enum TShowDeferral : uint8_t { kShowNow, kShowPending, kShowRunningDeferred };
    TShowDeferral FShowDeferral = kShowNow;
    int FMinClientWidth = 32;
    int FMinClientHeight = 32;
    bool FResizable = true;
    bool FVisible = true;

    bool FDocked = false;
    TFloatingWindowParent* FFloatParent = nullptr;
    int FUpdateCount = 0;
    bool FArrangeNeeded = false;
    int FHidden = 0;
    bool FInactiveCaption = false;
    TPoint FFloatingPosition;
    bool FDestroying = false;
    bool FHolderGone = false;
    // The dock type at the last parent change, so a new parent sizes the window for it.
    bool FDockTypeRecorded = false;
    TDockType FLastDockType = dtNotDocked;
    TToolWindowParams FParams;
    bool FCloseButtonDown = false;
    bool FFramePaintPosted = false;
    TLoopState FLoop;
};

// A tool window whose content has one size whether it floats or is docked.
class TToolWindowKt : public TCustomToolWindowKt {
    Q_OBJECT

public:
    explicit TToolWindowKt(QWidget* parent = nullptr);

    void GetRowSizeFor(int& Size, TDockType DockType) override;
    void GetMinimumClientSize(int& Width, int& Height) override;
    TPoint GetClientSizeFor(TDockType DockType) override;
    void SizeChanged(int Width, int Height) override;

    void ReadPositionData(const TPositionReadIntProc& ReadIntProc, const TPositionReadStringProc& ReadStringProc,
                          void* ExtraData) override;
    void WritePositionData(const TPositionWriteIntProc& WriteIntProc,
                           const TPositionWriteStringProc& WriteStringProc, void* ExtraData) override;

    int ContentWidth() const { return FClientWidth; }
    int ContentHeight() const { return FClientHeight; }

private:
    int FClientWidth = 32;
    int FClientHeight = 32;
};

// ---------------------------------------------------------------- helpers

// The form `control` stands on: its nearest window that is no tool window, or, through a floating
// parent, the form the tool window was placed on. nullptr when there is none.
QWidget* GetToolWindowParentForm(const QWidget* control);
// The same; EInvalidOperation "Control '%s' has no parent window" (the control's name) when none.
QWidget* ValidToolWindowParentForm(const QWidget* control);
// The frame window of an MDI child; every form here is its own.
QWidget* GetMDIParent(QWidget* form);
