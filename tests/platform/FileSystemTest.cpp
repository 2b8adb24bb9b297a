// Folder entries and their attributes, and the drive list made from a mount table.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/SysUtils.h"
#include "support/EnvironmentWhile.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"
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
        if (!ReplaceFileContents(page, "corto", error, (dir.path / "page.~tm").string(), outcome))
            return "not written: " + error;
        if (!outcome.InPlace || outcome.BackedUp)
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
