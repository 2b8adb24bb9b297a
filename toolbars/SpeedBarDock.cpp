// SpeedBarDock: the speed bar's own pointer handling: dragging it to another edge of its parent with an outline on the screen, resizing it by whole rows in edit mode, and holding the mouse while a button is dragged.
#include <QApplication>
#include <QMouseEvent>
#include <cstdlib>

#include "components/KrConst.h"
#include "components/VCLUtils.h"
#include "platform/Cursors.h"
#include "platform/HandlerCall.h"
#include "toolbars/SpeedBar.h"

namespace {

// The pointer must move this far from the press before the bar leaves its edge.
constexpr int kDragThreshold = 5;
// Nested frames of the outline.
constexpr int kOutlineFrames = 3;

bool isEdge(TAlign align)
{
    return align == alTop || align == alBottom || align == alLeft || align == alRight;
}

TRect screenRect(const QRect& r)
{
    return TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

} // namespace

void TSpeedBar::showOutline(const QRect& screenRect_)
{
    // Drawing the same frames twice takes them away.
    if (FMouse.Outline.isValid())
        DrawInvertFrame(screenRect(FMouse.Outline), kOutlineFrames);
    FMouse.Outline = screenRect_;
    if (FMouse.Outline.isValid())
        DrawInvertFrame(screenRect(FMouse.Outline), kOutlineFrames);
}

TAlign TSpeedBar::edgeAt(QPoint inParent) const
{
    const QWidget* parent = parentWidget();
    const QRect client = parent->contentsRect();
    const TSpeedbarEdge current = isEdge(FAlign) ? static_cast<TSpeedbarEdge>(FAlign) : seTop;
    return static_cast<TAlign>(SpeedbarEdgeAt(inParent.x() - client.left(), inParent.y() - client.top(), client.width(),
                                              client.height(), current));
}

QRect TSpeedBar::dockOutline(TAlign edge) const
{
    const QWidget* parent = parentWidget();
    QRect area = parent->contentsRect();
    const QRect own = geometry();
    // The free client area: the parent's less the bars that take their edges before this one would.
    for (QObject* child : parent->children()) {
        const auto* sibling = qobject_cast<const TSpeedBar*>(child);
        if (!sibling || sibling == this || sibling->isHidden() || !isEdge(sibling->Align()) || sibling->Align() > edge)
            continue;
        const QRect r = sibling->geometry();
        if (sibling->Align() == edge) {
            const bool before = (edge == alTop && r.top() < own.top()) || (edge == alBottom && r.bottom() > own.bottom()) ||
                                (edge == alLeft && r.left() < own.left()) || (edge == alRight && r.right() > own.right());
            if (!before)
                continue;
        }
        switch (sibling->Align()) {
        case alTop: area.setTop(std::max(area.top(), r.bottom() + 1)); break;
        case alBottom: area.setBottom(std::min(area.bottom(), r.top() - 1)); break;
        case alLeft: area.setLeft(std::max(area.left(), r.right() + 1)); break;
        case alRight: area.setRight(std::min(area.right(), r.left() - 1)); break;
        default: break;
        }
    }
    const int thickness = FOrientation == boHorizontal ? height() : width();
    QRect strip;
    switch (edge) {
    case alTop: strip = QRect(area.left(), area.top(), area.width(), thickness); break;
    case alBottom: strip = QRect(area.left(), area.bottom() + 1 - thickness, area.width(), thickness); break;
    case alLeft: strip = QRect(area.left(), area.top(), thickness, area.height()); break;
    case alRight: strip = QRect(area.right() + 1 - thickness, area.top(), thickness, area.height()); break;
    default: return FMouse.Outline;
    }
    return QRect(parent->mapToGlobal(strip.topLeft()), strip.size());
}

bool TSpeedBar::onSizingEdge(QPoint at) const
{
    if (!(FOptions & sbAllowResize) || !Editing() || FMouse.Dragging || !isEdge(FAlign))
        return false;
    return SpeedbarOnSizingEdge(static_cast<TSpeedbarEdge>(FAlign), at.x(), at.y(), width(), height());
}

void TSpeedBar::mousePressEvent(QMouseEvent* event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !parentWidget())
        return;
    const QPoint at = event->position().toPoint();
    if (onSizingEdge(at)) {
        FMouse.Resizing = true;
        grabMouse();
    } else if ((FOptions & sbAllowDrag) && isEdge(FAlign)) {
        FMouse.Pressed = true;
        FMouse.DownPoint = at;
        FMouse.Accepted = FAlign;
        grabMouse();
    }
}

