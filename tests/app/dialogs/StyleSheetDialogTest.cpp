// Tests of the style sheet dialog: choosing rules, storing, erasing, saving and leaving, with the
// message boxes and file dialogs answered through their test hooks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QPlainTextEdit>
#include <QCheckBox>
#include <QComboBox>
#include <QAction>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QStackedWidget>
#include <deque>
#include <filesystem>
#include <set>
#include <string>

#include "app/panels/SidePanelTools.h"
#include "app/model/libVeltran.h"
#include "app/dialogs/uFormCSS.h"
#include "components/StrHlder.h"
#include "platform/FileDialogs.h"
#include "platform/FontsQt.h"
#include "platform/FormSpec.h"
#include "platform/RadioGroup.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"
#include "app/model/KestrimaConfig.h"
#include "app/window/uFormPrincipal.h"
#include "app/window/uFormPrincipalTools.h"
#include "app/dialogs/UFormPaleta.h"
#include "platform/ColorDialog.h"
#include "support/Win1252Text.h"
#include "toolbars/TBarCtls.h"
#include "support/BoxAnswers.h"
#include "support/MainWindowDocuments.h"
#include "support/HookWhile.h"
#include "support/TempDir.h"
#include "support/Occurrences.h"
#include "support/RealFileDialog.h"

namespace {

// Answers the file dialogs with the names given, cancelled when they run out.
struct TFileAnswers {
    std::deque<std::string> names;
    int asked = 0;
    THookWhile<TFileDialogHook, SetFileDialogHook> hook{[this](TFileDialogRequest& request) {
        ++asked;
        if (names.empty())
            return false;
        request.FileName = names.front();
        request.Files = {names.front()};
        names.pop_front();
        return true;
    }};
};

// Answers the question a file dialog asks before it replaces a file, once it is shown, and keeps it.
struct TReplaceQuestion {
    QString text;
    int asked = 0;
    QTimer poll;
    explicit TReplaceQuestion(QMessageBox::StandardButton answer)
    {
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->button(answer))
                return;
            text = box->text();
            ++asked;
            box->button(answer)->click();
        });
        poll.start();
    }
};

void click(TformCSS& form, int row)
{
    form.lbEstilos->setCurrentRow(row);
    form.lbEstilosClick();
}


} // namespace

TEST(StyleSheetDialog, ShowsFirstRuleAndStoresTheOneLeft)
{
    TempDir dir("css");
    std::string path = dir.file("lib.css", "a{font-family:Arial;color:red;}b{font-weight:bold;}c{x:y;}");
    TformCSS form;
    form.LoadStyleSheet(path);
    form.FormShow();
    EXPECT_EQ(form.shCSS->Strings().Count(), 72);
    ASSERT_EQ(form.lbEstilos->count(), 3);
    EXPECT_EQ(form.lbEstilos->currentRow(), 0);
    EXPECT_EQ(form.eClass->text(), "a");
    EXPECT_EQ(form.eFontFamily->text(), "Arial");
    EXPECT_TRUE(form.chFontFamily->isChecked());

    click(form, 1);
    EXPECT_EQ(form.eClass->text(), "b");
    EXPECT_TRUE(form.chBold->isChecked());
    EXPECT_FALSE(form.chFontFamily->isChecked());
    // The rule left was stored as WriteStyle writes it.
    std::string text = form.shEstilos->Strings().Text();
    EXPECT_EQ(Occurrences(text, "font-family: Arial;"), 1) << text;
    EXPECT_EQ(Occurrences(text, "color: red;"), 1) << text;
    EXPECT_EQ(Occurrences(text, "font-family : Arial"), 0) << text;

    // "Nuevo" with no name: the message, then the clicked rule.
    form.bNewClick();
    TBoxAnswers boxes;
    click(form, 2);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "El nombre del estilo no es v\xE1lido");
    EXPECT_EQ(form.eClass->text(), "c");
    EXPECT_EQ(form.mRestos->toPlainText(), "x: y;");
}

