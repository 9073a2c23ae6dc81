#pragma once

// The scan of a picture into the LCD data file: every pixel of the scan
// rectangle, row by row from the top, becomes one bit (1 when its colour is
// the on colour), eight bits a byte, eight bytes a line (see data_file.h).

#include "common/raster.h"
#include "common/sinks.h"

#include <cstdint>
#include <string>

namespace quellbit {

// The inclusive rectangle to scan, 16-bit values.
struct ScanRange {
    std::int16_t xStart = 0;
    std::int16_t xEnd = 0;
    std::int16_t yStart = 0;
    std::int16_t yEnd = 0;
};

// 0 .. width - 1 across, 0 .. height - 1 down. Throws Failure on a value
// outside the 16-bit range.
ScanRange setRange(std::int32_t width, std::int32_t height);

// Walks `range` over `raster` and writes the lines to `out`. Progress goes to
// `progress` at every whole multiple of (width * height / 100), rounded to a
// whole number of pixels, at most 100 steps. Throws Failure on overflow, when
// the raster is smaller than the range, or whatever the sinks throw. Closing
// the output and the final "100" belong to the caller.
void scanPicture(const Raster &raster, std::int32_t onColor, const ScanRange &range,
                 std::int32_t width, std::int32_t height, OutputSink &out, ProgressSink &progress);

// Scans the whole of `raster` into the text of a data file.
std::string convertToText(const Raster &raster, std::int32_t onColor);

} // namespace quellbit
