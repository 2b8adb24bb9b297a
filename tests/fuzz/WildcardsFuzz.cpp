// libFuzzer target: wildcard library text read into names (sorted, each once, written back and read again the same) and the fields extracted from a document, which the template merge fills alike.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/model/PanelItems.h"
#include "app/model/TemplateMerge.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/ProgramFileText.h"
#include "platform/core/Collation.h"
#include "platform/core/SysUtils.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TStringList names;
    WildcardNamesOf(text, names);
    for (int i = 0; i < names.Count(); ++i) {
        check(!names[i].empty());
        check(names[i].find_first_of("\r\n") == std::string::npos);
        check(i == 0 || AnsiCompareText(names[i - 1], names[i]) < 0);
    }
    // What is written reads back as the same list.
    TStringList again;
    WildcardNamesOf(names.Text(), again);
    check(again.Count() == names.Count());
    for (int i = 0; i < names.Count(); ++i)
        check(again[i] == names[i]);
    // The same bytes as a library file: written as the program writes it, it reads back as the same
    // names (a stray mark as the "&" it shows as) and never holds the mark.
    TStringList fromFile;
    WildcardNamesOf(ProgramFileText(text), fromFile);
    const std::string written = ProgramFileBytes(fromFile.Text());
    check(written.find(kHeldCharacterMark) == std::string::npos);
    TStringList back;
    WildcardNamesOf(ProgramFileText(written), back);
    check(back.Count() == fromFile.Count());
    for (int i = 0; i < back.Count() && i < fromFile.Count(); ++i)
        check(back[i] == fromFile[i]);

    size_t at = 0;
    size_t fieldBytes = 0;
    TTemplateData emptied;
    for (const std::string& field : ExtractWildcards(text)) {
        // "{*}" is the shortest field: its "*}" shares the "*" of its "{*".
        check(field.size() >= 3 && field.compare(0, 2, "{*") == 0);
        check(field.find("*}", 1) == field.size() - 2);
        at = text.find(field, at);
        check(at != std::string_view::npos);
        at += field.size();
        fieldBytes += field.size();
        emptied.Add(field, "");
    }
    // The merge takes the same fields: given each an empty value, it removes exactly their bytes.
    check(MergeTemplate(text, emptied).size() == text.size() - fieldBytes);
    const std::string name = WildcardName(text);
    check(name.find(' ') == std::string::npos);
    return 0;
}
