// TabCtrls: the tab set and the page control, which paint their own tabs on the platform tab control.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TabControl.h"
#include "platform/core/Classes.h"
#include "platform/core/Fonts.h"
#include "platform/core/Graphics.h"

class QPainter;
class TCustomImageList;
class TCustomTabSetControl;
class TPageSetControl;
class TTabSetSheet;

// Tabs above (with vertical tabs: left of) the pages, or below (right of) them.
enum TTabSetPosition { tpTopLeft, tpBottomRight };
enum TTextRotation { trHorizontal, trVertical };
enum TGripAlign { gaLeft, gaRight, gaTop, gaBottom };
// What OnFloatChange reports: a sheet has started floating, or has come back.
enum TFloatState { fstFloating = 0, fstDocked = 1 };

using TTabSetNotifyEvent = std::function<void(QWidget* Sender)>;
using TTabChangingEvent = std::function<void(QWidget* Sender, bool& AllowChange)>;
// Draws one tab on the control's Canvas() in place of the control's own drawing.
using TDrawTabSetEvent =
    std::function<void(TCustomTabSetControl* PageSetControl, const std::string& Caption, int PageIndex, const TRect& Rect)>;
using TTabSetTabTrackEvent = std::function<void(QWidget* Sender, int TabIndex)>;
using TTabSetFloatEvent = std::function<void(QWidget* Sender, TFloatState FloatState)>;

// A list of strings kept in a control's tab items rather than in memory of its own. Descendants say
// how an item's string and object are read and written; the list operations are built on those.
class TItemStrings {
public:
    virtual ~TItemStrings() = default;
    virtual int Count() const = 0;
    virtual std::string Get(int index) const = 0;
    virtual void Put(int index, const std::string& s) = 0;
    virtual void* GetObject(int index) const = 0;
    virtual void PutObject(int index, void* object) = 0;
    virtual void Insert(int index, const std::string& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual int Add(const std::string& s);

    std::string operator[](int index) const { return Get(index); }
    int AddObject(const std::string& s, void* object);
    int IndexOf(std::string_view s) const;
    // The item's string and object go to `to`, as a delete and an insert would move them.
    void Move(int from, int to);
    // The lines joined with CR LF; setting replaces every item by the lines of the text.
    std::string Text() const;
    void SetText(std::string_view text);
    // Replaces the items by the strings (and objects) of the list.
    void Assign(const TStringList& source);

    // Nested updates: the update state is on from the first begin to the last end.
    void BeginUpdate();
    void EndUpdate();

protected:
    virtual void SetUpdateState(bool updating) = 0;

private:
    int FUpdateCount = 0;
};

// The captions of one control's tab items, each with the item's object.
class TTabStrings : public TItemStrings {
public:
    explicit TTabStrings(TCustomTabSetControl& control) : FControl(control) {}
    int Count() const override;
    std::string Get(int index) const override;
    void Put(int index, const std::string& s) override;
    void* GetObject(int index) const override;
    void PutObject(int index, void* object) override;
    // Inserts the caption only; the object is set by a following PutObject.
    void Insert(int index, const std::string& s) override;
    void Delete(int index) override;
    void Clear() override;

protected:
    void SetUpdateState(bool updating) override;

private:
    TCustomTabSetControl& FControl;
};

// The image index of each tab item as decimal text. Only existing items are written; insert,
// delete and objects mean nothing here. Add writes at its own running count, so that a list of
// lines added in order fills the items from the first.
class TImageIndexStrings : public TItemStrings {
public:
    explicit TImageIndexStrings(TCustomTabSetControl& control) : FControl(control) {}
    int Count() const override;
    std::string Get(int index) const override;
    // Text that is no integer, or a negative one, stores -1 (no image).
    void Put(int index, const std::string& s) override;
    void* GetObject(int) const override { return nullptr; }
    void PutObject(int, void*) override {}
    void Insert(int, const std::string&) override {}
    void Delete(int) override {}
    void Clear() override { FAddCount = 0; }
    int Add(const std::string& s) override;

    // Copies the entries both lists have; the items beyond keep their images.
    void Assign(const TStringList& source);
    void Assign(const TItemStrings& source);
    // A font is no list of strings: raises Exception "Can't assign TFont to TImageIndexStrings.".
    void Assign(const TFont& source);

protected:
    void SetUpdateState(bool) override {}

private:
    template <class List>
    void assignEntries(const List& source);
    TCustomTabSetControl& FControl;
    int FAddCount = 0;
};

// The tab strip shared by the tab set and the page control: the platform tab control in owner-draw
// style, painting inactive tabs in their own colour and font, the hot tab's caption in the
// highlight colour, images, and captions turned for tabs on the left or right. A style property
// restyles the control in place; its items (captions, objects, selection and images) stay.
class TCustomTabSetControl : public TTabControl {
    Q_OBJECT
public:
    explicit TCustomTabSetControl(QWidget* parent = nullptr);
    ~TCustomTabSetControl() override;

