// Tests of TEditingFile: a document's state in and out of a shared editor, reading and writing its file.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <sys/stat.h>

#include "app/model/CodigosISO.h"
#include "app/host/EditingFile.h"
#include "app/model/EditorKind.h"
#include "app/model/libVeltran.h"
#include "platform/core/SysUtils.h"
#include "editor/CodeMemo.h"
#include "editor/model/Undo.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Messages.h"
#include "platform/core/ScopeGuard.h"
#include "support/BoxAnswers.h"
#include "support/FileSizeLimit.h"
#include "support/OpenedDocument.h"
#include "support/TempDir.h"
#include "support/TwoUsers.h"
#include "support/Unprivileged.h"

namespace {

std::string randomText(std::mt19937& random)
{
    std::string text;
    const int lines = 1 + static_cast<int>(random() % 80);
    for (int i = 0; i < lines; ++i) {
        const int length = static_cast<int>(random() % 40);
        for (int j = 0; j < length; ++j)
            text += static_cast<char>(' ' + random() % 95);
        text += '\r';
    }
    return text;
}

} // namespace

TEST(EditingFile, StartsUntitledSavedAndWithoutUndoLog)
{
    const TEditingFile file(3);
    EXPECT_EQ(file.Tipo, 3);
    EXPECT_EQ(file.UndoStack, nullptr);
    EXPECT_TRUE(file.PilaNueva);
    EXPECT_TRUE(file.Guardado);
    EXPECT_EQ(file.FileName, "");
    EXPECT_EQ(file.Seleccion.Start, 0);
    EXPECT_EQ(file.Seleccion.End, 0);
    for (const TMarcador& mark : file.Marcadores)
        EXPECT_FALSE(mark.Set);
    EXPECT_EQ(file.Bytes.Format, TDocumentFormat{});
    EXPECT_TRUE(file.Bytes.Format.Utf8);
}

TEST(EditingFile, DocumentsSwappedThroughOneEditorKeepTheirWholeState)
{
    TCodeMemo editor;
    editor.resize(400, 300);
    int changes = 0;
    editor.OnTextChange = [&](TCodeMemoCore*, int, int) { ++changes; };
    std::mt19937 random(4646);
    TEditingFile files[2] = {TEditingFile(1), TEditingFile(2)};
    struct TExpected {
        std::string text;
        TSelectionRange selection{0, 0};
        int topLine = 1;
        int bookmarkLine = 0;
        std::string search;
    } expected[2];
    files[0].RestauraEstado(editor);
    EXPECT_NE(files[0].UndoStack, nullptr);
    EXPECT_EQ(editor.UndoStack(), files[0].UndoStack.get());
    int current = 0;
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE(round);
        TExpected& e = expected[current];
        // The document is changed in the editor, then swapped out and the other one swapped in.
        e.text = randomText(random);
        editor.SelectAll();
        editor.PerformText(EM_REPLACESEL, 1, e.text.c_str());
        const int length = static_cast<int>(e.text.size());
        e.selection = {static_cast<int>(random() % (length + 1)), static_cast<int>(random() % (length + 1))};
        editor.PerformSelection(SMM_SET, e.selection);
        const int lines = static_cast<int>(std::count(e.text.begin(), e.text.end(), '\r'));
        e.bookmarkLine = 1 + static_cast<int>(random() % lines);
        int line, column;
        if (editor.GetBookmark(4, line, column))
            editor.SetBookmark(4, line, column);
        editor.SetBookmark(4, e.bookmarkLine, 1);
        e.topLine = editor.CaretControl().GetTopLine();
        e.search = "buscar " + std::to_string(round);
        editor.SearchText = e.search;
        editor.SearchFlags = round;
        changes = 0;
        files[current].GuardaEstado(editor);
        current = 1 - current;
        files[current].RestauraEstado(editor);
        // Swapping is no edit.
        EXPECT_EQ(changes, 0);
        if (round == 0)
            continue;
        const TExpected& back = expected[current];
        EXPECT_EQ(editor.StoredText(), back.text);
        TSelectionRange selection{};
        editor.PerformSelection(0, selection);
        EXPECT_EQ(selection.Start, back.selection.Start);
        EXPECT_EQ(selection.End, back.selection.End);
        EXPECT_EQ(editor.CaretControl().GetTopLine(), back.topLine);
        ASSERT_TRUE(editor.GetBookmark(4, line, column));
        EXPECT_EQ(line, back.bookmarkLine);
        EXPECT_FALSE(editor.GetBookmark(5, line, column));
        EXPECT_EQ(editor.SearchText, back.search);
        EXPECT_EQ(editor.ActiveParser(), files[current].Tipo);
        EXPECT_EQ(editor.UndoStack(), files[current].UndoStack.get());
        EXPECT_TRUE(files[current].GetText().empty());
    }
    // Each log undoes its own document's edits back to its empty start.
    while (editor.CanUndo())
        editor.Undo();
    EXPECT_EQ(editor.StoredText(), "");
    editor.SetUndoStack(nullptr);
}

