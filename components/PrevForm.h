// The print preview window: a tool bar, the pages at any zoom in a scroll box, and a status bar of page, zoom and hint.
#pragma once

#include <QDialog>
#include <QPoint>

#include "platform/Cursors.h"

class QComboBox;
class QLabel;
class QScrollArea;
class QStatusBar;
class TKrSpeedButton;
class TPreviewPrinter;
class TPreviewForm;

// The cursors of the page boxes: a magnifying glass and an open hand.
enum : TCursor { crZoomCursor = 40, crHandCursor = 41 };

// One page drawn at the box's size; the first box of the window also takes the zoom and hand clicks.
class TPageBox : public QWidget {
public:
    TPageBox(TPreviewForm& form, int offset, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TPreviewForm& FForm;
    int FOffset; // 0 shows the current page, 1 the one after it
};

class TPreviewForm : public QDialog {
public:
    TPreviewForm(TPreviewPrinter& printer, QWidget* parent = nullptr);

    TKrSpeedButton* PrintBut;
    TKrSpeedButton* FirstPageSpeed;
    TKrSpeedButton* PrevPageBut;
    TKrSpeedButton* NextPageBut;
    TKrSpeedButton* LastPageSpeed;
    TKrSpeedButton* PageNumSpeed;
    QComboBox* ZoomBox;
    TKrSpeedButton* FitPageBut;
    TKrSpeedButton* FitWidthBut;
    TKrSpeedButton* GridBut;
    TKrSpeedButton* ZoomCursorBut;
    TKrSpeedButton* HandCursorBut;
    TKrSpeedButton* OnePageBut;
    TKrSpeedButton* TwoPageBut;
    TKrSpeedButton* CloseBut;
    QScrollArea* ScrollBox;
    QWidget* ContainPanel;
    TPageBox* PagePanel1;
    TPageBox* PagePanel2;
    QStatusBar* StatusBar;
    QLabel* Panels[3];

    TPreviewPrinter& Printer() const { return FPrinter; }
    int CurrentPage() const { return FCurrentPage; }
    double Zoom() const { return FZoom; }
    void ShowPage(int page);
    // Sizes and places the page boxes for the zoom entry chosen.
    void LayoutPages();
    // Zooms in (factor above 1) or out about a point of the first page box.
    void ZoomAt(QPoint point, double factor);

    // The zoom stays between these, so that a page box never grows past what can be allocated.
    static constexpr double kMinZoom = 0.05;
    static constexpr double kMaxZoom = 20.0;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    friend class TPageBox;
    void buildToolBar(QWidget* bar);
    void updateButtons();
    void setPageCursor();
    void boxPressed(QMouseEvent* event);
    void boxMoved(QMouseEvent* event);

    TPreviewPrinter& FPrinter;
    int FCurrentPage = 0;
    double FZoom = 1.0;
    QPoint FDragFrom;
    bool FDragging = false;
};

// Registers the zoom and hand cursors (40 and 41); called by the window, harmless more than once.
void RegisterPreviewCursors();
// Shows the preview of `printer` modally with its first state, then frees the window.
void ShowPreviewForm(TPreviewPrinter& printer, QWidget* owner);
