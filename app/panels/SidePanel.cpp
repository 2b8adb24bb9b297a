// TSidePanel: the side panel's pages, the code library page over the library files, the code tree page over the shipped code trees, and the insertion and dragging of their items.
#include "app/panels/SidePanel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/host/WindowHost.h"
#include "app/host/libKestrimaTags.h"
#include "app/widgets/uFormPregunta.h"
#include "app/model/CodigosISO.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/TagTable.h"
#include "app/model/libKestrima.h"
#include "components/DropSource.h"
#include "components/HETreeView.h"
#include "components/StrHlder.h"
#include "editor/CodeMemo.h"
#include "platform/FileDialogs.h"
#include "platform/HandlerCall.h"
#include "platform/ImageList.h"
#include "platform/MessageBox.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"
#include "toolbars/TBarCtls.h"
#include "toolbars/TabCtrls.h"

namespace {

// Whether the mouse at `at` on `surface` (a list's viewport) points at an item. A press on the
// list's empty area takes none: it neither drags nor inserts the item highlighted before.
bool onAnItem(QObject* surface, QPoint at)
{
    auto* viewport = qobject_cast<QWidget*>(surface);
    auto* view = viewport ? qobject_cast<QAbstractItemView*>(viewport->parentWidget()) : nullptr;
    return !view || view->indexAt(at).isValid();
}

constexpr int kPageTexts = 5651;
constexpr int kAssistantNames = 5652;
constexpr int kLibraryFilter = 5653;
constexpr int kLibraryAdd = 5654;
constexpr int kInvalidName = 5655;
constexpr int kNameDoesNotFit = 4543;
constexpr int kMissingLibrary = 5656;
constexpr int kEntryName = 5657;
constexpr int kLibraryCaption = 5658;
constexpr int kDeleteEntry = 5659;
constexpr int kMissingCodeTree = 5660;
constexpr int kCodeTreeButtons = 5661;
constexpr int kOpenLibrary = 5662;
constexpr int kChooseAssistant = 5663;

constexpr int kTabWidth = 27;
constexpr int kButtonHeight = 22;
constexpr int kDeleteKey = 46;

// The help topic of each assistant's page.
constexpr int kAssistantHelp[TSidePanel::kAssistantCount] = {32, 33, 56, 34, 35, 36};

// The code trees of the group buttons, by Tag - 1, in the program's folder.
constexpr const char* kCodeTrees[6] = {"Docs/html.krc",     "Docs/jscript.krc", "Docs/css.krc",
                                       "Docs/vbscript.krc", "Docs/dhtml.krc",   "Docs/personal.krc"};

TToolbarButtonKt* makeButton(QWidget* parent, const char* name, const TCaptionAndHint& text)
{
    auto* button = new TToolbarButtonKt(parent);
    button->setObjectName(name);
    button->SetCaption(text.Caption);
    SetControlHint(button, text.Hint);
    button->Loaded();
    return button;
}

// The tabs' pictures: a small drawing for each page, in the order of the pages.
QImage tabPicture(int page)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setPen(QColor(0, 0, 128));
    switch (page) {
    case 0: // tags
        p.drawLine(5, 3, 1, 8), p.drawLine(1, 8, 5, 13), p.drawLine(10, 3, 14, 8), p.drawLine(14, 8, 10, 13);
        break;
    case 1: // assistants: a wand with its spark
        p.drawLine(2, 14, 10, 6), p.drawLine(12, 1, 12, 5), p.drawLine(10, 3, 14, 3);
        break;
    case 2: // files: a folder
        p.fillRect(1, 5, 14, 9, QColor(255, 224, 96)), p.drawRect(1, 5, 13, 8), p.drawLine(2, 4, 6, 4);
        break;
    case 3: // the attribute grid
        p.drawRect(1, 2, 13, 11), p.drawLine(1, 6, 14, 6), p.drawLine(1, 9, 14, 9), p.drawLine(6, 2, 6, 13);
        break;
    case 4: // the library: a book
        p.fillRect(3, 1, 10, 14, QColor(160, 32, 32)), p.drawRect(3, 1, 9, 13), p.drawLine(5, 1, 5, 14);
        break;
    default: // the code tree
        p.drawLine(3, 2, 3, 13), p.drawLine(3, 5, 8, 5), p.drawLine(3, 11, 8, 11);
        p.fillRect(9, 3, 5, 4, QColor(0, 128, 0)), p.fillRect(9, 9, 5, 4, QColor(0, 128, 0));
        break;
    }
    return image;
}

