// The button and check edits: the control at the edge is a square as high as the client area, and
// the edit's text margins keep the text two pixels clear of it.
#include "components/VeltranEdit.h"

#include <QCheckBox>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <algorithm>

#include "platform/GraphicsQt.h"

namespace {

// Room between the edge control and the text.
constexpr int kTextGap = 2;
// The edge control's square is the edit's height less this (the edges above and below).
constexpr int kEdgeInset = 4;
// Size of the check box inside its frame.
constexpr int kCheckBoxSize = 13;

// A piece of the check frame. It keeps the mouse's clicks to itself, so that a click on the frame
// beside the box does not move the caret.
class TFramePiece : public QWidget {
public:
    explicit TFramePiece(QWidget* parent) : QWidget(parent) {}

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override { event->accept(); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { event->accept(); }
};

// A rectangle filled with the button face and outlined in black.
class TFaceShape : public TFramePiece {
public:
    using TFramePiece::TFramePiece;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(Qt::black);
        painter.setBrush(ToQColor(clBtnFace));
        painter.drawRect(0, 0, width() - 1, height() - 1);
    }
};

// A raised box: light top and left edges, shadowed right and bottom ones.
class TRaisedBevel : public TFramePiece {
public:
    using TFramePiece::TFramePiece;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        int right = width() - 1;
        int bottom = height() - 1;
        painter.setPen(ToQColor(clBtnHighlight));
        painter.drawLine(0, 0, 0, bottom);
        painter.drawLine(1, 0, right - 1, 0);
        painter.setPen(ToQColor(clBtnShadow));
        painter.drawLine(right, 0, right, bottom);
        painter.drawLine(1, bottom, right - 1, bottom);
    }
};

// A check box without caption whose indicator fills the whole widget, however small the style
// would draw it.
class TBareCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.rect = rect();
        painter.drawPrimitive(QStyle::PE_IndicatorCheckBox, option);
    }
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

} // namespace

// ---------------------------------------------------------------- TEdgeControlEdit

TEdgeControlEdit::TEdgeControlEdit(QWidget* parent) : QLineEdit(parent) {}

QPoint TEdgeControlEdit::ClientOrigin() const
{
    int edge = hasFrame() ? kClientEdge : 0;
    return {edge, edge};
}

int TEdgeControlEdit::ClientWidth() const
{
    return std::max(0, width() - 2 * ClientOrigin().x());
}

int TEdgeControlEdit::ClientHeight() const
{
    return std::max(0, height() - 2 * ClientOrigin().y());
}

QRect TEdgeControlEdit::textContents() const
{
    QStyleOptionFrame option;
    initStyleOption(&option);
    return style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
}

TRect TEdgeControlEdit::FormattingRect() const
{
    QRect contents = textContents();
    QMargins margins = textMargins();
    QPoint origin = ClientOrigin();
    TRect rect;
    rect.Left = contents.left() + margins.left() - origin.x();
    rect.Right = contents.left() + contents.width() - margins.right() - origin.x();
    rect.Top = FRectTop;
    rect.Bottom = FRectBottom < 0 ? ClientHeight() : FRectBottom;
    return rect;
}

void TEdgeControlEdit::SetFormattingRect(const TRect& rect)
{
    int left = std::clamp(rect.Left, 0, ClientWidth());
    int right = std::clamp(rect.Right, left, ClientWidth());
    // The style's contents rectangle need not start where the client area does: the margins are
    // what lies between the two.
    QRect contents = textContents();
    QPoint origin = ClientOrigin();
    int leftMargin = std::max(0, origin.x() + left - contents.left());
    int rightMargin = std::max(0, contents.left() + contents.width() - origin.x() - right);
    setTextMargins(leftMargin, 0, rightMargin, 0);
    FRectTop = rect.Top;
    FRectBottom = std::max(0, rect.Bottom);
}

TRect TEdgeControlEdit::ChildBounds(const QWidget* child) const
{
    QRect g = child->geometry().translated(-ClientOrigin());
    return {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()};
}

