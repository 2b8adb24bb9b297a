// The abstract highlighting parser: its settings, its attached editors and the notice it gives when it goes.
#include "editor/model/ParserBase.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "editor/model/LineStore.h"

TParserClient::~TParserClient()
{
    const std::vector<TCustomCodeMemoParser*> parsers = FListedBy;
    for (TCustomCodeMemoParser* parser : parsers)
        parser->forgetEditor(this);
}

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
    std::vector<TParserClient*> editors = FNotified;
    for (TParserClient* editor : FEditors)
        if (std::find(editors.begin(), editors.end(), editor) == editors.end())
            editors.push_back(editor);
    for (TParserClient* editor : editors)
        editor->ParserRemoved(this);
    for (TParserClient* editor : FEditors)
        FSettings->RemoveClient(editor);
    editors = FNotified;
    editors.insert(editors.end(), FEditors.begin(), FEditors.end());
    FEditors.clear();
    FNotified.clear();
    for (TParserClient* editor : editors)
        noteListing(editor);
}

void TCustomCodeMemoParser::noteListing(TParserClient* editor)
{
    auto lists = [editor](const std::vector<TParserClient*>& list) {
        return std::find(list.begin(), list.end(), editor) != list.end();
    };
    bool listed = lists(FEditors) || lists(FNotified);
    for (const TParserSettingsLoan* loan = FLoan; loan && !listed; loan = loan->FOuter)
        listed = lists(loan->FLentEditors);
    std::vector<TCustomCodeMemoParser*>& parsers = editor->FListedBy;
    auto it = std::find(parsers.begin(), parsers.end(), this);
    if (listed && it == parsers.end())
        parsers.push_back(this);
    else if (!listed && it != parsers.end())
        parsers.erase(it);
}

void TCustomCodeMemoParser::forgetEditor(TParserClient* editor)
{
    for (TParserSettingsLoan* loan = FLoan; loan; loan = loan->FOuter)
        std::erase(loan->FLentEditors, editor);
    DetachEditor(editor);
    RemoveFreeNotification(editor);
}

uint8_t TCustomCodeMemoParser::ScanTokensBefore(TParserClient* editor, TEdStream& stream, int64_t limit,
                                                uint8_t* styles, int64_t stylesStart, TTokenPlace& place)
{
    for (;;) {
        place = {stream.Record(), stream.OffsetInRecord(), stream.GetPos()};
        int length = 0;
        const uint8_t value = ScanToken(editor, stream, length);
        const int64_t end = stream.GetPos();
        if (end <= place.Start || end >= limit || InContainer() || GetTokenPending())
            return value;
        std::memset(styles + (place.Start - stylesStart), value, static_cast<size_t>(end - place.Start));
    }
}

bool TCustomCodeMemoParser::EditSettings(TSM_PropEdPages)
{
    return EditAll();
}

void TCustomCodeMemoParser::AttachEditor(TParserClient* editor)
{
    if (!editor || IsAttached(editor))
        return;
    FEditors.push_back(editor);
    FSettings->AddClient(editor);
    FreeNotification(editor);
    noteListing(editor);
}

void TCustomCodeMemoParser::DetachEditor(TParserClient* editor)
{
    auto it = std::find(FEditors.begin(), FEditors.end(), editor);
    if (it == FEditors.end())
        return;
    FEditors.erase(it);
    FSettings->RemoveClient(editor);
    noteListing(editor);
}

bool TCustomCodeMemoParser::IsAttached(const TParserClient* editor) const
{
    return std::find(FEditors.begin(), FEditors.end(), editor) != FEditors.end();
}

void TCustomCodeMemoParser::EnsureLoaded()
{
    if (FPendingLoad)
        std::exchange(FPendingLoad, nullptr)();
}

void TCustomCodeMemoParser::RefreshEditors()
{
    if (FEditors.empty() || FLoading || FDestroying)
        return;
    SettingsApplied = 1;
    std::vector<TParserClient*> editors = FEditors;
    for (TParserClient* editor : editors) {
        // An editor detached by an earlier one's refresh is left alone.
        if (!IsAttached(editor))
            continue;
        try {
            editor->ParserSettingsReplaced(this);
        } catch (const std::exception&) {
            SettingsApplied = 0;
        }
    }
}

void TCustomCodeMemoParser::FreeNotification(TParserClient* editor)
{
    if (editor && std::find(FNotified.begin(), FNotified.end(), editor) == FNotified.end()) {
        FNotified.push_back(editor);
        noteListing(editor);
    }
}

void TCustomCodeMemoParser::RemoveFreeNotification(TParserClient* editor)
{
    auto it = std::find(FNotified.begin(), FNotified.end(), editor);
    if (it != FNotified.end()) {
        FNotified.erase(it);
        noteListing(editor);
    }
}

TParserSettingsLoan::TParserSettingsLoan(TCustomCodeMemoParser& parser, std::unique_ptr<TSM_Settings> standIn)
    : FParser(parser), FLent(std::move(standIn)), FOuter(parser.FLoan)
{
    if (!FLent)
        FLent = std::make_unique<TSM_Settings>();
    std::swap(parser.FSettings, FLent);
    FLentEditors = std::exchange(parser.FEditors, {});
    parser.FLoan = this;
}

TParserSettingsLoan::~TParserSettingsLoan()
{
    // Editors attached to the stand-in leave it before it goes.
    const std::vector<TParserClient*> attached = FParser.FEditors;
    for (TParserClient* editor : attached)
        FParser.DetachEditor(editor);
    std::swap(FParser.FSettings, FLent);
    FParser.FEditors = std::move(FLentEditors);
    FParser.FLoan = FOuter;
    for (TParserClient* editor : FParser.FEditors)
        FParser.noteListing(editor);
}
