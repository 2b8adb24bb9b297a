// Tregisterext: the file types and their shell verbs under HKEY_CLASSES_ROOT of the registry store, and
// the program's own verbs for pages and projects that the options dialog turns on and off.
#pragma once

#include <string>

#include "platform/core/Registry.h"

// Extensions are named without their dot ("HTM"); a file type is the default value of "\." + extension.
class Tregisterext : public TRegistry {
public:
    Tregisterext();

    // "\" + the extension's file type, or "" when it has none.
    std::string GetFileType(const std::string& extension);
    bool ExtensionExists(const std::string& extension);
    // Whether the file type's "Shell\<verb>" key exists (nothing is created).
    bool ActionExists(const std::string& extension, const std::string& verb);
    // Deletes the key with its subkeys, depth first; nothing when the key does not open.
    void DeleteKeyTree(const std::string& key);
    void DeleteExtension(const std::string& extension);
    void CreateExtension(const std::string& extension, const std::string& contentType, bool alwaysShowExt,
        const std::string& icon, const std::string& description);
    // Only for an extension that has a file type; an empty topic is "system".
    void AddAction(const std::string& extension, const std::string& verb, const std::string& topic,
        const std::string& ifexec, const std::string& application, const std::string& ddeexec, bool isDefault,
        const std::string& command);
    void DeleteAction(const std::string& extension, const std::string& verb);

private:
    // Opens the key (creating it), sets its value `name` and closes it.
    void writeValue(const std::string& key, const std::string& name, const std::string& value);
};

// The program's three shell verbs.
enum class TShellVerbKind { EditPage, NewPage, OpenProject };

struct TShellVerbInfo {
    const char* Extension;   // "HTM" or "KR"
    const char* Verb;        // the verb's key and caption
    const char* TypeName;    // the file type created when the extension has none
    const char* Description; // that type's description
    const char* IconIndex;   // ",0" or ",1" after the program path
    const char* IfExec;      // "" when the verb has none
    const char* DdeExec;
    bool IsDefault;
};

const TShellVerbInfo& ShellVerbInfo(TShellVerbKind kind);
// Whether the verb is registered for its extension now.
bool ShellVerbRegistered(TShellVerbKind kind);
// Registers the verb (creating the extension's type when it has none) with the program `programPath`
// as its command, or removes it; the store is written at once. Returns the file type the verb lives
// under, without the backslash ("" when removing found no type).
std::string SetShellVerb(TShellVerbKind kind, bool registered, const std::string& programPath);
