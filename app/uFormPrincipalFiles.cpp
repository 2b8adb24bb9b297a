// The main window's documents: the tab strip, opening, saving, reloading and closing, the recent files and the caption and status bar that follow the editor.
#include "app/uFormPrincipal.h"

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

#include "app/CodigosISO.h"
#include "app/EditingFile.h"
#include "app/KestrimaConfig.h"
#include "app/ProjectFile.h"
#include "app/uFormPrincipalTools.h"
#include "components/KrCtrls.h"
#include "components/core/xProcs.h"
#include "editor/CodeMemo.h"
#include "editor/model/EditorMessages.h"
#include "platform/Cursors.h"
#include "platform/FileDialogs.h"
#include "platform/MessageBox.h"
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
constexpr int kUnfittingUtf8 = 4514;
constexpr int kControlCharacters = 4515;
constexpr int kMenuNuevo = 4520;  // then Abrir, Guardar, Guardar como, Guardar todo, Actualizar, Cerrar, Cerrar todo

// Yes, No and Cancel with the exclamation icon.
constexpr unsigned kSaveQuestionFlags = MB_YESNOCANCEL | MB_ICONWARNING;
// Yes and No with the question icon, No the default.
constexpr unsigned kReloadQuestionFlags = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;

// File menu items that stay enabled with no document open.
constexpr const char* kAlwaysEnabledFileItems[] = {"mProyecto", "mNuevoProyecto", "mAbrirProyecto", "mNuevo",
                                                   "mAbrir", "mUsarPlantilla", "mReabrirMRU", "mSalir"};
// Speed bar items that stay enabled with no document open.
constexpr const char* kAlwaysEnabledButtons[] = {"sbNuevo", "sbUsarPlantilla", "sbAbrir", "sbNuevoProyecto",
                                                 "sbAbrirProyecto", "sbAyuda", "sbAyudaAuxiliar", "sbTips"};
// Edit menu items that stay visible with no document open.
constexpr const char* kAlwaysVisibleEditItems[] = {"mReemplazarArchivos", "mOpciones", "mOpcionesEditor"};
// Menus shown only while a document is open.
constexpr const char* kDocumentMenus[] = {"mVer", "mNavegadores", "mSeleccion", "mHerramientas"};

template <size_t N>
bool listed(const char* const (&names)[N], const QString& name)
{
    for (const char* n : names)
        if (name == QLatin1String(n))
            return true;
    return false;
}

std::string folderOf(const std::string& fileName)
{
    return std::filesystem::path(NativePath(fileName)).parent_path().string();
}

std::string nameOf(const std::string& fileName)
{
    return std::filesystem::path(NativePath(fileName)).filename().string();
}

} // namespace

// ---------------------------------------------------------------- building

void TformPrincipal::buildFileTabs()
{
    auto* area = new QWidget(this);
    area->setObjectName("pEditor");
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    FFileTabs = new TTabSetControl(area);
    FFileTabs->setObjectName("FileTabs");
    FFileTabs->setFixedHeight(24);
    // A click on a tab leaves the keyboard with the editor, so that typing goes on in the document
    // just chosen, and the edit commands, which act on the focused control, reach it.
    FFileTabs->SetTabStop(false);
    layout->addWidget(FFileTabs);
    // The editor moves from the window's centre into the area under the strip.
    takeCentralWidget();
    FCodeMemo->setParent(area);
    layout->addWidget(FCodeMemo, 1);
    setCentralWidget(area);
    FFileTabs->Loaded();
    FFileTabs->OnChanging = [this](QWidget*, bool& allow) { FileTabsChanging(allow); };
    FFileTabs->OnChange = [this](QWidget*) { FileTabsChange(); };
    FCodeMemo->OnTextChange = [this](TCodeMemoCore*, int, int) { CodeMemoTextChange(); };
    FCodeMemo->OnChange = [this](TCustomCodeMemo*) { EditorOnChange(); };
    showDocuments(false);
}

