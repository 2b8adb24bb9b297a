// The colour palette: its default grid, cell geometry, hot cell, picking, closing and the colour dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <set>

#include "editor/dialogs/SYM_CBut.h"
#include "platform/GraphicsQt.h"

namespace {

using Palette = TTSM_KrColorButtonPalette;

// Lets the closed palette's deferred deletion happen.
void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

struct PickLog {
    std::vector<TColor> picked;
    int closed = 0;
};

QPointer<Palette> openPalette(PickLog& log)
{
    auto* palette = new Palette;
    palette->OnColorSelected = [&log](Palette*, TColor color) { log.picked.push_back(color); };
    palette->OnPaletteClose = [&log](Palette*) { ++log.closed; };
    palette->show();
    QApplication::processEvents();
    return palette;
}

QPoint centreOf(TPaletteCell cell)
{
    return Palette::CellRect(cell).center() + QPoint(Palette::kFrame, Palette::kFrame);
}

void sendMouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, w->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

std::string shotPath(const char* name)
{
    const char* out = std::getenv("KESTRIMA_SHOT_DIR");
    return QDir(out ? out : QDir::tempPath()).filePath(name).toStdString();
}

} // namespace

TEST(ColorPalette, DefaultGrid)
{
    TColorArrayClass grid(1, 1);
    SetDefaultPaletteColors(grid);
    ASSERT_EQ(grid.XSize(), 4);
    ASSERT_EQ(grid.YSize(), 5);
    EXPECT_EQ(grid.GetColor(1, 1), clWhite);
    EXPECT_EQ(grid.GetColor(2, 1), clBlack);
    EXPECT_EQ(grid.GetColor(4, 1), static_cast<TColor>(RGBValue(127, 127, 127)));
    EXPECT_EQ(grid.GetColor(1, 2), clRed);
    EXPECT_EQ(grid.GetColor(3, 2), clYellow);
    EXPECT_EQ(grid.GetColor(1, 3), clLime);
    EXPECT_EQ(grid.GetColor(3, 3), clAqua);
    EXPECT_EQ(grid.GetColor(1, 4), clBlue);
    EXPECT_EQ(grid.GetColor(3, 4), clFuchsia);
    EXPECT_EQ(grid.GetColor(2, 5), static_cast<TColor>(RGBValue(159, 191, 239)));
    EXPECT_EQ(grid.GetColor(4, 5), static_cast<TColor>(RGBValue(159, 159, 159)));
    std::set<TColor> distinct;
    for (int x = 1; x <= 4; ++x)
        for (int y = 1; y <= 5; ++y)
            distinct.insert(grid.GetColor(x, y));
    EXPECT_EQ(distinct.size(), 20u);

    Palette palette;
    EXPECT_TRUE(palette.PaletteColors().Equals(&grid));
    EXPECT_EQ(palette.CustomColors().XSize(), 8);
    EXPECT_EQ(palette.CustomColors().YSize(), 2);
    EXPECT_EQ(palette.OtherColor(), static_cast<TColor>(clBtnFace));
    EXPECT_EQ(palette.SelectedColor(), 0);
    EXPECT_EQ(palette.HotCell(), TPaletteCell{});
    EXPECT_EQ(palette.OtherButton()->text(), QStringLiteral("&Otro"));
    palette.SetOtherCaption("&M\xE1s");
    EXPECT_EQ(palette.OtherButton()->text(), QString::fromUtf8("&M\u00E1s"));
}

TEST(ColorPalette, CellAtCursor)
{
    EXPECT_EQ(Palette::CellAtCursor({0, 0}), (TPaletteCell{1, 1}));
    EXPECT_EQ(Palette::CellAtCursor({19, 0}), (TPaletteCell{2, 1}));
    EXPECT_EQ(Palette::CellAtCursor({71, 89}), (TPaletteCell{4, 5}));
    EXPECT_EQ(Palette::CellAtCursor({60, 100}), (TPaletteCell{0, 0}));
    EXPECT_EQ(Palette::CellAtCursor({53, 96}), (TPaletteCell{0, 0}));
    EXPECT_EQ(Palette::CellAtCursor({71, 113}), (TPaletteCell{0, 0}));
    EXPECT_EQ(Palette::CellAtCursor({71, 114}), TPaletteCell{});
    EXPECT_EQ(Palette::CellAtCursor({52, 100}), TPaletteCell{});
    EXPECT_EQ(Palette::CellAtCursor({72, 0}), TPaletteCell{});
    EXPECT_EQ(Palette::CellAtCursor({30, 93}), TPaletteCell{});
    EXPECT_EQ(Palette::CellAtCursor({10, 105}), TPaletteCell{}); // on the "&Otro" button
    EXPECT_EQ(Palette::CellAtCursor({-1, 5}), TPaletteCell{});

    // Every client point of a grid cell's rectangle finds that cell, and no other point does.
    for (int y = 0; y < Palette::kClientHeight; ++y)
        for (int x = 0; x < Palette::kClientWidth; ++x) {
            const TPaletteCell cell = Palette::CellAtCursor({x, y});
            if (cell.X >= 1) {
                EXPECT_TRUE(Palette::CellRect(cell).contains(x, y)) << x << ", " << y;
            } else if (cell.X == 0) {
                EXPECT_TRUE(x >= 53 && y >= 96 && y < 114) << x << ", " << y;
            }
        }
    EXPECT_EQ(Palette::CellRect({1, 1}), QRect(0, 0, 18, 18));
    EXPECT_EQ(Palette::CellRect({4, 5}), QRect(54, 72, 18, 18));
    EXPECT_EQ(Palette::CellRect({0, 0}), QRect(53, 99, 18, 18));
    EXPECT_TRUE(Palette::IsValidCell({0, 0}));
    EXPECT_FALSE(Palette::IsValidCell({0, 1}));
    EXPECT_FALSE(Palette::IsValidCell({5, 1}));
}

