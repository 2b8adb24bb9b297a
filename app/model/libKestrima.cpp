// Plain text routines of the HTML tools: letter case, tags and their attributes, links, colours, relative paths and the text tools on a selection.
#include "app/model/libKestrima.h"

#include <algorithm>
#include <vector>

#include "app/model/CodigosISO.h"
#include "components/core/StrUtils.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/Collation.h"
#include "platform/core/ProgramFileText.h"
#include "platform/core/FileSystem.h"
#include "platform/core/SysUtils.h"

namespace {

std::string caseOutsideQuotes(std::string_view text, char (*convert)(char))
{
    std::string result(text);
    bool outside = true;
    for (char& c : result) {
        // The quote itself flips first, so both quotes of a pair count as outside text.
        if (c == '"')
            outside = !outside;
        if (outside)
            c = convert(c);
    }
    return result;
}

bool isBlank(char c)
{
    return c == ' ';
}

std::vector<std::string> splitPath(std::string_view path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t slash; (slash = path.find('/', start)) != std::string_view::npos; start = slash + 1)
        parts.emplace_back(path.substr(start, slash - start));
    parts.emplace_back(path.substr(start));
    return parts;
}

std::string withoutTrailingBreaks(std::string text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

} // namespace

std::string UpperCaseOutsideQuotes(std::string_view text)
{
    return caseOutsideQuotes(text, AnsiUpper);
}

std::string LowerCaseOutsideQuotes(std::string_view text)
{
    return caseOutsideQuotes(text, AnsiLower);
}

std::string ApplyCaseMode(int mode, std::string_view text)
{
    switch (mode) {
    case 0: return AnsiUpperCase(text);
    case 1: return AnsiLowerCase(text);
    case 2: return UpperCaseOutsideQuotes(text);
    case 3: return LowerCaseOutsideQuotes(text);
    default: return std::string(text);
    }
}

std::string CapitalizeWords(std::string_view text)
{
    std::string result(text);
    for (size_t i = 0; i < result.size(); ++i) {
        const bool startsWord = i == 0 || static_cast<unsigned char>(result[i - 1]) < 33;
        result[i] = startsWord ? AsciiUpper(result[i]) : AsciiLower(result[i]);
    }
    return result;
}

std::string RemoveLineBreaks(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c == '\r')
            result += ' ';
        else if (c != '\t' && c != '\n')
            result += c;
    }
    return result;
}

std::string ParseTagAttributes(std::string_view tag, TStringList& names, TStringList& values)
{
    const std::string text = RemoveLineBreaks(tag);
    names.Clear();
    values.Clear();
    std::string tagName;
    bool haveTagName = false;
    std::string pending;
    bool quoted = false;
    bool hasValue = false;
    const size_t n = text.size();
    auto atWordEnd = [&](size_t i) { return i >= n || isBlank(text[i]) || text[i] == '=' || text[i] == '>'; };
    // A value goes to the list only for an attribute still without one, so that both lists stay
    // parallel: "<BR>" gives no value at all.
    auto closeAttribute = [&](std::string value) {
        if (names.Count() > values.Count())
            values.Add(std::move(value));
    };
    size_t i = 0;
    while (i < n) {
        const char c = text[i];
        if (c == '<') {
            ++i;
        } else if (isBlank(c)) {
            while (i < n && isBlank(text[i]))
                ++i;
        } else if (c == '"' || c == '\'') {
            const size_t close = text.find(c, i + 1);
            const size_t end = close == std::string::npos ? n : close;
            pending = text.substr(i + 1, end - i - 1);
            quoted = true;
            i = end == n ? n : end + 1;
        } else if (c == '=') {
            hasValue = true;
            while (i < n && (text[i] == '=' || isBlank(text[i])))
                ++i;
        } else if (c == '>') {
            break;
        } else if (hasValue) {
            if (!quoted) {
                const size_t start = i;
                while (!atWordEnd(i))
                    ++i;
                pending = text.substr(start, i - start);
                // The ">" after a bare value still ends the tag; any other delimiter is used up.
                if (i < n && text[i] != '>')
                    ++i;
            }
            closeAttribute(std::move(pending));
            pending.clear();
            quoted = false;
            hasValue = false;
        } else {
            const size_t start = i;
            while (!atWordEnd(i))
                ++i;
            std::string word = text.substr(start, i - start);
            if (names.Count() > values.Count())
                values.Add("");
            if (!haveTagName) {
                tagName = std::move(word);
                haveTagName = true;
            } else {
                names.Add(std::move(word));
            }
        }
    }
    // The ">" (or the end of a tag cut short) closes the last attribute; a quoted run not after "="
    // is no value.
    closeAttribute(hasValue ? pending : std::string());
    return tagName;
}

