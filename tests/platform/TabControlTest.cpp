// The tab control alone: items, layout, the page rectangle, selection notifications and owner drawing.
#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "platform/CustomImageList.h"
#include "platform/core/Exception.h"
#include "platform/TabControl.h"
#include "support/MouseEvents.h"

namespace {

constexpr int kTextFlags = Qt::TextSingleLine | Qt::TextShowMnemonic;

LPARAM ptr(void* p) { return reinterpret_cast<LPARAM>(p); }

int insert(TTabControl& tabs, int at, std::string text, int image = -1, LPARAM value = 0)
{
    TCITEM item;
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = text.data();
    item.iImage = image;
    item.lParam = value;
    return static_cast<int>(tabs.Perform(TCM_INSERTITEM, at, ptr(&item)));
}

void fill(TTabControl& tabs, const std::vector<std::string>& captions)
{
    for (const std::string& caption : captions)
        insert(tabs, static_cast<int>(tabs.Perform(TCM_GETITEMCOUNT, 0, 0)), caption);
}

struct ItemRead {
    bool ok = false;
    std::string text;
    int image = 0;
    LPARAM value = 0;
};

ItemRead read(TTabControl& tabs, int index)
{
    char buffer[64] = {};
    TCITEM item;
    item.mask = TCIF_TEXT | TCIF_IMAGE | TCIF_PARAM;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    ItemRead result;
    result.ok = tabs.Perform(TCM_GETITEM, index, ptr(&item)) != 0;
    result.text = buffer;
    result.image = item.iImage;
    result.value = item.lParam;
    return result;
}

int count(TTabControl& tabs) { return static_cast<int>(tabs.Perform(TCM_GETITEMCOUNT, 0, 0)); }
int selected(TTabControl& tabs) { return static_cast<int>(tabs.Perform(TCM_GETCURSEL, 0, 0)); }

TRect itemRect(TTabControl& tabs, int index)
{
    TRect r;
    EXPECT_NE(tabs.Perform(TCM_GETITEMRECT, index, ptr(&r)), 0) << "item " << index;
    return r;
}

int hit(TTabControl& tabs, TPoint at, UINT* flags = nullptr)
{
    TCHITTESTINFO info;
    info.pt = at;
    const int index = static_cast<int>(tabs.Perform(TCM_HITTEST, 0, ptr(&info)));
    if (flags)
        *flags = info.flags;
    return index;
}

TRect pageRect(TTabControl& tabs)
{
    TRect r{0, 0, tabs.width(), tabs.height()};
    tabs.Perform(TCM_ADJUSTRECT, 0, ptr(&r));
    return r;
}

TPoint centre(const TRect& r) { return {r.Left + r.Width() / 2, r.Top + r.Height() / 2}; }

bool overlap(const TRect& a, const TRect& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool inside(const TRect& inner, const TRect& outer)
{
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
           inner.Bottom <= outer.Bottom;
}

void click(TTabControl& tabs, TPoint at, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    Click(tabs, QPoint(at.X, at.Y), Qt::LeftButton, modifiers);
}

void press(TTabControl& tabs, int qtKey)
{
    QKeyEvent event(QEvent::KeyPress, qtKey, Qt::NoModifier);
    QCoreApplication::sendEvent(&tabs, &event);
}

// What the owner heard: notification codes in order, and the draw-item calls of the last paint.
struct Owner {
    struct Drawn {
        int index;
        TRect rect;
        bool selected;
    };
    std::vector<int> codes;
    std::vector<int> selectionWhenAsked;
    std::vector<Drawn> drawn;
    bool refuse = false;
    std::vector<QColor> colours;

    void attach(TTabControl& tabs)
    {
        tabs.OnNotify = [this, &tabs](UINT msg, WPARAM, LPARAM lParam) -> LRESULT {
            if (msg == WM_NOTIFY) {
                const auto* header = reinterpret_cast<const NMHDR*>(lParam);
                EXPECT_EQ(header->hwndFrom, &tabs);
                codes.push_back(header->code);
                selectionWhenAsked.push_back(selected(tabs));
                return header->code == TCN_SELCHANGING && refuse ? 1 : 0;
            }
            if (msg == WM_DRAWITEM) {
                const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                EXPECT_EQ(item->CtlType, UINT(ODT_TAB));
                drawn.push_back({static_cast<int>(item->itemID), item->rcItem, (item->itemState & ODS_SELECTED) != 0});
                if (item->itemID < colours.size()) {
                    const TRect& r = item->rcItem;
                    item->hDC->fillRect(r.Left, r.Top, r.Width(), r.Height(), colours[item->itemID]);
                }
            }
            return 0;
        };
    }
};

const QColor kFills[] = {QColor(200, 30, 30), QColor(30, 160, 30), QColor(30, 30, 200), QColor(200, 160, 0)};

QImage grabbed(TTabControl& tabs) { return tabs.grab().toImage().convertToFormat(QImage::Format_RGB32); }

QColor pixel(const QImage& image, TPoint at) { return image.pixelColor(at.X, at.Y); }

class Images : public TCustomImageList {
public:
    int Width() const override { return 16; }
    int Height() const override { return 40; }
    int Count() const override { return 2; }
    void Draw(QPainter& painter, int x, int y, int index, bool) const override
    {
        if (index >= 0 && index < Count())
            painter.fillRect(x, y, Width(), Height(), Qt::magenta);
    }
};

// Styles whose tabs, however laid out, must keep the same promises.
const uint32_t kStyles[] = {
    TCS_TABS,
    TCS_TABS | TCS_BOTTOM,
    TCS_BUTTONS,
    TCS_BUTTONS | TCS_FLATBUTTONS,
    TCS_VERTICAL,
    TCS_VERTICAL | TCS_RIGHT,
    TCS_MULTILINE,
    TCS_MULTILINE | TCS_BOTTOM | TCS_SCROLLOPPOSITE,
    TCS_MULTILINE | TCS_BUTTONS,
};

} // namespace

TEST(TabControl, ItemsAreStoredReadBackAndDeleted)
{
    TTabControl tabs;
    tabs.resize(300, 120);
    EXPECT_EQ(selected(tabs), -1);
    EXPECT_EQ(insert(tabs, 0, "Uno", 4, 100), 0);
    EXPECT_EQ(selected(tabs), 0) << "the first tab of an empty control is selected";
    EXPECT_EQ(insert(tabs, 1, "D\xF3s", 5, 200), 1);
    EXPECT_EQ(insert(tabs, 99, "Tres", 6, 300), 2) << "past the end appends";
    ASSERT_EQ(count(tabs), 3);
    const char* texts[] = {"Uno", "D\xF3s", "Tres"};
    for (int i = 0; i < 3; ++i) {
        const ItemRead item = read(tabs, i);
        EXPECT_TRUE(item.ok);
        EXPECT_EQ(item.text, texts[i]);
        EXPECT_EQ(item.image, 4 + i);
        EXPECT_EQ(item.value, 100 * (i + 1));
    }

    // A short buffer gets what fits and its NUL.
    char small[3] = {'x', 'x', 'x'};
    TCITEM item;
    item.mask = TCIF_TEXT;
    item.pszText = small;
    item.cchTextMax = 3;
    EXPECT_NE(tabs.Perform(TCM_GETITEM, 2, ptr(&item)), 0);
    EXPECT_EQ(std::string(small), "Tr");

    // Setting changes only the fields the mask names.
    TCITEM change;
    change.mask = TCIF_PARAM;
    change.lParam = 77;
    EXPECT_NE(tabs.Perform(TCM_SETITEM, 1, ptr(&change)), 0);
    EXPECT_EQ(read(tabs, 1).value, 77);
    EXPECT_EQ(read(tabs, 1).text, "D\xF3s");

    tabs.Perform(TCM_SETCURSEL, 2, 0);
    EXPECT_NE(tabs.Perform(TCM_DELETEITEM, 1, 0), 0);
    ASSERT_EQ(count(tabs), 2);
    EXPECT_EQ(read(tabs, 0).text, "Uno");
    EXPECT_EQ(read(tabs, 1).text, "Tres");
    EXPECT_EQ(read(tabs, 1).value, 300);
    EXPECT_EQ(selected(tabs), 1) << "the selected tab stays selected as it moves";
    tabs.Perform(TCM_DELETEITEM, 1, 0);
    EXPECT_EQ(selected(tabs), -1) << "deleting the selected tab leaves none selected";

    EXPECT_NE(tabs.Perform(TCM_DELETEALLITEMS, 0, 0), 0);
    EXPECT_EQ(count(tabs), 0);
    EXPECT_EQ(selected(tabs), -1);
}

TEST(TabControl, ItemMessagesOutOfRangeAnswerFailureAndChangeNothing)
{
    TTabControl tabs;
    tabs.resize(300, 120);
    fill(tabs, {"Uno", "Dos"});
    char buffer[8] = "intacto";
    TCITEM item;
    item.mask = TCIF_TEXT | TCIF_PARAM;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    TRect r{1, 2, 3, 4};
    for (WPARAM bad : {WPARAM(-1), WPARAM(2), WPARAM(1000000)}) {
        EXPECT_EQ(tabs.Perform(TCM_GETITEM, bad, ptr(&item)), 0);
        EXPECT_EQ(tabs.Perform(TCM_SETITEM, bad, ptr(&item)), 0);
        EXPECT_EQ(tabs.Perform(TCM_DELETEITEM, bad, 0), 0);
        EXPECT_EQ(tabs.Perform(TCM_GETITEMRECT, bad, ptr(&r)), 0);
        EXPECT_EQ(tabs.Perform(TCM_HIGHLIGHTITEM, bad, 1), 0);
        if (bad != -1) {
            EXPECT_EQ(tabs.Perform(TCM_SETCURSEL, bad, 0), -1);
        }
    }
    EXPECT_EQ(tabs.Perform(TCM_INSERTITEM, WPARAM(-1), ptr(&item)), -1);
    EXPECT_EQ(std::string(buffer), "intacto");
    EXPECT_EQ(r, (TRect{1, 2, 3, 4}));
    // Missing structures, and a text asked for with no room for it.
    EXPECT_EQ(tabs.Perform(TCM_GETITEM, 0, 0), 0);
    EXPECT_EQ(tabs.Perform(TCM_SETITEM, 0, 0), 0);
    EXPECT_EQ(tabs.Perform(TCM_INSERTITEM, 0, 0), -1);
    EXPECT_EQ(tabs.Perform(TCM_GETITEMRECT, 0, 0), 0);
    EXPECT_EQ(tabs.Perform(TCM_HITTEST, 0, 0), -1);
    item.cchTextMax = 0;
    EXPECT_EQ(tabs.Perform(TCM_GETITEM, 0, ptr(&item)), 0);
    EXPECT_EQ(count(tabs), 2);
    EXPECT_EQ(selected(tabs), 0);
}

TEST(TabControl, TabLengthsComeFromCaptionImageAndPadding)
{
    TTabControl tabs;
    tabs.resize(600, 120);
    Images images;
    fill(tabs, {"", "&Archivo", "Archivo largo"});
    insert(tabs, 3, "&Archivo", 1);
    const QFontMetrics metrics(tabs.font());
    const int empty = itemRect(tabs, 0).Width();
    EXPECT_GT(empty, 0);
    EXPECT_EQ(itemRect(tabs, 1).Width() - empty, metrics.size(kTextFlags, "&Archivo").width());
    EXPECT_EQ(itemRect(tabs, 2).Width() - empty, metrics.size(kTextFlags, "Archivo largo").width());
    EXPECT_EQ(itemRect(tabs, 3).Width(), itemRect(tabs, 1).Width()) << "no image list, no image";
    const int plainHeight = itemRect(tabs, 0).Height();

    tabs.Perform(TCM_SETIMAGELIST, 0, ptr(&images));
    EXPECT_EQ(tabs.Perform(TCM_GETIMAGELIST, 0, 0), ptr(&images));
    EXPECT_EQ(itemRect(tabs, 3).Width() - itemRect(tabs, 1).Width(), images.Width() + 6);
    EXPECT_GT(itemRect(tabs, 3).Height(), plainHeight) << "a tall image makes every tab taller";
    UINT flags = 0;
    const TRect withImage = itemRect(tabs, 3);
    EXPECT_EQ(hit(tabs, {withImage.Left + withImage.Width() / 2, withImage.Top + 4}, &flags), 3);
    EXPECT_EQ(flags, UINT(TCHT_ONITEMLABEL));
    EXPECT_EQ(hit(tabs, {withImage.Left + 2 + 6 + 8, withImage.Top + withImage.Height() / 2}, &flags), 3);
    EXPECT_EQ(flags, UINT(TCHT_ONITEMICON));

    // Padding widens every tab by twice its change.
    tabs.Perform(TCM_SETPADDING, 0, MakeLong(10, 3));
    EXPECT_EQ(itemRect(tabs, 0).Width(), empty + 8);
    tabs.Perform(TCM_SETMINTABWIDTH, 0, 90);
    EXPECT_EQ(itemRect(tabs, 0).Width(), 90);
}

TEST(TabControl, HitTestFindsEachTabAndNothingElse)
{
    for (uint32_t style : kStyles) {
        SCOPED_TRACE(style);
        TTabControl tabs(nullptr, style);
        tabs.resize(420, 300);
        fill(tabs, {"Uno", "Dos", "Tres", "Cuatro"});
        tabs.Perform(TCM_SETCURSEL, 2, 0);
        const TRect client{0, 0, 420, 300};
        const TRect page = pageRect(tabs);
        for (int i = 0; i < 4; ++i) {
            const TRect r = itemRect(tabs, i);
            EXPECT_TRUE(inside(r, client)) << "item " << i;
            EXPECT_FALSE(overlap(r, page)) << "item " << i;
            UINT flags = 0;
            EXPECT_EQ(hit(tabs, centre(r), &flags), i);
            EXPECT_EQ(flags, UINT(TCHT_ONITEMLABEL));
            for (int j = i + 1; j < 4; ++j)
                EXPECT_FALSE(overlap(r, itemRect(tabs, j))) << i << " and " << j;
        }
        UINT flags = 0;
        EXPECT_EQ(hit(tabs, centre(page), &flags), -1);
        EXPECT_EQ(flags, UINT(TCHT_NOWHERE));
        // Beyond the last tab, along the strip.
        const TRect last = itemRect(tabs, 3);
        const TPoint beyond = (style & TCS_VERTICAL) ? TPoint{centre(last).X, last.Bottom + 20}
                                                     : TPoint{last.Right + 20, centre(last).Y};
        EXPECT_EQ(hit(tabs, beyond), -1);
        if (style & TCS_BUTTONS) {
            // The gap between two buttons belongs to neither.
            const TRect first = itemRect(tabs, 0);
            EXPECT_EQ(hit(tabs, {first.Right + 1, centre(first).Y}), -1);
        }
    }
}

TEST(TabControl, AdjustRectTakesTheTabRowsOffAndGivesThemBack)
{
    for (uint32_t style : kStyles) {
        SCOPED_TRACE(style);
        TTabControl tabs(nullptr, style);
        tabs.resize(260, 240);
        fill(tabs, {"Primero", "Segundo", "Tercero", "Cuarto", "Quinto", "Sexto"});
        tabs.Perform(TCM_SETCURSEL, 4, 0);
        const TRect client{0, 0, 260, 240};
        const TRect page = pageRect(tabs);
        EXPECT_TRUE(inside(page, client));
        EXPECT_GT(page.Width(), 0);
        EXPECT_GT(page.Height(), 0);
        // The page area reaches from the tabs to the edges that have none.
        TRect tabsBox{10000, 10000, -10000, -10000};
        for (int i = 0; i < count(tabs); ++i) {
            const TRect r = itemRect(tabs, i);
            EXPECT_FALSE(overlap(r, page));
            tabsBox = {std::min(tabsBox.Left, r.Left), std::min(tabsBox.Top, r.Top), std::max(tabsBox.Right, r.Right),
                       std::max(tabsBox.Bottom, r.Bottom)};
        }
        const int frame = (style & TCS_BUTTONS) ? TTabLayout::kButtonGap : TTabLayout::kFrameWidth;
        const int edge = (style & TCS_BUTTONS) ? 0 : TTabLayout::kFrameWidth;
        if (style & TCS_VERTICAL) {
            EXPECT_EQ(page.Top, edge);
            EXPECT_EQ(page.Bottom, 240 - edge);
            if (style & TCS_RIGHT) {
                EXPECT_EQ(page.Right + frame, tabsBox.Left);
            } else {
                EXPECT_EQ(page.Left, tabsBox.Right + frame);
            }
        } else {
            EXPECT_EQ(page.Left, edge);
            EXPECT_EQ(page.Right, 260 - edge);
            if ((style & TCS_BOTTOM) && !(style & TCS_SCROLLOPPOSITE)) {
                EXPECT_EQ(page.Bottom + frame, tabsBox.Top);
            } else if (!(style & TCS_BOTTOM)) {
                EXPECT_EQ(page.Top, tabsBox.Bottom + frame);
            }
        }
        TRect back = page;
        tabs.Perform(TCM_ADJUSTRECT, 1, ptr(&back));
        EXPECT_EQ(back, client);
        // Any rectangle, not only the client area, goes both ways.
        TRect other{-40, 15, 500, 777};
        tabs.Perform(TCM_ADJUSTRECT, 0, ptr(&other));
        tabs.Perform(TCM_ADJUSTRECT, 1, ptr(&other));
        EXPECT_EQ(other, (TRect{-40, 15, 500, 777}));
    }
}

TEST(TabControl, FixedWidthGivesEveryTabTheSetSize)
{
    TTabControl tabs(nullptr, TCS_FIXEDWIDTH);
    tabs.resize(500, 100);
    fill(tabs, {"A", "Bastante largo", "", "Medio"});
    const int longest = itemRect(tabs, 1).Width();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(itemRect(tabs, i).Width(), longest) << "unset, the longest caption sets it";
    tabs.Perform(TCM_SETITEMSIZE, 0, MakeLong(27, 30));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(itemRect(tabs, i).Width(), 27);
        EXPECT_EQ(itemRect(tabs, i).Height(), 30);
    }
    EXPECT_EQ(tabs.Perform(TCM_SETITEMSIZE, 0, MakeLong(40, 0)), MakeLong(27, 30));
    EXPECT_EQ(itemRect(tabs, 2).Width(), 40);

