// Tests of the main window: its three languages colour pages, scripts and texts, and files open in the language of their extension.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QStatusBar>
#include <QTimer>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/model/CodigosISO.h"
#include "app/model/KestrimaConfig.h"
#include "app/window/uFormPrincipal.h"
#include "components/KrCtrls.h"
#include "editor/CodeMemo.h"
#include "highlight/CodeMemoParser.h"
#include "platform/core/Classes.h"
#include "platform/core/Registry.h"
#include "platform/Keys.h"
#include "platform/Menus.h"
#include "platform/Win1252Qt.h"
#include "editor/model/Templates.h"
#include "platform/core/SysUtils.h"
#include "support/ProgramFolderWhile.h"
#include "support/EditorText.h"
#include "support/BoxAnswers.h"
#include "support/MessageCatcher.h"
#include "support/TempRegistry.h"
#include "support/TempDir.h"
#include "support/Win1252Text.h"
#include "toolbars/TBarCtls.h"

namespace {

std::string dataFile(const char* name)
{
    return std::string(KESTRIMA_TEST_DATA) + "/" + name;
}

// The editor's text as it holds it (a line break is one CR) and the style byte of each character,
// once the pending highlighting has run.
struct THighlighted {
    std::string text;
    std::string styles;

    // The style bytes under the `occurrence`-th (from 0) appearance of `needle`.
    std::vector<int> of(const std::string& needle, int occurrence = 0) const
    {
        size_t at = text.find(needle);
        for (int i = 0; i < occurrence && at != std::string::npos; ++i)
            at = text.find(needle, at + 1);
        if (at == std::string::npos)
            return {-1};
        std::vector<int> result;
        for (size_t i = at; i < at + needle.size(); ++i)
            result.push_back(static_cast<uint8_t>(styles[i]));
        return result;
    }
};

THighlighted highlighted(TCodeMemo& memo)
{
    memo.Change();
    THighlighted h;
    h.text = EditorText(memo);
    h.styles.assign(h.text.size(), '\xFF');
    memo.Perform(SMM_GETSTYLES, 0, reinterpret_cast<LPARAM>(h.styles.data()));
    return h;
}

// `count` characters of token value `value`.
std::vector<int> run(size_t count, int value)
{
    return std::vector<int>(count, value);
}

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(MainWindow, HoldsTheThreeLanguagesInTheEditorsFirstSlots)
{
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    EXPECT_EQ(memo.Parser(ekHTML), &form.HTMLParser());
    EXPECT_EQ(memo.Parser(ekText), &form.TextParser());
    EXPECT_EQ(memo.Parser(ekJavaScript), &form.JavaParser());
    EXPECT_EQ(memo.Parser(4), nullptr);
    EXPECT_EQ(memo.ActiveParser(), ekHTML);
    EXPECT_EQ(&memo.ActiveSettings(), &form.HTMLParser().Settings());

    EXPECT_EQ(form.HTMLParser().Name, "HTMLParser");
    EXPECT_EQ(form.TextParser().Name, "TextParser");
    EXPECT_EQ(form.JavaParser().Name, "JavaParser");
    EXPECT_EQ(form.HTMLParser().Settings().LanguageName, "HTML");
    EXPECT_EQ(form.TextParser().Settings().LanguageName, "Texto");
    EXPECT_EQ(form.JavaParser().Settings().LanguageName, "JavaScript");
}

TEST(MainWindow, TheTextAndScriptLanguagesAreReadWhenADocumentFirstShowsInThem)
{
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    const auto languageName = [&memo](int slot) { return memo.Parser(slot)->Settings().LanguageName; };
    // At start only the pages' language is read; the others are as a language never loaded.
    const std::string unread = TCodeMemoParser().Settings().LanguageName;
    EXPECT_EQ(languageName(ekHTML), "HTML");
    EXPECT_EQ(languageName(ekText), unread);
    EXPECT_EQ(languageName(ekJavaScript), unread);

    // Each file shows as in a window whose languages were all read beforehand.
    TformPrincipal eager;
    eager.TextParser();
    eager.JavaParser();
    EXPECT_EQ(eager.CodeMemo()->Parser(ekJavaScript)->Settings().LanguageName, "JavaScript");
    for (const auto& [file, kind] : {std::pair{"sample.js", ekJavaScript}, std::pair{"sample.txt", ekText}}) {
        form.AbreArchivo(dataFile(file), false, kind);
        eager.AbreArchivo(dataFile(file), false, kind);
        ASSERT_EQ(memo.ActiveParser(), kind) << file;
        const THighlighted lazy = highlighted(memo);
        const THighlighted read = highlighted(*eager.CodeMemo());
        EXPECT_EQ(lazy.text, read.text) << file;
        EXPECT_EQ(lazy.styles, read.styles) << file;
        EXPECT_NE(lazy.styles.find_first_not_of('\0'), std::string::npos) << file << " is coloured";
        EXPECT_EQ(memo.ActiveSettings().LanguageName, eager.CodeMemo()->ActiveSettings().LanguageName) << file;
    }
    EXPECT_EQ(languageName(ekText), "Texto");
    EXPECT_EQ(languageName(ekJavaScript), "JavaScript");
}

TEST(MainWindow, ColoursScriptsTextsAndPagesWithTheirOwnLanguage)
{
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();

    form.AbreArchivo(dataFile("sample.js"), false, ekJavaScript);
    EXPECT_EQ(memo.ActiveParser(), ekJavaScript);
    THighlighted js = highlighted(memo);
    EXPECT_EQ(js.of("// Funciones de prueba"), run(2, 49) + run(20, 50));
    EXPECT_EQ(js.of("var nombres"), run(3, 46) + run(1, 0) + run(7, 40));
    // Strings: opening quote, text (one value for each kind of quote), closing quote.
    EXPECT_EQ(js.of("\"Ana\", 'Luis'"), run(1, 55) + run(3, 42) + run(1, 58) + run(1, 43) + run(1, 0) + run(1, 56) +
                                             run(4, 66) + run(1, 58));
    EXPECT_EQ(js.of("return typeof"), run(6, 46) + run(1, 0) + run(6, 46));
    EXPECT_EQ(js.of("function"), run(8, 46));

    form.AbreArchivo(dataFile("sample.txt"), false, ekText);
    EXPECT_EQ(memo.ActiveParser(), ekText);
    THighlighted text = highlighted(memo);
    EXPECT_EQ(text.of("Texto de prueba sin formato."), run(28, 0));
    EXPECT_EQ(text.of("Visite http://www.ejemplo.com/pagina.html o"), run(7, 0) + run(34, 1) + run(2, 0));
    EXPECT_EQ(text.of("a info@ejemplo.com,"), run(2, 0) + run(16, 2) + run(1, 0));

    form.AbreArchivo(dataFile("sample.html"), false, ekHTML);
    EXPECT_EQ(memo.ActiveParser(), ekHTML);
    THighlighted page = highlighted(memo);
    // Tags, attribute names, double-quoted value words, entities.
    EXPECT_EQ(page.of("<HTML>"), run(5, 10) + run(1, 13));
    EXPECT_EQ(page.of("<IMG SRC=\"foto.gif\""), run(4, 10) + run(1, 0) + run(3, 18) + run(1, 19) + run(1, 24) +
                                                     run(8, 25) + run(1, 27));
    EXPECT_EQ(page.of("BGCOLOR"), run(7, 18));
    EXPECT_EQ(page.of("Prueba &amp; ejemplo"), run(7, 0) + run(5, 28) + run(8, 0));
    EXPECT_EQ(page.of("T&iacute;tulo &copy; 2001 &#169;"),
              run(1, 0) + run(8, 28) + run(5, 0) + run(6, 28) + run(6, 0) + run(6, 28));
    // A comment over two lines: opener, body (line break included), closer.
    EXPECT_EQ(page.of("<!-- P\xE1gina"), run(4, 29) + run(7, 30));
    EXPECT_EQ(page.of("de dos l\xEDneas -->"), run(14, 30) + run(3, 31));
    // Links are hotspots in running text and inside quoted values; a lone "<" or "&" stays text.
    EXPECT_EQ(page.of("\"http://www.ejemplo.com/index.html\""), run(1, 24) + run(33, 1) + run(1, 27));
    EXPECT_EQ(page.of("tambi\xE9n www.ejemplo.org o"), run(8, 0) + run(15, 1) + run(2, 0));
    EXPECT_EQ(page.of("admin@ejemplo.org."), run(17, 2) + run(1, 0));
    EXPECT_EQ(page.of("Visite la web"), run(13, 0));
    EXPECT_EQ(page.of("a < b &amp c"), run(12, 0));
    // The script block is JavaScript.
    EXPECT_EQ(page.of("function suma"), run(8, 46) + run(1, 0) + run(4, 40));
    EXPECT_EQ(page.of("return \"vac\xEDo\"; // nada"),
              run(6, 46) + run(1, 0) + run(1, 55) + run(5, 42) + run(1, 58) + run(1, 43) + run(1, 0) + run(2, 49) +
                  run(5, 50));
}

TEST(MainWindow, TheKindOfAFileFollowsItsExtension)
{
    TformPrincipal form;
    for (const char* name : {"a.htm", "a.HTML", "b/a.Htm", "a.asp", "a.krd", "a.krp", "a.cod"})
        EXPECT_EQ(form.TipoDeArchivo(name), ekHTML) << name;
    for (const char* name : {"a.js", "C:\\web\\menu.JS"})
        EXPECT_EQ(form.TipoDeArchivo(name), ekJavaScript) << name;
    for (const char* name : {"a.txt", "estilo.CSS", "arbol.krc", "x.y.txt"})
        EXPECT_EQ(form.TipoDeArchivo(name), ekText) << name;
    // Extensions no kind claims, and names without one, take the default kind, HTML.
    for (const char* name : {"a.shtml", "a.php", "a", "a.", "dir.txt/readme", "a.jsx", "a.htmx"})
        EXPECT_EQ(form.TipoDeArchivo(name), ekHTML) << name;
}

TEST(MainWindow, OpensCommandLineFilesInTheLanguageOfTheirExtensionWhenFirstShown)
{
    const struct {
        const char* file;
        int kind;
        const char* firstLine;
    } cases[] = {{"sample.js", ekJavaScript, "// Funciones de prueba"},
                 {"sample.txt", ekText, "Texto de prueba sin formato."},
                 {"sample.html", ekHTML, "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        // A name of no existing file, or of a folder, is passed over.
        TformPrincipal form({"/no/such/file.txt", KESTRIMA_TEST_DATA, dataFile(c.file)});
        TCodeMemo& memo = *form.CodeMemo();
        EXPECT_EQ(memo.GetTextLen(), 0);
        form.show();
        QApplication::processEvents();
        EXPECT_EQ(memo.ActiveParser(), c.kind);
        EXPECT_EQ(memo.GetLineText(0), c.firstLine);

        // Only the first showing opens them.
        memo.SelectAll();
        memo.SetSelText("cambiado");
        form.hide();
        form.show();
        QApplication::processEvents();
        EXPECT_EQ(memo.GetTextStr(), "cambiado");
    }

    TformPrincipal none({"/no/such/file.js"});
    none.show();
    QApplication::processEvents();
    EXPECT_EQ(none.CodeMemo()->GetTextLen(), 0);
    EXPECT_EQ(none.CodeMemo()->ActiveParser(), ekHTML);
}

TEST(MainWindow, FillsTheCharacterTableFromTheLibraryWhenFirstShown)
{
    TformPrincipal shipped;
    EXPECT_EQ(shipped.CodigosISO(), nullptr);
    shipped.Config().CharacterLib = std::string(KESTRIMA_SOURCE_DIR) + "/resources/iso8859-1.kyb";
    shipped.show();
    QApplication::processEvents();
    ASSERT_NE(shipped.CodigosISO(), nullptr);
    EXPECT_EQ(shipped.CodigosISO()->Count(), 96);
    EXPECT_EQ(shipped.CodigosISO()->EncodeText("\xA9"), "&copy;");

    // A library that cannot be read gives the built-in Spanish characters.
    TformPrincipal missing;
    missing.Config().CharacterLib = "/no/such/library.kyb";
    missing.show();
    QApplication::processEvents();
    ASSERT_NE(missing.CodigosISO(), nullptr);
    EXPECT_EQ(missing.CodigosISO()->Count(), 14);
    EXPECT_EQ(missing.CodigosISO()->EncodeText("\xA9\xF1"), "\xA9&ntilde;");
}

TEST(MainWindow, ParserMessagesShowInAnInformationBox)
{
    TformPrincipal form;
    TCodeMemoParser& parser = form.TextParser();
    parser.Name = "An\xE1lisis"; // Windows-1252
    QString shown;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            icon = box->icon();
            box->accept();
        }
    });
    // Tables of a version before 50 are refused with a message, and the language is left empty.
    const char old[] = {49, 0, 0, 0, 0, 0};
    TCustomMemoryStream stream(old, sizeof old);
    parser.LoadParserData(stream);
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(shown, QString::fromUtf8("An\u00E1lisis: DFM file saved by different version of TCodeMemoParser.\n"
                                       "Recompile script to update DFM file.\n"
                                       "Expected version was 51 read version was 49"));
    EXPECT_EQ(parser.Settings().LanguageName, TSM_Settings().LanguageName);
}

