// TDirTree: drive nodes from the mount table, folder nodes read once on first expansion, each new
// node probed for one subfolder so that only folders with subfolders show an expander.
#include "components/DirTree.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileIconProvider>
#include <QTimer>
#include <algorithm>

#include "components/core/FileUtil.h"
#include "components/core/xProcs.h"
#include "platform/Cursors.h"
#include "platform/FileDrops.h"
#include "platform/FileNameQt.h"
#include "platform/core/Exception.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kInvalidPathName = 65310;
constexpr int kDefaultDeviceCheckMs = 2000;

// Indexes of the tree's icon list.
enum { kFolderIcon, kDriveIcon, kNetworkIcon, kIconCount };

// Kept for the whole run, like the system's shared image list: freed at exit, the icons would outlive
// the application object that their clean-up needs.
const std::vector<QIcon>& iconList()
{
    static const std::vector<QIcon>& icons = *new std::vector<QIcon>([] {
        QFileIconProvider provider;
        std::vector<QIcon> list(kIconCount);
        list[kFolderIcon] = provider.icon(QAbstractFileIconProvider::Folder);
        list[kDriveIcon] = provider.icon(QAbstractFileIconProvider::Drive);
        list[kNetworkIcon] = provider.icon(QAbstractFileIconProvider::Network);
        return list;
    }());
    return icons;
}

std::string withoutSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool isTrashName(const std::string& component)
{
    std::string name = AsciiLowerCase(component);
    return name == "recycled" || name == "recycler" || name == "$recycle.bin" || name == "trash" ||
           name == ".trash" || name.rfind(".trash-", 0) == 0;
}

// True for a folder inside a recycle bin or trash folder; the bin itself is not below it.
bool belowRecycleBin(const std::string& path)
{
    std::string folder = withoutSlash(path);
    size_t start = 0;
    while (start < folder.size()) {
        size_t slash = folder.find('/', start);
        if (slash == std::string::npos)
            return false;
        if (slash > start && isTrashName(folder.substr(start, slash - start)) && slash + 1 < folder.size())
            return true;
        start = slash + 1;
    }
    return false;
}

TDriveType driveTypeOf(TDriveKind kind)
{
    switch (kind) {
    case dkRemovable: return drtRemovable;
    case dkFixed: return drtFixed;
    case dkRemote: return drtRemote;
    case dkCDRom: return drtCDRom;
    case dkRamDisk: return drtRamDisk;
    default: return drtUnknown;
    }
}

// "label (root)", or "(root)" without a label; removable and remote drives go by the name the
// desktop gives their mount point.
std::string driveText(const TDriveInfo& drive)
{
    std::string root = withoutSlash(drive.Root);
    if (drive.Kind == dkRemovable || drive.Kind == dkRemote)
        return drive.Label.empty() ? ExtractFileName(root) : drive.Label;
    return drive.Label.empty() ? "(" + root + ")" : drive.Label + " (" + root + ")";
}

// The folder names of a path, without the empty ones that doubled or trailing separators leave.
std::vector<std::string> pathComponents(std::string path)
{
    std::vector<std::string> names;
    while (!path.empty())
        if (std::string name = NextToken(path, '/'); !name.empty())
            names.push_back(std::move(name));
    return names;
}

// True when a folder answers to the path with its components compared without case, as the names
// of a path typed by hand are taken.
bool folderExistsWithoutCase(const std::string& path)
{
    if (DirExists(path))
        return true;
    if (path.empty() || path[0] != '/')
        return false;
    std::string found = "/";
    for (const std::string& component : pathComponents(path)) {
        std::string name = ShortToLongFileName(found + component);
        if (name.empty() || !DirExists(found + name))
            return false;
        found += name + "/";
    }
    return true;
}

} // namespace

TDirTree::TDirTree(QWidget* parent) : QTreeWidget(parent), FDeviceTimer(new QTimer(this))
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    FDriveSource = &LogicalDrives;
    FDeviceTimer->setInterval(kDefaultDeviceCheckMs);
    connect(FDeviceTimer, &QTimer::timeout, this, [this] { checkDevices(); });
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) {
        if (TDirTreeNode* node = NodeOf(item))
            readChildren(node);
    });
    connect(this, &QTreeWidget::currentItemChanged, this, [this] { changed(); });
}

