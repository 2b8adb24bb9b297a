// The main window of the program: the shared editor, its three highlighting languages, the settings, the menus, the status bar and the opening of files.
#pragma once

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/host/Commands.h"
#include "app/host/WindowHost.h"
#include "app/model/DocumentList.h"
#include "app/model/EditorKind.h"
#include "app/model/EditorState.h"
#include "app/model/QuickPairs.h"
#include "app/model/ToolPageValues.h"
#include "editor/PageSetup.h"
#include "platform/core/Messages.h"
#include "platform/core/ScopeGuard.h"

class QAction;
class QCloseEvent;
class QLabel;
class QMenu;
class QShowEvent;
class QSplitter;
class QVBoxLayout;
class QStatusBar;
class TColorDialog;
class TFormColor;
class TKestrimaConfig;
class TCodigosISO;
class TStringList;
class TCodeMemo;
class TKrSpeedButton;
class TCodeMemoParser;
struct TToolPageControls;
class TReplaceDialog;
class TSidePanel;
class TSidePanelTools;
class TTagGridPage;
class TAuxiliaryEditor;
class TAssistantPanels;
struct TPoint;
class TEditingFile;
class TFormStorage;
class TTabSetControl;
class TPopupMenu;
class TVSpeedBtnMenu;
class TSpeedBar;
class Tddemacroserver;
enum TMouseButton : uint8_t;


// The message a second start sends to the running window, which then comes to the front.
constexpr uint32_t WM_ACTIVAINSTANCIA = 0x0400 + 0x1000;

struct TProjectEntry;

class TformPrincipal : public QMainWindow, public TWindowHost {
    Q_OBJECT
public:
    // `arguments` is the command line after the program's name; the window opens the files among
    // them when it is first shown.
    explicit TformPrincipal(std::vector<std::string> arguments = {}, QWidget* parent = nullptr);
    ~TformPrincipal() override;

    // The settings, loaded when the window is made and saved when it closes.
    TKestrimaConfig& Config() const override { return *FConfig; }
    // The character table; nil until the window is first shown.
    TCodigosISO* CodigosISO() const { return FCodigosISO.get(); }
    // The entity table documents are read and written through, or nil when the options turn entities off.
    const TCodigosISO* FileEntities() const override;

    // The editor every document is shown in.
    TCodeMemo* CodeMemo() const override { return FCodeMemo; }
    // The languages in the editor's slots ekHTML, ekText and ekJavaScript; the text and script
    // languages are read at the first call or when a document first shows in them.
    TCodeMemoParser& HTMLParser() const { return *FHTMLParser; }
    TCodeMemoParser& TextParser() const { return loaded(*FTextParser); }
    TCodeMemoParser& JavaParser() const { return loaded(*FJavaParser); }
    // The status bar and its three buttons: tool bar, side panel and auxiliary editor.
    QStatusBar* BarraEstado() const { return FBarraEstado; }
    static constexpr int kPanelCount = 5;
    // Panel 0 keeps the buttons' room; 1 the caret, 2 the changed mark, 3 the insert mode, 4 hints.
    QLabel* Panel(int index) const { return FPanels[index]; }
    TKrSpeedButton* sbBarra() const { return FsbBarra; }
    TKrSpeedButton* sbLateral() const { return FsbLateral; }
    TKrSpeedButton* sbAuxiliar() const { return FsbAuxiliar; }

    // The editor kind for a file, by its extension (compared without regard to case).
    int TipoDeArchivo(const std::string& FileName) const override;

    // ---- documents and tabs (uFormPrincipalFiles.cpp)

