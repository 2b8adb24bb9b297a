// The user's MIME associations list (mimeapps.list), edited one entry at a time.
#pragma once

#include <string>

// mimeapps.list's text with `entry` added to or taken out of the `mime` line of `group`; every other
// line stays as it is. A line left with no entry goes; a missing group is appended when adding.
std::string EditMimeApps(const std::string& text, const std::string& group, const std::string& mime,
    const std::string& entry, bool add);
