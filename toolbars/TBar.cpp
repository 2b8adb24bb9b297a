// The dock: it keeps the list of its docked tool windows and lets the row layout (components/core/
// DockRows) say where each goes; it paints its colour, its tiled background and its bound lines, and
// takes the thickness its rows need while the docks of a form share the form's edges.
#include "toolbars/TBar.h"

#include <QContextMenuEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>

#include "platform/GraphicsQt.h"
#include "platform/Menus.h"
#include "platform/core/Exception.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kPositionWithControls = 5800;
constexpr int kDockInsideToolWindow = 5801;

QRect toQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

// The first tile at or before `clip` on a grid that starts at `origin` with steps of `step`.
int firstTile(int origin, int clip, int step)
{
    const int offset = clip - origin;
    const int steps = offset >= 0 ? offset / step : -((-offset + step - 1) / step);
    return origin + steps * step;
}

} // namespace

TDockKt::TDockKt(QWidget* parent, TDockPosition position) : QWidget(nullptr), FPosition(position)
{
    resize(0, 0);
    if (parent)
        SetParent(parent);
}

TDockKt::~TDockKt()
{
    FDestroying = true;
    if (FWatchedParent)
        FWatchedParent->removeEventFilter(this);
    // The docked windows go while this is still a dock, so they can leave its list.
    for (QObject* child : children())
        if (auto* bar = qobject_cast<TCustomToolWindowKt*>(child))
            delete bar;
}

void TDockKt::SetParent(QWidget* newParent)
{
    for (QWidget* w = newParent; w; w = w->isWindow() ? nullptr : w->parentWidget())
        if (qobject_cast<TCustomToolWindowKt*>(w) || qobject_cast<TDockKt*>(w))
            throw EInvalidOperation(LoadResString(kDockInsideToolWindow));
    const bool hidden = isHidden() && parentWidget();
    QWidget::setParent(newParent);
    watchParent(newParent);
    if (newParent && !hidden)
        show();
    ArrangeToolbars();
    AlignDocks(newParent);
}

void TDockKt::watchParent(QWidget* parent)
{
    if (FWatchedParent)
        FWatchedParent->removeEventFilter(this);
    FWatchedParent = parent;
    if (parent)
        parent->installEventFilter(this);
}

bool TDockKt::eventFilter(QObject* watched, QEvent* e)
{
    // The form's docks share its edges again when it changes size or loses one of them.
    if (watched == FWatchedParent && (e->type() == QEvent::Resize || e->type() == QEvent::ChildRemoved))
        AlignDocks(FWatchedParent);
    return QWidget::eventFilter(watched, e);
}

void TDockKt::Loaded() { ArrangeToolbars(); }

void TDockKt::AlignControls() { ArrangeToolbars(); }

// ---- properties

void TDockKt::SetAllowDrag(bool value)
{
    if (FAllowDrag == value)
        return;
    FAllowDrag = value;
    recomputeFrames();
}

void TDockKt::SetBoundLines(TDockBoundLines value)
{
    if (FBoundLines == value)
        return;
    FBoundLines = value;
    recomputeFrames();
    update();
}

void TDockKt::recomputeFrames()
{
    {
        BeginUpdate();
        TScopeGuard update([this] { EndUpdate(); });
        for (TCustomToolWindowKt* bar : FDockList) {
            bar->updateContentsMargins();
            bar->Arrange();
            bar->InvalidateDockedFrame();
        }
        FArrangeNeeded = true;
    }
}

void TDockKt::SetBackground(const QImage& value)
{
    FBackground = value;
    BackgroundChanged();
}

void TDockKt::SetBackgroundOnToolbars(bool value)
{
    if (FBackgroundOnToolbars == value)
        return;
    FBackgroundOnToolbars = value;
    InvalidateBackgrounds();
}

