// The registry: a per-user store of keys and typed values, and the class-library TRegistry/TRegIniFile over it.
//
// The program keeps its settings the way it would in the Windows registry: three roots, keys addressed
// by backslash paths, values that are strings, 32-bit integers or binary data. The store is one
// readable text file per user ($KESTRIMA_CONFIG_DIR/registry.reg, else
// $XDG_CONFIG_HOME/kestrima/registry.reg), read once per process on first use into one shared tree.
// Names compare without case (ASCII and Windows-1252 letters) but keep the case they were created
// with, and keys and values enumerate in creation order. Everything runs on the user-interface thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Exception.h"

class ERegistryException : public Exception { using Exception::Exception; };

using HKEY = uint32_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;

enum TRegDataType { rdUnknown, rdString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    int DataSize = 0;
};

namespace registry_detail {
struct Key;
struct Value;
} // namespace registry_detail

// The shared store itself. Changes reach the file when the registry object that made them closes its
// key or is destroyed, written to a temporary file that replaces the old one only once it is complete.
class RegistryStore {
public:
    // The file the store reads and writes, as the environment names it now.
    static std::string FileName();
    // Writes pending changes now (nothing when nothing changed).
    static void Flush();
    // Forgets the tree, pending changes and reported problems, as a new process would start: the next
    // use reads the file again (and the environment, so a test can point it elsewhere first).
    static void Reload();
};

// Why the store file could not be used at load ("" when it loaded or did not exist yet). The file is
// then kept aside under another name and the program starts with an empty store.
std::string RegistryLoadProblem();
// Why the last write of the store failed ("" after a successful one or before any).
std::string RegistrySaveProblem();

// A cursor on the store: a root, at most one open key, and the values of that key.
// Key paths beginning with a backslash start at the root; others start at the open key when there is
// one. Reads of a missing value give "" (strings), 0 bytes (binary data) or raise (integers); writes
// without an open key, or through a key opened read-only, raise ERegistryException.
class TRegistry {
public:
    TRegistry();
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return FRootKey; }
    // Closes the open key, as a change of root makes its path meaningless.
    void SetRootKey(HKEY value);
    // The open key's path below the root, without a leading backslash; "" for the root or none.
    const std::string& CurrentPath() const { return FCurrentPath; }
    bool HasCurrentKey() const { return FKeyOpen; }
    // Kept for the class-library shape: changes always wait for CloseKey or the destructor.
    bool LazyWrite() const { return FLazyWrite; }
    void SetLazyWrite(bool value) { FLazyWrite = value; }

    bool OpenKey(const std::string& key, bool canCreate);
    bool OpenKeyReadOnly(const std::string& key);
    void CloseKey();
    // Creates the key (and the keys above it) without opening it; raises when it cannot be made.
    bool CreateKey(const std::string& key);
    // Deletes the key with every key below it; false when it does not exist.
    bool DeleteKey(const std::string& key);
    bool KeyExists(const std::string& key) const;
    bool HasSubKeys() const;
    // Names of the open key's subkeys and values, in creation order (the list is cleared first).
    void GetKeyNames(TStringList& strings) const;
    void GetValueNames(TStringList& strings) const;

    bool ValueExists(const std::string& name) const;
    bool DeleteValue(const std::string& name);
    // Renames in place, so the value keeps its place in the enumeration. Nothing happens when the old
    // name is missing or the new one names another value.
    void RenameValue(const std::string& oldName, const std::string& newName);
    bool GetDataInfo(const std::string& valueName, TRegDataInfo& info) const;
    TRegDataType GetDataType(const std::string& valueName) const;
    // Bytes of the value's data, a string's terminating zero included; -1 when it does not exist.
    int GetDataSize(const std::string& valueName) const;

    // An integer value reads as its decimal text; binary data raises.
    std::string ReadString(const std::string& name) const;
    void WriteString(const std::string& name, const std::string& value);
    // A string holding a decimal 32-bit integer reads as that integer; anything else raises.
    int32_t ReadInteger(const std::string& name) const;
    void WriteInteger(const std::string& name, int32_t value);
    bool ReadBool(const std::string& name) const { return ReadInteger(name) != 0; }
    void WriteBool(const std::string& name, bool value) { WriteInteger(name, value ? 1 : 0); }
    // Copies binary data into `buffer` and returns its size; 0 when the value is missing; raises when
    // the value is not binary or is larger than `bufSize`.
    int ReadBinaryData(const std::string& name, void* buffer, int bufSize) const;
    std::string ReadBinaryData(const std::string& name) const;
    void WriteBinaryData(const std::string& name, const void* buffer, int bufSize);

