// libjpeg, giflib and libwebp, each loaded the first time a picture of its
// kind is decoded. Every function of theirs the decoders call is forwarded
// here; a new call needs a line of its own.

#include "common/shared_library.h"

#include <cstdio>

#include <gif_lib.h>
#include <jpeglib.h>
#include <webp/decode.h>
#include <webp/demux.h>

namespace {
constexpr quellbit::SharedLibrary kJpeg("libjpeg.so.62", "libjpeg62-turbo");
constexpr quellbit::SharedLibrary kGif("libgif.so.7", "libgif7");
constexpr quellbit::SharedLibrary kWebp("libwebp.so.7", "libwebp7");
constexpr quellbit::SharedLibrary kWebpDemux("libwebpdemux.so.2", "libwebpdemux2");
} // namespace

QUELLBIT_FORWARD(kJpeg, struct jpeg_error_mgr *, jpeg_std_error, (struct jpeg_error_mgr * errors), (errors))
QUELLBIT_FORWARD(kJpeg, void, jpeg_CreateDecompress, (j_decompress_ptr info, int version, size_t size),
    (info, version, size))
QUELLBIT_FORWARD(kJpeg, void, jpeg_destroy_decompress, (j_decompress_ptr info), (info))
QUELLBIT_FORWARD(kJpeg, void, jpeg_mem_src, (j_decompress_ptr info, const unsigned char *buffer, unsigned long size),
    (info, buffer, size))
QUELLBIT_FORWARD(kJpeg, void, jpeg_save_markers, (j_decompress_ptr info, int marker, unsigned int limit),
    (info, marker, limit))
QUELLBIT_FORWARD(kJpeg, int, jpeg_read_header, (j_decompress_ptr info, boolean image), (info, image))
QUELLBIT_FORWARD(kJpeg, boolean, jpeg_start_decompress, (j_decompress_ptr info), (info))
QUELLBIT_FORWARD(kJpeg, JDIMENSION, jpeg_read_scanlines, (j_decompress_ptr info, JSAMPARRAY rows, JDIMENSION count),
    (info, rows, count))

QUELLBIT_FORWARD(kGif, GifFileType *, DGifOpen, (void *user, InputFunc read, int *error), (user, read, error))
QUELLBIT_FORWARD(kGif, int, DGifCloseFile, (GifFileType * gif, int *error), (gif, error))
QUELLBIT_FORWARD(kGif, const char *, GifErrorString, (int error), (error))
QUELLBIT_FORWARD(kGif, int, DGifGetRecordType, (GifFileType * gif, GifRecordType *type), (gif, type))
QUELLBIT_FORWARD(kGif, int, DGifGetExtension, (GifFileType * gif, int *code, GifByteType **extension),
    (gif, code, extension))
QUELLBIT_FORWARD(kGif, int, DGifGetExtensionNext, (GifFileType * gif, GifByteType **extension), (gif, extension))
QUELLBIT_FORWARD(kGif, int, DGifExtensionToGCB, (const size_t length, const GifByteType *extension,
    GraphicsControlBlock *control), (length, extension, control))
QUELLBIT_FORWARD(kGif, int, DGifGetImageDesc, (GifFileType * gif), (gif))
QUELLBIT_FORWARD(kGif, int, DGifGetLine, (GifFileType * gif, GifPixelType *line, int length), (gif, line, length))

QUELLBIT_FORWARD(kWebp, VP8StatusCode, WebPGetFeaturesInternal,
    (const uint8_t *data, size_t size, WebPBitstreamFeatures *features, int version), (data, size, features, version))
QUELLBIT_FORWARD(kWebp, uint8_t *, WebPDecodeRGBAInto,
    (const uint8_t *data, size_t size, uint8_t *output, size_t outputSize, int stride),
    (data, size, output, outputSize, stride))
QUELLBIT_FORWARD(kWebpDemux, int, WebPAnimDecoderOptionsInitInternal, (WebPAnimDecoderOptions * options, int version),
    (options, version))
QUELLBIT_FORWARD(kWebpDemux, WebPAnimDecoder *, WebPAnimDecoderNewInternal,
    (const WebPData *data, const WebPAnimDecoderOptions *options, int version), (data, options, version))
QUELLBIT_FORWARD(kWebpDemux, int, WebPAnimDecoderGetInfo, (const WebPAnimDecoder *decoder, WebPAnimInfo *info),
    (decoder, info))
QUELLBIT_FORWARD(kWebpDemux, int, WebPAnimDecoderGetNext, (WebPAnimDecoder * decoder, uint8_t **pixels, int *timestamp),
    (decoder, pixels, timestamp))
QUELLBIT_FORWARD(kWebpDemux, void, WebPAnimDecoderDelete, (WebPAnimDecoder * decoder), (decoder))
