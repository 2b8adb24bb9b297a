// TDdeClientConv: a client conversation with another program's DDE service (a browser), made through a factory that tests replace.
#include "platform/DdeClient.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <utility>

#include "platform/FileNameQt.h"
#include "platform/core/Classes.h"
#include "platform/core/Process.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"

namespace {

TDdeClientFactory& factory()
{
    static TDdeClientFactory answer;
    return answer;
}

constexpr const char* kOpenURL = "WWW_OpenURL";
constexpr const char* kActivate = "WWW_Activate";
constexpr const char* kBrowserKey = "htmlfile\\shell\\open\\command";

// The Exec value of the desktop entry's own group (not of its actions), as UTF-8 text; empty when the
// entry is not found.
QString execOfDesktopEntry(const QString& entry)
{
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        QFile file(folder + QLatin1Char('/') + entry);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        bool mainGroup = false;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.startsWith(QLatin1Char('[')))
                mainGroup = line == QLatin1String("[Desktop Entry]");
            else if (mainGroup && line.startsWith(QLatin1String("Exec=")))
                return line.mid(5);
        }
    }
    return {};
}

} // namespace

bool TDdeClientConv::SetLink(const std::string& service, const std::string& topic)
{
    CloseLink();
    FService = service;
    FTopic = topic;
    return !service.empty() && !topic.empty();
}

std::unique_ptr<TDdeClientConv> NewDdeClientConv()
{
    if (factory())
        return factory()();
    return std::make_unique<TBrowserDdeConv>();
}

TDdeClientFactory SetDdeClientFactory(TDdeClientFactory answer)
{
    return std::exchange(factory(), std::move(answer));
}

bool TBrowserDdeConv::OpenLink()
{
    if (FService.empty())
        return false;
    FOpen = FTopic == kActivate || (FTopic == kOpenURL && !FServiceApplication.empty());
    return FOpen;
}

bool TBrowserDdeConv::RequestData(const std::string& item, std::string& data)
{
    data.clear();
    if (!FOpen)
        return false;
    if (FTopic != kOpenURL || FStarted)
        return true;
    // The address and the command are both the file system's bytes (a program's path is a file's
    // name), and the browser gets them so: a page or a program whose name spells no text still reaches it.
    const std::string address = item.substr(0, item.find(",,"));
    const std::vector<std::string> arguments = FileExists(FServiceApplication)
                                                   ? std::vector<std::string>{FServiceApplication, address}
                                                   : BrowserArguments(FServiceApplication, address);
    FStarted = !arguments.empty() && StartDetachedProcess(arguments);
    return FStarted;
}

std::string DesktopBrowserCommand()
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0) {
        const QString entry = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
        if (!entry.isEmpty()) {
            const std::string command = BrowserCommandFromExec(ToFilePath(execOfDesktopEntry(entry)));
            if (!command.empty())
                return command;
        }
    }
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return opener.isEmpty() ? std::string() : CommandLineOf({ToFilePath(opener), kPagePlaceholder});
}


std::string DefaultBrowserCommand()
{
    TRegistry registry;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    if (registry.OpenKeyReadOnly(kBrowserKey)) {
        const std::string command = registry.ReadString("");
        registry.CloseKey();
        // A command that would start the page itself (as "/usr/bin/env" "%1", from an entry whose
        // first word was taken for the browser) is found again on the desktop.
        if (!command.empty() && !BrowserArguments(command, kPagePlaceholder).empty())
            return command;
    }
    const std::string command = DesktopBrowserCommand();
    if (command.empty())
        return {};
    // A store that cannot be written still lets this start show the page.
    try {
        if (registry.OpenKey(kBrowserKey, true)) {
            registry.WriteString("", command);
            registry.CloseKey();
        }
    } catch (const Exception&) {
    }
    return command;
}
