// Tests of the project dialog: its three pages driven headless, the file it writes and reads, its description and its failures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

#include "app/dialogs/UFormProyecto.h"
#include "components/FoldrDlg.h"
#include "platform/MessageBox.h"
#include "platform/Buttons.h"
#include "platform/core/FileSystem.h"
#include "platform/core/IniFile.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/TempDir.h"
#include "support/Unprivileged.h"

namespace {

using TProjectAnswer = THookWhile<TProjectDialogHook, &SetProjectDialogHook>;

// Answers the folder browsers with folders from a list (cancelled when it runs out), keeping what they showed.
struct TFolderAnswers {
    std::vector<std::string> folders;
    std::vector<std::string> titles, texts, starts;
    TFolderAnswers()
    {
        FPrevious = SetFolderDialogHook([this](TFolderDialog& dialog) {
            titles.push_back(dialog.Title);
            texts.push_back(dialog.Text);
            starts.push_back(dialog.Directory);
            if (folders.empty())
                return false;
            dialog.Select(folders.front());
            folders.erase(folders.begin());
            return true;
        });
    }
    ~TFolderAnswers() { SetFolderDialogHook(std::move(FPrevious)); }

private:
    TFolderDialogHook FPrevious;
};

std::vector<std::string> listed(const TformProyecto& dialog)
{
    std::vector<std::string> paths;
    for (const TProjectEntry& entry : dialog.Files())
        paths.push_back((entry.Opens ? "1," : "0,") + entry.Path);
    return paths;
}

void press(QWidget* target, int key, const QString& text = {})
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &down);
}

} // namespace

TEST(ProjectDialog, CheckedFilesAreWrittenAndReadBackInTheListsOrder)
{
    TWindow w;
    const std::string a = w.folder.file("a.htm", "a"), b = w.folder.file("b.htm", "b"), c = w.folder.file("c.htm", "c");
    const std::string kr = (w.folder.path / "sitio.kr").string();
    {
        TformProyecto dialog(w.form);
        EXPECT_EQ(dialog.windowTitle().toStdString(), "Datos de Proyecto");
        TDialogAnswers files;
        files.answers = {{a, b, c}};
        TProjectAnswer answer([&](TformProyecto& shown) {
            shown.eNombre->setText("Sitio");
            shown.sbAbrirClick();
            return true;
        });
        std::string name = kr;
        EXPECT_TRUE(dialog.Execute(name));
        EXPECT_EQ(name, kr);
        ASSERT_EQ(files.requests.size(), 1u);
        EXPECT_EQ(files.requests[0].Options & ofAllowMultiSelect, ofAllowMultiSelect);
        EXPECT_EQ(files.requests[0].Filter.substr(0, 9), "Internet|");
    }
    const TIniFile ini(kr);
    EXPECT_EQ(ini.ReadInteger("Archivos del proyecto", "Archivos", 0), 3);
    EXPECT_EQ(ini.ReadString("Archivos del proyecto", "A2", ""), "1," + a);
    EXPECT_EQ(ini.ReadString("Archivos del proyecto", "A1", ""), "1," + b);
    EXPECT_EQ(ini.ReadString("Archivos del proyecto", "A0", ""), "1," + c);
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Nombre", ""), "Sitio");
    // Reopened, the list runs a, b, c; adding a listed file again changes nothing.
    TformProyecto again(w.form);
    std::vector<std::string> shownList;
    TDialogAnswers files;
    files.answers = {{b}};
    TProjectAnswer answer([&](TformProyecto& shown) {
        shownList = listed(shown);
        shown.sbAbrirClick();
        EXPECT_EQ(shown.lbArchivos->count(), 3);
        return false;
    });
    std::string name = kr;
    const std::string before = ReadFileBytes(kr);
    EXPECT_FALSE(again.Execute(name));
    EXPECT_EQ(shownList, (std::vector<std::string>{"1," + a, "1," + b, "1," + c}));
    EXPECT_EQ(ReadFileBytes(kr), before);
}

