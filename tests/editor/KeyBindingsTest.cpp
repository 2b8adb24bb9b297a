// Key bindings: the default controller and its stream, binding rules, recognising strokes, streams.
#include <gtest/gtest.h>

#include "editor/model/KeyBindings.h"

namespace {

constexpr uint16_t kCtrlK = scCtrl | 'K';
constexpr uint16_t kCtrlQ = scCtrl | 'Q';
constexpr uint16_t kCtrl = scCtrl;
constexpr uint16_t kShift = scShift;

std::vector<uint8_t> streamOf(const TSM_Base& object)
{
    TMemoryStream stream;
    object.SaveToStream(stream);
    return stream.Bytes();
}

std::vector<uint8_t> streamOf(const TKeyStore& store)
{
    TMemoryStream stream;
    store.SaveToStream(stream);
    return stream.Bytes();
}

template <class Target> void loadBytes(Target& target, const std::vector<uint8_t>& bytes, size_t length)
{
    TCustomMemoryStream stream(bytes.data(), static_cast<int64_t>(length));
    target.LoadFromStream(stream);
}

// A copy of the default controller, so tests may change it.
std::unique_ptr<TKeyboardActionContoller> defaults()
{
    auto controller = std::make_unique<TKeyboardActionContoller>();
    controller->Assign(DefaultKeyController());
    return controller;
}

std::string ambiguityMessage(TKeyboardActionContoller& keys, uint16_t key1, uint16_t key2, int32_t action)
{
    try {
        keys.AddKeySequence(key1, key2, action);
    } catch (const EAmbigiousKeyPair& e) {
        return e.Message();
    }
    return "(accepted)";
}

// Feeds one key-down and returns the commands it fired.
struct Keyboard {
    TKeyboardActionContoller& keys;
    std::vector<int32_t> fired;
    uint16_t key = 0;
    TShiftState shift = 0;
    bool handled = false;

    explicit Keyboard(TKeyboardActionContoller& k) : keys(k)
    {
        keys.OnActionRecognised = [this](TKeyboardActionContoller* sender, int32_t& code) {
            EXPECT_EQ(sender, &keys);
            fired.push_back(code);
        };
    }
    ~Keyboard() { keys.OnActionRecognised = nullptr; }

    Keyboard& press(uint16_t vk, TShiftState state = 0)
    {
        key = vk;
        shift = state;
        keys.ProcessKey(key, shift, handled);
        return *this;
    }
};

} // namespace

TEST(KeyBindings, DefaultControllerStreamHasTheFixedForm)
{
    std::vector<uint8_t> bytes = streamOf(DefaultKeyController());
    ASSERT_EQ(bytes.size(), 1339u);

    TMemoryStream head;
    StreamWriteLong(head, 45);
    StreamWriteLong(head, 0);
    StreamWriteShortStr(head, "Izquierda");
    StreamWriteLong(head, 1);
    StreamWriteShortStr(head, "Derecha");
    StreamWriteLong(head, 2);
    StreamWriteShortStr(head, "Principio de l\xED""nea");
    std::vector<uint8_t> expectedHead = head.Bytes();
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(expectedHead.size())),
              expectedHead);

    // The sequences: one-stroke bindings in the order they were made, then the second strokes under
    // Ctrl+Q, then those under Ctrl+K (the later prefix's come first).
    std::vector<TKeySequence> expected = {
        {VK_LEFT, 0, 0}, {VK_RIGHT, 0, 1}, {VK_HOME, 0, 2}, {VK_END, 0, 3}, {VK_UP, 0, 4}, {VK_DOWN, 0, 5},
        {VK_PRIOR, 0, 6}, {VK_NEXT, 0, 7}, {kCtrl | VK_LEFT, 0, 8}, {kCtrl | VK_RIGHT, 0, 9},
        {kCtrl | VK_HOME, 0, 10}, {kCtrl | VK_END, 0, 11}, {kCtrl | 'X', 0, 12}, {kCtrl | 'C', 0, 13},
        {kCtrl | 'V', 0, 14}, {VK_DELETE, 0, 15}, {VK_BACK, 0, 16}, {VK_INSERT, 0, 19},
        {kCtrl | 'Y', 0, 40}, {kCtrl | 'Z', 0, 41}, {0x605A, 0, 42}, {kCtrl | VK_BACK, 0, 43},
    };
    for (int n = 0; n < 10; ++n)
        expected.push_back({kCtrlQ, static_cast<uint16_t>('0' + n), 30 + n});
    expected.push_back({kCtrlK, 'I', 17});
    expected.push_back({kCtrlK, 'U', 18});
    for (int n = 0; n < 10; ++n)
        expected.push_back({kCtrlK, static_cast<uint16_t>('0' + n), 20 + n});
    expected.push_back({kCtrlK, 'P', 44});
    ASSERT_EQ(expected.size(), 45u);

    TMemoryStream tail;
    StreamWriteLong(tail, 45);
    for (const TKeySequence& s : expected) {
        StreamWriteWord(tail, s.Key1);
        StreamWriteWord(tail, s.Key2);
        StreamWriteLong(tail, s.Action);
    }
    std::vector<uint8_t> expectedTail = tail.Bytes();
    ASSERT_EQ(expectedTail.size(), 4u + 45 * 8);
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - static_cast<long>(expectedTail.size()), bytes.end()), expectedTail);

    // Names come from the string table in code order.
    const TKeyboardActionContoller& keys = DefaultKeyController();
    ASSERT_EQ(keys.ActionNameCount(), 45);
    EXPECT_EQ(keys.ActionCodeAt(44), 44);
    EXPECT_EQ(keys.ActionNameAt(44), "Imprimir selecci\xF3""n");
    EXPECT_EQ(keys.GetActionName(ecIndentBlock), "Indentar bloque");
    EXPECT_EQ(keys.GetActionName(ecGotoBookmark9), "Ir a Marcador 9");
    EXPECT_EQ(keys.GetActionName(45), "");

    // Save, load, save gives the same bytes; a fresh settings object starts with this controller.
    TKeyboardActionContoller copy;
    loadBytes(copy, bytes, bytes.size());
    EXPECT_EQ(streamOf(copy), bytes);
    TSM_Settings settings;
    EXPECT_EQ(streamOf(settings.KeyController()), bytes);
}

