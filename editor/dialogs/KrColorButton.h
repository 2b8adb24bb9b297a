// TKrColorButton: the button that shows a colour and drops down the colour palette to choose another.
#pragma once

#include <QPointer>
#include <QPushButton>
#include <functional>
#include <string>

#include "editor/dialogs/SYM_CBut.h"
#include "platform/Buttons.h"
#include "platform/core/Graphics.h"

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
