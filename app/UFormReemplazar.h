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
    // Appends a file unless the list has it (letter case aside).
    void AddFile(const std::string& fileName);

    void btnAddClick();
    void btnRemoveClick();
    // Replaces in every file of the list, in order. A file open in the window with unsaved changes
    // and a file that is not text are passed over, and an open one without changes is read again
    // once replaced; a file that cannot be read or written ends the run with a message naming it,
    // the files before it keeping their changes. The files passed over are named at the end.
    void btnStartClick();
    void btnExitClick();

private:
    // The message of the error that ended the run; empty when it ran to the end. `notes` names the
    // files passed over and those left without their backup.
    std::string replaceAll(std::vector<std::string>& notes);

    TWindowHost& FHost;
};

// While set, Execute hands the shown form to the hook instead of running it modally. Returns the hook
// it replaces.
using TReplaceFormHook = std::function<void(TformReemplazar& form)>;
TReplaceFormHook SetReplaceFormHook(TReplaceFormHook hook);
