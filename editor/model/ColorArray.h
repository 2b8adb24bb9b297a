// TColorArrayClass: a grid of colours, its form-file properties, and the colour dialog's custom-colour lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/Graphics.h"

class EColorArrayIndexError : public Exception { using Exception::Exception; };

// XSize columns by YSize rows of colours; cell (x, y) is 1-based and stored at (y - 1) * XSize + (x - 1).
// New cells are black. Negative sizes are ignored.
class TColorArrayClass {
public:
    TColorArrayClass(int32_t xSize = 0, int32_t ySize = 0);

    int32_t XSize() const { return FXSize; }
    int32_t YSize() const { return FYSize; }
    // A new size discards every cell; the same size keeps them.
    void SetXSize(int32_t value);
    void SetYSize(int32_t value);

    // Raise EColorArrayIndexError "Array index out of bounds" unless 1 <= x <= XSize and 1 <= y <= YSize.
    TColor GetColor(int32_t x, int32_t y) const;
    void SetColor(int32_t x, int32_t y, TColor color);

    // Takes the other grid's sizes and cells.
    void Assign(const TColorArrayClass& source);
    // True for the same grid, false for none or other sizes, else whether every cell is equal.
    bool Equals(const TColorArrayClass* other) const;

    // The form-file properties "XSize", "YSize" and "Colors" (the cells column by column), each a short
    // string name and a typed value, ended by an empty name.
    void WriteProperties(TStream& stream) const;
    // Reads properties up to the empty name. A "Colors" list fills the cells column by column and what
    // lies beyond the grid's last cell is read but dropped. Unknown names, values of another type and
    // grids of more than kMaxStreamedCells cells raise EReadError; a stream that fails leaves the grid
    // as it was.
    void ReadProperties(TStream& stream);
    static constexpr int64_t kMaxStreamedCells = 65536;

private:
    void CheckIndex(int32_t x, int32_t y) const;
    void Reallocate();

    int32_t FXSize = 0;
    int32_t FYSize = 0;
    std::vector<TColor> FColors;
};

// The colour dialog's custom colours as lines "ColorA=00FFFFFF" .. "ColorP=...": letter n ("A" + n) is
// cell (n mod 8 + 1, n div 8 + 1) of an 8 x 2 grid, written as 8 upper-case hexadecimal digits.
TStringList CustomColorLines(const TColorArrayClass& colors);
// The line of custom colour n (0..15).
std::string CustomColorLine(int n, TColor color);
// Reads such lines back into the grid: the text after "=" (at most 9 characters) is a hexadecimal
// value, white (0xFFFFFF) when it is not one; lines of other letters or without "=" are skipped.
void ReadCustomColorLines(TColorArrayClass& colors, const TStringList& lines);
// The value of one custom-colour text as ReadCustomColorLines reads it.
TColor CustomColorValue(std::string_view text);
