// Qt's side of the editor control: its events come in here, and only here, as messages or handler calls.
#include <QApplication>
#include <QDateTime>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <cmath>

#include "editor/CodeMemo.h"
#include "editor/CodeMemoStrings.h"
#include "editor/CodeMemoUndo.h"
#include "platform/Keys.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"

namespace {

// Lines scrolled by one notch of the mouse wheel.
constexpr int kWheelLines = 3;
// Width of the frame a single border draws around the client area.
constexpr int kBorderWidth = 1;

bool mouseButtonOf(Qt::MouseButton qtButton, TMouseButton& button)
{
    switch (qtButton) {
    case Qt::LeftButton: button = mbLeft; return true;
    case Qt::RightButton: button = mbRight; return true;
    case Qt::MiddleButton: button = mbMiddle; return true;
    default: return false;
    }
}

} // namespace

// ---------------------------------------------------------------- client area and scroll bars

QRect TCustomCodeMemo::clientRect() const
{
    int border = FBorderStyle == bsSingle ? kBorderWidth : 0;
    QRect area = rect().adjusted(border, border, -border, -border);
    if (FVertBar->isVisibleTo(this))
        area.setRight(area.right() - FVertBar->sizeHint().width());
    if (FHorzBar->isVisibleTo(this))
        area.setBottom(area.bottom() - FHorzBar->sizeHint().height());
    if (area.width() < 0)
        area.setWidth(0);
    if (area.height() < 0)
        area.setHeight(0);
    return area;
}

void TCustomCodeMemo::applyScrollBarStyle()
{
    FHorzBar->setVisible(FScrollBars == ssHorizontal || FScrollBars == ssBoth);
    FVertBar->setVisible(FScrollBars == ssVertical || FScrollBars == ssBoth);
}

void TCustomCodeMemo::clientAreaChanged()
{
    QRect area = clientRect();
    int border = FBorderStyle == bsSingle ? kBorderWidth : 0;
    if (FVertBar->isVisibleTo(this))
        FVertBar->setGeometry(area.right() + 1, border, FVertBar->sizeHint().width(), area.height());
    if (FHorzBar->isVisibleTo(this))
        FHorzBar->setGeometry(border, area.bottom() + 1, area.width(), FHorzBar->sizeHint().height());
    Perform(WM_SIZE, 0, MakeLong(area.width(), area.height()));
    Paint();
}

// ---------------------------------------------------------------- hooks of the editing core

void TCustomCodeMemo::setRedraw(bool on)
{
    Perform(WM_SETREDRAW, on ? 1 : 0, 0);
}

void TCustomCodeMemo::beginLinesUpdate()
{
    FLines->BeginUpdate();
}

void TCustomCodeMemo::endLinesUpdate()
{
    FLines->EndUpdate();
}

// ---------------------------------------------------------------- focus

void TCustomCodeMemo::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
    Paint();
}

void TCustomCodeMemo::DoExit()
{
    if (OnExit)
        OnExit(this);
    Paint();
}

bool TCustomCodeMemo::focusNextPrevChild(bool next)
{
    if (Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB)
        return false;
    return QWidget::focusNextPrevChild(next);
}

// ---------------------------------------------------------------- events

void TCustomCodeMemo::handleEventError()
{
    // Qt's event dispatch must not see an exception; the user is told here instead.
    FUndo->EditFailed({});
    ShowException(this);
}

