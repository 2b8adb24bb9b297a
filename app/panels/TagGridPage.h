// TTagGridPage: the side panel's attribute grid, which reads the tag around the editor's caret into a grid of names and values and writes it back; and the commands that select the tag or the element around the caret.
#pragma once

#include <QObject>
#include <cstdint>
#include <string>

#include "platform/core/ScopeGuard.h"

class QLineEdit;
class QTableWidget;
class TCustomCodeMemo;
class TToolbarButtonKt;
class TWindowHost;

class TTagGridPage : public QObject {
public:
    // Fills the side panel's page `tsTag`.
    TTagGridPage(TWindowHost& host, QWidget* tsTag);
    ~TTagGridPage() override;

    QWidget* tsTag;
    QLineEdit* eTag = nullptr;
    // Column 0 the attributes' names, column 1 their values; row 0 is the header.
    QTableWidget* sgTags = nullptr;
    TToolbarButtonKt* sbEditaTag = nullptr;
    TToolbarButtonKt* sbInsertaTag = nullptr;
    // Down: the tag is written with one attribute per line.
    TToolbarButtonKt* sbTagEscalon = nullptr;

    // Reads the tag around the caret into eTag and the grid.
    void sbEditaTagClick();
    // Writes the tag of eTag and the grid over the selection, as one undoable change.
    void sbInsertaTagClick();
    // Column 0 at the width it keeps (the stored one, then the one the user gives it), between 30
    // pixels and the client width less 40; column 1 the rest.
    void sgTagsDrawCell();
    // The page's new width: eTag takes it, the columns share the grid's.
    void PanelResize();

    // The grid as a string grid is read: rows from 0 (the header) to RowCount() - 1.
    std::string Cells(int col, int row) const;
    void SetCells(int col, int row, const std::string& text);
    int RowCount() const;
    int ColumnWidth(int col) const;
    void SetColumnWidths(int names, int values);

private:
    void buildButtons();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Empties every cell and leaves `rows` data rows.
    void clearGrid(int rows);
    // While it lives, the columns' widths are the layout's, not the user's.
    TScopeGuard layOut();

    TWindowHost& FHost;
    int FNamesWidth = 64;
    bool FLayingOut = false;
};

// The selection commands over the editor's caret. The tag only: with a selection and a saved place,
// the caret goes back there first, so repeating the command keeps the same tag; otherwise the caret
// is saved. The whole element: without a selection the caret is saved. `savedPosition` is -1 for none.
void SelectTagCommand(TCustomCodeMemo& editor, int32_t& savedPosition);
void SelectElementCommand(TCustomCodeMemo& editor, int32_t& savedPosition);
