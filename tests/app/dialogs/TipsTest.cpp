// Tests of the tip of the day (its window, its captions by language, the stored start-up choice, the window's start and Help item) and of the about box.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <set>

#include "app/dialogs/FormTips.h"
#include "app/dialogs/Tips.h"
#include "app/model/TipsFile.h"
#include "app/dialogs/uSplashScreenBis.h"
#include "platform/Win1252Qt.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/ShellOpens.h"

namespace {

using TTipsAnswer = THookWhile<TTipsHook, &SetTipsHook>;
using TAboutAnswer = THookWhile<TAboutBoxHook, &SetAboutBoxHook>;
constexpr const char* kKey = "Software\\Dremal\\Kestrima\\Settings";

// What the tip window showed, and the check box left as `check` says (-1 as it was).
struct TShown {
    std::string title, help, text, check, next, close;
    bool checked = false, nextEnabled = false;
};

TShown run(TTips& tips, int check = -1)
{
    TShown shown;
    TTipsAnswer answer([&](TTipForm& form) {
        shown = {ToWin1252(form.windowTitle()), ToWin1252(form.TipHelp->text()), ToWin1252(form.TipText->text()),
                 ToWin1252(form.ShowAtStart->text()), ToWin1252(form.Next->text()), ToWin1252(form.CloseBtn->text()),
                 form.ShowAtStart->isChecked(), form.Next->isEnabled()};
        if (check >= 0)
            form.ShowAtStart->setChecked(check == 1);
        form.CloseBtn->click();
    });
    tips.Execute(nullptr);
    return shown;
}

} // namespace

TEST(Tips, TheWindowByLanguageAndItsTips)
{
    TempRegistry registry("tips");
    TTips tips;
    tips.AppName = "Kestrima";
    tips.Language = laSpanish;
    tips.Title = "Sugerencias";
    tips.TipHelp = "\xBF""Sab\xED""as que...?";
    tips.SaveShowAtStart = false;
    TShown shown = run(tips);
    EXPECT_EQ(shown.title, "Sugerencias");
    EXPECT_EQ(shown.help, "\xBF""Sab\xED""as que...?");
    EXPECT_EQ(shown.text, "\xA1"" No hay Tips disponibles !");
    EXPECT_EQ(shown.check, "&Mostrar Tips al iniciar Kestrima");
    EXPECT_EQ(shown.next, "&Siguiente >");
    EXPECT_EQ(shown.close, "&Cerrar");
    EXPECT_FALSE(shown.nextEnabled);
    tips.Tips.Add("Solo una");
    shown = run(tips);
    EXPECT_EQ(shown.text, "Solo una");
    EXPECT_FALSE(shown.nextEnabled);
    tips.AppName.clear();
    EXPECT_EQ(run(tips).check, "&Mostrar Tips al iniciar el programa");
    tips.Language = laEnglish;
    shown = run(tips);
    EXPECT_EQ(shown.check + shown.next + shown.close, "&Show this dialog on next Start&Next >&Close");
    tips.AppName = "K";
    tips.Language = laGerman;
    shown = run(tips);
    EXPECT_EQ(shown.check + shown.next + shown.close, "&Beim n\xE4""chsten Start von K zeigen&N\xE4""chster >&Schlie\xDF""en");

    // Next picks among all the tips, each in its turn.
    TTipForm form;
    for (const char* tip : {"uno", "dos", "tres"})
        form.Tips().Add(tip);
    form.Seed(88);
    form.FormShow();
    EXPECT_TRUE(form.Next->isEnabled());
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        seen.insert(ToWin1252(form.TipText->text()));
        form.Next->click();
    }
    EXPECT_EQ(seen, (std::set<std::string>{"uno", "dos", "tres"}));
}

TEST(Tips, TheStartUpChoiceIsStoredOnlyWhenAskedTo)
{
    TempRegistry registry("tips");
    TTips tips;
    tips.SaveKey = kKey;
    tips.SaveShowAtStart = false;
    tips.ShowAtStart = true;
    EXPECT_TRUE(run(tips, 0).checked);
    EXPECT_FALSE(tips.ShowAtStart);
    {
        TRegistry unwritten;
        EXPECT_FALSE(unwritten.OpenKey(kKey, false) && unwritten.ValueExists("ShowAtStart"));
    }
    tips.SaveShowAtStart = true;
    tips.ShowAtStart = true;
    run(tips, 0);
    TRegistry stored;
    ASSERT_TRUE(stored.OpenKey(kKey, false));
    EXPECT_EQ(stored.ReadInteger("ShowAtStart"), 0);
    // The stored choice wins over the property from then on.
    tips.ShowAtStart = true;
    EXPECT_FALSE(run(tips).checked);
    EXPECT_FALSE(tips.StoredShowAtStart());
}

