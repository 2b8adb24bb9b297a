// The desktop's shell: handing an address or a file to the desktop, which opens it by its kind.
#pragma once

#include <functional>
#include <string>

class QWidget;

// Hands `target` to the desktop; nothing is ever run as a program, whatever its permissions:
// - an address of the schemes "http:", "https:", "ftp:", "mailto:", "news:" (and "www..." or "ftp..."
//   without one, and a bare mail address "name@host.domain") goes to the desktop's handler of its
//   scheme; "file:" addresses are files;
// - an existing file or folder goes to the desktop's opener for its type (a file name with a
//   "#fragment" that names no file opens the file before the "#" at that place).
// `target` is spelt as the file system spells its names (UTF-8 here, "\" a character of a name like any
// other), and a relative name is taken from `folder` (ending in a separator), or from the working
// folder when that is empty. The opener gets a name as its bytes, whatever they spell. False when nothing was handed on or the desktop refused it, with `why` (when given)
// saying why in Spanish.
bool ShellOpen(const std::string& target, std::string* why = nullptr, const std::string& folder = {});
// ShellOpen, and when it fails a message box over `owner` that names the target and says why.
bool ShellOpenReported(QWidget* owner, const std::string& target, const std::string& folder = {});
// Starts a program the user named in the settings (a utility): an existing executable file is started
// in its own folder, by its name's own bytes; anything else goes to ShellOpen. Only for programs the
// user chose to run.
bool ShellStartProgram(const std::string& program);

// The program that hands files and addresses to the desktop: "xdg-open" on the path. The opener gets
// one argument, an absolute path or an address, and answers by its exit status.
std::string DesktopOpener();

// While set, every call of ShellOpen and ShellStartProgram is answered by the hook instead of handing
// anything on (tests record what would be opened through it). Returns the hook it replaces; an empty
// hook opens through the desktop again.
using TShellOpenHook = std::function<bool(const std::string& target)>;
TShellOpenHook SetShellOpenHook(TShellOpenHook answer);
