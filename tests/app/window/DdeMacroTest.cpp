// Tests of the DDE command server: the macro line grammar, the desktop's shell verbs, and the window's verbs with their queue.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <QLocalSocket>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "app/host/EditingFile.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/u_ddemacro.h"
#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "platform/SingleInstance.h"
#include "support/PumpUntil.h"
#include "support/RunningCopy.h"
#include "support/StartProgram.h"
#include "platform/core/Classes.h"
#include "platform/core/Registry.h"
#include "platform/core/ScopeGuard.h"
#include "support/BoxAnswers.h"
#include "support/EditorText.h"
#include "support/MainWindowDocuments.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"

namespace {

struct TLine {
    const char* line;
    bool accepted;
    const char* verb;
    const char* arg;
};

// Sends a macro through the server as a later start does, and runs the queue until it is answered.
// `whenAnswered` runs with the answer, as the macro ends: before any macro queued behind it starts.
void execute(const std::string& macro, std::function<void()> whenAnswered = {})
{
    const auto answered = std::make_shared<bool>(false);
    TDdeServer::Instance().Receive({TDdeKind::Execute, "system", macro}, [answered, whenAnswered](bool) {
        *answered = true;
        if (whenAnswered)
            whenAnswered();
    });
    ASSERT_TRUE(pumpUntil([&] { return *answered; })) << "no answer to " << macro;
}

// A window whose DDE server runs from the event loop, as the program's does.
struct TDdeWindow : TWindow {
    TDdeWindow()
    {
        TDdeServer::Instance().SetPost([](std::function<void()> work) { QTimer::singleShot(0, qApp, work); });
    }
    ~TDdeWindow() { TDdeServer::Instance().SetPost({}); }
};


// Writes the default value of a key of the file types, making the key.
void writeClassesValue(const std::string& key, const std::string& value)
{
    TRegistry reg;
    reg.SetRootKey(HKEY_CLASSES_ROOT);
    ASSERT_TRUE(reg.OpenKey(key, true));
    reg.WriteString("", value);
}

const char* const kEditVerb = "\\HTMfile\\Shell\\Editar en Kestrima\\ddeexec";

// Starts the program with `file`, as a later start that finds this test's window running (its DDE
// server listening), and waits until the start has handed the file over and ended.
void handOverAsALaterStart(const std::string& file)
{
    TSingleInstance first("Kestrima");
    ASSERT_TRUE(first.Listen());
    first.ServeDde();
    auto later = startProgram({QString::fromStdString(file)});
    ASSERT_TRUE(pumpUntil([&] { return later->state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(later->exitCode(), 0);
    // A start ends once its lines are taken, which may be before they have run.
    EXPECT_TRUE(pumpUntil([] { return TDdeServer::Instance().Pending() == 0; }));
}

} // namespace

TEST(DdeMacro, TheLineGrammarTakesExactlyTheWellFormedLines)
{
    const TLine lines[] = {
        {"[edit(\"/t/a.htm\")]", true, "edit", "/t/a.htm"},
        {"[new()]", true, "new", ""},
        {"[edit(\"a\")]junk", true, "edit", "a"},
        {"[[x](\"a\")]", true, "[x]", "a"},
        {"[a\"b()]", true, "a\"b", ""},
        {"[edit(\"con espacios y ]) dentro\")]", true, "edit", "con espacios y ]) dentro"},
        {"[edit(\"\")]", true, "edit", ""},
        // The escaped form: "%" and two digits of either case stand for a byte; a raw "%" is an error.
        {"[edit(%\"/t/a%22b%0A%0d%25.htm\")]", true, "edit", "/t/a\"b\n\r%.htm"},
        {"[edit(%\"\")]", true, "edit", ""},
        {"[edit(%\"a%2\")]", false, "", ""},
        {"[edit(%\"a%zz\")]", false, "", ""},
        {"[edit(%\"a%\")]", false, "", ""},
        {"[edit(%\"a)]", false, "", ""},
        {"[edit(%)]", false, "", ""},
        {"[edit(%%\"a\")]", false, "", ""},
        {"[edit(\"100%25\")]", true, "edit", "100%25"},
        {"[edit(/t/a.htm)]", false, "", ""},
        {"[ edit(\"x\")]", false, "", ""},
        {"[edit (\"x\")]", false, "", ""},
        {"[edit(\"x\") ]", false, "", ""},
        {"[edit(\"x)]", false, "", ""},
        {"[edit(\"a\")", false, "", ""},
        {"[edit(\"a\"", false, "", ""},
        {"[edit", false, "", ""},
        {"[()]", false, "", ""},
        {"edit(\"a\")]", false, "", ""},
        {"[", false, "", ""},
        {"", false, "", ""},
    };
    for (const TLine& line : lines) {
        std::string verb = "stale", arg = "stale";
        EXPECT_EQ(ParseMacroLine(line.line, verb, arg), line.accepted) << line.line;
        EXPECT_EQ(verb, line.verb) << line.line;
        EXPECT_EQ(arg, line.arg) << line.line;
    }
    // Names that can stand in quotes go as before, so that peers knowing no escapes read them; any other
    // is escaped, none left out.
    EXPECT_EQ(EditMacroFor({"/a b/c.htm", "/x\"y.htm", "/d%41.htm"}),
              "[edit(\"/a b/c.htm\")]\r\n[edit(%\"/x%22y.htm\")]\r\n[edit(\"/d%41.htm\")]");
    EXPECT_EQ(QuoteMacroArgument("/n\n[editex()]\t%\x7F\xE1)]"), "%\"/n%0A[editex()]%09%25%7F\xE1)]\"");
    EXPECT_EQ(QuoteMacroArgument(""), "\"\"");
}

TEST(DdeMacro, AFileNameReachesTheServerAsExactlyThatNameWhateverItsBytes)
{
    // Every byte value, in the names a second start and a registered verb send: one "edit" of the name.
    std::vector<std::string> names = {"/t/nota.htm\n[editex()]", "/t/a\rb\r\n.htm", "/t/\"]\")].htm", "/t/%1%25%.htm", ""};
    for (int byte = 0; byte < 256; ++byte)
        names.push_back("/t/" + std::string(1, static_cast<char>(byte)) + "x");
    Tddemacroserver server;
    std::vector<std::pair<std::string, std::string>> calls;
    server.Onmacro = [&](const std::string& verb, const std::string& arg) { calls.emplace_back(verb, arg); };
    for (const std::string& name : names) {
        for (const std::string& macro : {EditMacroFor({name}), MacroWithFile("[edit(\"%1\")]", name),
                                         MacroWithFile("[edit(%1)]", name)}) {
            calls.clear();
            EXPECT_TRUE(MacroIsWellFormed(macro)) << macro;
            server.ExecuteMacro(macro);
            ASSERT_EQ(calls.size(), 1u) << macro;
            EXPECT_EQ(calls[0].first, "edit");
            EXPECT_EQ(calls[0].second, name) << macro;
        }
    }
    // A name inside a longer argument goes in with it; other arguments and lines stay as they were.
    EXPECT_EQ(MacroWithFile("[open(\"dir\\%1.kr\")][x(\"%\")]\r\n[new(\"%1\")]", "a\"b"),
              "[open(%\"dir\\a%22b.kr\")][x(\"%\")]\r\n[new(%\"a%22b\")]");
    // A stored macro that the server would skip is found before it is sent.
    for (const char* bad : {"edit(\"%1\")", "[edit(\"%1\") ]", "[edit(\"%1\")]\r\n[ x()]", "", "\r\n"})
        EXPECT_FALSE(MacroIsWellFormed(MacroWithFile(bad, "/a.htm"))) << bad;
    EXPECT_TRUE(MacroIsWellFormed("[a()]\r\n[b(\"c\")]tail\r\n"));
}

TEST(DdeMacro, TheServerHandsEachWellFormedLineToOnmacroInOrder)
{
    Tddemacroserver server;
    EXPECT_EQ(server.Name(), "system");
    std::vector<std::string> calls;
    server.Onmacro = [&](const std::string& verb, const std::string& arg) { calls.push_back(verb + "|" + arg); };
    EXPECT_TRUE(server.ExecuteMacro("[edit(\"a\")]\r\n[ bad]\r\n\r\n[new()]tail\n[Edit(\"b\")]"));
    EXPECT_EQ(calls, (std::vector<std::string>{"edit|a", "new|", "Edit|b"}));
    server.Onmacro = nullptr;
    EXPECT_THROW(server.ExecuteMacro("[edit(\"a\")]"), Exception);
}

TEST(DdeMacro, ShellVerbsAreReadFromTheFileTypesWithTheFileInPlace)
{
    TempRegistry registry("dde");
    TempDir files("verbs");
    const std::string page = files.file("p\xE1gina.htm", "x");
    writeClassesValue(kEditVerb, "[edit(\"%1\")]");
    writeClassesValue(std::string(kEditVerb) + "\\ifexec", "[editex(\"%1\")]");
    writeClassesValue("\\KRfile\\Shell\\Abrir\\ddeexec", "[openproyect(\"%1\")][openproyect(\"%1\")]");
    writeClassesValue("\\KRfile\\Shell\\Abrir\\ddeexec\\topic", "Otro");
    TShellVerb verb;
    ASSERT_TRUE(ReadShellVerb("htmfile\\editar en kestrima", page, verb));
    EXPECT_EQ(verb.Topic, "system");
    EXPECT_EQ(verb.DdeExec, "[edit(\"" + page + "\")]");
    EXPECT_EQ(verb.IfExec, "[editex(\"" + page + "\")]");
    ASSERT_TRUE(ReadShellVerb("KRfile\\Abrir", "/p/%1.kr", verb));
    EXPECT_EQ(verb.Topic, "Otro");
    // A file name holding "%1" is put in once per place, never again inside itself.
    EXPECT_EQ(verb.DdeExec, "[openproyect(\"/p/%1.kr\")][openproyect(\"/p/%1.kr\")]");
    EXPECT_EQ(verb.IfExec, verb.DdeExec);
    for (const char* missing : {"HTMfile\\Nuevo", "HTMfile", "\\Abrir", "KRfile\\", "Nada\\Abrir"})
        EXPECT_FALSE(ReadShellVerb(missing, page, verb)) << missing;

    // The command line: the shell form and plain files.
    TStartRequest request;
    int error = 0;
    std::string errorArg;
    ASSERT_TRUE(StartRequestOf({"--shell-exec", "HTMfile\\Editar en Kestrima", page}, request, error, errorArg));
    EXPECT_EQ(request.RunningMacro, "[edit(\"" + page + "\")]");
    EXPECT_EQ(request.OwnMacro, "[editex(\"" + page + "\")]");
    EXPECT_TRUE(request.Files.empty());
    EXPECT_FALSE(StartRequestOf({"--shell-exec", "HTMfile\\Nuevo", page}, request, error, errorArg));
    EXPECT_EQ(error, 4901);
    EXPECT_EQ(errorArg, "HTMfile\\Nuevo");
    EXPECT_FALSE(StartRequestOf({"--shell-exec", "HTMfile\\Editar en Kestrima"}, request, error, errorArg));
    EXPECT_EQ(error, 4900);
    // A registered macro that the running program would skip is refused here, with its complaint.
    writeClassesValue("\\HTMfile\\Shell\\Roto\\ddeexec", "[edit(\"%1\") ]");
    EXPECT_FALSE(StartRequestOf({"--shell-exec", "HTMfile\\Roto", page}, request, error, errorArg));
    EXPECT_EQ(error, 4903);
    EXPECT_EQ(errorArg, "HTMfile\\Roto");
    EXPECT_EQ(FmtLoadStr(error, errorArg.c_str()),
              "La orden \"HTMfile\\Roto\" registrada en el tipo de archivo no es una macro v\xE1lida");
    ASSERT_TRUE(StartRequestOf({page, files.path.string() + "/gone.htm"}, request, error, errorArg));
    EXPECT_EQ(request.RunningMacro, "[edit(\"" + page + "\")]");
    EXPECT_EQ(request.Files.size(), 2u);
    EXPECT_TRUE(request.OwnMacro.empty());
}

TEST(DdeMacro, EditAndNewOpenDocumentsAndOtherVerbsChangeNothing)
{
    TDdeWindow w;
    const std::string a = w.folder.file("a.htm", "AAA"), b = w.folder.file("b.js", "var b;");
    const std::string model = w.folder.file("modelo.htm", "<html></html>");
    execute("[Edit(\"" + a + "\")]\r\n[abrir(\"" + a + "\")]");
    EXPECT_EQ(w.form.DocumentCount(), 0);
    execute("[new()]");
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"Nuevo1"}));
    EXPECT_EQ(EditorText(w.memo), "");
    execute("[edit(\"" + a + "\")]\r\n[edit(\"" + b + "\")]");
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"Nuevo1", "a.htm", "b.js"}));
    EXPECT_EQ(w.memo.ActiveParser(), ekJavaScript);
    execute("[new(\"" + model + "\")]");
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"Nuevo1", "a.htm", "b.js", "Nuevo2"}));
    EXPECT_EQ(EditorText(w.memo), "<html></html>");
}

