// Qt key events in the editor's terms: virtual-key codes and shift states (names and shortcut words
// are in platform/core/KeyNames.h).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/KeyNames.h"
#include "platform/core/Messages.h"

class QInputEvent;
class QKeyEvent;
class QString;

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

// Alt with a key is a command, an accelerator or nothing: it types no character, whatever text the
// platform gives it (Alt+Q comes with "q"). Ctrl+Alt is AltGr on some layouts, and types.
bool IsAltCommand(TShiftState shift);

// Each character the key event types, as the editor's text: one Windows-1252 has as its byte, any
// other one held (HeldCharacter), so that a list or a field that keys search finds it as typed.
std::vector<std::string> KeyEventChars(const QKeyEvent* event);
// What the key event types, every character.
QString KeyEventText(const QKeyEvent* event);
