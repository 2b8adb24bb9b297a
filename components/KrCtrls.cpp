// KrCtrls: glyph lists and their cache, the button glyph with its state images and caption layout, button borders, TButtonImage and the speed button.
//
// State images are built once per glyph and state and kept in one image list per image size that all
// buttons share; a button paints into its own off-screen picture and copies it in one step, so a flat
// button changing its look under the mouse never flickers.
#include "components/KrCtrls.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEnterEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QShortcutEvent>
#include <QTimer>
#include <algorithm>
#include <cctype>

#include "platform/Controls.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/Keys.h"
#include "platform/Menus.h"
#include "platform/Win1252Qt.h"
#include "platform/core/ScopeGuard.h"

namespace {

std::unique_ptr<TKrGlyphCache> gGlyphCache;
int gButtonCount = 0;
std::unique_ptr<QImage> gDownPattern;

// Room the drop-down mark takes beside a caption, and beside a glyph.
constexpr int kMarkBesideText = 9;
constexpr int kMarkBesideGlyph = 6;
// Captions are handled as short strings.
constexpr size_t kMaxCaption = 255;

QRect toQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
TRect toTRect(const QRect& r) { return TRect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
TColor sys(uint32_t color) { return static_cast<TColor>(color); }

std::string trimRight(std::string text)
{
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
        text.pop_back();
    return text;
}

// Lines of a caption as a string list splits them: at CR LF, LF or CR.
std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.push_back(line);
            line.clear();
        } else {
            line += text[i];
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

} // namespace

char AcceleratorOf(const std::string& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] != '&')
            return caption[i + 1];
        ++i;
    }
    return 0;
}

TMenuClosingPress::TMenuClosingPress(QWidget* button, QWidget* menu, TOverButton overButton)
    : FButton(button), FMenu(menu), FOverButton(std::move(overButton))
{
    // A menu shown before may carry the mark of a press it swallowed then.
    FMenu->setAttribute(Qt::WA_NoMouseReplay, false);
    FMenu->installEventFilter(this);
}

TMenuClosingPress::~TMenuClosingPress()
{
    FMenu->removeEventFilter(this);
}

bool TMenuClosingPress::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FMenu &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
        const QPoint at = FButton->mapFromGlobal(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        if (FOverButton(FButton, at))
            FMenu->setAttribute(Qt::WA_NoMouseReplay);
    }
    return false;
}

// ---------------------------------------------------------------- glyph lists

int TKrGlyphList::AllocateSlot()
{
    auto free = std::find(FUsed.begin(), FUsed.end(), false);
    int slot;
    if (free != FUsed.end()) {
        slot = static_cast<int>(free - FUsed.begin());
    } else {
        slot = TImageList::Add(QImage(), QImage());
        FUsed.resize(Count(), false);
    }
    FUsed[slot] = true;
    return slot;
}

int TKrGlyphList::Add(const QImage& image, const QImage& mask)
{
    const int slot = AllocateSlot();
    Replace(slot, image, mask);
    ++FUsedCount;
    return slot;
}

int TKrGlyphList::AddMasked(const QImage& image, TColor maskColor)
{
    const int slot = AllocateSlot();
    ReplaceMasked(slot, image, maskColor);
    ++FUsedCount;
    return slot;
}

void TKrGlyphList::Delete(int index)
{
    if (!Used(index))
        return;
    FUsed[index] = false;
    --FUsedCount;
}

TKrGlyphCache* GlyphCache() { return gGlyphCache.get(); }

// ---------------------------------------------------------------- button glyph

TKrButtonGlyph::TKrButtonGlyph()
{
    FIndexes.fill(-1);
    if (!gGlyphCache)
        gGlyphCache = std::make_unique<TKrGlyphCache>();
}

TKrButtonGlyph::~TKrButtonGlyph()
{
    Invalidate();
    if (gGlyphCache && gGlyphCache->IsEmpty())
        gGlyphCache.reset();
}

void TKrButtonGlyph::SetGlyph(const QImage& strip)
{
    FStrip = strip;
    StripChanged();
}

void TKrButtonGlyph::StripChanged()
{
    Invalidate();
    if (FStrip.height() > 0) {
        const QRgb corner = FStrip.pixel(0, FStrip.height() - 1);
        FTransparentColor = static_cast<TColor>(RGBValue(qRed(corner), qGreen(corner), qBlue(corner))) & ~0x02000000;
        if (FStrip.width() % FStrip.height() == 0) {
            int count = FStrip.width() / FStrip.height();
            // A strip of more images than states is one wide picture.
            SetNumGlyphs(count > kKrMaxNumGlyphs ? 1 : count);
        }
    }
    if (OnChange)
        OnChange(this);
}

