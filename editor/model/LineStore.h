// The editor's line store: line records, the text store, the character cursor over them and the text normaliser.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/StateSet.h" // CharSetOf

struct TLineRecord;

// The text a cursor reads: its record chain starts at a record the cursor is given, and this says how
// long the whole text is. The editing core is one.
class TTextSource {
public:
    virtual ~TTextSource() = default;
    virtual int SourceLength() const = 0;
};

// Bits of TLineRecord::Flags. They carry work between editing, highlighting and painting.
constexpr uint32_t lfStylesChanged = 0x01; // style bytes changed since the record was last drawn
constexpr uint32_t lfChanged = 0x02;       // text changed or invalidated since last drawn
constexpr uint32_t lfHasTab = 0x04;        // the record holds a TAB character
constexpr uint32_t lfRestart = 0x10;       // highlighting restarts at this record

constexpr uint32_t kNoScanState = 0xFFFFFFFFu;

// Bits of TLineRecord::MarkBits.
constexpr uint16_t mbBookmarks = 0x03FF;    // numbered bookmarks 0..9
constexpr uint16_t mbContinuation = 0x1000; // continues the logical line of the previous record

// Inserted text is cut into records of at most this many characters; the longest line the painter,
// highlighter and wrapper ever have to handle stays bounded.
constexpr int kRecordCut = 2047;
// A record of this length or longer is cut again by re-wrapping.
constexpr int kRewrapLength = 2048;

// An object that follows one line through edits. When its record is replaced (split, merged,
// re-wrapped) the object moves to the record that replaces the line's first piece.
class TLineTrack {
public:
    virtual ~TLineTrack() = default;
    TLineRecord* Record = nullptr;
};

// A record's characters. The text a record is made with lives in the record's own block, right after
// it, so that a record costs one allocation; a text that replaces it later comes from NewRecordText.
// Each kind has one byte before its first character saying which it is, and freeing looks at it:
// a record's text is never a plain new[] array.
struct TRecordTextDelete {
    void operator()(char* text) const;
};
using TRecordText = std::unique_ptr<char[], TRecordTextDelete>;
// A text of its own for a record, with room for `length` characters and the NUL.
TRecordText NewRecordText(size_t length);

// One display line of the text. Text is NUL-terminated and Len + 1 bytes long; a logical line ends
// with a single CR in the last piece. Styles holds one byte per character, or nothing before the
// record is first highlighted.
struct TLineRecord {
    // Room for a text in the record's block (see TRecordText), asked for by NewLineRecord.
    struct TTextRoom {
        size_t Bytes;
    };
    static void* operator new(size_t size) { return ::operator new(size); }
    static void* operator new(size_t size, TTextRoom room) { return ::operator new(size + room.Bytes); }
    static void operator delete(void* block) { ::operator delete(block); }
    static void operator delete(void* block, TTextRoom) { ::operator delete(block); }

    // Fields are ordered so that the record takes no padding.
    uint16_t Len = 0;
    uint16_t SpareLen = 0; // the bytes SpareStyles holds
    // The digest of the scanner's state after the record's last character, from the highlighting
    // run that stored its style bytes; kNoScanState when unknown. Equal bytes alone do not show that a
    // run may stop (an empty line reads the same inside a tag and outside it); equal states do.
    uint32_t ScanState = 0xFFFFFFFFu;
    TRecordText Text;
    std::unique_ptr<uint8_t[]> Styles;
    // Style bytes a reset of the highlighting dropped, kept for the next run to fill instead of
    // allocating anew; never read.
    std::unique_ptr<uint8_t[]> SpareStyles;
    TLineTrack* Track = nullptr;
    uint32_t Flags = 0;
    uint16_t MarkBits = 0;
    uint16_t GlyphBits = 0;
    int32_t Reserved1 = -1;
    int32_t Reserved2 = -1;
    TLineRecord* Next = nullptr;
    TLineRecord* Prev = nullptr;

    bool EndsWithCR() const { return Len > 0 && Text[Len - 1] == '\r'; }
    std::string_view View() const { return {Text.get(), Len}; }
};
// One is made for every line of a text: a field more must not make it larger.
static_assert(sizeof(void*) != 8 || sizeof(TLineRecord) <= 72, "TLineRecord grew");

// What a line keeps when its records are replaced (re-cut, merged, re-wrapped): marks, glyphs and the
// two reserved words, held by the line's first record. The tracking object moves with them through
// the editing core, which knows who owns it.
struct TLineData {
    uint16_t MarkBits = 0;
    uint16_t GlyphBits = 0;
    int32_t Reserved1 = -1;
    int32_t Reserved2 = -1;

