// Points the program's support files at a folder while it lives, then back at the folder before.
#pragma once

#include <string>

#include "app/model/KestrimaConfig.h"

struct TProgramFolderWhile {
    explicit TProgramFolderWhile(const std::string& folder) : previous(ProgramFolder()) { SetProgramFolder(folder); }
    ~TProgramFolderWhile() { SetProgramFolder(previous); }
    TProgramFolderWhile(const TProgramFolderWhile&) = delete;
    TProgramFolderWhile& operator=(const TProgramFolderWhile&) = delete;
    std::string previous;
};