void TDockKt::SetBackgroundTransparent(bool value)
{
    if (FBackgroundTransparent == value)
        return;
    FBackgroundTransparent = value;
    if (UsingBackground())
        BackgroundChanged();
}

void TDockKt::SetColor(TColor value)
{
    if (FColor == value)
        return;
    FColor = value;
    if (UsingBackground())
        BackgroundChanged();
    else
        InvalidateBackgrounds();
}

void TDockKt::SetFixAlign(bool value)
{
    FFixAlign = value;
    ArrangeToolbars();
}

void TDockKt::SetLimitToOneRow(bool value)
{
    FLimitToOneRow = value;
    ArrangeToolbars();
}

void TDockKt::SetPosition(TDockPosition value)
{
    if (value == FPosition)
        return;
    for (QObject* child : children())
        if (child->isWidgetType())
            throw EInvalidOperation(LoadResString(kPositionWithControls));
    FPosition = value;
    ArrangeToolbars();
    AlignDocks(parentWidget());
}

void TDockKt::SetVisible(bool value)
{
    setVisible(value);
    AlignDocks(parentWidget());
}

TRect TDockKt::ClientRect() const
{
    TRect r{0, 0, width(), height()};
    // Each line takes its pixel only while something is left beside it.
    auto take = [&](TDockBoundLine line, int& edge, int step) {
        if (FBoundLines.Contains(line) && r.Width() > 1 && r.Height() > 1)
            edge += step;
    };
    take(blTop, r.Top, 1);
    take(blBottom, r.Bottom, -1);
    take(blLeft, r.Left, 1);
    take(blRight, r.Right, -1);
    return r;
}

int TDockKt::clientLength() const
{
    const TRect client = ClientRect();
    return GetDockTypeOf(this) == dtLeftRight ? client.Height() : client.Width();
}

// ---- layout

void TDockKt::BeginUpdate() { ++FUpdateCount; }

void TDockKt::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FArrangeNeeded)
        ArrangeToolbars();
}

TDockRows TDockKt::currentRows() const
{
    TDockRows rows;
    const TDockType type = GetDockTypeOf(this);
    for (TCustomToolWindowKt* bar : FDockList) {
        TDockRowBar item;
        item.Row = bar->FDockRow;
        item.Pos = bar->FDockPos;
        const TPoint size = bar->DockedSizeFor(this);
        item.Length = type == dtLeftRight ? size.Y : size.X;
        bar->GetRowSizeFor(item.RowSize, type);
        item.FullSize = bar->FFullSize;
        item.Tag = bar;
        rows.Bars.push_back(item);
    }
    rows.RowSizes = FRowSizes;
    return rows;
}

void TDockKt::storeRows(const TDockRows& rows)
{
    for (const TDockRowBar& item : rows.Bars) {
        auto* bar = static_cast<TCustomToolWindowKt*>(item.Tag);
        bar->FDockRow = item.Row;
        bar->FDockPos = item.Pos;
    }
    FRowSizes = rows.RowSizes;
}

void TDockKt::ArrangeToolbars()
{
    if (FUpdateCount > 0) {
        FArrangeNeeded = true;
        return;
    }
    ++FUpdateCount;
    TScopeGuard done([this] {
        --FUpdateCount;
        FArrangeNeeded = false;
    });
    // Above its siblings, so a window dragged over the form's controls stays seen.
    raise();
    const bool leftRight = GetDockTypeOf(this) == dtLeftRight;
    TDockRows rows = currentRows();
    const TDockThickness thickness = rows.Arrange(clientLength(), leftRight, FLimitToOneRow, FFixAlign, false);
    storeRows(rows);
    FDockList.clear();
    const TRect client = ClientRect();
    for (const TDockRowBar& item : rows.Bars) {
        auto* bar = static_cast<TCustomToolWindowKt*>(item.Tag);
        FDockList.push_back(bar);
        bar->setOwnBounds(toQRect(TRect{item.Bounds.Left + client.Left, item.Bounds.Top + client.Top,
                                        item.Bounds.Right + client.Left, item.Bounds.Bottom + client.Top}));
    }
    if (leftRight)
        ChangeWidthHeight(thickness.ClientSize, thickness.Size, height());
    else
        ChangeWidthHeight(thickness.ClientSize, width(), thickness.Size);
}

