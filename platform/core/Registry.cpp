// The registry store, its text file, and the TRegistry and TRegIniFile classes over it.
#include "platform/core/Registry.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <iterator>
#include <memory>
#include <pwd.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/core/SysUtils.h"
#include "platform/core/Win1252.h"

namespace {

enum : int {
    kStrInvalidType = 65200,
    kStrGetDataFailed = 65201,
    kStrSetDataFailed = 65202,
    kStrCreateKeyFailed = 65203,
    kStrFileSetAside = 65204,
    kStrFileNotUsable = 65205,
    kStrSaveFailed = 65206,
    kStrBadLine = 65207,
};

// The first line of the store file; a file without it is not ours.
constexpr std::string_view kSignature = "Kestrima registry 1";
// Deeper paths are refused, as Windows refuses them; it also bounds the recursion that writes the tree.
constexpr size_t kMaxKeyDepth = 512;
// Bytes of binary data per line of the file, so that long data stays readable.
constexpr size_t kHexBytesPerLine = 24;

struct RootName {
    HKEY Root;
    std::string_view Name;
};
// Also the order in which the roots are written.
constexpr RootName kRoots[] = {
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
};
constexpr size_t kRootCount = sizeof kRoots / sizeof kRoots[0];

// ---------------------------------------------------------------- names and paths

bool isRelative(std::string_view path)
{
    return path.empty() || path[0] != '\\';
}

// The key names of a path; empty components (leading, trailing or doubled separators) name nothing.
std::vector<std::string> splitPath(std::string_view path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string joinPath(const std::vector<std::string>& parts)
{
    std::string path;
    for (const std::string& part : parts) {
        if (!path.empty())
            path += '\\';
        path += part;
    }
    return path;
}

// ---------------------------------------------------------------- text of the file

bool isUndefinedWin1252(unsigned char c)
{
    return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        // Windows-1252 reaches no further than the Basic Multilingual Plane.
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string win1252ToUtf8(std::string_view text)
{
    std::string out;
    for (char c : text)
        appendUtf8(out, Win1252ToUnicode(static_cast<unsigned char>(c)));
    return out;
}

// Decodes the UTF-8 character at text[i]; returns its length, or 0 when no well-formed one starts there.
size_t decodeUtf8(std::string_view text, size_t i, char32_t& cp)
{
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length;
    char32_t minimum;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (length > text.size() - i)
        return 0;
    for (size_t k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// Appends the Windows-1252 byte of the text at text[i] and moves past it. A byte that starts no UTF-8
// character is taken as it stands, so a file saved in Windows-1252 by hand still reads as meant.
void takeTextByte(std::string_view text, size_t& i, std::string& out)
{
    unsigned char c = static_cast<unsigned char>(text[i]);
    char32_t cp;
    size_t length = c < 0x80 ? 0 : decodeUtf8(text, i, cp);
    if (length == 0) {
        out += static_cast<char>(c);
        ++i;
        return;
    }
    char byte;
    out += CharToWin1252(cp, byte) ? byte : '?';
    i += length;
}

// A key name in a section header: the backslash cannot appear, so escapes use '%' and two hex digits.
std::string escapeKeyName(std::string_view name)
{
    std::string out;
    for (char ch : name) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || c == '%' || isUndefinedWin1252(c))
            out += Format("%%%02X", c);
        else
            appendUtf8(out, Win1252ToUnicode(c));
    }
    return out;
}

bool unescapeKeyName(std::string_view text, std::string& name)
{
    name.clear();
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '%' && text.size() - i >= 3 && HexDigitValue(text[i + 1]) >= 0 && HexDigitValue(text[i + 2]) >= 0) {
            name += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 3;
        } else {
            takeTextByte(text, i, name);
        }
    }
    return !name.empty();
}

struct Escape {
    char Byte;
    char Letter;
};
// Bytes written as a backslash and a letter inside quotes; other controls become \xHH.
constexpr Escape kEscapes[] = {{'"', '"'}, {'\\', '\\'}, {'\n', 'n'}, {'\r', 'r'}, {'\t', 't'}};

// A name or string in double quotes; every byte survives, line breaks and controls as escapes.
std::string quote(std::string_view text)
{
    std::string out = "\"";
    for (char ch : text) {
        unsigned char c = static_cast<unsigned char>(ch);
        const Escape* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                            [ch](const Escape& e) { return e.Byte == ch; });
        if (escape != std::end(kEscapes)) {
            out += '\\';
            out += escape->Letter;
        } else if (c < 0x20 || c == 0x7F || isUndefinedWin1252(c)) {
            out += Format("\\x%02X", c);
        } else {
            appendUtf8(out, Win1252ToUnicode(c));
        }
    }
    out += '"';
    return out;
}