TEST(ProjectDialog, TheThreePagesDrivenHeadless)
{
    TWindow w;
    const std::string a = w.folder.file("a.htm", "a"), b = w.folder.file("b.htm", "b");
    const std::string model = w.folder.file("modelo.htm", "m");
    const std::string base = (w.folder.path / "base").string(), templates = (w.folder.path / "plantillas").string();
    std::filesystem::create_directory(base);
    std::filesystem::create_directory(templates);
    const std::string kr = (w.folder.path / "Mi sitio.kr").string();
    // The open dialogs take the listed answers; the save dialog, which comes last, takes the project's name.
    struct {
        std::deque<std::vector<std::string>> answers;
        std::vector<TFileDialogRequest> requests;
    } files;
    const THookWhile<TFileDialogHook, &SetFileDialogHook> fileAnswers([&](TFileDialogRequest& request) {
        files.requests.push_back(request);
        if (request.Save)
            request.Files = {kr};
        else if (!files.answers.empty())
            request.Files = files.answers.front();
        if (request.Files.empty())
            return false;
        if (!request.Save)
            files.answers.pop_front();
        request.FileName = request.Files.front();
        return true;
    });
    TFolderAnswers folders;
    TformProyecto dialog(w.form);
    std::vector<std::string> pages;
    TProjectAnswer answer([&](TformProyecto& shown) {
        for (int i = 0; i < shown.pcProyecto->count(); ++i)
            pages.push_back(shown.pcProyecto->tabText(i).toStdString());
        // Datos del proyecto
        EXPECT_EQ(shown.eNombre->text().toStdString(), "Nuevo proyecto");
        shown.eNombre->setText("Mi sitio");
        shown.eAutor->setText(QString::fromUtf8("Ana Pe\xC3\xB1" "a"));
        shown.mDescripcion->setPlainText("Una web");
        // Archivos: two added, then the first removed; the second takes its place.
        files.answers = {{a, b}};
        shown.pcProyecto->setCurrentWidget(shown.tsArchivos);
        shown.sbAbrir->click();
        shown.lbArchivos->setCurrentRow(0);
        shown.sbBorrar->click();
        EXPECT_EQ(shown.lbArchivos->currentRow(), 0);
        shown.lbArchivos->item(0)->setCheckState(Qt::Unchecked);
        // Directorios: a folder cancelled keeps the edit; chosen ones fill it.
        shown.pcProyecto->setCurrentWidget(shown.tsDirectorios);
        shown.eDirectorio->setText(QString::fromStdString(w.folder.path.string()));
        shown.sbDirectorio->click();
        EXPECT_EQ(shown.eDirectorio->text().toStdString(), w.folder.path.string());
        folders.folders = {base, templates};
        shown.sbDirectorio->click();
        shown.sbPlantilla->click();
        files.answers = {{model}};
        shown.sbArchivoModelo->click();
        return true;
    });
    // No name yet: the save dialog asks for one, proposing the project's name in its base folder.
    std::string name;
    EXPECT_TRUE(dialog.Execute(name));
    EXPECT_EQ(name, kr);
    EXPECT_EQ(pages, (std::vector<std::string>{"Datos del proyecto", "Archivos", "Directorios"}));
    EXPECT_EQ(folders.titles, (std::vector<std::string>(3, "Seleccionar carpeta")));
    EXPECT_EQ(folders.texts, (std::vector<std::string>{"Selecciona el directorio del proyecto.",
                                                       "Selecciona el directorio del proyecto.",
                                                       "Seleccione el directorio de ubicaci\xF3n de las plantillas."}));
    EXPECT_EQ(folders.starts[0], w.folder.path.string());
    ASSERT_EQ(files.requests.size(), 3u);
    EXPECT_EQ(files.requests[1].FilterIndex, 3);
    const TFileDialogRequest& save = files.requests[2];
    EXPECT_TRUE(save.Save);
    EXPECT_EQ(save.Filter, "Proyectos Kestrima (*.kr)|*.kr");
    EXPECT_EQ(save.DefaultExt, "kr");
    EXPECT_EQ(save.InitialDir, base);
    EXPECT_EQ(save.FileName, "Mi sitio");
    const TIniFile ini(kr);
    const auto data = [&](const char* key) { return ini.ReadString("Datos del proyecto", key, "?"); };
    EXPECT_EQ(data("Nombre"), "Mi sitio");
    EXPECT_EQ(data("Autor"), "Ana Pe\xF1" "a");
    EXPECT_EQ(data("Descripci\xF3n"), "Una web");
    EXPECT_EQ(data("Directorio"), base);
    EXPECT_EQ(data("Plantillas"), templates);
    EXPECT_EQ(data("Archivo modelo"), model);
    EXPECT_NE(data("Fecha de creaci\xF3n"), "?");
    EXPECT_EQ(ini.ReadInteger("Archivos del proyecto", "Archivos", 0), 1);
    EXPECT_EQ(ini.ReadString("Archivos del proyecto", "A0", ""), "0," + b);
}

