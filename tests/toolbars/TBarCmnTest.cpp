// The toolbar hooks: registration counts, which hooks exist when, the events each code stands for, and the sort.
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "support/MouseEvents.h"
#include "toolbars/TBarCmn.h"

namespace {

struct THeard {
    THookCode Code;
    QWidget* Wnd;
    WPARAM WParam;
    LPARAM LParam;
};

std::vector<THeard>& buttonHeard()
{
    static std::vector<THeard> heard;
    return heard;
}

std::vector<THeard>& toolHeard()
{
    static std::vector<THeard> heard;
    return heard;
}

void buttonProc(THookCode code, QWidget* wnd, WPARAM w, LPARAM l) { buttonHeard().push_back({code, wnd, w, l}); }
void toolProc(THookCode code, QWidget* wnd, WPARAM w, LPARAM l) { toolHeard().push_back({code, wnd, w, l}); }

const THookCodes kButtonCodes{hcActivateApp, hcMouseMove};
const THookCodes kToolCodes{hcActivateApp, hcWindowPosChanged, hcPreDestroy};

bool noHooks()
{
    return !HookInstalled(hkCallWndProc) && !HookInstalled(hkCBT) && !HookInstalled(hkGetMessage);
}

// Leaves the service as each test found it: nothing registered, no hook.
struct HookTest : ::testing::Test {
    void SetUp() override
    {
        ASSERT_FALSE(HookListExists());
        ASSERT_TRUE(noHooks());
        buttonHeard().clear();
        toolHeard().clear();
    }
    void TearDown() override
    {
        while (HookProcRefCount(buttonProc) > 0)
            UninstallHookProc(buttonProc);
        while (HookProcRefCount(toolProc) > 0)
            UninstallHookProc(toolProc);
        EXPECT_FALSE(HookListExists());
        EXPECT_TRUE(noHooks());
    }
};

TEST_F(HookTest, RegistrationsCountAndHooksLiveWhileNeeded)
{
    // The same Proc twice needs two uninstalls before its hooks go.
    InstallHookProc(buttonProc, kButtonCodes, false);
    InstallHookProc(buttonProc, kButtonCodes, false);
    EXPECT_EQ(HookProcRefCount(buttonProc), 2);
    EXPECT_EQ(HookUseCount(hkGetMessage), 2);
    UninstallHookProc(buttonProc);
    EXPECT_TRUE(HookInstalled(hkGetMessage));
    EXPECT_TRUE(HookInstalled(hkCallWndProc));
    UninstallHookProc(buttonProc);
    EXPECT_TRUE(noHooks());
    EXPECT_FALSE(HookListExists());

    // Count-only registration installs nothing and its undoing lowers nothing.
    InstallHookProc(buttonProc, kButtonCodes, true);
    EXPECT_TRUE(noHooks());
    EXPECT_EQ(HookProcRefCount(buttonProc), 1);
    InstallHookProc(toolProc, kToolCodes, false);
    InstallHookProc(toolProc, {hcMouseMove}, false); // codes stay, but this registration raised get-message
    EXPECT_EQ(HookUseCount(hkGetMessage), 1);
    EXPECT_EQ(HookUseCount(hkCallWndProc), 1);
    UninstallHookProc(buttonProc); // count-only: hooks stay as they are
    EXPECT_EQ(HookUseCount(hkCallWndProc), 1);
    EXPECT_EQ(HookUseCount(hkGetMessage), 1);
    UninstallHookProc(toolProc); // undoes the mouse-move registration
    EXPECT_FALSE(HookInstalled(hkGetMessage));
    EXPECT_TRUE(HookInstalled(hkCBT));
    UninstallHookProc(toolProc);
    EXPECT_TRUE(noHooks());

    // A button and a tool window: the CBT hook exists only while the tool window does.
    const int generation = HookListGeneration();
    InstallHookProc(buttonProc, kButtonCodes, false);
    EXPECT_EQ(HookListGeneration(), generation + 1);
    EXPECT_TRUE(HookInstalled(hkGetMessage));
    EXPECT_FALSE(HookInstalled(hkCBT));
    InstallHookProc(toolProc, kToolCodes, false);
    EXPECT_TRUE(HookInstalled(hkCBT));
    EXPECT_EQ(HookUseCount(hkCallWndProc), 2);
    UninstallHookProc(toolProc);
    EXPECT_FALSE(HookInstalled(hkCBT));
    EXPECT_TRUE(HookInstalled(hkGetMessage));
    EXPECT_TRUE(HookInstalled(hkCallWndProc));
    UninstallHookProc(buttonProc);
    EXPECT_FALSE(HookListExists());
    InstallHookProc(toolProc, kToolCodes, false);
    EXPECT_EQ(HookListGeneration(), generation + 2);

    // An unregistered Proc changes nothing.
    UninstallHookProc(buttonProc);
    EXPECT_EQ(HookProcRefCount(toolProc), 1);
    EXPECT_TRUE(HookInstalled(hkCBT));
}

TEST_F(HookTest, EventsReachTheRecordsHoldingTheirCode)
{
    InstallHookProc(buttonProc, kButtonCodes, false);
    InstallHookProc(toolProc, kToolCodes, false);

    QWidget form;
    form.resize(100, 80);
    form.show();
    QApplication::setActiveWindow(&form);
    QApplication::processEvents();
    buttonHeard().clear();
    toolHeard().clear();

    QApplication::setActiveWindow(nullptr);
    QApplication::processEvents();
    ASSERT_FALSE(buttonHeard().empty());
    EXPECT_EQ(buttonHeard().front().Code, hcActivateApp);
    EXPECT_EQ(buttonHeard().front().WParam, 0);
    ASSERT_FALSE(toolHeard().empty());
    EXPECT_EQ(toolHeard().front().Code, hcActivateApp);
    EXPECT_FALSE(ApplicationIsActive());
    QApplication::setActiveWindow(&form);
    ASSERT_FALSE(buttonHeard().empty());
    EXPECT_EQ(buttonHeard().back().Code, hcActivateApp);
    EXPECT_EQ(buttonHeard().back().WParam, 1);
    EXPECT_TRUE(ApplicationIsActive());

    buttonHeard().clear();
    toolHeard().clear();
    form.hide();
    // Hiding the only window also ends the application's activation; the button hears only that.
    std::vector<THeard> positions;
    for (const THeard& heard : toolHeard())
        if (heard.Code == hcWindowPosChanged)
            positions.push_back(heard);
    ASSERT_EQ(positions.size(), 1u);
    EXPECT_EQ(positions[0].Wnd, &form);
    EXPECT_EQ(positions[0].LParam, QEvent::Hide);
    for (const THeard& heard : buttonHeard())
        EXPECT_EQ(heard.Code, hcActivateApp);
    buttonHeard().clear();

    // A synthetic move: only the button's Proc hears it, with the client position and the keys.
    toolHeard().clear();
    MoveMouse(form, QPoint(7, 9), Qt::LeftButton);
    ASSERT_EQ(buttonHeard().size(), 1u);
    EXPECT_EQ(buttonHeard()[0].Code, hcMouseMove);
    EXPECT_EQ(buttonHeard()[0].Wnd, &form);
    EXPECT_EQ(buttonHeard()[0].WParam, MK_LBUTTON);
    EXPECT_EQ(buttonHeard()[0].LParam, MakeLong(7, 9));
    EXPECT_TRUE(toolHeard().empty());
}

// Remembers whether the child was still there when its form announced its end.
QPointer<QLabel>& watchedChild()
{
    static QPointer<QLabel> child;
    return child;
}
std::vector<bool>& childAlive()
{
    static std::vector<bool> alive;
    return alive;
}
void destroyProc(THookCode code, QWidget* wnd, WPARAM, LPARAM)
{
    if (code == hcPreDestroy && watchedChild() && wnd == watchedChild()->parentWidget())
        childAlive().push_back(watchedChild() != nullptr);
}

TEST_F(HookTest, DestroyingAFormIsAnnouncedWhileItsChildrenExist)
{
    InstallHookProc(destroyProc, {hcPreDestroy}, false);
    for (bool later : {false, true}) {
        childAlive().clear();
        auto* form = new QWidget;
        watchedChild() = new QLabel("x", form);
        QPointer<QWidget> guard(form);
        if (later) {
            form->deleteLater();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        } else {
            DestroyWidget(form);
        }
        EXPECT_FALSE(guard);
        ASSERT_EQ(childAlive().size(), 1u) << later;
        EXPECT_TRUE(childAlive()[0]);
    }
    UninstallHookProc(destroyProc);
}

// A callback that unregisters another record while the records are walked.
void removerProc(THookCode, QWidget*, WPARAM, LPARAM) { UninstallHookProc(toolProc); }

TEST_F(HookTest, ACallbackThatUnregistersDoesNotDisturbTheWalk)
{
    InstallHookProc(removerProc, {hcMouseMove}, false);
    InstallHookProc(toolProc, {hcMouseMove}, false);
    InstallHookProc(buttonProc, {hcMouseMove}, false);
    QWidget widget;
    MoveMouse(widget, QPoint(1, 1));
    EXPECT_TRUE(toolHeard().empty()); // removed before its turn: passed over
    EXPECT_EQ(buttonHeard().size(), 1u);
    EXPECT_EQ(HookProcRefCount(toolProc), 0);
    UninstallHookProc(removerProc);
}

struct TPair {
    int Key;
    char Name;
};

int byKey(TPair* a, TPair* b, void* extra)
{
    ++*static_cast<int*>(extra);
    return a->Key - b->Key;
}

TEST(ListSortEx, SortsByTheCompareAsTheQuicksortDoes)
{
    TPair items[] = {{2, 'a'}, {1, 'b'}, {2, 'c'}, {1, 'd'}};
    std::vector<TPair*> list{&items[0], &items[1], &items[2], &items[3]};
    int calls = 0;
    ListSortEx(list, byKey, &calls);
    std::string order;
    for (TPair* p : list)
        order += std::to_string(p->Key) + p->Name;
    EXPECT_EQ(order, "1d1b2a2c");
    EXPECT_GT(calls, 0);

    // Fewer than two items: left alone, Compare never called.
    calls = 0;
    std::vector<TPair*> one{&items[0]}, none;
    ListSortEx(one, byKey, &calls);
    ListSortEx(none, byKey, &calls);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(one[0], &items[0]);

    // Many random lists come out ordered and hold the same items.
    std::mt19937 random(68);
    for (int round = 0; round < 300; ++round) {
        std::vector<TPair> values(random() % 40);
        for (TPair& v : values)
            v = {static_cast<int>(random() % 10), 'x'};
        std::vector<TPair*> pointers;
        for (TPair& v : values)
            pointers.push_back(&v);
        ListSortEx(pointers, byKey, &calls);
        ASSERT_TRUE(std::is_sorted(pointers.begin(), pointers.end(), [](TPair* a, TPair* b) { return a->Key < b->Key; }));
        std::vector<TPair*> sortedAddresses = pointers;
        std::sort(sortedAddresses.begin(), sortedAddresses.end());
        for (size_t i = 0; i < values.size(); ++i)
            ASSERT_EQ(sortedAddresses[i], &values[i]);
    }
}

} // namespace