    // Without the style the width is ignored and the height still holds.
    tabs.SetStyle(TCS_TABS);
    EXPECT_NE(itemRect(tabs, 0).Width(), itemRect(tabs, 1).Width());
    tabs.Perform(TCM_SETITEMSIZE, 0, MakeLong(40, 25));
    EXPECT_EQ(itemRect(tabs, 3).Height(), 25);
}

TEST(TabControl, MultiLineRowsFollowTheSelection)
{
    TTabControl tabs(nullptr, TCS_MULTILINE);
    tabs.resize(200, 400);
    std::vector<std::string> captions;
    for (int i = 0; i < 10; ++i)
        captions.push_back("Documento largo " + std::to_string(i));
    fill(tabs, captions);
    const int rows = static_cast<int>(tabs.Perform(TCM_GETROWCOUNT, 0, 0));
    EXPECT_GE(rows, 3);
    int farthest = 0;
    std::vector<int> tops;
    for (int i = 0; i < 10; ++i) {
        const TRect r = itemRect(tabs, i);
        EXPECT_TRUE(inside(r, {0, 0, 200, 400}));
        if (std::find(tops.begin(), tops.end(), r.Top) == tops.end())
            tops.push_back(r.Top);
        if (r.Top < itemRect(tabs, farthest).Top)
            farthest = i;
    }
    EXPECT_EQ(static_cast<int>(tops.size()), rows);
    const int pageTop = pageRect(tabs).Top;
    EXPECT_EQ(itemRect(tabs, 0).Bottom + TTabLayout::kFrameWidth, pageTop) << "the selected row stands next to the pages";
    EXPECT_LT(itemRect(tabs, farthest).Bottom + TTabLayout::kFrameWidth, pageTop);

    Owner owner;
    owner.attach(tabs);
    click(tabs, centre(itemRect(tabs, farthest)));
    EXPECT_EQ(selected(tabs), farthest);
    EXPECT_EQ(itemRect(tabs, farthest).Bottom + TTabLayout::kFrameWidth, pageRect(tabs).Top);
    EXPECT_EQ(pageRect(tabs).Top, pageTop) << "moving rows keeps their number";
    EXPECT_EQ(hit(tabs, centre(itemRect(tabs, 0))), 0) << "the old row went out with the others";

    // Scroll-opposite moves the rows before the selected one to the other side of the pages.
    tabs.SetStyle(TCS_MULTILINE | TCS_SCROLLOPPOSITE);
    const TRect page = pageRect(tabs);
    EXPECT_EQ(itemRect(tabs, farthest).Bottom + TTabLayout::kFrameWidth, page.Top);
    EXPECT_GE(itemRect(tabs, 0).Top, page.Bottom) << "tab 0's row lies before the selected one";
    EXPECT_LT(page.Bottom, 400 - TTabLayout::kFrameWidth);
    EXPECT_EQ(hit(tabs, centre(itemRect(tabs, 0))), 0);
}

