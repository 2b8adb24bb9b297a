// TformOpciones: the options dialog, the settings on fifteen pages written back when accepted, and the program's shell verbs turned on and off.
#include "app/dialogs/UFormOpciones.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStyle>
#include <QTableWidget>
#include <QTreeWidget>
#include <algorithm>
#include <span>
#include <stdexcept>
#include <utility>

#include "app/widgets/CodeGrid.h"
#include "app/host/ShellVerbs.h"
#include "app/host/WindowHost.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/TagTable.h"
#include "components/FoldrDlg.h"
#include "platform/Buttons.h"
#include "platform/Controls.h"
#include "platform/DialogHook.h"
#include "platform/FileDialogs.h"
#include "platform/FormSpec.h"
#include "platform/HandlerCall.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "platform/RadioGroup.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kAceptar = 4358;
constexpr int kCancelar = 4359;
constexpr int kSelectFolder = 5059;
constexpr int kTemplatesFolderPrompt = 5061;
constexpr int kCaption = 5750;
constexpr int kTreeNodes = 5751;   // one line per page
constexpr int kPageNames = 5752;   // one line per page
constexpr int kNuevo = 5761;
constexpr int kBorrar = 5762;
constexpr int kBrowserHeaders = 5786;  // then the utilities' and the custom codes' headers, two lines each
constexpr int kProgramFilter = 5789;
constexpr int kModelFilter = 5790;
constexpr int kPaletteFilter = 5791;
constexpr int kHelpFilter = 5792;
constexpr int kLibraryFilter = 5793;
// Where the system keeps its programs: the program chooser's folder when its cell names none.
constexpr const char* kSystemProgramsFolder = "/usr/bin/";

enum TKind : int { kLabel, kEdit, kButton, kCheck, kRadio, kGrid, kSpeed, kTitle, kTree, kBook, kText };

constexpr int kCheckHeight = 17;
constexpr int kLabelHeight = 16;
constexpr int kEditHeight = 21;
constexpr int kSpeedSize = 23;
constexpr int kPageWidth = 376;
constexpr int kPageHeight = 302;
constexpr int kClientWidth = 560;
constexpr int kClientHeight = 379;

constexpr TControlSpec row(const char* name, TKind kind, int x, int y, int w, int h, int caption = 0, int tag = 0)
{
    return {.Name = name, .Kind = kind, .Tag = tag, .Left = x, .Width = w, .Top = y, .Height = h, .Caption = caption};
}
constexpr TControlSpec check(const char* name, int y, int caption)
{
    return row(name, kCheck, 8, y, 360, kCheckHeight, caption);
}
// A radio group's items are the entry after its title's.
constexpr TControlSpec radio(const char* name, int y, int h, int caption)
{
    return row(name, kRadio, 8, y, 360, h, caption);
}
constexpr TControlSpec label(const char* name, int y, int caption)
{
    return row(name, kLabel, 8, y, 360, kLabelHeight, caption);
}
// An edit with the speed button that chooses its file or folder.
constexpr TControlSpec edit(const char* name, int y)
{
    return row(name, kEdit, 8, y, 331, kEditHeight);
}
constexpr TControlSpec chooser(const char* name, int y)
{
    return row(name, kSpeed, 345, y - 1, kSpeedSize, kSpeedSize);
}
constexpr TControlSpec grid(const char* name, int tag)
{
    return row(name, kGrid, 8, 8, 360, 250, 0, tag);
}
constexpr TControlSpec gridButton(const char* name, int x, int caption, int tag)
{
    return row(name, kSpeed, x, 266, 75, 25, caption, tag);
}

constexpr TControlSpec kFrame[] = {
    row("TreeView1", kTree, 8, 8, 160, 330),
    row("stTitulo", kTitle, 176, 8, kPageWidth, 22),
    row("bookOpciones", kBook, 176, 36, kPageWidth, kPageHeight),
    row("bAceptar", kButton, 396, 346, 75, 25, kAceptar),
    row("bCancelar", kButton, 477, 346, 75, 25, kCancelar),
};

