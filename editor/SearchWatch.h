// Watches a long search on the window's thread: after a moment it shows the busy cursor and lets Escape stop it.
#pragma once

#include <QElapsedTimer>
#include <QObject>

// Searches run on the window's thread; one that runs longer than a moment asks this object now and
// then whether to go on. From then on the busy cursor shows, waiting events are handled, every key
// and mouse input but Escape is held back, and Escape stops the search. Begin and End nest: only the
// outermost pair watches.
class TSearchWatch : public QObject {
public:
    void Begin();
    void End();
    // True once Escape was pressed during the watched search.
    bool StopRequested();
    bool Stopped() const { return FStopped; }

    // How long a search runs before it is watched; tests make it 0, and then every poll handles the
    // waiting events.
    static void SetDelay(int milliseconds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showBusy();
    void hideBusy();

    int FDepth = 0;
    bool FBusy = false;
    bool FStopped = false;
    QElapsedTimer FTimer;
    // Events are handled at most this often: a poll costs a pass through the event queue.
    qint64 FLastEvents = 0;
};
