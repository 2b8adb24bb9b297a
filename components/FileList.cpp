// TFileList: entries are read into items off-screen and handed to the views in one reset, so a large
// folder neither freezes the window item by item nor lets a click restart the fill under itself.
#include "components/FileList.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileIconProvider>
#include <QHeaderView>
#include <QListView>
#include <QLocale>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QStackedLayout>
#include <QTreeView>
#include <algorithm>
#include <map>

#include "components/core/xProcs.h"
#include "platform/Cursors.h"
#include "platform/FileDrops.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"

namespace {

const TFileColumn kColumns[kFileInfoCount] = {
    {65311, 150, false}, {65312, 60, true},  {65313, 130, false}, {65314, 100, false}, {65315, 100, false},
    {65316, 85, false},  {65317, 60, false}, {65318, 130, false}, {65319, 60, false},  {65320, 200, false},
};

// The type name and icon of a kind of file, looked up once per kind: the icon theme and the type
// database are slow next to reading a folder.
struct TKindLook {
    std::string TypeName;
    QIcon Icon;
};

// The caches live as long as the program: icons freed after the application object is gone, or
// before its own clean-up that still reaches them, bring the program down at exit.
const TKindLook& kindLook(const std::string& fileName, bool folder)
{
    static QMimeDatabase& database = *new QMimeDatabase;
    static std::map<QString, TKindLook>& looks = *new std::map<QString, TKindLook>;
    QMimeType type = folder ? database.mimeTypeForName(QStringLiteral("inode/directory"))
                            : database.mimeTypeForFile(FromFilePath(fileName), QMimeDatabase::MatchExtension);
    auto [it, added] = looks.try_emplace(type.name());
    if (added) {
        static QFileIconProvider& provider = *new QFileIconProvider;
        QIcon fallback = provider.icon(folder ? QAbstractFileIconProvider::Folder : QAbstractFileIconProvider::File);
        it->second.TypeName = ToEditorText(type.comment());
        it->second.Icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), fallback));
    }
    return it->second;
}

// The local short date, two blanks and the local time without seconds.
std::string dateText(std::time_t time)
{
    static const QString timeFormat = [] {
        QString format = QLocale::system().timeFormat(QLocale::ShortFormat);
        format.remove(QRegularExpression(QStringLiteral("[:.]?s+")));
        return format.trimmed();
    }();
    QDateTime at = QDateTime::fromSecsSinceEpoch(time);
    QLocale locale = QLocale::system();
    return ToEditorText(locale.toString(at.date(), QLocale::ShortFormat) + QStringLiteral("  ") +
                     locale.toString(at.time(), timeFormat));
}

std::string attributeText(uint32_t attr)
{
    std::string text;
    const std::pair<uint32_t, char> letters[] = {{faDirectory, 'D'}, {faArchive, 'A'}, {faReadOnly, 'R'},
                                                 {faSysFile, 'S'},   {faHidden, 'H'},  {faTemporary, 'T'}};
    for (auto [bit, letter] : letters)
        if (attr & bit)
            text += letter;
    return text;
}