// Reads a quoted text starting at line[i] (the opening quote); leaves i after the closing quote.
bool unquote(std::string_view line, size_t& i, std::string& text)
{
    text.clear();
    if (i >= line.size() || line[i] != '"')
        return false;
    ++i;
    while (i < line.size()) {
        char c = line[i];
        if (c == '"') {
            ++i;
            return true;
        }
        if (c != '\\') {
            takeTextByte(line, i, text);
            continue;
        }
        if (line.size() - i < 2)
            return false;
        char letter = line[i + 1];
        i += 2;
        if (letter == 'x') {
            if (line.size() - i < 2 || HexDigitValue(line[i]) < 0 || HexDigitValue(line[i + 1]) < 0)
                return false;
            text += static_cast<char>(HexDigitValue(line[i]) * 16 + HexDigitValue(line[i + 1]));
            i += 2;
            continue;
        }
        const Escape* escape = std::find_if(std::begin(kEscapes), std::end(kEscapes),
                                            [letter](const Escape& e) { return e.Letter == letter; });
        if (escape == std::end(kEscapes))
            return false;
        text += escape->Byte;
    }
    return false;
}

bool onlyBlanks(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

} // namespace

// ---------------------------------------------------------------- the tree

namespace registry_detail {

struct Value {
    std::string Name;
    TRegDataType Kind = rdString;
    std::string Data; // strings and binary data
    int32_t Number = 0;
};

struct Key {
    std::string Name;
    std::vector<Value> Values;
    std::vector<std::unique_ptr<Key>> Keys;

    Value* findValue(std::string_view name)
    {
        for (Value& value : Values)
            if (AnsiSameText(value.Name, name))
                return &value;
        return nullptr;
    }

    Key* findKey(std::string_view name)
    {
        for (auto& key : Keys)
            if (AnsiSameText(key->Name, name))
                return key.get();
        return nullptr;
    }
};

} // namespace registry_detail

using registry_detail::Key;
using registry_detail::Value;

