// TformReemplazar: replace in files: a list of files, the texts to find and to put instead, backups and whole words, run over the files on disk with a progress bar.
#pragma once

#include <QDialog>
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "platform/FileDialogs.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class TFormStorage;
class TWindowHost;

// The form's open dialog as a component, so that the form storage keeps its folder.
class TOpenFilesDialog : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString InitialDir READ InitialDirText WRITE SetInitialDirText)
public:
    using QObject::QObject;
    TFileDialogRequest Request;
    QString InitialDirText() const;
    void SetInitialDirText(const QString& value);
};

class TformReemplazar : public QDialog {
public:
    // The host's documents are looked at before a file is replaced, and reloaded after.
    explicit TformReemplazar(TWindowHost& host);
    ~TformReemplazar() override;

    // Shows the form modally until Salir.
    void Execute();

    QListWidget* lbFiles;
    QPushButton* btnAdd;
    QPushButton* btnRemove;
    QLineEdit* edtFind;
    QLineEdit* edtReplace;
    QCheckBox* cbBackup;
    QCheckBox* cbWhole;
    QPushButton* btnStart;
    QPushButton* btnExit;
    QProgressBar* ProgressBar;
    TOpenFilesDialog* OpenDialog;
    TFormStorage* FormStorage1;

    // The files of the list, from the top.
    std::vector<std::string> Files() const;
    // Appends a file unless the list has it, under this name or another (SameFile).
    void AddFile(const std::string& fileName);

    void btnAddClick();
    void btnRemoveClick();
    // Replaces in every file of the list, in order, each file once. A file open in the window with
    // unsaved changes, a file that is not text and a file that cannot be read or written are passed
    // over, and an open one without changes is read again once replaced. No backup overwrites
    // another (TRunBackups). The files passed over, and backups under another name, are named at the end.
    void btnStartClick();
    void btnExitClick();

private:
    // Replaces in every listed file, each once however often it is listed. `notes` names the files
    // passed over (unsaved in the editor, not text, not readable or not writable), those left
    // without their backup and those whose backup took another name. `find`: the text looked for, as
    // the field holds it. The number of replacements.
    int replaceAll(const std::string& find, std::vector<std::string>& notes);

    TWindowHost& FHost;
};

// While set, Execute hands the shown form to the hook instead of running it modally. Returns the hook
// it replaces.
using TReplaceFormHook = std::function<void(TformReemplazar& form)>;
TReplaceFormHook SetReplaceFormHook(TReplaceFormHook hook);