TEST(DdeMacro, EditexAndNewexDiscardEveryDocumentWithoutAQuestionAndKeepTheRecentFiles)
{
    TDdeWindow w;
    const std::string a = w.folder.file("a.htm", "A"), b = w.folder.file("b.htm", "B");
    const std::string model = w.folder.file("modelo.htm", "M");
    w.form.AbreArchivo(a, false, ekHTML);
    type(w.memo, "changed ");
    w.form.AbreArchivo("", false, ekHTML);
    const std::string recent = w.form.Config().MRU.Text();
    TBoxAnswers boxes({}, IDCANCEL);
    execute("[editex(\"" + b + "\")]");
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"b.htm"}));
    EXPECT_EQ(EditorText(w.memo), "B");
    EXPECT_EQ(w.form.Config().MRU.Text(), recent);
    // The file on disk kept what it had.
    std::ifstream kept(a);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "A");

    type(w.memo, "x");
    execute("[newex(\"" + model + "\")]");
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"Nuevo1"}));
    EXPECT_EQ(EditorText(w.memo), "M");
    EXPECT_EQ(w.form.Config().MRU.Text(), recent);
    EXPECT_EQ(w.form.windowTitle(), "Kestrima - Nuevo1");
}

TEST(DdeMacro, OpenproyectClosesAsCloseAllDoesAndOpensTheProject)
{
    TDdeWindow w;
    const std::string a = w.folder.file("a.htm", "A"), b = w.folder.file("b.htm", "B"), c = w.folder.file("c.htm", "C");
    const std::string kr = w.folder.file("sitio.kr", "[Datos del proyecto]\nNombre=Mi sitio\n[Archivos del proyecto]\n"
                                                     "Archivos=3\nA0=1," + a + "\nA1=0," + b + "\nA2=1," + c + "\n");
    w.form.Config().LastProyect = "/antes.kr";
    w.form.AbreArchivo(b, false, ekHTML);
    {
        // A missing project: the documents close, nothing opens, the last project stays.
        execute("[openproyect(\"" + w.folder.path.string() + "/nada.kr\")]");
        EXPECT_EQ(w.form.DocumentCount(), 0);
        EXPECT_EQ(w.form.Config().LastProyect, "/antes.kr");
    }
    w.form.AbreArchivo(b, false, ekHTML);
    type(w.memo, "changed ");
    // Cancel in the save question keeps the document and still opens the project; a macro that comes
    // while the question waits runs after it is answered, once the project's macro has ended.
    bool nestedRan = false;
    TBoxAnswers boxes;
    SetMessageBoxHook([&](const std::string&, const std::string&, unsigned) {
        TDdeServer::Instance().Receive({TDdeKind::Execute, "system", "[new()]"}, [&](bool) { nestedRan = true; });
        EXPECT_TRUE(pumpPosted());
        EXPECT_FALSE(nestedRan);
        EXPECT_EQ(w.form.DocumentCount(), 1);
        return IDCANCEL;
    });
    // The window as the project's macro left it, seen at its answer, before the held macro can start.
    bool nestedRanBeforeTheProject = true;
    std::vector<std::string> projectTabs;
    QString projectTitle;
    execute("[openproyect(\"" + kr + "\")]", [&] {
        nestedRanBeforeTheProject = nestedRan;
        projectTabs = captions(w.form);
        projectTitle = w.form.windowTitle();
    });
    EXPECT_FALSE(nestedRanBeforeTheProject);
    EXPECT_EQ(projectTabs, (std::vector<std::string>{"b.htm", "c.htm", "a.htm"}));
    EXPECT_EQ(projectTitle, "Kestrima - [ Mi sitio ] - a.htm");
    EXPECT_EQ(w.form.Config().LastProyect, kr);
    EXPECT_EQ(w.form.NombreProyecto, "Mi sitio");
    ASSERT_TRUE(pumpUntil([&] { return nestedRan; })) << "the held [new()] never ran";
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"b.htm", "c.htm", "a.htm", "Nuevo1"}));
    EXPECT_EQ(w.form.windowTitle(), "Kestrima - [ Mi sitio ] - Nuevo1");
}

