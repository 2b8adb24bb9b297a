// KrHook: TKrWindowHook, which lets a component see a widget's messages (size, move, show and hide, close, the native window's end) before and after the widget handles them, with the per-widget TControlHook and the global THookList.
#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "platform/core/Messages.h"

class QMouseEvent;
class TControlHook;

// Hook-list messages, handled on a later turn of the event loop: hook the widget again after its
// window was re-created, and free a control hook that no hook uses any more.
constexpr UINT KM_HOOKAGAIN = 0xB052;
constexpr UINT KM_FREEHOOK = 0xB053;

class TKrWindowHook : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE SetActive)
    // Stands for WinControl when the hooked widget is the hook's own form.
    Q_PROPERTY(bool IsForm READ IsForm WRITE SetIsForm DESIGNABLE false)

public:
    // The message may be changed (its Result above all); Handled stops the handlers after this one
    // and, before the widget's turn, keeps the message from the widget.
    using THookMessageEvent = std::function<void(TKrWindowHook* Sender, TMessage& Msg, bool& Handled)>;

    explicit TKrWindowHook(QObject* owner = nullptr);
    ~TKrWindowHook() override;

    bool Active() const { return FActive; }
    void SetActive(bool value);
    QWidget* WinControl() const;
    void SetWinControl(QWidget* value);
    bool IsForm() const;
    void SetIsForm(bool value);
    // Whether a form writes WinControl itself (set and not the hook's own form), and IsForm (when it
    // differs from the ancestor's, or from False without one).
    bool WinControlStored() const;
    bool IsFormStored(const TKrWindowHook* ancestor = nullptr) const;

    THookMessageEvent BeforeMessage;
    THookMessageEvent AfterMessage;

private:
    friend class TControlHook;
    QWidget* ownerForm() const;
    void attach();
    void detach();
    // The control hook tells its hooks that the widget is gone.
    void controlDestroyed();

    QPointer<QWidget> FControl;
    TControlHook* FControlHook = nullptr;
    bool FActive = true;
    bool FDestroying = false;
};

// One per hooked widget: an event filter that turns the widget's events into messages and passes
// each to the attached hooks around the widget's own handling.
class TControlHook : public QObject {
    Q_OBJECT

public:
    explicit TControlHook(QWidget* control);
    ~TControlHook() override;

    QWidget* Control() const { return FControl; }
    // Attached hooks, in attachment order.
    const std::vector<TKrWindowHook*>& Hooks() const { return FHooks; }
    bool Subclassed() const { return FSubclassed; }
    void AddHook(TKrWindowHook* hook);
    void RemoveHook(TKrWindowHook* hook);
    void HookControl();
    void UnhookControl();
    // Runs one message through the hooks and the widget's default answer: what the widget sees of a
    // message that Qt has no event for (the size limits, hit tests, menus about to open).
    void Dispatch(TMessage& msg);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class THookList;
    bool controlEvent(QEvent* event);
    bool mouseEvent(QMouseEvent* event);
    // Runs one phase's handlers, newest hook first; an exception is reported and ends the phase.
    // False when the control hook went away meanwhile.
    bool runHandlers(bool before, TMessage& msg, bool& handled);
    bool handlersMayRun() const;
    void defaultAnswer(TMessage& msg);
    void applyAnswer(const TMessage& msg);
    void queryMinMaxInfo();
    void watchMenus(QObject* root);
    bool watch(QObject* child);
    void nativeWindowDestroyed();
    void unhook(bool giveBackLimits);
    void controlDestroyed();

    QPointer<QWidget> FControl;
    QObject* FControlObject; // the widget's identity, still known while it is being destroyed
    std::vector<TKrWindowHook*> FHooks;
    std::vector<QPointer<QObject>> FWatched; // the children whose menus are watched
    bool FSubclassed = false;
    bool FDestroying = false;
    bool FDestroySent = false;     // the current native window's WM_DESTROY has run
    QEvent* FDelivering = nullptr; // the event being handed to the widget itself
    bool FQueryingLimits = false;
    // The widget's own size limits, and those the hooks set, so that unhooking gives back its own
    // unless someone else has changed them meanwhile.
    QSize FOwnMin, FOwnMax, FAppliedMin, FAppliedMax;
    bool FLimitsApplied = false;
    QMetaObject::Connection FDestroyedConnection;
};

// The control hooks of all hooked widgets, and the deferred work on them.
class THookList : public QObject {
    Q_OBJECT

public:
    static THookList& Instance();
    // The list when it exists, without making one.
    static THookList* Existing();
    ~THookList() override;

    int Count() const { return static_cast<int>(FHooks.size()); }
    TControlHook* Find(const QObject* control) const;
    TControlHook* FindOrCreate(QWidget* control);
    bool Contains(const TControlHook* hook) const;
    // Queues the message for a later turn of the event loop; it is dropped when the control hook is
    // freed before.
    void PostMessage(UINT msg, TControlHook* hook);
    // The deferred work; LParam is the control hook.
    void WndProc(TMessage& msg);

private:
    THookList() = default;
    friend class TControlHook;
    void remove(TControlHook* hook);

    std::vector<TControlHook*> FHooks;
};
