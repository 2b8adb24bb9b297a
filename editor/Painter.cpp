// The line painter: PaintLines draws records as runs of equal style with gutter, margin, marks and markers, on screen and on paper.
#include "editor/Painter.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPicture>
#include <algorithm>
#include <ctime>

#include "editor/CodeMemo.h"
#include "editor/Glyphs.h"
#include "platform/FontsQt.h"
#include "platform/GraphicsQt.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/DateText.h"
#include "platform/core/SysUtils.h"
#include "platform/Win1252Qt.h"

namespace {

// Printed line numbers ("%6d:") take this many character widths left of the text.
constexpr int kLineNumberColumns = 10;
// The gutter's white line needs at least this much room.
constexpr int kGutterLineMinWidth = 10;
// Gutter glyphs: the bookmark glyph at the gutter's left, the line's own glyph after it.
constexpr int kMarkGlyphX = 1;
constexpr int kLineGlyphX = 17;
// Bits of MarkBits and GlyphBits that name a glyph of the strip; higher bits name none and are ignored.
constexpr uint16_t kGlyphBitsInStrip = (1u << kGutterGlyphCount) - 1;
// The font cache is emptied at the start of a pass when it holds more than this many fonts, which
// happens only when shared settings rebuilt their fonts many times under this control.
constexpr size_t kFontCacheLimit = 64;

int highestBit(uint16_t bits)
{
    int n = -1;
    for (int i = 0; i < 16; ++i)
        if (bits & (1u << i))
            n = i;
    return n;
}

bool beginsLogicalLine(const TLineRecord& record)
{
    return !record.Prev || record.Prev->EndsWithCR();
}

// The glyph bitmaps of invisible characters are white on black; they are put on the text in one colour
// with the glyph's brightness as coverage, which works on every device.
void drawGlyphMask(QPainter& canvas, const TGlyphBitmap* glyph, int x, int y, int height, const QColor& colour)
{
    if (!glyph)
        return;
    const QImage& source = ToQImage(*glyph);
    int rows = std::min(source.height(), std::max(0, height));
    if (rows == 0 || source.width() == 0)
        return;
    QImage mask(source.width(), rows, QImage::Format_ARGB32);
    for (int row = 0; row < rows; ++row) {
        auto* out = reinterpret_cast<QRgb*>(mask.scanLine(row));
        for (int col = 0; col < source.width(); ++col)
            out[col] = qRgba(colour.red(), colour.green(), colour.blue(), qGray(source.pixel(col, row)));
    }
    canvas.drawImage(x, y, mask);
}

QColor inverted(const QColor& colour)
{
    return QColor(255 - colour.red(), 255 - colour.green(), 255 - colour.blue());
}

} // namespace

// ---------------------------------------------------------------- display line

void TDisplayLine::Expand(const TCustomCodeMemo& memo, const TLineRecord& record, int selStart, int selEnd)
{
    FSource = record.Text.get();
    FSourceLength = record.Len;
    if (!(record.Flags & lfHasTab)) {
        FIdentity = true;
        Chars = record.Text.get();
        Styles = record.Styles.get();
        Length = record.Len;
        SelStart = selStart;
        SelEnd = selEnd;
        return;
    }
    FIdentity = false;
    const char* text = record.Text.get();
    const uint8_t* styles = record.Styles.get();
    FChars.clear();
    FStyles.clear();
    FColumnToSource.clear();
    FSourceToColumn.resize(static_cast<size_t>(record.Len) + 1);
    int column = 0;
    for (int i = 0; i < record.Len; ++i) {
        FSourceToColumn[static_cast<size_t>(i)] = column;
        char ch = text[i];
        int next = ch == '\t' ? memo.NextTabColumn(column) : column + 1;
        // Every blank of a TAB carries the TAB's style byte.
        uint8_t style = styles ? styles[i] : 0;
        for (; column < next; ++column) {
            FChars.push_back(ch == '\t' ? ' ' : ch);
            FStyles.push_back(style);
            FColumnToSource.push_back(i);
        }
    }
    FSourceToColumn[record.Len] = column;
    FChars.push_back('\0');
    Chars = FChars.data();
    Styles = styles ? FStyles.data() : nullptr;
    Length = column;
    SelStart = ColumnOfIndex(selStart);
    SelEnd = ColumnOfIndex(selEnd);
}

int TDisplayLine::ColumnOfIndex(int index) const
{
    if (FIdentity || index <= 0)
        return index;
    if (index >= FSourceLength)
        return Length + (index - FSourceLength);
    return FSourceToColumn[static_cast<size_t>(index)];
}

int TDisplayLine::IndexOfColumn(int column) const
{
    if (FIdentity || column < 0 || column >= Length)
        return column;
    return FColumnToSource[static_cast<size_t>(column)];
}

bool TDisplayLine::FromTab(int column) const
{
    if (FIdentity || column < 0 || column >= Length)
        return false;
    return FSource[FColumnToSource[static_cast<size_t>(column)]] == '\t';
}

// ---------------------------------------------------------------- run fonts

TRunFont::TRunFont(TFontHandle handle, const QFont& font)
    : Handle(std::move(handle)), Font(font), Metrics(font), Raw(QRawFont::fromFont(font))
{
}

