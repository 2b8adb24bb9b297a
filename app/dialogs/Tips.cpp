// TTips: the tip of the day as a component: its texts and tips, the language of its buttons, and the user's start-up choice kept in the registry.
#include "app/dialogs/Tips.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <utility>

#include "app/dialogs/FormTips.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr const char* kValueName = "ShowAtStart";
// Per language: the check box with the program's name, without it, and the two buttons.
constexpr int kCaptions[][4] = {
    {5970, 5973, 5976, 5977},  // English
    {5971, 5974, 5978, 5979},  // German
    {5972, 5975, 5980, 5981},  // Spanish
};

TTipsHook& hook()
{
    static TTipsHook answer;
    return answer;
}

} // namespace

TTipsHook SetTipsHook(TTipsHook hook_)
{
    return std::exchange(hook(), std::move(hook_));
}

bool TTips::StoredShowAtStart() const
{
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    try {
        if (!SaveKey.empty() && registry.OpenKey(SaveKey, false) && registry.ValueExists(kValueName))
            return registry.ReadBool(kValueName);
    } catch (const ERegistryException&) {
        // A value of another type is no choice the window made.
    }
    return ShowAtStart;
}

void TTips::WriteShowAtStart(bool value) const
{
    TRegistry registry;
    registry.SetRootKey(HKEY_CURRENT_USER);
    if (registry.OpenKey(SaveKey, true))
        registry.WriteBool(kValueName, value);
}

void TTips::Execute(QWidget* owner)
{
    TTipForm form(owner);
    form.setWindowTitle(FromEditorText(Title));
    const int* captions = kCaptions[Language >= laEnglish && Language <= laSpanish ? Language : laEnglish];
    std::string check;
    if (AppName.empty())
        check = LoadResString(captions[1]);
    else if (Language == laGerman)
        check = FmtLoadStr(captions[0], AppName.c_str());
    else
        check = LoadResString(captions[0]) + AppName;
    form.ShowAtStart->setText(FromEditorText(check));
    form.Next->setText(LoadResQString(captions[2]));
    form.CloseBtn->setText(LoadResQString(captions[3]));
    form.TipHelp->setText(FromEditorText(TipHelp));
    form.ShowAtStart->setChecked(StoredShowAtStart());
    form.Tips().AddStrings(Tips);
    if (hook()) {
        form.FormShow();
        hook()(form);
    } else {
        form.exec();
    }
    ShowAtStart = form.ShowAtStart->isChecked();
    if (SaveShowAtStart)
        WriteShowAtStart(ShowAtStart);
}
