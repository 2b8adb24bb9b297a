// Small string and formatting routines, and the string table built from resources/StringTable.inc.
#include "platform/core/SysUtils.h"

#include <array>
#include <algorithm>
#include <cerrno>
#include <iterator>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/Win1252.h"

namespace {

constexpr int kAbortText = 65215;

std::string vformat(const char* fmt, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (needed <= 0)
        return {};
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), fmt, args);
    return std::string(buffer.data(), static_cast<size_t>(needed));
}

// Two entries with one id would leave one text silently unreachable: the table is checked as it builds.
constexpr bool stringIdsAreUnique()
{
    constexpr int ids[] = {
#define RES_STRING(id, text) id,
#include "resources/StringTable.inc"
#undef RES_STRING
    };
    // One pass over a table of the ids seen: compilers bound the steps of constant evaluation, which
    // a loop over every pair of a table this size exceeds.
    std::array<bool, 65536> seen{};
    for (int id : ids) {
        if (id < 0 || id >= static_cast<int>(seen.size()) || seen[static_cast<size_t>(id)])
            return false;
        seen[static_cast<size_t>(id)] = true;
    }
    return true;
}
static_assert(stringIdsAreUnique(), "two entries of resources/StringTable.inc share an id, or an id lies outside 0..65535");

const std::unordered_map<int, std::string>& stringTable()
{
    static const std::unordered_map<int, std::string> table = {
#define RES_STRING(id, text) {id, text},
#include "resources/StringTable.inc"
#undef RES_STRING
    };
    return table;
}

} // namespace

std::string Format(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    std::string result = vformat(fmt, args);
    va_end(args);
    return result;
}

const std::string& LoadResString(int id)
{
    static const std::string empty;
    const auto& table = stringTable();
    auto it = table.find(id);
    return it == table.end() ? empty : it->second;
}

std::string FmtLoadStr(int id, ...)
{
    va_list args;
    va_start(args, id);
    std::string result = vformat(LoadResString(id).c_str(), args);
    va_end(args);
    return result;
}

std::string IntToStr(int64_t value)
{
    return std::to_string(value);
}

bool TryStrToInt(std::string_view text, int64_t& value)
{
    size_t i = 0, n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    while (n > i && (text[n - 1] == ' ' || text[n - 1] == '\t'))
        --n;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= n)
        return false;
    uint64_t result = 0;
    for (; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        result = result * 10 + static_cast<uint64_t>(text[i] - '0');
        if (result > (uint64_t(1) << 62))
            return false;
    }
    value = negative ? -static_cast<int64_t>(result) : static_cast<int64_t>(result);
    return true;
}

int64_t StrToIntDef(std::string_view text, int64_t defaultValue)
{
    int64_t value;
    return TryStrToInt(text, value) ? value : defaultValue;
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

std::string AsciiLowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = AsciiLower(c);
    return r;
}

std::string AsciiUpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = AsciiUpper(c);
    return r;
}

int CompareText(std::string_view a, std::string_view b)
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(AsciiLower(a[i]));
        unsigned char y = static_cast<unsigned char>(AsciiLower(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

namespace {

constexpr unsigned char upperOf(unsigned char u)
{
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
        return static_cast<unsigned char>(u - 32);
    switch (u) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return u;
    }
}

constexpr std::array<unsigned char, 256> kAnsiUpper = [] {
    std::array<unsigned char, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<size_t>(c)] = upperOf(static_cast<unsigned char>(c));
    return table;
}();

} // namespace

const unsigned char* AnsiUpperTable()
{
    return kAnsiUpper.data();
}

char AnsiUpper(char c)
{
    return static_cast<char>(kAnsiUpper[static_cast<unsigned char>(c)]);
}

char AnsiLower(char c)
{
    auto u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7))
        return static_cast<char>(u + 32);
    switch (u) {
    case 0x8A: return static_cast<char>(0x9A);
    case 0x8C: return static_cast<char>(0x9C);
    case 0x8E: return static_cast<char>(0x9E);
    case 0x9F: return static_cast<char>(0xFF);
    default: return c;
    }
}

