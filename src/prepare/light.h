#pragma once

// The light of a pixel: its luminance from the sRGB values with the
// Rec. 709 weights (0.2126 red, 0.7152 green, 0.0722 blue), in linear light,
// 0 black to 1 white. Transparency is composited on white in linear light,
// so a half-transparent black pixel gives half the light of white.

#include "prepare/picture_rows.h"

#include <array>
#include <cstdint>
#include <span>

namespace quellbit {

// sRGB encoded value (0 to 1) to linear light (0 to 1), exactly 0 and 1 at
// the ends.
double srgbToLinear(double encoded);

class LightTable {
public:
    LightTable();
    // The light of each pixel of a row: width * samplesPerPixel(samples)
    // values in, width values out.
    void convert(Samples samples, std::span<const std::uint8_t> values, std::span<float> light) const;

    // The light of one grey sample, as convert() gives it.
    float grey(std::uint8_t value) const { return grey_[value]; }

private:
    std::array<float, 256> grey_ {};
    std::array<float, 256> red_ {};
    std::array<float, 256> green_ {};
    std::array<float, 256> blue_ {};
    std::array<float, 256> alpha_ {};
};

} // namespace quellbit
