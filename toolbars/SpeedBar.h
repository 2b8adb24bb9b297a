// SpeedBar: the speed bar TSpeedBar, a panel of command buttons grouped in named sections that snap to a grid, with its sections, items and buttons, and its layout kept in a form storage.
#pragma once

#include <QImage>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/FormPlace.h"
#include "components/KrCtrls.h"
#include "components/core/SpeedbarLayout.h"
#include "toolbars/TBarCmn.h"
#include "platform/core/Exception.h"
#include "platform/core/Messages.h"
#include "platform/core/ScopeGuard.h"

class TImageList;
class TSpeedBar;
class TSpeedItem;
class TBtnControl;

// From a speed bar to its open setup window: WParam a code, LParam the bar (the item for code 2).
constexpr UINT CM_SPEEDBARCHANGED = 0xB050;
enum : WPARAM {
    SBR_CHANGED = 0,     // the items changed: fill the lists again
    SBR_DESTROYED = 1,   // the bar goes: close
    SBR_BTNSELECT = 2,   // an item was moved on the bar
    SBR_BTNSIZECHANGED = 3, // the buttons' size changed: size the lists again
};

// Misuse of a speed bar: an alignment its position refuses, a section caption that is taken.
class ESpeedbarError : public Exception {
    using Exception::Exception;
};

// Where a control lies in its parent, in the order the stored layout writes them.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TBevelCut { bvNone, bvLowered, bvRaised };

// bpAuto: the orientation follows the alignment; bpCustom: the bar keeps the orientation it has.
enum TBarPosition { bpAuto, bpCustom };

enum TSpeedbarOption : unsigned {
    sbAllowDrag = 1,
    sbAllowResize = 2,
    sbFlatBtns = 4,
    sbGrayedBtns = 8,
    sbTransparentBtns = 16,
    sbStretchBitmap = 32,
};
using TSpeedbarOptions = unsigned;

// Etched lines along the bar's edges.

// 0: buttons run left to right; 1: top to bottom.
enum TBarOrientation { boHorizontal = 0, boVertical = 1 };

// Asked before the bar docks to another edge; the handler may clear Apply.
using TApplyAlignEvent = std::function<void(TSpeedBar* Sender, TAlign Align, bool& Apply)>;
using TSpeedbarNotifyEvent = std::function<void(TSpeedBar* Sender)>;

// ---------------------------------------------------------------- button

// The button that shows one item on the bar. Its position stays at least at the bar's offset across
// the rows; it paints the bar's image of its item when there is one.
class TSpeedbarButton : public TKrSpeedButton {
public:
    explicit TSpeedbarButton(TSpeedItem* item);

    TSpeedItem* Item() const { return FItem; }
    // Moves and sizes the button, keeping it off the bar's margin across the rows.
    void SetBounds(int left, int top, int width, int height);

    ~TSpeedbarButton() override;

    // Dragging in edit mode, run by the bar, which holds the mouse meanwhile: a press makes the drag
    // image, moves follow the pointer (screen point) with it, a release drops the item there.
    void BeginDrag();
    void DragMove(QPoint screenPoint);
    void EndDrag(QPoint screenPoint);
    TBtnControl* DragImage() const { return FDragImage.get(); }

protected:
    void PaintGlyph(QPainter& canvas, const TRect& rect, TKrButtonState state, bool drawMark) override;
    void MouseDown(Qt::MouseButton button, TShiftState shift, int x, int y) override;

private:
    // The top-left screen point of the image whose bottom-right corner is at the pointer.
    QPoint imageCorner(QPoint screenPoint) const;

    TSpeedItem* FItem;
    std::unique_ptr<TBtnControl> FDragImage;
};

// ---------------------------------------------------------------- drag image

// The picture of one button that follows the pointer while it is dragged: a frameless window above
// all others that takes neither the focus nor the mouse.
class TBtnControl : public QWidget {
public:
    TBtnControl();
    ~TBtnControl() override;

