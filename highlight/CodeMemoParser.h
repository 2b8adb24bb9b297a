// TCodeMemoParser: one compiled highlighting language and the scanner that cuts text into tokens.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editor/model/Keywords.h"
#include "editor/model/ParserBase.h"
#include "highlight/Compressor.h"
#include "highlight/ParserTables.h"
#include "highlight/Recognisers.h"

class TCodeMemoParser;
struct TCompiledLanguage;

// Recognises a "match(n)" element. The handler reads from `IStream` at the cursor, advances it over
// what it accepts, adds the number of accepted characters to `kLength`, may set `kValue` to a token
// value, and returns true when it matched. Exceptions pass through ScanToken unchanged.
using TCustomParseEvent = std::function<bool(TCodeMemoParser* Sender, int ParseID, TEdStream& IStream,
                                             int& kLength, int& kValue)>;

// A highlighting language: the tables the script compiler or the tables stream fill (TParserTables),
// the language keyword table with its character groups, the settings inherited from the base, and
// the scanner state. The editor calls ResetScanner at a restart point and then ScanToken once per
// token. Scanning state lives here, so one highlighting run at a time may use a parser.
class TCodeMemoParser : public TCustomCodeMemoParser {
public:
    TCodeMemoParser();
    ~TCodeMemoParser() override;

    // ---- scanning

    // The caller places the cursor on the token's first character and sets `length` to 0; on return
    // the cursor stands after the token, `length` counts its characters and the result is its token
    // value. Every token that does not stand at the end of the text is at least one character long.
    // `editor`, when given, is attached to the parser on its first scan.
    uint8_t ScanToken(TParserClient* editor, TEdStream& stream, int& length) override;
    // ScanToken over and over, without leaving the scanner between tokens.
    uint8_t ScanTokensBefore(TParserClient* editor, TEdStream& stream, int64_t limit, uint8_t* styles,
                             int64_t stylesStart, TTokenPlace& place) override;
    // Starts the scanner in the context state set of `tokenValue` (the start state set when that set
    // is empty), outside any container and with an empty run-time stack.
    void ResetScanner(uint8_t tokenValue) override;
    // Makes the current start table the InState table of the lowest current state that owns one,
    // or the default start table.
    void SelectTokenTable();
    // The start table SelectTokenTable takes for `states`.
    const TStartTable& StartTableFor(const TStateSet& states) const;

    bool GetTokenPending() const override { return FPending != 0; }
    bool InBoundState() const override;
    uint32_t ScanStateDigest() const override;
    TStateSet GetAnchorStates() const override { return FTables.AnchorStates; }
    // An anchor value whose tokens are read by start records alike (one repeat group and one
    // terminator group that together take every character, the terminator only looked at) and whose
    // every inner character begins such a token itself; no word yields it and it moves no state.
    // While storing, the scanner ends its tokens where a record ends, so that the driver learns the
    // state there. Known per value until the scanner is reset.
    bool IsSplittable(uint8_t value) override { return splittable(value); }
    bool InContainer() const override { return FContainer != 0; }
    bool MatchUsed() const override { return FTables.MatchUsed != 0; }
    bool CanCustomParse() const override { return static_cast<bool>(OnCustomParse); }

    // Asks OnCustomParse about "match(parseID)"; false when no handler is assigned.
    bool CallCustomParse(int parseID, TEdStream& stream, int& length, int& value);

    // ---- settings

    // The options dialog on all pages.
    bool EditAll() override;
    // Calls OnModifyProperties instead when it is assigned (false). Otherwise runs the settings
    // dialog on `pages` and, when the user confirmed it, makes the editors apply the settings again
    // and, with UseRegistry set and a RegistryKey, saves them to the registry.
    // Without an installed dialog, or with no page, nothing is shown and the result is false.
    bool EditSettings(TSM_PropEdPages pages) override;

    // The dialog unit installs the routine that shows its dialog for a parser; the parser itself
    // stays free of widgets. The routine returns true when the user confirmed a change.
    using TSettingsDialog = std::function<bool(TCodeMemoParser& parser, TSM_PropEdPages pages)>;
    static void SetSettingsDialog(TSettingsDialog dialog);

    // ---- tables

