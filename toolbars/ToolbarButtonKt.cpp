// The flat toolbar button: its glyph lists, its picture in each state, its painting, pressing, groups, drop-down menus and repeating.
#include "toolbars/ToolbarButtonKt.h"

#include "platform/Controls.h"
#include "toolbars/DropdownList.h"
#include "toolbars/TBar.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcutEvent>
#include <QTimer>
#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <utility>

#include "components/VCLUtils.h"
#include "platform/CustomImageList.h"
#include "platform/GraphicsQt.h"
#include "platform/HandlerCall.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Exception.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"
#include "platform/Menus.h"

namespace {

constexpr int kInvalidImageSize = 5280;
constexpr int kUnableToReplaceImage = 5281;

std::unique_ptr<TToolbarGlyphCache> gToolbarGlyphCache;
int gGlyphObjects = 0;
TToolbarButtonKt* gHotButton = nullptr;
QTimer* gButtonMouseTimer = nullptr;
int gButtonCount = 0;
std::unique_ptr<QImage> gPattern;
TColor gPatternFace = 0;
TColor gPatternHighlight = 0;
std::function<QWidget*()> gControlAtPointer;

TColor sysColor(TColor color) { return FromQColor(ToQColor(color)); }

QWidget* controlAtPointer()
{
    if (gControlAtPointer)
        return gControlAtPointer();
    return QApplication::widgetAt(QCursor::pos());
}

const QImage& pattern()
{
    if (!gPattern) {
        gPatternFace = sysColor(clBtnFace);
        gPatternHighlight = sysColor(clBtnHighlight);
        gPattern = std::make_unique<QImage>(CreateTwoColorsBrushPattern(clBtnFace, clBtnHighlight));
    }
    return *gPattern;
}

QRect toQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

uint32_t rgbOf(QRgb pixel) { return pixel & 0x00FFFFFFu; }
uint32_t rgbOf(TColor color)
{
    const QColor c = ToQColor(color);
    return (static_cast<uint32_t>(c.red()) << 16) | (static_cast<uint32_t>(c.green()) << 8) | static_cast<uint32_t>(c.blue());
}

// Gives the Enter and Esc that no control of a dialog took (a focused edit or push button takes its
// own) to the dialog's toolbar buttons, so that a Default or Cancel one clicks. Keys a control
// ignores travel up to the dialog, where this filter sees them before the dialog's own handling.
// The main window is no dialog and keeps its keys.
class TDialogKeys : public QObject {
public:
    static void Watch(QDialog* dialog)
    {
        // The class has no meta-object of its own: the watch is found by its name.
        if (!dialog->findChild<QObject*>(kName, Qt::FindDirectChildrenOnly))
            dialog->installEventFilter(new TDialogKeys(dialog));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || watched != parent())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        for (QWidget* control : static_cast<QWidget*>(watched)->findChildren<QWidget*>()) {
            auto* button = dynamic_cast<TToolbarButtonKt*>(control);
            if (button && button->window() == watched) {
                bool clicked = false;
                CallHandler(button, [&] { clicked = button->DialogKey(key->key(), key->modifiers()); });
                if (clicked)
                    return true;
            }
        }
        return false;
    }

private:
    static constexpr const char* kName = "ToolbarDialogKeys";
    explicit TDialogKeys(QObject* dialog) : QObject(dialog) { setObjectName(kName); }
};

} // namespace

TToolbarGlyphCache* ToolbarGlyphCache() { return gToolbarGlyphCache.get(); }
TToolbarButtonKt* HotButton() { return gHotButton; }
QTimer* ButtonMouseTimer() { return gButtonMouseTimer; }
int ToolbarButtonCount() { return gButtonCount; }
const QImage* ToolbarButtonPattern() { return gPattern.get(); }

// ---- glyph lists

void TToolbarGlyphList::checkSize(const QImage& image) const
{
    if (image.width() < Width() || image.height() < Height())
        throw EInvalidOperation(FmtLoadStr(kInvalidImageSize));
}

int TToolbarGlyphList::AddMasked(const QImage& image, TColor maskColor)
{
    checkSize(image);
    return TKrGlyphList::AddMasked(image, maskColor);
}

void TToolbarGlyphList::ReplaceMasked(int index, const QImage& image, TColor maskColor)
{
    checkSize(image);
    if (index < 0 || index >= Count())
        throw EInvalidOperation(FmtLoadStr(kUnableToReplaceImage));
    TImageList::ReplaceMasked(index, image, maskColor);
}

QImage MaskFromColors(const QImage& image, const std::vector<TColor>& colors)
{
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    QImage mask(pixels.size(), QImage::Format_Mono);
    mask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mask.fill(0);
    if (pixels.isNull())
        return mask;
    std::vector<uint32_t> wanted;
    for (TColor color : colors)
        wanted.push_back(color == static_cast<TColor>(-1) ? rgbOf(pixels.pixel(0, pixels.height() - 1)) : rgbOf(color));
    for (int y = 0; y < pixels.height(); ++y)
        for (int x = 0; x < pixels.width(); ++x)
            if (std::find(wanted.begin(), wanted.end(), rgbOf(pixels.pixel(x, y))) != wanted.end())
                mask.setPixel(x, y, 1);
    return mask;
}

