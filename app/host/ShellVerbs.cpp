// The shell verbs in the store and on the desktop.
#include "app/host/ShellVerbs.h"

#include <QCoreApplication>

#include "platform/DesktopTypes.h"
#include "platform/FileNameQt.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"

namespace {
constexpr int kDesktopRefused = 5300;
// Whether the last failure was shown already.
bool desktopFailureShown = false;
} // namespace

bool ChangeShellVerb(QWidget* owner, TShellVerbKind kind, bool registered, const std::string& programPath)
{
    const std::string program =
        programPath.empty() ? ToFilePath(QCoreApplication::applicationFilePath()) : programPath;
    const std::string type = SetShellVerb(kind, registered, program);
    const TShellVerbInfo& info = ShellVerbInfo(kind);
    TDesktopVerb verb;
    verb.Type = type.empty() ? info.TypeName : type;
    verb.Verb = info.Verb;
    verb.MimeType = kind == TShellVerbKind::OpenProject ? kProjectMimeType : "text/html";
    verb.IsDefault = info.IsDefault;
    std::string error;
    if (MirrorDesktopVerb(verb, registered, program, error)) {
        desktopFailureShown = false;
        return true;
    }
    if (!desktopFailureShown) {
        desktopFailureShown = true;
        MessageBox(owner, FmtLoadStr(kDesktopRefused, error.c_str()), {}, MB_OK | MB_ICONWARNING);
    }
    return false;
}
