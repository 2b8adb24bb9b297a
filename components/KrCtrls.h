// KrCtrls: the speed button TKrSpeedButton and what draws its picture: glyph strips with state images kept in shared glyph lists, caption layout, button borders and TButtonImage.
#pragma once

#include <QImage>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/VCLUtils.h"
#include "components/core/ButtonGroup.h"
#include "platform/Buttons.h"
#include "platform/Controls.h"
#include "platform/ImageList.h"
#include "platform/core/ButtonLayout.h"
#include "platform/core/Geometry.h"
#include "platform/core/Graphics.h"

class QPainter;
class QTimer;
class TPopupMenu;

// The number is also the index of the state's image in a glyph strip.
enum TKrButtonState { rsUp, rsDisabled, rsDown, rsExclusive, rsInactive };
constexpr int kKrButtonStateCount = 5;

enum TKrDropDownMenuPos { dmpBottom, dmpRight };

// A glyph strip holds one to five images: up, disabled, down, exclusive (stays down) and inactive.
using TKrNumGlyphs = int;
constexpr TKrNumGlyphs kKrMaxNumGlyphs = 5;

// Among the speed buttons of one parent: "this button of group WParam went down", LParam the button.
constexpr UINT CM_KRBUTTONPRESSED = 0xB051;

// The character after the caption's single ampersand; 0 when it marks none ("&&" is a plain "&").
char AcceleratorOf(const std::string& caption);

// Watches a drop-down menu while a button shows it. When the press that closes the menu lands over
// the button, the menu is marked so that the press is not given again to the window under the mouse:
// it would press the button a second time. Presses elsewhere are given again as usual. The watch ends
// with the object.
class TMenuClosingPress : public QObject {
public:
    // Whether a point, in the button's coordinates, lies over the button.
    using TOverButton = std::function<bool(const QWidget* button, QPoint at)>;
    TMenuClosingPress(QWidget* button, QWidget* menu, TOverButton overButton);
    ~TMenuClosingPress() override;
    TMenuClosingPress(const TMenuClosingPress&) = delete;
    TMenuClosingPress& operator=(const TMenuClosingPress&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* FButton;
    QWidget* FMenu;
    TOverButton FOverButton;
};

// ---------------------------------------------------------------- glyph lists

// An image list whose slots are handed out and given back: a freed slot keeps its image until it is
// reused, so the indexes of the other images never move and the list never shrinks.
class TKrGlyphList : public TImageList {
public:
    TKrGlyphList(int width, int height) : TImageList(width, height) {}

    // The first free slot, or a new one at the end; the slot is taken.
    int AllocateSlot();
    // Take a slot and put the image there; these hide the list's own Add, which would bypass the slots.
    int Add(const QImage& image, const QImage& mask);
    int AddMasked(const QImage& image, TColor maskColor);
    // Gives the slot back; a slot not taken is left alone.
    void Delete(int index);

    int UsedCount() const { return FUsedCount; }
    bool Used(int index) const { return index >= 0 && index < static_cast<int>(FUsed.size()) && FUsed[index]; }

private:
    std::vector<bool> FUsed;
    int FUsedCount = 0;
};

// The glyph lists of the process, one per image size, shared by every button glyph.
// Glyph lists by image size, shared by the buttons of one family; `TList` is that family's list.
template <class TList>
class TGlyphListCache {
public:
    // The newest list of that size, made when there is none.
    TList* ListForSize(int width, int height)
    {
        for (auto it = FLists.rbegin(); it != FLists.rend(); ++it)
            if ((*it)->Width() == width && (*it)->Height() == height)
                return it->get();
        FLists.push_back(std::make_unique<TList>(width, height));
        return FLists.back().get();
    }
    // Frees the list when none of its slots is taken any more.
    void ReleaseList(TList* list)
    {
        if (!list || list->UsedCount() != 0)
            return;
        std::erase_if(FLists, [list](const std::unique_ptr<TList>& held) { return held.get() == list; });
    }
    bool IsEmpty() const { return FLists.empty(); }
    int ListCount() const { return static_cast<int>(FLists.size()); }

private:
    std::vector<std::unique_ptr<TList>> FLists;
};

class TKrGlyphCache : public TGlyphListCache<TKrGlyphList> {};

// The process's cache: made by the first button glyph (and by an image build that finds none), freed
// by a button glyph's destructor that leaves it without lists. Null while there is none.
TKrGlyphCache* GlyphCache();

// ---------------------------------------------------------------- button glyph

// Where DrawEx put things, for callers that lay out around the caption.
struct TKrGlyphLayout {
    TPoint GlyphPos;
    TRect TextBounds;
    std::string Caption; // as fitted to the room
};

// The picture of a button: a glyph strip, the state images built from it on demand, and the caption
// laid out beside the glyph.
class TKrButtonGlyph {
public:
    using TNotifyEvent = std::function<void(TKrButtonGlyph* Sender)>;

