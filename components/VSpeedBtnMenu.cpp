// The speed button with a menu: the menu is rebuilt at every press so that the owner can change the
// choices right up to the moment they are shown.
#include "components/VSpeedBtnMenu.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPointer>

#include "platform/HandlerCall.h"
#include "platform/Win1252Qt.h"

TVSpeedBtnMenu::TVSpeedBtnMenu(QWidget* parent) : TSpeedButton(parent)
{
    SetFlat(true);
}

TVSpeedBtnMenu::~TVSpeedBtnMenu() = default;

void TVSpeedBtnMenu::mousePressEvent(QMouseEvent* event)
{
    // A handler may delete the button while the menu runs its own event loop.
    QPointer<TVSpeedBtnMenu> alive(this);
    FPopup.reset();
    if (BeforeShow)
        CallHandler(this, [this] { BeforeShow(this); });
    if (!alive)
        return;
    bool menuShown = false;
    if (FItems.Count() > 0) {
        FPopup = std::make_unique<QMenu>(this);
        // Hints are paired with items by position, which only means something when the counts agree.
        bool withHints = FHints.Count() == FItems.Count();
        for (int i = 0; i < FItems.Count(); ++i) {
            // A line of just "-" is a dividing line, which can't be chosen; it still takes its index.
            if (FItems[i] == "-") {
                FPopup->addSeparator();
                continue;
            }
            QAction* item = FPopup->addAction(FromEditorText(FItems[i]));
            if (withHints)
                item->setStatusTip(FromEditorText(FHints[i]));
            connect(item, &QAction::triggered, this, [this, i] { itemClicked(i); });
        }
        // The menu hangs below the button, its left edge one pixel left of the button's.
        FPopup->exec(mapToGlobal(QPoint(0, height())) - QPoint(1, 0));
        if (!alive)
            return;
        menuShown = true;
    }
    TSpeedButton::mousePressEvent(event);
    // The menu took the release that would have raised the button again.
    if (menuShown)
        setDown(false);
}

void TVSpeedBtnMenu::itemClicked(int index)
{
    FItemIndex = index;
    if (OnSelect)
        CallHandler(this, [this] { OnSelect(this); });
}
