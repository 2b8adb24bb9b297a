// Tests of auto-correction in the main window with the shipped list and languages: the words of a page's text are corrected, tags, comments, scripts, style sheets and script and style sheet files keep them as typed.
#include <gtest/gtest.h>

#include <QApplication>
#include <chrono>
#include <string>

#include "app/model/EditorKind.h"
#include "app/model/KestrimaConfig.h"
#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "editor/model/Templates.h"
#include "platform/core/Registry.h"
#include "support/ProgramFolderWhile.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"
#include "support/TypedKeys.h"

namespace {

const std::string kShippedFolder = std::string(KESTRIMA_SOURCE_DIR) + "/resources";
const std::string kPhrase = "la pagina de musica. ";
const std::string kCorrected = "la p\xE1gina de m\xFAsica. ";

// The window on the shipped support files, with no document open.
struct TShippedWindow {
    TempRegistry registry{"app"};
    TProgramFolderWhile shipped{kShippedFolder};
    bool startsEmpty = [] {
        TRegIniFile(TKestrimaConfig::kRegistryKey).WriteInteger("Settings", "InitialFile", 0);
        return true;
    }();
    TempDir folder{"auto"};
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    TShippedWindow()
    {
        form.show();
        QApplication::processEvents();
    }
    // Opens `name` (empty) as the window opens a file of its kind.
    void open(const std::string& name)
    {
        const std::string file = folder.file(name, "");
        form.AbreArchivo(file, false, form.TipoDeArchivo(file));
    }
};

// Types the phrase key by key between `before` and `after`; the text it leaves.
std::string typedBetween(TCodeMemo& memo, const std::string& before, const std::string& after,
                         const std::string& typed = kPhrase)
{
    memo.Lines().SetText(before + after);
    TSelectionRange caret{static_cast<int>(before.size()), static_cast<int>(before.size())};
    memo.PerformSelection(SMM_SET, caret);
    TypeKeys(memo, typed);
    return memo.StoredText();
}

} // namespace

TEST(MainWindowAutoCorrect, OnlyTheWordsOfAPagesTextAreCorrected)
{
    TShippedWindow w;
    w.open("pagina.htm");
    ASSERT_EQ(w.memo.ActiveParser(), ekHTML);
    ASSERT_GT(w.memo.AutoReplaceList().Count(), 20);
    EXPECT_EQ(typedBetween(w.memo, "", ""), kCorrected);
    EXPECT_EQ(typedBetween(w.memo, "<p>", "</p>"), "<p>" + kCorrected + "</p>");
    EXPECT_EQ(typedBetween(w.memo, "<p>x</p>\r", ""), "<p>x</p>\r" + kCorrected);
    const std::pair<std::string, std::string> kept[] = {
        {"<a href=\"", "\">x</a>"}, {"<img src=\"", "\">"},  {"<a href='", "'>x</a>"},
        {"<", ">"},                 {"<p class=", ">"},      {"<!-- ", " -->"},
        {"<script>", "</script>"},  {"<style>", "</style>"}, {"<style>\r/* ", " */\r</style>"},
    };
    for (const auto& [before, after] : kept)
        EXPECT_EQ(typedBetween(w.memo, before, after), before + kPhrase + after) << before;
    // A tag's name, and the page written whole as the author types it; after it, text again.
    const std::string markup = "<pagina de=musica.> <a href=\"pagina.html\">x</a> <img src=\"musica.gif\"> "
                               "<script>var codigo=1;</script> ";
    EXPECT_EQ(typedBetween(w.memo, "", "", markup), markup);
    EXPECT_EQ(typedBetween(w.memo, markup, "", "la pagina."), markup + "la p\xE1gina.");

    // A page long enough to be coloured in slices, typed into before the slices reach the caret.
    w.memo.SetColourSlices(std::chrono::milliseconds(0), 1000);
    std::string text = "<p>";
    while (text.size() < 40000)
        text += "un texto largo de prueba\r";
    w.memo.Lines().SetText(text);
    ASSERT_TRUE(w.memo.ColouringPending());
    EXPECT_EQ(typedBetween(w.memo, text + "<a href=\"", "\">x</a>"), text + "<a href=\"" + kPhrase + "\">x</a>");
    EXPECT_EQ(typedBetween(w.memo, text + "<a href=\"x\">", "</a>"), text + "<a href=\"x\">" + kCorrected + "</a>");
}

TEST(MainWindowAutoCorrect, ScriptAndStyleSheetFilesKeepTheirWordsAndPlainTextsAreCorrected)
{
    TShippedWindow w;
    const std::string list = kShippedFolder + "/Docs/krARep.krr";
    // The same list in the languages of plain text and scripts, as the editor options would put it.
    w.open("notas.txt");
    ASSERT_EQ(w.memo.ActiveParser(), ekText);
    w.memo.AutoReplaceList().LoadFromFile(list);
    EXPECT_EQ(typedBetween(w.memo, "", ""), kCorrected);
    // A style sheet is coloured as plain text.
    w.open("estilo.css");
    ASSERT_EQ(w.memo.ActiveParser(), ekText);
    EXPECT_EQ(typedBetween(w.memo, "p {\r  ", "\r}"), "p {\r  " + kPhrase + "\r}");
    EXPECT_EQ(typedBetween(w.memo, "/* ", " */"), "/* " + kPhrase + " */");
    w.open("codigo.js");
    ASSERT_EQ(w.memo.ActiveParser(), ekJavaScript);
    w.memo.AutoReplaceList().LoadFromFile(list);
    for (const auto& [before, after] : {std::pair{"", ""}, {"// ", ""}, {"var s = \"", "\";"}, {"/* ", " */"}})
        EXPECT_EQ(typedBetween(w.memo, before, after), before + kPhrase + after) << before;
    // Back in a page the list there still corrects its text.
    w.open("otra.htm");
    EXPECT_EQ(typedBetween(w.memo, "<p>", ""), "<p>" + kCorrected);
}

TEST(MainWindowAutoCorrect, ACapitalTypedAtTheStartStaysAndCapitalsStayCapitals)
{
    TShippedWindow w;
    w.open("pagina.htm");
    // "Despues" at the start of a sentence, the word in capitals, and in small letters as before.
    EXPECT_EQ(typedBetween(w.memo, "<p>", "</p>", "Hola. Despues "), "<p>Hola. Despu\xE9s </p>");
    EXPECT_EQ(typedBetween(w.memo, "<p>", "</p>", "DESPUES "), "<p>DESPU\xC9S </p>");
    EXPECT_EQ(typedBetween(w.memo, "<p>", "</p>", "despues "), "<p>despu\xE9s </p>");
    // A letter beyond ASCII at the start.
    EXPECT_EQ(typedBetween(w.memo, "", "", "Tecnico, Musica. "), "T\xE9" "cnico, M\xFAsica. ");
    EXPECT_EQ(typedBetween(w.memo, "", "", "MUSICA "), "M\xDASICA ");
}