void DrawMaskColored(QPainter& canvas, const QImage& mask, TColor color)
{
    const QColor paint = ToQColor(color);
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x)
            if (qGray(mask.pixel(x, y)) > 127)
                canvas.fillRect(x, y, 1, 1, paint);
}

// ---- button glyph

TToolbarButtonGlyph::TToolbarButtonGlyph()
{
    for (auto& list : FIndexes)
        list.fill(-1);
    ++gGlyphObjects;
}

TToolbarButtonGlyph::~TToolbarButtonGlyph()
{
    Invalidate();
    if (--gGlyphObjects == 0 && gToolbarGlyphCache && gToolbarGlyphCache->Empty())
        gToolbarGlyphCache.reset();
}

void TToolbarButtonGlyph::SetGlyph(const QImage& value)
{
    Invalidate();
    FGlyph = value;
    GlyphChanged(true);
    UpdateNumGlyphs();
}

void TToolbarButtonGlyph::SetGlyphMask(const QImage& value)
{
    Invalidate();
    FGlyphMask = value;
    GlyphChanged(false);
}

void TToolbarButtonGlyph::SetNumGlyphs(int value)
{
    value = std::clamp(value, 1, kButtonStateKtCount);
    if (FImageList)
        value = 1;
    if (value == FNumGlyphs)
        return;
    Invalidate();
    FNumGlyphs = value;
    GlyphChanged(false);
}

void TToolbarButtonGlyph::SetImageList(const TCustomImageList* value)
{
    FImageList = value;
    UpdateNumGlyphs();
    GlyphChanged(false);
}

void TToolbarButtonGlyph::SetImageIndex(int value)
{
    if (value == FImageIndex)
        return;
    FImageIndex = value;
    if (FImageList)
        GlyphChanged(false);
}

void TToolbarButtonGlyph::SetOldDisabledStyle(bool value)
{
    FOldDisabledStyle = value;
    Invalidate();
}

void TToolbarButtonGlyph::GlyphChanged(bool fromGlyph)
{
    if (fromGlyph && FGlyph.width() > 0 && FGlyph.height() > 0)
        FTransparentColor = FromQColor(QColor(FGlyph.pixel(0, FGlyph.height() - 1)));
    Invalidate();
    if (OnChange)
        OnChange();
}

void TToolbarButtonGlyph::UpdateNumGlyphs()
{
    int count = 1;
    if (!FImageList && FGlyph.width() > 0 && FGlyph.height() > 0 && FGlyph.width() % FGlyph.height() == 0) {
        count = FGlyph.width() / FGlyph.height();
        if (count > kButtonStateKtCount)
            count = 1;
    }
    if (count != FNumGlyphs) {
        Invalidate();
        FNumGlyphs = count;
    }
}

void TToolbarButtonGlyph::Invalidate()
{
    for (int list = 0; list < 2; ++list) {
        for (int& slot : FIndexes[static_cast<size_t>(list)]) {
            if (slot != -1 && FGlyphList[static_cast<size_t>(list)])
                FGlyphList[static_cast<size_t>(list)]->Delete(slot);
            slot = -1;
        }
        if (FGlyphList[static_cast<size_t>(list)] && gToolbarGlyphCache)
            gToolbarGlyphCache->ReturnList(FGlyphList[static_cast<size_t>(list)]);
        FGlyphList[static_cast<size_t>(list)] = nullptr;
    }
}

TPoint TToolbarButtonGlyph::glyphSize() const
{
    if (FImageList)
        return {FImageList->Width(), FImageList->Height()};
    if (FGlyph.isNull())
        return {0, 0};
    return {FGlyph.width() / FNumGlyphs, FGlyph.height()};
}

QImage TToolbarButtonGlyph::sourceImage(int stateIndex, int iw, int ih, QImage* mask) const
{
    if (FImageList) {
        QImage drawn(iw, ih, QImage::Format_ARGB32);
        drawn.fill(Qt::transparent);
        {
            QPainter painter(&drawn);
            FImageList->Draw(painter, 0, 0, FImageIndex);
        }
        if (mask) {
            *mask = QImage(iw, ih, QImage::Format_Mono);
            mask->setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
            for (int y = 0; y < ih; ++y)
                for (int x = 0; x < iw; ++x)
                    mask->setPixel(x, y, qAlpha(drawn.pixel(x, y)) < 128 ? 1 : 0);
        }
        QImage flat(iw, ih, QImage::Format_RGB32);
        flat.fill(ToQColor(clBtnFace));
        QPainter(&flat).drawImage(0, 0, drawn);
        return flat;
    }
    if (mask && FGlyphMask.width() > 0 && FGlyphMask.height() > 0)
        *mask = FGlyphMask.copy(stateIndex * iw, 0, iw, ih).convertToFormat(QImage::Format_Mono);
    return FGlyph.copy(stateIndex * iw, 0, iw, ih).convertToFormat(QImage::Format_RGB32);
}

