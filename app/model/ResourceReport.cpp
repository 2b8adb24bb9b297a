// A page's resources as plain data: the sections of the resource report and its lines, the files a download of the page weighs and the seconds it takes.
#include "app/model/ResourceReport.h"

#include <algorithm>

#include "app/model/CodigosISO.h"
#include "components/core/xProcs.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kReportTitle = 4920;
constexpr int kReportHeading = 4921;
constexpr int kReportPage = 4922;
constexpr int kSectionHeadings = 4923;  // one per section, in report order
constexpr int kLineWithSize = 4930;
constexpr int kLine = 4931;
constexpr int kInternalLine = 4932;
constexpr int kReportTotal = 4933;
constexpr int kReportCredit = 4934;
constexpr int kReportEnd = 4935;
constexpr int kLineWithOneByte = 4955;
constexpr int kReportTotalOneByte = 4956;

bool startsWithText(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameText(text.substr(0, prefix.size()), prefix);
}

bool hasExtension(std::string_view reference, std::initializer_list<std::string_view> extensions)
{
    const std::string extension = ExtractFileExt(reference);
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](std::string_view wanted) { return SameText(extension, wanted); });
}

TReferenceSection sectionOf(std::string_view reference)
{
    if (hasExtension(reference, {".gif", ".jpg", ".jpeg", ".bmp", ".png"}))
        return TReferenceSection::Images;
    if (reference.starts_with('#'))
        return TReferenceSection::Internal;
    if (startsWithText(reference, "http:"))
        return TReferenceSection::External;
    if (hasExtension(reference, {".htm", ".html"}))
        return TReferenceSection::Domain;
    if (startsWithText(reference, "mailto:"))
        return TReferenceSection::Email;
    if (startsWithText(reference, "news:"))
        return TReferenceSection::News;
    return TReferenceSection::Other;
}

// A reference's text between the quotes it came from cannot hold a double quote, but a file name can;
// "<" and ">" would open tags of their own in the report. Entities the page wrote stay as written, so
// a link goes where the page's own goes.
std::string asHtml(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '<': result += "&lt;"; break;
        case '>': result += "&gt;"; break;
        case '"': result += "&quot;"; break;
        // The report is Windows-1252: a held character goes as its reference.
        case kHeldCharacterMark: result += '&'; break;
        default: result += c;
        }
    }
    return result;
}

// The line of a reference that may name a local file: with its size, added to the total, when found.
std::string sizedLine(const std::string& reference, const TReferenceSize& sizeOf, int64_t& total)
{
    const std::string shown = asHtml(reference);
    const int64_t size = sizeOf ? sizeOf(reference) : 0;
    if (size == 0)
        return FmtLoadStr(kLine, shown.c_str(), shown.c_str());
    total += size;
    const auto bytes = static_cast<long long>(size);
    return FmtLoadStr(CountedResString(bytes, kLineWithOneByte, kLineWithSize), shown.c_str(), shown.c_str(), bytes);
}

} // namespace

const char* const kDefaultCreditAddress = "https://www.dremal.es/kestrima/";

std::string PageReferenceName(std::string_view reference, const TCodigosISO* entities)
{
    if (!entities)
        return PageReferencePath(reference);
    return PageReferencePath(reference, [entities](std::string_view code, char& character) {
        return entities->CharacterOf(code, character);
    });
}

std::string ReferencedFile(std::string_view folder, std::string_view written, const TCodigosISO* entities)
{
    const std::string reference = PageReferenceName(written, entities);
    if (reference.empty())
        return {};
    const size_t colon = reference.find(':');
    const size_t separator = reference.find_first_of("/\\");
    // "http:", "mailto:", "news:", "javascript:" ...: a scheme stands before the first separator.
    if (colon != std::string::npos && (separator == std::string::npos || colon < separator))
        return {};
    // Without a folder of its own a relative reference would be taken from the working folder.
    if (folder.empty() && !IsPathDelimiter(reference.front()))
        return {};
    return ExpandFileName(reference, folder);
}

TReferenceSize FileSizesBeside(std::string folder, const TCodigosISO* entities)
{
    return [folder = std::move(folder), entities](const std::string& reference) -> int64_t {
        const std::string file = ReferencedFile(folder, reference, entities);
        return file.empty() ? 0 : FileSizeOf(file);
    };
}

std::array<TReferenceGroup, kReferenceSections> GroupReferences(const TStringList& references)
{
    std::array<TReferenceGroup, kReferenceSections> groups;
    for (int i = 0; i < kReferenceSections; ++i)
        groups[i].Section = static_cast<TReferenceSection>(i);
    for (int i = 0; i < references.Count(); ++i)
        groups[static_cast<int>(sectionOf(references[i]))].References.push_back(references[i]);
    std::vector<std::string>& other = groups[static_cast<int>(TReferenceSection::Other)].References;
    std::reverse(other.begin(), other.end());
    return groups;
}

