// TFileListView and TFileList: the files of one or more folders in four view styles, with columns,
// sorting by column, an attribute filter and wildcard masks.
#pragma once

#include <QIcon>
#include <QWidget>
#include <array>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "components/core/MaskSearch.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Geometry.h"

class QAbstractItemView;
class QListView;
class QStackedLayout;
class QTreeView;
class TFileListModel;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

// The columns a list can show, in their fixed order.
enum TFileInfo { fiName, fiSize, fiType, fiModified, fiCreated, fiLastAccess, fiAttributes, fiDosName, fiDosExt, fiPath, fiAll };
constexpr int kFileInfoCount = fiAll;
using TFileInfos = unsigned;
constexpr TFileInfos FileInfoBit(TFileInfo info) { return 1u << info; }

// Which attributes an entry may have to be listed, one bit each.
enum TFileType : unsigned {
    ftArchive = 1u << 0,
    ftReadonly = 1u << 1,
    ftSystem = 1u << 2,
    ftHidden = 1u << 3,
    ftTemporary = 1u << 4,
    ftAll = 1u << 5,
};
using TFileTypes = unsigned;

// One row of the list: the text of every column (whether shown or not; a name as FilePathText gives
// it), the times the date columns sort by, and the entry's full path (the file system's bytes). The
// list shows a name as the characters it spells.
struct TListItem {
    std::string Caption;
    std::array<std::string, kFileInfoCount> Texts;
    std::time_t Modified = 0;
    std::time_t Created = 0;
    std::time_t LastAccess = 0;
    bool IsFolder = false;
    std::string Path;
    QIcon Icon;
    const std::string& Text(TFileInfo info) const { return info == fiName ? Caption : Texts[info]; }
};

// Caption, width and alignment of a column.
struct TFileColumn {
    int CaptionId;
    int Width;
    bool RightAligned;
};
const TFileColumn& FileColumn(TFileInfo info);

// A list view of file items over one shared model, shown as large icons, small icons, a list or a
// report with columns.
class TFileListView : public QWidget {
public:
    using TFileDropEvent = std::function<void(TFileListView* Sender, TPoint Point, const TStringList& Files)>;

    explicit TFileListView(QWidget* parent = nullptr);
    ~TFileListView() override;

    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle value);
    bool AcceptFiles() const { return FAcceptFiles; }
    void SetAcceptFiles(bool value);
    TFileDropEvent OnFileDrop;

    int Count() const { return static_cast<int>(FItems.size()); }
    const TListItem& Item(int index) const { return FItems.at(static_cast<size_t>(index)); }
    // The selected item's index; -1 when none.
    int Selected() const;
    void SetSelected(int index);
    // The view showing the items in the current style.
    QAbstractItemView* ActiveView() const;
    QTreeView* ReportView() const { return FReport; }
    QListView* IconView() const { return FIcons; }
    // The columns of the report, the caption's first.
    const std::vector<TFileInfo>& Columns() const { return FColumns; }

protected:
    // Makes the item for a found entry of a folder.
    virtual TListItem MakeFileItem(const std::string& folder, const TSearchRec& rec);
    // Replaces every item at once; the views see one reset.
    void SetItems(std::vector<TListItem> items);
    std::vector<TListItem>& Items() { return FItems; }
    void ItemsReordered();
    void SetColumns(std::vector<TFileInfo> columns);
    // A click on a report column's header.
    virtual void ColumnClick(TFileInfo) {}

    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    std::vector<TListItem> FItems;
    std::vector<TFileInfo> FColumns;
    TViewStyle FViewStyle = vsIcon;
    bool FAcceptFiles = false;
    TFileListModel* FModel;
    QStackedLayout* FStack;
    QListView* FIcons;
    QTreeView* FReport;
    friend class TFileListModel;
};

class TFileList : public TFileListView {
public:
    using TFileAddEvent = std::function<void(TFileList* Sender, TListItem& Item, const std::string& Path, bool& Accept)>;

    explicit TFileList(QWidget* parent = nullptr);

    // The folders joined with ";", each with its trailing "/".
    std::string Directory() const;
    void SetDirectory(const std::string& value);
    // The masks joined with ";".
    std::string Mask() const;
    void SetMask(const std::string& value);
    TFileTypes FileTypes() const { return FFileTypes; }
    void SetFileTypes(TFileTypes value);
    bool DisplayDirectory() const { return FDisplayDirectory; }
    void SetDisplayDirectory(bool value);
    bool DisplayParentDir() const { return FDisplayParentDir; }
    void SetDisplayParentDir(bool value);
    TFileInfos ViewColumns() const { return FViewColumns; }
    void SetViewColumns(TFileInfos value);
    TFileInfo SortColumn() const { return FSortColumn; }
    void SetSortColumn(TFileInfo value);
    bool Descending() const { return FDescending; }
    void SetDescending(bool value);
    // The full path of the selected item; "" when none.
    std::string Filename() const;

    // Reads the folders again.
    void Refresh();

    TFileAddEvent OnFileAdd;

protected:
    void ColumnClick(TFileInfo column) override;

private:
    bool passesAttributes(uint32_t attr) const;
    void sortItems();

    TStringList FDirectories;
    TPatternList FMasks;
    TFileTypes FFileTypes = ftArchive | ftReadonly;
    bool FDisplayDirectory = true;
    bool FDisplayParentDir = true;
    TFileInfos FViewColumns = FileInfoBit(fiName) | FileInfoBit(fiSize) | FileInfoBit(fiType) | FileInfoBit(fiModified);
    TFileInfo FSortColumn = fiName;
    bool FDescending = false;
};
