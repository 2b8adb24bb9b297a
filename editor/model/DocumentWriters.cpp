// The HTML and RTF document writers.
//
// Both walk the same range the same way: each record's part is cut into runs of equal style bytes,
// each run is introduced by the tags or control words that take the look from the previous run to
// its own, and its characters are escaped one by one. Output gathers in a buffer that goes to the
// stream in large pieces, since a page of a few megabytes would otherwise be thousands of writes.
#include "editor/model/DocumentWriters.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "platform/core/CharacterReferences.h"
#include "platform/core/SysUtils.h"

namespace {

// Large enough that the stream sees few writes, small enough to stay in the cache.
constexpr size_t kFlushSize = 64 * 1024;

// Gathers output and hands it to the stream in pieces.
class TOutput {
public:
    explicit TOutput(TStream& stream) : FStream(stream) { FBuffer.reserve(kFlushSize + 256); }
    void Put(std::string_view text)
    {
        FBuffer.append(text);
        if (FBuffer.size() >= kFlushSize)
            Flush();
    }
    void Put(char c)
    {
        FBuffer.push_back(c);
        if (FBuffer.size() >= kFlushSize)
            Flush();
    }
    void PutNumber(int value)
    {
        char digits[16];
        int n = std::snprintf(digits, sizeof digits, "%d", value);
        Put(std::string_view(digits, static_cast<size_t>(n)));
    }
    void Flush()
    {
        if (!FBuffer.empty())
            FStream.WriteBuffer(FBuffer.data(), static_cast<int64_t>(FBuffer.size()));
        FBuffer.clear();
    }

private:
    TStream& FStream;
    std::string FBuffer;
};

// The look of a run, as far as the writers use it.
const TSM_TokenStyle& styleOf(const TSM_Settings& settings, uint8_t styleByte)
{
    return settings.GetStyle(settings.GetStyleFlag(styleByte));
}

// Calls part(record, from, to) for every record of the range, then lineEnd().
template <class Part, class LineEnd>
void walkRange(const TExportSource& source, Part&& part, LineEnd&& lineEnd)
{
    for (const TLineRecord* record = source.First; record; record = record->Next) {
        bool last = record == source.Last;
        int from = record == source.First ? std::clamp(source.FirstIndex, 0, static_cast<int>(record->Len)) : 0;
        int to = last ? std::clamp(source.LastIndex, from, static_cast<int>(record->Len)) : record->Len;
        part(*record, from, to);
        lineEnd();
        if (last)
            break;
    }
}

// Calls run(styleByte, text) for each run of equal style bytes of a record's part; hasStyles false
// gives one run of the whole part.
template <class Run>
void forEachRun(const TLineRecord& record, int from, int to, Run&& run)
{
    const char* text = record.Text.get();
    if (!record.Styles) {
        if (to > from)
            run(false, uint8_t{0}, std::string_view(text + from, static_cast<size_t>(to - from)));
        return;
    }
    const uint8_t* styles = record.Styles.get();
    while (from < to) {
        int end = from + 1;
        while (end < to && styles[end] == styles[from])
            ++end;
        run(true, styles[from], std::string_view(text + from, static_cast<size_t>(end - from)));
        from = end;
    }
}

// ---------------------------------------------------------------- HTML

// The replacement of every byte in HTML: an empty entry means the byte is written as it is unless it
// is a control character, which is written as nothing.
const std::array<std::string, 256>& htmlEscapes()
{
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> t;
        for (int c = 32; c < 128; ++c)
            t[c] = std::string(1, static_cast<char>(c));
        for (int c = 128; c < 256; ++c)
            t[c] = "&#" + std::to_string(c) + ";";
        t['<'] = "&lt;";
        t['>'] = "&gt;";
        t['"'] = "&quot;";
        // An ampersand written as it stands would turn a text's own "&lt;" into "<" on the page.
        t['&'] = "&amp;";
        t['\t'] = "&nbsp;";
        t[160] = "&nbsp;";
        return t;
    }();
    return table;
}

// Stretches of characters that stand for themselves go out in one piece.
template <class Table>
void putEscaped(TOutput& out, std::string_view text, const Table& escapes)
{
    size_t plainFrom = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const std::string& escape = escapes[static_cast<uint8_t>(text[i])];
        if (escape.size() == 1 && escape[0] == text[i])
            continue;
        out.Put(text.substr(plainFrom, i - plainFrom));
        out.Put(escape);
        plainFrom = i + 1;
    }
    out.Put(text.substr(plainFrom));
}

// The text escaped through `escapes`, with each held character as `character` writes it; a mark that
// begins none is the "&" it shows as.
template <class Table, class Character>
void putWithHeldCharacters(TOutput& out, std::string_view text, const Table& escapes, Character character)
{
    size_t from = 0;
    for (size_t i = text.find(kHeldCharacterMark); i != std::string_view::npos; i = text.find(kHeldCharacterMark, from)) {
        putEscaped(out, text.substr(from, i - from), escapes);
        char32_t cp;
        const size_t length = ReadHeldCharacter(text, i, cp);
        if (length)
            character(cp);
        else
            putEscaped(out, "&", escapes);
        from = i + (length ? length : 1);
    }
    putEscaped(out, text.substr(from), escapes);
}

