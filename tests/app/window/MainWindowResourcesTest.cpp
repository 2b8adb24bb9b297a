// Tests of the main window's page commands: the resource report written beside the page and opened, and the download times.
#include <gtest/gtest.h>

#include <QAction>
#include <QCursor>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/dialogs/uFormDescarga.h"
#include "app/window/uFormPrincipal.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "support/BoxAnswers.h"
#include "support/EnvironmentWhile.h"
#include "support/MainWindowDocuments.h"
#include "support/ShellOpens.h"
#include "support/TempDir.h"
#include "support/Win1252Text.h"

namespace {

using Strings = std::vector<std::string>;

// A page with one reference of each kind the report knows, and a picture and an archive beside it.
const std::string kPage = "<html><body background=\"fondo.gif\"><a href=\"#top\">arriba</a>"
                          "<a href=\"http://x\">x</a><a href=\"b.htm\">b</a><a href=\"mailto:m\">m</a>"
                          "<a href=\"news:n\">n</a><a href=\"c.zip\">c</a></body></html>";

std::string readAll(const std::string& fileName)
{
    std::string bytes;
    EXPECT_TRUE(ReadFileBytes(fileName, 1 << 20, bytes)) << fileName;
    return bytes;
}

Strings reportLines(const std::string& fileName)
{
    TStringList lines;
    lines.SetText(readAll(fileName));
    Strings result;
    for (int i = 0; i < lines.Count(); ++i)
        result.push_back(lines[i]);
    return result;
}

QAction* herramientasItem(TformPrincipal& form, const char* name)
{
    QMenu* menu = form.menuBar()->findChild<QMenu*>("mHerramientas");
    for (QAction* action : menu ? menu->actions() : QList<QAction*>())
        if (action->objectName() == QLatin1String(name))
            return action;
    return nullptr;
}

} // namespace

TEST(MainWindowResources, ReportListsEachSectionOnceWithSizesBesideThePageFromAnyWorkingFolder)
{
    TWindow w;
    const std::string page = w.folder.file("p.htm", kPage);
    w.folder.file("fondo.gif", std::string(300, 'g'));
    w.folder.file("c.zip", std::string(20, 'z'));
    w.form.AbreArchivo(page, false, ekHTML);
    const std::string report = w.folder.path.string() + "/tmpInforme.htm";

    // Started from another folder, holding a picture of the same name that must not count.
    TempDir elsewhere("cwd");
    elsewhere.file("fondo.gif", std::string(5000, 'x'));
    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path);
    TShellOpens shell;
    bool busy = false;
    shell.onOpen = [&](const std::string&) {
        busy = QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    };
    w.form.mActualizaRecursosClick();
    EXPECT_TRUE(busy);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(std::filesystem::current_path(), elsewhere.path);
    EXPECT_EQ(shell.targets, Strings{report});
    // The caption stays the document's.
    EXPECT_EQ(ToWin1252(w.form.windowTitle()), "Kestrima - p.htm");
    const int64_t total = static_cast<int64_t>(kPage.size()) + 300 + 20;
    EXPECT_EQ(reportLines(report),
              (Strings{"<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                       "<TITLE>Recursos: p.htm</TITLE></HEAD><BODY>",
                       "<h2>Informe de recursos utilizados<hr noshade></h2>",
                       "<big><a href=\"p.htm\">p.htm</a></big><p>",
                       "<h3>Im&aacute;genes:<hr noshade></h3>",
                       "<a href=\"fondo.gif\">fondo.gif</a> (300 bytes)<br>",
                       "<h3>Enlaces internos:<hr noshade></h3>",
                       "<a href=\"p.htm#top\">#top</a><br>",
                       "<h3>Enlaces externos:<hr noshade></h3>",
                       "<a href=\"http://x\">http://x</a><br>",
                       "<h3>Enlaces en el dominio:<hr noshade></h3>",
                       "<a href=\"b.htm\">b.htm</a><br>",
                       "<h3>Direcciones de email:<hr noshade></h3>",
                       "<a href=\"mailto:m\">mailto:m</a><br>",
                       "<h3>Servidores de news:<hr noshade></h3>",
                       "<a href=\"news:n\">news:n</a><br>",
                       "<h3>Otros enlaces:<hr noshade></h3>",
                       "<a href=\"c.zip\">c.zip</a> (20 bytes)<br>",
                       "<h3>Tama\xF1o totalde la p\xE1gina: " + std::to_string(total) + " bytes</h3>",
                       "<hr size=\"10\" noshade><font face=\"Arial\"><b>Informe hecho con <a "
                       "href=\"https://www.dremal.es/kestrima/\">Kestrima</a></b></font>",
                       "</BODY></HTML>"}));
    const std::string first = readAll(report);

    // From the page's own folder the report is the same, and the working folder stays where it was.
    std::filesystem::current_path(w.folder.path);
    w.form.mActualizaRecursosClick();
    EXPECT_EQ(std::filesystem::current_path(), w.folder.path);
    std::filesystem::current_path(started);
    EXPECT_EQ(readAll(report), first);
    EXPECT_EQ(shell.targets, (Strings{report, report}));

    // The next caption update shows the document again.
    type(w.memo, "x");
    EXPECT_EQ(ToWin1252(w.form.windowTitle()), "Kestrima - p.htm");
}

