// The flat toolbar button: its properties and size, presses with and without a menu, groups, hot
// tracking, repeat, the shared glyph lists and what it paints.
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

#include "components/ComponentTestSupport.h"
#include "platform/GraphicsQt.h"
#include "platform/Menus.h"
#include "platform/core/Exception.h"
#include "toolbars/TBarCtls.h"

namespace {

// A parent window that paints a known background, with buttons on it.
struct Host {
    QWidget window;
    Host()
    {
        window.resize(200, 100);
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(10, 200, 30));
        window.setPalette(palette);
    }
    TToolbarButtonKt* Add(int x)
    {
        auto* button = new TToolbarButtonKt(&window);
        button->move(x, 10);
        button->show();
        return button;
    }
};

// The pointer stands over whatever `over` names while the test runs.
struct Pointer {
    QWidget* over = nullptr;
    Pointer() { TToolbarButtonKt::SetControlAtPointerFinder([this] { return over; }); }
    ~Pointer() { TToolbarButtonKt::SetControlAtPointerFinder(nullptr); }
};

QImage grabButton(Host& host, TToolbarButtonKt& button)
{
    return host.window.grab(button.geometry()).toImage().convertToFormat(QImage::Format_RGB32);
}

QImage strip(int width, int height, QColor back)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(back);
    return image;
}

} // namespace

TEST(TToolbarButtonKt, DefaultsSizesAndNumberOfImages)
{
    Host host;
    TToolbarButtonKt* button = host.Add(0);
    EXPECT_EQ(button->width(), 23);
    EXPECT_EQ(button->height(), 22);
    EXPECT_TRUE(button->Flat());
    EXPECT_TRUE(button->Opaque());
    EXPECT_TRUE(button->DropdownArrow());
    EXPECT_FALSE(button->DropdownCombo());
    EXPECT_EQ(button->DisplayMode(), dmBoth);
    EXPECT_EQ(button->Spacing(), 4);
    EXPECT_EQ(button->Margin(), -1);
    EXPECT_EQ(button->RepeatDelay(), 400);
    EXPECT_EQ(button->RepeatInterval(), 100);
    EXPECT_EQ(button->ImageIndex(), -1);
    EXPECT_EQ(button->State(), bsUp);
    EXPECT_EQ(ButtonMouseTimer()->interval(), 125);
    EXPECT_GE(ToolbarButtonCount(), 1);
    EXPECT_EQ(GetDockTypeOf(button), dtNotDocked);

    button->SetDropdownCombo(true);
    EXPECT_EQ(button->width(), 23 + 11);
    EXPECT_EQ(button->sizeHint(), QSize(23 + 11, 22));
    button->SetDropdownCombo(false);
    EXPECT_EQ(button->width(), 23);
    // A layout gives a plain button its plain size, and a captioned one room for the caption.
    EXPECT_EQ(button->sizeHint(), QSize(23, 22));
    button->SetCaption("&Insertar la imagen elegida");
    EXPECT_GT(button->sizeHint().width(), 23 + 60);
    EXPECT_EQ(button->sizeHint().height(), 22);
    button->SetDisplayMode(dmGlyphOnly);
    EXPECT_EQ(button->sizeHint(), QSize(23, 22));
    button->SetDisplayMode(dmBoth);
    button->SetCaption("");
    button->SetMargin(-5);
    EXPECT_EQ(button->Margin(), -1);

    button->SetNumGlyphs(0);
    EXPECT_EQ(button->NumGlyphs(), 1);
    button->SetNumGlyphs(9);
    EXPECT_EQ(button->NumGlyphs(), 5);
    button->SetGlyph(strip(80, 16, Qt::red));
    EXPECT_EQ(button->NumGlyphs(), 5);
    button->SetGlyph(strip(96, 16, Qt::red));
    EXPECT_EQ(button->NumGlyphs(), 1);
    button->SetGlyph(strip(32, 16, Qt::red));
    EXPECT_EQ(button->NumGlyphs(), 2);
    button->SetGlyph(strip(30, 16, Qt::red));
    EXPECT_EQ(button->NumGlyphs(), 1);
}

