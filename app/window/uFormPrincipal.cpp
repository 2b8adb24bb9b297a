// The main window of the program: the shared editor, its three highlighting languages, the settings, the menus, the status bar and the opening of files.
#include "app/window/uFormPrincipal.h"

#include "app/window/AuxiliaryEditor.h"
#include "app/host/EditingFile.h"
#include "app/panels/SidePanel.h"
#include "app/dialogs/UFormPaleta.h"
#include "app/dialogs/UFormProyecto.h"
#include "app/model/CodigosISO.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/libKestrima.h"
#include "app/window/uFormPrincipalTools.h"
#include "app/model/u_ddemacro.h"

#include <algorithm>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QShowEvent>
#include <QSplitter>
#include <QVBoxLayout>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <filesystem>

#include "components/FormPlace.h"
#include "components/KrCtrls.h"
#include "editor/CodeMemo.h"
#include "editor/model/Templates.h"
#include "highlight/CodeMemoParser.h"
#include "platform/ColorDialog.h"
#include "platform/Help.h"
#include "platform/MessageBox.h"
#include "platform/core/Classes.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"

namespace {

constexpr int kFileCannotBeOpened = 4400;
constexpr int kHideToolBar = 4460;
constexpr int kHideSidePanel = 4461;
constexpr int kOpenAuxiliaryEditor = 4462;
constexpr int kMenuArchivo = 4470;  // then Edición, Ver, Selección, Insertar, Herramientas, Utilidades, Navegadores, Ayuda
constexpr int kMenuOtrosTags = 4479;
constexpr int kCaretPanelText = 4480;
constexpr int kHelpHint = 4481;
// The texts the status bar's panels show.
constexpr int kModified = 4508;
constexpr int kReadOnly = 4509;
constexpr int kInsert = 4510;
constexpr int kOverwrite = 4511;
constexpr int kCaretPosition = 4512;
constexpr int kAuxiliaryPanel = 6155;
constexpr int kFirstWidth = 800;
constexpr int kFirstHeight = 600;

// Least widths of the status bar's panels, from panel 1; panel 0 is as wide as its buttons.
constexpr int kPanelWidths[] = {75, 75, 75, 300};

std::string folderOf(const std::string& fileName)
{
    return std::filesystem::path(fileName).parent_path().string();
}

// The pictures of the status-bar buttons: a small window showing the part each button shows or hides.
enum class TStatusGlyph { ToolBar, SidePanel, AuxiliaryEditor };

QImage statusGlyph(TStatusGlyph kind)
{
    constexpr int kSize = 12;
    // Fuchsia is the background the button leaves transparent: the strip's bottom-left pixel.
    QImage glyph(kSize, kSize, QImage::Format_RGB32);
    glyph.fill(QColor(255, 0, 255));
    QPainter painter(&glyph);
    const QColor frame(0, 0, 0);
    const QColor page(255, 255, 255);
    const QColor part(0, 0, 128);
    painter.fillRect(0, 1, kSize, kSize - 2, frame);
    painter.fillRect(1, 2, kSize - 2, kSize - 4, page);
    switch (kind) {
    case TStatusGlyph::ToolBar:
        painter.fillRect(1, 2, kSize - 2, 3, part);
        break;
    case TStatusGlyph::SidePanel:
        painter.fillRect(1, 2, 4, kSize - 4, part);
        break;
    case TStatusGlyph::AuxiliaryEditor:
        painter.fillRect(1, kSize / 2, kSize - 2, 1, frame);
        painter.fillRect(1, kSize / 2 + 1, kSize - 2, kSize / 2 - 3, part);
        break;
    }
    return glyph;
}

TKrSpeedButton* makeStatusButton(QWidget* parent, const char* name, TStatusGlyph kind, int hint)
{
    auto* button = new TKrSpeedButton(parent);
    button->setObjectName(name);
    button->SetFlat(true);
    // The bar's own background shows around the picture.
    button->SetTransparent(true);
    button->SetGlyph(statusGlyph(kind));
    button->SetHint(LoadResString(hint));
    button->Loaded();
    return button;
}

// Parser messages separate their lines with LF CR; a Qt label would show the CR.
void showParserInformation(const std::string& text)
{
    std::string message = text;
    std::erase(message, '\r');
    MessageBox(nullptr, message, {}, MB_OK | MB_ICONINFORMATION);
}

// Gives the parser the tables the build compiled from the shipped script `script`.
void loadShippedTables(TCodeMemoParser& parser, const char* script)
{
    const std::string resource = Format(":/parsers/%s.tbl", script);
    QFile file(FromEditorText(resource));
    if (!file.open(QIODevice::ReadOnly))
        throw EFOpenError(FmtLoadStr(kFileCannotBeOpened, resource.c_str()));
    const QByteArray bytes = file.readAll();
    TCustomMemoryStream stream(bytes.constData(), bytes.size());
    parser.LoadParserData(stream);
}

std::unique_ptr<TCodeMemoParser> makeParser(const char* name, const char* registryKey)
{
    auto parser = std::make_unique<TCodeMemoParser>();
    parser->Name = name;
    parser->RegistryKey = registryKey;
    parser->UseRegistry = true;
    return parser;
}

// Gives the language its shipped tables, then what the user stored for it: the options dialog saves
// any of the three languages. A failure is reported over `window`; the editor still works with the
// language empty (its text uncoloured), or as compiled when a stored value was broken.
void loadLanguage(QWidget* window, TCodeMemoParser& parser, const char* script)
{
    try {
        loadShippedTables(parser, script);
    } catch (const Exception& e) {
        MessageBox(window, e.Message(), {}, MB_OK | MB_ICONSTOP);
        return;
    }
    try {
        parser.LoadFromRegistry(true, "");
    } catch (const Exception& e) {
        MessageBox(window, e.Message(), {}, MB_OK | MB_ICONSTOP);
        // What a broken value left half applied goes: the language starts as compiled. The tables
        // loaded a moment ago, so they load again.
        loadShippedTables(parser, script);
    }
}

} // namespace

