// TCodeMemoParser: one compiled highlighting language and the scanner that cuts text into tokens.
#include "highlight/CodeMemoParser.h"

#include <bit>
#include <utility>

#include "editor/model/LineStore.h"
#include "highlight/Recognisers.h"

namespace {

uint8_t current(TEdStream& stream) { return static_cast<uint8_t>(stream.CurrentChar()); }

void advance(TEdStream& stream, int& length)
{
    if (!stream.AtEnd()) {
        stream.Next();
        ++length;
    }
}

bool isBuiltinStart(int32_t id) { return id >= kFirstBuiltinStart && id <= kLastRecogniser; }

} // namespace

TCodeMemoParser::TCodeMemoParser()
    : FKeywords(std::make_unique<TSyntaxKeywords>()), FCurrentStartTable(&FTables.DefaultStartTable)
{
    FCompressor.Method = TCompressor::MethodLZRW1KH;
    FCompressor.UseStreams = true;
    Clear();
}

TCodeMemoParser::~TCodeMemoParser()
{
    // The editors must let go while the tables and settings they may still consult exist.
    ReleaseEditors();
}

void TCodeMemoParser::Clear()
{
    FTables.Clear();
    FCurrentStartTable = &FTables.DefaultStartTable;
    FKeywords = std::make_unique<TSyntaxKeywords>();
    FStack.Clear();
    Settings().ResetDefaults();
}

bool TCodeMemoParser::EditAll() { return EditSettings(kAllPropEdPages); }

namespace {
TCodeMemoParser::TSettingsDialog& settingsDialog()
{
    static TCodeMemoParser::TSettingsDialog dialog;
    return dialog;
}
} // namespace

void TCodeMemoParser::SetSettingsDialog(TSettingsDialog dialog) { settingsDialog() = std::move(dialog); }

bool TCodeMemoParser::EditSettings(TSM_PropEdPages pages)
{
    if (OnModifyProperties) {
        OnModifyProperties(this);
        return false;
    }
    if ((pages & kAllPropEdPages) == 0 || !settingsDialog())
        return false;
    const bool confirmed = settingsDialog()(*this, pages);
    if (confirmed) {
        RefreshEditors();
        if (UseRegistry && !RegistryKey.empty())
            SaveToRegistry();
    }
    return confirmed;
}

bool TCodeMemoParser::InBoundState() const
{
    return FKeywords && FKeywords->CurrentStates.Intersects(FTables.BoundStates);
}

uint32_t TCodeMemoParser::ScanStateDigest() const
{
    // FNV-1a over the current states and every stacked frame, the depth included.
    uint32_t hash = 2166136261u;
    auto add = [&hash](uint8_t byte) {
        hash ^= byte;
        hash *= 16777619u;
    };
    if (FKeywords)
        for (uint8_t b : FKeywords->CurrentStates.Bytes)
            add(b);
    add(static_cast<uint8_t>(FStack.Count()));
    FStack.ForEachFrame([&](const TStateSet& frame) {
        for (uint8_t b : frame.Bytes)
            add(b);
    });
    add(FContainer);
    return hash == kNoScanState ? 0 : hash;
}

bool TCodeMemoParser::CallCustomParse(int parseID, TEdStream& stream, int& length, int& value)
{
    if (!OnCustomParse)
        return false;
    return OnCustomParse(this, parseID, stream, length, value);
}

void TCodeMemoParser::SelectTokenTable()
{
    FCurrentStartTable = &FTables.DefaultStartTable;
    if (FTables.NoInState)
        return;
    const TStateSet& states = FKeywords->CurrentStates;
    for (size_t i = 0; i < states.Bytes.size(); ++i) {
        const uint8_t common = states.Bytes[i] & FTables.InStateOwners.Bytes[i];
        if (!common)
            continue;
        // Only the lowest owning state counts; a language keeps its InState states exclusive.
        const size_t state = i * 8 + static_cast<size_t>(std::countr_zero(common));
        if (const TStartTable* table = FTables.InStateTables[state].get())
            FCurrentStartTable = table;
        return;
    }
}

void TCodeMemoParser::syncTrieStates()
{
    if (TKeywords* trie = Settings().KeywordTrie())
        trie->CurrentStates = FKeywords->CurrentStates;
}

