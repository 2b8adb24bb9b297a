// The small pictures of the style's standard icons, as buttons show them.
#pragma once

#include <QImage>
#include <QStyle>

// The standard picture `picture` of `look` at 16 by 16 points. The style's own small pixmap is taken
// when it has that size on a screen of one pixel per point, which spares reading every size of the
// icon; for the pictures whose small pixmap is the icon's small size, this is what
// QStyle::standardIcon(...).pixmap(16, 16) gives. Callers check the pictures they use for that.
QImage SmallStylePicture(const QStyle* look, QStyle::StandardPixmap picture);
