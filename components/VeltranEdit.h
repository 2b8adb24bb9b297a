// Single-line edits with a small control inside one edge: TBtnEdit holds a speed button, TChkEdit a
// check box in a raised frame.
#pragma once

#include <QLineEdit>
#include <cstdint>
#include <functional>

#include "platform/Buttons.h"
#include "platform/core/Classes.h"
#include "platform/Cursors.h"
#include "platform/core/Geometry.h"

class QCheckBox;

// An edit that keeps a control inside one edge and its text out from under it. Its own children are
// placed in client coordinates, which start inside the sunken edge of a framed edit; the text stays
// in the formatting rectangle. The control is re-placed at every resize. The children belong to the
// edit: a form neither sees nor stores them.
class TEdgeControlEdit : public QLineEdit {
public:
    // The sunken edge around a framed edit's client area.
    static constexpr int kClientEdge = 2;

    QPoint ClientOrigin() const;
    int ClientWidth() const;
    int ClientHeight() const;
    // The rectangle the text is laid out in, in client coordinates, as the edit really uses it.
    TRect FormattingRect() const;
    // Moves the text into a rectangle of client coordinates; parts outside the client area are cut.
    void SetFormattingRect(const TRect& rect);
    // A child's bounds in client coordinates.
    TRect ChildBounds(const QWidget* child) const;

protected:
    explicit TEdgeControlEdit(QWidget* parent);

    // The square the edge control takes at one side: as high as the edit without its edges.
    TRect EdgeSquare(TLeftRight pos) const;
    void SetChildBounds(QWidget* child, const TRect& bounds);
    // The text beside a control `controlWidth` wide at `pos`, or across the whole width without it.
    void SetTextArea(bool controlVisible, TLeftRight pos, int controlWidth);
    virtual void PlaceEdgeControl() = 0;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect textContents() const;

    // Single-line text is centred vertically, so the rectangle's top and bottom are only kept.
    int FRectTop = 0;
    int FRectBottom = -1;
};

// An edit with a speed button inside one edge.
class TBtnEdit : public TEdgeControlEdit {
public:
    using TBtnClickEvent = std::function<void(TBtnEdit* Sender)>;

    explicit TBtnEdit(QWidget* parent = nullptr);

    TCursor BtnCursor() const { return FBtnCursor; }
    void SetBtnCursor(TCursor value);
    const QPixmap& BtnGlyph() const { return FButton->Glyph(); }
    void SetBtnGlyph(const QPixmap& value) { FButton->SetGlyph(value); }
    TButtonLayout BtnLayout() const { return FButton->Layout(); }
    void SetBtnLayout(TButtonLayout value) { FButton->SetLayout(value); }
    TNumGlyphs BtnNumglyphs() const { return FButton->NumGlyphs(); }
    void SetBtnNumglyphs(TNumGlyphs value) { FButton->SetNumGlyphs(value); }
    TLeftRight BtnPos() const { return FBtnPos; }
    void SetBtnPos(TLeftRight value);
    bool BtnVisible() const { return FBtnVisible; }
    void SetBtnVisible(bool value);

    // A click on the button; the sender is the edit.
    TBtnClickEvent OnBtnClick;

    TSpeedButton* Button() const { return FButton; }

protected:
    void PlaceEdgeControl() override { SetBtnPos(FBtnPos); }

private:
    TSpeedButton* FButton;
    int16_t FBtnCursor = crArrow;
    TLeftRight FBtnPos = taRightJustify;
    bool FBtnVisible = true;
};

// An edit with a check box in a raised frame inside one edge.
class TChkEdit : public TEdgeControlEdit {
public:
    explicit TChkEdit(QWidget* parent = nullptr);

    bool Checked() const;
    void SetChecked(bool value);
    TLeftRight CheckPos() const { return FCheckPos; }
    void SetCheckPos(TLeftRight value);
    bool CheckVisible() const { return FCheckVisible; }
    void SetCheckVisible(bool value);

    // The frame is a button-face square with a black outline under a raised bevel.
    QWidget* Shape() const { return FShape; }
    QWidget* Bevel() const { return FBevel; }
    QCheckBox* CheckBox() const { return FCheckBox; }

protected:
    void PlaceEdgeControl() override { SetCheckPos(FCheckPos); }

private:
    QWidget* FBevel;
    QWidget* FShape;
    QCheckBox* FCheckBox;
    TLeftRight FCheckPos = taRightJustify;
    bool FCheckVisible = true;
};