void TDockKt::ChangeWidthHeight(bool IsClientSize, int Width, int Height)
{
    if (IsClientSize) {
        const TRect client = ClientRect();
        Width += width() - client.Width();
        Height += height() - client.Height();
    }
    const QRect now = geometry();
    QRect wanted(now.left(), now.top(), Width, Height);
    if (FPosition == dpBottom)
        wanted.moveBottom(now.bottom());
    else if (FPosition == dpRight)
        wanted.moveRight(now.right());
    if (wanted != now)
        setGeometry(wanted);
}

int TDockKt::GetHighestRow() const { return currentRows().GetHighestRow(); }

int TDockKt::GetRowSize(int Row, TCustomToolWindowKt* DefaultBar) const
{
    int fallback = 0;
    if (DefaultBar)
        DefaultBar->GetRowSizeFor(fallback, GetDockTypeOf(this));
    return currentRows().GetRowSize(Row, fallback);
}

int TDockKt::GetRowOf(int Pos, bool& Before) const { return currentRows().GetRowOf(Pos, Before); }

int TDockKt::GetDesignModeRowOf(int Pos) const { return currentRows().GetDesignModeRowOf(Pos); }

int TDockKt::GetNumberOfToolbarsOnRow(int Row, TCustomToolWindowKt* NotIncluding) const
{
    const auto it = std::find(FDockList.begin(), FDockList.end(), NotIncluding);
    const int index = it == FDockList.end() ? -1 : static_cast<int>(it - FDockList.begin());
    return currentRows().GetNumberOfToolbarsOnRow(Row, index);
}

void TDockKt::RemoveBlankRows()
{
    TDockRows rows = currentRows();
    rows.RemoveBlankRows();
    storeRows(rows);
}

void TDockKt::InsertRowBefore(int Row)
{
    TDockRows rows = currentRows();
    rows.InsertRowBefore(Row);
    storeRows(rows);
}

void TDockKt::BuildRowInfo()
{
    TDockRows rows = currentRows();
    rows.BuildRowInfo();
    storeRows(rows);
}

void TDockKt::ChangeDockList(bool Inserting, TCustomToolWindowKt* Bar, bool Visible)
{
    const auto it = std::find(FDockList.begin(), FDockList.end(), Bar);
    const bool listed = it != FDockList.end();
    if (listed)
        FDockList.erase(it);
    const bool changed = Inserting ? Visible : listed;
    if (Inserting && Visible)
        FDockList.push_back(Bar);
    if (!changed || FDestroying)
        return;
    ArrangeToolbars();
    Bar->Arrange();
    if (OnInsertRemoveBar)
        OnInsertRemoveBar(this, Inserting, Bar);
}

void TDockKt::AlignDocks(QWidget* parent)
{
    static int depth = 0;
    static bool again = false;
    if (!parent)
        return;
    if (depth > 0) {
        again = true;
        return;
    }
    ++depth;
    TScopeGuard done([] { --depth; });
    // A dock that changes thickness while being placed asks again; a few rounds settle every chain.
    for (int round = 0; round < 4; ++round) {
        again = false;
        std::vector<TDockKt*> docks;
        for (QObject* child : parent->children())
            if (auto* dock = qobject_cast<TDockKt*>(child); dock && !dock->isHidden() && !dock->FDestroying)
                docks.push_back(dock);
        const int w = parent->width();
        int top = 0, bottom = parent->height(), left = 0, right = w;
        for (TDockPosition side : {dpTop, dpBottom, dpLeft, dpRight})
            for (TDockKt* dock : docks) {
                if (dock->FPosition != side)
                    continue;
                switch (side) {
                case dpTop:
                    dock->setGeometry(0, top, w, dock->height());
                    top += dock->height();
                    break;
                case dpBottom:
                    dock->setGeometry(0, bottom - dock->height(), w, dock->height());
                    bottom -= dock->height();
                    break;
                case dpLeft:
                    dock->setGeometry(left, top, dock->width(), std::max(0, bottom - top));
                    left += dock->width();
                    break;
                case dpRight:
                    dock->setGeometry(right - dock->width(), top, dock->width(), std::max(0, bottom - top));
                    right -= dock->width();
                    break;
                }
            }
        if (!again)
            break;
    }
}

