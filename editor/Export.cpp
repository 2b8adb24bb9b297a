// Export and clipboard of the editor control: the HTML and RTF writers fed from the control, cut, copy
// and paste, and the filter pasted HTML passes through.
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QLocale>
#include <QMimeData>
#include <climits>
#include <memory>
#include <new>

#include "editor/CodeMemo.h"
#include "editor/model/DocumentWriters.h"
#include "editor/model/Undo.h"
#include "platform/ClipboardFormats.h"
#include "platform/Win1252Qt.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kCannotAllocBuffer = 4196;

std::string localDateTimeText()
{
    return ToEditorText(QLocale().toString(QDateTime::currentDateTime(), QLocale::ShortFormat));
}

} // namespace

// ---------------------------------------------------------------- HTML and RTF

void TCustomCodeMemo::completeHighlighting()
{
    if (FHighlightStart)
        RehighlightFrom(FHighlightStart);
    FinishColouring();
    if (!ActiveParserObject())
        return;
    // A record still without style bytes was never scanned; a run from it goes on while the records
    // after it come out changed, so one run usually covers the rest.
    for (TLineRecord* record = FirstRecord(); record; record = record->Next) {
        if (record->Styles)
            continue;
        RehighlightFrom(record);
        if (!record->Styles)
            break; // the parser is busy elsewhere: the bytes that exist are written
    }
}

TExportSource TCustomCodeMemo::exportSource()
{
    completeHighlighting();
    TExportSource source;
    source.Settings = FSettings;
    source.FontName = FFontName;
    source.FontSize = FFontSize;
    source.Title = FDocumentName;
    source.Generator = std::string("TCodeMemo ") + kVersion;
    TTextRange selection = OrderedSelection();
    int recordStart = 0;
    source.First = recordHolding(selection.Start, recordStart);
    source.FirstIndex = selection.Start - recordStart;
    // The range ends with the record holding its last character: a selection of whole lines ends
    // with the last of them, not with an empty part of the line after it.
    source.Last = recordHolding(selection.End > selection.Start ? selection.End - 1 : selection.End, recordStart);
    source.LastIndex = selection.End - recordStart;
    return source;
}

void TCustomCodeMemo::WriteHTML(TStream& stream)
{
    TExportSource source = exportSource();
    source.DateText = localDateTimeText();
    WriteHTMLDocument(stream, source);
}

void TCustomCodeMemo::WriteRTF(TStream& stream)
{
    WriteRTFDocument(stream, exportSource());
}

// ---------------------------------------------------------------- clipboard

void TCustomCodeMemo::CopyToClipboard()
{
    // Every format goes into one set of data: the clipboard replaces its contents at each set.
    auto data = std::make_unique<QMimeData>();
    bool offered = false;
    if (ClipCopyFormats & (1u << smTEXT)) {
        SetFormatData(*data, CF_TEXT, SelectionText(SMM_FORMAT_TEXT));
        offered = true;
    }
    if (ClipCopyFormats & (1u << smRTF)) {
        TMemoryStream rtf;
        WriteRTF(rtf);
        SetFormatData(*data, RtfClipboardFormat(), rtf.AsString());
        offered = true;
    }
    QClipboard* clipboard = QApplication::clipboard();
    if (offered)
        clipboard->setMimeData(data.release());
    else
        clipboard->clear();
}

void TCustomCodeMemo::CutToClipboard()
{
    if (FReadOnly)
        return;
    inUndoGroup(ugCut, [this] {
        CopyToClipboard();
        if (FAnchor != FCaret)
            InsertText(nullptr);
    });
}

void TCustomCodeMemo::FilterDroppedText(std::string& text, TSourceTypes sourceTypes)
{
    ::FilterDroppedText(text, sourceTypes);
}

std::string TCustomCodeMemo::readPastedText(unsigned format)
{
    // The handler may have changed the clipboard, so its data are asked for only now.
    std::string text;
    try {
        // The characters the text cannot hold come as held characters.
        text = GetFormatData(QApplication::clipboard()->mimeData(), format);
    } catch (const std::bad_alloc&) {
        throw ECodeMemo(LoadResString(kCannotAllocBuffer));
    }
    // Offsets are ints: a text that could not be held whole is refused before anything changes.
    if (text.size() > static_cast<size_t>(INT_MAX - FTextLength))
        throw ECodeMemo(LoadResString(kCannotAllocBuffer));
    size_t nul = text.find('\0');
    if (nul != std::string::npos)
        text.resize(nul);
    return text;
}

void TCustomCodeMemo::PasteFromClipboard()
{
    if (FReadOnly)
        return;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    TSourceTypes sourceTypes = 0;
    if (IsFormatAvailable(data, HtmlClipboardFormat()))
        sourceTypes |= stHTML;
    if (IsFormatAvailable(data, CF_TEXT))
        sourceTypes |= stCFText;
    if (!sourceTypes)
        return;
    sourceTypes |= stAny;
    if (OnDataDrop)
        OnDataDrop(this, sourceTypes);
    TClipFormat format = 0;
    if (sourceTypes & stCFText)
        format = CF_TEXT;
    else if (sourceTypes & stHTML)
        format = HtmlClipboardFormat();
    else
        return;

    FChangeBits |= CHANGE_SELECTION | CHANGE_TEXT;
    if (!IsFormatAvailable(QApplication::clipboard()->mimeData(), format))
        return;
    std::string text = readPastedText(format);
    if (text.empty())
        return;
    FilterDroppedText(text, sourceTypes);

    TScopeGuard group = undoGroupScope(ugPaste);
    TScopeGuard redrawOff = redrawOffScope();
    // The stream holds the text alone: the insertion takes the stream's length, so a closing NUL
    // would be inserted as a character.
    TMemoryStream stream;
    stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
    stream.SetPosition(0);
    PerformStream(SMM_LOADSTREAM, 0, stream);
    MakeOffsetVisible(FCaret);
}
