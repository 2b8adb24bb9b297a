// Calling a component's event handler from inside Qt's event dispatch, which must never see an exception.
#pragma once

#include <utility>

class QWidget;

// Tells the user about the exception being handled, as the message loop does for one nobody caught;
// call it only inside a catch block.
void ShowHandlerError(QWidget* owner);

// Runs a handler; an exception it raises is shown to the user instead of passing into Qt.
template <class Handler>
void CallHandler(QWidget* owner, Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        ShowHandlerError(owner);
    }
}
