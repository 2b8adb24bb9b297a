// The main window's file, edit and view commands: their items, the editor events the window answers, the undo history menus, find, replace and printing.
#include "app/window/uFormPrincipal.h"

#include "app/window/AuxiliaryEditor.h"
#include "app/window/PageResources.h"
#include "app/panels/SidePanel.h"
#include "app/host/EditingFile.h"
#include "app/model/AutoCorrection.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/libVeltran.h"
#include "app/dialogs/uFormMapas.h"
#include "app/window/uFormPrincipalTools.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>

#include "components/KrCtrls.h"
#include "editor/PrintPreviewPages.h"
#include "editor/CodeMemo.h"
#include "editor/Painter.h"
#include "editor/model/KeyBindings.h"
#include "editor/model/Undo.h"
#include "platform/Cursors.h"
#include "platform/FileDialogs.h"
#include "platform/FileNameQt.h"
#include "platform/FindDialog.h"
#include "platform/HandlerCall.h"
#include "platform/Menus.h"
#include "platform/MessageBox.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"
#include "toolbars/TBarCtls.h"
#include "toolbars/TabCtrls.h"

namespace {

constexpr int kShowToolBar = 4770;
constexpr int kShowSidePanel = 4771;
constexpr int kHideToolBar = 4460;
constexpr int kHideSidePanel = 4461;
constexpr int kCannotFind = 4772;
constexpr int kSearchAgain = 4773;
constexpr int kSearchAgainFromEnd = 4792;
constexpr int kNothingToUndo = 4785;
constexpr int kNothingToRedo = 4786;
constexpr int kPdfFilter = 4988;
constexpr int kAceptar = 4358;
// The margins the system's page setup shows when its record names none, in hundredths of a
// millimetre: about an inch.
constexpr int kDefaultMargin = 2500;

// The history menus name a group by its kind; kinds without a name of their own are "Operación".
int groupCaption(int kind)
{
    switch (kind) {
    case ugMoveText: return 4774;
    case ugTyping: return 4775;
    case ugDelete:
    case ugDeleteWord: return 4776;
    case ugPaste: return 4777;
    case ugCut: return 4778;
    case ugTemplate: return 4779;
    case ugIndent: return 4780;
    case ugUnindent: return 4781;
    case ugReplaceAll: return 4782;
    case ugInsertText: return 4783;
    default: return 4784;
    }
}

// While a search dialog is shown the editor does not have the focus, yet the user must see what
// the dialog found: the editor shows its selection until the dialog hides.
class TSelectionShownWhileVisible : public QObject {
public:
    TSelectionShownWhileVisible(QWidget* dialog, TCodeMemo* memo) : QObject(dialog), FMemo(memo)
    {
        dialog->installEventFilter(this);
        if (dialog->isVisible())
            show(true);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            show(true);
        else if (event->type() == QEvent::Hide)
            show(false);
        return false;
    }

private:
    void show(bool shown)
    {
        // The editor hides the dialogs it owns as it is destroyed: by then it is no TCodeMemo any more.
        TCodeMemo* memo = dynamic_cast<TCodeMemo*>(FMemo.data());
        if (!memo || memo->HideSelection != shown)
            return;
        memo->HideSelection = !shown;
        memo->Invalidate();
    }
    QPointer<QObject> FMemo;
};

// Ctrl+Tab and Ctrl+Shift+Tab in the editor move between the tool pages, as they do from a control of
// the pages: the editor, which takes Tab, never types them.
class TToolPageKeys : public QObject {
public:
    TToolPageKeys(QWidget* editor, TPageSetControl* pages) : QObject(editor), FPages(pages)
    {
        editor->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) || !(key->modifiers() & Qt::ControlModifier))
            return false;
        // Pages the user cannot see or use (the bar hidden, the auxiliary editor at work) stay as they are.
        if (FPages && FPages->isVisible() && FPages->isEnabled())
            CallHandler(FPages, [this, key] { FPages->SelectNextPage(!(key->modifiers() & Qt::ShiftModifier)); });
        return true;
    }

private:
    QPointer<TPageSetControl> FPages;
};

