// The watch over a long search: busy cursor, events handled now and then, Escape to stop.
#include "editor/SearchWatch.h"

#include <QApplication>
#include <QKeyEvent>

#include "platform/Cursors.h"

namespace {

// A search shorter than this never shows the busy cursor.
int gDelay = 300;
// Between two passes through the event queue while the search runs.
constexpr qint64 kEventsEvery = 50;

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Drop:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

} // namespace

void TSearchWatch::SetDelay(int milliseconds)
{
    gDelay = milliseconds;
}

void TSearchWatch::Begin()
{
    if (FDepth++ > 0)
        return;
    FStopped = false;
    FLastEvents = -kEventsEvery;
    FTimer.start();
}

void TSearchWatch::End()
{
    if (FDepth == 0 || --FDepth > 0)
        return;
    hideBusy();
}

bool TSearchWatch::StopRequested()
{
    if (FDepth == 0)
        return false;
    if (FStopped)
        return true;
    const qint64 now = FTimer.elapsed();
    if (now < gDelay)
        return false;
    showBusy();
    // Without a delay (in tests) every poll handles the waiting events.
    if (gDelay == 0 || now - FLastEvents >= kEventsEvery) {
        FLastEvents = now;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    return FStopped;
}

void TSearchWatch::showBusy()
{
    if (FBusy)
        return;
    FBusy = true;
    QApplication::setOverrideCursor(CursorOf(crHourGlass));
    qApp->installEventFilter(this);
}

void TSearchWatch::hideBusy()
{
    if (!FBusy)
        return;
    FBusy = false;
    qApp->removeEventFilter(this);
    QApplication::restoreOverrideCursor();
}

bool TSearchWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (!isUserInput(event->type()))
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        FStopped = true;
    // The text must not change under the search, nor the window close: input waits for its end.
    event->ignore();
    return true;
}
