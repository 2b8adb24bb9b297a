// Tests of what the main window hands to the desktop: clicked hyperlinks and the resource report go to the desktop's opener, nothing is run, and a refusal is reported.
#include <gtest/gtest.h>

#include <QApplication>
#include <QUrl>
#include <filesystem>
#include <string>
#include <vector>

#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "platform/MessageBox.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"
#include "support/BoxAnswers.h"
#include "support/DesktopOpener.h"
#include "support/MainWindowDocuments.h"
#include "support/MouseEvents.h"
#include "support/TempDir.h"

namespace {

using Strings = std::vector<std::string>;

// While it lives, editors made meanwhile take no two clicks for a double click, unless they come in
// the same millisecond: each click here starts the opener before the next one comes.
struct TSingleClicks {
    const int saved = QApplication::doubleClickInterval();
    TSingleClicks() { QApplication::setDoubleClickInterval(0); }
    ~TSingleClicks() { QApplication::setDoubleClickInterval(saved); }
};

// A press and a release of the left button with Ctrl held on the character at `offset`.
void ctrlClick(TCodeMemo& memo, int offset)
{
    const TPoint at = memo.PointFromOffset(offset);
    const QPoint point = QPoint(at.X + 1, at.Y + 1) + memo.contentsRect().topLeft();
    SendMouse(memo, QEvent::MouseButtonPress, point, Qt::LeftButton, Qt::ControlModifier);
    SendMouse(memo, QEvent::MouseButtonRelease, point, Qt::LeftButton, Qt::ControlModifier);
}

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

TEST(MainWindowDesktop, CtrlClickOnALinkHandsTheDesktopTheWholeAddressAsABrowserReadsIt)
{
    const TSingleClicks clicks;
    TWindow w;
    TDesktopOpener opener;
    TBoxAnswers boxes;
    // Addresses as an author writes them in a UTF-8 page: the editor holds the Greek letters, and
    // ";", "?", "#" and the held characters' own ";" are all parts of them. Each stands in a quoted
    // value and in running text, where a closing ";" or "." ends the sentence, not the address.
    const Strings addresses = {
        "http://ejemplo.es/a;b?x=1",
        "http://ejemplo.es/\xCE\xBB",
        "http://ejemplo.es/\xCE\xB2" "eta/\xC3\xB1?q=\xCE\xBB;r=1&s=2",
        "https://ejemplo.es/p%C3%A1gina.htm#secci\xC3\xB3n-\xCE\xB1",
    };
    int pages = 0;
    for (const std::string& address : addresses) {
        for (const bool quoted : {true, false}) {
            const std::string page = quoted ? "<a href=\"" + address + "\">enlace</a>\n"
                                            : "Vea " + address + "; o " + address + ".\n";
            w.form.AbreArchivo(w.folder.file(Format("p%d.htm", ++pages), page), false, ekHTML);
            const std::string text = w.memo.StoredText();
            const std::string held = Utf8ToEditorText(address);
            const size_t start = text.find(held);
            ASSERT_NE(start, std::string::npos) << address;
            // The whole address, whichever of its characters is clicked: the first, a digit of its first
            // held character (or its middle), the last.
            opener.Clear();
            const size_t mark = held.find(kHeldCharacterMark);
            const std::vector<size_t> clicked = {start, start + (mark != std::string::npos ? mark + 2 : held.size() / 2),
                                                 start + held.size() - 1};
            for (size_t offset : clicked)
                ctrlClick(w.memo, static_cast<int>(offset));
            const Strings opened = opener.Opened();
            ASSERT_EQ(opened.size(), clicked.size()) << address;
            const QUrl expected(QString::fromUtf8(address.c_str()), QUrl::TolerantMode);
            ASSERT_TRUE(expected.isValid()) << address;
            for (const std::string& handed : opened) {
                const QUrl url(QString::fromUtf8(handed.c_str()), QUrl::StrictMode);
                EXPECT_EQ(url, expected) << (quoted ? "quoted: " : "text: ") << handed << " for " << address;
                // No reference of the editor's reaches the desktop, spelt or escaped.
                EXPECT_EQ(handed.find("&#"), std::string::npos) << handed;
                EXPECT_EQ(handed.find("%26%23"), std::string::npos) << handed;
            }
        }
    }
    EXPECT_TRUE(boxes.texts.empty());
}
