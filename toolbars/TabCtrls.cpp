// TabCtrls: the tab set and the page control, which paint their own tabs on the platform tab control.
#include "toolbars/TabCtrls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>
#include <QToolTip>
#include <algorithm>
#include <climits>

#include "components/AppUtils.h"
#include "components/VCLUtils.h"
#include "platform/Cursors.h"
#include "platform/CustomImageList.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/Keys.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kTabAccessError = 65400;
constexpr int kViolationIn = 65401;
constexpr int kButtonsOnlyOnTop = 65402;
constexpr int kPropertyOutOfRange = 65403;
constexpr int kInvalidPageIndex = 65404;
constexpr int kCannotAssign = 65405;
constexpr int kListIndexText = 65214;
constexpr int kNoDesktopContext = 5550;

// Posted to the control after it is restyled: the page control puts its images back then.
constexpr UINT kReapplyImages = WM_USER + 4;
// Sent to a page control when one of its sheets comes back from floating, and when one starts.
constexpr UINT kSheetDocked = WM_USER + 2;
constexpr UINT kSheetFloated = WM_USER + 3;
// The floating window as it is first made, before it takes the sheet's size.
constexpr int kFloatingFormWidth = 664;
constexpr int kFloatingFormHeight = 82;
// Room for one caption read from a tab item.
constexpr int kCaptionBuffer = 4096;

[[noreturn]] void tabAccessError(const char* operation)
{
    throw EListError(LoadResString(kTabAccessError) + "\n" + LoadResString(kViolationIn) + operation);
}

LPARAM ptr(const void* p) { return reinterpret_cast<LPARAM>(p); }

QRect toQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

QFont qtFont(const TFont& font)
{
    QFont result(FromEditorText(font.Name()));
    result.setPointSize(std::max(1, font.Size()));
    result.setBold(font.Style() & fsBold);
    result.setItalic(font.Style() & fsItalic);
    result.setUnderline(font.Style() & fsUnderline);
    result.setStrikeOut(font.Style() & fsStrikeOut);
    return result;
}

// The character Alt types with the key: letters and digits by their key, so that the layout's
// shifted characters do not hide them.
char accelCharOf(int vk, const QKeyEvent* key)
{
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        return static_cast<char>(vk);
    // A caption's accelerator is one byte of its text: a held character, a mark and its reference,
    // is none.
    const std::vector<std::string> typed = KeyEventChars(key);
    return typed.size() == 1 && typed[0].size() == 1 ? typed[0][0] : '\0';
}

} // namespace

// ---------------------------------------------------------------- item strings

int TItemStrings::Add(const std::string& s)
{
    const int at = Count();
    Insert(at, s);
    return at;
}

int TItemStrings::AddObject(const std::string& s, void* object)
{
    const int at = Add(s);
    PutObject(at, object);
    return at;
}

int TItemStrings::IndexOf(std::string_view s) const
{
    for (int i = 0, n = Count(); i < n; ++i)
        if (AnsiSameText(Get(i), s))
            return i;
    return -1;
}

void TItemStrings::Move(int from, int to)
{
    if (from == to)
        return;
    BeginUpdate();
    const TScopeGuard updated([this] { EndUpdate(); });
    const std::string s = Get(from);
    void* object = GetObject(from);
    Delete(from);
    Insert(to, s);
    PutObject(to, object);
}

std::string TItemStrings::Text() const
{
    std::string text;
    for (int i = 0, n = Count(); i < n; ++i)
        text += Get(i) + "\r\n";
    return text;
}

void TItemStrings::SetText(std::string_view text)
{
    TStringList lines;
    lines.SetText(text);
    Assign(lines);
}

void TItemStrings::Assign(const TStringList& source)
{
    BeginUpdate();
    const TScopeGuard updated([this] { EndUpdate(); });
    Clear();
    for (int i = 0; i < source.Count(); ++i)
        AddObject(source[i], source.Objects(i));
}

void TItemStrings::BeginUpdate()
{
    if (FUpdateCount++ == 0)
        SetUpdateState(true);
}

void TItemStrings::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        SetUpdateState(false);
}

int TTabStrings::Count() const { return static_cast<int>(FControl.Perform(TCM_GETITEMCOUNT, 0, 0)); }

std::string TTabStrings::Get(int index) const
{
    char buffer[kCaptionBuffer] = {};
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = buffer;
    item.cchTextMax = kCaptionBuffer;
    if (FControl.Perform(TCM_GETITEM, index, ptr(&item)) == 0)
        tabAccessError("TTabStrings.Get");
    return buffer;
}

void TTabStrings::Put(int index, const std::string& s)
{
    std::string text = s;
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    if (FControl.Perform(TCM_SETITEM, index, ptr(&item)) == 0)
        tabAccessError("TTabStrings.Put");
    FControl.UpdateTabLayout();
}

void* TTabStrings::GetObject(int index) const
{
    TCITEM item;
    item.mask = TCIF_PARAM;
    if (FControl.Perform(TCM_GETITEM, index, ptr(&item)) == 0)
        tabAccessError("TTabStrings.GetObject");
    return reinterpret_cast<void*>(item.lParam);
}

void TTabStrings::PutObject(int index, void* object)
{
    TCITEM item;
    item.mask = TCIF_PARAM;
    item.lParam = reinterpret_cast<LPARAM>(object);
    if (FControl.Perform(TCM_SETITEM, index, ptr(&item)) == 0)
        tabAccessError("TTabStrings.PutObject");
}

void TTabStrings::Insert(int index, const std::string& s)
{
    std::string text = s;
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    if (FControl.Perform(TCM_INSERTITEM, index, ptr(&item)) < 0)
        tabAccessError("TTabStrings.Insert");
    FControl.UpdateTabLayout();
}

void TTabStrings::Delete(int index)
{
    if (FControl.Perform(TCM_DELETEITEM, index, 0) == 0)
        tabAccessError("TTabStrings.Delete");
    FControl.UpdateTabLayout();
}

