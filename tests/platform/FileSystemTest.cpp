// Folder entries and their attributes, and the drive list made from a mount table.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <poll.h>
#include <sys/fanotify.h>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"
#include "support/AccessLists.h"
#include "support/EnvironmentWhile.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"
#include "support/TwoUsers.h"
#include "support/Unprivileged.h"

TEST(FileSystem, AttributesAndEntries)
{
    EXPECT_EQ(AttributesOf(".oculto", false, true), static_cast<uint32_t>(faHidden));
    EXPECT_EQ(AttributesOf("..", true, true), static_cast<uint32_t>(faDirectory));
    EXPECT_EQ(AttributesOf("a", false, false), static_cast<uint32_t>(faReadOnly));
    TempDir dir("filesystem");
    dir.file("a.txt", "12345");
    std::string ro = dir.file(".b", "");
    chmod(ro.c_str(), 0444);
    std::filesystem::create_directory(dir.path / "sub");
    std::vector<TSearchRec> entries = ReadFolder(dir.path.string());
    ASSERT_EQ(entries.size(), 3u);
    for (const TSearchRec& rec : entries) {
        if (rec.Name == "a.txt") {
            EXPECT_EQ(rec.Attr, 0u);
            EXPECT_EQ(rec.Size, 5);
            EXPECT_GT(rec.Modified, 0);
        } else if (rec.Name == ".b") {
            EXPECT_EQ(rec.Attr, static_cast<uint32_t>(faHidden | faReadOnly));
        } else {
            EXPECT_EQ(rec.Name, "sub");
            EXPECT_EQ(rec.Attr, static_cast<uint32_t>(faDirectory));
            EXPECT_EQ(rec.Size, 0);
        }
    }
    int seen = 0;
    EXPECT_FALSE(ForEachEntry(dir.path.string(), [&](const TSearchRec&) { return ++seen < 2; }));
    EXPECT_EQ(seen, 2);
    EXPECT_TRUE(ReadFolder(dir.path.string() + "/missing").empty());
    TSearchRec rec;
    EXPECT_TRUE(ReadEntry(dir.path.string() + "/sub/", rec));
    EXPECT_EQ(rec.Name, "sub");
    EXPECT_FALSE(ReadEntry(dir.path.string() + "/missing", rec));
    // Names that spell no text answer as well; a folder is no program, nor is a file without its mode.
    const std::string latin = dir.file("caf\xE9", "#!/bin/sh\n");
    EXPECT_TRUE(PathExists(latin));
    EXPECT_TRUE(PathExists(dir.path.string() + "/sub"));
    EXPECT_FALSE(PathExists(dir.path.string() + "/missing"));
    EXPECT_FALSE(IsExecutableFile(latin));
    chmod(latin.c_str(), 0755);
    EXPECT_TRUE(IsExecutableFile(latin));
    EXPECT_FALSE(IsExecutableFile(dir.path.string() + "/sub"));
}

TEST(FileSystem, DriveListFromAMountTable)
{
    const std::string table =
        "proc /proc proc rw 0 0\n"
        "/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sda2 /home ext4 rw 0 0\n"
        "/dev/sdb1 /media/ana/MI\\040USB vfat rw 0 0\n"
        "server:/x /srv/red nfs4 rw 0 0\n"
        "/dev/sr0 /run/media/ana/CD iso9660 ro 0 0\n"
        "tmpfs /mnt/ram tmpfs rw 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "broken-line\n"
        "\n"
        "/dev/sdc1 relative ext4 rw 0 0\n"
        "/dev/sdd1 /mnt/disco ext4";
    std::vector<TMountEntry> mounts = ParseMountTable(table);
    ASSERT_EQ(mounts.size(), 9u);
    EXPECT_EQ(mounts[3].MountPoint, "/media/ana/MI USB");
    std::vector<TDriveInfo> drives = DrivesFromMounts(mounts, "/home/ana", {{"/dev/sdb1", "MI USB"}, {"/dev/sda1", "Sistema"}});
    std::vector<std::string> roots;
    for (const TDriveInfo& d : drives)
        roots.push_back(d.Root);
    EXPECT_EQ(roots, (std::vector<std::string>{"/", "/home/ana/", "/media/ana/MI USB/", "/mnt/disco/", "/mnt/ram/",
                                               "/run/media/ana/CD/", "/srv/red/"}));
    EXPECT_EQ(drives[0].Label, "Sistema");
    EXPECT_EQ(drives[0].Kind, dkFixed);
    EXPECT_EQ(drives[1].Kind, dkFixed);
    EXPECT_NE(drives[1].VolumeId, drives[0].VolumeId); // the home folder's own partition
    EXPECT_EQ(drives[2].Kind, dkRemovable);
    EXPECT_EQ(drives[2].Label, "MI USB");
    EXPECT_EQ(drives[3].Kind, dkRemovable);
    EXPECT_EQ(drives[4].Kind, dkRamDisk);
    EXPECT_EQ(drives[5].Kind, dkCDRom);
    EXPECT_EQ(drives[6].Kind, dkRemote);
    // A home folder that is the root is not listed twice.
    EXPECT_EQ(DrivesFromMounts(mounts, "/", {}).size(), drives.size() - 1);
    EXPECT_EQ(DriveKindOf("cifs", "/media/x"), dkRemote);
    EXPECT_EQ(DriveKindOf("ext4", "/data"), dkFixed);
    // Every truncation of the table parses without harm.
    for (size_t n = 0; n <= table.size(); ++n)
        EXPECT_LE(ParseMountTable(table.substr(0, n)).size(), mounts.size());
    // This machine's list starts with the root.
    std::vector<TDriveInfo> here = LogicalDrives();
    ASSERT_FALSE(here.empty());
    EXPECT_EQ(here[0].Root, "/");
}

namespace {

std::string contentsOf(const std::filesystem::path& path)
{
    return ReadFileBytes(path.string());
}

mode_t modeOf(const std::filesystem::path& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// The folder's entries, for a check that nothing was left behind.
std::vector<std::string> namesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const TSearchRec& rec : ReadFolder(folder.string()))
        names.push_back(rec.Name);
    std::sort(names.begin(), names.end());
    return names;
}

// Gives the folder and everything in it to the user nobody, so that a child running as nobody
// meets only the permissions the test sets.
void giveToNobody(const std::filesystem::path& folder)
{
    if (geteuid() != 0)
        return;
    bool given = chown(folder.c_str(), kNobody, kNobody) == 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        given = lchown(entry.path().c_str(), kNobody, kNobody) == 0 && given;
    ASSERT_TRUE(given);
}

} // namespace

