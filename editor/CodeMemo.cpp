// The editor control object: construction, properties, parser slots and settings, loading and saving.
#include "editor/CodeMemo.h"

#include <QApplication>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "editor/CodeMemoStrings.h"
#include "editor/CodeMemoUndo.h"
#include "editor/Painter.h"
#include "platform/FontsQt.h"
#include "platform/MessageBox.h"
#include "platform/ScrollBar.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"

namespace {

constexpr int kParserIndexOutOfRange = 4198;
constexpr int kIllegalTabDefault = 4204;
constexpr int kFileCannotBeOpened = 4400;
constexpr int kNoActiveParser = 4402;

constexpr uint32_t kWordWrapBit = 0x400;
// The narrowest gutter that still shows a glyph.
constexpr int kMinGutter = 34;
// A gutter may take at most this share of the window, in percent.
constexpr int kMaxGutterShare = 20;
// Block indents beyond this step are refused.
constexpr int kIndentStepLimit = 20;
// A short write is continued this many times without progress before the save gives up.
constexpr int kWriteRetries = 3;
constexpr int kCouldNotSave = 65217;

// Plain formats: bit 0 puts out line breaks as CR LF, bit 3 as LF; without either they stay CR.
bool breaksAsCRLF(int format)
{
    return (format & SMM_FORMAT_TEXT) && !(format & SMM_FORMAT_UNIX);
}

int saveFormatMessage(TSaveFormat format)
{
    switch (format) {
    case sfRTF: return SMM_FORMAT_RTF;
    case sfHTML: return SMM_FORMAT_HTML;
    case sfUNIX: return SMM_FORMAT_UNIX;
    case sfTEXT: break;
    }
    return SMM_FORMAT_TEXT;
}

// Passes every write on to the target until all of it is taken. A stream that takes only part of a
// block gets the rest, never the part again; one that takes nothing several times over fails.
class TPatientWriter : public TStream {
public:
    explicit TPatientWriter(TStream& target) : FTarget(target) {}
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override
    {
        const char* bytes = static_cast<const char*>(buffer);
        int64_t done = 0;
        int misses = 0;
        while (done < count) {
            int64_t written = FTarget.Write(bytes + done, count - done);
            if (written > 0) {
                done += written;
                FWritten += written;
                misses = 0;
            } else if (++misses > kWriteRetries) {
                throw EFileSaveError(LoadResString(kCouldNotSave));
            }
        }
        return count;
    }
    int64_t Written() const { return FWritten; }
    int64_t Seek(int64_t offset, int origin) override { return FTarget.Seek(offset, origin); }
    int64_t GetSize() override { return FTarget.GetSize(); }

private:
    TStream& FTarget;
    int64_t FWritten = 0;
};

} // namespace


// ---------------------------------------------------------------- load scope

// Keeps the control consistent whatever a load runs into: the parser goes back into its slot, the
// redraw switch comes back on and the loading flag goes off, also when the stream fails.
class TCustomCodeMemo::LoadScope {
public:
    explicit LoadScope(TCustomCodeMemo& memo) : FMemo(memo) { FMemo.FLoading = true; }
    ~LoadScope()
    {
        restoreParser();
        if (FUpdating) {
            // Leaving by an exception: switch redraw back on without painting from a destructor.
            FMemo.FLines->AbandonUpdates();
            FMemo.FRedraw = true;
            FMemo.FFullRepaint = true;
            FMemo.MarkDirtyFrom(FMemo.FirstRecord());
        }
        FMemo.FLoading = false;
    }
    LoadScope(const LoadScope&) = delete;
    LoadScope& operator=(const LoadScope&) = delete;

