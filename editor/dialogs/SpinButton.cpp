// TSpinButton and TTimerSpeedButton: buttons that repeat their click while held.
#include "editor/dialogs/SpinButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "editor/Glyphs.h"
#include "editor/dialogs/ControlSupport.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/core/SysUtils.h"

namespace {

// The repeat of a held speed button: a longer wait first, so that a single press clicks once.
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 100;

} // namespace

TTimerSpeedButton::TTimerSpeedButton(QWidget* parent) : TSpeedButton(parent) {}

TTimerSpeedButton::~TTimerSpeedButton() = default;

void TTimerSpeedButton::SetTimeBtnState(uint8_t value)
{
    if (value != FTimeBtnState) {
        FTimeBtnState = value;
        update();
    }
}

void TTimerSpeedButton::Click()
{
    if (OnClick)
        OnClick(this);
}

void TTimerSpeedButton::TimerExpired()
{
    if (FRepeatTimer)
        FRepeatTimer->setInterval(kRepeatMs);
    if (!isDown() || !FHeld)
        return;
    try {
        Click();
    } catch (...) {
        if (FRepeatTimer)
            FRepeatTimer->stop();
        throw;
    }
}

void TTimerSpeedButton::mousePressEvent(QMouseEvent* event)
{
    TSpeedButton::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !isDown())
        return;
    FHeld = true;
    bool clicked = false;
    CallHandler(this, [&] {
        if (OnMouseDown)
            OnMouseDown(this, event->button());
        Click();
        clicked = true;
    });
    if (!clicked || !(FTimeBtnState & tbAllowTimer))
        return;
    if (!FRepeatTimer) {
        FRepeatTimer = new QTimer(this);
        connect(FRepeatTimer, &QTimer::timeout, this, [this] { CallHandler(this, [this] { TimerExpired(); }); });
    }
    FRepeatTimer->setInterval(kFirstRepeatMs);
    FRepeatTimer->start();
}

void TTimerSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    {
        // The press clicked already: the button's own click on release stays silent.
        const QSignalBlocker silent(this);
        TSpeedButton::mouseReleaseEvent(event);
    }
    if (event->button() == Qt::LeftButton)
        release();
}

void TTimerSpeedButton::release()
{
    FHeld = false;
    if (FRepeatTimer)
        FRepeatTimer->stop();
}

void TTimerSpeedButton::changeEvent(QEvent* event)
{
    TSpeedButton::changeEvent(event);
    // A button disabled or hidden while held never sees its release: the repeat ends here instead.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        setDown(false);
        release();
    }
}

void TTimerSpeedButton::hideEvent(QHideEvent* event)
{
    TSpeedButton::hideEvent(event);
    setDown(false);
    release();
}

void TTimerSpeedButton::paintEvent(QPaintEvent* event)
{
    TSpeedButton::paintEvent(event);
    if (FTimeBtnState & tbFocusRect) {
        QPainter canvas(this);
        QRect focus = rect().adjusted(3, 3, -3, -3);
        if (isDown())
            focus.translate(1, 1);
        DrawFocusRect(canvas, focus);
    }
}

// ---------------------------------------------------------------- spin button

TSpinButton::TSpinButton(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumWidth(kMinWidth);
    FUpButton = createButton();
    FDownButton = createButton();
    SetUpGlyph({});
    SetDownGlyph({});
    FFocusedButton = FUpButton;
    resize(20, 25);
    adjustButtons();
}

TTimerSpeedButton* TSpinButton::createButton()
{
    auto* button = new TTimerSpeedButton(this);
    button->SetTimeBtnState(TTimerSpeedButton::tbAllowTimer);
    button->OnClick = [this](TSpeedButton* sender) { btnClick(sender); };
    button->OnMouseDown = [this](TTimerSpeedButton* sender, Qt::MouseButton mouseButton) {
        btnMouseDown(sender, mouseButton);
    };
    button->show();
    return button;
}

void TSpinButton::SetUpGlyph(const QPixmap& glyph)
{
    if (glyph.isNull()) {
        FUpButton->SetGlyph(QPixmap::fromImage(GlyphResource("SEM_SPINUP")));
        FUpButton->SetNumGlyphs(1);
    } else {
        FUpButton->SetGlyph(glyph);
    }
}

void TSpinButton::SetDownGlyph(const QPixmap& glyph)
{
    if (glyph.isNull()) {
        FDownButton->SetGlyph(QPixmap::fromImage(GlyphResource("SEM_SPINDOWN")));
        FDownButton->SetNumGlyphs(1);
    } else {
        FDownButton->SetGlyph(glyph);
    }
}

void TSpinButton::SetTabStop(bool value)
{
    FTabStop = value;
    setFocusPolicy(value ? Qt::TabFocus : Qt::NoFocus);
}

void TSpinButton::adjustButtons()
{
    const int w = std::max(width(), kMinWidth);
    const int upperHeight = height() / 2;
    FUpButton->setGeometry(0, 0, w, upperHeight);
    // The two buttons share one pixel row, so their borders do not double up.
    FDownButton->setGeometry(0, upperHeight - 1, w, height() - upperHeight + 1);
}

void TSpinButton::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    adjustButtons();
}

void TSpinButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
        CallHandler(this, [this] { FFocusedButton->Click(); });
        break;
    case Qt::Key_Up:
        setFocusBtn(FUpButton);
        CallHandler(this, [this] { FUpButton->Click(); });
        break;
    case Qt::Key_Down:
        setFocusBtn(FDownButton);
        CallHandler(this, [this] { FDownButton->Click(); });
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TSpinButton::setFocusFlag(bool on)
{
    const uint8_t state = FFocusedButton->TimeBtnState();
    FFocusedButton->SetTimeBtnState(on ? state | TTimerSpeedButton::tbFocusRect
                                       : state & ~TTimerSpeedButton::tbFocusRect);
}

void TSpinButton::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    setFocusFlag(true);
}

void TSpinButton::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    setFocusFlag(false);
}

void TSpinButton::setFocusBtn(TTimerSpeedButton* button)
{
    if (!FTabStop || !isEnabled() || !isVisible() || button == FFocusedButton)
        return;
    setFocusFlag(false);
    FFocusedButton = button;
    if (hasFocus())
        setFocusFlag(true);
}

void TSpinButton::btnMouseDown(TTimerSpeedButton* button, Qt::MouseButton mouseButton)
{
    if (mouseButton != Qt::LeftButton)
        return;
    setFocusBtn(button);
    QWidget* control = FFocusControl;
    const auto canTakeFocus = [](QWidget* w) { return w->isEnabled() && w->isVisible(); };
    if (control && (control->focusPolicy() & Qt::TabFocus) && canTakeFocus(control) && !control->hasFocus())
        control->setFocus(Qt::MouseFocusReason);
    else if (FTabStop && !hasFocus() && canTakeFocus(this))
        setFocus(Qt::MouseFocusReason);
}

void TSpinButton::btnClick(TSpeedButton* button)
{
    if (button == FUpButton) {
        if (OnUpClick)
            OnUpClick(this);
    } else if (OnDownClick) {
        OnDownClick(this);
    }
}