protected:
    bool IsReadOnly() const { return FReadOnly; }
    // The root-based names of a key path, as OpenKey would read it now.
    std::vector<std::string> pathOf(const std::string& key) const;
    // The open key, looked up by its path on each use so that a deleted key is simply gone.
    registry_detail::Key* currentKey() const;
    registry_detail::Key* findKey(const std::string& key) const;
    // Finds or creates the key; nullptr when that is refused.
    registry_detail::Key* makeKey(const std::string& key);
    // The open key, or ERegistryException when no key can be written to.
    registry_detail::Key* keyForWriting(const std::string& valueName) const;
    const registry_detail::Value* findValue(const std::string& name) const;

private:
    HKEY FRootKey = HKEY_CURRENT_USER;
    std::string FCurrentPath;
    bool FKeyOpen = false;
    bool FReadOnly = false;
    bool FLazyWrite = true;
};

// The registry read and written in sections as if it were an INI file: the key given at construction
// (under HKEY_CURRENT_USER, created when missing) holds one subkey per section and one value per ident.
// Reads of missing or unreadable values give the default; integers and Booleans are stored as integer
// values (Booleans 0 or 1) and strings holding decimal integers read as integers.
class TRegIniFile : public TRegistry {
public:
    explicit TRegIniFile(const std::string& fileName);
    const std::string& FileName() const { return FFileName; }

    using TRegistry::DeleteKey;
    using TRegistry::ReadBool;
    using TRegistry::ReadInteger;
    using TRegistry::ReadString;
    using TRegistry::ValueExists;
    using TRegistry::WriteBool;
    using TRegistry::WriteInteger;
    using TRegistry::WriteString;

    std::string ReadString(const std::string& section, const std::string& ident, const std::string& defaultValue) const;
    void WriteString(const std::string& section, const std::string& ident, const std::string& value);
    // Editor text (held characters carry their mark) in a value, and in its name: the store holds each
    // held character as the character itself and never the mark; a mark that begins none is written as
    // the "&" it shows as, and a 0x1F read from the store that begins none is the "." the editor shows
    // a control character as.
    std::string ReadText(const std::string& section, const std::string& ident, const std::string& defaultValue) const;
    void WriteText(const std::string& section, const std::string& ident, const std::string& text);
    // A file name, held as the file system's bytes: stored as they are (UTF-8, so the file shows the
    // name's characters once) and marked as a name, read back as stored, whatever its bytes spell. A
    // value without the mark, as earlier versions wrote names, that is a name encoded twice (each byte
    // taken for a Windows-1252 character) reads back as the name it was.
    std::string ReadPath(const std::string& section, const std::string& ident, const std::string& defaultValue) const;
    void WritePath(const std::string& section, const std::string& ident, const std::string& path);
    int32_t ReadInteger(const std::string& section, const std::string& ident, int32_t defaultValue) const;
    void WriteInteger(const std::string& section, const std::string& ident, int32_t value);
    bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const;
    void WriteBool(const std::string& section, const std::string& ident, bool value);

    // The section's value names, in creation order.
    void ReadSection(const std::string& section, TStringList& strings) const;
    // The names of all sections, in creation order.
    void ReadSections(TStringList& strings) const;
    // "name=value" lines of the section, in creation order.
    void ReadSectionValues(const std::string& section, TStringList& strings) const;
    // Deletes the section with everything in it.
    void EraseSection(const std::string& section);
    // Deletes one value of a section.
    void DeleteKey(const std::string& section, const std::string& ident);
    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& ident) const;

private:
    const registry_detail::Value* sectionValue(const std::string& section, const std::string& ident) const;
    // The section's key, created when missing; ERegistryException when it cannot be.
    registry_detail::Key* sectionForWriting(const std::string& section);

    std::string FFileName;
};
