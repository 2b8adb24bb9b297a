// Tests of the shared routines: backups, the plain search and find and replace in the editor, the tag around the caret, the focused control's edit commands and the shell.
#include "app/model/libVeltran.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <filesystem>
#include <functional>
#include <random>
#include <vector>

#include "editor/CodeMemo.h"
#include "editor/CodeMemoTestSupport.h"
#include "editor/model/Undo.h"
#include "platform/FindDialog.h"
#include "platform/MessageBox.h"
#include "platform/core/SysUtils.h"
#include "support/RandomText.h"
#include "support/TempDir.h"

TEST(MakeBackupFile, MovesTheFileToItsBackupNameReplacingAnOlderOne) {
  EXPECT_EQ(BackupFileName("/w/page.htm"), "/w/page.~tm");
  EXPECT_EQ(BackupFileName("/w/readme"), "/w/readme.bak");
  EXPECT_EQ(BackupFileName("/w.d/readme"), "/w.d/readme.bak");
  const TempDir dir("backup");
  for (const char* name : {"page.htm", "readme"}) {
    const std::string file = dir.file(name, "current");
    const std::string backup = BackupFileName(file);
    WriteFileBytes(backup, "old backup");
    EXPECT_TRUE(MakeBackupFile(file));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(ReadFileBytes(backup), "current");
    EXPECT_FALSE(MakeBackupFile(file));  // nothing left to move
    EXPECT_EQ(ReadFileBytes(backup), "current");
  }
}

// ---------------------------------------------------------------- plain search

namespace {

bool wordChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The model: every start of the pattern, tested one by one.
std::vector<int> modelMatches(const std::string& text, const std::string& pattern, bool matchCase, bool wholeWord)
{
    std::vector<int> result;
    const std::string t = matchCase ? text : AnsiLowerCase(text);
    const std::string p = matchCase ? pattern : AnsiLowerCase(pattern);
    for (size_t i = 0; !p.empty() && i + p.size() <= t.size(); ++i) {
        if (t.compare(i, p.size(), p) != 0)
            continue;
        if (wholeWord && ((i > 0 && wordChar(text[i - 1])) || (i + p.size() < text.size() && wordChar(text[i + p.size()]))))
            continue;
        result.push_back(static_cast<int>(i));
    }
    return result;
}

} // namespace

TEST(TextFinder, AgreesWithAModelBothWays)
{
    std::mt19937 random(4848);
    const std::string alphabet = "aAbB \r,\xE1\xC1";
    auto make = [&](size_t length) { return RandomText(random, alphabet, length); };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = make(random() % 40);
        const std::string pattern = make(1 + random() % 3);
        const bool matchCase = random() % 2;
        const bool wholeWord = random() % 2;
        const TTextFinder finder(text, pattern, matchCase, wholeWord, wordChar);
        const std::vector<int> all = modelMatches(text, pattern, matchCase, wholeWord);
        const int from = static_cast<int>(random() % (text.size() + 2));
        int forward = -1, backward = -1;
        for (int at : all) {
            if (forward < 0 && at >= from)
                forward = at;
            if (at + static_cast<int>(pattern.size()) <= from)
                backward = at;
        }
        ASSERT_EQ(finder.Forward(from), forward) << round;
        ASSERT_EQ(finder.Backward(from), backward) << round;
    }
    EXPECT_EQ(TTextFinder("abc", "", false, false, wordChar).Forward(0), -1);
    EXPECT_EQ(TTextFinder("abc", "", false, false, wordChar).Backward(3), -1);
}

// ---------------------------------------------------------------- the tag around a place

namespace {

struct TTagCase {
    std::vector<std::string> lines;
    bool find(TTextPoint caret, bool whole, TTextPoint& start, TTextPoint& end) const
    {
        return FindTagBlock([this](int i) { return lines.at(static_cast<size_t>(i)); }, static_cast<int>(lines.size()),
                            caret, whole, start, end);
    }
};

} // namespace

