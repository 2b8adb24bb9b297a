// Tests of the undo log: the stack, recording, groups, queries, trimming, and undo/redo replayed
// against a string-backed editor.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "UndoTestSupport.h"
#include "support/RandomText.h"
#include "editor/model/Undo.h"

namespace {

// A text model that edits like the editing core: every replacement of the selection is logged as a
// transaction, commands bracket their edits in groups, indent and unindent log line-start edits.
class FakeEditor : public TUndoTarget {
public:
    explicit FakeEditor(std::string text = {}) : Text(std::move(text)) { Recorder.SetUndoStack(&Log); }

    std::string Text;
    int Anchor = 0;
    int Caret = 0;
    CountingLog Log;
    TUndoRecorder Recorder{*this};
    int Beeps = 0;
    int Changes = 0;
    int UpdateDepth = 0;

    using State = TextState;
    State Snapshot() const { return {Text, Anchor, Caret}; }

    void Select(int anchor, int caret) { SetSelection({anchor, caret}); }

    // The editing core's replacement of the selection (nullopt: only delete).
    void ReplaceSelection(std::optional<std::string_view> text)
    {
        Recorder.LogReplaceStart(text);
        const int s = std::min(Anchor, Caret);
        const int e = std::max(Anchor, Caret);
        const std::string_view t = text.value_or(std::string_view());
        // Erase then insert: GCC 12 takes an optimised replace for an overlapping copy (-Wrestrict).
        Text.erase(static_cast<size_t>(s), static_cast<size_t>(e - s));
        Text.insert(static_cast<size_t>(s), t);
        Anchor = Caret = s + static_cast<int>(t.size());
        Recorder.LogReplaceEnd();
    }

    void Type(char c)
    {
        TUndoGroupScope group(Recorder, ugTyping);
        ReplaceSelection(std::string(1, c));
    }
    void Paste(std::string_view text)
    {
        TUndoGroupScope group(Recorder, ugPaste);
        ReplaceSelection(text);
    }
    void DeleteSelected()
    {
        TUndoGroupScope group(Recorder, ugDelete);
        ReplaceSelection(std::nullopt);
    }
    void PasteStream(const std::string& text)
    {
        TUndoGroupScope group(Recorder, ugPaste);
        TMemoryStream stream;
        stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
        stream.SetPosition(0);
        LoadStream(stream);
    }

    // Puts `step` blanks before each selected line; a selection ending at the start of a line leaves
    // that line alone.
    void Indent(int step)
    {
        int s = std::min(Anchor, Caret);
        int e = std::max(Anchor, Caret);
        if (s == e)
            return;
        std::vector<int> starts = selectedLineStarts(s, e);
        TUndoGroupScope group(Recorder, ugIndent);
        const std::string chars(static_cast<size_t>(step), ' ');
        int shift = 0;
        for (int start : starts) {
            const int at = start + shift;
            Recorder.LogInsertion(at, chars);
            Text.insert(static_cast<size_t>(at), chars);
            shift += step;
        }
        Select(s, e + shift);
    }

    // Takes up to `step` blanks, TABs or no-break spaces from the start of each selected line.
    void Unindent(int step)
    {
        int s = std::min(Anchor, Caret);
        int e = std::max(Anchor, Caret);
        if (s == e)
            return;
        std::vector<int> starts = selectedLineStarts(s, e);
        std::optional<TUndoGroupScope> group;
        int shift = 0;
        for (int start : starts) {
            const int at = start - shift;
            int n = 0;
            while (n < step && at + n < static_cast<int>(Text.size()) && isIndentChar(Text[static_cast<size_t>(at + n)]))
                ++n;
            if (n == 0)
                continue;
            if (!group)
                group.emplace(Recorder, ugUnindent);
            Recorder.LogRemoval(at, std::string_view(Text).substr(static_cast<size_t>(at), static_cast<size_t>(n)));
            Text.erase(static_cast<size_t>(at), static_cast<size_t>(n));
            shift += n;
        }
        if (group)
            Select(s, std::max(s, e - shift));
    }

