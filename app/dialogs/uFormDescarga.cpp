// TformDescarga, the dialog "Tiempos de descarga": the files a page weighs, their sizes and the time the whole takes at four modem speeds.
#include "app/dialogs/uFormDescarga.h"

#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>

#include "app/model/KestrimaConfig.h"
#include "app/model/ResourceReport.h"
#include "app/model/libKestrima.h"
#include "app/widgets/CodeGrid.h"
#include "platform/Controls.h"
#include "platform/FormSpec.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kCaption = 4936;
constexpr int kFileHeader = 4937;
constexpr int kSizeHeader = 4938;
constexpr int kBytes = 4939;
constexpr int kOneByte = 4957;
constexpr int kFound = 4940;
constexpr int kMissing = 4941;
constexpr int kSeconds = 4942;
constexpr int kOneSecond = 4958;
constexpr int kNoTime = 4943;
constexpr int kSpeedCaptions = 4944;  // one per modem speed, slowest first
constexpr int kAccept = 4948;
constexpr int kTotalCaption = 4949;

// The size and state columns keep their widths; the file names take what is left, less the grid's
// frame.
constexpr int kSizeColumn = 70;
constexpr int kStateColumn = 25;
constexpr int kGridFrame = 7;

enum TDialogKind { dkGrid, dkLabel, dkValue, dkTotal, dkButton };

constexpr int kClientWidth = 313;
constexpr int kClientHeight = 307;

constexpr TControlSpec place(const char* name, TDialogKind kind, int x, int y, int w, int h, int caption = 0)
{
    return {.Name = name, .Kind = kind, .Left = x, .Width = w, .Top = y, .Height = h, .Caption = caption};
}

// Times show "0 h 0 m 0 s" until the dialog fills them.
constexpr TControlSpec kControls[] = {
    place("sgDatosArchivos", dkGrid, 8, 8, 297, 153),
    place("lTotal", dkLabel, 8, 171, 100, 17, kTotalCaption),
    place("labTotal", dkTotal, 112, 169, 193, 21),
    place("l14", dkLabel, 8, 198, 100, 17, kSpeedCaptions),
    place("lab14", dkValue, 112, 196, 193, 17, kNoTime),
    place("l28", dkLabel, 8, 217, 100, 17, kSpeedCaptions + 1),
    place("lab28", dkValue, 112, 215, 193, 17, kNoTime),
    place("l36", dkLabel, 8, 236, 100, 17, kSpeedCaptions + 2),
    place("lab36", dkValue, 112, 234, 193, 17, kNoTime),
    place("l56", dkLabel, 8, 255, 100, 17, kSpeedCaptions + 3),
    place("lab56", dkValue, 112, 253, 193, 17, kNoTime),
    place("bAceptar", dkButton, 230, 274, 75, 25, kAccept),
};

QWidget* makeControl(const TControlSpec& spec, QWidget* parent, int&)
{
    const QString caption = spec.Caption ? LoadResQString(spec.Caption) : QString();
    switch (spec.Kind) {
    case dkGrid: return new QTableWidget(0, 3, parent);
    case dkButton: return new QPushButton(caption, parent);
    case dkTotal: {
        // The total stands in a sunken box, as a static text does.
        auto* total = new QLabel(caption, parent);
        total->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        return total;
    }
    default: return new QLabel(caption, parent);
    }
}

// The width of the file column: the grid's width less the fixed columns and the frame, and less a
// vertical scroll bar when the rows, the header among them, do not all fit.
int fileColumnWidth(int gridWidth, int gridHeight, int rowHeight, int rowCount, int scrollBar)
{
    int width = gridWidth - kSizeColumn - kStateColumn - kGridFrame;
    if (rowHeight > 0 && gridHeight / rowHeight <= rowCount)
        width -= scrollBar;
    return width;
}

std::string bytesText(int64_t bytes)
{
    const auto count = static_cast<long long>(bytes);
    return FmtLoadStr(CountedResString(count, kOneByte, kBytes), count);
}

} // namespace

TformDescarga::TformDescarga(const std::string& fileName, std::string_view text, const TKestrimaConfig& config,
                             const TCodigosISO* entities, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName("formDescarga");
    setWindowTitle(LoadResQString(kCaption));
    buildControls();
    fill(fileName, text, config, entities);
}

