// The GIF codec: reader, writer, LZW decoder and encoder, and the BMP files frames decode to and encode from.
#include "components/core/KrGIF.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string_view>

#include "platform/core/Classes.h"
#include "platform/core/ScopeGuard.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kReadErrorText = 65210;
constexpr size_t kMaxBitmapBytes = size_t{256} << 20;
constexpr int kHashSize = 17777;
constexpr int kMaxCodes = 4096;

[[noreturn]] void raise(int id)
{
    GIFError(LoadResString(id));
}

[[noreturn]] void readError()
{
    throw EReadError(LoadResString(kReadErrorText));
}

uint16_t get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

void put16(std::vector<uint8_t>& out, int value)
{
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

void put32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

TColor colorOf(const TPaletteEntry& entry)
{
    return static_cast<TColor>(RGBValue(entry.Red, entry.Green, entry.Blue));
}

// Reports the stages of one piece of work; the end comes from the guard, so it is heard on failure too.
class TProgressRun {
public:
    explicit TProgressRun(const TGIFProgress& progress) : FProgress(progress)
    {
        if (!FProgress)
            return;
        FProgress(psStarting, 0, {});
        FEnd = TScopeGuard([this, exceptions = std::uncaught_exceptions()] {
            bool failing = std::uncaught_exceptions() > exceptions;
            FProgress(psEnding, failing ? 0 : 100, failing ? FFailure : std::string());
        });
    }
    // Raises the text, which the end stage then reports.
    [[noreturn]] void Fail(int id)
    {
        FFailure = LoadResString(id);
        raise(id);
    }
    void Report(int percent)
    {
        if (FProgress && percent != FLast) {
            FLast = percent;
            FProgress(psRunning, percent, {});
        }
    }

private:
    const TGIFProgress& FProgress;
    int FLast = -1;
    std::string FFailure;
    TScopeGuard FEnd;
};

// A read cursor over the file's bytes.
class TReader {
public:
    TReader(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
    bool AtEnd() const { return FPos >= FSize; }
    size_t Left() const { return FSize - FPos; }
    const uint8_t* Take(size_t count)
    {
        if (count > Left())
            readError();
        const uint8_t* p = FData + FPos;
        FPos += count;
        return p;
    }
    uint8_t Byte() { return *Take(1); }
    // The next byte, or ';' at the end of the data.
    uint8_t Separator() { return AtEnd() ? ';' : Byte(); }
    // Sub-blocks as strings up to the zero size or the end of the data.
    std::vector<std::string> SubBlocks()
    {
        std::vector<std::string> blocks;
        while (!AtEnd()) {
            size_t count = Byte();
            if (count == 0)
                break;
            count = std::min(count, Left());
            const uint8_t* p = Take(count);
            blocks.emplace_back(reinterpret_cast<const char*>(p), count);
        }
        return blocks;
    }

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPos = 0;
};

void readColorTable(TReader& reader, TGIFColorTable& table, int bits)
{
    table.Count = 1 << bits;
    const uint8_t* p = reader.Take(static_cast<size_t>(table.Count) * 3);
    for (int i = 0; i < table.Count; ++i)
        table.Colors[i] = {p[3 * i], p[3 * i + 1], p[3 * i + 2]};
}

TExtension readExtension(TReader& reader, TGIFFile& file, bool& keep)
{
    TExtension ext;
    uint8_t label = reader.Byte();
    keep = true;
    auto header = [&](size_t count) {
        const uint8_t* p = reader.Take(count);
        ext.Header.assign(p, p + count);
    };
    switch (label) {
    case 0xF9:
        ext.ExtType = etGraphicControl;
        header(6);
        break;
    case 0xFE:
        ext.ExtType = etComment;
        ext.Data = reader.SubBlocks();
        break;
    case 0x01:
        ext.ExtType = etPlainText;
        header(13);
        ext.Data = reader.SubBlocks();
        keep = false;
        break;
    case 0xFF: {
        ext.ExtType = etApplication;
        header(12);
        ext.Data = reader.SubBlocks();
        keep = false;
        static const char kNetscape[] = "NETSCAPE2.0";
        size_t idLength = std::min<size_t>(ext.Header[0], 11);
        if (idLength > 0 && std::memcmp(ext.Header.data() + 1, kNetscape, idLength) == 0 && !ext.Data.empty() &&
            ext.Data[0].size() >= 3 && ext.Data[0][0] == 1) {
            file.Looping = true;
            int count = static_cast<uint8_t>(ext.Data[0][1]) + 256 * static_cast<uint8_t>(ext.Data[0][2]);
            file.RepeatCount = static_cast<uint16_t>(std::min(count, 30000));
        }
        break;
    }
    default:
        GIFError(FmtLoadStr(SGIFExtension, static_cast<unsigned>(label)));
    }
    return ext;
}

void readFrame(TReader& reader, TGIFFile& file, std::vector<TExtension>&& extensions)
{
    TGIFFrameRecord frame;
    frame.Extensions = std::move(extensions);
    TGIFItem& item = *frame.Image;
    const TGIFColorTable& global = file.Image->ColorTable;
    if (global.Count > 0)
        item.BitsPerPixel = static_cast<uint8_t>(ColorsToBits(global.Count));
    const uint8_t* d = reader.Take(9);
    frame.Left = get16(d);
    frame.Top = get16(d + 2);
    item.Width = get16(d + 4);
    item.Height = get16(d + 6);
    item.PackedFields = d[8];
    frame.Interlaced = (d[8] & 0x40) != 0;
    if (d[8] & 0x80) {
        int bits = (d[8] & 7) + 1;
        readColorTable(reader, item.ColorTable, bits);
        item.BitsPerPixel = static_cast<uint8_t>(bits);
        frame.LocalColors = true;
    } else {
        item.ColorTable = global;
    }
    if (reader.AtEnd()) {
        frame.Corrupted = true;
    } else {
        item.ImageData.push_back(reader.Byte());
        for (;;) {
            if (reader.AtEnd()) {
                frame.Corrupted = true;
                break;
            }
            uint8_t count = reader.Byte();
            if (count > reader.Left()) {
                frame.Corrupted = true;
                break;
            }
            item.ImageData.push_back(count);
            if (count == 0)
                break;
            const uint8_t* p = reader.Take(count);
            item.ImageData.insert(item.ImageData.end(), p, p + count);
        }
    }
    for (const TExtension& ext : frame.Extensions) {
        if (ext.ExtType != etGraphicControl)
            continue;
        const std::vector<uint8_t>& h = ext.Header;
        if (h[1] & 1)
            frame.TransparentColor = h[4] < item.ColorTable.Count ? colorOf(item.ColorTable.Colors[h[4]]) : frame.TransparentColor;
        else
            frame.TransparentColor = clNone;
        // Kept within the field: a delay of more than 655 s would otherwise wrap to a short one.
        frame.FrameDelay = static_cast<uint16_t>(std::max<int>(std::min(get16(h.data() + 2) * 10, 65535), frame.FrameDelay));
        frame.Disposal = static_cast<uint8_t>((h[1] & 0x1C) >> 2);
    }
    file.Frames.push_back(std::move(frame));
}

// Bits per pixel of the bitmap a frame decodes to.
int bitCountFor(int pixelBits)
{
    return pixelBits <= 1 ? 1 : pixelBits <= 4 ? 4 : 8;
}

void writeBlocks(std::vector<uint8_t>& out, const std::vector<std::string>& data)
{
    for (const std::string& s : data) {
        // A longer string goes on in further sub-blocks so that nothing of it is lost.
        for (size_t at = 0; at < s.size(); at += 255) {
            size_t count = std::min<size_t>(255, s.size() - at);
            out.push_back(static_cast<uint8_t>(count));
            out.insert(out.end(), s.begin() + static_cast<std::ptrdiff_t>(at),
                       s.begin() + static_cast<std::ptrdiff_t>(at + count));
        }
    }
    out.push_back(0);
}

void writeTable(std::vector<uint8_t>& out, const TGIFColorTable& table, int entries)
{
    for (int i = 0; i < entries; ++i) {
        const TPaletteEntry& e = table.Colors[i];
        out.insert(out.end(), {e.Red, e.Green, e.Blue});
    }
}

uint8_t labelOf(TExtensionType type)
{
    static const uint8_t kLabels[] = {0xF9, 0x01, 0xFF, 0xFE};
    return kLabels[type];
}

// The row order of a frame: top to bottom, or through the four interlace passes.
class TRowWalk {
public:
    TRowWalk(int height, bool interlaced) : FHeight(height), FInterlaced(interlaced) {}
    int Row() const { return FRow; }
    bool Done() const { return FRow >= FHeight; }
    void Next()
    {
        static const int kStart[] = {0, 4, 2, 1};
        static const int kStep[] = {8, 8, 4, 2};
        if (!FInterlaced) {
            ++FRow;
            return;
        }
        FRow += kStep[FPass];
        while (FRow >= FHeight && FPass < 3) {
            ++FPass;
            FRow = kStart[FPass];
        }
    }

private:
    int FHeight;
    bool FInterlaced;
    int FRow = 0;
    int FPass = 0;
};

// Codes least significant bit first across the data sub-blocks.
class TCodeReader {
public:
    TCodeReader(const uint8_t* data, size_t size) : FData(data), FSize(size) {}
    size_t Position() const { return FPos; }
    // -1 when the data or its sub-blocks end first.
    int Read(int codeSize)
    {
        while (FBitCount < codeSize) {
            if (FBlockLeft == 0) {
                if (FPos >= FSize)
                    return -1;
                FBlockLeft = FData[FPos++];
                if (FBlockLeft == 0) {
                    FPos = FSize;
                    return -1;
                }
            }
            if (FPos >= FSize)
                return -1;
            FBits |= static_cast<uint32_t>(FData[FPos++]) << FBitCount;
            FBitCount += 8;
            --FBlockLeft;
        }
        int code = static_cast<int>(FBits & ((1u << codeSize) - 1));
        FBits >>= codeSize;
        FBitCount -= codeSize;
        return code;
    }

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPos = 0;
    int FBlockLeft = 0;
    uint32_t FBits = 0;
    int FBitCount = 0;
};

// Packs codes least significant bit first into sub-blocks of 255 bytes.
class TCodeWriter {
public:
    explicit TCodeWriter(std::vector<uint8_t>& out) : FOut(out) {}
    void Put(int code, int codeSize)
    {
        FBits |= static_cast<uint32_t>(code) << FBitCount;
        FBitCount += codeSize;
        while (FBitCount >= 8) {
            FBlock[FCount++] = static_cast<uint8_t>(FBits & 0xFF);
            FBits >>= 8;
            FBitCount -= 8;
            if (FCount == 255)
                writeBlock();
        }
    }
    void Flush()
    {
        if (FBitCount > 0) {
            FBlock[FCount++] = static_cast<uint8_t>(FBits & 0xFF);
            FBits = 0;
            FBitCount = 0;
            if (FCount == 255)
                writeBlock();
        }
        if (FCount > 0)
            writeBlock();
        FOut.push_back(0);
    }

private:
    void writeBlock()
    {
        FOut.push_back(static_cast<uint8_t>(FCount));
        FOut.insert(FOut.end(), FBlock.begin(), FBlock.begin() + FCount);
        FCount = 0;
    }

    std::vector<uint8_t>& FOut;
    std::array<uint8_t, 255> FBlock{};
    int FCount = 0;
    uint32_t FBits = 0;
    int FBitCount = 0;
};

int pixelAt(const uint8_t* row, int x, int bitCount)
{
    switch (bitCount) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default:
        return row[x];
    }
}

void setPixel(uint8_t* row, int x, int bitCount, int value)
{
    switch (bitCount) {
    case 1: {
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        row[x >> 3] = static_cast<uint8_t>(value ? row[x >> 3] | bit : row[x >> 3] & ~bit);
        break;
    }
    case 4:
        if (x & 1)
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0xF0) | (value & 0x0F));
        else
            row[x >> 1] = static_cast<uint8_t>((row[x >> 1] & 0x0F) | (value << 4));
        break;
    default:
        row[x] = static_cast<uint8_t>(value);
    }
}

