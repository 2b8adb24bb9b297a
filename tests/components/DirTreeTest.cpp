// Folder tree over temporary folders standing for drives: the folder filter, the recycle bin, the
// selection by path, expanders, reload, drive changes, the events and synthetic clicks.
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

#include "components/DirTree.h"
#include "platform/core/Exception.h"
#include "support/PumpUntil.h"
#include "support/TempDir.h"
#include "tests/components/ComponentTestSupport.h"

namespace fs = std::filesystem;

namespace {

// A folder tree of its own standing for one drive.
struct Drive {
    TempDir dir{"dirtree"};
    std::string root = dir.path.string() + "/";
    void folder(const std::string& relative) const { fs::create_directories(dir.path / relative); }
    TDriveInfo info(const std::string& label = "", const std::string& volume = "v1") const
    {
        return TDriveInfo{root, label, dkFixed, volume};
    }
};

std::vector<std::string> childNames(QTreeWidgetItem* node)
{
    std::vector<std::string> names;
    for (int i = 0; i < node->childCount(); ++i)
        names.push_back(node->child(i)->text(0).toStdString());
    return names;
}

std::vector<std::string> topTexts(const TDirTree& tree)
{
    std::vector<std::string> texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        texts.push_back(tree.topLevelItem(i)->text(0).toStdString());
    return texts;
}

QTreeWidgetItem* expand(TDirTree& tree, const std::string& path)
{
    TDirTreeNode* node = tree.FindNode(path);
    if (node)
        node->setExpanded(true);
    return node;
}

} // namespace

TEST(DirTree, FolderFilterHidesDotFoldersAndTheBinsInside)
{
    Drive d;
    d.folder("visible/sub");
    d.folder(".oculto");
    d.folder("Trash/files/x");
    TDirTree tree;
    tree.SetDriveSource([&] { return std::vector<TDriveInfo>{d.info()}; });
    tree.SetDirTypes(dtNormal);
    tree.Reload();
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    tree.topLevelItem(0)->setExpanded(true);
    EXPECT_EQ(childNames(tree.topLevelItem(0)), (std::vector<std::string>{"Trash", "visible"}));
    tree.SetDirTypes(dtNormal | dtHidden);
    tree.topLevelItem(0)->setExpanded(true);
    EXPECT_EQ(childNames(tree.topLevelItem(0)), (std::vector<std::string>{".oculto", "Trash", "visible"}));
    // The drive's own folder passes the same filter: an ordinary one needs dtNormal.
    tree.SetDirTypes(dtHidden);
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    tree.SetDirTypes(dtAll);
    tree.topLevelItem(0)->setExpanded(true);

    // The bin itself is listed, nothing inside it.
    QTreeWidgetItem* trash = expand(tree, d.root + "Trash");
    ASSERT_NE(trash, nullptr);
    EXPECT_EQ(trash->childCount(), 0);
    tree.SetDirectory(d.root + "Trash/files/x");
    EXPECT_EQ(tree.Directory(), d.root); // the walk stopped; the reload had taken the first drive
    tree.SetGoBelowRecycleBin(true);
    tree.SetDirectory(d.root + "Trash/files/x");
    EXPECT_EQ(tree.Directory(), d.root + "Trash/files/x/");

    // The add event may veto a folder.
    tree.OnAddDir = [](TDirTree*, const std::string& path, bool& add) { add = path.find("visible") == std::string::npos; };
    tree.Reload();
    tree.topLevelItem(0)->setExpanded(true);
    EXPECT_EQ(childNames(tree.topLevelItem(0)), (std::vector<std::string>{".oculto", "Trash"}));
}

TEST(DirTree, DirectoryReadsQuestionMarkAndWritesAlongThePath)
{
    Drive d;
    d.folder("Uno/Dos/Tres");
    d.folder("Uno/Otra");
    d.folder("Uno\\Otra");
    TDirTree tree;
    tree.SetDriveSource([&] { return std::vector<TDriveInfo>{d.info("DATOS")}; });
    EXPECT_EQ(tree.Directory(), "?");
    tree.SetDirectory("?");
    EXPECT_EQ(tree.Directory(), "?");
    try {
        tree.SetDirectory("");
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Invalid Path Name");
    }
    // Components are matched without case; the tree opens along the way.
    tree.SetDirectory(d.root + "uno/DOS/tres");
    EXPECT_EQ(tree.Directory(), d.root + "Uno/Dos/Tres/");
    EXPECT_TRUE(tree.FindNode(d.root + "Uno")->isExpanded());
    EXPECT_TRUE(tree.FindNode(d.root + "Uno/Dos")->isExpanded());
    EXPECT_EQ(tree.topLevelItem(0)->text(0).toStdString(), "DATOS (" + d.dir.path.string() + ")");
    // A backslash is a character of a folder's name; a missing folder falls back to the drive.
    tree.SetDirectory(d.root + "Uno\\Otra");
    EXPECT_EQ(tree.Directory(), d.root + "Uno\\Otra/");
    EXPECT_EQ(tree.Selected()->text(0).toStdString(), "Uno\\Otra");
    tree.SetDirectory(d.root + "Uno/NoExiste");
    EXPECT_EQ(tree.Directory(), d.root);
    // "?" changes nothing.
    tree.SetDirectory("?");
    EXPECT_EQ(tree.Directory(), d.root);
}

