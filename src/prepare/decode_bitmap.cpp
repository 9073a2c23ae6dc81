#include "prepare/decoders.h"

#include "common/failure.h"
#include "common/text.h"
#include "intake/bitmap_header.h"
#include "intake/picture_intake.h"

#include <array>
#include <bit>
#include <vector>

namespace quellbit {

namespace {

std::string count(std::uint64_t n)
{
    return thousands(static_cast<std::int64_t>(n));
}

std::string compression(std::uint32_t value, std::uint32_t headerSize)
{
    return std::to_string(value) + " (" + compressionName(value, headerSize) + ")";
}

// One colour channel of a bit-field pixel: where it lies and how far it goes.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint64_t largest = 0;

    explicit Channel(std::uint32_t m = 0)
        : mask(m)
        , shift(m ? std::countr_zero(m) : 0)
        , largest(m >> shift)
    {
    }
    std::uint8_t operator()(std::uint32_t pixel) const
    {
        if (largest == 0)
            return 0;
        const std::uint64_t value = (pixel & mask) >> shift;
        return static_cast<std::uint8_t>((value * 255 + largest / 2) / largest);
    }
};

// What the headers say about the pixels.
struct Layout {
    BitmapHeaders headers;
    bool oneBit = false; // decoded by the intake's one-bit decoder
    std::int32_t width = 0;
    std::int32_t height = 0; // rows, whatever the direction
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::vector<std::array<std::uint8_t, 3>> palette; // red, green, blue
    std::array<std::uint32_t, 4> masks {}; // red, green, blue, alpha
    std::size_t pixelAt = 0;
    std::size_t rowBytes = 0;
};

Layout readLayout(std::span<const std::uint8_t> bytes, const std::string &name)
{
    Layout layout;
    if (bytes.size() < kFileHeaderSize + 4)
        throw Failure(
            name, "the file ends after " + count(bytes.size()) + " bytes, inside the bitmap headers");
    const std::uint32_t headerSize = littleEndian32(bytes, kFileHeaderSize);
    const std::uint32_t offBits = littleEndian32(bytes, 10);
    std::int64_t height = 0;
    std::uint32_t clrUsed = 0;
    std::size_t entrySize = 4;
    std::size_t tableAt = kFileHeaderSize + headerSize;

    if (headerSize == 12) {
        // The 12-byte core header: 16-bit sides, three-byte palette entries.
        if (bytes.size() < kFileHeaderSize + 12)
            throw Failure(
                name, "the file ends after " + count(bytes.size()) + " bytes, inside its 12-byte header");
        layout.width = static_cast<std::int32_t>(littleEndian16(bytes, 18));
        height = littleEndian16(bytes, 20);
        layout.bitCount = static_cast<int>(littleEndian16(bytes, 24));
        entrySize = 3;
    } else if (headerSize >= kInfoHeaderSize) {
        layout.headers = parseFixedHeaders(bytes, name);
        const BITMAPINFOHEADER &info = layout.headers.info;
        layout.width = info.biWidth;
        height = info.biHeight;
        layout.bitCount = info.biBitCount;
        layout.compression = info.biCompression;
        clrUsed = info.biClrUsed;
    } else {
        throw Failure(name, "an info header of " + count(headerSize) + " bytes is not one prepare reads");
    }

    if (layout.width <= 0)
        throw Failure(name, "a width of " + std::to_string(layout.width) + " pixels");
    if (height == 0)
        throw Failure(name, "a height of 0 pixels");
    layout.topDown = height < 0;
    checkPictureSize(layout.width, height < 0 ? -height : height, name);
    layout.height = static_cast<std::int32_t>(height < 0 ? -height : height);

    const int bits = layout.bitCount;
    // One bit with an info header: the intake's decoder judges the rest.
    layout.oneBit = bits == 1 && headerSize >= kInfoHeaderSize;
    if (layout.oneBit)
        return layout;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw Failure(name, std::to_string(bits) + " bits per pixel is no bitmap depth");
    const std::uint32_t c = layout.compression;
    const bool fits = c == 0 || (c == 1 && bits == 8) || (c == 2 && bits == 4)
        || ((c == 3 || c == 6) && (bits == 16 || bits == 32));
    if (c == 4 || c == 5 || c > 6 || (c == 3 && headerSize == kOs2HeaderSize))
        throw Failure(name, "compression " + compression(c, headerSize) + " is not one prepare reads");
    if (!fits)
        throw Failure(name,
            "compression " + compression(c, headerSize) + " is not defined for " + std::to_string(bits)
                + "-bit pictures");
    if (layout.topDown && (c == 1 || c == 2))
        throw Failure(name, "compression " + compression(c, headerSize) + " is not defined for top-down rows");

    if (bits <= 8) {
        const std::uint32_t full = 1u << bits;
        std::uint64_t entries = clrUsed == 0 ? full : clrUsed;
        if (entries > 256)
            throw Failure(name, "a colour table of " + count(entries) + " entries (at most 256)");
        // A core header has no entry count: the table may be shorter, up to
        // where the pixels start.
        if (headerSize == 12 && offBits > tableAt && offBits < tableAt + entries * entrySize)
            entries = (offBits - tableAt) / entrySize;
        const std::uint64_t tableEnd = tableAt + entries * entrySize;
        if (tableEnd > bytes.size())
            throw Failure(name,
                "the colour table of " + count(entries) + " entries runs past the end of the file at byte "
                    + count(bytes.size()));
        if (offBits != 0 && tableEnd > offBits)
            throw Failure(name,
                "the colour table of " + count(entries) + " entries runs past the pixel data at byte "
                    + count(offBits));
        for (std::size_t i = 0; i < entries; ++i) {
            const std::size_t at = tableAt + i * entrySize;
            layout.palette.push_back({bytes[at + 2], bytes[at + 1], bytes[at]});
        }
        tableAt = static_cast<std::size_t>(tableEnd);
    } else if (c == 3 || c == 6) {
        // The masks: inside a header of 52 bytes or more, right after a
        // 40-byte one.
        const std::size_t masks = c == 6 || headerSize >= 56 ? 4 : 3;
        if (bytes.size() < kFileHeaderSize + kInfoHeaderSize + 4 * masks)
            throw Failure(
                name, "the file ends after " + count(bytes.size()) + " bytes, inside the colour masks");
        for (std::size_t i = 0; i < masks; ++i)
            layout.masks[i] = littleEndian32(bytes, kFileHeaderSize + kInfoHeaderSize + 4 * i);
        const std::uint32_t pixelBits = bits == 32 ? 0xFFFFFFFFu : 0xFFFFu;
        static constexpr const char *kChannelNames[] = {"red", "green", "blue"};
        for (std::size_t i = 0; i < 3; ++i)
            if ((layout.masks[i] & pixelBits) == 0)
                throw Failure(name,
                    std::string("the ") + kChannelNames[i] + " mask selects no bit of a " + std::to_string(bits)
                        + "-bit pixel");
        if (headerSize == kInfoHeaderSize)
            tableAt += 4 * masks;
    } else if (bits == 16) {
        layout.masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else if (bits == 32) {
        layout.masks = {0xFF0000, 0x00FF00, 0x0000FF, 0};
    }

    layout.pixelAt = offBits != 0 ? offBits : tableAt;
    layout.rowBytes = (static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(bits) + 31) / 32 * 4;
    return layout;
}

// A row in the order of storage (0 the first stored) as shown (0 the top).
std::int32_t shownRow(const Layout &layout, std::int32_t stored)
{
    return layout.topDown ? stored : layout.height - 1 - stored;
}

std::string pixelName(std::int32_t x, std::int32_t y)
{
    return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ")";
}

void badIndex(const std::string &name, const Layout &layout, std::int32_t x, std::int32_t y, unsigned index)
{
    throw Failure(name,
        pixelName(x, y) + " uses colour " + std::to_string(index) + " of a table of "
            + counted(layout.palette.size(), "entry", "entries"));
}

void checkPixelData(std::span<const std::uint8_t> bytes, const std::string &name, const Layout &layout)
{
    const std::uint64_t need
        = static_cast<std::uint64_t>(layout.rowBytes) * static_cast<std::uint64_t>(layout.height);
    const std::uint64_t have = bytes.size() > layout.pixelAt ? bytes.size() - layout.pixelAt : 0;
    if (have < need)
        throw Failure(name,
            "the pixel data ends after row " + count(have / layout.rowBytes) + " of "
                + count(static_cast<std::uint64_t>(layout.height)) + " (" + count(have) + " of " + count(need)
                + " bytes)");
}

void decodeUncompressed(
    std::span<const std::uint8_t> bytes, const std::string &name, const Layout &layout, PictureRows &rows)
{
    const int bits = layout.bitCount;
    const std::size_t width = static_cast<std::size_t>(layout.width);
    const Channel red(layout.masks[0]), green(layout.masks[1]), blue(layout.masks[2]);
    Channel alpha(layout.masks[3]);
    // An alpha mask over pixels whose alpha is 0 everywhere: written by a
    // program that did not fill it in. The picture is opaque.
    auto pixelAt = [&](std::int32_t stored, std::size_t x) {
        const std::size_t at = layout.pixelAt + static_cast<std::size_t>(stored) * layout.rowBytes;
        return bits == 16 ? littleEndian16(bytes, at + 2 * x) : littleEndian32(bytes, at + 4 * x);
    };
    if (bits > 8 && alpha.mask != 0) {
        bool anyAlpha = false;
        for (std::int32_t r = 0; r < layout.height && !anyAlpha; ++r)
            for (std::size_t x = 0; x < width && !anyAlpha; ++x)
                anyAlpha = (pixelAt(r, x) & alpha.mask) != 0;
        if (!anyAlpha)
            alpha = Channel();
    }
    const bool withAlpha = alpha.mask != 0;
    const Samples samples = withAlpha ? Samples::Rgba : Samples::Rgb;
    std::vector<std::uint8_t> out(width * samplesPerPixel(samples));

    for (std::int32_t r = 0; r < layout.height; ++r) {
        const std::int32_t y = shownRow(layout, r);
        if (!rows.wants(y))
            continue;
        const std::size_t rowAt = layout.pixelAt + static_cast<std::size_t>(r) * layout.rowBytes;
        const std::uint8_t *p = bytes.data() + rowAt;
        std::uint8_t *o = out.data();
        if (bits <= 8) {
            const unsigned perByte = 8 / static_cast<unsigned>(bits);
            const unsigned mask = (1u << bits) - 1;
            for (std::size_t x = 0; x < width; ++x) {
                const unsigned shift
                    = 8 - static_cast<unsigned>(bits) * (static_cast<unsigned>(x % perByte) + 1);
                const unsigned index = (p[x / perByte] >> shift) & mask;
                if (index >= layout.palette.size())
                    badIndex(name, layout, static_cast<std::int32_t>(x), y, index);
                const auto &entry = layout.palette[index];
                *o++ = entry[0];
                *o++ = entry[1];
                *o++ = entry[2];
            }
        } else if (bits == 24) {
            for (std::size_t x = 0; x < width; ++x, p += 3) {
                *o++ = p[2];
                *o++ = p[1];
                *o++ = p[0];
            }
        } else {
            for (std::size_t x = 0; x < width; ++x) {
                const std::uint32_t pixel = pixelAt(r, x);
                *o++ = red(pixel);
                *o++ = green(pixel);
                *o++ = blue(pixel);
                if (withAlpha)
                    *o++ = alpha(pixel);
            }
        }
        rows.row(y, samples, out);
    }
}

// RLE8 and RLE4: runs and escapes, bottom row first. Pixels the data never
// sets (skipped by a delta, or left at the end of a line or of the picture)
// are transparent, so they come out white.
void decodeRunLength(
    std::span<const std::uint8_t> bytes, const std::string &name, const Layout &layout, PictureRows &rows)
{
    const bool four = layout.compression == 2;
    const std::string kind = four ? "RLE4" : "RLE8";
    const std::size_t width = static_cast<std::size_t>(layout.width);
    std::vector<std::uint8_t> out(width * 4, 0); // RGBA, alpha 0 until set
    std::int32_t stored = 0;
    std::size_t x = 0;
    bool blank = true;

    // Counts no further than the picture's height.
    auto emit = [&]() {
        if (stored >= layout.height)
            return;
        rows.row(shownRow(layout, stored), Samples::Rgba, out);
        if (!blank)
            std::fill(out.begin(), out.end(), 0);
        blank = true;
        ++stored;
    };
    // `count` rows more that the data skips, blank, as one run.
    auto skipRows = [&](std::int64_t count) {
        const std::int32_t n = static_cast<std::int32_t>(std::min<std::int64_t>(count, layout.height - stored));
        if (n <= 0)
            return;
        const std::int32_t from = layout.topDown ? stored : layout.height - stored - n;
        rows.sameRows(from, from + n, Samples::Rgba, out); // `out` is blank after emit()
        stored += n;
    };
    auto put = [&](unsigned index) {
        if (x < width && stored < layout.height) {
            if (index >= layout.palette.size())
                badIndex(name, layout, static_cast<std::int32_t>(x), shownRow(layout, stored), index);
            const auto &entry = layout.palette[index];
            std::uint8_t *o = out.data() + 4 * x;
            o[0] = entry[0];
            o[1] = entry[1];
            o[2] = entry[2];
            o[3] = 255;
            blank = false;
        }
        ++x;
    };
    auto endsEarly = [&]() {
        return Failure(name,
            "the " + kind + " data ends in row " + count(static_cast<std::uint64_t>(stored) + 1) + " of "
                + count(static_cast<std::uint64_t>(layout.height)) + " without its end mark");
    };

    std::size_t at = layout.pixelAt;
    const std::size_t end = bytes.size();
    if (at > end)
        throw endsEarly();
    while (true) {
        if (end - at < 2) {
            if (stored >= layout.height)
                return; // every row ended; only the end mark is missing
            throw endsEarly();
        }
        const unsigned n = bytes[at];
        const unsigned c = bytes[at + 1];
        at += 2;
        if (n > 0) {
            for (unsigned k = 0; k < n; ++k)
                put(four ? (k % 2 == 0 ? c >> 4 : c & 0x0F) : c);
            continue;
        }
        if (c == 0) { // end of line
            emit();
            x = 0;
        } else if (c == 1) { // end of picture
            emit();
            skipRows(layout.height);
            return;
        } else if (c == 2) { // move right and up
            if (end - at < 2)
                throw endsEarly();
            x += bytes[at];
            if (bytes[at + 1] > 0) {
                emit();
                skipRows(bytes[at + 1] - 1);
            }
            at += 2;
        } else { // c pixels as they stand, padded to a whole 16-bit word
            const std::size_t length = four ? (c + 1) / 2 : c;
            const std::size_t padded = (length + 1) / 2 * 2;
            if (end - at < padded)
                throw endsEarly();
            for (unsigned k = 0; k < c; ++k)
                put(four ? (k % 2 == 0 ? bytes[at + k / 2] >> 4 : bytes[at + k / 2] & 0x0F) : bytes[at + k]);
            at += padded;
        }
        // Every row is done: what follows cannot draw anything.
        if (stored >= layout.height)
            return;
    }
}

} // namespace

void decodeBitmap(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows)
{
    const Layout layout = readLayout(bytes, name);
    const bool runLength = layout.compression == 1 || layout.compression == 2;
    if (!layout.oneBit && !runLength)
        checkPixelData(bytes, name, layout);
    rows.begin(layout.width, layout.height);
    if (layout.oneBit) {
        std::vector<std::uint8_t> out(static_cast<std::size_t>(layout.width) * 3);
        decodeOneBitPixels(
            bytes, layout.headers, name, [&](std::int32_t y, std::span<const std::int32_t> colours) {
                if (!rows.wants(y))
                    return;
                std::uint8_t *o = out.data();
                for (const std::int32_t colour : colours) {
                    *o++ = static_cast<std::uint8_t>(colour & 0xFF);
                    *o++ = static_cast<std::uint8_t>((colour >> 8) & 0xFF);
                    *o++ = static_cast<std::uint8_t>((colour >> 16) & 0xFF);
                }
                rows.row(y, Samples::Rgb, out);
            });
    } else if (runLength)
        decodeRunLength(bytes, name, layout, rows);
    else
        decodeUncompressed(bytes, name, layout, rows);
}

} // namespace quellbit
