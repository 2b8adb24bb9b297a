// The editor control's message interface: the private messages, the edit-control and window messages.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <algorithm>
#include <cstring>
#include <optional>

#include "editor/CodeMemo.h"
#include "editor/CodeMemoStrings.h"
#include "editor/CodeMemoUndo.h"
#include "platform/ClipboardFormats.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"

namespace {

const char kVersionText[] = "<TCodeMemo>:2.01.31";

constexpr uint32_t kWordWrapBit = 0x400;

// Sets a flag for the life of a scope and puts the old value back.
class Guard {
public:
    explicit Guard(bool& flag) : FFlag(flag), FOld(flag) { FFlag = true; }
    ~Guard() { FFlag = FOld; }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    bool& FFlag;
    bool FOld;
};

} // namespace

TScopeGuard TCustomCodeMemo::editFailureScope()
{
    // Dismissed when the edit succeeds; otherwise the undo log is brought back in line with the text.
    return TScopeGuard([this, editing = FUndo->Mark()] { FUndo->EditFailed(editing); });
}

void TCustomCodeMemo::Clear()
{
    TScopeGuard failed = editFailureScope();
    TCodeMemoCore::Clear();
    failed.Dismiss();
}

LRESULT TCustomCodeMemo::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage message;
    message.Msg = msg;
    message.WParam = wParam;
    message.LParam = lParam;
    TScopeGuard failed = editFailureScope();
    WndProc(message);
    failed.Dismiss();
    return message.Result;
}

LRESULT TCustomCodeMemo::PerformSelection(WPARAM flags, TSelectionRange& range)
{
    return Perform(SMM_SELECTION, flags, PointerParam(&range));
}

LRESULT TCustomCodeMemo::PerformText(UINT msg, WPARAM wParam, const char* text)
{
    return Perform(msg, wParam, PointerParam(text));
}

LRESULT TCustomCodeMemo::PerformBuffer(UINT msg, WPARAM wParam, char* buffer)
{
    return Perform(msg, wParam, PointerParam(buffer));
}

LRESULT TCustomCodeMemo::PerformStream(UINT msg, WPARAM wParam, TStream& stream)
{
    return Perform(msg, wParam, PointerParam(&stream));
}

LRESULT TCustomCodeMemo::PerformDroppedFiles(TDroppedFiles& files)
{
    return Perform(WM_DROPFILES, 0, PointerParam(&files));
}

void TCustomCodeMemo::DefaultHandler(TMessage& message)
{
    message.Result = 0;
}

