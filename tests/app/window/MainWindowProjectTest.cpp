// Tests of the main window's project commands: New, Open, Edit and Close Project and the Project submenu.
#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QStatusTipEvent>
#include <algorithm>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <string>
#include <utility>
#include <vector>

#include "app/dialogs/UFormProyecto.h"
#include "app/panels/SidePanelTools.h"
#include "components/DirTree.h"
#include "components/FileList.h"
#include "app/model/KestrimaConfig.h"
#include "editor/CodeMemo.h"
#include "platform/core/IniFile.h"
#include "support/EnvironmentWhile.h"
#include "support/HookWhile.h"
#include "support/BoxAnswers.h"
#include "support/Unprivileged.h"
#include "support/MainWindowDocuments.h"

namespace {

using TProjectAnswer = THookWhile<TProjectDialogHook, &SetProjectDialogHook>;

std::string projectFile(const TempDir& folder, const std::string& name, const std::string& files)
{
    return folder.file("sitio.kr", "[Datos del proyecto]\nNombre=" + name + "\n[Archivos del proyecto]\n" + files);
}

} // namespace

TEST(MainWindowProject, TheSubmenuFollowsCloseAllWithItsFourItems)
{
    TWindow w;
    QMenu* archivo = w.form.menuBar()->findChild<QMenu*>("mArchivo");
    ASSERT_NE(archivo, nullptr);
    QMenu* proyecto = w.form.findChild<QMenu*>("mProyecto");
    ASSERT_NE(proyecto, nullptr);
    EXPECT_EQ(proyecto->title().toStdString(), "Pro&yecto");
    std::vector<std::string> items;
    for (QAction* item : proyecto->actions())
        items.push_back(item->objectName().toStdString() + " " + item->text().toStdString());
    EXPECT_EQ(items, (std::vector<std::string>{"mNuevoProyecto &Nuevo...", "mAbrirProyecto &Abrir...",
                                               "mEditarProyecto &Editar...", "mCerrarProyecto &Cerrar"}));
    const QList<QAction*> actions = archivo->actions();
    const qsizetype closeAll = actions.indexOf(w.form.Commands().Action("mCerrarTodo"));
    ASSERT_GE(closeAll, 0);
    EXPECT_TRUE(actions[closeAll + 1]->isSeparator());
    EXPECT_EQ(actions[closeAll + 2], proyecto->menuAction());
}

TEST(MainWindowProject, OpenProjectOpensTheMarkedEntriesFromTheLast)
{
    TWindow w;
    const std::string a = w.folder.file("a.htm", "a"), b = w.folder.file("b.htm", "b"), c = w.folder.file("c.htm", "c");
    const std::string gone = (w.folder.path / "gone.htm").string();
    const std::string kr = projectFile(w.folder, "Sitio", "Archivos=7\nA0=1," + a + "\nA2=1,\nA3=2," + b + "\nA4=1," + b +
                                                              "\nA5=1," + c + "\nA6=1," + gone + "\n");
    TDialogAnswers files;
    files.answers = {{kr}};
    TBoxAnswers boxes;
    w.form.mAbrirProyectoClick();
    ASSERT_EQ(files.requests.size(), 1u);
    EXPECT_EQ(files.requests[0].Filter, "Proyectos Kestrima (*.kr)|*.kr");
    // The missing file is reported by name once the others are open.
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"c.htm", "b.htm", "a.htm"}));
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"No es posible encontrar el archivo \"" + gone +
                                                     "\" del proyecto \"" + kr + "\"."}));
    EXPECT_EQ(w.form.Config().LastProyect, kr);
    EXPECT_EQ(w.form.NombreProyecto, "Sitio");
    EXPECT_EQ(w.form.OpenDialogInitialDir, w.folder.path.string() + "/");
    EXPECT_EQ(w.form.windowTitle().toStdString(), "Kestrima - [ Sitio ] - a.htm");
    // Close Project is Close All: the project goes with the documents.
    w.form.Commands().Action("mCerrarProyecto")->trigger();
    EXPECT_EQ(w.form.DocumentCount(), 0);
    EXPECT_EQ(w.form.Config().LastProyect, "");
    EXPECT_EQ(w.form.NombreProyecto, "");
}

