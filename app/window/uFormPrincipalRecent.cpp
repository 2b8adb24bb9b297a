// The main window's recent-files menu, the pop-up menu of the document strip, the documents opened at start-up and the preview file for browsers.
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <filesystem>
#include <system_error>

#include "app/model/CodigosISO.h"
#include "app/host/EditingFile.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/libKestrima.h"
#include "app/model/ProjectFile.h"
#include "app/window/libKestrimaBrowser.h"
#include "editor/CodeMemo.h"
#include "platform/Cursors.h"
#include "platform/Menus.h"
#include "platform/MessageBox.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/IniFile.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TabCtrls.h"

namespace {

constexpr int kReabrir = 4550;
constexpr int kRecentItem = 4551;
constexpr int kRecentFileMissing = 4552;
constexpr int kTabInfoDesign = 4553;
constexpr int kFileCannotBeSaved = 4513;

constexpr const char* kPreviewFileName = "tempHTML.htm";

constexpr int kMRUItems = TKestrimaConfig::kMRUCount;
static_assert(kMRUItems == 9, "the recent-files menu has nine items");

enum TTabOption { toNavegar = 0, toGuardar = 1, toGuardarComo = 2, toCerrar = 3 };

} // namespace

// ---------------------------------------------------------------- building

void TformPrincipal::buildRecentFiles()
{
    QMenu* archivo = FMenus.mArchivo;
    FRecent.mReabrirMRU = new QMenu(LoadResQString(kReabrir), this);
    FRecent.mReabrirMRU->setObjectName("mReabrirMRU");
    FRecent.mReabrirMRU->menuAction()->setObjectName("mReabrirMRU");
    FCommands->Bind(FRecent.mReabrirMRU->menuAction(), "mReabrirMRU");
    for (int i = 0; i < kMRUItems; ++i) {
        QAction* item = FCommands->Action("MRU" + std::to_string(i + 1));
        FRecent.mReabrirMRU->addAction(item);
        item->setProperty("Tag", i);
        item->setVisible(false);
        connect(item, &QAction::triggered, this, [this, item] { MRUAbrir(item); });
        FRecent.MRU[i] = item;
    }
    if (archivo) {
        // The recent files follow Open.
        const QList<QAction*> items = archivo->actions();
        const qsizetype open = items.indexOf(FFileCommands.mAbrir);
        QAction* before = open >= 0 && open + 1 < items.size() ? items[open + 1] : nullptr;
        archivo->insertMenu(before, FRecent.mReabrirMRU);
        connect(archivo, &QMenu::aboutToShow, this, [this] { mArchivoClick(); });
    }

    FRecent.pmTabs = new TPopupMenu(this);
    FRecent.pmTabs->setObjectName("pmTabs");
    FRecent.pmTabs->setProperty("Tag", -1);
    FRecent.mTabInfo = FCommands->Action("mTabInfo");
    FRecent.pmTabs->addAction(FRecent.mTabInfo);
    FRecent.pmTabs->addSeparator();
    const char* names[] = {"mTabNavegar", "mTabGuardar", "mTabGuardarComo", "mTabCerrar"};
    for (int tag = 0; tag < 4; ++tag) {
        QAction* item = FCommands->Action(names[tag]);
        FRecent.pmTabs->addAction(item);
        item->setProperty("Tag", tag);
        connect(item, &QAction::triggered, this, [this, item] { mTabOptionsClick(item); });
        FRecent.TabOptions[tag] = item;
    }
    connect(FRecent.pmTabs, &QMenu::aboutToShow, this, [this] { pmTabsPopup(); });
    FFileTabs->OnTabTrack = [this](QWidget*, int TabIndex) { FileTabsTabTrack(TabIndex); };
    FFileTabs->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FFileTabs, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { FRecent.pmTabs->popup(FFileTabs->mapToGlobal(at)); });
    MRUDisplay();
}

