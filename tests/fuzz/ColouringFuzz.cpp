// libFuzzer target: any text scanned by the shipped languages, tokens stored in bulk from the records against token by token through the stream.
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzCheck.h"
#include "editor/model/EditingCore.h"
#include "editor/model/LineStore.h"
#include "highlight/CodeMemoParser.h"
#include "tests/support/CountingEdStream.h"

namespace {

TCodeMemoParser& shipped(uint8_t pick)
{
    static const char* const scripts[] = {"html.syn", "javascript.syn", "text.syn"};
    static std::unique_ptr<TCodeMemoParser> parsers[3];
    const size_t i = pick % 3;
    if (!parsers[i]) {
        parsers[i] = std::make_unique<TCodeMemoParser>();
        parsers[i]->Script = std::string(KESTRIMA_SOURCE_DIR) + "/resources/scripts/" + scripts[i];
        parsers[i]->LoadScriptFile();
    }
    return *parsers[i];
}

// The token that the scanner returned, over the characters the cursor passed; one that took nothing
// is the one character at its start, as the highlighting driver makes it.
void store(std::string& styles, TEdStream& stream, const TCustomCodeMemoParser::TTokenPlace& place, uint8_t value)
{
    if (stream.GetPos() <= place.Start) {
        stream.Reset(place.Record, place.Index, place.Start - place.Index);
        stream.Next();
    }
    for (int64_t i = place.Start; i < stream.GetPos(); ++i)
        styles[static_cast<size_t>(i)] = static_cast<char>(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || size > 20000)
        return 0;
    TCodeMemoParser& parser = shipped(data[0]);
    TCodeMemoCore core;
    core.InsertText(reinterpret_cast<const char*>(data) + 1, static_cast<int>(size - 1));
    if (!core.FirstRecord())
        return 0;
    const auto length = static_cast<size_t>(core.TextLength());

    std::string byToken(length, '\0');
    TCountingEdStream plain(&core);
    plain.Reset(core.FirstRecord(), 0, 0);
    parser.ResetScanner(0);
    while (!plain.AtEnd()) {
        const TCustomCodeMemoParser::TTokenPlace place{plain.Record(), plain.OffsetInRecord(), plain.GetPos()};
        int tokenLength = 0;
        const uint8_t value = parser.ScanToken(nullptr, plain, tokenLength);
        store(byToken, plain, place, value);
    }
    const uint32_t digest = parser.ScanStateDigest();

    std::string inBulk(length, '\0');
    TEdStream direct(&core);
    direct.Reset(core.FirstRecord(), 0, 0);
    parser.ResetScanner(0);
    while (!direct.AtEnd()) {
        const int64_t recordEnd = direct.GetPos() - direct.OffsetInRecord() + direct.Record()->Len;
        TCustomCodeMemoParser::TTokenPlace place;
        const uint8_t value = parser.ScanTokensBefore(nullptr, direct, recordEnd,
                                                      reinterpret_cast<uint8_t*>(inBulk.data()), 0, place);
        store(inBulk, direct, place, value);
    }
    check(inBulk == byToken && parser.ScanStateDigest() == digest);
    return 0;
}
