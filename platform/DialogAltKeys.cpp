// Alt strokes in dialogs lose their text on the way to the focused control.
#include "platform/DialogAltKeys.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>

#include "platform/Keys.h"

TDialogAltKeys::TDialogAltKeys()
{
    qApp->installEventFilter(this);
}

TDialogAltKeys::~TDialogAltKeys()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool TDialogAltKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->text().isEmpty() || !IsAltCommand(ShiftStateOf(key)))
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || !qobject_cast<QDialog*>(widget->window()))
        return false;
    // Accelerators were tried before the key was delivered. The same key without its text goes to the
    // control instead and climbs to its parents by itself; the original stops here, or each parent
    // would get it a second time.
    QKeyEvent silent(key->type(), key->key(), key->modifiers(), key->nativeScanCode(), key->nativeVirtualKey(),
                     key->nativeModifiers(), QString(), key->isAutoRepeat(), key->count(), key->device());
    silent.setTimestamp(key->timestamp());
    QApplication::sendEvent(widget, &silent);
    key->accept();
    return true;
}
