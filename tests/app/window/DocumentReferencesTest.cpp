// Tests of documents with characters Windows-1252 lacks: held as references "&#N;", written back as the characters.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "app/model/CodigosISO.h"
#include "app/host/EditingFile.h"
#include "editor/CodeMemo.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Win1252.h"
#include "platform/FindDialog.h"
#include "platform/Win1252Qt.h"
#include "support/MainWindowDocuments.h"
#include "support/OpenedDocument.h"
#include "support/TempDir.h"
#include "support/Win1252Text.h"

namespace {

// The UTF-16 bytes of `units` after the byte-order mark, in either byte order.
std::string utf16(const std::u16string& units, bool bigEndian = false)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// How many times each character Windows-1252 lacks stands in UTF-8 bytes.
std::map<char32_t, int> wideCharacters(const std::string& utf8)
{
    std::map<char32_t, int> counts;
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        const size_t length = DecodeUtf8(utf8, i, cp);
        char byte;
        if (length && !CharToWin1252(cp, byte))
            ++counts[cp];
        i += length ? length : 1;
    }
    return counts;
}

// True when `at` lies inside a reference of the text, typed or held (after its "&" or mark, up to
// its ";").
bool insideReference(const std::string& text, size_t at)
{
    // A reference holds no "&" or mark after its first: only the nearest one before `at` can start it.
    const size_t start = at ? text.find_last_of("&\x1F", at - 1) : std::string::npos;
    char32_t cp;
    const size_t length = start == std::string::npos ? 0
                                                     : std::max(ReadCharacterReference(text, start, cp),
                                                                ReadHeldCharacter(text, start, cp));
    return length && at < start + length;
}

} // namespace

TEST(DocumentReferences, PagesScriptsAndUtf16FilesOpenEditableAndSaveByteForByte)
{
    TCodeMemo editor;
    const TCodigosISO entities = defaultEntities();
    TempDir folder("app");
    struct TCase {
        const char* name;
        std::string bytes;
        const char* text;   // the editor's text
        std::string typed;  // the bytes after "ab" typed at the start
    };
    const std::string page = "<p>Flecha \xE2\x86\x92 y griego \xCE\xBB\xCF\x8C\xCE\xB3\xCE\xBF\xCF\x82, \xC2\xA1s\xC3\xAD!</p>\r\n";
    const std::string script = "var ok = \"\xE2\x9C\x93 hecho\";\nalert(ok);\n";
    const std::string wide = utf16(u"<p>\u03A9 \u2192 fin</p>\r\n");
    const TCase cases[] = {
        {"griego.html", page,
         "<p>Flecha \x1F#8594; y griego \x1F#955;\x1F#972;\x1F#947;\x1F#959;\x1F#962;, \xA1s\xED!</p>\r", "ab" + page},
        {"marca.js", script, "var ok = \"\x1F#10003; hecho\";\ralert(ok);\r", "ab" + script},
        {"ancha.html", wide, "<p>\x1F#937; \x1F#8594; fin</p>\r", "\xFF\xFE" + utf16(u"ab").substr(2) + wide.substr(2)},
        {"ancha-be.html", utf16(u"\u2192\r\n", true), "\x1F#8594;\r", utf16(u"ab\u2192\r\n", true)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const TCodigosISO* table : {&entities, static_cast<const TCodigosISO*>(nullptr)}) {
            const std::string path = folder.file(c.name, c.bytes);
            TOpened opened(editor, path, table);
            EXPECT_EQ(opened.result, TDecodeResult::Converted);
            EXPECT_FALSE(opened.file.Bytes.ControlCharacters);
            EXPECT_FALSE(editor.ReadOnly());
            EXPECT_EQ(editor.StoredText(), c.text);
            EXPECT_GT(opened.file.Bytes.ReferenceCount, 0u);
            opened.save(editor, table);
            EXPECT_EQ(ReadFileBytes(path), c.bytes);
            opened.type(editor, 0, "ab");
            opened.save(editor, table);
            EXPECT_EQ(ReadFileBytes(path), c.typed);
            TEditingFile::Detach(editor);
        }
    }
}

