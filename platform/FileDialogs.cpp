// The open and save dialogs: a filter in the class library's "Name|*.a;*.b|..." form, an initial folder and the chosen files.
#include "platform/FileDialogs.h"

#include <QEvent>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Dde.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

TFileDialogHook& hook()
{
    static TFileDialogHook answer;
    return answer;
}

// A group "(...)" that closes a filter's description and names masks ("(*.htm; *.html)", "(*.*)"):
// the dialog shows the masks of its own after the description, so the description's would show twice.
bool endsWithShownMasks(const QString& description)
{
    if (!description.endsWith(QLatin1Char(')')))
        return false;
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (open < 0)
        return false;
    const QString group = description.mid(open + 1, description.size() - open - 2);
    return group.contains(QLatin1Char('*')) || group.contains(QLatin1Char('?'));
}

// "Texto|*.txt|Todos|*.*" becomes Qt's "Texto (*.txt)" entries; a description without its masks is
// dropped. A description that shows masks of its own ("Internet (*.htm; *.html)|*.htm;*.html") shows
// the filter's masks once, as every other entry does.
QStringList qtFilters(const std::string& filter)
{
    const QStringList parts = FromEditorText(filter).split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (endsWithShownMasks(description))
            description = description.left(description.lastIndexOf(QLatin1Char('('))).trimmed();
        QString masks = parts[i + 1];
        masks.replace(QLatin1Char(';'), QLatin1Char(' '));
        result << QStringLiteral("%1 (%2)").arg(description, masks.simplified());
    }
    return result;
}

// The picture dialog's preview: the picture under the selection, scaled into a square beside the list.
void addPicturePreview(QFileDialog& dialog)
{
    // Only the dialog of the toolkit itself has a layout to put the preview in.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid)
        return;
    constexpr int kPreviewSize = 160;
    auto* preview = new QLabel(&dialog);
    preview->setObjectName("PicturePreview");
    preview->setFixedSize(kPreviewSize, kPreviewSize);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    grid->addWidget(preview, 1, grid->columnCount(), grid->rowCount() - 1, 1);
    QObject::connect(&dialog, &QFileDialog::currentChanged, preview, [preview](const QString& file) {
        const QPixmap picture(file);
        preview->setPixmap(picture.isNull() ? QPixmap()
                                            : picture.scaled(kPreviewSize, kPreviewSize, Qt::KeepAspectRatio,
                                                             Qt::SmoothTransformation));
    });
}

// The masks of filter entry `index` (1-based) of a "Name|*.a;*.b|..." filter; empty when there is none.
std::string filterMasks(const std::string& filter, int index)
{
    size_t start = 0;
    for (int field = 1; field < 2 * index; ++field) {
        start = filter.find('|', start);
        if (start == std::string::npos)
            return {};
        ++start;
    }
    return filter.substr(start, filter.find('|', start) - start);
}

// The toolkit's dialog writes sizes and dates in the locale the program was started with ("Dec",
// "KiB" under C); the program speaks Spanish whatever that locale is, and shows a date's month as a
// word, as its own dates do.
const QLocale& spanish()
{
    static const QLocale locale(QLocale::Spanish, QLocale::Spain);
    return locale;
}

// The columns of the dialog's detailed list, as the file system model numbers them.
enum TDetailColumn { fcName, fcSize, fcType, fcModified };

// The dialog's entries with their sizes and dates in Spanish. Sorting is the file system model's
// own, by the values themselves rather than by their texts.
class TSpanishEntries : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || (index.column() != fcSize && index.column() != fcModified))
            return QSortFilterProxyModel::data(index, role);
        const QModelIndex entry = mapToSource(index);
        // A folder has no size of its own to show; its date is written as a file's is (the model's
        // own texts differ between the two and follow the process's locale).
        if (index.column() == fcSize)
            return files->isDir(entry) ? QVariant(QString())
                                       : spanish().formattedDataSize(files->size(entry), 2,
                                                                     QLocale::DataSizeTraditionalFormat);
        return spanish().toString(files->lastModified(entry), QStringLiteral("d MMM yyyy H:mm"));
    }

    void sort(int column, Qt::SortOrder order) override
    {
        if (sourceModel())
            sourceModel()->sort(column, order);
    }
};

// While the programs' filter is chosen, the list shows folders and the files one may run alone.
class TProgramsOnly : public TSpanishEntries {
public:
    using TSpanishEntries::TSpanishEntries;
    void SetActive(bool active)
    {
        if (active == FActive)
            return;
        FActive = active;
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        if (!FActive)
            return true;
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files)
            return true;
        const QModelIndex index = files->index(row, 0, parent);
        return files->isDir(index) || files->fileInfo(index).isExecutable();
    }

private:
    bool FActive = false;
};

