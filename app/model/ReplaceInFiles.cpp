// Replacing one text by another in files on disk: the search without case over each file's text, whole words by their own word characters, backups and the writing of the changed bytes.
#include "app/model/ReplaceInFiles.h"

#include <algorithm>
#include <vector>

#include "app/model/CodigosISO.h"
#include "app/model/DocumentBytes.h"
#include "app/model/libVeltran.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/DocumentText.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kFileCannotBeSaved = 4513;

// The replacement as the file's bytes: in the file's encoding, without a byte-order mark of its own,
// each held character written as itself where the encoding has it, as its reference elsewhere, and in
// a page its characters as codes through the conversion's table. `format` is the file's, or the one
// the editor's save chooses for the replaced text when the file's bytes leave the encoding open.
std::string encodedReplacement(const TReplaceRequest& request, TDocumentFormat format)
{
    format.ByteOrderMark = false;
    return TDocumentBytes::Encode(request.Replacement, request.Page ? request.Entities : nullptr, format);
}

// The text a file written in `format` holds for the editor's `text` once read back: as the save
// writes it, its characters as codes in a page when the conversion is on, then as the encoding
// keeps it.
std::string writtenForm(const TReplaceRequest& request, const std::string& text, const TDocumentFormat& format)
{
    const TCodigosISO* entities = request.Page ? request.Entities : nullptr;
    return TDocumentBytes::ReadBackForm(entities ? entities->EncodeText(text) : text, format);
}

// A match in a file's text.
struct TMatch {
    size_t Start;
    size_t Length;
};

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
    // Plain ASCII reads as its bytes and leaves the encoding open, as it does to the editor's save.
    const bool open = DecodeDocument(bytes, text, format, &offsets) == TDecodeResult::Bytes && format.Utf8;
    if (FileHoldsControlCharacters(bytes, format))
        return false;
    // Lines are searched one by one, so a text that spans a line break is never found; an empty one
    // would match everywhere.
    const std::string& find = request.Find;
    if (find.empty() || find.find_first_of("\r\n") != std::string::npos)
        return true;
    // The file holds the text either as the author typed it or as its save wrote it ("oto&ntilde;o"
    // for "otoño" in a page the conversion writes, a reference where the encoding lacks a
    // character): both are looked for.
    const TDocumentFormat saved =
        open ? TDocumentBytes::FormatByText(text, request.Page ? request.Entities : nullptr, request.Page, format) : format;
    std::vector<std::string> forms{find, writtenForm(request, find, saved)};
    if (forms[1] == forms[0])
        forms.pop_back();
    // The text is folded once for every form: lower case maps one character to one, so positions in
    // the copy are positions in the text, and a word character's lower case is one too.
    const std::string folded = AnsiLowerCase(text);
    struct TForm {
        TTextFinder Finder;
        int Next; // its first match from the scan's place on; -2 before it is looked for
    };
    std::vector<TForm> searched;
    for (const std::string& form : forms)
        searched.push_back({TTextFinder(folded, AnsiLowerCase(form), true, request.WholeWord, IsReplaceWordChar), -2});
    // Every character of a reference carries the offset of its one character in the bytes.
    const auto cutsCharacter = [&](size_t at) { return at > 0 && at < text.size() && offsets[at] == offsets[at - 1]; };
    // A form's first match from `from` that cuts no character.
    const auto nextOf = [&](const TTextFinder& finder, int from) {
        const auto length = static_cast<size_t>(finder.PatternLength());
        int at = finder.Forward(from);
        while (at >= 0 && (cutsCharacter(static_cast<size_t>(at)) || cutsCharacter(static_cast<size_t>(at) + length)))
            at = finder.Forward(at + 1);
        return at;
    };
    std::vector<TMatch> matches;
    for (int from = 0;;) {
        // The leftmost match of any form, the longer where two start together. A form's match ahead
        // of the scan is kept, so that the text is read once per form.
        const TForm* best = nullptr;
        for (TForm& form : searched) {
            if (form.Next != -1 && form.Next < from)
                form.Next = nextOf(form.Finder, from);
            if (form.Next >= 0 && (!best || form.Next < best->Next ||
                                   (form.Next == best->Next && form.Finder.PatternLength() > best->Finder.PatternLength())))
                best = &form;
        }
        if (!best)
            break;
        matches.push_back({static_cast<size_t>(best->Next), static_cast<size_t>(best->Finder.PatternLength())});
        from = best->Next + best->Finder.PatternLength();
    }
    count = static_cast<int>(matches.size());
    if (matches.empty())
        return true;
    if (open) {
        // The format the save would choose for the text as it will be (a replacement may change the
        // declaration itself).
        std::string replaced;
        replaced.reserve(text.size() + matches.size() * request.Replacement.size());
        size_t from = 0;
        for (const TMatch& match : matches) {
            replaced.append(text, from, match.Start - from);
            replaced += request.Replacement;
            from = match.Start + match.Length;
        }
        replaced.append(text, from);
        format = TDocumentBytes::FormatByText(replaced, request.Page ? request.Entities : nullptr, request.Page, format);
    }
    const std::string replacement = encodedReplacement(request, format);
    std::string result;
    result.reserve(bytes.size() + bytes.size() / 8);
    size_t copied = 0;
    for (const TMatch& match : matches) {
        result.append(bytes.substr(copied, offsets[match.Start] - copied));
        result += replacement;
        copied = offsets[match.Start + match.Length];
    }
    result.append(bytes.substr(copied));
    out = std::move(result);
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

TFileReplacement ReplaceInFile(const std::string& fileName, const TReplaceRequest& request, const std::string& backupName,
                               const std::function<bool(const std::string&, const std::string&)>& withoutBackup)
{
    TFileReplacement outcome;
    // Whoever may write the folder chose where such a link leads: to a file of the user's own, which
    // the replacement, and its backup beside the link, would hand over.
    const TNameLook look = LookAtName(fileName);
    if (look.Kind == TNameLook::TKind::Planted) {
        outcome.Status = TFileReplacement::TStatus::PlantedLink;
        outcome.LeftAlone = look.LeadsTo;
        return outcome;
    }
    // A name that is no longer a regular file is refused by the read, which says what it is.
    const std::string bytes = ReadUsersFile(fileName, kMaxReplaceFileSize);
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
    // Only the file looked at and read is written, whatever takes its name meanwhile.
    const auto write = [&](const std::string& backupTo) {
        return ReplaceFileContents(fileName, replaced, error, backupTo, written, TReplaceKind::Document, nullptr,
                                   &look.Identity);
    };
    bool done = write(backup);
    if (!done && written.BackupFailed) {
        if (!withoutBackup || !withoutBackup(backup, written.BackupError)) {
            outcome.Status = TFileReplacement::TStatus::NoBackupMade;
            outcome.BackupError = written.BackupError;
            return outcome;
        }
        done = write({});
    }
    if (!done)
        throw EFCreateError(FmtLoadStr(kFileCannotBeSaved, FilePathText(fileName).c_str(), error.c_str()));
    outcome.Status = TFileReplacement::TStatus::Replaced;
    outcome.NoBackup = request.Backup && (ownName || !written.BackedUp);
    if (!backup.empty() && written.BackedUp)
        outcome.BackupName = backup;
    return outcome;
}
