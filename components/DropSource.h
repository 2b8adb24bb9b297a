// DropSource: TDropTextSource, a piece of plain text that the user drags out of the program's windows onto any drop target.
#pragma once

#include <Qt>
#include <memory>
#include <string>

class QDrag;
class QMimeData;
class QWidget;

// One drag: the text is offered in one format only, plain text (CF_TEXT), whatever the target asks.
class TDropTextSource {
public:
    TDropTextSource() = default;
    explicit TDropTextSource(std::string text) : FText(std::move(text)) {}
    virtual ~TDropTextSource() = default;

    // The text to offer, in Windows-1252 as the editor holds it.
    const std::string& Text() const { return FText; }
    void SetText(std::string value) { FText = std::move(value); }

    // What a drop target is given: the text as text/plain and nothing else.
    std::unique_ptr<QMimeData> DataObject() const;
    // Drags the text from `source` until the buttons are released over a target (a drop) or Esc is
    // pressed (no drop); the effect the target chose, Qt::IgnoreAction when nothing was dropped.
    Qt::DropAction DoDragDrop(QWidget* source, Qt::DropActions allowed = Qt::CopyAction | Qt::MoveAction);

protected:
    // The drag loop itself.
    virtual Qt::DropAction ExecDrag(QDrag& drag, Qt::DropActions allowed);

private:
    std::string FText;
};
