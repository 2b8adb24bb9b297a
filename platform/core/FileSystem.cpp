// Folder entries through POSIX calls, and the drive list out of the mount table.
#include "platform/core/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <system_error>
#include <unistd.h>

#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"

namespace {

bool startsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

std::string withSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

// The field with its "\NNN" octal escapes undone; the table writes blanks and tabs that way.
std::string unescapeField(std::string_view field)
{
    std::string out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            int value = 0;
            bool octal = true;
            for (size_t k = 1; k <= 3; ++k) {
                char c = field[i + k];
                if (c < '0' || c > '7') {
                    octal = false;
                    break;
                }
                value = value * 8 + (c - '0');
            }
            if (octal && value < 256) {
                out += static_cast<char>(value);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

// A label as the device folder names it: "\xHH" hexadecimal escapes for blanks and slashes.
std::string unescapeLabel(std::string_view name)
{
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && name[i + 1] == 'x' && HexDigitValue(name[i + 2]) >= 0 &&
            HexDigitValue(name[i + 3]) >= 0) {
            out += static_cast<char>(HexDigitValue(name[i + 2]) * 16 + HexDigitValue(name[i + 3]));
            i += 3;
            continue;
        }
        out += name[i];
    }
    return out;
}

bool isNetworkFs(std::string_view type)
{
    static const char* const kinds[] = {"nfs", "nfs4", "cifs", "smbfs", "smb3", "ncpfs", "afs", "9p", "davfs",
                                        "fuse.sshfs", "fuse.davfs2", "fuse.rclone", "sshfs", "ceph", "glusterfs"};
    return std::any_of(std::begin(kinds), std::end(kinds), [&](const char* k) { return type == k; });
}

bool isMediaPlace(std::string_view mountPoint)
{
    return startsWith(mountPoint, "/media/") || startsWith(mountPoint, "/run/media/") ||
           startsWith(mountPoint, "/mnt/");
}

std::time_t birthTime(const std::string& path, const struct stat& st)
{
#ifdef STATX_BTIME
    struct statx sx;
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME))
        return static_cast<std::time_t>(sx.stx_btime.tv_sec);
#else
    (void)path;
#endif
    // Without a birth time the last status change is the earliest time the system keeps.
    return std::min(st.st_ctim.tv_sec, st.st_mtim.tv_sec);
}

// The longest mount whose point holds the path.
const TMountEntry* mountHolding(const std::vector<TMountEntry>& mounts, const std::string& path)
{
    const TMountEntry* best = nullptr;
    std::string folder = withSlash(path);
    for (const TMountEntry& m : mounts) {
        std::string point = withSlash(m.MountPoint);
        if (startsWith(folder, point) && (!best || point.size() >= withSlash(best->MountPoint).size()))
            best = &m;
    }
    return best;
}

TDriveInfo driveOf(const std::string& root, const TMountEntry* mount,
                   const std::vector<std::pair<std::string, std::string>>& labels)
{
    TDriveInfo drive;
    drive.Root = withSlash(root);
    if (!mount)
        return drive;
    drive.Kind = DriveKindOf(mount->FsType, mount->MountPoint);
    for (const auto& [device, label] : labels)
        if (device == mount->Device)
            drive.Label = label;
    drive.VolumeId = mount->Device + "|" + mount->FsType + "|" + drive.Label;
    return drive;
}

} // namespace

uint32_t AttributesOf(std::string_view name, bool isFolder, bool writable)
{
    uint32_t attr = 0;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..")
        attr |= faHidden;
    if (!writable)
        attr |= faReadOnly;
    if (isFolder)
        attr |= faDirectory;
    return attr;
}

bool ReadEntry(const std::string& path, TSearchRec& rec)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 && lstat(path.c_str(), &st) != 0)
        return false;
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    rec.Name = ExtractFileName(trimmed);
    bool folder = S_ISDIR(st.st_mode);
    // The owner's write bit stands for the file's own read-only mark, which even the superuser sees.
    bool writable = (st.st_mode & S_IWUSR) && access(path.c_str(), W_OK) == 0;
    rec.Attr = AttributesOf(rec.Name, folder, writable);
    rec.Size = folder ? 0 : static_cast<int64_t>(st.st_size);
    rec.Modified = st.st_mtim.tv_sec;
    rec.LastAccess = st.st_atim.tv_sec;
    rec.Created = birthTime(path, st);
    return true;
}

bool ForEachEntry(const std::string& folder, const std::function<bool(const TSearchRec&)>& visit)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return true;
    std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, closedir);
    const std::string base = withSlash(folder);
    while (dirent* d = readdir(dir)) {
        std::string_view name = d->d_name;
        if (name == "." || name == "..")
            continue;
        TSearchRec rec;
        if (!ReadEntry(base + d->d_name, rec))
            continue;
        rec.Name = d->d_name;
        if (!visit(rec))
            return false;
    }
    return true;
}

std::vector<TSearchRec> ReadFolder(const std::string& folder)
{
    std::vector<TSearchRec> entries;
    ForEachEntry(folder, [&](const TSearchRec& rec) {
        entries.push_back(rec);
        return true;
    });
    return entries;
}