void TKrButtonGlyph::SetNumGlyphs(TKrNumGlyphs value)
{
    if (value == 0 || value == FNumGlyphs)
        return;
    Invalidate();
    FNumGlyphs = value;
}

void TKrButtonGlyph::Invalidate()
{
    for (int& index : FIndexes) {
        if (index != -1 && FGlyphList)
            FGlyphList->Delete(index);
        index = -1;
    }
    if (FGlyphList && gGlyphCache)
        gGlyphCache->ReleaseList(FGlyphList);
    FGlyphList = nullptr;
}

TKrGlyphList& TKrButtonGlyph::listFor(int width, int height)
{
    // Strip images and image-list images share the indexes; a list of another size cannot hold both.
    if (FGlyphList && (FGlyphList->Width() != width || FGlyphList->Height() != height))
        Invalidate();
    if (!FGlyphList) {
        if (!gGlyphCache)
            gGlyphCache = std::make_unique<TKrGlyphCache>();
        FGlyphList = gGlyphCache->ListForSize(width, height);
    }
    return *FGlyphList;
}

int TKrButtonGlyph::addImage(TKrButtonState state, const QImage& picture, TColor maskColor)
{
    FIndexes[state] = FGlyphList->AddMasked(picture, maskColor);
    return FIndexes[state];
}

TColor TKrButtonGlyph::GrayedColor(TColor color) const
{
    if (color == FTransparentColor || color == sys(clBtnFace))
        return color;
    const uint32_t rgb = ColorToRGB(color);
    // The weights sum to 256, so white stays white.
    const int grey = (GetRValue(rgb) * 77 + GetGValue(rgb) * 150 + GetBValue(rgb) * 29) >> 8;
    return static_cast<TColor>(RGBValue(grey, grey, grey));
}

void TKrButtonGlyph::GrayInto(QImage& target, const QImage& source) const
{
    // Pixels of these formats are their colour as it stands; any other is read through QColor.
    const bool direct = source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32;
    for (int y = 0; y < target.height(); ++y) {
        // The target's line first: taking it may detach the image, which the source may be.
        auto* line = reinterpret_cast<QRgb*>(target.scanLine(y));
        const auto* from = direct ? reinterpret_cast<const QRgb*>(source.constScanLine(y)) : nullptr;
        for (int x = 0; x < target.width(); ++x) {
            const TColor color = from ? static_cast<TColor>(RGBValue(qRed(from[x]), qGreen(from[x]), qBlue(from[x])))
                                      : FromQColor(source.pixelColor(x, y));
            line[x] = ToQColor(GrayedColor(color)).rgb();
        }
    }
}

int TKrButtonGlyph::StateImageIndex(TKrButtonState state)
{
    // With fewer than three images the pressed look is the up image moved by a pixel.
    if (state == rsDown && FNumGlyphs < 3)
        state = rsUp;
    if (FIndexes[state] != -1)
        return FIndexes[state];
    if (FStrip.isNull() || FStrip.width() == 0 || FStrip.height() == 0)
        return -1;
    const int width = FStrip.width() / FNumGlyphs;
    const int height = FStrip.height();
    if (width == 0)
        return -1;
    listFor(width, height);
    QImage scratch(width, height, QImage::Format_RGB32);
    scratch.fill(ToQColor(sys(clBtnFace)));
    const int number = state < FNumGlyphs ? state : rsUp;
    auto copySource = [&] {
        QPainter painter(&scratch);
        painter.drawImage(QPoint(0, 0), FStrip, QRect(number * width, 0, width, height));
    };
    switch (state) {
    case rsUp:
    case rsDown:
    case rsExclusive:
        copySource();
        return addImage(state, scratch, FTransparentColor);
    case rsDisabled:
        if (FNumGlyphs >= 2) {
            copySource();
            return addImage(state, scratch, FTransparentColor);
        }
        // Embossed: what is not the glyph's background goes in shadow over its highlight.
        return addImage(state, CreateDisabledBitmap(FStrip, FTransparentColor), sys(clBtnFace));
    case rsInactive:
        if (FNumGlyphs == kKrMaxNumGlyphs) {
            copySource();
            return addImage(state, scratch, FTransparentColor);
        }
        GrayInto(scratch, FStrip);
        return addImage(state, scratch, FTransparentColor);
    }
    return -1;
}

