// The key-sequence tree, its recogniser and stream form, the key controller and the start-up tables.
#include "editor/model/KeyBindings.h"

#include <algorithm>

#include "platform/core/SysUtils.h"

namespace {

// The message of a key sequence bound to two commands, naming both.
constexpr int kDuplicateSequence = 65480;

// Stream size of one sequence record, and the least a name takes (code and length byte).
const int64_t kSequenceBytes = 2 + 2 + 4;
const int64_t kNameBytes = 4 + 1;
const size_t kMaxNameLength = 255;

uint16_t bareKey(uint16_t shortCut)
{
    return shortCut & 0xFF;
}

TShortCut strokeOf(uint16_t key, TShiftState shift)
{
    if (key > 0xFF)
        return 0;
    return static_cast<TShortCut>(key | ((shift & ssShift) ? scShift : 0) | ((shift & ssCtrl) ? scCtrl : 0) |
                                  ((shift & ssAlt) ? scAlt : 0));
}

bool isModifierKey(uint16_t key)
{
    return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU;
}

template <class Nodes> auto findKey(Nodes& nodes, uint16_t key)
{
    return std::find_if(nodes.begin(), nodes.end(), [key](const auto& node) { return node.Key == key; });
}

} // namespace

// ---------------------------------------------------------------- TKeyStore

template <class Visitor> void TKeyStore::walk(Visitor visit) const
{
    int position = 0;
    for (const TKeyNode& node : FRoot)
        if (visit(position++, node, nullptr))
            return;
    for (auto parent = FRoot.rbegin(); parent != FRoot.rend(); ++parent)
        for (const TKeyNode& node : parent->Children)
            if (visit(position++, node, &*parent))
                return;
}

void TKeyStore::raiseAmbiguous(int32_t action, int32_t other) const
{
    std::string name = FOwner ? FOwner->GetActionName(action) : IntToStr(action);
    std::string otherName = FOwner ? FOwner->GetActionName(other) : IntToStr(other);
    throw EAmbigiousKeyPair(FmtLoadStr(kDuplicateSequence, name.c_str(), otherName.c_str()));
}

void TKeyStore::AddSequence(uint16_t key1, uint16_t key2, int32_t action)
{
    if (key1 == 0)
        return;
    // A stored second stroke of 0 would look like a one-stroke binding in the stream and then be
    // refused on reading, so a second stroke without a key is no second stroke.
    key2 = bareKey(key2);
    auto first = findKey(FRoot, key1);

    // Every conflict is found before anything is added, so a refused binding leaves no trace.
    if (key2 == 0) {
        if (first != FRoot.end()) {
            if (!first->Children.empty())
                raiseAmbiguous(action, first->Children.front().Action);
            raiseAmbiguous(action, first->Action);
        }
        FRoot.push_back({key1, true, action, {}});
        return;
    }
    if (first != FRoot.end()) {
        if (first->Ends)
            raiseAmbiguous(action, first->Action);
        auto second = findKey(first->Children, key2);
        if (second != first->Children.end())
            raiseAmbiguous(action, second->Action);
        first->Children.push_back({key2, true, action, {}});
        return;
    }
    TKeyNode prefix{key1, false, -1, {}};
    prefix.Children.push_back({key2, true, action, {}});
    FRoot.push_back(std::move(prefix));
}

TKeyStore::TAdvanceResult TKeyStore::Advance(TShortCut shortCut)
{
    if (FCurrent == kAtStart) {
        auto node = findKey(FRoot, shortCut);
        if (node == FRoot.end())
            return arNoMatch;
        if (!node->Children.empty()) {
            FCurrent = static_cast<int>(node - FRoot.begin());
            return arPrefix;
        }
        FLastAction = node->Action;
        return arComplete;
    }
    const std::vector<TKeyNode>& level = FRoot[static_cast<size_t>(FCurrent)].Children;
    FCurrent = kAtStart;
    auto node = findKey(level, bareKey(shortCut));
    if (node == level.end())
        return arNoMatch;
    FLastAction = node->Action;
    return arComplete;
}

