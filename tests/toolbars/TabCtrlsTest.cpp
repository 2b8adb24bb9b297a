// The tab set and the page control: styles, item strings, sheets, hot tabs and hints, keys, tab shifting and drawing.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/Cursors.h"
#include "platform/CustomImageList.h"
#include "platform/GraphicsQt.h"
#include "platform/core/Exception.h"
#include "support/MouseEvents.h"
#include "components/AppUtils.h"
#include "toolbars/TabCtrls.h"

namespace {

LPARAM ptr(void* p) { return reinterpret_cast<LPARAM>(p); }

template <class F>
std::string errorText(F&& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

std::vector<std::string> captions(TCustomTabSetControl& tabs)
{
    std::vector<std::string> result;
    for (int i = 0; i < tabs.Tabs().Count(); ++i)
        result.push_back(tabs.Tabs().Get(i));
    return result;
}

TRect itemRect(TCustomTabSetControl& tabs, int index)
{
    TRect r;
    EXPECT_NE(tabs.Perform(TCM_GETITEMRECT, index, ptr(&r)), 0) << "tab " << index;
    return r;
}

int selected(TCustomTabSetControl& tabs) { return static_cast<int>(tabs.Perform(TCM_GETCURSEL, 0, 0)); }

void leave(QWidget& target)
{
    QEvent event(QEvent::Leave);
    QCoreApplication::sendEvent(&target, &event);
}

bool key(QWidget& target, int qtKey, Qt::KeyboardModifiers modifiers, const QString& text = {})
{
    QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, text);
    QCoreApplication::sendEvent(&target, &event);
    return event.isAccepted();
}

// Images of one solid colour each, 8 by 8 pixels.
class TSolidImages : public TCustomImageList {
public:
    int Width() const override { return 8; }
    int Height() const override { return 8; }
    int Count() const override { return 3; }
    void Draw(QPainter& painter, int x, int y, int index, bool) const override
    {
        if (index >= 0 && index < Count())
            painter.fillRect(x, y, 8, 8, colours[index]);
    }
    QColor colours[3] = {QColor(255, 0, 0), QColor(0, 160, 0), QColor(0, 0, 255)};
};

// Three sheets on a shown page control.
struct ThreeSheets {
    explicit ThreeSheets(bool hideMiddle)
    {
        pages.resize(400, 200);
        for (int i = 0; i < 3; ++i) {
            sheets[i] = new TTabSetSheet;
            sheets[i]->SetCaption("Hoja " + std::to_string(i + 1));
            sheets[i]->SetTabHint("  pista " + std::to_string(i + 1) + " ");
            sheets[i]->SetHint("hoja " + std::to_string(i + 1));
            if (hideMiddle && i == 1)
                sheets[i]->SetTabVisible(false);
            sheets[i]->SetPageControl(&pages);
        }
        pages.SetActivePage(sheets[0]);
        pages.show();
    }
    TPageSetControl pages;
    TTabSetSheet* sheets[3] = {};
};

QImage grabbed(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// Captions are smoothed at their edges, so ink counts within a small distance of its colour.
bool near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) <= 30;
}

int countColour(const QImage& image, const TRect& r, QColor colour)
{
    int n = 0;
    for (int y = std::max(0, r.Top); y < std::min(image.height(), r.Bottom); ++y)
        for (int x = std::max(0, r.Left); x < std::min(image.width(), r.Right); ++x)
            if (near(image.pixelColor(x, y), colour))
                ++n;
    return n;
}

} // namespace

TEST(TabCtrls, ButtonStyleKeepsTheTabsOnTopAndSizesMustNotBeNegative)
{
    TTabSetControl tabs;
    tabs.SetButtonStyle(true);
    EXPECT_EQ(errorText([&] { tabs.SetVerticalTabs(true); }), "Buttons are only supported when aligned along the top");
    EXPECT_EQ(errorText([&] { tabs.SetTabPosition(tpBottomRight); }),
              "Buttons are only supported when aligned along the top");
    EXPECT_FALSE(tabs.VerticalTabs());
    EXPECT_EQ(tabs.TabPosition(), tpTopLeft);
    EXPECT_THROW(tabs.SetVerticalTabs(true), EInvalidOperation);

    TTabSetControl other;
    other.SetVerticalTabs(true);
    other.SetTabPosition(tpBottomRight);
    EXPECT_EQ(other.Style() & (TCS_VERTICAL | TCS_BOTTOM), TCS_VERTICAL | TCS_BOTTOM);
    other.SetButtonStyle(true);
    EXPECT_FALSE(other.VerticalTabs());
    EXPECT_EQ(other.TabPosition(), tpTopLeft);
    EXPECT_EQ(other.Style() & (TCS_VERTICAL | TCS_BOTTOM | TCS_BUTTONS), TCS_BUTTONS);

    EXPECT_EQ(errorText([&] { tabs.SetTabHeight(-1); }), "TTabSetControl property out of range");
    EXPECT_EQ(errorText([&] { tabs.SetTabWidth(-3); }), "TTabSetControl property out of range");
    TPageSetControl pages;
    EXPECT_EQ(errorText([&] { pages.SetTabHeight(-1); }), "TPageSetControl property out of range");
    EXPECT_EQ(tabs.TabHeight(), 0);
    EXPECT_EQ(tabs.TabWidth(), 0);
}

