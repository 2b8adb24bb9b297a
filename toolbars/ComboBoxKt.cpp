// ComboBoxKt: the flat combo box. Its frame is three one-pixel rings: two of button face and one of the
// window colour while idle; a sunken outer edge and the two inner rings while hot or focused. The
// drop-down button is a flat arrow cell, framed by button face while idle and by a raised edge (flat
// while its list is pressed down) while hot or focused.
#include "toolbars/ComboBoxKt.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include "platform/GraphicsQt.h"

namespace {

// One ring of one-pixel lines along the inside of `r`, which then shrinks by a pixel.
void ring(QPainter& painter, QRect& r, TColor colour)
{
    Frame3D(painter, r, colour, colour);
}

// The flat arrow cell of a combo box: button face with a shadow line around and the arrow in the middle.
void drawComboArrowCell(QPainter& painter, const QRect& cell, bool enabled)
{
    if (cell.width() <= 0 || cell.height() <= 0)
        return;
    QRect r = cell;
    DrawEdge(painter, r, BDR_SUNKENOUTER, BF_RECT | BF_FLAT | BF_MIDDLE);
    // A 7 by 4 triangle, point down.
    const QColor arrow = ToQColor(enabled ? clBtnText : clGrayText);
    const int x = cell.left() + (cell.width() - 7) / 2;
    const int y = cell.top() + (cell.height() - 4) / 2;
    for (int row = 0; row < 4; ++row)
        painter.fillRect(x + row, y + row, 7 - 2 * row, 1, arrow);
}

} // namespace

TCustomComboBoxKt::TCustomComboBoxKt(QWidget* parent) : QComboBox(parent)
{
    // The button is as wide as a vertical scroll bar and 2 pixels more, fixed once.
    FButtonWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this) + 2;
    setEditable(true);
    // The focus may lie on the box or its edit; either way the frame shows it.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (FDesigning || !FFlat)
            return;
        const auto mine = [this](QWidget* w) { return w && (w == this || w == lineEdit()); };
        if (mine(old) || mine(now))
            update();
    });
    applyColor();
}

void TCustomComboBoxKt::SetFlat(bool value)
{
    if (value == FFlat)
        return;
    FFlat = value;
    FCtl3D = !value;
    placeEditField();
    update();
}

void TCustomComboBoxKt::SetStyle(TComboBoxStyle value)
{
    FStyle = value;
    setEditable(value == csDropDown || value == csSimple);
    applyColor();
    placeEditField();
    update();
}

void TCustomComboBoxKt::SetCtl3D(bool value)
{
    FCtl3D = value;
    update();
}

void TCustomComboBoxKt::SetColor(TColor value)
{
    FColor = value;
    FParentColor = false;
    applyColor();
}

void TCustomComboBoxKt::SetParentColor(bool value)
{
    FParentColor = value;
    applyColor();
}

void TCustomComboBoxKt::SetDesigning(bool value)
{
    FDesigning = value;
    update();
}

TColor TCustomComboBoxKt::ShownColor() const
{
    if (FParentColor && parentWidget())
        return FromQColor(parentWidget()->palette().color(QPalette::Window));
    return FColor;
}

void TCustomComboBoxKt::applyColor()
{
    const QColor colour = ToQColor(ShownColor());
    QPalette p = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        p.setColor(group, QPalette::Base, colour);
    setPalette(p);
    if (lineEdit())
        lineEdit()->setPalette(p);
    update();
}

bool TCustomComboBoxKt::HotOrFocused() const
{
    if (FDesigning)
        return isEnabled();
    // The dropped list holds the keyboard for the box, which counts as focused meanwhile.
    const QWidget* focus = QApplication::focusWidget();
    return FMouseInControl || (focus && (focus == this || focus == lineEdit())) || listDropped();
}

QRect TCustomComboBoxKt::ButtonRect() const
{
    return QRect(width() - FButtonWidth, 0, FButtonWidth, height());
}

bool TCustomComboBoxKt::listDropped() const
{
    return view() && view()->window()->isVisible();
}

void TCustomComboBoxKt::setButtonState(uint8_t value)
{
    if (value == FButtonState)
        return;
    FButtonState = value;
    update();
}

void TCustomComboBoxKt::showPopup()
{
    QComboBox::showPopup();
    if (listDropped())
        setButtonState(kButtonPressed | kButtonTracking);
}

void TCustomComboBoxKt::hidePopup()
{
    QComboBox::hidePopup();
    setButtonState(0);
}

