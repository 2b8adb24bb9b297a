// The small pictures of the style's standard icons, as buttons show them.
#include "platform/StylePicture.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>

QImage SmallStylePicture(const QStyle* look, QStyle::StandardPixmap picture)
{
    constexpr int kSize = 16;
    // The icon reads every size it has from its files; the style's pixmap, when it has the icon's
    // size on a screen of one pixel per point, is the one the icon would give.
    if (qGuiApp->devicePixelRatio() == 1.0) {
        const QPixmap small = look->standardPixmap(picture);
        if (small.size() == QSize(kSize, kSize))
            return small.toImage();
    }
    return look->standardIcon(picture).pixmap(kSize, kSize).toImage();
}
