// TToolbarButtonKt: the flat toolbar button, with its picture TToolbarButtonGlyph and the glyph lists all buttons share.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "components/KrCtrls.h"
#include "components/core/ButtonGroup.h"
#include "platform/core/ButtonLayout.h"
#include "platform/core/Classes.h"
#include "platform/core/Geometry.h"
#include "platform/core/Graphics.h"
#include "toolbars/TBarCmn.h"

class QPainter;
class QTimer;
class TCustomImageList;
class TPopupMenu;

// The number is also the index of the state's image in a glyph strip.
enum TButtonStateKt : uint8_t { bsUp, bsDisabled, bsDown, bsExclusive, bsMouseIn };
constexpr int kButtonStateKtCount = 5;
enum TButtonDisplayMode : uint8_t { dmBoth, dmGlyphOnly, dmTextOnly };

// Width of the menu part of a drop-down combo button.
constexpr int kDropdownComboWidth = 11;

// An image list whose slots are handed out and given back; it never shrinks, so slots never move.
class TToolbarGlyphList : public TKrGlyphList {
public:
    TToolbarGlyphList(int width, int height) : TKrGlyphList(width, height) {}

    int AllocateIndex() { return AllocateSlot(); }
    // Throws EInvalidOperation, taking no slot, when the image is smaller than the list's images.
    int AddMasked(const QImage& image, TColor maskColor);
    // Puts the image, transparent where it has `maskColor`, in the slot; throws EInvalidOperation when
    // the image is smaller than the list's images or the slot does not exist.
    void ReplaceMasked(int index, const QImage& image, TColor maskColor);

private:
    void checkSize(const QImage& image) const;
};

// One glyph list per image size, shared by every toolbar button.
class TToolbarGlyphCache : public TGlyphListCache<TToolbarGlyphList> {
public:
    TToolbarGlyphList* GetList(int width, int height) { return ListForSize(width, height); }
    // Frees the list once no slot of it is used.
    void ReturnList(TToolbarGlyphList* list) { ReleaseList(list); }
    bool Empty() const { return IsEmpty(); }
};
// Null while no glyph needs it.
TToolbarGlyphCache* ToolbarGlyphCache();

// A one-bit mask (white = 1) of the pixels whose colour is one of `colors`; -1 stands for the image's
// bottom-left pixel.
QImage MaskFromColors(const QImage& image, const std::vector<TColor>& colors);
// Paints `color` on the canvas where the mask is white and leaves the other pixels.
void DrawMaskColored(QPainter& canvas, const QImage& mask, TColor color);

// The picture of one toolbar button: glyph strip or image-list image, caption and drop-down arrow,
// with one cached image per state in the shared glyph lists.
class TToolbarButtonGlyph {
public:
    TToolbarButtonGlyph();
    ~TToolbarButtonGlyph();
    TToolbarButtonGlyph(const TToolbarButtonGlyph&) = delete;
    TToolbarButtonGlyph& operator=(const TToolbarButtonGlyph&) = delete;

    const QImage& Glyph() const { return FGlyph; }
    void SetGlyph(const QImage& value);
    const QImage& GlyphMask() const { return FGlyphMask; }
    void SetGlyphMask(const QImage& value);
    int NumGlyphs() const { return FNumGlyphs; }
    // 0 gives 1, more than 5 gives 5; an image list keeps 1.
    void SetNumGlyphs(int value);
    const TCustomImageList* ImageList() const { return FImageList; }
    void SetImageList(const TCustomImageList* value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int value);
    bool OldDisabledStyle() const { return FOldDisabledStyle; }
    void SetOldDisabledStyle(bool value);
    TColor TransparentColor() const { return FTransparentColor; }

    void GlyphChanged(bool fromGlyph);
    void UpdateNumGlyphs();
    // Drops the cached images and hands the lists back.
    void Invalidate();
    // The list and slot of the state's image, built on first need; slot -1 when there is no glyph.
    std::pair<TToolbarGlyphList*, int> CreateButtonGlyph(TButtonStateKt state);
    int CachedIndex(bool enabledList, TButtonStateKt state) const { return FIndexes[enabledList][state]; }

