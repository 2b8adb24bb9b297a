// The button and check edits: where the inner control sits, where the text may go, and the inner controls' state.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPainter>
#include <random>

#include "ComponentTestSupport.h"
#include "components/VeltranEdit.h"
#include "platform/GraphicsQt.h"

namespace {

// A shown edit, for a hidden one hears of its resizes only when it is shown; the caret's
// rectangle tells where the text really goes.
template <class Edit>
class TOpenEdit : public Edit {
public:
    TOpenEdit()
    {
        this->setText(QString(60, QChar('m')));
        this->show();
    }
    // The caret's widget x before the first and after the last character; the edit scrolls its
    // text as it paints.
    std::pair<int, int> TextSpan()
    {
        this->setCursorPosition(0);
        this->grab();
        int left = this->cursorRect().center().x();
        this->setCursorPosition(static_cast<int>(this->text().size()));
        this->grab();
        return {left, this->cursorRect().center().x()};
    }
};

TRect Rect(int left, int top, int right, int bottom)
{
    return {left, top, right, bottom};
}

// The widget x of a client x.
int WidgetX(const TEdgeControlEdit& edit, int clientX)
{
    return clientX + edit.ClientOrigin().x();
}

QPixmap SolidGlyph(QColor colour, QSize size)
{
    QPixmap glyph(size);
    glyph.fill(colour);
    return glyph;
}

} // namespace

TEST(BtnEdit, TheButtonFillsTheClientHeightAtTheRightAndTheTextStopsBeforeIt)
{
    TOpenEdit<TBtnEdit> edit;
    edit.resize(120, 22);
    EXPECT_EQ(edit.ClientOrigin(), QPoint(2, 2));
    EXPECT_EQ(edit.ClientWidth(), 116);
    // 22 high: an 18 x 18 button whose right edge is at the edit's width less 4.
    EXPECT_EQ(edit.ChildBounds(edit.Button()), Rect(120 - 18 - 4, 0, 116, 18));
    TRect text = edit.FormattingRect();
    EXPECT_EQ(text.Left, 0);
    EXPECT_EQ(text.Right, edit.ClientWidth() - 18 - 2);
    EXPECT_EQ(text.Top, 0);
    EXPECT_EQ(text.Bottom, edit.ClientHeight() + 1);
    auto [first, last] = edit.TextSpan();
    EXPECT_LT(last, edit.Button()->geometry().left());

    edit.SetBtnPos(taLeftJustify);
    EXPECT_EQ(edit.BtnPos(), taLeftJustify);
    EXPECT_EQ(edit.ChildBounds(edit.Button()), Rect(0, 0, 18, 18));
    EXPECT_EQ(edit.FormattingRect().Left, 20);
    EXPECT_EQ(edit.FormattingRect().Right, edit.ClientWidth());
    std::tie(first, last) = edit.TextSpan();
    EXPECT_GE(first, WidgetX(edit, 20));

    // Hidden, the button leaves the whole width to the text.
    edit.SetBtnVisible(false);
    EXPECT_TRUE(edit.Button()->isHidden());
    EXPECT_EQ(edit.FormattingRect().Left, 0);
    EXPECT_EQ(edit.FormattingRect().Right, edit.ClientWidth());
    edit.SetBtnVisible(true);
    EXPECT_FALSE(edit.Button()->isHidden());
    EXPECT_EQ(edit.FormattingRect().Left, 20);

    // A resize re-places it.
    edit.SetBtnPos(taRightJustify);
    edit.resize(150, 30);
    EXPECT_EQ(edit.ChildBounds(edit.Button()), Rect(150 - 26 - 4, 0, 146, 26));
    EXPECT_EQ(edit.FormattingRect().Right, edit.ClientWidth() - 26 - 2);
}

