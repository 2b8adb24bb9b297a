// The speed button and its glyphs: strips and state images, shared glyph lists, layout, borders, painting, mouse, groups, drop-down menu, repeat and dialogs.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEnterEvent>
#include <QPainter>
#include <QTimer>
#include <random>

#include "components/KrCtrls.h"
#include "platform/GraphicsQt.h"
#include "platform/Menus.h"
#include "platform/core/Exception.h"
#include "ComponentTestSupport.h"
#include "support/Pictures.h"

namespace {

// The built image of a state; the index is asked first, since it builds the list.
QImage StateImage(TKrButtonGlyph& glyph, TKrButtonState state)
{
    const int index = glyph.StateImageIndex(state);
    return glyph.GlyphList() ? glyph.GlyphList()->Image(index) : QImage();
}

const QColor kFuchsia(255, 0, 255);
const QColor kStateColours[] = {QColor(255, 0, 0), QColor(0, 160, 0), QColor(0, 0, 255), QColor(255, 255, 0),
                                QColor(0, 255, 255)};

QColor sysColour(uint32_t color) { return ToQColor(static_cast<TColor>(color)); }

// `count` images of 16 x 16 side by side on fuchsia, each with an 8 x 8 block of its colour at (4, 4).
QImage Strip(int count, int size = 16)
{
    QImage strip(size * count, size, QImage::Format_RGB32);
    strip.fill(kFuchsia);
    QPainter painter(&strip);
    for (int i = 0; i < count; ++i)
        painter.fillRect(size * i + 4, 4, 8, 8, kStateColours[i % 5]);
    return strip;
}

QImage Picture(QWidget& widget) { return widget.grab().toImage().convertToFormat(QImage::Format_RGB32); }

QColor Grey(int level) { return QColor(level, level, level); }

// A top-level window the buttons live on, shown and active so that the mouse can be over them.
struct TButtonWindow {
    QWidget window;
    TButtonWindow()
    {
        window.resize(200, 100);
        window.show();
        window.activateWindow();
        QApplication::processEvents();
    }
    TKrSpeedButton* Add(int left)
    {
        auto* button = new TKrSpeedButton(&window);
        button->move(left, 10);
        button->show();
        return button;
    }
};

void MoveCursorTo(QWidget& widget, QPoint at)
{
    QCursor::setPos(widget.mapToGlobal(at));
    QApplication::processEvents();
}

} // namespace

TEST(KrButtonGlyph, TheStripsShapeGivesTheNumberOfImages)
{
    TKrButtonGlyph glyph;
    int changes = 0;
    glyph.OnChange = [&](TKrButtonGlyph* sender) {
        EXPECT_EQ(sender, &glyph);
        ++changes;
    };
    EXPECT_EQ(glyph.NumGlyphs(), 1);
    EXPECT_EQ(glyph.TransparentColor(), 0x00FF00FF);
    glyph.SetGlyph(Strip(4));
    EXPECT_EQ(glyph.NumGlyphs(), 4);
    // Seven images are more than there are states: one wide picture.
    glyph.SetGlyph(Strip(7));
    EXPECT_EQ(glyph.NumGlyphs(), 1);
    glyph.SetNumGlyphs(3);
    QImage odd(30, 16, QImage::Format_RGB32);
    odd.fill(QColor(0, 128, 128));
    glyph.SetGlyph(odd);
    EXPECT_EQ(glyph.NumGlyphs(), 3);
    // The transparent colour is the bottom-left pixel's, as a TColor.
    EXPECT_EQ(glyph.TransparentColor(), 0x00808000);
    EXPECT_EQ(changes, 3);
    glyph.SetNumGlyphs(0);
    EXPECT_EQ(glyph.NumGlyphs(), 3);
}

TEST(KrButtonGlyph, GreyImagesArePixelByPixelGreyColours)
{
    // Random pictures in the formats a strip comes in, with the transparent colour and the button
    // face among their pixels, greyed into a smaller picture and in place.
    TKrButtonGlyph glyph;
    uint32_t seed = 777;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const QRgb kept[] = {ToQColor(glyph.TransparentColor()).rgb(), ToQColor(static_cast<TColor>(clBtnFace)).rgb()};
    for (const QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_ARGB32_Premultiplied,
                                        QImage::Format_RGB888, QImage::Format_RGB16}) {
        QImage source(9, 5, QImage::Format_ARGB32);
        for (int y = 0; y < source.height(); ++y)
            for (int x = 0; x < source.width(); ++x) {
                const uint32_t pick = next();
                source.setPixel(x, y, pick % 5 == 0 ? kept[pick % 2] : qRgba(pick & 0xFF, (pick >> 8) & 0xFF,
                                                                         (pick >> 16) & 0xFF, pick % 3 ? 255 : 128));
            }
        source = source.convertToFormat(format);
        QImage expected(6, 4, QImage::Format_RGB32);
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                expected.setPixelColor(x, y, ToQColor(glyph.GrayedColor(FromQColor(source.pixelColor(x, y)))));
        QImage target(6, 4, QImage::Format_RGB32);
        target.fill(Qt::green);
        glyph.GrayInto(target, source);
        EXPECT_EQ(target, expected) << format;

        QImage whole = source.convertToFormat(QImage::Format_RGB32);
        QImage wholeExpected = whole;
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x)
                wholeExpected.setPixelColor(x, y, ToQColor(glyph.GrayedColor(FromQColor(whole.pixelColor(x, y)))));
        const QImage before = whole;
        glyph.GrayInto(whole, whole);
        EXPECT_EQ(whole, wholeExpected) << format;
        EXPECT_NE(before, whole);
    }
}

