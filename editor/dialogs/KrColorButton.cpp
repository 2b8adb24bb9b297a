// TKrColorButton: the colour button and the palette it drops down.
#include "editor/dialogs/KrColorButton.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include "editor/Glyphs.h"
#include "editor/dialogs/ControlSupport.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"

namespace {

// The colour button's room for its arrow, right of the swatch.
constexpr int kArrowRoom = 10;

QRgb bottomLeftColour(const QImage& image)
{
    return image.isNull() ? 0 : image.pixel(0, image.height() - 1);
}

} // namespace

TKrColorButton::TKrColorButton(QWidget* parent)
    : QPushButton(parent), FOtherBtnCaption(LoadResString(4363)), FOtherColor(static_cast<TColor>(clBtnFace))
{
    resize(45, 22);
    setAutoDefault(false);
    SetDefaultColors();
    // Clicks that do not come from the mouse or the keyboard here (a mnemonic, click()) drop down too.
    connect(this, &QPushButton::clicked, this, [this] { dropDownReporting(); });
}

TKrColorButton::~TKrColorButton()
{
    // The palette is a child window; it must not call back into a button being destroyed.
    if (FPalette) {
        FPalette->OnColorSelected = nullptr;
        FPalette->OnPaletteClose = nullptr;
    }
}

void TKrColorButton::SetStyle(TButtonStyle value)
{
    if (value != FStyle) {
        FStyle = value;
        update();
    }
}

void TKrColorButton::SetColor(TColor value)
{
    if (value == FColor)
        return;
    FColor = value;
    update();
    DoColorChange();
}

void TKrColorButton::SetFlat(bool value)
{
    if (value != FFlat) {
        FFlat = value;
        update();
    }
}

void TKrColorButton::DoColorChange()
{
    if (OnColorChange)
        OnColorChange(this);
}

void TKrColorButton::SetDefaultColors()
{
    SetDefaultPaletteColors(FPaletteColors);
    FCustomColors.SetXSize(8);
    FCustomColors.SetYSize(2);
    for (int x = 1; x <= 8; ++x)
        for (int y = 1; y <= 2; ++y)
            FCustomColors.SetColor(x, y, clWhite);
}

std::string TKrColorButton::QualifiedName() const
{
    const std::string own = ToEditorText(objectName());
    if (!parentWidget())
        return own;
    return ToEditorText(parentWidget()->objectName()) + "." + own;
}

QPoint TKrColorButton::PalettePosition(const QRect& button, const QSize& palette, const QRect& workArea)
{
    QPoint at(button.left(), button.top() + button.height());
    const int workRight = workArea.left() + workArea.width();
    if (at.y() + palette.height() > workArea.top() + workArea.height())
        at.setY(button.top() - TTSM_KrColorButtonPalette::kClientHeight);
    if (workArea.left() > at.x())
        at.setX(workArea.left());
    else if (at.x() + palette.width() > workRight)
        at.setX(workRight - (TTSM_KrColorButtonPalette::kClientWidth + 2 * TTSM_KrColorButtonPalette::kFrame));
    return at;
}

void TKrColorButton::DropDown()
{
    if (FPalette)
        return;
    auto* palette = new TTSM_KrColorButtonPalette(this);
    FPalette = palette;
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect(0, 0, 640, 480);
    palette->move(PalettePosition(QRect(mapToGlobal(QPoint(0, 0)), size()), palette->size(), workArea));

    palette->SetOtherCaption(FOtherBtnCaption);
    palette->SetOtherColor(FOtherColor);
    // The grid goes in before the colour is looked up in it, so that a button's own grid is searched.
    palette->SetPaletteColors(FPaletteColors);
    palette->SetCustomColors(FCustomColors);
    palette->SetSelectedColor(FColor);
    palette->OnColorSelected = [this](TTSM_KrColorButtonPalette*, TColor color) { paletteColorSelected(color); };
    palette->OnPaletteClose = [this](TTSM_KrColorButtonPalette*) { paletteClosed(); };

    FDroppedDown = true;
    update();
    palette->show();
    palette->activateWindow();
}

