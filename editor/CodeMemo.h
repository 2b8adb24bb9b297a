// The syntax editor control: TCustomCodeMemo with its message interface, and TCodeMemo with its parser slots.
#pragma once

#include <QImage>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "editor/CodeMemoStrings.h"
#include "editor/FindReplace.h"
#include "editor/model/Bookmarks.h"
#include "editor/model/EditingCore.h"
#include "editor/model/EditorErrors.h"
#include "editor/model/DroppedText.h"
#include "editor/model/EditorMessages.h"
#include "editor/KeyboardInput.h"
#include "editor/MouseInput.h"
#include "editor/model/ParserBase.h"
#include "editor/model/Search.h"
#include "editor/model/Settings.h"
#include "editor/PageSetup.h"
#include "platform/core/Classes.h"
#include "platform/Cursors.h"
#include "platform/core/Geometry.h"
#include "platform/core/Graphics.h"
#include "platform/core/Messages.h"

class QPainter;
class QScrollBar;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QDrag;
class QMimeData;
class QInputMethodEvent;
class QKeyEvent;
class QMouseEvent;
class QWheelEvent;
class TSM_CaretControl;
class TUndoStack;
class TUndoRecorder;
class TCodeMemoUndo;
class TTextMark;
class TMacroKeywords;
class TLinePainter;
struct TPainterState;
struct TPagingState;
struct TExportSource;

enum TSaveFormat : uint8_t { sfTEXT, sfRTF, sfHTML, sfUNIX };
enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TOperation : uint8_t { opInsert, opRemove };
enum TMouseButton : uint8_t { mbLeft, mbRight, mbMiddle };

// Formats copy puts on the clipboard, one bit each.
enum TSM_ClipFormat : uint8_t { smTEXT, smRTF };
using TSM_ClipFormats = uint8_t;

// How a disabled or read-only editor is coloured by the painter.
struct TSM_StateColors {
    bool UseTextColor = false;
    bool UseBackColor = false;
    bool Enabled = false;
    TColor TextColor = clBlack;
    TColor BackColor = clWhite;
};

// What OnDrawLine receives for each display line about to be drawn.
struct TLineDrawData {
    int32_t Kind = 1;
    const char* Text = nullptr; // the line with its TABs expanded
    uint8_t Visible = 1;
    QPainter* DC = nullptr;
    TRect LineRect;
    int32_t LineOffset = 0;
    int32_t FirstColumn = 0;
    int32_t Columns = 0;
    uint8_t Handled = 0; // set by the handler: nothing more is drawn for the line
};

// A text mark as the painter sees it: its range of offsets and its handle for OnDrawMark.
struct TMarkSpan {
    int32_t Start = 0;
    int32_t End = 0;
    TTextMark* Mark = nullptr;
};

class TCustomCodeMemo;
struct TRunLimits;
struct TRunOutcome;
class TDisplayLine;

// Event types. Sender is always the editor; reference parameters may be changed by the handler.
using TNotifyEvent = std::function<void(TCustomCodeMemo* Sender)>;
using TAutoReplaceEvent = std::function<void(TCustomCodeMemo* Sender, TEdStream& IStream, const std::string& ReplaceItem,
                                             std::string& ReplaceWith, bool& CanReplace)>;
using TMacroFireEvent =
    std::function<void(TCustomCodeMemo* Sender, const std::string& TemplateName, std::string& Replacement)>;
using TBookmarkEvent = std::function<void(TCustomCodeMemo* Sender, int Index)>;
using TCustomBookmarkFreeEvent = std::function<void(TCustomCodeMemo* Sender, const std::string& bmName)>;
using TMarkChangeEvent = std::function<void(TCustomCodeMemo* Sender, TTextMark* aMark)>;
using TMarkDrawEvent = std::function<void(TCustomCodeMemo* Sender, QPainter* aDC, const TRect* aRect, TTextMark* aMark)>;
using TLineDrawEvent = std::function<int(TCustomCodeMemo* Sender, TLineDrawData* LineDrawData)>;
using TTokenSeenEvent = std::function<void(TCustomCodeMemo* Sender, int& TokenValue, int ExtentStart, int ExtentEnd)>;
using TKeyboardActionEvent = std::function<void(TCustomCodeMemo* Sender, int& ActionCode)>;
using TDataDropEvent = std::function<void(TCustomCodeMemo* Sender, TSourceTypes& SourceTypes)>;
// The handler may change the list: a drop inserts the names it leaves.
using TFileDropEvent = std::function<void(TCustomCodeMemo* Sender, TStringList& FileList, TPoint AtPoint)>;
using TSearchFailEvent = std::function<void(TCustomCodeMemo* Sender, const std::string& SearchString)>;
using THeaderFooterEvent =
    std::function<void(TCustomCodeMemo* Sender, QPainter* RenderCanvas, TRect& RenderRect, bool& TransparentText)>;
using TMultiClickEvent = std::function<void(TCustomCodeMemo* Sender, TPoint ClickPos, int CharOffset)>;
using TGutterClick = std::function<void(TCustomCodeMemo* Sender, int LineNo)>;
using THyperEvent = std::function<void(TCustomCodeMemo* Sender, const std::string& HyperData, int HyperType)>;
using TLineTrackEvent = std::function<void(TCustomCodeMemo* Sender, int TrackID)>;
using TSpellWordEvent = std::function<void(TCustomCodeMemo* Sender, const std::string& SpellWord, bool& Result)>;
using TSM_WordBreakProc = std::function<int(const char* lpch, int ichCurrent, int cch, int code)>;
using TCharTest = std::function<bool(char Ch)>;
using TKeyEvent = std::function<void(TCustomCodeMemo* Sender, uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TCustomCodeMemo* Sender, char& Key)>;
using TMouseEvent = std::function<void(TCustomCodeMemo* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TCustomCodeMemo* Sender, TShiftState Shift, int X, int Y)>;