void TformPrincipal::buildFileCommands()
{
    QMenu* archivo = menuBar()->findChild<QMenu*>("mArchivo");
    struct {
        QAction*& action;
        const char* name;
        QKeySequence shortcut;
        void (TformPrincipal::*handler)();
    } items[] = {
        {FFileCommands.mNuevo, "mNuevo", QKeySequence(Qt::CTRL | Qt::Key_N), &TformPrincipal::mNuevoClick},
        {FFileCommands.mAbrir, "mAbrir", QKeySequence(Qt::CTRL | Qt::Key_A), &TformPrincipal::mAbrirClick},
        {FFileCommands.mGuardar, "mGuardar", QKeySequence(), &TformPrincipal::mGuardarClick},
        {FFileCommands.mGuardarComo, "mGuardarComo", QKeySequence(), nullptr},
        {FFileCommands.mGuardarTodo, "mGuardarTodo", QKeySequence(), &TformPrincipal::mGuardarTodoClick},
        {FFileCommands.mActualizar, "mActualizar", QKeySequence(Qt::Key_F5), &TformPrincipal::mActualizarClick},
        {FFileCommands.mCerrar, "mCerrar", QKeySequence(Qt::CTRL | Qt::Key_F4), &TformPrincipal::mCerrarClick},
        {FFileCommands.mCerrarTodo, "mCerrarTodo", QKeySequence(), &TformPrincipal::mCerrarTodoClick},
    };
    int caption = kMenuNuevo;
    for (auto& item : items) {
        item.action = new QAction(FromWin1252(LoadResString(caption++)), this);
        item.action->setObjectName(item.name);
        item.action->setShortcut(item.shortcut);
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
    FCodeMemo->SetUndoStack(nullptr);
    auto& tabs = FFileTabs->Tabs();
    for (int i = 0; i < tabs.Count(); ++i)
        delete EditingFile(i);
}

// ---------------------------------------------------------------- the documents

int TformPrincipal::DocumentCount() const
{
    return FFileTabs->Tabs().Count();
}

TEditingFile* TformPrincipal::EditingFile(int index) const
{
    const auto& tabs = FFileTabs->Tabs();
    if (index < 0 || index >= tabs.Count())
        return nullptr;
    return static_cast<TEditingFile*>(tabs.GetObject(index));
}

TEditingFile* TformPrincipal::CurrentFile() const
{
    return EditingFile(FFileTabs->TabIndex());
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
        FFileTabs->SetTabIndex(index);
        file->RestauraEstado(*FCodeMemo);
    } else {
        documentsClosed();
    }
    EditorOnChange();
}