TEST(MainWindowScreen, TagsArePaintedInTheTagColourAndTextInBlack)
{
    TformPrincipal form({dataFile("sample.html")});
    form.resize(800, 600);
    form.show();
    QApplication::processEvents();
    TCodeMemo& memo = *form.CodeMemo();
    ASSERT_EQ(memo.GetLineText(5), "<TITLE>Prueba &amp; ejemplo</TITLE>");

    QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const char* dir = std::getenv("KESTRIMA_SHOT_DIR");
    shot.save(QDir(dir ? dir : QDir::currentPath()).filePath("mainwindow-sample-html.png"), "PNG");

    // Line 5: "<TITLE>" in the tag style, then "Prueba" in the default style.
    const QPoint text = memo.mapTo(&form, QPoint(1 + memo.TextLeft(), 1 + 5 * memo.LineHeight()));
    const int width = memo.CharWidth();
    const QRect tag(text.x(), text.y(), 7 * width, memo.LineHeight());
    const QRect plain(text.x() + 7 * width, text.y(), 6 * width, memo.LineHeight());
    // Glyph edges blend the ink with the white page: a blend of black stays grey, a blend of navy
    // keeps its blue above its red and green.
    auto count = [&shot](const QRect& area, auto test) {
        int n = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                n += test(QColor(shot.pixel(x, y)));
        return n;
    };
    auto navy = [](const QColor& c) { return c.rgb() == qRgb(0, 0, 128); }; // the script's tag colour
    auto bluish = [](const QColor& c) { return c.red() == c.green() && c.blue() - c.red() >= 64; };
    auto greyInk = [](const QColor& c) { return c.red() == c.green() && c.green() == c.blue() && c.red() < 160; };
    EXPECT_GT(count(tag, navy), 20);
    EXPECT_EQ(count(tag, greyInk), 0);
    EXPECT_GT(count(plain, greyInk), 20);
    EXPECT_EQ(count(plain, bluish), 0);
}