    void beginUpdate()
    {
        FMemo.FLines->BeginUpdate();
        FUpdating = true;
    }
    void endUpdate()
    {
        FUpdating = false;
        FMemo.FLines->EndUpdate();
    }
    // Takes the active parser out of its slot, so that nothing is highlighted while text pours in.
    void parkParser()
    {
        FSlot = FMemo.FActiveParser;
        FMemo.FParkedParser = FMemo.FParsers[static_cast<size_t>(FSlot - 1)];
        FMemo.FParsers[static_cast<size_t>(FSlot - 1)] = nullptr;
        FMemo.FParked = true;
    }
    // Puts it back; nil when there was none or it went away meanwhile.
    TCustomCodeMemoParser* restoreParser()
    {
        if (!FMemo.FParked)
            return nullptr;
        FMemo.FParked = false;
        TCustomCodeMemoParser* parser = FMemo.FParkedParser;
        FMemo.FParkedParser = nullptr;
        FMemo.FParsers[static_cast<size_t>(FSlot - 1)] = parser;
        return parser;
    }

private:
    TCustomCodeMemo& FMemo;
    bool FUpdating = false;
    int FSlot = 1;
};

// ---------------------------------------------------------------- lifetime

TCustomCodeMemo::TCustomCodeMemo(QWidget* parent)
    : QWidget(parent),
      FOwnSettings(std::make_unique<TSM_Settings>()),
      FLines(std::make_unique<TCodeMemoStrings>(this)),
      FCaretControl(std::make_unique<TSM_CaretControl>(this)),
      FHighlightCursor(std::make_unique<TEdStream>(this)),
      FUndo(std::make_unique<TCodeMemoUndo>(*this))
{
    // The settings make their fonts through the window system's engine.
    InstallQtFontEngine();
    FPainterState = std::make_unique<TPainterState>();
    FPaging = std::make_unique<TPagingState>();
    createNamedBookmarks();
    FSettings = FOwnSettings.get();
    joinSettings();
    takeSwitchCopies();

    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    setMouseTracking(true);
    initMouse();
    FHorzBar = new TScrollBar(Qt::Horizontal, this);
    FVertBar = new TScrollBar(Qt::Vertical, this);
    for (QScrollBar* bar : {FHorzBar, FVertBar}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setCursor(Qt::ArrowCursor);
        bool vertical = bar == FVertBar;
        connect(bar, &QScrollBar::actionTriggered, this, [this, bar, vertical](int action) {
            int code = -1;
            int position = bar->sliderPosition();
            switch (action) {
            case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
            case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
            case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
            case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
            case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
            // The ends are reached the way the thumb would reach them.
            case QAbstractSlider::SliderToMinimum: code = SB_THUMBTRACK; position = bar->minimum(); break;
            case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; position = bar->maximum(); break;
            default: return;
            }
            try {
                Perform(vertical ? WM_VSCROLL : WM_HSCROLL, MakeLong(code, position), 0);
                // The bar shows where the view is, whatever the message made of the request.
                UpdateScrollBars();
            } catch (...) {
                handleEventError();
            }
        });
    }
    applyScrollBarStyle();
    FCaretTimer.setInterval(std::max(100, QApplication::cursorFlashTime() / 2));
    connect(&FCaretTimer, &QTimer::timeout, this, [this] { blinkCaret(); });
    // Each slice of colouring is one turn of the event loop, so keys and scrolling come in between.
    FColourTimer.setSingleShot(true);
    FColourTimer.setInterval(0);
    connect(&FColourTimer, &QTimer::timeout, this, [this] {
        try {
            if (ColourNextSlice())
                FColourTimer.start();
            // A slice changes what the window shows only where a long edit left old bytes below it.
            if (visibleRecordsRecoloured())
                Paint();
        } catch (...) {
            handleEventError();
        }
    });
    // Drops are always looked at: files only with smoProcessDroppedFiles, text by the drop target.
    setAcceptDrops(true);
    SetUndoStack(FUndo->OwnStack());
    clearUndoLog();

    // The control starts out looking as its settings say: their font, metrics and fonts.
    Perform(SMM_SETTINGSCHANGED, 0, 0);
}

TCustomCodeMemo::~TCustomCodeMemo()
{
    FDestroying = true;
    FCaretTimer.stop();
    releaseMarks();
    ReleaseSettingsObjects();
    // No parser, settings object or shared object may keep a pointer to a control that is gone.
    std::vector<TCustomCodeMemoParser*> held;
    for (TCustomCodeMemoParser* parser : FParsers)
        if (parser)
            held.push_back(parser);
    if (FParked && FParkedParser)
        held.push_back(FParkedParser);
    for (TCustomCodeMemoParser* parser : held) {
        parser->DetachEditor(this);
        parser->RemoveFreeNotification(this);
    }
    FParsers.fill(nullptr);
    leaveSettings();
    FSettings = FOwnSettings.get();
    // The attached log is not emptied: a log of the application's keeps the document's history, and
    // the control's own goes with FUndo.
}

