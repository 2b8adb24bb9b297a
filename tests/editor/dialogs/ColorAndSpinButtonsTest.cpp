// The colour button (colour, drop-down, painting) and the spin button (geometry, repeat, keys, focus).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <stdexcept>

#include "editor/Glyphs.h"
#include "editor/dialogs/KrColorButton.h"
#include "editor/dialogs/SpinButton.h"
#include "platform/GraphicsQt.h"

namespace {

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, w->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

void clickOn(QWidget* w, QPoint at)
{
    sendMouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
    sendMouse(w, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

void sendKey(QWidget* w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &release);
}

// The repeat timer fires as its own event would fire it.
void fire(QTimer* timer)
{
    ASSERT_TRUE(timer->isActive());
    QTimerEvent event(timer->timerId());
    QCoreApplication::sendEvent(timer, &event);
}

std::string shotPath(const char* name)
{
    const char* out = std::getenv("KESTRIMA_SHOT_DIR");
    return QDir(out ? out : QDir::tempPath()).filePath(name).toStdString();
}

QRgb rgbOf(TColor c)
{
    return ToQColor(c).rgb() & 0xFFFFFF;
}

struct ButtonWindow {
    QWidget window;
    TKrColorButton* button;
    int changes = 0;
    int clicked = 0;
    ButtonWindow()
    {
        window.resize(200, 100);
        button = new TKrColorButton(&window);
        button->move(20, 10);
        button->OnColorChange = [this](TKrColorButton*) { ++changes; };
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicked; });
        window.show();
        QApplication::processEvents();
    }
};

} // namespace

TEST(ColorButton, Defaults)
{
    QWidget parent;
    parent.setObjectName("formOpciones");
    TKrColorButton button(&parent);
    button.setObjectName("cbFondo");
    EXPECT_EQ(button.size(), QSize(45, 22));
    EXPECT_TRUE(button.text().isEmpty());
    EXPECT_EQ(button.Color(), clBlack);
    EXPECT_EQ(button.Style(), bsAutoDetect);
    EXPECT_FALSE(button.Flat());
    EXPECT_EQ(button.OtherBtnCaption(), "&Otro");
    TColorArrayClass grid;
    SetDefaultPaletteColors(grid);
    EXPECT_TRUE(button.PaletteColors().Equals(&grid));
    ASSERT_EQ(button.CustomColors().XSize(), 8);
    ASSERT_EQ(button.CustomColors().YSize(), 2);
    for (int x = 1; x <= 8; ++x)
        for (int y = 1; y <= 2; ++y)
            EXPECT_EQ(button.CustomColors().GetColor(x, y), clWhite);
    EXPECT_EQ(button.QualifiedName(), "formOpciones.cbFondo");
    TKrColorButton alone;
    alone.setObjectName("cbSolo");
    EXPECT_EQ(alone.QualifiedName(), "cbSolo");

    // Grids are copied in, not shared.
    TColorArrayClass custom(8, 2);
    button.SetCustomColors(custom);
    custom.SetColor(1, 1, clRed);
    EXPECT_EQ(button.CustomColors().GetColor(1, 1), clBlack);
}

TEST(ColorButton, OnlyANewColourFiresOnColorChange)
{
    TKrColorButton button;
    int changes = 0;
    TKrColorButton* sender = nullptr;
    button.OnColorChange = [&](TKrColorButton* s) {
        ++changes;
        sender = s;
    };
    button.SetColor(clBlack);
    EXPECT_EQ(changes, 0);
    button.SetColor(clRed);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sender, &button);
    button.SetColor(clRed);
    EXPECT_EQ(changes, 1);
    button.SetColor(static_cast<TColor>(clBtnFace));
    EXPECT_EQ(changes, 2);
    // Without a handler nothing fires, and the value is still taken.
    button.OnColorChange = nullptr;
    button.SetColor(clBlue);
    EXPECT_EQ(button.Color(), clBlue);
}

