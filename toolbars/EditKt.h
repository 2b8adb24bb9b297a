// TEditKt: the single-line edit that matches the flat toolbar buttons, flat while idle and sunken while hot.
#pragma once

#include <QLineEdit>

#include "platform/core/Graphics.h"

class QPainter;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// A single-line edit that draws its own 3-pixel frame: flat while idle, sunken while hot (focused, or
// under the pointer while the focused control is no flat edit).
class TEditKt : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int kFrame = 3;

    explicit TEditKt(QWidget* parent = nullptr);

    // After the form's controls are made: the height fits the font.
    void Loaded();
    // The font's text height plus 6 becomes the height.
    void NewAdjustHeight();
    // Whether the frame is drawn sunken now.
    bool Hot() const;
    bool MouseInControl() const { return FMouseInControl; }
    // clWindow while enabled, clBtnFace while disabled.
    TColor Color() const { return FColor; }

    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase value);
    // 0: no limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int value);
    // '\0': the text is shown; any other: each character is hidden.
    char PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void SetColor(TColor value);
    void RedrawBorder(QPainter& painter);
    void applyCharCase();
    void applyHideSelection();

    bool FMouseInControl = false;
    bool FLoaded = false;
    TColor FColor = clWindow;
    TEditCharCase FCharCase = ecNormal;
    int FMaxLength = 0;
    char FPasswordChar = '\0';
    bool FHideSelection = true;
};