TEST(StyleSheetDialog, StoresErasesAndPicksFonts)
{
    TempDir dir("css");
    TformCSS form;
    form.LoadStyleSheet(dir.file("lib.css", "h1 {color:red;}p{x:y;}"));
    form.eClass->setText("h1");
    form.bAddClick();
    EXPECT_EQ(form.lbEstilos->count(), 3) << "h1 and h1 differ by the blank";
    form.eClass->setText("P");
    form.chBold->setChecked(true);
    form.bAddClick();
    ASSERT_EQ(form.lbEstilos->count(), 3);
    std::string text = form.shEstilos->Strings().Text();
    EXPECT_EQ(Occurrences(text, "x : y"), 0) << text;
    EXPECT_EQ(Occurrences(text, "font-weight: bold;"), 1) << text;
    EXPECT_EQ(Occurrences(text, "h1{}"), 1) << text;

    form.lbEstilos->setCurrentRow(2);
    {
        TBoxAnswers no({IDNO});
        form.bEraseClick();
        EXPECT_EQ(no.texts.at(0), "\xBF" "Est\xE1 seguro de querer borrar el estilo \"p\"?");
    }
    EXPECT_EQ(form.lbEstilos->count(), 3);
    {
        TBoxAnswers yes({IDYES});
        form.bEraseClick();
    }
    EXPECT_EQ(form.lbEstilos->count(), 2);
    EXPECT_EQ(Occurrences(form.shEstilos->Strings().Text(), "P\r\n{"), 0);
    EXPECT_EQ(form.eClass->text(), "");
    EXPECT_FALSE(form.chBold->isChecked());

    // The list holds the screen's family names, each once, without a foundry in brackets; the one
    // chosen is written as listed.
    const std::vector<std::string> families = ScreenFontFamilies();
    ASSERT_EQ(form.lbFonts->count(), static_cast<int>(families.size()));
    ASSERT_FALSE(families.empty());
    std::set<std::string> seen;
    for (int i = 0; i < form.lbFonts->count(); ++i) {
        const std::string name = ToWin1252(form.lbFonts->item(i)->text());
        EXPECT_EQ(name, families[static_cast<size_t>(i)]);
        EXPECT_EQ(name.find(" ["), std::string::npos) << name;
        EXPECT_TRUE(seen.insert(AnsiLowerCase(name)).second) << name;
    }
    form.lbFonts->setCurrentRow(0, QItemSelectionModel::Select);
    form.lbFontsClick();
    EXPECT_EQ(ToWin1252(form.eFontFamily->text()), families.front());
    form.lbFonts->clear();
    form.lbFonts->addItems({"Alpha", "Beta"});
    form.lbFontsClick();
    EXPECT_EQ(form.eFontFamily->text(), "");
    form.lbFonts->item(0)->setSelected(true);
    form.lbFonts->setCurrentRow(0, QItemSelectionModel::Select);
    form.lbFontsClick();
    EXPECT_EQ(form.eFontFamily->text(), "Alpha");
    form.lbFonts->setCurrentRow(1, QItemSelectionModel::Select);
    form.lbFontsClick();
    EXPECT_EQ(form.eFontFamily->text(), "Alpha,Beta");

    // The arrows pick the font they move to, Shift+arrow adds it; a move that picks nothing (Ctrl
    // moves the cursor alone) leaves the family.
    form.lbFonts->addItem("Gamma");
    form.lbFonts->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers, const char* family) {
        QKeyEvent down(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(form.lbFonts, &down);
        EXPECT_EQ(form.eFontFamily->text().toStdString(), family) << form.lbFonts->currentRow();
    };
    press(Qt::Key_Down, Qt::NoModifier, "Beta");
    press(Qt::Key_Down, Qt::ShiftModifier, "Beta,Gamma");
    press(Qt::Key_Up, Qt::NoModifier, "Beta");
    press(Qt::Key_Up, Qt::ControlModifier, "Beta");
    press(Qt::Key_End, Qt::NoModifier, "Gamma");
}

