// A window's scroll bar drawn as the system draws one.
#include "platform/ScrollBar.h"

#include <QPainter>
#include <QStyleOptionSlider>

void TScrollBar::paintEvent(QPaintEvent* event)
{
    if (isEnabled()) {
        QScrollBar::paintEvent(event);
        return;
    }
    // A disabled bar has nothing to scroll: its arrows and groove, greyed, and no thumb (drawing a
    // thumb the length of the groove also costs the most).
    QPainter painter(this);
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_All;
    option.subControls &= ~QStyle::SubControls(QStyle::SC_ScrollBarSlider);
    option.activeSubControls = QStyle::SC_None;
    style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
}
