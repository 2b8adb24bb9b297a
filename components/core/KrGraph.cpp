// Colour reduction and the BMP layout: frequency census, median cut, fixed palettes, channel ramps and grey.
#include "components/core/KrGraph.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <numeric>

TReductionMethod DefaultReductionMethod = rmFrequent;

namespace {

constexpr TPaletteEntry kUnusedEntry{0x80, 0x80, 0x80};
constexpr int kPaletteSize = 256;

// Nearest-level tables for the scales the fixed palettes use; ties keep the lower level.
struct TLevelTables {
    std::array<std::array<uint8_t, 256>, 9> Nearest{};
    TLevelTables()
    {
        for (int levels : {4, 6, 7, 8})
            for (int v = 0; v < 256; ++v) {
                int best = 0, bestDistance = 256;
                for (int i = 0; i < levels; ++i) {
                    int distance = std::abs(v - i * 255 / (levels - 1));
                    if (distance < bestDistance) {
                        bestDistance = distance;
                        best = i;
                    }
                }
                Nearest[levels][v] = static_cast<uint8_t>(best);
            }
    }
};
const TLevelTables kLevels;

uint8_t levelValue(int levels, int level)
{
    return static_cast<uint8_t>(level * 255 / (levels - 1));
}

int squaredDistance(TPaletteEntry a, int red, int green, int blue)
{
    int dr = a.Red - red, dg = a.Green - green, db = a.Blue - blue;
    return dr * dr + dg * dg + db * db;
}

TIndexedImage blankResult(const TRgbImage& image)
{
    TIndexedImage result;
    result.Width = image.Width;
    result.Height = image.Height;
    result.Indices.resize(static_cast<size_t>(image.Width) * image.Height);
    return result;
}

TIndexedImage reduceFrequent(const TRgbImage& image, int maxColors)
{
    TColorHistogram histogram;
    histogram.Count(image);
    auto& entries = histogram.Entries();
    std::vector<int> order(entries.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return entries[a].Count > entries[b].Count; });

    TIndexedImage result = blankResult(image);
    const size_t kept = std::min<size_t>(order.size(), static_cast<size_t>(std::clamp(maxColors, 1, kPaletteSize)));
    for (size_t i = 0; i < kept; ++i) {
        auto& entry = entries[order[i]];
        entry.Index = static_cast<uint8_t>(i);
        result.Palette.push_back({entry.Red, entry.Green, entry.Blue});
    }
    for (size_t i = kept; i < order.size(); ++i) {
        auto& entry = entries[order[i]];
        int best = 0, bestDistance = 1 << 30;
        for (size_t p = 0; p < kept; ++p) {
            int distance = squaredDistance(result.Palette[p], entry.Red, entry.Green, entry.Blue);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<int>(p);
            }
        }
        entry.Index = static_cast<uint8_t>(best);
    }
    // The greys stand in for the slots a small picture leaves empty.
    while (result.Palette.size() < kPaletteSize)
        result.Palette.push_back(kUnusedEntry);
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) {
            const uint8_t* p = image.At(x, y);
            result.Indices[static_cast<size_t>(y) * image.Width + x] = entries[histogram.Find(p[0], p[1], p[2])].Index;
        }
    return result;
}

// ---------------------------------------------------------------- median cut

constexpr int kCells = 4096;

int cellChannel(int cell, int channel)
{
    return (cell >> (8 - 4 * channel)) & 15;
}

// Quicksort by one channel's 4-bit value, finishing short runs by insertion.
void sortCells(int* cells, int count, int channel)
{
    while (count >= 8) {
        int pivot = cellChannel(cells[count / 2], channel);
        int i = 0, j = count - 1;
        while (i <= j) {
            while (cellChannel(cells[i], channel) < pivot)
                ++i;
            while (cellChannel(cells[j], channel) > pivot)
                --j;
            if (i <= j)
                std::swap(cells[i++], cells[j--]);
        }
        // Recursing into the smaller side bounds the stack depth by log2 of the cell count.
        if (j + 1 < count - i) {
            sortCells(cells, j + 1, channel);
            cells += i;
            count -= i;
        } else {
            sortCells(cells + i, count - i, channel);
            count = j + 1;
        }
    }
    for (int i = 1; i < count; ++i) {
        int cell = cells[i], key = cellChannel(cell, channel), j = i - 1;
        while (j >= 0 && cellChannel(cells[j], channel) > key) {
            cells[j + 1] = cells[j];
            --j;
        }
        cells[j + 1] = cell;
    }
}