int TKrButtonGlyph::ListStateImageIndex(TKrButtonState state, const TImageList& images, int imageIndex)
{
    if (state == rsDown)
        state = rsUp;
    if (FIndexes[state] != -1)
        return FIndexes[state];
    if (images.Width() == 0 || images.Height() == 0 || images.Count() == 0)
        return -1;
    listFor(images.Width(), images.Height());
    QImage scratch(images.Width(), images.Height(), QImage::Format_RGB32);
    scratch.fill(ToQColor(sys(clBtnFace)));
    {
        QPainter painter(&scratch);
        if (state == rsDisabled)
            ImageListDrawDisabled(images.Image(imageIndex), painter, 0, 0, sys(clBtnHighlight), sys(clBtnShadow), true);
        else
            images.Draw(painter, 0, 0, imageIndex);
    }
    if (state == rsInactive)
        GrayInto(scratch, scratch);
    if (state == rsInactive || state == rsDisabled)
        return addImage(state, scratch, sys(clBtnFace));
    FIndexes[state] = FGlyphList->Add(scratch, images.Mask(imageIndex));
    return FIndexes[state];
}

TPoint TKrButtonGlyph::glyphSize(const TImageList* images, int imageIndex) const
{
    if (images && images->Width() >= 1 && imageIndex >= 0 && imageIndex < images->Count())
        return {images->Width(), images->Height()};
    if (!FStrip.isNull())
        return {FStrip.width() / FNumGlyphs, FStrip.height()};
    return {0, 0};
}

TPoint TKrButtonGlyph::CaptionRoom(TPoint clientSize, TPoint glyphSize, TButtonLayout layout, int margin, int spacing,
                                   bool popupMark)
{
    TPoint room;
    int* along;
    if (layout == blGlyphTop || layout == blGlyphBottom) {
        room = {clientSize.X - 2, clientSize.Y - glyphSize.Y - 2};
        along = &room.Y;
    } else {
        room = {clientSize.X - glyphSize.X - 2 - (popupMark ? kMarkBesideText : 0), clientSize.Y - 2};
        along = &room.X;
    }
    if (margin != -1)
        *along -= margin;
    if (spacing != -1)
        *along -= spacing;
    return {std::max(room.X, 0), std::max(room.Y, 0)};
}

TKrGlyphLayout TKrButtonGlyph::PlaceGlyphAndCaption(const TRect& client, TPoint glyphSize, TPoint textSize,
                                                    TButtonLayout layout, int margin, int spacing, bool popupMark)
{
    const TPoint measured = textSize;
    if (popupMark) {
        if (glyphSize.X == 0 || glyphSize.Y == 0 || layout == blGlyphLeft)
            textSize.X += kMarkBesideText;
        else if (glyphSize.X > 0)
            glyphSize.X += kMarkBesideGlyph;
    }
    const TGlyphTextPlacement place =
        PlaceGlyphAndText({client.Width(), client.Height()}, glyphSize, textSize, layout, margin, spacing);
    TKrGlyphLayout result;
    result.GlyphPos = {place.GlyphPos.X + client.Left, place.GlyphPos.Y + client.Top};
    // The caption keeps its measured size; the mark's room lies beyond it.
    const int left = place.TextPos.X + client.Left;
    const int top = place.TextPos.Y + client.Top;
    result.TextBounds = {left, top, left + measured.X, top + measured.Y};
    return result;
}

std::string TKrButtonGlyph::FitCaption(QPainter& canvas, const std::string& caption, int width) const
{
    const std::string text = caption.substr(0, kMaxCaption);
    if (FWordWrap)
        return text;
    std::string result;
    for (const std::string& line : splitLines(text)) {
        result += MinimizeText(line, canvas.font(), width);
        result += "\r\n";
    }
    return trimRight(result);
}

TKrGlyphLayout TKrButtonGlyph::LayoutGlyphAndText(QPainter& canvas, const TRect& client, unsigned flags,
                                                  const std::string& caption, TButtonLayout layout, int margin,
                                                  int spacing, bool popupMark, const TImageList* images,
                                                  int imageIndex) const
{
    const TPoint glyph = glyphSize(images, imageIndex);
    const TPoint room = CaptionRoom({client.Width(), client.Height()}, glyph, layout, margin, spacing, popupMark);
    const std::string fitted = FitCaption(canvas, caption, room.X);
    TPoint text{0, 0};
    if (!fitted.empty()) {
        TRect bounds{0, 0, room.X, 0};
        DrawText(canvas, fitted, bounds, DT_CALCRECT | DT_CENTER | (FWordWrap ? DT_WORDBREAK : 0u) | flags);
        text = {std::max(std::min(room.X, bounds.Width()), 0), std::max(std::min(room.Y, bounds.Height()), 0)};
    }
    TKrGlyphLayout result = PlaceGlyphAndCaption(client, glyph, text, layout, margin, spacing, popupMark);
    result.Caption = fitted;
    return result;
}

