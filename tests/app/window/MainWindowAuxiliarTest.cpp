// Tests of the main window's auxiliary editor and its editor commands: marking every match, indenting, help on the word at the caret and hyperlinks.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <filesystem>
#include <fstream>

#include "app/window/AuxiliaryEditor.h"
#include "editor/CodeMemoTestSupport.h"
#include "app/panels/SidePanel.h"
#include "app/window/uFormPrincipalTools.h"
#include "components/KrCtrls.h"
#include "editor/model/Bookmarks.h"
#include "highlight/CodeMemoParser.h"
#include "platform/Help.h"
#include "platform/Win1252Qt.h"
#include "support/MainWindowDocuments.h"
#include "support/ShellOpens.h"
#include "support/Win1252Text.h"
#include "toolbars/TabCtrls.h"

namespace {

QAction* command(TformPrincipal& form, const char* name)
{
    return form.Commands().Action(name);
}

std::string panel(TformPrincipal& form, int index)
{
    return ToWin1252(form.Panel(index)->text());
}

void select(TCustomCodeMemo& memo, int start, int end)
{
    TSelectionRange range{start, end};
    memo.PerformSelection(SMM_SET, range);
}

// The marks as "start-end" in order.
std::string marks(TCodeMemo& memo)
{
    std::string text;
    for (int i = 0; memo.TextMarks() && i < memo.TextMarks()->Count(); ++i) {
        const TTextMark* mark = memo.TextMarks()->Mark(i);
        text += std::to_string(mark->Start()) + "-" + std::to_string(mark->End()) + (mark->Kind == 1 ? " " : "? ");
    }
    return text;
}

} // namespace

TEST(MainWindowAuxiliar, AJavaScriptPageOpensReadOnlyInHtmlColoursAndTheCommandsFollowIt)
{
    TWindow w;
    TformPrincipal& form = w.form;
    const std::string text = "var s = \"<b>x</b>\"; // <i>\r\n<p>uno</p>\r\n";
    form.AbreArchivo(w.folder.file("a.js", text), false, ekJavaScript);
    EXPECT_EQ(ToWin1252(command(form, "mAbrirEnAuxiliar")->text()), "&Abrir p\xE1gina en el editor auxiliar");
    EXPECT_EQ(command(form, "mAbrirEnAuxiliar")->shortcut().toString().toStdString(), "F11");
    const TColor htmlGutter = form.HTMLParser().Settings().GutterColor;
    command(form, "mAbrirEnAuxiliar")->trigger();
    ASSERT_TRUE(form.Auxiliar().IsOpen());
    TCodeMemo& aux = *form.Auxiliar().Editor();
    EXPECT_EQ(aux.GetTextStr(), w.memo.GetTextStr());
    EXPECT_EQ(aux.ActiveParser(), 1);
    EXPECT_EQ(aux.Parser(3), &form.JavaParser());
    EXPECT_TRUE(aux.ReadOnly());
    EXPECT_FALSE(aux.HideSelection);
    EXPECT_TRUE(aux.ShowFocusLine());
    EXPECT_EQ(aux.property("HelpContext").toInt(), 45);
    EXPECT_EQ(ToWin1252(aux.toolTip()), "Editor auxiliar");
    EXPECT_EQ(aux.VisiblePropEdPages & (1u << ppKEYS), 0u);
    // The look went into the editor's own settings, never into the languages the main editor shares.
    EXPECT_EQ(aux.OwnSettings().SelTextBack, static_cast<TColor>(clNavy));
    EXPECT_EQ(aux.OwnSettings().GutterColor, static_cast<TColor>(clWhite));
    EXPECT_FALSE(aux.OwnSettings().HasOption(smoLineNumbers));
    EXPECT_TRUE(aux.OwnSettings().HasOption(smoAutoIndent));
    EXPECT_EQ(form.HTMLParser().Settings().GutterColor, htmlGutter);
    ASSERT_NE(form.Auxiliar().Splitter(), nullptr);
    EXPECT_EQ(form.Auxiliar().Splitter()->height(), 8);
    EXPECT_EQ(form.Places().spAuxiliar->widget(1), &aux);
    EXPECT_EQ(form.sbAuxiliar()->Hint(), "Cerrar el editor auxiliar");
    EXPECT_EQ(ToWin1252(command(form, "mAbrirEnAuxiliar")->text()), "&Cerrar el editor auxiliar");
    EXPECT_TRUE(w.memo.hasFocus());

    // Coloured by the HTML language, as a page, while the main editor colours it as a script.
    TCodeMemo reference;
    reference.SetParser1(&form.HTMLParser());
    reference.Lines().SetText(text);
    EXPECT_EQ(aux.GetStyleBytes(nullptr), reference.GetStyleBytes(nullptr));
    EXPECT_NE(aux.GetStyleBytes(nullptr), w.memo.GetStyleBytes(nullptr));

    aux.setFocus();
    form.smAuxTempEnter();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(&aux, &key);
    EXPECT_EQ(aux.GetTextStr(), w.memo.GetTextStr());
    select(aux, 0, 3);
    for (const char* name : {"sbCopiar", "mCopiar"})
        EXPECT_TRUE(command(form, name)->isEnabled()) << name;
    for (const char* name : {"sbCortar", "sbPegar", "mCortar", "mPegar", "sbDeshacer", "mDeshacer", "mRehacer"})
        EXPECT_FALSE(command(form, name)->isEnabled()) << name;
    EXPECT_FALSE(form.SidePanel().pcLateral->isEnabled());
    EXPECT_FALSE(form.Herramientas().pcSuperior->isEnabled());
    select(aux, 0, 0);
    EXPECT_FALSE(command(form, "sbCopiar")->isEnabled());
    EXPECT_EQ(panel(form, 3), "S\xF3lo lectura");
    EXPECT_EQ(panel(form, 2), "Auxiliar");
    EXPECT_EQ(panel(form, 1), "   1 :    1");

    // Back in the main editor the page controls work, and its next change writes its own panels.
    form.smAuxTempExit();
    EXPECT_TRUE(form.SidePanel().pcLateral->isEnabled());
    EXPECT_TRUE(form.Herramientas().pcSuperior->isEnabled());
    select(w.memo, 2, 2);
    EXPECT_EQ(panel(form, 3), "Insertar");
    EXPECT_EQ(panel(form, 2), "");
    EXPECT_EQ(panel(form, 1), "   3 :    1");
    // The window goes with the auxiliary editor open.
}