TEST(FindTagBlock, TheTagOrTheElementAroundThePlace)
{
    TTextPoint start, end;
    const TTagCase heading{{"<H1>x</H1>"}};
    // Inside the opening tag: the tag; with the whole element, up to "</H1>" (digits in the name).
    ASSERT_TRUE(heading.find({0, 2}, false, start, end));
    EXPECT_EQ(start, (TTextPoint{0, 0}));
    EXPECT_EQ(end, (TTextPoint{0, 4}));
    ASSERT_TRUE(heading.find({0, 2}, true, start, end));
    EXPECT_EQ(end, (TTextPoint{0, 10}));
    // In the text between the tags: no tag, but the element.
    EXPECT_FALSE(heading.find({0, 4}, false, start, end));
    ASSERT_TRUE(heading.find({0, 4}, true, start, end));
    EXPECT_EQ(start, (TTextPoint{0, 0}));
    EXPECT_EQ(end, (TTextPoint{0, 10}));

    const TTagCase table{{"<table border=1>", "<tr>", "  <td>uno</td><TD ALIGN=right>", "    dos", "  </td>",
                          "</TR>", "</TABLE>"}};
    // In the second cell, across lines and letter case: the TD element.
    ASSERT_TRUE(table.find({3, 5}, true, start, end));
    EXPECT_EQ(start, (TTextPoint{2, 14}));
    EXPECT_EQ(end, (TTextPoint{4, 7}));
    // Inside the tag of that cell.
    ASSERT_TRUE(table.find({2, 20}, false, start, end));
    EXPECT_EQ(start, (TTextPoint{2, 14}));
    EXPECT_EQ(end, (TTextPoint{2, 30}));
    // After the closing tag of a row, the whole table encloses the place.
    ASSERT_TRUE(table.find({5, 5}, true, start, end));
    EXPECT_EQ(start, (TTextPoint{0, 0}));
    EXPECT_EQ(end, (TTextPoint{6, 8}));
    // Inside a closing tag there is no tag to select; before any "<" nothing at all.
    EXPECT_FALSE(table.find({4, 4}, false, start, end));
    EXPECT_FALSE(TTagCase{{"texto <B"}}.find({0, 3}, true, start, end));
    EXPECT_FALSE(TTagCase{{"<P>sin cierre"}}.find({0, 6}, true, start, end));
}

// ---------------------------------------------------------------- find and replace in the editor

namespace {

// Counts the beeps while it lives; each must be the exclamation sound.
struct TBeeps {
    int count = 0;
    TMessageBeepHook old;
    TBeeps()
    {
        old = SetMessageBeepHook([this](unsigned type) {
            EXPECT_EQ(type, MB_ICONEXCLAMATION);
            ++count;
        });
    }
    ~TBeeps() { SetMessageBeepHook(std::move(old)); }
};

// The selection as {start, end}, ordered.
std::pair<int, int> selected(TCodeMemo& memo)
{
    const TSelectionRange range = OrderedSelection(memo);
    return {range.Start, range.End};
}

std::pair<int, int> span(int start, int length)
{
    return {start, start + length};
}

} // namespace

TEST(FindReplaceText, LongTextsAreFoundAcrossAnyBorderBothWays)
{
    TCodeMemo memo;
    TBeeps beeps;
    const std::string pattern = "0123456789abcdefghijklmnopqrstuvwxyzABCD";
    ASSERT_EQ(pattern.size(), 40u);
    // Windows of 250 characters overlapping by 25 would have missed a text crossing position 225.
    for (int at : {0, 200, 210, 430, 460}) {
        std::string text(600, '.');
        text.replace(static_cast<size_t>(at), pattern.size(), pattern);
        SetText(memo, text);
        FindReplaceText(memo, frDown | frFindNext, pattern, "");
        EXPECT_EQ(selected(memo), span(at, 40)) << at;
        Select(memo, 599, 600);
        FindReplaceText(memo, frFindNext, pattern, "");
        EXPECT_EQ(selected(memo), span(at, 40)) << at;
        EXPECT_EQ(memo.StoredText(), text);
    }
    EXPECT_EQ(beeps.count, 0);
}