TEST(TabCtrls, StylePropertiesRestyleAndKeepCaptionsSelectionAndImages)
{
    TTabSetControl tabs;
    EXPECT_EQ(tabs.width(), 289);
    EXPECT_EQ(tabs.height(), 193);
    EXPECT_EQ(tabs.Style(), TCS_OWNERDRAWFIXED);
    EXPECT_TRUE(tabs.FlatSeperators());
    EXPECT_EQ(tabs.Perform(TCM_GETEXTENDEDSTYLE, 0, 0), TCS_EX_FLATSEPARATORS);
    tabs.SetFlatSeperators(false);
    EXPECT_EQ(tabs.Perform(TCM_GETEXTENDEDSTYLE, 0, 0), 0);

    tabs.Tabs().SetText("uno\ndos\ntres\n");
    tabs.ImageIndexes().Add("2");
    tabs.ImageIndexes().Add("0");
    tabs.SetTabIndex(1);

    tabs.SetScrollOpposite(true);
    EXPECT_TRUE(tabs.MultiLine());
    EXPECT_EQ(tabs.Style() & (TCS_MULTILINE | TCS_SCROLLOPPOSITE), TCS_MULTILINE | TCS_SCROLLOPPOSITE);
    tabs.SetMultiLine(false);
    EXPECT_FALSE(tabs.ScrollOpposite());
    EXPECT_EQ(tabs.Style() & (TCS_MULTILINE | TCS_SCROLLOPPOSITE), 0u);

    const struct {
        std::function<void()> set;
        uint32_t bit;
    } styles[] = {
        {[&] { tabs.SetUseMSDrawing(true); }, 0},
        {[&] { tabs.SetTabStop(false); }, TCS_FOCUSNEVER},
        {[&] { tabs.SetFlatButtons(true); }, TCS_FLATBUTTONS},
        {[&] { tabs.SetMultiSelect(true); }, TCS_MULTISELECT},
        {[&] { tabs.SetFocusButtons(true); }, TCS_FOCUSONBUTTONDOWN},
        {[&] { tabs.SetTabWidth(40); }, TCS_FIXEDWIDTH},
    };
    for (const auto& style : styles) {
        style.set();
        if (style.bit) {
            EXPECT_TRUE(tabs.Style() & style.bit) << std::hex << style.bit;
        }
        EXPECT_EQ(captions(tabs), (std::vector<std::string>{"uno", "dos", "tres"}));
        EXPECT_EQ(tabs.TabIndex(), 1);
        EXPECT_EQ(tabs.ImageIndexes().Get(0), "2");
        EXPECT_EQ(tabs.ImageIndexes().Get(2), "-1");
    }
    EXPECT_FALSE(tabs.Style() & TCS_OWNERDRAWFIXED);
    EXPECT_EQ(tabs.focusPolicy(), Qt::NoFocus);
    // A width from one non-zero value to another is only a new size; back to 0 drops the style.
    EXPECT_EQ(itemRect(tabs, 0).Width(), 40);
    tabs.SetTabWidth(55);
    EXPECT_EQ(itemRect(tabs, 2).Width(), 55);
    tabs.SetTabWidth(0);
    EXPECT_FALSE(tabs.Style() & TCS_FIXEDWIDTH);
    tabs.SetTabHeight(30);
    EXPECT_EQ(itemRect(tabs, 0).Height(), 30);

    // The children's area is the page area with two more pixels off its top.
    TRect page{0, 0, tabs.width(), tabs.height()};
    tabs.Perform(TCM_ADJUSTRECT, 0, ptr(&page));
    const TRect display = tabs.DisplayRect();
    EXPECT_EQ(display.Top, page.Top + 2);
    EXPECT_EQ(display.Left, page.Left);
    EXPECT_EQ(display.Bottom, page.Bottom);
}

