// The colour unit: the colour grid TColorArrayClass and TTSM_KrColorButtonPalette, the colour button's
// pop-up palette of 4 x 5 colours, one further colour and the "&Otro" button to the colour dialog.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "editor/model/ColorArray.h"
#include "platform/core/Geometry.h"

class QPushButton;

// A cell of the palette: column 1..4 and row 1..5 of the grid, (0, 0) the extra cell, (-1, -1) none.
struct TPaletteCell {
    int32_t X = -1;
    int32_t Y = -1;
    friend bool operator==(const TPaletteCell&, const TPaletteCell&) = default;
};

// The palette's colours by default: white, black and greys, then red, green and blue in full and
// half strength with their mixtures, and four pale tones.
void SetDefaultPaletteColors(TColorArrayClass& colors);

// A borderless window under the colour button. A click on a cell picks its colour; any click, Esc or
// the loss of activation closes it, and a closed palette deletes itself. While the colour dialog of
// "&Otro" is open it refuses to close.
class TTSM_KrColorButtonPalette : public QWidget {
    Q_OBJECT
public:
    using TColorSelectedEvent = std::function<void(TTSM_KrColorButtonPalette* Sender, TColor Color)>;
    using TPaletteCloseEvent = std::function<void(TTSM_KrColorButtonPalette* Sender)>;

    // Cells are 18 pixels square; the window's frame is 3 pixels wide around the client area.
    static constexpr int kCellSize = 18;
    static constexpr int kColumns = 4;
    static constexpr int kRows = 5;
    static constexpr int kFrame = 3;
    static constexpr int kClientWidth = kColumns * kCellSize;
    static constexpr int kOtherTop = 98;
    static constexpr int kOtherHeight = 21;
    static constexpr int kClientHeight = kOtherTop + kOtherHeight + 2;

    explicit TTSM_KrColorButtonPalette(QWidget* owner = nullptr);
    ~TTSM_KrColorButtonPalette() override;

    // Highlights the first grid cell (columns outer, rows inner) of the colour's RGB value; a colour
    // not in the grid becomes the extra cell's colour.
    void SetSelectedColor(TColor color);
    TColor SelectedColor() const { return FSelectedColor; }
    void SetPaletteColors(const TColorArrayClass& colors) { FPaletteColors.Assign(colors); update(); }
    const TColorArrayClass& PaletteColors() const { return FPaletteColors; }
    void SetCustomColors(const TColorArrayClass& colors) { FCustomColors.Assign(colors); }
    const TColorArrayClass& CustomColors() const { return FCustomColors; }
    void SetOtherColor(TColor color);
    TColor OtherColor() const { return FOtherColor; }
    // The caption of the button that opens the colour dialog (Windows-1252).
    void SetOtherCaption(const std::string& caption);
    QPushButton* OtherButton() const { return FOtherButton; }
    bool InOtherDialog() const { return FInOtherDialog; }
    TPaletteCell HotCell() const { return FHotCell; }

    static bool IsValidCell(TPaletteCell cell);
    // The cell under a point of the client area; (-1, -1) for none.
    static TPaletteCell CellAtCursor(TPoint client);
    // The 18 x 18 rectangle of a cell in client coordinates.
    static QRect CellRect(TPaletteCell cell);
    // The colour a valid cell shows.
    TColor CellColor(TPaletteCell cell) const;

    // The click on a point of the client area: picks the colour of a cell there, then closes.
    void ClickAt(TPoint client);
    // Follows the mouse: a valid cell under it other than the hot one becomes hot.
    void HotTrack(TPoint client);
    // Opens the colour dialog on the extra cell's colour and the custom colours; OK picks its colour.
    void OtherClick();

    TColorSelectedEvent OnColorSelected;
    TPaletteCloseEvent OnPaletteClose;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    TPoint clientPoint(const QPointF& widgetPoint) const;
    void drawCell(QPainter& canvas, TPaletteCell cell, bool highlighted) const;
    void appDeactivate();

    bool FInOtherDialog = false;
    TColorArrayClass FPaletteColors{kColumns, kRows};
    TColorArrayClass FCustomColors{8, 2};
    TColor FSelectedColor = 0;
    TColor FOtherColor;
    TPaletteCell FHotCell;
    QPushButton* FOtherButton;
};
