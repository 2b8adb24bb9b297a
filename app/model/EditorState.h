// The state of the editor and its documents that the window's commands follow, and the enabling rules over it as data.
#pragma once

#include <cstdint>

// What the rules read, taken once per change of the editor.
struct TEditorState {
    // At least one document is open (the tab strip has a tab).
    bool DocumentOpen = false;
    // The editor shows a document.
    bool DocumentShown = false;
    // The editor's selection is not empty.
    bool Selection = false;
    bool ReadOnly = false;
    bool CanUndo = false;
    bool CanRedo = false;
    // The clipboard holds something the editor can paste.
    bool CanPaste = false;
    // The editor's last search text is not empty.
    bool SearchText = false;
    // The current document has a file name.
    bool NamedDocument = false;
    // A project is open (the setting LastProyect is not empty).
    bool ProjectOpen = false;
    bool WordWrap = false;
    // The main editor is the window's active control.
    bool EditorFocused = false;
    // The auxiliary editor is the window's active control.
    bool AuxiliaryFocused = false;
    // The tool pages' panel and the side panel are shown.
    bool ToolBarShown = false;
    bool SidePanelShown = false;
};

// A rule that enables (or checks) a command. None leaves the command as it is.
enum class TRule : uint8_t {
    None,
    Always,
    DocumentOpen,
    DocumentShown,
    EditorFocused,
    Selection,
    // A selection in a writable text: what cutting and deleting need.
    SelectionWritable,
    // Something to paste into a writable text.
    Pasteable,
    CanUndo,
    CanRedo,
    SelectionOrSearch,
    NamedDocument,
    ProjectOpen,
    ReadOnly,
    WordWrap,
    ToolBarShown,
    SidePanelShown,
};

// Whether `rule` holds in `state`; None never holds.
bool Enabled(TRule rule, const TEditorState& state);
