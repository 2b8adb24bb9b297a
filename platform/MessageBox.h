// The system's message box: text, caption, buttons and icon by the Windows flags, answered by the
// button's id. Button captions come from the string table, so every box speaks Spanish.
#pragma once

#include <functional>
#include <string>

#include "platform/core/Geometry.h"

class QWidget;

// Buttons.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
// Yes, No, Cancel and All: the system's own set (Windows has no All button), for questions asked
// once per item of a run that the user may let go on without asking.
constexpr unsigned MB_YESNOCANCELALL = 0x8;
// Icons: an error shows the stop sign.
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONERROR = MB_ICONSTOP;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONEXCLAMATION = MB_ICONWARNING;
constexpr unsigned MB_ICONINFORMATION = 0x40;
// The second or third button is the default one.
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_DEFBUTTON3 = 0x200;

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;
constexpr int IDALL = 12;

// Shows the box modally over `owner` (the active window when nil); `text` and `caption` are
// Windows-1252, an empty caption gives the program's name. Closing the box without a button answers
// Cancel where there is one, else the only button.
int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned flags);
// The same box with its top-left corner at a point of the screen.
int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned flags, TPoint topLeft);

// While set, every box is answered by the hook instead of being shown (tests answer through it).
// Returns the hook it replaces; an empty hook shows the boxes again.
using TMessageBoxHook = std::function<int(const std::string& text, const std::string& caption, unsigned flags)>;
TMessageBoxHook SetMessageBoxHook(TMessageBoxHook hook);

// The system's alert sound for a message-box kind (MB_OK, MB_ICONSTOP ...): what a search that finds
// nothing plays. While the hook is set, it hears each beep instead (tests count them); returns the
// hook it replaces.
void MessageBeep(unsigned type);
using TMessageBeepHook = std::function<void(unsigned type)>;
TMessageBeepHook SetMessageBeepHook(TMessageBeepHook hook);

// The message of the exception being handled, as the message loop shows one nobody caught: an error
// box with the stop sign. Nothing for an operation ended on purpose (EAbort). Call it only inside a
// catch block.
void ShowException(QWidget* owner);
