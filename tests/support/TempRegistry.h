// A registry store of a test's own: a folder under the temp folder that the store uses while the object lives.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/core/Registry.h"
#include "support/TempDir.h"

// Points the store at a fresh folder and starts it as a new process would; afterwards the store goes
// back to the folder it had, again read afresh.
struct TempRegistry {
    explicit TempRegistry(const std::string& prefix) : Folder(prefix)
    {
        const char* saved = std::getenv("KESTRIMA_CONFIG_DIR");
        Saved = saved ? saved : "";
        setenv("KESTRIMA_CONFIG_DIR", Folder.path.c_str(), 1);
        RegistryStore::Reload();
    }
    ~TempRegistry()
    {
        RegistryStore::Reload();
        setenv("KESTRIMA_CONFIG_DIR", Saved.c_str(), 1);
    }
    TempRegistry(const TempRegistry&) = delete;
    TempRegistry& operator=(const TempRegistry&) = delete;

    TempDir Folder;
    std::string Saved;
};
