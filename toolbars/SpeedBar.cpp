// SpeedBar: sections and items of the speed bar, its grid, orientation and alignment, painting and stored layout.
#include "toolbars/SpeedBar.h"

#include <QApplication>
#include <QEvent>
#include <QLayout>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <utility>

#include "components/AppUtils.h"
#include "components/KrConst.h"
#include "platform/Cursors.h"
#include "toolbars/SpeedBarSetup.h"
#include "platform/FontsQt.h"
#include "platform/GraphicsQt.h"
#include "platform/Win1252Qt.h"
#include "platform/ImageList.h"
#include "platform/core/Fonts.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kPositionRefused = 5450;       // "Cannot set this property value while Position is bpAuto"
constexpr int kDuplicateString = 65411;      // "String list does not allow duplicates"
constexpr int kDefaultButtonHeight = 23;
// The text flags of a button's alignment.
constexpr unsigned kAlignmentFlags[] = {DT_LEFT, DT_RIGHT, DT_CENTER};

} // namespace

namespace {

std::string shortHint(const std::string& hint)
{
    return hint.substr(0, hint.find('|'));
}

std::string longHint(const std::string& hint)
{
    const size_t bar = hint.find('|');
    return bar == std::string::npos ? hint : hint.substr(bar + 1);
}

} // namespace

// ---------------------------------------------------------------- button

TSpeedbarButton::TSpeedbarButton(TSpeedItem* item) : TKrSpeedButton(nullptr), FItem(item)
{
    hide();
    SetStyle(bsNew);
    SetSpacing(4);
}

void TSpeedbarButton::SetBounds(int left, int top, int width, int height)
{
    if (const TSpeedBar* bar = FItem->SpeedBar()) {
        if (bar->Orientation() == boHorizontal)
            top = std::max(top, bar->BtnOffsetVert());
        else
            left = std::max(left, bar->BtnOffsetHorz());
    }
    setGeometry(left, top, width, height);
}

TSpeedbarButton::~TSpeedbarButton() = default;

void TSpeedbarButton::MouseDown(Qt::MouseButton button, TShiftState shift, int x, int y)
{
    // In edit mode a press picks the button up instead of clicking it.
    TSpeedBar* bar = FItem->SpeedBar();
    if (bar && FItem->Editing() && button == Qt::LeftButton && isVisible()) {
        bar->beginButtonDrag(this);
        return;
    }
    TKrSpeedButton::MouseDown(button, shift, x, y);
}

void TSpeedbarButton::BeginDrag()
{
    const TSpeedBar* bar = FItem->SpeedBar();
    // The pointer goes to the button's bottom-right corner, where the image hangs from it.
    QCursor::setPos(mapToGlobal(QPoint(bar->BtnWidth(), bar->BtnHeight())));
    if (!FDragImage) {
        FDragImage = std::make_unique<TBtnControl>();
        FDragImage->AssignSpeedItem(FItem);
    }
    raise();
}

QPoint TSpeedbarButton::imageCorner(QPoint screenPoint) const
{
    const TSpeedBar* bar = FItem->SpeedBar();
    return screenPoint - QPoint(bar->BtnWidth(), bar->BtnHeight());
}

void TSpeedbarButton::DragMove(QPoint screenPoint)
{
    TSpeedBar* bar = FItem->SpeedBar();
    if (!bar || !FDragImage)
        return;
    hide();
    const QPoint corner = imageCorner(screenPoint);
    if (!bar->rect().contains(bar->mapFromGlobal(corner)))
        FDragImage->hide();
    else
        FDragImage->Activate(QRect(corner, QSize(bar->BtnWidth(), bar->BtnHeight())));
}

void TSpeedbarButton::EndDrag(QPoint screenPoint)
{
    FDragImage.reset();
    TSpeedBar* bar = FItem->SpeedBar();
    if (!bar)
        return;
    const QPoint at = bar->mapFromGlobal(imageCorner(screenPoint));
    if (!bar->rect().contains(at)) {
        // Off the bar: the item goes back to the setup window's list.
        FItem->SetVisible(false);
        bar->notifySetupWindow(SBR_CHANGED, reinterpret_cast<LPARAM>(bar));
    } else if (bar->AcceptDropItem(FItem, at.x(), at.y())) {
        bar->notifySetupWindow(SBR_BTNSELECT, reinterpret_cast<LPARAM>(FItem));
        update();
    } else {
        bar->notifySetupWindow(SBR_CHANGED, reinterpret_cast<LPARAM>(bar));
    }
}

void TSpeedbarButton::PaintGlyph(QPainter& canvas, const TRect& rect, TKrButtonState state, bool drawMark)
{
    const TSpeedBar* bar = FItem->SpeedBar();
    TImageList* images = bar ? bar->Images() : nullptr;
    if (!images || FItem->ImageIndex() < 0) {
        FItem->Glyph();
        TKrSpeedButton::PaintGlyph(canvas, rect, state, drawMark);
        return;
    }
    ButtonGlyph().DrawEx(canvas, rect, kAlignmentFlags[Alignment()], state, FItem->ImageIndex(), images, drawMark,
                         Spacing(), Margin(), Layout(), Caption());
}

