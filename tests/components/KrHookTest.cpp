// Window hooks: the order of the hooks around the widget, moving and freeing control hooks, re-created windows, errors and the answered size limits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QResizeEvent>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "components/KrHook.h"
#include "support/BoxAnswers.h"
#include "support/MouseEvents.h"
#include "support/RefusingForm.h"

namespace {

// A form that notes the events it gets and answers a resize with a result of the test's choice.
class TNotingForm : public QWidget {
public:
    using QWidget::QWidget;
    std::vector<QEvent::Type> Seen;
    bool ResizeAnswer = true;

protected:
    bool event(QEvent* e) override
    {
        Seen.push_back(e->type());
        const bool answer = QWidget::event(e);
        return e->type() == QEvent::Resize ? ResizeAnswer : answer;
    }
};

int countOf(const std::vector<QEvent::Type>& seen, QEvent::Type type)
{
    return static_cast<int>(std::count(seen.begin(), seen.end(), type));
}

// The handler calls of a set of hooks for the messages of Qt's events, as "<hook name> <B or A>
// <message>" (the size-limit queries that follow them are left out).
struct TCallLog {
    std::vector<std::string> Calls;
    void Watch(TKrWindowHook& hook, const std::string& name)
    {
        hook.BeforeMessage = [this, name](TKrWindowHook*, TMessage& msg, bool&) {
            if (msg.Msg != WM_GETMINMAXINFO)
                Calls.push_back(name + " B " + std::to_string(msg.Msg));
        };
        hook.AfterMessage = [this, name](TKrWindowHook*, TMessage& msg, bool&) {
            if (msg.Msg != WM_GETMINMAXINFO)
                Calls.push_back(name + " A " + std::to_string(msg.Msg) + "=" + std::to_string(msg.Result));
        };
    }
    std::vector<std::string> Take() { return std::exchange(Calls, {}); }
};

void sendResize(QWidget& widget, QSize size)
{
    QResizeEvent resize(size, widget.size());
    QCoreApplication::sendEvent(&widget, &resize);
}

// One turn of the event loop: the deferred work of the hook list runs.
void turnEventLoop()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

const std::string kSize = std::to_string(WM_SIZE);
const std::string kDestroy = std::to_string(WM_DESTROY);

} // namespace

TEST(KrHook, NewestHookSeesEachMessageFirstAndItsHandledKeepsItFromTheRest)
{
    TNotingForm form;
    TKrWindowHook first(&form), second(&form);
    first.SetIsForm(true);
    second.SetWinControl(&form);
    EXPECT_EQ(first.WinControl(), &form);
    TCallLog log;
    log.Watch(first, "1");
    log.Watch(second, "2");

    sendResize(form, {220, 110});
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"2 B " + kSize, "1 B " + kSize, "2 A " + kSize + "=1",
                                                    "1 A " + kSize + "=1"}));
    EXPECT_EQ(countOf(form.Seen, QEvent::Resize), 1);

    // The form's own answer reaches the handlers after it.
    form.ResizeAnswer = false;
    sendResize(form, {230, 110});
    EXPECT_EQ(log.Take()[2], "2 A " + kSize + "=0");

    // Handled by the newest hook: neither the form nor the older hook hears of the resize.
    second.BeforeMessage = [&log](TKrWindowHook*, TMessage& msg, bool& handled) {
        if (msg.Msg != WM_GETMINMAXINFO)
            log.Calls.push_back("2 B " + std::to_string(msg.Msg));
        handled = true;
    };
    form.Seen.clear();
    sendResize(form, {240, 120});
    EXPECT_EQ(log.Take(), std::vector<std::string>{"2 B " + kSize});
    EXPECT_EQ(countOf(form.Seen, QEvent::Resize), 0);

    // The end of the form's window reaches the form all the same.
    form.show();
    QApplication::processEvents();
    ASSERT_NE(form.internalWinId(), 0u);
    log.Take();
    form.Seen.clear();
    QWidget parent;
    form.setParent(&parent);
    EXPECT_EQ(form.internalWinId(), 0u);
    EXPECT_EQ(countOf(form.Seen, QEvent::WinIdChange), 1);
    const std::vector<std::string> calls = log.Take();
    const auto destroyed = std::find(calls.begin(), calls.end(), "2 B " + kDestroy);
    ASSERT_NE(destroyed, calls.end());
    ASSERT_NE(destroyed + 1, calls.end());
    EXPECT_EQ(destroyed[1], "2 A " + kDestroy + "=0"); // a plain widget leaves it unanswered
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "1 B " + kDestroy), 0);
    form.setParent(nullptr);
}