TEST(DdeMacro, ALaterProcessHandsItsMacroOverAndEndsOnlyOnceItRan)
{
    TDdeWindow w;
    const std::string page = w.folder.file("p.htm", "<p>");
    TSingleInstance first("Kestrima");
    ASSERT_TRUE(first.Listen());
    first.ServeDde();
    // Only the user reaches the socket, since a macro may discard unsaved work.
    struct stat info {};
    ASSERT_EQ(stat(first.ServerName().toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);
    writeClassesValue(kEditVerb, "[edit(\"%1\")]");
    RegistryStore::Flush();
    auto sender = startProgram({"--shell-exec", "HTMfile\\Editar en Kestrima", QString::fromStdString(page)});
    // The sender waits for the answer, which comes once the tab is there.
    int tabsWhenItEnded = -1;
    ASSERT_TRUE(pumpUntil([&] {
        if (sender->state() == QProcess::NotRunning && tabsWhenItEnded < 0)
            tabsWhenItEnded = w.form.DocumentCount();
        return sender->state() == QProcess::NotRunning;
    }, 30000));
    EXPECT_EQ(sender->exitCode(), 0);
    EXPECT_EQ(tabsWhenItEnded, 1);
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"p.htm"}));

    // A plain later start with files hands them over as "edit" lines.
    const std::string other = w.folder.file("otra.htm", "<b>");
    auto plain = startProgram({QString::fromStdString(other), "no-existe.htm"});
    ASSERT_TRUE(pumpUntil([&] { return plain->state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(plain->exitCode(), 0);
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"p.htm", "otra.htm"}));

    // An unknown verb is refused before anything is sent.
    auto wrong = startProgram({"--shell-exec", "HTMfile\\Nuevo", QString::fromStdString(page)});
    ASSERT_TRUE(pumpUntil([&] { return wrong->state() == QProcess::NotRunning; }, 30000));
    EXPECT_EQ(wrong->exitCode(), 2);
    EXPECT_EQ(w.form.DocumentCount(), 2);
}