TEST(TToolbarButtonKt, ComboPressOpensMenuOnlyFromItsRightPart)
{
    Host host;
    host.window.show();
    TToolbarButtonKt* button = host.Add(10);
    TPopupMenu menu;
    menu.addAction("Uno");
    button->SetDropdownMenu(&menu);
    button->SetDropdownCombo(true);
    int clicks = 0;
    button->OnClick = [&](TToolbarButtonKt*) { ++clicks; };

    bool sawMenuDown = false;
    const bool shown = WithPopupMenu([&] { SendMouse(*button, QEvent::MouseButtonPress, {button->width() - 5, 10}); },
                                     [&](QMenu& open) {
                                         EXPECT_EQ(&open, &menu);
                                         EXPECT_EQ(menu.PopupComponent(), button);
                                         EXPECT_EQ(open.pos(), button->mapToGlobal(QPoint(0, button->height())));
                                         sawMenuDown = button->MenuIsDown();
                                         open.close();
                                     });
    EXPECT_TRUE(shown);
    EXPECT_TRUE(sawMenuDown);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button->MenuIsDown());
    EXPECT_EQ(button->State(), bsUp);
    SendMouse(*button, QEvent::MouseButtonRelease, {button->width() - 5, 10});
    EXPECT_EQ(clicks, 0);

    // The main part clicks on release, with no menu.
    SendMouse(*button, QEvent::MouseButtonPress, {5, 10});
    EXPECT_EQ(button->State(), bsDown);
    EXPECT_TRUE(button->Dragging());
    EXPECT_EQ(clicks, 0);
    SendMouse(*button, QEvent::MouseButtonRelease, {5, 10});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->State(), bsUp);
    // Released outside: no click.
    SendMouse(*button, QEvent::MouseButtonPress, {5, 10});
    MoveMouse(*button, {60, 10}, Qt::LeftButton);
    EXPECT_EQ(button->State(), bsUp);
    SendMouse(*button, QEvent::MouseButtonRelease, {60, 10});
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->PointInButton(button->width() - 11, 5));
    EXPECT_TRUE(button->PointInButton(button->width() - 12, 5));
}

TEST(TToolbarButtonKt, PlainButtonWithMenuClicksThenOpensOnPress)
{
    Host host;
    host.window.show();
    TToolbarButtonKt* button = host.Add(10);
    TToolbarButtonKt* other = host.Add(100);
    TPopupMenu menu;
    menu.addAction("Uno");
    button->SetDropdownMenu(&menu);
    int clicks = 0;
    int otherClicks = 0;
    int clicksWhenOpen = -1;
    button->OnClick = [&](TToolbarButtonKt*) { ++clicks; };
    other->OnClick = [&](TToolbarButtonKt*) { ++otherClicks; };

    const bool shown = WithPopupMenu([&] { SendMouse(*button, QEvent::MouseButtonPress, {5, 5}); },
                                     [&](QMenu& open) {
                                         clicksWhenOpen = clicks;
                                         EXPECT_EQ(button->State(), bsDown);
                                         // The press that closes the menu over this button is kept by the menu.
                                         SendMouse(open, QEvent::MouseButtonPress,
                                                   open.mapFromGlobal(button->mapToGlobal(QPoint(5, 5))));
                                         EXPECT_TRUE(open.testAttribute(Qt::WA_NoMouseReplay));
                                         open.close();
                                     });
    EXPECT_TRUE(shown);
    EXPECT_EQ(clicksWhenOpen, 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(button->State(), bsUp);
    EXPECT_EQ(menu.Alignment(), paLeft);

    // Closed over another button: the press is given back, and a click there arrives.
    WithPopupMenu([&] { SendMouse(*button, QEvent::MouseButtonPress, {5, 5}); },
                  [&](QMenu& open) {
                      SendMouse(open, QEvent::MouseButtonPress, open.mapFromGlobal(other->mapToGlobal(QPoint(5, 5))));
                      EXPECT_FALSE(open.testAttribute(Qt::WA_NoMouseReplay));
                      open.close();
                  });
    Click(*other, {5, 5});
    EXPECT_EQ(otherClicks, 1);
    EXPECT_EQ(clicks, 2);

    // A menu destroyed first leaves the button without one.
    {
        auto gone = std::make_unique<TPopupMenu>();
        other->SetDropdownMenu(gone.get());
    }
    EXPECT_EQ(other->DropdownMenu(), nullptr);
}

TEST(TToolbarButtonKt, GroupsLatchAndReleaseSilently)
{
    Host host;
    TToolbarButtonKt* a = host.Add(0);
    TToolbarButtonKt* b = host.Add(30);
    a->SetGroupIndex(3);
    b->SetGroupIndex(3);
    int events = 0;
    a->OnClick = b->OnClick = [&](TToolbarButtonKt*) { ++events; };
    a->OnMouseExit = b->OnMouseExit = [&](TToolbarButtonKt*) { ++events; };

    a->SetDown(true);
    EXPECT_EQ(a->State(), bsExclusive);
    b->SetDown(true);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->State(), bsUp);
    EXPECT_EQ(events, 0);

    // Without AllowAllUp the down button stays down.
    b->SetDown(false);
    EXPECT_TRUE(b->Down());
    Click(*b, {5, 5});
    EXPECT_TRUE(b->Down());
    // AllowAllUp spreads over the group and lets it go.
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp());
    Click(*b, {5, 5});
    EXPECT_FALSE(b->Down());
    // A click on the other latches it.
    Click(*a, {5, 5});
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), bsExclusive);

    // No group: Down stays False.
    TToolbarButtonKt* c = host.Add(60);
    c->SetDown(true);
    EXPECT_FALSE(c->Down());
}

