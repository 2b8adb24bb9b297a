// Tests of the main window's tag commands: keys of the press, the table's codes, drop-down choices, lists, tables, special characters, links and the code for a file.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <ctime>
#include <string>
#include <vector>

#include "app/model/KestrimaConfig.h"
#include "app/model/TagTable.h"
#include "app/widgets/uFormPregunta.h"
#include "app/model/libKestrima.h"
#include "app/window/uFormPrincipal.h"
#include "components/VSpeedBtnMenu.h"
#include "editor/CodeMemo.h"
#include "support/BoxAnswers.h"
#include "support/EditorText.h"
#include "platform/FileDialogs.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Messages.h"
#include "support/Bytes.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

namespace {

// A window with one empty document, its letter case chosen.
struct TTagWindow {
    TempRegistry registry{"tags"};
    TformPrincipal form;
    TCodeMemo& memo;
    std::vector<std::unique_ptr<QObject>> senders;

    explicit TTagWindow(int caseMode) : memo(*form.CodeMemo())
    {
        form.Config().InsCaseMode = caseMode;
        form.AbreArchivo("", false, ekHTML);
        // The commands read the record as the tests set it, not the tool pages' controls.
        form.SetToolPageLink(nullptr);
    }
    void set(const std::string& text, int start = 0, int length = 0)
    {
        memo.Lines().SetText(text);
        memo.SetSelStart(start);
        memo.SetSelLength(length);
    }
    std::string text() { return EditorText(memo); }
    // A control with the command number `tag`, as a menu item or a button carries it.
    QObject* command(int tag)
    {
        senders.push_back(std::make_unique<QObject>());
        senders.back()->setProperty("Tag", tag);
        return senders.back().get();
    }
    std::unique_ptr<TVSpeedBtnMenu> button(const char* name, int index)
    {
        auto result = std::make_unique<TVSpeedBtnMenu>();
        form.PreparaBotonMenu(result.get(), name);
        result->SetItemIndex(index);
        return result;
    }
    // The text each command leaves in an emptied document.
    std::string insertM(int tag, TMouseButton button = mbLeft, TShiftState shift = 0)
    {
        set("");
        form.InsertaTagM(command(tag), button, shift);
        return text();
    }
    std::string tagC(int tag)
    {
        set("");
        form.InsertaTagC(command(tag));
        return text();
    }
    std::string menuTag(TVSpeedBtnMenu& menu)
    {
        set("");
        form.BtnMenuTag(&menu);
        return text();
    }
    // A page opened from `dir`, so that the paths the commands insert are relative to that folder.
    void openPageIn(const TempDir& dir) { form.AbreArchivo(dir.file("page.htm", ""), false, ekHTML); }
};

// Answers the next question dialog with `answer`, or cancels it when the answer is empty.
void answerQuestion(const QString& answer)
{
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<TformPregunta*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        if (answer.isEmpty()) {
            dialog->reject();
            return;
        }
        dialog->eTexto->setText(answer);
        dialog->btnTexto->click();
    });
}

} // namespace

TEST(MainWindowTags, ButtonKeysReachTheCommandAndMenusUseNone)
{
    TTagWindow w(0);
    // Ctrl on a button: the codes on lines of their own, the selection still selected.
    w.set("abc", 0, 3);
    w.form.InsertaTagM(w.command(14), mbLeft, ssCtrl);
    EXPECT_EQ(w.text(), "<DIV>\rabc\r</DIV>");
    EXPECT_EQ(w.memo.GetSelText(), "abc");
    EXPECT_EQ(w.form.UltimaApertura, "<DIV>");
    EXPECT_EQ(w.form.UltimoCierre, "</DIV>");
    EXPECT_EQ(w.form.DesdeRaton, 0);

    EXPECT_EQ(w.insertM(14, mbLeft, ssCtrl), "<DIV>\r\r</DIV>");
    EXPECT_EQ(w.memo.GetSelStart(), 6);

    // Shift with a selection: the bare codes replace it.
    w.set("abc", 0, 3);
    w.form.InsertaTagM(w.command(55), mbLeft, ssShift);
    EXPECT_EQ(w.text(), "<B></B>");
    EXPECT_EQ(w.memo.GetSelStart(), 3);

    // A menu command forgets keys left from an earlier press.
    w.form.BtnMouseDown(nullptr, mbRight, ssCtrl | ssShift);
    EXPECT_EQ(w.form.CtrlPulsado, 1);
    EXPECT_EQ(w.form.BotonDerecho, 1);
    w.set("abc", 0, 3);
    w.form.InsertaTag(w.command(14));
    EXPECT_EQ(w.text(), "<DIV>abc</DIV>");
    EXPECT_EQ(w.form.CtrlPulsado, 0);
    EXPECT_EQ(w.form.ShiftPulsado, 0);
    EXPECT_EQ(w.form.BotonDerecho, 0);

    // A row without Ctrl keeps the codes on the line even with Ctrl held.
    w.set("abc", 0, 3);
    w.form.InsertaTagM(w.command(9), mbLeft, ssCtrl);
    EXPECT_EQ(w.text(), " WIDTH=\"abc\"");
}

