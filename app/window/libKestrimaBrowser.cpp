// Showing a page in a browser: the default browser from the registry, or a browser of the Browsers menu, reached through a DDE conversation.
#include "app/window/libKestrimaBrowser.h"

#include <QString>
#include <memory>

#include "platform/DdeClient.h"
#include "platform/MessageBox.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr const char* kKnownBrowsers[] = {"NETSCAPE", "IEXPLORE"};
constexpr int kBrowserNotStarted = 7316;
constexpr int kNoBrowser = 7317;

// The known browser named in the upper-cased path; nil for another one.
const char* knownBrowser(const std::string& upperPath)
{
    for (const char* name : kKnownBrowsers)
        if (upperPath.find(name) != std::string::npos)
            return name;
    return nullptr;
}

// The item's request on an open link, closed afterwards; whether the service took it.
bool request(TDdeClientConv& conv, const std::string& item)
{
    std::string data;
    const bool taken = conv.RequestData(item, data);
    conv.CloseLink();
    return taken;
}

} // namespace

std::string BrowserProgram(const std::string& command)
{
    const size_t first = command.find('"');
    if (first == std::string::npos)
        return {};
    if (first > 0)
        return command.substr(0, first);
    const size_t second = command.find('"', 1);
    return command.substr(1, second == std::string::npos ? std::string::npos : second - 1);
}

std::string BrowserService(const std::string& program)
{
    // The upper-cased copy only names the service: the program keeps its case to be started.
    const std::string upper = AsciiUpperCase(program);
    if (const char* known = knownBrowser(upper))
        return known;
    const std::string name = ExtractFileName(upper);
    return name.substr(0, name.size() - ExtractFileExt(name).size());
}

bool OpenInBrowser(const std::string& FileName)
{
    if (!FileExists(FileName))
        return false;
    const std::string command = DefaultBrowserCommand();
    if (command.empty())
        return false;
    // The service is named after the browser, also behind "env"; the conversation starts the whole
    // command line, with the page as one argument.
    const std::string service = BrowserProgram(command).empty() ? std::string() : BrowserService(CommandProgram(command));
    return DdeOpenURL(service, command, FileName);
}

bool OpenInBrowserReported(QWidget* owner, const std::string& FileName)
{
    if (OpenInBrowser(FileName))
        return true;
    ReportBrowserFailure(owner, FileName, CommandProgram(DefaultBrowserCommand()));
    return false;
}

void ReportBrowserFailure(QWidget* owner, const std::string& FileName, const std::string& browser)
{
    const std::string page = FilePathText(FileName);
    const std::string text = browser.empty() ? FmtLoadStr(kNoBrowser, page.c_str())
                                             : FmtLoadStr(kBrowserNotStarted, page.c_str(), browser.c_str());
    MessageBox(owner, text, {}, MB_OK | MB_ICONSTOP);
}

bool DdeOpenURL(const std::string& Service, const std::string& Application, const std::string& URL)
{
    const std::unique_ptr<TDdeClientConv> conv = NewDdeClientConv();
    conv->SetServiceApplication(Application);
    const std::string item = URL + ",,0xFFFFFFFF,0x0,,,";
    // A request counts when the service took it; one that could not start its browser does not.
    bool requested = false;
    if (conv->SetLink(Service, "WWW_OpenURL") && conv->OpenLink())
        requested = request(*conv, item);
    // A browser that the first attempt had to start answers the second one.
    if (conv->OpenLink())
        requested = request(*conv, item) || requested;
    if (!requested)
        return false;
    if (conv->SetLink(Service, "WWW_Activate") && conv->OpenLink())
        request(*conv, "0xFFFFFFFF,0x0");
    return true;
}

bool OpenInMenuBrowser(const std::string& program, const std::string& FileName, const std::string& URLPrefix)
{
    const char* known = knownBrowser(AsciiUpperCase(program));
    return DdeOpenURL(BrowserService(program), program, known ? FileName : URLPrefix + FileName);
}