void TCodeMemoParser::ResetScanner(uint8_t tokenValue)
{
    TStateSet& states = FKeywords->CurrentStates;
    states = FTables.ContextStates[tokenValue];
    if (states.IsEmpty())
        states = FTables.StartStates;
    FContainer = 0;
    FContainerEnd = 0;
    FPending = 0;
    FStack.Clear();
    FRecogniserMemo.Clear();
    SelectTokenTable();
    syncTrieStates();
}

bool TCodeMemoParser::groupContains(uint16_t groupId, uint8_t ch) const
{
    const TSM_CharGroupManager& groups = FKeywords->Groups();
    return groupId < groups.Count() && groups.GetGroup(groupId).Contains(ch);
}

void TCodeMemoParser::takeOneChar(TEdStream& stream, int64_t start, int& length)
{
    stream.SetPos(start);
    length = 0;
    advance(stream, length);
}

bool TCodeMemoParser::matchElement(const TElementRec& element, TEdStream& stream, int& length, int& value)
{
    if (element.IsProcedure()) {
        if (element.CustomFlag)
            return CallCustomParse(element.ProcID, stream, length, value);
        return RunRecogniser(RecogniserOfProcedure(element.ProcID), stream, length, &FRecogniserMemo);
    }
    // Past the end the cursor reports character 0, which a negated group may accept; nothing is
    // consumed there, so the length keeps counting real characters.
    if (!groupContains(element.GroupID, current(stream)))
        return false;
    advance(stream, length);
    return true;
}

bool TCodeMemoParser::matchBody(const TElementRec& element, TEdStream& stream, int& length, int& value)
{
    if (element.IsProcedure()) {
        if (element.CustomFlag)
            return CallCustomParse(element.ProcID, stream, length, value);
        return RunRecogniser(RecogniserOfProcedure(element.ProcID), stream, length, &FRecogniserMemo);
    }
    const int64_t origin = stream.GetPos();
    for (int i = 0; i < element.GroupCount(); ++i) {
        if (!groupContains(element.GroupIDs[static_cast<size_t>(i)], current(stream))) {
            stream.SetPos(origin);
            return false;
        }
        if (!stream.AtEnd())
            stream.Next();
    }
    if (element.Flag)
        length += static_cast<int>(stream.GetPos() - origin);
    else
        stream.SetPos(origin);
    return true;
}

bool TCodeMemoParser::runHandler(const THandlerRec& handler, TEdStream& stream, int& length, uint8_t& token)
{
    const TElementRec& start = handler.Start;
    const TElementRec& body = handler.Body;
    int value = token;
    bool tryBody = start.Flag != 0 && body.IsPresent();
    for (;;) {
        bool bodyFailedHere = false;
        if (tryBody) {
            if (matchBody(body, stream, length, value)) {
                token = static_cast<uint8_t>(value);
                return true;
            }
            bodyFailedHere = true;
        }
        tryBody = body.IsPresent();
        value = token;
        if (start.IsProcedure() && !start.CustomFlag && isBuiltinStart(start.ProcID))
            return RunRecogniser(start.ProcID, stream, length, &FRecogniserMemo);
        const int64_t before = stream.GetPos();
        if (!matchElement(start, stream, length, value))
            return false;
        token = static_cast<uint8_t>(value);
        if (!body.IsPresent())
            return true;
        // A start that matched without moving, where the body has just failed, would repeat the
        // same two tests for ever: the body can never complete the token.
        if (bodyFailedHere && stream.GetPos() == before)
            return false;
        if (stream.AtEnd())
            return true;
    }
}

uint8_t TCodeMemoParser::runStartRecord(const TStartRec& record, TEdStream& stream, int64_t start, int& length)
{
    stream.SetPos(start);
    length = 0;
    if (record.Start.IsProcedure()) {
        if (RunRecogniser(record.Start.ProcID, stream, length, &FRecogniserMemo))
            return record.TokenValue;
        takeOneChar(stream, start, length);
        return 0;
    }

    advance(stream, length); // the head character
    const TElementRec& repeat = record.Repeat;
    const TElementRec& terminator = record.Terminator;
    uint8_t token = 0;
    int value = token;
    bool tryTerminator = repeat.Flag != 0;
    for (;;) {
        bool terminatorFailedHere = false;
        if (tryTerminator) {
            if (matchBody(terminator, stream, length, value))
                return record.TokenValue;
            terminatorFailedHere = true;
        }
        tryTerminator = true;
        value = token;
        const int64_t before = stream.GetPos();
        if (!matchElement(repeat, stream, length, value)) {
            takeOneChar(stream, start, length);
            return 0;
        }
        token = static_cast<uint8_t>(value);
        // A token left open at the end of the text keeps its value: an unclosed comment or string is
        // still coloured as one.
        if (stream.AtEnd())
            return record.TokenValue;
        if (repeat.IsCustom())
            return token;
        if (terminatorFailedHere && stream.GetPos() == before) {
            takeOneChar(stream, start, length);
            return 0;
        }
    }
}

