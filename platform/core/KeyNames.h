// Virtual keys as the editor speaks of them: their names, what they type on a US keyboard, shortcut
// words and their texts. The Qt key mapping (platform/Keys.h) maps key events onto these rows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Messages.h"

// One virtual key. A key has one named row (its shortcut text) and, when Shift makes it type
// something else, one shifted row.
struct TKeyRow {
    enum Flag : unsigned {
        kKeypad = 1,  // a key of the numeric keypad
        kShifted = 2, // what the key types while Shift is held
    };
    int vk = 0;
    unsigned flags = 0;
    std::string name;        // empty on shifted rows
    char typed = 0;          // character the key types on a US keyboard; 0 when none
    int position = 0;        // X11 key code of the key's place on the keyboard; 0 when not placed
    TShiftState implied = 0; // modifier the key itself is
};

// Every row, named and shifted.
const std::vector<TKeyRow>& KeyRows();
// The named row of a virtual key, its shifted row, the row of a key's place; nullptr when none.
const TKeyRow* NamedKeyRow(int vk);
const TKeyRow* ShiftedKeyRow(int vk);
const TKeyRow* PlacedKeyRow(unsigned position);

bool IsModifierKey(int vk);

// The key a US keyboard types the Windows-1252 character `c` with, as a key-scan code: the virtual
// key in the low byte plus 0x100 when Shift is needed; -1 for a character no key types. This is the
// layout key events are reported in, so a code found here matches them.
int VkKeyScan(char c);

// Shortcut word of a virtual key 0..255 and a shift state; 0 for a virtual key out of range.
TShortCut ShortCut(int vk, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, int& vk, TShiftState& shift);
// "Shift+Ctrl+F3": the modifiers in that order, then the key's name; "" for 0 or an unnamed key.
std::string ShortCutToText(TShortCut shortCut);
// The inverse of ShortCutToText, ignoring case and the order of the modifiers; 0 for unknown text.
TShortCut TextToShortCut(std::string_view text);
