// Code templates and auto-replace: matching before the caret, expansion shaping, trigger keys, files and streams.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/model/EditingCore.h"
#include "editor/model/Templates.h"
#include "platform/Keys.h"

#include "StreamBytes.h"
#include "support/StringCursor.h"

namespace {

// The string cursor, counting reads at or after `Limit` to catch looks past the caret.
class StringCursor : public TStringCursor {
public:
    using TStringCursor::TStringCursor;
    char CurrentChar()
    {
        if (GetPos() >= Limit)
            ++ReadsPastLimit;
        return TStringCursor::CurrentChar();
    }

    int64_t Limit = INT64_MAX;
    int ReadsPastLimit = 0;
};

bool inWord(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (c >= '0' && c <= '9') || c == '\'' ||
           c == '-';
}
bool startsWord(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// The offsets of a text laid out in lines: the display column of an offset (no TABs here).
int columnIn(const std::string& text, int offset)
{
    int lineStart = offset;
    while (lineStart > 0 && text[static_cast<size_t>(lineStart - 1)] != '\r')
        --lineStart;
    return offset - lineStart;
}

// What the editor's expansion does with the model's pieces, on a plain string.
struct Expander {
    std::string text;
    int caret = 0;
    std::string lastKey;

    void attach(TMacroKeywords& list, bool autoReplace)
    {
        list.OnExpand = [this, autoReplace](TMacroKeywords& source, const std::string& key, std::string& body) {
            lastKey = key;
            if (autoReplace) {
                StringCursor cursor(text);
                if (!TAutoReplace::CanReplace(cursor, caret - static_cast<int>(key.size()), key, body,
                                              inWord, startsWord))
                    return;
            }
            TMacroInsertion edit = source.PrepareExpansion(caret, caret, key, body,
                                                           [this](int offset) { return columnIn(text, offset); });
            text.replace(static_cast<size_t>(edit.Start), static_cast<size_t>(edit.End - edit.Start), edit.Text);
            caret = edit.CaretOffset >= 0 ? edit.Start + edit.CaretOffset
                                          : edit.Start + static_cast<int>(edit.Text.size());
        };
    }
    TMacroKeyOutcome press(TMacroKeywords& list, int vk, TShiftState shift)
    {
        StringCursor cursor(text);
        // The editor hands over its own word tests, of any callable type.
        return list.HandleKey(vk, shift, cursor, caret, [](char c) { return inWord(c); }, startsWord);
    }
};

std::string tempFile(const char* name)
{
    const char* dir = std::getenv("KESTRIMA_CONFIG_DIR");
    return std::string(dir ? dir : "/tmp") + "/" + name;
}

} // namespace

TEST(Templates, ExpansionIndentsFollowingLinesAndPlacesTheCaretAtTheBar)
{
    TCodeTemplates templates;
    templates.SetTemplate("for", "bucle", "for (|)");
    templates.SetTemplate("if", "", "if () {\r\n}");
    Expander editor;
    editor.attach(templates, false);

    editor.text = "    for";
    editor.caret = 7;
    TMacroKeyOutcome outcome = editor.press(templates, 'J', ssCtrl);
    EXPECT_TRUE(outcome.Consumed);
    EXPECT_EQ(editor.text, "    for ()");
    EXPECT_EQ(editor.caret, 9);

    // The stored text has a single CR; the second line gets the column of the key's start.
    editor.text = "x\r    IF";
    editor.caret = 8;
    editor.press(templates, 'J', ssCtrl);
    EXPECT_EQ(editor.lastKey, "IF");
    EXPECT_EQ(editor.text, "x\r    if () {\r    }");
    EXPECT_EQ(editor.caret, static_cast<int>(editor.text.size()));

    // The pieces on their own: a handler's LF text is indented as well, and the key is only taken
    // back when it fits before the selection.
    TMacroInsertion edit = templates.PrepareExpansion(10, 12, "ab", "a\nb|c\r\nd", [](int) { return 2; });
    EXPECT_EQ(edit.Start, 8);
    EXPECT_EQ(edit.End, 12);
    EXPECT_EQ(edit.Text, "a\r  bc\r  d");
    EXPECT_EQ(edit.CaretOffset, 5);
    edit = templates.PrepareExpansion(1, 1, "abc", "x", nullptr);
    EXPECT_EQ(edit.Start, 1);
    EXPECT_EQ(edit.CaretOffset, -1);

    // Auto-replace lists neither indent nor take the bar.
    TAutoReplace replace;
    edit = replace.PrepareExpansion(6, 6, "teh", "a|\rb", [](int) { return 4; });
    EXPECT_EQ(edit.Text, "a|\rb");
    EXPECT_EQ(edit.CaretOffset, -1);
}

TEST(Templates, MatchFindsTheLongestKeyBeforeTheCaretWithoutCase)
{
    TCodeTemplates templates;
    templates.SetTemplate("for", "", "F");
    templates.SetTemplate("each", "", "E");
    templates.SetTemplate("foreach", "", "FE");
    templates.SetTemplate("a", "", "A");

    TMacroMatch match;
    StringCursor cursor("x.ForEach");
    ASSERT_TRUE(templates.MatchBeforeCaret(cursor, 9, match));
    EXPECT_EQ(match.Start, 2);
    EXPECT_EQ(match.Key, "ForEach");
    EXPECT_EQ(match.Text, "FE");

    // Anything may stand before a key; a key must end right at the caret.
    StringCursor glued("xfor");
    ASSERT_TRUE(templates.MatchBeforeCaret(glued, 4, match));
    EXPECT_EQ(match.Key, "for");
    EXPECT_FALSE(templates.MatchBeforeCaret(glued, 3, match));

    // A key at the very start of the text.
    StringCursor atStart("for x");
    ASSERT_TRUE(templates.MatchBeforeCaret(atStart, 3, match));
    EXPECT_EQ(match.Start, 0);
    EXPECT_EQ(match.Text, "F");

    // With the caret at the start nothing lies before it: no match, and nothing after it is read.
    StringCursor after("a");
    after.Limit = 0;
    EXPECT_FALSE(templates.MatchBeforeCaret(after, 0, match));
    EXPECT_EQ(after.ReadsPastLimit, 0);

    // Deleting an entry moves the later ones down; their matches still find their own texts.
    templates.DeleteTemplate("EACH");
    EXPECT_EQ(templates.Count(), 3);
    StringCursor rest("a foreach for");
    ASSERT_TRUE(templates.MatchBeforeCaret(rest, 9, match));
    EXPECT_EQ(match.Text, "FE");
    ASSERT_TRUE(templates.MatchBeforeCaret(rest, 13, match));
    EXPECT_EQ(match.Text, "F");
    ASSERT_TRUE(templates.MatchBeforeCaret(rest, 1, match));
    EXPECT_EQ(match.Text, "A");
    StringCursor gone("each");
    EXPECT_FALSE(templates.MatchBeforeCaret(gone, 4, match));
}

TEST(Templates, MatchReadsTheEditorTextAcrossRecords)
{
    TCodeTemplates templates;
    templates.SetTemplate("foreach", "", "FE");
    templates.SetTemplate("x", "", "X");
    TCodeMemoCore editor;
    // The long line is cut into records of 2047 characters, the key straddling the cut.
    const std::string text = "a\r" + std::string(2043, 'x') + " ForEach";
    editor.InsertText(text.c_str());
    ASSERT_GE(editor.RecordCount(), 3);
    TEdStream cursor(&editor);
    cursor.Reset(editor.FirstRecord(), 0, 0);

    TMacroMatch match;
    ASSERT_TRUE(templates.MatchBeforeCaret(cursor, editor.TextLength(), match));
    EXPECT_EQ(match.Key, "ForEach");
    EXPECT_EQ(match.Start, editor.TextLength() - 7);
    EXPECT_EQ(match.Text, "FE");
    ASSERT_TRUE(templates.MatchBeforeCaret(cursor, 2045, match));
    EXPECT_EQ(match.Start, 2044);
    EXPECT_FALSE(templates.MatchBeforeCaret(cursor, 2, match)); // right after the line break

    EXPECT_EQ(TMacroKeywords::TypedWordBeforeCaret(cursor, editor.TextLength(), inWord,
                                                   startsWord),
              "foreach");
    EXPECT_EQ(TMacroKeywords::TypedWordBeforeCaret(cursor, 1, inWord, startsWord), "a");
}

TEST(Templates, ListKeepsOneNormalisedEntryPerKey)
{
    TCodeTemplates templates;
    templates.SetTemplate("While", "bucle", "while\r\n(\n)\x01\t|");
    ASSERT_EQ(templates.Count(), 1);
    EXPECT_EQ(templates.Entry(0).Key, "while");
    EXPECT_EQ(templates.Entry(0).Text, "while\r(\r).\t|");

    templates.SetTemplate("WHILE", "otra", "w");
    templates.SetTemplate("do", "", "");
    ASSERT_EQ(templates.Count(), 2);
    EXPECT_EQ(templates.Entry(0).Key, "do");
    EXPECT_EQ(templates.Entry(1).Description, "otra");

    std::string text = "unchanged";
    EXPECT_TRUE(templates.Lookup("While", text));
    EXPECT_EQ(text, "w");
    EXPECT_TRUE(templates.Lookup("do", text));
    EXPECT_EQ(text, "");
    text = "unchanged";
    EXPECT_FALSE(templates.Lookup("whil", text));
    EXPECT_FALSE(templates.Lookup("whilex", text));
    EXPECT_FALSE(templates.Lookup("xwhile", text));
    EXPECT_EQ(text, "unchanged");

    templates.DeleteTemplate("nothing");
    templates.DeleteTemplate("While");
    EXPECT_EQ(templates.Count(), 1);
    EXPECT_FALSE(templates.Lookup("while", text));
}

TEST(Templates, HotKeyExpandsOrAsksForThePopup)
{
    TCodeTemplates templates;
    templates.SetTemplate("for", "bucle for", "for (|)");
    templates.SetTemplate("while", "", "while ()");
    Expander editor;
    editor.attach(templates, false);
    editor.text = "x wh";
    editor.caret = 4;

    // Other keys and an empty text do nothing.
    EXPECT_FALSE(editor.press(templates, 'J', 0).Consumed);
    EXPECT_FALSE(editor.press(templates, 'K', ssCtrl).ShowPopup);
    Expander empty;
    empty.attach(templates, false);
    EXPECT_FALSE(empty.press(templates, 'J', ssCtrl).ShowPopup);

    // No key before the caret: the pop-up list with the word typed so far.
    TMacroKeyOutcome outcome = editor.press(templates, 'J', ssCtrl);
    EXPECT_FALSE(outcome.Consumed);
    EXPECT_TRUE(outcome.ShowPopup);
    EXPECT_EQ(outcome.TypedWord, "wh");
    EXPECT_EQ(editor.text, "x wh");

    editor.text = "a 12Ab-c";
    editor.caret = 8;
    EXPECT_EQ(editor.press(templates, 'J', ssCtrl).TypedWord, "ab-c");

    templates.ShowPopup = 0;
    EXPECT_FALSE(editor.press(templates, 'J', ssCtrl).ShowPopup);

    // Without a handler a match changes nothing and lets the key through.
    templates.OnExpand = nullptr;
    editor.text = "for";
    editor.caret = 3;
    outcome = editor.press(templates, 'J', ssCtrl);
    EXPECT_FALSE(outcome.Consumed);
    EXPECT_EQ(editor.text, "for");
}

TEST(Templates, PopupItemsAndTypeAheadSearch)
{
    TCodeTemplates templates;
    templates.SetTemplate("for", "bucle for", "");
    templates.SetTemplate("foreach", "", "");
    templates.SetTemplate("while", "bucle while", "");
    EXPECT_EQ(templates.PopupItemText(0), "bucle for\tfor");
    EXPECT_EQ(templates.PopupItemText(1), "foreach");
    EXPECT_EQ(templates.PopupInitialItem("whi"), 2);
    EXPECT_EQ(templates.PopupInitialItem("zz"), 0);
    EXPECT_EQ(TCodeTemplates().PopupInitialItem(""), -1);

    std::string buffer;
    EXPECT_EQ(templates.PopupSearch(buffer, "F"), 0);
    EXPECT_EQ(templates.PopupSearch(buffer, "o"), 0);
    EXPECT_EQ(templates.PopupSearch(buffer, "r"), 0);
    EXPECT_EQ(templates.PopupSearch(buffer, "e"), 1);
    EXPECT_EQ(buffer, "Fore");
    EXPECT_EQ(templates.PopupSearch(buffer, "w"), 2); // no "forew": starts again with "w"
    EXPECT_EQ(buffer, "w");
    EXPECT_EQ(templates.PopupSearch(buffer, "q"), -1);
    EXPECT_EQ(buffer, "");
    EXPECT_EQ(templates.PopupSearch(buffer, "q"), -1);
    EXPECT_EQ(buffer, "");
}

TEST(AutoReplace, ReplacesBeforeATriggerButNotInsideAWord)
{
    TAutoReplace replace;
    replace.AddReplacement("teh", "the");
    Expander editor;
    editor.attach(replace, true);

    editor.text = "say teh";
    editor.caret = 7;
    EXPECT_FALSE(editor.press(replace, 'A', 0).Consumed);
    EXPECT_EQ(editor.text, "say teh");
    // The space goes on to the editor after the replacement.
    TMacroKeyOutcome outcome = editor.press(replace, VK_SPACE, 0);
    EXPECT_FALSE(outcome.Consumed);
    EXPECT_FALSE(outcome.ShowPopup);
    EXPECT_EQ(editor.text, "say the");
    EXPECT_EQ(editor.caret, 7);

    // Glued to a letter before it, or followed by one at the caret, the key stays.
    editor.text = "xteh";
    editor.caret = 4;
    editor.press(replace, VK_SPACE, 0);
    EXPECT_EQ(editor.lastKey, "teh");
    EXPECT_EQ(editor.text, "xteh");
    editor.text = "tehx";
    editor.caret = 3;
    editor.press(replace, VK_SPACE, 0);
    EXPECT_EQ(editor.text, "tehx");

    // A replacement that does not start a word may follow a word character.
    replace.AddReplacement("(c)", "\xA9");
    editor.text = "x(c)";
    editor.caret = 4;
    editor.press(replace, VK_OEM_PERIOD, 0);
    EXPECT_EQ(editor.text, "x\xA9");
    StringCursor spaced("a +");
    EXPECT_TRUE(TAutoReplace::CanReplace(spaced, 2, "+", "plus", inWord, startsWord));
    StringCursor glued("ab+");
    EXPECT_FALSE(TAutoReplace::CanReplace(glued, 2, "+", "plus", inWord, startsWord));
    EXPECT_TRUE(TAutoReplace::CanReplace(glued, 2, "+", "+plus", inWord, startsWord));
}

TEST(AutoReplace, TheReplacementTakesTheCaseOfTheTypedStart)
{
    const std::pair<std::pair<const char*, const char*>, const char*> cases[] = {
        {{"despues", "despu\xE9s"}, "despu\xE9s"},
        {{"Despues", "despu\xE9s"}, "Despu\xE9s"},
        {{"DESPUES", "despu\xE9s"}, "DESPU\xC9S"},
        // The letters of Windows-1252 beyond ASCII, at the start and inside.
        {{"Ultimo", "\xFAltimo"}, "\xDAltimo"},
        {{"COMPA\xD1IA", "compa\xF1\xED" "a"}, "COMPA\xD1\xCD" "A"},
        {{"OEUVRE", "\x9Cuvre \xFF"}, "\x8C" "UVRE \x9F"},
        // Mixed case past the start, or a single capital: only the start.
        {{"DEspues", "despu\xE9s"}, "Despu\xE9s"},
        {{"Q", "que"}, "Que"},
        {{"(C)", "(c) Copyright"}, "(C) Copyright"},
        // A key without letters, or starting small: the text as listed, its own capitals kept.
        {{"(c)", "\xA9"}, "\xA9"},
        {{"espana", "Espa\xF1" "a"}, "Espa\xF1" "a"},
        {{"1er", "primer"}, "primer"},
        // References keep their names; a held character keeps its digits.
        {{"CAFE", "caf&eacute; \x1F#8364; &amp;"}, "CAF&eacute; \x1F#8364; &amp;"},
        {{"Eacute", "&eacute;x"}, "&eacute;X"},
        {{"Nada", ""}, ""},
    };
    for (const auto& [typed, expected] : cases)
        EXPECT_EQ(TAutoReplace::InCaseOf(typed.first, typed.second), expected) << typed.first;

}

TEST(AutoReplace, TriggerStringsBecomeKeyCodes)
{
    TAutoReplace replace;
    const std::vector<uint16_t> defaults = {VK_OEM_1,         VK_OEM_COMMA, 0x100 | VK_OEM_1, VK_OEM_PERIOD,
                                            VK_OEM_PLUS,      0x100 | '9',  0x100 | '0',      VK_OEM_4,
                                            VK_OEM_6,         VK_RETURN,    VK_TAB,           VK_SPACE};
    EXPECT_EQ(replace.TriggerCodes(), defaults);
    EXPECT_TRUE(replace.IsTriggerKey('9', ssShift));
    EXPECT_TRUE(replace.IsTriggerKey(VK_OEM_1, ssShift | ssLeft));
    EXPECT_FALSE(replace.IsTriggerKey('9', 0));
    EXPECT_FALSE(replace.IsTriggerKey(VK_RETURN, ssCtrl));
    EXPECT_FALSE(replace.IsTriggerKey(VK_RETURN + 0x100, 0));
    EXPECT_EQ(TAutoReplace::KeyCode(VK_F1, ssShift | ssCtrl | ssAlt), 0x770);
    EXPECT_EQ(TAutoReplace::KeyCode(0x100, 0), 0);

    // Escapes, named keys in any case, and each code once.
    replace.SetTriggerKeys("\\n\\R\\s\\T\\{ F-1 }\\{PageDown}\\{bogus}aA\\;");
    const std::vector<uint16_t> escapes = {VK_RETURN, VK_SPACE, VK_TAB, VK_F1, VK_NEXT, 'A', 0x100 | 'A', VK_OEM_1};
    EXPECT_EQ(replace.TriggerCodes(), escapes);

    // An escaped character that needs Shift, and one no key types, give no code.
    replace.SetTriggerKeys("\\(\\\xE9\xE9");
    EXPECT_TRUE(replace.TriggerCodes().empty());
    EXPECT_EQ(replace.TriggerKeys(), "\\(\\\xE9\xE9");

    // An unclosed name keeps the codes read before it and the old string.
    try {
        replace.SetTriggerKeys(";\\{Return");
        FAIL() << "an unclosed key name was accepted";
    } catch (const ECodeMemo& e) {
        EXPECT_EQ(e.Message(), "Bad key specifier");
    }
    EXPECT_EQ(replace.TriggerCodes(), std::vector<uint16_t>{VK_OEM_1});
    EXPECT_EQ(replace.TriggerKeys(), "\\(\\\xE9\xE9");

    replace.SetTriggerKeys("");
    EXPECT_FALSE(replace.IsTriggerKey(0, 0));
    EXPECT_FALSE(replace.IsHotKey(VK_SPACE, 0));

    replace.AddReplacement("x", "y");
    replace.ResetDefaults();
    EXPECT_EQ(replace.Count(), 0);
    EXPECT_EQ(replace.TriggerCodes(), defaults);
}

TEST(Templates, TemplateFileRoundTrip)
{
    const std::string name = tempFile("plantillas.krt");
    WriteFileBytes(name, "junk\r\n[k]\r\n[For | Bucle for ]\r\nfor (|)\r\n{\r\n\r\n}\r\n"
                         "[If|]\n\nif\n[k | again]\r\nsecond\r\n[x]");
    TCodeTemplates templates;
    templates.SetTemplate("old", "", "gone");
    templates.LoadFromFile(name);
    ASSERT_EQ(templates.Count(), 4);
    EXPECT_EQ(templates.Entry(0).Key, "for");
    EXPECT_EQ(templates.Entry(0).Description, "Bucle for");
    EXPECT_EQ(templates.Entry(0).Text, "for (|)\r{\r\r}");
    EXPECT_EQ(templates.Entry(1).Key, "if");
    EXPECT_EQ(templates.Entry(1).Text, "\rif"); // only one line break ends the header
    EXPECT_EQ(templates.Entry(2).Key, "k");     // named twice: the last text stays
    EXPECT_EQ(templates.Entry(2).Description, "again");
    EXPECT_EQ(templates.Entry(2).Text, "second");
    EXPECT_EQ(templates.Entry(3).Key, "x");
    EXPECT_EQ(templates.Entry(3).Text, "");

    // A header without " | " comes back with an empty description after it.
    TCodeTemplates plain;
    plain.LoadFromText("[k]\r\n");
    EXPECT_EQ(plain.SaveToText(), "[k | ]\r\n");

    templates.SaveToFile(name);
    EXPECT_EQ(ReadFileBytes(name), "[for | Bucle for]\r\nfor (|)\r\n{\r\n\r\n}\r\n"
                                   "[if | ]\r\n\r\nif\r\n[k | again]\r\nsecond\r\n[x | ]\r\n");
    TCodeTemplates again;
    again.LoadFromFile(name);
    EXPECT_EQ(streamOf(again), streamOf(templates));

    // Characters Windows-1252 lacks are written as themselves (the file then UTF-8 after its
    // byte-order mark), never the mark, and read back held.
    TCodeTemplates held;
    held.SetTemplate("\x1F#955;", "\xF1 \x1F#946;", "\x1F#945;\r\xE9");
    held.SaveToFile(name);
    EXPECT_EQ(ReadFileBytes(name), "\xEF\xBB\xBF[\xCE\xBB | \xC3\xB1 \xCE\xB2]\r\n\xCE\xB1\r\n\xC3\xA9\r\n");
    again.LoadFromFile(name);
    EXPECT_EQ(streamOf(again), streamOf(held));

    // A body line that starts with "[" starts the next entry.
    templates.SetTemplate("arr", "", "a\r[0]");
    templates.SaveToFile(name);
    again.LoadFromFile(name);
    std::string text;
    ASSERT_TRUE(again.Lookup("arr", text));
    EXPECT_EQ(text, "a");
    EXPECT_TRUE(again.Lookup("0", text));

    // An emptied list empties the file.
    templates.Clear();
    templates.SaveToFile(name);
    EXPECT_EQ(ReadFileBytes(name), "");

    // A missing file leaves the entries alone.
    const std::string missing = tempFile("no-such-file.krr");
    try {
        again.LoadFromFile(missing);
        FAIL() << "a missing file loaded";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "No se puede abrir el archivo \"" + missing + "\" para leerlo");
    }
    EXPECT_GT(again.Count(), 0);
}