void TTabStrings::Clear()
{
    if (FControl.Perform(TCM_DELETEALLITEMS, 0, 0) == 0)
        tabAccessError("TTabStrings.Clear");
    FControl.UpdateTabLayout();
}

void TTabStrings::SetUpdateState(bool updating)
{
    FControl.FUpdating = updating;
    FControl.Perform(WM_SETREDRAW, updating ? 0 : 1, 0);
    if (!updating) {
        FControl.update();
        FControl.UpdateTabLayout();
    }
}

int TImageIndexStrings::Count() const { return static_cast<int>(FControl.Perform(TCM_GETITEMCOUNT, 0, 0)); }

std::string TImageIndexStrings::Get(int index) const
{
    TCITEM item;
    item.mask = TCIF_IMAGE;
    if (FControl.Perform(TCM_GETITEM, index, ptr(&item)) == 0)
        tabAccessError("TImageIndexStrings.Get");
    return IntToStr(item.iImage);
}

void TImageIndexStrings::Put(int index, const std::string& s)
{
    if (index < 0 || index >= Count())
        return;
    int64_t value = -1;
    TCITEM item;
    item.mask = TCIF_IMAGE;
    item.iImage = TryStrToInt(s, value) && value >= 0 && value <= INT_MAX ? static_cast<int>(value) : -1;
    if (FControl.Perform(TCM_SETITEM, index, ptr(&item)) == 0)
        tabAccessError("TImageIndexStrings.Put");
    FControl.update();
}

int TImageIndexStrings::Add(const std::string& s)
{
    Put(FAddCount, s);
    return FAddCount++;
}

template <class List>
void TImageIndexStrings::assignEntries(const List& source)
{
    const int n = std::min(Count(), source.Count());
    for (int i = 0; i < n; ++i)
        Put(i, source[i]);
}

void TImageIndexStrings::Assign(const TStringList& source) { assignEntries(source); }
void TImageIndexStrings::Assign(const TItemStrings& source) { assignEntries(source); }

void TImageIndexStrings::Assign(const TFont&)
{
    throw Exception(FmtLoadStr(kCannotAssign, "TFont", "TImageIndexStrings"));
}

// ---------------------------------------------------------------- the tab strip

TCustomTabSetControl::TCustomTabSetControl(QWidget* parent) : TTabControl(parent), FTabs(*this)
{
    resize(289, 193);
    SetStyle(tabStyle());
    OnNotify = [this](UINT msg, WPARAM, LPARAM lParam) { return reflected(msg, lParam); };
    FFont.OnChange = [this] { applyFonts(); };
    FTabInactiveFont.OnChange = [this] { update(); };
    applyFonts();
    SetFlatSeperators(FFlatSeperators);
}

TCustomTabSetControl::~TCustomTabSetControl() { OnNotify = nullptr; }

uint32_t TCustomTabSetControl::tabStyle() const
{
    uint32_t style = 0;
    if (FButtonStyle)
        style |= TCS_BUTTONS;
    if (FVerticalTabs)
        style |= TCS_VERTICAL;
    if (FTabPosition == tpBottomRight)
        style |= TCS_BOTTOM;
    if (FMultiLine)
        style |= TCS_MULTILINE;
    if (FScrollOpposite)
        style |= TCS_SCROLLOPPOSITE;
    if (!FTabStop)
        style |= TCS_FOCUSNEVER;
    if (FTabWidth != 0)
        style |= TCS_FIXEDWIDTH;
    if (FFlatButtons)
        style |= TCS_FLATBUTTONS;
    if (FMultiSelect)
        style |= TCS_MULTISELECT;
    if (!FUseMSDrawing)
        style |= TCS_OWNERDRAWFIXED;
    if (FFocusButtons)
        style |= TCS_FOCUSONBUTTONDOWN;
    return style;
}

// The platform control takes a new style in place, so the items, the selection and the images
// survive without being saved; what the control keeps outside its style is sent again.
void TCustomTabSetControl::RecreateWnd()
{
    SetStyle(tabStyle());
    Perform(TCM_SETITEMSIZE, 0, MakeLong(FTabWidth, FTabHeight));
    if (parentWidget()) {
        SetFlatSeperators(FFlatSeperators);
        QMetaObject::invokeMethod(
            this, [this] { CallHandler(this, [this] { Perform(kReapplyImages, 0, 0); }); }, Qt::QueuedConnection);
    }
    UpdateTabLayout();
}

void TCustomTabSetControl::setStyleProperty(bool& field, bool value)
{
    if (field == value)
        return;
    field = value;
    RecreateWnd();
}

void TCustomTabSetControl::SetImages(TCustomImageList* images)
{
    FImages = images;
    ImageListChange();
}

void TCustomTabSetControl::ImageListChange()
{
    Perform(TCM_SETIMAGELIST, 0, ptr(FImages));
    update();
}

void TCustomTabSetControl::SetTabWidth(int value)
{
    if (value < 0 || value > INT16_MAX)
        throw EInvalidOperation(FmtLoadStr(kPropertyOutOfRange, ClassName()));
    if (value == FTabWidth)
        return;
    // Fixed width is a style: switching it on or off restyles, a new width is only a new size.
    const bool restyle = (FTabWidth == 0) != (value == 0);
    FTabWidth = static_cast<int16_t>(value);
    if (restyle) {
        RecreateWnd();
    } else {
        Perform(TCM_SETITEMSIZE, 0, MakeLong(FTabWidth, FTabHeight));
        UpdateTabLayout();
    }
}

void TCustomTabSetControl::SetTabHeight(int value)
{
    if (value < 0 || value > INT16_MAX)
        throw EInvalidOperation(FmtLoadStr(kPropertyOutOfRange, ClassName()));
    FTabHeight = static_cast<int16_t>(value);
    Perform(TCM_SETITEMSIZE, 0, MakeLong(FTabWidth, FTabHeight));
    UpdateTabLayout();
}

