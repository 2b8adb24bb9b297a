// TCodeMemoParser: one compiled highlighting language and the scanner that cuts text into tokens.
#include "highlight/CodeMemoParser.h"

#include <algorithm>
#include <bit>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "editor/model/LineStore.h"
#include "highlight/Recognisers.h"

namespace {

// The scanner reads either a TEdStream through its virtual operations (a stream of a derived class
// may watch or change the reading) or, for a TEdStream itself, a copy of its place read directly.
// These helpers take either. A held character is coloured as the reference it shows as: its mark is
// read as "&".
template <class C> uint8_t current(C& cursor) { return ScannedChar(cursor.CurrentChar()); }

template <class C>
void advance(C& cursor, int& length)
{
    if (!cursor.AtEnd()) {
        cursor.Next();
        ++length;
    }
}

// A place to come back to, and the way back: the same as seeking to the place's position.
int64_t markOf(TEdStream& stream) { return stream.GetPos(); }
void restore(TEdStream& stream, int64_t mark) { stream.SetPos(mark); }
TRecordCursor::TMark markOf(const TRecordCursor& cursor) { return cursor.Mark(); }
void restore(TRecordCursor& cursor, const TRecordCursor::TMark& mark) { cursor.Restore(mark); }

// Makes the token the single character at `start` (nothing at the end of the text).
template <class C, class M>
void takeOneChar(C& cursor, const M& start, int& length)
{
    restore(cursor, start);
    length = 0;
    advance(cursor, length);
}

// A forward keyword match at the cursor; within a record the characters are read from its span.
template <class C>
int32_t matchKeyword(const TKeywords& keywords, C& cursor, uint8_t caseSensitive, int64_t& start, int& length)
{
    if constexpr (std::is_same_v<C, TRecordCursor>) {
        int32_t value = 0;
        if (keywords.MatchSpan(cursor.Span(), caseSensitive, value, length)) {
            start = cursor.GetPos();
            if (value != 0)
                cursor.Skip(length);
            else
                cursor.Next();
            return value;
        }
    }
    return keywords.MatchCursor(cursor, caseSensitive, 1, start, length);
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
    forgetPlainChars();
    refreshGroupSets();
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
    // Between tokens the states in force are mostly those of the cached entry, with nothing stacked.
    TPlainChars* plain = FPlain;
    const bool cached = plain && FKeywords && !FContainer && FStack.Empty() && plain->States == FKeywords->CurrentStates;
    if (cached && plain->Digest != 0)
        return plain->Digest;
    const uint32_t digest = computeScanStateDigest();
    if (cached)
        plain->Digest = digest;
    return digest;
}

uint32_t TCodeMemoParser::computeScanStateDigest() const
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
    return hash == kNoScanState || hash == 0 ? 1 : hash;
}

bool TCodeMemoParser::CallCustomParse(int parseID, TEdStream& stream, int& length, int& value)
{
    if (!OnCustomParse)
        return false;
    return OnCustomParse(this, parseID, stream, length, value);
}

bool TCodeMemoParser::customParse(int parseID, TEdStream& stream, int& length, int& value)
{
    return CallCustomParse(parseID, stream, length, value);
}

bool TCodeMemoParser::customParse(int parseID, TRecordCursor& cursor, int& length, int& value)
{
    // The handler reads the stream itself: it takes up the scanner's place and hands it back.
    TEdStream& stream = *FScanStream;
    stream.SetPlace(cursor);
    const bool matched = CallCustomParse(parseID, stream, length, value);
    cursor = stream.Place();
    return matched;
}

void TCodeMemoParser::SelectTokenTable()
{
    FPlain = nullptr;
    FCurrentStartTable = &StartTableFor(FKeywords->CurrentStates);
}

const TStartTable& TCodeMemoParser::StartTableFor(const TStateSet& states) const
{
    if (FTables.NoInState)
        return FTables.DefaultStartTable;
    // Only the lowest owning state counts; a language keeps its InState states exclusive.
    const int state = (states & FTables.InStateOwners).Lowest();
    if (state < 0)
        return FTables.DefaultStartTable;
    const TStartTable* table = FTables.InStateTables[static_cast<size_t>(state)].get();
    return table ? *table : FTables.DefaultStartTable;
}


