// Helpers shared by the undo log's tests: a log that counts what is pushed into it, and an editor's state.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "editor/model/Undo.h"

// The log, counting its pushes so that a test can tell whether a command logged anything even when
// trimming keeps the size unchanged.
class CountingLog : public TUndoStack {
public:
    void Push(void* data, size_t size) override
    {
        TUndoStack::Push(data, size);
        ++Pushes;
    }
    size_t Pushes = 0;
};

// An editor's text with its selection {anchor, caret}, as undo and redo must restore them.
struct TextState {
    std::string Text;
    int Anchor;
    int Caret;
    bool operator==(const TextState&) const = default;
    friend void PrintTo(const TextState& state, std::ostream* os)
    {
        *os << '"' << state.Text << "\" {" << state.Anchor << ", " << state.Caret << '}';
    }
};
