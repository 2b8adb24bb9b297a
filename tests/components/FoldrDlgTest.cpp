// Tests of the folder browser: its caption, instruction, preselection, status line, events, custom button and answers.
#include <gtest/gtest.h>

#include <QDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>
#include <QWidget>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "components/FoldrDlg.h"
#include "support/HookWhile.h"
#include "support/PumpUntil.h"
#include "support/TempDir.h"

namespace {

using TFolderAnswer = THookWhile<TFolderDialogHook, &SetFolderDialogHook>;

} // namespace

TEST(FolderDialog, CancelKeepsTheDirectoryAndTheCaptionIsTheTitle)
{
    TempDir dir("folder");
    std::filesystem::create_directory(dir.path / "a");
    TFolderDialog dialog;
    EXPECT_EQ(dialog.Title, "Browse for Folder");
    EXPECT_EQ(dialog.Options, kDefaultFolderDialogOptions);
    dialog.Title = "Seleccionar carpeta";
    dialog.Directory = dir.path.string();
    std::string caption;
    bool instructionShown = true;
    std::string preselected;
    TFolderAnswer answer([&](TFolderDialog& shown) {
        caption = shown.Window()->windowTitle().toStdString();
        instructionShown = shown.InstructionLabel()->isVisibleTo(shown.Window());
        preselected = shown.Selection();
        shown.Select((dir.path / "a").string());
        return false;
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(caption, "Seleccionar carpeta");
    EXPECT_FALSE(instructionShown);
    EXPECT_EQ(preselected, dir.path.string());
    EXPECT_EQ(dialog.Directory, dir.path.string());
    EXPECT_EQ(dialog.Window(), nullptr);
}

TEST(FolderDialog, OKTakesTheSelectionAndTheEventsRun)
{
    TempDir dir("folder");
    const std::string chosen = (dir.path / "sub dir").string();
    std::filesystem::create_directory(chosen);
    TFolderDialog dialog;
    dialog.Text = "Selecciona el directorio del proyecto.";
    dialog.Directory = dir.path.string();
    std::vector<std::string> events;
    dialog.OnShow = [&](TFolderDialog*) { events.push_back("show"); };
    dialog.OnChange = [&](TFolderDialog* d) { events.push_back("change " + d->Selection()); };
    dialog.OnClose = [&](TFolderDialog*) { events.push_back("close"); };
    std::string instruction, status;
    bool okEnabled = false;
    TFolderAnswer answer([&](TFolderDialog& shown) {
        instruction = shown.InstructionLabel()->isVisibleTo(shown.Window()) ? shown.InstructionLabel()->text().toStdString() : "";
        shown.Select(chosen);
        status = shown.StatusLabel()->text().toStdString();
        okEnabled = shown.OKButton()->isEnabled();
        return true;
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Directory, chosen);
    EXPECT_EQ(dialog.DisplayName(), "sub dir");
    EXPECT_EQ(instruction, "Selecciona el directorio del proyecto.");
    EXPECT_TRUE(okEnabled);
    // The status line shows the path, shortened with "..." when it does not fit.
    EXPECT_TRUE(status == chosen || status.ends_with("...")) << status;
    EXPECT_EQ(events, (std::vector<std::string>{"change " + dir.path.string(), "show", "change " + chosen, "close"}));
}

TEST(FolderDialog, AFolderNamedWithAnyCharacterIsShownAsItsCharactersAndTakenAsItsBytes)
{
    TempDir dir("folder");
    const std::string chosen = (dir.path / "\xC5\x82ukasz \xC3\xB1").string();
    std::filesystem::create_directory(chosen);
    TFolderDialog dialog;
    dialog.Directory = dir.path.string();
    QString status;
    TFolderAnswer answer([&](TFolderDialog& shown) {
        shown.Window()->resize(2000, 380);
        shown.Select(chosen);
        status = shown.StatusLabel()->text();
        return true;
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.Directory, chosen);
    EXPECT_EQ(status, QString::fromUtf8(chosen.c_str()));
    // The editor's text holds a character Windows-1252 lacks as its reference.
    EXPECT_EQ(dialog.DisplayName(), "&#322;ukasz \xF1");
}

TEST(FolderDialog, TheCustomButtonSitsBesideOKAndGoesBack)
{
    QWidget owner;
    auto* custom = new QPushButton("Nueva", &owner);
    int clicks = 0;
    QObject::connect(custom, &QPushButton::clicked, [&] { ++clicks; });
    TFolderDialog dialog(&owner);
    dialog.CustomButton = custom;
    dialog.Directory = std::filesystem::temp_directory_path().string();
    bool inBrowser = false;
    TFolderAnswer answer([&](TFolderDialog& shown) {
        inBrowser = custom->window() == shown.Window() && custom->isVisibleTo(shown.Window());
        custom->click();
        return true;
    });
    EXPECT_TRUE(dialog.Execute());
    EXPECT_TRUE(inBrowser);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(custom->parentWidget(), &owner);
}

TEST(FolderDialog, RootKindsMapToFoldersHere)
{
    EXPECT_EQ(ShellFolderPath(sfoDesktopExpanded), "/");
    EXPECT_EQ(ShellFolderPath(sfoMyComputer), "/");
    EXPECT_FALSE(ShellFolderPath(sfoPersonal).empty());
    EXPECT_EQ(ShellFolderPath(sfoPersonal), ShellFolderPath(sfoRecycleBin));
    EXPECT_TRUE(std::filesystem::is_directory(ShellFolderPath(sfoPersonal)));
}

TEST(FolderDialog, TheWindowGoesWhereItsOptionsSay)
{
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    owner.show();
    const auto placed = [&](TFolderDialogOptions options, QPoint& at, QPoint& ownerCentre) {
        TFolderDialog dialog(&owner);
        dialog.Options = options;
        dialog.Left = 37;
        dialog.Top = 41;
        TFolderAnswer answer([&](TFolderDialog& shown) {
            at = shown.Window()->pos();
            ownerCentre = owner.frameGeometry().center() - QPoint(shown.Window()->width() / 2, shown.Window()->height() / 2);
            return false;
        });
        dialog.Execute();
    };
    QPoint at, centred;
    placed(bfFileSysDirsOnly, at, centred);
    EXPECT_EQ(at, QPoint(37, 41));
    placed(kDefaultFolderDialogOptions, at, centred);
    EXPECT_EQ(at, centred);
}

TEST(FolderDialog, ADeepFolderIsInViewOnceTheTreeHasReadItsFolders)
{
    // The chosen folder lies below sixty others and three levels down in the machine's tree.
    TempDir dir("folder");
    for (int i = 0; i < 60; ++i)
        std::filesystem::create_directory(dir.path / std::string("a").append(std::to_string(100 + i)));
    const std::filesystem::path deep = dir.path / "zz" / "sitio" / "plantillas";
    std::filesystem::create_directories(deep);
    TFolderDialog dialog;
    dialog.Directory = deep.string();
    bool loaded = false;
    QRect item, view;
    TFolderAnswer answer([&](TFolderDialog& shown) {
        auto* tree = shown.Window()->findChild<QTreeView*>("FolderTree");
        auto* model = tree ? qobject_cast<QFileSystemModel*>(tree->model()) : nullptr;
        if (!model)
            return false;
        // The folders along the way have been read, the sixty siblings among them.
        const QModelIndex parent = model->index(QString::fromStdString(dir.path.string()));
        loaded = pumpUntil([&] {
            return model->rowCount(parent) == 61 && !model->canFetchMore(parent) &&
                   model->rowCount(model->index(QString::fromStdString((dir.path / "zz" / "sitio").string()))) == 1;
        });
        pumpPosted();
        pumpPosted();
        item = tree->visualRect(tree->currentIndex());
        view = tree->viewport()->rect();
        return false;
    });
    dialog.Execute();
    ASSERT_TRUE(loaded);
    EXPECT_FALSE(item.isEmpty());
    EXPECT_TRUE(view.contains(item.center())) << item.y() << " in " << view.height();
    EXPECT_GE(item.top(), 0);
    EXPECT_LE(item.bottom(), view.bottom());
}
