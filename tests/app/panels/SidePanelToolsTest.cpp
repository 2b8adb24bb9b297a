// Tests of the side panel's wildcard, style and explorer pages driven through the main window.
#include "app/panels/SidePanelTools.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QKeyEvent>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <deque>
#include <map>
#include <optional>

#include "app/panels/SidePanel.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/TemplateMerge.h"
#include "components/DirTree.h"
#include "components/FileList.h"
#include "components/KrGIF.h"
#include "components/StrHlder.h"
#include "platform/Win1252Qt.h"
#include "support/MainWindowDocuments.h"
#include "support/PageElements.h"
#include "support/RealFileDialog.h"
#include "support/MouseEvents.h"
#include "support/DesktopOpener.h"
#include "support/EditorText.h"
#include "support/BoxAnswers.h"
#include "support/TempDir.h"
#include "support/ShellOpens.h"
#include "support/Win1252Text.h"
#include "tests/components/JpegTestFiles.h"
#include "toolbars/TBarCtls.h"

namespace {

using Strings = std::vector<std::string>;

void settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

std::vector<std::string> listed(const QListWidget* list)
{
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i)
        items.push_back(ToWin1252(list->item(i)->text()));
    return items;
}

// A window with one new document, the side panel shown, and the question answered from a list
// (nullopt is Cancel); what was asked is kept as "prompt|caption|default".
struct TToolsWindow : TWindow {
    TSidePanel& panel = form.SidePanel();
    TSidePanelTools& tools = form.SideTools();
    std::deque<std::optional<std::string>> answers;
    Strings asked;
    TToolsWindow()
    {
        form.resize(800, 600);
        // Codes keep their letter case.
        form.Config().InsCaseMode = 4;
        form.AbreArchivo("", false, ekHTML);
        form.mVerLateralClick();
        tools.SetQuery([this](const std::string& prompt, const std::string& caption, std::string& answer) {
            asked.push_back(prompt + "|" + caption + "|" + answer);
            if (answers.empty() || !answers.front()) {
                if (!answers.empty())
                    answers.pop_front();
                return false;
            }
            answer = *answers.front();
            answers.pop_front();
            return true;
        });
        settle();
    }
    void setText(const std::string& text)
    {
        memo.SelectAll();
        type(memo, text);
        memo.SetSelStart(0);
        memo.SetSelLength(0);
    }
};

} // namespace

TEST(SidePanelTools, ANewWildcardLibraryNamedInTheFileDialogIsCreatedAndShown)
{
    TToolsWindow w;
    TSidePanelTools& t = w.tools;
    for (const char* typed : {"micomodin", "otro.krm"}) {
        TRealFileDialogAnswer dialog(QString::fromStdString((w.folder.path / typed).string()));
        t.libComodinesClick(1);
        EXPECT_TRUE(dialog.shown);
        EXPECT_EQ(dialog.mode, QFileDialog::AnyFile);
        EXPECT_TRUE(dialog.accepting) << typed;
    }
    const std::string first = (w.folder.path / "micomodin.krm").string();
    const std::string second = (w.folder.path / "otro.krm").string();
    EXPECT_TRUE(FileExists(first));
    EXPECT_EQ(ReadFileBytes(second), "");
    EXPECT_EQ(ToWin1252(t.eComodines->text()), "otro");
    EXPECT_EQ(ToWin1252(t.eComodines->Hint()), second);
    // The new library takes wildcards at once.
    w.answers = {"nombre"};
    t.libComodinesClick(2);
    EXPECT_EQ(ReadFileBytes(second), "nombre\r\n");
}