    static TLineData Of(const TLineRecord& record)
    {
        return {record.MarkBits, record.GlyphBits, record.Reserved1, record.Reserved2};
    }
    void ApplyTo(TLineRecord& record) const
    {
        record.MarkBits = MarkBits;
        record.GlyphBits = GlyphBits;
        record.Reserved1 = Reserved1;
        record.Reserved2 = Reserved2;
    }
};

// A new unlinked record holding a copy of `length` characters (length 0..65535).
TLineRecord* NewLineRecord(const char* text, int length);
// Frees a record with its text and style bytes; nil is allowed. The tracking object is left alone.
void FreeLineRecord(TLineRecord* record);
// Frees a chain of records following Next.
void FreeLineChain(TLineRecord* first);

// The run of characters around character `index` of `record` that share its style byte, across
// neighbouring records as long as they have style bytes: it starts `Before` characters before
// `index`, and `Text` holds its characters up to `maxLength` of them. The record must have style
// bytes and `index` lie inside it.
struct TStyledRun {
    int Before = 0;
    std::string Text;
};
TStyledRun StyledRunAround(const TLineRecord* record, int index, size_t maxLength);

// Cuts `text` into a new chain: each record takes characters up to and including the next CR, at most
// kRecordCut of them. Records after one that does not end with CR carry mbContinuation. Every record
// is flagged lfStylesChanged | lfChanged, plus lfHasTab when it holds a TAB. `length` must be >= 1.
struct TRecordChain {
    TLineRecord* First = nullptr;
    TLineRecord* Last = nullptr;
    int Count = 0;
};
TRecordChain CutIntoRecords(const char* text, int length);

// The text offset of a record: the lengths of all records before it (0 for nil). Walks the chain.
int RecordOffset(const TLineRecord* record);

// The chain of records of one editor's text, and the editors that show it.
class TTextStore {
public:
    TTextStore() = default;
    ~TTextStore();
    TTextStore(const TTextStore&) = delete;
    TTextStore& operator=(const TTextStore&) = delete;

    TLineRecord* First() const { return FFirst; }
    void SetFirst(TLineRecord* record) { FFirst = record; }
    // Adds an editor unless it is listed already.
    void AddClient(TTextSource* editor);
    const std::vector<TTextSource*>& Clients() const { return FClients; }

private:
    TLineRecord* FFirst = nullptr;
    std::vector<TTextSource*> FClients;
};

// A read-only stream that also reads character by character; the parser scans the text through it.
class TCustomEdStream : public TStream {
public:
    virtual char CurrentChar() = 0;
    virtual int64_t GetPos() = 0;
    virtual void SetPos(int64_t newPos) = 0;
    virtual bool AtEnd() = 0;
    virtual void Next() = 0;
    virtual void Prev() = 0;
};

// The place of a character cursor in a record chain, as a plain value whose reading operations are
// inline: TEdStream keeps its place in one and reads through it, and a scanner that reads many
// characters per call copies the place out, reads the records directly and puts the place back.
// Both read the same characters because they run the same code.
class TRecordCursor {
public:
    TRecordCursor() = default;
    TRecordCursor(TLineRecord* record, int offsetInRecord, int64_t position, int64_t textLength)
        : FRecord(record), FPosition(position), FTextLength(textLength), FOffset(offsetInRecord)
    {
    }

    // The character at the cursor; 0 past the end of its record, which is the end of the text.
    char CurrentChar() const { return FRecord && FOffset < FRecord->Len ? FRecord->Text[FOffset] : '\0'; }
    int64_t GetPos() const { return FPosition; }
    bool AtEnd() const { return FPosition >= FTextLength; }
    // One character on; from a record's last character to the next record's first. At the end of
    // the text the cursor stays one past the last character.
    void Next()
    {
        if (!FRecord)
            return;
        if (FOffset < FRecord->Len - 1) {
            ++FOffset;
            ++FPosition;
        } else {
            nextRecord();
        }
    }
    // One character back; nothing at the first character of the text.
    void Prev()
    {
        if (!FRecord)
            return;
        if (FOffset == 0) {
            if (!FRecord->Prev)
                return;
            FRecord = FRecord->Prev;
            FOffset = FRecord->Len - 1;
        } else {
            --FOffset;
        }
        --FPosition;
    }
    // Walks the chain from the cursor; a position beyond either end leaves the cursor at that end
    // while GetPos reports the position asked for.
    void SetPos(int64_t newPos);