TEST(MainWindowResources, ACreditToTheSettingWebAndAnUntitledPageReportsIntoThePrivateFolder)
{
    TWindow w;
    w.form.Config().Web = "http://kestrima.test/";
    w.form.mNuevoClick();
    type(w.memo, "<a href=\"mailto:m\">m</a>");
    TShellOpens shell;
    w.form.mActualizaRecursosClick();
    const std::string report = PrivateRuntimeFolder() + "tmpInforme.htm";
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::temp_directory_path() / "tmpInforme.htm"));
    ASSERT_EQ(shell.targets, Strings{report});
    const Strings lines = reportLines(report);
    std::filesystem::remove(report);
    ASSERT_EQ(lines.size(), 7u);
    // No file, no total.
    EXPECT_EQ(lines[4], "<a href=\"mailto:m\">mailto:m</a><br>");
    EXPECT_NE(lines[5].find("<a href=\"http://kestrima.test/\">"), std::string::npos) << lines[5];
}

TEST(MainWindowResources, AReportTheFolderDoesNotTakeGoesToThePrivateFolderAndOneNowhereIsReported)
{
    TWindow w;
    const std::string page = w.folder.file("p.htm", kPage);
    w.form.AbreArchivo(page, false, ekHTML);
    // A folder where the report goes stops the write whoever runs the test, as another user's report
    // in a shared folder or a read-only folder stops it for an ordinary user: the private folder takes
    // it, as it takes the preview, and it opens from there.
    const std::string report = w.folder.path.string() + "/tmpInforme.htm";
    std::filesystem::create_directory(report);
    TShellOpens shell;
    TBoxAnswers boxes;
    const std::string fallback = PrivateRuntimeFolder() + "tmpInforme.htm";
    w.form.mActualizaRecursosClick();
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(shell.targets, Strings{fallback});
    EXPECT_EQ(reportLines(fallback)[2], "<big><a href=\"p.htm\">p.htm</a></big><p>");
    std::filesystem::remove(fallback);

    // Without a private folder either, nothing opens and the user is told.
    shell.targets.clear();
    const QString caption = w.form.windowTitle();
    {
        TEnvironmentWhile noRuntime("XDG_RUNTIME_DIR", std::nullopt);
        TEnvironmentWhile temporary("TMPDIR", w.folder.path.string());
        w.folder.file("kestrima-" + std::to_string(geteuid()), "not a folder");
        w.form.mActualizaRecursosClick();
    }
    EXPECT_TRUE(shell.targets.empty());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_TRUE(boxes.texts[0].starts_with("No es posible escribir el informe de recursos '" + report + "': "))
        << boxes.texts[0];
    EXPECT_EQ(boxes.flags[0], MB_OK | MB_ICONSTOP);
    EXPECT_EQ(w.form.windowTitle(), caption);
    EXPECT_TRUE(std::filesystem::is_directory(report));
}