void TKrButtonGlyph::DrawCaption(QPainter& canvas, const std::string& caption, TRect bounds, TKrButtonState state,
                                 unsigned flags) const
{
    const unsigned format = flags | DT_VCENTER | (FWordWrap ? DT_WORDBREAK : 0u);
    TPainterSave save(canvas);
    canvas.setBrush(Qt::NoBrush);
    if (state == rsDisabled) {
        TRect moved{bounds.Left + 1, bounds.Top + 1, bounds.Right + 1, bounds.Bottom + 1};
        canvas.setPen(QColor(255, 255, 255));
        DrawText(canvas, caption, moved, format);
        canvas.setPen(QColor(128, 128, 128));
    }
    DrawText(canvas, caption, bounds, format);
}

TRect TKrButtonGlyph::DrawEx(QPainter& canvas, const TRect& client, unsigned flags, TKrButtonState state,
                             int imageIndex, const TImageList* images, bool popupMark, int spacing, int margin,
                             TButtonLayout layout, const std::string& caption)
{
    const TKrGlyphLayout placed =
        LayoutGlyphAndText(canvas, client, flags, caption, layout, margin, spacing, popupMark, images, imageIndex);
    const bool useList = images && images->Width() >= 1 && imageIndex >= 0 && imageIndex < images->Count();
    const int x = placed.GlyphPos.X;
    const int y = placed.GlyphPos.Y;
    TPoint drawn{0, 0};
    if (useList) {
        if (state == rsDisabled) {
            ImageListDrawDisabled(images->Image(imageIndex), canvas, x, y, sys(clBtnHighlight), sys(clBtnShadow), true);
        } else if (state == rsInactive) {
            const int index = ListStateImageIndex(state, *images, imageIndex);
            if (index != -1)
                FGlyphList->Draw(canvas, x, y, index);
        } else {
            images->Draw(canvas, x, y, imageIndex);
        }
        drawn = {images->Width(), images->Height()};
    } else {
        const int index = StateImageIndex(state);
        if (index != -1 && FGlyphList) {
            FGlyphList->Draw(canvas, x, y, index);
            drawn = {FGlyphList->Width(), FGlyphList->Height()};
        }
    }
    DrawCaption(canvas, placed.Caption, placed.TextBounds, state, flags);
    if (popupMark) {
        int markX;
        int markY;
        if (layout != blGlyphLeft && (FStrip.width() > 0 || useList)) {
            markX = x + drawn.X + 1;
            markY = y + drawn.Y / 2;
        } else {
            markX = !placed.Caption.empty() ? placed.TextBounds.Right + 3 : (client.Left + client.Right - 7) / 2;
            markY = placed.TextBounds.Top + placed.TextBounds.Height() / 2;
        }
        DrawDropDownArrow(canvas, markX, markY, state);
    }
    return placed.TextBounds;
}

void TKrButtonGlyph::DrawDropDownArrow(QPainter& canvas, int x, int y, TKrButtonState state)
{
    auto arrow = [&canvas](int left, int top, TColor color) {
        const QColor c = ToQColor(color);
        canvas.fillRect(QRect(left, top - 1, 7, 1), c);
        canvas.fillRect(QRect(left + 1, top, 5, 1), c);
        canvas.fillRect(QRect(left + 2, top + 1, 3, 1), c);
        canvas.fillRect(QRect(left + 3, top + 2, 1, 1), c);
    };
    if (state == rsDisabled) {
        arrow(x + 1, y + 1, sys(clBtnHighlight));
        arrow(x, y, sys(clBtnShadow));
    } else {
        arrow(x, y, sys(clBtnText));
    }
}

// ---------------------------------------------------------------- button image and border

TButtonImage::TButtonImage() { FGlyph.SetNumGlyphs(1); }

void TButtonImage::DrawEx(QPainter& canvas, int x, int y, int margin, int spacing, TButtonLayout layout,
                          const QFont* font, const TImageList* images, int imageIndex, unsigned flags)
{
    TPainterSave save(canvas);
    QRect rect(x, y, ButtonSize.X, ButtonSize.Y);
    canvas.fillRect(rect, ToQColor(sys(clBtnFace)));
    Frame3D(canvas, rect, sys(clBtnShadow), sys(clWindowFrame));
    Frame3D(canvas, rect, sys(clBtnHighlight), sys(clBtnShadow));
    if (font)
        canvas.setFont(*font);
    canvas.setPen(ToQColor(sys(clBtnText)));
    FGlyph.DrawEx(canvas, toTRect(rect), flags, rsUp, imageIndex, images, false, spacing, margin, layout, Caption);
}

