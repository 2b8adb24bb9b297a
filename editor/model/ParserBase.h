// The highlighting parser as the editor control sees it: token scanning, its settings and its editors.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "editor/model/Settings.h"
#include "editor/model/StateSet.h"

class TCustomCodeMemoParser;
class TEdStream;
struct TLineRecord;
class TParserSettingsLoan;

// An editor as a parser sees it. The parser lists the editors that use it, makes them clients of its
// settings, and tells them when its settings are replaced and when it goes.
class TParserClient : public TSettingsClient {
public:
    TParserClient() = default;
    // Leaves every parser that still lists it, however it came to be listed (a slot, or a scan with
    // a parser it holds in none), so no parser keeps a pointer to an editor that is gone.
    ~TParserClient() override;
    TParserClient(const TParserClient&) = delete;
    TParserClient& operator=(const TParserClient&) = delete;

    // The parser's settings were replaced (a compile, a load of stored tables): apply them again.
    // May raise; the parser then goes on with its other editors.
    virtual void ParserSettingsReplaced(TCustomCodeMemoParser* parser) = 0;
    // The parser goes: let go of every reference to it.
    virtual void ParserRemoved(TCustomCodeMemoParser* parser) = 0;

private:
    friend class TCustomCodeMemoParser;
    // The parsers whose lists name this editor.
    std::vector<TCustomCodeMemoParser*> FListedBy;
};

// Pages of the settings dialog a parser may offer, one bit each.
enum TSM_PropEdPage : uint8_t { ppOPTIONS, ppHIGHLIGHTING, ppKEYS, ppAUTOCORRECT, ppTEMPLATES };
using TSM_PropEdPages = uint8_t;
constexpr TSM_PropEdPages kAllPropEdPages = 0x1F;

// A highlighting language. The editor holds up to six of them and asks the active one for tokens;
// the compiled parser of the highlighting unit derives from this class, so the editor never depends
// on it. The parser owns one settings object shared by every editor attached to it.
//
// Scanning state lives in the parser, so one highlighting run at a time may use it.
class TCustomCodeMemoParser {
public:
    TCustomCodeMemoParser();
    // Every editor that holds the parser in a slot lets go of it before the parser's parts go.
    virtual ~TCustomCodeMemoParser();
    TCustomCodeMemoParser(const TCustomCodeMemoParser&) = delete;
    TCustomCodeMemoParser& operator=(const TCustomCodeMemoParser&) = delete;

    // ---- the three operations every language provides

    // Reads one token from the cursor on. The caller sets `length` to 0 and places the cursor on the
    // token's first character; on return the cursor stands after the token, `length` holds its
    // number of characters and the result is its token value. `editor` may be nil.
    virtual uint8_t ScanToken(TParserClient* editor, TEdStream& stream, int& length) = 0;
    // Puts the scanner into the state that follows a token of the given value (0: the start state).
    virtual void ResetScanner(uint8_t tokenValue) = 0;
    // Lets the user edit the language's settings on every page; true when something changed.
    virtual bool EditAll() = 0;

    // Where a token begins: its record, its offset in that record and its text offset.
    struct TTokenPlace {
        TLineRecord* Record = nullptr;
        int Index = 0;
        int64_t Start = 0;
    };
    // Reads tokens one after another with ScanToken's meaning, for a caller that stores each
    // token's value as the style byte of its characters: the value of every token that ends before
    // `limit` (a text offset no further than the end of the cursor's record) is written to
    // styles[token start - stylesStart ...], and the next token is read. The first token that does
    // not end before `limit`, that took nothing, or after which a container is open or a token is
    // pending, is not written: its value is returned, its place is put in `place`, and the cursor
    // stands after it. A language whose scanner carries nothing between tokens that a caller could
    // watch may read the tokens it writes faster than ScanToken does one by one.
    virtual uint8_t ScanTokensBefore(TParserClient* editor, TEdStream& stream, int64_t limit, uint8_t* styles,
                                     int64_t stylesStart, TTokenPlace& place);

    // ---- scanner state the highlighting driver consults; the defaults suit a language whose
    //      tokens never span lines

    // True while a container token's content is still being returned token by token.
    virtual bool GetTokenPending() const { return false; }
    // True while a construct that may span lines (a comment, a string) is open.
    virtual bool InBoundState() const { return false; }
    // A digest of everything the scanner carries from one token to the next (states, the state
    // stack); two equal digests mean the rest of the text scans the same. Never kNoScanState. A
    // parser that carries nothing answers 0.
    virtual uint32_t ScanStateDigest() const { return 0; }
    // The token values at which a scan may safely restart.
    virtual TStateSet GetAnchorStates() const { return TStateSet{0}; }
    // True when every character inside a run of tokens of `value` is a restart point with that
    // value: a scan started at any of them in the value's context reads on as the tokens it lies in
    // did, and leaves the same state. The driver may then restart or stop inside such a run.
    virtual bool IsSplittable(uint8_t value) { (void)value; return false; }
    // True while ScanToken is inside a container token.
    virtual bool InContainer() const { return false; }
    // True when the language has elements only a custom parse handler recognises.
    virtual bool MatchUsed() const { return false; }
    // True when a custom parse handler is there to recognise them; without one the highlighting
    // driver leaves a language with such elements unscanned.
    virtual bool CanCustomParse() const { return false; }