namespace {

// ---------------------------------------------------------------- writing and reading the file

void writeKey(std::string& out, const std::string& path, const Key& key, bool isRoot)
{
    if (!isRoot || !key.Values.empty()) {
        out += "\n[" + path + "]\n";
        for (const Value& value : key.Values) {
            out += value.Name.empty() ? std::string("@") : quote(value.Name);
            out += '=';
            switch (value.Kind) {
            case rdInteger:
                out += Format("dword:%08x", static_cast<uint32_t>(value.Number));
                break;
            case rdBinary:
                out += "hex:";
                for (size_t i = 0; i < value.Data.size(); ++i) {
                    if (i > 0)
                        out += (i % kHexBytesPerLine == 0) ? ",\\\n  " : ",";
                    out += Format("%02x", static_cast<unsigned char>(value.Data[i]));
                }
                break;
            default:
                out += quote(value.Data);
            }
            out += '\n';
        }
    }
    for (const auto& sub : key.Keys)
        writeKey(out, path + '\\' + escapeKeyName(sub->Name), *sub, false);
}

std::string storeText(const Key (&roots)[kRootCount])
{
    std::string out(kSignature);
    out += '\n';
    for (size_t r = 0; r < kRootCount; ++r)
        writeKey(out, std::string(kRoots[r].Name), roots[r], true);
    return out;
}

void putValue(Key& key, const std::string& name, TRegDataType kind, std::string data, int32_t number)
{
    Value* value = key.findValue(name);
    if (!value) {
        key.Values.push_back(Value{name, kind, {}, 0});
        value = &key.Values.back();
    }
    value->Kind = kind;
    value->Data = std::move(data);
    value->Number = number;
}

Key* descend(Key& root, const std::vector<std::string>& parts, bool create, bool* created = nullptr)
{
    if (parts.size() > kMaxKeyDepth)
        return nullptr;
    Key* key = &root;
    for (const std::string& part : parts) {
        Key* next = key->findKey(part);
        if (!next) {
            if (!create)
                return nullptr;
            key->Keys.push_back(std::make_unique<Key>());
            next = key->Keys.back().get();
            next->Name = part;
            if (created)
                *created = true;
        }
        key = next;
    }
    return key;
}

// Parses the store file into `roots`; on failure `badLine` is the 1-based line at fault.
class StoreFileReader {
public:
    StoreFileReader(std::string_view text, Key (&roots)[kRootCount]) : FText(text), FRoots(roots) {}

    bool Read(int& badLine)
    {
        std::string_view line;
        bool ok = nextLine(line) && line == kSignature;
        while (ok && nextLine(line)) {
            if (line.empty() || line[0] == ';')
                continue;
            ok = line[0] == '[' ? readHeader(line) : readValue(line);
        }
        badLine = FLineNumber;
        return ok;
    }

private:
    bool nextLine(std::string_view& line)
    {
        if (FPos >= FText.size())
            return false;
        size_t end = FText.find('\n', FPos);
        if (end == std::string_view::npos)
            end = FText.size();
        line = FText.substr(FPos, end - FPos);
        // Line breaks inside names and texts are always escaped, so a CR here came from an editor.
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        FPos = end + 1;
        ++FLineNumber;
        return true;
    }

    bool readHeader(std::string_view line)
    {
        if (line.size() < 2 || line.back() != ']')
            return false;
        std::string_view path = line.substr(1, line.size() - 2);
        size_t cut = path.find('\\');
        std::string_view rootName = path.substr(0, cut);
        Key* root = nullptr;
        for (size_t r = 0; r < kRootCount; ++r)
            if (SameText(rootName, kRoots[r].Name))
                root = &FRoots[r];
        if (!root)
            return false;
        std::vector<std::string> parts;
        while (cut != std::string_view::npos) {
            size_t start = cut + 1;
            cut = path.find('\\', start);
            std::string name;
            if (!unescapeKeyName(path.substr(start, cut == std::string_view::npos ? cut : cut - start), name))
                return false;
            parts.push_back(std::move(name));
        }
        FKey = descend(*root, parts, true);
        return FKey != nullptr;
    }

    bool readValue(std::string_view line)
    {
        if (!FKey)
            return false;
        std::string name;
        size_t i = 0;
        if (line[0] == '@')
            i = 1;
        else if (!unquote(line, i, name))
            return false;
        if (i >= line.size() || line[i] != '=')
            return false;
        std::string_view data = line.substr(i + 1);
        if (!data.empty() && data[0] == '"') {
            std::string text;
            size_t k = 0;
            if (!unquote(data, k, text) || !onlyBlanks(data.substr(k)))
                return false;
            putValue(*FKey, name, rdString, std::move(text), 0);
            return true;
        }
        if (data.substr(0, 6) == "dword:") {
            // Always eight digits, so that a file cut short in a number does not pass for another number.
            std::string_view digits = data.substr(6);
            if (digits.size() != 8)
                return false;
            uint32_t number = 0;
            for (char c : digits) {
                if (HexDigitValue(c) < 0)
                    return false;
                number = number * 16 + static_cast<uint32_t>(HexDigitValue(c));
            }
            putValue(*FKey, name, rdInteger, {}, static_cast<int32_t>(number));
            return true;
        }
        if (data.substr(0, 4) == "hex:")
            return readHex(data.substr(4), name);
        return false;
    }

