// Replacing one text by another in files on disk: the search without case over each file's text, whole words by their own word characters, backups and the writing of the changed bytes.
#include "app/model/ReplaceInFiles.h"

#include <algorithm>
#include <vector>

#include "app/model/DocumentBytes.h"
#include "app/model/libVeltran.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/DocumentText.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kFileCannotBeOpened = 4400;
constexpr int kFileCannotBeSaved = 4513;

// The replacement as the file's bytes: in the file's encoding, without a byte-order mark of its own,
// each held character written as itself where the encoding has it, as its reference elsewhere. A page
// gets what the editor's save writes for the same text, through its public routine; a plain ASCII
// page is read as its bytes, so it takes the replacement as a Windows-1252 page, unless that would
// make the whole file read as UTF-8 (and the replacement as other characters): then it takes UTF-8.
std::string encodedReplacement(const TReplaceRequest& request, TDocumentFormat format, bool ascii)
{
    format.ByteOrderMark = false;
    const std::string& text = request.Replacement;
    if (!request.Page)
        return EncodeDocument(text, format);
    TDocumentBytes page;
    page.Format = format;
    const TCodigosISO* entities = request.Entities;
    if (ascii) {
        page.Format.Utf8 = false;
        std::string bytes = page.Write(text, entities);
        // Between ASCII, the replacement's bytes alone decide whether the file is UTF-8.
        const bool beyondAscii = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
        if (!beyondAscii || !IsValidUtf8(bytes))
            return bytes;
        page.Format.Utf8 = true;
    }
    return page.Write(text, entities);
}

} // namespace

bool IsReplaceWordChar(char c)
{
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_')
        return true;
    switch (static_cast<unsigned char>(c)) {
    case 0xC1: case 0xC9: case 0xCD: case 0xD1: case 0xD3: case 0xDA:  // ÁÉÍÑÓÚ
    case 0xE1: case 0xE9: case 0xED: case 0xF1: case 0xF3: case 0xFA:  // áéíñóú
        return true;
    default:
        return false;
    }
}

std::string ReplaceBackupName(const std::string& fileName)
{
    const std::string ext = ExtractFileExt(fileName);
    const std::string stem = fileName.substr(0, fileName.size() - ext.size());
    return stem + ".~" + ext.substr(std::min<size_t>(ext.size(), 1), 2);
}

bool ReplaceInBytes(std::string_view bytes, const TReplaceRequest& request, std::string& out, int& count)
{
    count = 0;
    out.assign(bytes);
    std::string text;
    TDocumentFormat format;
    std::vector<uint32_t> offsets;
    // Plain ASCII reads as its bytes, and only then is it taken for UTF-8 to write.
    const bool ascii = DecodeDocument(bytes, text, format, &offsets) == TDecodeResult::Bytes && format.Utf8;
    if (FileHoldsControlCharacters(bytes, format))
        return false;
    // Lines are searched one by one, so a text that spans a line break is never found; an empty one
    // would match everywhere.
    const std::string& find = request.Find;
    if (find.empty() || find.find_first_of("\r\n") != std::string::npos)
        return true;
    const TTextFinder finder(text, find, false, request.WholeWord, IsReplaceWordChar);
    // Every character of a reference carries the offset of its one character in the bytes.
    const auto cutsCharacter = [&](size_t at) { return at > 0 && at < text.size() && offsets[at] == offsets[at - 1]; };
    std::string replacement;
    std::string result;
    size_t copied = 0;
    for (int at = finder.Forward(0); at >= 0;) {
        const size_t start = static_cast<size_t>(at), end = start + find.size();
        if (cutsCharacter(start) || cutsCharacter(end)) {
            at = finder.Forward(at + 1);
            continue;
        }
        if (count++ == 0) {
            replacement = encodedReplacement(request, format, ascii);
            result.reserve(bytes.size() + bytes.size() / 8);
        }
        result.append(bytes.substr(copied, offsets[start] - copied));
        result += replacement;
        copied = offsets[end];
        at = finder.Forward(static_cast<int>(end));
    }
    if (count > 0) {
        result.append(bytes.substr(copied));
        out = std::move(result);
    }
    return true;
}

namespace {

// Another file beside `fileName` has `backup` as its backup name, so a file of that name may be its.
bool anotherFilesBackup(const std::string& backup, const std::string& fileName)
{
    const std::string folder = ExtractFilePath(fileName);
    bool shared = false;
    ForEachEntry(folder.empty() ? "." : folder, [&](const TSearchRec& entry) {
        if (entry.Attr & faDirectory)
            return true;
        const std::string other = folder + entry.Name;
        shared = ReplaceBackupName(other) == backup && !SameFile(other, fileName) && !SameFile(other, backup);
        return !shared;
    });
    return shared;
}

} // namespace

bool TRunBackups::madeInRun(const std::string& name) const
{
    for (const std::string& made : FMade)
        if (SameFile(made, name))
            return true;
    return false;
}

std::string TRunBackups::NameFor(const std::string& fileName) const
{
    const std::string usual = ReplaceBackupName(fileName);
    if (!madeInRun(usual) && (!FileExists(usual) || !anotherFilesBackup(usual, fileName)))
        return usual;
    const std::string ext = ExtractFileExt(fileName);
    const std::string whole = fileName.substr(0, fileName.size() - ext.size()) + ".~" + ext.substr(std::min<size_t>(ext.size(), 1));
    if (whole != usual && !madeInRun(whole))
        return whole;
    for (int n = 1;; ++n) {
        const std::string numbered = whole + std::to_string(n);
        TSearchRec entry;
        if (!ReadEntry(numbered, entry) && !madeInRun(numbered))
            return numbered;
    }
}

TFileReplacement ReplaceInFile(const std::string& fileName, const TReplaceRequest& request,
                               const std::string& backupName)
{
    TFileReplacement outcome;
    // Whoever may write the folder chose where such a link leads: to a file of the user's own, which
    // the replacement, and its backup beside the link, would hand over.
    if (IsPlantedLink(fileName)) {
        outcome.Status = TFileReplacement::TStatus::PlantedLink;
        return outcome;
    }
    std::string bytes;
    if (!FileExists(fileName) || !ReadFileBytes(fileName, kMaxReplaceFileSize, bytes))
        throw EFOpenError(FmtLoadStr(kFileCannotBeOpened, FilePathText(fileName).c_str()));
    std::string replaced;
    if (!ReplaceInBytes(bytes, request, replaced, outcome.Count)) {
        outcome.Status = TFileReplacement::TStatus::NotText;
        return outcome;
    }
    if (outcome.Count == 0)
        return outcome;
    std::string backup = !request.Backup ? std::string() : backupName.empty() ? ReplaceBackupName(fileName) : backupName;
    // A name whose extension already is its own backup's ("x.~~~") would have the backup overwrite
    // the new contents.
    const bool ownName = !backup.empty() && backup == fileName;
    if (ownName)
        backup.clear();
    std::string error;
    TReplaceOutcome written;
    if (!ReplaceFileContents(fileName, replaced, error, backup, written))
        throw EFCreateError(FmtLoadStr(kFileCannotBeSaved, FilePathText(fileName).c_str(), error.c_str()));
    outcome.Status = TFileReplacement::TStatus::Replaced;
    outcome.NoBackup = request.Backup && (ownName || !written.BackedUp);
    if (!backup.empty() && written.BackedUp)
        outcome.BackupName = backup;
    return outcome;
}