TEST(MainWindowRegistry, AStoredJavaScriptStyleColoursScriptsAtTheNextStart)
{
    TempRegistry registry("app");
    const TColor stored = 0x123456;
    int token = -1;
    {
        TformPrincipal first({dataFile("sample.js")});
        first.show();
        QApplication::processEvents();
        ASSERT_EQ(first.CodeMemo()->ActiveParser(), ekJavaScript);
        token = highlighted(*first.CodeMemo()).of("function")[0];
        TSM_Settings& settings = first.JavaParser().Settings();
        const uint8_t styleIndex = settings.GetStyleFlag(static_cast<uint8_t>(token));
        ASSERT_NE(styleIndex, 0) << "a keyword has a style of its own";
        TSM_TokenStyle style = settings.GetStyle(styleIndex);
        ASSERT_NE(style.Foreground, stored);
        style.Foreground = stored;
        settings.SetStyle(styleIndex, style);
        first.JavaParser().SaveToRegistry();
    }

    RegistryStore::Reload();
    TMessageCatcher catcher;
    TformPrincipal second({dataFile("sample.js")});
    second.show();
    QApplication::processEvents();
    EXPECT_TRUE(catcher.texts.isEmpty());
    const THighlighted h = highlighted(*second.CodeMemo());
    ASSERT_EQ(h.of("function")[0], token);
    EXPECT_EQ(second.JavaParser().Settings().TokenStyle(static_cast<uint8_t>(token)).Foreground, stored);
}

