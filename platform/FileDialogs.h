// The open and save dialogs: a filter in the class library's "Name|*.a;*.b|..." form, an initial folder and the chosen files.
#pragma once

#include <functional>
#include <string>
#include <vector>

class QWidget;

// Options of the dialogs, numbered as the class library numbers them.
enum TOpenOption : unsigned {
    ofOverwritePrompt = 0x2,
    ofHideReadOnly = 0x4,
    ofAllowMultiSelect = 0x200,
    ofFileMustExist = 0x1000,
};

// What a dialog asks and, once confirmed, what the user chose. File names are the file system's
// bytes; the filter is Windows-1252 text.
struct TFileDialogRequest {
    bool Save = false;
    std::string Filter;
    int FilterIndex = 1;  // 1-based
    std::string InitialDir;
    std::string FileName;
    std::string DefaultExt;
    unsigned Options = 0;
    // The picture dialog: the chosen picture is shown beside the list.
    bool Picture = false;
    // The chosen files; FileName is the first of them.
    std::vector<std::string> Files;
    // The window title (Windows-1252); empty for the toolkit's own.
    std::string Title;
    // Folders offered beside the initial one.
    std::vector<std::string> History;
    // The filter entry (1-based) that lists the programs of this system: the files one may run,
    // whatever their names (its masks then name every file, "*"); 0 for none.
    int ProgramsFilter = 0;
};

// A save dialog's request: asks before replacing a file and hides the read-only choice.
TFileDialogRequest SaveDialogRequest(std::string filter, std::string defaultExt);

// The extension (without its dot) a save dialog gives a name typed without one: the first the chosen
// filter names ("Estilos|*.css", "Internet HTML|*.html;*.htm"), spelt as DefaultExt when it is the
// same; DefaultExt when the filter names no plain extension ("*.*"); empty for none.
std::string DefaultExtensionOf(const TFileDialogRequest& request);
// Gives each chosen name of a save dialog (FileName and Files) whose file name has no dot the
// extension DefaultExtensionOf names.
void AddDefaultExtension(TFileDialogRequest& request);

// Shows the dialog modally over `owner`; true when the user confirmed, with FileName, Files and
// FilterIndex filled. A save dialog asks before it takes an existing file, with or without
// ofOverwritePrompt. A save dialog's chosen name without extension gets DefaultExtensionOf (an answer
// of the hook too). An open dialog for one file without ofFileMustExist also takes a name that names
// no file.
bool ExecuteFileDialog(QWidget* owner, TFileDialogRequest& request);

// While set, every dialog is answered by the hook instead of being shown (tests answer through it).
// Returns the hook it replaces; an empty hook shows the dialogs again.
using TFileDialogHook = std::function<bool(TFileDialogRequest& request)>;
TFileDialogHook SetFileDialogHook(TFileDialogHook hook);
