// General string, file and registry routines, free of any widget toolkit.
#include "components/core/xProcs.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "components/core/StrUtils.h"
#include "platform/core/SysUtils.h"

namespace fs = std::filesystem;

std::string RemoveSpaces(std::string_view text)
{
    return DelSpace(text);
}

std::string AddBackslash(std::string_view path)
{
    if (path.empty() || IsPathDelimiter(path.back()))
        return std::string(path);
    return std::string(path) + '/';
}

std::string NextToken(std::string& text, char separator)
{
    size_t at = text.find(separator);
    std::string token;
    if (at == std::string::npos) {
        token.swap(text);
    } else {
        token = text.substr(0, at);
        text.erase(0, at + 1);
    }
    return token;
}

int TokenCount(std::string_view text, char separator)
{
    if (text.empty())
        return 0;
    auto separators = static_cast<int>(std::count(text.begin(), text.end(), separator));
    return text.back() == separator ? separators : separators + 1;
}

bool SameTextNoCase(std::string_view a, std::string_view b)
{
    return AnsiSameText(a, b);
}

std::string ReplaceCharBy(std::string_view text, char c, std::string_view replacement)
{
    return ReplaceStr(text, std::string_view(&c, 1), replacement);
}

void ReplaceAll(std::string& text, std::string_view search, std::string_view replacement)
{
    text = ReplaceStr(text, search, replacement);
}

int64_t FileSizeOf(const std::string& fileName)
{
    std::error_code ec;
    const fs::path path(fileName);
    if (!fs::is_regular_file(path, ec))
        return 0;
    auto size = fs::file_size(path, ec);
    return ec ? 0 : static_cast<int64_t>(size);
}

std::string ShellDisplayName(const std::string& path)
{
    std::error_code ec;
    if (path.empty() || !fs::exists(path, ec))
        return path;
    // "." and ".." name the folder they lead to, as the system resolves it (after a link to a folder
    // ".." leads out of the folder it names); a trailing separator names the folder before it.
    const std::string name0 = fs::path(path).filename().string();
    std::string normal = name0.empty() || name0 == "." || name0 == ".." ? fs::canonical(path, ec).string()
                                                                         : fs::absolute(path, ec).string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    std::string name = ExtractFileName(normal);
    return name.empty() ? path : name;
}

std::string ShortPathName(const std::string& path)
{
    return path;
}

std::string FileNameNoExt(std::string_view path)
{
    std::string name = ExtractFileName(path);
    return name.substr(0, name.size() - ExtractFileExt(name).size());
}

std::string TempDirectory()
{
    std::error_code ec;
    fs::path folder = fs::temp_directory_path(ec);
    return AddBackslash(ec ? "/tmp" : folder.string());
}

std::string RegReadStringPath(HKEY root, const std::string& path)
{
    size_t cut = path.rfind('\\');
    std::string key = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    std::string valueName = cut == std::string::npos ? path : path.substr(cut + 1);
    TRegistry registry;
    registry.SetRootKey(root);
    if (!registry.OpenKey(key, true))
        return {};
    return registry.ReadString(valueName);
}
