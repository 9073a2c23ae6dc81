#pragma once

// From the light of the canvas to black and white dots.
//
// Threshold: a dot is white when the light, sRGB encoded as a picture
// stores it, is at least N percent, else black. Dithering works on the light
// itself, so that the share of white dots matches the picture's light (a
// flat sRGB grey of 137 is a quarter of full light and gives a quarter of
// white dots): Floyd-Steinberg and Atkinson error diffusion, row by row in
// serpentine order (left to right, then right to left), and an 8 x 8 Bayer
// matrix. Only the part the picture covers is toned; the margin stays white
// and takes no error. Light of exactly 0 or 1 is black or white in every
// mode, so a black and white picture comes through unchanged.

#include "prepare/canvas.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace quellbit {

enum class Tone { Threshold, FloydSteinberg, Atkinson, Bayer };

// The tones by name: "threshold", and the dithers the command line's
// --dither takes.
inline constexpr std::array<std::pair<std::string_view, Tone>, 4> kToneNames {{{"threshold", Tone::Threshold},
    {"floyd-steinberg", Tone::FloydSteinberg}, {"atkinson", Tone::Atkinson}, {"bayer", Tone::Bayer}}};

inline constexpr int kDefaultThreshold = 50;

// One byte a dot, 240 x 128, y = 0 the top row: 1 black, 0 white.
// `thresholdPercent` (1 to 100) is used by Tone::Threshold only. `invert`
// swaps black and white within the picture; the margin stays white.
std::vector<std::uint8_t> toneCanvas(const Canvas &canvas, Tone tone, int thresholdPercent, bool invert);

} // namespace quellbit