    // TUndoTarget
    TSelectionRange GetSelection() override { return {Anchor, Caret}; }
    void SetSelection(TSelectionRange selection) override
    {
        const int size = static_cast<int>(Text.size());
        Anchor = std::clamp(selection.Start, 0, size);
        Caret = std::clamp(selection.End, 0, size);
    }
    std::string GetSelText() override
    {
        const int s = std::min(Anchor, Caret);
        const int e = std::max(Anchor, Caret);
        return Text.substr(static_cast<size_t>(s), static_cast<size_t>(e - s));
    }
    void InsertText(std::string_view text) override
    {
        // As the real editor does: the replay's insertion passes through the logging entry points.
        if (text.empty())
            ReplaceSelection(std::nullopt);
        else
            ReplaceSelection(text);
    }
    void LoadStream(TStream& stream) override
    {
        Recorder.LogStreamStart(stream);
        std::string contents(static_cast<size_t>(stream.Remaining()), '\0');
        stream.ReadBuffer(contents.data(), static_cast<int64_t>(contents.size()));
        const int s = std::min(Anchor, Caret);
        const int e = std::max(Anchor, Caret);
        Text.replace(static_cast<size_t>(s), static_cast<size_t>(e - s), contents);
        Anchor = Caret = s + static_cast<int>(contents.size());
        Recorder.LogStreamEnd();
    }
    void BeginUpdate() override { ++UpdateDepth; }
    void EndUpdate() override { --UpdateDepth; }
    void Change() override { ++Changes; }
    void Beep() override { ++Beeps; }

private:
    static bool isIndentChar(char c) { return c == ' ' || c == '\t' || c == '\xA0'; }

    std::vector<int> selectedLineStarts(int s, int e) const
    {
        std::vector<int> starts;
        int lineStart = s;
        while (lineStart > 0 && Text[static_cast<size_t>(lineStart - 1)] != '\r')
            --lineStart;
        for (;;) {
            starts.push_back(lineStart);
            const size_t cr = Text.find('\r', static_cast<size_t>(lineStart));
            if (cr == std::string::npos)
                break;
            const int next = static_cast<int>(cr) + 1;
            if (next >= e) // the end's line is left out when the end stands at its very start
                break;
            lineStart = next;
        }
        return starts;
    }
};

std::vector<int> groupKinds(TUndoStack& log, int request)
{
    std::vector<int> kinds;
    intptr_t value = 0;
    EXPECT_EQ(log.Query(uqStartWalk, value), uqDone);
    for (int result; (result = log.Query(request, value)) != uqNothing;)
        kinds.push_back(result);
    return kinds;
}

int kindAt(const TStackEntry* entry)
{
    return TUndoStack::RecordOf(entry)->Kind;
}

} // namespace

TEST(UndoStackTest, StackPushPopAndSteps)
{
    std::vector<int> values(5);
    std::vector<void*> freed;
    TStack stack;
    stack.OnFreeData = [&](void* data) { freed.push_back(data); };
    EXPECT_TRUE(stack.Empty());
    EXPECT_TRUE(stack.AtTop());
    try {
        stack.Pop();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Stack underflow");
    }
    EXPECT_THROW(stack.StepBack(), Exception);
    EXPECT_THROW(stack.StepForward(), Exception);

    for (int i = 0; i < 4; ++i)
        stack.Push(&values[i], 10);
    EXPECT_EQ(stack.Count(), 4u);
    EXPECT_EQ(stack.Position(), 4u);
    EXPECT_EQ(stack.TotalBytes(), 4 * (TStack::kEntryOverhead + 10));
    EXPECT_THROW(stack.StepForward(), Exception);

    EXPECT_EQ(stack.StepBack(), &values[3]);
    EXPECT_EQ(stack.StepBack(), &values[2]);
    EXPECT_EQ(stack.Position(), 2u);
    EXPECT_FALSE(stack.AtTop());
    EXPECT_EQ(stack.StepForward(), &values[2]);
    EXPECT_EQ(stack.Position(), 3u);

    // A push above the position drops the entries above it, from the top down.
    stack.Push(&values[4], 1);
    EXPECT_EQ(freed, std::vector<void*>{&values[3]});
    EXPECT_EQ(stack.Count(), 4u);
    EXPECT_EQ(stack.Position(), 4u);
    EXPECT_EQ(stack.TotalBytes(), 3 * (TStack::kEntryOverhead + 10) + TStack::kEntryOverhead + 1);

    // Pop hands the data over without freeing it.
    EXPECT_EQ(stack.Pop(), &values[4]);
    EXPECT_EQ(freed.size(), 1u);
    EXPECT_EQ(stack.Position(), 3u);

    // Stepped back to before the oldest entry: a push replaces everything.
    while (stack.Position() > 0)
        stack.StepBack();
    EXPECT_EQ(stack.Current(), nullptr);
    EXPECT_THROW(stack.StepBack(), Exception);
    EXPECT_EQ(stack.StepForward(), &values[0]);
    stack.StepBack();
    stack.Push(&values[4], 0);
    EXPECT_EQ(freed.size(), 4u);
    EXPECT_EQ(stack.Count(), 1u);
    EXPECT_EQ(stack.Bottom(), stack.Top());
    EXPECT_EQ(stack.Current(), stack.Top());

    stack.Clear();
    EXPECT_EQ(freed.size(), 5u);
    EXPECT_EQ(stack.TotalBytes(), 0u);
    EXPECT_EQ(stack.Position(), 0u);
}