TEST(DocumentReferences, RandomUtf8TextsKeepTheirCharactersThroughUntouchedSavesAndAsciiEdits)
{
    TCodeMemo editor;
    const TCodigosISO entities = defaultEntities();
    TempDir folder("app");
    std::mt19937 random(6262);
    const char* pieces[] = {
        "a", "b", "Z", " ", "<p>", "\n", "\r\n", "\xC3\xA1", "\xC3\xB1", "\xE2\x82\xAC", "\xC2\xA9",
        "\xE2\x86\x92", "\xE2\x9C\x93", "\xCE\xB1\xCE\xB2", "\xE4\xB8\xAD\xE6\x96\x87", "\xF0\x9F\x98\x80",
        "&#8594;", "&#10003;", "&#1234;", "&amp;", "&#65;", "&", ";",
    };
    const char* names[] = {"p.html", "s.js", "n.txt"};
    int withCharacters = 0;
    for (int round = 0; round < 300; ++round) {
        std::string bytes;
        const int count = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < count; ++i)
            bytes += pieces[random() % std::size(pieces)];
        const std::string name = names[round % 3];
        SCOPED_TRACE(testing::Message() << round << " " << name << " " << testing::PrintToString(bytes));
        const std::string path = folder.file(name, bytes);
        const TCodigosISO* table = round % 2 ? &entities : nullptr;
        TOpened opened(editor, path, table);
        EXPECT_FALSE(editor.ReadOnly());
        opened.save(editor, table);
        EXPECT_EQ(ReadFileBytes(path), bytes);

        const std::map<char32_t, int> held = wideCharacters(bytes);
        if (editor.StoredText().find(kHeldCharacterMark) != std::string::npos)
            ++withCharacters;

        // Random ASCII inserted and deleted away from the references.
        for (int edit = 0; edit < 6; ++edit) {
            const std::string now = editor.StoredText();
            const size_t at = random() % (now.size() + 1);
            if (insideReference(now, at))
                continue;
            if (random() % 2 || at == now.size()) {
                opened.type(editor, static_cast<int>(at), random() % 2 ? "x" : "q ");
            } else if (now[at] >= 'a' && now[at] <= 'z' && !insideReference(now, at + 1) &&
                       !(at > 0 && (now[at - 1] == '&' || now[at - 1] == kHeldCharacterMark))) {
                editor.SetReadOnly(false);
                TSelectionRange one{static_cast<int>(at), static_cast<int>(at) + 1};
                editor.PerformSelection(SMM_SET, one);
                editor.PerformText(EM_REPLACESEL, 1, "");
            }
        }
        const std::string edited = editor.StoredText();
        opened.save(editor, table);
        const std::string saved = ReadFileBytes(path);
        // Read again, the file gives the edited text.
        TEditingFile again(kindOf(name));
        std::string back;
        again.ReadFile(path, table, back);
        EXPECT_EQ(back, edited);
        // Every character is there, and a reference typed in the file stays a reference.
        EXPECT_EQ(wideCharacters(saved), held);
        TEditingFile::Detach(editor);
    }
    EXPECT_GT(withCharacters, 200);
}

TEST(DocumentReferences, AReferenceTypedStaysAsTypedWhateverCharactersTheDocumentHolds)
{
    TCodeMemo editor;
    TempDir folder("app");
    // The document holds ✓ but no →; a second one holds nothing outside Windows-1252.
    for (const std::string& bytes : {std::string("<p>\xE2\x9C\x93 s\xC3\xAD</p>\n"), std::string("<p>s\xC3\xAD</p>\n")}) {
        const std::string path = folder.file("p.html", bytes);
        TOpened opened(editor, path, nullptr);
        opened.type(editor, 3, "&#8594;&#10003;");
        opened.save(editor, nullptr);
        const bool check = bytes.find("\xE2\x9C\x93") != std::string::npos;
        EXPECT_EQ(ReadFileBytes(path), check ? "<p>&#8594;&#10003;\xE2\x9C\x93 s\xC3\xAD</p>\n"
                                             : "<p>&#8594;&#10003;s\xC3\xAD</p>\n");
        TEditingFile::Detach(editor);
    }
    // A Windows-1252 file never changes its references.
    const std::string old = folder.file("old.html", "<p>\xE1 &#8594;</p>\r\n");
    TOpened opened(editor, old, nullptr);
    opened.type(editor, 3, "x");
    opened.save(editor, nullptr);
    EXPECT_EQ(ReadFileBytes(old), "<p>x\xE1 &#8594;</p>\r\n");
    TEditingFile::Detach(editor);
}

