// The flat edit (its frame idle and hot, its colour by Enabled, its height by the font, its edit properties) and the router of dropped-down menus.
#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMenu>
#include <QStatusTipEvent>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "platform/GraphicsQt.h"
#include "platform/Menus.h"
#include "platform/core/HelpIndex.h"
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

namespace {

// A form that keeps the status tips it is shown, as the main window's hint panel does.
class HintForm : public QWidget {
public:
    QString hint = "none";
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::StatusTip) {
            hint = static_cast<QStatusTipEvent*>(event)->tip();
            return true;
        }
        return QWidget::event(event);
    }
};

struct HelpCall {
    QWidget* form;
    unsigned command;
    int context;
};

// Records the help requests while it lives.
struct RecordedHelp {
    std::vector<HelpCall> calls;
    TDropdownList::THelpRunner previous;
    RecordedHelp()
    {
        previous = TDropdownList::SetHelpRunner(
            [this](QWidget* form, unsigned command, int context) { calls.push_back({form, command, context}); });
    }
    ~RecordedHelp() { TDropdownList::SetHelpRunner(std::move(previous)); }
};

void pressF1(QMenu& menu)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QApplication::sendEvent(&menu, &press);
}

TEST(TDropdownList, TheRouterLivesWhileAMenuIsListed)
{
    ASSERT_EQ(TDropdownList::Instance(), nullptr);
    auto first = std::make_unique<QMenu>();
    auto second = std::make_unique<QMenu>();
    TDropdownList::AddMenu(first.get());
    TDropdownList* router = TDropdownList::Instance();
    ASSERT_NE(router, nullptr);
    TDropdownList::AddMenu(first.get());
    TDropdownList::AddMenu(second.get());
    EXPECT_EQ(router->Menus(), (std::vector<QMenu*>{first.get(), second.get()}));
    first.reset(); // a destroyed menu leaves the list
    ASSERT_EQ(TDropdownList::Instance(), router);
    EXPECT_EQ(router->Menus(), std::vector<QMenu*>{second.get()});
    TDropdownList::RemoveMenu(second.get());
    EXPECT_EQ(TDropdownList::Instance(), nullptr);
    TDropdownList::AddMenu(second.get());
    EXPECT_NE(TDropdownList::Instance(), nullptr);
    second.reset();
    EXPECT_EQ(TDropdownList::Instance(), nullptr);
}

TEST(TDropdownList, HoveredItemsSetTheHintAndF1OpensTheirHelp)
{
    HintForm form;
    form.setWindowFlags(Qt::Window);
    form.show();
    QApplication::setActiveWindow(&form);
    QApplication::processEvents();
    ASSERT_EQ(QApplication::activeWindow(), &form);

    QMenu menu(&form);
    QAction* withHelp = menu.addAction("Con ayuda");
    withHelp->setStatusTip("Inserta una tabla");
    SetHelpContext(withHelp, 12);
    QAction* without = menu.addAction("Sin ayuda");
    without->setStatusTip("Otra cosa");
    QMenu* sub = menu.addMenu("Más");
    SetHelpContext(sub->menuAction(), 40);
    QAction* inSub = sub->addAction("Dentro");
    inSub->setStatusTip("En el submenú");
    QMenu unlisted;
    QAction* stranger = unlisted.addAction("Ajeno");
    stranger->setStatusTip("No listado");
    TDropdownList::AddMenu(&menu);
    TDropdownList* router = TDropdownList::Instance();
    ASSERT_NE(router, nullptr);

    // Hovering an item shows its hint; an item of a submenu is found through its menu; one of no
    // listed menu clears the hint, as closing the menu does.
    withHelp->hover();
    EXPECT_EQ(form.hint, "Inserta una tabla");
    inSub->hover();
    EXPECT_EQ(form.hint, "En el submenú");
    EXPECT_EQ(router->MenuOfItem(inSub), &menu);
    router->MenuSelect(stranger);
    EXPECT_EQ(form.hint, "");
    without->hover();
    EXPECT_EQ(form.hint, "Otra cosa");
    QMetaObject::invokeMethod(&menu, "aboutToHide");
    EXPECT_EQ(form.hint, "");

    // F1 on an item: its help context, 0 without one; in a submenu without one, the submenu's item's.
    RecordedHelp help;
    menu.setActiveAction(withHelp);
    pressF1(menu);
    menu.setActiveAction(without);
    pressF1(menu);
    sub->setActiveAction(inSub);
    pressF1(*sub);
    ASSERT_EQ(help.calls.size(), 3u);
    EXPECT_EQ(help.calls[0].context, 12);
    EXPECT_EQ(help.calls[0].command, HELP_CONTEXT);
    EXPECT_EQ(help.calls[0].form, &form);
    EXPECT_EQ(help.calls[1].context, 0);
    EXPECT_EQ(help.calls[2].context, 40);

    // A form that shows the help button gets the help as a pop-up.
    form.setWindowFlags(Qt::Dialog | Qt::WindowContextHelpButtonHint);
    form.show();
    QApplication::setActiveWindow(&form);
    menu.setActiveAction(withHelp);
    pressF1(menu);
    ASSERT_EQ(help.calls.size(), 4u);
    EXPECT_EQ(help.calls[3].command, HELP_CONTEXTPOPUP);
    EXPECT_EQ(help.calls[3].context, 12);

    // F1 in a menu that is not listed is left to the menu.
    unlisted.setActiveAction(stranger);
    pressF1(unlisted);
    EXPECT_EQ(help.calls.size(), 4u);
    TDropdownList::RemoveMenu(&menu);
    EXPECT_EQ(TDropdownList::Instance(), nullptr);
}

} // namespace
