// The main window's auxiliary editor and its editor commands: marking every match, indenting, help on the word at the caret and following hyperlinks.
#include "app/window/AuxiliaryEditor.h"
#include "app/window/EditorCommands.h"
#include "app/panels/SidePanel.h"
#include "app/model/KestrimaConfig.h"
#include "app/window/uFormPrincipal.h"

#include "app/model/ResourceReport.h"
#include "app/window/uFormPrincipalTools.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>

#include "highlight/CodeMemoParser.h"
#include "platform/HandlerCall.h"
#include "platform/Help.h"
#include "platform/Shell.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TabCtrls.h"

namespace {

constexpr int kReadOnly = 4509;
constexpr int kAuxiliaryPanel = 6155;

// Puts `action` into `menu` just after `anchor` (at the end when the menu does not hold it).
void insertAfter(QMenu* menu, QAction* anchor, QAction* action)
{
    const QList<QAction*> items = menu->actions();
    const qsizetype i = items.indexOf(anchor);
    menu->insertAction(i >= 0 && i + 1 < items.size() ? items[i + 1] : nullptr, action);
}

} // namespace

void TformPrincipal::buildEditorCommands()
{
    TAuxiliaryEditorLinks links;
    links.Place = FPlaces.spAuxiliar;
    links.Parsers = {FHTMLParser.get(), FTextParser.get(), FJavaParser.get()};
    links.WordTest = &TformPrincipal::CharIsInWord;
    links.OnEnter = [this](TCustomCodeMemo*) { smAuxTempEnter(); };
    links.OnExit = [this](TCustomCodeMemo*) { smAuxTempExit(); };
    links.OnHyperlinkClick = [this](TCustomCodeMemo*, const std::string& link, int) { CodeMemoHyperlinkClick(link); };
    links.OnKey = [this](TCustomCodeMemo*, uint16_t&, TShiftState) { CodeMemoKey(); };
    FAuxiliar = std::make_unique<TAuxiliaryEditor>(*this, std::move(links));

    const auto command = [this](const char* name, std::function<void()> handler) {
        QAction* action = FCommands->Action(name);
        connect(action, &QAction::triggered, this, [this, handler = std::move(handler)] { CallHandler(this, handler); });
        return action;
    };
    QMenu* mVer = FMenus.mVer;
    QMenu* mEdicion = FMenus.mEdicion;
    insertAfter(mVer, FCommands->Action("mVerLateral"), command("mAbrirEnAuxiliar", [this] { mAbrirEnAuxiliarClick(); }));
    command("sbAuxiliar", [this] { mAbrirEnAuxiliarClick(); });
    insertAfter(mEdicion, FCommands->Action("mReemplazar"), command("mMuestraTodas", [this] { mMuestraTodasClick(); }));
    insertAfter(mEdicion, FCommands->Action("mSoloLectura"), command("mSangrar", [this] { mSangrarClick(); }));
    insertAfter(mEdicion, FCommands->Action("mSangrar"), command("mNoSangrar", [this] { mNoSangrarClick(); }));
    command("sbSangrar", [this] { mSangrarClick(); });
    command("sbNoSangrar", [this] { mNoSangrarClick(); });
    // F2 works wherever the keyboard is in the window; the item shows in the editor's pop-up.
    QAction* informa = command("mInforma", [this] { mInformaClick(); });
    addAction(informa);
    FpmEditor->addAction(informa);
    command("sbAyudaAuxiliar", [this] { mInformaClick(); });

    FCodeMemo->OnHyperlinkClick = [this](TCustomCodeMemo*, const std::string& link, int) {
        CodeMemoHyperlinkClick(link);
    };
    FCodeMemo->OnKeyDown = [this](TCustomCodeMemo*, uint16_t&, TShiftState) { CodeMemoKey(); };
    FCodeMemo->OnKeyUp = [this](TCustomCodeMemo*, uint16_t&, TShiftState) { CodeMemoKey(); };
}

// ---------------------------------------------------------------- the auxiliary editor

void TformPrincipal::mAbrirEnAuxiliarClick()
{
    if (FAuxiliar->IsOpen()) {
        closeAuxiliaryEditor();
        return;
    }
    if (!documentsShown())
        return;
    {
        TScopeGuard painting = lockPainting();
        FAuxiliar->Open();
        smAuxTempExit();
        FCodeMemo->setFocus();
    }
}

void TformPrincipal::closeAuxiliaryEditor()
{
    if (!FAuxiliar || !FAuxiliar->IsOpen())
        return;
    smAuxTempExit();
    FAuxiliar->Close();
    if (FCodeMemo->isVisible())
        FCodeMemo->setFocus();
}

void TformPrincipal::smAuxTempEnter()
{
    if (TCodeMemo* editor = FAuxiliar->Editor())
        editor->OnChange = [this](TCustomCodeMemo*) { smAuxTempChange(); };
}

void TformPrincipal::smAuxTempChange()
{
    TCodeMemo* editor = FAuxiliar->Editor();
    if (!editor)
        return;
    FAuxiliar->ApplyCommandState();
    // A side panel built later takes the lock from the tool pages.
    if (FSidePanel)
        FSidePanel->pcLateral->setEnabled(false);
    Herramientas().pcSuperior->setEnabled(false);
    Panel(3)->setText(LoadResQString(kReadOnly));
    // The main editor writes its mode again when it changes next.
    FStatusMode.clear();
    Panel(2)->setText(LoadResQString(kAuxiliaryPanel));
    showCaretOf(*editor);
}

void TformPrincipal::smAuxTempExit()
{
    if (FSidePanel)
        FSidePanel->pcLateral->setEnabled(true);
    Herramientas().pcSuperior->setEnabled(true);
}

// ---------------------------------------------------------------- editor commands

void TformPrincipal::mMuestraTodasClick()
{
    if (documentsShown())
        MarkAllMatches(*FCodeMemo, TextoBuscado, OpcionesBusqueda);
}

void TformPrincipal::mSangrarClick()
{
    // The editor takes a program's indenting even when the user may not change the text.
    if (documentsShown() && !FCodeMemo->ReadOnly())
        FCodeMemo->Perform(SMM_INDENT, 0, 0);
}

void TformPrincipal::mNoSangrarClick()
{
    if (documentsShown() && !FCodeMemo->ReadOnly())
        FCodeMemo->Perform(SMM_UNINDENT, 0, 0);
}

void TformPrincipal::mInformaClick()
{
    const TScopeGuard topic = useWordHelp();
    const std::string word = HelpWord(*FCodeMemo);
    UltimaApertura = word;
    HelpCommand(this, HELP_KEY, word);
}

void TformPrincipal::CodeMemoHyperlinkClick(const std::string& HyperData)
{
    // The editor's text is Windows-1252, the desktop's names are the file system's; a link to a file
    // is taken from the document's folder; one with escapes or references is read as a browser reads
    // it ("%20" a blank, "&ntilde;" by the entity table) when that names a file there. Anything else goes to the desktop as written,
    // which tells a mail address or a web site from a file.
    const std::string folder = ExtractFilePath(ArchivoActual());
    const std::string written = ToFilePath(FromEditorText(HyperData));
    const TCodigosISO* entities = FCodigosISO.get();
    const bool escaped = PageReferenceName(HyperData, entities) != written;
    const std::string file = escaped ? ReferencedFile(folder, HyperData, entities) : std::string();
    ShellOpenReported(this, !file.empty() && FileExists(file) ? file : written, folder);
}
