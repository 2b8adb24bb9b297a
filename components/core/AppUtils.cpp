// AppUtils: store access and the stored window placement.
#include "components/core/AppUtils.h"

#include <algorithm>
#include <cstdio>

#include "components/core/StrUtils.h"
#include "platform/core/IniFile.h"
#include "platform/core/Registry.h"
#include "platform/core/SysUtils.h"

namespace {

std::string programBaseName(const std::string& programFile)
{
    const std::string name = ExtractFileName(programFile);
    const std::string ext = ExtractFileExt(name);
    return name.substr(0, name.size() - ext.size());
}

int32_t wordOr(const std::string& text, int n, int32_t defaultValue)
{
    static const TCharSet delimiters = DelimiterSet(" ,");
    const std::string word = ExtractWord(n, text, delimiters);
    const int64_t value = StrToIntDef(word, defaultValue);
    return value < INT32_MIN || value > INT32_MAX ? defaultValue : static_cast<int32_t>(value);
}

std::string fourNumbers(int32_t a, int32_t b, int32_t c, int32_t d)
{
    return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d);
}

} // namespace

std::string GetDefaultIniRegKey(const std::string& programFile)
{
    return "Software\\" + programBaseName(programFile);
}

std::string GetDefaultIniName(const std::string& programFile)
{
    return programBaseName(programFile) + ".INI";
}

std::string IniReadString(const TIniObject& ini, const std::string& section, const std::string& ident,
                          const std::string& defaultValue)
{
    if (ini.Reg)
        return ini.Reg->ReadText(section, ident, defaultValue);
    if (ini.Ini)
        return ini.Ini->ReadText(section, ident, defaultValue);
    return defaultValue;
}

int32_t IniReadInteger(const TIniObject& ini, const std::string& section, const std::string& ident,
                       int32_t defaultValue)
{
    if (ini.Reg)
        return ini.Reg->ReadInteger(section, ident, defaultValue);
    if (ini.Ini)
        return ini.Ini->ReadInteger(section, ident, defaultValue);
    return defaultValue;
}

void IniWriteString(const TIniObject& ini, const std::string& section, const std::string& ident,
                    const std::string& value)
{
    if (ini.Reg)
        ini.Reg->WriteText(section, ident, value);
    else if (ini.Ini)
        ini.Ini->WriteText(section, ident, value);
}

std::string IniReadPath(const TIniObject& ini, const std::string& section, const std::string& ident,
                        const std::string& defaultValue)
{
    if (ini.Reg)
        return ini.Reg->ReadPath(section, ident, defaultValue);
    // A name is the file system's bytes, kept as they are.
    return ini.Ini ? ini.Ini->ReadString(section, ident, defaultValue) : defaultValue;
}

void IniWritePath(const TIniObject& ini, const std::string& section, const std::string& ident, const std::string& path)
{
    if (ini.Reg)
        ini.Reg->WritePath(section, ident, path);
    else if (ini.Ini)
        ini.Ini->WriteString(section, ident, path);
}

void IniWriteInteger(const TIniObject& ini, const std::string& section, const std::string& ident, int32_t value)
{
    if (ini.Reg)
        ini.Reg->WriteInteger(section, ident, value);
    else if (ini.Ini)
        ini.Ini->WriteInteger(section, ident, value);
}

void IniEraseSection(const TIniObject& ini, const std::string& section)
{
    if (ini.Reg)
        ini.Reg->EraseSection(section);
    else if (ini.Ini)
        ini.Ini->EraseSection(section);
}

std::string GetScreenResolutionSuffix(const TPlacementScreen& screen)
{
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, "(%dx%d)", screen.Width, screen.Height);
    return suffix;
}

std::string ReadPosStr(const TIniObject& ini, const std::string& section, const std::string& key,
                       const TPlacementScreen& screen)
{
    std::string value = IniReadString(ini, section, key + GetScreenResolutionSuffix(screen), "");
    if (value.empty())
        value = IniReadString(ini, section, key, "");
    return value;
}

void WritePosStr(const TIniObject& ini, const std::string& section, const std::string& key,
                 const std::string& value, const TPlacementScreen& screen)
{
    IniWriteString(ini, section, key + GetScreenResolutionSuffix(screen), value);
    IniWriteString(ini, section, key, value);
}

void WritePlacementValues(const TIniObject& ini, const std::string& section, const TWindowPlacement& placement,
                          const TPlacementScreen& screen)
{
    IniWriteInteger(ini, section, "Flags", static_cast<int32_t>(placement.Flags));
    IniWriteInteger(ini, section, "ShowCmd", placement.ShowCmd);
    IniWriteInteger(ini, section, "PixelsPerInch", screen.PixelsPerInch);
    WritePosStr(ini, section, "MinMaxPos",
                fourNumbers(placement.MinPosition.X, placement.MinPosition.Y, placement.MaxPosition.X,
                            placement.MaxPosition.Y),
                screen);
    const TRect& r = placement.NormalPosition;
    WritePosStr(ini, section, "NormPos", fourNumbers(r.Left, r.Top, r.Right, r.Bottom), screen);
}

bool ReadPlacementPosition(const TIniObject& ini, const std::string& section, const TPlacementScreen& screen,
                           TWindowPlacement& placement)
{
    TWindowPlacement read = placement;
    read.Flags = static_cast<uint32_t>(IniReadInteger(ini, section, "Flags", static_cast<int32_t>(placement.Flags)));
    bool found = false;
    const std::string minMax = ReadPosStr(ini, section, "MinMaxPos", screen);
    if (!minMax.empty()) {
        found = true;
        read.MinPosition = {wordOr(minMax, 1, 0), wordOr(minMax, 2, 0)};
        read.MaxPosition = {wordOr(minMax, 3, 0), wordOr(minMax, 4, 0)};
    }
    const std::string norm = ReadPosStr(ini, section, "NormPos", screen);
    if (!norm.empty()) {
        found = true;
        const TRect& r = placement.NormalPosition;
        read.NormalPosition = {wordOr(norm, 1, r.Left), wordOr(norm, 2, r.Top), wordOr(norm, 3, r.Right),
                               wordOr(norm, 4, r.Bottom)};
    }
    if (IniReadInteger(ini, section, "PixelsPerInch", screen.PixelsPerInch) != screen.PixelsPerInch)
        found = false;
    if (found)
        placement = read;
    return found;
}

TStoredState StateOfShowCmd(int showCmd, TStoredState defaultState)
{
    switch (showCmd) {
    case 1: case 5: case 9:
        return TStoredState::Normal;
    case 2: case 6: case 7:
        return TStoredState::Minimized;
    case 3:
        return TStoredState::Maximized;
    default:
        return defaultState;
    }
}

TRect KeepOnScreen(const TRect& rect, const std::vector<TRect>& screens, const TRect& primary)
{
    const bool meets = std::any_of(screens.begin(), screens.end(), [&](const TRect& s) {
        return rect.Left < s.Right && rect.Right > s.Left && rect.Top < s.Bottom && rect.Bottom > s.Top;
    });
    if (meets || primary.Width() <= 0 || primary.Height() <= 0)
        return rect;
    const int32_t width = std::clamp(rect.Width(), int32_t{0}, primary.Width());
    const int32_t height = std::clamp(rect.Height(), int32_t{0}, primary.Height());
    const int32_t left = primary.Left + (primary.Width() - width) / 2;
    const int32_t top = primary.Top + (primary.Height() - height) / 2;
    return {left, top, left + width, top + height};
}