void TCustomCodeMemo::WndProc(TMessage& m)
{
    m.Result = 0;
    switch (m.Msg) {
    // ---- the private block
    case SMM_SELECTION: smmSelection(m); break;
    case SMM_OPTIONS: smmOptions(m); break;
    case SMM_INSERTTEXT: smmInsertText(m); break;
    case SMM_SUSPENDPAINT: smmSuspendPaint(m); break;
    case SMM_LOADSTREAM: smmLoadStream(m); break;
    case SMM_SAVESTREAM:
        if (TStream* stream = ParamPointer<TStream>(m.LParam))
            SaveSelection(*stream, static_cast<int>(m.WParam));
        break;
    case SMM_MODIFIED:
        if (m.WParam & SMM_SET)
            SetModified(m.LParam != 0);
        else
            m.Result = GetModified() ? 1 : 0;
        break;
    case SMM_TOPLINE: smmTopLine(m); break;
    case SMM_LEFTCOLUMN: smmLeftColumn(m); break;
    case SMM_FIND: m.Result = DoFind(static_cast<int>(m.WParam), ParamPointer<const char>(m.LParam)); break;
    case SMM_REPLACE: m.Result = DoReplace(static_cast<int>(m.WParam)); break;
    case SMM_GETSELTEXT: smmGetSelText(m); break;
    case SMM_CANREDO: m.Result = CanRedo() ? 1 : 0; break;
    case SMM_REDO: Redo(); break;
    case SMM_INDENT: IndentBlock(static_cast<int>(m.WParam), static_cast<int>(m.LParam)); break;
    case SMM_UNINDENT: UnindentBlock(static_cast<int>(m.WParam)); break;
    case SMM_SETTINGSCHANGED: smmSettingsChanged(m); break;
    case SMM_SETSTYLES: smmSetStyles(m); break;
    case SMM_GETSTYLES: smmGetStyles(m); break;
    case SMM_UNDOSTACK:
        if (m.WParam & SMM_SET)
            SetUndoStack(ParamPointer<TUndoStack>(m.LParam));
        else
            m.Result = PointerParam(FUndoStack);
        break;
    case SMM_HIGHLIGHTSTART:
        if (m.WParam & SMM_SET)
            FHighlightStart = ParamPointer<TLineRecord>(m.LParam);
        else
            m.Result = PointerParam(FHighlightStart);
        break;
    case SMM_GETVERSION: m.Result = PointerParam(kVersionText); break;
    case SMM_CANPASTE: {
        const QMimeData* data = m.WParam == 0 || m.WParam == 1 ? QApplication::clipboard()->mimeData() : nullptr;
        m.Result = IsFormatAvailable(data, CF_TEXT) || IsFormatAvailable(data, HtmlClipboardFormat()) ? 1 : 0;
        break;
    }

    // ---- window messages
    case WM_SIZE: wmSize(m); break;
    case WM_SETFOCUS:
        ClaimSettingsObjects();
        FFullRepaint = true;
        Paint();
        break;
    case WM_KILLFOCUS:
        destroyCaret();
        FFullRepaint = true;
        Paint();
        break;
    case WM_SETREDRAW: wmSetRedraw(m); break;
    case WM_SETTEXT: wmSetText(m); break;
    case WM_GETTEXT: wmGetText(m); break;
    case WM_GETTEXTLENGTH: m.Result = static_cast<LRESULT>(plainTextSize(0, FTextLength, SMM_FORMAT_TEXT)); break;
    case WM_PAINT:
        FFullRepaint = true;
        FChangeBits |= CHANGE_VIEW;
        Paint();
        break;
    case WM_ERASEBKGND:
        if (isVisible())
            MarkDirtyFrom(FirstRecord());
        m.Result = 1;
        break;
    case WM_GETDLGCODE: wmGetDlgCode(m); break;
    case WM_HSCROLL: wmScroll(m, false); break;
    case WM_VSCROLL: wmScroll(m, true); break;
    case WM_LBUTTONDBLCLK: wmLButtonDblClk(m); break;
    case WM_DROPFILES: wmDropFiles(m); break;
    case WM_CUT:
        CutToClipboard();
        MakeOffsetVisible(FCaret);
        FChangeBits |= CHANGE_TEXT | CHANGE_CLIPBOARD;
        Change();
        UpdateScrollBars();
        Paint();
        break;
    case WM_COPY:
        CopyToClipboard();
        Change();
        break;
    case WM_PASTE:
        PasteFromClipboard();
        MakeOffsetVisible(FCaret);
        FChangeBits |= CHANGE_TEXT | CHANGE_CLIPBOARD;
        Change();
        Paint();
        break;
    case WM_UNDO:
    case EM_UNDO: Undo(); break;

    // ---- edit-control messages
    case EM_GETSEL:
        if (int32_t* anchor = ParamPointer<int32_t>(m.WParam))
            *anchor = FAnchor;
        if (int32_t* caret = ParamPointer<int32_t>(m.LParam))
            *caret = FCaret;
        break;
    case EM_SETSEL: {
        TSelectionRange range{static_cast<int32_t>(m.WParam), static_cast<int32_t>(m.LParam)};
        if (m.WParam == 0 && m.LParam == -1)
            range = {-1, 0};
        PerformSelection(SMM_SET, range);
        break;
    }
    case EM_SCROLLCARET: {
        TSelectionRange range{FAnchor, FCaret};
        PerformSelection(SMM_SET, range);
        break;
    }
    case EM_GETMODIFY: m.Result = GetModified() ? 1 : 0; break;
    case EM_GETLINECOUNT: m.Result = std::max(1, FRecordCount); break;
    case EM_LINEINDEX: emLineIndex(m); break;
    case EM_LINELENGTH: emLineLength(m); break;
    case EM_GETLINE: emGetLine(m); break;
    case EM_REPLACESEL: emReplaceSel(m); break;
    case EM_CANUNDO: m.Result = CanUndo() ? 1 : 0; break;
    case EM_LINEFROMCHAR: m.Result = LineOfOffset(m.WParam == -1 ? FCaret : static_cast<int>(m.WParam)); break;
    case EM_EMPTYUNDOBUFFER: clearUndoLog(); break;
    case EM_GETFIRSTVISIBLELINE: m.Result = FView.TopLine; break;
    case EM_LINESCROLL:
        ScrollTo(FView.LeftColumn + static_cast<int>(m.WParam), FView.TopLine + static_cast<int>(m.LParam), false, true);
        break;
    case EM_POSFROMCHAR:
        if (TPoint* point = ParamPointer<TPoint>(m.WParam))
            *point = PointFromOffset(static_cast<int>(m.LParam));
        break;
    case EM_CHARFROMPOS: emCharFromPos(m); break;

    // ---- notifications the control sends itself
    case CM_ENABLEDCHANGED:
        FFullRepaint = true;
        FChangeBits |= CHANGE_VIEW;
        Paint();
        break;
    case CM_FONTCHANGED: cmFontChanged(m); break;
    default: DefaultHandler(m); break;
    }
}