TRunFont& TPainterState::FontOf(const TFontHandle& handle, const TCustomCodeMemo& memo)
{
    if (!handle) {
        if (!Fallback) {
            TFontHandle own = MakeEditorFont(memo.FontName(), memo.FontSize(), 0, memo.FontCharset(), true,
                                             PixelsPerInch);
            const QFont& font = ToQFont(*own);
            Fallback = std::make_unique<TRunFont>(std::move(own), font);
        }
        return *Fallback;
    }
    for (auto& font : Fonts)
        if (font->Handle.get() == handle.get())
            return *font;
    Fonts.push_back(std::make_unique<TRunFont>(handle, ToQFont(*handle)));
    return *Fonts.back();
}

void TPainterState::Forget()
{
    Fonts.clear();
    Fallback.reset();
}

void TPainterState::TrimFonts()
{
    if (Fonts.size() > kFontCacheLimit)
        Fonts.clear();
}

// ---------------------------------------------------------------- the painter

class TLinePainter {
public:
    TLinePainter(TCustomCodeMemo& memo, TPaintContext& context);
    void Run();

private:
    // One display line: false when the pass is over.
    bool paintScreenLine();
    bool paintPaperLine();
    void paintGutter(const TLineRecord* record);
    void paintMargin();
    // Draws a display line's text and what goes with it; `offset` is its first character's offset.
    void paintLine(const TLineRecord& record, int offset);
    void drawText(const TDisplayLine& line, int columns);
    void drawStretch(const TDisplayLine& line, int from, int to, bool selected);
    void drawRun(const TDisplayLine& line, int from, int count, const TSM_TokenStyle& style, bool selected);
    void fillRest(bool selected);
    void drawChars(TRunFont& font, const char* chars, int count, int x, int baseline);
    void drawMarkers(const TDisplayLine& line, int from, int count, TRunFont& font, int x, const QColor& back);
    void drawLineEnd(const TLineRecord& record);
    void drawMarks(const TLineRecord& record, int offset, int columns);
    void drawMarginLines();
    void colours(const TSM_TokenStyle& style, bool selected, QColor& text, QColor& back) const;
    TRunFont& fontOf(const TSM_TokenStyle& style);
    // Paper.
    void drawPageFrame();
    void drawLineNumber(const TLineRecord& source);
    void nextPrintRecord();
    // Ends a paper page; false when the pass is over.
    bool endPage();

    TCustomCodeMemo& M;
    TPaintContext& C;
    TSM_Settings& S;
    TPainterState& State;
    QPainter& P;
    bool FPaper;
    // Painting into a recorded picture, which keeps a glyph run as outlines but a text item as text.
    bool FRecording;
    bool FColouring;
    bool FShowAllChars;
    bool FDisabled = false;
    bool FSelectionShown = false;
    bool FTransparentText = false;
    bool FPageShown = true;
    int FLineHeight;
    int FCharWidth;
    int FLeftColumn = 0;
    int FTextStart = 0;
    int FRight = 0;
    int FBottom = 0;
    int FX = 0;
    int FY = 0;
    int FMarkerX = -1;
    QColor FGutterColour, FMarginColour, FSelText, FSelBack, FLastFill;
    QPen FWrapPen;
    bool FWrapColumn = false;
    TFontHandle FGutterFont;
    std::vector<TMarkSpan> FMarks;

    // Screen walk; FOffset is the offset of the display line's first character on paper too.
    TLineRecord* FRecord = nullptr;
    int FOffset = 0;
    int FGutterNumber = 1;
    // Paper walk: the source record, its pieces and the printed line number.
    TLineRecord* FSource = nullptr;
    int FSourceOffset = 0;
    TPrintPieces FPieces;
    size_t FPiece = 0;
    bool FPiecesMade = false;
    int FPieceWidth = 0;
    // Where a resumed page takes up its first record: the piece, its offset and the width it was cut at.
    int FResumePiece = 0;
    int FResumeOffset = 0;
    int FResumeWidth = 0;
    int FRecordsPrinted = 0;
    int FPrintNumber = 1;
    bool FPageTop = false;
    int FLinesOnPage = 0;
};

TLinePainter::TLinePainter(TCustomCodeMemo& memo, TPaintContext& context)
    : M(memo),
      C(context),
      S(*memo.FSettings),
      State(*memo.FPainterState),
      P(*context.DC),
      FPaper(context.Printing != 0),
      FRecording(context.DC->device() && context.DC->device()->devType() == QInternal::Picture),
      FColouring(S.HasOption(smoSyntaxHighlight)),
      // A printed page is the page: the marks of blanks, TABs and line ends are for the screen only.
      FShowAllChars(S.HasOption(smoShowAllChars) && !FPaper),
      FLineHeight(std::max(1, memo.FView.LineHeight)),
      FCharWidth(std::max(1, memo.FView.CharWidth))
{
}

