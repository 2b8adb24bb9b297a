// Tests of the two kinds of references on every road that moves text: a file's character held, saved as the character; a reference typed, saved as typed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "app/dialogs/UFormPaleta.h"
#include "app/dialogs/UFormReemplazar.h"
#include "app/host/EditingFile.h"
#include "app/model/CodigosISO.h"
#include "app/model/libKestrima.h"
#include "app/model/libVeltran.h"
#include "editor/CodeMemo.h"
#include "editor/model/KeyBindings.h"
#include "editor/model/RangeEdits.h"
#include "editor/model/Templates.h"
#include "platform/FindDialog.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/DocumentText.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Win1252.h"
#include "support/BoxAnswers.h"
#include "support/DragMemo.h"
#include "support/MainWindowDocuments.h"
#include "support/OpenedDocument.h"
#include "support/TempDir.h"
#include "support/TypedKeys.h"

namespace {

// The bytes a text written in a Unicode file must be, worked out character by character: a held
// character is its character, a mark beginning none the "&" it shows as, each other byte its
// Windows-1252 character; in a Windows-1252 file the held character is its reference and the rest the
// bytes. Line breaks are `lineBreak`.
std::string expectedBytes(const std::string& text, bool unicode, const std::string& lineBreak = "\n")
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\r') {
            out += lineBreak;
            continue;
        }
        if (byte == kHeldCharacterMarkByte) {
            size_t end = i + 1;
            char32_t cp = 0;
            bool digits = end < text.size() && text[end] == '#' && end + 1 < text.size() && text[end + 1] >= '1' &&
                          text[end + 1] <= '9';
            for (end += digits ? 1 : 0; digits && end < text.size() && text[end] >= '0' && text[end] <= '9'; ++end)
                cp = std::min<char32_t>(cp * 10 + static_cast<char32_t>(text[end] - '0'), 0x110000);
            char byte;
            const bool lacking = !CharToWin1252(cp, byte) && (cp < 0xD800 || cp > 0xDFFF);
            if (digits && end < text.size() && text[end] == ';' && cp <= 0x10FFFF && lacking) {
                if (unicode)
                    AppendUtf8(out, cp);
                else
                    out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
                i = end;
            } else {
                out += '&';
            }
            continue;
        }
        if (unicode)
            AppendUtf8(out, Win1252ToUnicode(byte));
        else
            out += static_cast<char>(byte);
    }
    return out;
}

// What a text reads as once written: the text itself, each mark beginning no held character an "&";
// in a Windows-1252 file every mark an "&" (its held characters are references there).
std::string shown(const std::string& text, bool unicode)
{
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        char32_t cp;
        if (out[i] == kHeldCharacterMark && (!unicode || !ReadHeldCharacter(out, i, cp)))
            out[i] = '&';
    }
    return out;
}

// The held characters of a text, by code point, and how many references it holds typed.
struct TKinds {
    std::multiset<char32_t> held;
    size_t typed = 0;
    bool operator==(const TKinds&) const = default;
};

TKinds kindsOf(const std::string& text)
{
    TKinds kinds;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp;
        if (ReadHeldCharacter(text, i, cp))
            kinds.held.insert(cp);
        else if (ReadCharacterReference(text, i, cp))
            ++kinds.typed;
    }
    return kinds;
}

// The text a replace all of a regular expression gives, worked out by the standard library's.
std::string regexReplaced(const std::string& text, const std::string& pattern, const std::string& replacement)
{
    return std::regex_replace(text, std::regex(pattern), replacement);
}

void typeCharacter(TCodeMemo& memo, const char* utf8)
{
    QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8(utf8));
    QCoreApplication::sendEvent(&memo, &key);
}

// An editor wide and high enough that every offset of a short text has a point to drop on.
struct TRoadsMemo : TDragMemo {
    TRoadsMemo() { resize(900, 500); }
};

