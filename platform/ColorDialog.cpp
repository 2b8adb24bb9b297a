// TColorDialog: the system's colour dialog, with the colour it starts from and sixteen custom colours that outlive it.
#include "platform/ColorDialog.h"

#include <QColorDialog>
#include <utility>

#include "platform/GraphicsQt.h"

namespace {

TColorDialogHook& hook()
{
    static TColorDialogHook answer;
    return answer;
}

TColor fromQColor(const QColor& color)
{
    return static_cast<TColor>(RGBValue(color.red(), color.green(), color.blue()));
}

} // namespace

bool TColorDialog::Execute(QWidget* owner)
{
    if (hook())
        return hook()(*this);
    // The dialog's custom colours are shared by every colour dialog of the program: ours are put in
    // before it shows and read back after.
    for (int i = 0; i < kCustomColors; ++i)
        QColorDialog::setCustomColor(i, ToQColor(CustomColors[i]));
    QColorDialog dialog(ToQColor(Color), owner);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    for (int i = 0; i < kCustomColors; ++i)
        CustomColors[i] = fromQColor(QColorDialog::customColor(i));
    if (confirmed)
        Color = fromQColor(dialog.selectedColor());
    return confirmed;
}

TColorDialogHook SetColorDialogHook(TColorDialogHook answer)
{
    return std::exchange(hook(), std::move(answer));
}
