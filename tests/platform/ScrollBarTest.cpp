// Tests of the scroll bar drawn as the system draws one.
#include "platform/ScrollBar.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

QImage drawn(TScrollBar& bar)
{
    QImage image(bar.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    bar.render(&image);
    return image;
}

} // namespace

TEST(ScrollBar, ADisabledBarShowsNoThumbWhereverItsPositionAndAnEnabledOneShowsItsThumbMove)
{
    for (const Qt::Orientation orientation : {Qt::Vertical, Qt::Horizontal}) {
        TScrollBar bar(orientation);
        bar.resize(orientation == Qt::Vertical ? QSize(16, 300) : QSize(300, 16));
        bar.setPageStep(10);
        std::vector<QImage> enabled;
        std::vector<QImage> disabled;
        for (const auto& [maximum, value] : {std::pair{0, 0}, std::pair{100, 0}, std::pair{100, 60}}) {
            bar.setRange(0, maximum);
            bar.setValue(value);
            bar.setEnabled(true);
            enabled.push_back(drawn(bar));
            bar.setEnabled(false);
            disabled.push_back(drawn(bar));
        }
        // Disabled, the bar is its arrows and groove alone, whatever its range and position.
        EXPECT_EQ(disabled[0], disabled[1]);
        EXPECT_EQ(disabled[1], disabled[2]);
        // Enabled, it draws as any scroll bar: the thumb fills a bar with nothing to scroll and moves
        // with the position.
        EXPECT_NE(enabled[0], disabled[0]);
        EXPECT_NE(enabled[1], enabled[2]);
    }
}