    // Edits the settings on the given pages; a parser without page choice shows them all.
    virtual bool EditSettings(TSM_PropEdPages pages);

    TSM_Settings& Settings() { return *FSettings; }
    const TSM_Settings& Settings() const { return *FSettings; }

    // ---- attached editors

    // Lists the editor and makes it a client of the settings; attaching twice does nothing.
    void AttachEditor(TParserClient* editor);
    // Unlists the editor and removes it from the settings' clients; nothing when it is not listed.
    void DetachEditor(TParserClient* editor);
    bool IsAttached(const TParserClient* editor) const;
    const std::vector<TParserClient*>& Editors() const { return FEditors; }
    // Makes every attached editor take the parser over again (after a compile, a load of stored
    // tables or a settings change). An editor that fails is skipped and the flag below cleared.
    virtual void RefreshEditors();
    // Set by RefreshEditors; while clear, an editor may hand its own font to the parser's settings.
    uint8_t SettingsApplied = 0;

    // ---- lifetime

    // An editor that holds the parser asks to be told when it goes (TParserClient::ParserRemoved).
    void FreeNotification(TParserClient* editor);
    void RemoveFreeNotification(TParserClient* editor);
    // True while the parser's own tables are being read; editors then wait before attaching.
    bool IsLoading() const { return FLoading; }
    bool IsDestroying() const { return FDestroying; }

    // Called instead of the settings dialog when assigned.
    std::function<void(TCustomCodeMemoParser* Sender)> OnModifyProperties;

    // A language whose tables are read when it is first needed: `load` runs once, at the first
    // EnsureLoaded. An editor asks for it when the language becomes its active one.
    void LoadOnFirstUse(std::function<void()> load) { FPendingLoad = std::move(load); }
    // Runs the pending load, if any; it is taken away first, so it runs once even when it raises.
    void EnsureLoaded();

protected:
    void SetLoading(bool loading) { FLoading = loading; }
    // Tells the editors that the parser goes. A derived destructor calls it first, so that editors
    // let go while the whole parser still exists; the base destructor calls it again (harmless).
    void ReleaseEditors();

private:
    friend class TParserClient;
    friend class TParserSettingsLoan;
    // Keeps the editor's own record of the parsers that list it in step with the two lists.
    void noteListing(TParserClient* editor);
    // Removes the editor from both lists; called by an editor that goes.
    void forgetEditor(TParserClient* editor);

private:
    std::unique_ptr<TSM_Settings> FSettings;
    std::vector<TParserClient*> FEditors;
    std::vector<TParserClient*> FNotified;
    // The innermost loan of the settings; each loan keeps the editor list it put aside, which an
    // editor that goes meanwhile leaves as well.
    TParserSettingsLoan* FLoan = nullptr;
    bool FLoading = false;
    bool FDestroying = false;
    std::function<void()> FPendingLoad;
};

// Lends a parser's settings object and editor list for as long as the object lives: the parser works
// with a stand-in settings object and an empty editor list, and gets its own back on every path out,
// exceptions included. Editors attached meanwhile are detached from the stand-in before it goes.
// Loans nest: each one gives back what it took.
class TParserSettingsLoan {
public:
    TParserSettingsLoan(TCustomCodeMemoParser& parser, std::unique_ptr<TSM_Settings> standIn);
    ~TParserSettingsLoan();
    TParserSettingsLoan(const TParserSettingsLoan&) = delete;
    TParserSettingsLoan& operator=(const TParserSettingsLoan&) = delete;

    // The parser's own settings, put aside while the loan lasts.
    TSM_Settings& Lent() { return *FLent; }
    // The settings the parser works with meanwhile.
    TSM_Settings& StandIn() { return FParser.Settings(); }
    // The editors the parser listed when the loan began (less those that went since).
    const std::vector<TParserClient*>& LentEditors() const { return FLentEditors; }

private:
    friend class TCustomCodeMemoParser;
    TCustomCodeMemoParser& FParser;
    std::unique_ptr<TSM_Settings> FLent;
    std::vector<TParserClient*> FLentEditors;
    TParserSettingsLoan* FOuter;
};
