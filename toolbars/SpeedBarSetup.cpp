// SpeedBarSetup: the setup window's lists of sections and buttons, dragging buttons from them onto the bar, and the one window per bar.
#include "toolbars/SpeedBarSetup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>

#include "components/KrConst.h"
#include "components/VCLUtils.h"
#include "platform/Cursors.h"
#include "platform/FormSpec.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/Help.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"
#include "toolbars/SpeedBar.h"

namespace {

constexpr int kHint = 61157;     // "Para añadir botones, arrástrelos..."
constexpr int kCategories = 61158; // "&Categorías:"
constexpr int kButtons = 61159;  // "&Botones disponibles:"
constexpr int kCaption = 61160;  // "Personalizar la barra de herramientas"
constexpr int kOk = 65220;       // the class library's OK
constexpr int kHelp = 5900;      // the class library's Help
constexpr int kClientWidth = 421;
constexpr int kClientHeight = 262;
// The button list's height at 96 pixels per inch, before it is cut to whole rows.
constexpr int kListHeight = 186;

enum TKind : int { kBevel, kLabel, kGrid, kButton };

constexpr TControlSpec row(const char* name, TKind kind, int x, int y, int w, int h, int caption = 0)
{
    return {.Name = name, .Kind = kind, .Left = x, .Width = w, .Top = y, .Height = h, .Caption = caption};
}

constexpr TControlSpec kControls[] = {
    row("Bevel1", kBevel, 4, 4, 328, 221),
    row("ButtonsLabel", kLabel, 146, 11, kFit, 13, kButtons),
    row("CategoriesLabel", kLabel, 12, 11, kFit, 13, kCategories),
    row("HintLabel", kLabel, 8, 231, 407, 29, kHint),
    row("ButtonsList", kGrid, 146, 30, 179, 188),
    row("SectionList", kGrid, 12, 30, 129, 188),
    row("CloseBtn", kButton, 339, 12, 77, 25, kOk),
    row("HelpBtn", kButton, 339, 44, 77, 25, kHelp),
};

QWidget* makeControl(const TControlSpec& spec, QWidget* parent, int& width)
{
    const QString caption = spec.Caption ? LoadResQString(spec.Caption) : QString();
    switch (spec.Kind) {
    case kBevel: {
        auto* bevel = new QFrame(parent);
        bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
        return bevel;
    }
    case kLabel: {
        auto* label = new QLabel(caption, parent);
        if (width == kFit)
            width = label->sizeHint().width();
        return label;
    }
    case kGrid: return new TSetupGrid(parent);
    default: return new QPushButton(caption, parent);
    }
}

// The platform's dialog font; the window's controls are of the new style, so it is not bold.
QFont windowFont()
{
    QFont font = QApplication::font();
    font.setBold(false);
    return font;
}

} // namespace

// ---------------------------------------------------------------- grid

TSetupGrid::TSetupGrid(QWidget* parent) : QAbstractScrollArea(parent)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(false);
}

int TSetupGrid::visibleRows() const
{
    return std::max(1, ClientHeight() / std::max(1, FRowHeight));
}

int TSetupGrid::ClientHeight() const
{
    return height() - 2 * frameWidth();
}

void TSetupGrid::SetClientHeight(int value)
{
    resize(width(), value + 2 * frameWidth());
    updateScrollBar();
}

int TSetupGrid::ClientWidth() const
{
    return width() - 2 * frameWidth() - verticalScrollBar()->sizeHint().width();
}

void TSetupGrid::updateScrollBar()
{
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker quiet(bar);
    bar->setRange(0, std::max(0, FRowCount - visibleRows()));
    bar->setPageStep(visibleRows());
    FTopRow = std::clamp(FTopRow, 0, bar->maximum());
    bar->setValue(FTopRow);
    viewport()->update();
}

void TSetupGrid::SetRowCount(int value)
{
    FRowCount = std::max(0, value);
    if (FRow >= FRowCount)
        FRow = FRowCount - 1;
    if (FRow < 0 && FRowCount > 0)
        FRow = 0;
    updateScrollBar();
}

void TSetupGrid::SetDefaultRowHeight(int value)
{
    FRowHeight = std::max(1, value);
    updateScrollBar();
}

bool TSetupGrid::SetRow(int value)
{
    if (value < 0 || value >= FRowCount)
        return false;
    if (value != FRow && OnSelectCell && !OnSelectCell(value))
        return false;
    const bool changed = value != FRow;
    FRow = value;
    scrollToRow(value);
    viewport()->update();
    if (changed && OnRowChanged)
        OnRowChanged();
    return true;
}

