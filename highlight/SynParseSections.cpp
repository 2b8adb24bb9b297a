// Readers of the token, state, style, keyword-table, key and template sections of a highlighting script.
#include <memory>
#include <string>

#include "editor/model/KeyBindings.h"
#include "editor/model/Templates.h"
#include "highlight/Recognisers.h"
#include "highlight/SynParseCompile.h"
#include "platform/core/SysUtils.h"

using namespace ScriptToken;

namespace {

// The error context of an entry: its section and the number that keys it.
std::string entryContext(const char* section, int32_t key)
{
    std::string context = section;
    context += " - ";
    context += IntToStr(key);
    return context;
}

// Runs one section: its keyword is passed over (after `opening`) wherever it comes, so a section may
// be opened again; an entry is read while `startsEntry` accepts the current token; any other token
// ends the section and goes back to the driver.
template <class TOpening, class TStartsEntry, class TReadEntry>
void runSection(TScriptCompilation& compilation, int32_t keyword, const char* context, TOpening opening,
                TStartsEntry startsEntry, TReadEntry readEntry)
{
    while (compilation.Token() != EndOfInput) {
        if (compilation.Token() == keyword) {
            compilation.SetErrorContext(context);
            opening();
            compilation.AdvanceToken();
        } else if (startsEntry(compilation.Token())) {
            readEntry();
        } else {
            return;
        }
    }
}

bool startsExpression(int32_t token) { return token == LeftParen || token == Number; }

} // namespace

// ---------------------------------------------------------------- shared pieces

void TScriptCompilation::parseSpecAt(TSM_CharGroup& group, const std::string& spec, int& position) const
{
    try {
        group.ParseSpec(spec, position);
    } catch (const Exception& e) {
        // A range written backwards: tell the script writer where it stands.
        FLexer.Error(e.Message());
    }
}

TSM_CharGroup TScriptCompilation::readSingleSpec()
{
    CheckToken(String, CompileMessage::StringExpected);
    // Specs are parsed as written: the parser resolves the escapes itself, and decoding
    // first would make "[^\]]" the different group "[^]" followed by a stray "]".
    const std::string& spec = FLexer.StringText();
    TSM_CharGroup group;
    int position = 1;
    parseSpecAt(group, spec, position);
    if (position <= static_cast<int>(spec.size()))
        ScriptError(CompileMessage::SingleSpecifierExpected);
    return group;
}

TElementRec TScriptCompilation::readSpecList()
{
    const std::string& spec = FLexer.StringText();
    TElementRec element;
    int position = 1;
    while (position <= static_cast<int>(spec.size())) {
        if (element.Count == TElementRec::kMaxGroups)
            ScriptError(CompileMessage::TooManySpecifiers);
        TSM_CharGroup group;
        parseSpecAt(group, spec, position);
        element.GroupIDs[element.Count++] = static_cast<uint16_t>(Keywords().AddGroup(group));
    }
    AdvanceToken();
    return element;
}

TElementRec TScriptCompilation::readCharElement()
{
    TElementRec element;
    element.GroupID = static_cast<uint16_t>(Keywords().AddGroup(readSingleSpec()));
    AdvanceToken();
    return element;
}

TElementRec TScriptCompilation::readMatchElement()
{
    TElementRec element;
    element.ProcFlag = 1;
    element.CustomFlag = 1;
    AdvanceExpect(LeftParen, CompileMessage::LeftParenExpected);
    element.ProcID = ReadExpression();
    ExpectToken(RightParen, CompileMessage::RightParenExpected);
    Tables().MatchUsed = 1;
    return element;
}

TElementRec TScriptCompilation::readProcedureElement()
{
    TElementRec element;
    element.ProcFlag = 1;
    element.ProcID = ReadExpression();
    return element;
}

TElementRec TScriptCompilation::readStepElement()
{
    if (FToken == String)
        return readCharElement();
    if (FToken == Match)
        return readMatchElement();
    return readProcedureElement();
}

