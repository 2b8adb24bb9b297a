// The speed button: the glyph strip cut into state images, the image each state shows, the glyph's
// place beside the caption, and the click handler.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include "platform/Buttons.h"
#include "support/Pictures.h"

namespace {

const QColor kStateColours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};

// `count` images of 16 x 16 side by side, each a white square with an 8 x 8 block of its colour.
QPixmap Strip(int count)
{
    QPixmap strip(16 * count, 16);
    strip.fill(Qt::white);
    QPainter painter(&strip);
    for (int i = 0; i < count; ++i)
        painter.fillRect(16 * i + 4, 4, 8, 8, kStateColours[i]);
    return strip;
}

QImage Picture(TSpeedButton& button)
{
    return button.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(SpeedButton, TheStripIsCutIntoStateImagesWithItsBackgroundTransparent)
{
    TSpeedButton button;
    button.SetGlyph(Strip(4));
    EXPECT_TRUE(button.StateGlyph(1).isNull());
    button.SetNumGlyphs(4);
    for (int i = 0; i < 4; ++i) {
        QImage image = button.StateGlyph(i).toImage();
        ASSERT_EQ(image.size(), QSize(16, 16));
        EXPECT_EQ(image.pixelColor(8, 8), kStateColours[i]);
        EXPECT_EQ(qAlpha(image.pixel(0, 15)), 0);
        EXPECT_EQ(qAlpha(image.pixel(15, 0)), 0);
    }
    EXPECT_TRUE(button.StateGlyph(4).isNull());
    EXPECT_TRUE(button.StateGlyph(-1).isNull());
    // Counts outside one to four change nothing.
    button.SetNumGlyphs(0);
    button.SetNumGlyphs(5);
    EXPECT_EQ(button.NumGlyphs(), 4);
    button.SetNumGlyphs(2);
    EXPECT_EQ(button.StateGlyph(0).size(), QSize(32, 16));
    EXPECT_TRUE(button.StateGlyph(2).isNull());
}

TEST(SpeedButton, EachStateShowsItsImage)
{
    TSpeedButton button;
    button.resize(30, 30);
    button.SetGlyph(Strip(4));
    button.SetNumGlyphs(4);
    button.setCheckable(true);
    EXPECT_EQ(Where(Picture(button), Qt::red), QRect(11, 11, 8, 8));
    button.setDown(true);
    EXPECT_EQ(Where(Picture(button), Qt::blue), QRect(12, 12, 8, 8)); // pressed in by a pixel
    button.setDown(false);
    button.setChecked(true);
    EXPECT_EQ(Where(Picture(button), Qt::yellow), QRect(12, 12, 8, 8));
    button.setChecked(false);
    button.setEnabled(false);
    EXPECT_EQ(Where(Picture(button), Qt::green), QRect(11, 11, 8, 8));

    // Without a disabled image the first one is greyed.
    button.SetNumGlyphs(1);
    button.SetGlyph(Strip(1));
    QImage grey = Picture(button);
    EXPECT_TRUE(Where(grey, Qt::red).isNull());
    EXPECT_NE(grey.pixelColor(15, 15), grey.pixelColor(2, 15));
}

TEST(SpeedButton, TheLayoutPutsTheGlyphOnItsSideOfTheCaption)
{
    TSpeedButton button;
    button.resize(120, 60);
    button.SetGlyph(Strip(1));
    button.setText("Abc");
    struct Case {
        TButtonLayout layout;
        bool glyphFirst;
        bool across;
    };
    for (Case c : {Case{blGlyphLeft, true, true}, Case{blGlyphRight, false, true}, Case{blGlyphTop, true, false},
                   Case{blGlyphBottom, false, false}}) {
        button.SetLayout(c.layout);
        EXPECT_EQ(button.Layout(), c.layout);
        QRect glyph = Where(Picture(button), Qt::red);
        ASSERT_FALSE(glyph.isNull()) << c.layout;
        // Centred across the layout's axis, off the centre along it.
        QPoint offset = glyph.center() - button.rect().center();
        int along = c.across ? offset.x() : offset.y();
        int across = c.across ? offset.y() : offset.x();
        EXPECT_LE(std::abs(across), 1) << c.layout;
        EXPECT_TRUE(c.glyphFirst ? along < -4 : along > 4) << c.layout << " " << along;
    }
    // Without a caption the glyph is centred whatever the layout.
    button.setText({});
    EXPECT_EQ(Where(Picture(button), Qt::red), QRect(56, 26, 8, 8));
}

TEST(SpeedButton, AClickReachesOnClickAndTheButtonNeverTakesTheFocus)
{
    TSpeedButton button;
    button.resize(20, 20);
    button.show();
    EXPECT_EQ(button.focusPolicy(), Qt::NoFocus);
    EXPECT_FALSE(button.Flat());
    button.SetFlat(true);
    EXPECT_TRUE(button.autoRaise());
    int clicks = 0;
    button.OnClick = [&](TSpeedButton* sender) {
        ++clicks;
        EXPECT_EQ(sender, &button);
    };
    QPoint at(10, 10);
    QMouseEvent press(QEvent::MouseButtonPress, at, button.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, at, button.mapToGlobal(at), Qt::LeftButton, {}, {});
    QCoreApplication::sendEvent(&button, &press);
    QCoreApplication::sendEvent(&button, &release);
    EXPECT_EQ(clicks, 1);
    button.click();
    EXPECT_EQ(clicks, 2);
}
