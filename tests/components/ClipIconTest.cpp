// The icon clipboard format: an icon copied comes back the same; other contents are no icon.
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <gtest/gtest.h>

#include "components/ClipIcon.h"
#include "platform/core/Exception.h"

TEST(ClipIcon, IconsTravelThroughTheClipboardUnderTheirOwnFormat)
{
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(qRgb(10, 200, 30));
    const TIcon icon = TIcon::FromImage(image);
    CopyIconToClipboard(icon);
    ASSERT_TRUE(ClipboardHasIcon());
    const TIcon back = PasteIconFromClipboard();
    EXPECT_TRUE(back.SameAs(icon));
    EXPECT_EQ(back.Image().pixel(4, 4), qRgb(10, 200, 30));
    EXPECT_EQ(std::string(CF_ICON), "application/x-kestrima-icon");

    QApplication::clipboard()->setText("no icon");
    EXPECT_FALSE(ClipboardHasIcon());
    EXPECT_THROW(PasteIconFromClipboard(), EInvalidGraphic);
}