constexpr TControlSpec kGeneral[] = {
    check("MyMakeBackups", 8, 5753), check("MySaveWindow", 30, 5754), radio("MyInitialFile", 56, 110, 5755),
    check("MySaveCheckBoxes", 176, 5757), check("MyAddOpenFiles", 198, 5758),
};
constexpr TControlSpec kNavegador[] = {radio("MyBrowserMode", 8, 90, 5759)};
constexpr TControlSpec kNavegadores[] = {
    grid("sgNavegadores", 0), gridButton("sbNuevoNav", 212, kNuevo, 0), gridButton("sbBorrarNav", 293, kBorrar, 0),
};
constexpr TControlSpec kUtilidades[] = {
    grid("sgUtilidades", 1), gridButton("sbNuevaUtil", 212, kNuevo, 1), gridButton("sbBorrarUtil", 293, kBorrar, 1),
};
constexpr TControlSpec kArchivos[] = {
    radio("MyNewFile", 8, 70, 5763), label("lNewFileModel", 86, 5765), edit("MyNewFileModel", 104),
    chooser("sbDirsModelo", 104), radio("myDefaultParser", 136, 90, 5766),
};
constexpr TControlSpec kPlantillas[] = {
    label("lLibraryDir", 8, 5768), edit("MyLibraryDir", 26), chooser("sbLibraryDir", 26),
};
constexpr TControlSpec kPaleta[] = {
    radio("MyUseCustomPalette", 8, 70, 5769), label("lCustomPalette", 86, 5796), edit("MyCustomPalette", 104),
    chooser("sbDirsPaleta", 104),
};
constexpr TControlSpec kLibreria[] = {
    check("MyInsSpecChar", 8, 5771), label("lCharacterLib", 34, 5772), edit("MyCharacterLib", 52),
    chooser("sbCharacterLib", 52),
};
constexpr TControlSpec kPeso[] = {
    row("lFileWeighExt", kText, 8, 8, 360, 48, 5773), row("MyFileWeighExt", kEdit, 8, 60, 360, kEditHeight),
};
constexpr TControlSpec kEditor[] = {
    check("MyQuickTag", 8, 5774), radio("MyInsUppercase", 30, 130, 5775), radio("MyInsertDirs", 166, 90, 5777),
};
constexpr TControlSpec kCodigos[] = {
    grid("sgCustomTags", 2), gridButton("sbNuevoTags", 212, kNuevo, 2), gridButton("sbBorrarTags", 293, kBorrar, 2),
};
constexpr TControlSpec kFecha[] = {radio("rgFecha", 8, 110, 5779)};
constexpr TControlSpec kPortapapeles[] = {check("MyInsHtmlData", 8, 5781)};
constexpr TControlSpec kAyuda[] = {
    label("lTopicHelp", 8, 5782), edit("MyTopicHelp", 26), chooser("sbDirsAyuda", 26), check("MyShowTips", 56, 5783),
};
constexpr TControlSpec kSistema[] = {
    check("chMenuEditar", 8, 5784), check("chMenuNuevo", 30, kNuevo), check("chMenuProyecto", 52, 5785),
};

const std::span<const TControlSpec> kPages[TformOpciones::kPageCount] = {
    kGeneral, kNavegador, kNavegadores, kUtilidades, kArchivos, kPlantillas, kPaleta, kLibreria,
    kPeso, kEditor, kCodigos, kFecha, kPortapapeles, kAyuda, kSistema,
};

QStringList resLines(int id)
{
    const TStringList lines = LinesOf(LoadResString(id));
    QStringList result;
    for (int i = 0; i < lines.Count(); ++i)
        result << FromEditorText(lines[i]);
    return result;
}