    TKrButtonGlyph();
    ~TKrButtonGlyph();
    TKrButtonGlyph(const TKrButtonGlyph&) = delete;
    TKrButtonGlyph& operator=(const TKrButtonGlyph&) = delete;

    // The strip; its bottom-left pixel gives the transparent colour. Setting it drops the built images
    // and, when the width is a multiple of the height, takes the number of images from it.
    const QImage& Glyph() const { return FStrip; }
    void SetGlyph(const QImage& strip);
    TKrNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    // 0 and the current value are ignored.
    void SetNumGlyphs(TKrNumGlyphs value);
    TColor TransparentColor() const { return FTransparentColor; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool value) { FWordWrap = value; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value) { FAlignment = value; }

    // Drops every built state image and gives the glyph list back to the cache.
    void Invalidate();
    // The slot in GlyphList() of the state's image, built on first need; -1 for an empty strip.
    int StateImageIndex(TKrButtonState state);
    // The same for image `imageIndex` of a caller's image list (the inactive look is the one used).
    int ListStateImageIndex(TKrButtonState state, const TImageList& images, int imageIndex);
    TKrGlyphList* GlyphList() const { return FGlyphList; }
    int BuiltIndex(TKrButtonState state) const { return FIndexes[state]; }

    // The grey of a colour by its lightness; the transparent colour and clBtnFace stay as they are.
    TColor GrayedColor(TColor color) const;
    // Each pixel of `target` (32-bit RGB, no larger than `source`) becomes the GrayedColor of the
    // same pixel of `source`; the two may be one image.
    void GrayInto(QImage& target, const QImage& source) const;

    // The room the caption has in a client area of `clientSize` beside a glyph of `glyphSize`.
    static TPoint CaptionRoom(TPoint clientSize, TPoint glyphSize, TButtonLayout layout, int margin, int spacing,
                              bool popupMark);
    // Places the parts from their measured sizes: `textSize` is the caption's size already clipped to
    // its room. The drop-down mark widens the caption, or the glyph when it stands beside it.
    static TKrGlyphLayout PlaceGlyphAndCaption(const TRect& client, TPoint glyphSize, TPoint textSize,
                                               TButtonLayout layout, int margin, int spacing, bool popupMark);
    // Measures the caption in the canvas's font and places glyph and caption in `client`.
    TKrGlyphLayout LayoutGlyphAndText(QPainter& canvas, const TRect& client, unsigned flags, const std::string& caption,
                                      TButtonLayout layout, int margin, int spacing, bool popupMark,
                                      const TImageList* images, int imageIndex) const;
    // Without word wrap each line is shortened to `width` in the canvas's font.
    std::string FitCaption(QPainter& canvas, const std::string& caption, int width) const;
    void DrawCaption(QPainter& canvas, const std::string& caption, TRect bounds, TKrButtonState state,
                     unsigned flags) const;
    // Draws glyph (from `images` when it has image `imageIndex`, else from the strip), caption and
    // drop-down mark; returns the caption's rectangle.
    TRect DrawEx(QPainter& canvas, const TRect& client, unsigned flags, TKrButtonState state, int imageIndex,
                 const TImageList* images, bool popupMark, int spacing, int margin, TButtonLayout layout,
                 const std::string& caption);
    TRect Draw(QPainter& canvas, const TRect& client, unsigned flags, TKrButtonState state, bool popupMark,
               int spacing, int margin, TButtonLayout layout, const std::string& caption)
    {
        return DrawEx(canvas, client, flags, state, -1, nullptr, popupMark, spacing, margin, layout, caption);
    }
    // The small triangle of a drop-down button, its top row centred on (x + 3, y - 1), 7 pixels wide.
    static void DrawDropDownArrow(QPainter& canvas, int x, int y, TKrButtonState state);