void TLinePainter::Run()
{
    C.PageNo = 1;
    PreviewState().PageWidth = C.Area.Width();
    PreviewState().PageHeight = C.Area.Height();
    if (M.FMetricsStale) {
        M.UpdateMetrics();
        M.FFullRepaint = true;
        FLineHeight = std::max(1, M.FView.LineHeight);
        FCharWidth = std::max(1, M.FView.CharWidth);
    }
    State.TrimFonts();
    if (!FPaper && M.FFullRepaint) {
        M.MarkVisibleForRepaint();
        M.FFullRepaint = false;
    }

    const TSM_TokenStyle& style0 = S.GetStyle(0);
    bool lineNumbers = S.HasOption(smoShowGutter) && S.HasOption(smoLineNumbers);
    if (FPaper) {
        bool printNumbers = S.HasOption(smoPrintLineNos);
        if (C.LineRange) {
            int first = std::max(1, C.First);
            int start = 0, index = 0;
            FSource = first <= M.FRecordCount ? M.RecordAtLine(first - 1, start, index) : nullptr;
            FSourceOffset = start;
            int column = 0;
            M.LogicalPosition(first, 1, column, FPrintNumber);
            // A range that starts inside a logical line numbers the next line after that one.
            if (FSource && !beginsLogicalLine(*FSource))
                ++FPrintNumber;
        } else {
            FSource = M.FirstRecord();
            // Pages laid out before need not be laid out again: go on from where the last of them ended.
            if (C.PageMode && C.Resume && C.Resume->Page >= 2 && C.Resume->Page <= C.First && C.Resume->Source) {
                const TPageStart& start = *C.Resume;
                C.PageNo = start.Page;
                FSource = start.Source;
                FSourceOffset = start.SourceOffset;
                FPrintNumber = start.PrintNumber;
                FResumePiece = start.Piece;
                FResumeOffset = start.PieceOffset;
                FResumeWidth = start.PieceWidth;
            }
        }
        if (C.PageMode && C.Resume)
            *C.Resume = TPageStart{};
        FTextStart = C.Area.Left + (printNumbers ? kLineNumberColumns * FCharWidth : 0);
        FY = std::max(0, C.StartY);
        FPageTop = FY == 0;
        FRight = C.Area.Right;
        FBottom = C.Area.Bottom;
    } else {
        M.SyncTopRecord();
        FRecord = M.FView.TopRecord;
        FOffset = M.FView.TopOffset;
        FLeftColumn = M.FView.LeftColumn;
        FTextStart = M.TextLeft();
        FRight = M.FView.ClientWidth;
        FBottom = M.FView.ClientHeight;
        FDisabled = !M.isEnabled();
        if (lineNumbers) {
            if (S.HasOption(smoWordWrap)) {
                FGutterNumber = 1;
                for (const TLineRecord* r = M.FirstRecord(); r && r != FRecord; r = r->Next)
                    if (r->EndsWithCR())
                        ++FGutterNumber;
            } else {
                FGutterNumber = M.FView.TopLine + 1;
            }
        }
        if (S.HasOption(smoWordWrap) && S.HasOption(smoShowWrapColumn) && S.WrapAtColumn > 0) {
            FWrapColumn = true;
            FWrapPen = QPen(QColor(192, 192, 192), 1, Qt::DotLine);
        }
        FGutterColour = ToQColor(S.UseDefaultColors[udcGutter] ? static_cast<TColor>(clScrollBar) : S.GutterColor);
        TColor margin = S.MarginColor;
        if (S.UseDefaultColors[udcMargin])
            margin = style0.DefaultBackground ? static_cast<TColor>(clWindow) : style0.Background;
        FMarginColour = ToQColor(margin);
        FSelectionShown = M.FAnchor != M.FCaret && (M.hasFocus() || !M.HideSelection);
        // The visible region's marks, found once; each line takes those that overlap it.
        int regionEnd = FOffset;
        const TLineRecord* r = FRecord;
        for (int i = 0; r && i < M.FView.LinesPerWindow + 1; ++i, r = r->Next)
            regionEnd += r->Len;
        M.MarksInRange(FOffset, regionEnd, FMarks);
    }
    FSelText = ToQColor(S.UseDefaultColors[udcSelTextColor] ? static_cast<TColor>(clHighlightText) : S.SelTextColor);
    FSelBack = ToQColor(S.UseDefaultColors[udcSelTextBack] ? static_cast<TColor>(clHighlight) : S.SelTextBack);

    // Whatever a handler raises, the target gets its state back.
    struct Restore {
        QPainter& P;
        ~Restore() { P.restore(); }
    } restore{P};
    P.save();
    if (FPaper) {
        while (paintPaperLine()) {
        }
    } else {
        while (FY < FBottom && paintScreenLine()) {
        }
    }
}

// ---------------------------------------------------------------- screen

bool TLinePainter::paintScreenLine()
{
    TLineRecord* record = FRecord;
    if (S.Gutter > 0 && S.HasOption(smoShowGutter) && (!record || (record->Flags & (lfStylesChanged | lfChanged))))
        paintGutter(record);
    if (S.Margin > 0)
        paintMargin();
    FX = FTextStart;
    if (!record) {
        fillRest(false);
        drawMarginLines();
        FY += FLineHeight;
        return true;
    }
    if ((record->Flags & (lfStylesChanged | lfChanged)) || M.FRecordCount <= 1)
        paintLine(*record, FOffset);
    FOffset += record->Len;
    record->Flags &= ~(lfStylesChanged | lfChanged | lfRestart);
    FRecord = record->Next;
    if (FRecord && record->EndsWithCR())
        ++FGutterNumber;
    FY += FLineHeight;
    return true;
}