TEST(TabControl, ASingleLineThatDoesNotFitScrolls)
{
    TTabControl tabs;
    tabs.resize(200, 100);
    fill(tabs, {"Uno", "Dos"});
    EXPECT_FALSE(tabs.ScrollArrowsShown());
    tabs.Perform(TCM_DELETEALLITEMS, 0, 0);
    std::vector<std::string> captions;
    for (int i = 0; i < 10; ++i)
        captions.push_back("Documento largo " + std::to_string(i));
    fill(tabs, captions);
    EXPECT_EQ(tabs.Perform(TCM_GETROWCOUNT, 0, 0), 1);
    ASSERT_TRUE(tabs.ScrollArrowsShown());
    const TRect arrows = tabs.ScrollArrowsRect();
    EXPECT_TRUE(inside(arrows, {0, 0, 200, 100}));
    EXPECT_EQ(arrows.Right, 200);
    EXPECT_EQ(tabs.FirstVisibleTab(), 0);

    const TPoint right{arrows.Right - 4, centre(arrows).Y};
    const TPoint left{arrows.Left + 4, centre(arrows).Y};
    Owner owner;
    owner.attach(tabs);
    click(tabs, right);
    EXPECT_EQ(tabs.FirstVisibleTab(), 1);
    EXPECT_EQ(itemRect(tabs, 1).Left, TTabLayout::kTabMargin);
    EXPECT_LT(itemRect(tabs, 0).Right, 0 + TTabLayout::kTabMargin + 1) << "tab 0 went before the strip";
    EXPECT_NE(hit(tabs, {1, centre(itemRect(tabs, 1)).Y}), 0);
    click(tabs, left);
    EXPECT_EQ(tabs.FirstVisibleTab(), 0);
    click(tabs, left);
    EXPECT_EQ(tabs.FirstVisibleTab(), 0) << "nothing before the first tab";
    EXPECT_TRUE(owner.codes.empty()) << "scrolling selects nothing";
    EXPECT_EQ(hit(tabs, centre(arrows)), -1);

    tabs.Perform(WM_HSCROLL, MakeLong(SB_THUMBPOSITION, 99), 0);
    const int last = tabs.FirstVisibleTab();
    EXPECT_GT(last, 1);
    EXPECT_LT(last, 10);
    EXPECT_LE(itemRect(tabs, 9).Right, arrows.Left) << "at the end the last tab shows whole";
    click(tabs, right);
    EXPECT_EQ(tabs.FirstVisibleTab(), last);

    // Selecting brings the tab into view, from either side.
    tabs.Perform(TCM_SETCURSEL, 0, 0);
    EXPECT_EQ(tabs.FirstVisibleTab(), 0);
    tabs.Perform(TCM_SETCURSEL, 6, 0);
    EXPECT_GE(itemRect(tabs, 6).Left, 0);
    EXPECT_LE(itemRect(tabs, 6).Right, arrows.Left);

    // Room enough again: the arrows go and every tab shows.
    tabs.resize(3000, 100);
    EXPECT_FALSE(tabs.ScrollArrowsShown());
    EXPECT_EQ(itemRect(tabs, 0).Left, TTabLayout::kTabMargin);
}