TEST(ReplaceFileContents, ALinkIsWrittenThroughAndItsBackupIsACopyBesideIt)
{
    TempDir dir("replace");
    std::filesystem::create_directory(dir.path / "real");
    dir.file("real/index.htm", "primero");
    std::filesystem::create_symlink("real/index.htm", dir.path / "index.htm");
    const std::string link = (dir.path / "index.htm").string();
    const std::string backup = (dir.path / "index.~tm").string();
    for (const char* text : {"segundo", "tercero"}) {
        const std::string before = contentsOf(dir.path / "real/index.htm");
        std::string error;
        TReplaceOutcome outcome;
        ASSERT_TRUE(ReplaceFileContents(link, text, error, backup, outcome)) << error;
        EXPECT_TRUE(outcome.BackedUp);
        EXPECT_FALSE(outcome.InPlace);
        // The link stays a link to the same file, which holds the new text.
        ASSERT_TRUE(std::filesystem::is_symlink(link));
        EXPECT_EQ(std::filesystem::read_symlink(link), "real/index.htm");
        EXPECT_EQ(contentsOf(dir.path / "real/index.htm"), text);
        // The backup is a file of its own beside the link, with the text before this save.
        EXPECT_FALSE(std::filesystem::is_symlink(backup));
        EXPECT_EQ(contentsOf(backup), before);
    }
    EXPECT_EQ(namesIn(dir.path), (std::vector<std::string>{"index.htm", "index.~tm", "real"}));
    EXPECT_EQ(namesIn(dir.path / "real"), (std::vector<std::string>{"index.htm"}));
    // A link to a file that is not there yet makes that file.
    std::filesystem::create_symlink("real/nuevo.htm", dir.path / "nuevo.htm");
    std::string error;
    ASSERT_TRUE(ReplaceFileContents((dir.path / "nuevo.htm").string(), "hola", error));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path / "nuevo.htm"));
    EXPECT_EQ(contentsOf(dir.path / "real/nuevo.htm"), "hola");
    EXPECT_EQ(LinkTarget((dir.path / "nuevo.htm").string()), (dir.path / "real/nuevo.htm").string());
}

TEST(ReplaceFileContents, ALinkWhosePathClimbsOutOfALinkedFolderWritesTheFileTheSystemOpens)
{
    // s/lnk is a link to o/deep, and s/alias.html a link to "lnk/../index.html": the system opens
    // o/index.html through it, whatever the text "lnk/.." seems to cancel.
    TempDir dir("climb");
    std::filesystem::create_directories(dir.path / "o/deep");
    std::filesystem::create_directory(dir.path / "s");
    const std::string other = dir.file("o/index.html", "otro");
    const std::string own = dir.file("s/index.html", "propio");
    std::filesystem::create_symlink("../o/deep", dir.path / "s/lnk");
    std::filesystem::create_symlink("lnk/../index.html", dir.path / "s/alias.html");
    const std::string alias = (dir.path / "s/alias.html").string();
    const std::string through = (dir.path / "s/lnk/../index.html").string();
    const std::string real = std::filesystem::canonical(other).string();
    EXPECT_EQ(LinkTarget(alias), real);
    EXPECT_EQ(LinkTarget(through), real);
    EXPECT_TRUE(SameFile(alias, other));
    EXPECT_TRUE(SameFile(through, other));
    EXPECT_FALSE(SameFile(through, own));
    std::string error;
    ASSERT_TRUE(ReplaceFileContents(alias, "nuevo", error)) << error;
    ASSERT_TRUE(ReplaceFileContents(through, "nuevo 2", error)) << error;
    EXPECT_EQ(contentsOf(other), "nuevo 2");
    EXPECT_EQ(contentsOf(own), "propio");
    EXPECT_TRUE(std::filesystem::is_symlink(alias));
    // A folder that does not exist leaves the spelling as it is: nothing is there to resolve.
    EXPECT_EQ(LinkTarget((dir.path / "nada/../x.htm").string()), (dir.path / "nada/../x.htm").string());
}

TEST(ReplaceFileContents, AProgramFileNeverWritesThroughWhatAnswersToItsName)
{
    TempDir dir("replace");
    std::filesystem::create_directory(dir.path / "site");
    const std::string secret = dir.file("secret", "ssh-rsa AAAA");
    chmod(secret.c_str(), 0600);
    const std::string preview = (dir.path / "site/tempHTML.htm").string();
    std::filesystem::create_symlink("../secret", preview);
    const auto isPlainFileOfOurs = [](const std::string& path) {
        struct stat st {};
        return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == geteuid() && st.st_nlink == 1;
    };
    std::string error;
    ASSERT_TRUE(ReplaceFileContents(preview, "<p>page</p>", error, TReplaceKind::ProgramFile)) << error;
    EXPECT_TRUE(isPlainFileOfOurs(preview));
    EXPECT_EQ(contentsOf(preview), "<p>page</p>");
    EXPECT_EQ(contentsOf(secret), "ssh-rsa AAAA");
    // The new file owes the link's file nothing, not even its mode.
    const mode_t mask = umask(0);
    umask(mask);
    struct stat st {};
    ASSERT_EQ(stat(preview.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask);
    // A second name of another file: that file keeps its bytes.
    std::filesystem::remove(preview);
    ASSERT_EQ(link(secret.c_str(), preview.c_str()), 0);
    ASSERT_TRUE(ReplaceFileContents(preview, "otra", error, TReplaceKind::ProgramFile)) << error;
    EXPECT_EQ(contentsOf(secret), "ssh-rsa AAAA");
    EXPECT_TRUE(isPlainFileOfOurs(preview));
    EXPECT_EQ(contentsOf(preview), "otra");
    // A link to a file that is not there makes no file there.
    std::filesystem::remove(preview);
    std::filesystem::create_symlink("../planted", preview);
    ASSERT_TRUE(ReplaceFileContents(preview, "x", error, TReplaceKind::ProgramFile)) << error;
    EXPECT_FALSE(std::filesystem::exists(dir.path / "planted"));
    EXPECT_TRUE(isPlainFileOfOurs(preview));
    // A folder in its place is refused.
    std::filesystem::remove(preview);
    std::filesystem::create_directory(preview);
    EXPECT_FALSE(ReplaceFileContents(preview, "x", error, TReplaceKind::ProgramFile));
    EXPECT_EQ(error, SysErrorMessage(EISDIR));
    EXPECT_EQ(namesIn(dir.path / "site"), (std::vector<std::string>{"tempHTML.htm"}));
    if (geteuid() == 0) {
        // Another user's file in a folder of ours is replaced, not rewritten: its owner's bytes stay
        // on their own inode, and the name is ours.
        std::filesystem::remove(preview);
        WriteFileBytes(preview, "de nobody");
        ASSERT_EQ(chown(preview.c_str(), kNobody, kNobody), 0);
        const std::string keep = (dir.path / "keep").string();
        ASSERT_EQ(link(preview.c_str(), keep.c_str()), 0);
        ASSERT_TRUE(ReplaceFileContents(preview, "nuevo", error, TReplaceKind::ProgramFile)) << error;
        EXPECT_EQ(contentsOf(keep), "de nobody");
        EXPECT_TRUE(isPlainFileOfOurs(preview));
    }
}

TEST(ReplaceFileContents, ANewFileGetsTheUmasksModeAndAnOldOneKeepsItsOwn)
{
    TempDir dir("replace");
    const mode_t previous = umask(022);
    std::string error;
    const std::string fresh = (dir.path / "nuevo.htm").string();
    EXPECT_TRUE(ReplaceFileContents(fresh, "a", error));
    EXPECT_EQ(modeOf(fresh), 0644u);
    umask(027);
    const std::string other = (dir.path / "otro.htm").string();
    EXPECT_TRUE(ReplaceFileContents(other, "a", error));
    EXPECT_EQ(modeOf(other), 0640u);
    umask(previous);
    chmod(fresh.c_str(), 0664);
    EXPECT_TRUE(ReplaceFileContents(fresh, "b", error));
    EXPECT_EQ(modeOf(fresh), 0664u);
    EXPECT_EQ(contentsOf(fresh), "b");
    // The superuser saving another user's page leaves it that user's.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(fresh.c_str(), kNobody, kNobody), 0);
        EXPECT_TRUE(ReplaceFileContents(fresh, "c", error));
        struct stat st {};
        stat(fresh.c_str(), &st);
        EXPECT_EQ(st.st_uid, kNobody);
        EXPECT_EQ(st.st_gid, kNobody);
        EXPECT_EQ(modeOf(fresh), 0664u);
    }
    // A folder is never replaced by a file.
    std::filesystem::create_directory(dir.path / "carpeta");
    EXPECT_FALSE(ReplaceFileContents((dir.path / "carpeta").string(), "x", error));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path / "carpeta"));
}

