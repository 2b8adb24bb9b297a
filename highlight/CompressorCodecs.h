// What the compressor's units share: block sizes, failure texts, the buffered input and output of one
// operation, and the two codecs that run over them.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <string>

#include "highlight/Compressor.h"

namespace compressor_detail {

inline constexpr int kBlockSize = 32768;               // input bytes per LZRW1/KH block
inline constexpr int kMaxBlockLength = kBlockSize + 1; // a stored block: the flag and the input as it is
// The block compressor notices that it has passed the input length only after one more control
// word and item (at most 6 bytes); the buffers leave room for that overrun and the length word.
inline constexpr int kIOBufferSize = 32784;

// The texts of the failures; the typos are the ones users have always seen.
namespace text {
inline constexpr const char* BuffersFailed =
    "Compressor (de)compression : Failed to get memory for I/O buffers !";
inline constexpr const char* StreamSizeFailed =
    "Compressor compression : Failed to obtain the size of the input stream !";
inline constexpr const char* FileSizeFailed = "Compressor compression : Failed to obtain the size of : ";
inline constexpr const char* InputStreamFailed =
    "Compressor (de)compression : Failed to initialize input stream !";
inline constexpr const char* OutputStreamFailed =
    "Compressor (de)compression : Failed to initialize output stream !";
inline constexpr const char* InputFileFailed = "Compressor (de)compression : Failed to open input file : ";
inline constexpr const char* OutputFileFailed = "Compressor (de)compression : Failed to open output file : ";
inline constexpr const char* StreamReadFailed = "Compressor : Error reading from input stream !";
inline constexpr const char* FileReadFailed = "Compressor : Error reading from input file : ";
inline constexpr const char* StreamWriteFailed = "Compressor : Error writing to output stream !";
inline constexpr const char* FileWriteFailed = "Compressor : Error writing to output file : ";
inline constexpr const char* StreamHeaderBad =
    "Compressor decompression : input stream contains no valid header !";
inline constexpr const char* FileHeaderBad = " : Compressor decompression : this file has no valid header !";
inline constexpr const char* SizeMismatchKH =
    "Compressor (decompression Compressor/KH) : Original and compressed sizes do not match !";
inline constexpr const char* SizeMismatchLZH =
    "Compressor (LZH decompression) : Original and compressed sizes do not match !";
inline constexpr const char* AdviseBuffersFailed = "Compressor advise : Error getting I/O buffers";
inline constexpr const char* AdviseStreamSizeFailed = "Compressor advise : can not get size of inputstream !";
inline constexpr const char* AdviseFileSizeFailed = "Compressor advise : can not get the size of : ";
inline constexpr const char* AdviseStreamFailed = "Compressor edvise : can not initialize the input stream!";
inline constexpr const char* AdviseFileFailed = "Compressor advise : can open input file : ";
inline constexpr const char* AdviseStreamReadFailed = "Compressor advise : input stream read error !";
inline constexpr const char* AdviseFileReadFailed = "Compressor advise : read error on input file : ";
inline constexpr const char* LzhTablesFailed = "LZH : Cannot get memory for dictionary tables";
} // namespace text

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
    ~Channels();

    void open();
    // Up to `count` bytes; fewer only at the end of the input.
    int64_t read(uint8_t* buffer, int64_t count, ReadKind kind);
    void readExactly(uint8_t* buffer, int64_t count, ReadKind kind);
    void write(const uint8_t* buffer, int64_t count);
    ECompressorException readError(ReadKind kind) const;

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

// ---------------------------------------------------------------- LZRW1/KH (CompressorLzrw.cpp)

// Codes n <= kBlockSize input bytes into `out`; returns the block length. The output is abandoned for
// the stored form as soon as it grows past the input.
int compressBlock(const uint8_t* in, int n, uint8_t* out);
void compressKH(Channels& io, IOBuffers& buffers);
void expandKH(Channels& io, IOBuffers& buffers, uint32_t size);

// ---------------------------------------------------------------- LZHUF (CompressorLzh.cpp)

void compressLZH(Channels& io, IOBuffers& buffers);
void expandLZH(Channels& io, IOBuffers& buffers, uint32_t size);

} // namespace compressor_detail
