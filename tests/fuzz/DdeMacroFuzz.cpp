// libFuzzer target: DDE frames, macro lines and file names in macros from arbitrary bytes.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/model/u_ddemacro.h"
#include "platform/core/Dde.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    // A frame read from any bytes is written back as the very bytes it was read from.
    TDdeFrame frame;
    size_t consumed = 0;
    if (DecodeDdeFrame(bytes, frame, consumed) == TDdeDecode::Complete) {
        check(consumed <= size);
        check(EncodeDdeFrame(frame) == bytes.substr(0, consumed));
    }

    // Every line a macro holds: an accepted one is written again from its verb and argument and reads
    // back the same; a verb never holds a blank or a parenthesis.
    Tddemacroserver server;
    server.Onmacro = [&](const std::string& verb, const std::string& arg) {
        check(!verb.empty() && verb.find_first_of(" \t()") == std::string::npos);
        const std::string again = "[" + verb + "(" + QuoteMacroArgument(arg) + ")]";
        std::string verb2, arg2;
        check(ParseMacroLine(again, verb2, arg2) && verb2 == verb && arg2 == arg);
    };
    check(server.ExecuteMacro(bytes));

    // The bytes as a file name, in the macro a later start sends and in a registered verb's: the server
    // runs exactly one "edit" of exactly that name and nothing else.
    Tddemacroserver receiver;
    std::vector<std::pair<std::string, std::string>> calls;
    receiver.Onmacro = [&](const std::string& verb, const std::string& arg) { calls.emplace_back(verb, arg); };
    for (const std::string& macro : {EditMacroFor({bytes}), MacroWithFile("[edit(\"%1\")]", bytes)}) {
        calls.clear();
        check(MacroIsWellFormed(macro));
        check(receiver.ExecuteMacro(macro));
        check(calls.size() == 1 && calls[0].first == "edit" && calls[0].second == bytes);
    }
    std::string verb, arg;
    if (ParseMacroLine(bytes, verb, arg))
        check(bytes[0] == '[' && bytes.find(']') != std::string::npos);
    else
        check(verb.empty() && arg.empty());
    return 0;
}