TformPrincipal* formPrincipal = nullptr;

TformPrincipal::TformPrincipal(std::vector<std::string> arguments, QWidget* parent)
    : QMainWindow(parent),
      FHTMLParser(makeParser("HTMLParser", "Software\\Dremal\\Kestrima\\ParserHTML")),
      FTextParser(makeParser("TextParser", "Software\\Dremal\\Kestrima\\ParserTEXT")),
      FJavaParser(makeParser("JavaParser", "Software\\Dremal\\Kestrima\\ParserJAVA")),
      FConfig(std::make_unique<TKestrimaConfig>()),
      FArguments(std::move(arguments))
{
    formPrincipal = this;
    setObjectName("formPrincipal");
    FCommands = std::make_unique<TCommandTable>(this);
    setWindowTitle("Kestrima");
    // Until the first show has opened the documents, loading text is not an edit.
    Ocupado = true;
    FConfig->Load();
    RemoveStaleTemporaryProjects();
    TCodeMemoParser::SetInformationBox(showParserInformation);

    FCodeMemo = new TCodeMemo(this);
    FCodeMemo->setObjectName("CodeMemo");
    // Printing and the preview follow from the start the page that Preparar página shows first.
    FCodeMemo->SetStartPageSetup(StartPageSetup());
    buildLayout();
    FCodeMemo->SetParser1(FHTMLParser.get());
    FCodeMemo->SetParser2(FTextParser.get());
    FCodeMemo->SetParser3(FJavaParser.get());

    buildMenus();
    buildStatusBar();
    buildFileTabs();
    buildFileCommands();
    buildRecentFiles();
    buildProjectCommands();
    buildDdeServer();
    FsbBarra = makeStatusButton(FBarraEstado, "sbBarra", TStatusGlyph::ToolBar, kHideToolBar);
    FsbLateral = makeStatusButton(FBarraEstado, "sbLateral", TStatusGlyph::SidePanel, kHideSidePanel);
    FsbAuxiliar = makeStatusButton(FBarraEstado, "sbAuxiliar", TStatusGlyph::AuxiliaryEditor, kOpenAuxiliaryEditor);
    placeStatusButtons();
    for (TKrSpeedButton* button : {FsbBarra, FsbLateral, FsbAuxiliar})
        FCommands->Bind(button, button->objectName().toStdString()); // Not editor text: a control's name
    CreaHerramientas();
    CreaPanelLateral();
    CreaPaginaTag();
    // The first size shows every tool page whole.
    resize(std::max(kFirstWidth, ToolPagesWidth(*FHerramientas)), kFirstHeight);

    // The languages are loaded once the editor holds them: loading refreshes the editors that hold
    // a language, so the editor takes each one's settings at once. Pages are the editor's language
    // at start; the text and script languages are read when a document first shows in them or
    // they are first asked for.
    loadLanguage(this, *FHTMLParser, "html");
    FTextParser->LoadOnFirstUse([this] { loadLanguage(this, *FTextParser, "text"); });
    FJavaParser->LoadOnFirstUse([this] { loadLanguage(this, *FJavaParser, "javascript"); });
    rebuildSettingsMenus();
    loadSupportFiles();
    buildCommands();
    buildBrowserCommands();
    buildHelpAndTools();
    buildEditorCommands();
    buildFormStorage();
    buildSpeedBar();
    buildTipsAndAbout();
    FCodeMemo->setFocus();
}

