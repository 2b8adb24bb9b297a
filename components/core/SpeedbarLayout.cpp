// SpeedbarLayout: grid rules, caption-to-hint rule and the stored button entries of the speed bar.
#include "components/core/SpeedbarLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "components/core/StrUtils.h"
#include "platform/core/SysUtils.h"

int SpeedbarGridStep(int size)
{
    int step = std::max(1, std::min(8, size / 3));
    while (size > 0 && size % step != 0)
        ++step;
    if (step == size && size > 1) {
        do
            --step;
        while (step >= 2 && size % step != 0);
    }
    return std::max(1, step);
}

int SpeedbarSnap(int value, int offset, int step, bool truncate)
{
    if (step <= 0)
        return value;
    const double cells = (static_cast<double>(value) - offset) / step;
    // Nearest with halves to the even cell (the default rounding mode), as a dropped button has
    // always been placed.
    const double cell = truncate ? std::trunc(cells) : std::nearbyint(cells);
    const double placed = cell * step + offset;
    return static_cast<int>(std::clamp(placed, double(std::numeric_limits<int>::min()), double(std::numeric_limits<int>::max())));
}

std::string SpeedItemHint(const std::string& caption, const std::string& oldHint)
{
    const size_t oldBar = oldHint.find('|');
    const std::string oldLong = oldBar == std::string::npos ? std::string() : oldHint.substr(oldBar + 1);
    const size_t bar = caption.find('|');
    if (bar != std::string::npos) {
        if (bar + 1 < caption.size())
            return caption;
        return caption.substr(0, bar) + "|" + oldLong;
    }
    return caption + "|" + oldLong;
}

void WriteSpeedbarEntries(const TIniObject& ini, const std::string& section, const std::vector<TSpeedbarEntry>& entries)
{
    int n = 0;
    for (const TSpeedbarEntry& entry : entries)
        // The name as it is, whatever bytes it holds: a printf format would stop at a zero byte.
        IniWriteString(ini, section, Format("Button%d", ++n),
                       entry.Name + Format(",%d,%d", entry.Left.value_or(0), entry.Top.value_or(0)));
    IniWriteInteger(ini, section, "Count", n);
}

namespace {

std::optional<int> numberOf(const std::string& word)
{
    constexpr int64_t kNone = std::numeric_limits<int64_t>::min();
    const int64_t value = StrToIntDef(word, kNone);
    if (value == kNone || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

std::vector<TSpeedbarEntry> ReadSpeedbarEntries(const TIniObject& ini, const std::string& section, int itemCount)
{
    const int count = std::min(IniReadInteger(ini, section, "Count", 0), std::max(0, itemCount));
    const TCharSet delimiters = DelimiterSet(", ");
    std::vector<TSpeedbarEntry> entries;
    for (int n = 1; n <= count; ++n) {
        const std::string text = IniReadString(ini, section, Format("Button%d", n), "");
        TSpeedbarEntry entry{ExtractWord(1, text, delimiters), numberOf(ExtractWord(2, text, delimiters)),
                             numberOf(ExtractWord(3, text, delimiters))};
        if (!entry.Name.empty())
            entries.push_back(std::move(entry));
    }
    return entries;
}

TSpeedbarEdge SpeedbarEdgeAt(int x, int y, int width, int height, TSpeedbarEdge current)
{
    // Both diagonals divide by the parent's size.
    if (width <= 0 || height <= 0)
        return current;
    const double w = width, h = height;
    const bool belowFalling = y >= x * h / w;
    const bool belowRising = y >= (1.0 - x / w) * h;
    if (belowFalling && belowRising)
        return seBottom;
    if (belowFalling)
        return seLeft;
    if (belowRising)
        return seRight;
    return seTop;
}

bool SpeedbarOnSizingEdge(TSpeedbarEdge edge, int x, int y, int clientWidth, int clientHeight)
{
    // In 64 bits, so that no size is too large for the band around it.
    const int64_t px = x, py = y, w = clientWidth, h = clientHeight;
    const bool alongX = px >= 1 && px <= w;
    const bool alongY = py >= 1 && py <= h;
    switch (edge) {
    case seTop: return alongX && py > h - 4 && py <= h + 4;
    case seBottom: return alongX && py >= -3 && py < 5;
    case seLeft: return alongY && px > w - 4 && px <= w + 4;
    case seRight: return alongY && px >= -3 && px < 5;
    }
    return false;
}

int SpeedbarResizedThickness(TSpeedbarEdge edge, int x, int y, int clientWidth, int clientHeight,
                             const TSpeedbarMetrics& metrics, int parentExtent)
{
    // In 64 bits: a pointer far off a huge client must not overflow the distance or the row count.
    const int64_t offsetHorz = metrics.OffsetHorz, offsetVert = metrics.OffsetVert;
    int64_t d = 0;
    switch (edge) {
    case seTop: d = y - 2 * offsetVert; break;
    case seBottom: d = clientHeight - 2 * offsetVert - y; break;
    case seLeft: d = x - 2 * offsetHorz; break;
    case seRight: d = clientWidth - 2 * offsetHorz - x; break;
    }
    const bool across = edge == seTop || edge == seBottom;
    const int64_t row = std::max(1, across ? metrics.BtnHeight : metrics.BtnWidth);
    const int64_t offset = across ? offsetVert : offsetHorz;
    const int64_t rows = std::max<int64_t>(1, (d < 0 ? -d : d) / row);
    return static_cast<int>(std::clamp<int64_t>(rows * row + 2 * offset, std::numeric_limits<int>::min(), parentExtent));
}
