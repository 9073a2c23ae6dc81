// Data file decoding and plotting over arbitrary text: every dot lands inside
// the 240 x 128 area in one of the two dot colours, and a line too short to
// decode is the only failure.

#include "common/failure.h"
#include "preview/data_lines.h"
#include "preview/plot.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {
class CheckingSurface final : public quellbit::Surface {
public:
    void clear() override { }
    void setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors) override
    {
        if (y < 0 || y >= 128 || x < 0 || x + static_cast<std::int64_t>(colors.size()) > 240)
            std::abort();
        for (const std::int32_t c : colors)
            if (c != quellbit::kDotOnColor && c != quellbit::kDotOffColor)
                std::abort();
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellbit;
    std::size_t at = 0;
    DataLines lines(
        [&](std::span<char> block) {
            const std::size_t n = std::min(block.size(), size - at);
            std::memcpy(block.data(), data + at, n);
            at += n;
            return n;
        },
        "fuzz.txt");
    CheckingSurface surface;
    PlotState state;
    try {
        readBitStrings(lines, [&](std::string_view bits) { plotBits(bits, state, surface, 240, 128); });
    } catch (const Failure &) {
    }
    if (state.PlotRow > 128 || state.PlotX > 240 || state.PlotX < 0 || state.PlotRow < 0)
        std::abort();
    return 0;
}
