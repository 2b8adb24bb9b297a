// The editor's Lines adapter (a string list that holds no text, only messages) and its caret control.
#pragma once

#include <string>

#include "platform/core/Classes.h"

class TCustomCodeMemo;

// The editor's text seen as a list of display lines. Every operation is a message to the editor,
// so the lines are always the editor's own.
class TCodeMemoStrings {
public:
    explicit TCodeMemoStrings(TCustomCodeMemo* editor) : FEditor(editor) {}

    // Line `index` without its line break; empty for a line that does not exist.
    std::string Get(int index);
    std::string operator[](int index) { return Get(index); }
    // Display lines; an empty editor has none.
    int Count();
    // Replaces line `index`; an index past the last line raises EListError.
    void Put(int index, const std::string& s);
    // Inserts a line before line `index`; at or past the end the line is appended.
    void Insert(int index, const std::string& s);
    void Add(const std::string& s) { Insert(Count(), s); }
    // Removes line `index` with its line break; nothing past the end.
    void Delete(int index);
    void Clear();

    // The whole text with CR LF line breaks.
    std::string Text();
    void SetText(const std::string& value);
    // Replaces the text with the lines of `strings`.
    void Assign(const TStringList& strings);
    void AddStrings(const TStringList& strings);

    // Batched changes: the editor stops redrawing until the last EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    // Forgets open updates without a message; the editor switches its redraw back on itself.
    void AbandonUpdates() { FUpdateCount = 0; }

    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream);

private:
    void SetUpdateState(bool updating);
    TCustomCodeMemo* FEditor;
    int FUpdateCount = 0;
};

// The editor's top line for the application, 1-based.
class TSM_CaretControl {
public:
    explicit TSM_CaretControl(TCustomCodeMemo* editor) : FEditor(editor) {}
    int GetTopLine();
    // Line 1 is the first; values below 1 go on unchanged and the view clamps them.
    void SetTopLine(int line);

private:
    TCustomCodeMemo* FEditor;
};