void TCodeMemoParser::applyStateChange(const TTokenStateRec& record)
{
    TStateSet& states = FKeywords->CurrentStates;
    if (record.StackAction & saPopBefore) {
        FStack.PopStates(states);
        SelectTokenTable();
    } else if (record.StackAction & saPushBefore) {
        FStack.PushStates(states);
    }
    if (!record.NoStateChange) {
        states |= record.Enter;
        states -= record.Leave;
        SelectTokenTable();
    }
    if (record.StackAction & saPopAfter) {
        FStack.PopStates(states);
        SelectTokenTable();
    } else if (record.StackAction & saPushAfter) {
        FStack.PushStates(states);
    }
    syncTrieStates();
}

uint8_t TCodeMemoParser::ScanToken(TParserClient* editor, TEdStream& stream, int& length)
{
    if (editor && !IsAttached(editor))
        AttachEditor(editor);

    // However the scan ends, even by an exception from a custom parse handler, the pending flag must
    // tell the driver whether a container is still open, or the driver would wait for ever.
    struct PendingUpdate {
        TCodeMemoParser& parser;
        ~PendingUpdate() { parser.FPending = parser.FContainer; }
    } pendingUpdate{*this};

    TStateSet& states = FKeywords->CurrentStates;
    const uint8_t first = current(stream);
    const int64_t start = stream.GetPos();
    uint8_t token = 0;

    // Keywords: the language table first, then the keyword tables of the settings.
    int64_t matchStart = 0;
    length = 0;
    bool keywordHit = false;
    bool settingsKeyword = false;
    int32_t value = FKeywords->MatchCursor(stream, FKeywords->CaseSensitive, 1, matchStart, length);
    if (value != 0) {
        keywordHit = true;
    } else if (TKeywords* trie = Settings().KeywordTrie()) {
        stream.SetPos(start);
        value = trie->MatchCursor(stream, FTables.CaseFlag, 1, matchStart, length);
        keywordHit = settingsKeyword = value != 0;
    }
    if (keywordHit)
        token = static_cast<uint8_t>(value);
    else
        takeOneChar(stream, start, length);

    if (const THandlerRec* handler = FTables.Handlers[token].get()) {
        if (!runHandler(*handler, stream, length, token)) {
            takeOneChar(stream, start, length);
            token = 0;
            keywordHit = settingsKeyword = false;
        }
    }

    if (!keywordHit) {
        const TStartRec* record = FCurrentStartTable->Records[first].get();
        if (record && states.Intersects(record->ValidIn))
            token = runStartRecord(*record, stream, start, length);
    }

    if (!FContainer)
        FSavedStates = states;
    const TTokenStateRec* stateRecord = FTables.TokenStates[token].get();
    const bool rejected = stream.GetPos() == start ||
                          (stateRecord && !settingsKeyword && !states.Intersects(stateRecord->ValidIn));
    if (rejected) {
        takeOneChar(stream, start, length);
        token = 0;
        stateRecord = FTables.TokenStates[token].get();
    } else if (stateRecord) {
        applyStateChange(*stateRecord);
    }

    const int64_t position = stream.GetPos();
    const bool wasContainer = FContainer != 0;
    if (wasContainer && (position >= FContainerEnd || stream.AtEnd())) {
        states = FSavedStates;
        SelectTokenTable();
        syncTrieStates();
    }
    const bool isContainer = stateRecord && stateRecord->Container;
    if (!wasContainer && isContainer) {
        FContainerEnd = position;
        FContainerToken = token;
    }
    FContainer = ((wasContainer && position < FContainerEnd) || (!wasContainer && isContainer)) ? 1 : 0;
    return token;
}