TRect DrawButtonBorder(QPainter& canvas, const TRect& client, bool isDown, TButtonStyle style, bool flat)
{
    // This platform has the new-style controls, so auto-detection takes the new look.
    const bool newLook = style != bsWin31;
    QRect r = toQRect(client);
    if (!isDown) {
        if (newLook) {
            if (!flat)
                Frame3D(canvas, r, sys(clBtnHighlight), sys(clWindowFrame));
            Frame3D(canvas, r, sys(flat ? clBtnHighlight : clBtnFace), sys(clBtnShadow));
        } else if (!flat) {
            Frame3D(canvas, r, sys(clWindowFrame), sys(clWindowFrame));
            Frame3D(canvas, r, sys(clBtnHighlight), sys(clBtnShadow));
        } else {
            Frame3D(canvas, r, sys(clBtnHighlight), sys(clWindowFrame));
        }
    } else if (newLook) {
        Frame3D(canvas, r, sys(clWindowFrame), sys(clBtnHighlight));
        if (!flat)
            Frame3D(canvas, r, sys(clBtnShadow), sys(clBtnFace));
    } else if (!flat) {
        Frame3D(canvas, r, sys(clWindowFrame), sys(clWindowFrame));
        // A shadow along the left and the top only: the old look of a pushed button.
        const QColor shadow = ToQColor(sys(clBtnShadow));
        canvas.fillRect(QRect(r.left(), r.top(), 1, r.height()), shadow);
        canvas.fillRect(QRect(r.left(), r.top(), r.width(), 1), shadow);
    } else {
        Frame3D(canvas, r, sys(clWindowFrame), sys(clBtnHighlight));
    }
    r.adjust(1, 1, -1, -1);
    return toTRect(r);
}

// ---------------------------------------------------------------- speed button

int ButtonCount() { return gButtonCount; }
const QImage* DownPattern() { return gDownPattern.get(); }

TKrSpeedButton::TKrSpeedButton(QWidget* parent) : QWidget(parent), FGlyph(std::make_unique<TKrButtonGlyph>())
{
    setGeometry(0, 0, 25, 25);
    // A speed button never takes the focus from the control it serves, and paints all of itself.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    FGlyph->OnChange = [this](TKrButtonGlyph*) { update(); };
    ++gButtonCount;
}

TKrSpeedButton::~TKrSpeedButton()
{
    FGlyph.reset();
    if (--gButtonCount == 0)
        gDownPattern.reset();
}

void TKrSpeedButton::SetAlignment(TAlignment value)
{
    if (value == FGlyph->Alignment())
        return;
    FGlyph->SetAlignment(value);
    update();
}

void TKrSpeedButton::SetAllowAllUp(bool value)
{
    if (FGroup.SetAllowAllUp(value))
        UpdateGroup();
}

void TKrSpeedButton::SetAllowTimer(bool value)
{
    FAllowTimer = value;
    if (!value && FRepeatTimer) {
        FRepeatTimer->stop();
        delete FRepeatTimer;
        FRepeatTimer = nullptr;
    }
}

void TKrSpeedButton::SetGroupIndex(int value)
{
    if (FGroup.SetGroupIndex(value))
        UpdateGroup();
}

void TKrSpeedButton::SetDown(bool value)
{
    if (!FGroup.SetDown(value))
        return;
    if (FGroup.Down) {
        if (FState == rsUp)
            update();
        FState = rsExclusive;
        UpdateGroup();
    } else {
        FState = rsUp;
        repaint();
    }
}

void TKrSpeedButton::SetDropDownMenu(TPopupMenu* value)
{
    if (value == FDropDownMenu)
        return;
    QObject::disconnect(FMenuDestroyed);
    FDropDownMenu = value;
    if (value)
        FMenuDestroyed = QObject::connect(value, &QObject::destroyed, this, [this] { FDropDownMenu = nullptr; });
    if (FMarkDropDown)
        update();
}

void TKrSpeedButton::SetCaption(const std::string& value)
{
    if (value == FCaption)
        return;
    FCaption = value;
    grabAccelerator();
    update();
}

void TKrSpeedButton::grabAccelerator()
{
    FShortcutId = GrabAccelerator(this, FShortcutId, FCaption);
}

void TKrSpeedButton::SetHint(const std::string& value)
{
    FHint = value;
    setToolTip(FromEditorText(value));
}

