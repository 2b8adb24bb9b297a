// The editor control's search state: its find and replace dialogs, its search cursor and where the last match lies.
#pragma once

#include <memory>

#include "editor/SearchWatch.h"
#include "editor/model/LineStore.h"
#include "platform/FindDialog.h"

// Search flags: the wParam of SMM_FIND and the flags of FindText.
enum : int {
    smsDirect = 8,      // search at once; without it the find dialog is shown
    smsMatchCase = 16,  // match case; also preset in a dialog when it is made
    smsRegExpr = 32,    // the text is a regular expression
    smsWholeWord = 64,  // whole words only (plain search)
    smsBackward = 128,  // search towards the start
};

// A find dialog's options as search flags, so that a repeat searches as the dialog did: letter case,
// whole words and the direction; a regular expression by `regExpr`.
int SearchFlagsOf(TFindOptions options, bool regExpr);

// Held by the control; FindReplace.cpp keeps it. The dialogs are made on first use; showing one
// closes and frees the other.
struct TSearchState {
    struct TDialogDeleter {
        void operator()(QDialog* dialog) const;
    };
    std::unique_ptr<TFindDialog, TDialogDeleter> FindDialog;
    std::unique_ptr<TReplaceDialog, TDialogDeleter> ReplaceDialog;
    // The cursor every search reads through.
    std::unique_ptr<TEdStream> Stream;
    // Start of the last match found through a dialog; -1 after a dialog opens. Only while the
    // selection still starts there does the next dialog search step past it.
    int LastFoundPos = -1;
    bool IsRegExpr = false;
    // Regular-expression errors shown so far: a search that showed one reports no failure besides.
    int ErrorsShown = 0;
    // Set by FindNext for the direct search it runs: a backward expression search starts one
    // character before the selection, past the match it goes on from.
    bool RepeatBefore = false;
    // The last match of a direct search and the selection that search left behind (a plain search
    // leaves it where it was): FindNext steps past the match while the selection is either.
    TTextRange LastMatch{-1, -1};
    TTextRange SelectionAfterMatch{-1, -1};
    // Busy cursor and Escape for a search that runs long.
    TSearchWatch Watch;
};