TEST(EditingFile, ASaveThatWouldReopenAsAnotherTextAsksFirst)
{
    TempDir folder("app");
    TCodigosISO entities;
    entities.LoadFromText("\xAC &not;\n");
    const std::string bytes = "\xAC<!--INI_OMITECHAR-->\xC3\xA1";
    TEditingFile file(1);
    file.FileName = folder.file("p\xC3\xA1gina.htm", bytes);
    std::string text;
    EXPECT_EQ(file.ReadFile(file.FileName, &entities, text), TDecodeResult::Bytes);
    EXPECT_FALSE(file.Bytes.Format.Utf8);
    file.SetText("X" + text + "Y");
    file.Guardado = false;
    {
        // No writes nothing.
        TBoxAnswers no({IDNO});
        EXPECT_TRUE(file.WriteFile(false, &entities).Declined);
        ASSERT_EQ(no.texts.size(), 1u);
        EXPECT_EQ(no.texts[0].rfind("\"" + FilePathText(file.FileName) + "\" no se puede guardar en Windows-1252", 0), 0u)
            << no.texts[0];
        EXPECT_NE(no.texts[0].find("\xBF" "Desea guardarlo en UTF-8?"), std::string::npos) << no.texts[0];
        EXPECT_EQ(ReadFileBytes(file.FileName), bytes);
        EXPECT_FALSE(file.Guardado);
    }
    {
        // Yes writes UTF-8, which reopens to the text; the document goes on in UTF-8 without asking.
        TBoxAnswers yes({IDYES}, IDNO);
        EXPECT_FALSE(file.WriteFile(false, &entities).Declined);
        EXPECT_EQ(yes.texts.size(), 1u);
        EXPECT_EQ(ReadFileBytes(file.FileName), "X&not;<!--INI_OMITECHAR-->\xC3\x83\xC2\xA1Y");
        EXPECT_TRUE(file.Guardado);
        EXPECT_TRUE(file.Bytes.Format.Utf8);
        TEditingFile again(1);
        std::string back;
        again.ReadFile(file.FileName, &entities, back);
        EXPECT_EQ(back, file.GetText());
        file.SetText(file.GetText() + "Z");
        file.WriteFile(false, &entities);
        EXPECT_EQ(yes.texts.size(), 1u);
        EXPECT_EQ(ReadFileBytes(file.FileName), "X&not;<!--INI_OMITECHAR-->\xC3\x83\xC2\xA1YZ");
    }
}

TEST(EditingFile, CodesTheAuthorTypesSaveWithoutAQuestionAndLeaveTheRestAsItWas)
{
    TempDir folder("app");
    TCodigosISO shipped, builtin;
    ASSERT_TRUE(shipped.LoadFromFile(std::string(KESTRIMA_SOURCE_DIR) + "/resources/iso8859-1.kyb"));
    builtin.LoadDefaults();
    // A Windows-1252 page and a UTF-8 one, each with an untouched "ñ" on a line of its own.
    for (const TCodigosISO* table : {&shipped, &builtin}) {
        for (const std::string& bytes : {std::string("<p>caf\xE9</p>\r\n<p>\xF1</p>\r\n"),
                                         std::string("<p>caf\xC3\xA9</p>\r\n<p>\xC3\xB1</p>\r\n")}) {
            SCOPED_TRACE(bytes);
            TEditingFile file(1);
            file.FileName = folder.file("codigos.htm", bytes);
            std::string text;
            file.ReadFile(file.FileName, table, text);
            const std::string typed = " x&nbsp;y &copy; &aacute; &amp; AT&T";
            const size_t lineEnd = text.find("</p>") + 4;
            file.SetText(text.substr(0, lineEnd) + typed + text.substr(lineEnd));
            TBoxAnswers none;
            for (int save = 0; save < 2; ++save) {
                EXPECT_FALSE(file.WriteFile(false, table).Declined);
                // The codes as typed, every other byte as it was.
                EXPECT_EQ(ReadFileBytes(file.FileName), bytes.substr(0, bytes.find("</p>") + 4) + typed +
                                                             bytes.substr(bytes.find("</p>") + 4));
            }
            EXPECT_TRUE(none.texts.empty()) << none.texts[0];
        }
    }
}