std::vector<std::string> ResourceReportLines(const std::string& pageName, int64_t pageSize,
                                             const TStringList& references, const TReferenceSize& sizeOf,
                                             std::string_view creditAddress)
{
    // The report is Windows-1252, as its texts and the page's references are.
    const std::string name = asHtml(FilePathPageText(pageName));
    const std::string address = asHtml(FilePathPageAddress(pageName));
    std::vector<std::string> lines;
    lines.push_back(FmtLoadStr(kReportTitle, name.c_str()));
    lines.push_back(LoadResString(kReportHeading));
    lines.push_back(FmtLoadStr(kReportPage, address.c_str(), name.c_str()));
    int64_t total = pageSize;
    for (const TReferenceGroup& group : GroupReferences(references)) {
        if (group.References.empty())
            continue;
        lines.push_back(LoadResString(kSectionHeadings + static_cast<int>(group.Section)));
        for (const std::string& reference : group.References) {
            const std::string shown = asHtml(reference);
            switch (group.Section) {
            case TReferenceSection::Images:
            case TReferenceSection::Other:
                lines.push_back(sizedLine(reference, sizeOf, total));
                break;
            case TReferenceSection::Internal:
                lines.push_back(FmtLoadStr(kInternalLine, address.c_str(), shown.c_str(), shown.c_str()));
                break;
            default:
                lines.push_back(FmtLoadStr(kLine, shown.c_str(), shown.c_str()));
            }
        }
    }
    if (total != 0)
        lines.push_back(
            FmtLoadStr(CountedResString(total, kReportTotalOneByte, kReportTotal), static_cast<long long>(total)));
    const std::string credit = asHtml(creditAddress.empty() ? kDefaultCreditAddress : creditAddress);
    lines.push_back(FmtLoadStr(kReportCredit, credit.c_str()));
    lines.push_back(LoadResString(kReportEnd));
    return lines;
}

bool SaveResourceReport(const std::string& fileName, const TStringList& references, std::string_view creditAddress,
                        std::string& report, std::string& error, const TCodigosISO* entities)
{
    const std::string folder = ExtractFilePath(fileName);
    const std::vector<std::string> lines = ResourceReportLines(ExtractFileName(fileName), FileSizeOf(fileName),
                                                               references, FileSizesBeside(folder, entities),
                                                               creditAddress);
    std::string bytes;
    for (const std::string& line : lines)
        bytes += line + "\r\n";
    // An untitled page's report goes where no other user can put anything in its place.
    try {
        report = (folder.empty() ? PrivateRuntimeFolder() : folder) + kReportFileName;
    } catch (const Exception& failure) {
        report = kReportFileName;
        error = failure.Message();
        return false;
    }
    // A folder that takes no report (another user's report in a shared folder) leaves the private
    // folder to take it, as it takes the preview.
    // The report lists what the page refers to: it is for those who may read the page.
    return WriteProgramFile(report, bytes, error, CopyPermissionsOf(fileName));
}

std::vector<std::string> WeighedFiles(const TStringList& references, std::string_view weighExt,
                                      const std::string& pageName)
{
    std::vector<std::string> candidates;
    for (int i = 0; i < references.Count(); ++i) {
        candidates.push_back(references[i]);
        const size_t hash = references[i].find('#');
        if (hash != std::string::npos)
            candidates.push_back(references[i].substr(0, hash));
    }
    std::vector<std::string> extensions;
    std::string rest(weighExt);
    while (!rest.empty()) {
        std::string extension = Trim(NextToken(rest, ';'));
        if (!extension.empty())
            extensions.push_back(std::move(extension));
    }
    TStringList files;
    files.SetSorted(true);
    // The files are the file system's, where "A.gif" and "a.gif" are two.
    files.SetCaseSensitive(true);
    int index;
    auto addOnce = [&](const std::string& file) {
        if (!file.empty() && !files.Find(file, index))
            files.Add(file);
    };
    for (const std::string& candidate : candidates) {
        const std::string extension = ExtractFileExt(candidate);
        if (std::any_of(extensions.begin(), extensions.end(),
                        [&](const std::string& wanted) { return SameText(extension, wanted); }))
            addOnce(candidate);
    }
    addOnce(pageName);
    std::vector<std::string> result;
    for (int i = 0; i < files.Count(); ++i)
        result.push_back(files[i]);
    return result;
}