void TSetupGrid::scrollToRow(int row)
{
    if (row < FTopRow)
        FTopRow = row;
    else if (row >= FTopRow + visibleRows())
        FTopRow = row - visibleRows() + 1;
    updateScrollBar();
}

int TSetupGrid::RowAt(QPoint at) const
{
    if (at.y() < 0 || at.x() < 0 || at.x() >= viewport()->width())
        return -1;
    const int row = FTopRow + at.y() / FRowHeight;
    return row < FRowCount ? row : -1;
}

QRect TSetupGrid::CellRect(int row) const
{
    return QRect(0, (row - FTopRow) * FRowHeight, viewport()->width(), FRowHeight);
}

void TSetupGrid::paintEvent(QPaintEvent*)
{
    QPainter canvas(viewport());
    canvas.fillRect(viewport()->rect(), ToQColor(clWindow));
    for (int row = FTopRow; row < FRowCount && (row - FTopRow) * FRowHeight < viewport()->height(); ++row) {
        const QRect cell = CellRect(row);
        const bool selected = row == FRow;
        canvas.fillRect(cell, ToQColor(selected ? clHighlight : clWindow));
        canvas.setPen(ToQColor(selected ? clHighlightText : clWindowText));
        if (OnDrawCell) {
            TPainterSave saved(canvas);
            OnDrawCell(canvas, row, cell, selected);
        }
        if (selected && hasFocus()) {
            canvas.setPen(QPen(Qt::black, 1, Qt::DotLine));
            canvas.drawRect(cell.adjusted(0, 0, -1, -1));
        }
    }
}

void TSetupGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void TSetupGrid::scrollContentsBy(int, int)
{
    FTopRow = verticalScrollBar()->value();
    viewport()->update();
}

void TSetupGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const int row = RowAt(event->position().toPoint());
        if (row >= 0)
            SetRow(row);
    }
    if (OnMouseDown)
        CallHandler(this, [&] { OnMouseDown(event); });
}

void TSetupGrid::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove)
        CallHandler(this, [&] { OnMouseMove(event); });
}

void TSetupGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (OnMouseUp)
        CallHandler(this, [&] { OnMouseUp(event); });
}