TEST(FindReplaceText, WholeWordsEndAtLineBreaksAndPunctuation)
{
    TCodeMemo memo;
    TBeeps beeps;
    SetText(memo, "las casas\r\ncasa, roja casa\r\nCasa");
    const int secondLine = 10;
    FindReplaceText(memo, frDown | frWholeWord | frFindNext, "casa", "");
    EXPECT_EQ(selected(memo), span(secondLine, 4));  // at a line start, before a comma
    FindReplaceText(memo, frDown | frWholeWord | frFindNext, "casa", "");
    EXPECT_EQ(selected(memo), span(secondLine + 11, 4));  // before the line break
    FindReplaceText(memo, frDown | frWholeWord | frFindNext | frMatchCase, "casa", "");
    EXPECT_EQ(beeps.count, 1);  // "Casa" differs in case
    EXPECT_FALSE(ReplaceAllActive);
    EXPECT_EQ(selected(memo), span(secondLine + 11, 4));
    FindReplaceText(memo, frDown | frWholeWord | frFindNext, "casa", "");
    EXPECT_EQ(selected(memo), span(secondLine + 16, 4));  // at the end of the text
    // Upward the same boundaries hold; "casas" never matches.
    for (int expected : {secondLine + 11, secondLine}) {
        FindReplaceText(memo, frWholeWord | frFindNext, "casa", "");
        EXPECT_EQ(selected(memo), span(expected, 4));
    }
    FindReplaceText(memo, frWholeWord | frFindNext, "casa", "");
    EXPECT_EQ(beeps.count, 2);
    EXPECT_EQ(selected(memo), span(secondLine, 4));
}

TEST(FindReplaceText, FindNeverReplacesAndReplaceGoesOnFromTheNewText)
{
    TCodeMemo memo;
    TBeeps beeps;
    SetText(memo, "banana");
    Select(memo, 1, 2);
    // Find from the replace dialog, with a match selected: only the next match is selected.
    FindReplaceText(memo, frDown | frFindNext, "a", "");
    FindReplaceText(memo, frDown | frFindNext, "A", "xyz");
    EXPECT_EQ(memo.StoredText(), "banana");
    EXPECT_EQ(selected(memo), span(5, 1));
    // Replace: the selected match goes, the next one is selected.
    Select(memo, 1, 2);
    FindReplaceText(memo, frDown | frReplace, "a", "oo");
    EXPECT_EQ(memo.StoredText(), "boonana");
    EXPECT_EQ(selected(memo), span(4, 1));
    // Upward, a replacement that holds the find text is not found again.
    Select(memo, 4, 5);
    FindReplaceText(memo, frReplace, "a", "aa");
    EXPECT_EQ(memo.StoredText(), "boonaana");
    EXPECT_EQ(beeps.count, 1);  // nothing before it
    // Replace with an empty replacement deletes; without a selection the search starts at 0.
    Select(memo, 3, 3);
    FindReplaceText(memo, frDown | frReplace, "n", "");
    EXPECT_EQ(selected(memo), span(3, 1));
    FindReplaceText(memo, frDown | frReplace, "n", "");
    EXPECT_EQ(memo.StoredText(), "booaana");
    EXPECT_EQ(selected(memo), span(5, 1));
    EXPECT_EQ(beeps.count, 1);
}

TEST(ReplaceAllText, AbsentTextBeepsOnceAndChangesNothing)
{
    TCodeMemo memo;
    TBeeps beeps;
    SetText(memo, "uno dos tres");
    ReplaceAllText(memo, frDown | frReplaceAll, "cuatro", "cinco");
    EXPECT_EQ(beeps.count, 1);
    EXPECT_FALSE(ReplaceAllActive);
    EXPECT_EQ(memo.StoredText(), "uno dos tres");
    EXPECT_EQ(memo.Perform(EM_CANUNDO, 0, 0), 0);
}

TEST(ReplaceAllText, AReadOnlyEditorIsSearchedButNeverChanged)
{
    TCodeMemo memo;
    TBeeps beeps;
    SetText(memo, "banana");
    memo.SetReadOnly(true);
    ReplaceAllText(memo, frDown | frReplaceAll, "a", "o");
    EXPECT_EQ(beeps.count, 1);
    EXPECT_FALSE(ReplaceAllActive);
    // Replace selects the next match as Find would, leaving the selected one.
    Select(memo, 1, 2);
    FindReplaceText(memo, frDown | frReplace, "a", "o");
    EXPECT_EQ(selected(memo), span(3, 1));
    FindReplaceText(memo, frDown, "a", "o");
    EXPECT_EQ(selected(memo), span(5, 1));
    EXPECT_EQ(memo.StoredText(), "banana");
    EXPECT_EQ(memo.Perform(EM_CANUNDO, 0, 0), 0);
    EXPECT_EQ(beeps.count, 1);
    memo.SetReadOnly(false);
    Select(memo, 0, 0);
    ReplaceAllText(memo, frDown | frReplaceAll, "a", "o");
    EXPECT_EQ(memo.StoredText(), "bonono");
}

