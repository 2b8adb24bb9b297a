// A window's scroll bar drawn as the system draws one: a disabled bar shows no thumb.
#pragma once

#include <QScrollBar>

class TScrollBar : public QScrollBar {
public:
    explicit TScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr) : QScrollBar(orientation, parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};
