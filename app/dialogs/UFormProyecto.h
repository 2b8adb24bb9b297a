// TformProyecto: the project dialog, its data, its files and its folders, and the writing of the project file.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "app/model/ProjectFile.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QWidget;
class TSpeedButton;
class TWindowHost;

// The project that New Project hands to the dialog: "krptemp-<process id>.kr" in the user's private
// folder, so that neither another user nor another copy of the program can hand it entries. Throws
// when there is no private folder.
std::string TemporaryProjectFileName();
// Removes from the private folder the temporary projects of copies of the program that no longer
// run (a copy that was killed leaves its own): only regular files of this user's named exactly as
// above, never through a link.
void RemoveStaleTemporaryProjects();

class TformProyecto : public QDialog {
public:
    // The description holds one line of at most this many characters.
    static constexpr int kMaxDescription = 201;

    explicit TformProyecto(TWindowHost& host);
    ~TformProyecto() override;

    // Fills the dialog from the project FileName (from the temporary project when FileName is empty),
    // shows it and, on OK, writes the project, asking for its name first when it has none. True when
    // the file was written; false when the user cancelled, or when the file could not be written
    // (which the user is told, and which leaves the old file as it was).
    bool Execute(std::string& FileName);

    // The dialog's values as the project file holds them, and putting values into it.
    TProjectData Data() const;
    void SetData(const TProjectData& data);
    // The files of the list, from the top.
    std::vector<TProjectEntry> Files() const;

    QPushButton* bAceptar;
    QPushButton* bCancelar;
    QTabWidget* pcProyecto;
    QWidget* tsDatos;
    QWidget* tsArchivos;
    QWidget* tsDirectorios;
    QLineEdit* eNombre;
    QLineEdit* eAutor;
    QLabel* lblCrea;
    QLabel* lblModifica;
    QPlainTextEdit* mDescripcion;
    QListWidget* lbArchivos;
    TSpeedButton* sbAbrir;
    TSpeedButton* sbBorrar;
    QLineEdit* eDirectorio;
    TSpeedButton* sbDirectorio;
    QLineEdit* ePlantillas;
    TSpeedButton* sbPlantilla;
    QLineEdit* eArchivoModelo;
    TSpeedButton* sbArchivoModelo;

    void sbAbrirClick();
    void sbBorrarClick();
    void sbDirectorioClick();
    void sbPlantillaClick();
    void sbArchivoModeloClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPages();
    void addFile(const TProjectEntry& entry);
    bool chooseFolder(QLineEdit* edit, int prompt);
    // Whether the project can hold the path; the user is told when it cannot.
    bool storable(const std::string& path);
    bool showModal();

    TWindowHost& FHost;
};

// While set, Execute hands the filled dialog to the hook instead of showing it modally; the hook's
// answer stands for Aceptar (true) or Cancelar (false). Returns the hook it replaces.
using TProjectDialogHook = std::function<bool(TformProyecto& dialog)>;
TProjectDialogHook SetProjectDialogHook(TProjectDialogHook hook);
