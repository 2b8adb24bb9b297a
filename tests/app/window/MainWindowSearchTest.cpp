// Tests of the main window's searches as an author meets them: an upward search that runs out goes on from the end, letters of every case on each road (find, find next, whole words, mark all, replace, replace all), and the find dialog opened over a selection.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <string>

#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "editor/CodeMemoTestSupport.h"
#include "platform/FindDialog.h"
#include "platform/MessageBox.h"
#include "support/BoxAnswers.h"
#include "support/TempRegistry.h"

namespace {

QAction* item(TformPrincipal& form, const char* name)
{
    auto* action = form.findChild<QAction*>(name);
    EXPECT_NE(action, nullptr) << name;
    return action;
}

// A window shown and active, with a new document and the keyboard in its editor.
struct TShownForm {
    TShownForm()
    {
        form.show();
        form.mNuevoClick();
        form.activateWindow();
        memo.setFocus();
        QApplication::processEvents();
    }
    TempRegistry registry{"search"};
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
};

// The find dialog of Ctrl+B, over the selection as it is, with a text and options.
TFindDialog& openFind(TShownForm& w, const std::string& text, TFindOptions options)
{
    item(w.form, "mBuscar")->trigger();
    TFindDialog* dialog = w.memo.FindDialog();
    EXPECT_NE(dialog, nullptr);
    if (!text.empty())
        dialog->SetFindText(text);
    dialog->SetOptions(options);
    return *dialog;
}

std::string selected(TCodeMemo& memo)
{
    const TSelectionRange s = OrderedSelection(memo);
    return std::to_string(s.Start) + "-" + std::to_string(s.End);
}

std::string marked(TCodeMemo& memo)
{
    std::string ranges;
    if (const TObjectList* list = memo.TextMarks())
        for (int i = 0; i < list->Count(); ++i)
            ranges += std::to_string(list->Mark(i)->Start()) + "-" + std::to_string(list->Mark(i)->End()) + " ";
    return ranges;
}

const std::string kFromStart = "\xBF" "Desea buscar de nuevo desde el principio del documento?";
const std::string kFromEnd = "\xBF" "Desea buscar de nuevo desde el final del documento?";

// ASCII and accented capitals mixed: "CANCIÓN y canción; AÑO y año; CANCIÓNES. Œuvre œUVRE"
//                                      0          10       19     25     30         41    47
const std::string kPage = "CANCI\xD3N y canci\xF3n; A\xD1O y a\xF1o; CANCI\xD3NES. \x8Cuvre \x9CUVRE";

// The window over that page, its questions answered No.
struct TMixedPage : TShownForm {
    TMixedPage() { SetText(memo, kPage); }
    TBoxAnswers boxes{{}, IDNO};
};

} // namespace

TEST(MainWindowSearch, AnUpwardSearchThatRunsOutOffersTheEndAndThenFindsTheLastMatch)
{
    TShownForm w;
    SetText(w.memo, "Once. The cat. The dog.");
    // Searched upward from before the first match.
    Select(w.memo, 3, 3);
    TFindDialog& dialog = openFind(w, "The", TFindOptions(0));
    TBoxAnswers boxes({}, IDYES);
    dialog.ClickFindNext();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "No se puede encontrar \"The\".\r" + kFromEnd);
    EXPECT_EQ(boxes.flags[0], static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
    // Yes puts the caret at the end; the next search finds the last match, then the one before.
    EXPECT_EQ(selected(w.memo), "23-23");
    dialog.ClickFindNext();
    EXPECT_EQ(selected(w.memo), "15-18");
    dialog.ClickFindNext();
    EXPECT_EQ(selected(w.memo), "6-9");
    // Running out again goes round again, never stuck at the start.
    dialog.ClickFindNext();
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[1], "No se puede encontrar \"The\".\r" + kFromEnd);
    dialog.ClickFindNext();
    EXPECT_EQ(selected(w.memo), "15-18");
    dialog.hide();

    // Find next (F3) repeats the upward search, and goes round the same way.
    Select(w.memo, 2, 2);
    item(w.form, "mBuscaOtro")->trigger();
    ASSERT_EQ(boxes.texts.size(), 3u);
    EXPECT_EQ(boxes.texts[2], "No se puede encontrar \"The\".\r" + kFromEnd);
    EXPECT_EQ(selected(w.memo), "23-23");
    item(w.form, "mBuscaOtro")->trigger();
    EXPECT_EQ(selected(w.memo), "15-18");

    // No leaves the caret where the search ran out.
    {
        TBoxAnswers no({}, IDNO);
        Select(w.memo, 4, 4);
        item(w.form, "mBuscaOtro")->trigger();
        ASSERT_EQ(no.texts.size(), 1u);
        EXPECT_EQ(selected(w.memo), "4-4");
    }

    // Downward, as before: from the start.
    TFindDialog& down = openFind(w, "The", frDown);
    Select(w.memo, 20, 20);
    down.ClickFindNext();
    ASSERT_EQ(boxes.texts.size(), 4u);
    EXPECT_EQ(boxes.texts[3], "No se puede encontrar \"The\".\r" + kFromStart);
    EXPECT_EQ(selected(w.memo), "0-0");
    down.ClickFindNext();
    EXPECT_EQ(selected(w.memo), "6-9");
}

