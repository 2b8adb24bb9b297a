// Plain routines over file names and page text shared by the main window and its dialogs.
#pragma once
#include <string>

// Moves an existing file aside to its backup name ("page.htm" -> "page.~tm", "readme" -> "readme.bak"),
// replacing an older backup. True when the file existed.
bool MakeBackupFile(const std::string& fileName);
// The backup name MakeBackupFile moves a file to.
std::string BackupFileName(const std::string& fileName);