TEST(SidePanelTools, WildcardLibraryOpensAddsRenamesDeletesAndInserts)
{
    TToolsWindow w;
    TSidePanelTools& t = w.tools;
    // Without a library nothing is added.
    w.answers = {"nada"};
    t.libComodinesClick(2);
    EXPECT_TRUE(w.asked.empty());
    {
        TDialogAnswers dialogs;
        dialogs.answers.push_back({(w.folder.path / "campos").string()});
        t.libComodinesClick(1);
        ASSERT_EQ(dialogs.requests.size(), 1u);
        EXPECT_EQ(dialogs.requests[0].Filter, "Librer\xED""as de comodines (*.krm)|*.krm|Todos|*.*");
        EXPECT_EQ(dialogs.requests[0].Options & ofFileMustExist, 0u);
    }
    const std::string library = (w.folder.path / "campos.krm").string();
    EXPECT_EQ(ReadFileBytes(library), "");
    EXPECT_EQ(ToWin1252(t.eComodines->text()), "campos");
    EXPECT_EQ(ToWin1252(t.eComodines->Hint()), library);
    EXPECT_TRUE(t.eComodines->isReadOnly());

    // Blanks become "_", a name there already (without case) adds nothing, Cancel adds nothing.
    w.answers = {" mi campo ", "MI_CAMPO", "zona", "alfa", std::nullopt, "   "};
    for (int i = 0; i < 6; ++i)
        t.libComodinesClick(2);
    EXPECT_EQ(w.asked.at(0), "Introduce el nombre|Nuevo Comod\xED""n|");
    EXPECT_EQ(listed(t.lbComodines), (Strings{"alfa", "mi_campo", "zona"}));
    EXPECT_EQ(t.lbComodines->currentRow(), 0);
    EXPECT_EQ(ReadFileBytes(library), "alfa\r\nmi_campo\r\nzona\r\n");

    // Rename keeps the place, even out of order, and the file follows the list.
    t.lbComodines->setCurrentRow(1);
    w.answers = {"ALFA", "Zeta campo"};
    t.libComodinesClick(3);
    t.libComodinesClick(3);
    EXPECT_EQ(w.asked.back(), "Introduce el nuevo nombre|Renombrar Comod\xED""n|");
    EXPECT_EQ(listed(t.lbComodines), (Strings{"alfa", "Zeta_campo", "zona"}));
    EXPECT_EQ(ReadFileBytes(library), "alfa\r\nZeta_campo\r\nzona\r\n");

    // Double click and drag give the field.
    w.setText("");
    w.panel.lbFileListDblClick(t.lbComodines);
    EXPECT_EQ(w.memo.GetTextStr(), "{*Zeta_campo*}");
    EXPECT_EQ(w.panel.DragText(t.lbComodines), "{*Zeta_campo*}");

    // Delete asks; Yes deletes and selects the item before.
    {
        TBoxAnswers boxes({IDNO, IDYES});
        t.libComodinesClick(4);
        EXPECT_EQ(t.lbComodines->count(), 3);
        t.libComodinesClick(4);
        EXPECT_EQ(boxes.texts.at(0), "\xBF""Esta seguro de querer borrar el comod\xED""n \"Zeta_campo\" ?");
        EXPECT_EQ(boxes.flags.at(0), unsigned(MB_YESNO | MB_ICONQUESTION));
    }
    EXPECT_EQ(listed(t.lbComodines), (Strings{"alfa", "zona"}));
    EXPECT_EQ(t.lbComodines->currentRow(), 0);
    EXPECT_EQ(ReadFileBytes(library), "alfa\r\nzona\r\n");

    // An existing library opens sorted, the first item selected.
    const std::string other = w.folder.file("otro.v1.krm", "b\r\nA\r\n");
    TDialogAnswers dialogs;
    dialogs.answers.push_back({other});
    t.libComodinesClick(1);
    EXPECT_EQ(dialogs.requests[0].FileName, "campos.krm");
    EXPECT_EQ(listed(t.lbComodines), (Strings{"A", "b"}));
    EXPECT_EQ(t.lbComodines->currentRow(), 0);
    EXPECT_EQ(ToWin1252(t.eComodines->text()), "otro.v1");
}

TEST(SidePanelTools, FieldsAreExtractedIntoANewDocumentAndIterated)
{
    TToolsWindow w;
    TSidePanelTools& t = w.tools;
    w.setText("x{*a*}y{*b*}{*a*}");
    t.sbExtraeComodinesClick();
    ASSERT_EQ(w.form.DocumentCount(), 2);
    EXPECT_EQ(w.memo.GetTextStr(), "{*a*}\r\n{*b*}\r\n{*a*}");
    w.setText("{*a");
    t.sbExtraeComodinesClick();
    EXPECT_EQ(w.form.DocumentCount(), 3);
    EXPECT_EQ(w.memo.GetTextStr(), "");

    // Two fields are asked in order; an empty answer removes the second.
    w.memo.SearchText = "buscado";
    w.setText("A{*uno*}B{*dos*}C");
    w.answers = {"1", ""};
    t.sbIteraComodinesClick();
    EXPECT_EQ(w.memo.GetTextStr(), "A1BC");
    EXPECT_EQ(w.asked, (Strings{"Substituir \"{*uno*}\" por...|Reemplazar comodines|{*uno*}",
                                "Substituir \"{*dos*}\" por...|Reemplazar comodines|{*dos*}"}));
    EXPECT_EQ(w.memo.SearchText, "buscado");

    // Cancel stops and changes nothing.
    w.asked.clear();
    w.setText("A{*uno*}B{*dos*}");
    w.answers = {std::nullopt, "no"};
    t.sbIteraComodinesClick();
    EXPECT_EQ(w.memo.GetTextStr(), "A{*uno*}B{*dos*}");
    EXPECT_EQ(w.asked.size(), 1u);

    // An answer holding a field is not asked about again; iteration starts at the caret.
    w.asked.clear();
    w.setText("{*a*}{*b*}{*c*}");
    w.memo.SetSelStart(5);
    w.answers = {"x{*c*}", "y"};
    t.sbIteraComodinesClick();
    EXPECT_EQ(w.memo.GetTextStr(), "{*a*}x{*c*}y");
    EXPECT_EQ(w.asked.size(), 2u);
    EXPECT_EQ(w.asked.at(1), "Substituir \"{*c*}\" por...|Reemplazar comodines|{*c*}");

    // "{*}" is a field to extraction, iteration and the merge alike.
    w.setText("a{*}b{*}");
    t.sbExtraeComodinesClick();
    EXPECT_EQ(w.memo.GetTextStr(), "{*}\r\n{*}");
    w.asked.clear();
    w.setText("a{*}b{*}");
    w.memo.SetSelStart(0);
    w.answers = {"1", "2"};
    t.sbIteraComodinesClick();
    EXPECT_EQ(w.memo.GetTextStr(), "a1b2");
    EXPECT_EQ(w.asked, (Strings{"Substituir \"{*}\" por...|Reemplazar comodines|{*}",
                                "Substituir \"{*}\" por...|Reemplazar comodines|{*}"}));
    TTemplateData data;
    data.Add("{*}", "1");
    EXPECT_EQ(MergeTemplate("a{*}b{*}", data), "a1b1");
}