TEST(ColorButton, AClickDropsThePaletteDownInsteadOfClicking)
{
    ButtonWindow w;
    w.button->SetColor(clBlue);
    w.changes = 0;
    w.button->SetOtherColor(0x00ABCDEF);
    clickOn(w.button, QPoint(10, 10));
    EXPECT_EQ(w.clicked, 0);
    QPointer<TTSM_KrColorButtonPalette> palette = w.button->Palette();
    ASSERT_FALSE(palette.isNull());
    EXPECT_TRUE(w.button->DroppedDown());
    EXPECT_TRUE(palette->isVisible());
    EXPECT_EQ(palette->HotCell(), (TPaletteCell{1, 4}));
    EXPECT_EQ(palette->OtherColor(), 0x00ABCDEF);
    EXPECT_EQ(palette->OtherButton()->text(), QStringLiteral("&Otro"));
    const QPoint buttonBottomLeft = w.button->mapToGlobal(QPoint(0, w.button->height()));
    const QRect work = w.button->screen()->availableGeometry();
    if (buttonBottomLeft.y() + palette->height() <= work.bottom() + 1) {
        EXPECT_EQ(palette->pos(), buttonBottomLeft);
    }

    // Esc closes it; the colour stays and the button forgets the palette.
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(palette, &esc);
    EXPECT_EQ(w.button->Palette(), nullptr);
    EXPECT_FALSE(w.button->DroppedDown());
    flushDeletes();
    EXPECT_TRUE(palette.isNull());
    EXPECT_EQ(w.button->Color(), clBlue);
    EXPECT_EQ(w.changes, 0);

    // A click outside the cells closes it too, with the colour unchanged.
    sendKey(w.button, Qt::Key_Space);
    palette = w.button->Palette();
    ASSERT_FALSE(palette.isNull());
    EXPECT_EQ(w.clicked, 0);
    palette->ClickAt({30, 93});
    flushDeletes();
    EXPECT_TRUE(palette.isNull());
    EXPECT_EQ(w.button->Color(), clBlue);
    EXPECT_EQ(w.changes, 0);

    // A cell's colour becomes the button's; the palette's custom colours come back, the other colour not.
    w.button->DropDown();
    palette = w.button->Palette();
    ASSERT_FALSE(palette.isNull());
    TColorArrayClass custom(8, 2);
    custom.SetColor(5, 2, clLime);
    palette->SetCustomColors(custom);
    palette->SetOtherColor(clNavy);
    palette->ClickAt({TTSM_KrColorButtonPalette::CellRect({1, 2}).center().x(), 20});
    EXPECT_EQ(w.button->Color(), clRed);
    EXPECT_EQ(w.changes, 1);
    EXPECT_TRUE(w.button->CustomColors().Equals(&custom));
    EXPECT_EQ(w.button->OtherColor(), 0x00ABCDEF);
    flushDeletes();
    EXPECT_EQ(w.button->Palette(), nullptr);
}

TEST(ColorButton, ThePaletteOpensAboveWhereTheWorkAreaEndsBelow)
{
    const QRect work(0, 0, 800, 600);
    const QSize palette(78, 127);
    EXPECT_EQ(TKrColorButton::PalettePosition(QRect(100, 100, 45, 22), palette, work), QPoint(100, 122));
    EXPECT_EQ(TKrColorButton::PalettePosition(QRect(100, 500, 45, 22), palette, work), QPoint(100, 500 - 121));
    // Exactly at the bottom still fits below.
    EXPECT_EQ(TKrColorButton::PalettePosition(QRect(100, 451, 45, 22), palette, work), QPoint(100, 473));
    EXPECT_EQ(TKrColorButton::PalettePosition(QRect(-20, 100, 45, 22), palette, work), QPoint(0, 122));
    EXPECT_EQ(TKrColorButton::PalettePosition(QRect(760, 100, 45, 22), palette, work), QPoint(800 - 78, 122));
    EXPECT_EQ(TKrColorButton::PalettePosition(QRect(30, 100, 45, 22), palette, QRect(50, 20, 700, 500)),
              QPoint(50, 122));

    // On the screen: a button near the work area's bottom.
    ButtonWindow w;
    const QRect screenWork = w.button->screen()->availableGeometry();
    w.window.move(screenWork.left() + 40, screenWork.bottom() - 60);
    QApplication::processEvents();
    const QPoint top = w.button->mapToGlobal(QPoint(0, 0));
    if (top.y() + w.button->height() + 127 <= screenWork.bottom() + 1)
        GTEST_SKIP() << "the platform did not place the window near the bottom";
    w.button->DropDown();
    ASSERT_NE(w.button->Palette(), nullptr);
    EXPECT_EQ(w.button->Palette()->pos(), QPoint(top.x(), top.y() - 121));
    w.button->Palette()->close();
    flushDeletes();
}