std::vector<TMountEntry> ParseMountTable(std::string_view text)
{
    std::vector<TMountEntry> mounts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        std::vector<std::string_view> fields;
        size_t i = 0;
        while (i < line.size() && fields.size() < 3) {
            while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
                ++i;
            size_t j = i;
            while (j < line.size() && line[j] != ' ' && line[j] != '\t')
                ++j;
            if (j > i)
                fields.push_back(line.substr(i, j - i));
            i = j;
        }
        if (fields.size() < 3 || fields[0][0] == '#')
            continue;
        TMountEntry entry{unescapeField(fields[0]), unescapeField(fields[1]), unescapeField(fields[2])};
        if (entry.MountPoint.empty() || entry.MountPoint[0] != '/')
            continue;
        mounts.push_back(std::move(entry));
    }
    return mounts;
}

TDriveKind DriveKindOf(std::string_view fsType, std::string_view mountPoint)
{
    if (isNetworkFs(fsType))
        return dkRemote;
    if (fsType == "iso9660" || fsType == "udf")
        return dkCDRom;
    if (fsType == "tmpfs" || fsType == "ramfs")
        return dkRamDisk;
    if (isMediaPlace(mountPoint))
        return dkRemovable;
    return dkFixed;
}

std::vector<TDriveInfo> DrivesFromMounts(const std::vector<TMountEntry>& mounts, const std::string& home,
                                         const std::vector<std::pair<std::string, std::string>>& labels)
{
    std::vector<TDriveInfo> drives;
    drives.push_back(driveOf("/", mountHolding(mounts, "/"), labels));
    std::string homeRoot = home.empty() ? std::string() : withSlash(home);
    if (!homeRoot.empty() && homeRoot != "/")
        drives.push_back(driveOf(homeRoot, mountHolding(mounts, homeRoot), labels));
    std::vector<TDriveInfo> volumes;
    for (const TMountEntry& m : mounts) {
        std::string root = withSlash(m.MountPoint);
        if (!isMediaPlace(root) && !isNetworkFs(m.FsType))
            continue;
        bool listed = std::any_of(drives.begin(), drives.end(), [&](const TDriveInfo& d) { return d.Root == root; }) ||
                      std::any_of(volumes.begin(), volumes.end(), [&](const TDriveInfo& d) { return d.Root == root; });
        // A later mount on the same point hides the earlier one, as the system shows it.
        if (listed) {
            for (TDriveInfo& v : volumes)
                if (v.Root == root)
                    v = driveOf(root, &m, labels);
            continue;
        }
        volumes.push_back(driveOf(root, &m, labels));
    }
    std::sort(volumes.begin(), volumes.end(), [](const TDriveInfo& a, const TDriveInfo& b) { return a.Root < b.Root; });
    drives.insert(drives.end(), volumes.begin(), volumes.end());
    return drives;
}