    // Binary data as hex bytes separated by commas, continued on the next line after a backslash.
    bool readHex(std::string_view first, const std::string& name)
    {
        std::string bytes;
        std::string_view part = first;
        for (;;) {
            bool continued = !part.empty() && part.back() == '\\';
            if (continued)
                part.remove_suffix(1);
            size_t i = part.find_first_not_of(" \t");
            while (i != std::string_view::npos && i < part.size()) {
                int high = HexDigitValue(part[i]);
                int low = i + 1 < part.size() ? HexDigitValue(part[i + 1]) : -1;
                if (high < 0 || low < 0)
                    return false;
                bytes += static_cast<char>(high * 16 + low);
                i += 2;
                if (i < part.size()) {
                    if (part[i] != ',')
                        return false;
                    ++i;
                    // Only a continuation may follow the last comma of a line.
                    if (i == part.size() && !continued)
                        return false;
                }
            }
            if (!continued)
                break;
            if (!nextLine(part))
                return false;
        }
        putValue(*FKey, name, rdBinary, std::move(bytes), 0);
        return true;
    }

    std::string_view FText;
    Key (&FRoots)[kRootCount];
    Key* FKey = nullptr;
    size_t FPos = 0;
    int FLineNumber = 0;
};

// ---------------------------------------------------------------- files

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return ".";
}

std::string configFolder()
{
    if (const char* dir = std::getenv("KESTRIMA_CONFIG_DIR"); dir && *dir)
        return dir;
    // Relative values of XDG_CONFIG_HOME are to be ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
        return std::string(xdg) + "/kestrima";
    return homeFolder() + "/.config/kestrima";
}