TEST(Tips, TheTipsFileHoldsOneTipPerLine)
{
    EXPECT_EQ(ReadTipsText(""), std::vector<std::string>{});
    EXPECT_EQ(ReadTipsText("\r\n  \n"), std::vector<std::string>{});
    EXPECT_EQ(ReadTipsText("uno\r\n\r\n dos \ntres\x01x"), (std::vector<std::string>{"uno", "dos", "tres x"}));
    TCharacterReferences references;
    EXPECT_EQ(ReadTipsText("a\xC3\xB1 \xE2\x86\x92", &references), std::vector<std::string>{"a\xF1 &#8594;"});
    EXPECT_TRUE(references.IsRemembered(0x2192));
    const std::string shipped = ReadFileBytes(std::string(KESTRIMA_SOURCE_DIR) + "/resources/Docs/Tips.txt");
    EXPECT_GE(ReadTipsText(shipped).size(), 24u);
}

TEST(Tips, TheWindowShowsTheTipAtStartAndFromTheHelpMenu)
{
    std::vector<TShown> shown;
    int uncheck = -1;
    TTipsAnswer answer([&](TTipForm& form) {
        shown.push_back({ToWin1252(form.windowTitle()), ToWin1252(form.TipHelp->text()), ToWin1252(form.TipText->text()),
                         ToWin1252(form.ShowAtStart->text()), "", "", form.ShowAtStart->isChecked(), form.Next->isEnabled()});
        if (uncheck >= 0)
            form.ShowAtStart->setChecked(false);
    });
    {
        TWindow w;
        QApplication::processEvents();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].title, "Sugerencias de Kestrima");
        EXPECT_EQ(shown[0].help, "\xBF""Sab\xED""as que...?");
        EXPECT_EQ(shown[0].check, "&Mostrar Tips al iniciar Kestrima");
        EXPECT_TRUE(shown[0].checked);
        EXPECT_TRUE(shown[0].nextEnabled);
        EXPECT_FALSE(shown[0].text.empty());
        // The Help item shows it again, the box as the setting is; unchecked, the setting follows.
        uncheck = 1;
        w.form.Commands().Action("mSugerencias")->trigger();
        EXPECT_FALSE(w.form.Config().ShowTips);
        w.form.Commands().Action("sbTips")->trigger();
        ASSERT_EQ(shown.size(), 3u);
        EXPECT_FALSE(shown[2].checked);
        QMenu* help = w.form.menuBar()->findChild<QMenu*>("mAyuda");
        EXPECT_TRUE(help->actions().contains(w.form.Commands().Action("mSugerencias")));
        EXPECT_EQ(ToWin1252(w.form.Commands().Action("mSugerencias")->text()), "&Sugerencias...");
    }
    // With ShowTips off no tips file is looked for, not even a missing one.
    TempRegistry registry("tips");
    TRegIniFile(TKestrimaConfig::kRegistryKey).WriteBool("Settings", "ShowTips", false);
    SetProgramFolder(registry.Folder.path.string());
    TBoxAnswers boxes;
    TformPrincipal form;
    form.show();
    QApplication::processEvents();
    SetProgramFolder(KESTRIMA_TEST_PROGRAM_FOLDER);
    EXPECT_EQ(shown.size(), 3u);
    for (const std::string& text : boxes.texts)
        EXPECT_EQ(text.find("Tips.txt"), std::string::npos) << text;
}

TEST(AboutBox, ShowsTheVersionAndReachesTheWebAndTheMail)
{
    TWindow w;
    TShellOpens shell;
    std::string version, caption;
    bool continueEnabled = false;
    TAboutAnswer answer([&](TSplashScreenBis& about) {
        version = ToWin1252(about.lblVersion->text());
        caption = ToWin1252(about.windowTitle());
        continueEnabled = about.btnContinuar->isEnabled();
        EXPECT_EQ(about.Notebook->currentWidget(), about.AboutBox);
        EXPECT_EQ(about.btnEmail->property("Tag").toInt(), 1);
        about.btnInternet->click();
        about.btnEmail->click();
    });
    w.form.Commands().Action("mAcerca")->trigger();
    EXPECT_EQ(version, "Versi\xF3""n 3.1");
    EXPECT_EQ(caption, "Kestrima");
    EXPECT_TRUE(continueEnabled);
    EXPECT_EQ(shell.targets, (std::vector<std::string>{
                                 "https://www.kestrima.example/",
                                 "mailto:comentarios@kestrima.example?subject=Comentarios%20sobre%20Kestrima"}));
    shell.targets.clear();
    w.form.Config().Web = "http://mi.sitio/";
    w.form.Config().Email = "yo@mi.sitio";
    w.form.mAcercaClick();
    EXPECT_EQ(shell.targets[0], "http://mi.sitio/");
    EXPECT_EQ(shell.targets[1].rfind("mailto:yo@mi.sitio?subject=", 0), 0u);
}