// ---------------------------------------------------------------- drag image

TBtnControl::TBtnControl()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput)
{
    // A picture only: the drop is judged under the pointer, so the image must never catch it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setCursor(CursorOf(crDragHand));
}

TBtnControl::~TBtnControl() = default;

void TBtnControl::AssignSpeedItem(TSpeedItem* item)
{
    TSpeedbarButton* button = item->Button();
    FImage.SetAlignment(button->Alignment());
    FImage.SetGlyph(item->Glyph());
    FImage.SetNumGlyphs(button->NumGlyphs());
    FSpacing = button->Spacing();
    FMargin = button->Margin();
    FLayout = button->Layout();
    FImage.Caption = button->Caption();
    FImage.SetWordWrap(button->WordWrap());
    FImageIndex = item->ImageIndex();
    if (const TSpeedBar* bar = item->SpeedBar()) {
        FImages = bar->Images();
        setFont(bar->font());
        FImage.ButtonSize = {bar->BtnWidth(), bar->BtnHeight()};
    }
}

void TBtnControl::Activate(const QRect& rect)
{
    if (geometry().isEmpty() || !testAttribute(Qt::WA_Resized))
        setGeometry(rect);
    move(rect.topLeft());
    show();
    raise();
    if (!FPointer) {
        QApplication::setOverrideCursor(CursorOf(crDragHand));
        FPointer = std::make_unique<TScopeGuard>([] { QApplication::restoreOverrideCursor(); });
    }
}

void TBtnControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FImage.ButtonSize = {width(), height()};
}

void TBtnControl::paintEvent(QPaintEvent*)
{
    QPainter canvas(this);
    const QFont face = font();
    FImage.DrawEx(canvas, 0, 0, FMargin, FSpacing, FLayout, &face, FImageIndex >= 0 ? FImages : nullptr, FImageIndex,
                  kAlignmentFlags[FImage.Alignment()]);
}

TSpeedBar* FindSpeedBar(QPoint screenPoint)
{
    QWidget* widget = QApplication::widgetAt(screenPoint);
    // A button is a part of its bar, as a window-less control would be.
    if (dynamic_cast<TSpeedbarButton*>(widget))
        widget = widget->parentWidget();
    return qobject_cast<TSpeedBar*>(widget);
}

void DrawCellButton(QPainter& canvas, const QRect& cell, TSpeedItem* item, TButtonImage& image)
{
    if (!item)
        return;
    TSpeedbarButton* button = item->Button();
    const TSpeedBar* bar = item->SpeedBar();
    const TImageList* images = bar ? bar->Images() : nullptr;
    const bool fromList = images && item->ImageIndex() >= 0;
    image.SetGlyph(fromList ? QImage() : item->Glyph());
    image.SetAlignment(button->Alignment());
    image.SetNumGlyphs(button->NumGlyphs());
    image.Caption = button->Caption();
    image.SetWordWrap(button->WordWrap());
    if (bar)
        image.ButtonSize = {bar->BtnWidth(), bar->BtnHeight()};
    const QFont face = button->font();
    image.DrawEx(canvas, cell.left() + 1, cell.top() + 1, button->Margin(), button->Spacing(), button->Layout(), &face,
                 fromList ? images : nullptr, fromList ? item->ImageIndex() : -1,
                 kAlignmentFlags[button->Alignment()]);
    const QRect text(cell.left() + image.ButtonSize.X + 3, cell.top(), cell.width() - image.ButtonSize.X - 3, cell.height());
    DrawCellText(canvas, item->Caption(), TRect{text.left(), text.top(), text.right() + 1, text.bottom() + 1}, taLeftJustify,
                 vaCenter);
}

// ---------------------------------------------------------------- section

TSpeedbarSection::TSpeedbarSection(QObject* owner) : QObject(owner) {}

TSpeedbarSection::~TSpeedbarSection()
{
    for (TSpeedItem* item : FItems)
        item->FBar = nullptr, item->FSection = -1;
}

void TSpeedbarSection::SetCaption(const std::string& value)
{
    if (value == FCaption)
        return;
    if (FBar && !FBar->Loading()) {
        const int found = FBar->SearchSection(value);
        if (found >= 0 && FBar->Sections(found) != this)
            throw ESpeedbarError(LoadResString(kDuplicateString));
    }
    FCaption = value;
}

int TSpeedbarSection::Index() const
{
    if (!FBar)
        return -1;
    for (int i = 0; i < FBar->SectionCount(); ++i)
        if (FBar->Sections(i) == this)
            return i;
    return -1;
}