TCodeMemoParser& TformPrincipal::loaded(TCodeMemoParser& parser)
{
    parser.EnsureLoaded();
    return parser;
}

void TformPrincipal::buildFormStorage()
{
    SetMainForm(this);
    FFormStorage = new TFormStorage(this);
    FFormStorage->setObjectName("FormStorage");
    FFormStorage->SetIniFileName("Software\\Dremal\\Kestrima");
    FFormStorage->SetIniSection("Form");
    FFormStorage->SetUseRegistry(true);
    // Lines whose component the window does not have are dropped when the list is set.
    TStringList props;
    for (const char* line :
         {"cbLibreria.Items", "cbLibreria.Tag", "shLibreriaFiles.Strings", "cbLibreria.Hint", "cbBGSound.Items",
          "cbJavaParam.Items", "cbJavaValue.Items", "spLateral.Tag", "mVerLateral.Checked", "mVerBarra.Checked",
          "cbLinks.Items", "cbNameLinks.Items", "cbTargetLink.Items", "cbFilter.Tag", "eLibreria.Hint",
          "eLibreria.Text", "CodeMemo.WordWrap", "pBotones.Width", "ColorDialog.CustomColors"})
        props.Add(line);
    FFormStorage->SetStoredProps(props);
    // The libraries' names and paths are file names: stored as the file system spells them.
    TStringList paths;
    for (const char* line : {"cbLibreria.Items", "shLibreriaFiles.Strings", "cbLibreria.Hint", "eLibreria.Hint", "eLibreria.Text"})
        paths.Add(line);
    FFormStorage->SetPathProps(paths);
    // The View items start from the panels as built, for the store to keep and the restore to apply.
    for (const auto& [which, itemName] :
         {std::pair{TViewPanel::ToolPages, "mVerBarra"}, std::pair{TViewPanel::SidePanel, "mVerLateral"}})
        if (QWidget* panel = FilledPanel(which))
            FCommands->Action(itemName)->setChecked(!panel->isHidden());
    FFormStorage->OnRestorePlacement = [this](QObject*) { FormStorageRestorePlacement(); };
    FFormStorage->Loaded();
}

TformPrincipal::~TformPrincipal()
{
    freeDocuments();
    if (formPrincipal == this)
        formPrincipal = nullptr;
}

void TformPrincipal::buildMenus()
{
    // The menu bar's menus in their order; their captions follow each other in the string table.
    const std::pair<QMenu* TMenus::*, const char*> bar[] = {
        {&TMenus::mArchivo, "mArchivo"},         {&TMenus::mEdicion, "mEdicion"},
        {&TMenus::mVer, "mVer"},                 {&TMenus::mSeleccion, "mSeleccion"},
        {&TMenus::mInsertar, "mInsertar"},       {&TMenus::mHerramientas, "mHerramientas"},
        {&TMenus::mUtilidades, "mUtilidades"},   {&TMenus::mNavegadores, "mNavegadores"},
        {&TMenus::mAyuda, "mAyuda"}};
    for (size_t i = 0; i < std::size(bar); ++i) {
        QMenu*& menu = FMenus.*bar[i].first;
        menu = menuBar()->addMenu(LoadResQString(kMenuArchivo + static_cast<int>(i)));
        menu->setObjectName(bar[i].second);
        FCommands->Bind(menu->menuAction(), bar[i].second);
    }
    FMenus.mOtrosTags = FMenus.mInsertar->addMenu(LoadResQString(kMenuOtrosTags));
    FMenus.mOtrosTags->setObjectName("mOtrosTags");
    FCommands->Bind(FMenus.mOtrosTags->menuAction(), "mOtrosTags");
    buildTextToolsMenu(FMenus.mSeleccion);
    buildTagMenus(FMenus.mInsertar);
}

