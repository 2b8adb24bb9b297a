// The tab control: a row (or rows) of tabs or buttons that the owner drives by messages and may draw itself.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Geometry.h"
#include "platform/core/Messages.h"
#include "platform/core/TabLayout.h"

class QPainter;
class TCustomImageList;

// Fields of TCITEM that a message reads or writes.
enum : UINT { TCIF_TEXT = 0x0001, TCIF_IMAGE = 0x0002, TCIF_PARAM = 0x0008, TCIF_STATE = 0x0010 };
// Item states: a button held down in a multi-select control, and a highlighted tab.
enum : uint32_t { TCIS_BUTTONPRESSED = 0x0001, TCIS_HIGHLIGHTED = 0x0002 };
// What TCM_HITTEST found under the point.
enum : UINT { TCHT_NOWHERE = 0x0001, TCHT_ONITEMICON = 0x0002, TCHT_ONITEMLABEL = 0x0004, TCHT_ONITEM = 0x0006 };
// Owner drawing: the kind of control, the action and the item's state.
enum : UINT { ODT_TAB = 101 };
enum : UINT { ODA_DRAWENTIRE = 0x0001 };
enum : UINT { ODS_SELECTED = 0x0001, ODS_DISABLED = 0x0004, ODS_FOCUS = 0x0010 };

// One tab item as TCM_GETITEM, TCM_SETITEM and TCM_INSERTITEM exchange it; `mask` says which fields
// count. Getting the text copies at most cchTextMax - 1 bytes and a NUL into pszText.
struct TCITEM {
    UINT mask = 0;
    uint32_t dwState = 0;
    uint32_t dwStateMask = 0;
    char* pszText = nullptr; // Windows-1252
    int cchTextMax = 0;
    int iImage = -1;
    LPARAM lParam = 0;
};

// TCM_HITTEST's question (a point in client coordinates) and the part of the tab it found.
struct TCHITTESTINFO {
    TPoint pt;
    UINT flags = 0;
};

// What the owner is asked to draw in owner-draw mode: the inside of one tab, whose edges the control
// has drawn. The painter's state is the owner's to change; the control restores it afterwards.
struct DRAWITEMSTRUCT {
    UINT CtlType = ODT_TAB;
    UINT CtlID = 0;
    UINT itemID = 0;
    UINT itemAction = ODA_DRAWENTIRE;
    UINT itemState = 0;
    void* hwndItem = nullptr;
    QPainter* hDC = nullptr;
    TRect rcItem;
    uintptr_t itemData = 0; // the item's lParam
};

// The one way the control tells its owner anything: WM_NOTIFY with the control's identifier and an
// NMHDR* for TCN_SELCHANGING (answer non-zero to keep the old selection) and TCN_SELCHANGE, and
// WM_DRAWITEM with a DRAWITEMSTRUCT* for each visible tab when the style is TCS_OWNERDRAWFIXED.
using TTabNotifyEvent = std::function<LRESULT(UINT msg, WPARAM wParam, LPARAM lParam)>;

// The tab control, answering the TCM_ messages. Styles are the TCS_ bits (set at creation or with
// SetStyle); TCS_EX_FLATSEPARATORS is the one extended style.
//
// Qt's events become the control's messages in one place (event()), so that a descendant sees the
// mouse and keys in WndProc as the window procedure would. A click or an arrow key changes the
// selection through TCN_SELCHANGING and TCN_SELCHANGE; TCM_SETCURSEL tells nobody. Every item
// message answers failure (0, or -1 where the answer is an index) for an index out of range or a
// missing structure, and touches nothing.
//
// Tab lengths come from the caption in the control's font and the image, plus padding, or from
// TCM_SETITEMSIZE with TCS_FIXEDWIDTH; the item height from TCM_SETITEMSIZE, or the taller of font
// and image plus padding. TTabLayout places them.
class TTabControl : public QWidget {
    Q_OBJECT
public:
    explicit TTabControl(QWidget* parent = nullptr, uint32_t style = TCS_TABS | TCS_SINGLELINE);
    ~TTabControl() override;

    // Sends the control a message; every message, Qt's events included, goes through here.
    virtual LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);
    // Decodes one message; unknown ones answer 0.
    virtual void WndProc(TMessage& message);

    uint32_t Style() const { return FStyle; }
    void SetStyle(uint32_t style);
    // The identifier the owner knows the control by, sent with every notification.
    int ControlId() const { return FControlId; }
    void SetControlId(int id) { FControlId = id; }

    TTabNotifyEvent OnNotify;

    // The scroll state of a single line of tabs that does not fit.
    bool ScrollArrowsShown();
    TRect ScrollArrowsRect();
    int FirstVisibleTab();

protected:
    bool event(QEvent* e) override;

private:
    struct TTabItem {
        std::string Text;
        int Image = -1;
        LPARAM Param = 0;
        uint32_t State = 0;
        int32_t Face = -1; // length of the image and the caption together; -1 until measured
    };

    // Item messages.
    LRESULT getItem(WPARAM index, TCITEM* item) const;
    LRESULT setItem(WPARAM index, const TCITEM* item);
    LRESULT insertItem(WPARAM index, const TCITEM* item);
    LRESULT deleteItem(WPARAM index);
    LRESULT deleteAllItems();
    LRESULT getItemRect(WPARAM index, TRect* rect);
    LRESULT setCurSel(WPARAM index);
    LRESULT hitTest(TCHITTESTINFO* info);
    LRESULT adjustRect(bool larger, TRect* rect);
    LRESULT setItemSize(LPARAM size);
    LRESULT setExtendedStyle(WPARAM mask, LPARAM style);
    bool validIndex(WPARAM index) const { return index >= 0 && index < static_cast<WPARAM>(FItems.size()); }
    static void applyItem(const TCITEM& from, TTabItem& to);

    // Input.
    void buttonDown(WPARAM keys, LPARAM position);
    void keyDown(int vk);
    void scroll(WPARAM request);
    bool changeSelection(int index);
    LRESULT notify(int code);

    // Layout.
    void invalidateLayout();
    void measureFaces();
    void forgetFaces();
    void ensureLayout();
    int itemThickness() const;
    // The image's extent along the edge and across it: vertical tabs stand their images upright.
    int imageAlong() const;
    int imageAcross() const;
    bool hasImage(const TTabItem& item) const;
    TRect contentRect(int index);
    TRect imageRect(int index);

    // Painting.
    void paint(QPainter& painter);
    void paintTab(QPainter& painter, int index);
    void drawCaption(QPainter& painter, int index, const TRect& content);
    void drawSeparators(QPainter& painter);
    void drawArrows(QPainter& painter);
    void invalidate();
    bool isPressed(int index) const;

    std::vector<TTabItem> FItems;
    uint32_t FStyle = 0;
    uint32_t FExStyle = 0;
    int FControlId = 0;
    int FCurSel = -1;
    int FFirstVisible = 0;
    int FItemWidth = 0;  // from TCM_SETITEMSIZE; 0 = automatic
    int FItemHeight = 0; // from TCM_SETITEMSIZE; 0 = automatic
    int FPaddingX = 6;
    int FPaddingY = 3;
    int FMinTabWidth = -1; // -1 = no minimum beyond the padding
    TCustomImageList* FImages = nullptr;
    bool FRedraw = true;
    bool FLayoutStale = true;
    bool FErrorPending = false; // an error waits to be told, or is being told
    QSize FLaidOutSize; // a hidden widget learns of its new size only when shown, so the layout checks
    TTabLayout FLayout;
};