TEST(Templates, StreamRoundTripsAndEveryTruncationFails)
{
    TAutoReplace replace;
    replace.AddReplacement("teh", "the");
    replace.AddReplacement("adn", "");
    replace.SetTriggerKeys(" \\{Tab}");
    replace.HotKey = scCtrl | scShift | VK_SPACE;
    std::vector<uint8_t> bytes = streamOf(replace);
    const std::vector<uint8_t> expected = {
        2, 0, 0, 0,                                                 // count
        3, 'a', 'd', 'n', 0, 0, 0, 0, 0,                            // key, no description, no text
        3, 't', 'e', 'h', 0, 3, 0, 0, 0, 't', 'h', 'e',             // key, no description, text
        16, 0, 0, 0, 'S', 'h', 'i', 'f', 't', '+', 'C', 't', 'r', 'l', '+', 'S', 'p', 'a', 'c', 'e',
        1, 0, 0, 0,                                                 // stream flag
        7, ' ', '\\', '{', 'T', 'a', 'b', '}'};                     // trigger string
    EXPECT_EQ(bytes, expected);

    TAutoReplace copy;
    loadBytes(copy, bytes, bytes.size());
    EXPECT_EQ(streamOf(copy), bytes);
    EXPECT_EQ(copy.TriggerCodes(), (std::vector<uint16_t>{VK_SPACE, VK_TAB}));
    StringCursor cursor("a teh");
    TMacroMatch match;
    ASSERT_TRUE(copy.MatchBeforeCaret(cursor, 5, match));
    EXPECT_EQ(match.Text, "the");

    // Templates and auto-replace lists alike: a cut stream fails and changes nothing.
    TCodeTemplates templates;
    templates.SetTemplate("for", "bucle", "for (|)");
    templates.SetTemplate("if", "", "if");
    const std::vector<uint8_t> templateBytes = streamOf(templates);
    TCodeTemplates target;
    target.SetTemplate("keep", "", "me");
    const std::vector<uint8_t> targetBefore = streamOf(target);
    for (size_t length = 0; length < templateBytes.size(); ++length) {
        EXPECT_THROW(loadBytes(target, templateBytes, length), EStreamError) << length;
        ASSERT_EQ(streamOf(target), targetBefore);
    }
    const std::vector<uint8_t> replaceBefore = streamOf(copy);
    for (size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_THROW(loadBytes(copy, bytes, length), EStreamError) << length;
        ASSERT_EQ(streamOf(copy), replaceBefore);
    }

    // A count the remaining bytes cannot hold is refused before anything is read.
    std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0x7F, 0, 0};
    EXPECT_THROW(loadBytes(target, huge, huge.size()), EStreamError);
    ASSERT_EQ(streamOf(target), targetBefore);
}
