// The grids of names and values that the options dialog and the custom codes dialog edit: a marker column, a name column and a value column, read and written as string grids are, row 0 being the header.
#pragma once

#include <QStringList>
#include <string>

class QAbstractItemView;
class QTableWidget;
class TStringList;

// A grid's text at column `col` of row `row`, row 0 being the header; rows as the grid counts them,
// the header included.
std::string GridCells(const QTableWidget* grid, int col, int row);
void SetGridCells(QTableWidget* grid, int col, int row, const std::string& text);
int GridRowCount(const QTableWidget* grid);
// A cell that holds a file name: shown as its characters, read back as the name's bytes.
std::string GridFilePath(const QTableWidget* grid, int col, int row);
void SetGridFilePath(QTableWidget* grid, int col, int row, const std::string& path);
// The current row as GridCells counts it (0 when there is none).
int GridRow(const QTableWidget* grid);

// A table that looks and behaves as a string grid: no row numbers, rows a line of text high, columns
// sized by the user and by the program only, one cell selected at a time.
void SetUpStringGrid(QTableWidget* grid);
// Makes `grid` a three-column grid: a 10-pixel marker column, then the two headers; columns 10, 120
// and the rest of `width` less a scroll bar and 14. A double click is left to the caller.
void SetUpCodeGrid(QTableWidget* grid, const QStringList& headers, int width);
// One row per name (one empty row for none), names in column 1, values in column 2; `paths` tells
// that the values are file names (programs' paths).
void FillCodeGrid(QTableWidget* grid, const TStringList& names, const TStringList& values, bool paths = false);
// The rows whose trimmed name is not empty, in order: the trimmed names and the values as they stand.
void ReadCodeGrid(const QTableWidget* grid, TStringList& names, TStringList& values, bool paths = false);
// A row added at the end, made current and scrolled into view.
void AddCodeGridRow(QTableWidget* grid);
// The current row goes; the only row is emptied instead, so there is always one to type into.
void DeleteCodeGridRow(QTableWidget* grid);
// The name column keeps between 30 pixels and the client width less 40; the value column fills the rest.
void FitCodeGridColumns(QTableWidget* grid);
// Moves row `from` to the place of row `to` (data rows from 0), the rows between closing up.
void MoveCodeGridRow(QTableWidget* grid, int from, int to);
// The text of a cell still being typed in goes into the cell, as when its editor closes.
void CommitGridEdit(QAbstractItemView* grid);