TEST(KrButtonGlyph, GreyFollowsLightnessAndLeavesTheBackgroundAlone)
{
    TKrButtonGlyph glyph;
    EXPECT_EQ(glyph.GrayedColor(clRed), static_cast<TColor>(RGBValue(76, 76, 76)));
    EXPECT_EQ(glyph.GrayedColor(clLime), static_cast<TColor>(RGBValue(149, 149, 149)));
    EXPECT_EQ(glyph.GrayedColor(clWhite), static_cast<TColor>(RGBValue(255, 255, 255)));
    EXPECT_EQ(glyph.GrayedColor(clBlue), static_cast<TColor>(RGBValue(28, 28, 28)));
    EXPECT_EQ(glyph.GrayedColor(glyph.TransparentColor()), glyph.TransparentColor());
    EXPECT_EQ(glyph.GrayedColor(static_cast<TColor>(clBtnFace)), static_cast<TColor>(clBtnFace));
    // Any colour comes out grey, and never lighter than white.
    std::mt19937 random(41);
    for (int i = 0; i < 200; ++i) {
        const TColor colour = static_cast<TColor>(random() & 0xFFFFFF);
        if (colour == glyph.TransparentColor())
            continue;
        const uint32_t grey = static_cast<uint32_t>(glyph.GrayedColor(colour));
        EXPECT_EQ(GetRValue(grey), GetGValue(grey));
        EXPECT_EQ(GetGValue(grey), GetBValue(grey));
    }
}

TEST(KrButtonGlyph, StateImagesComeFromTheirPlaceInTheStrip)
{
    TKrButtonGlyph glyph;
    glyph.SetGlyph(Strip(5));
    ASSERT_EQ(glyph.NumGlyphs(), 5);
    for (int state = rsUp; state <= rsInactive; ++state) {
        const int index = glyph.StateImageIndex(static_cast<TKrButtonState>(state));
        ASSERT_NE(index, -1);
        const QImage image = glyph.GlyphList()->Image(index);
        EXPECT_EQ(image.pixelColor(8, 8), kStateColours[state]) << state;
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << state; // the fuchsia background is transparent
        // Built once: asking again gives the same slot.
        EXPECT_EQ(glyph.StateImageIndex(static_cast<TKrButtonState>(state)), index);
    }
    EXPECT_EQ(glyph.GlyphList()->UsedCount(), 5);

    // With fewer images than states the missing ones are the up image; down needs three.
    glyph.SetGlyph(Strip(2));
    EXPECT_EQ(glyph.StateImageIndex(rsDown), glyph.StateImageIndex(rsUp));
    EXPECT_EQ(StateImage(glyph, rsExclusive).pixelColor(8, 8), kStateColours[0]);
    EXPECT_EQ(StateImage(glyph, rsDisabled).pixelColor(8, 8), kStateColours[1]);
    // The inactive image is the up image in grey.
    EXPECT_EQ(StateImage(glyph, rsInactive).pixelColor(8, 8), Grey(76));

    // One image: the disabled look is embossed, shadow at the picture and highlight one pixel on.
    glyph.SetGlyph(Strip(1));
    const QImage embossed = StateImage(glyph, rsDisabled);
    EXPECT_EQ(Where(embossed, sysColour(clBtnShadow)), QRect(4, 4, 8, 8));
    EXPECT_EQ(embossed.pixelColor(12, 12), sysColour(clBtnHighlight));
    EXPECT_EQ(qAlpha(embossed.pixel(0, 0)), 0);

    glyph.SetGlyph(QImage());
    EXPECT_EQ(glyph.StateImageIndex(rsUp), -1);
}

TEST(KrGlyphCache, GlyphsOfOneSizeShareAListWhoseSlotsAreReused)
{
    ASSERT_EQ(GlyphCache(), nullptr);
    {
        auto first = std::make_unique<TKrButtonGlyph>();
        ASSERT_NE(GlyphCache(), nullptr);
        TKrButtonGlyph second;
        TKrButtonGlyph other;
        first->SetGlyph(Strip(1));
        second.SetGlyph(Strip(2));
        other.SetGlyph(Strip(1, 20));
        const int a = first->StateImageIndex(rsUp);
        const int b = second.StateImageIndex(rsUp);
        other.StateImageIndex(rsUp);
        EXPECT_EQ(first->GlyphList(), second.GlyphList());
        EXPECT_NE(first->GlyphList(), other.GlyphList());
        EXPECT_EQ(GlyphCache()->ListCount(), 2);
        EXPECT_NE(a, b);
        TKrGlyphList* shared = second.GlyphList();
        EXPECT_EQ(shared->UsedCount(), 2);

        // A glyph that changes gives its slot back; the next image takes it and the list stays as long.
        const int length = shared->Count();
        first->SetGlyph(Strip(3));
        EXPECT_FALSE(shared->Used(a));
        EXPECT_EQ(shared->UsedCount(), 1);
        EXPECT_EQ(second.StateImageIndex(rsDisabled), a);
        EXPECT_EQ(shared->Count(), length);

        // System colours changing drop the images of one glyph only.
        other.Invalidate();
        EXPECT_EQ(other.GlyphList(), nullptr);
        EXPECT_EQ(GlyphCache()->ListCount(), 1);
        first.reset();
        EXPECT_NE(GlyphCache(), nullptr);
    }
    // The last glyph takes the cache with it.
    EXPECT_EQ(GlyphCache(), nullptr);
}

