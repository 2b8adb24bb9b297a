// TTips: the tip of the day as a component: its texts and tips, the language of its buttons, and the user's start-up choice kept in the registry.
#pragma once

#include <functional>
#include <string>

#include "platform/core/CharacterReferences.h"
#include "platform/core/Classes.h"

class QWidget;
class TTipForm;

enum TLanguage { laEnglish, laGerman, laSpanish };

class TTips {
public:
    // The program's name in the check box's caption; none gives the language's general caption.
    std::string AppName;
    // The bold heading over the tip, and the window's caption.
    std::string TipHelp;
    std::string Title;
    // The registry key under HKEY_CURRENT_USER holding the value "ShowAtStart".
    std::string SaveKey;
    // The start-up choice when none is stored; after Execute, the check box as the user left it.
    bool ShowAtStart = true;
    // Whether Execute stores the check box under SaveKey.
    bool SaveShowAtStart = true;
    TLanguage Language = laEnglish;
    // One tip per string; the held characters are shown as themselves.
    TStringList Tips;
    int TipsCount() const { return Tips.Count(); }

    // Shows the tip window modally over `owner` and then takes the check box: into ShowAtStart, and
    // under SaveKey when SaveShowAtStart.
    void Execute(QWidget* owner);
    // The stored start-up choice; ShowAtStart when the key or the value is missing or unreadable.
    bool StoredShowAtStart() const;
    // Writes the start-up choice under SaveKey, making the key when it is missing.
    void WriteShowAtStart(bool value) const;
};

// While set, Execute hands the filled window to the hook instead of running it modally, once it has
// done what its showing does (without taking the focus from the window that has it); the hook may
// click, check and look at it. Returns the hook it replaces.
using TTipsHook = std::function<void(TTipForm& form)>;
TTipsHook SetTipsHook(TTipsHook hook);
