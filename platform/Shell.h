// The desktop's shell: opening an address or a file the way the desktop opens it.
#pragma once

#include <functional>
#include <string>

// An address ("http://...", "mailto:...", "www...") goes to the desktop's handler of its scheme; an
// existing program is started; any other existing file or folder opens with the desktop's handler of
// its type. The text is Windows-1252, and "\" separates folders too. True when something was started.
bool ShellOpen(const std::string& target);

// While set, every call is answered by the hook instead of starting anything (tests record what would
// be opened through it). Returns the hook it replaces; an empty hook opens through the desktop again.
using TShellOpenHook = std::function<bool(const std::string& target)>;
TShellOpenHook SetShellOpenHook(TShellOpenHook answer);