TEST(ColorPalette, TheSelectedColorIsFoundByItsRgbValue)
{
    Palette blue;
    blue.SetSelectedColor(clBlue);
    EXPECT_EQ(blue.HotCell(), (TPaletteCell{1, 4}));
    EXPECT_EQ(blue.SelectedColor(), clBlue);
    EXPECT_EQ(blue.OtherColor(), static_cast<TColor>(clBtnFace));

    // The window colour is white here: a system colour finds the cell of its RGB value.
    Palette system;
    system.SetSelectedColor(static_cast<TColor>(clWindow));
    EXPECT_EQ(system.HotCell(), (TPaletteCell{1, 1}));
    system.SetSelectedColor(static_cast<TColor>(clWindowText));
    EXPECT_EQ(system.HotCell(), (TPaletteCell{2, 1}));

    Palette other;
    other.SetSelectedColor(0x123456);
    EXPECT_EQ(other.HotCell(), TPaletteCell{});
    EXPECT_EQ(other.OtherColor(), 0x123456);
    EXPECT_EQ(other.CellColor({0, 0}), 0x123456);

    // The grid searched is the palette's own.
    Palette custom;
    TColorArrayClass grid(4, 5);
    grid.SetColor(3, 2, 0x123456);
    custom.SetPaletteColors(grid);
    custom.SetSelectedColor(0x123456);
    EXPECT_EQ(custom.HotCell(), (TPaletteCell{3, 2}));
}

TEST(ColorPalette, AClickPicksACellAndClosesAnyway)
{
    PickLog log;
    QPointer<Palette> palette = openPalette(log);
    sendMouse(palette, QEvent::MouseMove, centreOf({1, 4}), Qt::NoButton);
    EXPECT_EQ(palette->HotCell(), (TPaletteCell{1, 4}));
    sendMouse(palette, QEvent::MouseButtonPress, centreOf({1, 4}), Qt::LeftButton);
    sendMouse(palette, QEvent::MouseButtonRelease, centreOf({1, 4}), Qt::NoButton);
    EXPECT_EQ(log.picked, std::vector<TColor>{clBlue});
    EXPECT_EQ(log.closed, 1);
    flushDeletes();
    EXPECT_TRUE(palette.isNull());

    // The extra cell gives the other colour.
    PickLog extra;
    palette = openPalette(extra);
    palette->SetOtherColor(0x00C0FFEE);
    palette->ClickAt({60, 105});
    EXPECT_EQ(extra.picked, std::vector<TColor>{0x00C0FFEE});
    flushDeletes();
    EXPECT_TRUE(palette.isNull());

    // A click outside the cells, or Esc, closes without a colour.
    PickLog outside;
    palette = openPalette(outside);
    palette->ClickAt({30, 93});
    EXPECT_TRUE(outside.picked.empty());
    EXPECT_EQ(outside.closed, 1);
    flushDeletes();
    EXPECT_TRUE(palette.isNull());

    PickLog escape;
    palette = openPalette(escape);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
    QCoreApplication::sendEvent(palette, &esc);
    EXPECT_TRUE(escape.picked.empty());
    EXPECT_EQ(escape.closed, 1);
    flushDeletes();
    EXPECT_TRUE(palette.isNull());

    // Without a handler a click on a cell just closes.
    palette = new Palette;
    palette->show();
    palette->ClickAt({5, 5});
    flushDeletes();
    EXPECT_TRUE(palette.isNull());
}

