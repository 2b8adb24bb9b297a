// TCompressor: both packed formats byte for byte, round trips, and untrusted packed input.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>

#include "highlight/SynParse.h"
#include "support/Bytes.h"

namespace {

const std::string kReadError = "Compressor : Error reading from input stream !";
const std::string kSizeErrorKH =
    "Compressor (decompression Compressor/KH) : Original and compressed sizes do not match !";
const std::string kSizeErrorLZH = "Compressor (LZH decompression) : Original and compressed sizes do not match !";

std::string header(const char* signature, uint32_t size)
{
    return std::string(signature, 4) + Bytes({int(size & 255), int(size >> 8 & 255), int(size >> 16 & 255), int(size >> 24)});
}

std::string randomBytes(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(rng());
    return s;
}

// Markup with the repetitions of a hand-written page, and some variety so that not all is matches.
std::string pageText(size_t n, uint32_t seed)
{
    static const char* const pieces[] = {"<td class=\"cell\">", "</td>", "<tr>\r\n", "</tr>\r\n", "&nbsp;",
                                         "<a href=\"index.html\">", "</a>", "    ", "Informaci\xF3n ", "precio "};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < n) {
        s += pieces[rng() % 10];
        s += std::to_string(rng() % 1000);
    }
    s.resize(n);
    return s;
}

TCompressor streamCompressor(TStream& in, TStream& out, uint8_t method = TCompressor::MethodLZRW1KH)
{
    TCompressor c;
    c.UseStreams = true;
    c.InputStream = &in;
    c.OutputStream = &out;
    c.Method = method;
    return c;
}

std::string pack(const std::string& data, uint8_t method)
{
    TCustomMemoryStream in(data.data(), static_cast<int64_t>(data.size()));
    TMemoryStream out;
    TCompressor c = streamCompressor(in, out, method);
    const int64_t written = c.Compress();
    EXPECT_EQ(written, out.GetSize());
    return out.AsString();
}

std::string unpack(const std::string& packed, int64_t* returned = nullptr)
{
    TCustomMemoryStream in(packed.data(), static_cast<int64_t>(packed.size()));
    TMemoryStream out;
    TCompressor c = streamCompressor(in, out);
    int64_t n = c.Decompress();
    if (returned)
        *returned = n;
    return out.AsString();
}

// The message of the ECompressorException that expanding raises, "" when it succeeds.
std::string unpackError(const std::string& packed)
{
    try {
        unpack(packed);
    } catch (const ECompressorException& e) {
        return e.Message();
    }
    return "";
}

template <typename Action>
std::string errorOf(Action action)
{
    try {
        action();
    } catch (const ECompressorException& e) {
        return e.Message();
    }
    return "no error";
}

} // namespace

TEST(Compressor, RoundTripsEveryKindOfInput)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    const std::string inputs[] = {
        "", "x", all, std::string(5000, 'a'), pageText(150000, 1), randomBytes(70000, 2),
        pageText(32767, 3), pageText(32768, 4), pageText(32769, 5), randomBytes(32768, 6),
        pageText(65536, 7), pageText(65537, 8) + randomBytes(3, 9),
    };
    for (uint8_t method : {TCompressor::MethodLZRW1KH, TCompressor::MethodLZHUF}) {
        for (const std::string& data : inputs) {
            SCOPED_TRACE(testing::Message() << "method " << int(method) << ", " << data.size() << " bytes");
            std::string packed = pack(data, method);
            ASSERT_GE(packed.size(), 8u);
            EXPECT_EQ(packed.substr(0, 8), header(method == TCompressor::MethodLZHUF ? "!HZL" : "WRZL", data.size()));
            int64_t written = -1;
            EXPECT_EQ(unpack(packed, &written), data);
            EXPECT_EQ(written, static_cast<int64_t>(data.size()));
        }
    }
    // Repetitive text must actually shrink, with either method.
    EXPECT_LT(pack(pageText(150000, 1), TCompressor::MethodLZRW1KH).size(), 150000u / 2);
    EXPECT_LT(pack(pageText(150000, 1), TCompressor::MethodLZHUF).size(), 150000u / 3);
}

