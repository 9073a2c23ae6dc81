#pragma once

// Builds bitmap files byte by byte for the tests, including the odd ones real
// writers and damaged files produce: longer info headers, other palette
// sizes, top-down rows, other signatures, missing bytes.

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <functional>
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
    std::uint32_t infoSize = 40; // 40, 108, 124, ...
    std::uint32_t compression = 0;
    std::uint16_t planes = 1;
    std::uint32_t clrUsed = 2;   // entries written (2 when 0 for a 1-bit file)
    std::vector<Rgb> palette {kBlack, kWhite};
    char signature[2] = {'B', 'M'};
    // Pixel index (0 or 1) at (x, y), y = 0 the top row as shown.
    std::function<int(int x, int y)> pixel = [](int, int) { return 0; };
};

inline void put16(QByteArray &a, std::uint16_t v)
{
    a.append(char(v & 0xFF));
    a.append(char(v >> 8));
}
inline void put32(QByteArray &a, std::uint32_t v)
{
    put16(a, std::uint16_t(v & 0xFFFF));
    put16(a, std::uint16_t(v >> 16));
}

// A complete bitmap file. For bit counts other than 1 the pixel data is
// written as zero bytes of the right length.
inline QByteArray build(const Layout &s)
{
    const std::uint32_t paletteBytes = std::uint32_t(s.palette.size()) * 4;
    const std::uint32_t offBits = 14 + s.infoSize + paletteBytes;
    const std::uint32_t absHeight = std::uint32_t(s.height < 0 ? -s.height : s.height);
    const std::uint32_t rowBytes = (std::uint32_t(s.width) * std::uint32_t(s.bitCount) + 31) / 32 * 4;
    const std::uint32_t imageBytes = rowBytes * absHeight;

    QByteArray a;
    a.append(s.signature[0]);
    a.append(s.signature[1]);
    put32(a, offBits + imageBytes);
    put16(a, 0);
    put16(a, 0);
    put32(a, offBits);
    put32(a, s.infoSize);
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
    // Longer headers: colour masks and colour-space data the reader skips.
    for (std::uint32_t i = 40; i < s.infoSize; ++i)
        a.append(char(i < 56 ? 0xA5 : 0));
    for (const Rgb &c : s.palette) {
        a.append(char(c.b));
        a.append(char(c.g));
        a.append(char(c.r));
        a.append(char(c.reserved));
    }
    if (s.bitCount != 1) {
        a.append(QByteArray(int(imageBytes), '\0'));
        return a;
    }
    for (std::uint32_t stored = 0; stored < absHeight; ++stored) {
        // Bottom-up files store the bottom row first.
        const int y = s.height < 0 ? int(stored) : int(absHeight - 1 - stored);
        QByteArray row(int(rowBytes), '\0');
        for (int x = 0; x < s.width; ++x)
            if (s.pixel(x, y))
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        a.append(row);
    }
    return a;
}

inline bool save(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace testbmp