    // The document strip: one tab per open document, hidden while none is open.
    TTabSetControl* FileTabs() const { return FFileTabs; }
    int DocumentCount() const;
    // The open documents in tab order and the current one.
    const TDocumentList<TEditingFile>& Documents() const override { return FDocuments; }
    // The document of tab `index` / of the selected tab; nil when there is none.
    TEditingFile* EditingFile(int index) const;
    TEditingFile* CurrentFile() const;
    // Opens the file in a new tab as kind Tipo, or a new untitled document when FileName is empty;
    // with ComoPlantilla the file is the model of a new untitled document. Failures are reported and
    // leave the documents as they were.
    void AbreArchivo(const std::string& FileName, bool ComoPlantilla, int Tipo) override;
    // The current document's file name; empty when it is untitled or none is open.
    std::string ArchivoActual() const;
    // A value of section "Datos del proyecto" of the open project's file; empty without one.
    std::string LeeDatoProyecto(const std::string& Key) const;
    // Takes FileName out of the recent files, keeping nine entries; with AlPrincipio it goes on top.
    void MRUUpdate(bool AlPrincipio, const std::string& FileName);
    void FileTabsChanging(bool& AllowChange);
    void FileTabsChange();
    // Caption, status panels and the state of the commands after any change of the editor.
    void EditorOnChange();
    // The status bar's caret position: where `editor`'s caret stands in its file.
    void showCaretOf(TCodeMemo& editor);
    // Shows the document at `index` in the editor, its tab selected and the window following it.
    void bringForward(int index);
    // The window's commands: one action per command, the controls bound to them.
    TCommandTable& Commands() const override { return *FCommands; }
    QWidget* HostWindow() override { return this; }
    // The state of the editor and the documents that the commands follow; asking the clipboard
    // whether it can paste costs a round trip to the display, so it is asked only `withPaste`.
    TEditorState EditorState(bool withPaste) const;
    void CodeMemoTextChange();
    void mNuevoClick();
    void mAbrirClick();
    // A new untitled document from a template chosen in the project's templates folder.
    void mUsarPlantillaClick();
    // A template merged with a data file named in TformFusion, as a new untitled document.
    void sbProcesaPlantillaClick();
    void mGuardarClick();
    // True when the document was written under the chosen name.
    bool mGuardarComoClick();
    void mGuardarTodoClick();
    void mActualizarClick();
    void mCerrarClick();
    void mCerrarTodoClick();
    // The Project submenu (uFormPrincipalProject.cpp).
    void mNuevoProyectoClick();
    void mAbrirProyectoClick();
    void mEditarProyectoClick();
    // Asks about each unsaved document and closes the documents one by one; false when the user
    // cancelled (the documents closed so far stay closed).
    bool FormCloseQuery();
    // The File menu's document commands.
    struct TFileCommands {
        QAction* mNuevo = nullptr;
        QAction* mAbrir = nullptr;
        QAction* mUsarPlantilla = nullptr;
        QAction* mGuardar = nullptr;
        QAction* mGuardarComo = nullptr;
        QAction* mGuardarTodo = nullptr;
        QAction* mActualizar = nullptr;
        QAction* mCerrar = nullptr;
        QAction* mCerrarTodo = nullptr;
    };
    const TFileCommands& FileCommands() const { return FFileCommands; }
    // Saves the current document, through Save As when untitled; false when it was not written.
    bool saveCurrent();
    // Asks whether to save the current document when it has changes ("El texto en el archivo %s ha
    // cambiado..."); false for Cancel, or when the save the user asked for did not happen. The document
    // asked about is the current one afterwards, whatever came forward while the question was open.
    bool askToSave();
    // Frees tab `index` and its document, putting a named one's file on top of the recent files unless
    // `remember` is false. The caller selects and restores the document shown next.
    void removeDocument(int index, bool remember = true);
    // The close loop shared by Close All and the window's close query: each unsaved document is
    // shown and asked about; false on Cancel, with the documents before it closed.
    bool closeDocuments();
    // Stops the window's painting until the guard goes.
    TScopeGuard lockPainting();

    // ---- recent files, the tab pop-up, start-up documents and the preview file (uFormPrincipalRecent.cpp)

    // The File menu opens: Reload needs a named document, the project items an open project, and the
    // recent files are shown.
    void mArchivoClick();
    // The items of "&Reabrir" show the recent files; an item is visible only with an entry.
    void MRUDisplay();
    // Opens the recent file of the sender's Tag (0-8); a vanished one is reported and leaves the list.
    void MRUAbrir(QObject* Sender);
    QMenu* mReabrirMRU() const { return FRecent.mReabrirMRU; }
    QAction* MRUItem(int index) const { return FRecent.MRU[index]; }
    // The pop-up of the document strip; its "Tag" property is the tab the mouse was last over (-1 none).
    TPopupMenu* pmTabs() const { return FRecent.pmTabs; }
    void FileTabsTabTrack(int TabIndex);
    void pmTabsPopup();
    // The pop-up's commands by the sender's Tag, on the tracked tab while the current one stays
    // selected: 0 open in the browser, 1 save, 2 save as, 3 close.
    void mTabOptionsClick(QObject* Sender);
    QAction* mTabInfo() const { return FRecent.mTabInfo; }
    QAction* mTabOption(int Tag) const { return FRecent.TabOptions[Tag]; }
    // The file a browser should show for the current document, by the setting BrowserMode: none (0),
    // the text written to "tempHTML.htm" (1) or the saved document (2). False when there is nothing
    // to show: the save was cancelled or failed, or the preview file could not be written.
    bool ArchivoPrevio(std::string& FileName);

