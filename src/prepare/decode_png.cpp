#include "prepare/decoders.h"

#include "common/failure.h"
#include "prepare/held_picture.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string_view>
#include <vector>

namespace quellbit {

namespace {

// libpng reports errors by longjmp. Everything that must survive a jump
// lives in this record, outside the functions that call setjmp; those
// functions hold no object with a destructor.
// No ancillary chunk libpng keeps (a colour profile, say) may be larger.
constexpr png_alloc_size_t kLargestChunk = png_alloc_size_t {8} << 20;

struct PngReader {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
    png_structp png = nullptr;
    png_infop info = nullptr;
    char error[256] = {};
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int colorType = 0;
    int passes = 1;
    bool indexed = false; // rows of palette indices, mapped here
    png_colorp palette = nullptr;
    int paletteSize = 0;
    png_bytep paletteAlpha = nullptr;
    int paletteAlphaSize = 0;
    std::size_t rowBytes = 0;
    int channels = 0;
    std::uint64_t sourceBits = 0; // a pixel's bits as the file stores them
};

extern "C" void pngError(png_structp png, png_const_charp message)
{
    auto *reader = static_cast<PngReader *>(png_get_error_ptr(png));
    std::snprintf(reader->error, sizeof reader->error, "%s", message);
    png_longjmp(png, 1);
}

// Benign errors come here as warnings and are let pass, but for a chunk
// larger than the limits or memory running out: those end the reading.
extern "C" void pngWarning(png_structp png, png_const_charp message)
{
    const std::string_view text(message);
    if (text.find("too large") != std::string_view::npos || text.find("memory") != std::string_view::npos
        || text.find("exceeds") != std::string_view::npos)
        pngError(png, message);
}

extern "C" void pngRead(png_structp png, png_bytep data, png_size_t length)
{
    auto *reader = static_cast<PngReader *>(png_get_io_ptr(png));
    if (reader->bytes.size() - reader->at < length)
        png_error(png, "the file ends inside the picture data");
    std::memcpy(data, reader->bytes.data() + reader->at, length);
    reader->at += length;
}

// The header, and the transformations to 8-bit grey, grey and alpha, RGB or
// RGBA. False on an error (the reason in reader.error).
bool readHeader(PngReader &reader)
{
    if (setjmp(png_jmpbuf(reader.png)))
        return false;
    png_set_read_fn(reader.png, &reader, pngRead);
    // Each side is judged by checkPictureSize afterwards; this only keeps
    // libpng from allocating for absurd sizes first.
    png_set_user_limits(
        reader.png, static_cast<png_uint_32>(kLargestSide), static_cast<png_uint_32>(kLargestSide));
    png_set_chunk_malloc_max(reader.png, kLargestChunk);
    png_set_chunk_cache_max(reader.png, 1000);
    // Text and suggested palettes play no part in the picture: libpng skips
    // them without keeping their data.
    static const png_byte kSkipped[] = "tEXt\0zTXt\0iTXt\0sPLT\0";
    png_set_keep_unknown_chunks(reader.png, PNG_HANDLE_CHUNK_NEVER, kSkipped, 4);
    png_set_benign_errors(reader.png, 1);
    png_read_info(reader.png, reader.info);
    reader.width = png_get_image_width(reader.png, reader.info);
    reader.height = png_get_image_height(reader.png, reader.info);
    reader.colorType = png_get_color_type(reader.png, reader.info);
    reader.indexed = reader.colorType == PNG_COLOR_TYPE_PALETTE;
    reader.sourceBits = static_cast<std::uint64_t>(png_get_bit_depth(reader.png, reader.info))
        * png_get_channels(reader.png, reader.info);
    if (reader.indexed) {
        // One index a byte; the palette is applied here, so that an index
        // past its end is refused rather than drawn black.
        if (!png_get_PLTE(reader.png, reader.info, &reader.palette, &reader.paletteSize))
            png_error(reader.png, "the palette picture has no palette");
        png_color_16p unused = nullptr;
        if (!png_get_tRNS(reader.png, reader.info, &reader.paletteAlpha, &reader.paletteAlphaSize, &unused))
            reader.paletteAlphaSize = 0;
        png_set_packing(reader.png);
    } else {
        png_set_expand(reader.png); // grey below 8 bits to 8, colour key to alpha
    }
    png_set_scale_16(reader.png);
    // Values stored with a gamma of their own (a gAMA chunk and no sRGB
    // chunk) are turned into sRGB, as browsers show them: gamma 1.0 holds
    // linear light. Without either chunk the values are sRGB already.
    int intent = 0;
    double gamma = 0;
    if (!png_get_sRGB(reader.png, reader.info, &intent) && png_get_gAMA(reader.png, reader.info, &gamma)
        && gamma > 0)
        png_set_gamma(reader.png, PNG_DEFAULT_sRGB, gamma);
    reader.passes = png_set_interlace_handling(reader.png);
    png_read_update_info(reader.png, reader.info);
    reader.rowBytes = png_get_rowbytes(reader.png, reader.info);
    reader.channels = png_get_channels(reader.png, reader.info);
    return true;
}

bool readRow(PngReader &reader, png_bytep row)
{
    if (setjmp(png_jmpbuf(reader.png)))
        return false;
    png_read_row(reader.png, row, nullptr);
    return true;
}

bool readAllRows(PngReader &reader, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(reader.png)))
        return false;
    png_read_image(reader.png, rows);
    return true;
}

class PngHandle {
public:
    explicit PngHandle(PngReader &reader)
        : reader_(reader)
    {
        reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, pngError, pngWarning);
        if (reader.png)
            reader.info = png_create_info_struct(reader.png);
    }
    ~PngHandle() { png_destroy_read_struct(&reader_.png, &reader_.info, nullptr); }
    PngHandle(const PngHandle &) = delete;
    PngHandle &operator=(const PngHandle &) = delete;