// A name as the shell shows it without its extension (the whole name when it has no ".").
std::string displayName(const std::string& path)
{
    const std::string name = ExtractFileName(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

QTreeWidgetItem* selectedNode(const THETreeView* tree)
{
    QTreeWidgetItem* node = tree->currentItem();
    return node && node->isSelected() ? node : nullptr;
}

void removeAll(std::string& text, std::string_view part)
{
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at))
        text.erase(at, part.size());
}

} // namespace

std::string TLibraryCombo::Path() const
{
    return PathPropertyOf(this, "Hint");
}

void TLibraryCombo::SetPath(const std::string& path)
{
    SetPathProperty(this, "Hint", path);
}

TSidePanel::TSidePanel(TWindowHost& host, TSidePanelLinks links, QWidget* panel, TLateralSplitter* splitter)
    : QObject(panel), pLateral(panel), spLateral(splitter), FHost(host), FLinks(std::move(links))
{
    if (!FLinks.Ask)
        FLinks.Ask = InputQuery;
    auto* layout = new QVBoxLayout(pLateral);
    layout->setContentsMargins(0, 0, 0, 0);
    pcLateral = new TPageSetControl(pLateral);
    pcLateral->setObjectName("pcLateral");
    pcLateral->SetTabPosition(tpBottomRight);
    pcLateral->SetTabWidth(kTabWidth);
    FImages = std::make_unique<TImageList>(16, 16);
    for (int page = 0; page < 6; ++page)
        FImages->Add(tabPicture(page), QImage());
    pcLateral->SetImages(FImages.get());
    layout->addWidget(pcLateral);

    const char* names[] = {"tsHerramientas", "tsAsistentes", "tsArchivos", "tsTag", "tsLibreria", "tsCodigos"};
    TTabSetSheet** sheets[] = {&tsHerramientas, &tsAsistentes, &tsArchivos, &tsTag, &tsLibreria, &tsCodigos};
    const std::vector<TCaptionAndHint> pageTexts = captionsAndHints(kPageTexts);
    for (int page = 0; page < 6; ++page) {
        auto* sheet = *sheets[page] = new TTabSetSheet(pcLateral);
        sheet->setObjectName(names[page]);
        sheet->SetPageControl(pcLateral);
        sheet->SetTabHint(pageTexts.at(static_cast<size_t>(page)).Caption);
        sheet->SetImageIndex(page);
    }
    buildAssistants();
    buildLibrary();
    buildCodeTree();
    // The tag buttons of the first page are those of the tool pages above the editor: no buttons of
    // its own are defined for it, and an empty page is not offered. The panel opens on the assistants.
    tsHerramientas->SetTabVisible(false);
    pcLateral->SetActivePage(tsAsistentes);
    pcLateral->Loaded();
    pcLateral->OnChange = [this](QWidget*) { CallHandler(pLateral, [this] { pcLateralChange(); }); };

    pLateral->setMinimumWidth(0);
    pLateral->resize(kPanelWidth, pLateral->height());
    // The panel keeps its width while the window grows; the user moves the splitter on the pages
    // that allow it.
    spLateral->setStretchFactor(0, 0);
    spLateral->handle(1)->setEnabled(false);
    connect(spLateral, &QSplitter::splitterMoved, this, [this] {
        if (spLateral->handle(1)->isEnabled())
            spLateral->SetTag(pLateral->width());
    });
    pLateral->installEventFilter(this);
}

TSidePanel::~TSidePanel() = default;

QWidget* TSidePanel::Assistant(int index) const
{
    return FAssistants.at(static_cast<size_t>(index));
}