void TCustomCodeMemo::SettingsChanged()
{
    FFullRepaint = true;
    Invalidate();
}

void TCustomCodeMemo::ParserSettingsReplaced(TCustomCodeMemoParser*)
{
    SetActiveParser(ActiveParser());
}

void TCustomCodeMemo::ParserRemoved(TCustomCodeMemoParser* parser)
{
    Notification(parser, opRemove);
}

// ---------------------------------------------------------------- change notification

void TCustomCodeMemo::Change()
{
    if (FPaintSuspended || FLoading || FDestroying || !FRedraw)
        return;
    // A run clears the start record itself; one put off keeps it for the next change.
    if (FHighlightStart)
        RehighlightFrom(FHighlightStart);
    uint32_t bits = FChangeBits;
    // Cleared before the handler runs, so that changes the handler makes are reported next time.
    FChangeBits = 0;
    if (bits && OnChange)
        OnChange(this);
}

void TCustomCodeMemo::ResetHighlighting()
{
    for (TLineRecord* r = FFreshRecords ? nullptr : FirstRecord(); r; r = r->Next) {
        if (r->Styles) {
            r->SpareStyles = std::move(r->Styles);
            r->SpareLen = r->Len;
        }
        r->Flags |= lfChanged;
    }
    stopColouring();
    FHighlightStart = FirstRecord();
}

void TCustomCodeMemo::MarkDirtyFrom(TLineRecord* record)
{
    if (FDestroying)
        return;
    for (; record; record = record->Next)
        record->Flags |= lfChanged;
}

bool TCustomCodeMemo::visibleRecordsRecoloured()
{
    if (!isVisible())
        return false;
    SyncTopRecord();
    TLineRecord* r = FView.TopRecord;
    for (int i = 0; r && i <= FView.LinesPerWindow + 1; ++i, r = r->Next)
        if (r->Flags & lfStylesChanged)
            return true;
    return false;
}

void TCustomCodeMemo::MarkVisibleForRepaint()
{
    SyncTopRecord();
    TLineRecord* r = FView.TopRecord;
    for (int i = 0; r && i <= FView.LinesPerWindow + 2; ++i, r = r->Next)
        r->Flags |= lfStylesChanged;
}

bool TCustomCodeMemo::ColumnFits(int column, const TLineRecord* record)
{
    if (!record || record->Len == 0)
        return column <= 0;
    return column <= IndexToColumn(record->Len - 1, record);
}

bool TCustomCodeMemo::CaretAfterEOLActive() const
{
    return FCaretAfterEOL && (FSettings->Options & OptionBit(smoCaretAfterEOL));
}

// ---------------------------------------------------------------- settings and parsers

TCustomCodeMemoParser* TCustomCodeMemo::Parser(int slot) const
{
    if (slot < 1 || slot > kParserSlots)
        return nullptr;
    return FParsers[static_cast<size_t>(slot - 1)];
}

void TCustomCodeMemo::SetActiveParser(int index)
{
    if (index < 1 || index > kParserSlots)
        throw ECodeMemo(LoadResString(kParserIndexOutOfRange));
    FActiveParser = index;
    SetParserSlot(index, FParsers[static_cast<size_t>(index - 1)]);
}