TEST(DdeMacro, FileNamesWithLineBreaksQuotesAndBracketsOpenExactlyThatFileAndCloseNothing)
{
    TDdeWindow w;
    TSingleInstance first("Kestrima");
    ASSERT_TRUE(first.Listen());
    first.ServeDde();
    writeClassesValue(kEditVerb, "[edit(\"%1\")]");
    writeClassesValue(std::string(kEditVerb) + "\\ifexec", "[editex(\"%1\")]");
    RegistryStore::Flush();
    // Unsaved work that an "editex" smuggled in a name would throw away.
    w.form.AbreArchivo("", false, ekHTML);
    type(w.memo, "sin guardar");
    TBoxAnswers boxes({}, IDCANCEL);
    const char* const names[] = {"nota.htm\n[editex()]", "a\rb.htm", "co\"mi\"llas.htm", "cor]chete.htm",
                                 "pa)r\")]en.htm", "100%25 %1.htm", "x\r\n[editex(\"y\")]\")].htm"};
    int opened = 1;
    for (const bool shellExec : {false, true}) {
        for (const char* name : names) {
            const std::string text = "p" + std::to_string(opened);
            const std::string page = w.folder.file((shellExec ? "s-" : "p-") + std::string(name), text);
            const QString argument = QFile::decodeName(QByteArray::fromStdString(page));
            auto sender = shellExec ? startProgram({"--shell-exec", "HTMfile\\Editar en Kestrima", argument})
                                    : startProgram({argument});
            ASSERT_TRUE(pumpUntil([&] { return sender->state() == QProcess::NotRunning; }, 30000)) << name;
            EXPECT_EQ(sender->exitCode(), 0) << name;
            ++opened;
            ASSERT_TRUE(pumpUntil([&] { return w.form.DocumentCount() == opened; })) << name;
            EXPECT_EQ(w.form.EditingFile(opened - 1)->FileName, page);
            EXPECT_EQ(EditorText(w.memo), text);
        }
    }
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(captions(w.form)[0], "Nuevo1");
    EXPECT_FALSE(w.form.EditingFile(0)->Guardado);
}