TEST(TabCtrls, ImageIndexesAreTextAndWriteOnlyExistingItems)
{
    TTabSetControl tabs;
    tabs.Tabs().SetText("a\nb\nc\nd");
    TImageIndexStrings& images = tabs.ImageIndexes();
    EXPECT_EQ(images.Count(), 4);
    EXPECT_EQ(images.Add("1"), 0);
    EXPECT_EQ(images.Add("abc"), 1);
    EXPECT_EQ(images.Add("-5"), 2);
    EXPECT_EQ(images.Add(" 2 "), 3);
    EXPECT_EQ(images.Add("0"), 4); // beyond the items: nothing is written
    EXPECT_EQ(images.Text(), "1\r\n-1\r\n-1\r\n2\r\n");
    images.Put(9, "1");
    images.Put(-1, "1");
    images.Put(1, "99999999999");
    EXPECT_EQ(images.Get(1), "-1");
    EXPECT_EQ(images.GetObject(0), nullptr);
    images.Insert(0, "7");
    images.Delete(0);
    EXPECT_EQ(images.Count(), 4);
    EXPECT_EQ(images.Get(0), "1");

    // Adding starts again from the first item after a clear.
    images.Clear();
    images.Add("3");
    EXPECT_EQ(images.Get(0), "3");

    TStringList two;
    two.Add("2");
    two.Add("x");
    images.Assign(two);
    EXPECT_EQ(images.Text(), "2\r\n-1\r\n-1\r\n2\r\n");
    EXPECT_EQ(errorText([&] { images.Assign(TFont()); }), "Can't assign TFont to TImageIndexStrings.");
    EXPECT_EQ(errorText([&] { images.Get(4); }), "Tab control access error\nViolation occured in TImageIndexStrings.Get");
    EXPECT_EQ(captions(tabs), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(TabCtrls, TabStringsFollowAListModelAndReportFailedAccess)
{
    TTabSetControl tabs;
    std::vector<std::string> model;
    std::vector<void*> objects;
    std::mt19937 random(36);
    int next = 0;
    for (int step = 0; step < 400; ++step) {
        const int n = static_cast<int>(model.size());
        const int op = static_cast<int>(random() % 5);
        const int at = n ? static_cast<int>(random() % n) : 0;
        if (op == 0 || n == 0) {
            const int where = static_cast<int>(random() % (n + 1));
            const std::string caption = "t" + std::to_string(next++);
            void* object = reinterpret_cast<void*>(static_cast<uintptr_t>(next * 16));
            tabs.Tabs().Insert(where, caption);
            tabs.Tabs().PutObject(where, object);
            model.insert(model.begin() + where, caption);
            objects.insert(objects.begin() + where, object);
        } else if (op == 1) {
            tabs.Tabs().Delete(at);
            model.erase(model.begin() + at);
            objects.erase(objects.begin() + at);
        } else if (op == 2) {
            tabs.Tabs().Put(at, "p" + std::to_string(step));
            model[at] = "p" + std::to_string(step);
        } else {
            const int to = static_cast<int>(random() % n);
            tabs.Tabs().Move(at, to);
            const std::string s = model[at];
            void* o = objects[at];
            model.erase(model.begin() + at);
            objects.erase(objects.begin() + at);
            model.insert(model.begin() + to, s);
            objects.insert(objects.begin() + to, o);
        }
        ASSERT_EQ(captions(tabs), model) << "step " << step;
        for (int i = 0; i < static_cast<int>(objects.size()); ++i)
            ASSERT_EQ(tabs.Tabs().GetObject(i), objects[i]) << "step " << step;
    }
    EXPECT_EQ(tabs.Tabs().IndexOf(model.back()), static_cast<int>(model.size()) - 1);
    EXPECT_EQ(tabs.Tabs().IndexOf("nada"), -1);

    const int n = tabs.Tabs().Count();
    const std::string prefix = "Tab control access error\nViolation occured in ";
    EXPECT_EQ(errorText([&] { tabs.Tabs().Get(n); }), prefix + "TTabStrings.Get");
    EXPECT_EQ(errorText([&] { tabs.Tabs().GetObject(-1); }), prefix + "TTabStrings.GetObject");
    EXPECT_EQ(errorText([&] { tabs.Tabs().Put(n, "x"); }), prefix + "TTabStrings.Put");
    EXPECT_EQ(errorText([&] { tabs.Tabs().PutObject(n, nullptr); }), prefix + "TTabStrings.PutObject");
    EXPECT_EQ(errorText([&] { tabs.Tabs().Insert(-1, "x"); }), prefix + "TTabStrings.Insert");
    EXPECT_EQ(errorText([&] { tabs.Tabs().Delete(n); }), prefix + "TTabStrings.Delete");
    EXPECT_THROW(tabs.Tabs().Get(n), EListError);
    EXPECT_EQ(tabs.Tabs().Count(), n);

    // A caption longer than the read buffer comes back cut to it.
    tabs.Tabs().Clear();
    tabs.Tabs().Add(std::string(5000, 'x'));
    EXPECT_EQ(tabs.Tabs().Get(0).size(), 4095u);
}

TEST(TabCtrls, SheetsWithAHiddenTabHaveTabAndPageIndexesApart)
{
    ThreeSheets three(true);
    TPageSetControl& pages = three.pages;
    TTabSetSheet** s = three.sheets;
    EXPECT_EQ(pages.PageCount(), 3);
    EXPECT_EQ(captions(pages), (std::vector<std::string>{"Hoja 1", "Hoja 3"}));
    EXPECT_EQ(s[2]->PageIndex(), 2);
    EXPECT_EQ(s[2]->TabIndex(), 1);
    EXPECT_EQ(s[1]->TabIndex(), -1);
    EXPECT_EQ(pages.Tabs().GetObject(1), s[2]);
    EXPECT_EQ(pages.ActivePage(), s[0]);
    EXPECT_TRUE(s[0]->isVisible());
    EXPECT_FALSE(s[2]->isVisible());

    // The hint of the hovered tab is its own sheet's; off the tabs it is the active page's hint.
    MoveMouse(pages, TabCentre(pages, 1));
    EXPECT_EQ(pages.Hint(), "pista 3");
    EXPECT_EQ(pages.toolTip().toStdString(), "pista 3");
    const TRect last = itemRect(pages, 1);
    MoveMouse(pages, QPoint(last.Right + 30, last.Top + 2));
    EXPECT_EQ(pages.HotTab(), -1);
    EXPECT_EQ(pages.Hint(), "hoja 1");

    // Ctrl+Shift+Tab from the first page goes round to the last page with a visible tab.
    int changes = 0;
    pages.OnChange = [&](QWidget*) { ++changes; };
    EXPECT_TRUE(key(pages, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_EQ(pages.ActivePage(), s[2]);
    EXPECT_EQ(selected(pages), 1);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(s[2]->isVisible());
    EXPECT_FALSE(s[0]->isVisible());
    EXPECT_TRUE(key(pages, Qt::Key_Tab, Qt::ControlModifier));
    EXPECT_EQ(pages.ActivePage(), s[0]);
    EXPECT_EQ(changes, 2);

    // A veto keeps the page; Tab alone is no page key.
    pages.OnChanging = [](QWidget*, bool& allow) { allow = false; };
    EXPECT_TRUE(key(pages, Qt::Key_Tab, Qt::ControlModifier));
    EXPECT_EQ(pages.ActivePage(), s[0]);
    EXPECT_EQ(changes, 2);
    pages.OnChanging = nullptr;
    EXPECT_FALSE(pages.DialogKey(VK_TAB, 0));

    // A click shows its tab's sheet; showing a sheet selects its tab.
    SendMouse(pages, QEvent::MouseButtonPress, TabCentre(pages, 1));
    SendMouse(pages, QEvent::MouseButtonRelease, TabCentre(pages, 1));
    EXPECT_EQ(pages.ActivePage(), s[2]);
    EXPECT_EQ(changes, 3);
    s[0]->Show();
    EXPECT_EQ(pages.ActivePage(), s[0]);
    EXPECT_EQ(selected(pages), 0);
    EXPECT_FALSE(s[2]->isVisible());

    // With no other visible tab nothing changes.
    s[2]->SetTabVisible(false);
    EXPECT_EQ(captions(pages), std::vector<std::string>{"Hoja 1"});
    pages.SelectNextPage(false);
    pages.SelectNextPage(true);
    EXPECT_EQ(pages.ActivePage(), s[0]);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(pages.FindNextPage(s[0], true, false), s[1]);
    EXPECT_EQ(pages.FindNextPage(nullptr, false, true), s[0]);
    EXPECT_EQ(pages.FindNextPage(nullptr, true, false), s[0]);
    EXPECT_EQ(pages.FindNextPage(nullptr, false, false), s[2]);

    // Showing a tab again puts it back at its place among the shown ones, with its image.
    s[1]->SetImageIndex(2);
    s[1]->SetTabVisible(true);
    EXPECT_EQ(captions(pages), (std::vector<std::string>{"Hoja 1", "Hoja 2"}));
    TCITEM item;
    item.mask = TCIF_IMAGE;
    ASSERT_NE(pages.Perform(TCM_GETITEM, 1, ptr(&item)), 0);
    EXPECT_EQ(item.iImage, 2);
    EXPECT_EQ(s[1]->ImageIndex(), 2);
}

TEST(TabCtrls, HotTabIsReportedOnceAndSelectionGoesThroughTheOwner)
{
    TTabSetControl tabs;
    tabs.resize(300, 80);
    tabs.Tabs().SetText("&Archivo\n&Edici\xF3n\nVer");
    tabs.TabHints().SetText("  abre \n");
    tabs.show();

    std::vector<int> tracked;
    tabs.OnTabTrack = [&](QWidget* sender, int index) {
        EXPECT_EQ(sender, &tabs);
        tracked.push_back(index);
    };
    const TRect strip = itemRect(tabs, 2);
    MoveMouse(tabs, TabCentre(tabs, 0));
    MoveMouse(tabs, TabCentre(tabs, 0) + QPoint(1, 0));
    MoveMouse(tabs, TabCentre(tabs, 1));
    MoveMouse(tabs, QPoint(strip.Right + 20, strip.Top + 3)); // off the tabs, within the control
    MoveMouse(tabs, QPoint(strip.Right + 25, strip.Top + 3));
    MoveMouse(tabs, TabCentre(tabs, 2));
    leave(tabs);
    EXPECT_EQ(tracked, (std::vector<int>{0, 1, -1, 2}));
    EXPECT_EQ(tabs.HotTab(), -1);
    // Only tabs with a hint line change the hint.
    EXPECT_EQ(tabs.Hint(), "abre");

    // A click asks OnChanging, which may refuse; setting TabIndex tells nobody.
    int changes = 0;
    int asked = 0;
    bool allow = false;
    tabs.OnChange = [&](QWidget*) { ++changes; };
    tabs.OnChanging = [&](QWidget*, bool& allowed) {
        ++asked;
        EXPECT_TRUE(allowed);
        allowed = allow;
    };
    tabs.SetTabIndex(0);
    SendMouse(tabs, QEvent::MouseButtonPress, TabCentre(tabs, 1));
    SendMouse(tabs, QEvent::MouseButtonRelease, TabCentre(tabs, 1));
    EXPECT_EQ(tabs.TabIndex(), 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(changes, 0);
    allow = true;
    SendMouse(tabs, QEvent::MouseButtonPress, TabCentre(tabs, 1));
    EXPECT_EQ(tabs.TabIndex(), 1);
    EXPECT_EQ(changes, 1);
    tabs.SetTabIndex(2);
    EXPECT_EQ(tabs.TabIndex(), 2);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(changes, 1);

    // Alt with a tab's accelerator selects it; a letter no caption marks is left alone.
    EXPECT_TRUE(key(tabs, Qt::Key_A, Qt::AltModifier, "a"));
    EXPECT_EQ(tabs.TabIndex(), 0);
    EXPECT_TRUE(key(tabs, Qt::Key_E, Qt::AltModifier, "e"));
    EXPECT_EQ(tabs.TabIndex(), 1);
    EXPECT_FALSE(tabs.DialogChar('V'));
    EXPECT_EQ(tabs.TabIndex(), 1);
    tabs.setEnabled(false);
    EXPECT_FALSE(tabs.DialogChar('a'));
    EXPECT_EQ(tabs.TabIndex(), 1);
}

TEST(TabCtrls, PageIndexOutOfRangeChangesNothingAndCaptionsRenameTabs)
{
    ThreeSheets three(false);
    TPageSetControl& pages = three.pages;
    TTabSetSheet** s = three.sheets;
    EXPECT_EQ(errorText([&] { s[0]->SetPageIndex(5); }),
              "5 is an invalid PageIndex value.  PageIndex must be between 0 and 2");
    EXPECT_THROW(s[0]->SetPageIndex(-1), EListError);
    EXPECT_EQ(s[0]->PageIndex(), 0);
    EXPECT_EQ(captions(pages), (std::vector<std::string>{"Hoja 1", "Hoja 2", "Hoja 3"}));

    s[1]->SetCaption("&Otra");
    EXPECT_EQ(pages.Tabs().Get(1), "&Otra");

    // Moving the active sheet moves its tab, which stays selected.
    s[0]->SetPageIndex(2);
    EXPECT_EQ(captions(pages), (std::vector<std::string>{"&Otra", "Hoja 3", "Hoja 1"}));
    EXPECT_EQ(pages.Pages(2), s[0]);
    EXPECT_EQ(selected(pages), 2);
    EXPECT_EQ(pages.ActivePage(), s[0]);

    // Alt+O shows the sheet whose caption marks it.
    EXPECT_TRUE(key(pages, Qt::Key_O, Qt::AltModifier, "o"));
    EXPECT_EQ(pages.ActivePage(), s[1]);
    EXPECT_EQ(selected(pages), 0);

    // Another control's sheet is ignored; none deselects every tab.
    TPageSetControl other;
    TTabSetSheet* foreign = new TTabSetSheet;
    foreign->SetPageControl(&other);
    pages.SetActivePage(foreign);
    EXPECT_EQ(pages.ActivePage(), s[1]);
    pages.SetActivePage(nullptr);
    EXPECT_EQ(pages.ActivePage(), nullptr);
    EXPECT_EQ(selected(pages), -1);

    // A sheet given to another control leaves this one with its tab; a deleted sheet leaves too.
    pages.SetActivePage(s[2]);
    s[2]->SetPageControl(&other);
    EXPECT_EQ(pages.ActivePage(), nullptr);
    EXPECT_EQ(captions(pages), (std::vector<std::string>{"&Otra", "Hoja 1"}));
    EXPECT_EQ(captions(other), (std::vector<std::string>{"", "Hoja 3"}));
    EXPECT_EQ(s[2]->parentWidget(), &other);
    delete s[1];
    EXPECT_EQ(captions(pages), std::vector<std::string>{"Hoja 1"});
    EXPECT_EQ(pages.PageCount(), 1);
    EXPECT_THROW(pages.Pages(1), EListError);
}

TEST(TabCtrls, DraggingTheSelectedTabShiftsIt)
{
    TTabSetControl tabs;
    tabs.resize(300, 60);
    tabs.Tabs().SetText("uno\ndos\ntres");
    tabs.ImageIndexes().Add("1");
    tabs.SetAllowTabShifting(true);
    tabs.SetTabIndex(0);
    tabs.show();
    int shifts = 0;
    tabs.OnTabShift = [&](QWidget*) { ++shifts; };
    const QPoint first = TabCentre(tabs, 0);
    const QPoint last = TabCentre(tabs, 2);
    const TRect end = itemRect(tabs, 2);
    MoveMouse(tabs, first);
    SendMouse(tabs, QEvent::MouseButtonPress, first);
    MoveMouse(tabs, first, Qt::LeftButton);
    EXPECT_EQ(tabs.cursor().shape(), CursorOf(crDefault).shape());
    MoveMouse(tabs, QPoint(end.Right + 20, end.Top + 3), Qt::LeftButton);
    EXPECT_EQ(tabs.cursor().shape(), CursorOf(crNo).shape());
    MoveMouse(tabs, last, Qt::LeftButton);
    EXPECT_EQ(tabs.cursor().shape(), CursorOf(crDrag).shape());
    SendMouse(tabs, QEvent::MouseButtonRelease, last);
    EXPECT_EQ(captions(tabs), (std::vector<std::string>{"dos", "tres", "uno"}));
    EXPECT_EQ(tabs.TabIndex(), 2);
    EXPECT_EQ(tabs.ImageIndexes().Get(2), "1");
    EXPECT_EQ(shifts, 1);
    EXPECT_EQ(tabs.cursor().shape(), CursorOf(crDefault).shape());

    // A release on the same tab, or a press on a tab that is not selected and hot, shifts nothing.
    SendMouse(tabs, QEvent::MouseButtonPress, TabCentre(tabs, 2));
    SendMouse(tabs, QEvent::MouseButtonRelease, TabCentre(tabs, 2));
    tabs.SetAllowTabShifting(false);
    SendMouse(tabs, QEvent::MouseButtonPress, TabCentre(tabs, 2));
    SendMouse(tabs, QEvent::MouseButtonRelease, TabCentre(tabs, 0));
    EXPECT_EQ(shifts, 1);

    ThreeSheets three(false);
    TPageSetControl& pages = three.pages;
    pages.SetAllowTabShifting(true);
    int pageShifts = 0;
    pages.OnTabShift = [&](QWidget*) { ++pageShifts; };
    MoveMouse(pages, TabCentre(pages, 0));
    SendMouse(pages, QEvent::MouseButtonPress, TabCentre(pages, 0));
    MoveMouse(pages, TabCentre(pages, 2), Qt::LeftButton);
    SendMouse(pages, QEvent::MouseButtonRelease, TabCentre(pages, 2));
    EXPECT_EQ(three.sheets[0]->PageIndex(), 2);
    EXPECT_EQ(captions(pages), (std::vector<std::string>{"Hoja 2", "Hoja 3", "Hoja 1"}));
    EXPECT_EQ(pages.ActivePage(), three.sheets[0]);
    EXPECT_EQ(pageShifts, 1);
}

TEST(TabCtrls, TabsAreDrawnInTheirColoursFontsAndTurns)
{
    TTabSetControl tabs;
    tabs.resize(320, 60);
    tabs.SetTabWidth(90);
    tabs.Tabs().SetText("uno\ndos\ntres");
    tabs.SetColor(clWhite);
    tabs.SetHotTrack(true);
    tabs.TabInactiveFont().SetColor(clBlack);
    tabs.Font().SetColor(clBlack);
    tabs.SetTabIndex(0);
    tabs.show();
    MoveMouse(tabs, TabCentre(tabs, 2));
    QImage shot = grabbed(tabs);
    shot.save(QDir::temp().filePath("kestrima-tabset.png"));

    // Inside the edges, away from the caption: the inactive colour 0xA4A0A0 is RGB A0 A0 A4.
    const TRect inactive = itemRect(tabs, 1);
    EXPECT_EQ(shot.pixelColor(inactive.Right - 8, inactive.Bottom - 5), QColor(0xA0, 0xA0, 0xA4));
    const TRect active = itemRect(tabs, 0);
    EXPECT_EQ(shot.pixelColor(active.Right - 8, active.Top + 5), QColor(Qt::white));
    const QColor highlight = ToQColor(static_cast<TColor>(clHighlight));
    EXPECT_GT(countColour(shot, itemRect(tabs, 2), highlight), 5);
    EXPECT_EQ(countColour(shot, inactive, highlight), 0);
    EXPECT_GT(countColour(shot, inactive, Qt::black), 5);

    // An image stands 5 pixels right of an unselected tab's inner left edge.
    TSolidImages images;
    tabs.SetImages(&images);
    tabs.ImageIndexes().Add("0");
    tabs.ImageIndexes().Add("1");
    shot = grabbed(tabs);
    EXPECT_EQ(countColour(shot, itemRect(tabs, 1), images.colours[1]), 64);
    EXPECT_EQ(countColour(shot, itemRect(tabs, 0), images.colours[0]), 64);
    int leftmost = 1000;
    for (int x = inactive.Left; x < inactive.Right; ++x)
        for (int y = inactive.Top; y < inactive.Bottom; ++y)
            if (shot.pixelColor(x, y) == images.colours[1])
                leftmost = std::min(leftmost, x);
    EXPECT_EQ(leftmost, inactive.Left + 2 + 5);

    // OnDrawTab draws in place of the control.
    std::vector<std::string> drawn;
    tabs.OnDrawTab = [&](TCustomTabSetControl* control, const std::string& caption, int, const TRect& r) {
        drawn.push_back(caption);
        control->Canvas()->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), QColor(255, 0, 255));
    };
    shot = grabbed(tabs);
    EXPECT_EQ(drawn, (std::vector<std::string>{"dos", "tres", "uno"}));
    EXPECT_EQ(shot.pixelColor(inactive.Right - 8, inactive.Bottom - 5), QColor(255, 0, 255));
    EXPECT_EQ(tabs.Canvas(), nullptr);
}

TEST(TabCtrls, VerticalStripsTurnTheirCaptions)
{
    TTabSetControl tabs;
    tabs.resize(60, 300);
    tabs.SetVerticalTabs(true);
    tabs.SetTextRotation(trVertical);
    tabs.SetTabWidth(110);
    tabs.Tabs().SetText("WWWWWW\nMMMMMM");
    tabs.TabInactiveFont().SetColor(clBlack);
    tabs.Font().SetColor(clBlack);
    tabs.SetColor(clWhite);
    tabs.SetTabIndex(0);
    tabs.show();
    const QImage shot = grabbed(tabs);
    shot.save(QDir::temp().filePath("kestrima-tabset-vertical.png"));
    for (int i = 0; i < 2; ++i) {
        const TRect r = itemRect(tabs, i);
        EXPECT_GT(r.Height(), r.Width());
        int left = 1000, right = -1, top = 1000, bottom = -1;
        for (int y = r.Top + 3; y < r.Bottom - 3; ++y)
            for (int x = r.Left + 3; x < r.Right - 3; ++x)
                if (shot.pixelColor(x, y) == QColor(Qt::black)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        ASSERT_GE(right, left) << "tab " << i << " has no caption";
        // Six wide letters stand taller than one letter is wide.
        EXPECT_GT(bottom - top, 2 * (right - left)) << "tab " << i;
    }
}

TEST(TabCtrls, RestylingAPageControlPutsTheSheetImagesBack)
{
    ThreeSheets three(false);
    TPageSetControl& pages = three.pages;
    TSolidImages images;
    pages.SetImages(&images);
    three.sheets[0]->SetImageIndex(1);
    three.sheets[2]->SetImageIndex(2);
    pages.SetTabPosition(tpBottomRight);
    QCoreApplication::processEvents();
    EXPECT_EQ(pages.Style() & TCS_BOTTOM, TCS_BOTTOM);
    EXPECT_EQ(three.sheets[0]->ImageIndex(), 1);
    TCITEM item;
    item.mask = TCIF_IMAGE;
    ASSERT_NE(pages.Perform(TCM_GETITEM, 2, ptr(&item)), 0);
    EXPECT_EQ(item.iImage, 2);
    EXPECT_EQ(pages.Perform(TCM_GETIMAGELIST, 0, 0), ptr(&images));
    // Sheets fill the display area.
    const TRect area = pages.DisplayRect();
    EXPECT_EQ(three.sheets[0]->geometry(), QRect(area.Left, area.Top, area.Width(), area.Height()));
    pages.SetImages(nullptr);
}

TEST(TabCtrls, FocusInTheOldPageGoesToTheNewPagesFirstControl)
{
    QWidget form;
    form.resize(400, 220);
    TPageSetControl* pages = new TPageSetControl(&form);
    TTabSetSheet* sheets[3];
    QLineEdit* edits[2];
    for (int i = 0; i < 3; ++i) {
        sheets[i] = new TTabSetSheet;
        sheets[i]->SetCaption(std::string("p").append(std::to_string(i)));
        sheets[i]->SetPageControl(pages);
        if (i < 2)
            edits[i] = new QLineEdit(sheets[i]);
    }
    pages->SetActivePage(sheets[0]);
    form.show();
    form.activateWindow();
    edits[0]->setFocus();
    QCoreApplication::processEvents();
    if (QApplication::focusWidget() != edits[0])
        GTEST_SKIP() << "the platform gives no window the focus";
    pages->SetActivePage(sheets[1]);
    EXPECT_EQ(QApplication::focusWidget(), edits[1]);
    // A page without a control to take it leaves the focus on the tabs.
    pages->SetActivePage(sheets[2]);
    EXPECT_EQ(QApplication::focusWidget(), pages);
    // Focus outside the pages stays where it is.
    pages->SetActivePage(sheets[0]);
    EXPECT_EQ(QApplication::focusWidget(), pages);
}

// ---------------------------------------------------------------- tearing sheets off

namespace {

// Sheets on a shown page control, each with a grip; their names are their captions.
struct TearOff {
    explicit TearOff(int count, TGripAlign align = gaLeft)
    {
        pages.resize(400, 200);
        for (int i = 0; i < count; ++i) {
            auto* sheet = new TTabSetSheet;
            sheet->SetCaption(std::string(1, static_cast<char>('A' + i)));
            sheet->SetDragable(true);
            sheet->SetGripAlign(align);
            sheet->SetPageControl(&pages);
            sheets.push_back(sheet);
        }
        pages.SetActivePage(sheets[0]);
        pages.show();
    }
    std::string order() const
    {
        std::string names;
        for (int i = 0; i < pages.PageCount(); ++i)
            names += pages.Pages(i)->Caption();
        return names;
    }
    // Presses at `from` on the sheet, moves by `by` and lets go.
    static void drag(TTabSetSheet& sheet, QPoint from, QPoint by)
    {
        SendMouse(sheet, QEvent::MouseButtonPress, from);
        MoveMouse(sheet, from + by, Qt::LeftButton);
        SendMouse(sheet, QEvent::MouseButtonRelease, from + by);
    }
    // A visible top-level window exactly on the rectangle: the drag outline.
    static bool outlineAt(const TRect& r)
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->geometry() == QRect(r.Left, r.Top, r.Width(), r.Height()))
                return true;
        return false;
    }
    TPageSetControl pages;
    std::vector<TTabSetSheet*> sheets;
};

} // namespace

TEST(TabCtrlsTearOff, TheGripIsSevenPixelsWideWithItsDotsAtTheGrabEnd)
{
    struct Case {
        TGripAlign align;
        QRect grab;         // on a 300 x 100 sheet
        QPoint highlight;   // the top-left pixel of the first dot group
        QMargins client;
    };
    const Case cases[] = {
        {gaLeft, QRect(0, 0, 7, 20), QPoint(0, 0), QMargins(7, 0, 0, 0)},
        {gaRight, QRect(293, 80, 7, 20), QPoint(295, 98), QMargins(0, 0, 7, 0)},
        {gaTop, QRect(280, 0, 20, 7), QPoint(298, 0), QMargins(0, 7, 0, 0)},
        {gaBottom, QRect(0, 93, 20, 7), QPoint(0, 95), QMargins(0, 0, 0, 7)},
    };
    for (const Case& c : cases) {
        TTabSetSheet sheet;
        sheet.resize(300, 100);
        sheet.SetDragable(true);
        sheet.SetGripAlign(c.align);
        EXPECT_EQ(sheet.GrabRect(), c.grab) << c.align;
        EXPECT_EQ(sheet.contentsMargins(), c.client) << c.align;
        const QImage image = grabbed(sheet);
        EXPECT_EQ(image.pixelColor(c.highlight), ToQColor(clBtnHighlight)) << c.align;
        EXPECT_EQ(image.pixelColor(c.highlight + QPoint(1, 1)), ToQColor(clActiveCaption)) << c.align;
        // Between the pairs lies the strip's face.
        const QPoint along = c.align == gaLeft || c.align == gaRight ? QPoint(0, 1) : QPoint(1, 0);
        const int direction = c.align == gaLeft || c.align == gaBottom ? 1 : -1;
        EXPECT_EQ(image.pixelColor(c.highlight + along * (direction * 4)), ToQColor(clBtnHighlight)) << c.align;
        EXPECT_EQ(image.pixelColor(c.highlight + along * (direction * 20)), ToQColor(clBtnFace)) << c.align;
        sheet.setEnabled(false);
        EXPECT_EQ(grabbed(sheet).pixelColor(c.highlight + QPoint(1, 1)), ToQColor(clInactiveCaption)) << c.align;
    }
    // Without Dragable there is no strip.
    TTabSetSheet plain;
    plain.resize(300, 100);
    EXPECT_TRUE(plain.GrabRect().isEmpty());
    EXPECT_EQ(plain.ClientRect(), QRect(0, 0, 300, 100));
}

TEST(TabCtrlsTearOff, DragsStartFromTheGrabAreaAfterFourPixelsWhenTheControlAllowsIt)
{
    {
        // The only sheet stays while RemoveLastTab is False.
        TearOff one(1);
        TearOff::drag(*one.sheets[0], QPoint(3, 5), QPoint(30, 30));
        EXPECT_FALSE(one.sheets[0]->Floating());
        EXPECT_EQ(one.pages.PageCount(), 1);
        one.pages.SetRemoveLastTab(true);
        TearOff::drag(*one.sheets[0], QPoint(3, 5), QPoint(30, 30));
        EXPECT_TRUE(one.sheets[0]->Floating());
        EXPECT_EQ(one.pages.PageCount(), 0);
        EXPECT_EQ(one.pages.ActivePage(), nullptr);
        one.sheets[0]->FloatingForm()->close();
        EXPECT_EQ(one.pages.ActivePage(), one.sheets[0]);
    }
    TearOff two(2);
    TTabSetSheet& sheet = *two.sheets[0];
    // A press outside the grab area starts nothing.
    TearOff::drag(sheet, QPoint(3, 25), QPoint(30, 30));
    TearOff::drag(sheet, QPoint(8, 5), QPoint(30, 30));
    EXPECT_FALSE(sheet.Floating());
    // Three pixels either way are no drag; four are.
    SendMouse(sheet, QEvent::MouseButtonPress, QPoint(3, 5));
    MoveMouse(sheet, QPoint(6, 8), Qt::LeftButton);
    EXPECT_FALSE(sheet.Dragging());
    MoveMouse(sheet, QPoint(0, 2), Qt::LeftButton);
    EXPECT_FALSE(sheet.Dragging());
    MoveMouse(sheet, QPoint(3, 9), Qt::LeftButton);
    ASSERT_TRUE(sheet.Dragging());
    // The outline has the sheet's size at its place moved by the drag.
    const QPoint origin = sheet.mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(sheet.FloatRect(),
              (TRect{origin.x(), origin.y() + 4, origin.x() + sheet.width(), origin.y() + 4 + sheet.height()}));
    EXPECT_TRUE(TearOff::outlineAt(sheet.FloatRect()));
    MoveMouse(sheet, QPoint(23, 19), Qt::LeftButton);
    const TRect moved{origin.x() + 20, origin.y() + 14, origin.x() + 20 + sheet.width(), origin.y() + 14 + sheet.height()};
    EXPECT_EQ(sheet.FloatRect(), moved);
    EXPECT_TRUE(TearOff::outlineAt(moved));
    // Letting go takes the outline away and floats the sheet there.
    SendMouse(sheet, QEvent::MouseButtonRelease, QPoint(23, 19));
    EXPECT_FALSE(TearOff::outlineAt(moved));
    ASSERT_TRUE(sheet.Floating());
    EXPECT_EQ(sheet.FloatingForm()->pos(), QPoint(moved.Left, moved.Top));
    EXPECT_EQ(sheet.FloatingForm()->size(), sheet.size());
    EXPECT_TRUE(sheet.GrabRect().isEmpty()) << "a floating sheet shows no grip";
    sheet.FloatingForm()->close();
}

TEST(TabCtrlsTearOff, FloatingAndDockingAreReportedAndCounted)
{
    TearOff f(3);
    TSolidImages images;
    f.pages.SetImages(&images);
    TTabSetSheet& b = *f.sheets[1];
    b.SetImageIndex(2);
    f.pages.SetActivePage(&b);
    std::vector<std::string> events;
    b.OnFloatChange = [&](QWidget* sender, TFloatState state) {
        events.push_back(std::string(sender == &b ? "sheet " : "? ") + std::to_string(state));
    };
    f.pages.OnFloatChange = [&](QWidget* sender, TFloatState state) {
        events.push_back(std::string(sender == &f.pages ? "control " : "? ") + std::to_string(state) + " count " +
                         std::to_string(f.pages.FloatingCount()));
    };
    b.FloatSheet();
    ASSERT_TRUE(b.Floating());
    EXPECT_EQ(events, (std::vector<std::string>{"control 0 count 1", "sheet 0"}));
    EXPECT_EQ(f.pages.FloatingCount(), 1);
    EXPECT_EQ(captions(f.pages), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(f.pages.ActivePage(), f.sheets[2]) << "the control goes on to the next page";
    EXPECT_EQ(b.LastPageControl(), &f.pages);
    TFloatingForm* form = b.FloatingForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->windowTitle(), "B");
    EXPECT_FALSE(form->windowIcon().isNull());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(b.parentWidget(), form);
    EXPECT_EQ(form->parentWidget(), nullptr) << "no owner window without FloatOnTop";
    b.FloatSheet();
    EXPECT_EQ(f.pages.FloatingCount(), 1) << "a floating sheet floats once";

    // Closing the window docks the sheet as the active page; the window goes.
    events.clear();
    QPointer<TFloatingForm> gone(form);
    form->close();
    EXPECT_FALSE(b.Floating());
    EXPECT_EQ(events, (std::vector<std::string>{"control 1 count 0", "sheet 1"}));
    EXPECT_EQ(f.pages.FloatingCount(), 0);
    EXPECT_EQ(f.pages.ActivePage(), &b);
    EXPECT_EQ(b.parentWidget(), &f.pages);
    EXPECT_EQ(b.FloatingForm(), nullptr);
    EXPECT_EQ(b.LastPageControl(), nullptr);
    EXPECT_EQ(b.ImageIndex(), 2);
    EXPECT_EQ(captions(f.pages), (std::vector<std::string>{"A", "C", "B"}));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());

    // With FloatOnTop the main form owns the window, also when set while floating.
    QWidget main;
    SetMainForm(&main);
    f.sheets[0]->SetFloatOnTop(true);
    f.sheets[0]->FloatSheet();
    EXPECT_EQ(f.sheets[0]->FloatingForm()->parentWidget(), &main);
    f.sheets[2]->FloatSheet();
    EXPECT_EQ(f.sheets[2]->FloatingForm()->parentWidget(), nullptr);
    f.sheets[2]->SetFloatOnTop(true);
    EXPECT_EQ(f.sheets[2]->FloatingForm()->parentWidget(), &main);
    EXPECT_TRUE(f.sheets[2]->FloatingForm()->isWindow());
    f.sheets[2]->DockSheet();
    SetMainForm(nullptr);
    // The control destroyed with a sheet afloat takes the sheet and its window along (the sanitizer watches).
}

TEST(TabCtrlsTearOff, DockedSheetsReturnByTheirStaticPageIndexKeepingTheirOrder)
{
    {
        TearOff f(4);
        for (int i = 0; i < 3; ++i)
            f.sheets[i]->FloatSheet();
        EXPECT_EQ(f.order(), "D");
        for (int i = 0; i < 3; ++i)
            f.sheets[i]->FloatingForm()->close();
        EXPECT_EQ(f.order(), "DABC");
        EXPECT_EQ(captions(f.pages), (std::vector<std::string>{"D", "A", "B", "C"}));
    }
    std::vector<int> back{0, 1, 2};
    do {
        TearOff f(4);
        for (int i = 0; i < 4; ++i)
            f.sheets[i]->SetStaticPageIndex(i);
        for (int i = 0; i < 3; ++i)
            f.sheets[i]->FloatSheet();
        for (int i : back)
            f.sheets[i]->DockSheet();
        EXPECT_EQ(f.order(), "ABCD") << back[0] << back[1] << back[2];
        EXPECT_EQ(captions(f.pages), (std::vector<std::string>{"A", "B", "C", "D"}));
        EXPECT_EQ(f.pages.ActivePage(), f.sheets[back[2]]);
    } while (std::next_permutation(back.begin(), back.end()));
}