TDirTree::~TDirTree()
{
    // Deleting items from here on would reach a half-destroyed tree: the owner hears of no deletion.
    OnDeleteItem = nullptr;
    OnChange = nullptr;
}

void TDirTree::SetDirTypes(TDirTypes value)
{
    if (value == FDirTypes)
        return;
    FDirTypes = value;
    if (FBuilt)
        Reload();
}

void TDirTree::SetGoBelowRecycleBin(bool value)
{
    if (value == FGoBelowRecycleBin)
        return;
    FGoBelowRecycleBin = value;
    if (FBuilt)
        Reload();
}

void TDirTree::SetDriveTypes(TDriveTypes value)
{
    if (value == FDriveTypes)
        return;
    FDriveTypes = value;
    if (FBuilt)
        Reload();
}

void TDirTree::SetAcceptDropFiles(bool value)
{
    FAcceptDropFiles = value;
    setAcceptDrops(value);
    viewport()->setAcceptDrops(value);
}

int TDirTree::DeviceCheckInterval() const
{
    return FDeviceTimer->interval();
}

void TDirTree::SetDeviceCheckInterval(int ms)
{
    FDeviceTimer->setInterval(std::max(ms, 1));
}

TDirTreeNode* TDirTree::NodeOf(QTreeWidgetItem* item) const
{
    return item && item->type() == TDirTreeNode::kType ? static_cast<TDirTreeNode*>(item) : nullptr;
}

TDirTreeNode* TDirTree::Selected() const
{
    return NodeOf(currentItem());
}

std::string TDirTree::Directory() const
{
    TDirTreeNode* node = Selected();
    return node ? node->Data.Path : "?";
}

void TDirTree::SetDirectory(const std::string& path)
{
    if (path == "?")
        return;
    if (path.empty())
        throw Exception(LoadResString(kInvalidPathName));
    TBusyCursor busy;
    ensureBuilt();
    std::string folder = AddBackslash(path);
    if (!folderExistsWithoutCase(folder)) {
        TDirTreeNode* drive = driveNodeFor(folder);
        if (!drive)
            return;
        folder = drive->Data.Path;
    }
    setUpdatesEnabled(false);
    TScopeGuard updates([this] { setUpdatesEnabled(true); });
    selectPath(folder);
}

bool TDirTree::selectPath(const std::string& path)
{
    TDirTreeNode* node = driveNodeFor(path);
    if (!node)
        return false;
    for (const std::string& component : pathComponents(path.substr(node->Data.Path.size()))) {
        readChildren(node);
        TDirTreeNode* next = nullptr;
        for (int i = 0; i < node->childCount() && !next; ++i) {
            TDirTreeNode* child = NodeOf(node->child(i));
            if (child && AnsiSameText(ExtractFileName(withoutSlash(child->Data.Path)), component))
                next = child;
        }
        if (!next)
            return false;
        node->setExpanded(true);
        node = next;
    }
    setCurrentItem(node);
    scrollToItem(node);
    return true;
}

TDirTreeNode* TDirTree::driveNodeFor(const std::string& path) const
{
    TDirTreeNode* best = nullptr;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        TDirTreeNode* node = NodeOf(topLevelItem(i));
        if (!node)
            continue;
        const std::string& root = node->Data.Path;
        if (path.size() >= root.size() && AnsiSameText(std::string_view(path).substr(0, root.size()), root) &&
            (!best || root.size() > best->Data.Path.size()))
            best = node;
    }
    return best;
}

TDirTreeNode* TDirTree::FindNode(const std::string& path) const
{
    std::string folder = AddBackslash(path);
    for (QTreeWidgetItemIterator it(const_cast<TDirTree*>(this)); *it; ++it)
        if (TDirTreeNode* node = NodeOf(*it); node && node->Data.Path == folder)
            return node;
    return nullptr;
}

void TDirTree::showEvent(QShowEvent* event)
{
    QTreeWidget::showEvent(event);
    if (FReadOnStart && !FBuilt) {
        buildDrives();
        if (!FInitialDirectory.empty())
            SetDirectory(FInitialDirectory);
    }
}

void TDirTree::ensureBuilt()
{
    if (!FBuilt)
        buildDrives();
}

