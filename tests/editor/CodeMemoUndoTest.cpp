// The editor control's undo log driven through its messages: groups, Modified, swapped logs, random editing.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "CodeMemoTestSupport.h"
#include "UndoTestSupport.h"
#include "editor/model/Undo.h"

namespace {

using State = TextState;

State Snapshot(TCodeMemo& memo)
{
    const TSelectionRange selection = Selection(memo);
    return {memo.StoredText(), selection.Start, selection.End};
}

TUndoStack* AttachedLog(TCodeMemo& memo)
{
    return reinterpret_cast<TUndoStack*>(memo.Perform(SMM_UNDOSTACK, 0, 0));
}

void Attach(TCodeMemo& memo, TUndoStack* log)
{
    memo.Perform(SMM_UNDOSTACK, SMM_SET, reinterpret_cast<LPARAM>(log));
}

// Random commands on a control, each remembered with the state before and after it when it logged
// anything: one undo must lead from each after-state back to its before-state.
class RandomEditing {
public:
    RandomEditing(TCodeMemo& memo, CountingLog& log, uint32_t seed) : FMemo(memo), FLog(log), FRandom(seed) {}

    std::vector<State> Before;
    std::vector<State> After;

    void Run(int commands)
    {
        for (int i = 0; i < commands; ++i) {
            // A few streams long enough to go in as several chunks.
            const int kind = i % 700 == 350 ? kLongStream : below(100);
            select(kind);
            const State before = Snapshot(FMemo);
            const size_t pushes = FLog.Pushes;
            command(kind);
            if (FLog.Pushes != pushes) {
                Before.push_back(before);
                After.push_back(Snapshot(FMemo));
            }
        }
    }

private:
    static constexpr int kLongStream = 100;

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(FRandom); }

    std::string text(int maxPieces)
    {
        static const char* const pieces[] = {"a", "bc", "xyz", " ", "  ", "\t", "\xA0", "\r", "\n", "\r\n", "q r"};
        std::string result;
        for (int n = below(maxPieces + 1); n > 0; --n)
            result += pieces[below(static_cast<int>(std::size(pieces)))];
        return result;
    }

    void select(int kind)
    {
        const int length = FMemo.TextLength();
        int anchor = below(length + 1);
        int caret = anchor + below(41) - 20;
        if (kind < 25) {
            caret = anchor; // typing at the caret
        } else if (kind >= 55 && kind < 79) {
            caret = anchor + below(401) - 200; // indent and unindent: a block of lines
        } else if (kind >= 79 && kind < 95 && caret == anchor) {
            caret = anchor + 4; // a replacement replaces something
        }
        // A long text is cut back now and then, so that it stays a few thousand characters.
        if (length > 5000 && kind >= 40 && kind < 55) {
            anchor = below(length - 2000);
            caret = anchor + 500 + below(1500);
        }
        Select(FMemo, anchor, caret);
    }

    void insertStream(const std::string& contents)
    {
        TMemoryStream stream;
        stream.WriteBuffer(contents.data(), static_cast<int64_t>(contents.size()));
        stream.SetPosition(0);
        FMemo.Perform(SMM_LOADSTREAM, 0, reinterpret_cast<LPARAM>(&stream));
    }

    void command(int kind)
    {
        if (kind == kLongStream) {
            std::string contents;
            while (contents.size() < 20000)
                contents += text(12);
            insertStream(contents);
        } else if (kind < 25) {
            Insert(FMemo, text(2).c_str());
        } else if (kind < 40) {
            Insert(FMemo, text(6).c_str(), EM_REPLACESEL);
        } else if (kind < 55) {
            Insert(FMemo, nullptr);
        } else if (kind < 67) {
            FMemo.Perform(SMM_INDENT, below(4), below(2));
        } else if (kind < 79) {
            FMemo.Perform(SMM_UNINDENT, below(4), 0);
        } else if (kind < 95) {
            Insert(FMemo, text(6).c_str());
        } else {
            insertStream(text(6));
        }
    }

