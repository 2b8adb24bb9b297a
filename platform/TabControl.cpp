// The tab control: a row (or rows) of tabs or buttons that the owner drives by messages and may draw itself.
#include "platform/TabControl.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <exception>

#include "platform/Controls.h"
#include "platform/CustomImageList.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/Keys.h"
#include "platform/core/ScopeGuard.h"
#include "platform/Win1252Qt.h"

namespace {

// Width of the raised or sunken edge round a tab or button; the owner draws inside it.
constexpr int kEdge = 2;
// Text flags of captions: "&" marks the accelerator, as in every caption of the class library.
constexpr int kCaptionFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;

QRect toQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

TRect deflated(const TRect& r, int left, int top, int right, int bottom)
{
    return {r.Left + left, r.Top + top, r.Right - right, r.Bottom - bottom};
}

// A raised (or sunken) edge on the sides of `r` named by `sides` (bits 1 << TTabSide): light toward
// the top and left, dark toward the bottom and right, the other way round when sunken.
void drawEdge(QPainter& painter, const TRect& r, unsigned sides, bool sunken, const QPalette& palette)
{
    const QColor outerLight = palette.color(QPalette::Light);
    const QColor innerLight = palette.color(QPalette::Midlight);
    const QColor outerDark = palette.color(QPalette::Shadow);
    const QColor innerDark = palette.color(QPalette::Dark);
    const int w = r.Width();
    const int h = r.Height();
    auto side = [&](TTabSide which, const QColor& outer, const QColor& inner) {
        if (!(sides & (1u << which)))
            return;
        switch (which) {
        case tsLeft:
            painter.fillRect(r.Left, r.Top, 1, h, outer);
            painter.fillRect(r.Left + 1, r.Top + 1, 1, h - 2, inner);
            break;
        case tsTop:
            painter.fillRect(r.Left, r.Top, w, 1, outer);
            painter.fillRect(r.Left + 1, r.Top + 1, w - 2, 1, inner);
            break;
        case tsRight:
            painter.fillRect(r.Right - 1, r.Top, 1, h, outer);
            painter.fillRect(r.Right - 2, r.Top + 1, 1, h - 2, inner);
            break;
        case tsBottom:
            painter.fillRect(r.Left, r.Bottom - 1, w, 1, outer);
            painter.fillRect(r.Left + 1, r.Bottom - 2, w - 2, 1, inner);
            break;
        }
    };
    // Dark sides go last so that they own the corners they share with light ones.
    side(tsLeft, sunken ? outerDark : outerLight, sunken ? innerDark : innerLight);
    side(tsTop, sunken ? outerDark : outerLight, sunken ? innerDark : innerLight);
    side(tsRight, sunken ? outerLight : outerDark, sunken ? innerLight : innerDark);
    side(tsBottom, sunken ? outerLight : outerDark, sunken ? innerLight : innerDark);
}

constexpr unsigned kAllSides = (1u << tsLeft) | (1u << tsTop) | (1u << tsRight) | (1u << tsBottom);

} // namespace

TTabControl::TTabControl(QWidget* parent, uint32_t style) : QWidget(parent)
{
    // Hot tracking by the owner needs moves without a button held.
    setMouseTracking(true);
    SetStyle(style);
}

TTabControl::~TTabControl() = default;

void TTabControl::SetStyle(uint32_t style)
{
    FStyle = style;
    // Tabs take the focus when clicked; buttons only when asked to.
    if (style & TCS_FOCUSNEVER)
        setFocusPolicy(Qt::NoFocus);
    else if ((style & TCS_BUTTONS) && !(style & TCS_FOCUSONBUTTONDOWN))
        setFocusPolicy(Qt::TabFocus);
    else
        setFocusPolicy(Qt::StrongFocus);
    forgetFaces();
    invalidateLayout();
}

bool TTabControl::ScrollArrowsShown()
{
    ensureLayout();
    return FLayout.ArrowsShown();
}

TRect TTabControl::ScrollArrowsRect()
{
    ensureLayout();
    return FLayout.ArrowsRect();
}

int TTabControl::FirstVisibleTab()
{
    ensureLayout();
    return FLayout.ArrowsShown() ? FLayout.FirstVisible() : 0;
}

// ---------------------------------------------------------------- messages

LRESULT TTabControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message;
    message.Msg = msg;
    message.WParam = wParam;
    message.LParam = lParam;
    WndProc(message);
    return message.Result;
}

