#pragma once

// The one intake of a picture, for the window and the command line alike:
// the file is read once (a regular file, without blocking, at most 64 MiB),
// its headers are judged, and an accepted picture is decoded from those same
// bytes. Nothing opens the file a second time.
//
// The decoder takes what a one-bit picture is: uncompressed, rows stored
// bottom-up (an accepted picture has biHeight 128), each row (width + 31) /
// 32 * 4 bytes. The colour table starts at 14 + biSize and holds biClrUsed
// entries (2 when it is 0); entries 0 and 1 give the two colours, any
// further ones are read past. The pixel data starts at bfOffBits, or right
// after the table when that is 0. Each pixel is the colour value of its
// table entry. The signature and biPlanes are not judged, as the acceptance
// test does not judge them.

#include "common/raster.h"
#include "intake/bitmap_header.h"

#include <cstdint>
#include <functional>
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

// Whether the first bytes of a file settle its intake: they hold its
// headers, and the headers refuse the picture (readWholeFile's HeadSettles).
// takePicture gives the same verdict for them as for the whole file.
bool intakeSettledBy(std::span<const std::uint8_t> head);

// The decoder itself, for a one-bit picture of any size (biWidth above 0,
// biHeight not 0; rows bottom-up, or top-down when biHeight is negative):
// `row` receives each row from the top, once, as the colour values of its
// pixels. Throws Failure naming the file with the reasons takePicture
// gives. takePicture decodes an accepted picture with it, and `prepare`
// every one-bit picture.
void decodeOneBitPixels(std::span<const std::uint8_t> file, const BitmapHeaders &headers, const std::string &name,
    const std::function<void(std::int32_t y, std::span<const std::int32_t> colours)> &row);

// Where the decoder looks for the parts of a one-bit picture, in file
// offsets of 64 bits: no header value makes them wrap around.
struct PictureLayout {
    std::uint64_t tableOffset = 0; // 14 + biSize (54 for a biSize under 40)
    std::uint64_t tableEntries = 0; // biClrUsed, 2 when it is 0
    std::uint64_t tableEnd = 0; // tableOffset + 4 * tableEntries
    std::uint64_t pixelOffset = 0; // bfOffBits, tableEnd when it is 0
    std::uint64_t rowBytes = 0; // (|biWidth| + 31) / 32 * 4
    std::uint64_t rows = 0; // |biHeight|
    std::uint64_t pixelBytes = 0; // rowBytes * rows
};

PictureLayout pictureLayout(const BitmapHeaders &headers);

// The name of a biCompression value: "none", "RLE8", "RLE4", "bit fields",
// "JPEG", "PNG", "alpha bit fields", "CMYK", "CMYK RLE8", "CMYK RLE4",
// "unknown"; under the 64-byte OS/2 header 3 is "Huffman 1D" and 4 "RLE24".
inline constexpr std::uint32_t kOs2HeaderSize = 64;
std::string compressionName(std::uint32_t compression, std::uint32_t headerSize = kInfoHeaderSize);

} // namespace quellbit
