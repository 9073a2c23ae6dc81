#include "intake/picture_intake.h"

#include "common/failure.h"
#include "common/input_file.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace quellbit {

namespace {

constexpr std::uint64_t kLargestTable = 256;

std::string number(std::uint64_t value)
{
    return thousands(static_cast<std::int64_t>(value));
}

std::string bytes(std::uint64_t n)
{
    return counted(n, "byte", "bytes");
}

std::string entries(std::uint64_t n)
{
    return counted(n, "entry", "entries");
}

RGBQUAD entryAt(std::span<const std::uint8_t> file, std::uint64_t offset)
{
    const auto at = static_cast<std::size_t>(offset);
    return RGBQUAD {file[at], file[at + 1], file[at + 2], file[at + 3]};
}

// Why the headers of an accepted picture keep it from being decoded: the
// first problem in the order a decoder meets them; empty when the pixels
// can be read.
std::string layoutProblem(const BitmapHeaders &headers, const PictureLayout &layout, std::uint64_t fileSize)
{
    const BITMAPINFOHEADER &info = headers.info;
    if (info.biSize < kInfoHeaderSize)
        return "an info header of " + bytes(info.biSize)
            + " is too short to decode; a one-bit picture needs one of 40 bytes or more";
    if (info.biCompression != 0)
        return "compression " + number(info.biCompression) + " (" + compressionName(info.biCompression, info.biSize)
            + ") is not defined for one-bit pictures";
    if (layout.tableEntries > kLargestTable)
        return "the colour table lists " + entries(layout.tableEntries) + "; a colour table has at most 256";
    if (layout.tableEnd > fileSize)
        return "the file ends after " + bytes(fileSize) + ", inside the colour table of "
            + entries(layout.tableEntries) + " (bytes " + number(layout.tableOffset) + " to "
            + number(layout.tableEnd - 1) + ")";
    if (layout.pixelOffset < layout.tableOffset)
        return "the pixel data at byte " + number(layout.pixelOffset)
            + " starts inside the headers, before the colour table at byte " + number(layout.tableOffset);
    if (layout.pixelOffset < layout.tableEnd)
        return "the colour table of " + entries(layout.tableEntries) + " runs past the pixel data at byte "
            + number(layout.pixelOffset);
    if (layout.pixelOffset >= fileSize)
        return "the file ends after " + bytes(fileSize) + ", before its pixel data at byte "
            + number(layout.pixelOffset);
    const std::uint64_t available = fileSize - layout.pixelOffset;
    if (available < layout.pixelBytes)
        return "the pixel data ends after row " + number(available / layout.rowBytes) + " of "
            + number(layout.rows) + " (" + number(available) + " of " + bytes(layout.pixelBytes) + ")";
    return {};
}

// Where row y as shown (0 the top) is stored: bottom-up unless biHeight is
// negative.
const std::uint8_t *storedRow(std::span<const std::uint8_t> file, const PictureLayout &layout,
    std::int32_t biHeight, std::int32_t y)
{
    const std::uint64_t stored = biHeight < 0 ? static_cast<std::uint64_t>(y) : layout.rows - 1 - static_cast<std::uint64_t>(y);
    return file.data() + layout.pixelOffset + stored * layout.rowBytes;
}

// With a one-entry table, the first pixel from the top left whose bit is 1
// (it has no colour): "pixel (x, y) ..." as a reason; empty when none is.
std::string pixelWithoutColor(std::span<const std::uint8_t> file, std::int32_t width, std::int32_t biHeight,
    const PictureLayout &layout)
{
    for (std::int32_t y = 0; static_cast<std::uint64_t>(y) < layout.rows; ++y) {
        const std::uint8_t *row = storedRow(file, layout, biHeight, y);
        for (std::int32_t x = 0; x < width; ++x)
            if ((row[x >> 3] >> (7 - (x & 7))) & 1)
                return "pixel (" + number(static_cast<std::uint64_t>(x)) + ", "
                    + number(static_cast<std::uint64_t>(y))
                    + ") from the top left uses colour table entry 1, but the table has one entry only";
    }
    return {};
}

} // namespace

std::string compressionName(std::uint32_t compression, std::uint32_t headerSize)
{
    // The 64-byte header of OS/2 numbers two methods of its own.
    if (headerSize == kOs2HeaderSize && (compression == 3 || compression == 4))
        return compression == 3 ? "Huffman 1D" : "RLE24";
    switch (compression) {
    case 0:
        return "none";
    case 1:
        return "RLE8";
    case 2:
        return "RLE4";
    case 3:
        return "bit fields";
    case 4:
        return "JPEG";
    case 5:
        return "PNG";
    case 6:
        return "alpha bit fields";
    case 11:
        return "CMYK";
    case 12:
        return "CMYK RLE8";
    case 13:
        return "CMYK RLE4";
    default:
        return "unknown";
    }
}