void TCustomTabSetControl::SetMultiLine(bool value)
{
    if (value == FMultiLine)
        return;
    FMultiLine = value;
    if (!value)
        FScrollOpposite = false;
    RecreateWnd();
}

void TCustomTabSetControl::SetScrollOpposite(bool value)
{
    if (value == FScrollOpposite)
        return;
    FScrollOpposite = value;
    if (value)
        FMultiLine = true;
    RecreateWnd();
}

void TCustomTabSetControl::SetMultiSelect(bool value) { setStyleProperty(FMultiSelect, value); }
void TCustomTabSetControl::SetFocusButtons(bool value) { setStyleProperty(FFocusButtons, value); }
void TCustomTabSetControl::SetUseMSDrawing(bool value) { setStyleProperty(FUseMSDrawing, value); }
void TCustomTabSetControl::SetTabStop(bool value) { setStyleProperty(FTabStop, value); }
void TCustomTabSetControl::SetFlatButtons(bool value) { setStyleProperty(FFlatButtons, value); }

void TCustomTabSetControl::SetTextRotation(TTextRotation value)
{
    if (value == FTextRotation)
        return;
    FTextRotation = value;
    RecreateWnd();
}

void TCustomTabSetControl::SetTabPosition(TTabSetPosition value)
{
    if (value == FTabPosition)
        return;
    if (FButtonStyle)
        throw EInvalidOperation(LoadResString(kButtonsOnlyOnTop));
    FTabPosition = value;
    RecreateWnd();
}

void TCustomTabSetControl::SetVerticalTabs(bool value)
{
    if (value == FVerticalTabs)
        return;
    if (FButtonStyle)
        throw EInvalidOperation(LoadResString(kButtonsOnlyOnTop));
    FVerticalTabs = value;
    RecreateWnd();
}

void TCustomTabSetControl::SetButtonStyle(bool value)
{
    if (value == FButtonStyle)
        return;
    FButtonStyle = value;
    FVerticalTabs = false;
    FTabPosition = tpTopLeft;
    RecreateWnd();
}

bool TCustomTabSetControl::FlatSeperators()
{
    SetFlatSeperators(FFlatSeperators);
    return FFlatSeperators;
}

void TCustomTabSetControl::SetFlatSeperators(bool value)
{
    FFlatSeperators = value;
    Perform(TCM_SETEXTENDEDSTYLE, TCS_EX_FLATSEPARATORS, value ? LPARAM{TCS_EX_FLATSEPARATORS} : LPARAM{0});
}

void TCustomTabSetControl::SetColor(TColor value)
{
    FColor = value;
    update();
}

void TCustomTabSetControl::SetTabInactiveColor(TColor value)
{
    FTabInactiveColor = value;
    update();
}

void TCustomTabSetControl::SetHint(const std::string& value)
{
    FHint = value;
    setToolTip(FromEditorText(value));
}

// The tabs are measured in the selected tab's font, so the control's own font follows it.
void TCustomTabSetControl::applyFonts()
{
    setFont(qtFont(FFont));
    Perform(WM_SIZE, 0, 0);
    update();
}

TRect TCustomTabSetControl::DisplayRect()
{
    TRect r{0, 0, width(), height()};
    Perform(TCM_ADJUSTRECT, 0, ptr(&r));
    r.Top += 2;
    return r;
}

void TCustomTabSetControl::UpdateTabLayout()
{
    if (FUpdating)
        return;
    Perform(WM_SIZE, 0, MakeLong(width(), height()));
    AlignControls();
}

void TCustomTabSetControl::Loaded()
{
    Perform(TCM_SETITEMSIZE, 0, MakeLong(FTabWidth, FTabHeight));
    UpdateTabLayout();
}

void TCustomTabSetControl::AlignControls() {}

void TCustomTabSetControl::SelectTab(int index) { Perform(TCM_SETCURSEL, index, 0); }

int TCustomTabSetControl::SelectedTab() { return static_cast<int>(Perform(TCM_GETCURSEL, 0, 0)); }

int TCustomTabSetControl::TabAt(TPoint point)
{
    TCHITTESTINFO info;
    info.pt = point;
    return static_cast<int>(Perform(TCM_HITTEST, 0, ptr(&info)));
}

void TCustomTabSetControl::InvalidateTab(int index)
{
    TRect r;
    if (index >= 0 && Perform(TCM_GETITEMRECT, index, ptr(&r)) != 0)
        update(toQRect(r).adjusted(-TTabLayout::kSelectedGrowth, -TTabLayout::kSelectedGrowth,
                                   TTabLayout::kSelectedGrowth, TTabLayout::kSelectedGrowth));
}

bool TCustomTabSetControl::IsAccel(char c, const std::string& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') { // "&&" is a literal ampersand
            ++i;
            continue;
        }
        return AnsiUpper(caption[i + 1]) == AnsiUpper(c);
    }
    return false;
}

bool TCustomTabSetControl::CanFocusNow() const { return isEnabled() && isVisible(); }

bool TCustomTabSetControl::DialogChar(char) { return false; }

bool TCustomTabSetControl::DialogKey(int, TShiftState) { return false; }

bool TCustomTabSetControl::CanChange()
{
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    return allow;
}

void TCustomTabSetControl::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------- messages

LRESULT TCustomTabSetControl::reflected(UINT msg, LPARAM lParam)
{
    if (msg == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == TCN_SELCHANGING)
            return CanChange() ? 0 : 1;
        if (header->code == TCN_SELCHANGE)
            Change();
        return 0;
    }
    if (msg == WM_DRAWITEM && !FUseMSDrawing) {
        drawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return 1;
    }
    return 0;
}

