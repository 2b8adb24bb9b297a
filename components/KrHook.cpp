// Window hooks: each hooked widget's events become messages that the attached hooks see before and after the widget handles them.
//
// The control hook is an event filter on the widget. For an event that stands for a message it runs
// the hooks' BeforeMessage, hands the event to the widget itself (sending it again while the filter
// lets it through), runs AfterMessage and keeps the event from going on a second time. Messages Qt
// has no event for (size limits, hit tests, menus about to open) are answered by Dispatch, whose
// default answer stands in for the widget's, and their answers are applied to the widget.
#include "components/KrHook.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <climits>
#include <utility>

#include "platform/MessageBox.h"
#include "platform/core/ScopeGuard.h"

namespace {

std::unique_ptr<THookList>& hookListStorage()
{
    static std::unique_ptr<THookList> list;
    return list;
}

void freeHookList()
{
    hookListStorage().reset();
}

int clampToInt(LRESULT value)
{
    return static_cast<int>(std::clamp<LRESULT>(value, INT_MIN, INT_MAX));
}

Qt::Edges edgesOfHit(int hit)
{
    switch (hit) {
    case HTLEFT: return Qt::LeftEdge;
    case HTRIGHT: return Qt::RightEdge;
    case HTTOP: return Qt::TopEdge;
    case HTTOPLEFT: return Qt::TopEdge | Qt::LeftEdge;
    case HTTOPRIGHT: return Qt::TopEdge | Qt::RightEdge;
    case HTBOTTOM: return Qt::BottomEdge;
    case HTBOTTOMLEFT: return Qt::BottomEdge | Qt::LeftEdge;
    case HTBOTTOMRIGHT: return Qt::BottomEdge | Qt::RightEdge;
    default: return {};
    }
}

// The children whose menus may open: a menu bar's and a menu's own.
bool holdsMenus(QObject* object)
{
    return qobject_cast<QMenu*>(object) || qobject_cast<QMenuBar*>(object);
}

} // namespace

// ---------------------------------------------------------------- TKrWindowHook

TKrWindowHook::TKrWindowHook(QObject* owner) : QObject(owner) {}

TKrWindowHook::~TKrWindowHook()
{
    FDestroying = true;
    SetActive(false);
    SetWinControl(nullptr);
}

void TKrWindowHook::SetActive(bool value)
{
    FActive = value;
    if (value)
        attach();
    else
        detach();
}

QWidget* TKrWindowHook::WinControl() const
{
    return FControlHook ? FControlHook->Control() : FControl.data();
}

void TKrWindowHook::SetWinControl(QWidget* value)
{
    if (value == WinControl())
        return;
    detach();
    FControl = value;
    attach();
}

QWidget* TKrWindowHook::ownerForm() const
{
    auto* owner = qobject_cast<QWidget*>(parent());
    return owner && owner->isWindow() ? owner : nullptr;
}

bool TKrWindowHook::IsForm() const
{
    QWidget* control = WinControl();
    return control && control == ownerForm();
}

void TKrWindowHook::SetIsForm(bool value)
{
    if (value)
        if (QWidget* form = ownerForm())
            SetWinControl(form);
}

bool TKrWindowHook::WinControlStored() const
{
    return WinControl() && !IsForm();
}

bool TKrWindowHook::IsFormStored(const TKrWindowHook* ancestor) const
{
    return IsForm() != (ancestor && ancestor->IsForm());
}

void TKrWindowHook::attach()
{
    if (!FActive || FDestroying || !FControl || FControlHook)
        return;
    TControlHook* controlHook = THookList::Instance().FindOrCreate(FControl);
    FControlHook = controlHook;
    controlHook->AddHook(this);
    controlHook->HookControl();
}

void TKrWindowHook::detach()
{
    TControlHook* controlHook = std::exchange(FControlHook, nullptr);
    if (!controlHook)
        return;
    controlHook->RemoveHook(this);
    // Freed on a later turn of the event loop: this may run inside the control hook's own handlers.
    if (controlHook->Hooks().empty())
        THookList::Instance().PostMessage(KM_FREEHOOK, controlHook);
}

void TKrWindowHook::controlDestroyed()
{
    FControlHook = nullptr;
    FControl = nullptr;
}

// ---------------------------------------------------------------- TControlHook

TControlHook::TControlHook(QWidget* control) : FControl(control), FControlObject(control)
{
    // The list is the connection's context, since the control hook frees itself in the handler.
    FDestroyedConnection = connect(control, &QObject::destroyed, &THookList::Instance(), [this] { controlDestroyed(); });
}