    TNotifyEvent OnChange;

private:
    void StripChanged();
    TKrGlyphList& listFor(int width, int height);
    // Puts the picture in the glyph list, masked by `maskColor`, and remembers its slot for `state`.
    int addImage(TKrButtonState state, const QImage& picture, TColor maskColor);
    TPoint glyphSize(const TImageList* images, int imageIndex) const;

    QImage FStrip;
    TKrGlyphList* FGlyphList = nullptr;
    std::array<int, kKrButtonStateCount> FIndexes;
    TColor FTransparentColor = 0x00FF00FF;
    TKrNumGlyphs FNumGlyphs = 1;
    bool FWordWrap = false;
    TAlignment FAlignment = taCenter;
};

// A stand-alone button picture with glyph and caption, for showing what a button will look like.
class TButtonImage {
public:
    TButtonImage();

    void SetNumGlyphs(TKrNumGlyphs value) { FGlyph.SetNumGlyphs(value); }
    void SetWordWrap(bool value) { FGlyph.SetWordWrap(value); }
    void SetGlyph(const QImage& value) { FGlyph.SetGlyph(value); }
    TAlignment Alignment() const { return FGlyph.Alignment(); }
    void SetAlignment(TAlignment value) { FGlyph.SetAlignment(value); }
    TKrButtonGlyph& Glyph() { return FGlyph; }

    TPoint ButtonSize = {24, 23};
    std::string Caption;

    // A raised button at (x, y) with the glyph and caption in the up state; `font`, when given, is the
    // caption's. The canvas's font and brush come back as they were.
    void DrawEx(QPainter& canvas, int x, int y, int margin, int spacing, TButtonLayout layout, const QFont* font,
                const TImageList* images, int imageIndex, unsigned flags);

private:
    TKrButtonGlyph FGlyph;
};

// Draws a button's frame, down or up, flat or not, in the look of `style`; returns the area inside it.
TRect DrawButtonBorder(QPainter& canvas, const TRect& client, bool isDown, TButtonStyle style, bool flat);

// ---------------------------------------------------------------- speed button

// A window-less-looking push button with a glyph: grouped like radio buttons, flat with a grey glyph
// away from the mouse, with a drop-down menu and auto-repeat. It never takes the focus.
class TKrSpeedButton : public QWidget, public TMessageTarget {
public:
    using TNotifyEvent = std::function<void(TKrSpeedButton* Sender)>;
    using TMouseEvent = std::function<void(TKrSpeedButton* Sender, Qt::MouseButton Button, TShiftState Shift, int X, int Y)>;
    using TMouseMoveEvent = std::function<void(TKrSpeedButton* Sender, TShiftState Shift, int X, int Y)>;

    explicit TKrSpeedButton(QWidget* parent = nullptr);
    ~TKrSpeedButton() override;