TEST(MainWindowProject, AProjectOfManyMissingFilesIsReportedInOneBoxThatNamesTheFirst)
{
    TWindow w;
    const std::string a = w.folder.file("a.htm", "a");
    std::string files = "Archivos=51\nA50=1," + a + "\n";
    for (int i = 0; i < 50; ++i)
        files.append("A").append(std::to_string(i)).append("=1,").append(w.folder.path.string()).append("/falta").append(std::to_string(i)).append(".htm\n");
    const std::string kr = projectFile(w.folder, "Hostil", files);
    TDialogAnswers dialogs;
    dialogs.answers = {{kr}};
    TBoxAnswers boxes;
    w.form.mAbrirProyectoClick();
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"a.htm"}));
    std::string expected = "No es posible encontrar 50 archivos del proyecto \"" + kr + "\":";
    // The entries from the last key down, as they are opened.
    for (int i = 49; i >= 45; --i)
        expected += "\n" + w.folder.path.string() + "/falta" + std::to_string(i) + ".htm";
    expected += "\ny 45 m\xE1s.";
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{expected}));
    EXPECT_EQ(boxes.flags, (std::vector<unsigned>{MB_OK | MB_ICONSTOP}));
}

TEST(MainWindowProject, CancellingCloseAllInOpenProjectChangesNothing)
{
    TWindow w;
    const std::string a = w.folder.file("a.htm", "a"), b = w.folder.file("b.htm", "b");
    const std::string kr = projectFile(w.folder, "Nuevo", "Archivos=1\nA0=1," + b + "\n");
    w.form.AbreArchivo(a, false, w.form.TipoDeArchivo(a));
    type(w.memo, "x");
    w.form.Config().LastProyect = "/old/project.kr";
    w.form.NombreProyecto = "Viejo";
    w.form.EditorOnChange();
    const QString title = w.form.windowTitle();
    TDialogAnswers files;
    files.answers = {{kr}};
    TBoxAnswers boxes({IDCANCEL});
    w.form.mAbrirProyectoClick();
    EXPECT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"a.htm"}));
    EXPECT_EQ(w.form.Config().LastProyect, "/old/project.kr");
    EXPECT_EQ(w.form.NombreProyecto, "Viejo");
    EXPECT_EQ(w.form.windowTitle(), title);
    // Cancelling the open dialog asks nothing at all.
    w.form.mAbrirProyectoClick();
    EXPECT_EQ(boxes.texts.size(), 1u);
}

TEST(MainWindowProject, NewProjectProposesTheNamedDocumentsAndTheUser)
{
    TWindow w;
    const std::string runtime = (w.folder.path / "run").string();
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    TEnvironmentWhile privateFolder("XDG_RUNTIME_DIR", runtime);
    const std::string a = w.folder.file("a.htm", "a"), b = w.folder.file("b.htm", "b");
    w.form.mNuevoClick();
    w.form.AbreArchivo(a, false, w.form.TipoDeArchivo(a));
    w.form.AbreArchivo(b, false, w.form.TipoDeArchivo(b));
    std::vector<TProjectEntry> proposed;
    std::string author;
    // The proposal, in the private folder under a name of this process, lives while the dialog does.
    const std::string proposal = runtime + "/kestrima/krptemp-" + std::to_string(getpid()) + ".kr";
    TIniFile temp("");
    TProjectAnswer answer([&](TformProyecto& dialog) {
        temp = TIniFile(proposal);
        proposed = dialog.Files();
        author = dialog.eAutor->text().toStdString();
        dialog.eNombre->setText("Web");
        return true;
    });
    const std::string kr = (w.folder.path / "web.kr").string();
    TDialogAnswers files;
    files.answers = {{kr}};
    w.form.mNuevoProyectoClick();
    EXPECT_FALSE(FileExists(proposal));
    EXPECT_EQ(temp.ReadInteger("Archivos del proyecto", "Archivos", 0), 2);
    EXPECT_EQ(temp.ReadString("Archivos del proyecto", "A1", ""), "1," + a);
    EXPECT_EQ(temp.ReadString("Archivos del proyecto", "A0", ""), "1," + b);
    EXPECT_FALSE(temp.ReadString("Datos del proyecto", "Autor", "").empty());
    EXPECT_EQ(author, temp.ReadString("Datos del proyecto", "Autor", ""));
    EXPECT_EQ(proposed, (std::vector<TProjectEntry>{{a, true}, {b, true}}));
    EXPECT_EQ(w.form.Config().LastProyect, kr);
    EXPECT_EQ(w.form.NombreProyecto, "Web");
    // Both were open already: nothing opened twice, the untitled one stays.
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"Nuevo1", "a.htm", "b.htm"}));
    EXPECT_EQ(TIniFile(kr).ReadString("Archivos del proyecto", "A0", ""), "1," + b);
}

TEST(MainWindowProject, NewProjectProposesNoDocumentWhoseNameHoldsALineBreak)
{
    TWindow w;
    const std::string broken = w.folder.file("a\nb.htm", "a"), c = w.folder.file("c.htm", "c");
    w.form.AbreArchivo(broken, false, w.form.TipoDeArchivo(broken));
    w.form.AbreArchivo(c, false, w.form.TipoDeArchivo(c));
    std::vector<TProjectEntry> proposed;
    TProjectAnswer answer([&](TformProyecto& dialog) {
        proposed = dialog.Files();
        return false;
    });
    TBoxAnswers boxes;
    w.form.mNuevoProyectoClick();
    EXPECT_EQ(proposed, (std::vector<TProjectEntry>{{c, true}}));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{ProjectRefusesPathText(broken)});
    EXPECT_EQ(boxes.flags, std::vector<unsigned>{MB_OK | MB_ICONWARNING});
}

