// TIniFile: values of an INI file read and written the way the system's profile functions do.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class TStringList;

// An INI file's sections and values, read once when the object is made. Section and value names are
// compared without case; a value is the text after the first "=", trimmed, with one pair of matching
// quotes (" or ') around it taken off. Names are trimmed too; lines starting with ";" are comments,
// lines without "=" inside a section are ignored. When a section or a name appears twice the first
// one counts. A file that cannot be read has no sections.
//
// Writing changes the values held in memory and UpdateFile writes them all back: sections and names
// keep the case they were first given and their order in the file; a new value goes to the end of its
// section, a new section to the end of the file. Lines that are neither a section nor a value
// (comments, values before the first section, the later of equal names) are not written back.
// Texts are bytes: Windows-1252 as the program holds them, paths as the file system's bytes.
class TIniFile {
public:
    // Files larger than this are not read: a project file is a few kilobytes, and the whole file is
    // held in memory.
    static constexpr int64_t kMaxFileSize = 16 * 1024 * 1024;

    explicit TIniFile(const std::string& fileName);
    const std::string& FileName() const { return FFileName; }

    // The same reading over text already in memory.
    static TIniFile FromText(std::string_view text);

    std::string ReadString(std::string_view section, std::string_view ident, std::string_view defaultValue) const;
    // A text the user typed, as editor text: the file holds it as the program's own files hold their
    // texts (ProgramFileText), never with the mark of a held character. Paths are read with ReadString.
    std::string ReadText(std::string_view section, std::string_view ident, std::string_view defaultValue) const;
    // A decimal number, or hexadecimal after "0x"; the default when the value is missing or is no number.
    int32_t ReadInteger(std::string_view section, std::string_view ident, int32_t defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view ident, bool defaultValue) const;
    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view ident) const;
    // The names of the section's values, in file order, each once.
    void ReadSection(std::string_view section, TStringList& strings) const;
    // The names of the sections, in file order, each once.
    void ReadSections(TStringList& strings) const;
    // The section's values as "name=value" lines, in file order.
    void ReadSectionValues(std::string_view section, TStringList& strings) const;

    // A line break in a value would start a new line of the file: each is written as a blank.
    void WriteString(std::string_view section, std::string_view ident, std::string_view value);
    // Editor text, written so that ReadText gives it back (ProgramFileBytes).
    void WriteText(std::string_view section, std::string_view ident, std::string_view text);
    void WriteInteger(std::string_view section, std::string_view ident, int32_t value);
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view ident);
    // The file's text as UpdateFile writes it: "[section]" and "name=value" lines ended by CR LF, a
    // blank line between sections. A value that reading would change (blanks at its ends, a pair of
    // quotes around it) is written inside one more pair of quotes, so that it reads back as it is.
    std::string Text() const;
    // Writes the file whole through a temporary file that takes its name, so that a failure leaves
    // the old file as it was; the file keeps its permissions. Raises EFCreateError when the file
    // could not be written.
    void UpdateFile() const;

private:
    struct TValue {
        std::string Name;
        std::string Value;
    };
    struct TSection {
        std::string Name;
        std::vector<TValue> Values;
        // Each value's place by its name folded to upper case: reading stays linear in the file.
        std::unordered_map<std::string, size_t> Index;
    };
    TIniFile() = default;
    void parse(std::string_view text);
    const TSection* findSection(std::string_view section) const;
    const TValue* findValue(std::string_view section, std::string_view ident) const;
    void reindex();

    std::string FFileName;
    std::vector<TSection> FSections;
    std::unordered_map<std::string, size_t> FSectionIndex;
};
