// The grids of names and values shared by the options dialog and the custom codes dialog.
#include "app/widgets/CodeGrid.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPersistentModelIndex>
#include <QStyle>
#include <QTableWidget>
#include <QTimer>
#include <algorithm>
#include <vector>

#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

// The first column only marks the rows, as a grid's fixed column does: nothing to select or type.
void markRow(QTableWidget* grid, int row)
{
    auto* mark = new QTableWidgetItem;
    mark->setFlags(Qt::ItemIsEnabled);
    mark->setBackground(grid->palette().button());
    grid->setItem(row, 0, mark);
}

// A second click on the selected cell edits it once the double-click time has shown that no double
// click follows, since a double click runs the grid's own command. The item view's own delayed edit
// cannot serve: while it waits, the keys typed go to no editor, and when it fires it opens an empty
// one over them. Here a key typed meanwhile opens the editor with itself, as on any selected cell,
// and the pending edit is dropped, as it is by a double click.
class TSecondClickEdit : public QObject {
public:
    static constexpr const char* kName = "SecondClickEdit";

    explicit TSecondClickEdit(QTableWidget* grid) : QObject(grid), FGrid(grid), FCells(grid->viewport())
    {
        setObjectName(kName);
        FTimer.setSingleShot(true);
        connect(&FTimer, &QTimer::timeout, this, [this] { editPending(); });
        grid->installEventFilter(this);
        grid->viewport()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // The grid may be half destroyed when its children hear of it: its parts are not asked here.
        const bool onCells = watched == FCells;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (onCells)
                pressed(static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseButtonRelease:
            if (onCells)
                released(static_cast<QMouseEvent*>(event));
            break;
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
            FTimer.stop();
            FPressed = QPersistentModelIndex();
            break;
        default: break;
        }
        return false;
    }

private:
    QModelIndex cellAt(const QMouseEvent* event) const { return FGrid->indexAt(event->position().toPoint()); }

    // Only a cell that was already the selected one before the press, and is not being typed in.
    void pressed(const QMouseEvent* event)
    {
        FTimer.stop();
        const QModelIndex cell = cellAt(event);
        const bool selected = cell.isValid() && cell == FGrid->currentIndex() &&
                              FGrid->selectionModel()->isSelected(cell) && !FGrid->indexWidget(cell);
        FPressed = QPersistentModelIndex();
        if (event->button() == Qt::LeftButton && selected)
            FPressed = cell;
    }

    void released(const QMouseEvent* event)
    {
        if (FPressed.isValid() && event->button() == Qt::LeftButton && cellAt(event) == FPressed) {
            FPending = FPressed;
            FTimer.start(QApplication::doubleClickInterval());
        }
        FPressed = QPersistentModelIndex();
    }

    void editPending()
    {
        const QModelIndex cell = FPending;
        FPending = QPersistentModelIndex();
        if (cell.isValid() && cell == FGrid->currentIndex() && !FGrid->indexWidget(cell))
            FGrid->edit(cell);
    }

    QTableWidget* FGrid;
    QWidget* FCells;
    QTimer FTimer;
    QPersistentModelIndex FPressed;
    QPersistentModelIndex FPending;
};

} // namespace

std::string GridCells(const QTableWidget* grid, int col, int row)
{
    if (row == 0) {
        const QTableWidgetItem* header = grid->horizontalHeaderItem(col);
        return header ? ToEditorText(header->text()) : std::string();
    }
    const QTableWidgetItem* item = grid->item(row - 1, col);
    return item ? ToEditorText(item->text()) : std::string();
}

void SetGridCells(QTableWidget* grid, int col, int row, const std::string& text)
{
    if (QTableWidgetItem* item = grid->item(row - 1, col))
        item->setText(FromEditorText(text));
    else
        grid->setItem(row - 1, col, new QTableWidgetItem(FromEditorText(text)));
}

std::string GridFilePath(const QTableWidget* grid, int col, int row)
{
    const QTableWidgetItem* item = grid->item(row - 1, col);
    return item ? FilePathOf(item) : std::string();
}

void SetGridFilePath(QTableWidget* grid, int col, int row, const std::string& path)
{
    QTableWidgetItem* item = grid->item(row - 1, col);
    if (!item) {
        item = new QTableWidgetItem;
        grid->setItem(row - 1, col, item);
    }
    ShowFilePath(item, path);
}

int GridRowCount(const QTableWidget* grid)
{
    return grid->rowCount() + 1;
}