    TCodeMemo& FMemo;
    CountingLog& FLog;
    std::mt19937 FRandom;
};

std::string StartText()
{
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += (i % 3 == 0 ? "  indented line " : i % 3 == 1 ? "\tplain words " : "\xA0mixed ") + std::to_string(i) + "\r\n";
    return text;
}

} // namespace

TEST(CodeMemoUndo, TypingGroupUndoesAndRedoesAsOneStep)
{
    TCodeMemo memo;
    SetText(memo, "wxyz");
    Select(memo, 3, 1); // the caret before the anchor: undo must give back this order
    int changes = 0;
    memo.OnChange = [&](TCustomCodeMemo*) { ++changes; };

    memo.BeginUndoGroup(ugTyping);
    Insert(memo, "a");
    Insert(memo, "b");
    memo.EndUndoGroup(ugTyping);
    EXPECT_EQ(Snapshot(memo), (State{"wabz", 3, 3}));
    EXPECT_EQ(Ask(memo, EM_CANUNDO), 1);
    EXPECT_EQ(Ask(memo, SMM_CANREDO), 0);

    changes = 0;
    Ask(memo, EM_UNDO);
    EXPECT_EQ(Snapshot(memo), (State{"wxyz", 3, 1}));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Ask(memo, EM_CANUNDO), 0);
    EXPECT_EQ(Ask(memo, SMM_CANREDO), 1);

    Ask(memo, SMM_REDO);
    EXPECT_EQ(Snapshot(memo), (State{"wabz", 3, 3}));
    EXPECT_EQ(Ask(memo, SMM_CANREDO), 0);
    Ask(memo, WM_UNDO);
    EXPECT_EQ(memo.StoredText(), "wxyz");

    // A command's group of the same kind as the editing core's own holds every edit made inside it.
    memo.BeginUndoGroup(ugInsertText);
    Insert(memo, "1");
    Insert(memo, "2");
    memo.EndUndoGroup(ugInsertText);
    EXPECT_EQ(memo.StoredText(), "w12z");
    Ask(memo, EM_UNDO);
    EXPECT_EQ(Snapshot(memo), (State{"wxyz", 3, 1}));
}

TEST(CodeMemoUndo, ModifiedFollowsTheLog)
{
    TCodeMemo memo;
    SetText(memo, "abc");
    EXPECT_FALSE(memo.GetModified());
    Select(memo, 0, 0);
    Insert(memo, "1");
    Insert(memo, "2");
    EXPECT_EQ(Ask(memo, EM_GETMODIFY), 1);
    EXPECT_EQ(Ask(memo, SMM_MODIFIED), 1);

    Ask(memo, EM_UNDO);
    EXPECT_TRUE(memo.GetModified());
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "abc");
    EXPECT_FALSE(memo.GetModified()); // back at the start of the log
    Ask(memo, SMM_REDO);
    EXPECT_TRUE(memo.GetModified());

    // True changes nothing; False empties the log and leaves the text alone.
    memo.Perform(SMM_MODIFIED, SMM_SET, 1);
    EXPECT_EQ(Ask(memo, SMM_CANREDO), 1);
    memo.Perform(SMM_MODIFIED, SMM_SET, 0);
    EXPECT_FALSE(memo.GetModified());
    EXPECT_EQ(Ask(memo, EM_CANUNDO), 0);
    EXPECT_EQ(Ask(memo, SMM_CANREDO), 0);
    EXPECT_EQ(memo.StoredText(), "1abc");
    EXPECT_TRUE(AttachedLog(memo)->Empty());

    Insert(memo, "3");
    Ask(memo, EM_UNDO);
    Ask(memo, EM_EMPTYUNDOBUFFER);
    EXPECT_EQ(Ask(memo, SMM_CANREDO), 0);
    EXPECT_TRUE(AttachedLog(memo)->Empty());

    // Without a log nothing is recorded and nothing reads as modified.
    Attach(memo, nullptr);
    EXPECT_EQ(AttachedLog(memo), nullptr);
    Insert(memo, "4");
    EXPECT_FALSE(memo.GetModified());
    EXPECT_EQ(Ask(memo, EM_CANUNDO), 0);
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "14abc");
}

