// TCommandTable: one action per row of the window's command table; controls bind to an action and follow it, and the editor's state is applied to every command after each change.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/model/CommandRows.h"
#include "app/model/EditorState.h"

class QAction;
class QObject;

// Asking for a command the table has no row for: a fault of the program, never of the user.
class ECommandUnknown : public std::logic_error {
public:
    explicit ECommandUnknown(std::string_view name)
        : std::logic_error("no command named \"" + std::string(name) + "\" in the command table") {}
};

class TCommandTable {
public:
    // Makes the actions of every row, owned by `owner`: caption, hint, keys and check mark from the row.
    explicit TCommandTable(QObject* owner);

    // The action of the command `name`; an unknown name raises ECommandUnknown.
    QAction* Action(std::string_view name) const;
    // Makes `control` mirror the command's action at once and from then on: enabled, shown, checked
    // and hint (a command without a hint leaves the control's); a click on the control triggers the
    // action. The control is a speed button, a flat toolbar button, a tool button, any widget (enabled
    // and shown only), a pop-up item, a menu's own action (which only follows), or a speed bar item
    // (enabled only).
    void Bind(QObject* control, std::string_view name);
    // Applies the rules of every command: those of the switch between no document and some when it
    // switched (or on the first call), and with a document open the rules that follow the editor.
    // True when the switch happened.
    bool Apply(const TEditorState& state);
    // Applies the rules of the commands of `menu` as it opens.
    void ApplyMenu(std::string_view menu, const TEditorState& state);
    // Whether a bound control follows a command whose change rule is `rule`: state that costs to find
    // out is needed only then.
    bool Watched(TRule rule) const;

    std::string_view Name(const QAction* action) const;

private:
    struct TCommand {
        const TCommandRow* Row;
        QAction* Action;
        bool Bound = false;
    };
    // The index of the command `name`; an unknown name raises ECommandUnknown.
    size_t indexOf(std::string_view name) const;
    std::vector<TCommand> FCommands;
    // -1 before the first Apply, else whether a document was open at the last one.
    int FOpen = -1;
};