void TCustomCodeMemo::SetParserSlot(int slot, TCustomCodeMemoParser* parser)
{
    // A language read on first use is read as it becomes the active one; its load refreshes the
    // editors that hold it, this one among them when the slot holds it already.
    if (parser && slot == FActiveParser)
        parser->EnsureLoaded();
    if (slot >= 1 && slot <= kParserSlots) {
        TCustomCodeMemoParser*& held = FParsers[static_cast<size_t>(slot - 1)];
        if (held != parser) {
            TCustomCodeMemoParser* old = held;
            held = parser;
            if (old) {
                old->DetachEditor(this);
                if (std::find(FParsers.begin(), FParsers.end(), old) == FParsers.end())
                    old->RemoveFreeNotification(this);
            }
        }
    }
    if (parser) {
        if (parser->IsLoading())
            return;
        parser->FreeNotification(this);
        parser->AttachEditor(this);
    }
    if (slot != FActiveParser)
        return;
    leaveSettings();
    FSettings = parser ? &parser->Settings() : FOwnSettings.get();
    if (FLoading || FDestroying)
        return;
    joinSettings();
    if (hasFocus())
        ClaimSettingsObjects();
    noteWrapChange();
    takeSwitchCopies();
    Perform(SMM_SETTINGSCHANGED, 0, 0);
}

void TCustomCodeMemo::Notification(TCustomCodeMemoParser* parser, TOperation operation)
{
    if (operation != opRemove || !parser)
        return;
    if (FParkedParser == parser)
        FParkedParser = nullptr;
    for (int slot = 1; slot <= kParserSlots; ++slot)
        if (FParsers[static_cast<size_t>(slot - 1)] == parser)
            SetParserSlot(slot, nullptr);
    // A parser that goes while a load keeps it out of its slot still lends the control its settings.
    if (FJoinedSettings == &parser->Settings())
        leaveSettings();
    if (FSettings == &parser->Settings()) {
        FSettings = FOwnSettings.get();
        if (!FDestroying)
            joinSettings();
    }
}

void TCustomCodeMemo::joinSettings()
{
    leaveSettings();
    FSettings->AddClient(this);
    FJoinedSettings = FSettings;
}

void TCustomCodeMemo::leaveSettings()
{
    if (FJoinedSettings)
        FJoinedSettings->RemoveClient(this);
    FJoinedSettings = nullptr;
}

void TCustomCodeMemo::noteWrapChange()
{
    FWrapPending = ((FSettings->Options ^ FSwitchOptions) & kWordWrapBit) != 0 ||
                   FSettings->WrapAtColumn != FSwitchWrapColumn;
}

void TCustomCodeMemo::takeSwitchCopies()
{
    FSwitchOptions = FSettings->Options;
    FSwitchWrapColumn = FSettings->WrapAtColumn;
}

void TCustomCodeMemo::ApplySettings(bool rebuildFonts, bool rehighlight)
{
    if (rebuildFonts)
        FSettings->RebuildFontCache();
    TScopeGuard restoreFlag([this, saved = FRehighlightFlag] { FRehighlightFlag = saved; });
    FRehighlightFlag = rehighlight;
    if (TCustomCodeMemoParser* parser = ActiveParserObject())
        parser->RefreshEditors();
    else
        Perform(SMM_SETTINGSCHANGED, 0, 0);
}

void TCustomCodeMemo::UpdateFromParser()
{
    TCustomCodeMemoParser* parser = ActiveParserObject();
    if (!parser) {
        MessageBox(this, LoadResString(kNoActiveParser), {}, MB_OK | MB_ICONINFORMATION);
        return;
    }
    // Out of the parser's list while its dialog runs, so that the dialog's refresh of the parser's
    // editors leaves this one alone; the control's own registration keeps the fonts alive meanwhile.
    bool changed = false;
    {
        parser->DetachEditor(this);
        TScopeGuard reattach([this, parser] { parser->AttachEditor(this); });
        changed = parser->EditSettings(VisiblePropEdPages);
    }
    if (changed) {
        noteWrapChange();
        ApplySettings(true, false);
    }
    takeSwitchCopies();
}

// ---------------------------------------------------------------- properties

void TCustomCodeMemo::SetOptions(TCodeMemoOptions options)
{
    Perform(SMM_OPTIONS, SMM_SET, static_cast<LPARAM>(OptionsToWord(options)));
    UpdateScrollBars();
}

void TCustomCodeMemo::SetWordWrap(bool value)
{
    if (value != WordWrap())
        Perform(SMM_OPTIONS, SMM_SET, static_cast<LPARAM>(FSettings->Options ^ kWordWrapBit));
}