void TSpeedbarSection::SetIndex(int value)
{
    const int current = Index();
    if (current < 0)
        return;
    auto& list = FBar->FSections;
    value = std::clamp(value, 0, static_cast<int>(list.size()) - 1);
    if (value == current)
        return;
    std::unique_ptr<TSpeedbarSection> moved = std::move(list[current]);
    list.erase(list.begin() + current);
    list.insert(list.begin() + value, std::move(moved));
    for (int s = 0; s < static_cast<int>(list.size()); ++s)
        for (TSpeedItem* item : list[s]->FItems)
            item->FSection = s;
}

TSpeedItem* TSpeedbarSection::Item(int index) const
{
    return index >= 0 && index < Count() ? FItems[index] : nullptr;
}

// ---------------------------------------------------------------- item

TSpeedItem::TSpeedItem(QObject* owner) : QObject(owner), FButton(std::make_unique<TSpeedbarButton>(this)) {}

TSpeedItem::~TSpeedItem()
{
    if (FBar)
        FBar->RemoveItem(this);
    // The button goes before the item it refers to.
    FButton.reset();
}

void TSpeedItem::SetName(const std::string& value)
{
    const std::string old = Name();
    setObjectName(QString::fromStdString(value)); // Not editor text: an item's name, an identifier
    if (!FCaption.empty() && FCaption == old)
        SetCaption(value);
}

void TSpeedItem::SetCaption(const std::string& value)
{
    const std::string oldHint = Hint();
    // The hint follows the caption of a loose item, and while it still starts with the caption it was
    // made from.
    const bool follow = !qobject_cast<QWidget*>(parent()) || FCaption == shortHint(oldHint);
    FCaption = value;
    if (follow)
        SetHint(SpeedItemHint(value, oldHint));
}

void TSpeedItem::SetHint(const std::string& value)
{
    FButton->SetHint(value);
    FButton->setToolTip(FromEditorText(shortHint(value)));
    // Entering the button sends the long part to the window's hint panel.
    FButton->setStatusTip(FromEditorText(longHint(value)));
}

void TSpeedItem::applyEnabled()
{
    if (FEditing)
        return;
    FButton->setEnabled(FEnabled && (!FBar || FBar->isEnabled()));
}

void TSpeedItem::SetEnabled(bool value)
{
    FEnabled = value;
    applyEnabled();
}

void TSpeedItem::SetGlyph(const QImage& value)
{
    FGlyphSource = nullptr;
    FButton->SetGlyph(value);
}

void TSpeedItem::SetGlyphSource(std::function<QImage()> source)
{
    FGlyphSource = std::move(source);
    if (FVisible)
        Glyph();
}

const QImage& TSpeedItem::Glyph()
{
    if (FGlyphSource)
        FButton->SetGlyph(std::exchange(FGlyphSource, nullptr)());
    return FButton->Glyph();
}

void TSpeedItem::SetVisible(bool value)
{
    if (value)
        Glyph();
    const bool parented = !FBar || FButton->parentWidget() == FBar;
    if (FButton->isVisibleTo(FButton->parentWidget()) == value && FVisible == value && (!value || parented))
        return;
    FVisible = value;
    if (value && FBar && FButton->parentWidget() != FBar)
        FButton->setParent(FBar);
    FButton->setVisible(value && (!FBar || !FBar->isHidden()));
}

void TSpeedItem::SetLeft(int value)
{
    FButton->SetBounds(value, Top(), FButton->width(), FButton->height());
}

void TSpeedItem::SetTop(int value)
{
    FButton->SetBounds(Left(), value, FButton->width(), FButton->height());
}

void TSpeedItem::SetImageIndex(int value)
{
    if (value == FImageIndex)
        return;
    FImageIndex = value;
    FButton->ButtonGlyph().Invalidate();
    FButton->update();
}

void TSpeedItem::SetTag(int value)
{
    FTag = value;
    FButton->setProperty("Tag", value);
}

void TSpeedItem::SetEditing(bool value)
{
    FEditing = value;
    if (value) {
        FButton->setEnabled(true);
        FButton->SetFlat(false);
        return;
    }
    FButton->SetFlat(FBar && (FBar->Options() & sbFlatBtns));
    applyEnabled();
}

void TSpeedItem::ButtonClick()
{
    FButton->Click();
}

// ---------------------------------------------------------------- bar

