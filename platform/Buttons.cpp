// The speed button on Qt: the style draws the panel, the button draws its glyph and caption itself
// so that the glyph can stand on any side and the strip's state images are honoured.
#include "platform/Buttons.h"

#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

#include "platform/HandlerCall.h"

namespace {

// Room between glyph and caption when both are shown.
constexpr int kGlyphSpacing = 4;

enum : int { gsUp = 0, gsDisabled = 1, gsClicked = 2, gsDown = 3 };

} // namespace

TSpeedButton::TSpeedButton(QWidget* parent) : QToolButton(parent)
{
    // A speed button never takes the focus from the control it serves.
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (OnClick)
            CallHandler(this, [this] { OnClick(this); });
    });
}

void TSpeedButton::SetGlyph(const QPixmap& strip)
{
    FGlyph = strip;
    rebuildImages();
}

void TSpeedButton::SetNumGlyphs(TNumGlyphs value)
{
    if (value < 1 || value > kMaxNumGlyphs || value == FNumGlyphs)
        return;
    FNumGlyphs = value;
    rebuildImages();
}

void TSpeedButton::SetLayout(TButtonLayout value)
{
    if (value == FLayout)
        return;
    FLayout = value;
    update();
}

QPixmap TSpeedButton::StateGlyph(int state) const
{
    if (state < 0 || state >= kMaxNumGlyphs)
        return {};
    return FImages[state];
}

void TSpeedButton::rebuildImages()
{
    FImages = {};
    if (!FGlyph.isNull()) {
        QImage strip = FGlyph.toImage().convertToFormat(QImage::Format_ARGB32);
        // The glyph's background is whatever colour its bottom-left pixel has.
        QRgb transparent = strip.pixel(0, strip.height() - 1);
        int width = strip.width() / FNumGlyphs;
        for (int i = 0; i < FNumGlyphs && width > 0; ++i) {
            QImage image = strip.copy(i * width, 0, width, strip.height());
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x)
                    if (line[x] == transparent)
                        line[x] = qRgba(0, 0, 0, 0);
            }
            FImages[i] = QPixmap::fromImage(image);
        }
    }
    update();
}

void TSpeedButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.icon = QIcon();
    option.text.clear();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    bool down = isDown() || isChecked();
    QPixmap glyph;
    if (!isEnabled())
        glyph = !FImages[gsDisabled].isNull()
                    ? FImages[gsDisabled]
                    : QIcon(FImages[gsUp]).pixmap(FImages[gsUp].size(), QIcon::Disabled);
    else if (isDown() && !FImages[gsClicked].isNull())
        glyph = FImages[gsClicked];
    else if (isChecked() && !FImages[gsDown].isNull())
        glyph = FImages[gsDown];
    else
        glyph = FImages[gsUp];

    QString caption = text();
    QSize glyphSize = glyph.isNull() ? QSize(0, 0) : glyph.size();
    QSize textSize = caption.isEmpty() ? QSize(0, 0) : fontMetrics().size(Qt::TextSingleLine, caption);
    QRect area = rect();
    if (down)
        area.translate(1, 1);

    // Glyph and caption are centred together along the layout's axis and each centred across it.
    const TGlyphTextPlacement place =
        PlaceGlyphAndText({area.width(), area.height()}, {glyphSize.width(), glyphSize.height()},
                          {textSize.width(), textSize.height()}, FLayout, -1, kGlyphSpacing);
    const QPoint glyphAt = area.topLeft() + QPoint(place.GlyphPos.X, place.GlyphPos.Y);
    const QPoint textAt = area.topLeft() + QPoint(place.TextPos.X, place.TextPos.Y);
    if (!glyph.isNull())
        painter.drawPixmap(glyphAt, glyph);
    if (!caption.isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
        painter.drawText(QRect(textAt, textSize), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);
    }
}