// ---------------------------------------------------------------- the File menu and recent files

void TformPrincipal::mArchivoClick()
{
    FCommands->ApplyMenu("mArchivo", EditorState(false));
    MRUDisplay();
}

void TformPrincipal::MRUDisplay()
{
    const TStringList& mru = FConfig->MRU;
    for (int i = 0; i < kMRUItems; ++i) {
        const std::string entry = i < mru.Count() ? mru[i] : std::string();
        QAction* item = FRecent.MRU[i];
        item->setText(FromEditorText(FmtLoadStr(kRecentItem, i + 1, MenuCaptionOf(FilePathText(entry)).c_str())));
        item->setVisible(!entry.empty());
    }
    EnableByItems(FRecent.mReabrirMRU);
}

void TformPrincipal::MRUAbrir(QObject* Sender)
{
    TStringList& mru = FConfig->MRU;
    const int entry = Sender->property("Tag").toInt();
    if (entry < 0 || entry >= mru.Count() || mru[entry].empty())
        return;
    // The entry leaves the list while the file opens, so it is copied first.
    const std::string fileName = mru[entry];
    if (FileExists(fileName)) {
        OpenDialogInitialDir = ExtractFilePath(fileName);
        AbreArchivo(fileName, false, TipoDeArchivo(fileName));
        return;
    }
    MessageBox(this, FmtLoadStr(kRecentFileMissing, FilePathText(fileName).c_str()), {}, MB_OK | MB_ICONSTOP);
    mru.Delete(entry);
    // An empty name takes the empty entries out and fills the list up to nine again.
    MRUUpdate(false, "");
    MRUDisplay();
}

// ---------------------------------------------------------------- the tab pop-up

void TformPrincipal::FileTabsTabTrack(int TabIndex)
{
    FRecent.pmTabs->setProperty("Tag", TabIndex);
}

void TformPrincipal::pmTabsPopup()
{
    const int tracked = FRecent.pmTabs->property("Tag").toInt();
    TEditingFile* target = EditingFile(tracked);
    // Without a tab under the mouse the commands would have no document to act on.
    for (int tag = toNavegar; tag <= toCerrar; ++tag)
        FRecent.TabOptions[tag]->setEnabled(target != nullptr);
    if (!target) {
        FRecent.mTabInfo->setText(LoadResQString(kTabInfoDesign));
        FRecent.mTabInfo->setStatusTip(QString());
        return;
    }
    FRecent.mTabInfo->setText(FromEditorText(MenuCaptionOf(FDocuments.Caption(tracked))));
    FRecent.mTabInfo->setStatusTip(FromFilePath(target->FileName));
}

void TformPrincipal::mTabOptionsClick(QObject* Sender)
{
    const int tracked = FRecent.pmTabs->property("Tag").toInt();
    const int selected = FDocuments.Current();
    TEditingFile* target = EditingFile(tracked);
    TEditingFile* current = CurrentFile();
    if (!target || !current)
        return;
    switch (Sender->property("Tag").toInt()) {
    case toNavegar:
        // The file as it is on disk, not the text being edited.
        OpenInBrowserReported(this, target->FileName);
        break;
    case toGuardar:
        current->GuardaEstado(*FCodeMemo);
        if (!target->FileName.empty()) {
            TScopeGuard painting = lockPainting();
            TBusyCursor busyCursor;
            saveDocument(*target);
        } else {
            saveUntitledAt(tracked);
        }
        selectTab(selected);
        FileTabsChange();
        break;
    case toGuardarComo:
        current->GuardaEstado(*FCodeMemo);
        saveAsAt(tracked);
        selectTab(selected);
        FileTabsChange();
        break;
    case toCerrar: {
        if (tracked == selected) {
            mCerrarClick();
            break;
        }
        current->GuardaEstado(*FCodeMemo);
        if (!target->Guardado) {
            target->RestauraEstado(*FCodeMemo);
            selectTab(tracked);
            EditorOnChange();
            // Cancel, or a save that did not happen, leaves the document shown and open.
            if (!askToSave())
                break;
        }
        // By the documents, not their places: the places are those of before the question.
        removeDocument(FDocuments.IndexOf(target));
        showDocumentAt(FDocuments.IndexOf(current));
        break;
    }
    default:
        break;
    }
}

