// The toolbar hooks: each kind of hook is one event filter on the application, installed while some
// registered callback needs it, that turns the events it stands for into hook codes for the callbacks.
#include "toolbars/TBarCmn.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <algorithm>
#include <array>
#include <memory>

#include "components/VCLUtils.h"
#include "platform/Controls.h"

namespace {

struct THookRecord {
    THookProc Proc = nullptr;
    int RefCount = 0;
    THookCodes Codes;
    // Per registration, in order, the kinds whose use it raised, so that undoing it lowers those only.
    std::vector<std::array<bool, kHookKindCount>> Raised;
    bool Removed = false;
};

using TRecordList = std::vector<std::shared_ptr<THookRecord>>;

class THookFilter : public QObject {
public:
    explicit THookFilter(THookKind kind) : FKind(kind), FApplicationActive(ApplicationIsActive()) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    THookKind FKind;
    bool FApplicationActive;
};

struct THookState {
    std::unique_ptr<TRecordList> List;
    int Generation = 0;
    std::array<std::unique_ptr<THookFilter>, kHookKindCount> Hooks;
    std::array<int, kHookKindCount> Counts{};
    bool CleanupRegistered = false;
};

THookState& state()
{
    static THookState s;
    return s;
}

THookKind kindOf(THookCode code)
{
    switch (code) {
    case hcActivateApp:
    case hcWindowPosChanged: return hkCallWndProc;
    case hcPreDestroy: return hkCBT;
    case hcMouseMove: return hkGetMessage;
    }
    return hkCallWndProc;
}

std::array<bool, kHookKindCount> kindsOf(THookCodes codes)
{
    std::array<bool, kHookKindCount> kinds{};
    for (THookCode code : {hcActivateApp, hcWindowPosChanged, hcPreDestroy, hcMouseMove})
        if (codes.Contains(code))
            kinds[kindOf(code)] = true;
    return kinds;
}

void unhook(int kind)
{
    std::unique_ptr<THookFilter> hook = std::move(state().Hooks[static_cast<size_t>(kind)]);
    if (hook && qApp)
        qApp->removeEventFilter(hook.get());
}

// At the application's end every hook still installed goes, whatever its count, and so does the list.
void finalize()
{
    THookState& s = state();
    for (int kind = 0; kind < kHookKindCount; ++kind) {
        unhook(kind);
        int& count = s.Counts[static_cast<size_t>(kind)];
        if (count > 0)
            --count;
    }
    s.List.reset();
}

void hook(int kind)
{
    THookState& s = state();
    if (s.Hooks[static_cast<size_t>(kind)] || !qApp)
        return;
    if (!s.CleanupRegistered) {
        qAddPostRoutine(finalize);
        s.CleanupRegistered = true;
    }
    auto filter = std::make_unique<THookFilter>(static_cast<THookKind>(kind));
    qApp->installEventFilter(filter.get());
    s.Hooks[static_cast<size_t>(kind)] = std::move(filter);
}

// Calls every record holding `code`, in list order. The walk runs over a copy of the list, so that a
// callback that unregisters a record (a window destroyed inside it) does not disturb it; records
// removed meanwhile are passed over.
void callProcs(THookCode code, QWidget* wnd, WPARAM wParam, LPARAM lParam)
{
    const TRecordList* list = state().List.get();
    if (!list)
        return;
    if (std::none_of(list->begin(), list->end(), [code](const auto& r) { return r->Codes.Contains(code); }))
        return;
    const TRecordList snapshot = *list;
    for (const std::shared_ptr<THookRecord>& record : snapshot)
        if (!record->Removed && record->Codes.Contains(code))
            record->Proc(code, wnd, wParam, lParam);
}

bool THookFilter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    switch (FKind) {
    case hkGetMessage:
        // Every event of the application passes here: mouse moves are picked out before anything else.
        if (type == QEvent::MouseMove && watched->isWidgetType()) {
            const auto* mouse = static_cast<const QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            callProcs(hcMouseMove, static_cast<QWidget*>(watched), MouseKeysOf(mouse), MakeLong(at.x(), at.y()));
        }
        break;
    case hkCallWndProc:
        if (type == QEvent::ApplicationActivate || type == QEvent::ApplicationDeactivate ||
            type == QEvent::ApplicationStateChange || type == QEvent::WindowActivate ||
            type == QEvent::WindowDeactivate) {
            // The application is active while one of its windows is: a change of that is reported once,
            // however many windows and events take part in it.
            const bool active = ApplicationIsActive();
            if (active != FApplicationActive) {
                FApplicationActive = active;
                callProcs(hcActivateApp, QApplication::activeWindow(), active ? 1 : 0, 0);
            }
        } else if (type == QEvent::Show || type == QEvent::Hide || type == QEvent::Move || type == QEvent::Resize ||
                   type == QEvent::WindowStateChange) {
            if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow())
                callProcs(hcWindowPosChanged, static_cast<QWidget*>(watched), 0, type);
        }
        break;
    case hkCBT:
        if ((type == QEvent::DeferredDelete || type == PreDestroyEventType()) && watched->isWidgetType())
            callProcs(hcPreDestroy, static_cast<QWidget*>(watched), 0, 0);
        break;
    }
    return false;
}

} // namespace

