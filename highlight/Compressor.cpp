// LZRW1/KH block coding, the LZHUF coder and the buffered I/O through which TCompressor drives them.
#include "highlight/Compressor.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <system_error>

namespace {

// ---------------------------------------------------------------- the packed form

constexpr char kSignatureKH[4] = {'W', 'R', 'Z', 'L'};
constexpr char kSignatureLZH[4] = {'!', 'H', 'Z', 'L'};
constexpr int kHeaderSize = 8;

constexpr int kBlockSize = 32768;               // input bytes per LZRW1/KH block
constexpr int kMaxBlockLength = kBlockSize + 1; // a stored block: the flag and the input as it is
// The block compressor notices that it has passed the input length only after one more control
// word and item (at most 6 bytes); the buffers leave room for that overrun and the length word.
constexpr int kIOBufferSize = 32784;

constexpr uint8_t kStoredFlag = 0x80;
constexpr uint8_t kCompressedFlag = 0x40;
constexpr int kItemsPerControlWord = 16;
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 18;
constexpr int kMaxOffset = 4095;
constexpr int kMinRun = 16;
constexpr int kMaxRun = 4095;
constexpr uint16_t kEmptySlot = 0xFFFF;
constexpr int kHashSlots = 4096;

// The texts of the failures; the typos are the ones users have always seen.
namespace text {
const char* const BuffersFailed = "Compressor (de)compression : Failed to get memory for I/O buffers !";
const char* const StreamSizeFailed = "Compressor compression : Failed to obtain the size of the input stream !";
const char* const FileSizeFailed = "Compressor compression : Failed to obtain the size of : ";
const char* const InputStreamFailed = "Compressor (de)compression : Failed to initialize input stream !";
const char* const OutputStreamFailed = "Compressor (de)compression : Failed to initialize output stream !";
const char* const InputFileFailed = "Compressor (de)compression : Failed to open input file : ";
const char* const OutputFileFailed = "Compressor (de)compression : Failed to open output file : ";
const char* const StreamReadFailed = "Compressor : Error reading from input stream !";
const char* const FileReadFailed = "Compressor : Error reading from input file : ";
const char* const StreamWriteFailed = "Compressor : Error writing to output stream !";
const char* const FileWriteFailed = "Compressor : Error writing to output file : ";
const char* const StreamHeaderBad = "Compressor decompression : input stream contains no valid header !";
const char* const FileHeaderBad = " : Compressor decompression : this file has no valid header !";
const char* const SizeMismatchKH =
    "Compressor (decompression Compressor/KH) : Original and compressed sizes do not match !";
const char* const SizeMismatchLZH = "Compressor (LZH decompression) : Original and compressed sizes do not match !";
const char* const AdviseBuffersFailed = "Compressor advise : Error getting I/O buffers";
const char* const AdviseStreamSizeFailed = "Compressor advise : can not get size of inputstream !";
const char* const AdviseFileSizeFailed = "Compressor advise : can not get the size of : ";
const char* const AdviseStreamFailed = "Compressor edvise : can not initialize the input stream!";
const char* const AdviseFileFailed = "Compressor advise : can open input file : ";
const char* const AdviseStreamReadFailed = "Compressor advise : input stream read error !";
const char* const AdviseFileReadFailed = "Compressor advise : read error on input file : ";
const char* const LzhTablesFailed = "LZH : Cannot get memory for dictionary tables";
} // namespace text

void putLittleEndian32(uint8_t* to, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        to[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t getLittleEndian32(const uint8_t* from)
{
    return from[0] | from[1] << 8 | from[2] << 16 | static_cast<uint32_t>(from[3]) << 24;
}

void putBigEndian16(uint8_t* to, unsigned value)
{
    to[0] = static_cast<uint8_t>(value >> 8);
    to[1] = static_cast<uint8_t>(value);
}

// ---------------------------------------------------------------- LZRW1/KH blocks

// Positions of the last string seen per hash. One table serves every block: refilling 8 KB per block
// costs less than allocating it, and compression only ever runs on the user-interface thread.
std::array<uint16_t, kHashSlots> hashTable;

unsigned hashOf(const uint8_t* p)
{
    uint32_t mixed = ((static_cast<uint32_t>(p[0]) << 4 ^ p[1]) << 4) ^ p[2];
    return (mixed * 40543u >> 4) & (kHashSlots - 1);
}

// Codes n <= kBlockSize input bytes into `out`; returns the block length. The output is abandoned for
// the stored form as soon as it grows past the input.
int compressBlock(const uint8_t* in, int n, uint8_t* out)
{
    hashTable.fill(kEmptySlot);
    out[0] = kCompressedFlag;
    int controlAt = 1;
    int outPos = 3;
    unsigned control = 0;
    int items = 0;
    int inPos = 0;
    while (inPos < n && outPos <= n) {
        if (items == kItemsPerControlWord) {
            putBigEndian16(out + controlAt, control);
            controlAt = outPos;
            outPos += 2;
            control = 0;
            items = 0;
        }
        const uint8_t byte = in[inPos];
        const int runLimit = std::min(n - inPos, kMaxRun);
        int run = 1;
        while (run < runLimit && in[inPos + run] == byte)
            ++run;
        unsigned flag = 0;
        if (run >= kMinRun) {
            // Runs bypass the hash table: their strings would only evict more useful positions.
            const int count = run - kMinRun;
            out[outPos++] = 0;
            out[outPos++] = static_cast<uint8_t>(count >> 8);
            out[outPos++] = static_cast<uint8_t>(count);
            out[outPos++] = byte;
            inPos += run;
            flag = 1;
        } else {
            int length = 0;
            int candidate = 0;
            if (n - inPos >= kMinMatch) {
                uint16_t& slot = hashTable[hashOf(in + inPos)];
                candidate = slot;
                if (slot != kEmptySlot && inPos - candidate <= kMaxOffset) {
                    const int limit = std::min(n - inPos, kMaxMatch);
                    while (length < limit && in[candidate + length] == in[inPos + length])
                        ++length;
                }
                slot = static_cast<uint16_t>(inPos);
            }
            if (length >= kMinMatch) {
                putBigEndian16(out + outPos, static_cast<unsigned>(inPos - candidate) << 4 | (length - kMinMatch));
                outPos += 2;
                inPos += length;
                flag = 1;
            } else {
                out[outPos++] = byte;
                ++inPos;
            }
        }
        control = control << 1 | flag;
        ++items;
    }
    if (outPos > n) {
        out[0] = kStoredFlag;
        std::memcpy(out + 1, in, static_cast<size_t>(n));
        return n + 1;
    }
    putBigEndian16(out + controlAt, control << (kItemsPerControlWord - items));
    return outPos;
}

// Decodes one block of `length` bytes into `out` (room for kBlockSize bytes); returns the decoded
// length, or -1 when the block is corrupt: an unknown flag, an item cut short, a copy reaching before
// the block's output or output beyond kBlockSize.
int expandBlock(const uint8_t* in, int length, uint8_t* out)
{
    if (length < 2)
        return 0;
    if (in[0] == kStoredFlag) {
        if (length - 1 > kBlockSize)
            return -1;
        std::memcpy(out, in + 1, static_cast<size_t>(length - 1));
        return length - 1;
    }
    if (in[0] != kCompressedFlag || length < 3)
        return -1;
    unsigned control = static_cast<unsigned>(in[1] << 8 | in[2]);
    int controlBits = kItemsPerControlWord;
    int pos = 3;
    int outPos = 0;
    while (pos < length) {
        if (controlBits == 0) {
            // A control word always stands before an item: 3 bytes at the least.
            if (length - pos < 3)
                return -1;
            control = static_cast<unsigned>(in[pos] << 8 | in[pos + 1]);
            controlBits = kItemsPerControlWord;
            pos += 2;
        }
        const bool coded = (control & 0x8000) != 0;
        control <<= 1;
        --controlBits;
        if (!coded) {
            if (outPos >= kBlockSize)
                return -1;
            out[outPos++] = in[pos++];
            continue;
        }
        if (length - pos < 2)
            return -1;
        const unsigned word = static_cast<unsigned>(in[pos] << 8 | in[pos + 1]);
        const int offset = static_cast<int>(word >> 4);
        if (offset == 0) {
            if (length - pos < 4)
                return -1;
            const int count = (in[pos + 1] << 8 | in[pos + 2]) + kMinRun;
            if (count > kBlockSize - outPos)
                return -1;
            std::memset(out + outPos, in[pos + 3], static_cast<size_t>(count));
            outPos += count;
            pos += 4;
        } else {
            const int count = static_cast<int>(word & 15) + kMinMatch;
            if (offset > outPos || count > kBlockSize - outPos)
                return -1;
            // Byte by byte: a copy that overlaps its source repeats the pattern.
            for (int i = 0; i < count; ++i, ++outPos)
                out[outPos] = out[outPos - offset];
            pos += 2;
        }
    }
    return outPos;
}

// ---------------------------------------------------------------- streams and files

// The two I/O buffers of one operation.
struct IOBuffers {
    explicit IOBuffers(const char* failure)
        : input(new (std::nothrow) uint8_t[kIOBufferSize]), output(new (std::nothrow) uint8_t[kIOBufferSize])
    {
        if (!input || !output)
            throw ECompressorException(failure);
    }
    std::unique_ptr<uint8_t[]> input;
    std::unique_ptr<uint8_t[]> output;
};

// Reads until `count` bytes have come or the stream ends; -1 when the stream fails.
int64_t readFully(TStream& stream, uint8_t* buffer, int64_t count)
{
    int64_t done = 0;
    try {
        while (done < count) {
            const int64_t n = stream.Read(buffer + done, count - done);
            if (n < 0 || n > count - done)
                return -1;
            if (n == 0)
                break;
            done += n;
        }
    } catch (const Exception&) {
        return -1;
    }
    return done;
}

// The input's whole size, -1 when it cannot be found.
int64_t measureInput(const TCompressor& owner)
{
    if (owner.UseStreams) {
        if (!owner.InputStream)
            return -1;
        try {
            return owner.InputStream->GetSize();
        } catch (const Exception&) {
            return -1;
        }
    }
    std::error_code error;
    const auto size = std::filesystem::file_size(owner.InputFileName, error);
    return error || size > static_cast<uintmax_t>(INT64_MAX) ? -1 : static_cast<int64_t>(size);
}

bool acceptsSeek(TStream* stream)
{
    if (!stream)
        return false;
    try {
        return stream->Seek(0, soFromCurrent) >= 0;
    } catch (const Exception&) {
        return false;
    }
}

// Which step a read serves; the failure texts name it.
enum class ReadKind { Plain, KH, LZH };

// The input and output of one Compress or Decompress: the caller's streams or the named files, with
// the texts their failures raise. An output file left unfinished by a failure is removed, so that no
// half-written file passes for a good one.
class Channels {
public:
    explicit Channels(const TCompressor& owner) : FOwner(owner) {}
    Channels(const Channels&) = delete;
    Channels& operator=(const Channels&) = delete;

    ~Channels()
    {
        FInputFile.reset();
        if (FOutputFile && !FFinished) {
            FOutputFile.reset();
            std::error_code ignored;
            std::filesystem::remove(FOwner.OutputFileName, ignored);
        }
    }

    void open()
    {
        if (FOwner.UseStreams) {
            if (!acceptsSeek(FOwner.InputStream))
                throw ECompressorException(text::InputStreamFailed);
            if (!acceptsSeek(FOwner.OutputStream))
                throw ECompressorException(text::OutputStreamFailed);
            FInput = FOwner.InputStream;
            FOutput = FOwner.OutputStream;
            return;
        }
        try {
            FInputFile = std::make_unique<TFileStream>(FOwner.InputFileName, fmOpenRead);
        } catch (const Exception&) {
            throw ECompressorException(text::InputFileFailed + FOwner.InputFileName);
        }
        try {
            FOutputFile = std::make_unique<TFileStream>(FOwner.OutputFileName, fmCreate);
        } catch (const Exception&) {
            throw ECompressorException(text::OutputFileFailed + FOwner.OutputFileName);
        }
        FInput = FInputFile.get();
        FOutput = FOutputFile.get();
    }

    // Up to `count` bytes; fewer only at the end of the input.
    int64_t read(uint8_t* buffer, int64_t count, ReadKind kind)
    {
        const int64_t n = readFully(*FInput, buffer, count);
        if (n < 0)
            throw readError(kind);
        return n;
    }

    void readExactly(uint8_t* buffer, int64_t count, ReadKind kind)
    {
        if (read(buffer, count, kind) != count)
            throw readError(kind);
    }

    void write(const uint8_t* buffer, int64_t count)
    {
        int64_t n = -1;
        try {
            n = FOutput->Write(buffer, count);
        } catch (const Exception&) {
        }
        if (n != count)
            throw ECompressorException(FOwner.UseStreams ? std::string(text::StreamWriteFailed)
                                                         : text::FileWriteFailed + FOwner.OutputFileName);
        FWritten += count;
    }

    ECompressorException readError(ReadKind kind) const
    {
        const char* suffix = kind == ReadKind::KH ? " (Compressor/KH)" : kind == ReadKind::LZH ? " (LZH)" : "";
        if (FOwner.UseStreams)
            return ECompressorException(text::StreamReadFailed + std::string(suffix));
        return ECompressorException(text::FileReadFailed + FOwner.InputFileName + suffix);
    }

    int64_t written() const { return FWritten; }
    void finish() { FFinished = true; }

private:
    const TCompressor& FOwner;
    std::unique_ptr<TFileStream> FInputFile;
    std::unique_ptr<TFileStream> FOutputFile;
    TStream* FInput = nullptr;
    TStream* FOutput = nullptr;
    int64_t FWritten = 0;
    bool FFinished = false;
};

// Hands the LZHUF coder one input byte at a time from a buffer refilled a block at a time.
class ByteSource {
public:
    ByteSource(Channels& io, uint8_t* buffer) : FIO(io), FBuffer(buffer) {}

    // The next byte, or -1 at the end of the input.
    int next()
    {
        if (FPos == FEnd && !refill())
            return -1;
        return FBuffer[FPos++];
    }

    // The next byte; the end of the input is a truncated stream.
    uint8_t require()
    {
        const int byte = next();
        if (byte < 0)
            throw FIO.readError(ReadKind::LZH);
        return static_cast<uint8_t>(byte);
    }

private:
    bool refill()
    {
        if (FAtEnd)
            return false;
        FEnd = static_cast<int>(FIO.read(FBuffer, kBlockSize, ReadKind::LZH));
        FPos = 0;
        FAtEnd = FEnd < kBlockSize;
        return FEnd > 0;
    }

    Channels& FIO;
    uint8_t* FBuffer;
    int FPos = 0;
    int FEnd = 0;
    bool FAtEnd = false;
};

// Collects the LZHUF coder's output bytes and writes them a block at a time.
class ByteSink {
public:
    ByteSink(Channels& io, uint8_t* buffer) : FIO(io), FBuffer(buffer) {}

    void put(uint8_t byte)
    {
        if (FLength == kBlockSize)
            flush();
        FBuffer[FLength++] = byte;
    }

    void flush()
    {
        if (FLength > 0)
            FIO.write(FBuffer, FLength);
        FLength = 0;
    }

private:
    Channels& FIO;
    uint8_t* FBuffer;
    int FLength = 0;
};

// ---------------------------------------------------------------- LZHUF

constexpr int kRingSize = 4096;
constexpr int kRingMask = kRingSize - 1;
constexpr int kLookAhead = 60;
constexpr int kThreshold = 2; // matches longer than this are coded as a length and a position
constexpr int kSymbols = 256 - kThreshold + kLookAhead; // literals and the lengths 3..60
constexpr int kTreeSize = 2 * kSymbols - 1;
constexpr int kRoot = kTreeSize - 1;
constexpr unsigned kMaxFreq = 0x8000;
constexpr int kNil = kRingSize;   // "no node" in the match trees
constexpr int kTreeRoots = 256;   // one match tree per first byte, rooted above the ring positions
constexpr int kFirstString = kRingSize - kLookAhead;

// The fixed prefix code of the upper 6 bits of a position: shorter codes for the nearer positions,
// assigned in increasing order, and the tables that decode them from the next 8 bits of the stream.
struct PositionCode {
    uint8_t length[64];
    uint8_t code[64]; // left-aligned in a byte
    uint8_t upperOf[256];
    uint8_t lengthOf[256];
    int assigned; // 256 when the lengths fill the code space exactly
};

constexpr PositionCode makePositionCode()
{
    PositionCode table{};
    constexpr int codesOfLength[9] = {0, 0, 0, 1, 3, 8, 12, 24, 16};
    int upper = 0;
    int next = 0;
    for (int length = 3; length <= 8; ++length) {
        for (int n = 0; n < codesOfLength[length]; ++n, ++upper) {
            table.length[upper] = static_cast<uint8_t>(length);
            table.code[upper] = static_cast<uint8_t>(next);
            const int span = 1 << (8 - length);
            for (int v = next; v < next + span; ++v) {
                table.upperOf[v] = static_cast<uint8_t>(upper);
                table.lengthOf[v] = static_cast<uint8_t>(length);
            }
            next += span;
        }
    }
    table.assigned = next;
    return table;
}

constexpr PositionCode kPositionCode = makePositionCode();
static_assert(kPositionCode.assigned == 256 && kPositionCode.code[63] == 0xFF);

// The adaptive Huffman code of literals and lengths. Nodes stay ordered by frequency; the children of
// a node sit side by side at son and son + 1, and a son of kTreeSize or more marks a leaf (its symbol
// plus kTreeSize). Every coded symbol raises the counts on its path, swapping nodes to keep the order.
struct AdaptiveHuffman {
    unsigned freq[kTreeSize + 1]; // the extra entry stops the search for a swap partner
    int parent[kTreeSize + kSymbols];
    int son[kTreeSize];

    void start()
    {
        for (int i = 0; i < kSymbols; ++i) {
            freq[i] = 1;
            son[i] = i + kTreeSize;
            parent[i + kTreeSize] = i;
        }
        for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
            freq[j] = freq[i] + freq[i + 1];
            son[j] = i;
            parent[i] = parent[i + 1] = j;
        }
        freq[kTreeSize] = 0xFFFF;
        parent[kRoot] = 0;
    }

    // Halves the counts and rebuilds the tree, so that old statistics fade and counts stay bounded.
    void rebuild()
    {
        int leaves = 0;
        for (int i = 0; i < kTreeSize; ++i) {
            if (son[i] >= kTreeSize) {
                freq[leaves] = (freq[i] + 1) / 2;
                son[leaves] = son[i];
                ++leaves;
            }
        }
        for (int i = 0, j = kSymbols; j < kTreeSize; i += 2, ++j) {
            const unsigned f = freq[i] + freq[i + 1];
            int k = j - 1;
            while (f < freq[k])
                --k;
            ++k;
            std::copy_backward(freq + k, freq + j, freq + j + 1);
            std::copy_backward(son + k, son + j, son + j + 1);
            freq[k] = f;
            son[k] = i;
        }
        for (int i = 0; i < kTreeSize; ++i) {
            const int k = son[i];
            if (k >= kTreeSize)
                parent[k] = i;
            else
                parent[k] = parent[k + 1] = i;
        }
    }

    void update(int symbol)
    {
        if (freq[kRoot] == kMaxFreq)
            rebuild();
        int c = parent[symbol + kTreeSize];
        do {
            const unsigned count = ++freq[c];
            int l = c + 1;
            if (count > freq[l]) {
                while (count > freq[++l]) {
                }
                --l;
                freq[c] = freq[l];
                freq[l] = count;
                const int i = son[c];
                parent[i] = l;
                if (i < kTreeSize)
                    parent[i + 1] = l;
                const int j = son[l];
                son[l] = i;
                parent[j] = c;
                if (j < kTreeSize)
                    parent[j + 1] = c;
                son[c] = j;
                c = l;
            }
            c = parent[c];
        } while (c != 0);
    }
};

// Binary search trees of the strings in the ring buffer, one per first byte. Inserting a position
// finds the longest earlier match on the way down; a string equal in all kLookAhead bytes replaces
// the older one, which keeps the trees small on repetitive input.
struct MatchTrees {
    int left[kRingSize + 1 + kTreeRoots];
    int right[kRingSize + 1 + kTreeRoots];
    int dad[kRingSize + 1 + kTreeRoots];
    int matchLength = 0;
    int matchPosition = 0; // the coded position value: distance - 1

    void init()
    {
        std::fill(std::begin(left), std::end(left), kNil);
        std::fill(std::begin(right), std::end(right), kNil);
        std::fill(std::begin(dad), std::end(dad), kNil);
    }

    void insert(const uint8_t* text, int r)
    {
        const uint8_t* key = text + r;
        int p = kRingSize + 1 + key[0];
        int cmp = 1;
        left[r] = right[r] = kNil;
        matchLength = 0;
        for (;;) {
            if (cmp >= 0) {
                if (right[p] == kNil) {
                    right[p] = r;
                    dad[r] = p;
                    return;
                }
                p = right[p];
            } else {
                if (left[p] == kNil) {
                    left[p] = r;
                    dad[r] = p;
                    return;
                }
                p = left[p];
            }
            int i = 1;
            for (; i < kLookAhead; ++i) {
                cmp = key[i] - text[p + i];
                if (cmp != 0)
                    break;
            }
            if (i > kThreshold) {
                const int position = ((r - p) & kRingMask) - 1;
                if (i > matchLength) {
                    matchPosition = position;
                    matchLength = i;
                    if (i >= kLookAhead)
                        break;
                } else if (i == matchLength && position < matchPosition) {
                    matchPosition = position;
                }
            }
        }
        dad[r] = dad[p];
        left[r] = left[p];
        right[r] = right[p];
        dad[left[p]] = r;
        dad[right[p]] = r;
        if (right[dad[p]] == p)
            right[dad[p]] = r;
        else
            left[dad[p]] = r;
        dad[p] = kNil;
    }

    void remove(int p)
    {
        if (dad[p] == kNil)
            return;
        int q;
        if (right[p] == kNil) {
            q = left[p];
        } else if (left[p] == kNil) {
            q = right[p];
        } else {
            // p has two subtrees: its in-order predecessor takes its place.
            q = left[p];
            if (right[q] != kNil) {
                do
                    q = right[q];
                while (right[q] != kNil);
                right[dad[q]] = left[q];
                dad[left[q]] = dad[q];
                left[q] = left[p];
                dad[left[p]] = q;
            }
            right[q] = right[p];
            dad[right[p]] = q;
        }
        dad[q] = dad[p];
        if (right[dad[p]] == p)
            right[dad[p]] = q;
        else
            left[dad[p]] = q;
        dad[p] = kNil;
    }
};

// The dictionary tables of one LZHUF run. The ring buffer repeats its first kLookAhead - 1 bytes past
// its end so that a string can be compared without wrapping.
struct LzhTables {
    uint8_t text[kRingSize + kLookAhead - 1];
    AdaptiveHuffman huffman;
    MatchTrees trees;
};

std::unique_ptr<LzhTables> allocateLzhTables()
{
    std::unique_ptr<LzhTables> tables(new (std::nothrow) LzhTables);
    if (!tables)
        throw ElzhException(text::LzhTablesFailed);
    return tables;
}

// The ring buffer starts as blanks, so that a text beginning with blanks already finds matches.
void clearRing(uint8_t* text)
{
    std::fill(text, text + kFirstString, static_cast<uint8_t>(' '));
    std::fill(text + kFirstString, text + kRingSize + kLookAhead - 1, static_cast<uint8_t>(0));
}

class LzhEncoder {
public:
    LzhEncoder(LzhTables& tables, ByteSink& sink) : FTables(tables), FSink(sink) {}

    void run(ByteSource& source)
    {
        uint8_t* text = FTables.text;
        MatchTrees& trees = FTables.trees;
        clearRing(text);
        int r = kFirstString;
        int s = 0;
        int len = 0;
        int c;
        while (len < kLookAhead && (c = source.next()) >= 0)
            text[r + len++] = static_cast<uint8_t>(c);
        if (len == 0)
            return;
        FTables.huffman.start();
        trees.init();
        for (int i = 1; i <= kLookAhead; ++i)
            trees.insert(text, r - i);
        trees.insert(text, r);
        do {
            int matchLength = std::min(trees.matchLength, len);
            if (matchLength <= kThreshold) {
                matchLength = 1;
                encodeSymbol(text[r]);
            } else {
                encodeSymbol(255 - kThreshold + matchLength);
                encodePosition(static_cast<unsigned>(trees.matchPosition));
            }
            int i = 0;
            for (; i < matchLength && (c = source.next()) >= 0; ++i) {
                trees.remove(s);
                text[s] = static_cast<uint8_t>(c);
                if (s < kLookAhead - 1)
                    text[s + kRingSize] = static_cast<uint8_t>(c);
                s = (s + 1) & kRingMask;
                r = (r + 1) & kRingMask;
                trees.insert(text, r);
            }
            // At the end of the input the look-ahead drains without new bytes.
            for (; i < matchLength; ++i) {
                trees.remove(s);
                s = (s + 1) & kRingMask;
                r = (r + 1) & kRingMask;
                if (--len > 0)
                    trees.insert(text, r);
            }
        } while (len > 0);
        if (FBitCount > 0)
            FSink.put(static_cast<uint8_t>(FBits << (8 - FBitCount)));
    }

private:
    // Appends the low `count` (at most 32) bits of `bits`, most significant first.
    void putBits(int count, uint64_t bits)
    {
        FBits = FBits << count | bits;
        FBitCount += count;
        while (FBitCount >= 8) {
            FBitCount -= 8;
            FSink.put(static_cast<uint8_t>(FBits >> FBitCount));
        }
    }

    void encodeSymbol(int symbol)
    {
        AdaptiveHuffman& huffman = FTables.huffman;
        // The path is gathered from the leaf up and sent from the root down. Counts stay below
        // kMaxFreq, which bounds the depth of a Huffman tree far below 64.
        uint64_t path = 0;
        int depth = 0;
        for (int node = huffman.parent[symbol + kTreeSize]; node != kRoot; node = huffman.parent[node])
            path |= static_cast<uint64_t>(node & 1) << depth++;
        if (depth > 32) {
            putBits(depth - 32, path >> 32);
            depth = 32;
        }
        putBits(depth, path & 0xFFFFFFFFu);
        huffman.update(symbol);
    }

    void encodePosition(unsigned position)
    {
        const unsigned upper = position >> 6;
        const int length = kPositionCode.length[upper];
        putBits(length, kPositionCode.code[upper] >> (8 - length));
        putBits(6, position & 63);
    }

    LzhTables& FTables;
    ByteSink& FSink;
    uint64_t FBits = 0;
    int FBitCount = 0;
};

class LzhDecoder {
public:
    LzhDecoder(LzhTables& tables, ByteSource& source, ByteSink& sink)
        : FTables(tables), FSource(source), FSink(sink)
    {
    }

    // Produces exactly `size` bytes. The stream is read a bit at a time, never past the last bit the
    // size needs, so a valid stream never runs dry and a truncated one always does.
    void run(uint32_t size)
    {
        uint8_t* text = FTables.text;
        clearRing(text);
        FTables.huffman.start();
        int r = kFirstString;
        uint32_t done = 0;
        while (done < size) {
            const int symbol = decodeSymbol();
            if (symbol < 256) {
                FSink.put(static_cast<uint8_t>(symbol));
                text[r] = static_cast<uint8_t>(symbol);
                r = (r + 1) & kRingMask;
                ++done;
                continue;
            }
            const int from = r - static_cast<int>(decodePosition()) - 1;
            const int count = symbol - 255 + kThreshold;
            if (static_cast<uint32_t>(count) > size - done)
                throw ECompressorException(text::SizeMismatchLZH);
            for (int k = 0; k < count; ++k) {
                const uint8_t byte = text[(from + k) & kRingMask];
                FSink.put(byte);
                text[r] = byte;
                r = (r + 1) & kRingMask;
            }
            done += static_cast<uint32_t>(count);
        }
    }

private:
    int bit()
    {
        if (FBitCount == 0) {
            FByte = FSource.require();
            FBitCount = 8;
        }
        --FBitCount;
        return FByte >> FBitCount & 1;
    }

    int decodeSymbol()
    {
        AdaptiveHuffman& huffman = FTables.huffman;
        int node = huffman.son[kRoot];
        while (node < kTreeSize)
            node = huffman.son[node + bit()];
        const int symbol = node - kTreeSize;
        huffman.update(symbol);
        return symbol;
    }

    unsigned decodePosition()
    {
        unsigned bits = 0;
        for (int i = 0; i < 8; ++i)
            bits = bits << 1 | static_cast<unsigned>(bit());
        const unsigned upper = kPositionCode.upperOf[bits];
        // The first 8 bits held the prefix code and the start of the lower 6 bits; read the rest.
        for (int i = kPositionCode.lengthOf[bits]; i > 2; --i)
            bits = bits << 1 | static_cast<unsigned>(bit());
        return upper << 6 | (bits & 63);
    }

    LzhTables& FTables;
    ByteSource& FSource;
    ByteSink& FSink;
    unsigned FByte = 0;
    int FBitCount = 0;
};

// ---------------------------------------------------------------- the methods over channels

void compressKH(Channels& io, IOBuffers& buffers)
{
    uint8_t* out = buffers.output.get();
    for (;;) {
        const int n = static_cast<int>(io.read(buffers.input.get(), kBlockSize, ReadKind::KH));
        const int length = compressBlock(buffers.input.get(), n, out + 2);
        out[0] = static_cast<uint8_t>(length);
        out[1] = static_cast<uint8_t>(length >> 8);
        io.write(out, length + 2);
        if (n < kBlockSize)
            break;
    }
}

void expandKH(Channels& io, IOBuffers& buffers, uint32_t size)
{
    uint8_t* in = buffers.input.get();
    int64_t total = 0;
    for (;;) {
        uint8_t lengthWord[2];
        io.readExactly(lengthWord, 2, ReadKind::Plain);
        const int length = lengthWord[0] | lengthWord[1] << 8;
        if (length > kMaxBlockLength)
            throw ECompressorException(text::SizeMismatchKH);
        io.readExactly(in, length, ReadKind::Plain);
        const int n = expandBlock(in, length, buffers.output.get());
        if (n < 0 || total + n > size)
            throw ECompressorException(text::SizeMismatchKH);
        io.write(buffers.output.get(), n);
        total += n;
        if (n != kBlockSize)
            break;
    }
    if (total != size)
        throw ECompressorException(text::SizeMismatchKH);
}

void compressLZH(Channels& io, IOBuffers& buffers)
{
    std::unique_ptr<LzhTables> tables = allocateLzhTables();
    ByteSource source(io, buffers.input.get());
    ByteSink sink(io, buffers.output.get());
    LzhEncoder(*tables, sink).run(source);
    sink.flush();
}

void expandLZH(Channels& io, IOBuffers& buffers, uint32_t size)
{
    std::unique_ptr<LzhTables> tables = allocateLzhTables();
    ByteSource source(io, buffers.input.get());
    ByteSink sink(io, buffers.output.get());
    LzhDecoder(*tables, source, sink).run(size);
    sink.flush();
}

// Puts a stream back where it was when an operation leaves, by whatever way.
class PositionKeeper {
public:
    PositionKeeper(TStream* stream, int64_t position) : FStream(stream), FPosition(position) {}
    PositionKeeper(const PositionKeeper&) = delete;
    PositionKeeper& operator=(const PositionKeeper&) = delete;
    ~PositionKeeper()
    {
        if (!FStream)
            return;
        try {
            FStream->SetPosition(FPosition);
        } catch (...) {
        }
    }

private:
    TStream* FStream;
    int64_t FPosition;
};

} // namespace

int64_t TCompressor::Compress()
{
    const bool useKH = Method == MethodAdvise ? Advise() : Method != MethodLZHUF;
    IOBuffers buffers(text::BuffersFailed);
    const int64_t size = measureInput(*this);
    if (size < 0 || size > static_cast<int64_t>(UINT32_MAX))
        throw ECompressorException(UseStreams ? std::string(text::StreamSizeFailed)
                                              : text::FileSizeFailed + InputFileName);
    Channels io(*this);
    io.open();
    uint8_t header[kHeaderSize];
    std::memcpy(header, useKH ? kSignatureKH : kSignatureLZH, 4);
    putLittleEndian32(header + 4, static_cast<uint32_t>(size));
    io.write(header, kHeaderSize);
    if (useKH)
        compressKH(io, buffers);
    else
        compressLZH(io, buffers);
    io.finish();
    return io.written();
}

int64_t TCompressor::Decompress()
{
    IOBuffers buffers(text::BuffersFailed);
    Channels io(*this);
    io.open();
    uint8_t header[kHeaderSize];
    io.readExactly(header, 4, ReadKind::Plain);
    const bool isKH = std::memcmp(header, kSignatureKH, 4) == 0;
    if (!isKH && std::memcmp(header, kSignatureLZH, 4) != 0)
        throw ECompressorException(UseStreams ? std::string(text::StreamHeaderBad) : InputFileName + text::FileHeaderBad);
    io.readExactly(header + 4, 4, ReadKind::Plain);
    const uint32_t size = getLittleEndian32(header + 4);
    if (isKH)
        expandKH(io, buffers, size);
    else
        expandLZH(io, buffers, size);
    io.finish();
    return io.written();
}

bool TCompressor::Advise()
{
    int64_t start = -1;
    if (UseStreams && InputStream) {
        try {
            start = InputStream->GetPosition();
        } catch (const Exception&) {
        }
    }
    PositionKeeper keeper(start >= 0 ? InputStream : nullptr, start);
    IOBuffers buffers(text::AdviseBuffersFailed);
    const int64_t size = measureInput(*this);
    if (size < 0)
        throw ECompressorException(UseStreams ? std::string(text::AdviseStreamSizeFailed)
                                              : text::AdviseFileSizeFailed + InputFileName);
    std::unique_ptr<TFileStream> file;
    TStream* input = InputStream;
    if (UseStreams) {
        bool atStart = false;
        try {
            atStart = InputStream->Seek(0, soFromBeginning) == 0;
        } catch (const Exception&) {
        }
        if (!atStart)
            throw ECompressorException(text::AdviseStreamFailed);
    } else {
        try {
            file = std::make_unique<TFileStream>(InputFileName, fmOpenRead);
        } catch (const Exception&) {
            throw ECompressorException(text::AdviseFileFailed + InputFileName);
        }
        input = file.get();
    }

    // Below this size the adaptive coder wins anyway, and there is too little to sample.
    if (size < 0x18000) {
        Method = MethodLZHUF;
        return false;
    }
    const auto readError = [&] {
        return ECompressorException(UseStreams ? std::string(text::AdviseStreamReadFailed)
                                               : text::AdviseFileReadFailed + InputFileName);
    };
    int64_t packed = 0;
    int64_t sampled = 0;
    for (const int64_t at : {size / 3, 2 * size / 3}) {
        const int64_t blockStart = at / kBlockSize * kBlockSize;
        bool placed = false;
        try {
            placed = input->Seek(blockStart, soFromBeginning) == blockStart;
        } catch (const Exception&) {
        }
        const int64_t n = placed ? readFully(*input, buffers.input.get(), kBlockSize) : -1;
        if (n < 0)
            throw readError();
        packed += compressBlock(buffers.input.get(), static_cast<int>(n), buffers.output.get());
        sampled += n;
    }
    return packed < AdvisePercent * sampled / 100;
}
