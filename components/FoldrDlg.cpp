// TFolderDialog: the folder browser, a small dialog of a folder tree, an instruction, a status line, OK and Cancel.
#include "components/FoldrDlg.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTreeView>
#include <QVBoxLayout>
#include <utility>

#include "components/VCLUtils.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

// "Browse for Folder"
constexpr int kBrowseForFolder = 5064;
constexpr int kOKCaption = 4358;
constexpr int kCancelCaption = 4359;

TFolderDialogHook& hook()
{
    static TFolderDialogHook answer;
    return answer;
}

std::string standardPath(QStandardPaths::StandardLocation location)
{
    const QString path = QStandardPaths::writableLocation(location);
    return path.isEmpty() ? HomeFolderPath() : NativeFilePath(path);
}

} // namespace

TFolderDialogHook SetFolderDialogHook(TFolderDialogHook hook_)
{
    return std::exchange(hook(), std::move(hook_));
}

std::string ShellFolderPath(TShellFolder folder)
{
    switch (folder) {
    case sfoDesktopExpanded:
    case sfoDesktop:
    case sfoMyComputer:
    case sfoNetwork:
    case sfoNetworkNeighborhood:
        return RootFolderPath();
    case sfoDesktopDirectory:
    case sfoCommonDesktopDirectory:
        return standardPath(QStandardPaths::DesktopLocation);
    case sfoFonts:
        return standardPath(QStandardPaths::FontsLocation);
    case sfoPrograms:
    case sfoStartMenu:
    case sfoCommonStartMenu:
    case sfoCommonPrograms:
        return standardPath(QStandardPaths::ApplicationsLocation);
    case sfoTemplates:
        return standardPath(QStandardPaths::TemplatesLocation);
    case sfoAppData:
        return standardPath(QStandardPaths::GenericDataLocation);
    default:
        return HomeFolderPath();
    }
}

TFolderDialog::TFolderDialog(QWidget* owner) : FOwner(owner)
{
    Title = LoadResString(kBrowseForFolder);
}

TFolderDialog::~TFolderDialog() = default;

void TFolderDialog::buildWindow()
{
    FWindow = new QDialog(FOwner);
    FWindow->setObjectName("FolderDialog");
    FWindow->setWindowTitle(FromEditorText(Title));
    FWindow->resize(340, 380);
    auto* layout = new QVBoxLayout(FWindow);
    FInstruction = new QLabel(FromEditorText(Text), FWindow);
    FInstruction->setObjectName("Instruction");
    FInstruction->setWordWrap(true);
    FInstruction->setVisible(!Text.empty());
    layout->addWidget(FInstruction);

    FModel = new QFileSystemModel(FWindow);
    QDir::Filters filters = QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives;
    if (Options & bfBrowseIncludeFiles)
        filters |= QDir::Files;
    FModel->setFilter(filters);
    const std::string root = ShellFolderPath(RootFolder);
    FModel->setRootPath(FromFilePath(root));
    FTree = new QTreeView(FWindow);
    FTree->setObjectName("FolderTree");
    FTree->setModel(FModel);
    for (int column = 1; column < FModel->columnCount(); ++column)
        FTree->hideColumn(column);
    FTree->header()->hide();
    // The tree shows the root folder itself as its one top item.
    if (IsRootFolder(root))
        FTree->setRootIndex(QModelIndex());
    else
        FTree->setRootIndex(FModel->index(FromFilePath(ParentFolderPath(root))));
    layout->addWidget(FTree, 1);

    FStatus = new QLabel(FWindow);
    FStatus->setObjectName("Status");
    FStatus->setVisible((Options & bfStatusText) != 0);
    layout->addWidget(FStatus);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    FOK = new QPushButton(LoadResQString(kOKCaption), FWindow);
    FOK->setObjectName("OKButton");
    FOK->setDefault(true);
    auto* cancel = new QPushButton(LoadResQString(kCancelCaption), FWindow);
    cancel->setObjectName("CancelButton");
    if (CustomButton) {
        if (Options & bfResizeCustomButton)
            CustomButton->setFixedSize(FOK->sizeHint());
        // Aligned, it sits on the buttons' row; else on a row of its own above them.
        if (Options & bfAlignCustomButton) {
            buttons->insertWidget(0, CustomButton);
        } else {
            CustomButton->setParent(FWindow);
            layout->addWidget(CustomButton, 0, Qt::AlignLeft);
        }
        CustomButton->show();
    }
    buttons->addWidget(FOK);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    QObject::connect(FOK, &QPushButton::clicked, FWindow, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, FWindow, &QDialog::reject);
    QObject::connect(FTree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { selectionChanged(); });
    // The model reads the folders after the tree is shown, and every folder it reads (and sorts)
    // moves the rows below it: the selected folder is brought into view again each time, until the
    // user scrolls the tree.
    QObject::connect(FModel, &QFileSystemModel::directoryLoaded, this, [this] { keepSelectionInView(); },
                     Qt::QueuedConnection);
    QObject::connect(FModel, &QAbstractItemModel::layoutChanged, this, [this] { keepSelectionInView(); },
                     Qt::QueuedConnection);
    QObject::connect(FModel, &QAbstractItemModel::rowsInserted, this, [this] { keepSelectionInView(); },
                     Qt::QueuedConnection);
    QObject::connect(FTree->verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
                     [this] { FFollowSelection = false; });
}