bool TCodeMemoParser::computeSplittable(uint8_t value)
{
    if (value == 0 || !FKeywords || !FTables.AnchorStates.Contains(value) || FTables.MatchUsed || FTables.Handlers[0] ||
        FTables.Handlers[value])
        return false;
    if (FGroupSets.size() != static_cast<size_t>(FKeywords->Groups().Count()))
        refreshGroupSets();
    TStateSet context = FTables.ContextStates[value];
    if (context.IsEmpty())
        context = FTables.StartStates;
    if (const TTokenStateRec* change = FTables.TokenStates[value].get();
        change && (!change->NoStateChange || change->StackAction || change->Container ||
                   !context.Intersects(change->ValidIn)))
        return false;
    TKeywords* trie = Settings().KeywordTrie();
    if (FKeywords->YieldsValue(value, context) || (trie && trie->YieldsValue(value, context)))
        return false;

    TStateSet wordStarts;
    TStateSet trieWordStarts;
    wordStartsIn(context, wordStarts, trieWordStarts);
    wordStarts |= trieWordStarts;

    const TStartTable& table = StartTableFor(context);
    const TStateSet* repeats = nullptr;
    const TStateSet* terminators = nullptr;
    TStateSet heads; // characters at which a token of the value begins for certain
    for (int c = 0; c < 256; ++c) {
        const auto ch = static_cast<uint8_t>(c);
        const TStartRec* record = table.Records[ch].get();
        if (!record || record->TokenValue != value || !context.Intersects(record->ValidIn))
            continue;
        const TElementRec& repeat = record->Repeat;
        const TElementRec& terminator = record->Terminator;
        if (record->Start.IsProcedure() || repeat.IsProcedure() || terminator.IsProcedure() ||
            terminator.GroupCount() != 1 || !repeat.Flag || terminator.Flag)
            return false;
        const TStateSet& those = groupSet(repeat.GroupID);
        const TStateSet& ends = groupSet(terminator.GroupIDs[0]);
        if (!repeats) {
            repeats = &those;
            terminators = &ends;
            // A character that neither repeats nor ends the token would reject it where it stands.
            if ((those | ends) != TStateSet::Full())
                return false;
        } else if (those != *repeats || ends != *terminators) {
            return false;
        }
        if (groupContains(record->Start.GroupID, ch) && !wordStarts.Contains(ch))
            heads.Include(ch);
    }
    return repeats && ((*repeats - *terminators) - heads).IsEmpty();
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
    forgetPlainChars();
    refreshGroupSets();
    SelectTokenTable();
    syncTrieStates();
}

void TCodeMemoParser::forgetPlainChars()
{
    FSplittable.fill(-1);
    FPlainEntries.clear();
    FPlainIndex.fill(0);
    FPlain = nullptr;
    FPlainTrie = Settings().KeywordTrie();
}

TCodeMemoParser::TPlainChars* TCodeMemoParser::findPlainChars(const TStateSet& states, size_t& freeSlot)
{
    // Open addressing over an index of a few times more slots than a language has state sets.
    const size_t mask = FPlainIndex.size() - 1;
    for (size_t probe = 0, slot = states.Hash() & mask; probe <= mask; ++probe, slot = (slot + 1) & mask) {
        const uint8_t at = FPlainIndex[slot];
        if (at == 0) {
            freeSlot = slot;
            return nullptr;
        }
        if (FPlainEntries[at - 1u].States == states)
            return &FPlainEntries[at - 1u];
    }
    freeSlot = FPlainIndex.size();
    return nullptr;
}

