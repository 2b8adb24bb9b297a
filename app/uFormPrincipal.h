// The main window of the program.
#pragma once

#include <QMainWindow>

class TformPrincipal : public QMainWindow {
    Q_OBJECT
public:
    explicit TformPrincipal(QWidget* parent = nullptr);
};
