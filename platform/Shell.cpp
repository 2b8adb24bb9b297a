// The desktop's shell: handing an address or a file to the desktop's opener, which opens it by its kind.
#include "platform/Shell.h"

#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <cctype>
#include <utility>

#include "platform/MessageBox.h"
#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/Process.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kCannotOpen = 7310;
constexpr int kNothingThere = 7311;
constexpr int kNoOpener = 7312;
constexpr int kOpenerRefused = 7313;
constexpr int kUnknownScheme = 7314;
// How long the opener has to say whether it found a program. An opener that is still busy after that
// has started one and waits for it to end (as the generic one does), which is no failure.
constexpr int kOpenerAnswerMs = 2000;

TShellOpenHook& hook()
{
    static TShellOpenHook answer;
    return answer;
}

bool startsWithText(std::string_view text, std::string_view start)
{
    return text.size() > start.size() && SameText(text.substr(0, start.size()), start);
}

// The scheme of an address ("http" for "http://x"), lower case; "" when the text has none. One letter
// before ":" is a drive, not a scheme.
std::string schemeOf(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '+' ||
                               text[i] == '-' || text[i] == '.'))
        ++i;
    if (i < 2 || i >= text.size() || text[i] != ':' || !std::isalpha(static_cast<unsigned char>(text[0])))
        return {};
    std::string scheme(text.substr(0, i));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    return scheme;
}

// "name@host.domain" with nothing that a path or another address would hold.
bool isMailAddress(std::string_view text)
{
    const size_t at = text.find('@');
    if (at == 0 || at == std::string_view::npos || text.find('@', at + 1) != std::string_view::npos)
        return false;
    if (text.find_first_of(" \t/\\:<>\"") != std::string_view::npos)
        return false;
    const std::string_view host = text.substr(at + 1);
    const size_t dot = host.find('.');
    return dot != std::string_view::npos && dot > 0 && host.back() != '.';
}

std::string encodedAddress(const std::string& text)
{
    const QUrl url(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QUrl::TolerantMode);
    return url.isValid() ? url.toString(QUrl::FullyEncoded).toStdString() : std::string();
}

// What the opener gets for a file name: its absolute path, or a "file:" address for a name whose
// "#fragment" names no file. "" when there is no such file.
std::string fileArgument(std::string name, const std::string& folder)
{
    if (!folder.empty() && !name.empty() && name[0] != '/')
        name = folder + name;
    if (PathExists(name))
        return ExpandFileName(name);
    const size_t hash = name.find('#');
    if (hash == std::string::npos || hash == 0)
        return {};
    const std::string page = name.substr(0, hash);
    if (!FileExists(page))
        return {};
    QUrl url = UrlOfFilePath(ExpandFileName(page));
    url.setFragment(FromFilePath(name.substr(hash + 1)));
    return url.toString(QUrl::FullyEncoded).toStdString();
}

// The opener's argument for a target; "" with the string id of the reason when there is none.
std::string openerArgument(const std::string& text, const std::string& folder, int& why)
{
    const std::string scheme = schemeOf(text);
    std::string argument;
    if (scheme == "file") {
        const QUrl url(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), QUrl::TolerantMode);
        std::string name = FilePathOfUrl(url);
        if (url.hasFragment())
            name.append("#").append(ToFilePath(url.fragment(QUrl::FullyDecoded)));
        argument = fileArgument(name, {});
        why = argument.empty() ? kNothingThere : 0;
        return argument;
    }
    if (scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "mailto" || scheme == "news")
        argument = encodedAddress(text);
    else if (!scheme.empty()) {
        why = kUnknownScheme;
        return {};
    } else if (startsWithText(text, "www."))
        argument = encodedAddress("http://" + text);
    else if (startsWithText(text, "ftp."))
        argument = encodedAddress("ftp://" + text);
    else if (isMailAddress(text))
        argument = encodedAddress("mailto:" + text);
    else
        argument = fileArgument(text, folder);
    why = argument.empty() ? kNothingThere : 0;
    return argument;
}

// Runs the opener on the argument, which it gets as the name's own bytes (a Qt string would lose those
// that spell no UTF-8 character); false with the reason's string id when it is missing or refuses.
bool runOpener(const std::string& argument, int& why)
{
    const std::string opener = DesktopOpener();
    if (opener.empty()) {
        why = kNoOpener;
        return false;
    }
    switch (RunProcess({opener, argument}, kOpenerAnswerMs)) {
    case TProcessEnd::NotStarted: why = kNoOpener; return false;
    case TProcessEnd::Failed: why = kOpenerRefused; return false;
    case TProcessEnd::Running:
    case TProcessEnd::Succeeded: break;
    }
    why = 0;
    return true;
}

} // namespace

TShellOpenHook SetShellOpenHook(TShellOpenHook answer)
{
    return std::exchange(hook(), std::move(answer));
}

std::string DesktopOpener()
{
    return ToFilePath(QStandardPaths::findExecutable(QStringLiteral("xdg-open")));
}

bool ShellOpen(const std::string& target, std::string* why, const std::string& folder)
{
    if (hook())
        return hook()(target);
    const std::string text = Trim(target);
    int reason = kNothingThere;
    const std::string argument = text.empty() ? std::string() : openerArgument(text, folder, reason);
    const bool opened = !argument.empty() && runOpener(argument, reason);
    if (!opened && why)
        *why = LoadResString(reason);
    return opened;
}

bool ShellOpenReported(QWidget* owner, const std::string& target, const std::string& folder)
{
    std::string why;
    if (ShellOpen(target, &why, folder))
        return true;
    if (why.empty())
        why = LoadResString(kOpenerRefused);
    const std::string shown = FilePathText(target);
    MessageBox(owner, FmtLoadStr(kCannotOpen, shown.c_str(), why.c_str()), {}, MB_OK | MB_ICONSTOP);
    return false;
}

bool ShellStartProgram(const std::string& program)
{
    if (hook())
        return hook()(program);
    const std::string path = Trim(program);
    if (IsExecutableFile(path)) {
        // The program's own name, bytes and all: it is started by the name it has on disk.
        const std::string file = ExpandFileName(path);
        return StartDetachedProcess({file}, ExtractFilePath(file));
    }
    return ShellOpen(program);
}
