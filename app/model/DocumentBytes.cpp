// TDocumentBytes: a document's file bytes against the editor's text, so that what the user did not change is written back as it was read.
#include "app/model/DocumentBytes.h"

#include <algorithm>

#include "app/model/CodigosISO.h"

namespace {

// Past this many bytes the offsets of every character would cost more memory than the document:
// such a file is still written back as read when untouched, and whole when changed.
constexpr size_t kMaxMappedSize = 64 * 1024 * 1024;

// Each entry of `inner` (an offset into a text) taken through `outer` (that text's offsets).
void compose(std::vector<uint32_t>& inner, const std::vector<uint32_t>& outer)
{
    for (uint32_t& offset : inner)
        offset = outer[offset];
}

} // namespace

std::string TDocumentBytes::StoredForm(std::string_view text, std::vector<uint32_t>* offsets)
{
    // The line store's rewriting, with the offset each character comes from.
    std::string out;
    out.reserve(text.size());
    if (offsets)
        offsets->clear();
    const size_t count = text.size();
    const auto put = [&](char c, size_t from) {
        out.push_back(c);
        if (offsets)
            offsets->push_back(static_cast<uint32_t>(from));
    };
    size_t i = 0;
    for (; i + 1 < count; ++i) {
        const char c = text[i];
        const size_t from = i;
        if (static_cast<unsigned char>(c) >= 32 || c == '\t') {
            put(c, from);
        } else if (c == '\r') {
            if (text[i + 1] == '\n')
                ++i;
            put('\r', from);
        } else if (c == '\n') {
            // A CR that ends the text stays a line break of its own.
            if (i + 2 < count && text[i + 1] == '\r')
                ++i;
            put('\r', from);
        } else {
            put('.', from);
        }
    }
    if (i + 1 == count) {
        const char c = text[i];
        put(c == '\n' ? '\r' : c == '\0' ? '.' : c, i);
    }
    if (offsets)
        offsets->push_back(static_cast<uint32_t>(count));
    return out;
}

TDecodeResult TDocumentBytes::decode(std::string_view bytes, const TCodigosISO* entities, std::string& text,
                                     TDocumentFormat& format, size_t* references, bool* controls)
{
    // Codes hold no character below 32, so with a table whose characters are none either, decoding
    // codes after the line store's rewriting gives the same text: the bytes are read in one pass,
    // and the codes decoded in place.
    if (!entities || entities->PrintableCharacters()) {
        const TDecodeResult result = DecodeStoredText(bytes, text, format, references, controls);
        if (entities)
            entities->DecodeInPlace(text, &format.References);
        return result;
    }
    std::string decoded;
    const TDecodeResult result = DecodeDocument(bytes, decoded, format, nullptr, references);
    if (controls)
        *controls = HoldsControlCharacters(decoded);
    decoded = entities->DecodeText(decoded, nullptr, &format.References);
    text = StoredForm(decoded);
    return result;
}

std::string TDocumentBytes::textOf(std::string_view bytes, const TCodigosISO* entities,
                                   std::vector<uint32_t>* offsets) const
{
    TDocumentFormat format;
    std::string text;
    if (!offsets) {
        decode(bytes, entities, text, format, nullptr, nullptr);
        return text;
    }
    // Step by step, each step's offsets taken through the one before.
    std::vector<uint32_t> decoded, converted;
    DecodeDocument(bytes, text, format, &decoded);
    if (entities) {
        text = entities->DecodeText(text, &converted, &format.References);
        compose(converted, decoded);
    } else {
        converted = std::move(decoded);
    }
    std::string stored = StoredForm(text, offsets);
    compose(*offsets, converted);
    return stored;
}

TDecodeResult TDocumentBytes::Read(std::string bytes, const TCodigosISO* entities, std::string& text, bool model)
{
    const TDecodeResult result = decode(bytes, entities, text, Format, &ReferenceCount, &ControlCharacters);
    if (model) {
        // The model's bytes are no file of this document: it is a new one, written as UTF-8.
        FHasBytes = false;
        FBytes.clear();
        FEntities.reset();
        Format.Utf8 = true;
        Format.ByteOrderMark = false;
        Format.Utf16 = TDocumentFormat::TUtf16::None;
        return result;
    }
    Written(std::move(bytes), entities);
    return result;
}

