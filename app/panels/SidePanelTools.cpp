// TSidePanelTools: the wildcard library and the fields of the document, the style library and its classes, and the file explorer with its picture preview and pop-up.
#include "app/panels/SidePanelTools.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "app/host/Commands.h"
#include "app/host/EditingFile.h"
#include "app/panels/SidePanel.h"
#include "app/host/WindowHost.h"
#include "app/model/DocumentBytes.h"
#include "app/model/EditorKind.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/PanelItems.h"
#include "app/model/StyleLibrary.h"
#include "app/model/TagTable.h"
#include "app/model/ToolPageValues.h"
#include "app/model/libKestrima.h"
#include "components/DirTree.h"
#include "components/FileList.h"
#include "components/JpegImage.h"
#include "components/StrHlder.h"
#include "editor/CodeMemo.h"
#include "platform/FileDialogs.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Collation.h"
#include "platform/core/ProgramFileText.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TBarCtls.h"
#include "toolbars/TabCtrls.h"

namespace {

constexpr int kWildcardButtons = 6000;
constexpr int kWildcardFilter = 6001;
constexpr int kNewWildcard = 6002;
constexpr int kNewWildcardCaption = 6003;
constexpr int kRenameWildcard = 6004;
constexpr int kRenameWildcardCaption = 6005;
constexpr int kDeleteWildcard = 6006;
constexpr int kReplaceWildcard = 6007;
constexpr int kReplaceWildcardCaption = 6008;
constexpr int kStyleButtons = 6009;
constexpr int kStyleFilter = 6010;
constexpr int kExplorerFilter = 6011;
constexpr int kExplorerMenu = 6018;
constexpr int kOpenFailed = 6014;
constexpr int kOpenFailedCaption = 6015;

constexpr int kButtonHeight = 22;
constexpr int kPreviewHeight = 100;

TToolbarButtonKt* makeButton(QWidget* parent, const char* name, const TCaptionAndHint& text, int tag)
{
    auto* button = new TToolbarButtonKt(parent);
    button->setObjectName(name);
    button->SetCaption(text.Caption);
    SetControlHint(button, text.Hint);
    button->setProperty("Tag", tag);
    button->setFixedHeight(kButtonHeight);
    button->Loaded();
    return button;
}

QVBoxLayout* pageLayout(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    return layout;
}

// A library's row: the edit naming it and the small button that opens one.
QHBoxLayout* libraryRow(QWidget* page, TLibraryEdit*& edit, const char* editName, TToolbarButtonKt*& button,
                        const char* buttonName, const TCaptionAndHint& text, int tag)
{
    edit = new TLibraryEdit(page);
    edit->setObjectName(editName);
    button = makeButton(page, buttonName, text, tag);
    button->setFixedWidth(kButtonHeight);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    row->addWidget(edit, 1);
    row->addWidget(button);
    return row;
}

// The folder and name of a library path for the open dialog.
TFileDialogRequest openRequest(int filter, const std::string& path)
{
    TFileDialogRequest dialog;
    dialog.Filter = LoadResString(filter);
    dialog.InitialDir = ExtractFilePath(path);
    dialog.FileName = ExtractFileName(path);
    dialog.Options = ofHideReadOnly | ofFileMustExist;
    return dialog;
}

// A library's name without its extension, the whole name when it has none.
std::string withoutExtension(const std::string& path)
{
    const std::string name = ExtractFileName(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

} // namespace

// ---------------------------------------------------------------- filter combo

void TFilterCombo::SetFilter(const std::string& filter)
{
    clear();
    for (const auto& [caption, mask] : FilterEntries(filter))
        addItem(FromEditorText(caption), FromEditorText(mask));
}

std::string TFilterCombo::Mask() const
{
    return currentIndex() < 0 ? std::string("*.*") : ToEditorText(currentData().toString());
}

// ---------------------------------------------------------------- building

TSidePanelTools::TSidePanelTools(TWindowHost& host, TSidePanel& panel, TSidePanelToolLinks links)
    : QObject(panel.pLateral), FHost(host), FPanel(panel), FLinks(std::move(links)), FPresses(new TToolPressFilter(this))
{
    buildWildcards();
    buildStyles();
    buildExplorer();
}

TSidePanelTools::~TSidePanelTools() = default;

void TSidePanelTools::buildWildcards()
{
    QWidget* page = FPanel.Assistant(TSidePanel::asComodines);
    QVBoxLayout* layout = pageLayout(page);
    const std::vector<TCaptionAndHint> texts = captionsAndHints(kWildcardButtons);
    layout->addLayout(libraryRow(page, eComodines, "eComodines", sbAbreComodines, "sbAbreComodines", texts.at(0), 1));
    lbComodines = new QListWidget(page);
    lbComodines->setObjectName("lbComodines");
    auto* edits = new QHBoxLayout;
    auto* tools = new QHBoxLayout;
    sbComNuevo = makeButton(page, "sbComNuevo", texts.at(1), 2);
    sbComEdita = makeButton(page, "sbComEdita", texts.at(2), 3);
    sbComBorra = makeButton(page, "sbComBorra", texts.at(3), 4);
    sbExtraeComodines = makeButton(page, "sbExtraeComodines", texts.at(4), 0);
    sbProcesaPlantilla = makeButton(page, "sbProcesaPlantilla", texts.at(5), 0);
    sbIteraComodines = makeButton(page, "sbIteraComodines", texts.at(6), 0);
    for (TToolbarButtonKt* button : {sbAbreComodines, sbComNuevo, sbComEdita, sbComBorra})
        button->OnClick = [this](TToolbarButtonKt* sender) { libComodinesClick(sender->property("Tag").toInt()); };
    for (TToolbarButtonKt* button : {sbComNuevo, sbComEdita, sbComBorra})
        edits->addWidget(button);
    for (TToolbarButtonKt* button : {sbExtraeComodines, sbProcesaPlantilla, sbIteraComodines})
        tools->addWidget(button);
    sbExtraeComodines->OnClick = [this](TToolbarButtonKt*) { sbExtraeComodinesClick(); };
    sbIteraComodines->OnClick = [this](TToolbarButtonKt*) { sbIteraComodinesClick(); };
    // The merge is the window's command: it makes a document of its own.
    FHost.Commands().Bind(sbProcesaPlantilla, "sbProcesaPlantilla");
    layout->addWidget(lbComodines, 1);
    layout->addLayout(edits);
    layout->addLayout(tools);
    FPanel.AddItemList({lbComodines, {lbComodines->viewport()}, [this] {
                            const std::string name = selectedWildcard();
                            return name.empty() ? name : WildcardField(name);
                        }, {}, {}});
}

void TSidePanelTools::buildStyles()
{
    QWidget* page = FPanel.Assistant(TSidePanel::asEstilos);
    QVBoxLayout* layout = pageLayout(page);
    const std::vector<TCaptionAndHint> texts = captionsAndHints(kStyleButtons);
    layout->addLayout(libraryRow(page, eLibreria, "eLibreria", sbAbrirCSS, "sbAbrirCSS", texts.at(0), 0));
    sbAbrirCSS->OnClick = [this](TToolbarButtonKt*) { sbAbrirCSSClick(); };
    lbEstilos = new QListWidget(page);
    lbEstilos->setObjectName("lbEstilos");
    // Sorted without case by the library that fills it.
    shEstilos = new TStrHolder(page);
    shEstilos->setObjectName("shEstilos");
    auto* buttons = new QHBoxLayout;
    const std::pair<TToolbarButtonKt**, const char*> tagButtons[] = {
        {&sbEstClass, "sbEstClass"}, {&sbEstEstilo, "sbEstEstilo"}, {&sbEstDefinicion, "sbEstDefinicion"}, {&sbCSSLink, "sbCSSLink"}};
    const int tags[] = {232, 231, 230, 233};
    for (size_t i = 0; i < std::size(tagButtons); ++i) {
        auto* button = *tagButtons[i].first = makeButton(page, tagButtons[i].second, texts.at(i + 1), tags[i]);
        // The tag commands read the page's library and entry as they stand at the press.
        if (FLinks.TagPress)
            FPresses->Watch(button, [this](QWidget* sender, Qt::MouseButton pressed, TShiftState shift) {
                keepStyleValues();
                FLinks.TagPress(sender, pressed, shift);
            });
        buttons->addWidget(button);
    }
    layout->addWidget(lbEstilos, 1);
    layout->addLayout(buttons);
    connect(lbEstilos, &QListWidget::currentRowChanged, this, [this] { keepStyleValues(); });
    // A press on the list keeps its button, as a tag button's does: a drag with the right button
    // carries the class attribute alone.
    if (FLinks.RecordPress)
        FPresses->Watch(lbEstilos->viewport(), FLinks.RecordPress);
    FPanel.AddItemList({lbEstilos, {lbEstilos->viewport()}, {},
                        [this] {
                            const std::string entry = selectedStyle();
                            if (entry.empty())
                                return entry;
                            return StyleClassCode(entry, FLinks.RightButton && FLinks.RightButton());
                        },
                        [this] { lbEstilosDblClick(); }});
}

void TSidePanelTools::buildExplorer()
{
    QWidget* page = FPanel.tsArchivos;
    QVBoxLayout* layout = pageLayout(page);
    DirTree = new TDirTree(page);
    DirTree->setObjectName("DirTree");
    DirTree->SetDriveTypes(drtUnknown | drtRemovable | drtFixed | drtRemote | drtCDRom | drtRamDisk);
    DirTree->SetDirTypes(dtNormal | dtAll);
    DirTree->SetGoBelowRecycleBin(true);
    DirTree->SetShowShareOverlay(true);
    DirTree->SetAcceptDropFiles(false);
    DirTree->SetInitialDirectory(FHost.Config().LastTreeDir);
    cbFilter = new TFilterCombo(page);
    cbFilter->setObjectName("cbFilter");
    cbFilter->SetFilter(LoadResString(kExplorerFilter));
    cbFilter->setCurrentIndex(0);
    lbFileList = new TFileList(page);
    lbFileList->setObjectName("lbFileList");
    lbFileList->SetViewStyle(vsList);
    lbFileList->SetMask("*.*");
    lbFileList->SetFileTypes(ftArchive | ftReadonly);
    lbFileList->SetDisplayDirectory(false);
    lbFileList->SetDisplayParentDir(false);
    lbFileList->SetViewColumns(FileInfoBit(fiName) | FileInfoBit(fiSize) | FileInfoBit(fiType) | FileInfoBit(fiDosName));
    pImgDirectorio = new QWidget(page);
    pImgDirectorio->setObjectName("pImgDirectorio");
    pImgDirectorio->setFixedHeight(kPreviewHeight);
    auto* preview = new QVBoxLayout(pImgDirectorio);
    preview->setContentsMargins(0, 0, 0, 0);
    ImgDirectorio = new QLabel(pImgDirectorio);
    ImgDirectorio->setObjectName("ImgDirectorio");
    ImgDirectorio->setAlignment(Qt::AlignCenter);
    ImgDirectorio->setScaledContents(false);
    preview->addWidget(ImgDirectorio);
    pImgDirectorio->hide();
    // The preview takes its room from the tree alone: the list under the pointer, which opened it,
    // stays where it is, and its items where they are.
    auto* treeAndPreview = new QWidget(page);
    auto* treeSide = new QVBoxLayout(treeAndPreview);
    treeSide->setContentsMargins(0, 0, 0, 0);
    treeSide->setSpacing(layout->spacing());
    treeSide->addWidget(DirTree, 1);
    treeSide->addWidget(pImgDirectorio);
    layout->addWidget(treeAndPreview, 1);
    layout->addWidget(cbFilter);
    layout->addWidget(lbFileList, 1);

    // The tree's pop-up; its command answers Shift+F5 while the tree has the focus.
    TCommandTable& commands = FHost.Commands();
    pmDirTree = new QMenu(DirTree);
    pmDirTree->setObjectName("pmDirTree");
    mDirActualiza = commands.Action("mDirActualiza");
    mDirActualiza->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    pmDirTree->addAction(mDirActualiza);
    DirTree->addAction(mDirActualiza);
    DirTree->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DirTree, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { pmDirTree->popup(DirTree->viewport()->mapToGlobal(at)); });
    connect(mDirActualiza, &QAction::triggered, this, [this] { CallHandler(FPanel.pLateral, [this] { mDirActualizaClick(); }); });

    // The file list's pop-up: the file commands, then the view styles.
    pmArchivos = new QMenu(lbFileList);
    pmArchivos->setObjectName("pmArchivos");
    mAbreArchivo = commands.Action("mAbreArchivo");
    mEditaArchivo = commands.Action("mEditaArchivo");
    mInsTxt = commands.Action("mInsTxt");
    pmArchivos->addActions({mAbreArchivo, mEditaArchivo, mInsTxt});
    connect(mAbreArchivo, &QAction::triggered, this, [this] { CallHandler(FPanel.pLateral, [this] { mAbreArchivoClick(); }); });
    connect(mEditaArchivo, &QAction::triggered, this, [this] { CallHandler(FPanel.pLateral, [this] { mEditaArchivoClick(); }); });
    connect(mInsTxt, &QAction::triggered, this, [this] { CallHandler(FPanel.pLateral, [this] { mInsTxtClick(); }); });
    pmArchivos->addSeparator();
    mExplorador = pmArchivos->addMenu(LoadResQString(kExplorerMenu));
    mExplorador->setObjectName("mExplorador");
    auto* styles = new QActionGroup(mExplorador);
    const char* styleNames[] = {"mIcoLarge", "mIcoSmall", "mIcoList", "mIcoDetall"};
    for (int tag = 0; tag < 4; ++tag) {
        mIco[tag] = commands.Action(styleNames[tag]);
        mExplorador->addAction(mIco[tag]);
        styles->addAction(mIco[tag]);
        connect(mIco[tag], &QAction::triggered, this, [this, tag] { CallHandler(FPanel.pLateral, [this, tag] { mIcoClick(tag); }); });
    }
    mIco[vsList]->setChecked(true);
    connect(pmArchivos, &QMenu::aboutToShow, this, [this] { CallHandler(FPanel.pLateral, [this] { pmArchivosPopup(); }); });

    DirTree->OnChange = [this](TDirTree*, TDirTreeNode*) { CallHandler(FPanel.pLateral, [this] { DirTreeChange(); }); };
    connect(DirTree, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* node) { CallHandler(FPanel.pLateral, [this, node] { DirTreeCollapsed(node); }); });
    connect(cbFilter, &QComboBox::activated, this, [this] { CallHandler(FPanel.pLateral, [this] { cbFilterChange(); }); });
    // Both views of the list take the mouse: clicks preview, presses open the pop-up.
    std::vector<QObject*> surfaces;
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(lbFileList->IconView()),
                                    static_cast<QAbstractItemView*>(lbFileList->ReportView())}) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint& at) { pmArchivos->popup(view->viewport()->mapToGlobal(at)); });
        surfaces.push_back(view->viewport());
    }
    // The preview follows the highlighted file, however it came to be highlighted (a click, the
    // keyboard, another folder or filter that highlights none).
    const auto showHighlighted = [this] { CallHandler(FPanel.pLateral, [this] { lbFileListClick(); }); };
    connect(lbFileList->IconView()->selectionModel(), &QItemSelectionModel::currentChanged, this, showHighlighted);
    connect(lbFileList->IconView()->model(), &QAbstractItemModel::modelReset, this, showHighlighted);
    FPanel.AddItemList({lbFileList, surfaces, [this] {
                            const std::string file = lbFileList->Filename();
                            return file.empty() || !FLinks.FileCode ? std::string() : FLinks.FileCode(file);
                        }, {}, {}});
}

