// TSplashScreen: the borderless picture shown in the middle of the screen while the main window is made.
#pragma once

#include <QWidget>

class TSplashScreen : public QWidget {
public:
    static constexpr int kSize = 250;
    explicit TSplashScreen(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
