// Reading animated cursors: a walk over the RIFF chunks of a memory copy, every size checked against the bytes that remain.
#include "components/core/AniFile.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/core/Classes.h"
#include "platform/core/SysUtils.h"

namespace {

constexpr int kReadErrorText = 65210;
constexpr int kListIndexText = 65214;
// The smallest chunk, a bare header: no frame can get an icon without one chunk of its own, which
// bounds the frames an "anih" may ask for by the size of the file.
constexpr size_t kChunkHeader = 8;

[[noreturn]] void readError()
{
    throw EReadError(LoadResString(kReadErrorText));
}

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t le32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

// Up to four bytes as a little-endian value; missing high bytes are 0.
uint32_t leShort32(const uint8_t* p, size_t count)
{
    uint32_t value = 0;
    for (size_t i = 0; i < count && i < 4; ++i)
        value |= static_cast<uint32_t>(p[i]) << (8 * i);
    return value;
}

bool isTag(const uint8_t* p, const char* tag)
{
    return std::memcmp(p, tag, 4) == 0;
}

uint64_t padded(uint32_t size)
{
    return static_cast<uint64_t>(size) + (size & 1);
}

uint16_t colorsOfBitCount(uint16_t bits)
{
    switch (bits) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// A zero-terminated text of at most `limit` bytes.
std::string textOf(const uint8_t* p, size_t size, size_t limit)
{
    const size_t n = std::min(size, limit);
    const auto* end = static_cast<const uint8_t*>(std::memchr(p, 0, n));
    return std::string(reinterpret_cast<const char*>(p), end ? static_cast<size_t>(end - p) : n);
}

// The walk over the memory copy. Positions never pass `End`; a chunk that claims more bytes than
// remain is cut at the end of what holds it.
class TChunkWalk {
public:
    explicit TChunkWalk(const std::vector<uint8_t>& data) : End(data.size()), FData(data.data()) {}

    // A chunk header within `limit`: tag and size; false when fewer than 8 bytes remain.
    bool Header(size_t limit, const uint8_t*& tag, uint32_t& size)
    {
        if (limit - Pos < kChunkHeader)
            return false;
        tag = FData + Pos;
        size = le32(FData + Pos + 4);
        Pos += kChunkHeader;
        return true;
    }
    bool Fits(uint64_t count, size_t limit) const { return count <= limit - Pos; }
    const uint8_t* Here() const { return FData + Pos; }
    // Moves past a chunk's data and its pad byte, stopping at `limit`.
    void Skip(uint32_t size, size_t limit) { Pos = static_cast<size_t>(std::min<uint64_t>(limit, Pos + padded(size))); }

    size_t Pos = 0;
    const size_t End;

private:
    const uint8_t* FData;
};

} // namespace

bool ParseIconChunk(const uint8_t* data, size_t size, TIconChunkImage& result)
{
    result = TIconChunkImage();
    if (size < 6)
        return false;
    result.IconFile.assign(data, data + size);
    uint8_t* bytes = result.IconFile.data();
    switch (le16(bytes + 2)) {
    case 1:
        result.IsIcon = true;
        break;
    case 2:
        // A cursor file is an icon file with hot spots where an icon keeps planes and bit count.
        bytes[2] = 1;
        bytes[3] = 0;
        break;
    default:
        return false;
    }
    const size_t count = le16(bytes + 4);
    if (count * 16 > size - 6)
        return false;
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* entry = bytes + 6 + 16 * i;
        const size_t imageSize = le32(entry + 8), imageOffset = le32(entry + 12);
        if (imageOffset > size || imageSize > size - imageOffset || imageSize < 16)
            return false;
        result.MaxColors = std::max(result.MaxColors, colorsOfBitCount(le16(bytes + imageOffset + 14)));
        result.HotSpotX = le16(entry + 4);
        result.HotSpotY = le16(entry + 6);
    }
    return true;
}

// ---------------------------------------------------------------- TIconFrame

TIconFrame::TIconFrame(const TIconFrame& other)
    : Icon(other.Icon ? other.Icon->Clone() : nullptr), IsIcon(other.IsIcon), Tag(other.Tag), Size(other.Size),
      HotSpotX(other.HotSpotX), HotSpotY(other.HotSpotY), Rate(other.Rate), Sequence(other.Sequence)
{
}