TEST(ReplaceFileContents, AnOrdinaryUserCannotReplaceAReadOnlyFile)
{
    TempDir dir("replace");
    const std::string page = dir.file("page.htm", "original");
    chmod(page.c_str(), 0444);
    giveToNobody(dir.path);
    const TUnprivilegedRun run = RunUnprivileged([&]() -> std::string {
        std::string error;
        TReplaceOutcome outcome;
        if (ReplaceFileContents(page, "nuevo", error, (dir.path / "page.~tm").string(), outcome))
            return "a read-only file was replaced";
        if (error != SysErrorMessage(EACCES))
            return "the reason given was " + error;
        return "";
    });
    if (run.Skipped)
        GTEST_SKIP() << run.Failure;
    EXPECT_EQ(run.Failure, "");
    EXPECT_EQ(contentsOf(page), "original");
    EXPECT_EQ(modeOf(page), 0444u);
    EXPECT_EQ(namesIn(dir.path), (std::vector<std::string>{"page.htm"}));
}

TEST(ReplaceFileContents, AWritableFileInAClosedFolderIsRewrittenInPlace)
{
    TempDir dir("replace");
    const std::string page = dir.file("page.htm", "contenido anterior, bastante largo");
    chmod(page.c_str(), 0644);
    giveToNobody(dir.path);
    chmod(dir.path.c_str(), 0555);
    const TUnprivilegedRun run = RunUnprivileged([&]() -> std::string {
        std::string error;
        TReplaceOutcome outcome;
        // The backup cannot go beside it: nothing is written until the caller drops the backup.
        if (ReplaceFileContents(page, "corto", error, (dir.path / "page.~tm").string(), outcome))
            return "rewritten in place without its backup";
        if (!outcome.BackupFailed || outcome.BackupError != SysErrorMessage(EACCES) || outcome.InPlace)
            return "the outcome does not say the backup failed: " + outcome.BackupError;
        if (contentsOf(page) != "contenido anterior, bastante largo")
            return "written before the backup was given up";
        if (!ReplaceFileContents(page, "corto", error, {}, outcome))
            return "not written: " + error;
        if (!outcome.InPlace || outcome.BackedUp || outcome.BackupFailed)
            return "the outcome does not say it was written in place without a backup";
        return "";
    });
    chmod(dir.path.c_str(), 0755);
    if (run.Skipped)
        GTEST_SKIP() << run.Failure;
    EXPECT_EQ(run.Failure, "");
    EXPECT_EQ(contentsOf(page), "corto");
    EXPECT_EQ(namesIn(dir.path), (std::vector<std::string>{"page.htm"}));
}

TEST(ReplaceFileContents, ASaveStoppedByTheFileSizeLimitLeavesNothingBehind)
{
    TempDir dir("replace");
    const std::string page = dir.file("page.htm", "anterior");
    const std::string backup = dir.file("page.~tm", "copia anterior");
    giveToNobody(dir.path);
    const std::string big(64 * 1024, 'x');
    const TUnprivilegedRun run = RunUnprivileged([&]() -> std::string {
        rlimit limit{4096, 4096};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return "no file-size limit";
        std::string error;
        TReplaceOutcome outcome;
        if (ReplaceFileContents(page, big, error, backup, outcome))
            return "a file past the limit was written";
        if (error != SysErrorMessage(EFBIG))
            return "the reason given was " + error;
        return "";
    });
    if (run.Skipped)
        GTEST_SKIP() << run.Failure;
    EXPECT_EQ(run.Failure, "");
    // The file and its backup are as they were, and nothing else is there.
    EXPECT_EQ(contentsOf(page), "anterior");
    EXPECT_EQ(contentsOf(backup), "copia anterior");
    EXPECT_EQ(namesIn(dir.path), (std::vector<std::string>{"page.htm", "page.~tm"}));

    // In a closed folder the rewrite in place fails the same way and puts the old text back.
    chmod(dir.path.c_str(), 0555);
    const TUnprivilegedRun inPlace = RunUnprivileged([&]() -> std::string {
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::string error;
        TReplaceOutcome outcome;
        return ReplaceFileContents(page, big, error, {}, outcome) ? "written past the limit" : "";
    });
    chmod(dir.path.c_str(), 0755);
    EXPECT_EQ(inPlace.Failure, "");
    EXPECT_EQ(contentsOf(page), "anterior");
}

TEST(WriteProgramFile, ACopyIsNoMoreReadableThanItsOriginalWhateverTheUmask)
{
    TempDir dir("copy");
    const mode_t previous = umask(022);
    const auto copyOf = [&](const std::string& original, const std::string& bytes = "copia") {
        std::string copy = (dir.path / "tempHTML.htm").string(), error;
        EXPECT_TRUE(WriteProgramFile(copy, bytes, error, CopyPermissionsOf(original))) << error;
        EXPECT_EQ(copy, (dir.path / "tempHTML.htm").string());
        return modeOf(copy);
    };
    const std::string page = dir.file("nominas.html", "n");
    // Others read the copy only as they read the page; writing it stays its owner's. The copy that
    // was there is replaced, its mode with it.
    for (const auto& [mode, wanted] : {std::pair<mode_t, mode_t>{0600, 0600}, {0644, 0644}, {0400, 0600},
                                      {0604, 0604}, {0666, 0644}, {0755, 0644}, {0600, 0600}}) {
        chmod(page.c_str(), mode);
        EXPECT_EQ(copyOf(page), wanted) << std::oct << mode;
    }
    // An untitled page's copy, or one of a page that is gone, is its user's alone.
    EXPECT_EQ(copyOf(""), 0600u);
    EXPECT_EQ(copyOf((dir.path / "nada.html").string()), 0600u);
    // The umask can take more away, never give.
    chmod(page.c_str(), 0644);
    umask(077);
    EXPECT_EQ(copyOf(page), 0600u);
    umask(previous);
    // The group's bits are for the page's group.
    if (geteuid() == 0) {
        chmod(page.c_str(), 0640);
        ASSERT_EQ(chown(page.c_str(), 0, kNobody), 0);
        umask(022);
        EXPECT_EQ(copyOf(page), 0640u);
        umask(previous);
        struct stat st {};
        ASSERT_EQ(stat((dir.path / "tempHTML.htm").c_str(), &st), 0);
        EXPECT_EQ(st.st_gid, kNobody);
    }
}