TEST(MainWindowProject, NewProjectNeitherReadsNorFollowsATemporaryProjectOfAnotherUser)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs the superuser to act as a second user";
    TWindow w;
    // A shared temporary folder, as /tmp is, where the user nobody has been first.
    chmod(w.folder.path.c_str(), 0755);
    const std::string shared = (w.folder.path / "tmp").string();
    ASSERT_EQ(mkdir(shared.c_str(), 0777), 0);
    chmod(shared.c_str(), 01777);
    TEnvironmentWhile temporary("TMPDIR", shared);
    TEnvironmentWhile noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    const std::string squatted = shared + "/kestrima-0";
    const std::string planted = "[Archivos del proyecto]\nArchivos=1\nA0=1,/home/nobody/trampa.htm\n";
    const std::string victimPid = std::to_string(getpid());
    const std::string nobodyFolder = shared + "/nobody";
    for (const bool asLink : {false, true}) {
        const auto put = [](const std::string& name, const std::string& text) {
            std::ofstream out(name, std::ios::binary);
            out << text;
            return static_cast<bool>(out.flush());
        };
        const TUnprivilegedRun run = RunUnprivileged([&]() -> std::string {
            if (mkdir(nobodyFolder.c_str(), 0777) != 0 && errno != EEXIST)
                return "no folder for nobody";
            chmod(nobodyFolder.c_str(), 0777);
            if (!put(shared + "/krptemp.kr", planted) ||
                !put(nobodyFolder + "/krptemp-" + victimPid + ".kr", planted))
                return "nobody could not plant the projects";
            if (asLink)
                return symlink(nobodyFolder.c_str(), squatted.c_str()) == 0 ? "" : "no link";
            if (mkdir(squatted.c_str(), 0777) != 0)
                return "no folder";
            chmod(squatted.c_str(), 0777);
            return put(squatted + "/krptemp-" + victimPid + ".kr", planted) ? "" : "no project";
        });
        if (run.Skipped)
            GTEST_SKIP() << run.Failure;
        ASSERT_EQ(run.Failure, "");
        const std::string a = w.folder.file("a.htm", "a");
        w.form.AbreArchivo(a, false, w.form.TipoDeArchivo(a));
        std::vector<TProjectEntry> proposed{{"unset", false}};
        TProjectAnswer answer([&](TformProyecto& dialog) {
            proposed = dialog.Files();
            return false;
        });
        TBoxAnswers boxes;
        w.form.mNuevoProyectoClick();
        // Told why nothing is proposed, in Spanish, naming the folder.
        ASSERT_EQ(boxes.texts.size(), 1u) << asLink;
        EXPECT_NE(boxes.texts[0].find("No hay una carpeta privada"), std::string::npos) << boxes.texts[0];
        EXPECT_NE(boxes.texts[0].find(squatted), std::string::npos) << boxes.texts[0];
        EXPECT_TRUE(proposed.empty()) << asLink;
        // Nobody's files keep their bytes and nothing of ours went into nobody's folders.
        EXPECT_EQ(ReadFileBytes(shared + "/krptemp.kr"), planted);
        EXPECT_EQ(ReadFileBytes(nobodyFolder + "/krptemp-" + victimPid + ".kr"), planted);
        if (!asLink) {
            EXPECT_EQ(ReadFileBytes(squatted + "/krptemp-" + victimPid + ".kr"), planted);
        }
        std::filesystem::remove_all(squatted);
        w.form.mCerrarTodoClick();
    }
}

TEST(MainWindowProject, EditProjectOpensCheckedExistingUnopenedFilesAndTakesTheName)
{
    TWindow w;
    const std::string a = w.folder.file("a.htm", "a"), upper = w.folder.file("A.HTM", "A");
    const std::string b = w.folder.file("b.htm", "b"), c = w.folder.file("c.htm", "c");
    const std::string gone = (w.folder.path / "gone.htm").string();
    const std::string kr = projectFile(w.folder, "Sitio", "Archivos=4\nA0=1," + upper + "\nA1=0," + b + "\nA2=1," + c +
                                                              "\nA3=1," + gone + "\n");
    // Without a project the command does nothing.
    {
        TProjectAnswer answer([](TformProyecto&) -> bool { throw std::logic_error("no dialog without a project"); });
        w.form.mEditarProyectoClick();
    }
    w.form.AbreArchivo(a, false, w.form.TipoDeArchivo(a));
    w.form.Config().LastProyect = kr;
    TBoxAnswers boxes;
    TProjectAnswer answer([&](TformProyecto& dialog) {
        dialog.eNombre->setText("Otro");
        return true;
    });
    w.form.mEditarProyectoClick();
    // A.HTM is another file than the open a.htm, b is not checked, the missing one is passed over;
    // the rest open in the list's order (the keys from the highest down).
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"a.htm", "c.htm", "A.HTM"}));
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(w.form.NombreProyecto, "Otro");
    EXPECT_EQ(TIniFile(kr).ReadString("Datos del proyecto", "Nombre", ""), "Otro");
    EXPECT_EQ(w.form.Config().LastProyect, kr);
}

