// The character set a page's text declares in its <meta> elements, as a browser reads the declaration.
#include "app/model/PageCharset.h"

#include <algorithm>
#include <array>
#include <string>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

// `text` at `at` begins with `word` (in lower case) in any letter case.
bool startsWithNoCase(std::string_view text, size_t at, std::string_view word)
{
    if (text.size() - at < word.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (lower(text[at + i]) != word[i])
            return false;
    return true;
}

// The names browsers give these two encodings; every other one is written for as an unknown set.
constexpr std::array kWindows1252Labels = {
    "ansi_x3.4-1968", "ascii", "cp1252", "cp819", "csisolatin1", "ibm819", "iso-8859-1", "iso-ir-100", "iso8859-1",
    "iso88591", "iso_8859-1", "iso_8859-1:1987", "l1", "latin1", "us-ascii", "windows-1252", "x-cp1252",
    // A set no page can be written in, which browsers read as Windows-1252.
    "x-user-defined"};
constexpr std::array kUtf8Labels = {"unicode-1-1-utf-8", "unicode11utf8", "unicode20utf8", "utf-8", "utf8",
                                    "x-unicode20utf8",
                                    // Bytes that are ASCII cannot be UTF-16: browsers read them as UTF-8.
                                    "utf-16", "utf-16le", "utf-16be", "csunicode", "iso-10646-ucs-2", "ucs-2",
                                    "unicode", "unicodefeff", "unicodefffe"};

// One attribute of a tag, read from `at` as a browser's first look at a page reads it: the name in
// lower case, the value as written (quotes taken off). False at the tag's end.
bool nextAttribute(std::string_view text, size_t& at, std::string& name, std::string_view& value)
{
    while (at < text.size() && (isBlank(text[at]) || text[at] == '/'))
        ++at;
    if (at >= text.size() || text[at] == '>')
        return false;
    name.clear();
    value = {};
    // A name may begin with "=".
    do
        name += lower(text[at++]);
    while (at < text.size() && !isBlank(text[at]) && text[at] != '/' && text[at] != '>' && text[at] != '=');
    while (at < text.size() && isBlank(text[at]))
        ++at;
    if (at >= text.size() || text[at] != '=')
        return true;
    ++at;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    if (at >= text.size())
        return true;
    if (text[at] == '"' || text[at] == '\'') {
        const size_t close = text.find(text[at], at + 1);
        const size_t end = close == std::string_view::npos ? text.size() : close;
        value = text.substr(at + 1, end - at - 1);
        at = std::min(end + 1, text.size());
        return true;
    }
    const size_t start = at;
    while (at < text.size() && !isBlank(text[at]) && text[at] != '>')
        ++at;
    value = text.substr(start, at - start);
    return true;
}

// The name after "charset=" in a Content-Type value, as browsers take it out; empty when none.
std::string_view charsetOfContent(std::string_view content)
{
    for (size_t at = 0;;) {
        size_t found = std::string_view::npos;
        for (size_t i = at; i + 7 <= content.size(); ++i)
            if (startsWithNoCase(content, i, "charset")) {
                found = i;
                break;
            }
        if (found == std::string_view::npos)
            return {};
        at = found + 7;
        while (at < content.size() && isBlank(content[at]))
            ++at;
        if (at >= content.size() || content[at] != '=')
            continue;
        ++at;
        while (at < content.size() && isBlank(content[at]))
            ++at;
        if (at >= content.size())
            return {};
        if (content[at] == '"' || content[at] == '\'') {
            const size_t close = content.find(content[at], at + 1);
            return close == std::string_view::npos ? std::string_view() : content.substr(at + 1, close - at - 1);
        }
        const size_t start = at;
        while (at < content.size() && !isBlank(content[at]) && content[at] != ';')
            ++at;
        return content.substr(start, at - start);
    }
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Elements whose content is text up to their end tag, where a "<meta" is only characters.
constexpr std::array<std::string_view, 5> kTextElements = {"script", "style", "textarea", "title", "xmp"};

// Where the text of element `tag` that begins at `from` ends: at its end tag ("</" the name, any
// letter case, then a blank, "/" or ">"), or at the end of the text.
size_t endOfTextElement(std::string_view text, size_t from, std::string_view tag)
{
    for (size_t at = text.find("</", from); at != std::string_view::npos; at = text.find("</", at + 2)) {
        const size_t after = at + 2 + tag.size();
        if (startsWithNoCase(text, at + 2, tag) &&
            (after >= text.size() || isBlank(text[after]) || text[after] == '/' || text[after] == '>'))
            return at;
    }
    return text.size();
}

} // namespace

TDeclaredCharset CharsetOfLabel(std::string_view label)
{
    while (!label.empty() && isBlank(label.front()))
        label.remove_prefix(1);
    while (!label.empty() && isBlank(label.back()))
        label.remove_suffix(1);
    const std::string name = lowerCase(label);
    const auto named = [&](const auto& labels) { return std::find(labels.begin(), labels.end(), name) != labels.end(); };
    if (named(kWindows1252Labels))
        return TDeclaredCharset::Windows1252;
    if (named(kUtf8Labels))
        return TDeclaredCharset::Utf8;
    return TDeclaredCharset::Other;
}

TDeclaredCharset DeclaredCharset(std::string_view text)
{
    // The markup is stepped over as a browser's tokenizer steps over it: a "<meta" that lies in a
    // comment, in another tag's attribute value or in the text of a script or style is no element.
    for (size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at)) {
        if (text.substr(at, 4) == "<!--") {
            // "<!-->" closes at once; an unclosed comment runs to the end.
            const size_t close = text.find("-->", at + 2);
            if (close == std::string_view::npos)
                return TDeclaredCharset::None;
            at = close + 3;
            continue;
        }
        const bool endTag = at + 1 < text.size() && text[at + 1] == '/';
        const size_t nameStart = at + (endTag ? 2 : 1);
        if (nameStart >= text.size() || !isLetter(text[nameStart])) {
            // A declaration, a processing instruction or a broken end tag runs to its ">"; a "<"
            // before anything else is text.
            if (at + 1 < text.size() && (text[at + 1] == '!' || text[at + 1] == '?' || endTag)) {
                const size_t close = text.find('>', at + 1);
                if (close == std::string_view::npos)
                    return TDeclaredCharset::None;
                at = close + 1;
            } else {
                ++at;
            }
            continue;
        }
        size_t cursor = nameStart;
        while (cursor < text.size() && !isBlank(text[cursor]) && text[cursor] != '/' && text[cursor] != '>')
            ++cursor;
        const std::string tag = lowerCase(text.substr(nameStart, cursor - nameStart));
        std::string name;
        std::string_view value, charset, httpEquiv, content;
        bool hasCharset = false, hasHttpEquiv = false, hasContent = false;
        while (nextAttribute(text, cursor, name, value)) {
            // The first of an attribute written twice is the one that counts.
            if (name == "charset" && !hasCharset) {
                hasCharset = true;
                charset = value;
            } else if (name == "http-equiv" && !hasHttpEquiv) {
                hasHttpEquiv = true;
                httpEquiv = value;
            } else if (name == "content" && !hasContent) {
                hasContent = true;
                content = value;
            }
        }
        at = cursor;
        if (endTag)
            continue;
        if (tag == "meta") {
            if (hasCharset && !charset.empty())
                return CharsetOfLabel(charset);
            if (hasHttpEquiv && lowerCase(httpEquiv) == "content-type" && hasContent) {
                const std::string_view label = charsetOfContent(content);
                if (!label.empty())
                    return CharsetOfLabel(label);
            }
        } else if (std::find(kTextElements.begin(), kTextElements.end(), tag) != kTextElements.end()) {
            at = endOfTextElement(text, at, tag);
        }
    }
    return TDeclaredCharset::None;
}