TElementRec TScriptCompilation::readBodyElement()
{
    if (FToken == String)
        return readSpecList();
    if (FToken == Match)
        return readMatchElement();
    return readProcedureElement();
}

uint8_t TScriptCompilation::readSingleState()
{
    int32_t state = 0;
    try {
        state = readTerm();
    } catch (const Exception&) {
        ScriptError(CompileMessage::ExpressionExpected);
    }
    CheckRange(state, 0, 255);
    return static_cast<uint8_t>(state);
}

// ---------------------------------------------------------------- %%words

void TScriptCompilation::ReadWordsSection()
{
    runSection(*this, Words, "%%Words", [] {}, [](int32_t token) { return token == String; },
               [this] { readWordEntry(); });
}

void TScriptCompilation::readWordEntry()
{
    std::string word;
    FLexer.UnescapeString(word);
    AdvanceCheck(String, CompileMessage::StringExpected);
    std::string context = "%%Words - ";
    context += FLexer.StringText();
    SetErrorContext(std::move(context));
    const TSM_CharGroup follow = readSingleSpec();
    AdvanceToken();
    // The value indexes the token-state records, so it is held to a byte like every other token value.
    const uint8_t token = ReadByteValue();
    const TStateSet states = FToken == LeftBracket ? ReadStateSet() : TStateSet{0};

    try {
        Keywords().Add(word, Tables().CaseFlag, token, states, follow);
    } catch (const Exception&) {
        ScriptError(CompileMessage::DuplicateWord);
    }
    // A new record starts valid in state 0, so a word is always valid there too.
    Tables().EnsureTokenState(token).ValidIn |= states;
}

// ---------------------------------------------------------------- %%handlers

void TScriptCompilation::ReadHandlersSection()
{
    runSection(*this, Handler, "%%Handlers", [] {}, startsExpression, [this] { readHandlerEntry(); });
}

void TScriptCompilation::readHandlerEntry()
{
    const uint8_t token = ReadByteValue();
    SetErrorContext(entryContext("%%Handlers", token));

    THandlerRec handler;
    handler.Start = readStepElement();
    if (FToken == Question) {
        handler.Start.Flag = 1;
        AdvanceToken();
    }
    // A custom start does all the work; after the others only a string or a match form is a body.
    if (!handler.Start.IsCustom() && (FToken == String || FToken == Match)) {
        handler.Body = readBodyElement();
        handler.Body.Flag = ReadExpression() != 0 ? 1 : 0;
    }

    std::unique_ptr<THandlerRec>& slot = Tables().Handlers[token];
    if (slot)
        ScriptError(CompileMessage::DuplicateHandler);
    slot = std::make_unique<THandlerRec>(handler);
}

// ---------------------------------------------------------------- %%tokens

void TScriptCompilation::ReadTokensSection()
{
    runSection(
        *this, ScriptToken::Tokens, "%%Tokens", [] {},
        [](int32_t token) { return token == InState || startsExpression(token); },
        [this] {
            if (FToken == InState)
                readInStateBlock();
            else
                readTokenEntry(Tables().DefaultStartTable, TStateSet{0});
        });
}

void TScriptCompilation::readInStateBlock()
{
    AdvanceToken();
    const uint8_t state = ReadByteValue();
    ExpectToken(LeftParen, CompileMessage::LeftParenExpected);
    TStartTable& table = Tables().EnsureInStateTable(state);
    while (AtExpression())
        readTokenEntry(table, TStateSet{state});
    ExpectToken(RightParen, CompileMessage::RightParenExpected);
}