TEST(CodeMemoUndo, BlockIndentAndUnindentUndoLineByLine)
{
    TCodeMemo memo;
    const std::string original = "uno\r\tdos\r\xA0 tres";
    SetText(memo, original);
    Select(memo, 0, memo.TextLength());
    memo.Perform(SMM_UNINDENT, 2, 0);
    const State unindented = Snapshot(memo);
    EXPECT_EQ(unindented, (State{"uno\rdos\rtres", 0, 12}));
    memo.Perform(SMM_INDENT, 2, 0);
    EXPECT_EQ(Snapshot(memo), (State{"  uno\r  dos\r  tres", 0, 18}));

    Ask(memo, EM_UNDO);
    EXPECT_EQ(Snapshot(memo), unindented);
    Ask(memo, EM_UNDO);
    EXPECT_EQ(Snapshot(memo), (State{original, 0, 15}));
    Ask(memo, SMM_REDO);
    Ask(memo, SMM_REDO);
    EXPECT_EQ(Snapshot(memo), (State{"  uno\r  dos\r  tres", 0, 18}));
}

TEST(CodeMemoUndo, StreamInsertionIsOneUndoStep)
{
    TCodeMemo memo;
    SetText(memo, "abc");
    Select(memo, 1, 2);
    // The first chunk ends inside an LF CR pair's neighbourhood: "\n\r" closes it and a TAB follows,
    // which a chunk and a whole text normalise differently. Only what follows the position goes in.
    std::string contents = "skip" + std::string(8190, 'a') + "\n\r\t";
    for (int i = 0; contents.size() < 20000; ++i)
        contents += "linea " + std::to_string(i) + "\r\n";
    TMemoryStream stream;
    stream.WriteBuffer(contents.data(), static_cast<int64_t>(contents.size()));
    stream.SetPosition(4);
    memo.Perform(SMM_LOADSTREAM, 0, reinterpret_cast<LPARAM>(&stream));
    const State loaded = Snapshot(memo);
    EXPECT_EQ(loaded.Text.substr(0, 5), "aaaaa");
    EXPECT_EQ(loaded.Text.substr(8189, 5), "aa\r\tl");

    Ask(memo, EM_UNDO);
    EXPECT_EQ(Snapshot(memo), (State{"abc", 1, 2}));
    EXPECT_FALSE(memo.GetModified());
    Ask(memo, SMM_REDO);
    EXPECT_EQ(Snapshot(memo), loaded);
}