void TSetupGrid::keyPressEvent(QKeyEvent* event)
{
    int target = FRow;
    switch (event->key()) {
    case Qt::Key_Up: target = FRow - 1; break;
    case Qt::Key_Down: target = FRow + 1; break;
    case Qt::Key_PageUp: target = FRow - visibleRows(); break;
    case Qt::Key_PageDown: target = FRow + visibleRows(); break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = FRowCount - 1; break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    if (FRowCount > 0)
        SetRow(std::clamp(target, 0, FRowCount - 1));
}

// ---------------------------------------------------------------- window

TSpeedbarSetupWindow::TSpeedbarSetupWindow(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(windowFont());
    setFixedSize(kClientWidth, kClientHeight);
    setWindowTitle(LoadResQString(kCaption));
    BuildControls(this, kControls, TFormRow{}, makeControl);
    Bevel1 = FormControl<QFrame>(this, "Bevel1");
    ButtonsLabel = FormControl<QLabel>(this, "ButtonsLabel");
    CategoriesLabel = FormControl<QLabel>(this, "CategoriesLabel");
    HintLabel = FormControl<QLabel>(this, "HintLabel");
    ButtonsList = FormControl<TSetupGrid>(this, "ButtonsList");
    SectionList = FormControl<TSetupGrid>(this, "SectionList");
    CloseBtn = FormControl<QPushButton>(this, "CloseBtn");
    HelpBtn = FormControl<QPushButton>(this, "HelpBtn");

    ButtonsLabel->setBuddy(ButtonsList);
    CategoriesLabel->setBuddy(SectionList);
    HintLabel->setWordWrap(true);
    HintLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The hint was laid out for a narrow font: with a wider one the window grows to show all of it.
    const int hintHeight = std::max(HintLabel->height(), HintLabel->heightForWidth(HintLabel->width()));
    HintLabel->resize(HintLabel->width(), hintHeight);
    setFixedSize(kClientWidth, HintLabel->y() + hintHeight + 2);
    ButtonsList->SetDefaultRowHeight(26);
    SectionList->SetDefaultRowHeight(15);
    // Esc closes the window through the dialog's cancel; Enter does not press "OK".
    CloseBtn->setAutoDefault(false);
    CloseBtn->setDefault(false);
    HelpBtn->setAutoDefault(false);
    HelpBtn->hide();
    connect(CloseBtn, &QPushButton::clicked, this, [this] { close(); });
    connect(HelpBtn, &QPushButton::clicked, this,
            [this] { CallHandler(this, [this] { HelpCommand(this, HELP_CONTEXT, {}, FHelpContext); }); });

    SectionList->OnDrawCell = [this](QPainter& canvas, int row, const QRect& cell, bool) {
        if (const TSpeedbarSection* section = FBar ? FBar->Sections(row) : nullptr)
            DrawCellText(canvas, section->Caption(), TRect{cell.left(), cell.top(), cell.right() + 1, cell.bottom() + 1},
                         taLeftJustify, vaCenter);
    };
    SectionList->OnRowChanged = [this] { updateButtons(); };
    ButtonsList->OnDrawCell = [this](QPainter& canvas, int row, const QRect& cell, bool) {
        if (FBar)
            DrawCellButton(canvas, cell, FBar->Items(currentSection(), row), FImage);
    };
    ButtonsList->OnSelectCell = [this](int row) { return buttonsSelectCell(row); };
    ButtonsList->OnMouseDown = [this](QMouseEvent* event) { buttonsMouseDown(event); };
    ButtonsList->OnMouseMove = [this](QMouseEvent* event) { buttonsMouseMove(event); };
    ButtonsList->OnMouseUp = [this](QMouseEvent* event) { buttonsMouseUp(event); };
}

TSpeedbarSetupWindow::~TSpeedbarSetupWindow()
{
    finish();
}

void TSpeedbarSetupWindow::SetSpeedBar(TSpeedBar* value)
{
    if (value == FBar)
        return;
    if (FBar)
        FBar->SetEditing(nullptr);
    FBar = value;
    if (FBar)
        FBar->SetEditing(this);
    resizeGrids();
    updateLists(-1);
}

int TSpeedbarSetupWindow::currentSection() const
{
    return FBar && FBar->SectionCount() > 0 ? SectionList->Row() : -1;
}

TSpeedItem* TSpeedbarSetupWindow::CurrentItem() const
{
    return FBar ? FBar->Items(currentSection(), ButtonsList->Row()) : nullptr;
}

void TSpeedbarSetupWindow::resizeGrids()
{
    if (!FBar)
        return;
    const int h = MulDiv(kListHeight, TSpeedBar::ScreenPixelsPerInch(), 96);
    const int r = FBar->BtnHeight() + 2;
    ButtonsList->SetDefaultRowHeight(r);
    const int rows = std::max(1, std::max(ButtonsList->ClientHeight(), h) / r);
    ButtonsList->SetClientHeight(std::min(h, r * rows));
    SectionList->SetClientHeight(ButtonsList->ClientHeight());
    SectionList->SetDefaultRowHeight(QFontMetrics(font()).height() + 2);
    fitColumns();
}

void TSpeedbarSetupWindow::fitColumns()
{
    // One column as wide as the grid's client area: the grids paint their cells at the viewport's width.
    ButtonsList->viewport()->update();
    SectionList->viewport()->update();
}

void TSpeedbarSetupWindow::updateLists(int section)
{
    SectionList->SetRowCount(FBar ? FBar->SectionCount() : 0);
    if (section >= 0 && section < SectionList->RowCount())
        SectionList->SetRow(section);
    updateButtons();
}

void TSpeedbarSetupWindow::updateButtons()
{
    const int count = FBar ? FBar->ItemsCount(currentSection()) : 0;
    ButtonsList->SetRowCount(count);
    setCurrentHint();
    ButtonsList->viewport()->update();
    SectionList->viewport()->update();
}

void TSpeedbarSetupWindow::setCurrentHint()
{
    const TSpeedItem* item = CurrentItem();
    FHint = item ? item->Hint() : std::string();
}

bool TSpeedbarSetupWindow::buttonsSelectCell(int row)
{
    // While a press is being dragged the list keeps its row.
    const bool accepted = !FDragging || row == ButtonsList->Row();
    const TSpeedItem* item = accepted && FBar ? FBar->Items(currentSection(), row) : nullptr;
    FHint = item ? item->Hint() : std::string();
    return accepted;
}

void TSpeedbarSetupWindow::buttonsMouseDown(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !FBar)
        return;
    const QPoint at = event->position().toPoint();
    const int row = ButtonsList->RowAt(at);
    TSpeedItem* item = CurrentItem();
    // Only the picture of the current row's button picks it up.
    if (row < 0 || row != ButtonsList->Row() || !item || at.x() >= FBar->BtnWidth() + 2)
        return;
    FDragging = true;
    if (!item->Visible()) {
        FDragItem = item;
        FDragImage = std::make_unique<TBtnControl>();
        FDragImage->AssignSpeedItem(item);
    }
}

