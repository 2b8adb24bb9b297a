// TCompressor: the packed form's header, the streams or files of one operation, and the choice of codec.
#include "highlight/Compressor.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include "highlight/CompressorCodecs.h"

using namespace compressor_detail;

namespace {

// ---------------------------------------------------------------- the packed form

constexpr char kSignatureKH[4] = {'W', 'R', 'Z', 'L'};
constexpr char kSignatureLZH[4] = {'!', 'H', 'Z', 'L'};
constexpr int kHeaderSize = 8;

void putLittleEndian32(uint8_t* to, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        to[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t getLittleEndian32(const uint8_t* from)
{
    return from[0] | from[1] << 8 | from[2] << 16 | static_cast<uint32_t>(from[3]) << 24;
}

// ---------------------------------------------------------------- streams and files

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

namespace compressor_detail {

Channels::~Channels()
{
    FInputFile.reset();
    if (FOutputFile && !FFinished) {
        FOutputFile.reset();
        std::error_code ignored;
        std::filesystem::remove(FOwner.OutputFileName, ignored);
    }
}

void Channels::open()
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

int64_t Channels::read(uint8_t* buffer, int64_t count, ReadKind kind)
{
    const int64_t n = readFully(*FInput, buffer, count);
    if (n < 0)
        throw readError(kind);
    return n;
}

void Channels::readExactly(uint8_t* buffer, int64_t count, ReadKind kind)
{
    if (read(buffer, count, kind) != count)
        throw readError(kind);
}

void Channels::write(const uint8_t* buffer, int64_t count)
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

ECompressorException Channels::readError(ReadKind kind) const
{
    const char* suffix = kind == ReadKind::KH ? " (Compressor/KH)" : kind == ReadKind::LZH ? " (LZH)" : "";
    if (FOwner.UseStreams)
        return ECompressorException(text::StreamReadFailed + std::string(suffix));
    return ECompressorException(text::FileReadFailed + FOwner.InputFileName + suffix);
}

} // namespace compressor_detail

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
