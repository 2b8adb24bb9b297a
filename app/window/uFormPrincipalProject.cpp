// TformPrincipal: the Project submenu, New, Open, Edit and Close Project.
#include "app/window/uFormPrincipal.h"

#include <QFile>
#include <QMenu>
#include <QLineEdit>
#include <QMenuBar>
#include <cstdio>
#include <pwd.h>
#include <unistd.h>

#include "app/host/EditingFile.h"
#include "app/dialogs/UFormProyecto.h"
#include "app/model/KestrimaConfig.h"
#include "app/model/ProjectFile.h"
#include "platform/FileDialogs.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/IniFile.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

// "Proyectos Kestrima (*.kr)|*.kr"
constexpr int kProjectFilter = 5058;

// The logged-on user's name, the author New Project proposes.
std::string userName()
{
    if (const passwd* entry = getpwuid(geteuid()); entry && entry->pw_name)
        return entry->pw_name;
    const char* name = getenv("USER");
    return name ? name : "";
}

} // namespace

void TformPrincipal::buildProjectCommands()
{
    QMenu* archivo = FMenus.mArchivo;
    auto* mProyecto = FMenus.mProyecto = new QMenu(this);
    mProyecto->setObjectName("mProyecto");
    QAction* submenu = mProyecto->menuAction();
    submenu->setObjectName("mProyecto");
    submenu->setText(FCommands->Action("mProyecto")->text());
    FCommands->Bind(submenu, "mProyecto");
    const std::pair<const char*, void (TformPrincipal::*)()> items[] = {
        {"mNuevoProyecto", &TformPrincipal::mNuevoProyectoClick},
        {"mAbrirProyecto", &TformPrincipal::mAbrirProyectoClick},
        {"mEditarProyecto", &TformPrincipal::mEditarProyectoClick},
        {"mCerrarProyecto", &TformPrincipal::mCerrarTodoClick},
    };
    for (const auto& [name, handler] : items) {
        QAction* item = FCommands->Action(name);
        mProyecto->addAction(item);
        connect(item, &QAction::triggered, this, [this, h = handler] { CallHandler(this, [&] { (this->*h)(); }); });
    }
    if (!archivo)
        return;
    // The project follows the commands on documents.
    const QList<QAction*> actions = archivo->actions();
    const qsizetype closeAll = actions.indexOf(FFileCommands.mCerrarTodo);
    QAction* before = closeAll >= 0 && closeAll + 1 < actions.size() ? actions[closeAll + 1] : nullptr;
    archivo->insertSeparator(before);
    archivo->insertMenu(before, mProyecto);
}

void TformPrincipal::openProjectList(const std::vector<TProjectEntry>& files)
{
    // In the list's order, as opening the project from its file does.
    for (const TProjectEntry& entry : files) {
        if (!entry.Opens || !FileExists(entry.Path) || FDocuments.IndexOfFile(entry.Path) >= 0)
            continue;
        AbreArchivo(entry.Path, false, TipoDeArchivo(entry.Path));
    }
}

void TformPrincipal::mNuevoProyectoClick()
{
    TformProyecto dialog(*this);
    // The dialog proposes the author and the named documents, first tab first. The proposal lives
    // only while the dialog does.
    std::string proposalName;
    const TScopeGuard removeProposal([&proposalName] {
        if (!proposalName.empty())
            std::remove(proposalName.c_str());
    });
    try {
        proposalName = TemporaryProjectFileName();
        // Nothing of an earlier proposal is kept.
        std::remove(proposalName.c_str());
        TIniFile proposal(proposalName);
        proposal.WriteString(kProjectDataSection, "Autor", userName());
        std::vector<TProjectEntry> named;
        for (int i = 0; i < DocumentCount(); ++i) {
            const TEditingFile* file = EditingFile(i);
            if (file->FileName.empty())
                continue;
            if (ProjectStoresPath(file->FileName))
                named.push_back(TProjectEntry{file->FileName, true});
            else
                MessageBox(this, ProjectRefusesPathText(file->FileName), {}, MB_OK | MB_ICONWARNING);
        }
        WriteProjectFileEntries(proposal, named);
        proposal.UpdateFile();
    } catch (const Exception& error) {
        // Without the proposal the dialog starts empty; the project itself is still to be written.
        MessageBox(this, error.Message(), {}, MB_OK | MB_ICONWARNING);
    }
    std::string fileName;
    if (!dialog.Execute(fileName))
        return;
    FConfig->LastProyect = fileName;
    NombreProyecto = ProjectDataText(TIniFile(fileName), "Nombre");
    openProjectList(dialog.Files());
    EditorOnChange();
}

void TformPrincipal::mAbrirProyectoClick()
{
    TFileDialogRequest dialog;
    dialog.Filter = LoadResString(kProjectFilter);
    dialog.InitialDir = OpenDialogInitialDir;
    dialog.Options = ofHideReadOnly | ofFileMustExist;
    if (!ExecuteFileDialog(this, dialog))
        return;
    OpenDialogInitialDir = ExtractFilePath(dialog.FileName);
    // Documents the user keeps by cancelling a save question keep the project as it was.
    if (!FormCloseQuery() || DocumentCount() > 0)
        return;
    openProjectFiles(dialog.FileName, true);
    FConfig->LastProyect = dialog.FileName;
    EditorOnChange();
}

void TformPrincipal::mEditarProyectoClick()
{
    if (FConfig->LastProyect.empty())
        return;
    TformProyecto dialog(*this);
    std::string fileName = FConfig->LastProyect;
    if (!dialog.Execute(fileName))
        return;
    openProjectList(dialog.Files());
    NombreProyecto = ToEditorText(dialog.eNombre->text());
    EditorOnChange();
}
