// TAuxiliaryEditor: the read-only second editor below the main one, which shows a copy of the page, and the state of the edit commands while it works.
#pragma once

#include <QPointer>
#include <array>

#include "editor/CodeMemo.h"

class QSplitter;
class QSplitterHandle;
class TWindowHost;

// What the auxiliary editor takes from the window beyond its host.
struct TAuxiliaryEditorLinks {
    // The splitter that holds the main editor; the auxiliary editor goes below it.
    QSplitter* Place = nullptr;
    // The languages of slots 1 to 3; slot 1 is always the active one, whatever the page is.
    std::array<TCustomCodeMemoParser*, 3> Parsers{};
    // The window's word-character test.
    TCharTest WordTest;
    // The editor's events, answered by the window.
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    THyperEvent OnHyperlinkClick;
    TKeyEvent OnKey;
};

class TAuxiliaryEditor {
public:
    TAuxiliaryEditor(TWindowHost& host, TAuxiliaryEditorLinks links);
    // Frees an open editor without a word to the window, which is going.
    ~TAuxiliaryEditor();
    TAuxiliaryEditor(const TAuxiliaryEditor&) = delete;
    TAuxiliaryEditor& operator=(const TAuxiliaryEditor&) = delete;

    bool IsOpen() const { return !FEditor.isNull(); }
    // The editor and the splitter above it; nil while closed.
    TCodeMemo* Editor() const { return FEditor.data(); }
    QSplitterHandle* Splitter() const { return FSplitter.data(); }

    // Makes the splitter and the editor below the main editor, gives the editor a copy of the main
    // editor's whole text, and turns the command and the status button into closing it.
    void Open();
    // Frees the splitter and the editor; the command and the button open it again.
    void Close();
    // The edit commands while the auxiliary editor works: nothing can change its text, and copying
    // follows its selection.
    void ApplyCommandState();

private:
    void setUp(TCodeMemo& editor);
    void freeEditor();
    TWindowHost& FHost;
    TAuxiliaryEditorLinks FLinks;
    QPointer<TCodeMemo> FEditor;
    // The handle the place makes for the editor; it goes with the editor.
    QPointer<QSplitterHandle> FSplitter;
};