std::vector<TDriveInfo> TDirTree::listedDrives() const
{
    std::vector<TDriveInfo> listed;
    for (const TDriveInfo& drive : FLastSeen) {
        if (!(FDriveTypes & driveTypeOf(drive.Kind)))
            continue;
        TSearchRec rec;
        if (ReadEntry(drive.Root, rec) && passes(drive.Root, rec.Attr))
            listed.push_back(drive);
    }
    return listed;
}

void TDirTree::buildDrives()
{
    TBusyCursor busy;
    ++FUpdating;
    TScopeGuard resume([this] { --FUpdating; });
    setUpdatesEnabled(false);
    TScopeGuard updates([this] { setUpdatesEnabled(true); });
    while (topLevelItemCount() > 0)
        deleteNode(topLevelItem(0));
    FLastSeen = FDriveSource ? FDriveSource() : std::vector<TDriveInfo>();
    FDrives = listedDrives();
    for (const TDriveInfo& drive : FDrives)
        addTopLevelItem(makeDriveNode(drive));
    FBuilt = true;
    FDeviceTimer->start();
}

TDirTreeNode* TDirTree::makeDriveNode(const TDriveInfo& drive)
{
    auto* node = new TDirTreeNode(drive.Root);
    node->setText(0, FromFilePath(driveText(drive)));
    node->Data.IconIndex = drive.Kind == dkRemote ? kNetworkIcon : kDriveIcon;
    node->setIcon(0, iconList()[node->Data.IconIndex]);
    if (OnGetIcon)
        OnGetIcon(this, node);
    bool probeIt = !FFastLoad && (drive.Kind == dkFixed || drive.Kind == dkRemote || drive.Kind == dkRamDisk);
    if (probeIt)
        probe(node);
    else
        node->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return node;
}

TDirTreeNode* TDirTree::makeFolderNode(const std::string& path)
{
    auto* node = new TDirTreeNode(path);
    node->setText(0, FromFilePath(ExtractFileName(withoutSlash(path))));
    node->Data.IconIndex = kFolderIcon;
    node->setIcon(0, iconList()[kFolderIcon]);
    if (OnGetIcon)
        OnGetIcon(this, node);
    probe(node);
    return node;
}

void TDirTree::probe(TDirTreeNode* node)
{
    node->setChildIndicatorPolicy(hasSubfolder(node->Data.Path) ? QTreeWidgetItem::ShowIndicator
                                                                 : QTreeWidgetItem::DontShowIndicator);
}

void TDirTree::forEachFolder(const std::string& path, const std::function<bool(const TSearchRec&)>& visit) const
{
    auto consider = [&](const TSearchRec& rec) {
        if (rec.Name.empty() || rec.Name == "." || rec.Name == ".." || !(rec.Attr & faDirectory))
            return true;
        return visit(rec);
    };
    if (OnFindDir) {
        TSearchRec rec;
        auto* self = const_cast<TDirTree*>(this);
        for (bool first = true; OnFindDir(self, path, first, rec); first = false) {
            if (!consider(rec))
                return;
            rec = TSearchRec();
        }
        return;
    }
    ForEachEntry(path, consider);
}

bool TDirTree::hasSubfolder(const std::string& path) const
{
    bool found = false;
    forEachFolder(path, [&](const TSearchRec& rec) {
        found = passes(path + rec.Name + "/", rec.Attr);
        return !found;
    });
    return found;
}

bool TDirTree::passes(const std::string& path, uint32_t attr) const
{
    if (!FGoBelowRecycleBin && belowRecycleBin(path))
        return false;
    if (OnAddDir) {
        bool add = true;
        OnAddDir(const_cast<TDirTree*>(this), path, add);
        if (!add)
            return false;
    }
    if (FDirTypes & dtAll)
        return true;
    bool special = false;
    const std::pair<uint32_t, TDirType> needs[] = {{faHidden, dtHidden}, {faSysFile, dtSystem}, {faArchive, dtArchive}};
    for (auto [bit, type] : needs)
        if (attr & bit) {
            if (!(FDirTypes & type))
                return false;
            special = true;
        }
    return special || (FDirTypes & dtNormal);
}

