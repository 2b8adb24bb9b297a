// Text routines of the style library; each one takes time linear in its text.
#include "app/model/libCSS.h"

#include "platform/core/CharacterReferences.h"
#include "platform/core/SysUtils.h"

namespace {

// The length of the held character at text[i], 0 when none starts there: its ";" ends no
// declaration and no line of the normal form.
size_t heldAt(std::string_view text, size_t i)
{
    char32_t cp = 0;
    return text[i] == kHeldCharacterMark ? ReadHeldCharacter(text, i, cp) : 0;
}

bool isLineBreakOrTab(char c)
{
    return c == '\t' || c == '\r' || c == '\n';
}

// The text with each mark that begins no held character as the "&" the editor shows it as: kept as
// a mark, it could begin one once the line break after it were dropped or a ";" put after it.
std::string strayMarksAsShown(std::string_view text)
{
    std::string shown(text);
    ReplaceStrayMarks(shown, '&');
    return shown;
}

// Rules are looked for in the text with its line breaks and tabs dropped, so that a selector
// written over several lines still reads as one. No held character holds a tab or a line break, so
// each one stays whole.
std::string flatten(std::string_view text)
{
    std::string flat = strayMarksAsShown(text);
    std::erase_if(flat, isLineBreakOrTab);
    return flat;
}

// Where one rule sits in the flattened text: its selector starts at `start`, its body runs from
// `open` ("{") to `close` ("}", or the end of the text for an unclosed last rule).
struct TRuleSpan {
    size_t start = 0;
    size_t open = 0;
    size_t close = 0;
};

// The first rule whose whole selector equals `selector`. A selector is what stands between the
// previous "{", "}" or ";" and a "{", the same text the selector list shows as the line before
// "{"; so a name matches only a whole selector, never part of a longer one or of a declaration.
bool findRule(std::string_view flat, std::string_view selector, TRuleSpan& span)
{
    const std::string wantedText = flatten(selector);
    const std::string_view wanted = TrimView(wantedText);
    size_t start = 0;
    for (size_t i = 0; i < flat.size(); ++i) {
        if (const size_t held = heldAt(flat, i)) {
            i += held - 1;
            continue;
        }
        const char c = flat[i];
        if (c == '{') {
            if (SameText(TrimView(flat.substr(start, i - start)), wanted)) {
                span.start = start;
                span.open = i;
                const size_t close = flat.find('}', i + 1);
                span.close = close == std::string_view::npos ? flat.size() : close;
                return true;
            }
            start = i + 1;
        } else if (c == '}' || c == ';') {
            start = i + 1;
        }
    }
    return false;
}

// Blanks left of a run of `n` after two passes that each turn every pair into one blank.
size_t halvedTwice(size_t n)
{
    const size_t once = (n + 1) / 2;
    return (once + 1) / 2;
}

} // namespace

std::string CSSFormatRule(std::string_view source)
{
    const std::string shown = strayMarksAsShown(source);
    const std::string_view text = shown;
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    size_t blanks = 0;
    auto flushBlanks = [&] {
        out.append(halvedTwice(blanks), ' ');
        blanks = 0;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        if (const size_t held = heldAt(text, i)) {
            flushBlanks();
            out.append(text.substr(i, held));
            i += held - 1;
            continue;
        }
        const char c = text[i];
        switch (c) {
        case '\t':
        case '\r':
        case '\n':
            break;
        case ' ':
            ++blanks;
            break;
        case ':':
            // ":" becomes " : " before the blanks are halved, so its blanks join the runs around it.
            ++blanks;
            flushBlanks();
            out += ':';
            blanks = 1;
            break;
        case '{':
            flushBlanks();
            out += "\n{\n";
            break;
        case ';':
            flushBlanks();
            out += ";\n";
            break;
        case '}':
            flushBlanks();
            out += "}\n";
            break;
        default:
            flushBlanks();
            out += c;
            break;
        }
    }
    flushBlanks();
    return out;
}

std::vector<std::string> CSSListSelectors(std::string_view text)
{
    std::vector<std::string> selectors;
    std::string_view previous;
    bool havePrevious = false;
    size_t i = 0;
    while (i < text.size()) {
        size_t end = i;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        const std::string_view line = text.substr(i, end - i);
        if (havePrevious && !line.empty() && line[0] == '{')
            selectors.emplace_back(previous);
        previous = line;
        havePrevious = true;
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        i = end + 1;
    }
    return selectors;
}

std::string CSSGetRuleBody(std::string_view text, std::string_view selector)
{
    const std::string flat = flatten(text);
    TRuleSpan span;
    if (!findRule(flat, selector, span))
        return {};
    return flat.substr(span.open + 1, span.close - span.open - 1);
}

std::vector<TCSSDeclaration> CSSSplitDeclarations(std::string_view body)
{
    std::vector<TCSSDeclaration> entries;
    // Cutting a comment joins the text around it, and the join may itself form "/*" or "*/"; the
    // text kept so far holds neither, so only its last character can take part in one.
    std::string kept;
    size_t i = 0;
    const size_t n = body.size();
    for (;;) {
        const bool joinedOpen = !kept.empty() && kept.back() == '/' && i < n && body[i] == '*';
        const bool joinedClose = !kept.empty() && kept.back() == '*' && i < n && body[i] == '/';
        if (joinedClose)
            break;
        const size_t close = body.find("*/", i);
        if (close == std::string_view::npos)
            break;
        if (joinedOpen) {
            kept.pop_back();
            entries.push_back({std::string("/").append(body.substr(i, close + 2 - i)), {}, true});
            i = close + 2;
            continue;
        }
        const size_t open = body.find("/*", i);
        if (open == std::string_view::npos || close < open)
            break;
        kept.append(body.substr(i, open - i));
        entries.push_back({std::string(body.substr(open, close + 2 - open)), {}, true});
        i = close + 2;
    }
    kept.append(body.substr(i));

    const std::string_view rest = kept;
    size_t from = 0;
    for (;;) {
        const size_t colon = CSSFindOutsideHeld(rest, ":;", from);
        if (colon == std::string_view::npos || rest[colon] == ';')
            break;
        const size_t semicolon = CSSFindOutsideHeld(rest, ";", colon + 1);
        if (semicolon == std::string_view::npos)
            break;
        entries.push_back({std::string(TrimView(rest.substr(from, colon - from))),
                           std::string(TrimView(rest.substr(colon + 1, semicolon - colon - 1))), false});
        from = semicolon + 1;
    }
    return entries;
}

std::string CSSRemoveRule(std::string_view text, std::string_view selector)
{
    const std::string flat = flatten(text);
    TRuleSpan span;
    if (!findRule(flat, selector, span))
        return std::string(text);
    std::string result = flat.substr(0, span.start);
    if (span.close < flat.size())
        result.append(flat, span.close + 1);
    return result;
}

size_t CSSFindOutsideHeld(std::string_view text, std::string_view chars, size_t from)
{
    for (size_t i = from; i < text.size(); ++i) {
        if (const size_t held = heldAt(text, i))
            i += held - 1;
        else if (chars.find(text[i]) != std::string_view::npos)
            return i;
    }
    return std::string_view::npos;
}