const TCodeMemoParser::TPlainChars& TCodeMemoParser::makePlainChars()
{
    const TStateSet& states = FKeywords->CurrentStates;
    size_t slot = 0;
    TPlainChars* found = findPlainChars(states, slot);
    if (found && found->StartTable == FCurrentStartTable) {
        FPlain = found;
        return *found;
    }
    if (!found) {
        // A language with more state sets than the index holds starts again; the entries the
        // scanner may point at are forgotten with it.
        if (slot == FPlainIndex.size() || FPlainEntries.size() == kMaxPlainEntries) {
            forgetPlainChars();
            findPlainChars(states, slot);
        }
        found = &FPlainEntries.emplace_back();
        FPlainIndex[slot] = static_cast<uint8_t>(FPlainEntries.size());
    }
    TPlainChars& entry = *found;
    entry = TPlainChars{};
    entry.States = states;
    entry.StartTable = FCurrentStartTable;
    wordStartsIn(states, entry.WordStarts, entry.TrieWordStarts);
    for (int c = 0; c < 256; ++c)
        if (entry.WordStarts.Contains(static_cast<uint8_t>(c)))
            entry.SingleWords[static_cast<size_t>(c)] = singleWord(static_cast<char>(c), states);
    // A character is plain when the token it begins is certainly value 0 and one character long
    // and changes nothing: no word may begin with it, no handler extends value 0, no start record
    // applies, and value 0 moves no state.
    if (!FTables.Handlers[0] && !FTables.TokenStates[0]) {
        for (int c = 0; c < 256; ++c) {
            const auto ch = static_cast<uint8_t>(c);
            if (entry.WordStarts.Contains(ch) || entry.TrieWordStarts.Contains(ch))
                continue;
            const TStartRec* record = FCurrentStartTable->Records[ch].get();
            if (!record || !states.Intersects(record->ValidIn))
                entry.Plain.Include(ch);
            else if (record->Start.IsProcedure() && record->Start.ProcID == riStdMailURL)
                entry.PlainInFailedMail.Include(ch);
        }
    }
    FPlain = &entry;
    return entry;
}

void TCodeMemoParser::wordStartsIn(const TStateSet& states, TStateSet& language, TStateSet& trieWords)
{
    // The tables answer for the states put in force for a moment; a scan may be under way.
    struct TStatesBack {
        TKeywords& keywords;
        TStateSet states;
        ~TStatesBack() { keywords.CurrentStates = states; }
    } languageBack{*FKeywords, FKeywords->CurrentStates};
    FKeywords->CurrentStates = states;
    for (int c = 0; c < 256; ++c)
        if (FKeywords->MayBeginWith(static_cast<char>(c), FKeywords->CaseSensitive))
            language.Include(static_cast<uint8_t>(c));
    if (TKeywords* trie = Settings().KeywordTrie()) {
        TStatesBack trieBack{*trie, trie->CurrentStates};
        trie->CurrentStates = states;
        for (int c = 0; c < 256; ++c)
            if (trie->MayBeginWith(static_cast<char>(c), FTables.CaseFlag))
                trieWords.Include(static_cast<uint8_t>(c));
    }
}

uint8_t TCodeMemoParser::singleWord(char ch, const TStateSet& states) const
{
    const TKeywords& words = *FKeywords;
    const TKeywordNode* node = words.FirstChar(static_cast<uint8_t>(words.CaseSensitive ? ch : LoCaseChar(ch)));
    if (!node)
        return 0;
    for (const TKeywordNode* child = node->Child; child; child = child->Next)
        if (child->States.Intersects(states))
            return 0;
    // The first word ending here that is valid in the states is the one matched, when it asks
    // nothing of the character after it.
    for (const TKeywordEnd* end = node->Ends; end; end = end->Next) {
        if (!end->States.Intersects(states))
            continue;
        if (!words.Groups().GetGroup(end->GroupID).IsEmpty() || end->Value <= 0 || end->Value > 255)
            return 0;
        return static_cast<uint8_t>(end->Value);
    }
    return 0;
}

void TCodeMemoParser::refreshGroupSets()
{
    FSplittable.fill(-1);
    const TSM_CharGroupManager& groups = FKeywords->Groups();
    FGroupSets.resize(static_cast<size_t>(groups.Count()));
    for (int32_t id = 0; id < groups.Count(); ++id) {
        const TSM_CharGroup& group = groups.GetGroup(id);
        TStateSet& set = FGroupSets[static_cast<size_t>(id)];
        set = group.Set;
        if (group.Negated)
            set = TStateSet::Full() - group.Set;
    }
}

template <class C>
bool TCodeMemoParser::matchElement(const TElementRec& element, C& cursor, int& length, int& value)
{
    if (element.IsProcedure()) {
        if (element.CustomFlag)
            return customParse(element.ProcID, cursor, length, value);
        return RunRecogniser(RecogniserOfProcedure(element.ProcID), cursor, length, &FRecogniserMemo);
    }
    // Past the end the cursor reports character 0, which a negated group may accept; nothing is
    // consumed there, so the length keeps counting real characters.
    if (!groupContains(element.GroupID, current(cursor)))
        return false;
    advance(cursor, length);
    return true;
}