// A model in which each character knows its kind: the text as the editor should hold it, each held
// character's "&" a mark. Every road is taken on the editor and on the model alike, `rounds` files of
// 5000 steps each in the encoding given (0 UTF-8, 1 UTF-16, 2 Windows-1252); after each step both
// agree, and each save's bytes hold every held character as the character (its reference in a
// Windows-1252 file) and every typed reference as typed, and reopen to the text.
void takeEveryRoad(int encoding, unsigned seed, int rounds)
{
    TRoadsMemo memo;
    TempDir folder("held");
    std::mt19937 random(seed);
    // Pieces of files, and what the editor holds them as.
    const std::pair<const char*, const char*> filePieces[] = {
        {"a", "a"}, {" ", " "}, {"\n", "\r"}, {"&#945;", "&#945;"}, {"\xCE\xB1", "\x1F#945;"},
        {"\xE2\x86\x92", "\x1F#8594;"}, {"\xF0\x9F\x98\x80", "\x1F#128512;"}, {"&", "&"}, {"#9", "#9"},
        {";", ";"}, {"<b>", "<b>"}, {"x", "x"}, {"\xC3\xA1", "\xE1"},
    };
    // Texts pasted from another program, and what the editor takes them as.
    const std::pair<const char*, const char*> outside[] = {
        {"\xCE\xB1", "\x1F#945;"}, {"&#945;", "&#945;"}, {"x\xE2\x86\x92y", "x\x1F#8594;y"}, {"<i>\n", "<i>\r"},
        {"\x1F#945;\x1F", ".#945;."},
    };
    const char* typedKeys[] = {"&", "#", "9", "4", "5", ";", "x", " ", "<", ">", "\xCE\xB1", "\xCE\xB2", "\xE2\x86\x92"};
    const int tools[] = {1, 2, 3, 4, 5, 6, 7, 9, 10, 11};
    const TCodigosISO table = defaultEntities();
    // Patterns of the editor's own regular expressions with their first two elements swapped (a
    // quoted string is one element), and the same in the standard library's.
    const std::pair<const char*, const char*> regexes[] = {
        {"[0-9];", "%2%1"}, {"x\"\xCE\xB1\"", "%2%1"}, {"#[0-9]", "%2%1"}, {"x.", "%2%1"},
    };
    const std::pair<const char*, const char*> standard[] = {
        {"([0-9])(;)", "$2$1"}, {"(x)(\x1F#945;)", "$2$1"}, {"(#)([0-9])", "$2$1"}, {"(x)([^\r])", "$2$1"},
    };
    size_t steps = 0, saves = 0, drags = 0;
    for (int round = 0; round < rounds; ++round) {
        std::string utf8, model;
        for (size_t n = 2 + random() % 12; n > 0; --n) {
            const auto& piece = filePieces[random() % std::size(filePieces)];
            utf8 += piece.first;
            model += piece.second;
        }
        utf8 += "\n";
        model += "\r";
        std::string bytes = utf8;
        if (encoding == 1) {
            bytes = Utf8ToUtf16(utf8, false, true);
        } else if (encoding == 2) {
            bytes = expectedBytes(model, false);
            model = shown(model, false);
            // A Windows-1252 file needs a byte beyond ASCII to be one.
            bytes = "\xE9" + bytes;
            model = "\xE9" + model;
        }
        const std::string path = folder.file("p" + std::to_string(round) + ".txt", bytes);
        auto opened = std::make_unique<TOpened>(memo, path, nullptr);
        ASSERT_EQ(memo.StoredText(), model) << round;
        std::set<std::string> seen{model};
        for (int step = 0; step < 5000; ++step, ++steps) {
            if (model.size() > 400) {
                // Kept short, so that every offset has a point in the window to drop on.
                TSelectionRange cut{100, 300};
                memo.PerformSelection(SMM_SET, cut);
                memo.PerformText(EM_REPLACESEL, 1, "");
                model.erase(100, 200);
                seen.insert(model);
            }
            const std::string before = model;
            const int size = static_cast<int>(model.size());
            int start = static_cast<int>(random() % (size + 1));
            int end = random() % 3 ? start : std::min(size, start + static_cast<int>(random() % 12));
            TSelectionRange selection{start, end};
            memo.PerformSelection(SMM_SET, selection);
            const std::string selected = model.substr(start, end - start);
            // What the clipboard and a drag carry of it: every kind, and a mark the selection cut
            // from its held character as the "&" it shows as.
            const std::string carried = shown(selected, true);
            const auto pasteAt = [&](size_t at) {
                TSelectionRange caret{static_cast<int>(at), static_cast<int>(at)};
                memo.PerformSelection(SMM_SET, caret);
                memo.PasteFromClipboard();
                model.insert(at, carried);
            };
            const int road = static_cast<int>(random() % 14);
            SCOPED_TRACE(testing::Message() << "round " << round << " step " << step << " road " << road << " at "
                                            << start << "-" << end << " in " << testing::PrintToString(before));
            switch (road) {
            case 0:
            case 1: {
                // A key typed: a character of the code page, or one it lacks.
                const char* key = typedKeys[random() % std::size(typedKeys)];
                typeCharacter(memo, key);
                std::string inserted;
                for (char32_t cp : QString::fromUtf8(key).toUcs4()) {
                    char byte;
                    inserted += CharToWin1252(cp, byte) ? std::string(1, byte) : HeldCharacter(cp);
                }
                model.replace(start, end - start, inserted);
                break;
            }
            case 2: {
                // Backspace or Delete, also inside a reference of either kind.
                const bool back = random() % 2;
                PressKey(memo, back ? VK_BACK : VK_DELETE);
                if (start != end)
                    model.erase(start, end - start);
                else if (back && start > 0)
                    model.erase(start - 1, 1);
                else if (!back && start < size)
                    model.erase(start, 1);
                break;
            }
            case 3: {
                // The program's own copy pasted elsewhere: the clipboard holds the text as meant.
                if (start == end)
                    break;
                memo.CopyToClipboard();
                std::string meant = expectedBytes(selected, true);
                std::replace(meant.begin(), meant.end(), '\r', '\n');
                ASSERT_EQ(QApplication::clipboard()->text(), QString::fromUtf8(meant));
                pasteAt(random() % (size + 1));
                break;
            }
            case 4: {
                // Cut, and pasted back further on.
                if (start == end)
                    break;
                memo.CutToClipboard();
                model.erase(start, end - start);
                seen.insert(model);
                pasteAt(random() % (model.size() + 1));
                break;
            }
            case 5: {
                // Another program's text pasted over the selection.
                const auto& piece = outside[random() % std::size(outside)];
                QApplication::clipboard()->setText(QString::fromUtf8(piece.first));
                memo.PasteFromClipboard();
                model.replace(start, end - start, piece.second);
                break;
            }
            case 6: {
                // The selection dragged, moved or copied, to a place outside it.
                if (start == end)
                    break;
                const int at = static_cast<int>(random() % (size + 1));
                if ((at >= start - 1 && at <= end + 1) || !memo.rect().contains(pointOf(memo, at)))
                    break;
                const bool copy = random() % 2;
                memo.DropAt = at;
                memo.Keys = copy ? Qt::ControlModifier : Qt::NoModifier;
                const Qt::DropAction done = memo.DragSelection(Qt::CopyAction | Qt::MoveAction);
                // A point that the view's scrolling took onto the selection drops nothing.
                if (done == Qt::IgnoreAction)
                    break;
                ASSERT_EQ(done, copy ? Qt::CopyAction : Qt::MoveAction);
                ++drags;
                // The dropped text stands selected where the drop put it (near the point dropped on).
                if (!copy)
                    model.erase(start, end - start);
                model.insert(OrderedSelection(memo).Start, carried);
                break;
            }
            case 7: {
                // A text tool of the Selection menu, as the window runs it: on the selection as it
                // reads it, a mark cut from its held character the "&" it shows as; held characters
                // stay held and typed references typed (a tag stripped takes those inside it).
                if (start == end)
                    break;
                const int tool = tools[random() % std::size(tools)];
                const std::string result = ApplyTextTool(tool, shown(selected, true), random() % 2, table);
                memo.PerformText(EM_REPLACESEL, 1, result.c_str());
                model.replace(start, end - start, NormalisedInsertion(result));
                if (tool != 7) {
                    ASSERT_EQ(kindsOf(result).held, kindsOf(selected).held) << tool;
                }
                break;
            }
            case 8:
            case 9: {
                // Undo and redo give back states the text has been in, kinds and all.
                const int count = 1 + static_cast<int>(random() % 3);
                for (int i = 0; i < count; ++i)
                    road == 8 ? memo.Undo() : memo.Redo();
                model = memo.StoredText();
                ASSERT_TRUE(seen.count(model)) << testing::PrintToString(model);
                break;
            }
            case 10: {
                // Replace all of a regular expression with its elements swapped.
                const size_t which = random() % std::size(regexes);
                memo.Perform(SMM_REPLACE, smsRegExpr, 0);
                TReplaceDialog* dialog = memo.ReplaceDialog();
                ASSERT_NE(dialog, nullptr);
                dialog->SetOptions(frDown | frMatchCase);
                dialog->findChild<QLineEdit*>("eBuscar")->setText(QString::fromUtf8(regexes[which].first));
                dialog->findChild<QLineEdit*>("eReemplazar")->setText(QString::fromUtf8(regexes[which].second));
                TSelectionRange top{0, 0};
                memo.PerformSelection(SMM_SET, top);
                TBoxAnswers boxes;
                dialog->ClickReplaceAll();
                dialog->CloseDialog();
                model = regexReplaced(model, standard[which].first, standard[which].second);
                break;
            }
            case 11: {
                // Replace all of plain text as the window's dialog makes it: a character typed there
                // goes in held, a reference typed as typed.
                const std::string beta = random() % 2 ? "\x1F#946;" : "&#946;";
                TSelectionRange top{0, 0};
                memo.PerformSelection(SMM_SET, top);
                TBoxAnswers boxes;
                ReplaceAllText(memo, frDown | frMatchCase | frReplaceAll, "x", beta);
                for (size_t at = model.find('x'); at != std::string::npos; at = model.find('x', at + beta.size()))
                    model.replace(at, 1, beta);
                break;
            }
            case 12: {
                // Indent and unindent move only blanks.
                if (start == end)
                    break;
                memo.ExecuteCommand(random() % 2 ? ecIndentBlock : ecUnindentBlock, 0, false);
                const std::string now = memo.StoredText();
                const auto blanks = [](std::string text) {
                    std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
                    return text;
                };
                ASSERT_EQ(blanks(now), blanks(model));
                model = now;
                break;
            }
            default: {
                // Saved without a question, the bytes are the model's; reopened, the text is.
                ASSERT_TRUE(opened->file.Bytes.SaveBytes(model, nullptr).ReadsBack);
                opened->save(memo, nullptr);
                ++saves;
                const TDocumentFormat& format = opened->file.Bytes.Format;
                const bool unicode = format.Utf8 || format.Utf16 != TDocumentFormat::TUtf16::None;
                const bool utf16 = format.Utf16 != TDocumentFormat::TUtf16::None;
                const std::string written = ReadFileBytes(path);
                const std::string wanted = expectedBytes(model, unicode, format.LineBreak);
                ASSERT_EQ(written, utf16 ? Utf8ToUtf16(wanted, false, true) : wanted);
                model = shown(model, unicode);
                if (random() % 4 == 0) {
                    // Read again: the undo log starts anew.
                    TEditingFile::Detach(memo);
                    opened = std::make_unique<TOpened>(memo, path, nullptr);
                    seen.clear();
                }
                ASSERT_EQ(shown(memo.StoredText(), unicode), model);
                model = memo.StoredText();
                break;
            }
            }
            ASSERT_EQ(memo.StoredText(), model);
            seen.insert(model);
        }
        TEditingFile::Detach(memo);
    }
    EXPECT_EQ(steps, rounds * 5000u);
    EXPECT_GT(saves, steps / 20);
    EXPECT_GT(drags, steps / 100);
}

} // namespace