TEST(TabControl, AClickChangesTheSelectionThroughTheOwner)
{
    TTabControl tabs;
    tabs.resize(400, 100);
    fill(tabs, {"Uno", "Dos", "Tres"});
    Owner owner;
    owner.attach(tabs);

    click(tabs, centre(itemRect(tabs, 2)));
    EXPECT_EQ(owner.codes, (std::vector<int>{TCN_SELCHANGING, TCN_SELCHANGE}));
    EXPECT_EQ(owner.selectionWhenAsked, (std::vector<int>{0, 2}));
    EXPECT_EQ(selected(tabs), 2);

    owner.codes.clear();
    click(tabs, centre(itemRect(tabs, 2)));
    EXPECT_TRUE(owner.codes.empty()) << "the selected tab is selected already";

    owner.refuse = true;
    click(tabs, centre(itemRect(tabs, 1)));
    EXPECT_EQ(owner.codes, (std::vector<int>{TCN_SELCHANGING}));
    EXPECT_EQ(selected(tabs), 2);

    owner.refuse = false;
    owner.codes.clear();
    EXPECT_EQ(tabs.Perform(TCM_SETCURSEL, 0, 0), 2);
    EXPECT_EQ(selected(tabs), 0);
    EXPECT_EQ(tabs.Perform(TCM_SETCURSEL, WPARAM(-1), 0), 0);
    EXPECT_EQ(selected(tabs), -1);
    tabs.Perform(TCM_SETCURSEL, 1, 0);
    EXPECT_TRUE(owner.codes.empty()) << "setting the selection by message tells nobody";

    press(tabs, Qt::Key_Right);
    EXPECT_EQ(selected(tabs), 2);
    EXPECT_EQ(owner.codes, (std::vector<int>{TCN_SELCHANGING, TCN_SELCHANGE}));
    press(tabs, Qt::Key_Right);
    press(tabs, Qt::Key_Up);
    EXPECT_EQ(selected(tabs), 2) << "nothing after the last tab; Up is not along horizontal tabs";
    owner.refuse = true;
    press(tabs, Qt::Key_Left);
    EXPECT_EQ(selected(tabs), 2);
    owner.refuse = false;
    press(tabs, Qt::Key_Left);
    press(tabs, Qt::Key_Left);
    EXPECT_EQ(selected(tabs), 0);
    EXPECT_EQ(owner.codes.size(), 7u);

    // An owner that takes the tabs away while asked leaves nothing dangling.
    tabs.OnNotify = [&tabs](UINT msg, WPARAM, LPARAM lParam) -> LRESULT {
        if (msg == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == TCN_SELCHANGING)
            tabs.Perform(TCM_DELETEALLITEMS, 0, 0);
        return 0;
    };
    tabs.Perform(TCM_SETCURSEL, 0, 0);
    click(tabs, centre(itemRect(tabs, 2)));
    EXPECT_EQ(count(tabs), 0);
    EXPECT_EQ(selected(tabs), -1);
}

