// Plain routines over file names and page text shared by the main window and its dialogs.
#include "app/libVeltran.h"

#include "platform/core/SysUtils.h"

#include <filesystem>
#include <system_error>

std::string BackupFileName(const std::string& fileName) {
  const std::string ext = ExtractFileExt(fileName);
  const std::string stem = fileName.substr(0, fileName.size() - ext.size());
  if (ext.size() < 2) return stem + ".bak";  // no extension, or a bare trailing dot
  return stem + ".~" + ext.substr(2);
}

bool MakeBackupFile(const std::string& fileName) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path source = NativePath(fileName);
  if (!fs::is_regular_file(source, ec)) return false;
  const fs::path backup = NativePath(BackupFileName(fileName));
  fs::remove(backup, ec);
  fs::rename(source, backup, ec);
  return true;
}
