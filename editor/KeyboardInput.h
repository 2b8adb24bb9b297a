// The editor control's keyboard state: the key-down a command took, Shift for extending, Home presses, insert or overwrite.
#pragma once

#include "editor/model/StateSet.h"

// Held by the control; the keyboard handling (KeyboardInput.cpp) keeps it, the commands read it and
// set the fields of the keys they stand for.
struct TKeyboardState {
    // Shift was held at the last key-down: the commands then extend the selection.
    bool ExtendSelection = false;
    // The last key-down was taken by a command or a template: its character is not typed.
    bool KeyHandled = false;
    // Home presses since the caret last did anything else: auto-indent then leaves a new line at
    // column 0.
    int HomeCount = 0;
    // Typing inserts; off, it overwrites the character under the caret (the Insert key switches).
    bool InsertMode = true;
    // The keys whose bindings Shift extends instead of being part of the stroke.
    TStateSet CommandKeys;
};
