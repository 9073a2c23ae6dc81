#pragma once

// The rows a decoder of prepare hands on, held to its promise whatever the
// bytes: a size prepare allows, then rows of exactly that width, each row
// once at most. Anything else aborts the fuzzer.

#include "common/failure.h"
#include "prepare/decoders.h"

#include <cstdlib>
#include <vector>

namespace fuzzing {

class CheckedRows final : public quellbit::PictureRows {
public:
    void begin(std::int32_t width, std::int32_t height) override
    {
        if (width_ != 0 || width <= 0 || height <= 0 || std::int64_t {width} * height > quellbit::kLargestArea)
            std::abort();
        width_ = width;
        seen_.assign(static_cast<std::size_t>(height), false);
    }
    bool wants(std::int32_t y) const override { return y % 3 != 1; }
    void row(std::int32_t y, quellbit::Samples samples, std::span<const std::uint8_t> values) override
    {
        if (y < 0 || static_cast<std::size_t>(y) >= seen_.size() || seen_[static_cast<std::size_t>(y)]
            || values.size() != static_cast<std::size_t>(width_) * quellbit::samplesPerPixel(samples))
            std::abort();
        seen_[static_cast<std::size_t>(y)] = true;
    }

private:
    std::int32_t width_ = 0;
    std::vector<bool> seen_;
};

} // namespace fuzzing
