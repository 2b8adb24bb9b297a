// TKestrimaConfig: the program's settings, kept in the registry under Software\Dremal\Kestrima in INI-like sections.
#include "app/model/KestrimaConfig.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/core/CharacterReferences.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"

namespace {

std::string& programFolderOverride()
{
    static std::string folder;
    return folder;
}

std::string withSeparator(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// A stored choice outside first..last reads as `fallback`.
uint8_t clamped(int32_t value, int32_t last, uint8_t fallback)
{
    return value >= 0 && value <= last ? static_cast<uint8_t>(value) : fallback;
}

// Separators are stored under distinct names ("-0", "-3") because names are keys; in memory they are
// all "-". The names (captions, custom codes) are editor text, as the values are unless `paths`: then
// they are programs' or documents' paths, kept as the file system's bytes.
void readMenuSection(const TRegIniFile& ini, const char* section, TStringList& names, TStringList& values,
                     bool paths)
{
    names.Clear();
    values.Clear();
    ini.ReadSection(section, names);
    for (int i = 0; i < names.Count(); ++i)
        values.Add(paths ? ini.ReadPath(section, names[i], "") : ini.ReadText(section, names[i], ""));
    for (int i = 0; i < names.Count(); ++i) {
        if (!names[i].empty() && names[i][0] == '-')
            names[i] = '-';
        // A 0x1F the store holds that begins no held character is a control character.
        ReplaceStrayMarks(names[i], '.');
    }
}

void writeMenuSection(TRegIniFile& ini, const char* section, TStringList& names, const TStringList& values,
                      bool paths)
{
    ini.EraseSection(section);
    for (int i = 0; i < names.Count(); ++i) {
        if (!names[i].empty() && names[i][0] == '-')
            names[i] = Format("-%d", i);
        // A list edited out of step with its names gets empty values rather than a read past the end.
        const std::string value = i < values.Count() ? values[i] : std::string();
        if (paths) {
            // The store holds a name's held characters as themselves; the mark itself never.
            std::string name = names[i];
            ReplaceStrayMarks(name, '&');
            ini.WritePath(section, name, value);
        } else {
            ini.WriteText(section, names[i], value);
        }
    }
}

} // namespace

std::string ProgramFolder()
{
    if (!programFolderOverride().empty())
        return programFolderOverride();
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path folder = executable.parent_path();
        if (std::filesystem::is_directory(folder / "Docs", ec))
            return withSeparator(folder.string());
    }
    return withSeparator(KESTRIMA_SHARE_DIR);
}

void SetProgramFolder(const std::string& folder)
{
    programFolderOverride() = folder.empty() ? folder : withSeparator(folder);
}

void TKestrimaConfig::Load()
{
    const std::string program = ProgramFolder();
    const char* home = std::getenv("HOME");
    TRegIniFile ini(kRegistryKey);
    Version = ini.ReadString("Settings", "Version", "3.1");
    LastOpenDir = ini.ReadPath("Settings", "LastOpenDir", "");
    LastSaveDir = ini.ReadPath("Settings", "LastSaveDir", "");
    // The folder tree starts in the user's own folder until the user picks another.
    LastTreeDir = ini.ReadPath("Settings", "LastTreeDir", home && *home ? withSeparator(home) : "/");
    LastLibrary = ini.ReadPath("Settings", "LastLibrary", "");
    LastStyle = ini.ReadPath("Settings", "LastStyle", "");
    LastProyect = ini.ReadPath("Settings", "LastProyect", "");
    LibraryDir = ini.ReadPath("Settings", "LibraryDir", program + "Plantillas");
    InitialFile = clamped(ini.ReadInteger("Settings", "InitialFile", 1), 3, 0);
    NewFile = clamped(ini.ReadInteger("Settings", "NewFile", 1), 2, 0);
    NewFileModel = ini.ReadPath("Settings", "NewFileModel", program + "normal.htm");
    Caps = ini.ReadBool("Settings", "Caps", true);
    InsertDirs = clamped(ini.ReadInteger("Settings", "InsertDirs", 2), 2, 1);
    QuickTag = ini.ReadBool("Settings", "QuickTag", false);
    AddOpenFiles = ini.ReadBool("Settings", "AddOpenFiles", true);
    InsSpecChar = ini.ReadBool("Settings", "InsSpecChar", true);
    InsHtmlData = ini.ReadBool("Settings", "InsHtmlData", false);
    CharacterLib = ini.ReadPath("Settings", "CharacterLib", program + "iso8859-1.kyb");
    MakeBackups = ini.ReadBool("Settings", "MakeBackups", true);
    UseCustomPalette = ini.ReadBool("Settings", "UseCustomPalette", true);
    CustomPalette = ini.ReadPath("Settings", "CustomPalette", program + "navigator.pal");
    TopicHelp = ini.ReadPath("Settings", "TopicHelp", "");
    ShowTips = ini.ReadBool("Settings", "ShowTips", true);
    FileWeighExt = ini.ReadString("Settings", "FileWeighExt", ".gif;.jpg;.jpeg;.bmp;.png;.class;.js;.css;.wav;.mid");
    FontSize = ini.ReadInteger("Settings", "FontSize", 8);
    InsCaseMode = ini.ReadInteger("Settings", "InsCaseMode", 3);
    DateFormat = ini.ReadInteger("Settings", "DateFormat", 0);
    DefaultParser = ini.ReadInteger("Settings", "DefaultParser", 1);
    SaveCheckBoxes = ini.ReadBool("Settings", "SaveCheckBoxes", false);
    BrowserMode = clamped(ini.ReadInteger("Settings", "BrowserMode", 1), 2, 0);

    FormTop = ini.ReadInteger("Form", "FormTop", 0);
    FormLeft = ini.ReadInteger("Form", "FormLeft", 0);
    FormWidth = ini.ReadInteger("Form", "FormWidth", 640);
    FormHeight = ini.ReadInteger("Form", "FormHeight", 480);
    FormWindowState = clamped(ini.ReadInteger("Form", "FormWindowState", 1), 2, 0);
    SaveWindow = ini.ReadBool("Form", "SaveWindow", false);
    ColTagsWidth = ini.ReadInteger("Form", "ColTagsWidth", 64);
    ColValuWidth = ini.ReadInteger("Form", "ColValuWidth", 64);

    MRU.Clear();
    for (int i = 0; i < kMRUCount; ++i)
        MRU.Add(ini.ReadPath("MRU", IntToStr(i), ""));

    readMenuSection(ini, "Utilities", UtilNames, UtilValues, true);
    readMenuSection(ini, "Browsers", BrwNames, BrwValues, true);
    readMenuSection(ini, "Tags", TagNames, TagValues, false);

    Email = ini.ReadString("Internet", "Email", "");
    Making = ini.ReadString("Internet", "Making", "");
    Corvela = ini.ReadString("Internet", "Corvela", "");
    Web = ini.ReadString("Internet", "Web", "");
    URLPrefix = ini.ReadString("Internet", "URLPrefix", "");
}