TEST(DdeMacro, AMacroArrivingDuringTheCloseQuestionWaitsAndTheAnswerAppliesToTheDocumentAskedAbout)
{
    TDdeWindow w;
    const std::string uno = w.folder.file("uno.html", "UNO"), dos = w.folder.file("dos.html", "DOS");
    const std::string tres = w.folder.file("tres.html", "TRES");
    w.form.AbreArchivo(uno, false, ekHTML);
    type(w.memo, "editado ");
    // The desktop opens dos.html while the question about uno.html waits: nothing opens until "No".
    bool ran = false;
    int documentsDuringTheQuestion = -1;
    SetMessageBoxHook([&](const std::string& text, const std::string&, unsigned) {
        EXPECT_NE(text.find("uno.html"), std::string::npos) << text;
        TDdeServer::Instance().Receive({TDdeKind::Execute, "system", EditMacroFor({dos})}, [&](bool) { ran = true; });
        EXPECT_TRUE(pumpPosted());
        documentsDuringTheQuestion = w.form.DocumentCount();
        return IDNO;
    });
    TScopeGuard noHook([] { SetMessageBoxHook({}); });
    w.form.mCerrarClick();
    EXPECT_EQ(documentsDuringTheQuestion, 1);
    ASSERT_TRUE(pumpUntil([&] { return ran; }));
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"dos.html"}));
    EXPECT_EQ(EditorText(w.memo), "DOS");
    EXPECT_EQ(ReadFileBytes(uno), "UNO");

    // Whatever else comes forward while the question is open, "No" closes the document asked about.
    type(w.memo, "editado ");
    SetMessageBoxHook([&](const std::string& text, const std::string&, unsigned) {
        EXPECT_NE(text.find("dos.html"), std::string::npos) << text;
        w.form.AbreArchivo(tres, false, ekHTML);
        return IDNO;
    });
    w.form.mCerrarClick();
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"tres.html"}));
    EXPECT_EQ(EditorText(w.memo), "TRES");
    // "Yes" saves the document asked about, not the one that came.
    w.form.AbreArchivo(uno, false, ekHTML);
    type(w.memo, "guardado ");
    SetMessageBoxHook([&](const std::string&, const std::string&, unsigned) {
        w.form.AbreArchivo(dos, false, ekHTML);
        type(w.memo, "no ");
        return IDYES;
    });
    w.form.mCerrarClick();
    EXPECT_EQ(captions(w.form), (std::vector<std::string>{"tres.html", "dos.html"}));
    EXPECT_EQ(ReadFileBytes(uno), "guardado UNO");
    EXPECT_EQ(ReadFileBytes(dos), "DOS");
}