TEST(MainWindowTags, RepeatingBeforeAnyCodeInsertsNothingAndEachInsertionIsOneUndo)
{
    TTagWindow w(3);
    w.set("abc", 1, 0);
    w.form.InsertaTag(w.command(18));
    EXPECT_EQ(w.text(), "abc");
    w.form.InsertaTag(w.command(55));
    w.form.InsertaTag(w.command(18));
    EXPECT_EQ(w.text(), "a<b><b></b></b>bc");
    w.memo.Perform(EM_UNDO, 0, 0);
    EXPECT_EQ(w.text(), "a<b></b>bc");
    w.memo.Perform(EM_UNDO, 0, 0);
    EXPECT_EQ(w.text(), "abc");
}

TEST(MainWindowTags, ComputedRowsReadTheToolPages)
{
    TTagWindow w(4);
    TToolPageValues& v = w.form.ToolPageValues();
    v.Color = 0x8000FF;  // red FF, green 00, blue 80
    v.FontColor = 0x0000FF;
    v.FontFace = "Arial";
    v.FontSizeIndex = 2;
    EXPECT_EQ(w.insertM(26), " BGCOLOR=\"#FF0080\"");
    EXPECT_EQ(w.insertM(27), "#FF0080");
    EXPECT_EQ(w.insertM(50), "<BASEFONT COLOR=\"#FF0000\" FACE=\"Arial\" SIZE=\"3\">");
    EXPECT_EQ(w.insertM(51), "<FONT COLOR=\"#FF0000\" FACE=\"Arial\" SIZE=\"3\"></FONT>");
    EXPECT_EQ(w.insertM(52), "<FONT FACE=\"Arial\"></FONT>");
    EXPECT_EQ(w.insertM(52, mbRight), " FACE=\"Arial\"");
    EXPECT_EQ(w.insertM(53, mbRight), " COLOR=\"#FF0000\"");
    EXPECT_EQ(w.insertM(37), "&nbsp;");
    EXPECT_EQ(w.insertM(13), "<BR>");
    EXPECT_EQ(w.insertM(999), "");

    v.JavaParam.Text = "speed";
    v.JavaValue.Text = "3";
    EXPECT_EQ(w.insertM(111), "<PARAM NAME=\"speed\" VALUE=\"3\">");
    EXPECT_EQ(v.JavaParam.Items[0], "speed");

    v.Links.Text = " a.htm ";
    v.NameLinks.Text = "x";
    v.TargetLink.Text = "_top";
    w.set("abc", 0, 3);
    w.form.InsertaTag(w.command(200));
    EXPECT_EQ(w.text(), "<A HREF=\"a.htm#x\" TARGET=\"_top\">abc</A>");
    EXPECT_EQ(v.Links.Text, "a.htm");
    EXPECT_EQ(v.Links.Items[0], "a.htm");
    EXPECT_EQ(v.TargetLink.Items[0], "_top");
    v.NameLinks.Text = "";
    v.TargetLink.Text = "";
    EXPECT_EQ(w.insertM(200), "<A HREF=\"a.htm\"></A>");

    // Typed values are quoted so that they read back as typed.
    v.Links.Text = "say \"hi\".htm";
    v.TargetLink.Text = "it's \"x\"";
    EXPECT_EQ(w.insertM(200), "<A HREF='say \"hi\".htm' TARGET=\"it's &quot;x&quot;\"></A>");
    v.TargetLink.Text = "";
    v.JavaValue.Text = "a\"b";
    EXPECT_EQ(w.insertM(111), "<PARAM NAME=\"speed\" VALUE='a\"b'>");

    v.ListValue = "1";
    v.ListValueOn = true;
    v.ListSelected = true;
    EXPECT_EQ(w.insertM(250), "<OPTION VALUE=\"1\" SELECTED>");
    v.ComboSelected = true;
    EXPECT_EQ(w.insertM(251), "<OPTION SELECTED>");

    // The style commands need a chosen style.
    v.StyleText = "P.nota\r{\rcolor : red;\r}\r";
    w.set("", 0, 0);
    w.form.InsertaTag(w.command(232));
    EXPECT_EQ(w.text(), "");
    v.StyleEntry = "P.nota";
    EXPECT_EQ(w.insertM(232), "<P CLASS=\"nota\"></P>");
    EXPECT_EQ(w.insertM(232, mbRight), " CLASS=\"nota\"");
    v.StyleEntry = "nota";
    EXPECT_EQ(w.insertM(232), " CLASS=\"nota\"");
    v.StyleEntry = "P.nota";
    EXPECT_EQ(w.insertM(231).rfind(" STYLE=\"", 0), 0u);
    EXPECT_NE(w.insertM(230).find("color : red;"), std::string::npos);
    v.StyleLibraryPath = "/web/estilos.css";
    v.StyleLibraryName = "estilos";
    w.form.Config().InsertDirs = 1;
    EXPECT_EQ(w.insertM(233), "<LINK REL=\"stylesheet\" TYPE=\"text/css\" HREF=\"estilos.css\" TITLE=\"estilos\">");
}