QWidget* makeControl(const TControlSpec& spec, QWidget* parent, int&)
{
    const QString caption = spec.Caption ? LoadResQString(spec.Caption) : QString();
    switch (spec.Kind) {
    case kLabel: return new QLabel(caption, parent);
    case kText: {
        auto* text = new QLabel(caption, parent);
        text->setWordWrap(true);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return text;
    }
    case kTitle: {
        auto* title = new QLabel(parent);
        title->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        return title;
    }
    case kEdit: return new QLineEdit(parent);
    case kButton: return new QPushButton(caption, parent);
    case kCheck: return new QCheckBox(caption, parent);
    case kRadio: return new TRadioGroup(caption, resLines(spec.Caption + 1), parent);
    case kGrid: return new QTableWidget(1, 3, parent);
    case kSpeed: {
        auto* button = new TSpeedButton(parent);
        button->setText(caption);
        return button;
    }
    case kTree: return new QTreeWidget(parent);
    case kBook: return new QStackedWidget(parent);
    default: throw std::logic_error(std::string("options dialog control of no kind: ") + spec.Name);
    }
}

// The settings that check boxes and edits show, each bound to its field.
using TCheckField = std::pair<QCheckBox* TformOpciones::*, bool TKestrimaConfig::*>;
constexpr TCheckField kChecks[] = {
    {&TformOpciones::MyMakeBackups, &TKestrimaConfig::MakeBackups},
    {&TformOpciones::MySaveWindow, &TKestrimaConfig::SaveWindow},
    {&TformOpciones::MySaveCheckBoxes, &TKestrimaConfig::SaveCheckBoxes},
    {&TformOpciones::MyAddOpenFiles, &TKestrimaConfig::AddOpenFiles},
    {&TformOpciones::MyInsSpecChar, &TKestrimaConfig::InsSpecChar},
    {&TformOpciones::MyQuickTag, &TKestrimaConfig::QuickTag},
    {&TformOpciones::MyInsHtmlData, &TKestrimaConfig::InsHtmlData},
    {&TformOpciones::MyShowTips, &TKestrimaConfig::ShowTips},
};
struct TEditField {
    QLineEdit* TformOpciones::*Edit;
    std::string TKestrimaConfig::*Field;
    // A file or folder name, kept as the file system spells it; else text.
    bool Path;
};
constexpr TEditField kEdits[] = {
    {&TformOpciones::MyNewFileModel, &TKestrimaConfig::NewFileModel, true},
    {&TformOpciones::MyLibraryDir, &TKestrimaConfig::LibraryDir, true},
    {&TformOpciones::MyCustomPalette, &TKestrimaConfig::CustomPalette, true},
    {&TformOpciones::MyCharacterLib, &TKestrimaConfig::CharacterLib, true},
    {&TformOpciones::MyFileWeighExt, &TKestrimaConfig::FileWeighExt, false},
    {&TformOpciones::MyTopicHelp, &TKestrimaConfig::TopicHelp, true},
};

// The groups whose field holds a choice of a fixed range: an index outside it (none chosen) is not written.
template <class T>
void writeRanged(const TRadioGroup* group, T& field, int last)
{
    const int index = group->ItemIndex();
    if (index >= 0 && index <= last)
        field = static_cast<T>(index);
}

// The name an edit holds: the one it was given while its text is unchanged.
std::string editPath(const QLineEdit* edit)
{
    return FilePathOf(edit);
}

} // namespace

TOptionsDialogHook SetOptionsDialogHook(TOptionsDialogHook hook_)
{
    return TDialogHook<TformOpciones, bool>::Set(std::move(hook_));
}

TformOpciones::TformOpciones(TWindowHost& host) : QDialog(host.HostWindow()), FHost(host)
{
    setObjectName("formOpciones");
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(LoadResQString(kCaption));
    setProperty("HelpContext", kHelpContext);
    setFixedSize(kClientWidth, kClientHeight);
    buildControls();
    FormCreate();
    CenterOnScreen(this);
}

TformOpciones::~TformOpciones() = default;