void TScriptCompilation::readTokenEntry(TStartTable& table, const TStateSet& defaultStates)
{
    TParserTables& tables = Tables();
    const uint8_t token = ReadByteValue();
    SetErrorContext(entryContext("%%Tokens", token));

    // One record per start character; this one is the pattern they are copied from.
    TStartRec pattern;
    pattern.TokenValue = token;
    TSM_CharGroup heads;
    if (FToken == String) {
        heads = readSingleSpec();
        pattern.Start.GroupID = static_cast<uint16_t>(Keywords().AddGroup(heads));
        AdvanceToken();

        pattern.Repeat = readStepElement();
        // After a custom repeat the handler reads the rest of the token itself.
        if (!pattern.Repeat.IsCustom()) {
            if (FToken == Question) {
                pattern.Repeat.Flag = 1;
                AdvanceToken();
            }
            pattern.Terminator = readBodyElement();
            pattern.Terminator.Flag = ReadExpression() != 0 ? 1 : 0;
        }
    } else {
        const int32_t recogniser = ReadExpression();
        if (recogniser < kFirstBuiltinStart || recogniser > kLastRecogniser)
            ScriptError(CompileMessage::SyntaxError);
        heads.AddSet(RecogniserStartSet(recogniser));
        pattern.Start.ProcFlag = 1;
        pattern.Start.ProcID = recogniser;
        pattern.Start.GroupID = static_cast<uint16_t>(Keywords().AddGroup(heads));
    }

    TStateSet states = defaultStates;
    if (FToken == LeftBracket)
        states |= ReadStateSet();
    pattern.ValidIn = states;

    // The character groups carry no further ranges, so the start records by character are all.
    for (int c = 0; c < 256; ++c)
        if (heads.Contains(static_cast<uint8_t>(c)) && table.Records[static_cast<size_t>(c)])
            ScriptError(CompileMessage::AmbiguousStartSet);
    for (int c = 0; c < 256; ++c)
        if (heads.Contains(static_cast<uint8_t>(c)))
            table.Records[static_cast<size_t>(c)] = std::make_unique<TStartRec>(pattern);

    // Unlike a word, a token read from a table is valid only where its table and its own set say.
    std::unique_ptr<TTokenStateRec>& record = tables.TokenStates[token];
    if (record) {
        record->ValidIn |= states;
    } else {
        record = std::make_unique<TTokenStateRec>();
        record->ValidIn = states;
    }
}

// ---------------------------------------------------------------- %%states and %%containers

void TScriptCompilation::readStateChanges(TTokenStateRec& record)
{
    while (FToken == Plus || FToken == Minus) {
        const bool enter = FToken == Plus;
        AdvanceToken();
        const TStateSet states = FToken == LeftBracket ? ReadStateSet() : TStateSet{readSingleState()};
        (enter ? record.Enter : record.Leave) |= states;
        record.NoStateChange = record.Enter.IsEmpty() && record.Leave.IsEmpty() ? 1 : 0;
    }
    ExpectToken(RightParen, CompileMessage::RightParenExpected);
}

void TScriptCompilation::ReadStatesSection()
{
    runSection(*this, States, "%%States", [] {}, startsExpression, [this] { readStatesEntry(); });
}

void TScriptCompilation::readStatesEntry()
{
    const uint8_t token = ReadByteValue();
    SetErrorContext(entryContext("%%States", token));
    uint8_t action = 0;
    if (FToken == Push || FToken == Pop) {
        action = FToken == Push ? saPushBefore : saPopBefore;
        AdvanceToken();
    }
    ExpectToken(LeftParen, CompileMessage::LeftParenExpected);
    // Made before the list is read: an entry with an empty list still has to keep its stack action.
    TTokenStateRec& record = Tables().EnsureTokenState(token);
    readStateChanges(record);
    if (FToken == Push) {
        action = saPushAfter;
        AdvanceToken();
    } else if (FToken == Pop) {
        // The states come back from the stack, so changing them first would be lost work.
        record.Enter.Clear();
        record.Leave.Clear();
        record.NoStateChange = 1;
        action = saPopAfter;
        AdvanceToken();
    }
    record.StackAction = action;
}

void TScriptCompilation::ReadContainersSection()
{
    runSection(*this, Containers, "%%Containers", [] {}, startsExpression, [this] { readContainersEntry(); });
}

