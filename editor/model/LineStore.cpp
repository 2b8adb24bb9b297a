// The editor's line store: records, text store, the character cursor, the normaliser and small helpers.
#include "editor/model/LineStore.h"

#include <algorithm>
#include <cstring>

#include "platform/core/ByteScan.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kReadOnlyStreamMessage = 4203;

bool isLineBreak(char c)
{
    return c == '\r' || c == '\n';
}

} // namespace

// ---------------------------------------------------------------- records

namespace {

// The byte before a record's first character: where the text lives.
constexpr char kTextOfItsOwn = 0;
constexpr char kTextInRecord = 1;

} // namespace

void TRecordTextDelete::operator()(char* text) const
{
    if (text[-1] == kTextOfItsOwn)
        delete[] (text - 1);
}

TRecordText NewRecordText(size_t length)
{
    char* block = new char[length + 2];
    block[0] = kTextOfItsOwn;
    return TRecordText(block + 1);
}

TLineRecord* NewLineRecord(const char* text, int length)
{
    // The mark byte, the characters and the NUL follow the record in its block.
    auto* record = new (TLineRecord::TTextRoom{static_cast<size_t>(length) + 2}) TLineRecord;
    char* room = reinterpret_cast<char*>(record + 1);
    room[0] = kTextInRecord;
    record->Len = static_cast<uint16_t>(length);
    record->Text.reset(room + 1);
    if (length > 0)
        std::memcpy(record->Text.get(), text, static_cast<size_t>(length));
    record->Text[length] = '\0';
    return record;
}

void FreeLineRecord(TLineRecord* record)
{
    delete record;
}

void FreeLineChain(TLineRecord* first)
{
    while (first) {
        TLineRecord* next = first->Next;
        FreeLineRecord(first);
        first = next;
    }
}

TStyledRun StyledRunAround(const TLineRecord* record, int index, size_t maxLength)
{
    const uint8_t style = record->Styles[index];
    TStyledRun run;
    const TLineRecord* r = record;
    int i = index;
    for (;;) {
        if (i > 0) {
            if (r->Styles[i - 1] != style)
                break;
            --i;
            ++run.Before;
            continue;
        }
        const TLineRecord* before = r->Prev;
        if (!before || !before->Styles || before->Len == 0 || before->Styles[before->Len - 1] != style)
            break;
        r = before;
        i = before->Len - 1;
        ++run.Before;
    }
    while (run.Text.size() < maxLength) {
        if (i < r->Len) {
            if (r->Styles[i] != style)
                break;
            run.Text += r->Text[i++];
            continue;
        }
        if (!r->Next || !r->Next->Styles)
            break;
        r = r->Next;
        i = 0;
    }
    return run;
}

TRecordChain CutIntoRecords(const char* text, int length)
{
    TRecordChain chain;
    int pos = 0;
    // The next TAB is looked for once, not in every record up to it: most texts have few or none.
    int nextTab = -1;
    while (pos < length) {
        int limit = std::min(length - pos, kRecordCut);
        const void* cr = std::memchr(text + pos, '\r', static_cast<size_t>(limit));
        int n = cr ? static_cast<int>(static_cast<const char*>(cr) - (text + pos)) + 1 : limit;
        if (nextTab != length && nextTab < pos) {
            const void* tab = std::memchr(text + pos, '\t', static_cast<size_t>(length - pos));
            nextTab = tab ? static_cast<int>(static_cast<const char*>(tab) - text) : length;
        }
        TLineRecord* record = NewLineRecord(text + pos, n);
        record->Flags = lfStylesChanged | lfChanged | (nextTab < pos + n ? lfHasTab : 0);
        if (chain.Last) {
            if (!chain.Last->EndsWithCR())
                record->MarkBits = mbContinuation;
            chain.Last->Next = record;
            record->Prev = chain.Last;
        } else {
            chain.First = record;
        }
        chain.Last = record;
        ++chain.Count;
        pos += n;
    }
    return chain;
}

int RecordOffset(const TLineRecord* record)
{
    int offset = 0;
    for (const TLineRecord* r = record ? record->Prev : nullptr; r; r = r->Prev)
        offset += r->Len;
    return offset;
}

// ---------------------------------------------------------------- TTextStore

TTextStore::~TTextStore()
{
    FreeLineChain(FFirst);
}

void TTextStore::AddClient(TTextSource* editor)
{
    if (std::find(FClients.begin(), FClients.end(), editor) == FClients.end())
        FClients.push_back(editor);
}

// ---------------------------------------------------------------- TEdStream

TEdStream::TEdStream(TTextSource* source)
    : FEditor(source), FPlace(nullptr, 0, 0, source ? source->SourceLength() : 0)
{
}

int64_t TEdStream::Read(void* buffer, int64_t count)
{
    auto* out = static_cast<char*>(buffer);
    TLineRecord* record = FPlace.Record();
    int offset = FPlace.OffsetInRecord();
    int64_t position = FPlace.GetPos();
    const int64_t textLength = FPlace.TextLength();
    int64_t done = 0;
    while (done < count && position < textLength && record) {
        if (offset >= record->Len) {
            if (!record->Next)
                break;
            record = record->Next;
            offset = 0;
            continue;
        }
        int64_t n = std::min<int64_t>({count - done, record->Len - offset, textLength - position});
        std::memcpy(out + done, record->Text.get() + offset, static_cast<size_t>(n));
        done += n;
        offset += static_cast<int>(n);
        position += n;
    }
    // Leaving the cursor at the end of a record mid-text would make CurrentChar report the end of the
    // text and Next skip a character; stand on the next record instead.
    if (record && offset >= record->Len && record->Next) {
        record = record->Next;
        offset = 0;
    }
    FPlace = TRecordCursor(record, offset, position, textLength);
    return done;
}

