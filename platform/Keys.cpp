// Translation between Qt key events and virtual keys, shift states, shortcut words and their texts.
#include "platform/Keys.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <array>
#include <unordered_map>
#include <vector>

#include "platform/SysUtils.h"
#include "platform/Win1252.h"

namespace {

enum RowFlag : unsigned {
    kKeypad = 1,  // the Qt key means this virtual key only with the keypad modifier
    kShifted = 2, // what a US keyboard reports for the virtual key while Shift is held
};

// One Qt key and what it stands for. A virtual key has one named row (its shortcut text, and the Qt
// key synthesised for it) and any number of alias rows that only map Qt keys onto it.
struct KeyRow {
    int vk = 0;
    int qtKey = 0;
    unsigned flags = 0;
    std::string name;        // empty on alias rows
    char typed = 0;          // character the key types on a US keyboard; 0 when none
    int position = 0;        // X11 key code of the key's place on the keyboard; 0 when not placed
    TShiftState implied = 0; // modifier the key itself is
};

struct FixedRow {
    int vk;
    int qtKey;
    unsigned flags;
    const char* name;
    char typed;
    TShiftState implied;
};

const FixedRow kFixedRows[] = {
    {VK_BACK, Qt::Key_Backspace, 0, "BkSp", '\b', 0},
    {VK_TAB, Qt::Key_Tab, 0, "Tab", '\t', 0},
    {VK_TAB, Qt::Key_Backtab, kShifted, nullptr, '\t', ssShift},
    {VK_CLEAR, Qt::Key_Clear, 0, "Clear", 0, 0},
    {VK_RETURN, Qt::Key_Return, 0, "Enter", '\r', 0},
    {VK_RETURN, Qt::Key_Enter, 0, nullptr, '\r', 0},
    {VK_SHIFT, Qt::Key_Shift, 0, "Shift", 0, ssShift},
    {VK_CONTROL, Qt::Key_Control, 0, "Ctrl", 0, ssCtrl},
    {VK_MENU, Qt::Key_Alt, 0, "Alt", 0, ssAlt},
    {VK_MENU, Qt::Key_AltGr, 0, nullptr, 0, ssAlt},
    {VK_PAUSE, Qt::Key_Pause, 0, "Pause", 0, 0},
    {VK_CAPITAL, Qt::Key_CapsLock, 0, "Caps Lock", 0, 0},
    {VK_ESCAPE, Qt::Key_Escape, 0, "Esc", '\x1B', 0},
    {VK_SPACE, Qt::Key_Space, 0, "Space", ' ', 0},
    {VK_PRIOR, Qt::Key_PageUp, 0, "PgUp", 0, 0},
    {VK_NEXT, Qt::Key_PageDown, 0, "PgDn", 0, 0},
    {VK_END, Qt::Key_End, 0, "End", 0, 0},
    {VK_HOME, Qt::Key_Home, 0, "Home", 0, 0},
    {VK_LEFT, Qt::Key_Left, 0, "Left", 0, 0},
    {VK_UP, Qt::Key_Up, 0, "Up", 0, 0},
    {VK_RIGHT, Qt::Key_Right, 0, "Right", 0, 0},
    {VK_DOWN, Qt::Key_Down, 0, "Down", 0, 0},
    {VK_SNAPSHOT, Qt::Key_Print, 0, "PrtSc", 0, 0},
    {VK_INSERT, Qt::Key_Insert, 0, "Ins", 0, 0},
    {VK_DELETE, Qt::Key_Delete, 0, "Del", 0, 0},
    {VK_APPS, Qt::Key_Menu, 0, "Menu", 0, 0},
    {VK_MULTIPLY, Qt::Key_Asterisk, kKeypad, "Num *", '*', 0},
    {VK_ADD, Qt::Key_Plus, kKeypad, "Num +", '+', 0},
    {VK_SUBTRACT, Qt::Key_Minus, kKeypad, "Num -", '-', 0},
    {VK_DECIMAL, Qt::Key_Period, kKeypad, "Num .", '.', 0},
    // Locales whose decimal sign is a comma report the keypad's decimal key as a comma.
    {VK_DECIMAL, Qt::Key_Comma, kKeypad, nullptr, ',', 0},
    {VK_DIVIDE, Qt::Key_Slash, kKeypad, "Num /", '/', 0},
    {VK_NUMLOCK, Qt::Key_NumLock, 0, "Num Lock", 0, 0},
    {VK_SCROLL, Qt::Key_ScrollLock, 0, "Scroll Lock", 0, 0},
};

// Punctuation keys as a US keyboard labels them: unshifted character, shifted character, X11 key code.
struct OemKey {
    int vk;
    char plain;
    char shifted;
    int position;
};

const OemKey kOemKeys[] = {
    {VK_OEM_1, ';', ':', 47},      {VK_OEM_PLUS, '=', '+', 21},  {VK_OEM_COMMA, ',', '<', 59},
    {VK_OEM_MINUS, '-', '_', 20},  {VK_OEM_PERIOD, '.', '>', 60}, {VK_OEM_2, '/', '?', 61},
    {VK_OEM_3, '`', '~', 49},      {VK_OEM_4, '[', '{', 34},     {VK_OEM_5, '\\', '|', 51},
    {VK_OEM_6, ']', '}', 35},      {VK_OEM_7, '\'', '"', 48},
};

// X11 key codes of the letter keys 'A'..'Z' and of the digit keys '0'..'9'.
const int kLetterPositions[26] = {38, 56, 54, 40, 26, 41, 42, 43, 31, 44, 45, 46, 58,
                                  57, 32, 33, 24, 27, 39, 28, 30, 55, 25, 53, 29, 52};
const int kDigitPositions[10] = {19, 10, 11, 12, 13, 14, 15, 16, 17, 18};
// What Shift types on the digit keys '0'..'9'.
const char kShiftedDigits[] = ")!@#$%^&*(";

bool isModifierKey(int vk)
{
    return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU;
}

class KeyTables {
public:
    KeyTables()
    {
        for (const FixedRow& f : kFixedRows)
            add({f.vk, f.qtKey, f.flags, f.name ? f.name : "", f.typed, 0, f.implied});
        for (int i = 0; i < 10; ++i) {
            add({'0' + i, Qt::Key_0 + i, 0, std::string(1, char('0' + i)), char('0' + i), kDigitPositions[i], 0});
            add({'0' + i, kShiftedDigits[i], kShifted, "", kShiftedDigits[i], 0, 0});
            add({VK_NUMPAD0 + i, Qt::Key_0 + i, kKeypad, "Num " + std::string(1, char('0' + i)), char('0' + i), 0, 0});
        }
        for (int i = 0; i < 26; ++i)
            add({'A' + i, Qt::Key_A + i, 0, std::string(1, char('A' + i)), char('a' + i), kLetterPositions[i], 0});
        for (int i = 0; i < 24; ++i)
            add({VK_F1 + i, Qt::Key_F1 + i, 0, Format("F%d", i + 1), 0, 0, 0});
        for (const OemKey& k : kOemKeys) {
            add({k.vk, k.plain, 0, std::string(1, k.plain), k.plain, k.position, 0});
            add({k.vk, k.shifted, kShifted, "", k.shifted, 0, 0});
        }
    }