void TLinePainter::paintGutter(const TLineRecord* record)
{
    int width = S.Gutter;
    P.save();
    P.setClipRect(0, FY, width, FLineHeight);
    P.fillRect(0, FY, width, FLineHeight, FGutterColour);
    if (width >= kGutterLineMinWidth) {
        P.setPen(Qt::white);
        P.drawLine(width - 2, FY, width - 2, FY + FLineHeight - 1);
    }
    uint16_t markBits = 0, glyphBits = 0;
    if (record) {
        markBits = record->MarkBits & kGlyphBitsInStrip;
        if (!S.HasOption(smoShowWrapGlyph))
            markBits &= ~mbContinuation;
        glyphBits = record->GlyphBits & kGlyphBitsInStrip;
    }
    auto drawGlyph = [&](const QImage& glyph, int x) {
        int y = FLineHeight > glyph.height() ? (FLineHeight - glyph.height()) / 2 : 0;
        DrawTransparent(P, x, FY + y, glyph, glyph.pixel(0, glyph.height() - 1));
    };
    if (markBits) {
        int bit = highestBit(markBits);
        drawGlyph(bit == 12 ? GlyphResource("SEM_WRAPPED") : GutterGlyph(bit), kMarkGlyphX);
    }
    if (glyphBits)
        drawGlyph(GutterGlyph(highestBit(glyphBits)), kLineGlyphX);
    if (record && S.HasOption(smoLineNumbers) && !markBits && !glyphBits && beginsLogicalLine(*record)) {
        if (!FGutterFont) {
            const TFont& font = S.GutterFont();
            FGutterFont = MakeEditorFont(font.Name(), font.Size(), font.Style(), font.Charset(), false);
        }
        const QFont& font = ToQFont(*FGutterFont);
        P.setFont(font);
        P.setPen(ToQColor(S.GutterFont().Color()));
        int top = FLineHeight > 8 ? (FLineHeight - 8) / 2 : 0;
        P.drawText(2, FY + top + QFontMetrics(font).ascent(), QString::number(FGutterNumber));
    }
    P.restore();
}

void TLinePainter::paintMargin()
{
    P.fillRect(FTextStart - S.Margin, FY, S.Margin, FLineHeight, FMarginColour);
}

void TLinePainter::drawMarginLines()
{
    int visible = M.FView.ColumnsPerWindow;
    auto line = [&](int column, const QPen& pen) {
        int distance = column - FLeftColumn;
        if (distance <= 0 || distance >= visible)
            return;
        int x = distance * FCharWidth + FTextStart;
        P.setPen(pen);
        P.drawLine(x, FY, x, FY + FLineHeight - 1);
    };
    if (S.HasOption(smoShowRMargin))
        line(S.RightMargin, QPen(QColor(192, 192, 192), 1));
    if (FWrapColumn)
        line(S.WrapAtColumn, FWrapPen);
}

// ---------------------------------------------------------------- one line

void TLinePainter::paintLine(const TLineRecord& record, int offset)
{
    // Pages before the one a preview wants are laid out only: nothing of them reaches the page.
    if (!FPageShown)
        return;
    FMarkerX = FShowAllChars && FLeftColumn == 0 ? FX : -1;
    const TDisplayLine& line = M.ExpandLine(record, offset);
    M.FLongestLine = std::max(M.FLongestLine, line.Length);
    char last = line.Length > 0 ? line.Chars[line.Length - 1] : '\r';
    int columns = line.Length + (last != '\r' && last != ' ' ? 1 : 0);

    if (M.OnDrawLine) {
        TLineDrawData data;
        data.Text = line.Chars;
        data.DC = &P;
        data.LineRect = TRect{FTextStart, FY, FRight, FY + FLineHeight};
        data.LineOffset = offset;
        data.FirstColumn = FLeftColumn;
        data.Columns = columns;
        M.OnDrawLine(&M, &data);
        if (data.Handled)
            return;
    }
    drawText(line, columns);
    drawLineEnd(record);
    if (!FPaper) {
        drawMarks(record, offset, columns);
        drawMarginLines();
    }
}

void TLinePainter::drawText(const TDisplayLine& line, int columns)
{
    int visibleEnd = columns - 1;
    int start = line.SelStart, end = line.SelEnd;
    bool meets = FSelectionShown && !FPaper && ((start < 1 && end > 0) || (start >= 0 && start <= columns - 1));
    if (!meets) {
        drawStretch(line, FLeftColumn, visibleEnd, false);
        fillRest(false);
        return;
    }
    start = std::max(0, start);
    end = std::min(end, columns);
    drawStretch(line, FLeftColumn, std::min(start, visibleEnd), false);
    drawStretch(line, std::max(start, FLeftColumn), std::min(end, visibleEnd), true);
    drawStretch(line, std::max(end, FLeftColumn), visibleEnd, false);
    // The row's rest belongs to the selection when the selection takes in the line break.
    fillRest(line.SelEnd >= columns);
}

void TLinePainter::drawStretch(const TDisplayLine& line, int from, int to, bool selected)
{
    while (from < to && FX < FRight) {
        if (!line.Styles) {
            drawRun(line, from, to - from, S.GetStyle(0), selected);
            return;
        }
        uint8_t token = line.Styles[from];
        int end = from + 1;
        while (end < to && line.Styles[end] == token)
            ++end;
        drawRun(line, from, end - from, S.TokenStyle(token), selected);
        from = end;
    }
}

