// The class library's speed button: a tool button with a strip of state glyphs, flat on request.
#pragma once

#include <QPixmap>
#include <QToolButton>
#include <array>
#include <functional>

#include "platform/core/ButtonLayout.h"

// The look of a button's frame: the old one, the new one, or whichever the platform draws (the new).
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };

// A glyph strip holds one to four images side by side: up, disabled, clicked and down.
using TNumGlyphs = int;
constexpr TNumGlyphs kMaxNumGlyphs = 4;

class TSpeedButton : public QToolButton {
public:
    using TClickEvent = std::function<void(TSpeedButton* Sender)>;

    explicit TSpeedButton(QWidget* parent = nullptr);

    bool Flat() const { return autoRaise(); }
    void SetFlat(bool value) { setAutoRaise(value); }

    // The strip as given; its bottom-left pixel's colour is the transparent one.
    const QPixmap& Glyph() const { return FGlyph; }
    void SetGlyph(const QPixmap& strip);
    TNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    // Values outside 1 to 4 are ignored.
    void SetNumGlyphs(TNumGlyphs value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout value);

    // The image the strip gives for a state (0 up, 1 disabled, 2 clicked, 3 down); null when the
    // strip has no such image.
    QPixmap StateGlyph(int state) const;

    TClickEvent OnClick;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void rebuildImages();

    QPixmap FGlyph;
    TNumGlyphs FNumGlyphs = 1;
    TButtonLayout FLayout = blGlyphLeft;
    std::array<QPixmap, kMaxNumGlyphs> FImages;
};