TEST(MainWindowAuxiliar, ClosingFreesBothAndTheCopyStaysAsItWasOpened)
{
    TWindow w;
    TformPrincipal& form = w.form;
    form.AbreArchivo(w.folder.file("a.htm", "<p>uno</p>"), false, ekHTML);
    form.AbreArchivo(w.folder.file("b.htm", "<p>dos</p>"), false, ekHTML);
    command(form, "sbAuxiliar")->trigger();
    TCodeMemo* aux = form.Auxiliar().Editor();
    ASSERT_NE(aux, nullptr);
    const std::string copy = aux->GetTextStr();
    EXPECT_EQ(copy, "<p>dos</p>");
    // Both editors share the languages but never each other's text or colours.
    const std::string auxBytes = aux->GetStyleBytes(nullptr);
    type(w.memo, "<b>");
    EXPECT_EQ(aux->GetStyleBytes(nullptr), auxBytes);
    const std::string mainBytes = w.memo.GetStyleBytes(nullptr);
    select(*aux, 0, 0);
    aux->SetSelText("<i>");
    EXPECT_EQ(w.memo.GetStyleBytes(nullptr), mainBytes);
    EXPECT_EQ(w.memo.GetTextStr(), "<b><p>dos</p>");
    switchTo(form, 0);
    EXPECT_EQ(aux->GetTextStr(), "<i><p>dos</p>");

    aux->setFocus();
    command(form, "mAbrirEnAuxiliar")->trigger();
    EXPECT_FALSE(form.Auxiliar().IsOpen());
    EXPECT_EQ(form.Auxiliar().Editor(), nullptr);
    EXPECT_EQ(form.Auxiliar().Splitter(), nullptr);
    EXPECT_EQ(form.Places().spAuxiliar->count(), 1);
    EXPECT_EQ(form.sbAuxiliar()->Hint(), "Abrir en el editor auxiliar");
    EXPECT_EQ(ToWin1252(command(form, "mAbrirEnAuxiliar")->text()), "&Abrir en el editor auxiliar");
    EXPECT_EQ(form.focusWidget(), &w.memo);

    // Closing the last document closes it too, and closing the window with it open is clean.
    command(form, "mAbrirEnAuxiliar")->trigger();
    TBoxAnswers boxes({IDNO, IDNO});
    form.mCerrarTodoClick();
    EXPECT_FALSE(form.Auxiliar().IsOpen());
    command(form, "mAbrirEnAuxiliar")->trigger();
    EXPECT_FALSE(form.Auxiliar().IsOpen());
    form.AbreArchivo(w.folder.file("c.htm", "<p>tres</p>"), false, ekHTML);
    command(form, "mAbrirEnAuxiliar")->trigger();
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.Auxiliar().IsOpen());
}

