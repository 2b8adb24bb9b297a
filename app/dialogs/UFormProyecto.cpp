// TformProyecto: the project dialog, its data, its files and its folders, and the writing of the project file.
#include "app/dialogs/UFormProyecto.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "app/host/WindowHost.h"
#include "components/FoldrDlg.h"
#include "components/core/xProcs.h"
#include "platform/Buttons.h"
#include "platform/DialogHook.h"
#include "platform/FileDialogs.h"
#include "platform/FileNameQt.h"
#include "platform/FormSpec.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/IniFile.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kOpenFilter = 4503;
constexpr int kAceptar = 4358;
constexpr int kCancelar = 4359;
constexpr int kCaption = 5043;
constexpr int kDatosPage = 5044;
constexpr int kArchivosPage = 5045;
constexpr int kDirectoriosPage = 5046;
constexpr int kProjectFilter = 5058;
constexpr int kSelectFolder = 5059;
constexpr int kProjectFolderPrompt = 5060;
constexpr int kTemplatesFolderPrompt = 5061;
constexpr int kAddFilesHint = 5065;
constexpr int kRemoveFileHint = 5066;
// The system's asterisk sound.
constexpr unsigned kAsterisk = 0x40;

enum TKind : int { kLabel, kEdit, kButton, kPages, kMemo, kList, kSpeed };

constexpr int kLabelHeight = 16;
constexpr int kEditHeight = 21;
constexpr int kSpeedSize = 23;

constexpr TControlSpec row(const char* name, TKind kind, int x, int y, int w, int h, int caption = 0)
{
    return {.Name = name, .Kind = kind, .Left = x, .Width = w, .Top = y, .Height = h, .Caption = caption};
}
constexpr TControlSpec label(const char* name, int x, int y, int w, int caption = 0)
{
    return row(name, kLabel, x, y, w, kLabelHeight, caption);
}
constexpr TControlSpec edit(const char* name, int x, int y, int w)
{
    return row(name, kEdit, x, y, w, kEditHeight);
}
constexpr TControlSpec speed(const char* name, int x, int y)
{
    return row(name, kSpeed, x, y, kSpeedSize, kSpeedSize);
}

// The frame: the pages and the two buttons under them.
constexpr TControlSpec kFrame[] = {
    row("pcProyecto", kPages, 8, 8, 384, 282),
    row("bAceptar", kButton, 236, 298, 75, 25, kAceptar),
    row("bCancelar", kButton, 317, 298, 75, 25, kCancelar),
};

constexpr TControlSpec kDatos[] = {
    label("lNombre", 8, 8, 200, 5047), edit("eNombre", 8, 24, 360),
    label("lAutor", 8, 52, 200, 5048), edit("eAutor", 8, 68, 360),
    // Each date under its caption, where the longest ("miércoles, 30 de septiembre ...") fits.
    label("lCrea", 8, 96, 200, 5049), label("lblCrea", 24, 112, 344),
    label("lModifica", 8, 130, 200, 5050), label("lblModifica", 24, 146, 344),
    label("lDescripcion", 8, 166, 200, 5051), row("mDescripcion", kMemo, 8, 182, 360, 62),
};

constexpr TControlSpec kArchivos[] = {
    row("lbArchivos", kList, 8, 8, 330, 236),
    speed("sbAbrir", 345, 8),
    speed("sbBorrar", 345, 36),
};

constexpr TControlSpec kDirectorios[] = {
    label("lDirectorio", 8, 8, 300, 5052), edit("eDirectorio", 8, 24, 330), speed("sbDirectorio", 345, 23),
    label("lPlantillas", 8, 56, 300, 5053), edit("ePlantillas", 8, 72, 330), speed("sbPlantilla", 345, 71),
    label("lArchivoModelo", 8, 104, 300, 5054), edit("eArchivoModelo", 8, 120, 330),
    speed("sbArchivoModelo", 345, 119),
};

QWidget* makeControl(const TControlSpec& spec, QWidget* parent, int&)
{
    const QString caption = spec.Caption ? LoadResQString(spec.Caption) : QString();
    switch (spec.Kind) {
    case kLabel: return new QLabel(caption, parent);
    case kEdit: return new QLineEdit(parent);
    case kButton: return new QPushButton(caption, parent);
    case kPages: return new QTabWidget(parent);
    case kMemo: return new QPlainTextEdit(parent);
    case kList: return new QListWidget(parent);
    case kSpeed: return new TSpeedButton(parent);
    default: throw std::logic_error(std::string("project dialog control of no kind: ") + spec.Name);
    }
}