std::string folderOf(const std::string& fileName)
{
    size_t slash = fileName.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : fileName.substr(0, slash);
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult readWholeFile(const std::string& fileName, std::string& bytes, int& error)
{
    int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return (error == ENOENT || error == ENOTDIR) ? ReadResult::Missing : ReadResult::Failed;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        close(fd);
        return ReadResult::Failed;
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            close(fd);
            return ReadResult::Failed;
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return ReadResult::Ok;
}

bool makeFolders(const std::string& folder)
{
    struct stat st {};
    if (stat(folder.c_str(), &st) == 0) {
        errno = ENOTDIR;
        return S_ISDIR(st.st_mode);
    }
    std::string parent = folderOf(folder);
    if (parent != folder && parent != "." && !makeFolders(parent))
        return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Replaces the file by `bytes` so that a crash leaves either the old or the new file, never a mixture:
// the text goes to a temporary file in the same folder, reaches the disk, then takes the file's name.
bool replaceFile(const std::string& fileName, std::string_view bytes, std::string& error)
{
    std::string folder = folderOf(fileName);
    if (!makeFolders(folder)) {
        error = std::strerror(errno);
        return false;
    }
    std::string temporary = fileName + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    bool ok = writeAll(fd, bytes) && fsync(fd) == 0;
    int savedErrno = errno;
    ok = close(fd) == 0 && ok;
    if (ok && std::rename(temporary.c_str(), fileName.c_str()) == 0) {
        // The rename itself is made durable by syncing the folder.
        int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd >= 0) {
            fsync(dirFd);
            close(dirFd);
        }
        return true;
    }
    error = std::strerror(ok ? errno : savedErrno);
    unlink(temporary.c_str());
    return false;
}

std::string timeStamp()
{
    std::time_t now = std::time(nullptr);
    std::tm local {};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

// ---------------------------------------------------------------- the shared store

class Store {
public:
    Key* root(HKEY rootKey)
    {
        ensureLoaded();
        for (size_t r = 0; r < kRootCount; ++r)
            if (kRoots[r].Root == rootKey)
                return &FRoots[r];
        return nullptr;
    }

    Key* find(HKEY rootKey, const std::vector<std::string>& parts)
    {
        Key* start = root(rootKey);
        return start ? descend(*start, parts, false) : nullptr;
    }

    Key* create(HKEY rootKey, const std::vector<std::string>& parts)
    {
        Key* start = root(rootKey);
        bool created = false;
        Key* key = start ? descend(*start, parts, true, &created) : nullptr;
        FDirty = FDirty || created;
        return key;
    }

    void setValue(Key& key, const std::string& name, TRegDataType kind, std::string_view data, int32_t number)
    {
        if (const Value* old = key.findValue(name);
            old && old->Kind == kind && old->Data == data && old->Number == number)
            return; // rewriting what is there costs no file write
        putValue(key, name, kind, std::string(data), number);
        FDirty = true;
    }

    bool removeValue(Key& key, std::string_view name)
    {
        for (auto it = key.Values.begin(); it != key.Values.end(); ++it)
            if (AnsiSameText(it->Name, name)) {
                key.Values.erase(it);
                FDirty = true;
                return true;
            }
        return false;
    }

    bool removeKey(Key& parent, std::string_view name)
    {
        for (auto it = parent.Keys.begin(); it != parent.Keys.end(); ++it)
            if (AnsiSameText((*it)->Name, name)) {
                parent.Keys.erase(it); // frees the whole subtree
                FDirty = true;
                return true;
            }
        return false;
    }

    void renameValue(Value& value, const std::string& newName)
    {
        if (value.Name != newName) {
            value.Name = newName;
            FDirty = true;
        }
    }

    void flush()
    {
        if (!FLoaded || !FDirty || FSaveDisabled)
            return;
        std::string error;
        if (replaceFile(FFileName, storeText(FRoots), error)) {
            FDirty = false;
            FSaveProblem.clear();
            return;
        }
        bool first = FSaveProblem.empty();
        FSaveProblem = FmtLoadStr(kStrSaveFailed, FFileName.c_str(), error.c_str());
        if (first)
            std::fprintf(stderr, "kestrima: %s\n", win1252ToUtf8(FSaveProblem).c_str());
    }

    void reset()
    {
        for (Key& key : FRoots)
            key = Key();
        FLoaded = FDirty = FSaveDisabled = false;
        FFileName.clear();
        FLoadProblem.clear();
        FSaveProblem.clear();
    }

    const std::string& loadProblem()
    {
        ensureLoaded();
        return FLoadProblem;
    }

    const std::string& saveProblem() const { return FSaveProblem; }

private:
    void ensureLoaded()
    {
        if (FLoaded)
            return;
        FLoaded = true;
        FFileName = RegistryStore::FileName();
        std::string bytes;
        int error = 0;
        switch (readWholeFile(FFileName, bytes, error)) {
        case ReadResult::Missing:
            return;
        case ReadResult::Failed:
            setAside(std::strerror(error));
            return;
        case ReadResult::Ok:
            break;
        }
        if (bytes.empty())
            return; // holds nothing anyone could want back
        // Read into a tree of its own so that a file that fails half-way leaves nothing behind.
        Key loaded[kRootCount];
        int badLine = 0;
        if (StoreFileReader(bytes, loaded).Read(badLine)) {
            for (size_t r = 0; r < kRootCount; ++r)
                FRoots[r] = std::move(loaded[r]);
            return;
        }
        setAside(FmtLoadStr(kStrBadLine, badLine));
    }

    // Moves an unusable file out of the way so that the next save cannot overwrite what the user may
    // still want; when it cannot be moved, nothing is saved in this run.
    void setAside(const std::string& why)
    {
        std::string base = FFileName + ".corrupt-" + timeStamp();
        std::string aside = base;
        struct stat st {};
        for (int n = 2; lstat(aside.c_str(), &st) == 0; ++n)
            aside = base + "-" + std::to_string(n);
        if (std::rename(FFileName.c_str(), aside.c_str()) == 0) {
            FLoadProblem = FmtLoadStr(kStrFileSetAside, FFileName.c_str(), why.c_str(), aside.c_str());
        } else {
            FLoadProblem = FmtLoadStr(kStrFileNotUsable, FFileName.c_str(), why.c_str(), std::strerror(errno));
            FSaveDisabled = true;
        }
        std::fprintf(stderr, "kestrima: %s\n", win1252ToUtf8(FLoadProblem).c_str());
    }

    Key FRoots[kRootCount];
    bool FLoaded = false;
    bool FDirty = false;
    bool FSaveDisabled = false;
    std::string FFileName;
    std::string FLoadProblem;
    std::string FSaveProblem;
};

Store& store()
{
    // Never destroyed, so that registry objects destroyed late in the exit still find it.
    static Store* instance = new Store;
    return *instance;
}

std::string valueAsText(const Value& value)
{
    return value.Kind == rdInteger ? IntToStr(value.Number) : value.Data;
}

// The 32-bit integer a value stands for: integers, and strings holding a decimal integer.
bool valueAsInteger(const Value& value, int32_t& number)
{
    if (value.Kind == rdInteger) {
        number = value.Number;
        return true;
    }
    int64_t parsed;
    if (value.Kind != rdString || !TryStrToInt(value.Data, parsed) || parsed < INT32_MIN || parsed > INT32_MAX)
        return false;
    number = static_cast<int32_t>(parsed);
    return true;
}

} // namespace

// ---------------------------------------------------------------- RegistryStore

std::string RegistryStore::FileName()
{
    return configFolder() + "/registry.reg";
}

void RegistryStore::Flush()
{
    store().flush();
}

void RegistryStore::Reload()
{
    store().reset();
}

std::string RegistryLoadProblem()
{
    return store().loadProblem();
}

std::string RegistrySaveProblem()
{
    return store().saveProblem();
}

// ---------------------------------------------------------------- TRegistry

TRegistry::TRegistry() = default;

TRegistry::~TRegistry()
{
    CloseKey();
}

void TRegistry::SetRootKey(HKEY value)
{
    CloseKey();
    FRootKey = value;
}

std::vector<std::string> TRegistry::pathOf(const std::string& key) const
{
    std::vector<std::string> parts = splitPath(key);
    if (!isRelative(key) || !FKeyOpen)
        return parts;
    std::vector<std::string> full = splitPath(FCurrentPath);
    full.insert(full.end(), parts.begin(), parts.end());
    return full;
}

Key* TRegistry::currentKey() const
{
    return FKeyOpen ? store().find(FRootKey, splitPath(FCurrentPath)) : nullptr;
}

Key* TRegistry::findKey(const std::string& key) const
{
    // A relative path through an open key that has since been deleted leads nowhere.
    if (isRelative(key) && FKeyOpen && !currentKey())
        return nullptr;
    return store().find(FRootKey, pathOf(key));
}

Key* TRegistry::makeKey(const std::string& key)
{
    if (isRelative(key) && FKeyOpen && (FReadOnly || !currentKey()))
        return nullptr;
    return store().create(FRootKey, pathOf(key));
}

Key* TRegistry::keyForWriting(const std::string& valueName) const
{
    Key* key = FReadOnly ? nullptr : currentKey();
    if (!key)
        throw ERegistryException(FmtLoadStr(kStrSetDataFailed, valueName.c_str()));
    return key;
}

const Value* TRegistry::findValue(const std::string& name) const
{
    Key* key = currentKey();
    return key ? key->findValue(name) : nullptr;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate)
{
    Key* found = canCreate ? makeKey(key) : findKey(key);
    if (!found)
        return false;
    std::string path = joinPath(pathOf(key));
    CloseKey();
    FCurrentPath = std::move(path);
    FKeyOpen = true;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key)
{
    if (!OpenKey(key, false))
        return false;
    FReadOnly = true;
    return true;
}

void TRegistry::CloseKey()
{
    if (FKeyOpen)
        store().flush();
    FKeyOpen = false;
    FReadOnly = false;
    FCurrentPath.clear();
}

bool TRegistry::CreateKey(const std::string& key)
{
    if (!makeKey(key))
        throw ERegistryException(FmtLoadStr(kStrCreateKeyFailed, key.c_str()));
    return true;
}

bool TRegistry::DeleteKey(const std::string& key)
{
    std::vector<std::string> parts = pathOf(key);
    if (parts.empty() || (isRelative(key) && FKeyOpen && (FReadOnly || !currentKey())))
        return false;
    std::string last = parts.back();
    parts.pop_back();
    Key* parent = store().find(FRootKey, parts);
    return parent && store().removeKey(*parent, last);
}

bool TRegistry::KeyExists(const std::string& key) const
{
    return findKey(key) != nullptr;
}

bool TRegistry::HasSubKeys() const
{
    Key* key = currentKey();
    return key && !key->Keys.empty();
}

void TRegistry::GetKeyNames(TStringList& strings) const
{
    strings.Clear();
    if (Key* key = currentKey())
        for (const auto& sub : key->Keys)
            strings.Add(sub->Name);
}

void TRegistry::GetValueNames(TStringList& strings) const
{
    strings.Clear();
    if (Key* key = currentKey())
        for (const Value& value : key->Values)
            strings.Add(value.Name);
}

bool TRegistry::ValueExists(const std::string& name) const
{
    return findValue(name) != nullptr;
}

bool TRegistry::DeleteValue(const std::string& name)
{
    Key* key = FReadOnly ? nullptr : currentKey();
    return key && store().removeValue(*key, name);
}

void TRegistry::RenameValue(const std::string& oldName, const std::string& newName)
{
    Key* key = FReadOnly ? nullptr : currentKey();
    Value* value = key ? key->findValue(oldName) : nullptr;
    if (!value)
        return;
    // The same name in another case only changes the case.
    if (Value* other = key->findValue(newName); other && other != value)
        return;
    store().renameValue(*value, newName);
}

bool TRegistry::GetDataInfo(const std::string& valueName, TRegDataInfo& info) const
{
    info = TRegDataInfo();
    const Value* value = findValue(valueName);
    if (!value)
        return false;
    info.RegData = value->Kind;
    switch (value->Kind) {
    case rdInteger:
        info.DataSize = 4;
        break;
    case rdString:
        info.DataSize = static_cast<int>(std::min<size_t>(value->Data.size() + 1, INT32_MAX));
        break;
    default:
        info.DataSize = static_cast<int>(std::min<size_t>(value->Data.size(), INT32_MAX));
    }
    return true;
}

TRegDataType TRegistry::GetDataType(const std::string& valueName) const
{
    TRegDataInfo info;
    GetDataInfo(valueName, info);
    return info.RegData;
}

int TRegistry::GetDataSize(const std::string& valueName) const
{
    TRegDataInfo info;
    return GetDataInfo(valueName, info) ? info.DataSize : -1;
}

std::string TRegistry::ReadString(const std::string& name) const
{
    const Value* value = findValue(name);
    if (!value)
        return {};
    if (value->Kind == rdBinary)
        throw ERegistryException(FmtLoadStr(kStrInvalidType, name.c_str()));
    return valueAsText(*value);
}

void TRegistry::WriteString(const std::string& name, const std::string& value)
{
    store().setValue(*keyForWriting(name), name, rdString, value, 0);
}

int32_t TRegistry::ReadInteger(const std::string& name) const
{
    const Value* value = findValue(name);
    if (!value)
        throw ERegistryException(FmtLoadStr(kStrGetDataFailed, name.c_str()));
    int32_t number;
    if (!valueAsInteger(*value, number))
        throw ERegistryException(FmtLoadStr(kStrInvalidType, name.c_str()));
    return number;
}

void TRegistry::WriteInteger(const std::string& name, int32_t value)
{
    store().setValue(*keyForWriting(name), name, rdInteger, {}, value);
}

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int bufSize) const
{
    const Value* value = findValue(name);
    if (!value)
        return 0;
    if (value->Kind != rdBinary || bufSize < 0 || value->Data.size() > static_cast<size_t>(bufSize))
        throw ERegistryException(FmtLoadStr(kStrInvalidType, name.c_str()));
    if (!value->Data.empty())
        std::memcpy(buffer, value->Data.data(), value->Data.size());
    return static_cast<int>(value->Data.size());
}