void TDirTree::readChildren(TDirTreeNode* node)
{
    if (node->Data.ChildrenRead)
        return;
    TBusyCursor busy;
    clearChildren(node);
    node->Data.ChildrenRead = true;
    TStringList names;
    forEachFolder(node->Data.Path, [&](const TSearchRec& rec) {
        if (passes(node->Data.Path + rec.Name + "/", rec.Attr))
            names.Add(rec.Name);
        return true;
    });
    names.Sort();
    QList<QTreeWidgetItem*> children;
    for (int i = 0; i < names.Count(); ++i)
        children.append(makeFolderNode(node->Data.Path + names[i] + "/"));
    node->addChildren(children);
    node->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

void TDirTree::notifyDeleted(QTreeWidgetItem* item)
{
    for (int i = 0; i < item->childCount(); ++i)
        notifyDeleted(item->child(i));
    if (OnDeleteItem)
        if (TDirTreeNode* node = NodeOf(item))
            OnDeleteItem(this, node);
}

void TDirTree::deleteNode(QTreeWidgetItem* item)
{
    notifyDeleted(item);
    delete item;
}

void TDirTree::clearChildren(TDirTreeNode* node)
{
    while (node->childCount() > 0)
        deleteNode(node->child(0));
}

void TDirTree::RefreshNode(TDirTreeNode* node)
{
    if (!node)
        return;
    clearChildren(node);
    node->Data.ChildrenRead = false;
    if (node->isExpanded())
        readChildren(node);
    else
        probe(node);
}

void TDirTree::Reload()
{
    std::string selected = Directory();
    {
        ++FUpdating;
        TScopeGuard resume([this] { --FUpdating; });
        buildDrives();
        bool found = false;
        if (selected != "?") {
            if (folderExistsWithoutCase(selected))
                found = selectPath(selected);
            if (!found)
                if (TDirTreeNode* drive = driveNodeFor(selected))
                    found = selectPath(drive->Data.Path);
        }
        if (!found && topLevelItemCount() > 0)
            setCurrentItem(topLevelItem(0));
    }
    changed();
}

void TDirTree::checkDevices()
{
    if (!FDriveSource)
        return;
    if (FDriveSource() != FLastSeen)
        DeviceChanged();
}

void TDirTree::DeviceChanged()
{
    ensureBuilt();
    {
        ++FUpdating;
        TScopeGuard resume([this] { --FUpdating; });
        setUpdatesEnabled(false);
        TScopeGuard updates([this] { setUpdatesEnabled(true); });
        FLastSeen = FDriveSource ? FDriveSource() : std::vector<TDriveInfo>();
        std::vector<TDriveInfo> now = listedDrives();
        auto rootIn = [](const std::vector<TDriveInfo>& list, const std::string& root) {
            return std::find_if(list.begin(), list.end(), [&](const TDriveInfo& d) { return d.Root == root; });
        };
        // Gone drives first, so that the nodes left are in the order of the new list.
        for (int i = topLevelItemCount() - 1; i >= 0; --i) {
            TDirTreeNode* node = NodeOf(topLevelItem(i));
            if (!node || rootIn(now, node->Data.Path) == now.end())
                deleteNode(topLevelItem(i));
        }
        for (size_t i = 0; i < now.size(); ++i) {
            TDirTreeNode* node = NodeOf(topLevelItem(static_cast<int>(i)));
            if (node && node->Data.Path == now[i].Root) {
                auto old = rootIn(FDrives, now[i].Root);
                if (old != FDrives.end() && *old != now[i]) {
                    // Another medium: the node is read as a new one would be.
                    bool wasSelected = currentItem() == node;
                    deleteNode(node);
                    node = makeDriveNode(now[i]);
                    insertTopLevelItem(static_cast<int>(i), node);
                    if (wasSelected)
                        setCurrentItem(node);
                }
                continue;
            }
            insertTopLevelItem(static_cast<int>(i), makeDriveNode(now[i]));
        }
        FDrives = now;
    }
    changed();
}

void TDirTree::changed()
{
    if (FUpdating > 0 || !OnChange)
        return;
    OnChange(this, Selected());
}

void TDirTree::dragEnterEvent(QDragEnterEvent* event)
{
    AcceptFileDrag(*event, FAcceptDropFiles);
}

void TDirTree::dragMoveEvent(QDragMoveEvent* event)
{
    AcceptFileDrag(*event, FAcceptDropFiles);
}

void TDirTree::dropEvent(QDropEvent* event)
{
    TPoint at;
    TStringList files;
    if (TakeFileDrop(*event, FAcceptDropFiles, at, files) && OnDropFiles)
        OnDropFiles(this, at, files);
}