// ---------------------------------------------------------------- private messages

void TCustomCodeMemo::flagRange(int start, int end)
{
    int recordStart = 0;
    TLineRecord* record = recordHolding(start, recordStart);
    for (; record; recordStart += record->Len, record = record->Next) {
        record->Flags |= lfStylesChanged;
        if (recordStart + record->Len >= end)
            break;
    }
}

void TCustomCodeMemo::smmSelection(TMessage& m)
{
    TSelectionRange* range = ParamPointer<TSelectionRange>(m.LParam);
    if (!range)
        return;
    if (!(m.WParam & SMM_SET)) {
        range->Start = FAnchor;
        range->End = FCaret;
        return;
    }
    TTextRange old = OrderedSelection();
    int anchor = range->Start;
    int caret = range->End;
    if (anchor == -1) {
        anchor = 0;
        caret = FTextLength;
    }
    SyncTopRecord();
    SetSelection(anchor, caret);
    // The old selection is flagged while the last place looked up may still be near it: after a
    // load that is the text's end, and finding the caret's column below moves it to the new place,
    // from where the old one would be found again by walking every record between.
    flagRange(old.Start, old.End);

    // Vertical caret moves keep to the column where they began.
    if (!(FSettings->Options & OptionBit(smoCaretAfterEOL))) {
        if (FVerticalMoveRequest && (FSettings->Options & OptionBit(smoColumnTrack))) {
            int line = 0, start = 0;
            TLineRecord* record = LocateOffset(FCaret, line, start);
            // After a final line break the caret stands on an empty line with nowhere to go.
            if (record && FCaret - start < record->Len)
                FCaret = std::min(start + ColumnToIndex(FRememberedColumn, record), FTextLength);
            FAnchor = FCaret;
        } else {
            FRememberedColumn = displayColumnOf(FCaret);
        }
    }
    FVerticalMoveRequest = false;

    // The new selection is redrawn too.
    TTextRange now = OrderedSelection();
    flagRange(now.Start, now.End);
    if ((m.WParam & SMM_NOREDRAW) || !FRedraw)
        return;
    if (!(now == old))
        FChangeBits |= CHANGE_SELECTION;
    else
        RehighlightFrom(FHighlightStart);
    if (!(CaretAfterEOLActive() && FCaretBeyondEOL))
        MakeOffsetVisible(FCaret);
    Change();
    Paint();
}