// Watches `dialog` once, however often it is shown.
void showSelectionWhileVisible(QWidget* dialog, TCodeMemo* memo)
{
    if (!dialog || dialog->property("SelectionShownWhileVisible").toBool())
        return;
    dialog->setProperty("SelectionShownWhileVisible", true);
    new TSelectionShownWhileVisible(dialog, memo);
}

} // namespace

void TformPrincipal::buildCommands()
{
    QMenu* mArchivo = FMenus.mArchivo;
    QMenu* mEdicion = FMenus.mEdicion;
    QMenu* mVer = FMenus.mVer;
    QMenu* mSeleccion = FMenus.mSeleccion;

    // Every item runs its handler through CallHandler: an exception is shown, never passed into Qt.
    auto item = [this](QMenu* menu, const char* name, std::function<void()> handler) {
        QAction* action = FCommands->Action(name);
        connect(action, &QAction::triggered, this, [this, handler = std::move(handler)] { CallHandler(this, handler); });
        menu->addAction(action);
        return action;
    };

    const char* editNames[] = {"mDeshacer", "mRehacer", "mCortar", "mCopiar", "mPegar", "mBorrar", "mSeleccionaTodo"};
    for (int tag = 1; tag <= 7; ++tag) {
        QAction* action = item(mEdicion, editNames[tag - 1], [this, tag] { proOpcionesEdicion(tag); });
        action->setData(tag);
        if (tag == 2 || tag == 6)
            mEdicion->addSeparator();
    }
    mEdicion->addSeparator();
    item(mEdicion, "mBuscar", [this] { mBuscarClick(); });
    item(mEdicion, "mBuscaOtro", [this] { mBuscaOtroClick(); });
    item(mEdicion, "mReemplazar", [this] { mReemplazarClick(); });
    mEdicion->addSeparator();
    item(mEdicion, "mSoloLectura", [this] { mSoloLecturaClick(); });
    // The speed bar's edit buttons run the Edit menu's commands.
    const std::pair<const char*, int> editButtons[] = {{"sbDeshacer", 1}, {"sbRehacer", 2}, {"sbCortar", 3},
                                                       {"sbCopiar", 4}, {"sbPegar", 5}};
    for (auto [name, tag] : editButtons)
        connect(FCommands->Action(name), &QAction::triggered, this,
                [this, tag] { CallHandler(this, [this, tag] { proOpcionesEdicion(tag); }); });
    buildEditorPopup();
    connect(FCommands->Action("sbImprimirSel"), &QAction::triggered, this,
            [this] { CallHandler(this, [this] { mImprimirClick(1); }); });
    connect(mEdicion, &QMenu::aboutToShow, this, [this] { CallHandler(this, [this] { mEdicionClick(); }); });

    item(mVer, "mVerBarra", [this] { mVerBarraClick(); });
    item(mVer, "mVerLateral", [this] { mVerLateralClick(); });
    mVer->addSeparator();
    item(mVer, "mAjustaTexto", [this] { mAjustaTextoClick(); });
    connect(mVer, &QMenu::aboutToShow, this, [this] { CallHandler(this, [this] { mVerClick(); }); });
    connect(mSeleccion, &QMenu::aboutToShow, this, [this] { CallHandler(this, [this] { mSeleccionClick(); }); });

    QMenu* mHerramientas = FMenus.mHerramientas;
    item(mHerramientas, "mActualizaRecursos", [this] { mActualizaRecursosClick(); });
    item(mHerramientas, "Tiemposdedescarga1", [this] { Tiemposdedescarga1Click(); });
    item(mHerramientas, "sbMapas", [this] { sbMapasClick(); });
    item(mHerramientas, "sbProcesaPlantilla", [this] { sbProcesaPlantillaClick(); });

    mArchivo->addSeparator();
    item(mArchivo, "mPrepararPagina", [this] { mPrepararPaginaClick(); });
    item(mArchivo, "mConfImpresion", [this] { mConfImpresionClick(); });
    item(mArchivo, "mImprimir", [this] { mImprimirClick(0); })->setData(0);
    item(mArchivo, "mImprimirSel", [this] { mImprimirClick(1); })->setData(1);
    item(mArchivo, "mVistaPreliminar", [this] { mVistaPreliminarClick(); });
    mArchivo->addSeparator();
    item(mArchivo, "mSalir", [this] { mSalirClick(); });

    // The hidden menu only carries keys: its items act through their shortcuts.
    auto* mDesarrollo = FMenus.mDesarrollo = new QMenu(this);
    mDesarrollo->setObjectName("mDesarrollo");
    QAction* borrarAnterior = item(mDesarrollo, "BorrarAnterior", [this] { BorrarAnteriorClick(); });
    addAction(borrarAnterior);

    FUndoPopup = new TPopupMenu(this);
    FUndoPopup->setObjectName("UndoPopup");
    connect(FUndoPopup, &QMenu::aboutToShow, this, [this] { CallHandler(this, [this] { UndoPopupPopup(); }); });
    FRedoPopup = new TPopupMenu(this);
    FRedoPopup->setObjectName("RedoPopup");
    connect(FRedoPopup, &QMenu::aboutToShow, this, [this] { CallHandler(this, [this] { RedoPopupPopup(); }); });
    // The tool pages' undo and redo buttons drop the histories down; their own part runs the command.
    for (auto [button, menu] : {std::pair{FHerramientas->sbDeshacer, FUndoPopup}, std::pair{FHerramientas->sbRehacer, FRedoPopup}}) {
        button->SetDropdownMenu(menu);
        FCommands->Bind(button, button->objectName().toStdString()); // Not editor text: a control's name
    }

    connect(FCommands->Action("sbBarra"), &QAction::triggered, this, [this] { CallHandler(this, [this] { mVerBarraClick(); }); });
    connect(FCommands->Action("sbLateral"), &QAction::triggered, this,
            [this] { CallHandler(this, [this] { mVerLateralClick(); }); });

    FCodeMemo->fn_CharIsInWord = &TformPrincipal::CharIsInWord;
    FCodeMemo->fn_CharStartsWord = &TformPrincipal::CharIsInWord;
    FCodeMemo->OnKeyPress = [this](TCustomCodeMemo*, char& key) { EditorKeyPress(key); };
    FCodeMemo->OnAutoReplace = [this](TCustomCodeMemo*, TEdStream& at, const std::string& item, std::string&,
                                      bool& canReplace) {
        EditorAutoReplace(static_cast<int>(at.GetPos()), item, canReplace);
    };
    FCodeMemo->OnFilesDropped = [this](TCustomCodeMemo*, TStringList& files, TPoint at) {
        EditorFilesDropped(files, at);
    };
    FCodeMemo->OnDataDrop = [this](TCustomCodeMemo*, TSourceTypes& types) { CodeMemoDataDrop(types); };
    FCodeMemo->OnSearchFail = [this](TCustomCodeMemo*, const std::string& text) { CodeMemoSearchFail(text); };
    new TToolPageKeys(FCodeMemo, FHerramientas->pcSuperior);
    // A search of the editor's own find or replace dialog is the user's last search.
    FCodeMemo->OnDialogSearch = [this](TCustomCodeMemo* memo) { rememberSearch(memo->SearchText, memo->SearchFlags); };
}

