// libFuzzer target: a page's references over untrusted text (the report's sections and lines, the files a download weighs).
#include <algorithm>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/model/CodigosISO.h"
#include "app/model/ResourceReport.h"
#include "app/model/libKestrima.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/Collation.h"
#include "platform/core/SysUtils.h"

#include "FuzzCheck.h"

namespace {

// The only tags the report's own lines write; a reference or page name that opened another would
// be markup of its own.
const std::set<std::string, std::less<>> kReportTags = {
    "HTML", "/HTML", "HEAD", "/HEAD", "META", "TITLE", "/TITLE", "BODY", "/BODY", "h2", "/h2", "h3", "/h3", "hr",
    "big", "/big", "a", "/a", "p", "br", "font", "/font", "b", "/b"};

bool onlyReportTags(const std::string& line)
{
    for (size_t at = line.find('<'); at != std::string::npos; at = line.find('<', at + 1)) {
        const size_t end = line.find_first_of(" >", at + 1);
        if (end == std::string::npos || !kReportTags.contains(line.substr(at + 1, end - at - 1)))
            return false;
    }
    return true;
}

// Whether a name holds what an address reads as something else when a page's text holds it as it
// stands: an escape, a fragment, a query, a reference or a separator.
bool readOtherwise(std::string_view name)
{
    return name.find_first_of("%#?&\\") != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The first line names the page and lists the weighed extensions; the rest is the page's text.
    const size_t firstBreak = input.find('\n');
    const std::string_view head = input.substr(0, std::min(firstBreak, input.size()));
    const std::string_view text = firstBreak == std::string_view::npos ? std::string_view() : input.substr(firstBreak + 1);
    const size_t bar = head.find('|');
    const std::string pageName(head.substr(0, std::min(bar, head.size())));
    const std::string weighExt(bar == std::string_view::npos ? std::string_view() : head.substr(bar + 1));

    TStringList references;
    ExtractLinks(text, references);

    // A file name written into a page's address leads back to its own bytes, whatever they are; as
    // the page's text it does too when nothing in it reads otherwise in an address. The file a report
    // looks for beside the page is that name. A reference of the page names a file beside it or none.
    const std::string address = FilePathPageAddress(pageName);
    check(PageReferencePath(address) == pageName);
    check(address.find_first_of("?\\") == std::string::npos);
    if (!readOtherwise(pageName))
        check(PageReferencePath(FilePathPageText(pageName)) == pageName);
    if (!pageName.empty() && pageName.front() != '/' && pageName.find(':') == std::string::npos)
        check(ReferencedFile("/sitio/", address) == ExpandFileName(pageName, "/sitio/"));
    // The same with named references read by the built-in entity table.
    TCodigosISO entities;
    entities.LoadDefaults();
    const TCodigosISO* const tables[] = {nullptr, &entities};
    for (int i = 0; i < references.Count(); ++i) {
        for (const TCodigosISO* table : tables) {
            const std::string file = ReferencedFile("/sitio/", references[i], table);
            check(file.empty() || file.front() == '/');
        }
    }

    // Each reference in exactly one section.
    std::multiset<std::string> grouped;
    int sections = 0;
    for (const TReferenceGroup& group : GroupReferences(references)) {
        grouped.insert(group.References.begin(), group.References.end());
        sections += group.References.empty() ? 0 : 1;
    }
    std::multiset<std::string> given;
    for (int i = 0; i < references.Count(); ++i)
        given.insert(references[i]);
    check(grouped == given);

    // Every reference weighs one byte per character: the total line counts them all.
    const TReferenceSize sizeOf = [](const std::string& reference) { return static_cast<int64_t>(reference.size()); };
    const std::vector<std::string> lines = ResourceReportLines(pageName, 0, references, sizeOf, "http://w/");
    const bool anySize = lines.size() > static_cast<size_t>(5 + sections + references.Count());
    check(lines.size() == static_cast<size_t>(5 + sections + references.Count()) + (anySize ? 1 : 0));
    for (const std::string& line : lines)
        check(onlyReportTags(line));

    // The weighed files: in the program's collation (case counting, as file names differ by it),
    // each once, each the page or a file of a listed extension.
    const std::vector<std::string> files = WeighedFiles(references, weighExt, pageName);
    const auto before = [](const std::string& a, const std::string& b) { return AnsiCompareStr(a, b) < 0; };
    check(std::adjacent_find(files.begin(), files.end(), std::not_fn(before)) == files.end());
    std::vector<std::string> extensions;
    for (size_t from = 0; from <= weighExt.size();) {
        const size_t semicolon = std::min(weighExt.find(';', from), weighExt.size());
        const std::string extension = Trim(std::string_view(weighExt).substr(from, semicolon - from));
        if (!extension.empty())
            extensions.push_back(AsciiLowerCase(extension));
        from = semicolon + 1;
    }
    const auto weighed = [&](const std::string& name) {
        const std::string extension = AsciiLowerCase(ExtractFileExt(name));
        return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
    };
    for (const std::string& file : files)
        check(!file.empty() && (file == pageName || weighed(file)));
    // And none is missing: a reference, or its part before "#", of a listed extension.
    for (int i = 0; i < references.Count(); ++i) {
        const std::string& reference = references[i];
        for (const std::string& name : {reference, reference.substr(0, reference.find('#'))})
            if (!name.empty() && weighed(name))
                check(std::binary_search(files.begin(), files.end(), name, before));
    }
    return 0;
}