void TDocumentBytes::Written(std::string bytes, const TCodigosISO* entities)
{
    FHasBytes = true;
    FBytes = std::move(bytes);
    FEntities = entities ? std::make_shared<const TCodigosISO>(*entities) : nullptr;
}

std::string TDocumentBytes::encode(std::string_view text, const TCodigosISO* entities, const TDocumentFormat& format)
{
    return EncodeDocument(entities ? entities->EncodeText(text) : std::string(text), format);
}

bool TDocumentBytes::reopensAs(std::string_view bytes, std::string_view text, const TCodigosISO* entities)
{
    TDocumentFormat format;
    std::string reopened;
    decode(bytes, entities, reopened, format, nullptr, nullptr);
    if (reopened == text)
        return true;
    // The text's codes read through the table and the references the reopening keeps, as the bytes were.
    return entities && reopened == StoredForm(entities->DecodeText(text, nullptr, &format.References));
}

std::string TDocumentBytes::Write(std::string_view text, const TCodigosISO* entities) const
{
    const TCodigosISO* table = entities;
    if (FHasBytes) {
        // An untouched text, the usual case, is recognised without mapping offsets; they are worked
        // out only for a changed one.
        if (text == textOf(FBytes, FEntities.get(), nullptr))
            return FBytes;
        if (FBytes.size() <= kMaxMappedSize) {
            std::vector<uint32_t> offsets;
            const std::string read = textOf(FBytes, FEntities.get(), &offsets);
            // The changed stretch lies between the longest common start and end; only it is encoded.
            const size_t shorter = std::min(text.size(), read.size());
            size_t prefix = 0;
            while (prefix < shorter && text[prefix] == read[prefix])
                ++prefix;
            size_t suffix = 0;
            while (suffix < shorter - prefix && text[text.size() - 1 - suffix] == read[read.size() - 1 - suffix])
                ++suffix;
            // A reference is one character of the file: the stretch takes it whole.
            while (prefix > 0 && offsets[prefix - 1] == offsets[prefix])
                --prefix;
            while (suffix > 0 && suffix < read.size() && offsets[read.size() - suffix] == offsets[read.size() - suffix - 1])
                --suffix;
            const std::string_view before = std::string_view(FBytes).substr(0, offsets[prefix]);
            const std::string_view after = std::string_view(FBytes).substr(offsets[read.size() - suffix]);
            const std::string_view changed = text.substr(prefix, text.size() - prefix - suffix);
            // Joined pieces can read differently (a new LF after a kept lone CR makes one line
            // break of two, a code can span the seam): only bytes that give the text back are
            // written so. Another kind of line break for the new text often avoids the join.
            for (const char* lineBreak : {"", "\r\n", "\n", "\r"}) {
                TDocumentFormat format = Format;
                format.ByteOrderMark = false;
                if (*lineBreak)
                    format.LineBreak = lineBreak;
                std::string bytes(before);
                bytes += encode(changed, table, format);
                bytes += after;
                if (reopensAs(bytes, text, table))
                    return bytes;
            }
        }
    }
    return encode(text, table, Format);
}

TDocumentBytes::TSaveBytes TDocumentBytes::SaveBytes(std::string_view text, const TCodigosISO* entities) const
{
    TSaveBytes save{Write(text, entities), Format};
    // The kept bytes, and joins that were checked, read back by construction; only a whole
    // encoding can read as another text, but checking every save costs one read and rules it out.
    if (reopensAs(save.Bytes, text, entities))
        return save;
    save.ReadsBack = false;
    if (Format.Utf8 || Format.Utf16 != TDocumentFormat::TUtf16::None)
        return save;
    TDocumentFormat utf8 = Format;
    utf8.Utf8 = true;
    utf8.ByteOrderMark = false;
    std::string bytes = encode(text, entities, utf8);
    if (reopensAs(bytes, text, entities)) {
        save.Bytes = std::move(bytes);
        save.Format = utf8;
        save.Utf8Instead = true;
    }
    return save;
}