TEST(DdeMacro, APlainLaterStartEndsOnceItsFilesAreTakenWhileADesktopVerbWaitsForTheResult)
{
    TDdeWindow w;
    TSingleInstance first("Kestrima");
    ASSERT_TRUE(first.Listen());
    first.ServeDde();
    writeClassesValue(kEditVerb, "[edit(\"%1\")]");
    RegistryStore::Flush();
    const std::string big = w.folder.file("big.js", "var big;"), page = w.folder.file("p.htm", "<p>");
    // The running window shows a box the user has not answered yet, from inside a macro (a file that
    // cannot be read), as a warning about a large page would.
    std::unique_ptr<QProcess> plain, verb;
    bool boxShown = false, plainEndedDuringTheBox = false, verbArrivedDuringTheBox = false;
    bool verbWaitedDuringTheBox = false;
    int documentsDuringTheBox = -1;
    int documentsAtTheBox = -1;
    SetMessageBoxHook([&](const std::string&, const std::string&, unsigned) {
        boxShown = true;
        documentsAtTheBox = w.form.DocumentCount();
        plain = startProgram({QString::fromStdString(big)});
        plainEndedDuringTheBox = pumpUntil([&] { return plain->state() == QProcess::NotRunning; }, 30000);
        // The verb's macro reaches the queue and stays there, its sender waiting, while the box is open.
        const size_t pending = TDdeServer::Instance().Pending();
        verb = startProgram({"--shell-exec", "HTMfile\\Editar en Kestrima", QString::fromStdString(page)});
        verbArrivedDuringTheBox = pumpUntil([&] { return TDdeServer::Instance().Pending() == pending + 1; }, 30000);
        EXPECT_TRUE(pumpPosted());
        verbWaitedDuringTheBox =
            TDdeServer::Instance().Pending() == pending + 1 && verb->state() != QProcess::NotRunning;
        documentsDuringTheBox = w.form.DocumentCount();
        return IDOK;
    });
    TScopeGuard noHook([] { SetMessageBoxHook({}); });
    execute(EditMacroFor({w.folder.path.string() + "/no-existe.htm"}));
    SetMessageBoxHook({});
    ASSERT_TRUE(boxShown);
    EXPECT_TRUE(plainEndedDuringTheBox);
    EXPECT_EQ(plain->exitCode(), 0);
    EXPECT_TRUE(verbArrivedDuringTheBox);
    EXPECT_TRUE(verbWaitedDuringTheBox);
    EXPECT_EQ(documentsDuringTheBox, documentsAtTheBox);
    // Once answered, both files open, and the verb's sender ends after its own did.
    std::vector<std::string> whenTheVerbEnded;
    ASSERT_TRUE(pumpUntil([&] {
        if (verb->state() == QProcess::NotRunning && whenTheVerbEnded.empty())
            whenTheVerbEnded = captions(w.form);
        return verb->state() == QProcess::NotRunning;
    }, 30000));
    EXPECT_EQ(verb->exitCode(), 0);
    ASSERT_GE(whenTheVerbEnded.size(), 2u);
    EXPECT_EQ(whenTheVerbEnded.back(), "p.htm");
    EXPECT_EQ(whenTheVerbEnded[whenTheVerbEnded.size() - 2], "big.js");
}