struct TBox {
    std::vector<int> Cells;
    int64_t Pixels = 0;
    std::array<int, 3> Low{0, 0, 0};
    std::array<int, 3> Range{255, 255, 255};
};

TIndexedImage reduceMedianCut(const TRgbImage& image)
{
    auto cellOf = [](const uint8_t* p) { return (p[0] >> 4) * 256 + (p[1] >> 4) * 16 + (p[2] >> 4); };
    std::vector<uint32_t> cellPixels(kCells, 0);
    for (size_t i = 0; i + 2 < image.Pixels.size(); i += 3)
        ++cellPixels[cellOf(&image.Pixels[i])];

    std::vector<TBox> boxes(1);
    for (int cell = 0; cell < kCells; ++cell)
        if (cellPixels[cell] != 0) {
            boxes[0].Cells.push_back(cell);
            boxes[0].Pixels += cellPixels[cell];
        }
    while (boxes.size() < kPaletteSize) {
        int bestBox = -1, bestChannel = 0, bestRange = -1;
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].Cells.size() < 2)
                continue;
            for (int channel = 0; channel < 3; ++channel)
                if (boxes[b].Range[channel] > bestRange) {
                    bestRange = boxes[b].Range[channel];
                    bestBox = static_cast<int>(b);
                    bestChannel = channel;
                }
        }
        if (bestBox < 0)
            break;
        TBox& box = boxes[bestBox];
        sortCells(box.Cells.data(), static_cast<int>(box.Cells.size()), bestChannel);
        // The lower part ends at the cell whose pixels carry the running count past half; it leaves
        // at least one cell to the upper part, so that every split makes progress.
        size_t lowerCells = 0;
        int64_t running = 0;
        while (lowerCells + 1 < box.Cells.size()) {
            running += cellPixels[box.Cells[lowerCells]];
            ++lowerCells;
            if (running * 2 > box.Pixels)
                break;
        }
        TBox upper;
        upper.Cells.assign(box.Cells.begin() + static_cast<ptrdiff_t>(lowerCells), box.Cells.end());
        box.Cells.resize(lowerCells);
        upper.Pixels = box.Pixels - running;
        box.Pixels = running;
        upper.Low = box.Low;
        upper.Range = box.Range;
        const int upperEnd = box.Low[bestChannel] + box.Range[bestChannel];
        upper.Low[bestChannel] = cellChannel(upper.Cells.front(), bestChannel) * 16;
        upper.Range[bestChannel] = upperEnd - upper.Low[bestChannel];
        box.Range[bestChannel] = cellChannel(box.Cells.back(), bestChannel) * 16 - box.Low[bestChannel];
        boxes.push_back(std::move(upper));
    }

    TIndexedImage result = blankResult(image);
    result.UsedColors = kPaletteSize;
    std::vector<uint8_t> boxOfCell(kCells, 0);
    for (size_t b = 0; b < boxes.size(); ++b) {
        const TBox& box = boxes[b];
        std::array<int, 3> sums{0, 0, 0};
        for (int cell : box.Cells) {
            boxOfCell[cell] = static_cast<uint8_t>(b);
            for (int channel = 0; channel < 3; ++channel)
                sums[channel] += cellChannel(cell, channel);
        }
        TPaletteEntry color = kUnusedEntry;
        if (!box.Cells.empty()) {
            const int n = static_cast<int>(box.Cells.size());
            color = {static_cast<uint8_t>((16 * sums[0] + 15) / n), static_cast<uint8_t>((16 * sums[1] + 15) / n),
                     static_cast<uint8_t>((16 * sums[2] + 15) / n)};
            if (color.Red < 17 && color.Green < 17 && color.Blue < 17)
                color = {0, 0, 0};
        }
        result.Palette.push_back(color);
    }
    for (size_t i = 0, p = 0; p + 2 < image.Pixels.size(); ++i, p += 3)
        result.Indices[i] = boxOfCell[cellOf(&image.Pixels[p])];
    return result;
}

// ---------------------------------------------------------------- fixed palettes

