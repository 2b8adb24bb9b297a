// TKestrimaConfig: the program's settings, kept in the registry under Software\Dremal\Kestrima in INI-like sections.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/Classes.h"

// The folder the program's support files come from, with its trailing separator: the executable's
// folder when it holds "Docs/" (a build or an unpacked copy), else the installed share folder.
std::string ProgramFolder();
// Makes ProgramFolder answer `folder` ("" returns to the search); tests point it at their own files.
void SetProgramFolder(const std::string& folder);

// The settings object. Fields are public: every part of the program reads and changes them directly,
// and they reach the registry at the next Save.
class TKestrimaConfig {
public:
    static constexpr const char* kRegistryKey = "Software\\Dremal\\Kestrima";
    static constexpr int kMRUCount = 9;

    // Every field empty, 0 or False until Load.
    TKestrimaConfig() = default;

    // Reads every field, with its default where the registry has none; out-of-range choices are
    // brought back into range.
    void Load();
    // Writes every field. Registry errors raise ERegistryException.
    void Save();

    std::string Version;
    std::string LastOpenDir;
    std::string LastSaveDir;
    std::string LastTreeDir;
    std::string LastLibrary;
    std::string LastStyle;
    std::string LastProyect;
    std::string LibraryDir;
    uint8_t InitialFile = 0;  // 0 nothing, 1 new document, 2 most recent file, 3 last project
    uint8_t NewFile = 0;      // 1 new documents start from NewFileModel
    std::string NewFileModel;
    bool Caps = false;
    uint8_t InsertDirs = 0;
    bool QuickTag = false;
    bool AddOpenFiles = false;
    bool InsSpecChar = false;
    bool InsHtmlData = false;
    std::string CharacterLib;
    bool MakeBackups = false;
    bool UseCustomPalette = false;
    std::string CustomPalette;
    std::string TopicHelp;
    bool ShowTips = false;
    std::string FileWeighExt;
    int32_t FontSize = 0;
    int32_t InsCaseMode = 0;
    int32_t DateFormat = 0;
    int32_t DefaultParser = 0;  // 1 HTML, 2 text, 3 JavaScript
    bool SaveCheckBoxes = false;
    uint8_t BrowserMode = 0;    // 0 no preview file, 1 temporary copy, 2 save and show the document
    int32_t FormTop = 0;
    int32_t FormLeft = 0;
    int32_t FormWidth = 0;
    int32_t FormHeight = 0;
    uint8_t FormWindowState = 0;  // 0 normal, 1 minimised, 2 maximised
    bool SaveWindow = false;
    int32_t ColTagsWidth = 0;
    int32_t ColValuWidth = 0;
    // The recent files, newest first; nine entries after Load.
    TStringList MRU;
    // Menu entries, name = caption and value = command line, browser or tag text; a name "-" is a
    // separator.
    TStringList UtilNames, UtilValues;
    TStringList BrwNames, BrwValues;
    TStringList TagNames, TagValues;
    std::string Email;
    std::string Making;
    std::string Corvela;
    std::string Web;
    std::string URLPrefix;
};
