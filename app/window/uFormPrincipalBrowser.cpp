// The main window's browser preview and external programs: the preview button, the Browsers and Utilities menus' items.
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QMenu>
#include <cstdio>

#include "app/window/libKestrimaBrowser.h"
#include "app/model/KestrimaConfig.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kProgramNotFound = 4552;

std::string hintOf(QObject* Sender)
{
    const auto* item = qobject_cast<QAction*>(Sender);
    return item ? PathHintOf(item) : std::string();
}

// Removes the preview's copy `shown` when it ends, unless dismissed once a browser took it: a page no
// browser shows leaves nothing beside the document. Only mode 1 writes a copy; the document itself
// (saved in mode 2, or one named as the copy is) is never removed.
TScopeGuard copyRemovedUnlessShown(int browserMode, const std::string& shown, const std::string& document)
{
    if (browserMode != 1 || shown.empty() || (!document.empty() && SameFile(shown, document)))
        return {};
    return TScopeGuard([shown] { std::remove(shown.c_str()); });
}

} // namespace

void TformPrincipal::buildBrowserCommands()
{
    // The options dialog makes the settings' items anew; the menus themselves route their clicks.
    const auto route = [this](QMenu* menu, const char* prefix, void (TformPrincipal::*handler)(QObject*)) {
        connect(menu, &QMenu::triggered, this, [this, prefix, handler](QAction* item) {
            if (!item->isSeparator() && item->objectName().startsWith(QLatin1String(prefix))) // Not editor text: a name prefix
                CallHandler(this, [this, item, handler] { (this->*handler)(item); });
        });
    };
    route(FMenus.mUtilidades, "UtlMenu", &TformPrincipal::EjecutaUtilidad);
    route(FMenus.mNavegadores, "BrwMenu", &TformPrincipal::EjecutaBrowser);
    connect(FCommands->Action("sbNavegador"), &QAction::triggered, this,
            [this] { CallHandler(this, [this] { sbNavegadorClick(); }); });
}

void TformPrincipal::sbNavegadorClick()
{
    std::string file;
    if (DocumentCount() == 0 || !ArchivoPrevio(file) || file.empty())
        return;
    TScopeGuard copy = copyRemovedUnlessShown(FConfig->BrowserMode, file, ArchivoActual());
    if (OpenInBrowserReported(this, file))
        copy.Dismiss();
}

void TformPrincipal::EjecutaBrowser(QObject* Sender)
{
    std::string file;
    // Preview mode 0 has nothing to show.
    if (!ArchivoPrevio(file) || file.empty())
        return;
    const std::string browser = hintOf(Sender);
    TScopeGuard copy = copyRemovedUnlessShown(FConfig->BrowserMode, file, ArchivoActual());
    if (OpenInMenuBrowser(browser, file, FConfig->URLPrefix))
        copy.Dismiss();
    else
        ReportBrowserFailure(this, file, browser);
}

void TformPrincipal::EjecutaUtilidad(QObject* Sender)
{
    // A utility is a program the user chose to run; its path is the file system's.
    const std::string program = hintOf(Sender);
    if (!ShellStartProgram(program))
        MessageBox(this, FmtLoadStr(kProgramNotFound, FilePathText(program).c_str()), "Kestrima", MB_OK | MB_ICONSTOP);
}