void TScriptCompilation::readContainersEntry()
{
    const uint8_t token = ReadByteValue();
    SetErrorContext(entryContext("%%Containers", token));
    ExpectToken(LeftParen, CompileMessage::LeftParenExpected);
    TTokenStateRec& record = Tables().EnsureTokenState(token);
    readStateChanges(record);
    record.Container = 1;
}

// ---------------------------------------------------------------- %%kwTables

void TScriptCompilation::ReadKwTablesSection()
{
    runSection(*this, KwTables, "%%KwTables", [] {}, [](int32_t token) { return token == ForState; },
               [this] { readKwTableEntry(); });
}

void TScriptCompilation::readKwTableEntry()
{
    AdvanceCheck(LeftBracket, CompileMessage::LeftBracketExpected);
    TStateSet states = ReadStateSet();
    if (states.IsEmpty())
        states.Include(0);
    CheckToken(EndsWith, CompileMessage::EndsWithExpected);
    AdvanceCheck(String, CompileMessage::StringExpected);
    // Kept as written: the settings parse it as a spec whenever they rebuild their trie.
    const std::string endChars = FLexer.StringText();
    AdvanceExpect(LeftParen, CompileMessage::LeftParenExpected);

    TKeywordWords words;
    while (AtExpression()) {
        const uint8_t token = ReadByteValue();
        CheckToken(Is, CompileMessage::StringExpected);
        do {
            AdvanceCheck(String, CompileMessage::StringExpected);
            TKeywordWord word;
            FLexer.UnescapeString(word.Word);
            word.Value = token;
            words.push_back(std::move(word));
            AdvanceToken();
        } while (FToken == Comma);
    }
    ExpectToken(RightParen, CompileMessage::RightParenExpected);
    Settings().AddKeywordTable(states, endChars, words, Tables().CaseFlag);
}

// ---------------------------------------------------------------- %%map and %%effects

void TScriptCompilation::ReadMapSection()
{
    runSection(*this, Map, "%%Map", [] {}, startsExpression, [this] {
        const uint8_t token = ReadByteValue();
        SetErrorContext(entryContext("%%Map", token));
        Settings().SetStyleFlag(token, ReadByteValue());
    });
}

void TScriptCompilation::ReadEffectsSection()
{
    runSection(*this, Effects, "%%Effects", [] {}, startsExpression, [this] { readEffectsEntry(); });
}

void TScriptCompilation::readEffectsEntry()
{
    const uint8_t index = ReadByteValue();
    SetErrorContext(entryContext("%%Effects", index));
    TSM_TokenStyle style;
    style.FontStyle = ReadFontStyles();
    style.Foreground = ReadExpression();
    if (FToken == Star) {
        style.DefaultForeground = 1;
        AdvanceToken();
    }
    style.Background = ReadExpression();
    if (FToken == Star) {
        style.DefaultBackground = 1;
        AdvanceToken();
    }
    if (FToken == String) {
        std::string mark;
        FLexer.UnescapeString(mark);
        // Any other string is left for the driver, which stops there.
        if (SameText(mark, "hotspot")) {
            style.Hotspot = 1;
            AdvanceToken();
        }
    }
    style.Defined = 1;
    // Style 0 is defined from the start, so a script may restate it.
    if (index != 0 && Settings().GetStyle(index).Defined)
        ScriptError(CompileMessage::DuplicateEffect);
    Settings().SetStyle(index, style);
}

// ---------------------------------------------------------------- keys

TShortCut TScriptCompilation::readKeySpec()
{
    TShortCut modifiers = 0;
    if (FToken == LeftBracket) {
        AdvanceToken();
        for (;;) {
            if (FToken == ScriptToken::Shift)
                modifiers |= scShift;
            else if (FToken == Ctrl)
                modifiers |= scCtrl;
            else if (FToken == Alt)
                modifiers |= scAlt;
            else
                break;
            AdvanceToken();
            SkipComma();
        }
        ExpectToken(RightBracket, CompileMessage::RightBracketExpected);
    }

    int32_t key = 0;
    if (AtExpression()) {
        key = ReadExpression();
    } else if (FToken == String) {
        std::string text;
        FLexer.UnescapeString(text);
        if (text.size() != 1)
            ScriptError(CompileMessage::SingleSpecifierExpected);
        // A letter names its key, which is the upper-case character.
        key = static_cast<uint8_t>(AsciiUpper(text[0]));
        AdvanceToken();
    } else {
        ScriptError(CompileMessage::KeySpecRequired);
    }
    CheckRange(key, 0, 255);
    return static_cast<TShortCut>(key | modifiers);
}