TEST(TabControl, MultiSelectButtonsPressWithCtrl)
{
    TTabControl tabs(nullptr, TCS_BUTTONS | TCS_MULTISELECT);
    tabs.resize(400, 100);
    fill(tabs, {"Uno", "Dos", "Tres"});
    Owner owner;
    owner.attach(tabs);
    auto pressed = [&tabs](int index) {
        TCITEM item;
        item.mask = TCIF_STATE;
        item.dwStateMask = TCIS_BUTTONPRESSED;
        tabs.Perform(TCM_GETITEM, index, ptr(&item));
        return item.dwState == TCIS_BUTTONPRESSED;
    };
    click(tabs, centre(itemRect(tabs, 1)), Qt::ControlModifier);
    click(tabs, centre(itemRect(tabs, 2)), Qt::ControlModifier);
    EXPECT_TRUE(pressed(1));
    EXPECT_TRUE(pressed(2));
    EXPECT_EQ(selected(tabs), 0);
    EXPECT_TRUE(owner.codes.empty());
    click(tabs, centre(itemRect(tabs, 2)), Qt::ControlModifier);
    EXPECT_FALSE(pressed(2));
    click(tabs, centre(itemRect(tabs, 2)));
    EXPECT_EQ(selected(tabs), 2);
    EXPECT_FALSE(pressed(1)) << "a plain click releases the others";
}