void build(QWidget* parent, std::span<const TControlSpec> rows)
{
    BuildControls(parent, rows, TFormRow{}, makeControl);
}

// A list item's path: the file system's bytes, kept apart from the text shown.
constexpr int kPathRole = Qt::UserRole;

std::string itemPath(const QListWidgetItem* item)
{
    return item->data(kPathRole).toByteArray().toStdString();
}

std::string text(const QLineEdit* edit)
{
    return ToEditorText(edit->text());
}

// A path of an edit as the file system spells it: the name it was given while its text is unchanged.
std::string path(const QLineEdit* edit)
{
    return FilePathOf(edit);
}

} // namespace

std::string TemporaryProjectFileName()
{
    return PrivateRuntimeFolder() + "krptemp-" + std::to_string(getpid()) + ".kr";
}

namespace {

// The process id of a name "krptemp-<id>.kr" spelt exactly so (decimal, no leading zero); 0 for any
// other name.
pid_t temporaryProjectProcess(const std::string& name)
{
    constexpr std::string_view prefix = "krptemp-", suffix = ".kr";
    if (name.size() <= prefix.size() + suffix.size() || !name.starts_with(prefix) || !name.ends_with(suffix))
        return 0;
    const std::string_view digits(name.data() + prefix.size(), name.size() - prefix.size() - suffix.size());
    if (digits.size() > 9 || digits.front() == '0')
        return 0;
    pid_t id = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return 0;
        id = id * 10 + (c - '0');
    }
    return id;
}

} // namespace

void RemoveStaleTemporaryProjects()
{
    std::string folder;
    try {
        folder = PrivateRuntimeFolder();
    } catch (const Exception&) {
        return;
    }
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const pid_t id = temporaryProjectProcess(name);
        if (id <= 0 || id == getpid())
            continue;
        // A process that still runs (ours to signal or not) may be proposing it right now.
        if (kill(id, 0) == 0 || errno != ESRCH)
            continue;
        // Only this user's own regular files: a link is never followed, nor is anything else touched.
        const std::string path = folder + name;
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid())
            unlink(path.c_str());
    }
}

TProjectDialogHook SetProjectDialogHook(TProjectDialogHook hook_)
{
    return TDialogHook<TformProyecto, bool>::Set(std::move(hook_));
}

TformProyecto::TformProyecto(TWindowHost& host) : QDialog(host.HostWindow()), FHost(host)
{
    setObjectName("formProyecto");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(LoadResQString(kCaption));
    setFixedSize(400, 331);
    build(this, kFrame);
    pcProyecto = FormControl<QTabWidget>(this, "pcProyecto");
    bAceptar = FormControl<QPushButton>(this, "bAceptar");
    bCancelar = FormControl<QPushButton>(this, "bCancelar");
    bAceptar->setDefault(true);
    bCancelar->setAutoDefault(false);
    connect(bAceptar, &QPushButton::clicked, this, &QDialog::accept);
    connect(bCancelar, &QPushButton::clicked, this, &QDialog::reject);
    buildPages();
    SetData(ReadProjectData(TIniFile::FromText(""), ProjectDateNow()));
}

TformProyecto::~TformProyecto() = default;

