#pragma once

// Writing a two-colour picture as PNG, for `render`.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quellbit {

// The bytes of a PNG of width x height pixels with a two-entry palette and
// one bit a pixel: pixel (x, y), y = 0 the top row, has the colour value
// (red + 256 * green + 65536 * blue) palette[index[y * width + x] != 0].
// Nothing in the file depends on when it was written. Throws Failure when
// the sizes do not match or the encoder fails.
std::string encodeTwoColourPng(std::int32_t width, std::int32_t height, const std::array<std::int32_t, 2> &palette,
                               std::span<const std::uint8_t> index);

// The pixels as both encoders take them: one bit a pixel, the leftmost in
// the high bit, each row padded to a whole byte. Throws Failure when the
// sizes do not match.
struct OneBitRows {
    std::size_t rowBytes = 0;
    std::vector<std::uint8_t> bytes;
};
OneBitRows packOneBitRows(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> index);

} // namespace quellbit
