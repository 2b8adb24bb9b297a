// Tests of what the main window hands to the desktop: clicked hyperlinks and the resource report go to the desktop's opener, nothing is run, and a refusal is reported.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <string>
#include <vector>

#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "platform/MessageBox.h"
#include "platform/core/Classes.h"
#include "support/BoxAnswers.h"
#include "support/DesktopOpener.h"
#include "support/MainWindowDocuments.h"
#include "support/TempDir.h"

namespace {

using Strings = std::vector<std::string>;

} // namespace

TEST(MainWindowDesktop, AClickedLinkGoesToTheDesktopByItsKindAndNoFileIsRun)
{
    TWindow w;
    TDesktopOpener opener;
    // A downloaded site whose page links a mail address, news and a picture, each of which is also a
    // script with the execute bit beside the page and in the working folder.
    std::filesystem::create_directory(w.folder.path / "sitio");
    const std::filesystem::path site = w.folder.path / "sitio";
    const std::string page = w.folder.file("sitio/index.htm", "<a href=\"foto.jpg\">f</a>");
    std::vector<std::string> scripts;
    for (const char* name : {"info@example.com", "news:x", "foto.jpg"}) {
        scripts.push_back(MarkingProgram(site, name));
        scripts.push_back(MarkingProgram(w.folder.path, name));
    }
    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(w.folder.path);
    w.form.AbreArchivo(page, false, ekHTML);
    TBoxAnswers boxes;
    for (const char* link : {"info@example.com", "news:x", "foto.jpg", "mailto:a@b.es", "http://uno.es/p\xE1gina"})
        w.memo.OnHyperlinkClick(&w.memo, link, 0);
    std::filesystem::current_path(started);
    // A link to a file is the file beside the page; the editor's "á" reaches the desktop as UTF-8.
    EXPECT_EQ(opener.Opened(), (Strings{"mailto:info@example.com", "news:x", (site / "foto.jpg").string(),
                                        "mailto:a@b.es", "http://uno.es/p%C3%A1gina"}));
    EXPECT_TRUE(boxes.texts.empty());
    for (const std::string& script : scripts)
        EXPECT_FALSE(MarkingProgramRan(script)) << script;

    // A link that names nothing, or that the desktop refuses, is reported in Spanish by its name.
    opener.Clear();
    w.memo.OnHyperlinkClick(&w.memo, "falta.htm", 0);
    w.memo.OnHyperlinkClick(&w.memo, "javascript:alert(1)", 0);
    opener.Answer(4);
    w.memo.OnHyperlinkClick(&w.memo, "http://dos.es", 0);
    EXPECT_EQ(boxes.texts, (Strings{"No es posible abrir \"falta.htm\": no hay ning\xFAn archivo ni direcci\xF3n con ese nombre.",
                                    "No es posible abrir \"javascript:alert(1)\": el escritorio no abre direcciones de ese tipo.",
                                    "No es posible abrir \"http://dos.es\": el escritorio no ha podido abrirlo."}));
    EXPECT_EQ(opener.Opened(), Strings{"http://dos.es"});
}

TEST(MainWindowDesktop, TheReportGoesToTheOpenerAndARefusalIsReportedWithTheCaptionKept)
{
    TWindow w;
    TDesktopOpener opener;
    // A folder named with accented letters.
    const std::filesystem::path folder = w.folder.path / "P\xC3\xBA" "blico a\xC3\xB1o";
    std::filesystem::create_directory(folder);
    const std::string page = w.folder.file("P\xC3\xBA" "blico a\xC3\xB1o/p.htm", "<img src=\"a.gif\">");
    w.form.AbreArchivo(page, false, ekHTML);
    const QString caption = w.form.windowTitle();
    TBoxAnswers boxes;
    w.form.mActualizaRecursosClick();
    const std::string report = (folder / "tmpInforme.htm").string();
    EXPECT_EQ(opener.Opened(), Strings{report});
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(w.form.windowTitle(), caption);
    opener.Answer(2);
    w.form.mActualizaRecursosClick();
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "No es posible abrir el informe de recursos '" + w.folder.path.string() +
                                  "/P\xFA" "blico a\xF1o/tmpInforme.htm': el escritorio no ha podido abrirlo.");
    EXPECT_EQ(w.form.windowTitle(), caption);
}
