// Tests of the tip of the day (its window, its captions by language, the stored start-up choice, the window's start and Help item, the shipped tips naming what the program has) and of the about box.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QAbstractButton>
#include <QGroupBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <cctype>
#include <map>
#include <set>

#include "app/dialogs/FormTips.h"
#include "app/dialogs/UFormOpciones.h"
#include "editor/dialogs/SynElemF.h"
#include "editor/model/Templates.h"
#include "app/dialogs/Tips.h"
#include "app/model/TipsFile.h"
#include "app/dialogs/uSplashScreenBis.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/ShellOpens.h"
#include "support/Win1252Text.h"

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
    EXPECT_EQ(ReadTipsText("a\xC3\xB1 \xE2\x86\x92"), std::vector<std::string>{"a\xF1 \x1F#8594;"});
    const std::string shipped = ReadFileBytes(std::string(KESTRIMA_SOURCE_DIR) + "/resources/Docs/Tips.txt");
    EXPECT_GE(ReadTipsText(shipped).size(), 24u);
}

namespace {

// A caption as the user reads it: without the "&" that marks its key ("&&" is one "&").
std::string shownText(const QString& caption)
{
    const std::string text = ToWin1252(caption);
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

bool isLetter(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || u >= 0xC0;
}

// The captions of the controls of `window` that name something (check boxes, buttons, labels, group
// boxes, list and tree items).
void addCaptions(QWidget& window, std::set<std::string>& captions)
{
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>())
        captions.insert(shownText(button->text()));
    for (QLabel* label : window.findChildren<QLabel*>())
        captions.insert(shownText(label->text()));
    for (QGroupBox* box : window.findChildren<QGroupBox*>())
        captions.insert(shownText(box->title()));
    for (QTabWidget* tabs : window.findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i)
            captions.insert(shownText(tabs->tabText(i)));
    for (QTreeWidget* tree : window.findChildren<QTreeWidget*>())
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            captions.insert(shownText((*it)->text(0)));
}

// Reads the menu path that starts at `at` (just after "Title > ") in `menu`: the longest caption of
// its items that the text holds there as a whole, and, after another " > ", the item's own submenu.
// "" when the path names what exists, else what could not be found.
std::string missingMenuItem(const QMenu& menu, const std::string& text, size_t at)
{
    const QAction* found = nullptr;
    size_t length = 0;
    for (const QAction* action : menu.actions()) {
        const std::string caption = shownText(action->text());
        const size_t end = at + caption.size();
        if (caption.empty() || caption.size() <= length || text.compare(at, caption.size(), caption) != 0)
            continue;
        // "Proyecto" does not stand for "Proyectos".
        if (end < text.size() && isLetter(text[end]) && isLetter(caption.back()))
            continue;
        found = action;
        length = caption.size();
    }
    if (!found)
        return shownText(menu.title()) + " > " + text.substr(at, 30);
    const size_t next = at + length;
    if (text.compare(next, 3, " > ") == 0) {
        if (!found->menu())
            return shownText(found->text()) + " has no submenu";
        return missingMenuItem(*found->menu(), text, next + 3);
    }
    return {};
}

} // namespace

TEST(Tips, EveryTipNamesMenusOptionsAndTemplatesThatExist)
{
    TWindow w;
    // What a tip can name: the menu bar's menus and items, the captions of the options dialogs, the
    // shipped code templates; anything in double quotes is a caption, an option or a template.
    std::map<std::string, const QMenu*> menus;
    std::set<std::string> captions;
    for (const QAction* top : w.form.menuBar()->actions())
        if (top->menu())
            menus[shownText(top->text())] = top->menu();
    for (const QMenu* menu : w.form.findChildren<QMenu*>())
        for (const QAction* action : menu->actions())
            captions.insert(shownText(action->text()));
    TformOpciones options(w.form);
    addCaptions(options, captions);
    TOptionsDialog editorOptions;
    addCaptions(editorOptions, captions);
    TCodeMemo templates;
    templates.CodeTemplateList().LoadFromFile(std::string(KESTRIMA_SOURCE_DIR) + "/resources/Docs/krCTem.krt");
    ASSERT_TRUE(menus.count("Ver") && captions.count("Crear copias de seguridad") && captions.count("Ajustar l\xEDneas"));

    const std::vector<std::string> tips =
        ReadTipsText(ReadFileBytes(std::string(KESTRIMA_SOURCE_DIR) + "/resources/Docs/Tips.txt"));
    ASSERT_GE(tips.size(), 24u);
    int paths = 0, quoted = 0;
    for (const std::string& tip : tips) {
        // Menu paths: "Title > Item > ...".
        for (size_t arrow = tip.find(" > "); arrow != std::string::npos; arrow = tip.find(" > ", arrow + 3)) {
            size_t start = arrow;
            while (start > 0 && isLetter(tip[start - 1]))
                --start;
            const std::string title = tip.substr(start, arrow - start);
            // The rest of a path already read.
            if (start >= 3 && tip.compare(start - 3, 3, " > ") == 0)
                continue;
            const auto menu = menus.find(title);
            if (menu == menus.end()) {
                ADD_FAILURE() << "no menu \"" << title << "\" in: " << tip;
                continue;
            }
            ++paths;
            const std::string missing = missingMenuItem(*menu->second, tip, arrow + 3);
            EXPECT_EQ(missing, "") << tip;
        }
        // "el menú Title", "los menús Title y Title".
        for (const std::string word : {"men\xFA ", "men\xFAs "})
            for (size_t at = tip.find(word); at != std::string::npos; at = tip.find(word, at + 1)) {
                size_t from = at + word.size();
                for (;;) {
                    size_t end = from;
                    while (end < tip.size() && isLetter(tip[end]))
                        ++end;
                    EXPECT_TRUE(menus.count(tip.substr(from, end - from))) << tip.substr(from, end - from) << " in: " << tip;
                    if (tip.compare(end, 3, " y ") != 0)
                        break;
                    from = end + 3;
                }
            }
        // Quoted names.
        for (size_t open = tip.find('"'); open != std::string::npos; open = tip.find('"', open + 1)) {
            const size_t close = tip.find('"', open + 1);
            ASSERT_NE(close, std::string::npos) << tip;
            const std::string name = tip.substr(open + 1, close - open - 1);
            std::string text;
            const bool isTemplate = name == AnsiLowerCase(name) && templates.CodeTemplateList().Lookup(name, text);
            EXPECT_TRUE(isTemplate || captions.count(name)) << "\"" << name << "\" in: " << tip;
            ++quoted;
            open = close;
        }
    }
    // The file does quote and name menus: the checks above are not empty.
    EXPECT_GE(paths, 10);
    EXPECT_GE(quoted, 3);
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