TEST(MainWindowAuxiliar, MarkingAllMatchesMarksEachStartAndLeavesTheCaretAtTheFirst)
{
    TWindow w;
    TformPrincipal& form = w.form;
    TBoxAnswers boxes;
    form.AbreArchivo(w.folder.file("a.htm", "aaaa"), false, ekHTML);
    // Nothing to look for: nothing happens.
    select(w.memo, 3, 3);
    command(form, "mMuestraTodas")->trigger();
    EXPECT_EQ(marks(w.memo), "");
    EXPECT_EQ(w.memo.GetSelStart(), 3);

    select(w.memo, 0, 2);
    command(form, "mMuestraTodas")->trigger();
    EXPECT_EQ(marks(w.memo), "0-2 1-3 2-4 ");
    EXPECT_EQ(w.memo.GetSelStart(), 0);
    EXPECT_EQ(w.memo.GetSelLength(), 0);
    EXPECT_EQ(form.TextoBuscado, "aa");
    EXPECT_EQ(form.OpcionesBusqueda, 0);

    // A regular expression from the last search marks each whole match.
    form.AbreArchivo(w.folder.file("b.htm", "x ab1 ab22 zz ab333"), false, ekHTML);
    form.TextoBuscado = "ab[0-9]+";
    form.OpcionesBusqueda = smsRegExpr;
    select(w.memo, 4, 4);
    form.mMuestraTodasClick();
    EXPECT_EQ(marks(w.memo), "2-5 6-10 14-19 ");
    EXPECT_EQ(w.memo.GetSelStart(), 2);
    // Without a last search of the window's, the editor's own: none found gives the selection back.
    form.TextoBuscado.clear();
    w.memo.SearchText = "nada";
    w.memo.SearchFlags = 0;
    select(w.memo, 7, 9);
    select(w.memo, 9, 9);
    form.mMuestraTodasClick();
    EXPECT_EQ(w.memo.GetSelStart(), 9);
    EXPECT_EQ(form.TextoBuscado, "");
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(MainWindowAuxiliar, MarkingAllMatchesShowsTheBusyCursorAndEscapeStopsItWithTheFirstMarked)
{
    // Every look for Escape handles the waiting events.
    TWatchAtOnce watch;
    TWindow w;
    TformPrincipal& form = w.form;
    TBoxAnswers boxes;
    form.AbreArchivo(w.folder.file("a.htm", Repeated("<p class=\"x\">uno</p>\r\n", 2000)), false, ekHTML);
    form.TextoBuscado = "CLASS";
    form.OpcionesBusqueda = 0;
    select(w.memo, 40, 40);

    // While the run goes on, the window answers a call queued before it, shows the busy cursor, and
    // takes the Escape the user presses then.
    bool answered = false;
    bool busy = false;
    QMetaObject::invokeMethod(
        &w.memo,
        [&] {
            answered = true;
            busy = QApplication::overrideCursor() != nullptr;
            QCoreApplication::postEvent(&w.memo, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        },
        Qt::QueuedConnection);
    form.mMuestraTodasClick();
    EXPECT_TRUE(answered);
    EXPECT_TRUE(busy);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The first matches are marked, in order, and no more; the caret is at the first.
    const TObjectList* list = w.memo.TextMarks();
    ASSERT_NE(list, nullptr);
    EXPECT_GT(list->Count(), 1);
    EXPECT_LT(list->Count(), 2000);
    for (int i = 0; i < list->Count(); ++i) {
        ASSERT_EQ(list->Mark(i)->Start(), 3 + 21 * i) << i;
        ASSERT_EQ(list->Mark(i)->End(), 8 + 21 * i) << i;
    }
    EXPECT_EQ(w.memo.GetSelStart(), 3);
    EXPECT_EQ(w.memo.GetSelLength(), 0);
    EXPECT_EQ(form.TextoBuscado, "CLASS");

    // Without Escape every match is marked.
    w.memo.ClearMarks();
    form.mMuestraTodasClick();
    ASSERT_NE(w.memo.TextMarks(), nullptr);
    EXPECT_EQ(w.memo.TextMarks()->Count(), 2000);
    EXPECT_EQ(w.memo.TextMarks()->Mark(1999)->Start(), 3 + 21 * 1999);
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(MainWindowAuxiliar, IndentingHelpAndHyperlinks)
{
    TWindow w;
    TformPrincipal& form = w.form;
    form.AbreArchivo(w.folder.file("a.htm", "uno\r\ndos\r\ntres"), false, ekHTML);
    const std::string before = w.memo.GetTextStr();
    const std::string step(static_cast<size_t>(w.memo.IndentStep()), ' ');
    EXPECT_EQ(command(form, "mSangrar")->shortcut().toString().toStdString(), "Alt+Right");
    EXPECT_EQ(command(form, "mNoSangrar")->shortcut().toString().toStdString(), "Alt+Left");
    select(w.memo, 1, 6);
    command(form, "mSangrar")->trigger();
    EXPECT_EQ(w.memo.GetTextStr(), step + "uno\r\n" + step + "dos\r\ntres");
    w.memo.setFocus();
    form.proOpcionesEdicion(1);
    EXPECT_EQ(w.memo.GetTextStr(), before);
    command(form, "sbSangrar")->trigger();
    command(form, "sbNoSangrar")->trigger();
    EXPECT_EQ(w.memo.GetTextStr(), before);
    // A read-only page keeps its indenting.
    w.memo.SetReadOnly(true);
    command(form, "mSangrar")->trigger();
    EXPECT_EQ(w.memo.GetTextStr(), before);
    w.memo.SetReadOnly(false);

    // Help on the token at the caret, which is selected and kept as the last opening code.
    TempDir topics("topics");
    std::filesystem::create_directories(topics.path / "Html");
    std::ofstream((topics.path / "Html" / "index.html").string()) << "<html></html>";
    std::ofstream((topics.path / "Html" / "keywords.txt").string()) << "table=table.html\nimg=img.html\n";
    form.Config().TopicHelp = (topics.path / "Html.hlp").string();
    w.memo.Lines().SetText("<tr> <table>");
    select(w.memo, 8, 8);
    TShellOpens shell;
    EXPECT_EQ(command(form, "mInforma")->shortcut().toString().toStdString(), "F2");
    EXPECT_TRUE(form.pmEditor()->actions().contains(command(form, "mInforma")));
    command(form, "mInforma")->trigger();
    const std::string token = w.memo.GetSelText();
    EXPECT_FALSE(token.empty());
    EXPECT_LE(w.memo.GetSelStart(), 8);
    EXPECT_EQ(form.UltimaApertura, token);
    select(w.memo, 5, 12);
    command(form, "sbAyudaAuxiliar")->trigger();
    EXPECT_EQ(form.UltimaApertura, "<table>");
    THelpIndex index;
    index.LoadKeywords("table=table.html\nimg=img.html\n");
    const std::string pages = (topics.path / "Html").string() + "/";
    EXPECT_EQ(shell.targets, (std::vector<std::string>{pages + index.PageFor(HELP_KEY, token, 0),
                                                       pages + index.PageFor(HELP_KEY, "<table>", 0)}));
    EXPECT_EQ(ApplicationHelpFile(), "Kestrima.hlp");

    // Without a selection the word at the caret: a tag's name from its "<", "</" or inside it, a
    // word of text, never the whole run of text or the tag's "<".
    w.memo.Lines().SetText("<p>Una nube <img src=\"a.gif\"></p>\r\n</table>");
    const std::pair<int, std::string> carets[] = {{12, "img"}, {14, "img"}, {16, "img"}, {8, "nube"}, {6, "Una"},
                                                  {30, "p"},   {34, "table"}, {35, "table"}, {41, "table"}};
    for (const auto& [caret, word] : carets) {
        select(w.memo, caret, caret);
        shell.targets.clear();
        command(form, "mInforma")->trigger();
        EXPECT_EQ(form.UltimaApertura, word) << caret;
        EXPECT_EQ(w.memo.GetSelText(), word) << caret;
        EXPECT_EQ(shell.targets, std::vector<std::string>{pages + index.PageFor(HELP_KEY, word, 0)}) << caret;
    }
    EXPECT_EQ(index.PageFor(HELP_KEY, "img", 0), "img.html");
    EXPECT_EQ(index.PageFor(HELP_KEY, "table", 0), "table.html");
    // Signs are taken up to the blanks; between blanks there is no word, and the help's index shows.
    w.memo.Lines().SetText("a && b  c");
    select(w.memo, 3, 3);
    command(form, "mInforma")->trigger();
    EXPECT_EQ(form.UltimaApertura, "&&");
    select(w.memo, 7, 7);
    shell.targets.clear();
    command(form, "mInforma")->trigger();
    EXPECT_EQ(form.UltimaApertura, "");
    EXPECT_EQ(shell.targets, std::vector<std::string>{pages + THelpIndex::kIndexPage});

    // A hyperlink clicked in either editor goes to the shell.
    shell.targets.clear();
    command(form, "mAbrirEnAuxiliar")->trigger();
    w.memo.OnHyperlinkClick(&w.memo, "http://uno.es", 0);
    TCodeMemo* aux = form.Auxiliar().Editor();
    aux->OnHyperlinkClick(aux, "mailto:dos@tres.es", 0);
    EXPECT_EQ(shell.targets, (std::vector<std::string>{"http://uno.es", "mailto:dos@tres.es"}));
}

TEST(MainWindowAuxiliar, ReplaceAllOverMarkedMatchesTakesTheirMarksAndMovesTheOthers)
{
    TWindow w;
    TformPrincipal& form = w.form;
    TBoxAnswers boxes;
    form.AbreArchivo(w.folder.file("c.htm", "casa y casa\ry casa"), false, ekHTML);
    select(w.memo, 0, 4);
    command(form, "mMuestraTodas")->trigger();
    EXPECT_EQ(marks(w.memo), "0-4 7-11 14-18 ");
    // Marks of the user's own, between the matches and over one of them with its neighbours.
    w.memo.MarkRange(5, 1, 1);
    w.memo.MarkRange(12, 1, 1);
    w.memo.MarkRange(4, 9, 1);

    command(form, "mReemplazar")->trigger();
    TReplaceDialog* dialog = form.ReplaceDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->SetFindText("casa");
    dialog->SetReplaceText("hogar");
    dialog->SetOptions(frDown);
    select(w.memo, 0, 0);
    dialog->ClickReplaceAll();
    EXPECT_EQ(w.memo.StoredText(), "hogar y hogar\ry hogar");
    // The marks of the matches went with them; the others moved with their text, the one around a
    // match grew with it.
    EXPECT_EQ(marks(w.memo), "5-15 6-7 14-15 ");

    // One undo: the text as it was, the marks that stayed where they were.
    w.memo.Undo();
    EXPECT_EQ(w.memo.StoredText(), "casa y casa\ry casa");
    EXPECT_EQ(marks(w.memo), "4-13 5-6 12-13 ");
    EXPECT_FALSE(w.memo.CanUndo());
    EXPECT_TRUE(boxes.texts.empty());
}
