// Folder entries and their attributes, and the drive list made from a mount table.
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "platform/core/FileSystem.h"
#include "support/TempDir.h"

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