// ---- background and painting

bool TDockKt::UsingBackground() const { return FBackground.width() != 0 && FBackground.height() != 0; }

const QImage& TDockKt::shownBackground()
{
    if (!FBackgroundTransparent)
        return FBackground;
    if (FCachedBackground.isNull()) {
        // The colour of the bottom-left pixel stands for "no picture here": the dock's colour shows.
        FCachedBackground = FBackground.convertToFormat(QImage::Format_RGB32);
        const QRgb transparent = FCachedBackground.pixel(0, FCachedBackground.height() - 1);
        const QRgb color = ToQColor(FColor).rgb();
        for (int y = 0; y < FCachedBackground.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(FCachedBackground.scanLine(y));
            for (int x = 0; x < FCachedBackground.width(); ++x)
                if (line[x] == transparent)
                    line[x] = color;
        }
    }
    return FCachedBackground;
}

void TDockKt::DrawBackground(QPainter& painter, const TRect& Clip, const TRect* Exclude, const TRect& Origin)
{
    if (!UsingBackground())
        return;
    const QImage& tile = shownBackground();
    TPainterSave saved(painter);
    QRegion region(toQRect(Clip));
    if (Exclude)
        region -= QRegion(toQRect(*Exclude));
    painter.setClipRegion(region);
    const int w = tile.width(), h = tile.height();
    for (int x = firstTile(Origin.Left, Clip.Left, w); x < Clip.Right; x += w)
        for (int y = firstTile(Origin.Top, Clip.Top, h); y < Clip.Bottom; y += h)
            painter.drawImage(x, y, tile);
}

void TDockKt::InvalidateBackgrounds()
{
    update();
    for (TCustomToolWindowKt* bar : FDockList) {
        bar->InvalidateDockedFrame();
        bar->update();
    }
}

void TDockKt::BackgroundChanged()
{
    FCachedBackground = QImage();
    InvalidateBackgrounds();
}

void TDockKt::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(FColor));
    const TRect client = ClientRect();
    DrawBackground(painter, client, nullptr, client);
    // Shadow on the top and left lines, light on the bottom and right ones.
    const QColor shadow = ToQColor(clBtnShadow), light = ToQColor(clBtnHighlight);
    if (client.Top > 0)
        painter.fillRect(QRect(0, 0, width(), 1), shadow);
    if (client.Left > 0)
        painter.fillRect(QRect(0, 0, 1, height()), shadow);
    if (client.Bottom < height())
        painter.fillRect(QRect(0, height() - 1, width(), 1), light);
    if (client.Right < width())
        painter.fillRect(QRect(width() - 1, 0, 1, height()), light);
}

void TDockKt::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    ArrangeToolbars();
    if (OnResize)
        OnResize(this);
    AlignDocks(parentWidget());
}

void TDockKt::moveEvent(QMoveEvent* e)
{
    QWidget::moveEvent(e);
    if (UsingBackground())
        InvalidateBackgrounds();
}

void TDockKt::contextMenuEvent(QContextMenuEvent* e)
{
    if (!FPopupMenu) {
        QWidget::contextMenuEvent(e);
        return;
    }
    FPopupMenu->SetPopupComponent(this);
    FPopupMenu->Popup(e->globalPos().x(), e->globalPos().y());
}
