#pragma once

// The scan of a picture into the LCD data file: every pixel of the scan
// rectangle, row by row from the top, becomes one bit (1 when its colour is
// the on colour), eight bits a byte, eight bytes a line (see data_file.h).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quellbit {

// The picture to scan: colour values (red + 256 * green + 65536 * blue),
// y = 0 the top row as shown, x = 0 the left column.
class Raster {
public:
    virtual ~Raster() = default;
    virtual std::int32_t width() const = 0;
    virtual std::int32_t height() const = 0;
    // The colour values of row y, width() of them.
    virtual std::span<const std::int32_t> row(std::int32_t y) const = 0;
};

// Receives the progress in whole percent, each step once, 1 to 100.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void progress(std::int16_t percent) = 0;
};

// Receives each finished line of the data file, CR LF included.
class OutputSink {
public:
    virtual ~OutputSink() = default;
    virtual void writeLine(std::string_view line) = 0;
};

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

// A raster held in memory, for the command line, tests and measurements.
class PixelRaster final : public Raster {
public:
    PixelRaster(std::int32_t width, std::int32_t height, std::int32_t fill = 0);
    std::int32_t width() const override { return width_; }
    std::int32_t height() const override { return height_; }
    std::span<const std::int32_t> row(std::int32_t y) const override;
    // Row y to fill in, width() values.
    std::span<std::int32_t> writableRow(std::int32_t y);
    void set(std::int32_t x, std::int32_t y, std::int32_t color);

private:
    std::int32_t width_;
    std::int32_t height_;
    std::vector<std::int32_t> pixels_;
};

// Collects the whole data file in memory.
class StringSink final : public OutputSink {
public:
    void writeLine(std::string_view line) override { text.append(line); }
    std::string text;
};

class NullProgress final : public ProgressSink {
public:
    void progress(std::int16_t) override { }
};

// Scans the whole of `raster` into the text of a data file.
std::string convertToText(const Raster &raster, std::int32_t onColor);

} // namespace quellbit
