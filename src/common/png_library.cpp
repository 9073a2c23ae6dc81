// libpng, loaded the first time a PNG is written (render) or read (prepare):
// converting a bitmap loads neither libpng nor zlib. Every libpng function
// the program calls is forwarded here; a new call needs a line of its own.

#include "common/shared_library.h"

#include <png.h>

#include <cstdlib>

namespace {
constexpr quellbit::SharedLibrary kPng("libpng16.so.16", "libpng16-16");
}

QUELLBIT_FORWARD(kPng, png_structp, png_create_read_struct,
    (png_const_charp version, png_voidp error, png_error_ptr errorFunction, png_error_ptr warningFunction),
    (version, error, errorFunction, warningFunction))
QUELLBIT_FORWARD(kPng, png_structp, png_create_write_struct,
    (png_const_charp version, png_voidp error, png_error_ptr errorFunction, png_error_ptr warningFunction),
    (version, error, errorFunction, warningFunction))
QUELLBIT_FORWARD(kPng, png_infop, png_create_info_struct, (png_const_structrp png), (png))
QUELLBIT_FORWARD(kPng, void, png_destroy_read_struct, (png_structpp png, png_infopp info, png_infopp end), (png, info, end))
QUELLBIT_FORWARD(kPng, void, png_destroy_write_struct, (png_structpp png, png_infopp info), (png, info))
QUELLBIT_FORWARD(kPng, jmp_buf *, png_set_longjmp_fn, (png_structrp png, png_longjmp_ptr jump, size_t size),
    (png, jump, size))
QUELLBIT_FORWARD(kPng, png_voidp, png_get_error_ptr, (png_const_structrp png), (png))
QUELLBIT_FORWARD(kPng, png_voidp, png_get_io_ptr, (png_const_structrp png), (png))
QUELLBIT_FORWARD(kPng, void, png_set_read_fn, (png_structrp png, png_voidp io, png_rw_ptr read), (png, io, read))
QUELLBIT_FORWARD(kPng, void, png_set_write_fn, (png_structrp png, png_voidp io, png_rw_ptr write, png_flush_ptr flush),
    (png, io, write, flush))
QUELLBIT_FORWARD(kPng, void, png_set_user_limits, (png_structrp png, png_uint_32 width, png_uint_32 height),
    (png, width, height))
QUELLBIT_FORWARD(kPng, void, png_set_benign_errors, (png_structrp png, int allowed), (png, allowed))
QUELLBIT_FORWARD(kPng, void, png_read_info, (png_structrp png, png_inforp info), (png, info))
QUELLBIT_FORWARD(kPng, png_uint_32, png_get_image_width, (png_const_structrp png, png_const_inforp info), (png, info))
QUELLBIT_FORWARD(kPng, png_uint_32, png_get_image_height, (png_const_structrp png, png_const_inforp info), (png, info))
QUELLBIT_FORWARD(kPng, png_byte, png_get_color_type, (png_const_structrp png, png_const_inforp info), (png, info))
QUELLBIT_FORWARD(kPng, png_byte, png_get_channels, (png_const_structrp png, png_const_inforp info), (png, info))
QUELLBIT_FORWARD(kPng, size_t, png_get_rowbytes, (png_const_structrp png, png_const_inforp info), (png, info))
QUELLBIT_FORWARD(kPng, png_uint_32, png_get_valid, (png_const_structrp png, png_const_inforp info, png_uint_32 flag),
    (png, info, flag))
QUELLBIT_FORWARD(kPng, png_uint_32, png_get_gAMA, (png_const_structrp png, png_const_inforp info, double *gamma),
    (png, info, gamma))
QUELLBIT_FORWARD(kPng, png_uint_32, png_get_sRGB, (png_const_structrp png, png_const_inforp info, int *intent),
    (png, info, intent))
QUELLBIT_FORWARD(kPng, void, png_set_expand, (png_structrp png), (png))
QUELLBIT_FORWARD(kPng, void, png_set_packing, (png_structrp png), (png))
QUELLBIT_FORWARD(kPng, png_byte, png_get_bit_depth, (png_const_structrp png, png_const_inforp info), (png, info))
QUELLBIT_FORWARD(kPng, png_uint_32, png_get_PLTE, (png_const_structrp png, png_inforp info, png_colorp *palette, int *count),
    (png, info, palette, count))
QUELLBIT_FORWARD(kPng, png_uint_32, png_get_tRNS,
    (png_const_structrp png, png_inforp info, png_bytep *alpha, int *count, png_color_16p *color),
    (png, info, alpha, count, color))
QUELLBIT_FORWARD(kPng, void, png_set_chunk_cache_max, (png_structrp png, png_uint_32 most), (png, most))
QUELLBIT_FORWARD(kPng, void, png_set_chunk_malloc_max, (png_structrp png, png_alloc_size_t most), (png, most))
QUELLBIT_FORWARD(kPng, void, png_set_keep_unknown_chunks, (png_structrp png, int keep, png_const_bytep chunks, int count),
    (png, keep, chunks, count))
QUELLBIT_FORWARD(kPng, void, png_set_gamma, (png_structrp png, double screen, double file), (png, screen, file))
QUELLBIT_FORWARD(kPng, void, png_set_scale_16, (png_structrp png), (png))
QUELLBIT_FORWARD(kPng, int, png_set_interlace_handling, (png_structrp png), (png))
QUELLBIT_FORWARD(kPng, void, png_read_update_info, (png_structrp png, png_inforp info), (png, info))
QUELLBIT_FORWARD(kPng, void, png_read_row, (png_structrp png, png_bytep row, png_bytep display), (png, row, display))
QUELLBIT_FORWARD(kPng, void, png_read_image, (png_structrp png, png_bytepp image), (png, image))
QUELLBIT_FORWARD(kPng, void, png_set_IHDR,
    (png_const_structrp png, png_inforp info, png_uint_32 width, png_uint_32 height, int depth, int colorType,
        int interlace, int compression, int filter),
    (png, info, width, height, depth, colorType, interlace, compression, filter))
QUELLBIT_FORWARD(kPng, void, png_set_PLTE, (png_structrp png, png_inforp info, png_const_colorp palette, int count),
    (png, info, palette, count))
QUELLBIT_FORWARD(kPng, void, png_set_rows, (png_const_structrp png, png_inforp info, png_bytepp rows), (png, info, rows))
QUELLBIT_FORWARD(kPng, void, png_write_png, (png_structrp png, png_inforp info, int transforms, png_voidp parameters),
    (png, info, transforms, parameters))

// The two that never return.
extern "C" void png_error(png_const_structrp png, png_const_charp message)
{
    static const auto forward = reinterpret_cast<decltype(&png_error)>(kPng.function("png_error"));
    forward(png, message);
    std::abort();
}

extern "C" void png_longjmp(png_const_structrp png, int value)
{
    static const auto forward = reinterpret_cast<decltype(&png_longjmp)>(kPng.function("png_longjmp"));
    forward(png, value);
    std::abort();
}
