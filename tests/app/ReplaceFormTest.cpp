// Tests of the replace-in-files form: the file list, a run over files on disk beside the window's open documents, the stored texts and folder, and the Edit menu's item.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <sys/stat.h>

#include "app/EditingFile.h"
#include "app/UFormReemplazar.h"
#include "platform/Win1252Qt.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"

namespace {

using TReplaceHook = THookWhile<TReplaceFormHook, &SetReplaceFormHook>;

std::vector<bool> enabled(const TformReemplazar& f)
{
    return {f.lbFiles->isEnabled(), f.btnAdd->isEnabled(), f.btnRemove->isEnabled(), f.edtFind->isEnabled(),
            f.edtReplace->isEnabled(), f.cbBackup->isEnabled(), f.cbWhole->isEnabled(), f.btnStart->isEnabled(),
            f.btnExit->isEnabled()};
}

} // namespace

TEST(ReplaceForm, ARunStopsAtAFileItCannotWriteAndGivesTheControlsBack)
{
    TWindow w;
    const std::string a = w.folder.file("a.htm", "casa\n"), b = w.folder.file("b.htm", "Casa\n"),
                      c = w.folder.file("c.htm", "CASA\n");
    chmod(b.c_str(), 0444);
    TformReemplazar form(w.form);
    EXPECT_EQ(ToWin1252(form.windowTitle()), "Reemplazar");
    EXPECT_EQ(ToWin1252(form.cbWhole->text()), "&Palabra completa solamente");
    for (const std::string& file : {a, b, c, a})
        form.AddFile(file);
    EXPECT_EQ(form.Files(), (std::vector<std::string>{a, b, c}));
    form.edtReplace->setText("piso");
    TBoxAnswers boxes;
    // Without a text to find nothing runs.
    form.btnStartClick();
    EXPECT_EQ(ReadFileBytes(a), "casa\n");
    form.edtFind->setText("casa");
    form.btnStartClick();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find("'" + b + "'"), std::string::npos) << boxes.texts[0];
    EXPECT_EQ(boxes.flags[0], MB_OK | MB_ICONSTOP);
    EXPECT_EQ(enabled(form), std::vector<bool>(9, true));
    EXPECT_EQ(form.ProgressBar->value(), 0);
    EXPECT_EQ(ReadFileBytes(a), "piso\n");
    EXPECT_EQ(ReadFileBytes(b), "Casa\n");
    EXPECT_EQ(ReadFileBytes(c), "CASA\n");

    // Remove takes the selected file out; without a selection nothing goes.
    form.lbFiles->setCurrentRow(1);
    form.btnRemoveClick();
    form.lbFiles->clearSelection();
    form.btnRemoveClick();
    EXPECT_EQ(form.Files(), (std::vector<std::string>{a, c}));
    form.btnStartClick();
    EXPECT_EQ(ReadFileBytes(c), "piso\n");
}

TEST(ReplaceForm, OpenDocumentsWithChangesArePassedOverAndUnchangedOnesReadAgain)
{
    TWindow w;
    const std::string kept = w.folder.file("kept.htm", "una casa\n"), edited = w.folder.file("edited.htm", "otra casa\n");
    w.form.AbreArchivo(kept, false, 1);
    w.form.AbreArchivo(edited, false, 1);
    type(w.memo, "mi ");
    ASSERT_FALSE(w.form.CurrentFile()->Guardado);
    TformReemplazar form(w.form);
    form.AddFile(kept);
    form.AddFile(edited);
    form.edtFind->setText("casa");
    form.edtReplace->setText("piso");
    TBoxAnswers boxes;
    form.btnStartClick();
    EXPECT_EQ(ReadFileBytes(edited), "otra casa\n");
    EXPECT_EQ(ReadFileBytes(kept), "una piso\n");
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find(edited + ": no se ha cambiado, tiene cambios sin guardar"), std::string::npos)
        << boxes.texts[0];
    // The edited document keeps the user's change; the other one shows the file as it is now.
    EXPECT_EQ(w.memo.StoredText().rfind("mi otra casa", 0), 0u) << w.memo.StoredText();
    EXPECT_EQ(w.form.EditingFile(0)->GetText().rfind("una piso", 0), 0u) << w.form.EditingFile(0)->GetText();
    EXPECT_TRUE(w.form.EditingFile(0)->Guardado);
    switchTo(w.form, 0);
    EXPECT_EQ(w.memo.StoredText().rfind("una piso", 0), 0u);
}

TEST(ReplaceForm, TheTextsAndTheFolderComeBackTheNextTime)
{
    TWindow w;
    const std::string first = w.folder.file("uno.htm", "x"), second = w.folder.file("dos.htm", "x");
    TDialogAnswers dialogs;
    {
        TformReemplazar form(w.form);
        form.show();
        form.edtFind->setText("buscado");
        form.edtReplace->setText("puesto");
        dialogs.answers.push_back({first, second});
        form.btnAddClick();
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].Options & ofAllowMultiSelect, ofAllowMultiSelect);
        EXPECT_EQ(dialogs.requests[0].Filter.rfind("Internet|*.htm;*.html;*.shtml|", 0), 0u);
        EXPECT_EQ(form.Files(), (std::vector<std::string>{first, second}));
        form.btnExitClick();
    }
    TformReemplazar again(w.form);
    again.show();
    EXPECT_EQ(again.edtFind->text(), "buscado");
    EXPECT_EQ(again.edtReplace->text(), "puesto");
    EXPECT_EQ(again.OpenDialog->Request.InitialDir, w.folder.path.string() + "/");
    EXPECT_EQ(again.lbFiles->count(), 0);
    again.close();
}

TEST(ReplaceForm, TheEditMenuOpensItWithOrWithoutDocuments)
{
    TWindow w;
    QAction* item = w.form.Commands().Action("mReemplazarArchivos");
    const QList<QAction*> edit = w.form.menuBar()->findChild<QMenu*>("mEdicion")->actions();
    ASSERT_GT(edit.indexOf(item), 0);
    EXPECT_EQ(edit[edit.indexOf(item) - 1], w.form.Commands().Action("mReemplazar"));
    EXPECT_TRUE(item->isVisible());
    EXPECT_EQ(ToWin1252(item->text()), "Reemplazar en arc&hivos...");
    int shown = 0;
    TReplaceHook hook([&](TformReemplazar& form) {
        ++shown;
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.parentWidget(), &w.form);
    });
    item->trigger();
    EXPECT_EQ(shown, 1);
}