    // Takes the look of the item's button and the bar's button size.
    void AssignSpeedItem(TSpeedItem* item);
    // Shows the image at the rectangle's top-left corner (taking its size while it has none), without
    // taking the focus, and the drag pointer with it.
    void Activate(const QRect& rect);
    TButtonImage& Image() { return FImage; }
    int ImageIndex() const { return FImageIndex; }
    const TImageList* Images() const { return FImages; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    TButtonImage FImage;
    int FSpacing = 1;
    int FMargin = -1;
    TButtonLayout FLayout = blGlyphTop;
    int FImageIndex = -1;
    const TImageList* FImages = nullptr;
    // The drag pointer, shown from the first activation until the image goes.
    std::unique_ptr<TScopeGuard> FPointer;
};

// The speed bar under a screen point: the widget there, or the bar its button lies on; nil when none.
TSpeedBar* FindSpeedBar(QPoint screenPoint);
// Paints an item's button at the cell's top-left corner (plus 1, 1) and its caption 3 pixels right of it.
void DrawCellButton(QPainter& canvas, const QRect& cell, TSpeedItem* item, TButtonImage& image);

// ---------------------------------------------------------------- section

class TSpeedbarSection : public QObject {
    Q_OBJECT

public:
    explicit TSpeedbarSection(QObject* owner = nullptr);
    ~TSpeedbarSection() override;

    const std::string& Caption() const { return FCaption; }
    // A caption another section of the bar has raises ESpeedbarError.
    void SetCaption(const std::string& value);
    // The place in the bar's list, -1 without a bar; set, it moves within the list (clamped).
    int Index() const;
    void SetIndex(int value);
    TSpeedBar* SpeedBar() const { return FBar; }
    int Count() const { return static_cast<int>(FItems.size()); }
    TSpeedItem* Item(int index) const;

private:
    friend class TSpeedBar;
    std::vector<TSpeedItem*> FItems;
    std::string FCaption;
    TSpeedBar* FBar = nullptr;
};

// ---------------------------------------------------------------- item

// One command of the bar, shown by the button it owns. An item is on the bar only while Visible.
class TSpeedItem : public QObject {
    Q_OBJECT

public:
    explicit TSpeedItem(QObject* owner = nullptr);
    ~TSpeedItem() override;

    // The component name; an item whose caption was its name takes the new name as caption.
    std::string Name() const { return objectName().toStdString(); } // Not editor text: an identifier
    void SetName(const std::string& value);
    // Windows-1252. Setting it keeps the hint in step (see SpeedItemHint) when the caption was the
    // hint's short part.
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    // "short|long": the short part is the tooltip, the long part the status hint.
    const std::string& Hint() const { return FButton->Hint(); }
    void SetHint(const std::string& value);
    bool Enabled() const { return FEnabled; }
    // Outside edit mode the button follows, and is enabled only while the bar is.
    void SetEnabled(bool value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    // Whether the stored layout records the item.
    bool Stored() const { return FStored; }
    void SetStored(bool value) { FStored = value; }
    int Left() const { return FButton->x(); }
    void SetLeft(int value);
    int Top() const { return FButton->y(); }
    void SetTop(int value);
    // The image of the bar's Images shown instead of the glyph; -1 for none.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    int Tag() const { return FTag; }
    void SetTag(int value);
    const std::string& BtnCaption() const { return FButton->Caption(); }
    void SetBtnCaption(const std::string& value) { FButton->SetCaption(value); }
    void SetGlyph(const QImage& value);
    // The glyph is made by `source` when it is first needed: when the item is shown or its glyph is
    // asked for (painting, dragging, the setup window's list). An item off the bar costs nothing.
    void SetGlyphSource(std::function<QImage()> source);
    // The button's glyph, made now if it waited.
    const QImage& Glyph();
    // In edit mode the button is enabled and not flat, so that it can be dragged.
    void SetEditing(bool value);
    bool Editing() const { return FEditing; }
    // Clicks the button.
    virtual void ButtonClick();
    // The button's click.
    void SetOnClick(TKrSpeedButton::TNotifyEvent handler) { FButton->OnClick = std::move(handler); }

    TSpeedbarButton* Button() const { return FButton.get(); }
    TSpeedBar* SpeedBar() const { return FBar; }
    int Section() const { return FSection; }

private:
    friend class TSpeedBar;
    friend class TSpeedbarSection;
    void applyEnabled();

    std::string FCaption;
    bool FEditing = false;
    bool FEnabled = true;
    std::unique_ptr<TSpeedbarButton> FButton;
    std::function<QImage()> FGlyphSource;
    bool FVisible = false;
    bool FStored = true;
    TSpeedBar* FBar = nullptr;
    int FSection = -1;
    int FImageIndex = -1;
    int FTag = 0;
};

// ---------------------------------------------------------------- bar

class TSpeedBar : public QWidget {
    Q_OBJECT
    // The bar's width, which a form storage may keep ("pBotones.Width").
    Q_PROPERTY(int Width READ Width WRITE SetWidth)

public:
    explicit TSpeedBar(QWidget* parent = nullptr);
    ~TSpeedBar() override;