void TformPrincipal::buildEditorPopup()
{
    FpmEditor = new QMenu(this);
    FpmEditor->setObjectName("pmEditor");
    const std::pair<const char*, int> items[] = {{"Deshacer1", 1}, {"Cortar1", 3}, {"Copiar1", 4}, {"Pegar1", 5}};
    for (auto [name, tag] : items) {
        QAction* action = FCommands->Action(name);
        action->setData(tag);
        connect(action, &QAction::triggered, this, [this, tag] { CallHandler(this, [this, tag] { proOpcionesEdicion(tag); }); });
        FpmEditor->addAction(action);
        if (tag == 1)
            FpmEditor->addSeparator();
    }
    FpmEditor->addSeparator();
    // The items the editor carries (the tag item among them) follow the edit items.
    for (QAction* action : FCodeMemo->actions())
        FpmEditor->addAction(action);
    // The items are brought in line as the menu opens: the clipboard is asked only then. Items the
    // editor was given after this menu was made join it then too.
    connect(FpmEditor, &QMenu::aboutToShow, this, [this] {
        CallHandler(this, [this] {
            const QList<QAction*> shown = FpmEditor->actions();
            for (QAction* action : FCodeMemo->actions())
                if (!shown.contains(action))
                    FpmEditor->addAction(action);
            FCommands->ApplyMenu("pmEditor", EditorState(true));
        });
    });
    FCodeMemo->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FCodeMemo, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FpmEditor->popup(FCodeMemo->mapToGlobal(at)); });
}