template <class C>
bool TCodeMemoParser::matchBody(const TElementRec& element, C& cursor, int& length, int& value)
{
    if (element.IsProcedure()) {
        if (element.CustomFlag)
            return customParse(element.ProcID, cursor, length, value);
        return RunRecogniser(RecogniserOfProcedure(element.ProcID), cursor, length, &FRecogniserMemo);
    }
    const auto origin = markOf(cursor);
    const int64_t originPos = cursor.GetPos();
    for (int i = 0; i < element.GroupCount(); ++i) {
        if (!groupContains(element.GroupIDs[static_cast<size_t>(i)], current(cursor))) {
            restore(cursor, origin);
            return false;
        }
        if (!cursor.AtEnd())
            cursor.Next();
    }
    if (element.Flag)
        length += static_cast<int>(cursor.GetPos() - originPos);
    else
        restore(cursor, origin);
    return true;
}

template <class C>
bool TCodeMemoParser::runHandler(const THandlerRec& handler, C& cursor, int& length, uint8_t& token)
{
    const TElementRec& start = handler.Start;
    const TElementRec& body = handler.Body;
    int value = token;
    bool tryBody = start.Flag != 0 && body.IsPresent();
    for (;;) {
        bool bodyFailedHere = false;
        if (tryBody) {
            if (matchBody(body, cursor, length, value)) {
                token = static_cast<uint8_t>(value);
                return true;
            }
            bodyFailedHere = true;
        }
        tryBody = body.IsPresent();
        value = token;
        if (start.IsProcedure() && !start.CustomFlag && isBuiltinStart(start.ProcID))
            return RunRecogniser(start.ProcID, cursor, length, &FRecogniserMemo);
        const int64_t before = cursor.GetPos();
        if (!matchElement(start, cursor, length, value))
            return false;
        token = static_cast<uint8_t>(value);
        if (!body.IsPresent())
            return true;
        // A start that matched without moving, where the body has just failed, would repeat the
        // same two tests for ever: the body can never complete the token.
        if (bodyFailedHere && cursor.GetPos() == before)
            return false;
        if (cursor.AtEnd())
            return true;
    }
}

template <class C, class M>
uint8_t TCodeMemoParser::runStartRecord(const TStartRec& record, C& cursor, const M& start, int& length)
{
    restore(cursor, start);
    length = 0;
    if (record.Start.IsProcedure()) {
        if (RunRecogniser(record.Start.ProcID, cursor, length, &FRecogniserMemo))
            return record.TokenValue;
        takeOneChar(cursor, start, length);
        return 0;
    }

    advance(cursor, length); // the head character
    const TElementRec& repeat = record.Repeat;
    const TElementRec& terminator = record.Terminator;
    uint8_t token = 0;
    int value = token;
    bool tryTerminator = repeat.Flag != 0;
    // A repeat and a terminator of one character group each are read inside the record without
    // leaving this loop.
    [[maybe_unused]] const bool byGroups =
        !repeat.IsProcedure() && !terminator.IsProcedure() && terminator.GroupCount() == 1;
    // While storing, a token that may be cut anywhere ends where a record ends.
    [[maybe_unused]] const bool cut = FStoring && byGroups && splittable(record.TokenValue);
    for (;;) {
        if constexpr (std::is_same_v<C, TRecordCursor>) {
            if (byGroups) {
                const TRepeatsEnd end = runRepeats(cursor, length, repeat, terminator, tryTerminator, cut);
                if (end == TRepeatsEnd::Token)
                    return record.TokenValue;
                if (end == TRepeatsEnd::Plain) {
                    takeOneChar(cursor, start, length);
                    return 0;
                }
            }
        }
        bool terminatorFailedHere = false;
        if (tryTerminator) {
            if (matchBody(terminator, cursor, length, value))
                return record.TokenValue;
            terminatorFailedHere = true;
        }
        tryTerminator = true;
        value = token;
        const int64_t before = cursor.GetPos();
        if (!matchElement(repeat, cursor, length, value)) {
            takeOneChar(cursor, start, length);
            return 0;
        }
        token = static_cast<uint8_t>(value);
        // A token left open at the end of the text keeps its value: an unclosed comment or string is
        // still coloured as one.
        if (cursor.AtEnd())
            return record.TokenValue;
        if (repeat.IsCustom())
            return token;
        if (terminatorFailedHere && cursor.GetPos() == before) {
            takeOneChar(cursor, start, length);
            return 0;
        }
    }
}

