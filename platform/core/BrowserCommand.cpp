// Browser command lines: splitting the registry store's form and a desktop entry's Exec value into words, and the page's place among them.
#include "platform/core/BrowserCommand.h"

#include <utility>

#include "platform/core/SysUtils.h"

namespace {

// The words of `text` separated by any of `blanks`; a double-quoted stretch may hold blanks, and in it
// a backslash before one of `escaped` stands for that character. `open` tells whether a quote was left
// open at the end.
std::vector<std::string> splitWords(std::string_view text, std::string_view blanks, std::string_view escaped,
                                    bool& open)
{
    std::vector<std::string> words;
    bool quoted = false;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && blanks.find(text[i]) != std::string_view::npos)
            ++i;
        if (i >= text.size())
            break;
        std::string word;
        for (; i < text.size(); ++i) {
            const char c = text[i];
            if (c == '"')
                quoted = !quoted;
            else if (quoted && c == '\\' && i + 1 < text.size() && escaped.find(text[i + 1]) != std::string_view::npos)
                word += text[++i];
            else if (!quoted && blanks.find(c) != std::string_view::npos)
                break;
            else
                word += c;
        }
        words.push_back(std::move(word));
    }
    open = quoted;
    return words;
}

// The words of a command line of the registry store's form, each with whether it held the page.
std::vector<std::pair<std::string, bool>> commandWords(std::string_view command)
{
    bool open = false;
    std::vector<std::pair<std::string, bool>> words;
    for (std::string& word : splitWords(command, " \t", "\"\\", open)) {
        const bool page = word.find(kPagePlaceholder) != std::string::npos;
        words.emplace_back(std::move(word), page);
    }
    return words;
}

// Whether the word at `index` can be the program: there is one, it is not empty and it holds no page.
bool isProgram(const std::vector<std::pair<std::string, bool>>& words, size_t index)
{
    return index < words.size() && !words[index].first.empty() && !words[index].second;
}

// The index of the word that is the program: the first, or after "env" the first that is neither an
// option of env (with the operand of those that take one) nor a setting NAME=value.
size_t programIndex(const std::vector<std::pair<std::string, bool>>& words)
{
    if (words.empty() || ExtractFileName(words[0].first) != "env")
        return 0;
    size_t i = 1;
    while (i < words.size()) {
        const std::string& word = words[i].first;
        if (word == "--")
            return i + 1;
        if (word == "-u" || word == "-C" || word == "-S" || word == "--unset" || word == "--chdir" ||
            word == "--split-string")
            i += 2;
        else if (word.size() > 1 && word[0] == '-')
            ++i;
        else if (const size_t equals = word.find('='); equals != std::string::npos && equals > 0 &&
                                                       word.find('/') > equals)
            ++i;
        else
            return i;
    }
    return i;
}

std::string quotedWord(const std::string& word)
{
    std::string out = "\"";
    for (const char c : word) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

std::string CommandLineOf(const std::vector<std::string>& words)
{
    std::string command;
    for (const std::string& word : words)
        command.append(command.empty() ? "" : " ").append(quotedWord(word));
    return command;
}

std::vector<std::string> DesktopExecWords(std::string_view exec)
{
    // The escapes of the value's string type come first.
    std::string value;
    for (size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] != '\\' || i + 1 >= exec.size()) {
            value += exec[i];
            continue;
        }
        const char next = exec[++i];
        switch (next) {
        case 's': value += ' '; break;
        case 'n': value += '\n'; break;
        case 't': value += '\t'; break;
        case 'r': value += '\r'; break;
        case '\\': value += '\\'; break;
        default:
            value += '\\';
            value += next;
        }
    }
    bool open = false;
    std::vector<std::string> words = splitWords(value, " \t\n", "\"`$\\", open);
    if (open)
        return {};
    return words;
}

std::string BrowserCommandFromExec(std::string_view exec)
{
    std::vector<std::string> words;
    bool page = false;
    for (const std::string& word : DesktopExecWords(exec)) {
        std::string out;
        bool droppedCode = false;
        for (size_t i = 0; i < word.size(); ++i) {
            if (word[i] != '%' || i + 1 >= word.size()) {
                out += word[i];
                continue;
            }
            const char code = word[++i];
            if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
                out += kPagePlaceholder;
                page = true;
            } else if (code == '%') {
                out += '%';
            } else {
                droppedCode = true;
            }
        }
        // A word that was only codes standing for nothing here goes with them; an empty word
        // written as "" stays an argument.
        if (!out.empty() || !droppedCode)
            words.push_back(std::move(out));
    }
    if (!page)
        words.emplace_back(kPagePlaceholder);
    const std::string command = CommandLineOf(words);
    return BrowserArguments(command, kPagePlaceholder).empty() ? std::string() : command;
}

std::vector<std::string> BrowserArguments(std::string_view command, const std::string& page)
{
    std::vector<std::pair<std::string, bool>> words = commandWords(command);
    if (!isProgram(words, programIndex(words)))
        return {};
    bool placed = false;
    std::vector<std::string> arguments;
    for (auto& [word, holdsPage] : words) {
        if (holdsPage) {
            placed = true;
            for (size_t at = word.find(kPagePlaceholder); at != std::string::npos;
                 at = word.find(kPagePlaceholder, at + page.size()))
                word.replace(at, 2, page);
        }
        arguments.push_back(std::move(word));
    }
    if (!placed)
        arguments.push_back(page);
    return arguments;
}

std::string CommandProgram(std::string_view command)
{
    const std::vector<std::pair<std::string, bool>> words = commandWords(command);
    const size_t program = programIndex(words);
    return isProgram(words, program) ? words[program].first : std::string();
}
