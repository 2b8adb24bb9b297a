// The desktop's shell: opening an address or a file the way the desktop opens it.
#pragma once

#include <string>

// An address ("http://...", "mailto:...", "www...") goes to the desktop's handler of its scheme; an
// existing program is started; any other existing file or folder opens with the desktop's handler of
// its type. The text is Windows-1252, and "\" separates folders too. True when something was started.
bool ShellOpen(const std::string& target);