TEST(MainWindowResources, AReportNamePlantedAsALinkIsReplacedAndItsTargetKeepsItsBytes)
{
    TWindow w;
    std::filesystem::create_directory(w.folder.path / "site");
    const std::string outside = w.folder.file("authorized_keys", "ssh-ed25519 AAAA clave");
    const std::string page = w.folder.file("site/p.htm", kPage);
    const std::string report = (w.folder.path / "site/tmpInforme.htm").string();
    std::filesystem::create_symlink("../authorized_keys", report);
    w.form.AbreArchivo(page, false, ekHTML);
    TShellOpens shell;
    TBoxAnswers boxes;
    w.form.mActualizaRecursosClick();
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(shell.targets, Strings{report});
    EXPECT_EQ(readAll(outside), "ssh-ed25519 AAAA clave");
    EXPECT_FALSE(std::filesystem::is_symlink(report));
    EXPECT_EQ(reportLines(report).front(), "<HTML><HEAD><META http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                       "<TITLE>Recursos: p.htm</TITLE></HEAD><BODY>");
}

TEST(MainWindowResources, BothItemsOfHerramientasAreEnabledOnlyWhileADocumentIsShown)
{
    TWindow w;
    QAction* report = herramientasItem(w.form, "mActualizaRecursos");
    QAction* times = herramientasItem(w.form, "Tiemposdedescarga1");
    ASSERT_TRUE(report && times);
    EXPECT_EQ(ToWin1252(report->text()), "Informe de &recursos");
    EXPECT_EQ(ToWin1252(times->text()), "&Tiempos de descarga...");
    EXPECT_FALSE(report->statusTip().isEmpty());
    EXPECT_FALSE(times->statusTip().isEmpty());
    EXPECT_FALSE(report->isEnabled());
    EXPECT_FALSE(times->isEnabled());
    w.form.mNuevoClick();
    EXPECT_TRUE(report->isEnabled());
    EXPECT_TRUE(times->isEnabled());
    w.form.mCerrarClick();
    EXPECT_FALSE(report->isEnabled());
    EXPECT_FALSE(times->isEnabled());

    // The item runs the report.
    w.form.AbreArchivo(w.folder.file("p.htm", kPage), false, ekHTML);
    TShellOpens shell;
    report->trigger();
    EXPECT_EQ(shell.targets, Strings{w.folder.path.string() + "/tmpInforme.htm"});
}

namespace {

// What the download times dialog showed when the window opened it: its title, its rows (name, size
// and mark joined by "|") and its total; the dialog is closed with its OK button.
struct TDownloadTimes {
    bool shown = false;
    std::string title;
    Strings rows;
    std::string total;
};

TDownloadTimes showDownloadTimes(TformPrincipal& window)
{
    TDownloadTimes seen;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* form = qobject_cast<TformDescarga*>(QApplication::activeModalWidget());
        if (!form)
            return;
        poll.stop();
        seen.shown = true;
        seen.title = ToWin1252(form->windowTitle());
        for (int row = 0; row < form->RowCount(); ++row)
            seen.rows.push_back(form->Cells(0, row) + "|" + form->Cells(1, row) + "|" + form->Cells(2, row));
        seen.total = ToWin1252(form->labTotal->text());
        form->bAceptar->click();
    });
    poll.start();
    window.Tiemposdedescarga1Click();
    return seen;
}

} // namespace