// Four runs of 50 000 steps, which the test runner runs side by side.
TEST(HeldCharacters, EveryRoadKeepsEachCharactersKindInUtf8Files)
{
    takeEveryRoad(0, 125, 10);
}

TEST(HeldCharacters, EveryRoadKeepsEachCharactersKindInMoreUtf8Files)
{
    takeEveryRoad(0, 126, 10);
}

TEST(HeldCharacters, EveryRoadKeepsEachCharactersKindInUtf16Files)
{
    takeEveryRoad(1, 127, 10);
}

TEST(HeldCharacters, EveryRoadKeepsEachCharactersKindInWindows1252Files)
{
    takeEveryRoad(2, 128, 10);
}

TEST(HeldCharacters, ATextToolOfTheWindowKeepsTheFilesCharacters)
{
    // Selección > Minúsculas over a line holding α, in a script, a text and a page.
    TWindow w;
    w.form.Config().InsSpecChar = false;
    const std::pair<const char*, int> files[] = {{"s.js", ekJavaScript}, {"s.txt", ekText}, {"s.html", ekHTML}};
    for (const auto& [name, kind] : files) {
        SCOPED_TRACE(name);
        const std::string path = w.folder.file(name, "var s = \"UNO \xCE\xB1 DOS\";\n");
        w.form.AbreArchivo(path, false, kind);
        TSelectionRange line{0, 24};
        w.memo.PerformSelection(SMM_SET, line);
        w.form.proHerramientasTexto(4);
        w.form.mGuardarClick();
        EXPECT_EQ(ReadFileBytes(path), "var s = \"uno \xCE\xB1 dos\";\n");
    }
}

