// TEditingFile: the state of one open document while another one is in the shared editor.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "editor/model/EditorMessages.h"
#include "platform/core/DocumentText.h"

class TCustomCodeMemo;
class TCodigosISO;
class TUndoStack;
class TWindowHost;

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
    // The text as GuardaEstado last copied it (line breaks as single CRs).
    const std::string& GetText() const { return Texto; }
    void SetText(std::string text) { Texto = std::move(text); }

    // Writes the text to FileName with the program's settings, reporting a failure in a message box.
    // False when the document is untitled or the file could not be written; the document then stays
    // changed and the file on disk as it was.
    bool SaveToFile();
    // Writes the text to FileName: characters to codes through `entities` when given, in the file's
    // format, the old file first moved to its backup name when `makeBackups`. The new contents go to a
    // temporary file first, so a failure leaves the old file and its backup as they were; it raises
    // EFCreateError with the reason. Guardado is set on success.
    void WriteFile(bool makeBackups, const TCodigosISO* entities);

    // The text as this document's file holds it: characters to codes through `entities` when given
    // (never for raw bytes), then line breaks and encoding as the file was written.
    std::string FileBytes(const std::string& text, const TCodigosISO* entities) const;

    // Reads a document file into editor text: codes to characters through `entities` when given,
    // UTF-8 converted when it fits Windows-1252. A file that cannot be read raises EFOpenError.
    static TDecodeResult ReadDocument(const std::string& fileName, const TCodigosISO* entities, std::string& text,
                                      TDocumentFormat& format);
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
    // How the file was written, so that saving writes it the same way.
    TDocumentFormat Format;
    // The editor's read-only state for this document.
    bool SoloLectura = false;
    // The text is the file's bytes as they are (UTF-8 with characters the editor cannot hold): it is
    // written back without any conversion, so that nothing of it is lost.
    bool RawBytes = false;
};