TEST(StyleSheetDialog, SavesAndLeaves)
{
    TempDir dir("css");
    std::string path = dir.file("lib.css", "a{x:y;}");
    TformCSS form;
    form.MakeBackups = true;
    form.LoadStyleSheet(path);
    form.FormShow();
    {
        TFileAnswers files;
        files.names = {path};
        EXPECT_TRUE(form.sbSalvaClick());
    }
    std::string saved = ReadFileBytes(path);
    EXPECT_EQ(saved, "a\r\n{\r\nx : y;\r\n}\r\n");
    EXPECT_EQ(ReadFileBytes(BackupFileName(path)), "a{x:y;}");

    // Leaving: Cancel stays; Yes with a cancelled save stays; No closes without writing.
    form.chBold->setChecked(true);
    bool canClose = true;
    {
        TBoxAnswers cancel({IDCANCEL});
        form.FormCloseQuery(canClose);
    }
    EXPECT_FALSE(canClose);
    {
        TBoxAnswers yes({IDYES});
        TFileAnswers files;
        form.FormCloseQuery(canClose);
        EXPECT_EQ(files.asked, 1);
    }
    EXPECT_FALSE(canClose);
    {
        TBoxAnswers no({IDNO});
        form.FormCloseQuery(canClose);
    }
    EXPECT_TRUE(canClose);
    EXPECT_EQ(ReadFileBytes(path), saved);
    // Yes with a file saves and closes.
    {
        TBoxAnswers yes({IDYES});
        TFileAnswers files;
        files.names = {path};
        canClose = false;
        form.FormCloseQuery(canClose);
    }
    EXPECT_TRUE(canClose);
    EXPECT_EQ(Occurrences(ReadFileBytes(path), "font-weight : bold;"), 1);

    // A library that cannot be written is reported and the dialog stays.
    {
        TBoxAnswers yes({IDYES});
        TFileAnswers files;
        files.names = {(dir.path / "missing" / "\xC5\x9D\xC3\xAD.css").string()};
        canClose = true;
        form.FormCloseQuery(canClose);
        ASSERT_EQ(yes.texts.size(), 2u);
        // Named as its characters: "ŝí.css", ŝ as the reference the window shows for it.
        EXPECT_NE(yes.texts[1].find("/missing/&#349;\xED.css"), std::string::npos) << yes.texts[1];
    }
    EXPECT_FALSE(canClose);
    // A library named so is shown as its characters and saved under its own name.
    const std::string accented = dir.file("\xC5\x9D\xC3\xAD.css", "a{x:y;}");
    form.LoadStyleSheet(accented);
    EXPECT_EQ(form.eLibreria->text(), QString::fromUtf8("\xC5\x9D\xC3\xAD.css"));
    EXPECT_EQ(form.eLibreria->toolTip(), QString::fromUtf8(accented.c_str()));
    {
        TFileAnswers files;
        files.names = {accented};
        EXPECT_TRUE(form.sbSalvaClick());
    }
    EXPECT_EQ(Occurrences(ReadFileBytes(accented), "x : y;\r\n"), 1);
}

// Guardar with a name typed as a user types it into the save dialog: without extension it is written
// with the filter's ".css", with one of its own as typed; a hook's answer is taken as typed too.
TEST(StyleSheetDialog, ALibrarySavedWithoutExtensionTakesTheFiltersOne)
{
    TempDir dir("cssname");
    TformCSS form;
    form.LoadStyleSheet(dir.file("origen.css", "h1{color:red;}"));
    form.FormShow();
    const auto saveAs = [&](const std::string& typed) {
        TRealFileDialogAnswer answer(QString::fromStdString((dir.path / typed).string()));
        const bool saved = form.sbSalvaClick();
        EXPECT_TRUE(answer.shown);
        return saved;
    };
    ASSERT_TRUE(saveAs("estilos"));
    const std::string css = (dir.path / "estilos.css").string();
    EXPECT_TRUE(FileExists(css));
    EXPECT_FALSE(FileExists((dir.path / "estilos").string()));
    EXPECT_EQ(Occurrences(ReadFileBytes(css), "color : red;"), 1);
    EXPECT_EQ(form.eLibreria->text(), QStringLiteral("estilos.css"));
    ASSERT_TRUE(saveAs("otra.txt"));
    EXPECT_TRUE(FileExists((dir.path / "otra.txt").string()));
    EXPECT_FALSE(FileExists((dir.path / "otra.txt.css").string()));
    {
        TFileAnswers files;
        files.names = {(dir.path / "respuesta").string()};
        EXPECT_TRUE(form.sbSalvaClick());
    }
    EXPECT_TRUE(FileExists((dir.path / "respuesta.css").string()));
}