TEST(ProjectDialog, CancellingTheDialogOrTheSaveDialogWritesNothing)
{
    TWindow w;
    TDialogAnswers files;
    bool okAnswer = false;
    TProjectAnswer answer([&](TformProyecto&) { return okAnswer; });
    for (const bool ok : {false, true}) {
        okAnswer = ok;
        TformProyecto dialog(w.form);
        std::string name;
        EXPECT_FALSE(dialog.Execute(name)) << ok;
        EXPECT_EQ(name, "");
    }
    // Only the accepted dialog asked for a name.
    EXPECT_EQ(files.requests.size(), 1u);
}

TEST(ProjectDialog, ADescriptionOfOneLineAndAtMost201Characters)
{
    TWindow w;
    TformProyecto dialog(w.form);
    std::vector<unsigned> beeps;
    const TMessageBeepHook previous = SetMessageBeepHook([&](unsigned type) { beeps.push_back(type); });
    QPlainTextEdit* memo = dialog.mDescripcion;
    press(memo, Qt::Key_A, "a");
    press(memo, Qt::Key_Return, "\r");
    press(memo, Qt::Key_Enter, "\r");
    EXPECT_EQ(memo->toPlainText().toStdString(), "a");
    EXPECT_EQ(beeps, (std::vector<unsigned>{0x40, 0x40}));
    memo->setPlainText(QString(200, 'x'));
    memo->moveCursor(QTextCursor::End);
    press(memo, Qt::Key_B, "b");
    EXPECT_EQ(memo->toPlainText().size(), 201);
    press(memo, Qt::Key_C, "c");
    EXPECT_EQ(memo->toPlainText().size(), 201);
    EXPECT_EQ(beeps.size(), 3u);
    // Backspace still deletes, and moving the caret is no character.
    press(memo, Qt::Key_Left);
    press(memo, Qt::Key_End);
    press(memo, Qt::Key_Backspace, "\b");
    EXPECT_EQ(memo->toPlainText().size(), 200);
    EXPECT_EQ(beeps.size(), 3u);
    SetMessageBeepHook(previous);
}

