// TSplashScreen: the borderless picture shown in the middle of the screen while the main window is made.
#include "app/dialogs/uSplashScreen.h"

#include <QFont>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

TSplashScreen::TSplashScreen(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName("SplashScreen");
    setFixedSize(kSize, kSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.center() - QPoint(kSize / 2, kSize / 2));
    }
}

void TSplashScreen::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintSplashPicture(painter);
}

void PaintSplashPicture(QPainter& painter)
{
    const QRect rect(0, 0, TSplashScreen::kSize, TSplashScreen::kSize);
    constexpr int kSize = TSplashScreen::kSize;
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, kSize);
    sky.setColorAt(0, QColor(16, 48, 96));
    sky.setColorAt(1, QColor(64, 128, 176));
    painter.fillRect(rect, sky);

    // A kestrel's outline hovering over a page of angle brackets: the program writes pages by hand.
    painter.setPen(QPen(QColor(255, 255, 255, 90), 3));
    painter.setFont(QFont("Sans", 28, QFont::Bold));
    painter.drawText(QRect(0, 150, kSize, 50), Qt::AlignCenter, QStringLiteral("</>"));
    QPainterPath bird;
    bird.moveTo(40, 110);
    bird.quadTo(90, 60, 125, 100);
    bird.quadTo(160, 60, 210, 110);
    bird.quadTo(160, 85, 125, 115);
    bird.quadTo(90, 85, 40, 110);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(240, 180, 60));
    painter.drawPath(bird);
    painter.setPen(QColor(255, 255, 255));
    painter.setFont(QFont("Sans", 22, QFont::Bold));
    painter.drawText(QRect(0, 195, kSize, 40), Qt::AlignCenter, QStringLiteral("Kestrima"));
    painter.setPen(QColor(255, 255, 255, 160));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
}