TEST(KrGlyphList, SlotsAreTakenFirstFreeFirstAndNeverGiveBackTwice)
{
    TKrGlyphList list(4, 4);
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    std::vector<int> taken;
    for (int i = 0; i < 4; ++i)
        taken.push_back(list.AddMasked(red, clBlack));
    EXPECT_EQ(taken, (std::vector<int>{0, 1, 2, 3}));
    list.Delete(2);
    list.Delete(2);
    list.Delete(0);
    list.Delete(9);
    EXPECT_EQ(list.UsedCount(), 2);
    EXPECT_EQ(list.AllocateSlot(), 0);
    EXPECT_EQ(list.Add(red, QImage()), 2);
    EXPECT_EQ(list.Add(red, QImage()), 4);
    EXPECT_EQ(list.Count(), 5);
    EXPECT_EQ(list.UsedCount(), 4); // a slot taken without an image is not counted
}

TEST(KrButtonGlyph, CaptionAndGlyphArePlacedFromTheirSizes)
{
    // Left layout, both -1: three equal gaps.
    TPoint room = TKrButtonGlyph::CaptionRoom({60, 30}, {16, 16}, blGlyphLeft, -1, -1, false);
    EXPECT_EQ(room, (TPoint{42, 28}));
    TKrGlyphLayout placed =
        TKrButtonGlyph::PlaceGlyphAndCaption({10, 5, 70, 35}, {16, 16}, {20, 13}, blGlyphLeft, -1, -1, false);
    EXPECT_EQ(placed.GlyphPos, (TPoint{10 + 8, 5 + 7}));
    EXPECT_EQ(placed.TextBounds, (TRect{10 + 8 + 16 + 8, 5 + 9, 10 + 52, 5 + 22}));
    const TGlyphTextPlacement gaps = PlaceGlyphAndText({60, 30}, {16, 16}, {20, 13}, blGlyphLeft, -1, -1);
    EXPECT_EQ(gaps.Margin, 8);
    EXPECT_EQ(gaps.Spacing, 8);

    // Top layout with a margin of 2: the caption midway in what is left below the glyph.
    room = TKrButtonGlyph::CaptionRoom({40, 50}, {16, 16}, blGlyphTop, 2, -1, false);
    EXPECT_EQ(room, (TPoint{38, 30}));
    placed = TKrButtonGlyph::PlaceGlyphAndCaption({0, 0, 40, 50}, {16, 16}, {30, 13}, blGlyphTop, 2, -1, false);
    // Spacing = (50 - (2 + 16)) div 2 - 13 div 2 = 10.
    EXPECT_EQ(placed.GlyphPos, (TPoint{12, 2}));
    EXPECT_EQ(placed.TextBounds, (TRect{5, 28, 35, 41}));

    // Right and bottom mirror left and top; a given spacing centres the pair.
    placed = TKrButtonGlyph::PlaceGlyphAndCaption({0, 0, 60, 30}, {16, 16}, {20, 13}, blGlyphRight, -1, 4, false);
    EXPECT_EQ(placed.GlyphPos.X, 60 - 10 - 16);
    EXPECT_EQ(placed.TextBounds.Left, 60 - 10 - 16 - 4 - 20);
    placed = TKrButtonGlyph::PlaceGlyphAndCaption({0, 0, 30, 60}, {16, 16}, {20, 13}, blGlyphBottom, 3, 2, false);
    EXPECT_EQ(placed.GlyphPos.Y, 60 - 3 - 16);
    EXPECT_EQ(placed.TextBounds.Bottom, 60 - 3 - 16 - 2);

    // The drop-down mark: beside the caption it widens the caption's room, beside the glyph the glyph.
    EXPECT_EQ(TKrButtonGlyph::CaptionRoom({60, 30}, {16, 16}, blGlyphLeft, 1, 1, true), (TPoint{31, 28}));
    placed = TKrButtonGlyph::PlaceGlyphAndCaption({0, 0, 60, 30}, {16, 16}, {20, 13}, blGlyphLeft, -1, -1, true);
    EXPECT_EQ(placed.GlyphPos.X, (60 - 45) / 3);
    EXPECT_EQ(placed.TextBounds.Width(), 20);
    placed = TKrButtonGlyph::PlaceGlyphAndCaption({0, 0, 30, 30}, {16, 16}, {0, 0}, blGlyphTop, -1, -1, true);
    EXPECT_EQ(placed.GlyphPos.X, 15 - 11);

    // Without room the caption gets none, never a negative size.
    EXPECT_EQ(TKrButtonGlyph::CaptionRoom({10, 10}, {16, 16}, blGlyphTop, 4, 4, false), (TPoint{8, 0}));
}

TEST(KrButtonGlyph, LongCaptionsAreShortenedLineByLineUnlessWrapped)
{
    TKrButtonGlyph glyph;
    QImage surface(10, 10, QImage::Format_RGB32);
    QPainter canvas(&surface);
    const std::string caption = "Una leyenda muy larga\r\nCorta";
    const std::string fitted = glyph.FitCaption(canvas, caption, 60);
    ASSERT_NE(fitted.find("\r\n"), std::string::npos);
    EXPECT_EQ(fitted.substr(fitted.find("\r\n") + 2), "Corta");
    EXPECT_EQ(fitted.substr(fitted.find("\r\n") - 3, 3), "...");
    EXPECT_EQ(glyph.FitCaption(canvas, "Corta  \r\n", 200), "Corta");
    EXPECT_EQ(glyph.FitCaption(canvas, std::string(400, 'x'), 1 << 20).size(), 255u);
    glyph.SetWordWrap(true);
    EXPECT_EQ(glyph.FitCaption(canvas, caption, 60), caption);
}