void TKrSpeedButton::SetFlat(bool value)
{
    if (value == FFlat)
        return;
    FFlat = value;
    update();
}

void TKrSpeedButton::SetGlyph(const QImage& value)
{
    FGlyph->Invalidate();
    FGlyph->SetGlyph(value);
    update();
}

void TKrSpeedButton::SetGrayedInactive(bool value)
{
    if (value == FGrayedInactive)
        return;
    FGrayedInactive = value;
    update();
}

void TKrSpeedButton::SetLayout(TButtonLayout value)
{
    if (value == FLayout)
        return;
    FLayout = value;
    update();
}

void TKrSpeedButton::SetMargin(int value)
{
    if (value == FMargin || value < -1)
        return;
    FMargin = value;
    update();
}

void TKrSpeedButton::SetMarkDropDown(bool value)
{
    if (value == FMarkDropDown)
        return;
    FMarkDropDown = value;
    update();
}

void TKrSpeedButton::SetNumGlyphs(TKrNumGlyphs value)
{
    FGlyph->SetNumGlyphs(std::min(value, kKrMaxNumGlyphs));
    update();
}

void TKrSpeedButton::SetSpacing(int value)
{
    if (value == FSpacing)
        return;
    FSpacing = value;
    update();
}

void TKrSpeedButton::SetStyle(TButtonStyle value)
{
    if (value == FStyle)
        return;
    FStyle = value;
    update();
}

void TKrSpeedButton::SetTransparent(bool value)
{
    if (value == FTransparent)
        return;
    FTransparent = value;
    // Qt paints what lies beneath a control that does not cover all of itself.
    setAttribute(Qt::WA_OpaquePaintEvent, !value);
    update();
}

void TKrSpeedButton::SetWordWrap(bool value)
{
    if (value == FGlyph->WordWrap())
        return;
    FGlyph->SetWordWrap(value);
    update();
}

void TKrSpeedButton::buildCurrentLook()
{
    FGlyph->StateImageIndex(isEnabled() ? (FFlat ? rsInactive : rsUp) : rsDisabled);
}

void TKrSpeedButton::Loaded() { buildCurrentLook(); }

void TKrSpeedButton::Click()
{
    if (FModalResult != 0)
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->done(FModalResult);
    if (OnClick)
        OnClick(this);
}

TPoint TKrSpeedButton::MenuPoint() const
{
    if (!FDropDownMenu)
        return {0, 0};
    const TPopupAlignment alignment = FDropDownMenu->Alignment();
    if (FMenuPosition == dmpBottom) {
        switch (alignment) {
        case paLeft:
            return {-1, height()};
        case paRight:
            return {width() + 1, height()};
        case paCenter:
            return {width() / 2, height()};
        }
    }
    switch (alignment) {
    case paLeft:
        return {width(), -1};
    case paRight:
        return {-1, -1};
    case paCenter:
        break;
    }
    return {width() / 2, height()};
}

bool TKrSpeedButton::DropDownPopup(TPoint point, bool forced)
{
    if (!FDropDownMenu || !(FDropDownMenu->AutoPopup() || forced))
        return false;
    TPopupMenu* menu = FDropDownMenu;
    menu->SetPopupComponent(this);
    // The bottom row counts as inside, as in every inside test of the button.
    TMenuClosingPress closing(this, menu, [](const QWidget* button, QPoint at) {
        return at.x() >= 0 && at.x() < button->width() && at.y() >= 0 && at.y() <= button->height();
    });
    const QPoint screen = mapToGlobal(QPoint(point.X, point.Y));
    menu->Popup(screen.x(), screen.y());
    return true;
}

bool TKrSpeedButton::DialogChar(char key)
{
    const char accelerator = AcceleratorOf(FCaption);
    if (accelerator == 0 || !isEnabled() ||
        std::toupper(static_cast<unsigned char>(accelerator)) != std::toupper(static_cast<unsigned char>(key)))
        return false;
    Click();
    return true;
}

bool TKrSpeedButton::inside(int x, int y) const
{
    // The bottom row counts as inside, as the button has always tested it.
    return x >= 0 && x < width() && y >= 0 && y <= height();
}

void TKrSpeedButton::TrackMouse()
{
    const bool over = isEnabled() && QApplication::widgetAt(QCursor::pos()) == this && IsForegroundTask();
    if (over == FMouseOver)
        return;
    FMouseOver = over;
    if (over) {
        if (FFlat)
            repaint();
        MouseEnter();
    } else {
        if (FFlat)
            update();
        MouseLeave();
    }
}