void TLinePainter::colours(const TSM_TokenStyle& style, bool selected, QColor& text, QColor& back) const
{
    if (selected) {
        text = FSelText;
        back = FSelBack;
    } else if (!FColouring) {
        text = Qt::black;
        back = Qt::white;
    } else {
        const TSM_TokenStyle& style0 = S.GetStyle(0);
        TColor fore = style.Foreground, ground = style.Background;
        if (style.DefaultForeground)
            fore = style0.DefaultForeground ? static_cast<TColor>(clWindowText) : style0.Foreground;
        if (style.DefaultBackground)
            ground = style0.DefaultBackground ? static_cast<TColor>(clWindow) : style0.Background;
        text = ToQColor(fore);
        back = ToQColor(ground);
    }
    if (FPaper)
        return;
    // The control's state colours; by default a disabled control shows its text on silver.
    const TSM_StateColors* state = nullptr;
    if (FDisabled && M.DisabledColors.Enabled)
        state = &M.DisabledColors;
    else if (M.FReadOnly && M.ReadOnlyColors.Enabled)
        state = &M.ReadOnlyColors;
    if (state && state->UseTextColor)
        text = ToQColor(state->TextColor);
    if (state && state->UseBackColor)
        back = ToQColor(state->BackColor);
}

TRunFont& TLinePainter::fontOf(const TSM_TokenStyle& style)
{
    const TSM_TokenStyle& style0 = S.GetStyle(0);
    // A style without a font of its own (never defined) is drawn in the default style's.
    const TFontHandle& handle = FColouring && style.Font ? style.Font : style0.Font;
    return State.FontOf(handle, M);
}

void TLinePainter::drawRun(const TDisplayLine& line, int from, int count, const TSM_TokenStyle& style, bool selected)
{
    QColor text, back;
    colours(style, selected, text, back);
    TRunFont& font = fontOf(style);
    const char* chars = line.Chars + from;
    int width = M.FFixedPitch ? M.FixedRunWidth(count)
                              : font.Metrics.horizontalAdvance(FromShownText(std::string_view(chars, static_cast<size_t>(count))));
    int drawn = count;
    bool cut = FX + width > FRight;
    if (cut) {
        width = FRight - FX;
        drawn = std::min(count, std::max(1, width / FCharWidth * 3 / 2));
    } else if (static_cast<unsigned char>(chars[count - 1]) < 32 && chars[count - 1] != kHeldCharacterMark) {
        --drawn;
    }
    if (!FTransparentText)
        P.fillRect(FX, FY, width, FLineHeight, back);
    FLastFill = back;
    if (drawn > 0) {
        if (cut && FPaper)
            P.setClipRect(FX, FY, width, FLineHeight);
        P.setPen(text);
        drawChars(font, chars, drawn, FX, FY + font.Metrics.ascent());
        if (cut && FPaper)
            P.setClipping(false);
    }
    if (FShowAllChars)
        drawMarkers(line, from, drawn, font, FX, back);
    FX += width;
}

void TLinePainter::drawChars(TRunFont& font, const char* chars, int count, int x, int baseline)
{
    if (!M.FFixedPitch) {
        P.setFont(font.Font);
        P.drawText(QPointF(x, baseline), FromShownText(std::string_view(chars, static_cast<size_t>(count))));
        return;
    }
    if (FRecording) {
        // The run as text whose letters are spaced out to the grid: a picture keeps it in a few bytes
        // where the glyph run would cost its outlines. The spacing is a share of the letters' advance,
        // which holds at any resolution: text layout takes an absolute spacing as screen pixels and
        // scales it to the page, so on a printer's page every letter fell off the grid and the run
        // ended short of the next one.
        QFont spaced = font.Font;
        const qreal advance = QFontMetricsF(font.Font).horizontalAdvance(QLatin1Char('M'));
        spaced.setLetterSpacing(QFont::PercentageSpacing, advance > 0 ? 100.0 * FCharWidth / advance : 100.0);
        spaced.setKerning(false);
        P.setFont(spaced);
        P.drawText(QPointF(x, baseline), FromShownText(std::string_view(chars, static_cast<size_t>(count))));
        return;
    }
    // Every character goes to its cell of the grid, whatever the font's own advances and kerning say.
    auto size = static_cast<size_t>(count);
    if (State.Chars.size() < size) {
        State.Chars.resize(size);
        State.Glyphs.resize(size);
        State.Positions.resize(size);
    }
    for (int i = 0; i < count; ++i) {
        State.Chars[static_cast<size_t>(i)] =
            QChar(static_cast<char16_t>(ShownCharacter(static_cast<unsigned char>(chars[i]))));
        State.Positions[static_cast<size_t>(i)] = QPointF(i * FCharWidth, 0);
    }
    int glyphs = count;
    if (!font.Raw.isValid() || !font.Raw.glyphIndexesForChars(State.Chars.data(), count, State.Glyphs.data(), &glyphs))
        return;
    QGlyphRun run;
    run.setRawFont(font.Raw);
    run.setRawData(State.Glyphs.data(), State.Positions.data(), std::min(glyphs, count));
    run.setUnderline(font.Font.underline());
    run.setStrikeOut(font.Font.strikeOut());
    P.drawGlyphRun(QPointF(x, baseline), run);
}