TEST(BtnEdit, PlacementHoldsForEverySizeSideAndVisibility)
{
    std::mt19937 random(39);
    TOpenEdit<TBtnEdit> edit;
    for (int round = 0; round < 200; ++round) {
        int width = std::uniform_int_distribution(60, 400)(random);
        int height = std::uniform_int_distribution(14, 60)(random);
        bool left = random() % 2;
        bool visible = random() % 4 != 0;
        edit.SetBtnVisible(visible);
        edit.SetBtnPos(left ? taLeftJustify : taRightJustify);
        edit.resize(width, height);
        SCOPED_TRACE(testing::Message() << width << " x " << height << (left ? " left" : " right")
                                        << (visible ? "" : " hidden"));
        int side = height - 4;
        int buttonLeft = left ? 0 : width - side - 4;
        ASSERT_EQ(edit.ChildBounds(edit.Button()), Rect(buttonLeft, 0, buttonLeft + side, side));
        TRect text = edit.FormattingRect();
        ASSERT_EQ(text.Left, visible && left ? side + 2 : 0);
        ASSERT_EQ(text.Right, visible && !left ? edit.ClientWidth() - side - 2 : edit.ClientWidth());
        if (visible) {
            auto [first, last] = edit.TextSpan();
            QRect button = edit.Button()->geometry();
            ASSERT_TRUE(left ? first >= button.right() + 1 : last < button.left()) << first << " " << last;
        }
    }
}