void TScriptCompilation::ReadKeysSection()
{
    runSection(*this, Keys, "%%Keys", [this] { Settings().KeyController().Clear(); }, startsExpression,
               [this] { readKeysEntry(); });
}

void TScriptCompilation::readKeysEntry()
{
    TKeyboardActionContoller& controller = Settings().KeyController();
    const int32_t action = ReadExpression();
    SetErrorContext(entryContext("%%Keys", action));

    if (FToken == LeftParen) {
        do {
            AdvanceToken();
            const TShortCut first = readKeySpec();
            TShortCut second = 0;
            if (FToken == Comma) {
                AdvanceToken();
                // Only the first stroke of a sequence carries modifiers; any written here are dropped.
                second = static_cast<TShortCut>(readKeySpec() & 0xFF);
            }
            controller.AddKeySequence(first, second, action);
        } while (FToken == Bar);
        ExpectToken(RightParen, CompileMessage::RightParenExpected);
    }
    if (FToken == String) {
        std::string name;
        FLexer.UnescapeString(name);
        if (name.empty())
            ScriptError(CompileMessage::BlankKeyName);
        controller.SetActionName(action, std::move(name));
        AdvanceToken();
    }
}

// ---------------------------------------------------------------- %%autoreplace and %%templates

void TScriptCompilation::ReadAutoReplaceSection()
{
    runSection(
        *this, AutoReplace, "%%AutoReplace", [this] { Settings().AutoReplace().ResetDefaults(); },
        [](int32_t token) { return token == String || token == ActionKeys; }, [this] { readAutoReplaceEntry(); });
}

void TScriptCompilation::readAutoReplaceEntry()
{
    TAutoReplace& replacements = Settings().AutoReplace();
    if (FToken == ActionKeys) {
        AdvanceExpect(Equals, CompileMessage::EqualsExpected);
        CheckToken(String, CompileMessage::StringExpected);
        // The trigger list has escapes of its own ("\{Return}"), so it is handed over as written.
        replacements.SetTriggerKeys(FLexer.StringText());
        AdvanceToken();
        return;
    }
    const std::string from = ReadString();
    ExpectToken(Equals, CompileMessage::EqualsExpected);
    replacements.AddReplacement(from, ReadString());
}

void TScriptCompilation::ReadTemplatesSection()
{
    runSection(
        *this, Templates, "%%Templates", [this] { Settings().CodeTemplates().Clear(); },
        [](int32_t token) { return token == String || token == HotKey; }, [this] { readTemplatesEntry(); });
    Settings().CodeTemplates().EmptyHook();
}

void TScriptCompilation::readTemplatesEntry()
{
    TCodeTemplates& templates = Settings().CodeTemplates();
    if (FToken == HotKey) {
        AdvanceExpect(Equals, CompileMessage::EqualsExpected);
        ExpectToken(LeftParen, CompileMessage::LeftParenExpected);
        const TShortCut key = readKeySpec();
        ExpectToken(RightParen, CompileMessage::RightParenExpected);
        templates.HotKey = key;
        return;
    }
    const std::string name = ReadString();
    std::string description;
    if (FToken == LeftParen) {
        AdvanceToken();
        description = ReadString();
        ExpectToken(RightParen, CompileMessage::RightParenExpected);
    }
    ExpectToken(Equals, CompileMessage::EqualsExpected);
    // Names match without regard to case.
    templates.SetTemplate(name, description, ReadString());
}
