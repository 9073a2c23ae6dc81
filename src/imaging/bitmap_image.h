#pragma once

// The Qt edge of the core, shared by the window and the command line: colour
// values as Qt colours, a QImage as the preview's surface, and data files
// written atomically. Pictures are read and decoded by the core's intake
// (intake/picture_intake.h); imaging/raster_image.h shows what it decoded.

#include "convert/scan.h"
#include "preview/plot.h"

#include <QImage>
#include <QFile>
#include <QString>

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

// Writes a data file through a temporary file in the same folder; the target
// is replaced (renamed over) only by commit(), so a failure leaves an earlier
// file as it was and no partial file behind. The data is not forced to the
// disk: a data file can always be written again from its picture, and a
// batch of a thousand pictures should not wait for the disk a thousand times.
// Throws Failure naming the file.
class SaveFileSink final : public OutputSink {
public:
    explicit SaveFileSink(const QString &path);
    ~SaveFileSink() override;
    SaveFileSink(const SaveFileSink &) = delete;
    SaveFileSink &operator=(const SaveFileSink &) = delete;

    void writeLine(std::string_view line) override;
    void commit();

private:
    void discard();
    [[noreturn]] void fail(const std::string &what);
    [[noreturn]] void fail(const std::string &what, const std::string &reason);
    QString path_;
    QFile temp_;
    bool ownsTemp_ = false; // the temporary file is ours to remove
    bool committed_ = false;
};

} // namespace quellbit
