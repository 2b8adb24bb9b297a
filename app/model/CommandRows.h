// The window's command table as data: one row per command, named as the window's items are named, with its texts, keys and enabling rules.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "app/model/EditorState.h"

// What the switch between no document and some documents does to a command.
enum class TOpenRule : uint8_t {
    None,
    // Enabled exactly while a document is open.
    Enable,
    // Enabled whatever the documents.
    AlwaysEnabled,
    // Shown exactly while a document is open.
    Show,
    // Shown whatever the documents.
    AlwaysShown,
};

struct TCommandRow {
    const char* Name;
    // String ids of the caption and the hint; 0 when the item gets them where it is filled.
    int Caption = 0;
    int Hint = 0;
    // The shortcut in portable text ("Ctrl+Shift+Z"); empty for none.
    const char* Keys = "";
    bool Checkable = false;
    TOpenRule Open = TOpenRule::None;
    // Applied after every change of the editor while a document is open.
    TRule Enable = TRule::None;
    TRule Check = TRule::None;
    // Applied as the menu `Menu` opens, when MenuWhen holds.
    const char* Menu = nullptr;
    TRule MenuEnable = TRule::None;
    TRule MenuCheck = TRule::None;
    TRule MenuWhen = TRule::Always;
};

// Every command of the window, in no particular order; names are unique.
std::span<const TCommandRow> CommandRows();
// The row of `name`; nil when there is none.
const TCommandRow* FindCommandRow(std::string_view name);
