// The abstract highlighting parser: its settings, its attached editors and the notice it gives when it goes.
#include "editor/ParserBase.h"

#include <algorithm>

#include "editor/CodeMemo.h"

TCustomCodeMemoParser::TCustomCodeMemoParser() : FSettings(std::make_unique<TSM_Settings>()) {}

TCustomCodeMemoParser::~TCustomCodeMemoParser()
{
    ReleaseEditors();
}

void TCustomCodeMemoParser::ReleaseEditors()
{
    FDestroying = true;
    // Each editor empties its slots, which detaches it and removes it from the lists; work on a
    // copy, since the lists shrink meanwhile.
    std::vector<TCustomCodeMemo*> editors = FNotified;
    for (TCustomCodeMemo* editor : FEditors)
        if (std::find(editors.begin(), editors.end(), editor) == editors.end())
            editors.push_back(editor);
    for (TCustomCodeMemo* editor : editors)
        editor->Notification(this, opRemove);
    for (TCustomCodeMemo* editor : FEditors)
        FSettings->RemoveClient(editor);
    FEditors.clear();
    FNotified.clear();
}

bool TCustomCodeMemoParser::EditSettings(TSM_PropEdPages)
{
    return EditAll();
}

void TCustomCodeMemoParser::AttachEditor(TCustomCodeMemo* editor)
{
    if (!editor || IsAttached(editor))
        return;
    FEditors.push_back(editor);
    FSettings->AddClient(editor);
    FreeNotification(editor);
}

void TCustomCodeMemoParser::DetachEditor(TCustomCodeMemo* editor)
{
    auto it = std::find(FEditors.begin(), FEditors.end(), editor);
    if (it == FEditors.end())
        return;
    FEditors.erase(it);
    FSettings->RemoveClient(editor);
}

bool TCustomCodeMemoParser::IsAttached(const TCustomCodeMemo* editor) const
{
    return std::find(FEditors.begin(), FEditors.end(), editor) != FEditors.end();
}

void TCustomCodeMemoParser::RefreshEditors()
{
    if (FEditors.empty() || FLoading || FDestroying)
        return;
    SettingsApplied = 1;
    std::vector<TCustomCodeMemo*> editors = FEditors;
    for (TCustomCodeMemo* editor : editors) {
        // An editor detached by an earlier one's refresh is left alone.
        if (!IsAttached(editor))
            continue;
        try {
            editor->SetActiveParser(editor->ActiveParser());
        } catch (const std::exception&) {
            SettingsApplied = 0;
        }
    }
}

void TCustomCodeMemoParser::FreeNotification(TCustomCodeMemo* editor)
{
    if (editor && std::find(FNotified.begin(), FNotified.end(), editor) == FNotified.end())
        FNotified.push_back(editor);
}

void TCustomCodeMemoParser::RemoveFreeNotification(TCustomCodeMemo* editor)
{
    auto it = std::find(FNotified.begin(), FNotified.end(), editor);
    if (it != FNotified.end())
        FNotified.erase(it);
}