void TKrColorButton::dropDownReporting()
{
    CallHandler(this, [this] { DropDown(); });
}

void TKrColorButton::paletteColorSelected(TColor color)
{
    SetColor(color);
}

void TKrColorButton::paletteClosed()
{
    if (!FPalette)
        return;
    FCustomColors.Assign(FPalette->CustomColors());
    FDroppedDown = false;
    update();
    FPalette = nullptr;
}

void TKrColorButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isDown()) {
        QPushButton::mouseReleaseEvent(event);
        return;
    }
    setDown(false);
    if (hitButton(event->position().toPoint()))
        dropDownReporting();
}

void TKrColorButton::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && (autoDefault() || isDefault())) {
        dropDownReporting();
        return;
    }
    QPushButton::keyPressEvent(event);
}

void TKrColorButton::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat() && isDown()) {
        setDown(false);
        dropDownReporting();
        return;
    }
    QPushButton::keyReleaseEvent(event);
}

void TKrColorButton::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    if (FFlat && !FMouseInControl) {
        FMouseInControl = true;
        update();
    }
}

void TKrColorButton::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    if (FFlat && FMouseInControl) {
        FMouseInControl = false;
        update();
    }
}

void TKrColorButton::focusInEvent(QFocusEvent* event)
{
    QPushButton::focusInEvent(event);
    if (!FIsFocused) {
        FIsFocused = true;
        update();
    }
}

void TKrColorButton::focusOutEvent(QFocusEvent* event)
{
    QPushButton::focusOutEvent(event);
    if (FIsFocused) {
        FIsFocused = false;
        update();
    }
}

void TKrColorButton::changeEvent(QEvent* event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::FontChange)
        update();
}

void TKrColorButton::paintEvent(QPaintEvent*)
{
    QPainter canvas(this);
    const bool down = isDown() || FDroppedDown;
    const bool focus = hasFocus();
    FMouseInControl = underMouse();
    const bool flatLook = FFlat && !FMouseInControl && !focus;

    QRect area = rect();
    if (down) {
        FrameRect(canvas, area, clWindowFrame);
        FrameRect(canvas, area, clBtnShadow);
        canvas.fillRect(area, ToQColor(clBtnFace));
    } else {
        if (FStyle == bsWin31 && !flatLook) {
            FrameRect(canvas, area, clBtnShadow);
            canvas.fillRect(area, ToQColor(clBtnFace));
        }
        DrawButtonFace(canvas, area, false);
        // A flat button out of the mouse's way keeps no frame at all.
        if (flatLook)
            canvas.fillRect(area.adjusted(-2, -2, 2, 2), ToQColor(clBtnFace));
    }

    QRect inner = rect();
    if (down)
        inner.translate(1, 1);
    inner.adjust(3, 3, -3, -3);
    if (FIsFocused && focus)
        DrawFocusRect(canvas, inner);
    inner.adjust(1, 1, -1, -1);
    inner.adjust(2, 1, -2, -1);
    inner.setRight(inner.right() - kArrowRoom);

    QRect swatch = inner;
    FrameRect(canvas, swatch, clWindowFrame);
    if (!isEnabled())
        DrawDisabledPattern(canvas, swatch);
    else
        canvas.fillRect(swatch, ToQColor(FColor));

    const int separator = inner.right() + 1 + 3;
    canvas.fillRect(QRect(separator, inner.top(), 1, inner.height()), ToQColor(clBtnShadow));
    canvas.fillRect(QRect(separator + 1, inner.top(), 1, inner.height()), ToQColor(clBtnHighlight));

    const QImage& arrow = GlyphResource(isEnabled() ? "TSM_KR_ARROW_BMP" : "TSM_KR_ARROW_DISABLED_BMP");
    const int arrowTop = (height() - arrow.height()) / 2 + (down ? 1 : 0);
    DrawTransparent(canvas, separator + 3, arrowTop, arrow, bottomLeftColour(arrow));
}