TEST(MainWindowRegistry, ACorruptValueGivesOneMessageAndTheCompiledLanguage)
{
    TempRegistry registry("app");
    std::string compiled;
    std::string valueName;
    {
        TformPrincipal clean;
        compiled = clean.HTMLParser().BuildStyleString();
        valueName = clean.HTMLParser().StyleValueName();
    }
    {
        TRegistry writer;
        ASSERT_TRUE(writer.OpenKey("Software\\Dremal\\Kestrima\\ParserHTML", true));
        // The gutter is read before the font size fails.
        writer.WriteString(valueName, "Trevok6:GWD#2#99FOS#40#x");
    }
    RegistryStore::Reload();

    TMessageCatcher catcher;
    TformPrincipal form;
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(catcher.texts,
              QStringList{FromWin1252("Invalid data in registry entry \"Software\\Dremal\\Kestrima\\ParserHTML\\" +
                                      valueName + "\"")});
    EXPECT_EQ(form.HTMLParser().BuildStyleString(), compiled);
    EXPECT_NE(form.HTMLParser().Settings().Gutter, 99);
}

TEST(MainWindowScreen, TheStatusBarButtonsAreFlatSquaresWithTheirPictures)
{
    TformPrincipal form;
    form.resize(640, 480);
    form.show();
    QApplication::processEvents();
    QStatusBar* bar = form.BarraEstado();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->objectName(), "BarraEstado");
    const int side = bar->sizeHint().height() - 2;
    int left = 2;
    for (TKrSpeedButton* button : {form.sbBarra(), form.sbLateral(), form.sbAuxiliar()}) {
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->parentWidget(), bar);
        EXPECT_EQ(button->geometry(), QRect(left, 2, side, side)) << button->objectName().toStdString();
        left += side;
        EXPECT_TRUE(button->Flat());
        EXPECT_EQ(button->Glyph().size(), QSize(12, 12));
        // Away from the mouse the picture is grey; its frame colour stays black.
        const QImage picture = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int black = 0;
        int navy = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                black += picture.pixel(x, y) == qRgb(0, 0, 0);
                navy += picture.pixel(x, y) == qRgb(0, 0, 128);
            }
        EXPECT_GT(black, 20);
        EXPECT_EQ(navy, 0);
    }
    EXPECT_EQ(form.sbBarra()->Hint(), "Ocultar barra de herramientas");
    // The side panel starts hidden, so its button offers to show it.
    EXPECT_EQ(form.sbLateral()->Hint(), "Mostrar panel lateral");
    EXPECT_EQ(form.sbAuxiliar()->Hint(), "Abrir en el editor auxiliar");

    QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const char* dir = std::getenv("KESTRIMA_SHOT_DIR");
    shot.save(QDir(dir ? dir : QDir::currentPath()).filePath("mainwindow-status-buttons.png"), "PNG");
}