std::string TRegistry::ReadBinaryData(const std::string& name) const
{
    const Value* value = findValue(name);
    if (!value)
        return {};
    if (value->Kind != rdBinary)
        throw ERegistryException(FmtLoadStr(kStrInvalidType, name.c_str()));
    return value->Data;
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int bufSize)
{
    Key* key = keyForWriting(name);
    if (bufSize < 0 || (bufSize > 0 && !buffer))
        throw ERegistryException(FmtLoadStr(kStrSetDataFailed, name.c_str()));
    std::string_view data(static_cast<const char*>(buffer), static_cast<size_t>(bufSize));
    store().setValue(*key, name, rdBinary, data, 0);
}

// ---------------------------------------------------------------- TRegIniFile

TRegIniFile::TRegIniFile(const std::string& fileName) : FFileName(fileName)
{
    OpenKey(fileName, true);
}

const Value* TRegIniFile::sectionValue(const std::string& section, const std::string& ident) const
{
    Key* key = findKey(section);
    return key ? key->findValue(ident) : nullptr;
}

Key* TRegIniFile::sectionForWriting(const std::string& section)
{
    Key* key = makeKey(section);
    if (!key)
        throw ERegistryException(FmtLoadStr(kStrCreateKeyFailed, section.c_str()));
    return key;
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& ident,
                                    const std::string& defaultValue) const
{
    const Value* value = sectionValue(section, ident);
    return value && value->Kind != rdBinary ? valueAsText(*value) : defaultValue;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value)
{
    store().setValue(*sectionForWriting(section), ident, rdString, value, 0);
}