TEST(MainWindowSearch, WithoutLetterCaseTheFindDialogFindNextAndWholeWordsFoldAccentedCapitals)
{
    TMixedPage w;
    TBoxAnswers& boxes = w.boxes;
    Select(w.memo, 0, 0);
    TFindDialog& dialog = openFind(w, "canci\xF3n", frDown);
    dialog.ClickFindNext();
    EXPECT_EQ(w.memo.GetSelText(), "CANCI\xD3N");
    dialog.ClickFindNext();
    EXPECT_EQ(selected(w.memo), "10-17");
    dialog.ClickFindNext();
    EXPECT_EQ(selected(w.memo), "30-37");
    EXPECT_TRUE(boxes.texts.empty());

    // Find next repeats it: with whole words the capitals inside a longer word are passed over.
    dialog.SetFindText("A\xD1O");
    dialog.SetOptions(frDown | frWholeWord);
    Select(w.memo, 0, 0);
    dialog.ClickFindNext();
    EXPECT_EQ(selected(w.memo), "19-22");
    dialog.hide();
    item(w.form, "mBuscaOtro")->trigger();
    EXPECT_EQ(w.memo.GetSelText(), "a\xF1o");
    Select(w.memo, 0, 0);
    w.form.TextoBuscado = "canci\xF3n";
    w.form.OpcionesBusqueda = smsWholeWord;
    item(w.form, "mBuscaOtro")->trigger();
    EXPECT_EQ(selected(w.memo), "0-7");
    item(w.form, "mBuscaOtro")->trigger();
    EXPECT_EQ(selected(w.memo), "10-17");
    item(w.form, "mBuscaOtro")->trigger();
    EXPECT_EQ(boxes.texts.size(), 1u);
    // The ligature and its capital, the other way round.
    w.form.TextoBuscado = "\x9Cuvre";
    w.form.OpcionesBusqueda = 0;
    Select(w.memo, 0, 0);
    item(w.form, "mBuscaOtro")->trigger();
    EXPECT_EQ(selected(w.memo), "41-46");
    item(w.form, "mBuscaOtro")->trigger();
    EXPECT_EQ(selected(w.memo), "47-52");
    // With letter case only the same letters.
    w.form.TextoBuscado = "\x8Cuvre";
    w.form.OpcionesBusqueda = smsMatchCase;
    Select(w.memo, 0, 0);
    item(w.form, "mBuscaOtro")->trigger();
    EXPECT_EQ(selected(w.memo), "41-46");
    item(w.form, "mBuscaOtro")->trigger();
    EXPECT_EQ(boxes.texts.size(), 2u);
}

TEST(MainWindowSearch, WithoutLetterCaseMarkAllReplaceAndReplaceAllFoldAccentedCapitals)
{
    TMixedPage w;
    // Mark all marks the selected text in every case.
    Select(w.memo, 10, 17);
    item(w.form, "mMuestraTodas")->trigger();
    EXPECT_EQ(marked(w.memo), "0-7 10-17 30-37 ");
    w.memo.ClearMarks();

    // Replace: the capitals are a match, found and replaced.
    item(w.form, "mReemplazar")->trigger();
    TReplaceDialog* dialog = w.form.ReplaceDialog();
    ASSERT_NE(dialog, nullptr);
    dialog->SetFindText("a\xF1o");
    dialog->SetReplaceText("curso");
    dialog->SetOptions(frDown);
    Select(w.memo, 0, 0);
    dialog->ClickFindNext();
    EXPECT_EQ(selected(w.memo), "19-22");
    dialog->ClickReplace();
    EXPECT_EQ(w.memo.StoredText(), "CANCI\xD3N y canci\xF3n; curso y a\xF1o; CANCI\xD3NES. \x8Cuvre \x9CUVRE");
    EXPECT_EQ(w.memo.GetSelText(), "a\xF1o");

    // Replace all, by whole words, then within words too.
    dialog->SetFindText("canci\xF3n");
    dialog->SetReplaceText("tema");
    dialog->SetOptions(frDown | frWholeWord);
    Select(w.memo, 0, 0);
    dialog->ClickReplaceAll();
    EXPECT_EQ(w.memo.StoredText(), "tema y tema; curso y a\xF1o; CANCI\xD3NES. \x8Cuvre \x9CUVRE");
    w.memo.Undo();
    dialog->SetOptions(frDown);
    Select(w.memo, 0, 0);
    dialog->ClickReplaceAll();
    EXPECT_EQ(w.memo.StoredText(), "tema y tema; curso y a\xF1o; temaES. \x8Cuvre \x9CUVRE");
    dialog->SetFindText("\x8CUVRE");
    dialog->SetReplaceText("obra");
    Select(w.memo, 0, 0);
    dialog->ClickReplaceAll();
    EXPECT_EQ(w.memo.StoredText(), "tema y tema; curso y a\xF1o; temaES. obra obra");
    dialog->hide();
    EXPECT_TRUE(w.boxes.texts.empty());
}

TEST(MainWindowSearch, TheFindDialogOpenedOverASelectionGoesOnToTheNextMatch)
{
    TMixedPage w;
    TBoxAnswers& boxes = w.boxes;
    // The selected word is the dialog's text; the first press finds the one after it.
    Select(w.memo, 10, 17);
    TFindDialog& dialog = openFind(w, "", frDown);
    EXPECT_EQ(dialog.FindText(), "canci\xF3n");
    dialog.ClickFindNext();
    EXPECT_EQ(selected(w.memo), "30-37");
    // Upward, the one before it.
    Select(w.memo, 10, 17);
    openFind(w, "", TFindOptions(0)).ClickFindNext();
    EXPECT_EQ(selected(w.memo), "0-7");
    // Selected backwards too.
    Select(w.memo, 17, 10);
    openFind(w, "", frDown).ClickFindNext();
    EXPECT_EQ(selected(w.memo), "30-37");
    // A text typed over the offered one is searched from the selection's start: the selection
    // is no match of it to step past.
    Select(w.memo, 0, 7);
    TFindDialog& typed = openFind(w, "CANCI\xD3N y", frDown);
    typed.ClickFindNext();
    EXPECT_EQ(selected(w.memo), "0-9");
    EXPECT_TRUE(boxes.texts.empty());
}