TIconFrame& TIconFrame::operator=(const TIconFrame& other)
{
    if (this != &other) {
        TIconFrame copy(other);
        Icon = std::move(copy.Icon);
        IsIcon = copy.IsIcon;
        Tag = copy.Tag;
        Size = copy.Size;
        HotSpotX = copy.HotSpotX;
        HotSpotY = copy.HotSpotY;
        Rate = copy.Rate;
        Sequence = copy.Sequence;
    }
    return *this;
}

// ---------------------------------------------------------------- TAnimatedCursorData

TAnimatedCursorData& TAnimatedCursorData::operator=(const TAnimatedCursorData& other)
{
    if (this != &other)
        Assign(other);
    return *this;
}

const TIconFrame& TAnimatedCursorData::GetFrame(int index) const
{
    if (index < 0 || index >= GetCount())
        throw EListError(FmtLoadStr(kListIndexText, index));
    return *FFrames[static_cast<size_t>(index)];
}

void TAnimatedCursorData::Clear()
{
    FFrames.clear();
    FHeader = TAniHeader();
    FTitle.clear();
    FAuthor.clear();
    FMaxColors = 0;
}

void TAnimatedCursorData::Assign(const TAnimatedCursorData& other)
{
    std::vector<std::unique_ptr<TIconFrame>> frames;
    frames.reserve(other.FFrames.size());
    for (const auto& frame : other.FFrames)
        frames.push_back(std::make_unique<TIconFrame>(*frame));
    FFrames = std::move(frames);
    FHeader = other.FHeader;
    FTitle = other.FTitle;
    FAuthor = other.FAuthor;
    FMaxColors = other.FMaxColors;
}