    const KeyRow* byQtKey(int qtKey, bool keypad) const
    {
        if (keypad) {
            auto it = qtIndex_.find(qtIndexKey(qtKey, true));
            if (it != qtIndex_.end())
                return &rows_[it->second];
        }
        auto it = qtIndex_.find(qtIndexKey(qtKey, false));
        return it != qtIndex_.end() ? &rows_[it->second] : nullptr;
    }

    const KeyRow* named(int vk) const { return at(namedIndex_, vk); }
    const KeyRow* shifted(int vk) const { return at(shiftedIndex_, vk); }
    const KeyRow* byPosition(unsigned position) const
    {
        return position < positionIndex_.size() ? at(positionIndex_, static_cast<int>(position)) : nullptr;
    }

    // Key-scan code of a typed character; -1 when none.
    int byTyped(char c) const { return typedIndex_[static_cast<uint8_t>(c)]; }

    // Virtual key of an upper-cased key name; 0 when no key has that name.
    int byName(const std::string& upperName) const
    {
        auto it = nameIndex_.find(upperName);
        return it != nameIndex_.end() ? it->second : 0;
    }

private:
    using Index = std::array<int, 256>;

    static int64_t qtIndexKey(int qtKey, bool keypad) { return (int64_t(qtKey) << 1) | (keypad ? 1 : 0); }

    const KeyRow* at(const Index& index, int i) const
    {
        if (i < 0 || i >= int(index.size()) || index[size_t(i)] < 0)
            return nullptr;
        return &rows_[size_t(index[size_t(i)])];
    }