// <0, 0, >0 comparing the texts in upper case over the Windows-1252 letters.
int compareUpper(std::string_view a, std::string_view b)
{
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        auto x = static_cast<unsigned char>(AnsiUpper(a[i]));
        auto y = static_cast<unsigned char>(AnsiUpper(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::time_t timeOf(const TListItem& item, TFileInfo column)
{
    return column == fiModified ? item.Modified : column == fiCreated ? item.Created : item.LastAccess;
}

void fillTexts(TListItem& item, const std::string& folder, const TSearchRec& rec)
{
    bool isFolder = rec.Attr & faDirectory;
    const TKindLook& look = kindLook(rec.Name, isFolder);
    item.IsFolder = isFolder;
    item.Path = folder + rec.Name;
    item.Modified = rec.Modified;
    item.Created = rec.Created;
    item.LastAccess = rec.LastAccess;
    item.Icon = look.Icon;
    item.Texts[fiSize] = isFolder ? std::string() : Format("%10lld", static_cast<long long>(rec.Size));
    item.Texts[fiType] = look.TypeName;
    item.Texts[fiModified] = dateText(rec.Modified);
    item.Texts[fiCreated] = dateText(rec.Created);
    item.Texts[fiLastAccess] = dateText(rec.LastAccess);
    item.Texts[fiAttributes] = attributeText(rec.Attr);
    item.Texts[fiPath] = FilePathText(folder);
}

// A cell as the list shows it. A name column made from the entry's name shows the characters its
// bytes spell (a byte that spells none as U+FFFD); a text the add event put there shows as it is.
QString shownText(const TListItem& item, TFileInfo column)
{
    const std::string name = ExtractFileName(item.Path);
    std::string bytes;
    switch (column) {
    case fiName:
    case fiDosName:
        bytes = name;
        break;
    case fiDosExt:
        bytes = ExtractFileExt(name);
        if (!bytes.empty())
            bytes.erase(0, 1);
        break;
    case fiPath:
        bytes = ExtractFilePath(item.Path);
        break;
    default:
        return FromEditorText(item.Text(column));
    }
    const std::string& text = item.Text(column);
    return !item.Path.empty() && text == FilePathText(bytes) ? FromFilePath(bytes) : FromEditorText(text);
}

} // namespace

const TFileColumn& FileColumn(TFileInfo info)
{
    return kColumns[std::clamp(static_cast<int>(info), 0, kFileInfoCount - 1)];
}

// The items as rows and the shown columns as columns; the views only read it.
class TFileListModel : public QAbstractTableModel {
public:
    explicit TFileListModel(TFileListView& owner) : QAbstractTableModel(&owner), FOwner(owner) {}

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(FOwner.FItems.size());
    }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(FOwner.FColumns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount({}) || index.column() >= columnCount({}))
            return {};
        const TListItem& item = FOwner.FItems[static_cast<size_t>(index.row())];
        TFileInfo column = FOwner.FColumns[static_cast<size_t>(index.column())];
        switch (role) {
        case Qt::DisplayRole: return shownText(item, column);
        case Qt::DecorationRole: return column == fiName ? QVariant(item.Icon) : QVariant();
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignVCenter | (FileColumn(column).RightAligned ? Qt::AlignRight : Qt::AlignLeft));
        default: return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount({}))
            return {};
        const TFileColumn& column = FileColumn(FOwner.FColumns[static_cast<size_t>(section)]);
        if (role == Qt::DisplayRole)
            return LoadResQString(column.CaptionId);
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignVCenter | (column.RightAligned ? Qt::AlignRight : Qt::AlignLeft));
        return {};
    }
    void reset(const std::function<void()>& change)
    {
        beginResetModel();
        change();
        endResetModel();
    }

private:
    TFileListView& FOwner;
};

TFileListView::TFileListView(QWidget* parent)
    : QWidget(parent), FModel(new TFileListModel(*this)), FStack(new QStackedLayout(this)), FIcons(new QListView(this)),
      FReport(new QTreeView(this))
{
    FColumns = {fiName};
    FStack->setContentsMargins(0, 0, 0, 0);
    FIcons->setModel(FModel);
    FIcons->setSelectionMode(QAbstractItemView::SingleSelection);
    FReport->setModel(FModel);
    FReport->setRootIsDecorated(false);
    FReport->setItemsExpandable(false);
    FReport->setUniformRowHeights(true);
    FReport->setSelectionMode(QAbstractItemView::SingleSelection);
    FReport->header()->setSectionsClickable(true);
    FReport->header()->setSortIndicatorShown(false);
    FReport->header()->setStretchLastSection(false);
    // The report shares its selection with the icon view, so a change of style keeps it.
    FReport->setSelectionModel(FIcons->selectionModel());
    connect(FReport->header(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= 0 && section < static_cast<int>(FColumns.size()))
            ColumnClick(FColumns[static_cast<size_t>(section)]);
    });
    FStack->addWidget(FIcons);
    FStack->addWidget(FReport);
    SetViewStyle(vsIcon);
}

TFileListView::~TFileListView() = default;

