#pragma once

// The Qt edge of the core, shared by the window and the command line so that
// both decode a bitmap the same way and write the same bytes: a bitmap file
// becomes a QImage (the picture the picture box shows), a QImage becomes the
// core's raster or preview surface.

#include "convert/scan.h"
#include "intake/bitmap_header.h"
#include "preview/plot.h"

#include <QImage>
#include <QString>

#include <vector>

namespace quellbit {

inline std::int32_t colorValue(QRgb rgb) { return qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb); }
inline QRgb toRgb(std::int32_t color)
{
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// Checks that a 1-bit file of `fileSize` bytes really holds the palette and
// every pixel row its headers promise, before the decoder gets it: a decoder
// would otherwise leave missing rows uninitialised or take pixel bytes for
// palette entries. Throws Failure naming the file.
void checkBitmapData(const BitmapHeaders &headers, std::size_t fileSize, const std::string &fileName);

// Loads the bitmap file at `path` as the picture box shows it, top row first,
// each pixel in its palette colour. The "BM" signature is not required.
// Throws Failure naming the file when it cannot be read, is cut short, or
// cannot be decoded.
QImage loadBitmapImage(const QString &path);

// The same for the bytes of a whole file already in memory; `fileName` is
// used in messages.
QImage decodeBitmapBytes(QByteArray bytes, const std::string &fileName);

// The colour values of a QImage, read with pixel colours (never palette
// indices, which the decoder may reorder). Holds a reference: the image must
// outlive the raster.
class ImageRaster final : public Raster {
public:
    explicit ImageRaster(const QImage &image);
    std::int32_t width() const override { return image_.width(); }
    std::int32_t height() const override { return image_.height(); }
    std::span<const std::int32_t> row(std::int32_t y) const override;

private:
    QImage image_; // shared copy: two-colour as decoded, anything else as 32-bit colours
    bool twoColour_ = false;
    std::int32_t colour_[2] = {0, 0}; // colour values of a two-colour image's table entries
    mutable std::vector<std::int32_t> row_;
};

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
