// libFuzzer target: DDE frames and macro lines from arbitrary bytes.
#include <cstdint>
#include <string>

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
    // back the same; a verb never holds a blank or a parenthesis, an argument never a double quote.
    Tddemacroserver server;
    int accepted = 0;
    server.Onmacro = [&](const std::string& verb, const std::string& arg) {
        ++accepted;
        check(!verb.empty() && verb.find_first_of(" \t()") == std::string::npos);
        check(arg.find('"') == std::string::npos);
        const std::string again = "[" + verb + "(" + (arg.empty() ? "" : "\"" + arg + "\"") + ")]";
        std::string verb2, arg2;
        check(ParseMacroLine(again, verb2, arg2) && verb2 == verb && arg2 == arg);
    };
    check(server.ExecuteMacro(bytes));
    std::string verb, arg;
    if (ParseMacroLine(bytes, verb, arg))
        check(bytes[0] == '[' && bytes.find(']') != std::string::npos);
    else
        check(verb.empty() && arg.empty());
    return 0;
}