TEST(SidePanelTools, StyleLibraryLoadsListsAndGivesClasses)
{
    TToolsWindow w;
    TSidePanelTools& t = w.tools;
    const std::string css = w.folder.file("estilos.v2.css", "P.nota{color:red;font-weight:bold}\r\nnota{ color: blue }\r\n");
    {
        TDialogAnswers dialogs;
        dialogs.answers.push_back({css});
        t.sbAbrirCSSClick();
        EXPECT_EQ(dialogs.requests.at(0).Filter, "Hoja de estilo (*.css)|*.css|Todos (*.*)|*.*");
    }
    EXPECT_EQ(ToWin1252(t.eLibreria->text()), "estilos");
    EXPECT_EQ(ToWin1252(t.eLibreria->Hint()), css);
    EXPECT_EQ(w.form.Config().LastStyle, css);
    // Listed as the style sheet dialog lists them: sorted without case.
    EXPECT_EQ(listed(t.lbEstilos), (Strings{"nota", "P.nota"}));
    EXPECT_NE(t.shEstilos->Strings().Text().find("font-weight"), std::string::npos);

    const auto select = [&](const char* entry) {
        t.lbEstilos->setCurrentItem(t.lbEstilos->findItems(entry, Qt::MatchExactly).at(0));
    };
    select("P.nota");
    QWidget* viewport = t.lbEstilos->viewport();
    const QPoint onP = t.lbEstilos->visualItemRect(t.lbEstilos->currentItem()).center();
    SendMouse(*viewport, QEvent::MouseButtonPress, onP, Qt::LeftButton);
    EXPECT_EQ(w.panel.DragText(t.lbEstilos), "<P CLASS=\"nota\"></P>");
    SendMouse(*viewport, QEvent::MouseButtonPress, onP, Qt::RightButton);
    select("P.nota");
    EXPECT_EQ(w.panel.DragText(t.lbEstilos), " CLASS=\"nota\"");
    select("nota");
    EXPECT_EQ(w.panel.DragText(t.lbEstilos), " CLASS=\"nota\"");

    // A double click runs the class command: the element around the selection.
    select("P.nota");
    w.setText("hola");
    w.memo.SelectAll();
    w.panel.lbFileListDblClick(t.lbEstilos);
    EXPECT_EQ(w.memo.GetTextStr(), "<P CLASS=\"nota\">hola</P>");
    // The style button inserts the rule's declarations as an attribute.
    w.setText("");
    Click(*t.sbEstEstilo);
    EXPECT_NE(w.memo.GetTextStr().find(" STYLE=\""), std::string::npos);
    EXPECT_NE(w.memo.GetTextStr().find("color"), std::string::npos);

    // A file that does not exist changes nothing.
    t.CargaCSS((w.folder.path / "no.css").string());
    EXPECT_EQ(ToWin1252(t.eLibreria->text()), "estilos");
}

