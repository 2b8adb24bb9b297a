// TformReemplazar: replace in files: a list of files, the texts to find and to put instead, backups and whole words, run over the files on disk with a progress bar.
#include "app/dialogs/UFormReemplazar.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <stdexcept>
#include <utility>

#include "app/host/EditingFile.h"
#include "app/host/WindowHost.h"
#include "app/model/EditorKind.h"
#include "app/model/ReplaceInFiles.h"
#include "components/FormPlace.h"
#include "platform/DialogHook.h"
#include "platform/FormSpec.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kOpenFilter = 4503;
constexpr int kCaption = 5956;
constexpr int kNotes = 5966;
constexpr int kUnsavedNote = 5967;
constexpr int kNotTextNote = 5968;
constexpr int kNoBackupNote = 5969;
constexpr int kPlantedLinkNote = 5999;
constexpr int kNoBackupMadeNote = 7352;
constexpr int kOtherBackupNote = 4542;
constexpr int kFoundNowhere = 5997;

enum TKind : int { kLabel, kList, kButton, kEdit, kCheck, kProgress };

constexpr TControlSpec row(const char* name, TKind kind, int x, int y, int w, int h, int caption = 0)
{
    return {.Name = name, .Kind = kind, .Left = x, .Width = w, .Top = y, .Height = h, .Caption = caption};
}

constexpr TControlSpec kControls[] = {
    row("lFiles", kLabel, 8, 8, 200, 16, 5957),
    row("lbFiles", kList, 8, 24, 318, 124),
    row("btnAdd", kButton, 334, 24, 90, 25, 5958),
    row("btnRemove", kButton, 334, 54, 90, 25, 5959),
    row("lFind", kLabel, 8, 156, 200, 16, 5960),
    row("edtFind", kEdit, 8, 172, 318, 21),
    row("lReplace", kLabel, 8, 200, 200, 16, 5961),
    row("edtReplace", kEdit, 8, 216, 318, 21),
    row("cbBackup", kCheck, 8, 244, 318, 20, 5962),
    row("cbWhole", kCheck, 8, 266, 318, 20, 5963),
    row("ProgressBar", kProgress, 8, 294, 318, 16),
    row("btnStart", kButton, 334, 172, 90, 25, 5964),
    row("btnExit", kButton, 334, 202, 90, 25, 5965),
};

QWidget* makeControl(const TControlSpec& spec, QWidget* parent, int&)
{
    const QString caption = spec.Caption ? LoadResQString(spec.Caption) : QString();
    switch (spec.Kind) {
    case kLabel: return new QLabel(caption, parent);
    case kList: return new QListWidget(parent);
    case kButton: return new QPushButton(caption, parent);
    case kEdit: return new QLineEdit(parent);
    case kCheck: return new QCheckBox(caption, parent);
    case kProgress: return new QProgressBar(parent);
    default: throw std::logic_error(std::string("replace form control of no kind: ") + spec.Name);
    }
}

// A list item's path: the file system's bytes, kept apart from the text shown.
constexpr int kPathRole = Qt::UserRole;

} // namespace

TReplaceFormHook SetReplaceFormHook(TReplaceFormHook hook_)
{
    return TDialogHook<TformReemplazar>::Set(std::move(hook_));
}

QString TOpenFilesDialog::InitialDirText() const
{
    return FromFilePath(Request.InitialDir);
}

void TOpenFilesDialog::SetInitialDirText(const QString& value)
{
    Request.InitialDir = ToFilePath(value);
}