std::pair<TToolbarGlyphList*, int> TToolbarButtonGlyph::CreateButtonGlyph(TButtonStateKt state)
{
    if (state != bsDisabled && static_cast<int>(state) >= FNumGlyphs)
        state = bsUp;
    const bool enabledList = state != bsDisabled;
    if (FIndexes[1][state] != -1)
        return {FGlyphList[1], FIndexes[1][state]};
    if (FIndexes[0][state] != -1)
        return {FGlyphList[0], FIndexes[0][state]};
    if (FImageList ? (FImageIndex < 0 || FImageIndex >= FImageList->Count()) : FGlyph.isNull())
        return {nullptr, -1};
    const bool useMask = !FImageList && FGlyphMask.width() > 0 && FGlyphMask.height() > 0;
    const TPoint size = glyphSize();
    const int iw = size.X;
    const int ih = size.Y;
    if (!gToolbarGlyphCache)
        gToolbarGlyphCache = std::make_unique<TToolbarGlyphCache>();
    TToolbarGlyphList*& list = FGlyphList[enabledList];
    if (!list)
        list = enabledList ? gToolbarGlyphCache->GetList(iw, ih) : gToolbarGlyphCache->GetList(iw + 1, ih + 1);
    const TColor transparent = FImageList ? static_cast<TColor>(clBtnFace) : FTransparentColor;
    int slot = -1;
    QImage mask;
    if (enabledList) {
        const QImage image = sourceImage(static_cast<int>(state), iw, ih, &mask);
        if (useMask || FImageList)
            slot = list->Add(image, mask);
        else
            slot = list->AddMasked(image, transparent);
    } else if (FNumGlyphs > 1) {
        // The strip's own disabled image, its white and grey turned into the button colours.
        const QImage image = sourceImage(bsDisabled, iw, ih, &mask);
        if (mask.isNull())
            mask = MaskFromColors(image, {transparent});
        QImage work(iw + 1, ih + 1, QImage::Format_RGB32);
        work.fill(ToQColor(clBtnFace));
        {
            QPainter canvas(&work);
            canvas.drawImage(0, 0, image);
            DrawMaskColored(canvas, MaskFromColors(image, {static_cast<TColor>(0x00FFFFFF)}), clBtnHighlight);
            DrawMaskColored(canvas, MaskFromColors(image, {static_cast<TColor>(0x00808080)}), clBtnShadow);
        }
        QImage fullMask(iw + 1, ih + 1, QImage::Format_Mono);
        fullMask.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
        fullMask.fill(1);
        for (int y = 0; y < ih; ++y)
            for (int x = 0; x < iw; ++x)
                fullMask.setPixel(x, y, qGray(mask.pixel(x, y)) > 127 ? 1 : 0);
        slot = list->Add(work, fullMask);
    } else {
        const QImage image = sourceImage(0, iw, ih, &mask);
        // B: 1 where nothing is drawn (new style), or where the shape is (old style).
        QImage b;
        if (!FOldDisabledStyle) {
            std::vector<TColor> colors{static_cast<TColor>(0x00FFFFFF), static_cast<TColor>(0x00C0C0C0)};
            if (!useMask && !FImageList)
                colors.push_back(transparent);
            b = MaskFromColors(image, colors);
            if (!mask.isNull())
                for (int y = 0; y < ih; ++y)
                    for (int x = 0; x < iw; ++x)
                        if (qGray(mask.pixel(x, y)) > 127)
                            b.setPixel(x, y, 1);
        } else {
            b = MaskFromColors(image, {static_cast<TColor>(0)});
            if (!mask.isNull())
                for (int y = 0; y < ih; ++y)
                    for (int x = 0; x < iw; ++x)
                        if (qGray(mask.pixel(x, y)) > 127)
                            b.setPixel(x, y, 0);
        }
        const int paintBit = FOldDisabledStyle ? 1 : 0;
        QImage work(iw + 1, ih + 1, QImage::Format_RGB32);
        work.fill(ToQColor(clBtnFace));
        for (int pass = 0; pass < 2; ++pass) {
            const int shift = pass == 0 ? 1 : 0;
            const QRgb colour = ToQColor(pass == 0 ? clBtnHighlight : clBtnShadow).rgb();
            for (int y = 0; y < ih; ++y)
                for (int x = 0; x < iw; ++x)
                    if (b.pixelIndex(x, y) == paintBit)
                        work.setPixel(x + shift, y + shift, colour);
        }
        slot = list->AddMasked(work, clBtnFace);
    }
    FIndexes[enabledList][state] = slot;
    return {list, slot};
}

