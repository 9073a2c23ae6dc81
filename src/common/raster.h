#pragma once

// A picture as every layer sees it: colour values (red + 256 * green +
// 65536 * blue), y = 0 the top row as shown, x = 0 the left column.

#include <cstdint>
#include <span>
#include <vector>

namespace quellbit {

class Raster {
public:
    virtual ~Raster() = default;
    virtual std::int32_t width() const = 0;
    virtual std::int32_t height() const = 0;
    // The colour values of row y, width() of them.
    virtual std::span<const std::int32_t> row(std::int32_t y) const = 0;
};

// A raster held in memory: a decoded picture, the command line's, the
// measurements'.
class PixelRaster final : public Raster {
public:
    PixelRaster(std::int32_t width, std::int32_t height, std::int32_t fill = 0);
    std::int32_t width() const override { return width_; }
    std::int32_t height() const override { return height_; }
    std::span<const std::int32_t> row(std::int32_t y) const override;
    // Row y to fill in, width() values.
    std::span<std::int32_t> writableRow(std::int32_t y);

private:
    std::int32_t width_;
    std::int32_t height_;
    std::vector<std::int32_t> pixels_;
};

} // namespace quellbit
