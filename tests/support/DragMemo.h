// Test helper: drags and drops over the editor control as a window system delivers them, and an editor whose own drags drop onto itself.
#pragma once

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "editor/CodeMemo.h"
#include "editor/CodeMemoTestSupport.h"
#include "editor/model/EditorMessages.h"

// What a drag over the control at one offset answered at each step.
struct TDragAnswer {
    bool EnterAccepted = false;
    bool DropAccepted = false;
    Qt::DropAction Action = Qt::IgnoreAction; // what the drop answered; none when refused
};

// Client point of the character at `offset`, a pixel inside it.
inline QPoint pointOf(TCustomCodeMemo& memo, int offset)
{
    const TPoint at = memo.PointFromOffset(offset);
    return {at.X + 1, at.Y + 1};
}

// Enters the control, moves to `offset` and drops there, as a window system would.
inline TDragAnswer dragOnto(TCustomCodeMemo& memo, const QMimeData* data, int offset, Qt::DropActions allowed,
                            Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    TDragAnswer answer;
    const QPoint at = pointOf(memo, offset);
    QDragEnterEvent enter(at, allowed, data, Qt::LeftButton, keys);
    enter.setAccepted(false);
    QCoreApplication::sendEvent(&memo, &enter);
    answer.EnterAccepted = enter.isAccepted();
    QDragMoveEvent move(at, allowed, data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(&memo, &move);
    QDropEvent drop(QPointF(at), allowed, data, Qt::LeftButton, keys);
    QCoreApplication::sendEvent(&memo, &drop);
    answer.DropAccepted = drop.isAccepted();
    answer.Action = drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    return answer;
}

// Runs its own drags by delivering the drag's data onto itself at DropAt, with the keys of Keys.
class TDragMemo : public TCodeMemo {
public:
    TDragMemo()
    {
        SetBorderStyle(bsNone); // client and widget coordinates are the same
        resize(600, 200);
        show();
        QApplication::processEvents();
        SetOption(*this, smoOLEDragSource, true);
        FMouse.DoubleClickTime = -1; // every press a click of its own, however soon it follows
    }
    int DropAt = 0;
    Qt::KeyboardModifiers Keys = Qt::NoModifier;
    TDragAnswer Answer;

    // Presses inside the selection at `offset` and drags far enough to start a drag.
    void DragFrom(int offset)
    {
        Answer = {};
        const QPointF at = pointOf(*this, offset);
        const QPointF away = at + QPointF(0, 3 * LineHeight());
        QMouseEvent press(QEvent::MouseButtonPress, at, mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(this, &press);
        QMouseEvent move(QEvent::MouseMove, away, mapToGlobal(away), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(this, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, away, mapToGlobal(away), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(this, &release);
    }

protected:
    Qt::DropAction ExecDrag(QDrag& drag, Qt::DropActions allowed) override
    {
        Answer = dragOnto(*this, drag.mimeData(), DropAt, allowed, Keys);
        return Answer.Action;
    }
};