namespace {

std::vector<std::string> actionNames(QMenu* menu)
{
    std::vector<std::string> names;
    for (QAction* action : menu->actions())
        names.push_back(action->objectName().toStdString() + (action->isSeparator() ? std::string(" -") : std::string(" ").append(ToWin1252(action->text()))) +
                        " = " + ToWin1252(action->statusTip()));
    return names;
}

const std::string kShippedFolder = std::string(KESTRIMA_SOURCE_DIR) + "/resources";

} // namespace

TEST(MainWindowFrame, TheSettingsMenusHoldTheStoredEntriesInOrder)
{
    TempRegistry registry("app");
    {
        TRegIniFile ini(TKestrimaConfig::kRegistryKey);
        ini.WriteString("Tags", "Negrita", "<b>");
        ini.WriteString("Tags", "-1", "");
        ini.WriteString("Tags", "Centrado", "<div align=\"center\">");
        ini.WriteString("Utilities", "Validar", "/usr/bin/tidy");
        ini.WriteString("Browsers", "-0", "");
        ini.WriteString("Browsers", "Navegador \xE1", "/usr/bin/firefox");
    }
    TformPrincipal form;
    EXPECT_EQ(actionNames(form.mOtrosTags()),
              std::vector<std::string>({"TagMenu0 Negrita = <b>", "TagMenu1 - = ", "TagMenu2 Centrado = <div align=\"center\">"}));
    EXPECT_EQ(actionNames(form.mUtilidades()), std::vector<std::string>({"UtlMenu0 Validar = /usr/bin/tidy"}));
    EXPECT_EQ(actionNames(form.mNavegadores()),
              std::vector<std::string>({"BrwMenu0 - = ", "BrwMenu1 Navegador \xE1 = /usr/bin/firefox"}));
    for (QAction* action : form.mOtrosTags()->actions())
        EXPECT_TRUE(action->isEnabled() && !action->isChecked() && action->shortcut().isEmpty());

    // The menu bar in its order, with the custom codes under Insertar.
    std::vector<std::string> bar;
    for (QAction* action : form.menuBar()->actions())
        bar.push_back(ToWin1252(action->text()));
    EXPECT_EQ(bar, std::vector<std::string>({"&Archivo", "&Edici\xF3n", "&Ver", "&Selecci\xF3n", "&Insertar",
                                             "&Herramientas", "&Utilidades", "&Navegadores", "A&yuda"}));
    EXPECT_EQ(form.mOtrosTags()->parentWidget()->objectName().toStdString(), "mInsertar");
}