TEST(TabControl, OwnerDrawsEachVisibleTabInsideItsEdges)
{
    TTabControl tabs(nullptr, TCS_OWNERDRAWFIXED);
    tabs.resize(400, 120);
    fill(tabs, {"Uno", "Dos", "Tres", "Cuatro"});
    tabs.Perform(TCM_SETCURSEL, 1, 0);
    Owner owner;
    owner.colours.assign(std::begin(kFills), std::end(kFills));
    owner.attach(tabs);
    const QImage shot = grabbed(tabs);

    ASSERT_EQ(owner.drawn.size(), 4u);
    std::vector<int> seen;
    for (const Owner::Drawn& d : owner.drawn) {
        seen.push_back(d.index);
        const TRect r = itemRect(tabs, d.index);
        EXPECT_EQ(d.selected, d.index == 1);
        if (d.selected) {
            EXPECT_EQ(d.rect, (TRect{r.Left, r.Top, r.Right, r.Bottom + TTabLayout::kFrameWidth}))
                << "the selected tab grows out of its row and over the frame";
        } else {
            EXPECT_EQ(d.rect, (TRect{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom}));
        }
        EXPECT_EQ(pixel(shot, centre(r)), kFills[d.index]) << "tab " << d.index;
    }
    EXPECT_EQ(seen, (std::vector<int>{0, 2, 3, 1})) << "the selected tab is drawn last, over its neighbours";
    // The edges are the control's: the owner's colour stops inside them.
    const TRect first = itemRect(tabs, 0);
    EXPECT_NE(pixel(shot, {first.Left, centre(first).Y}), kFills[0]);
    EXPECT_EQ(pixel(shot, {first.Left + 2, centre(first).Y}), kFills[0]);

    // Scrolled, only the tabs in the strip are drawn.
    tabs.resize(150, 120);
    owner.drawn.clear();
    tabs.Perform(TCM_SETCURSEL, 3, 0);
    grabbed(tabs);
    ASSERT_TRUE(tabs.ScrollArrowsShown());
    EXPECT_LT(owner.drawn.size(), 4u);
    EXPECT_FALSE(owner.drawn.empty());
    for (const Owner::Drawn& d : owner.drawn)
        EXPECT_GE(d.index, tabs.FirstVisibleTab());
}