TEST(HeldCharacters, AnUndoGivesBackTheCharacterAnEditCutInto)
{
    // "Letra α griega": an edit that cuts into the reference shown for α, undone; then letters typed
    // at both ends and the page saved.
    TCodeMemo memo;
    TempDir folder("held");
    const auto cut = [&](int at, const std::function<void()>& edit) {
        const std::string path = folder.file("letra.txt", "Letra \xCE\xB1 griega\n");
        TOpened opened(memo, path, nullptr);
        TSelectionRange caret{at, at};
        memo.PerformSelection(SMM_SET, caret);
        edit();
        memo.Undo();
        opened.type(memo, 0, "X");
        opened.type(memo, static_cast<int>(memo.StoredText().size()) - 1, "Y");
        opened.save(memo, nullptr);
        EXPECT_EQ(ReadFileBytes(path), "XLetra \xCE\xB1 griegaY\n");
        TEditingFile::Detach(memo);
    };
    // Backspace after its ";", a key typed inside it, a paste inside it, a deletion ending inside it.
    cut(12, [&] { PressKey(memo, VK_BACK); });
    cut(9, [&] { typeCharacter(memo, "z"); });
    cut(9, [&] {
        QApplication::clipboard()->setText("pegado");
        memo.PasteFromClipboard();
    });
    cut(3, [&] {
        TSelectionRange across{3, 9};
        memo.PerformSelection(SMM_SET, across);
        memo.PerformText(EM_REPLACESEL, 1, "");
    });
}

