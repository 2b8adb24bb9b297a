// libFuzzer target: pasted or dropped data through the HTML filter, a drop's cut to its length and the editor's form of the platform's text, and any text with any style bytes
// through the HTML and RTF writers.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "editor/model/DocumentWriters.h"
#include "editor/model/DroppedText.h"
#include "editor/model/LineStore.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/DocumentText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const TSourceTypes types = static_cast<TSourceTypes>(data[0] | data[1] << 8);
    const uint8_t layout = data[2];
    const std::string rest(reinterpret_cast<const char*>(data) + 3, size - 3);

    // The filter only ever keeps a piece of what it was given.
    std::string text = rest;
    FilterDroppedText(text, types);
    if (text.size() > rest.size() || rest.find(text) == std::string::npos)
        std::abort();
    // A drop's text is its list's text cut to the length read, never more.
    TDropObj dropped;
    auto list = std::make_unique<TStringList>();
    list->SetText(rest);
    const std::string whole = list->Text();
    dropped.SetList(layout, std::move(list), rest.size());
    const std::string cut = dropped.Text(layout);
    if (cut.size() > rest.size() || whole.compare(0, cut.size(), cut) != 0 ||
        ((layout & 127) >= TDropObj::kKinds) != (dropped.GetList(layout) == nullptr))
        std::abort();
    // Pasted from another program, as the platform's text: every mark in the editor's text begins a
    // held character, never a control one, and the text gives every character back but U+001F,
    // which the editor takes as ".".
    if (IsValidUtf8(rest)) {
        const std::string held = Utf8ToEditorText(rest);
        std::string checked = held;
        ReplaceStrayMarks(checked, '.');
        char32_t cp;
        for (size_t at = held.find(kHeldCharacterMark); at != std::string::npos; at = held.find(kHeldCharacterMark, at + 1))
            if (!ReadHeldCharacter(held, at, cp) || cp < 0x20)
                std::abort();
        std::string back = rest;
        std::replace(back.begin(), back.end(), '\x1F', '.');
        if (checked != held || EditorTextToUtf8(held) != back)
            std::abort();
    }
    if (rest.empty())
        return 0;

    // The bytes are the text and, read again, the style bytes; records cut as the editor cuts them.
    TRecordChain chain = CutIntoRecords(rest.data(), static_cast<int>(rest.size()));
    size_t at = 0;
    for (TLineRecord* r = chain.First; r; r = r->Next) {
        if ((layout & 1) && r->Len > 0) {
            r->Styles.reset(new uint8_t[r->Len]);
            for (int i = 0; i < r->Len; ++i)
                r->Styles[i] = static_cast<uint8_t>(rest[(at + static_cast<size_t>(i) * 7) % rest.size()]);
        }
        at += r->Len;
    }
    // One settings object for every input: building one costs more than the writers do.
    static TSM_Settings settings;
    for (int i = 0; i < 256; ++i) {
        TSM_TokenStyle style;
        style.Foreground = static_cast<TColor>(static_cast<uint8_t>(rest[static_cast<size_t>(i) % rest.size()]) * 0x10101 ^ i);
        style.Background = static_cast<TColor>(i * 0x30507);
        style.FontStyle = static_cast<TFontStyles>(i & 7);
        style.Defined = (layout & 2) ? 1 : i % 3;
        settings.SetStyle(static_cast<uint8_t>(i), style);
        settings.SetStyleFlag(static_cast<uint8_t>(i), static_cast<uint8_t>(rest[static_cast<size_t>(i) % rest.size()]));
    }
    TExportSource source;
    source.First = chain.First;
    source.FirstIndex = layout >> 4;
    source.Last = (layout & 4) ? chain.First : chain.Last;
    source.LastIndex = (layout & 8) ? 0 : 0xFFFF;
    source.Settings = &settings;
    source.FontName = "Courier New";
    source.Title = rest.substr(0, 16);
    TMemoryStream html, rtf;
    WriteHTMLDocument(html, source);
    WriteRTFDocument(rtf, source);
    // Whatever the text, both documents are written to their closing bytes.
    std::string page = html.AsString(), doc = rtf.AsString();
    if (!page.ends_with("</PRE></FONT></BODY></HTML>\r\n") || !doc.ends_with("}}"))
        std::abort();
    FreeLineChain(chain.First);
    return 0;
}
