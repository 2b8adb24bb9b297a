// ComboBoxKt: the combo box in the flat style of the toolbars, which paints its own frame and drop-down button.
#pragma once

#include <QComboBox>
#include <QRect>
#include <cstdint>

#include "platform/core/Graphics.h"

class QPainter;

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// A combo box that, with Flat, paints its frame flat while the pointer is elsewhere and the box has
// no focus, and a sunken frame with a raised button while it is hot or focused. Without Flat the
// platform paints it. Its events are the combo box's signals.
class TCustomComboBoxKt : public QComboBox {
    Q_OBJECT

public:
    // Bits of ButtonState().
    static constexpr uint8_t kButtonPressed = 1;
    static constexpr uint8_t kButtonTracking = 2;

    explicit TCustomComboBoxKt(QWidget* parent = nullptr);

    bool Flat() const { return FFlat; }
    // Ctl3D takes the opposite value.
    void SetFlat(bool value);
    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle value);
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool value);
    // The box's own colour; with ParentColor the parent's colour is shown instead.
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool value);
    int DropDownCount() const { return maxVisibleItems(); }
    void SetDropDownCount(int value) { setMaxVisibleItems(value); }
    // While designing, an enabled box counts as hot.
    bool Designing() const { return FDesigning; }
    void SetDesigning(bool value);

    // The colour the box shows now.
    TColor ShownColor() const;
    int ButtonWidth() const { return FButtonWidth; }
    uint8_t ButtonState() const { return FButtonState; }
    bool MouseInControl() const { return FMouseInControl; }
    // Whether the raised look is drawn: hot (or designing and enabled) or focused.
    bool HotOrFocused() const;
    // The drop-down button's area in the box.
    QRect ButtonRect() const;

    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void RedrawBorders(QPainter& painter);
    void applyColor();
    void placeEditField();
    bool listDropped() const;
    void setButtonState(uint8_t value);

    bool FFlat = false;
    bool FCtl3D = true;
    TComboBoxStyle FStyle = csDropDown;
    TColor FColor = clWindow;
    bool FParentColor = false;
    // Colour and parent-colour flag kept while the box is disabled.
    TColor FSavedColor = clWindow;
    bool FSavedParentColor = false;
    int FButtonWidth = 0;
    uint8_t FButtonState = 0;
    bool FMouseInControl = false;
    bool FDesigning = false;
};

// The published combo box of the toolbars; the drop-down list shows 8 items by default.
class TComboBoxKt : public TCustomComboBoxKt {
    Q_OBJECT

public:
    explicit TComboBoxKt(QWidget* parent = nullptr);
};