void TformOpciones::buildControls()
{
    BuildControls(this, kFrame, TFormRow{}, makeControl);
    TreeView1 = FormControl<QTreeWidget>(this, "TreeView1");
    stTitulo = FormControl<QLabel>(this, "stTitulo");
    bookOpciones = FormControl<QStackedWidget>(this, "bookOpciones");
    bAceptar = FormControl<QPushButton>(this, "bAceptar");
    bCancelar = FormControl<QPushButton>(this, "bCancelar");
    bAceptar->setDefault(true);
    bCancelar->setAutoDefault(false);
    connect(bAceptar, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { Aceptar(); }); });
    connect(bCancelar, &QPushButton::clicked, this, [this] { Cancelar(); });

    TreeView1->setHeaderHidden(true);
    TreeView1->setRootIsDecorated(false);
    TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (const QString& node : resLines(kTreeNodes))
        TreeView1->addTopLevelItem(new QTreeWidgetItem(QStringList{node}));
    connect(TreeView1, &QTreeWidget::currentItemChanged, this, [this] { TreeView1Change(); });
    for (int i = 0; i < kPageCount; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QStringLiteral("page%1").arg(i));
        bookOpciones->addWidget(page);
        BuildControls(page, kPages[i], TFormRow{}, makeControl);
    }

    const auto find = [this]<class T>(T*& control, const char* name) { control = FormControl<T>(bookOpciones, name); };
    find(MyMakeBackups, "MyMakeBackups");
    find(MySaveWindow, "MySaveWindow");
    find(MyInitialFile, "MyInitialFile");
    find(MySaveCheckBoxes, "MySaveCheckBoxes");
    find(MyAddOpenFiles, "MyAddOpenFiles");
    find(MyBrowserMode, "MyBrowserMode");
    find(sgNavegadores, "sgNavegadores");
    find(sbNuevoNav, "sbNuevoNav");
    find(sbBorrarNav, "sbBorrarNav");
    find(sgUtilidades, "sgUtilidades");
    find(sbNuevaUtil, "sbNuevaUtil");
    find(sbBorrarUtil, "sbBorrarUtil");
    find(MyNewFile, "MyNewFile");
    find(MyNewFileModel, "MyNewFileModel");
    find(sbDirsModelo, "sbDirsModelo");
    find(myDefaultParser, "myDefaultParser");
    find(MyLibraryDir, "MyLibraryDir");
    find(sbLibraryDir, "sbLibraryDir");
    find(MyUseCustomPalette, "MyUseCustomPalette");
    find(MyCustomPalette, "MyCustomPalette");
    find(sbDirsPaleta, "sbDirsPaleta");
    find(MyInsSpecChar, "MyInsSpecChar");
    find(MyCharacterLib, "MyCharacterLib");
    find(sbCharacterLib, "sbCharacterLib");
    find(MyFileWeighExt, "MyFileWeighExt");
    find(MyQuickTag, "MyQuickTag");
    find(MyInsUppercase, "MyInsUppercase");
    find(MyInsertDirs, "MyInsertDirs");
    find(sgCustomTags, "sgCustomTags");
    find(sbNuevoTags, "sbNuevoTags");
    find(sbBorrarTags, "sbBorrarTags");
    find(rgFecha, "rgFecha");
    find(MyInsHtmlData, "MyInsHtmlData");
    find(MyTopicHelp, "MyTopicHelp");
    find(sbDirsAyuda, "sbDirsAyuda");
    find(MyShowTips, "MyShowTips");
    find(chMenuEditar, "chMenuEditar");
    find(chMenuNuevo, "chMenuNuevo");
    find(chMenuProyecto, "chMenuProyecto");
    // Kept for the settings they carry, not offered to the user.
    MySaveCheckBoxes->hide();
    MySaveCheckBoxes->setEnabled(false);
    MyAddOpenFiles->hide();

    QTableWidget* grids[] = {sgNavegadores, sgUtilidades, sgCustomTags};
    for (int i = 0; i < 3; ++i)
        buildGrid(grids[i], kBrowserHeaders + i);

    // The choosers show the style's folder and file pictures as one-image strips.
    const QStyle* look = style();
    for (TSpeedButton* button : {sbDirsModelo, sbLibraryDir, sbDirsPaleta, sbCharacterLib, sbDirsAyuda}) {
        button->SetNumGlyphs(1);
        button->SetGlyph(look->standardIcon(button == sbLibraryDir ? QStyle::SP_DirOpenIcon : QStyle::SP_FileIcon)
                             .pixmap(16, 16));
    }
    const std::pair<TSpeedButton*, void (TformOpciones::*)()> clicks[] = {
        {sbDirsModelo, &TformOpciones::sbDirsModeloClick}, {sbLibraryDir, &TformOpciones::sbLibraryDirClick},
        {sbDirsPaleta, &TformOpciones::sbDirsPaletaClick}, {sbCharacterLib, &TformOpciones::sbCharacterLibClick},
        {sbDirsAyuda, &TformOpciones::sbDirsAyudaClick},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QToolButton::clicked, this, [this, h = handler] { CallHandler(this, [&] { (this->*h)(); }); });
    for (TSpeedButton* button : {sbNuevoNav, sbNuevaUtil, sbNuevoTags})
        connect(button, &QToolButton::clicked, this, [this, button] { sbNuevoClick(button); });
    for (TSpeedButton* button : {sbBorrarNav, sbBorrarUtil, sbBorrarTags})
        connect(button, &QToolButton::clicked, this, [this, button] { sbBorrarClick(button); });
}

