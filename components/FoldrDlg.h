// TFolderDialog: the folder browser, a small dialog of a folder tree, an instruction, a status line, OK and Cancel.
#pragma once

#include <QObject>
#include <functional>
#include <string>

class QAbstractButton;
class QDialog;
class QFileSystemModel;
class QLabel;
class QPushButton;
class QTreeView;
class QWidget;

// Options of the browser, numbered in their declared order.
enum TFolderDialogOption : unsigned {
    bfFileSysDirsOnly = 1u << 0,
    bfDontGoBelowDomain = 1u << 1,
    bfStatusText = 1u << 2,
    bfFileSysAncestors = 1u << 3,
    bfBrowseForComputer = 1u << 4,
    bfBrowseForPrinter = 1u << 5,
    bfBrowseIncludeFiles = 1u << 6,
    bfShowPathInStatusArea = 1u << 7,
    bfSyncCustomButton = 1u << 8,
    bfAlignCustomButton = 1u << 9,
    bfScreenCenter = 1u << 10,
    bfParentCenter = 1u << 11,
    bfResizeCustomButton = 1u << 12,
};
using TFolderDialogOptions = unsigned;

inline constexpr TFolderDialogOptions kDefaultFolderDialogOptions =
    bfFileSysDirsOnly | bfStatusText | bfShowPathInStatusArea | bfSyncCustomButton | bfAlignCustomButton | bfParentCenter;

// The folder the browser starts from.
enum TShellFolder {
    sfoDesktopExpanded, sfoDesktop, sfoPrograms, sfoControlPanel, sfoPrinters, sfoPersonal, sfoFavorites,
    sfoStartup, sfoRecent, sfoSendto, sfoRecycleBin, sfoStartMenu, sfoDesktopDirectory, sfoMyComputer,
    sfoNetwork, sfoNetworkNeighborhood, sfoFonts, sfoTemplates, sfoCommonStartMenu, sfoCommonPrograms,
    sfoCommonStartup, sfoCommonDesktopDirectory, sfoAppData, sfoPrintHood,
};

// The folder a root kind stands for here: the file system's root for the desktop and the machine's
// kinds, the home folder for sfoPersonal and the kinds with no folder of their own, the standard
// location (desktop, fonts, templates, application data) where the system has one.
std::string ShellFolderPath(TShellFolder folder);

class TFolderDialog : public QObject {
public:
    using TNotifyEvent = std::function<void(TFolderDialog* Sender)>;

    explicit TFolderDialog(QWidget* owner = nullptr);
    ~TFolderDialog() override;

    // The browser's caption ("Browse for Folder" until set).
    std::string Title;
    // The instruction above the tree; none when empty.
    std::string Text;
    // The folder selected when the browser opens, and the one chosen after a successful Execute.
    std::string Directory;
    TFolderDialogOptions Options = kDefaultFolderDialogOptions;
    TShellFolder RootFolder = sfoDesktopExpanded;
    // A button of the caller's put beside OK while the browser is shown; it stays the caller's.
    QAbstractButton* CustomButton = nullptr;
    // Where the browser goes when neither centring option is set.
    int Left = 0;
    int Top = 0;
    TNotifyEvent OnShow, OnClose, OnChange;

    // Shows the browser modally; true when the user chose a folder, which Directory then holds.
    bool Execute();
    // The chosen folder's name as the tree showed it.
    const std::string& DisplayName() const { return FDisplayName; }

    // While the browser is shown: its window, the folder selected in it, and selecting another.
    QDialog* Window() const { return FWindow; }
    const std::string& Selection() const { return FSelection; }
    void Select(const std::string& folder);
    // The browser's parts while it is shown, for those who look at it.
    QLabel* InstructionLabel() const { return FInstruction; }
    QLabel* StatusLabel() const { return FStatus; }
    QPushButton* OKButton() const { return FOK; }

private:
    void buildWindow();
    void placeWindow();
    void selectionChanged();
    // Scrolls the selected folder into view while the tree follows it.
    void keepSelectionInView();

    QWidget* FOwner;
    QDialog* FWindow = nullptr;
    QTreeView* FTree = nullptr;
    QFileSystemModel* FModel = nullptr;
    QLabel* FInstruction = nullptr;
    QLabel* FStatus = nullptr;
    QPushButton* FOK = nullptr;
    std::string FSelection;
    std::string FDisplayName;
    // Set when a folder is selected for the user, cleared once the user scrolls the tree.
    bool FFollowSelection = false;
};

// While set, Execute builds and shows the browser without a modal loop of its own and hands it to
// the hook, which may select folders and press buttons; its answer stands for OK (true) or Cancel
// (false). Returns the hook it replaces; an empty hook lets the user answer again.
using TFolderDialogHook = std::function<bool(TFolderDialog& dialog)>;
TFolderDialogHook SetFolderDialogHook(TFolderDialogHook hook);
