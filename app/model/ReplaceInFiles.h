// Replacing one text by another in files on disk: the search without case over each file's text, whole words by their own word characters, backups and the writing of the changed bytes.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/CharacterReferences.h"

class TCodigosISO;

// What one run of replace in files asks for. The texts are editor text: Windows-1252, each
// character that code page lacks held (HeldCharacter).
struct TReplaceRequest {
    std::string Find;
    std::string Replacement;
    // A match counts only between characters that are not word characters (IsReplaceWordChar).
    bool WholeWord = false;
    // A changed file's old contents are kept under ReplaceBackupName first.
    bool Backup = false;
    // The file is an HTML page to the editor: the replacement goes in as the editor's save writes the
    // same text there, its characters as codes through `Entities` (the character conversion, when on),
    // and a page of plain ASCII in the character set its replaced text declares
    // (TDocumentBytes::FormatByText).
    bool Page = false;
    const TCodigosISO* Entities = nullptr;
};

// The word characters of whole-word matching: digits, ASCII letters, "_" and the six accented
// Spanish capitals and small letters (Windows-1252).
bool IsReplaceWordChar(char c);

// The backup of a replaced file: its extension becomes ".~" and the old extension's second and third
// characters ("INDEX.HTML" -> "INDEX.~HT", "notas" -> "notas.~").
std::string ReplaceBackupName(const std::string& fileName);

// The bytes of a file with every match of the request replaced; `count` is the number of
// replacements. The file's text is read as documents are (UTF-8, UTF-16 with its mark, else
// Windows-1252), matches are looked for in that text line by line (a search text holding a line
// break finds nothing), both of the text as typed and of the text as the file's save writes it (a
// page's characters as the conversion's codes, a held character as its reference in a Windows-1252
// file), and only the bytes of the matches change: line breaks, byte-order mark,
// encoding and everything between the matches stay as they were; the replacement is written in the
// file's encoding, or as TReplaceRequest::Page says for a page. A match that would cut a character
// held as a reference does not count. False, with nothing replaced, when the bytes are not text (they
// hold control characters other than TAB, CR and LF).
bool ReplaceInBytes(std::string_view bytes, const TReplaceRequest& request, std::string& out, int& count);

// What ReplaceInFile did to one file.
struct TFileReplacement {
    // PlantedLink: the name is a link that another user planted (IsPlantedLink); nothing was read
    // or written through it. NoBackupMade: the file would be rewritten in place and its backup
    // could not be made (BackupError says why); nothing was written.
    enum class TStatus { Unchanged, Replaced, NotText, PlantedLink, NoBackupMade } Status = TStatus::Unchanged;
    int Count = 0;
    // PlantedLink: the file the link leads to, which was left alone.
    std::string LeftAlone;
    // A backup was asked for, the file was replaced, and the backup could not be made.
    bool NoBackup = false;
    // The backup made, when one was.
    std::string BackupName;
    std::string BackupError;
};

// The backup names of one run, so that no backup overwrites another one: a file's backup is
// ReplaceBackupName unless a backup made earlier in the run has that name, or an existing file of
// that name may be another file's backup (another file beside it has the same backup name); then
// it is the name with the whole extension (".~json"), unless that too was made in the run; then that
// name followed by the first number that names no file.
class TRunBackups {
public:
    std::string NameFor(const std::string& fileName) const;
    // A backup was made under `backupName`.
    void Made(const std::string& backupName) { FMade.push_back(backupName); }

private:
    bool madeInRun(const std::string& name) const;
    std::vector<std::string> FMade;
};

// The largest file handled: its text is held in memory twice over.
constexpr int64_t kMaxReplaceFileSize = 256 * 1024 * 1024;

// Replaces in one file. A file with no match, or that is not text, is left untouched (not even its
// date changes), and so is the file behind a link that another user planted. A changed file is written so that a failure leaves the old one; with a backup the
// old contents go to `backupName` first (ReplaceBackupName when empty). A file rewritten in place
// (another user's) is written only after its backup, or, when that cannot be made, only when
// `withoutBackup` (given the backup's name and why it failed) says so, else it stays as it was. A file
// that cannot be read raises EFOpenError, one that cannot be written EFCreateError, both naming it
// and why.
TFileReplacement ReplaceInFile(
    const std::string& fileName, const TReplaceRequest& request, const std::string& backupName = {},
    const std::function<bool(const std::string& backupName, const std::string& why)>& withoutBackup = {});
