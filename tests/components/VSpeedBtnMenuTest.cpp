// The speed button with a menu: the menu built at each press, its hints, the choice and the button's state.
#include <gtest/gtest.h>

#include <QAction>
#include <QPainter>
#include <QPointer>
#include <memory>

#include "ComponentTestSupport.h"
#include "components/VSpeedBtnMenu.h"
#include "support/StringListItems.h"

namespace {

// A window holding one menu button away from the window's corner, counting its events.
struct TMenuButtonWindow {
    TMenuButtonWindow()
    {
        window.resize(300, 200);
        button = new TVSpeedBtnMenu(&window);
        button->setGeometry(40, 30, 24, 22);
        button->OnClick = [this](TSpeedButton*) { ++clicks; };
        button->OnSelect = [this](TVSpeedBtnMenu* sender) {
            ++selects;
            EXPECT_EQ(sender, button);
        };
        button->BeforeShow = [this](TVSpeedBtnMenu*) { ++beforeShows; };
        window.show();
        QApplication::processEvents();
    }
    // A press and release in the middle of the button, with `whileOpen` acting on any menu it shows.
    bool Press(const std::function<void(QMenu&)>& whileOpen)
    {
        return WithPopupMenu([this] { Click(*button); }, whileOpen);
    }

    QWidget window;
    TVSpeedBtnMenu* button;
    int clicks = 0;
    int selects = 0;
    int beforeShows = 0;
};

} // namespace

TEST(VSpeedBtnMenu, StartsFlatWithoutChoiceOrMenu)
{
    TVSpeedBtnMenu button;
    EXPECT_TRUE(button.Flat());
    EXPECT_EQ(button.ItemIndex(), -1);
    EXPECT_EQ(button.Items().Count(), 0);
    EXPECT_EQ(button.Popup(), nullptr);
    // Writing the lists copies them.
    TStringList items = Lines({"uno", "dos"});
    button.SetItems(items);
    button.SetHints(items);
    items.Add("tres");
    EXPECT_EQ(button.Items().Count(), 2);
    EXPECT_EQ(button.Hints()[1], "dos");
}

TEST(VSpeedBtnMenu, EmptyItemsMakeAPlainButtonUntilBeforeShowFillsThem)
{
    TMenuButtonWindow w;
    EXPECT_FALSE(w.Press([](QMenu& menu) { menu.close(); }));
    EXPECT_EQ(w.beforeShows, 1);
    EXPECT_EQ(w.clicks, 1);
    EXPECT_EQ(w.button->Popup(), nullptr);
    EXPECT_FALSE(w.button->isDown());

    // Lines given by BeforeShow make the menu of the same press.
    w.button->BeforeShow = [&w](TVSpeedBtnMenu* sender) {
        ++w.beforeShows;
        sender->Items() = Lines({"<H1>", "<H2>"});
    };
    QStringList captions;
    EXPECT_TRUE(w.Press([&](QMenu& menu) {
        for (QAction* action : menu.actions())
            captions << action->text();
        SendKey(menu, Qt::Key_Escape);
    }));
    EXPECT_EQ(w.beforeShows, 2);
    EXPECT_EQ(captions, QStringList({"<H1>", "<H2>"}));
    // The menu took the release: no click.
    EXPECT_EQ(w.clicks, 1);
}

TEST(VSpeedBtnMenu, HintsGoWithTheItemsOnlyWhenTheCountsAgree)
{
    TMenuButtonWindow w;
    w.button->SetItems(Lines({"uno", "dos", "tr\xE9s"}));
    w.button->SetHints(Lines({"primero", "segundo"}));
    QStringList tips;
    QStringList captions;
    auto readMenu = [&](QMenu& menu) {
        tips.clear();
        captions.clear();
        for (QAction* action : menu.actions()) {
            tips << action->statusTip();
            captions << action->text();
        }
        SendKey(menu, Qt::Key_Escape);
    };
    ASSERT_TRUE(w.Press(readMenu));
    EXPECT_EQ(tips, QStringList({"", "", ""}));
    EXPECT_EQ(captions, QStringList({"uno", "dos", QString::fromUtf8("tr\u00E9s")}));

    w.button->Hints().Add("tercero");
    ASSERT_TRUE(w.Press(readMenu));
    EXPECT_EQ(tips, QStringList({"primero", "segundo", "tercero"}));
}