int TKeyStore::CountSequences() const
{
    int count = 0;
    for (const TKeyNode& node : FRoot)
        count += node.Ends ? 1 : static_cast<int>(node.Children.size());
    return count;
}

bool TKeyStore::findFrom(int32_t action, uint16_t& key1, uint16_t& key2)
{
    key1 = key2 = 0;
    int after = FEnumPosition;
    walk([&](int position, const TKeyNode& node, const TKeyNode* parent) {
        if (position <= after || !node.Ends || node.Action != action)
            return false;
        FEnumPosition = position;
        key1 = parent ? parent->Key : node.Key;
        key2 = parent ? node.Key : 0;
        return true;
    });
    return key1 != 0;
}

bool TKeyStore::FindFirstKeys(int32_t action, uint16_t& key1, uint16_t& key2)
{
    FEnumPosition = -1;
    return findFrom(action, key1, key2);
}

bool TKeyStore::FindNextKeys(int32_t action, uint16_t& key1, uint16_t& key2)
{
    return findFrom(action, key1, key2);
}

std::vector<TKeySequence> TKeyStore::Sequences() const
{
    std::vector<TKeySequence> sequences;
    walk([&](int, const TKeyNode& node, const TKeyNode* parent) {
        if (node.Ends)
            sequences.push_back(parent ? TKeySequence{parent->Key, node.Key, node.Action}
                                       : TKeySequence{node.Key, 0, node.Action});
        return false;
    });
    return sequences;
}

void TKeyStore::SaveToStream(TStream& stream) const
{
    std::vector<TKeySequence> sequences = Sequences();
    StreamWriteLong(stream, static_cast<int32_t>(sequences.size()));
    for (const TKeySequence& sequence : sequences) {
        StreamWriteWord(stream, sequence.Key1);
        StreamWriteWord(stream, sequence.Key2);
        StreamWriteLong(stream, sequence.Action);
    }
}

void TKeyStore::LoadFromStream(TStream& stream)
{
    int32_t count = StreamReadCount(stream, kSequenceBytes);
    std::vector<TKeySequence> records(static_cast<size_t>(count));
    std::vector<uint16_t> prefixes; // first strokes of pairs, in the order the stream lists them
    for (TKeySequence& record : records) {
        record.Key1 = StreamReadWord(stream);
        record.Key2 = StreamReadWord(stream);
        record.Action = StreamReadLong(stream);
        if (bareKey(record.Key2) != 0 && std::find(prefixes.begin(), prefixes.end(), record.Key1) == prefixes.end())
            prefixes.push_back(record.Key1);
    }

    // The stream lists the pairs under the last first stroke first. Binding the records in stream
    // order would reverse the prefixes at every load, so a saved, loaded and saved again store
    // would not give the bytes it was loaded from; binding the pairs prefix by prefix, last listed
    // first, rebuilds the tree the stream came from.
    TKeyStore loaded(FOwner);
    for (const TKeySequence& record : records)
        if (bareKey(record.Key2) == 0)
            loaded.AddSequence(record.Key1, record.Key2, record.Action);
    for (auto prefix = prefixes.rbegin(); prefix != prefixes.rend(); ++prefix)
        for (const TKeySequence& record : records)
            if (record.Key1 == *prefix && bareKey(record.Key2) != 0)
                loaded.AddSequence(record.Key1, record.Key2, record.Action);
    Clear();
    FRoot.swap(loaded.FRoot);
}

void TKeyStore::Clear()
{
    FRoot.clear();
    FCurrent = kAtStart;
    FEnumPosition = -1;
    FLastAction = -1;
}

// ---------------------------------------------------------------- TKeyboardActionContoller

TKeyboardActionContoller::TKeyboardActionContoller() : FKeyStore(std::make_unique<TKeyStore>(this)) {}

std::unique_ptr<TSM_Base> TKeyboardActionContoller::NewInstance() const
{
    return std::make_unique<TKeyboardActionContoller>();
}

void TKeyboardActionContoller::Assign(const TSM_Base& source)
{
    if (!dynamic_cast<const TKeyboardActionContoller*>(&source))
        throw Exception(Format("Cannot assign a %s to a %s", source.ClassName(), ClassName()));
    TSM_Base::Assign(source);
}

