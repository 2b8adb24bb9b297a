// Browser command lines: the registry store's form with its "%1", and a desktop entry's Exec value read by the desktop entry rules.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Command lines as the registry store keeps them: words separated by blanks; a word in double quotes
// may hold blanks, and \" and \\ in it stand for a quote and a backslash. "%1" stands for the page.
inline constexpr const char* kPagePlaceholder = "%1";
// The command line of the registry store's form that holds `words`, each quoted.
std::string CommandLineOf(const std::vector<std::string>& words);
//
// The words of a desktop entry's Exec value as the desktop entry rules read them: the value's escapes
// (\s \n \t \r \\) undone, words split at blanks, double-quoted words in which \" \` \$ \\ stand
// for the character. Field codes stay as written. Empty for a quote left open.
std::vector<std::string> DesktopExecWords(std::string_view exec);
// The browser's command line from a desktop entry's Exec value: every word quoted, %u %U %f %F
// become "%1" (the page, one argument), %% a "%", and the other field codes go (a word that is only
// one goes with it); "%1" is added at the end when the value has no place for the page. Empty when
// it names no program apart from the page.
std::string BrowserCommandFromExec(std::string_view exec);
// The program and its arguments that show `page` with `command`: each "%1" becomes the page, which is
// added at the end when the command has none. Empty when the command names no program apart from the
// page, also behind "env" with its options and settings: the page is never the program.
std::vector<std::string> BrowserArguments(std::string_view command, const std::string& page);
// The program a command line starts: its first word, or after "env" the first that is neither an
// option of env nor a setting NAME=value. Empty when there is none.
std::string CommandProgram(std::string_view command);
