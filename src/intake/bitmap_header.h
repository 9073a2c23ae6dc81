#pragma once

// Reading and judging the fixed headers of a Windows bitmap file. The bytes
// come from the picture intake (picture_intake.h), which reads the file once
// and decodes the pixels from the same bytes.

#include "common/lcd.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quellbit {

inline constexpr std::int16_t kPictureBitCount = 1;

inline constexpr std::size_t kFileHeaderSize = 14;
inline constexpr std::size_t kInfoHeaderSize = 40;

// The first 14 bytes of the file. The decoder takes the start of the pixel
// data from bfOffBits and the info report shows bfType; bfSize and the
// reserved fields are read but play no part.
struct BITMAPFILEHEADER {
    std::uint16_t bfType = 0;
    std::uint32_t bfSize = 0;
    std::uint16_t bfReserved1 = 0;
    std::uint16_t bfReserved2 = 0;
    std::uint32_t bfOffBits = 0;
};

// The next 40 bytes. Only biWidth, biHeight and biBitCount are judged.
struct BITMAPINFOHEADER {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::int16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};

struct RGBQUAD {
    std::uint8_t rgbBlue = 0;
    std::uint8_t rgbGreen = 0;
    std::uint8_t rgbRed = 0;
    std::uint8_t rgbReserved = 0;
};

// Colour value: red + 256 * green + 65536 * blue. The reserved byte plays no
// part (some writers set it to FF).
constexpr std::int32_t colorValue(std::uint8_t red, std::uint8_t green, std::uint8_t blue)
{
    return red + 256 * green + 65536 * blue;
}
constexpr std::int32_t colorValue(const RGBQUAD &entry)
{
    return colorValue(entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
}

// The colour whose pixels become 1 bits: Palette0's under Normal,
// Palette1's under Inverse.
constexpr std::int32_t onColor(const RGBQUAD &palette0, const RGBQUAD &palette1, bool inverse)
{
    return colorValue(inverse ? palette1 : palette0);
}

enum class Verdict { Accepted, WrongHeight, WrongWidth, WrongBitCount };

struct BitmapHeaders {
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    bool paletteRead = false; // only a 1-bit file has its palette read
    std::uint64_t paletteOffset = 0;
    RGBQUAD palette0;
    RGBQUAD palette1;
};

// Where the colour table of a 1-bit file starts, and with it Palette0 and
// Palette1: straight after the info header, whose length is biSize (longer
// headers carry colour masks and colour-space data before the table), at
// 14 + biSize for every biSize of 40 or more; 14 + 4,294,967,295 is
// 4,294,967,309, never a wrapped-around small number. A biSize under 40 is
// no info header a decoder can use; the header read then takes the entries
// from byte 54, after the 40 bytes it has read.
std::uint64_t paletteOffsetFor(std::uint32_t biSize);

// The two fixed headers as they stand at the start of `bytes`, without the
// palette. Throws Failure naming `fileName` when the bytes end before the
// 54 header bytes.
BitmapHeaders parseFixedHeaders(std::span<const std::uint8_t> bytes, const std::string &fileName);

// The headers as they stand at the start of `bytes` (the beginning of the
// file named `fileName`, used only in messages), and for a 1-bit file the
// two palette entries at paletteOffsetFor(biSize). Throws Failure when the
// bytes end before the 54 header bytes or, for a 1-bit file, before the end
// of the second palette entry.
BitmapHeaders parseBitmapHeaders(std::span<const std::uint8_t> bytes, const std::string &fileName);

// The acceptance test, in this order, each an exact equality: height 128,
// width 240, bit count 1. The first that fails rejects the file.
Verdict judgeHeaders(const BITMAPINFOHEADER &info);

// "320 x 240, 8 bits" (or "240 x -128, 1 bit, top-down"): what the header
// says, for reports on rejected files.
std::string describePicture(const BITMAPINFOHEADER &info);

// The limits a picture must keep, told to the user with every rejection:
// "Picture Resolution is limit to 240 x 128 pixels (Width x Height) and 2
// Colors Bitmap.", with `lineBreak` after "and " (the window breaks the
// line there, the command line does not).
std::string limitsMessage(std::string_view lineBreak = "");

// The reason of a rejection in plain words ("height is 64, not 128").
std::string describeVerdict(Verdict verdict, const BITMAPINFOHEADER &info);

} // namespace quellbit