TCodeMemoParser::TRepeatsEnd TCodeMemoParser::runRepeats(TRecordCursor& cursor, int& length, const TElementRec& repeat,
                                                         const TElementRec& terminator, bool& tryTerminator,
                                                         bool cutAtRecordEnd) const
{
    const std::string_view span = cursor.Span();
    if (span.size() < (cutAtRecordEnd ? 1u : 2u))
        return TRepeatsEnd::Open;
    const TStateSet& repeats = groupSet(repeat.GroupID);
    const TStateSet& terminators = groupSet(terminator.GroupIDs[0]);
    auto moveOver = [&](size_t count) {
        // Past the record's last character the cursor steps into the next record.
        if (count == span.size()) {
            cursor.Skip(static_cast<int>(count) - 1);
            cursor.Next();
        } else {
            cursor.Skip(static_cast<int>(count));
        }
        length += static_cast<int>(count);
    };
    // Unless the token is cut there, the record's last character is left to the caller's loop,
    // which moves on to the next record and sees the end of the text.
    const size_t room = cutAtRecordEnd ? span.size() : span.size() - 1;
    size_t n = 0;
    for (; n < room; ++n) {
        const auto ch = static_cast<uint8_t>(span[n]);
        if (tryTerminator && terminators.Contains(ch)) {
            moveOver(n + (terminator.Flag ? 1 : 0));
            return TRepeatsEnd::Token;
        }
        if (!repeats.Contains(ch))
            return TRepeatsEnd::Plain;
        tryTerminator = true;
    }
    moveOver(n);
    return cutAtRecordEnd ? TRepeatsEnd::Token : TRepeatsEnd::Open;
}

void TCodeMemoParser::enterStates(const TStateSet& states)
{
    // While storing, the start table follows from the state set alone, and the set's cached entry
    // holds it.
    size_t slot = 0;
    if (TPlainChars* entry = FStoring ? findPlainChars(states, slot) : nullptr) {
        FCurrentStartTable = entry->StartTable;
        FPlain = entry;
    } else {
        SelectTokenTable();
    }
}