void InstallHookProc(THookProc Proc, THookCodes Codes, bool OnlyIncrementCount)
{
    THookState& s = state();
    if (!s.List) {
        s.List = std::make_unique<TRecordList>();
        ++s.Generation;
    }
    auto found = std::find_if(s.List->begin(), s.List->end(), [Proc](const auto& r) { return r->Proc == Proc; });
    THookRecord* record;
    if (found != s.List->end()) {
        record = found->get();
        ++record->RefCount;
    } else {
        auto made = std::make_shared<THookRecord>();
        made->Proc = Proc;
        made->RefCount = 1;
        made->Codes = Codes;
        record = made.get();
        s.List->push_back(std::move(made));
    }
    std::array<bool, kHookKindCount> raised{};
    if (!OnlyIncrementCount) {
        raised = kindsOf(Codes);
        for (int kind = 0; kind < kHookKindCount; ++kind)
            if (raised[static_cast<size_t>(kind)]) {
                ++s.Counts[static_cast<size_t>(kind)];
                hook(kind);
            }
    }
    record->Raised.push_back(raised);
}

void UninstallHookProc(THookProc Proc)
{
    THookState& s = state();
    if (!s.List)
        return;
    auto found = std::find_if(s.List->begin(), s.List->end(), [Proc](const auto& r) { return r->Proc == Proc; });
    if (found != s.List->end()) {
        std::shared_ptr<THookRecord> record = *found;
        const std::array<bool, kHookKindCount> raised = record->Raised.back();
        record->Raised.pop_back();
        if (--record->RefCount == 0) {
            record->Removed = true;
            s.List->erase(found);
        }
        for (int kind = 0; kind < kHookKindCount; ++kind) {
            int& count = s.Counts[static_cast<size_t>(kind)];
            if (!raised[static_cast<size_t>(kind)] || count == 0)
                continue;
            if (--count == 0)
                unhook(kind);
        }
    }
    if (s.List->empty())
        s.List.reset();
}

bool HookInstalled(THookKind kind) { return state().Hooks[kind] != nullptr; }
int HookUseCount(THookKind kind) { return state().Counts[kind]; }
bool HookListExists() { return state().List != nullptr; }
int HookListGeneration() { return state().Generation; }

int HookProcRefCount(THookProc Proc)
{
    const TRecordList* list = state().List.get();
    if (!list)
        return 0;
    auto found = std::find_if(list->begin(), list->end(), [Proc](const auto& r) { return r->Proc == Proc; });
    return found == list->end() ? 0 : (*found)->RefCount;
}

bool ApplicationIsActive() { return IsForegroundTask(); }
