// Folder entries with their attributes and times, and the drive list read from the mount table.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Attribute bits of a folder entry, numbered as the class library numbers them.
enum : uint32_t {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSysFile = 0x04,
    faDirectory = 0x10,
    faArchive = 0x20,
    faTemporary = 0x100,
};

// One entry of a folder. Times are seconds since the epoch (UTC).
struct TSearchRec {
    std::string Name;
    uint32_t Attr = 0;
    int64_t Size = 0;
    std::time_t Modified = 0;
    std::time_t Created = 0;
    std::time_t LastAccess = 0;
};

// The attributes a name and its permissions give here: hidden for a name starting with "." (but not
// "." and ".."), read-only when the entry is not writable, folder for a folder; system, archive and
// temporary are never set.
uint32_t AttributesOf(std::string_view name, bool isFolder, bool writable);
struct TFileIdentity;
// What ReplaceFileContents did besides writing the new contents.
struct TReplaceOutcome {
    // The file was rewritten where it is: the folder takes no new file, or the file is another
    // user's, whose owner, group, mode and access list stay as they are only on its own inode.
    bool InPlace = false;
    // A file stood at the name and was replaced.
    bool Existed = false;
    // The file existed and its old contents reached the backup file.
    bool BackedUp = false;
    // Nothing was written: the name is, or leads through, a link that another user planted
    // (IsPlantedLink), and LeftAlone names the file it leads to.
    bool Planted = false;
    std::string LeftAlone;
    // Nothing was written: the name no longer led to the file expected when it was written.
    bool Moved = false;
    // Nothing was written: the file was to be rewritten in place, which a crash could leave half
    // written, and its backup could not be made; BackupError says why. A call without a backup
    // name writes it without one.
    bool BackupFailed = false;
    std::string BackupError;
};

// Replaces the file's contents by `bytes` so that a failure, or a crash, leaves the old file as it
// was: the bytes go to a temporary file in the same folder, reach the disk and then take the file's
// name. A symbolic link keeps pointing where it did: the file it names is the one replaced. The new
// file keeps the old one's permissions, owner and group; a new file gets those the umask gives. A
// file the caller may not write (or whose owner may not) is refused. When the folder takes no new
// file, or the file is not the caller's own, the file is rewritten in place, only once its backup is
// whole on the disk (else nothing is written, see BackupFailed), and its old contents are put back if
// the rewrite fails. With a `backupName`, an existing file's old contents
// are copied there first (beside a link, a copy of the file it names). A failed save removes its
// temporary file, and a file-size limit makes it fail instead of ending the program. False with
// `error` set when the contents were not replaced.
//
// Whose file it is changes how a name already there is treated:
enum class TReplaceKind {
    // A document of the user's, as above: a link is written through to the file it names, unless
    // another user planted it (IsPlantedLink), whatever the system would do. The name is followed
    // one link at a time from its open folder, and the file is written through what was opened
    // there, so that nobody can swap the name between the look and the write; with `expected`,
    // only that file is written (a missing one when its inode is 0), else Moved is set.
    Document,
    // A file whose name the program chose itself (a preview, a report): the name is never followed.
    // Whatever else answers to it (a link, another user's file, a file with a second name) is
    // replaced by a new regular file of this user's, and the file a link named keeps its bytes; only
    // this user's own regular file is rewritten in place when the folder takes no new file.
    ProgramFile,
};
// The permissions of a copy the program makes of a user's file (a preview, a report), so that it is
// no more readable than the file: the group and the others may read it only where they may read the
// file (and the group only as the file's group), the users and groups of its access list as the
// list lets them; it is the owner's alone to write.
struct TCopyPermissions {
    // Permission bits; the umask may take more away.
    unsigned Mode = 0600;
    // The group the group's bits are for; -1 for none.
    long long Group = -1;
    // The file's access list (the system's extended attribute of a POSIX ACL) with every entry but
    // the owner's cut down to reading; empty when the file has none beyond its mode. A copy that
    // cannot carry it, or its group, is its owner's alone.
    std::string AccessList;
};
// The permissions a copy of `original` gets (links followed); owner-only for "" or a file that
// cannot be looked at, or whose access list cannot be read.
TCopyPermissions CopyPermissionsOf(const std::string& original);
// With `copy`, a ProgramFile gets those permissions, not the umask's nor those of the file it
// replaces; an own file that others could read and the copy may not is never rewritten in place.
//
// A replaced file keeps its access list and its user's extended attributes ("user.*") too, and a
// backup gets the file's, as far as their file systems take them. Every new file is made
// readable by its owner alone and is widened only once its group and access list are the ones it is
// to have, so that nobody the file excludes can open it on the way; where the group or the list
// cannot be given it, it stays its owner's alone (a folder's list for new files is the system's to
// apply to a file that did not exist).
bool ReplaceFileContents(const std::string& fileName, std::string_view bytes, std::string& error,
                         const std::string& backupName, TReplaceOutcome& outcome,
                         TReplaceKind kind = TReplaceKind::Document, const TCopyPermissions* copy = nullptr,
                         const TFileIdentity* expected = nullptr);
bool ReplaceFileContents(const std::string& fileName, std::string_view bytes, std::string& error,
                         TReplaceKind kind = TReplaceKind::Document, const TCopyPermissions* copy = nullptr);