TEST(WriteProgramFile, ACopyThatMayNotTakeTheOldCopysReadersIsNeverWrittenInPlace)
{
    TempDir dir("copy");
    std::filesystem::create_directory(dir.path / "closed");
    std::filesystem::create_directory(dir.path / "open");
    const std::string page = dir.file("closed/nominas.html", "n");
    const std::string old = dir.file("closed/tempHTML.htm", "antigua");
    const std::string grouped = dir.file("open/grupo.html", "g");
    chmod(page.c_str(), 0600);
    chmod(old.c_str(), 0644);
    giveToNobody(dir.path);
    // A page of a group its owner is not in: the copy cannot be that group's.
    const bool otherGroup = geteuid() == 0 && chown(grouped.c_str(), kNobody, 0) == 0;
    chmod(grouped.c_str(), 0640);
    chmod((dir.path / "closed").c_str(), 0555);
    const TUnprivilegedRun run = RunUnprivileged([&]() -> std::string {
        umask(022);
        std::string copy = old, error;
        // Whoever opened the old copy could still read the page's text through it.
        const TCopyPermissions permissions = CopyPermissionsOf(page);
        if (ReplaceFileContents(copy, "secreto", error, TReplaceKind::ProgramFile, &permissions))
            return "the old copy was rewritten in place";
        if (error != SysErrorMessage(EACCES))
            return "the reason given was " + error;
        // A page as readable as the old copy may be written there.
        chmod(page.c_str(), 0644);
        const TCopyPermissions readable = CopyPermissionsOf(page);
        if (!ReplaceFileContents(copy, "abierta", error, TReplaceKind::ProgramFile, &readable))
            return "a copy as readable as the old one was refused: " + error;
        std::string grouping = (dir.path / "open/tempHTML.htm").string();
        if (!WriteProgramFile(grouping, "g", error, CopyPermissionsOf(grouped)))
            return "no copy of the group's page: " + error;
        struct stat st {};
        stat(grouping.c_str(), &st);
        if (otherGroup && (st.st_mode & 077) != 0)
            return "the copy is readable by a group that is not the page's";
        return "";
    });
    chmod((dir.path / "closed").c_str(), 0755);
    if (run.Skipped)
        GTEST_SKIP() << run.Failure;
    EXPECT_EQ(run.Failure, "");
    EXPECT_EQ(contentsOf(old), "abierta");
}

namespace {

// Users and groups that own nothing here; an access list names them by number.
constexpr uid_t kExcludedUser = 54321;
constexpr uid_t kGrantedUser = 54322;
constexpr gid_t kOwnGroup = 54330;
constexpr gid_t kPageGroup = 54331;
constexpr uid_t kColleague = 54332;

const std::string kDenyingList = ListExcluding(kExcludedUser);
const std::string kGrantingList = ListGranting(kGrantedUser);

// A folder others may enter, with a page readable by all but one user and a page closed to all but its
// owner and one user; `Kept` is false where the file system keeps no access lists.
struct TClosedPages {
    TempDir Dir{"acl"};
    std::string Denied = Dir.file("page.html", "antes");
    std::string Granted = Dir.file("nominas.html", "antes");
    bool Kept = false;
    TClosedPages()
    {
        chmod(Dir.path.c_str(), 0755);
        chmod(Denied.c_str(), 0644);
        chmod(Granted.c_str(), 0600);
        Kept = SetAccessList(Denied, kDenyingList) && SetAccessList(Granted, kGrantingList);
    }
};

// What getfacl shows of a file, without its name; empty when the tool is not installed.
std::string getfaclOf(const std::string& path)
{
    if (std::system("command -v getfacl >/dev/null 2>&1") != 0)
        return {};
    std::string shown;
    FILE* pipe = popen(("getfacl --omit-header -n '" + path + "' 2>/dev/null").c_str(), "r");
    if (!pipe)
        return {};
    char buffer[256];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        shown.append(buffer, n);
    pclose(pipe);
    return shown;
}

// Whether `user` (of a group of its own) may read the file; true when no other user can be played,
// so that only a check that could be made fails.
bool closedTo(uid_t user, const std::string& path)
{
    const std::optional<bool> readable = ReadableAs(user, user, path);
    return !readable.value_or(false);
}
bool openTo(uid_t user, const std::string& path)
{
    return ReadableAs(user, user, path).value_or(true);
}

} // namespace

TEST(ReplaceFileContents, ASaveKeepsThePagesAccessListAndSoDoesItsBackup)
{
    TClosedPages pages;
    if (!pages.Kept)
        GTEST_SKIP() << "the file system keeps no access lists";
    const TempDir& dir = pages.Dir;
    const std::string &denied = pages.Denied, &granted = pages.Granted;
    for (const auto& [page, list] : {std::pair{denied, kDenyingList}, std::pair{granted, kGrantingList}}) {
        const mode_t mode = modeOf(page);
        const std::string shown = getfaclOf(page);
        const std::string backup = ChangeFileExt(page, ".~tml");
        std::string error;
        TReplaceOutcome outcome;
        ASSERT_TRUE(ReplaceFileContents(page, "despu\xC3\xA9s", error, backup, outcome)) << error;
        ASSERT_TRUE(outcome.BackedUp);
        EXPECT_EQ(contentsOf(backup), "antes");
        for (const std::string& saved : {page, backup}) {
            EXPECT_EQ(AccessListOf(saved), list) << saved;
            EXPECT_EQ(modeOf(saved), mode) << saved;
            EXPECT_EQ(getfaclOf(saved), shown) << saved;
        }
        // A second save replaces the backup, which keeps the list too.
        ASSERT_TRUE(ReplaceFileContents(page, "otra vez", error, backup, outcome)) << error;
        EXPECT_EQ(AccessListOf(backup), list);
    }
    const std::string backupOfDenied = ChangeFileExt(denied, ".~tml");
    const std::string backupOfGranted = ChangeFileExt(granted, ".~tml");
    EXPECT_TRUE(closedTo(kExcludedUser, denied));
    EXPECT_TRUE(closedTo(kExcludedUser, backupOfDenied));
    EXPECT_TRUE(openTo(kGrantedUser, denied));
    EXPECT_TRUE(openTo(kGrantedUser, granted));
    EXPECT_TRUE(openTo(kGrantedUser, backupOfGranted));
    EXPECT_TRUE(closedTo(kExcludedUser, granted));
    // A page without a list keeps none in a folder whose new files get one; a new file gets the
    // folder's, as the system gives it.
    const std::string folderList = AccessListBytes({{kAclUserObj, 7}, {kAclUser, 4, kExcludedUser}, {kAclGroupObj, 5},
                                                    {kAclMask, 5}, {kAclOther, 0}});
    const std::string plain = dir.file("plain.html", "antes");
    chmod(plain.c_str(), 0600);
    ASSERT_TRUE(SetAccessList(dir.path.string(), folderList, "system.posix_acl_default"));
    std::string error;
    ASSERT_TRUE(ReplaceFileContents(plain, "despu\xC3\xA9s", error)) << error;
    EXPECT_EQ(AccessListOf(plain), "");
    EXPECT_EQ(modeOf(plain), 0600u);
    EXPECT_TRUE(closedTo(kExcludedUser, plain));
    const std::string fresh = (dir.path / "nueva.html").string();
    ASSERT_TRUE(ReplaceFileContents(fresh, "nueva", error)) << error;
    EXPECT_NE(AccessListOf(fresh), "");
    EXPECT_TRUE(openTo(kExcludedUser, fresh));
}