TEST(MainWindowProject, AnAccentedNameShowsAsItsCharactersFromTheExplorerToTheProjectAndSaveAs)
{
    TWindow w;
    const std::string runtime = (w.folder.path / "run").string();
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    TEnvironmentWhile privateFolder("XDG_RUNTIME_DIR", runtime);
    // "Público/ŝí.html", as the desktop writes names (UTF-8); ŝ is not in Windows-1252.
    const std::string folder = (w.folder.path / "P\xC3\xBA" "blico").string();
    std::filesystem::create_directory(folder);
    const std::string page = w.folder.file("P\xC3\xBA" "blico/\xC5\x9D\xC3\xAD.html", "<p>hola</p>");
    const QString shown = QString::fromUtf8("\xC5\x9D\xC3\xAD.html");

    // The explorer: the folder and the file are shown as their characters, and the file opens.
    TSidePanelTools& tools = w.form.SideTools();
    tools.DirTree->SetDirectory(folder);
    QApplication::processEvents();
    ASSERT_NE(tools.DirTree->Selected(), nullptr);
    EXPECT_EQ(tools.DirTree->Selected()->text(0), QString::fromUtf8("P\xC3\xBA" "blico"));
    ASSERT_EQ(tools.lbFileList->Count(), 1);
    EXPECT_EQ(tools.lbFileList->IconView()->model()->index(0, 0).data().toString(), shown);
    tools.lbFileList->SetSelected(0);
    tools.pmArchivosPopup();
    EXPECT_EQ(tools.mAbreArchivo->statusTip(), QString::fromStdString(page));
    tools.mEditaArchivoClick();
    ASSERT_EQ(w.form.ArchivoActual(), page);
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"&&#349;\xED.html"}));
    // The status bar shows a hint that names the file as it came.
    QStatusTipEvent tip(QString::fromStdString(page));
    QApplication::sendEvent(&w.form, &tip);
    EXPECT_EQ(w.form.Panel(4)->text(), QString::fromStdString(page));

    // Save As proposes the document's own name, spelled as the file system spells it, and saves into
    // the file chosen.
    const std::string copy = folder + "/\xC5\x9D\xC3\xAD copia.html";
    {
        TDialogAnswers dialogs;
        dialogs.answers.push_back({copy});
        ASSERT_TRUE(w.form.mGuardarComoClick());
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].FileName, "\xC5\x9D\xC3\xAD.html");
        EXPECT_EQ(dialogs.requests[0].InitialDir, folder);
    }
    EXPECT_EQ(ReadFileBytes(copy), "<p>hola</p>");
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"&&#349;\xED copia.html"}));
    w.form.AbreArchivo(page, false, w.form.TipoDeArchivo(page));

    // The project dialog lists the documents as their characters and keeps each one's bytes.
    QStringList listed;
    std::vector<TProjectEntry> entries;
    TProjectAnswer answer([&](TformProyecto& dialog) {
        for (int i = 0; i < dialog.lbArchivos->count(); ++i)
            listed.append(dialog.lbArchivos->item(i)->text());
        entries = dialog.Files();
        dialog.eNombre->setText("Web");
        return true;
    });
    const std::string kr = folder + "/web.kr";
    {
        TDialogAnswers files;
        files.answers = {{kr}};
        w.form.mNuevoProyectoClick();
    }
    EXPECT_EQ(listed, (QStringList{QString::fromStdString(copy), QString::fromStdString(page)}));
    EXPECT_EQ(entries, (std::vector<TProjectEntry>{{copy, true}, {page, true}}));
    // Opened again, the project's list opens both files under their names.
    w.form.mCerrarTodoClick();
    ASSERT_EQ(w.form.DocumentCount(), 0);
    {
        TDialogAnswers files;
        files.answers = {{kr}};
        w.form.mAbrirProyectoClick();
    }
    std::vector<std::string> names = captions(w.form);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"&&#349;\xED copia.html", "&&#349;\xED.html"}));
}