TEST(ColorPalette, TheColorDialogHoldsThePaletteOpenAndGivesItsColour)
{
    PickLog log;
    QPointer<Palette> palette = openPalette(log);
    TColorArrayClass custom(8, 2);
    for (int x = 1; x <= 8; ++x)
        for (int y = 1; y <= 2; ++y)
            custom.SetColor(x, y, static_cast<TColor>(RGBValue(x * 10, y * 20, 0)));
    palette->SetCustomColors(custom);
    palette->SetOtherColor(clMaroon);

    // Cancelled: nothing changes and the palette stays open.
    bool sawDialog = false;
    QTimer::singleShot(0, palette, [&] {
        auto* dialog = palette->findChild<QColorDialog*>();
        ASSERT_NE(dialog, nullptr);
        sawDialog = true;
        EXPECT_EQ(FromQColor(dialog->currentColor()), clMaroon);
        // Letter C is cell (3, 1); letter J is cell (2, 2).
        EXPECT_EQ(FromQColor(QColorDialog::customColor(2)), static_cast<TColor>(RGBValue(30, 20, 0)));
        EXPECT_EQ(FromQColor(QColorDialog::customColor(9)), static_cast<TColor>(RGBValue(20, 40, 0)));
        EXPECT_TRUE(palette->InOtherDialog());
        EXPECT_FALSE(palette->close());
        dialog->reject();
    });
    palette->OtherClick();
    EXPECT_TRUE(sawDialog);
    EXPECT_FALSE(palette->InOtherDialog());
    EXPECT_TRUE(log.picked.empty());
    EXPECT_EQ(log.closed, 0);
    ASSERT_FALSE(palette.isNull());
    EXPECT_TRUE(palette->isVisible());

    // Accepted: its colour is picked and its custom colours come back.
    QTimer::singleShot(0, palette, [&] {
        auto* dialog = palette->findChild<QColorDialog*>();
        ASSERT_NE(dialog, nullptr);
        dialog->setCurrentColor(QColor(1, 2, 3));
        QColorDialog::setCustomColor(2, QColor(255, 0, 0));
        dialog->accept();
    });
    palette->OtherClick();
    EXPECT_EQ(log.picked, std::vector<TColor>{static_cast<TColor>(RGBValue(1, 2, 3))});
    EXPECT_EQ(log.closed, 1);
    EXPECT_EQ(palette->OtherColor(), static_cast<TColor>(RGBValue(1, 2, 3)));
    EXPECT_EQ(palette->CustomColors().GetColor(3, 1), clRed);
    EXPECT_EQ(palette->CustomColors().GetColor(2, 2), static_cast<TColor>(RGBValue(20, 40, 0)));
    flushDeletes();
    EXPECT_TRUE(palette.isNull());
}

TEST(ColorPalette, ScreenshotShowsCellsAndTheHotCell)
{
    PickLog log;
    QPointer<Palette> palette = openPalette(log);
    palette->SetSelectedColor(clBlue);
    palette->SetOtherColor(0x00336699);
    QApplication::processEvents();
    const QImage shot = palette->grab().toImage().convertToFormat(QImage::Format_RGB32);
    shot.save(QString::fromStdString(shotPath("palette.png")), "PNG");
    ASSERT_EQ(shot.size(), QSize(78, 127));

    const QPoint client(Palette::kFrame, Palette::kFrame);
    const auto pixel = [&](QPoint p) { return shot.pixel(client + p) & 0xFFFFFF; };
    const auto rgb = [](TColor c) { return ToQColor(c).rgb() & 0xFFFFFF; };
    // A normal cell: face, shadow, dark shadow rims, then its 12 x 12 colour.
    EXPECT_EQ(pixel({18, 0}), rgb(clBtnFace));
    EXPECT_EQ(pixel({19, 1}), rgb(clBtnShadow));
    EXPECT_EQ(pixel({20, 2}), rgb(cl3DDkShadow));
    EXPECT_EQ(pixel({21, 3}), rgb(clBlack));
    EXPECT_EQ(pixel({32, 14}), rgb(clBlack));
    EXPECT_EQ(pixel({3, 3}), rgb(clWhite));
    // The hot cell (blue) is framed dark shadow, highlight, light.
    const QRect hot = Palette::CellRect({1, 4});
    EXPECT_EQ(pixel(hot.topLeft()), rgb(cl3DDkShadow));
    EXPECT_EQ(pixel(hot.topLeft() + QPoint(1, 1)), rgb(clBtnHighlight));
    EXPECT_EQ(pixel(hot.topLeft() + QPoint(3, 3)), rgb(clBlue));
    // The extra cell shows the other colour; the separator runs above the button row.
    EXPECT_EQ(pixel(Palette::CellRect({0, 0}).center()), rgb(0x00336699));
    EXPECT_EQ(pixel({10, 93}), rgb(clBtnShadow));
    EXPECT_EQ(pixel({10, 94}), rgb(clBtnHighlight));
    EXPECT_EQ(palette->OtherButton()->geometry(), QRect(client + QPoint(1, 98), QSize(50, 21)));
    palette->close();
    flushDeletes();
}