TEST(WriteProgramFile, ACopyCarriesItsPagesAccessListReadOnlyOrIsItsOwnersAlone)
{
    TClosedPages pages;
    if (!pages.Kept)
        GTEST_SKIP() << "the file system keeps no access lists";
    const TempDir& dir = pages.Dir;
    const std::string &denied = pages.Denied, &granted = pages.Granted;
    const auto copyOf = [&](const std::string& page, const std::string& name) {
        std::string copy = (dir.path / name).string(), error;
        EXPECT_TRUE(WriteProgramFile(copy, "copia", error, CopyPermissionsOf(page))) << error;
        EXPECT_EQ(copy, (dir.path / name).string());
        return copy;
    };
    for (const char* name : {"tempHTML.htm", "tmpInforme.htm"}) {
        const std::string ofDenied = copyOf(denied, name);
        EXPECT_EQ(AccessListOf(ofDenied), kDenyingList);
        EXPECT_EQ(modeOf(ofDenied), 0644u);
        EXPECT_TRUE(closedTo(kExcludedUser, ofDenied));
        // The one user the page lets write may read its copy, never write it.
        const std::string ofGranted = copyOf(granted, name);
        EXPECT_EQ(AccessListOf(ofGranted),
                  AccessListBytes({{kAclUserObj, 6}, {kAclUser, 4, kGrantedUser}, {kAclGroupObj, 0}, {kAclMask, 4},
                                   {kAclOther, 0}}));
        EXPECT_EQ(modeOf(ofGranted), 0640u);
        EXPECT_TRUE(openTo(kGrantedUser, ofGranted));
        EXPECT_TRUE(closedTo(kExcludedUser, ofGranted));
    }
    // A folder's list for new files lets nobody into the copy of a page without one.
    const std::string plain = dir.file("plain.html", "p");
    chmod(plain.c_str(), 0640);
    ASSERT_TRUE(SetAccessList(dir.path.string(),
                              AccessListBytes({{kAclUserObj, 7}, {kAclUser, 7, kExcludedUser}, {kAclGroupObj, 5},
                                               {kAclMask, 7}, {kAclOther, 5}}),
                              "system.posix_acl_default"));
    const std::string ofPlain = copyOf(plain, "tempHTML.htm");
    EXPECT_EQ(AccessListOf(ofPlain), "");
    EXPECT_TRUE(closedTo(kExcludedUser, ofPlain));
    // A copy that cannot be of the page's group cannot carry its list: it is its owner's alone.
    if (geteuid() != 0)
        return;
    giveToNobody(dir.path);
    ASSERT_EQ(chown(denied.c_str(), kNobody, kPageGroup), 0);
    const TUnprivilegedRun run = RunUnprivileged([&]() -> std::string {
        std::string copy = (dir.path / "tmpInforme.htm").string(), error;
        if (!WriteProgramFile(copy, "informe", error, CopyPermissionsOf(denied)))
            return "no copy: " + error;
        if (modeOf(copy) != 0600 || !AccessListOf(copy).empty())
            return "the copy is not its owner's alone";
        return "";
    });
    EXPECT_EQ(run.Failure, "");
}

TEST(WriteProgramFile, ANewFileIsReadableByNoGroupWhenItIsMade)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can play two users and watch files being made";
    // The watcher is told of every file opened in the folder, a new one as it is made, and the
    // maker waits until the watcher has looked.
    const int watch = fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC, O_RDONLY | O_LARGEFILE);
    if (watch < 0)
        GTEST_SKIP() << "no file access notification here: " << std::strerror(errno);
    const TScopeGuard closeWatch([watch] { close(watch); });
    TempDir dir("watch");
    chmod(dir.path.c_str(), 0755);
    const std::filesystem::path site = dir.path / "sitio";
    std::filesystem::create_directory(site);
    const std::string page = dir.file("sitio/page.html", "texto de la p\xC3\xA1gina");
    // The page is its group's to read: a group the maker is in, beside its own.
    ASSERT_EQ(chown(site.c_str(), kColleague, kOwnGroup), 0);
    ASSERT_EQ(chown(page.c_str(), kColleague, kPageGroup), 0);
    chmod(page.c_str(), 0640);
    ASSERT_EQ(fanotify_mark(watch, FAN_MARK_ADD, FAN_OPEN_PERM | FAN_EVENT_ON_CHILD, AT_FDCWD, site.c_str()), 0);
    int done[2];
    ASSERT_EQ(pipe(done), 0);
    const pid_t maker = fork();
    if (maker == 0) {
        close(done[0]);
        const gid_t groups[] = {kOwnGroup, kPageGroup};
        if (setgroups(2, groups) != 0 || setgid(kOwnGroup) != 0 || setuid(kColleague) != 0)
            _exit(2);
        umask(022);
        std::string copy = (site / "tempHTML.htm").string(), error;
        TReplaceOutcome outcome;
        const bool made = WriteProgramFile(copy, "copia", error, CopyPermissionsOf(page)) &&
                          ReplaceFileContents(page, "nuevo", error, ChangeFileExt(page, ".~tml"), outcome);
        _exit(made ? 0 : 1);
    }
    close(done[1]);
    // Each file as it was opened: its name and whether a member of the maker's own group could read it.
    std::vector<std::pair<std::string, bool>> seen;
    for (bool makerRunning = true; makerRunning;) {
        pollfd waits[] = {{watch, POLLIN, 0}, {done[0], POLLIN, 0}};
        ASSERT_GT(poll(waits, 2, -1), 0);
        if (waits[1].revents != 0)
            makerRunning = false;
        if ((waits[0].revents & POLLIN) == 0)
            continue;
        alignas(fanotify_event_metadata) char buffer[4096];
        const ssize_t length = read(watch, buffer, sizeof buffer);
        ASSERT_GT(length, 0);
        auto* event = reinterpret_cast<fanotify_event_metadata*>(buffer);
        for (ssize_t left = length; FAN_EVENT_OK(event, left); event = FAN_EVENT_NEXT(event, left)) {
            if (event->fd < 0)
                continue;
            char name[PATH_MAX] = {};
            const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(event->fd)).c_str(), name, sizeof name - 1);
            // Looked at as a member of the maker's group who is in no other group of the files'.
            setfsgid(kOwnGroup);
            setfsuid(kExcludedUser);
            const bool readable = faccessat(AT_FDCWD, name, R_OK, AT_EACCESS) == 0;
            setfsuid(0);
            setfsgid(0);
            seen.emplace_back(std::string(name, n > 0 ? static_cast<size_t>(n) : 0), readable);
            fanotify_response allow{event->fd, FAN_ALLOW};
            ASSERT_EQ(write(watch, &allow, sizeof allow), static_cast<ssize_t>(sizeof allow));
            close(event->fd);
        }
    }
    close(done[0]);
    int status = 0;
    waitpid(maker, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    // The copy, the page's new contents and its backup were each made in a file of their own.
    const auto made = std::count_if(seen.begin(), seen.end(), [](const auto& file) {
        return file.first.find("/.") != std::string::npos && file.first.back() == '~';
    });
    EXPECT_GE(made, 3);
    for (const auto& [name, readable] : seen)
        EXPECT_FALSE(readable) << name;
    // Made, they are the page's group's to read, as the page is.
    for (const std::string& name : {(site / "tempHTML.htm").string(), page, ChangeFileExt(page, ".~tml")}) {
        struct stat st {};
        ASSERT_EQ(stat(name.c_str(), &st), 0);
        EXPECT_EQ(st.st_gid, kPageGroup) << name;
        EXPECT_EQ(st.st_mode & 0777, 0640u) << name;
    }
}

