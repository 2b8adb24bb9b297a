// The GIF codec: GIF87a/89a files read into and written from frame records, and the LZW coder of their raster data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/core/KrGraph.h"
#include "platform/core/Exception.h"
#include "platform/core/Graphics.h"

class TStream;

// String-table texts of the GIF picture.
enum : int {
    SGIFVersion = 61092,
    SGIFEncodeError = 61093,
    SGIFCorruptData = 61094,
    SGIFCodeSize = 61095,
    SGIFColorCount = 61096,
    SGIFExtension = 61097,
    SGIFNoData = 61098,
    SGIFResize = 61099,
    SGIFDescription = 61100,
};

// Raises EInvalidGraphicOperation with the message.
[[noreturn]] void GIFError(const std::string& message);
// 1 to 8 for 2, 4, ..., 256 colours; any other count raises the colour-count text.
int ColorsToBits(int count);
// The smallest n >= 1 with 2^n at least `count`.
int BitsForColors(int count);

struct TGIFColorTable {
    int Count = 0;
    std::array<TPaletteEntry, 256> Colors{};
    bool operator==(const TGIFColorTable&) const = default;
};

// In this order the file labels are 0xF9, 0x01, 0xFF, 0xFE.
enum TExtensionType : uint8_t { etGraphicControl, etPlainText, etApplication, etComment };

struct TExtension {
    TExtensionType ExtType = etComment;
    // The fixed bytes after the label: 6 for a graphic control, 13 for plain text, 12 for an application.
    std::vector<uint8_t> Header;
    // One string per data sub-block.
    std::vector<std::string> Data;
};

// A frame's raster data as in the file (minimum code size, sub-blocks, terminator) with what decoding
// it needs; frames assigned from one another share it.
struct TGIFItem {
    std::vector<uint8_t> ImageData;
    int Width = 0;
    int Height = 0;
    uint8_t PackedFields = 0;
    uint8_t BitsPerPixel = 0;
    TGIFColorTable ColorTable;
};

// The logical screen's header data; images assigned from one another share it.
struct TGIFData {
    std::vector<std::string> Comment;
    uint8_t AspectRatio = 0;
    // Exponent of the global table's size.
    uint8_t BitsPerPixel = 0;
    uint8_t ColorResolution = 0;
    // Count 0: no global table.
    TGIFColorTable ColorTable;
};

// One image of a GIF file without its decoded pixels.
struct TGIFFrameRecord {
    std::shared_ptr<TGIFItem> Image = std::make_shared<TGIFItem>();
    std::vector<TExtension> Extensions;
    int Left = 0;
    int Top = 0;
    bool Interlaced = false;
    bool Corrupted = false;
    bool GrayscaleReduced = false;
    TColor TransparentColor = clNone;
    // Milliseconds.
    uint16_t FrameDelay = 0;
    uint8_t Disposal = 0;
    bool LocalColors = false;

    // The data of the first comment extension; nullptr when there is none.
    std::vector<std::string>* Comment();
    // The graphic control extension matched to delay, transparent colour and disposal, made when one
    // of them is set and the frame has none.
    void UpdateGraphicControl();
};

// The whole-file fields of an image.
struct TGIFScreen {
    std::shared_ptr<TGIFData> Image = std::make_shared<TGIFData>();
    // 0 none, 1 "87a", 2 "89a".
    uint8_t Version = 0;
    uint16_t ScreenWidth = 0;
    uint16_t ScreenHeight = 0;
    TColor BackgroundColor = clNone;
    bool Looping = false;
    uint16_t RepeatCount = 1;

    // Grows the logical screen to cover the frame.
    void Cover(const TGIFFrameRecord& frame);
};

struct TGIFFile : TGIFScreen {
    std::vector<TGIFFrameRecord> Frames;
};

enum TProgressStage { psStarting, psRunning, psEnding };
// Stage and percentage; the message is the failure's when an error ended the work.
using TGIFProgress = std::function<void(TProgressStage stage, int percent, const std::string& message)>;

// Rows of a device-independent bitmap being filled or read: bottom-up, each `Stride` bytes, pixels of
// `BitCount` 1, 4 or 8 bits.
struct TDibRows {
    uint8_t* Bits = nullptr;
    int Stride = 0;
    int Width = 0;
    int Height = 0;
    int BitCount = 8;
    uint8_t* Row(int top) const { return Bits + static_cast<size_t>(Height - 1 - top) * Stride; }
};

// Reads a GIF file from `size` bytes; raises on a wrong signature or an unknown extension label, and
// EReadError where the file ends inside a fixed-size part.
void ReadGIF(const uint8_t* data, size_t size, TGIFFile& file);
// Writes the image; every frame must hold its raster data. Updates the frames' graphic controls, drops
// empty comments, sets the version and grows the screen to the frames.
void WriteGIF(TStream& stream, TGIFScreen& screen, const std::vector<TGIFFrameRecord*>& frames);

// Decodes raster data (minimum code size byte and sub-blocks) into the rows. Returns true when the data
// was damaged and `tolerant`: the rows decoded so far stay; without `tolerant` damage raises.
bool LZWDecode(const uint8_t* data, size_t size, const TDibRows& target, bool interlaced, bool tolerant,
               int pixelBits, const TGIFProgress& progress = {});
// Encodes the rows as raster data appended to `output`.
void LZWEncode(std::vector<uint8_t>& output, const TDibRows& source, bool interlaced,
               const TGIFProgress& progress = {});

// A BMP file of the frame's pixels; `corrupted` tells whether the data was damaged. A frame without
// raster data gives an empty file; a bitmap over 256 MB raises the corrupt-data text.
std::vector<uint8_t> DecodeFrame(const TGIFFrameRecord& frame, bool& corrupted, const TGIFProgress& progress = {});
// Encodes a 1-, 4- or 8-bit BMP file into the frame: colour table from its palette, the screen's global
// table when it has none yet, the screen grown to the frame.
void EncodeFrame(TGIFFrameRecord& frame, TGIFScreen& screen, const uint8_t* bmp, size_t size,
                 const TGIFProgress& progress = {});