bool TCustomCodeMemo::event(QEvent* e)
{
    if (FDestroying)
        return QWidget::event(e);
    try {
        // A keystroke may move the view, the caret and the text through several handlers that each
        // paint; the user sees only the end, so it is painted once.
        const QEvent::Type type = e->type();
        TScopeGuard paints = type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::InputMethod ||
                                     type == QEvent::Wheel
                                 ? paintBatchScope()
                                 : TScopeGuard();
        switch (type) {
        case QEvent::Show: handleShowEvent(); break;
        case QEvent::Hide:
            // A hidden control (the main window with no document open) keeps no window-sized
            // picture; the next paint makes it again and draws it whole.
            FBackBuffer = QImage();
            FBufferStale = true;
            break;
        case QEvent::Resize: clientAreaChanged(); return true;
        case QEvent::Paint: handlePaintEvent(); return true;
        case QEvent::FocusIn: handleFocusEvent(true); return true;
        case QEvent::FocusOut: handleFocusEvent(false); return true;
        case QEvent::FontChange: handleFontChangeEvent(); break;
        case QEvent::EnabledChange: Perform(CM_ENABLEDCHANGED, 0, 0); break;
        case QEvent::KeyPress:
            if (handleKeyPressEvent(static_cast<QKeyEvent*>(e)))
                return true;
            break;
        case QEvent::KeyRelease: handleKeyReleaseEvent(static_cast<QKeyEvent*>(e)); return true;
        case QEvent::InputMethod: handleInputMethodEvent(static_cast<QInputMethodEvent*>(e)); return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove:
        case QEvent::MouseButtonDblClick: handleMouseEvent(static_cast<QMouseEvent*>(e)); return true;
        case QEvent::Wheel: handleWheelEvent(static_cast<QWheelEvent*>(e)); return true;
        case QEvent::DragEnter:
        case QEvent::DragMove: handleDragEvent(static_cast<QDragMoveEvent*>(e)); return true;
        case QEvent::DragLeave: DropTargetLeave(); return true;
        case QEvent::Drop: handleDropEvent(static_cast<QDropEvent*>(e)); return true;
        default: break;
        }
    } catch (...) {
        handleEventError();
        return true;
    }
    return QWidget::event(e);
}

void TCustomCodeMemo::handleShowEvent()
{
    if (!FWindowCreated) {
        FWindowCreated = true;
        UpdateMetrics();
    }
    applyScrollBarStyle();
    clientAreaChanged();
}

void TCustomCodeMemo::handlePaintEvent()
{
    QRect area = clientRect();
    if (FBufferStale || FBackBuffer.size() != area.size()) {
        bool inPaint = FInQtPaint;
        FInQtPaint = true;
        Perform(WM_PAINT, 0, 0);
        FInQtPaint = inPaint;
    }
    QPainter painter(this);
    if (FBorderStyle == bsSingle) {
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (FVertBar->isVisible() && FHorzBar->isVisible())
        painter.fillRect(area.right() + 1, area.bottom() + 1, FVertBar->width(), FHorzBar->height(),
                         palette().color(QPalette::Window));
    if (FBackBuffer.isNull())
        painter.fillRect(area, palette().color(QPalette::Base));
    else
        painter.drawImage(area.topLeft(), FBackBuffer);
    if (FMouse.MarginLineX >= 0) {
        // The margin line being dragged shows inverted over whatever lies beneath.
        painter.setClipRect(area);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(area.left() + FMouse.MarginLineX, area.top(), 1, area.height(), Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    const QRect dropCaret = DropCaretRect();
    if (!dropCaret.isEmpty()) {
        // Where a drop would land, inverted like the caret but steady.
        painter.setClipRect(area);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(dropCaret.translated(area.topLeft()), Qt::white);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (FCaretCreated && FCaretBlinkOn) {
        painter.setClipRect(area);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(FCaretRect.translated(area.topLeft()), Qt::white);
    }
}

void TCustomCodeMemo::handleFocusEvent(bool in)
{
    if (in) {
        Perform(WM_SETFOCUS, 0, 0);
        DoEnter();
    } else {
        Perform(WM_KILLFOCUS, 0, 0);
        DoExit();
    }
}

void TCustomCodeMemo::handleFontChangeEvent()
{
    // A font set from outside the control describes itself by its installed face.
    if (!FFontDescribed) {
        FFontName = ToEditorText(font().family());
        FFontSize = font().pointSize() > 0
                        ? font().pointSize()
                        : static_cast<int>(std::lround(font().pixelSize() * 72.0 / ScreenPixelsPerInch()));
    }
    Perform(CM_FONTCHANGED, 0, 0);
}

bool TCustomCodeMemo::handleKeyPressEvent(QKeyEvent* key)
{
    // Tab and Enter the control does not want go on to the focus chain and the dialog.
    if (!WantTab && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab))
        return false;
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!WantReturns && enter && !(key->modifiers() & Qt::ControlModifier))
        return false;
    int vk = 0;
    TShiftState shift = 0;
    if (KeyEventToVirtualKey(key, vk, shift)) {
        uint16_t code = static_cast<uint16_t>(vk);
        KeyDown(code, shift);
        if (code == 0) {
            // The key was taken: it types nothing, and no character is left to follow it.
            FKeys.KeyHandled = false;
            return true;
        }
    }
    // What no command took of an Alt stroke is left to the window, and types nothing; so is Ctrl+Tab
    // (Ctrl+Shift+Tab), which moves between the window's pages.
    if (IsAltCommand(shift))
        return false;
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) && (key->modifiers() & Qt::ControlModifier))
        return false;
    // Ctrl+Enter types a line feed, whatever text the platform gives it.
    typeCharacters(enter && (shift & ssCtrl) ? QString(QChar('\n')) : KeyEventText(key));
    return true;
}

