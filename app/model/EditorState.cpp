// The enabling rules of the window's commands over the editor's state.
#include "app/model/EditorState.h"

bool Enabled(TRule rule, const TEditorState& s)
{
    switch (rule) {
    case TRule::None: return false;
    case TRule::Always: return true;
    case TRule::DocumentOpen: return s.DocumentOpen;
    case TRule::DocumentShown: return s.DocumentShown;
    case TRule::EditorFocused: return s.EditorFocused;
    case TRule::Selection: return s.Selection;
    case TRule::SelectionWritable: return s.Selection && !s.ReadOnly;
    case TRule::Pasteable: return s.CanPaste && !s.ReadOnly;
    case TRule::CanUndo: return s.CanUndo;
    case TRule::CanRedo: return s.CanRedo;
    case TRule::SelectionOrSearch: return s.Selection || s.SearchText;
    case TRule::NamedDocument: return s.NamedDocument;
    case TRule::ProjectOpen: return s.ProjectOpen;
    case TRule::ReadOnly: return s.ReadOnly;
    case TRule::WordWrap: return s.WordWrap;
    case TRule::ToolBarShown: return s.ToolBarShown;
    case TRule::SidePanelShown: return s.SidePanelShown;
    }
    return false;
}