void TCustomCodeMemo::smmOptions(TMessage& m)
{
    if (!(m.WParam & SMM_SET)) {
        m.Result = static_cast<LRESULT>(FSettings->Options);
        return;
    }
    uint32_t old = FSettings->Options;
    FSettings->Options = static_cast<uint32_t>(m.LParam);
    if ((old ^ FSettings->Options) & kWordWrapBit) {
        FView.LeftColumn = 0;
        Rewrap(nullptr, nullptr);
    } else if (WordWrap() && ((old ^ FSettings->Options) & OptionBit(smoWrapOverride))) {
        // The lines the override set keeps whole change with it.
        Rewrap(nullptr, nullptr);
    }
    takeSwitchCopies();
    if (m.WParam & SMM_NOREDRAW)
        return;
    MakeOffsetVisible(FCaret);
    FChangeBits |= CHANGE_OPTIONS;
    FFullRepaint = true;
    ApplySettings(false, false);
    Change();
}

void TCustomCodeMemo::smmInsertText(TMessage& m)
{
    InsertText(ParamPointer<const char>(m.LParam));
    if ((m.WParam & SMM_NOREDRAW) || !FRedraw)
        return;
    FChangeBits |= CHANGE_SELECTION | CHANGE_TEXT;
    Change();
    MakeOffsetVisible(FCaret);
    Paint();
    UpdateScrollBars();
}

void TCustomCodeMemo::smmSuspendPaint(TMessage& m)
{
    if (!(m.WParam & SMM_SET)) {
        m.Result = FPaintSuspended ? 1 : 0;
        return;
    }
    bool wasSuspended = FPaintSuspended;
    FPaintSuspended = m.LParam != 0;
    if (!wasSuspended || FPaintSuspended || (m.WParam & SMM_NOREDRAW))
        return;
    MarkDirtyFrom(FirstRecord());
    MakeOffsetVisible(FCaret);
    FChangeBits |= CHANGE_VIEW;
    Change();
    Paint();
}

void TCustomCodeMemo::smmLoadStream(TMessage& m)
{
    TStream* stream = ParamPointer<TStream>(m.LParam);
    if (!stream)
        return;
    FUndo->InsertStream(*stream);
    if (m.WParam & SMM_NOREDRAW)
        return;
    FChangeBits |= CHANGE_SELECTION | CHANGE_TEXT;
    Change();
    TSelectionRange range{FAnchor, FCaret};
    PerformSelection(SMM_SET, range);
    MakeOffsetVisible(FCaret);
    Paint();
}

void TCustomCodeMemo::smmGetSelText(TMessage& m)
{
    int format = static_cast<int>(m.WParam);
    char* buffer = ParamPointer<char>(m.LParam);
    if (!buffer) {
        m.Result = static_cast<LRESULT>(selectionOutputSize(format));
        return;
    }
    // The caller sized the buffer with a nil call first; GetSelTextBuf is the bounded form.
    std::string text = SelectionText(format);
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    m.Result = static_cast<LRESULT>(text.size());
}

void TCustomCodeMemo::smmTopLine(TMessage& m)
{
    if (!(m.WParam & SMM_SET)) {
        m.Result = FView.TopLine;
        return;
    }
    ScrollTo(FView.LeftColumn, static_cast<int>(m.LParam), false, !(m.WParam & SMM_NOREDRAW));
}

void TCustomCodeMemo::smmLeftColumn(TMessage& m)
{
    if (!(m.WParam & SMM_SET)) {
        m.Result = FView.LeftColumn;
        return;
    }
    ScrollTo(static_cast<int>(m.LParam), FView.TopLine, false, !(m.WParam & SMM_NOREDRAW));
}