void TformDescarga::buildControls()
{
    setFixedSize(kClientWidth, kClientHeight);
    BuildControls(this, kControls, TFormRow{}, makeControl);
    sgDatosArchivos = FormControl<QTableWidget>(this, "sgDatosArchivos");
    labTotal = FormControl<QLabel>(this, "labTotal");
    lab14 = FormControl<QLabel>(this, "lab14");
    lab28 = FormControl<QLabel>(this, "lab28");
    lab36 = FormControl<QLabel>(this, "lab36");
    lab56 = FormControl<QLabel>(this, "lab56");
    bAceptar = FormControl<QPushButton>(this, "bAceptar");
    sgDatosArchivos->setHorizontalHeaderLabels({LoadResQString(kFileHeader), LoadResQString(kSizeHeader), QString()});
    sgDatosArchivos->verticalHeader()->hide();
    sgDatosArchivos->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    sgDatosArchivos->horizontalHeader()->setMinimumSectionSize(1);
    sgDatosArchivos->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sgDatosArchivos->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgDatosArchivos->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgDatosArchivos->setSelectionMode(QAbstractItemView::SingleSelection);
    sgDatosArchivos->setWordWrap(false);
    fitGridFont();
    sgDatosArchivos->installEventFilter(this);

    bAceptar->setDefault(true);
    connect(bAceptar, &QPushButton::clicked, this, &QDialog::accept);

    CenterOnScreen(this);
}

void TformDescarga::fitGridFont()
{
    // The size column keeps its width whatever the desktop's font: a font too wide for a six-digit
    // size there is made smaller, down to a size still easy to read.
    constexpr double kSmallestPoints = 7;
    const QString widest = FromEditorText(FmtLoadStr(kBytes, 999999LL));
    const QStyle* style = sgDatosArchivos->style();
    const int margins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, sgDatosArchivos) + 1);
    QFont font = sgDatosArchivos->font();
    while (font.pointSizeF() - 0.5 >= kSmallestPoints &&
           QFontMetrics(font).horizontalAdvance(widest) + margins > kSizeColumn)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    sgDatosArchivos->setFont(font);
    sgDatosArchivos->horizontalHeader()->setFont(font);
    // Rows as tall as a line of the text, as a grid's are.
    sgDatosArchivos->verticalHeader()->setMinimumSectionSize(1);
    sgDatosArchivos->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);
}

void TformDescarga::fill(const std::string& fileName, std::string_view text, const TKestrimaConfig& config,
                         const TCodigosISO* entities)
{
    TStringList references;
    ExtractLinks(text, references);
    // The page's own name joins the references as a page would write its address, to be found the same way.
    const std::vector<std::string> files =
        WeighedFiles(references, config.FileWeighExt, FilePathPageAddress(ExtractFileName(fileName)));
    const TReferenceSize sizeOf = FileSizesBeside(ExtractFilePath(fileName), entities);
    sgDatosArchivos->setRowCount(static_cast<int>(files.size()));
    int64_t total = 0;
    for (int row = 0; row < static_cast<int>(files.size()); ++row) {
        const int64_t size = sizeOf(files[row]);
        total += size;
        sgDatosArchivos->setItem(row, 0, new QTableWidgetItem(FromEditorText(files[row])));
        auto* sizeItem = new QTableWidgetItem(FromEditorText(bytesText(size)));
        sizeItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        sgDatosArchivos->setItem(row, 1, sizeItem);
        auto* stateItem = new QTableWidgetItem(LoadResQString(size != 0 ? kFound : kMissing));
        stateItem->setTextAlignment(Qt::AlignCenter);
        sgDatosArchivos->setItem(row, 2, stateItem);
    }
    labTotal->setText(FromEditorText(bytesText(total)));
    QLabel* times[] = {lab14, lab28, lab36, lab56};
    for (size_t i = 0; i < kModemBytesPerSecond.size(); ++i) {
        const auto seconds = static_cast<long long>(DownloadSeconds(total, kModemBytesPerSecond[i]));
        times[i]->setText(FromEditorText(FmtLoadStr(CountedResString(seconds, kOneSecond, kSeconds), seconds)));
    }
    sgDatosArchivosDrawCell();
}

std::string TformDescarga::Cells(int col, int row) const
{
    return GridCells(sgDatosArchivos, col, row);
}

int TformDescarga::RowCount() const
{
    return sgDatosArchivos->rowCount() + 1;
}

void TformDescarga::sgDatosArchivosDrawCell()
{
    const int rowHeight = sgDatosArchivos->verticalHeader()->defaultSectionSize();
    const int scrollBar = sgDatosArchivos->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, sgDatosArchivos);
    sgDatosArchivos->setColumnWidth(
        0, fileColumnWidth(sgDatosArchivos->width(), sgDatosArchivos->height(), rowHeight, RowCount(), scrollBar));
    sgDatosArchivos->setColumnWidth(1, kSizeColumn);
    sgDatosArchivos->setColumnWidth(2, kStateColumn);
}

bool TformDescarga::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == sgDatosArchivos && event->type() == QEvent::Resize)
        sgDatosArchivosDrawCell();
    return QDialog::eventFilter(watched, event);
}
