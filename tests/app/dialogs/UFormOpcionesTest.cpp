// Tests of the options dialog: its pages driven headless, the settings it writes back, its grids and choosers, the shell verbs and the window's options command.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTableWidgetItem>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/host/ShellVerbs.h"
#include "app/dialogs/UFormOpciones.h"
#include "app/dialogs/UFormPaleta.h"
#include "app/model/CodigosISO.h"
#include "components/FoldrDlg.h"
#include "platform/Buttons.h"
#include "platform/RadioGroup.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "support/EditorText.h"
#include "support/GridClicks.h"
#include "support/HookWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/PumpUntil.h"
#include "support/StringListItems.h"
#include "support/TempXdg.h"
#include "support/TypedKeys.h"
#include "support/Win1252Text.h"

namespace {

using TOptionsAnswer = THookWhile<TOptionsDialogHook, &SetOptionsDialogHook>;

// Runs the dialog over the window; `drive` works the shown dialog and answers Aceptar (true) or Cancelar.
bool runDialog(TformPrincipal& form, const std::function<bool(TformOpciones&)>& drive)
{
    TOptionsAnswer answer(drive);
    TformOpciones dialog(form);
    return dialog.Execute();
}

// Every setting as the store keeps it, and the file types beside them: the store file's keys, each
// with its values, in the order of their names (a save may write a section anew at the end).
std::vector<std::string> storedSettings(TformPrincipal& form)
{
    form.Config().Save();
    RegistryStore::Flush();
    const std::string text = ReadFileBytes(RegistryStore::FileName());
    std::vector<std::string> keys;
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
        end = std::min(text.find("\n\n", start), text.size());
        // The last key of the file ends in one line end of its own.
        std::string key = text.substr(start, end - start);
        while (!key.empty() && key.back() == '\n')
            key.pop_back();
        keys.push_back(std::move(key));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::vector<std::string> itemNames(QMenu* menu)
{
    std::vector<std::string> names;
    for (QAction* item : menu->actions())
        names.push_back(item->objectName().toStdString() + "=" + ToWin1252(item->text()));
    return names;
}

} // namespace

TEST(OptionsDialog, OpeningAndAcceptingWithoutChangesChangesNoSettingAndNoFileType)
{
    TWindow w;
    TempXdg xdg;
    TBoxAnswers boxes;
    ASSERT_TRUE(ChangeShellVerb(nullptr, TShellVerbKind::NewPage, true));
    TKestrimaConfig& c = w.form.Config();
    c.InitialFile = 3, c.NewFile = 1, c.InsertDirs = 2, c.BrowserMode = 1, c.InsCaseMode = 4, c.DateFormat = 2;
    c.DefaultParser = 2, c.UseCustomPalette = true, c.MakeBackups = true, c.ShowTips = true, c.InsHtmlData = true;
    c.SaveCheckBoxes = true, c.NewFileModel = "/m/normal.htm", c.CustomPalette = "/p/a.pal", c.FileWeighExt = ".GIF;.JPG";
    c.TagNames = Lines({"<B>", "-", "<I>"}), c.TagValues = Lines({"</B>", "", "</I>"});
    c.BrwNames = Lines({"Uno", "Dos"}), c.BrwValues = Lines({"/bin/uno --x", ""});
    c.UtilNames = Lines({"Se\xF1or"}), c.UtilValues = Lines({"/u"});
    const std::vector<std::string> before = storedSettings(w.form);
    ASSERT_GT(before.size(), 10u);
    EXPECT_TRUE(runDialog(w.form, [](TformOpciones& d) {
        EXPECT_EQ(ToWin1252(d.windowTitle()), "Opciones de configuraci\xF3n");
        EXPECT_TRUE(d.isVisible());
        return true;
    }));
    EXPECT_EQ(storedSettings(w.form), before);
    EXPECT_TRUE(ShellVerbRegistered(TShellVerbKind::NewPage));
    EXPECT_FALSE(ShellVerbRegistered(TShellVerbKind::EditPage));
    EXPECT_FALSE(ShellVerbRegistered(TShellVerbKind::OpenProject));
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(OptionsDialog, ThePagesShowTheSettings)
{
    TWindow w;
    TKestrimaConfig& c = w.form.Config();
    c.InitialFile = 2;
    c.BrwNames = Lines({"Uno", "Dos"});
    c.BrwValues = Lines({"/bin/uno", "/bin/dos"});
    for (bool custom : {true, false}) {
        c.UseCustomPalette = custom;
        TformOpciones d(w.form);
        EXPECT_EQ(d.MyUseCustomPalette->ItemIndex(), custom ? 1 : 0);
        EXPECT_EQ(d.MyInitialFile->ItemIndex(), 2);
        EXPECT_EQ(ToWin1252(d.MyInitialFile->Button(2)->text()), "Abre el \xFAltimo archivo usado");
        EXPECT_TRUE(d.MyInitialFile->Button(2)->isChecked());
        ASSERT_EQ(TformOpciones::RowCount(d.sgNavegadores), 3);
        const std::vector<std::string> cells = {
            TformOpciones::Cells(d.sgNavegadores, 1, 0), TformOpciones::Cells(d.sgNavegadores, 2, 0),
            TformOpciones::Cells(d.sgNavegadores, 1, 1), TformOpciones::Cells(d.sgNavegadores, 2, 1),
            TformOpciones::Cells(d.sgNavegadores, 1, 2), TformOpciones::Cells(d.sgNavegadores, 2, 2)};
        EXPECT_EQ(cells, (std::vector<std::string>{"Navegador", "Ruta", "Uno", "/bin/uno", "Dos", "/bin/dos"}));
        // Empty lists keep one empty row to type into.
        EXPECT_EQ(TformOpciones::RowCount(d.sgUtilidades), 2);
        EXPECT_EQ(TformOpciones::Cells(d.sgCustomTags, 2, 0), "Cierre");
        EXPECT_TRUE(d.MySaveCheckBoxes->isHidden());
        EXPECT_FALSE(d.MySaveCheckBoxes->isEnabled());
        EXPECT_TRUE(d.MyAddOpenFiles->isHidden());
        EXPECT_EQ(d.property("HelpContext").toInt(), 47);
    }
}

TEST(OptionsDialog, TheTreeShowsItsNodesPage)
{
    TWindow w;
    runDialog(w.form, [](TformOpciones& d) {
        EXPECT_EQ(d.TreeView1->topLevelItemCount(), TformOpciones::kPageCount);
        EXPECT_EQ(d.bookOpciones->currentIndex(), 0);
        EXPECT_EQ(ToWin1252(d.stTitulo->text()), " General");
        const std::pair<int, const char*> pages[] = {
            {5, " Plantillas"}, {2, " Navegadores alternativos"}, {3, " Utilidades externas"}, {14, " Sistema"}};
        for (const auto& [node, title] : pages) {
            d.TreeView1->setCurrentItem(d.TreeView1->topLevelItem(node));
            EXPECT_EQ(d.bookOpciones->currentIndex(), node);
            EXPECT_EQ(ToWin1252(d.stTitulo->text()), title);
            EXPECT_TRUE(d.bookOpciones->currentWidget()->isVisible());
        }
        EXPECT_TRUE(d.MyLibraryDir->parentWidget() == d.bookOpciones->widget(5));
        // The name column keeps between 30 pixels and the grid's width less 40; the path fills the rest.
        QTableWidget* grid = d.sgUtilidades;
        const int client = grid->viewport()->width();
        for (const auto& [asked, kept] : {std::pair{10, 30}, std::pair{client, client - 40}, std::pair{150, 150}}) {
            grid->setColumnWidth(1, asked);
            EXPECT_EQ(grid->columnWidth(1), kept);
            EXPECT_EQ(grid->columnWidth(0) + grid->columnWidth(1) + grid->columnWidth(2) + 3, client);
        }
        return false;
    });
}

TEST(OptionsDialog, GridRowsAreAddedDeletedAndReadBackByName)
{
    TWindow w;
    TKestrimaConfig& c = w.form.Config();
    c.BrwNames = Lines({"Uno"});
    c.BrwValues = Lines({"/bin/uno"});
    c.TagNames = Lines({"<B>", "<I>", "<U>"});
    c.TagValues = Lines({"</B>", "</I>", "</U>"});
    runDialog(w.form, [](TformOpciones& d) {
        // The only data row is emptied, not removed.
        d.sbBorrarClick(d.sbBorrarNav);
        EXPECT_EQ(TformOpciones::RowCount(d.sgNavegadores), 2);
        EXPECT_EQ(TformOpciones::Cells(d.sgNavegadores, 1, 1) + TformOpciones::Cells(d.sgNavegadores, 2, 1), "");
        // Nuevo adds an empty last row and selects it.
        d.sbNuevoClick(d.sbNuevoNav);
        EXPECT_EQ(TformOpciones::RowCount(d.sgNavegadores), 3);
        EXPECT_EQ(TformOpciones::Row(d.sgNavegadores), 2);
        EXPECT_EQ(TformOpciones::Cells(d.sgNavegadores, 1, 2), "");
        TformOpciones::SetCells(d.sgNavegadores, 1, 1, "  ");
        TformOpciones::SetCells(d.sgNavegadores, 2, 1, "/bin/sin-nombre");
        TformOpciones::SetCells(d.sgNavegadores, 1, 2, "  Otro ");
        TformOpciones::SetCells(d.sgNavegadores, 2, 2, " /bin/otro ");
        // Deleting the middle code moves the last one up.
        d.sgCustomTags->setCurrentCell(1, 1);
        d.sbBorrarClick(d.sbBorrarTags);
        EXPECT_EQ(TformOpciones::Cells(d.sgCustomTags, 1, 2), "<U>");
        EXPECT_EQ(TformOpciones::Row(d.sgCustomTags), 2);
        d.sbNuevoClick(d.sbNuevaUtil);
        EXPECT_EQ(TformOpciones::RowCount(d.sgUtilidades), 3);
        return true;
    });
    EXPECT_EQ(c.BrwNames.Text(), "Otro\r\n");
    EXPECT_EQ(c.BrwValues.Text(), " /bin/otro \r\n");
    EXPECT_EQ(c.TagNames.Text(), "<B>\r\n<U>\r\n");
    EXPECT_EQ(c.TagValues.Text(), "</B>\r\n</U>\r\n");
    EXPECT_EQ(c.UtilNames.Count(), 0);
}

TEST(OptionsDialog, ADoubleClickInThePathColumnChoosesAProgram)
{
    TWindow w;
    const std::string tools = w.folder.path.string() + "/herramientas/";
    std::filesystem::create_directory(tools);
    w.form.Config().UtilNames = Lines({"Uno"});
    w.form.Config().UtilValues = Lines({(tools + "uno").c_str()});
    TDialogAnswers files;
    runDialog(w.form, [&](TformOpciones& d) {
        d.sgOpenDblClick(d.sgUtilidades, 1, 1);
        EXPECT_TRUE(files.requests.empty());
        files.answers.push_back({"/usr/bin/dos"});
        d.sgOpenDblClick(d.sgUtilidades, 1, 2);
        EXPECT_EQ(TformOpciones::Cells(d.sgUtilidades, 2, 1), "/usr/bin/dos");
        EXPECT_EQ(TformOpciones::Cells(d.sgUtilidades, 1, 1), "Uno");
        return true;
    });
    ASSERT_EQ(files.requests.size(), 1u);
    EXPECT_EQ(files.requests[0].InitialDir, tools);
    EXPECT_EQ(files.requests[0].FileName, "uno");
    // The first filter lists this system's programs, the files one may run, whatever their names.
    EXPECT_EQ(files.requests[0].Filter.rfind("Ejecutables|*|", 0), 0u);
    EXPECT_EQ(files.requests[0].FilterIndex, 1);
    EXPECT_EQ(files.requests[0].ProgramsFilter, 1);
    EXPECT_EQ(w.form.Config().UtilValues[0], "/usr/bin/dos");
}

TEST(OptionsDialog, TheProgramChooserStartsWhereTheCellsProgramIsElseWhereTheSystemsProgramsAre)
{
    TWindow w;
    const std::string browsers = w.folder.path.string() + "/navegadores/";
    std::filesystem::create_directory(browsers);
    // A program in a folder of its own, a bare name, a folder that is gone, and a new row's empty cell.
    w.form.Config().BrwNames = Lines({"Propio", "Nombre", "Perdido"});
    w.form.Config().BrwValues = Lines({(browsers + "navegador").c_str(), "firefox", "/no/existe/navegador"});
    TDialogAnswers files;
    runDialog(w.form, [&](TformOpciones& d) {
        for (int row = 1; row <= 3; ++row)
            d.sgOpenDblClick(d.sgNavegadores, row, 2);
        d.sbNuevoClick(d.sbNuevoNav);
        d.sgOpenDblClick(d.sgNavegadores, 4, 2);
        return false;
    });
    std::vector<std::pair<std::string, std::string>> started;
    for (const TFileDialogRequest& request : files.requests)
        started.emplace_back(request.InitialDir, request.FileName);
    EXPECT_EQ(started, (std::vector<std::pair<std::string, std::string>>{
                           {browsers, "navegador"}, {"/usr/bin/", "firefox"}, {"/usr/bin/", "navegador"}, {"/usr/bin/", ""}}));
}

TEST(OptionsDialog, KeysTypedRightAfterAClickOnTheSelectedCellStayInTheCell)
{
    TWindow w;
    w.form.Config().BrwNames = Lines({"Uno"});
    w.form.Config().BrwValues = Lines({"/opt/uno"});
    TDialogAnswers files;
    runDialog(w.form, [&](TformOpciones& d) {
        d.activateWindow();
        EXPECT_TRUE(pumpUntil([&] { return QApplication::activeWindow() == &d; }));
        d.TreeView1->setCurrentItem(d.TreeView1->topLevelItem(3));
        QTableWidget* grid = d.sgUtilidades;
        EXPECT_EQ(grid->currentRow(), 0);
        EXPECT_EQ(grid->currentColumn(), 1);
        // As people type: the keys follow the click within the double-click time.
        EXPECT_TRUE(TypeRightAfterAClick(d, *grid, 0, 1, "Util"));
        EXPECT_EQ(TformOpciones::Cells(grid, 1, 1), "Util");

        // A second click on the selected cell, with nothing typed, still edits it once no double
        // click has followed.
        ClickCell(*grid, 0, 1);
        EXPECT_TRUE(pumpUntil([&] { return grid->indexWidget(grid->currentIndex()) != nullptr; }));
        PressKey(*KeysOf(d), VK_END);
        TypeKeys([&] { return KeysOf(d); }, "2");
        PressKey(*KeysOf(d), VK_RETURN);
        EXPECT_TRUE(pumpUntil([&] { return !grid->indexWidget(grid->currentIndex()); }));
        EXPECT_EQ(TformOpciones::Cells(grid, 1, 1), "Util2");

        // A double click on the selected path cell runs only its own command: the program chooser,
        // and no editor over its answer afterwards.
        d.TreeView1->setCurrentItem(d.TreeView1->topLevelItem(2));
        grid = d.sgNavegadores;
        grid->setCurrentCell(0, 2);
        files.answers.push_back({"/usr/bin/dos"});
        DoubleClickCell(*grid, 0, 2);
        EXPECT_EQ(files.requests.size(), 1u);
        EXPECT_TRUE(WaitOutDoubleClickTime());
        EXPECT_EQ(grid->indexWidget(grid->currentIndex()), nullptr);
        EXPECT_EQ(TformOpciones::Cells(grid, 2, 1), "/usr/bin/dos");
        // In the custom codes grid a double click types into the cell, a new row's too.
        d.TreeView1->setCurrentItem(d.TreeView1->topLevelItem(10));
        d.sbNuevoClick(d.sbNuevoTags);
        grid = d.sgCustomTags;
        DoubleClickCell(*grid, grid->rowCount() - 1, 2);
        EXPECT_NE(grid->indexWidget(grid->model()->index(grid->rowCount() - 1, 2)), nullptr);
        return true;
    });
    EXPECT_EQ(w.form.Config().UtilNames.Text(), "Util2\r\n");
    EXPECT_EQ(w.form.Config().BrwValues.Text(), "/usr/bin/dos\r\n");
}

TEST(OptionsDialog, TheChoosersStartInTheFolderOfTheirEditAndFillIt)
{
    TWindow w;
    TKestrimaConfig& c = w.form.Config();
    c.NewFileModel = "/m/normal.htm", c.CustomPalette = "/p/a.pal", c.TopicHelp = "/h/a.hlp";
    c.CharacterLib = "/l/iso.kyb", c.LibraryDir = "/plantillas";
    TDialogAnswers files;
    for (const char* answer : {"/n/modelo.htm", "/n/b.pal", "/n/b.hlp", "/n/b.kyb"})
        files.answers.push_back({answer});
    std::vector<std::string> folderStarts;
    THookWhile<TFolderDialogHook, &SetFolderDialogHook> folders([&](TFolderDialog& dialog) {
        folderStarts = {dialog.Directory, dialog.Title, dialog.Text};
        dialog.Select(w.folder.path.string());
        return true;
    });
    runDialog(w.form, [](TformOpciones& d) {
        d.sbDirsModeloClick();
        d.sbDirsPaletaClick();
        d.sbDirsAyudaClick();
        d.sbCharacterLibClick();
        d.sbLibraryDirClick();
        return true;
    });
    ASSERT_EQ(files.requests.size(), 4u);
    const std::pair<const char*, const char*> asked[] = {
        {"/m/", "Internet (*.htm; *.html)|*.htm;*.html|"}, {"/p/", "Paletas|*.pal"},
        {"/h/", "Archivos de ayuda Windows|*.hlp"}, {"/l/", "Librer\xED""as de caracteres (*.kyb)|*.kyb|Todos|*.*"}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(files.requests[i].InitialDir, asked[i].first);
        EXPECT_EQ(files.requests[i].Filter.rfind(asked[i].second, 0), 0u) << files.requests[i].Filter;
    }
    EXPECT_EQ(c.NewFileModel + c.CustomPalette + c.TopicHelp + c.CharacterLib, "/n/modelo.htm/n/b.pal/n/b.hlp/n/b.kyb");
    EXPECT_EQ(folderStarts, (std::vector<std::string>{"/plantillas", "Seleccionar carpeta",
                                                      "Seleccione el directorio de ubicaci\xF3n de las plantillas."}));
    EXPECT_EQ(c.LibraryDir, w.folder.path.string());
}

TEST(OptionsDialog, NamesComeBackAsTheirBytesThroughAceptarUnlessTheirTextWasChanged)
{
    TWindow w;
    TKestrimaConfig& c = w.form.Config();
    // Latin-1 bytes spell no UTF-8 character: their text shows U+FFFD, which gives other bytes back.
    c.LibraryDir = "/home/ana/caf\xE9/", c.NewFileModel = "/home/ana/caf\xE9/modelo.htm";
    c.CharacterLib = "/l/\xC5\x82.kyb", c.CustomPalette = "/p/a.pal";
    c.UtilNames = Lines({"Herramienta", "Vieja"});
    c.UtilValues = Lines({"/opt/\xC5\x82ukasz/herramienta", "/opt/caf\xE9/vieja"});
    c.BrwNames = Lines({"Web"}), c.BrwValues = Lines({"/opt/caf\xE9/web"});
    const std::vector<std::string> before = storedSettings(w.form);
    runDialog(w.form, [](TformOpciones& d) {
        EXPECT_EQ(d.MyLibraryDir->text(), QStringLiteral("/home/ana/caf\uFFFD/"));
        EXPECT_EQ(d.MyCharacterLib->text(), QStringLiteral("/l/\u0142.kyb"));
        EXPECT_EQ(d.sgUtilidades->item(0, 2)->text(), QStringLiteral("/opt/\u0142ukasz/herramienta"));
        return true;
    });
    EXPECT_EQ(c.LibraryDir, "/home/ana/caf\xE9/");
    EXPECT_EQ(c.NewFileModel, "/home/ana/caf\xE9/modelo.htm");
    EXPECT_EQ(c.CharacterLib, "/l/\xC5\x82.kyb");
    EXPECT_EQ(c.UtilValues.Text(), "/opt/\xC5\x82ukasz/herramienta\r\n/opt/caf\xE9/vieja\r\n");
    EXPECT_EQ(c.BrwValues.Text(), "/opt/caf\xE9/web\r\n");
    EXPECT_EQ(storedSettings(w.form), before);

    // A changed text is the name it spells now, a grid's path as well as an edit's.
    runDialog(w.form, [](TformOpciones& d) {
        d.MyLibraryDir->setText(QStringLiteral("/home/ana/caf\u00E9/"));
        d.MyCustomPalette->setText(QStringLiteral("/p/\u00F1.pal"));
        d.sgUtilidades->item(1, 2)->setText(QStringLiteral("/opt/\u0142/nueva"));
        return true;
    });
    EXPECT_EQ(c.LibraryDir, "/home/ana/caf\xC3\xA9/");
    EXPECT_EQ(c.CustomPalette, "/p/\xC3\xB1.pal");
    EXPECT_EQ(c.UtilValues.Text(), "/opt/\xC5\x82ukasz/herramienta\r\n/opt/\xC5\x82/nueva\r\n");
    EXPECT_EQ(c.NewFileModel, "/home/ana/caf\xE9/modelo.htm");
}

TEST(OptionsDialog, ChoicesAreWrittenAndAGroupWithNoneChosenKeepsItsSetting)
{
    TWindow w;
    TKestrimaConfig& c = w.form.Config();
    c.DefaultParser = 2, c.InitialFile = 1, c.InsCaseMode = 3, c.DateFormat = 1, c.NewFile = 1, c.BrowserMode = 2;
    runDialog(w.form, [](TformOpciones& d) {
        for (TRadioGroup* group : {d.myDefaultParser, d.MyInitialFile, d.MyInsUppercase, d.rgFecha, d.MyNewFile})
            group->SetItemIndex(-1);
        d.MyBrowserMode->SetItemIndex(0);
        d.MyInsertDirs->SetItemIndex(2);
        d.MyUseCustomPalette->SetItemIndex(1);
        d.MyMakeBackups->setChecked(true);
        d.MyFileWeighExt->setText(QStringLiteral(".GIF;.PNG"));
        return true;
    });
    EXPECT_EQ(c.DefaultParser, 2);
    EXPECT_EQ(c.InitialFile, 1);
    EXPECT_EQ(c.InsCaseMode, 3);
    EXPECT_EQ(c.DateFormat, 1);
    EXPECT_EQ(c.NewFile, 1);
    EXPECT_EQ(c.BrowserMode, 0);
    EXPECT_EQ(c.InsertDirs, 2);
    EXPECT_TRUE(c.UseCustomPalette);
    EXPECT_TRUE(c.MakeBackups);
    EXPECT_EQ(c.FileWeighExt, ".GIF;.PNG");
}

TEST(OptionsDialog, EachVerbBoxChangesOnlyItsOwnVerb)
{
    TWindow w;
    TempXdg xdg;
    TBoxAnswers boxes;
    const auto registered = [] {
        return std::vector<bool>{ShellVerbRegistered(TShellVerbKind::EditPage),
                                 ShellVerbRegistered(TShellVerbKind::NewPage),
                                 ShellVerbRegistered(TShellVerbKind::OpenProject)};
    };
    // Cancelar after ticking writes nothing.
    const bool backups = w.form.Config().MakeBackups;
    runDialog(w.form, [](TformOpciones& d) {
        d.chMenuEditar->setChecked(true);
        d.MyMakeBackups->setChecked(!d.MyMakeBackups->isChecked());
        return false;
    });
    EXPECT_EQ(registered(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(w.form.Config().MakeBackups, backups);
    EXPECT_FALSE(FileExists(xdg.Data + "/applications/kestrima-htmfile-editar-en-kestrima.desktop"));

    runDialog(w.form, [](TformOpciones& d) {
        d.chMenuNuevo->setChecked(true);
        return true;
    });
    EXPECT_EQ(registered(), (std::vector<bool>{false, true, false}));
    EXPECT_TRUE(FileExists(xdg.Data + "/applications/kestrima-htmfile-nuevo.desktop"));
    runDialog(w.form, [](TformOpciones& d) {
        EXPECT_TRUE(d.chMenuNuevo->isChecked());
        EXPECT_EQ(d.chMenuNuevo->property("Tag").toInt(), 1);
        EXPECT_EQ(d.chMenuEditar->property("Tag").toInt(), 0);
        d.chMenuProyecto->setChecked(true);
        return true;
    });
    EXPECT_EQ(registered(), (std::vector<bool>{false, true, true}));
    runDialog(w.form, [](TformOpciones& d) {
        d.chMenuNuevo->setChecked(false);
        return true;
    });
    EXPECT_EQ(registered(), (std::vector<bool>{false, false, true}));
    TRegistry types;
    types.SetRootKey(HKEY_CLASSES_ROOT);
    EXPECT_FALSE(types.KeyExists("\\HTMfile\\Shell\\Nuevo"));
    EXPECT_TRUE(types.KeyExists("\\HTMfile\\DefaultIcon"));
    EXPECT_TRUE(types.KeyExists("\\KRfile\\Shell\\Abrir\\command"));
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(OptionsDialog, ADesktopThatRefusesTheVerbsIsReportedOnceAndTheSettingsStand)
{
    TWindow w;
    TempXdg xdg;
    TBoxAnswers boxes;
    WriteFileBytes(xdg.Data, "not a folder");
    EXPECT_TRUE(runDialog(w.form, [](TformOpciones& d) {
        d.chMenuEditar->setChecked(true);
        d.chMenuNuevo->setChecked(true);
        d.MyShowTips->setChecked(true);
        return true;
    }));
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0].rfind("No se pudo actualizar el escritorio: ", 0), 0u) << boxes.texts[0];
    EXPECT_TRUE(w.form.Config().ShowTips);
    EXPECT_TRUE(ShellVerbRegistered(TShellVerbKind::NewPage));
}

TEST(OptionsCommand, TheEditMenusItemOpensTheDialogAndTheWindowFollowsItsSettings)
{
    TWindow w;
    TBoxAnswers boxes;
    QAction* item = w.form.Commands().Action("mOpciones");
    EXPECT_EQ(ToWin1252(item->text()), "&Opciones...");
    EXPECT_TRUE(item->isVisible());
    QMenu* edicion = w.form.menuBar()->findChild<QMenu*>("mEdicion");
    EXPECT_TRUE(edicion->actions().contains(item));

    // A first browser, then a list that replaces it.
    TOptionsAnswer first([](TformOpciones& d) {
        TformOpciones::SetCells(d.sgNavegadores, 1, 1, "Viejo");
        TformOpciones::SetCells(d.sgNavegadores, 2, 1, "/bin/viejo");
        return true;
    });
    item->trigger();
    EXPECT_EQ(itemNames(w.form.mNavegadores()), (std::vector<std::string>{"BrwMenu0=Viejo"}));

    const std::string library = w.folder.file("propia.kyb", "q&ntilde;\n");
    const std::string palette = w.folder.file("propia.pal", "FF0000-Rojo\r\n00FF00-Verde\r\n");
    TOptionsAnswer second([&](TformOpciones& d) {
        d.sbNuevoClick(d.sbNuevoNav);
        TformOpciones::SetCells(d.sgNavegadores, 1, 1, "Nuevo");
        TformOpciones::SetCells(d.sgNavegadores, 1, 2, "Otro");
        TformOpciones::SetCells(d.sgNavegadores, 2, 2, "/bin/otro");
        TformOpciones::SetCells(d.sgCustomTags, 1, 1, "<B>");
        d.MyCharacterLib->setText(FromFilePath(library));
        d.MyInsSpecChar->setChecked(true);
        d.MyCustomPalette->setText(FromFilePath(palette));
        return true;
    });
    item->trigger();
    EXPECT_EQ(itemNames(w.form.mNavegadores()), (std::vector<std::string>{"BrwMenu0=Nuevo", "BrwMenu1=Otro"}));
    EXPECT_EQ(w.form.mNavegadores()->actions()[1]->statusTip().toStdString(), "/bin/otro");
    EXPECT_EQ(w.form.findChildren<QAction*>(QStringLiteral("BrwMenu1")).size(), 1);
    EXPECT_EQ(itemNames(w.form.mOtrosTags()), (std::vector<std::string>{"TagMenu0=<B>"}));
    EXPECT_TRUE(itemNames(w.form.mUtilidades()).empty());
    EXPECT_EQ(w.form.FormColor().Names, (std::vector<std::string>{"Rojo", "Verde"}));
    EXPECT_EQ(w.form.FormColor().Codes, (std::vector<std::string>{"FF0000", "00FF00"}));

    // The next file opened reads its codes through the new library; the window's commands still
    // answer by name after the menus were made anew.
    const std::string page = w.folder.file("pagina.htm", "a&ntilde;o");
    w.form.AbreArchivo(page, false, w.form.TipoDeArchivo(page));
    EXPECT_EQ(EditorText(w.memo), "aqo");
    EXPECT_TRUE(w.form.mNavegadores()->menuAction()->isVisible());
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(OptionsCommand, AUtilityWhosePathHoldsAnyCharacterIsStoredAsItsPathAndStarted)
{
    TWindow w;
    TBoxAnswers boxes;
    // A stand-in utility that logs the path it was started as.
    std::filesystem::create_directory(w.folder.path / "\xC5\x82ukasz");
    const std::string log = (w.folder.path / "llamadas.txt").string();
    const std::string program = w.folder.file("\xC5\x82ukasz/herramienta", "#!/bin/sh\necho \"$0\" >> '" + log + "'\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    TOptionsAnswer typed([&](TformOpciones& d) {
        TformOpciones::SetCells(d.sgUtilidades, 1, 1, "Herramienta");
        d.sgUtilidades->setItem(0, 2, new QTableWidgetItem(QString::fromUtf8(program.c_str())));
        return true;
    });
    w.form.Commands().Action("mOpciones")->trigger();
    EXPECT_EQ(w.form.Config().UtilValues.Text(), program + "\r\n");
    // Stored as its path, its own bytes in the store; the settings read back name it so.
    w.form.Config().Save();
    RegistryStore::Flush();
    EXPECT_NE(ReadFileBytes(RegistryStore::FileName()).find("\"Herramienta\"=path:\"" + program + "\"\n"), std::string::npos);
    TKestrimaConfig read;
    read.Load();
    EXPECT_EQ(read.UtilValues.Text(), program + "\r\n");

    w.form.findChild<QAction*>("UtlMenu0")->trigger();
    EXPECT_TRUE(pumpUntil([&] { return FileExists(log) && !ReadFileBytes(log).empty(); }, 30000)) << "the utility did not start";
    EXPECT_EQ(ReadFileBytes(log), program + "\n");
    EXPECT_TRUE(boxes.texts.empty());
}