void TKeyboardActionContoller::Clear()
{
    FKeyStore = std::make_unique<TKeyStore>(this);
    FNames.clear();
}

void TKeyboardActionContoller::SetActionName(int32_t action, std::string name)
{
    if (name.size() > kMaxNameLength)
        name.resize(kMaxNameLength);
    for (auto it = FNames.rbegin(); it != FNames.rend(); ++it) {
        if (it->Action == action) {
            FNames.erase(std::next(it).base());
            break;
        }
    }
    FNames.push_back({action, std::move(name)});
}

std::string TKeyboardActionContoller::GetActionName(int32_t action) const
{
    for (auto it = FNames.rbegin(); it != FNames.rend(); ++it)
        if (it->Action == action)
            return it->Name;
    return {};
}

void TKeyboardActionContoller::SaveToStream(TStream& stream) const
{
    StreamWriteLong(stream, static_cast<int32_t>(FNames.size()));
    for (const TActionName& name : FNames) {
        StreamWriteLong(stream, name.Action);
        StreamWriteShortStr(stream, name.Name);
    }
    FKeyStore->SaveToStream(stream);
}

void TKeyboardActionContoller::LoadFromStream(TStream& stream)
{
    FKeyStore->ResetState();
    // The scratch controller owns the scratch store, so conflicts are reported with the new names.
    TKeyboardActionContoller loaded;
    int32_t nameCount = StreamReadCount(stream, kNameBytes);
    for (int32_t i = 0; i < nameCount; ++i) {
        int32_t action = StreamReadLong(stream);
        loaded.FNames.push_back({action, StreamReadShortStr(stream)});
    }
    loaded.FKeyStore->LoadFromStream(stream);

    FNames.swap(loaded.FNames);
    FKeyStore.swap(loaded.FKeyStore);
    FKeyStore->FOwner = this;
    loaded.FKeyStore->FOwner = &loaded;
}

void TKeyboardActionContoller::ProcessKey(uint16_t& Key, TShiftState& Shift, bool& Handled)
{
    Handled = false;
    if (FKeyStore->Pending() && isModifierKey(Key))
        return;
    switch (FKeyStore->Advance(strokeOf(Key, Shift))) {
    case TKeyStore::arPrefix:
        Handled = true;
        Key = 0;
        Shift = 0;
        break;
    case TKeyStore::arNoMatch:
        FKeyStore->ResetState();
        break;
    case TKeyStore::arComplete: {
        Handled = true;
        Key = 0;
        Shift = 0;
        int32_t action = FKeyStore->LastAction();
        // Reset before the handler runs: the command may replace or clear this controller.
        FKeyStore->ResetState();
        if (OnActionRecognised)
            OnActionRecognised(this, action);
        break;
    }
    }
}

// ---------------------------------------------------------------- start-up tables