void TformProyecto::buildPages()
{
    struct {
        QWidget*& page;
        const char* name;
        int caption;
        std::span<const TControlSpec> rows;
    } pages[] = {
        {tsDatos, "tsDatos", kDatosPage, kDatos},
        {tsArchivos, "tsArchivos", kArchivosPage, kArchivos},
        {tsDirectorios, "tsDirectorios", kDirectoriosPage, kDirectorios},
    };
    for (auto& p : pages) {
        p.page = new QWidget;
        p.page->setObjectName(p.name);
        pcProyecto->addTab(p.page, LoadResQString(p.caption));
        build(p.page, p.rows);
    }
    eNombre = FormControl<QLineEdit>(tsDatos, "eNombre");
    eAutor = FormControl<QLineEdit>(tsDatos, "eAutor");
    lblCrea = FormControl<QLabel>(tsDatos, "lblCrea");
    lblModifica = FormControl<QLabel>(tsDatos, "lblModifica");
    mDescripcion = FormControl<QPlainTextEdit>(tsDatos, "mDescripcion");
    mDescripcion->installEventFilter(this);
    lbArchivos = FormControl<QListWidget>(tsArchivos, "lbArchivos");
    sbAbrir = FormControl<TSpeedButton>(tsArchivos, "sbAbrir");
    sbBorrar = FormControl<TSpeedButton>(tsArchivos, "sbBorrar");
    eDirectorio = FormControl<QLineEdit>(tsDirectorios, "eDirectorio");
    sbDirectorio = FormControl<TSpeedButton>(tsDirectorios, "sbDirectorio");
    ePlantillas = FormControl<QLineEdit>(tsDirectorios, "ePlantillas");
    sbPlantilla = FormControl<TSpeedButton>(tsDirectorios, "sbPlantilla");
    eArchivoModelo = FormControl<QLineEdit>(tsDirectorios, "eArchivoModelo");
    sbArchivoModelo = FormControl<TSpeedButton>(tsDirectorios, "sbArchivoModelo");

    // The speed buttons draw a glyph strip; the style's own pictures serve as one-image strips.
    const QStyle* look = style();
    const std::pair<TSpeedButton*, QStyle::StandardPixmap> glyphs[] = {
        {sbAbrir, QStyle::SP_DialogOpenButton}, {sbBorrar, QStyle::SP_TrashIcon},
        {sbDirectorio, QStyle::SP_DirOpenIcon}, {sbPlantilla, QStyle::SP_DirOpenIcon},
        {sbArchivoModelo, QStyle::SP_FileIcon},
    };
    for (const auto& [button, picture] : glyphs) {
        button->SetNumGlyphs(1);
        button->SetGlyph(look->standardIcon(picture).pixmap(16, 16));
    }
    sbAbrir->setToolTip(LoadResQString(kAddFilesHint));
    sbBorrar->setToolTip(LoadResQString(kRemoveFileHint));
    const std::pair<TSpeedButton*, void (TformProyecto::*)()> clicks[] = {
        {sbAbrir, &TformProyecto::sbAbrirClick},
        {sbBorrar, &TformProyecto::sbBorrarClick},
        {sbDirectorio, &TformProyecto::sbDirectorioClick},
        {sbPlantilla, &TformProyecto::sbPlantillaClick},
        {sbArchivoModelo, &TformProyecto::sbArchivoModeloClick},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QToolButton::clicked, this, [this, h = handler] { CallHandler(this, [&] { (this->*h)(); }); });
}

// ---------------------------------------------------------------- values

TProjectData TformProyecto::Data() const
{
    TProjectData data;
    data.Nombre = text(eNombre);
    data.Autor = text(eAutor);
    data.FechaCreacion = ToEditorText(lblCrea->text());
    data.UltimaModificacion = ToEditorText(lblModifica->text());
    // The file holds one line.
    data.Descripcion = ToEditorText(mDescripcion->toPlainText().replace(QLatin1Char('\n'), QLatin1Char(' ')));
    data.Directorio = path(eDirectorio);
    data.Plantillas = path(ePlantillas);
    data.ArchivoModelo = path(eArchivoModelo);
    data.Files = Files();
    return data;
}

void TformProyecto::SetData(const TProjectData& data)
{
    eNombre->setText(FromEditorText(data.Nombre));
    eAutor->setText(FromEditorText(data.Autor));
    lblCrea->setText(FromEditorText(data.FechaCreacion));
    lblModifica->setText(FromEditorText(data.UltimaModificacion));
    mDescripcion->setPlainText(FromEditorText(data.Descripcion));
    ShowFilePath(eDirectorio, data.Directorio);
    ShowFilePath(ePlantillas, data.Plantillas);
    ShowFilePath(eArchivoModelo, data.ArchivoModelo);
    lbArchivos->clear();
    for (const TProjectEntry& entry : data.Files)
        addFile(entry);
}

std::vector<TProjectEntry> TformProyecto::Files() const
{
    std::vector<TProjectEntry> files;
    for (int i = 0; i < lbArchivos->count(); ++i) {
        const QListWidgetItem* item = lbArchivos->item(i);
        files.push_back(TProjectEntry{itemPath(item), item->checkState() == Qt::Checked});
    }
    return files;
}

void TformProyecto::addFile(const TProjectEntry& entry)
{
    auto* item = new QListWidgetItem(FromFilePath(entry.Path), lbArchivos);
    item->setData(kPathRole, QByteArray::fromStdString(entry.Path));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(entry.Opens ? Qt::Checked : Qt::Unchecked);
}

// ---------------------------------------------------------------- Execute

bool TformProyecto::showModal()
{
    return TDialogHook<TformProyecto, bool>::Run(*this, DialogHook::TShow::Shown, [this] { return exec() == QDialog::Accepted; });
}

