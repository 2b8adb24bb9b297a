// The speed bar's setup window: its texts, sizing its lists, one window per bar, and dragging buttons from the list onto the bar, along it and off it.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "support/MouseEvents.h"
#include "toolbars/SpeedBar.h"
#include "toolbars/SpeedBarSetup.h"

namespace {

// A shown form at the screen's top-left with a horizontal bar of two sections: "Archivos" holding
// "sbUno" (on the bar), "sbDos" and "sbTres", and "Otros" holding "sbCuatro". The bar's setup window
// is opened and moved clear of the form.
struct TSetup {
    QWidget form;
    TSpeedBar* bar;
    std::vector<TSpeedItem*> items;
    TSpeedbarSetupWindow* window = nullptr;
    int customized = 0;

    explicit TSetup(bool open = true)
    {
        form.setGeometry(0, 0, 300, 100);
        bar = new TSpeedBar(&form);
        bar->setObjectName("pBar");
        bar->SetBtnHeight(22);
        bar->SetBtnOffsetHorz(4);
        bar->SetBtnOffsetVert(4);
        for (const char* caption : {"Archivos", "Otros"}) {
            auto* section = new TSpeedbarSection;
            section->SetCaption(caption);
            bar->AddSection(section);
        }
        for (const char* name : {"sbUno", "sbDos", "sbTres", "sbCuatro"}) {
            auto* item = new TSpeedItem;
            item->SetName(name);
            item->SetCaption(name);
            item->SetHint(std::string(name) + "|largo");
            bar->AddItem(items.size() < 3 ? 0 : 1, item);
            items.push_back(item);
        }
        items[0]->SetLeft(4);
        items[0]->SetVisible(true);
        bar->OnCustomize = [this](TSpeedBar*) { ++customized; };
        form.show();
        QApplication::processEvents();
        if (open) {
            bar->Customize(0);
            window = FindSpeedbarSetupWindow(bar);
            window->move(350, 300);
            QApplication::processEvents();
        }
    }
    ~TSetup()
    {
        if (FindSpeedbarSetupWindow(bar))
            FindSpeedbarSetupWindow(bar)->close();
        QApplication::processEvents();
    }
    // A left press, a move and a release in the button list on row `row` at x, ending with the
    // pointer at the screen point `to`.
    void dragFromList(int row, int x, QPoint to)
    {
        QWidget& port = *window->ButtonsList->viewport();
        const QPoint press(x, window->ButtonsList->CellRect(row).top() + 5);
        SendMouse(port, QEvent::MouseButtonPress, press);
        MoveMouse(port, port.mapFromGlobal(to), Qt::LeftButton);
        SendMouse(port, QEvent::MouseButtonRelease, port.mapFromGlobal(to));
    }
};

int visibleWindows()
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && dynamic_cast<TSpeedbarSetupWindow*>(w))
            ++count;
    return count;
}

} // namespace

TEST(SpeedBarSetup, TheWindowShowsItsTextsAndSizesItsListsByWholeRows)
{
    TSetup s;
    TSpeedbarSetupWindow& w = *s.window;
    EXPECT_EQ(w.windowTitle(), "Personalizar la barra de herramientas");
    EXPECT_EQ(w.CategoriesLabel->text(), QString::fromUtf8("&Categorías:"));
    EXPECT_EQ(w.ButtonsLabel->text(), "&Botones disponibles:");
    EXPECT_EQ(w.HintLabel->text(),
              QString::fromUtf8("Para añadir botones, arrástrelos y suéltelos sobre la barra de herramientas. Para "
                                "quitarlos, arrástrelos fuera de la barra de herramientas"));
    EXPECT_EQ(w.CloseBtn->text(), "Aceptar");
    EXPECT_FALSE(w.CloseBtn->isDefault());
    EXPECT_TRUE(w.HelpBtn->isHidden());
    EXPECT_EQ(w.width(), 421);
    EXPECT_GE(w.height(), 262);
    // A font wider than the one the window was laid out for makes it taller, never cuts the hint.
    EXPECT_GE(w.HintLabel->height(), w.HintLabel->heightForWidth(407));
    EXPECT_EQ(w.HintLabel->geometry().topLeft(), QPoint(8, 231));
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w.ButtonsList->geometry().topLeft(), QPoint(146, 30));
    EXPECT_EQ(w.SectionList->geometry().topLeft(), QPoint(12, 30));
    EXPECT_EQ(w.CloseBtn->geometry(), QRect(339, 12, 77, 25));

    // BtnHeight 22 at 96 pixels per inch: rows of 24, seven whole rows rather than 186 pixels.
    ASSERT_EQ(TSpeedBar::ScreenPixelsPerInch(), 96);
    EXPECT_EQ(w.ButtonsList->DefaultRowHeight(), 24);
    EXPECT_EQ(w.ButtonsList->ClientHeight(), 168);
    EXPECT_EQ(w.SectionList->ClientHeight(), 168);
    EXPECT_EQ(w.SectionList->DefaultRowHeight(), QFontMetrics(w.font()).height() + 2);
    // Larger buttons: the bar tells the window, which fits five rows of 32.
    s.bar->SetBtnHeight(30);
    EXPECT_EQ(w.ButtonsList->DefaultRowHeight(), 32);
    EXPECT_EQ(w.ButtonsList->ClientHeight(), 160);

    // The lists: the sections, the first chosen, its items; the hint follows the button row.
    EXPECT_EQ(w.SectionList->RowCount(), 2);
    EXPECT_EQ(w.SectionList->Row(), 0);
    EXPECT_EQ(w.ButtonsList->RowCount(), 3);
    EXPECT_EQ(w.Hint(), "sbUno|largo");
    EXPECT_TRUE(w.ButtonsList->SetRow(2));
    EXPECT_EQ(w.Hint(), "sbTres|largo");
    EXPECT_TRUE(w.SectionList->SetRow(1));
    EXPECT_EQ(w.ButtonsList->RowCount(), 1);
    EXPECT_EQ(w.CurrentItem(), s.items[3]);

    // Edit mode lasts while the window is open; Esc closes it and the bar fires OnCustomize.
    EXPECT_EQ(s.bar->EditWindow(), &w);
    EXPECT_TRUE(s.items[0]->Editing());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&w, &esc);
    QApplication::processEvents();
    EXPECT_FALSE(s.bar->Editing());
    EXPECT_FALSE(s.items[0]->Editing());
    EXPECT_EQ(s.customized, 1);
    EXPECT_EQ(FindSpeedbarSetupWindow(s.bar), nullptr);

    // With a help context the help button shows.
    s.bar->Customize(12);
    TSpeedbarSetupWindow* helped = FindSpeedbarSetupWindow(s.bar);
    ASSERT_NE(helped, nullptr);
    EXPECT_FALSE(helped->HelpBtn->isHidden());
    EXPECT_EQ(helped->HelpBtn->text(), "&Ayuda");
    EXPECT_EQ(helped->HelpContext(), 12);
}

