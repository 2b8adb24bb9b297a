// The HTML and RTF document writers: a range of line records coloured with the styles of a settings object.
#pragma once

#include <cstdint>
#include <string>

#include "editor/model/LineStore.h"
#include "editor/model/Settings.h"
#include "platform/core/Classes.h"

// What a writer puts out: the records from First (from FirstIndex) to Last (up to LastIndex), each
// record's part followed by a line end, so that every display line (wrapped pieces included) is a line
// of the output. First nil writes the frame alone. A record without style bytes is written in the
// default look. The style of a character is Settings' style for StyleMap of its style byte.

struct TExportSource {
    const TLineRecord* First = nullptr;
    int FirstIndex = 0;
    const TLineRecord* Last = nullptr;
    int LastIndex = 0;
    const TSM_Settings* Settings = nullptr;
    std::string FontName;
    int FontSize = 10;
    // HTML only: the document's title, the generator and the date-time text of the META lines.
    std::string Title;
    std::string Generator;
    std::string DateText;
};

// Colours as HTML writes them: six lower-case hex digits RRGGBB of a colour, system colours resolved.
std::string ColorToRGBHex(TColor color);

// An HTML page with the text in <PRE>, one <FONT COLOR> per change of colour and <B>, <I>, <U> as
// the styles switch; tags still open at the end are left open.
void WriteHTMLDocument(TStream& stream, const TExportSource& source);

// An RTF document with one font and a colour table of at most 256 entries; colours past the table
// are written as the default foreground and background.
void WriteRTFDocument(TStream& stream, const TExportSource& source);