    // The class name that error messages carry.
    virtual const char* ClassName() const = 0;

    TTabStrings& Tabs() { return FTabs; }
    const TTabStrings& Tabs() const { return FTabs; }
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* images);
    // The image list changed its images: the tabs are measured and drawn afresh.
    void ImageListChange();

    int TabWidth() const { return FTabWidth; }
    void SetTabWidth(int value);
    int TabHeight() const { return FTabHeight; }
    void SetTabHeight(int value);
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool value);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool value);
    bool FlatButtons() const { return FFlatButtons; }
    void SetFlatButtons(bool value);
    // Reading re-applies the stored value to the control.
    bool FlatSeperators();
    void SetFlatSeperators(bool value);
    bool FocusButtons() const { return FFocusButtons; }
    void SetFocusButtons(bool value);
    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool value) { FHotTrack = value; }
    bool ScrollOpposite() const { return FScrollOpposite; }
    void SetScrollOpposite(bool value);
    TTabSetPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabSetPosition value);
    bool VerticalTabs() const { return FVerticalTabs; }
    void SetVerticalTabs(bool value);
    TTextRotation TextRotation() const { return FTextRotation; }
    void SetTextRotation(TTextRotation value);
    bool ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(bool value);
    bool UseMSDrawing() const { return FUseMSDrawing; }
    void SetUseMSDrawing(bool value);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value);
    bool AllowTabShifting() const { return FAllowTabShifting; }
    void SetAllowTabShifting(bool value) { FAllowTabShifting = value; }

    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    TFont& Font() { return FFont; }
    TColor TabInactiveColor() const { return FTabInactiveColor; }
    void SetTabInactiveColor(TColor value);
    TFont& TabInactiveFont() { return FTabInactiveFont; }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& value);

    // The tab under the mouse, -1 when none.
    int HotTab() const { return FHotTab; }
    // The painter of the tab being drawn, for OnDrawTab; null outside drawing.
    QPainter* Canvas() const { return FCanvas; }
    // Where the child controls go: the page area less 2 more pixels at the top.
    TRect DisplayRect();
    // Lays the tabs out again and realigns the children, unless the tab strings are being updated.
    void UpdateTabLayout();
    // Sets the item size and lays the tabs out, as after loading a form.
    void Loaded();

    // Alt with a character: the first tab that has it as accelerator is selected. True when taken.
    virtual bool DialogChar(char c);
    // A key the focused control left to its parents; true when taken.
    virtual bool DialogKey(int vk, TShiftState shift);

    bool CanChange();
    virtual void Change();

    TTabSetNotifyEvent OnChange;
    TTabSetNotifyEvent OnTabShift;
    TTabChangingEvent OnChanging;
    TDrawTabSetEvent OnDrawTab;
    TTabSetTabTrackEvent OnTabTrack;

    void WndProc(TMessage& message) override;

protected:
    bool event(QEvent* e) override;
    // The hint of the tab under the mouse (-1 for none).
    virtual void TabHint(int index) = 0;
    // Moves the shifted tab onto the place of the tab `to`.
    virtual void ShiftTab(int from, int to) = 0;
    // Children are placed in the display rectangle.
    virtual void AlignControls();
    void DrawTab(const std::string& caption, int index, const TRect& rect);
    void RecreateWnd();
    // The tab's item rectangle, for invalidating.
    void InvalidateTab(int index);
    // Selects the tab quietly (no change events).
    void SelectTab(int index);
    int SelectedTab();
    int TabAt(TPoint point);
    static bool IsAccel(char c, const std::string& caption);
    bool CanFocusNow() const;