TEST(KrButtonGlyph, TheDropDownArrowIsATriangleOfFourRows)
{
    QImage surface(20, 20, QImage::Format_RGB32);
    surface.fill(Qt::white);
    {
        QPainter canvas(&surface);
        TKrButtonGlyph::DrawDropDownArrow(canvas, 5, 8, rsUp);
    }
    const QColor ink = sysColour(clBtnText);
    EXPECT_EQ(Where(surface, ink), QRect(5, 7, 7, 4));
    const int widths[] = {7, 5, 3, 1};
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(Where(surface.copy(0, 7 + row, 20, 1), ink), QRect(5 + row, 0, widths[row], 1)) << row;

    surface.fill(Qt::white);
    {
        QPainter canvas(&surface);
        TKrButtonGlyph::DrawDropDownArrow(canvas, 5, 8, rsDisabled);
    }
    EXPECT_EQ(Where(surface, sysColour(clBtnShadow)), QRect(5, 7, 7, 4));
    EXPECT_EQ(surface.pixelColor(12, 8), sysColour(clBtnHighlight)); // the highlight one pixel below right
}

TEST(KrButtonBorder, TheFramesLeaveTheInsideForUpAndDownFlatAndNot)
{
    const TRect client{0, 0, 25, 25};
    QImage surface(25, 25, QImage::Format_RGB32);
    struct Case {
        bool down;
        bool flat;
        TButtonStyle style;
        TRect inside;
        uint32_t outerTopLeft;
        uint32_t outerBottomRight;
    };
    const Case cases[] = {
        {false, false, bsAutoDetect, {3, 3, 22, 22}, clBtnHighlight, clWindowFrame},
        {false, true, bsAutoDetect, {2, 2, 23, 23}, clBtnHighlight, clBtnShadow},
        {true, false, bsAutoDetect, {3, 3, 22, 22}, clWindowFrame, clBtnHighlight},
        {true, true, bsNew, {2, 2, 23, 23}, clWindowFrame, clBtnHighlight},
        {false, false, bsWin31, {3, 3, 22, 22}, clWindowFrame, clWindowFrame},
        {false, true, bsWin31, {2, 2, 23, 23}, clBtnHighlight, clWindowFrame},
        {true, false, bsWin31, {2, 2, 23, 23}, clWindowFrame, clWindowFrame},
        {true, true, bsWin31, {2, 2, 23, 23}, clWindowFrame, clBtnHighlight},
    };
    for (const Case& c : cases) {
        surface.fill(Qt::magenta);
        TRect inside;
        {
            QPainter canvas(&surface);
            inside = DrawButtonBorder(canvas, client, c.down, c.style, c.flat);
        }
        const int n = &c - cases;
        EXPECT_EQ(inside, c.inside) << n;
        EXPECT_EQ(surface.pixelColor(0, 0), sysColour(c.outerTopLeft)) << n;
        EXPECT_EQ(surface.pixelColor(24, 24), sysColour(c.outerBottomRight)) << n;
        EXPECT_EQ(surface.pixelColor(12, 12), QColor(Qt::magenta)) << n; // the inside is left alone
    }
    // The second frame of the new raised look.
    surface.fill(Qt::magenta);
    {
        QPainter canvas(&surface);
        DrawButtonBorder(canvas, client, false, bsNew, false);
    }
    EXPECT_EQ(surface.pixelColor(1, 1), sysColour(clBtnFace));
    EXPECT_EQ(surface.pixelColor(23, 23), sysColour(clBtnShadow));
}

TEST(KrSpeedButton, DefaultsAreThoseOfTheTable)
{
    const int before = ButtonCount();
    TKrSpeedButton button;
    EXPECT_EQ(ButtonCount(), before + 1);
    EXPECT_EQ(button.geometry(), QRect(0, 0, 25, 25));
    EXPECT_EQ(button.Alignment(), taCenter);
    EXPECT_FALSE(button.AllowAllUp());
    EXPECT_FALSE(button.AllowTimer());
    EXPECT_EQ(button.GroupIndex(), 0);
    EXPECT_FALSE(button.Down());
    EXPECT_EQ(button.DropDownMenu(), nullptr);
    EXPECT_EQ(button.MenuPosition(), dmpBottom);
    EXPECT_FALSE(button.Flat());
    EXPECT_TRUE(button.GrayedInactive());
    EXPECT_EQ(button.InitPause(), 500);
    EXPECT_EQ(button.RepeatInterval(), 100);
    EXPECT_EQ(button.Layout(), blGlyphTop);
    EXPECT_EQ(button.Margin(), -1);
    EXPECT_TRUE(button.MarkDropDown());
    EXPECT_EQ(button.ModalResult(), 0);
    EXPECT_EQ(button.NumGlyphs(), 1);
    EXPECT_EQ(button.Spacing(), 1);
    EXPECT_EQ(button.Style(), bsAutoDetect);
    EXPECT_FALSE(button.Transparent());
    EXPECT_FALSE(button.WordWrap());
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
    // Out-of-range values.
    button.SetMargin(-5);
    EXPECT_EQ(button.Margin(), -1);
    button.SetNumGlyphs(9);
    EXPECT_EQ(button.NumGlyphs(), 5);
    // Without a group a button cannot stay down.
    button.SetDown(true);
    EXPECT_FALSE(button.Down());
}