void TSidePanel::buildAssistants()
{
    auto* layout = new QVBoxLayout(tsAsistentes);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    cbAsistentes = new QComboBox(tsAsistentes);
    cbAsistentes->setObjectName("cbAsistentes");
    SetControlHint(cbAsistentes, LoadResString(kChooseAssistant));
    nbAsistentes = new QStackedWidget(tsAsistentes);
    nbAsistentes->setObjectName("nbAsistentes");
    const TStringList pageNames = LinesOf(LoadResString(kAssistantNames));
    for (int i = 0; i < kAssistantCount; ++i) {
        auto* page = new QWidget(nbAsistentes);
        page->setWindowTitle(FromEditorText(pageNames[i]));
        nbAsistentes->addWidget(page);
        FAssistants.push_back(page);
    }
    // The chooser lists the notebook's pages, the first one chosen.
    for (int i = 0; i < nbAsistentes->count(); ++i)
        cbAsistentes->addItem(nbAsistentes->widget(i)->windowTitle());
    cbAsistentes->setCurrentIndex(0);
    cbAsistentesChange();
    connect(cbAsistentes, &QComboBox::activated, this,
            [this] { CallHandler(pLateral, [this] { cbAsistentesChange(); }); });
    layout->addWidget(cbAsistentes);
    layout->addWidget(nbAsistentes, 1);
}

void TSidePanel::buildLibrary()
{
    auto* layout = new QVBoxLayout(tsLibreria);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    cbLibreria = new TLibraryCombo(tsLibreria);
    cbLibreria->setObjectName("cbLibreria");
    sbAbreLibreria = makeButton(tsLibreria, "sbAbreLibreria", captionsAndHints(kOpenLibrary).at(0));
    sbAbreLibreria->setFixedSize(kButtonHeight, kButtonHeight);
    row->addWidget(cbLibreria, 1);
    row->addWidget(sbAbreLibreria);
    shLibreriaFiles = new TStrHolder(pLateral);
    shLibreriaFiles->setObjectName("shLibreriaFiles");
    shLibreriaFiles->SetDuplicates(TStrHolder::dupAccept);
    lbLibreria = new QListWidget(tsLibreria);
    lbLibreria->setObjectName("lbLibreria");
    sbLibraryAdd = makeButton(tsLibreria, "sbLibraryAdd", captionsAndHints(kLibraryAdd).at(0));
    sbLibraryAdd->setFixedHeight(kButtonHeight);
    layout->addLayout(row);
    layout->addWidget(lbLibreria, 1);
    layout->addWidget(sbLibraryAdd);

    sbAbreLibreria->OnClick = [this](TToolbarButtonKt*) { sbAbreLibreriaClick(); };
    sbLibraryAdd->OnClick = [this](TToolbarButtonKt*) { sbLibraryClick(); };
    connect(cbLibreria, &QComboBox::activated, this, [this] { CallHandler(pLateral, [this] { cbLibreriaChange(); }); });
    lbLibreria->installEventFilter(this);
    lbLibreria->viewport()->installEventFilter(this);
}