void TKrSpeedButton::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TKrSpeedButton::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TKrSpeedButton::MouseDown(Qt::MouseButton button, TShiftState shift, int x, int y)
{
    if (FMenuOpen)
        return;
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
    if (!FMouseOver && isEnabled()) {
        FMouseOver = true;
        repaint();
    }
    if (button != Qt::LeftButton || !isEnabled() || (shift & ssDouble))
        return;
    if (!FGroup.Down) {
        FState = rsDown;
        update();
    }
    FPressing = true;
    {
        // While the menu is up, the press that closes it must not press the button again.
        FMenuOpen = true;
        QPointer<TKrSpeedButton> alive(this);
        TScopeGuard menuOpen([this, alive] {
            if (alive)
                FMenuOpen = false;
        });
        if (DropDownPopup(MenuPoint(), false) && alive)
            ReleaseButton(Qt::LeftButton, x, y);
        if (!alive)
            return;
    }
    if (FAllowTimer) {
        if (!FRepeatTimer) {
            FRepeatTimer = new QTimer(this);
            QObject::connect(FRepeatTimer, &QTimer::timeout, this, [this] { CallHandler(this, [this] { RepeatTick(); }); });
        }
        FRepeatTimer->setInterval(FInitPause);
        FRepeatTimer->start();
    }
}

void TKrSpeedButton::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
    if (!FPressing)
        return;
    TKrButtonState state = FGroup.Down ? rsExclusive : rsUp;
    if (inside(x, y))
        state = FGroup.Down ? rsExclusive : rsDown;
    if (state != FState) {
        FState = state;
        repaint();
    }
}

void TKrSpeedButton::MouseUp(Qt::MouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
    QPointer<TKrSpeedButton> alive(this);
    ReleaseButton(button, x, y);
    if (alive && FRepeatTimer)
        FRepeatTimer->stop();
}

void TKrSpeedButton::ReleaseButton(Qt::MouseButton button, int x, int y)
{
    if (button == Qt::LeftButton && FPressing) {
        FPressing = false;
        const bool in = inside(x, y);
        if (FGroup.GroupIndex == 0) {
            FState = rsUp;
            FMouseOver = false;
            if (in)
                repaint();
            else
                update();
        } else if (in) {
            SetDown(!FGroup.Down);
            if (FGroup.Down)
                repaint();
        } else {
            if (FGroup.Down)
                FState = rsExclusive;
            repaint();
        }
        if (in && !FMenuOpen) {
            QPointer<TKrSpeedButton> alive(this);
            Click();
            // A click may close the window the button lives in.
            if (!alive)
                return;
        }
    }
    TrackMouse();
}

void TKrSpeedButton::RepeatTick()
{
    FRepeatTimer->setInterval(FRepeatInterval);
    if (FState != rsDown || !FPressing)
        return;
    // A failing click ends the repeating; the next press starts it again.
    TScopeGuard stop([this] { FRepeatTimer->stop(); });
    Click();
    stop.Dismiss();
}

void TKrSpeedButton::UpdateGroup()
{
    if (FGroup.GroupIndex == 0 || !parentWidget())
        return;
    TMessage message{CM_KRBUTTONPRESSED, FGroup.GroupIndex, reinterpret_cast<LPARAM>(static_cast<QObject*>(this)), 0};
    Broadcast(parentWidget(), message);
}

void TKrSpeedButton::ButtonPressed(int groupIndex, TKrSpeedButton* sender)
{
    if (groupIndex != FGroup.GroupIndex || !parentWidget() || !sender)
        return;
    if (FGroup.Follow(sender->FGroup)) {
        FState = rsUp;
        repaint();
    }
}

LRESULT TKrSpeedButton::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == CM_KRBUTTONPRESSED)
        ButtonPressed(static_cast<int>(wParam), dynamic_cast<TKrSpeedButton*>(reinterpret_cast<QObject*>(lParam)));
    return 0;
}

void TKrSpeedButton::SysColorChange()
{
    FGlyph->Invalidate();
    update();
}