    // The window's menus, built once: the menu bar's nine in their order, then the submenus the
    // window adds itself. A feature adds its items through these members, never by a menu's name.
    struct TMenus {
        QMenu* mArchivo = nullptr;
        QMenu* mEdicion = nullptr;
        QMenu* mVer = nullptr;
        QMenu* mSeleccion = nullptr;
        QMenu* mInsertar = nullptr;
        QMenu* mHerramientas = nullptr;
        QMenu* mUtilidades = nullptr;
        QMenu* mNavegadores = nullptr;
        QMenu* mAyuda = nullptr;
        // Insertar's custom codes, Archivo's project items, Ayuda's addresses.
        QMenu* mOtrosTags = nullptr;
        QMenu* mProyecto = nullptr;
        QMenu* mInternet = nullptr;
        // Never shown: its items only carry keys.
        QMenu* mDesarrollo = nullptr;
    };
    const TMenus& Menus() const { return FMenus; }
    // The menus that the settings fill: custom codes, utilities and browsers.
    QMenu* mOtrosTags() const { return FMenus.mOtrosTags; }
    QMenu* mUtilidades() const { return FMenus.mUtilidades; }
    QMenu* mNavegadores() const { return FMenus.mNavegadores; }
    // Fills `menu` with one item per entry, named prefix plus its index, captioned with the name
    // ("-" is a separator) and with the value as hint; `paths` tells that the values are programs' or
    // documents' paths (the file system's bytes), not the settings' text.
    void CreaMenu(QMenu* menu, const char* prefix, const TStringList& names, const TStringList& values,
                  bool paths = false);
    // Enables the menu (through its command, named as the menu is) exactly when it shows an item.
    void EnableByItems(QMenu* menu);

    // The window's panel tree, built once; later parts fill a place instead of wrapping the middle.
    struct TPlaces {
        // The window's middle: the tool pages' place on top, the rest below.
        QWidget* pCentral = nullptr;
        QVBoxLayout* Top = nullptr;
        // The speed bar's place, on the left; the speed bar takes it when it is built.
        QWidget* pBotones = nullptr;
        // The side panel's place and its splitter; the panel is empty and hidden until it is filled.
        QSplitter* spLateral = nullptr;
        QWidget* pLateral = nullptr;
        // The documents' area: the tab strip over the splitter that holds the editor and, below it,
        // the auxiliary editor's place.
        QWidget* pEditor = nullptr;
        QSplitter* spAuxiliar = nullptr;
    };
    const TPlaces& Places() const { return FPlaces; }
    // The two panels the View menu shows and hides.
    enum class TViewPanel { ToolPages, SidePanel };
    // One of them when it is built and filled; nil for an empty place.
    QWidget* FilledPanel(TViewPanel which) const;
    // The speed bar on the left: its items run the window's commands (uFormPrincipalSpeedBar.cpp).
    TSpeedBar* SpeedBar() const { return FSpeedBar; }

    // The tool pages above the editor and their controls.
    // The tool pages with every page's controls built.
    TToolPageControls& Herramientas() const;
    // Lays the tool pages out for the width of their panel.
    void PTabsResize();
    // The text tools of the Selection menu on the editor's selection, by the item's Tag (1-11), each one
    // undoable insertion; Tag 8 (mOmite) only toggles its own check mark.
    void proHerramientasTexto(int Tag);
    QAction* mOmite() const { return FmOmite; }

    // Shows a hint in the status bar's last panel.
    void MuestraHint(const std::string& hint);
    // A second start asked for this window: restored when minimised, else brought to the front.
    void WMActivaInstancia();

    // ---- browser preview, external programs, help and the tool commands (uFormPrincipalBrowser.cpp)

    // Shows the current document in the default browser, as the preview mode prepares it.
    void sbNavegadorClick();
    // A Browsers menu item shows the current document in the browser its hint names; a Utilities
    // item opens its hint through the shell, reporting a failure.
    void EjecutaBrowser(QObject* Sender);
    void EjecutaUtilidad(QObject* Sender);
    void mEditaUtilidadesClick() {}