void TLinePainter::fillRest(bool selected)
{
    if (FX >= FRight)
        return;
    QColor text, back;
    colours(S.GetStyle(0), selected, text, back);
    if (!FTransparentText)
        P.fillRect(FX, FY, FRight - FX, FLineHeight, back);
    FLastFill = back;
    FX = FRight;
}

void TLinePainter::drawMarkers(const TDisplayLine& line, int from, int count, TRunFont& font, int x, const QColor& back)
{
    if (count <= 0)
        return;
    // Where each character of the run starts, and where the run ends; the buffers grow with the
    // longest run, however far TABs expanded its line.
    TPlacementResults& placement = S.PlacementResults();
    auto needed = static_cast<size_t>(count) + 1;
    if (placement.Advances.size() < needed) {
        placement.Advances.resize(needed);
        placement.CaretPositions.resize(needed);
        placement.GlyphCount = static_cast<int>(needed);
    }
    int position = x;
    for (int i = 0; i <= count; ++i) {
        placement.CaretPositions[static_cast<size_t>(i)] = position;
        if (i == count)
            break;
        int advance = M.FFixedPitch ? FCharWidth
                                    : font.Metrics.horizontalAdvance(QChar(static_cast<char16_t>(
                                          ShownCharacter(static_cast<unsigned char>(line.Chars[from + i])))));
        placement.Advances[static_cast<size_t>(i)] = advance;
        position += advance;
    }
    QColor marker = inverted(back);
    P.save();
    P.setPen(marker);
    P.setFont(font.Font);
    for (int i = 0; i < count; ++i) {
        int column = from + i;
        if (line.FromTab(column)) {
            int source = line.IndexOfColumn(column);
            int j = i + 1;
            while (j < count && line.FromTab(from + j) && line.IndexOfColumn(from + j) == source)
                ++j;
            int left = placement.CaretPositions[static_cast<size_t>(i)];
            int width = placement.CaretPositions[static_cast<size_t>(j)] - left;
            if (const TGlyphBitmap* glyph = S.TabGlyph())
                drawGlyphMask(P, glyph, left + (width - glyph->Width()) / 2, FY, FLineHeight, marker);
            i = j - 1;
        } else if (line.Chars[column] == ' ') {
            int top = FY - FLineHeight / 4;
            P.drawText(placement.CaretPositions[static_cast<size_t>(i)], top + font.Metrics.ascent(), QStringLiteral("."));
        }
    }
    P.restore();
    FMarkerX = placement.CaretPositions[static_cast<size_t>(count)];
}

void TLinePainter::drawLineEnd(const TLineRecord& record)
{
    if (FMarkerX < 0 || (!FPaper && FMarkerX >= FRight))
        return;
    const TGlyphBitmap* glyph = nullptr;
    if (record.EndsWithCR())
        glyph = S.PilcrowGlyph();
    else if (S.HasOption(smoWordWrap))
        glyph = S.ReturnGlyph();
    drawGlyphMask(P, glyph, FMarkerX, FY, FLineHeight, inverted(FLastFill));
}

void TLinePainter::drawMarks(const TLineRecord& record, int offset, int columns)
{
    int end = offset + record.Len;
    for (const TMarkSpan& mark : FMarks) {
        bool overlaps = (offset >= mark.Start && offset < mark.End) || (mark.Start >= offset && mark.Start < end);
        if (!overlaps)
            continue;
        // Columns first: finding pixels expands the record again.
        const TDisplayLine& line = M.FPainterState->Line;
        bool startsInside = mark.Start >= offset;
        int startColumn = startsInside ? line.ColumnOfIndex(mark.Start - offset) : 0;
        int endColumn = mark.End > end ? columns - 1 : line.ColumnOfIndex(mark.End - offset);
        if (endColumn <= FLeftColumn)
            continue;
        TRect rect{FTextStart, FY, FRight, FY + FLineHeight - 1};
        if (startsInside && startColumn > FLeftColumn)
            rect.Left = M.PixelOfColumn(startColumn, &record);
        rect.Right = M.PixelOfColumn(endColumn, &record);
        if (M.OnDrawMark)
            M.OnDrawMark(&M, &P, &rect, mark.Mark);
        else
            DrawMarkDefault(M, P, rect);
    }
}

// ---------------------------------------------------------------- paper

bool TLinePainter::paintPaperLine()
{
    if (FPageTop) {
        drawPageFrame();
        FPageTop = false;
        FLinesOnPage = 0;
    }
    // A page ends when the next line no longer fits whole; a page too short for one line still takes one.
    if (FLinesOnPage > 0 && FY + FLineHeight > FBottom)
        return endPage();
    if (!FSource) {
        C.StartY = FY;
        return false;
    }
    if (!FPiecesMade) {
        FOffset = FSourceOffset;
        FPieceWidth = (FRight - FTextStart) / FCharWidth - 1;
        FPiece = 0;
        // A record begun on the page before is cut as it was there, and goes on at the piece it had reached.
        if (FResumePiece > 0)
            FPieceWidth = FResumeWidth;
        MakePrintPieces(M, *FSource, FPieceWidth, S.HasOption(smoPrintWrap), FPieces);
        FPiecesMade = true;
        if (FResumePiece > 0 && static_cast<size_t>(FResumePiece) < FPieces.size()) {
            FPiece = static_cast<size_t>(FResumePiece);
            FOffset = FResumeOffset;
        }
        FResumePiece = 0;
    }
    if (FPiece == 0 && S.HasOption(smoPrintLineNos))
        drawLineNumber(*FSource);
    ++FLinesOnPage;
    FX = FTextStart;
    paintLine(*FPieces[FPiece], FOffset);
    FOffset += FPieces[FPiece]->Len;

    // The source record's flags are the screen's and the highlighter's: paper leaves them alone.
    if (++FPiece >= FPieces.size()) {
        ++FRecordsPrinted;
        nextPrintRecord();
        // The range counts source records, so that every piece of its last record is printed.
        if (!FSource || (C.LineRange && FRecordsPrinted > C.Last - std::max(1, C.First))) {
            C.StartY = FY + FLineHeight;
            if (C.PageMode)
                C.PageNo = -1;
            return false;
        }
    }
    FY += FLineHeight;
    return true;
}

