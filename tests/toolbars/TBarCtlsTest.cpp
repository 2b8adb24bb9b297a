// The flat edit: its frame idle and hot, its colour by Enabled, its height by the font, and its edit properties.
#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/GraphicsQt.h"
#include "toolbars/TBarCtls.h"

namespace {

QImage grab(TEditKt& edit)
{
    return edit.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QColor faceColor() { return ToQColor(clBtnFace); }
QColor windowColor() { return ToQColor(clWindow); }
QColor shadowColor() { return ToQColor(clBtnShadow); }

void enter(TEditKt& edit)
{
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), edit.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&edit, &event);
}

void leave(TEditKt& edit)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&edit, &event);
}

// A form with two flat edits.
struct TwoEdits {
    QWidget form;
    QLineEdit* plain = new QLineEdit(&form); // holds the focus at first
    TEditKt* first = new TEditKt(&form);
    TEditKt* second = new TEditKt(&form);
    TwoEdits()
    {
        first->setGeometry(5, 5, 60, 22);
        second->setGeometry(5, 40, 60, 22);
        plain->setGeometry(70, 5, 25, 22);
        form.resize(100, 80);
        form.show();
        QApplication::setActiveWindow(&form);
        plain->setFocus();
        QApplication::processEvents();
        // The pointer starts wherever the display put it: it leaves both.
        leave(*first);
        leave(*second);
    }
};

TEST(TEditKt, TheFrameIsFlatWhileIdleAndSunkenWhileHot)
{
    TwoEdits w;
    TEditKt& first = *w.first;
    EXPECT_EQ(first.height(), 22);
    EXPECT_FALSE(first.hasFocus());
    EXPECT_FALSE(first.Hot());
    QImage idle = grab(first);
    // Idle: two rings of button face, then one of window colour.
    EXPECT_EQ(idle.pixelColor(0, 10), faceColor());
    EXPECT_EQ(idle.pixelColor(1, 10), faceColor());
    EXPECT_EQ(idle.pixelColor(30, 1), faceColor());
    EXPECT_EQ(idle.pixelColor(2, 10), windowColor());
    EXPECT_EQ(idle.pixelColor(59, 21), faceColor());

    // Under the pointer with no flat edit focused: hot, a sunken outer edge.
    enter(first);
    EXPECT_TRUE(first.MouseInControl());
    EXPECT_TRUE(first.Hot());
    QImage hot = grab(first);
    EXPECT_EQ(hot.pixelColor(0, 10), shadowColor());
    EXPECT_EQ(hot.pixelColor(1, 10), faceColor()); // the button-face column inside
    EXPECT_EQ(hot.pixelColor(2, 10), windowColor());
    leave(first);
    EXPECT_FALSE(first.Hot());

    // Tabbing into the second: hovering the first keeps it flat while the second has the focus.
    w.first->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(w.first->Hot());
    w.second->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(w.second->hasFocus());
    EXPECT_TRUE(w.second->Hot());
    enter(first);
    EXPECT_FALSE(first.Hot());
    EXPECT_EQ(grab(first).pixelColor(0, 10), faceColor());
    EXPECT_EQ(grab(*w.second).pixelColor(0, 10), shadowColor());
    leave(first);
}

TEST(TEditKt, TheColourFollowsEnabledAndTheHeightTheFont)
{
    TEditKt edit;
    EXPECT_EQ(edit.height(), 19);
    EXPECT_EQ(edit.Color(), clWindow);
    edit.resize(60, 19);
    edit.setEnabled(false);
    EXPECT_EQ(edit.Color(), clBtnFace);
    EXPECT_EQ(grab(edit).pixelColor(30, 10), faceColor());
    EXPECT_FALSE(edit.Hot());
    edit.setEnabled(true);
    EXPECT_EQ(edit.Color(), clWindow);
    EXPECT_EQ(grab(edit).pixelColor(30, 10), windowColor());

    // Before loading the font leaves the height alone; after, the height is the text height + 6.
    QFont font = edit.font();
    font.setPixelSize(30);
    edit.setFont(font);
    EXPECT_EQ(edit.height(), 19);
    edit.Loaded();
    EXPECT_EQ(edit.height(), QFontMetrics(font).height() + 6);
    font.setPixelSize(11);
    edit.setFont(font);
    EXPECT_EQ(edit.height(), QFontMetrics(font).height() + 6);
}

TEST(TEditKt, EditPropertiesKeepTheirDefaultsAndApply)
{
    TEditKt edit;
    EXPECT_EQ(edit.CharCase(), ecNormal);
    EXPECT_EQ(edit.MaxLength(), 0);
    EXPECT_EQ(edit.PasswordChar(), '\0');
    EXPECT_TRUE(edit.HideSelection());
    EXPECT_FALSE(edit.isReadOnly());
    EXPECT_EQ(edit.echoMode(), QLineEdit::Normal);

    edit.SetCharCase(ecUpperCase);
    edit.setText("abc Ñ");
    EXPECT_EQ(edit.text(), QString("ABC Ñ"));
    edit.SetCharCase(ecLowerCase);
    EXPECT_EQ(edit.text(), QString("abc ñ"));
    edit.SetCharCase(ecNormal);
    edit.setText("MiXto");
    EXPECT_EQ(edit.text(), "MiXto");

    edit.SetMaxLength(3);
    edit.setText("abcdef");
    EXPECT_EQ(edit.text(), "abc");
    edit.SetMaxLength(0);
    edit.setText("abcdef");
    EXPECT_EQ(edit.text(), "abcdef");

    edit.SetPasswordChar('*');
    EXPECT_EQ(edit.echoMode(), QLineEdit::Password);
    edit.SetPasswordChar('\0');
    EXPECT_EQ(edit.echoMode(), QLineEdit::Normal);

    // A hidden selection shows as plain text without the focus; shown, in the highlight colour.
    const QPalette::ColorGroup inactive = QPalette::Inactive;
    EXPECT_EQ(edit.palette().color(inactive, QPalette::Highlight), edit.palette().color(inactive, QPalette::Base));
    edit.SetHideSelection(false);
    EXPECT_EQ(edit.palette().color(inactive, QPalette::Highlight),
              QApplication::palette(&edit).color(inactive, QPalette::Highlight));
}

} // namespace
