#include "imaging/raster_image.h"

#include "imaging/bitmap_image.h"

namespace quellbit {

QImage rasterImage(const Raster &raster)
{
    QImage image(raster.width(), raster.height(), QImage::Format_RGB32);
    for (std::int32_t y = 0; y < raster.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (const std::int32_t colour : raster.row(y))
            *line++ = toRgb(colour);
    }
    return image;
}

} // namespace quellbit
