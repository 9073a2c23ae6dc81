#include "imaging/bitmap_image.h"

#include "common/failure.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>


namespace quellbit {

namespace {

// Far beyond any real 240 x 128 bitmap (about 4 KB); a bigger file is not read.
constexpr qint64 kLargestBitmap = 64 * 1024 * 1024;

std::string text(const QString &s) { return s.toStdString(); }

} // namespace

void checkBitmapData(const BitmapHeaders &headers, std::size_t fileSize, const std::string &fileName)
{
    const BITMAPINFOHEADER &info = headers.info;
    if (info.biBitCount != 1)
        return;

    // The decoder reads biClrUsed entries (two when it is 0) from the end of
    // the info header, then the rows from bfOffBits when that lies beyond the
    // palette, otherwise straight after it.
    const std::uint64_t entries = info.biClrUsed != 0 ? info.biClrUsed : 2;
    if (entries > 256)
        throw Failure(fileName, "the header lists " + std::to_string(entries)
                                    + " palette entries; a bitmap has at most 256");
    const std::uint64_t paletteEnd = headers.paletteOffset + 4 * entries;
    if (paletteEnd > fileSize)
        throw Failure(fileName, "the file ends after " + std::to_string(fileSize) + " bytes, inside its "
                                    + std::to_string(entries) + "-entry palette");
    std::uint64_t pixelStart = paletteEnd;
    if (headers.file.bfOffBits != 0) {
        if (headers.file.bfOffBits < paletteEnd)
            throw Failure(fileName, "the header lists " + std::to_string(entries)
                                        + " palette entries, but the pixel data starts at byte "
                                        + std::to_string(headers.file.bfOffBits) + ", inside that palette");
        pixelStart = headers.file.bfOffBits;
    }

    const std::uint64_t width = static_cast<std::uint64_t>(std::abs(static_cast<std::int64_t>(info.biWidth)));
    const std::uint64_t rows = static_cast<std::uint64_t>(std::abs(static_cast<std::int64_t>(info.biHeight)));
    const std::uint64_t rowBytes = (width + 31) / 32 * 4;
    const std::uint64_t available = fileSize > pixelStart ? fileSize - pixelStart : 0;
    if (rowBytes > 0 && available / rowBytes < rows)
        throw Failure(fileName, "the pixel data ends after row " + std::to_string(available / rowBytes) + " of "
                                    + std::to_string(rows) + " (" + std::to_string(available) + " of "
                                    + std::to_string(rows * rowBytes) + " bytes)");
}

QImage loadBitmapImage(const QString &path)
{
    const std::string name = text(path);
    if (QFileInfo(path).isDir())
        throw Failure(name, "this is a folder, not a bitmap file");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(name, "cannot be opened for reading: " + text(file.errorString()));
    if (file.size() > kLargestBitmap)
        throw Failure(name, "the file is " + std::to_string(file.size()) + " bytes long, too large for a bitmap");
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure(name, "cannot be read: " + text(file.errorString()));
    file.close();
    return decodeBitmapBytes(std::move(bytes), name);
}

QImage decodeBitmapBytes(QByteArray bytes, const std::string &name)
{
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    const BitmapHeaders headers = parseBitmapHeaders(std::span(data, static_cast<std::size_t>(bytes.size())), name);
    checkBitmapData(headers, static_cast<std::size_t>(bytes.size()), name);

    // The decoder insists on the "BM" signature, which is not judged here.
    bytes[0] = 'B';
    bytes[1] = 'M';
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    QImage image;
    if (!reader.read(&image))
        throw Failure(name, "the picture cannot be decoded: " + text(reader.errorString()));
    return image;
}

namespace {

// A 1-bit image whose colour table covers both bit values: its dots can be
// looked up in that table, which is what pixel() does, without a conversion.
bool isTwoColour(const QImage &image)
{
    return (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB)
        && image.colorCount() >= 2;
}

} // namespace

ImageRaster::ImageRaster(const QImage &image)
    : image_(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32 || isTwoColour(image)
                 ? image
                 : image.convertToFormat(QImage::Format_RGB32)),
      twoColour_(isTwoColour(image_)),
      row_(static_cast<std::size_t>(std::max(image.width(), 0)))
{
    if (twoColour_) {
        colour_[0] = colorValue(image_.color(0));
        colour_[1] = colorValue(image_.color(1));
    }
}

std::span<const std::int32_t> ImageRaster::row(std::int32_t y) const
{
    if (twoColour_) {
        const uchar *bits = image_.constScanLine(y);
        const bool lsbFirst = image_.format() == QImage::Format_MonoLSB;
        for (std::size_t x = 0; x < row_.size(); ++x) {
            const unsigned shift = lsbFirst ? (x & 7) : 7 - (x & 7);
            row_[x] = colour_[(bits[x >> 3] >> shift) & 1];
        }
        return row_;
    }
    const auto *line = reinterpret_cast<const QRgb *>(image_.constScanLine(y));
    for (std::size_t x = 0; x < row_.size(); ++x)
        row_[x] = colorValue(line[x]);
    return row_;
}

ImageSurface::ImageSurface(QImage &image, QRgb background) : image_(image), background_(background) { }

void ImageSurface::clear()
{
    image_.fill(background_);
}

void ImageSurface::setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors)
{
    if (y < 0 || y >= image_.height())
        return;
    // Only the part of the run that lies on the image.
    const std::int64_t first = std::max<std::int64_t>(x, 0);
    const std::int64_t end = std::min<std::int64_t>(static_cast<std::int64_t>(x) + static_cast<std::int64_t>(colors.size()),
                                                    image_.width());
    if (first >= end)
        return;
    auto *line = reinterpret_cast<QRgb *>(image_.scanLine(y));
    const std::int32_t *from = colors.data() + (first - x);
    for (std::int64_t column = first; column < end; ++column, ++from) {
        const auto c = static_cast<std::uint32_t>(*from);
        line[column] = 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
    }
}

} // namespace quellbit