TEST(KrHook, MovingTheHookGivesTheFirstWidgetBackAndFreesItsControlHookLater)
{
    TNotingForm one, two;
    TKrWindowHook hook;
    hook.BeforeMessage = [](TKrWindowHook*, TMessage& msg, bool& handled) {
        handled = msg.Msg == WM_SIZE;
    };
    hook.AfterMessage = [](TKrWindowHook*, TMessage& msg, bool&) {
        if (msg.Msg == WM_GETMINMAXINFO)
            reinterpret_cast<MINMAXINFO*>(msg.LParam)->ptMaxTrackSize = {500, 400};
    };
    // Another filter put on the widget after the hook keeps working when the hook goes.
    struct TCounter : QObject {
        int Resizes = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            Resizes += e->type() == QEvent::Resize;
            return false;
        }
    } later;
    hook.SetWinControl(&one);
    one.installEventFilter(&later);
    TControlHook* firstHook = THookList::Instance().Find(&one);
    ASSERT_NE(firstHook, nullptr);
    EXPECT_TRUE(firstHook->Subclassed());
    EXPECT_EQ(one.maximumSize(), QSize(500, 400));
    sendResize(one, {50, 50});
    EXPECT_EQ(countOf(one.Seen, QEvent::Resize), 0);
    EXPECT_EQ(later.Resizes, 1);

    hook.SetWinControl(&two);
    EXPECT_EQ(hook.WinControl(), &two);
    EXPECT_FALSE(firstHook->Subclassed());
    EXPECT_EQ(one.maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
    sendResize(one, {60, 60});
    EXPECT_EQ(countOf(one.Seen, QEvent::Resize), 1);
    EXPECT_EQ(later.Resizes, 2);
    sendResize(two, {60, 60});
    EXPECT_EQ(countOf(two.Seen, QEvent::Resize), 0);
    EXPECT_EQ(two.maximumSize(), QSize(500, 400));

    // Freed only once the event loop has turned.
    EXPECT_EQ(THookList::Instance().Find(&one), firstHook);
    turnEventLoop();
    EXPECT_EQ(THookList::Instance().Find(&one), nullptr);

    // Back and away and back before the loop turns: the control hook stays and works.
    hook.SetWinControl(&one);
    TControlHook* again = THookList::Instance().Find(&one);
    hook.SetWinControl(&two);
    hook.SetWinControl(&one);
    turnEventLoop();
    EXPECT_EQ(THookList::Instance().Find(&one), again);
    one.Seen.clear();
    sendResize(one, {70, 70});
    EXPECT_EQ(countOf(one.Seen, QEvent::Resize), 0);

    // Switched off: the widget is as it was, the control hook is let go.
    hook.SetActive(false);
    EXPECT_EQ(hook.WinControl(), &one);
    sendResize(one, {80, 80});
    EXPECT_EQ(countOf(one.Seen, QEvent::Resize), 1);
    turnEventLoop();
    EXPECT_EQ(THookList::Instance().Find(&one), nullptr);
    hook.SetActive(true);
    sendResize(one, {90, 90});
    EXPECT_EQ(countOf(one.Seen, QEvent::Resize), 1);
}

