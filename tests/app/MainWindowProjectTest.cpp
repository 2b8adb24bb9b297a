// Tests of the main window's project commands: New, Open, Edit and Close Project and the Project submenu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "app/UFormProyecto.h"
#include "app/model/KestrimaConfig.h"
#include "editor/CodeMemo.h"
#include "platform/core/IniFile.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"

namespace {

using TProjectAnswer = THookWhile<TProjectDialogHook, &SetProjectDialogHook>;

// The system's temporary folder is the test's own folder while it lives.
struct TTemporaryFolder {
    std::string previous;
    bool had;
    explicit TTemporaryFolder(const std::string& folder) : had(getenv("TMPDIR") != nullptr)
    {
        if (had)
            previous = getenv("TMPDIR");
        setenv("TMPDIR", folder.c_str(), 1);
    }
    ~TTemporaryFolder()
    {
        if (had)
            setenv("TMPDIR", previous.c_str(), 1);
        else
            unsetenv("TMPDIR");
    }
};

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
    // The missing file is handed to the opening, which reports it.
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"c.htm", "b.htm", "a.htm"}));
    EXPECT_EQ(boxes.texts.size(), 1u);
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
    TTemporaryFolder temporary(w.folder.path.string());
    const std::string a = w.folder.file("a.htm", "a"), b = w.folder.file("b.htm", "b");
    w.form.mNuevoClick();
    w.form.AbreArchivo(a, false, w.form.TipoDeArchivo(a));
    w.form.AbreArchivo(b, false, w.form.TipoDeArchivo(b));
    std::vector<TProjectEntry> proposed;
    std::string author;
    TProjectAnswer answer([&](TformProyecto& dialog) {
        proposed = dialog.Files();
        author = dialog.eAutor->text().toStdString();
        dialog.eNombre->setText("Web");
        return true;
    });
    const std::string kr = (w.folder.path / "web.kr").string();
    TDialogAnswers files;
    files.answers = {{kr}};
    w.form.mNuevoProyectoClick();
    const TIniFile temp((w.folder.path / "krptemp.kr").string());
    EXPECT_EQ(temp.ReadInteger("Archivos del proyecto", "Archivos", 0), 2);
    EXPECT_EQ(temp.ReadString("Archivos del proyecto", "A0", ""), "1," + a);
    EXPECT_EQ(temp.ReadString("Archivos del proyecto", "A1", ""), "1," + b);
    EXPECT_FALSE(temp.ReadString("Datos del proyecto", "Autor", "").empty());
    EXPECT_EQ(author, temp.ReadString("Datos del proyecto", "Autor", ""));
    EXPECT_EQ(proposed, (std::vector<TProjectEntry>{{b, true}, {a, true}}));
    EXPECT_EQ(w.form.Config().LastProyect, kr);
    EXPECT_EQ(w.form.NombreProyecto, "Web");
    // Both were open already: nothing opened twice, the untitled one stays.
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"Nuevo1", "a.htm", "b.htm"}));
    EXPECT_EQ(TIniFile(kr).ReadString("Archivos del proyecto", "A0", ""), "1," + b);
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
    // A.HTM is another file than the open a.htm, b is not checked, the missing one is passed over.
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"a.htm", "A.HTM", "c.htm"}));
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(w.form.NombreProyecto, "Otro");
    EXPECT_EQ(TIniFile(kr).ReadString("Datos del proyecto", "Nombre", ""), "Otro");
    EXPECT_EQ(w.form.Config().LastProyect, kr);
}