void TCustomCodeMemo::Setdef_TextColor(TColor value)
{
    TSM_TokenStyle style = FSettings->GetStyle(0);
    style.Foreground = value;
    FSettings->SetStyle(0, style);
    FChangeBits |= CHANGE_SETTINGS;
    ApplySettings(false, false);
}

void TCustomCodeMemo::Setdef_FontStyle(TFontStyles value)
{
    TSM_TokenStyle style = FSettings->GetStyle(0);
    style.FontStyle = value;
    FSettings->SetStyle(0, style);
    ApplySettings(false, false);
}

void TCustomCodeMemo::Setdef_BackColor(TColor value)
{
    TSM_TokenStyle style = FSettings->GetStyle(0);
    style.Background = value;
    FSettings->SetStyle(0, style);
    ApplySettings(false, false);
}

void TCustomCodeMemo::SetGutter(int value)
{
    if (FView.ClientWidth == 0 || value < 0 || (value > 0 && value < kMinGutter) || value == FSettings->Gutter)
        return;
    if (std::lround(value * 100.0 / FView.ClientWidth) > kMaxGutterShare)
        return;
    FSettings->Gutter = value;
    FGutterLayoutStale = true;
    ApplySettings(false, false);
}

void TCustomCodeMemo::SetGutterColor(TColor value)
{
    FSettings->GutterColor = value;
    FGutterLayoutStale = true;
    ApplySettings(false, false);
}

void TCustomCodeMemo::SetGutterFont(const TFont& font)
{
    FSettings->GutterFont().Assign(font);
    FFullRepaint = true;
    Invalidate();
}

void TCustomCodeMemo::SetIndentStep(int value)
{
    if (value <= 0 || value >= kIndentStepLimit)
        return;
    FSettings->IndentStep = value;
}

void TCustomCodeMemo::SetMargin(int value)
{
    if (value < 0 || value == FSettings->Margin || value > FView.CharWidth)
        return;
    FSettings->Margin = value;
    ApplySettings(false, false);
}

void TCustomCodeMemo::SetMarginColor(TColor value)
{
    FSettings->MarginColor = value;
    ApplySettings(false, false);
}

void TCustomCodeMemo::SetRightMargin(int value)
{
    FSettings->RightMargin = value;
    FGutterLayoutStale = true;
    ApplySettings(false, false);
}

void TCustomCodeMemo::SetSelTextColor(TColor value)
{
    FSettings->SelTextColor = value;
    ApplySettings(false, false);
}

void TCustomCodeMemo::SetSelTextBack(TColor value)
{
    FSettings->SelTextBack = value;
    ApplySettings(false, false);
}

void TCustomCodeMemo::SetTabDefault(int value)
{
    if (value <= 0)
        throw ECodeMemo(LoadResString(kIllegalTabDefault));
    FSettings->TabDefault = value;
    ApplySettings(false, false);
}

void TCustomCodeMemo::SetWrapAtColumn(int value)
{
    value = std::clamp(value, 0, 0xFFFF);
    bool changed = value != FSettings->WrapAtColumn;
    FSettings->WrapAtColumn = value;
    if (!changed || !WordWrap())
        return;
    Rewrap(nullptr, nullptr);
    MakeOffsetVisible(FCaret);
    FChangeBits |= CHANGE_OPTIONS;
    Change();
    Paint();
}

void TCustomCodeMemo::SetWrapOverride(const std::string& value)
{
    if (value == FSettings->WrapOverride)
        return;
    FSettings->WrapOverride = value;
    if (!WordWrap())
        return;
    Rewrap(nullptr, nullptr);
    FChangeBits |= CHANGE_OPTIONS;
    Change();
    Paint();
}

void TCustomCodeMemo::SetBorderStyle(TBorderStyle value)
{
    if (value == FBorderStyle)
        return;
    FBorderStyle = value;
    clientAreaChanged();
    update();
}

void TCustomCodeMemo::SetScrollBars(TScrollStyle value)
{
    if (value == FScrollBars)
        return;
    FScrollBars = value;
    FView.HorizontalBar = value == ssHorizontal || value == ssBoth;
    FView.VerticalBar = value == ssVertical || value == ssBoth;
    applyScrollBarStyle();
    clientAreaChanged();
}

