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
#include <filesystem>
#include <sys/stat.h>

#include "app/host/EditingFile.h"
#include "app/dialogs/UFormReemplazar.h"
#include "app/model/EditorKind.h"
#include "platform/Win1252Qt.h"
#include "support/BoxAnswers.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/Win1252Text.h"

namespace {

using TReplaceHook = THookWhile<TReplaceFormHook, &SetReplaceFormHook>;

std::vector<bool> enabled(const TformReemplazar& f)
{
    return {f.lbFiles->isEnabled(), f.btnAdd->isEnabled(), f.btnRemove->isEnabled(), f.edtFind->isEnabled(),
            f.edtReplace->isEnabled(), f.cbBackup->isEnabled(), f.cbWhole->isEnabled(), f.btnStart->isEnabled(),
            f.btnExit->isEnabled()};
}

} // namespace

TEST(ReplaceForm, ARunGoesOnPastAFileItCannotWriteNamesItAndGivesTheControlsBack)
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
    EXPECT_EQ(boxes.texts[0].rfind("Algunos archivos necesitan su atenci\xF3n:\n", 0), 0u) << boxes.texts[0];
    EXPECT_NE(boxes.texts[0].find("'" + b + "'"), std::string::npos) << boxes.texts[0];
    EXPECT_EQ(boxes.flags[0], MB_OK | MB_ICONWARNING);
    EXPECT_EQ(enabled(form), std::vector<bool>(9, true));
    EXPECT_EQ(form.ProgressBar->value(), 0);
    EXPECT_EQ(ReadFileBytes(a), "piso\n");
    EXPECT_EQ(ReadFileBytes(b), "Casa\n");
    // The files after the one refused are replaced all the same.
    EXPECT_EQ(ReadFileBytes(c), "piso\n");

    // Remove takes the selected file out; without a selection nothing goes.
    form.lbFiles->setCurrentRow(1);
    form.btnRemoveClick();
    form.lbFiles->clearSelection();
    form.btnRemoveClick();
    EXPECT_EQ(form.Files(), (std::vector<std::string>{a, c}));
    chmod(b.c_str(), 0644);
    form.AddFile(b);
    form.btnStartClick();
    EXPECT_EQ(ReadFileBytes(b), "piso\n");
    EXPECT_EQ(ReadFileBytes(c), "piso\n");
}

TEST(ReplaceForm, BackupsNeverOverwriteEachOtherAndEachFileIsReplacedOnce)
{
    TWindow w;
    const std::filesystem::path& dir = w.folder.path;
    const auto path = [&](const char* name) { return (dir / name).string(); };
    for (const char* name : {"datos.js", "datos.json", "page.html", "page.htm"})
        w.folder.file(name, "ver 1\n");
    // Another file's backup, for all the window can tell: page.html and page.htm both back up to it.
    w.folder.file("page.~ht", "ajeno\n");
    TformReemplazar form(w.form);
    for (const char* name : {"datos.js", "datos.json", "page.html", "page.htm", "enlace.js"})
        form.AddFile(path(name));
    // Made after the list took it: the run sees it is datos.js, the list itself refuses another name.
    std::filesystem::create_symlink(path("datos.js"), dir / "enlace.js");
    form.AddFile(path("sub/../datos.js"));
    form.AddFile(path("enlace.js"));
    EXPECT_EQ(form.Files().size(), 5u);
    form.edtFind->setText("ver 1");
    form.edtReplace->setText("ver 1.1");
    form.cbBackup->setChecked(true);
    TBoxAnswers boxes;
    form.btnStartClick();

    for (const char* name : {"datos.js", "datos.json", "page.html", "page.htm"})
        EXPECT_EQ(ReadFileBytes(path(name)), "ver 1.1\n") << name;
    for (const char* name : {"datos.~js", "datos.~json", "page.~html", "page.~htm"})
        EXPECT_EQ(ReadFileBytes(path(name)), "ver 1\n") << name;
    EXPECT_EQ(ReadFileBytes(path("page.~ht")), "ajeno\n");
    const auto moved = [&](const char* file, const char* backup) {
        return path(file) + ": su copia de seguridad se ha guardado como " + path(backup) +
               ", porque el nombre de siempre ya lo usaba otra copia.";
    };
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "Algunos archivos necesitan su atenci\xF3n:\n" + moved("datos.json", "datos.~json") + "\n" +
                                  moved("page.html", "page.~html") + "\n" + moved("page.htm", "page.~htm"));

    // A second run: a backup under the file's whole extension is its own and is replaced; a name two
    // files share is never, datos.js then taking the first free numbered name.
    form.edtFind->setText("ver 1.1");
    form.edtReplace->setText("ver 2");
    form.btnStartClick();
    EXPECT_EQ(ReadFileBytes(path("datos.js")), "ver 2\n");
    EXPECT_EQ(ReadFileBytes(path("datos.~js")), "ver 1\n");
    EXPECT_EQ(ReadFileBytes(path("datos.~js1")), "ver 1.1\n");
    EXPECT_EQ(ReadFileBytes(path("datos.~json")), "ver 1.1\n");
    EXPECT_EQ(ReadFileBytes(path("page.~html")), "ver 1.1\n");
    EXPECT_EQ(ReadFileBytes(path("page.~ht")), "ajeno\n");
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_NE(boxes.texts[1].find(moved("datos.js", "datos.~js1")), std::string::npos) << boxes.texts[1];
}