void TformPrincipal::buildLayout()
{
    TPlaces& p = FPlaces;
    const auto tight = [](QBoxLayout* layout) {
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    };
    p.pCentral = new QWidget(this);
    p.pCentral->setObjectName("pCentral");
    p.Top = new QVBoxLayout(p.pCentral);
    tight(p.Top);

    auto* below = new QWidget(p.pCentral);
    below->setObjectName("pPrincipal");
    auto* row = new QHBoxLayout(below);
    tight(row);
    p.pBotones = new QWidget(below);
    p.pBotones->setObjectName("pBotones");
    p.pBotones->hide();
    row->addWidget(p.pBotones);

    p.spLateral = new TLateralSplitter(Qt::Horizontal, below);
    p.spLateral->setObjectName("spLateral");
    p.spLateral->setChildrenCollapsible(false);
    p.pLateral = new QWidget(p.spLateral);
    p.pLateral->setObjectName("pLateral");
    p.pLateral->hide();
    p.spLateral->addWidget(p.pLateral);

    p.pEditor = new QWidget(p.spLateral);
    p.pEditor->setObjectName("pEditor");
    auto* editor = new QVBoxLayout(p.pEditor);
    tight(editor);
    p.spAuxiliar = new QSplitter(Qt::Vertical, p.pEditor);
    p.spAuxiliar->setObjectName("spAuxiliar");
    p.spAuxiliar->setChildrenCollapsible(false);
    p.spAuxiliar->addWidget(FCodeMemo);
    // The strip goes above the splitter when it is built.
    editor->addWidget(p.spAuxiliar, 1);
    p.spLateral->addWidget(p.pEditor);
    p.spLateral->setStretchFactor(1, 1);
    row->addWidget(p.spLateral, 1);

    p.Top->addWidget(below, 1);
    setCentralWidget(p.pCentral);
}

QWidget* TformPrincipal::FilledPanel(TViewPanel which) const
{
    if (which == TViewPanel::ToolPages)
        return FHerramientas ? FHerramientas->PHerramientas : nullptr;
    // The side panel is built in its place before it first shows.
    return FPlaces.pLateral;
}

void TformPrincipal::buildStatusBar()
{
    FBarraEstado = new QStatusBar(this);
    FBarraEstado->setObjectName("BarraEstado");
    FBarraEstado->setSizeGripEnabled(false);
    setStatusBar(FBarraEstado);
    // Each panel at least as wide as the longest text it shows: the caret's position up to line and
    // column 999999, the document's states. The hints' panel takes the rest of the bar.
    const std::vector<std::string> panelTexts[] = {
        {},
        {FmtLoadStr(kCaretPosition, 999999, 999999)},
        {LoadResString(kModified), LoadResString(kAuxiliaryPanel)},
        {LoadResString(kInsert), LoadResString(kOverwrite), LoadResString(kReadOnly)},
        {}};
    for (int i = 0; i < kPanelCount; ++i) {
        auto* panel = new QLabel(FBarraEstado);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        int width = i > 0 ? kPanelWidths[i - 1] : 0;
        for (const std::string& text : panelTexts[i])
            width = std::max(width, panel->fontMetrics().horizontalAdvance(FromEditorText(text)) + 2 * panel->frameWidth() + 8);
        if (i == kPanelCount - 1)
            panel->setMinimumWidth(width);
        else if (i > 0)
            panel->setFixedWidth(width);
        if (i >= 1 && i <= 3)
            panel->setAlignment(Qt::AlignCenter);
        FBarraEstado->addWidget(panel, i == kPanelCount - 1 ? 1 : 0);
        FPanels[i] = panel;
    }
    FPanels[0]->setFrameStyle(QFrame::NoFrame);
    FPanels[1]->setText(LoadResQString(kCaretPanelText));
    FPanels[4]->setText(LoadResQString(kHelpHint));
}

void TformPrincipal::CreaMenu(QMenu* menu, const char* prefix, const TStringList& names, const TStringList& values,
                             bool paths)
{
    for (int i = 0; i < names.Count(); ++i) {
        // The window owns the items, so that their hints reach it from a menu shown on its own too.
        auto* item = new QAction(this);
        item->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(i)); // Not editor text: an item's name
        if (names[i] == "-")
            item->setSeparator(true);
        else
            item->setText(FromEditorText(MenuCaptionOf(names[i])));
        // What the item inserts or runs is its name as written, kept apart from the caption.
        item->setData(FromEditorText(names[i]));
        if (i < values.Count() && paths)
            SetPathHint(item, values[i]);
        else if (i < values.Count())
            item->setStatusTip(FromEditorText(values[i]));
        menu->addAction(item);
    }
}

