#include "convert/scan.h"

#include "common/checked.h"
#include "common/failure.h"
#include "convert/data_file.h"

#include <array>
#include <cmath>

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
    std::int16_t bitCounter = 0;
    std::int16_t accumulator = 0;
    std::int16_t itemsInLine = 0;
    std::array<std::uint8_t, kItemsPerLine> line {};
    std::int32_t untilStep = wholeStep;

    const std::int16_t yEnd = range.yEnd;
    for (std::int32_t y = range.yStart; y <= yEnd; ++y) {
        if (y < 0 || y >= raster.height())
            throw Failure({}, "the picture has no row " + std::to_string(y));
        const std::span<const std::int32_t> pixels = raster.row(y);
        if (range.xStart < 0 || range.xEnd >= static_cast<std::int32_t>(pixels.size()))
            throw Failure({}, "the picture is narrower than " + std::to_string(range.xEnd + 1) + " pixels");
        for (std::int32_t x = range.xStart; x <= range.xEnd; ++x) {
            ++bitCounter;
            if (pixels[static_cast<std::size_t>(x)] == onColor)
                accumulator = static_cast<std::int16_t>(accumulator | (1 << (bitCounter - 1)));
            if (bitCounter == 8) {
                line[static_cast<std::size_t>(itemsInLine)] = static_cast<std::uint8_t>(accumulator);
                if (++itemsInLine == kItemsPerLine) {
                    out.writeLine(dataLine(line));
                    itemsInLine = 0;
                }
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
        }
    }
}

PixelRaster::PixelRaster(std::int32_t width, std::int32_t height, std::int32_t fill)
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(checked::mul32(std::max(width, 0), std::max(height, 0))), fill)
{
}

std::span<const std::int32_t> PixelRaster::row(std::int32_t y) const
{
    return std::span(pixels_).subspan(static_cast<std::size_t>(y) * static_cast<std::size_t>(width_),
                                      static_cast<std::size_t>(width_));
}

void PixelRaster::set(std::int32_t x, std::int32_t y, std::int32_t color)
{
    pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)] = color;
}

std::int32_t PixelRaster::at(std::int32_t x, std::int32_t y) const
{
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

std::string convertToText(const Raster &raster, std::int32_t onColor)
{
    StringSink sink;
    NullProgress progress;
    sink.text.reserve(static_cast<std::size_t>(raster.width()) * static_cast<std::size_t>(raster.height()) / 64 * 45);
    scanPicture(raster, onColor, setRange(raster.width(), raster.height()), raster.width(), raster.height(),
                sink, progress);
    return sink.text;
}

} // namespace quellbit
