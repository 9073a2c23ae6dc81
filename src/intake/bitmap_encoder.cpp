#include "intake/bitmap_encoder.h"

#include "common/failure.h"

namespace quellbit {

namespace {

void put16(std::string &out, std::uint32_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void put32(std::string &out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

} // namespace

std::string encodeOneBitBitmap(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> black)
{
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767
        || black.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        throw Failure({}, "no bitmap of " + std::to_string(width) + " x " + std::to_string(height)
                              + " pixels can be made from " + std::to_string(black.size()) + " dots");

    const auto columns = static_cast<std::uint32_t>(width);
    const auto rows = static_cast<std::uint32_t>(height);
    const std::uint32_t rowBytes = (columns + 31) / 32 * 4;
    const std::uint32_t pixelStart = 14 + 40 + 2 * 4;
    const std::uint32_t imageBytes = rowBytes * rows;

    std::string out;
    out.reserve(pixelStart + imageBytes);
    out += "BM";
    put32(out, pixelStart + imageBytes); // bfSize
    put32(out, 0);                       // bfReserved1, bfReserved2
    put32(out, pixelStart);              // bfOffBits
    put32(out, 40);                      // biSize
    put32(out, columns);
    put32(out, rows); // positive: bottom-up rows
    put16(out, 1);    // biPlanes
    put16(out, 1);    // biBitCount
    put32(out, 0);    // biCompression: none
    put32(out, imageBytes);
    put32(out, 2835); // 72 dots per inch
    put32(out, 2835);
    put32(out, 2); // biClrUsed
    put32(out, 0); // biClrImportant
    out.append("\x00\x00\x00\x00", 4);         // entry 0: black
    out.append("\xFF\xFF\xFF\x00", 4);         // entry 1: white

    // A set bit selects entry 1 (white); the leftmost pixel is the high bit.
    for (std::uint32_t stored = 0; stored < rows; ++stored) {
        const std::size_t y = rows - 1 - stored;
        std::string row(rowBytes, '\0');
        for (std::uint32_t x = 0; x < columns; ++x)
            if (black[y * columns + x] == 0)
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        out += row;
    }
    return out;
}

} // namespace quellbit