TEST(UndoStackTest, FreshLogQueries)
{
    TUndoStack log;
    intptr_t value = -5;
    EXPECT_EQ(log.Query(uqStartWalk, value), uqDone);
    EXPECT_EQ(log.Query(uqPreviousGroup, value), uqNothing);
    EXPECT_EQ(log.Query(uqPreviousGroup | uqMerge, value), uqNothing);
    EXPECT_EQ(log.Query(uqNextGroup, value), uqNothing);
    EXPECT_EQ(log.Query(7, value), uqBadRequest);
    EXPECT_EQ(log.Query(0, value), uqBadRequest);
    EXPECT_EQ(log.Query(uqCanUndo, value), 0);
    EXPECT_EQ(log.Query(uqCanRedo, value), 0);
    EXPECT_EQ(value, -5);
    EXPECT_EQ(log.SizeLimit(), -1);
    EXPECT_FALSE(log.InGroup());
}

TEST(UndoRecorderTest, TypingGroupUndoRedoRestoresTextAndSelection)
{
    FakeEditor ed("xy");
    ed.Select(1, 1);
    EXPECT_FALSE(ed.Recorder.Modified());
    {
        TUndoGroupScope group(ed.Recorder, ugTyping);
        ed.ReplaceSelection("a");
        ed.ReplaceSelection("b");
    }
    EXPECT_EQ(ed.Text, "xaby");
    EXPECT_TRUE(ed.Recorder.Modified());
    EXPECT_TRUE(ed.Recorder.CanUndo());
    EXPECT_FALSE(ed.Recorder.CanRedo());
    // Two brackets of three entries and two transactions of six.
    EXPECT_EQ(ed.Log.Count(), 18u);
    const size_t bytes = ed.Log.TotalBytes();

    ed.Recorder.Undo();
    EXPECT_EQ(ed.Snapshot(), (FakeEditor::State{"xy", 1, 1}));
    EXPECT_FALSE(ed.Recorder.Modified());
    EXPECT_FALSE(ed.Log.AtTop());
    // Nothing was logged by the replay, and the flags are back.
    EXPECT_EQ(ed.Log.Count(), 18u);
    EXPECT_EQ(ed.Log.TotalBytes(), bytes);
    EXPECT_TRUE(ed.Recorder.LoggingEnabled());
    EXPECT_FALSE(ed.Recorder.Replaying());
    EXPECT_EQ(ed.UpdateDepth, 0);

    ed.Recorder.Redo();
    EXPECT_EQ(ed.Snapshot(), (FakeEditor::State{"xaby", 3, 3}));
    EXPECT_TRUE(ed.Log.AtTop());

    // A new edit after an undo drops the undone part (freed through the log's record disposal).
    ed.Recorder.Undo();
    ed.Type('z');
    EXPECT_EQ(ed.Text, "xzy");
    EXPECT_EQ(ed.Log.Count(), 12u);
    EXPECT_FALSE(ed.Recorder.CanRedo());
    ed.Recorder.Undo();
    EXPECT_EQ(ed.Snapshot(), (FakeEditor::State{"xy", 1, 1}));
    EXPECT_FALSE(ed.Recorder.CanUndo());
    ed.Recorder.Undo(); // nothing left: no effect
    EXPECT_EQ(ed.Text, "xy");
}