TSpeedBar::TSpeedBar(QWidget* parent) : QWidget(parent)
{
    FIniLink.OnSave = [this](QObject*) { SaveLayout(); };
    FIniLink.OnLoad = [this](QObject*) { RestoreLayout(); };
    FOffsetX = FOffsetY = MinButtonsOffset();
    updateGrid();
    setAutoFillBackground(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Moves without a button show the sizing pointer over the edge of a bar being edited.
    setMouseTracking(true);
    SetFontDefault();
    SetBarSize(parent ? parent->width() : 100, 2 * FOffsetY + kDefaultButtonHeight);
    if (parent)
        parent->installEventFilter(this);
}

TSpeedBar::~TSpeedBar()
{
    OnApplyAlign = nullptr;
    OnCustomize = nullptr;
    OnPosChanged = nullptr;
    OnVisibleChanged = nullptr;
    FIniLink.SetStorage(nullptr);
    // The setup window closes and forgets the bar before any of it goes.
    notifySetupWindow(SBR_DESTROYED, reinterpret_cast<LPARAM>(this));
    if (FMouse.Outline.isValid())
        showOutline(QRect());
    // Items free their buttons, which are the bar's children: they go before the bar's widgets do.
    while (!FSections.empty())
        DeleteSection(SectionCount() - 1);
}

TSpeedbarSection* TSpeedBar::Sections(int index) const
{
    return index >= 0 && index < SectionCount() ? FSections[index].get() : nullptr;
}

int TSpeedBar::ItemsCount(int section) const
{
    const TSpeedbarSection* s = Sections(section);
    return s ? s->Count() : 0;
}

TSpeedItem* TSpeedBar::Items(int section, int index) const
{
    const TSpeedbarSection* s = Sections(section);
    return s ? s->Item(index) : nullptr;
}

int TSpeedBar::AddSection(TSpeedbarSection* section)
{
    const std::string first = section->FCaption;
    for (int n = 1; SearchSection(section->FCaption) >= 0; ++n)
        section->FCaption = first + Format(" (%d)", n);
    section->setParent(nullptr);
    FSections.emplace_back(section);
    section->FBar = this;
    const int index = SectionCount() - 1;
    for (TSpeedItem* item : section->FItems) {
        item->FSection = index;
        prepareItem(item);
    }
    return index;
}

void TSpeedBar::ForEachItem(const std::function<void(TSpeedItem*)>& proc) const
{
    for (const auto& section : FSections)
        if (section)
            for (TSpeedItem* item : std::vector<TSpeedItem*>(section->FItems))
                if (item)
                    proc(item);
}

void TSpeedBar::SetFontDefault()
{
    QFont menu = QApplication::font("QMenu");
    if (menu.family().isEmpty()) {
        // No menu font from the platform: the classic dialog font as the layer resolves it.
        if (TFontHandle font = MakeEditorFont("MS Sans Serif", 8, 0, DEFAULT_CHARSET, false))
            menu = ToQFont(*font);
    }
    setFont(menu);
}

void TSpeedBar::prepareItem(TSpeedItem* item)
{
    item->FBar = this;
    TSpeedbarButton* button = item->FButton.get();
    if (!FLoading)
        button->setGeometry(0, 0, FBtnWidth, FBtnHeight);
    button->SetStyle(bsNew);
    button->SetFlat(FOptions & sbFlatBtns);
    button->SetTransparent(FOptions & sbTransparentBtns);
    button->SetGrayedInactive(FOptions & sbGrayedBtns);
    item->SetEditing(Editing());
    button->hide();
    button->setParent(this);
    if (item->FVisible) {
        item->FVisible = false;
        item->SetVisible(true);
    }
}

void TSpeedBar::AddItem(int section, TSpeedItem* item)
{
    if (!item)
        return;
    int oldSection = -1, oldIndex = -1;
    if (FindItem(item, oldSection, oldIndex)) {
        auto& from = FSections[oldSection]->FItems;
        from.erase(from.begin() + oldIndex);
        const int target = std::min(section, SectionCount() - 1);
        FSections[target]->FItems.push_back(item);
        item->FSection = target;
        return;
    }
    if (section < 0)
        return;
    if (FSections.empty())
        AddSection(new TSpeedbarSection);
    section = std::min(section, SectionCount() - 1);
    FSections[section]->FItems.push_back(item);
    item->FSection = section;
    prepareItem(item);
}

void TSpeedBar::detachItem(TSpeedItem* item)
{
    item->FBar = nullptr;
    item->FSection = -1;
    item->FButton->hide();
    item->FButton->setParent(nullptr);
}

void TSpeedBar::RemoveItem(TSpeedItem* item)
{
    int section = -1, index = -1;
    if (!FindItem(item, section, index))
        return;
    auto& items = FSections[section]->FItems;
    items.erase(items.begin() + index);
    detachItem(item);
}

void TSpeedBar::RemoveSection(int index)
{
    TSpeedbarSection* section = Sections(index);
    if (!section)
        return;
    for (TSpeedItem* item : section->FItems)
        detachItem(item);
    section->FItems.clear();
    section->FBar = nullptr;
    (void)FSections[index].release();
    FSections.erase(FSections.begin() + index);
}

void TSpeedBar::DeleteSection(int index)
{
    TSpeedbarSection* section = Sections(index);
    if (!section)
        return;
    const std::vector<TSpeedItem*> items = section->FItems;
    section->FItems.clear();
    for (TSpeedItem* item : items) {
        detachItem(item);
        delete item;
    }
    FSections.erase(FSections.begin() + index);
}

int TSpeedBar::SearchSection(const std::string& caption) const
{
    for (int i = 0; i < SectionCount(); ++i)
        if (FSections[i]->FCaption == caption)
            return i;
    return -1;
}

TSpeedItem* TSpeedBar::SearchItem(const std::string& name) const
{
    TSpeedItem* found = nullptr;
    ForEachItem([&](TSpeedItem* item) {
        if (!found && SameText(item->Name(), name))
            found = item;
    });
    return found;
}

bool TSpeedBar::FindItem(const TSpeedItem* item, int& section, int& index) const
{
    for (int s = 0; s < SectionCount(); ++s) {
        const auto& items = FSections[s]->FItems;
        const auto it = std::find(items.begin(), items.end(), item);
        if (it != items.end()) {
            section = s;
            index = static_cast<int>(it - items.begin());
            return true;
        }
    }
    return false;
}

bool TSpeedBar::AcceptDropItem(TSpeedItem* item, int x, int y)
{
    int section = -1, index = -1;
    if (!item || !FindItem(item, section, index))
        return false;
    const bool horizontal = FOrientation == boHorizontal;
    const int left = SpeedbarSnap(x, FOffsetX, FGridX, !horizontal);
    const int top = SpeedbarSnap(y, FOffsetY, FGridY, horizontal);
    item->FButton->SetBounds(left, top, FBtnWidth, FBtnHeight);
    const bool inside = rect().contains(QPoint(item->Left(), item->Top()));
    if (inside)
        item->FButton->raise();
    else
        item->FButton->lower();
    item->SetVisible(inside);
    return inside;
}

void TSpeedBar::AlignItemsToGrid()
{
    const bool horizontal = FOrientation == boHorizontal;
    ForEachItem([&](TSpeedItem* item) {
        if (item->Visible())
            item->FButton->SetBounds(SpeedbarSnap(item->Left(), FOffsetX, FGridX, !horizontal),
                                     SpeedbarSnap(item->Top(), FOffsetY, FGridY, horizontal), FBtnWidth, FBtnHeight);
    });
}

void TSpeedBar::SetEditing(QWidget* window)
{
    FEditWin = window;
    const bool editing = window != nullptr;
    ForEachItem([editing](TSpeedItem* item) { item->SetEditing(editing); });
    if (!editing && OnCustomize)
        OnCustomize(this);
}

int TSpeedBar::BtnSize(int index) const
{
    return index == 0 ? FBtnWidth : index == 1 ? FBtnHeight : 0;
}

int TSpeedBar::MinButtonsOffset() const
{
    int offset = (FOptions & sbFlatBtns) ? 0 : 2;
    offset += FBorderWidth;
    if (FBevelOuter != bvNone)
        offset += FBevelWidth;
    if (FBevelInner != bvNone)
        offset += FBevelWidth;
    return offset;
}

void TSpeedBar::updateGrid()
{
    const int step = SpeedbarGridStep(FOrientation == boHorizontal ? FBtnWidth : FBtnHeight);
    if (FOrientation == boHorizontal) {
        FGridX = step;
        FGridY = FBtnHeight;
    } else {
        FGridY = step;
        FGridX = FBtnWidth;
    }
}

void TSpeedBar::moveItems(int dx, int dy)
{
    if (dx == 0 && dy == 0)
        return;
    ForEachItem([&](TSpeedItem* item) {
        item->FButton->setGeometry(item->Left() + dx, item->Top() + dy, item->FButton->width(),
                                   item->FButton->height());
    });
}

void TSpeedBar::SetBtnOffsetHorz(int value)
{
    value = std::max(value, MinButtonsOffset());
    const int dx = value - FOffsetX;
    FOffsetX = value;
    moveItems(dx, 0);
    ensureThickness();
}

void TSpeedBar::SetBtnOffsetVert(int value)
{
    value = std::max(value, MinButtonsOffset());
    const int dy = value - FOffsetY;
    FOffsetY = value;
    moveItems(0, dy);
    ensureThickness();
}

void TSpeedBar::raiseOffsets()
{
    const int least = MinButtonsOffset();
    const int dx = std::max(0, least - FOffsetX);
    const int dy = std::max(0, least - FOffsetY);
    FOffsetX += dx;
    FOffsetY += dy;
    if (!FLoading)
        moveItems(dx, dy);
}

void TSpeedBar::resizeButtons()
{
    ForEachItem([this](TSpeedItem* item) {
        item->FButton->SetBounds(item->Left(), item->Top(), FBtnWidth, FBtnHeight);
    });
}

void TSpeedBar::ensureThickness()
{
    QSize size = FBarSize;
    const int frame = height() - contentsRect().height();
    if (FOrientation == boHorizontal)
        size.setHeight(std::max(size.height(), 2 * FOffsetY + FBtnHeight + frame));
    else
        size.setWidth(std::max(size.width(), 2 * FOffsetX + FBtnWidth + frame));
    if (size != FBarSize)
        SetBarSize(size.width(), size.height());
}

void TSpeedBar::SetBtnWidth(int value)
{
    if (value == FBtnWidth || value < 1)
        return;
    FBtnWidth = value;
    buttonSizeChanged();
}

void TSpeedBar::SetBtnHeight(int value)
{
    if (value == FBtnHeight || value < 1)
        return;
    FBtnHeight = value;
    buttonSizeChanged();
}

void TSpeedBar::buttonSizeChanged()
{
    updateGrid();
    ensureThickness();
    resizeButtons();
    layoutChanged();
}

void TSpeedBar::layoutChanged()
{
    // The open setup window sizes its lists of buttons again.
    notifySetupWindow(SBR_BTNSIZECHANGED, reinterpret_cast<LPARAM>(this));
}

void TSpeedBar::notifySetupWindow(WPARAM code, LPARAM param)
{
    if (auto* target = dynamic_cast<TMessageTarget*>(FEditWin.data()))
        target->Perform(CM_SPEEDBARCHANGED, code, param);
}

void TSpeedBar::Customize(int helpContext)
{
    ShowSpeedbarSetupWindow(this, helpContext);
}

void TSpeedBar::switchOrientation(TBarOrientation value)
{
    if (value == FOrientation)
        return;
    {
        FUpdating = true;
        TScopeGuard painting([this] { FUpdating = false; });
        FOrientation = value;
        std::swap(FBtnWidth, FBtnHeight);
        std::swap(FGridX, FGridY);
        std::swap(FOffsetX, FOffsetY);
        ForEachItem([this](TSpeedItem* item) {
            item->FButton->setGeometry(item->Top(), item->Left(), FBtnWidth, FBtnHeight);
        });
    }
    ensureThickness();
    update();
    layoutChanged();
}

void TSpeedBar::SetPosition(TBarPosition value)
{
    FPosition = value;
    if (value == bpAuto && (FAlign == alTop || FAlign == alBottom))
        switchOrientation(boHorizontal);
    else if (value == bpAuto && (FAlign == alLeft || FAlign == alRight))
        switchOrientation(boVertical);
}

void TSpeedBar::SetAlign(TAlign value)
{
    if (value == FAlign)
        return;
    if (FPosition == bpAuto && (value == alNone || value == alClient))
        throw ESpeedbarError(LoadResString(kPositionRefused));
    // A bar moved between the top or bottom and a side keeps its thickness across its rows.
    const auto lying = [](TAlign a) { return a == alTop || a == alBottom; };
    const auto standing = [](TAlign a) { return a == alLeft || a == alRight; };
    if (!FLoading && ((lying(FAlign) && standing(value)) || (standing(FAlign) && lying(value))))
        FBarSize.transpose();
    FAlign = value;
    if (FPosition == bpAuto) {
        if (value == alTop || value == alBottom)
            switchOrientation(boHorizontal);
        else if (value == alLeft || value == alRight)
            switchOrientation(boVertical);
    }
    applyAlign();
}

void TSpeedBar::SetOptions(TSpeedbarOptions value)
{
    const bool flatChanged = ((value ^ FOptions) & sbFlatBtns) != 0;
    FOptions = value;
    ForEachItem([value](TSpeedItem* item) {
        if (!item->Editing())
            item->FButton->SetFlat(value & sbFlatBtns);
        item->FButton->SetTransparent(value & sbTransparentBtns);
        item->FButton->SetGrayedInactive(value & sbGrayedBtns);
    });
    updateGrid();
    if (flatChanged)
        raiseOffsets();
    update();
}

void TSpeedBar::SetBarSize(int width, int height)
{
    FBarSize = QSize(width, height);
    resize(FBarSize);
    updateGeometry();
    applyAlign();
}

QSize TSpeedBar::sizeHint() const
{
    return FBarSize;
}

void TSpeedBar::applyAlign()
{
    // In a layout the bar keeps its thickness across the rows and stretches along them.
    const bool across = FAlign == alTop || FAlign == alBottom;
    const bool along = FAlign == alLeft || FAlign == alRight;
    setSizePolicy(across ? QSizePolicy::Expanding : QSizePolicy::Fixed,
                  along ? QSizePolicy::Expanding : QSizePolicy::Fixed);
    QWidget* parent = parentWidget();
    if (!parent || parent->layout() || isWindow())
        return;
    // A bar placed by hand lies along its edge of the parent.
    const QRect area = parent->contentsRect();
    switch (FAlign) {
    case alTop: setGeometry(area.left(), area.top(), area.width(), FBarSize.height()); break;
    case alBottom: setGeometry(area.left(), area.bottom() + 1 - FBarSize.height(), area.width(), FBarSize.height()); break;
    case alLeft: setGeometry(area.left(), area.top(), FBarSize.width(), area.height()); break;
    case alRight: setGeometry(area.right() + 1 - FBarSize.width(), area.top(), FBarSize.width(), area.height()); break;
    case alClient: setGeometry(area); break;
    case alNone: break;
    }
}

bool TSpeedBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        applyAlign();
    return QWidget::eventFilter(watched, event);
}