// ---------------------------------------------------------------- the Edit menu

void TformPrincipal::proOpcionesEdicion(int Tag)
{
    if (!documentsShown())
        return;
    switch (Tag) {
    case 1: EditUndo(); break;
    case 2: FCodeMemo->Perform(SMM_REDO, 0, 0); break;
    case 3: EditCut(); break;
    case 4: EditCopy(); break;
    case 5: EditPaste(); break;
    case 6:
        // The editor takes a program's replacement even when the user may not change the text.
        if (!FCodeMemo->ReadOnly())
            FCodeMemo->SetSelText("");
        break;
    case 7: EditSelectAll(); break;
    default: break;
    }
}

void TformPrincipal::mEdicionClick()
{
    // Only with the editor active: the commands then act on it.
    FCommands->ApplyMenu("mEdicion", EditorState(true));
}

void TformPrincipal::mSeleccionClick()
{
    FCommands->ApplyMenu("mSeleccion", EditorState(false));
}

void TformPrincipal::mSoloLecturaClick()
{
    // The click has toggled the check mark; the editor follows it.
    FCodeMemo->SetReadOnly(FCommands->Action("mSoloLectura")->isChecked());
    EditorOnChange();
}

void TformPrincipal::mAjustaTextoClick()
{
    if (!documentsShown())
        return;
    FCodeMemo->SetWordWrap(!FCodeMemo->WordWrap());
    FCommands->Action("mAjustaTexto")->setChecked(FCodeMemo->WordWrap());
}

void TformPrincipal::BorrarAnteriorClick()
{
    if (FCodeMemo->hasFocus())
        FCodeMemo->ExecuteCommand(ecDeleteLastWord, 1, false);
}

// ---------------------------------------------------------------- the View menu

void TformPrincipal::mVerClick()
{
    TEditorState state = EditorState(false);
    const auto shown = [this](TViewPanel which) {
        QWidget* panel = FilledPanel(which);
        return panel && !panel->isHidden();
    };
    state.ToolBarShown = shown(TViewPanel::ToolPages);
    state.SidePanelShown = shown(TViewPanel::SidePanel);
    FCommands->ApplyMenu("mVer", state);
}

void TformPrincipal::mVerBarraClick()
{
    togglePanel(TViewPanel::ToolPages, "mVerBarra", "sbBarra", kShowToolBar, kHideToolBar);
}

void TformPrincipal::mVerLateralClick()
{
    togglePanel(TViewPanel::SidePanel, "mVerLateral", "sbLateral", kShowSidePanel, kHideSidePanel);
    // With no document shown the panel stays hidden; its item keeps the choice for the next one.
    EditorOnChange();
}

void TformPrincipal::togglePanel(TViewPanel which, const char* itemName, const char* buttonName, int showHint,
                                 int hideHint)
{
    QWidget* panel = FilledPanel(which);
    if (!panel)
        return;
    setPanelVisible(panel, panel->isHidden());
    FCommands->Action(itemName)->setChecked(!panel->isHidden());
    FCommands->Action(buttonName)->setStatusTip(LoadResQString(panel->isHidden() ? showHint : hideHint));
}

