// The animated cursor file (RIFF form "ACON"): its chunks read into frames of icon images with rates, sequence, title and author.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TStream;

// An icon picture as the reader sees it: made from the bytes of an icon file by the layer that draws,
// so that the chunk walk itself needs no graphics.
class TIconImage {
public:
    virtual ~TIconImage() = default;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual std::unique_ptr<TIconImage> Clone() const = 0;
};

class TIconImageLoader {
public:
    virtual ~TIconImageLoader() = default;
    // The picture of an icon file; nullptr (or an exception) when the bytes hold none.
    virtual std::unique_ptr<TIconImage> Load(const std::vector<uint8_t>& iconFile) const = 0;
};

// The "anih" chunk: nine 32-bit little-endian values.
struct TAniHeader {
    uint32_t HeaderSize = 0;
    uint32_t FrameCount = 0;
    uint32_t StepCount = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t BitCount = 0;
    uint32_t Planes = 0;
    uint32_t DefaultRate = 0;
    uint32_t Flags = 0;
    static constexpr uint32_t kIconFlag = 1;
    static constexpr int kSize = 36;
};

class TIconFrame {
public:
    TIconFrame() = default;
    TIconFrame(const TIconFrame& other);
    TIconFrame& operator=(const TIconFrame& other);

    std::unique_ptr<TIconImage> Icon;
    // The image was an icon, not a cursor.
    bool IsIcon = false;
    // Tag and size of the chunk the image came from.
    std::array<char, 4> Tag{};
    uint32_t Size = 0;
    int HotSpotX = 0;
    int HotSpotY = 0;
    // In jiffies (1/60 s).
    uint32_t Rate = 0;
    int64_t Sequence = 0;
};

// The frames of an animated cursor. Title and author hold at most kMaxText characters.
class TAnimatedCursorData {
public:
    static constexpr size_t kMaxText = 255;

    TAnimatedCursorData() = default;
    TAnimatedCursorData(const TAnimatedCursorData& other) { Assign(other); }
    TAnimatedCursorData& operator=(const TAnimatedCursorData& other);
    virtual ~TAnimatedCursorData() = default;

    int GetCount() const { return static_cast<int>(FFrames.size()); }
    // Raises EListError for an index out of range.
    const TIconFrame& GetFrame(int index) const;
    const TAniHeader& Header() const { return FHeader; }
    const std::string& Title() const { return FTitle; }
    const std::string& Author() const { return FAuthor; }
    // The largest colour count among the frame images: 2, 16 or 256 for 1, 4 or 8 bits per pixel, else 0.
    uint16_t MaxColors() const { return FMaxColors; }

    // Reads the file from the stream's position to its end. A stream that is not RIFF/ACON, whose
    // "anih" lacks the icon flag or steps, or that gives no frame with an icon raises EReadError
    // "Stream read error"; a damaged chunk ends the walk with the frames read so far.
    void ReadAnimatedCursor(TStream& stream, const TIconImageLoader& loader);
    void Assign(const TAnimatedCursorData& other);
    void Clear();

protected:
    std::vector<std::unique_ptr<TIconFrame>> FFrames;

private:
    TAniHeader FHeader;
    std::string FTitle;
    std::string FAuthor;
    uint16_t FMaxColors = 0;
};

// The reading of one "icon" sub-chunk: the bytes rewritten to an icon file when they hold a cursor,
// and the hot spot and largest colour count found in its directory. Exposed for the tests.
struct TIconChunkImage {
    std::vector<uint8_t> IconFile;
    bool IsIcon = false;
    int HotSpotX = 0;
    int HotSpotY = 0;
    uint16_t MaxColors = 0;
};
// False when the bytes are neither an icon nor a cursor file, or their directory points outside them.
bool ParseIconChunk(const uint8_t* data, size_t size, TIconChunkImage& result);
