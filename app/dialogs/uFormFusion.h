// TformFusion: the dialog that names a template and the data file to merge it with.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPushButton;
class TBtnEdit;

// Two file names, each with a button that browses for it, checked on "Aceptar": the dialog is
// accepted only when both files exist.
class TformFusion : public QDialog {
    Q_OBJECT
public:
    explicit TformFusion(QWidget* owner);

    // The names in the two edits, as file paths.
    std::string TemplateFile() const;
    std::string DataFile() const;

    // The folder the browse buttons start in.
    std::string InitialDir;

    QLabel* lPlantilla;
    TBtnEdit* bePlantilla;
    QLabel* lDatos;
    TBtnEdit* beDatos;
    QPushButton* btnAceptar;
    QPushButton* btnCancelar;

    void bePlantillaClick();
    void beDatosClick();
    void btnAceptarClick();
    void Salir();

private:
    void browse(TBtnEdit* edit, int filter);
};
