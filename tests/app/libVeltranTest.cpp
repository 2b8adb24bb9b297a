// Tests of the plain file-name and text routines.
#include "app/libVeltran.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace {
std::string readAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
}  // namespace

TEST(MakeBackupFile, MovesTheFileToItsBackupNameReplacingAnOlderOne) {
  EXPECT_EQ(BackupFileName("/w/page.htm"), "/w/page.~tm");
  EXPECT_EQ(BackupFileName("/w/readme"), "/w/readme.bak");
  EXPECT_EQ(BackupFileName("/w.d/readme"), "/w.d/readme.bak");
  const auto dir = std::filesystem::temp_directory_path() / ("kr_backup_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  for (const char* name : {"page.htm", "readme"}) {
    const auto file = dir / name;
    const auto backup = std::filesystem::path(BackupFileName(file.string()));
    std::ofstream(backup) << "old backup";
    std::ofstream(file) << "current";
    EXPECT_TRUE(MakeBackupFile(file.string()));
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(readAll(backup), "current");
    EXPECT_FALSE(MakeBackupFile(file.string()));  // nothing left to move
    EXPECT_EQ(readAll(backup), "current");
  }
  std::filesystem::remove_all(dir);
}
