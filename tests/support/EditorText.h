// The editor's text as offsets count it: each line break one CR.
#pragma once

#include <string>

#include "editor/CodeMemo.h"

inline std::string EditorText(TCustomCodeMemo& memo)
{
    std::string text;
    for (const char c : memo.GetTextStr())
        if (c != '\n')
            text += c;
    return text;
}
