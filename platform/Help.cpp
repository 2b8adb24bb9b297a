// The help engine: a help file name stands for a folder of HTML pages, shown through the shell.
#include "platform/Help.h"

#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <filesystem>
#include <utility>

#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kHelpMissing = 5108;
// The property through which a control carries its help context.
constexpr const char* kHelpContextProperty = "HelpContext";
// A list longer than this is no list of ours.
constexpr int64_t kListLimit = 1 << 20;

std::string& helpFolder()
{
    static std::string folder;
    return folder;
}

std::string& applicationHelpFile()
{
    static std::string file;
    return file;
}

// The list file's text; "" when it cannot be read (a folder without keywords still has its index).
std::string listText(const std::string& fileName)
{
    std::string bytes;
    return ReadFileBytes(fileName, kListLimit, bytes) ? bytes : std::string();
}

// The folder as the system finds it, for the user to look for: links and ".." of the part that
// exists resolved, without the separator at its end.
std::string resolvedFolder(const std::string& folder)
{
    std::filesystem::path path(folder);
    while (path.has_relative_path() && !path.has_filename())
        path = path.parent_path();
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path.string() : resolved.string();
}

} // namespace

void SetHelpFolder(const std::string& folder)
{
    helpFolder() = folder.empty() || IsPathDelimiter(folder.back()) ? folder : folder + "/";
}

std::string HelpPagesFolder(const std::string& helpFile)
{
    const std::string folder = ExtractFilePath(helpFile);
    const std::string name = ExtractFileName(helpFile);
    const std::string stem = name.substr(0, name.size() - ExtractFileExt(name).size());
    return (folder.empty() ? helpFolder() : folder) + stem + "/";
}

const std::string& ApplicationHelpFile()
{
    return applicationHelpFile();
}

void SetApplicationHelpFile(const std::string& helpFile)
{
    applicationHelpFile() = helpFile;
}

TScopeGuard UseHelpFile(const std::string& helpFile)
{
    std::string previous = std::exchange(applicationHelpFile(), helpFile);
    return TScopeGuard([previous = std::move(previous)] { applicationHelpFile() = previous; });
}

bool WinHelp(QWidget* owner, const std::string& helpFile, unsigned command, const std::string& key, int context)
{
    if (command == HELP_QUIT)
        return true;
    const std::string folder = HelpPagesFolder(helpFile);
    if (!FileExists(folder + THelpIndex::kIndexPage)) {
        const std::string shown = FilePathText(resolvedFolder(folder));
        MessageBox(owner, FmtLoadStr(kHelpMissing, shown.c_str()), {}, MB_OK | MB_ICONSTOP);
        return false;
    }
    THelpIndex index;
    index.LoadKeywords(listText(folder + "keywords.txt"));
    index.LoadContexts(listText(folder + "contexts.txt"));
    const std::string page = index.PageFor(command, key, context);
    if (page.empty())
        return false;
    // A page with an anchor ("tabla.html#t") names no file: the shell opens the page at the anchor, by
    // an address that escapes the folder's bytes (a "file://" put in front by hand would not).
    return ShellOpenReported(owner, folder + page);
}

bool HelpCommand(QWidget* owner, unsigned command, const std::string& key, int context)
{
    return WinHelp(owner, applicationHelpFile(), command, key, context);
}

int ControlHelpContext(const QWidget* control)
{
    for (const QWidget* w = control; w; w = w->isWindow() ? nullptr : w->parentWidget()) {
        const int context = w->property(kHelpContextProperty).toInt();
        if (context != 0)
            return context;
    }
    return 0;
}

bool ShowHelpContext(QWidget* owner, int context)
{
    return context != 0 ? HelpCommand(owner, HELP_CONTEXT, {}, context) : HelpCommand(owner, HELP_FINDER);
}

bool ShowControlHelp(QWidget* control)
{
    return ShowHelpContext(control ? control->window() : nullptr, ControlHelpContext(control));
}