void TSpeedBar::ChangeScale(int multiplier, int divider)
{
    if (divider == 0 || multiplier == divider)
        return;
    const auto scale = [&](int value) { return static_cast<int>(std::lround(static_cast<double>(value) * multiplier / divider)); };
    FOffsetX = scale(FOffsetX);
    FOffsetY = scale(FOffsetY);
    FBtnWidth = std::max(1, scale(FBtnWidth));
    FBtnHeight = std::max(1, scale(FBtnHeight));
    updateGrid();
    SetBarSize(scale(FBarSize.width()), scale(FBarSize.height()));
    resizeButtons();
    AlignItemsToGrid();
}

void TSpeedBar::Loaded()
{
    FLoading = false;
    updateGrid();
    ForEachItem([this](TSpeedItem* item) {
        item->FButton->SetBounds(item->Left(), item->Top(), FBtnWidth, FBtnHeight);
        item->FButton->setVisible(item->Visible());
    });
}

void TSpeedBar::SetBevelInner(TBevelCut value)
{
    FBevelInner = value;
    raiseOffsets();
    update();
}

void TSpeedBar::SetBevelOuter(TBevelCut value)
{
    FBevelOuter = value;
    raiseOffsets();
    update();
}

void TSpeedBar::SetBevelWidth(int value)
{
    FBevelWidth = std::max(1, value);
    raiseOffsets();
    update();
}

