// Pop-up menus shown at a point with their alignment.
#include "platform/Menus.h"

void TPopupMenu::Popup(int x, int y)
{
    const int width = sizeHint().width();
    if (FAlignment == paRight)
        x -= width;
    else if (FAlignment == paCenter)
        x -= width / 2;
    exec(QPoint(x, y));
}