TEST(BtnEdit, ButtonPropertiesReachTheButtonAndItsClickTheHandler)
{
    TBtnEdit edit;
    edit.resize(120, 22);
    EXPECT_EQ(edit.BtnCursor(), crArrow);
    EXPECT_EQ(edit.Button()->cursor().shape(), Qt::ArrowCursor);
    edit.SetBtnCursor(crHandPoint);
    EXPECT_EQ(edit.BtnCursor(), crHandPoint);
    EXPECT_EQ(edit.Button()->cursor().shape(), Qt::PointingHandCursor);

    EXPECT_EQ(edit.BtnLayout(), blGlyphLeft);
    edit.SetBtnLayout(blGlyphTop);
    EXPECT_EQ(edit.Button()->Layout(), blGlyphTop);
    EXPECT_EQ(edit.BtnNumglyphs(), 1);
    edit.SetBtnGlyph(SolidGlyph(Qt::red, QSize(24, 12)));
    edit.SetBtnNumglyphs(2);
    EXPECT_EQ(edit.Button()->NumGlyphs(), 2);
    EXPECT_EQ(edit.BtnGlyph().size(), QSize(24, 12));
    EXPECT_EQ(edit.Button()->StateGlyph(1).size(), QSize(12, 12));

    int clicks = 0;
    edit.OnBtnClick = [&](TBtnEdit* sender) {
        ++clicks;
        EXPECT_EQ(sender, &edit);
    };
    edit.show();
    Click(*edit.Button());
    EXPECT_EQ(clicks, 1);
    // A click on the text is not one on the button.
    Click(edit, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
}

TEST(ChkEdit, TheCheckBoxSitsCentredInItsFrameAndTheTextBesideIt)
{
    TOpenEdit<TChkEdit> edit;
    edit.resize(120, 22);
    EXPECT_TRUE(edit.CheckVisible());
    EXPECT_EQ(edit.CheckPos(), taRightJustify);
    TRect shape = Rect(120 - 18 - 4, 0, 116, 18);
    EXPECT_EQ(edit.ChildBounds(edit.Shape()), shape);
    EXPECT_EQ(edit.ChildBounds(edit.Bevel()), Rect(shape.Left, 0, shape.Right - 1, 17));
    EXPECT_EQ(edit.ChildBounds(edit.CheckBox()), Rect(shape.Left + 2, 2, shape.Left + 15, 15));
    EXPECT_EQ(edit.FormattingRect().Right, edit.ClientWidth() - 18 - 2);
    auto [first, last] = edit.TextSpan();
    EXPECT_LT(last, edit.Shape()->geometry().left());

    edit.SetCheckPos(taLeftJustify);
    EXPECT_EQ(edit.ChildBounds(edit.Shape()), Rect(0, 0, 18, 18));
    EXPECT_EQ(edit.ChildBounds(edit.CheckBox()), Rect(2, 2, 15, 15));
    EXPECT_EQ(edit.FormattingRect().Left, 20);
    std::tie(first, last) = edit.TextSpan();
    EXPECT_GE(first, WidgetX(edit, 20));

    edit.resize(200, 31);
    EXPECT_EQ(edit.ChildBounds(edit.Shape()), Rect(0, 0, 27, 27));
    EXPECT_EQ(edit.ChildBounds(edit.CheckBox()), Rect(7, 7, 20, 20));
    EXPECT_EQ(edit.ChildBounds(edit.Bevel()), Rect(0, 0, 26, 26));
    EXPECT_EQ(edit.FormattingRect().Left, 29);

    edit.SetCheckVisible(false);
    EXPECT_TRUE(edit.Shape()->isHidden());
    EXPECT_TRUE(edit.Bevel()->isHidden());
    EXPECT_TRUE(edit.CheckBox()->isHidden());
    EXPECT_EQ(edit.FormattingRect().Left, 0);
    EXPECT_EQ(edit.FormattingRect().Right, edit.ClientWidth());
    edit.SetCheckVisible(true);
    EXPECT_FALSE(edit.CheckBox()->isHidden());
    EXPECT_EQ(edit.FormattingRect().Left, 29);
}

TEST(ChkEdit, CheckedMirrorsTheBoxBothWays)
{
    TChkEdit edit;
    edit.resize(120, 22);
    edit.show();
    EXPECT_FALSE(edit.Checked());
    edit.SetChecked(true);
    EXPECT_TRUE(edit.CheckBox()->isChecked());
    Click(*edit.CheckBox());
    EXPECT_FALSE(edit.Checked());
    Click(*edit.CheckBox());
    EXPECT_TRUE(edit.Checked());
    edit.CheckBox()->setChecked(false);
    EXPECT_FALSE(edit.Checked());
    // A click on the frame beside the box changes nothing.
    QRect frame = edit.Shape()->geometry();
    Click(*edit.Shape(), QPoint(1, frame.height() - 2));
    EXPECT_FALSE(edit.Checked());
}

TEST(EdgeEdits, GrabbedPicturesShowTheInnerControls)
{
    QWidget window;
    window.resize(260, 90);
    auto* btnEdit = new TBtnEdit(&window);
    btnEdit->setGeometry(10, 10, 160, 22);
    btnEdit->setText("plantilla.krp");
    // An ellipsis on a magenta background, which the button takes as transparent.
    QPixmap glyph = SolidGlyph(Qt::magenta, QSize(12, 12));
    {
        QPainter painter(&glyph);
        painter.fillRect(2, 8, 2, 2, Qt::black);
        painter.fillRect(5, 8, 2, 2, Qt::black);
        painter.fillRect(8, 8, 2, 2, Qt::black);
    }
    btnEdit->SetBtnGlyph(glyph);
    auto* chkEdit = new TChkEdit(&window);
    chkEdit->setGeometry(10, 50, 160, 22);
    chkEdit->setText("_blank");
    chkEdit->SetChecked(true);
    window.show();
    QApplication::processEvents();

    QImage btnShot = Shot(*btnEdit, "btnedit.png");
    QImage chkShot = Shot(*chkEdit, "chkedit.png");
    Shot(window, "edgeedits.png");

    // The button's glyph is drawn in its middle, without its magenta background.
    QRect button = btnEdit->Button()->geometry();
    int blacks = 0;
    for (int y = button.top(); y <= button.bottom(); ++y)
        for (int x = button.left(); x <= button.right(); ++x) {
            EXPECT_NE(btnShot.pixel(x, y), qRgb(255, 0, 255));
            blacks += btnShot.pixel(x, y) == qRgb(0, 0, 0);
        }
    EXPECT_EQ(blacks, 12);

    // The frame: light top-left and shadowed inner bottom-right edges, a black outer bottom-right
    // edge, button face inside.
    QRect shape = chkEdit->Shape()->geometry();
    QRgb light = ToQColor(clBtnHighlight).rgb();
    QRgb shadow = ToQColor(clBtnShadow).rgb();
    QRgb face = ToQColor(clBtnFace).rgb();
    EXPECT_EQ(chkShot.pixel(shape.left(), shape.top() + 5), light);
    EXPECT_EQ(chkShot.pixel(shape.left() + 5, shape.top()), light);
    EXPECT_EQ(chkShot.pixel(shape.right() - 1, shape.top() + 5), shadow);
    EXPECT_EQ(chkShot.pixel(shape.left() + 5, shape.bottom() - 1), shadow);
    EXPECT_EQ(chkShot.pixel(shape.right(), shape.top() + 5), qRgb(0, 0, 0));
    EXPECT_EQ(chkShot.pixel(shape.left() + 5, shape.bottom()), qRgb(0, 0, 0));
    EXPECT_EQ(chkShot.pixel(shape.left() + 1, shape.top() + 1), face);
    // The box is drawn over the frame's face.
    QRect box = chkEdit->CheckBox()->geometry();
    int notFace = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            notFace += chkShot.pixel(x, y) != face;
    EXPECT_GT(notFace, 40);
}
