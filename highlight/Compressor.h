// TCompressor: LZRW1/KH and LZHUF packing of a byte sequence, between streams or between files.
#pragma once

#include <cstdint>
#include <string>

#include "platform/core/Classes.h"
#include "platform/core/Exception.h"

// Every I/O, header, size and corrupt-data error of the compressor.
class ECompressorException : public Exception { using Exception::Exception; };
// The LZHUF coder could not get its dictionary tables.
class ElzhException : public Exception { using Exception::Exception; };
// Kept for callers that name it; nothing raises it.
class ECompressorKHCompressor : public Exception { using Exception::Exception; };

// Packs `InputStream` into `OutputStream` (or `InputFileName` into `OutputFileName`) and back.
// The packed form starts with a signature naming the method ("WRZL" LZRW1/KH, "!HZL" LZHUF) and the
// unpacked size, so Decompress needs no hint. The compressor does not own the streams.
//
// In stream mode the input is read from its current position and the output written at its current
// position; the size Compress records is the input's whole Size, so the caller places it at its start.
class TCompressor {
public:
    static constexpr uint8_t MethodLZHUF = 0;
    static constexpr uint8_t MethodLZRW1KH = 1;
    static constexpr uint8_t MethodAdvise = 2; // let Advise choose from samples of the input

    std::string InputFileName;
    std::string OutputFileName;
    // 0 LZHUF, 2 Advise; any other value means LZRW1/KH.
    uint8_t Method = MethodLZRW1KH;
    bool UseStreams = false;
    TStream* InputStream = nullptr;
    TStream* OutputStream = nullptr;
    // Advise picks LZRW1/KH when its samples shrink below this percentage of their size.
    int AdvisePercent = 40;

    // Packs the input; returns the bytes written (the 8-byte header and the body).
    int64_t Compress();
    // Restores packed input; returns the unpacked bytes written. Untrusted input is checked
    // throughout: anything short, corrupt or larger than its header says raises ECompressorException.
    int64_t Decompress();
    // True when LZRW1/KH suits the input, false for LZHUF. Inputs under 96 KB always get LZHUF,
    // and then Method is set to 0. The input stream is left where it was.
    bool Advise();
};