TEST(DocumentReferences, TheFilesCharacterAndTheSameReferenceTypedKeepTheirFormsThroughSavesReopeningAndUndo)
{
    TCodeMemo editor;
    editor.resize(400, 300);
    TempDir folder("app");
    const TCodigosISO entities = defaultEntities();
    const auto typeKey = [&](const char* utf8) {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8(utf8));
        QCoreApplication::sendEvent(&editor, &key);
    };
    const std::string original = "Letra \xCE\xB1 griega\n";
    // The typed references as typed; a β typed as the character, saved as it.
    const std::string saved = "Letra \xCE\xB1 griega. En HTML se escribe &#945; o &#233; (\xCE\xB2)\n";
    for (const char* name : {"griega.txt", "griega.html"}) {
        SCOPED_TRACE(name);
        const std::string path = folder.file(name, original);
        {
            TOpened opened(editor, path, &entities);
            EXPECT_EQ(editor.StoredText(), "Letra \x1F#945; griega\r");
            opened.type(editor, 19, ". En HTML se escribe &#945; o &#233; (");
            typeKey("\xCE\xB2");
            typeKey(")");
            ASSERT_EQ(editor.StoredText(), "Letra \x1F#945; griega. En HTML se escribe &#945; o &#233; (\x1F#946;)\r");
            opened.save(editor, &entities);
            EXPECT_EQ(ReadFileBytes(path), saved);
            // Undone, the file's character alone; redone, each form again; saved each time.
            for (int step = 0; step < 3; ++step)
                editor.Undo();
            opened.save(editor, &entities);
            EXPECT_EQ(ReadFileBytes(path), original);
            for (int step = 0; step < 3; ++step)
                editor.Redo();
            opened.save(editor, &entities);
            EXPECT_EQ(ReadFileBytes(path), saved);
            TEditingFile::Detach(editor);
        }
        // Reopened, the text is the same, and edits around both kinds (the changed stretch holding
        // them all) keep each form: also the file's character deleted and brought back by undo.
        TOpened again(editor, path, &entities);
        const std::string text = "Letra \x1F#945; griega. En HTML se escribe &#945; o &#233; (\x1F#946;)\r";
        EXPECT_EQ(editor.StoredText(), text);
        again.type(editor, 0, "Una ");
        TSelectionRange alpha{10, 16};
        editor.PerformSelection(SMM_SET, alpha);
        editor.PerformText(EM_REPLACESEL, 1, "");
        EXPECT_EQ(editor.StoredText(), "Una Letra  griega. En HTML se escribe &#945; o &#233; (\x1F#946;)\r");
        again.save(editor, &entities);
        EXPECT_EQ(ReadFileBytes(path), "Una Letra  griega. En HTML se escribe &#945; o &#233; (\xCE\xB2)\n");
        editor.Undo();
        again.type(editor, static_cast<int>(text.size()) + 3, "!");
        EXPECT_EQ(editor.StoredText(), "Una " + text.substr(0, text.size() - 1) + "!\r");
        again.save(editor, &entities);
        EXPECT_EQ(ReadFileBytes(path), "Una " + saved.substr(0, saved.size() - 1) + "!\n");
        editor.Undo();
        editor.Undo();
        again.save(editor, &entities);
        EXPECT_EQ(ReadFileBytes(path), saved);
        editor.Redo();
        editor.Redo();
        again.save(editor, &entities);
        EXPECT_EQ(ReadFileBytes(path), "Una " + saved.substr(0, saved.size() - 1) + "!\n");
        TEditingFile::Detach(editor);
    }
}