// ---------------------------------------------------------------- wildcards

std::string TSidePanelTools::selectedWildcard() const
{
    return SelectedItemText(lbComodines);
}

TStringList TSidePanelTools::wildcardNames() const
{
    TStringList names;
    for (int i = 0; i < lbComodines->count(); ++i)
        names.Add(ToEditorText(lbComodines->item(i)->text()));
    return names;
}

void TSidePanelTools::writeWildcards()
{
    WriteWildcardLibrary(eComodines->Path(), wildcardNames());
}

bool TSidePanelTools::insertWildcard(const std::string& name, int replacing)
{
    if (name.empty())
        return false;
    const TStringList names = wildcardNames();
    for (int i = 0; i < names.Count(); ++i)
        if (AnsiCompareText(names[i], name) == 0)
            return false;
    if (replacing >= 0) {
        lbComodines->item(replacing)->setText(FromEditorText(name));
        lbComodines->setCurrentRow(replacing);
        return true;
    }
    int row = 0;
    while (row < names.Count() && AnsiCompareText(names[row], name) < 0)
        ++row;
    lbComodines->insertItem(row, FromEditorText(name));
    lbComodines->setCurrentRow(row);
    return true;
}

void TSidePanelTools::libComodinesClick(int Tag)
{
    const std::string library = eComodines->Path();
    switch (Tag) {
    case 1: {
        TFileDialogRequest dialog = openRequest(kWildcardFilter, library);
        // A name that does not exist makes a new, empty library.
        dialog.Options &= ~ofFileMustExist;
        if (!ExecuteFileDialog(FHost.HostWindow(), dialog))
            return;
        std::string path = dialog.FileName;
        eComodines->SetPath({});
        lbComodines->clear();
        if (FileExists(path)) {
            TStringList names;
            ReadWildcardLibrary(path, names);
            for (int i = 0; i < names.Count(); ++i)
                lbComodines->addItem(FromEditorText(names[i]));
        } else {
            path = ChangeFileExt(path, ".krm");
            if (!FileExists(path))
                WriteFileBytes(path, "");
        }
        lbComodines->setCurrentRow(-1);
        eComodines->SetPath(path);
        eComodines->setText(FromFilePath(withoutExtension(path)));
        if (lbComodines->count() > 0)
            lbComodines->setCurrentRow(0);
        break;
    }
    case 2:
    case 3: {
        const int row = lbComodines->currentRow();
        if (Tag == 2 ? library.empty() || !FileExists(library) : selectedWildcard().empty())
            return;
        std::string answer;
        const bool asked = Tag == 2 ? FLinks.Query(LoadResString(kNewWildcard), LoadResString(kNewWildcardCaption), answer)
                                    : FLinks.Query(LoadResString(kRenameWildcard), LoadResString(kRenameWildcardCaption), answer);
        if (asked && insertWildcard(WildcardName(answer), Tag == 2 ? -1 : row))
            writeWildcards();
        break;
    }
    case 4: {
        const std::string name = selectedWildcard();
        if (name.empty())
            return;
        if (MessageBox(FHost.HostWindow(), FmtLoadStr(kDeleteWildcard, name.c_str()), {}, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        const int row = lbComodines->currentRow();
        delete lbComodines->takeItem(row);
        if (lbComodines->count() > 0)
            lbComodines->setCurrentRow(std::max(0, row - 1));
        writeWildcards();
        break;
    }
    default:
        break;
    }
}

void TSidePanelTools::sbExtraeComodinesClick()
{
    const std::vector<std::string> fields = ExtractWildcards(FHost.CodeMemo()->GetTextStr());
    FHost.AbreArchivo("", false, FLinks.DefaultKind ? FLinks.DefaultKind() : ekHTML);
    std::string text;
    for (const std::string& field : fields)
        text.append(text.empty() ? "" : "\r\n").append(field);
    FHost.CodeMemo()->Lines().SetText(text);
}

void TSidePanelTools::sbIteraComodinesClick()
{
    TCodeMemo* editor = FHost.CodeMemo();
    // The document's own search stays what the user last asked for.
    const TScopeGuard search([editor, text = editor->SearchText, flags = editor->SearchFlags] {
        editor->SearchText = text;
        editor->SearchFlags = flags;
    });
    int start = editor->GetSelStart();
    editor->SetSelLength(0);
    while (editor->FindText("{*", start, smsDirect)) {
        editor->SetSelStart(start);
        editor->SetSelLength(0);
        int end = 0;
        if (!editor->FindText("*}", end, smsDirect))
            break;
        editor->SetSelStart(start);
        editor->SetSelLength(end + 2 - start);
        std::string answer = editor->GetSelText();
        // Cancel ends the iteration and leaves the field; an empty answer removes it.
        if (!FLinks.Query(FmtLoadStr(kReplaceWildcard, answer.c_str()), LoadResString(kReplaceWildcardCaption), answer))
            break;
        editor->SetSelText(answer);
        // The search goes on after the answer, so a field inside the answer is not asked about again.
        editor->SetSelStart(start + static_cast<int>(answer.size()));
        editor->SetSelLength(0);
    }
}

// ---------------------------------------------------------------- styles

std::string TSidePanelTools::selectedStyle() const
{
    return SelectedItemText(lbEstilos);
}

void TSidePanelTools::keepStyleValues()
{
    if (!FLinks.Values)
        return;
    TToolPageValues& v = *FLinks.Values;
    v.StyleLibraryPath = eLibreria->Path();
    v.StyleLibraryName = StyleLibraryName(eLibreria->Path());
    v.StyleText = shEstilos->Strings().Text();
    v.StyleEntry = selectedStyle();
}

void TSidePanelTools::CargaCSS(const std::string& path)
{
    if (!FileExists(path))
        return;
    FHost.Config().LastStyle = path;
    eLibreria->setText(FromFilePath(StyleLibraryName(path)));
    eLibreria->SetPath(path);
    // Read as the style sheet dialog reads a library, so both list the rules alike.
    TStyleLibrary library;
    library.Load(ProgramFileText(ReadFileBytes(path)));
    lbEstilos->clear();
    shEstilos->Assign(library.Strings());
    for (const std::string& selector : library.Selectors())
        lbEstilos->addItem(FromEditorText(selector));
    keepStyleValues();
}

void TSidePanelTools::sbAbrirCSSClick()
{
    TFileDialogRequest dialog = openRequest(kStyleFilter, eLibreria->Path());
    if (!ExecuteFileDialog(FHost.HostWindow(), dialog))
        return;
    CargaCSS(dialog.FileName);
}

void TSidePanelTools::lbEstilosDblClick()
{
    keepStyleValues();
    if (FLinks.TagCommand)
        FLinks.TagCommand(sbEstClass);
}

// ---------------------------------------------------------------- explorer

std::string TSidePanelTools::TreeFolder() const
{
    return DirTree->Directory();
}

void TSidePanelTools::SetTreeFolder(const std::string& folder)
{
    DirTree->SetInitialDirectory(folder);
    if (!folder.empty() && DirTree->isVisible())
        DirTree->SetDirectory(folder);
}

void TSidePanelTools::DirTreeChange()
{
    const std::string folder = DirTree->Directory();
    if (folder != "?")
        lbFileList->SetDirectory(folder);
}

void TSidePanelTools::DirTreeCollapsed(QTreeWidgetItem* node)
{
    DirTree->RefreshNode(DirTree->NodeOf(node));
}

void TSidePanelTools::cbFilterChange()
{
    lbFileList->SetMask(cbFilter->Mask());
}

void TSidePanelTools::mIcoClick(int Tag)
{
    if (Tag < vsIcon || Tag > vsReport)
        return;
    mIco[Tag]->setChecked(true);
    lbFileList->SetViewStyle(static_cast<TViewStyle>(Tag));
}

void TSidePanelTools::lbFileListClick()
{
    ImgDirectorio->clear();
    ImgDirectorio->repaint();
    const std::string file = lbFileList->Filename();
    QImage picture;
    if (!file.empty() && FileExists(file)) {
        // A picture that cannot be read shows nothing; that is all the user needs to know.
        try {
            picture = LoadPicture(file);
        } catch (const Exception&) {
            picture = QImage();
        }
    }
    if (picture.isNull()) {
        pImgDirectorio->hide();
        return;
    }
    // Shown and laid out first: a pane that was hidden still has the size it was made with, and the
    // first picture would be scaled to that.
    pImgDirectorio->show();
    if (QLayout* around = pImgDirectorio->parentWidget()->layout())
        around->activate();
    ImgDirectorio->setPixmap(QPixmap::fromImage(picture).scaled(ImgDirectorio->size().expandedTo(QSize(1, 1)),
                                                                Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TSidePanelTools::pmArchivosPopup()
{
    for (QAction* item : {mAbreArchivo, mEditaArchivo, mInsTxt})
        item->setVisible(false);
    const std::string file = lbFileList->Filename();
    if (file.empty() || !FileExists(file))
        return;
    const bool text = IsTextFileExt(file);
    mAbreArchivo->setVisible(!text);
    mEditaArchivo->setVisible(text);
    mInsTxt->setVisible(text);
    FPopupFile = file;
    mAbreArchivo->setStatusTip(FromFilePath(file));
}

void TSidePanelTools::mAbreArchivoClick()
{
    if (!ShellOpen(FPopupFile))
        MessageBox(FHost.HostWindow(), LoadResString(kOpenFailed), LoadResString(kOpenFailedCaption), MB_OK | MB_ICONINFORMATION);
}

void TSidePanelTools::mEditaArchivoClick()
{
    if (FLinks.OpenFile)
        FLinks.OpenFile(FPopupFile);
}

void TSidePanelTools::mInsTxtClick()
{
    const std::string& file = FPopupFile;
    std::string bytes;
    if (file.empty() || !ReadFileBytes(file, TEditingFile::kMaxDocumentSize, bytes))
        return;
    FHost.InsertaCodigo(0, 0, TDocumentBytes::InsertedText(bytes), "");
}

void TSidePanelTools::mDirActualizaClick()
{
    const TScopeGuard painting = FLinks.LockPainting ? FLinks.LockPainting() : TScopeGuard();
    DirTree->Reload();
    lbFileList->Refresh();
}