// ---------------------------------------------------------------- start-up

void TformPrincipal::openStartUpDocuments()
{
    if (DocumentCount() > 0)
        return;
    switch (FConfig->InitialFile) {
    case 1:
        AbreArchivo("", false, defaultKind());
        break;
    case 2:
        openMostRecentFile();
        break;
    case 3:
        if (!openLastProject())
            openMostRecentFile();
        break;
    default:
        break;
    }
}

void TformPrincipal::openMostRecentFile()
{
    const TStringList& mru = FConfig->MRU;
    const std::string recent = mru.Count() > 0 ? mru[0] : std::string();
    if (!recent.empty() && FileExists(recent))
        AbreArchivo(recent, false, TipoDeArchivo(recent));
    else
        AbreArchivo("", false, defaultKind());
}

bool TformPrincipal::openLastProject()
{
    const std::string& project = FConfig->LastProyect;
    if (project.empty() || !FileExists(project))
        return false;
    // A listed file that is gone is passed over, as a command-line name of no file is.
    openProjectFiles(project, false);
    return true;
}

void TformPrincipal::openProjectFiles(const std::string& project, bool reportMissing)
{
    const TIniFile ini(project);
    NombreProyecto = ProjectDataText(ini, "Nombre");
    std::vector<std::string> missing;
    for (const std::string& fileName : ProjectFilesToOpen(ini)) {
        if (FileExists(fileName))
            AbreArchivo(fileName, false, TipoDeArchivo(fileName));
        else
            missing.push_back(fileName);
    }
    // A project can list any number of files that are gone: one box names them all.
    if (reportMissing && !missing.empty())
        MessageBox(this, MissingProjectFilesText(project, missing), {}, MB_OK | MB_ICONSTOP);
}

// ---------------------------------------------------------------- the preview file

bool TformPrincipal::ArchivoPrevio(std::string& FileName)
{
    switch (FConfig->BrowserMode) {
    case 1: {
        const TEditingFile* file = CurrentFile();
        if (!file) {
            FileName.clear();
            return false;
        }
        std::string folder = ExtractFilePath(ArchivoActual());
        if (folder.empty())
            folder = ExtractFilePath(SaveDialogFileName);
        if (folder.empty()) {
            // Beside the working folder, in its parent.
            std::error_code error;
            folder = ExtractFilePath(std::filesystem::current_path(error).string());
        }
        FileName = folder + kPreviewFileName;
        const TCodigosISO* entities = FileEntities();
        const std::string bytes = file->FileBytes(FCodeMemo->StoredText(), entities);
        std::string error;
        // The name is the program's own: a link planted there is replaced, never written through. A
        // folder that takes no file (the folder of all homes, for a program started from one) leaves
        // the user's private folder, where the page shows at least its text. The copy is for those
        // who may read the page, an untitled one's for the user alone.
        if (!WriteProgramFile(FileName, bytes, error, CopyPermissionsOf(ArchivoActual()))) {
            // A browser would show an old page, or none, as if it were this text.
            const std::string shown = FilePathText(FileName);
            MessageBox(this, FmtLoadStr(kFileCannotBeSaved, shown.c_str(), error.c_str()), {}, MB_OK | MB_ICONSTOP);
            return false;
        }
        return true;
    }
    case 2:
        // A save that failed would leave the browser the file as it was before.
        if (!saveCurrent()) {
            FileName.clear();
            return false;
        }
        FileName = ArchivoActual();
        return !FileName.empty();
    default:
        FileName.clear();
        return true;
    }
}