TEST(Compressor, LZRW1KHWritesItsFixedBytes)
{
    // The empty input is a single empty block.
    EXPECT_EQ(pack("", TCompressor::MethodLZRW1KH), header("WRZL", 0) + Bytes({1, 0, 0x80}));

    // Three literals, then a copy of 6 bytes from 3 back; one control word, most significant bit first.
    EXPECT_EQ(pack("abcabcabc", TCompressor::MethodLZRW1KH),
              header("WRZL", 9) + Bytes({8, 0, 0x40, 0x10, 0x00, 'a', 'b', 'c', 0x00, 0x33}));

    // A run of 100 is one item: 0, (100 - 16) in 12 bits, the byte.
    EXPECT_EQ(pack(std::string(100, 'z'), TCompressor::MethodLZRW1KH),
              header("WRZL", 100) + Bytes({7, 0, 0x40, 0x80, 0x00, 0x00, 0x00, 0x54, 'z'}));

    // The 17th item gets a second control word directly before it.
    const std::string letters = "abcdefghijklmnopq";
    EXPECT_EQ(pack(letters + letters, TCompressor::MethodLZRW1KH),
              header("WRZL", 34) + Bytes({24, 0, 0x40, 0x00, 0x00}) + letters.substr(0, 16) +
                  Bytes({0x40, 0x00, 'q', 0x01, 0x1E}));

    // Incompressible bytes are stored, one byte longer than they are.
    const std::string noise = randomBytes(1000, 10);
    EXPECT_EQ(pack(noise, TCompressor::MethodLZRW1KH), header("WRZL", 1000) + Bytes({0xE9, 0x03, 0x80}) + noise);

    // A whole block is followed by the empty block that ends the stream.
    const std::string full = pack(std::string(32768, 'q'), TCompressor::MethodLZRW1KH);
    ASSERT_GT(full.size(), 13u);
    const int firstLength = static_cast<uint8_t>(full[8]) | static_cast<uint8_t>(full[9]) << 8;
    EXPECT_EQ(full.size(), 8u + 2 + firstLength + 3);
    EXPECT_EQ(full.substr(full.size() - 3), Bytes({1, 0, 0x80}));
}

TEST(Compressor, LZHUFWritesItsFixedBytes)
{
    EXPECT_EQ(pack("", TCompressor::MethodLZHUF), header("!HZL", 0));
    // 'A' is leaf 65 of the starting tree: code 111001101, padded with zero bits.
    EXPECT_EQ(pack("A", TCompressor::MethodLZHUF), header("!HZL", 1) + Bytes({0xE6, 0x80}));
    // After the first 'A' its leaf swaps with the last leaf (node 313), so the second is coded 11000101.
    EXPECT_EQ(pack("AA", TCompressor::MethodLZHUF), header("!HZL", 2) + Bytes({0xE6, 0xE2, 0x80}));
    // Leading blanks match the blank-filled ring buffer: length symbol 257 (10001101), position 0
    // (prefix 000 and six zero bits).
    EXPECT_EQ(pack("    ", TCompressor::MethodLZHUF), header("!HZL", 4) + Bytes({0x8D, 0x00, 0x00}));
}

TEST(Compressor, WorksAtTheStreamsPositions)
{
    const std::string data = pageText(40000, 11);
    for (uint8_t method : {TCompressor::MethodLZRW1KH, TCompressor::MethodLZHUF}) {
        TCustomMemoryStream in(data.data(), static_cast<int64_t>(data.size()));
        TMemoryStream out;
        out.WriteBuffer("prefix", 6);
        TCompressor c = streamCompressor(in, out, method);
        const int64_t packedSize = c.Compress();
        ASSERT_EQ(out.GetSize(), 6 + packedSize);
        EXPECT_EQ(out.AsString().substr(0, 6), "prefix");

        out.SetPosition(6);
        TMemoryStream restored;
        restored.WriteBuffer(">", 1);
        TCompressor d = streamCompressor(out, restored);
        EXPECT_EQ(d.Decompress(), static_cast<int64_t>(data.size()));
        EXPECT_EQ(restored.AsString(), ">" + data);
    }
    // LZRW1/KH reads its packed form exactly, so what follows it in the stream stays unread.
    std::string packed = pack(data, TCompressor::MethodLZRW1KH) + "tail";
    TCustomMemoryStream in(packed.data(), static_cast<int64_t>(packed.size()));
    TMemoryStream out;
    streamCompressor(in, out).Decompress();
    EXPECT_EQ(in.GetPosition(), static_cast<int64_t>(packed.size()) - 4);
}

