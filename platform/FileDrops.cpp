// Files dropped from the desktop, taken from the drop's list of addresses.
#include "platform/FileDrops.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>

void AcceptFileDrag(QDragMoveEvent& event, bool accept)
{
    if (accept && event.mimeData()->hasUrls())
        event.acceptProposedAction();
    else
        event.ignore();
}

bool TakeFileDrop(QDropEvent& event, bool accept, TPoint& at, TStringList& files)
{
    if (!accept || !event.mimeData()->hasUrls()) {
        event.ignore();
        return false;
    }
    files.Clear();
    for (const QUrl& url : event.mimeData()->urls())
        if (url.isLocalFile())
            files.Add(QFile::encodeName(url.toLocalFile()).toStdString());
    event.acceptProposedAction();
    QPoint point = event.position().toPoint();
    at = TPoint{point.x(), point.y()};
    return true;
}
