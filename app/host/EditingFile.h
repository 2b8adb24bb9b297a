// TEditingFile: the state of one open document while another one is in the shared editor.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "editor/model/EditorMessages.h"
#include "app/model/DocumentBytes.h"
#include "platform/core/FileSystem.h"

class QWidget;
class TCustomCodeMemo;
class TCodigosISO;
class TUndoStack;
class TWindowHost;

// Asks whether a file that is rewritten in place (another user's, or in a folder that takes no new
// file) is written without its backup `backupName`, which could not be made for the reason `why`;
// the question says that nothing is written before the answer. No is the default.
bool AskWithoutBackup(QWidget* owner, const std::string& fileName, const std::string& backupName,
                      const std::string& why);

// One numbered bookmark as the document keeps it.
struct TMarcador {
    bool Set = false;
    int32_t Line = 0;
    int32_t Column = 0;
    bool operator==(const TMarcador&) const = default;
};

// A document of the main window. While it is the editor's document its text, selection and the rest
// live in the editor; GuardaEstado copies them out when another document comes in, and RestauraEstado
// puts them back.
class TEditingFile {
public:
    // `Host` gives the settings and the entity table a save writes with, and owns its messages;
    // without one a save writes the text as it is, without a backup.
    explicit TEditingFile(int Tipo, TWindowHost* Host = nullptr);
    ~TEditingFile();
    TEditingFile(const TEditingFile&) = delete;
    TEditingFile& operator=(const TEditingFile&) = delete;

    // Copies the editor's state into the object; the editor's text-change handler is kept away meanwhile.
    void GuardaEstado(TCustomCodeMemo& Editor);
    // Puts the object's state into the editor, attaching the document's undo log (made the first time).
    void RestauraEstado(TCustomCodeMemo& Editor);
    // Detaches the document state RestauraEstado attached (undo log, remembered characters) before
    // the document goes.
    static void Detach(TCustomCodeMemo& Editor);
    // The text as GuardaEstado last copied it (line breaks as single CRs).
    const std::string& GetText() const { return Texto; }
    void SetText(std::string text) { Texto = std::move(text); }

    // Writes the text to FileName with the program's settings, reporting a failure in a message box.
    // False when the document is untitled, the file could not be written or the user chose not to
    // write bytes that would reopen as another text; the document then stays
    // changed and the file on disk as it was.
    bool SaveToFile();
    // What a write that reached the file has to tell the user.
    struct TWriteReport {
        // A backup was asked for and could not be made.
        bool NoBackup = false;
        // The text written so would reopen as another text, and the user chose not to write it:
        // nothing was written.
        bool Declined = false;
    };
    // Writes the text to FileName: what is as it was read keeps its bytes, the rest is written with
    // characters to codes through `entities` when given (HTML documents only) in the file's format;
    // when `makeBackups`, the old contents are copied to the backup name first. Bytes that would
    // reopen as another text are written only when the user says so (TDocumentBytes::SaveBytes). A
    // failure leaves the old file and its backup as they were and raises EFCreateError with the
    // reason. Guardado is set on success.
    TWriteReport WriteFile(bool makeBackups, const TCodigosISO* entities);

    // The bytes the document's file gets for `text` (see WriteFile).
    std::string FileBytes(const std::string& text, const TCodigosISO* entities) const;

    // Reads the document's file, or with `model` the model of a new document, into editor text
    // (each line break one CR): UTF-8 converted when it fits Windows-1252, codes to characters
    // through `entities` when given and the document is HTML. A file that cannot be read raises
    // EFOpenError.
    TDecodeResult ReadFile(const std::string& fileName, const TCodigosISO* entities, std::string& text,
                           bool model = false);
    // How the document's file stands against the one it last read or wrote, looked at as a save
    // finds it (LookAtName); the next WriteFile writes only the file looked at here.
    enum class TDiskChange {
        // As it was, gone, or a name the document never read nor wrote (Save As).
        None,
        // Another program changed it: its size, time of change and inode settle it when they are
        // as recorded and old enough for a change in the same tick of the clock to be ruled out,
        // its bytes against the kept ones otherwise.
        Changed,
        // Its name now leads to another file (a link put in its place), which DiskTarget names.
        Elsewhere,
        // Its name is a link that another user planted, which no save follows.
        Planted,
        // Its state could not be read (DiskError says why): never taken for "as it was".
        Unknown,
    };
    TDiskChange DiskChange();
    // The file the name led to at the last DiskChange.
    const std::string& DiskTarget() const { return FCheck.Look.LeadsTo; }
    int DiskError() const { return FCheck.Look.Error; }
    // The largest file read: the editor counts offsets in 32 bits.
    static constexpr int64_t kMaxDocumentSize = 512 * 1024 * 1024;

    std::unique_ptr<TUndoStack> UndoStack;
    TSelectionRange Seleccion{0, 0};
    int32_t Tipo;
    std::string Texto;
    std::string FileName;
    bool PilaNueva = true;
    std::string SearchText;
    int32_t SearchOptions = 0;
    bool Guardado = true;
    std::array<TMarcador, 10> Marcadores{};
    int32_t TopLine = 1;
    TWindowHost* Host = nullptr;
    // The bytes the document was read from and how its text goes back to bytes.
    TDocumentBytes Bytes;
    // The editor's read-only state for this document.
    bool SoloLectura = false;

private:
    // The table for this document: codes stand for characters in HTML only.
    const TCodigosISO* entitiesFor(const TCodigosISO* entities) const;
    // Records how `fileName` stands on disk, as read or written now.
    void rememberDisk(const std::string& fileName);

    // The file as the document last read or wrote it, the name it had and when it was looked at.
    struct TDiskRecord {
        bool Known = false;
        std::string Name;
        TFileIdentity Identity;
        // The file the name led to.
        std::string LeadsTo;
        int64_t SeenNs = 0;
    } FDisk;
    // What the last DiskChange found under which name, for the write that follows it (none: no name,
    // and a look that found nothing known).
    struct TDiskCheck {
        std::string Name;
        TNameLook Look;
    } FCheck;
};
