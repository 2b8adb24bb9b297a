// Command-line parameters, read byte by byte from a zero-terminated line.
#include "components/core/CommandLine.h"

namespace {

// Any character that ends a parameter, the tab and the other control characters as well as the blank,
// must stand inside quotes for the parameter to read back whole.
bool needsQuotes(const std::string& param)
{
    for (char c : param)
        if (static_cast<unsigned char>(c) <= ' ')
            return true;
    return false;
}

} // namespace

const char* GetParamStr(const char* p, std::string& param)
{
    param.clear();
    if (!p)
        return p;
    auto at = [&p](size_t i) { return static_cast<unsigned char>(p[i]); };
    for (;;) {
        while (at(0) >= 1 && at(0) <= ' ')
            ++p;
        if (at(0) != '"' || at(1) != '"')
            break;
        p += 2;
    }
    while (at(0) > ' ') {
        if (at(0) == '"') {
            ++p;
            while (at(0) != 0 && at(0) != '"')
                param += *p++;
            if (at(0) == '"')
                ++p;
        } else {
            param += *p++;
        }
    }
    return p;
}

int ParamCountFromCommandLine(const char* commandLine)
{
    int count = 0;
    std::string param;
    for (const char* p = GetParamStr(commandLine, param); !param.empty(); p = GetParamStr(p, param))
        ++count;
    return count;
}

std::string GetParamStrFromCommandLine(const char* commandLine, int index)
{
    std::string param;
    const char* p = commandLine;
    for (int i = 0; i <= index; ++i) {
        p = GetParamStr(p, param);
        if (param.empty())
            break;
    }
    return param;
}

void SplitCommandLine(const std::string& commandLine, std::string& program, std::string& parameters)
{
    parameters.clear();
    const char* p = GetParamStr(commandLine.c_str(), program);
    std::string param;
    for (p = GetParamStr(p, param); !param.empty(); p = GetParamStr(p, param)) {
        if (!parameters.empty())
            parameters += ' ';
        parameters += needsQuotes(param) ? '"' + param + '"' : param;
    }
}