std::string ColorToHTML(TColor color)
{
    return Format("%.6X", static_cast<unsigned>(SwapRedBlue(ColorToRGB(color))));
}

std::string StripTags(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const size_t open = text.find('<', i);
        if (open == std::string_view::npos) {
            result.append(text.substr(i));
            break;
        }
        result.append(text.substr(i, open - i));
        const size_t close = text.find('>', open + 1);
        if (close == std::string_view::npos)
            break;
        i = close + 1;
    }
    return result;
}

void ExtractLinks(std::string_view text, TStringList& list)
{
    list.SetSorted(true);
    list.SetCaseSensitive(true);
    list.Clear();
    // Case folding keeps every position, so a keyword found in the folded copy points into the text.
    const std::string folded = AsciiLowerCase(text);
    for (std::string_view keyword : {"href", "src", "background"}) {
        size_t from = 0;
        for (size_t at; (at = folded.find(keyword, from)) != std::string::npos;) {
            const size_t open = folded.find('"', at + keyword.size());
            if (open == std::string::npos)
                break;
            const size_t close = folded.find('"', open + 1);
            if (close == std::string::npos)
                break;
            std::string value = Trim(text.substr(open + 1, close - open - 1));
            int index;
            // An empty value names no file.
            if (!value.empty() && !list.Find(value, index))
                list.Add(std::move(value));
            from = close + 1;
        }
    }
}

std::string MakeRelativePath(std::string_view document, std::string_view target, int mode)
{
    const std::string to(target);
    if (mode == 1)
        return ExtractFileName(to);
    if (mode != 2)
        return to;
    const size_t slash = document.rfind('/');
    if (slash == std::string_view::npos)
        return to;
    const std::vector<std::string> documentDirs = splitPath(document.substr(0, slash));
    const std::vector<std::string> targetParts = splitPath(to);
    const size_t targetDirs = targetParts.size() - 1;
    size_t common = 0;
    while (common < documentDirs.size() && common < targetDirs && documentDirs[common] == targetParts[common])
        ++common;
    // Paths on different drives or roots have no way from one to the other: the target stays whole.
    if (common == 0)
        return to;
    std::string result;
    for (size_t i = common; i < documentDirs.size(); ++i)
        result += "../";
    for (size_t i = common; i < targetParts.size(); ++i) {
        result += targetParts[i];
        if (i + 1 < targetParts.size())
            result += '/';
    }
    return result;
}

bool IsTextFileExt(std::string_view fileName)
{
    static constexpr std::string_view kTextExtensions[] = {
        ".htm", ".html", ".shtm", ".asp", ".txt", ".doc", ".js",  ".krp", ".krd", ".cod",
        ".krc", ".kyb",  ".krm",  ".kre", ".css", ".wrl", ".xaf", ".inf", ".ini",
    };
    const std::string extension = ExtractFileExt(fileName);
    return std::any_of(std::begin(kTextExtensions), std::end(kTextExtensions),
                       [&](std::string_view known) { return SameText(extension, known); });
}

std::string ApplyTextTool(int tool, std::string_view text, bool omitQuoted, const TCodigosISO& codes)
{
    TStringList lines;
    lines.SetText(text);
    std::string joined;
    switch (tool) {
    case 1:
    case 2: {
        // Lines go in the order of what the author sees: the mark of a held character counts as the
        // "&" it shows as, not as the control byte it is.
        std::vector<std::pair<std::string, std::string>> shown;
        shown.reserve(static_cast<size_t>(lines.Count()));
        for (int i = 0; i < lines.Count(); ++i) {
            std::string line = Trim(lines[i]);
            shown.emplace_back(HeldCharactersAsReferences(line), std::move(line));
        }
        std::stable_sort(shown.begin(), shown.end(),
                         [](const auto& a, const auto& b) { return AnsiCompareText(a.first, b.first) < 0; });
        for (int i = 0; i < lines.Count(); ++i)
            lines[i] = std::move(shown[static_cast<size_t>(i)].second);
        if (tool == 2)
            for (int a = 0, b = lines.Count() - 1; a < b; ++a, --b)
                lines.Exchange(a, b);
        return withoutTrailingBreaks(lines.Text());
    }
    default: joined = lines.Text(); break;
    }
    std::string result;
    switch (tool) {
    case 3: result = omitQuoted ? UpperCaseOutsideQuotes(joined) : ApplyCaseMode(0, joined); break;
    case 4: result = omitQuoted ? LowerCaseOutsideQuotes(joined) : ApplyCaseMode(1, joined); break;
    case 5: result = codes.EncodeText(joined); break;
    case 6: result = codes.DecodeText(joined); break;
    case 7: result = StripTags(joined); break;
    case 9: result = ReplaceStr(ReplaceStr(joined, "<", "&lt;"), ">", "&gt;"); break;
    case 10: result = CapitalizeWords(joined); break;
    case 11: result = DelSpace1(joined); break;
    default: return std::string(text);
    }
    return withoutTrailingBreaks(std::move(result));
}