// Guardar over a library that exists asks first, as the user sees it in the save dialog: No leaves
// the file as it was, Yes replaces it.
TEST(StyleSheetDialog, SavingOverAnExistingLibraryAsksFirst)
{
    TempDir dir("cssreplace");
    const std::string existing = dir.file("estilos.css", "p{color:blue;}");
    TformCSS form;
    form.LoadStyleSheet(dir.file("origen.css", "h1{color:red;}"));
    form.FormShow();
    {
        TReplaceQuestion no(QMessageBox::No);
        TRealFileDialogAnswer answer(QString::fromStdString(existing));
        EXPECT_FALSE(form.sbSalvaClick());
        EXPECT_TRUE(answer.shown);
        EXPECT_EQ(no.asked, 1);
        EXPECT_TRUE(no.text.contains("estilos.css")) << no.text.toStdString();
    }
    EXPECT_EQ(ReadFileBytes(existing), "p{color:blue;}");
    EXPECT_EQ(form.eLibreria->text(), QStringLiteral("origen.css"));
    {
        TReplaceQuestion yes(QMessageBox::Yes);
        TRealFileDialogAnswer answer(QString::fromStdString(existing));
        EXPECT_TRUE(form.sbSalvaClick());
        EXPECT_EQ(yes.asked, 1);
    }
    EXPECT_EQ(Occurrences(ReadFileBytes(existing), "color : red;"), 1);
    EXPECT_EQ(form.eLibreria->text(), QStringLiteral("estilos.css"));
}

// One control on each page, set as a user would, reaches its field and the declaration of that field.
TEST(StyleSheetDialog, EveryPageBindsItsControls)
{
    TformCSS form;
    form.eClass->setText("x");
    FormControl<QComboBox>(&form, "cbFontSize")->setCurrentIndex(1);
    FormControl<TRadioGroup>(&form, "rgFontSize")->SetItemIndex(3);
    FormControl<QLineEdit>(&form, "eFontSize")->setText("12");
    FormControl<TToolbarButtonKt>(&form, "sbBGColor")->SetDown(true);
    FormControl<TRadioGroup>(&form, "rgTextAlign")->SetItemIndex(4);
    FormControl<TToolbarButtonKt>(&form, "sbPaddingLeft")->SetDown(true);
    FormControl<QLineEdit>(&form, "ePaddingLeft")->setText("3");
    FormControl<QComboBox>(&form, "cbPaddingLeft")->setCurrentIndex(2);
    FormControl<QComboBox>(&form, "cbBorderBottomWidth2")->setCurrentIndex(2);
    FormControl<TRadioGroup>(&form, "rgListStyleType")->SetItemIndex(9);
    FormControl<QComboBox>(&form, "cbPosition")->setCurrentIndex(4);
    FormControl<TRadioGroup>(&form, "rgPageBreakAfter")->SetItemIndex(6);
    FormControl<TRadioGroup>(&form, "rgCursor")->SetItemIndex(16);
    form.mRestos->setPlainText("/* c */");
    TCssRule rule = form.Rule();
    EXPECT_EQ(rule.eFontSize, "12");
    EXPECT_EQ(rule.cbPadding[bsLeft], 2);
    EXPECT_EQ(rule.cbPosition, 4);
    EXPECT_EQ(form.WriteStyle(), rule.WriteStyle());
    EXPECT_EQ(form.WriteStyle(),
              "x\r\n{\r\nfont-size: 12em;\r\nbackground-color: #000000;\r\ntext-align: justify;\r\n"
              "Padding-left: 3px;\r\nborder-bottom-width: medium;\r\nlist-style-type: none;\r\n"
              "position: fixed;\r\npage-break-after: inherit;\r\ncursor: help;\r\n/* c */\r\n}\r\n");

    // And back: a rule read into the controls shows on them.
    TCssRule read;
    read.ReadStyle("y{cursor:wait;margin-top:5px;clip:rect(1px 2px 3px 4px);}", "y");
    form.SetRule(read);
    EXPECT_EQ(FormControl<TRadioGroup>(&form, "rgCursor")->ItemIndex(), 15);
    EXPECT_TRUE(FormControl<TToolbarButtonKt>(&form, "sbMarginTop")->Down());
    EXPECT_EQ(FormControl<QLineEdit>(&form, "eClipLeft")->text(), "4");
    EXPECT_TRUE(FormControl<QCheckBox>(&form, "chClip")->isChecked());
    EXPECT_EQ(form.Rule(), read);
}