TEST(TToolbarButtonKt, HotTrackingHasOneHotButton)
{
    Host host;
    host.window.show();
    Pointer pointer;
    TToolbarButtonKt* a = host.Add(0);
    TToolbarButtonKt* b = host.Add(30);
    a->SetShowBorderWhenInactive(true);
    b->SetShowBorderWhenInactive(true);
    int enters = 0;
    int exits = 0;
    a->OnMouseEnter = b->OnMouseEnter = [&](TToolbarButtonKt*) { ++enters; };
    a->OnMouseExit = b->OnMouseExit = [&](TToolbarButtonKt*) { ++exits; };

    pointer.over = a;
    MoveMouse(*a, {5, 5});
    EXPECT_EQ(HotButton(), a);
    EXPECT_EQ(a->State(), bsMouseIn);
    EXPECT_TRUE(ButtonMouseTimer()->isActive());
    pointer.over = b;
    MoveMouse(*b, {5, 5});
    EXPECT_EQ(HotButton(), b);
    EXPECT_FALSE(a->MouseInControl());
    EXPECT_EQ(a->State(), bsUp);
    EXPECT_EQ(enters, 2);
    EXPECT_EQ(exits, 1);

    // The timer's handler ends it once the pointer is elsewhere.
    pointer.over = &host.window;
    b->ButtonMouseTimerHandler();
    EXPECT_EQ(HotButton(), nullptr);
    EXPECT_FALSE(b->MouseInControl());
    EXPECT_FALSE(ButtonMouseTimer()->isActive());

    // A mouse move of the thread elsewhere ends it.
    pointer.over = a;
    MoveMouse(*a, {5, 5});
    ASSERT_EQ(HotButton(), a);
    TToolbarButtonKt::ButtonHookProc(hcMouseMove, &host.window, 0, 0);
    EXPECT_EQ(HotButton(), a);
    pointer.over = nullptr;
    TToolbarButtonKt::ButtonHookProc(hcMouseMove, &host.window, 0, 0);
    EXPECT_EQ(HotButton(), nullptr);

    // Deactivation ends it unless the button shows its border while inactive.
    pointer.over = a;
    MoveMouse(*a, {5, 5});
    TToolbarButtonKt::ButtonHookProc(hcActivateApp, nullptr, 0, 0);
    EXPECT_EQ(HotButton(), a);
    a->SetShowBorderWhenInactive(false);
    TToolbarButtonKt::ButtonHookProc(hcActivateApp, nullptr, 1, 0);
    EXPECT_EQ(HotButton(), a);
    TToolbarButtonKt::ButtonHookProc(hcActivateApp, nullptr, 0, 0);
    EXPECT_EQ(HotButton(), nullptr);
    EXPECT_FALSE(a->MouseInControl());

    // A disabled button never turns hot.
    b->setEnabled(false);
    EXPECT_EQ(b->State(), bsDisabled);
    b->MouseEntered();
    EXPECT_FALSE(b->MouseInControl());
    b->setEnabled(true);
    EXPECT_EQ(b->State(), bsUp);
}

