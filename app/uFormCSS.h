// TformCSS: the style sheet dialog, which edits the rules of a style library one at a time and
// loads and saves whole libraries.
#pragma once

#include <QDialog>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/model/CssRule.h"
#include "app/model/StyleLibrary.h"

class QCheckBox;
class QGridLayout;

class TUpDownEdit;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class TLibraryEdit;
class TStrHolder;
class TToolbarButtonKt;

class TformCSS : public QDialog {
public:
    explicit TformCSS(QWidget* parent = nullptr);
    ~TformCSS() override;

    QLineEdit* eClass = nullptr;
    QListWidget* lbEstilos = nullptr;
    TStrHolder* shCSS = nullptr;
    TStrHolder* shEstilos = nullptr;
    TLibraryEdit* eLibreria = nullptr;
    // "Fuentes".
    QCheckBox* chFontFamily = nullptr;
    QLineEdit* eFontFamily = nullptr;
    QListWidget* lbFonts = nullptr;
    QCheckBox* chItalic = nullptr;
    QCheckBox* chSmallCaps = nullptr;
    QCheckBox* chBold = nullptr;
    // "Códigos no soportados".
    QPlainTextEdit* mRestos = nullptr;
    QPushButton* bNew = nullptr;
    QPushButton* bAdd = nullptr;
    QPushButton* bErase = nullptr;
    QPushButton* bVer = nullptr;
    QPushButton* bEdit = nullptr;
    QPushButton* bAceptar = nullptr;
    TToolbarButtonKt* sbCargaCSS = nullptr;
    TToolbarButtonKt* sbSalva = nullptr;

    // The choices the caller copies from the settings before showing the dialog.
    bool UseCustomPalette = true;
    bool MakeBackups = false;
    // The folders and names the open and save dialogs start from.
    std::string OpenFileName;
    std::string OpenInitialDir;

    const TStyleLibrary& Library() const { return FLibrary; }
    // The controls as a rule, and the controls set from a rule.
    TCssRule Rule() const;
    void SetRule(const TCssRule& rule);

    // Shows the dialog modally, or hands it to the test hook when one is set.
    void Execute();

    void ClearControls();
    // Reads the rule of the selected list entry into the controls.
    void ReadStyle();
    std::string WriteStyle() const;
    // Stores the edited rule; false when its name is empty (the user was told).
    bool StoreStyle();
    // Loads a library file; a file that does not exist leaves the library empty.
    void LoadStyleSheet(const std::string& path);

    void FormShow();
    void lbFontsClick();
    void lbEstilosClick();
    void bNewClick();
    void bAddClick();
    void bEraseClick();
    void bVerClick();
    void sbCargaCSSClick();
    // True when the library was written.
    bool sbSalvaClick();
    void bAceptarClick();
    void FormCloseQuery(bool& CanClose);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    // A control bound to its field of the rule: how the field is read from it and written to it.
    struct TBinding {
        std::function<void(TCssRule&)> Get;
        std::function<void(const TCssRule&)> Set;
    };
    template <class T>
    using TField = std::function<T&(TCssRule&)>;
    // The pages' controls, each made in the grid cell given and bound to its field.
    QWidget* addCheck(QGridLayout* grid, int row, int col, const char* name, const char* caption, TField<bool> field);
    QWidget* addToggle(QGridLayout* grid, int row, int col, const char* name, const char* caption,
                       TField<bool> field);
    QWidget* addRadio(QGridLayout* grid, int row, int col, const char* name, const char* caption,
                      const QStringList& items, TField<int> field);
    QWidget* addCombo(QGridLayout* grid, int row, int col, const char* name, const QStringList& items,
                      TField<int> field);
    QWidget* addText(QGridLayout* grid, int row, int col, const char* name, TField<std::string> field);
    // An edit with its up-down, within min..max.
    QWidget* addNumber(QGridLayout* grid, int row, int col, const char* name, const char* spinName, int min, int max,
                       TField<std::string> field);
    QWidget* addColor(QGridLayout* grid, int row, int col, const char* name, TField<TColor> field);
    void buildPages(class QTabWidget* pages);

    std::vector<TBinding> FBindings;
    // The names of the controls made in loops; object names copy them, the list keeps them for the build.
    std::deque<std::string> FNames;
    std::vector<std::unique_ptr<TUpDownEdit>> FUpDowns;
    void syncLibrary(int select);
    void setLibraryFile(const std::string& path);

    TStyleLibrary FLibrary;
    // The fields of the pages whose controls the dialog does not show yet: kept as they were read.
    TCssRule FRule;
    bool FShown = false;
};

// While set, Execute hands the dialog to the hook instead of showing it (tests answer through it).
using TCSSDialogHook = std::function<void(TformCSS& dialog)>;
TCSSDialogHook SetCSSDialogHook(TCSSDialogHook hook);
