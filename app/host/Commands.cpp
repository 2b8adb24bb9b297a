// TCommandTable: the actions of the window's commands and the controls that mirror them.
#include "app/host/Commands.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include "components/KrCtrls.h"
#include "platform/Win1252Qt.h"
#include "toolbars/SpeedBar.h"
#include "toolbars/TBarCtls.h"

namespace {

void mirror(QAction* action, QObject* control)
{
    // A speed bar item is on the bar by the user's arrangement: the command only enables it, and it
    // keeps its own two-part hint.
    if (auto* speedItem = qobject_cast<TSpeedItem*>(control)) {
        speedItem->SetEnabled(action->isEnabled());
        return;
    }
    if (auto* item = qobject_cast<QAction*>(control)) {
        item->setEnabled(action->isEnabled());
        item->setVisible(action->isVisible());
        if (item->isCheckable())
            item->setChecked(action->isChecked());
        return;
    }
    auto* widget = qobject_cast<QWidget*>(control);
    if (!widget)
        return;
    // A hidden action reads as disabled; the control keeps its own state until it shows again.
    if (action->isVisible())
        widget->setEnabled(action->isEnabled());
    // Shown only while its parent is: hiding the parent must not show the control later.
    widget->setVisible(action->isVisible());
    // A command without a hint of its own leaves the control's.
    const QString tip = action->statusTip();
    if (auto* speed = dynamic_cast<TKrSpeedButton*>(widget)) {
        if (action->isCheckable())
            speed->SetDown(action->isChecked());
        const std::string hint = ToEditorText(tip);
        if (!tip.isEmpty() && speed->Hint() != hint)
            speed->SetHint(hint);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (button->isCheckable())
            button->setChecked(action->isChecked());
        if (!tip.isEmpty()) {
            button->setToolTip(tip);
            button->setStatusTip(tip);
        }
    }
}

} // namespace

TCommandTable::TCommandTable(QObject* owner)
{
    const auto rows = CommandRows();
    FCommands.reserve(rows.size());
    for (const TCommandRow& row : rows) {
        auto* action = new QAction(owner);
        action->setObjectName(QLatin1String(row.Name)); // Not editor text: a command's name
        if (row.Caption)
            action->setText(LoadResQString(row.Caption));
        if (row.Hint)
            action->setStatusTip(LoadResQString(row.Hint));
        if (*row.Keys)
            action->setShortcut(QKeySequence(QLatin1String(row.Keys), QKeySequence::PortableText)); // Not editor text: key names
        action->setCheckable(row.Checkable);
        FCommands.push_back({&row, action});
    }
}

size_t TCommandTable::indexOf(std::string_view name) const
{
    for (size_t i = 0; i < FCommands.size(); ++i)
        if (name == FCommands[i].Row->Name)
            return i;
    throw ECommandUnknown(name);
}

QAction* TCommandTable::Action(std::string_view name) const
{
    return FCommands[indexOf(name)].Action;
}

std::string_view TCommandTable::Name(const QAction* action) const
{
    for (const TCommand& c : FCommands)
        if (c.Action == action)
            return c.Row->Name;
    return {};
}

void TCommandTable::Bind(QObject* control, std::string_view name)
{
    TCommand& c = FCommands[indexOf(name)];
    c.Bound = true;
    QAction* action = c.Action;
    mirror(action, control);
    QObject::connect(action, &QAction::changed, control, [action, control] { mirror(action, control); });
    QObject::connect(action, &QAction::toggled, control, [action, control] { mirror(action, control); });
    if (auto* speedItem = qobject_cast<TSpeedItem*>(control)) {
        QPointer<QAction> target(action);
        speedItem->SetOnClick([target](TKrSpeedButton*) {
            if (target)
                target->trigger();
        });
    } else if (auto* speed = dynamic_cast<TKrSpeedButton*>(control)) {
        QPointer<QAction> target(action);
        speed->OnClick = [target](TKrSpeedButton*) {
            if (target)
                target->trigger();
        };
    } else if (auto* flat = dynamic_cast<TToolbarButtonKt*>(control)) {
        QPointer<QAction> target(action);
        flat->OnClick = [target](TToolbarButtonKt*) {
            if (target)
                target->trigger();
        };
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        QObject::connect(button, &QAbstractButton::clicked, action, [action] { action->trigger(); });
    } else if (auto* item = qobject_cast<QAction*>(control)) {
        // A pop-up item runs the command; a menu's own action opens its menu and runs nothing.
        if (!item->menu())
            QObject::connect(item, &QAction::triggered, action, [action] { action->trigger(); });
    }
}

bool TCommandTable::Apply(const TEditorState& state)
{
    const int open = state.DocumentOpen ? 1 : 0;
    const bool switched = open != FOpen;
    if (switched) {
        FOpen = open;
        for (const TCommand& c : FCommands) {
            switch (c.Row->Open) {
            case TOpenRule::None: break;
            case TOpenRule::Enable: c.Action->setEnabled(state.DocumentOpen); break;
            case TOpenRule::AlwaysEnabled: c.Action->setEnabled(true); break;
            case TOpenRule::Show: c.Action->setVisible(state.DocumentOpen); break;
            case TOpenRule::AlwaysShown: c.Action->setVisible(true); break;
            }
        }
    }
    if (!state.DocumentOpen)
        return switched;
    for (const TCommand& c : FCommands) {
        if (c.Row->Enable != TRule::None)
            c.Action->setEnabled(Enabled(c.Row->Enable, state));
        if (c.Row->Check != TRule::None)
            c.Action->setChecked(Enabled(c.Row->Check, state));
    }
    return switched;
}

void TCommandTable::ApplyMenu(std::string_view menu, const TEditorState& state)
{
    for (const TCommand& c : FCommands) {
        if (!c.Row->Menu || menu != c.Row->Menu || !Enabled(c.Row->MenuWhen, state))
            continue;
        if (c.Row->MenuEnable != TRule::None)
            c.Action->setEnabled(Enabled(c.Row->MenuEnable, state));
        if (c.Row->MenuCheck != TRule::None)
            c.Action->setChecked(Enabled(c.Row->MenuCheck, state));
    }
}

bool TCommandTable::Watched(TRule rule) const
{
    for (const TCommand& c : FCommands)
        if (c.Bound && c.Row->Enable == rule)
            return true;
    return false;
}
