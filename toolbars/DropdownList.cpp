// TDropdownList: the listed menus, the hint of the hovered item and F1 on an item.
#include "toolbars/DropdownList.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QStatusTipEvent>
#include <algorithm>
#include <memory>
#include <utility>

#include "platform/Help.h"
#include "platform/Menus.h"
#include "platform/core/HelpIndex.h"

namespace {

std::unique_ptr<TDropdownList>& routerStorage()
{
    static std::unique_ptr<TDropdownList> router;
    return router;
}

TDropdownList::THelpRunner& helpRunner()
{
    static TDropdownList::THelpRunner runner = [](QWidget* form, unsigned command, int context) {
        HelpCommand(form, command, {}, context);
    };
    return runner;
}

bool holds(const QMenu* menu, const QAction* item, int depth = 0)
{
    if (depth > 16)
        return false;
    for (const QAction* action : menu->actions()) {
        if (action == item)
            return true;
        if (const QMenu* sub = action->menu(); sub && sub != menu && holds(sub, item, depth + 1))
            return true;
    }
    return false;
}

// The application's hint: shown by the active window as a status tip.
void setApplicationHint(const QString& hint)
{
    if (QWidget* form = QApplication::activeWindow()) {
        QStatusTipEvent tip(hint);
        QApplication::sendEvent(form, &tip);
    }
}

} // namespace

TDropdownList* TDropdownList::Instance() { return routerStorage().get(); }

TDropdownList::THelpRunner TDropdownList::SetHelpRunner(THelpRunner runner)
{
    return std::exchange(helpRunner(), std::move(runner));
}

void TDropdownList::AddMenu(QMenu* menu)
{
    if (!menu)
        return;
    if (!routerStorage())
        routerStorage().reset(new TDropdownList);
    routerStorage()->add(menu);
}

void TDropdownList::RemoveMenu(QMenu* menu)
{
    if (TDropdownList* router = Instance())
        router->Notification(menu);
}

void TDropdownList::add(QMenu* menu)
{
    if (std::find(FMenus.begin(), FMenus.end(), menu) != FMenus.end())
        return;
    FMenus.push_back(menu);
    connect(menu, &QObject::destroyed, this, [menu] { RemoveMenu(menu); });
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { watchSubmenus(menu); });
    // A closed menu leaves no hint behind.
    connect(menu, &QMenu::aboutToHide, this, [this] { MenuSelect(nullptr); });
    watchSubmenus(menu);
}

void TDropdownList::watchSubmenus(QMenu* menu)
{
    menu->installEventFilter(this);
    connect(menu, &QMenu::hovered, this, &TDropdownList::itemHovered, Qt::UniqueConnection);
    for (QAction* action : menu->actions())
        if (QMenu* sub = action->menu(); sub && sub != menu)
            watchSubmenus(sub);
}

void TDropdownList::Notification(QObject* component)
{
    auto found = std::find(FMenus.begin(), FMenus.end(), component);
    if (found == FMenus.end())
        return;
    FMenus.erase(found);
    if (auto* menu = qobject_cast<QMenu*>(component))
        disconnect(menu, nullptr, this, nullptr);
    if (component)
        component->removeEventFilter(this);
    if (FMenus.empty())
        routerStorage().reset(); // deletes this: nothing may follow
}

QMenu* TDropdownList::MenuOfItem(const QAction* item) const
{
    if (!item)
        return nullptr;
    for (QMenu* menu : FMenus)
        if (holds(menu, item))
            return menu;
    return nullptr;
}

void TDropdownList::itemHovered(QAction* item) { MenuSelect(item); }

void TDropdownList::MenuSelect(const QAction* item)
{
    setApplicationHint(MenuOfItem(item) ? item->statusTip() : QString());
}

void TDropdownList::Help(QMenu* menu, const QAction* item)
{
    QWidget* form = QApplication::activeWindow();
    if (!form)
        return;
    int context = HelpContextOf(item);
    if (context == 0 && menu)
        context = HelpContextOf(menu->menuAction());
    const bool popup = form->windowFlags().testFlag(Qt::WindowContextHelpButtonHint);
    helpRunner()(form, popup ? HELP_CONTEXTPOPUP : HELP_CONTEXT, context);
}

bool TDropdownList::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        auto* menu = qobject_cast<QMenu*>(watched);
        if (menu && std::any_of(FMenus.begin(), FMenus.end(), [menu](QMenu* listed) { return holds(listed, menu->menuAction()) || listed == menu; })) {
            Help(menu, menu->activeAction());
            return true;
        }
    }
    return false;
}