TIndexedImage reduceFixed(const TRgbImage& image, int redLevels, int greenLevels, int blueLevels)
{
    TIndexedImage result = blankResult(image);
    for (int r = 0; r < redLevels; ++r)
        for (int g = 0; g < greenLevels; ++g)
            for (int b = 0; b < blueLevels; ++b)
                result.Palette.push_back(
                    {levelValue(redLevels, r), levelValue(greenLevels, g), levelValue(blueLevels, b)});
    result.UsedColors = static_cast<int>(result.Palette.size());
    for (size_t i = 0, p = 0; p + 2 < image.Pixels.size(); ++i, p += 3) {
        const uint8_t* px = &image.Pixels[p];
        int r = NearestLevel(redLevels, px[0]), g = NearestLevel(greenLevels, px[1]), b = NearestLevel(blueLevels, px[2]);
        result.Indices[i] = static_cast<uint8_t>((r * greenLevels + g) * blueLevels + b);
    }
    return result;
}

TIndexedImage reduceChannelRamps(const TRgbImage& image)
{
    TIndexedImage result = blankResult(image);
    for (int channel = 0; channel < 3; ++channel)
        for (int step = 0; step < 64; ++step) {
            TPaletteEntry entry;
            uint8_t value = static_cast<uint8_t>(4 * step);
            (channel == 0 ? entry.Red : channel == 1 ? entry.Green : entry.Blue) = value;
            result.Palette.push_back(entry);
        }
    for (int y = 0; y < image.Height; ++y)
        for (int x = 0; x < image.Width; ++x) {
            const int channel = (x + y) % 3;
            result.Indices[static_cast<size_t>(y) * image.Width + x] =
                static_cast<uint8_t>((image.At(x, y)[channel] >> 2) + 64 * channel);
        }
    return result;
}

