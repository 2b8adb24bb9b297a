// Key bindings: the editor's command codes, the key-sequence tree and its recogniser, the key controller.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "editor/model/Settings.h"
#include "editor/model/StateSet.h"
#include "platform/core/Messages.h"

class EKeyControllerException : public ECodeMemo { using ECodeMemo::ECodeMemo; };
class EAmbigiousKeyPair : public EKeyControllerException { using EKeyControllerException::EKeyControllerException; };

// The editor's keyboard commands. The codes are stored in settings streams, compiled tables and the
// registry, so they must not be renumbered.
enum TEditorCommand : int32_t {
    ecLeft = 0,
    ecRight = 1,
    ecLineStart = 2,
    ecLineEnd = 3,
    ecLineUp = 4,
    ecLineDown = 5,
    ecPageUp = 6,
    ecPageDown = 7,
    ecWordLeft = 8,
    ecWordRight = 9,
    ecDocumentStart = 10,
    ecDocumentEnd = 11,
    ecCut = 12,
    ecCopy = 13,
    ecPaste = 14,
    ecDeleteChar = 15,
    ecDeleteLastChar = 16,
    ecIndentBlock = 17,
    ecUnindentBlock = 18,
    ecToggleInsertMode = 19,
    ecSetBookmark0 = 20, // ecSetBookmark0 + n sets bookmark n (0..9)
    ecSetBookmark9 = 29,
    ecGotoBookmark0 = 30, // ecGotoBookmark0 + n jumps to bookmark n (0..9)
    ecGotoBookmark9 = 39,
    ecDeleteLine = 40,
    ecUndo = 41,
    ecRedo = 42,
    ecDeleteLastWord = 43,
    ecPrintSelection = 44,
};
constexpr int kEditorCommandCount = 45;
// String-table id of command 0's display name; command n's is this plus n.
constexpr int kCommandNameBaseId = 4146;

// One bound sequence: a first stroke, a second stroke (0 for none) and the command code.
struct TKeySequence {
    uint16_t Key1 = 0;
    uint16_t Key2 = 0;
    int32_t Action = -1;
    friend bool operator==(const TKeySequence&, const TKeySequence&) = default;
};

class TKeyboardActionContoller;

// The bound sequences as a tree of strokes, and the recogniser that walks it stroke by stroke.
// A first stroke is either bound alone or the prefix of two-stroke bindings, never both. Second
// strokes are stored and matched as bare virtual keys: Shift, Ctrl and Alt do not count there.
class TKeyStore {
public:
    // What a stroke did to the recogniser.
    enum TAdvanceResult : int { arPrefix = 0, arNoMatch = 1, arComplete = 2 };

    explicit TKeyStore(const TKeyboardActionContoller* owner = nullptr) : FOwner(owner) {}
    TKeyStore(const TKeyStore&) = delete;
    TKeyStore& operator=(const TKeyStore&) = delete;

    // Binds key1 alone (key2 0) or key1 then key2. Raises EAmbigiousKeyPair, naming both commands,
    // when the sequence is bound already, when key1 is bound alone and key2 is given, or when key1
    // prefixes two-stroke bindings and is to be bound alone; a rejected binding changes nothing.
    // A key1 of 0 binds nothing; a key2 without a virtual key counts as no second stroke.
    void AddSequence(uint16_t key1, uint16_t key2, int32_t action);
    // Feeds one stroke (a shortcut word) to the recogniser. On arComplete LastAction() holds the
    // command; on arNoMatch the recogniser is back at the start of a sequence.
    TAdvanceResult Advance(TShortCut shortCut);
    void ResetState() { FCurrent = kAtStart; }
    // True while the first stroke of a two-stroke binding waits for its second.
    bool Pending() const { return FCurrent != kAtStart; }
    int32_t LastAction() const { return FLastAction; }

    int CountSequences() const;
    // Enumerate the sequences bound to `action`; Key2 is 0 for one stroke. When there is no
    // (further) sequence both keys are 0 and the result is false.
    bool FindFirstKeys(int32_t action, uint16_t& key1, uint16_t& key2);
    bool FindNextKeys(int32_t action, uint16_t& key1, uint16_t& key2);
    // Every bound sequence, in the order of the stream.
    std::vector<TKeySequence> Sequences() const;

    // A 4-byte count, then per sequence the two strokes as 16-bit words and the command as 4 bytes.
    void SaveToStream(TStream& stream) const;
    // Builds the tree aside and takes it only when the whole stream was read and every binding was
    // accepted; a stream that fails leaves this store as it was.
    void LoadFromStream(TStream& stream);
    void Clear();

private:
    friend class TKeyboardActionContoller;