    // Back to an empty language: tables emptied, a new keyword table, settings at their defaults.
    void Clear();
    TParserTables& Tables() { return FTables; }
    const TParserTables& Tables() const { return FTables; }
    // The language keyword table; its group manager resolves every group id of the tables, and its
    // CurrentStates is the scanner's current state set.
    TSyntaxKeywords& Keywords() { return *FKeywords; }
    const TSyntaxKeywords& Keywords() const { return *FKeywords; }
    // Set up for LZRW1/KH packing between streams, for the tables stream.
    TCompressor& Compressor() { return FCompressor; }

    // ---- tables stream (ParserStream.cpp)

    // The version the writer puts; images from kOldestTablesVersion on are read.
    static constexpr uint16_t kTablesVersion = 51;
    static constexpr uint16_t kOldestTablesVersion = 50;

    // Writes the compiled language at the stream's position: the version word, the length of the
    // table image, then the image packed with LZRW1/KH. Storing borrows the compressor and the
    // settings' StreamVersion and leaves both as they were. Errors come out as Exception
    // "Name: message".
    void StoreParserData(TStream& Stream);
    // Replaces the language by the one StoreParserData wrote. An image older than
    // kOldestTablesVersion is reported through the information box and leaves the parser empty.
    // Errors of the packed form pass unchanged (ECompressorException), errors inside the image come
    // out as Exception "Name: message"; either way the parser is left empty, never half-filled.
    // The editors are refreshed afterwards, unless the parser is being loaded as a whole.
    void LoadParserData(TStream& Stream);
    void WriteTablesToStream(TStream& Stream) { StoreParserData(Stream); }
    void ReadTablesFromStream(TStream& Stream) { LoadParserData(Stream); }
    // Copies the compiled language of `Source` through its stream form; Source keeps its tables.
    void Assign(TCodeMemoParser& Source);

    // Shows an information message with an OK button. The application installs it; the parser
    // stays free of widgets, and without one the message is dropped.
    using TInformationBox = std::function<void(const std::string& text)>;
    static void SetInformationBox(TInformationBox box);

    // ---- registry storage of the user's styles and keys (ParserRegistry.cpp)

    // The two values under the key: "Highlighting - " and "Key Assignments - " with the language name.
    std::string StyleValueName() const;
    std::string KeysValueName() const;
    // Writes both values under RegistryKey (created when missing). Raises ECodeMemo when UseRegistry
    // is off or RegistryKey is empty, and ERegistryException when the store cannot be written.
    void SaveToRegistry();
    // Applies the values stored under RegistryKey (UseOwnKey; refused as SaveToRegistry refuses) or
    // under `Key` (whatever UseRegistry says). A missing key or value changes nothing; a value that
    // cannot be applied raises ECodeMemo "Invalid data in registry entry" naming the style value.
    void LoadFromRegistry(bool UseOwnKey, const std::string& Key);
    // The style value: "Trevok6:", then tag#length#value for each setting, then "#END#".
    std::string BuildStyleString() const;
    // Applies a style value of any version. A bad signature or a value running past the end raises
    // ECodeMemo "Invalid data in style string". In the tagged form the tags read before an error
    // stay applied; an error in the style list, or anywhere in the old positional form, puts the
    // settings back as they were before the call. The editors are refreshed either way.
    void ParseStyleString(const std::string& S);
    // The key value: a length byte 8, "Trevok6:" and the key controller's stream.
    std::string BuildKeyAssignments() const;
    // Loads the key controller from a key value; a value without the signature in bytes 1-8 is
    // ignored, and a stream that fails raises and leaves the key assignments as they were.
    void LoadKeyAssignments(const std::string& data);

    // ---- compiling (SynParseCompile.cpp)

    // Compiles the script text in `Source` (from its position) and makes the editors apply the
    // result. The language is replaced only when the whole script compiled; a script that fails
    // leaves the parser empty, and the error (ESYM_COMP_ERROR, or ECodeMemo for a range error)
    // reaches the caller.
    void CompileScript(TStream& Source);
    // Compiles the file named by Script; nothing happens when there is no such file.
    void LoadScriptFile();
    // Where the last compilation stopped (0-based line and column) and what it was reading then.
    int32_t LastCompileLine() const { return FLastCompileLine; }
    int32_t LastCompileColumn() const { return FLastCompileColumn; }
    const std::string& CompileErrorContext() const { return FCompileErrorContext; }

    // ---- scanner state, for inspection

    const TStateSet& CurrentStates() const { return FKeywords->CurrentStates; }
    const TStartTable* CurrentStartTable() const { return FCurrentStartTable; }
    size_t StackDepth() const { return FStack.Count(); }
    int64_t ContainerEnd() const { return FContainerEnd; }
    int32_t ContainerToken() const { return FContainerToken; }

