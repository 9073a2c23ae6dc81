#include "imaging/bitmap_image.h"

#include <algorithm>

namespace quellbit {

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
