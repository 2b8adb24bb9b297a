// The main window's documents: the tab strip, opening, saving, reloading and closing, the recent files and the caption and status bar that follow the editor.
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <filesystem>
#include <system_error>

#include "app/model/CodigosISO.h"
#include "app/host/EditingFile.h"
#include "app/panels/SidePanel.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/libKestrima.h"
#include "app/model/PanelItems.h"
#include "app/model/ProjectFile.h"
#include "app/model/TemplateMerge.h"
#include "app/dialogs/uFormFusion.h"
#include "app/window/uFormPrincipalTools.h"
#include "components/KrCtrls.h"
#include "components/core/xProcs.h"
#include "editor/CodeMemo.h"
#include "editor/model/EditorMessages.h"
#include "editor/model/Undo.h"
#include "platform/Cursors.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/IniFile.h"
#include "platform/core/Messages.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TabCtrls.h"

namespace {

constexpr int kNewCaption = 4500;
constexpr int kSaveQuestion = 4501;
constexpr int kReloadQuestion = 4502;
constexpr int kOpenFilter = 4503;
constexpr int kSaveFilter = 4504;
constexpr int kProductName = 4505;
constexpr int kCaption = 4506;
constexpr int kProjectCaption = 4507;
constexpr int kModified = 4508;
constexpr int kReadOnly = 4509;
constexpr int kInsert = 4510;
constexpr int kOverwrite = 4511;
constexpr int kCaretPosition = 4512;
constexpr int kControlCharacters = 4515;
constexpr int kCharacterReferences = 5000;
constexpr int kCharacterReference = 5001;
constexpr int kOpenInAnotherTab = 4540;
constexpr int kChangedOnDisk = 4541;
constexpr int kLeadsElsewhere = 4544;
constexpr int kDiskStateUnknown = 4545;
constexpr int kLinkLeadsElsewhere = 7338;

// Yes, No and Cancel with the exclamation icon.
constexpr unsigned kSaveQuestionFlags = MB_YESNOCANCEL | MB_ICONWARNING;
// Yes overwrites, No reads the file again, Cancel (the default) writes nothing.
constexpr unsigned kChangedOnDiskFlags = MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON3;
// Yes writes the file the name leads to now, No (the default) writes nothing.
constexpr unsigned kLeadsElsewhereFlags = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2;
// Yes and No with the question icon, No the default.
constexpr unsigned kReloadQuestionFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

std::string folderOf(const std::string& fileName)
{
    return std::filesystem::path(fileName).parent_path().string();
}

std::string nameOf(const std::string& fileName)
{
    return std::filesystem::path(fileName).filename().string();
}

// A document's tab caption: its name as the desktop gives it, in the window's text.
std::string documentCaption(const std::string& fileName)
{
    return FilePathText(ShellDisplayName(fileName));
}

// What the save dialog of a document starts on: the entry of `filter` ("Name|*.a;*.b|...", 1-based)
// for the document's extension, else for its kind's, and the extension a name typed without one
// takes, the document's own. An extension the filter lists first in an entry picks that entry, so
// that ".html" opens on "Internet HTML" although "Internet HTM" lists it too.
struct TSaveFilterChoice {
    int Index = 1;
    std::string Extension;
};

TSaveFilterChoice saveFilterFor(const std::string& filter, const std::string& fileName, int kind)
{
    std::string extension = std::filesystem::path(fileName).extension().string();
    if (extension.size() > 1)
        extension.erase(0, 1);
    else
        extension = kind == ekText ? "txt" : kind == ekJavaScript ? "js" : "htm";
    const std::string mask = "*." + AsciiLowerCase(extension);
    TSaveFilterChoice choice{0, extension};
    int listing = 0, every = 0, entry = 0;
    for (const auto& [caption, entryMasks] : FilterEntries(filter)) {
        ++entry;
        const std::string masks = AsciiLowerCase(entryMasks);
        size_t from = 0;
        for (bool first = true; from <= masks.size(); first = false) {
            const size_t stop = std::min(masks.find(';', from), masks.size());
            const std::string_view one = std::string_view(masks).substr(from, stop - from);
            from = stop + 1;
            if (one == mask && first && !choice.Index)
                choice.Index = entry;
            else if (one == mask && !listing)
                listing = entry;
            else if (one == "*.*" && !every)
                every = entry;
        }
    }
    if (!choice.Index)
        choice.Index = listing ? listing : every ? every : 1;
    return choice;
}

} // namespace