void TCodeMemoParser::applyStateChange(const TTokenStateRec& record)
{
    TStateSet& states = FKeywords->CurrentStates;
    if (!record.StackAction) {
        // Most tokens only add and remove states, and many leave the set as it was, which leaves
        // the start table as it was too.
        if (!record.NoStateChange) {
            // FPlain, while storing, is the entry of the states in force, so a change met before
            // leads where it led then.
            TPlainChars::TTransition* transition =
                FStoring && FPlain ? &FPlain->Transitions[transitionSlot(record)] : nullptr;
            // The settings' trie follows the states only when they change: most tokens leave them.
            if (transition && transition->Record == &record) {
                if (transition->To != FPlain) {
                    FPlain = transition->To;
                    states = FPlain->States;
                    FCurrentStartTable = FPlain->StartTable;
                    syncTrieStates();
                }
            } else {
                const TStateSet next = (states | record.Enter) - record.Leave;
                if (next != states) {
                    states = next;
                    enterStates(next);
                    syncTrieStates();
                }
                if (transition && FPlain)
                    *transition = {&record, FPlain};
            }
        }
        return;
    }
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

// However a scan ends, even by an exception from a custom parse handler, the pending flag must tell
// the driver whether a container is still open, or the driver would wait for ever.
struct TCodeMemoParser::TPendingUpdate {
    TCodeMemoParser& parser;
    ~TPendingUpdate() { parser.FPending = parser.FContainer; }
};

namespace {

// The stream takes up the place where the scanner's copy of it stopped, also after an exception.
struct TPlaceBack {
    TEdStream& stream;
    const TRecordCursor& cursor;
    ~TPlaceBack() { stream.SetPlace(cursor); }
};

} // namespace

bool TCodeMemoParser::beginScan(TParserClient* editor, TEdStream& stream)
{
    if (editor && !IsAttached(editor))
        AttachEditor(editor);
    if (FRecogniserMemo.Stream != &stream) {
        FRecogniserMemo.Clear();
        FRecogniserMemo.Stream = &stream;
    }
    FScanStream = &stream;
    if (FGroupSets.size() != static_cast<size_t>(FKeywords->Groups().Count()))
        refreshGroupSets();
    // Tokens hand the states on to the settings' trie only when they change them; a trie the
    // settings made anew since takes them up here.
    syncTrieStates();
    // A stream of a derived class is read through its virtual operations, so that it sees every
    // step; a TEdStream itself is read directly from its records.
    return typeid(stream) == typeid(TEdStream);
}

uint8_t TCodeMemoParser::ScanToken(TParserClient* editor, TEdStream& stream, int& length)
{
    TPendingUpdate pendingUpdate{*this};
    if (!beginScan(editor, stream))
        return scan(stream, length);
    TRecordCursor cursor = stream.Place();
    TPlaceBack placeBack{stream, cursor};
    return scan(cursor, length);
}

uint8_t TCodeMemoParser::ScanTokensBefore(TParserClient* editor, TEdStream& stream, int64_t limit, uint8_t* styles,
                                          int64_t stylesStart, TTokenPlace& place)
{
    if (typeid(stream) != typeid(TEdStream))
        return TCustomCodeMemoParser::ScanTokensBefore(editor, stream, limit, styles, stylesStart, place);
    TPendingUpdate pendingUpdate{*this};
    beginScan(editor, stream);
    TRecordCursor cursor = stream.Place();
    TPlaceBack placeBack{stream, cursor};
    if (FPlainTrie != Settings().KeywordTrie())
        forgetPlainChars();
    FStoring = true;
    struct TStoringEnd {
        bool& storing;
        ~TStoringEnd() { storing = false; }
    } storingEnd{FStoring};
    for (;;) {
        if (!FContainer) {
            const TPlainChars& plain = plainChars();
            const auto first = ScannedChar(cursor.CurrentChar());
            if (plain.Plain.Contains(first) || plain.PlainInFailedMail.Contains(first))
                skipPlainChars(cursor, limit, styles, stylesStart);
        }
        place = {cursor.Record(), cursor.OffsetInRecord(), cursor.GetPos()};
        int length = 0;
        const uint8_t value = scan(cursor, length);
        const int64_t end = cursor.GetPos();
        // Outside a container no token is pending after a scan.
        if (end <= place.Start || end >= limit || FContainer)
            return value;
        // Tokens are short: their bytes go eight at a time. Bytes written past a token's end, short
        // of `limit`, belong to the tokens after it, which write them again.
        uint8_t* to = styles + (place.Start - stylesStart);
        uint8_t* const stop = styles + (end - stylesStart);
        uint8_t* const room = styles + (limit - stylesStart);
        const uint64_t fill = value * 0x0101010101010101ull;
        while (to < stop) {
            if (room - to >= 8) {
                std::memcpy(to, &fill, 8);
                to += 8;
            } else {
                *to++ = value;
            }
        }
    }
}

void TCodeMemoParser::skipPlainChars(TRecordCursor& cursor, int64_t limit, uint8_t* styles, int64_t stylesStart)
{
    // Each plain character is a token of value 0 on its own; a run of them needs no scan. The run
    // stays inside the record and before the character that reaches `limit`, whose token the
    // caller must see.
    const std::string_view span = cursor.Span();
    const int64_t position = cursor.GetPos();
    if (span.empty())
        return;
    const size_t room = static_cast<size_t>(
        std::clamp<int64_t>(limit - 1 - position, 0, static_cast<int64_t>(span.size()) - 1));
    const TPlainChars& plain = plainChars();
    // Inside a run of mail characters that has failed as an address, the mail start fails at once.
    // Runs are mostly a few characters long, too short for a call to fill them.
    int64_t failedFrom = FRecogniserMemo.FailedFrom;
    int64_t failedTo = FRecogniserMemo.FailedTo;
    uint8_t* to = styles + (position - stylesStart);
    size_t n = 0;
    while (n < room) {
        const uint8_t ch = ScannedChar(span[n]);
        if (!plain.Plain.Contains(ch)) {
            if (!plain.PlainInFailedMail.Contains(ch))
                break;
            const int64_t at = position + static_cast<int64_t>(n);
            if (at <= failedFrom || at >= failedTo) {
                // A word where an address may begin: the recogniser would read the run of address
                // characters and fail without an "@", remembering the run; so it is done here. A
                // run that reaches the record's end is left to the scanner.
                bool holdsAt = false;
                const size_t run = MailRunLength(span.substr(n, span.size() - 1 - n), holdsAt);
                if (holdsAt || n + run >= span.size() - 1)
                    break;
                failedFrom = FRecogniserMemo.FailedFrom = at;
                failedTo = FRecogniserMemo.FailedTo = at + static_cast<int64_t>(run);
            }
        }
        to[n++] = 0;
    }
    cursor.Skip(static_cast<int>(n));
}

template <class C>
uint8_t TCodeMemoParser::scan(C& cursor, int& length)
{
    TStateSet& states = FKeywords->CurrentStates;
    const uint8_t first = current(cursor);
    const auto start = markOf(cursor);
    const int64_t startPos = cursor.GetPos();
    uint8_t token = 0;

    // Keywords: the language table first, then the keyword tables of the settings. Most characters
    // begin no word valid in the current states; for them the look-ups are skipped.
    int64_t matchStart = 0;
    length = 0;
    bool keywordHit = false;
    bool settingsKeyword = false;
    int32_t value = 0;
    const bool atEnd = cursor.AtEnd();
    // While storing tokens for the driver the tables stand still, and the characters that may
    // begin a word are known per state set.
    const TPlainChars* known = FStoring ? &plainChars() : nullptr;
    if (!atEnd && (known ? known->WordStarts.Contains(first)
                         : FKeywords->MayBeginWith(static_cast<char>(first), FKeywords->CaseSensitive))) {
        if (known && known->SingleWords[first]) {
            value = known->SingleWords[first];
            advance(cursor, length);
        } else {
            value = matchKeyword(*FKeywords, cursor, FKeywords->CaseSensitive, matchStart, length);
        }
    }
    if (value != 0) {
        keywordHit = true;
    } else if (TKeywords* trie = Settings().KeywordTrie();
               trie && !atEnd &&
               (known ? known->TrieWordStarts.Contains(first) : trie->MayBeginWith(static_cast<char>(first), FTables.CaseFlag))) {
        restore(cursor, start);
        value = matchKeyword(*trie, cursor, FTables.CaseFlag, matchStart, length);
        keywordHit = settingsKeyword = value != 0;
    }
    if (keywordHit)
        token = static_cast<uint8_t>(value);
    else
        takeOneChar(cursor, start, length);

    if (const THandlerRec* handler = FTables.Handlers[token].get()) {
        if (!runHandler(*handler, cursor, length, token)) {
            takeOneChar(cursor, start, length);
            token = 0;
            keywordHit = settingsKeyword = false;
        }
    }

    if (!keywordHit) {
        const TStartRec* record = FCurrentStartTable->Records[first].get();
        if (record && states.Intersects(record->ValidIn))
            token = runStartRecord(*record, cursor, start, length);
    }

    const TTokenStateRec* stateRecord = FTables.TokenStates[token].get();
    const bool rejected = cursor.GetPos() == startPos ||
                          (stateRecord && !settingsKeyword && !states.Intersects(stateRecord->ValidIn));
    if (rejected) {
        takeOneChar(cursor, start, length);
        token = 0;
        stateRecord = FTables.TokenStates[token].get();
    }
    // The states to return to after a container are those from before the container token; only
    // a token that opens one needs them kept.
    if (!FContainer && stateRecord && stateRecord->Container)
        FSavedStates = states;
    // Many tokens have a record only for the states they are valid in, and change nothing.
    if (!rejected && stateRecord && (!stateRecord->NoStateChange || stateRecord->StackAction))
        applyStateChange(*stateRecord);

    const int64_t position = cursor.GetPos();
    const bool wasContainer = FContainer != 0;
    if (wasContainer && (position >= FContainerEnd || cursor.AtEnd())) {
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
