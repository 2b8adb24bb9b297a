// Pop-up menus shown at a point with their alignment.
#include "platform/Menus.h"

#include <QAction>
#include <QVariant>

void TPopupMenu::Popup(int x, int y)
{
    const int width = sizeHint().width();
    if (FAlignment == paRight)
        x -= width;
    else if (FAlignment == paCenter)
        x -= width / 2;
    exec(QPoint(x, y));
}

namespace {
constexpr const char* kHelpContext = "HelpContext";
}

int HelpContextOf(const QAction* item)
{
    return item ? item->property(kHelpContext).toInt() : 0;
}

void SetHelpContext(QAction* item, int context)
{
    item->setProperty(kHelpContext, context);
}