void TCustomTabSetControl::WndProc(TMessage& m)
{
    const TPoint at{SignedLoWord(m.LParam), SignedHiWord(m.LParam)};
    TTabControl::WndProc(m);
    switch (m.Msg) {
    case WM_SIZE:
        AlignControls();
        update();
        break;
    case WM_MOUSEMOVE: mouseMoved(m.WParam, at); break;
    case WM_MOUSELEAVE: mouseLeft(); break;
    case WM_LBUTTONDOWN: buttonPressed(at); break;
    case WM_LBUTTONUP: buttonReleased(at); break;
    default: break;
    }
}

// Alt+letter and Ctrl+Tab reach the control when the focused control among its children left them.
bool TCustomTabSetControl::event(QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        int vk = 0;
        TShiftState shift = 0;
        bool taken = false;
        if (KeyEventToVirtualKey(key, vk, shift))
            CallHandler(this, [&] {
                if (IsAltCommand(shift)) {
                    const char c = accelCharOf(vk, key);
                    taken = c != '\0' && DialogChar(c);
                } else {
                    taken = DialogKey(vk, shift);
                }
            });
        if (taken) {
            e->accept();
            return true;
        }
    }
    return TTabControl::event(e);
}

// ---------------------------------------------------------------- hot tab, hints and shifting

void TCustomTabSetControl::trackHotTab(TPoint point)
{
    const int index = TabAt(point);
    if (index == FHotTab)
        return;
    if (OnTabTrack)
        OnTabTrack(this, index);
    TabHint(index);
    if (FHotTrack) {
        InvalidateTab(FHotTab);
        InvalidateTab(index);
    }
    FHotTab = index;
}

// Leaving clears the hot tab quietly: the owner hears of hot tabs only while the mouse is over the control.
void TCustomTabSetControl::mouseLeft()
{
    if (FHotTrack)
        InvalidateTab(FHotTab);
    FHotTab = -1;
}

void TCustomTabSetControl::buttonPressed(TPoint point)
{
    FShiftedTab = -1;
    if (!FAllowTabShifting)
        return;
    // The press has already selected the tab under it; only the selected, hot tab starts a shift.
    const int index = TabAt(point);
    if (index >= 0 && index == SelectedTab() && index == FHotTab)
        FShiftedTab = index;
}

void TCustomTabSetControl::mouseMoved(WPARAM keys, TPoint point)
{
    trackHotTab(point);
    if (!FAllowTabShifting)
        return;
    TCursor cursor = crDefault;
    if ((keys & MK_LBUTTON) && FShiftedTab >= 0) {
        const int index = TabAt(point);
        cursor = index < 0 ? crNo : index == FShiftedTab ? crDefault : crDrag;
    }
    setCursor(CursorOf(cursor));
}

void TCustomTabSetControl::buttonReleased(TPoint point)
{
    if (!FAllowTabShifting || FShiftedTab < 0)
        return;
    const int from = FShiftedTab;
    FShiftedTab = -1;
    setCursor(CursorOf(crDefault));
    const int to = TabAt(point);
    if (to < 0 || to == from)
        return;
    ShiftTab(from, to);
    if (OnTabShift)
        OnTabShift(this);
}

// ---------------------------------------------------------------- drawing

void TCustomTabSetControl::drawItem(const DRAWITEMSTRUCT& item)
{
    QPainter& painter = *item.hDC;
    const TPainterSave saved(painter);
    FCanvas = &painter;
    const TScopeGuard drawn([this] { FCanvas = nullptr; });
    painter.setFont(qtFont(FFont));
    painter.setBrush(ToQColor(static_cast<TColor>(clBtnFace)));
    const int index = static_cast<int>(item.itemID);
    TRect r = item.rcItem;
    // Unselected tabs sit lower in their row than the selected one, which stands out of it.
    if (index != SelectedTab() && !FButtonStyle) {
        const int shift = FTabPosition == tpTopLeft ? 1 : -2;
        if (FVerticalTabs) {
            r.Left += shift;
            r.Right += shift;
        } else {
            r.Top += shift;
            r.Bottom += shift;
        }
    }
    DrawTab(FTabs.Get(index), index, r);
}

void TCustomTabSetControl::DrawTab(const std::string& caption, int index, const TRect& rect)
{
    if (OnDrawTab) {
        OnDrawTab(this, caption, index, rect);
        return;
    }
    if (!FCanvas)
        return;
    QPainter& painter = *FCanvas;
    const bool selected = index == SelectedTab();
    const TFont& font = selected ? FFont : FTabInactiveFont;
    const QColor ink = ToQColor(FHotTrack && index == FHotTab ? static_cast<TColor>(clHighlight) : font.Color());
    painter.setFont(qtFont(font));
    painter.fillRect(toQRect(rect), ToQColor(selected ? FColor : FTabInactiveColor));
    const std::string text = Trim(caption);
    // The selected tab's face stands one pixel higher (or further left), the others one lower.
    const int shift = selected ? -1 : 1;

    TRect area = rect;
    int image = -1;
    if (FImages) {
        TCITEM tab;
        tab.mask = TCIF_IMAGE;
        if (Perform(TCM_GETITEM, index, ptr(&tab)) == 0)
            tabAccessError("TCustomTabSetControl.DrawTab");
        image = tab.iImage;
    }
    if (image != -1) {
        const int w = FImages->Width();
        const int h = FImages->Height();
        if (FVerticalTabs) {
            const int x = rect.Left + (rect.Width() - w) / 2 + shift;
            const int y = rect.Top + (selected ? 6 : 5);
            FImages->Draw(painter, x, y, image, isEnabled());
            area.Top = y + h + 5;
        } else {
            const int x = rect.Left + (selected ? 6 : 5);
            const int y = rect.Top + (rect.Height() - h) / 2 + shift;
            FImages->Draw(painter, x, y, image, isEnabled());
            area.Left = x + w + 5;
        }
    } else if (FVerticalTabs) {
        area.Top = rect.Top + 5;
    } else {
        area.Left = rect.Left + (selected ? 6 : 5);
    }
    drawCaption(painter, text, area, rect, selected, ink);
}