void TTabControl::WndProc(TMessage& m)
{
    m.Result = 0;
    switch (m.Msg) {
    case TCM_GETIMAGELIST: m.Result = reinterpret_cast<LRESULT>(FImages); break;
    case TCM_SETIMAGELIST:
        m.Result = reinterpret_cast<LRESULT>(FImages);
        FImages = reinterpret_cast<TCustomImageList*>(m.LParam);
        forgetFaces();
        invalidateLayout();
        break;
    case TCM_GETITEMCOUNT: m.Result = static_cast<LRESULT>(FItems.size()); break;
    case TCM_GETITEM: m.Result = getItem(m.WParam, reinterpret_cast<TCITEM*>(m.LParam)); break;
    case TCM_SETITEM: m.Result = setItem(m.WParam, reinterpret_cast<const TCITEM*>(m.LParam)); break;
    case TCM_INSERTITEM: m.Result = insertItem(m.WParam, reinterpret_cast<const TCITEM*>(m.LParam)); break;
    case TCM_DELETEITEM: m.Result = deleteItem(m.WParam); break;
    case TCM_DELETEALLITEMS: m.Result = deleteAllItems(); break;
    case TCM_GETITEMRECT: m.Result = getItemRect(m.WParam, reinterpret_cast<TRect*>(m.LParam)); break;
    case TCM_GETCURSEL: m.Result = FCurSel; break;
    case TCM_SETCURSEL: m.Result = setCurSel(m.WParam); break;
    case TCM_HITTEST: m.Result = hitTest(reinterpret_cast<TCHITTESTINFO*>(m.LParam)); break;
    case TCM_ADJUSTRECT: m.Result = adjustRect(m.WParam != 0, reinterpret_cast<TRect*>(m.LParam)); break;
    case TCM_SETITEMSIZE: m.Result = setItemSize(m.LParam); break;
    case TCM_SETPADDING:
        FPaddingX = std::max(0, SignedLoWord(m.LParam));
        FPaddingY = std::max(0, SignedHiWord(m.LParam));
        forgetFaces();
        invalidateLayout();
        break;
    case TCM_GETROWCOUNT:
        ensureLayout();
        m.Result = FLayout.RowCount();
        break;
    case TCM_SETMINTABWIDTH:
        m.Result = FMinTabWidth;
        FMinTabWidth = m.LParam < 0 ? -1 : static_cast<int>(std::min<LPARAM>(m.LParam, 0x7FFF));
        forgetFaces();
        invalidateLayout();
        break;
    case TCM_DESELECTALL:
        for (size_t i = 0; i < FItems.size(); ++i)
            if (!(m.WParam && static_cast<int>(i) == FCurSel))
                FItems[i].State &= ~TCIS_BUTTONPRESSED;
        invalidate();
        break;
    case TCM_HIGHLIGHTITEM:
        if (validIndex(m.WParam)) {
            uint32_t& state = FItems[m.WParam].State;
            state = LoWord(m.LParam) ? state | TCIS_HIGHLIGHTED : state & ~TCIS_HIGHLIGHTED;
            invalidate();
            m.Result = 1;
        }
        break;
    case TCM_SETEXTENDEDSTYLE: m.Result = setExtendedStyle(m.WParam, m.LParam); break;
    case TCM_GETEXTENDEDSTYLE: m.Result = FExStyle; break;

    case WM_SETREDRAW:
        FRedraw = m.WParam != 0;
        invalidate();
        break;
    case WM_SIZE: invalidateLayout(); break;
    case WM_PAINT:
        if (auto* painter = reinterpret_cast<QPainter*>(m.WParam))
            paint(*painter);
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: invalidate(); break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: buttonDown(m.WParam, m.LParam); break;
    case WM_KEYDOWN: keyDown(static_cast<int>(m.WParam)); break;
    case WM_HSCROLL: scroll(m.WParam); break;
    default: break;
    }
}

LRESULT TTabControl::getItem(WPARAM index, TCITEM* item) const
{
    if (!validIndex(index) || !item)
        return 0;
    const TTabItem& from = FItems[index];
    if (item->mask & TCIF_TEXT) {
        if (!item->pszText || item->cchTextMax <= 0)
            return 0;
        const size_t n = std::min(from.Text.size(), static_cast<size_t>(item->cchTextMax - 1));
        std::memcpy(item->pszText, from.Text.data(), n);
        item->pszText[n] = '\0';
    }
    if (item->mask & TCIF_IMAGE)
        item->iImage = from.Image;
    if (item->mask & TCIF_PARAM)
        item->lParam = from.Param;
    if (item->mask & TCIF_STATE)
        item->dwState = from.State & item->dwStateMask;
    return 1;
}

