// TAuxiliaryEditor: the read-only second editor below the main one, which shows a copy of the page, and the state of the edit commands while it works.
#include "app/window/AuxiliaryEditor.h"

#include <QAction>
#include <QEvent>
#include <QPainter>
#include <QSplitter>
#include <qdrawutil.h>

#include "app/host/Commands.h"
#include "app/host/WindowHost.h"
#include "platform/GraphicsQt.h"
#include "platform/Win1252Qt.h"
#include "platform/core/Classes.h"

namespace {

constexpr int kCloseCaption = 6151;
constexpr int kOpenCaption = 6152;
constexpr int kCloseHint = 6153;
constexpr int kOpenHint = 4462;
constexpr int kEditorHint = 6154;
constexpr int kHelpContext = 45;
constexpr int kSplitterHeight = 8;
constexpr int kMinimumHeight = 30;
constexpr int kFirstWidth = 459;
constexpr int kFirstHeight = 84;

// The options the auxiliary editor leaves out: it neither wraps nor lets the caret past a line's
// end, and shows no line numbers or invisible characters.
constexpr TCodeMemoOption kLeftOut[] = {smoWordWrap, smoWrapOverride, smoCaretAfterEOL, smoLineNumbers,
                                        smoShowAllChars};

// Paints the splitter handle as a raised bevel in the face colour of buttons.
class TBevelledHandle : public QObject {
public:
    explicit TBevelledHandle(QWidget* handle) : QObject(handle) { handle->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        auto* handle = static_cast<QWidget*>(watched);
        QPainter painter(handle);
        const QBrush face(ToQColor(static_cast<TColor>(clBtnFace)));
        qDrawShadePanel(&painter, handle->rect(), handle->palette(), false, 1, &face);
        return true;
    }
};

} // namespace

TAuxiliaryEditor::TAuxiliaryEditor(TWindowHost& host, TAuxiliaryEditorLinks links)
    : FHost(host), FLinks(std::move(links))
{
}

TAuxiliaryEditor::~TAuxiliaryEditor()
{
    freeEditor();
}

void TAuxiliaryEditor::setUp(TCodeMemo& e)
{
    e.resize(kFirstWidth, kFirstHeight);
    e.setMinimumHeight(kMinimumHeight);
    e.setToolTip(LoadResQString(kEditorHint));
    e.setStatusTip(LoadResQString(kEditorHint));
    e.setProperty("HelpContext", kHelpContext);
    e.SetActiveParser(1);
    e.SetBorderStyle(bsNone);
    e.ClipCopyFormats = 1u << smTEXT;
    e.HideSelection = false;
    e.HyperCursor = crIBeam;
    // The look is written before the languages come in: until then it is the editor's own, and
    // written afterwards it would change the languages the main editor shares.
    e.SetGutterColor(clWhite);
    e.SetIndentStep(1);
    e.SetMargin(2);
    e.SetRightMargin(80);
    e.SetSelTextColor(clWhite);
    e.SetSelTextBack(clNavy);
    e.SetTabDefault(4);
    e.SetWrapAtColumn(0);
    TCodeMemoOptions options;
    for (int option = smoSyntaxHighlight; option <= smoShowAllChars; ++option)
        options.Include(static_cast<TCodeMemoOption>(option));
    for (TCodeMemoOption option : kLeftOut)
        options.Exclude(option);
    e.SetOptions(options);
    e.SetModified(false);
    e.SetParser1(FLinks.Parsers[0]);
    e.SetParser2(FLinks.Parsers[1]);
    e.SetParser3(FLinks.Parsers[2]);
    e.SetReadOnly(true);
    e.SetSaveFormat(sfTEXT);
    e.SetShowFocusLine(true);
    // Its Ctrl+K P prints on the page the main editor prints on.
    e.SetStartPageSetup(FHost.CodeMemo()->PageSetup());
    e.VisiblePropEdPages = (1u << ppOPTIONS) | (1u << ppHIGHLIGHTING) | (1u << ppAUTOCORRECT) | (1u << ppTEMPLATES);
    QWidget::setTabOrder(FHost.CodeMemo(), &e);
    e.fn_CharStartsWord = FLinks.WordTest;
    e.fn_CharIsInWord = FLinks.WordTest;
    e.OnEnter = FLinks.OnEnter;
    e.OnExit = FLinks.OnExit;
    e.OnHyperlinkClick = FLinks.OnHyperlinkClick;
    e.OnKeyDown = FLinks.OnKey;
    e.OnKeyUp = FLinks.OnKey;
}

void TAuxiliaryEditor::Open()
{
    if (IsOpen())
        return;
    QSplitter& place = *FLinks.Place;
    auto* editor = new TCodeMemo(&place);
    editor->setObjectName("CodeMemoAuxiliar");
    place.setHandleWidth(kSplitterHeight);
    place.addWidget(editor);
    FEditor = editor;
    QSplitterHandle* handle = place.handle(place.indexOf(editor));
    handle->setObjectName("spAuxiliar");
    handle->setCursor(CursorOf(crVSplit));
    new TBevelledHandle(handle);
    FSplitter = handle;
    setUp(*editor);

    // A copy: later changes of either editor never reach the other.
    const std::string text = FHost.CodeMemo()->StoredText();
    TCustomMemoryStream stream(text.data(), static_cast<int64_t>(text.size()));
    editor->LoadFromStream(stream);
    editor->SetModified(false);
    const int total = place.height() - kSplitterHeight;
    place.setSizes({std::max(kMinimumHeight, total - kFirstHeight), kFirstHeight});
    editor->show();

    FHost.Commands().Action("sbAuxiliar")->setStatusTip(LoadResQString(kCloseHint));
    FHost.Commands().Action("mAbrirEnAuxiliar")->setText(LoadResQString(kCloseCaption));
}

void TAuxiliaryEditor::Close()
{
    freeEditor();
    FHost.Commands().Action("sbAuxiliar")->setStatusTip(LoadResQString(kOpenHint));
    FHost.Commands().Action("mAbrirEnAuxiliar")->setText(LoadResQString(kOpenCaption));
}

void TAuxiliaryEditor::freeEditor()
{
    if (!FEditor)
        return;
    TCodeMemo* editor = FEditor.data();
    // Its focus leaves with it: nothing may call the window back from an editor half gone.
    editor->OnEnter = nullptr;
    editor->OnExit = nullptr;
    editor->OnChange = nullptr;
    editor->OnHyperlinkClick = nullptr;
    editor->OnKeyDown = nullptr;
    editor->OnKeyUp = nullptr;
    // The place frees the handle with the editor.
    delete editor;
}

void TAuxiliaryEditor::ApplyCommandState()
{
    TCommandTable& commands = FHost.Commands();
    // A read-only copy can be neither cut, pasted into nor undone; the Edit menu's delete would take
    // the main editor's selection.
    for (const char* name : {"sbCortar", "sbPegar", "sbDeshacer", "sbRehacer", "mDeshacer", "mRehacer", "mCortar",
                             "mPegar", "mBorrar"})
        commands.Action(name)->setEnabled(false);
    const bool selection = FEditor && FEditor->GetSelLength() > 0;
    for (const char* name : {"sbCopiar", "mCopiar"})
        commands.Action(name)->setEnabled(selection);
}