TEST(MainWindowTags, DropDownChoices)
{
    TTagWindow w(4);
    auto table = w.button("sbTableOptions", 0);
    w.set("x", 0, 1);
    w.form.BtnMenuSelect(table.get());
    EXPECT_EQ(w.text(), "<TABLE>x</TABLE>");
    table->SetItemIndex(1);
    w.set("<TABLE>", 6, 0);
    w.form.BtnMenuSelect(table.get());
    EXPECT_EQ(w.text(), "<TABLE BORDER>");

    // The heading button names the level it inserted.
    auto heading = std::make_unique<TVSpeedBtnMenu>();
    heading->setProperty("Tag", 1);
    heading->SetItems(HeadingItems());
    heading->SetItemIndex(2);
    w.set("t", 0, 1);
    w.form.BtnMenuTag(heading.get());
    EXPECT_EQ(w.text(), "<H3>t</H3>");
    EXPECT_EQ(heading->text(), "H3");
    // Its own press inserts the level it shows; the right button offers the six levels.
    w.set("", 0, 0);
    w.form.SbCabeceraMouseDown(heading.get(), mbLeft, 0);
    EXPECT_EQ(w.text(), "<H3></H3>");
    w.form.SbCabeceraMouseDown(heading.get(), mbRight, 0);
    EXPECT_EQ(heading->Items().Count(), 6);

    auto tags = w.button("sbTags", 10);
    EXPECT_EQ(w.menuTag(*tags), "<STRONG></STRONG>");
    auto doc = w.button("sbDocType", 2);
    EXPECT_EQ(w.menuTag(*doc), "-//W3C//DTD HTML 4.0//EN");
    auto sound = w.button("sbSound", 1);
    w.form.ToolPageValues().BGSound.Text = "a.wav";
    w.form.ToolPageValues().Loop = "2";
    EXPECT_EQ(w.menuTag(*sound), "<BGSOUND SRC=\"a.wav\" LOOP=\"2\">");
    EXPECT_EQ(w.form.ToolPageValues().BGSound.Items[0], "a.wav");

    w.set("", 0, 0);
    w.form.pmTags()->trigger();
    EXPECT_EQ(w.text(), "<  >");
    EXPECT_EQ(w.memo.GetSelStart(), 2);
}

