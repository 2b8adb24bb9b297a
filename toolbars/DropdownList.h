// TDropdownList: the router of the popup menus dropped down from toolbar buttons (hints and help of their items).
#pragma once

#include <QObject>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QWidget;

// Routes what happens in the popup menus dropped down from toolbar buttons: the hovered item's hint
// goes to the application's hint (the active window's status tip), and F1 on an item opens its help
// context. Commands and the filling of submenus reach the items and menus themselves. The router
// exists exactly while a menu is listed; a menu leaves the list when it is destroyed.
class TDropdownList : public QObject {
    Q_OBJECT

public:
    // Runs a help request (HELP_CONTEXT or HELP_CONTEXTPOPUP) for a context over the active form.
    using THelpRunner = std::function<void(QWidget* form, unsigned command, int context)>;

    // Lists the menu, making the router when there is none.
    static void AddMenu(QMenu* menu);
    // Takes the menu out of the list; the router goes with the last one.
    static void RemoveMenu(QMenu* menu);
    // The router, or nullptr while no menu is listed.
    static TDropdownList* Instance();
    // Replaces the help requests (the application's help file by default); returns the one before.
    static THelpRunner SetHelpRunner(THelpRunner runner);

    const std::vector<QMenu*>& Menus() const { return FMenus; }
    // The listed menu whose items (its own or its submenus') hold `item`, or nullptr.
    QMenu* MenuOfItem(const QAction* item) const;
    // The hint for the hovered item: its status tip when a listed menu holds it, else cleared.
    void MenuSelect(const QAction* item);
    // F1 on an item: its help context, else that of the item that opened its menu, else 0.
    void Help(QMenu* menu, const QAction* item);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDropdownList() = default;
    void itemHovered(QAction* item);
    void add(QMenu* menu);
    void watchSubmenus(QMenu* menu);
    void Notification(QObject* component);

    std::vector<QMenu*> FMenus;
};