void TLinePainter::nextPrintRecord()
{
    FPieces.clear();
    FPiecesMade = false;
    if (FSource) {
        FSourceOffset += FSource->Len;
        FSource = FSource->Next;
    }
}

bool TLinePainter::endPage()
{
    FY = 0;
    FPageTop = true;
    if (!C.PageMode) {
        if (auto* device = dynamic_cast<QPagedPaintDevice*>(C.Canvas))
            device->newPage();
        ++C.PageNo;
        return true;
    }
    ++C.PageNo;
    if (C.PageNo <= C.First)
        return true;
    // The page after the one shown starts here: the next line that did not fit.
    if (C.Resume && FSource)
        *C.Resume = TPageStart{C.PageNo, FSource, FSourceOffset, FPiecesMade ? static_cast<int>(FPiece) : 0,
                               FPiecesMade ? FOffset : FSourceOffset, FPieceWidth, FPrintNumber};
    return false;
}

void TLinePainter::drawPageFrame()
{
    FPageShown = !C.PageMode || C.PageNo == C.First;
    int numbers = S.HasOption(smoPrintLineNos) ? kLineNumberColumns * FCharWidth : 0;
    if (M.OnPrintHeaderFooter) {
        TRect render = C.Area;
        bool transparent = false;
        // A page that is only laid out still asks the handler for its frame, but what the handler
        // draws for it goes to a picture that is thrown away, not onto the page shown.
        QPicture scratch;
        QPainter scratchPainter;
        QPainter* canvas = &P;
        if (!FPageShown && scratchPainter.begin(&scratch))
            canvas = &scratchPainter;
        M.OnPrintHeaderFooter(&M, canvas, render, transparent);
        FY = render.Top;
        FRight = render.Right;
        FBottom = render.Bottom;
        FTextStart = render.Left + numbers;
        FTransparentText = transparent;
        return;
    }
    const TRect& area = C.Area;
    FY = area.Top;
    FRight = area.Right;
    FBottom = area.Bottom;
    FTextStart = area.Left + numbers;
    bool title = S.HasOption(smoPrintFilename), date = S.HasOption(smoPrintDate), pages = S.HasOption(smoPrintPageNos);
    if (!title && !date && !pages)
        return;
    P.save();
    P.setFont(State.FontOf(S.GetStyle(0).Font, M).Font);
    P.setPen(Qt::black);
    // Header and footer lie between the margins: the date ends at the right one, where the rule under
    // it ends, whatever the margins.
    const int width = area.Width();
    QRect top(area.Left, FY, width, FLineHeight);
    if (FPageShown && (title || date)) {
        QString stamp;
        if (date) {
            const std::time_t now = std::time(nullptr);
            std::tm local{};
            localtime_r(&now, &local);
            stamp = FromEditorText(PageHeaderDate(local));
            P.drawText(top, Qt::AlignRight | Qt::AlignTop, stamp);
        }
        if (title) {
            const QFontMetrics metrics = P.fontMetrics();
            const int blank = metrics.horizontalAdvance(QLatin1Char(' '));
            const int room = date ? width - metrics.horizontalAdvance(stamp) - 2 * blank : width;
            P.drawText(top, Qt::AlignLeft | Qt::AlignTop, HeaderTitle(FromEditorText(M.DocumentName()), metrics, room));
        }
    }
    if (title || date) {
        if (FPageShown)
            P.drawLine(area.Left, area.Top + 2 * FLineHeight, area.Right, area.Top + 2 * FLineHeight);
        FY = area.Top + 3 * FLineHeight;
    }
    if (pages) {
        if (FPageShown) {
            QRect footer(area.Left, area.Bottom - (5 * FLineHeight) / 2, width, FLineHeight);
            P.drawText(footer, Qt::AlignHCenter | Qt::AlignTop, FromEditorText(Format("- %d -", C.PageNo)));
            P.drawLine(area.Left, area.Bottom - 3 * FLineHeight, area.Right, area.Bottom - 3 * FLineHeight);
        }
        FBottom = area.Bottom - 4 * FLineHeight;
    }
    P.restore();
}

void TLinePainter::drawLineNumber(const TLineRecord& source)
{
    if (!beginsLogicalLine(source))
        return;
    if (FPageShown) {
        TRunFont& font = State.FontOf(S.GetStyle(0).Font, M);
        P.setFont(font.Font);
        P.setPen(Qt::black);
        P.drawText(C.Area.Left, FY + font.Metrics.ascent(), FromEditorText(Format("%6d:", FPrintNumber)));
    }
    ++FPrintNumber;
}

