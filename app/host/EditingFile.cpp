// TEditingFile: the state of one open document while another one is in the shared editor.
#include "app/host/EditingFile.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>

#include "app/model/CodigosISO.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/libVeltran.h"
#include "app/host/WindowHost.h"
#include "app/model/EditorKind.h"
#include "editor/CodeMemo.h"
#include "editor/model/Undo.h"
#include "platform/MessageBox.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kFileCannotBeSaved = 4513;
constexpr int kNoBackup = 4516;
constexpr int kSaveAsUtf8 = 7440;
constexpr int kSaveReadsOtherwise = 7441;
constexpr int kWriteWithoutBackup = 7351;

// Keeps the editor's text-change handler away while a document's state is copied in or out, and
// gives it back afterwards.
TScopeGuard detachTextChange(TCustomCodeMemo& editor)
{
    return TScopeGuard([&editor, handler = std::exchange(editor.OnTextChange, nullptr)] { editor.OnTextChange = handler; });
}

} // namespace

bool AskWithoutBackup(QWidget* owner, const std::string& fileName, const std::string& backupName, const std::string& why)
{
    const std::string question =
        FmtLoadStr(kWriteWithoutBackup, FilePathText(fileName).c_str(), FilePathText(backupName).c_str(), why.c_str());
    return MessageBox(owner, question, {}, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

TEditingFile::TEditingFile(int Tipo, TWindowHost* Host) : Tipo(Tipo), Host(Host) {}

TEditingFile::~TEditingFile() = default;

void TEditingFile::GuardaEstado(TCustomCodeMemo& Editor)
{
    TScopeGuard handler = detachTextChange(Editor);
    Texto.clear();
    Editor.PerformSelection(0, Seleccion);
    // The attached log is this document's own (RestauraEstado attached it); the object keeps owning it.
    Tipo = Editor.ActiveParser();
    Texto = Editor.StoredText();
    SearchText = Editor.SearchText;
    SearchOptions = Editor.SearchFlags;
    TopLine = Editor.CaretControl().GetTopLine();
    for (int i = 9; i >= 0; --i) {
        TMarcador& mark = Marcadores[static_cast<size_t>(i)];
        int line = 0, column = 0;
        mark.Set = Editor.GetBookmark(i, line, column);
        if (mark.Set) {
            mark.Line = line;
            mark.Column = column;
        }
    }
    SoloLectura = Editor.ReadOnly();
}

void TEditingFile::Detach(TCustomCodeMemo& Editor)
{
    Editor.SetUndoStack(nullptr);
}

void TEditingFile::RestauraEstado(TCustomCodeMemo& Editor)
{
    TScopeGuard handler = detachTextChange(Editor);
    {
        Editor.Lines().BeginUpdate();
        TScopeGuard update([&Editor] { Editor.Lines().EndUpdate(); });
        Editor.SetUndoStack(nullptr);
        // Emptied first, so that a change of language has no old text to colour.
        Editor.Clear();
        if (Editor.ActiveParser() != Tipo)
            Editor.SetActiveParser(Tipo);
        // A stream keeps NUL bytes that a C string would cut the text at.
        TCustomMemoryStream stream(Texto.data(), static_cast<int64_t>(Texto.size()));
        Editor.LoadFromStream(stream);
        Texto.clear();
        Texto.shrink_to_fit();
        // The view goes back to the saved top line, not to wherever the caret would scroll it.
        Editor.PerformSelection(SMM_SET | SMM_NOREDRAW, Seleccion);
        if (PilaNueva) {
            UndoStack = std::make_unique<TUndoStack>();
            PilaNueva = false;
        }
        Editor.SetUndoStack(UndoStack.get());
    }
    Editor.SearchText = SearchText;
    Editor.SearchFlags = SearchOptions;
    // Loading may leave a bookmark where the old text had one; each is cleared before the document's
    // own are set, since setting one again on its line would take it away.
    for (int i = 9; i >= 0; --i) {
        int line = 0, column = 0;
        if (Editor.GetBookmark(i, line, column))
            Editor.SetBookmark(i, line, column);
        const TMarcador& mark = Marcadores[static_cast<size_t>(i)];
        if (mark.Set)
            Editor.SetBookmark(i, mark.Line, mark.Column);
    }
    Editor.SetReadOnly(SoloLectura);
    handler.End();
    Editor.CaretControl().SetTopLine(TopLine);
}

bool TEditingFile::SaveToFile()
{
    if (FileName.empty())
        return false;
    const TKestrimaConfig* config = Host ? &Host->Config() : nullptr;
    const TCodigosISO* entities = Host ? Host->FileEntities() : nullptr;
    try {
        const TWriteReport report = WriteFile(config && config->MakeBackups, entities);
        if (report.Declined)
            return false;
        if (report.NoBackup)
            MessageBox(Host ? Host->HostWindow() : nullptr, FmtLoadStr(kNoBackup, FilePathText(FileName).c_str()), {}, MB_OK | MB_ICONWARNING);
    } catch (const Exception& e) {
        MessageBox(Host ? Host->HostWindow() : nullptr, e.Message(), {}, MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}

const TCodigosISO* TEditingFile::entitiesFor(const TCodigosISO* entities) const
{
    // Codes are HTML: in a script or a style sheet "&ntilde;" is text, and would break a string.
    return Tipo == ekHTML ? entities : nullptr;
}

std::string TEditingFile::FileBytes(const std::string& text, const TCodigosISO* entities) const
{
    return Bytes.Write(text, entitiesFor(entities), Tipo == ekHTML);
}

TEditingFile::TWriteReport TEditingFile::WriteFile(bool makeBackups, const TCodigosISO* entities)
{
    const TCodigosISO* table = entitiesFor(entities);
    TDocumentBytes::TSaveBytes save = Bytes.SaveBytes(Texto, table, Tipo == ekHTML);
    if (!save.ReadsBack) {
        // Written so, the file would reopen as another text: the user decides, and No writes nothing.
        const std::string question = FmtLoadStr(save.Utf8Instead ? kSaveAsUtf8 : kSaveReadsOtherwise,
                                                FilePathText(FileName).c_str());
        if (MessageBox(Host ? Host->HostWindow() : nullptr, question, {}, MB_YESNO | MB_ICONWARNING) != IDYES) {
            TWriteReport declined;
            declined.Declined = true;
            return declined;
        }
    }
    std::string& bytes = save.Bytes;
    std::string error;
    TReplaceOutcome outcome;
    // The file the last look found (none when it found nothing) is the only one written.
    std::optional<TFileIdentity> expected;
    if (FCheck.Name == FileName && FCheck.Look.Kind == TNameLook::TKind::File)
        expected = FCheck.Look.Identity;
    else if (FCheck.Name == FileName && FCheck.Look.Kind == TNameLook::TKind::Missing)
        expected = TFileIdentity{};
    FCheck = {};
    const std::string backupName = makeBackups ? BackupFileName(FileName) : std::string();
    const auto write = [&](const std::string& backup) {
        return ReplaceFileContents(FileName, bytes, error, backup, outcome, TReplaceKind::Document, nullptr,
                                   expected ? &*expected : nullptr);
    };
    bool written = write(backupName);
    bool asked = false;
    if (!written && outcome.BackupFailed) {
        // A file rewritten in place has nothing to fall back on should the write stop halfway: the
        // user decides, before anything is written, whether it goes without its backup.
        asked = true;
        if (!AskWithoutBackup(Host ? Host->HostWindow() : nullptr, FileName, backupName, outcome.BackupError)) {
            TWriteReport declined;
            declined.Declined = true;
            return declined;
        }
        written = write({});
    }
    if (!written)
        throw EFCreateError(FmtLoadStr(kFileCannotBeSaved, FilePathText(FileName).c_str(), error.c_str()));
    Bytes.Format = save.Format;
    Bytes.Written(std::move(save), table);
    rememberDisk(FileName);
    Guardado = true;
    // Undoing back to this text leaves nothing to save.
    if (UndoStack)
        UndoStack->MarkClean();
    TWriteReport report;
    // Written without its backup after the question, the user knows it already.
    report.NoBackup = makeBackups && outcome.Existed && !outcome.BackedUp && !asked;
    return report;
}

TDecodeResult TEditingFile::ReadFile(const std::string& fileName, const TCodigosISO* entities, std::string& text,
                                     bool model)
{
    // Looked at before the bytes are read: a change made while they are read then shows as one.
    if (!model)
        rememberDisk(fileName);
    return Bytes.Read(ReadUsersFile(fileName, kMaxDocumentSize), entitiesFor(entities), text, model);
}

namespace {

int64_t nowNs()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// A file changed this shortly before it was looked at may change again within the same tick of a
// coarse file clock without its time of change moving.
constexpr int64_t kSameTickNs = 2'000'000'000;

} // namespace

void TEditingFile::rememberDisk(const std::string& fileName)
{
    FCheck = {};
    FDisk.Name = fileName;
    FDisk.SeenNs = nowNs();
    const TNameLook look = LookAtName(fileName);
    FDisk.Known = look.Kind == TNameLook::TKind::File;
    FDisk.Identity = look.Identity;
    FDisk.LeadsTo = look.LeadsTo;
}

TEditingFile::TDiskChange TEditingFile::DiskChange()
{
    const int64_t lookedAt = nowNs();
    FCheck = {FileName, LookAtName(FileName)};
    const TNameLook& look = FCheck.Look;
    switch (look.Kind) {
    case TNameLook::TKind::Planted:
        return TDiskChange::Planted;
    case TNameLook::TKind::Unknown:
        return TDiskChange::Unknown;
    case TNameLook::TKind::File:
        break;
    default:
        return TDiskChange::None;
    }
    if (!FDisk.Known || FDisk.Name != FileName)
        return TDiskChange::None;
    const TFileIdentity& now = look.Identity;
    if (look.LeadsTo != FDisk.LeadsTo && !now.SameFile(FDisk.Identity))
        return TDiskChange::Elsewhere;
    if (now == FDisk.Identity && FDisk.SeenNs - now.ModifiedNs > kSameTickNs)
        return TDiskChange::None;
    const std::string* kept = Bytes.KeptBytes();
    std::string bytes;
    if (!kept || now.Size != static_cast<int64_t>(kept->size()) || !ReadFileBytes(FileName, kMaxDocumentSize, bytes) ||
        bytes != *kept)
        return TDiskChange::Changed;
    // The same bytes: the look taken before reading them is as good as a record made then.
    FDisk.Identity = now;
    FDisk.SeenNs = lookedAt;
    return TDiskChange::None;
}