TEST(TToolbarButtonKt, RepeatClicksOncePerTickWhileHeldInside)
{
    Host host;
    host.window.show();
    Pointer pointer;
    TToolbarButtonKt* button = host.Add(0);
    button->SetRepeating(true);
    int clicks = 0;
    button->OnClick = [&](TToolbarButtonKt*) { ++clicks; };
    pointer.over = button;
    SendMouse(*button, QEvent::MouseButtonPress, {5, 5});
    EXPECT_EQ(clicks, 1);
    ASSERT_NE(button->RepeatTimer(), nullptr);
    EXPECT_EQ(button->RepeatTimer()->interval(), 400);
    button->RepeatTimerHandler();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(button->RepeatTimer()->interval(), 100);
    button->RepeatTimerHandler();
    EXPECT_EQ(clicks, 3);
    pointer.over = &host.window;
    button->RepeatTimerHandler();
    EXPECT_EQ(clicks, 3);
    EXPECT_FALSE(button->RepeatTimer()->isActive());
    SendMouse(*button, QEvent::MouseButtonRelease, {5, 5});
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(button->RepeatTimer(), nullptr);
}

TEST(TToolbarButtonKt, GlyphListsAreSharedBySize)
{
    {
        Host host;
        TToolbarButtonKt* a = host.Add(0);
        TToolbarButtonKt* b = host.Add(30);
        a->SetGlyph(strip(16, 16, Qt::blue));
        b->SetGlyph(strip(16, 16, Qt::red));
        const auto [listA, slotA] = a->ButtonGlyph().CreateButtonGlyph(bsUp);
        const auto [listB, slotB] = b->ButtonGlyph().CreateButtonGlyph(bsUp);
        ASSERT_NE(listA, nullptr);
        EXPECT_EQ(listA, listB);
        EXPECT_NE(slotA, slotB);
        EXPECT_EQ(listA->UsedCount(), 2);
        // A state without its own image uses the up image.
        EXPECT_EQ(a->ButtonGlyph().CreateButtonGlyph(bsMouseIn).second, slotA);
        // A freed slot is reused.
        a->SetGlyph(strip(16, 16, Qt::green));
        EXPECT_EQ(listB->UsedCount(), 1);
        EXPECT_EQ(a->ButtonGlyph().CreateButtonGlyph(bsUp).second, slotA);
        EXPECT_EQ(ToolbarGlyphCache()->ListCount(), 1);
        // An empty glyph builds nothing.
        TToolbarButtonKt* c = host.Add(60);
        EXPECT_EQ(c->ButtonGlyph().CreateButtonGlyph(bsUp).second, -1);
    }
    EXPECT_EQ(ToolbarGlyphCache(), nullptr);

    TToolbarGlyphList list(16, 16);
    EXPECT_THROW(list.AddMasked(strip(8, 16, Qt::red), clBtnFace), EInvalidOperation);
    try {
        list.ReplaceMasked(0, strip(16, 8, Qt::red), clBtnFace);
        ADD_FAILURE();
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Invalid image size");
    }
    EXPECT_EQ(list.AddMasked(strip(16, 16, Qt::red), clBtnFace), 0);
    list.Delete(0);
    EXPECT_EQ(list.UsedCount(), 0);
    EXPECT_EQ(list.Count(), 1);
    list.Delete(0);
    EXPECT_EQ(list.UsedCount(), 0);
    try {
        list.ReplaceMasked(5, strip(16, 16, Qt::red), clBtnFace);
        ADD_FAILURE();
    } catch (const EInvalidOperation& e) {
        EXPECT_STREQ(e.what(), "Unable to Replace Image");
    }
}