TEST(SidePanelTools, ExplorerListsPreviewsAndOffersTheFileCommands)
{
    TToolsWindow w;
    TSidePanelTools& t = w.tools;
    EXPECT_EQ(t.cbFilter->currentIndex(), 0);
    ASSERT_EQ(t.cbFilter->count(), 9);
    EXPECT_EQ(ToWin1252(t.cbFilter->itemText(8)), "Archivos de Kestrima");
    EXPECT_EQ(t.lbFileList->ViewStyle(), vsList);

    TempDir dir("s79-files");
    const std::vector<uint8_t> jpeg = jpegtest::Encode(jpegtest::Gradient(20, 10), 90);
    dir.file("foto.jpg", std::string(jpeg.begin(), jpeg.end()));
    dir.file("roto.jpg", std::string(jpeg.begin(), jpeg.begin() + 40));
    QImage indexed(5, 3, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 0)});
    indexed.fill(1);
    TGIFImage gif;
    gif.Assign(indexed);
    gif.SaveToFile((dir.path / "dibujo.gif").string());
    dir.file("pagina.htm", "<P>texto</P>");
    dir.file("notas.txt", "abc");
    std::filesystem::create_directory(dir.path / "sub");

    t.DirTree->SetDirectory(dir.path.string());
    settle();
    EXPECT_EQ(t.lbFileList->Directory(), dir.path.string() + "/");
    ASSERT_EQ(t.lbFileList->Count(), 5);
    const auto select = [&](const std::string& name) {
        for (int i = 0; i < t.lbFileList->Count(); ++i)
            if (t.lbFileList->Item(i).Caption == name)
                t.lbFileList->SetSelected(i);
        t.lbFileListClick();
        return !t.pImgDirectorio->isHidden();
    };
    const std::pair<const char*, bool> previews[] = {
        {"dibujo.gif", true}, {"notas.txt", false}, {"foto.jpg", true}, {"roto.jpg", false}, {"pagina.htm", false}};
    for (const auto& [name, shown] : previews)
        EXPECT_EQ(select(name), shown) << name;

    // The pop-up offers editing and inserting for text files, opening for others.
    const auto offered = [&](const std::string& name) {
        select(name);
        t.pmArchivosPopup();
        Strings items;
        for (QAction* item : {t.mAbreArchivo, t.mEditaArchivo, t.mInsTxt})
            if (item->isVisible())
                items.push_back(ToWin1252(item->text()));
        return items;
    };
    EXPECT_EQ(offered("pagina.htm"), (Strings{"&Editar en Kestrima", "&Inserta el texto en el documento"}));
    w.setText("");
    // The text goes in as a code, in the letter case of the settings.
    w.form.Config().InsCaseMode = 3;
    w.form.mInsTxtClick();
    EXPECT_EQ(w.memo.GetTextStr(), "<p>texto</p>");
    t.mEditaArchivoClick();
    EXPECT_EQ(w.form.DocumentCount(), 2);
    EXPECT_EQ(w.memo.GetTextStr(), "<P>texto</P>");
    EXPECT_EQ(offered("dibujo.gif"), (Strings{"&Abrir el archivo"}));
    {
        TShellOpens opens(false);
        TBoxAnswers boxes;
        t.mAbreArchivoClick();
        EXPECT_EQ(opens.targets, (Strings{(dir.path / "dibujo.gif").string()}));
        EXPECT_EQ(boxes.texts, (Strings{"Ha habido un error y no se ha podido abrir el archivo especificado."}));
    }
    // Double click and drag give the file's code.
    EXPECT_NE(w.panel.DragText(t.lbFileList).find("dibujo.gif"), std::string::npos);

    // The filter and the view styles.
    t.cbFilter->setCurrentIndex(2);
    t.cbFilterChange();
    EXPECT_EQ(t.lbFileList->Mask(), "*.gif;*.jpg;*.jpeg;*.png;*.bmp");
    EXPECT_EQ(t.lbFileList->Count(), 3);
    t.mIcoClick(3);
    EXPECT_EQ(t.lbFileList->ViewStyle(), vsReport);
    EXPECT_TRUE(t.mIco[3]->isChecked());
    EXPECT_FALSE(t.mIco[2]->isChecked());

    EXPECT_EQ(ToWin1252(t.mDirActualiza->text()), "&Actualizar archivos");
    EXPECT_EQ(t.mDirActualiza->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F5));
    dir.file("nuevo.png", "x");
    w.form.mDirActualizaClick();
    EXPECT_EQ(t.lbFileList->Count(), 4);
}

TEST(SidePanelTools, AFileWhoseNameIsMarkupGoesInFromTheExplorerAsOneElementNamedByIt)
{
    TToolsWindow w;
    TSidePanelTools& t = w.tools;
    // The address is the file's name alone.
    w.form.Config().InsertDirs = 1;
    TempDir dir("markup-names");
    const std::vector<std::string> names = {"<img src=x onerror=alert(3)>.html", "<script>.html", "a\"b.gif", "p&q.html"};
    for (const std::string& name : names)
        dir.file(name, "x");
    t.DirTree->SetDirectory(dir.path.string());
    settle();
    ASSERT_EQ(t.lbFileList->Count(), static_cast<int>(names.size()));
    for (const std::string& name : names) {
        for (int i = 0; i < t.lbFileList->Count(); ++i)
            if (t.lbFileList->Item(i).Caption == name)
                t.lbFileList->SetSelected(i);
        w.setText("");
        w.panel.lbFileListDblClick(t.lbFileList);
        const std::string code = w.memo.GetTextStr();
        const std::string stem = name.substr(0, name.rfind('.'));
        const TParsedCode parsed = ParsePageCode(code);
        if (name.ends_with(".gif")) {
            EXPECT_EQ(parsed.Elements, (std::vector<TPageElement>{{"img", name, ""}})) << code;
            EXPECT_EQ(parsed.Text, "\xEF\xBF\xBC") << code;
        } else {
            EXPECT_EQ(parsed.Elements, (std::vector<TPageElement>{{"a", name, stem}})) << code;
            EXPECT_EQ(parsed.Text, stem) << code;
        }
    }
}

