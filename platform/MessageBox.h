// The system's message box: text, caption, buttons and icon by the Windows flags, answered by the
// button's id. Button captions come from the string table, so every box speaks Spanish.
#pragma once

#include <string>

class QWidget;

// Buttons.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
// Icons: an error shows the stop sign.
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONERROR = MB_ICONSTOP;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
// The second or third button is the default one.
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_DEFBUTTON3 = 0x200;

// Answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows the box modally over `owner` (the active window when nil); `text` and `caption` are
// Windows-1252, an empty caption gives the program's name. Closing the box without a button answers
// Cancel where there is one, else the only button.
int MessageBox(QWidget* owner, const std::string& text, const std::string& caption, unsigned flags);

// The message of the exception being handled, as the message loop shows one nobody caught: an error
// box with the stop sign. Nothing for an operation ended on purpose (EAbort). Call it only inside a
// catch block.
void ShowException(QWidget* owner);