TEST(MainWindowTags, ColourButtonConvertsAndRefusesBadAnswers)
{
    TTagWindow w(4);
    w.form.ToolPageValues().Color = 0x00FF00;
    auto color = w.button("sbColor", 2);
    EXPECT_EQ(w.menuTag(*color), " BORDERCOLOR=\"#00FF00\"");

    color->SetItemIndex(7);
    answerQuestion("255, 0,128");
    EXPECT_EQ(w.menuTag(*color), "FF0080");

    color->SetItemIndex(8);
    answerQuestion("FF,00,80");
    EXPECT_EQ(w.menuTag(*color), "255,0,128");

    TBoxAnswers boxes;
    color->SetItemIndex(7);
    w.set("", 0, 0);
    answerQuestion("300,0,0");
    w.form.BtnMenuTag(color.get());
    EXPECT_EQ(w.text(), "");
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find("300,0,0"), std::string::npos);
    // A cancelled question inserts nothing and says nothing.
    answerQuestion("");
    w.form.BtnMenuTag(color.get());
    EXPECT_EQ(w.text(), "");
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST(MainWindowTags, ListsTablesAndRepeatedLines)
{
    TTagWindow w(3);
    w.set("one\rtwo\rthree", 0, 13);
    w.form.InsertaTagC(w.command(10));
    EXPECT_EQ(w.text(), "<ul>\r <li>one\r <li>two\r <li>three\r</ul>");
    // Without a selection the codes go in as a tag.
    EXPECT_EQ(w.tagC(10), "<ul></ul>");
    w.form.ToolPageValues().OLKind = 3;
    w.form.ToolPageValues().OLStartOn = true;
    w.form.ToolPageValues().OLStart = "4";
    w.set("a", 0, 1);
    w.form.InsertaTagC(w.command(11));
    EXPECT_EQ(w.text(), "<ol type=\"I\" start=\"4\">\r <li>a\r</ol>");

    w.form.Config().InsCaseMode = 4;
    w.form.ToolPageValues().TableRows = 2;
    w.form.ToolPageValues().TableCols = 3;
    w.set("x", 0, 1);
    w.form.sbTablaMouseDown(nullptr, mbLeft, 0);
    EXPECT_EQ(w.text(), "x<TABLE>\r<TR>\r<TD></TD><TD></TD><TD></TD>\r</TR>\r<TR>\r<TD></TD><TD></TD><TD></TD>\r</TR>\r"
                        "</TABLE>\r");
    w.form.ToolPageValues().TableRows = 0;
    w.form.ToolPageValues().TableCols = 0;
    w.set("x", 0, 1);
    w.form.sbTablaMouseDown(nullptr, mbLeft, 0);
    EXPECT_EQ(w.text(), "<TABLE>x</TABLE>");

    w.form.ToolPageValues().RepeatPrefix = "<LI>";
    w.form.ToolPageValues().RepeatSuffix = ";";
    w.set("a\rb\r", 0, 4);
    w.form.sbRepiteTagClick(nullptr);
    EXPECT_EQ(w.text(), "<LI>a;\r<LI>b;\r");
}

TEST(MainWindowTags, SpecialCharactersCustomCodesAndTheInsertMenu)
{
    TTagWindow w(3);
    QAction amp("&&");
    w.set("x", 0, 1);
    w.form.InsCarEspecialClick(&amp);
    EXPECT_EQ(w.text(), "&amp;");

    // A custom code: the caption opens, the hint closes, in the configured case.
    QAction custom("<Q>");
    custom.setStatusTip("</Q>");
    w.set("x", 0, 1);
    w.form.InsertaMiTag(&custom);
    EXPECT_EQ(w.text(), "<q>x</q>");

    // Every item of the Insert menu carries a command and a caption.
    QMenu* insertar = w.form.menuBar()->findChild<QMenu*>("mInsertar");
    ASSERT_NE(insertar, nullptr);
    int commands = 0;
    for (QAction* entry : insertar->actions()) {
        if (!entry->menu() || entry->menu() == w.form.mOtrosTags())
            continue;
        EXPECT_FALSE(entry->text().isEmpty());
        for (QAction* item : entry->menu()->actions()) {
            EXPECT_FALSE(item->text().isEmpty());
            ++commands;
        }
    }
    EXPECT_GT(commands, 80);
    // The bold item of the text group.
    QAction* bold = insertar->actions()[0]->menu()->actions()[0];
    w.set("b", 0, 1);
    bold->trigger();
    EXPECT_EQ(w.text(), "<b>b</b>");
}