TEST(UndoRecorderTest, StreamReplacementUndoRedo)
{
    FakeEditor ed("one two");
    ed.Select(4, 7);
    ed.PasteStream("three\rfour");
    EXPECT_EQ(ed.Text, "one three\rfour");
    ed.Recorder.Undo();
    EXPECT_EQ(ed.Snapshot(), (FakeEditor::State{"one two", 4, 7}));
    ed.Recorder.Redo();
    EXPECT_EQ(ed.Snapshot(), (FakeEditor::State{"one three\rfour", 14, 14}));

    // Recording takes the rest of the stream from its position and puts the position back.
    TMemoryStream source;
    source.WriteBuffer("abcdef", 6);
    source.SetPosition(2);
    ed.Recorder.LogStreamStart(source);
    EXPECT_EQ(source.GetPosition(), 2);
    ed.Recorder.LogStreamEnd();
    const TUndoRecord* inserted = TUndoStack::RecordOf(ed.Log.Top()->Prev->Prev);
    ASSERT_EQ(inserted->Kind, urStream);
    EXPECT_EQ(inserted->Stream->AsString(), "cdef");
}

TEST(UndoRecorderTest, MergedTypingGroupsInTheMenus)
{
    FakeEditor ed;
    ed.Type('a');
    ed.Type('b'); // at the caret where 'a' ended
    EXPECT_EQ(groupKinds(ed.Log, uqPreviousGroup), (std::vector<int>{ugTyping, ugTyping}));
    EXPECT_EQ(groupKinds(ed.Log, uqPreviousGroup | uqMerge), (std::vector<int>{ugTyping}));

    ed.Paste("XY");
    ed.Select(0, 0);
    ed.Type('c'); // typing somewhere else is another command
    EXPECT_EQ(ed.Text, "cabXY");
    EXPECT_EQ(groupKinds(ed.Log, uqPreviousGroup | uqMerge), (std::vector<int>{ugTyping, ugPaste, ugTyping}));
    EXPECT_EQ(groupKinds(ed.Log, uqPreviousGroup), (std::vector<int>{ugTyping, ugPaste, ugTyping, ugTyping}));

    intptr_t value = 0;
    EXPECT_EQ(ed.Log.Query(uqStartWalk, value), uqDone);
    EXPECT_EQ(ed.Log.Query(uqCanUndo, value), 1);
    EXPECT_EQ(value, ugTyping);
    EXPECT_EQ(ed.Log.Query(uqCanRedo, value), 0);

    // Undo down to and including the merged group: everything.
    ed.Log.Query(uqStartWalk, value);
    ed.Log.Query(uqPreviousGroup | uqMerge, value);
    ed.Log.Query(uqPreviousGroup | uqMerge, value);
    EXPECT_EQ(ed.Log.Query(uqPreviousGroup | uqMerge, value), ugTyping);
    const intptr_t mergedEnd = value;
    ed.Log.UndoRedoTo(mergedEnd, ed.Recorder);
    EXPECT_EQ(ed.Snapshot(), (FakeEditor::State{"", 0, 0}));
    EXPECT_EQ(ed.UpdateDepth, 0);

    EXPECT_EQ(ed.Log.Query(uqStartWalk, value), uqDone);
    EXPECT_EQ(ed.Log.Query(uqCanUndo, value), 0);
    EXPECT_EQ(ed.Log.Query(uqCanRedo, value), 1);
    EXPECT_EQ(value, ugTyping);
    EXPECT_EQ(groupKinds(ed.Log, uqNextGroup), (std::vector<int>{ugTyping, ugTyping, ugPaste, ugTyping}));
    EXPECT_EQ(groupKinds(ed.Log, uqNextGroup | uqMerge), (std::vector<int>{ugTyping, ugPaste, ugTyping}));

    // Redo up to the paste: the two typing groups and the paste.
    ed.Log.Query(uqStartWalk, value);
    ed.Log.Query(uqNextGroup | uqMerge, value);
    EXPECT_EQ(ed.Log.Query(uqNextGroup | uqMerge, value), ugPaste);
    ed.Log.UndoRedoTo(value, ed.Recorder);
    EXPECT_EQ(ed.Snapshot(), (FakeEditor::State{"abXY", 4, 4}));

    // Typing again after the caret moved is not the same command.
    FakeEditor moved;
    moved.Type('a');
    moved.Select(0, 0);
    moved.Type('b');
    EXPECT_EQ(groupKinds(moved.Log, uqPreviousGroup | uqMerge), (std::vector<int>{ugTyping, ugTyping}));
    EXPECT_EQ(groupKinds(moved.Log, uqNextGroup | uqMerge), std::vector<int>{});

    // A target that is not in the log does nothing.
    int stranger = 0;
    ed.Log.UndoRedoTo(reinterpret_cast<intptr_t>(&stranger), ed.Recorder);
    EXPECT_EQ(ed.Text, "abXY");
}