size_t strideOf(int width, int bitCount)
{
    return (static_cast<size_t>(bitCount) * static_cast<size_t>(width) + 31) / 32 * 4;
}

} // namespace

void GIFError(const std::string& message)
{
    throw EInvalidGraphicOperation(message);
}

int ColorsToBits(int count)
{
    for (int bits = 1; bits <= 8; ++bits)
        if (count == 1 << bits)
            return bits;
    raise(SGIFColorCount);
}

int BitsForColors(int count)
{
    int bits = 1;
    while (bits < 8 && (1 << bits) < count)
        ++bits;
    return bits;
}

std::vector<std::string>* TGIFFrameRecord::Comment()
{
    for (TExtension& ext : Extensions)
        if (ext.ExtType == etComment)
            return &ext.Data;
    return nullptr;
}

void TGIFFrameRecord::UpdateGraphicControl()
{
    auto found = std::find_if(Extensions.begin(), Extensions.end(),
                              [](const TExtension& e) { return e.ExtType == etGraphicControl; });
    if (found == Extensions.end()) {
        if (FrameDelay == 0 && TransparentColor == clNone && Disposal == 0)
            return;
        TExtension ext;
        ext.ExtType = etGraphicControl;
        ext.Header = {4, 0, 0, 0, 0, 0};
        Extensions.push_back(std::move(ext));
        found = Extensions.end() - 1;
    }
    std::vector<uint8_t>& h = found->Header;
    h[2] = static_cast<uint8_t>((FrameDelay / 10) & 0xFF);
    h[3] = static_cast<uint8_t>((FrameDelay / 10) >> 8);
    const TGIFColorTable& table = Image->ColorTable;
    int index = -1;
    if (TransparentColor != clNone) {
        uint32_t rgb = ColorToRGB(TransparentColor);
        for (int i = 0; i < table.Count && index < 0; ++i)
            if (static_cast<uint32_t>(colorOf(table.Colors[i])) == rgb)
                index = i;
    }
    if (index >= 0) {
        h[4] = static_cast<uint8_t>(index);
        h[1] |= 1;
    } else {
        h[1] &= static_cast<uint8_t>(~1);
    }
    // The disposal replaces the one read, so that changing it never mixes two methods.
    h[1] = static_cast<uint8_t>((h[1] & ~0x1C) | ((Disposal & 7) << 2));
}