TEST(KrSpeedButton, EveryStatePaintsItsFrameAndGlyph)
{
    TButtonWindow host;
    TKrSpeedButton* button = host.Add(10);
    button->SetGlyph(Strip(1));
    MoveCursorTo(host.window, {150, 80});
    const QColor face = sysColour(clBtnFace);

    // Up: raised frame, glyph centred.
    QImage up = Picture(*button);
    EXPECT_EQ(up.pixelColor(0, 0), sysColour(clBtnHighlight));
    EXPECT_EQ(up.pixelColor(24, 24), sysColour(clWindowFrame));
    EXPECT_EQ(Where(up, kStateColours[0]).topLeft(), QPoint(3 + 1 + 4, 3 + 1 + 4));

    // Held down: sunken frame, glyph one pixel on.
    SendMouse(*button, QEvent::MouseButtonPress, {12, 12});
    EXPECT_EQ(button->State(), rsDown);
    QImage down = Picture(*button);
    EXPECT_EQ(down.pixelColor(0, 0), sysColour(clWindowFrame));
    EXPECT_EQ(down.pixelColor(24, 24), sysColour(clBtnHighlight));
    EXPECT_EQ(Where(down, kStateColours[0]).topLeft(), QPoint(9, 9));
    // Dragged out it rises, back in it sinks again.
    SendMouse(*button, QEvent::MouseMove, {40, 12});
    EXPECT_EQ(button->State(), rsUp);
    SendMouse(*button, QEvent::MouseMove, {12, 25});
    EXPECT_EQ(button->State(), rsDown);
    SendMouse(*button, QEvent::MouseButtonRelease, {40, 12});
    EXPECT_EQ(button->State(), rsUp);

    // Exclusive: sunken, the inside filled with the down pattern.
    button->SetGroupIndex(1);
    button->SetDown(true);
    EXPECT_EQ(button->State(), rsExclusive);
    QImage exclusive = Picture(*button);
    ASSERT_NE(DownPattern(), nullptr);
    EXPECT_EQ(exclusive.pixelColor(2, 2), DownPattern()->pixelColor(2, 2));
    EXPECT_EQ(exclusive.pixelColor(3, 2), DownPattern()->pixelColor(3, 2));
    EXPECT_NE(exclusive.pixelColor(2, 2), exclusive.pixelColor(3, 2));
    EXPECT_EQ(Where(exclusive, kStateColours[0]).topLeft(), QPoint(9, 9));

    // Disabled: raised, the glyph embossed.
    button->SetAllowAllUp(true);
    button->SetDown(false);
    button->setEnabled(false);
    QImage disabled = Picture(*button);
    EXPECT_EQ(button->State(), rsDisabled);
    EXPECT_TRUE(Where(disabled, kStateColours[0]).isNull());
    EXPECT_EQ(Where(disabled.copy(3, 3, 19, 19), sysColour(clBtnShadow)).translated(3, 3), QRect(8, 8, 8, 8));
    EXPECT_EQ(disabled.pixelColor(16, 16), sysColour(clBtnHighlight));
    // Enabled again, down in its group: exclusive once more.
    button->SetDown(true);
    button->setEnabled(true);
    Picture(*button);
    EXPECT_EQ(button->State(), rsExclusive);

    // A disabled button with two images shows the second.
    TKrSpeedButton* two = host.Add(60);
    two->SetGlyph(Strip(2));
    two->setEnabled(false);
    EXPECT_EQ(Where(Picture(*two), kStateColours[1]).topLeft(), QPoint(8, 8));

    // Flat and away from the mouse: no frame at all.
    TKrSpeedButton* flat = host.Add(100);
    flat->SetFlat(true);
    QImage inactive = Picture(*flat);
    EXPECT_EQ(inactive.pixelColor(0, 0), face);
    EXPECT_EQ(inactive.pixelColor(24, 24), face);
}

TEST(KrSpeedButton, AFlatButtonIsGreyAwayFromTheMouseWhenAskedTo)
{
    TButtonWindow host;
    TKrSpeedButton* button = host.Add(10);
    button->SetFlat(true);
    button->SetGlyph(Strip(1));
    int entered = 0;
    int left = 0;
    button->OnMouseEnter = [&](TKrSpeedButton*) { ++entered; };
    button->OnMouseLeave = [&](TKrSpeedButton*) { ++left; };
    MoveCursorTo(host.window, {150, 80});
    button->TrackMouse();
    EXPECT_FALSE(button->MouseOver());
    EXPECT_EQ(Where(Picture(*button), Grey(76)).topLeft(), QPoint(8, 8));

    MoveCursorTo(*button, {12, 12});
    button->TrackMouse();
    EXPECT_TRUE(button->MouseOver());
    EXPECT_EQ(entered, 1);
    QImage over = Picture(*button);
    EXPECT_TRUE(Where(over, Grey(76)).isNull());
    EXPECT_EQ(Where(over, kStateColours[0]).topLeft(), QPoint(8, 8));
    EXPECT_EQ(over.pixelColor(0, 0), sysColour(clBtnHighlight)); // the flat frame shows under the mouse

    MoveCursorTo(host.window, {150, 80});
    button->TrackMouse();
    EXPECT_EQ(left, 1);

    // The window system's enter and leave say the same, once each way; not while the button is held.
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(button->mapToGlobal(QPoint(5, 5))));
    QCoreApplication::sendEvent(button, &enter);
    QCoreApplication::sendEvent(button, &enter);
    EXPECT_TRUE(button->MouseOver());
    EXPECT_EQ(entered, 2);
    SendMouse(*button, QEvent::MouseButtonPress, {5, 5});
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(button, &leave);
    EXPECT_TRUE(button->MouseOver());
    // A release ends the hover state of a button outside a group without a leave of its own.
    SendMouse(*button, QEvent::MouseButtonRelease, {50, 5});
    EXPECT_FALSE(button->MouseOver());
    QCoreApplication::sendEvent(button, &leave);
    EXPECT_EQ(left, 1);
    QCoreApplication::sendEvent(button, &enter);
    QCoreApplication::sendEvent(button, &leave);
    EXPECT_EQ(left, 2);
    button->SetGrayedInactive(false);
    QImage coloured = Picture(*button);
    EXPECT_EQ(Where(coloured, kStateColours[0]).topLeft(), QPoint(8, 8));
    EXPECT_EQ(coloured.pixelColor(0, 0), sysColour(clBtnFace));
}