// The window's assistant 8 opens the dialog on the side panel's library and reads the saved library
// back into the side panel.
TEST(StyleSheetDialog, AssistantReloadsTheSidePanel)
{
    TWindow w;
    std::string path = w.folder.file("web.css", "h1{x:y;}");
    TSidePanelTools& tools = w.form.SideTools();
    tools.CargaCSS(path);
    ASSERT_EQ(tools.lbEstilos->count(), 1);
    w.form.Config().MakeBackups = false;
    bool shown = false;
    THookWhile<TCSSDialogHook, SetCSSDialogHook> answer([&](TformCSS& dialog) {
        shown = true;
        EXPECT_EQ(dialog.lbEstilos->count(), 1);
        EXPECT_FALSE(dialog.MakeBackups);
        EXPECT_EQ(dialog.OpenFileName, path);
        // Colours come from the colour dialog under the dialog's own choice; pictures are named
        // as the current document reaches them.
        dialog.UseCustomPalette = false;
        THookWhile<TColorDialogHook, SetColorDialogHook> colours([](TColorDialog& d) {
            d.Color = 0x0000FF;
            return true;
        });
        dialog.pColorClick(dialog.pColor);
        EXPECT_EQ(dialog.pColor->Color(), 0x0000FFu);
        TFileAnswers files;
        files.names = {w.folder.file("fondo.gif", "GIF89a"), path};
        dialog.sbOpenBgImageClick();
        EXPECT_EQ(dialog.eBgImage->text().endsWith("fondo.gif)"), true) << dialog.eBgImage->text().toStdString();
        // A name with a character Windows-1252 lacks: the panel reads the library saved in UTF-8.
        dialog.eClass->setText(QString::fromUtf8("p.nuevo\xCE\xB2"));
        EXPECT_TRUE(dialog.sbSalvaClick());
    });
    // The View menu's item opens it.
    QAction* item = w.form.findChild<QAction*>("mVerFormCSS");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(w.form.menuBar()->findChild<QMenu*>("mVer")->actions().contains(item));
    item->trigger();
    EXPECT_TRUE(shown);
    ASSERT_EQ(tools.lbEstilos->count(), 2);
    EXPECT_EQ(tools.lbEstilos->item(1)->text(), QString::fromUtf8("p.nuevo\xCE\xB2"));
}