TEST(DdeMacro, AnOversizedOrBrokenFrameClosesTheConnectionAndRunsNothing)
{
    TDdeWindow w;
    TSingleInstance first("KestrimaDde-" + std::to_string(getpid()));
    ASSERT_TRUE(first.Listen());
    first.ServeDde();
    const std::string page = w.folder.file("p.htm", "<p>");
    auto sendRaw = [&](const QByteArray& bytes) {
        QLocalSocket client;
        client.connectToServer(first.ServerName());
        EXPECT_TRUE(client.waitForConnected(1000));
        client.write(bytes);
        client.waitForBytesWritten(1000);
        // The server cuts the connection without an answer.
        EXPECT_TRUE(pumpUntil([&] {
            client.waitForReadyRead(10);
            return client.state() == QLocalSocket::UnconnectedState;
        }, 5000));
        EXPECT_EQ(client.readAll(), QByteArray());
    };
    const std::string frame = EncodeDdeFrame({TDdeKind::Execute, "system", "[edit(\"" + page + "\")]"});
    std::string oversized = frame;
    oversized[4] = 0;
    oversized[5] = 0;
    oversized[6] = 2;  // 128 KB
    sendRaw(QByteArray::fromStdString(oversized) + QByteArray(70000, 'x'));
    std::string badKind = frame;
    badKind[8] = 9;
    sendRaw(QByteArray::fromStdString(badKind));
    ASSERT_TRUE(pumpPosted());
    EXPECT_EQ(w.form.DocumentCount(), 0);
    // A good frame on another topic is answered with a refusal; on "system" with an acknowledgement.
    auto answerTo = [&](const std::string& topic) {
        QLocalSocket client;
        client.connectToServer(first.ServerName());
        EXPECT_TRUE(client.waitForConnected(1000));
        client.write(QByteArray::fromStdString(EncodeDdeFrame({TDdeKind::Execute, topic, "[new()]"})));
        std::string answer;
        TDdeFrame reply;
        size_t consumed = 0;
        EXPECT_TRUE(pumpUntil([&] {
            client.waitForReadyRead(5);
            answer += client.readAll().toStdString();
            return DecodeDdeFrame(answer, reply, consumed) == TDdeDecode::Complete;
        }, 10000)) << "no answer on the topic " << topic;
        return reply.Kind;
    };
    EXPECT_EQ(answerTo("otro"), TDdeKind::Nack);
    EXPECT_EQ(w.form.DocumentCount(), 0);
    EXPECT_EQ(answerTo("System"), TDdeKind::Ack);
    EXPECT_EQ(w.form.DocumentCount(), 1);
}

TEST(DdeMacro, AShellVerbWithNoProgramRunningStartsOneThatRunsTheIfexecMacroAfterItsFirstShow)
{
    TempRegistry registry("dde");
    TempDir files("first");
    const std::string page = files.file("p.htm", "<p>");
    writeClassesValue(kEditVerb, "[edit(\"%1\")]");
    writeClassesValue(std::string(kEditVerb) + "\\ifexec", "[editex(\"%1\")]");
    RegistryStore::Flush();

    // The program's own start, as main makes it: the start-up mode opens a new document first, and
    // the ifexec macro replaces it.
    TStartRequest request;
    int error = 0;
    std::string errorArg;
    ASSERT_TRUE(StartRequestOf({"--shell-exec", "HTMfile\\Editar en Kestrima", page}, request, error, errorArg));
    TDdeServer::Instance().SetPost([](std::function<void()> work) { QTimer::singleShot(0, qApp, work); });
    TScopeGuard post([] { TDdeServer::Instance().SetPost({}); });
    {
        TformPrincipal form(request.Files);
        form.show();
        EXPECT_EQ(captions(form), (std::vector<std::string>{"Nuevo1"}));
        TDdeServer::Instance().Receive({TDdeKind::Execute, request.Topic, request.OwnMacro}, nullptr);
        ASSERT_TRUE(pumpUntil([&] { return TDdeServer::Instance().Pending() == 0; }));
        EXPECT_EQ(captions(form), (std::vector<std::string>{"p.htm"}));
    }

    // The real program started that way stays up as the running copy and answers later starts.
    auto program = startProgram({"--shell-exec", "HTMfile\\Editar en Kestrima", QString::fromStdString(page)});
    expectRunningCopyAnswers(*program);
}