TEST(Compressor, RejectsInputWithoutSignature)
{
    EXPECT_EQ(unpackError("WRZX" + Bytes({0, 0, 0, 0, 1, 0, 0x80})),
              "Compressor decompression : input stream contains no valid header !");
    EXPECT_EQ(unpackError("!hzl" + Bytes({0, 0, 0, 0})),
              "Compressor decompression : input stream contains no valid header !");
    EXPECT_EQ(unpackError("WRZ"), kReadError);
    EXPECT_EQ(unpackError("WRZL\x01"), kReadError);
}

TEST(Compressor, EveryTruncationRaisesAReadError)
{
    const std::string small = pageText(300, 12) + std::string(40, '-');
    for (uint8_t method : {TCompressor::MethodLZRW1KH, TCompressor::MethodLZHUF}) {
        const std::string packed = pack(small, method);
        for (size_t n = 0; n < packed.size(); ++n) {
            SCOPED_TRACE(testing::Message() << "method " << int(method) << ", first " << n << " bytes");
            const bool inLZHBody = method == TCompressor::MethodLZHUF && n >= 8;
            EXPECT_EQ(unpackError(packed.substr(0, n)), inLZHBody ? kReadError + " (LZH)" : kReadError);
        }
    }
    // A larger input over several blocks, cut at samples and around the block seams.
    const std::string large = pageText(100000, 13) + randomBytes(40000, 14);
    for (uint8_t method : {TCompressor::MethodLZRW1KH, TCompressor::MethodLZHUF}) {
        const std::string packed = pack(large, method);
        std::vector<size_t> cuts;
        for (size_t n = 0; n < packed.size(); n += 4099)
            cuts.push_back(n);
        for (size_t seam = 32768; seam < packed.size(); seam += 32768)
            for (size_t n = seam - 40; n < seam + 40 && n < packed.size(); ++n)
                cuts.push_back(n);
        cuts.push_back(packed.size() - 1);
        for (size_t n : cuts) {
            SCOPED_TRACE(testing::Message() << "method " << int(method) << ", first " << n << " bytes");
            EXPECT_NE(unpackError(packed.substr(0, n)), "");
        }
    }
}

TEST(Compressor, CorruptInputFailsOrStaysWithinItsSize)
{
    struct Case {
        std::string data;
        uint8_t method;
        int rounds;
    };
    const Case cases[] = {
        {pageText(6000, 15), TCompressor::MethodLZRW1KH, 1500},
        {pageText(6000, 16), TCompressor::MethodLZHUF, 1500},
        {pageText(40000, 17), TCompressor::MethodLZRW1KH, 300},
    };
    std::mt19937 rng(18);
    int failures = 0;
    int expansions = 0;
    for (const Case& c : cases) {
        const std::string packed = pack(c.data, c.method);
        for (int round = 0; round < c.rounds; ++round) {
            std::string corrupt = packed;
            const int flips = 1 + static_cast<int>(rng() % 4);
            for (int i = 0; i < flips; ++i) {
                // Mostly the body; sometimes the size field, which must bound the output as well.
                const size_t at = rng() % 8 == 0 ? 4 + rng() % 4 : 8 + rng() % (corrupt.size() - 8);
                corrupt[at] = static_cast<char>(corrupt[at] ^ (1 + rng() % 255));
            }
            const uint32_t declared = static_cast<uint8_t>(corrupt[4]) | static_cast<uint8_t>(corrupt[5]) << 8 |
                                      static_cast<uint8_t>(corrupt[6]) << 16 |
                                      static_cast<uint32_t>(static_cast<uint8_t>(corrupt[7])) << 24;
            TCustomMemoryStream in(corrupt.data(), static_cast<int64_t>(corrupt.size()));
            TMemoryStream out;
            TCompressor d = streamCompressor(in, out);
            try {
                const int64_t written = d.Decompress();
                ++expansions;
                EXPECT_EQ(written, static_cast<int64_t>(declared));
                EXPECT_EQ(out.GetSize(), static_cast<int64_t>(declared));
            } catch (const ECompressorException&) {
                ++failures;
                EXPECT_LE(out.GetSize(), static_cast<int64_t>(declared));
            }
        }
    }
    // Both outcomes occur: the check above judged real cases of each.
    EXPECT_GT(failures, 100);
    EXPECT_GT(expansions, 10);
}

