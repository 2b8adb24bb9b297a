// TBarCtls: the flat edit that matches the flat toolbar buttons, and the router of the popup menus dropped down from toolbar buttons.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <functional>
#include <vector>

#include "platform/core/Graphics.h"

class QAction;
class QMenu;
class QPainter;

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

// A single-line edit that draws its own 3-pixel frame: flat while idle, sunken while hot (focused, or
// under the pointer while the focused control is no flat edit).
class TEditKt : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int kFrame = 3;

    explicit TEditKt(QWidget* parent = nullptr);

    // After the form's controls are made: the height fits the font.
    void Loaded();
    // The font's text height plus 6 becomes the height.
    void NewAdjustHeight();
    // Whether the frame is drawn sunken now.
    bool Hot() const;
    bool MouseInControl() const { return FMouseInControl; }
    // clWindow while enabled, clBtnFace while disabled.
    TColor Color() const { return FColor; }

    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase value);
    // 0: no limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int value);
    // '\0': the text is shown; any other: each character is hidden.
    char PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void SetColor(TColor value);
    void RedrawBorder(QPainter& painter);
    void applyCharCase();
    void applyHideSelection();

    bool FMouseInControl = false;
    bool FLoaded = false;
    TColor FColor = clWindow;
    TEditCharCase FCharCase = ecNormal;
    int FMaxLength = 0;
    char FPasswordChar = '\0';
    bool FHideSelection = true;
};

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