int64_t TEdStream::Write(const void*, int64_t)
{
    throw EStreamError(LoadResString(kReadOnlyStreamMessage));
}

int64_t TEdStream::Seek(int64_t offset, int origin)
{
    switch (origin) {
    case soFromBeginning:
        SetPos(offset);
        break;
    case soFromCurrent:
        if (offset != 0)
            SetPos(GetPos() + offset);
        break;
    case soFromEnd:
        if (FEditor)
            SetPos(FPlace.TextLength() - offset);
        break;
    default:
        break;
    }
    return GetPos();
}

void TEdStream::Reset(TLineRecord* record, int offsetInRecord, int64_t recordStart)
{
    FPlace = TRecordCursor(record, offsetInRecord, recordStart + offsetInRecord, FEditor ? FEditor->SourceLength() : 0);
}

// ---------------------------------------------------------------- TRecordCursor

void TRecordCursor::SetPos(int64_t newPos)
{
    // A position set beyond either end leaves the cursor at that end; walk from where it stands.
    int64_t delta = newPos - std::clamp<int64_t>(FPosition, 0, FTextLength);
    if (FRecord && delta > 0) {
        for (;;) {
            int64_t left = FRecord->Len - FOffset;
            if (delta < left) {
                FOffset += static_cast<int>(delta);
                break;
            }
            if (!FRecord->Next) {
                FOffset = FRecord->Len;
                break;
            }
            delta -= left;
            FRecord = FRecord->Next;
            FOffset = 0;
        }
    } else if (FRecord && delta < 0) {
        int64_t back = -delta;
        for (;;) {
            if (back <= FOffset) {
                FOffset -= static_cast<int>(back);
                break;
            }
            if (!FRecord->Prev) {
                FOffset = 0;
                break;
            }
            back -= FOffset + 1;
            FRecord = FRecord->Prev;
            FOffset = FRecord->Len - 1;
        }
    }
    FPosition = newPos;
}

// ---------------------------------------------------------------- TFastMemoryStream

TFastMemoryStream::TFastMemoryStream(const char* text)
    : TCustomMemoryStream(text, static_cast<int64_t>(std::strlen(text)))
{
}

int64_t TFastMemoryStream::Write(const void*, int64_t)
{
    throw EStreamError(LoadResString(kReadOnlyStreamMessage));
}

// ---------------------------------------------------------------- normaliser

namespace {

// Normalises `count` characters. At the end of a block the last character goes through almost
// unchanged; inside a longer text it is classified like the others.
int normalise(char* dest, const char* source, int count, bool blockEnd)
{
    int out = 0;
    int i = 0;
    int classified = blockEnd ? count - 1 : count;
    for (; i < classified; ++i) {
        // Runs without control characters or line breaks, most of a text, go across a word at a time.
        while (i + 8 <= classified && EightBytesAtLeast32(source + i)) {
            std::memcpy(dest + out, source + i, 8);
            out += 8;
            i += 8;
        }
        if (i == classified)
            break;
        char c = source[i];
        auto u = static_cast<unsigned char>(c);
        // The mark of a held character is text like any other.
        if (u >= 32 || c == '\t' || c == kHeldCharacterMark) {
            dest[out++] = c;
        } else if (c == '\r') {
            dest[out++] = '\r';
            if (i + 1 < count && source[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            dest[out++] = '\r';
            // A CR that ends the block stays a line break of its own.
            if (i + 1 < classified && source[i + 1] == '\r')
                ++i;
        } else {
            dest[out++] = '.';
        }
    }
    // A NUL never goes through, since the records are NUL-terminated.
    if (i == count - 1) {
        char c = source[i];
        dest[out++] = c == '\n' ? '\r' : c == '\0' ? '.' : c;
    }
    dest[out] = '\0';
    return out;
}

} // namespace

int NormaliseText(char* dest, const char* source, int count)
{
    return normalise(dest, source, count, true);
}

int NormaliseChunk(char* dest, const char* source, int count)
{
    return normalise(dest, source, count, false);
}

bool CutPartsLineBreak(const char* text, int length, char next)
{
    if (length <= 0)
        return false;
    char last = text[length - 1];
    if (!isLineBreak(last) || !isLineBreak(next) || next == last)
        return false;
    // The normaliser pairs a run of alternating CR and LF from its start, so the last character is
    // still free to pair with `next` only when the run ending with it has odd length.
    int run = 1;
    while (run < length) {
        char c = text[length - 1 - run];
        if (!isLineBreak(c) || c == text[length - run])
            break;
        ++run;
    }
    return run % 2 == 1;
}

// ---------------------------------------------------------------- small routines

void OrderRange(const TTextRange& source, TTextRange& dest)
{
    if (source.End < source.Start)
        dest = {source.End, source.Start};
    else
        dest = source;
}

int MinInt(int a, int b)
{
    return a < b ? a : b;
}

void ReverseString(std::string& s)
{
    std::reverse(s.begin(), s.end());
}

void WriteByte(TStream& stream, uint8_t b)
{
    stream.WriteBuffer(&b, 1);
}