    // ---- published properties

    std::string Name;        // the component's name, which stream errors begin with
    std::string Script;      // path of the script file
    std::string Compile;     // a plain text the form stores as "Compiled"
    std::string RegistryKey; // key of the stored styles and keys
    bool AutoScriptUpdate = false;
    bool UseRegistry = false;
    TCustomParseEvent OnCustomParse;

private:
    // A reading position inside a style value; nothing at or after End is read.
    struct TStyleCursor {
        const std::string& Text;
        size_t Pos;
        size_t End;
        bool AtEnd() const { return Pos >= End; }
        char Current() const { return Pos < End ? Text[Pos] : '\0'; }
    };
    // A decimal number, "-" allowed, with one comma after it skipped; a lone comma is skipped and
    // gives Default; anything else gives Default and stays put.
    static int32_t ReadStyleNumber(TStyleCursor& cursor, int32_t Default);
    // One style of the style list: index, foreground, background, flag letters, ";".
    void ParseStyleEntry(TStyleCursor& cursor);
    // A count, then the styles up to the cursor's end; 256 styles are written with the count 255.
    void parseStyleList(TStyleCursor& cursor);
    void parsePositional(const std::string& S, int version);
    // `saved` holds the settings as they were before the value, for a broken style list.
    void parseTagged(const std::string& S, TMemoryStream& saved);
    void applyTag(int tag, const std::string& value);

    struct TPendingUpdate;
    // Attaches the editor and notes the stream for the recogniser memo and custom parse handlers;
    // true when the stream is a TEdStream itself, whose records the scanner may read directly.
    bool beginScan(TParserClient* editor, TEdStream& stream);
    // Membership in the language's character group `groupId`; an id no group has contains nothing.
    bool groupContains(uint16_t groupId, uint8_t ch) const { return groupSet(groupId).Contains(ch); }
    // The characters of every group by id, negation applied, taken from the group manager when the
    // scanner is reset (and when groups were added since).
    void refreshGroupSets();
    // What the characters begin in the states in force: a token of value 0 and length 1 which
    // changes nothing, outside a container (PlainInFailedMail only where the mail start fails at
    // once); possibly a word of the language's keyword table or of the settings' keyword trie.
    // Aligned and ordered for the cache: the sets every token reads share the first line, the
    // other sets the second; the state change's fields come next, the word table last.
    struct alignas(64) TPlainChars {
        TStateSet Plain;
        TStateSet WordStarts;
        TStateSet TrieWordStarts;
        TStateSet PlainInFailedMail;
        TStateSet States;
        const TStartTable* StartTable = nullptr;
        // ScanStateDigest with these states, an empty stack and no container; 0 until asked.
        uint32_t Digest = 0;
        // The entries the last state changes out of these states led to, by the change's record: a
        // page moves between a handful of state sets over and over.
        struct TTransition {
            const TTokenStateRec* Record = nullptr;
            TPlainChars* To = nullptr;
        };
        std::array<TTransition, 8> Transitions{};
        // The token value of a language word that is the character alone, whatever follows it, for
        // characters that begin no longer word in these states; 0 for the others.
        std::array<uint8_t, 256> SingleWords{};
    };
    const TPlainChars& plainChars() { return FPlain ? *FPlain : makePlainChars(); }
    // The value of the word that `ch` alone makes in `states`, as TPlainChars::SingleWords holds it.
    uint8_t singleWord(char ch, const TStateSet& states) const;
    uint32_t computeScanStateDigest() const;
    // Finds or builds the entry of the states in force and makes it FPlain.
    const TPlainChars& makePlainChars();
    // The entry of `states`, or nullptr with the index slot a new entry may take (the index's size
    // when none is free).
    TPlainChars* findPlainChars(const TStateSet& states, size_t& freeSlot);
    void forgetPlainChars();
    static std::vector<TPlainChars> reservedPlainEntries()
    {
        std::vector<TPlainChars> entries;
        entries.reserve(kMaxPlainEntries);
        return entries;
    }
    // Stores value 0 for the plain characters from the cursor on, up to the character before
    // `limit` and within the cursor's record, and moves the cursor past them.
    void skipPlainChars(TRecordCursor& cursor, int64_t limit, uint8_t* styles, int64_t stylesStart);
    // The scanner works on a cursor C: the stream itself, or a TRecordCursor copied from it.
    template <class C> uint8_t scan(C& cursor, int& length);
    // "match(n)" at the cursor, through the stream the handler reads.
    bool customParse(int parseID, TEdStream& stream, int& length, int& value);
    bool customParse(int parseID, TRecordCursor& cursor, int& length, int& value);
    // A start, repeat or handler-start element at the cursor; a character element consumes its
    // character.
    template <class C> bool matchElement(const TElementRec& element, C& cursor, int& length, int& value);
    // A body or terminator element at the cursor.
    template <class C> bool matchBody(const TElementRec& element, C& cursor, int& length, int& value);
    // Extends the keyword token `token`; false when the handler refuses it.
    template <class C> bool runHandler(const THandlerRec& handler, C& cursor, int& length, uint8_t& token);
    // Scans a token that starts with the character at `start` (a place of the cursor) by its start
    // record.
    template <class C, class M>
    uint8_t runStartRecord(const TStartRec& record, C& cursor, const M& start, int& length);
    // Reads a start record's repeats of one group and its terminator of one group from the cursor
    // on, inside the cursor's record (all but its last character), trying the terminator first while
    // `tryTerminator` holds. Token: the terminator ended the token, the cursor stands after it (or
    // on it, when discarded). Plain: a character fits neither, the token is one character. Open: the
    // cursor stands on the record's last character and the caller goes on from there.
    enum class TRepeatsEnd { Open, Token, Plain };
    // With `cutAtRecordEnd` the record's last character is read too, and a token still open after it
    // ends there (Token).
    TRepeatsEnd runRepeats(TRecordCursor& cursor, int& length, const TElementRec& repeat,
                           const TElementRec& terminator, bool& tryTerminator, bool cutAtRecordEnd) const;
    // IsSplittable without the virtual call, for the scanner's own loop.
    bool splittable(uint8_t value)
    {
        int8_t& known = FSplittable[value];
        if (known < 0)
            known = computeSplittable(value) ? 1 : 0;
        return known != 0;
    }
    bool computeSplittable(uint8_t value);
    // The characters that may begin a word of the language's table and of the settings' trie while
    // `states` are in force.
    void wordStartsIn(const TStateSet& states, TStateSet& language, TStateSet& trieWords);
    const TStateSet& groupSet(uint16_t groupId) const
    {
        static const TStateSet none;
        return groupId < FGroupSets.size() ? FGroupSets[groupId] : none;
    }
    void applyStateChange(const TTokenStateRec& record);
    static size_t transitionSlot(const TTokenStateRec& record)
    {
        const auto address = reinterpret_cast<uintptr_t>(&record);
        return ((address >> 4) ^ (address >> 9)) & 7;
    }
    // Takes up the start table (and, while storing, the plain characters) of `states`, which are
    // now in force.
    void enterStates(const TStateSet& states);
    void syncTrieStates();
    void installLanguage(TCompiledLanguage& language);