TToolbarButtonGlyph::TLayout TToolbarButtonGlyph::CalcButtonLayout(QPainter& canvas, const TRect& client,
                                                                   TPoint offset, const std::string& caption,
                                                                   TButtonLayout layout, int margin, int spacing,
                                                                   bool wordWrap, bool dropArrow, bool drawGlyph,
                                                                   bool drawCaption) const
{
    const int w = client.Width();
    const int h = client.Height();
    const int aw = dropArrow ? 9 : 0;
    const int ah = dropArrow ? 3 : 0;
    TPoint g = drawGlyph ? glyphSize() : TPoint{0, 0};
    if (g.X == 0 || g.Y == 0)
        g = {0, 0};
    if ((layout == blGlyphTop || layout == blGlyphBottom) && g.X == 0)
        layout = blGlyphLeft;
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    int tw = 0;
    int th = 0;
    if (drawCaption && !caption.empty()) {
        TRect r{0, 0, w, 0};
        unsigned format = DT_CALCRECT;
        if (horizontal)
            r.Right -= aw;
        if (wordWrap) {
            format |= DT_WORDBREAK;
            int m = 4;
            if (horizontal && g.X != 0) {
                r.Right -= g.X + (spacing == -1 ? 4 : spacing);
                m = margin != -1 ? margin : spacing != -1 ? spacing : 4;
            }
            r.Right -= 2 * m;
        }
        DrawText(canvas, caption, r, format);
        tw = r.Width();
        th = r.Height();
    }
    TLayout out;
    TPoint gp{0, 0};
    TPoint tp{0, 0};
    TPoint ap{0, 0};
    if (horizontal) {
        gp.Y = (h - g.Y + 1) / 2;
        tp.Y = (h - th + 1) / 2;
    } else {
        gp.X = (w - g.X - aw + 1) / 2;
        tp.X = (w - tw + 1) / 2;
        ap.X = g.X == 0 ? tp.X + tw : gp.X + g.X;
    }
    if (tw == 0 || th == 0 || g.X == 0 || g.Y == 0)
        spacing = 0;
    if (margin == -1) {
        const int room = horizontal ? w : h;
        if (spacing != -1) {
            const int total = horizontal ? g.X + spacing + tw + aw : g.Y + spacing + th;
            margin = (room - total + 1) / 2;
        } else {
            const int total = horizontal ? g.X + tw + aw : g.Y + th;
            margin = (room - total) / 3;
            spacing = margin;
        }
    } else if (spacing == -1) {
        spacing = horizontal ? (w - margin - g.X - aw - tw) / 2 : (h - margin - g.Y - th) / 2;
    }
    switch (layout) {
    case blGlyphLeft:
        gp.X = margin;
        tp.X = margin + g.X + spacing;
        ap.X = tp.X + tw;
        break;
    case blGlyphRight:
        ap.X = w - margin - aw;
        gp.X = ap.X - g.X;
        tp.X = gp.X - spacing - tw;
        break;
    case blGlyphTop:
        gp.Y = margin;
        tp.Y = margin + g.Y + spacing;
        break;
    case blGlyphBottom:
        gp.Y = h - margin - g.Y;
        tp.Y = gp.Y - spacing - th;
        break;
    }
    ap.Y = g.X == 0 ? tp.Y + (th - ah) / 2 : gp.Y + (g.Y - ah) / 2;
    const int dx = client.Left + offset.X;
    const int dy = client.Top + offset.Y;
    out.GlyphPos = {gp.X + dx, gp.Y + dy};
    out.ArrowPos = {ap.X + dx, ap.Y + dy};
    out.TextBounds = {tp.X + dx, tp.Y + dy, tp.X + dx + tw, tp.Y + dy + th};
    return out;
}

void TToolbarButtonGlyph::Draw(QPainter& canvas, const TRect& client, TPoint offset, const std::string& caption,
                               TButtonLayout layout, int margin, int spacing, TButtonStateKt state,
                               TAlignment alignment, bool wordWrap, bool dropArrow, bool drawGlyph,
                               bool drawCaption, TColor fontColor)
{
    const TLayout at = CalcButtonLayout(canvas, client, offset, caption, layout, margin, spacing, wordWrap,
                                        dropArrow, drawGlyph, drawCaption);
    if (drawGlyph) {
        const auto [list, slot] = CreateButtonGlyph(state);
        if (list && slot != -1)
            list->Draw(canvas, at.GlyphPos.X, at.GlyphPos.Y, slot);
    }
    if (drawCaption && !caption.empty()) {
        const unsigned align = alignment == taLeftJustify ? DT_LEFT : alignment == taRightJustify ? DT_RIGHT : DT_CENTER;
        const unsigned format = DT_VCENTER | align | (wordWrap ? DT_WORDBREAK : DT_SINGLELINE);
        canvas.setBrush(Qt::NoBrush);
        if (state == bsDisabled) {
            TRect moved{at.TextBounds.Left + 1, at.TextBounds.Top + 1, at.TextBounds.Right + 1, at.TextBounds.Bottom + 1};
            canvas.setPen(ToQColor(clBtnHighlight));
            DrawText(canvas, caption, moved, format);
            canvas.setPen(ToQColor(clBtnShadow));
        } else {
            canvas.setPen(ToQColor(fontColor));
        }
        TRect bounds = at.TextBounds;
        DrawText(canvas, caption, bounds, format);
    }
    if (dropArrow)
        DrawArrow(canvas, at.ArrowPos.X, at.ArrowPos.Y, state != bsDisabled, fontColor);
}

void TToolbarButtonGlyph::DrawArrow(QPainter& canvas, int x, int y, bool enabled, TColor fontColor)
{
    auto triangle = [&](int dx, int dy, TColor color) {
        const QColor c = ToQColor(color);
        // Rows of the triangle: 5, 3 and 1 pixels wide.
        canvas.fillRect(x + 4 + dx, y + dy, 5, 1, c);
        canvas.fillRect(x + 5 + dx, y + 1 + dy, 3, 1, c);
        canvas.fillRect(x + 6 + dx, y + 2 + dy, 1, 1, c);
    };
    if (enabled) {
        triangle(0, 0, fontColor);
    } else {
        triangle(1, 1, clBtnHighlight);
        triangle(0, 0, clBtnShadow);
    }
}

