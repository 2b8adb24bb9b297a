// Tddemacroserver: the DDE conversation "system" through which the desktop and later starts send the
// running program its macros, and the grammar of one macro line.
#include "app/model/u_ddemacro.h"


#include "platform/core/Exception.h"
#include "platform/core/Classes.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"

bool ParseMacroLine(const std::string& line, std::string& verb, std::string& arg)
{
    verb.clear();
    arg.clear();
    // Each step looks at the character at `at`; the end of the line matches nothing.
    size_t at = 0;
    auto is = [&](char c) { return at < line.size() && line[at] == c; };
    if (!is('['))
        return false;
    ++at;
    const size_t verbStart = at;
    while (at < line.size() && line[at] != '\t' && line[at] != ' ' && line[at] != '(' && line[at] != ')')
        ++at;
    if (at == verbStart || !is('('))
        return false;
    std::string foundVerb = line.substr(verbStart, at - verbStart);
    ++at;
    std::string foundArg;
    const bool escaped = is('%') && at + 1 < line.size() && line[at + 1] == '"';
    if (escaped)
        ++at;
    if (is('"')) {
        const size_t close = line.find('"', at + 1);
        if (close == std::string::npos)
            return false;
        if (!escaped) {
            foundArg = line.substr(at + 1, close - at - 1);
        } else {
            for (size_t i = at + 1; i < close; ++i) {
                if (line[i] != '%') {
                    foundArg += line[i];
                    continue;
                }
                const int high = i + 2 < close ? HexDigitValue(line[i + 1]) : -1;
                const int low = high >= 0 ? HexDigitValue(line[i + 2]) : -1;
                if (low < 0)
                    return false;
                foundArg += static_cast<char>(high * 16 + low);
                i += 2;
            }
        }
        at = close + 1;
    }
    if (!is(')'))
        return false;
    ++at;
    if (!is(']'))
        return false;
    verb = std::move(foundVerb);
    arg = std::move(foundArg);
    return true;
}

namespace {

// Bytes that cannot stand in a quoted argument as they are: the quote ends it, a line break ends the
// line, and the other control bytes would make the macro unreadable in a log.
bool needsEscape(unsigned char c)
{
    return c == '"' || c < 0x20 || c == 0x7F;
}

} // namespace

std::string QuoteMacroArgument(const std::string& arg)
{
    bool plain = true;
    for (const char c : arg)
        plain = plain && !needsEscape(static_cast<unsigned char>(c));
    if (plain)
        return '"' + arg + '"';
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string quoted = "%\"";
    for (const char c : arg) {
        const auto byte = static_cast<unsigned char>(c);
        if (needsEscape(byte) || byte == '%')
            quoted.append(1, '%').append(1, kDigits[byte >> 4]).append(1, kDigits[byte & 0xF]);
        else
            quoted += c;
    }
    return quoted + '"';
}

bool MacroIsWellFormed(const std::string& text)
{
    const TStringList lines = SplitMacroLines(text);
    std::string verb, arg;
    for (int i = 0; i < lines.Count(); ++i)
        if (!ParseMacroLine(lines[i], verb, arg))
            return false;
    return lines.Count() > 0;
}

Tddemacroserver::Tddemacroserver() : TDdeServerConv("system")
{
    OnExecuteMacro = [this](TDdeServerConv*, const TStringList& macro) { macroHandler(macro); };
}

void Tddemacroserver::macroHandler(const TStringList& macro)
{
    if (!Onmacro)
        throw EInvalidOperation("Tddemacroserver: Onmacro is not assigned");
    std::string verb, arg;
    for (int i = 0; i < macro.Count(); ++i)
        if (ParseMacroLine(macro[i], verb, arg))
            Onmacro(verb, arg);
}

