// listComboKt: a flat edit with a drop-down button and a list that floats above every window, with
// optional multi-selection collected in the text, and images at the left of the text.
#pragma once

#include <QImage>
#include <QListWidget>
#include <QStringList>

#include "toolbars/TBarCtls.h"

class TSpeedButton;
class TlistComboKt;

// The dropped list of a list combo: a bordered window above all others that takes the mouse, so that
// a press outside it hides it. A press inside selects as a list does and leaves it open.
class TmwScreenListBox : public QListWidget {
    Q_OBJECT

public:
    explicit TmwScreenListBox(TlistComboKt* combo);
    // Whether the pointer is over the list.
    bool MouseInside() const { return FMouseInside; }

protected:
    bool event(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Whether the press fell outside the list, which it then hides.
    bool hideOnPressOutside(const QMouseEvent* event);
    TlistComboKt* FCombo;
    bool FMouseInside = false;
};

// A flat edit with a drop-down list. With Multiselect each press in the list adds the pressed item to
// the text after a comma, or takes it out when the press cleared its selection.
class TlistComboKt : public TEditKt {
    Q_OBJECT

public:
    // The edit's client area begins this far inside its edge; the button and images are placed in it.
    static constexpr int kClientEdge = 2;

    explicit TlistComboKt(QWidget* parent = nullptr);
    ~TlistComboKt() override;

    TSpeedButton* Box() const { return FBox; }
    TmwScreenListBox* List() const { return FList; }

    int BoxWidth() const;
    // Sets the button's width and places it again, and the text area with it.
    void SetBoxWidth(int value);
    const QPixmap& BoxGlyph() const;
    void SetBoxGlyph(const QPixmap& value);
    int ListHeight() const;
    void SetListHeight(int value);
    // Bitmaps drawn at the left of the text, transparent through their bottom-left pixel's colour.
    const QImage& Image() const { return FImage; }
    void SetImage(const QImage& value);
    const QImage& StateImage() const { return FStateImage; }
    void SetStateImage(const QImage& value);

    QStringList Items() const;
    void SetItems(const QStringList& value);
    int ItemCount() const;
    QString Item(int index) const;
    // The list's current item; -1 when none.
    int ItemIndex() const;
    // Makes the item the list's current (and selected) one and puts it in the text.
    void SetItemIndex(int value);
    int SelCount() const;
    bool Multiselect() const;
    void SetMultiselect(bool value);

    // Drops the list under the combo, as wide as it.
    void BoxClick();
    // The list was pressed inside on `item` (null: on no item): the text follows the selection.
    void ListPressed(QListWidgetItem* item);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void placeBox();
    void SetEditRect();

    TSpeedButton* FBox;
    TmwScreenListBox* FList;
    QImage FImage;
    QImage FStateImage;
};