TEST(MainWindowFrame, TheStatusBarHasFivePanelsAndShowsHints)
{
    TempRegistry registry("app");
    TRegIniFile(TKestrimaConfig::kRegistryKey).WriteString("Utilities", "Validar", "/usr/bin/tidy --check");
    // No document, so that the panels keep the texts they start with.
    TRegIniFile(TKestrimaConfig::kRegistryKey).WriteInteger("Settings", "InitialFile", 0);
    TformPrincipal form;
    form.show();
    EXPECT_EQ(form.Panel(1)->text(), "1 : 1");
    EXPECT_EQ(form.Panel(4)->text(), "Para obtener Ayuda, presione F1");
    // At least the designed widths, each as wide as its longest text; the hints take the rest.
    const int least[] = {75, 75, 75, 300};
    for (int i = 1; i < TformPrincipal::kPanelCount; ++i)
        EXPECT_GE(form.Panel(i)->width(), least[i - 1]) << i;
    const auto fits = [&](int panel, const char* text) {
        return form.Panel(panel)->fontMetrics().horizontalAdvance(QString::fromUtf8(text)) < form.Panel(panel)->contentsRect().width();
    };
    EXPECT_TRUE(fits(1, "99999 : 999999"));
    EXPECT_TRUE(fits(3, "Sobreescribir"));
    EXPECT_TRUE(fits(3, "S\xC3\xB3lo lectura"));
    QApplication::processEvents();
    const QWidget* last = form.Panel(TformPrincipal::kPanelCount - 1);
    EXPECT_GE(last->mapTo(form.statusBar(), QPoint(last->width(), 0)).x(), form.statusBar()->width() - 24);
    for (int i = 1; i <= 3; ++i)
        EXPECT_EQ(form.Panel(i)->alignment(), Qt::AlignCenter);
    EXPECT_EQ(form.Panel(0)->width(), 3 * form.sbBarra()->width() + 4);
    EXPECT_EQ(form.sbLateral()->x(), form.sbBarra()->x() + form.sbBarra()->width());

    // Hovering a menu item shows its value in the last panel.
    QMenu* menu = form.mUtilidades();
    menu->popup(form.mapToGlobal(QPoint(10, 10)));
    menu->setActiveAction(menu->actions().at(0));
    EXPECT_EQ(form.Panel(4)->text(), "/usr/bin/tidy --check");
    menu->hide();
    form.MuestraHint("Abrir un archivo");
    EXPECT_EQ(form.Panel(4)->text(), "Abrir un archivo");
    // A menu dropped down from a toolbar button shows its items' hints there too, and clears it on closing.
    QApplication::setActiveWindow(&form);
    TPopupMenu dropped(&form);
    QAction* item = dropped.addAction("Tabla");
    item->setStatusTip("Inserta una tabla");
    TDropdownList::AddMenu(&dropped);
    item->hover();
    EXPECT_EQ(form.Panel(4)->text(), "Inserta una tabla");
    QMetaObject::invokeMethod(&dropped, "aboutToHide");
    EXPECT_EQ(form.Panel(4)->text(), "");
    TDropdownList::RemoveMenu(&dropped);
    form.MuestraHint("Abrir un archivo");
    // The other panels stay where they were.
    EXPECT_TRUE(form.Panel(1)->isVisible());
}