TEST(CodeMemoUndo, SwappedLogsKeepEachDocumentsHistory)
{
    TCodeMemo memo;
    TUndoStack* own = AttachedLog(memo);
    ASSERT_NE(own, nullptr);
    // Showing a document: its text goes in with no log attached (loading empties the log), then
    // its log is attached.
    auto show = [&](TUndoStack* log, const std::string& text) {
        Attach(memo, nullptr);
        SetText(memo, text);
        Attach(memo, log);
    };

    show(own, "alfa");
    Select(memo, 4, 4);
    Insert(memo, " beta");
    const std::string textA = memo.StoredText();

    auto logB = std::make_unique<TUndoStack>();
    show(logB.get(), "uno");
    EXPECT_FALSE(memo.GetModified());
    EXPECT_EQ(Ask(memo, EM_CANUNDO), 0);
    Select(memo, 0, 0);
    Insert(memo, "cero ");
    const std::string textB = memo.StoredText();
    EXPECT_EQ(textB, "cero uno");

    show(own, textA);
    EXPECT_EQ(AttachedLog(memo), own);
    EXPECT_TRUE(memo.GetModified());
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "alfa");
    EXPECT_FALSE(memo.GetModified());

    show(logB.get(), textB);
    EXPECT_TRUE(memo.GetModified());
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "uno");
    Ask(memo, SMM_REDO);
    EXPECT_EQ(memo.StoredText(), "cero uno");

    show(own, "alfa");
    EXPECT_EQ(Ask(memo, SMM_CANREDO), 1);
    Ask(memo, SMM_REDO);
    EXPECT_EQ(memo.StoredText(), "alfa beta");

    // A control that goes leaves the application's log as it was: one typing of a text is three
    // group marks, six transaction entries and three group marks.
    {
        TCodeMemo other;
        Attach(other, logB.get());
        Insert(other, "x");
        EXPECT_EQ(logB->Count(), 24u);
    }
    EXPECT_EQ(logB->Count(), 24u);
    EXPECT_EQ(logB->Position(), 24u);
}

TEST(CodeMemoUndo, LoadingAndSavingEmptyTheLog)
{
    TCodeMemo memo;
    SetText(memo, "abc");
    Insert(memo, "1");
    Insert(memo, "2");
    Ask(memo, EM_UNDO);
    ASSERT_EQ(Ask(memo, SMM_CANREDO), 1);

    TMemoryStream stream;
    stream.WriteBuffer("nuevo\r\ntexto", 12);
    stream.SetPosition(0);
    memo.LoadFromStream(stream);
    EXPECT_EQ(memo.StoredText(), "nuevo\rtexto");
    EXPECT_TRUE(AttachedLog(memo)->Empty());
    EXPECT_FALSE(memo.GetModified());
    EXPECT_EQ(Ask(memo, EM_CANUNDO), 0);
    EXPECT_EQ(Ask(memo, SMM_CANREDO), 0);
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "nuevo\rtexto");

    Insert(memo, "x");
    ASSERT_TRUE(memo.GetModified());
    TMemoryStream saved;
    memo.SaveToStream(saved);
    EXPECT_FALSE(memo.GetModified());
    EXPECT_TRUE(AttachedLog(memo)->Empty());
}

TEST(CodeMemoUndo, FailedEditLeavesAUsableLog)
{
    TCodeMemo memo;
    SetText(memo, "abc\rdef");
    Select(memo, 7, 7);
    Insert(memo, "g");
    ASSERT_TRUE(memo.GetModified());

    // A replacement that fails half-way (the selection went, the text did not come) changed the
    // text without its record: the history no longer fits and is dropped.
    bool fail = true;
    memo.OnTextChange = [&](TCodeMemoCore*, int, int) {
        if (fail) {
            fail = false;
            throw Exception("handler failed");
        }
    };
    Select(memo, 0, 1);
    EXPECT_THROW(Insert(memo, "X"), Exception);
    EXPECT_EQ(memo.StoredText(), "bc\rdefg");
    EXPECT_FALSE(memo.GetModified());

    // The next edits are logged each in a group of its own.
    Select(memo, 0, 0);
    Insert(memo, "1");
    Insert(memo, "2");
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "1bc\rdefg");
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "bc\rdefg");
    EXPECT_EQ(Ask(memo, EM_CANUNDO), 0);

    // The same inside a command's group: the group goes on, the history does not.
    Insert(memo, "4");
    ASSERT_TRUE(memo.GetModified());
    memo.BeginUndoGroup(ugTyping);
    fail = true;
    EXPECT_THROW(Insert(memo, "5"), Exception);
    memo.EndUndoGroup(ugTyping);
    EXPECT_FALSE(memo.GetModified());
    EXPECT_EQ(memo.StoredText(), "45bc\rdefg");
    Select(memo, 0, 2);
    Insert(memo, nullptr);
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "45bc\rdefg");
    Ask(memo, SMM_REDO);
    EXPECT_EQ(memo.StoredText(), "bc\rdefg");

    // A typed character, in the keyboard's typing group.
    Select(memo, 0, 0);
    fail = true;
    EXPECT_THROW(memo.InsertTypedChar('7'), Exception);
    EXPECT_FALSE(memo.GetModified());
    Select(memo, 1, 1);
    memo.InsertTypedChar('8');
    memo.InsertTypedChar('9');
    EXPECT_EQ(memo.StoredText(), "789bc\rdefg");
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "78bc\rdefg");
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "7bc\rdefg");
    EXPECT_EQ(Ask(memo, EM_CANUNDO), 0);
    Select(memo, 0, 1);
    Insert(memo, nullptr);

    // An indent that fails after its first line keeps that line's record; its group is closed, so
    // one undo takes the line back and the next command gets a group of its own.
    Select(memo, 0, memo.TextLength());
    fail = true;
    EXPECT_THROW(memo.Perform(SMM_INDENT, 2, 0), Exception);
    EXPECT_EQ(memo.StoredText(), "  bc\rdefg");
    Select(memo, 0, 0);
    Insert(memo, "3");
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "  bc\rdefg");
    Ask(memo, EM_UNDO);
    EXPECT_EQ(memo.StoredText(), "bc\rdefg");
}