void TformOpciones::buildGrid(QTableWidget* grid, int headers)
{
    SetUpCodeGrid(grid, resLines(headers), sgNavegadores->width());
    connect(grid, &QTableWidget::cellDoubleClicked, this, [this, grid](int row, int col) {
        if (grid == sgCustomTags) {
            // A new row's cells hold no item yet: the cell is edited by its place.
            if (col > 0)
                grid->edit(grid->model()->index(row, col));
            return;
        }
        CallHandler(this, [&] { sgOpenDblClick(grid, row + 1, col); });
    });
    connect(grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this, grid](int section) {
        if (section == 1)
            sgNavegadoresDrawCell(grid);
    });
    grid->installEventFilter(this);
}

// ---------------------------------------------------------------- grids

std::string TformOpciones::Cells(const QTableWidget* grid, int col, int row)
{
    return GridCells(grid, col, row);
}

void TformOpciones::SetCells(QTableWidget* grid, int col, int row, const std::string& text)
{
    SetGridCells(grid, col, row, text);
}

int TformOpciones::RowCount(const QTableWidget* grid)
{
    return GridRowCount(grid);
}

int TformOpciones::Row(const QTableWidget* grid)
{
    return GridRow(grid);
}

QTableWidget* TformOpciones::gridOf(QObject* Sender) const
{
    switch (Sender ? Sender->property("Tag").toInt() : -1) {
    case 0: return sgNavegadores;
    case 1: return sgUtilidades;
    case 2: return sgCustomTags;
    default: return nullptr;
    }
}

void TformOpciones::fillGrid(QTableWidget* grid, const TStringList& names, const TStringList& values, bool paths)
{
    FillCodeGrid(grid, names, values, paths);
}

void TformOpciones::readGrid(const QTableWidget* grid, TStringList& names, TStringList& values, bool paths) const
{
    ReadCodeGrid(grid, names, values, paths);
}

void TformOpciones::sbNuevoClick(QObject* Sender)
{
    if (QTableWidget* grid = gridOf(Sender))
        AddCodeGridRow(grid);
}

void TformOpciones::sbBorrarClick(QObject* Sender)
{
    if (QTableWidget* grid = gridOf(Sender))
        DeleteCodeGridRow(grid);
}

