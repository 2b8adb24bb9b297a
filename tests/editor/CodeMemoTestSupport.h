// Helpers shared by the editor control's tests: a tiny parser, message shorthands and key presses.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <algorithm>
#include <QKeyEvent>
#include <string>
#include <utility>

#include "editor/CodeMemo.h"
#include "editor/SearchWatch.h"
#include "editor/model/LineStore.h"
#include "platform/Keys.h"

// A language with one token per character and value 0: enough to hold settings and editors.
class TTestParser : public TCustomCodeMemoParser {
public:
    uint8_t ScanToken(TParserClient*, TEdStream& stream, int& length) override
    {
        stream.Next();
        length = 1;
        return 0;
    }
    void ResetScanner(uint8_t) override {}
    bool EditAll() override
    {
        ++Edits;
        return EditResult;
    }
    int Edits = 0;
    bool EditResult = false;
};

inline void SetText(TCustomCodeMemo& memo, const std::string& text)
{
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

inline void Select(TCustomCodeMemo& memo, int start, int end, WPARAM extra = 0)
{
    TSelectionRange range{start, end};
    memo.Perform(SMM_SELECTION, SMM_SET | extra, reinterpret_cast<LPARAM>(&range));
}

// Replaces the selection with `text` through the message interface (nullptr deletes it).
inline void Insert(TCustomCodeMemo& memo, const char* text, UINT msg = SMM_INSERTTEXT)
{
    memo.Perform(msg, 0, reinterpret_cast<LPARAM>(text));
}

inline LRESULT Ask(TCustomCodeMemo& memo, UINT msg)
{
    return memo.Perform(msg, 0, 0);
}

inline TSelectionRange Selection(TCustomCodeMemo& memo)
{
    TSelectionRange range{-7, -7};
    memo.Perform(SMM_SELECTION, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

// The selection with its start before its end, whichever way it was made.
inline TSelectionRange OrderedSelection(TCustomCodeMemo& memo)
{
    TSelectionRange range = Selection(memo);
    if (range.Start > range.End)
        std::swap(range.Start, range.End);
    return range;
}

// A key event for the virtual key under the shift state, sent to `target` (the control or its pop-up).
inline void send(QWidget& target, int vk, TShiftState shift, bool down)
{
    auto event = MakeKeyEvent(vk, shift, down);
    ASSERT_TRUE(event) << vk;
    QCoreApplication::sendEvent(&target, event.get());
}

// One key going down and up again.
inline void press(QWidget& target, int vk, TShiftState shift = 0)
{
    send(target, vk, shift, true);
    send(target, vk, shift, false);
}

// Switches one option of the control on or off.
inline void SetOption(TCustomCodeMemo& memo, TCodeMemoOption option, bool on)
{
    TCodeMemoOptions options = memo.Options();
    if (on)
        options.Include(option);
    else
        options.Exclude(option);
    memo.SetOptions(options);
}

// `text` `count` times over.
inline std::string Repeated(const std::string& text, int count)
{
    std::string result;
    result.reserve(text.size() * static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i)
        result += text;
    return result;
}

// Watches every search from its start, so that each look for Escape handles the waiting events, and
// makes the batches of a replace all `batch` ranges long; both are put back afterwards.
struct TWatchAtOnce {
    explicit TWatchAtOnce(size_t batch = 16384)
    {
        TSearchWatch::SetDelay(0);
        TCustomCodeMemo::SetReplaceBatch(batch);
    }
    ~TWatchAtOnce()
    {
        TSearchWatch::SetDelay(300);
        TCustomCodeMemo::SetReplaceBatch(16384);
    }
    TWatchAtOnce(const TWatchAtOnce&) = delete;
    TWatchAtOnce& operator=(const TWatchAtOnce&) = delete;
};