TEST(ColorButton, ScreenshotShowsTheSwatchAndTheArrow)
{
    ButtonWindow w;
    w.button->SetColor(0x0000C000);
    QApplication::processEvents();
    const QImage shot = w.button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    shot.save(QString::fromStdString(shotPath("colorbutton.png")), "PNG");
    ASSERT_EQ(shot.size(), QSize(45, 22));
    const auto pixel = [&](int x, int y) { return shot.pixel(x, y) & 0xFFFFFF; };
    // Raised frame, swatch framed in the window frame colour, separator, arrow.
    EXPECT_EQ(pixel(0, 0), rgbOf(clBtnHighlight));
    EXPECT_EQ(pixel(44, 21), rgbOf(cl3DDkShadow));
    EXPECT_EQ(pixel(6, 5), rgbOf(clWindowFrame));
    EXPECT_EQ(pixel(28, 16), rgbOf(clWindowFrame));
    EXPECT_EQ(pixel(7, 6), rgbOf(0x0000C000));
    EXPECT_EQ(pixel(27, 15), rgbOf(0x0000C000));
    EXPECT_EQ(pixel(32, 8), rgbOf(clBtnShadow));
    EXPECT_EQ(pixel(33, 8), rgbOf(clBtnHighlight));
    const QImage arrow = GlyphResource("TSM_KR_ARROW_BMP");
    const int arrowTop = (22 - arrow.height()) / 2;
    EXPECT_EQ(pixel(35, arrowTop), rgbOf(clBlack));
    EXPECT_EQ(pixel(35, arrowTop + 3), rgbOf(clBtnFace)); // transparent corner of the arrow

    // Dropped down: the face is drawn pushed and the swatch moves by one pixel.
    w.button->DropDown();
    QApplication::processEvents();
    const QImage down = w.button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(down.pixel(0, 0) & 0xFFFFFF, rgbOf(clWindowFrame));
    EXPECT_EQ(down.pixel(7, 6) & 0xFFFFFF, rgbOf(clWindowFrame));
    EXPECT_EQ(down.pixel(8, 7) & 0xFFFFFF, rgbOf(0x0000C000));
    w.button->Palette()->close();
    flushDeletes();

    // Disabled: the swatch is hatched and the arrow greyed.
    w.button->setEnabled(false);
    QApplication::processEvents();
    const QImage disabled = w.button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The hatch keeps the face on the diagonals x + y = 3 (mod 4) and is black elsewhere.
    for (int y = 6; y <= 15; ++y)
        for (int x = 7; x <= 27; ++x)
            EXPECT_EQ(disabled.pixel(x, y) & 0xFFFFFF, (x + y) % 4 == 3 ? rgbOf(clBtnFace) : 0u) << x << ", " << y;
    const QImage greyArrow = GlyphResource("TSM_KR_ARROW_DISABLED_BMP");
    EXPECT_EQ(disabled.pixel(35, (22 - greyArrow.height()) / 2) & 0xFFFFFF, qRgb(128, 128, 128) & 0xFFFFFF);
}

TEST(ColorButton, FlatButtonsShowTheirFrameOnlyUnderTheMouseOrWithFocus)
{
    TKrColorButton button;
    button.SetFlat(true);
    const QImage flat = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(flat.pixel(0, 0) & 0xFFFFFF, rgbOf(clBtnFace));
    EXPECT_EQ(flat.pixel(44, 21) & 0xFFFFFF, rgbOf(clBtnFace));
    button.SetFlat(false);
    button.SetStyle(bsWin31);
    const QImage win31 = button.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(win31.pixel(0, 0) & 0xFFFFFF, rgbOf(clBtnShadow));
    EXPECT_EQ(win31.pixel(1, 1) & 0xFFFFFF, rgbOf(clBtnHighlight));
}

