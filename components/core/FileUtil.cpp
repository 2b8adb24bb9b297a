// File-name routines over the file system, free of any widget toolkit.
#include "components/core/FileUtil.h"

#include <filesystem>
#include <system_error>

#include "platform/core/SysUtils.h"

namespace fs = std::filesystem;

namespace {

// The name of the entry the path finds: the exact name when it exists, else the first entry of the
// folder whose name differs only in letter case, as a case-blind file system would find it.
std::string foundName(const std::string& name)
{
    std::error_code ec;
    fs::path path(name);
    std::string wanted = path.filename().string();
    if (wanted.empty() || wanted == "." || wanted == "..")
        return {};
    if (fs::exists(fs::symlink_status(path, ec)))
        return wanted;
    fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    // The error-code increment: an entry that vanishes while the folder is read must not throw.
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string candidate = it->path().filename().string();
        if (AnsiSameText(candidate, wanted))
            return candidate;
    }
    return {};
}

} // namespace

bool DirExists(const std::string& name)
{
    std::error_code ec;
    return !name.empty() && fs::is_directory(name, ec);
}

bool HasAnyChar(std::string_view text, std::string_view chars)
{
    return text.find_first_of(chars) != std::string_view::npos;
}

bool ValidFileName(std::string_view name)
{
    return !name.empty() && !HasAnyChar(name, "<>\"[]|");
}

std::string ShortToLongFileName(const std::string& name)
{
    return foundName(name);
}

std::string LongToShortFileName(const std::string& name)
{
    return foundName(name);
}
