// InsertTag: wraps the editor's selection in an opening and a closing code, in the configured letter case.
#include "app/host/libKestrimaTags.h"

#include <exception>
#include <string_view>

#include "app/model/libKestrima.h"
#include "editor/CodeMemo.h"
#include "platform/core/Messages.h"
#include "platform/core/SysUtils.h"

namespace {

// The length of `text` as the editor stores it: a CR LF or LF CR pair is one line break.
int editorLength(std::string_view text)
{
    int length = 0;
    for (size_t i = 0; i < text.size(); ++i, ++length) {
        const char c = text[i];
        if ((c == '\r' || c == '\n') && i + 1 < text.size() && text[i + 1] == (c == '\r' ? '\n' : '\r'))
            ++i;
    }
    return length;
}

} // namespace

bool InsertTag(TCustomCodeMemo& editor, uint8_t caseMode, bool ignoreSelection, bool separateLines,
               const std::string& openCode, const std::string& closeCode)
{
    // The codes go in as a program's insertion, which the editor's own read-only check does not stop.
    if (editor.ReadOnly())
        return false;
    // Positions are offsets in the editor's text, where a line break counts one character, whatever
    // pair of bytes the codes write it with. The case rules keep every letter one character, so
    // lengths hold across the change.
    const int start = editor.GetSelStart();
    const int innerStart = start + editorLength(openCode) + (separateLines ? 1 : 0);
    const std::string open = ApplyCaseMode(caseMode, openCode);
    const std::string close = ApplyCaseMode(caseMode, closeCode);
    const std::string inner = ignoreSelection ? std::string() : editor.GetSelText();
    const bool caretMode = inner.empty();
    const std::string lineBreak = separateLines ? "\r" : "";
    const std::string text = open + lineBreak + inner + lineBreak + close;

    bool result = true;
    try {
        editor.PerformText(EM_REPLACESEL, 1, text.c_str());
        const int caretAfter = editor.GetSelStart();
        editor.SetSelLength(0);
        editor.SetSelStart(innerStart);
        editor.SetSelLength(caretAfter - editorLength(close) - static_cast<int>(lineBreak.size()) - innerStart);
    } catch (const std::exception&) {
        result = false;
    }
    if (caretMode) {
        editor.SetSelStart(innerStart);
        editor.SetSelLength(0);
    }
    return result;
}

namespace {

// The three comma-separated parts of an answer with its blanks removed; false unless there are three.
bool colorParts(const std::string& answer, std::string parts[3])
{
    std::string compact;
    for (const char c : answer)
        if (c != ' ')
            compact += c;
    int count = 0;
    size_t from = 0;
    for (;;) {
        const size_t comma = compact.find(',', from);
        if (count == 3)
            return false;
        parts[count++] = compact.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        if (comma == std::string::npos)
            break;
        from = comma + 1;
    }
    return count == 3;
}

// A number of at most `maxDigits` digits of the base, up to 255.
bool colorComponent(const std::string& text, int base, size_t maxDigits, int& value)
{
    if (text.empty() || text.size() > maxDigits)
        return false;
    value = 0;
    for (const char c : text) {
        const int digit = base == 16 ? HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0)
            return false;
        value = value * base + digit;
    }
    return value <= 255;
}

bool convertColor(const std::string& answer, int base, const char* format, std::string& result)
{
    std::string parts[3];
    int values[3];
    if (!colorParts(answer, parts))
        return false;
    for (int i = 0; i < 3; ++i)
        if (!colorComponent(parts[i], base, base == 10 ? 3 : 2, values[i]))
            return false;
    result = Format(format, values[0], values[1], values[2]);
    return true;
}

} // namespace

bool DecimalColorToHex(const std::string& answer, std::string& result)
{
    return convertColor(answer, 10, "%.2X%.2X%.2X", result);
}

bool HexColorToDecimal(const std::string& answer, std::string& result)
{
    return convertColor(answer, 16, "%d,%d,%d", result);
}

void SplitMenuItemCodes(const std::string& item, std::string& openCode, std::string& closeCode)
{
    const std::string text = Trim(item);
    openCode.clear();
    closeCode.clear();
    if (text.empty() || text == "-")
        return;
    const size_t mark = text.find("...");
    openCode = text.substr(0, mark);
    if (mark != std::string::npos)
        closeCode = text.substr(mark + 3);
    if (openCode.find('<') == std::string::npos)
        openCode = " " + openCode;
}

std::string SpecialCharacterCode(const std::string& caption)
{
    if (caption == "<")
        return "&lt;";
    if (caption == ">")
        return "&gt;";
    if (caption == "Espacio")
        return "&nbsp;";
    if (caption == "&&")
        return "&amp;";
    return caption;
}