TEST(ReplaceForm, OpenDocumentsWithChangesArePassedOverAndUnchangedOnesReadAgain)
{
    TWindow w;
    // "editado ŝí.htm": a name in UTF-8, ŝ beyond Windows-1252.
    const std::string kept = w.folder.file("kept.htm", "una casa\n");
    const std::string edited = w.folder.file("editado \xC5\x9D\xC3\xAD.htm", "otra casa\n");
    w.form.AbreArchivo(kept, false, 1);
    w.form.AbreArchivo(edited, false, 1);
    type(w.memo, "mi ");
    ASSERT_FALSE(w.form.CurrentFile()->Guardado);
    TformReemplazar form(w.form);
    form.AddFile(kept);
    form.AddFile(edited);
    EXPECT_EQ(form.lbFiles->item(1)->text(), QString::fromUtf8(edited.c_str()));
    form.edtFind->setText("casa");
    form.edtReplace->setText("piso");
    TBoxAnswers boxes;
    form.btnStartClick();
    EXPECT_EQ(ReadFileBytes(edited), "otra casa\n");
    EXPECT_EQ(ReadFileBytes(kept), "una piso\n");
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_NE(boxes.texts[0].find(w.folder.path.string() + "/editado &#349;\xED.htm: no se ha cambiado, tiene cambios sin guardar"),
              std::string::npos)
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
    // The folder is kept as the file system spells it: "Público ŝ".
    const std::string folder = (w.folder.path / "P\xC3\xBA" "blico \xC5\x9D").string();
    std::filesystem::create_directory(folder);
    const std::string first = w.folder.file("P\xC3\xBA" "blico \xC5\x9D/uno.htm", "x");
    const std::string second = w.folder.file("P\xC3\xBA" "blico \xC5\x9D/dos.htm", "x");
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
    EXPECT_EQ(again.OpenDialog->Request.InitialDir, folder + "/");
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

TEST(ReplaceForm, APageTakesTheReplacementAsTheEditorsSaveWritesIt)
{
    TWindow w;
    // A site's pages: plain ASCII with codes and no charset, Windows-1252 and UTF-8; a text file.
    const std::string before = "<p>Documento nuevo</p>\n";
    const std::string ascii = "<p>p&aacute;gina</p>\n" + before;
    const std::string latin = "<p>p\xE1gina</p>\n" + before;
    const std::string utf8 = "<p>p\xC3\xA1gina</p>\n" + before;
    const std::string wanted = "Asociaci\xF3n Vecinal del R\xEDo";
    const auto run = [&](bool conversion) {
        w.form.Config().InsSpecChar = conversion;
        const std::string folder = conversion ? "con/" : "sin/";
        std::filesystem::create_directory(w.folder.path / folder);
        const std::string files[] = {w.folder.file(folder + "ascii.htm", ascii),
                                     w.folder.file(folder + "latin.html", latin),
                                     w.folder.file(folder + "utf8.htm", utf8), w.folder.file(folder + "notas.txt", before),
                                     w.folder.file(folder + "otra.htm", "<p>p\xE1gina</p>\n")};
        TformReemplazar form(w.form);
        for (const std::string& file : files)
            form.AddFile(file);
        form.edtFind->setText("documento NUEVO");
        form.edtReplace->setText(QString::fromUtf8("Asociación Vecinal del Río"));
        TBoxAnswers boxes;
        form.btnStartClick();
        EXPECT_TRUE(boxes.texts.empty()) << boxes.texts[0];
        // Each file opens in the editor with the replacement, as the rest of it was.
        for (const std::string& file : files) {
            w.form.AbreArchivo(file, false, w.form.TipoDeArchivo(file));
            const std::string shown = w.memo.StoredText();
            if (file.ends_with("otra.htm")) {
                EXPECT_EQ(ReadFileBytes(file), "<p>p\xE1gina</p>\n");
            } else {
                EXPECT_NE(shown.find("<p>" + wanted + "</p>"), std::string::npos) << file << ": " << shown;
                EXPECT_EQ(shown.find("Documento"), std::string::npos) << file;
            }
            if (!file.ends_with(".txt")) {
                EXPECT_NE(shown.find(conversion || !file.ends_with("ascii.htm") ? "p\xE1gina" : "p&aacute;gina"),
                          std::string::npos)
                    << file << ": " << shown;
            }
            w.form.mCerrarClick();
        }
        return std::vector<std::string>{ReadFileBytes(files[0]), ReadFileBytes(files[1]), ReadFileBytes(files[2]),
                                        ReadFileBytes(files[3])};
    };
    // With the conversion on, a page gets the codes the editor's save writes: the ASCII page stays
    // ASCII, and the others keep their own bytes around the codes.
    const std::string codes = "<p>Asociaci&oacute;n Vecinal del R&iacute;o</p>\n";
    EXPECT_EQ(run(true), (std::vector<std::string>{"<p>p&aacute;gina</p>\n" + codes, "<p>p\xE1gina</p>\n" + codes,
                                                   "<p>p\xC3\xA1gina</p>\n" + codes,
                                                   "<p>Asociaci\xC3\xB3n Vecinal del R\xC3\xADo</p>\n"}));
    // Without it, each page's own encoding; the ASCII page, which declares no character set, takes
    // UTF-8 as the editor's save writes it there, and so does a text file.
    EXPECT_EQ(run(false), (std::vector<std::string>{"<p>p&aacute;gina</p>\n<p>Asociaci\xC3\xB3n Vecinal del R\xC3\xADo</p>\n",
                                                    "<p>p\xE1gina</p>\n<p>" + wanted + "</p>\n",
                                                    "<p>p\xC3\xA1gina</p>\n<p>Asociaci\xC3\xB3n Vecinal del R\xC3\xADo</p>\n",
                                                    "<p>Asociaci\xC3\xB3n Vecinal del R\xC3\xADo</p>\n"}));
}

TEST(ReplaceForm, ALinkAnotherUserPlantedInASharedFolderIsNotWrittenThroughAndTheRunNamesIt)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can give a link to another user";
    TWindow w;
    const std::filesystem::path shared = w.folder.path / "compartida";
    std::filesystem::create_directory(shared);
    chmod(w.folder.path.c_str(), 0755);
    chmod(shared.c_str(), 01777);
    const std::string outside = w.folder.file("fuera.html", "casa privada\n");
    const std::string inside = w.folder.file("dentro.html", "casa propia\n");
    chmod(outside.c_str(), 0600);
    // Another user's link to the user's private page, the user's own link, and a page of the user's.
    const std::string planted = (shared / "p3.html").string(), own = (shared / "p2.html").string();
    std::filesystem::create_symlink(outside, planted);
    std::filesystem::create_symlink(inside, own);
    ASSERT_EQ(lchown(planted.c_str(), 54340, 54340), 0);
    const std::string page = w.folder.file("compartida/p1.html", "casa\n");
    TformReemplazar form(w.form);
    for (const std::string& file : {planted, own, page})
        form.AddFile(file);
    form.edtFind->setText("casa");
    form.edtReplace->setText("piso");
    form.cbBackup->setChecked(true);
    TBoxAnswers boxes;
    form.btnStartClick();
    EXPECT_EQ(ReadFileBytes(outside), "casa privada\n");
    EXPECT_FALSE(std::filesystem::exists(shared / "p3.~ht"));
    EXPECT_TRUE(std::filesystem::is_symlink(planted));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "Algunos archivos necesitan su atenci\xF3n:\n" + planted +
                                  ": no se ha cambiado, es un enlace de otro usuario en una carpeta en la que otros "
                                  "pueden escribir; el archivo al que lleva, " +
                                  std::filesystem::canonical(outside).string() + ", queda como estaba.");
    // The others are replaced, the user's own link as ever written through.
    EXPECT_EQ(ReadFileBytes(inside), "piso propia\n");
    EXPECT_EQ(ReadFileBytes((shared / "p2.~ht").string()), "casa propia\n");
    EXPECT_EQ(ReadFileBytes(page), "piso\n");
}

