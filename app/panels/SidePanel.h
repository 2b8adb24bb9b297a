// TSidePanel: the side panel beside the editor: its pages, the assistants' chooser, the code library and the code tree, with their insertion and dragging.
#pragma once

#include <QObject>
#include <QSplitter>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/widgets/SharedWidgets.h"
#include "platform/core/ScopeGuard.h"

class QListWidget;
class QStackedWidget;
class QTreeWidgetItem;
class TCodigosISO;
class THETreeView;
class TImageList;
class TPageSetControl;
class TStrHolder;
class TTabSetSheet;
class TToolbarButtonKt;
class TWindowHost;

// The splitter beside the side panel; its Tag keeps the width the user gave the panel.
class TLateralSplitter : public QSplitter {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)

public:
    using QSplitter::QSplitter;
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }

private:
    int FTag = 168;
};

// The code library chooser: the libraries' names (kept between runs with the index chosen last, its
// Tag) and the chosen library's full path, its Hint. The path is held as the file system's bytes
// (Path); the hint shows the characters it spells.
class TLibraryCombo : public TStoredComboBox {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE SetTag)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)

public:
    using TStoredComboBox::TStoredComboBox;
    int Tag() const { return FTag; }
    void SetTag(int value) { FTag = value; }
    // The path the hint shows, as the file system's bytes kept beside it (what the form keeps).
    std::string Path() const;
    void SetPath(const std::string& path);
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& value) { setToolTip(value); }

private:
    int FTag = 0;
};

// What the panel needs of the window beyond its host: the keys held at the last tag-button press,
// the character table that turns entities into characters, and the lock of the window's painting.
struct TSidePanelLinks {
    std::function<void(int16_t& Ctrl, int16_t& Shift)> Keys;
    std::function<const TCodigosISO*()> Characters;
    std::function<TScopeGuard()> LockPainting;
    // Asks for one line of text (prompt, caption, the default and then the answer); false when the
    // user cancelled, which leaves the text as it was.
    std::function<bool(const std::string&, const std::string&, std::string&)> Ask;
};

class TSidePanel : public QObject {
public:
    // The pages of the assistants' notebook, by index.
    enum TAssistant { asApplets, asComodines, asEstilos, asFormularios, asImagenes, asRepetir, kAssistantCount };
    static constexpr int kPanelWidth = 168;

    // Fills the window's empty panel place `pLateral`, beside `spLateral`.
    TSidePanel(TWindowHost& host, TSidePanelLinks links, QWidget* pLateral, TLateralSplitter* spLateral);
    ~TSidePanel() override;

    QWidget* pLateral;
    TLateralSplitter* spLateral;
    TPageSetControl* pcLateral = nullptr;
    // The pages in order; the tag, explorer and attribute pages are filled by their own parts.
    TTabSetSheet* tsHerramientas = nullptr;
    TTabSetSheet* tsAsistentes = nullptr;
    TTabSetSheet* tsArchivos = nullptr;
    TTabSetSheet* tsTag = nullptr;
    TTabSetSheet* tsLibreria = nullptr;
    TTabSetSheet* tsCodigos = nullptr;

    QComboBox* cbAsistentes = nullptr;
    QStackedWidget* nbAsistentes = nullptr;
    // The assistants' pages, empty until their parts fill them.
    QWidget* Assistant(int index) const;

    TLibraryCombo* cbLibreria = nullptr;
    TStrHolder* shLibreriaFiles = nullptr;
    QListWidget* lbLibreria = nullptr;
    TToolbarButtonKt* sbAbreLibreria = nullptr;
    TToolbarButtonKt* sbLibraryAdd = nullptr;

    // The code tree's group buttons by Tag - 1, then collapse and expand.
    TToolbarButtonKt* sbCarga[6] = {};
    TToolbarButtonKt* sbColapsaCod = nullptr;
    TToolbarButtonKt* sbExpandeCod = nullptr;
    THETreeView* tvCodigos = nullptr;

    // The handlers of the panel's controls.
    void pcLateralChange();
    void pLateralResize();
    void cbAsistentesChange();
    void sbAbreLibreriaClick();
    void sbLibraryClick();
    void cbLibreriaChange();
    void lbLibreriaKeyUp(int Key);
    // Inserts the selected item of `Sender` (the library list).
    void lbFileListDblClick(QObject* Sender);
    // Loads the code tree of group button `Sender`; a missing file is told unless `tellMissing` is
    // false, and leaves the button up.
    void sbCargaClick(TToolbarButtonKt* Sender, bool tellMissing = true);
    // The file of the code tree of group button `tag` (1 to 6), in the program's folder; "" for no such button.
    static std::string CodeTreeFile(int tag);
    // Tells over `window` that the code tree file `path` is missing.
    static void TellMissingCodeTree(QWidget* window, const std::string& path);
    // Tag 1 collapses every branch, Tag 2 expands them all.
    void sbCodClick(int Tag);
    void lbCodigosDblClick();
    // Drags the text of `Sender`'s selected item onto any drop target; the editor then has the focus.
    void DragMouseMove(QObject* Sender);
    // What a drag from `Sender` carries; "" when nothing is selected there.
    std::string DragText(QObject* Sender) const;

    // A list of another page whose items go in by double-click and out by dragging, like the
    // library's. `Text` gives what the selected item inserts and carries ("" for nothing); `DragText`,
    // when set, what a drag carries instead; `DblClick`, when set, runs instead of inserting. The
    // surfaces are the widgets that take the mouse (a list's viewport).
    struct TItemList {
        QObject* List = nullptr;
        std::vector<QObject*> Surfaces;
        std::function<std::string()> Text;
        std::function<std::string()> DragText;
        std::function<void()> DblClick;
    };
    void AddItemList(TItemList list);

    // Shows the assistants' page and assistant `index`, as the assistant commands ask.
    void ShowAssistant(int index);
    // At start: the library of index cbLibreria.Tag is chosen and its entries listed.
    void SelectStartLibrary();
    // At close: cbLibreria.Tag keeps the chosen library's index.
    void KeepLibraryIndex();
    // The path of the library chosen in cbLibreria.
    std::string LibraryPath() const;
    // How the panel asks for an entry's name (the question dialog unless replaced).
    void SetAsk(decltype(TSidePanelLinks::Ask) ask) { FLinks.Ask = std::move(ask); }

private:
    void buildAssistants();
    void buildLibrary();
    void buildCodeTree();
    // Lists the library's entries and selects the first; false when the file cannot be read.
    bool listLibrary(const std::string& path);
    // Puts the codes around the editor's selection in the letter case given, in one update.
    void insertCodes(const std::string& openCode, const std::string& closeCode);
    // The text of the selected library entry, entities turned into characters when the settings ask.
    std::string libraryEntryText() const;
    void setPanelWidth(int width);
    bool eventFilter(QObject* watched, QEvent* event) override;

    TWindowHost& FHost;
    TSidePanelLinks FLinks;
    std::unique_ptr<TImageList> FImages;
    std::vector<QWidget*> FAssistants;
    std::vector<TItemList> FItemLists;
    const TItemList* itemList(QObject* object) const;
    // Where a drag from a list or the tree began; a drag starts once the mouse has gone far enough.
    QPoint FPressPoint;
    bool FPressed = false;
};