TControlHook::~TControlHook()
{
    FDestroying = true;
    disconnect(FDestroyedConnection);
    UnhookControl();
    for (TKrWindowHook* hook : std::exchange(FHooks, {}))
        hook->FControlHook = nullptr;
    if (THookList* list = THookList::Existing())
        list->remove(this);
}

void TControlHook::AddHook(TKrWindowHook* hook)
{
    if (std::find(FHooks.begin(), FHooks.end(), hook) == FHooks.end())
        FHooks.push_back(hook);
}

void TControlHook::RemoveHook(TKrWindowHook* hook)
{
    std::erase(FHooks, hook);
    if (FHooks.empty())
        UnhookControl();
}

void TControlHook::HookControl()
{
    if (!FControl || FDestroying || FSubclassed || FHooks.empty())
        return;
    FSubclassed = true;
    FControl->installEventFilter(this);
    watchMenus(FControl);
    queryMinMaxInfo();
}

void TControlHook::UnhookControl()
{
    unhook(true);
}

void TControlHook::unhook(bool giveBackLimits)
{
    if (FSubclassed) {
        FSubclassed = false;
        // Only this filter goes; any other on the widget stays where it is.
        if (FControl)
            FControl->removeEventFilter(this);
        for (const QPointer<QObject>& watched : std::exchange(FWatched, {}))
            if (watched)
                watched->removeEventFilter(this);
    }
    if (giveBackLimits && FControl && FLimitsApplied) {
        // The widget's own limits come back unless someone else has set others meanwhile.
        if (FControl->maximumSize() == FAppliedMax)
            FControl->setMaximumSize(FOwnMax);
        if (FControl->minimumSize() == FAppliedMin)
            FControl->setMinimumSize(FOwnMin);
        FLimitsApplied = false;
    }
}

void TControlHook::watchMenus(QObject* root)
{
    for (QObject* child : root->children())
        if (watch(child) && holdsMenus(child))
            watchMenus(child);
}

bool TControlHook::watch(QObject* child)
{
    std::erase_if(FWatched, [](const QPointer<QObject>& watched) { return watched.isNull(); });
    if (std::find(FWatched.begin(), FWatched.end(), child) != FWatched.end())
        return false;
    child->installEventFilter(this);
    FWatched.emplace_back(child);
    return true;
}

bool TControlHook::handlersMayRun() const
{
    return !FHooks.empty() && FControlObject && !FDestroying;
}

bool TControlHook::runHandlers(bool before, TMessage& msg, bool& handled)
{
    QPointer<TControlHook> self(this);
    // Handlers may detach or free hooks as they run; each is looked at again before its turn.
    std::vector<QPointer<TKrWindowHook>> order(FHooks.rbegin(), FHooks.rend());
    try {
        for (const QPointer<TKrWindowHook>& hook : order) {
            if (!self)
                return false;
            if (!hook || hook->FControlHook != this)
                continue;
            TKrWindowHook::THookMessageEvent handler = before ? hook->BeforeMessage : hook->AfterMessage;
            if (!handler)
                continue;
            handler(hook, msg, handled);
            if (handled)
                break;
        }
    } catch (...) {
        ShowException(self ? self->FControl.data() : nullptr);
    }
    return !self.isNull();
}

void TControlHook::Dispatch(TMessage& msg)
{
    if (!handlersMayRun())
        return;
    bool handled = false;
    if (msg.Msg != WM_QUIT && !runHandlers(true, msg, handled))
        return;
    if (handled)
        return;
    defaultAnswer(msg);
    runHandlers(false, msg, handled);
}

void TControlHook::defaultAnswer(TMessage& msg)
{
    msg.Result = 0;
    if (!FControl)
        return;
    switch (msg.Msg) {
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(msg.LParam);
        if (!info)
            return;
        const QScreen* screen = FControl->screen();
        const QSize available = screen ? screen->availableGeometry().size() : QSize(FOwnMax);
        info->ptMaxSize = {available.width(), available.height()};
        info->ptMaxPosition = {0, 0};
        info->ptMinTrackSize = {FOwnMin.width(), FOwnMin.height()};
        info->ptMaxTrackSize = {FOwnMax.width(), FOwnMax.height()};
        return;
    }
    case WM_NCHITTEST: {
        const QPoint at = FControl->mapFromGlobal(QPoint(static_cast<int16_t>(LoWord(msg.LParam)),
                                                         static_cast<int16_t>(HiWord(msg.LParam))));
        msg.Result = FControl->rect().contains(at) ? HTCLIENT : HTNOWHERE;
        return;
    }
    default: return;
    }
}