void TSpeedBar::SetBorderWidth(int value)
{
    FBorderWidth = std::max(0, value);
    raiseOffsets();
    update();
}

void TSpeedBar::SetBoundLines(TBoundLines value)
{
    FBoundLines = value;
    update();
}

void TSpeedBar::SetWallpaper(const QImage& value)
{
    FWallpaper = value;
    update();
}

void TSpeedBar::SetImages(TImageList* value)
{
    FImages = value;
    ForEachItem([](TSpeedItem* item) {
        item->FButton->ButtonGlyph().Invalidate();
        item->FButton->update();
    });
}

// ---------------------------------------------------------------- visibility and enabling

void TSpeedBar::visibilityChanged()
{
    if (FLoading)
        return;
    ForEachItem([this](TSpeedItem* item) { item->FButton->setVisible(item->Visible() && !isHidden()); });
    if (OnVisibleChanged)
        OnVisibleChanged(this);
}

void TSpeedBar::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    visibilityChanged();
}

void TSpeedBar::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    visibilityChanged();
}

void TSpeedBar::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !FLoading)
        ForEachItem([](TSpeedItem* item) { item->applyEnabled(); });
}

// ---------------------------------------------------------------- painting

QRect TSpeedBar::innerRect() const
{
    int inset = FBorderWidth;
    if (FBevelOuter != bvNone)
        inset += FBevelWidth;
    if (FBevelInner != bvNone)
        inset += FBevelWidth;
    return rect().adjusted(inset, inset, -inset, -inset);
}

