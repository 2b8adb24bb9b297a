// Tests of the dialogs' test seam: without a hook the dialog runs modally; with one the hook answers,
// the dialog shown around it when asked, and setting a hook hands back the one it replaces.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DialogHook.h"

namespace {

// A dialog that writes down what is done to it.
struct TFakeDialog {
    std::vector<std::string> log;
    bool shown = false;
    void show()
    {
        shown = true;
        log.push_back("show");
    }
    void hide()
    {
        shown = false;
        log.push_back("hide");
    }
};

// A second kind, so that its hook is a slot of its own.
struct TOtherDialog : TFakeDialog {};

using TIntHook = TDialogHook<TFakeDialog, int>;

} // namespace

TEST(DialogHook, WithoutAHookTheDialogRunsModallyAndAHookAnswersInItsPlace)
{
    TFakeDialog dialog;
    // No hook: the modal run's result comes back and nothing else touches the dialog.
    EXPECT_EQ(TIntHook::Run(dialog, DialogHook::TShow::Shown, [&] {
                  dialog.log.push_back("exec");
                  return 7;
              }),
              7);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"exec"}));

    // A hook answers while the dialog is shown; `then` sees the answer before it hides.
    EXPECT_FALSE(TIntHook::Set([](TFakeDialog& d) {
        d.log.push_back(d.shown ? "hook shown" : "hook hidden");
        return 2;
    }));
    dialog.log.clear();
    int seen = -1;
    EXPECT_EQ(TIntHook::Run(
                  dialog, DialogHook::TShow::Shown, [] { return 7; },
                  [&](int answer) {
                      seen = answer;
                      dialog.log.push_back("then");
                  }),
              2);
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"show", "hook shown", "then", "hide"}));
    // Not shown: the hook gets the dialog as it is.
    dialog.log.clear();
    EXPECT_EQ(TIntHook::Run(dialog, DialogHook::TShow::No, [] { return 7; }), 2);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"hook hidden"}));

    // Another kind of dialog has its own slot: no hook there.
    TOtherDialog other;
    int runs = 0;
    TDialogHook<TOtherDialog>::Run(other, DialogHook::TShow::Shown, [&] { ++runs; });
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(other.log.empty());

    // A void hook; setting a hook returns the one it replaces, and an empty one takes it away.
    TDialogHook<TOtherDialog>::Set([](TOtherDialog& d) { d.log.push_back("void hook"); });
    TDialogHook<TOtherDialog>::Run(other, DialogHook::TShow::Shown, [&] { ++runs; }, [&] { other.log.push_back("then"); });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(other.log, (std::vector<std::string>{"show", "void hook", "then", "hide"}));
    const auto previous = TIntHook::Set(nullptr);
    ASSERT_TRUE(previous);
    TFakeDialog probe;
    EXPECT_EQ(previous(probe), 2);
    EXPECT_FALSE(TIntHook::Set(nullptr));
    EXPECT_TRUE(TDialogHook<TOtherDialog>::Set(nullptr));
    dialog.log.clear();
    EXPECT_EQ(TIntHook::Run(dialog, DialogHook::TShow::Shown, [] { return 9; }), 9);
    EXPECT_TRUE(dialog.log.empty());
}
