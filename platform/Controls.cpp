// A parent's broadcast of a message to its children, and the edit messages for Qt's own edits.
#include "platform/Controls.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTextEdit>
#include <QWidget>
#include <vector>

#include "platform/Win1252Qt.h"

void Broadcast(QWidget* parent, TMessage& message)
{
    if (!parent)
        return;
    // A receiver may create or free controls; the list is taken first and freed ones are passed over.
    std::vector<QPointer<QWidget>> children;
    for (QObject* child : parent->children())
        if (auto* widget = qobject_cast<QWidget*>(child))
            children.emplace_back(widget);
    for (const QPointer<QWidget>& child : children) {
        auto* target = dynamic_cast<TMessageTarget*>(child.data());
        if (!target)
            continue;
        message.Result = target->Perform(message.Msg, message.WParam, message.LParam);
        if (message.Result != 0)
            return;
    }
}

namespace {

// Qt's edits share the five commands under the same names, without a common base class.
template <typename Edit>
LRESULT performOn(Edit* edit, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case EM_UNDO:
    case WM_UNDO: edit->undo(); return 1;
    case WM_COPY: edit->copy(); return 1;
    case WM_CUT: edit->cut(); return 1;
    case WM_PASTE: edit->paste(); return 1;
    case EM_SETSEL:
        if (wParam == 0 && lParam == -1) {
            edit->selectAll();
            return 1;
        }
        return 0;
    default: return 0;
    }
}

} // namespace

LRESULT PerformEditMessage(QWidget* control, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!control)
        return 0;
    if (auto* target = dynamic_cast<TMessageTarget*>(control))
        return target->Perform(msg, wParam, lParam);
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
        control = spin->findChild<QLineEdit*>();
    else if (auto* combo = qobject_cast<QComboBox*>(control))
        control = combo->lineEdit();
    if (auto* line = qobject_cast<QLineEdit*>(control))
        return performOn(line, msg, wParam, lParam);
    if (auto* text = qobject_cast<QTextEdit*>(control))
        return performOn(text, msg, wParam, lParam);
    if (auto* plain = qobject_cast<QPlainTextEdit*>(control))
        return performOn(plain, msg, wParam, lParam);
    return 0;
}

WPARAM MouseKeysOf(const QMouseEvent* event)
{
    WPARAM keys = 0;
    if (event->buttons() & Qt::LeftButton)
        keys |= MK_LBUTTON;
    if (event->buttons() & Qt::RightButton)
        keys |= MK_RBUTTON;
    if (event->buttons() & Qt::MiddleButton)
        keys |= MK_MBUTTON;
    if (event->modifiers() & Qt::ShiftModifier)
        keys |= MK_SHIFT;
    if (event->modifiers() & Qt::ControlModifier)
        keys |= MK_CONTROL;
    return keys;
}

int PreDestroyEventType()
{
    static const int type = QEvent::registerEventType();
    return type;
}

void DestroyWidget(QWidget* widget)
{
    if (!widget)
        return;
    QEvent announce(static_cast<QEvent::Type>(PreDestroyEventType()));
    QCoreApplication::sendEvent(widget, &announce);
    delete widget;
}

void CenterOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

int GrabAccelerator(QWidget* control, int id, std::string_view caption)
{
    if (id != 0)
        control->releaseShortcut(id);
    const QKeySequence key = QKeySequence::mnemonic(FromEditorText(caption));
    return key.isEmpty() ? 0 : control->grabShortcut(key);
}
