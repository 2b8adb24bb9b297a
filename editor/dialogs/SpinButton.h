// TSpinButton: an up and a down button that repeat their click while held, and TTimerSpeedButton, the speed button that repeats.
#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>

#include "platform/Buttons.h"

class QTimer;

// A speed button that clicks when pressed and, with tbAllowTimer, again after 400 ms and then every
// 100 ms while it is held down. The release clicks no more.
class TTimerSpeedButton : public TSpeedButton {
public:
    enum : uint8_t { tbFocusRect = 1, tbAllowTimer = 2 };
    using TMouseDownEvent = std::function<void(TTimerSpeedButton* Sender, Qt::MouseButton Button)>;

    explicit TTimerSpeedButton(QWidget* parent = nullptr);
    ~TTimerSpeedButton() override;

    uint8_t TimeBtnState() const { return FTimeBtnState; }
    void SetTimeBtnState(uint8_t value);
    // The repeat timer; none before the first press.
    QTimer* RepeatTimer() const { return FRepeatTimer; }

    // Fires OnClick.
    void Click();
    // The repeat: from now on every 100 ms, and a click while the button is held down. A failing
    // click stops the repeat and passes its exception on.
    void TimerExpired();

    TMouseDownEvent OnMouseDown;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void release();

    QTimer* FRepeatTimer = nullptr;
    uint8_t FTimeBtnState = 0;
    // The left button went down here and has not come up: the capture a held button keeps.
    bool FHeld = false;
};

// An upper and a lower TTimerSpeedButton, one pixel overlapping, at least 15 pixels wide.
class TSpinButton : public QWidget {
    Q_OBJECT
public:
    using TSpinEvent = std::function<void(TSpinButton* Sender)>;
    static constexpr int kMinWidth = 15;

    explicit TSpinButton(QWidget* parent = nullptr);

    // A null glyph puts the default arrow back with a glyph count of 1.
    void SetUpGlyph(const QPixmap& glyph);
    const QPixmap& UpGlyph() const { return FUpButton->Glyph(); }
    void SetDownGlyph(const QPixmap& glyph);
    const QPixmap& DownGlyph() const { return FDownButton->Glyph(); }
    int UpNumGlyphs() const { return FUpButton->NumGlyphs(); }
    void SetUpNumGlyphs(int value) { FUpButton->SetNumGlyphs(value); }
    int DownNumGlyphs() const { return FDownButton->NumGlyphs(); }
    void SetDownNumGlyphs(int value) { FDownButton->SetNumGlyphs(value); }
    // The control a press on the buttons gives the focus to; cleared when it is destroyed.
    QWidget* FocusControl() const { return FFocusControl; }
    void SetFocusControl(QWidget* control) { FFocusControl = control; }
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool value);

    TTimerSpeedButton* UpButton() const { return FUpButton; }
    TTimerSpeedButton* DownButton() const { return FDownButton; }
    TTimerSpeedButton* FocusedButton() const { return FFocusedButton; }

    TSpinEvent OnUpClick;
    TSpinEvent OnDownClick;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    TTimerSpeedButton* createButton();
    void adjustButtons();
    void setFocusBtn(TTimerSpeedButton* button);
    void btnClick(TSpeedButton* button);
    void btnMouseDown(TTimerSpeedButton* button, Qt::MouseButton mouseButton);
    void setFocusFlag(bool on);

    TTimerSpeedButton* FUpButton;
    TTimerSpeedButton* FDownButton;
    TTimerSpeedButton* FFocusedButton;
    QPointer<QWidget> FFocusControl;
    bool FTabStop = false;
};