TEST(UndoRecorderTest, BadTransactionsClearTheLog)
{
    FakeEditor ed("text");
    ed.Type('a');
    ASSERT_GT(ed.Log.Count(), 0u);
    try {
        ed.Recorder.LogChange(uoReplaceText, 2);
        FAIL();
    } catch (const ECodeMemo& e) {
        EXPECT_EQ(e.Message(), "Bad transaction log entry");
    }
    EXPECT_TRUE(ed.Log.Empty());
    EXPECT_EQ(ed.Log.TotalBytes(), 0u);
    EXPECT_EQ(ed.Beeps, 1);
    EXPECT_FALSE(ed.Recorder.Modified());

    // Opened twice.
    ed.Type('b');
    ed.Recorder.LogReplaceStart("x");
    EXPECT_THROW(ed.Recorder.LogReplaceStart("y"), ECodeMemo);
    EXPECT_TRUE(ed.Log.Empty());
    EXPECT_FALSE(ed.Recorder.InTransaction());

    // Closed with another operation, or with a phase that is not 2.
    ed.Recorder.LogReplaceStart("x");
    EXPECT_THROW(ed.Recorder.LogStreamEnd(), ECodeMemo);
    ed.Recorder.LogReplaceStart("x");
    EXPECT_THROW(ed.Recorder.LogChange(uoReplaceText, 3), ECodeMemo);
    EXPECT_EQ(ed.Beeps, 4);

    // After the error, recording works again.
    ed.Type('c');
    ed.Recorder.Undo();
    EXPECT_EQ(ed.Text, "abtext");
}

TEST(UndoRecorderTest, NothingRecordedWithoutLogOrLogging)
{
    FakeEditor ed("abc");
    ed.Recorder.DisableLogging();
    ed.Type('x');
    EXPECT_TRUE(ed.Log.Empty());
    ed.Recorder.EnableLogging();
    ed.Type('y');
    EXPECT_EQ(ed.Log.Count(), 12u);

    ed.Recorder.SetUndoStack(nullptr);
    EXPECT_EQ(ed.Changes, 2);
    EXPECT_FALSE(ed.Recorder.Modified());
    EXPECT_FALSE(ed.Recorder.BeginUndoGroup(ugTyping));
    ed.Type('z');
    ed.Recorder.Undo();
    EXPECT_EQ(ed.Text, "xyzabc");

    // Each document keeps its history in its own log.
    TUndoStack other;
    ed.Recorder.SetUndoStack(&other);
    ed.Type('w');
    ed.Recorder.SetUndoStack(&ed.Log);
    EXPECT_EQ(ed.Log.Count(), 12u);
    ed.Recorder.Undo();
    EXPECT_EQ(ed.Text, "xzwabc");

    // Modified := False empties the log; True does nothing.
    ed.Recorder.Redo();
    ed.Recorder.SetModified(true);
    EXPECT_TRUE(ed.Recorder.Modified());
    ed.Recorder.SetModified(false);
    EXPECT_FALSE(ed.Recorder.Modified());
    EXPECT_FALSE(ed.Recorder.CanUndo());
    EXPECT_FALSE(ed.Recorder.CanRedo());
    EXPECT_TRUE(ed.Log.Empty());
}