TEST(MainWindowResources, DownloadTimesShowTheDocumentsFilesModallyUntilAccepted)
{
    TWindow w;
    const std::string page = w.folder.file("p.htm", kPage);
    w.folder.file("fondo.gif", std::string(300, 'g'));
    w.form.AbreArchivo(page, false, ekHTML);
    // The page's text as the editor holds it, not as saved.
    type(w.memo, "<img src=\"nueva.PNG\">");
    const TDownloadTimes shown = showDownloadTimes(w.form);
    ASSERT_TRUE(shown.shown);
    EXPECT_EQ(shown.title, "Tiempos de descarga");
    EXPECT_EQ(shown.rows, (Strings{"Archivo|Tama\xF1o|", "fondo.gif|300 bytes|ok", "nueva.PNG|0 bytes|\xBF?",
                                   "p.htm|" + std::to_string(kPage.size()) + " bytes|ok"}));
    EXPECT_EQ(shown.total, std::to_string(kPage.size() + 300) + " bytes");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(MainWindowResources, ReportAndDownloadTimesSizeFilesWhoseNamesHoldAccentsOrEscapes)
{
    TWindow w;
    // The desktop names files in UTF-8; the page's text is Windows-1252 and may escape a blank.
    std::filesystem::create_directory(w.folder.path / "im\xC3\xA1genes");
    w.folder.file("im\xC3\xA1genes/foto \xC3\xB1.gif", std::string(32519, 'g'));
    w.folder.file("mi foto.png", std::string(100, 'p'));
    w.folder.file("plain.gif", std::string(7, 'x'));
    const std::string text = "<img src=\"im\xE1genes/foto \xF1.gif\"><img src=\"mi%20foto.png\">"
                             "<img src=\"plain.gif\">";
    const std::string page = w.folder.file("p\xC3\xA1gina.htm", text);
    w.form.AbreArchivo(page, false, ekHTML);
    const int64_t total = static_cast<int64_t>(text.size()) + 32519 + 100 + 7;

    TShellOpens opens;
    w.form.mActualizaRecursosClick();
    const Strings lines = reportLines(w.folder.path.string() + "/tmpInforme.htm");
    const auto has = [&](const std::string& line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("<a href=\"im\xE1genes/foto \xF1.gif\">im\xE1genes/foto \xF1.gif</a> (32519 bytes)<br>"));
    EXPECT_TRUE(has("<a href=\"mi%20foto.png\">mi%20foto.png</a> (100 bytes)<br>"));
    EXPECT_TRUE(has("<big><a href=\"p\xE1gina.htm\">p\xE1gina.htm</a></big><p>"));
    EXPECT_TRUE(has("<h3>Tama\xF1o totalde la p\xE1gina: " + std::to_string(total) + " bytes</h3>"));

    const TDownloadTimes shown = showDownloadTimes(w.form);
    ASSERT_TRUE(shown.shown);
    EXPECT_EQ(shown.rows, (Strings{"Archivo|Tama\xF1o|", "im\xE1genes/foto \xF1.gif|32519 bytes|ok",
                                   "mi%20foto.png|100 bytes|ok",
                                   "p\xE1gina.htm|" + std::to_string(text.size()) + " bytes|ok", "plain.gif|7 bytes|ok"}));
    EXPECT_EQ(shown.total, std::to_string(total) + " bytes");
}

TEST(MainWindowResources, ReportDownloadTimesAndLinksReadNamedReferencesByTheEntityTable)
{
    TWindow w;
    // Kept as written: the page holds the references themselves.
    w.form.Config().InsSpecChar = false;
    std::filesystem::create_directory(w.folder.path / "im\xC3\xA1genes");
    const std::string picture = w.folder.file("im\xC3\xA1genes/foto \xC3\xB1.gif", std::string(37, 'g'));
    const std::string reference = "im&aacute;genes/foto &ntilde;.gif";
    const std::string text = "<img src=\"" + reference + "\"><img src=\"im&nada;genes/foto &ntilde;.gif\">";
    const std::string page = w.folder.file("p.htm", text);
    w.form.AbreArchivo(page, false, ekHTML);

    TShellOpens opens;
    w.form.mActualizaRecursosClick();
    const Strings lines = reportLines(w.folder.path.string() + "/tmpInforme.htm");
    const auto sized = [&](const std::string& part) {
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(part) != std::string::npos && line.find("(37 bytes)") != std::string::npos;
        });
    };
    EXPECT_EQ(sized("aacute;genes"), 1);
    EXPECT_EQ(sized("nada;genes"), 0);

    const TDownloadTimes shown = showDownloadTimes(w.form);
    ASSERT_TRUE(shown.shown);
    EXPECT_EQ(shown.rows, (Strings{"Archivo|Tama\xF1o|", reference + "|37 bytes|ok",
                                   "im&nada;genes/foto &ntilde;.gif|0 bytes|\xBF?",
                                   "p.htm|" + std::to_string(text.size()) + " bytes|ok"}));

    // A click on the link opens the picture itself.
    opens.targets.clear();
    w.memo.OnHyperlinkClick(&w.memo, reference, 0);
    EXPECT_EQ(opens.targets, (Strings{picture}));
}
