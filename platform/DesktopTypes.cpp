// Desktop entries and MIME associations for the program's shell verbs.
#include "platform/DesktopTypes.h"

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"
#include "platform/core/FileSystem.h"

namespace {

std::string utf8(const std::string& text)
{
    return FromWin1252(text).toUtf8().toStdString();
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

// The pieces of `text` between separators; a separator at the end starts no further piece.
std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool writeFile(const std::string& fileName, const std::string& text, std::string& error)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(fileName).parent_path(), ec);
    return ReplaceFileContents(fileName, text, error);
}

bool removeFile(const std::string& fileName, std::string& error)
{
    std::error_code ec;
    std::filesystem::remove(fileName, ec);
    if (ec) {
        error = fileName + ": " + ec.message();
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
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
    if (tool.isEmpty())
        return;
    QProcess update;
    update.start(tool, {QString::fromStdString(mimeFolder)});
    update.waitForFinished(30000);
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
    text += "Exec=" + execArgument(utf8(program)) + " --shell-exec " + execArgument(utf8(verb.Type + "\\" + verb.Verb))
        + " %f\n";
    text += "MimeType=" + verb.MimeType + ";\nNoDisplay=true\nTerminal=false\n";
    return text;
}

std::string EditMimeApps(const std::string& text, const std::string& group, const std::string& mime,
    const std::string& entry, bool add)
{
    std::vector<std::string> lines = split(text, '\n');
    const std::string header = "[" + group + "]";
    bool inGroup = false;
    bool done = false;
    size_t groupEnd = std::string::npos; // where a new line of the group goes
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = trimmed(lines[i]);
        if (!line.empty() && line[0] == '[') {
            inGroup = line == header;
            if (inGroup)
                groupEnd = i + 1;
            continue;
        }
        if (!inGroup)
            continue;
        if (!line.empty())
            groupEnd = i + 1;
        const size_t equals = line.find('=');
        if (equals == std::string::npos || trimmed(line.substr(0, equals)) != mime || done)
            continue;
        std::vector<std::string> kept;
        for (const std::string& e : split(trimmed(line.substr(equals + 1)), ';'))
            if (!trimmed(e).empty() && trimmed(e) != entry)
                kept.push_back(e);
        if (add)
            kept.push_back(entry);
        done = true;
        if (kept.empty()) {
            lines.erase(lines.begin() + static_cast<long>(i));
            --i;
            continue;
        }
        std::string joined = mime + "=";
        for (const std::string& e : kept)
            joined += e + ";";
        lines[i] = joined;
    }
    if (add && !done) {
        const std::string line = mime + "=" + entry + ";";
        if (groupEnd == std::string::npos) {
            if (!lines.empty() && !trimmed(lines.back()).empty())
                lines.push_back("");
            lines.push_back(header);
            lines.push_back(line);
        } else {
            lines.insert(lines.begin() + static_cast<long>(groupEnd), line);
        }
    }
    std::string result;
    for (const std::string& line : lines)
        result += line + "\n";
    return result;
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