std::vector<TDriveInfo> LogicalDrives()
{
    std::string table;
    {
        std::ifstream in("/proc/self/mounts", std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        table = text.str();
    }
    std::vector<std::pair<std::string, std::string>> labels;
    std::error_code ec;
    const std::filesystem::path byLabel("/dev/disk/by-label");
    for (std::filesystem::directory_iterator it(byLabel, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        std::filesystem::path device = std::filesystem::canonical(it->path(), linkError);
        if (!linkError)
            labels.emplace_back(device.string(), unescapeLabel(it->path().filename().string()));
    }
    const char* home = std::getenv("HOME");
    return DrivesFromMounts(ParseMountTable(table), home ? home : "", labels);
}

namespace {

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A short write that set no error (a full disk or a size limit reached) still failed.
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

std::string errorText(int code)
{
    return SysErrorMessage(code);
}

constexpr int kAFolder = 7330;
constexpr int kANamedPipe = 7331;
constexpr int kADevice = 7332;
constexpr int kASocket = 7333;
constexpr int kASpecialFile = 7334;
constexpr int kIsNotAFile = 7335;
constexpr int kLinkToNotAFile = 7336;
constexpr int kLinkToNothing = 7337;

// The kind of a file that is not a regular one, as a noun for the messages.
std::string kindText(mode_t mode)
{
    if (S_ISDIR(mode))
        return LoadResString(kAFolder);
    if (S_ISFIFO(mode))
        return LoadResString(kANamedPipe);
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return LoadResString(kADevice);
    if (S_ISSOCK(mode))
        return LoadResString(kASocket);
    return LoadResString(kASpecialFile);
}

// A file-size limit would end the program with SIGXFSZ in the middle of a write; while this lives
// the write fails with EFBIG instead, and the save can clean up after itself.
class TFileSizeSignalIgnored {
public:
    TFileSizeSignalIgnored()
    {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        sigaction(SIGXFSZ, &ignore, &FPrevious);
    }
    ~TFileSizeSignalIgnored() { sigaction(SIGXFSZ, &FPrevious, nullptr); }
    TFileSizeSignalIgnored(const TFileSizeSignalIgnored&) = delete;
    TFileSizeSignalIgnored& operator=(const TFileSizeSignalIgnored&) = delete;

private:
    struct sigaction FPrevious {};
};

// A descriptor, closed when it goes.
class TDescriptor {
public:
    explicit TDescriptor(int fd = -1) : FFd(fd) {}
    ~TDescriptor() { reset(); }
    TDescriptor(TDescriptor&& other) noexcept : FFd(std::exchange(other.FFd, -1)) {}
    TDescriptor& operator=(TDescriptor&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.FFd, -1));
        return *this;
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int get() const { return FFd; }
    explicit operator bool() const { return FFd >= 0; }
    void reset(int fd = -1)
    {
        if (FFd >= 0)
            close(FFd);
        FFd = fd;
    }

private:
    int FFd;
};

// The folder `path` stands in, opened; -1 with errno set.
int openFolderOf(const std::string& path)
{
    const std::filesystem::path place(path);
    const std::string folder = place.has_parent_path() ? place.parent_path().string() : std::string(".");
    return open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

// A new file named after `name` in the open `folder`, hidden and named so that nobody takes it for a
// document: ".name.XXXXXX~", the name cut short (at a character's start) when the whole would not
// fit in the folder. `temporary` gets its name in the folder. Made with `mode` as the umask leaves
// it; -1 with errno set when the folder takes no new file.
int createTemporary(int folder, const std::string& name, std::string& temporary, mode_t mode)
{
    static std::mt19937 random(std::random_device{}());
    static constexpr size_t kAddedBytes = std::char_traits<char>::length("..XXXXXX~");
    std::string stem = name;
    const long limitFound = fpathconf(folder, _PC_NAME_MAX);
    const size_t limit = limitFound > 0 ? static_cast<size_t>(limitFound) : 255;
    if (stem.size() + kAddedBytes > limit) {
        size_t cut = limit > kAddedBytes ? limit - kAddedBytes : 0;
        while (cut > 0 && (static_cast<unsigned char>(stem[cut]) & 0xC0) == 0x80)
            --cut;
        stem.resize(cut);
    }
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = "." + stem + ".";
        for (int i = 0; i < 6; ++i)
            temporary += kLetters[random() % (sizeof kLetters - 1)];
        temporary += '~';
        const int fd = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// The extended attribute that holds a file's POSIX access list: a 4-byte version (2), then 8-byte
// entries of tag, permission bits (16 bits each) and user or group id (32 bits).
constexpr const char* kAccessListAttribute = "system.posix_acl_access";
constexpr uint32_t kAccessListVersion = 2;
constexpr uint16_t kAclUserObj = 0x01;

// An extended attribute's value through `get` (getxattr's or fgetxattr's call for one attribute):
// empty when the file has none, or its file system keeps none; nothing when it cannot be read.
std::optional<std::string> readAttribute(const std::function<ssize_t(char*, size_t)>& get)
{
    std::string value(256, '\0');
    // A value that grows between the look at its size and the read is looked at again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t n = get(value.data(), value.size());
        if (n >= 0) {
            value.resize(static_cast<size_t>(n));
            return value;
        }
        if (errno == ENODATA || errno == ENOTSUP)
            return std::string();
        if (errno != ERANGE)
            return std::nullopt;
        const ssize_t needed = get(nullptr, 0);
        if (needed < 0)
            return std::nullopt;
        value.assign(static_cast<size_t>(needed), '\0');
    }
    return std::nullopt;
}

// The access list of the file at `path`: empty when it has none beyond its mode (or its file system
// keeps none); nothing when it cannot be read.
std::optional<std::string> readAccessList(const std::string& path)
{
    return readAttribute([&](char* at, size_t size) { return getxattr(path.c_str(), kAccessListAttribute, at, size); });
}
std::optional<std::string> readAccessList(int fd)
{
    return readAttribute([fd](char* at, size_t size) { return fgetxattr(fd, kAccessListAttribute, at, size); });
}

// The extended attributes of the user's namespace an open file has (tags, the address it came
// from), by name; those that cannot be read are left out.
std::vector<std::pair<std::string, std::string>> readUserAttributes(int fd)
{
    std::vector<std::pair<std::string, std::string>> attributes;
    const std::optional<std::string> names =
        readAttribute([fd](char* at, size_t size) { return flistxattr(fd, at, size); });
    if (!names)
        return attributes;
    for (size_t at = 0; at < names->size();) {
        const size_t end = std::min(names->find('\0', at), names->size());
        const std::string name = names->substr(at, end - at);
        at = end + 1;
        if (!startsWith(name, "user."))
            continue;
        const std::optional<std::string> value =
            readAttribute([&](char* to, size_t size) { return fgetxattr(fd, name.c_str(), to, size); });
        if (value)
            attributes.emplace_back(name, *value);
    }
    return attributes;
}

// Gives the file exactly the access list `list` (none beyond its mode when empty: a folder's list
// for new files is then taken off again). Setting a list sets the mode's permission bits with it.
bool setAccessList(int fd, const std::string& list)
{
    if (list.empty())
        return fremovexattr(fd, kAccessListAttribute) == 0 || errno == ENODATA || errno == ENOTSUP;
    return fsetxattr(fd, kAccessListAttribute, list.data(), list.size(), 0) == 0;
}

// The list a copy carries: every entry but the owner's may at most read; the owner reads and writes.
// Nothing for a list this code does not know how to read.
std::optional<std::string> readOnlyAccessList(std::string list)
{
    if (list.empty())
        return list;
    uint32_t version = 0;
    if (list.size() < 4 || (list.size() - 4) % 8 != 0 || (std::memcpy(&version, list.data(), 4), version) != kAccessListVersion)
        return std::nullopt;
    for (size_t at = 4; at < list.size(); at += 8) {
        uint16_t tag = 0, permissions = 0;
        std::memcpy(&tag, list.data() + at, 2);
        std::memcpy(&permissions, list.data() + at + 2, 2);
        permissions = tag == kAclUserObj ? 06 : static_cast<uint16_t>(permissions & 04);
        std::memcpy(list.data() + at + 2, &permissions, 2);
    }
    return list;
}

// The process's umask, read without changing it (changing it and back would race other threads that
// make files); the narrowest one when the system does not say.
mode_t currentUmask()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8)) & 0777;
    return 077;
}