// The syntax-colouring editor control.
//
// The control is driven by messages: the methods that touch text, selection or view are thin layers
// that send the control a message through the virtual Perform. Qt's events come in at one place,
// event(): size, paint, focus, font, enabling, the double click and the wheel become the same
// messages there, while keys, typed text, mouse press, move and release, and drag and drop call
// their handlers (KeyDown, KeyPress, MouseDown, ...) directly. The text lives in the line store of
// TCodeMemoCore; the look and behaviour live in a TSM_Settings object, the control's own or the
// active parser's, which the setting properties read and write directly.
//
// Painting: the control keeps a back buffer that Paint fills for the records flagged as changed;
// Qt's paint event only copies it to the screen and draws the caret, which blinks on a timer.
//
// Each feature lives in a unit of its own (Highlighter, Painter, TextMetrics, WordWrap, KeyboardInput,
// Commands, MouseInput, TemplatesInput, CodeMemoUndo, Export, FindReplace, CodeMemoBookmarks,
// DragDrop) as members of this class. State a unit owns is kept
// in a struct of its own: the view's geometry (FView, a TViewGeometry the core keeps in step with
// its records), the keyboard's (FKeys), the mouse's (FMouse) and the search's (FSearch).
class TCustomCodeMemo : public QWidget, public TCodeMemoCore, public TParserClient {
    Q_OBJECT
    // Kept between runs by the main window's stored properties.
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE SetWordWrap)
public:
    explicit TCustomCodeMemo(QWidget* parent = nullptr);
    ~TCustomCodeMemo() override;

    static constexpr const char* kVersion = "2.01.31";
    static constexpr int kParserSlots = 6;

    // ---- the message interface

    // Sends the control a message; every internal message goes through here.
    // The text goes; an exception on the way leaves the undo log consistent, as for a message.
    void Clear();
    virtual LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam);
    // Decodes one message. Unknown messages go to DefaultHandler.
    virtual void WndProc(TMessage& message);
    // Typed forms of the messages that carry a pointer, for the control's own units: the selection
    // (SMM_SELECTION, read or set), a text (SMM_INSERTTEXT, EM_REPLACESEL, WM_SETTEXT), a buffer to
    // fill (SMM_GETSELTEXT, EM_GETLINE), a stream (SMM_LOADSTREAM, SMM_SAVESTREAM) and dropped files.
    LRESULT PerformSelection(WPARAM flags, TSelectionRange& range);
    LRESULT PerformText(UINT msg, WPARAM wParam, const char* text);
    LRESULT PerformBuffer(UINT msg, WPARAM wParam, char* buffer);
    LRESULT PerformStream(UINT msg, WPARAM wParam, TStream& stream);
    LRESULT PerformDroppedFiles(TDroppedFiles& files);

    // ---- text, selection and files

    void SelectAll();
    // Length of the whole text with line breaks as CR LF.
    int GetTextLen();
    // The selection with line breaks as CR LF.
    std::string GetSelText();
    // Copies the selection (CR LF line breaks) into `buffer` and a NUL after it, never writing more
    // than `size` bytes; returns the bytes written before the NUL. A nil buffer returns the size the
    // whole selection needs, without its NUL.
    int GetSelTextBuf(char* buffer, int size);
    void SetSelText(const std::string& text);
    void SetSelTextBuf(const char* text);
    // The whole text with line breaks as CR LF.
    std::string GetTextStr();
    // The text of display line `index` without its closing CR; empty past the last line.
    std::string GetLineText(int index);
    // The selection put out in one of the SMM_FORMAT_* forms.
    std::string SelectionText(int format);
    // Style bytes of display lines first..last (nil: every line), a byte per character, in turn.
    // Setting stops at the first record the bytes do not cover whole.
    void SetStyleBytes(const TSelectionRange* lines, std::string_view bytes);
    std::string GetStyleBytes(const TSelectionRange* lines);

    int GetSelStart();
    void SetSelStart(int value);
    int GetSelLength();
    void SetSelLength(int value);

    // Replaces the whole text with the stream's contents from its position.
    virtual void LoadFromStream(TStream& stream);
    // Writes the whole text in the SaveFormat; a stream that keeps refusing bytes raises
    // EFileSaveError. Every byte is written once: a short write is continued, never repeated.
    virtual void SaveToStream(TStream& stream);
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);

    // 1-based column and line of the caret on screen.
    TPoint CaretPos();
    // 1-based column and line of the caret in the file: its lines are those the line breaks end,
    // however the line store cuts long lines into pieces and word wrap into rows; TABs expanded.
    TPoint CaretFilePos();
    TCodeMemoStrings& Lines() { return *FLines; }
    void SetLines(const TStringList& lines);
    TSM_CaretControl& CaretControl() { return *FCaretControl; }

    // ---- settings and parsers

    TSM_Settings& ActiveSettings() { return *FSettings; }
    TSM_Settings& OwnSettings() { return *FOwnSettings; }
    // The parser of slot 1..6 (nil for an empty slot or another index).
    TCustomCodeMemoParser* Parser(int slot) const;
    int ActiveParser() const { return FActiveParser; }
    // 1..6; any other index raises ECodeMemo and changes nothing.
    void SetActiveParser(int index);
    TCustomCodeMemoParser* ActiveParserObject() const { return Parser(FActiveParser); }
    // Puts a parser into slot 1..6 (nil empties it) and, for the active slot, switches settings.
    void SetParserSlot(int slot, TCustomCodeMemoParser* parser);
    // A parser that goes tells every editor holding it (opRemove); its slots are emptied.
    virtual void Notification(TCustomCodeMemoParser* parser, TOperation operation);
    // The settings object and the parsers tell the control through these.
    void SettingsChanged() override;
    void ParserSettingsReplaced(TCustomCodeMemoParser* parser) override;
    void ParserRemoved(TCustomCodeMemoParser* parser) override;
    // Re-applies the active settings: with an active parser through all its editors.
    void ApplySettings(bool rebuildFonts, bool rehighlight);
    // Lets the user edit the active parser's settings; tells when there is none.
    void UpdateFromParser();
    TAutoReplace& AutoReplaceList() { return FSettings->AutoReplace(); }
    TCodeTemplates& CodeTemplateList() { return FSettings->CodeTemplates(); }

    // ---- properties

    TCodeMemoOptions Options() const { return WordToOptions(FSettings->Options); }
    void SetOptions(TCodeMemoOptions options);
    bool WordWrap() const { return (FSettings->Options & OptionBit(smoWordWrap)) != 0; }
    void SetWordWrap(bool value);
    TColor def_TextColor() const { return FSettings->GetStyle(0).Foreground; }
    void Setdef_TextColor(TColor value);
    TFontStyles def_FontStyle() const { return FSettings->GetStyle(0).FontStyle; }
    void Setdef_FontStyle(TFontStyles value);
    TColor def_BackColor() const { return FSettings->GetStyle(0).Background; }
    void Setdef_BackColor(TColor value);
    int Gutter() const { return FSettings->Gutter; }
    void SetGutter(int value);
    TColor GutterColor() const { return FSettings->GutterColor; }
    void SetGutterColor(TColor value);
    const TFont& GutterFont() const { return FSettings->GutterFont(); }
    void SetGutterFont(const TFont& font);
    int IndentStep() const { return FSettings->IndentStep; }
    void SetIndentStep(int value);
    int Margin() const { return FSettings->Margin; }
    void SetMargin(int value);
    TColor MarginColor() const { return FSettings->MarginColor; }
    void SetMarginColor(TColor value);
    int RightMargin() const { return FSettings->RightMargin; }
    void SetRightMargin(int value);
    TColor SelTextColor() const { return FSettings->SelTextColor; }
    void SetSelTextColor(TColor value);
    TColor SelTextBack() const { return FSettings->SelTextBack; }
    void SetSelTextBack(TColor value);
    std::string TabColumns() const;
    // Parses "9 17 25" (blanks or ";" between ascending columns > 1); a bad text raises ECodeMemo
    // and leaves the stops as they were.
    void SetTabColumns(const std::string& text);
    int TabDefault() const { return FSettings->TabDefault; }
    void SetTabDefault(int value);
    int WrapAtColumn() const { return FSettings->WrapAtColumn; }
    void SetWrapAtColumn(int value);
    const std::string& WrapOverride() const { return FSettings->WrapOverride; }
    void SetWrapOverride(const std::string& value);

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    virtual void SetScrollBars(TScrollStyle value);
    TSaveFormat SaveFormat() const { return FSaveFormat; }
    void SetSaveFormat(TSaveFormat value) { FSaveFormat = value; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    bool ShowFocusLine() const { return FShowFocusLine; }
    void SetShowFocusLine(bool value);
    bool HideSelection = true;
    bool WantReturns = true;
    bool WantTab = true;
    // The pointer over hyperlink characters.
    TCursor HyperCursor = crDefault;
    TSM_ClipFormats ClipCopyFormats = 1u << smTEXT;
    TSM_PropEdPages VisiblePropEdPages = kAllPropEdPages;
    // The About and Settings properties share this string; nothing reads it.
    std::string About;
    std::string Version() const { return kVersion; }
    // The document's name as the window's texts show it (Windows-1252): the printout's title and the
    // export's. Loading and saving a file name it after the file; an application that loads the text
    // itself names it.
    const std::string& DocumentName() const { return FDocumentName; }
    void SetDocumentName(const std::string& name) { FDocumentName = name; }
    TSM_StateColors DisabledColors{false, true, true, clBlack, clSilver};
    TSM_StateColors ReadOnlyColors{true, true, false, clSilver, clWhite};
    // The text area of the printed page in the printer's pixels; the page setup's margins place it.
    // Until a page setup is set it is the printer's default page, asked of the printer when first read.
    const TRect& PrintRect() const;
    // The paper, orientation and margins that printing and the preview's pages follow: the printer's
    // paper with the default margins until one is set, asked of the printer when first read (the
    // printer is made, and the print system loaded, only then). Setting it puts it on the program's
    // printer and PrintRect within its margins.
    const TPageSetup& PageSetup() const;
    void SetPageSetup(const TPageSetup& setup);
    // The record to start from in place of the printer's paper without margins, for a program whose
    // page setup offers another one first. It is kept without making the printer: printing and the
    // preview put it there when they run.
    void SetStartPageSetup(const TPageSetup& setup);

    // The control's font, as the class library describes it. Assigning it reaches the active settings.
    const std::string& FontName() const { return FFontName; }
    int FontSize() const { return FFontSize; }
    uint8_t FontCharset() const { return FFontCharset; }
    void SetControlFont(const std::string& name, int size, uint8_t charset = DEFAULT_CHARSET);
    // While off, a changed control font stays the control's own and never reaches the active
    // settings (an example editor whose settings a dialog edits by itself).
    bool FontWriteBack() const { return FFontWriteBack; }
    void SetFontWriteBack(bool value) { FFontWriteBack = value; }

    // ---- view state

    int TopLine() const { return FView.TopLine; }
    int LeftColumn() const { return FView.LeftColumn; }
    int LinesPerWindow() const { return FView.LinesPerWindow; }
    int ColumnsPerWindow() const { return FView.ColumnsPerWindow; }
    int LineHeight() const { return FView.LineHeight; }
    int CharWidth() const { return FView.CharWidth; }
    int ClientWidth() const { return FView.ClientWidth; }
    int ClientHeight() const { return FView.ClientHeight; }
    bool RedrawOn() const { return FRedraw; }
    bool PaintSuspended() const { return FPaintSuspended; }
    bool Loading() const { return FLoading; }
    bool Printing() const { return FPrinting; }
    bool Destroying() const { return FDestroying; }
    bool InsertMode() const { return FKeys.InsertMode; }
    // The caret rectangle in client coordinates while the caret exists.
    bool CaretShown() const { return FCaretCreated; }
    QRect CaretRect() const { return FCaretRect; }
    // The client area's picture as the last Paint left it.
    const QImage& BackBuffer() const { return FBackBuffer; }
    // Times the back buffer was filled since the control was made: what the tests and benchmarks
    // that watch repainting count.
    int64_t PaintsDone() const { return FPaintsDone; }

    // ---- events (fired only when assigned)

    TNotifyEvent OnChange;
    TAutoReplaceEvent OnAutoReplace;
    TMacroFireEvent OnTemplateEvent;
    TBookmarkEvent OnBookmarkSet;
    TBookmarkEvent OnBookmarkClear;
    TCustomBookmarkFreeEvent OnCustomBookmarkFree;
    TMarkChangeEvent OnMarkChange;
    TMarkChangeEvent OnMarkFree;
    TMarkDrawEvent OnDrawMark;
    TLineDrawEvent OnDrawLine;
    // Highlighting runs call it with -1s when they begin, once per token (the value it leaves is the
    // one stored) and with -2s when they end. The records are in use meanwhile: it must not edit.
    TTokenSeenEvent OnTokenSeen;
    TKeyboardActionEvent OnCommandRecognised;
    TDataDropEvent OnDataDrop;
    TFileDropEvent OnFilesDropped;
    TSearchFailEvent OnSearchFail;
    // A find or replace dialog of the control searched: SearchText and SearchFlags hold its text and
    // options, for whoever repeats the user's last search.
    TNotifyEvent OnDialogSearch;
    THeaderFooterEvent OnPrintHeaderFooter;
    TMultiClickEvent OnTripleClick;
    TGutterClick OnGutterClick;
    THyperEvent OnHyperlinkClick;
    TNotifyEvent OnHyperlinkHover;
    TLineTrackEvent OnTrackAdd;
    TLineTrackEvent OnTrackFree;
    TSpellWordEvent OnSpellWord;
    TSM_WordBreakProc OnWordBreakProc;
    TCharTest fn_CharIsInWord;
    TCharTest fn_CharStartsWord;
    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;
    TKeyEvent OnKeyUp;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

    // ---- shared with the editor's other units

    // Runs the pending highlighting and fires OnChange once when change bits are set.
    virtual void Change();
    // Fills the back buffer for the flagged records and places the caret. Inside a paint batch it
    // only notes that a paint is wanted.
    void Paint();
    // Makes the paints asked for until the guard goes one paint at its end: a keystroke's handlers
    // each paint what they changed, and the user sees the one result.
    [[nodiscard]] TScopeGuard paintBatchScope();
    // Has the whole client area painted again when Qt next paints the control.
    void Invalidate();
    void SetChangeBits(uint32_t bits) { FChangeBits |= bits; }
    // Drops every record's style bytes, flags every record changed, restarts highlighting at the top.
    void ResetHighlighting();
    // Flags the record and every one after it as changed (nothing while the control is destroyed).
    void MarkDirtyFrom(TLineRecord* record);
    // Flags the records on screen, and two more, for repainting.
    void MarkVisibleForRepaint();
    void RequestFullRepaint() { FFullRepaint = true; }
    bool FullRepaintRequested() const { return FFullRepaint; }
    void ClearFullRepaint() { FFullRepaint = false; }
    // True when `column` is not beyond the display column of the record's last character.
    bool ColumnFits(int column, const TLineRecord* record);
    bool CaretAfterEOLActive() const;
    // Puts the caret back on its character position: a replayed edit goes where its log says, never
    // to a column a click left beyond a line's end.
    void DropCaretBeyondEOL() { FCaretBeyondEOL = false; }
    // The control's own cursor for the highlighting runs.
    TEdStream& HighlightCursor() { return *FHighlightCursor; }
    // The start offset and display-line index of a record found by walking from the first record.
    TLineRecord* RecordAtLine(int line, int& recordStart, int& index);
    // The display line holding an offset; one past the last record after a final CR.
    int LineOfOffset(int offset);
    // The x of the text area's left edge: margin plus gutter when the gutter shows.
    int TextLeft() const;
    // Tab rule: the first stop beyond `column`, else the next multiple of TabDefault.
    int NextTabColumn(int column) const;
    int IndexToColumn(int index, const TLineRecord* record) const;
    int ColumnToIndex(int column, const TLineRecord* record) const;
    // Width of `count` characters of a fixed-pitch font: every one advances by the character width.
    int FixedRunWidth(int count) const;
    // The 1-based logical line and character position of a 1-based display line and column.
    void LogicalPosition(int line, int column, int& logicalColumn, int& logicalLine);
    // Expands a record starting at `recordOffset` into the control's display-line buffers, with the
    // selection as columns of the line; valid until the next expansion.
    const TDisplayLine& ExpandLine(const TLineRecord& record, int recordOffset);
    // The keys whose bindings Shift extends instead of being part of the stroke.
    const TStateSet& CommandKeys() const { return FKeys.CommandKeys; }
    // Set by vertical caret moves so that SMM_SELECTION keeps the remembered column.
    void RequestVerticalMove() { FVerticalMoveRequest = true; }

    // ---- features provided by the editor's other units

    // Highlighting (Highlighter.cpp): re-scans with the active parser from a restart point before the
    // pending start record until a later line comes out unchanged, and clears the request. A run
    // that finds the parser busy keeps the request, and the next run resumes it.
    virtual void Rehighlight();
    void RehighlightFrom(TLineRecord* line);
    void RehighlightAll();
    // Colouring in slices. A run over more than `above` characters never coloured (a document just
    // opened) colours for about `slice` and leaves the rest to slices of that length, run from the
    // event loop; a slice of 0 ends at the first record end it can. The defaults keep the window
    // answering while a large document is coloured.
    void SetColourSlices(std::chrono::milliseconds slice, int64_t above)
    {
        FColourSliceTime = slice;
        FColourInSlicesAbove = above;
    }
    // Runs the next slice now; false when no text waits any longer.
    bool ColourNextSlice();
    // Colours all the text that waits for slices.
    void FinishColouring();
    // Colours what waits for slices up to the last record in the window, before it is painted.
    void ColourVisibleRecords();
    // The token values (style bytes) of the characters from `start` up to `end` as the active parser
    // gives them for the text as it stands: an edit not yet highlighted, and text before them still
    // waiting for its slices, are coloured first. False, with `values` empty, where they cannot be
    // known: no parser, the parser busy with another run, or a range outside the text.
    bool CurrentTokenValues(int start, int end, std::string& values);

    // Line painter: draws the client area into the back buffer. The default draws the flagged
    // records as plain text in the default style.
    virtual void PaintClientArea(QPainter& canvas, const TRect& area);

    // Text metrics: line height, character width and what fits in the window, from the font.
    virtual void UpdateMetrics();
    virtual int PixelOfColumn(int column, const TLineRecord* record);
    virtual int ColumnAtPixel(int x, const TLineRecord* record);

    // Printing on the program's printer (PrintSelection, with the keys' command, is with the
    // bookmarks below), and page `pageNo` (1-based) of a preview painted into `rect` of `canvas`;
    // PrintPage is true while pages follow the one painted.
    void Print();
    bool PrintPage(QPainter* canvas, const TRect* rect, int pageNo);
    // Keeps the control set up for paper over many PrintPage calls (a preview building its pages):
    // the fonts made for a page serve the next one of the same device and size, and the screen's
    // metrics, fonts and repaint come back once, when the guard goes.
    [[nodiscard]] TScopeGuard PagingScope();

    // Text marks: the marks overlapping offsets [start, end) in start order.
    virtual void MarksInRange(int start, int end, std::vector<TMarkSpan>& marks);

    // Word wrap: the control keeps one record per display line. Rewrap re-cuts the logical lines
    // from the one holding `first` to the one holding `last` (nil: from the start, to the end):
    // with word wrap at the wrap width, without it only lines of kRewrapLength characters or more.
    // Every piece holds 1..kRewrapLength characters whatever the settings or the break procedure say.
    virtual void Rewrap(TLineRecord* first, TLineRecord* last);
    // Joins and re-cuts the logical line starting at `firstPiece`; `firstPiece` becomes its first new
    // record. Returns the record after the line (nil at the end).
    TLineRecord* WrapLogicalLine(TLineRecord*& firstPiece, int wrapColumns);
    // The wrap width in columns: WrapAtColumn, or the visible columns less 4; never below 20.
    int WrapColumns() const;
    // Where a line may be cut (OnWordBreakProc when assigned): code 0 the cut at or before
    // `ichCurrent`, 1 the start of the next word, 2 whether `ichCurrent` is a break character.
    int WordBreak(const char* lpch, int ichCurrent, int cch, int code);
    // The greatest record length in characters.
    int LongestLineLength() { return GreatestRecordLength(); }
    bool FixedPitch() const { return FFixedPitch; }

    // View geometry (CodeMemoView.cpp): the view, the scroll bars and the look-ups between offsets,
    // lines and points. The control's view object (FView, a TViewGeometry) holds and computes them; these
    // pass it the control's metrics and settings and bring the window and its bars in line.
    virtual void UpdateScrollBars();
    virtual void MakeOffsetVisible(int offset);
    // Puts `column` and `line` at the left and top (each only when its bar is wanted); with
    // `autoScroll` the view then follows a dragging pointer (BeginAutoScroll).
    virtual void ScrollTo(int column, int line, bool autoScroll, bool repaint);
    // The display record holding `offset`, its display-line index and start offset; nil in an empty
    // text. After a final line break the index is one past the last record's.
    virtual TLineRecord* LocateOffset(int offset, int& lineIndex, int& recordStart);
    TLineRecord* RecordAtOffset(int offset, int& lineIndex);
    // Offset minus its record's start, at most the record's length; 0 after a final line break.
    int IndexInRecord(int offset);
    // Client point of an offset; (-1, -1) above the view.
    virtual TPoint PointFromOffset(int offset);
    virtual int OffsetFromPoint(TPoint point);
    virtual void DrawFocusLine(QPainter& canvas);
    virtual bool CharStartsWord(char ch);
    virtual bool CharIsInWord(char ch);

    // The scroll bars as the view last set them.
    const TScrollRange& HorzScrollRange() const { return FView.HorzRange; }
    const TScrollRange& VertScrollRange() const { return FView.VertRange; }
    int ScrollScale() const { return FView.ScrollScale; }

    // Auto-scroll while the left button drags outside the text area: a timer steps the view one
    // line or column at a time towards the pointer, and with `moveCaret` the caret follows to the
    // edge it scrolls to (a drag of the selection passes false). While the mouse handling holds a
    // drag (selecting, or dragging the selection or a margin line) the drag decides instead: it
    // knows the pointer and the button from its own events, may scroll a little before the edge,
    // and moves what it drags. The timer stops by itself when the button is up, the control loses
    // the focus, the pointer is back inside or the view can go no further.
    void BeginAutoScroll(bool moveCaret, bool repaint);
    void EndAutoScroll();
    bool AutoScrolling() const { return FAutoScrollTimer.isActive(); }
    // One step for a pointer at client point `pointer`; false, doing nothing, when the pointer lies
    // inside the area or the view is already as far as it goes that way.
    bool AutoScrollStep(TPoint pointer);

    // Keys. A key-down goes to the code templates and the auto-replace list first, then to the key
    // controller, which turns one or two strokes into a command for ExecuteCommand; the character of
    // a key no command took is typed by KeyPress. Each fires its class-library event first.
    void BuildCommandKeySet();
    // The key controller recognised a bound sequence while this control had claimed it.
    virtual void CommandRecognised(int32_t& actionCode);
    // Runs editor command 0..44 (TEditorCommand); other codes do nothing. With `extend` the moves
    // take only the caret and the selection grows. `param` is not used by the commands.
    virtual void ExecuteCommand(int command, int param, bool extend);
    virtual void KeyDown(uint16_t& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void KeyUp(uint16_t& key, TShiftState shift);
    // Types one character in place of the selection as the keyboard does: in overwrite mode it
    // replaces the character under the caret, and Enter indents the new line. Nothing when read-only.
    void InsertTypedChar(char ch);
    // Fills blanks from the caret to the next tab stop, or with smoTabToColumn to where the next
    // word starts in the nearest longer line above. Nothing when read-only.
    void TabToColumn();
    // Start of the word before the caret (-1: none) and start of the word after it (-1: at the end).
    int WordLeft();
    int WordRight();
    // Code templates and auto-replace see every key-down before the key controller. TemplateKey
    // returns true when a template took the key, which then goes no further; AutoReplaceKey may
    // replace the word before the caret, after which the key goes on. Neither does anything here.
    virtual bool TemplateKey(uint16_t key, TShiftState shift);
    virtual void AutoReplaceKey(uint16_t key, TShiftState shift);
    // The template lists' OnExpand while this control has claimed them: replaces `key` before the
    // caret (empty from the pop-up list) by `text`, after OnTemplateEvent or OnAutoReplace had their
    // say, indenting the text's later lines to the key's column and putting the caret at its first
    // "|", as one undo step.
    virtual void ExpandMacro(TMacroKeywords& source, const std::string& key, std::string& text);

    // ---- bookmarks and text marks (CodeMemoBookmarks.cpp)
    // Numbered bookmarks 0..9 sit on display lines; an index above 9 raises ECodeMemo and changes
    // nothing. SetBookmark takes a 1-based line and column (line -1: the caret's); setting a bookmark
    // again on its own line removes it. GetBookmark gives them back, the column cut to the line.
    virtual void SetBookmark(int index, int line, int column);
    bool GetBookmark(int index, int& line, int& column);
    // Puts the caret on the bookmark and its line in the middle of the window.
    virtual void GotoBookmark(int index);
    // Named bookmarks at text offsets; they go when the text under them does.
    TCustomBookmarks& NamedBookmarks() { return *FNamedBookmarks; }
    TCustBookmark* AddNamedBookmark(const std::string& name, int position);
    // Text marks over ranges of offsets, painted through OnDrawMark; the handles stay valid until
    // OnMarkFree announces them. Operations on a handle the control does not hold do nothing.
    virtual TTextMark* AddMark(int start, int length, uint32_t data);
    virtual bool FindMark(int start, int length, TTextMark*& mark);
    virtual int MarkStart(TTextMark* mark);
    virtual void SetMarkStart(TTextMark* mark, int pos);
    virtual void SetMarkEnd(TTextMark* mark, int pos);
    virtual void DeleteMark(TTextMark* mark);
    virtual int MarkEnd(TTextMark* mark);
    // A marked range of kind `flag` (1: a search match), painted until ClearMarks.
    TTextMark* MarkRange(int start, int length, int flag);
    // Marks every range as MarkRange does, in one pass over the marks and with one paint.
    void MarkRanges(const std::vector<TTextRange>& ranges, int flag);
    void ClearMarks();
    // The marks; nil until the first is added.
    const TObjectList* TextMarks() const { return FTextMarks.get(); }
    // Prints the display lines the selection touches.
    virtual void PrintSelection();

    // Mouse: the inherited handling fires the class-library events.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    // Selects the word under a client point (the double click).
    virtual void SelectWordAtCaret(TPoint point);
    // The style byte of the character under the pointer's last position; 255 where there is none.
    uint8_t StyleAtCaret();
    // The run of equally styled characters around the one at the caret (at the end of a line, the one
    // before it), as GetTokenAt gives it; empty where there is none.
    void TokenAtCaret(std::string& text);
    // Drags the selection out of the control and returns what the drop did with it (copy, move or
    // nothing). A move of the control's own text into itself is done by its own drop, which sets
    // FMouse.DropStart and FMouse.DropGroupOpen (DragDrop.cpp).
    virtual Qt::DropAction DragSelection(Qt::DropActions allowed);

    // Undo log: the control starts with a log of its own; without one nothing can be undone and the
    // text never reads as modified.
    virtual bool CanUndo();
    virtual bool CanRedo();
    virtual void Undo();
    virtual void Redo();
    virtual bool GetModified();
    virtual void SetModified(bool value);
    TUndoStack* UndoStack() const { return FUndoStack; }
    // Attaches a log the caller keeps owning (nil detaches), then Change; the caller detaches it
    // before freeing it. The control's own log stays the control's while another is attached.
    virtual void SetUndoStack(TUndoStack* stack);
    // Commands bracket their edits in a group of a kind (ugTyping ...), which one undo undoes whole.
    // A begin while a group is open and an end of another kind are ignored.
    void BeginUndoGroup(int kind);
    void EndUndoGroup(int kind);
    TUndoRecorder& UndoRecorder();

    // Find and replace (FindReplace.cpp). SMM_FIND: with smsDirect a search at once (-1: none,
    // else the match position), else the find dialog opens (-1). SMM_REPLACE opens the replace dialog.
    virtual int DoFind(int flags, const char* text);
    virtual int DoReplace(int flags);
    // Searches `text` with the sms flags; a plain direct search leaves the selection, a
    // regular-expression one selects the match. True with `pos` the match start when found.
    bool FindText(const std::string& text, int& pos, uint16_t flags);
    // Repeats the last search at once, going on past the last match (or a selection that equals the
    // search text), and selects the match; reports a failure (OnSearchFail or a message) and is false
    // when there is none.
    bool FindNext(int& pos);
    // The matches of the last search (SearchText with SearchFlags) from `from` on, as FindNext finds
    // them one after another with the caret put one character past the start of the match before:
    // overlapping matches count, a plain match is as long as SearchText and a regular expression's
    // runs to the end of its whole match. The selection stays, and nothing is reported. One watched
    // search: Escape stops it with the matches found so far. A backward search finds none.
    std::vector<TTextRange> MatchesFrom(int from);
    // Entry n of the last regular-expression match (n clamped to its element count), and that count.
    int MatchPos(uint8_t n);
    int MatchCount();
    // The start and text (at most 4096 characters) of the run of equally styled characters around
    // `pos`; (pos, "") where the text has no style bytes.
    void GetTokenAt(int pos, int& tokenStart, std::string& tokenText);
    // A replacement text with %n taking element n of the last regular-expression match.
    std::string ExpandReplacement(const std::string& text);
    // Replace all: every range of `matches` (ranges of the text as it stands, ascending) replaced by
    // its text in one pass per batch of ranges, from the first range on, as one undo step of
    // "Reemplazar todo" that undoes in one pass too. Between batches a long run shows the busy cursor
    // and Escape stops it, leaving the batches made (whole ranges, the first ones) as the undo step.
    // Returns how many ranges were replaced. The caret ends after the last new text made; the text is
    // drawn again once, at the end. A caller that places the caret elsewhere opens the group
    // (ugReplaceAll) itself around the call and the placing: the step then ends there, and its redo
    // puts the caret there again.
    int ReplaceMatches(const TRangeEdits& matches);
    // How many ranges one batch of ReplaceMatches takes; tests make it small.
    static void SetReplaceBatch(size_t ranges);
    // The last search text and flags, which FindNext repeats; the application keeps them per document.
    std::string SearchText;
    int SearchFlags = 0;
    // The dialogs while they exist, and their requests.
    TFindDialog* FindDialog() const { return FSearch.FindDialog.get(); }
    TReplaceDialog* ReplaceDialog() const { return FSearch.ReplaceDialog.get(); }
    virtual void FindDialogFind(TFindDialog* dialog);
    virtual void ReplaceDialogReplace(TReplaceDialog* dialog);
    // The error box of a regular expression that failed, and the report of a search that found nothing.
    void ShowRegExprError(const std::string& pattern);
    void SearchFailed(const std::string& text);
    // The engines the searches drive, kept between them: the last compiled expression with its
    // match, and the plain search's tables.
    TREParser& REParser() { return FREParser; }
    TSkipTable& SkipTable() { return FSkipTable; }

    // Export and clipboard: SaveSelection writes the plain forms itself and hands RTF and HTML to
    // the writers, which complete the highlighting first. Copy offers the ClipCopyFormats in one
    // go; paste takes text before HTML unless OnDataDrop says otherwise, and passes HTML through
    // FilterDroppedText. Cut and paste do nothing in a read-only control.
    virtual void SaveSelection(TStream& stream, int format);
    virtual void WriteRTF(TStream& stream);
    virtual void WriteHTML(TStream& stream);
    virtual void CutToClipboard();
    virtual void CopyToClipboard();
    virtual void PasteFromClipboard();
    virtual void FilterDroppedText(std::string& text, TSourceTypes sourceTypes);

    // Drag and drop (DragDrop.cpp). Enter finds the offered formats (files only with
    // smoProcessDroppedFiles) and refuses a drag that offers none; the drop lets OnDataDrop choose,
    // reads the first format left (HTML, text, Unicode text, files) and hands it to DropText. Each
    // answers the action the drop takes; Qt::IgnoreAction when it takes none.
    virtual bool DropTargetEnter(QDragEnterEvent* event);
    virtual bool DropTargetOver(QDragMoveEvent* event);
    virtual void DropTargetLeave();
    virtual bool DropTargetDrop(QDropEvent* event);
    // Inserts dropped text at the drop start as a copy or a move (own text: the selection moves),
    // in one undo group; file names go to OnFilesDropped first. `ownData` tells that the drop
    // carries this control's own drag data.
    virtual void DropText(std::string text, Qt::DropAction effect, TSourceTypes sourceTypes,
                          Qt::DropAction& effectResult, bool ownData);
    // The drop start follows the client point; the drop caret is drawn there.
    void UpdateDropCaret(TPoint point);
    // Where the paint event draws the drop caret, in client coordinates; empty when none shows.
    QRect DropCaretRect();
    // Ctrl copies, anything else moves; an action the source does not allow gives way to the other,
    // and with neither allowed the drag is refused.
    static Qt::DropAction EffectFromKeys(Qt::KeyboardModifiers keys, Qt::DropActions allowed);
    // The data a drag of the selection offers: the selected text with CR LF line ends as text.
    std::unique_ptr<QMimeData> SelectionDragData();

    // The settings' code templates, auto-replace list and key controller serve one editor at a
    // time: Claim points them at this control (on focus, clicks and template keys), Release lets go
    // of those that still point here and closes the pop-up list (when the control goes).
    virtual void ClaimSettingsObjects();
    virtual void ReleaseSettingsObjects();

protected:
    // Messages nobody handles; the result is 0.
    virtual void DefaultHandler(TMessage& message);
    // Runs the drag loop of a drag of the selection and returns what the drop did.
    virtual Qt::DropAction ExecDrag(QDrag& drag, Qt::DropActions allowed);
    // Ends the undo group and the Lines update that a drop of its own drag into the control opened.
    void closeOwnDrop();
    virtual void DoEnter();
    virtual void DoExit();

    // ---- Qt's events, all translated in one place
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

    // ---- hooks of the editing core
    void highlightPending() override { Rehighlight(); }
    void notifyChange() override;
    void setRedraw(bool on) override;
    void beginLinesUpdate() override;
    void endLinesUpdate() override;
    void requestFullRepaint() override { FFullRepaint = true; }
    void repaintText() override { Paint(); }
    void revealOffset(int offset) override { MakeOffsetVisible(offset); }
    void refreshScrollBars() override { UpdateScrollBars(); }
    void rewrapAll() override { Rewrap(nullptr, nullptr); }
    void rewrapLines(TLineRecord* first, TLineRecord* last) override { Rewrap(first, last); }
    uint32_t optionWord() const override { return FSettings->Options; }
    int indentStep() const override { return FSettings->IndentStep; }
    int nextTabColumn(int column) const override { return NextTabColumn(column); }
    TTabStops tabStops() const override;
    void openUndoGroup(int kind) override;
    void closeUndoGroup(int kind) override;
    void logReplaceStart(std::string_view newText) override;
    void logReplaceEnd() override;
    void logInsertion(int offset, std::string_view chars) override;
    void logRemoval(int offset, std::string_view chars) override;
    void logRangesStart() override;
    void logRangesEnd(TRangeEdits&& edits) override;
    void clearUndoLog() override;
    void adjustMarksForInsert(int offset, int count) override;
    void adjustMarksForDelete(int start, int count) override;
    void adjustMarksForEdits(const TRangeEdits& edits) override;
    void clearNamedBookmarks() override;

    // ---- view state shared with the other units (the view's geometry is FView, in the core)
    int FWWidth = 8;
    bool FFixedPitch = false;
    bool FMetricsMeasured = false;
    bool FFullRepaint = true;
    bool FMetricsStale = false;
    bool FGutterLayoutStale = true;
    bool FPaintSuspended = false;
    bool FLoading = false;
    // Every record was just made by a load: none holds styles, and each is marked changed.
    bool FFreshRecords = false;
    bool FPrinting = false;
    bool FDestroying = false;
    bool FCaretAfterEOL = false;
    bool FVerticalMoveRequest = false;
    bool FRehighlightFlag = true;
    bool FReadOnly = false;
    bool FShowFocusLine = false;
    TUndoStack* FUndoStack = nullptr;
    // The widest display line the painter met, TABs expanded.
    int FLongestLine = 0;
    QScrollBar* FHorzBar = nullptr;
    QScrollBar* FVertBar = nullptr;
    TKeyboardState FKeys;
    TMouseState FMouse;

private:
    class LoadScope;
    friend class TLinePainter;

    // Runs one print job: the printer's page gets the lines First..Last (all of them when Last is 0).
    void printLines(int first, int last);
    // Puts the screen back after printing or preview pages: metrics, fonts and a repaint.
    void endPrinting();

    // The commands of ExecuteCommand, one object per command run.
    class CommandRunner;
    // One run of word wrap over a range of logical lines.
    class LineWrapper;
    void autoScrollTick();
    // The widest line the bars and scrolling allow for: the longest record or the widest line painted.
    int longestLineForScrolling() { return std::max(LongestLineLength(), FLongestLine); }
    // The mouse handling, one object per mouse event.
    class MouseInput;
    // Reads the system's double-click time (in the constructor).
    void initMouse();
    // The mouse handling's part in auto-scroll while it holds a drag: the edges past which the
    // pointer counts as outside, and what follows the pointer once the view moved.
    bool mouseHoldsDrag() const { return FMouse.Selecting || FMouse.DragMoving || FMouse.MarginDragging; }
    TRect mouseScrollEdges();
    void mouseFollowDrag(TPoint pointer);
    // The pop-up list of a template list's entries, created on first use.
    class TemplatePopup;
    QPointer<TemplatePopup> FTemplatePopup;
    // Offers a key-down to a template list; true when the list took it.
    bool offerKeyToList(TMacroKeywords& list, uint16_t key, TShiftState shift);

    // Brings the undo log back in line with the text unless dismissed when the edit succeeded.
    [[nodiscard]] TScopeGuard editFailureScope();
    // Runs `edit` as one undo group of `kind`, closed also when the edit throws.
    template <class Edit> void inUndoGroup(int kind, Edit&& edit)
    {
        TScopeGuard group = undoGroupScope(kind);
        edit();
    }

    // Message handlers.
    void smmSelection(TMessage& m);
    void smmOptions(TMessage& m);
    void smmInsertText(TMessage& m);
    // Types each character: those of Windows-1252 as key presses, the others as references.
    void typeCharacters(const QString& text);
    void smmSuspendPaint(TMessage& m);
    void smmLoadStream(TMessage& m);
    void smmGetSelText(TMessage& m);
    void smmTopLine(TMessage& m);
    void smmLeftColumn(TMessage& m);
    void smmSettingsChanged(TMessage& m);
    void smmSetStyles(TMessage& m);
    void smmGetStyles(TMessage& m);
    void wmSize(TMessage& m);
    void wmSetRedraw(TMessage& m);
    void wmSetText(TMessage& m);
    void emReplaceSel(TMessage& m);
    void wmGetText(TMessage& m);
    void wmGetDlgCode(TMessage& m);
    void wmScroll(TMessage& m, bool vertical);
    void wmLButtonDblClk(TMessage& m);
    void wmDropFiles(TMessage& m);
    void emLineIndex(TMessage& m);
    void emLineLength(TMessage& m);
    void emGetLine(TMessage& m);
    void emCharFromPos(TMessage& m);
    void cmFontChanged(TMessage& m);
    std::vector<TLineRecord*> recordsOfLines(const TSelectionRange* lines);

    // The selection and the look the document writers take, with the highlighting completed.
    TExportSource exportSource();
    void completeHighlighting();
    // The clipboard's text in a format, up to its first NUL; raises ECodeMemo when it cannot be held.
    std::string readPastedText(unsigned format);

    // Writes the stored text from `start` to `end` in a plain format (0/1 CR LF, 8 LF). Put out (any
    // format but 0, the stored one the undo log replays) a mark that begins no held character in the
    // range is the "&" it shows as: a text handed out and back (a text tool, a tag put around the
    // selection) then keeps what the author saw, where the text-setting messages take a stray mark
    // for the control character it is.
    void writePlainText(TStream& stream, int start, int end, int format);
    // Bytes a plain format takes for a range, counted without building the text.
    int64_t plainTextSize(int start, int end, int format);
    // Bytes the selection takes in a format, without building it for the plain ones.
    int64_t selectionOutputSize(int format);
    // Every record between the ends of a range gets flag 1.
    void flagRange(int start, int end);
    // Records the option word and wrap column, and whether wrapping must be redone since the last switch.
    void noteWrapChange();
    void takeSwitchCopies();
    // Registers with the active settings as a client, and leaves the settings registered with.
    void joinSettings();
    void leaveSettings();
    void clientAreaChanged();
    QRect clientRect() const;
    void createCaret(const QRect& rect);
    void destroyCaret();
    void blinkCaret();
    void applyScrollBarStyle();
    // One handler per kind of Qt event, all called from event() under its one catch. The key press
    // is false for a key the control leaves to the focus chain and the dialog.
    void handleShowEvent();
    void handlePaintEvent();
    void handleFocusEvent(bool in);
    void handleFontChangeEvent();
    bool handleKeyPressEvent(QKeyEvent* key);
    void handleKeyReleaseEvent(QKeyEvent* key);
    void handleInputMethodEvent(QInputMethodEvent* input);
    void handleMouseEvent(QMouseEvent* mouse);
    void handleWheelEvent(QWheelEvent* wheel);
    void handleDragEvent(QDragMoveEvent* drag);
    void handleDropEvent(QDropEvent* drop);
    // Tells the user of the exception being handled; Qt's event dispatch must not see it.
    void handleEventError();

    std::unique_ptr<TSM_Settings> FOwnSettings;
    TSM_Settings* FSettings = nullptr;
    // The settings this control is registered with as a client (none while a switch is half done).
    TSM_Settings* FJoinedSettings = nullptr;
    uint32_t FSwitchOptions = 0;
    int FSwitchWrapColumn = 0;
    bool FWrapPending = false;

    std::array<TCustomCodeMemoParser*, kParserSlots> FParsers{};
    int FActiveParser = 1;
    // The active parser while a load keeps it out of its slot; emptied if the parser goes meanwhile.
    TCustomCodeMemoParser* FParkedParser = nullptr;
    bool FParked = false;

    std::unique_ptr<TCodeMemoStrings> FLines;
    std::unique_ptr<TSM_CaretControl> FCaretControl;
    std::unique_ptr<TEdStream> FHighlightCursor;
    // Set when a run was put off or broken off; its start record then counts as flagged for restart
    // even if a paint cleared the flag meanwhile.
    bool FHighlightDeferred = false;
    // Colouring in slices (Highlighter.cpp): the timer that runs the next slice from the event loop,
    // the length of a slice, and the size of uncoloured text below which a run colours it at once.
    QTimer FColourTimer;
    std::chrono::milliseconds FColourSliceTime{6};
    int64_t FColourInSlicesAbove = 1 << 19;
    TRunOutcome runFrom(TCustomCodeMemoParser& parser, TLineRecord* start, const TRunLimits& limits,
                        const TLineRecord* known, int knownStart);
    void tokenSeen(int marker);
    TLineRecord* colourFrontier();
    void stopColouring();
    void noteRunEnd(TLineRecord* start, const TRunOutcome& outcome, bool mayPause);
    const TLineRecord* knownPlaceFor(const TLineRecord* start, int& knownStart);
    TRunLimits sliceLimits(bool firstRun) const;
    // True when a record in the window has new style bytes not yet painted.
    bool visibleRecordsRecoloured();
    // Colours what waits for slices up to the record before `until` (nil: to the end).
    void colourUntil(const TLineRecord* until);
    // The undo recorder, the control's own log and the replay through messages.
    std::unique_ptr<TCodeMemoUndo> FUndo;
    // Bookmarks and marks: the column of each numbered bookmark (0: not set).
    std::array<uint16_t, 10> FBookmarkColumns{};
    std::unique_ptr<TCustomBookmarks> FNamedBookmarks;
    std::unique_ptr<TObjectList> FTextMarks;
    std::vector<TTextMark*> FMarksFound;
    void createNamedBookmarks();
    // The text marks, made with the control's handlers on first use.
    TObjectList& textMarks();
    // Frees the marks and named bookmarks, each announced, while the control's events can still run.
    void releaseMarks();
    TREParser FREParser;
    TSkipTable FSkipTable;
    // The drag and drop's part: what the current drag offers, and the data of a drag this control runs.
    TSourceTypes FDropOffered = 0;
    const QMimeData* FDragData = nullptr;
    // One find or replace request.
    class FindReplace;
    TSearchState FSearch;

    TBorderStyle FBorderStyle = bsSingle;
    TScrollStyle FScrollBars = ssBoth;
    TSaveFormat FSaveFormat = sfTEXT;
    std::string FDocumentName;
    // The control's font as it was asked for; Qt's font is the installed face that draws it.
    std::string FFontName;
    int FFontSize = 10;
    uint8_t FFontCharset = DEFAULT_CHARSET;
    // Set while the control gives Qt a font it has described already.
    bool FFontDescribed = false;
    // Set while the settings give the control their font: the change must not flow back.
    bool FFontFromSettings = false;
    bool FInFontChanged = false;
    bool FFontWriteBack = true;
    bool FWindowCreated = false;
    int64_t FLastDoubleClick = 0;

    // Display-line buffers and run fonts of the painter and the metrics.
    std::unique_ptr<TPainterState> FPainterState;
    std::unique_ptr<TPagingState> FPaging;
    mutable std::optional<TPageSetup> FPageSetup;
    mutable std::optional<TRect> FPrintRect;
    QImage FBackBuffer;
    // Set when the back buffer must be painted whole before Qt shows it.
    bool FBufferStale = true;
    bool FInQtPaint = false;
    int64_t FPaintsDone = 0;
    // Open paint batches, and whether a paint was asked for inside them.
    int FPaintBatches = 0;
    bool FPaintWanted = false;
    bool FCaretCreated = false;
    bool FCaretBlinkOn = false;
    QRect FCaretRect;
    QTimer FCaretTimer;
    QTimer FAutoScrollTimer;
    bool FAutoScrollMovesCaret = true;
    bool FAutoScrollRepaint = true;
};

// The control as forms place it: six parser slots and the choice of the active one.
class TCodeMemo : public TCustomCodeMemo {
    Q_OBJECT
public:
    explicit TCodeMemo(QWidget* parent = nullptr) : TCustomCodeMemo(parent) {}

    TCustomCodeMemoParser* Parser1() const { return Parser(1); }
    TCustomCodeMemoParser* Parser2() const { return Parser(2); }
    TCustomCodeMemoParser* Parser3() const { return Parser(3); }
    TCustomCodeMemoParser* Parser4() const { return Parser(4); }
    TCustomCodeMemoParser* Parser5() const { return Parser(5); }
    TCustomCodeMemoParser* Parser6() const { return Parser(6); }
    void SetParser1(TCustomCodeMemoParser* p) { SetParserSlot(1, p); }
    void SetParser2(TCustomCodeMemoParser* p) { SetParserSlot(2, p); }
    void SetParser3(TCustomCodeMemoParser* p) { SetParserSlot(3, p); }
    void SetParser4(TCustomCodeMemoParser* p) { SetParserSlot(4, p); }
    void SetParser5(TCustomCodeMemoParser* p) { SetParserSlot(5, p); }
    void SetParser6(TCustomCodeMemoParser* p) { SetParserSlot(6, p); }
};
