// The desktop's view of the program's shell verbs: desktop entries, the project file type and the
// MIME associations under the user's XDG data and config folders, kept in step with the verbs in
// HKEY_CLASSES_ROOT of the registry store. Texts are Windows-1252, as everywhere in the program; the
// files are written in UTF-8.
#pragma once

#include <string>

struct TDesktopVerb {
    std::string Type;     // the file type the verb lives under, e.g. "HTMfile"
    std::string Verb;     // its key name and caption
    std::string MimeType; // "text/html" or kProjectMimeType
    bool IsDefault = false;
};

inline constexpr const char* kProjectMimeType = "application/x-kestrima-project";

// $XDG_DATA_HOME and $XDG_CONFIG_HOME, or their defaults under $HOME.
std::string DesktopDataFolder();
std::string DesktopConfigFolder();
// The desktop entry's file name (without folder) for a verb.
std::string DesktopEntryName(const TDesktopVerb& verb);
// The desktop entry's text: the verb's caption as its name, and the program called with
// "--shell-exec <type>\<verb> %f".
std::string DesktopEntryText(const TDesktopVerb& verb, const std::string& program);
// Writes (or removes) the verb's desktop entry and associations; for the project type also the MIME
// package for ".kr". False with `error` when a file could not be written or removed.
bool MirrorDesktopVerb(const TDesktopVerb& verb, bool registered, const std::string& program, std::string& error);