void TCustomTabSetControl::drawCaption(QPainter& painter, const std::string& caption, const TRect& textArea,
                                       const TRect&, bool selected, const QColor& colour)
{
    const int shift = selected ? -1 : 1;
    const TPainterSave saved(painter);
    painter.setPen(colour);
    const QString text = FromEditorText(caption);
    if (FTextRotation == trHorizontal) {
        const QRect r(textArea.Left, textArea.Top + shift, std::max(0, textArea.Width()), textArea.Height());
        painter.drawText(r, Qt::TextSingleLine | Qt::TextShowMnemonic | Qt::TextDontClip | Qt::AlignLeft |
                                Qt::AlignVCenter, text);
        return;
    }
    // Turned captions are drawn as a turned font would write them: at 90 degrees reading upwards
    // from the bottom, at 270 degrees downwards from the top, centred across the tab.
    const QFontMetrics metrics(painter.font());
    const int th = metrics.height();
    const int tw = metrics.horizontalAdvance(text);
    if (FTabPosition == tpTopLeft) {
        painter.translate(textArea.Left + (textArea.Width() / 2 - th / 2) + shift, textArea.Top + tw);
        painter.rotate(-90);
    } else {
        painter.translate(textArea.Left + textArea.Width() / 2 + th / 2 + shift, textArea.Top);
        painter.rotate(90);
    }
    painter.drawText(0, metrics.ascent(), text);
}

// ---------------------------------------------------------------- the tab set

TTabSetControl::TTabSetControl(QWidget* parent) : TCustomTabSetControl(parent), FImageIndexes(*this) {}

int TTabSetControl::TabIndex() { return SelectedTab(); }

void TTabSetControl::SetTabIndex(int value) { SelectTab(value); }

bool TTabSetControl::DialogChar(char c)
{
    for (int i = 0, n = Tabs().Count(); i < n; ++i) {
        if (!IsAccel(c, Tabs().Get(i)))
            continue;
        if (!CanFocusNow())
            return false;
        SetTabIndex(i);
        return true;
    }
    return false;
}

void TTabSetControl::TabHint(int index)
{
    QToolTip::hideText();
    if (index >= 0 && index < FTabHints.Count())
        SetHint(Trim(FTabHints[index]));
}

// The caption moves with its image, and the moved tab stays selected.
void TTabSetControl::ShiftTab(int from, int to)
{
    const bool wasSelected = SelectedTab() == from;
    const std::string image = FImageIndexes.Get(from);
    Tabs().Move(from, to);
    FImageIndexes.Put(to, image);
    if (wasSelected)
        SetTabIndex(to);
}

// ---------------------------------------------------------------- the page control

TPageSetControl::TPageSetControl(QWidget* parent) : TCustomTabSetControl(parent) {}

TPageSetControl::~TPageSetControl()
{
    // The sheets are children and go with the widget; they must not come back to a control half gone.
    for (TTabSetSheet* page : FPages)
        page->FPageControl = nullptr;
    FPages.clear();
    FActivePage = nullptr;
    // The torn-off sheets were this control's too: they go with their floating windows.
    const std::vector<TTabSetSheet*> floating = std::move(FFloatingSheets);
    FFloatingSheets.clear();
    for (TTabSetSheet* page : floating) {
        page->FLastPageControl = nullptr;
        if (page->FFloatingForm)
            delete page->FFloatingForm;
        else
            delete page;
    }
}

TTabSetSheet* TPageSetControl::Pages(int index) const
{
    if (index < 0 || index >= PageCount())
        throw EListError(FmtLoadStr(kListIndexText, index));
    return FPages[index];
}

TTabSetSheet* TPageSetControl::sheetOfTab(int tabIndex)
{
    return static_cast<TTabSetSheet*>(Tabs().GetObject(tabIndex));
}

void TPageSetControl::SetActivePage(TTabSetSheet* page)
{
    if (page && page->FPageControl != this)
        return;
    changeActivePage(page);
    if (!page)
        SelectTab(-1);
    else if (page == FActivePage && page->FTabShowing)
        SelectTab(page->TabIndex());
}

void TPageSetControl::changeActivePage(TTabSetSheet* page)
{
    if (page == FActivePage)
        return;
    QWidget* focus = QApplication::focusWidget();
    const bool focusInOld = FActivePage && focus && FActivePage->isAncestorOf(focus);
    if (page) {
        page->setGeometry(toQRect(DisplayRect()));
        page->raise();
        page->show();
    }
    if (focusInOld) {
        // The focus goes to the new page's first control, or to the tabs when it has none.
        QWidget* first = nullptr;
        if (page)
            for (QWidget* child : page->findChildren<QWidget*>())
                if ((child->focusPolicy() & Qt::TabFocus) && child->isEnabled() && child->isVisibleTo(page)) {
                    first = child;
                    break;
                }
        if (first)
            first->setFocus();
        else
            setFocus();
    }
    if (FActivePage)
        FActivePage->hide();
    FActivePage = page;
}

void TPageSetControl::updateActivePage()
{
    const int tab = SelectedTab();
    SetActivePage(tab >= 0 ? sheetOfTab(tab) : nullptr);
}

void TPageSetControl::Change()
{
    updateActivePage();
    TCustomTabSetControl::Change();
}

TTabSetSheet* TPageSetControl::FindNextPage(TTabSetSheet* current, bool forward, bool visibleTabsOnly) const
{
    const int count = PageCount();
    if (count == 0)
        return nullptr;
    const auto found = std::find(FPages.begin(), FPages.end(), current);
    int start = found == FPages.end() ? (forward ? count - 1 : 0) : static_cast<int>(found - FPages.begin());
    int i = start;
    do {
        i = forward ? (i + 1) % count : (i + count - 1) % count;
        if (!visibleTabsOnly || FPages[i]->FTabVisible)
            return FPages[i];
    } while (i != start);
    return nullptr;
}