namespace {

constexpr int kShellExecUsage = 4900;
constexpr int kShellVerbMissing = 4901;
constexpr int kShellVerbMalformed = 4903;

std::string replaceFile(std::string text, const std::string& file)
{
    for (size_t at = text.find("%1"); at != std::string::npos; at = text.find("%1", at + file.size())) {
        text.replace(at, 2, file);
    }
    return text;
}

// The default value of a key of the file types; "" when the key or its value is missing.
std::string classesValue(const std::string& key)
{
    TRegistry registry;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    if (!registry.OpenKeyReadOnly(key))
        return {};
    return registry.ValueExists("") ? registry.ReadString("") : std::string();
}

} // namespace

bool ReadShellVerb(const std::string& typeAndVerb, const std::string& file, TShellVerb& verb)
{
    const size_t slash = typeAndVerb.find('\\');
    if (slash == std::string::npos || slash == 0 || slash + 1 == typeAndVerb.size())
        return false;
    // Appended piece by piece: GCC 12 warns falsely about a literal added to a temporary string.
    std::string key(1, '\\');
    key.append(typeAndVerb, 0, slash).append("\\Shell\\").append(typeAndVerb, slash + 1).append("\\ddeexec");
    const std::string ddeexec = classesValue(key);
    if (ddeexec.empty())
        return false;
    const std::string topic = classesValue(key + "\\topic");
    const std::string ifexec = classesValue(key + "\\ifexec");
    verb.Topic = topic.empty() ? "system" : topic;
    verb.DdeExec = MacroWithFile(ddeexec, file);
    verb.IfExec = MacroWithFile(ifexec.empty() ? ddeexec : ifexec, file);
    return true;
}

std::string MacroWithFile(const std::string& text, const std::string& file)
{
    std::string macro;
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '"') {
            // A quoted argument ends on its line; a quote without its pair is an ordinary character.
            const size_t close = text.find_first_of("\"\r\n", at + 1);
            if (close != std::string::npos && text[close] == '"') {
                const std::string arg = text.substr(at + 1, close - at - 1);
                if (arg.find("%1") != std::string::npos)
                    macro += QuoteMacroArgument(replaceFile(arg, file));
                else
                    macro.append(text, at, close - at + 1);
                at = close + 1;
                continue;
            }
        }
        if (text.compare(at, 2, "%1") == 0) {
            macro += QuoteMacroArgument(file);
            at += 2;
            continue;
        }
        macro += text[at++];
    }
    return macro;
}

std::string EditMacroFor(const std::vector<std::string>& files)
{
    std::string macro;
    for (const std::string& file : files) {
        if (!macro.empty())
            macro += "\r\n";
        macro.append("[edit(").append(QuoteMacroArgument(file)).append(")]");
    }
    return macro;
}

bool StartRequestOf(const std::vector<std::string>& arguments, TStartRequest& request, int& error,
                    std::string& errorArg)
{
    request = {};
    if (arguments.empty() || arguments[0] != "--shell-exec") {
        request.Files = arguments;
        // Files of a later start go to the running copy, which opens them as its own start would.
        std::vector<std::string> existing;
        for (const std::string& file : arguments)
            if (FileExists(file))
                existing.push_back(ExpandFileName(file));
        request.RunningMacro = EditMacroFor(existing);
        return true;
    }
    if (arguments.size() != 3) {
        error = kShellExecUsage;
        return false;
    }
    TShellVerb verb;
    if (!ReadShellVerb(arguments[1], ExpandFileName(arguments[2]), verb)) {
        error = kShellVerbMissing;
        errorArg = arguments[1];
        return false;
    }
    // A macro the running program would skip would leave the caller told that all went well.
    if (!MacroIsWellFormed(verb.DdeExec) || !MacroIsWellFormed(verb.IfExec)) {
        error = kShellVerbMalformed;
        errorArg = arguments[1];
        return false;
    }
    request.Topic = verb.Topic;
    request.WaitForResult = true;
    request.RunningMacro = verb.DdeExec;
    request.OwnMacro = verb.IfExec;
    return true;
}