    struct TLayout {
        TPoint GlyphPos;
        TPoint ArrowPos;
        TRect TextBounds;
    };
    TLayout CalcButtonLayout(QPainter& canvas, const TRect& client, TPoint offset, const std::string& caption,
                             TButtonLayout layout, int margin, int spacing, bool wordWrap, bool dropArrow,
                             bool drawGlyph, bool drawCaption) const;
    void Draw(QPainter& canvas, const TRect& client, TPoint offset, const std::string& caption,
              TButtonLayout layout, int margin, int spacing, TButtonStateKt state, TAlignment alignment,
              bool wordWrap, bool dropArrow, bool drawGlyph, bool drawCaption, TColor fontColor);
    // The drop-down triangle with corners (x+4, y), (x+8, y), (x+6, y+2).
    static void DrawArrow(QPainter& canvas, int x, int y, bool enabled, TColor fontColor);

    std::function<void()> OnChange;

private:
    TPoint glyphSize() const;
    QImage sourceImage(int stateIndex, int iw, int ih, QImage* mask) const;

    QImage FGlyph;
    QImage FGlyphMask;
    std::array<TToolbarGlyphList*, 2> FGlyphList{nullptr, nullptr};
    int FImageIndex = -1;
    const TCustomImageList* FImageList = nullptr;
    std::array<std::array<int, kButtonStateKtCount>, 2> FIndexes;
    TColor FTransparentColor = clBtnFace;
    int FNumGlyphs = 1;
    bool FOldDisabledStyle = false;
};

// The flat button of the toolbars: it paints its own face and frame, drops down a menu (or, as a
// combo, from its right 11 pixels), repeats while held, latches in groups, and shows its frame only
// while the pointer is over it.
class TToolbarButtonKt : public QWidget {
public:
    using TNotifyEvent = std::function<void(TToolbarButtonKt* Sender)>;
    using TMouseEvent = std::function<void(TToolbarButtonKt* Sender, Qt::MouseButton Button, int X, int Y)>;

    explicit TToolbarButtonKt(QWidget* parent = nullptr);
    ~TToolbarButtonKt() override;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    bool AllowAllUp() const { return FGroup.AllowAllUp; }
    void SetAllowAllUp(bool value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool value) { FCancel = value; }
    bool Default() const { return FDefault; }
    void SetDefault(bool value) { FDefault = value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TButtonDisplayMode DisplayMode() const { return FDisplayMode; }
    void SetDisplayMode(TButtonDisplayMode value);
    bool Down() const { return FGroup.Down; }
    void SetDown(bool value);
    bool DropdownArrow() const { return FDropdownArrow; }
    void SetDropdownArrow(bool value);
    bool DropdownCombo() const { return FDropdownCombo; }
    void SetDropdownCombo(bool value);
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* value);
    const std::string& Caption() const { return FCaption; }
    // What a layout gives the button: the plain size (wider for a combo), as wide as its caption needs.
    QSize sizeHint() const override;
    void SetCaption(const std::string& value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    const QImage& Glyph() const { return FGlyph->Glyph(); }
    void SetGlyph(const QImage& value);
    const QImage& GlyphMask() const { return FGlyph->GlyphMask(); }
    void SetGlyphMask(const QImage& value);
    int GroupIndex() const { return FGroup.GroupIndex; }
    void SetGroupIndex(int value);
    const TCustomImageList* Images() const { return FGlyph->ImageList(); }
    void SetImages(const TCustomImageList* value);
    int ImageIndex() const { return FGlyph->ImageIndex(); }
    void SetImageIndex(int value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);
    int Margin() const { return FMargin; }
    void SetMargin(int value);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    bool NoBorder() const { return FNoBorder; }
    void SetNoBorder(bool value);
    int NumGlyphs() const { return FGlyph->NumGlyphs(); }
    void SetNumGlyphs(int value);
    bool OldDisabledStyle() const { return FGlyph->OldDisabledStyle(); }
    void SetOldDisabledStyle(bool value);
    bool Opaque() const { return FOpaque; }
    void SetOpaque(bool value);
    bool Repeating() const { return FRepeating; }
    void SetRepeating(bool value) { FRepeating = value; }
    int RepeatDelay() const { return FRepeatDelay; }
    void SetRepeatDelay(int value) { FRepeatDelay = value; }
    int RepeatInterval() const { return FRepeatInterval; }
    void SetRepeatInterval(int value) { FRepeatInterval = value; }
    bool ShowBorderWhenInactive() const { return FShowBorderWhenInactive; }
    void SetShowBorderWhenInactive(bool value) { FShowBorderWhenInactive = value; }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value);

