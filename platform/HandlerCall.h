// Calling a component's event handler from inside Qt's event dispatch, which must never see an exception.
#pragma once

#include <utility>

#include "platform/MessageBox.h"

// Runs a handler; an exception it raises is shown to the user instead of passing into Qt.
template <class Handler>
void CallHandler(QWidget* owner, Handler&& handler) noexcept
{
    try {
        std::forward<Handler>(handler)();
    } catch (...) {
        ShowException(owner);
    }
}
