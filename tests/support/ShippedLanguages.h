// The shipped highlighting languages compiled from their scripts, and edits through the control's
// messages, for the tests and benchmarks of colouring.
#pragma once

#include <filesystem>
#include <string>

#include "editor/CodeMemo.h"
#include "highlight/CodeMemoParser.h"

inline void CompileShipped(TCodeMemoParser& parser, const char* script)
{
    parser.Script = (std::filesystem::path(KESTRIMA_SOURCE_DIR) / "resources/scripts" / script).string();
    parser.LoadScriptFile();
}

inline void SetMemoText(TCodeMemo& memo, const std::string& text)
{
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Replaces the characters [start, end) by `text`, as typing over a selection does.
inline void ReplaceMemoText(TCodeMemo& memo, int start, int end, const std::string& text)
{
    memo.Perform(EM_SETSEL, static_cast<WPARAM>(start), end);
    memo.Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
