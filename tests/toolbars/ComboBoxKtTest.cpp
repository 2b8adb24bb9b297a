// The flat combo box (frame idle, hot and focused, colour while disabled, button state while dropped) and the list combo (multi-selection text, dropped list, text margins, button place).
#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/Buttons.h"
#include "platform/GraphicsQt.h"
#include "support/MouseEvents.h"
#include "toolbars/ComboBoxKt.h"
#include "toolbars/listComboKt.h"

namespace {

QColor pixel(QWidget& w, int x, int y)
{
    return QColor(w.grab().toImage().convertToFormat(QImage::Format_RGB32).pixel(x, y));
}

void enter(QWidget& w)
{
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), w.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&w, &event);
}

void leave(QWidget& w)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&w, &event);
}

// A form with a flat combo and a plain edit that holds the focus at first; the form's colour is red.
struct FlatForm {
    QWidget form;
    QLineEdit* plain = new QLineEdit(&form);
    TComboBoxKt* combo = new TComboBoxKt(&form);
    FlatForm()
    {
        QPalette p = form.palette();
        p.setColor(QPalette::Window, Qt::red);
        form.setPalette(p);
        combo->SetFlat(true);
        combo->setGeometry(5, 5, 120, 22);
        plain->setGeometry(5, 40, 60, 22);
        form.resize(140, 80);
        form.show();
        QApplication::setActiveWindow(&form);
        plain->setFocus();
        QApplication::processEvents();
        leave(*combo);
    }
};

QStringList fonts() { return {"Arial", "Courier", "Times", "Verdana"}; }

// Presses the list on item `row`, as the user's click does.
void pressItem(TlistComboKt& combo, int row)
{
    QListWidget& list = *combo.List();
    const QRect r = list.visualItemRect(list.item(row));
    Click(*list.viewport(), r.center());
}

} // namespace

TEST(ComboBoxKt, FlatFrameIsRaisedWhileHotOrFocusedAndDisabledShowsTheParentColour)
{
    FlatForm f;
    TComboBoxKt& combo = *f.combo;
    EXPECT_FALSE(combo.Ctl3D());
    EXPECT_EQ(combo.DropDownCount(), 8);
    EXPECT_EQ(combo.ButtonWidth(), combo.style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2);
    const QColor face = ToQColor(clBtnFace);
    const QColor shadow = ToQColor(clBtnShadow);
    const QColor window = ToQColor(clWindow);
    const int w = combo.width();
    // Idle: two rings of button face, one of the window colour; the button area filled with face.
    EXPECT_FALSE(combo.HotOrFocused());
    EXPECT_EQ(pixel(combo, 0, 0), face);
    EXPECT_EQ(pixel(combo, 1, 10), face);
    EXPECT_EQ(pixel(combo, 2, 10), window);
    EXPECT_EQ(pixel(combo, w - combo.ButtonWidth() + 1, 10), face);

    // Hot: the sunken outer edge and a raised button.
    enter(combo);
    EXPECT_TRUE(combo.HotOrFocused());
    EXPECT_EQ(pixel(combo, 0, 0), shadow);
    EXPECT_EQ(pixel(combo, w - 1, 10), ToQColor(clBtnHighlight));
    EXPECT_EQ(pixel(combo, 1, 10), face);
    EXPECT_EQ(pixel(combo, w - combo.ButtonWidth(), 10), ToQColor(cl3DLight));

    // Focused, the mouse leaving keeps the raised look until the focus goes.
    combo.setFocus();
    QApplication::processEvents();
    leave(combo);
    EXPECT_FALSE(combo.MouseInControl());
    EXPECT_EQ(pixel(combo, 0, 0), shadow);
    f.plain->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(pixel(combo, 0, 0), face);

    // Disabled it shows the form's colour; enabled again its own.
    combo.SetColor(clYellow);
    EXPECT_EQ(pixel(combo, 10, 10), ToQColor(clYellow));
    combo.setEnabled(false);
    EXPECT_TRUE(combo.ParentColor());
    EXPECT_EQ(combo.ShownColor(), FromQColor(Qt::red));
    EXPECT_EQ(pixel(combo, 10, 10), QColor(Qt::red));
    combo.setEnabled(true);
    EXPECT_FALSE(combo.ParentColor());
    EXPECT_EQ(combo.Color(), static_cast<TColor>(clYellow));
    EXPECT_EQ(pixel(combo, 10, 10), ToQColor(clYellow));

    // While designing, an enabled box is hot; the mouse does not matter.
    combo.SetDesigning(true);
    EXPECT_TRUE(combo.HotOrFocused());
    combo.setEnabled(false);
    EXPECT_FALSE(combo.HotOrFocused());
}

TEST(ComboBoxKt, TheDroppedListPressesTheButtonUntilThePointerLeavesIt)
{
    FlatForm f;
    TComboBoxKt& combo = *f.combo;
    combo.addItems({"a.htm", "b.htm"});
    enter(combo);
    const QPoint onButton = combo.ButtonRect().center();
    SendMouse(combo, QEvent::MouseButtonPress, onButton);
    ASSERT_TRUE(combo.view()->window()->isVisible());
    EXPECT_EQ(combo.ButtonState(), TCustomComboBoxKt::kButtonPressed | TCustomComboBoxKt::kButtonTracking);
    // Pressed, the button is drawn flat: a shadow line where the raised edge has its light.
    const int left = combo.width() - combo.ButtonWidth();
    EXPECT_EQ(pixel(combo, left, 10), ToQColor(clBtnShadow));
    // Moving within the button keeps it pressed; leaving it clears the press but keeps tracking.
    MoveMouse(combo, onButton + QPoint(1, 0), Qt::LeftButton);
    EXPECT_EQ(combo.ButtonState(), TCustomComboBoxKt::kButtonPressed | TCustomComboBoxKt::kButtonTracking);
    MoveMouse(combo, QPoint(10, 10), Qt::LeftButton);
    EXPECT_EQ(combo.ButtonState(), TCustomComboBoxKt::kButtonTracking);
    combo.hidePopup();
    EXPECT_EQ(combo.ButtonState(), 0);
}

