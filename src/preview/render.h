#pragma once

// A data file drawn as a picture: as PNG the dots as the preview shows them;
// as a one-bit bitmap a picture that converts back to the same data file, so
// a data file found in old firmware becomes a picture to edit.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quellbit {

enum class RenderFormat { Png, Bitmap };

// The format a file name asks for by its extension (".png" or ".bmp", in any
// letter case); nothing for any other name.
std::optional<RenderFormat> renderFormatOf(std::string_view fileName);

// The picture of the data file at `path`, 240 x 128 dots:
// - PNG: 1 bits black, 0 bits dark green (0, 128, 0), like the preview; dots
//   the file does not reach stay dark green;
// - bitmap: 1 bits black (palette entry 0), every other dot white (entry 1),
//   so a Normal conversion gives the 1 bits back.
// Throws Failure naming the file when it cannot be read or holds a line too
// short to decode.
std::string renderDataFile(const std::string &path, RenderFormat format);

// The same for the text of a data file held in memory; `name` is used in
// messages.
std::string renderDataText(std::string_view text, const std::string &name, RenderFormat format);

} // namespace quellbit
