// Colour reduction of a 24-bit pixel buffer to a 256-entry palette by six methods, and the BMP file layout of indexed and true-colour images.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// Numbered as stored.
enum TReductionMethod : uint8_t { rmFrequent, rmMedianCut, rmFixed784, rmFixed666, rmChannelRamps, rmGray };
extern TReductionMethod DefaultReductionMethod;

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// The bit count of a format that has a file form here: 1, 4, 8, 24 or 32; 0 for the others.
int BitCountOf(TPixelFormat format);

struct TPaletteEntry {
    uint8_t Red = 0, Green = 0, Blue = 0;
    bool operator==(const TPaletteEntry&) const = default;
};

// Three bytes per pixel (red, green, blue), rows from the top, no row padding.
struct TRgbImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;

    TRgbImage() = default;
    TRgbImage(int width, int height);
    const uint8_t* At(int x, int y) const { return &Pixels[(static_cast<size_t>(y) * Width + x) * 3]; }
    void Set(int x, int y, TPaletteEntry color);
    TPaletteEntry Get(int x, int y) const;
};

// One palette index per pixel, rows from the top. `Palette` holds the entries in use; a file pads it
// to the format's size with mid grey. `UsedColors` is what the file header declares (0: all).
struct TIndexedImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Indices;
    std::vector<TPaletteEntry> Palette;
    int UsedColors = 0;
};

// Reduces to at most 256 colours; `maxColors` bounds the palette of rmFrequent (2, 16 or 256).
TIndexedImage ReduceColors(const TRgbImage& image, TReductionMethod method, int maxColors = 256);

// The colour census behind rmFrequent: at most kMaxEntries distinct colours after masking, found
// through an open-addressed hash whose prime size keeps the probe chains short.
class TColorHistogram {
public:
    static constexpr int kMaxEntries = 2048;
    static constexpr int kHashSize = 5191;
    struct TEntry {
        uint32_t Count = 0;
        uint8_t Blue = 0, Green = 0, Red = 0;
        uint8_t Index = 0;
    };

    // Counts the image's colours, dropping one more low bit of one channel and counting again for
    // as long as more than kMaxEntries colours remain.
    void Count(const TRgbImage& image);
    uint8_t RedMask() const { return FRedMask; }
    uint8_t GreenMask() const { return FGreenMask; }
    uint8_t BlueMask() const { return FBlueMask; }
    // How many times the masks were coarsened.
    int Passes() const { return FPasses; }
    const std::vector<TEntry>& Entries() const { return FEntries; }
    std::vector<TEntry>& Entries() { return FEntries; }
    // The entry of a colour (masked here); -1 when it was not counted.
    int Find(uint8_t red, uint8_t green, uint8_t blue) const;

private:
    bool countOnce(const TRgbImage& image);
    void coarsen();
    int slotOf(uint8_t red, uint8_t green, uint8_t blue) const;

    uint8_t FRedMask = 255, FGreenMask = 255, FBlueMask = 255;
    int FPasses = 0;
    std::vector<TEntry> FEntries;
    std::array<uint16_t, kHashSize> FHash{};
};

// The index of the level nearest to `value` on a scale of `levels` steps i * 255 / (levels - 1),
// from tables built once; levels is 4, 6, 7 or 8.
int NearestLevel(int levels, uint8_t value);

// A BMP file ("BM" header, 40-byte info header, palette of 4 * 2^bitCount bytes, rows bottom-up padded
// to 4 bytes) of an indexed image at 1, 4 or 8 bits; palette entries past those in use are 80 80 80 00.
std::vector<uint8_t> IndexedBitmapFile(const TIndexedImage& image, int bitCount);
// The same at 24 or 32 bits per pixel, without palette.
std::vector<uint8_t> RgbBitmapFile(const TRgbImage& image, int bitCount);