TEST(KeyBindings, EnumerationFollowsTheTreeOrder)
{
    auto keys = defaults();
    uint16_t key1 = 1, key2 = 1;
    EXPECT_TRUE(keys->FindFirstKeys(ecSetBookmark0, key1, key2));
    EXPECT_EQ(key1, 0x404B);
    EXPECT_EQ(key2, 0x30);
    EXPECT_FALSE(keys->FindNextKeys(ecSetBookmark0, key1, key2));
    EXPECT_EQ(key1, 0);
    EXPECT_EQ(key2, 0);

    // A one-stroke binding made later still comes before the two-stroke one.
    keys->AddKeySequence(VK_F5, 0, ecIndentBlock);
    keys->AddKeySequence(kShift | VK_INSERT, 0, ecIndentBlock);
    std::vector<std::pair<uint16_t, uint16_t>> found;
    for (bool more = keys->FindFirstKeys(ecIndentBlock, key1, key2); more;
         more = keys->FindNextKeys(ecIndentBlock, key1, key2))
        found.emplace_back(key1, key2);
    EXPECT_EQ(found, (std::vector<std::pair<uint16_t, uint16_t>>{
                         {VK_F5, 0}, {kShift | VK_INSERT, 0}, {kCtrlK, 'I'}}));
    EXPECT_FALSE(keys->FindFirstKeys(kEditorCommandCount, key1, key2));
    EXPECT_EQ(keys->SequenceCount(), 47);
}

TEST(KeyBindings, StrokesAreRecognisedOneByOne)
{
    auto keys = defaults();
    Keyboard kb(*keys);

    // The first stroke of a pair is swallowed; the second counts without its modifiers.
    kb.press('K', ssCtrl);
    EXPECT_TRUE(kb.handled);
    EXPECT_EQ(kb.key, 0);
    EXPECT_EQ(kb.shift, 0u);
    EXPECT_TRUE(keys->KeyStore().Pending());
    EXPECT_TRUE(kb.fired.empty());
    kb.press('I', ssShift);
    EXPECT_TRUE(kb.handled);
    EXPECT_EQ(kb.key, 0);
    EXPECT_EQ(kb.fired, std::vector<int32_t>{ecIndentBlock});
    EXPECT_FALSE(keys->KeyStore().Pending());

    // Pressing Shift (or Ctrl, Alt) between the strokes keeps the first one waiting.
    kb.fired.clear();
    kb.press('Q', ssCtrl).press(VK_SHIFT, ssShift);
    EXPECT_FALSE(kb.handled);
    EXPECT_EQ(kb.key, VK_SHIFT);
    kb.press(VK_CONTROL, ssShift | ssCtrl).press(VK_MENU, ssAlt).press('7', ssShift);
    EXPECT_EQ(kb.fired, std::vector<int32_t>{ecGotoBookmark0 + 7});

    // An unbound second stroke goes on to typing and is not tried as a first stroke.
    kb.fired.clear();
    kb.press('K', ssCtrl).press(VK_LEFT);
    EXPECT_FALSE(kb.handled);
    EXPECT_EQ(kb.key, VK_LEFT);
    EXPECT_FALSE(keys->KeyStore().Pending());
    EXPECT_TRUE(kb.fired.empty());
    kb.press(VK_LEFT, ssShift); // Shift+Left is not bound
    EXPECT_FALSE(kb.handled);
    EXPECT_EQ(kb.shift, ssShift);
    kb.press(VK_LEFT);
    EXPECT_TRUE(kb.handled);
    kb.press(VK_BACK, ssCtrl).press('Z', ssCtrl | ssShift);
    EXPECT_EQ(kb.fired, (std::vector<int32_t>{ecLeft, ecDeleteLastWord, ecRedo}));

    // Without a handler a complete sequence is still consumed; the store reports it directly too.
    keys->OnActionRecognised = nullptr;
    kb.press(VK_F1).press('K', ssCtrl).press('P');
    EXPECT_TRUE(kb.handled);
    EXPECT_EQ(keys->KeyStore().LastAction(), ecPrintSelection);
    TKeyStore& store = keys->KeyStore();
    EXPECT_EQ(store.Advance(kCtrlQ), TKeyStore::arPrefix);
    EXPECT_EQ(store.Advance(scAlt | '3'), TKeyStore::arComplete);
    EXPECT_EQ(store.LastAction(), ecGotoBookmark0 + 3);
    EXPECT_EQ(store.Advance(scAlt | '3'), TKeyStore::arNoMatch);
}