std::string AnsiUpperCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = AnsiUpper(c);
    return r;
}

std::string AnsiLowerCase(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = AnsiLower(c);
    return r;
}

bool AnsiSameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AnsiUpper(a[i]) != AnsiUpper(b[i]))
            return false;
    return true;
}

std::string SysErrorMessage(int code)
{
    // The string ids of the causes a user can mend; quota exhaustion reads as a full disk.
    switch (code) {
    case EACCES:
    case EPERM: return LoadResString(4981);
    case ENOENT: return LoadResString(4982);
    case EISDIR: return LoadResString(4983);
    case ENOSPC:
    case EDQUOT: return LoadResString(4984);
    case EROFS: return LoadResString(4985);
    case EFBIG: return LoadResString(4986);
    case ENAMETOOLONG: return LoadResString(4987);
    case ENOTDIR: return LoadResString(7340);
    case ELOOP: return LoadResString(7341);
    case ENXIO:
    case ENODEV: return LoadResString(7342);
    case EBUSY:
    case ETXTBSY: return LoadResString(7343);
    case EIO: return LoadResString(7344);
    case EMFILE:
    case ENFILE: return LoadResString(7345);
    case ENOMEM: return LoadResString(7346);
    case EINVAL:
    case EOPNOTSUPP: return LoadResString(7347);
    case EEXIST: return LoadResString(7348);
    // The system's own texts are English: the rest are named by number, which a manual explains.
    default: return FmtLoadStr(7349, code);
    }
}

namespace {

// Blanks and control characters, but the mark that begins a held character in the editor's text.
bool trimmed(char c)
{
    return static_cast<unsigned char>(c) <= ' ' && static_cast<unsigned char>(c) != kHeldCharacterMarkByte;
}

} // namespace

std::string_view TrimView(std::string_view s)
{
    size_t i = 0, n = s.size();
    while (i < n && trimmed(s[i]))
        ++i;
    while (n > i && trimmed(s[n - 1]))
        --n;
    return s.substr(i, n - i);
}

std::string Trim(std::string_view s)
{
    return std::string(TrimView(s));
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool CompareMem(const void* a, const void* b, int length)
{
    return length <= 0 || std::memcmp(a, b, static_cast<size_t>(length)) == 0;
}

bool IsPathDelimiter(char c)
{
    return c == '/';
}

std::string ExtractFileName(std::string_view path)
{
    size_t i = path.size();
    while (i > 0 && !IsPathDelimiter(path[i - 1]))
        --i;
    return std::string(path.substr(i));
}

std::string ExtractFilePath(std::string_view path)
{
    size_t i = path.size();
    while (i > 0 && !IsPathDelimiter(path[i - 1]))
        --i;
    return std::string(path.substr(0, i));
}

std::string ExtractFileExt(std::string_view path)
{
    std::string name = ExtractFileName(path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(std::string_view path, std::string_view extension)
{
    std::string changed(path.substr(0, path.size() - ExtractFileExt(path).size()));
    return changed.append(extension);
}

std::string ExpandFileName(std::string_view path, std::string_view folder)
{
    if (path.empty())
        return {};
    std::filesystem::path full(path);
    if (full.is_relative()) {
        std::error_code error;
        const std::filesystem::path base =
            folder.empty() ? std::filesystem::current_path(error) : std::filesystem::path(folder);
        full = base / full;
    }
    // ".." is kept: under a link to a folder it does not lead where the text says.
    std::string out;
    for (const std::filesystem::path& part : full) {
        const std::string name = part.string();
        if (name == "." || name.empty())
            continue;
        if (name != "/" && !out.empty() && out.back() != '/')
            out += '/';
        out += name;
    }
    return out.empty() ? "/" : out;
}

void Abort()
{
    throw EAbort(LoadResString(kAbortText));
}
