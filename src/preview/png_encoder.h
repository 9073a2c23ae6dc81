#pragma once

// Writing a two-colour picture as PNG, for `render`.

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace quellbit {

// The bytes of a PNG of width x height pixels with a two-entry palette and
// one bit a pixel: pixel (x, y), y = 0 the top row, has the colour value
// (red + 256 * green + 65536 * blue) palette[index[y * width + x] != 0].
// Nothing in the file depends on when it was written. Throws Failure when
// the sizes do not match or the encoder fails.
std::string encodeTwoColourPng(std::int32_t width, std::int32_t height, const std::array<std::int32_t, 2> &palette,
                               std::span<const std::uint8_t> index);

} // namespace quellbit
