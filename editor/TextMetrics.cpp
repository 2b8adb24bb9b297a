// Text metrics of the editor control: line height, character width, tab columns, and columns, indexes and pixels through TABs and styled fonts.
#include <QFontMetrics>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>

#include "editor/CodeMemo.h"
#include "editor/Painter.h"
#include "platform/FontsQt.h"
#include "platform/Win1252Qt.h"

namespace {

// A TAB never spans more columns than this, so that tab settings read from a file cannot make a
// line of a few characters millions of columns wide.
constexpr int kMaxTabWidth = 1024;
// Without style bytes, proportional text is measured in pieces of this many characters.
constexpr int kUnstyledRun = 5;

} // namespace

// ---------------------------------------------------------------- metrics

void TCustomCodeMemo::UpdateMetrics()
{
    // The target: a preview page, the printer, or the screen.
    const TPreviewState& preview = PreviewState();
    int dpi = ScreenPixelsPerInch();
    if (preview.Active && preview.Canvas && preview.Canvas->device())
        dpi = preview.Canvas->device()->logicalDpiY();
    else if (FPrinting)
        dpi = FSettings->PrinterPixelsPerInch;

    // Lines are as high as the bold italic face needs, so every style fits the same rows.
    TFontHandle boldItalic = MakeEditorFont(FFontName, FFontSize, fsBold | fsItalic, FFontCharset, true, dpi);
    QFontMetrics slanted(ToQFont(*boldItalic));
    FView.LineHeight = slanted.height() + std::max(0, slanted.leading()) + 1;
    FView.CharWidth = slanted.averageCharWidth();
    if (FView.CharWidth < 1)
        FView.CharWidth = 7;
    if (FView.LineHeight < 1)
        FView.LineHeight = 17;
    FFixedPitch = slanted.horizontalAdvance(QLatin1Char('i')) == slanted.horizontalAdvance(QLatin1Char('W'));
    if (FFixedPitch) {
        // The grid every character is placed on, in every style.
        TFontHandle plain = MakeEditorFont(FFontName, FFontSize, 0, FFontCharset, true, dpi);
        FWWidth = std::max(1, QFontMetrics(ToQFont(*plain)).horizontalAdvance(QLatin1Char('W')));
        FView.CharWidth = FWWidth;
    } else {
        FWWidth = 8;
    }
    // Only a fixed-pitch font gives the columns past a line's end a place the caret can stand at.
    FCaretAfterEOL = FFixedPitch;

    int width = 0, height = 0;
    if (preview.Active) {
        width = preview.PageWidth - (FPrinting ? FSettings->Gutter : TextLeft());
        height = preview.PageHeight;
    } else if (FPrinting) {
        width = PrintRect().Width() - FSettings->Gutter;
        height = PrintRect().Height();
    } else {
        width = FView.ClientWidth - TextLeft();
        height = FView.ClientHeight;
    }
    FView.CountWindow(width, height);
    FMetricsMeasured = true;
    FMetricsStale = false;
    FPainterState->Forget();
    FPainterState->PixelsPerInch = dpi;
}

int TCustomCodeMemo::TextLeft() const
{
    int left = FSettings->Margin;
    if (FSettings->Options & OptionBit(smoShowGutter))
        left += FSettings->Gutter;
    return left;
}

int TCustomCodeMemo::FixedRunWidth(int count) const
{
    return std::max(0, count) * FView.CharWidth;
}

int TCustomCodeMemo::NextTabColumn(int column) const
{
    int64_t next = -1;
    for (int i = 0; i < TSM_Settings::kTabStopCount; ++i) {
        int32_t stop = FSettings->GetTabColumn(i);
        if (stop < 1)
            break;
        if (stop > column) {
            next = stop;
            break;
        }
    }
    if (next < 0) {
        int64_t step = std::max(1, FSettings->TabDefault);
        next = step - column % step + column;
    }
    return static_cast<int>(std::min<int64_t>(next, static_cast<int64_t>(column) + kMaxTabWidth));
}

TCodeMemoCore::TTabStops TCustomCodeMemo::tabStops() const
{
    static_assert(std::tuple_size_v<TTabStops> == TSM_Settings::kTabStopCount + 1);
    TTabStops stops{FSettings->TabDefault};
    for (int i = 0; i < TSM_Settings::kTabStopCount; ++i)
        stops[static_cast<size_t>(i) + 1] = FSettings->GetTabColumn(i);
    return stops;
}

// ---------------------------------------------------------------- indexes and columns

int TCustomCodeMemo::IndexToColumn(int index, const TLineRecord* record) const
{
    if (!record)
        return 0;
    if (record->Flags & lfHasTab) {
        int column = 0;
        for (int i = 0; i < index && i < record->Len; ++i)
            column = record->Text[i] == '\t' ? NextTabColumn(column) : column + 1;
        return column;
    }
    if (index < record->Len)
        return std::max(0, index);
    return record->EndsWithCR() && record->Next ? record->Len - 1 : record->Len;
}