TEST(FileSystem, ALinkIsPlantedWhenAnotherUserMayWriteItsFolderAndOwnsItButNotTheFolder)
{
    TempDir dir("links");
    const std::string target = dir.file("fuera.html", "privada");
    std::filesystem::create_directory(dir.path / "comun");
    const std::filesystem::path shared = dir.path / "comun";
    chmod(shared.c_str(), 01777);
    const std::string own = (shared / "mio.html").string();
    std::filesystem::create_symlink(target, own);
    // The user's own links, and anything that is no link, are followed wherever they stand.
    EXPECT_FALSE(IsPlantedLink(own));
    EXPECT_FALSE(IsPlantedLink(target));
    EXPECT_FALSE(IsPlantedLink((shared / "nada.html").string()));
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can give a link to another user";
    const uid_t other = 54340;
    const auto plant = [&](const std::filesystem::path& link, const std::filesystem::path& to) {
        std::filesystem::create_symlink(to, link);
        EXPECT_EQ(lchown(link.c_str(), other, other), 0);
        return link.string();
    };
    const std::string planted = plant(shared / "p3.html", target);
    EXPECT_TRUE(IsPlantedLink(planted));
    // Through the user's own link to it, or by a relative path.
    const std::string chained = (shared / "cadena.html").string();
    std::filesystem::create_symlink("p3.html", chained);
    EXPECT_TRUE(IsPlantedLink(chained));
    // Writable by the group only, the folder is shared still.
    chmod(shared.c_str(), 0775);
    EXPECT_TRUE(IsPlantedLink(planted));
    // A folder nobody else may write: its links are its owner's choice, as is a link of the folder's
    // owner in a shared one.
    chmod(shared.c_str(), 0755);
    EXPECT_FALSE(IsPlantedLink(planted));
    chmod(shared.c_str(), 01777);
    ASSERT_EQ(chown(shared.c_str(), other, other), 0);
    EXPECT_FALSE(IsPlantedLink(planted));
}

namespace {

// The user's extended attributes of a file, "name=value" each, in the order the system lists them.
std::string userAttributesOf(const std::string& path)
{
    char names[1024];
    const ssize_t length = listxattr(path.c_str(), names, sizeof names);
    std::string shown;
    for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
        if (std::strncmp(names + at, "user.", 5) != 0)
            continue;
        char value[256];
        const ssize_t n = getxattr(path.c_str(), names + at, value, sizeof value);
        shown += std::string(names + at) + "=" + std::string(value, n > 0 ? static_cast<size_t>(n) : 0) + ";";
    }
    return shown;
}

// Gives a file two attributes of the user's; false where its file system keeps none.
bool tagged(const std::string& path)
{
    return setxattr(path.c_str(), "user.etiqueta", "borrador", 8, 0) == 0 &&
           setxattr(path.c_str(), "user.xdg.origin.url", "https://ejemplo.es/p", 20, 0) == 0;
}

} // namespace

TEST(ReplaceFileContents, ASaveAndItsBackupKeepTheUsersExtendedAttributes)
{
    TempDir dir("xattr");
    const std::string page = dir.file("page.html", "antes");
    if (!tagged(page))
        GTEST_SKIP() << "the file system keeps no attributes of the user's";
    const std::string attributes = userAttributesOf(page);
    const std::string backup = ChangeFileExt(page, ".~tml");
    for (const char* text : {"uno", "dos"}) {
        std::string error;
        TReplaceOutcome outcome;
        ASSERT_TRUE(ReplaceFileContents(page, text, error, backup, outcome)) << error;
        EXPECT_FALSE(outcome.InPlace);
        EXPECT_TRUE(outcome.BackedUp);
        EXPECT_EQ(contentsOf(page), text);
        EXPECT_EQ(userAttributesOf(page), attributes);
        EXPECT_EQ(userAttributesOf(backup), attributes);
    }
    // A file without them gets none, nor does its backup, whatever the last backup had.
    const std::string plain = dir.file("plain.html", "antes");
    std::string error;
    TReplaceOutcome outcome;
    ASSERT_TRUE(ReplaceFileContents(plain, "despues", error, backup, outcome)) << error;
    EXPECT_EQ(userAttributesOf(plain), "");
    EXPECT_EQ(userAttributesOf(backup), "");
}

TEST(ReplaceFileContents, AColleaguesSharedPageIsWrittenInPlaceAndStaysTheirs)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can play two users";
    // The colleague's page lets the author write it through its access list as well as its mode.
    const std::string list = AccessListBytes({{kAclUserObj, 6}, {kAclUser, 6, kAuthorUser}, {kAclGroupObj, 6},
                                              {kAclMask, 6}, {kAclOther, 6}});
    for (const mode_t mode : {mode_t(01777), mode_t(0777)}) {
        TSharedPage shared(mode, kColleagueUser);
        ASSERT_TRUE(shared.Ok);
        const bool listed = SetAccessList(shared.Page, list);
        const bool attributed = tagged(shared.Page);
        struct stat before {};
        ASSERT_EQ(stat(shared.Page.c_str(), &before), 0);
        const std::string backup = ChangeFileExt(shared.Page, ".~tml");
        const TUnprivilegedRun run = RunUnprivilegedAs(kAuthorUser, [&]() -> std::string {
            std::string error;
            TReplaceOutcome outcome;
            if (!ReplaceFileContents(shared.Page, "<p>del autor</p>", error, backup, outcome))
                return "not saved: " + error;
            if (!outcome.InPlace || !outcome.BackedUp)
                return "not written in place after its backup";
            return "";
        });
        if (run.Skipped)
            GTEST_SKIP() << run.Failure;
        EXPECT_EQ(run.Failure, "") << std::oct << mode;
        struct stat after {};
        ASSERT_EQ(stat(shared.Page.c_str(), &after), 0);
        EXPECT_EQ(contentsOf(shared.Page), "<p>del autor</p>");
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_uid, kColleagueUser);
        EXPECT_EQ(after.st_gid, kColleagueUser);
        EXPECT_EQ(after.st_mode & 07777, 0666u) << std::oct << mode;
        if (listed) {
            EXPECT_EQ(AccessListOf(shared.Page), list);
        }
        // The backup beside it holds the old text and is the author's, as the page lets it be.
        EXPECT_EQ(contentsOf(backup), "<p>uno</p>");
        struct stat copy {};
        ASSERT_EQ(stat(backup.c_str(), &copy), 0);
        EXPECT_EQ(copy.st_uid, kAuthorUser);
        if (attributed) {
            EXPECT_NE(userAttributesOf(shared.Page), "");
            EXPECT_EQ(userAttributesOf(backup), userAttributesOf(shared.Page));
        }
        EXPECT_EQ(namesIn(shared.Folder), (std::vector<std::string>{"p.html", "p.~tml"}));
    }
}

TEST(ReplaceFileContents, AColleaguesPageIsWrittenOnlyAfterItsBackupIsWhole)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can play two users";
    TSharedPage shared(01777, kColleagueUser);
    ASSERT_TRUE(shared.Ok);
    const std::string backup = ChangeFileExt(shared.Page, ".~tml");
    // Where the backup goes stands a folder, then (a second backup name) the folder is full: each
    // refuses the backup, and the page is not touched.
    ASSERT_EQ(mkdir(backup.c_str(), 0777), 0);
    const std::string before = FileState(shared.Page);
    const TUnprivilegedRun run = RunUnprivilegedAs(kAuthorUser, [&]() -> std::string {
        std::string error;
        TReplaceOutcome outcome;
        if (ReplaceFileContents(shared.Page, "<p>del autor</p>", error, backup, outcome))
            return "written although its backup could not be made";
        if (!outcome.BackupFailed || outcome.InPlace || outcome.BackedUp)
            return "the outcome does not say the backup failed";
        if (outcome.BackupError != "es una carpeta, no un archivo normal")
            return "the backup's failure reads: " + outcome.BackupError;
        if (error.find(outcome.BackupError) == std::string::npos || error.find("p.~tml") == std::string::npos)
            return "the error does not say why: " + error;
        return "";
    });
    if (run.Skipped)
        GTEST_SKIP() << run.Failure;
    EXPECT_EQ(run.Failure, "");
    EXPECT_EQ(FileState(shared.Page), before);
    EXPECT_EQ(namesIn(shared.Folder), (std::vector<std::string>{"p.html", "p.~tml"}));

    // Without a backup name it is written in place, and stays the colleague's.
    const TUnprivilegedRun without = RunUnprivilegedAs(kAuthorUser, [&]() -> std::string {
        std::string error;
        TReplaceOutcome outcome;
        if (!ReplaceFileContents(shared.Page, "<p>del autor</p>", error, {}, outcome))
            return "not written: " + error;
        return outcome.InPlace && !outcome.BackupFailed ? "" : "not written in place";
    });
    EXPECT_EQ(without.Failure, "");
    EXPECT_EQ(contentsOf(shared.Page), "<p>del autor</p>");
    struct stat after {};
    ASSERT_EQ(stat(shared.Page.c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, kColleagueUser);
}