TEST(ProjectDialog, AProjectThatCannotBeWrittenIsReportedAndStaysWhole)
{
    TWindow w;
    const std::string kr = w.folder.file("p.kr", "[Datos del proyecto]\nNombre=Viejo\n");
    namespace fs = std::filesystem;
    fs::permissions(w.folder.path, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(kr, fs::perms::owner_read | fs::perms::others_read);
    // Superuser writes any file: the check runs where permissions hold.
    const TUnprivilegedRun run = RunUnprivileged([&]() -> std::string {
        TBoxAnswers boxes;
        TProjectAnswer answer([](TformProyecto& shown) {
            shown.eNombre->setText("Nuevo");
            return true;
        });
        TformProyecto dialog(w.form);
        std::string name = kr;
        if (dialog.Execute(name))
            return "written";
        if (boxes.texts.size() != 1 || boxes.texts[0].find("p.kr") == std::string::npos)
            return "not reported";
        return "";
    });
    if (run.Skipped)
        GTEST_SKIP() << run.Failure;
    EXPECT_EQ(run.Failure, "");
    EXPECT_EQ(ReadFileBytes(kr), "[Datos del proyecto]\nNombre=Viejo\n");
}

TEST(ProjectDialog, EveryControlShowsItsCaption)
{
    TWindow w;
    TformProyecto dialog(w.form);
    const std::pair<const char*, const char*> captions[] = {
        {"lNombre", "Nombre del proyecto"}, {"lAutor", "Autor"}, {"lCrea", "Fecha de creaci\xC3\xB3n:"},
        {"lModifica", "\xC3\x9Altima modificaci\xC3\xB3n:"}, {"lDescripcion", "Descripci\xC3\xB3n"},
        {"lDirectorio", "Directorio base del proyecto"}, {"lPlantillas", "Ubicaci\xC3\xB3n de las plantillas"},
        {"lArchivoModelo", "Archivo modelo por defecto"},
    };
    for (const auto& [name, caption] : captions) {
        const QLabel* label = dialog.findChild<QLabel*>(name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_EQ(label->text().toStdString(), caption) << name;
    }
    EXPECT_EQ(dialog.bAceptar->text().toStdString(), "Aceptar");
    EXPECT_EQ(dialog.bCancelar->text().toStdString(), "Cancelar");
    EXPECT_TRUE(dialog.bAceptar->isDefault());
    EXPECT_EQ(dialog.sbAbrir->toolTip().toStdString(), "A\xC3\xB1" "adir archivos al proyecto");
}

TEST(ProjectDialog, AStartRemovesTheTemporaryProjectsOfCopiesThatNoLongerRun)
{
    // Process ids that ran and ended: children that have been waited for.
    std::vector<pid_t> ended;
    for (int i = 0; i < 5; ++i) {
        const pid_t child = fork();
        if (child == 0)
            _exit(0);
        ASSERT_GT(child, 0);
        waitpid(child, nullptr, 0);
        ended.push_back(child);
    }
    const std::string folder = PrivateRuntimeFolder();
    const auto name = [](pid_t id) { return "krptemp-" + std::to_string(id) + ".kr"; };
    TempDir outside("outside");
    const std::string target = outside.file("ajeno.kr", "[Datos del proyecto]\r\n");
    WriteFileBytes(folder + name(ended[0]), "muerto");
    WriteFileBytes(folder + name(getpid()), "propio");
    WriteFileBytes(folder + name(1), "vivo");
    WriteFileBytes(folder + name(ended[1]) + ".bak", "otro nombre");
    WriteFileBytes(folder + "krptemp-0" + std::to_string(ended[2]) + ".kr", "cero delante");
    std::filesystem::create_symlink(target, folder + name(ended[3]));
    std::filesystem::create_directory(folder + name(ended[4]));

    TWindow w;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(folder + name(ended[0]))));
    EXPECT_EQ(ReadFileBytes(folder + name(getpid())), "propio");
    EXPECT_EQ(ReadFileBytes(folder + name(1)), "vivo");
    EXPECT_EQ(ReadFileBytes(folder + name(ended[1]) + ".bak"), "otro nombre");
    EXPECT_EQ(ReadFileBytes(folder + "krptemp-0" + std::to_string(ended[2]) + ".kr"), "cero delante");
    EXPECT_TRUE(std::filesystem::is_symlink(folder + name(ended[3])));
    EXPECT_EQ(ReadFileBytes(target), "[Datos del proyecto]\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(folder + name(ended[4])));
    for (const std::string& left : {name(getpid()), name(1), name(ended[1]) + ".bak",
                                    "krptemp-0" + std::to_string(ended[2]) + ".kr", name(ended[3])})
        std::filesystem::remove(folder + left);
    std::filesystem::remove(folder + name(ended[4]));
}

TEST(ProjectDialog, FoldersThatAreNotUtf8ComeBackAsTheirBytesUnlessTheirTextWasChanged)
{
    TWindow w;
    const std::string kr = w.folder.file("sitio.kr", "[Datos del proyecto]\r\nNombre=Sitio\r\nDirectorio=/home/ana/caf\xE9\r\n"
                                                     "Plantillas=/p/caf\xE9\r\nArchivo modelo=/m/\xC5\x82.htm\r\n");
    const auto run = [&](const std::function<void(TformProyecto&)>& change) {
        TformProyecto dialog(w.form);
        TProjectAnswer answer([&](TformProyecto& shown) {
            change(shown);
            return true;
        });
        std::string name = kr;
        EXPECT_TRUE(dialog.Execute(name));
    };
    run([](TformProyecto& shown) { EXPECT_EQ(shown.eDirectorio->text(), QStringLiteral("/home/ana/caf\uFFFD")); });
    const TIniFile ini(kr);
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Directorio", ""), "/home/ana/caf\xE9");
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Plantillas", ""), "/p/caf\xE9");
    EXPECT_EQ(ini.ReadString("Datos del proyecto", "Archivo modelo", ""), "/m/\xC5\x82.htm");
    run([](TformProyecto& shown) { shown.ePlantillas->setText(QStringLiteral("/p/caf\u00E9")); });
    const TIniFile changed(kr);
    EXPECT_EQ(changed.ReadString("Datos del proyecto", "Plantillas", ""), "/p/caf\xC3\xA9");
    EXPECT_EQ(changed.ReadString("Datos del proyecto", "Directorio", ""), "/home/ana/caf\xE9");
}

TEST(ProjectDialog, ANameWithALineBreakIsRefusedWhenAddedSoThatNoOtherFileReadsBack)
{
    TWindow w;
    // "a⏎b.htm" beside "a b.htm", the file a blank in its place would name.
    const std::string broken = w.folder.file("a\nb.htm", "a"), other = w.folder.file("a b.htm", "o");
    const std::string c = w.folder.file("c.htm", "c");
    const std::string kr = (w.folder.path / "sitio.kr").string();
    TBoxAnswers boxes;
    TDialogAnswers files;
    files.answers = {{broken, c}, {broken}};
    const std::string folder = w.folder.path.string() + "/a\nb";
    std::filesystem::create_directory(folder);
    TFolderAnswers folders;
    folders.folders = {folder};
    std::vector<std::string> shown;
    TProjectAnswer answer([&](TformProyecto& dialog) {
        dialog.sbAbrirClick();
        dialog.sbArchivoModeloClick();
        dialog.sbDirectorioClick();
        shown = listed(dialog);
        return true;
    });
    TformProyecto dialog(w.form);
    std::string name = kr;
    EXPECT_TRUE(dialog.Execute(name));
    EXPECT_EQ(shown, std::vector<std::string>{"1," + c});
    const std::string refused = "El nombre \"" + broken + "\" tiene un salto de l\xEDnea: un proyecto no puede "
                                "guardarlo de modo que vuelva a leer el mismo archivo. No se a\xF1" "ade al proyecto.";
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{refused, refused, ProjectRefusesPathText(folder)}));
    const TProjectData data = ReadProjectData(TIniFile(kr), "");
    EXPECT_EQ(data.Files, (std::vector<TProjectEntry>{{c, true}}));
    EXPECT_EQ(data.ArchivoModelo, "");
    EXPECT_EQ(data.Directorio, "");
    // Written past the dialog, the entry is left out all the same, never stored as another file.
    TIniFile project(kr);
    WriteProjectFileEntries(project, {{broken, true}, {other, false}});
    EXPECT_EQ(ProjectFileEntries(project), (std::vector<TProjectEntry>{{other, false}}));
}
