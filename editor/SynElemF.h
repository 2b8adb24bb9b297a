// The editor options' small controls: TKrColorButton, the button that drops down the colour palette,
// and TSpinButton, a pair of up and down TTimerSpeedButtons that repeat their click while held.
#pragma once

#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <string>

#include "editor/SYM_CBut.h"
#include "platform/Buttons.h"

class QTimer;

// An owner-drawn button that shows its colour as a swatch beside a drop-down arrow. A click (mouse,
// Space or Enter) drops the palette down instead of clicking: the button's clicked signal stays
// silent. A colour picked there becomes Color.
class TKrColorButton : public QPushButton {
    Q_OBJECT
public:
    using TColorButtonEvent = std::function<void(TKrColorButton* Sender)>;

    explicit TKrColorButton(QWidget* parent = nullptr);
    ~TKrColorButton() override;

    TButtonStyle Style() const { return FStyle; }
    void SetStyle(TButtonStyle value);
    TColor Color() const { return FColor; }
    // A new value repaints and fires OnColorChange; the current value does nothing.
    void SetColor(TColor value);
    // The caption of the palette's colour-dialog button (Windows-1252), "&Otro" by default.
    const std::string& OtherBtnCaption() const { return FOtherBtnCaption; }
    void SetOtherBtnCaption(const std::string& value) { FOtherBtnCaption = value; }
    TColor OtherColor() const { return FOtherColor; }
    void SetOtherColor(TColor value) { FOtherColor = value; }
    const TColorArrayClass& PaletteColors() const { return FPaletteColors; }
    void SetPaletteColors(const TColorArrayClass& value) { FPaletteColors.Assign(value); }
    const TColorArrayClass& CustomColors() const { return FCustomColors; }
    void SetCustomColors(const TColorArrayClass& value) { FCustomColors.Assign(value); }
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    // Kept for whoever stores the custom colours; the button itself does not use it.
    const std::string& CustomColorsKey() const { return FCustomColorsKey; }
    void SetCustomColorsKey(const std::string& value) { FCustomColorsKey = value; }

    // The default palette grid and 16 white custom colours.
    virtual void SetDefaultColors();
    // The parent's name, ".", the button's name; the button's name alone without a parent.
    virtual std::string QualifiedName() const;

    // Opens the palette under the button, or above it where the work area ends below.
    void DropDown();
    bool DroppedDown() const { return FDroppedDown; }
    TTSM_KrColorButtonPalette* Palette() const { return FPalette; }
    // The palette's screen position for a button at `button` (screen coordinates) in `workArea`.
    static QPoint PalettePosition(const QRect& button, const QSize& palette, const QRect& workArea);

    TColorButtonEvent OnColorChange;

protected:
    virtual void DoColorChange();
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void dropDownReporting();
    void paletteColorSelected(TColor color);
    void paletteClosed();

    TButtonStyle FStyle = bsAutoDetect;
    TColor FColor = clBlack;
    std::string FOtherBtnCaption;
    TColor FOtherColor;
    TColorArrayClass FPaletteColors{TTSM_KrColorButtonPalette::kColumns, TTSM_KrColorButtonPalette::kRows};
    TColorArrayClass FCustomColors{8, 2};
    bool FFlat = false;
    std::string FCustomColorsKey;
    QPointer<TTSM_KrColorButtonPalette> FPalette;
    bool FIsFocused = false;
    bool FDroppedDown = false;
    bool FMouseInControl = false;
};

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