TEST(HeldCharacters, AControlByteNeverBecomesAMarkAndTheSaveNeitherAsksNorChangesTheText)
{
    // "é x α y" in a UTF-8 and a Windows-1252 file; on each road the text holds "." for U+001F, and
    // a reference whose digits were edited to name a control character is typed text ("&#31;").
    TCodeMemo memo;
    TempDir folder("control");
    struct TRoad {
        const char* name;
        std::function<void()> edit;
        const char* holds;
    };
    const TRoad roads[] = {
        {"paste", [&] {
             QApplication::clipboard()->setText(QString::fromUtf8("<\x1F>"));
             memo.PasteFromClipboard();
         }, "\xE9 <.>x \x1F#945; y\r"},
        {"EM_REPLACESEL", [&] { memo.PerformText(EM_REPLACESEL, 1, "<\x1F>\x1F#31;"); }, "\xE9 <.>.#31;x \x1F#945; y\r"},
        {"EM_REPLACESEL of one", [&] { memo.PerformText(EM_REPLACESEL, 1, "\x1F"); }, "\xE9 .x \x1F#945; y\r"},
        {"WM_SETTEXT", [&] { memo.PerformText(WM_SETTEXT, 0, "\xE9 \x1F\x1F#945;\x1F#31;\r"); }, "\xE9 .\x1F#945;.#31;\r"},
        {"digits", [&] {
             TSelectionRange digits{6, 9};
             memo.PerformSelection(SMM_SET, digits);
             typeCharacter(memo, "3");
             typeCharacter(memo, "1");
         }, "\xE9 x \x1F#31; y\r"},
    };
    for (const bool unicode : {true, false}) {
        for (const TRoad& road : roads) {
            SCOPED_TRACE(testing::Message() << road.name << (unicode ? " in UTF-8" : " in Windows-1252"));
            // A Windows-1252 file holds α as its reference, read as typed; the character comes pasted.
            const std::string path = folder.file("c.txt", unicode ? "\xC3\xA9 x \xCE\xB1 y\n" : "\xE9 x \xE9 y\n");
            TOpened opened(memo, path, nullptr);
            if (!unicode) {
                TSelectionRange e{4, 5};
                memo.PerformSelection(SMM_SET, e);
                QApplication::clipboard()->setText(QString::fromUtf8("\xCE\xB1"));
                memo.PasteFromClipboard();
            }
            TSelectionRange caret{2, 2};
            memo.PerformSelection(SMM_SET, caret);
            road.edit();
            const std::string text = memo.StoredText();
            EXPECT_EQ(text, road.holds);
            // The save does not ask; the bytes hold no control byte 0x1F, and read back as the text
            // the author saw.
            EXPECT_TRUE(opened.file.Bytes.SaveBytes(text, nullptr).ReadsBack);
            opened.save(memo, nullptr);
            const std::string bytes = ReadFileBytes(path);
            EXPECT_EQ(bytes, expectedBytes(text, unicode));
            EXPECT_EQ(bytes.find('\x1F'), std::string::npos);
            TEditingFile::Detach(memo);
            TOpened reopened(memo, path, nullptr);
            EXPECT_EQ(memo.StoredText(), shown(text, unicode));
            TEditingFile::Detach(memo);
        }
    }
}