namespace {

struct DefaultBinding {
    int32_t Action;
    uint16_t Key1;
    uint16_t Key2;
};

std::vector<DefaultBinding> defaultBindings()
{
    constexpr uint16_t ctrl = scCtrl;
    constexpr uint16_t shift = scShift;
    constexpr uint16_t ctrlK = ctrl | 'K';
    constexpr uint16_t ctrlQ = ctrl | 'Q';
    std::vector<DefaultBinding> bindings = {
        {ecLeft, VK_LEFT, 0},
        {ecRight, VK_RIGHT, 0},
        {ecLineStart, VK_HOME, 0},
        {ecLineEnd, VK_END, 0},
        {ecLineUp, VK_UP, 0},
        {ecLineDown, VK_DOWN, 0},
        {ecPageUp, VK_PRIOR, 0},
        {ecPageDown, VK_NEXT, 0},
        {ecWordLeft, ctrl | VK_LEFT, 0},
        {ecWordRight, ctrl | VK_RIGHT, 0},
        {ecDocumentStart, ctrl | VK_HOME, 0},
        {ecDocumentEnd, ctrl | VK_END, 0},
        {ecCut, ctrl | 'X', 0},
        {ecCopy, ctrl | 'C', 0},
        {ecPaste, ctrl | 'V', 0},
        {ecDeleteChar, VK_DELETE, 0},
        {ecDeleteLastChar, VK_BACK, 0},
        {ecIndentBlock, ctrlK, 'I'},
        {ecUnindentBlock, ctrlK, 'U'},
        {ecToggleInsertMode, VK_INSERT, 0},
    };
    for (int n = 0; n <= 9; ++n)
        bindings.push_back({ecSetBookmark0 + n, ctrlK, static_cast<uint16_t>('0' + n)});
    for (int n = 0; n <= 9; ++n)
        bindings.push_back({ecGotoBookmark0 + n, ctrlQ, static_cast<uint16_t>('0' + n)});
    bindings.insert(bindings.end(), {
        {ecDeleteLine, ctrl | 'Y', 0},
        {ecUndo, ctrl | 'Z', 0},
        {ecRedo, ctrl | shift | 'Z', 0},
        {ecDeleteLastWord, ctrl | VK_BACK, 0},
        {ecPrintSelection, ctrlK, 'P'},
    });
    return bindings;
}

std::unique_ptr<TKeyboardActionContoller> buildDefaultController()
{
    auto controller = std::make_unique<TKeyboardActionContoller>();
    for (int code = 0; code < kEditorCommandCount; ++code)
        controller->SetActionName(code, LoadResString(kCommandNameBaseId + code));
    for (const DefaultBinding& binding : defaultBindings())
        controller->AddKeySequence(binding.Key1, binding.Key2, binding.Action);
    return controller;
}

std::vector<TKeyName> buildKeyNames()
{
    std::vector<TKeyName> names = {
        {"backspace", VK_BACK}, {"delete", VK_DELETE}, {"down", VK_DOWN},   {"end", VK_END},
        {"home", VK_HOME},      {"insert", VK_INSERT}, {"left", VK_LEFT},
    };
    for (int n = 1; n <= 12; ++n)
        names.push_back({Format("f%d", n), static_cast<uint8_t>(VK_F1 + n - 1)});
    names.insert(names.end(), {{"pagedown", VK_NEXT},
                               {"pageup", VK_PRIOR},
                               {"return", VK_RETURN},
                               {"right", VK_RIGHT},
                               {"space", VK_SPACE},
                               {"up", VK_UP},
                               {"tab", VK_TAB}});
    std::sort(names.begin(), names.end(),
              [](const TKeyName& a, const TKeyName& b) { return CompareText(a.Name, b.Name) < 0; });
    return names;
}

} // namespace

TKeyboardActionContoller& DefaultKeyController()
{
    static const std::unique_ptr<TKeyboardActionContoller> controller = buildDefaultController();
    return *controller;
}

TStateSet BuildCommandKeySet(TKeyboardActionContoller& controller)
{
    // The commands for which Shift extends the selection.
    static const int32_t kExtendingCommands[] = {
        ecLeft,     ecRight,    ecLineUp,    ecLineDown,      ecLineStart,   ecLineEnd,       ecPageUp,
        ecPageDown, ecWordLeft, ecWordRight, ecDocumentStart, ecDocumentEnd, ecDeleteLastChar,
    };
    TStateSet keys;
    for (int32_t command : kExtendingCommands) {
        uint16_t key1, key2;
        for (bool found = controller.FindFirstKeys(command, key1, key2); found;
             found = controller.FindNextKeys(command, key1, key2))
            keys.Include(static_cast<uint8_t>(bareKey(key1)));
    }
    return keys;
}

const std::vector<TKeyName>& KeyNameList()
{
    static const std::vector<TKeyName> names = buildKeyNames();
    return names;
}

int FindKeyName(std::string_view name)
{
    const std::vector<TKeyName>& names = KeyNameList();
    auto it = std::lower_bound(names.begin(), names.end(), name,
                               [](const TKeyName& entry, std::string_view n) { return CompareText(entry.Name, n) < 0; });
    if (it == names.end() || CompareText(it->Name, name) != 0)
        return 0;
    return it->VirtualKey;
}
