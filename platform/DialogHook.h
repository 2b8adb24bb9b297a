// One modal dialog's test seam: while a hook is set, running the dialog hands it to the hook, which
// answers in the user's place, instead of running it modally.
#pragma once

#include <functional>
#include <type_traits>
#include <utility>

namespace DialogHook {
// Whether the dialog is shown around the hook's call, as it would be on the screen.
enum class TShow { No, Shown };
struct TNothing {
    template <class... A>
    void operator()(A&&...) const
    {
    }
};
} // namespace DialogHook

// `Dialog` has show() and hide(); `Answer` is what the hook answers for the user (void for nothing).
template <class Dialog, class Answer = void>
class TDialogHook {
public:
    using THook = std::function<Answer(Dialog&)>;

    // Sets the hook (an empty one takes it away) and returns the one it replaces.
    static THook Set(THook hook) { return std::exchange(slot(), std::move(hook)); }

    // Without a hook, `modal` runs the dialog and its result is returned. With one, the hook gets the
    // dialog (shown around the call when asked) and `then` sees the answer while the dialog is still
    // shown; the hook's answer is returned.
    template <class Modal, class Then = DialogHook::TNothing>
    static Answer Run(Dialog& dialog, DialogHook::TShow show, Modal&& modal, Then&& then = {})
    {
        const THook& hook = slot();
        if (!hook)
            return modal();
        if (show == DialogHook::TShow::Shown)
            dialog.show();
        if constexpr (std::is_void_v<Answer>) {
            hook(dialog);
            then();
            if (show == DialogHook::TShow::Shown)
                dialog.hide();
        } else {
            Answer answer = hook(dialog);
            then(answer);
            if (show == DialogHook::TShow::Shown)
                dialog.hide();
            return answer;
        }
    }

private:
    static THook& slot()
    {
        static THook hook;
        return hook;
    }
};