    TButtonStateKt State() const { return FState; }
    bool MouseInControl() const { return FMouseInControl; }
    bool MenuIsDown() const { return FMenuIsDown; }
    bool Dragging() const { return FDragging; }
    TToolbarButtonGlyph& ButtonGlyph() { return *FGlyph; }
    const QTimer* RepeatTimer() const { return FRepeatTimer; }

    // After the properties are set: builds the image of the current state ahead.
    void Loaded();
    void Redraw(bool erase);
    virtual void Click();
    bool PointInButton(int x, int y) const;
    void UpdateExclusive();
    void MouseEntered();
    void MouseLeft();
    void UpdateTracking();
    void RemoveButtonMouseTimer();
    void RepeatTimerHandler();
    void ButtonMouseTimerHandler();
    // Enter on a Default button, Esc on a Cancel one; returns whether the button was clicked.
    bool DialogKey(int key, Qt::KeyboardModifiers modifiers);
    // The caption's accelerator; returns whether the button was clicked.
    bool DialogChar(char key);
    // The system colours changed.
    void SysColorChange();
    // Ends a press as a lost capture does.
    void CancelMode();

    static void ButtonHookProc(THookCode Code, QWidget* Wnd, WPARAM WParam, LPARAM LParam);
    // The control under the pointer; tests may replace how it is found (nullptr restores the default).
    static void SetControlAtPointerFinder(std::function<QWidget*()> finder);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;

protected:
    void Paint();
    virtual void MouseDown(Qt::MouseButton button, int x, int y);
    virtual void MouseMove(Qt::MouseButtons held, int x, int y);
    virtual void MouseUp(Qt::MouseButton button, int x, int y);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void EnabledChanged();
    // The caption's accelerator reaches the button through a shortcut of its window.
    void grabAccelerator();
    bool isCombo() const { return FDropdownCombo && FUsesDropdown; }
    void inheritedClick();

    std::unique_ptr<TToolbarButtonGlyph> FGlyph;
    bool FInClick = false;
    bool FMouseInControl = false;
    bool FDragging = false;
    bool FMenuIsDown = false;
    bool FUsesDropdown = false;
    QTimer* FRepeatTimer = nullptr;
    TButtonStateKt FState = bsUp;
    int FShortcutId = 0;

    TAlignment FAlignment = taCenter;
    // Its group, whether it is down, and whether the group lets all be up.
    TButtonGroupState FGroup;
    bool FCancel = false;
    bool FDefault = false;
    TColor FColor = clBtnFace;
    TButtonDisplayMode FDisplayMode = dmBoth;
    bool FDropdownArrow = true;
    bool FDropdownCombo = false;
    TPopupMenu* FDropdownMenu = nullptr;
    QMetaObject::Connection FMenuDestroyed;
    std::string FCaption;
    bool FFlat = true;
    TButtonLayout FLayout = blGlyphLeft;
    int FMargin = -1;
    int FModalResult = 0;
    bool FNoBorder = false;
    bool FOpaque = true;
    bool FRepeating = false;
    int FRepeatDelay = 400;
    int FRepeatInterval = 100;
    bool FShowBorderWhenInactive = false;
    int FSpacing = 4;
    bool FWordWrap = false;
};

// The hot button of the process, or null.
TToolbarButtonKt* HotButton();
// The shared leave timer (125 ms), or null while no button lives.
QTimer* ButtonMouseTimer();
int ToolbarButtonCount();
// The checkered fill of latched buttons, or null until first needed.
const QImage* ToolbarButtonPattern();