TEST(Compressor, LZRW1KHRejectsCorruptBlocks)
{
    // Longer than any block can be.
    EXPECT_EQ(unpackError(header("WRZL", 1) + Bytes({0x02, 0x80}) + std::string(32770, 'x')), kSizeErrorKH);
    // A copy from before the block's first byte.
    EXPECT_EQ(unpackError(header("WRZL", 3) + Bytes({5, 0, 0x40, 0x80, 0x00, 0x00, 0x10})), kSizeErrorKH);
    // A copy reaching one byte too far back...
    EXPECT_EQ(unpackError(header("WRZL", 4) + Bytes({6, 0, 0x40, 0x40, 0x00, 'a', 0x00, 0x20})), kSizeErrorKH);
    // ... and one that does not, overlapping its own output.
    EXPECT_EQ(unpack(header("WRZL", 5) + Bytes({7, 0, 0x40, 0x20, 0x00, 'a', 'b', 0x00, 0x20})), "ababa");
    // Neither a stored nor a compressed block.
    EXPECT_EQ(unpackError(header("WRZL", 2) + Bytes({3, 0, 0x41, 'a', 'b'})), kSizeErrorKH);
    // Nine runs of 4111 bytes overflow the 32768 bytes of a block.
    std::string runs = Bytes({0x40, 0xFF, 0x80});
    for (int i = 0; i < 9; ++i)
        runs += Bytes({0x00, 0x0F, 0xFF, 'r'});
    EXPECT_EQ(unpackError(header("WRZL", 65536) + Bytes({int(runs.size()), 0}) + runs), kSizeErrorKH);
    // Items cut short: a copy word, a run, a control word with no item after it.
    EXPECT_EQ(unpackError(header("WRZL", 3) + Bytes({4, 0, 0x40, 0x80, 0x00, 0x00})), kSizeErrorKH);
    EXPECT_EQ(unpackError(header("WRZL", 30) + Bytes({6, 0, 0x40, 0x80, 0x00, 0x00, 0x00, 0x0E})), kSizeErrorKH);
    EXPECT_EQ(unpackError(header("WRZL", 16) + Bytes({21, 0, 0x40, 0, 0}) + std::string(16, 'x') + Bytes({0, 0})),
              kSizeErrorKH);
    EXPECT_EQ(unpackError(header("WRZL", 2) + Bytes({2, 0, 0x40, 0x00})), kSizeErrorKH);

    // More output than the header announces raises before anything is written; less raises at the end.
    const std::string nine = header("WRZL", 5) + Bytes({10, 0, 0x80}) + "123456789";
    TCustomMemoryStream in(nine.data(), static_cast<int64_t>(nine.size()));
    TMemoryStream out;
    EXPECT_EQ(errorOf([&] { streamCompressor(in, out).Decompress(); }), kSizeErrorKH);
    EXPECT_EQ(out.GetSize(), 0);
    EXPECT_EQ(unpackError(header("WRZL", 10) + Bytes({10, 0, 0x80}) + "123456789"), kSizeErrorKH);
    // A full block (eight runs of 4096) promises more to come; the empty block ends the stream.
    std::string full = Bytes({35, 0, 0x40, 0xFF, 0x00});
    for (int i = 0; i < 8; ++i)
        full += Bytes({0x00, 0x0F, 0xF0, 'r'});
    EXPECT_EQ(unpack(header("WRZL", 32768) + full + Bytes({1, 0, 0x80})), std::string(32768, 'r'));
    EXPECT_EQ(unpackError(header("WRZL", 32768) + full), kReadError);
    EXPECT_EQ(unpackError(header("WRZL", 32767) + full), kSizeErrorKH);
}

