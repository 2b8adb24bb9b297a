// libFuzzer target: arbitrary bytes as a highlighting script and as a stored table image. A script
// compiles or stops with the compiler's error; what compiled scans text and goes through its stored
// form unchanged; an image loads or is refused, and the parser scans either way.
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "editor/model/EditingCore.h"
#include "editor/model/LineStore.h"
#include "highlight/CodeMemoParser.h"

namespace {

const char* const kSample = "<a href=\"x.htm\">if (x) { y = 'z'; } // c\n/* d */ 12.5e3 &amp; <!-- e -->\n\tfin";

// The token value of every character of `text`, scanned token by token from the start; a token that
// took nothing counts as its one character, as the highlighting driver makes it.
std::string scan(TCodeMemoParser& parser, const std::string& text)
{
    TCodeMemoCore core;
    core.InsertText(text.data(), static_cast<int>(text.size()));
    if (!core.FirstRecord())
        return {};
    std::string styles(static_cast<size_t>(core.TextLength()), '\0');
    TEdStream stream(&core);
    stream.Reset(core.FirstRecord(), 0, 0);
    parser.ResetScanner(0);
    while (!stream.AtEnd()) {
        const TCustomCodeMemoParser::TTokenPlace place{stream.Record(), stream.OffsetInRecord(), stream.GetPos()};
        int tokenLength = 0;
        const uint8_t value = parser.ScanToken(nullptr, stream, tokenLength);
        if (stream.GetPos() <= place.Start) {
            stream.Reset(place.Record, place.Index, place.Start - place.Index);
            stream.Next();
        }
        for (int64_t i = place.Start; i < stream.GetPos(); ++i)
            styles[static_cast<size_t>(i)] = static_cast<char>(value);
    }
    return styles;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 16000)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);

    TCodeMemoParser parser;
    TCustomMemoryStream source(data, static_cast<int64_t>(size));
    bool compiled = true;
    try {
        parser.CompileScript(source);
    } catch (const Exception&) {
        compiled = false;
    }
    const std::string styles = scan(parser, kSample);
    scan(parser, input.substr(0, 400));
    if (compiled) {
        TMemoryStream stored;
        parser.StoreParserData(stored);
        stored.SetPosition(0);
        TCodeMemoParser copy;
        copy.LoadParserData(stored);
        check(scan(copy, kSample) == styles);
    }

    TCustomMemoryStream image(data, static_cast<int64_t>(size));
    TCodeMemoParser loaded;
    try {
        loaded.LoadParserData(image);
    } catch (const Exception&) {
    }
    scan(loaded, kSample);
    return 0;
}
