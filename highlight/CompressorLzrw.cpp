// LZRW1/KH: the block coder and the blocks of a packed stream, each with its length word.
#include "highlight/CompressorCodecs.h"

#include <array>
#include <cstring>

namespace compressor_detail {

namespace {

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

} // namespace

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

} // namespace compressor_detail