TEST(DdeMacro, APathThroughALinkedFolderAndDotDotIsTheFileTheSystemOpensWhicheverWayItCame)
{
    // s/lnk names o/deep, and s/alias.html names "lnk/../index.html": the system reads o/index.html
    // through both spellings, and so must every save.
    TDdeWindow w;
    std::filesystem::create_directories(w.folder.path / "o/deep");
    std::filesystem::create_directory(w.folder.path / "s");
    const std::string other = w.folder.file("o/index.html", "otro");
    const std::string own = w.folder.file("s/index.html", "propio");
    std::filesystem::create_symlink("../o/deep", w.folder.path / "s/lnk");
    std::filesystem::create_symlink("lnk/../index.html", w.folder.path / "s/alias.html");
    const std::string alias = (w.folder.path / "s/alias.html").string();
    const std::string through = (w.folder.path / "s/lnk/../index.html").string();
    const auto saveTyped = [&](const std::string& typed) {
        w.memo.SelectAll();
        type(w.memo, typed);
        TBoxAnswers boxes;
        w.form.mGuardarClick();
        // Nobody else wrote the file: no question is asked.
        EXPECT_TRUE(boxes.texts.empty());
    };

    // Through the open dialog.
    {
        TDialogAnswers dialogs;
        dialogs.answers = {{alias}};
        w.form.mAbrirClick();
    }
    EXPECT_EQ(EditorText(w.memo), "otro");
    saveTyped("uno");
    EXPECT_EQ(ReadFileBytes(other), "uno");
    EXPECT_EQ(ReadFileBytes(own), "propio");
    EXPECT_TRUE(std::filesystem::is_symlink(alias));
    w.form.mCerrarClick();

    // Through the edit macro, with the own file open beside it: two files, two tabs.
    w.form.AbreArchivo(own, false, ekHTML);
    execute("[edit(\"" + through + "\")]");
    ASSERT_EQ(w.form.DocumentCount(), 2);
    EXPECT_EQ(EditorText(w.memo), "uno");
    saveTyped("dos");
    EXPECT_EQ(ReadFileBytes(other), "dos");
    EXPECT_EQ(ReadFileBytes(own), "propio");
    // The file the system opens is one tab, whichever of its names comes.
    execute("[edit(\"" + other + "\")]\r\n[edit(\"" + alias + "\")]");
    EXPECT_EQ(w.form.DocumentCount(), 2);

    // Through a later start, which hands its files over as edit lines.
    w.form.mCerrarTodoClick();
    handOverAsALaterStart(through);
    ASSERT_EQ(w.form.DocumentCount(), 1);
    EXPECT_EQ(EditorText(w.memo), "dos");
    saveTyped("tres");
    EXPECT_EQ(ReadFileBytes(other), "tres");
    EXPECT_EQ(ReadFileBytes(own), "propio");
}

TEST(DdeMacro, ANameWithABackslashIsAFileOfItsOwnWhicheverWayItComes)
{
    // "sub\page.html" lies beside the folder "sub", which holds "page.html"; "solo\nota.html" has no
    // folder "solo" at all. Each is the file of that very name.
    TDdeWindow w;
    std::filesystem::create_directory(w.folder.path / "sub");
    const std::string inFolder = w.folder.file("sub/page.html", "carpeta");
    const std::string named = w.folder.file("sub\\page.html", "barra");
    const std::string solo = w.folder.file("solo\\nota.html", "nota");
    const auto saveTyped = [&](TformPrincipal& form, const std::string& typed) {
        TCodeMemo& memo = *form.CodeMemo();
        memo.SelectAll();
        type(memo, typed);
        TBoxAnswers boxes;
        form.mGuardarClick();
        EXPECT_TRUE(boxes.texts.empty());
    };

    // From the command line.
    {
        TformPrincipal started({named, solo});
        started.show();
        QApplication::processEvents();
        EXPECT_EQ(captions(started), (std::vector<std::string>{"sub\\page.html", "solo\\nota.html"}));
        EXPECT_EQ(EditorText(*started.CodeMemo()), "nota");
        switchTo(started, 0);
        EXPECT_EQ(EditorText(*started.CodeMemo()), "barra");
        saveTyped(started, "uno");
    }
    EXPECT_EQ(ReadFileBytes(named), "uno");

    // Through the window's open call and the open dialog.
    w.form.AbreArchivo(named, false, ekHTML);
    EXPECT_EQ(EditorText(w.memo), "uno");
    saveTyped(w.form, "dos");
    EXPECT_EQ(ReadFileBytes(named), "dos");
    {
        TDialogAnswers dialogs;
        dialogs.answers = {{solo}};
        w.form.mAbrirClick();
    }
    EXPECT_EQ(EditorText(w.memo), "nota");
    saveTyped(w.form, "sola");
    EXPECT_EQ(ReadFileBytes(solo), "sola");

    // Through a later start, which hands its files over as edit lines.
    w.form.mCerrarTodoClick();
    handOverAsALaterStart(named);
    ASSERT_EQ(captions(w.form), std::vector<std::string>{"sub\\page.html"});
    EXPECT_EQ(EditorText(w.memo), "dos");
    saveTyped(w.form, "tres");
    EXPECT_EQ(ReadFileBytes(named), "tres");
    EXPECT_EQ(ReadFileBytes(inFolder), "carpeta");
    EXPECT_EQ(ReadFileBytes(solo), "sola");
}
