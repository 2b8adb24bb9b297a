// Desktop entries and MIME associations for the program's shell verbs.
#include "platform/DesktopTypes.h"

#include <QByteArray>
#include <QStandardPaths>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/FileNameQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MimeApps.h"
#include "platform/core/Process.h"
#include "platform/core/SysUtils.h"

namespace {

std::string utf8(const std::string& text)
{
    return FromEditorText(text).toUtf8().toStdString();
}

std::string xdgFolder(const char* variable, const char* fallback)
{
    // Relative values are to be ignored.
    if (const char* value = std::getenv(variable); value && value[0] == '/')
        return value;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/" + fallback;
}

// One argument of an Exec line: quoted, with the characters the quoting reserves escaped, then the
// backslashes doubled again for the file's string escapes, and "%" doubled for the field codes.
std::string execArgument(const std::string& text)
{
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    std::string escaped;
    for (char c : quoted) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '%')
            escaped += "%%";
        else
            escaped += c;
    }
    return escaped;
}

bool writeFile(const std::string& fileName, const std::string& text, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(fileName).parent_path(), ec);
    if (ReplaceFileContents(fileName, text, error))
        return true;
    error = FilePathText(fileName) + ": " + error;
    return false;
}

bool removeFile(const std::string& fileName, std::string& error)
{
    std::error_code ec;
    std::filesystem::remove(fileName, ec);
    if (ec) {
        error = FilePathText(fileName) + ": " + SysErrorMessage(ec.value());
        return false;
    }
    return true;
}

const char* const kProjectPackage =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <mime-type type=\"application/x-kestrima-project\">\n"
    "    <comment>Proyecto de Kestrima</comment>\n"
    "    <glob pattern=\"*.kr\"/>\n"
    "  </mime-type>\n"
    "</mime-info>\n";

void refreshMimeDatabase(const std::string& mimeFolder)
{
    const std::string tool = ToFilePath(QStandardPaths::findExecutable(QStringLiteral("update-mime-database")));
    // The folder goes as its bytes: a home folder's name need not spell text.
    if (!tool.empty())
        RunProcess({tool, mimeFolder}, 30000);
}

} // namespace

std::string DesktopDataFolder()
{
    return xdgFolder("XDG_DATA_HOME", ".local/share");
}

std::string DesktopConfigFolder()
{
    return xdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string DesktopEntryName(const TDesktopVerb& verb)
{
    std::string name = "kestrima";
    for (const std::string& part : {verb.Type, verb.Verb}) {
        name += '-';
        for (unsigned char c : part) {
            if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
                name += static_cast<char>(c);
            else if (c >= 'A' && c <= 'Z')
                name += static_cast<char>(c - 'A' + 'a');
            else if (name.back() != '-')
                name += '-';
        }
    }
    return name + ".desktop";
}

std::string DesktopEntryText(const TDesktopVerb& verb, const std::string& program)
{
    std::string text = "[Desktop Entry]\nType=Application\nName=" + utf8(verb.Verb) + "\n";
    // The program's path is the file system's bytes already; the rest is the settings' text.
    text += "Exec=" + execArgument(program) + " --shell-exec " + execArgument(utf8(verb.Type + "\\" + verb.Verb))
        + " %f\n";
    text += "MimeType=" + verb.MimeType + ";\nNoDisplay=true\nTerminal=false\n";
    return text;
}

bool MirrorDesktopVerb(const TDesktopVerb& verb, bool registered, const std::string& program, std::string& error)
{
    error.clear();
    const std::string data = DesktopDataFolder();
    const std::string config = DesktopConfigFolder();
    const std::string entryName = DesktopEntryName(verb);
    const std::string entryFile = data + "/applications/" + entryName;
    bool ok = registered ? writeFile(entryFile, DesktopEntryText(verb, program), error) : removeFile(entryFile, error);

    const bool project = verb.MimeType == kProjectMimeType;
    if (project) {
        const std::string package = data + "/mime/packages/kestrima-project.xml";
        std::string packageError;
        const bool changed = registered ? (!FileExists(package) || ReadFileBytes(package) != kProjectPackage) : FileExists(package);
        if (changed) {
            if (registered ? writeFile(package, kProjectPackage, packageError) : removeFile(package, packageError))
                refreshMimeDatabase(data + "/mime");
            else if (ok) {
                ok = false;
                error = packageError;
            }
        }
    }

    const std::string listFile = config + "/mimeapps.list";
    const std::string before = FileExists(listFile) ? ReadFileBytes(listFile) : std::string();
    std::string after = EditMimeApps(before, "Added Associations", verb.MimeType, entryName, registered);
    // Only the project verb becomes a default; the user's default for pages is never replaced.
    if (verb.IsDefault)
        after = EditMimeApps(after, "Default Applications", verb.MimeType, entryName, registered);
    if (after != before) {
        std::string listError;
        if (!writeFile(listFile, after, listError) && ok) {
            ok = false;
            error = listError;
        }
    }
    return ok;
}