// The page buttons, the box's two sub-pages, the colour panels and buttons and the picture choosers,
// driven as a user clicks them.
TEST(StyleSheetDialog, PagesColoursAndPictures)
{
    TformCSS form;
    form.FormShow();
    std::vector<std::string> titles;
    auto press = [&](TToolbarButtonKt* b) {
        b->Click();
        titles.push_back(form.stTitulo->text().toStdString());
    };
    press(form.sbNext);
    press(form.sbLast);
    press(form.sbNext);
    press(form.sbPrev);
    press(form.sbFirst);
    press(form.sbPrev);
    EXPECT_EQ(titles, (std::vector<std::string>{" Color y Fondo", " C\xC3\xB3""digos no soportados",
                                                " C\xC3\xB3""digos no soportados", " Cursores", " Fuentes",
                                                " Fuentes"}));
    EXPECT_EQ(form.nbPages->count(), 9);

    EXPECT_EQ(form.nbBox->currentIndex(), 0);
    form.sbLineas->Click();
    EXPECT_EQ(form.nbBox->currentIndex(), 1);
    EXPECT_FALSE(form.sbBoxMargen->Down());
    form.sbBoxMargen->Click();
    EXPECT_EQ(form.nbBox->currentIndex(), 0);

    // A released left press on a colour panel chooses; the choice is the dialog's palette setting.
    std::vector<bool> palettes;
    TColor offered = 0x00FF00;
    form.ChooseColor = [&](TColor& color, bool palette) {
        palettes.push_back(palette);
        color = offered;
        return true;
    };
    form.UseCustomPalette = false;
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 3), QPointF(3, 3), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(form.pBGColor, &release);
    EXPECT_EQ(form.pBGColor->Color(), 0x00FF00u);

    // A border colour button chooses only when the click leaves it up; down it writes no colour.
    TToolbarButtonKt* top = form.sbBorderColor[bsTop];
    ASSERT_TRUE(top->Down());
    offered = 0x112233;
    top->Click();
    EXPECT_FALSE(top->Down());
    EXPECT_EQ(form.Rule().BorderColor[bsTop], 0x112233u);
    EXPECT_EQ(form.Rule().sbBorderColor[bsTop], false);
    offered = 0x445566;
    top->Click();
    EXPECT_TRUE(top->Down());
    EXPECT_EQ(form.Rule().BorderColor[bsTop], 0x112233u);
    EXPECT_EQ(palettes, (std::vector<bool>{false, false}));
    // A rule read into the controls moves the button without asking.
    TCssRule read;
    read.ReadStyle("z{border-left-color:#0000ff;}", "z");
    form.SetRule(read);
    EXPECT_FALSE(form.sbBorderColor[bsLeft]->Down());
    EXPECT_EQ(form.Rule().BorderColor[bsLeft], read.BorderColor[bsLeft]);
    EXPECT_EQ(palettes.size(), 2u);
    EXPECT_EQ(form.Rule(), read);

    // Pictures: a cancelled choice changes nothing; a chosen one becomes an address and ticks its box.
    form.PictureName = [](const std::string& path) { return "img/" + ExtractFileName(path); };
    {
        TFileAnswers none;
        form.sbListStyleImageClick();
    }
    EXPECT_EQ(form.eListStyleImage->text(), "");
    {
        TFileAnswers files;
        files.names = {"/x/punto.png"};
        form.sbListStyleImageClick();
    }
    EXPECT_EQ(form.eListStyleImage->text(), "url(img/punto.png)");
    EXPECT_TRUE(form.chListStyleImage->isChecked());

    // The cursors stand in two columns, "Ayuda" last in the second.
    auto* cursors = FormControl<TRadioGroup>(&form, "rgCursor");
    auto* grid = static_cast<QGridLayout*>(cursors->layout());
    int row = 0, column = 0, rows = 0, columns = 0;
    grid->getItemPosition(grid->indexOf(cursors->Button(16)), &row, &column, &rows, &columns);
    EXPECT_EQ(column, 1);
    EXPECT_EQ(row, 7);
}

// A value the controls cannot take stays as text beside what they took; opening another library
// first offers to save the one being edited.
TEST(StyleSheetDialog, UnreadableValuesStayAsTextAndOpeningAnotherLibraryOffersToSave)
{
    TempDir dir("css");
    TformCSS form;
    form.LoadStyleSheet(dir.file("a.css", "a{font-size:1.5em;color:#ff0000;}b{x:y;}"));
    form.eClass->setText("nuevo");
    {
        TBoxAnswers boxes;
        form.lbEstilos->setCurrentRow(0);
        emit form.lbEstilos->itemClicked(form.lbEstilos->item(0));
        EXPECT_TRUE(boxes.texts.empty());
    }
    EXPECT_EQ(form.eClass->text(), "a");
    EXPECT_EQ(form.pColor->Color(), 0x0000FFu);
    EXPECT_EQ(form.mRestos->toPlainText(), "font-size: 1.5em;");
    EXPECT_EQ(form.lbEstilos->count(), 3) << "the rule left was stored";

    const std::string other = dir.file("b.css", "c{z:w;}");
    {
        TBoxAnswers cancel({IDCANCEL});
        TFileAnswers files;
        files.names = {other};
        form.sbCargaCSSClick();
        EXPECT_EQ(cancel.texts.at(0), "\xBF" "Desea guardar la librer\xED" "a actual?");
    }
    EXPECT_EQ(form.lbEstilos->count(), 3);
    {
        TBoxAnswers no({IDNO});
        TFileAnswers files;
        files.names = {other};
        form.sbCargaCSSClick();
    }
    ASSERT_EQ(form.lbEstilos->count(), 1);
    EXPECT_EQ(form.eClass->text(), "c");
    EXPECT_EQ(ToWin1252(form.eLibreria->Hint()), other);
}

