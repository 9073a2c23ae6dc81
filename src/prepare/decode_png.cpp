#include "prepare/decoders.h"

#include "common/failure.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace quellbit {

namespace {

// libpng reports errors by longjmp. Everything that must survive a jump
// lives in this record, outside the functions that call setjmp; those
// functions hold no object with a destructor.
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
    std::size_t rowBytes = 0;
    int channels = 0;
};

extern "C" void pngError(png_structp png, png_const_charp message)
{
    auto *reader = static_cast<PngReader *>(png_get_error_ptr(png));
    std::snprintf(reader->error, sizeof reader->error, "%s", message);
    png_longjmp(png, 1);
}

extern "C" void pngWarning(png_structp, png_const_charp) { }

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
    png_set_benign_errors(reader.png, 1);
    png_read_info(reader.png, reader.info);
    reader.width = png_get_image_width(reader.png, reader.info);
    reader.height = png_get_image_height(reader.png, reader.info);
    reader.colorType = png_get_color_type(reader.png, reader.info);
    png_set_expand(reader.png); // palette to RGB, grey below 8 bits to 8, colour key to alpha
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

// Interlaced pictures are read whole: no more than this many bytes of them.
constexpr std::size_t kLargestInterlaced = std::size_t {256} << 20;

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
    if (!readHeader(reader))
        throw failed();
    checkPictureSize(reader.width, reader.height, name);

    static constexpr Samples kByChannels[]
        = {Samples::Grey, Samples::Grey, Samples::GreyAlpha, Samples::Rgb, Samples::Rgba};
    if (reader.channels < 1 || reader.channels > 4
        || reader.rowBytes != reader.width * static_cast<std::size_t>(reader.channels))
        throw Failure(name, "the PNG data cannot be read: unexpected row layout");
    const Samples samples = kByChannels[reader.channels];
    const auto width = static_cast<std::int32_t>(reader.width);
    const auto height = static_cast<std::int32_t>(reader.height);
    rows.begin(width, height);

    if (reader.passes == 1) {
        std::vector<png_byte> row(reader.rowBytes);
        for (std::int32_t y = 0; y < height; ++y) {
            if (!readRow(reader, row.data()))
                throw failed();
            rows.row(y, samples, row);
        }
        return;
    }
    // Each pass of an interlaced picture fills in pixels all over it: the
    // rows are complete only after the last pass.
    if (reader.rowBytes > kLargestInterlaced / reader.height)
        throw Failure(name,
            "an interlaced picture of " + std::to_string(reader.width) + " x " + std::to_string(reader.height)
                + " pixels is too large to read whole (at most 256 MiB of pixels)");
    std::vector<png_byte> image(reader.rowBytes * reader.height);
    std::vector<png_bytep> pointers(reader.height);
    for (std::size_t y = 0; y < pointers.size(); ++y)
        pointers[y] = image.data() + y * reader.rowBytes;
    if (!readAllRows(reader, pointers.data()))
        throw failed();
    for (std::int32_t y = 0; y < height; ++y)
        rows.row(y, samples,
            std::span<const std::uint8_t>(pointers[static_cast<std::size_t>(y)], reader.rowBytes));
}

} // namespace quellbit