private:
    PngReader &reader_;
};

// Deflate turns one byte into at most 1,032.
constexpr std::uint64_t kLargestInflation = 1032;

std::uint32_t big32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16
        | static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

std::string chunkKind(std::span<const std::uint8_t> type)
{
    const std::string name(type.begin(), type.end());
    if (name == "tEXt" || name == "zTXt" || name == "iTXt")
        return "a text chunk";
    for (const char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')))
            return "a chunk";
    return "a " + name + " chunk";
}

// Every chunk's length against the bytes the file has left, before libpng
// allocates anything for it; what the picture data chunks hold in all.
std::uint64_t checkChunks(std::span<const std::uint8_t> bytes, const std::string &name)
{
    std::uint64_t pictureData = 0;
    std::size_t at = 8;
    while (bytes.size() - at >= 8) {
        const std::uint32_t length = big32(bytes, at);
        const auto type = bytes.subspan(at + 4, 4);
        const std::size_t left = bytes.size() - at - 8;
        const bool pictureChunk = std::memcmp(type.data(), "IDAT", 4) == 0;
        // Picture data is inflated as it streams in: a file cut short in it
        // is told where the reading stops.
        if (pictureChunk && length > left) {
            pictureData += left;
            break;
        }
        if (length > left || left - length < 4)
            throw Failure(name,
                chunkKind(type) + " claims " + std::to_string(length) + " bytes; the file has "
                    + std::to_string(left < 4 ? 0 : left - 4) + " left");
        if (pictureChunk)
            pictureData += length;
        at += 12 + std::size_t {length};
        if (std::memcmp(type.data(), "IEND", 4) == 0)
            break;
    }
    return pictureData;
}

} // namespace

void decodePng(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows)
{
    PngReader reader;
    reader.bytes = bytes;
    const PngHandle handle(reader);
    if (!reader.png || !reader.info)
        throw Failure(name, "out of memory");
    auto failed
        = [&]() { return Failure(name, std::string("the PNG data cannot be read: ") + reader.error); };
    const std::uint64_t pictureData = checkChunks(bytes, name);
    if (!readHeader(reader))
        throw failed();
    checkPictureSize(reader.width, reader.height, name);
    // The picture's bytes before inflation: at least every pixel's bits.
    const std::uint64_t packed = (std::uint64_t {reader.width} * reader.height * reader.sourceBits + 7) / 8;
    if (pictureData * kLargestInflation + 4096 < packed)
        throw Failure(name,
            "a picture of " + std::to_string(reader.width) + " x " + std::to_string(reader.height) + " pixels needs "
                + std::to_string(packed) + " bytes; its " + std::to_string(pictureData)
                + " bytes of compressed data cannot hold them");

    static constexpr Samples kByChannels[]
        = {Samples::Grey, Samples::Grey, Samples::GreyAlpha, Samples::Rgb, Samples::Rgba};
    if (reader.channels < 1 || reader.channels > 4
        || reader.rowBytes != reader.width * static_cast<std::size_t>(reader.channels))
        throw Failure(name, "the PNG data cannot be read: unexpected row layout");
    const auto width = static_cast<std::int32_t>(reader.width);
    const auto height = static_cast<std::int32_t>(reader.height);
    const bool alpha = reader.indexed && reader.paletteAlphaSize > 0;
    const Samples samples = !reader.indexed ? kByChannels[reader.channels] : alpha ? Samples::Rgba : Samples::Rgb;
    std::vector<png_byte> colours(reader.indexed ? reader.width * samplesPerPixel(samples) : 0);
    auto hand = [&](std::int32_t y, std::span<const png_byte> row) {
        if (!reader.indexed)
            return rows.row(y, samples, row);
        png_byte *o = colours.data();
        for (std::size_t x = 0; x < row.size(); ++x) {
            const unsigned index = row[x];
            if (index >= static_cast<unsigned>(reader.paletteSize))
                throw Failure(name,
                    "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") uses colour "
                        + std::to_string(index) + " of a table of "
                        + counted(static_cast<std::uint64_t>(reader.paletteSize), "entry", "entries"));
            const png_color &entry = reader.palette[index];
            *o++ = entry.red;
            *o++ = entry.green;
            *o++ = entry.blue;
            if (alpha)
                *o++ = index < static_cast<unsigned>(reader.paletteAlphaSize) ? reader.paletteAlpha[index] : 255;
        }
        rows.row(y, samples, colours);
    };
    rows.begin(width, height);

    if (reader.passes == 1) {
        std::vector<png_byte> row(reader.rowBytes);
        for (std::int32_t y = 0; y < height; ++y) {
            if (!readRow(reader, row.data()))
                throw failed();
            hand(y, row);
        }
        return;
    }
    // Each pass of an interlaced picture fills in pixels all over it: the
    // rows are complete only after the last pass.
    // Interlaced pictures are read whole: no more than any picture held whole.
    if (reader.rowBytes > kLargestHeld / reader.height)
        throw TooLarge(name,
            "an interlaced picture of " + std::to_string(reader.width) + " x " + std::to_string(reader.height)
                + " pixels is too large to read whole " + largestHeldText());
    std::vector<png_byte> image(reader.rowBytes * reader.height);
    std::vector<png_bytep> pointers(reader.height);
    for (std::size_t y = 0; y < pointers.size(); ++y)
        pointers[y] = image.data() + y * reader.rowBytes;
    if (!readAllRows(reader, pointers.data()))
        throw failed();
    for (std::int32_t y = 0; y < height; ++y)
        hand(y, std::span<const std::uint8_t>(pointers[static_cast<std::size_t>(y)], reader.rowBytes));
}

} // namespace quellbit
