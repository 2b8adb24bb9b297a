// TDdeClientConv: a client conversation with another program's DDE service (a browser), made through a factory that tests replace.
#include "platform/DdeClient.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <utility>

#include "platform/Win1252Qt.h"
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

// The program of a desktop entry's Exec line: its first word, found on the path.
std::string programOfDesktopEntry(const QString& entry)
{
    for (const QString& folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation)) {
        QFile file(QDir(folder).filePath(entry));
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (!line.startsWith(QLatin1String("Exec=")))
                continue;
            const QStringList words = QProcess::splitCommand(line.mid(5));
            if (words.isEmpty())
                return {};
            const QString program = QStandardPaths::findExecutable(words.first());
            return program.isEmpty() ? std::string() : ToWin1252(program);
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
    const std::string url = item.substr(0, item.find(",,"));
    FStarted = QProcess::startDetached(FromWin1252(FServiceApplication), {FromWin1252(url)});
    return FStarted;
}

std::string DesktopBrowserProgram()
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0) {
        const QString entry = QString::fromUtf8(query.readAllStandardOutput()).trimmed();
        if (!entry.isEmpty()) {
            const std::string program = programOfDesktopEntry(entry);
            if (!program.empty())
                return program;
        }
    }
    return ToWin1252(QStandardPaths::findExecutable(QStringLiteral("xdg-open")));
}

std::string DefaultBrowserCommand()
{
    TRegistry registry;
    registry.SetRootKey(HKEY_CLASSES_ROOT);
    if (registry.OpenKeyReadOnly(kBrowserKey)) {
        const std::string command = registry.ReadString("");
        registry.CloseKey();
        if (!command.empty())
            return command;
    }
    const std::string program = DesktopBrowserProgram();
    if (program.empty())
        return {};
    const std::string command = "\"" + program + "\" \"%1\"";
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