private:
    friend class TTabStrings;
    LRESULT reflected(UINT msg, LPARAM lParam);
    void drawItem(const DRAWITEMSTRUCT& item);
    void drawCaption(QPainter& painter, const std::string& caption, const TRect& textArea, const TRect& tab,
                     bool selected, const QColor& colour);
    uint32_t tabStyle() const;
    void applyFonts();
    void trackHotTab(TPoint point);
    void mouseLeft();
    void buttonPressed(TPoint point);
    void mouseMoved(WPARAM keys, TPoint point);
    void buttonReleased(TPoint point);
    void setStyleProperty(bool& field, bool value);

    TTabStrings FTabs;
    TCustomImageList* FImages = nullptr;
    int16_t FTabWidth = 0;
    int16_t FTabHeight = 0;
    bool FMultiLine = false;
    bool FMultiSelect = false;
    bool FUpdating = false;
    bool FFlatButtons = false;
    bool FFlatSeperators = true;
    bool FFocusButtons = false;
    bool FHotTrack = false;
    bool FScrollOpposite = false;
    TTabSetPosition FTabPosition = tpTopLeft;
    bool FVerticalTabs = false;
    TTextRotation FTextRotation = trHorizontal;
    bool FButtonStyle = false;
    int FHotTab = -1;
    int FShiftedTab = -1;
    bool FAllowTabShifting = false;
    TColor FTabInactiveColor = 0x00A4A0A0;
    TFont FTabInactiveFont;
    bool FUseMSDrawing = false;
    bool FTabStop = true;
    TColor FColor = static_cast<TColor>(clBtnFace);
    TFont FFont;
    std::string FHint;
    QPainter* FCanvas = nullptr;
};

// A tab set: tabs with captions, image indexes and per-tab hints, and no pages.
class TTabSetControl : public TCustomTabSetControl {
    Q_OBJECT
public:
    explicit TTabSetControl(QWidget* parent = nullptr);
    const char* ClassName() const override { return "TTabSetControl"; }

    TImageIndexStrings& ImageIndexes() { return FImageIndexes; }
    TStringList& TabHints() { return FTabHints; }
    // The selected tab, -1 for none; setting it tells nobody.
    int TabIndex();
    void SetTabIndex(int value);

    bool DialogChar(char c) override;

protected:
    void TabHint(int index) override;
    void ShiftTab(int from, int to) override;

private:
    TImageIndexStrings FImageIndexes;
    TStringList FTabHints;
};

// A page control: one sheet per page, each with a tab while its TabVisible holds. A sheet's tab
// index counts only the shown tabs, so it differs from its page index when an earlier tab is hidden.
class TPageSetControl : public TCustomTabSetControl {
    Q_OBJECT
public:
    explicit TPageSetControl(QWidget* parent = nullptr);
    ~TPageSetControl() override;
    const char* ClassName() const override { return "TPageSetControl"; }

    int PageCount() const { return static_cast<int>(FPages.size()); }
    TTabSetSheet* Pages(int index) const;
    TTabSetSheet* ActivePage() const { return FActivePage; }
    // A sheet of another control is ignored; nil selects no tab.
    void SetActivePage(TTabSetSheet* page);
    void SelectNextPage(bool forward);
    // The next sheet after `current` in page order, wrapping; `current` itself when no other qualifies.
    TTabSetSheet* FindNextPage(TTabSetSheet* current, bool forward, bool visibleTabsOnly) const;
    bool RemoveLastTab() const { return FRemoveLastTab; }
    void SetRemoveLastTab(bool value) { FRemoveLastTab = value; }
    // Sheets torn off this control and floating now.
    int FloatingCount() const { return FFloatingCount; }
    // Whether a sheet may be torn off: not the only sheet while RemoveLastTab is False.
    bool CanFloatSheet() const { return PageCount() != 1 || FRemoveLastTab; }

    bool DialogChar(char c) override;
    // Ctrl+Tab selects the next page, Ctrl+Shift+Tab the previous one.
    bool DialogKey(int vk, TShiftState shift) override;
    void Change() override;
    void WndProc(TMessage& message) override;

    TTabSetFloatEvent OnFloatChange;

protected:
    void TabHint(int index) override;
    void ShiftTab(int from, int to) override;
    void AlignControls() override;

private:
    friend class TTabSetSheet;
    void insertPage(TTabSetSheet* page);
    void removePage(TTabSetSheet* page);
    void movePage(TTabSetSheet* page, int index);
    void insertTab(TTabSetSheet* page);
    void deleteTab(int tabIndex);
    void changeActivePage(TTabSetSheet* page);
    void updateActivePage();
    TTabSetSheet* sheetOfTab(int tabIndex);
    void sheetFloated();
    void sheetDocked();

    std::vector<TTabSetSheet*> FPages;
    // Sheets torn off this control, which it still answers for.
    std::vector<TTabSetSheet*> FFloatingSheets;
    TTabSetSheet* FActivePage = nullptr;
    int FFloatingCount = 0;
    bool FRemoveLastTab = false;
};

