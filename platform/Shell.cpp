// The desktop's shell: opening an address or a file the way the desktop opens it.
#include "platform/Shell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <utility>

#include "platform/Win1252Qt.h"
#include "platform/core/SysUtils.h"

namespace {

TShellOpenHook& hook()
{
    static TShellOpenHook answer;
    return answer;
}

bool isAddress(const std::string& target)
{
    if (target.find("://") != std::string::npos)
        return true;
    for (const char* prefix : {"mailto:", "www.", "ftp."})
        if (target.size() > std::char_traits<char>::length(prefix) &&
            SameText(std::string_view(target).substr(0, std::char_traits<char>::length(prefix)), prefix))
            return true;
    return false;
}

} // namespace

TShellOpenHook SetShellOpenHook(TShellOpenHook answer)
{
    return std::exchange(hook(), std::move(answer));
}

bool ShellOpen(const std::string& target)
{
    if (hook())
        return hook()(target);
    const std::string text = Trim(target);
    if (text.empty())
        return false;
    if (isAddress(text)) {
        QUrl url = QUrl::fromUserInput(FromWin1252(text));
        return url.isValid() && QDesktopServices::openUrl(url);
    }
    const QFileInfo file(FromWin1252(NativePath(text)));
    if (!file.exists())
        return false;
    if (file.isFile() && file.isExecutable())
        return QProcess::startDetached(file.absoluteFilePath(), {}, file.absolutePath());
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
}