void TTabControl::applyItem(const TCITEM& from, TTabItem& to)
{
    if (from.mask & TCIF_TEXT) {
        to.Text = from.pszText ? std::string(from.pszText) : std::string();
        to.Face = -1;
    }
    if (from.mask & TCIF_IMAGE) {
        to.Image = from.iImage;
        to.Face = -1;
    }
    if (from.mask & TCIF_PARAM)
        to.Param = from.lParam;
    if (from.mask & TCIF_STATE)
        to.State = (to.State & ~from.dwStateMask) | (from.dwState & from.dwStateMask);
}

LRESULT TTabControl::setItem(WPARAM index, const TCITEM* item)
{
    if (!validIndex(index) || !item)
        return 0;
    applyItem(*item, FItems[index]);
    invalidateLayout();
    return 1;
}

LRESULT TTabControl::insertItem(WPARAM index, const TCITEM* item)
{
    if (index < 0 || !item)
        return -1;
    const int at = static_cast<int>(std::min(index, static_cast<WPARAM>(FItems.size())));
    TTabItem added;
    applyItem(*item, added);
    FItems.insert(FItems.begin() + at, std::move(added));
    // The selected tab stays selected; the first tab of an empty control becomes selected.
    if (FItems.size() == 1)
        FCurSel = 0;
    else if (FCurSel >= at)
        ++FCurSel;
    if (at < FFirstVisible)
        ++FFirstVisible;
    invalidateLayout();
    return at;
}

LRESULT TTabControl::deleteItem(WPARAM index)
{
    if (!validIndex(index))
        return 0;
    const int at = static_cast<int>(index);
    FItems.erase(FItems.begin() + at);
    // Deleting the selected tab leaves none selected: the owner chooses which comes next.
    if (FCurSel == at)
        FCurSel = -1;
    else if (FCurSel > at)
        --FCurSel;
    if (at < FFirstVisible)
        --FFirstVisible;
    invalidateLayout();
    return 1;
}

LRESULT TTabControl::deleteAllItems()
{
    FItems.clear();
    FCurSel = -1;
    FFirstVisible = 0;
    invalidateLayout();
    return 1;
}

LRESULT TTabControl::getItemRect(WPARAM index, TRect* rect)
{
    if (!validIndex(index) || !rect)
        return 0;
    ensureLayout();
    *rect = FLayout.ItemRect(static_cast<int>(index));
    return 1;
}

LRESULT TTabControl::setCurSel(WPARAM index)
{
    if (index != -1 && !validIndex(index))
        return -1;
    const int previous = FCurSel;
    FCurSel = static_cast<int>(index);
    ensureLayout();
    FFirstVisible = FLayout.FirstVisibleShowing(FCurSel);
    invalidateLayout();
    return previous;
}

LRESULT TTabControl::hitTest(TCHITTESTINFO* info)
{
    if (!info)
        return -1;
    ensureLayout();
    const int index = FLayout.HitTest(info->pt);
    if (index < 0)
        info->flags = TCHT_NOWHERE;
    else
        info->flags = imageRect(index).Contains(info->pt) ? TCHT_ONITEMICON : TCHT_ONITEMLABEL;
    return index;
}

LRESULT TTabControl::adjustRect(bool larger, TRect* rect)
{
    if (!rect)
        return 0;
    ensureLayout();
    const TRect insets = FLayout.PageInsets();
    const int sign = larger ? -1 : 1;
    rect->Left += sign * insets.Left;
    rect->Top += sign * insets.Top;
    rect->Right -= sign * insets.Right;
    rect->Bottom -= sign * insets.Bottom;
    return 0;
}

LRESULT TTabControl::setItemSize(LPARAM size)
{
    const LRESULT previous = MakeLong(FItemWidth, FItemHeight);
    FItemWidth = std::max(0, SignedLoWord(size));
    FItemHeight = std::max(0, SignedHiWord(size));
    invalidateLayout();
    return previous;
}

