// The cost of colouring: the shipped languages scan a text in time linear in its length, whatever
// runs of letters and digits it holds.
#include <gtest/gtest.h>
#include <filesystem>
#include <string>

#include "editor/model/EditingCore.h"
#include "highlight/CodeMemoParser.h"
#include "support/CountingEdStream.h"

namespace {

int64_t stepsToScan(const char* script, const std::string& text)
{
    TCodeMemoParser parser;
    parser.Script = (std::filesystem::path(KESTRIMA_SOURCE_DIR) / "resources/scripts" / script).string();
    parser.LoadScriptFile();
    TCodeMemoCore core;
    core.InsertText(text.c_str());
    TCountingEdStream stream(&core);
    stream.Reset(core.FirstRecord(), 0, 0);
    parser.ResetScanner(0);
    while (!stream.AtEnd()) {
        const int64_t start = stream.GetPos();
        int length = 0;
        parser.ScanToken(nullptr, stream, length);
        if (stream.GetPos() <= start)
            break;
    }
    EXPECT_TRUE(stream.AtEnd()) << script;
    return stream.Steps;
}

} // namespace

TEST(HighlightCost, LongRunsOfLettersAndDigitsScanInLinearTime)
{
    const std::string run(16000, 'w');
    const std::string digits(16000, '7');
    for (const char* script : {"html.syn", "text.syn", "javascript.syn"}) {
        for (const std::string& text : {"<p>" + run + "</p>", run, digits + " " + run + "@", "x = " + digits}) {
            const int64_t steps = stepsToScan(script, text);
            // A few passes over each character at most; a rescan from every start would be ~n * n / 2.
            EXPECT_LT(steps, 8 * int64_t(text.size())) << script << " " << text.substr(0, 8);
        }
    }
}
