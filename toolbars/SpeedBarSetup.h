// SpeedBarSetup: the window in which the user customizes a speed bar, listing its sections and their buttons to drag onto the bar.
#pragma once

#include <QAbstractScrollArea>
#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "components/KrCtrls.h"
#include "platform/Controls.h"

class QFrame;
class QLabel;
class QPushButton;
class TBtnControl;
class TSpeedBar;
class TSpeedItem;

// An owner-drawn grid of one column whose rows share one height, selected a row at a time, with a
// vertical scroll bar: the setup window's lists.
class TSetupGrid : public QAbstractScrollArea {
public:
    explicit TSetupGrid(QWidget* parent = nullptr);

    int RowCount() const { return FRowCount; }
    // Keeps the current row inside the new count (-1 for none).
    void SetRowCount(int value);
    int DefaultRowHeight() const { return FRowHeight; }
    void SetDefaultRowHeight(int value);
    // The current row; -1 when the grid has none.
    int Row() const { return FRow; }
    // Asks OnSelectCell; a refused row leaves the current one. Returns whether the row is current.
    bool SetRow(int value);
    int TopRow() const { return FTopRow; }
    // The height inside the frame; setting it resizes the grid around it.
    int ClientHeight() const;
    void SetClientHeight(int value);
    int ClientWidth() const;
    // The row at a point of the viewport; -1 when none.
    int RowAt(QPoint at) const;
    QRect CellRect(int row) const;

    std::function<void(QPainter& canvas, int row, const QRect& cell, bool selected)> OnDrawCell;
    // False refuses the row.
    std::function<bool(int row)> OnSelectCell;
    // After the current row changed.
    std::function<void()> OnRowChanged;
    // After the grid's own handling (a press first selects the row under it); points of the viewport.
    std::function<void(QMouseEvent* event)> OnMouseDown;
    std::function<void(QMouseEvent* event)> OnMouseMove;
    std::function<void(QMouseEvent* event)> OnMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int visibleRows() const;
    void updateScrollBar();
    void scrollToRow(int row);

    int FRowCount = 0;
    int FRowHeight = 24;
    int FRow = -1;
    int FTopRow = 0;
};

// The modeless window that customizes one speed bar: while it is open the bar is in edit mode and
// its buttons are dragged from the list onto the bar, along the bar and off it.
class TSpeedbarSetupWindow : public QDialog, public TMessageTarget {
public:
    explicit TSpeedbarSetupWindow(QWidget* owner = nullptr);
    ~TSpeedbarSetupWindow() override;

    TSpeedBar* SpeedBar() const { return FBar; }
    // The old bar leaves edit mode, the new one enters it; the lists are sized and filled, no section chosen.
    void SetSpeedBar(TSpeedBar* value);
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int value) { FHelpContext = value; }
    // The hint of the item in the current button row; empty when none.
    const std::string& Hint() const { return FHint; }
    // The item of the current button row; nil when none.
    TSpeedItem* CurrentItem() const;
    // Whether a press in the button list is being dragged, and the item it carries (nil when the
    // pressed item was already on the bar).
    bool Dragging() const { return FDragging; }
    TSpeedItem* DragItem() const { return FDragItem; }
    TBtnControl* DragImage() const { return FDragImage.get(); }

    // CM_SPEEDBARCHANGED from the bar: 0 fills the lists again, 1 closes the window, 3 sizes them.
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam) override;

    QFrame* Bevel1 = nullptr;
    QLabel* ButtonsLabel = nullptr;
    QLabel* CategoriesLabel = nullptr;
    QLabel* HintLabel = nullptr;
    TSetupGrid* ButtonsList = nullptr;
    TSetupGrid* SectionList = nullptr;
    QPushButton* CloseBtn = nullptr;
    QPushButton* HelpBtn = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void done(int result) override;
    // Frees the drag image and lets the bar go out of edit mode; once.
    void finish();
    void resizeGrids();
    void fitColumns();
    // Fills the section list (choosing `section` when >= 0) and the buttons of the chosen section.
    void updateLists(int section);
    void updateButtons();
    int currentSection() const;
    void setCurrentHint();
    bool buttonsSelectCell(int row);
    void buttonsMouseDown(QMouseEvent* event);
    void buttonsMouseMove(QMouseEvent* event);
    void buttonsMouseUp(QMouseEvent* event);
    void clearDrag();

    std::unique_ptr<TBtnControl> FDragImage;
    TButtonImage FImage;
    TSpeedBar* FBar = nullptr;
    bool FDragging = false;
    TSpeedItem* FDragItem = nullptr;
    int FHelpContext = 0;
    std::string FHint;
};

// Opens the setup window of `bar` (nothing without one): the open one is brought forward and
// restored, else one is made over the bar's form and attached. A help context > 0 shows the help button. A window made
// here is freed when showing it fails, and the error passed on.
void ShowSpeedbarSetupWindow(TSpeedBar* bar, int helpContext);
// The open setup window customizing `bar`; nil when none.
TSpeedbarSetupWindow* FindSpeedbarSetupWindow(const TSpeedBar* bar);
