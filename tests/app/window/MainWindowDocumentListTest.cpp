// Tests of the main window's list of open documents: the tab strip shows the list and follows it through opening, saving under a new name, switching and closing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/host/EditingFile.h"
#include "app/window/uFormPrincipal.h"
#include "platform/core/Messages.h"
#include "support/MainWindowDocuments.h"

namespace {

std::vector<std::string> listed(TformPrincipal& form)
{
    std::vector<std::string> result;
    for (int i = 0; i < form.Documents().Count(); ++i)
        result.push_back(form.Documents().Caption(i));
    return result;
}

// The strip shows exactly the list: its captions and its current document.
void expectStripFollows(TformPrincipal& form)
{
    EXPECT_EQ(captions(form), listed(form));
    EXPECT_EQ(form.FileTabs()->TabIndex(), form.Documents().Current());
    EXPECT_EQ(form.CurrentFile(), form.Documents().CurrentDocument());
}

} // namespace

TEST(MainWindowDocumentList, TheStripShowsTheListOfOpenDocuments)
{
    TWindow w;
    TformPrincipal& form = w.form;
    const std::string page = w.folder.file("Pagina.htm", "<p>uno</p>");
    form.AbreArchivo(page, false, ekHTML);
    form.mNuevoClick();
    form.mNuevoClick();
    EXPECT_EQ(listed(form), std::vector<std::string>({"Pagina.htm", "Nuevo1", "Nuevo2"}));
    EXPECT_EQ(form.Documents().Current(), 2);
    expectStripFollows(form);
    // The list finds a document by its file, however the path is spelled, and knows the changed ones;
    // a name in other letters is another file.
    EXPECT_EQ(form.Documents().IndexOfFile(w.folder.path.string() + "/./Pagina.htm"), 0);
    EXPECT_EQ(form.Documents().IndexOfFile(w.folder.path.string() + "/pagina.HTM"), -1);
    type(w.memo, "cambio");
    EXPECT_EQ(form.Documents().Changed(), std::vector<int>({2}));

    switchTo(form, 0);
    EXPECT_EQ(form.Documents().Current(), 0);
    EXPECT_EQ(form.CurrentFile()->FileName, page);
    expectStripFollows(form);

    // Saving under a new name renames the document's tab.
    TDialogAnswers dialogs;
    dialogs.answers.push_back({w.folder.path.string() + "/Otra.htm"});
    switchTo(form, 1);
    ASSERT_TRUE(form.mGuardarComoClick());
    EXPECT_EQ(listed(form), std::vector<std::string>({"Pagina.htm", "Otra.htm", "Nuevo2"}));
    expectStripFollows(form);

    // Closing the middle document shows the one after it; closing the rest empties the list.
    form.mCerrarClick();
    EXPECT_EQ(listed(form), std::vector<std::string>({"Pagina.htm", "Nuevo2"}));
    EXPECT_EQ(form.Documents().Current(), 1);
    expectStripFollows(form);
    TBoxAnswers boxes;
    boxes.answers = {IDNO};
    form.mCerrarTodoClick();
    EXPECT_EQ(form.Documents().Count(), 0);
    EXPECT_EQ(form.Documents().Current(), -1);
    EXPECT_EQ(form.FileTabs()->Tabs().Count(), 0);
}
