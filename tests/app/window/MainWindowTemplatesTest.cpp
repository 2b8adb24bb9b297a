// The main window's templates: a new document from a template, and the merge dialog and its result.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/host/EditingFile.h"
#include "app/model/EditorKind.h"
#include "app/dialogs/uFormFusion.h"
#include "components/VeltranEdit.h"
#include "support/Win1252Text.h"
#include "toolbars/TBarCtls.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "support/EditorText.h"
#include "support/MainWindowDocuments.h"

namespace {

// Runs `act` on the merge dialog as soon as it is shown, and keeps what it showed.
struct TFusionDriver {
    std::function<void(TformFusion&)> act;
    QString caption;
    QSize size;
    QPoint centre;
    bool seen = false;
    explicit TFusionDriver(std::function<void(TformFusion&)> a) : act(std::move(a))
    {
        auto* timer = new QTimer;
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [this, timer] {
            auto* form = qobject_cast<TformFusion*>(QApplication::activeModalWidget());
            if (!form)
                return;
            timer->stop();
            timer->deleteLater();
            seen = true;
            caption = form->windowTitle();
            size = form->size();
            centre = form->frameGeometry().center();
            act(*form);
        });
        timer->start();
    }
};

void fill(TformFusion& form, const std::string& templ, const std::string& data)
{
    form.bePlantilla->setText(FromFilePath(templ));
    form.beDatos->setText(FromFilePath(data));
}

} // namespace

TEST(MainWindowTemplates, UsingATemplateStartsInTheProjectsTemplatesFolderAndKeepsTheOpenFolder)
{
    TWindow w;
    TDialogAnswers dialogs;
    const std::string templ = w.folder.file("pagina.krp", "<h1>{*titulo*}</h1>\r\n");
    const std::string project = w.folder.file("sitio.kr", "[Datos del proyecto]\r\nPlantillas=" + w.folder.path.string() + "/tpl\r\n");
    w.form.Config().LastProyect = project;
    w.form.Config().LibraryDir = "/biblioteca";
    w.form.OpenDialogInitialDir = "/abierto";
    dialogs.answers.push_back({templ});
    w.form.FileCommands().mUsarPlantilla->trigger();
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].InitialDir, w.folder.path.string() + "/tpl");
    EXPECT_EQ(dialogs.requests[0].FilterIndex, 4);
    EXPECT_EQ(dialogs.requests[0].Filter, LoadResString(4503));
    EXPECT_EQ(w.form.OpenDialogInitialDir, "/abierto");
    ASSERT_EQ(w.form.DocumentCount(), 1);
    EXPECT_EQ(w.form.ArchivoActual(), "");
    EXPECT_EQ(w.form.CurrentFile()->Tipo, ekHTML);
    EXPECT_EQ(EditorText(w.memo), "<h1>{*titulo*}</h1>\r");
    EXPECT_EQ(w.form.FileCommands().mUsarPlantilla->shortcut().toString(), "Ctrl+U");
    EXPECT_EQ(ToWin1252(w.form.FileCommands().mUsarPlantilla->text()), "&Usar plantilla...");

    // Without a project the library folder; a cancelled dialog opens nothing.
    w.form.Config().LastProyect = "";
    w.form.FileCommands().mUsarPlantilla->trigger();
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[1].InitialDir, "/biblioteca");
    EXPECT_EQ(w.form.DocumentCount(), 1);
    EXPECT_EQ(w.form.OpenDialogInitialDir, "/abierto");
}

namespace {

// Runs `command`, which shows a file dialog of the toolkit's own, and gives the folder the dialog
// shows; the dialog takes `name` as typed into its name field, or is cancelled without one.
QString shownFolder(const std::function<void()>& command, const QString& name = {})
{
    QString folder = "(no dialog)";
    QTimer::singleShot(0, [&folder, name] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QFileDialog*>(top);
            if (!dialog || !dialog->isVisible())
                continue;
            folder = dialog->directory().absolutePath();
            auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
            auto* buttons = dialog->findChild<QDialogButtonBox*>();
            if (!name.isEmpty() && edit && buttons) {
                edit->setText(name);
                buttons->button(QDialogButtonBox::Open)->click();
            }
            if (dialog->isVisible())
                dialog->reject();
        }
    });
    command();
    return folder;
}

} // namespace

TEST(MainWindowTemplates, OpenAndInsertDialogsStartWhereTheyDidBeforeATemplateWasUsed)
{
    TWindow w;
    const std::filesystem::path templates = w.folder.path / "plantillas";
    std::filesystem::create_directory(templates);
    w.folder.file("plantillas/pagina.krp", "<p>{*texto*}</p>");
    w.form.Config().LastProyect = "";
    w.form.Config().LibraryDir = templates.string();
    // No folder chosen yet: the open dialog starts in the program's folder.
    w.form.OpenDialogInitialDir.clear();
    QAction* open = w.form.FileCommands().mAbrir;
    QAction* useTemplate = w.form.FileCommands().mUsarPlantilla;
    const QString before = shownFolder([open] { open->trigger(); });
    EXPECT_EQ(before, QDir::currentPath());
    ASSERT_NE(before, FromFilePath(templates.string()));

    // Usar plantilla starts in the templates' folder, cancelled or not; Abrir starts where it did.
    EXPECT_EQ(shownFolder([useTemplate] { useTemplate->trigger(); }), FromFilePath(templates.string()));
    EXPECT_EQ(shownFolder([open] { open->trigger(); }), before);
    EXPECT_EQ(shownFolder([useTemplate] { useTemplate->trigger(); }, "pagina.krp"), FromFilePath(templates.string()));
    ASSERT_EQ(w.form.DocumentCount(), 1);
    EXPECT_EQ(EditorText(w.memo), "<p>{*texto*}</p>");
    EXPECT_EQ(shownFolder([open] { open->trigger(); }), before);

    // Inserting a file into the untitled page starts where Abrir does; into a saved page, beside it.
    QObject link;
    link.setProperty("Tag", 1);
    EXPECT_EQ(shownFolder([&] { w.form.InsertaTagC(&link); }), before);
    std::filesystem::create_directory(w.folder.path / "sitio");
    w.form.AbreArchivo(w.folder.file("sitio/index.htm", ""), false, ekHTML);
    EXPECT_EQ(shownFolder([&] { w.form.InsertaTagC(&link); }), FromFilePath((w.folder.path / "sitio").string()));
    EXPECT_EQ(shownFolder([open] { open->trigger(); }), before);
}