TEST(TabControl, ButtonsAndBottomTabsStandWhereTheyBelong)
{
    Owner owner;
    owner.colours.assign(std::begin(kFills), std::end(kFills));

    TTabControl buttons(nullptr, TCS_BUTTONS | TCS_OWNERDRAWFIXED);
    buttons.resize(400, 120);
    fill(buttons, {"Uno", "Dos", "Tres"});
    owner.attach(buttons);
    QImage shot = grabbed(buttons);
    const QColor face = buttons.palette().color(QPalette::Button);
    for (int i = 0; i < 3; ++i) {
        const TRect r = itemRect(buttons, i);
        EXPECT_EQ(r.Top, 0) << "buttons start at the top edge";
        EXPECT_EQ(pixel(shot, centre(r)), kFills[i]);
        EXPECT_EQ(pixel(shot, {r.Right + 1, centre(r).Y}), face) << "a gap between buttons";
    }
    const TRect page = pageRect(buttons);
    EXPECT_EQ(page, (TRect{0, itemRect(buttons, 0).Bottom + TTabLayout::kButtonGap, 400, 120})) << "no frame";
    EXPECT_EQ(pixel(shot, {1, page.Top + 1}), face);
    EXPECT_EQ(pixel(shot, centre(page)), face);

    // Flat separators show in the gaps of flat buttons.
    buttons.SetStyle(TCS_BUTTONS | TCS_FLATBUTTONS | TCS_OWNERDRAWFIXED);
    EXPECT_EQ(buttons.Perform(TCM_SETEXTENDEDSTYLE, 0, TCS_EX_FLATSEPARATORS), 0);
    EXPECT_EQ(buttons.Perform(TCM_GETEXTENDEDSTYLE, 0, 0), TCS_EX_FLATSEPARATORS);
    shot = grabbed(buttons);
    const TRect firstButton = itemRect(buttons, 0);
    EXPECT_NE(pixel(shot, {firstButton.Right + 1, centre(firstButton).Y}), face);

    TTabControl bottom(nullptr, TCS_BOTTOM | TCS_OWNERDRAWFIXED);
    bottom.resize(400, 120);
    fill(bottom, {"Uno", "Dos", "Tres"});
    owner.drawn.clear();
    owner.attach(bottom);
    shot = grabbed(bottom);
    const TRect below = pageRect(bottom);
    for (int i = 0; i < 3; ++i) {
        const TRect r = itemRect(bottom, i);
        EXPECT_EQ(r.Bottom, 120 - TTabLayout::kTabMargin);
        EXPECT_EQ(r.Top, below.Bottom + TTabLayout::kFrameWidth);
        EXPECT_EQ(pixel(shot, centre(r)), kFills[i]);
    }
    // The selected tab opens upward onto the pages: the owner's colour runs over the frame.
    const TRect r0 = itemRect(bottom, 0);
    EXPECT_EQ(owner.drawn.back().rect, (TRect{r0.Left, r0.Top - TTabLayout::kFrameWidth, r0.Right, r0.Bottom}));
    EXPECT_EQ(pixel(shot, {centre(r0).X, r0.Top - 1}), kFills[0]);
    const TRect r1 = itemRect(bottom, 1);
    EXPECT_NE(pixel(shot, {centre(r1).X, r1.Top - 1}), kFills[1]) << "unselected tabs stop at the frame";
    EXPECT_EQ(pixel(shot, {centre(below).X, 10}), face) << "nothing above the pages";
}

