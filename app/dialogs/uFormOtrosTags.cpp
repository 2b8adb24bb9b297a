// TformOtrosTags: the custom codes dialog over the settings' Tags lists.
#include "app/dialogs/uFormOtrosTags.h"

#include <QEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <span>
#include <stdexcept>
#include <utility>

#include "app/widgets/CodeGrid.h"
#include "app/host/WindowHost.h"
#include "app/model/TagTable.h"
#include "app/model/KestrimaConfig.h"
#include "platform/Buttons.h"
#include "platform/DialogHook.h"
#include "platform/FormSpec.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kAceptar = 4358;
constexpr int kCancelar = 4359;
constexpr int kNuevo = 5761;
constexpr int kBorrar = 5762;
constexpr int kHeaders = 5788;
constexpr int kDeleteQuestion = 5659;
constexpr int kCaption = 6050;
constexpr int kNewHint = 6051;
constexpr int kDeleteHint = 6052;

enum TKind : int { kGrid, kSpeed, kButton };

constexpr int kClientWidth = 320;
constexpr int kClientHeight = 262;

constexpr TControlSpec row(const char* name, TKind kind, int x, int y, int w, int h, int caption = 0)
{
    return {.Name = name, .Kind = kind, .Left = x, .Width = w, .Top = y, .Height = h, .Caption = caption};
}

constexpr TControlSpec kControls[] = {
    row("sgCustomTags", kGrid, 8, 8, 304, 210),
    row("sbNuevoTags", kSpeed, 8, 228, 70, 25, kNuevo),
    row("sbBorrarTags", kSpeed, 82, 228, 70, 25, kBorrar),
    row("bAceptar", kButton, 162, 228, 72, 25, kAceptar),
    row("bCancelar", kButton, 240, 228, 72, 25, kCancelar),
};

QWidget* makeControl(const TControlSpec& spec, QWidget* parent, int&)
{
    const QString caption = spec.Caption ? LoadResQString(spec.Caption) : QString();
    switch (spec.Kind) {
    case kGrid: return new QTableWidget(1, 3, parent);
    case kSpeed: {
        auto* button = new TSpeedButton(parent);
        button->setText(caption);
        return button;
    }
    case kButton: return new QPushButton(caption, parent);
    default: throw std::logic_error(std::string("custom codes dialog control of no kind: ") + spec.Name);
    }
}

QStringList headerTexts()
{
    const TStringList lines = LinesOf(LoadResString(kHeaders));
    QStringList headers;
    for (int i = 0; i < lines.Count(); ++i)
        headers << FromEditorText(lines[i]);
    return headers;
}

void setHint(QWidget* control, int id)
{
    control->setToolTip(LoadResQString(id));
    control->setStatusTip(LoadResQString(id));
}

} // namespace

TCustomTagsDialogHook SetCustomTagsDialogHook(TCustomTagsDialogHook hook_)
{
    return TDialogHook<TformOtrosTags, bool>::Set(std::move(hook_));
}

TformOtrosTags::TformOtrosTags(TWindowHost& host) : QDialog(host.HostWindow()), FHost(host)
{
    setObjectName("formOtrosTags");
    // A tool window's border: a small caption and no icon.
    setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(LoadResQString(kCaption));
    setFixedSize(kClientWidth, kClientHeight);
    BuildControls(this, kControls, TFormRow{}, makeControl);
    sgCustomTags = FormControl<QTableWidget>(this, "sgCustomTags");
    sbNuevoTags = FormControl<TSpeedButton>(this, "sbNuevoTags");
    sbBorrarTags = FormControl<TSpeedButton>(this, "sbBorrarTags");
    bAceptar = FormControl<QPushButton>(this, "bAceptar");
    bCancelar = FormControl<QPushButton>(this, "bCancelar");
    setHint(sbNuevoTags, kNewHint);
    setHint(sbBorrarTags, kDeleteHint);
    bAceptar->setDefault(true);
    connect(sbNuevoTags, &QToolButton::clicked, this, [this] { CallHandler(this, [this] { sbNuevoTagsClick(); }); });
    connect(sbBorrarTags, &QToolButton::clicked, this, [this] { CallHandler(this, [this] { sbBorrarTagsClick(); }); });
    connect(bAceptar, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { bAceptarClick(); }); });
    connect(bCancelar, &QPushButton::clicked, this, &QDialog::reject);
    connect(sgCustomTags->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int section) {
        if (section == 1)
            sgNavegadoresDrawCell();
    });
    // A double click has no command of its own here: it edits the cell, as in the options dialog's
    // grid of the same codes.
    connect(sgCustomTags, &QTableWidget::cellDoubleClicked, this, [this](int row, int col) {
        if (col > 0)
            sgCustomTags->edit(sgCustomTags->model()->index(row, col));
    });
    sgCustomTags->installEventFilter(this);
    sgCustomTags->viewport()->installEventFilter(this);
    FormCreate();
}

TformOtrosTags::~TformOtrosTags() = default;

void TformOtrosTags::FormCreate()
{
    SetUpCodeGrid(sgCustomTags, headerTexts(), sgCustomTags->width());
    const TKestrimaConfig& config = FHost.Config();
    FillCodeGrid(sgCustomTags, config.TagNames, config.TagValues);
}

bool TformOtrosTags::Execute()
{
    return TDialogHook<TformOtrosTags, bool>::Run(*this, DialogHook::TShow::Shown, [this] { return exec() == QDialog::Accepted; });
}

void TformOtrosTags::sbNuevoTagsClick()
{
    AddCodeGridRow(sgCustomTags);
}

void TformOtrosTags::sbBorrarTagsClick()
{
    const QTableWidgetItem* current = sgCustomTags->currentItem();
    const std::string text = current ? ToEditorText(current->text()) : std::string();
    if (MessageBox(this, FmtLoadStr(kDeleteQuestion, text.c_str()), {}, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    DeleteCodeGridRow(sgCustomTags);
}

void TformOtrosTags::bAceptarClick()
{
    // A cell still being typed in holds its text in the editor until it closes.
    CommitGridEdit(sgCustomTags);
    TKestrimaConfig& config = FHost.Config();
    ReadCodeGrid(sgCustomTags, config.TagNames, config.TagValues);
    accept();
}

void TformOtrosTags::sgNavegadoresDrawCell()
{
    // Before the first show the grid's client area has no width yet: fitted to it, the code column
    // would shrink to its least.
    if (sgCustomTags->isVisible())
        FitCodeGridColumns(sgCustomTags);
}

bool TformOtrosTags::eventFilter(QObject* watched, QEvent* event)
{
    const bool sized = event->type() == QEvent::Resize || event->type() == QEvent::Show;
    if ((watched == sgCustomTags || watched == sgCustomTags->viewport()) && sized)
        sgNavegadoresDrawCell();
    if (watched == sgCustomTags->viewport()) {
        // The marker column carries a row to its new place, as a grid's fixed column does.
        const auto rowAt = [this, event](bool markerOnly) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            return markerOnly && sgCustomTags->columnAt(at.x()) != 0 ? -1 : sgCustomTags->rowAt(at.y());
        };
        if (event->type() == QEvent::MouseButtonPress) {
            FDragRow = rowAt(true);
        } else if (event->type() == QEvent::MouseButtonRelease && FDragRow >= 0) {
            const int target = rowAt(false);
            MoveCodeGridRow(sgCustomTags, FDragRow, target < 0 ? sgCustomTags->rowCount() - 1 : target);
            FDragRow = -1;
        }
    }
    return QDialog::eventFilter(watched, event);
}
