// libFuzzer target: the user's MIME associations list edited one entry at a time.
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/core/MimeApps.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string entry = "kestrima-krfile-abrir.desktop";
    for (const char* group : {"Added Associations", "Default Applications"}) {
        // Adding and removing settle after one step each, and a removal leaves no line naming the entry.
        const std::string added = EditMimeApps(text, group, "text/html", entry, true);
        check(EditMimeApps(added, group, "text/html", entry, true) == added);
        check(added.find(entry) != std::string::npos);
        const std::string removed = EditMimeApps(added, group, "text/html", entry, false);
        check(EditMimeApps(removed, group, "text/html", entry, false) == removed);
        // Nothing but the one line changes: the text without our entry keeps every other line's bytes.
        check(removed.size() <= added.size());
        // In a list whose CRs all end lines and that did not name us, only a line that goes takes its
        // CR with it.
        const auto count = [](const std::string& s, char c) { return std::count(s.begin(), s.end(), c); };
        bool crsEndLines = text.find(entry) == std::string::npos;
        for (size_t at = text.find('\r'); crsEndLines && at != std::string::npos; at = text.find('\r', at + 1))
            crsEndLines = at + 1 < text.size() && text[at + 1] == '\n';
        if (crsEndLines)
            check(count(removed, '\r') + count(added, '\n') - count(removed, '\n') >= count(added, '\r'));
    }
    return 0;
}