// The edit lies inside the frame and left of the button, where the flat frame leaves room for it.
void TCustomComboBoxKt::placeEditField()
{
    if (!FFlat || !lineEdit())
        return;
    const int right = FStyle == csSimple ? width() - 4 : width() - FButtonWidth - 2;
    lineEdit()->setGeometry(QRect(QPoint(4, 3), QPoint(right - 1, height() - 4)));
}

void TCustomComboBoxKt::resizeEvent(QResizeEvent* event)
{
    QComboBox::resizeEvent(event);
    placeEditField();
}

void TCustomComboBoxKt::showEvent(QShowEvent* event)
{
    QComboBox::showEvent(event);
    placeEditField();
}

void TCustomComboBoxKt::changeEvent(QEvent* event)
{
    QComboBox::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        if (!FFlat)
            break;
        // A disabled flat box shows its parent's colour; enabled again it gets its own back.
        if (!isEnabled()) {
            FSavedColor = FColor;
            FSavedParentColor = FParentColor;
            SetParentColor(true);
        } else {
            FColor = FSavedColor;
            SetParentColor(FSavedParentColor);
        }
        break;
    case QEvent::ParentChange:
    case QEvent::ParentAboutToChange:
        applyColor();
        break;
    case QEvent::StyleChange:
        placeEditField();
        break;
    default:
        break;
    }
}

void TCustomComboBoxKt::enterEvent(QEnterEvent* event)
{
    QComboBox::enterEvent(event);
    if (isEnabled() && !FMouseInControl) {
        FMouseInControl = true;
        update();
    }
}

void TCustomComboBoxKt::leaveEvent(QEvent* event)
{
    QComboBox::leaveEvent(event);
    if (FMouseInControl && isEnabled()) {
        FMouseInControl = false;
        update();
    }
}

void TCustomComboBoxKt::mousePressEvent(QMouseEvent* event)
{
    QComboBox::mousePressEvent(event);
    if (FFlat && listDropped())
        setButtonState(kButtonPressed | kButtonTracking);
}

void TCustomComboBoxKt::mouseMoveEvent(QMouseEvent* event)
{
    QComboBox::mouseMoveEvent(event);
    if ((FButtonState & kButtonTracking) && (FButtonState & kButtonPressed) &&
        !ButtonRect().contains(event->position().toPoint()))
        setButtonState(FButtonState & ~kButtonPressed);
}

void TCustomComboBoxKt::mouseReleaseEvent(QMouseEvent* event)
{
    QComboBox::mouseReleaseEvent(event);
    setButtonState(FButtonState & ~kButtonPressed);
}

void TCustomComboBoxKt::paintEvent(QPaintEvent* event)
{
    if (!FFlat) {
        QComboBox::paintEvent(event);
        return;
    }
    QPainter painter(this);
    if (FStyle != csSimple) {
        painter.fillRect(rect(), ToQColor(ShownColor()));
        drawComboArrowCell(painter, ButtonRect().adjusted(1, 1, -1, -1), isEnabled());
        if (!isEditable()) {
            // A list-only box shows its chosen item where the edit would be.
            const QRect text(QPoint(4, 3), QPoint(width() - FButtonWidth - 3, height() - 4));
            painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
            painter.drawText(text.adjusted(1, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, currentText());
        }
    }
    RedrawBorders(painter);
}

void TCustomComboBoxKt::RedrawBorders(QPainter& painter)
{
    const TPainterSave state(painter);
    const bool raised = HotOrFocused();
    QRect r = rect();
    if (!raised) {
        ring(painter, r, clBtnFace);
        ring(painter, r, clBtnFace);
        ring(painter, r, clWindow);
    } else {
        DrawEdge(painter, r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
        ring(painter, r, clBtnFace);
        ring(painter, r, clWindow);
    }
    if (FStyle == csSimple)
        return;
    const int w = width();
    const int h = height();
    // The arrow inside the button's border stays as the cell drew it.
    const QRect arrow(QPoint(w - FButtonWidth + 4, 4), QPoint(w - 5, h - 5));
    painter.setClipRegion(QRegion(rect()).subtracted(QRegion(arrow)));
    QRect button(QPoint(w - FButtonWidth, 2), QPoint(w - 3, h - 3));
    if (!raised)
        painter.fillRect(button.adjusted(1, 1, -1, -1), ToQColor(clBtnFace));
    else
        DrawEdge(painter, button, EDGE_RAISED,
                 (FButtonState & kButtonPressed) ? unsigned{BF_RECT | BF_FLAT} : unsigned{BF_RECT});
}

TComboBoxKt::TComboBoxKt(QWidget* parent) : TCustomComboBoxKt(parent)
{
    SetDropDownCount(8);
}
