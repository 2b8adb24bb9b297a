// TWindowHost: what the window's parts (dialogs, panels, the command server, projects, documents) may use of the main window, taken in their constructors.
#pragma once

#include <cstdint>
#include <string>

#include "app/model/DocumentList.h"
#include "platform/core/Messages.h"

class QWidget;
class TCodeMemo;
class TCodigosISO;
class TCommandTable;
class TEditingFile;
class TKestrimaConfig;

// The narrow face of the main window. A part keeps the host it was given and never reaches for the
// whole window; message boxes and file dialogs go through their usual hooks with HostWindow() as owner.
class TWindowHost {
public:
    // The settings, loaded when the window is made.
    virtual TKestrimaConfig& Config() const = 0;
    // The entity table documents are read and written through, or nil when the settings turn it off.
    virtual const TCodigosISO* FileEntities() const = 0;
    // The editor kind (TEditorKind) a file opens as, by its extension.
    virtual int TipoDeArchivo(const std::string& FileName) const = 0;
    // The open documents in tab order and the current one.
    virtual const TDocumentList<TEditingFile>& Documents() const = 0;
    // The editor the documents are shown in.
    virtual TCodeMemo* CodeMemo() const = 0;
    // Opens a file in a new tab (a new untitled document when empty; a model with ComoPlantilla).
    virtual void AbreArchivo(const std::string& FileName, bool ComoPlantilla, int Tipo) = 0;
    // The one insertion routine: the codes around the selection, in the configured letter case.
    virtual void InsertaCodigo(int16_t Ctrl, int16_t Shift, const std::string& OpenCode, const std::string& CloseCode) = 0;
    // A chosen file as the current page refers to it (the setting InsertDirs), in the page's text: the
    // one rule of every picker that writes a file's address into the page.
    virtual std::string RutaRelativa(const std::string& FileName) = 0;
    // Reads the document at `index` again from its file, changed on disk by a part; a document with
    // unsaved changes stays as it is.
    virtual void ReloadDocument(int index) = 0;
    // The window's commands, for the controls a part binds to them.
    virtual TCommandTable& Commands() const = 0;
    // The owner of the part's message boxes and file dialogs.
    virtual QWidget* HostWindow() = 0;

protected:
    ~TWindowHost() = default;
};