void TformPrincipal::FormStorageRestorePlacement()
{
    const std::tuple<TViewPanel, const char*, const char*, int, int> views[] = {
        {TViewPanel::ToolPages, "mVerBarra", "sbBarra", kShowToolBar, kHideToolBar},
        {TViewPanel::SidePanel, "mVerLateral", "sbLateral", kShowSidePanel, kHideSidePanel}};
    // A side panel built from here on selects the stored library as it is built.
    TSidePanel* builtBefore = FSidePanel;
    for (const auto& [which, itemName, buttonName, showHint, hideHint] : views)
        if (QWidget* panel = FilledPanel(which)) {
            const bool shown = FCommands->Action(itemName)->isChecked();
            setPanelVisible(panel, shown);
            FCommands->Action(buttonName)->setStatusTip(LoadResQString(shown ? hideHint : showHint));
        }
    // The pages not built yet are read when they are built.
    toolPagesAsBuilt().Link->FillBuiltValues(FToolPageValues);
    // The chosen code library is stored by its index.
    if (builtBefore)
        builtBefore->SelectStartLibrary();
    EditorOnChange();
}

// ---------------------------------------------------------------- find and replace

void TformPrincipal::mBuscarClick()
{
    if (!documentsShown())
        return;
    FCodeMemo->Perform(SMM_FIND, 0, 0);
    // The editor makes its find dialog on first use.
    for (TFindDialog* dialog : FCodeMemo->findChildren<TFindDialog*>())
        showSelectionWhileVisible(dialog, FCodeMemo);
}

void TformPrincipal::mBuscaOtroClick()
{
    if (!documentsShown())
        return;
    if (!takeLastSearch())
        return;
    // The editor repeats the last search with its options and selects its own match: a regular
    // expression's match is rarely as long as its pattern.
    int position = 0;
    FCodeMemo->FindNext(position);
}

bool TformPrincipal::takeLastSearch()
{
    // Without a search of the window's, the editor's own, with its options.
    if (TextoBuscado.empty()) {
        TextoBuscado = FCodeMemo->SearchText;
        OpcionesBusqueda = FCodeMemo->SearchFlags & ~smsDirect;
    }
    if (TextoBuscado.empty())
        return false;
    // The editor repeats what it holds: the text and the options together, so that neither goes with
    // the other search's.
    FCodeMemo->SearchText = TextoBuscado;
    FCodeMemo->SearchFlags = OpcionesBusqueda;
    return true;
}

void TformPrincipal::rememberSearch(const std::string& text, int32_t options)
{
    TextoBuscado = text;
    OpcionesBusqueda = options & ~smsDirect;
}

void TformPrincipal::CodeMemoSearchFail(const std::string& SearchString)
{
    // A search towards the start that ran out goes on from the end: from the start it would find
    // nothing again, and ask again.
    const bool backward = (FCodeMemo->SearchFlags & smsBackward) != 0;
    const std::string text = LoadResString(kCannotFind) + "\"" + SearchString + "\"." + "\r" +
                             LoadResString(backward ? kSearchAgainFromEnd : kSearchAgain);
    // The question belongs to the window that searched (the find dialog, or this one), and the keys
    // go back there once it is answered: else the editor takes the next letter the user meant for
    // the dialog.
    QPointer<QWidget> asking = QApplication::activeWindow() ? QApplication::activeWindow() : this;
    const int answer = MessageBox(asking, text, {}, MB_YESNO | MB_ICONQUESTION);
    if (asking && asking->isVisible()) {
        asking->raise();
        asking->activateWindow();
    }
    if (answer == IDYES) {
        const int from = backward ? FCodeMemo->TextLength() : 0;
        TSelectionRange start{from, from};
        FCodeMemo->PerformSelection(SMM_SET, start);
    }
}

// ---------------------------------------------------------------- the editor's events

bool TformPrincipal::CharIsInWord(char Ch)
{
    const auto code = static_cast<unsigned char>(Ch);
    switch (code) {
    case '#':
    case '_':
    case 0xC1: case 0xC9: case 0xCD: case 0xD1: case 0xD3: case 0xDA:
    case 0xE1: case 0xE9: case 0xED: case 0xF1: case 0xF3: case 0xFA:
        return true;
    default:
        return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
    }
}

void TformPrincipal::CodeMemoDataDrop(uint16_t& SourceTypes)
{
    if (SourceTypes & stHTML) {
        SourceTypes &= static_cast<TSourceTypes>(~stNoFilter);
        // Text comes first when a paste offers both, HTML first in a drop: the one not wanted goes.
        if (FConfig->InsHtmlData)
            SourceTypes = static_cast<TSourceTypes>((SourceTypes & ~(stCFText | stUnicodeText)) | stFragment);
        else
            SourceTypes = static_cast<TSourceTypes>((SourceTypes & ~stHTML) | stCFText);
    } else if (SourceTypes & stFiles) {
        SourceTypes = static_cast<TSourceTypes>((SourceTypes & ~stNoFilter) | stProcessFiles);
    }
}

