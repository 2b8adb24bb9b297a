// The XDG data and config folders pointed into a folder of a test's own while the object lives.
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

#include "support/TempDir.h"

struct TempXdg {
    TempXdg() : Folder("xdg")
    {
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            const char* value = std::getenv(name);
            Saved.push_back(value ? value : "");
        }
        Data = (Folder.path / "data").string();
        Config = (Folder.path / "config").string();
        setenv("XDG_DATA_HOME", Data.c_str(), 1);
        setenv("XDG_CONFIG_HOME", Config.c_str(), 1);
    }
    ~TempXdg()
    {
        setenv("XDG_DATA_HOME", Saved[0].c_str(), 1);
        setenv("XDG_CONFIG_HOME", Saved[1].c_str(), 1);
    }
    TempXdg(const TempXdg&) = delete;
    TempXdg& operator=(const TempXdg&) = delete;

    TempDir Folder;
    std::vector<std::string> Saved;
    std::string Data;
    std::string Config;
};
