#pragma once

// The Qt edge of the window: colour values as Qt colours and a QImage as the
// preview's surface. Pictures are read and decoded by the core's intake
// (intake/picture_intake.h); imaging/raster_image.h shows what it decoded.
// Files are written by the core (common/output_file.h).

#include "preview/plot.h"

#include <QImage>

namespace quellbit {

inline std::int32_t colorValue(QRgb rgb) { return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb); }
inline QRgb toRgb(std::int32_t color)
{
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// A preview surface over a QImage of Format_RGB32, filled with `background`
// on clear().
class ImageSurface final : public Surface {
public:
    ImageSurface(QImage &image, QRgb background);
    void clear() override;
    void setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors) override;

private:
    QImage &image_;
    QRgb background_;
};

} // namespace quellbit