    // ---- sections and items
    int SectionCount() const { return static_cast<int>(FSections.size()); }
    TSpeedbarSection* Sections(int index) const;
    // 0 for a section out of range.
    int ItemsCount(int section) const;
    // Nil when either index is out of range.
    TSpeedItem* Items(int section, int index) const;
    // Appends the section (the bar takes it), its caption followed by " (1)", " (2)"... until free;
    // returns its index.
    virtual int AddSection(TSpeedbarSection* section);
    // Every item of every section, sections in order, items in order.
    virtual void ForEachItem(const std::function<void(TSpeedItem*)>& proc) const;
    // The platform's menu font; the bar does not follow its parent's.
    virtual void SetFontDefault();
    // Puts the item (the bar takes it) at the end of section `section` (clamped); an item already on
    // the bar moves there.
    void AddItem(int section, TSpeedItem* item);
    void RemoveItem(TSpeedItem* item);
    // Detaches the section's items and takes the section out of the list (the caller frees it).
    void RemoveSection(int index);
    // Frees the section and its items.
    void DeleteSection(int index);
    // The first section with exactly this caption; -1 when none.
    int SearchSection(const std::string& caption) const;
    // The first item named so, ignoring case; nil when none.
    TSpeedItem* SearchItem(const std::string& name) const;
    bool FindItem(const TSpeedItem* item, int& section, int& index) const;
    // Puts an item of this bar on the grid cell of the client point; an item landing outside the
    // client area is hidden. True when it is inside.
    bool AcceptDropItem(TSpeedItem* item, int x, int y);
    // Aligns every visible item's position to the grid.
    void AlignItemsToGrid();

    // ---- edit mode: the setup window that is open, nil when none
    void SetEditing(QWidget* window);
    QWidget* EditWindow() const { return FEditWin; }
    bool Editing() const { return FEditWin != nullptr; }
    // Opens the setup window for this bar (brings it forward when it is open); a help context > 0
    // gives it a help button.
    void Customize(int helpContext);

    // ---- geometry
    // BtnWidth for 0, BtnHeight for 1, else 0.
    int BtnSize(int index) const;
    int BtnWidth() const { return FBtnWidth; }
    void SetBtnWidth(int value);
    int BtnHeight() const { return FBtnHeight; }
    void SetBtnHeight(int value);
    int BtnOffsetHorz() const { return FOffsetX; }
    void SetBtnOffsetHorz(int value);
    int BtnOffsetVert() const { return FOffsetY; }
    void SetBtnOffsetVert(int value);
    // The least offset: 2 for raised buttons, the border and the bevels.
    int MinButtonsOffset() const;
    int GridX() const { return FGridX; }
    int GridY() const { return FGridY; }
    TBarOrientation Orientation() const { return FOrientation; }
    TBarPosition Position() const { return FPosition; }
    void SetPosition(TBarPosition value);
    TAlign Align() const { return FAlign; }
    // Under bpAuto, alNone and alClient raise ESpeedbarError and the alignment stays; alTop/alBottom
    // turn the bar horizontal, alLeft/alRight vertical.
    void SetAlign(TAlign value);
    TSpeedbarOptions Options() const { return FOptions; }
    void SetOptions(TSpeedbarOptions value);
    // The bar's own size, which a layout keeps (its thickness across the rows is at least the buttons').
    void SetBarSize(int width, int height);
    int Width() const { return width(); }
    void SetWidth(int value) { SetBarSize(value, FBarSize.height()); }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // Form scaling from `multiplier` to `divider`: sizes and offsets, then the items to the grid.
    void ChangeScale(int multiplier, int divider);
    // The pointer's state over the bar: dragging it to another edge, resizing it.
    bool DraggingBar() const { return FMouse.Dragging; }
    bool ResizingBar() const { return FMouse.Resizing; }
    // The screen rectangle of the outline shown while the bar is dragged; empty when none.
    QRect DragOutline() const { return FMouse.Outline; }
    // Making the bar in code: between BeginLoading and Loaded, buttons are not sized one by one.
    void BeginLoading() { FLoading = true; }
    bool Loading() const { return FLoading; }
    void Loaded();