LRESULT TTabControl::setExtendedStyle(WPARAM mask, LPARAM style)
{
    const uint32_t previous = FExStyle;
    const uint32_t bits = mask ? static_cast<uint32_t>(mask) : ~0u;
    FExStyle = (FExStyle & ~bits) | (static_cast<uint32_t>(style) & bits);
    invalidate();
    return previous;
}

// ---------------------------------------------------------------- input

LRESULT TTabControl::notify(int code)
{
    if (!OnNotify)
        return 0;
    NMHDR header;
    header.hwndFrom = this;
    header.idFrom = static_cast<uintptr_t>(FControlId);
    header.code = code;
    return OnNotify(WM_NOTIFY, FControlId, reinterpret_cast<LPARAM>(&header));
}

bool TTabControl::changeSelection(int index)
{
    if (notify(TCN_SELCHANGING) != 0)
        return false;
    // The owner may have changed the tabs while it was asked.
    if (index >= static_cast<int>(FItems.size()))
        return false;
    FCurSel = index;
    ensureLayout();
    FFirstVisible = FLayout.FirstVisibleShowing(index);
    invalidateLayout();
    notify(TCN_SELCHANGE);
    return true;
}

void TTabControl::buttonDown(WPARAM keys, LPARAM position)
{
    ensureLayout();
    const TPoint at{SignedLoWord(position), SignedHiWord(position)};
    const TRect arrows = FLayout.ArrowsRect();
    if (arrows.Contains(at)) {
        scroll(at.X < arrows.Left + arrows.Width() / 2 ? SB_LINELEFT : SB_LINERIGHT);
        return;
    }
    const int index = FLayout.HitTest(at);
    if (index < 0)
        return;
    const bool multiSelect = (FStyle & (TCS_MULTISELECT | TCS_BUTTONS)) == (TCS_MULTISELECT | TCS_BUTTONS);
    if (multiSelect && (keys & MK_CONTROL)) {
        // Ctrl+click presses or releases a further button; the selection stays.
        if (index != FCurSel)
            FItems[index].State ^= TCIS_BUTTONPRESSED;
        invalidate();
        return;
    }
    if (multiSelect)
        for (TTabItem& item : FItems)
            item.State &= ~TCIS_BUTTONPRESSED;
    if (index != FCurSel)
        changeSelection(index);
    invalidate();
}

void TTabControl::keyDown(int vk)
{
    const bool vertical = (FStyle & TCS_VERTICAL) != 0;
    int step = 0;
    if (vertical ? vk == VK_UP : vk == VK_LEFT)
        step = -1;
    else if (vertical ? vk == VK_DOWN : vk == VK_RIGHT)
        step = 1;
    if (step == 0 || FItems.empty())
        return;
    const int target = FCurSel < 0 ? 0 : FCurSel + step;
    if (target >= 0 && target < static_cast<int>(FItems.size()) && target != FCurSel)
        changeSelection(target);
}

void TTabControl::scroll(WPARAM request)
{
    ensureLayout();
    if (!FLayout.ArrowsShown())
        return;
    int first = FLayout.FirstVisible();
    switch (LoWord(request)) {
    case SB_LINELEFT: --first; break;
    case SB_LINERIGHT: ++first; break;
    case SB_THUMBPOSITION: first = HiWord(request); break;
    default: return;
    }
    FFirstVisible = std::clamp(first, 0, FLayout.MaxFirstVisible());
    invalidateLayout();
}

// ---------------------------------------------------------------- layout

void TTabControl::invalidate()
{
    if (FRedraw)
        update();
}

void TTabControl::invalidateLayout()
{
    FLayoutStale = true;
    invalidate();
}

bool TTabControl::hasImage(const TTabItem& item) const
{
    return FImages && item.Image >= 0 && item.Image < FImages->Count();
}

int TTabControl::imageAlong() const
{
    return FImages ? ((FStyle & TCS_VERTICAL) ? FImages->Height() : FImages->Width()) : 0;
}

int TTabControl::imageAcross() const
{
    return FImages ? ((FStyle & TCS_VERTICAL) ? FImages->Width() : FImages->Height()) : 0;
}

int TTabControl::itemThickness() const
{
    if (FItemHeight > 0)
        return FItemHeight;
    return std::max(fontMetrics().height(), imageAcross()) + 2 * FPaddingY + kEdge;
}

void TTabControl::forgetFaces()
{
    for (TTabItem& item : FItems)
        item.Face = -1;
}