// ---------------------------------------------------------------- entry points

void PaintLines(TCustomCodeMemo& memo, TPaintContext& context)
{
    if (!context.DC)
        return;
    TLinePainter(memo, context).Run();
}

QString HeaderTitle(const QString& name, const QFontMetrics& metrics, int room)
{
    if (metrics.horizontalAdvance(name) <= room)
        return name;
    // Whole folders go from the front, the file's name stays whole.
    const QString ellipsis(QChar(0x2026));
    const QLatin1Char separator('/');
    for (qsizetype slash = name.indexOf(separator); slash >= 0; slash = name.indexOf(separator, slash + 1)) {
        const QString tail = ellipsis + name.mid(slash);
        if (metrics.horizontalAdvance(tail) <= room)
            return tail;
    }
    // Not even the file's name fits: as much of its start as does.
    return metrics.elidedText(name.mid(name.lastIndexOf(separator) + 1), Qt::ElideRight, std::max(0, room));
}

std::string PageHeaderDate(const std::tm& when)
{
    return DateTimeText(1, when) + Format(" - %.2d:%.2d:%.2d", when.tm_hour, when.tm_min, when.tm_sec);
}

void DrawMarkDefault(TCustomCodeMemo& memo, QPainter& dc, const TRect& rect)
{
    int width = memo.ClientWidth();
    if (rect.Left < 0 || rect.Left > width)
        return;
    int right = std::min(rect.Right, width);
    QPolygon zigzag;
    zigzag << QPoint(rect.Left, rect.Bottom);
    bool up = true;
    for (int x = rect.Left + 3; x < right; x += 3, up = !up)
        zigzag << QPoint(x, up ? rect.Bottom - 2 : rect.Bottom);
    dc.save();
    dc.setPen(QPen(Qt::red, 1));
    dc.drawPolyline(zigzag);
    dc.restore();
}

void MakePrintPieces(const TCustomCodeMemo& memo, const TLineRecord& record, int width, bool wrap, TPrintPieces& pieces)
{
    pieces.clear();
    auto piece = [&](int start, int length, uint32_t flags) {
        std::unique_ptr<TLineRecord> copy(NewLineRecord(record.Text.get() + start, length));
        if (record.Styles) {
            copy->Styles.reset(new uint8_t[static_cast<size_t>(std::max(1, length))]);
            std::copy_n(record.Styles.get() + start, length, copy->Styles.get());
        }
        copy->Flags = flags;
        if (!pieces.empty()) {
            pieces.back()->Next = copy.get();
            copy->Prev = pieces.back().get();
        }
        pieces.push_back(std::move(copy));
    };
    const char* text = record.Text.get();
    int len = record.Len;
    if (!wrap) {
        piece(0, len, record.Flags | lfStylesChanged);
        return;
    }
    bool hasTab = (record.Flags & lfHasTab) != 0;
    // A held character's mark is the "&" of its reference, no blank.
    auto isBlank = [text](int i) { return static_cast<unsigned char>(text[i]) <= 32 && text[i] != kHeldCharacterMark; };
    int start = 0;
    // Cutting stops before a CR that would start a piece: a final CR is never a piece of its own. An
    // empty record still prints as one empty piece.
    do {
        int rest = len - start;
        int length = 0;
        uint32_t flags = lfChanged;
        if (rest <= width && !hasTab) {
            length = rest;
        } else if (!hasTab) {
            // The last blank (or control character) within the width ends the piece, and the blanks
            // after it stay with it.
            int cut = -1;
            for (int i = std::min(width - 1, rest - 1); i >= 0; --i)
                if (isBlank(start + i)) {
                    cut = i;
                    break;
                }
            if (cut < 0) {
                length = width;
            } else {
                length = cut + 1;
                while (length < rest && isBlank(start + length))
                    ++length;
            }
        } else {
            int column = 0, walked = 0;
            int limit = width - memo.TabDefault();
            while (walked < rest && column < limit) {
                column = text[start + walked] == '\t' ? memo.NextTabColumn(column) : column + 1;
                ++walked;
            }
            // Back up to a blank, which goes with the piece; a walk that took the whole rest stands.
            length = walked;
            if (walked < rest)
                for (int k = walked; k >= 1; --k)
                    if (isBlank(start + k)) {
                        length = k + 1;
                        break;
                    }
        }
        // At least one character per piece: a page narrower than one column or a TAB wider than the
        // page still moves on.
        length = std::clamp(length, std::min(1, rest), rest);
        // A held character prints as its whole reference on one line: the piece ends before it, or
        // takes it whole when it begins with it.
        length = static_cast<int>(CutBesideHeldCharacter(std::string_view(text, static_cast<size_t>(len)),
                                                         static_cast<size_t>(start), static_cast<size_t>(start + length))) -
                 start;
        // The TAB flag describes the piece's own characters.
        if (hasTab) {
            flags &= ~lfHasTab;
            for (int i = 0; i < length; ++i)
                if (text[start + i] == '\t')
                    flags |= lfHasTab;
        }
        piece(start, length, flags);
        start += length;
    } while (start < len && !(start == len - 1 && text[start] == '\r'));
}
