// The whole intake over arbitrary file bytes: header read, acceptance test,
// the decoder behind our checks, then a conversion into memory. An accepted
// file that decodes must give a 240 x 128 picture and a 21,600-byte data
// file, and converting it twice must give the same bytes.

#include "common/failure.h"
#include "convert/scan.h"
#include "imaging/bitmap_image.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellbit;
    try {
        const BitmapHeaders h = parseBitmapHeaders(std::span(data, size), "fuzz.bmp");
        if (judgeHeaders(h.info) != Verdict::Accepted)
            return 0;
        const QImage image = decodeBitmapBytes(
            QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)), "fuzz.bmp");
        if (image.width() != kPictureWidth || image.height() != kPictureHeight)
            std::abort();
        const ImageRaster raster(image);
        const std::string first = convertToText(raster, colorValue(h.palette0));
        if (first.size() != 21600 || convertToText(raster, colorValue(h.palette0)) != first)
            std::abort();
    } catch (const Failure &) {
    }
    return 0;
}
