// TformOtrosTags: the custom codes dialog, a grid of opening and closing codes written back to the settings when accepted.
#pragma once

#include <QDialog>
#include <functional>

class QPushButton;
class QTableWidget;
class TSpeedButton;
class TWindowHost;

class TformOtrosTags : public QDialog {
public:
    // Made for one use and filled from the host's settings at once.
    explicit TformOtrosTags(TWindowHost& host);
    ~TformOtrosTags() override;

    // Shows the dialog modally; true when it closed through Aceptar, whose codes are then in the settings.
    bool Execute();

    QTableWidget* sgCustomTags;
    TSpeedButton* sbNuevoTags;
    TSpeedButton* sbBorrarTags;
    QPushButton* bAceptar;
    QPushButton* bCancelar;

    void FormCreate();
    void sbNuevoTagsClick();
    // Asks first; only Yes deletes the current row.
    void sbBorrarTagsClick();
    void bAceptarClick();
    void sgNavegadoresDrawCell();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TWindowHost& FHost;
    // The row whose marker the mouse pressed, -1 none: releasing it over another row moves it there.
    int FDragRow = -1;
};

// While set, Execute hands the filled, shown dialog to the hook instead of running it modally; the
// hook's answer stands for Aceptar (true, after bAceptarClick) or Cancelar (false). Returns the hook
// it replaces.
using TCustomTagsDialogHook = std::function<bool(TformOtrosTags& dialog)>;
TCustomTagsDialogHook SetCustomTagsDialogHook(TCustomTagsDialogHook hook);