TIndexedImage reduceGray(const TRgbImage& image)
{
    TIndexedImage result = blankResult(image);
    for (int i = 0; i < kPaletteSize; ++i)
        result.Palette.push_back({static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
    for (size_t i = 0, p = 0; p + 2 < image.Pixels.size(); ++i, p += 3) {
        const uint8_t* px = &image.Pixels[p];
        result.Indices[i] = static_cast<uint8_t>((px[0] * 77 + px[1] * 150 + px[2] * 29) >> 8);
    }
    return result;
}

// ---------------------------------------------------------------- BMP layout

void put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void put32(std::vector<uint8_t>& out, uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

size_t rowBytes(int bitCount, int width)
{
    return (static_cast<size_t>(bitCount) * width + 31) / 32 * 4;
}

// File header and info header; the bits start right after the palette.
std::vector<uint8_t> fileHead(int width, int height, int bitCount, int paletteEntries, int usedColors)
{
    const size_t imageSize = rowBytes(bitCount, width) * height;
    const size_t bitsOffset = 14 + 40 + 4 * static_cast<size_t>(paletteEntries);
    std::vector<uint8_t> out;
    out.reserve(bitsOffset + imageSize);
    out.push_back('B');
    out.push_back('M');
    put32(out, static_cast<uint32_t>(bitsOffset + imageSize));
    put32(out, 0);
    put32(out, static_cast<uint32_t>(bitsOffset));
    put32(out, 40);
    put32(out, static_cast<uint32_t>(width));
    put32(out, static_cast<uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<uint32_t>(bitCount));
    put32(out, 0);
    put32(out, static_cast<uint32_t>(imageSize));
    put32(out, 0);
    put32(out, 0);
    put32(out, static_cast<uint32_t>(usedColors));
    put32(out, 0);
    return out;
}

} // namespace

int BitCountOf(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
    }
}

TRgbImage::TRgbImage(int width, int height)
    : Width(std::max(width, 0)), Height(std::max(height, 0)), Pixels(static_cast<size_t>(Width) * Height * 3, 0)
{
}

void TRgbImage::Set(int x, int y, TPaletteEntry color)
{
    uint8_t* p = &Pixels[(static_cast<size_t>(y) * Width + x) * 3];
    p[0] = color.Red;
    p[1] = color.Green;
    p[2] = color.Blue;
}

TPaletteEntry TRgbImage::Get(int x, int y) const
{
    const uint8_t* p = At(x, y);
    return {p[0], p[1], p[2]};
}

int NearestLevel(int levels, uint8_t value)
{
    return kLevels.Nearest[levels][value];
}

// ---------------------------------------------------------------- TColorHistogram

int TColorHistogram::slotOf(uint8_t red, uint8_t green, uint8_t blue) const
{
    int slot = ((red + green) * (green + blue) * (blue + red)) % kHashSize;
    // The table is more than twice the largest census, so an empty slot always ends the probe.
    while (FHash[slot] != 0xFFFF) {
        const TEntry& e = FEntries[FHash[slot]];
        if (e.Red == red && e.Green == green && e.Blue == blue)
            break;
        slot = slot + 1 == kHashSize ? 0 : slot + 1;
    }
    return slot;
}

bool TColorHistogram::countOnce(const TRgbImage& image)
{
    FHash.fill(0xFFFF);
    FEntries.clear();
    for (size_t p = 0; p + 2 < image.Pixels.size(); p += 3) {
        const uint8_t r = image.Pixels[p] & FRedMask, g = image.Pixels[p + 1] & FGreenMask,
                      b = image.Pixels[p + 2] & FBlueMask;
        const int slot = slotOf(r, g, b);
        if (FHash[slot] != 0xFFFF) {
            ++FEntries[FHash[slot]].Count;
            continue;
        }
        if (FEntries.size() == kMaxEntries)
            return false;
        FHash[slot] = static_cast<uint16_t>(FEntries.size());
        FEntries.push_back({1, b, g, r, 0});
    }
    return true;
}

// Drops one more low bit of one channel, in the turn blue, red, green, so the eye's most sensitive
// channel keeps its precision longest.
void TColorHistogram::coarsen()
{
    uint8_t& mask = FRedMask < FGreenMask ? FGreenMask : FRedMask <= FBlueMask ? FBlueMask : FRedMask;
    mask = static_cast<uint8_t>(mask << 1);
    ++FPasses;
}

void TColorHistogram::Count(const TRgbImage& image)
{
    FRedMask = FGreenMask = FBlueMask = 255;
    FPasses = 0;
    while (!countOnce(image))
        coarsen();
}

int TColorHistogram::Find(uint8_t red, uint8_t green, uint8_t blue) const
{
    const int slot = slotOf(red & FRedMask, green & FGreenMask, blue & FBlueMask);
    return FHash[slot] == 0xFFFF ? -1 : FHash[slot];
}

// ---------------------------------------------------------------- entry points

TIndexedImage ReduceColors(const TRgbImage& image, TReductionMethod method, int maxColors)
{
    switch (method) {
    case rmMedianCut: return reduceMedianCut(image);
    case rmFixed784: return reduceFixed(image, 7, 8, 4);
    case rmFixed666: return reduceFixed(image, 6, 6, 6);
    case rmChannelRamps: return reduceChannelRamps(image);
    case rmGray: return reduceGray(image);
    case rmFrequent:
    default: return reduceFrequent(image, maxColors);
    }
}

std::vector<uint8_t> IndexedBitmapFile(const TIndexedImage& image, int bitCount)
{
    const int entries = 1 << bitCount;
    std::vector<uint8_t> out = fileHead(image.Width, image.Height, bitCount, entries, image.UsedColors);
    for (int i = 0; i < entries; ++i) {
        TPaletteEntry e = i < static_cast<int>(image.Palette.size()) ? image.Palette[i] : kUnusedEntry;
        out.insert(out.end(), {e.Blue, e.Green, e.Red, 0});
    }
    const size_t stride = rowBytes(bitCount, image.Width);
    const int perByte = 8 / bitCount;
    const uint8_t valueMask = static_cast<uint8_t>((1 << bitCount) - 1);
    for (int y = image.Height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        const uint8_t* src = &image.Indices[static_cast<size_t>(y) * image.Width];
        for (int x = 0; x < image.Width; ++x) {
            const int shift = (perByte - 1 - x % perByte) * bitCount;
            row[x / perByte] |= static_cast<uint8_t>((src[x] & valueMask) << shift);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

std::vector<uint8_t> RgbBitmapFile(const TRgbImage& image, int bitCount)
{
    std::vector<uint8_t> out = fileHead(image.Width, image.Height, bitCount, 0, 0);
    const size_t stride = rowBytes(bitCount, image.Width);
    const int step = bitCount / 8;
    for (int y = image.Height - 1; y >= 0; --y) {
        std::vector<uint8_t> row(stride, 0);
        for (int x = 0; x < image.Width; ++x) {
            const uint8_t* p = image.At(x, y);
            row[x * step] = p[2];
            row[x * step + 1] = p[1];
            row[x * step + 2] = p[0];
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}