bool TformProyecto::Execute(std::string& FileName)
{
    const std::string now = ProjectDateNow();
    if (FileName.empty()) {
        // The temporary project proposes an author and the files; the name stays the default one.
        // Without a private folder there is no proposal: New Project has said why.
        std::string proposal;
        try {
            proposal = TemporaryProjectFileName();
        } catch (const Exception&) {
        }
        const TProjectData proposed = ReadProjectData(TIniFile(proposal), now);
        eAutor->setText(FromEditorText(proposed.Autor));
        lblCrea->setText(FromEditorText(proposed.FechaCreacion));
        lblModifica->setText(FromEditorText(proposed.UltimaModificacion));
        lbArchivos->clear();
        for (const TProjectEntry& entry : proposed.Files)
            addFile(entry);
    }
    if (!FileName.empty() && FileExists(FileName))
        SetData(ReadProjectData(TIniFile(FileName), now));
    if (!showModal())
        return false;
    std::string target = FileName;
    if (target.empty()) {
        TFileDialogRequest dialog;
        dialog.Save = true;
        dialog.Filter = LoadResString(kProjectFilter);
        dialog.DefaultExt = "kr";
        dialog.InitialDir = path(eDirectorio);
        dialog.FileName = path(eNombre);
        dialog.Options = ofHideReadOnly | ofOverwritePrompt;
        if (!ExecuteFileDialog(FHost.HostWindow(), dialog))
            return false;
        target = dialog.FileName;
    }
    TProjectData data = Data();
    data.UltimaModificacion = ProjectDateNow();
    TIniFile project(target);
    WriteProjectData(project, data);
    try {
        project.UpdateFile();
    } catch (const Exception& error) {
        MessageBox(FHost.HostWindow(), error.Message(), {}, MB_OK | MB_ICONSTOP);
        return false;
    }
    FileName = target;
    return true;
}

// ---------------------------------------------------------------- controls

bool TformProyecto::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == mDescripcion && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        const bool character = !key->text().isEmpty() && key->key() != Qt::Key_Backspace;
        if (enter || (character && mDescripcion->toPlainText().size() >= kMaxDescription)) {
            MessageBeep(kAsterisk);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TformProyecto::sbAbrirClick()
{
    TFileDialogRequest dialog;
    dialog.Filter = LoadResString(kOpenFilter);
    dialog.InitialDir = path(eDirectorio);
    dialog.Options = ofHideReadOnly | ofFileMustExist | ofAllowMultiSelect;
    if (!ExecuteFileDialog(this, dialog))
        return;
    for (const std::string& file : dialog.Files) {
        const std::vector<TProjectEntry> listed = Files();
        if (std::none_of(listed.begin(), listed.end(), [&](const TProjectEntry& e) { return e.Path == file; }) &&
            storable(file))
            addFile(TProjectEntry{file, true});
    }
}

bool TformProyecto::storable(const std::string& path)
{
    if (ProjectStoresPath(path))
        return true;
    MessageBox(this, ProjectRefusesPathText(path), {}, MB_OK | MB_ICONWARNING);
    return false;
}

void TformProyecto::sbBorrarClick()
{
    const int index = lbArchivos->currentRow();
    if (index < 0 || !lbArchivos->currentItem() || !lbArchivos->currentItem()->isSelected())
        return;
    delete lbArchivos->takeItem(index);
    if (lbArchivos->count() > 0)
        lbArchivos->setCurrentRow(std::min(index, lbArchivos->count() - 1));
}

bool TformProyecto::chooseFolder(QLineEdit* edit, int prompt)
{
    TFolderDialog dialog(this);
    dialog.Title = LoadResString(kSelectFolder);
    dialog.Text = LoadResString(prompt);
    dialog.Directory = path(edit);
    if (!dialog.Execute() || !storable(dialog.Directory))
        return false;
    ShowFilePath(edit, dialog.Directory);
    return true;
}

void TformProyecto::sbDirectorioClick()
{
    chooseFolder(eDirectorio, kProjectFolderPrompt);
}

void TformProyecto::sbPlantillaClick()
{
    chooseFolder(ePlantillas, kTemplatesFolderPrompt);
}

void TformProyecto::sbArchivoModeloClick()
{
    const std::string model = path(eArchivoModelo);
    TFileDialogRequest dialog;
    dialog.Filter = LoadResString(kOpenFilter);
    dialog.FilterIndex = 3;
    dialog.InitialDir = ExtractFilePath(model);
    dialog.FileName = ExtractFileName(model);
    dialog.Options = ofHideReadOnly | ofFileMustExist;
    if (ExecuteFileDialog(this, dialog) && storable(dialog.FileName))
        ShowFilePath(eArchivoModelo, dialog.FileName);
}