TEST(KrHook, ReCreatedWindowIsHookedAgainAndHandlerErrorsAreReported)
{
    auto form = std::make_unique<TNotingForm>();
    // Owned by the form, as a form's hooks are.
    auto* older = new TKrWindowHook(form.get());
    auto* newer = new TKrWindowHook(form.get());
    older->SetIsForm(true);
    newer->SetIsForm(true);
    TCallLog log;
    log.Watch(*older, "1");
    log.Watch(*newer, "2");
    form->show();
    QApplication::processEvents();

    QWidget parent;
    for (int round = 0; round < 2; ++round) {
        ASSERT_NE(form->internalWinId(), 0u);
        log.Take();
        form->setParent(&parent);
        EXPECT_EQ(std::count(log.Calls.begin(), log.Calls.end(), "2 B " + kDestroy), 1) << round;
        // Messages between the window's end and the next turn of the loop go by unseen.
        log.Take();
        turnEventLoop();
        sendResize(*form, {100 + round, 100});
        EXPECT_EQ(log.Take().size(), 4u) << round;
        form->setParent(nullptr);
        form->show();
        QApplication::processEvents();
    }

    // A throwing handler is reported; the rest of its phase is skipped, the widget still has its turn.
    std::vector<std::string> shown;
    {
        TBoxAnswers boxes;
        newer->BeforeMessage = [](TKrWindowHook*, TMessage& msg, bool&) {
            if (msg.Msg == WM_SIZE)
                throw std::runtime_error("Fallo del gancho");
        };
        form->Seen.clear();
        log.Take();
        sendResize(*form, {150, 90});
        shown = boxes.texts;
    }
    EXPECT_EQ(shown, std::vector<std::string>{"Fallo del gancho"});
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"2 A " + kSize + "=1", "1 A " + kSize + "=1"}));
    EXPECT_EQ(countOf(form->Seen, QEvent::Resize), 1);

    // A deferred hook-again whose widget is gone before the loop turns does nothing.
    TKrWindowHook outside;
    outside.SetWinControl(form.get());
    form->setParent(&parent);
    form.reset();
    EXPECT_EQ(outside.WinControl(), nullptr);
    turnEventLoop();
}

TEST(KrHook, DestroyingTheWidgetEndsItsHooksOnce)
{
    for (bool native : {false, true}) {
        auto widget = std::make_unique<QWidget>();
        if (native) {
            widget->show();
            QApplication::processEvents();
        }
        QObject* identity = widget.get();
        TKrWindowHook a, b, unattached;
        int destroysBefore = 0, destroysAfter = 0;
        for (TKrWindowHook* hook : {&a, &b}) {
            hook->BeforeMessage = [&](TKrWindowHook*, TMessage& msg, bool&) { destroysBefore += msg.Msg == WM_DESTROY; };
            hook->AfterMessage = [&](TKrWindowHook*, TMessage& msg, bool&) { destroysAfter += msg.Msg == WM_DESTROY; };
            hook->SetWinControl(widget.get());
        }
        unattached.SetActive(false);
        unattached.SetWinControl(widget.get());
        // A free posted before its widget goes finds nothing to free afterwards.
        auto other = std::make_unique<QWidget>();
        TKrWindowHook passing;
        passing.SetWinControl(other.get());
        passing.SetWinControl(nullptr);
        other.reset();

        widget.reset();
        EXPECT_EQ(destroysBefore, 2) << native;
        EXPECT_EQ(destroysAfter, 2) << native;
        EXPECT_EQ(THookList::Instance().Find(identity), nullptr);
        EXPECT_EQ(a.WinControl(), nullptr);
        EXPECT_EQ(unattached.WinControl(), nullptr);
        EXPECT_TRUE(a.Active());
        turnEventLoop();
        EXPECT_EQ(THookList::Instance().Find(identity), nullptr);
    }
}

