// Controls that take the class library's messages, and a parent's broadcast of one to its children.
#pragma once

#include "platform/core/Messages.h"

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