// ---------------------------------------------------------------- the undo and redo history menus

void TformPrincipal::fillHistoryMenu(QMenu* menu, bool redo)
{
    menu->clear();
    TUndoStack* stack = FCodeMemo->UndoStack();
    if (stack) {
        intptr_t value = 0;
        stack->Query(uqStartWalk, value);
        intptr_t kind = 0;
        while (stack->Query(redo ? uqCanRedo : uqCanUndo, kind) == 1) {
            // Keystrokes and deletions come one group each: their runs read as one step.
            const bool merge = kind == ugTyping || kind == ugDelete;
            const int request = (redo ? uqNextGroup : uqPreviousGroup) | (merge ? uqMerge : 0);
            intptr_t entry = 0;
            if (stack->Query(request, entry) == uqNothing)
                break;
            auto* action = menu->addAction(LoadResQString(groupCaption(static_cast<int>(kind))));
            action->setData(QVariant::fromValue<qlonglong>(entry));
            connect(action, &QAction::triggered, this,
                    [this, action] { CallHandler(this, [this, action] { DoUndoExecute(action); }); });
        }
    }
    if (menu->isEmpty())
        menu->addAction(LoadResQString(redo ? kNothingToRedo : kNothingToUndo));
}

QMenu* TformPrincipal::UndoPopup() const
{
    return FUndoPopup;
}

QMenu* TformPrincipal::RedoPopup() const
{
    return FRedoPopup;
}

void TformPrincipal::UndoPopupPopup()
{
    fillHistoryMenu(FUndoPopup, false);
}

void TformPrincipal::RedoPopupPopup()
{
    fillHistoryMenu(FRedoPopup, true);
}

void TformPrincipal::DoUndoExecute(QAction* Sender)
{
    TUndoStack* stack = FCodeMemo->UndoStack();
    if (!stack || !Sender || !Sender->data().isValid())
        return;
    stack->UndoRedoTo(static_cast<intptr_t>(Sender->data().toLongLong()), FCodeMemo->UndoRecorder());
}

// ---------------------------------------------------------------- printing and leaving

void TformPrincipal::mPrepararPaginaClick()
{
    QPrinter& printer = Printer();
    // The dialog shows the record that printing and the preview follow, the start record included.
    ApplyPageSetup(printer, FCodeMemo->PageSetup());
    // The margins are edited against the printer's own limits.
    printer.setFullPage(false);
    QPageSetupDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QPageLayout layout = printer.pageLayout();
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    TPageSetup chosen;
    chosen.Paper = layout.pageSize();
    chosen.Landscape = layout.orientation() == QPageLayout::Landscape;
    chosen.Margins = {qRound(margins.left() * 100), qRound(margins.top() * 100), qRound(margins.right() * 100),
                      qRound(margins.bottom() * 100)};
    // One record for the editor's printing, the preview's pages and printing from the preview, and
    // for the auxiliary editor's printing.
    FCodeMemo->SetPageSetup(chosen);
    if (FAuxiliar && FAuxiliar->Editor())
        FAuxiliar->Editor()->SetPageSetup(chosen);
}

TPageSetup TformPrincipal::StartPageSetup()
{
    TPageSetup setup;
    setup.Paper = QPageSize(QPageSize::A4);
    setup.Landscape = false;
    setup.Margins = {kDefaultMargin, kDefaultMargin, kDefaultMargin, kDefaultMargin};
    return setup;
}

const TformPrincipal::TPageMargins& TformPrincipal::PageSetupMargins() const
{
    return FCodeMemo->PageSetup().Margins;
}