void TformPrincipal::documentsClosed()
{
    showDocuments(false);
    // The editor would otherwise keep the last document's text, and the window its name and state.
    FCodeMemo->Clear();
    setWindowTitle(FromWin1252(LoadResString(kProductName)));
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
    const auto& tabs = FFileTabs->Tabs();
    for (int i = 1;; ++i) {
        const std::string caption = FmtLoadStr(kNewCaption, i);
        if (tabs.IndexOf(caption) < 0)
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
    if (file.Bytes.RawBytes || file.Bytes.ControlCharacters) {
        file.SoloLectura = true;
        FCodeMemo->SetReadOnly(true);
        const int message = file.Bytes.RawBytes ? kUnfittingUtf8 : kControlCharacters;
        MessageBox(this, FmtLoadStr(message, fileName.c_str()), {}, MB_OK | MB_ICONWARNING);
    }
    return true;
}

void TformPrincipal::AbreArchivo(const std::string& FileName_, bool ComoPlantilla, int Tipo)
{
    // A name as typed on the command line would stop working from any other folder.
    std::string FileName = ExpandFileName(FileName_);
    std::string Modelo;
    TScopeGuard painting = lockPainting();
    TBusyCursor busyCursor;
    const bool wasBusy = std::exchange(Ocupado, true);
    TScopeGuard busy([this, wasBusy] { Ocupado = wasBusy; });
    if (ComoPlantilla) {
        Modelo = FileName;
        FileName.clear();
    }
    const int previous = FFileTabs->TabIndex();
    if (documentsShown())
        if (TEditingFile* current = CurrentFile()) {
            current->GuardaEstado(*FCodeMemo);
            TextoBuscado = current->SearchText;
            OpcionesBusqueda = current->SearchOptions;
        }
    if (!documentsShown())
        showDocuments(true);
    const std::string caption = FileName.empty() ? newDocumentCaption() : ShellDisplayName(FileName);
    auto owned = std::make_unique<TEditingFile>(Tipo);
    TEditingFile* file = owned.get();
    const int index = FFileTabs->Tabs().AddObject(caption, owned.release());
    FFileTabs->SetTabIndex(index);
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
        FCodeMemo->SetUndoStack(nullptr);
        delete file;
        FFileTabs->Tabs().Delete(index);
        showDocumentAt(previous);
        return;
    }
    acceptDroppedFiles();
    FCodeMemo->SetModified(false);
    file->Guardado = true;
    EditorOnChange();
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

QObject* TformPrincipal::namedItem(const char* name)
{
    auto [at, added] = FNamedItems.try_emplace(name);
    TNamedItem& known = at->second;
    // An object found before and gone since is looked for again.
    if (added || (known.Found && !known.Item)) {
        known.Item = findChild<QObject*>(QLatin1String(name));
        known.Found = known.Item != nullptr;
    }
    return known.Item;
}

void TformPrincipal::setItemEnabled(const char* name, bool enabled)
{
    QObject* item = namedItem(name);
    if (auto* action = qobject_cast<QAction*>(item))
        action->setEnabled(enabled);
    else if (auto* widget = qobject_cast<QWidget*>(item))
        widget->setEnabled(enabled);
}

void TformPrincipal::EditorOnChange()
{
    const int n = DocumentCount();
    const bool open = n > 0;
    if (open == sbLateral()->isHidden()) {
        for (TKrSpeedButton* button : {sbBarra(), sbLateral(), sbAuxiliar()})
            button->setVisible(open);
        if (auto* bar = qobject_cast<QWidget*>(namedItem("pBotones")))
            for (QWidget* item : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                item->setEnabled(open || listed(kAlwaysEnabledButtons, item->objectName()));
        setItemEnabled("sbDeshacer", open);
        setItemEnabled("sbRehacer", open);
        if (auto* archivo = menuBar()->findChild<QMenu*>(QStringLiteral("mArchivo")))
            for (QAction* item : archivo->actions())
                if (!item->isSeparator())
                    item->setEnabled(open || listed(kAlwaysEnabledFileItems, item->objectName()));
        for (const char* name : kDocumentMenus)
            if (auto* menu = menuBar()->findChild<QMenu*>(QLatin1String(name)))
                menu->menuAction()->setVisible(open);
        if (auto* edicion = menuBar()->findChild<QMenu*>(QStringLiteral("mEdicion")))
            for (QAction* item : edicion->actions())
                item->setVisible(open || listed(kAlwaysVisibleEditItems, item->objectName()));
    }
    // The tool pages insert into the editor: without a document shown they would write into a text
    // that the next document throws away.
    if (FHerramientas)
        FHerramientas->PTabs->setVisible(open && documentsShown());
    TEditingFile* file = CurrentFile();
    if (!open || !file)
        return;
    const bool selection = FCodeMemo->GetSelLength() != 0;
    const bool readOnly = FCodeMemo->ReadOnly();
    setItemEnabled("sbCortar", selection && !readOnly);
    setItemEnabled("sbCopiar", selection);
    setItemEnabled("sbImprimirSel", selection);
    // Asking the clipboard costs a round trip to the display; only a paste button needs the answer.
    if (auto* paste = qobject_cast<QWidget*>(namedItem("sbPegar"))) {
        const QMimeData* data = QApplication::clipboard()->mimeData();
        paste->setEnabled(data && data->hasText() && !readOnly);
    }
    for (const char* name : {"mImprimirSel", "mCortar", "mCopiar", "mBorrar"})
        setItemEnabled(name, selection);
    for (const char* name : {"mPegar", "mSangrar", "mNoSangrar"})
        setItemEnabled(name, true);
    setItemEnabled("mMuestraTodas", selection || !FCodeMemo->SearchText.empty());

    const std::string caption = FFileTabs->Tabs()[FFileTabs->TabIndex()];
    const std::string title = !FConfig->LastProyect.empty() && !NombreProyecto.empty()
                                  ? FmtLoadStr(kProjectCaption, NombreProyecto.c_str(), caption.c_str())
                                  : FmtLoadStr(kCaption, caption.c_str());
    setWindowTitle(FromWin1252(title));
    Panel(2)->setText(file->Guardado ? QString() : FromWin1252(LoadResString(kModified)));
    const std::string mode = LoadResString(readOnly ? kReadOnly : FCodeMemo->InsertMode() ? kInsert : kOverwrite);
    if (mode != FStatusMode) {
        FStatusMode = mode;
        Panel(3)->setText(FromWin1252(mode));
    }
    if (auto* item = qobject_cast<QAction*>(namedItem("mSoloLectura")))
        item->setChecked(readOnly);
    if (auto* item = qobject_cast<QAction*>(namedItem("mAjustaTexto")))
        item->setChecked(FCodeMemo->WordWrap());
    const TPoint caret = FCodeMemo->CaretPos();
    Panel(1)->setText(FromWin1252(FmtLoadStr(kCaretPosition, caret.X, caret.Y)));
    setItemEnabled("sbDeshacer", FCodeMemo->Perform(EM_CANUNDO, 0, 0) != 0);
    setItemEnabled("sbRehacer", FCodeMemo->Perform(SMM_CANREDO, 0, 0) != 0);
    setItemEnabled("mDeshacer", true);
    setItemEnabled("mRehacer", true);
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

bool TformPrincipal::saveCurrent()
{
    TEditingFile* file = CurrentFile();
    if (!file)
        return false;
    file->GuardaEstado(*FCodeMemo);
    const bool saved = file->FileName.empty() ? mGuardarComoClick() : file->SaveToFile();
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
    TFileDialogRequest dialog;
    dialog.Save = true;
    dialog.Filter = LoadResString(kSaveFilter);
    dialog.DefaultExt = "htm";
    dialog.Options = ofOverwritePrompt | ofHideReadOnly;
    const std::string folder = file->FileName.empty() ? std::string() : folderOf(file->FileName);
    dialog.InitialDir = folder.empty() ? SaveDialogInitialDir : folder;
    dialog.FileName = file->FileName.empty() ? FFileTabs->Tabs()[FFileTabs->TabIndex()] : nameOf(file->FileName);
    if (!ExecuteFileDialog(this, dialog))
        return false;
    const std::string oldName = file->FileName;
    file->FileName = dialog.FileName;
    file->GuardaEstado(*FCodeMemo);
    if (!file->SaveToFile()) {
        // The document keeps the name it had until a save under the new one succeeds.
        file->FileName = oldName;
        EditorOnChange();
        return false;
    }
    FFileTabs->Tabs().Put(FFileTabs->TabIndex(), ShellDisplayName(file->FileName));
    SaveDialogFileName = dialog.FileName;
    SaveDialogInitialDir = folderOf(dialog.FileName);
    EditorOnChange();
    return true;
}

bool TformPrincipal::saveAsAt(int index)
{
    TEditingFile* file = EditingFile(index);
    file->RestauraEstado(*FCodeMemo);
    FFileTabs->SetTabIndex(index);
    EditorOnChange();
    const bool saved = mGuardarComoClick();
    file->GuardaEstado(*FCodeMemo);
    return saved;
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
    const int selected = FFileTabs->TabIndex();
    current->GuardaEstado(*FCodeMemo);
    {
        auto painting = std::make_unique<TScopeGuard>(lockPainting());
        auto busyCursor = std::make_unique<TBusyCursor>();
        for (int i = 0; i < DocumentCount(); ++i) {
            TEditingFile* file = EditingFile(i);
            if (!file->FileName.empty()) {
                file->SaveToFile();
                continue;
            }
            // An untitled document is shown while the user names it.
            painting.reset();
            busyCursor.reset();
            saveUntitledAt(i);
            painting = std::make_unique<TScopeGuard>(lockPainting());
            busyCursor = std::make_unique<TBusyCursor>();
        }
        FFileTabs->SetTabIndex(selected);
    }
    FileTabsChange();
}

void TformPrincipal::mActualizarClick()
{
    TEditingFile* file = CurrentFile();
    if (!documentsShown() || !file || file->FileName.empty())
        return;
    if (MessageBox(this, LoadResString(kReloadQuestion), {}, kReloadQuestionFlags) != IDYES)
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

bool TformPrincipal::askToSave()
{
    TEditingFile* file = CurrentFile();
    if (!file || file->Guardado)
        return true;
    const std::string caption = FFileTabs->Tabs()[FFileTabs->TabIndex()];
    const int answer = MessageBox(this, FmtLoadStr(kSaveQuestion, caption.c_str()), {}, kSaveQuestionFlags);
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
    FCodeMemo->SetUndoStack(nullptr);
    FFileTabs->Tabs().PutObject(index, nullptr);
    delete file;
    FFileTabs->Tabs().Delete(index);
}

void TformPrincipal::mCerrarClick()
{
    if (!documentsShown() || !CurrentFile())
        return;
    if (!askToSave())
        return;
    const int index = FFileTabs->TabIndex();
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
    while (DocumentCount() > 0) {
        TEditingFile* file = EditingFile(0);
        if (!file->Guardado) {
            file->RestauraEstado(*FCodeMemo);
            FFileTabs->SetTabIndex(0);
            EditorOnChange();
            if (!askToSave())
                return false;
        }
        removeDocument(0);
        if (DocumentCount() > 0)
            FFileTabs->SetTabIndex(0);
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
    return true;
}