    // A place taken with Mark and given back with Restore: the same as SetPos to that position, without
    // the walk.
    struct TMark {
        TLineRecord* Record;
        int64_t Position;
        int Offset;
    };
    TMark Mark() const { return {FRecord, FPosition, FOffset}; }
    void Restore(const TMark& mark)
    {
        FRecord = mark.Record;
        FPosition = mark.Position;
        FOffset = mark.Offset;
    }

    // The characters from the cursor to the end of its record, to be read without a call per
    // character; Skip moves over some of them.
    std::string_view Span() const
    {
        if (!FRecord || FOffset >= FRecord->Len)
            return {};
        return {FRecord->Text.get() + FOffset, static_cast<size_t>(FRecord->Len - FOffset)};
    }
    // The same as `count` calls of Next, for a count less than Span's length.
    void Skip(int count)
    {
        FOffset += count;
        FPosition += count;
    }

    TLineRecord* Record() const { return FRecord; }
    int OffsetInRecord() const { return FOffset; }
    int64_t TextLength() const { return FTextLength; }

private:
    void nextRecord()
    {
        if (FRecord->Next) {
            FRecord = FRecord->Next;
            FOffset = 0;
            ++FPosition;
        } else {
            if (FOffset == FRecord->Len - 1)
                ++FPosition;
            FOffset = FRecord->Len;
        }
    }

    TLineRecord* FRecord = nullptr;
    int64_t FPosition = 0;
    int64_t FTextLength = 0;
    int FOffset = 0;
};

// A cursor over an editor's record chain. It copies the text length when it is created or reset and
// does not follow later edits, so it must be reset before each scan.
class TEdStream : public TCustomEdStream {
public:
    explicit TEdStream(TTextSource* source);

    int64_t Read(void* buffer, int64_t count) override;
    // Always raises EStreamError: the text changes only through the editor.
    int64_t Write(const void* buffer, int64_t count) override;
    // Origin 2 moves to the text length minus `offset`.
    int64_t Seek(int64_t offset, int origin) override;
    int64_t GetSize() override { return FPlace.TextLength(); }

    char CurrentChar() override { return FPlace.CurrentChar(); }
    int64_t GetPos() override { return FPlace.GetPos(); }
    void SetPos(int64_t newPos) override { FPlace.SetPos(newPos); }
    bool AtEnd() override { return FPlace.AtEnd(); }
    void Next() override { FPlace.Next(); }
    void Prev() override { FPlace.Prev(); }

    // Makes `record` current at `offsetInRecord`; the position becomes recordStart + offsetInRecord.
    void Reset(TLineRecord* record, int offsetInRecord, int64_t recordStart);

    TTextSource* Source() const { return FEditor; }
    TLineRecord* Record() const { return FPlace.Record(); }
    int OffsetInRecord() const { return FPlace.OffsetInRecord(); }
    // The cursor's place, to read from directly, and the place to take up again afterwards.
    const TRecordCursor& Place() const { return FPlace; }
    void SetPlace(const TRecordCursor& place) { FPlace = place; }

private:
    TTextSource* FEditor;
    TRecordCursor FPlace;
};

// A read-only stream over a NUL-terminated buffer it neither copies nor frees.
class TFastMemoryStream : public TCustomMemoryStream {
public:
    explicit TFastMemoryStream(const char* text);
    // Always raises EStreamError.
    int64_t Write(const void* buffer, int64_t count) override;
};

// Rewrites `count` (>= 1) characters of `source` into `dest` (count + 1 bytes) with every line break
// as one CR: CR LF and LF CR pairs and single LFs become CR, other control characters below 32 except
// TAB become ".". The block's last character is taken as it is, except that LF becomes CR and NUL
// becomes "."; so a block may end with a control character such as 0x1A, and LF CR ending a block
// gives two CRs. Returns the length written; a NUL follows.
int NormaliseText(char* dest, const char* source, int count);
// The same for a piece of a longer text cut where CutPartsLineBreak allows: the last character is
// treated like the others, so the pieces together give what the whole text would.
int NormaliseChunk(char* dest, const char* source, int count);

// True when a cut after `length` characters of `text` would part a CR LF or LF CR pair that the
// normaliser joins, `next` being the first character after the cut. Cutting one character earlier
// never does.
bool CutPartsLineBreak(const char* text, int length, char next);

// A pair of 32-bit text offsets.
struct TTextRange {
    int32_t Start = 0;
    int32_t End = 0;
    bool operator==(const TTextRange&) const = default;
};
// Copies `source` into `dest` with Start <= End.
void OrderRange(const TTextRange& source, TTextRange& dest);

int MinInt(int a, int b);
void ReverseString(std::string& s);
void WriteByte(TStream& stream, uint8_t b);