void TCustomCodeMemo::smmSettingsChanged(TMessage&)
{
    BuildCommandKeySet();
    if (!FInFontChanged && (FFontName != FSettings->FontName || FFontSize != FSettings->FontSize ||
                            FFontCharset != FSettings->Charset)) {
        Guard fromSettings(FFontFromSettings);
        SetControlFont(FSettings->FontName, FSettings->FontSize, FSettings->Charset);
    }
    UpdateMetrics();
    FFullRepaint = true;
    FSettings->RebuildFontCache();
    if (FRehighlightFlag) {
        ResetHighlighting();
        RehighlightFrom(FHighlightStart);
    }
    if (FWrapPending) {
        FWrapPending = false;
        Rewrap(nullptr, nullptr);
    }
    FChangeBits |= CHANGE_SETTINGS;
    Change();
    UpdateScrollBars();
    Paint();
}

std::vector<TLineRecord*> TCustomCodeMemo::recordsOfLines(const TSelectionRange* lines)
{
    std::vector<TLineRecord*> records;
    int first = lines ? std::max(0, lines->Start) : 0;
    int last = lines ? lines->End : FRecordCount - 1;
    int start = 0, index = 0;
    TLineRecord* record = first < FRecordCount ? RecordAtLine(first, start, index) : nullptr;
    for (int line = first; record && line <= last; ++line, record = record->Next)
        records.push_back(record);
    return records;
}

void TCustomCodeMemo::SetStyleBytes(const TSelectionRange* lines, std::string_view bytes)
{
    // Bytes set from outside stay: no slice may colour over them later.
    FinishColouring();
    size_t used = 0;
    for (TLineRecord* record : recordsOfLines(lines)) {
        // A record the bytes do not cover whole is left as it was.
        if (bytes.size() - used < record->Len)
            break;
        if (!record->Styles)
            record->Styles.reset(new uint8_t[record->Len]);
        std::memcpy(record->Styles.get(), bytes.data() + used, record->Len);
        used += record->Len;
        record->Flags |= lfChanged;
    }
    FHighlightStart = nullptr;
    FFullRepaint = true;
    Invalidate();
}

std::string TCustomCodeMemo::GetStyleBytes(const TSelectionRange* lines)
{
    FinishColouring();
    std::string bytes;
    for (const TLineRecord* record : recordsOfLines(lines)) {
        if (record->Styles)
            bytes.append(reinterpret_cast<const char*>(record->Styles.get()), record->Len);
        else
            bytes.append(record->Len, '\0');
    }
    return bytes;
}

void TCustomCodeMemo::smmSetStyles(TMessage& m)
{
    const char* bytes = ParamPointer<const char>(m.LParam);
    if (!bytes)
        return;
    const TSelectionRange* lines = ParamPointer<const TSelectionRange>(m.WParam);
    // The caller's buffer holds a byte for every character of the lines: that is the message's contract.
    size_t size = 0;
    for (const TLineRecord* record : recordsOfLines(lines))
        size += record->Len;
    SetStyleBytes(lines, std::string_view(bytes, size));
}

void TCustomCodeMemo::smmGetStyles(TMessage& m)
{
    char* bytes = ParamPointer<char>(m.LParam);
    if (!bytes)
        return;
    std::string styles = GetStyleBytes(ParamPointer<const TSelectionRange>(m.WParam));
    std::memcpy(bytes, styles.data(), styles.size());
}

// ---------------------------------------------------------------- window messages

