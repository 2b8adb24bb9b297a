// libFuzzer target: style library text through the normal form, the selector list, rule bodies, removal and the rule model.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/model/CssRule.h"
#include "app/model/StyleLibrary.h"
#include "app/model/libCSS.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Collation.h"
#include "platform/core/ProgramFileText.h"
#include "platform/core/SysUtils.h"

#include "FuzzCheck.h"

namespace {

// Trimmed as TrimView trims: a mark, which may begin a held character, is never cut.
bool trimmed(const std::string& s)
{
    const auto kept = [](char c) { return static_cast<unsigned char>(c) > ' ' || c == kHeldCharacterMark; };
    return s.empty() || (kept(s.front()) && kept(s.back()));
}

bool isComment(std::string_view line)
{
    return line.size() >= 4 && line.substr(0, 2) == "/*" && line.substr(line.size() - 2) == "*/" &&
           line.find("*/") == line.size() - 2;
}

// A written rule reads back as written unless its selector breaks the rule's frame or a line
// outside a whole comment holds half of one, which would swallow or split its neighbours.
bool readsBackAsWritten(std::string_view selector, const std::string& written)
{
    if (CSSFindOutsideHeld(selector, "{};") != std::string_view::npos)
        return false;
    size_t i = 0;
    for (size_t end; (end = written.find("\r\n", i)) != std::string::npos; i = end + 2) {
        const std::string_view line = std::string_view(written).substr(i, end - i);
        const bool halfComment =
            line.find("/*") != std::string_view::npos || line.find("*/") != std::string_view::npos;
        if (halfComment && !isComment(line))
            return false;
    }
    return true;
}

std::vector<std::string> sorted(std::vector<std::string> lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

void checkRule(std::string_view library, const std::string& selector)
{
    const std::string body = CSSGetRuleBody(library, selector);
    for (const TCSSDeclaration& entry : CSSSplitDeclarations(body)) {
        check(trimmed(entry.Name) && trimmed(entry.Value));
        check(!entry.Comment || (entry.Value.empty() && entry.Name.size() >= 3));
        // A held character's ";" stays inside its value.
        check(entry.Comment || CSSFindOutsideHeld(entry.Value, ";") == std::string::npos);
    }
    const std::string rest = CSSRemoveRule(library, selector);
    check(rest.size() <= library.size());

    TCssRule first;
    first.ReadStyle(library, selector);
    check(first.eClass == selector);
    const std::string written = first.WriteStyle();
    if (!readsBackAsWritten(selector, written))
        return;
    TCssRule second;
    second.ReadStyle(written, selector);
    check(sorted(second.mRestos) == sorted(first.mRestos));
    TCssRule third;
    third.ReadStyle(second.WriteStyle(), selector);
    check(sorted(third.mRestos) == sorted(second.mRestos));
    third.mRestos = second.mRestos;
    check(third == second);
}

// The library as the dialog and the side panel hold it: its list follows the text's rules, sorted
// without case, through a store, an erase and a save.
void checkLibrary(const std::string& text, size_t rules)
{
    TStyleLibrary library;
    library.Load(text);
    const std::vector<std::string>& listed = library.Selectors();
    check(listed.size() == rules);
    for (size_t i = 1; i < listed.size(); ++i)
        check(AnsiCompareText(listed[i - 1], listed[i]) <= 0);
    TCssRule rule;
    rule.eClass = " fuzz.nueva ";
    rule.chBold = true;
    const bool known = library.IndexOf("fuzz.nueva") >= 0;
    const int stored = library.Store(rule);
    check(stored >= 0 && AnsiSameText(library.Selectors().at(static_cast<size_t>(stored)), "fuzz.nueva"));
    check(library.Selectors().size() == rules + (known ? 0 : 1));
    library.Erase(-1);
    library.Erase(static_cast<int>(library.Selectors().size()));
    check(library.Selectors().size() == rules + (known ? 0 : 1));
    library.Erase(stored);
    check(library.Selectors().size() == rules - (known ? 1 : 0));
    const std::string saved = library.Normalise();
    check(saved.empty() || saved.ends_with("\r\n"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string library = CSSFormatRule(text);
    check(library.find_first_of("\t\r") == std::string::npos);
    for (size_t at = library.find('{'); at != std::string::npos; at = library.find('{', at + 1))
        check(at > 0 && library[at - 1] == '\n' && at + 1 < library.size() && library[at + 1] == '\n');

    const std::vector<std::string> selectors = CSSListSelectors(library);
    const size_t tried = std::min<size_t>(selectors.size(), 8);
    for (size_t i = 0; i < tried; ++i)
        checkRule(library, selectors[i]);
    // The raw text as a library and as one rule's body.
    const std::vector<std::string> rawSelectors = CSSListSelectors(text);
    if (!rawSelectors.empty())
        checkRule(text, rawSelectors.front());
    checkRule("x{" + text + "}", "x");
    checkLibrary(text, selectors.size());
    // The bytes as a library file the dialog reads: a UTF-8 one is saved in UTF-8 and reads back the same.
    bool utf8 = false;
    TStyleLibrary fromFile;
    fromFile.Load(ProgramFileText(text, &utf8));
    const std::string saved = fromFile.Normalise();
    // Saved either way, the library reads back the same and the file never holds the mark.
    for (const bool keepUtf8 : {utf8, true}) {
        const std::string bytes = ProgramFileBytes(saved, keepUtf8);
        check(bytes.find(kHeldCharacterMark) == std::string::npos);
        std::string shown = saved;
        ReplaceStrayMarks(shown, '&');
        check(ProgramFileText(bytes) == shown);
    }
    return 0;
}
