// Tests of TExplorerButton: the shaded bitmap, groups, hints, the placing of bitmap and caption, the looks by state and the drop-down menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QWidget>
#include <vector>

#include "components/ComponentTestSupport.h"
#include "components/explbtn.h"
#include "platform/GraphicsQt.h"
#include "platform/Menus.h"

namespace {

QRgb rgbOf(TColor color)
{
    const uint32_t c = ColorToRGB(color);
    return qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

// A 12 by 10 bitmap: magenta background (the transparent colour of pixel (0, 0)) round a grey block.
QImage greyBlock()
{
    QImage image(12, 10, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 255));
    for (int y = 2; y < 8; ++y)
        for (int x = 2; x < 10; ++x)
            image.setPixel(x, y, qRgb(100, 100, 100));
    return image;
}

QImage paint(TExplorerButton& button)
{
    return button.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(ExplorerButton, ShadesFollowTheLimitsOfEachShadingAndTheKeyColourStays)
{
    const TColor hl = static_cast<TColor>(clBtnHighlight), sh = static_cast<TColor>(clBtnShadow);
    struct {
        TExplorerButtonShadingType shading;
        int A, B, C;
    } const limits[] = {{stLight, 205, 127, 68}, {stMedium, 553, 231, 57}, {stDark, 335, 274, 175}};
    for (const auto& l : limits) {
        SCOPED_TRACE(l.shading);
        const std::vector<std::pair<int, TColor>> cases = {
            {l.A + 1, clWhite}, {765, clWhite}, {l.A, hl}, {l.B + 1, hl}, {l.B, sh}, {l.C + 1, sh}, {l.C, clBlack}, {0, clBlack}};
        for (const auto& [sum, shade] : cases)
            EXPECT_EQ(ShadeOfSum(sum, l.shading), shade) << sum;
    }
    // S = 300: clBtnHighlight under the medium and the dark shading (274 < 300 <= 335).
    EXPECT_EQ(ShadeOfSum(300, stMedium), hl);
    EXPECT_EQ(ShadeOfSum(300, stDark), hl);

    QImage bitmap = greyBlock();
    bitmap.setPixel(3, 3, qRgb(255, 255, 255));
    bitmap.setPixel(4, 3, qRgb(10, 10, 10));
    const QImage shaded = ShadedBitmap(bitmap, stMedium);
    EXPECT_EQ(shaded.pixel(0, 0), qRgb(255, 0, 255));
    EXPECT_EQ(shaded.pixel(11, 9), qRgb(255, 0, 255));
    EXPECT_EQ(shaded.pixel(2, 2), rgbOf(hl));
    EXPECT_EQ(shaded.pixel(3, 3), qRgb(255, 255, 255));
    EXPECT_EQ(shaded.pixel(4, 3), qRgb(0, 0, 0));

    // The button keeps a shaded copy only while it has no NoFocusBitmap.
    TExplorerButton button;
    EXPECT_EQ(button.size(), QSize(50, 40));
    button.SetBitmap(bitmap);
    EXPECT_EQ(button.ShadedBitmap().pixel(2, 2), rgbOf(hl));
    button.SetShadingType(stLight);
    EXPECT_EQ(button.ShadedBitmap().pixel(2, 2), qRgb(255, 255, 255));
    button.SetNoFocusBitmap(greyBlock());
    EXPECT_TRUE(button.ShadedBitmap().isNull());
}

TEST(ExplorerButton, GroupsHintsAndClicks)
{
    QWidget parent;
    auto* a = new TExplorerButton(&parent);
    auto* b = new TExplorerButton(&parent);
    auto* loose = new TExplorerButton(&parent);
    parent.show();
    EXPECT_EQ(a->Options(), boMonoDisplay | boPopupMark);
    EXPECT_EQ(a->Alignment(), taCenter);
    EXPECT_EQ(a->Layout(), blBitmapTop);
    EXPECT_EQ(a->ShadingType(), stMedium);
    EXPECT_EQ(a->UnselectedFontColor(), static_cast<TColor>(clWindowText));

    loose->SetDown(true);
    EXPECT_FALSE(loose->Down());
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(b->Down());
    b->SetGroupIndex(0);
    EXPECT_FALSE(b->Down());
    b->SetGroupIndex(1);

    // A click puts a grouped button down; a down one comes up only when the group lets all be up.
    int clicks = 0;
    a->OnClick = [&clicks](TExplorerButton*) { ++clicks; };
    Click(*a);
    EXPECT_TRUE(a->Down());
    Click(*a);
    EXPECT_TRUE(a->Down());
    b->SetAllowAllUp(true);
    EXPECT_TRUE(a->AllowAllUp());
    Click(*a);
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(clicks, 3);
    EXPECT_FALSE(a->MouseIn());
    // A release away from the button and a right click are no clicks.
    SendMouse(*a, QEvent::MouseButtonPress, {5, 5});
    SendMouse(*a, QEvent::MouseButtonRelease, {80, 5});
    Click(*a, {5, 5}, Qt::RightButton);
    EXPECT_EQ(clicks, 3);
    EXPECT_TRUE(a->Accelerator());
    EXPECT_EQ(clicks, 4);
    a->setEnabled(false);
    EXPECT_FALSE(a->Accelerator());

    // Icon only: the caption without its marker becomes the hint, and no caption is drawn.
    loose->SetCaption("&Abrir");
    loose->SetBitmap(greyBlock());
    paint(*loose);
    EXPECT_FALSE(loose->CaptionRect().isEmpty());
    loose->SetOptions(boIconOnly | boMonoDisplay);
    EXPECT_EQ(loose->Hint(), "Abrir");
    EXPECT_TRUE(loose->ShowHint());
    paint(*loose);
    EXPECT_TRUE(loose->CaptionRect().isEmpty());
    loose->SetCaption("&Guardar && salir");
    EXPECT_EQ(loose->Hint(), "Guardar & salir");
    loose->SetOptions(boMonoDisplay);
    EXPECT_EQ(loose->Hint(), "");
    EXPECT_FALSE(loose->ShowHint());
}

TEST(ExplorerButton, BitmapAndCaptionArePlacedByLayoutAndAlignment)
{
    QWidget parent;
    auto* button = new TExplorerButton(&parent);
    button->resize(120, 40);
    button->SetCaption("Ab");
    button->SetBitmap(greyBlock());
    const QFontMetrics metrics(button->font());
    const int textW = metrics.horizontalAdvance("Ab");
    const int textH = metrics.height();

    button->SetLayout(blBitmapLeft);
    button->SetAlignment(taLeftJustify);
    paint(*button);
    EXPECT_EQ(button->CaptionRect(), QRect(3 + 12 + 2, (40 - textH) / 2, textW, textH));
    button->SetAlignment(taRightJustify);
    paint(*button);
    EXPECT_EQ(button->CaptionRect().left(), 120 - 3 - textW);
    button->SetLayout(blBitmapRight);
    paint(*button);
    EXPECT_EQ(button->CaptionRect().left(), 120 - 3 - (12 + 2 + textW));
    button->SetLayout(blBitmapTop);
    button->SetAlignment(taCenter);
    paint(*button);
    EXPECT_EQ(button->CaptionRect(), QRect((120 - textW) / 2, (40 - (10 + 2 + textH)) / 2 + 12, textW, textH));
    button->SetLayout(blBitmapBottom);
    paint(*button);
    EXPECT_EQ(button->CaptionRect().top(), (40 - (10 + 2 + textH)) / 2);
    // A caption wider than the button is cut to its room.
    button->SetCaption("Un texto mucho m\xE1s largo que el bot\xF3n");
    paint(*button);
    EXPECT_EQ(button->CaptionRect().width(), 120 - 4);
}

TEST(ExplorerButton, LooksByStateAndTheMenuOpensBelowWithoutAClick)
{
    QWidget parent;
    parent.resize(200, 100);
    auto* button = new TExplorerButton(&parent);
    button->SetOptions(boMonoDisplay);
    button->SetLayout(blBitmapLeft);
    button->SetAlignment(taLeftJustify);
    button->SetBitmap(greyBlock());
    parent.show();
    const QRgb face = paint(*button).pixel(1, 1);

    // Up and away from the mouse: no bevel, the shaded bitmap, its key colour showing the face.
    QImage up = paint(*button);
    EXPECT_EQ(up.pixel(0, 0), face);
    EXPECT_EQ(up.pixel(3 + 5, 15 + 5), rgbOf(static_cast<TColor>(clBtnHighlight)));
    EXPECT_EQ(up.pixel(3, 15), face);

    // Down: the sunken bevel and the bitmap itself, one pixel right and down.
    button->SetGroupIndex(1);
    button->SetDown(true);
    QImage down = paint(*button);
    EXPECT_EQ(down.pixel(0, 0), rgbOf(static_cast<TColor>(clBtnShadow)));
    EXPECT_EQ(down.pixel(49, 39), rgbOf(static_cast<TColor>(clBtnHighlight)));
    EXPECT_EQ(down.pixel(3 + 6, 15 + 6), qRgb(100, 100, 100));

    // Disabled: the bitmap embossed, or the disabled bitmap when there is one.
    button->SetGroupIndex(0);
    button->setEnabled(false);
    QImage disabled = paint(*button);
    EXPECT_EQ(disabled.pixel(3 + 5, 15 + 5), rgbOf(static_cast<TColor>(clBtnShadow)));
    EXPECT_EQ(disabled.pixel(3 + 10, 15 + 8), rgbOf(static_cast<TColor>(clBtnHighlight)));
    QImage other(12, 10, QImage::Format_RGB32);
    other.fill(qRgb(0, 0, 255));
    other.setPixel(0, 0, qRgb(255, 0, 255));
    button->SetDisabledBitmap(other);
    EXPECT_EQ(paint(*button).pixel(3 + 5, 15 + 5), qRgb(0, 0, 255));
    button->setEnabled(true);

    // With a menu: a press opens it at the bottom-left corner and the click is not reported.
    TPopupMenu menu;
    menu.addAction("uno");
    button->SetDropDownMenu(&menu);
    int clicks = 0;
    button->OnClick = [&clicks](TExplorerButton*) { ++clicks; };
    QPoint at;
    const bool shown = WithPopupMenu([&] { Click(*button); },
                                     [&](QMenu& open) {
                                         at = open.pos();
                                         open.close();
                                     });
    EXPECT_TRUE(shown);
    EXPECT_EQ(at, button->mapToGlobal(QPoint(0, button->height())));
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button->Pushed());
    // The mark beside the bitmap: its top row 7 pixels wide, 3 pixels right of it.
    EXPECT_EQ(paint(*button).pixel(3 + 12 + 3, 15 + 3), face);
    button->SetOptions(boMonoDisplay | boPopupMark);
    const QImage marked = paint(*button);
    const int arrowX = 3 + 12 + 3, arrowY = 15 + 10 / 2 - 2;
    EXPECT_EQ(marked.pixel(arrowX, arrowY), rgbOf(static_cast<TColor>(clWindowText)));
    EXPECT_EQ(marked.pixel(arrowX + 6, arrowY), rgbOf(static_cast<TColor>(clWindowText)));
    EXPECT_EQ(marked.pixel(arrowX + 7, arrowY), face);
    {
        auto* temporary = new TPopupMenu;
        button->SetDropDownMenu(temporary);
        delete temporary;
    }
    EXPECT_EQ(button->DropDownMenu(), nullptr);
}
