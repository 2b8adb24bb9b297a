// The main window's browser preview and external programs: the preview button, the Browsers and Utilities menus' items.
#include "app/window/uFormPrincipal.h"

#include <QAction>
#include <QMenu>

#include "app/window/libKestrimaBrowser.h"
#include "app/model/KestrimaConfig.h"
#include "platform/HandlerCall.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kProgramNotFound = 4552;

std::string hintOf(QObject* Sender)
{
    const auto* item = qobject_cast<QAction*>(Sender);
    return item ? PathHintOf(item) : std::string();
}

} // namespace

void TformPrincipal::buildBrowserCommands()
{
    // The options dialog makes the settings' items anew; the menus themselves route their clicks.
    const auto route = [this](QMenu* menu, const char* prefix, void (TformPrincipal::*handler)(QObject*)) {
        connect(menu, &QMenu::triggered, this, [this, prefix, handler](QAction* item) {
            if (!item->isSeparator() && item->objectName().startsWith(QLatin1String(prefix)))
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
    if (DocumentCount() > 0 && ArchivoPrevio(file) && !file.empty())
        OpenInBrowserReported(this, file);
}

void TformPrincipal::EjecutaBrowser(QObject* Sender)
{
    std::string file;
    // Preview mode 0 has nothing to show.
    if (!ArchivoPrevio(file) || file.empty())
        return;
    const std::string browser = hintOf(Sender);
    if (!OpenInMenuBrowser(browser, file, FConfig->URLPrefix))
        ReportBrowserFailure(this, file, browser);
}

void TformPrincipal::EjecutaUtilidad(QObject* Sender)
{
    // A utility is a program the user chose to run; its path is the file system's.
    const std::string program = hintOf(Sender);
    if (!ShellStartProgram(program))
        MessageBox(this, FmtLoadStr(kProgramNotFound, FilePathText(program).c_str()), "Kestrima", MB_OK | MB_ICONSTOP);
}
