#include "convert/scan.h"

#include "common/checked.h"
#include "common/failure.h"
#include "common/text.h"
#include "convert/data_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>


namespace quellbit {

ScanRange setRange(std::int32_t width, std::int32_t height)
{
    ScanRange range;
    range.xStart = 0;
    range.xEnd = checked::narrow<std::int16_t>(static_cast<long long>(width) - 1);
    range.yStart = 0;
    range.yEnd = checked::narrow<std::int16_t>(static_cast<long long>(height) - 1);
    return range;
}

namespace {

// Bit j of the result is 1 when pixel j of the eight at `p` has the colour
// `on`: the leftmost pixel lands in bit 0. Plain code: GCC and WebAssembly
// both run it faster than the same test written with vector types.
inline unsigned packGroup(const std::int32_t *p, std::int32_t on)
{
    unsigned bits = 0;
    for (unsigned j = 0; j < 8; ++j)
        bits |= static_cast<unsigned>(p[j] == on) << j;
    return bits;
}

// The two digits of each byte value.
constexpr auto kHexPairs = [] {
    std::array<std::array<char, 2>, 256> pairs {};
    for (std::size_t value = 0; value < pairs.size(); ++value)
        pairs[value] = {kHexDigits[value >> 4], kHexDigits[value & 0x0F]};
    return pairs;
}();

// The line being filled: a finished line of eight 00 items whose digits are
// overwritten as the bytes complete, so no line is built up piece by piece.
class LineText {
public:
    LineText()
    {
        static const std::string blank = dataLine(std::array<std::uint8_t, kItemsPerLine> {});
        std::copy(blank.begin(), blank.end(), text_.begin());
    }
    void setItem(int k, unsigned value)
    {
        const std::size_t at = kLinePrefix.size() + 4 * static_cast<std::size_t>(k);
        std::memcpy(text_.data() + at, kHexPairs[value & 0xFF].data(), 2);
    }
    std::string_view view() const { return {text_.data(), text_.size()}; }

private:
    std::array<char, kLineLength + kLineEnd.size()> text_ {};
};

} // namespace

void scanPicture(const Raster &raster, std::int32_t onColor, const ScanRange &range,
                 std::int32_t width, std::int32_t height, OutputSink &out, ProgressSink &progress)
{
    const std::int32_t total = checked::mul32(width, height);
    // The progress step is total / 100 pixels, taken to the nearest whole
    // number (307 for 240 x 128); a picture of fewer than 50 pixels would give
    // a step of 0 and reports at every pixel instead.
    const double step = total / 100.0;
    const std::int32_t wholeStep = std::max<std::int32_t>(1, static_cast<std::int32_t>(std::nearbyint(step)));

    std::int16_t percent = 0;
    unsigned bitCounter = 0;
    unsigned accumulator = 0;
    int itemsInLine = 0;
    LineText line;
    std::int32_t untilStep = wholeStep;

    auto completeByte = [&](unsigned value) {
        line.setItem(itemsInLine, value);
        if (++itemsInLine == kItemsPerLine) {
            out.writeLine(line.view());
            itemsInLine = 0;
        }
    };

    const std::int16_t yEnd = range.yEnd;
    for (std::int32_t y = range.yStart; y <= yEnd; ++y) {
        if (y < 0 || y >= raster.height())
            throw Failure({}, "the picture has no row " + std::to_string(y));
        const std::span<const std::int32_t> pixels = raster.row(y);
        if (range.xStart < 0 || range.xEnd >= static_cast<std::int32_t>(pixels.size()))
            throw Failure({}, "the picture is narrower than " + std::to_string(range.xEnd + 1) + " pixels");
        const std::int32_t *row = pixels.data();
        std::int32_t x = range.xStart;
        while (x <= range.xEnd) {
            // The whole groups of eight that no progress step falls in: each
            // packed at once.
            if (bitCounter == 0) {
                for (std::int32_t groups = std::min((range.xEnd - x + 1) / 8, (untilStep - 1) / 8); groups > 0;
                     --groups) {
                    completeByte(packGroup(row + x, onColor));
                    x += 8;
                    untilStep -= 8;
                }
                if (x > range.xEnd)
                    break;
            }
            accumulator |= static_cast<unsigned>(row[x] == onColor) << bitCounter;
            if (++bitCounter == 8) {
                completeByte(accumulator);
                bitCounter = 0;
                accumulator = 0;
            }
            // the pixel count is a whole multiple of the step: counted down
            // rather than divided
            if (--untilStep == 0) {
                untilStep = wholeStep;
                if (percent < 100)
                    progress.progress(++percent);
            }
            ++x;
        }
    }
}

std::string convertToText(const Raster &raster, std::int32_t onColor)
{
    StringSink sink;
    NullProgress progress;
    sink.text.reserve(static_cast<std::size_t>(raster.width()) * static_cast<std::size_t>(raster.height()) / 64 * 45);
    scanPicture(raster, onColor, setRange(raster.width(), raster.height()), raster.width(), raster.height(),
                sink, progress);
    return std::move(sink.text);
}

} // namespace quellbit
