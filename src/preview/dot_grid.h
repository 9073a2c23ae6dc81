#pragma once

// The dots of a data file as the preview draws them, kept in memory: what
// `render` turns into a picture and `check` compares.

#include "preview/plot.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace quellbit {

class DotGrid final : public Surface {
public:
    // A dot the file never reached (or reached with a character other than
    // "0" or "1").
    static constexpr std::int32_t kUnplotted = -1;

    DotGrid(std::int32_t width, std::int32_t height)
        : width_(width), height_(height),
          dots_(static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)),
                kUnplotted)
    {
    }

    void clear() override { std::fill(dots_.begin(), dots_.end(), kUnplotted); }
    void setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors) override
    {
        if (y < 0 || y >= height_)
            return;
        const std::int64_t first = std::max<std::int64_t>(x, 0);
        const std::int64_t end = std::min<std::int64_t>(std::int64_t {x} + static_cast<std::int64_t>(colors.size()), width_);
        for (std::int64_t column = first; column < end; ++column)
            dots_[static_cast<std::size_t>(std::int64_t {y} * width_ + column)] = colors[static_cast<std::size_t>(column - x)];
    }

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    // Row by row from the top, kDotOnColor, kDotOffColor or kUnplotted.
    std::span<const std::int32_t> dots() const { return dots_; }

private:
    std::int32_t width_;
    std::int32_t height_;
    std::vector<std::int32_t> dots_;
};

} // namespace quellbit
