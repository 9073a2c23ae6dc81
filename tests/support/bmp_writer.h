#pragma once

// Builds bitmap files byte by byte for the tests, including the odd ones real
// writers and damaged files produce: longer info headers, other table sizes,
// top-down rows, other signatures, pixel data placed elsewhere, missing
// bytes. Standard C++ only: the bytes of a file are a std::string.

#include "support/files.h"

#include <cstdint>
#include <functional>
#include <optional>
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
    std::int32_t height = 128; // negative: top-down rows
    std::int16_t bitCount = 1;
    std::uint32_t infoSize = 40; // bytes of info header written: 40, 108, 124, ...
    std::uint32_t compression = 0;
    std::uint16_t planes = 1;
    std::uint32_t clrUsed = 2; // the field only; `palette` is what is written
    std::vector<Rgb> palette {kBlack, kWhite};
    char signature[2] = {'B', 'M'};
    std::optional<std::uint32_t> sizeField = {}; // biSize as written, when it is not infoSize
    std::uint32_t gap = 0; // bytes of EE between the table and the pixels
    std::optional<std::uint32_t> offBits = {}; // bfOffBits as written, when it is not where the pixels are
    // Table entry (0 or 1) of pixel (x, y), y = 0 the top row as shown.
    std::function<int(int x, int y)> pixel = [](int, int) { return 0; };
};

inline void put16(std::string &a, std::uint16_t v)
{
    a += char(v & 0xFF);
    a += char(v >> 8);
}
inline void put32(std::string &a, std::uint32_t v)
{
    put16(a, std::uint16_t(v & 0xFFFF));
    put16(a, std::uint16_t(v >> 16));
}

// A complete bitmap file. For bit counts other than 1 the pixel data is
// written as zero bytes of the right length.
inline std::string build(const Layout &s)
{
    const std::uint32_t pixelStart = 14 + s.infoSize + std::uint32_t(s.palette.size()) * 4 + s.gap;
    const std::uint32_t absHeight = std::uint32_t(s.height < 0 ? -s.height : s.height);
    const std::uint32_t rowBytes = (std::uint32_t(s.width) * std::uint32_t(s.bitCount) + 31) / 32 * 4;
    const std::uint32_t imageBytes = rowBytes * absHeight;

    std::string a;
    a += s.signature[0];
    a += s.signature[1];
    put32(a, pixelStart + imageBytes);
    put16(a, 0);
    put16(a, 0);
    put32(a, s.offBits.value_or(pixelStart));
    put32(a, s.sizeField.value_or(s.infoSize));
    put32(a, std::uint32_t(s.width));
    put32(a, std::uint32_t(s.height));
    put16(a, s.planes);
    put16(a, std::uint16_t(s.bitCount));
    put32(a, s.compression);
    put32(a, imageBytes);
    put32(a, 2835);
    put32(a, 2835);
    put32(a, s.clrUsed);
    put32(a, 0);
    // Longer headers: colour masks and colour-space data a decoder skips.
    for (std::uint32_t i = 40; i < s.infoSize; ++i)
        a += char(i < 56 ? 0xA5 : 0);
    for (const Rgb &c : s.palette) {
        a += char(c.b);
        a += char(c.g);
        a += char(c.r);
        a += char(c.reserved);
    }
    a.append(s.gap, char(0xEE));
    if (s.bitCount != 1) {
        a.append(imageBytes, '\0');
        return a;
    }
    for (std::uint32_t stored = 0; stored < absHeight; ++stored) {
        // Bottom-up files store the bottom row first.
        const int y = s.height < 0 ? int(stored) : int(absHeight - 1 - stored);
        std::string row(rowBytes, '\0');
        for (int x = 0; x < s.width; ++x)
            if (s.pixel(x, y))
                row[std::size_t(x / 8)] = char(row[std::size_t(x / 8)] | (0x80 >> (x % 8)));
        a += row;
    }
    return a;
}

inline std::string withField32(std::string bytes, std::size_t offset, std::uint32_t value)
{
    std::string field;
    put32(field, value);
    return bytes.replace(offset, field.size(), field);
}

inline std::string withField16(std::string bytes, std::size_t offset, std::uint16_t value)
{
    std::string field;
    put16(field, value);
    return bytes.replace(offset, field.size(), field);
}

} // namespace testbmp
