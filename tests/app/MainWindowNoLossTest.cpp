// Tests of the main window keeping every edit: one tab per file however it is reached, and files changed on disk before a save.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/EditingFile.h"
#include "app/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "platform/core/Classes.h"
#include "support/BoxAnswers.h"
#include "support/MainWindowDocuments.h"

namespace {

std::string onDisk(const std::string& file)
{
    std::string bytes;
    ReadFileBytes(file, 1 << 20, bytes);
    return bytes;
}

// Types at the end of the current document.
void typeAtEnd(TCodeMemo& memo, const std::string& text)
{
    memo.SetSelStart(memo.TextLength());
    type(memo, text);
}

} // namespace

TEST(MainWindowNoLoss, AFileOpensInOneTabHoweverItsNameReachesTheWindow)
{
    TBoxAnswers boxes({}, IDNO);
    TDialogAnswers dialogs;
    TWindow w;
    const std::filesystem::path& dir = w.folder.path;
    const std::string index = w.folder.file("index.html", "<p>x</p>");
    const std::string other = w.folder.file("otra.html", "<p>otra</p>");
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_symlink(index, dir / "enlace.html");
    std::filesystem::create_hard_link(index, dir / "duro.html");

    w.form.AbreArchivo(index, false, ekHTML);
    typeAtEnd(w.memo, "B");
    w.form.AbreArchivo(other, false, ekHTML);
    ASSERT_EQ(w.form.DocumentCount(), 2);

    // Each way in selects the open tab and leaves its unsaved text as it is.
    const auto expectShown = [&](const char* how) {
        SCOPED_TRACE(how);
        EXPECT_EQ(w.form.DocumentCount(), 2);
        EXPECT_EQ(w.form.FileTabs()->TabIndex(), 0);
        EXPECT_EQ(w.memo.StoredText(), "<p>x</p>B");
        EXPECT_FALSE(w.form.CurrentFile()->Guardado);
        switchTo(w.form, 1);
    };
    dialogs.answers.push_back({(dir / "enlace.html").string()});
    w.form.mAbrirClick();
    expectShown("open dialog, through a link");
    w.form.AbreArchivo((dir / "sub" / ".." / "index.html").string(), false, ekHTML);
    expectShown("another spelling");
    w.form.systemmacro("edit", (dir / "duro.html").string());
    expectShown("desktop verb, a hard link");
    w.form.Config().MRU.Insert(0, index);
    w.form.MRUDisplay();
    w.form.MRUItem(0)->trigger();
    expectShown("recent files");

    // The edits made through every way in are in one document, and one save keeps them all.
    switchTo(w.form, 0);
    typeAtEnd(w.memo, "A");
    w.form.AbreArchivo(index, false, ekHTML);
    w.form.mGuardarClick();
    EXPECT_EQ(onDisk(index), "<p>x</p>BA");

    // Another file whose name differs only in letter case is another document.
    const std::string upper = w.folder.file("INDEX.html", "<p>X</p>");
    w.form.AbreArchivo(upper, false, ekHTML);
    EXPECT_EQ(w.form.DocumentCount(), 3);
    EXPECT_EQ(w.memo.StoredText(), "<p>X</p>");
}

TEST(MainWindowNoLoss, SaveAsOntoAFileOpenInAnotherTabIsRefused)
{
    TBoxAnswers boxes({}, IDNO);
    TDialogAnswers dialogs;
    TWindow w;
    const std::string index = w.folder.file("index.html", "<p>x</p>");
    w.form.AbreArchivo(index, false, ekHTML);
    typeAtEnd(w.memo, "B");
    w.form.mNuevoClick();
    type(w.memo, "nuevo");
    dialogs.answers.push_back({index});
    EXPECT_FALSE(w.form.mGuardarComoClick());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "El archivo '" + index +
                                  "' est\xE1 abierto en otra pesta\xF1" "a: gu\xE1rdelo o ci\xE9rrelo all\xED antes de "
                                  "guardar otro documento con ese nombre.");
    EXPECT_EQ(onDisk(index), "<p>x</p>");
    EXPECT_TRUE(w.form.CurrentFile()->FileName.empty());
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"index.html", "Nuevo1"}));
    // Its own name is no other tab's.
    switchTo(w.form, 0);
    dialogs.answers.push_back({index});
    EXPECT_TRUE(w.form.mGuardarComoClick());
    EXPECT_EQ(onDisk(index), "<p>x</p>B");
}
