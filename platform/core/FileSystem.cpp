// Folder entries through POSIX calls, and the drive list out of the mount table.
#include "platform/core/FileSystem.h"

#include <algorithm>
#include <cerrno>
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

// Bytes a file name may have in `folder`, as its file system says.
size_t nameLimitOf(const std::string& folder)
{
    const long limit = pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<size_t>(limit) : 255;
}

// A new file beside `path`, hidden and named so that nobody takes it for a document: ".name.XXXXXX~",
// the name cut short (at a character's start) when the whole would not fit in the folder.
// Made with the mode the umask gives; -1 with errno set when the folder takes no new file.
int createTemporary(const std::string& path, std::string& temporary, mode_t mode)
{
    static std::mt19937 random(std::random_device{}());
    static constexpr size_t kAddedBytes = std::char_traits<char>::length("..XXXXXX~");
    const std::filesystem::path place(path);
    const std::string folder = place.parent_path().string();
    std::string name = place.filename().string();
    const size_t limit = nameLimitOf(folder);
    if (name.size() + kAddedBytes > limit) {
        size_t cut = limit > kAddedBytes ? limit - kAddedBytes : 0;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    const std::string prefix = (folder.empty() ? std::string() : folder + "/") + "." + name + ".";
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = prefix;
        for (int i = 0; i < 6; ++i)
            temporary += kLetters[random() % (sizeof kLetters - 1)];
        temporary += '~';
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

void syncFolderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    int dirFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
}

// The extended attribute that holds a file's POSIX access list: a 4-byte version (2), then 8-byte
// entries of tag, permission bits (16 bits each) and user or group id (32 bits).
constexpr const char* kAccessListAttribute = "system.posix_acl_access";
constexpr uint32_t kAccessListVersion = 2;
constexpr uint16_t kAclUserObj = 0x01;

// The access list of the file at `path`: empty when it has none beyond its mode (or its file system
// keeps none); nothing when it cannot be read.
std::optional<std::string> readAccessList(const std::string& path)
{
    std::string list(256, '\0');
    // A list that grows between the look at its size and the read is looked at again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t n = getxattr(path.c_str(), kAccessListAttribute, list.data(), list.size());
        if (n >= 0) {
            list.resize(static_cast<size_t>(n));
            return list;
        }
        if (errno == ENODATA || errno == ENOTSUP)
            return std::string();
        if (errno != ERANGE)
            return std::nullopt;
        const ssize_t needed = getxattr(path.c_str(), kAccessListAttribute, nullptr, 0);
        if (needed < 0)
            return std::nullopt;
        list.assign(static_cast<size_t>(needed), '\0');
    }
    return std::nullopt;
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

// What a replaced file had, for the file that takes its name and for its backup.
struct TOldFile {
    struct stat Status {};
    // Its access list; nothing when it could not be read.
    std::optional<std::string> AccessList;
};

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

// A new file beside another, holding what is to take that file's name; removed unless it does.
class TTemporaryFile {
public:
    TTemporaryFile() = default;
    TTemporaryFile(const TTemporaryFile&) = delete;
    TTemporaryFile& operator=(const TTemporaryFile&) = delete;
    ~TTemporaryFile()
    {
        if (!FName.empty())
            unlink(FName.c_str());
    }

    // Makes the file beside `path` and puts `bytes` on the disk, with `copy`'s permissions when
    // given, else `old`'s mode, owner, group and access list when given. False with errno set;
    // Created() tells whether the folder took a new file at all.
    bool Write(const std::string& path, std::string_view bytes, const TOldFile* old,
               const TCopyPermissions* copy = nullptr)
    {
        // A file that is to be less readable than the umask allows is made so from the start: whoever
        // opened it meanwhile would keep reading it whatever mode it got afterwards.
        const int fd = createTemporary(path, FName, copy || old ? 0600 : 0666);
        FCreated = fd >= 0;
        if (!FCreated) {
            FName.clear();
            return false;
        }
        if (copy)
            applyCopyPermissions(fd, *copy);
        else if (old)
            applyOldPermissions(fd, *old);
        const bool written = writeAll(fd, bytes) && fsync(fd) == 0;
        const int savedErrno = errno;
        const bool closed = close(fd) == 0;
        errno = written ? errno : savedErrno;
        return written && closed;
    }
    // Gives the file the name `path`. False with errno set.
    bool Commit(const std::string& path)
    {
        if (std::rename(FName.c_str(), path.c_str()) != 0)
            return false;
        FName.clear();
        syncFolderOf(path);
        return true;
    }
    bool Created() const { return FCreated; }

private:
    std::string FName;
    bool FCreated = false;
};

// Rewrites the file where it is, for a folder that takes no new file; when that fails the old
// contents go back. False with errno set.
bool writeInPlace(const std::string& path, std::string_view bytes, std::string_view old, bool followLink)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
    if (fd < 0)
        return false;
    // Between the look at the name and the open another file may have taken it.
    struct stat opened {};
    if (!followLink && (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_uid != geteuid() ||
                        opened.st_nlink != 1)) {
        close(fd);
        errno = EACCES;
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
    namespace fs = std::filesystem;
    fs::path at = path;
    std::error_code ec;
    // The system gives up on a chain this long too.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat link {};
        if (lstat(at.c_str(), &link) != 0 || !S_ISLNK(link.st_mode))
            return false;
        struct stat folder {};
        if (stat(at.has_parent_path() ? at.parent_path().c_str() : ".", &folder) != 0)
            return false;
        // A folder's access list lets others write only as far as its group's bits do.
        const bool shared = (folder.st_mode & (S_IWGRP | S_IWOTH)) != 0;
        if (shared && link.st_uid != geteuid() && link.st_uid != folder.st_uid)
            return true;
        const fs::path next = fs::read_symlink(at, ec);
        if (ec)
            return false;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return false;
}

bool FileIdentityOf(const std::string& path, TFileIdentity& identity)
{
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    identity.Device = static_cast<uint64_t>(st.st_dev);
    identity.Inode = static_cast<uint64_t>(st.st_ino);
    identity.Size = static_cast<int64_t>(st.st_size);
    identity.ModifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
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
                         const TCopyPermissions* copy)
{
    outcome = TReplaceOutcome{};
    TFileSizeSignalIgnored sizeLimit;
    const bool document = kind == TReplaceKind::Document;
    const std::string target = document ? LinkTarget(fileName) : fileName;
    TOldFile oldFile;
    struct stat& old = oldFile.Status;
    bool existed = (document ? stat(target.c_str(), &old) : lstat(target.c_str(), &old)) == 0;
    if (existed && !document && !S_ISDIR(old.st_mode) &&
        !(S_ISREG(old.st_mode) && old.st_uid == geteuid() && old.st_nlink == 1)) {
        // Not this user's own file: the new file takes its name and owes it nothing, neither its
        // mode nor its contents.
        existed = false;
    }
    if (existed) {
        if (S_ISDIR(old.st_mode)) {
            error = errorText(EISDIR);
            return false;
        }
        // The owner's write bit is the file's own read-only mark, which even the superuser keeps.
        if ((old.st_mode & S_IWUSR) == 0 || access(target.c_str(), W_OK) != 0) {
            error = errorText(EACCES);
            return false;
        }
    }
    // The old contents, for the backup and for a rewrite in place that has to be undone.
    std::string oldBytes;
    const bool haveOld = existed && ReadFileBytes(target, INT64_MAX, oldBytes);
    if (existed)
        oldFile.AccessList = readAccessList(target);
    const bool wantBackup = !backupName.empty() && haveOld;
    const std::string& backupPath = backupName;
    TTemporaryFile contents;
    if (contents.Write(target, bytes, existed ? &oldFile : nullptr, copy)) {
        // The backup waits beside its name until the new contents have taken theirs: a save that
        // fails leaves the old backup too. An older backup is replaced whole, even one that is a link.
        TTemporaryFile backup;
        const bool backupReady = wantBackup && backup.Write(backupPath, oldBytes, &oldFile);
        if (!contents.Commit(target)) {
            error = errorText(errno);
            return false;
        }
        outcome.BackedUp = backupReady && backup.Commit(backupPath);
        return true;
    }
    const int code = errno;
    if (contents.Created() || (code != EACCES && code != EPERM) || !haveOld) {
        error = errorText(code);
        return false;
    }
    if (wantBackup) {
        TTemporaryFile backup;
        outcome.BackedUp = backup.Write(backupPath, oldBytes, &oldFile) && backup.Commit(backupPath);
    }
    // Whoever could read the old file may still hold it open: contents less readable than it was go
    // to a file of their own.
    if (copy && ((old.st_mode & 077 & ~static_cast<mode_t>(copy->Mode)) != 0 ||
                 !oldFile.AccessList || *oldFile.AccessList != copy->AccessList)) {
        error = errorText(EACCES);
        return false;
    }
    if (!writeInPlace(target, bytes, oldBytes, document)) {
        error = errorText(errno);
        return false;
    }
    outcome.InPlace = true;
    return true;
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
