// A folder of a test's own under the system temp folder, removed with everything in it afterwards.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/core/Classes.h"

struct TempDir {
    std::filesystem::path path;

    // `prefix` names the folder after the test program that made it.
    explicit TempDir(const std::string& prefix = "kestrima")
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        if (mkdtemp(pattern.data()))
            path = pattern;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes `text` to the file `name` in the folder; its full path.
    std::string file(const std::string& name, const std::string& text) const
    {
        std::string full = (path / name).string();
        WriteFileBytes(full, text);
        return full;
    }
};