// ---- button

void TToolbarButtonKt::SetControlAtPointerFinder(std::function<QWidget*()> finder) { gControlAtPointer = std::move(finder); }

TToolbarButtonKt::TToolbarButtonKt(QWidget* parent) : QWidget(parent), FGlyph(std::make_unique<TToolbarButtonGlyph>())
{
    if (!gButtonMouseTimer) {
        gButtonMouseTimer = new QTimer();
        gButtonMouseTimer->setInterval(125);
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    resize(23, 22);
    FGlyph->OnChange = [this] { Redraw(true); };
    ++gButtonCount;
    InstallHookProc(&TToolbarButtonKt::ButtonHookProc, {hcActivateApp, hcMouseMove});
}

TToolbarButtonKt::~TToolbarButtonKt()
{
    RemoveButtonMouseTimer();
    if (gHotButton == this)
        gHotButton = nullptr;
    QObject::disconnect(FMenuDestroyed);
    FGlyph.reset();
    UninstallHookProc(&TToolbarButtonKt::ButtonHookProc);
    if (--gButtonCount == 0) {
        gPattern.reset();
        delete gButtonMouseTimer;
        gButtonMouseTimer = nullptr;
    }
}

void TToolbarButtonKt::Redraw(bool erase)
{
    if (FFlat && !FOpaque && erase) {
        update();
        return;
    }
    const bool wasOpaque = testAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    update();
    if (!wasOpaque)
        setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void TToolbarButtonKt::Loaded() { FGlyph->CreateButtonGlyph(isEnabled() ? bsUp : bsDisabled); }

#define KT_SETTER(Name, Field)           \
    void TToolbarButtonKt::Set##Name(decltype(Field) value) \
    {                                     \
        if (Field == value)               \
            return;                       \
        Field = value;                    \
        Redraw(true);                     \
    }
KT_SETTER(Alignment, FAlignment)
KT_SETTER(Color, FColor)
KT_SETTER(Layout, FLayout)
KT_SETTER(Spacing, FSpacing)
KT_SETTER(WordWrap, FWordWrap)
#undef KT_SETTER

void TToolbarButtonKt::SetCaption(const std::string& value)
{
    if (FCaption == value)
        return;
    FCaption = value;
    grabAccelerator();
    Redraw(true);
}

void TToolbarButtonKt::SetDisplayMode(TButtonDisplayMode value)
{
    if (value == FDisplayMode)
        return;
    FDisplayMode = value;
    grabAccelerator();
    Redraw(true);
}

void TToolbarButtonKt::SetMargin(int value)
{
    if (value == FMargin || value < -1)
        return;
    FMargin = value;
    Redraw(true);
}

void TToolbarButtonKt::SetNoBorder(bool value)
{
    if (value == FNoBorder)
        return;
    FNoBorder = value;
    update();
}

void TToolbarButtonKt::SetFlat(bool value)
{
    if (value == FFlat)
        return;
    FFlat = value;
    setAttribute(Qt::WA_OpaquePaintEvent, !FFlat || FOpaque);
    Redraw(true);
}

void TToolbarButtonKt::SetOpaque(bool value)
{
    if (value == FOpaque)
        return;
    FOpaque = value;
    setAttribute(Qt::WA_OpaquePaintEvent, !FFlat || FOpaque);
    update();
}

void TToolbarButtonKt::SetAllowAllUp(bool value)
{
    if (FGroup.SetAllowAllUp(value))
        UpdateExclusive();
}

void TToolbarButtonKt::SetGroupIndex(int value)
{
    if (FGroup.SetGroupIndex(value))
        UpdateExclusive();
}

void TToolbarButtonKt::SetDown(bool value)
{
    if (!FGroup.SetDown(value))
        return;
    FState = !isEnabled() ? bsDisabled : FGroup.Down ? bsExclusive : bsUp;
    Redraw(true);
    if (FGroup.Down)
        UpdateExclusive();
}

void TToolbarButtonKt::UpdateExclusive()
{
    if (FGroup.GroupIndex == 0 || !parentWidget())
        return;
    for (QObject* child : parentWidget()->children()) {
        auto* other = dynamic_cast<TToolbarButtonKt*>(child);
        if (other && other->FGroup.Follow(FGroup)) {
            other->FState = bsUp;
            other->Redraw(true);
        }
    }
}

void TToolbarButtonKt::SetDropdownArrow(bool value)
{
    if (value == FDropdownArrow)
        return;
    FDropdownArrow = value;
    Redraw(true);
}

QSize TToolbarButtonKt::sizeHint() const
{
    const int combo = FDropdownCombo ? 11 : 0;
    int width = 23;
    if (!FCaption.empty() && FDisplayMode != dmGlyphOnly)
        width = std::max(width, fontMetrics().horizontalAdvance(FromEditorText(FCaption).remove('&')) + 10);
    return {width + combo, 22};
}

void TToolbarButtonKt::SetDropdownCombo(bool value)
{
    if (value == FDropdownCombo)
        return;
    FDropdownCombo = value;
    resize(std::max(1, width() + (value ? kDropdownComboWidth : -kDropdownComboWidth)), height());
    Redraw(true);
}

void TToolbarButtonKt::SetDropdownMenu(TPopupMenu* value)
{
    if (value == FDropdownMenu)
        return;
    QObject::disconnect(FMenuDestroyed);
    FDropdownMenu = value;
    FUsesDropdown = value != nullptr;
    if (value) {
        FMenuDestroyed = QObject::connect(value, &QObject::destroyed, this, [this] { SetDropdownMenu(nullptr); });
        TDropdownList::AddMenu(value);
    }
    if (FDropdownArrow)
        Redraw(true);
}

void TToolbarButtonKt::SetGlyph(const QImage& value) { FGlyph->SetGlyph(value); }
void TToolbarButtonKt::SetGlyphMask(const QImage& value) { FGlyph->SetGlyphMask(value); }
void TToolbarButtonKt::SetNumGlyphs(int value) { FGlyph->SetNumGlyphs(value); }
void TToolbarButtonKt::SetImages(const TCustomImageList* value) { FGlyph->SetImageList(value); }
void TToolbarButtonKt::SetImageIndex(int value) { FGlyph->SetImageIndex(value); }

void TToolbarButtonKt::SetOldDisabledStyle(bool value)
{
    FGlyph->SetOldDisabledStyle(value);
    Redraw(true);
}

bool TToolbarButtonKt::PointInButton(int x, int y) const
{
    return x >= 0 && x < width() - (isCombo() ? kDropdownComboWidth : 0) && y >= 0 && y < height();
}

void TToolbarButtonKt::Paint()
{
    const bool offscreen = FOpaque || !FFlat;
    QImage buffer;
    std::unique_ptr<QPainter> owned;
    QPainter direct;
    QPainter* canvas;
    if (offscreen) {
        buffer = QImage(size(), QImage::Format_RGB32);
        buffer.fill(ToQColor(FColor));
        owned = std::make_unique<QPainter>(&buffer);
        canvas = owned.get();
    } else {
        direct.begin(this);
        canvas = &direct;
    }
    canvas->setFont(font());
    TRect paintRect{0, 0, width(), height()};
    const bool pushed = FState == bsDown || FState == bsExclusive;
    const bool combo = isCombo();
    const bool noFrame = FNoBorder || (FFlat && !pushed && (!FMouseInControl || !isEnabled()));
    if (noFrame) {
        if (combo)
            paintRect.Right -= kDropdownComboWidth;
    } else {
        auto edge = [&](QRect r, bool pressed) {
            if (FFlat)
                DrawEdge(*canvas, r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            else
                DrawEdge(*canvas, r, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE);
        };
        if (combo) {
            edge(QRect(paintRect.Right - kDropdownComboWidth, 0, 9, paintRect.Height()), pushed && FMenuIsDown);
            paintRect.Right -= kDropdownComboWidth;
        }
        edge(toQRect(paintRect), pushed && !(combo && FMenuIsDown));
    }
    if (!FNoBorder) {
        const int inset = FFlat ? 1 : 2;
        paintRect = {paintRect.Left + inset, paintRect.Top + inset, paintRect.Right - inset, paintRect.Bottom - inset};
    }
    TPoint offset{0, 0};
    if (pushed && !(combo && FMenuIsDown)) {
        offset = {1, 1};
        if (FState == bsExclusive && !(FFlat && FMouseInControl))
            canvas->fillRect(toQRect(paintRect), QBrush(pattern()));
    }
    const TColor fontColor = FromQColor(palette().color(QPalette::ButtonText));
    FGlyph->Draw(*canvas, paintRect, offset, FCaption, FLayout, FMargin, FSpacing, FState, FAlignment, FWordWrap,
                 FDropdownArrow && !FDropdownCombo && FUsesDropdown, FDisplayMode != dmTextOnly,
                 FDisplayMode != dmGlyphOnly, fontColor);
    if (combo)
        TToolbarButtonGlyph::DrawArrow(*canvas, width() - 13, height() / 2 - 1, isEnabled(), fontColor);
    if (offscreen) {
        owned.reset();
        QPainter(this).drawImage(0, 0, buffer);
    }
}

void TToolbarButtonKt::paintEvent(QPaintEvent*)
{
    CallHandler(this, [this] { Paint(); });
}

void TToolbarButtonKt::inheritedClick()
{
    if (OnClick)
        OnClick(this);
}

void TToolbarButtonKt::Click()
{
    if (FRepeating && !FMenuIsDown) {
        inheritedClick();
        return;
    }
    // A handler may destroy the button: then it neither repaints nor tracks the pointer afterwards.
    QPointer<TToolbarButtonKt> alive(this);
    TScopeGuard finish([this, alive] {
        if (!alive)
            return;
        FInClick = false;
        if (FState == bsDown)
            FState = bsUp;
        Redraw(true);
        UpdateTracking();
    });
    FInClick = true;
    if (FGroup.GroupIndex != 0)
        SetDown(!FGroup.Down);
    if (FState == bsUp || FState == bsMouseIn) {
        FState = bsDown;
        Redraw(true);
    }
    MouseLeft();
    if (!FUsesDropdown || (FDropdownCombo && !FMenuIsDown)) {
        if (FModalResult != 0)
            if (auto* dialog = qobject_cast<QDialog*>(window()))
                dialog->done(FModalResult);
        inheritedClick();
        return;
    }
    if (!FDropdownCombo)
        inheritedClick();
    if (!alive || !FDropdownMenu)
        return;
    TPopupMenu* menu = FDropdownMenu;
    if (QWidget* grabber = QWidget::mouseGrabber(); grabber == this)
        releaseMouse();
    const TPopupAlignment saved = menu->Alignment();
    menu->SetAlignment(paLeft);
    // Under the button; beside it in a vertical dock, toward the form's inside.
    QPoint point(0, height());
    if (const TDockKt* dock = GetDockOf(this); dock && GetDockTypeOf(dock) == dtLeftRight) {
        if (dock->Position() == dpLeft) {
            point = QPoint(width(), 0);
        } else {
            point = QPoint(0, 0);
            menu->SetAlignment(paRight);
        }
    }
    const QPoint screen = mapToGlobal(point);
    menu->SetPopupComponent(this);
    TMenuClosingPress closing(this, menu, [](const QWidget* button, QPoint at) { return button->rect().contains(at); });
    TScopeGuard restore([menu, saved] { menu->SetAlignment(saved); });
    menu->Popup(screen.x(), screen.y());
}

void TToolbarButtonKt::MouseEntered()
{
    if (!isEnabled() || FMouseInControl)
        return;
    FMouseInControl = true;
    if (FState == bsUp)
        FState = bsMouseIn;
    if (FFlat || FGlyph->NumGlyphs() == 5)
        Redraw(FGroup.Down || FGlyph->NumGlyphs() == 5);
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TToolbarButtonKt::MouseLeft()
{
    if (!isEnabled() || !FMouseInControl || FDragging)
        return;
    FMouseInControl = false;
    RemoveButtonMouseTimer();
    const TButtonStateKt old = FState;
    if (FState == bsMouseIn || (!FInClick && FState == bsDown))
        FState = FGroup.Latched() ? bsExclusive : bsUp;
    if (FFlat || FGlyph->NumGlyphs() == 5 || (old != FState && old != bsMouseIn))
        Redraw(true);
    if (OnMouseExit)
        OnMouseExit(this);
}

void TToolbarButtonKt::RemoveButtonMouseTimer()
{
    if (gHotButton != this)
        return;
    if (gButtonMouseTimer)
        gButtonMouseTimer->stop();
    gHotButton = nullptr;
}

void TToolbarButtonKt::UpdateTracking()
{
    if (!isEnabled())
        return;
    if (controlAtPointer() == this) {
        FMouseInControl = false;
        MouseEntered();
    } else {
        FMouseInControl = true;
        MouseLeft();
    }
}

void TToolbarButtonKt::ButtonMouseTimerHandler()
{
    if (controlAtPointer() != gHotButton && gHotButton)
        gHotButton->MouseLeft();
}

void TToolbarButtonKt::ButtonHookProc(THookCode Code, QWidget*, WPARAM WParam, LPARAM)
{
    if (!gHotButton)
        return;
    if (Code == hcActivateApp) {
        if (WParam == 0 && !gHotButton->FShowBorderWhenInactive)
            gHotButton->MouseLeft();
    } else if (Code == hcMouseMove) {
        if (controlAtPointer() != gHotButton)
            gHotButton->MouseLeft();
    }
}

void TToolbarButtonKt::MouseDown(Qt::MouseButton button, int x, int y)
{
    if (!isEnabled()) {
        if (OnMouseDown)
            OnMouseDown(this, button, x, y);
        return;
    }
    MouseEntered();
    if (button != Qt::LeftButton) {
        if (OnMouseDown)
            OnMouseDown(this, button, x, y);
        return;
    }
    FMenuIsDown = FUsesDropdown && (!FDropdownCombo || x >= width() - kDropdownComboWidth);
    if (!FGroup.Down) {
        FState = bsDown;
        Redraw(true);
    } else if (FGroup.AllowAllUp) {
        Redraw(true);
    }
    if (!FMenuIsDown)
        FDragging = true;
    if (OnMouseDown)
        OnMouseDown(this, button, x, y);
    QPointer<TToolbarButtonKt> alive(this);
    if (FMenuIsDown) {
        Click();
    } else if (FRepeating) {
        Click();
        if (alive) {
            if (!FRepeatTimer) {
                FRepeatTimer = new QTimer(this);
                QObject::connect(FRepeatTimer, &QTimer::timeout, this, [this] { RepeatTimerHandler(); });
            }
            FRepeatTimer->stop();
            FRepeatTimer->setInterval(FRepeatDelay);
            FRepeatTimer->start();
        }
    }
    if (alive)
        FMenuIsDown = false;
}

void TToolbarButtonKt::MouseMove(Qt::MouseButtons, int x, int y)
{
    if (gHotButton != this && rect().contains(x, y) && (!gControlAtPointer || controlAtPointer() == this)) {
        if (gHotButton)
            gHotButton->MouseLeft();
        if (FShowBorderWhenInactive || ApplicationIsActive()) {
            gHotButton = this;
            QObject::disconnect(gButtonMouseTimer, nullptr, nullptr, nullptr);
            QObject::connect(gButtonMouseTimer, &QTimer::timeout, this, [this] { ButtonMouseTimerHandler(); });
            gButtonMouseTimer->start();
            MouseEntered();
        }
    }
    if (FDragging) {
        if (PointInButton(x, y) && FRepeatTimer && !FRepeatTimer->isActive())
            FRepeatTimer->start();
        const TButtonStateKt state = FGroup.Down ? bsExclusive : PointInButton(x, y) ? bsDown : bsUp;
        if (state != FState) {
            FState = state;
            Redraw(true);
        }
    }
}

void TToolbarButtonKt::MouseUp(Qt::MouseButton button, int x, int y)
{
    delete FRepeatTimer;
    FRepeatTimer = nullptr;
    if (button == Qt::RightButton && isEnabled()) {
        FDragging = false;
        MouseLeft();
    }
    if (OnMouseUp)
        OnMouseUp(this, button, x, y);
    if (button == Qt::LeftButton && FDragging) {
        FDragging = false;
        if (PointInButton(x, y) && !FRepeating) {
            Click();
        } else {
            MouseLeft();
            if (FState == bsDown) {
                FState = FGroup.Down ? bsExclusive : bsUp;
                Redraw(true);
            }
        }
    }
}

void TToolbarButtonKt::RepeatTimerHandler()
{
    if (FRepeatTimer)
        FRepeatTimer->setInterval(FRepeatInterval);
    const QPoint at = mapFromGlobal(QCursor::pos());
    const bool held = QWidget::mouseGrabber() == this || gControlAtPointer;
    const QPoint pointer = gControlAtPointer ? (gControlAtPointer() == this ? at : QPoint(-1, -1)) : at;
    if (FRepeating && FDragging && held && (gControlAtPointer ? gControlAtPointer() == this : PointInButton(pointer.x(), pointer.y())))
        Click();
    else if (FRepeatTimer)
        FRepeatTimer->stop();
}

void TToolbarButtonKt::CancelMode()
{
    delete FRepeatTimer;
    FRepeatTimer = nullptr;
    if (FDragging) {
        FDragging = false;
        MouseLeft();
    }
}

bool TToolbarButtonKt::DialogKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))
        return false;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool wanted = (enter && FDefault) || (key == Qt::Key_Escape && FCancel);
    if (!wanted || !isEnabled() || !isVisible())
        return false;
    Click();
    return true;
}

bool TToolbarButtonKt::DialogChar(char key)
{
    const char accelerator = AcceleratorOf(FCaption);
    if (FDisplayMode == dmGlyphOnly || accelerator == 0 || !isEnabled() ||
        std::toupper(static_cast<unsigned char>(accelerator)) != std::toupper(static_cast<unsigned char>(key)))
        return false;
    Click();
    return true;
}

void TToolbarButtonKt::SysColorChange()
{
    if (gPattern && (gPatternFace != sysColor(clBtnFace) || gPatternHighlight != sysColor(clBtnHighlight)))
        gPattern.reset();
    FGlyph->Invalidate();
    FGlyph->CreateButtonGlyph(FState);
}

void TToolbarButtonKt::EnabledChanged()
{
    if (!isEnabled()) {
        FState = bsDisabled;
        FMouseInControl = false;
        FDragging = false;
        RemoveButtonMouseTimer();
        CancelMode();
    } else if (FState == bsDisabled) {
        FState = FGroup.Latched() ? bsExclusive : bsUp;
    }
    Redraw(true);
}

void TToolbarButtonKt::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    CallHandler(this, [this, button, at] { MouseDown(button, at.x(), at.y()); });
}