int GridRow(const QTableWidget* grid)
{
    return grid->currentRow() + 1;
}

void SetUpStringGrid(QTableWidget* grid)
{
    grid->verticalHeader()->hide();
    // Rows as tall as a line of the text, as a grid's are.
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->verticalHeader()->setDefaultSectionSize(QFontMetrics(grid->font()).height() + 4);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setWordWrap(false);
}

void SetUpCodeGrid(QTableWidget* grid, const QStringList& headers, int width)
{
    grid->setColumnCount(3);
    grid->setHorizontalHeaderLabels({QString(), headers.value(0), headers.value(1)});
    SetUpStringGrid(grid);
    // A double click is the grid's own handler's; typing or a second click edits a cell.
    grid->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    if (!grid->findChild<QObject*>(TSecondClickEdit::kName, Qt::FindDirectChildrenOnly))
        new TSecondClickEdit(grid);
    const int scrollBar = grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid);
    grid->setColumnWidth(0, 10);
    grid->setColumnWidth(1, 120);
    grid->setColumnWidth(2, width - 130 - scrollBar - 14);
    for (int row = 0; row < grid->rowCount(); ++row)
        markRow(grid, row);
}

void FillCodeGrid(QTableWidget* grid, const TStringList& names, const TStringList& values, bool paths)
{
    // An empty list keeps the grid's one empty row to type into.
    grid->setRowCount(std::max(1, names.Count()));
    for (int row = 0; row < grid->rowCount(); ++row)
        markRow(grid, row);
    for (int i = 0; i < names.Count(); ++i) {
        SetGridCells(grid, 1, i + 1, names[i]);
        const std::string value = i < values.Count() ? values[i] : std::string();
        if (paths)
            SetGridFilePath(grid, 2, i + 1, value);
        else
            SetGridCells(grid, 2, i + 1, value);
    }
    grid->setCurrentCell(0, 1);
}

void ReadCodeGrid(const QTableWidget* grid, TStringList& names, TStringList& values, bool paths)
{
    names.Clear();
    values.Clear();
    for (int row = 1; row < GridRowCount(grid); ++row) {
        const std::string name = Trim(GridCells(grid, 1, row));
        if (name.empty())
            continue;
        names.Add(name);
        values.Add(paths ? GridFilePath(grid, 2, row) : GridCells(grid, 2, row));
    }
}

void AddCodeGridRow(QTableWidget* grid)
{
    grid->setRowCount(grid->rowCount() + 1);
    markRow(grid, grid->rowCount() - 1);
    grid->setCurrentCell(grid->rowCount() - 1, 1);
    grid->scrollToItem(grid->currentItem());
}

void DeleteCodeGridRow(QTableWidget* grid)
{
    const int row = grid->currentRow();
    if (grid->rowCount() == 1) {
        SetGridCells(grid, 1, 1, {});
        SetGridCells(grid, 2, 1, {});
        return;
    }
    if (row < 0)
        return;
    grid->removeRow(row);
    grid->setCurrentCell(std::min(row, grid->rowCount() - 1), std::max(1, grid->currentColumn()));
}

void FitCodeGridColumns(QTableWidget* grid)
{
    const int client = grid->viewport()->width();
    const int name = std::max(30, std::min(grid->columnWidth(1), client - 40));
    const int value = client - grid->columnWidth(0) - name - 3;
    // Setting the name column calls back here; the second call finds nothing to change.
    if (grid->columnWidth(1) != name)
        grid->setColumnWidth(1, name);
    if (grid->columnWidth(2) != value)
        grid->setColumnWidth(2, value);
}

void MoveCodeGridRow(QTableWidget* grid, int from, int to)
{
    const int rows = grid->rowCount();
    if (from == to || from < 0 || to < 0 || from >= rows || to >= rows)
        return;
    std::vector<QTableWidgetItem*> moved;
    for (int col = 0; col < grid->columnCount(); ++col)
        moved.push_back(grid->takeItem(from, col));
    grid->removeRow(from);
    grid->insertRow(to);
    for (int col = 0; col < grid->columnCount(); ++col)
        if (QTableWidgetItem* item = moved[static_cast<size_t>(col)])
            grid->setItem(to, col, item);
    grid->setCurrentCell(to, std::max(1, grid->currentColumn()));
}

void CommitGridEdit(QAbstractItemView* grid)
{
    if (QWidget* editor = grid->indexWidget(grid->currentIndex()))
        QMetaObject::invokeMethod(grid, "commitData", Q_ARG(QWidget*, editor));
}