void TSpeedbarSetupWindow::buttonsMouseMove(QMouseEvent* event)
{
    if (!FDragging || !FBar)
        return;
    if (!FDragImage) {
        ButtonsList->viewport()->setCursor(CursorOf(crNoDrop));
        return;
    }
    const QPoint pointer = event->globalPosition().toPoint();
    const QSize size(FBar->BtnWidth(), FBar->BtnHeight());
    FDragImage->Activate(QRect(pointer - QPoint(size.width(), size.height()), size));
}

void TSpeedbarSetupWindow::buttonsMouseUp(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !FDragging)
        return;
    if (!FDragItem || !FDragImage) {
        ButtonsList->viewport()->unsetCursor();
        clearDrag();
        return;
    }
    const QPoint pointer = event->globalPosition().toPoint();
    // The image is placed with its bottom-right corner at the pointer (also when it never moved).
    const QPoint corner = FDragImage->isVisible() ? FDragImage->pos()
                                                  : pointer - QPoint(FBar->BtnWidth(), FBar->BtnHeight());
    FDragImage.reset();
    TSpeedItem* item = FDragItem;
    clearDrag();
    if (FBar && FBar->parentWidget() && FindSpeedBar(corner) == FBar) {
        const QPoint at = FBar->mapFromGlobal(corner);
        if (FBar->AcceptDropItem(item, at.x(), at.y()))
            updateButtons();
    }
}

void TSpeedbarSetupWindow::clearDrag()
{
    FDragging = false;
    FDragItem = nullptr;
}

LRESULT TSpeedbarSetupWindow::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != CM_SPEEDBARCHANGED || !FBar || lParam != reinterpret_cast<LPARAM>(FBar))
        return 0;
    switch (wParam) {
    case SBR_CHANGED: updateLists(SectionList->Row()); break;
    case SBR_DESTROYED:
        // The bar is going: end its edit mode while it still stands, then never touch it again.
        finish();
        close();
        break;
    case SBR_BTNSIZECHANGED: resizeGrids(); break;
    default: break;
    }
    return 0;
}

void TSpeedbarSetupWindow::showEvent(QShowEvent* event)
{
    resizeGrids();
    QDialog::showEvent(event);
}

void TSpeedbarSetupWindow::finish()
{
    FDragImage.reset();
    clearDrag();
    TSpeedBar* bar = std::exchange(FBar, nullptr);
    if (bar)
        bar->SetEditing(nullptr);
}

void TSpeedbarSetupWindow::closeEvent(QCloseEvent* event)
{
    finish();
    QDialog::closeEvent(event);
}

void TSpeedbarSetupWindow::done(int result)
{
    finish();
    QDialog::done(result);
}

// ---------------------------------------------------------------- one window per bar

TSpeedbarSetupWindow* FindSpeedbarSetupWindow(const TSpeedBar* bar)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = dynamic_cast<TSpeedbarSetupWindow*>(widget); window && window->SpeedBar() == bar && bar)
            return window;
    return nullptr;
}

void ShowSpeedbarSetupWindow(TSpeedBar* bar, int helpContext)
{
    if (!bar)
        return;
    TSpeedbarSetupWindow* window = FindSpeedbarSetupWindow(bar);
    std::unique_ptr<TSpeedbarSetupWindow> made;
    if (!window) {
        // Held by the bar's form, so that closing the form ends the program and frees the window
        // rather than leaving it open alone.
        QWidget* form = bar->window() != bar ? bar->window() : nullptr;
        made = std::make_unique<TSpeedbarSetupWindow>(form);
        window = made.get();
        window->SetSpeedBar(bar);
    }
    if (helpContext > 0)
        window->SetHelpContext(helpContext);
    window->HelpBtn->setVisible(helpContext > 0);
    if (made) {
        // The system menu only, no minimize or maximize box.
        window->setWindowFlags(window->windowFlags() | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        // Centred on the screen.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            window->move(screen->availableGeometry().center() - window->rect().center());
    }
    window->show();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->raise();
    window->activateWindow();
    // Shown: from now on the window frees itself when it closes.
    (void)made.release();
}
