// TFormColor: the palette dialog, a list of named colours read from a palette file, and the choice of a colour by palette or colour dialog.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Graphics.h"

class QFrame;
class QListWidget;
class QPainter;
class QPushButton;
class TColorDialog;
class TKestrimaConfig;
struct TRect;

class TFormColor : public QDialog {
public:
    // The list's fixed item height.
    static constexpr int kItemHeight = 16;

    explicit TFormColor(QWidget* parent = nullptr);
    ~TFormColor() override;

    // Reads the palette file into the lists; a missing file is reported and leaves them as they were.
    bool LoadPalette(const std::string& FileName);
    // Shows the list with Color selected (the first colour when the palette lacks it); on Aceptar,
    // Color becomes the chosen colour and the answer is true.
    bool Execute();

    // The colour names and their "RRGGBB" codes in file order.
    std::vector<std::string> Names;
    std::vector<std::string> Codes;
    TColor Color = clBlack;

    QListWidget* ListBox1;
    QPushButton* Aceptar;
    QPushButton* Cancelar;
    QFrame* Bevel1;

    void FormShow();
    // Draws item `index` in `rect`: the colour in a box over the first quarter, the name beside it.
    void ListBox1DrawItem(QPainter& canvas, int index, const TRect& rect, bool selected);
    void ListBox1DblClick();
    // `Key`: one typed character of the editor's text, a held one whole.
    void ListBox1KeyPress(std::string_view Key);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The list's items, "$00BBGGRR" each, in the order of Names.
    std::vector<std::string> items() const;
};

// While set, Execute hands the shown dialog to the hook instead of running it modally; the hook's
// answer is the modal result (1 Aceptar, 2 Cancelar). Returns the hook it replaces.
using TPaletteDialogHook = std::function<int(TFormColor& dialog)>;
TPaletteDialogHook SetPaletteDialogHook(TPaletteDialogHook hook);

// Lets the user pick `color`: in the palette dialog with the setting UseCustomPalette, else in the colour
// dialog over `owner`, each starting from the colour; true when one was chosen.
bool ChooseColor(const TKestrimaConfig& config, TFormColor& palette, TColorDialog& dialog, QWidget* owner,
                 TColor& color);