void TSpeedBar::beginButtonDrag(TSpeedbarButton* button)
{
    FMouse.DraggedButton = button;
    button->BeginDrag();
    grabMouse();
}

void TSpeedBar::moveBar(QPoint at)
{
    if (!FMouse.Dragging) {
        if (std::abs(at.x() - FMouse.DownPoint.x()) < kDragThreshold &&
            std::abs(at.y() - FMouse.DownPoint.y()) < kDragThreshold)
            return;
        FMouse.Dragging = true;
        showOutline(QRect(mapToGlobal(QPoint(0, 0)), size()));
        setCursor(CursorOf(crDragHand));
    }
    const TAlign edge = edgeAt(mapTo(parentWidget(), at));
    bool apply = true;
    if (OnApplyAlign)
        OnApplyAlign(this, edge, apply);
    if (!apply)
        return;
    FMouse.Accepted = edge;
    const QRect outline = dockOutline(edge);
    if (outline != FMouse.Outline)
        showOutline(outline);
}

void TSpeedBar::dropBar(QPoint at)
{
    showOutline(QRect());
    unsetCursor();
    TAlign edge = edgeAt(mapTo(parentWidget(), at));
    bool apply = true;
    if (OnApplyAlign)
        OnApplyAlign(this, edge, apply);
    if (!apply)
        edge = FMouse.Accepted;
    {
        // The parent paints once, with the bar on its new edge.
        QWidget* parent = parentWidget();
        const bool painting = parent->updatesEnabled();
        parent->setUpdatesEnabled(false);
        TScopeGuard resume([parent, painting] { parent->setUpdatesEnabled(painting); });
        SetAlign(edge);
    }
    if (OnPosChanged)
        OnPosChanged(this);
}

void TSpeedBar::resizeBar(QPoint at)
{
    const QWidget* parent = parentWidget();
    if (!parent->rect().contains(mapTo(parent, at)))
        return;
    const QRect client = parent->contentsRect();
    const TSpeedbarMetrics metrics{FBtnWidth, FBtnHeight, FOffsetX, FOffsetY};
    const auto edge = static_cast<TSpeedbarEdge>(FAlign);
    if (FAlign == alTop || FAlign == alBottom)
        SetBarSize(FBarSize.width(), SpeedbarResizedThickness(edge, at.x(), at.y(), width(), height(), metrics, client.height()));
    else
        SetBarSize(SpeedbarResizedThickness(edge, at.x(), at.y(), width(), height(), metrics, client.width()), FBarSize.height());
}

void TSpeedBar::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    CallHandler(this, [&] {
        if (FMouse.DraggedButton)
            FMouse.DraggedButton->DragMove(event->globalPosition().toPoint());
        else if (FMouse.Resizing)
            resizeBar(at);
        else if (FMouse.Pressed && parentWidget())
            moveBar(at);
        else if (onSizingEdge(at))
            setCursor(FAlign == alTop || FAlign == alBottom ? Qt::SizeVerCursor : Qt::SizeHorCursor);
        else
            unsetCursor();
    });
}

void TSpeedBar::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    releaseMouse();
    const QPoint at = event->position().toPoint();
    const bool dragging = FMouse.Dragging;
    QPointer<TSpeedbarButton> button = FMouse.DraggedButton;
    FMouse.Pressed = FMouse.Dragging = FMouse.Resizing = false;
    FMouse.DraggedButton = nullptr;
    CallHandler(this, [&] {
        if (button)
            button->EndDrag(event->globalPosition().toPoint());
        else if (dragging && parentWidget())
            dropBar(at);
        else
            unsetCursor();
    });
}
