// The virtual-key table: names, typed characters, keyboard places, and the shortcut words built on it.
#include "platform/core/KeyNames.h"

#include <array>
#include <unordered_map>

#include "platform/core/SysUtils.h"

namespace {

using Row = TKeyRow;

struct NamedKey {
    int vk;
    unsigned flags;
    const char* name;
    char typed;
    TShiftState implied;
};

const NamedKey kNamedKeys[] = {
    {VK_BACK, 0, "BkSp", '\b', 0},
    {VK_TAB, 0, "Tab", '\t', 0},
    {VK_CLEAR, 0, "Clear", 0, 0},
    {VK_RETURN, 0, "Enter", '\r', 0},
    {VK_SHIFT, 0, "Shift", 0, ssShift},
    {VK_CONTROL, 0, "Ctrl", 0, ssCtrl},
    {VK_MENU, 0, "Alt", 0, ssAlt},
    {VK_PAUSE, 0, "Pause", 0, 0},
    {VK_CAPITAL, 0, "Caps Lock", 0, 0},
    {VK_ESCAPE, 0, "Esc", '\x1B', 0},
    {VK_SPACE, 0, "Space", ' ', 0},
    {VK_PRIOR, 0, "PgUp", 0, 0},
    {VK_NEXT, 0, "PgDn", 0, 0},
    {VK_END, 0, "End", 0, 0},
    {VK_HOME, 0, "Home", 0, 0},
    {VK_LEFT, 0, "Left", 0, 0},
    {VK_UP, 0, "Up", 0, 0},
    {VK_RIGHT, 0, "Right", 0, 0},
    {VK_DOWN, 0, "Down", 0, 0},
    {VK_SNAPSHOT, 0, "PrtSc", 0, 0},
    {VK_INSERT, 0, "Ins", 0, 0},
    {VK_DELETE, 0, "Del", 0, 0},
    {VK_APPS, 0, "Menu", 0, 0},
    {VK_MULTIPLY, Row::kKeypad, "Num *", '*', 0},
    {VK_ADD, Row::kKeypad, "Num +", '+', 0},
    {VK_SUBTRACT, Row::kKeypad, "Num -", '-', 0},
    {VK_DECIMAL, Row::kKeypad, "Num .", '.', 0},
    {VK_DIVIDE, Row::kKeypad, "Num /", '/', 0},
    {VK_NUMLOCK, 0, "Num Lock", 0, 0},
    {VK_SCROLL, 0, "Scroll Lock", 0, 0},
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

class KeyTable {
public:
    KeyTable()
    {
        for (const NamedKey& k : kNamedKeys)
            add({k.vk, k.flags, k.name, k.typed, 0, k.implied});
        // Shift+Tab types a TAB too; the row lets a shifted Tab be named and synthesised.
        add({VK_TAB, Row::kShifted, "", '\t', 0, ssShift});
        for (int i = 0; i < 10; ++i) {
            add({'0' + i, 0, std::string(1, char('0' + i)), char('0' + i), kDigitPositions[i], 0});
            add({'0' + i, Row::kShifted, "", kShiftedDigits[i], 0, 0});
            add({VK_NUMPAD0 + i, Row::kKeypad, "Num " + std::string(1, char('0' + i)), char('0' + i), 0, 0});
        }
        for (int i = 0; i < 26; ++i)
            add({'A' + i, 0, std::string(1, char('A' + i)), char('a' + i), kLetterPositions[i], 0});
        for (int i = 0; i < 24; ++i)
            add({VK_F1 + i, 0, Format("F%d", i + 1), 0, 0, 0});
        for (const OemKey& k : kOemKeys) {
            add({k.vk, 0, std::string(1, k.plain), k.plain, k.position, 0});
            add({k.vk, Row::kShifted, "", k.shifted, 0, 0});
        }
    }

    const std::vector<Row>& rows() const { return rows_; }
    const Row* named(int vk) const { return at(namedIndex_, vk); }
    const Row* shifted(int vk) const { return at(shiftedIndex_, vk); }
    const Row* byPosition(unsigned position) const
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

    const Row* at(const Index& index, int i) const
    {
        if (i < 0 || i >= int(index.size()) || index[size_t(i)] < 0)
            return nullptr;
        return &rows_[size_t(index[size_t(i)])];
    }

    void add(Row row)
    {
        const int i = int(rows_.size());
        if (!row.name.empty()) {
            namedIndex_[size_t(row.vk)] = i;
            nameIndex_.emplace(AsciiUpperCase(row.name), row.vk);
        }
        if (row.flags & Row::kShifted)
            shiftedIndex_[size_t(row.vk)] = i;
        if (row.position)
            positionIndex_[size_t(row.position)] = i;
        // The main block types each character first; keypad keys and later rows only repeat it.
        if (row.typed && !(row.flags & Row::kKeypad) && typedIndex_[uint8_t(row.typed)] < 0)
            typedIndex_[uint8_t(row.typed)] = row.vk | ((row.flags & Row::kShifted) ? 0x100 : 0);
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

    std::vector<Row> rows_;
    std::unordered_map<std::string, int> nameIndex_;
    Index namedIndex_ = emptyIndex();
    Index shiftedIndex_ = emptyIndex();
    Index positionIndex_ = emptyIndex();
    Index typedIndex_ = emptyIndex();
};

const KeyTable& table()
{
    static const KeyTable instance;
    return instance;
}

struct ModifierPrefix {
    std::string_view text; // upper case
    TShortCut flag;
};

// Written in this order; read in any order.
const ModifierPrefix kModifierPrefixes[] = {{"SHIFT+", scShift}, {"CTRL+", scCtrl}, {"ALT+", scAlt}};

} // namespace

const std::vector<TKeyRow>& KeyRows()
{
    return table().rows();
}

const TKeyRow* NamedKeyRow(int vk)
{
    return table().named(vk);
}

const TKeyRow* ShiftedKeyRow(int vk)
{
    return table().shifted(vk);
}

const TKeyRow* PlacedKeyRow(unsigned position)
{
    return table().byPosition(position);
}

bool IsModifierKey(int vk)
{
    return vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU;
}

int VkKeyScan(char c)
{
    return table().byTyped(c);
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

std::string ShortCutToText(TShortCut shortCut)
{
    const TKeyRow* row = table().named(shortCut & 0xFF);
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
    const int vk = table().byName(std::string(rest));
    return vk ? TShortCut(vk | flags) : 0;
}
