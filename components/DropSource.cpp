// The text drag source: the text's data for a drop target and the drag loop that carries it.
#include "components/DropSource.h"

#include <QDrag>
#include <QMimeData>
#include <QWidget>

#include "platform/ClipboardFormats.h"

std::unique_ptr<QMimeData> TDropTextSource::DataObject() const
{
    auto data = std::make_unique<QMimeData>();
    SetFormatData(*data, CF_TEXT, FText);
    return data;
}

Qt::DropAction TDropTextSource::DoDragDrop(QWidget* source, Qt::DropActions allowed)
{
    QDrag drag(source);
    drag.setMimeData(DataObject().release()); // the drag owns its data
    return ExecDrag(drag, allowed);
}

Qt::DropAction TDropTextSource::ExecDrag(QDrag& drag, Qt::DropActions allowed)
{
    // Without keys the target is asked to move, as with any drag of text between programs.
    return drag.exec(allowed, (allowed & Qt::MoveAction) ? Qt::MoveAction : Qt::CopyAction);
}