void TKestrimaConfig::Save()
{
    TRegIniFile ini(kRegistryKey);
    ini.WriteString("Settings", "Version", "3.1");
    ini.WritePath("Settings", "LastOpenDir", LastOpenDir);
    ini.WritePath("Settings", "LastSaveDir", LastSaveDir);
    ini.WritePath("Settings", "LastTreeDir", LastTreeDir);
    ini.WritePath("Settings", "LastLibrary", LastLibrary);
    ini.WritePath("Settings", "LastStyle", LastStyle);
    ini.WritePath("Settings", "LastProyect", LastProyect);
    ini.WritePath("Settings", "LibraryDir", LibraryDir);
    ini.WriteInteger("Settings", "InitialFile", InitialFile);
    ini.WriteInteger("Settings", "NewFile", NewFile);
    ini.WritePath("Settings", "NewFileModel", NewFileModel);
    ini.WriteBool("Settings", "Caps", Caps);
    ini.WriteInteger("Settings", "InsertDirs", InsertDirs);
    ini.WriteBool("Settings", "QuickTag", QuickTag);
    ini.WriteBool("Settings", "AddOpenFiles", AddOpenFiles);
    ini.WriteBool("Settings", "InsSpecChar", InsSpecChar);
    ini.WriteBool("Settings", "InsHtmlData", InsHtmlData);
    ini.WritePath("Settings", "CharacterLib", CharacterLib);
    ini.WriteBool("Settings", "MakeBackups", MakeBackups);
    ini.WriteBool("Settings", "UseCustomPalette", UseCustomPalette);
    ini.WritePath("Settings", "CustomPalette", CustomPalette);
    ini.WritePath("Settings", "TopicHelp", TopicHelp);
    ini.WriteBool("Settings", "ShowTips", ShowTips);
    ini.WriteString("Settings", "FileWeighExt", FileWeighExt);
    ini.WriteInteger("Settings", "FontSize", FontSize);
    ini.WriteInteger("Settings", "InsCaseMode", InsCaseMode);
    ini.WriteInteger("Settings", "DateFormat", DateFormat);
    ini.WriteInteger("Settings", "DefaultParser", DefaultParser);
    ini.WriteInteger("Settings", "BrowserMode", BrowserMode);
    ini.WriteBool("Settings", "SaveCheckBoxes", SaveCheckBoxes);

    ini.WriteInteger("Form", "FormTop", FormTop);
    ini.WriteInteger("Form", "FormLeft", FormLeft);
    ini.WriteInteger("Form", "FormWidth", FormWidth);
    ini.WriteInteger("Form", "FormHeight", FormHeight);
    ini.WriteInteger("Form", "FormWindowState", FormWindowState <= 2 ? FormWindowState : 1);
    ini.WriteBool("Form", "SaveWindow", SaveWindow);
    ini.WriteInteger("Form", "ColTagsWidth", ColTagsWidth);
    ini.WriteInteger("Form", "ColValuWidth", ColValuWidth);

    // A list that some caller shortened still fills the nine keys, with empty entries.
    while (MRU.Count() < kMRUCount)
        MRU.Add("");
    for (int i = 0; i < kMRUCount; ++i)
        ini.WritePath("MRU", IntToStr(i), MRU[i]);

    writeMenuSection(ini, "Utilities", UtilNames, UtilValues, true);
    writeMenuSection(ini, "Browsers", BrwNames, BrwValues, true);
    writeMenuSection(ini, "Tags", TagNames, TagValues, false);

    ini.WriteString("Internet", "Email", Email);
    ini.WriteString("Internet", "Making", Making);
    ini.WriteString("Internet", "Corvela", Corvela);
    ini.WriteString("Internet", "Web", Web);
    ini.WriteString("Internet", "URLPrefix", URLPrefix);

    ini.EraseSection("Parametros");
}