TEST(ReplaceFileContents, ALinkAnotherUserPlantedIsNeverWrittenThroughNorItsFileReplaced)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "only the superuser can play two users";
    for (const mode_t mode : {mode_t(01777), mode_t(0777), mode_t(0775)}) {
        TSharedPage shared(mode, kColleagueUser);
        ASSERT_TRUE(shared.Ok);
        std::filesystem::remove(shared.Page);
        ASSERT_EQ(shared.colleaguesLink("p.html"), shared.Page);
        const std::string before = shared.secretState();
        const std::string secret = std::filesystem::canonical(shared.Secret).string();
        EXPECT_TRUE(IsPlantedLink(shared.Page));
        const TUnprivilegedRun run = RunUnprivilegedAs(kAuthorUser, [&]() -> std::string {
            const TNameLook look = LookAtName(shared.Page);
            if (look.Kind != TNameLook::TKind::Planted || look.LeadsTo != secret)
                return "the look did not find the planted link to " + look.LeadsTo;
            std::string error;
            TReplaceOutcome outcome;
            if (ReplaceFileContents(shared.Page, "x", error, ChangeFileExt(shared.Page, ".~tml"), outcome))
                return "written through the link";
            if (!outcome.Planted || outcome.LeftAlone != secret || error.find(secret) == std::string::npos)
                return "the file left alone was not named: " + error;
            return "";
        });
        if (run.Skipped)
            GTEST_SKIP() << run.Failure;
        EXPECT_EQ(run.Failure, "") << std::oct << mode;
        EXPECT_EQ(shared.secretState(), before);
        EXPECT_EQ(namesIn(shared.Folder), (std::vector<std::string>{"p.html"}));
    }
}

TEST(ReplaceFileContents, OnlyTheFileExpectedIsWritten)
{
    TempDir dir("expected");
    const std::string page = dir.file("page.html", "uno");
    const std::string other = dir.file("otra.html", "otra");
    TFileIdentity read;
    ASSERT_TRUE(FileIdentityOf(page, read));
    // Another file renamed over the page since it was read: neither is written.
    std::filesystem::rename(other, page);
    std::string error;
    TReplaceOutcome outcome;
    EXPECT_FALSE(ReplaceFileContents(page, "dos", error, {}, outcome, TReplaceKind::Document, nullptr, &read));
    EXPECT_TRUE(outcome.Moved);
    EXPECT_EQ(error, LoadResString(7304));
    EXPECT_EQ(contentsOf(page), "otra");
    // A file expected to be missing is not replaced by one that has come since.
    const TFileIdentity missing;
    EXPECT_FALSE(ReplaceFileContents(page, "tres", error, {}, outcome, TReplaceKind::Document, nullptr, &missing));
    EXPECT_TRUE(outcome.Moved);
    EXPECT_EQ(contentsOf(page), "otra");
    const std::string fresh = (dir.path / "nueva.html").string();
    EXPECT_TRUE(ReplaceFileContents(fresh, "nueva", error, {}, outcome, TReplaceKind::Document, nullptr, &missing));
    EXPECT_EQ(contentsOf(fresh), "nueva");
    EXPECT_EQ(namesIn(dir.path), (std::vector<std::string>{"nueva.html", "page.html"}));
}

TEST(PrivateRuntimeFolder, TakesTheRuntimeFolderOrMakesAClosedOneAndRefusesAnyOther)
{
    TempDir dir("private");
    const std::string runtime = (dir.path / "run").string(), temporary = (dir.path / "tmp").string();
    ASSERT_EQ(mkdir(runtime.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(temporary.c_str(), 0777), 0);
    chmod(temporary.c_str(), 01777);
    const auto modeOf = [](const std::string& path) {
        struct stat st {};
        return lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
    };
    TEnvironmentWhile tmpdir("TMPDIR", temporary);
    {
        TEnvironmentWhile xdg("XDG_RUNTIME_DIR", runtime + "/");
        EXPECT_EQ(PrivateRuntimeFolder(), runtime + "/kestrima/");
        EXPECT_EQ(modeOf(runtime + "/kestrima"), 0700);
    }
    const std::string own = temporary + "/kestrima-" + std::to_string(geteuid());
    {
        // A runtime folder others may enter is no private folder: the temporary folder serves.
        chmod(runtime.c_str(), 0755);
        TEnvironmentWhile xdg("XDG_RUNTIME_DIR", runtime);
        EXPECT_EQ(PrivateRuntimeFolder(), own + "/");
        EXPECT_EQ(modeOf(own), 0700);
        // Made once, then found again.
        WriteFileBytes(own + "/kept", "x");
        EXPECT_EQ(PrivateRuntimeFolder(), own + "/");
        EXPECT_TRUE(FileExists(own + "/kept"));
    }
    TEnvironmentWhile xdg("XDG_RUNTIME_DIR", std::nullopt);
    // Whatever another user put in its place is refused, never followed or loosened.
    chmod(own.c_str(), 0770);
    EXPECT_THROW(PrivateRuntimeFolder(), Exception);
    EXPECT_EQ(modeOf(own), 0770);
    std::filesystem::remove_all(own);
    const std::string elsewhere = (dir.path / "elsewhere").string();
    ASSERT_EQ(mkdir(elsewhere.c_str(), 0700), 0);
    std::filesystem::create_directory_symlink(elsewhere, own);
    EXPECT_THROW(PrivateRuntimeFolder(), Exception);
    std::filesystem::remove(own);
    WriteFileBytes(own, "a file");
    EXPECT_THROW(PrivateRuntimeFolder(), Exception);
    std::filesystem::remove(own);
    if (geteuid() == 0) {
        ASSERT_EQ(mkdir(own.c_str(), 0700), 0);
        ASSERT_EQ(chown(own.c_str(), kNobody, kNobody), 0);
        try {
            PrivateRuntimeFolder();
            ADD_FAILURE() << "a folder of the user nobody was taken";
        } catch (const Exception& error) {
            EXPECT_NE(error.Message().find(own), std::string::npos) << error.Message();
        }
    }
}

TEST(FileSystem, SameFileKnowsAFileByItsDeviceAndInodeAndAMissingOneByItsPath)
{
    TempDir dir("same");
    const std::string page = dir.file("page.htm", "uno");
    const std::string other = dir.file("Page.htm", "dos");
    std::filesystem::create_directory(dir.path / "sub");
    std::filesystem::create_symlink(page, dir.path / "sub" / "link.htm");
    std::filesystem::create_hard_link(page, dir.path / "hard.htm");
    EXPECT_TRUE(SameFile(page, (dir.path / "sub" / "link.htm").string()));
    EXPECT_TRUE(SameFile(page, (dir.path / "hard.htm").string()));
    EXPECT_TRUE(SameFile(page, (dir.path / "sub" / ".." / "page.htm").string()));
    EXPECT_FALSE(SameFile(page, other));
    EXPECT_FALSE(SameFile(page, ""));
    // A missing file: its spelling made absolute and normal, a link on its last part followed.
    std::filesystem::create_symlink(dir.path / "gone.htm", dir.path / "to-gone.htm");
    EXPECT_TRUE(SameFile((dir.path / "gone.htm").string(), (dir.path / "sub" / ".." / "to-gone.htm").string()));
    EXPECT_FALSE(SameFile((dir.path / "gone.htm").string(), (dir.path / "Gone.htm").string()));

    TFileIdentity before, after;
    ASSERT_TRUE(FileIdentityOf(page, before));
    EXPECT_EQ(before.Size, 3);
    EXPECT_FALSE(FileIdentityOf((dir.path / "gone.htm").string(), after));
    EXPECT_FALSE(FileIdentityOf(dir.path.string(), after));
    // Replaced whole, the file is another inode of another size.
    std::string error;
    ASSERT_TRUE(ReplaceFileContents(page, "cuatro", error));
    ASSERT_TRUE(FileIdentityOf(page, after));
    EXPECT_FALSE(after == before);
    EXPECT_EQ(after.Size, 6);
}

TEST(FileSystem, WholeFileWritersLeaveTheOldFileWhenTheNewOneCannotBeWritten)
{
    TempDir dir("whole");
    const std::string file = dir.file("datos.txt", "antiguo");
    const std::string big(64 * 1024, 'n');
    TStringList lines;
    lines.Add(big);
    TMemoryStream stream;
    stream.WriteBuffer(big.data(), static_cast<int64_t>(big.size()));
    {
        TFileSizeLimit full(4096);
        ASSERT_TRUE(full.set);
        EXPECT_THROW(WriteFileBytes(file, big), EFCreateError);
        EXPECT_THROW(lines.SaveToFile(file), EFCreateError);
        EXPECT_THROW(stream.SaveToFile(file), EFCreateError);
    }
    EXPECT_EQ(contentsOf(file), "antiguo");
    EXPECT_EQ(namesIn(dir.path), (std::vector<std::string>{"datos.txt"}));
    try {
        TFileSizeLimit full(4096);
        WriteFileBytes(file, big);
    } catch (const EFCreateError& e) {
        EXPECT_NE(e.Message().find(file), std::string::npos) << e.Message();
    }
    // Written, the file is replaced whole; a link is written through.
    std::filesystem::create_symlink(file, dir.path / "enlace.txt");
    WriteFileBytes((dir.path / "enlace.txt").string(), "nuevo");
    EXPECT_EQ(contentsOf(file), "nuevo");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path / "enlace.txt"));
}