void TCustomCodeMemo::SetReadOnly(bool value)
{
    if (value == FReadOnly)
        return;
    FReadOnly = value;
    if (ReadOnlyColors.Enabled) {
        FFullRepaint = true;
        Paint();
    }
}

void TCustomCodeMemo::SetShowFocusLine(bool value)
{
    if (value == FShowFocusLine)
        return;
    FShowFocusLine = value;
    FFullRepaint = true;
    Paint();
}

void TCustomCodeMemo::SetControlFont(const std::string& name, int size, uint8_t charset)
{
    FFontName = name;
    FFontSize = size;
    FFontCharset = charset;
    TFontHandle handle = MakeEditorFont(name, size, 0, charset, false);
    bool described = FFontDescribed;
    FFontDescribed = true;
    QFont before = font();
    // Qt reports a change at once, and the event becomes CM_FONTCHANGED. Two names may resolve to
    // the same installed face; the description changed all the same.
    setFont(ToQFont(*handle));
    if (font() == before)
        Perform(CM_FONTCHANGED, 0, 0);
    FFontDescribed = described;
}

// ---------------------------------------------------------------- tab stops

std::string TCustomCodeMemo::TabColumns() const { return TabColumnsText(*FSettings); }

void TCustomCodeMemo::SetTabColumns(const std::string& text)
{
    const std::array<int32_t, TSM_Settings::kTabStopCount> stops = ParseTabColumns(text);
    for (int i = 0; i < TSM_Settings::kTabStopCount; ++i)
        FSettings->SetTabColumn(i, stops[static_cast<size_t>(i)]);
    ApplySettings(false, false);
}

// ---------------------------------------------------------------- text and selection

void TCustomCodeMemo::SelectAll()
{
    TSelectionRange all{-1, 0};
    PerformSelection(SMM_SET, all);
}

int TCustomCodeMemo::GetTextLen()
{
    return static_cast<int>(Perform(WM_GETTEXTLENGTH, 0, 0));
}

int TCustomCodeMemo::GetSelStart()
{
    return std::min(FAnchor, FCaret);
}

void TCustomCodeMemo::SetSelStart(int value)
{
    TSelectionRange range{value, value};
    PerformSelection(SMM_SET, range);
}

int TCustomCodeMemo::GetSelLength()
{
    return static_cast<int>(selectionOutputSize(SMM_FORMAT_TEXT));
}

void TCustomCodeMemo::SetSelLength(int value)
{
    int start = GetSelStart();
    TSelectionRange range{start, start + value};
    PerformSelection(SMM_SET, range);
}

std::string TCustomCodeMemo::SelectionText(int format)
{
    TMemoryStream stream;
    SaveSelection(stream, format);
    return stream.AsString();
}

std::string TCustomCodeMemo::GetSelText()
{
    return SelectionText(SMM_FORMAT_TEXT);
}

int TCustomCodeMemo::GetSelTextBuf(char* buffer, int size)
{
    if (!buffer)
        return static_cast<int>(selectionOutputSize(SMM_FORMAT_TEXT));
    if (size <= 0)
        return 0;
    // Only as much text as can fit is put out: every stored character takes at least one byte.
    TTextRange selection = OrderedSelection();
    TMemoryStream stream;
    writePlainText(stream, selection.Start, std::min(selection.End, selection.Start + size), SMM_FORMAT_TEXT);
    int n = static_cast<int>(std::min<int64_t>(stream.GetSize(), size - 1));
    if (n > 0)
        std::memcpy(buffer, stream.Memory(), static_cast<size_t>(n));
    buffer[n] = '\0';
    return n;
}

void TCustomCodeMemo::SetSelText(const std::string& text)
{
    PerformText(EM_REPLACESEL, 0, text.c_str());
}

void TCustomCodeMemo::SetSelTextBuf(const char* text)
{
    PerformText(SMM_INSERTTEXT, 0, text);
}

std::string TCustomCodeMemo::GetTextStr()
{
    TMemoryStream stream;
    writePlainText(stream, 0, FTextLength, SMM_FORMAT_TEXT);
    return stream.AsString();
}