TEST(DirTree, OnlyFoldersWithShownSubfoldersHaveAnExpander)
{
    Drive d;
    d.folder("lleno/hijo");
    d.folder("vacio");
    d.folder("solo/.oculto");
    TDirTree tree;
    tree.SetDirTypes(dtNormal);
    tree.SetDriveSource([&] { return std::vector<TDriveInfo>{d.info()}; });
    tree.Reload();
    tree.topLevelItem(0)->setExpanded(true);
    EXPECT_EQ(tree.FindNode(d.root + "lleno")->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    EXPECT_EQ(tree.FindNode(d.root + "vacio")->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
    EXPECT_EQ(tree.FindNode(d.root + "solo")->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
    // Children are read once, on the first expansion.
    TDirTreeNode* full = tree.FindNode(d.root + "lleno");
    EXPECT_FALSE(full->Data.ChildrenRead);
    EXPECT_EQ(full->childCount(), 0);
    full->setExpanded(true);
    EXPECT_TRUE(full->Data.ChildrenRead);
    EXPECT_EQ(childNames(full), (std::vector<std::string>{"hijo"}));
    // A refresh sees a folder made since.
    d.folder("lleno/nuevo");
    tree.RefreshNode(full);
    EXPECT_EQ(childNames(full), (std::vector<std::string>{"hijo", "nuevo"}));
    // An empty drive keeps no expander once probed; a removable one is not probed.
    Drive empty;
    tree.SetDriveSource([&] {
        return std::vector<TDriveInfo>{empty.info(), TDriveInfo{d.root, "", dkRemovable, "r"}};
    });
    tree.Reload();
    EXPECT_EQ(tree.topLevelItem(0)->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicator);
    EXPECT_EQ(tree.topLevelItem(1)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
    // The drive kinds to list.
    tree.SetDriveTypes(drtFixed);
    EXPECT_EQ(tree.topLevelItemCount(), 1);
}

TEST(DirTree, ReloadKeepsTheFolderOrFallsBackToItsDrive)
{
    Drive a, b;
    a.folder("x/y");
    TDirTree tree;
    tree.SetDriveSource([&] { return std::vector<TDriveInfo>{a.info(), b.info()}; });
    int deleted = 0, icons = 0;
    tree.OnDeleteItem = [&](TDirTree*, TDirTreeNode*) { ++deleted; };
    tree.OnGetIcon = [&](TDirTree*, TDirTreeNode* node) {
        ++icons;
        EXPECT_GE(node->Data.IconIndex, 0);
    };
    tree.SetDirectory(a.root + "x/y");
    EXPECT_EQ(icons, 4); // two drives, x, y
    tree.Reload();
    EXPECT_EQ(tree.Directory(), a.root + "x/y/");
    EXPECT_EQ(deleted, 4);
    fs::remove_all(a.dir.path / "x");
    tree.Reload();
    EXPECT_EQ(tree.Directory(), a.root);
    // With the drive gone too, the first drive is taken.
    tree.SetDirectory(b.root);
    std::vector<TDriveInfo> drives{a.info()};
    tree.SetDriveSource([&] { return drives; });
    tree.Reload();
    EXPECT_EQ(tree.Directory(), a.root);
}

TEST(DirTree, DriveChangesEndAsAFreshBuild)
{
    Drive a, b, c;
    a.folder("uno");
    b.folder("dos");
    std::vector<TDriveInfo> drives{a.info(), c.info()};
    TDirTree tree;
    tree.SetDriveSource([&] { return drives; });
    std::vector<std::string> changes;
    tree.OnChange = [&](TDirTree* sender, TDirTreeNode*) { changes.push_back(sender->Directory()); };
    tree.SetDirectory(a.root + "uno");
    changes.clear();

    // A new volume appears at its place in the order, the selection stays.
    drives = {a.info(), b.info(), c.info()};
    tree.DeviceChanged();
    TDirTree fresh;
    fresh.SetDriveSource([&] { return drives; });
    fresh.Reload();
    EXPECT_EQ(topTexts(tree), topTexts(fresh));
    EXPECT_EQ(tree.Directory(), a.root + "uno/");
    EXPECT_EQ(changes, (std::vector<std::string>{a.root + "uno/"}));

    // Another medium in the first drive: it is read again as new.
    drives[0] = a.info("", "v2");
    tree.DeviceChanged();
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 0);
    EXPECT_FALSE(tree.NodeOf(tree.topLevelItem(0))->Data.ChildrenRead);
    EXPECT_EQ(topTexts(tree), topTexts(fresh));

    // A drive goes.
    drives = {b.info(), c.info()};
    tree.DeviceChanged();
    fresh.Reload();
    EXPECT_EQ(topTexts(tree), topTexts(fresh));

    // The timer notices a change of the mount table by itself.
    tree.SetDeviceCheckInterval(5);
    drives = {a.info(), b.info(), c.info()};
    EXPECT_TRUE(pumpUntil([&] { return tree.topLevelItemCount() == 3; })) << "the new drive never showed";
    EXPECT_EQ(tree.topLevelItemCount(), 3);
}

TEST(DirTree, FindEventStandsForTheFolderEnumeration)
{
    Drive d;
    TDirTree tree;
    tree.SetDirTypes(dtNormal);
    tree.SetDriveSource([&] { return std::vector<TDriveInfo>{d.info()}; });
    std::vector<TSearchRec> entries = {
        {".", faDirectory}, {"..", faDirectory}, {"zeta", faDirectory}, {"alfa", faDirectory},
        {"nota.txt", 0},    {".git", faDirectory | faHidden}};
    std::vector<std::string> asked;
    tree.OnFindDir = [&](TDirTree*, const std::string& path, bool first, TSearchRec& rec) {
        static size_t next = 0;
        if (first) {
            next = 0;
            asked.push_back(path);
        }
        // Only the drive's root has entries.
        if (path != d.root || next >= entries.size())
            return false;
        rec = entries[next++];
        return true;
    };
    tree.Reload();
    tree.topLevelItem(0)->setExpanded(true);
    EXPECT_EQ(childNames(tree.topLevelItem(0)), (std::vector<std::string>{"alfa", "zeta"}));
    EXPECT_EQ(tree.NodeOf(tree.topLevelItem(0)->child(0))->Data.Path, d.root + "alfa/");
    EXPECT_TRUE(std::set<std::string>(asked.begin(), asked.end()).count(d.root + "zeta/"));
}

TEST(DirTree, SyntheticClicksExpandAndSelect)
{
    Drive d;
    d.folder("carpeta/sub");
    d.folder("otra");
    TDirTree tree;
    tree.SetDriveSource([&] { return std::vector<TDriveInfo>{d.info("DISCO")}; });
    tree.SetInitialDirectory(d.root + "otra");
    tree.resize(300, 200);
    tree.show();
    QApplication::processEvents();
    EXPECT_EQ(tree.Directory(), d.root + "otra/");
    QTreeWidgetItem* folder = tree.FindNode(d.root + "carpeta");
    ASSERT_NE(folder, nullptr);
    QRect rect = tree.visualItemRect(folder);
    // The expander sits in the indentation left of the item.
    Click(*tree.viewport(), QPoint(rect.left() - tree.indentation() / 2, rect.center().y()));
    EXPECT_TRUE(folder->isExpanded());
    ASSERT_EQ(folder->childCount(), 1);
    Click(*tree.viewport(), tree.visualItemRect(folder->child(0)).center());
    EXPECT_EQ(tree.Directory(), d.root + "carpeta/sub/");
    Shot(tree, "dirtree.png");

    // Dropped files reach the drop event when drops are accepted.
    tree.SetAcceptDropFiles(true);
    TStringList dropped;
    TPoint where;
    tree.OnDropFiles = [&](TDirTree*, TPoint at, const TStringList& files) {
        dropped = files;
        where = at;
    };
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(d.root + "a.htm"))});
    QDragEnterEvent enter(QPoint(10, 12), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tree.viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 12), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(tree.viewport(), &drop);
    ASSERT_EQ(dropped.Count(), 1);
    EXPECT_EQ(dropped[0], d.root + "a.htm");
    EXPECT_EQ(where, (TPoint{10, 12}));
}
