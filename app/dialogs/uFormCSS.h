// TformCSS: the style sheet dialog, which edits the rules of a style library one at a time and
// loads and saves whole libraries.
#pragma once

#include <QDialog>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/model/CssRule.h"
#include "app/model/StyleLibrary.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class TColorPanel;
class TLibraryEdit;
class TStrHolder;
class TToolbarButtonKt;
class TUpDownEdit;

class TformCSS : public QDialog {
public:
    explicit TformCSS(QWidget* parent = nullptr);
    ~TformCSS() override;

    QLineEdit* eClass = nullptr;
    QListWidget* lbEstilos = nullptr;
    TStrHolder* shCSS = nullptr;
    TStrHolder* shEstilos = nullptr;
    TLibraryEdit* eLibreria = nullptr;
    // The pages, one shown at a time, its name in the title beside the four page buttons.
    QStackedWidget* nbPages = nullptr;
    QLabel* stTitulo = nullptr;
    TToolbarButtonKt* sbFirst = nullptr;
    TToolbarButtonKt* sbPrev = nullptr;
    TToolbarButtonKt* sbNext = nullptr;
    TToolbarButtonKt* sbLast = nullptr;
    // "Fuentes".
    QCheckBox* chFontFamily = nullptr;
    QLineEdit* eFontFamily = nullptr;
    QListWidget* lbFonts = nullptr;
    QCheckBox* chItalic = nullptr;
    QCheckBox* chSmallCaps = nullptr;
    QCheckBox* chBold = nullptr;
    // "Color y Fondo".
    TColorPanel* pColor = nullptr;
    TColorPanel* pBGColor = nullptr;
    QCheckBox* chBgImage = nullptr;
    QLineEdit* eBgImage = nullptr;
    TToolbarButtonKt* sbOpenBgImage = nullptr;
    // "Caja": its two sub-pages and the buttons that show them.
    QStackedWidget* nbBox = nullptr;
    TToolbarButtonKt* sbBoxMargen = nullptr;
    TToolbarButtonKt* sbLineas = nullptr;
    std::array<TToolbarButtonKt*, 4> sbBorderColor{}; // top, right, bottom, left
    // "Clasificación".
    QCheckBox* chListStyleImage = nullptr;
    QLineEdit* eListStyleImage = nullptr;
    TToolbarButtonKt* sbListStyleImage = nullptr;
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
    // Lets the user choose a colour starting from the one given, by the palette or by the colour
    // dialog; false when nothing was chosen. Without it colours are not chosen.
    std::function<bool(TColor& color, bool palette)> ChooseColor;
    // How a chosen picture is named in the rule (the caller makes it relative to its document);
    // without it the full path.
    std::function<std::string(const std::string& path)> PictureName;

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
    // Tag 1 the first page, 2 the previous, 3 the next, 4 the last.
    void NavigationClick(int Tag);
    // The panel takes the colour chosen.
    void pColorClick(TColorPanel* panel);
    // A border colour button was clicked: when that left it up, it takes the colour chosen.
    void sbColorClick(TToolbarButtonKt* button);
    // Tag 0 the margins, 1 the lines.
    void sbBoxMargenClick(int Tag);
    // A picture chosen for the background or the list image goes into its edit as an address.
    void sbOpenBgImageClick();
    void sbListStyleImageClick();
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
    bool eventFilter(QObject* watched, QEvent* event) override;
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
    // The pages' controls, each made in `parent` (where its page places it), named and bound to its
    // field. Captions and item lists are string ids.
    QCheckBox* addCheck(QWidget* parent, const char* name, int caption, TField<bool> field);
    TToolbarButtonKt* addToggle(QWidget* parent, const std::string& name, const QString& caption, TField<bool> field);
    QWidget* addRadio(QWidget* parent, const char* name, int caption, int items, TField<int> field, int columns = 1);
    QWidget* addCombo(QWidget* parent, const std::string& name, const QStringList& items, TField<int> field);
    QLineEdit* addText(QWidget* parent, const char* name, TField<std::string> field);
    // An edit with its up-down, within min..max; the holder of both is placed.
    QWidget* addNumber(QWidget* parent, const std::string& name, int min, int max, TField<std::string> field);
    TColorPanel* addColor(QWidget* parent, const char* name, TField<TColor> field);
    TToolbarButtonKt* addColorButton(QWidget* parent, const std::string& name, TField<bool> up, TField<TColor> color);
    void buildPages();
    // Asks whether to save the library: Yes saves, No goes on, Cancel stays. False when the user
    // stays or the save did not happen.
    bool offerToSave();
    void choosePicture(QLineEdit* edit, QCheckBox* check);

    std::vector<TBinding> FBindings;
    std::vector<std::unique_ptr<TUpDownEdit>> FUpDowns;
    // Each toggle is a group of its own.
    int FToggleGroups = 0;
    void syncLibrary(int select);
    void setLibraryFile(const std::string& path);

    TStyleLibrary FLibrary;
    // The library file read was UTF-8: it is written so again even while it holds no character that
    // Windows-1252 lacks.
    bool FLibraryUtf8 = false;
    bool FShown = false;
};

// While set, Execute hands the dialog to the hook instead of showing it (tests answer through it).
using TCSSDialogHook = std::function<void(TformCSS& dialog)>;
TCSSDialogHook SetCSSDialogHook(TCSSDialogHook hook);
