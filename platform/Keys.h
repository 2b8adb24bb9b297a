// Keyboard input in the editor's terms: virtual-key codes, shift states, shortcut words and their texts.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/Messages.h"

class QInputEvent;
class QKeyEvent;

// The virtual key and Shift/Ctrl/Alt state of a key event. Letters give 'A'..'Z' whatever the case;
// digits, and what Shift types on them, give '0'..'9'; punctuation gives the OEM key that types it on
// a US keyboard; keypad keys give the VK_NUMPAD*/VK_ADD family. Where the event tells which physical
// key it comes from, the digit row gives its digits and unnamed keys their place's key on any layout.
// A modifier key counts as held while it goes down and as released when it comes up. Returns false
// (vk 0) for keys with no virtual key; the shift state is filled either way.
bool KeyEventToVirtualKey(const QKeyEvent* event, int& vk, TShiftState& shift);

// The Qt key code and Qt::KeyboardModifiers (as an int) that a US keyboard reports for the virtual
// key under the shift state; false for a virtual key the mapping does not know.
bool VirtualKeyToQtKey(int vk, TShiftState shift, int& qtKey, int& qtModifiers);

// A key event for the virtual key under the shift state, carrying the text a US keyboard types
// (none while Ctrl or Alt is held); nullptr for an unknown virtual key.
std::unique_ptr<QKeyEvent> MakeKeyEvent(int vk, TShiftState shift, bool press = true);

// Shift, Ctrl and Alt of a key or mouse event; for a mouse event also the buttons it holds.
TShiftState ShiftStateOf(const QInputEvent* event);

// What the key event types, as Windows-1252 bytes; characters outside the code page are dropped.
std::string KeyEventChars(const QKeyEvent* event);

// The key a US keyboard types the Windows-1252 character `c` with, as a key-scan code: the virtual
// key in the low byte plus 0x100 when Shift is needed; -1 for a character no key types. This is the
// layout KeyEventToVirtualKey reports keys in, so a code found here matches the key events.
int VkKeyScan(char c);

// Shortcut word of a virtual key 0..255 and a shift state; 0 for a virtual key out of range.
TShortCut ShortCut(int vk, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, int& vk, TShiftState& shift);
// "Shift+Ctrl+F3": the modifiers in that order, then the key's name; "" for 0 or an unnamed key.
std::string ShortCutToText(TShortCut shortCut);
// The inverse of ShortCutToText, ignoring case and the order of the modifiers; 0 for unknown text.
TShortCut TextToShortCut(std::string_view text);