TEST(EditingFile, WritingConvertsEntitiesKeepsTheFormatAndMakesBackups)
{
    TempDir folder("app");
    TCodigosISO entities;
    entities.LoadDefaults();
    TEditingFile file(1);
    file.FileName = folder.file("page.htm", "antes");
    file.SetText("\xE1rbol\rfin");
    file.Guardado = false;
    file.WriteFile(true, &entities);
    EXPECT_TRUE(file.Guardado);
    EXPECT_EQ(ReadFileBytes(file.FileName), "&aacute;rbol\r\nfin");
    EXPECT_EQ(ReadFileBytes(folder.path.string() + "/page.~tm"), "antes");

    // The format read from the file is the one written back; untouched bytes stay untouched.
    std::string text;
    const std::string utf8 = folder.file("u.txt", "\xC3\xB1\n");
    TEditingFile textFile(2);
    EXPECT_EQ(textFile.ReadFile(utf8, nullptr, text), TDecodeResult::Converted);
    EXPECT_EQ(text, "\xF1\r");
    textFile.FileName = utf8;
    textFile.SetText("\xF1\xF1\r");
    textFile.WriteFile(false, nullptr);
    EXPECT_EQ(ReadFileBytes(utf8), "\xC3\xB1\xC3\xB1\n");
    EXPECT_FALSE(FileExists(folder.path.string() + "/u.~xt"));

    // A character Windows-1252 lacks is held as its reference and written back as the character.
    const std::string arrow = folder.file("a.htm", "\xE2\x86\x92 \xC3\xA1");
    TEditingFile raw(1);
    EXPECT_EQ(raw.ReadFile(arrow, &entities, text), TDecodeResult::Converted);
    EXPECT_EQ(text, "\x1F#8594; \xE1");
    EXPECT_EQ(raw.Bytes.ReferenceCount, 1u);
    raw.FileName = arrow;
    raw.SetText("x" + text);
    raw.WriteFile(false, &entities);
    EXPECT_EQ(ReadFileBytes(arrow), "x\xE2\x86\x92 \xC3\xA1");

    // Entities are read as characters.
    const std::string coded = folder.file("c.htm", "&ntilde;&amp;");
    EXPECT_EQ(file.ReadFile(coded, &entities, text), TDecodeResult::Bytes);
    EXPECT_EQ(text, "\xF1&amp;");
    EXPECT_THROW(file.ReadFile(folder.path.string(), nullptr, text), EFOpenError);

    // An untitled document is not written.
    TEditingFile untitled(1);
    EXPECT_FALSE(untitled.SaveToFile());
}

TEST(EditingFile, AWriteThatFailsLeavesTheFileAndItsBackupAlone)
{
    TempDir folder("app");
    TEditingFile file(1);
    // A name inside a folder that does not exist cannot take a temporary file beside it.
    file.FileName = folder.path.string() + "/falta/page.htm";
    file.SetText("texto");
    file.Guardado = false;
    EXPECT_THROW(file.WriteFile(true, nullptr), EFCreateError);
    EXPECT_FALSE(file.Guardado);
    EXPECT_TRUE(ReadFolder(folder.path.string()).empty());
}

namespace {


// Random document bytes: control characters, NUL, every mixture of CR and LF, UTF-8 and
// Windows-1252 letters, characters Windows-1252 lacks, invalid UTF-8, codes and stray "&".
std::string randomDocument(std::mt19937& random)
{
    static const char* const pieces[] = {
        "a", "b", "Z", " ", "\t", "\r", "\n", "\r\n", "\n\r", "\r\r\n", "\x01", "\x0C", "\x1B", "NUL",
        "\xC3\xA1", "\xC3\xB1", "\xE2\x80\x9C", "\xE1", "\xF1", "\x93", "\xE2\x86\x92", "\xC3", "\xFF", "\xEF\xBB\xBF",
        "&aacute;", "&ntilde;", "&", ";", "&amp;", "<p>", "<!--INI_OMITECHAR-->", "<!--FIN_OMITECHAR-->",
    };
    std::string bytes;
    const int count = static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) {
        const size_t pick = random() % std::size(pieces);
        // The NUL piece is one byte that a C string cannot hold.
        if (pick == 13)
            bytes += '\0';
        else
            bytes += pieces[pick];
    }
    return bytes;
}

} // namespace

