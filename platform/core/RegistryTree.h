// The registry's shared tree of keys and values, the store that owns it, and the text of its file:
// what the registry units share among themselves, not for use outside them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"

namespace registry_detail {

// Deeper paths are refused, as Windows refuses them; it also bounds the recursion that writes the tree.
inline constexpr size_t kMaxKeyDepth = 512;

struct RootName {
    HKEY Root;
    std::string_view Name;
};
// Also the order in which the roots are written.
inline constexpr RootName kRoots[] = {
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
};
inline constexpr size_t kRootCount = sizeof kRoots / sizeof kRoots[0];

// ---------------------------------------------------------------- names and paths

bool isRelative(std::string_view path);
// The key names of a path; empty components (leading, trailing or doubled separators) name nothing.
std::vector<std::string> splitPath(std::string_view path);
std::string joinPath(const std::vector<std::string>& parts);

// ---------------------------------------------------------------- the tree

struct Value {
    std::string Name;
    TRegDataType Kind = rdString;
    std::string Data; // strings and binary data
    int32_t Number = 0;
    // A string written as a file name (WritePath): its data are the name's bytes exactly. The file
    // marks it ("path:"), so that it is never taken for a name an earlier version stored encoded twice.
    bool ExactPath = false;
};

struct Key {
    std::string Name;
    std::vector<Value> Values;
    std::vector<std::unique_ptr<Key>> Keys;

    Value* findValue(std::string_view name)
    {
        for (Value& value : Values)
            if (AnsiSameText(value.Name, name))
                return &value;
        return nullptr;
    }

    Key* findKey(std::string_view name)
    {
        for (auto& key : Keys)
            if (AnsiSameText(key->Name, name))
                return key.get();
        return nullptr;
    }
};

// Sets the value `name` of `key`, added after the others when it is new.
void putValue(Key& key, const std::string& name, TRegDataType kind, std::string data, int32_t number,
              bool exactPath = false);
// The key that `parts` names below `root`; with `create` the missing keys on the way are made (and
// `*created` set). nullptr when a key is missing or the path is deeper than kMaxKeyDepth.
Key* descend(Key& root, const std::vector<std::string>& parts, bool create, bool* created = nullptr);

// ---------------------------------------------------------------- the file

// The whole file for the trees of the roots.
std::string storeText(const Key (&roots)[kRootCount]);
// Parses the store file into `roots`; on failure `badLine` is the 1-based line at fault.
bool readStoreText(std::string_view text, Key (&roots)[kRootCount], int& badLine);
// Windows-1252 text as UTF-8, as the file and the messages on standard error hold it.
std::string win1252ToUtf8(std::string_view text);
// A string's data is held as the file holds it: UTF-8, with a byte that spells no character kept as
// it is (a file name's own bytes, the five bytes Windows-1252 leaves undefined). The program's texts
// go in and out as editor text: Windows-1252, a character it lacks held (HeldCharacter) and written as
// the character.
void AppendWin1252AsData(std::string& out, unsigned char c);
std::string win1252ToData(std::string_view text);
std::string dataToWin1252(std::string_view data);

// ---------------------------------------------------------------- the shared store

// The one tree of the process, read from the file on first use. Every change goes through it, so it
// knows when the file is out of date.
class Store {
public:
    Key* root(HKEY rootKey);
    Key* find(HKEY rootKey, const std::vector<std::string>& parts);
    Key* create(HKEY rootKey, const std::vector<std::string>& parts);
    void setValue(Key& key, const std::string& name, TRegDataType kind, std::string_view data, int32_t number,
                  bool exactPath = false);
    bool removeValue(Key& key, std::string_view name);
    bool removeKey(Key& parent, std::string_view name);
    void renameValue(Value& value, const std::string& newName);
    void flush();
    void reset();
    const std::string& loadProblem();
    const std::string& saveProblem() const { return FSaveProblem; }

private:
    void ensureLoaded();
    void setAside(const std::string& why);

    Key FRoots[kRootCount];
    bool FLoaded = false;
    bool FDirty = false;
    bool FSaveDisabled = false;
    std::string FFileName;
    std::string FLoadProblem;
    std::string FSaveProblem;
};

Store& store();

} // namespace registry_detail