void TformOpciones::sgOpenDblClick(QTableWidget* Sender, int row, int col)
{
    if (col != 2 || row < 1 || row >= RowCount(Sender))
        return;
    const std::string current = GridFilePath(Sender, 2, row);
    TFileDialogRequest dialog;
    dialog.Filter = LoadResString(kProgramFilter);
    // Its first entry lists the programs of this system, which have no extension of their own.
    dialog.ProgramsFilter = 1;
    // The folder of the cell's program; a bare name, an empty cell or a folder that is gone would
    // leave the dialog in the folder the program was started from, where no programs are.
    const std::string folder = ExtractFilePath(current);
    dialog.InitialDir = !folder.empty() && PathExists(folder) ? folder : kSystemProgramsFolder;
    dialog.FileName = ExtractFileName(current);
    dialog.Options = ofHideReadOnly | ofFileMustExist;
    if (ExecuteFileDialog(this, dialog))
        SetGridFilePath(Sender, 2, row, dialog.FileName);
}

void TformOpciones::sgNavegadoresDrawCell(QTableWidget* Sender)
{
    FitCodeGridColumns(Sender);
}

bool TformOpciones::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize)
        for (QTableWidget* grid : {sgNavegadores, sgUtilidades, sgCustomTags})
            if (watched == grid)
                sgNavegadoresDrawCell(grid);
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- opening

void TformOpciones::FormCreate()
{
    const TKestrimaConfig& config = FHost.Config();
    for (const auto& [box, field] : kChecks)
        (this->*box)->setChecked(config.*field);
    for (const TEditField& e : kEdits)
        if (e.Path)
            ShowFilePath(this->*e.Edit, config.*e.Field);
        else
            (this->*e.Edit)->setText(FromEditorText(config.*e.Field));
    MyInitialFile->SetItemIndex(config.InitialFile);
    MyBrowserMode->SetItemIndex(config.BrowserMode);
    MyNewFile->SetItemIndex(config.NewFile);
    myDefaultParser->SetItemIndex(config.DefaultParser);
    MyUseCustomPalette->SetItemIndex(config.UseCustomPalette ? 1 : 0);
    MyInsUppercase->SetItemIndex(config.InsCaseMode);
    MyInsertDirs->SetItemIndex(config.InsertDirs);
    rgFecha->SetItemIndex(config.DateFormat);

    // The browsers' and the utilities' values are their programs' paths.
    fillGrid(sgNavegadores, config.BrwNames, config.BrwValues, true);
    fillGrid(sgUtilidades, config.UtilNames, config.UtilValues, true);
    fillGrid(sgCustomTags, config.TagNames, config.TagValues);

    const std::pair<QCheckBox*, TShellVerbKind> verbs[] = {
        {chMenuEditar, TShellVerbKind::EditPage}, {chMenuNuevo, TShellVerbKind::NewPage},
        {chMenuProyecto, TShellVerbKind::OpenProject},
    };
    for (const auto& [box, kind] : verbs) {
        const bool registered = ShellVerbRegistered(kind);
        box->setChecked(registered);
        box->setProperty("Tag", registered ? 1 : 0);
    }
}

void TformOpciones::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TformOpciones::FormShow()
{
    TreeView1->setCurrentItem(TreeView1->topLevelItem(0));
    TreeView1Change();
}

void TformOpciones::TreeView1Change()
{
    const int index = std::max(0, TreeView1->indexOfTopLevelItem(TreeView1->currentItem()));
    bookOpciones->setCurrentIndex(index);
    stTitulo->setText(QLatin1Char(' ') + resLines(kPageNames).value(index));
}

void TformOpciones::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        ShowControlHelp(focusWidget() ? focusWidget() : this);
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------- choosers

