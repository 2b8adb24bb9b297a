// LZHUF: an adaptive Huffman coder over matches found in binary trees on a 4 KB ring, fed and drained
// a byte at a time.
#include "highlight/CompressorCodecs.h"

#include <algorithm>

namespace compressor_detail {

namespace {

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

} // namespace

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

} // namespace compressor_detail