void TCustomCodeMemo::wmSize(TMessage& m)
{
    int width = LoWord(m.LParam);
    int height = HiWord(m.LParam);
    bool widthChanged = width != FView.ClientWidth;
    FView.ClientWidth = width;
    FView.ClientHeight = height;
    if (FLoading || !FWindowCreated)
        return;
    if (FMetricsMeasured) {
        FView.CountWindow(width - TextLeft(), height);
    } else {
        FView.ColumnsPerWindow = 80;
        FView.LinesPerWindow = 40;
    }
    if (WordWrap() && FSettings->WrapAtColumn == 0 && widthChanged)
        Rewrap(nullptr, nullptr);
    MarkDirtyFrom(FirstRecord());
    FChangeBits |= CHANGE_VIEW;
    FFullRepaint = true;
}

void TCustomCodeMemo::wmSetRedraw(TMessage& m)
{
    FRedraw = m.WParam != 0;
    if (!FRedraw)
        return;
    FFullRepaint = true;
    FChangeBits |= CHANGE_VIEW;
    Change();
    Paint();
    UpdateScrollBars();
}

namespace {

// A text handed to an edit-control message comes from elsewhere: there a 0x1F that begins no held
// character is a control character, which the editor takes as "." like the others, never as the
// mark. Empty when the text holds none, so that the usual text goes in without a copy.
std::optional<std::string> withoutStrayMarks(const char* text)
{
    if (!text || !std::strchr(text, kHeldCharacterMark))
        return std::nullopt;
    std::string checked(text);
    ReplaceStrayMarks(checked, '.');
    return checked;
}

} // namespace

void TCustomCodeMemo::emReplaceSel(TMessage& m)
{
    const char* text = ParamPointer<const char>(m.LParam);
    const std::optional<std::string> checked = withoutStrayMarks(text);
    PerformText(SMM_INSERTTEXT, 0, checked ? checked->c_str() : text);
}

void TCustomCodeMemo::wmSetText(TMessage& m)
{
    const std::optional<std::string> checked = withoutStrayMarks(ParamPointer<const char>(m.LParam));
    const char* text = checked ? checked->c_str() : ParamPointer<const char>(m.LParam);
    TFastMemoryStream stream(text ? text : "");
    LoadFromStream(stream);
    // The load sets its change bits but cannot report them while loading; like every message that
    // changes the text, this one reports them, so that a handler following the text sees the new one.
    Change();
    m.Result = 1;
}

void TCustomCodeMemo::wmGetText(TMessage& m)
{
    char* buffer = ParamPointer<char>(m.LParam);
    int size = static_cast<int>(std::clamp<WPARAM>(m.WParam, 0, 0x7FFFFFFF));
    if (!buffer || size <= 0)
        return;
    TMemoryStream stream;
    writePlainText(stream, 0, std::min(size, FTextLength), SMM_FORMAT_TEXT);
    int n = static_cast<int>(std::min<int64_t>(stream.GetSize(), size - 1));
    if (n > 0)
        std::memcpy(buffer, stream.Memory(), static_cast<size_t>(n));
    buffer[n] = '\0';
    m.Result = n;
}

void TCustomCodeMemo::wmGetDlgCode(TMessage& m)
{
    DefaultHandler(m);
    m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (WantTab)
        m.Result |= DLGC_WANTTAB;
    if (!WantReturns)
        m.Result &= ~DLGC_WANTALLKEYS;
}

void TCustomCodeMemo::wmScroll(TMessage& m, bool vertical)
{
    int column = 0, line = 0;
    if (!FView.ScrollBarTarget(vertical, LoWord(m.WParam), HiWord(m.WParam), column, line)) {
        DefaultHandler(m);
        return;
    }
    ScrollTo(column, line, false, true);
}

void TCustomCodeMemo::wmLButtonDblClk(TMessage& m)
{
    TPoint point{SignedLoWord(m.LParam), SignedHiWord(m.LParam)};
    if (point.X < TextLeft())
        return;
    // A double click that comes as the third or fourth click of a run leaves the line selected.
    if ((FSettings->Options & OptionBit(smoWordSelect)) && FMouse.ClickState != 3 && FMouse.ClickState != 4) {
        FLastDoubleClick = TMouseState::Now();
        SelectWordAtCaret(point);
        // Dragging on from here extends the word by characters.
        FMouse.DragPending = false;
        FMouse.DragMoving = false;
        FMouse.Selecting = true;
    }
}