// Characters Windows-1252 lacks typed into the fields and the memo are saved in the library file as
// themselves in UTF-8 and show as themselves when it is read again, never as "?" nor as the mark the
// editor's text holds them with; a library of Windows-1252 alone is saved in its code page.
TEST(StyleSheetDialog, TypedCharactersWindows1252LacksAreSavedAsThemselves)
{
    TempDir dir("css");
    const std::string path = dir.file("lib.css", "a{font-family:Caf\xE9;}");
    const QString beta = QString::fromUtf8("\xCE\xB2");
    const QString selector = "p." + beta;
    const QString family = beta + QString::fromUtf8("eta, \xCE\xB1");
    const QString memo = QString::fromUtf8("content: \"\xE2\x86\x92\xCE\xBB\"; /* \xCE\xB2 */");
    {
        TformCSS form;
        form.LoadStyleSheet(path);
        form.FormShow();
        TFileAnswers files;
        files.names = {path};
        EXPECT_TRUE(form.sbSalvaClick());
        EXPECT_EQ(ReadFileBytes(path), "a\r\n{\r\nfont-family : Caf\xE9;\r\n}\r\n") << "still Windows-1252";

        form.eClass->setText(selector);
        form.chFontFamily->setChecked(true);
        form.eFontFamily->setText(family);
        form.mRestos->setPlainText(memo);
        form.bAddClick();
        files.names = {path};
        EXPECT_TRUE(form.sbSalvaClick());
        ASSERT_EQ(form.lbEstilos->count(), 2);
        EXPECT_EQ(form.lbEstilos->item(1)->text(), selector);
    }
    const std::string bytes = ReadFileBytes(path);
    EXPECT_EQ(Occurrences(bytes, "p.\xCE\xB2\r\n{\r\n"), 1) << bytes;
    EXPECT_EQ(Occurrences(bytes, "font-family : \xCE\xB2" "eta, \xCE\xB1;\r\n"), 1) << bytes;
    EXPECT_EQ(Occurrences(bytes, "content : \"\xE2\x86\x92\xCE\xBB\";\r\n"), 1) << bytes;
    EXPECT_EQ(Occurrences(bytes, "/* \xCE\xB2 */"), 1) << bytes;
    EXPECT_EQ(Occurrences(bytes, "font-family : Caf\xC3\xA9;"), 1) << "the whole file is UTF-8 now: " << bytes;
    EXPECT_EQ(bytes.find_first_of("?\x1F"), std::string::npos) << bytes;

    TformCSS again;
    again.LoadStyleSheet(path);
    again.FormShow();
    ASSERT_EQ(again.lbEstilos->count(), 2);
    EXPECT_EQ(again.lbEstilos->item(1)->text(), selector);
    click(again, 1);
    EXPECT_EQ(again.eClass->text(), selector);
    EXPECT_EQ(again.eFontFamily->text(), family);
    EXPECT_TRUE(again.chFontFamily->isChecked());
    const QString shown = again.mRestos->toPlainText();
    EXPECT_TRUE(shown.contains(QString::fromUtf8("content: \"\xE2\x86\x92\xCE\xBB\";"))) << shown.toStdString();
    EXPECT_FALSE(shown.contains(QChar(0x1F)) || shown.contains('?')) << shown.toStdString();
}
