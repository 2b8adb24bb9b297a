// Files dropped from the desktop, taken from the drop's list of addresses.
#include "platform/FileDrops.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

#include "platform/FileNameQt.h"

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
    for (const std::string& file : DroppedFilePaths(event.mimeData()))
        files.Add(file);
    event.acceptProposedAction();
    QPoint point = event.position().toPoint();
    at = TPoint{point.x(), point.y()};
    return true;
}