void TTabControl::measureFaces()
{
    const QFontMetrics metrics = fontMetrics();
    for (TTabItem& item : FItems) {
        if (item.Face >= 0)
            continue;
        const int caption = metrics.size(kCaptionFlags, FromEditorText(item.Text)).width();
        item.Face = (hasImage(item) ? imageAlong() + FPaddingX : 0) + caption;
    }
}

void TTabControl::ensureLayout()
{
    if (!FLayoutStale && FLaidOutSize == size())
        return;
    measureFaces();
    TTabLayoutInput input;
    input.Style = FStyle;
    input.Width = width();
    input.Height = height();
    input.Thickness = itemThickness();
    input.Selected = FCurSel;
    input.FirstVisible = FFirstVisible;
    input.Lengths.reserve(FItems.size());
    for (const TTabItem& item : FItems)
        input.Lengths.push_back(std::max(2 * kEdge + 2 * FPaddingX + item.Face, FMinTabWidth));
    if ((FStyle & TCS_FIXEDWIDTH) && !input.Lengths.empty()) {
        // Without a set width every tab is as long as the longest.
        const int32_t fixed = FItemWidth > 0 ? FItemWidth
                                             : *std::max_element(input.Lengths.begin(), input.Lengths.end());
        std::fill(input.Lengths.begin(), input.Lengths.end(), fixed);
    }
    FLayout.Compute(input);
    FFirstVisible = FLayout.FirstVisible();
    FLayoutStale = false;
    FLaidOutSize = size();
}

TRect TTabControl::contentRect(int index)
{
    ensureLayout();
    const TRect r = FLayout.DrawRect(index);
    if (FStyle & TCS_BUTTONS)
        return deflated(r, kEdge, kEdge, kEdge, kEdge);
    // The side open to the pages has no edge.
    const TTabSide open = FLayout.OpenSide(index);
    return deflated(r, open == tsLeft ? 0 : kEdge, open == tsTop ? 0 : kEdge, open == tsRight ? 0 : kEdge,
                    open == tsBottom ? 0 : kEdge);
}

// Where the tab's image stands: the image and the caption are centred together along the tab,
// the image first; vertical tabs read upward on the left and downward on the right.
TRect TTabControl::imageRect(int index)
{
    const TTabItem& item = FItems[index];
    if (!hasImage(item))
        return {};
    const TRect c = contentRect(index);
    const bool vertical = (FStyle & TCS_VERTICAL) != 0;
    const int along = vertical ? c.Height() : c.Width();
    const int across = vertical ? c.Width() : c.Height();
    const int start = std::max(0, (along - item.Face) / 2);
    const int offset = (across - imageAcross()) / 2;
    const int w = FImages->Width();
    const int h = FImages->Height();
    if (!vertical)
        return {c.Left + start, c.Top + offset, c.Left + start + w, c.Top + offset + h};
    if (FStyle & TCS_RIGHT)
        return {c.Right - offset - w, c.Top + start, c.Right - offset, c.Top + start + h};
    return {c.Left + offset, c.Bottom - start - h, c.Left + offset + w, c.Bottom - start};
}

// ---------------------------------------------------------------- painting

bool TTabControl::isPressed(int index) const
{
    return index == FCurSel || ((FStyle & TCS_MULTISELECT) && (FItems[index].State & TCIS_BUTTONPRESSED));
}

void TTabControl::paint(QPainter& painter)
{
    ensureLayout();
    painter.fillRect(rect(), palette().color(QPalette::Button));
    if (!(FStyle & TCS_BUTTONS))
        drawEdge(painter, FLayout.FrameRect(), kAllSides, false, palette());
    {
        const TPainterSave clip(painter);
        painter.setClipRect(toQRect(FLayout.StripRect()));
        // The selected tab goes last: it stands over its neighbours and the frame.
        for (int i = 0; i < static_cast<int>(FItems.size()); ++i)
            if (i != FCurSel && FLayout.Visible(i))
                paintTab(painter, i);
        if (FLayout.Visible(FCurSel))
            paintTab(painter, FCurSel);
        drawSeparators(painter);
    }
    drawArrows(painter);
}

