// libFuzzer target: a language's style value and key value as the registry may hold them.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/model/KeyBindings.h"
#include "highlight/CodeMemoParser.h"
#include "platform/core/Classes.h"

namespace {

std::string settingsBytes(const TCodeMemoParser& parser)
{
    TMemoryStream stream;
    parser.Settings().SaveToStream(stream);
    return stream.AsString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const uint8_t mode = data[0] % 12;

    if (mode >= 10) {
        // A key value as it stands (10), or a key controller stream after the signature (11):
        // refused whole or taken whole, and what was taken is written back the same.
        TCodeMemoParser parser;
        const std::string before = settingsBytes(parser);
        try {
            parser.LoadKeyAssignments(mode == 10 ? rest : "\x08Trevok6:" + rest);
        } catch (const Exception&) {
            if (settingsBytes(parser) != before)
                std::abort();
            return 0;
        }
        TCodeMemoParser again;
        again.LoadKeyAssignments(parser.BuildKeyAssignments());
        if (settingsBytes(again) != settingsBytes(parser))
            std::abort();
        return 0;
    }

    // A style value: as it stands (mode 0) or after the signature of version `mode`.
    const std::string text = mode == 0 ? rest : "Trevok" + std::to_string(mode) + ":" + rest;
    TCodeMemoParser parser;
    const std::string before = settingsBytes(parser);
    try {
        parser.ParseStyleString(text);
    } catch (const Exception&) {
        // An old positional value is read whole or not at all.
        if (mode >= 1 && mode <= 4 && settingsBytes(parser) != before)
            std::abort();
        return 0;
    }
    // Whatever was read, written again, reads back to the same settings.
    const std::string written = parser.BuildStyleString();
    TCodeMemoParser again;
    again.ParseStyleString(written);
    if (again.BuildStyleString() != written)
        std::abort();
    return 0;
}