TEST(KrSpeedButton, ATransparentButtonShowsWhatLiesBeneathAroundItsFrameAndGlyph)
{
    TButtonWindow host;
    QPalette palette = host.window.palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 0));
    host.window.setPalette(palette);
    host.window.setAutoFillBackground(true);
    // A sibling made first lies beneath the left half of the button.
    auto* beneath = new QWidget(&host.window);
    beneath->setGeometry(10, 10, 12, 25);
    beneath->setAutoFillBackground(true);
    QPalette navy = beneath->palette();
    navy.setColor(QPalette::Window, QColor(0, 0, 128));
    beneath->setPalette(navy);
    beneath->show();
    TKrSpeedButton* button = host.Add(10);
    button->SetGlyph(Strip(1));
    button->SetFlat(true);
    button->SetGrayedInactive(false);
    MoveCursorTo(host.window, {150, 80});
    for (const bool transparent : {true, false, true}) {
        button->SetTransparent(transparent);
        const QImage shown = Picture(host.window).copy(button->geometry());
        // Away from the mouse a flat button has no frame: the glyph alone over the parent and the sibling.
        EXPECT_EQ(Where(shown, kStateColours[0]).topLeft(), QPoint(8, 8)) << transparent;
        EXPECT_EQ(shown.pixelColor(1, 1), transparent ? QColor(0, 0, 128) : sysColour(clBtnFace)) << transparent;
        EXPECT_EQ(shown.pixelColor(23, 23), transparent ? QColor(0, 128, 0) : sysColour(clBtnFace)) << transparent;
    }
    // Under the mouse the frame is drawn over what lies beneath.
    MoveCursorTo(*button, {12, 12});
    button->TrackMouse();
    const QImage over = Picture(host.window).copy(button->geometry());
    EXPECT_EQ(over.pixelColor(0, 0), sysColour(clBtnHighlight));
    EXPECT_EQ(over.pixelColor(2, 20), QColor(0, 0, 128));
    EXPECT_EQ(over.pixelColor(20, 2), QColor(0, 128, 0));
}

TEST(KrSpeedButton, AClickOnAGroupedButtonTogglesItWithinTheGroupsRules)
{
    TButtonWindow host;
    TKrSpeedButton* a = host.Add(10);
    TKrSpeedButton* b = host.Add(40);
    TKrSpeedButton* other = host.Add(70);
    a->SetGroupIndex(3);
    b->SetGroupIndex(3);
    other->SetGroupIndex(4);
    other->SetDown(true);
    int clicks = 0;
    a->OnClick = [&](TKrSpeedButton* sender) {
        EXPECT_EQ(sender, a);
        ++clicks;
    };

    Click(*a);
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), rsExclusive);
    EXPECT_EQ(clicks, 1);
    // Clicked again it stays down: one of the group must be.
    Click(*a);
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(clicks, 2);
    // Pressing another of the group raises it; other groups are not touched.
    Click(*b);
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(a->State(), rsUp);
    EXPECT_TRUE(other->Down());

    // AllowAllUp set on one goes to the whole group, and then the down one can be raised.
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp());
    EXPECT_FALSE(other->AllowAllUp());
    Click(*b);
    EXPECT_FALSE(b->Down());
    // A press released outside changes nothing and clicks nothing.
    SendMouse(*a, QEvent::MouseButtonPress, {5, 5});
    SendMouse(*a, QEvent::MouseButtonRelease, {50, 5});
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(clicks, 2);
}

TEST(KrSpeedButton, APressThatOpensTheMenuLeavesTheButtonUp)
{
    TButtonWindow host;
    TKrSpeedButton* button = host.Add(10);
    TPopupMenu menu;
    menu.addAction("Uno");
    button->SetDropDownMenu(&menu);
    int clicks = 0;
    int downs = 0;
    button->OnClick = [&](TKrSpeedButton*) { ++clicks; };
    button->OnMouseDown = [&](TKrSpeedButton*, Qt::MouseButton, TShiftState, int, int) { ++downs; };

    bool pressedWhileOpen = false;
    const bool shown = WithPopupMenu([&] { SendMouse(*button, QEvent::MouseButtonPress, {12, 12}); },
                                     [&](QMenu& open) {
                                         EXPECT_EQ(&open, &menu);
                                         EXPECT_EQ(menu.PopupComponent(), button);
                                         // The menu stands below the button's left edge.
                                         EXPECT_EQ(open.pos(), button->mapToGlobal(QPoint(-1, 25)));
                                         pressedWhileOpen = button->State() == rsDown;
                                         // The click that closes the menu lands on the button: the menu
                                         // keeps it, and should it arrive anyway it presses nothing.
                                         SendMouse(open, QEvent::MouseButtonPress,
                                                   open.mapFromGlobal(button->mapToGlobal(QPoint(12, 12))));
                                         EXPECT_TRUE(open.testAttribute(Qt::WA_NoMouseReplay));
                                         SendMouse(*button, QEvent::MouseButtonPress, {12, 12});
                                         open.close();
                                     });
    ASSERT_TRUE(shown);
    EXPECT_TRUE(pressedWhileOpen);
    EXPECT_EQ(button->State(), rsUp);
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(clicks, 0);
    SendMouse(*button, QEvent::MouseButtonRelease, {12, 12});
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(button->State(), rsUp);

    // A press beside the menu's opener is given back as usual.
    WithPopupMenu([&] { SendMouse(*button, QEvent::MouseButtonPress, {12, 12}); },
                  [&](QMenu& open) {
                      SendMouse(open, QEvent::MouseButtonPress, open.mapFromGlobal(host.window.mapToGlobal(QPoint(180, 90))));
                      EXPECT_FALSE(open.testAttribute(Qt::WA_NoMouseReplay));
                      open.close();
                  });

    // Menu points by position and alignment.
    menu.SetAlignment(paRight);
    EXPECT_EQ(button->MenuPoint(), (TPoint{26, 25}));
    menu.SetAlignment(paCenter);
    EXPECT_EQ(button->MenuPoint(), (TPoint{12, 25}));
    button->SetMenuPosition(dmpRight);
    menu.SetAlignment(paLeft);
    EXPECT_EQ(button->MenuPoint(), (TPoint{25, -1}));
    menu.SetAlignment(paRight);
    EXPECT_EQ(button->MenuPoint(), (TPoint{-1, -1}));
    // A menu that does not pop up by itself waits for a forced call.
    menu.SetAutoPopup(false);
    EXPECT_FALSE(button->DropDownPopup({0, 0}, false));
    // A freed menu is forgotten.
    {
        auto* temporary = new TPopupMenu;
        button->SetDropDownMenu(temporary);
        delete temporary;
    }
    EXPECT_EQ(button->DropDownMenu(), nullptr);
    EXPECT_EQ(button->MenuPoint(), (TPoint{0, 0}));
}

