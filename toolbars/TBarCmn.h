// TBarCmn: the hooks shared by the toolbar components, which learn of events in windows not their own, and two small helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "components/core/ListSort.h"
#include "platform/core/Messages.h"

class QWidget;

// What a hook callback is told about.
enum THookCode : uint8_t {
    hcActivateApp,      // the application was activated (WParam 1) or deactivated (WParam 0)
    hcWindowPosChanged, // a window was shown, hidden, moved, resized, minimised or restored (LParam: the Qt event type)
    hcPreDestroy,       // a window is about to be destroyed; its children still exist
    hcMouseMove,        // the mouse moved over a widget (WParam: mouse keys, LParam: client position)
};

// A set of up to eight values of a small enumeration, one bit each.
template <class TEnum>
class TSmallSet {
public:
    constexpr TSmallSet() = default;
    constexpr TSmallSet(std::initializer_list<TEnum> values)
    {
        for (TEnum value : values)
            FBits = static_cast<uint8_t>(FBits | (1u << value));
    }
    constexpr bool Contains(TEnum value) const { return (FBits >> value) & 1u; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr bool operator==(const TSmallSet&) const = default;

private:
    uint8_t FBits = 0;
};

// The edges a bar draws a bound line along.
enum TBoundLine : uint8_t { blTop, blBottom, blLeft, blRight };
using TBoundLines = TSmallSet<TBoundLine>;

// A set of hook codes.
using THookCodes = TSmallSet<THookCode>;

// The kinds of hook, each installed once for the whole application while some callback needs it.
enum THookKind : uint8_t {
    hkCallWndProc, // activation of the application and window positions
    hkCBT,         // windows about to be destroyed
    hkGetMessage,  // mouse moves
};
constexpr int kHookKindCount = 3;

using THookProc = void (*)(THookCode Code, QWidget* Wnd, WPARAM WParam, LPARAM LParam);

// Registers Proc for Codes. A Proc registered before keeps its codes and counts one more
// registration. OnlyIncrementCount registers without installing any hook (a component being designed).
void InstallHookProc(THookProc Proc, THookCodes Codes, bool OnlyIncrementCount = false);
// Undoes the latest registration of Proc: its hooks lose the uses that registration gave them and a
// hook that nobody uses any more is removed. A Proc not registered changes nothing.
void UninstallHookProc(THookProc Proc);

// The state of the service, for those who watch it.
bool HookInstalled(THookKind kind);
int HookUseCount(THookKind kind);
// Whether the callback list exists, and how many lists were made so far (a new list, a new number).
bool HookListExists();
int HookListGeneration();
int HookProcRefCount(THookProc Proc);

// Whether one of the application's windows is active.
bool ApplicationIsActive();