TEST(KeyBindings, ConflictingBindingsAreRefusedAndChangeNothing)
{
    auto keys = defaults();
    std::vector<uint8_t> before = streamOf(*keys);

    EXPECT_EQ(ambiguityMessage(*keys, kCtrlK, 0, ecToggleInsertMode),
              "Definici\xF3""n duplicada de secuencia de teclas para\r\n\"Cambiar de modo insertar a sobreescribir\" y "
              "\"Indentar bloque\"");
    EXPECT_EQ(ambiguityMessage(*keys, kCtrl | 'Y', 'I', ecIndentBlock),
              "Definici\xF3""n duplicada de secuencia de teclas para\r\n\"Indentar bloque\" y \"Borrar l\xED""nea\"");
    EXPECT_EQ(ambiguityMessage(*keys, VK_UP, 0, ecLineDown),
              "Definici\xF3""n duplicada de secuencia de teclas para\r\n\"L\xED""nea abajo\" y \"L\xED""nea arriba\"");
    // Second strokes lose their modifiers, so Ctrl+K then Shift+U is Ctrl+K then U.
    EXPECT_EQ(ambiguityMessage(*keys, kCtrlK, kShift | 'U', ecPaste),
              "Definici\xF3""n duplicada de secuencia de teclas para\r\n\"Pegar desde el portapapeles\" y \"Des-Indentar bloque\"");
    EXPECT_EQ(streamOf(*keys), before);
    EXPECT_THROW(keys->AddKeySequence(VK_UP, 0, ecLineUp), EKeyControllerException);
    EXPECT_EQ(streamOf(*keys), before);

    // A second stroke with no key is no second stroke; a first stroke of 0 binds nothing.
    keys->AddKeySequence(VK_F2, scShift, ecCopy);
    keys->AddKeySequence(0, 'A', ecCopy);
    uint16_t key1, key2;
    ASSERT_TRUE(keys->FindFirstKeys(ecCopy, key1, key2));
    ASSERT_TRUE(keys->FindNextKeys(ecCopy, key1, key2));
    EXPECT_EQ(key1, VK_F2);
    EXPECT_EQ(key2, 0);
    EXPECT_FALSE(keys->FindNextKeys(ecCopy, key1, key2));
    std::vector<uint8_t> bytes = streamOf(*keys);
    TKeyboardActionContoller copy;
    loadBytes(copy, bytes, bytes.size());
    EXPECT_EQ(streamOf(copy), bytes);
}