TEST(HeldCharacters, TheSaveTellsAReferenceTypedFromTheFilesCharacterWhateverTheyLookLike)
{
    TCodeMemo memo;
    TempDir folder("held");
    const auto edited = [&](const std::string& bytes, const std::function<void(TOpened&)>& edit) {
        const std::string path = folder.file("p.txt", bytes);
        TOpened opened(memo, path, nullptr);
        edit(opened);
        opened.save(memo, nullptr);
        TEditingFile::Detach(memo);
        return ReadFileBytes(path);
    };
    // A literal "&#945;", then the character: the first seven characters deleted leave the character.
    EXPECT_EQ(edited("&#945; \xCE\xB1", [&](TOpened&) {
                  TSelectionRange first{0, 7};
                  memo.PerformSelection(SMM_SET, first);
                  memo.PerformText(EM_REPLACESEL, 1, "");
              }),
              "\xCE\xB1");
    // "&#945;" typed just before the character stays as typed.
    EXPECT_EQ(edited("a \xCE\xB1 b", [&](TOpened& opened) { opened.type(memo, 2, "&#945;"); }), "a &#945;\xCE\xB1 b");
    // Typed over the reference shown for the character, "&#945;" is typed text.
    EXPECT_EQ(edited("a \xCE\xB1 b", [&](TOpened&) {
                  TSelectionRange shown{2, 8};
                  memo.PerformSelection(SMM_SET, shown);
                  for (char c : std::string("&#945;"))
                      typeCharacter(memo, std::string(1, c).c_str());
              }),
              "a &#945; b");
    // A real α pasted over a literal "&#945;" is the character.
    EXPECT_EQ(edited("a &#945; b", [&](TOpened&) {
                  TSelectionRange literal{2, 8};
                  memo.PerformSelection(SMM_SET, literal);
                  QApplication::clipboard()->setText(QString::fromUtf8("\xCE\xB1"));
                  memo.PasteFromClipboard();
              }),
              "a \xCE\xB1 b");
}