TEST(MainWindowFrame, TheShippedCorrectionsAndTemplatesWorkInTheEditor)
{
    TempRegistry registry("app");
    TProgramFolderWhile shipped(kShippedFolder);
    // The new document starts empty rather than from the shipped model.
    TRegIniFile(TKestrimaConfig::kRegistryKey).WriteInteger("Settings", "NewFile", 0);
    TformPrincipal form;
    form.show();
    TCodeMemo& memo = *form.CodeMemo();
    EXPECT_GT(memo.AutoReplaceList().Count(), 20);
    EXPECT_GT(memo.CodeTemplateList().Count(), 5);
    auto press = [&memo](int vk, TShiftState shift = 0) {
        for (bool down : {true, false}) {
            auto event = MakeKeyEvent(vk, shift, down);
            QCoreApplication::sendEvent(&memo, event.get());
        }
    };
    for (char c : std::string("tambien"))
        press(AsciiUpper(c));
    press(VK_SPACE);
    EXPECT_EQ(memo.GetTextStr(), "tambi\xE9n ");

    for (char c : std::string("tabla"))
        press(AsciiUpper(c));
    press('J', ssCtrl);
    const std::string text = memo.GetTextStr();
    EXPECT_NE(text.find("<table border=\"1\">"), std::string::npos) << text;
    EXPECT_EQ(text.find("tabla"), std::string::npos);
}

TEST(MainWindowFrame, WithoutTheSupportFilesTheWindowStillStarts)
{
    TempRegistry registry("app");
    TProgramFolderWhile empty(registry.Folder.path.string());
    TMessageCatcher catcher;
    TBoxAnswers boxes;
    TformPrincipal form;
    form.show();
    QApplication::processEvents();
    EXPECT_EQ(form.CodeMemo()->AutoReplaceList().Count(), 0);
    EXPECT_EQ(form.CodeMemo()->CodeTemplateList().Count(), 0);
    EXPECT_TRUE(catcher.texts.isEmpty()) << catcher.texts.join("\n").toStdString();
    // Only the side panel's code tree, the palette and, once the window is painted, the tips are told
    // missing, once each.
    ASSERT_EQ(boxes.texts.size(), 3u);
    EXPECT_EQ(boxes.texts[0], "No se encuentra el archivo \"" + registry.Folder.path.string() +
                                  "/Docs/html.krc\".\nNo es posible cargar la lista de c\xF3""digos.");
    EXPECT_NE(boxes.texts[1].find("navigator.pal"), std::string::npos);
    EXPECT_EQ(boxes.texts[2], "No se encuentra el archivo \"" + registry.Folder.path.string() +
                                  "/Docs/Tips.txt\".\nNo es posible mostrar el di\xE1""logo de sugerencias.");
    EXPECT_EQ(boxes.flags[2], MB_OK | MB_ICONSTOP);
}

