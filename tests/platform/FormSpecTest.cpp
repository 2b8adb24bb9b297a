// Tests of the form rows: controls made by the form's maker, named, tagged and placed at their rows' places, after each other or inside another row's control.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/FormSpec.h"

namespace {

enum TTestKind : int { tkLabel, tkButton, tkGroup };

QWidget* makeTestControl(const TControlSpec& spec, QWidget* parent, int& width)
{
    switch (spec.Kind) {
    case tkLabel: return new QLabel(QString::fromLatin1(spec.Name), parent);
    case tkGroup: return new QGroupBox(parent);
    default: {
        auto* button = new QPushButton(parent);
        // A button asked to fit is as wide as its name has letters, times ten.
        if (width < 0)
            width = static_cast<int>(std::string(spec.Name).size()) * 10;
        return button;
    }
    }
}

} // namespace

TEST(FormSpec, MakesNamesTagsAndPlacesEveryRow)
{
    QWidget form;
    const TControlSpec rows[] = {
        {.Name = "uno", .Kind = tkButton, .Tag = 7, .Left = kFlow, .Width = 30},
        {.Name = "dos", .Kind = tkButton, .Tag = 0, .Left = kFlow, .Width = kFit},
        {.Name = "fijo", .Kind = tkLabel, .Left = 200, .Width = 50, .Top = 40, .Height = 16},
        {.Name = "tras", .Kind = tkButton, .Width = 20},
        {.Name = "grupo", .Kind = tkGroup, .Left = 10, .Width = 100, .Top = 60, .Height = 80},
        {.Name = "dentro", .Kind = tkLabel, .Left = 5, .Width = 40, .Top = 20, .Height = 16, .Parent = 4},
    };
    const TFormRow row{.Top = 3, .Height = 22, .FlowGap = 2};
    const std::vector<QWidget*> made = BuildControls(&form, rows, row, makeTestControl);
    ASSERT_EQ(made.size(), std::size(rows));
    // Flowing controls start at 2 and follow each other with the row's gap, on the row.
    EXPECT_EQ(made[0]->geometry(), QRect(2, 3, 30, 22));
    EXPECT_EQ(made[1]->geometry(), QRect(34, 3, 30, 22));
    EXPECT_EQ(made[2]->geometry(), QRect(200, 40, 50, 16));
    // After a fixed control the flow goes on from it.
    EXPECT_EQ(made[3]->geometry(), QRect(252, 3, 20, 22));
    EXPECT_EQ(made[5]->parentWidget(), made[4]);
    EXPECT_EQ(made[5]->geometry(), QRect(5, 20, 40, 16));
    for (size_t i = 0; i < made.size(); ++i)
        EXPECT_EQ(made[i]->objectName().toStdString(), rows[i].Name);
    EXPECT_EQ(made[0]->property("Tag").toInt(), 7);
    EXPECT_EQ(made[1]->property("Tag").toInt(), 0);

    EXPECT_EQ(FormControl<QGroupBox>(&form, "grupo"), made[4]);
    EXPECT_EQ(FormControl<QLabel>(&form, "dentro"), made[5]);
    // A missing control, or one of another class, is a fault of the form.
    EXPECT_THROW(FormControl<QLabel>(&form, "nada"), std::logic_error);
    EXPECT_THROW(FormControl<QLabel>(&form, "uno"), std::logic_error);
}

TEST(FormSpec, ARowBeforeItsParentIsAFaultOfTheForm)
{
    QWidget form;
    const TControlSpec rows[] = {
        {.Name = "hijo", .Kind = tkLabel, .Parent = 1},
        {.Name = "padre", .Kind = tkGroup},
    };
    EXPECT_THROW(BuildControls(&form, rows, TFormRow{}, makeTestControl), std::logic_error);
    // A row without a width of its own that its maker leaves unfitted takes the control's own size.
    const TControlSpec label[] = {{.Name = "texto", .Kind = tkLabel}};
    QWidget other;
    const std::vector<QWidget*> made = BuildControls(&other, label, TFormRow{}, makeTestControl);
    EXPECT_EQ(made[0]->width(), made[0]->sizeHint().width());
    EXPECT_EQ(made[0]->height(), 22);
}