int TCustomCodeMemo::ColumnToIndex(int column, const TLineRecord* record) const
{
    if (!record)
        return 0;
    int len = record->Len;
    if (record->Flags & lfHasTab) {
        if (column <= 0)
            return 0;
        int walked = 0;
        for (int c = 0; walked < len && c < column; ++walked)
            c = record->Text[walked] == '\t' ? NextTabColumn(c) : c + 1;
        return walked >= len ? std::max(0, len - 1) : walked;
    }
    if (column < len)
        return std::max(0, column);
    if (record->Next || record->EndsWithCR())
        return std::max(0, len - 1);
    return len;
}

const TDisplayLine& TCustomCodeMemo::ExpandLine(const TLineRecord& record, int recordOffset)
{
    TTextRange selection = OrderedSelection();
    FPainterState->Line.Expand(*this, record, selection.Start - recordOffset, selection.End - recordOffset);
    return FPainterState->Line;
}

// ---------------------------------------------------------------- pixels

namespace {

// Walks the runs of a display line from `column` as the painter draws them: stretches of equal style
// bytes in their styles' fonts, or, for a line without style bytes (or with colouring off), pieces of
// a few characters in the default font.
class RunWalk {
public:
    RunWalk(const TDisplayLine& line, const TSM_Settings& settings, TPainterState& state, const TCustomCodeMemo& memo,
            int column)
        : Column(column), FLine(line), FSettings(settings), FState(state), FMemo(memo),
          FStyled(line.Styles && settings.HasOption(smoSyntaxHighlight))
    {
    }
    // Moves to the next run; false past the last display column.
    bool next()
    {
        if (Column >= FLine.Length)
            return false;
        End = std::min(Column + kUnstyledRun, FLine.Length);
        const TFontHandle* handle = &FSettings.GetStyle(0).Font;
        if (FStyled) {
            uint8_t token = FLine.Styles[Column];
            End = Column + 1;
            while (End < FLine.Length && FLine.Styles[End] == token)
                ++End;
            if (FSettings.TokenStyle(token).Font)
                handle = &FSettings.TokenStyle(token).Font;
        }
        Metrics = &FState.FontOf(*handle, FMemo).Metrics;
        return true;
    }
    int widthTo(int column) const
    {
        return Metrics->horizontalAdvance(
            FromShownText(std::string_view(FLine.Chars + Column, static_cast<size_t>(column - Column))));
    }
    void advance() { Column = End; }

    int Column;
    int End = 0;
    const QFontMetrics* Metrics = nullptr;

private:
    const TDisplayLine& FLine;
    const TSM_Settings& FSettings;
    TPainterState& FState;
    const TCustomCodeMemo& FMemo;
    bool FStyled;
};

} // namespace

int TCustomCodeMemo::PixelOfColumn(int column, const TLineRecord* record)
{
    if (column < FView.LeftColumn)
        return -1;
    if (!record)
        return TextLeft();
    const TDisplayLine& line = ExpandLine(*record, 0);
    int x = TextLeft();
    // Past the last display column the position is the end of the last run.
    if (FFixedPitch)
        return x + FixedRunWidth(std::min(column, line.Length) - FView.LeftColumn);
    RunWalk run(line, *FSettings, *FPainterState, *this, FView.LeftColumn);
    while (run.next()) {
        if (column < run.End)
            return x + run.widthTo(column);
        x += run.widthTo(run.End);
        run.advance();
    }
    return x;
}

int TCustomCodeMemo::ColumnAtPixel(int x, const TLineRecord* record)
{
    if (!record)
        return 0;
    const TDisplayLine& line = ExpandLine(*record, 0);
    int left = TextLeft();
    if (FView.LeftColumn >= line.Length)
        return line.Length;
    // The nearer character boundary wins.
    if (FFixedPitch) {
        int distance = x - left;
        if (distance < 0)
            return FView.LeftColumn;
        int column = FView.LeftColumn + distance / FView.CharWidth + (distance % FView.CharWidth >= FView.CharWidth / 2 ? 1 : 0);
        return std::min(column, line.Length);
    }
    RunWalk run(line, *FSettings, *FPainterState, *this, FView.LeftColumn);
    while (run.next()) {
        int width = run.widthTo(run.End);
        if (left + width >= x) {
            int before = left;
            for (int column = run.Column; column < run.End; ++column) {
                int after = left + run.widthTo(column + 1);
                if (x <= after)
                    return x - before >= (after - before) / 2 ? column + 1 : column;
                before = after;
            }
            return run.End;
        }
        left += width;
        run.advance();
    }
    return line.Length;
}

void TCustomCodeMemo::LogicalPosition(int line, int column, int& logicalColumn, int& logicalLine)
{
    int count = 0;
    int carried = 0;
    TLineRecord* record = FirstRecord();
    for (int i = 1; i < line && record; ++i, record = record->Next) {
        if (record->EndsWithCR()) {
            ++count;
            carried = 0;
        } else {
            carried += record->Len;
        }
    }
    logicalColumn = ColumnToIndex(column - 1, record) + carried + 1;
    logicalLine = count + 1;
}