TEST(DocumentReferences, CopyGivesTheCharactersAndPasteHoldsThem)
{
    TCodeMemo editor;
    TempDir folder("app");
    const std::string path = folder.file("p.html", "<p>a \xE2\x86\x92 b</p>\n");
    TOpened opened(editor, path, nullptr);
    TSelectionRange arrow{5, 14};
    editor.PerformSelection(SMM_SET, arrow);
    editor.CopyToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("\xE2\x86\x92 b"));

    // ✓ pasted goes in held, and is saved as ✓.
    QApplication::clipboard()->setText(QString::fromUtf8("\xE2\x9C\x93\xF0\x9F\x98\x80!"));
    TSelectionRange start{3, 3};
    editor.PerformSelection(SMM_SET, start);
    editor.PasteFromClipboard();
    EXPECT_EQ(editor.StoredText(), "<p>\x1F#10003;\x1F#128512;!a \x1F#8594; b</p>\r");
    opened.save(editor, nullptr);
    EXPECT_EQ(ReadFileBytes(path), "<p>\xE2\x9C\x93\xF0\x9F\x98\x80!a \xE2\x86\x92 b</p>\n");

    // A long paste goes in by pieces: its characters are the characters wherever they fall, its
    // references as they were; so after its undo and redo.
    editor.SelectAll();
    const std::string filler(20000, 'z');
    QApplication::clipboard()->setText(QString::fromUtf8("\xCE\xB1&#945;" + filler + "\xCE\xB1&#946;\n"));
    editor.PasteFromClipboard();
    const std::string longPaste = "\xCE\xB1&#945;" + filler + "\xCE\xB1&#946;\n";
    opened.save(editor, nullptr);
    EXPECT_TRUE(ReadFileBytes(path) == longPaste);
    editor.Undo();
    opened.save(editor, nullptr);
    EXPECT_EQ(ReadFileBytes(path), "<p>\xE2\x9C\x93\xF0\x9F\x98\x80!a \xE2\x86\x92 b</p>\n");
    editor.Redo();
    opened.save(editor, nullptr);
    EXPECT_TRUE(ReadFileBytes(path) == longPaste);
    editor.Undo();

    // Cut puts them there too, and takes them out of the text.
    TSelectionRange pasted{3, 21};
    editor.PerformSelection(SMM_SET, pasted);
    editor.CutToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("\xE2\x9C\x93\xF0\x9F\x98\x80!"));
    EXPECT_EQ(editor.StoredText(), "<p>a \x1F#8594; b</p>\r");
    TEditingFile::Detach(editor);
    // Without a document the editor takes the characters held all the same.
    QApplication::clipboard()->setText(QString::fromUtf8("\xE2\x86\x92"));
    editor.PasteFromClipboard();
    EXPECT_EQ(editor.StoredText(), "<p>\x1F#8594;a \x1F#8594; b</p>\r");
}

namespace {

// The style bytes of `typed` typed at `at` of the window's document.
std::string typedStyles(TWindow& w, int at, const std::string& typed)
{
    TSelectionRange caret{at, at};
    w.memo.PerformSelection(SMM_SET, caret);
    type(w.memo, typed);
    return w.memo.GetStyleBytes(nullptr).substr(static_cast<size_t>(at), typed.size());
}

} // namespace

TEST(DocumentReferences, RealPagesOpenEditableAndATagTypedInThemIsColouredAsElsewhere)
{
    TWindow w;
    w.form.Config().InsSpecChar = false;
    // The colours of a tag typed after a code in a page without such characters.
    const std::string plainPage = w.folder.file("plano.html", "<p>a &amp; b</p>\n");
    w.form.AbreArchivo(plainPage, false, ekHTML);
    const std::string codeStyle = w.memo.GetStyleBytes(nullptr).substr(5, 1);
    const std::string tag = typedStyles(w, 10, "<b>x</b>");
    ASSERT_NE(tag.substr(0, 1), tag.substr(3, 1));

    const std::filesystem::path data(KESTRIMA_TEST_DATA);
    int pages = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(data)) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".html" && extension != ".htm"))
            continue;
        const std::string bytes = ReadFileBytes(entry.path().string());
        if (wideCharacters(bytes).empty())
            continue;
        SCOPED_TRACE(entry.path().string());
        // A copy of its own: a name already open would only bring its tab back.
        const std::string copy = w.folder.file("copia" + std::to_string(pages) + extension, bytes);
        TBoxAnswers boxes;
        w.form.AbreArchivo(copy, false, ekHTML);
        EXPECT_TRUE(boxes.texts.empty());
        EXPECT_FALSE(w.memo.ReadOnly());
        // The note counts them, in the number the count asks for.
        const std::string note = ToWin1252(w.form.Panel(4)->text());
        const std::string count = note.substr(0, note.find(' '));
        EXPECT_EQ(note.rfind(count + (count == "1" ? " car\xE1""cter que " : " caracteres que "), 0), 0u) << note;
        const std::string text = w.memo.StoredText();
        const size_t reference = text.find(kHeldCharacterMark);
        char32_t cp;
        ASSERT_NE(reference, std::string::npos);
        ASSERT_NE(ReadHeldCharacter(text, reference, cp), 0u);
        // The held character is coloured as a code, and a tag typed after it as anywhere.
        EXPECT_EQ(w.memo.GetStyleBytes(nullptr).substr(reference, 1), codeStyle);
        const size_t after = reference + ReadHeldCharacter(text, reference, cp);
        EXPECT_EQ(typedStyles(w, static_cast<int>(after), "<b>x</b>"), tag);
        w.form.mGuardarClick();
        // Saved, every character is there beside the typed tag.
        const std::string saved = ReadFileBytes(copy);
        EXPECT_EQ(wideCharacters(saved), wideCharacters(bytes));
        EXPECT_EQ(saved.size(), bytes.size() + 8);
        ++pages;
    }
    EXPECT_GE(pages, 2);
}

