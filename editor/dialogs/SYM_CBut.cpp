// The colour button's pop-up palette: its grid, geometry, hot tracking, picking and closing.
#include "editor/dialogs/SYM_CBut.h"

#include <QApplication>
#include <QColorDialog>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "editor/dialogs/ControlSupport.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"

namespace {

// Red, green and blue of each row, columns 1..4.
const uint8_t kDefaultPalette[5][4][3] = {
    {{255, 255, 255}, {0, 0, 0}, {191, 191, 191}, {127, 127, 127}},
    {{255, 0, 0}, {127, 0, 0}, {255, 255, 0}, {127, 127, 0}},
    {{0, 255, 0}, {0, 127, 0}, {0, 255, 255}, {0, 127, 127}},
    {{0, 0, 255}, {0, 0, 127}, {255, 0, 255}, {127, 0, 127}},
    {{191, 215, 191}, {159, 191, 239}, {255, 247, 239}, {159, 159, 159}},
};

// The extra cell's origin: right-aligned in the client area, centred on the "&Otro" button.
constexpr int kOtherCellLeft = TTSM_KrColorButtonPalette::kClientWidth - TTSM_KrColorButtonPalette::kCellSize;
constexpr int kOtherCellTop = TTSM_KrColorButtonPalette::kOtherTop + (TTSM_KrColorButtonPalette::kOtherHeight - 16) / 2;
// The separator between the grid and the button row.
constexpr int kSeparatorTop = 93;

} // namespace

void SetDefaultPaletteColors(TColorArrayClass& colors)
{
    colors.SetXSize(TTSM_KrColorButtonPalette::kColumns);
    colors.SetYSize(TTSM_KrColorButtonPalette::kRows);
    for (int y = 1; y <= TTSM_KrColorButtonPalette::kRows; ++y)
        for (int x = 1; x <= TTSM_KrColorButtonPalette::kColumns; ++x) {
            const uint8_t* rgb = kDefaultPalette[y - 1][x - 1];
            colors.SetColor(x, y, static_cast<TColor>(RGBValue(rgb[0], rgb[1], rgb[2])));
        }
}

TTSM_KrColorButtonPalette::TTSM_KrColorButtonPalette(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint), FOtherColor(static_cast<TColor>(clBtnFace))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(kClientWidth + 2 * kFrame, kClientHeight + 2 * kFrame);
    SetDefaultPaletteColors(FPaletteColors);

    FOtherButton = new QPushButton(LoadResQString(4363), this);
    FOtherButton->setGeometry(kFrame + 1, kFrame + kOtherTop, kClientWidth - 22, kOtherHeight);
    FOtherButton->setFocusPolicy(Qt::NoFocus);
    FOtherButton->setAutoDefault(false);
    connect(FOtherButton, &QPushButton::clicked, this, [this] { CallHandler(this, [this] { OtherClick(); }); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            appDeactivate();
    });
}

TTSM_KrColorButtonPalette::~TTSM_KrColorButtonPalette() = default;

void TTSM_KrColorButtonPalette::SetSelectedColor(TColor color)
{
    FSelectedColor = color;
    const uint32_t rgb = ColorToRGB(color);
    for (int x = 1; x <= FPaletteColors.XSize(); ++x)
        for (int y = 1; y <= FPaletteColors.YSize(); ++y)
            if (ColorToRGB(FPaletteColors.GetColor(x, y)) == rgb) {
                FHotCell = {x, y};
                update();
                return;
            }
    SetOtherColor(color);
}

void TTSM_KrColorButtonPalette::SetOtherColor(TColor color)
{
    FOtherColor = color;
    update();
}

void TTSM_KrColorButtonPalette::SetOtherCaption(const std::string& caption)
{
    FOtherButton->setText(FromEditorText(caption));
}

bool TTSM_KrColorButtonPalette::IsValidCell(TPaletteCell cell)
{
    return (cell.X >= 1 && cell.X <= kColumns && cell.Y >= 1 && cell.Y <= kRows) || (cell.X == 0 && cell.Y == 0);
}

TPaletteCell TTSM_KrColorButtonPalette::CellAtCursor(TPoint client)
{
    // The frame lies at negative client coordinates; it holds no cell.
    if (client.X < 0 || client.Y < 0)
        return {};
    if (client.X >= kClientWidth - 19 && client.X <= kClientWidth - 1 && client.Y >= 96 && client.Y < 114)
        return {0, 0};
    TPaletteCell cell{client.X / kCellSize + 1, client.Y / kCellSize + 1};
    return IsValidCell(cell) ? cell : TPaletteCell{};
}

QRect TTSM_KrColorButtonPalette::CellRect(TPaletteCell cell)
{
    const bool other = cell.X == 0 && cell.Y == 0;
    const int left = other ? kOtherCellLeft : (cell.X - 1) * kCellSize + 1;
    const int top = other ? kOtherCellTop : (cell.Y - 1) * kCellSize + 1;
    return QRect(left - 1, top - 1, kCellSize, kCellSize);
}

TColor TTSM_KrColorButtonPalette::CellColor(TPaletteCell cell) const
{
    if (cell.X == 0 && cell.Y == 0)
        return FOtherColor;
    return FPaletteColors.GetColor(cell.X, cell.Y);
}