TEST(HeldCharacters, TheClipboardAndADragCarryTheTextAsMeant)
{
    // A text file holding α, with "&#945; y &#233;" typed after it.
    TRoadsMemo memo;
    TempDir folder("held");
    const std::string path = folder.file("t.txt", "\xCE\xB1\n");
    TOpened opened(memo, path, nullptr);
    opened.type(memo, 6, "&#945; y &#233;");
    TSelectionRange typed{6, 21};
    memo.PerformSelection(SMM_SET, typed);
    memo.CopyToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("&#945; y &#233;"));
    // The whole line copies as the character and the typed references.
    TSelectionRange all{0, 21};
    memo.PerformSelection(SMM_SET, all);
    memo.CopyToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QString::fromUtf8("\xCE\xB1&#945; y &#233;"));
    // Pasted at the end and dragged (a copy) to the start, each keeps its kind in the file.
    TSelectionRange end{22, 22};
    memo.PerformSelection(SMM_SET, end);
    memo.PasteFromClipboard();
    memo.PerformSelection(SMM_SET, typed);
    memo.DropAt = 0;
    memo.Keys = Qt::ControlModifier;
    ASSERT_EQ(memo.DragSelection(Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
    opened.save(memo, nullptr);
    EXPECT_EQ(ReadFileBytes(path), "&#945; y &#233;\xCE\xB1&#945; y &#233;\n\xCE\xB1&#945; y &#233;");
    TEditingFile::Detach(memo);
}

TEST(HeldCharacters, ReplaceInFilesWritesACharacterTypedAsTheCharacterAndAReferenceTypedAsTyped)
{
    TWindow w;
    // UTF-8 pages.
    const std::string arrow = w.folder.file("flecha.html", "<p>\xC3\xA1 -> b</p>\n");
    const std::string greek = w.folder.file("griego.html", "\xCE\xB1 y x\n");
    TformReemplazar form(w.form);
    form.AddFile(arrow);
    form.AddFile(greek);
    TBoxAnswers boxes;
    form.edtFind->setText("->");
    form.edtReplace->setText(QString::fromUtf8("\xE2\x86\x92"));
    form.btnStartClick();
    EXPECT_EQ(ReadFileBytes(arrow), "<p>\xC3\xA1 \xE2\x86\x92 b</p>\n");
    form.edtFind->setText("x");
    form.edtReplace->setText("&#946;");
    form.btnStartClick();
    EXPECT_EQ(ReadFileBytes(greek), "\xCE\xB1 y &#946;\n");
}

TEST(HeldCharacters, AKeysCharacterFindsItsItemInEveryKeyDrivenList)
{
    // Characters Windows-1252 has (ASCII, a letter and two signs of its upper half) and characters
    // it lacks (Greek, Chinese, one beyond the 16-bit range): each begins one name, held as the
    // editor's text holds it, and typing it finds that name in every list that keys search.
    const std::vector<char32_t> characters = {U'a', U'Z', U'\u00F1', U'\u20AC', U'\u0153', U'\u03B2',
                                              U'\u03A9', U'\u4E2D', U'\U0001F600'};
    std::vector<std::string> names;
    for (char32_t c : characters)
        names.push_back(ToEditorText(QString::fromUcs4(&c, 1)) + "x");
    std::mt19937 random(140);

    QWidget window;
    window.resize(500, 400);
    auto* memo = new TCodeMemo(&window);
    memo->setGeometry(0, 0, 500, 400);
    window.show();
    TCodeTemplates& templates = memo->CodeTemplateList();
    for (const std::string& name : names)
        templates.SetTemplate(name, "", "t");
    SetText(*memo, "x ");
    Select(*memo, 2, 2);
    PressKey(*memo, 'J', ssCtrl);
    auto* popup = memo->findChild<QListWidget*>();
    ASSERT_TRUE(popup && popup->isVisible());

    TempDir folder("palette");
    TFormColor palette;
    std::string file;
    for (size_t i = 0; i < names.size(); ++i)
        file += Format("%06zX-color\r\n", i);
    ASSERT_TRUE(palette.LoadPalette(folder.file("p.pal", file)));
    // The names as the editor's text holds them (the file's bytes are Windows-1252 text).
    palette.Names = names;

    for (int round = 0; round < 5; ++round) {
        std::vector<size_t> order(characters.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::shuffle(order.begin(), order.end(), random);
        for (size_t i : order) {
            const std::string& name = names[i];
            TypeCharacter(*popup, characters[i]);
            ASSERT_TRUE(popup->currentItem());
            EXPECT_EQ(ToEditorText(popup->currentItem()->text()), AsciiLowerCase(name)) << round << ": " << i;
            TypeCharacter(*palette.ListBox1, characters[i]);
            EXPECT_EQ(palette.ListBox1->currentRow(), static_cast<int>(i)) << round << ": " << i;
        }
    }
    // Nothing typed into the pop-up reached the page.
    EXPECT_EQ(memo->StoredText(), "x ");
}