TEST(SpinButton, GeometryOfTheTwoButtons)
{
    QWidget window;
    auto* spin = new TSpinButton(&window);
    EXPECT_EQ(spin->size(), QSize(20, 25));
    spin->resize(10, 25);
    window.show();
    QApplication::processEvents();
    EXPECT_EQ(spin->width(), 15);
    EXPECT_EQ(spin->UpButton()->geometry(), QRect(0, 0, 15, 12));
    EXPECT_EQ(spin->DownButton()->geometry(), QRect(0, 11, 15, 14));
    spin->resize(20, 25);
    const QImage shot = spin->grab().toImage().convertToFormat(QImage::Format_RGB32);
    shot.save(QString::fromStdString(shotPath("spinbutton.png")), "PNG");
    // Each button shows its arrow in black about its middle.
    const auto inkIn = [&](QRect r) {
        int ink = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                ink += (shot.pixel(x, y) & 0xFFFFFF) == 0;
        return ink;
    };
    EXPECT_GE(inkIn(QRect(6, 3, 8, 7)), 9);
    EXPECT_GE(inkIn(QRect(6, 14, 8, 7)), 9);
    for (int h = 2; h <= 60; ++h) {
        spin->resize(30, h);
        const QRect up = spin->UpButton()->geometry(), down = spin->DownButton()->geometry();
        EXPECT_EQ(up.height(), h / 2);
        EXPECT_EQ(down.top(), up.height() - 1);
        EXPECT_EQ(down.bottom(), h - 1);
        EXPECT_EQ(up.width(), 30);
    }
}

TEST(SpinButton, Glyphs)
{
    TSpinButton spin;
    const auto same = [](const QPixmap& glyph, const char* name) {
        return glyph.toImage().convertToFormat(QImage::Format_RGB32) == GlyphResource(name);
    };
    EXPECT_TRUE(same(spin.UpGlyph(), "SEM_SPINUP"));
    EXPECT_TRUE(same(spin.DownGlyph(), "SEM_SPINDOWN"));
    EXPECT_EQ(spin.UpNumGlyphs(), 1);
    QPixmap strip(16, 8);
    strip.fill(Qt::red);
    spin.SetUpGlyph(strip);
    spin.SetUpNumGlyphs(2);
    EXPECT_EQ(spin.UpGlyph().toImage(), strip.toImage());
    EXPECT_EQ(spin.UpNumGlyphs(), 2);
    spin.SetUpGlyph(QPixmap());
    EXPECT_TRUE(same(spin.UpGlyph(), "SEM_SPINUP"));
    EXPECT_EQ(spin.UpNumGlyphs(), 1);
    spin.SetDownNumGlyphs(5); // a strip holds four states at most
    EXPECT_EQ(spin.DownNumGlyphs(), 1);
    // Every glyph keeps its transparent colour in the bottom-left pixel.
    for (const char* name : {"SEM_SPINUP", "SEM_SPINDOWN", "TSM_KR_ARROW_BMP", "TSM_KR_ARROW_DISABLED_BMP"}) {
        const QImage& glyph = GlyphResource(name);
        ASSERT_FALSE(glyph.isNull()) << name;
        EXPECT_EQ(glyph.pixel(0, glyph.height() - 1), qRgb(255, 0, 255)) << name;
    }
}