void TKrSpeedButton::PaintGlyph(QPainter& canvas, const TRect& rect, TKrButtonState state, bool drawMark)
{
    static constexpr unsigned kAlignmentFlags[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    FGlyph->Draw(canvas, rect, kAlignmentFlags[FGlyph->Alignment()], state, drawMark, FSpacing, FMargin, FLayout,
                 FCaption);
}

void TKrSpeedButton::Paint()
{
    if (!isEnabled()) {
        FState = rsDisabled;
        FPressing = false;
    } else if (FState == rsDisabled) {
        FState = FGroup.Latched() ? rsExclusive : rsUp;
    }
    const TKrButtonState look = FFlat && !FMouseOver ? rsInactive : FState;
    // A transparent button draws over what its parent and the siblings beneath have already painted
    // there: its picture keeps the untouched pixels clear.
    const QImage::Format format = FTransparent ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    if (FPaintBuffer.size() != size() || FPaintBuffer.format() != format)
        FPaintBuffer = QImage(size(), format);
    {
        QPainter canvas(&FPaintBuffer);
        canvas.setFont(font());
        canvas.setPen(ToQColor(sys(clBtnText)));
        if (FTransparent) {
            canvas.setCompositionMode(QPainter::CompositionMode_Source);
            canvas.fillRect(FPaintBuffer.rect(), Qt::transparent);
            canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
        } else {
            canvas.fillRect(FPaintBuffer.rect(), ToQColor(sys(clBtnFace)));
        }
        TRect rect{0, 0, width(), height()};
        if (look == rsInactive && FState != rsExclusive)
            rect = {rect.Left + 2, rect.Top + 2, rect.Right - 2, rect.Bottom - 2};
        else
            rect = DrawButtonBorder(canvas, rect, FState == rsDown || FState == rsExclusive, FStyle, FFlat);
        if (FState == rsExclusive && !FFlat) {
            if (!gDownPattern)
                gDownPattern = std::make_unique<QImage>(CreateTwoColorsBrushPattern(sys(clBtnFace), sys(clBtnHighlight)));
            canvas.fillRect(QRect(rect.Left - 1, rect.Top - 1, rect.Width() + 2, rect.Height() + 2), QBrush(*gDownPattern));
        }
        if (FState == rsDown || FState == rsExclusive)
            rect = {rect.Left + 1, rect.Top + 1, rect.Right + 1, rect.Bottom + 1};
        const TKrButtonState drawn = FState == rsDisabled || !FGrayedInactive ? FState : look;
        PaintGlyph(canvas, rect, drawn, FMarkDropDown && FDropDownMenu);
    }
    QPainter(this).drawImage(0, 0, FPaintBuffer);
}

void TKrSpeedButton::paintEvent(QPaintEvent*)
{
    CallHandler(this, [this] { Paint(); });
}

void TKrSpeedButton::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    const TShiftState shift = ShiftStateOf(event);
    QPointer<TKrSpeedButton> alive(this);
    CallHandler(this, [&] {
        MouseDown(button, shift, at.x(), at.y());
        if (alive && button == Qt::RightButton)
            TrackMouse();
    });
}

void TKrSpeedButton::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    CallHandler(this, [&] { MouseMove(ShiftStateOf(event), at.x(), at.y()); });
}

void TKrSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    const TShiftState shift = ShiftStateOf(event);
    QPointer<TKrSpeedButton> alive(this);
    CallHandler(this, [&] {
        MouseUp(button, shift, at.x(), at.y());
        if (alive && button == Qt::RightButton)
            TrackMouse();
    });
}

void TKrSpeedButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (FMenuOpen)
        return;
    const QPoint at = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    const TShiftState shift = ShiftStateOf(event) | ssDouble;
    QPointer<TKrSpeedButton> alive(this);
    CallHandler(this, [&] {
        MouseDown(button, shift, at.x(), at.y());
        // Only a button that stays down has a use for the second click.
        if (alive && button == Qt::LeftButton && FGroup.Down && OnDblClick)
            OnDblClick(this);
    });
}

void TKrSpeedButton::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (!isEnabled() || FMouseOver || !IsForegroundTask())
        return;
    FMouseOver = true;
    if (FFlat)
        repaint();
    CallHandler(this, [this] { MouseEnter(); });
}

void TKrSpeedButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (!isEnabled() || !FMouseOver || FPressing)
        return;
    FMouseOver = false;
    if (FFlat)
        update();
    CallHandler(this, [this] { MouseLeave(); });
}

void TKrSpeedButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        buildCurrentLook();
        CallHandler(this, [this] { TrackMouse(); });
        update();
        break;
    case QEvent::FontChange:
        update();
        break;
    case QEvent::PaletteChange:
        SysColorChange();
        break;
    default:
        break;
    }
}

void TKrSpeedButton::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    CallHandler(this, [this] { TrackMouse(); });
}

bool TKrSpeedButton::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut) {
        auto* shortcut = static_cast<QShortcutEvent*>(event);
        if (shortcut->shortcutId() == FShortcutId) {
            CallHandler(this, [this] { DialogChar(AcceleratorOf(FCaption)); });
            return true;
        }
    }
    return QWidget::event(event);
}
