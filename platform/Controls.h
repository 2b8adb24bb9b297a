// Controls that take the class library's messages, a parent's broadcast of one to its children, and the edit messages for Qt's own edits.
#pragma once

#include <string_view>

#include "platform/core/Messages.h"

class QMouseEvent;
class QWidget;

// A control that answers messages besides Qt's events (private messages among controls of a kind).
class TMessageTarget {
public:
    virtual ~TMessageTarget() = default;
    virtual LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam) = 0;
};

// Sends the message to each direct child of `parent` that takes messages, in creation order, until
// one answers with a non-zero result, which is left in `message`.
void Broadcast(QWidget* parent, TMessage& message);

// The edit messages EM_UNDO, WM_COPY, WM_CUT, WM_PASTE and EM_SETSEL (0, -1: select all) for any
// control: a control that takes messages gets the message itself, Qt's line, text and plain-text edits
// (also those inside a spin box or an editable combo box) do the matching command. Any other message
// or control: nothing, 0.
LRESULT PerformEditMessage(QWidget* control, UINT msg, WPARAM wParam, LPARAM lParam);

// The mouse keys (MK_ flags) of a mouse event: its buttons held and its Shift and Ctrl.
WPARAM MouseKeysOf(const QMouseEvent* event);

// The event a widget gets when it is about to be destroyed while its children still exist (what an
// application-wide watcher sees); a widget freed by deleteLater announces it by its deferred delete.
int PreDestroyEventType();
// Tells the watchers that `widget` is about to be destroyed, then frees it with its children.
void DestroyWidget(QWidget* widget);

// Places a top-level window centred on its screen (the primary one while it has none), whatever
// window opened it.
void CenterOnScreen(QWidget* window);

// Gives back the window shortcut `id` a control held (0: none) and grabs the accelerator of its
// Windows-1252 caption ("&Abrir" gives Alt+A); answers the new shortcut's id, 0 when the caption has none.
int GrabAccelerator(QWidget* control, int id, std::string_view caption);
