// Tregisterext: file types and shell verbs in HKEY_CLASSES_ROOT.
#include "app/model/u_registerextensions.h"

#include "platform/core/Classes.h"

Tregisterext::Tregisterext()
{
    SetRootKey(HKEY_CLASSES_ROOT);
    SetLazyWrite(true);
}

void Tregisterext::writeValue(const std::string& key, const std::string& name, const std::string& value)
{
    if (OpenKey(key, true)) {
        WriteString(name, value);
        CloseKey();
    }
}

std::string Tregisterext::GetFileType(const std::string& extension)
{
    std::string type;
    if (OpenKeyReadOnly("\\." + extension)) {
        type = ReadString("");
        CloseKey();
    }
    return type.empty() ? std::string() : "\\" + type;
}

bool Tregisterext::ExtensionExists(const std::string& extension)
{
    return !GetFileType(extension).empty();
}

bool Tregisterext::ActionExists(const std::string& extension, const std::string& verb)
{
    const std::string type = GetFileType(extension);
    if (type.empty())
        return false;
    const bool exists = OpenKeyReadOnly(type + "\\Shell\\" + verb);
    if (exists)
        CloseKey();
    return exists;
}

void Tregisterext::DeleteKeyTree(const std::string& key)
{
    if (!OpenKeyReadOnly(key))
        return;
    TStringList names;
    GetKeyNames(names);
    CloseKey();
    // The key path is made absolute so that each level is found from the root again.
    const std::string absolute = key.empty() || key[0] != '\\' ? "\\" + key : key;
    for (int i = 0; i < names.Count(); ++i)
        DeleteKeyTree(absolute + "\\" + names[i]);
    DeleteKey(absolute);
}

void Tregisterext::DeleteExtension(const std::string& extension)
{
    const std::string type = GetFileType(extension);
    DeleteKeyTree("\\." + extension);
    if (!type.empty())
        DeleteKeyTree(type);
}

void Tregisterext::CreateExtension(const std::string& extension, const std::string& contentType, bool alwaysShowExt,
    const std::string& icon, const std::string& description)
{
    DeleteExtension(extension);
    const std::string type = extension + "file";
    writeValue("\\." + extension, "", type);
    if (!contentType.empty())
        writeValue("\\." + extension, "Content Type", contentType);
    writeValue("\\" + type, "", description);
    if (alwaysShowExt)
        writeValue("\\" + type, "AlwaysShowExt", "");
    writeValue("\\" + type + "\\DefaultIcon", "", icon);
}

void Tregisterext::AddAction(const std::string& extension, const std::string& verb, const std::string& topic,
    const std::string& ifexec, const std::string& application, const std::string& ddeexec, bool isDefault,
    const std::string& command)
{
    const std::string type = GetFileType(extension);
    if (type.empty())
        return;
    DeleteAction(extension, verb);
    if (isDefault)
        writeValue(type + "\\Shell", "", verb);
    const std::string verbKey = type + "\\Shell\\" + verb;
    writeValue(verbKey + "\\command", "", command);
    if (ddeexec.empty())
        return;
    writeValue(verbKey + "\\ddeexec", "", ddeexec);
    if (!application.empty())
        writeValue(verbKey + "\\ddeexec\\application", "", application);
    if (!ifexec.empty())
        writeValue(verbKey + "\\ddeexec\\ifexec", "", ifexec);
    writeValue(verbKey + "\\ddeexec\\topic", "", topic.empty() ? std::string("system") : topic);
}

void Tregisterext::DeleteAction(const std::string& extension, const std::string& verb)
{
    const std::string type = GetFileType(extension);
    if (type.empty())
        return;
    if (OpenKey(type + "\\Shell", true)) {
        if (ReadString("") == verb)
            DeleteValue("");
        CloseKey();
    }
    DeleteKeyTree(type + "\\Shell\\" + verb);
}

namespace {
const TShellVerbInfo kVerbs[] = {
    {"HTM", "Editar en Kestrima", "HTMfile", "Documento HTML", ",0", "[editex(\"%1\")]", "[edit(\"%1\")]", false},
    {"HTM", "Nuevo", "HTMfile", "Documento HTML", ",0", "[newex(\"%1\")]", "[new(\"%1\")]", false},
    {"KR", "Abrir", "KRfile", "Proyecto de Kestrima", ",1", "", "[openproyect(\"%1\")]", true},
};
} // namespace

const TShellVerbInfo& ShellVerbInfo(TShellVerbKind kind)
{
    return kVerbs[static_cast<int>(kind)];
}

bool ShellVerbRegistered(TShellVerbKind kind)
{
    const TShellVerbInfo& info = ShellVerbInfo(kind);
    Tregisterext reg;
    return reg.ActionExists(info.Extension, info.Verb);
}

std::string SetShellVerb(TShellVerbKind kind, bool registered, const std::string& programPath)
{
    const TShellVerbInfo& info = ShellVerbInfo(kind);
    std::string type;
    {
        Tregisterext reg;
        if (registered) {
            if (!reg.ExtensionExists(info.Extension))
                reg.CreateExtension(info.Extension, "", false, programPath + info.IconIndex, info.Description);
            reg.AddAction(info.Extension, info.Verb, "system", info.IfExec, "", info.DdeExec, info.IsDefault,
                "\"" + programPath + "\"");
        } else {
            reg.DeleteAction(info.Extension, info.Verb);
        }
        type = reg.GetFileType(info.Extension);
    }
    RegistryStore::Flush();
    return type.empty() ? type : type.substr(1);
}
