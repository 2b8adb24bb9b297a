// libFuzzer target: command lines, token and word cutting, and hexadecimal text from arbitrary bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "components/core/CommandLine.h"
#include "components/core/StrUtils.h"
#include "components/core/xProcs.h"

#include "FuzzCheck.h"

namespace {

std::vector<std::string> parametersOf(const char* line)
{
    std::vector<std::string> params;
    std::string param;
    for (const char* p = GetParamStr(line, param); !param.empty(); p = GetParamStr(p, param))
        params.push_back(param);
    return params;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The command line ends at its first zero, as a zero-terminated line would.
    const std::string line(reinterpret_cast<const char*>(data), size);
    const char* text = line.c_str();

    std::vector<std::string> params = parametersOf(text);
    check(ParamCountFromCommandLine(text) == static_cast<int>(params.size()));
    for (size_t i = 0; i < params.size(); ++i)
        check(GetParamStrFromCommandLine(text, static_cast<int>(i)) == params[i]);
    check(GetParamStrFromCommandLine(text, static_cast<int>(params.size())).empty());

    std::string program, parameters;
    SplitCommandLine(line, program, parameters);
    check(program == (params.empty() ? std::string() : params[0]));
    // Parameters without double quotes of their own read back unchanged after the join.
    bool plain = true;
    for (const std::string& p : params)
        plain = plain && p.find('"') == std::string::npos;
    if (plain && !params.empty()) {
        std::vector<std::string> rest = parametersOf(parameters.c_str());
        check(rest == std::vector<std::string>(params.begin() + 1, params.end()));
    }

    // Tokens: the count is the number of cuts that empty the text.
    if (size > 0) {
        const char separator = static_cast<char>(data[0]);
        std::string rest = line.substr(1);
        int expected = TokenCount(rest, separator), cuts = 0;
        while (!rest.empty()) {
            NextToken(rest, separator);
            ++cuts;
        }
        check(cuts == expected);
    }

    // Words: every word stands at its position.
    const TCharSet delimiters = DelimiterSet(line.substr(0, size < 3 ? size : 3));
    const int words = WordCount(line, delimiters);
    for (int n = 1; n <= words && n <= 64; ++n) {
        std::string word = ExtractWord(n, line, delimiters);
        int at = WordPosition(n, line, delimiters);
        check(!word.empty() && at > 0 && line.compare(static_cast<size_t>(at - 1), word.size(), word) == 0);
    }
    check(ExtractWord(words + 1, line, delimiters).empty());

    check(Hex2Dec(Dec2Hex(Hex2Dec(line), 8)) == Hex2Dec(line));
    check(DelSpace1(DelSpace1(line)) == DelSpace1(line));
    return 0;
}