TEST(EditingFile, AnyBytesOfAnyKindComeBackWhenUntouchedAndAroundATypedLetter)
{
    TCodeMemo editor;
    const TCodigosISO entities = defaultEntities();
    TempDir folder("app");
    std::mt19937 random(5959);
    const char* names[] = {"p.htm", "s.js", "e.css", "n.txt"};
    for (int round = 0; round < 600; ++round) {
        const std::string bytes = randomDocument(random);
        const std::string name = names[round % 4];
        SCOPED_TRACE(testing::Message() << round << " " << name << " " << testing::PrintToString(bytes));
        const std::string path = folder.file(name, bytes);
        const TCodigosISO* table = round % 8 < 4 ? &entities : nullptr;
        TOpened opened(editor, path, table);
        // The text as the editor holds it is the text the document reckons with.
        EXPECT_EQ(editor.StoredText(), TDocumentBytes::StoredForm(editor.StoredText()));
        opened.save(editor, table);
        EXPECT_EQ(ReadFileBytes(path), bytes);

        opened.type(editor, 0, "X");
        opened.save(editor, table);
        const bool mark = opened.result == TDecodeResult::Converted && bytes.starts_with("\xEF\xBB\xBF");
        EXPECT_EQ(ReadFileBytes(path), mark ? "\xEF\xBB\xBFX" + bytes.substr(3) : "X" + bytes);
        // A second untouched save writes what the first one did.
        opened.save(editor, table);
        EXPECT_EQ(ReadFileBytes(path), mark ? "\xEF\xBB\xBFX" + bytes.substr(3) : "X" + bytes);
        editor.SetUndoStack(nullptr);
    }
}

TEST(EditingFile, EveryFileOfTheCorpusSurvivesAnUntouchedSave)
{
    TCodeMemo editor;
    const TCodigosISO entities = defaultEntities();
    TempDir folder("app");
    const std::filesystem::path data(KESTRIMA_TEST_DATA);
    int files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(data)) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || extension == ".png")
            continue;
        SCOPED_TRACE(entry.path().string());
        const std::string bytes = ReadFileBytes(entry.path().string());
        const std::string copy = folder.file("copia" + extension, bytes);
        for (const TCodigosISO* table : {&entities, static_cast<const TCodigosISO*>(nullptr)}) {
            TOpened opened(editor, copy, table);
            opened.save(editor, table, true);
            EXPECT_EQ(ReadFileBytes(copy), bytes);
            opened.type(editor, 0, "<!-- -->");
            opened.save(editor, table);
            EXPECT_EQ(ReadFileBytes(copy).substr(ReadFileBytes(copy).size() - bytes.size() + (bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0)),
                      bytes.substr(bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0));
            WriteFileBytes(copy, bytes);
            editor.SetUndoStack(nullptr);
        }
        ++files;
    }
    EXPECT_GE(files, 10);
}

TEST(EditingFile, ControlCharactersAndBinaryFilesKeepTheirBytes)
{
    TCodeMemo editor;
    TempDir folder("app");
    const std::string script = std::string("var s=\"\x01\";\x0C\x1B") + '\0' + "fin\r\n";
    const std::string path = folder.file("min.js", script);
    TOpened opened(editor, path, nullptr);
    EXPECT_TRUE(opened.file.Bytes.ControlCharacters);
    EXPECT_EQ(editor.StoredText(), "var s=\".\";...fin\r");
    opened.save(editor, nullptr);
    EXPECT_EQ(ReadFileBytes(path), script);
    // An edit keeps the control characters it did not touch.
    opened.type(editor, static_cast<int>(editor.StoredText().size()), "x");
    opened.save(editor, nullptr);
    EXPECT_EQ(ReadFileBytes(path), script + "x");
    editor.SetUndoStack(nullptr);

    // A binary file does not grow.
    std::string binary;
    for (int i = 0; i < 256; ++i)
        binary += static_cast<char>(i);
    const std::string picture = folder.file("foto.txt", binary + binary);
    TOpened image(editor, picture, nullptr);
    EXPECT_TRUE(image.file.Bytes.ControlCharacters);
    image.save(editor, nullptr);
    EXPECT_EQ(ReadFileBytes(picture), binary + binary);
    editor.SetUndoStack(nullptr);
    const std::string plain = folder.file("bien.txt", "a\tb\r\n");
    TOpened text(editor, plain, nullptr);
    EXPECT_FALSE(text.file.Bytes.ControlCharacters);
    editor.SetUndoStack(nullptr);
}