void TTabControl::paintTab(QPainter& painter, int index)
{
    const TRect r = FLayout.DrawRect(index);
    const bool buttons = (FStyle & TCS_BUTTONS) != 0;
    const bool pressed = isPressed(index);
    painter.fillRect(toQRect(r), palette().color(QPalette::Button));
    if (!buttons)
        drawEdge(painter, r, kAllSides & ~(1u << FLayout.OpenSide(index)), false, palette());
    else if (!(FStyle & TCS_FLATBUTTONS) || pressed)
        drawEdge(painter, r, kAllSides, pressed, palette());

    const TRect content = contentRect(index);
    if (FStyle & TCS_OWNERDRAWFIXED) {
        if (!OnNotify)
            return;
        const TPainterSave saved(painter);
        painter.setClipRect(toQRect(content), Qt::IntersectClip);
        DRAWITEMSTRUCT item;
        item.CtlID = static_cast<UINT>(FControlId);
        item.itemID = static_cast<UINT>(index);
        if (pressed)
            item.itemState |= ODS_SELECTED;
        if (index == FCurSel && hasFocus())
            item.itemState |= ODS_FOCUS;
        if (!isEnabled())
            item.itemState |= ODS_DISABLED;
        item.hwndItem = this;
        item.hDC = &painter;
        item.rcItem = content;
        item.itemData = static_cast<uintptr_t>(FItems[index].Param);
        OnNotify(WM_DRAWITEM, FControlId, reinterpret_cast<LPARAM>(&item));
        return;
    }
    drawCaption(painter, index, content);
}

void TTabControl::drawCaption(QPainter& painter, int index, const TRect& content)
{
    const TTabItem& item = FItems[index];
    const TPainterSave saved(painter);
    painter.setClipRect(toQRect(content), Qt::IntersectClip);
    QColor text = palette().color(isEnabled() ? QPalette::ButtonText : QPalette::Dark);
    if (item.State & TCIS_HIGHLIGHTED) {
        painter.fillRect(toQRect(content), palette().color(QPalette::Highlight));
        text = palette().color(QPalette::HighlightedText);
    }
    const TRect image = imageRect(index);
    if (image.Width() > 0)
        FImages->Draw(painter, image.Left, image.Top, item.Image, isEnabled());

    // The caption is laid out as on a horizontal tab and turned with the painter.
    const bool vertical = (FStyle & TCS_VERTICAL) != 0;
    const int along = vertical ? content.Height() : content.Width();
    const int across = vertical ? content.Width() : content.Height();
    if (!vertical) {
        painter.translate(content.Left, content.Top);
    } else if (FStyle & TCS_RIGHT) {
        painter.translate(content.Right, content.Top);
        painter.rotate(90);
    } else {
        painter.translate(content.Left, content.Bottom);
        painter.rotate(-90);
    }
    int start = std::max(0, (along - item.Face) / 2);
    if (image.Width() > 0)
        start += imageAlong() + FPaddingX;
    const QRect captionArea(start, 0, std::max(0, along - start), across);
    painter.setPen(text);
    painter.drawText(captionArea, kCaptionFlags | Qt::AlignLeft | Qt::AlignVCenter, FromEditorText(item.Text));
    if (index == FCurSel && hasFocus()) {
        painter.setPen(QPen(text, 1, Qt::DotLine));
        painter.drawRect(QRect(1, 1, along - 3, across - 3));
    }
}

void TTabControl::drawSeparators(QPainter& painter)
{
    const uint32_t flat = TCS_BUTTONS | TCS_FLATBUTTONS;
    if ((FStyle & flat) != flat || !(FExStyle & TCS_EX_FLATSEPARATORS))
        return;
    // An etched line in the gap after each button that has a neighbour in its row.
    const bool vertical = (FStyle & TCS_VERTICAL) != 0;
    for (int i = 0; i + 1 < static_cast<int>(FItems.size()); ++i) {
        if (FLayout.Row(i) != FLayout.Row(i + 1) || !FLayout.Visible(i))
            continue;
        const TRect r = FLayout.ItemRect(i);
        if (vertical) {
            painter.fillRect(r.Left, r.Bottom + 1, r.Width(), 1, palette().color(QPalette::Dark));
            painter.fillRect(r.Left, r.Bottom + 2, r.Width(), 1, palette().color(QPalette::Light));
        } else {
            painter.fillRect(r.Right + 1, r.Top, 1, r.Height(), palette().color(QPalette::Dark));
            painter.fillRect(r.Right + 2, r.Top, 1, r.Height(), palette().color(QPalette::Light));
        }
    }
}