void TPageSetControl::SelectNextPage(bool forward)
{
    TTabSetSheet* page = FindNextPage(FActivePage, forward, true);
    if (page && page != FActivePage && CanChange()) {
        SelectTab(page->TabIndex());
        Change();
    }
}

bool TPageSetControl::DialogChar(char c)
{
    for (int i = 0, n = Tabs().Count(); i < n; ++i) {
        TTabSetSheet* page = sheetOfTab(i);
        if (!page || !IsAccel(c, page->Caption()))
            continue;
        if (!CanFocusNow())
            return false;
        SetActivePage(page);
        return true;
    }
    return false;
}

bool TPageSetControl::DialogKey(int vk, TShiftState shift)
{
    if (vk != VK_TAB || !(shift & ssCtrl))
        return false;
    SelectNextPage(!(shift & ssShift));
    return true;
}

void TPageSetControl::TabHint(int index)
{
    QToolTip::hideText();
    if (index >= 0) {
        if (TTabSetSheet* page = sheetOfTab(index))
            SetHint(Trim(page->TabHint()));
    } else if (FActivePage) {
        SetHint(Trim(FActivePage->Hint()));
    }
}

void TPageSetControl::ShiftTab(int from, int to)
{
    TTabSetSheet* shifted = sheetOfTab(from);
    TTabSetSheet* target = sheetOfTab(to);
    if (shifted && target)
        shifted->SetPageIndex(target->PageIndex());
}

void TPageSetControl::AlignControls()
{
    const QRect area = toQRect(DisplayRect());
    for (TTabSetSheet* page : FPages)
        if (!page->FFloating)
            page->setGeometry(area);
}

void TPageSetControl::WndProc(TMessage& m)
{
    if (m.Msg == kSheetFloated) {
        sheetFloated();
        return;
    }
    if (m.Msg == kSheetDocked) {
        sheetDocked();
        return;
    }
    if (m.Msg != kReapplyImages) {
        TCustomTabSetControl::WndProc(m);
        return;
    }
    Perform(WM_SETREDRAW, 0, 0);
    const TScopeGuard redraw([this] {
        Perform(WM_SETREDRAW, 1, 0);
        update();
    });
    ImageListChange();
    for (TTabSetSheet* page : FPages)
        if (page->FTabShowing)
            page->SetImageIndex(page->FImageIndex);
}

void TPageSetControl::sheetFloated()
{
    ++FFloatingCount;
    if (OnFloatChange)
        CallHandler(this, [this] { OnFloatChange(this, fstFloating); });
}

// The sheets take their places by StaticPageIndex; sheets of equal index keep their order, so that a
// sheet that comes back stays after those that came back before it.
void TPageSetControl::sheetDocked()
{
    --FFloatingCount;
    std::vector<TTabSetSheet*> order = FPages;
    std::stable_sort(order.begin(), order.end(), [](const TTabSetSheet* a, const TTabSetSheet* b) {
        return a->FStaticPageIndex < b->FStaticPageIndex;
    });
    for (size_t i = 0; i < order.size(); ++i)
        movePage(order[i], static_cast<int>(i));
    for (TTabSetSheet* page : FPages)
        if (page->FTabShowing)
            page->SetImageIndex(page->FImageIndex);
    if (OnFloatChange)
        CallHandler(this, [this] { OnFloatChange(this, fstDocked); });
}

void TPageSetControl::insertPage(TTabSetSheet* page)
{
    FPages.push_back(page);
    page->FPageControl = this;
    if (!page->FFloating)
        page->setGeometry(toQRect(DisplayRect()));
    page->updateTabShowing();
}

void TPageSetControl::removePage(TTabSetSheet* page)
{
    page->setTabShowing(false);
    FPages.erase(std::remove(FPages.begin(), FPages.end(), page), FPages.end());
    page->FPageControl = nullptr;
    if (page == FActivePage) {
        page->hide();
        FActivePage = nullptr;
    }
}

void TPageSetControl::movePage(TTabSetSheet* page, int index)
{
    const int old = page->PageIndex();
    if (old == index)
        return;
    const int oldTab = page->TabIndex();
    FPages.erase(FPages.begin() + old);
    FPages.insert(FPages.begin() + index, page);
    if (!page->FTabShowing)
        return;
    const int newTab = page->TabIndex();
    if (newTab == oldTab)
        return;
    const bool wasSelected = SelectedTab() == oldTab;
    Tabs().Move(oldTab, newTab);
    page->SetImageIndex(page->FImageIndex);
    if (wasSelected)
        SelectTab(newTab);
}

void TPageSetControl::insertTab(TTabSetSheet* page)
{
    const int at = page->TabIndex();
    Tabs().Insert(at, page->Caption());
    Tabs().PutObject(at, page);
    page->SetImageIndex(page->FImageIndex);
}

void TPageSetControl::deleteTab(int tabIndex)
{
    Tabs().Delete(tabIndex);
    updateActivePage();
}

// ---------------------------------------------------------------- sheets

TTabSetSheet::TTabSetSheet(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    SetColor(FColor);
    hide();
}

TTabSetSheet::~TTabSetSheet()
{
    if (FDragging)
        drawOutline();
    if (FLastPageControl) {
        auto& floating = FLastPageControl->FFloatingSheets;
        floating.erase(std::remove(floating.begin(), floating.end(), this), floating.end());
    }
    if (FFloatingForm) {
        // The empty window has nothing left to hold.
        FFloatingForm->FSheet = nullptr;
        FFloatingForm->deleteLater();
    }
    if (!FPageControl)
        return;
    try {
        FPageControl->removePage(this);
    } catch (...) {
        // A destructor cannot report; the control's tabs are its own and stay consistent.
    }
}