void TSidePanel::buildCodeTree()
{
    auto* layout = new QVBoxLayout(tsCodigos);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    const std::vector<TCaptionAndHint> texts = captionsAndHints(kCodeTreeButtons);
    const char* names[] = {"sbCargaHTML", "sbCargaJavaScript", "sbCargaCSS", "sbCargaVBScript", "sbCargaDHTML",
                           "ToolbarButtonKt9", "sbColapsaCod", "sbExpandeCod"};
    QHBoxLayout* rows[2] = {new QHBoxLayout, new QHBoxLayout};
    for (int i = 0; i < 8; ++i) {
        auto* button = makeButton(tsCodigos, names[i], texts.at(static_cast<size_t>(i)));
        button->setFixedHeight(kButtonHeight);
        button->setProperty("Tag", i < 6 ? i + 1 : i - 5);
        if (i < 6) {
            sbCarga[i] = button;
            // One group in which every button may be up.
            button->SetGroupIndex(1);
            button->SetAllowAllUp(true);
            button->OnClick = [this](TToolbarButtonKt* sender) { sbCargaClick(sender); };
        } else {
            button->OnClick = [this](TToolbarButtonKt* sender) { sbCodClick(sender->property("Tag").toInt()); };
        }
        rows[i < 4 ? 0 : 1]->addWidget(button, i < 6 ? 1 : 0);
        if (i == 6)
            sbColapsaCod = button;
        if (i == 7)
            sbExpandeCod = button;
    }
    sbColapsaCod->setFixedWidth(kButtonHeight);
    sbExpandeCod->setFixedWidth(kButtonHeight);
    sbCarga[0]->SetDown(true);
    tvCodigos = new THETreeView(tsCodigos);
    tvCodigos->setObjectName("tvCodigos");
    layout->addLayout(rows[0]);
    layout->addLayout(rows[1]);
    layout->addWidget(tvCodigos, 1);
    tvCodigos->viewport()->installEventFilter(this);
}

// ---------------------------------------------------------------- pages and width

void TSidePanel::setPanelWidth(int width)
{
    QList<int> sizes = spLateral->sizes();
    if (sizes.size() < 2)
        return;
    // A panel shown a moment ago has no size in the splitter yet: the whole width is the editor's.
    const int total = std::max(sizes[0] + sizes[1], spLateral->width() - spLateral->handleWidth());
    sizes[0] = width;
    sizes[1] = std::max(0, total - width);
    spLateral->setSizes(sizes);
    // A hidden panel has no size in the splitter yet; it shows at this width.
    if (pLateral->isHidden())
        pLateral->resize(width, pLateral->height());
}

void TSidePanel::pcLateralChange()
{
    const TScopeGuard painting = FLinks.LockPainting ? FLinks.LockPainting() : TScopeGuard();
    TTabSetSheet* page = pcLateral->ActivePage();
    // The tag buttons are laid out for the design width; every other page, the assistants included,
    // lays out at any width, so switching to it leaves the width the user gave the panel.
    const bool fixed = page == tsHerramientas;
    spLateral->handle(1)->setEnabled(!fixed);
    setPanelWidth(fixed ? kPanelWidth : spLateral->Tag());
}

void TSidePanel::pLateralResize()
{
    TTabSetSheet* page = pcLateral->ActivePage();
    if (page == tsHerramientas)
        return;
    if (page == tsAsistentes) {
        // The assistants lay themselves out and take the resize as it comes: a narrower panel is
        // widened once it is over, since the splitter set again inside it leaves the page control
        // without its width.
        if (pLateral->width() < kPanelWidth)
            QTimer::singleShot(0, pLateral, [this] {
                if (pLateral->width() < kPanelWidth && !pLateral->isHidden())
                    setPanelWidth(kPanelWidth);
            });
        return;
    }
    if (pLateral->width() < kPanelWidth + 1 && !pLateral->isHidden())
        setPanelWidth(kPanelWidth);
    // The combo leaves room for its open button; the add button takes the page's width.
    const int width = tsLibreria->width();
    cbLibreria->setMaximumWidth(std::max(0, width - 24));
    sbLibraryAdd->setFixedWidth(std::max(0, width));
}

