// A form that refuses to close while told to, as a form whose close question was cancelled does.
#pragma once

#include <QCloseEvent>
#include <QWidget>

class TRefusingForm : public QWidget {
public:
    using QWidget::QWidget;
    bool Refuse = false;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (Refuse)
            event->ignore();
        else
            QWidget::closeEvent(event);
    }
};