TEST(UndoRecorderTest, AGroupInWhichNothingChangedLeavesNoTrace)
{
    FakeEditor ed;
    ed.ReplaceSelection("ab");
    ed.Recorder.Undo();
    const size_t entries = ed.Log.Count();
    const size_t position = ed.Log.Position();
    ASSERT_FALSE(ed.Log.AtTop());
    {
        TUndoGroupScope nothing(ed.Recorder, ugDelete);
    }
    EXPECT_EQ(ed.Log.Count(), entries);
    EXPECT_EQ(ed.Log.Position(), position);
    EXPECT_FALSE(ed.Recorder.Modified());
    EXPECT_FALSE(ed.Log.AtTop());
}

TEST(UndoRecorderTest, GroupsDoNotNest)
{
    FakeEditor ed;
    // The begin marks wait for the group's first change.
    EXPECT_TRUE(ed.Recorder.BeginUndoGroup(ugPaste));
    EXPECT_EQ(ed.Log.Count(), 0u);
    EXPECT_FALSE(ed.Recorder.BeginUndoGroup(ugTyping));
    EXPECT_EQ(ed.Log.Count(), 0u);
    ed.Recorder.EndUndoGroup(ugTyping);
    EXPECT_EQ(ed.Log.Count(), 0u);
    EXPECT_TRUE(ed.Log.InGroup());
    EXPECT_EQ(ed.Log.GroupKind(), ugPaste);
    {
        // A scope whose begin was ignored leaves the open group alone.
        TUndoGroupScope inner(ed.Recorder, ugPaste);
        ed.ReplaceSelection("ab");
    }
    EXPECT_TRUE(ed.Log.InGroup());
    ed.Recorder.EndUndoGroup(ugPaste);
    EXPECT_FALSE(ed.Log.InGroup());
    EXPECT_EQ(ed.Log.Count(), 12u);
    const TUndoRecord* last = TUndoStack::RecordOf(ed.Log.Top());
    EXPECT_EQ(last->Kind, urMark);
    EXPECT_EQ(last->Data, ugPaste);
    EXPECT_EQ(last->Aux, 3);
}