void TTabControl::drawArrows(QPainter& painter)
{
    if (!FLayout.ArrowsShown())
        return;
    const TRect both = FLayout.ArrowsRect();
    const int half = both.Width() / 2;
    const TRect arrows[2] = {{both.Left, both.Top, both.Left + half, both.Bottom},
                             {both.Left + half, both.Top, both.Right, both.Bottom}};
    const bool enabled[2] = {FLayout.FirstVisible() > 0, FLayout.FirstVisible() < FLayout.MaxFirstVisible()};
    for (int i = 0; i < 2; ++i) {
        const TRect& r = arrows[i];
        painter.fillRect(toQRect(r), palette().color(QPalette::Button));
        drawEdge(painter, r, kAllSides, false, palette());
        // A triangle pointing the way the arrow scrolls, 4 pixels deep.
        const int cx = r.Left + r.Width() / 2;
        const int cy = r.Top + r.Height() / 2;
        const QColor colour = palette().color(enabled[i] && isEnabled() ? QPalette::ButtonText : QPalette::Dark);
        for (int step = 0; step < 4; ++step) {
            const int x = i == 0 ? cx - 2 + step : cx + 1 - step;
            painter.fillRect(x, cy - step, 1, 2 * step + 1, colour);
        }
    }
}

// ---------------------------------------------------------------- Qt's events

bool TTabControl::event(QEvent* e)
{
    try {
        switch (e->type()) {
        case QEvent::Paint: {
            QPainter painter(this);
            Perform(WM_PAINT, reinterpret_cast<WPARAM>(&painter), 0);
            return true;
        }
        case QEvent::Resize:
            Perform(WM_SIZE, 0, MakeLong(width(), height()));
            break;
        case QEvent::FontChange:
        case QEvent::StyleChange:
            forgetFaces();
            invalidateLayout();
            break;
        case QEvent::FocusIn: Perform(WM_SETFOCUS, 0, 0); break;
        case QEvent::FocusOut: Perform(WM_KILLFOCUS, 0, 0); break;
        case QEvent::Leave: Perform(WM_MOUSELEAVE, 0, 0); break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(e);
            const QPoint at = mouse->position().toPoint();
            const LPARAM position = MakeLong(at.x(), at.y());
            const bool left = mouse->button() == Qt::LeftButton;
            const bool right = mouse->button() == Qt::RightButton;
            UINT msg = WM_NULL;
            if (e->type() == QEvent::MouseMove)
                msg = WM_MOUSEMOVE;
            else if (e->type() == QEvent::MouseButtonPress)
                msg = left ? WM_LBUTTONDOWN : right ? WM_RBUTTONDOWN : WM_NULL;
            else if (e->type() == QEvent::MouseButtonRelease)
                msg = left ? WM_LBUTTONUP : right ? WM_RBUTTONUP : WM_NULL;
            else
                msg = left ? WM_LBUTTONDBLCLK : right ? WM_RBUTTONDOWN : WM_NULL;
            if (msg != WM_NULL)
                Perform(msg, MouseKeysOf(mouse), position);
            return true;
        }
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(e);
            int vk = 0;
            TShiftState shift = 0;
            // Only the arrows along the tabs are the control's; every other key goes on to the owner.
            const bool vertical = (FStyle & TCS_VERTICAL) != 0;
            if (KeyEventToVirtualKey(key, vk, shift) && !(shift & (ssCtrl | ssAlt)) &&
                (vertical ? vk == VK_UP || vk == VK_DOWN : vk == VK_LEFT || vk == VK_RIGHT)) {
                Perform(WM_KEYDOWN, vk, 0);
                return true;
            }
            break;
        }
        default: break;
        }
    } catch (...) {
        // Qt's event dispatch must not see an exception. The user is told once control is back in the
        // event loop, since a message box must not open inside a paint; and as an owner that fails to
        // draw fails again in every repaint under the box, one error is told at a time.
        if (!FErrorPending) {
            FErrorPending = true;
            QMetaObject::invokeMethod(
                this,
                [this, error = std::current_exception()] {
                    const TScopeGuard told([this] { FErrorPending = false; }); // once the box has closed
                    try {
                        std::rethrow_exception(error);
                    } catch (...) {
                        ShowException(this);
                    }
                },
                Qt::QueuedConnection);
        }
        return true;
    }
    return QWidget::event(e);
}
