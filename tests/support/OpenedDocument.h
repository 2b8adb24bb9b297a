// Test helper: a document opened in an editor as the main window opens one, typed into and saved.
#pragma once

#include <string>

#include "app/model/CodigosISO.h"
#include "app/host/EditingFile.h"
#include "editor/CodeMemo.h"
#include "editor/model/EditorMessages.h"
#include "platform/core/Messages.h"

// The kind the window gives each extension.
inline int kindOf(const std::string& fileName)
{
    const std::string extension = fileName.substr(fileName.find_last_of('.'));
    if (extension == ".js")
        return 3;
    return extension == ".css" || extension == ".txt" ? 2 : 1;
}

// A document opened as the window opens one: read, then shown in the editor.
struct TOpened {
    TEditingFile file;
    TDecodeResult result;
    TOpened(TCodeMemo& editor, const std::string& fileName, const TCodigosISO* entities)
        : file(kindOf(fileName))
    {
        file.FileName = fileName;
        std::string text;
        result = file.ReadFile(fileName, entities, text);
        file.SetText(text);
        file.RestauraEstado(editor);
    }
    // Takes the editor's text and writes it.
    void save(TCodeMemo& editor, const TCodigosISO* entities, bool backups = false)
    {
        file.GuardaEstado(editor);
        file.RestauraEstado(editor);
        file.Texto = editor.StoredText();
        file.WriteFile(backups, entities);
    }
    void type(TCodeMemo& editor, int at, const char* text)
    {
        editor.SetReadOnly(false);
        TSelectionRange caret{at, at};
        editor.PerformSelection(SMM_SET, caret);
        editor.PerformText(EM_REPLACESEL, 1, text);
    }
};

inline TCodigosISO defaultEntities()
{
    TCodigosISO entities;
    entities.LoadDefaults();
    return entities;
}