TEST(MainWindowTags, CodeForAFileByItsExtension)
{
    TTagWindow w(4);
    TempDir dir("tagfiles");
    std::filesystem::create_directories(dir.path / "img");
    w.openPageIn(dir);
    w.form.Config().InsertDirs = 2;
    const std::string gif = TinyGif();
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("img/a.gif", gif)),
              "<IMG SRC=\"img/a.gif\" ALT=\"a\" WIDTH=\"40\" HEIGHT=\"20\">");
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("img/b.gif", gif.substr(0, 20))), "<IMG SRC=\"img/b.gif\" ALT=\"b\">");
    // "img\a.gif" beside the folder "img" is a picture of its own, which a browser finds by "%5C".
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("img\\a.gif", gif.substr(0, 20))), "<IMG SRC=\"img%5Ca.gif\" ALT=\"img\\a\">");
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("s.CSS", "")), "<LINK REL=StyleSheet HREF=\"s.CSS\" TYPE=\"text/css\">");
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("x.wav", "")), "<BGSOUND SRC=\"x.wav\" LOOP=\"-1\">");
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("f.pfr", "")), "<LINK REL=FONTDEF SRC=\"f.pfr\">");
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("Sitio.url", "[InternetShortcut]\r\nURL=http://example.org/\r\n")),
              "<A HREF=\"http://example.org/\">Sitio</A>");
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("img/Otra.htm", "")), "<A HREF=\"img/Otra.htm\">Otra</A>");

    // The case mode changes the codes of a link, never the name shown.
    w.form.Config().InsCaseMode = 1;
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("img/Otra.htm", "")), "<a href=\"img/otra.htm\">Otra</a>");
    w.form.Config().InsCaseMode = 2;
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("x.wav", "")), "<BGSOUND SRC=\"x.wav\" LOOP=\"-1\">");
    w.form.Config().InsertDirs = 0;
    EXPECT_EQ(w.form.RutaRelativa((dir.path / "img" / "a.gif").string()), (dir.path / "img" / "a.gif").string());
}

TEST(MainWindowTags, AFileWithAnAccentedNameGoesInAsItsCharactersWithItsPictureSize)
{
    TTagWindow w(4);
    TempDir dir("tagnames");
    // "imágenes/foto ŝ.gif" in UTF-8, as the desktop names it; ŝ is not in Windows-1252.
    std::filesystem::create_directories(dir.path / "im\xC3\xA1genes");
    w.openPageIn(dir);
    w.form.Config().InsertDirs = 2;
    const std::string gif = TinyGif();
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("im\xC3\xA1genes/foto \xC5\x9D.gif", gif)),
              "<IMG SRC=\"im\xE1genes/foto \x1F#349;.gif\" ALT=\"foto \x1F#349;\" WIDTH=\"40\" HEIGHT=\"20\">");
    // A byte that spells no character is the address escape a browser reads back; the size is read.
    EXPECT_EQ(w.form.CodigoDeArchivo(dir.file("mal\xFF.gif", gif)),
              "<IMG SRC=\"mal%FF.gif\" ALT=\"mal%FF\" WIDTH=\"40\" HEIGHT=\"20\">");
    // The style library's name goes into its link the same way.
    TToolPageValues& v = w.form.ToolPageValues();
    v.StyleLibraryPath = dir.file("\xC5\x9D\xC3\xAD.css", "");
    v.StyleLibraryName = "\xC5\x9D\xC3\xAD";
    EXPECT_EQ(w.insertM(233),
              "<LINK REL=\"stylesheet\" TYPE=\"text/css\" HREF=\"\x1F#349;\xED.css\" TITLE=\"\x1F#349;\xED\">");
}

TEST(MainWindowTags, CustomCodeItemsRunFromTheirMenu)
{
    TTagWindow w(4);
    QAction* item = w.form.mOtrosTags()->addAction("<KBD>");
    item->setStatusTip("</KBD>");
    w.set("k", 0, 1);
    item->trigger();
    EXPECT_EQ(w.text(), "<KBD>k</KBD>");
}

