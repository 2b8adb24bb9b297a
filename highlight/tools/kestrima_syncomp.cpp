// Build-time compiler of highlighting scripts: compiles one script and writes its stored tables to a file.
//
// Usage: kestrima_syncomp SCRIPT OUTPUT
// The script's own folder is where its #include <...> files are looked for. On an error the message
// goes to the standard error, no output is left behind and the exit status is 1, so the build stops.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "highlight/CodeMemoParser.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"

namespace {

int compileScript(const std::string& script, const std::string& output)
{
    TCodeMemoParser parser;
    // Errors of the tables stream begin with the component's name.
    parser.Name = std::filesystem::path(script).stem().string();
    parser.Script = script;
    if (!FileExists(script)) {
        std::fprintf(stderr, "%s: no such script\n", script.c_str());
        return 1;
    }
    try {
        parser.LoadScriptFile();
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s: %s (while reading %s)\n", script.c_str(), e.Message().c_str(),
                     parser.CompileErrorContext().c_str());
        return 1;
    }
    // The whole blob is built in memory first: a failure never leaves a truncated file that a
    // later build would take as up to date.
    TMemoryStream blob;
    parser.StoreParserData(blob);
    WriteFileBytes(output, std::string_view(reinterpret_cast<const char*>(blob.Memory()),
                                            static_cast<size_t>(blob.GetSize())));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SCRIPT OUTPUT\n", argc > 0 ? argv[0] : "kestrima_syncomp");
        return 2;
    }
    int status = 1;
    try {
        status = compileScript(argv[1], argv[2]);
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.Message().c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", argv[1], e.what());
    }
    // Tables of an earlier build must not outlive a script that no longer compiles.
    if (status != 0)
        std::remove(argv[2]);
    return status;
}