TEST(CodeMemoUndo, RandomEditingUndoesAndRedoesExactly)
{
    CountingLog log; // outlives the control it is attached to
    TCodeMemo memo;
    Attach(memo, &log);
    SetText(memo, StartText());
    const State original = Snapshot(memo);

    RandomEditing editing(memo, log, 20240611);
    editing.Run(3000);
    const State final = Snapshot(memo);
    ASSERT_GT(editing.Before.size(), 2000u);

    for (size_t i = editing.Before.size(); i-- > 0;) {
        Ask(memo, EM_UNDO);
        ASSERT_EQ(Snapshot(memo), editing.Before[i]) << "undoing command " << i;
    }
    EXPECT_EQ(memo.StoredText(), original.Text);
    EXPECT_EQ(Ask(memo, EM_CANUNDO), 0);
    EXPECT_FALSE(memo.GetModified());

    for (size_t i = 0; i < editing.After.size(); ++i) {
        Ask(memo, SMM_REDO);
        ASSERT_EQ(Snapshot(memo), editing.After[i]) << "redoing command " << i;
    }
    EXPECT_EQ(Snapshot(memo), final);
    EXPECT_EQ(Ask(memo, SMM_CANREDO), 0);
}

TEST(CodeMemoUndo, SmallSizeLimitNeverFaults)
{
    CountingLog log;
    log.SetSizeLimit(50000);
    TCodeMemo memo;
    Attach(memo, &log);
    SetText(memo, StartText());

    RandomEditing editing(memo, log, 77);
    editing.Run(1500);
    const State final = Snapshot(memo);

    // Every undo but the last undoes one whole command; the last may meet a group whose beginning
    // was trimmed away. What is left stays undoable and redoable to the end.
    size_t undone = 0;
    while (Ask(memo, EM_CANUNDO) && undone < editing.Before.size()) {
        Ask(memo, EM_UNDO);
        ++undone;
        if (Ask(memo, EM_CANUNDO)) {
            ASSERT_EQ(Snapshot(memo), editing.Before[editing.Before.size() - undone]) << "undo " << undone;
        }
    }
    EXPECT_EQ(Ask(memo, EM_CANUNDO), 0);
    EXPECT_GT(undone, 0u);
    // History was lost, so the text still differs from where the log now starts.
    EXPECT_TRUE(memo.GetModified());

    while (Ask(memo, SMM_CANREDO))
        Ask(memo, SMM_REDO);
    EXPECT_EQ(Snapshot(memo), final);
}
