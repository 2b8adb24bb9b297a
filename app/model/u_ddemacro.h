// Tddemacroserver: the DDE conversation "system" through which the desktop and later starts send the
// running program its macros, and the grammar of one macro line.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Dde.h"

// Reads one macro line: "[", a verb of characters other than tab, blank, "(" and ")", "(", an optional
// argument, ")", "]"; anything after the closing bracket is ignored. The argument is either every byte
// between two double quotes, taken as it stands, or "%" followed by such a quoted text in which "%"
// and two hexadecimal digits stand for one byte. False (and verb and argument empty) when the line
// breaks the grammar, also for a "%" in an escaped argument not followed by two digits.
bool ParseMacroLine(const std::string& line, std::string& verb, std::string& arg);
// The argument as a macro line carries it, parentheses left out: in double quotes as it stands when no
// byte of it could end it or the line (so peers that know no escapes read it as before), otherwise
// escaped, each double quote, "%", control byte and DEL written as "%" and two hexadecimal digits.
std::string QuoteMacroArgument(const std::string& arg);
// Whether every line of a macro text (split as the server splits it) is well-formed; false for none.
bool MacroIsWellFormed(const std::string& text);
// The text of a registered macro with `file` where it says "%1": a quoted argument that holds "%1" is
// quoted anew around the file put into it, and a bare "%1" becomes the file quoted, so that no byte of
// the file name can end the argument or begin another line.
std::string MacroWithFile(const std::string& text, const std::string& file);

class Tddemacroserver : public TDdeServerConv {
public:
    using TddemacroEvent = std::function<void(const std::string& Verb, const std::string& Arg)>;

    Tddemacroserver();

    // Called for each well-formed line of an executed macro, in order; must be assigned.
    TddemacroEvent Onmacro;

private:
    void macroHandler(const TStringList& macro);
};

// The texts of the shell verb a desktop entry names ("<file type>\<verb>"), read from the file types
// of the registry store, with the file put where the macros say "%1".
struct TShellVerb {
    std::string Topic;  // "system" when the entry names none
    std::string DdeExec;  // sent to a running program
    std::string IfExec;  // run by a program the verb started; DdeExec when the entry has none
};
// False when the verb or its "ddeexec" text is missing.
bool ReadShellVerb(const std::string& typeAndVerb, const std::string& file, TShellVerb& verb);
// What a start of the program asks for: the macro for a copy already running, and the macro this copy
// runs itself after its first show when it is the one that runs.
struct TStartRequest {
    std::string Topic = "system";
    std::string RunningMacro;
    std::string OwnMacro;
    // Whether the sender waits until the running copy has run RunningMacro (a desktop verb, whose
    // caller learns its result), rather than until it has taken it.
    bool WaitForResult = false;
    // The files this copy opens at its first show when it runs.
    std::vector<std::string> Files;
};
// Reads the command line (without the program's name): "--shell-exec <file type>\<verb> <file>" asks
// for the verb's macros; anything else names files, of which those that exist go to a running copy as
// "edit" lines with their full paths. False, with the string-table id of the complaint in `error`
// (and its argument in `errorArg`), when the shell form is ill-formed, names no registered verb or
// one whose macro is not well-formed.
bool StartRequestOf(const std::vector<std::string>& arguments, TStartRequest& request, int& error,
                    std::string& errorArg);
// The macro of "edit" lines that hands a later start's files to the running program, each name quoted
// so that it arrives byte for byte.
std::string EditMacroFor(const std::vector<std::string>& files);