void TformPrincipal::mConfImpresionClick()
{
    QPrinter& printer = Printer();
    // A printer writing PDF offers the document's own file, not the library's "print.pdf" in the home folder.
    if (printer.outputFormat() == QPrinter::PdfFormat)
        printer.setOutputFileName(FromFilePath(pdfFileFor()));
    QPrintDialog dialog(&Printer(), this);
    // Only the printer is chosen here, or a PDF file; what to print is the Print items' business.
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintToFile);
    // The dialog keeps the settings and prints nothing: its button says so.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* accept = buttons->button(QDialogButtonBox::Ok))
            accept->setText(LoadResQString(kAceptar));
    if (dialog.exec() != QDialog::Accepted)
        return;
    // A PDF file chosen here is the one printing the document offers.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        FPdfFiles[pdfFileKey()] = KeptFilePath(printer.outputFileName(), pdfFileFor());
}

std::string TformPrincipal::pdfFileKey() const
{
    const std::string file = ArchivoActual();
    return file.empty() ? FDocuments.Caption(FDocuments.Current()) : file;
}

std::string TformPrincipal::pdfFileFor() const
{
    if (auto chosen = FPdfFiles.find(pdfFileKey()); chosen != FPdfFiles.end())
        return chosen->second;
    // The document's own name, in its folder, with the extension of the file it becomes.
    std::string name = ArchivoActual();
    if (name.empty())
        name = FDocuments.Caption(FDocuments.Current());
    const std::string extension = ExtractFileExt(name);
    return name.substr(0, name.size() - extension.size()) + ".pdf";
}

bool TformPrincipal::choosePdfFile()
{
    QPrinter& printer = Printer();
    if (printer.outputFormat() != QPrinter::PdfFormat)
        return true;
    TFileDialogRequest request = SaveDialogRequest(LoadResString(kPdfFilter), "pdf");
    const std::string name = pdfFileFor();
    request.InitialDir = ExtractFilePath(name);
    request.FileName = ExtractFileName(name);
    if (!ExecuteFileDialog(this, request))
        return false;
    printer.setOutputFileName(FromFilePath(request.FileName));
    FPdfFiles[pdfFileKey()] = request.FileName;
    return true;
}

void TformPrincipal::mImprimirClick(int Tag)
{
    if (!documentsShown())
        return;
    // Without a printer the pages go to a PDF file the user names.
    if (!choosePdfFile())
        return;
    if (Tag == 1)
        FCodeMemo->PrintSelection();
    else
        FCodeMemo->Print();
}

void TformPrincipal::mVistaPreliminarClick()
{
    if (!documentsShown())
        return;
    // Printed from the preview, a printer writing PDF offers the document's own file.
    QPrinter& printer = Printer();
    if (printer.outputFormat() == QPrinter::PdfFormat)
        printer.setOutputFileName(FromFilePath(pdfFileFor()));
    PreviewEditor(*FCodeMemo, this);
}

void TformPrincipal::mSalirClick()
{
    close();
}

// ---------------------------------------------------------------- the replace dialog

void TformPrincipal::mReemplazarClick()
{
    if (!documentsShown())
        return;
    if (!FReplaceDialog) {
        FReplaceDialog = new TReplaceDialog(this);
        FReplaceDialog->setObjectName("ReplaceDialog");
        FReplaceDialog->OnFind = [this](TFindDialog*) { CallHandler(this, [this] { ReplaceDialogFind(); }); };
        FReplaceDialog->OnReplace = [this](TReplaceDialog*) { CallHandler(this, [this] { ReplaceDialogReplace(); }); };
    }
    showSelectionWhileVisible(FReplaceDialog, FCodeMemo);
    FReplaceDialog->Execute();
}

void TformPrincipal::ReplaceDialogFind()
{
    const std::string findText = FReplaceDialog->FindText();
    // Only a search: a selected match stays as it is.
    if (!findText.empty()) {
        rememberSearch(findText, SearchFlagsOf(FReplaceDialog->Options(), false));
        FindReplaceText(*FCodeMemo, FReplaceDialog->Options() | frFindNext, findText, {});
    }
    keepDialogActive();
}