void TSpeedBar::paintEvent(QPaintEvent*)
{
    if (FUpdating)
        return;
    QPainter canvas(this);
    canvas.fillRect(rect(), ToQColor(clBtnFace));
    const auto bevel = [&](QRect& r, TBevelCut cut) {
        if (cut == bvNone)
            return;
        const TColor light = cut == bvRaised ? clBtnHighlight : clBtnShadow;
        const TColor dark = cut == bvRaised ? clBtnShadow : clBtnHighlight;
        for (int i = 0; i < FBevelWidth; ++i)
            Frame3D(canvas, r, light, dark);
    };
    QRect frame = rect();
    bevel(frame, FBevelOuter);
    frame.adjust(FBorderWidth, FBorderWidth, -FBorderWidth, -FBorderWidth);
    bevel(frame, FBevelInner);

    if (!FWallpaper.isNull()) {
        const QRect inner = innerRect();
        TPainterSave saved(canvas);
        canvas.setClipRect(inner);
        if (FOptions & sbStretchBitmap) {
            canvas.drawImage(inner, FWallpaper);
        } else {
            const int columns = (width() - 2 * FBorderWidth) / FWallpaper.width();
            const int rows = (height() - 2 * FBorderWidth) / FWallpaper.height();
            for (int row = 0; row <= rows; ++row)
                for (int column = 0; column <= columns; ++column)
                    canvas.drawImage(inner.left() + column * FWallpaper.width(), inner.top() + row * FWallpaper.height(),
                                     FWallpaper);
        }
    }

    const int right = width() - 1;
    const int bottom = height() - 1;
    const auto line = [&](int x1, int y1, int x2, int y2, TColor color) {
        canvas.setPen(ToQColor(color));
        canvas.drawLine(x1, y1, x2, y2);
    };
    if (FBoundLines.Contains(blTop)) {
        line(0, 0, right, 0, clBtnShadow);
        line(0, 1, right, 1, clBtnHighlight);
    }
    if (FBoundLines.Contains(blBottom)) {
        line(0, bottom - 1, right, bottom - 1, clBtnShadow);
        line(0, bottom, right, bottom, clBtnHighlight);
    }
    if (FBoundLines.Contains(blLeft)) {
        line(0, 0, 0, bottom, clBtnShadow);
        line(1, FBoundLines.Contains(blTop) ? 1 : 0, 1, bottom, clBtnHighlight);
    }
    if (FBoundLines.Contains(blRight)) {
        line(right - 1, 0, right - 1, FBoundLines.Contains(blBottom) ? bottom - 1 : bottom, clBtnShadow);
        line(right, 0, right, bottom, clBtnHighlight);
    }
}