    void add(KeyRow row)
    {
        const int i = int(rows_.size());
        qtIndex_.emplace(qtIndexKey(row.qtKey, row.flags & kKeypad), i);
        if (!row.name.empty()) {
            namedIndex_[size_t(row.vk)] = i;
            nameIndex_.emplace(AsciiUpperCase(row.name), row.vk);
        }
        if (row.flags & kShifted)
            shiftedIndex_[size_t(row.vk)] = i;
        if (row.position)
            positionIndex_[size_t(row.position)] = i;
        // The main block types each character first; keypad keys and later aliases only repeat it.
        if (row.typed && !(row.flags & kKeypad) && typedIndex_[uint8_t(row.typed)] < 0)
            typedIndex_[uint8_t(row.typed)] = row.vk | ((row.flags & kShifted) ? 0x100 : 0);
        if (row.vk >= 'A' && row.vk <= 'Z' && row.name.size() == 1)
            typedIndex_[size_t(row.vk)] = row.vk | 0x100;
        rows_.push_back(std::move(row));
    }

    static Index emptyIndex()
    {
        Index index;
        index.fill(-1);
        return index;
    }

    std::vector<KeyRow> rows_;
    std::unordered_map<int64_t, int> qtIndex_;
    std::unordered_map<std::string, int> nameIndex_;
    Index namedIndex_ = emptyIndex();
    Index shiftedIndex_ = emptyIndex();
    Index positionIndex_ = emptyIndex();
    Index typedIndex_ = emptyIndex();
};

const KeyTables& tables()
{
    static const KeyTables instance;
    return instance;
}

TShiftState shiftFromModifiers(Qt::KeyboardModifiers modifiers)
{
    TShiftState shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ssShift;
    if (modifiers & Qt::ControlModifier)
        shift |= ssCtrl;
    if (modifiers & Qt::AltModifier)
        shift |= ssAlt;
    return shift;
}

Qt::KeyboardModifiers modifiersFromShift(TShiftState shift)
{
    Qt::KeyboardModifiers modifiers;
    if (shift & ssShift)
        modifiers |= Qt::ShiftModifier;
    if (shift & ssCtrl)
        modifiers |= Qt::ControlModifier;
    if (shift & ssAlt)
        modifiers |= Qt::AltModifier;
    return modifiers;
}

#if defined(Q_OS_LINUX)
bool isCharacterKey(int vk)
{
    return (vk >= '0' && vk <= '9') || (vk >= VK_OEM_1 && vk <= VK_OEM_7);
}
#endif

// The row of the key the event comes from. The Qt key follows the user's layout, which is right for
// letters and named keys; for the digit row and punctuation the physical place of the key is what
// stays the same across layouts (a French keyboard types '&' on the key of '1'), so the platform's
// own key identity wins there when the event carries it.
const KeyRow* rowOfEvent(const QKeyEvent* event)
{
    const KeyTables& t = tables();
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    const KeyRow* row = t.byQtKey(event->key(), keypad);
#if defined(Q_OS_WIN)
    // The native virtual key is exactly the code the rest of the editor speaks.
    if (const quint32 native = event->nativeVirtualKey(); native > 0 && native < 256)
        if (const KeyRow* nativeRow = t.named(int(native)))
            row = nativeRow;
#elif defined(Q_OS_LINUX)
    // X11 and Wayland report the X11 key code as the scan code.
    if (!keypad) {
        const KeyRow* placed = t.byPosition(event->nativeScanCode());
        // A punctuation Qt key never turns into a letter: layouts such as Dvorak put punctuation
        // where a US keyboard has letters. Keys Qt cannot name (Cyrillic letters, accented
        // letters) take whatever key sits at their place.
        if (placed && (!row || (isCharacterKey(row->vk) && isCharacterKey(placed->vk))))
            row = placed;
    }
#endif
    return row;
}

} // namespace

bool KeyEventToVirtualKey(const QKeyEvent* event, int& vk, TShiftState& shift)
{
    shift = shiftFromModifiers(event->modifiers());
    const KeyRow* row = rowOfEvent(event);
    if (!row) {
        vk = 0;
        return false;
    }
    vk = row->vk;
    // Platforms disagree on whether a modifier key's own event carries its modifier; settle on
    // held while going down, released while coming up.
    if (isModifierKey(vk) && event->type() == QEvent::KeyRelease)
        shift &= ~row->implied;
    else
        shift |= row->implied;
    return true;
}