TEST(ReplaceForm, PagesTheProgramSavedWithCodesAreFoundByTheirCharactersAndARunThatFindsNothingSaysSo)
{
    TWindow w;
    w.form.Config().InsSpecChar = true;
    TBoxAnswers boxes;
    // Three pages written by the editor's save with the conversion on: they hold the codes.
    std::vector<std::string> pages;
    for (const char* name : {"uno.htm", "dos.html", "tres.htm"}) {
        pages.push_back(w.folder.file(name, "<p>Hoja</p>\n"));
        w.form.AbreArchivo(pages.back(), false, ekHTML);
        w.memo.Perform(EM_SETSEL, 0, -1);
        type(w.memo, "<p>El oto\xF1o llega. OTO\xD1O.</p>");
        w.form.mGuardarClick();
        w.form.mCerrarClick();
        ASSERT_EQ(ReadFileBytes(pages.back()), "<p>El oto&ntilde;o llega. OTO&Ntilde;O.</p>") << name;
    }
    ASSERT_TRUE(boxes.texts.empty()) << boxes.texts[0];
    TformReemplazar form(w.form);
    for (const std::string& page : pages)
        form.AddFile(page);
    form.edtFind->setText(QString::fromUtf8("otoño"));
    form.edtReplace->setText("invierno");
    form.btnStartClick();
    EXPECT_TRUE(boxes.texts.empty()) << boxes.texts[0];
    for (const std::string& page : pages)
        EXPECT_EQ(ReadFileBytes(page), "<p>El invierno llega. invierno.</p>") << page;

    // Nothing found anywhere: the run says so, and every file stays as it was.
    form.btnStartClick();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "No se ha encontrado \"oto\xF1o\" en ninguno de los archivos: no se ha cambiado nada.");
    EXPECT_EQ(boxes.flags[0], MB_OK | MB_ICONINFORMATION);
    for (const std::string& page : pages)
        EXPECT_EQ(ReadFileBytes(page), "<p>El invierno llega. invierno.</p>") << page;
    // With notes besides, the notes follow.
    const std::string missing = (w.folder.path / "falta.htm").string();
    form.AddFile(missing);
    form.btnStartClick();
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[1].rfind("No se ha encontrado \"oto\xF1o\" en ninguno de los archivos: no se ha cambiado "
                                   "nada.\n\nAlgunos archivos necesitan su atenci\xF3n:\n",
                                   0),
              0u)
        << boxes.texts[1];
    EXPECT_EQ(boxes.flags[1], MB_OK | MB_ICONWARNING);
}
