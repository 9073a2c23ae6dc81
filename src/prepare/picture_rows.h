#pragma once

// What every picture decoder of `prepare` hands on: the picture's size, then
// each row once, as 8-bit sRGB samples (y = 0 the top row; the rows may come
// in any order, as a bottom-up bitmap stores them). A decoder holds no more
// than a row or two of pixels, so a large picture never has to fit in memory
// as a whole.

#include "common/failure.h"

#include <cstdint>
#include <span>
#include <string>

namespace quellbit {

// The samples of one pixel, each 0-255, sRGB encoded. Alpha 0 is fully
// transparent; transparency is composited on white later.
enum class Samples { Grey, GreyAlpha, Rgb, Rgba };

constexpr std::size_t samplesPerPixel(Samples samples)
{
    switch (samples) {
    case Samples::Grey:
        return 1;
    case Samples::GreyAlpha:
        return 2;
    case Samples::Rgb:
        return 3;
    case Samples::Rgba:
        return 4;
    }
    return 4;
}

class PictureRows {
public:
    virtual ~PictureRows() = default;
    // Called once, before any row, with a size checkPictureSize() allows.
    virtual void begin(std::int32_t width, std::int32_t height) = 0;
    // False for a row that plays no part in the result (outside a crop):
    // a decoder may skip the work of making it.
    virtual bool wants(std::int32_t y) const = 0;
    // Row y, width * samplesPerPixel(samples) values.
    virtual void row(std::int32_t y, Samples samples, std::span<const std::uint8_t> values) = 0;
    // Rows [from, to), each the same `values`: a run a decoder knows to be
    // alike (the rows a run-length picture skips). Each is handed to row()
    // unless the rows take the run at once.
    virtual void sameRows(std::int32_t from, std::int32_t to, Samples samples, std::span<const std::uint8_t> values)
    {
        for (std::int32_t y = from; y < to; ++y)
            row(y, samples, values);
    }
};

// The largest picture prepare takes: each side at most 1,048,576 pixels
// and at most 268,435,456 pixels in all (a 16,384 x 16,384 picture), which
// any picture meant for a small display is far below; the limit bounds the
// time a few bytes of compressed data can cost.
inline constexpr std::int64_t kLargestSide = std::int64_t {1} << 20;
inline constexpr std::int64_t kLargestArea = std::int64_t {1} << 28;

// The Failure for a picture larger than prepare takes, which its headers
// alone decide (checkPictureSize, and the bounds on what a decoder holds).
class TooLarge : public Failure {
public:
    using Failure::Failure;
};

// Throws Failure naming `name` for an empty picture, and TooLarge for one
// larger than the limits above.
void checkPictureSize(std::int64_t width, std::int64_t height, const std::string &name);

} // namespace quellbit
