// TRadioGroup: a framed group of exclusive radio buttons chosen by item index, with no item chosen as -1.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
public:
    // The items fill `columns` columns top to bottom, then left to right.
    TRadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr, int columns = 1);

    int Count() const;
    QRadioButton* Button(int index) const;
    // The chosen item, -1 when none is.
    int ItemIndex() const;
    // Chooses the item; an index outside the items leaves none chosen.
    void SetItemIndex(int index);

private:
    QButtonGroup* FButtons;
};