TEST(KeyBindings, StreamsAreCheckedBeforeTheyAreTaken)
{
    auto keys = defaults();
    std::vector<uint8_t> bytes = streamOf(*keys);
    TKeyboardActionContoller target;
    target.SetActionName(3, "tres");
    target.AddKeySequence(VK_F3, 0, 3);
    std::vector<uint8_t> before = streamOf(target);
    for (size_t length = 0; length < bytes.size(); ++length) {
        EXPECT_THROW(loadBytes(target, bytes, length), EStreamError) << length;
        ASSERT_EQ(streamOf(target), before);
    }
    std::vector<uint8_t> storeBytes = streamOf(keys->KeyStore());
    std::vector<uint8_t> storeBefore = streamOf(target.KeyStore());
    for (size_t length = 0; length < storeBytes.size(); ++length) {
        EXPECT_THROW(loadBytes(target.KeyStore(), storeBytes, length), EStreamError) << length;
        ASSERT_EQ(streamOf(target.KeyStore()), storeBefore);
    }

    // Counts the remaining bytes cannot hold are refused before anything is allocated.
    for (int32_t count : {INT32_MAX, -1, 2}) {
        TMemoryStream huge;
        StreamWriteLong(huge, count);
        StreamWriteLong(huge, 0);
        StreamWriteShortStr(huge, "x");
        std::vector<uint8_t> hugeBytes = huge.Bytes();
        EXPECT_THROW(loadBytes(target, hugeBytes, hugeBytes.size()), EReadError) << count;
        EXPECT_THROW(loadBytes(target.KeyStore(), hugeBytes, hugeBytes.size()), EReadError) << count;
    }
    EXPECT_EQ(streamOf(target), before);

    // A stream binding one sequence twice is refused with the names it brings.
    TMemoryStream twice;
    StreamWriteLong(twice, 1);
    StreamWriteLong(twice, 7);
    StreamWriteShortStr(twice, "siete");
    StreamWriteLong(twice, 2);
    for (int i = 0; i < 2; ++i) {
        StreamWriteWord(twice, VK_F7);
        StreamWriteWord(twice, 0);
        StreamWriteLong(twice, 7);
    }
    twice.SetPosition(0);
    try {
        target.LoadFromStream(twice);
        FAIL() << "a duplicate binding was loaded";
    } catch (const EAmbigiousKeyPair& e) {
        EXPECT_EQ(e.Message(), "Definici\xF3""n duplicada de secuencia de teclas para\r\n\"siete\" y \"siete\"");
    }
    EXPECT_EQ(streamOf(target), before);
    EXPECT_EQ(target.GetActionName(3), "tres");

    // Loading, clearing and copying return the recogniser to the start; handlers are not copied.
    Keyboard kb(*keys);
    kb.press('K', ssCtrl);
    ASSERT_TRUE(keys->KeyStore().Pending());
    loadBytes(*keys, bytes, bytes.size());
    EXPECT_FALSE(keys->KeyStore().Pending());
    TKeyboardActionContoller other;
    other.Assign(*keys);
    EXPECT_FALSE(other.OnActionRecognised);
    keys->Clear();
    EXPECT_EQ(streamOf(*keys), std::vector<uint8_t>(8, 0));
    EXPECT_TRUE(keys->OnActionRecognised);
}

TEST(KeyBindings, NamesAreLimitedToWhatTheStreamHolds)
{
    TKeyboardActionContoller keys;
    keys.SetActionName(5, std::string(300, 'n'));
    keys.SetActionName(6, "seis");
    keys.SetActionName(5, "cinco");
    ASSERT_EQ(keys.ActionNameCount(), 2);
    EXPECT_EQ(keys.ActionNameAt(1), "cinco");
    keys.SetActionName(7, std::string(300, 'n'));
    EXPECT_EQ(keys.GetActionName(7).size(), 255u);
    std::vector<uint8_t> bytes = streamOf(keys);
    TKeyboardActionContoller copy;
    loadBytes(copy, bytes, bytes.size());
    EXPECT_EQ(streamOf(copy), bytes);
}

TEST(KeyBindings, CommandKeySetHoldsTheFirstKeysOfExtendingCommands)
{
    auto keys = defaults();
    TStateSet expected{VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT, VK_BACK};
    EXPECT_EQ(BuildCommandKeySet(*keys), expected);

    keys->AddKeySequence(kCtrl | 'J', 0, ecLineDown);
    keys->AddKeySequence(kCtrl | 'W', 'L', ecLeft);
    keys->AddKeySequence(VK_F9, 0, ecCut); // not a movement
    expected.Include('J');
    expected.Include('W');
    EXPECT_EQ(BuildCommandKeySet(*keys), expected);
    EXPECT_TRUE(BuildCommandKeySet(*std::make_unique<TKeyboardActionContoller>()).IsEmpty());
}

TEST(KeyBindings, KeyNamesAreSortedAndFoundWithoutCase)
{
    const std::vector<TKeyName>& names = KeyNameList();
    ASSERT_EQ(names.size(), 26u);
    std::vector<std::string> order;
    for (const TKeyName& name : names)
        order.push_back(name.Name);
    EXPECT_EQ(order, (std::vector<std::string>{"backspace", "delete", "down", "end", "f1", "f10", "f11", "f12",
                                               "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "home", "insert",
                                               "left", "pagedown", "pageup", "return", "right", "space", "tab",
                                               "up"}));
    EXPECT_EQ(FindKeyName("PageUp"), 33);
    EXPECT_EQ(FindKeyName("f12"), 123);
    EXPECT_EQ(FindKeyName("F1"), 112);
    EXPECT_EQ(FindKeyName("return"), 13);
    EXPECT_EQ(FindKeyName("tab"), 9);
    EXPECT_EQ(FindKeyName("backspace"), 8);
    EXPECT_EQ(FindKeyName("enter"), 0);
    EXPECT_EQ(FindKeyName(""), 0);
}