    // ---- panel look
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int value);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int value);
    TBoundLines BoundLines() const { return FBoundLines; }
    void SetBoundLines(TBoundLines value);
    const QImage& Wallpaper() const { return FWallpaper; }
    void SetWallpaper(const QImage& value);
    TImageList* Images() const { return FImages; }
    // The bar does not own the list; the list must outlive its use here or be set back to nil.
    void SetImages(TImageList* value);

    // ---- stored layout
    TFormPlacement* IniStorage() const { return FIniLink.Storage(); }
    void SetIniStorage(TFormPlacement* value) { FIniLink.SetStorage(value); }
    int Version() const { return FVersion; }
    void SetVersion(int value) { FVersion = value; }
    // The storage's root section followed by the bar's default section.
    std::string LayoutSection() const;
    // The link's handlers: write and read the arrangement of the items in LayoutSection.
    void SaveLayout();
    void RestoreLayout();
    // The screen's pixels per inch that the stored layout is checked against.
    static int ScreenPixelsPerInch();

    TApplyAlignEvent OnApplyAlign;
    TSpeedbarNotifyEvent OnCustomize;
    TSpeedbarNotifyEvent OnPosChanged;
    TSpeedbarNotifyEvent OnVisibleChanged;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class TSpeedItem;
    friend class TSpeedbarSection;
    friend class TSpeedbarButton;
    // What the pointer does with the bar (SpeedBarDock.cpp).
    struct TBarMouseState {
        // The outline on the screen while the bar is dragged; empty when none is shown.
        QRect Outline;
        // The edge last accepted during the drag; the bar's own alignment when it starts.
        TAlign Accepted = alTop;
        bool Pressed = false;
        bool Dragging = false;
        bool Resizing = false;
        QPoint DownPoint;
        // The button dragged in edit mode, which the bar holds the mouse for.
        QPointer<TSpeedbarButton> DraggedButton;
    };
    // Sends CM_SPEEDBARCHANGED to the open setup window.
    void notifySetupWindow(WPARAM code, LPARAM param);
    void beginButtonDrag(TSpeedbarButton* button);
    // The edge under a point of the parent and the outline of the bar docked there.
    TAlign edgeAt(QPoint inParent) const;
    QRect dockOutline(TAlign edge) const;
    void showOutline(const QRect& screenRect);
    void moveBar(QPoint at);
    void dropBar(QPoint at);
    void resizeBar(QPoint at);
    bool onSizingEdge(QPoint at) const;
    void prepareItem(TSpeedItem* item);
    void detachItem(TSpeedItem* item);
    void updateGrid();
    void switchOrientation(TBarOrientation value);
    void applyAlign();
    // Raises the offsets to the least one, moving the items by the increase.
    void raiseOffsets();
    void moveItems(int dx, int dy);
    void resizeButtons();
    void buttonSizeChanged();
    // Tells the open setup window that the buttons' size or arrangement changed.
    void layoutChanged();
    void ensureThickness();
    // The client rectangle less the border and the bevels.
    QRect innerRect() const;
    void visibilityChanged();

    std::vector<std::unique_ptr<TSpeedbarSection>> FSections;
    TBarPosition FPosition = bpAuto;
    TBarOrientation FOrientation = boHorizontal;
    TAlign FAlign = alTop;
    int FBtnWidth = 24;
    int FBtnHeight = 23;
    int FGridX = 8;
    int FGridY = 23;
    int FOffsetX = 0;
    int FOffsetY = 0;
    QPointer<QWidget> FEditWin;
    TSpeedbarOptions FOptions = sbAllowDrag | sbGrayedBtns;
    // Set while the orientation switches: painting waits for the new arrangement.
    bool FUpdating = false;
    bool FLoading = false;
    int FVersion = 0;
    QImage FWallpaper;
    TBoundLines FBoundLines;
    TIniLink FIniLink;
    TImageList* FImages = nullptr;
    TBevelCut FBevelInner = bvNone;
    TBevelCut FBevelOuter = bvRaised;
    int FBevelWidth = 1;
    int FBorderWidth = 0;
    QSize FBarSize;
    TBarMouseState FMouse;
};