// The detailed list's columns share its width: the name takes the room first, whole unless the list
// itself is narrower, and the other columns share what it leaves, each up to what its values need.
// Left to the toolkit, the columns keep the widths of English samples or, sized to their contents,
// leave the name nothing beside long kinds of file. The widths
// follow the list's width and the rows as the folder is read, until the user sizes a column himself.
class TColumnFit : public QObject {
public:
    explicit TColumnFit(QTreeView* list) : QObject(list), FList(list)
    {
        QHeaderView* header = list->header();
        // Every width is set here; a stretched last column would take the room back.
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::Interactive);
        FLater.setSingleShot(true);
        FLater.setInterval(0);
        connect(&FLater, &QTimer::timeout, this, &TColumnFit::fit);
        connect(header, &QHeaderView::sectionResized, this, [this](int, int oldSize, int newSize) {
            if (FFitting)
                return;
            // A column hidden or shown again leaves its room to the others; any other width is the user's.
            if (oldSize == 0 || newSize == 0)
                FLater.start();
            else
                FHeld = true;
        });
        // The rows come, and the kinds of their files later, while the folder is read.
        QAbstractItemModel* rows = list->model();
        const auto later = [this] { FLater.start(); };
        connect(rows, &QAbstractItemModel::rowsInserted, this, later);
        connect(rows, &QAbstractItemModel::rowsRemoved, this, later);
        connect(rows, &QAbstractItemModel::dataChanged, this, later);
        connect(rows, &QAbstractItemModel::modelReset, this, later);
        connect(rows, &QAbstractItemModel::layoutChanged, this, later);
        list->viewport()->installEventFilter(this);
        FLater.start();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize && watched == FList->viewport())
            FLater.start();
        return false;
    }

private:
    int wanted(int column) const
    {
        // The list's own measure of a column's values: its rows' icons, texts and margins.
        const QAbstractItemView* values = FList;
        return std::max(FList->header()->sectionSizeHint(column), values->sizeHintForColumn(column));
    }

    void fit()
    {
        QHeaderView* header = FList->header();
        const int room = FList->viewport()->width();
        if (FHeld || room <= 0 || header->count() <= fcName)
            return;
        FFitting = true;
        const TScopeGuard fitted([this] { FFitting = false; });
        // The others by what they need, the smallest first: each takes its need or an equal share of
        // what is left, so a column that needs little leaves the rest to those that need more.
        std::vector<std::pair<int, int>> others;
        for (int column = fcName + 1; column < header->count(); ++column)
            if (!header->isSectionHidden(column))
                others.emplace_back(wanted(column), column);
        std::sort(others.begin(), others.end());
        // A name wider than the list leaves the others their narrowest, or half the list when even
        // that would not leave the name half of it.
        const int narrowest = header->minimumSectionSize() * static_cast<int>(others.size());
        const int name = std::min(wanted(fcName), std::max(room / 2, room - narrowest));
        const int left = room - name;
        int taken = 0;
        for (size_t i = 0; i < others.size(); ++i) {
            const int share = std::max(0, left - taken) / static_cast<int>(others.size() - i);
            const int width = std::max(std::min(others[i].first, share), header->minimumSectionSize());
            header->resizeSection(others[i].second, width);
            taken += width;
        }
        // What the others do not need stays with the name.
        header->resizeSection(fcName, std::max(room - taken, name));
    }

    QTreeView* FList;
    QTimer FLater;
    bool FFitting = false;
    // The user sized a column: his widths stay.
    bool FHeld = false;
};

// The toolkit's own dialog in Spanish: values, and columns that show the names whole.
void showInSpanish(QFileDialog& dialog)
{
    // A dialog of the desktop's own has no list of ours to set.
    auto* list = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    if (!list)
        return;
    dialog.setLocale(spanish());
    if (!dialog.proxyModel())
        dialog.setProxyModel(new TSpanishEntries(&dialog));
    // A new model gives the list new columns: they are fitted after it.
    new TColumnFit(list);
}

void listProgramsUnder(QFileDialog& dialog, int filter, const QStringList& filters)
{
    if (filter < 1 || filter > filters.size())
        return;
    auto* programs = new TProgramsOnly(&dialog);
    dialog.setProxyModel(programs);
    const QString entry = filters[filter - 1];
    auto follow = [programs, entry](const QString& chosen) { programs->SetActive(chosen == entry); };
    QObject::connect(&dialog, &QFileDialog::filterSelected, programs, follow);
    follow(dialog.selectedNameFilter());
}

// The file name part of a chosen path has no dot: no extension, nor a name such as ".perfil".
bool withoutExtension(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return path.find('.', slash == std::string::npos ? 0 : slash + 1) == std::string::npos;
}

// A file dialog that saves takes the extension of the filter chosen when it accepts a name (whichever
// way the filter was chosen): the name it asks about replacing is then the name written.
class TExtensionDialog : public QFileDialog {
public:
    TExtensionDialog(QWidget* owner, const TFileDialogRequest& request)
        : QFileDialog(owner), FFilters(qtFilters(request.Filter)), FRequest(request)
    {
    }
    // The request's filters as the dialog shows them.
    const QStringList& Filters() const { return FFilters; }

