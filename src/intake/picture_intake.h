#pragma once

// The one intake of a picture, for the window and the command line alike:
// the file is read once (a regular file, without blocking, at most 64 MiB),
// its headers are judged, and an accepted picture is decoded from those same
// bytes. Nothing opens the file a second time.

#include "convert/scan.h"
#include "intake/bitmap_header.h"

#include <cstdint>
#include <span>
#include <string>

namespace quellbit {

struct PictureIntake {
    // The header records and, for a one-bit file, Palette0 and Palette1 as
    // the header read takes them.
    BitmapHeaders headers;
    Verdict verdict = Verdict::Accepted;
    // Accepted: the picture as shown, 240 x 128 colour values, y = 0 the top
    // row. Rejected: empty (0 x 0).
    PixelRaster raster {0, 0};
};

// Reads the file at `path` and takes the picture in. A rejected picture is
// no failure: its verdict says why. Throws Failure naming the file when it
// cannot be read, when its headers are cut short, or when an accepted
// picture cannot be decoded (the reason says exactly why).
PictureIntake takePicture(const std::string &path);

// The same for the bytes of a whole file already in memory; `name` is used
// in messages.
PictureIntake takePicture(std::span<const std::uint8_t> bytes, const std::string &name);

} // namespace quellbit