TEST(KrSpeedButton, TheDropDownMarkIsDrawnBesideTheGlyph)
{
    TButtonWindow host;
    TKrSpeedButton* button = host.Add(10);
    button->resize(40, 25);
    button->SetGlyph(Strip(1));
    TPopupMenu menu;
    button->SetDropDownMenu(&menu);
    QImage marked = Picture(*button);
    const QRect glyph = Where(marked, kStateColours[0]);
    // Glyph 16 + 6 for the mark, centred in 40 - 6 for the frames: glyph at 3 + 6, mark at 9 + 16 + 1.
    EXPECT_EQ(glyph.topLeft(), QPoint(9 + 4, 8));
    // The frames are as dark as the mark: only the inside is searched.
    const QRect arrow = Where(marked.copy(20, 3, 17, 19), sysColour(clBtnText)).translated(20, 3);
    EXPECT_EQ(arrow, QRect(26, 4 + 8 - 1, 7, 4));
    button->SetMarkDropDown(false);
    EXPECT_TRUE(Where(Picture(*button).copy(20, 3, 17, 19), sysColour(clBtnText)).isNull());
}

TEST(KrSpeedButton, HoldingTheButtonRepeatsOneClickPerTick)
{
    class TRepeater : public TKrSpeedButton {
    public:
        using TKrSpeedButton::RepeatTick;
        using TKrSpeedButton::TKrSpeedButton;
    };
    TButtonWindow host;
    auto* button = new TRepeater(&host.window);
    button->show();
    int clicks = 0;
    button->OnClick = [&](TKrSpeedButton*) {
        ++clicks;
        if (clicks == 3)
            throw Exception("falla");
    };
    SendMouse(*button, QEvent::MouseButtonPress, {5, 5});
    EXPECT_EQ(button->RepeatTimer(), nullptr);
    SendMouse(*button, QEvent::MouseButtonRelease, {5, 5});
    EXPECT_EQ(clicks, 1);

    button->SetAllowTimer(true);
    SendMouse(*button, QEvent::MouseButtonPress, {5, 5});
    ASSERT_NE(button->RepeatTimer(), nullptr);
    EXPECT_TRUE(button->RepeatTimer()->isActive());
    EXPECT_EQ(button->RepeatTimer()->interval(), 500);
    button->RepeatTick();
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(button->RepeatTimer()->interval(), 100);
    // Dragged off the button it stops clicking without stopping the timer.
    SendMouse(*button, QEvent::MouseMove, {50, 5});
    button->RepeatTick();
    EXPECT_EQ(clicks, 2);
    SendMouse(*button, QEvent::MouseMove, {5, 5});
    // A failing click stops the repeat and is passed on.
    EXPECT_THROW(button->RepeatTick(), Exception);
    EXPECT_EQ(clicks, 3);
    EXPECT_FALSE(button->RepeatTimer()->isActive());
    button->OnClick = [&](TKrSpeedButton*) { ++clicks; };
    SendMouse(*button, QEvent::MouseButtonRelease, {5, 5});
    EXPECT_EQ(clicks, 4);
    EXPECT_FALSE(button->RepeatTimer()->isActive());
    button->SetAllowTimer(false);
    EXPECT_EQ(button->RepeatTimer(), nullptr);
}

TEST(KrSpeedButton, ModalResultClosesTheDialogAndAcceleratorsClick)
{
    QDialog dialog;
    auto* button = new TKrSpeedButton(&dialog);
    button->SetModalResult(1);
    button->SetCaption("&Aceptar");
    int clicks = 0;
    button->OnClick = [&](TKrSpeedButton*) { ++clicks; };
    QTimer::singleShot(0, [&] { Click(*button); });
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_EQ(clicks, 1);

    EXPECT_TRUE(button->DialogChar('a'));
    EXPECT_FALSE(button->DialogChar('c'));
    EXPECT_EQ(clicks, 2);
    button->setEnabled(false);
    EXPECT_FALSE(button->DialogChar('A'));
    button->SetCaption("Sin && tecla");
    button->setEnabled(true);
    EXPECT_FALSE(button->DialogChar('t'));
    EXPECT_EQ(clicks, 2);
}