TEST(SpeedBarSetup, OneWindowPerBarWhichClosesWhenTheBarGoes)
{
    auto s = std::make_unique<TSetup>();
    const int before = visibleWindows();
    s->window->showMinimized();
    s->bar->Customize(0);
    EXPECT_EQ(FindSpeedbarSetupWindow(s->bar), s->window);
    EXPECT_EQ(visibleWindows(), before);
    EXPECT_FALSE(s->window->isMinimized());
    ShowSpeedbarSetupWindow(nullptr, 0);
    EXPECT_EQ(visibleWindows(), before);

    // A second bar gets a window of its own.
    TSetup other;
    EXPECT_NE(other.window, s->window);
    EXPECT_EQ(visibleWindows(), before + 1);

    // The bar goes while its window is open: the window closes and forgets it (the sanitizers watch
    // that nothing touches it afterwards).
    QPointer<TSpeedbarSetupWindow> window = s->window;
    delete s->bar;
    EXPECT_EQ(window->SpeedBar(), nullptr);
    EXPECT_FALSE(window->isVisible());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    EXPECT_EQ(s->customized, 0);
    s.reset();
    EXPECT_EQ(FindSpeedbarSetupWindow(other.bar), other.window);
}

TEST(SpeedBarSetup, AnItemDraggedFromTheListLandsOnTheGridOfItsOwnBarOnly)
{
    TSetup s;
    TSpeedbarSetupWindow& w = *s.window;
    const int btn = s.bar->BtnWidth();
    ASSERT_EQ(s.bar->GridX(), 8);
    // Beside the picture (x >= BtnWidth + 2) a press starts no drag.
    ASSERT_TRUE(w.ButtonsList->SetRow(1));
    SendMouse(*w.ButtonsList->viewport(), QEvent::MouseButtonPress, QPoint(btn + 2, w.ButtonsList->CellRect(1).top() + 5));
    EXPECT_FALSE(w.Dragging());
    SendMouse(*w.ButtonsList->viewport(), QEvent::MouseButtonRelease, QPoint(btn + 2, 5));
    // An item already on the bar is pressed but not carried.
    ASSERT_TRUE(w.ButtonsList->SetRow(0));
    SendMouse(*w.ButtonsList->viewport(), QEvent::MouseButtonPress, QPoint(3, w.ButtonsList->CellRect(0).top() + 5));
    EXPECT_TRUE(w.Dragging());
    EXPECT_EQ(w.DragItem(), nullptr);
    EXPECT_EQ(w.DragImage(), nullptr);
    // While the press lasts the list keeps its row.
    EXPECT_FALSE(w.ButtonsList->SetRow(2));
    EXPECT_EQ(w.Hint(), "");
    SendMouse(*w.ButtonsList->viewport(), QEvent::MouseButtonRelease, QPoint(3, 5));
    EXPECT_FALSE(w.Dragging());

    // "sbDos" dragged with its bottom-right corner to the bar's (61 + btn, 5 + 22): the top-left
    // point (61, 5) snaps to the cell at 60.
    ASSERT_TRUE(w.ButtonsList->SetRow(1));
    const QPoint press(3, w.ButtonsList->CellRect(1).top() + 5);
    SendMouse(*w.ButtonsList->viewport(), QEvent::MouseButtonPress, press);
    ASSERT_EQ(w.DragItem(), s.items[1]);
    const QPoint pointer = s.bar->mapToGlobal(QPoint(61 + btn, 5 + 22));
    MoveMouse(*w.ButtonsList->viewport(), w.ButtonsList->viewport()->mapFromGlobal(pointer), Qt::LeftButton);
    ASSERT_NE(w.DragImage(), nullptr);
    EXPECT_TRUE(w.DragImage()->isVisible());
    EXPECT_EQ(w.DragImage()->geometry(), QRect(pointer - QPoint(btn, 22), QSize(btn, 22)));
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    SendMouse(*w.ButtonsList->viewport(), QEvent::MouseButtonRelease, w.ButtonsList->viewport()->mapFromGlobal(pointer));
    EXPECT_EQ(w.DragImage(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(s.items[1]->Visible());
    EXPECT_EQ(s.items[1]->Left(), 60);
    EXPECT_EQ(s.items[1]->Top(), 4);
    EXPECT_EQ(w.ButtonsList->RowCount(), 3);
    EXPECT_FALSE(w.Dragging());

    // Dropped on another bar, "sbTres" stays off both.
    TSetup other(false);
    other.form.move(0, 150);
    QApplication::processEvents();
    ASSERT_TRUE(w.ButtonsList->SetRow(2));
    s.dragFromList(2, 3, other.bar->mapToGlobal(QPoint(40 + btn, 5 + 22)));
    EXPECT_EQ(FindSpeedBar(other.bar->mapToGlobal(QPoint(40, 5))), other.bar);
    EXPECT_FALSE(s.items[2]->Visible());
    EXPECT_EQ(other.bar->ItemsCount(0), 3);
    EXPECT_FALSE(other.items[2]->Visible());
    // Dropped over the bar's own button, the bar is still found.
    EXPECT_EQ(FindSpeedBar(s.bar->mapToGlobal(QPoint(6, 6))), s.bar);
    EXPECT_EQ(FindSpeedBar(QPoint(380, 20)), nullptr);
}

TEST(SpeedBarSetup, ABarButtonDraggedAlongTheBarSnapsAndOffTheBarGoesBackToTheList)
{
    TSetup s;
    TSpeedbarSetupWindow& w = *s.window;
    TSpeedItem* item = s.items[0];
    TSpeedbarButton* button = item->Button();
    const int btn = s.bar->BtnWidth();
    // In edit mode a press picks the button up instead of clicking it.
    int clicks = 0;
    item->SetOnClick([&](TKrSpeedButton*) { ++clicks; });
    SendMouse(*button, QEvent::MouseButtonPress, QPoint(3, 3));
    ASSERT_NE(button->DragImage(), nullptr);
    // Along the bar: the image follows, the button hides until the drop snaps it to the cell at 36.
    QPoint pointer = s.bar->mapToGlobal(QPoint(37 + btn, 4 + 22));
    MoveMouse(*s.bar, s.bar->mapFromGlobal(pointer), Qt::LeftButton);
    EXPECT_TRUE(button->isHidden());
    EXPECT_TRUE(button->DragImage()->isVisible());
    SendMouse(*s.bar, QEvent::MouseButtonRelease, s.bar->mapFromGlobal(pointer));
    EXPECT_EQ(button->DragImage(), nullptr);
    EXPECT_TRUE(item->Visible());
    EXPECT_FALSE(button->isHidden());
    EXPECT_EQ(item->Left(), 36);
    EXPECT_EQ(clicks, 0);

    // Off the bar: the image hides while outside, the item leaves the bar and can be dragged from the
    // list again.
    SendMouse(*button, QEvent::MouseButtonPress, QPoint(3, 3));
    pointer = s.bar->mapToGlobal(QPoint(40 + btn, s.bar->height() + 40 + 22));
    MoveMouse(*s.bar, s.bar->mapFromGlobal(pointer), Qt::LeftButton);
    EXPECT_FALSE(button->DragImage()->isVisible());
    SendMouse(*s.bar, QEvent::MouseButtonRelease, s.bar->mapFromGlobal(pointer));
    EXPECT_FALSE(item->Visible());
    EXPECT_EQ(w.SectionList->Row(), 0);
    ASSERT_TRUE(w.ButtonsList->SetRow(0));
    SendMouse(*w.ButtonsList->viewport(), QEvent::MouseButtonPress, QPoint(3, w.ButtonsList->CellRect(0).top() + 5));
    EXPECT_EQ(w.DragItem(), item);
    SendMouse(*w.ButtonsList->viewport(), QEvent::MouseButtonRelease, QPoint(3, 5));
    EXPECT_FALSE(item->Visible());

    // Out of edit mode the button clicks again.
    w.close();
    QApplication::processEvents();
    item->SetVisible(true);
    Click(*button, QPoint(3, 3));
    EXPECT_EQ(clicks, 1);
}