void TToolbarButtonKt::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const Qt::MouseButtons held = event->buttons();
    CallHandler(this, [this, held, at] { MouseMove(held, at.x(), at.y()); });
}

void TToolbarButtonKt::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    CallHandler(this, [this, button, at] { MouseUp(button, at.x(), at.y()); });
}

void TToolbarButtonKt::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPointer<TToolbarButtonKt> alive(this);
    mousePressEvent(event);
    if (alive && FGroup.Down && OnDblClick)
        CallHandler(this, [this] { OnDblClick(this); });
}

void TToolbarButtonKt::grabAccelerator()
{
    FShortcutId = GrabAccelerator(this, FShortcutId, FDisplayMode == dmGlyphOnly ? std::string() : FCaption);
}

bool TToolbarButtonKt::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut && static_cast<QShortcutEvent*>(event)->shortcutId() == FShortcutId &&
        FShortcutId != 0) {
        CallHandler(this, [this] { DialogChar(AcceleratorOf(FCaption)); });
        return true;
    }
    // A button shown in a dialog takes the keys the dialog's controls leave.
    if (event->type() == QEvent::Show)
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            TDialogKeys::Watch(dialog);
    return QWidget::event(event);
}

void TToolbarButtonKt::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        EnabledChanged();
        break;
    case QEvent::FontChange:
        Redraw(true);
        break;
    case QEvent::PaletteChange:
        SysColorChange();
        break;
    default:
        break;
    }
}