void TformPrincipal::loadSupportFiles()
{
    // The user's copies, saved by the editor options, come before the shipped files.
    const auto docs = [](const char* name) {
        const std::string copy = UserDocsFolder() + name;
        return FileExists(copy) ? copy : ProgramFolder() + "Docs/" + name;
    };
    // Without the files the editor simply has no auto-corrections or templates.
    try {
        FCodeMemo->AutoReplaceList().LoadFromFile(docs("krARep.krr"));
    } catch (const Exception&) {
    }
    try {
        FCodeMemo->CodeTemplateList().LoadFromFile(docs("krCTem.krt"));
    } catch (const Exception&) {
    }
}

void TformPrincipal::MuestraHint(const std::string& hint)
{
    FPanels[4]->setText(FromEditorText(hint));
}

void TformPrincipal::WMActivaInstancia()
{
    if (isMinimized()) {
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        show();
    } else {
        raise();
    }
    activateWindow();
}

bool TformPrincipal::event(QEvent* event)
{
    // The base would show hints as a passing message that hides the panels.
    if (event->type() == QEvent::StatusTip) {
        // Shown as it came: a hint that names a file holds characters the program's text has not.
        FPanels[4]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    return QMainWindow::event(event);
}

void TformPrincipal::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    QMainWindow::closeEvent(event);
}

void TformPrincipal::FormClose()
{
    HelpCommand(this, HELP_QUIT);
    saveCustomColors();
    if (!OpenDialogFileName.empty())
        FConfig->LastOpenDir = folderOf(OpenDialogFileName);
    if (!SaveDialogFileName.empty())
        FConfig->LastSaveDir = folderOf(SaveDialogFileName);
    closeSideTools();
    keepTagGridWidths();
    // Settings that cannot be written are reported; the program ends all the same.
    try {
        FConfig->Save();
        RegistryStore::Flush();
        if (!RegistrySaveProblem().empty())
            MessageBox(this, RegistrySaveProblem(), {}, MB_OK | MB_ICONSTOP);
    } catch (const Exception& e) {
        MessageBox(this, e.Message(), {}, MB_OK | MB_ICONSTOP);
    }
}

void TformPrincipal::placeStatusButtons()
{
    const int height = FBarraEstado->sizeHint().height() - 2;
    int left = 2;
    for (TKrSpeedButton* button : {FsbBarra, FsbLateral, FsbAuxiliar}) {
        button->setGeometry(left, 2, height, height);
        // The buttons lie over the first panel, which only keeps their room.
        button->raise();
        left += height;
    }
    FPanels[0]->setFixedWidth(3 * height + 4);
}

int TformPrincipal::defaultKind() const
{
    // 0 is the options' "no colouring" choice; any other stored kind that names no language gives pages.
    const int kind = FConfig->DefaultParser;
    if (kind == 0)
        return ekNoColouring;
    return kind >= ekHTML && kind <= ekJavaScript ? kind : ekHTML;
}

int TformPrincipal::TipoDeArchivo(const std::string& FileName) const
{
    const std::string extension = ExtractFileExt(FileName);
    if (extension.empty())
        return defaultKind();
    for (const char* html : {".htm", ".html", ".asp", ".krd", ".krp", ".cod"})
        if (SameText(extension, html))
            return ekHTML;
    if (SameText(extension, ".js"))
        return ekJavaScript;
    for (const char* text : {".txt", ".css", ".krc"})
        if (SameText(extension, text))
            return ekText;
    return defaultKind();
}

void TformPrincipal::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!FFirstShowDone) {
        FFirstShowDone = true;
        FormFirstShow();
        queueFormShowTips();
    }
}

void TformPrincipal::FormFirstShow()
{
    FFormColor->LoadPalette(FConfig->CustomPalette);
    OpenDialogInitialDir = FConfig->LastOpenDir;
    SaveDialogInitialDir = FConfig->LastSaveDir;
    loadCharacterLibrary();
    startSideTools();
    // File names go to the file system as the shell gave them; names of no existing file are
    // passed over without a word.
    for (const std::string& argument : FArguments)
        if (FileExists(argument))
            AbreArchivo(argument, false, TipoDeArchivo(argument));
    openStartUpDocuments();
    Ocupado = false;
    EditorOnChange();
}
