// Test helpers of the main window's documents: answered message boxes and file dialogs, tab captions and switching, a window without documents, code libraries opened on the side panel.
#pragma once

#include <QApplication>
#include <deque>
#include <string>
#include <vector>

#include "app/model/KestrimaConfig.h"
#include "app/panels/SidePanel.h"
#include "app/window/uFormPrincipal.h"
#include "editor/CodeMemo.h"
#include "platform/FileDialogs.h"
#include "platform/core/Messages.h"
#include "platform/core/Registry.h"
#include "support/BoxAnswers.h"
#include "support/TempDir.h"
#include "support/TempRegistry.h"
#include "toolbars/TabCtrls.h"

// Answers the file dialogs with names from a list (cancelled when it runs out) and keeps the requests.
struct TDialogAnswers {
    std::deque<std::vector<std::string>> answers;
    std::vector<TFileDialogRequest> requests;
    TDialogAnswers()
    {
        SetFileDialogHook([this](TFileDialogRequest& request) {
            requests.push_back(request);
            if (answers.empty())
                return false;
            request.Files = answers.front();
            answers.pop_front();
            request.FileName = request.Files.empty() ? "" : request.Files.front();
            return !request.Files.empty();
        });
    }
    ~TDialogAnswers() { SetFileDialogHook({}); }
};

// Opens the code libraries `files`, one after the other, with the side panel's open button.
inline void openCodeLibraries(TformPrincipal& form, const std::vector<std::string>& files)
{
    TDialogAnswers dialogs;
    for (const std::string& file : files)
        dialogs.answers.push_back({file});
    for (size_t i = 0; i < files.size(); ++i)
        form.SidePanel().sbAbreLibreriaClick();
}

// The documents' tab captions as the strip holds them: a caption's "&&" draws one "&".
inline std::vector<std::string> captions(TformPrincipal& form)
{
    std::vector<std::string> result;
    for (int i = 0; i < form.DocumentCount(); ++i)
        result.push_back(form.FileTabs()->Tabs()[i]);
    return result;
}

// Selects tab `index` as a click on it does.
inline void switchTo(TformPrincipal& form, int index)
{
    bool allow = true;
    form.FileTabsChanging(allow);
    form.FileTabs()->SetTabIndex(index);
    form.FileTabsChange();
}

inline void type(TCodeMemo& memo, const std::string& text)
{
    memo.PerformText(EM_REPLACESEL, 1, text.c_str());
}

// Settings that start the window without documents.
inline bool startWithoutDocuments()
{
    TRegIniFile(TKestrimaConfig::kRegistryKey).WriteInteger("Settings", "InitialFile", 0);
    return true;
}

// A window with its own settings, shown, with no document open.
struct TWindow {
    TempRegistry registry{"app"};
    bool startsEmpty = startWithoutDocuments();
    TempDir folder{"files"};
    TformPrincipal form;
    TCodeMemo& memo = *form.CodeMemo();
    TWindow()
    {
        form.show();
        QApplication::processEvents();
    }
};