TEST(EditingFile, CodesAreForHtmlOnly)
{
    TCodeMemo editor;
    const TCodigosISO entities = defaultEntities();
    TempDir folder("app");
    const std::string script = "var s = \"A\xC3\xB1o &aacute;\";\n";
    // The file, what the editor shows, and the file after a letter typed at the start.
    const struct {
        const char* name;
        std::string bytes, shown, typed, written;
    } cases[] = {
        {"s.js", script, "var s = \"A\xF1o &aacute;\";\r", "\xE9", "\xC3\xA9" + script},
        {"e.css", script, "var s = \"A\xF1o &aacute;\";\r", "\xE9", "\xC3\xA9" + script},
        {"n.txt", script, "var s = \"A\xF1o &aacute;\";\r", "\xE9", "\xC3\xA9" + script},
        {"p.htm", "<p>&aacute;</p>\n", "<p>\xE1</p>\r", "\xF1", "&ntilde;<p>&aacute;</p>\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file(c.name, c.bytes);
        TOpened opened(editor, path, &entities);
        EXPECT_EQ(editor.StoredText(), c.shown);
        opened.type(editor, 0, c.typed.c_str());
        opened.save(editor, &entities);
        EXPECT_EQ(ReadFileBytes(path), c.written);
        editor.SetUndoStack(nullptr);
    }
}

TEST(EditingFile, MixedLineBreaksKeepTheirBytesAndNewLinesTakeTheMostCommonKind)
{
    TCodeMemo editor;
    TempDir folder("app");
    const std::string path = folder.file("m.txt", "a\r\r\nb\r\n");
    TOpened opened(editor, path, nullptr);
    EXPECT_EQ(opened.file.Bytes.Format.LineBreak, "\r\n");
    opened.save(editor, nullptr);
    EXPECT_EQ(ReadFileBytes(path), "a\r\r\nb\r\n");
    opened.type(editor, static_cast<int>(editor.StoredText().size()), "c\rd");
    opened.save(editor, nullptr);
    EXPECT_EQ(ReadFileBytes(path), "a\r\r\nb\r\nc\r\nd");
    // A new break typed between a kept lone CR and a kept LF does not join them into one.
    const std::string lone = folder.file("l.txt", "x\ry\nz\n");
    TOpened other(editor, lone, nullptr);
    EXPECT_EQ(other.file.Bytes.Format.LineBreak, "\n");
    other.type(editor, 2, "\r");
    other.save(editor, nullptr);
    const std::string written = ReadFileBytes(lone);
    std::string text;
    TEditingFile again(2);
    again.ReadFile(lone, nullptr, text);
    EXPECT_EQ(text, "x\r\ry\rz\r");
    EXPECT_EQ(written, "x\r\r\ny\nz\n");
    editor.SetUndoStack(nullptr);
}

TEST(EditingFile, NewDocumentsAreUtf8AndWindows1252FilesStaySo)
{
    TempDir folder("app");
    TEditingFile fresh(1);
    fresh.FileName = folder.path.string() + "/nuevo.htm";
    fresh.SetText("<meta charset=\"utf-8\">\r\x93" "comillas\x94 \x80\r");
    fresh.WriteFile(false, nullptr);
    EXPECT_EQ(ReadFileBytes(fresh.FileName),
              "<meta charset=\"utf-8\">\r\n\xE2\x80\x9C" "comillas\xE2\x80\x9D \xE2\x82\xAC\r\n");
    // Reads `from` (as a model when asked), appends `typed` and writes the text to `to`.
    const auto appended = [](const std::string& from, const std::string& to, const std::string& typed, bool model) {
        TEditingFile file(1);
        std::string text;
        file.ReadFile(from, nullptr, text, model);
        file.FileName = to;
        file.SetText(text + typed);
        file.WriteFile(false, nullptr);
        return ReadFileBytes(to);
    };
    // A model makes a new document: UTF-8 too, whatever the model was.
    const std::string model = folder.file("modelo.htm", "<p>caf\xE9</p>");
    EXPECT_EQ(appended(model, folder.path.string() + "/desde.htm", "", true), "<p>caf\xC3\xA9</p>");
    EXPECT_EQ(ReadFileBytes(model), "<p>caf\xE9</p>");
    // A file read as Windows-1252 keeps it; an ASCII file takes UTF-8 for what is typed into it.
    const std::string old = folder.file("viejo.htm", "caf\xE9");
    EXPECT_EQ(appended(old, old, "\x93", false), "caf\xE9\x93");
    const std::string ascii = folder.file("ascii.htm", "cafe");
    EXPECT_EQ(appended(ascii, ascii, "\xE9", false), "cafe\xC3\xA9");
}

TEST(EditingFile, AStrayAmpersandKeepsTheCodesAfterIt)
{
    const TCodigosISO entities = defaultEntities();
    TempDir folder("app");
    TEditingFile file(1);
    file.FileName = folder.path.string() + "/p.htm";
    const std::string text = "P\xE9rez & Hijos, se\xF1or ?a=1&b=2 AT&T \xE1";
    file.SetText(text);
    file.WriteFile(false, &entities);
    EXPECT_EQ(ReadFileBytes(file.FileName), "P&eacute;rez & Hijos, se&ntilde;or ?a=1&b=2 AT&T &aacute;");
    std::string back;
    TEditingFile reopened(1);
    reopened.ReadFile(file.FileName, &entities, back);
    EXPECT_EQ(back, text);
}

TEST(EditingFile, SavingThroughALinkTwiceKeepsTheLinkAndBacksUpBesideIt)
{
    TCodeMemo editor;
    TempDir folder("app");
    std::filesystem::create_directory(folder.path / "real");
    const std::string real = folder.file("real/index.htm", "<p>uno</p>");
    const std::string link = (folder.path / "index.htm").string();
    std::filesystem::create_symlink("real/index.htm", link);
    TOpened opened(editor, link, nullptr);
    opened.type(editor, 0, "2");
    opened.save(editor, nullptr, true);
    opened.type(editor, 0, "3");
    opened.save(editor, nullptr, true);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(std::filesystem::canonical(link), std::filesystem::canonical(real));
    EXPECT_EQ(ReadFileBytes(real), "32<p>uno</p>");
    EXPECT_EQ(ReadFileBytes((folder.path / "index.~tm").string()), "2<p>uno</p>");
    EXPECT_FALSE(std::filesystem::exists(folder.path / "real/index.~tm"));
    editor.SetUndoStack(nullptr);
}

TEST(EditingFile, AClosedFolderIsWrittenInPlaceWithoutItsBackupOnlyWhenTheUserSaysSo)
{
    TempDir folder("app");
    const std::string page = folder.file("page.htm", "antes");
    if (geteuid() == 0) {
        ASSERT_EQ(chown(folder.path.c_str(), kNobody, kNobody), 0);
        ASSERT_EQ(chown(page.c_str(), kNobody, kNobody), 0);
    }
    chmod(folder.path.c_str(), 0555);
    const TUnprivilegedRun run = RunUnprivileged([&]() -> std::string {
        TBoxAnswers boxes({IDNO, IDYES});
        TEditingFile file(1);
        file.FileName = page;
        file.SetText("despu\xE9s");
        try {
            if (!file.WriteFile(true, nullptr).Declined || ReadFileBytes(page) != "antes")
                return "written without its backup although the user said No";
            const TEditingFile::TWriteReport report = file.WriteFile(true, nullptr);
            return boxes.texts.size() == 2 && !report.Declined ? "" : "not asked before each write";
        } catch (const Exception& e) {
            return "not written: " + e.Message();
        }
    });
    chmod(folder.path.c_str(), 0755);
    if (run.Skipped)
        GTEST_SKIP() << run.Failure;
    EXPECT_EQ(run.Failure, "");
    EXPECT_EQ(ReadFileBytes(page), "despu\xC3\xA9s");

    // A read-only file is refused with the reason, and left alone.
    chmod(page.c_str(), 0444);
    const TUnprivilegedRun refused = RunUnprivileged([&]() -> std::string {
        TEditingFile file(1);
        file.FileName = page;
        file.SetText("otra vez");
        try {
            file.WriteFile(true, nullptr);
        } catch (const EFCreateError& e) {
            return e.Message().find(SysErrorMessage(EACCES)) != std::string::npos ? "" : e.Message();
        }
        return "a read-only file was written";
    });
    EXPECT_EQ(refused.Failure, "");
    EXPECT_EQ(ReadFileBytes(page), "despu\xC3\xA9s");
}

TEST(EditingFile, AColleaguesPageIsWrittenOnlyAfterItsBackupOrWhenTheAuthorSaysSoBeforeAnythingIsWritten)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can play two users";
    TSharedPage shared(01777, kColleagueUser);
    ASSERT_TRUE(shared.Ok);
    const std::string backup = BackupFileName(shared.Page);
    // A folder stands where the backup goes, and the author may not replace it.
    ASSERT_EQ(mkdir(backup.c_str(), 0755), 0);
    const std::string before = FileState(shared.Page);
    const std::string question = "No ha sido posible hacer la copia de seguridad de '" + shared.Page + "' en '" + backup +
                                 "': es una carpeta, no un archivo normal.\n\nEl archivo es de otro usuario o su "
                                 "carpeta no admite archivos nuevos, as\xED que se reescribe en su sitio: si la "
                                 "escritura se interrumpiera, el archivo quedar\xED""a da\xF1""ado sin copia.\n\n\xBF"
                                 "Desea escribirlo sin copia de seguridad? Si responde No, el archivo queda como estaba.";
    // The author's answer; what the page was when the question was shown.
    const auto saveAnswering = [&](int answer, TEditingFile::TWriteReport& report) -> std::string {
        std::vector<std::string> texts, states;
        std::vector<unsigned> flags;
        const TMessageBoxHook previous = SetMessageBoxHook([&](const std::string& text, const std::string&, unsigned f) {
            texts.push_back(text);
            flags.push_back(f);
            states.push_back(FileState(shared.Page));
            return answer;
        });
        const TScopeGuard restore([&] { SetMessageBoxHook(previous); });
        TEditingFile file(ekHTML);
        file.FileName = shared.Page;
        std::string text;
        file.ReadFile(shared.Page, nullptr, text);
        file.SetText(text + "<p>del autor</p>");
        try {
            report = file.WriteFile(true, nullptr);
        } catch (const Exception& e) {
            return "not written: " + e.Message();
        }
        if (texts != std::vector<std::string>{question})
            return "asked " + std::to_string(texts.size()) + ": " + (texts.empty() ? "" : texts[0]);
        if (flags[0] != (MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2))
            return "asked with the flags " + std::to_string(flags[0]);
        if (states[0] != before)
            return "the page was written before the answer";
        return "";
    };
    const TUnprivilegedRun no = RunUnprivilegedAs(kAuthorUser, [&]() -> std::string {
        TEditingFile::TWriteReport report;
        const std::string failure = saveAnswering(IDNO, report);
        return !failure.empty() ? failure : report.Declined ? "" : "a No was not a declined save";
    });
    if (no.Skipped)
        GTEST_SKIP() << no.Failure;
    EXPECT_EQ(no.Failure, "");
    EXPECT_EQ(FileState(shared.Page), before);

    const TUnprivilegedRun yes = RunUnprivilegedAs(kAuthorUser, [&]() -> std::string {
        TEditingFile::TWriteReport report;
        const std::string failure = saveAnswering(IDYES, report);
        // Asked already, the missing backup is not told a second time.
        return !failure.empty() ? failure : report.Declined || report.NoBackup ? "told twice or not written" : "";
    });
    EXPECT_EQ(yes.Failure, "");
    EXPECT_EQ(ReadFileBytes(shared.Page), "<p>uno</p><p>del autor</p>");
    struct stat after {};
    ASSERT_EQ(stat(shared.Page.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, kColleagueUser);
    EXPECT_TRUE(std::filesystem::is_directory(backup));

    // With its backup made, a write that fails halfway (the disk fills up) puts the page back as it
    // was, asking nothing.
    ASSERT_EQ(rmdir(backup.c_str()), 0);
    const std::string written = ReadFileBytes(shared.Page);
    const TUnprivilegedRun halfway = RunUnprivilegedAs(kAuthorUser, [&]() -> std::string {
        TBoxAnswers boxes({}, IDNO);
        TEditingFile file(ekHTML);
        file.FileName = shared.Page;
        file.SetText(std::string(64 * 1024, 'x'));
        const TFileSizeLimit limit(4096);
        if (!limit.set)
            return "no file-size limit";
        try {
            file.WriteFile(true, nullptr);
        } catch (const EFCreateError& e) {
            if (e.Message().find(SysErrorMessage(EFBIG)) == std::string::npos)
                return "the reason given was " + e.Message();
            return boxes.texts.empty() ? "" : "asked: " + boxes.texts[0];
        }
        return "written past the limit";
    });
    EXPECT_EQ(halfway.Failure, "");
    EXPECT_EQ(ReadFileBytes(shared.Page), written);
    EXPECT_EQ(ReadFileBytes(backup), written);
}

TEST(EditingFile, APageSwappedForAnotherUsersLinkIsNeverWrittenThroughAndTheFileLeftAloneIsNamed)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can play two users";
    // Whatever the system's protection of links says, in a sticky folder and in an open one.
    int runs = 0;
    for (const int protection : {1, 0}) {
        TProtectedSymlinksWhile setting(protection);
        if (!setting.Set && runs > 0)
            continue;
        for (const mode_t mode : {mode_t(01777), mode_t(0777)}) {
            ++runs;
            TSharedPage shared(mode, kColleagueUser);
            ASSERT_TRUE(shared.Ok);
            // The author opens the colleague's page; then the colleague puts a link in its place.
            TEditingFile file(ekHTML);
            file.FileName = shared.Page;
            std::string text;
            file.ReadFile(shared.Page, nullptr, text);
            std::filesystem::remove(shared.Page);
            ASSERT_EQ(shared.colleaguesLink("p.html"), shared.Page);
            const std::string before = shared.secretState();
            const std::string secret = std::filesystem::canonical(shared.Secret).string();
            const TUnprivilegedRun run = RunUnprivilegedAs(kAuthorUser, [&]() -> std::string {
                // Every question is answered Yes: none may lead to the secret file.
                TBoxAnswers boxes({}, IDYES);
                file.SetText(text + "\recho hola\r");
                if (file.DiskChange() != TEditingFile::TDiskChange::Planted)
                    return "the link was not taken for another user's";
                if (file.SaveToFile())
                    return "the save went through the link";
                if (boxes.texts.size() != 1 || boxes.texts[0].find(secret) == std::string::npos)
                    return "the file left alone was not named";
                return "";
            });
            if (run.Skipped)
                GTEST_SKIP() << run.Failure;
            EXPECT_EQ(run.Failure, "") << "protected_symlinks " << (setting.Set ? protection : -1) << ", folder "
                                       << std::oct << mode;
            EXPECT_EQ(shared.secretState(), before);
            EXPECT_TRUE(std::filesystem::is_symlink(shared.Page));
        }
    }
}

