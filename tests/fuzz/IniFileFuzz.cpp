// libFuzzer target: an INI file read from untrusted bytes, every section and value asked for, then
// written and read back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/core/Classes.h"
#include "platform/core/IniFile.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const TIniFile ini = TIniFile::FromText(text);
    TStringList sections, names;
    ini.ReadSections(sections);
    for (int i = 0; i < sections.Count(); ++i) {
        check(ini.SectionExists(sections[i]));
        ini.ReadSection(sections[i], names);
        for (int j = 0; j < names.Count(); ++j) {
            check(ini.ValueExists(sections[i], names[j]));
            const std::string value = ini.ReadString(sections[i], names[j], "");
            // A value is a piece of one line of the input.
            check(value.size() <= size && value.find_first_of("\r\n") == std::string::npos);
            ini.ReadInteger(sections[i], names[j], 0);
        }
    }
    // What was read, written as UpdateFile writes it, reads back the same.
    const TIniFile back = TIniFile::FromText(ini.Text());
    TStringList backSections, values, backValues;
    back.ReadSections(backSections);
    check(backSections.Count() == sections.Count());
    for (int i = 0; i < sections.Count() && i < backSections.Count(); ++i) {
        check(backSections[i] == sections[i]);
        ini.ReadSectionValues(sections[i], values);
        back.ReadSectionValues(sections[i], backValues);
        check(values.Count() == backValues.Count());
        for (int j = 0; j < values.Count() && j < backValues.Count(); ++j)
            check(values[j] == backValues[j]);
    }
    // Writing every value again changes nothing.
    TIniFile rewritten = TIniFile::FromText(ini.Text());
    for (int i = 0; i < sections.Count(); ++i) {
        ini.ReadSection(sections[i], names);
        for (int j = 0; j < names.Count(); ++j)
            rewritten.WriteString(sections[i], names[j], ini.ReadString(sections[i], names[j], ""));
    }
    check(rewritten.Text() == ini.Text());
    return 0;
}
