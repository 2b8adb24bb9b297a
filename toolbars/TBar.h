// TBar: the dock, a bar along one edge of a form that holds tool windows in rows.
#pragma once

#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

#include "components/core/DockRows.h"
#include "platform/core/Geometry.h"
#include "platform/core/Graphics.h"
#include "toolbars/TBarTlwn.h"

class QPainter;
class TPopupMenu;

class TDockKt : public QWidget {
    Q_OBJECT
    friend class TCustomToolWindowKt;

public:
    using TNotifyEvent = std::function<void(TDockKt* Sender)>;

    explicit TDockKt(QWidget* parent = nullptr, TDockPosition position = dpTop);
    ~TDockKt() override;

    // Places the dock; inside a tool window or another dock raises EInvalidOperation.
    void SetParent(QWidget* newParent);
    void Loaded();
    void AlignControls();

    // ---- properties
    bool AllowDrag() const { return FAllowDrag; }
    void SetAllowDrag(bool value);
    const QImage& Background() const { return FBackground; }
    void SetBackground(const QImage& value);
    bool BackgroundOnToolbars() const { return FBackgroundOnToolbars; }
    void SetBackgroundOnToolbars(bool value);
    bool BackgroundTransparent() const { return FBackgroundTransparent; }
    void SetBackgroundTransparent(bool value);
    TDockBoundLines BoundLines() const { return FBoundLines; }
    void SetBoundLines(TDockBoundLines value);
    TColor Color() const { return FColor; }
    void SetColor(TColor value);
    bool FixAlign() const { return FFixAlign; }
    void SetFixAlign(bool value);
    bool LimitToOneRow() const { return FLimitToOneRow; }
    void SetLimitToOneRow(bool value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* value) { FPopupMenu = value; }
    TDockPosition Position() const { return FPosition; }
    // EInvalidOperation while the dock holds controls.
    void SetPosition(TDockPosition value);
    bool Visible() const { return !isHidden(); }
    void SetVisible(bool value);

    // The docked tool windows, in layout order, and each row's thickness.
    const std::vector<TCustomToolWindowKt*>& DockList() const { return FDockList; }
    const std::vector<int>& RowSizes() const { return FRowSizes; }
    // The area inside the bound lines, in the dock's coordinates.
    TRect ClientRect() const;

    // ---- layout
    void BeginUpdate();
    void EndUpdate();
    void ArrangeToolbars();
    void ChangeDockList(bool Inserting, TCustomToolWindowKt* Bar, bool Visible);
    // Sets the thickness, keeping the edge that faces the form's inside.
    void ChangeWidthHeight(bool IsClientSize, int Width, int Height);
    int GetHighestRow() const;
    int GetRowSize(int Row, TCustomToolWindowKt* DefaultBar) const;
    int GetRowOf(int Pos, bool& Before) const;
    int GetDesignModeRowOf(int Pos) const;
    int GetNumberOfToolbarsOnRow(int Row, TCustomToolWindowKt* NotIncluding) const;
    void RemoveBlankRows();
    void InsertRowBefore(int Row);
    void BuildRowInfo();

    // ---- background
    bool UsingBackground() const;
    // Tiles the background over Clip (less Exclude when given), from Origin's top-left.
    void DrawBackground(QPainter& painter, const TRect& Clip, const TRect* Exclude, const TRect& Origin);
    void InvalidateBackgrounds();
    void BackgroundChanged();

    TInsertRemoveEvent OnInsertRemoveBar;
    TRequestDockEvent OnRequestDock;
    TNotifyEvent OnResize;

    // Lays out the docks of `parent` along its edges: top ones, then bottom ones, then left and right
    // ones between them.
    static void AlignDocks(QWidget* parent);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The rows as the layout sees them, from the windows' own rows and positions.
    TDockRows currentRows() const;
    void storeRows(const TDockRows& rows);
    int clientLength() const;
    const QImage& shownBackground();
    void recomputeFrames();
    void watchParent(QWidget* parent);

    bool FAllowDrag = true;
    QImage FBackground;
    bool FBackgroundOnToolbars = true;
    bool FBackgroundTransparent = false;
    TDockBoundLines FBoundLines;
    TColor FColor = clBtnFace;
    bool FFixAlign = false;
    bool FLimitToOneRow = false;
    TPopupMenu* FPopupMenu = nullptr;
    TDockPosition FPosition = dpTop;

    int FUpdateCount = 0;
    bool FArrangeNeeded = false;
    bool FDestroying = false;
    std::vector<TCustomToolWindowKt*> FDockList;
    std::vector<int> FRowSizes;
    // The background with its bottom-left colour turned into Color, made on first need.
    QImage FCachedBackground;
    QWidget* FWatchedParent = nullptr;
};
