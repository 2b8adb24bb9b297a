// TformOpciones: the options dialog, the settings on fifteen pages written back when accepted, and the program's shell verbs turned on and off.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class QTreeWidget;
class TRadioGroup;
class TSpeedButton;
class TStringList;
class TWindowHost;

class TformOpciones : public QDialog {
public:
    static constexpr int kPageCount = 15;
    // The help topic of the dialog, which F1 opens.
    static constexpr int kHelpContext = 47;

    // Made for one use and filled from the host's settings at once.
    explicit TformOpciones(TWindowHost& host);
    ~TformOpciones() override;

    // Shows the dialog modally; true when it closed through Aceptar, whose settings are then written.
    bool Execute();

    // A grid's text at column `col` of row `row`, row 0 being the header; rows as the grid counts
    // them, the header included.
    static std::string Cells(const QTableWidget* grid, int col, int row);
    static void SetCells(QTableWidget* grid, int col, int row, const std::string& text);
    static int RowCount(const QTableWidget* grid);
    // The selected row, counted as Cells counts it (0 when none is).
    static int Row(const QTableWidget* grid);

    // The handlers.
    void FormShow();
    void TreeView1Change();
    void Aceptar();
    void Cancelar();
    void sbDirsModeloClick();
    void sbDirsPaletaClick();
    void sbDirsAyudaClick();
    void sbCharacterLibClick();
    void sbLibraryDirClick();
    // By the sender's Tag: 0 browsers, 1 utilities, 2 custom codes.
    void sbNuevoClick(QObject* Sender);
    void sbBorrarClick(QObject* Sender);
    // A double click on a cell of the browsers or the utilities (row and column as Cells counts them).
    void sgOpenDblClick(QTableWidget* Sender, int row, int col);
    // Keeps the name column between 30 pixels and the grid's width less 40; the path column fills the rest.
    void sgNavegadoresDrawCell(QTableWidget* Sender);

    QTreeWidget* TreeView1;
    QLabel* stTitulo;
    QStackedWidget* bookOpciones;
    QPushButton* bAceptar;
    QPushButton* bCancelar;
    // General
    QCheckBox* MyMakeBackups;
    QCheckBox* MySaveWindow;
    TRadioGroup* MyInitialFile;
    QCheckBox* MySaveCheckBoxes;
    QCheckBox* MyAddOpenFiles;
    // Navegador, Navegadores, Utilidades
    TRadioGroup* MyBrowserMode;
    QTableWidget* sgNavegadores;
    TSpeedButton* sbNuevoNav;
    TSpeedButton* sbBorrarNav;
    QTableWidget* sgUtilidades;
    TSpeedButton* sbNuevaUtil;
    TSpeedButton* sbBorrarUtil;
    // Archivos, Plantillas, Paleta de colores, Librería de caracteres, Peso del documento
    TRadioGroup* MyNewFile;
    QLineEdit* MyNewFileModel;
    TSpeedButton* sbDirsModelo;
    TRadioGroup* myDefaultParser;
    QLineEdit* MyLibraryDir;
    TSpeedButton* sbLibraryDir;
    TRadioGroup* MyUseCustomPalette;
    QLineEdit* MyCustomPalette;
    TSpeedButton* sbDirsPaleta;
    QCheckBox* MyInsSpecChar;
    QLineEdit* MyCharacterLib;
    TSpeedButton* sbCharacterLib;
    QLineEdit* MyFileWeighExt;
    // Editor, Códigos personalizados, Fecha y hora, Portapapeles, Ayuda, Sistema
    QCheckBox* MyQuickTag;
    TRadioGroup* MyInsUppercase;
    TRadioGroup* MyInsertDirs;
    QTableWidget* sgCustomTags;
    TSpeedButton* sbNuevoTags;
    TSpeedButton* sbBorrarTags;
    TRadioGroup* rgFecha;
    QCheckBox* MyInsHtmlData;
    QLineEdit* MyTopicHelp;
    TSpeedButton* sbDirsAyuda;
    QCheckBox* MyShowTips;
    QCheckBox* chMenuEditar;
    QCheckBox* chMenuNuevo;
    QCheckBox* chMenuProyecto;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildGrid(QTableWidget* grid, int headers);
    void FormCreate();
    // `paths`: the values are programs' paths (the file system's bytes).
    void fillGrid(QTableWidget* grid, const TStringList& names, const TStringList& values, bool paths = false);
    void readGrid(const QTableWidget* grid, TStringList& names, TStringList& values, bool paths = false) const;
    QTableWidget* gridOf(QObject* Sender) const;
    // Asks for a file with the filter `filter`, starting in the folder of the edit's path.
    void chooseFile(QLineEdit* edit, int filter);
    void changeShellVerbs();

    TWindowHost& FHost;
};

// While set, Execute hands the filled, shown dialog to the hook instead of running it modally; the
// hook's answer stands for Aceptar (true) or Cancelar (false). Returns the hook it replaces.
using TOptionsDialogHook = std::function<bool(TformOpciones& dialog)>;
TOptionsDialogHook SetOptionsDialogHook(TOptionsDialogHook hook);