TformReemplazar::TformReemplazar(TWindowHost& host) : QDialog(host.HostWindow()), FHost(host)
{
    setObjectName("formReemplazar");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(LoadResQString(kCaption));
    setFixedSize(432, 318);
    BuildControls(this, kControls, TFormRow{}, makeControl);
    lbFiles = FormControl<QListWidget>(this, "lbFiles");
    btnAdd = FormControl<QPushButton>(this, "btnAdd");
    btnRemove = FormControl<QPushButton>(this, "btnRemove");
    edtFind = FormControl<QLineEdit>(this, "edtFind");
    edtReplace = FormControl<QLineEdit>(this, "edtReplace");
    cbBackup = FormControl<QCheckBox>(this, "cbBackup");
    cbWhole = FormControl<QCheckBox>(this, "cbWhole");
    btnStart = FormControl<QPushButton>(this, "btnStart");
    btnExit = FormControl<QPushButton>(this, "btnExit");
    ProgressBar = FormControl<QProgressBar>(this, "ProgressBar");
    ProgressBar->setRange(0, 1);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    btnStart->setDefault(true);
    const std::pair<QPushButton*, void (TformReemplazar::*)()> clicks[] = {
        {btnAdd, &TformReemplazar::btnAddClick},
        {btnRemove, &TformReemplazar::btnRemoveClick},
        {btnStart, &TformReemplazar::btnStartClick},
        {btnExit, &TformReemplazar::btnExitClick},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, [this, h = handler] { CallHandler(this, [&] { (this->*h)(); }); });

    OpenDialog = new TOpenFilesDialog(this);
    OpenDialog->setObjectName("OpenDialog");
    OpenDialog->Request.Filter = LoadResString(kOpenFilter);
    OpenDialog->Request.Options = ofHideReadOnly | ofFileMustExist | ofAllowMultiSelect;

    FormStorage1 = new TFormStorage(this);
    FormStorage1->setObjectName("FormStorage1");
    FormStorage1->SetIniFileName("Software\\Dremal\\Kestrima");
    FormStorage1->SetIniSection("ReplaceForm");
    FormStorage1->SetUseRegistry(true);
    FormStorage1->SetOptions(0);
    TStringList props;
    for (const char* line : {"edtFind.Text", "edtReplace.Text", "OpenDialog.InitialDir"})
        props.Add(line);
    FormStorage1->SetStoredProps(props);
    // The folder the file dialog starts in is a file name, kept as the file system spells it.
    TStringList paths;
    paths.Add("OpenDialog.InitialDir");
    FormStorage1->SetPathProps(paths);
    FormStorage1->Loaded();
}

TformReemplazar::~TformReemplazar() = default;

void TformReemplazar::Execute()
{
    // The hook's form closes as the user would close it.
    TDialogHook<TformReemplazar>::Run(*this, DialogHook::TShow::Shown, [this] { exec(); }, [this] { close(); });
}

std::vector<std::string> TformReemplazar::Files() const
{
    std::vector<std::string> files;
    for (int i = 0; i < lbFiles->count(); ++i)
        files.push_back(lbFiles->item(i)->data(kPathRole).toByteArray().toStdString());
    return files;
}

void TformReemplazar::AddFile(const std::string& fileName)
{
    // One file under two names (a link, another spelling) would be replaced twice.
    for (const std::string& listed : Files())
        if (SameFile(listed, fileName))
            return;
    auto* item = new QListWidgetItem(FromFilePath(fileName), lbFiles);
    item->setData(kPathRole, QByteArray::fromStdString(fileName));
}

void TformReemplazar::btnAddClick()
{
    TFileDialogRequest request = OpenDialog->Request;
    if (!ExecuteFileDialog(this, request) || request.Files.empty())
        return;
    for (const std::string& file : request.Files)
        AddFile(file);
    OpenDialog->Request.InitialDir = ExtractFilePath(request.Files.front());
}

void TformReemplazar::btnRemoveClick()
{
    QListWidgetItem* item = lbFiles->currentItem();
    if (item && item->isSelected())
        delete lbFiles->takeItem(lbFiles->row(item));
}

void TformReemplazar::btnExitClick()
{
    close();
}

