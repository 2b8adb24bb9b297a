// A page's resources as plain data: the sections of the resource report and its lines, the files a download of the page weighs and the seconds it takes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TCodigosISO;
class TStringList;

// The size in bytes of the file a reference names, given the reference as the page writes it; 0 when
// there is no such file.
using TReferenceSize = std::function<int64_t(const std::string& reference)>;

// The local file a reference of a page in `folder` names, read as a browser reads it (the page's
// Windows-1252 text as characters, references to characters as those characters, the named ones by
// the entity table `entities` when given, "%XX" as the byte XX of the name: PageReferencePath): an
// absolute path as it stands, a relative one taken from the page's folder. "" when it names none: an
// address with a scheme ("http:", "mailto:" ...), or a relative reference of a page without a folder
// (an untitled one). `folder` (the file system's bytes) ends in a separator or is "".
std::string ReferencedFile(std::string_view folder, std::string_view reference,
                           const TCodigosISO* entities = nullptr);
// The name (the file system's bytes) a reference spells as ReferencedFile reads it.
std::string PageReferenceName(std::string_view reference,
                           const TCodigosISO* entities = nullptr);
// Sizes of the files ReferencedFile gives for `folder`; the process's working folder never counts.
TReferenceSize FileSizesBeside(std::string folder, const TCodigosISO* entities = nullptr);

// The report's sections, in the order the report lists them.
enum class TReferenceSection { Images, Internal, External, Domain, Email, News, Other };
constexpr int kReferenceSections = 7;

struct TReferenceGroup {
    TReferenceSection Section;
    std::vector<std::string> References;
};

// The seven sections in report order, each with the references it takes: a reference goes to the
// first section that takes it, in the list's order, except "Other", which lists its references in
// reverse. Images by extension (".gif", ".jpg", ".jpeg", ".bmp", ".png"), then "#" (internal),
// "http:" (external), ".htm"/".html" (the site's own pages), "mailto:", "news:", and the rest.
// Schemes and extensions compare without case, since the references keep the case the page gave them.
std::array<TReferenceGroup, kReferenceSections> GroupReferences(const TStringList& references);

// The report's lines: title, heading, the page's line, each section that has references with its
// lines (images and other references with their sizes where `sizeOf` finds the file), the page's
// total when it is not 0 (the page's own `pageSize` plus the sizes found) and the credit line linking
// `creditAddress`. The page's name (the file system's bytes, without folder) shows as its characters
// and is linked as an address that leads to it (FilePathPageAddress). References and the page name
// cannot put markup of their own into the report.
std::vector<std::string> ResourceReportLines(const std::string& pageName, int64_t pageSize,
                                             const TStringList& references, const TReferenceSize& sizeOf,
                                             std::string_view creditAddress);
// Where the credit line points when the setting Web is empty.
extern const char* const kDefaultCreditAddress;
// The report's file name, written beside the page.
constexpr const char* kReportFileName = "tmpInforme.htm";
// Writes the report of the page `fileName` ("" for an untitled page), which refers to `references`,
// as kReportFileName in the page's folder, or in the user's private folder for an untitled page or
// a folder that takes no report (WriteProgramFile), no more readable than the page
// (CopyPermissionsOf); sizes are those of the files beside the page.
// Whatever answers to the report's name (a link planted there) is replaced, never written through.
// `report` is the report's path; false with `error` saying why when it could not be written.
bool SaveResourceReport(const std::string& fileName, const TStringList& references, std::string_view creditAddress,
                        std::string& report, std::string& error, const TCodigosISO* entities = nullptr);

// The files a download of the page weighs: the references whose extension is one of `weighExt`
// (separated by ";", compared without case; empty entries count nothing), a reference with "#" by its
// part before it too, and the page's own `pageName` (when it has one); sorted, each once.
std::vector<std::string> WeighedFiles(const TStringList& references, std::string_view weighExt,
                                      const std::string& pageName);

// The modem speeds of the download times, in bytes per second (ten bits a byte): 14 400, 28 800,
// 36 600 and 56 600 bits per second.
constexpr std::array<int, 4> kModemBytesPerSecond = {1440, 2880, 3660, 5660};
// Whole seconds to download `bytes` at `bytesPerSecond`; the part of a second left over is dropped.
constexpr int64_t DownloadSeconds(int64_t bytes, int bytesPerSecond) { return bytes / bytesPerSecond; }