std::string MenuCaptionOf(std::string_view text)
{
    std::string caption;
    caption.reserve(text.size());
    for (const char c : text) {
        caption += c;
        if (c == '&')
            caption += '&';
    }
    return caption;
}

// ---------------------------------------------------------------- code library files

namespace {

constexpr int kFileCannotBeSaved = 4513;

std::string libraryHeader(const std::string& name)
{
    return "[*" + name + "*]";
}

bool startsHeader(std::string_view line)
{
    return TrimView(line).starts_with("[*");
}

// Replaces the library's contents by `bytes`, its previous contents kept in the backup ".bak"
// beside it. A write that fails leaves the library and the older backup as they were.
void rewriteWithBackup(const std::string& fileName, std::string_view bytes)
{
    std::string error;
    TReplaceOutcome outcome;
    if (!ReplaceFileContents(fileName, bytes, error, ChangeFileExt(fileName, ".bak"), outcome))
        throw EFCreateError(FmtLoadStr(kFileCannotBeSaved, FilePathText(fileName).c_str(), error.c_str()));
}

void appendLine(std::string& out, std::string_view line)
{
    out.append(line);
    out.append("\r\n");
}

// The lines of the library file `fileName`; `utf8` (when given) receives whether it was UTF-8, so
// that a rewrite keeps its encoding.
TStringList readLibrary(const std::string& fileName, bool* utf8 = nullptr)
{
    return LibraryLines(ProgramFileText(ReadFileBytes(fileName), utf8));
}

} // namespace

TStringList LibraryLines(std::string_view text)
{
    TStringList lines;
    lines.SetText(text);
    return lines;
}

bool ReadLibrarySections(const std::string& fileName, TStringList& names)
{
    if (!FileExists(fileName))
        return false;
    const TStringList lines = readLibrary(fileName);
    names.Clear();
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string& line = lines[i];
        if (!line.starts_with("[*"))
            continue;
        const size_t end = line.find("*]", 2);
        if (end != std::string::npos && end > 2)
            names.Add(line.substr(2, end - 2));
    }
    return true;
}

std::string ReadLibraryEntry(const std::string& fileName, const std::string& name)
{
    if (!FileExists(fileName))
        return {};
    const TStringList lines = readLibrary(fileName);
    const std::string header = libraryHeader(name);
    int i = 0;
    while (i < lines.Count() && lines[i] != header)
        ++i;
    if (i == lines.Count())
        return {};
    std::string text;
    for (int first = ++i; i < lines.Count() && !startsHeader(lines[i]); ++i) {
        if (i > first)
            text += '\r';
        text += lines[i];
    }
    return text;
}

bool DeleteLibraryEntry(const std::string& fileName, const std::string& name)
{
    if (!FileExists(fileName))
        return false;
    bool utf8 = false;
    const TStringList lines = readLibrary(fileName, &utf8);
    const std::string header = libraryHeader(name);
    std::string out;
    bool skipping = false;
    bool removed = false;
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string& line = lines[i];
        if (skipping) {
            // The next header ends the entry and is kept.
            if (!startsHeader(line))
                continue;
            skipping = false;
        } else if (line == header) {
            skipping = removed = true;
            continue;
        }
        appendLine(out, line);
    }
    rewriteWithBackup(fileName, ProgramFileBytes(out, utf8));
    return removed;
}

bool LibraryNameFits(std::string_view name)
{
    return !name.empty() && name.find("*]") == std::string_view::npos && name.find_first_of("\r\n") == std::string_view::npos;
}

bool AddLibraryEntry(const std::string& fileName, const std::string& name, const std::string& text)
{
    if (!LibraryNameFits(name) || !FileExists(fileName))
        return false;
    bool utf8 = false;
    const TStringList lines = readLibrary(fileName, &utf8);
    std::string out;
    for (int i = 0; i < lines.Count(); ++i)
        appendLine(out, lines[i]);
    appendLine(out, libraryHeader(name));
    // Written line by line, so that the entry reads back as it was given.
    const TStringList textLines = LibraryLines(text);
    for (int i = 0; i < textLines.Count(); ++i)
        appendLine(out, textLines[i]);
    if (textLines.Count() == 0)
        appendLine(out, "");
    rewriteWithBackup(fileName, ProgramFileBytes(out, utf8));
    return true;
}
