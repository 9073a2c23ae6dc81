#pragma once

// Writing a one-bit bitmap: what `render` makes of a data file and `prepare`
// makes of any picture, and what the intake accepts again.

#include <cstdint>
#include <span>
#include <string>

namespace quellbit {

// The bytes of a one-bit bitmap of width x height pixels: a 40-byte info
// header, palette entry 0 black and entry 1 white (biClrUsed 2), rows stored
// bottom-up and padded to four bytes, every size field filled in.
// black[y * width + x] != 0 makes pixel (x, y) black (y = 0 the top row),
// so a Normal conversion turns exactly those pixels into 1 bits.
std::string encodeOneBitBitmap(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> black);

} // namespace quellbit