    struct TKeyNode {
        uint16_t Key = 0;
        bool Ends = false;
        int32_t Action = -1;
        std::vector<TKeyNode> Children; // second strokes; first strokes only
    };
    static constexpr int kAtStart = -1;

    // Visits the nodes in enumeration order (the first strokes, then the second strokes under the
    // last first stroke, then those under the one before it, and so on) until `visit` returns true.
    template <class Visitor> void walk(Visitor visit) const;
    bool findFrom(int32_t action, uint16_t& key1, uint16_t& key2);
    [[noreturn]] void raiseAmbiguous(int32_t action, int32_t other) const;

    const TKeyboardActionContoller* FOwner;
    std::vector<TKeyNode> FRoot;
    int FCurrent = kAtStart;       // first stroke whose second strokes are expected, or kAtStart
    int FEnumPosition = -1;        // enumeration position of the sequence found last
    int32_t FLastAction = -1;
};

// The bindings and the command names of one settings object.
class TKeyboardActionContoller : public TSM_Base {
public:
    // Sender and the recognised command, which the handler may change.
    using TActionEvent = std::function<void(TKeyboardActionContoller* Sender, int32_t& ActionCode)>;

    TKeyboardActionContoller();
    TKeyboardActionContoller(const TKeyboardActionContoller&) = delete;
    TKeyboardActionContoller& operator=(const TKeyboardActionContoller&) = delete;

    const char* ClassName() const override { return "TKeyboardActionContoller"; }
    // Only another key controller can be assigned; the event handler is not copied.
    void Assign(const TSM_Base& source) override;
    // The names (count, then code and short-string name each), then the key-binding stream.
    void SaveToStream(TStream& stream) const override;
    // Reads names and bindings aside first: a stream that fails leaves this controller as it was.
    // Either way the recogniser is back at the start of a sequence.
    void LoadFromStream(TStream& stream) override;

    // Drops every binding and every name; the event handler stays.
    void Clear();
    void AddKeySequence(uint16_t key1, uint16_t key2, int32_t action) { FKeyStore->AddSequence(key1, key2, action); }
    // Replaces the name of `action`; names longer than 255 characters are cut, as the stream holds no more.
    void SetActionName(int32_t action, std::string name);
    // The name of `action`; empty when it has none.
    std::string GetActionName(int32_t action) const;
    int ActionNameCount() const { return static_cast<int>(FNames.size()); }
    // The names in list order, with their command codes.
    const std::string& ActionNameAt(int index) const { return FNames.at(static_cast<size_t>(index)).Name; }
    int32_t ActionCodeAt(int index) const { return FNames.at(static_cast<size_t>(index)).Action; }

    bool FindFirstKeys(int32_t action, uint16_t& key1, uint16_t& key2) { return FKeyStore->FindFirstKeys(action, key1, key2); }
    bool FindNextKeys(int32_t action, uint16_t& key1, uint16_t& key2) { return FKeyStore->FindNextKeys(action, key1, key2); }
    int SequenceCount() const { return FKeyStore->CountSequences(); }
    TKeyStore& KeyStore() { return *FKeyStore; }
    const TKeyStore& KeyStore() const { return *FKeyStore; }

    // One key-down. A stroke that starts or completes a binding is consumed: Handled becomes true
    // and Key and Shift are cleared; a completed binding fires OnActionRecognised. A stroke that
    // fails leaves Key and Shift for normal typing, and a failed second stroke is not tried again
    // as a first one. A modifier key going down while a second stroke is awaited changes nothing,
    // so that Shift can be pressed for the second stroke.
    void ProcessKey(uint16_t& Key, TShiftState& Shift, bool& Handled);

    TActionEvent OnActionRecognised;

protected:
    std::unique_ptr<TSM_Base> NewInstance() const override;

private:
    struct TActionName {
        int32_t Action;
        std::string Name;
    };
    std::vector<TActionName> FNames;
    std::unique_ptr<TKeyStore> FKeyStore;
};

// The controller built at start-up with the command names and the default bindings, which every
// settings object copies when it resets to its defaults.
TKeyboardActionContoller& DefaultKeyController();

// The set of virtual keys that start a binding of a movement or Backspace command: with them Shift
// extends the selection instead of being part of the stroke.
TStateSet BuildCommandKeySet(TKeyboardActionContoller& controller);

// Key names usable in texts ("return", "f1", "pageup" ...), sorted by name, with their virtual keys.
struct TKeyName {
    std::string Name;
    uint8_t VirtualKey;
};
const std::vector<TKeyName>& KeyNameList();
// The virtual key of a name of the list, compared without case; 0 for any other name.
int FindKeyName(std::string_view name);