// ---------------------------------------------------------------- building

void TformPrincipal::buildFileTabs()
{
    FFileTabs = new TTabSetControl(FPlaces.pEditor);
    FFileTabs->setObjectName("FileTabs");
    FFileTabs->setFixedHeight(24);
    // A click on a tab leaves the keyboard with the editor, so that typing goes on in the document
    // just chosen, and the edit commands, which act on the focused control, reach it.
    FFileTabs->SetTabStop(false);
    static_cast<QVBoxLayout*>(FPlaces.pEditor->layout())->insertWidget(0, FFileTabs);
    FFileTabs->Loaded();
    FFileTabs->OnChanging = [this](QWidget*, bool& allow) { FileTabsChanging(allow); };
    FFileTabs->OnChange = [this](QWidget*) { FileTabsChange(); };
    FCodeMemo->OnTextChange = [this](TCodeMemoCore*, int, int) { CodeMemoTextChange(); };
    FCodeMemo->OnChange = [this](TCustomCodeMemo*) { EditorOnChange(); };
    showDocuments(false);
}

void TformPrincipal::buildFileCommands()
{
    QMenu* archivo = FMenus.mArchivo;
    struct {
        QAction*& action;
        const char* name;
        void (TformPrincipal::*handler)();
    } items[] = {
        {FFileCommands.mNuevo, "mNuevo", &TformPrincipal::mNuevoClick},
        {FFileCommands.mAbrir, "mAbrir", &TformPrincipal::mAbrirClick},
        {FFileCommands.mUsarPlantilla, "mUsarPlantilla", &TformPrincipal::mUsarPlantillaClick},
        {FFileCommands.mGuardar, "mGuardar", &TformPrincipal::mGuardarClick},
        {FFileCommands.mGuardarComo, "mGuardarComo", nullptr},
        {FFileCommands.mGuardarTodo, "mGuardarTodo", &TformPrincipal::mGuardarTodoClick},
        {FFileCommands.mActualizar, "mActualizar", &TformPrincipal::mActualizarClick},
        {FFileCommands.mCerrar, "mCerrar", &TformPrincipal::mCerrarClick},
        {FFileCommands.mCerrarTodo, "mCerrarTodo", &TformPrincipal::mCerrarTodoClick},
    };
    for (auto& item : items) {
        item.action = FCommands->Action(item.name);
        const auto handler = item.handler;
        if (handler)
            connect(item.action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
        else
            connect(item.action, &QAction::triggered, this, [this] { mGuardarComoClick(); });
        if (archivo)
            archivo->addAction(item.action);
        else
            addAction(item.action);
    }
}

void TformPrincipal::freeDocuments()
{
    // The editor outlives this part of the window while the parsers go; it must not call back.
    FCodeMemo->OnChange = nullptr;
    FCodeMemo->OnTextChange = nullptr;
    TEditingFile::Detach(*FCodeMemo);
    while (FDocuments.Count() > 0)
        FDocuments.Remove(FDocuments.Count() - 1);
}

// ---------------------------------------------------------------- the documents

int TformPrincipal::DocumentCount() const
{
    return FDocuments.Count();
}

TEditingFile* TformPrincipal::EditingFile(int index) const
{
    return FDocuments.At(index);
}

TEditingFile* TformPrincipal::CurrentFile() const
{
    return FDocuments.CurrentDocument();
}

void TformPrincipal::selectTab(int index)
{
    FDocuments.SetCurrent(index);
    FFileTabs->SetTabIndex(FDocuments.Current());
}

int TformPrincipal::addDocument(const std::string& caption, std::unique_ptr<TEditingFile> file)
{
    FFileTabs->Tabs().Add(MenuCaptionOf(caption));
    return FDocuments.Add(caption, std::move(file));
}

void TformPrincipal::deleteDocument(int index)
{
    // The editor may hold the document's undo log and characters.
    TEditingFile::Detach(*FCodeMemo);
    FDocuments.Remove(index);
    FFileTabs->Tabs().Delete(index);
}

std::string TformPrincipal::ArchivoActual() const
{
    const TEditingFile* file = CurrentFile();
    return file ? file->FileName : std::string();
}

bool TformPrincipal::documentsShown() const
{
    return !FCodeMemo->isHidden();
}

void TformPrincipal::showDocuments(bool visible)
{
    FFileTabs->setVisible(visible);
    FCodeMemo->setVisible(visible);
}

void TformPrincipal::showDocumentAt(int index)
{
    if (TEditingFile* file = EditingFile(index)) {
        selectTab(index);
        file->RestauraEstado(*FCodeMemo);
    } else {
        documentsClosed();
    }
    showReferenceNote(EditingFile(index));
    EditorOnChange();
}

void TformPrincipal::documentsClosed()
{
    showDocuments(false);
    // Its copy belongs to a page no longer shown, and its command goes with the documents.
    closeAuxiliaryEditor();
    // The editor would otherwise keep the last document's text, and the window its name and state.
    FCodeMemo->Clear();
    FCodeMemo->SetDocumentName({});
    setWindowTitle(LoadResQString(kProductName));
    for (int i = 1; i <= 3; ++i)
        Panel(i)->clear();
    FStatusMode.clear();
}

TScopeGuard TformPrincipal::lockPainting()
{
    const bool enabled = updatesEnabled();
    setUpdatesEnabled(false);
    return TScopeGuard([this, enabled] { setUpdatesEnabled(enabled); });
}

std::string TformPrincipal::newDocumentCaption() const
{
    for (int i = 1;; ++i) {
        const std::string caption = FmtLoadStr(kNewCaption, i);
        if (FDocuments.IndexOfCaption(caption) < 0)
            return caption;
    }
}

const TCodigosISO* TformPrincipal::FileEntities() const
{
    return FConfig->InsSpecChar ? FCodigosISO.get() : nullptr;
}

std::string TformPrincipal::LeeDatoProyecto(const std::string& Key) const
{
    if (FConfig->LastProyect.empty() || !FileExists(FConfig->LastProyect))
        return {};
    return TIniFile(FConfig->LastProyect).ReadString(kProjectDataSection, Key, "");
}

bool TformPrincipal::loadDocumentText(TEditingFile& file, const std::string& fileName)
{
    const TCodigosISO* entities = FileEntities();
    std::string text;
    try {
        // A model's text becomes a new document, which has no file yet.
        file.ReadFile(fileName, entities, text, fileName != file.FileName);
    } catch (const Exception& e) {
        MessageBox(this, e.Message(), {}, MB_OK | MB_ICONSTOP);
        return false;
    }
    {
        const bool wasBusy = std::exchange(Ocupado, true);
        TScopeGuard busy([this, wasBusy] { Ocupado = wasBusy; });
        TCustomMemoryStream stream(text.data(), static_cast<int64_t>(text.size()));
        FCodeMemo->LoadFromStream(stream);
    }
    // A read-only state the user chose stays; text that only read-only display keeps intact forces it.
    if (file.Bytes.ControlCharacters) {
        file.SoloLectura = true;
        FCodeMemo->SetReadOnly(true);
        MessageBox(this, FmtLoadStr(kControlCharacters, FilePathText(fileName).c_str()), {}, MB_OK | MB_ICONWARNING);
    }
    showReferenceNote(&file);
    return true;
}

void TformPrincipal::showReferenceNote(const TEditingFile* file)
{
    const size_t count = file ? file->Bytes.ReferenceCount : 0;
    const std::string note =
        count ? FmtLoadStr(CountedResString(static_cast<long long>(count), kCharacterReference, kCharacterReferences),
                           static_cast<int>(count))
              : std::string();
    // Another hint shown since stays; only the note of another document goes.
    if (!note.empty())
        MuestraHint(note);
    else if (!FReferenceNote.empty() && FPanels[4]->text() == FromEditorText(FReferenceNote))
        MuestraHint({});
    FReferenceNote = note;
}

void TformPrincipal::AbreArchivo(const std::string& FileName_, bool ComoPlantilla, int Tipo)
{
    // A name as typed on the command line would stop working from any other folder.
    std::string FileName = ExpandFileName(FileName_);
    // A second tab on one file would let each save throw away the other's edits: the open one is shown.
    if (!ComoPlantilla && !FileName.empty())
        if (const int open = FDocuments.IndexOfFile(FileName); open >= 0) {
            // The recent files never list an open one, by whatever name it came.
            MRUUpdate(false, FileName);
            showOpenDocument(open);
            return;
        }
    std::string Modelo;
    TScopeGuard painting = lockPainting();
    TBusyCursor busyCursor;
    const bool wasBusy = std::exchange(Ocupado, true);
    TScopeGuard busy([this, wasBusy] { Ocupado = wasBusy; });
    if (ComoPlantilla) {
        Modelo = FileName;
        FileName.clear();
    }
    const int previous = FDocuments.Current();
    if (documentsShown())
        if (TEditingFile* current = CurrentFile()) {
            current->GuardaEstado(*FCodeMemo);
            TextoBuscado = current->SearchText;
            OpcionesBusqueda = current->SearchOptions;
        }
    if (!documentsShown())
        showDocuments(true);
    const std::string caption = FileName.empty() ? newDocumentCaption() : documentCaption(FileName);
    auto owned = std::make_unique<TEditingFile>(Tipo, this);
    TEditingFile* file = owned.get();
    const int index = addDocument(caption, std::move(owned));
    selectTab(index);
    file->SearchText = TextoBuscado;
    file->SearchOptions = OpcionesBusqueda;
    file->FileName = FileName;
    file->RestauraEstado(*FCodeMemo);

    bool loaded = true;
    if (!FileName.empty()) {
        loaded = loadDocumentText(*file, FileName);
        if (loaded)
            MRUUpdate(false, FileName);
    } else {
        if (!ComoPlantilla) {
            const std::string projectModel = LeeDatoProyecto("Archivo modelo");
            Modelo = !projectModel.empty() && FileExists(projectModel) ? projectModel : FConfig->NewFileModel;
        }
        if ((ComoPlantilla || FConfig->NewFile == 1) && !Modelo.empty() && FileExists(Modelo)) {
            loaded = loadDocumentText(*file, Modelo);
        }
    }
    if (!loaded) {
        // The half-made tab goes, and the document that was shown comes back.
        deleteDocument(index);
        showDocumentAt(previous);
        return;
    }
    acceptDroppedFiles();
    FCodeMemo->SetModified(false);
    file->Guardado = true;
    EditorOnChange();
}

void TformPrincipal::showOpenDocument(int index)
{
    if (index == FDocuments.Current() && documentsShown())
        return;
    bool allow = true;
    FileTabsChanging(allow);
    selectTab(index);
    FileTabsChange();
}

// ---------------------------------------------------------------- recent files

void TformPrincipal::MRUUpdate(bool AlPrincipio, const std::string& FileName_)
{
    TStringList& mru = FConfig->MRU;
    const std::string FileName = ExpandFileName(FileName_);
    for (int i = mru.Count() - 1; i >= 0; --i)
        if (mru[i] == FileName)
            mru.Delete(i);
    while (mru.Count() >= TKestrimaConfig::kMRUCount)
        mru.Delete(mru.Count() - 1);
    while (mru.Count() < TKestrimaConfig::kMRUCount - 1)
        mru.Add("");
    if (AlPrincipio)
        mru.Insert(0, FileName);
    else
        mru.Add("");
    // The menu lists the file at once, not only from the next time the File menu opens.
    MRUDisplay();
}

// ---------------------------------------------------------------- switching and changes

void TformPrincipal::FileTabsChanging(bool& AllowChange)
{
    AllowChange = true;
    if (documentsShown())
        if (TEditingFile* current = CurrentFile())
            current->GuardaEstado(*FCodeMemo);
}

void TformPrincipal::FileTabsChange()
{
    // The strip has selected a tab: its document becomes the current one.
    FDocuments.SetCurrent(FFileTabs->TabIndex());
    TEditingFile* file = CurrentFile();
    if (!file)
        return;
    {
        TScopeGuard painting = lockPainting();
        // Before the document comes in: applying options scrolls the view to the caret.
        acceptDroppedFiles();
        file->RestauraEstado(*FCodeMemo);
        TextoBuscado = FCodeMemo->SearchText;
        OpcionesBusqueda = FCodeMemo->SearchFlags;
    }
    showReferenceNote(file);
    EditorOnChange();
}

void TformPrincipal::acceptDroppedFiles()
{
    TCodeMemoOptions options = FCodeMemo->Options();
    if (options.Contains(smoProcessDroppedFiles))
        return;
    options.Include(smoProcessDroppedFiles);
    FCodeMemo->SetOptions(options);
}

void TformPrincipal::CodeMemoTextChange()
{
    if (Ocupado)
        return;
    if (TEditingFile* file = CurrentFile())
        file->Guardado = false;
}

TEditorState TformPrincipal::EditorState(bool withPaste) const
{
    TEditorState state;
    state.DocumentOpen = DocumentCount() > 0;
    state.DocumentShown = documentsShown();
    state.Selection = FCodeMemo->GetSelLength() > 0;
    state.ReadOnly = FCodeMemo->ReadOnly();
    state.CanUndo = FCodeMemo->Perform(EM_CANUNDO, 0, 0) != 0;
    state.CanRedo = FCodeMemo->Perform(SMM_CANREDO, 0, 0) != 0;
    state.CanPaste = withPaste && FCodeMemo->Perform(SMM_CANPASTE, 0, 0) != 0;
    state.SearchText = !FCodeMemo->SearchText.empty();
    const TEditingFile* file = CurrentFile();
    state.NamedDocument = file && !file->FileName.empty();
    state.ProjectOpen = !FConfig->LastProyect.empty();
    state.WordWrap = FCodeMemo->WordWrap();
    state.EditorFocused = focusWidget() == FCodeMemo;
    // The panels' states are read as the View menu opens: no change rule needs them.
    return state;
}

void TformPrincipal::EditorOnChange()
{
    const int n = DocumentCount();
    const bool open = n > 0;
    const TEditorState state = EditorState(FCommands->Watched(TRule::Pasteable));
    if (FCommands->Apply(state)) {
        // The Edit menu's separators go with its items.
        for (QAction* item : FMenus.mEdicion->actions())
            if (item->isSeparator())
                item->setVisible(open);
    }
    // The tool pages insert into the editor: without a document shown they would write into a text
    // that the next document throws away.
    if (FHerramientas)
        FHerramientas->PTabs->setVisible(open && documentsShown() && FCommands->Action("mVerBarra")->isChecked());
    showSidePanel(open && documentsShown() && FCommands->Action("mVerLateral")->isChecked());
    TEditingFile* file = CurrentFile();
    if (!open || !file)
        return;
    // Undone or redone back to the text last loaded or saved, the document has nothing to save.
    if (!file->Guardado && file->UndoStack && FCodeMemo->UndoStack() == file->UndoStack.get() &&
        FCodeMemo->UndoRecorder().AtCleanPoint())
        file->Guardado = true;
    const bool readOnly = state.ReadOnly;
    const std::string& caption = FDocuments.Caption(FDocuments.Current());
    const std::string title = !FConfig->LastProyect.empty() && !NombreProyecto.empty()
                                  ? FmtLoadStr(kProjectCaption, NombreProyecto.c_str(), caption.c_str())
                                  : FmtLoadStr(kCaption, caption.c_str());
    setWindowTitle(FromEditorText(title));
    // The printout and the export are titled with the document shown: its file, or the caption of an
    // untitled one.
    FCodeMemo->SetDocumentName(file->FileName.empty() ? caption : FilePathText(file->FileName));
    Panel(2)->setText(file->Guardado ? QString() : LoadResQString(kModified));
    const std::string mode = LoadResString(readOnly ? kReadOnly : FCodeMemo->InsertMode() ? kInsert : kOverwrite);
    if (mode != FStatusMode) {
        FStatusMode = mode;
        Panel(3)->setText(FromEditorText(mode));
    }
    showCaretOf(*FCodeMemo);
}

void TformPrincipal::showCaretOf(TCodeMemo& editor)
{
    const TPoint caret = editor.CaretFilePos();
    Panel(1)->setText(FromEditorText(FmtLoadStr(kCaretPosition, caret.X, caret.Y)));
}

// ---------------------------------------------------------------- commands

void TformPrincipal::mNuevoClick()
{
    AbreArchivo("", false, defaultKind());
}

void TformPrincipal::mAbrirClick()
{
    TFileDialogRequest dialog;
    dialog.Filter = LoadResString(kOpenFilter);
    dialog.FilterIndex = 1;
    dialog.InitialDir = OpenDialogInitialDir;
    dialog.Options = ofHideReadOnly | ofFileMustExist | ofAllowMultiSelect;
    if (!ExecuteFileDialog(this, dialog))
        return;
    for (const std::string& name : dialog.Files)
        AbreArchivo(name, false, TipoDeArchivo(name));
    OpenDialogFileName = dialog.FileName;
    OpenDialogInitialDir = folderOf(dialog.FileName);
}

void TformPrincipal::mUsarPlantillaClick()
{
    TFileDialogRequest dialog;
    dialog.Filter = LoadResString(kOpenFilter);
    dialog.FilterIndex = 4;
    const std::string templates = LeeDatoProyecto("Plantillas");
    dialog.InitialDir = templates.empty() ? FConfig->LibraryDir : templates;
    dialog.Options = ofHideReadOnly | ofFileMustExist;
    // The templates' folder is this dialog's alone: the open dialog keeps the folder it had.
    const std::string openFolder = OpenDialogInitialDir;
    const bool chosen = ExecuteFileDialog(this, dialog);
    OpenDialogInitialDir = openFolder;
    if (chosen)
        AbreArchivo(dialog.FileName, true, TipoDeArchivo(dialog.FileName));
}

void TformPrincipal::sbProcesaPlantillaClick()
{
    std::string templateFile, dataFile;
    {
        TformFusion fusion(this);
        fusion.InitialDir = OpenDialogInitialDir;
        if (fusion.exec() != QDialog::Accepted)
            return;
        templateFile = fusion.TemplateFile();
        dataFile = fusion.DataFile();
    }
    std::string merged;
    try {
        merged = MergeTemplateFiles(templateFile, dataFile, *FCodigosISO);
    } catch (const Exception&) {
        // A file that went away or cannot be read since the dialog checked it: nothing is made.
        return;
    }
    AbreArchivo("", false, defaultKind());
    FCodeMemo->SelectAll();
    FCodeMemo->SetSelText(merged);
    FCodeMemo->setFocus();
}

bool TformPrincipal::saveDocument(TEditingFile& file)
{
    switch (file.DiskChange()) {
    case TEditingFile::TDiskChange::Changed:
        // Another program wrote the file since it was read: the user says whose text is kept.
        switch (MessageBox(this, FmtLoadStr(kChangedOnDisk, FilePathText(file.FileName).c_str()), {}, kChangedOnDiskFlags)) {
        case IDYES:
            break;
        case IDNO:
            readAgain(file);
            return false;
        default:
            return false;
        }
        break;
    case TEditingFile::TDiskChange::Elsewhere: {
        // Yes would write the file the name leads to now, so the question names that one, and says
        // when the name itself is a link now.
        const std::string target = FilePathText(file.DiskTarget());
        std::error_code ec;
        const int question = std::filesystem::is_symlink(file.FileName, ec) ? kLinkLeadsElsewhere : kLeadsElsewhere;
        if (MessageBox(this, FmtLoadStr(question, FilePathText(file.FileName).c_str(), target.c_str(), target.c_str()),
                       {}, kLeadsElsewhereFlags) != IDYES)
            return false;
        break;
    }
    case TEditingFile::TDiskChange::Unknown:
        MessageBox(this, FmtLoadStr(kDiskStateUnknown, FilePathText(file.FileName).c_str(), SysErrorMessage(file.DiskError()).c_str()),
                   {}, MB_OK | MB_ICONSTOP);
        return false;
    default:
        // A planted link is refused by the write itself, which names the file it leaves alone.
        break;
    }
    return file.SaveToFile();
}

bool TformPrincipal::saveCurrent()
{
    TEditingFile* file = CurrentFile();
    if (!file)
        return false;
    file->GuardaEstado(*FCodeMemo);
    const bool saved = file->FileName.empty() ? mGuardarComoClick() : saveDocument(*file);
    EditorOnChange();
    return saved;
}

void TformPrincipal::mGuardarClick()
{
    saveCurrent();
}

bool TformPrincipal::mGuardarComoClick()
{
    TEditingFile* file = CurrentFile();
    if (!file)
        return false;
    const std::string filters = LoadResString(kSaveFilter);
    const TSaveFilterChoice choice = saveFilterFor(filters, file->FileName, file->Tipo);
    TFileDialogRequest dialog = SaveDialogRequest(filters, choice.Extension);
    dialog.FilterIndex = choice.Index;
    const std::string folder = file->FileName.empty() ? std::string() : folderOf(file->FileName);
    dialog.InitialDir = folder.empty() ? SaveDialogInitialDir : folder;
    // The proposal is a file name (the file system's bytes): a titled document's own, or the untitled
    // one's caption, which is the program's text.
    dialog.FileName = file->FileName.empty() ? ToFilePath(FromEditorText(FDocuments.Caption(FDocuments.Current())))
                                             : nameOf(file->FileName);
    if (!ExecuteFileDialog(this, dialog))
        return false;
    // Two documents on one file would overwrite each other's edits.
    if (const int open = FDocuments.IndexOfFile(dialog.FileName); open >= 0 && open != FDocuments.Current()) {
        MessageBox(this, FmtLoadStr(kOpenInAnotherTab, FilePathText(dialog.FileName).c_str()), {}, MB_OK | MB_ICONSTOP);
        return false;
    }
    const std::string oldName = file->FileName;
    file->FileName = dialog.FileName;
    file->GuardaEstado(*FCodeMemo);
    if (!file->SaveToFile()) {
        // The document keeps the name it had until a save under the new one succeeds.
        file->FileName = oldName;
        EditorOnChange();
        return false;
    }
    const std::string caption = documentCaption(file->FileName);
    FDocuments.SetCaption(FDocuments.Current(), caption);
    FFileTabs->Tabs().Put(FDocuments.Current(), MenuCaptionOf(caption));
    SaveDialogFileName = dialog.FileName;
    SaveDialogInitialDir = folderOf(dialog.FileName);
    EditorOnChange();
    return true;
}

bool TformPrincipal::saveAsAt(int index)
{
    bringForward(index);
    const bool saved = mGuardarComoClick();
    EditingFile(index)->GuardaEstado(*FCodeMemo);
    return saved;
}

void TformPrincipal::bringForward(int index)
{
    EditingFile(index)->RestauraEstado(*FCodeMemo);
    selectTab(index);
    EditorOnChange();
}

void TformPrincipal::saveUntitledAt(int index)
{
    if (saveAsAt(index))
        MRUUpdate(true, EditingFile(index)->FileName);
}

void TformPrincipal::mGuardarTodoClick()
{
    TEditingFile* current = CurrentFile();
    if (!documentsShown() || !current)
        return;
    const int selected = FDocuments.Current();
    current->GuardaEstado(*FCodeMemo);
    {
        // A question on the way (a file changed on disk, a text that would reopen otherwise) is asked
        // with the normal pointer over a window that paints: the message box lets both go.
        const TScopeGuard painting = lockPainting();
        const TBusyCursor busyCursor;
        for (int i = 0; i < DocumentCount(); ++i) {
            TEditingFile* file = EditingFile(i);
            if (!file->FileName.empty()) {
                // An untouched page is left alone: writing it again would replace its backup, the
                // text before the last save, with a copy of the page.
                if (!file->Guardado)
                    saveDocument(*file);
                continue;
            }
            // An untitled document is shown while the user names it.
            const TBusySuspended naming;
            saveUntitledAt(i);
        }
        selectTab(selected);
    }
    FileTabsChange();
}

void TformPrincipal::mActualizarClick()
{
    TEditingFile* file = CurrentFile();
    if (!documentsShown() || !file || file->FileName.empty())
        return;
    // Only changes not yet saved can be lost: a document as saved reloads without a question.
    if (!file->Guardado && MessageBox(this, LoadResString(kReloadQuestion), {}, kReloadQuestionFlags) != IDYES)
        return;
    {
        TScopeGuard painting = lockPainting();
        TBusyCursor busyCursor;
        if (!loadDocumentText(*file, file->FileName))
            return;
        FCodeMemo->SetModified(false);
        file->Guardado = true;
    }
    EditorOnChange();
}

void TformPrincipal::ReloadDocument(int index)
{
    TEditingFile* file = EditingFile(index);
    if (!file || file->FileName.empty() || !file->Guardado)
        return;
    readAgain(*file);
}

void TformPrincipal::readAgain(TEditingFile& document)
{
    TEditingFile* file = &document;
    TEditingFile* shown = CurrentFile();
    {
        TScopeGuard painting = lockPainting();
        // Another document goes through the editor and back, as a tab switch would take it.
        if (shown != file) {
            if (shown)
                shown->GuardaEstado(*FCodeMemo);
            file->RestauraEstado(*FCodeMemo);
        }
        if (loadDocumentText(*file, file->FileName)) {
            FCodeMemo->SetModified(false);
            file->Guardado = true;
        }
        if (shown != file) {
            file->GuardaEstado(*FCodeMemo);
            if (shown)
                shown->RestauraEstado(*FCodeMemo);
        }
        // A caller may have stored the shown document's state (a save, Save All) and write or put
        // back that copy afterwards: it is stored again, with the text now in the editor.
        if (shown)
            shown->GuardaEstado(*FCodeMemo);
    }
    EditorOnChange();
}

bool TformPrincipal::askToSave()
{
    TEditingFile* file = CurrentFile();
    if (!file || file->Guardado)
        return true;
    const std::string& caption = FDocuments.Caption(FDocuments.Current());
    const int answer = MessageBox(this, FmtLoadStr(kSaveQuestion, caption.c_str()), {}, kSaveQuestionFlags);
    // The answer is about the document asked about: should another have come forward meanwhile, the
    // one asked about is brought back, and the caller closes the current document.
    if (CurrentFile() != file) {
        const int index = FDocuments.IndexOf(file);
        if (index < 0)
            return false;
        if (TEditingFile* other = CurrentFile())
            other->GuardaEstado(*FCodeMemo);
        showDocumentAt(index);
    }
    if (answer == IDCANCEL)
        return false;
    // A save that did not happen (Save As cancelled, the file not written) keeps the document open.
    return answer != IDYES || saveCurrent();
}

void TformPrincipal::removeDocument(int index, bool remember)
{
    TEditingFile* file = EditingFile(index);
    if (!file)
        return;
    if (remember && !file->FileName.empty())
        MRUUpdate(true, file->FileName);
    deleteDocument(index);
}

void TformPrincipal::mCerrarClick()
{
    if (!documentsShown() || !CurrentFile())
        return;
    if (!askToSave())
        return;
    const int index = FDocuments.Current();
    const int next = index == DocumentCount() - 1 ? index - 1 : index;
    removeDocument(index);
    showDocumentAt(next);
}

bool TformPrincipal::closeDocuments()
{
    if (!documentsShown())
        return true;
    if (TEditingFile* current = CurrentFile())
        current->GuardaEstado(*FCodeMemo);
    // Every question is asked before any document closes, so that a Cancel at the last one leaves
    // every tab that was open.
    std::vector<TEditingFile*> documents;
    for (int i = 0; i < DocumentCount(); ++i)
        documents.push_back(EditingFile(i));
    for (TEditingFile* file : documents) {
        // A macro answered during a question may have closed or moved a document.
        const int index = FDocuments.IndexOf(file);
        if (index < 0 || file->Guardado)
            continue;
        bringForward(index);
        if (!askToSave())
            return false;
        // The next question shows another document: this one's state goes back into it first.
        if (CurrentFile() == file)
            file->GuardaEstado(*FCodeMemo);
    }
    while (DocumentCount() > 0) {
        removeDocument(0);
        if (DocumentCount() > 0)
            selectTab(0);
    }
    return true;
}

void TformPrincipal::mCerrarTodoClick()
{
    if (FormCloseQuery()) {
        FConfig->LastProyect.clear();
        NombreProyecto.clear();
    }
}

bool TformPrincipal::FormCloseQuery()
{
    if (!closeDocuments()) {
        EditorOnChange();
        return false;
    }
    documentsClosed();
    EditorOnChange();
    // A panel never built leaves the stored library as it was.
    if (FSidePanel)
        FSidePanel->KeepLibraryIndex();
    return true;
}