TEST(Compressor, LZHUFStopsAtTheRecordedSize)
{
    // The body of "    " is one match of 4: a header that announces less cuts into it, more runs dry.
    const std::string body = Bytes({0x8D, 0x00, 0x00});
    EXPECT_EQ(unpack(header("!HZL", 4) + body), "    ");
    EXPECT_EQ(unpackError(header("!HZL", 3) + body), kSizeErrorLZH);
    EXPECT_EQ(unpackError(header("!HZL", 5) + body), kReadError + " (LZH)");
    // A header announcing 4 GB over a few bytes ends with the input, not with 4 GB of output.
    const std::string huge = header("!HZL", 0xFFFFFFFF) + randomBytes(200, 19);
    TCustomMemoryStream packed(huge.data(), static_cast<int64_t>(huge.size()));
    TMemoryStream out;
    EXPECT_EQ(errorOf([&] { streamCompressor(packed, out).Decompress(); }), kReadError + " (LZH)");
    EXPECT_LE(out.GetSize(), 200 * 8 * 60);
}

TEST(Compressor, AdviseSamplesLargeInputs)
{
    TMemoryStream out;
    const std::string smallText = pageText(0x17FFF, 20);
    TCustomMemoryStream small(smallText.data(), static_cast<int64_t>(smallText.size()));
    TCompressor c = streamCompressor(small, out, TCompressor::MethodAdvise);
    EXPECT_FALSE(c.Advise());
    EXPECT_EQ(c.Method, TCompressor::MethodLZHUF);

    const std::string repetitive = std::string(0x18000, ' ');
    TCustomMemoryStream large(repetitive.data(), static_cast<int64_t>(repetitive.size()));
    large.SetPosition(123);
    c = streamCompressor(large, out, TCompressor::MethodAdvise);
    EXPECT_TRUE(c.Advise());
    EXPECT_EQ(c.Method, TCompressor::MethodAdvise);
    EXPECT_EQ(large.GetPosition(), 123);

    const std::string noise = randomBytes(0x18000, 21);
    TCustomMemoryStream noisy(noise.data(), static_cast<int64_t>(noise.size()));
    c = streamCompressor(noisy, out, TCompressor::MethodAdvise);
    EXPECT_FALSE(c.Advise());
    EXPECT_EQ(c.Method, TCompressor::MethodAdvise);
    // Stored samples are one byte longer than they are: only a threshold above 100 % accepts them.
    c.AdvisePercent = 101;
    EXPECT_TRUE(c.Advise());

    // Compress follows the advice.
    EXPECT_EQ(pack(repetitive, TCompressor::MethodAdvise).substr(0, 4), "WRZL");
    EXPECT_EQ(pack(smallText, TCompressor::MethodAdvise).substr(0, 4), "!HZL");
    EXPECT_EQ(unpack(pack(repetitive, TCompressor::MethodAdvise)), repetitive);
}