TEST(KrHook, AnsweredSizeLimitsBoundTheForm)
{
    QWidget form;
    form.setMinimumSize(20, 10);
    TKrWindowHook hook(&form);
    int queries = 0;
    hook.AfterMessage = [&queries](TKrWindowHook*, TMessage& msg, bool&) {
        if (msg.Msg != WM_GETMINMAXINFO)
            return;
        ++queries;
        auto* info = reinterpret_cast<MINMAXINFO*>(msg.LParam);
        // The form's own answer comes first.
        EXPECT_EQ(info->ptMinTrackSize, (TPoint{20, 10}));
        EXPECT_EQ(info->ptMaxTrackSize, (TPoint{QWIDGETSIZE_MAX, QWIDGETSIZE_MAX}));
        info->ptMinTrackSize = {120, 80};
        info->ptMaxTrackSize = {300, 200};
    };
    hook.SetIsForm(true);
    EXPECT_TRUE(hook.IsForm());
    EXPECT_FALSE(hook.WinControlStored());
    EXPECT_TRUE(hook.IsFormStored());
    EXPECT_GE(queries, 1);
    form.resize(1000, 1000);
    EXPECT_EQ(form.size(), QSize(300, 200));
    form.resize(10, 10);
    EXPECT_EQ(form.size(), QSize(120, 80));
    form.show();
    QApplication::processEvents();
    form.resize(250, 150);
    QApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(250, 150));
    form.resize(2000, 50);
    QApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(300, 80));

    hook.SetActive(false);
    EXPECT_EQ(form.minimumSize(), QSize(20, 10));
    form.resize(640, 480);
    QApplication::processEvents();
    EXPECT_EQ(form.size(), QSize(640, 480));
}

TEST(KrHook, HitTestsAndMenusAboutToOpenReachTheHooks)
{
    TNotingForm form;
    form.resize(200, 100);
    TKrWindowHook hook(&form);
    int answer = HTCLIENT;
    std::vector<TMessage> seen;
    hook.AfterMessage = [&](TKrWindowHook*, TMessage& msg, bool&) {
        seen.push_back(msg);
        if (msg.Msg == WM_NCHITTEST) {
            EXPECT_EQ(msg.Result, HTCLIENT); // the form's own answer inside it
            msg.Result = answer;
        }
        if (msg.Msg == WM_INITMENUPOPUP)
            reinterpret_cast<QMenu*>(msg.WParam)->actions().at(1)->setEnabled(false);
    };
    hook.SetIsForm(true);
    const QPoint inside(30, 40);
    auto press = [&form, inside] {
        form.Seen.clear();
        SendMouse(form, QEvent::MouseButtonPress, inside);
        return countOf(form.Seen, QEvent::MouseButtonPress);
    };
    seen.clear();
    EXPECT_EQ(press(), 1);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].Msg, WM_NCHITTEST);
    const QPoint global = form.mapToGlobal(inside);
    EXPECT_EQ(seen[0].LParam, MakeLong(global.x(), global.y()));
    answer = HTNOWHERE;
    EXPECT_EQ(press(), 0);
    answer = HTCLIENT;
    EXPECT_EQ(press(), 1);

    // A menu of the form, also one made after the hook, announces itself before it opens.
    auto* menu = new QMenu(&form);
    menu->addAction("uno");
    menu->addAction("dos");
    seen.clear();
    menu->popup(form.mapToGlobal(QPoint(5, 5)));
    QApplication::processEvents();
    menu->hide();
    auto initMenu = std::find_if(seen.begin(), seen.end(), [](const TMessage& m) { return m.Msg == WM_INITMENUPOPUP; });
    ASSERT_NE(initMenu, seen.end());
    EXPECT_EQ(initMenu->WParam, reinterpret_cast<WPARAM>(menu));
    EXPECT_EQ(HiWord(initMenu->LParam), 0);
    EXPECT_FALSE(menu->actions().at(1)->isEnabled());
}

TEST(KrHook, ClosesReachTheHooksWithWhetherTheFormAgreed)
{
    auto form = std::make_unique<TRefusingForm>();
    TKrWindowHook hook;
    hook.SetWinControl(form.get());
    std::vector<LRESULT> answers;
    bool takeBefore = false;
    hook.BeforeMessage = [&](TKrWindowHook*, TMessage& msg, bool& handled) {
        if (msg.Msg == WM_CLOSE)
            handled = takeBefore;
    };
    hook.AfterMessage = [&](TKrWindowHook*, TMessage& msg, bool&) {
        if (msg.Msg == WM_CLOSE)
            answers.push_back(msg.Result);
    };
    form->show();
    // Taken before the form's turn, a close leaves the form open and never reaches it.
    takeBefore = true;
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(answers.empty());
    takeBefore = false;
    form->Refuse = true;
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    form->Refuse = false;
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(answers, (std::vector<LRESULT>{0, 1}));
}
