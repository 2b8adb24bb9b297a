// libFuzzer target: an untrusted code library (".cod") read, added to and deleted from, and the same bytes as a code tree (".krc").
#include <cstdint>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "app/model/libKestrima.h"
#include "components/core/CodeTreeFile.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/ProgramFileText.h"

#include "FuzzCheck.h"

namespace {

// The depth of each node: at most one deeper than the node before it.
void checkTree(const std::vector<TCodeTreeNode>& nodes, size_t lines)
{
    check(nodes.size() <= lines);
    std::vector<int> depth;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const int parent = nodes[i].Parent;
        check(parent >= -1 && parent < static_cast<int>(i));
        depth.push_back(parent < 0 ? 0 : depth[static_cast<size_t>(parent)] + 1);
        check(i == 0 ? depth[i] == 0 : depth[i] <= depth[i - 1] + 1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // A code tree is read by the program's own files' rule.
    const TStringList lines = LibraryLines(ProgramFileText(bytes));

    std::vector<TCodeTreeNode> nodes;
    try {
        ReadCodeTree(lines, nodes);
    } catch (const Exception&) {
        // The nodes before the bad line stay, and hold together.
    }
    checkTree(nodes, static_cast<size_t>(lines.Count()));

    // A file in this user's private folder, never a fixed name where others may plant a link.
    static const std::string file = PrivateRuntimeFolder() + "fuzz_code_library_" + std::to_string(getpid()) + ".cod";
    WriteFileBytes(file, bytes);
    TStringList names;
    check(ReadLibrarySections(file, names));
    std::vector<std::string> texts;
    for (int i = 0; i < names.Count(); ++i) {
        check(!names[i].empty());
        const std::string text = ReadLibraryEntry(file, names[i]);
        check(text.find('\n') == std::string::npos);
        texts.push_back(text);
    }
    // An entry added under a name the file does not hold reads back as it was written, and goes again.
    const std::string name = "fuzz entry";
    if (bytes.find("[*" + name + "*]") == std::string::npos) {
        const std::string text = bytes.substr(0, bytes.size() / 2);
        check(AddLibraryEntry(file, name, text));
        std::string expected;
        const TStringList textLines = LibraryLines(text);
        for (int i = 0; i < textLines.Count(); ++i)
            expected += (i ? "\r" : "") + textLines[i];
        // The file never holds the mark: one that begins no held character is written as the "&" the
        // editor shows, and so is a held U+001F, a control character written as its reference.
        for (size_t i = 0; i < expected.size(); ++i) {
            char32_t cp = 0;
            const size_t held = expected[i] == kHeldCharacterMark ? ReadHeldCharacter(expected, i, cp) : 0;
            if (held && cp != 0x1F)
                i += held - 1;
            else if (expected[i] == kHeldCharacterMark)
                expected[i] = '&';
        }
        // Unless a line of the text itself starts a header, which ends the entry early.
        const std::string back = ReadLibraryEntry(file, name);
        check(back == expected || expected.find("[*") != std::string::npos);
        check(ReadFileBytes(file).find(kHeldCharacterMark) == std::string::npos);
        // The rewrite keeps the file's entries as they read (the file's own 0x1F is "." once
        // written, as it read), up to the first one of each name.
        for (int i = 0; i < names.Count() && i < 8; ++i)
            if (names.IndexOf(names[i]) == i && names[i].find(kHeldCharacterMark) == std::string::npos)
                check(ReadLibraryEntry(file, names[i]) == texts[static_cast<size_t>(i)]);
        check(DeleteLibraryEntry(file, name));
        check(ReadLibraryEntry(file, name).empty());
    }
    return 0;
}