// A folder for the files the program names itself, which only this user may enter: "kestrima/" in
// $XDG_RUNTIME_DIR when that is a folder of this user's that nobody else may enter, else
// "kestrima-<uid>/" in the temporary folder ($TMPDIR, else /tmp). The folder is made with mode 0700
// when missing, and is taken only when it is a real folder (not a link), this user's own and closed to
// the group and the others; otherwise an Exception says so. The path ends in "/".
std::string PrivateRuntimeFolder();
// Writes a file whose name the program chose itself (a preview, a report), a copy with the
// permissions `copy`, as a ProgramFile at `fileName`; where that folder takes no such file (it takes no file, or another user's file of that
// name stands in a shared folder), the same name in the private folder takes it. `fileName` becomes
// the file written. False when neither could be written, with `fileName` as it was and `error`
// saying why the first place refused it.
bool WriteProgramFile(std::string& fileName, std::string_view bytes, std::string& error,
                      const TCopyPermissions& copy);
// The file a path names once every symbolic link on its last component is followed (a link to a
// file that is missing gives that file's path), in its folder as the system resolves it (the folder's
// real path: links and ".." taken as the system takes them). The path as it stands when its folder
// does not exist.
std::string LinkTarget(const std::string& path);

// Whether a path is a symbolic link, or leads through links, that another user planted: a link in a
// folder that others may write (its group or everyone), owned neither by this user nor by the
// folder's owner. The system refuses to follow such a link in a sticky folder where
// protected_symlinks is on; no writer of this program follows one anywhere, whatever that says.
bool IsPlantedLink(const std::string& path);

// Which file a path names and how it stood when it was looked at: two names of one file (through a
// link, another spelling of the path, a hard link) give the same device and inode.
struct TFileIdentity {
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t Size = 0;
    // Last change of the contents, in nanoseconds since the epoch.
    int64_t ModifiedNs = 0;
    bool SameFile(const TFileIdentity& other) const { return Device == other.Device && Inode == other.Inode; }
    // The same file, still of the same size and time of change.
    bool operator==(const TFileIdentity&) const = default;
};
// How a name stands for a writer: followed one link at a time from the folder each link stands in,
// as ReplaceFileContents follows it, and never through a planted link.
struct TNameLook {
    enum class TKind {
        File,    // a regular file, which Identity names
        Missing, // nothing answers to the name (or to the link on it): a save makes the file
        Planted, // the name is, or leads through, a planted link (IsPlantedLink)
        Other,   // a folder or another kind of entry
        Unknown, // the state could not be read: Error says why
    } Kind = TKind::Unknown;
    // The file the name leads to, in its folder's real path: for a planted link the file it leads
    // to, which no writer touches.
    std::string LeadsTo;
    TFileIdentity Identity;
    int Error = 0;
};
TNameLook LookAtName(const std::string& path);

// What stands at `path` when it is not a regular file, in the words a message about the file uses:
// "es una carpeta, no un archivo normal", the same of a named pipe, a device or a socket, or of a symbolic link to
// one of them or to nothing at all. Empty for a regular file (or a link
// to one) and for a name nothing answers to.
std::string NotARegularFileText(const std::string& path);
// Why `path` could not be read or written, as the user is told: NotARegularFileText when the name is
// not a regular file, else the reason of the system error `code` (SysErrorMessage).
std::string FileProblemText(const std::string& path, int code);

// The identity of the regular file a path names, links followed; false when there is none.
bool FileIdentityOf(const std::string& path, TFileIdentity& identity);
// Whether two paths name one file: as the system resolves them when both exist, else as their
// absolute spellings with links on the last component followed, cleaned up.
bool SameFile(const std::string& a, const std::string& b);

// A path is writable when its owner may write it and so may the caller.
// Fills the record for one path (a symbolic link is taken for what it points to, a broken one for
// itself); false when nothing answers to the path. The record's name is the path's last component.
bool ReadEntry(const std::string& path, TSearchRec& rec);
// Calls `visit` for each entry of a folder, without "." and "..", until it returns false; false when
// it was stopped so. Entries that vanish while the folder is read are left out; a folder that cannot
// be read has none.
bool ForEachEntry(const std::string& folder, const std::function<bool(const TSearchRec&)>& visit);
// The entries of a folder, without "." and ".."; entries that vanish while the folder is read are
// left out. Empty when the folder cannot be read.
std::vector<TSearchRec> ReadFolder(const std::string& folder);

// Kinds of drive, numbered as the system numbers them.
enum TDriveKind { dkUnknown = 0, dkRemovable = 2, dkFixed = 3, dkRemote = 4, dkCDRom = 5, dkRamDisk = 6 };

// One listed drive: a mount point standing for a drive letter.
struct TDriveInfo {
    std::string Root;    // ends in "/"
    std::string Label;   // the volume label; "" when it has none
    TDriveKind Kind = dkFixed;
    std::string VolumeId; // changes when another medium is mounted on the same root
    bool operator==(const TDriveInfo&) const = default;
};

// One line of a mount table.
struct TMountEntry {
    std::string Device;
    std::string MountPoint;
    std::string FsType;
};

// Parses a mount table in the system's text form (device, mount point, type, options...; "\NNN"
// octal escapes in the fields); malformed lines are skipped.
std::vector<TMountEntry> ParseMountTable(std::string_view text);
// The kind of drive for a file system type mounted at a place: remote for network file systems,
// CD-ROM for optical ones, RAM disk for memory file systems, removable under the media folders,
// fixed otherwise.
TDriveKind DriveKindOf(std::string_view fsType, std::string_view mountPoint);
// The drive list from a mount table: the root, then the home folder (when it is not the root), then
// the volumes mounted under the media folders or from the network, by mount point. A home folder
// takes the kind and volume of the mount that holds it. `labels` maps a device to its volume label.
std::vector<TDriveInfo> DrivesFromMounts(const std::vector<TMountEntry>& mounts, const std::string& home,
                                         const std::vector<std::pair<std::string, std::string>>& labels);
// The drive list of this machine: its mount table, home folder and volume labels.
std::vector<TDriveInfo> LogicalDrives();
