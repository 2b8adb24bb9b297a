// A parent's broadcast of a message to its children.
#include "platform/Controls.h"

#include <QPointer>
#include <QWidget>
#include <vector>

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