bool TSidePanel::eventFilter(QObject* watched, QEvent* event)
{
    const auto source = [this](QObject* object) -> QObject* {
        if (object == lbLibreria->viewport())
            return lbLibreria;
        if (object == tvCodigos->viewport())
            return tvCodigos;
        const TItemList* list = itemList(object);
        return list ? list->List : nullptr;
    };
    switch (event->type()) {
    case QEvent::Show:
        if (watched == pLateral) {
            // The splitter gives a panel being shown its width before the panel's layout hears of
            // it: the page control would keep the width it was laid out at while the panel was
            // hidden (none), and its page with it.
            pLateral->layout()->setGeometry(pLateral->rect());
            // The panel comes back at the width of its page.
            CallHandler(pLateral, [this] { pcLateralChange(); });
        }
        break;
    case QEvent::Resize:
        if (watched == pLateral)
            CallHandler(pLateral, [this] { pLateralResize(); });
        break;
    case QEvent::KeyRelease:
        if (watched == lbLibreria && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete)
            CallHandler(pLateral, [this] { lbLibreriaKeyUp(kDeleteKey); });
        break;
    case QEvent::MouseButtonPress:
        if (source(watched)) {
            FPressPoint = static_cast<QMouseEvent*>(event)->position().toPoint();
            FPressed = onAnItem(watched, FPressPoint);
        }
        break;
    case QEvent::MouseButtonRelease:
        FPressed = false;
        break;
    case QEvent::MouseMove:
        if (QObject* list = source(watched)) {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const bool held = mouse->buttons() & (Qt::LeftButton | Qt::RightButton);
            const QPoint moved = mouse->position().toPoint() - FPressPoint;
            if (held && FPressed && moved.manhattanLength() >= QApplication::startDragDistance()) {
                FPressed = false;
                CallHandler(pLateral, [this, list] { DragMouseMove(list); });
                return true;
            }
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (QObject* list = source(watched);
            list && onAnItem(watched, static_cast<QMouseEvent*>(event)->position().toPoint())) {
            FPressed = false;
            // The first press of the double click has selected the item under the mouse.
            CallHandler(pLateral, [this, list] {
                if (list == tvCodigos)
                    lbCodigosDblClick();
                else
                    lbFileListDblClick(list);
            });
        }
        break;
    default:
        break;
    }
    return false;
}

// ---------------------------------------------------------------- assistants

void TSidePanel::cbAsistentesChange()
{
    const int index = cbAsistentes->currentIndex();
    if (index < 0 || index >= nbAsistentes->count())
        return;
    nbAsistentes->setCurrentIndex(index);
    const int help = index < kAssistantCount ? kAssistantHelp[index] : 0;
    nbAsistentes->setProperty("HelpContext", help);
    cbAsistentes->setProperty("HelpContext", help);
}

void TSidePanel::ShowAssistant(int index)
{
    cbAsistentes->setCurrentIndex(0);
    // The chooser names the page shown.
    cbAsistentes->setCurrentIndex(index);
    cbAsistentesChange();
    pcLateral->SetActivePage(tsAsistentes);
    pcLateralChange();
}

// ---------------------------------------------------------------- insertion

void TSidePanel::insertCodes(const std::string& openCode, const std::string& closeCode)
{
    TCodeMemo* editor = FHost.CodeMemo();
    int16_t ctrl = 0, shift = 0;
    if (FLinks.Keys)
        FLinks.Keys(ctrl, shift);
    {
        TCodeMemoStrings& lines = editor->Lines();
        lines.BeginUpdate();
        const TScopeGuard update([&lines] { lines.EndUpdate(); });
        // The codes keep their letter case.
        InsertTag(*editor, 4, shift == 1, ctrl == 1, openCode, closeCode);
    }
    editor->setFocus();
}

std::string TSidePanel::libraryEntryText() const
{
    const std::string name = SelectedItemText(lbLibreria);
    if (name.empty())
        return {};
    std::string text = ReadLibraryEntry(LibraryPath(), name);
    const TCodigosISO* characters = FLinks.Characters ? FLinks.Characters() : nullptr;
    if (FHost.Config().InsSpecChar && characters)
        text = characters->DecodeText(text);
    return text;
}

void TSidePanel::AddItemList(TItemList list)
{
    for (QObject* surface : list.Surfaces)
        surface->installEventFilter(this);
    FItemLists.push_back(std::move(list));
}

const TSidePanel::TItemList* TSidePanel::itemList(QObject* object) const
{
    for (const TItemList& list : FItemLists)
        if (list.List == object || std::find(list.Surfaces.begin(), list.Surfaces.end(), object) != list.Surfaces.end())
            return &list;
    return nullptr;
}

void TSidePanel::lbFileListDblClick(QObject* Sender)
{
    if (const TItemList* list = itemList(Sender)) {
        if (list->DblClick)
            return list->DblClick();
        if (const std::string text = list->Text(); !text.empty())
            insertCodes(text, "");
        return;
    }
    if (Sender != lbLibreria || lbLibreria->count() == 0 || SelectedItemText(lbLibreria).empty())
        return;
    insertCodes(libraryEntryText(), "");
}

void TSidePanel::lbCodigosDblClick()
{
    QTreeWidgetItem* node = selectedNode(tvCodigos);
    if (!node || node->childCount() > 0)
        return;
    std::string openCode, closeCode;
    SplitMenuItemCodes(THETreeView::NodeText(node), openCode, closeCode);
    if (sbCarga[0]->Down()) {
        int16_t ctrl = 0, shift = 0;
        if (FLinks.Keys)
            FLinks.Keys(ctrl, shift);
        FHost.InsertaCodigo(ctrl, shift, openCode, closeCode);
        return;
    }
    insertCodes(openCode, closeCode);
}

std::string TSidePanel::DragText(QObject* Sender) const
{
    if (const TItemList* list = itemList(Sender))
        return list->DragText ? list->DragText() : list->Text();
    if (Sender == lbLibreria)
        return libraryEntryText();
    if (Sender == tvCodigos) {
        const QTreeWidgetItem* node = selectedNode(tvCodigos);
        if (!node)
            return {};
        std::string text = Trim(THETreeView::NodeText(node));
        removeAll(text, "...");
        // The HTML tree's codes take the letter case of the settings.
        return sbCarga[0]->Down() ? ApplyCaseMode(FHost.Config().InsCaseMode, text) : text;
    }
    return {};
}

void TSidePanel::DragMouseMove(QObject* Sender)
{
    const std::string text = DragText(Sender);
    if (text.empty())
        return;
    TDropTextSource source(text);
    source.DoDragDrop(qobject_cast<QWidget*>(Sender), Qt::CopyAction | Qt::MoveAction);
    FHost.CodeMemo()->setFocus();
}

// ---------------------------------------------------------------- code library

std::string TSidePanel::LibraryPath() const
{
    return cbLibreria->Path();
}

bool TSidePanel::listLibrary(const std::string& path)
{
    lbLibreria->clear();
    TStringList names;
    try {
        if (!ReadLibrarySections(path, names))
            return false;
    } catch (const Exception&) {
        return false;
    }
    for (int i = 0; i < names.Count(); ++i)
        lbLibreria->addItem(FromEditorText(names[i]));
    if (lbLibreria->count() > 0)
        lbLibreria->setCurrentRow(0);
    return true;
}

void TSidePanel::sbAbreLibreriaClick()
{
    TFileDialogRequest dialog;
    dialog.Filter = LoadResString(kLibraryFilter);
    dialog.InitialDir = ExtractFilePath(LibraryPath());
    dialog.FileName = ExtractFileName(LibraryPath());
    // A name that does not exist makes a new, empty library.
    dialog.Options = ofHideReadOnly;
    if (!ExecuteFileDialog(FHost.HostWindow(), dialog))
        return;
    std::string path = dialog.FileName;
    lbLibreria->clear();
    if (FileExists(path)) {
        if (!listLibrary(path))
            return;
    } else {
        path = ChangeFileExt(path, ".cod");
        if (!FileExists(path))
            WriteFileBytes(path, "");
        listLibrary(path);
    }
    lbLibreria->setFocus();
    cbLibreria->SetPath(path);
    cbLibreria->addItem(FromFilePath(displayName(path)));
    cbLibreria->setCurrentIndex(cbLibreria->count() - 1);
    shLibreriaFiles->Add(path);
}

void TSidePanel::cbLibreriaChange()
{
    const int index = cbLibreria->currentIndex();
    const TStringList& files = shLibreriaFiles->Strings();
    const std::string path = index >= 0 && index < files.Count() ? files[index] : std::string();
    cbLibreria->SetPath(path);
    lbLibreria->clear();
    if (!path.empty() && FileExists(path) && listLibrary(path)) {
        lbLibreria->setFocus();
        return;
    }
    if (index >= 0) {
        if (index < files.Count())
            shLibreriaFiles->Delete(index);
        cbLibreria->removeItem(index);
    }
    cbLibreria->SetPath({});
    cbLibreria->setCurrentIndex(-1);
    MessageBox(FHost.HostWindow(), FmtLoadStr(kMissingLibrary, FilePathText(path).c_str()), {}, MB_OK | MB_ICONERROR);
}

void TSidePanel::sbLibraryClick()
{
    TCodeMemo* editor = FHost.CodeMemo();
    const std::string selection = editor->GetSelText();
    if (selection.empty())
        return;
    std::string name = selection.substr(0, selection.find_first_of("\r\n"));
    // Cancelled, the library stays as it was, and nothing is wrong.
    if (!FLinks.Ask(LoadResString(kEntryName), LoadResString(kLibraryCaption), name))
        return;
    if (name.empty() || !lbLibreria->findItems(FromEditorText(name), Qt::MatchExactly).isEmpty()) {
        MessageBox(FHost.HostWindow(), LoadResString(kInvalidName), {}, MB_OK | MB_ICONERROR);
        return;
    }
    // The entry's header could not give the name back: it could be neither read nor deleted.
    if (!LibraryNameFits(name)) {
        MessageBox(FHost.HostWindow(), FmtLoadStr(kNameDoesNotFit, name.c_str()), {}, MB_OK | MB_ICONERROR);
        return;
    }
    if (!AddLibraryEntry(LibraryPath(), name, selection))
        return;
    lbLibreria->addItem(FromEditorText(name));
    lbLibreria->setCurrentRow(lbLibreria->count() - 1);
}

void TSidePanel::lbLibreriaKeyUp(int Key)
{
    const std::string name = SelectedItemText(lbLibreria);
    if (Key != kDeleteKey || name.empty())
        return;
    if (MessageBox(FHost.HostWindow(), FmtLoadStr(kDeleteEntry, name.c_str()), {},
                   MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (DeleteLibraryEntry(LibraryPath(), name))
        delete lbLibreria->takeItem(lbLibreria->currentRow());
}

void TSidePanel::SelectStartLibrary()
{
    const int index = cbLibreria->Tag();
    if (index < 0 || index >= cbLibreria->count())
        return;
    cbLibreria->setCurrentIndex(index);
    lbLibreria->clear();
    const TStringList& files = shLibreriaFiles->Strings();
    if (index >= files.Count())
        return;
    cbLibreria->SetPath(files[index]);
    if (FileExists(files[index]))
        listLibrary(files[index]);
}

void TSidePanel::KeepLibraryIndex()
{
    cbLibreria->SetTag(cbLibreria->currentIndex());
}

// ---------------------------------------------------------------- code tree

std::string TSidePanel::CodeTreeFile(int tag)
{
    if (tag < 1 || tag > 6)
        return {};
    return ProgramFolder() + kCodeTrees[tag - 1];
}

void TSidePanel::TellMissingCodeTree(QWidget* window, const std::string& path)
{
    MessageBox(window, FmtLoadStr(kMissingCodeTree, FilePathText(path).c_str()), {}, MB_OK | MB_ICONERROR);
}

void TSidePanel::sbCargaClick(TToolbarButtonKt* Sender, bool tellMissing)
{
    const std::string path = CodeTreeFile(Sender->property("Tag").toInt());
    if (path.empty())
        return;
    if (!FileExists(path)) {
        if (tellMissing)
            TellMissingCodeTree(FHost.HostWindow(), path);
        Sender->SetDown(false);
        return;
    }
    tvCodigos->LoadFromFile(path);
}

void TSidePanel::sbCodClick(int Tag)
{
    const bool enabled = tvCodigos->updatesEnabled();
    tvCodigos->setUpdatesEnabled(false);
    const TScopeGuard update([this, enabled] { tvCodigos->setUpdatesEnabled(enabled); });
    if (Tag == 1)
        tvCodigos->collapseAll();
    else if (Tag == 2)
        tvCodigos->expandAll();
}
