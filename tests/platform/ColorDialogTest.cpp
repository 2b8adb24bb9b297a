// Tests of the colour dialog: the shown dialog starts from the colour and the custom colours, and gives back the chosen ones.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColorDialog>
#include <QTimer>

#include "platform/ColorDialog.h"

TEST(ColorDialog, TheShownDialogStartsFromTheColourAndGivesBackTheChoiceAndTheCustomColours)
{
    TColorDialog dialog;
    EXPECT_EQ(dialog.CustomColors[15], clWhite);
    dialog.Color = 0x0000FF;  // red, as the system numbers colours
    dialog.CustomColors[2] = 0x00FF00;
    for (const bool confirm : {true, false}) {
        QColor started;
        QTimer::singleShot(0, [&] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* shown = qobject_cast<QColorDialog*>(top); shown && shown->isVisible()) {
                    started = shown->currentColor();
                    QColorDialog::setCustomColor(5, QColor(1, 2, 3));
                    shown->setCurrentColor(QColor(0, 0, 255));
                    confirm ? shown->accept() : shown->reject();
                }
        });
        EXPECT_EQ(dialog.Execute(nullptr), confirm);
        EXPECT_EQ(started, confirm ? QColor(255, 0, 0) : QColor(0, 0, 255));
        // Blue, as the system numbers colours; Cancel keeps it too.
        EXPECT_EQ(dialog.Color, 0xFF0000);
        EXPECT_EQ(dialog.CustomColors[2], 0x00FF00);
        EXPECT_EQ(dialog.CustomColors[5], 0x030201);
    }

    bool asked = false;
    SetColorDialogHook([&asked](TColorDialog& d) {
        asked = true;
        d.Color = clWhite;
        return true;
    });
    EXPECT_TRUE(dialog.Execute(nullptr));
    EXPECT_TRUE(asked);
    EXPECT_EQ(dialog.Color, clWhite);
    SetColorDialogHook({});
}