    TAlignment Alignment() const { return FGlyph->Alignment(); }
    void SetAlignment(TAlignment value);
    bool AllowAllUp() const { return FGroup.AllowAllUp; }
    void SetAllowAllUp(bool value);
    bool AllowTimer() const { return FAllowTimer; }
    void SetAllowTimer(bool value);
    int GroupIndex() const { return FGroup.GroupIndex; }
    void SetGroupIndex(int value);
    bool Down() const { return FGroup.Down; }
    void SetDown(bool value);
    TPopupMenu* DropDownMenu() const { return FDropDownMenu; }
    void SetDropDownMenu(TPopupMenu* value);
    TKrDropDownMenuPos MenuPosition() const { return FMenuPosition; }
    void SetMenuPosition(TKrDropDownMenuPos value) { FMenuPosition = value; }
    // Windows-1252; an ampersand marks the accelerator.
    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    const QImage& Glyph() const { return FGlyph->Glyph(); }
    void SetGlyph(const QImage& value);
    bool GrayedInactive() const { return FGrayedInactive; }
    void SetGrayedInactive(bool value);
    // Milliseconds before the first repeat and between later ones.
    int InitPause() const { return FInitPause; }
    void SetInitPause(uint16_t value) { FInitPause = value; }
    int RepeatInterval() const { return FRepeatInterval; }
    void SetRepeatInterval(uint16_t value) { FRepeatInterval = value; }
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);
    // -1 centres; values below -1 are ignored.
    int Margin() const { return FMargin; }
    void SetMargin(int value);
    bool MarkDropDown() const { return FMarkDropDown; }
    void SetMarkDropDown(bool value);
    // Given to the dialog the button is on when it is clicked; non-zero closes the dialog with it.
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int value) { FModalResult = value; }
    TKrNumGlyphs NumGlyphs() const { return FGlyph->NumGlyphs(); }
    // Values above 5 become 5.
    void SetNumGlyphs(TKrNumGlyphs value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int value);
    TButtonStyle Style() const { return FStyle; }
    void SetStyle(TButtonStyle value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool value);
    bool WordWrap() const { return FGlyph->WordWrap(); }
    void SetWordWrap(bool value);

    TKrButtonState State() const { return FState; }
    bool MouseOver() const { return FMouseOver; }
    TKrButtonGlyph& ButtonGlyph() { return *FGlyph; }
    // The off-screen picture of the last paint.
    const QImage& PaintBuffer() const { return FPaintBuffer; }
    // The repeat timer; null until a press with AllowTimer first needs it.
    const QTimer* RepeatTimer() const { return FRepeatTimer; }

    // Builds the glyph image of the current look at once (after the properties are set).
    void Loaded();
    // Sets the dialog's result, then runs OnClick.
    virtual void Click();
    // The point in client coordinates where the drop-down menu opens, by MenuPosition and the menu's
    // alignment; (0, 0) without a menu.
    TPoint MenuPoint() const;
    // Pops the drop-down menu up at the client point when it pops up by itself (or when `forced`);
    // returns whether it was shown, after it closed.
    bool DropDownPopup(TPoint point, bool forced);
    // An accelerator key: clicks an enabled button whose caption marks `key`; returns whether it did.
    bool DialogChar(char key);
    // Whether the mouse is over this enabled button of the foreground program, told on a change.
    void TrackMouse();

    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam) override;

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

protected:
    // Draws glyph, caption and mark in the rectangle; the speed bar's buttons draw their own.
    virtual void PaintGlyph(QPainter& canvas, const TRect& rect, TKrButtonState state, bool drawMark);
    virtual void MouseDown(Qt::MouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(Qt::MouseButton button, TShiftState shift, int x, int y);
    virtual void MouseEnter();
    virtual void MouseLeave();
    // One click per tick while the button is held down.
    void RepeatTick();
    void Paint();

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void ReleaseButton(Qt::MouseButton button, int x, int y);
    void UpdateGroup();
    void ButtonPressed(int groupIndex, TKrSpeedButton* sender);
    void SysColorChange();
    void buildCurrentLook();
    bool inside(int x, int y) const;
    void grabAccelerator();

    // Its group, whether it is down, and whether the group lets all be up.
    TButtonGroupState FGroup;
    TButtonStyle FStyle = bsAutoDetect;
    std::unique_ptr<TKrButtonGlyph> FGlyph;
    QImage FPaintBuffer;
    bool FPressing = false;
    bool FFlat = false;
    bool FMouseOver = false;
    TButtonLayout FLayout = blGlyphTop;
    int FSpacing = 1;
    int FMargin = -1;
    int FModalResult = 0;
    bool FTransparent = false;
    bool FMarkDropDown = true;
    TPopupMenu* FDropDownMenu = nullptr;
    QMetaObject::Connection FMenuDestroyed;
    TKrDropDownMenuPos FMenuPosition = dmpBottom;
    bool FGrayedInactive = true;
    bool FMenuOpen = false;
    QTimer* FRepeatTimer = nullptr;
    bool FAllowTimer = false;
    uint16_t FInitPause = 500;
    uint16_t FRepeatInterval = 100;
    TKrButtonState FState = rsUp;
    std::string FCaption;
    std::string FHint;
    int FShortcutId = 0;
};

// Speed buttons alive now.
int ButtonCount();
// The 8 x 8 pattern of clBtnFace and clBtnHighlight that fills an exclusive button; made on first
// need, freed with the last button. Null while there is none.
const QImage* DownPattern();