namespace {

// `text` (UTF-8) as UTF-16 in the given byte order, after its byte-order mark.
std::string utf16File(const char* text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const QChar unit : QString::fromUtf8(text)) {
        const char high = static_cast<char>(unit.unicode() >> 8);
        const char low = static_cast<char>(unit.unicode() & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// The lines of a file's bytes, each without its CR LF.
Strings fileLines(const std::string& bytes)
{
    Strings lines;
    size_t from = 0;
    for (size_t end; (end = bytes.find("\r\n", from)) != std::string::npos; from = end + 2)
        lines.push_back(bytes.substr(from, end - from));
    lines.push_back(bytes.substr(from));
    return lines;
}

} // namespace

TEST(SidePanelTools, InsertedTextIsReadInTheEncodingOfItsFileAndSavedInThePagesCharacterSet)
{
    TToolsWindow w;
    TSidePanelTools& t = w.tools;
    TBoxAnswers boxes;
    // The page's save writes characters, not their codes, so that its bytes show the character set.
    w.form.Config().InsSpecChar = false;
    TempDir sources("inserted-texts");
    const char* const utf8 = "\xC3\xB1 \xCE\xB1 \xE2\x82\xAC";
    // A Windows-1252 file cannot hold the alpha: it holds its reference, which stays as written.
    const char* const typedAlpha = "\xC3\xB1 &#945; \xE2\x82\xAC";
    struct TSource {
        std::string name;
        std::string bytes;
        const char* shown;
    };
    const std::vector<TSource> files = {
        {"utf8.txt", std::string(utf8) + "\r\n", utf8},
        {"marca.txt", "\xEF\xBB\xBF" + std::string(utf8) + "\r\n", utf8},
        {"utf16le.txt", utf16File("\xC3\xB1 \xCE\xB1 \xE2\x82\xAC\r\n", false), utf8},
        {"utf16be.txt", utf16File("\xC3\xB1 \xCE\xB1 \xE2\x82\xAC\r\n", true), utf8},
        {"ansi.txt", "\xF1 &#945; \x80\r\n", typedAlpha},
    };
    for (const TSource& source : files)
        sources.file(source.name, source.bytes);
    t.DirTree->SetDirectory(sources.path.string());
    settle();
    ASSERT_EQ(t.lbFileList->Count(), static_cast<int>(files.size()));

    // Each page's lines before and after the insertion, in its own character set.
    struct TPage {
        const char* charset;
        bool unicode;
    };
    const TPage pages[] = {{"utf-8", true}, {"windows-1252", false}};
    int n = 0;
    for (const TPage& page : pages)
        for (const TSource& source : files) {
            SCOPED_TRACE(std::string(page.charset) + " page, " + source.name);
            const std::string enye = page.unicode ? "\xC3\xB1" : "\xF1";
            const Strings before = {"<html><head><meta charset=\"" + std::string(page.charset) + "\"></head><body>",
                                    "<p>uno " + enye + "</p>", "</body></html>", ""};
            std::string bytes;
            for (const std::string& line : before)
                bytes += line + (&line == &before.back() ? "" : "\r\n");
            const std::string path = w.folder.file("pagina" + std::to_string(++n) + ".html", bytes);
            w.form.AbreArchivo(path, false, ekHTML);
            const std::string opened = EditorText(w.memo);
            w.memo.SetSelStart(static_cast<int>(opened.find("</body>")));
            w.memo.SetSelLength(0);

            for (int i = 0; i < t.lbFileList->Count(); ++i)
                if (t.lbFileList->Item(i).Caption == source.name)
                    t.lbFileList->SetSelected(i);
            t.pmArchivosPopup();
            ASSERT_TRUE(t.mInsTxt->isVisible());
            w.form.mInsTxtClick();
            // The text the page shows, as the editor hands it to a widget.
            const QStringList shown = FromEditorText(EditorText(w.memo)).split(QLatin1Char('\r'));
            ASSERT_EQ(shown.size(), 5);
            EXPECT_EQ(shown[2].toStdString(), source.shown);

            w.form.mGuardarClick();
            EXPECT_TRUE(boxes.texts.empty()) << (boxes.texts.empty() ? "" : boxes.texts.back());
            // Only the inserted line is new, written in the page's set.
            Strings expected = before;
            const std::string alpha = std::string(source.shown) == utf8 && page.unicode ? "\xCE\xB1" : "&#945;";
            expected.insert(expected.begin() + 2, enye + " " + alpha + " " + (page.unicode ? "\xE2\x82\xAC" : "\x80"));
            EXPECT_EQ(fileLines(ReadFileBytes(path)), expected);
            w.form.mCerrarClick();
        }

    // Codes in the file stay the codes they are, as in a paste, with the conversion on as well.
    w.form.Config().InsSpecChar = true;
    sources.file("codigos.txt", "&aacute; \xC3\xB1");
    t.lbFileList->Refresh();
    settle();
    w.setText("");
    for (int i = 0; i < t.lbFileList->Count(); ++i)
        if (t.lbFileList->Item(i).Caption == "codigos.txt")
            t.lbFileList->SetSelected(i);
    t.pmArchivosPopup();
    w.form.mInsTxtClick();
    EXPECT_EQ(FromEditorText(EditorText(w.memo)).toStdString(), "&aacute; \xC3\xB1");
}

TEST(SidePanelTools, TheExplorersOpenHandsAFileWithTheExecuteBitToTheDesktopAndNeverRunsIt)
{
    TToolsWindow w;
    TSidePanelTools& t = w.tools;
    TDesktopOpener opener;
    TempDir dir("s79-fat");
    // A script under a picture's name, with the execute bit every file of a FAT drive has.
    const std::string script = MarkingProgram(dir.path, "foto.jpg");
    t.DirTree->SetDirectory(dir.path.string());
    settle();
    ASSERT_EQ(t.lbFileList->Count(), 1);
    t.lbFileList->SetSelected(0);
    t.lbFileListClick();
    t.pmArchivosPopup();
    ASSERT_TRUE(t.mAbreArchivo->isVisible());
    TBoxAnswers boxes;
    t.mAbreArchivoClick();
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(opener.Opened(), (Strings{script}));
    EXPECT_FALSE(MarkingProgramRan(script));
}

TEST(SidePanelTools, TreeFolderAndStyleLibraryComeBackAtTheNextStart)
{
    TempRegistry registry("s79-start");
    startWithoutDocuments();
    TempDir dir("s79-start");
    const std::string css = dir.file("web.css", "H1.grande{font-size:20pt}\r\n");
    {
        TformPrincipal form;
        form.show();
        settle();
        form.SideTools().DirTree->SetDirectory(dir.path.string());
        form.SideTools().CargaCSS(css);
        EXPECT_TRUE(form.close());
    }
    RegistryStore::Reload();
    TformPrincipal form;
    form.show();
    settle();
    TSidePanelTools& t = form.SideTools();
    EXPECT_EQ(form.Config().LastTreeDir, dir.path.string() + "/");
    EXPECT_EQ(t.DirTree->InitialDirectory(), dir.path.string() + "/");
    EXPECT_EQ(ToWin1252(t.eLibreria->text()), "web");
    EXPECT_EQ(listed(t.lbEstilos), (Strings{"H1.grande"}));
}

namespace {

// What a window's side panel holds: the libraries and the chosen one with its entries, the style
// library and its rules, the tree's folder, where the repeat tool is and whether the pages answer.
Strings sidePanelState(TformPrincipal& form)
{
    TSidePanel& p = form.SidePanel();
    TSidePanelTools& t = form.SideTools();
    Strings state;
    for (int i = 0; i < p.cbLibreria->count(); ++i)
        state.push_back("library " + ToWin1252(p.cbLibreria->itemText(i)));
    state.push_back("chosen " + std::to_string(p.cbLibreria->currentIndex()) + " " + p.LibraryPath());
    for (const std::string& entry : listed(p.lbLibreria))
        state.push_back("entry " + entry);
    state.push_back("styles " + ToWin1252(t.eLibreria->text()) + " " + ToWin1252(t.eLibreria->Hint()));
    for (const std::string& rule : listed(t.lbEstilos))
        state.push_back("rule " + rule);
    // The tree reads its folder when it first shows.
    const std::string folder = t.DirTree->Directory();
    state.push_back("tree " + (folder == "?" ? t.DirTree->InitialDirectory() : folder));
    const bool repeatPlaced = form.findChild<QWidget*>("eRepInicio")->parentWidget() == p.Assistant(TSidePanel::asRepetir);
    state.push_back(repeatPlaced ? "repeat tool on its assistant" : "repeat tool elsewhere");
    state.push_back(p.pcLateral->isEnabled() ? "enabled" : "locked");
    return state;
}

// The stored settings of the side panel's controls and tools.
Strings storedSidePanelSettings()
{
    TRegIniFile reg(TKestrimaConfig::kRegistryKey);
    TStringList form;
    reg.ReadSectionValues("Form", form);
    Strings stored;
    for (int i = 0; i < form.Count(); ++i)
        for (const char* name : {"cbLibreria", "shLibreriaFiles", "eLibreria", "cbFilter"})
            if (form[i].starts_with(name))
                stored.push_back(form[i]);
    for (const char* name : {"LastTreeDir", "LastStyle"})
        stored.push_back(reg.ReadString("Settings", name, "?"));
    return stored;
}

} // namespace

TEST(SidePanelTools, APanelBuiltLateHoldsWhatOneBuiltAtStartHoldsAndAWindowThatNeverBuildsItKeepsItsSettings)
{
    TempRegistry registry("side-late");
    startWithoutDocuments();
    TempDir dir("side-late");
    const std::string a = dir.file("a.cod", "[*uno*]\r\n1\r\n");
    const std::string b = dir.file("b.cod", "[*dos*]\r\n2\r\n[*tres*]\r\n3\r\n");
    const std::string css = dir.file("web.css", "H1.grande{font-size:20pt}\r\nP.nota{color:red}\r\n");
    Strings used;
    {
        TformPrincipal form;
        form.show();
        settle();
        openCodeLibraries(form, {a, b});
        form.SideTools().DirTree->SetDirectory(dir.path.string());
        form.SideTools().CargaCSS(css);
        used = sidePanelState(form);
        EXPECT_TRUE(form.close());
    }
    RegistryStore::Reload();
    const Strings stored = storedSidePanelSettings();
    ASSERT_GE(stored.size(), 6u);
    {
        // The panel stays hidden without documents: nothing of it is made, and its settings stay.
        TformPrincipal form;
        form.show();
        settle();
        EXPECT_EQ(form.findChild<QWidget*>("pcLateral"), nullptr);
        EXPECT_EQ(form.findChild<QWidget*>("DirTree"), nullptr);
        EXPECT_TRUE(form.close());
    }
    RegistryStore::Reload();
    EXPECT_EQ(storedSidePanelSettings(), stored);
    // Built before the window shows, as the panel shown at start is, or after it, as the View item
    // builds it: either way it holds what the first window left.
    for (const bool early : {true, false}) {
        RegistryStore::Reload();
        TformPrincipal form;
        if (early)
            form.SidePanel();
        form.show();
        settle();
        EXPECT_EQ(sidePanelState(form), used) << (early ? "built at start" : "built late");
    }
}

TEST(SidePanelTools, ALibrarysHintGivenBackUnchangedKeepsThePathsBytes)
{
    // A stored form gives each library's hint back as the text it showed: the path's bytes stay, even
    // those that spell no character; a hint that names another path is that path.
    TLibraryEdit edit;
    TLibraryCombo combo;
    for (const std::string& path : {std::string("/home/ana/caf\xE9/estilos.css"), std::string("/opt/\xC5\x82/a.krc")}) {
        edit.SetPath(path);
        combo.SetPath(path);
        edit.SetHint(edit.Hint());
        combo.SetHint(combo.Hint());
        EXPECT_EQ(edit.Path(), path);
        EXPECT_EQ(combo.Path(), path);
    }
    edit.SetHint(QStringLiteral("/otra/caf\u00E9.css"));
    combo.SetHint(QStringLiteral("/otra/caf\u00E9.krc"));
    EXPECT_EQ(edit.Path(), "/otra/caf\xC3\xA9.css");
    EXPECT_EQ(combo.Path(), "/otra/caf\xC3\xA9.krc");
}

TEST(SidePanelTools, TheFileListsPreviewFollowsTheHighlightedFileAndMovesNothingUnderThePointer)
{
    TToolsWindow w;
    TSidePanelTools& t = w.tools;
    TempDir dir("s134-preview");
    const auto picture = [&dir](const char* name, int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::blue);
        ASSERT_TRUE(image.save(QString::fromStdString((dir.path / name).string()), "BMP"));
    };
    picture("ancha.bmp", 40, 10);
    picture("alta.bmp", 10, 40);
    dir.file("notas.txt", "abc");
    // The explorer's page shown, as the user sees it.
    w.panel.pcLateral->SetActivePage(w.panel.tsArchivos);
    w.panel.pcLateralChange();
    t.DirTree->SetDirectory(dir.path.string());
    settle();
    ASSERT_EQ(t.lbFileList->Count(), 3);
    ASSERT_TRUE(t.lbFileList->isVisible());
    QListView& view = *t.lbFileList->IconView();
    QWidget& surface = *view.viewport();
    const auto indexOf = [&](const std::string& name) {
        for (int i = 0; i < t.lbFileList->Count(); ++i)
            if (t.lbFileList->Item(i).Caption == name)
                return view.model()->index(i, 0);
        return QModelIndex();
    };
    const auto onScreen = [&](const std::string& name) {
        return QRect(surface.mapToGlobal(view.visualRect(indexOf(name)).topLeft()), view.visualRect(indexOf(name)).size());
    };
    const auto previewShape = [&] {
        return t.pImgDirectorio->isHidden() ? QSize() : t.ImgDirectorio->pixmap().size();
    };
    ASSERT_TRUE(t.pImgDirectorio->isHidden());

    // The first picture clicked opens the preview; the items stay where the pointer found them.
    std::map<std::string, QRect> before;
    for (const char* name : {"ancha.bmp", "alta.bmp", "notas.txt"})
        before[name] = onScreen(name);
    const QRect listBefore(t.lbFileList->mapToGlobal(QPoint(0, 0)), t.lbFileList->size());
    Click(surface, view.visualRect(indexOf("ancha.bmp")).center());
    settle();
    ASSERT_FALSE(t.pImgDirectorio->isHidden());
    const QSize wide = previewShape();
    EXPECT_GT(wide.width(), wide.height());
    EXPECT_EQ(QRect(t.lbFileList->mapToGlobal(QPoint(0, 0)), t.lbFileList->size()), listBefore);
    for (const auto& [name, rect] : before)
        EXPECT_EQ(onScreen(name), rect) << name;

    // Highlighted by the keyboard, the other picture shows; a text file shows none.
    view.setFocus();
    const auto highlightWithKeys = [&](const std::string& name) {
        for (int step = 0; step < t.lbFileList->Count() && view.currentIndex() != indexOf(name); ++step) {
            QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
            QApplication::sendEvent(&view, &down);
            if (view.currentIndex() == indexOf(name))
                break;
            QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
            if (!view.currentIndex().isValid() || view.currentIndex().row() == t.lbFileList->Count() - 1)
                QApplication::sendEvent(&view, &home);
        }
        settle();
        return view.currentIndex() == indexOf(name);
    };
    ASSERT_TRUE(highlightWithKeys("alta.bmp"));
    const QSize tall = previewShape();
    EXPECT_GT(tall.height(), tall.width());
    ASSERT_TRUE(highlightWithKeys("notas.txt"));
    EXPECT_TRUE(t.pImgDirectorio->isHidden());
    ASSERT_TRUE(highlightWithKeys("ancha.bmp"));
    EXPECT_EQ(previewShape(), wide);

    // A press on the list's empty area neither inserts nor drags the file highlighted before.
    QPoint empty(-1, -1);
    for (int y = surface.height() - 2; y > 0 && empty.x() < 0; y -= 4)
        for (int x = surface.width() - 2; x > 0 && empty.x() < 0; x -= 4)
            if (!view.indexAt(QPoint(x, y)).isValid())
                empty = QPoint(x, y);
    ASSERT_GE(empty.x(), 0) << surface.width() << "x" << surface.height();
    w.setText("");
    SendMouse(surface, QEvent::MouseButtonPress, empty);
    SendMouse(surface, QEvent::MouseButtonRelease, empty);
    SendMouse(surface, QEvent::MouseButtonDblClick, empty);
    SendMouse(surface, QEvent::MouseButtonRelease, empty);
    settle();
    EXPECT_EQ(w.memo.GetTextStr(), "");
    EXPECT_EQ(view.currentIndex(), indexOf("ancha.bmp"));
    EXPECT_EQ(previewShape(), wide);
    // A drag would end on its own at the release waiting for it, and hand the keyboard to the editor.
    t.cbFilter->setFocus();
    settle();
    ASSERT_TRUE(t.cbFilter->hasFocus() || QApplication::focusWidget() == nullptr);
    const QWidget* focusBefore = w.form.focusWidget();
    SendMouse(surface, QEvent::MouseButtonPress, empty);
    QCoreApplication::postEvent(&surface, new QMouseEvent(QEvent::MouseButtonRelease, QPointF(empty),
                                                          QPointF(surface.mapToGlobal(empty)), Qt::LeftButton,
                                                          Qt::NoButton, Qt::NoModifier));
    MoveMouse(surface, empty - QPoint(30, 30), Qt::LeftButton);
    settle();
    EXPECT_EQ(w.form.focusWidget(), focusBefore);
    EXPECT_EQ(w.memo.GetTextStr(), "");

    // On the item itself a double click inserts it.
    const QPoint onItem = view.visualRect(indexOf("ancha.bmp")).center();
    SendMouse(surface, QEvent::MouseButtonPress, onItem);
    SendMouse(surface, QEvent::MouseButtonRelease, onItem);
    SendMouse(surface, QEvent::MouseButtonDblClick, onItem);
    SendMouse(surface, QEvent::MouseButtonRelease, onItem);
    EXPECT_NE(w.memo.GetTextStr().find("ancha.bmp"), std::string::npos) << w.memo.GetTextStr();
}