TEST(EditingFile, SavesWhileAnotherUserExchangesThePageAndALinkNeverWriteTheLinksTarget)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can play two users";
    // The colleague's page in a sticky folder is written in place; the author's own in an open
    // folder is replaced by a new file: both ways are raced.
    for (const auto& [mode, owner] : {std::pair{mode_t(01777), kColleagueUser}, std::pair{mode_t(0777), kAuthorUser}}) {
        TSharedPage shared(mode, owner);
        ASSERT_TRUE(shared.Ok);
        const std::string link = shared.colleaguesLink("enlace.html");
        ASSERT_FALSE(link.empty());
        TEditingFile file(ekHTML);
        file.FileName = shared.Page;
        std::string text;
        file.ReadFile(shared.Page, nullptr, text);
        const std::string before = shared.secretState();
        TNameExchanger colleague(kColleagueUser, shared.Page, link, std::chrono::seconds(120));
        ASSERT_TRUE(colleague.Started());
        const TUnprivilegedRun run = RunUnprivilegedAs(kAuthorUser, [&]() -> std::string {
            TBoxAnswers boxes({}, IDYES);
            int saved = 0, tried = 0, pages = 0;
            std::string refusal;
            // At least 200 saves, and on until one has gone through, within a generous limit.
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            for (; tried < 200 || (saved == 0 && std::chrono::steady_clock::now() < limit); ++tried) {
                file.SetText("<p>guardado " + std::to_string(tried) + "</p>");
                // Whatever the look found, the write is tried: it must refuse by itself.
                pages += file.DiskChange() != TEditingFile::TDiskChange::Planted;
                try {
                    file.WriteFile(true, nullptr);
                    ++saved;
                } catch (const EFCreateError& e) {
                    refusal = e.Message();
                }
            }
            return saved > 0 ? "" : "no save of " + std::to_string(tried) + " went through (" + std::to_string(pages) +
                                        " found the page); the last refusal: " + refusal;
        });
        const long exchanges = colleague.Stop();
        if (run.Skipped)
            GTEST_SKIP() << run.Failure;
        EXPECT_EQ(run.Failure, "") << std::oct << mode;
        EXPECT_GT(exchanges, 0);
        EXPECT_EQ(shared.secretState(), before) << std::oct << mode;
        // No temporary file is left behind, and the page is one of the two names.
        for (const auto& entry : std::filesystem::directory_iterator(shared.Folder))
            EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
        const std::string page = ReadFileBytes(std::filesystem::is_symlink(shared.Page) ? link : shared.Page);
        EXPECT_EQ(page.rfind("<p>", 0), 0u) << page;
    }
}