TEST(MainWindowTemplates, TheMergeOpensItsResultAsANewUntitledDocumentOfTheDefaultKind)
{
    TWindow w;
    TDialogAnswers dialogs;
    // The template lies in a folder whose Latin-1 name no shown text gives back: the edit keeps its bytes.
    std::filesystem::create_directory(w.folder.path / "caf\xE9");
    const std::string templ = w.folder.file("caf\xE9/pagina.krp", "<title>{*titulo*}</title>\n{*autor*}{*nada*}");
    const std::string data = w.folder.file("datos.krd", "{*TITULO*}\nMi p&aacute;gina\n{*autor*}\nL1\nL2\n");
    w.form.Config().DefaultParser = ekText;
    dialogs.answers.push_back({templ});
    dialogs.answers.push_back({data});
    TFusionDriver driver([](TformFusion& form) {
        form.bePlantilla->OnBtnClick(form.bePlantilla);
        form.beDatos->OnBtnClick(form.beDatos);
        form.btnAceptar->click();
    });
    // The side panel's button runs the merge; the panel is built when first asked for.
    w.form.SideTools();
    auto* button = w.form.findChild<TToolbarButtonKt*>("sbProcesaPlantilla");
    ASSERT_NE(button, nullptr);
    button->OnClick(button);
    EXPECT_TRUE(driver.seen);
    EXPECT_EQ(ToWin1252(driver.caption), "Fusi\xF3n de plantillas");
    EXPECT_EQ(driver.size, QSize(283, 142));
    // Centred on the screen, not over the main window.
    // (within the few pixels a frame added on showing may shift it)
    EXPECT_LE((driver.centre - QGuiApplication::primaryScreen()->availableGeometry().center()).manhattanLength(), 4);
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[0].Filter, "Plantilla de documento (*.krp)|*.krp|Todos (*.*)|*.*");
    EXPECT_EQ(dialogs.requests[1].Filter, "Datos de plantilla (*.krd)|*.krd|Todos (*.*)|*.*");
    ASSERT_EQ(w.form.DocumentCount(), 1);
    EXPECT_EQ(w.form.ArchivoActual(), "");
    EXPECT_EQ(w.form.CurrentFile()->Tipo, ekText);
    EXPECT_EQ(EditorText(w.memo), "<title>Mi p\xE1gina</title>\rL1\rL2\r{*nada*}\r");
    // The whole text came as one change.
    w.memo.Undo();
    EXPECT_EQ(EditorText(w.memo), "");
}

TEST(MainWindowTemplates, MissingFilesCancelAndFilesGoneBeforeTheReadMergeNothing)
{
    TWindow w;
    const std::string templ = w.folder.file("pagina.krp", "{*a*}");
    const std::string data = w.folder.file("datos.krd", "{*a*}\r\n1\r\n");
    const std::string none = w.folder.path.string() + "/none";
    const struct {
        std::string templ, data;
        bool cancel;
        std::vector<std::string> messages;
    } cases[] = {
        {none, data, false, {"Debe especificar una plantilla correcta."}},
        {templ, none, false, {"Debe especificar un archivo de datos correcto."}},
        {"", "", false, {"Debe especificar una plantilla correcta."}},
        {templ, data, true, {}},
    };
    for (const auto& c : cases) {
        TBoxAnswers boxes;
        TFusionDriver driver([&](TformFusion& form) {
            fill(form, c.templ, c.data);
            (c.cancel ? form.btnCancelar : form.btnAceptar)->click();
        });
        w.form.sbProcesaPlantillaClick();
        EXPECT_TRUE(driver.seen);
        EXPECT_EQ(boxes.texts, c.messages) << c.templ << " " << c.data;
        for (unsigned flags : boxes.flags)
            EXPECT_EQ(flags, MB_OK | MB_ICONEXCLAMATION);
        EXPECT_EQ(w.form.DocumentCount(), 0);
    }
    // A template that the check found but that is gone when the merge reads it: no message, and the
    // documents stay as they were.
    w.form.mNuevoClick();
    type(w.memo, "mio");
    TBoxAnswers boxes;
    TFusionDriver driver([&](TformFusion& form) {
        fill(form, templ, data);
        form.btnAceptar->click();
        std::filesystem::remove(templ);
    });
    w.form.sbProcesaPlantillaClick();
    EXPECT_TRUE(driver.seen);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{});
    EXPECT_EQ(w.form.DocumentCount(), 1);
    EXPECT_EQ(EditorText(w.memo), "mio");
}
