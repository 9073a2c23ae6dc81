#pragma once

// Pictures a decoder cannot hand on row by row as they are stored, and so
// holds whole first: a JPEG turned by its EXIF orientation, a GIF or WebP
// frame drawn onto the picture's canvas. What is held is bounded.

#include "prepare/picture_rows.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quellbit {

// The most pixel bytes a decoder holds at once: a picture of 256 MiB is far
// beyond anything meant for a 240 x 128 display. The build sets it (the
// fuzz build holds less, so that its memory limit catches whatever a
// decoder takes beyond the bound).
inline constexpr std::uint64_t kLargestHeld = std::uint64_t {QUELLBIT_LARGEST_HELD_MIB} << 20;
// "(at most 256 MiB of pixels)", for the refusals.
std::string largestHeldText();

// Throws Failure naming `name` when `width` x `height` pixels of `bytesPerPixel`
// bytes are more than kLargestHeld; `what` says what is held ("a picture
// turned by its orientation").
void checkHeldSize(std::int64_t width, std::int64_t height, std::uint64_t bytesPerPixel, const std::string &what,
    const std::string &name);

// The EXIF orientations: 1 as stored, 2 mirrored, 3 turned half round,
// 4 flipped upside down, 5 mirrored along the main diagonal, 6 turned a
// quarter clockwise, 7 mirrored along the other diagonal, 8 turned a quarter
// anticlockwise; each says how the stored picture is turned to be shown.
// Passes rows on to `target` as they are shown. Orientations 1 to 4 go row
// by row; 5 to 8 swap the sides, and the picture is held whole until
// finish(). Any other value counts as 1.
class OrientedRows final : public PictureRows {
public:
    OrientedRows(int orientation, PictureRows &target, std::string name);

    void begin(std::int32_t width, std::int32_t height) override;
    bool wants(std::int32_t y) const override;
    void row(std::int32_t y, Samples samples, std::span<const std::uint8_t> values) override;
    // Hands on what is held; call once every stored row has been given.
    void finish();

private:
    bool swapsSides() const { return orientation_ >= 5; }
    bool mirrors() const { return orientation_ == 2 || orientation_ == 3 || orientation_ == 6 || orientation_ == 7; }
    bool flips() const { return orientation_ == 3 || orientation_ == 4 || orientation_ == 7 || orientation_ == 8; }

    int orientation_;
    PictureRows &target_;
    std::string name_;
    std::int32_t width_ = 0; // as stored
    std::int32_t height_ = 0;
    Samples samples_ = Samples::Rgb;
    std::vector<std::uint8_t> held_;
    std::vector<std::uint8_t> line_;
};

// The orientation in a JPEG's APP1 "Exif" segment (`exif`: the segment's
// data after its length), 1 when it has none or it cannot be read.
int exifOrientation(std::span<const std::uint8_t> exif);

} // namespace quellbit