void TFileListView::SetViewStyle(TViewStyle value)
{
    FViewStyle = value;
    switch (value) {
    case vsIcon:
        FIcons->setViewMode(QListView::IconMode);
        FIcons->setIconSize(QSize(32, 32));
        FIcons->setGridSize(QSize(80, 64));
        break;
    case vsSmallIcon:
        FIcons->setViewMode(QListView::ListMode);
        FIcons->setIconSize(QSize(16, 16));
        FIcons->setGridSize(QSize());
        FIcons->setFlow(QListView::LeftToRight);
        FIcons->setWrapping(true);
        break;
    case vsList:
        FIcons->setViewMode(QListView::ListMode);
        FIcons->setIconSize(QSize(16, 16));
        FIcons->setGridSize(QSize());
        FIcons->setFlow(QListView::TopToBottom);
        FIcons->setWrapping(true);
        break;
    case vsReport: break;
    }
    if (value != vsReport)
        FIcons->setMovement(QListView::Static);
    FStack->setCurrentWidget(value == vsReport ? static_cast<QWidget*>(FReport) : FIcons);
}

void TFileListView::SetAcceptFiles(bool value)
{
    FAcceptFiles = value;
    setAcceptDrops(value);
}

QAbstractItemView* TFileListView::ActiveView() const
{
    return FViewStyle == vsReport ? static_cast<QAbstractItemView*>(FReport) : FIcons;
}

