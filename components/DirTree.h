// TDirTree: a tree of the machine's drives and folders, filled as the user expands it.
#pragma once

#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Geometry.h"

class QTimer;

// Which folders are shown, one bit each.
enum TDirType : unsigned {
    dtReadOnly = 1u << 0,
    dtHidden = 1u << 1,
    dtSystem = 1u << 2,
    dtArchive = 1u << 3,
    dtNormal = 1u << 4,
    dtAll = 1u << 5,
};
using TDirTypes = unsigned;

// Which drives are listed, one bit each.
enum TDriveType : unsigned {
    drtUnknown = 1u << 0,
    drtRemovable = 1u << 1,
    drtFixed = 1u << 2,
    drtRemote = 1u << 3,
    drtCDRom = 1u << 4,
    drtRamDisk = 1u << 5,
};
using TDriveTypes = unsigned;

// What each node carries: its folder with a trailing "/", whether its children were read, and the
// index of its icon in the tree's icon list.
struct TDirNodeData {
    std::string Path;
    bool ChildrenRead = false;
    int IconIndex = -1;
};

class TDirTreeNode : public QTreeWidgetItem {
public:
    static constexpr int kType = QTreeWidgetItem::UserType + 101;
    explicit TDirTreeNode(std::string path) : QTreeWidgetItem(kType) { Data.Path = std::move(path); }
    TDirNodeData Data;
};

class TDirTree : public QTreeWidget {
public:
    using TAddDirEvent = std::function<void(TDirTree* Sender, const std::string& Path, bool& Add)>;
    // Stands in for the folder enumeration: called with the folder and `First` set for its first
    // entry, then clear for each next one; returns false when there are no more.
    using TFindDirEvent = std::function<bool(TDirTree* Sender, const std::string& Path, bool First, TSearchRec& Rec)>;
    using TNodeEvent = std::function<void(TDirTree* Sender, TDirTreeNode* Node)>;
    using TDropFilesEvent = std::function<void(TDirTree* Sender, TPoint Point, const TStringList& Files)>;
    using TDriveSource = std::function<std::vector<TDriveInfo>()>;

    explicit TDirTree(QWidget* parent = nullptr);
    ~TDirTree() override;

    bool ReadOnStart() const { return FReadOnStart; }
    void SetReadOnStart(bool value) { FReadOnStart = value; }
    TDirTypes DirTypes() const { return FDirTypes; }
    void SetDirTypes(TDirTypes value);
    bool GoBelowRecycleBin() const { return FGoBelowRecycleBin; }
    void SetGoBelowRecycleBin(bool value);
    bool FastLoad() const { return FFastLoad; }
    void SetFastLoad(bool value) { FFastLoad = value; }
    const std::string& InitialDirectory() const { return FInitialDirectory; }
    void SetInitialDirectory(const std::string& value) { FInitialDirectory = value; }
    TDriveTypes DriveTypes() const { return FDriveTypes; }
    void SetDriveTypes(TDriveTypes value);
    // Kept for forms that set it; this system marks no folder as shared.
    bool ShowShareOverlay() const { return FShowShareOverlay; }
    void SetShowShareOverlay(bool value) { FShowShareOverlay = value; }
    bool AcceptDropFiles() const { return FAcceptDropFiles; }
    void SetAcceptDropFiles(bool value);

    // The selected folder with a trailing "/"; "?" when nothing is selected.
    std::string Directory() const;
    // Expands the tree along the path and selects its last folder; "?" does nothing, "" raises.
    void SetDirectory(const std::string& path);

    // Builds the drive list again and selects the same folder, else its drive, else the first drive.
    void Reload();
    // Reads the children of one node again.
    void RefreshNode(TDirTreeNode* node);
    // A change of the mount table: drives come and go, a drive with another medium is read again,
    // and the tree ends as a fresh build would, keeping the selection while its folder exists.
    void DeviceChanged();

    // Where the drive list comes from; the machine's mount table unless replaced.
    void SetDriveSource(TDriveSource source) { FDriveSource = std::move(source); }
    // How often the mount table is looked at for changes, in milliseconds.
    int DeviceCheckInterval() const;
    void SetDeviceCheckInterval(int ms);

    TDirTreeNode* Selected() const;
    TDirTreeNode* NodeOf(QTreeWidgetItem* item) const;
    // The node of a folder among the nodes read so far; nullptr when it is not there.
    TDirTreeNode* FindNode(const std::string& path) const;

    TAddDirEvent OnAddDir;
    TFindDirEvent OnFindDir;
    TNodeEvent OnGetIcon;
    TNodeEvent OnDeleteItem;
    TDropFilesEvent OnDropFiles;
    // The selection changed (also after a change of the drives).
    TNodeEvent OnChange;

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildDrives();
    void ensureBuilt();
    std::vector<TDriveInfo> listedDrives() const;
    TDirTreeNode* makeDriveNode(const TDriveInfo& drive);
    TDirTreeNode* makeFolderNode(const std::string& path);
    void readChildren(TDirTreeNode* node);
    void clearChildren(TDirTreeNode* node);
    void deleteNode(QTreeWidgetItem* item);
    void notifyDeleted(QTreeWidgetItem* item);
    void probe(TDirTreeNode* node);
    bool hasSubfolder(const std::string& path) const;
    // Each folder entry of the path, through OnFindDir when assigned; stops when `visit` says so.
    void forEachFolder(const std::string& path, const std::function<bool(const TSearchRec&)>& visit) const;
    bool passes(const std::string& path, uint32_t attr) const;
    bool selectPath(const std::string& path);
    TDirTreeNode* driveNodeFor(const std::string& path) const;
    void changed();
    void checkDevices();

    bool FReadOnStart = true;
    TDirTypes FDirTypes = dtNormal | dtReadOnly | dtArchive;
    bool FGoBelowRecycleBin = false;
    bool FFastLoad = false;
    std::string FInitialDirectory;
    TDriveTypes FDriveTypes = drtRemovable | drtFixed | drtRemote | drtCDRom | drtRamDisk;
    bool FShowShareOverlay = false;
    bool FAcceptDropFiles = false;

    bool FBuilt = false;
    // Reactions (the change event) are suspended while this is above 0.
    int FUpdating = 0;
    std::vector<TDriveInfo> FDrives;   // the drives that have nodes, in node order
    std::vector<TDriveInfo> FLastSeen; // the whole drive list as last read
    TDriveSource FDriveSource;
    QTimer* FDeviceTimer;
};