void TGIFScreen::Cover(const TGIFFrameRecord& frame)
{
    ScreenWidth = static_cast<uint16_t>(std::clamp(frame.Left + frame.Image->Width, int{ScreenWidth}, 65535));
    ScreenHeight = static_cast<uint16_t>(std::clamp(frame.Top + frame.Image->Height, int{ScreenHeight}, 65535));
}

void ReadGIF(const uint8_t* data, size_t size, TGIFFile& file)
{
    TReader reader(data, size);
    const uint8_t* sig = reader.Take(6);
    std::string_view signature(reinterpret_cast<const char*>(sig), 6);
    if (!SameText(signature.substr(0, 3), "GIF"))
        raise(SGIFVersion);
    if (SameText(signature.substr(3), "87a"))
        file.Version = 1;
    else if (SameText(signature.substr(3), "89a"))
        file.Version = 2;
    else
        raise(SGIFVersion);

    const uint8_t* d = reader.Take(7);
    file.ScreenWidth = get16(d);
    file.ScreenHeight = get16(d + 2);
    TGIFData& header = *file.Image;
    header.BitsPerPixel = static_cast<uint8_t>((d[4] & 7) + 1);
    header.ColorResolution = static_cast<uint8_t>(((d[4] & 0x70) >> 4) + 1);
    header.AspectRatio = d[6];
    if (d[4] & 0x80) {
        readColorTable(reader, header.ColorTable, header.BitsPerPixel);
        if (d[5] < header.ColorTable.Count)
            file.BackgroundColor = colorOf(header.ColorTable.Colors[d[5]]);
    }

    uint8_t separator = reader.Separator();
    while (separator != 0 && separator != ';') {
        std::vector<TExtension> extensions;
        while (separator == '!') {
            bool keep = true;
            TExtension ext = readExtension(reader, file, keep);
            if (ext.ExtType == etPlainText)
                extensions.clear();
            if (keep)
                extensions.push_back(std::move(ext));
            separator = reader.Separator();
        }
        if (separator == ',') {
            readFrame(reader, file, std::move(extensions));
            do
                separator = reader.Separator();
            while (separator == 0 && !reader.AtEnd());
            if (separator == 0)
                separator = ';';
            if (separator != '!' && separator != ',' && separator != ';')
                return;
            continue;
        }
        if (header.Comment.empty()) {
            bool first = true;
            for (const TExtension& ext : extensions) {
                if (ext.ExtType != etComment)
                    continue;
                if (!first)
                    header.Comment.emplace_back("\r\n\r\n");
                header.Comment.insert(header.Comment.end(), ext.Data.begin(), ext.Data.end());
                first = false;
            }
        }
        if (separator != 0 && separator != ';')
            readError();
    }
}