int TFileListView::Selected() const
{
    QModelIndex current = FIcons->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TFileListView::SetSelected(int index)
{
    if (index < 0 || index >= Count()) {
        FIcons->selectionModel()->clear();
        return;
    }
    FIcons->selectionModel()->setCurrentIndex(FModel->index(index, 0),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

TListItem TFileListView::MakeFileItem(const std::string& folder, const TSearchRec& rec)
{
    TListItem item;
    fillTexts(item, folder, rec);
    item.Caption = FilePathText(rec.Name);
    item.Texts[fiDosName] = item.Caption;
    std::string ext = ExtractFileExt(item.Caption);
    item.Texts[fiDosExt] = ext.empty() ? ext : ext.substr(1);
    return item;
}

void TFileListView::SetItems(std::vector<TListItem> items)
{
    FModel->reset([&] { FItems = std::move(items); });
}

void TFileListView::ItemsReordered()
{
    FModel->reset([] {});
}

void TFileListView::SetColumns(std::vector<TFileInfo> columns)
{
    FModel->reset([&] { FColumns = std::move(columns); });
    for (size_t i = 0; i < FColumns.size(); ++i)
        FReport->setColumnWidth(static_cast<int>(i), FileColumn(FColumns[i]).Width);
}

void TFileListView::dragEnterEvent(QDragEnterEvent* event)
{
    AcceptFileDrag(*event, FAcceptFiles);
}

void TFileListView::dragMoveEvent(QDragMoveEvent* event)
{
    AcceptFileDrag(*event, FAcceptFiles);
}

void TFileListView::dropEvent(QDropEvent* event)
{
    TPoint at;
    TStringList files;
    if (TakeFileDrop(*event, FAcceptFiles, at, files) && OnFileDrop)
        OnFileDrop(this, at, files);
}

// ---------------------------------------------------------------- TFileList

TFileList::TFileList(QWidget* parent) : TFileListView(parent)
{
    ParseMaskList("", FMasks, true, false);
    SetViewColumns(FViewColumns);
}

std::string TFileList::Directory() const
{
    std::string joined;
    for (int i = 0; i < FDirectories.Count(); ++i)
        joined += (i ? ";" : "") + FDirectories[i];
    return joined;
}

void TFileList::SetDirectory(const std::string& value)
{
    FDirectories.Clear();
    std::string rest = value;
    // A trailing ";" holds no folder, and an empty piece would stand for no folder either.
    while (!rest.empty()) {
        std::string folder = Trim(NextToken(rest, ';'));
        if (!folder.empty())
            FDirectories.Add(AddBackslash(folder));
    }
    Refresh();
}

std::string TFileList::Mask() const
{
    std::string joined;
    for (int i = 0; i < FMasks.Count(); ++i)
        joined += (i ? ";" : "") + FMasks[i];
    return joined;
}

void TFileList::SetMask(const std::string& value)
{
    ParseMaskList(value, FMasks, true, false);
    Refresh();
}

void TFileList::SetFileTypes(TFileTypes value)
{
    FFileTypes = value;
    Refresh();
}

void TFileList::SetDisplayDirectory(bool value)
{
    FDisplayDirectory = value;
    Refresh();
}

void TFileList::SetDisplayParentDir(bool value)
{
    FDisplayParentDir = value;
    Refresh();
}

void TFileList::SetViewColumns(TFileInfos value)
{
    FViewColumns = value;
    std::vector<TFileInfo> columns = {fiName};
    for (int i = fiSize; i < kFileInfoCount; ++i)
        if ((value & FileInfoBit(fiAll)) || (value & FileInfoBit(static_cast<TFileInfo>(i))))
            columns.push_back(static_cast<TFileInfo>(i));
    SetColumns(std::move(columns));
}

void TFileList::SetSortColumn(TFileInfo value)
{
    FSortColumn = value == fiAll ? fiName : value;
    sortItems();
}

void TFileList::SetDescending(bool value)
{
    FDescending = value;
    sortItems();
}

void TFileList::ColumnClick(TFileInfo column)
{
    if (column == FSortColumn) {
        SetDescending(!FDescending);
        return;
    }
    FSortColumn = column;
    FDescending = false;
    sortItems();
}

std::string TFileList::Filename() const
{
    int selected = Selected();
    return selected < 0 ? std::string() : Item(selected).Path;
}

bool TFileList::passesAttributes(uint32_t attr) const
{
    if (FFileTypes & ftAll)
        return true;
    const std::pair<uint32_t, TFileType> needs[] = {
        {faArchive, ftArchive}, {faReadOnly, ftReadonly}, {faHidden, ftHidden}, {faSysFile, ftSystem}, {faTemporary, ftTemporary}};
    for (auto [bit, type] : needs)
        if ((attr & bit) && !(FFileTypes & type))
            return false;
    return true;
}

void TFileList::Refresh()
{
    TBusyCursor busy;
    std::vector<TListItem> items;
    auto add = [&](const std::string& folder, const TSearchRec& rec) {
        TListItem item = MakeFileItem(folder, rec);
        bool accept = true;
        if (OnFileAdd)
            OnFileAdd(this, item, item.Path, accept);
        if (accept)
            items.push_back(std::move(item));
    };
    for (int i = 0; i < FDirectories.Count(); ++i) {
        const std::string& folder = FDirectories[i];
        // The root has no parent to go up to.
        if (FDisplayDirectory && FDisplayParentDir && folder != "/") {
            TSearchRec parent;
            if (ReadEntry(folder + "..", parent)) {
                parent.Name = "..";
                parent.Attr = faDirectory;
                add(folder, parent);
            }
        }
        ForEachEntry(folder, [&](const TSearchRec& rec) {
            if (!passesAttributes(rec.Attr))
                return true;
            if (rec.Attr & faDirectory) {
                if (FDisplayDirectory)
                    add(folder, rec);
            } else if (MatchesMaskList(FilePathText(rec.Name), FMasks, true, false)) {
                add(folder, rec);
            }
            return true;
        });
    }
    SetItems(std::move(items));
    sortItems();
}

void TFileList::sortItems()
{
    const TFileInfo column = FSortColumn;
    const bool byTime = column == fiModified || column == fiCreated || column == fiLastAccess;
    const bool descending = FDescending;
    auto compare = [&](const TListItem& a, const TListItem& b) {
        if (a.IsFolder != b.IsFolder)
            return a.IsFolder ? -1 : 1;
        int order = 0;
        if (byTime) {
            // Newest first, by the time itself: short date texts do not sort by time.
            std::time_t ta = timeOf(a, column), tb = timeOf(b, column);
            order = ta == tb ? 0 : (ta > tb ? -1 : 1);
        } else {
            order = compareUpper(a.Text(column), b.Text(column));
        }
        return order != 0 ? order : compareUpper(a.Caption, b.Caption);
    };
    std::vector<TListItem>& items = Items();
    std::stable_sort(items.begin(), items.end(), [&](const TListItem& a, const TListItem& b) {
        int order = compare(a, b);
        return descending ? order > 0 : order < 0;
    });
    ItemsReordered();
}