    void accept() override
    {
        if (FRequest.Save) {
            TFileDialogRequest chosen = FRequest;
            chosen.FilterIndex = static_cast<int>(FFilters.indexOf(selectedNameFilter())) + 1;
            setDefaultSuffix(FromFilePath(DefaultExtensionOf(chosen)));
        }
        QFileDialog::accept();
    }

private:
    const QStringList FFilters;
    const TFileDialogRequest& FRequest;
};

} // namespace

std::string DefaultExtensionOf(const TFileDialogRequest& request)
{
    const std::string masks = filterMasks(request.Filter, request.FilterIndex);
    // Masks "*.ext" of plain extensions name them; "*.*", "a*.txt" or "*.tar.gz" name none. The first
    // is the kind the author chose in the dialog, in the document's own spelling when it is its
    // extension ("PAGE.HTML" under "*.html;*.htm").
    std::string first;
    for (size_t start = 0; start <= masks.size();) {
        const size_t end = std::min(masks.find(';', start), masks.size());
        const std::string mask = masks.substr(start, end - start);
        if (mask.size() <= 2 || mask.compare(0, 2, "*.") != 0 || mask.find_first_of("*?. ", 2) != std::string::npos)
            return request.DefaultExt;
        if (first.empty())
            first = ToFilePath(FromEditorText(mask.substr(2)));
        start = end + 1;
    }
    if (first.empty() || AnsiSameText(first, request.DefaultExt))
        return request.DefaultExt;
    return first;
}

void AddDefaultExtension(TFileDialogRequest& request)
{
    const std::string extension = DefaultExtensionOf(request);
    if (!request.Save || extension.empty())
        return;
    if (!request.FileName.empty() && withoutExtension(request.FileName))
        request.FileName += "." + extension;
    for (std::string& name : request.Files)
        if (withoutExtension(name))
            name += "." + extension;
}

TFileDialogHook SetFileDialogHook(TFileDialogHook hook_)
{
    return std::exchange(hook(), std::move(hook_));
}

bool ExecuteFileDialog(QWidget* owner, TFileDialogRequest& request)
{
    // A file chosen to save or open is for the document at hand, as a question's answer is: no macro
    // from another start changes which one that is meanwhile.
    TMacroHold waitForTheChoice;
    if (hook()) {
        if (!hook()(request))
            return false;
        AddDefaultExtension(request);
        return true;
    }
    // The kinds of entry the dialog lists are the system's names of file types, which follow the
    // default locale: Spanish while the dialog lives (the list reads them on a thread of its own,
    // which ends with the dialog).
    const QLocale startedWith;
    QLocale::setDefault(spanish());
    const TScopeGuard locale([startedWith] { QLocale::setDefault(startedWith); });
    TExtensionDialog dialog(owner, request);
    // The picture's preview and the programs' list are the toolkit's dialog's own, which must be
    // chosen before the dialog is set up.
    if (request.Picture || request.ProgramsFilter > 0)
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(request.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.Save || !(request.Options & (ofFileMustExist | ofAllowMultiSelect)))
        // An open dialog that does not ask for an existing file takes a new name too (a library
        // to create); its button still says it opens.
        dialog.setFileMode(QFileDialog::AnyFile);
    else
        dialog.setFileMode((request.Options & ofAllowMultiSelect) ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    // Every save dialog asks before a chosen file is replaced, whichever caller made it.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    const QStringList& filters = dialog.Filters();
    dialog.setNameFilters(filters);
    if (request.FilterIndex >= 1 && request.FilterIndex <= filters.size())
        dialog.selectNameFilter(filters[request.FilterIndex - 1]);
    listProgramsUnder(dialog, request.ProgramsFilter, filters);
    showInSpanish(dialog);
    // Without a folder of its own the toolkit's dialog would start in the last folder any dialog
    // showed (the templates' after Usar plantilla); the program's folder does not follow the dialogs.
    dialog.setDirectory(FromFilePath(request.InitialDir.empty() ? CurrentFolderPath() : request.InitialDir));
    dialog.setDefaultSuffix(FromFilePath(request.Save ? DefaultExtensionOf(request) : request.DefaultExt));
    if (!request.FileName.empty())
        dialog.selectFile(FromFilePath(request.FileName));
    if (!request.Title.empty())
        dialog.setWindowTitle(FromEditorText(request.Title));
    if (!request.History.empty()) {
        QStringList history;
        for (const std::string& folder : request.History)
            history << FromFilePath(folder);
        dialog.setHistory(history);
    }
    if (request.Picture)
        addPicturePreview(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    std::vector<std::string> chosen = SelectedFilePaths(dialog);
    if (chosen.empty())
        return false;
    request.Files = std::move(chosen);
    request.FileName = request.Files.front();
    request.FilterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    AddDefaultExtension(request);
    return true;
}

TFileDialogRequest SaveDialogRequest(std::string filter, std::string defaultExt)
{
    TFileDialogRequest request;
    request.Save = true;
    request.Filter = std::move(filter);
    request.DefaultExt = std::move(defaultExt);
    request.Options = ofOverwritePrompt | ofHideReadOnly;
    return request;
}