bool VirtualKeyToQtKey(int vk, TShiftState shift, int& qtKey, int& qtModifiers)
{
    const KeyTables& t = tables();
    const KeyRow* row = t.named(vk);
    if (!row)
        return false;
    const KeyRow* shifted = (shift & ssShift) ? t.shifted(vk) : nullptr;
    qtKey = (shifted ? shifted : row)->qtKey;
    Qt::KeyboardModifiers modifiers = modifiersFromShift(shift);
    if (row->flags & kKeypad)
        modifiers |= Qt::KeypadModifier;
    qtModifiers = modifiers.toInt();
    return true;
}

std::unique_ptr<QKeyEvent> MakeKeyEvent(int vk, TShiftState shift, bool press)
{
    const KeyTables& t = tables();
    int qtKey = 0;
    int qtModifiers = 0;
    if (!VirtualKeyToQtKey(vk, shift, qtKey, qtModifiers))
        return nullptr;
    QString text;
    if (!(shift & (ssCtrl | ssAlt))) {
        const KeyRow* shifted = (shift & ssShift) ? t.shifted(vk) : nullptr;
        char typed = shifted ? shifted->typed : t.named(vk)->typed;
        if ((shift & ssShift) && typed >= 'a' && typed <= 'z')
            typed = AsciiUpper(typed);
        if (typed)
            text = QString(QChar(typed));
    }
    return std::make_unique<QKeyEvent>(press ? QEvent::KeyPress : QEvent::KeyRelease, qtKey,
                                       Qt::KeyboardModifiers::fromInt(qtModifiers), text);
}

TShiftState ShiftStateOf(const QInputEvent* event)
{
    TShiftState shift = shiftFromModifiers(event->modifiers());
    if (event->isSinglePointEvent()) {
        Qt::MouseButtons buttons = static_cast<const QSinglePointEvent*>(event)->buttons();
        if (buttons & Qt::LeftButton)
            shift |= ssLeft;
        if (buttons & Qt::RightButton)
            shift |= ssRight;
        if (buttons & Qt::MiddleButton)
            shift |= ssMiddle;
    }
    return shift;
}

std::string KeyEventChars(const QKeyEvent* event)
{
    std::string bytes;
    // Some platforms give the Delete key the text DEL; it edits, it does not type.
    if (event->key() == Qt::Key_Delete)
        return bytes;
    for (char32_t ch : event->text().toUcs4()) {
        char byte;
        if (CharToWin1252(ch, byte))
            bytes += byte;
    }
    return bytes;
}

int VkKeyScan(char c)
{
    return tables().byTyped(c);
}

TShortCut ShortCut(int vk, TShiftState shift)
{
    if (vk < 0 || vk > 0xFF)
        return 0;
    TShortCut shortCut = TShortCut(vk);
    if (shift & ssShift)
        shortCut |= scShift;
    if (shift & ssCtrl)
        shortCut |= scCtrl;
    if (shift & ssAlt)
        shortCut |= scAlt;
    return shortCut;
}

void ShortCutToKey(TShortCut shortCut, int& vk, TShiftState& shift)
{
    vk = shortCut & 0xFF;
    shift = 0;
    if (shortCut & scShift)
        shift |= ssShift;
    if (shortCut & scCtrl)
        shift |= ssCtrl;
    if (shortCut & scAlt)
        shift |= ssAlt;
}

namespace {

struct ModifierPrefix {
    std::string_view text; // upper case
    TShortCut flag;
};

// Written in this order; read in any order.
const ModifierPrefix kModifierPrefixes[] = {{"SHIFT+", scShift}, {"CTRL+", scCtrl}, {"ALT+", scAlt}};

} // namespace

std::string ShortCutToText(TShortCut shortCut)
{
    const KeyRow* row = tables().named(shortCut & 0xFF);
    if (!row)
        return {};
    std::string text;
    if (shortCut & scShift)
        text += "Shift+";
    if (shortCut & scCtrl)
        text += "Ctrl+";
    if (shortCut & scAlt)
        text += "Alt+";
    return text + row->name;
}

TShortCut TextToShortCut(std::string_view text)
{
    const std::string upper = AsciiUpperCase(text);
    std::string_view rest = upper;
    TShortCut flags = 0;
    for (bool stripped = true; stripped;) {
        stripped = false;
        for (const ModifierPrefix& prefix : kModifierPrefixes) {
            if (rest.starts_with(prefix.text)) {
                rest.remove_prefix(prefix.text.size());
                flags |= prefix.flag;
                stripped = true;
            }
        }
    }
    const int vk = tables().byName(std::string(rest));
    return vk ? TShortCut(vk | flags) : 0;
}