TEST(FileSystem, AFileErrorNamesTheFileAsTheCharactersItsBytesSpell)
{
    // "Público/índice.html" and a name beyond Windows-1252 ("ŝ"), as the desktop writes them in UTF-8:
    // the program's text holds each character once, never the UTF-8 bytes read one by one.
    TempDir dir("named");
    const std::string folder = (dir.path / "P\xC3\xBA" "blico").string();
    const std::string missing = folder + "/\xC3\xAD" "ndice\xC5\x9D.html";
    const std::string shown = dir.path.string() + "/P\xFA" "blico/\xED" "ndice&#349;.html";
    const auto messageOf = [](auto action) {
        try {
            action();
        } catch (const Exception& e) {
            return e.Message();
        }
        return std::string("(nothing thrown)");
    };
    const std::string opening = messageOf([&] { TFileStream stream(missing, fmOpenRead); });
    const std::string creating = messageOf([&] { TFileStream stream(missing, fmCreate); });
    const std::string saving = messageOf([&] { WriteFileBytes(missing, "x"); });
    for (const std::string& message : {opening, creating, saving}) {
        EXPECT_NE(message.find(shown), std::string::npos) << message;
        EXPECT_EQ(message.find("\xC3"), std::string::npos) << message;
    }
}

TEST(FileSystem, ANameThatIsNoRegularFileIsNamedForWhatItIsAndNeverWaitedOn)
{
    TempDir dir("kinds");
    const std::string page = dir.file("page.htm", "<p>uno</p>");
    const std::string folder = (dir.path / "carpeta").string();
    const std::string pipe = (dir.path / "tuberia").string();
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    ASSERT_EQ(mkfifo(pipe.c_str(), 0666), 0);
    const auto linkTo = [&](const std::string& name, const std::string& target) {
        const std::string link = (dir.path / name).string();
        std::filesystem::create_symlink(target, link);
        return link;
    };
    const std::string toFolder = linkTo("a-carpeta", folder);
    const std::string toPipe = linkTo("a-tuberia", pipe);
    const std::string toNothing = linkTo("a-nada", (dir.path / "falta").string());
    const std::string toPage = linkTo("a-pagina", page);
    EXPECT_EQ(NotARegularFileText(page), "");
    EXPECT_EQ(NotARegularFileText(toPage), "");
    EXPECT_EQ(NotARegularFileText((dir.path / "falta").string()), "");
    EXPECT_EQ(NotARegularFileText(folder), "es una carpeta, no un archivo normal");
    EXPECT_EQ(NotARegularFileText(pipe), "es una tuber\xED""a con nombre (FIFO), no un archivo normal");
    EXPECT_EQ(NotARegularFileText("/dev/null"), "es un dispositivo, no un archivo normal");
    EXPECT_EQ(NotARegularFileText(toFolder), "es un enlace simb\xF3lico a una carpeta, no a un archivo normal");
    EXPECT_EQ(NotARegularFileText(toPipe),
              "es un enlace simb\xF3lico a una tuber\xED""a con nombre (FIFO), no a un archivo normal");
    EXPECT_EQ(NotARegularFileText(toNothing), "es un enlace simb\xF3lico que no lleva a ning\xFAn archivo");
    EXPECT_EQ(FileProblemText(pipe, EINVAL), NotARegularFileText(pipe));
    EXPECT_EQ(FileProblemText(page, EACCES), "Permiso denegado");

    // A save, a read and a stream refuse each of them at once (a pipe with nobody at its other end
    // would hold an open for reading or writing), saying what the name is.
    for (const std::string& name : {folder, pipe, toFolder, toPipe, std::string("/dev/null")}) {
        std::string error;
        EXPECT_FALSE(ReplaceFileContents(name, "x", error)) << name;
        EXPECT_EQ(error, NotARegularFileText(name)) << name;
        std::string bytes;
        EXPECT_FALSE(ReadFileBytes(name, 1 << 20, bytes)) << name;
        if (name != "/dev/null") {
            EXPECT_THROW(ReadFileBytes(name), EFOpenError) << name;
        }
        try {
            ReadUsersFile(name, 1 << 20);
            ADD_FAILURE() << name << " was read";
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), "El archivo '" + name + "' no puede ser abierto para su lectura: " +
                                       NotARegularFileText(name) + ".");
        }
    }
    EXPECT_THROW({ TFileStream stream(pipe, fmCreate); }, EFCreateError);
    EXPECT_THROW({ TFileStream stream(pipe, fmOpenReadWrite); }, EFOpenError);
    // The pipe is still a pipe: nothing replaced it with a file.
    struct stat st {};
    ASSERT_EQ(lstat(pipe.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    std::string bytes;
    EXPECT_FALSE(ReadFileBytes(page, 3, bytes));
    EXPECT_EQ(errno, EFBIG);
    EXPECT_TRUE(ReadFileBytes(page, 10, bytes));
    EXPECT_EQ(bytes, "<p>uno</p>");
}