void putHtmlText(TOutput& out, std::string_view text)
{
    putWithHeldCharacters(out, text, htmlEscapes(), [&](char32_t cp) { out.Put(CharacterReference(cp)); });
}

void putHexColor(TOutput& out, TColor color)
{
    out.Put(ColorToRGBHex(color));
}

// ---------------------------------------------------------------- RTF

const std::array<std::string, 256>& rtfEscapes()
{
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> t;
        auto hex = [](int c) {
            char code[8];
            std::snprintf(code, sizeof code, "\\'%.2x", c);
            return std::string(code);
        };
        for (int c = 1; c < 256; ++c)
            t[c] = c < 32 || c >= 128 ? hex(c) : std::string(1, static_cast<char>(c));
        t[0] = "";
        t['\t'] = "\\tab ";
        t[12] = "\\page ";
        t['\r'] = "\\line ";
        t['\\'] = "\\\\";
        t['{'] = "\\{";
        t['}'] = "\\}";
        t['\''] = hex('\'');
        return t;
    }();
    return table;
}

// A character past Windows-1252 as RTF's \u escape (a signed 16-bit number, two for a character past
// U+FFFF), with "?" for readers without Unicode.
void putRtfCharacter(TOutput& out, char32_t cp)
{
    const auto unit = [&](char32_t value) {
        out.Put("\\u" + std::to_string(value > 0x7FFF ? static_cast<long>(value) - 0x10000 : static_cast<long>(value)) + "?");
    };
    if (cp > 0xFFFF) {
        unit(0xD800 + ((cp - 0x10000) >> 10));
        unit(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
        unit(cp);
    }
}

void putRtfColor(TOutput& out, uint32_t rgb)
{
    out.Put("\\red");
    out.PutNumber(GetRValue(rgb));
    out.Put("\\green");
    out.PutNumber(GetGValue(rgb));
    out.Put("\\blue");
    out.PutNumber(GetBValue(rgb));
    out.Put(';');
}

// The RTF colour table: 256 entries, all the default foreground until filled; entry 1 is the default
// background and new colours take the entries from 2 on until none is left.
class TRtfColorTable {
public:
    static constexpr int kEntries = 256;

    TRtfColorTable(TOutput& out, const TSM_Settings& settings) : FOut(out)
    {
        FColors.fill(ColorToRGB(settings.GetStyle(0).Foreground));
        FColors[1] = ColorToRGB(settings.GetStyle(0).Background);
        FOut.Put("{\\colortbl");
        putRtfColor(FOut, FColors[0]);
        putRtfColor(FOut, FColors[1]);
        for (int i = 0; i < TSM_Settings::kStyleCount && FNext < kEntries; ++i) {
            const TSM_TokenStyle& style = settings.GetStyle(static_cast<uint8_t>(i));
            if (!style.Defined)
                continue;
            add(ColorToRGB(style.Foreground));
            add(ColorToRGB(style.Background));
        }
        FOut.Put("}\r\n");
    }

    // The entry holding a colour; -1 when it is not in the table.
    int IndexOf(uint32_t rgb) const
    {
        for (int i = 0; i < FNext; ++i)
            if (FColors[i] == rgb)
                return i;
        return -1;
    }
    uint32_t Entry(int index) const { return FColors[index]; }

private:
    void add(uint32_t rgb)
    {
        if (FNext >= kEntries || IndexOf(rgb) >= 0)
            return;
        FColors[FNext++] = rgb;
        putRtfColor(FOut, rgb);
    }

    TOutput& FOut;
    std::array<uint32_t, kEntries> FColors{};
    int FNext = 2;
};

// Writes "\b1 " / "\b0 " style switches, or the HTML tags, for the bits that changed.
struct TFontSwitch {
    TFontStyleBit Bit;
    const char* On;
    const char* Off;
};

void putFontSwitches(TOutput& out, TFontStyles& current, TFontStyles wanted, const std::array<TFontSwitch, 3>& switches)
{
    for (const TFontSwitch& s : switches) {
        bool want = (wanted & s.Bit) != 0;
        bool have = (current & s.Bit) != 0;
        if (want != have)
            out.Put(want ? s.On : s.Off);
    }
    current = static_cast<TFontStyles>((current & ~(fsBold | fsItalic | fsUnderline)) | (wanted & (fsBold | fsItalic | fsUnderline)));
}

} // namespace

std::string ColorToRGBHex(TColor color)
{
    uint32_t rgb = ColorToRGB(color);
    char text[8];
    std::snprintf(text, sizeof text, "%.6x", static_cast<unsigned>(SwapRedBlue(rgb)));
    return text;
}