int32_t TRegIniFile::ReadInteger(const std::string& section, const std::string& ident, int32_t defaultValue) const
{
    const Value* value = sectionValue(section, ident);
    int32_t number;
    // A value edited into something that is no number must not stop the program reading its settings.
    return value && valueAsInteger(*value, number) ? number : defaultValue;
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& ident, int32_t value)
{
    store().setValue(*sectionForWriting(section), ident, rdInteger, {}, value);
}

bool TRegIniFile::ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const
{
    return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const std::string& section, const std::string& ident, bool value)
{
    WriteInteger(section, ident, value ? 1 : 0);
}

void TRegIniFile::ReadSection(const std::string& section, TStringList& strings) const
{
    strings.Clear();
    if (Key* key = findKey(section))
        for (const Value& value : key->Values)
            strings.Add(value.Name);
}

void TRegIniFile::ReadSections(TStringList& strings) const
{
    GetKeyNames(strings);
}

void TRegIniFile::ReadSectionValues(const std::string& section, TStringList& strings) const
{
    strings.Clear();
    if (Key* key = findKey(section))
        for (const Value& value : key->Values)
            strings.Add(value.Name + "=" + (value.Kind == rdBinary ? std::string() : valueAsText(value)));
}

void TRegIniFile::EraseSection(const std::string& section)
{
    TRegistry::DeleteKey(section);
}

void TRegIniFile::DeleteKey(const std::string& section, const std::string& ident)
{
    Key* key = findKey(section);
    if (key && !IsReadOnly())
        store().removeValue(*key, ident);
}

bool TRegIniFile::SectionExists(const std::string& section) const
{
    return findKey(section) != nullptr;
}

bool TRegIniFile::ValueExists(const std::string& section, const std::string& ident) const
{
    return sectionValue(section, ident) != nullptr;
}
