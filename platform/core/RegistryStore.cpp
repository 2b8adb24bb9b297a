// The registry's shared store: the tree of keys and values, read from its file on first use and
// written back safely, and the RegistryStore functions over it.
#include "platform/core/RegistryTree.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/FileSystem.h"
#include "platform/core/SysUtils.h"

namespace {

enum : int {
    kStrFileSetAside = 65204,
    kStrFileNotUsable = 65205,
    kStrSaveFailed = 65206,
    kStrBadLine = 65207,
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

// Replaces the file by `bytes` so that a crash leaves either the old or the new file, never a mixture.
bool replaceFile(const std::string& fileName, std::string_view bytes, std::string& error)
{
    if (!makeFolders(folderOf(fileName))) {
        error = SysErrorMessage(errno);
        return false;
    }
    return ReplaceFileContents(fileName, bytes, error);
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

} // namespace

namespace registry_detail {

// ---------------------------------------------------------------- names and paths

bool isRelative(std::string_view path)
{
    return path.empty() || path[0] != '\\';
}

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

// ---------------------------------------------------------------- the tree

void putValue(Key& key, const std::string& name, TRegDataType kind, std::string data, int32_t number,
              bool exactPath)
{
    Value* value = key.findValue(name);
    if (!value) {
        key.Values.push_back(Value{name, kind, {}, 0});
        value = &key.Values.back();
    }
    value->Kind = kind;
    value->Data = std::move(data);
    value->Number = number;
    value->ExactPath = exactPath && kind == rdString;
}

Key* descend(Key& root, const std::vector<std::string>& parts, bool create, bool* created)
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

// ---------------------------------------------------------------- the shared store

Key* Store::root(HKEY rootKey)
{
    ensureLoaded();
    for (size_t r = 0; r < kRootCount; ++r)
        if (kRoots[r].Root == rootKey)
            return &FRoots[r];
    return nullptr;
}

Key* Store::find(HKEY rootKey, const std::vector<std::string>& parts)
{
    Key* start = root(rootKey);
    return start ? descend(*start, parts, false) : nullptr;
}

Key* Store::create(HKEY rootKey, const std::vector<std::string>& parts)
{
    Key* start = root(rootKey);
    bool created = false;
    Key* key = start ? descend(*start, parts, true, &created) : nullptr;
    FDirty = FDirty || created;
    return key;
}

void Store::setValue(Key& key, const std::string& name, TRegDataType kind, std::string_view data, int32_t number,
                     bool exactPath)
{
    if (const Value* old = key.findValue(name); old && old->Kind == kind && old->Data == data &&
                                                old->Number == number && old->ExactPath == (exactPath && kind == rdString))
        return; // rewriting what is there costs no file write
    putValue(key, name, kind, std::string(data), number, exactPath);
    FDirty = true;
}

bool Store::removeValue(Key& key, std::string_view name)
{
    for (auto it = key.Values.begin(); it != key.Values.end(); ++it)
        if (AnsiSameText(it->Name, name)) {
            key.Values.erase(it);
            FDirty = true;
            return true;
        }
    return false;
}

bool Store::removeKey(Key& parent, std::string_view name)
{
    for (auto it = parent.Keys.begin(); it != parent.Keys.end(); ++it)
        if (AnsiSameText((*it)->Name, name)) {
            parent.Keys.erase(it); // frees the whole subtree
            FDirty = true;
            return true;
        }
    return false;
}

void Store::renameValue(Value& value, const std::string& newName)
{
    if (value.Name != newName) {
        value.Name = newName;
        FDirty = true;
    }
}

void Store::flush()
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

void Store::reset()
{
    for (Key& key : FRoots)
        key = Key();
    FLoaded = FDirty = FSaveDisabled = false;
    FFileName.clear();
    FLoadProblem.clear();
    FSaveProblem.clear();
}

const std::string& Store::loadProblem()
{
    ensureLoaded();
    return FLoadProblem;
}

void Store::ensureLoaded()
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
        setAside(SysErrorMessage(error));
        return;
    case ReadResult::Ok:
        break;
    }
    if (bytes.empty())
        return; // holds nothing anyone could want back
    // Read into a tree of its own so that a file that fails half-way leaves nothing behind.
    Key loaded[kRootCount];
    int badLine = 0;
    if (readStoreText(bytes, loaded, badLine)) {
        for (size_t r = 0; r < kRootCount; ++r)
            FRoots[r] = std::move(loaded[r]);
        return;
    }
    setAside(FmtLoadStr(kStrBadLine, badLine));
}

// Moves an unusable file out of the way so that the next save cannot overwrite what the user may
// still want; when it cannot be moved, nothing is saved in this run.
void Store::setAside(const std::string& why)
{
    std::string base = FFileName + ".corrupt-" + timeStamp();
    std::string aside = base;
    struct stat st {};
    for (int n = 2; lstat(aside.c_str(), &st) == 0; ++n)
        aside = base + "-" + std::to_string(n);
    if (std::rename(FFileName.c_str(), aside.c_str()) == 0) {
        FLoadProblem = FmtLoadStr(kStrFileSetAside, FFileName.c_str(), why.c_str(), aside.c_str());
    } else {
        FLoadProblem = FmtLoadStr(kStrFileNotUsable, FFileName.c_str(), why.c_str(), SysErrorMessage(errno).c_str());
        FSaveDisabled = true;
    }
    std::fprintf(stderr, "kestrima: %s\n", win1252ToUtf8(FLoadProblem).c_str());
}

Store& store()
{
    // Never destroyed, so that registry objects destroyed late in the exit still find it.
    static Store* instance = new Store;
    return *instance;
}

} // namespace registry_detail

using registry_detail::store;

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
