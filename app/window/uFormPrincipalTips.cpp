// The main window's tip of the day (at start and from the Help menu), its about box and the Edit menu's replace in files.
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>

#include "app/dialogs/Tips.h"
#include "app/dialogs/UFormReemplazar.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/TipsFile.h"
#include "app/dialogs/uSplashScreenBis.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kTipHelp = 5985;
constexpr int kTipsTitle = 5986;
constexpr int kTipsFileMissing = 5987;
constexpr int kReplaceInFilesCall = 6;
constexpr const char* kTipsFile = "Docs/Tips.txt";
// The key the tips keep their own start-up choice under: the settings', which keep theirs as ShowTips.
constexpr const char* kTipsKey = "Software\\Dremal\\Kestrima\\Settings";

} // namespace

void TformPrincipal::buildTipsAndAbout()
{
    const auto handle = [this](const char* name, std::function<void()> handler) {
        QAction* action = FCommands->Action(name);
        connect(action, &QAction::triggered, this, [this, handler = std::move(handler)] { CallHandler(this, handler); });
        return action;
    };
    // Replace in files follows Replace in the Edit menu; it is an assistant of its own.
    QMenu* mEdicion = FMenus.mEdicion;
    QAction* replaceInFiles = FCommands->Action("mReemplazarArchivos");
    replaceInFiles->setProperty("Tag", kReplaceInFilesCall);
    connect(replaceInFiles, &QAction::triggered, this,
            [this, replaceInFiles] { CallHandler(this, [this, replaceInFiles] { LlamadasExpertos(replaceInFiles); }); });
    const QList<QAction*> editItems = mEdicion->actions();
    const qsizetype replace = editItems.indexOf(FCommands->Action("mReemplazar"));
    mEdicion->insertAction(replace >= 0 && replace + 1 < editItems.size() ? editItems[replace + 1] : nullptr, replaceInFiles);
    SetExpertCall(kReplaceInFilesCall, [this](QObject*) {
        TformReemplazar form(*this);
        form.Execute();
    });

    QMenu* mAyuda = FMenus.mAyuda;
    mAyuda->addSeparator();
    mAyuda->addAction(handle("mSugerencias", [this] { mSugerenciasClick(); }));
    mAyuda->addSeparator();
    mAyuda->addAction(handle("mAcerca", [this] { mAcercaClick(); }));
}

void TformPrincipal::showTips(bool showAtStart)
{
    const std::string fileName = ProgramFolder() + kTipsFile;
    if (!FileExists(fileName)) {
        MessageBox(this, FmtLoadStr(kTipsFileMissing, FilePathText(fileName).c_str()), {}, MB_OK | MB_ICONSTOP);
        return;
    }
    TTips tips;
    tips.AppName = "Kestrima";
    tips.Language = laSpanish;
    tips.SaveKey = kTipsKey;
    tips.SaveShowAtStart = false;
    tips.ShowAtStart = showAtStart;
    tips.TipHelp = LoadResString(kTipHelp);
    tips.Title = LoadResString(kTipsTitle);
    std::string bytes;
    if (ReadFileBytes(fileName, 1 << 20, bytes))
        for (std::string& tip : ReadTipsText(bytes))
            tips.Tips.Add(std::move(tip));
    tips.Execute(this);
    FConfig->ShowTips = tips.ShowAtStart;
}

void TformPrincipal::FormShowTips()
{
    if (std::exchange(FTipsShown, true) || !FConfig->ShowTips)
        return;
    showTips(true);
}

void TformPrincipal::mSugerenciasClick()
{
    showTips(FConfig->ShowTips);
}

void TformPrincipal::mAcercaClick()
{
    TSplashScreenBis about(*FConfig, this);
    about.ShowAbout();
}

void TformPrincipal::queueFormShowTips()
{
    // After the first show has painted the window: the tip comes over the window, not before it.
    QTimer::singleShot(0, this, [this] { CallHandler(this, [this] { FormShowTips(); }); });
}
