// The colour grid, its form-file properties and the custom-colour lines of the colour dialog.
#include "editor/model/ColorArray.h"

#include <utility>

#include "editor/model/StreamPrims.h"
#include "platform/core/SysUtils.h"

namespace {

// Value types of form-file properties.
enum : uint8_t { vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4 };

void writeInteger(TStream& stream, int32_t value)
{
    if (value >= INT8_MIN && value <= INT8_MAX) {
        StreamWriteByte(stream, vaInt8);
        StreamWriteByte(stream, static_cast<uint8_t>(static_cast<int8_t>(value)));
    } else if (value >= INT16_MIN && value <= INT16_MAX) {
        StreamWriteByte(stream, vaInt16);
        StreamWriteWord(stream, static_cast<uint16_t>(static_cast<int16_t>(value)));
    } else {
        StreamWriteByte(stream, vaInt32);
        StreamWriteLong(stream, value);
    }
}

[[noreturn]] void invalidValue()
{
    throw EReadError("Invalid property value");
}

int32_t readIntegerOfType(TStream& stream, uint8_t type)
{
    switch (type) {
    case vaInt8:
        return static_cast<int8_t>(StreamReadByte(stream));
    case vaInt16:
        return static_cast<int16_t>(StreamReadWord(stream));
    case vaInt32:
        return StreamReadLong(stream);
    default:
        invalidValue();
    }
}

int32_t readSize(TStream& stream)
{
    int32_t value = readIntegerOfType(stream, StreamReadByte(stream));
    if (value < 0)
        invalidValue();
    return value;
}

constexpr int kCustomColorCount = 16;
constexpr int kCustomColumns = 8;

} // namespace

TColorArrayClass::TColorArrayClass(int32_t xSize, int32_t ySize)
    : FXSize(xSize < 0 ? 0 : xSize), FYSize(ySize < 0 ? 0 : ySize)
{
    Reallocate();
}

void TColorArrayClass::Reallocate()
{
    // Cells start black: a grid read from a short list must not show whatever memory held.
    FColors.assign(static_cast<size_t>(FXSize) * static_cast<size_t>(FYSize), clBlack);
}

void TColorArrayClass::SetXSize(int32_t value)
{
    if (value < 0 || value == FXSize)
        return;
    FXSize = value;
    Reallocate();
}

void TColorArrayClass::SetYSize(int32_t value)
{
    if (value < 0 || value == FYSize)
        return;
    FYSize = value;
    Reallocate();
}

void TColorArrayClass::CheckIndex(int32_t x, int32_t y) const
{
    if (x < 1 || x > FXSize || y < 1 || y > FYSize)
        throw EColorArrayIndexError(LoadResString(4209));
}

TColor TColorArrayClass::GetColor(int32_t x, int32_t y) const
{
    CheckIndex(x, y);
    return FColors[static_cast<size_t>(y - 1) * static_cast<size_t>(FXSize) + static_cast<size_t>(x - 1)];
}

void TColorArrayClass::SetColor(int32_t x, int32_t y, TColor color)
{
    CheckIndex(x, y);
    FColors[static_cast<size_t>(y - 1) * static_cast<size_t>(FXSize) + static_cast<size_t>(x - 1)] = color;
}

void TColorArrayClass::Assign(const TColorArrayClass& source)
{
    if (&source == this)
        return;
    FXSize = source.FXSize;
    FYSize = source.FYSize;
    FColors = source.FColors;
}

bool TColorArrayClass::Equals(const TColorArrayClass* other) const
{
    if (other == this)
        return true;
    if (!other || other->FXSize != FXSize || other->FYSize != FYSize)
        return false;
    return other->FColors == FColors;
}

void TColorArrayClass::WriteProperties(TStream& stream) const
{
    StreamWriteShortStr(stream, "XSize");
    writeInteger(stream, FXSize);
    StreamWriteShortStr(stream, "YSize");
    writeInteger(stream, FYSize);
    StreamWriteShortStr(stream, "Colors");
    StreamWriteByte(stream, vaList);
    for (int32_t x = 1; x <= FXSize; ++x)
        for (int32_t y = 1; y <= FYSize; ++y)
            writeInteger(stream, GetColor(x, y));
    StreamWriteByte(stream, vaNull);
    StreamWriteShortStr(stream, "");
}

void TColorArrayClass::ReadProperties(TStream& stream)
{
    // Read aside: a stream that fails leaves this grid as it was.
    TColorArrayClass read(*this);
    for (;;) {
        const std::string name = StreamReadShortStr(stream);
        if (name.empty())
            break;
        if (name == "XSize" || name == "YSize") {
            const bool columns = name == "XSize";
            const int32_t value = readSize(stream);
            if (static_cast<int64_t>(value) * (columns ? read.FYSize : read.FXSize) > kMaxStreamedCells)
                invalidValue();
            columns ? read.SetXSize(value) : read.SetYSize(value);
        } else if (name == "Colors") {
            if (StreamReadByte(stream) != vaList)
                invalidValue();
            int32_t x = 1, y = 1;
            for (uint8_t type = StreamReadByte(stream); type != vaNull; type = StreamReadByte(stream)) {
                const TColor color = readIntegerOfType(stream, type);
                // A list longer than the grid is read to its end so that the next property follows,
                // but nothing is written past the last cell.
                if (x > read.FXSize || y > read.FYSize)
                    continue;
                read.SetColor(x, y, color);
                if (++y > read.FYSize) {
                    y = 1;
                    ++x;
                }
            }
        } else {
            throw EReadError(Format("Property %s does not exist", name.c_str()));
        }
    }
    *this = std::move(read);
}

TStringList CustomColorLines(const TColorArrayClass& colors)
{
    TStringList lines;
    for (int x = 1; x <= kCustomColumns; ++x)
        for (int y = 1; y <= kCustomColorCount / kCustomColumns; ++y) {
            lines.Add(CustomColorLine((y - 1) * kCustomColumns + (x - 1), colors.GetColor(x, y)));
        }
    return lines;
}

std::string CustomColorLine(int n, TColor color)
{
    return Format("Color%c=%08X", 'A' + n, static_cast<uint32_t>(color));
}

TColor CustomColorValue(std::string_view text)
{
    // At most 9 characters are looked at; nine digits no longer fit in a colour and read as unreadable.
    text = text.substr(0, 9);
    if (text.empty() || text.size() > 8)
        return clWhite;
    uint32_t value = 0;
    for (char c : text) {
        const int digit = HexDigitValue(c);
        if (digit < 0)
            return clWhite;
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return static_cast<TColor>(value);
}

void ReadCustomColorLines(TColorArrayClass& colors, const TStringList& lines)
{
    for (int i = 0; i < lines.Count(); ++i) {
        const std::string& line = lines[i];
        const size_t equals = line.find('=');
        if (equals == std::string::npos || equals == 0)
            continue;
        const int n = line[equals - 1] - 'A';
        if (n < 0 || n >= kCustomColorCount)
            continue;
        colors.SetColor(n % kCustomColumns + 1, n / kCustomColumns + 1,
                        CustomColorValue(std::string_view(line).substr(equals + 1)));
    }
}