// ---------------------------------------------------------------- stored layout

int TSpeedBar::ScreenPixelsPerInch()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? static_cast<int>(std::lround(screen->logicalDotsPerInch())) : 96;
}

std::string TSpeedBar::LayoutSection() const
{
    return FIniLink.RootSection() + GetDefaultSection(this);
}

void TSpeedBar::SaveLayout()
{
    const TIniObject ini = FIniLink.IniObject();
    if (objectName().isEmpty() || !IniStorage() || ini.IsNull())
        return;
    const std::string section = LayoutSection();
    IniEraseSection(ini, section);
    IniWriteInteger(ini, section, "Position", FAlign);
    if (FAlign == alTop || FAlign == alBottom)
        IniWriteInteger(ini, section, "Width", height());
    else if (FAlign == alLeft || FAlign == alRight)
        IniWriteInteger(ini, section, "Width", width());
    IniWriteInteger(ini, section, "Version", FVersion);
    IniWriteInteger(ini, section, "PixelsPerInch", ScreenPixelsPerInch());
    IniWriteInteger(ini, section, "BtnWidth", FBtnWidth);
    IniWriteInteger(ini, section, "BtnHeight", FBtnHeight);
    std::vector<TSpeedbarEntry> entries;
    ForEachItem([&](TSpeedItem* item) {
        if (item->Visible() && item->Stored())
            entries.push_back({item->Name(), item->Left(), item->Top()});
    });
    WriteSpeedbarEntries(ini, section, entries);
}

void TSpeedBar::RestoreLayout()
{
    const TIniObject ini = FIniLink.IniObject();
    if (objectName().isEmpty() || !IniStorage() || ini.IsNull())
        return;
    const std::string section = LayoutSection();
    const TAlign before = FAlign;
    if (IniReadInteger(ini, section, "Version", FVersion) < FVersion)
        return;
    if (FOptions & sbAllowDrag) {
        const int stored = IniReadInteger(ini, section, "Position", FAlign);
        try {
            if (stored < alNone || stored > alClient)
                throw ESpeedbarError(LoadResString(kPositionRefused));
            SetAlign(static_cast<TAlign>(stored));
        } catch (const ESpeedbarError&) {
            SetAlign(alTop);
        }
    }
    const QWidget* form = window() != this ? window() : nullptr;
    const int formPixels = form ? static_cast<int>(std::lround(form->logicalDpiY())) : 0;
    const bool changed = FAlign != before;
    if (IniReadInteger(ini, section, "PixelsPerInch", formPixels) != ScreenPixelsPerInch()) {
        if (changed && OnPosChanged)
            OnPosChanged(this);
        return;
    }
    if (FOptions & sbAllowResize) {
        if (FAlign == alTop || FAlign == alBottom)
            SetBarSize(FBarSize.width(), IniReadInteger(ini, section, "Width", FBarSize.height()));
        else if (FAlign == alLeft || FAlign == alRight)
            SetBarSize(IniReadInteger(ini, section, "Width", FBarSize.width()), FBarSize.height());
    }
    if (changed && OnPosChanged)
        OnPosChanged(this);
    int items = 0;
    ForEachItem([&](TSpeedItem*) { ++items; });
    if (IniReadInteger(ini, section, "Count", 0) > 0)
        ForEachItem([](TSpeedItem* item) { item->SetVisible(false); });
    for (const TSpeedbarEntry& entry : ReadSpeedbarEntries(ini, section, items)) {
        TSpeedItem* item = SearchItem(entry.Name);
        if (!item)
            continue;
        item->FButton->SetBounds(std::max(entry.Left.value_or(item->Left()), FOffsetX),
                                 std::max(entry.Top.value_or(item->Top()), FOffsetY), FBtnWidth, FBtnHeight);
        item->SetVisible(true);
    }
    update();
}
