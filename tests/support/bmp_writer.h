#pragma once

// Builds bitmap files byte by byte for the tests, including the odd ones real
// writers produce: longer info headers, other table sizes, other signatures,
// a gap before the pixels, colour masks, pixel data given as it stands.
// Single fields are changed afterwards with withField. The bytes of a file
// are a std::string.

#include "support/files.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testbmp {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0, reserved = 0;
};

inline constexpr Rgb kBlack {0, 0, 0, 0};
inline constexpr Rgb kWhite {255, 255, 255, 0};

struct Layout {
    std::int32_t width = 240;
    std::int32_t height = 128;
    std::int16_t bitCount = 1;
    std::uint32_t infoSize = 40; // bytes of info header written: 40, 108, 124, ...
    std::uint32_t clrUsed = 2; // the field only; `palette` is what is written
    std::vector<Rgb> palette {kBlack, kWhite};
    char signature[2] = {'B', 'M'};
    std::uint32_t gap = 0; // bytes of EE between the table and the pixels
    // Table entry (0 or 1) of pixel (x, y), y = 0 the top row as shown.
    std::function<int(int x, int y)> pixel = [](int, int) { return 0; };
    std::uint32_t compression = 0;
    std::vector<std::uint32_t> masks {}; // after a 40-byte info header, at its byte 40 in a longer one
    // When not empty, the pixel data exactly as given, in place of `pixel`.
    std::vector<std::uint8_t> pixelData {};
};

// `bytes` little-endian bytes of `value`.
inline std::string le(std::uint32_t value, int bytes = 4)
{
    std::string out;
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xFF);
    return out;
}

// A complete bitmap file. Without `pixelData`, for bit counts other than 1
// the pixel data is written as zero bytes of the right length.
inline std::string build(const Layout &s)
{
    const std::uint32_t masksAfter = s.infoSize == 40 ? std::uint32_t(s.masks.size()) * 4 : 0;
    const std::uint32_t pixelStart
        = 14 + s.infoSize + masksAfter + std::uint32_t(s.palette.size()) * 4 + s.gap;
    const auto rows = std::uint32_t(s.height);
    const std::uint32_t rowBytes = (std::uint32_t(s.width) * std::uint32_t(s.bitCount) + 31) / 32 * 4;
    const std::uint32_t imageBytes
        = s.pixelData.empty() ? rowBytes * rows : std::uint32_t(s.pixelData.size());
    std::string a = std::string(s.signature, 2) + le(pixelStart + imageBytes) + le(0) + le(pixelStart)
        + le(s.infoSize) + le(std::uint32_t(s.width)) + le(rows) + le(1, 2) + le(std::uint32_t(s.bitCount), 2)
        + le(s.compression) + le(imageBytes) + le(2835) + le(2835) + le(s.clrUsed) + le(0);
    for (const std::uint32_t mask : s.masks)
        a += le(mask);
    // The rest of a longer header: colour masks and colour-space data a decoder skips.
    for (std::size_t i = a.size() - 14; i < s.infoSize; ++i)
        a += char(i < 56 ? 0xA5 : 0);
    for (const Rgb &c : s.palette)
        a += {char(c.b), char(c.g), char(c.r), char(c.reserved)};
    a.append(s.gap, char(0xEE));
    if (!s.pixelData.empty())
        return a.append(s.pixelData.begin(), s.pixelData.end());
    if (s.bitCount != 1)
        return a.append(imageBytes, '\0');
    for (std::uint32_t stored = 0; stored < rows; ++stored) {
        const int y = int(rows - 1 - stored); // the bottom row first
        std::string row(rowBytes, '\0');
        for (int x = 0; x < s.width; ++x)
            if (s.pixel(x, y))
                row[std::size_t(x / 8)] = char(row[std::size_t(x / 8)] | (0x80 >> (x % 8)));
        a += row;
    }
    return a;
}

// The file with the field of `size` bytes at `offset` set to `value`.
inline std::string withField(std::string bytes, std::size_t offset, std::uint32_t value, int size = 4)
{
    const std::string field = le(value, size);
    std::copy(field.begin(), field.end(), bytes.begin() + std::ptrdiff_t(offset));
    return bytes;
}

} // namespace testbmp