TEST(TToolbarButtonKt, DisabledSingleImageIsEmbossedOnePixelLarger)
{
    Host host;
    TToolbarButtonKt* button = host.Add(0);
    QImage glyph = strip(16, 16, QColor(255, 0, 255));
    glyph.setPixel(4, 4, qRgb(0, 0, 0));
    button->SetGlyph(glyph);
    const auto [list, slot] = button->ButtonGlyph().CreateButtonGlyph(bsDisabled);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Width(), 17);
    EXPECT_EQ(list->Height(), 17);
    const QImage image = list->Image(slot);
    EXPECT_EQ(image.pixel(5, 5), ToQColor(clBtnHighlight).rgba());
    EXPECT_EQ(image.pixel(4, 4), ToQColor(clBtnShadow).rgba());
    EXPECT_EQ(qAlpha(image.pixel(10, 10)), 0);
    EXPECT_EQ(qAlpha(image.pixel(16, 16)), 0);
    EXPECT_EQ(button->ButtonGlyph().CachedIndex(false, bsDisabled), slot);

    // The old style takes the black pixels as the shape as well.
    button->SetOldDisabledStyle(true);
    EXPECT_EQ(button->ButtonGlyph().CachedIndex(false, bsDisabled), -1);
    const auto [oldList, oldSlot] = button->ButtonGlyph().CreateButtonGlyph(bsDisabled);
    const QImage old = oldList->Image(oldSlot);
    EXPECT_EQ(old.pixel(5, 5), ToQColor(clBtnHighlight).rgba());
    EXPECT_EQ(old.pixel(4, 4), ToQColor(clBtnShadow).rgba());
    EXPECT_EQ(qAlpha(old.pixel(10, 10)), 0);

    // A strip's own disabled image keeps its shape; white turns highlight, grey shadow.
    QImage two = strip(32, 16, QColor(255, 0, 255));
    two.setPixel(16 + 2, 2, qRgb(255, 255, 255));
    two.setPixel(16 + 3, 3, qRgb(128, 128, 128));
    button->SetGlyph(two);
    ASSERT_EQ(button->NumGlyphs(), 2);
    const auto [ownList, ownSlot] = button->ButtonGlyph().CreateButtonGlyph(bsDisabled);
    const QImage own = ownList->Image(ownSlot);
    EXPECT_EQ(own.pixel(2, 2), ToQColor(clBtnHighlight).rgba());
    EXPECT_EQ(own.pixel(3, 3), ToQColor(clBtnShadow).rgba());
    EXPECT_EQ(qAlpha(own.pixel(8, 8)), 0);
    EXPECT_EQ(qAlpha(own.pixel(16, 16)), 0);
}