TEST(listComboKt, MultiSelectTextFollowsTheSelection)
{
    QWidget form;
    TlistComboKt combo(&form);
    form.show();
    combo.SetItems(fonts());
    combo.SetMultiselect(true);
    EXPECT_TRUE(combo.Multiselect());
    combo.SetItemIndex(0);
    EXPECT_EQ(combo.text(), "Arial");
    EXPECT_EQ(combo.SelCount(), 1);
    combo.BoxClick();

    pressItem(combo, 2);
    EXPECT_EQ(combo.text(), "Arial,Times");
    EXPECT_TRUE(combo.List()->isVisible()) << "a press inside leaves the list open";
    pressItem(combo, 3);
    EXPECT_EQ(combo.text(), "Arial,Times,Verdana");
    // Deselecting one of three keeps the others in their order.
    pressItem(combo, 2);
    EXPECT_EQ(combo.text(), "Arial,Verdana");
    EXPECT_EQ(combo.SelCount(), 2);
    // Leaving one selected gives that one alone, whichever was pressed last.
    pressItem(combo, 0);
    EXPECT_EQ(combo.text(), "Verdana");
    pressItem(combo, 3);
    EXPECT_EQ(combo.text(), "");
    EXPECT_EQ(combo.SelCount(), 0);

    // Single selection: the pressed item is the text.
    combo.SetMultiselect(false);
    pressItem(combo, 1);
    EXPECT_EQ(combo.text(), "Courier");
    pressItem(combo, 2);
    EXPECT_EQ(combo.text(), "Times");
    EXPECT_EQ(combo.ItemIndex(), 2);
}

TEST(listComboKt, TheListDropsUnderTheComboAndAPressOutsideHidesIt)
{
    QWidget form;
    TlistComboKt combo(&form);
    EXPECT_EQ(combo.size(), QSize(241, 21));
    combo.move(10, 20);
    form.resize(300, 100);
    form.show();
    combo.SetItems(fonts());
    combo.SetListHeight(120);
    EXPECT_FALSE(combo.List()->isVisible());
    Click(*combo.Box());
    ASSERT_TRUE(combo.List()->isVisible());
    EXPECT_TRUE(combo.List()->isWindow());
    EXPECT_EQ(combo.List()->geometry(), QRect(combo.mapToGlobal(QPoint(0, combo.height())), QSize(241, 120)));
    EXPECT_EQ(combo.ListHeight(), 120);
    pressItem(combo, 1);
    EXPECT_TRUE(combo.List()->isVisible());
    // A press outside the list hides and disables it; the text stays.
    SendMouse(*combo.List(), QEvent::MouseButtonPress, QPoint(-20, -5));
    EXPECT_FALSE(combo.List()->isVisible());
    EXPECT_FALSE(combo.List()->isEnabled());
    EXPECT_EQ(combo.text(), "Courier");
    // Dropped again it is enabled.
    combo.BoxClick();
    EXPECT_TRUE(combo.List()->isEnabled());
    combo.List()->hide();
}

TEST(listComboKt, TheButtonFollowsTheWidthAndTheTextLeavesRoomForImages)
{
    QWidget form;
    TlistComboKt combo(&form);
    form.resize(300, 100);
    form.show();
    const int edge = TlistComboKt::kClientEdge;
    // The button stands 5 pixels short of the width, in the client area, 5 pixels lower than it is high.
    EXPECT_EQ(combo.Box()->geometry(), QRect(edge + 241 - 17 - 5, edge, 17, 16));
    combo.resize(150, 22);
    EXPECT_EQ(combo.Box()->geometry(), QRect(edge + 150 - 17 - 5, edge, 17, 17));
    combo.SetBoxWidth(20);
    EXPECT_EQ(combo.BoxWidth(), 20);
    EXPECT_EQ(combo.Box()->x(), edge + 150 - 20 - 5);

    // The text ends 2 pixels before the button and starts after the images.
    EXPECT_EQ(combo.textMargins().left(), 0);
    EXPECT_EQ(combo.contentsRect().right() + 1 - combo.textMargins().right(), combo.Box()->x() - 2);
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::green);
    image.setPixel(0, 15, qRgb(255, 0, 255));
    combo.SetImage(image);
    EXPECT_EQ(combo.textMargins().left(), 22);
    QImage state(10, 16, QImage::Format_RGB32);
    state.fill(Qt::blue);
    state.setPixel(0, 15, qRgb(255, 0, 255));
    combo.SetStateImage(state);
    EXPECT_EQ(combo.textMargins().left(), 10 + 16 + 9);
    combo.SetImage(QImage());
    EXPECT_EQ(combo.textMargins().left(), 16);

    // Both images are drawn at the left, 7 pixels above the middle; the image is transparent
    // where its bottom-left colour is.
    combo.SetImage(image);
    const int y = edge + (22 - 2 * edge) / 2 - 7;
    EXPECT_EQ(pixel(combo, edge + 3, y + 1), QColor(Qt::blue));
    EXPECT_EQ(pixel(combo, edge + 10 + 6 + 1, y + 1), QColor(Qt::green));
    EXPECT_EQ(pixel(combo, edge + 10 + 6, y + 15), ToQColor(clWindow));
}