TEST(MainWindowFrame, ClosingStoresTheDialogFoldersAndSavesTheSettings)
{
    TempRegistry registry("app");
    TRegIniFile(TKestrimaConfig::kRegistryKey).WriteString("Parametros", "x", "1");
    {
        TformPrincipal form;
        form.show();
        EXPECT_TRUE(form.Ocupado == false);
        form.OpenDialogFileName = "/home/ana/web/index.htm";
        form.SaveDialogFileName = "/home/ana/copias/otra.htm";
        form.Config().FontSize = 11;
        EXPECT_TRUE(form.close());
    }
    RegistryStore::Reload();
    TKestrimaConfig saved;
    saved.Load();
    EXPECT_EQ(saved.LastOpenDir, "/home/ana/web");
    EXPECT_EQ(saved.LastSaveDir, "/home/ana/copias");
    EXPECT_EQ(saved.FontSize, 11);
    EXPECT_FALSE(TRegIniFile(TKestrimaConfig::kRegistryKey).SectionExists("Parametros"));

    // The next window starts the dialogs there.
    TformPrincipal next;
    next.show();
    EXPECT_EQ(next.OpenDialogInitialDir, "/home/ana/web");
    EXPECT_EQ(next.SaveDialogInitialDir, "/home/ana/copias");
}

TEST(MainWindowFrame, AnUnwritableSettingsFolderIsReportedAndTheWindowStillCloses)
{
    TempRegistry registry("app");
    // A folder below a plain file can never be made, whoever runs the test.
    const std::string blocker = registry.Folder.file("archivo", "x");
    setenv("KESTRIMA_CONFIG_DIR", (blocker + "/config").c_str(), 1);
    RegistryStore::Reload();
    TMessageCatcher catcher;
    {
        TformPrincipal form;
        form.show();
        EXPECT_TRUE(form.close());
        EXPECT_FALSE(form.isVisible());
    }
    ASSERT_EQ(catcher.texts.size(), 1);
    EXPECT_TRUE(catcher.texts[0].startsWith(QString::fromUtf8("No se puede guardar la configuraci\u00F3n"))) << catcher.texts[0].toStdString();
}

TEST(MainWindowFrame, TheSettingsChooseTheKindOfUnknownFilesAndTheWindowComesBackWhenAsked)
{
    TempRegistry registry("app");
    TRegIniFile(TKestrimaConfig::kRegistryKey).WriteInteger("Settings", "DefaultParser", ekJavaScript);
    {
        TformPrincipal form;
        EXPECT_EQ(form.TipoDeArchivo("notas.xyz"), ekJavaScript);
        EXPECT_EQ(form.TipoDeArchivo("sin_extension"), ekJavaScript);
        EXPECT_EQ(form.TipoDeArchivo("a.txt"), ekText);
        EXPECT_EQ(formPrincipal, &form);
        form.show();
        form.showMinimized();
        form.WMActivaInstancia();
        EXPECT_FALSE(form.isMinimized());
        EXPECT_TRUE(form.isVisible());
    }
    EXPECT_EQ(formPrincipal, nullptr);
    // A stored kind that names no language gives pages.
    TRegIniFile(TKestrimaConfig::kRegistryKey).WriteInteger("Settings", "DefaultParser", 9);
    TformPrincipal form;
    EXPECT_EQ(form.TipoDeArchivo("notas.xyz"), ekHTML);
    // The options' first choice switches the colouring off for such files; known ones keep theirs.
    form.Config().DefaultParser = 0;
    EXPECT_EQ(form.TipoDeArchivo("notas.xyz"), ekNoColouring);
    EXPECT_EQ(form.TipoDeArchivo("a.htm"), ekHTML);
    form.AbreArchivo("", false, form.TipoDeArchivo("sin_extension"));
    EXPECT_EQ(form.CodeMemo()->ActiveParser(), ekNoColouring);
    EXPECT_EQ(form.CodeMemo()->ActiveParserObject(), nullptr);
}