void TformPrincipal::ReplaceDialogReplace()
{
    const std::string findText = FReplaceDialog->FindText();
    if (!findText.empty()) {
        const TFindOptions options = FReplaceDialog->Options();
        rememberSearch(findText, SearchFlagsOf(options, false));
        const std::string replacement = FReplaceDialog->ReplaceText();
        if (options & frReplaceAll) {
            TBusyCursor busy;
            FCodeMemo->Lines().BeginUpdate();
            TScopeGuard update([this] { FCodeMemo->Lines().EndUpdate(); });
            ReplaceAllText(*FCodeMemo, options, findText, replacement);
        } else {
            FindReplaceText(*FCodeMemo, options, findText, replacement);
        }
    }
    keepDialogActive();
}

void TformPrincipal::keepDialogActive()
{
    // The program comes to the front with the dialog still the window the keys go to, so that the
    // next command, or Escape, reaches it.
    raise();
    FReplaceDialog->raise();
    FReplaceDialog->activateWindow();
}

void TformPrincipal::EditorKeyPress(char& Key)
{
    if (!FConfig->QuickTag || FCodeMemo->ReadOnly())
        return;
    const auto charAt = [this](int offset) {
        const std::string at = FCodeMemo->StoredText(offset, offset + 1);
        return at.empty() ? '\0' : at[0];
    };
    const TTextRange selection = FCodeMemo->OrderedSelection();
    // The closer a pair put after the caret is typed over, not typed a second time.
    if (selection.Start == selection.End &&
        FQuickPairs.TypesOver(Key, selection.Start, FCodeMemo->TextLength(), charAt)) {
        Key = 0;
        TSelectionRange past{selection.Start + 1, selection.Start + 1};
        FCodeMemo->PerformSelection(SMM_SET, past);
        return;
    }
    const char partner = QuickPartner(Key);
    if (!partner)
        return;
    const char opening = Key;
    Key = 0;
    InsertaCodigo(0, 0, std::string(1, opening), std::string(1, partner));
    // The inserted codes leave what lies between them selected.
    const TTextRange inner = FCodeMemo->OrderedSelection();
    FQuickPairs.Added(inner.Start - 1, inner.End, FCodeMemo->TextLength(), charAt);
}

void TformPrincipal::EditorAutoReplace(int Start, const std::string& Item, bool& CanReplace)
{
    const TEditingFile* file = CurrentFile();
    std::string tokens;
    if (!CanReplace || !file || !FCodeMemo->CurrentTokenValues(Start, Start + static_cast<int>(Item.size()), tokens))
        CanReplace = false;
    else
        CanReplace = AutoCorrectsWord(file->Tipo, file->FileName, tokens);
}

void TformPrincipal::EditorFilesDropped(TStringList& Files, TPoint AtPoint)
{
    // The codes go where the files were dropped, as one insertion; the editor inserts nothing more.
    std::string codes;
    for (int i = 0; i < Files.Count(); ++i)
        codes.append("\r").append(CodigoDeArchivo(Files[i]));
    Files.Clear();
    FCodeMemo->setFocus();
    if (codes.empty() || FCodeMemo->ReadOnly())
        return;
    const int at = FCodeMemo->OffsetFromPoint(AtPoint);
    if (at < 0)
        return;
    TSelectionRange dropPoint{at, at};
    FCodeMemo->PerformSelection(SMM_SET, dropPoint);
    FCodeMemo->PerformText(SMM_INSERTTEXT, 0, codes.c_str());
}

void TformPrincipal::mActualizaRecursosClick()
{
    // The caption stays the document's: the report is a page of the browser's, not of this window.
    OpenResourceReport(this, ArchivoActual(), FCodeMemo->StoredText(), *FConfig, FCodigosISO.get());
}

void TformPrincipal::Tiemposdedescarga1Click()
{
    ShowDownloadTimes(this, ArchivoActual(), FCodeMemo->StoredText(), *FConfig, FCodigosISO.get());
}

void TformPrincipal::sbMapasClick()
{
    std::string map;
    {
        TformMapas dialog(*this);
        map = dialog.Execute("");
    }
    // One undoable replacement of the selection.
    if (!map.empty())
        FCodeMemo->PerformText(EM_REPLACESEL, 1, map.c_str());
    if (FCodeMemo->isVisible())
        FCodeMemo->setFocus();
}
