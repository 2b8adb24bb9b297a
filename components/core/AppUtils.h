// AppUtils: the stored window placement of a form and the store it lives in — INI file or registry
// section access through one object, default store names, and the placement's keys and texts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Geometry.h"

class TIniFile;
class TRegIniFile;

// The open store of a placement: one INI file or one registry INI object, or neither (then reads give
// their defaults and writes do nothing).
struct TIniObject {
    TIniObject() = default;
    TIniObject(TIniFile* ini) : Ini(ini) {}
    TIniObject(TRegIniFile* reg) : Reg(reg) {}
    TIniFile* Ini = nullptr;
    TRegIniFile* Reg = nullptr;
    bool IsNull() const { return !Ini && !Reg; }
};

// "Software\" and the program file's name without folder and extension.
std::string GetDefaultIniRegKey(const std::string& programFile);
// The program file's name without folder, with the extension ".INI".
std::string GetDefaultIniName(const std::string& programFile);

// A text value is editor text (held characters carry their mark): both stores keep a held character as
// itself and never the mark (TIniFile's and TRegIniFile's ReadText and WriteText).
std::string IniReadString(const TIniObject& ini, const std::string& section, const std::string& ident,
                          const std::string& defaultValue);
int32_t IniReadInteger(const TIniObject& ini, const std::string& section, const std::string& ident,
                       int32_t defaultValue);
// Values are stored as they are: an INI file writes a value that begins and ends with the same quote
// inside one more pair of double quotes when it writes its text, so that it reads back unchanged.
void IniWriteString(const TIniObject& ini, const std::string& section, const std::string& ident,
                    const std::string& value);
// A file name (the file system's bytes): the registry keeps it as it is and reads back one an earlier
// version stored encoded twice (TRegIniFile::ReadPath); an INI file's texts are bytes already.
std::string IniReadPath(const TIniObject& ini, const std::string& section, const std::string& ident,
                        const std::string& defaultValue);
void IniWritePath(const TIniObject& ini, const std::string& section, const std::string& ident, const std::string& path);
void IniWriteInteger(const TIniObject& ini, const std::string& section, const std::string& ident, int32_t value);
void IniEraseSection(const TIniObject& ini, const std::string& section);

// What the placement keys depend on: the screen's size in pixels and its pixels per inch.
struct TPlacementScreen {
    int Width = 0;
    int Height = 0;
    int PixelsPerInch = 96;
};

// "(%dx%d)" of the screen's width and height.
std::string GetScreenResolutionSuffix(const TPlacementScreen& screen);
// key + suffix, and when that is empty key.
std::string ReadPosStr(const TIniObject& ini, const std::string& section, const std::string& key,
                       const TPlacementScreen& screen);
// Under key + suffix, then under key.
void WritePosStr(const TIniObject& ini, const std::string& section, const std::string& key,
                 const std::string& value, const TPlacementScreen& screen);

// Window show commands as they are stored.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr uint32_t WPF_SETMINPOSITION = 1;

// A window's placement: flags, show command, minimised and maximised points, normal rectangle.
struct TWindowPlacement {
    uint32_t Length = 44;
    uint32_t Flags = 0;
    int32_t ShowCmd = SW_SHOWNORMAL;
    TPoint MinPosition;
    TPoint MaxPosition;
    TRect NormalPosition;
    friend bool operator==(const TWindowPlacement&, const TWindowPlacement&) = default;
};

// "Flags", "ShowCmd", "PixelsPerInch", then "MinMaxPos" and "NormPos" through WritePosStr.
void WritePlacementValues(const TIniObject& ini, const std::string& section, const TWindowPlacement& placement,
                          const TPlacementScreen& screen);

// Reads "Flags", "MinMaxPos" and "NormPos" into the placement, the present values as defaults (a missing
// or non-numeric word of "MinMaxPos" gives 0, of "NormPos" the present one). True when position data was
// found and was stored at the screen's present pixels per inch; the placement is changed only then.
bool ReadPlacementPosition(const TIniObject& ini, const std::string& section, const TPlacementScreen& screen,
                           TWindowPlacement& placement);

enum class TStoredState { Normal, Minimized, Maximized };
// The state a stored show command gives: 1, 5, 9 normal; 2, 6, 7 minimised; 3 maximised; otherwise
// the default.
TStoredState StateOfShowCmd(int showCmd, TStoredState defaultState);

// A rectangle lying wholly outside every screen (a monitor removed since it was stored) moved onto the
// primary screen, keeping its size as far as the screen allows; any other rectangle unchanged.
TRect KeepOnScreen(const TRect& rect, const std::vector<TRect>& screens, const TRect& primary);
