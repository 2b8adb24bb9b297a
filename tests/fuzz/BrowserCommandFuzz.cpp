// libFuzzer target: a desktop entry's Exec value made into the browser's command line, and a command line given its page.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/BrowserCommand.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string page = "/p\xC3\xA1gina \"%1\".htm";
    // Read as an Exec value: a command it gives shows the page as one argument and never as the program.
    const std::string command = BrowserCommandFromExec(input);
    if (!command.empty()) {
        const std::vector<std::string> arguments = BrowserArguments(command, page);
        check(!arguments.empty());
        check(!CommandProgram(command).empty());
        bool placed = false;
        for (const std::string& argument : arguments)
            placed = placed || argument.find(page) != std::string::npos;
        check(placed);
        check(arguments.front() != page);
    }
    // Read as a stored command line: the program is never the page, and quoting its words gives them back.
    const std::vector<std::string> arguments = BrowserArguments(input, page);
    if (!arguments.empty()) {
        const std::string program = CommandProgram(input);
        check(!program.empty());
        check(program.find(kPagePlaceholder) == std::string::npos);
        const std::vector<std::string> again = BrowserArguments(CommandLineOf(BrowserArguments(input, kPagePlaceholder)), page);
        check(again == arguments);
    }
    // Words split from the same value come back the same.
    check(DesktopExecWords(input) == DesktopExecWords(input));
    return 0;
}
