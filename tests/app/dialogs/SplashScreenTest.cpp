// Tests of the splash window: a borderless square in the middle of the screen showing a picture.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <set>

#include "app/dialogs/uSplashScreen.h"

TEST(SplashScreen, IsABorderlessSquareCentredOnTheScreenWithAPicture)
{
    TSplashScreen splash;
    EXPECT_EQ(splash.size(), QSize(250, 250));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE(std::abs(splash.geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(splash.geometry().center().y() - screen.center().y()), 1);
    EXPECT_TRUE(splash.children().isEmpty());

    const QImage picture = splash.grab().toImage();
    ASSERT_EQ(picture.size(), QSize(250, 250));
    // A picture, not a plain fill: many colours, brighter at the foot than at the head.
    std::set<QRgb> colours;
    for (int y = 0; y < 250; y += 5)
        for (int x = 0; x < 250; x += 5)
            colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 20u);
    EXPECT_LT(qGray(picture.pixel(5, 5)), qGray(picture.pixel(5, 245)));
}