void TFolderDialog::keepSelectionInView()
{
    if (FTree && FFollowSelection && FTree->currentIndex().isValid())
        FTree->scrollTo(FTree->currentIndex(), QAbstractItemView::PositionAtCenter);
}

void TFolderDialog::placeWindow()
{
    const QSize size = FWindow->size();
    if ((Options & bfParentCenter) && FOwner) {
        const QRect owner = FOwner->frameGeometry();
        FWindow->move(owner.center() - QPoint(size.width() / 2, size.height() / 2));
    } else if (Options & (bfScreenCenter | bfParentCenter)) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            FWindow->move(screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
    } else {
        FWindow->move(Left, Top);
    }
}

void TFolderDialog::Select(const std::string& folder)
{
    if (!FTree)
        return;
    const QModelIndex index = FModel->index(FromFilePath(folder));
    if (!index.isValid())
        return;
    FTree->setCurrentIndex(index);
    FFollowSelection = true;
    keepSelectionInView();
}

void TFolderDialog::selectionChanged()
{
    const QModelIndex index = FTree->currentIndex();
    FSelection = index.isValid() ? NativeFilePath(FModel->filePath(index)) : std::string();
    const bool chosen = !FSelection.empty();
    if (Options & bfFileSysDirsOnly)
        FOK->setEnabled(chosen);
    if (CustomButton && (Options & bfSyncCustomButton))
        CustomButton->setEnabled(chosen);
    if (!chosen && (Options & (bfFileSysDirsOnly | bfShowPathInStatusArea))) {
        FStatus->clear();
        return;
    }
    if (Options & bfShowPathInStatusArea) {
        const int width = std::max(FStatus->width(), FWindow->width() - 24);
        FStatus->setText(MinimizeQString(FromFilePath(FSelection), FStatus->font(), width));
    }
    if (OnChange)
        OnChange(this);
}

bool TFolderDialog::Execute()
{
    // The caller's button goes back where it was, whatever happens while the browser is up.
    QPointer<QWidget> customParent = CustomButton ? CustomButton->parentWidget() : nullptr;
    const bool customVisible = CustomButton && CustomButton->isVisible();
    TScopeGuard restore([&] {
        if (CustomButton) {
            CustomButton->setParent(customParent);
            CustomButton->setVisible(customVisible);
        }
        delete FWindow;
        FWindow = nullptr;
        FTree = nullptr;
        FModel = nullptr;
        FInstruction = FStatus = nullptr;
        FOK = nullptr;
    });
    buildWindow();
    placeWindow();
    FSelection.clear();
    if (!Directory.empty())
        Select(Directory);
    if (FSelection.empty())
        selectionChanged();
    FWindow->setWindowTitle(FromEditorText(Title));
    bool accepted;
    if (hook()) {
        FWindow->show();
        keepSelectionInView();
        if (OnShow)
            OnShow(this);
        accepted = hook()(*this);
    } else {
        // OnShow runs once the window is on the screen, with its tree laid out at its size.
        QMetaObject::invokeMethod(this, [this] {
            keepSelectionInView();
            if (OnShow && FWindow)
                OnShow(this);
        }, Qt::QueuedConnection);
        accepted = FWindow->exec() == QDialog::Accepted;
    }
    FWindow->hide();
    if (OnClose)
        OnClose(this);
    if (!accepted || FSelection.empty())
        return false;
    Directory = FSelection;
    FDisplayName = FilePathText(ToFilePath(FModel->fileName(FTree->currentIndex())));
    return true;
}