std::string TCustomCodeMemo::GetLineText(int index)
{
    int start = 0, line = 0;
    TLineRecord* record = index >= 0 && index < FRecordCount ? RecordAtLine(index, start, line) : nullptr;
    if (!record)
        return {};
    return std::string(record->Text.get(), static_cast<size_t>(record->Len - (record->EndsWithCR() ? 1 : 0)));
}

void TCustomCodeMemo::SetLines(const TStringList& lines)
{
    FLines->Assign(lines);
}

TPoint TCustomCodeMemo::CaretPos()
{
    int line = 0, start = 0;
    TLineRecord* record = LocateOffset(FCaret, line, start);
    if (!record)
        return {1, 1};
    int index = std::clamp(FCaret - start, 0, static_cast<int>(record->Len));
    int column = IndexToColumn(index, record);
    int x = column + 1;
    if (column == record->Len) {
        if (record->EndsWithCR())
            x = 1;
        else if (record->Next)
            x = column;
    }
    return {x, line + 1};
}

TPoint TCustomCodeMemo::CaretFilePos()
{
    const TFileLineMark place = FileLineOf(FCaret);
    return {FileColumnOf(FCaret, place.LineStart) + 1, place.Line + 1};
}

// ---------------------------------------------------------------- plain text output

void TCustomCodeMemo::writePlainText(TStream& stream, int start, int end, int format)
{
    start = std::clamp(start, 0, FTextLength);
    end = std::clamp(end, start, FTextLength);
    if (start == end)
        return;
    int recordStart = 0;
    TLineRecord* record = recordHolding(start, recordStart);
    int from = start - recordStart;
    int offset = start;
    while (record && offset < end) {
        int to = std::min<int>(record->Len, end - recordStart);
        const char* text = record->Text.get() + from;
        bool reachesEnd = to == record->Len && record->EndsWithCR();
        std::string shown;
        if (format != 0 && std::memchr(text, kHeldCharacterMark, static_cast<size_t>(to - from))) {
            // A held character that the record's cut parts is read whole: the bytes it may reach
            // into the records after are read with it (not past the range) and dropped again.
            shown.assign(text, static_cast<size_t>(to - from));
            const int reach = std::min(end, recordStart + to + static_cast<int>(kLongestHeldCharacter) - 1);
            if (reach > recordStart + to)
                shown += StoredText(recordStart + to, reach);
            ReplaceStrayMarks(shown, '&');
            shown.resize(static_cast<size_t>(to - from));
            text = shown.data();
        }
        if (reachesEnd && (format & SMM_FORMAT_UNIX)) {
            stream.WriteBuffer(text, to - from - 1);
            stream.WriteBuffer("\n", 1);
        } else {
            stream.WriteBuffer(text, to - from);
            if (reachesEnd && breaksAsCRLF(format))
                stream.WriteBuffer("\n", 1);
        }
        offset = recordStart + to;
        recordStart += record->Len;
        record = record->Next;
        from = 0;
    }
}

namespace {
// Counts what a writer puts out without keeping it.
class TCountingStream : public TStream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t count) override
    {
        FSize += count;
        return count;
    }
    int64_t Seek(int64_t, int) override { return FSize; }
    int64_t GetSize() override { return FSize; }

private:
    int64_t FSize = 0;
};
} // namespace

int64_t TCustomCodeMemo::plainTextSize(int start, int end, int format)
{
    start = std::clamp(start, 0, FTextLength);
    end = std::clamp(end, start, FTextLength);
    int64_t size = end - start;
    if (!breaksAsCRLF(format) || size == 0)
        return size;
    // Each line break that ends a record inside the range grows by its LF.
    int recordStart = 0;
    TLineRecord* record = recordHolding(start, recordStart);
    for (; record && recordStart < end; recordStart += record->Len, record = record->Next)
        if (record->EndsWithCR() && recordStart + record->Len <= end)
            ++size;
    return size;
}

int64_t TCustomCodeMemo::selectionOutputSize(int format)
{
    if (format != SMM_FORMAT_RTF && format != SMM_FORMAT_HTML) {
        TTextRange selection = OrderedSelection();
        return plainTextSize(selection.Start, selection.End, format);
    }
    TCountingStream counter;
    SaveSelection(counter, format);
    return counter.GetSize();
}