// Gives a new file, made readable by its owner alone, the permissions of a copy: its group first,
// then its list or its mode, so that it is readable by the group only once the group is right. A copy
// that cannot carry the original's group or list stays its owner's alone.
void applyCopyPermissions(int fd, const TCopyPermissions& copy)
{
    struct stat made {};
    const bool grouped = copy.Group >= 0 && fstat(fd, &made) == 0 &&
                         (static_cast<long long>(made.st_gid) == copy.Group ||
                          fchown(fd, static_cast<uid_t>(-1), static_cast<gid_t>(copy.Group)) == 0);
    if (!copy.AccessList.empty()) {
        // The list sets the mode with it; the umask is not the list's to narrow, as for a folder's.
        if (!grouped || !setAccessList(fd, copy.AccessList)) {
            setAccessList(fd, {});
            fchmod(fd, 0600);
        }
        return;
    }
    mode_t mode = static_cast<mode_t>(copy.Mode) & 0644 & ~currentUmask();
    if (!grouped)
        mode &= 0707;
    // A folder's list for new files would let in whom the original does not.
    if (!setAccessList(fd, {}))
        mode &= 0700;
    fchmod(fd, mode);
}

// The identity a file's status gives it.
TFileIdentity identityOf(const struct stat& st)
{
    return {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino), static_cast<int64_t>(st.st_size),
            static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// What a replaced file had, for the file that takes its name and for its backup.
struct TOldFile {
    struct stat Status {};
    // Its access list; nothing when it could not be read.
    std::optional<std::string> AccessList;
    // Its extended attributes of the user's namespace.
    std::vector<std::pair<std::string, std::string>> Attributes;
};

// Gives a new file of the user's the old file's extended attributes of the user's namespace; one its
// file system refuses (none kept there, or too large) is left out, and the rest of the save goes on.
void applyUserAttributes(int fd, const TOldFile& old)
{
    for (const auto& [name, value] : old.Attributes)
        fsetxattr(fd, name.c_str(), value.data(), value.size(), 0);
}

// Gives a new file, made readable by its owner alone, the old file's owner, group, access list and
// mode, in that order: it is widened only once it is whose and whose group's it is to be. Where the
// group or the list cannot be carried, it is narrowed instead: the group's bits go when the group is
// another, and a list that cannot be carried leaves it its owner's alone.
void applyOldPermissions(int fd, const TOldFile& old)
{
    const struct stat& st = old.Status;
    // Only the superuser may give a file away; a group of one's own is still kept.
    if (fchown(fd, st.st_uid, st.st_gid) != 0)
        fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    struct stat made {};
    const bool grouped = fstat(fd, &made) == 0 && made.st_gid == st.st_gid;
    mode_t mode = st.st_mode & 07777;
    if (!grouped)
        mode &= ~static_cast<mode_t>(070);
    const std::string none;
    const std::string& list = old.AccessList ? *old.AccessList : none;
    const bool carried = old.AccessList && (list.empty() || grouped) && setAccessList(fd, list);
    if (!carried) {
        setAccessList(fd, {});
        mode &= 07700;
    }
    // After the list, this only repeats its bits; a set-user or set-group bit that a change of owner
    // or list dropped goes back on.
    fchmod(fd, mode);
}

// A new file in an open folder, holding what is to take a name there; removed unless it does.
class TTemporaryFile {
public:
    explicit TTemporaryFile(TDescriptor folder) : FFolder(std::move(folder)) {}
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;
    ~TTemporaryFile()
    {
        if (!FName.empty())
            unlinkat(FFolder.get(), FName.c_str(), 0);
    }

    // Makes the file beside `name` and puts `bytes` on the disk, with `copy`'s permissions when
    // given, else `old`'s mode, owner, group, access list and user's attributes when given. False
    // with errno set; Created() tells whether the folder took a new file at all.
    bool Write(const std::string& name, std::string_view bytes, const TOldFile* old,
               const TCopyPermissions* copy = nullptr)
    {
        // A file that is to be less readable than the umask allows is made so from the start: whoever
        // opened it meanwhile would keep reading it whatever mode it got afterwards.
        const int fd = FFolder ? createTemporary(FFolder.get(), name, FName, copy || old ? 0600 : 0666) : -1;
        FCreated = fd >= 0;
        if (!FCreated) {
            FName.clear();
            return false;
        }
        if (copy) {
            applyCopyPermissions(fd, *copy);
        } else if (old) {
            // While the file is still the user's own: a user's attribute is its writer's to set.
            applyUserAttributes(fd, *old);
            applyOldPermissions(fd, *old);
        }
        const bool written = writeAll(fd, bytes) && fsync(fd) == 0;
        const int savedErrno = errno;
        const bool closed = close(fd) == 0;
        errno = written ? errno : savedErrno;
        return written && closed;
    }
    // Gives the file the name `name`, whatever has it now. False with errno set.
    bool Commit(const std::string& name)
    {
        if (renameat(FFolder.get(), FName.c_str(), FFolder.get(), name.c_str()) != 0)
            return false;
        committed();
        return true;
    }
    // Gives the file the name `name`, which nothing had when it was looked at: should something have
    // taken it since, `moved` is set and nothing is replaced. False with errno set otherwise.
    bool CommitNew(const std::string& name, bool& moved)
    {
        if (renameat2(FFolder.get(), FName.c_str(), FFolder.get(), name.c_str(), RENAME_NOREPLACE) == 0) {
            committed();
            return true;
        }
        if (errno == EEXIST) {
            moved = true;
            return false;
        }
        if (errno != EINVAL && errno != ENOSYS)
            return false;
        // A file system that cannot refuse to replace: the name is looked at once more just before.
        struct stat now {};
        if (fstatat(FFolder.get(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0) {
            moved = true;
            return false;
        }
        return Commit(name);
    }
    // Gives the file the name `name`, where the file `old` stood: the two names are exchanged and
    // the file that comes out is checked to be `old`. Should another file have taken the name since
    // it was looked at (a link put in its place), it gets its name back, nothing is replaced and
    // `moved` is set. False with errno set otherwise.
    bool CommitOver(const std::string& name, const struct stat& old, bool& moved)
    {
        if (renameat2(FFolder.get(), FName.c_str(), FFolder.get(), name.c_str(), RENAME_EXCHANGE) == 0) {
            struct stat out {};
            if (fstatat(FFolder.get(), FName.c_str(), &out, AT_SYMLINK_NOFOLLOW) == 0 && out.st_dev == old.st_dev &&
                out.st_ino == old.st_ino) {
                // The old file now has the temporary name: it goes at once, before anyone else may
                // put something there.
                unlinkat(FFolder.get(), FName.c_str(), 0);
                committed();
                return true;
            }
            renameat2(FFolder.get(), FName.c_str(), FFolder.get(), name.c_str(), RENAME_EXCHANGE);
            moved = true;
            return false;
        }
        if (errno != EINVAL && errno != ENOSYS)
            return false;
        // A file system that cannot exchange two names: the name is looked at once more just before.
        struct stat now {};
        if (fstatat(FFolder.get(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) != 0 || now.st_dev != old.st_dev ||
            now.st_ino != old.st_ino) {
            moved = true;
            return false;
        }
        return Commit(name);
    }
    bool Created() const { return FCreated; }

private:
    void committed()
    {
        FName.clear();
        fsync(FFolder.get());
    }

    TDescriptor FFolder;
    std::string FName;
    bool FCreated = false;
};

// The file a writer replaces: the folder it stands in, held open, its name there and the old file
// as opened there, without following a link.
struct TTarget {
    TDescriptor Folder;
    std::string Name;
    // The old file, opened for reading (or only for looking at it, when it may not be read).
    TDescriptor File;
    bool Exists = false;
    bool Readable = false;
    TOldFile Old;
};

// Opens the old file of `target` (its Folder and Name set) without following a link. 0 or errno;
// ELOOP when the name is a link.
int openOld(TTarget& target)
{
    // Not held up by a pipe or a device that answers to the name.
    int fd = openat(target.Folder.get(), target.Name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    target.Readable = fd >= 0;
    if (fd < 0 && errno == EACCES)
        fd = openat(target.Folder.get(), target.Name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? 0 : errno;
    target.File.reset(fd);
    if (fstat(fd, &target.Old.Status) != 0)
        return errno;
    if (S_ISLNK(target.Old.Status.st_mode))
        return ELOOP;
    target.Exists = true;
    return 0;
}

// The whole contents of an open file of about `size` bytes (a file that grows meanwhile is read to
// its end all the same).
bool readAll(int fd, std::string& bytes, off_t size)
{
    // Read straight into the string, so that a large page is neither copied twice nor regrown.
    bytes.resize(static_cast<size_t>(std::max<off_t>(size, 0)) + 1);
    size_t got = 0;
    for (;;) {
        if (got == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            bytes.resize(got);
            return n == 0;
        }
        got += static_cast<size_t>(n);
    }
}

// Rewrites the old file of `target` where it is, through a descriptor of the very file opened
// before; when that fails the old contents go back. False with errno set, or with `moved` when the
// name no longer leads to that file.
bool writeInPlace(const TTarget& target, std::string_view bytes, std::string_view old, bool& moved)
{
    const int fd = openat(target.Folder.get(), target.Name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        moved = errno == ELOOP || errno == ENOENT;
        return false;
    }
    struct stat opened {};
    if (fstat(fd, &opened) != 0 || opened.st_dev != target.Old.Status.st_dev ||
        opened.st_ino != target.Old.Status.st_ino) {
        close(fd);
        moved = true;
        return false;
    }
    const auto put = [fd](std::string_view contents) {
        return lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, contents) &&
               ftruncate(fd, static_cast<off_t>(contents.size())) == 0 && fsync(fd) == 0;
    };
    bool ok = put(bytes);
    const int savedErrno = errno;
    if (!ok)
        put(old);
    close(fd);
    errno = savedErrno;
    return ok;
}

constexpr int kPlantedLinkLeft = 7303;
constexpr int kNameTakenMeanwhile = 7304;
constexpr int kBackupFirst = 7350;

// Writes the replacement into `target`: by a new file that takes the name (`byRename`, and always for
// a file that does not exist), else, or when the folder takes no new file, in place after the
// backup. `checked`: the new file takes the name only where the old file still stands (a Document),
// else whatever has the name is replaced (a ProgramFile).
bool writeReplacement(TTarget& target, std::string_view bytes, std::string& error, const std::string& backupName,
                      TReplaceOutcome& outcome, bool byRename, bool checked, const TCopyPermissions* copy)
{
    const auto fail = [&](int code, bool moved) {
        outcome.Moved = moved;
        error = moved ? LoadResString(kNameTakenMeanwhile) : errorText(code);
        return false;
    };
    TOldFile& oldFile = target.Old;
    outcome.Existed = target.Exists;
    // The old contents, for the backup and for a rewrite in place that has to be undone: read through
    // the descriptor of the file found, only when one of them needs them.
    std::string oldBytes;
    std::optional<bool> oldRead;
    const auto haveOld = [&] {
        if (!oldRead)
            oldRead = target.Exists && target.Readable && readAll(target.File.get(), oldBytes, oldFile.Status.st_size);
        return *oldRead;
    };
    if (target.Exists) {
        oldFile.AccessList = target.Readable ? readAccessList(target.File.get()) : std::nullopt;
        if (target.Readable)
            oldFile.Attributes = readUserAttributes(target.File.get());
    }
    const bool wantBackup = !backupName.empty() && haveOld();
    const auto backupFolder = [&] { return TDescriptor(openFolderOf(backupName)); };
    const std::string backupLeaf = std::filesystem::path(backupName).filename().string();
    bool moved = false;
    if (byRename || !target.Exists) {
        TTemporaryFile contents(TDescriptor(dup(target.Folder.get())));
        if (contents.Write(target.Name, bytes, target.Exists ? &oldFile : nullptr, copy)) {
            // The backup waits beside its name until the new contents have taken theirs: a save that
            // fails leaves the old backup too. An older backup is replaced whole, even one that is a link.
            TTemporaryFile backup(wantBackup ? backupFolder() : TDescriptor());
            const bool backupReady = wantBackup && backup.Write(backupLeaf, oldBytes, &oldFile);
            const bool committed = !checked            ? contents.Commit(target.Name)
                                   : target.Exists     ? contents.CommitOver(target.Name, oldFile.Status, moved)
                                                       : contents.CommitNew(target.Name, moved);
            if (!committed)
                return fail(errno, moved);
            outcome.BackedUp = backupReady && backup.Commit(backupLeaf);
            return true;
        }
        const int code = errno;
        if (contents.Created() || (code != EACCES && code != EPERM) || !haveOld())
            return fail(code, false);
    }
    // Rewritten in place, the file cannot be put back whole after a crash: its backup comes first, on
    // the disk, or nothing is written.
    if (!haveOld())
        return fail(EACCES, false);
    if (!backupName.empty()) {
        TTemporaryFile backup(backupFolder());
        outcome.BackedUp = backup.Write(backupLeaf, oldBytes, &oldFile) && backup.Commit(backupLeaf);
        if (!outcome.BackedUp) {
            outcome.BackupFailed = true;
            outcome.BackupError = FileProblemText(backupName, errno);
            error = FmtLoadStr(kBackupFirst, FilePathText(backupName).c_str(), outcome.BackupError.c_str());
            return false;
        }
    }
    // Whoever could read the old file may still hold it open: contents less readable than it was go
    // to a file of their own.
    if (copy && ((oldFile.Status.st_mode & 077 & ~static_cast<mode_t>(copy->Mode)) != 0 || !oldFile.AccessList ||
                 *oldFile.AccessList != copy->AccessList))
        return fail(EACCES, false);
    if (!writeInPlace(target, bytes, oldBytes, moved))
        return fail(errno, moved);
    outcome.InPlace = true;
    return true;
}

// The real path of an open folder, for messages; `spelled` when the system does not say.
std::string folderPathOf(int folder, const std::string& spelled)
{
    char path[PATH_MAX];
    const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(folder)).c_str(), path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : spelled;
}

// Follows `path` one link at a time, each from the folder the link stands in, as the system would,
// but stops at a link that another user planted (`planted` set, `shown` its path): the system follows
// one itself where protected_symlinks is off or the folder is not sticky. Sets the target's Folder
// and Name, and `entry` to what stands there, not followed (`exists` false when nothing does).
// `shown` gets the path as spelled through the links. 0 or errno.
int followName(const std::string& path, TTarget& target, struct stat& entry, bool& exists, bool& planted,
               std::string& shown)
{
    namespace fs = std::filesystem;
    planted = exists = false;
    fs::path spelled = path, at = path;
    TDescriptor from;
    // The system gives up on a chain this long too.
    for (int hops = 0; hops < 40; ++hops) {
        const std::string name = spelled.filename().string();
        if (name.empty() || name == "." || name == "..")
            return EISDIR;
        const std::string folder = spelled.has_parent_path() ? spelled.parent_path().string() : std::string(".");
        target.Folder.reset(openat(from ? from.get() : AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!target.Folder)
            return errno;
        target.Name = name;
        shown = at.string();
        if (fstatat(target.Folder.get(), name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT ? 0 : errno;
        exists = true;
        if (!S_ISLNK(entry.st_mode))
            return 0;
        struct stat folderStatus {};
        if (fstat(target.Folder.get(), &folderStatus) != 0)
            return errno;
        // A folder's access list lets others write only as far as its group's bits do.
        const bool shared = (folderStatus.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        if (shared && entry.st_uid != geteuid() && entry.st_uid != folderStatus.st_uid) {
            planted = true;
            return 0;
        }
        std::string next(PATH_MAX, '\0');
        const ssize_t n = readlinkat(target.Folder.get(), name.c_str(), next.data(), next.size());
        if (n < 0)
            return errno;
        next.resize(static_cast<size_t>(n));
        spelled = next;
        at = spelled.is_absolute() ? spelled : at.parent_path() / spelled;
        from = std::move(target.Folder);
        exists = false;
    }
    return ELOOP;
}

bool replaceDocument(const std::string& fileName, std::string_view bytes, std::string& error,
                     const std::string& backupName, TReplaceOutcome& outcome, const TFileIdentity* expected)
{
    TTarget target;
    struct stat entry {};
    bool exists = false, planted = false;
    std::string shown;
    if (const int code = followName(fileName, target, entry, exists, planted, shown); code != 0) {
        error = errorText(code);
        return false;
    }
    if (planted) {
        // Whoever may write the folder chose where the link leads: to a file of the user's own.
        outcome.Planted = true;
        outcome.LeftAlone = LinkTarget(shown);
        error = FmtLoadStr(kPlantedLinkLeft, FilePathText(outcome.LeftAlone).c_str());
        return false;
    }
    const auto moved = [&] {
        outcome.Moved = true;
        error = LoadResString(kNameTakenMeanwhile);
        return false;
    };
    if (const int code = exists ? openOld(target) : 0; code != 0) {
        if (code == ELOOP)
            return moved();
        // A socket refuses to be opened at all.
        error = FileProblemText(fileName, code);
        return false;
    }
    const struct stat& old = target.Old.Status;
    if (expected && (target.Exists ? !identityOf(old).SameFile(*expected) : expected->Inode != 0))
        return moved();
    if (target.Exists) {
        if (!S_ISREG(old.st_mode)) {
            // Named as the name stands, so that a link to a folder says it is a link.
            error = FileProblemText(fileName, EINVAL);
            return false;
        }
        // The owner's write bit is the file's own read-only mark, which even the superuser keeps.
        if ((old.st_mode & S_IWUSR) == 0 || faccessat(target.Folder.get(), target.Name.c_str(), W_OK, 0) != 0) {
            error = errorText(EACCES);
            return false;
        }
    }
    // Another user's file keeps its owner, group, mode and access list only on its own inode; a new
    // file would be the user's, and a sticky folder refuses the rename anyway.
    const bool own = !target.Exists || old.st_uid == geteuid();
    return writeReplacement(target, bytes, error, backupName, outcome, own, true, nullptr);
}

bool replaceProgramFile(const std::string& fileName, std::string_view bytes, std::string& error,
                        const std::string& backupName, TReplaceOutcome& outcome, const TCopyPermissions* copy)
{
    TTarget target;
    target.Folder.reset(openFolderOf(fileName));
    target.Name = std::filesystem::path(fileName).filename().string();
    if (!target.Folder || target.Name.empty()) {
        error = errorText(target.Folder ? EISDIR : errno);
        return false;
    }
    const int code = openOld(target);
    const struct stat& old = target.Old.Status;
    if (code == 0 && target.Exists && S_ISDIR(old.st_mode)) {
        error = errorText(EISDIR);
        return false;
    }
    if (code != 0 || (target.Exists && !(S_ISREG(old.st_mode) && old.st_uid == geteuid() && old.st_nlink == 1))) {
        // Not this user's own file: the new file takes its name and owes it nothing, neither its
        // mode nor its contents.
        target.Exists = false;
    } else if (target.Exists && (old.st_mode & S_IWUSR) == 0) {
        error = errorText(EACCES);
        return false;
    }
    return writeReplacement(target, bytes, error, backupName, outcome, true, false, copy);
}

} // namespace

std::string LinkTarget(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path target = path;
    std::error_code ec;
    // The system gives up on a chain this long too; a loop ends here.
    for (int hops = 0; hops < 40 && fs::is_symlink(target, ec); ++hops) {
        const fs::path next = fs::read_symlink(target, ec);
        if (ec)
            break;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    // The folders on the way are the system's to resolve: after a link to a folder, ".." leads out of
    // the folder the link names, not back out of the link's own, so the spelling is never cleaned up.
    const fs::path name = target.filename();
    if (name.empty() || name == "." || name == "..") {
        const fs::path whole = fs::canonical(target, ec);
        return ec ? target.string() : whole.string();
    }
    const fs::path folder = fs::canonical(target.has_parent_path() ? target.parent_path() : fs::path("."), ec);
    // No folder answers: nothing can be read or written there, under any spelling.
    return ec ? target.string() : (folder / name).string();
}

bool IsPlantedLink(const std::string& path)
{
    return LookAtName(path).Kind == TNameLook::TKind::Planted;
}

TNameLook LookAtName(const std::string& path)
{
    TNameLook look;
    TTarget target;
    struct stat entry {};
    bool exists = false, planted = false;
    std::string shown;
    const int code = followName(path, target, entry, exists, planted, shown);
    using TKind = TNameLook::TKind;
    if (code == ENOENT || code == ENOTDIR) {
        // No folder answers: nothing is there, and a save says why it cannot make the file.
        look.Kind = TKind::Missing;
        look.LeadsTo = LinkTarget(path);
        return look;
    }
    if (code != 0) {
        look.Error = code;
        return look;
    }
    if (planted) {
        look.Kind = TKind::Planted;
        look.LeadsTo = LinkTarget(shown);
        return look;
    }
    look.LeadsTo = withSlash(folderPathOf(target.Folder.get(), std::filesystem::path(shown).parent_path().string())) +
                   target.Name;
    if (!exists)
        look.Kind = TKind::Missing;
    else if (!S_ISREG(entry.st_mode))
        look.Kind = TKind::Other;
    else {
        look.Kind = TKind::File;
        look.Identity = identityOf(entry);
    }
    return look;
}

std::string NotARegularFileText(const std::string& path)
{
    struct stat entry {}, followed {};
    if (path.empty() || lstat(path.c_str(), &entry) != 0)
        return {};
    if (!S_ISLNK(entry.st_mode))
        return S_ISREG(entry.st_mode) ? std::string() : FmtLoadStr(kIsNotAFile, kindText(entry.st_mode).c_str());
    // A link is named as a link, with what it leads to.
    if (stat(path.c_str(), &followed) != 0)
        return LoadResString(kLinkToNothing);
    return S_ISREG(followed.st_mode) ? std::string() : FmtLoadStr(kLinkToNotAFile, kindText(followed.st_mode).c_str());
}

std::string FileProblemText(const std::string& path, int code)
{
    const std::string kind = NotARegularFileText(path);
    return kind.empty() ? errorText(code) : kind;
}

bool FileIdentityOf(const std::string& path, TFileIdentity& identity)
{
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    identity = identityOf(st);
    return true;
}

bool SameFile(const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return false;
    TFileIdentity first, second;
    if (FileIdentityOf(a, first) && FileIdentityOf(b, second))
        return first.SameFile(second);
    // A name the system cannot resolve is compared by its spelling, cleaned up: nothing is read or
    // written through this answer, and a path that leads nowhere can only be told apart so.
    const auto spelled = [](const std::string& name) {
        return std::filesystem::path(LinkTarget(ExpandFileName(name))).lexically_normal();
    };
    return spelled(a) == spelled(b);
}

bool ReplaceFileContents(const std::string& fileName, std::string_view bytes, std::string& error,
                         TReplaceKind kind, const TCopyPermissions* copy)
{
    TReplaceOutcome outcome;
    return ReplaceFileContents(fileName, bytes, error, {}, outcome, kind, copy);
}

bool ReplaceFileContents(const std::string& fileName, std::string_view bytes, std::string& error,
                         const std::string& backupName, TReplaceOutcome& outcome, TReplaceKind kind,
                         const TCopyPermissions* copy, const TFileIdentity* expected)
{
    outcome = TReplaceOutcome{};
    TFileSizeSignalIgnored sizeLimit;
    return kind == TReplaceKind::Document ? replaceDocument(fileName, bytes, error, backupName, outcome, expected)
                                          : replaceProgramFile(fileName, bytes, error, backupName, outcome, copy);
}

namespace {

constexpr int kNoPrivateFolder = 7301;
constexpr int kFolderNotPrivate = 7302;

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Empty when `folder` is a real folder of this user's that the group and the others cannot enter;
// else why not. A link is not followed: whoever planted it would choose where the files go.
std::string whyNotPrivate(const std::string& folder)
{
    struct stat st {};
    if (lstat(folder.c_str(), &st) != 0)
        return errorText(errno);
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & 077) != 0)
        return LoadResString(kFolderNotPrivate);
    return {};
}

// The folder `folder`, made with mode 0700 when missing; throws when it is not private.
std::string privateFolderAt(const std::string& folder)
{
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        const std::string why = errorText(errno);
        throw Exception(FmtLoadStr(kNoPrivateFolder, FilePathText(folder).c_str(), why.c_str()));
    }
    const std::string why = whyNotPrivate(folder);
    if (!why.empty())
        throw Exception(FmtLoadStr(kNoPrivateFolder, FilePathText(folder).c_str(), why.c_str()));
    return folder + "/";
}

} // namespace

std::string PrivateRuntimeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') {
        const std::string folder = withoutTrailingSlashes(runtime);
        if (whyNotPrivate(folder).empty())
            return privateFolderAt(folder + "/kestrima");
    }
    std::error_code ec;
    std::string temporary = std::filesystem::temp_directory_path(ec).string();
    if (ec || temporary.empty())
        temporary = "/tmp";
    return privateFolderAt(withoutTrailingSlashes(temporary) + "/kestrima-" + std::to_string(geteuid()));
}

TCopyPermissions CopyPermissionsOf(const std::string& original)
{
    TCopyPermissions copy;
    struct stat st {};
    if (!original.empty() && stat(original.c_str(), &st) == 0) {
        const std::optional<std::string> list = readAccessList(original);
        const std::optional<std::string> readOnly = list ? readOnlyAccessList(*list) : std::nullopt;
        // A list that cannot be read or carried leaves the copy its owner's alone.
        if (!readOnly)
            return copy;
        // Others may read it as they read the original; writing it stays its owner's.
        copy.Mode = 0600 | (st.st_mode & 044);
        copy.Group = static_cast<long long>(st.st_gid);
        copy.AccessList = *readOnly;
    }
    return copy;
}

bool WriteProgramFile(std::string& fileName, std::string_view bytes, std::string& error,
                      const TCopyPermissions& copy)
{
    if (ReplaceFileContents(fileName, bytes, error, TReplaceKind::ProgramFile, &copy))
        return true;
    std::string fallback;
    try {
        fallback = PrivateRuntimeFolder() + ExtractFileName(fileName);
    } catch (const Exception&) {
        return false;
    }
    std::string fallbackError;
    if (fallback == fileName ||
        !ReplaceFileContents(fallback, bytes, fallbackError, TReplaceKind::ProgramFile, &copy))
        return false;
    fileName = fallback;
    error.clear();
    return true;
}