PictureLayout pictureLayout(const BitmapHeaders &headers)
{
    const BITMAPINFOHEADER &info = headers.info;
    PictureLayout layout;
    layout.tableOffset = paletteOffsetFor(info.biSize);
    layout.tableEntries = info.biClrUsed != 0 ? info.biClrUsed : 2;
    layout.tableEnd = layout.tableOffset + 4 * layout.tableEntries;
    layout.pixelOffset = headers.file.bfOffBits != 0 ? headers.file.bfOffBits : layout.tableEnd;
    const auto width = static_cast<std::uint64_t>(std::llabs(info.biWidth));
    layout.rowBytes = (width + 31) / 32 * 4;
    layout.rows = static_cast<std::uint64_t>(std::llabs(info.biHeight));
    layout.pixelBytes = layout.rowBytes * layout.rows;
    return layout;
}

void decodeOneBitPixels(std::span<const std::uint8_t> file, const BitmapHeaders &headers, const std::string &name,
    const std::function<void(std::int32_t y, std::span<const std::int32_t> colours)> &row)
{
    const PictureLayout layout = pictureLayout(headers);
    if (const std::string problem = layoutProblem(headers, layout, file.size()); !problem.empty())
        throw Failure(name, problem);

    const std::int32_t width = headers.info.biWidth;
    const std::int32_t biHeight = headers.info.biHeight;
    const std::int32_t color0 = colorValue(entryAt(file, layout.tableOffset));
    std::int32_t color1 = color0;
    if (layout.tableEntries >= 2)
        color1 = colorValue(entryAt(file, layout.tableOffset + 4));
    else if (const std::string problem = pixelWithoutColor(file, width, biHeight, layout); !problem.empty())
        throw Failure(name, problem);

    // The eight colours of each byte value, its high bit (the leftmost
    // pixel) first.
    std::array<std::array<std::int32_t, 8>, 256> dots;
    for (std::size_t value = 0; value < 256; ++value)
        for (std::size_t j = 0; j < 8; ++j)
            dots[value][j] = (value >> (7 - j)) & 1 ? color1 : color0;

    const auto columns = static_cast<std::size_t>(width);
    std::vector<std::int32_t> colours(columns);
    for (std::int32_t y = 0; static_cast<std::uint64_t>(y) < layout.rows; ++y) {
        const std::uint8_t *stored = storedRow(file, layout, biHeight, y);
        std::int32_t *out = colours.data();
        const std::size_t whole = columns / 8;
        for (std::size_t k = 0; k < whole; ++k)
            std::memcpy(out + 8 * k, dots[stored[k]].data(), sizeof dots[0]);
        if (const std::size_t rest = columns % 8; rest != 0)
            std::memcpy(out + 8 * whole, dots[stored[whole]].data(), rest * sizeof dots[0][0]);
        row(y, colours);
    }
}

namespace {

PictureIntake intakeOf(std::span<const std::uint8_t> bytes, const std::string &name)
{
    PictureIntake intake;
    intake.headers = parseBitmapHeaders(bytes, name);
    intake.verdict = judgeHeaders(intake.headers.info);
    if (intake.verdict != Verdict::Accepted)
        return intake;

    PixelRaster raster(intake.headers.info.biWidth, intake.headers.info.biHeight);
    decodeOneBitPixels(bytes, intake.headers, name, [&raster](std::int32_t y, std::span<const std::int32_t> colours) {
        std::copy(colours.begin(), colours.end(), raster.writableRow(y).begin());
    });
    intake.raster = std::move(raster);
    return intake;
}

} // namespace

PictureIntake takePicture(std::span<const std::uint8_t> bytes, const std::string &name)
{
    return namingFileOnNoMemory(name, [&] { return intakeOf(bytes, name); });
}

PictureIntake takePicture(const std::string &path)
{
    InputFile file(path);
    const std::vector<std::uint8_t> bytes = readWholeFile(file, intakeSettledBy);
    return takePicture(bytes, path);
}

bool intakeSettledBy(std::span<const std::uint8_t> head)
{
    try {
        return judgeHeaders(parseBitmapHeaders(head, {}).info) != Verdict::Accepted;
    } catch (const Failure &) {
        return false; // the whole file tells
    }
}

} // namespace quellbit
