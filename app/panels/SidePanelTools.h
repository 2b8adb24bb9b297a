// TSidePanelTools: the side panel's wildcard and style pages among the assistants, and its file explorer with the picture preview.
#pragma once

#include <QComboBox>
#include <QLineEdit>
#include <QObject>
#include <functional>
#include <string>

#include "app/window/uFormPrincipalTools.h"
#include "platform/core/Classes.h"
#include "platform/core/ScopeGuard.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QTreeWidgetItem;
class TDirTree;
class TFileList;
class TSidePanel;
class TStrHolder;
class TToolbarButtonKt;
struct TToolPageValues;
class TWindowHost;

// A read-only edit whose text names a library and whose Hint shows its full path; both are kept
// between runs. The path is held as the file system's bytes (Path); the hint and the text show the
// characters they spell.
class TLibraryEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(QString Text READ text WRITE setText)

public:
    explicit TLibraryEdit(QWidget* parent = nullptr) : QLineEdit(parent) { setReadOnly(true); }
    const std::string& Path() const { return FPath; }
    void SetPath(const std::string& path);
    QString Hint() const { return toolTip(); }
    // The path as the hint shows it (what the form keeps).
    void SetHint(const QString& value);

private:
    std::string FPath;
};

// The explorer's filter: captions shown, masks behind them; its Tag is kept between runs.
class TFilterCombo : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)

public:
    using QComboBox::QComboBox;
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }
    // Fills the list from a "Caption|mask|Caption|mask" filter.
    void SetFilter(const std::string& filter);
    // The mask of the chosen entry; "*.*" when none is chosen.
    std::string Mask() const;

private:
    int FTag = 0;
};

// What the tools need of the window beyond its host: the tag commands and their mouse flags, the
// code a file goes into a page with, how a file opens, and the question that tells OK from Cancel.
struct TSidePanelToolLinks {
    // The last tag button was pressed with the right button.
    std::function<bool()> RightButton;
    // A press on a tag button (its Tag the command) and a press that only records the keys and button.
    TToolPress TagPress;
    TToolPress RecordPress;
    // Runs the tag command of a button as a menu does.
    std::function<void(QObject* Sender)> TagCommand;
    // The code that puts a file into the page.
    std::function<std::string(const std::string& FileName)> FileCode;
    // Opens a file in a new tab with the editor kind of its extension.
    std::function<void(const std::string& FileName)> OpenFile;
    // The editor kind of a new document.
    std::function<int()> DefaultKind;
    // Asks for one line: true with the answer on OK, false on Cancel (the answer untouched).
    std::function<bool(const std::string& Prompt, const std::string& Caption, std::string& Answer)> Query;
    // The values the tag commands read; the style page keeps its part of them current.
    TToolPageValues* Values = nullptr;
    // Locks the window's painting while it lives.
    std::function<TScopeGuard()> LockPainting;
};

class TSidePanelTools : public QObject {
public:
    TSidePanelTools(TWindowHost& host, TSidePanel& panel, TSidePanelToolLinks links);
    ~TSidePanelTools() override;

    // Wildcard page.
    TLibraryEdit* eComodines = nullptr;
    QListWidget* lbComodines = nullptr;
    TToolbarButtonKt* sbAbreComodines = nullptr;
    TToolbarButtonKt* sbComNuevo = nullptr;
    TToolbarButtonKt* sbComEdita = nullptr;
    TToolbarButtonKt* sbComBorra = nullptr;
    TToolbarButtonKt* sbExtraeComodines = nullptr;
    TToolbarButtonKt* sbProcesaPlantilla = nullptr;
    TToolbarButtonKt* sbIteraComodines = nullptr;
    // Style page; the tag buttons by Tag: 232 class, 231 style, 230 rule, 233 link.
    TLibraryEdit* eLibreria = nullptr;
    QListWidget* lbEstilos = nullptr;
    TStrHolder* shEstilos = nullptr;
    TToolbarButtonKt* sbAbrirCSS = nullptr;
    TToolbarButtonKt* sbEstClass = nullptr;
    TToolbarButtonKt* sbEstEstilo = nullptr;
    TToolbarButtonKt* sbEstDefinicion = nullptr;
    TToolbarButtonKt* sbCSSLink = nullptr;
    // Explorer page.
    TDirTree* DirTree = nullptr;
    TFilterCombo* cbFilter = nullptr;
    TFileList* lbFileList = nullptr;
    QWidget* pImgDirectorio = nullptr;
    QLabel* ImgDirectorio = nullptr;
    QMenu* pmDirTree = nullptr;
    QAction* mDirActualiza = nullptr;
    QMenu* pmArchivos = nullptr;
    QAction* mAbreArchivo = nullptr;
    QAction* mEditaArchivo = nullptr;
    QAction* mInsTxt = nullptr;
    QMenu* mExplorador = nullptr;
    // By Tag: large icons, small icons, list, details.
    QAction* mIco[4] = {};

    // Wildcards: Tag 1 opens or creates a library, 2 adds a name, 3 renames, 4 deletes.
    void libComodinesClick(int Tag);
    void sbExtraeComodinesClick();
    void sbIteraComodinesClick();
    // Styles.
    void sbAbrirCSSClick();
    void lbEstilosDblClick();
    // Loads a style library into the page; a file that does not exist changes nothing.
    void CargaCSS(const std::string& path);
    // Explorer.
    void DirTreeChange();
    void DirTreeCollapsed(QTreeWidgetItem* node);
    void cbFilterChange();
    void mIcoClick(int Tag);
    void lbFileListClick();
    void pmArchivosPopup();
    void mAbreArchivoClick();
    void mEditaArchivoClick();
    void mDirActualizaClick();
    void mInsTxtClick();
    // How the pages ask for a line (the question dialog unless replaced).
    void SetQuery(decltype(TSidePanelToolLinks::Query) query) { FLinks.Query = std::move(query); }
    // The folder the tree shows; at start the tree goes to the stored one.
    std::string TreeFolder() const;
    void SetTreeFolder(const std::string& folder);

private:
    void buildWildcards();
    void buildStyles();
    void buildExplorer();
    void writeWildcards();
    // The names of lbComodines in list order.
    TStringList wildcardNames() const;
    // Puts a name in sorted place (without case) and selects it; false when it is there already.
    bool insertWildcard(const std::string& name, int replacing);
    void keepStyleValues();
    std::string selectedWildcard() const;
    std::string selectedStyle() const;

    TWindowHost& FHost;
    TSidePanel& FPanel;
    TSidePanelToolLinks FLinks;
    TToolPressFilter* FPresses;
    // The file the pop-up's commands work on: the one selected when it opened.
    std::string FPopupFile;
};
