// TColorDialog: the system's colour dialog, with the colour it starts from and sixteen custom colours that outlive it.
#pragma once

#include <array>
#include <functional>

#include "platform/core/Graphics.h"

class QWidget;

class TColorDialog {
public:
    static constexpr int kCustomColors = 16;
    // The colour shown first and, once confirmed, the chosen one.
    TColor Color = clBlack;
    // The user's own colours, kept from one showing to the next (white where none was made).
    std::array<TColor, kCustomColors> CustomColors;

    TColorDialog() { CustomColors.fill(clWhite); }
    // Shows the dialog modally over `owner`; true when the user confirmed, with Color and the custom
    // colours taken from the dialog.
    bool Execute(QWidget* owner);
};

// While set, every dialog is answered by the hook instead of being shown (tests answer through it):
// it may change the dialog's Color and CustomColors and returns whether the user confirmed. Returns
// the hook it replaces; an empty hook shows the dialogs again.
using TColorDialogHook = std::function<bool(TColorDialog& dialog)>;
TColorDialogHook SetColorDialogHook(TColorDialogHook hook);