int TformReemplazar::replaceAll(const std::string& find, std::vector<std::string>& notes)
{
    TReplaceRequest request;
    request.Find = find;
    request.Replacement = ToEditorText(edtReplace->text());
    request.WholeWord = cbWhole->isChecked();
    request.Backup = cbBackup->isChecked();
    const std::vector<std::string> files = Files();
    QWidget* const controls[] = {lbFiles, btnAdd, btnRemove, btnStart, btnExit, edtFind, edtReplace, cbBackup, cbWhole};
    for (QWidget* control : controls)
        control->setEnabled(false);
    const TScopeGuard enable([&] {
        for (QWidget* control : controls)
            control->setEnabled(true);
        ProgressBar->setValue(0);
    });
    ProgressBar->setRange(0, static_cast<int>(files.size()));
    TRunBackups backups;
    std::vector<std::string> handled;
    int replaced = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& file = files[i];
        ProgressBar->setValue(static_cast<int>(i + 1));
        // A file listed again under another name is replaced once.
        if (std::any_of(handled.begin(), handled.end(), [&](const std::string& done) { return SameFile(done, file); }))
            continue;
        handled.push_back(file);
        // The next save of a changed document would undo the replacement, or lose it.
        const int open = FHost.Documents().IndexOfFile(file);
        if (open >= 0 && !FHost.Documents().At(open)->Guardado) {
            notes.push_back(FmtLoadStr(kUnsavedNote, FilePathText(file).c_str()));
            continue;
        }
        // A page takes the replacement as the editor would write it there.
        request.Page = FHost.TipoDeArchivo(file) == ekHTML;
        request.Entities = request.Page ? FHost.FileEntities() : nullptr;
        TFileReplacement done;
        try {
            // Asked as the file comes, before anything of it is written.
            done = ReplaceInFile(file, request, request.Backup ? backups.NameFor(file) : std::string(),
                                 [&](const std::string& backupName, const std::string& why) {
                                     return AskWithoutBackup(this, file, backupName, why);
                                 });
        } catch (const Exception& error) {
            // A file that cannot be read or written is named, and the others are still replaced.
            notes.push_back(error.Message());
            continue;
        }
        replaced += done.Count;
        if (done.Status == TFileReplacement::TStatus::NotText)
            notes.push_back(FmtLoadStr(kNotTextNote, FilePathText(file).c_str()));
        if (done.Status == TFileReplacement::TStatus::PlantedLink)
            notes.push_back(FmtLoadStr(kPlantedLinkNote, FilePathText(file).c_str(), FilePathText(done.LeftAlone).c_str()));
        if (done.Status == TFileReplacement::TStatus::NoBackupMade)
            notes.push_back(FmtLoadStr(kNoBackupMadeNote, FilePathText(file).c_str(), done.BackupError.c_str()));
        if (done.NoBackup)
            notes.push_back(FmtLoadStr(kNoBackupNote, FilePathText(file).c_str()));
        if (!done.BackupName.empty()) {
            backups.Made(done.BackupName);
            if (done.BackupName != ReplaceBackupName(file))
                notes.push_back(FmtLoadStr(kOtherBackupNote, FilePathText(file).c_str(), FilePathText(done.BackupName).c_str()));
        }
        if (done.Status == TFileReplacement::TStatus::Replaced && open >= 0)
            FHost.ReloadDocument(open);
    }
    return replaced;
}

void TformReemplazar::btnStartClick()
{
    if (lbFiles->count() == 0 || edtFind->text().isEmpty())
        return;
    std::vector<std::string> notes;
    // A run that changed nothing says so: else the author cannot tell it from one that did.
    const std::string find = ToEditorText(edtFind->text());
    std::string text;
    if (replaceAll(find, notes) == 0)
        text = FmtLoadStr(kFoundNowhere, HeldCharactersAsReferences(find).c_str());
    if (!notes.empty()) {
        if (!text.empty())
            text += "\n\n";
        text += LoadResString(kNotes);
        for (const std::string& note : notes)
            text += "\n" + note;
    }
    if (!text.empty())
        MessageBox(this, text, {}, MB_OK | (notes.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
}