TRect TEdgeControlEdit::EdgeSquare(TLeftRight pos) const
{
    int side = std::max(0, height() - kEdgeInset);
    if (pos == taLeftJustify)
        return {0, 0, side, side};
    int left = width() - side - kEdgeInset;
    return {left, 0, left + side, side};
}

void TEdgeControlEdit::SetChildBounds(QWidget* child, const TRect& bounds)
{
    QPoint origin = ClientOrigin();
    child->setGeometry(bounds.Left + origin.x(), bounds.Top + origin.y(), bounds.Width(), bounds.Height());
}

void TEdgeControlEdit::SetTextArea(bool controlVisible, TLeftRight pos, int controlWidth)
{
    // The bottom lies one below the client area, as a multi-line edit's rectangle would.
    TRect area{0, 0, ClientWidth(), ClientHeight() + 1};
    if (controlVisible) {
        if (pos == taLeftJustify)
            area.Left = controlWidth + kTextGap;
        else
            area.Right = ClientWidth() - controlWidth - kTextGap;
    }
    SetFormattingRect(area);
    update();
}

void TEdgeControlEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    PlaceEdgeControl();
}

// ---------------------------------------------------------------- TBtnEdit

TBtnEdit::TBtnEdit(QWidget* parent) : TEdgeControlEdit(parent), FButton(new TSpeedButton(this))
{
    FButton->resize(15, 17);
    FButton->setCursor(CursorShapeOf(FBtnCursor));
    FButton->OnClick = [this](TSpeedButton*) {
        if (OnBtnClick)
            OnBtnClick(this);
    };
    SetBtnPos(FBtnPos);
}

void TBtnEdit::SetBtnCursor(TCursor value)
{
    FBtnCursor = static_cast<int16_t>(value);
    FButton->setCursor(CursorShapeOf(FBtnCursor));
}

void TBtnEdit::SetBtnPos(TLeftRight value)
{
    FBtnPos = value;
    SetChildBounds(FButton, EdgeSquare(value));
    SetTextArea(FBtnVisible, FBtnPos, FButton->width());
}

void TBtnEdit::SetBtnVisible(bool value)
{
    FBtnVisible = value;
    FButton->setVisible(value);
    SetTextArea(FBtnVisible, FBtnPos, FButton->width());
}

// ---------------------------------------------------------------- TChkEdit

TChkEdit::TChkEdit(QWidget* parent)
    : TEdgeControlEdit(parent), FBevel(new TRaisedBevel(this)), FShape(new TFaceShape(this)),
      FCheckBox(new TBareCheckBox(this))
{
    FBevel->resize(14, 14);
    FShape->resize(15, 15);
    FCheckBox->resize(kCheckBoxSize, kCheckBoxSize);
    FCheckBox->setCursor(Qt::ArrowCursor);
    // The bevel's light and dark edges lie over the shape's face; the shape's outline shows below
    // and right of them.
    FShape->lower();
    SetCheckPos(FCheckPos);
}

bool TChkEdit::Checked() const
{
    return FCheckBox->isChecked();
}

void TChkEdit::SetChecked(bool value)
{
    FCheckBox->setChecked(value);
}

void TChkEdit::SetCheckPos(TLeftRight value)
{
    FCheckPos = value;
    TRect shape = EdgeSquare(value);
    SetChildBounds(FShape, shape);
    int boxLeft = shape.Left + (shape.Width() - FCheckBox->width()) / 2;
    int boxTop = shape.Top + (shape.Height() - FCheckBox->height()) / 2;
    SetChildBounds(FCheckBox, {boxLeft, boxTop, boxLeft + FCheckBox->width(), boxTop + FCheckBox->height()});
    SetChildBounds(FBevel, {shape.Left, shape.Top, shape.Right - 1, shape.Bottom - 1});
    SetTextArea(FCheckVisible, FCheckPos, FShape->width());
}

void TChkEdit::SetCheckVisible(bool value)
{
    FCheckVisible = value;
    FShape->setVisible(value);
    FBevel->setVisible(value);
    FCheckBox->setVisible(value);
    SetTextArea(FCheckVisible, FCheckPos, FShape->width());
}