TEST(UndoRecorderTest, ExceptionInsideGroupEndsIt)
{
    FakeEditor ed("abc");
    ed.Select(3, 3);
    try {
        TUndoGroupScope group(ed.Recorder, ugPaste);
        ed.ReplaceSelection("1");
        ed.Recorder.LogReplaceStart("2"); // the edit fails half-way
        throw std::runtime_error("failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(ed.Log.InGroup());
    EXPECT_FALSE(ed.Recorder.InTransaction());
    EXPECT_EQ(TUndoStack::RecordOf(ed.Log.Top())->Aux, 3);
    ed.Type('x');
    EXPECT_EQ(groupKinds(ed.Log, uqPreviousGroup), (std::vector<int>{ugTyping, ugPaste}));
    ed.Recorder.Undo();
    ed.Recorder.Undo();
    EXPECT_EQ(ed.Snapshot(), (FakeEditor::State{"abc", 3, 3}));
}

TEST(UndoRecorderTest, TrimKeepsWholeUnitsAndUndoStopsAtTheBottom)
{
    FakeEditor ed;
    const std::string typed = "the quick brown fox jumps over the lazy dog";
    {
        TUndoGroupScope group(ed.Recorder, ugTyping);
        for (char c : typed)
            ed.ReplaceSelection(std::string(1, c));
        // Every transaction costs more than a third of the limit: the group's begin marks and its
        // oldest transactions are gone.
        ed.Log.SetSizeLimit(static_cast<intptr_t>(ed.Log.TotalBytes() / typed.size() * 3));
        EXPECT_LE(ed.Log.TotalBytes(), static_cast<size_t>(ed.Log.SizeLimit()));
    }
    EXPECT_EQ(ed.Text, typed);
    EXPECT_EQ(kindAt(ed.Log.Bottom()), urMark);
    EXPECT_EQ(TUndoStack::RecordOf(ed.Log.Bottom())->Aux, 0);
    EXPECT_TRUE(ed.Recorder.Modified());

    ed.Recorder.Undo(); // would meet the bottom inside the group
    EXPECT_EQ(ed.Log.Position(), 0u);
    EXPECT_LT(ed.Text.size(), typed.size());
    EXPECT_EQ(typed.compare(0, ed.Text.size(), ed.Text), 0);
    // History was lost, so the text still differs from the saved one.
    EXPECT_TRUE(ed.Recorder.Modified());
    const std::string kept = ed.Text;
    ed.Recorder.Undo();
    EXPECT_EQ(ed.Text, kept);
    while (!ed.Log.AtTop())
        ed.Recorder.Redo();
    EXPECT_EQ(ed.Text, typed);

    // A single change larger than the limit stays undoable.
    ed.Log.SetSizeLimit(10);
    ed.Paste(std::string(200, 'p'));
    EXPECT_TRUE(ed.Recorder.CanUndo());
    ed.Recorder.Undo();
    EXPECT_EQ(ed.Text, typed);
}

namespace {

// A seeded run of random commands on a random text, with undos and redos between them. Each undo
// must give back the state before the command and each redo the state after it.
void runRandomEditing(unsigned seed, int commands, intptr_t sizeLimit)
{
    std::mt19937 rng(seed);
    auto below = [&](int n) { return n <= 0 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(n)); };
    auto randomText = [&](size_t maxLength) { return RandomTextUpTo(rng, "abcxyz  \t\r\xA0", maxLength); };

    FakeEditor ed(randomText(60));
    ed.Log.SetSizeLimit(sizeLimit);
    const FakeEditor::State initial = ed.Snapshot();
    struct Step {
        FakeEditor::State Before, After;
    };
    std::vector<Step> history;
    size_t done = 0;

    for (int i = 0; i < commands; ++i) {
        const int size = static_cast<int>(ed.Text.size());
        const int choice = below(100);
        if (choice < 12 && done > 0) {
            ASSERT_NO_THROW(ed.Recorder.Undo());
            --done;
            // Once trimming has cut into a group, its steps no longer match whole commands.
            if (!ed.Log.HistoryDropped()) {
                ASSERT_EQ(ed.Snapshot(), history[done].Before) << "undo at command " << i;
            }
            continue;
        }
        if (choice < 20 && done < history.size()) {
            ASSERT_NO_THROW(ed.Recorder.Redo());
            if (!ed.Log.HistoryDropped()) {
                ASSERT_EQ(ed.Snapshot(), history[done].After) << "redo at command " << i;
            }
            ++done;
            continue;
        }
        ed.Select(below(size + 1), below(size + 1));
        const FakeEditor::State before = ed.Snapshot();
        const size_t pushes = ed.Log.Pushes;
        switch (below(6)) {
        case 0:
            ed.Type("ab\r \t"[below(5)]);
            break;
        case 1:
            ed.Paste(randomText(12));
            break;
        case 2:
            ed.DeleteSelected();
            break;
        case 3:
            ed.Indent(1 + below(3));
            break;
        case 4:
            ed.Unindent(1 + below(3));
            break;
        default:
            if (below(2))
                ed.ReplaceSelection(randomText(8)); // a transaction outside any group
            else
                ed.PasteStream(randomText(20));
            break;
        }
        if (ed.Log.Pushes == pushes)
            continue; // an indent or unindent that changed nothing logs nothing
        history.resize(done);
        history.push_back({before, ed.Snapshot()});
        done = history.size();
        // Trimming drops whole units and never the newest change.
        ASSERT_EQ(kindAt(ed.Log.Bottom()), urMark);
        ASSERT_TRUE(ed.Recorder.CanUndo());
    }

    if (sizeLimit < 0) {
        while (ed.Recorder.CanUndo())
            ed.Recorder.Undo();
        EXPECT_EQ(ed.Text, initial.Text);
        ASSERT_FALSE(history.empty());
        EXPECT_EQ(ed.Snapshot(), history.front().Before);
    } else {
        // With history trimmed away undo goes back as far as it can, without faulting.
        for (int guard = 0; ed.Recorder.CanUndo() && guard < commands; ++guard)
            ASSERT_NO_THROW(ed.Recorder.Undo());
        EXPECT_FALSE(ed.Recorder.CanUndo());
        EXPECT_TRUE(ed.Log.HistoryDropped());
        EXPECT_TRUE(ed.Recorder.Modified());
    }
    // Redo replays everything to the newest command, past any part undone before the end.
    while (!ed.Log.AtTop())
        ASSERT_NO_THROW(ed.Recorder.Redo());
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(ed.Snapshot(), history.back().After);
}

} // namespace

TEST(UndoRecorderTest, RandomEditingUndoesAndRedoesExactly)
{
    for (unsigned seed : {1u, 7u, 2024u})
        runRandomEditing(seed, 3000, -1);
}

TEST(UndoRecorderTest, SmallSizeLimitNeverFaults)
{
    for (unsigned seed : {3u, 11u, 99u})
        runRandomEditing(seed, 1500, 2500);
}

TEST(UndoRecorderTest, TheCleanMarkFollowsUndoRedoAndIsForgottenWhenItsTextCannotComeBack)
{
    FakeEditor ed("abc");
    ed.Recorder.SetModified(false);
    EXPECT_TRUE(ed.Recorder.AtCleanPoint());
    ed.Select(3, 3);
    ed.Type('d');
    EXPECT_FALSE(ed.Recorder.AtCleanPoint());
    ed.Recorder.Undo();
    EXPECT_TRUE(ed.Recorder.AtCleanPoint());
    ed.Recorder.Redo();
    EXPECT_FALSE(ed.Recorder.AtCleanPoint());

    // A save marks the position it was made at; undoing past it or back to the load is changed.
    ed.Log.MarkClean();
    EXPECT_TRUE(ed.Recorder.AtCleanPoint());
    ed.Type('e');
    ed.Recorder.Undo();
    EXPECT_TRUE(ed.Recorder.AtCleanPoint());
    ed.Recorder.Undo();
    EXPECT_EQ(ed.Text, "abc");
    EXPECT_FALSE(ed.Recorder.AtCleanPoint());
    // A new edit from there drops the marked entry with the redo part: nothing leads back to it.
    ed.Type('x');
    ed.Recorder.Undo();
    EXPECT_FALSE(ed.Recorder.AtCleanPoint());
    ed.Recorder.Redo();
    EXPECT_FALSE(ed.Recorder.AtCleanPoint());

    // Inside a change under way the position has not moved yet, and says nothing.
    ed.Recorder.SetModified(false);
    ed.Recorder.LogReplaceStart(std::string_view("y"));
    EXPECT_FALSE(ed.Recorder.AtCleanPoint());
    ed.Recorder.AbandonTransaction();
    {
        TUndoGroupScope group(ed.Recorder, ugPaste);
        EXPECT_FALSE(ed.Recorder.AtCleanPoint());
    }
    EXPECT_TRUE(ed.Recorder.AtCleanPoint());

    // A change the log does not hold, or an emptied log, loses the mark.
    ed.Recorder.DisableLogging();
    ed.ReplaceSelection("z");
    ed.Recorder.EnableLogging();
    EXPECT_FALSE(ed.Recorder.AtCleanPoint());
    ed.Recorder.SetModified(false);
    ed.Recorder.ClearLog();
    EXPECT_FALSE(ed.Recorder.AtCleanPoint());

    // Trimming away the history below the marked load loses it too; a marked entry kept survives.
    ed.Recorder.SetModified(false);
    for (char c : std::string("trimmed"))
        ed.Type(c);
    ed.Log.SetSizeLimit(static_cast<intptr_t>(ed.Log.TotalBytes() / 2));
    while (ed.Recorder.CanUndo())
        ed.Recorder.Undo();
    EXPECT_FALSE(ed.Recorder.AtCleanPoint());
    while (!ed.Log.AtTop())
        ed.Recorder.Redo();
    ed.Log.MarkClean();
    ed.Type('!');
    ed.Recorder.Undo();
    EXPECT_TRUE(ed.Recorder.AtCleanPoint());
}