TEST(TToolbarButtonKt, PaintsFrameOnlyWhileHotAndPatternWhenLatched)
{
    Host host;
    host.window.show();
    Pointer pointer;
    TToolbarButtonKt* button = host.Add(10);
    button->SetShowBorderWhenInactive(true);
    const QRgb face = ToQColor(clBtnFace).rgb();
    const QRgb parent = qRgb(10, 200, 30);

    QImage idle = grabButton(host, *button);
    EXPECT_EQ(idle.pixel(0, 0), face);
    EXPECT_EQ(idle.pixel(22, 21), face);

    // Flat and transparent: the parent's background shows.
    button->SetOpaque(false);
    idle = grabButton(host, *button);
    EXPECT_EQ(idle.pixel(0, 0), parent);
    EXPECT_EQ(idle.pixel(11, 11), parent);
    pointer.over = button;
    MoveMouse(*button, {5, 5});
    ASSERT_TRUE(button->MouseInControl());
    const QImage hot = grabButton(host, *button);
    EXPECT_EQ(hot.pixel(0, 0), ToQColor(clBtnHighlight).rgb());
    EXPECT_EQ(hot.pixel(22, 21), ToQColor(clBtnShadow).rgb());
    EXPECT_EQ(hot.pixel(11, 11), parent);
    pointer.over = nullptr;
    button->ButtonMouseTimerHandler();
    EXPECT_EQ(grabButton(host, *button).pixel(0, 0), parent);

    // Latched: the checkered pattern fills the inside, but not while hot.
    button->SetOpaque(true);
    button->SetGroupIndex(1);
    button->SetAllowAllUp(true);
    button->SetDown(true);
    const QImage latched = grabButton(host, *button);
    ASSERT_NE(ToolbarButtonPattern(), nullptr);
    EXPECT_EQ(latched.pixel(0, 0), ToQColor(clBtnShadow).rgb());
    EXPECT_EQ(latched.pixel(2, 2), ToQColor(clBtnHighlight).rgb());
    EXPECT_EQ(latched.pixel(3, 2), face);
    pointer.over = button;
    MoveMouse(*button, {5, 5});
    const QImage latchedHot = grabButton(host, *button);
    EXPECT_EQ(latchedHot.pixel(2, 2), face);
    EXPECT_EQ(latchedHot.pixel(3, 2), face);

    // A system colour change that changes nothing keeps the pattern and rebuilds the state image.
    button->SetGlyph(strip(16, 16, Qt::blue));
    button->ButtonGlyph().CreateButtonGlyph(bsUp);
    button->SysColorChange();
    EXPECT_NE(ToolbarButtonPattern(), nullptr);
    EXPECT_NE(button->ButtonGlyph().CachedIndex(true, bsUp), -1);

    // A non-flat button has its raised frame always.
    button->SetDown(false);
    button->SetFlat(false);
    pointer.over = nullptr;
    button->ButtonMouseTimerHandler();
    const QImage raised = grabButton(host, *button);
    EXPECT_NE(raised.pixel(0, 0), face);

    // The combo's arrow sits at (Width - 13, Height / 2 - 1) in the font colour.
    TToolbarButtonKt* combo = host.Add(60);
    TPopupMenu menu;
    combo->SetDropdownMenu(&menu);
    combo->SetDropdownCombo(true);
    const QImage arrow = grabButton(host, *combo);
    const int ax = combo->width() - 13;
    const int ay = combo->height() / 2 - 1;
    const QRgb text = combo->palette().color(QPalette::ButtonText).rgb();
    EXPECT_EQ(arrow.pixel(ax + 4, ay), text);
    EXPECT_EQ(arrow.pixel(ax + 8, ay), text);
    EXPECT_EQ(arrow.pixel(ax + 6, ay + 2), text);
    EXPECT_EQ(arrow.pixel(ax + 4, ay + 2), face);
}

TEST(TToolbarButtonKt, KeysAndAccelerators)
{
    Host host;
    host.window.show();
    TToolbarButtonKt* button = host.Add(0);
    button->SetCaption("&Abrir");
    int clicks = 0;
    button->OnClick = [&](TToolbarButtonKt*) { ++clicks; };
    EXPECT_FALSE(button->DialogKey(Qt::Key_Return, Qt::NoModifier));
    button->SetDefault(true);
    EXPECT_FALSE(button->DialogKey(Qt::Key_Return, Qt::ShiftModifier));
    EXPECT_TRUE(button->DialogKey(Qt::Key_Return, Qt::NoModifier));
    button->SetCancel(true);
    EXPECT_TRUE(button->DialogKey(Qt::Key_Escape, Qt::NoModifier));
    EXPECT_TRUE(button->DialogChar('a'));
    EXPECT_FALSE(button->DialogChar('b'));
    button->SetDisplayMode(dmGlyphOnly);
    EXPECT_FALSE(button->DialogChar('a'));
    EXPECT_EQ(clicks, 3);
}

namespace {

// A key pressed where the keyboard is: what the focused control leaves goes up to its window.
bool pressKey(QWidget& focused, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_Escape ? QString() : QStringLiteral("\r"));
    QApplication::sendEvent(&focused, &event);
    return event.isAccepted();
}

} // namespace

