#include "preview/png_encoder.h"

#include "common/failure.h"

#include <png.h>

#include <array>
#include <vector>

namespace quellbit {

namespace {

struct Encoder {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::string out;
    std::string error;
};

void onError(png_structp png, png_const_charp message)
{
    static_cast<Encoder *>(png_get_error_ptr(png))->error = message;
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) { }

void onWrite(png_structp png, png_bytep data, png_size_t length)
{
    static_cast<Encoder *>(png_get_io_ptr(png))->out.append(reinterpret_cast<const char *>(data), length);
}

void onFlush(png_structp) { }

// The libpng calls between setjmp and a possible longjmp, kept free of
// anything with a destructor.
bool writeRows(Encoder &encoder, png_uint_32 width, png_uint_32 height, png_colorp palette, png_bytepp rows)
{
    if (setjmp(png_jmpbuf(encoder.png)))
        return false;
    png_set_write_fn(encoder.png, &encoder, onWrite, onFlush);
    png_set_IHDR(encoder.png, encoder.info, width, height, 1, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_PLTE(encoder.png, encoder.info, palette, 2);
    png_set_rows(encoder.png, encoder.info, rows);
    png_write_png(encoder.png, encoder.info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

png_color pngColor(std::int32_t color)
{
    return {static_cast<png_byte>(color & 0xFF), static_cast<png_byte>((color >> 8) & 0xFF),
            static_cast<png_byte>((color >> 16) & 0xFF)};
}

} // namespace

std::string encodeTwoColourPng(std::int32_t width, std::int32_t height, const std::array<std::int32_t, 2> &palette,
                               std::span<const std::uint8_t> index)
{
    OneBitRows pixels = packOneBitRows(width, height, index);
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    for (std::size_t y = 0; y < rows.size(); ++y)
        rows[y] = pixels.bytes.data() + y * pixels.rowBytes;
    std::array<png_color, 2> entries {pngColor(palette[0]), pngColor(palette[1])};

    Encoder encoder;
    encoder.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &encoder, onError, onWarning);
    if (encoder.png != nullptr)
        encoder.info = png_create_info_struct(encoder.png);
    const bool written = encoder.info != nullptr
        && writeRows(encoder, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), entries.data(),
                     rows.data());
    png_destroy_write_struct(&encoder.png, &encoder.info);
    if (!written)
        throw Failure({}, "the PNG cannot be encoded: " + (encoder.error.empty() ? "out of memory" : encoder.error));
    return std::move(encoder.out);
}

} // namespace quellbit