void TCustomCodeMemo::typeCharacters(const QString& text)
{
    for (char32_t ch : text.toUcs4()) {
        char typed;
        if (CharToWin1252(ch, typed)) {
            KeyPress(typed);
        } else if (!FReadOnly) {
            // A character the text cannot hold goes in held, so that saving writes the character.
            inUndoGroup(ugTyping, [&] { SetSelText(HeldCharacter(ch)); });
        }
    }
}

void TCustomCodeMemo::handleKeyReleaseEvent(QKeyEvent* key)
{
    int vk = 0;
    TShiftState shift = 0;
    if (KeyEventToVirtualKey(key, vk, shift)) {
        uint16_t code = static_cast<uint16_t>(vk);
        KeyUp(code, shift);
    }
}

void TCustomCodeMemo::handleInputMethodEvent(QInputMethodEvent* input)
{
    typeCharacters(input->commitString());
}

void TCustomCodeMemo::handleMouseEvent(QMouseEvent* mouse)
{
    const QPoint at = mouse->position().toPoint() - clientRect().topLeft();
    const TShiftState shift = ShiftStateOf(mouse);
    if (mouse->type() == QEvent::MouseMove) {
        MouseMove(shift, at.x(), at.y());
        return;
    }
    TMouseButton button = mbLeft;
    if (!mouseButtonOf(mouse->button(), button))
        return;
    if (mouse->type() == QEvent::MouseButtonPress) {
        MouseDown(button, shift, at.x(), at.y());
    } else if (mouse->type() == QEvent::MouseButtonRelease) {
        MouseUp(button, shift, at.x(), at.y());
        if (button == mbLeft && clientRect().contains(mouse->position().toPoint()) && OnClick)
            OnClick(this);
    } else {
        // The second click of a double click goes down like any other, then selects its word.
        MouseDown(button, shift | ssDouble, at.x(), at.y());
        if (button == mbLeft) {
            Perform(WM_LBUTTONDBLCLK, 0, MakeLong(at.x(), at.y()));
            if (OnDblClick)
                OnDblClick(this);
        }
    }
}

void TCustomCodeMemo::handleWheelEvent(QWheelEvent* wheel)
{
    const int notches = wheel->angleDelta().y() / 120;
    for (int i = 0; i < std::abs(notches) * kWheelLines; ++i)
        Perform(WM_VSCROLL, notches > 0 ? SB_LINEUP : SB_LINEDOWN, 0);
}

void TCustomCodeMemo::handleDragEvent(QDragMoveEvent* drag)
{
    const bool accepted = drag->type() == QEvent::DragEnter ? DropTargetEnter(static_cast<QDragEnterEvent*>(drag))
                                                            : DropTargetOver(drag);
    if (!accepted)
        drag->ignore();
}

void TCustomCodeMemo::handleDropEvent(QDropEvent* drop)
{
    if (!DropTargetDrop(drop))
        drop->ignore();
}