TEST(TToolbarButtonKt, EnterAndEscLeftByTheControlsOfADialogClickItsDefaultAndCancelButtons)
{
    QDialog dialog;
    auto* edit = new QLineEdit(&dialog);
    auto* memo = new QPlainTextEdit(&dialog);
    memo->move(0, 30);
    auto* ok = new TToolbarButtonKt(&dialog);
    auto* cancel = new TToolbarButtonKt(&dialog);
    ok->move(0, 100);
    cancel->move(30, 100);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    int oks = 0;
    int cancels = 0;
    ok->OnClick = [&](TToolbarButtonKt*) { ++oks; };
    cancel->OnClick = [&](TToolbarButtonKt*) { ++cancels; };
    dialog.show();

    // From a one-line edit Enter and keypad Enter reach the Default button, Esc the Cancel one,
    // which keeps the dialog open (its ModalResult is 0).
    pressKey(*edit, Qt::Key_Return);
    pressKey(*edit, Qt::Key_Enter);
    pressKey(*edit, Qt::Key_Escape);
    EXPECT_EQ(oks, 2);
    EXPECT_EQ(cancels, 1);
    EXPECT_TRUE(dialog.isVisible());
    // A multi-line edit keeps its Enter.
    pressKey(*memo, Qt::Key_Return);
    EXPECT_EQ(oks, 2);
    EXPECT_EQ(memo->blockCount(), 2);
    // A disabled Default button leaves the key to the dialog.
    ok->setEnabled(false);
    pressKey(*edit, Qt::Key_Return);
    EXPECT_EQ(oks, 2);
    // Shown again, one Enter is still one click.
    ok->setEnabled(true);
    dialog.hide();
    dialog.show();
    pressKey(*edit, Qt::Key_Return);
    EXPECT_EQ(oks, 3);

    // The main window is no dialog: its Default button takes no Enter.
    QMainWindow window;
    auto* central = new QLineEdit(&window);
    window.setCentralWidget(central);
    auto* inWindow = new TToolbarButtonKt(&window);
    inWindow->SetDefault(true);
    int windowClicks = 0;
    inWindow->OnClick = [&](TToolbarButtonKt*) { ++windowClicks; };
    window.show();
    pressKey(*central, Qt::Key_Return);
    EXPECT_EQ(windowClicks, 0);
}

TEST(TToolbarButtonKt, ButtonDestroyedByItsClickIsLeftAlone)
{
    Host host;
    host.window.show();
    TToolbarButtonKt* button = host.Add(0);
    TToolbarButtonKt* repeating = host.Add(30);
    repeating->SetRepeating(true);
    int clicks = 0;
    button->OnClick = [&](TToolbarButtonKt* sender) {
        ++clicks;
        delete sender;
    };
    repeating->OnClick = button->OnClick;
    Click(*button, {5, 5});
    SendMouse(*repeating, QEvent::MouseButtonPress, {5, 5});
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(host.window.findChildren<TToolbarButtonKt*>().isEmpty());
    EXPECT_EQ(HotButton(), nullptr);
}

TEST(TToolbarButtonKt, ImageListImagesReplaceTheGlyph)
{
    Host host;
    TToolbarButtonKt* button = host.Add(0);
    TImageList images(16, 16);
    QImage picture = strip(16, 16, QColor(0, 0, 200));
    images.Add(picture, QImage());
    button->SetGlyph(strip(32, 16, Qt::red));
    ASSERT_EQ(button->NumGlyphs(), 2);
    button->SetImages(&images);
    EXPECT_EQ(button->NumGlyphs(), 1);
    button->SetNumGlyphs(3);
    EXPECT_EQ(button->NumGlyphs(), 1);
    // No image yet: nothing is built.
    EXPECT_EQ(button->ButtonGlyph().CreateButtonGlyph(bsUp).second, -1);
    button->SetImageIndex(1);
    EXPECT_EQ(button->ButtonGlyph().CreateButtonGlyph(bsUp).second, -1);
    button->SetImageIndex(0);
    const auto [list, slot] = button->ButtonGlyph().CreateButtonGlyph(bsUp);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Image(slot).pixel(3, 3), qRgb(0, 0, 200));
    const auto [disabled, disabledSlot] = button->ButtonGlyph().CreateButtonGlyph(bsDisabled);
    ASSERT_NE(disabled, nullptr);
    EXPECT_EQ(disabled->Width(), 17);
    EXPECT_EQ(disabled->Image(disabledSlot).pixel(4, 4), ToQColor(clBtnShadow).rgba());
    button->SetImages(nullptr);
    EXPECT_EQ(button->NumGlyphs(), 2);
}