void TformOpciones::chooseFile(QLineEdit* edit, int filter)
{
    TFileDialogRequest dialog;
    dialog.Filter = LoadResString(filter);
    dialog.InitialDir = ExtractFilePath(editPath(edit));
    dialog.Options = ofHideReadOnly | ofFileMustExist;
    if (ExecuteFileDialog(this, dialog))
        ShowFilePath(edit, dialog.FileName);
}

void TformOpciones::sbDirsModeloClick()
{
    chooseFile(MyNewFileModel, kModelFilter);
}

void TformOpciones::sbDirsPaletaClick()
{
    chooseFile(MyCustomPalette, kPaletteFilter);
}

void TformOpciones::sbDirsAyudaClick()
{
    chooseFile(MyTopicHelp, kHelpFilter);
}

void TformOpciones::sbCharacterLibClick()
{
    chooseFile(MyCharacterLib, kLibraryFilter);
}

void TformOpciones::sbLibraryDirClick()
{
    TFolderDialog dialog(this);
    dialog.Title = LoadResString(kSelectFolder);
    dialog.Text = LoadResString(kTemplatesFolderPrompt);
    dialog.Directory = editPath(MyLibraryDir);
    if (dialog.Execute())
        ShowFilePath(MyLibraryDir, dialog.Directory);
}

// ---------------------------------------------------------------- closing

bool TformOpciones::Execute()
{
    return TDialogHook<TformOpciones, bool>::Run(*this, DialogHook::TShow::Shown, [this] { return exec() == QDialog::Accepted; },
                                                 [this](bool accepted) { accepted ? Aceptar() : Cancelar(); });
}

void TformOpciones::Aceptar()
{
    TKestrimaConfig& config = FHost.Config();
    writeRanged(MyInitialFile, config.InitialFile, 3);
    writeRanged(MyNewFile, config.NewFile, 2);
    writeRanged(MyInsertDirs, config.InsertDirs, 2);
    writeRanged(MyBrowserMode, config.BrowserMode, 2);
    // These fields are read as a letter case, a date format and an editor kind: no item chosen (-1)
    // would be none of them, so the field keeps its value then.
    writeRanged(MyInsUppercase, config.InsCaseMode, MyInsUppercase->Count() - 1);
    writeRanged(rgFecha, config.DateFormat, rgFecha->Count() - 1);
    writeRanged(myDefaultParser, config.DefaultParser, myDefaultParser->Count() - 1);
    config.UseCustomPalette = MyUseCustomPalette->ItemIndex() == 1;
    for (const auto& [box, field] : kChecks)
        config.*field = (this->*box)->isChecked();
    for (const TEditField& e : kEdits)
        config.*e.Field = e.Path ? editPath(this->*e.Edit) : ToEditorText((this->*e.Edit)->text());
    readGrid(sgNavegadores, config.BrwNames, config.BrwValues, true);
    readGrid(sgUtilidades, config.UtilNames, config.UtilValues, true);
    readGrid(sgCustomTags, config.TagNames, config.TagValues);
    // The settings above stand whatever happens to the verbs.
    changeShellVerbs();
    accept();
}

void TformOpciones::changeShellVerbs()
{
    const std::pair<QCheckBox*, TShellVerbKind> verbs[] = {
        {chMenuEditar, TShellVerbKind::EditPage}, {chMenuNuevo, TShellVerbKind::NewPage},
        {chMenuProyecto, TShellVerbKind::OpenProject},
    };
    // A store that cannot be written fails every verb alike: the user hears of it once.
    std::string failure;
    for (const auto& [box, kind] : verbs) {
        const bool wanted = box->isChecked();
        if (wanted == (box->property("Tag").toInt() == 1))
            continue;
        try {
            ChangeShellVerb(this, kind, wanted);
        } catch (const Exception& e) {
            if (failure.empty())
                failure = e.Message();
            continue;
        }
        if (failure.empty())
            failure = RegistrySaveProblem();
    }
    if (!failure.empty())
        MessageBox(this, failure, {}, MB_OK | MB_ICONSTOP);
}

void TformOpciones::Cancelar()
{
    reject();
}
