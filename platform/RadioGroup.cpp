// TRadioGroup: a framed group of exclusive radio buttons chosen by item index.
#include "platform/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), FButtons(new QButtonGroup(this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 4, 8, 4);
    column->setSpacing(2);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        FButtons->addButton(button, i);
        column->addWidget(button);
    }
    column->addStretch(1);
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
