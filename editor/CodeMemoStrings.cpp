// The editor's Lines adapter and caret control: every operation is a message to the editor.
#include "editor/CodeMemoStrings.h"

#include <cstring>

#include "editor/CodeMemo.h"
#include "platform/core/SysUtils.h"

namespace {
constexpr int kListIndexText = 65214;
}

namespace {
// Get reads a line into a buffer of this size; records are far shorter.
constexpr int kLineBufferSize = 4096;
} // namespace

std::string TCodeMemoStrings::Get(int index)
{
    std::string buffer(kLineBufferSize, '\0');
    uint16_t size = kLineBufferSize;
    std::memcpy(buffer.data(), &size, sizeof size);
    LRESULT n = FEditor->PerformBuffer(EM_GETLINE, index, buffer.data());
    buffer.resize(static_cast<size_t>(n));
    return buffer;
}

int TCodeMemoStrings::Count()
{
    int count = static_cast<int>(FEditor->Perform(EM_GETLINECOUNT, 0, 0));
    if (count == 1) {
        LRESULT start = FEditor->Perform(EM_LINEINDEX, 0, 0);
        if (FEditor->Perform(EM_LINELENGTH, start, 0) == 0 && FEditor->TextLength() == 0)
            return 0;
    }
    return count;
}

void TCodeMemoStrings::Put(int index, const std::string& s)
{
    // Past the last line there is nothing to replace; writing there would extend the last line.
    if (index < 0 || index >= Count())
        throw EListError(FmtLoadStr(kListIndexText, index));
    LRESULT start = FEditor->Perform(EM_LINEINDEX, index, 0);
    LRESULT length = FEditor->Perform(EM_LINELENGTH, start, 0);
    FEditor->Perform(EM_SETSEL, start, start + length);
    FEditor->PerformText(EM_REPLACESEL, 0, s.c_str());
}

void TCodeMemoStrings::Insert(int index, const std::string& s)
{
    if (index < 0)
        return;
    int count = Count();
    std::string text;
    LRESULT at = 0;
    if (index < count) {
        at = FEditor->Perform(EM_LINEINDEX, index, 0);
        text.append(s).append("\r\n");
    } else {
        // Appending: the new line follows the last one, which may still lack its line break.
        at = FEditor->TextLength();
        bool open = at > 0 && FEditor->StoredText(static_cast<int>(at) - 1, static_cast<int>(at)) != "\r";
        if (open)
            text += '\r';
        text.append(s);
        if (text.empty())
            text += '\r';
    }
    FEditor->Perform(EM_SETSEL, at, at);
    FEditor->PerformText(EM_REPLACESEL, 0, text.c_str());
}

void TCodeMemoStrings::Delete(int index)
{
    LRESULT start = FEditor->Perform(EM_LINEINDEX, index, 0);
    if (start < 0)
        return;
    LRESULT end = FEditor->Perform(EM_LINEINDEX, index + 1, 0);
    if (end < 0)
        end = start + FEditor->Perform(EM_LINELENGTH, start, 0);
    FEditor->Perform(EM_SETSEL, start, end);
    FEditor->PerformText(EM_REPLACESEL, 0, "");
}

void TCodeMemoStrings::Clear()
{
    FEditor->Clear();
}

std::string TCodeMemoStrings::Text()
{
    return FEditor->GetTextStr();
}

void TCodeMemoStrings::SetText(const std::string& value)
{
    // Line breaks of any kind become CR LF, the form the editor's text is compared in.
    std::string text;
    text.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c == '\r' || c == '\n') {
            text += "\r\n";
            char other = c == '\r' ? '\n' : '\r';
            if (i + 1 < value.size() && value[i + 1] == other)
                ++i;
        } else {
            text += c;
        }
    }
    if (static_cast<int>(text.size()) == FEditor->GetTextLen() && text == FEditor->GetTextStr())
        return;
    FEditor->PerformText(WM_SETTEXT, 0, text.c_str());
    FEditor->Perform(CM_TEXTCHANGED, 0, 0);
}

void TCodeMemoStrings::Assign(const TStringList& strings)
{
    BeginUpdate();
    TScopeGuard update([this] { EndUpdate(); });
    Clear();
    AddStrings(strings);
}

void TCodeMemoStrings::AddStrings(const TStringList& strings)
{
    TMemoryStream stream;
    strings.SaveToStream(stream);
    stream.SetPosition(0);
    FEditor->LoadFromStream(stream);
}

void TCodeMemoStrings::BeginUpdate()
{
    if (FUpdateCount++ == 0)
        SetUpdateState(true);
}

void TCodeMemoStrings::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        SetUpdateState(false);
}

void TCodeMemoStrings::SetUpdateState(bool updating)
{
    FEditor->Perform(WM_SETREDRAW, updating ? 0 : 1, 0);
    if (!updating) {
        FEditor->Perform(CM_SHOWINGCHANGED, 0, 0);
        FEditor->Invalidate();
    }
}

void TCodeMemoStrings::LoadFromFile(const std::string& fileName)
{
    FEditor->LoadFromFile(fileName);
}

void TCodeMemoStrings::SaveToFile(const std::string& fileName)
{
    FEditor->SaveToFile(fileName);
}

void TCodeMemoStrings::LoadFromStream(TStream& stream)
{
    FEditor->LoadFromStream(stream);
}

void TCodeMemoStrings::SaveToStream(TStream& stream)
{
    FEditor->SaveToStream(stream);
}

int TSM_CaretControl::GetTopLine()
{
    return static_cast<int>(FEditor->Perform(SMM_TOPLINE, 0, 0)) + 1;
}

void TSM_CaretControl::SetTopLine(int line)
{
    FEditor->Perform(SMM_TOPLINE, SMM_SET, line >= 1 ? line - 1 : line);
}