void TTabSetSheet::Show()
{
    if (FPageControl && !FFloating)
        FPageControl->SetActivePage(this);
    else
        show();
}

void TTabSetSheet::SetPageControl(TPageSetControl* control)
{
    if (control == FPageControl)
        return;
    if (FPageControl)
        FPageControl->removePage(this);
    setParent(control);
    hide();
    if (control)
        control->insertPage(this);
}

int TTabSetSheet::PageIndex() const
{
    if (!FPageControl)
        return -1;
    const auto& pages = FPageControl->FPages;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSetSheet::SetPageIndex(int value)
{
    if (!FPageControl)
        return;
    const int last = FPageControl->PageCount() - 1;
    if (value < 0 || value > last)
        throw EListError(FmtLoadStr(kInvalidPageIndex, value, last));
    FPageControl->movePage(this, value);
}

int TTabSetSheet::TabIndex() const
{
    if (!FTabShowing || !FPageControl)
        return -1;
    int index = 0;
    for (const TTabSetSheet* page : FPageControl->FPages) {
        if (page == this)
            return index;
        if (page->FTabShowing)
            ++index;
    }
    return -1;
}

void TTabSetSheet::SetTabVisible(bool value)
{
    FTabVisible = value;
    updateTabShowing();
}

void TTabSetSheet::updateTabShowing() { setTabShowing(FPageControl && FTabVisible); }

void TTabSetSheet::setTabShowing(bool value)
{
    if (value == FTabShowing)
        return;
    if (value) {
        FTabShowing = true;
        FPageControl->insertTab(this);
    } else {
        const int tab = TabIndex();
        FTabShowing = false;
        FPageControl->deleteTab(tab);
    }
}

int TTabSetSheet::ImageIndex()
{
    if (FTabShowing) {
        TCITEM item;
        item.mask = TCIF_IMAGE;
        if (FPageControl->Perform(TCM_GETITEM, TabIndex(), ptr(&item)) == 0)
            tabAccessError("TTabSetSheet.GetImageIndex");
    }
    return FImageIndex;
}

void TTabSetSheet::SetImageIndex(int value)
{
    FImageIndex = value;
    if (!FTabShowing)
        return;
    TCITEM item;
    item.mask = TCIF_IMAGE;
    item.iImage = value;
    if (FPageControl->Perform(TCM_SETITEM, TabIndex(), ptr(&item)) == 0)
        tabAccessError("TTabSetSheet.SetImageIndex");
    FPageControl->UpdateTabLayout();
}

void TTabSetSheet::SetCaption(const std::string& value)
{
    FCaption = value;
    if (FTabShowing)
        FPageControl->Tabs().Put(TabIndex(), value);
}

void TTabSetSheet::SetHint(const std::string& value)
{
    FHint = value;
    setToolTip(FromEditorText(value));
}

void TTabSetSheet::SetColor(TColor value)
{
    FColor = value;
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ToQColor(value));
    setPalette(colours);
}

// ---------------------------------------------------------------- tearing sheets off

void TTabSetSheet::SetDragable(bool value)
{
    FDragable = value;
    gripChanged();
}

void TTabSetSheet::SetGripAlign(TGripAlign value)
{
    FGripAlign = value;
    gripChanged();
}

void TTabSetSheet::SetFloatOnTop(bool value)
{
    FFloatOnTop = value;
    if (FFloating && FFloatingForm && value)
        FFloatingForm->SetOwnerWindow(MainForm());
}

// The children's area leaves the strip out; the sheet repaints with or without it.
void TTabSetSheet::gripChanged()
{
    const QRect client = ClientRect();
    setContentsMargins(client.left(), client.top(), width() - client.right() - 1, height() - client.bottom() - 1);
    update();
}

QRect TTabSetSheet::GripRect() const
{
    if (!showsGrip())
        return {};
    const int w = width();
    const int h = height();
    switch (FGripAlign) {
    case gaLeft: return QRect(0, 0, kGripWidth, h);
    case gaRight: return QRect(w - kGripWidth, 0, kGripWidth, h);
    case gaTop: return QRect(0, 0, w, kGripWidth);
    case gaBottom: return QRect(0, h - kGripWidth, w, kGripWidth);
    }
    return {};
}

// The end of the strip where the dots are.
QRect TTabSetSheet::GrabRect() const
{
    if (!showsGrip())
        return {};
    const int w = width();
    const int h = height();
    switch (FGripAlign) {
    case gaLeft: return QRect(0, 0, kGripWidth, kGrabLength);
    case gaRight: return QRect(w - kGripWidth, h - kGrabLength, kGripWidth, kGrabLength);
    case gaTop: return QRect(w - kGrabLength, 0, kGrabLength, kGripWidth);
    case gaBottom: return QRect(0, h - kGripWidth, kGrabLength, kGripWidth);
    }
    return {};
}

QRect TTabSetSheet::ClientRect() const
{
    QRect client = rect();
    if (!showsGrip())
        return client;
    switch (FGripAlign) {
    case gaLeft: client.setLeft(kGripWidth); break;
    case gaRight: client.setRight(width() - kGripWidth - 1); break;
    case gaTop: client.setTop(kGripWidth); break;
    case gaBottom: client.setBottom(height() - kGripWidth - 1); break;
    }
    return client;
}

void TTabSetSheet::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!showsGrip())
        return;
    QPainter painter(this);
    paintGrip(painter);
}

