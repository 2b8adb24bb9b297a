// TEditingFile: the state of one open document while another one is in the shared editor.
#include "app/EditingFile.h"

#include <cerrno>
#include <cstring>

#include "app/model/CodigosISO.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/libVeltran.h"
#include "app/WindowHost.h"
#include "editor/CodeMemo.h"
#include "editor/model/Undo.h"
#include "platform/MessageBox.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kFileCannotBeOpened = 4400;
constexpr int kFileCannotBeSaved = 4513;

// Keeps the editor's text-change handler away while a document's state is copied in or out, and
// gives it back afterwards.
TScopeGuard detachTextChange(TCustomCodeMemo& editor)
{
    return TScopeGuard([&editor, handler = std::exchange(editor.OnTextChange, nullptr)] { editor.OnTextChange = handler; });
}

// The file's bytes, or EFOpenError.
std::string readBytes(const std::string& fileName)
{
    const auto fail = [&] { return EFOpenError(FmtLoadStr(kFileCannotBeOpened, fileName.c_str())); };
    std::string bytes;
    if (!FileExists(fileName) || !ReadFileBytes(fileName, TEditingFile::kMaxDocumentSize, bytes))
        throw fail();
    return bytes;
}

} // namespace

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
        WriteFile(config && config->MakeBackups, entities);
    } catch (const Exception& e) {
        MessageBox(Host ? Host->HostWindow() : nullptr, e.Message(), {}, MB_OK | MB_ICONSTOP);
        return false;
    }
    return true;
}

std::string TEditingFile::FileBytes(const std::string& text, const TCodigosISO* entities) const
{
    return EncodeDocument(entities && !RawBytes ? entities->EncodeText(text) : text, Format);
}

void TEditingFile::WriteFile(bool makeBackups, const TCodigosISO* entities)
{
    const std::string bytes = FileBytes(Texto, entities);
    bool backedUp = false;
    std::string error;
    const bool written = ReplaceFileContents(FileName, bytes, error, [&] {
        backedUp = makeBackups && MakeBackupFile(FileName);
        return true;
    });
    if (!written) {
        // The new contents could not take the file's name: the old file comes back from its backup.
        if (backedUp && !FileExists(FileName))
            std::rename(NativePath(BackupFileName(FileName)).c_str(), NativePath(FileName).c_str());
        throw EFCreateError(FmtLoadStr(kFileCannotBeSaved, FileName.c_str(), error.c_str()));
    }
    Guardado = true;
}

TDecodeResult TEditingFile::ReadDocument(const std::string& fileName, const TCodigosISO* entities, std::string& text,
                                         TDocumentFormat& format)
{
    const TDecodeResult result = DecodeDocument(readBytes(fileName), text, format);
    if (entities && result != TDecodeResult::Unfitting)
        text = entities->DecodeText(text);
    return result;
}
