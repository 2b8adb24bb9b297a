// Documents of a known number of printed pages for the print preview tests.
#pragma once

#include <string>

#include "components/PrevPrinter.h"
#include "editor/CodeMemo.h"
#include "editor/PrintPreviewPages.h"

inline void SetMemoText(TCustomCodeMemo& memo, const std::string& text)
{
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// "linea 1" to "linea <count>", one a line.
inline std::string Lines(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "linea " + std::to_string(i) + (i < count ? "\r\n" : "");
    return text;
}

// Lines drawn on the first page when the preview builds its pages from the editor's text.
inline int LinesOnFirstPage(TCustomCodeMemo& memo, TPreviewPrinter& preview)
{
    int pageOfLine = 0;
    int lines = 0;
    preview.OnStatus = [&](TPreviewPrinter*, const std::string&, int page, TStatusType type) {
        if (type == stPageStarted)
            pageOfLine = page;
    };
    memo.OnDrawLine = [&](TCustomCodeMemo*, TLineDrawData*) {
        if (pageOfLine == 1)
            ++lines;
        return 0;
    };
    BuildPages(preview, memo);
    memo.OnDrawLine = nullptr;
    preview.OnStatus = nullptr;
    return lines;
}

// Fills the editor with text that makes `pages` pages (four full ones and a line, for five), and
// builds them.
inline void BuildPagesOf(TCustomCodeMemo& memo, TPreviewPrinter& preview, int pages)
{
    SetMemoText(memo, Lines(600));
    const int perPage = LinesOnFirstPage(memo, preview);
    SetMemoText(memo, Lines((pages - 1) * perPage + 1));
    BuildPages(preview, memo);
}