// Five pairs of 2 by 2 dot groups, 4 pixels apart along the strip: each group's top-left pixel in the
// highlight, the other three in the caption colour; a pair's second group 2 pixels along and 3 across.
void TTabSetSheet::paintGrip(QPainter& painter)
{
    painter.fillRect(GripRect(), ToQColor(clBtnFace));
    const QColor light = ToQColor(clBtnHighlight);
    const QColor dots = ToQColor(isEnabled() ? clActiveCaption : clInactiveCaption);
    const auto group = [&](int x, int y) {
        painter.fillRect(x, y, 2, 2, dots);
        painter.fillRect(x, y, 1, 1, light);
    };
    const int w = width();
    const int h = height();
    for (int i = 0; i < 5; ++i) {
        const int along = 4 * i;
        switch (FGripAlign) {
        case gaLeft:
            group(0, along);
            group(3, along + 2);
            break;
        case gaRight:
            group(w - 5, h - 2 - along);
            group(w - 2, h - 4 - along);
            break;
        case gaTop:
            group(w - 2 - along, 0);
            group(w - 4 - along, 3);
            break;
        case gaBottom:
            group(along, h - 5);
            group(along + 2, h - 2);
            break;
        }
    }
}

void TTabSetSheet::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !FPageControl || !FPageControl->CanFloatSheet() ||
        !GrabRect().contains(event->position().toPoint()))
        return;
    const QPoint at = event->globalPosition().toPoint();
    FMousePoint = FGrabPoint = TPoint{at.x(), at.y()};
    FFloatSize = size();
    FPressed = true;
}

void TTabSetSheet::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    if (!FPressed)
        return;
    const QPoint at = event->globalPosition().toPoint();
    if (!FDragging) {
        if (std::abs(at.x() - FGrabPoint.X) < kDragThreshold && std::abs(at.y() - FGrabPoint.Y) < kDragThreshold)
            return;
        FDragging = true;
    } else {
        drawOutline();
    }
    FMousePoint = TPoint{at.x(), at.y()};
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    const int left = origin.x() + FMousePoint.X - FGrabPoint.X;
    const int top = origin.y() + FMousePoint.Y - FGrabPoint.Y;
    FFloatRect = TRect{left, top, left + FFloatSize.width(), top + FFloatSize.height()};
    drawOutline();
}

void TTabSetSheet::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !FPressed)
        return;
    FPressed = false;
    if (!FDragging) {
        update();
        return;
    }
    drawOutline();
    FDragging = false;
    CallHandler(this, [this] { floatAt(FFloatRect); });
}

void TTabSetSheet::drawOutline()
{
    if (!QGuiApplication::primaryScreen()) {
        MessageBox(nullptr, LoadResString(kNoDesktopContext), {}, MB_OK | MB_ICONSTOP);
        return;
    }
    DrawInvertFrame(FFloatRect, 1);
}

void TTabSetSheet::FloatSheet()
{
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    floatAt(TRect{origin.x(), origin.y(), origin.x() + width(), origin.y() + height()});
}

void TTabSetSheet::floatAt(const TRect& screenRect)
{
    if (FFloating || !FPageControl || !FPageControl->CanFloatSheet())
        return;
    TPageSetControl* control = FPageControl;
    FFloatRect = screenRect;
    const QSize client = size();
    FLastPageControl = control;
    // The page after this one takes its place as the active page.
    TTabSetSheet* next = control->ActivePage() == this ? control->FindNextPage(this, true, true) : nullptr;
    control->removePage(this);
    control->FFloatingSheets.push_back(this);
    FFloating = true;
    gripChanged();
    if (next && next != this)
        control->SetActivePage(next);
    control->Perform(kSheetFloated, 0, 0);
    if (!FFloatingForm) {
        FFloatingForm = new TFloatingForm(this, FFloatOnTop ? MainForm() : nullptr);
        const TCustomImageList* images = control->Images();
        if (images && FImageIndex != -1) {
            QPixmap icon(images->Width(), images->Height());
            icon.fill(Qt::transparent);
            QPainter painter(&icon);
            images->Draw(painter, 0, 0, FImageIndex);
            painter.end();
            FFloatingForm->setWindowIcon(QIcon(icon));
        }
        FFloatingForm->setWindowTitle(FromEditorText(FCaption));
        FFloatingForm->resize(client);
    }
    FFloatingForm->move(screenRect.Left, screenRect.Top);
    if (OnFloatChange)
        OnFloatChange(this, fstFloating);
    FFloatingForm->layout()->addWidget(this);
    show();
    FFloatingForm->show();
}

void TTabSetSheet::DockSheet()
{
    if (!FFloating)
        return;
    if (FFloatingForm)
        FFloatingForm->hide();
    FFloating = false;
    TPageSetControl* control = FLastPageControl;
    if (control) {
        auto& floating = control->FFloatingSheets;
        floating.erase(std::remove(floating.begin(), floating.end(), this), floating.end());
        setParent(control);
        hide();
        control->insertPage(this);
        control->Perform(kSheetDocked, 0, 0);
        control->SetActivePage(this);
    }
    FLastPageControl = nullptr;
    gripChanged();
    if (OnFloatChange)
        OnFloatChange(this, fstDocked);
}

// ---------------------------------------------------------------- the floating window

TFloatingForm::TFloatingForm(TTabSetSheet* sheet, QWidget* owner)
    : QWidget(owner, Qt::Tool), FSheet(sheet)
{
    setAttribute(Qt::WA_DeleteOnClose);
    QFont face("MS Sans Serif");
    face.setPointSize(8);
    setFont(face);
    resize(kFloatingFormWidth, kFloatingFormHeight);
    auto* fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
}

TFloatingForm::~TFloatingForm()
{
    if (FSheet && FSheet->FFloatingForm == this)
        FSheet->FFloatingForm = nullptr;
}

void TFloatingForm::SetOwnerWindow(QWidget* owner)
{
    const QPoint place = pos();
    const bool shown = isVisible();
    setParent(owner, windowFlags());
    move(place);
    if (shown)
        show();
}

// The sheet goes back before the window goes; a sheet torn off again gets a new window.
void TFloatingForm::closeEvent(QCloseEvent* event)
{
    TTabSetSheet* sheet = FSheet;
    if (sheet) {
        CallHandler(this, [sheet] { sheet->DockSheet(); });
        sheet->FFloatingForm = nullptr;
        FSheet = nullptr;
    }
    event->accept();
}
