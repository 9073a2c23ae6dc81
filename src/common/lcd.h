#pragma once

// The display every picture is made for: 240 x 128 dots.

#include <cstdint>

namespace quellbit {

inline constexpr std::int32_t kPictureWidth = 240;
inline constexpr std::int32_t kPictureHeight = 128;

} // namespace quellbit