void WriteGIF(TStream& stream, TGIFScreen& screen, const std::vector<TGIFFrameRecord*>& frames)
{
    if (frames.empty())
        raise(SGIFNoData);
    for (TGIFFrameRecord* frame : frames) {
        frame->UpdateGraphicControl();
        std::erase_if(frame->Extensions,
                      [](const TExtension& e) { return e.ExtType == etComment && e.Data.empty(); });
        if (!frame->Extensions.empty())
            screen.Version = 2;
        screen.Cover(*frame);
    }
    const TGIFData& header = *screen.Image;
    if (!header.Comment.empty())
        screen.Version = 2;

    std::vector<uint8_t> out;
    const char* signature = screen.Version == 2 ? "GIF89a" : "GIF87a";
    out.insert(out.end(), signature, signature + 6);
    put16(out, screen.ScreenWidth);
    put16(out, screen.ScreenHeight);
    const TGIFColorTable& global = header.ColorTable;
    if (global.Count > 0) {
        int bits = ColorsToBits(global.Count);
        int background = 0;
        if (screen.BackgroundColor != clNone) {
            uint32_t rgb = ColorToRGB(screen.BackgroundColor);
            for (int i = global.Count - 1; i >= 0; --i)
                if (static_cast<uint32_t>(colorOf(global.Colors[i])) == rgb)
                    background = i;
        }
        int bitsPerPixel = std::clamp<int>(header.BitsPerPixel, 1, 8);
        out.insert(out.end(), {static_cast<uint8_t>(0x80 + (bits - 1) * 16 + (bitsPerPixel - 1)),
                               static_cast<uint8_t>(background), header.AspectRatio});
        writeTable(out, global, global.Count);
    } else {
        out.insert(out.end(), {0, 0, header.AspectRatio});
    }
    if (screen.Looping && frames.size() > 1) {
        static const char kLoop[] = "!\xFF\x0BNETSCAPE2.0\x03\x01";
        out.insert(out.end(), kLoop, kLoop + sizeof kLoop - 1);
        put16(out, screen.RepeatCount);
        out.push_back(0);
    }
    for (TGIFFrameRecord* frame : frames) {
        for (const TExtension& ext : frame->Extensions) {
            out.insert(out.end(), {'!', labelOf(ext.ExtType)});
            out.insert(out.end(), ext.Header.begin(), ext.Header.end());
            if (ext.ExtType != etGraphicControl)
                writeBlocks(out, ext.Data);
        }
        TGIFItem& item = *frame->Image;
        out.push_back(',');
        put16(out, frame->Left);
        put16(out, frame->Top);
        put16(out, item.Width);
        put16(out, item.Height);
        uint8_t packed = frame->Interlaced ? 0x40 : 0;
        if (frame->LocalColors) {
            item.BitsPerPixel = static_cast<uint8_t>(BitsForColors(item.ColorTable.Count));
            packed = static_cast<uint8_t>(packed | 0x80 | (item.BitsPerPixel - 1));
        }
        out.push_back(packed);
        // The table is padded to the size the descriptor declares, so a reader finds the raster data where it is.
        if (frame->LocalColors)
            writeTable(out, item.ColorTable, 1 << item.BitsPerPixel);
        out.insert(out.end(), item.ImageData.begin(), item.ImageData.end());
    }
    if (!header.Comment.empty()) {
        out.insert(out.end(), {'!', 0xFE});
        writeBlocks(out, header.Comment);
    }
    out.push_back(';');
    stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

bool LZWDecode(const uint8_t* data, size_t size, const TDibRows& target, bool interlaced, bool tolerant,
               int pixelBits, const TGIFProgress& progress)
{
    TProgressRun run(progress);
    if (size == 0) {
        if (tolerant)
            return true;
        run.Fail(SGIFCorruptData);
    }
    int minimum = data[0];
    if (minimum < 2 || minimum > 9)
        run.Fail(SGIFCodeSize);
    const int clearCode = 1 << minimum;
    const int endCode = clearCode + 1;
    const int pixelMask = (1 << std::clamp(pixelBits, 1, target.BitCount)) - 1;
    std::vector<uint16_t> prefix(kMaxCodes), suffix(kMaxCodes), stack(kMaxCodes + 1);

    TCodeReader codes(data + 1, size - 1);
    TRowWalk rows(target.Height, interlaced);
    int x = 0;
    uint8_t* row = rows.Done() || target.Width <= 0 ? nullptr : target.Row(0);
    auto output = [&](int pixel) {
        setPixel(row, x, target.BitCount, pixel & pixelMask);
        if (++x == target.Width) {
            x = 0;
            rows.Next();
            row = rows.Done() ? nullptr : target.Row(rows.Row());
        }
    };

    int codeSize = minimum + 1;
    int limit = 1 << codeSize;
    int freeCode = clearCode + 2;
    int oldCode = -1;
    int firstChar = 0;
    bool full = false;
    bool damaged = false;
    auto damage = [&] {
        if (!tolerant)
            run.Fail(SGIFCorruptData);
        damaged = true;
    };
    while (row) {
        int code = codes.Read(codeSize);
        if (code < 0) {
            damage();
            break;
        }
        if (code == endCode)
            break;
        if (code == clearCode) {
            codeSize = minimum + 1;
            limit = 1 << codeSize;
            freeCode = clearCode + 2;
            oldCode = -1;
            full = false;
            continue;
        }
        if (oldCode < 0) {
            // The first code after a clear (or at the start) must be a pixel.
            if (code > clearCode) {
                damage();
                break;
            }
            output(code);
            oldCode = firstChar = code;
            continue;
        }
        int current = code;
        int sp = 0;
        if (code >= freeCode) {
            if (code > freeCode) {
                damage();
                break;
            }
            stack[sp++] = static_cast<uint16_t>(firstChar);
            current = oldCode;
        }
        while (current > endCode && sp < kMaxCodes) {
            stack[sp++] = suffix[current];
            current = prefix[current];
        }
        if (current > endCode) {
            damage();
            break;
        }
        firstChar = current;
        output(firstChar);
        while (sp > 0 && row)
            output(stack[--sp]);
        if (!full) {
            prefix[freeCode] = static_cast<uint16_t>(oldCode);
            suffix[freeCode] = static_cast<uint16_t>(firstChar);
            if (++freeCode >= limit) {
                if (codeSize < 12) {
                    ++codeSize;
                    limit <<= 1;
                } else {
                    full = true;
                }
            }
        }
        oldCode = code;
        run.Report(static_cast<int>(std::lround(100.0 * static_cast<double>(codes.Position()) / static_cast<double>(size))));
    }
    return damaged;
}

void LZWEncode(std::vector<uint8_t>& output, const TDibRows& source, bool interlaced, const TGIFProgress& progress)
{
    TProgressRun run(progress);
    const int initialSize = source.BitCount == 1 ? 3 : source.BitCount + 1;
    const int clearCode = 1 << (initialSize - 1);
    const int endCode = clearCode + 1;
    output.push_back(static_cast<uint8_t>(initialSize - 1));
    TCodeWriter writer(output);

    std::vector<uint16_t> prefixOf(kMaxCodes), codeOf(kMaxCodes);
    std::vector<uint8_t> suffixOf(kMaxCodes);
    std::vector<int16_t> hash(kHashSize, -1);
    int codeSize = initialSize;
    int limit = 1 << initialSize;
    int lastCode = endCode;
    writer.Put(clearCode, codeSize);

    int prefix = 0;
    int length = 0;
    int64_t key = 0;
    TRowWalk rows(source.Height, interlaced);
    for (int done = 0; !rows.Done(); rows.Next()) {
        const uint8_t* row = source.Row(rows.Row());
        for (int x = 0; x < source.Width; ++x) {
            int pixel = pixelAt(row, x, source.BitCount);
            ++length;
            if (length == 1) {
                prefix = pixel;
                key = (pixel + 3) * 301;
                continue;
            }
            key = ((pixel + length + 4) * key) % kHashSize;
            int slot = static_cast<int>(key);
            while (hash[slot] >= 0) {
                int entry = hash[slot];
                if (prefixOf[entry] == prefix && suffixOf[entry] == pixel)
                    break;
                slot = slot == kHashSize - 1 ? 0 : slot + 1;
            }
            if (hash[slot] >= 0) {
                prefix = codeOf[hash[slot]];
                continue;
            }
            writer.Put(prefix, codeSize);
            int code = ++lastCode;
            prefixOf[code] = static_cast<uint16_t>(prefix);
            suffixOf[code] = static_cast<uint8_t>(pixel);
            codeOf[code] = static_cast<uint16_t>(code);
            hash[slot] = static_cast<int16_t>(code);
            prefix = pixel;
            key = (pixel + 3) * 301;
            length = 1;
            if (code == limit) {
                limit <<= 1;
                ++codeSize;
            } else if (code == 4094) {
                writer.Put(prefix, codeSize);
                writer.Put(clearCode, codeSize);
                length = 0;
                codeSize = initialSize;
                limit = 1 << initialSize;
                lastCode = endCode;
                std::fill(hash.begin(), hash.end(), -1);
            }
        }
        ++done;
        run.Report(static_cast<int>(std::lround(100.0 * done / source.Height)));
    }
    // After a reset at the last pixel that pixel has gone out already.
    if (length > 0)
        writer.Put(prefix, codeSize);
    writer.Put(endCode, codeSize);
    writer.Flush();
}

std::vector<uint8_t> DecodeFrame(const TGIFFrameRecord& frame, bool& corrupted, const TGIFProgress& progress)
{
    corrupted = false;
    const TGIFItem& item = *frame.Image;
    if (item.ImageData.empty() || item.Width <= 0 || item.Height <= 0)
        return {};
    // Without any colour table the pixels take the width of the minimum code size.
    int pixelBits = item.BitsPerPixel >= 1 ? item.BitsPerPixel : std::clamp<int>(item.ImageData[0], 1, 8);
    int bitCount = bitCountFor(pixelBits);
    size_t stride = strideOf(item.Width, bitCount);
    if (stride * static_cast<size_t>(item.Height) > kMaxBitmapBytes)
        raise(SGIFCorruptData);
    int colors = 1 << bitCount;
    size_t offset = 14 + 40 + static_cast<size_t>(colors) * 4;
    size_t imageSize = stride * static_cast<size_t>(item.Height);
    std::vector<uint8_t> bmp(offset + imageSize, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(&bmp[2], static_cast<uint32_t>(bmp.size()));
    put32(&bmp[10], static_cast<uint32_t>(offset));
    uint8_t* info = &bmp[14];
    put32(info, 40);
    put32(info + 4, static_cast<uint32_t>(item.Width));
    put32(info + 8, static_cast<uint32_t>(item.Height));
    info[12] = 1;
    info[14] = static_cast<uint8_t>(bitCount);
    put32(info + 20, static_cast<uint32_t>(imageSize));
    uint8_t* palette = info + 40;
    for (int i = 0; i < colors; ++i) {
        uint8_t* q = palette + 4 * i;
        if (i < item.ColorTable.Count) {
            const TPaletteEntry& e = item.ColorTable.Colors[i];
            q[0] = e.Blue;
            q[1] = e.Green;
            q[2] = e.Red;
            q[3] = 0;
        } else {
            std::fill(q, q + 4, 0x80);
        }
    }
    TDibRows rows{bmp.data() + offset, static_cast<int>(stride), item.Width, item.Height, bitCount};
    corrupted = LZWDecode(item.ImageData.data(), item.ImageData.size(), rows, frame.Interlaced, true, pixelBits,
                          progress);
    return bmp;
}

void EncodeFrame(TGIFFrameRecord& frame, TGIFScreen& screen, const uint8_t* bmp, size_t size,
                 const TGIFProgress& progress)
{
    if (size < 54 || bmp[0] != 'B' || bmp[1] != 'M')
        raise(SGIFEncodeError);
    const uint8_t* info = bmp + 14;
    uint32_t infoSize = get32(info);
    int width = static_cast<int32_t>(get32(info + 4));
    int height = static_cast<int32_t>(get32(info + 8));
    int bitCount = get16(info + 14);
    if (bitCount != 1 && bitCount != 4 && bitCount != 8)
        raise(SGIFEncodeError);
    if (width <= 0 || height <= 0)
        raise(SGIFNoData);
    // The file's sizes are 16 bits wide.
    if (width > 65535 || height > 65535 || infoSize < 40 || infoSize > size)
        raise(SGIFEncodeError);
    int colors = 1 << bitCount;
    size_t paletteAt = 14 + static_cast<size_t>(infoSize);
    size_t stride = strideOf(width, bitCount);
    size_t offset = get32(bmp + 10);
    if (paletteAt + static_cast<size_t>(colors) * 4 > size || offset > size ||
        stride * static_cast<size_t>(height) > size - offset)
        raise(SGIFEncodeError);

    frame.Interlaced = false;
    TGIFItem& item = *frame.Image;
    item.ColorTable = {};
    item.ColorTable.Count = std::min(256, colors);
    for (int i = 0; i < item.ColorTable.Count; ++i) {
        const uint8_t* q = bmp + paletteAt + 4 * static_cast<size_t>(i);
        item.ColorTable.Colors[i] = {q[2], q[1], q[0]};
    }
    item.ImageData.clear();
    TDibRows rows{const_cast<uint8_t*>(bmp + offset), static_cast<int>(stride), width, height, bitCount};
    LZWEncode(item.ImageData, rows, false, progress);
    item.BitsPerPixel = static_cast<uint8_t>(BitsForColors(item.ColorTable.Count));
    TGIFData& global = *screen.Image;
    if (global.ColorTable.Count == 0) {
        global.ColorTable = item.ColorTable;
        global.BitsPerPixel = item.BitsPerPixel;
        frame.LocalColors = false;
    } else {
        frame.LocalColors = true;
    }
    item.Width = width;
    item.Height = height;
    screen.Cover(frame);
}