TEST(VSpeedBtnMenu, AChoiceSetsItemIndexAndEscapeKeepsIt)
{
    TMenuButtonWindow w;
    w.button->SetItems(Lines({"a", "b", "c"}));
    QImage before = w.button->grab().toImage();

    QPoint menuAt;
    ASSERT_TRUE(w.Press([&](QMenu& menu) {
        menuAt = menu.geometry().topLeft();
        Shot(menu, "vspeedbtnmenu-menu.png");
        QAction* third = menu.actions().at(2);
        Click(menu, menu.actionGeometry(third).center());
    }));
    EXPECT_EQ(menuAt, w.button->mapToGlobal(QPoint(0, w.button->height())) - QPoint(1, 0));
    EXPECT_EQ(w.button->ItemIndex(), 2);
    EXPECT_EQ(w.selects, 1);
    EXPECT_EQ(w.clicks, 0);
    // The button is up again and looks as it did before the press.
    EXPECT_FALSE(w.button->isDown());
    EXPECT_EQ(w.button->grab().toImage(), before);

    // Each press frees the previous menu.
    QPointer<QMenu> first = w.button->Popup();
    ASSERT_FALSE(first.isNull());
    ASSERT_TRUE(w.Press([](QMenu& menu) { SendKey(menu, Qt::Key_Escape); }));
    EXPECT_TRUE(first.isNull());
    EXPECT_NE(w.button->Popup(), nullptr);
    // Closed without a choice: the old index stays and nothing fires.
    EXPECT_EQ(w.button->ItemIndex(), 2);
    EXPECT_EQ(w.selects, 1);
    EXPECT_FALSE(w.button->isDown());

    // The keyboard chooses too: the second item.
    const auto twoDownsAndReturn = [](QMenu& menu) {
        SendKey(menu, Qt::Key_Down);
        SendKey(menu, Qt::Key_Down);
        SendKey(menu, Qt::Key_Return);
    };
    ASSERT_TRUE(w.Press(twoDownsAndReturn));
    EXPECT_EQ(w.button->ItemIndex(), 1);
    EXPECT_EQ(w.selects, 2);

    // A "-" line divides the menu and can't be chosen; the items after it keep their indexes.
    w.button->SetItems(Lines({"a", "-", "c", "- "}));
    QStringList captions;
    QList<bool> separators;
    ASSERT_TRUE(w.Press([&](QMenu& menu) {
        for (QAction* action : menu.actions()) {
            captions << action->text();
            separators << action->isSeparator();
        }
        Click(menu, menu.actionGeometry(menu.actions().at(1)).center());
        if (menu.isVisible())
            SendKey(menu, Qt::Key_Escape);
    }));
    EXPECT_EQ(captions, QStringList({"a", "", "c", "- "}));
    EXPECT_EQ(separators, QList<bool>({false, true, false, false}));
    EXPECT_EQ(w.button->ItemIndex(), 1);
    EXPECT_EQ(w.selects, 2);
    ASSERT_TRUE(w.Press(twoDownsAndReturn));
    EXPECT_EQ(w.button->ItemIndex(), 2);
    EXPECT_EQ(w.selects, 3);
}

TEST(VSpeedBtnMenu, GrabbedPictureShowsAFlatButtonRaisedUnderTheMouse)
{
    TMenuButtonWindow w;
    // A black triangle pointing down, on a white background the button takes as transparent.
    QPixmap glyph(9, 9);
    glyph.fill(Qt::white);
    {
        QPainter painter(&glyph);
        for (int row = 0; row < 4; ++row)
            painter.fillRect(row + 1, row + 3, 7 - 2 * row, 1, Qt::black);
    }
    w.button->SetGlyph(glyph);
    QImage away = Shot(*w.button, "vspeedbtnmenu-away.png");
    w.button->setAttribute(Qt::WA_UnderMouse);
    QImage under = Shot(*w.button, "vspeedbtnmenu.png");
    // Glyph in the middle either way (half the glyph back from the middle); the frame only under the mouse.
    QPoint glyphAt(24 / 2 - 9 / 2, 22 / 2 - 9 / 2);
    QPoint edge(w.button->width() - 1, w.button->height() / 2);
    for (QPoint ink : {QPoint(1, 3), QPoint(7, 3), QPoint(4, 6)}) {
        EXPECT_EQ(away.pixel(glyphAt + ink), qRgb(0, 0, 0));
        EXPECT_EQ(under.pixel(glyphAt + ink), qRgb(0, 0, 0));
    }
    EXPECT_EQ(away.pixel(glyphAt), away.pixel(1, 1));
    EXPECT_EQ(away.pixel(glyphAt + QPoint(4, 7)), away.pixel(1, 1));
    EXPECT_EQ(away.pixel(edge), away.pixel(1, 1));
    EXPECT_NE(under.pixel(edge), away.pixel(edge));
}

TEST(VSpeedBtnMenu, AHandlerMayDeleteTheButtonWhileItsMenuIsOpen)
{
    auto w = std::make_unique<TMenuButtonWindow>();
    w->button->SetItems(Lines({"a", "b"}));
    QPointer<TVSpeedBtnMenu> button = w->button;
    w->button->OnSelect = [](TVSpeedBtnMenu* sender) { sender->deleteLater(); };
    ASSERT_TRUE(w->Press([](QMenu& menu) { Click(menu, menu.actionGeometry(menu.actions().at(0)).center()); }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(button.isNull());
}