TEST(TabControl, PlainLookDrawsCaptionsAndImages)
{
    // Without owner drawing the control draws captions itself: a tab with a caption has ink a tab
    // without one lacks, and an image shows where the hit test finds it.
    TTabControl tabs;
    tabs.resize(400, 120);
    Images images;
    tabs.Perform(TCM_SETIMAGELIST, 0, ptr(&images));
    fill(tabs, {"", "MMMM"});
    insert(tabs, 2, "", 0);
    const QImage shot = grabbed(tabs);
    const QColor face = tabs.palette().color(QPalette::Button);
    auto inked = [&](int index) {
        const TRect r = itemRect(tabs, index);
        int count = 0;
        for (int y = r.Top + 3; y < r.Bottom - 1; ++y)
            for (int x = r.Left + 3; x < r.Right - 3; ++x)
                count += pixel(shot, {x, y}) != face;
        return count;
    };
    EXPECT_EQ(inked(0), 0);
    EXPECT_GT(inked(1), 20);
    const TRect withImage = itemRect(tabs, 2);
    int onIcon = 0;
    int magenta = 0;
    for (int y = withImage.Top; y < withImage.Bottom; ++y)
        for (int x = withImage.Left; x < withImage.Right; ++x) {
            UINT flags = 0;
            if (hit(tabs, {x, y}, &flags) == 2 && flags == TCHT_ONITEMICON) {
                ++onIcon;
                magenta += pixel(shot, {x, y}) == QColor(Qt::magenta);
            }
        }
    EXPECT_EQ(onIcon, images.Width() * images.Height());
    EXPECT_EQ(magenta, onIcon);
}

TEST(TabControl, AnOwnerThatFailsToDrawIsReportedOnce)
{
    TTabControl tabs(nullptr, TCS_OWNERDRAWFIXED);
    tabs.resize(300, 80);
    fill(tabs, {"Uno"});
    int draws = 0;
    tabs.OnNotify = [&draws](UINT msg, WPARAM, LPARAM) -> LRESULT {
        if (msg == WM_DRAWITEM) {
            ++draws;
            throw EListError("Tab control access error");
        }
        return 0;
    };
    QStringList shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown << box->text();
            // The box stands over the control; a repaint under it fails again, silently.
            tabs.grab();
            box->accept();
        }
    });
    closer.start(10);
    tabs.grab();
    EXPECT_TRUE(shown.isEmpty()) << "no message box inside a paint";
    QApplication::processEvents();
    EXPECT_EQ(shown, QStringList{"Tab control access error"});
    EXPECT_GE(draws, 2);
    // Afterwards the next failure is told again.
    tabs.grab();
    QApplication::processEvents();
    closer.stop();
    EXPECT_EQ(shown.size(), 2);
}

TEST(TabControl, FocusFollowsTheStyle)
{
    // Tabs take the focus when clicked, buttons only when asked to, and neither with focus-never.
    const std::pair<uint32_t, Qt::FocusPolicy> cases[] = {
        {TCS_TABS, Qt::StrongFocus},
        {TCS_TABS | TCS_FOCUSNEVER, Qt::NoFocus},
        {TCS_BUTTONS, Qt::TabFocus},
        {TCS_BUTTONS | TCS_FOCUSONBUTTONDOWN, Qt::StrongFocus},
        {TCS_BUTTONS | TCS_FOCUSONBUTTONDOWN | TCS_FOCUSNEVER, Qt::NoFocus},
    };
    TTabControl tabs;
    for (const auto& [style, policy] : cases) {
        tabs.SetStyle(style);
        EXPECT_EQ(tabs.focusPolicy(), policy) << style;
    }
}