    TParserTables FTables;
    std::unique_ptr<TSyntaxKeywords> FKeywords;
    TCompressor FCompressor;
    TRTStack FStack;
    const TStartTable* FCurrentStartTable;
    uint8_t FContainer = 0;
    uint8_t FPending = 0; // the container flag as it stood when ScanToken last returned
    TRecogniserMemo FRecogniserMemo;
    TEdStream* FScanStream = nullptr; // the stream of the scan under way, for custom parse handlers
    std::vector<TStateSet> FGroupSets;
    // By token value: 1 splittable, 0 not, -1 not known yet.
    std::array<int8_t, 256> FSplittable = [] {
        std::array<int8_t, 256> unknown;
        unknown.fill(-1);
        return unknown;
    }();
    // Plain characters by the state sets met since the scanner was reset, found through an index
    // by the sets' hash; FPlain is the entry of the states in force, found again after they change.
    // The entries never move: there are at most kMaxPlainEntries, reserved at once.
    static constexpr size_t kMaxPlainEntries = 255;
    std::vector<TPlainChars> FPlainEntries = reservedPlainEntries();
    std::array<uint8_t, 1024> FPlainIndex{};
    TPlainChars* FPlain = nullptr;
    const TKeywords* FPlainTrie = nullptr;
    bool FStoring = false; // inside ScanTokensBefore, where the cache of plain characters is kept fresh
    int32_t FContainerToken = 0;
    int64_t FContainerEnd = 0;
    TStateSet FSavedStates; // the state set from before the container token
    int32_t FLastCompileLine = 0;
    int32_t FLastCompileColumn = 0;
    std::string FCompileErrorContext;
};