void TCustomCodeMemo::SaveSelection(TStream& stream, int format)
{
    switch (format) {
    case SMM_FORMAT_RTF: WriteRTF(stream); break;
    case SMM_FORMAT_HTML: WriteHTML(stream); break;
    default: {
        TTextRange selection = OrderedSelection();
        writePlainText(stream, selection.Start, selection.End, format);
        break;
    }
    }
}

// ---------------------------------------------------------------- loading and saving

void TCustomCodeMemo::LoadFromStream(TStream& stream)
{
    LoadScope scope(*this);
    clearUndoLog();
    TUndoLoggingPause noLogging(FUndo->Recorder());
    if (FRedraw)
        scope.beginUpdate();
    TSelectionRange all{-1, 0};
    PerformSelection(SMM_SET | SMM_NOREDRAW, all);
    scope.parkParser();
    PerformStream(SMM_LOADSTREAM, 6, stream);
    // The caret goes to the start while the place it leaves at the end is still the one last
    // looked up: once the first screen is coloured, finding it again would walk every record.
    TSelectionRange start{0, 0};
    PerformSelection(SMM_SET | SMM_NOREDRAW, start);
    const bool parser = scope.restoreParser() != nullptr;
    {
        // Records a load made have no style bytes to drop and are marked changed already: no pass
        // over every record of a large text is needed for that.
        FFreshRecords = true;
        TScopeGuard fresh([this] { FFreshRecords = false; });
        // The settings message drops every record's bytes itself when it colours again.
        if (!parser || !FRehighlightFlag)
            ResetHighlighting();
        FChangeBits |= CHANGE_TEXT;
        if (parser)
            Perform(SMM_SETTINGSCHANGED, 0, 0);
    }
    FView.LeftColumn = 0;
    MakeOffsetVisible(0);
    scope.endUpdate();
    clearUndoLog();
    FLoading = false;
    UpdateScrollBars();
}

void TCustomCodeMemo::SaveToStream(TStream& stream)
{
    TPatientWriter writer(stream);
    clearUndoLog();
    Perform(SMM_SUSPENDPAINT, SMM_SET, 1);
    {
        TSelectionRange kept{FAnchor, FCaret};
        TScopeGuard restore([&] {
            PerformSelection(SMM_SET | SMM_NOREDRAW, kept);
            Perform(SMM_SUSPENDPAINT, SMM_SET, 0);
        });
        TSelectionRange all{-1, 0};
        PerformSelection(SMM_SET | SMM_NOREDRAW, all);
        PerformStream(SMM_SAVESTREAM, saveFormatMessage(FSaveFormat), writer);
    }
    clearUndoLog();
    // Every format puts out at least one byte per character of a text; less means the writer failed.
    if (writer.Written() < FTextLength)
        throw EFileSaveError(LoadResString(kCouldNotSave));
}

namespace {
// Sets a flag for the life of a scope and clears it on the way out.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : FFlag(flag) { FFlag = true; }
    ~FlagScope() { FFlag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& FFlag;
};
} // namespace

void TCustomCodeMemo::LoadFromFile(const std::string& fileName)
{
    if (!FileExists(fileName))
        throw EFOpenError(FmtLoadStr(kFileCannotBeOpened, fileName.c_str()));
    {
        FlagScope loading(FLoading);
        TFileStream stream(fileName, fmOpenRead);
        LoadFromStream(stream);
        FLoading = true;
        clearUndoLog();
        if (FSettings->Options & OptionBit(smoTitleAsFilename))
            FDocumentName = FilePathText(fileName);
    }
    UpdateScrollBars();
}

void TCustomCodeMemo::SaveToFile(const std::string& fileName)
{
    FlagScope loading(FLoading);
    // Made whole in memory first: the file is replaced only by a complete text.
    TMemoryStream stream;
    SaveToStream(stream);
    stream.SaveToFile(fileName);
    clearUndoLog();
    if (FSettings->Options & OptionBit(smoTitleAsFilename))
        FDocumentName = FilePathText(fileName);
}