// The tool window that holds one torn-off sheet. Closing it docks the sheet back; it frees itself then.
class TFloatingForm : public QWidget {
    Q_OBJECT
public:
    // A top-level window over `owner` (none: a window of its own).
    TFloatingForm(TTabSetSheet* sheet, QWidget* owner);
    ~TFloatingForm() override;
    TTabSetSheet* Sheet() const { return FSheet; }
    // Puts the form over another owner window, keeping its place and flags.
    void SetOwnerWindow(QWidget* owner);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    friend class TTabSetSheet;
    TTabSetSheet* FSheet;
};

// One page of a page control. With Dragable a grip strip along one edge tears the sheet off into a
// floating tool window; closing that window docks the sheet back at its StaticPageIndex.
class TTabSetSheet : public QWidget {
    Q_OBJECT
public:
    explicit TTabSetSheet(QWidget* parent = nullptr);
    ~TTabSetSheet() override;

    TPageSetControl* PageControl() const { return FPageControl; }
    // Showing a sheet of a page control makes it the active page.
    void Show();
    // Leaves the old control and joins the new one as its last page.
    void SetPageControl(TPageSetControl* control);
    int PageIndex() const;
    // EListError "%d is an invalid PageIndex value.  PageIndex must be between 0 and %d" outside the pages.
    void SetPageIndex(int value);
    // The number of earlier sheets with a shown tab; -1 while the tab is not shown.
    int TabIndex() const;
    bool TabVisible() const { return FTabVisible; }
    void SetTabVisible(bool value);
    bool TabShowing() const { return FTabShowing; }
    int ImageIndex();
    void SetImageIndex(int value);

    const std::string& Caption() const { return FCaption; }
    void SetCaption(const std::string& value);
    const std::string& TabHint() const { return FTabHint; }
    void SetTabHint(const std::string& value) { FTabHint = value; }
    const std::string& Hint() const { return FHint; }
    void SetHint(const std::string& value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);

    static constexpr int kGripWidth = 7;
    static constexpr int kGrabLength = 20;
    // How far the pointer moves from the press before a drag starts.
    static constexpr int kDragThreshold = 4;

    bool Dragable() const { return FDragable; }
    void SetDragable(bool value);
    bool FloatOnTop() const { return FFloatOnTop; }
    // While floating, the floating window goes over the main form (or none) at once.
    void SetFloatOnTop(bool value);
    TGripAlign GripAlign() const { return FGripAlign; }
    void SetGripAlign(TGripAlign value);
    int StaticPageIndex() const { return FStaticPageIndex; }
    void SetStaticPageIndex(int value) { FStaticPageIndex = value; }
    bool Floating() const { return FFloating; }
    TFloatingForm* FloatingForm() const { return FFloatingForm; }
    // The control a floating sheet came from; null while docked.
    TPageSetControl* LastPageControl() const { return FLastPageControl; }

    // The sheet's area less the grip strip (while it shows one).
    QRect ClientRect() const;
    // The strip and its grab end, empty without a grip.
    QRect GripRect() const;
    QRect GrabRect() const;
    bool Dragging() const { return FDragging; }
    // Where the outline stands, in screen coordinates; also the place a float goes to.
    const TRect& FloatRect() const { return FFloatRect; }

    // Tears the sheet off into a floating window at its present place; nothing when it floats or
    // its control does not allow it.
    void FloatSheet();
    // Puts a floating sheet back into the control it came from, as the active page.
    void DockSheet();

    TTabSetFloatEvent OnFloatChange;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    friend class TPageSetControl;
    friend class TFloatingForm;
    void updateTabShowing();
    void setTabShowing(bool value);
    bool showsGrip() const { return FDragable && !FFloating; }
    void gripChanged();
    void paintGrip(QPainter& painter);
    // Shows or takes away the outline at FFloatRect.
    void drawOutline();
    void floatAt(const TRect& screenRect);

    TPoint FMousePoint;
    TPoint FGrabPoint;
    bool FPressed = false;
    bool FDragging = false;
    TRect FFloatRect;
    QSize FFloatSize;
    TPageSetControl* FLastPageControl = nullptr;
    TFloatingForm* FFloatingForm = nullptr;
    TPageSetControl* FPageControl = nullptr;
    bool FDragable = false;
    bool FFloating = false;
    bool FFloatOnTop = false;
    TGripAlign FGripAlign = gaLeft;
    int FStaticPageIndex = -1;
    bool FTabVisible = true;
    bool FTabShowing = false;
    int FImageIndex = -1;
    std::string FTabHint;
    std::string FHint;
    std::string FCaption;
    TColor FColor = static_cast<TColor>(clBtnFace);
};
