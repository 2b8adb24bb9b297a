// listComboKt: the flat edit with a button at its right that drops a list above every window; the text
// area leaves room for the button and for up to two images at its left.
#include "toolbars/listComboKt.h"

#include <QMouseEvent>
#include <QPainter>

#include "platform/Buttons.h"
#include "platform/GraphicsQt.h"

namespace {

constexpr int kDefaultBoxWidth = 17;
constexpr int kDefaultListHeight = 120;

// A bitmap drawn transparent shows the parent through the colour of its bottom-left pixel.
QImage transparentImage(const QImage& value)
{
    if (value.isNull())
        return value;
    return MaskedImage(value.convertToFormat(QImage::Format_ARGB32),
                       value.pixel(0, value.height() - 1) | 0xFF000000u);
}

} // namespace

// ---------------------------------------------------------------- the dropped list

TmwScreenListBox::TmwScreenListBox(TlistComboKt* combo)
    : QListWidget(nullptr), FCombo(combo)
{
    // A window of the desktop that stays above the others and takes every press until it closes.
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    setGeometry(0, 0, 0, kDefaultListHeight);
}

void TmwScreenListBox::enterEvent(QEnterEvent* event)
{
    QListWidget::enterEvent(event);
    FMouseInside = true;
}

void TmwScreenListBox::leaveEvent(QEvent* event)
{
    QListWidget::leaveEvent(event);
    FMouseInside = false;
}

bool TmwScreenListBox::hideOnPressOutside(const QMouseEvent* event)
{
    // Presses come relative to the viewport or, from outside, to the window: the screen point decides.
    if (rect().contains(mapFromGlobal(event->globalPosition().toPoint())))
        return false;
    setEnabled(false);
    hide();
    return true;
}

// A press outside reaches the window itself, whose scroll area would pass it by.
bool TmwScreenListBox::event(QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && hideOnPressOutside(static_cast<QMouseEvent*>(event)))
        return true;
    return QListWidget::event(event);
}

void TmwScreenListBox::mousePressEvent(QMouseEvent* event)
{
    if (hideOnPressOutside(event))
        return;
    QListWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        FCombo->ListPressed(itemAt(viewport()->mapFromGlobal(event->globalPosition().toPoint())));
}

// ---------------------------------------------------------------- the list combo

TlistComboKt::TlistComboKt(QWidget* parent)
    : TEditKt(parent), FBox(new TSpeedButton(this)), FList(new TmwScreenListBox(this))
{
    FBox->setGeometry(220, 0, kDefaultBoxWidth, kDefaultBoxWidth);
    FBox->setCursor(Qt::ArrowCursor);
    FBox->OnClick = [this](TSpeedButton*) { BoxClick(); };
    resize(241, 21);
    placeBox();
}

TlistComboKt::~TlistComboKt()
{
    // The list is a window of its own, not a child.
    delete FList;
}

int TlistComboKt::BoxWidth() const { return FBox->width(); }

void TlistComboKt::SetBoxWidth(int value)
{
    FBox->resize(value, FBox->height());
    placeBox();
}

const QPixmap& TlistComboKt::BoxGlyph() const { return FBox->Glyph(); }

void TlistComboKt::SetBoxGlyph(const QPixmap& value) { FBox->SetGlyph(value); }

int TlistComboKt::ListHeight() const { return FList->height(); }

void TlistComboKt::SetListHeight(int value) { FList->resize(FList->width(), value); }

void TlistComboKt::SetImage(const QImage& value)
{
    FImage = transparentImage(value);
    SetEditRect();
    update();
}

void TlistComboKt::SetStateImage(const QImage& value)
{
    FStateImage = transparentImage(value);
    SetEditRect();
    update();
}

QStringList TlistComboKt::Items() const
{
    QStringList items;
    for (int i = 0; i < FList->count(); ++i)
        items.append(FList->item(i)->text());
    return items;
}

void TlistComboKt::SetItems(const QStringList& value)
{
    FList->clear();
    FList->addItems(value);
}

int TlistComboKt::ItemCount() const { return FList->count(); }

QString TlistComboKt::Item(int index) const
{
    const QListWidgetItem* item = FList->item(index);
    return item ? item->text() : QString();
}

int TlistComboKt::ItemIndex() const { return FList->currentRow(); }

void TlistComboKt::SetItemIndex(int value)
{
    FList->setCurrentRow(value, QItemSelectionModel::ClearAndSelect);
    setText(Item(value));
}

int TlistComboKt::SelCount() const { return static_cast<int>(FList->selectedItems().size()); }

bool TlistComboKt::Multiselect() const { return FList->selectionMode() == QAbstractItemView::MultiSelection; }

void TlistComboKt::SetMultiselect(bool value)
{
    FList->setSelectionMode(value ? QAbstractItemView::MultiSelection : QAbstractItemView::SingleSelection);
}

void TlistComboKt::BoxClick()
{
    const QPoint corner = mapToGlobal(QPoint(0, height()));
    // A window of its own inherits no font: it shows the combo's.
    FList->setFont(font());
    FList->setGeometry(corner.x(), corner.y(), width(), FList->height());
    FList->setEnabled(true);
    FList->show();
    FList->raise();
}

void TlistComboKt::ListPressed(QListWidgetItem* item)
{
    const QList<QListWidgetItem*> selected = FList->selectedItems();
    QString value;
    if (selected.size() == 1) {
        value = selected.first()->text();
    } else if (selected.size() > 1 && item) {
        if (item->isSelected()) {
            value = text() + "," + item->text();
        } else {
            // The press cleared the item: the text keeps the others.
            QStringList parts = text().split(',');
            parts.removeOne(item->text());
            value = parts.join(',');
        }
    } else if (selected.size() > 1) {
        value = text();
    }
    setText(value);
}

// The button stands at the right of the client area, 5 pixels short of the edit's width.
void TlistComboKt::placeBox()
{
    FBox->setGeometry(kClientEdge + width() - FBox->width() - 5, kClientEdge, FBox->width(), height() - 5);
    SetEditRect();
}

// The text starts after the images and ends 2 pixels before the button.
void TlistComboKt::SetEditRect()
{
    int left = 0;
    if (!FImage.isNull() && !FStateImage.isNull())
        left = FStateImage.width() + FImage.width() + 9;
    else if (!FImage.isNull())
        left = FImage.width() + 6;
    else if (!FStateImage.isNull())
        left = FStateImage.width() + 6;
    const int textRight = FBox->x() - 2;
    setTextMargins(left, 0, std::max(0, contentsRect().right() + 1 - textRight), 0);
}

void TlistComboKt::resizeEvent(QResizeEvent* event)
{
    TEditKt::resizeEvent(event);
    placeBox();
}

void TlistComboKt::paintEvent(QPaintEvent* event)
{
    TEditKt::paintEvent(event);
    if (FImage.isNull() && FStateImage.isNull())
        return;
    QPainter painter(this);
    const int clientHeight = height() - 2 * kClientEdge;
    const int y = kClientEdge + clientHeight / 2 - 7;
    const int x = kClientEdge + 3;
    if (!FStateImage.isNull() && !FImage.isNull()) {
        painter.drawImage(x, y, FStateImage);
        painter.drawImage(kClientEdge + FStateImage.width() + 6, y, FImage);
    } else {
        painter.drawImage(x, y, FImage.isNull() ? FStateImage : FImage);
    }
}
