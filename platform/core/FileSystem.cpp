// Folder entries through POSIX calls, and the drive list out of the mount table.
#include "platform/core/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

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
    DIR* dir = opendir(NativePath(folder).c_str());
    if (!dir)
        return true;
    std::unique_ptr<DIR, int (*)(DIR*)> closer(dir, closedir);
    std::string base = withSlash(NativePath(folder));
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
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

} // namespace

bool ReplaceFileContents(const std::string& fileName, std::string_view bytes, std::string& error,
                         const std::function<bool()>& beforeReplace)
{
    std::string target = NativePath(fileName);
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        const std::filesystem::path resolved = std::filesystem::canonical(target, ec);
        if (!ec)
            target = resolved.string();
    }
    struct stat old {};
    const bool existed = stat(target.c_str(), &old) == 0;
    std::string temporary = target + ".XXXXXX";
    int fd = mkstemp(temporary.data());
    if (fd < 0) {
        error = SysErrorMessage(errno);
        return false;
    }
    if (existed)
        fchmod(fd, old.st_mode & 07777);
    bool ok = writeAll(fd, bytes) && fsync(fd) == 0;
    int savedErrno = errno;
    ok = close(fd) == 0 && ok;
    if (!ok) {
        error = SysErrorMessage(savedErrno);
        unlink(temporary.c_str());
        return false;
    }
    if (beforeReplace && !beforeReplace()) {
        error = SysErrorMessage(ECANCELED);
        unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        error = SysErrorMessage(errno);
        unlink(temporary.c_str());
        return false;
    }
    // The rename itself is made durable by syncing the folder.
    const std::string folder = std::filesystem::path(target).parent_path().string();
    int dirFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsync(dirFd);
        close(dirFd);
    }
    return true;
}