TEST(MainWindowTags, FilePickersDatesAndURLSchemes)
{
    TTagWindow w(4);
    TempDir dir("tagpick");
    w.openPageIn(dir);
    w.form.Config().InsertDirs = 2;
    std::vector<std::string> filters;
    std::string chosen = (dir.path / "img" / "fondo.gif").string();
    const TFileDialogHook saved = SetFileDialogHook([&](TFileDialogRequest& request) {
        filters.push_back(request.Filter);
        if (chosen.empty())
            return false;
        request.FileName = chosen;
        request.Files = {chosen};
        return true;
    });
    EXPECT_EQ(w.tagC(4), " BACKGROUND=\"img/fondo.gif\"");
    EXPECT_EQ(w.tagC(1), " HREF=\"img/fondo.gif\"");
    EXPECT_EQ(w.tagC(2), " SRC=\"img/fondo.gif\"");
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(filters[0].rfind("Im\xE1genes|*.gif;*.jpg;*.bmp;*.png|", 0), 0u);
    EXPECT_EQ(filters[1], "Todos|*.*");
    // A cancelled dialog inserts nothing.
    chosen.clear();
    EXPECT_EQ(w.tagC(3), "");
    SetFileDialogHook(saved);

    // The date in the configured form with Spanish names, never split over lines.
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    const std::string shortDate = DateTimeText(3, today);
    const std::string longDate = DateTimeText(1, today);
    w.form.Config().DateFormat = 3;
    EXPECT_EQ(w.tagC(20), shortDate);
    w.form.Config().DateFormat = 1;
    EXPECT_EQ(w.tagC(20), longDate);
    w.form.Config().DateFormat = 2;
    const std::string dated = w.tagC(20);
    EXPECT_EQ(dated.rfind(shortDate + ", ", 0), 0u);
    EXPECT_EQ(dated.size(), shortDate.size() + 7);

    // A URL scheme goes to whichever control has the focus.
    w.form.show();
    w.form.activateWindow();
    QLineEdit edit(&w.form);
    edit.show();
    edit.setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), &edit);
    QAction scheme("mailto:");
    scheme.setProperty("Tag", 5);
    w.form.InsertaTagC(&scheme);
    EXPECT_EQ(edit.text(), "mailto:");
    w.set("ab", 1, 0);
    w.memo.setFocus();
    QApplication::processEvents();
    w.form.InsertaTagC(&scheme);
    EXPECT_EQ(w.text(), "amailto:b");
}

TEST(MainWindowTags, RepeatingCodesOnLinesGivesTheEditorTheKeyboard)
{
    TTagWindow w(4);
    w.form.show();
    w.form.activateWindow();
    QLineEdit prefix(&w.form);
    prefix.show();
    w.form.ToolPageValues().RepeatPrefix = "<P>";
    // Nothing selected: nothing to do, and the keyboard stays where it is.
    w.set("a\rb", 0, 0);
    prefix.setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), &prefix);
    w.form.sbRepiteTagClick(nullptr);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), &prefix);
    w.set("a\rb", 0, 3);
    w.form.sbRepiteTagClick(nullptr);
    QApplication::processEvents();
    EXPECT_EQ(w.text(), "<P>a\r<P>b");
    EXPECT_EQ(QApplication::focusWidget(), &w.memo);
}

TEST(MainWindowTags, AReadOnlyDocumentTakesNoCodesTextToolsOrDeletion)
{
    TTagWindow w(3);
    w.form.ToolPageValues().RepeatPrefix = "<LI>";
    QAction amp("&&");
    QAction custom("<Q>");
    custom.setStatusTip("</Q>");
    const std::vector<std::function<void()>> commands = {
        [&] { w.form.InsertaCodigo(0, 0, "<B>", "</B>"); },
        [&] { w.form.InsertaTag(w.command(55)); },
        [&] { w.form.InsertaTag(w.command(37)); },
        [&] { w.form.InsertaTagC(w.command(10)); },
        [&] { w.form.sbRepiteTagClick(nullptr); },
        [&] { w.form.InsCarEspecialClick(&amp); },
        [&] { w.form.InsertaMiTag(&custom); },
        [&] { w.form.proHerramientasTexto(4); },
        [&] { w.form.proOpcionesEdicion(6); },
    };
    for (size_t i = 0; i < commands.size(); ++i) {
        w.set("Uno\rDos\r", 0, 7);
        w.memo.SetReadOnly(true);
        commands[i]();
        EXPECT_EQ(w.text(), "Uno\rDos\r") << i;
        // The same command changes the text once the user may change it.
        w.memo.SetReadOnly(false);
        w.memo.SetSelStart(0);
        w.memo.SetSelLength(7);
        commands[i]();
        EXPECT_NE(w.text(), "Uno\rDos\r") << i;
    }
}