void WriteHTMLDocument(TStream& stream, const TExportSource& source)
{
    const TSM_Settings& settings = *source.Settings;
    const TSM_TokenStyle& base = settings.GetStyle(0);
    TOutput out(stream);
    out.Put("<HTML><HEAD>\r\n<META NAME=\"Generator\" CONTENT=\"");
    putHtmlText(out, source.Generator);
    // A file name may hold "<" or "&"; written raw it would end the title early.
    out.Put("\">\r\n<TITLE>");
    putHtmlText(out, source.Title);
    out.Put("</TITLE>\r\n<META NAME=\"Date\" CONTENT=\"");
    putHtmlText(out, source.DateText);
    out.Put("\">\r\n</HEAD>\r\n<BODY TEXT=\"#");
    putHexColor(out, base.Foreground);
    out.Put("\" BGCOLOR=\"#");
    putHexColor(out, base.Background);
    out.Put("\">\r\n<PRE><FONT FACE=\"");
    out.Put(source.FontName);
    out.Put("\">\r\n");

    static const std::array<TFontSwitch, 3> tags{{{fsBold, "<B>", "</B>"}, {fsItalic, "<I>", "</I>"}, {fsUnderline, "<U>", "</U>"}}};
    // Colours compare resolved, so that a system colour and its value count as one colour.
    uint32_t color = ColorToRGB(base.Foreground);
    TFontStyles font = 0;
    walkRange(
        source,
        [&](const TLineRecord& record, int from, int to) {
            forEachRun(record, from, to, [&](bool styled, uint8_t styleByte, std::string_view text) {
                if (styled) {
                    const TSM_TokenStyle& style = styleOf(settings, styleByte);
                    uint32_t foreground = ColorToRGB(style.Foreground);
                    if (foreground != color) {
                        out.Put("</FONT><FONT COLOR=\"#");
                        putHexColor(out, style.Foreground);
                        out.Put("\">");
                        color = foreground;
                    }
                    putFontSwitches(out, font, style.FontStyle, tags);
                }
                putHtmlText(out, text);
            });
        },
        [&] { out.Put("\r\n"); });
    out.Put("</PRE></FONT></BODY></HTML>\r\n");
    out.Flush();
}

void WriteRTFDocument(TStream& stream, const TExportSource& source)
{
    const TSM_Settings& settings = *source.Settings;
    TOutput out(stream);
    out.Put("{\\rtf1 \\deff1{\\fonttbl {\\f1 \\fnil ");
    out.Put(source.FontName);
    out.Put(";}}\r\n");
    TRtfColorTable table(out, settings);
    out.Put("{\\f1\\fs");
    out.PutNumber(source.FontSize * 2);
    out.Put("\\cf0\\cb1 ");

    // Each style's entries are looked up once, not once per run.
    std::array<int, TSM_Settings::kStyleCount> foregroundIndex, backgroundIndex;
    std::array<uint32_t, TSM_Settings::kStyleCount> foregrounds, backgrounds;
    for (int i = 0; i < TSM_Settings::kStyleCount; ++i) {
        const TSM_TokenStyle& style = settings.GetStyle(static_cast<uint8_t>(i));
        foregrounds[i] = ColorToRGB(style.Foreground);
        backgrounds[i] = ColorToRGB(style.Background);
        foregroundIndex[i] = table.IndexOf(foregrounds[i]);
        backgroundIndex[i] = table.IndexOf(backgrounds[i]);
    }

    static const std::array<TFontSwitch, 3> words{
        {{fsBold, "\\b1 ", "\\b0 "}, {fsItalic, "\\i1 ", "\\i0 "}, {fsUnderline, "\\ul1 ", "\\ul0 "}}};
    const auto& escapes = rtfEscapes();
    uint32_t foreground = table.Entry(0), background = table.Entry(1);
    TFontStyles font = 0;
    // A colour past the table falls back to the entry given, which becomes current.
    auto switchColor = [&](uint32_t& current, uint32_t wanted, int index, const char* word, int fallback) {
        if (wanted == current)
            return;
        out.Put(word);
        if (index < 0) {
            index = fallback;
            wanted = table.Entry(fallback);
        }
        out.PutNumber(index);
        out.Put(' ');
        current = wanted;
    };
    walkRange(
        source,
        [&](const TLineRecord& record, int from, int to) {
            forEachRun(record, from, to, [&](bool styled, uint8_t styleByte, std::string_view text) {
                if (styled) {
                    uint8_t index = settings.GetStyleFlag(styleByte);
                    putFontSwitches(out, font, settings.GetStyle(index).FontStyle, words);
                    switchColor(foreground, foregrounds[index], foregroundIndex[index], "\\cf", 0);
                    switchColor(background, backgrounds[index], backgroundIndex[index], "\\cb", 1);
                }
                putWithHeldCharacters(out, text, escapes, [&](char32_t cp) { putRtfCharacter(out, cp); });
            });
        },
        [&] { out.Put("\r\n"); });
    out.Put("}}");
    out.Flush();
}