TEST(EditingFile, AStateThatCannotBeReadIsNeverTakenForUnchanged)
{
    TempDir folder("app");
    const std::string page = folder.file("page.htm", "<p>uno</p>");
    TEditingFile file(ekHTML);
    file.FileName = page;
    std::string text;
    file.ReadFile(page, nullptr, text);
    EXPECT_EQ(file.DiskChange(), TEditingFile::TDiskChange::None);
    // A name that leads round in a circle of links has no state to read. (The file read stays, under
    // another name, so that no new file takes its inode.)
    std::filesystem::rename(page, folder.path / "leida.htm");
    std::filesystem::create_symlink("otra.htm", page);
    std::filesystem::create_symlink("page.htm", folder.path / "otra.htm");
    EXPECT_EQ(file.DiskChange(), TEditingFile::TDiskChange::Unknown);
    EXPECT_EQ(file.DiskError(), ELOOP);
    // The user's own link to another file: the name leads elsewhere, and the question names where.
    std::filesystem::remove(page);
    std::filesystem::remove(folder.path / "otra.htm");
    const std::string other = folder.file("otra.htm", "<p>otra</p>");
    std::filesystem::create_symlink("otra.htm", page);
    EXPECT_EQ(file.DiskChange(), TEditingFile::TDiskChange::Elsewhere);
    EXPECT_EQ(file.DiskTarget(), std::filesystem::canonical(other).string());
    // Answered Yes, that file is written; the next save finds the name where it was written.
    file.SetText("<p>dos</p>");
    file.WriteFile(false, nullptr);
    EXPECT_EQ(ReadFileBytes(other), "<p>dos</p>");
    EXPECT_EQ(file.DiskChange(), TEditingFile::TDiskChange::None);
}
