// libFuzzer target: an INI file read from untrusted bytes, then every section and value asked for.
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
    return 0;
}