    // ---- help, the Herramientas menu, colour panels, address combos and editor options (uFormPrincipalHelpTools.cpp)

    // The help's index, the tutorial's index (for that call), and the editor pop-up's help on the
    // trimmed selection or the word at the caret in the TopicHelp file (the program's own without one).
    void mTemasClick();
    void mTutorialClick();
    void pmTopicHelpClick();
    // The Herramientas menu shows QuickTag, colouring and InsSpecChar; its items toggle them by Tag 1-3.
    void mHerramientasClick();
    void HerramientasClick(QObject* Sender);
    // The assistants by the sender's Tag; each assistant's part registers its call.
    void LlamadasExpertos(QObject* Sender);
    void SetExpertCall(int Tag, std::function<void(QObject*)> call);
    // A click on a colour panel picks its colour in the colour dialog.
    void PanelDeColor(QObject* Sender);
    TColorDialog& ColorDialog();
    // The palette dialog, which lives for the run; its palette is read at the first show.
    TFormColor& FormColor() const { return *FFormColor; }
    // A double click on an address combo picks a file, by the combo's Tag: 1 sounds, 2 applets,
    // 3 pictures, other any file; the combo shows it as the current document refers to it.
    void OpenURL(QObject* Sender);
    std::string PictureDialogInitialDir;
    // The active language's settings dialog; the auto-corrections and templates are then saved as the
    // user's copies, which later windows read before the shipped ones.
    void mOpcionesEditorClick();
    // The options dialog; on OK the palette dialog, the character table and the settings' menus follow it
    // (uFormPrincipalOptions.cpp).
    void mOpcionesClick();
    // The hidden development menu's commands: there is no task bar window to hide or show here.
    void mEscondeClick() {}
    void mMuestraClick() {}

    // ---- the tip of the day, the about box and replace in files (uFormPrincipalTips.cpp)

    // Once, after the first show: the tip of the day when the setting ShowTips is on.
    void FormShowTips();
    // The tip of the day whatever ShowTips says, its check box starting from it.
    void mSugerenciasClick();
    void mAcercaClick();
    // Reads an unchanged document again after its file was changed on disk (uFormPrincipalFiles.cpp).
    void ReloadDocument(int index) override;
    // Reads a document again from its file, whatever it holds unsaved, shown or not.
    void readAgain(TEditingFile& document);
    // Saves a named document; when another program changed its file since it was read, asks first
    // whether to overwrite it, read it again (nothing is written) or leave it. True when written.
    bool saveDocument(TEditingFile& file);

    // ---- the side panel (uFormPrincipalLateral.cpp)

    // The side panel's pages and tools, with their handlers. The panel is built at the first call,
    // or before it first shows: a window whose panel stays hidden never builds it.
    TSidePanel& SidePanel();
    // The image, applet and form assistants on the panel's pages; built at the first call, or before
    // the panel first shows.
    TAssistantPanels& AssistantPanels();
    void pcLateralChange();
    void pLateralResize();
    // The wildcard, style and explorer pages (uFormPrincipalSideTools.cpp).
    TSidePanelTools& SideTools();
    void mDirActualizaClick();
    void mInsTxtClick();

    // ---- the attribute grid and the custom codes (uFormPrincipalTagGrid.cpp)

    // The side panel's attribute grid page, made on first use.
    TTagGridPage& TagGrid();
    void sbEditaTagClick();
    void sbInsertaTagClick();
    void sgTagsDrawCell();
    void mSeleccionaTagClick();
    void mSelectAllTagClick();
    // Shows the grid's page and reads the tag around the caret into it.
    void mEditaTagClick();
    // The custom codes dialog; on Aceptar the menu of custom codes is made anew.
    void mEditaOtrosTagsClick();
    // The font list's hint names the fonts chosen.
    void CbFuenteChange();
    // The caret's place that the tag selection commands go back to; -1 none.
    int32_t PosicionTag = -1;

    // ---- the auxiliary editor and the editor commands (uFormPrincipalAuxiliar.cpp)

    // Opens the read-only auxiliary editor below the main one with a copy of the page, or closes it.
    void mAbrirEnAuxiliarClick();
    TAuxiliaryEditor& Auxiliar() const { return *FAuxiliar; }
    // The auxiliary editor's focus: after it first comes, each change of the editor sets the edit
    // commands and the status bar for it; when it goes the page controls work again.
    void smAuxTempEnter();
    void smAuxTempChange();
    void smAuxTempExit();
    // Marks every match of the selection or the last search.
    void mMuestraTodasClick();
    // Indent or unindent the lines of the selection by the indent step.
    void mSangrarClick();
    void mNoSangrarClick();
    // Help from the TopicHelp file (the program's own without one) on the selection or the word at
    // the caret, which it selects.
    void mInformaClick();
    // Both editors' hyperlinks open through the shell; their keys need nothing of the window.
    void CodeMemoHyperlinkClick(const std::string& HyperData);
    void CodeMemoKey() {}

