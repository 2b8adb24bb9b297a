// libFuzzer target: a stored window placement read from an untrusted INI text, written back and read
// again, and the rectangle it gives kept on a screen.
#include <cstdint>
#include <string>
#include <string_view>

#include "components/core/AppUtils.h"
#include "platform/core/IniFile.h"

#include "FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    // The first byte picks the screen; the rest is the file.
    const TPlacementScreen screen{data[0] % 2 ? 800 : 1024, data[0] % 2 ? 600 : 768, data[0] % 4 < 2 ? 96 : 120};
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    TIniFile ini = TIniFile::FromText(text);
    TWindowPlacement placement;
    placement.NormalPosition = {10, 20, 110, 220};
    const TWindowPlacement designed = placement;
    const bool found = ReadPlacementPosition(TIniObject(&ini), "Form", screen, placement);
    if (!found)
        check(placement == designed);
    StateOfShowCmd(IniReadInteger(TIniObject(&ini), "Form", "ShowCmd", 0), TStoredState::Normal);

    // What was read, written and read again, is the same.
    TIniFile out = TIniFile::FromText("");
    WritePlacementValues(TIniObject(&out), "Form", placement, screen);
    TIniFile back = TIniFile::FromText(out.Text());
    TWindowPlacement again;
    check(ReadPlacementPosition(TIniObject(&back), "Form", screen, again));
    check(again.Flags == placement.Flags && again.MinPosition == placement.MinPosition &&
          again.MaxPosition == placement.MaxPosition && again.NormalPosition == placement.NormalPosition);

    const TRect primary{0, 0, screen.Width, screen.Height};
    const TRect& r = placement.NormalPosition;
    if (r.Right > r.Left && r.Bottom > r.Top) {
        const TRect kept = KeepOnScreen(r, {primary}, primary);
        check(kept == r || (kept.Left >= 0 && kept.Top >= 0 && kept.Right <= screen.Width && kept.Bottom <= screen.Height));
    }
    return 0;
}