TEST(TToolbarButtonKt, LayoutPlacesGlyphArrowAndCaption)
{
    Host host;
    TToolbarButtonKt* button = host.Add(0);
    button->SetGlyph(strip(16, 16, Qt::red));
    TToolbarButtonGlyph& glyph = button->ButtonGlyph();
    QImage surface(40, 40, QImage::Format_RGB32);
    QPainter canvas(&surface);
    const TRect client{0, 0, 23, 22};

    auto at = glyph.CalcButtonLayout(canvas, client, {0, 0}, "", blGlyphLeft, -1, 4, false, false, true, true);
    EXPECT_EQ(at.GlyphPos, (TPoint{4, 3}));
    at = glyph.CalcButtonLayout(canvas, {1, 1, 24, 23}, {1, 1}, "", blGlyphLeft, -1, 4, false, false, true, true);
    EXPECT_EQ(at.GlyphPos, (TPoint{6, 5}));
    // The inline arrow follows the glyph, centred on it.
    at = glyph.CalcButtonLayout(canvas, client, {0, 0}, "", blGlyphLeft, -1, 4, false, true, true, true);
    EXPECT_EQ(at.GlyphPos, (TPoint{0, 3}));
    EXPECT_EQ(at.ArrowPos, (TPoint{16, 9}));
    at = glyph.CalcButtonLayout(canvas, client, {0, 0}, "", blGlyphRight, 2, -1, false, false, true, true);
    EXPECT_EQ(at.GlyphPos, (TPoint{23 - 2 - 16, 3}));
    at = glyph.CalcButtonLayout(canvas, client, {0, 0}, "", blGlyphTop, -1, 4, false, false, true, true);
    EXPECT_EQ(at.GlyphPos, (TPoint{4, 3}));
    at = glyph.CalcButtonLayout(canvas, client, {0, 0}, "", blGlyphBottom, 1, 4, false, false, true, true);
    EXPECT_EQ(at.GlyphPos, (TPoint{4, 22 - 1 - 16}));

    // Glyph and caption side by side: margin centres the pair, spacing stands between them.
    const auto wide = glyph.CalcButtonLayout(canvas, {0, 0, 100, 22}, {0, 0}, "Ab", blGlyphLeft, -1, 4, false, false,
                                             true, true);
    const int tw = wide.TextBounds.Width();
    ASSERT_GT(tw, 0);
    EXPECT_EQ(wide.GlyphPos.X, (100 - (16 + 4 + tw) + 1) / 2);
    EXPECT_EQ(wide.TextBounds.Left, wide.GlyphPos.X + 16 + 4);
    // Without the glyph drawn a top layout falls back to the left one and the caption is centred.
    const auto text = glyph.CalcButtonLayout(canvas, {0, 0, 100, 22}, {0, 0}, "Ab", blGlyphTop, -1, 4, false, false,
                                             false, true);
    EXPECT_EQ(text.TextBounds.Left, (100 - tw + 1) / 2);
}

TEST(TToolbarButtonKt, DisabledCaptionIsDrawnEmbossed)
{
    Host host;
    host.window.show();
    TToolbarButtonKt* button = host.Add(0);
    button->resize(60, 22);
    button->SetCaption("WWW");
    auto count = [&](QRgb colour) {
        const QImage image = grabButton(host, *button);
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixel(x, y) == colour;
        return n;
    };
    const QRgb highlight = ToQColor(clBtnHighlight).rgb();
    const QRgb shadow = ToQColor(clBtnShadow).rgb();
    EXPECT_EQ(count(shadow), 0);
    EXPECT_EQ(count(highlight), 0);
    button->setEnabled(false);
    EXPECT_GT(count(shadow), 0);
    EXPECT_GT(count(highlight), 0);
}