TEST(KrSpeedButton, DoubleClicksReachOnlyADownButton)
{
    TButtonWindow host;
    TKrSpeedButton* button = host.Add(10);
    int clicks = 0;
    int doubles = 0;
    button->OnClick = [&](TKrSpeedButton*) { ++clicks; };
    button->OnDblClick = [&](TKrSpeedButton*) { ++doubles; };
    Click(*button);
    SendMouse(*button, QEvent::MouseButtonDblClick, {5, 5});
    SendMouse(*button, QEvent::MouseButtonRelease, {5, 5});
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubles, 0);
    button->SetGroupIndex(2);
    Click(*button);
    SendMouse(*button, QEvent::MouseButtonDblClick, {5, 5});
    SendMouse(*button, QEvent::MouseButtonRelease, {5, 5});
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(doubles, 1);
}

TEST(KrSpeedButton, ColourChangesDropTheBuiltImagesAndTheLastButtonFreesThePattern)
{
    {
        TButtonWindow host;
        TKrSpeedButton* button = host.Add(10);
        button->SetGlyph(Strip(1));
        button->Loaded();
        EXPECT_NE(button->ButtonGlyph().BuiltIndex(rsUp), -1);
        QEvent change(QEvent::PaletteChange);
        QCoreApplication::sendEvent(button, &change);
        EXPECT_EQ(button->ButtonGlyph().BuiltIndex(rsUp), -1);
        button->SetFlat(true);
        button->Loaded();
        EXPECT_NE(button->ButtonGlyph().BuiltIndex(rsInactive), -1);
        button->SetGroupIndex(1);
        button->SetDown(true);
        Picture(*button);
        button->SetFlat(false);
        Picture(*button);
        EXPECT_NE(DownPattern(), nullptr);
    }
    EXPECT_EQ(ButtonCount(), 0);
    EXPECT_EQ(DownPattern(), nullptr);
    EXPECT_EQ(GlyphCache(), nullptr);
}

TEST(ButtonImage, DrawsARaisedButtonWithItsGlyph)
{
    TButtonImage image;
    image.SetGlyph(Strip(1));
    image.ButtonSize = {30, 30};
    QImage surface(40, 40, QImage::Format_RGB32);
    surface.fill(Qt::white);
    {
        QPainter canvas(&surface);
        canvas.setBrush(Qt::red);
        image.DrawEx(canvas, 5, 5, -1, 1, blGlyphTop, nullptr, nullptr, -1, DT_CENTER);
        EXPECT_EQ(canvas.brush().color(), QColor(Qt::red));
    }
    EXPECT_EQ(surface.pixelColor(5, 5), sysColour(clBtnShadow));
    EXPECT_EQ(surface.pixelColor(34, 34), sysColour(clWindowFrame));
    EXPECT_EQ(surface.pixelColor(6, 6), sysColour(clBtnHighlight));
    EXPECT_EQ(surface.pixelColor(4, 4), QColor(Qt::white));
    EXPECT_EQ(Where(surface, kStateColours[0]).topLeft(), QPoint(5 + 2 + 5 + 4, 5 + 2 + 5 + 4));

    // From an image list: its image in place of the strip.
    TImageList list(10, 10);
    QImage blue(10, 10, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    list.AddMasked(blue, clBlack);
    surface.fill(Qt::white);
    {
        QPainter canvas(&surface);
        image.DrawEx(canvas, 5, 5, -1, 1, blGlyphTop, nullptr, &list, 0, DT_CENTER);
    }
    EXPECT_EQ(Where(surface, QColor(Qt::blue)), QRect(5 + 2 + 8, 5 + 2 + 8, 10, 10));
}

TEST(MenuClosingPress, MarksThePressOverTheButtonAsItsTestSaysAndLetsGoOfTheMenu)
{
    QWidget window;
    window.resize(200, 100);
    auto* button = new QWidget(&window);
    button->setGeometry(10, 10, 20, 20);
    QWidget menu;
    window.show();
    // The speed buttons count their bottom row as inside, the toolbar buttons do not.
    const TMenuClosingPress::TOverButton withBottomRow = [](const QWidget* b, QPoint at) {
        return at.x() >= 0 && at.x() < b->width() && at.y() >= 0 && at.y() <= b->height();
    };
    const TMenuClosingPress::TOverButton rect = [](const QWidget* b, QPoint at) { return b->rect().contains(at); };
    struct Case {
        TMenuClosingPress::TOverButton over;
        QPoint at; // in the button
        bool kept;
    };
    const Case cases[] = {{withBottomRow, {5, 5}, true},  {withBottomRow, {5, 20}, true}, {withBottomRow, {20, 5}, false},
                          {rect, {5, 5}, true},           {rect, {5, 20}, false},         {rect, {-1, 5}, false}};
    for (const Case& c : cases) {
        menu.setAttribute(Qt::WA_NoMouseReplay);
        {
            TMenuClosingPress closing(button, &menu, c.over);
            // A mark left from before is cleared when the menu opens.
            EXPECT_FALSE(menu.testAttribute(Qt::WA_NoMouseReplay));
            SendMouse(menu, QEvent::MouseButtonPress, menu.mapFromGlobal(button->mapToGlobal(c.at)));
            EXPECT_EQ(menu.testAttribute(Qt::WA_NoMouseReplay), c.kept) << c.at.x() << "," << c.at.y();
        }
        // Once the watch ended, presses leave the menu alone.
        menu.setAttribute(Qt::WA_NoMouseReplay, false);
        SendMouse(menu, QEvent::MouseButtonPress, menu.mapFromGlobal(button->mapToGlobal(QPoint(5, 5))));
        EXPECT_FALSE(menu.testAttribute(Qt::WA_NoMouseReplay));
    }
    EXPECT_EQ(AcceleratorOf("&Abrir"), 'A');
    EXPECT_EQ(AcceleratorOf("A && B"), 0);
    EXPECT_EQ(AcceleratorOf("A &&&B"), 'B');
    EXPECT_EQ(AcceleratorOf("B&"), 0);
}
