// TformDescarga, the dialog "Tiempos de descarga": the files a page weighs, their sizes and the time the whole takes at four modem speeds.
#pragma once

#include <QDialog>
#include <string>
#include <string_view>

class QLabel;
class QPushButton;
class QTableWidget;
class TCodigosISO;
class TKestrimaConfig;

class TformDescarga : public QDialog {
    Q_OBJECT
public:
    // Weighs the page `fileName` ("" for an untitled page) with the text `text`: the files it refers
    // to whose extensions the setting FileWeighExt lists, and the page itself, each looked up beside
    // the page, named references read by the entity table `entities` when given. The dialog is
    // filled when made.
    TformDescarga(const std::string& fileName, std::string_view text, const TKestrimaConfig& config,
                  const TCodigosISO* entities = nullptr, QWidget* parent = nullptr);

    // The grid's text at column `col` of row `row`; row 0 is the header.
    std::string Cells(int col, int row) const;
    // Rows of the grid, the header included.
    int RowCount() const;
    // Lays the grid's columns out for its size: the sizes and states keep fixed widths, the file
    // names take the rest, less a scroll bar when the rows do not fit.
    void sgDatosArchivosDrawCell();

    QTableWidget* sgDatosArchivos;
    QLabel* labTotal;
    QLabel* lab14;
    QLabel* lab28;
    QLabel* lab36;
    QLabel* lab56;
    QPushButton* bAceptar;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void fitGridFont();
    void fill(const std::string& fileName, std::string_view text, const TKestrimaConfig& config,
              const TCodigosISO* entities);
};
