// TPopupMenu: a pop-up menu that knows how it aligns to the point it is shown at and who showed it.
#pragma once

#include <QMenu>

// How the menu stands to the point it pops up at: its left edge, its right edge or its middle there.
enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public QMenu {
public:
    explicit TPopupMenu(QWidget* parent = nullptr) : QMenu(parent) {}

    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment value) { FAlignment = value; }
    // Whether a control that owns the menu pops it up by itself (a right click, a drop-down press).
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool value) { FAutoPopup = value; }
    // The control the menu was last shown for; a handler of its items may ask.
    QObject* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(QObject* value) { FPopupComponent = value; }

    // Shows the menu at the screen point with its alignment and returns when it closes.
    void Popup(int x, int y);

private:
    TPopupAlignment FAlignment = paLeft;
    bool FAutoPopup = true;
    QObject* FPopupComponent = nullptr;
};

// The help context of a menu item: 0 when it has none.
int HelpContextOf(const QAction* item);
void SetHelpContext(QAction* item, int context);