TEST(ReplaceAllText, UpwardEndsWhenTheReplacementHoldsTheFindText)
{
    TCodeMemo memo;
    TBeeps beeps;
    SetText(memo, "banana split");
    Select(memo, 5, 6);
    ReplaceAllText(memo, frReplaceAll, "a", "aa");
    EXPECT_EQ(memo.StoredText(), "baanaanaa split");
    EXPECT_EQ(beeps.count, 1);
    // The caret ends after the replacement made last: the first "a" of the text.
    EXPECT_EQ(selected(memo), span(3, 0));
    memo.Perform(EM_UNDO, 0, 0);
    EXPECT_EQ(memo.StoredText(), "banana split");
}

TEST(ReplaceAllText, EscapeStopsItAtABatchEndWhileTheWindowAnswers)
{
    // Every look for Escape handles the waiting events, and a batch is 50 matches.
    TWatchAtOnce watch(50);
    TCodeMemo memo;
    TBeeps beeps;
    SetText(memo, Repeated("uno dos\r", 1000));
    const std::string original = memo.StoredText();
    memo.Perform(EM_EMPTYUNDOBUFFER, 0, 0);

    // While the run goes on, the window answers a call queued before it, shows the busy cursor, and
    // takes the Escape the user presses then.
    bool answered = false;
    bool busy = false;
    QMetaObject::invokeMethod(
        &memo,
        [&] {
            answered = true;
            busy = QApplication::overrideCursor() != nullptr;
            QCoreApplication::postEvent(&memo, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        },
        Qt::QueuedConnection);
    ReplaceAllText(memo, frDown | frReplaceAll, "dos", "tres");
    EXPECT_TRUE(answered);
    EXPECT_TRUE(busy);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Whole batches were made, from the start, and no more: the text is replaced up to a match.
    const std::string partly = memo.StoredText();
    int made = 0;
    while (partly.compare(static_cast<size_t>(made) * 9, 9, "uno tres\r") == 0)
        ++made;
    EXPECT_GT(made, 0);
    EXPECT_LT(made, 1000);
    EXPECT_EQ(made % 50, 0);
    EXPECT_EQ(partly, partly.substr(0, static_cast<size_t>(made) * 9) + original.substr(static_cast<size_t>(made) * 8));
    EXPECT_EQ(selected(memo), span(made * 9 - 1, 0));
    // A run the user stopped is no failed search.
    EXPECT_EQ(beeps.count, 0);
    EXPECT_FALSE(ReplaceAllActive);
    // One undo step, both ways.
    memo.Perform(EM_UNDO, 0, 0);
    EXPECT_EQ(memo.StoredText(), original);
    EXPECT_EQ(memo.Perform(EM_CANUNDO, 0, 0), 0);
    memo.Redo();
    EXPECT_EQ(memo.StoredText(), partly);
}

TEST(ReplaceAllText, AnotherDocumentThatComesInBetweenBatchesKeepsItsCaret)
{
    // Batches of ten; a program's request handled while Escape is looked for, after the first batch,
    // puts another document into the editor as a change of tab brings it.
    TWatchAtOnce watch(10);
    TBeeps beeps;
    TUndoStack first, other;
    TCodeMemo memo;
    const std::string text = Repeated("ab\r", 100);
    SetText(memo, text);
    memo.SetUndoStack(&first);
    std::function<void()> request = [&] {
        if (memo.StoredText() == text) {
            QMetaObject::invokeMethod(&memo, request, Qt::QueuedConnection);
            return;
        }
        memo.SetUndoStack(&other);
        SetText(memo, "otro ab\rotro ab\r");
        Select(memo, 2, 2);
    };
    QMetaObject::invokeMethod(&memo, request, Qt::QueuedConnection);
    Select(memo, 0, 0);
    ReplaceAllText(memo, frDown | frReplaceAll, "b", "X");
    // The run stopped there, with no beep: the other document keeps its text, its log and its caret.
    EXPECT_EQ(memo.StoredText(), "otro ab\rotro ab\r");
    EXPECT_TRUE(other.Empty());
    EXPECT_EQ(selected(memo), span(2, 0));
    EXPECT_FALSE(ReplaceAllActive);
    EXPECT_EQ(beeps.count, 0);
    // The first document's log holds the batches made as one step.
    EXPECT_FALSE(first.Empty());
}

TEST(ReplaceAllText, EveryMatchFromTheSelectionOnAsOneUndoStep)
{
    std::mt19937 random(4801);
    const std::string alphabet = "abAB \r";
    TBeeps beeps;
    for (int round = 0; round < 60; ++round) {
        TCodeMemo memo;
        const std::string text = RandomTextUpTo(random, alphabet, 79);
        SetText(memo, text);
        const std::string original = memo.StoredText();
        const std::string replacement = round % 3 == 0 ? "" : round % 3 == 1 ? "x\r\ny" : "ab";
        const bool down = round % 2 == 0;
        ReplaceAllText(memo, (down ? frDown : TFindOptions(0)) | frReplaceAll, "ab", replacement);
        // No selection: downward every match goes, upward none (the search starts at the start).
        std::string expected = original;
        if (down) {
            const std::string stored = replacement == "x\r\ny" ? "x\ry" : replacement;
            const std::string folded = AnsiLowerCase(original);
            expected.clear();
            for (size_t i = 0; i < original.size();) {
                if (folded.compare(i, 2, "ab") == 0) {
                    expected += stored;
                    i += 2;
                } else {
                    expected += original[i++];
                }
            }
        }
        ASSERT_EQ(memo.StoredText(), expected) << round;
        if (expected != original) {
            memo.Perform(EM_UNDO, 0, 0);
            ASSERT_EQ(memo.StoredText(), original) << round;
        }
    }
    EXPECT_EQ(beeps.count, 60);
}

// ---------------------------------------------------------------- the tag around the caret

TEST(SelectTagBlock, SelectsInTheEditor)
{
    TCodeMemo memo;
    SetText(memo, "<P>\r\n<H1>x</H1>\r\n<TABLE><TR>\r\n<TD>uno</TD><TD>\r\ndos</TD></TR></TABLE>");
    Select(memo, 6, 6);  // inside "<H1>"
    SelectTagBlock(memo, false);
    EXPECT_EQ(selected(memo), span(4, 4));
    Select(memo, 6, 6);
    SelectTagBlock(memo, true);
    EXPECT_EQ(selected(memo), span(4, 10));
    const int dos = static_cast<int>(memo.StoredText().find("dos"));
    Select(memo, dos + 1, dos + 1);
    SelectTagBlock(memo, true);
    EXPECT_EQ(selected(memo), span(dos - 5, 13));
    // Outside a tag, in tag mode, nothing changes.
    Select(memo, dos + 1, dos + 1);
    SelectTagBlock(memo, false);
    EXPECT_EQ(selected(memo), span(dos + 1, 0));
}

// ---------------------------------------------------------------- the focused control

TEST(EditCommands, GoToTheFocusedEditorOrLineEdit)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* memo = new TCodeMemo(&window);
    auto* line = new QLineEdit(&window);
    layout->addWidget(memo);
    layout->addWidget(line);
    window.show();
    QApplication::setActiveWindow(&window);
    SetText(*memo, "uno dos");
    line->setText("tres");

    memo->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), memo);
    EditSelectAll();
    EXPECT_EQ(selected(*memo), span(0, 7));
    EditCopy();
    Select(*memo, 7, 7);
    EditPaste();
    EXPECT_EQ(memo->StoredText(), "uno dosuno dos");
    EditUndo();
    EXPECT_EQ(memo->StoredText(), "uno dos");
    Select(*memo, 0, 4);
    EditCut();
    EXPECT_EQ(memo->StoredText(), "dos");

    line->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), line);
    EditSelectAll();
    EXPECT_EQ(line->selectedText(), "tres");
    EditCut();
    EXPECT_EQ(line->text(), "");
    EditPaste();
    EditPaste();
    EXPECT_EQ(line->text(), "trestres");
    EditUndo();
    EXPECT_EQ(line->text(), "tres");
}