TEST(SpinButton, AHeldButtonRepeatsAfter400MsThenEvery100Ms)
{
    QWidget window;
    auto* spin = new TSpinButton(&window);
    window.show();
    QApplication::processEvents();
    int up = 0, down = 0;
    spin->OnUpClick = [&](TSpinButton* sender) {
        EXPECT_EQ(sender, spin);
        ++up;
    };
    spin->OnDownClick = [&](TSpinButton*) { ++down; };
    TTimerSpeedButton* upButton = spin->UpButton();
    EXPECT_EQ(upButton->RepeatTimer(), nullptr);

    sendMouse(upButton, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    EXPECT_EQ(up, 1);
    EXPECT_TRUE(upButton->isDown());
    QTimer* timer = upButton->RepeatTimer();
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 400);
    fire(timer);
    EXPECT_EQ(up, 2);
    EXPECT_EQ(timer->interval(), 100);
    fire(timer);
    EXPECT_EQ(up, 3);

    // Dragged off the button it pops up and does not click; back on, it repeats again.
    sendMouse(upButton, QEvent::MouseMove, QPoint(5, 40), Qt::LeftButton);
    EXPECT_FALSE(upButton->isDown());
    fire(timer);
    EXPECT_EQ(up, 3);
    sendMouse(upButton, QEvent::MouseMove, QPoint(5, 5), Qt::LeftButton);
    fire(timer);
    EXPECT_EQ(up, 4);

    // Released: the timer stops, and a late expiry clicks nothing.
    sendMouse(upButton, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
    EXPECT_FALSE(timer->isActive());
    upButton->TimerExpired();
    EXPECT_EQ(up, 4);
    EXPECT_EQ(down, 0);

    // The next press starts with the long wait again; the lower button fires OnDownClick.
    sendMouse(spin->DownButton(), QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    EXPECT_EQ(down, 1);
    EXPECT_EQ(spin->DownButton()->RepeatTimer()->interval(), 400);
    sendMouse(spin->DownButton(), QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
    sendMouse(upButton, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    EXPECT_EQ(timer->interval(), 400);
    EXPECT_EQ(up, 5);

    // A failing click stops the repeat and passes its error on.
    spin->OnUpClick = [](TSpinButton*) { throw std::runtime_error("fails"); };
    EXPECT_THROW(upButton->TimerExpired(), std::runtime_error);
    EXPECT_FALSE(timer->isActive());
    sendMouse(upButton, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);

    // A button disabled while held stops repeating.
    spin->OnUpClick = nullptr;
    sendMouse(upButton, QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    EXPECT_TRUE(timer->isActive());
    upButton->setEnabled(false);
    EXPECT_FALSE(timer->isActive());
    EXPECT_FALSE(upButton->isDown());
}

TEST(SpinButton, KeysAndFocus)
{
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* spin = new TSpinButton(&window);
    spin->move(150, 0);
    int up = 0, down = 0;
    spin->OnUpClick = [&](TSpinButton*) { ++up; };
    spin->OnDownClick = [&](TSpinButton*) { ++down; };
    window.show();
    QApplication::processEvents();

    // Without TabStop the focused button never changes.
    sendKey(spin, Qt::Key_Down);
    EXPECT_EQ(down, 1);
    EXPECT_EQ(spin->FocusedButton(), spin->UpButton());
    sendKey(spin, Qt::Key_Space);
    EXPECT_EQ(up, 1);

    spin->SetTabStop(true);
    sendKey(spin, Qt::Key_Down);
    EXPECT_EQ(down, 2);
    EXPECT_EQ(spin->FocusedButton(), spin->DownButton());
    sendKey(spin, Qt::Key_Space);
    EXPECT_EQ(down, 3);
    sendKey(spin, Qt::Key_Up);
    EXPECT_EQ(up, 2);
    EXPECT_EQ(spin->FocusedButton(), spin->UpButton());

    // A press gives the focus to FocusControl, else to the spin button itself.
    window.activateWindow();
    QApplication::processEvents();
    spin->SetFocusControl(edit);
    edit->clearFocus();
    sendMouse(spin->DownButton(), QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
    sendMouse(spin->DownButton(), QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
    EXPECT_EQ(spin->FocusedButton(), spin->DownButton());
    if (QApplication::focusWidget()) {
        EXPECT_TRUE(edit->hasFocus());
        spin->SetFocusControl(nullptr);
        sendMouse(spin->UpButton(), QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton);
        sendMouse(spin->UpButton(), QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
        EXPECT_TRUE(spin->hasFocus());
        EXPECT_TRUE(spin->UpButton()->TimeBtnState() & TTimerSpeedButton::tbFocusRect);
        EXPECT_FALSE(spin->DownButton()->TimeBtnState() & TTimerSpeedButton::tbFocusRect);
    }
    // A destroyed FocusControl is forgotten.
    spin->SetFocusControl(edit);
    delete edit;
    EXPECT_EQ(spin->FocusControl(), nullptr);
}