TEST(DocumentReferences, ACharacterTypedAsTheReplacementIsSavedAsItselfAndAReferenceTypedThereAsTyped)
{
    TWindow w;
    TBoxAnswers boxes;
    const std::string path = w.folder.file("griego.txt", "\xCE\xB1 x x y y x\n");
    w.form.AbreArchivo(path, false, ekText);
    ASSERT_EQ(w.memo.StoredText(), "\x1F#945; x x y y x\r");
    TSelectionRange start{0, 0};
    w.memo.PerformSelection(SMM_SET, start);
    w.form.mReemplazarClick();
    TReplaceDialog* dialog = w.form.ReplaceDialog();
    ASSERT_NE(dialog, nullptr);
    auto* find = dialog->findChild<QLineEdit*>("eBuscar");
    auto* replace = dialog->findChild<QLineEdit*>("eReemplazar");
    ASSERT_TRUE(find && replace);
    const auto button = [dialog](const char* name) { dialog->findChild<QPushButton*>(name)->click(); };
    const auto fill = [&](const char* findText, const char* replacement) {
        find->clear();
        find->insert(QString::fromUtf8(findText));
        replace->clear();
        replace->insert(QString::fromUtf8(replacement));
    };
    const auto saved = [&] {
        w.form.mGuardarClick();
        return ReadFileBytes(path);
    };

    // x by the typed β: the first press selects a match, the second replaces it, then all the rest.
    fill("x", "\xCE\xB2");
    button("bReemplazar");
    button("bReemplazar");
    EXPECT_EQ(w.memo.StoredText(), "\x1F#945; \x1F#946; x y y x\r");
    button("bReemplazarTodo");
    // y by the reference typed as such, once and then the rest.
    TSelectionRange again{0, 0};
    w.memo.PerformSelection(SMM_SET, again);
    fill("y", "&#946;");
    button("bReemplazar");
    button("bReemplazar");
    button("bReemplazarTodo");
    const std::string text = "\x1F#945; \x1F#946; \x1F#946; &#946; &#946; \x1F#946;\r";
    ASSERT_EQ(w.memo.StoredText(), text);
    const std::string replaced = "\xCE\xB1 \xCE\xB2 \xCE\xB2 &#946; &#946; \xCE\xB2\n";
    EXPECT_EQ(saved(), replaced);

    // Each step undone, saved, and then redone: the forms the step left stay.
    const std::string steps[] = {
        "\xCE\xB1 \xCE\xB2 \xCE\xB2 &#946; y \xCE\xB2\n",
        "\xCE\xB1 \xCE\xB2 \xCE\xB2 y y \xCE\xB2\n",
        "\xCE\xB1 \xCE\xB2 x y y x\n",
        "\xCE\xB1 x x y y x\n",
    };
    for (const std::string& step : steps) {
        w.memo.Undo();
        EXPECT_EQ(saved(), step);
    }
    for (int i = 3; i-- > 0;) {
        w.memo.Redo();
        EXPECT_EQ(saved(), steps[i]);
    }
    w.memo.Redo();
    EXPECT_EQ(w.memo.StoredText(), text);
    EXPECT_EQ(saved(), replaced);

    // The file's α replaced everywhere by a letter comes back as the character when undone.
    TSelectionRange top{0, 0};
    w.memo.PerformSelection(SMM_SET, top);
    fill("\xCE\xB1", "a");
    button("bReemplazarTodo");
    EXPECT_EQ(saved(), "a" + replaced.substr(2));
    w.memo.Undo();
    EXPECT_EQ(saved(), replaced);
    EXPECT_TRUE(boxes.texts.empty());
}