TEST(Compressor, StreamFailuresRaiseTheirTexts)
{
    class FailingStream : public TCustomMemoryStream {
    public:
        using TCustomMemoryStream::TCustomMemoryStream;
        int64_t Read(void*, int64_t) override { throw EReadError("Stream read error"); }
    };
    const std::string data = pageText(1000, 22);
    TCustomMemoryStream in(data.data(), static_cast<int64_t>(data.size()));
    TMemoryStream out;

    TCompressor c = streamCompressor(in, out);
    c.InputStream = nullptr;
    EXPECT_EQ(errorOf([&] { c.Compress(); }), "Compressor compression : Failed to obtain the size of the input stream !");
    EXPECT_EQ(errorOf([&] { c.Decompress(); }), "Compressor (de)compression : Failed to initialize input stream !");
    EXPECT_EQ(errorOf([&] { c.Advise(); }), "Compressor advise : can not get size of inputstream !");
    c = streamCompressor(in, out);
    c.OutputStream = nullptr;
    EXPECT_EQ(errorOf([&] { c.Compress(); }), "Compressor (de)compression : Failed to initialize output stream !");

    // A stream over memory refuses writes.
    TCustomMemoryStream readOnly(data.data(), static_cast<int64_t>(data.size()));
    in.SetPosition(0);
    c = streamCompressor(in, readOnly);
    EXPECT_EQ(errorOf([&] { c.Compress(); }), "Compressor : Error writing to output stream !");

    FailingStream failing(data.data(), static_cast<int64_t>(data.size()));
    c = streamCompressor(failing, out, TCompressor::MethodLZRW1KH);
    EXPECT_EQ(errorOf([&] { c.Compress(); }), kReadError + " (Compressor/KH)");
    c.Method = TCompressor::MethodLZHUF;
    EXPECT_EQ(errorOf([&] { c.Compress(); }), kReadError + " (LZH)");
    EXPECT_EQ(errorOf([&] { c.Decompress(); }), kReadError);
    const std::string bigText = pageText(0x20000, 23);
    FailingStream failingBig(bigText.data(), static_cast<int64_t>(bigText.size()));
    c = streamCompressor(failingBig, out, TCompressor::MethodAdvise);
    EXPECT_EQ(errorOf([&] { c.Advise(); }), "Compressor advise : input stream read error !");
}

TEST(Compressor, FilesRoundTripAndNameTheFileInErrors)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("kestrima-compressor-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string source = (dir / "source.html").string();
    const std::string packedName = (dir / "source.wrz").string();
    const std::string restored = (dir / "restored.html").string();
    const std::string data = pageText(70000, 24);
    WriteFileBytes(source, data);

    for (uint8_t method : {TCompressor::MethodLZRW1KH, TCompressor::MethodLZHUF, TCompressor::MethodAdvise}) {
        TCompressor c;
        c.Method = method;
        c.InputFileName = source;
        c.OutputFileName = packedName;
        const int64_t written = c.Compress();
        EXPECT_EQ(written, static_cast<int64_t>(fs::file_size(packedName)));
        TCompressor d;
        d.InputFileName = packedName;
        d.OutputFileName = restored;
        EXPECT_EQ(d.Decompress(), static_cast<int64_t>(data.size()));
        EXPECT_EQ(ReadFileBytes(restored), data);
    }

    TCompressor c;
    c.InputFileName = (dir / "missing").string();
    c.OutputFileName = restored;
    EXPECT_EQ(errorOf([&] { c.Compress(); }), "Compressor compression : Failed to obtain the size of : " + c.InputFileName);
    EXPECT_EQ(errorOf([&] { c.Decompress(); }), "Compressor (de)compression : Failed to open input file : " + c.InputFileName);
    EXPECT_EQ(errorOf([&] { c.Advise(); }), "Compressor advise : can not get the size of : " + c.InputFileName);
    c.InputFileName = source;
    c.OutputFileName = (dir / "no-such-folder" / "out").string();
    EXPECT_EQ(errorOf([&] { c.Compress(); }), "Compressor (de)compression : Failed to open output file : " + c.OutputFileName);

    // A failed expansion leaves no half-written output behind.
    c.InputFileName = source;
    c.OutputFileName = restored;
    EXPECT_EQ(errorOf([&] { c.Decompress(); }), source + " : Compressor decompression : this file has no valid header !");
    EXPECT_FALSE(fs::exists(restored));
    const std::string packed = pack(data, TCompressor::MethodLZRW1KH);
    WriteFileBytes(packedName, packed.substr(0, packed.size() / 2));
    c.InputFileName = packedName;
    EXPECT_EQ(errorOf([&] { c.Decompress(); }), "Compressor : Error reading from input file : " + packedName);
    EXPECT_FALSE(fs::exists(restored));

    fs::remove_all(dir);
}
