// TEditKt: its frame, colours, letter case and the hot state that follows the pointer and the focus.
#include "toolbars/EditKt.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include "platform/GraphicsQt.h"

TEditKt::TEditKt(QWidget* parent) : QLineEdit(parent)
{
    // No frame of the style's: the client area lies 3 pixels inside the frame drawn here.
    setFrame(false);
    setContentsMargins(kFrame, kFrame, kFrame, kFrame);
    setAutoFillBackground(true);
    SetColor(clWindow);
    applyHideSelection();
    resize(width(), 19);
    connect(this, &QLineEdit::textChanged, this, [this] { applyCharCase(); });
}

void TEditKt::Loaded()
{
    FLoaded = true;
    NewAdjustHeight();
}

void TEditKt::NewAdjustHeight()
{
    resize(width(), QFontMetrics(font()).height() + 6);
}

bool TEditKt::Hot() const
{
    if (hasFocus())
        return true;
    return FMouseInControl && !dynamic_cast<TEditKt*>(QApplication::focusWidget());
}

void TEditKt::SetColor(TColor value)
{
    FColor = value;
    QPalette p = palette();
    const QColor color = ToQColor(value);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Base, color);
        p.setColor(group, QPalette::Window, color);
    }
    setPalette(p);
}

void TEditKt::SetCharCase(TEditCharCase value)
{
    FCharCase = value;
    applyCharCase();
}

void TEditKt::applyCharCase()
{
    if (FCharCase == ecNormal)
        return;
    const QString current = text();
    const QString cased = FCharCase == ecUpperCase ? current.toUpper() : current.toLower();
    if (cased != current) {
        const int at = cursorPosition();
        setText(cased);
        setCursorPosition(at);
    }
}

void TEditKt::SetMaxLength(int value)
{
    FMaxLength = value < 0 ? 0 : value;
    setMaxLength(FMaxLength == 0 ? 32767 : FMaxLength);
}

void TEditKt::SetPasswordChar(char value)
{
    FPasswordChar = value;
    setEchoMode(value == '\0' ? QLineEdit::Normal : QLineEdit::Password);
}

void TEditKt::SetHideSelection(bool value)
{
    FHideSelection = value;
    applyHideSelection();
}

// A hidden selection is drawn as plain text while the edit has no focus.
void TEditKt::applyHideSelection()
{
    QPalette p = palette();
    const QPalette defaults = QApplication::palette(this);
    p.setColor(QPalette::Inactive, QPalette::Highlight,
               FHideSelection ? p.color(QPalette::Inactive, QPalette::Base)
                              : defaults.color(QPalette::Inactive, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText,
               FHideSelection ? p.color(QPalette::Inactive, QPalette::Text)
                              : defaults.color(QPalette::Inactive, QPalette::HighlightedText));
    setPalette(p);
}

void TEditKt::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        SetColor(isEnabled() ? clWindow : clBtnFace);
        applyHideSelection();
        break;
    case QEvent::FontChange:
        if (FLoaded)
            NewAdjustHeight();
        break;
    default: break;
    }
}

void TEditKt::enterEvent(QEnterEvent* event)
{
    QLineEdit::enterEvent(event);
    FMouseInControl = true;
    update();
}

void TEditKt::leaveEvent(QEvent* event)
{
    QLineEdit::leaveEvent(event);
    FMouseInControl = false;
    update();
}

void TEditKt::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    update();
}

void TEditKt::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    update();
}

void TEditKt::paintEvent(QPaintEvent* event)
{
    QLineEdit::paintEvent(event);
    QPainter painter(this);
    RedrawBorder(painter);
}

void TEditKt::RedrawBorder(QPainter& painter)
{
    QRect r = rect();
    const QColor face = ToQColor(clBtnFace);
    const QColor window = ToQColor(clWindow);
    auto ring = [&](const QColor& color) {
        if (r.isEmpty())
            return;
        painter.fillRect(r.left(), r.top(), r.width(), 1, color);
        painter.fillRect(r.left(), r.bottom(), r.width(), 1, color);
        painter.fillRect(r.left(), r.top(), 1, r.height(), color);
        painter.fillRect(r.right(), r.top(), 1, r.height(), color);
        r.adjust(1, 1, -1, -1);
    };
    if (!Hot()) {
        ring(face);
        ring(face);
        ring(window);
        return;
    }
    DrawEdge(painter, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    // The inner layer: the button face at the top and left, a sunken inner edge at the bottom and right.
    painter.fillRect(r.left(), r.top(), 1, r.height() - 1, face);
    painter.fillRect(r.left(), r.top(), r.width() - 1, 1, face);
    QRect inner = r;
    DrawEdge(painter, inner, BDR_SUNKENINNER, BF_BOTTOMRIGHT);
    r.adjust(1, 1, -1, -1);
    ring(window);
}
