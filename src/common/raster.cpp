#include "common/raster.h"

#include "common/checked.h"

#include <algorithm>
#include <cstddef>

namespace quellbit {

PixelRaster::PixelRaster(std::int32_t width, std::int32_t height, std::int32_t fill)
    : width_(width), height_(height),
      pixels_(static_cast<std::size_t>(checked::mul32(std::max(width, 0), std::max(height, 0))), fill)
{
}

std::span<const std::int32_t> PixelRaster::row(std::int32_t y) const
{
    return std::span(pixels_).subspan(static_cast<std::size_t>(y) * static_cast<std::size_t>(width_),
                                      static_cast<std::size_t>(width_));
}

std::span<std::int32_t> PixelRaster::writableRow(std::int32_t y)
{
    return std::span(pixels_).subspan(static_cast<std::size_t>(y) * static_cast<std::size_t>(width_),
                                      static_cast<std::size_t>(width_));
}

} // namespace quellbit