void TTSM_KrColorButtonPalette::drawCell(QPainter& canvas, TPaletteCell cell, bool highlighted) const
{
    if (!IsValidCell(cell))
        return;
    QRect rect = CellRect(cell);
    if (highlighted) {
        FrameRect(canvas, rect, cl3DDkShadow);
        FrameRect(canvas, rect, clBtnHighlight);
        FrameRect(canvas, rect, cl3DLight);
    } else {
        FrameRect(canvas, rect, clBtnFace);
        Frame3D(canvas, rect, clBtnShadow, clBtnHighlight);
        Frame3D(canvas, rect, cl3DDkShadow, cl3DLight);
    }
    canvas.fillRect(rect, ToQColor(CellColor(cell)));
}

void TTSM_KrColorButtonPalette::paintEvent(QPaintEvent*)
{
    QPainter canvas(this);
    QRect frame = rect();
    Frame3D(canvas, frame, cl3DLight, cl3DDkShadow);
    Frame3D(canvas, frame, clBtnHighlight, clBtnShadow);
    canvas.fillRect(frame, ToQColor(clBtnFace));

    canvas.translate(kFrame, kFrame);
    for (int x = 1; x <= kColumns; ++x)
        for (int y = 1; y <= kRows; ++y)
            drawCell(canvas, {x, y}, FHotCell == TPaletteCell{x, y});
    canvas.fillRect(QRect(2, kSeparatorTop, kClientWidth - 4, 1), ToQColor(clBtnShadow));
    canvas.fillRect(QRect(2, kSeparatorTop + 1, kClientWidth - 4, 1), ToQColor(clBtnHighlight));
    drawCell(canvas, {0, 0}, FHotCell == TPaletteCell{0, 0});
}

TPoint TTSM_KrColorButtonPalette::clientPoint(const QPointF& widgetPoint) const
{
    const QPoint p = widgetPoint.toPoint();
    return {p.x() - kFrame, p.y() - kFrame};
}

void TTSM_KrColorButtonPalette::HotTrack(TPoint client)
{
    const TPaletteCell cell = CellAtCursor(client);
    if (IsValidCell(cell) && !(cell == FHotCell)) {
        FHotCell = cell;
        update();
    }
}

void TTSM_KrColorButtonPalette::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    HotTrack(clientPoint(mapFromGlobal(QCursor::pos())));
}

void TTSM_KrColorButtonPalette::mouseMoveEvent(QMouseEvent* event)
{
    HotTrack(clientPoint(event->position()));
}

void TTSM_KrColorButtonPalette::ClickAt(TPoint client)
{
    const TPaletteCell cell = CellAtCursor(client);
    // The palette closes when the pick is done, also when the pick's handler fails.
    TScopeGuard closeAtEnd([this] { close(); });
    if (OnColorSelected && IsValidCell(cell))
        OnColorSelected(this, CellColor(cell));
}

void TTSM_KrColorButtonPalette::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    CallHandler(this, [&] { ClickAt(clientPoint(event->position())); });
}

void TTSM_KrColorButtonPalette::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

void TTSM_KrColorButtonPalette::closeEvent(QCloseEvent* event)
{
    if (FInOtherDialog) {
        event->ignore();
        return;
    }
    event->accept();
    if (OnPaletteClose)
        CallHandler(parentWidget(), [this] { OnPaletteClose(this); });
}

void TTSM_KrColorButtonPalette::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        close();
}

void TTSM_KrColorButtonPalette::appDeactivate()
{
    if (!FInOtherDialog)
        close();
}

void TTSM_KrColorButtonPalette::OtherClick()
{
    bool accepted = false;
    {
        // Holds the palette open while the colour dialog runs, whatever way the dialog ends.
        FInOtherDialog = true;
        TScopeGuard dialogEnds([this] { FInOtherDialog = false; });
        QColorDialog dialog(ToQColor(FOtherColor), this);
        dialog.setOption(QColorDialog::DontUseNativeDialog);
        const TStringList lines = CustomColorLines(FCustomColors);
        for (int i = 0; i < lines.Count(); ++i) {
            const std::string& line = lines[i];
            const size_t equals = line.find('=');
            QColorDialog::setCustomColor(line[equals - 1] - 'A',
                                         ToQColor(CustomColorValue(std::string_view(line).substr(equals + 1))));
        }
        accepted = dialog.exec() == QDialog::Accepted;
        if (accepted) {
            FOtherColor = FromQColor(dialog.selectedColor());
            TStringList chosen;
            for (int n = 0; n < QColorDialog::customCount() && n < 16; ++n)
                chosen.Add(CustomColorLine(n, FromQColor(QColorDialog::customColor(n))));
            ReadCustomColorLines(FCustomColors, chosen);
        }
    }
    if (!accepted) {
        // The dialog took the activation; without it back a click elsewhere would not close the palette.
        activateWindow();
        return;
    }
    // The palette closes when the pick is done, also when the pick's handler fails.
    TScopeGuard closeAtEnd([this] { close(); });
    if (OnColorSelected)
        OnColorSelected(this, FOtherColor);
}
