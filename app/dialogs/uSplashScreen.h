// TSplashScreen: the borderless picture shown in the middle of the screen while the main window is made.
#pragma once

#include <QWidget>

class QPainter;

class TSplashScreen : public QWidget {
public:
    static constexpr int kSize = 250;
    explicit TSplashScreen(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The program's picture, kSize pixels square from the painter's origin: the splash window and the
// about box show it.
void PaintSplashPicture(QPainter& painter);