void TControlHook::queryMinMaxInfo()
{
    if (FQueryingLimits || !FControl || !handlersMayRun())
        return;
    FQueryingLimits = true;
    QPointer<TControlHook> self(this);
    TScopeGuard querying([self] {
        if (self)
            self->FQueryingLimits = false;
    });
    // Limits set by the widget's own code (a layout, say) since the hooks last set theirs are its own.
    if (!FLimitsApplied || FControl->minimumSize() != FAppliedMin)
        FOwnMin = FControl->minimumSize();
    if (!FLimitsApplied || FControl->maximumSize() != FAppliedMax)
        FOwnMax = FControl->maximumSize();
    MINMAXINFO info;
    TMessage msg{WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info), 0};
    Dispatch(msg);
    if (!self || !FControl || !FSubclassed)
        return;
    const QSize least(std::clamp(info.ptMinTrackSize.X, 0, QWIDGETSIZE_MAX),
                      std::clamp(info.ptMinTrackSize.Y, 0, QWIDGETSIZE_MAX));
    const QSize most = QSize(std::clamp(info.ptMaxTrackSize.X, 0, QWIDGETSIZE_MAX),
                             std::clamp(info.ptMaxTrackSize.Y, 0, QWIDGETSIZE_MAX))
                           .expandedTo(least);
    FAppliedMin = least;
    FAppliedMax = most;
    FLimitsApplied = true;
    // The widget may be resized to fit, which comes back here and is let through by the flag.
    FControl->setMaximumSize(most);
    if (self && FControl)
        FControl->setMinimumSize(least);
}

bool TControlHook::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FControlObject)
        return controlEvent(event);
    // A child is not made yet when it is added; whether it is a menu shows once it opens.
    if (event->type() == QEvent::ChildAdded && holdsMenus(watched))
        watch(static_cast<QChildEvent*>(event)->child());
    else if (event->type() == QEvent::Show)
        if (auto* menu = qobject_cast<QMenu*>(watched)) {
            // No system menu here: the high word stays 0.
            QWidget* holder = menu->parentWidget();
            const int index = holder ? std::max<qsizetype>(0, holder->actions().indexOf(menu->menuAction())) : 0;
            TMessage msg{WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MakeLong(index, 0), 0};
            Dispatch(msg);
        }
    return false;
}

bool TControlHook::controlEvent(QEvent* event)
{
    if (event == FDelivering || (!FControl && event->type() != QEvent::WinIdChange))
        return false;
    TMessage msg;
    switch (event->type()) {
    case QEvent::Resize: {
        const QSize size = static_cast<QResizeEvent*>(event)->size();
        const int request = FControl->isMinimized() ? SIZE_MINIMIZED
                            : FControl->isMaximized() ? SIZE_MAXIMIZED
                                                      : SIZE_RESTORED;
        msg = {WM_SIZE, request, MakeLong(size.width(), size.height()), 0};
        break;
    }
    case QEvent::Move: {
        const QPoint at = FControl->geometry().topLeft();
        msg = {WM_MOVE, 0, MakeLong(at.x(), at.y()), 0};
        break;
    }
    case QEvent::Show: msg = {WM_SHOWWINDOW, 1, 0, 0}; break;
    case QEvent::Hide: msg = {WM_SHOWWINDOW, 0, 0, 0}; break;
    case QEvent::Close: msg = {WM_CLOSE, 0, 0, 0}; break;
    case QEvent::WinIdChange:
        if (FControl && FControl->internalWinId()) {
            FDestroySent = false; // a new native window, whose end is yet to come
            return false;
        }
        if (FDestroySent)
            return false;
        msg = {WM_DESTROY, 0, 0, 0};
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: return mouseEvent(static_cast<QMouseEvent*>(event));
    case QEvent::ChildAdded: watch(static_cast<QChildEvent*>(event)->child()); return false;
    default: return false;
    }
    if (!handlersMayRun())
        return false;

    QPointer<TControlHook> self(this);
    QPointer<QWidget> control(FControl);
    bool handled = false;
    if (!runHandlers(true, msg, handled))
        return !control;
    if (handled && msg.Msg != WM_DESTROY) {
        // A close taken before the window's turn leaves the window open.
        if (msg.Msg == WM_CLOSE)
            event->ignore();
        if (msg.Msg == WM_SIZE || msg.Msg == WM_SHOWWINDOW)
            queryMinMaxInfo();
        return true;
    }
    if (!control)
        return true;
    {
        QEvent* outer = std::exchange(FDelivering, event);
        TScopeGuard delivering([self, outer] {
            if (self)
                self->FDelivering = outer;
        });
        // The widget's answer: whether it took the event.
        msg.Result = QCoreApplication::sendEvent(control, event) ? 1 : 0;
    }
    // After a close the result says whether the window agreed to close.
    if (msg.Msg == WM_CLOSE)
        msg.Result = event->isAccepted() ? 1 : 0;
    if (!self)
        return true;
    handled = false;
    if (!runHandlers(false, msg, handled))
        return true;
    if (msg.Msg == WM_DESTROY)
        nativeWindowDestroyed();
    else if (msg.Msg == WM_SIZE || msg.Msg == WM_SHOWWINDOW)
        queryMinMaxInfo();
    return true;
}

