// The line painter: TPaintContext, the display-line buffers, print pieces and PaintLines, one renderer for screen, printer and preview pages.
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPointF>
#include <QRawFont>
#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "editor/model/LineStore.h"
#include "platform/Printer.h"
#include "platform/core/Fonts.h"
#include "platform/core/Geometry.h"

class QPaintDevice;
class QPainter;
class TCustomCodeMemo;

// Where a page's text starts on paper: the source record and its offset, the piece of the record the
// page begins with (cut at PieceWidth characters) and the number its line is printed with. PrintPage
// keeps the start of the page after the last one it laid out, so that asking pages 1, 2, 3... in turn
// lays each page out once instead of every page before it again.
struct TPageStart {
    int Page = 0; // 0: nothing kept
    TLineRecord* Source = nullptr;
    int SourceOffset = 0;
    int Piece = 0;
    int PieceOffset = 0; // text offset of that piece's first character
    int PieceWidth = 0;
    int PrintNumber = 1;
};

// What screen painting, printing and preview pages fill in to drive PaintLines. Fields not named by
// a caller stay 0.
struct TPaintContext {
    TRect Area;                     // client rectangle, printer page or preview page
    QPaintDevice* Canvas = nullptr; // the target device
    QPainter* DC = nullptr;         // all text and lines go here
    uint8_t PageMode = 0;           // 1: draw only page First; the pages before it are laid out only
    uint8_t Printing = 0;           // 1: paper rules (header, footer, line numbers, pieces); 0: screen
    uint8_t LineRange = 0;          // 1: print only display lines First..Last (1-based)
    int32_t PageNo = 0;             // set to 1 on entry; -1 on return when the text ended (preview)
    int32_t StartY = 0;             // where paper output resumes; on return, below the last line
    int32_t First = 0;
    int32_t Last = 0;
    // Page mode only. In: a page start to go on from when its page is 2..First (the pages before it
    // are not laid out again). Out: the start of the page after the last page laid out, or nothing
    // when the text ended.
    TPageStart* Resume = nullptr;
};

// Draws the control's text into the context. On screen only the records flagged 0x01 or 0x02 are
// drawn; every record passed loses its flags 0x01, 0x02 and 0x10.
void PaintLines(TCustomCodeMemo& memo, TPaintContext& context);

// The document's name as a page header shows it in `room` pixels beside the date: whole when it fits,
// else without as many of its first folders as it must lose ("\u2026/sitio/index.html"), its file's name
// whole when that fits at all.
QString HeaderTitle(const QString& name, const QFontMetrics& metrics, int room);

// The date and time a page header shows: the long date with Spanish names whatever the locale, and
// the time to the second ("martes, 8 de diciembre de 2026 - 06:21:05").
std::string PageHeaderDate(const std::tm& when);

// A text mark drawn as a red zig-zag along the bottom of `rect`, cut at the client width.
void DrawMarkDefault(TCustomCodeMemo& memo, QPainter& dc, const TRect& rect);

// One record as it is shown: TABs expanded to blanks up to the next tab column, with the maps between
// source indexes and display columns. A record without TABs is used in place.
class TDisplayLine {
public:
    // `selStart` and `selEnd` are the ordered selection relative to the record's first character.
    void Expand(const TCustomCodeMemo& memo, const TLineRecord& record, int selStart, int selEnd);

    const char* Chars = nullptr;     // Length characters followed by a NUL
    const uint8_t* Styles = nullptr; // nullptr when the record has no style bytes
    int Length = 0;
    int SelStart = 0; // the selection as display columns of this line (may lie outside it)
    int SelEnd = 0;

    // Display column of a source index; indexes outside the record keep their distance to it.
    int ColumnOfIndex(int index) const;
    // Source index shown at a display column (0..Length-1).
    int IndexOfColumn(int column) const;
    // True when the display column is one of the blanks a TAB became.
    bool FromTab(int column) const;

private:
    bool FIdentity = true;
    int FSourceLength = 0;
    const char* FSource = nullptr;
    // Grown with the longest expanded line; never shrunk, so painting does not allocate per line.
    std::vector<char> FChars;
    std::vector<uint8_t> FStyles;
    std::vector<int32_t> FSourceToColumn;
    std::vector<int32_t> FColumnToSource;
};

// A font the painter draws runs in, with what drawing needs of it at hand.
struct TRunFont {
    TRunFont(TFontHandle handle, const QFont& font);
    TFontHandle Handle; // held so that the font's address is not reused while it is cached here
    QFont Font;
    QFontMetrics Metrics;
    QRawFont Raw; // glyphs placed one by one on the character grid
};

// What the painter and the metrics keep between calls: the display line and the fonts of the runs.
struct TPainterState {
    TDisplayLine Line;
    std::vector<std::unique_ptr<TRunFont>> Fonts;
    std::unique_ptr<TRunFont> Fallback; // the control's font, for styles that have none
    std::vector<QChar> Chars;
    std::vector<quint32> Glyphs;
    std::vector<QPointF> Positions;
    // Resolution of the target the metrics were last measured for.
    int PixelsPerInch = 96;
    // The font of a style handle; `handle` nullptr gives the control's font at the target resolution.
    // The reference stays valid until Forget or TrimFonts.
    TRunFont& FontOf(const TFontHandle& handle, const TCustomCodeMemo& memo);
    // Drops every font (the metrics changed).
    void Forget();
    // Drops the fonts when old ones piled up; called where no reference is held.
    void TrimFonts();
};

// The pieces one record is printed in: a copy of the whole record, or with print wrap pieces cut after
// the last blank within `width` characters, the blanks after it going with the piece. Every piece of a
// non-empty record holds at least one character, so a page too narrow for a single column still
// makes progress.
using TPrintPieces = std::vector<std::unique_ptr<TLineRecord>>;
void MakePrintPieces(const TCustomCodeMemo& memo, const TLineRecord& record, int width, bool wrap,
                     TPrintPieces& pieces);

// What PrintPage keeps between calls: the paging scopes open, the page device the fonts were last
// made for within them, and the start of the next page with what that start holds for.
struct TPagingState {
    int Depth = 0;
    bool Measured = false;
    int PixelsPerInch = 0;
    int PageWidth = 0;
    int PageHeight = 0;
    TPageStart Next;
    // The start holds while the text, the page's text area, the measures of a line and the paper
    // options are what they were when it was found.
    struct TKey {
        TRect Area;
        int LineHeight = 0;
        int CharWidth = 0;
        uint32_t Options = 0;
        std::vector<int> TabColumns;
        uint64_t Layout = 0;
        int TextLength = 0;
        bool HeaderHandler = false;
        bool operator==(const TKey&) const = default;
    } Key;
};

// The preview state all editors share: set while PrintPage paints a page (and while printing, with
// the printer's canvas), and the size of the page the painter last drew on.
struct TPreviewState {
    bool Active = false;
    QPainter* Canvas = nullptr;
    int PageWidth = 0;
    int PageHeight = 0;
};
TPreviewState& PreviewState();

// The printer's page (0, 0, width, height); (0, 0, 2550, 3300) when no printer is installed.
TRect DefaultPrintRect();