void TAnimatedCursorData::ReadAnimatedCursor(TStream& stream, const TIconImageLoader& loader)
{
    const int64_t available = std::max<int64_t>(stream.Remaining(), 0);
    std::vector<uint8_t> data(static_cast<size_t>(available));
    stream.ReadBuffer(data.data(), available);

    if (data.size() < 12 || !isTag(data.data(), "RIFF") || !isTag(data.data() + 8, "ACON"))
        readError();
    Clear();
    size_t rateChunks = 0, sequenceChunks = 0;
    int64_t icons = 0;
    const size_t maxFrames = data.size() / kChunkHeader;
    // Frames by sequence number. An entry goes stale when a "seq " chunk renumbers its frame; look-ups
    // check the frame's number again instead of erasing, so each frame costs at most two entries.
    std::unordered_map<int64_t, std::vector<size_t>> bySequence;

    auto receiveIcon = [&](std::unique_ptr<TIconImage> image, const TIconChunkImage& parsed, const uint8_t* tag,
                           uint32_t size) {
        auto fill = [&](TIconFrame& frame) {
            frame.Icon = std::move(image);
            frame.IsIcon = parsed.IsIcon;
            std::memcpy(frame.Tag.data(), tag, 4);
            frame.Size = size;
            frame.HotSpotX = parsed.IsIcon ? frame.Icon->Width() / 2 : parsed.HotSpotX;
            frame.HotSpotY = parsed.IsIcon ? frame.Icon->Height() / 2 : parsed.HotSpotY;
        };
        const TIconImage* original = image.get();
        bool matched = false;
        if (auto it = bySequence.find(icons); it != bySequence.end())
            for (size_t index : it->second) {
                TIconFrame& frame = *FFrames[index];
                if (frame.Sequence != icons)
                    continue;
                // Each frame owns its picture: the first takes the one read, the others a copy.
                if (!image)
                    image = original->Clone();
                fill(frame);
                matched = true;
            }
        if (!matched) {
            auto frame = std::make_unique<TIconFrame>();
            frame->Sequence = -1;
            frame->Rate = FHeader.DefaultRate;
            fill(*frame);
            FFrames.push_back(std::move(frame));
        }
        ++icons;
    };

    auto readFrameList = [&](TChunkWalk& walk, size_t listEnd) {
        const uint8_t* tag;
        uint32_t size;
        while (walk.Header(listEnd, tag, size)) {
            if (isTag(tag, "icon")) {
                if (!walk.Fits(size, listEnd))
                    return;
                TIconChunkImage parsed;
                if (!ParseIconChunk(walk.Here(), size, parsed))
                    return;
                std::unique_ptr<TIconImage> image;
                try {
                    image = loader.Load(parsed.IconFile);
                } catch (const Exception&) {
                }
                if (!image)
                    return;
                FMaxColors = std::max(FMaxColors, parsed.MaxColors);
                receiveIcon(std::move(image), parsed, tag, size);
            }
            walk.Skip(size, listEnd);
        }
    };

    auto readInfoList = [&](TChunkWalk& walk, size_t listEnd) {
        const uint8_t* tag;
        uint32_t size;
        while (walk.Header(listEnd, tag, size)) {
            const bool title = isTag(tag, "INAM"), author = isTag(tag, "IART");
            if (!walk.Fits(title || author ? size : padded(size), listEnd))
                return;
            if (title || author)
                (title ? FTitle : FAuthor) = textOf(walk.Here(), size, kMaxText);
            walk.Skip(size, listEnd);
        }
    };

    TChunkWalk walk(data);
    walk.Pos = 12;
    const uint8_t* tag;
    uint32_t size;
    while (walk.Header(walk.End, tag, size)) {
        if (isTag(tag, "anih")) {
            if (!walk.Fits(size, walk.End))
                break;
            // A header of another size gives its first 36 bytes; those it lacks stay 0.
            std::array<uint8_t, TAniHeader::kSize> raw{};
            std::memcpy(raw.data(), walk.Here(), std::min<size_t>(size, raw.size()));
            uint32_t* fields[] = {&FHeader.HeaderSize, &FHeader.FrameCount, &FHeader.StepCount,
                                  &FHeader.Width,      &FHeader.Height,     &FHeader.BitCount,
                                  &FHeader.Planes,     &FHeader.DefaultRate, &FHeader.Flags};
            for (size_t i = 0; i < std::size(fields); ++i)
                *fields[i] = le32(raw.data() + 4 * i);
            walk.Skip(size, walk.End);
            if (!(FHeader.Flags & TAniHeader::kIconFlag) || FHeader.StepCount == 0)
                readError();
            const size_t frames = std::min<size_t>(FHeader.FrameCount, maxFrames - std::min(maxFrames, FFrames.size()));
            for (size_t i = 0; i < frames; ++i) {
                auto frame = std::make_unique<TIconFrame>();
                frame->Sequence = static_cast<int64_t>(i);
                frame->Rate = FHeader.DefaultRate;
                bySequence[frame->Sequence].push_back(FFrames.size());
                FFrames.push_back(std::move(frame));
            }
        } else if (isTag(tag, "rate") || isTag(tag, "seq ")) {
            const size_t count = std::min<size_t>(size, 4);
            if (!walk.Fits(count, walk.End))
                break;
            const uint32_t value = leShort32(walk.Here(), count);
            walk.Skip(size, walk.End);
            if (isTag(tag, "rate")) {
                if (rateChunks < FFrames.size())
                    FFrames[rateChunks]->Rate = value;
                ++rateChunks;
            } else {
                if (sequenceChunks < FFrames.size() && FFrames[sequenceChunks]->Sequence != value) {
                    FFrames[sequenceChunks]->Sequence = value;
                    bySequence[value].push_back(sequenceChunks);
                }
                ++sequenceChunks;
            }
        } else if (isTag(tag, "LIST")) {
            const size_t listEnd = static_cast<size_t>(std::min<uint64_t>(walk.End, walk.Pos + padded(size)));
            if (size < 4 || !walk.Fits(4, listEnd))
                break;
            const uint8_t* listType = walk.Here();
            walk.Pos += 4;
            if (isTag(listType, "fram"))
                readFrameList(walk, listEnd);
            else if (isTag(listType, "INFO"))
                readInfoList(walk, listEnd);
            walk.Pos = listEnd;
        } else {
            walk.Skip(size, walk.End);
        }
    }

    std::erase_if(FFrames, [](const std::unique_ptr<TIconFrame>& frame) { return !frame->Icon; });
    FHeader.StepCount = static_cast<uint32_t>(FFrames.size());
    if (FFrames.empty())
        readError();
}