void TCustomCodeMemo::wmDropFiles(TMessage& m)
{
    TDroppedFiles* dropped = ParamPointer<TDroppedFiles>(m.LParam);
    if (dropped && (FSettings->Options & OptionBit(smoProcessDroppedFiles)) && OnFilesDropped)
        OnFilesDropped(this, dropped->Files, dropped->Point);
    DefaultHandler(m);
}

// ---------------------------------------------------------------- edit-control messages

void TCustomCodeMemo::emLineIndex(TMessage& m)
{
    if (m.WParam == -1) {
        int line = 0, start = 0;
        TLineRecord* record = LocateOffset(FCaret, line, start);
        // On the empty line after a final line break the line starts at the end of the text.
        m.Result = record && FCaret - start >= record->Len ? FTextLength : start;
        return;
    }
    if (m.WParam < -1) {
        m.Result = -1;
        return;
    }
    if (m.WParam >= FRecordCount) {
        m.Result = FTextLength;
        return;
    }
    int start = 0, index = 0;
    RecordAtLine(static_cast<int>(m.WParam), start, index);
    m.Result = start;
}

void TCustomCodeMemo::emLineLength(TMessage& m)
{
    int offset = static_cast<int>(std::clamp<WPARAM>(m.WParam, -1, 0x7FFFFFFF));
    if (offset < 0 || offset > FTextLength)
        return;
    int line = 0, start = 0;
    TLineRecord* record = LocateOffset(offset, line, start);
    if (!record || offset - start >= record->Len)
        return;
    m.Result = record->Len - (record->EndsWithCR() ? 1 : 0);
}

void TCustomCodeMemo::emGetLine(TMessage& m)
{
    char* buffer = ParamPointer<char>(m.LParam);
    if (!buffer || m.WParam < 0 || m.WParam >= FRecordCount)
        return;
    uint16_t size = 0;
    std::memcpy(&size, buffer, sizeof size);
    int start = 0, index = 0;
    TLineRecord* record = RecordAtLine(static_cast<int>(m.WParam), start, index);
    int n = std::min<int>(size, record->Len - (record->EndsWithCR() ? 1 : 0));
    if (n > 0) {
        // A held character that the buffer or the record's end cuts shows as the "&" of its mark.
        std::string line(record->Text.get(), static_cast<size_t>(n));
        ReplaceStrayMarks(line, '&');
        std::memcpy(buffer, line.data(), static_cast<size_t>(n));
    } else
        buffer[0] = '\0';
    m.Result = std::max(0, n);
}

void TCustomCodeMemo::emCharFromPos(TMessage& m)
{
    const TPoint* point = ParamPointer<const TPoint>(m.LParam);
    if (!point || point->X < TextLeft() || point->X > FView.ClientWidth || point->Y < 0 || point->Y > FView.ClientHeight) {
        m.Result = -1;
        return;
    }
    m.Result = OffsetFromPoint(*point);
}

void TCustomCodeMemo::cmFontChanged(TMessage&)
{
    if (FInFontChanged || FFontFromSettings || !FFontWriteBack)
        return;
    Guard inHandler(FInFontChanged);
    FSettings->FontName = FFontName;
    FSettings->FontSize = FFontSize;
    FSettings->Charset = FFontCharset;
    UpdateMetrics();
    MarkDirtyFrom(FirstRecord());
    ApplySettings(true, false);
    if (WordWrap())
        Rewrap(nullptr, nullptr);
    MakeOffsetVisible(FCaret);
    FChangeBits |= CHANGE_VIEW;
    Change();
}
