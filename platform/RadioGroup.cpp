// TRadioGroup: a framed group of exclusive radio buttons chosen by item index.
#include "platform/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QGridLayout>
#include <algorithm>

TRadioGroup::TRadioGroup(const QString& title, const QStringList& items, QWidget* parent, int columns)
    : QGroupBox(title, parent), FButtons(new QButtonGroup(this))
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->setVerticalSpacing(2);
    const int count = static_cast<int>(items.size());
    const int rows = std::max(1, (count + std::max(columns, 1) - 1) / std::max(columns, 1));
    for (int i = 0; i < count; ++i) {
        auto* button = new QRadioButton(items[i], this);
        FButtons->addButton(button, i);
        grid->addWidget(button, i % rows, i / rows);
    }
    grid->setRowStretch(rows, 1);
}

int TRadioGroup::Count() const
{
    return static_cast<int>(FButtons->buttons().size());
}

QRadioButton* TRadioGroup::Button(int index) const
{
    return static_cast<QRadioButton*>(FButtons->button(index));
}

int TRadioGroup::ItemIndex() const
{
    return FButtons->checkedId();
}

void TRadioGroup::SetItemIndex(int index)
{
    if (index >= 0 && index < Count()) {
        Button(index)->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; it lets go only while it is not exclusive.
    FButtons->setExclusive(false);
    for (QAbstractButton* button : FButtons->buttons())
        button->setChecked(false);
    FButtons->setExclusive(true);
}