    // ---- DDE command server (uFormPrincipalDde.cpp)

    // The macro verbs of the conversation "system": "edit", "new", "editex", "newex", "openproyect".
    void systemmacro(const std::string& Verb, const std::string& Arg);
    Tddemacroserver* DdeServer() const { return FDdeServer.get(); }

    // ---- tag insertion (uFormPrincipalTags.cpp)

    // Wraps the editor's selection in the codes in the configured letter case and remembers them as
    // the last code: Ctrl = 1 puts the codes on lines of their own, Shift = 1 replaces the selection.
    void InsertaCodigo(int16_t Ctrl, int16_t Shift, const std::string& OpenCode, const std::string& CloseCode) override;
    // Handlers of the tag commands; the sender's "Tag" property is the command number. A mouse-down
    // handler records Ctrl, Shift and the right button for the command it starts; a menu command
    // never uses them.
    void InsertaTagM(QObject* Sender, TMouseButton Button, TShiftState Shift);
    void BtnMouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift);
    void InsertaTag(QObject* Sender);
    void BtnMenuTag(QObject* Sender);
    void BtnMenuSelect(TVSpeedBtnMenu* Sender);
    void InsertaTagC(QObject* Sender);
    void sbTablaMouseDown(QObject* Sender, TMouseButton Button, TShiftState Shift);
    void SbCabeceraMouseDown(TVSpeedBtnMenu* Sender, TMouseButton Button, TShiftState Shift);
    void sbRepiteTagClick(QObject* Sender);
    void InsCarEspecialClick(QObject* Sender);
    void InsertaMiTag(QObject* Sender);
    // The code that puts the file into a page: a picture, a sound, a style sheet, a font or a link.
    std::string CodigoDeArchivo(const std::string& FileName);
    // The file name as a page refers to it, by the setting InsertDirs, from the current document, in
    // the page's text (FilePathPageText).
    std::string RutaRelativa(const std::string& FileName) override;
    // Puts the combo's trimmed text on top of its history (at most 20 entries).
    void GuardaHistorial(THistoryCombo& Combo);
    // The tool pages' values that the tag commands read, and the pages' link that keeps it filled.
    TToolPageValues& ToolPageValues() { return FToolPageValues; }
    void SetToolPageLink(TToolPageLink* link) { FToolPageLink = link; }
    // Gives a tool-page drop-down button its list, its Tag and its handler.
    void PreparaBotonMenu(TVSpeedBtnMenu* Button, const std::string& Name);
    // The editor pop-up's item "< ... >" (Tag 25).
    QAction* pmTags() const { return FpmTags; }
    // The editor's pop-up menu: undo, cut, copy and paste, then the editor's own items.
    QMenu* pmEditor() const { return FpmEditor; }

    // Fields that the window's commands share.
    int16_t CtrlPulsado = 0;
    int16_t ShiftPulsado = 0;
    int16_t DesdeRaton = 0;
    uint8_t BotonDerecho = 0;
    std::string TextoBuscado;
    int32_t OpcionesBusqueda = 0;
    std::string UltimaApertura;
    std::string UltimoCierre;
    // While set, changes of the editor's text do not mark the document as changed.
    bool Ocupado = false;
    std::string NombreProyecto;
    // The starting folders of the open and save dialogs, and the files last chosen in them.
    std::string OpenDialogInitialDir, OpenDialogFileName;
    std::string SaveDialogInitialDir, SaveDialogFileName;

    // ---- file, edit and view commands (uFormPrincipalCommands.cpp)
    // The edit commands by their items' Tag: 1 undo, 2 redo, 3 cut, 4 copy, 5 paste, 6 delete the
    // selection, 7 select all.
    void proOpcionesEdicion(int Tag);
    // The Edit, Selection and View menus bring their items in line as they open.
    void mEdicionClick();
    void mSeleccionClick();
    void mVerClick();
    void mBuscarClick();
    void mBuscaOtroClick();
    void mReemplazarClick();
    void mAjustaTextoClick();
    void mSoloLecturaClick();
    void mVerBarraClick();
    void mVerLateralClick();
    void mPrepararPaginaClick();
    void mConfImpresionClick();
    // Tag 0 prints the whole text, Tag 1 the lines of the selection.
    void mImprimirClick(int Tag);
    // Print preview of the document with the page setup's margins.
    void mVistaPreliminarClick();
    // Opens the speed bar's setup window.
    void mPersonalizarBotonesClick();
    void mSalirClick();
    void BorrarAnteriorClick();
    // The editor's events.
    void EditorKeyPress(char& Key);
    // Auto-correction of the word typed at `Start`: it stays as typed unless it stands in the running
    // text of a page or a plain text, as the colouring tells.
    void EditorAutoReplace(int Start, const std::string& Item, bool& CanReplace);
    void EditorFilesDropped(TStringList& Files, TPoint AtPoint);
    void CodeMemoDataDrop(uint16_t& SourceTypes);
    void CodeMemoSearchFail(const std::string& SearchString);
    // The word characters of the editor: "#", digits, ASCII letters, "_" and the twelve accented
    // Spanish letters.
    static bool CharIsInWord(char Ch);
    // The history menus of the undo and redo buttons, filled as they open.
    QMenu* UndoPopup() const;
    QMenu* RedoPopup() const;
    void UndoPopupPopup();
    void RedoPopupPopup();
    void DoUndoExecute(QAction* Sender);
    // The replace dialog, made on first use.
    TReplaceDialog* ReplaceDialog() const { return FReplaceDialog; }
    void ReplaceDialogFind();
    void ReplaceDialogReplace();
    // The page margins chosen in the page setup, in hundredths of a millimetre (left, top, right,
    // bottom); before the first page setup those that the page setup shows first. They are the
    // margins of the editor's page setup, which its printing and the print preview follow.
    using TPageMargins = ::TPageMargins;
    const TPageMargins& PageSetupMargins() const;
    // The page setup before the user has confirmed one: the paper of the Spanish locale, portrait,
    // with the margins the system's page setup offers when its record names none.
    static TPageSetup StartPageSetup();
    // The Herramientas menu's page commands: the resource report, whose path the caption shows until
    // the next caption update, and the download times.
    void mActualizaRecursosClick();
    void Tiemposdedescarga1Click();
    // The image map editor; its map replaces the selection.
    void sbMapasClick();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Makes the help file for a word the application's until the guard goes.
    TScopeGuard useWordHelp() const;
    // After a command of the replace dialog: the program in front, the dialog active.
    void keepDialogActive();
    // Puts the window's last search (else the editor's own) into the editor for a repeat; false when
    // there is none.
    bool takeLastSearch();
    // A search a find dialog made, with its search options, as the window's last search.
    void rememberSearch(const std::string& text, int32_t options);
    // The quick pairs typed and not closed yet, whose closers typing steps over.
    TQuickPairs FQuickPairs;
    static TCodeMemoParser& loaded(TCodeMemoParser& parser);
    void FormCreate();
    void FormClose();
    void buildMenus();
    void buildLayout();
    void buildStatusBar();
    void buildTextToolsMenu(QMenu* menu);
    // Loads the editor's auto-corrections and code templates from the program's Docs folder.
    void loadSupportFiles();
    // Builds the tool pages and puts them above the window's middle.
    void CreaHerramientas();
    // Makes the controls of a tool page not built yet.
    void buildToolPage(int page);
    // The tool pages as they are: pages not shown yet may have no controls.
    TToolPageControls& toolPagesAsBuilt() const { return *FHerramientas; }
    // What a press does on a tool-page control of the given kind; nothing for controls without one.
    std::function<void(QWidget*, Qt::MouseButton, TShiftState)> pressOf(int kind);
    // The setting DefaultParser as an editor kind.
    int defaultKind() const;
    // Puts the three small buttons into the status bar's first panel, square and as tall as the bar.
    void placeStatusButtons();
    // Fills the character table and opens every command-line argument that names an existing file;
    // runs once.
    void FormFirstShow();
    // Fills the character table from the setting CharacterLib, with the built-in characters when the
    // library cannot be read.
    void loadCharacterLibrary();
    // Frees the items of the custom codes', utilities' and browsers' menus (only those of `only` when
    // given) and makes them anew.
    void rebuildSettingsMenus(QMenu* only = nullptr);
    // Makes the items of the file, edit and view commands and hooks the editor's events.
    void buildCommands();
    // The window's placement and the stored properties of its parts, kept between runs.
    void buildFormStorage();
    // Puts the speed bar in its place, with its sections and items bound to their commands.
    void buildSpeedBar();
    // The Help menu's tips and about box, and the Edit menu's replace in files.
    void buildTipsAndAbout();
    void queueFormShowTips();
    // The tip window with the shipped tips, or the message that they are missing.
    void showTips(bool showAtStart);
    bool FTipsShown = false;
    TSpeedBar* FSpeedBar = nullptr;
    // After the restore: the panels follow their View items, the tool pages' values their combos.
    void FormStorageRestorePlacement();
    void buildEditorPopup();
    QMenu* FpmEditor = nullptr;
    // Fills an undo or redo history menu.
    void fillHistoryMenu(QMenu* menu, bool redo);
    // Shows the panel when hidden and hides it when shown; the View item's check mark and the status
    // button's hint (show or hide) follow.
    void togglePanel(TViewPanel which, const char* itemName, const char* buttonName, int showHint, int hideHint);
    // Recent files, tab pop-up and start-up documents (uFormPrincipalRecent.cpp).
    void buildRecentFiles();
    // The documents of the start-up mode (setting InitialFile), when no argument opened one.
    void openStartUpDocuments();
    void openMostRecentFile();
    // Opens the project of LastProyect; false when its file does not exist.
    bool openLastProject();
    // Takes the project's name and opens its files, last entry first; a missing file is reported by
    // the opening, or passed over when `reportMissing` is false.
    void openProjectFiles(const std::string& project, bool reportMissing);
    // The Project submenu after Close All (uFormPrincipalProject.cpp).
    void buildProjectCommands();
    // Opens the dialog's checked files that exist and are not open yet, from the last to the first.
    void openProjectList(const std::vector<TProjectEntry>& files);
    struct TRecentFiles {
        QMenu* mReabrirMRU = nullptr;
        QAction* MRU[9] = {};
        TPopupMenu* pmTabs = nullptr;
        QAction* mTabInfo = nullptr;
        QAction* TabOptions[4] = {};
    } FRecent;
    // Documents (uFormPrincipalFiles.cpp).
    void buildFileTabs();
    void buildFileCommands();
    void freeDocuments();
    // The documents and the strip that shows them change together.
    void selectTab(int index);
    // Shows the document at `index` as a click on its tab does.
    void showOpenDocument(int index);
    int addDocument(const std::string& caption, std::unique_ptr<TEditingFile> file);
    // Takes the document out and frees it, with its undo log away from the editor first.
    void deleteDocument(int index);
    bool documentsShown() const;
    void showDocuments(bool visible);
    // Hides the strip and the editor after the last document closed, emptying caption and panels.
    void documentsClosed();
    // Brings tab `index`'s document into the editor; with no such tab, the window shows none.
    void showDocumentAt(int index);
    // Shows tab `index`'s document, saves it through Save As and stores its state back; true when it
    // was written. The caller selects the tab to show afterwards.
    bool saveAsAt(int index);
    // saveAsAt for an untitled document, whose new name then goes on top of the recent files.
    void saveUntitledAt(int index);
    // Reads the file into the current document (as Loading text does); false when it failed.
    bool loadDocumentText(TEditingFile& file, const std::string& fileName);
    std::string newDocumentCaption() const;
    // Switches on the editor's handling of files dropped on it.
    void acceptDroppedFiles();
    // The status bar's note on the characters Windows-1252 lacks that the document holds as
    // references: shown for a document that has some, taken away (when it still shows) for one
    // that has none or when no document shows (nil), so that it follows the current tab.
    void showReferenceNote(const TEditingFile* file);
    std::string FReferenceNote;
    std::unique_ptr<TCommandTable> FCommands;
    TPlaces FPlaces;

    // The parsers go before the editor, a child widget that the window's base deletes; each one
    // empties the editor's slot as it goes.
    std::unique_ptr<TCodeMemoParser> FHTMLParser;
    std::unique_ptr<TCodeMemoParser> FTextParser;
    std::unique_ptr<TCodeMemoParser> FJavaParser;
    TCodeMemo* FCodeMemo;
    std::unique_ptr<TKestrimaConfig> FConfig;
    std::unique_ptr<TCodigosISO> FCodigosISO;
    std::unique_ptr<Tddemacroserver> FDdeServer;
    void buildDdeServer();
    void buildBrowserCommands();
    void buildHelpAndTools();
    void loadCustomColors();
    void saveCustomColors();
    std::map<int, std::function<void(QObject*)>> FExpertCalls;
    std::unique_ptr<TColorDialog> FColorDialog;
    std::unique_ptr<TFormColor> FFormColor;
    // Closes every document without a question and without touching the recent files.
    void discardDocuments();
    QStatusBar* FBarraEstado;
    QLabel* FPanels[kPanelCount] = {};
    TMenus FMenus;
    QAction* FmOmite = nullptr;
    // Tag insertion (uFormPrincipalTags.cpp).
    void buildTagMenus(QMenu* insertar);
    void readToolPages();
    void takeBackCombos();
    uint8_t caseMode() const;
    void insertList(int16_t Ctrl, int16_t Shift, const std::string& OpenCode, const std::string& CloseCode);
    void replaceSelectionLines(const std::function<std::string(const std::string&)>& eachLine);
    void insertConvertedColor(int item);
    TToolPageValues FToolPageValues;
    TToolPageLink* FToolPageLink = nullptr;
    QAction* FpmTags = nullptr;
    TKrSpeedButton* FsbBarra;
    TKrSpeedButton* FsbLateral;
    TKrSpeedButton* FsbAuxiliar;
    std::unique_ptr<TToolPageControls> FHerramientas;
    // The commands that open the side panel's assistants; the panel itself waits for its first use.
    void CreaPanelLateral();
    // Builds the side panel in its place (a child of the window) and gives it what the window
    // already holds for it: its stored settings, the start library, the lock of the auxiliary
    // editor and, after the first show, the stored folder and style library.
    void buildSidePanel();
    // Puts the repeat tool (its two codes and its button) on the side panel's assistant page.
    void placeRepeatTool(QWidget* page);
    // The side panel shows only with a document shown and its View item checked.
    void showSidePanel(bool shown);
    // Shows or hides one of the window's panels; the side panel's assistants are built before it first shows.
    void setPanelVisible(QWidget* panel, bool shown);
    TSidePanel* FSidePanel = nullptr;
    void CreaHerramientasLaterales();
    // The tree goes to the stored folder and the stored style library is loaded, once: at the first
    // show, or when the panel is built after it. At close the tree's folder is kept.
    void startSideTools();
    bool FSideToolsStarted = false;
    void closeSideTools();
    TSidePanelTools* FSideTools = nullptr;
    // Fills the side panel's attribute grid page and adds the commands of the grid and the custom codes.
    void CreaPaginaTag();
    // At close the settings keep the grid's column widths.
    void keepTagGridWidths();
    TTagGridPage* FTagGrid = nullptr;
    TAssistantPanels* FAssistantPanels = nullptr;
    TFormStorage* FFormStorage = nullptr;
    std::vector<std::string> FArguments;
    TTabSetControl* FFileTabs = nullptr;
    // The open documents in tab order; the strip shows their captions.
    TDocumentList<TEditingFile> FDocuments;
    TFileCommands FFileCommands;
    std::string FStatusMode;
    bool FFirstShowDone = false;
    TPopupMenu* FUndoPopup = nullptr;
    TPopupMenu* FRedoPopup = nullptr;
    TReplaceDialog* FReplaceDialog = nullptr;
    // With the printer writing a PDF file (no printer installed, or a file chosen in the printer
    // setup), asks for the file; false when the user cancelled.
    bool choosePdfFile();
    // The PDF file printing the current document offers: the one last chosen for it, else the
    // document's name with ".pdf" in the document's folder.
    std::string pdfFileFor() const;
    std::string pdfFileKey() const;
    // The PDF file chosen for each document (by its path, or its caption while it has none).
    std::map<std::string, std::string> FPdfFiles;
    // The auxiliary editor's commands and events; closing it when the last document goes.
    void buildEditorCommands();
    void closeAuxiliaryEditor();
    // Last, so that an open auxiliary editor goes before the languages it shares.
    std::unique_ptr<TAuxiliaryEditor> FAuxiliar;
};

// The folder of the user's copies of the editor's support files: "Docs" in the settings' folder.
std::string UserDocsFolder();

// The speed bar's items by name, each with the style's standard picture (a QStyle::StandardPixmap) it
// shows when the icon theme has none of its own.
std::vector<std::pair<std::string, int>> SpeedBarStylePictures();

// The running program's main window; nil before it is made and after it is gone.
extern TformPrincipal* formPrincipal;