bool TControlHook::mouseEvent(QMouseEvent* event)
{
    // While a button is held the widget has the mouse, wherever it is: no hit test, as with capture.
    if (event->type() == QEvent::MouseMove && event->buttons() != Qt::NoButton)
        return false;
    if (!handlersMayRun())
        return false;
    QPointer<TControlHook> self(this);
    QPointer<QWidget> control(FControl);
    const QPoint at = event->globalPosition().toPoint();
    TMessage msg{WM_NCHITTEST, 0, MakeLong(at.x(), at.y()), HTCLIENT};
    Dispatch(msg);
    if (!self || !control)
        return !control;
    const int hit = clampToInt(msg.Result);
    if (hit == HTCLIENT)
        return false;
    // Over the caption or a border the window system moves or sizes the window; anywhere else the
    // point is outside the client area, and the widget hears nothing of the mouse.
    if (event->type() == QEvent::MouseButtonPress && event->button() == Qt::LeftButton)
        if (QWindow* window = control->windowHandle()) {
            if (hit == HTCAPTION)
                window->startSystemMove();
            else if (const Qt::Edges edges = edgesOfHit(hit))
                window->startSystemResize(edges);
        }
    return true;
}

void TControlHook::nativeWindowDestroyed()
{
    FDestroySent = true;
    // The limits stay: the widget may be on its way out, and a new window gets them again anyway.
    unhook(false);
    // Hooked again once the window has been made anew; a widget that is going away is not.
    THookList* list = THookList::Existing();
    if (list && !FDestroying && FControl)
        list->PostMessage(KM_HOOKAGAIN, this);
}

void TControlHook::controlDestroyed()
{
    QPointer<TControlHook> self(this);
    if (!FDestroySent && handlersMayRun()) {
        FDestroySent = true;
        TMessage msg{WM_DESTROY, 0, 0, 0};
        bool handled = false;
        if (!runHandlers(true, msg, handled))
            return;
        handled = false;
        if (!runHandlers(false, msg, handled))
            return;
    }
    FDestroySent = true;
    FSubclassed = false; // the filter goes with the widget
    FWatched.clear();
    for (TKrWindowHook* hook : std::exchange(FHooks, {}))
        hook->controlDestroyed();
    delete this;
}

// ---------------------------------------------------------------- THookList

THookList& THookList::Instance()
{
    std::unique_ptr<THookList>& list = hookListStorage();
    if (!list) {
        list.reset(new THookList);
        // Freed with the application, while the widgets it may still hook are alive.
        if (QCoreApplication::instance())
            qAddPostRoutine(freeHookList);
    }
    return *list;
}

THookList* THookList::Existing()
{
    return hookListStorage().get();
}

THookList::~THookList()
{
    // Taken out first: while the list goes, a control hook's destructor no longer finds it.
    for (TControlHook* hook : std::exchange(FHooks, {}))
        delete hook;
}

TControlHook* THookList::Find(const QObject* control) const
{
    for (TControlHook* hook : FHooks)
        if (hook->FControlObject == control)
            return hook;
    return nullptr;
}

TControlHook* THookList::FindOrCreate(QWidget* control)
{
    if (TControlHook* hook = Find(control))
        return hook;
    FHooks.push_back(new TControlHook(control));
    return FHooks.back();
}

bool THookList::Contains(const TControlHook* hook) const
{
    return std::find(FHooks.begin(), FHooks.end(), hook) != FHooks.end();
}

void THookList::PostMessage(UINT msg, TControlHook* hook)
{
    QPointer<TControlHook> target(hook);
    QMetaObject::invokeMethod(
        this,
        [this, msg, target] {
            if (!target)
                return;
            TMessage message{msg, 0, reinterpret_cast<LPARAM>(target.data()), 0};
            WndProc(message);
        },
        Qt::QueuedConnection);
}

void THookList::WndProc(TMessage& msg)
{
    auto* hook = reinterpret_cast<TControlHook*>(msg.LParam);
    if (!Contains(hook))
        return;
    switch (msg.Msg) {
    case KM_HOOKAGAIN: hook->HookControl(); break;
    case KM_FREEHOOK:
        if (hook->Hooks().empty())
            delete hook;
        break;
    default: break;
    }
}

void THookList::remove(TControlHook* hook)
{
    std::erase(FHooks, hook);
}
