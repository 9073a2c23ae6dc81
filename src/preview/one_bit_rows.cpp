#include "common/failure.h"
#include "preview/png_encoder.h"

namespace quellbit {

OneBitRows packOneBitRows(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> index)
{
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767
        || index.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        throw Failure({}, "no PNG of " + std::to_string(width) + " x " + std::to_string(height)
                              + " pixels can be made from " + std::to_string(index.size()) + " dots");
    const auto columns = static_cast<std::size_t>(width);
    OneBitRows rows;
    rows.rowBytes = (columns + 7) / 8;
    rows.bytes.resize(rows.rowBytes * static_cast<std::size_t>(height));
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
        for (std::size_t x = 0; x < columns; ++x)
            if (index[y * columns + x] != 0)
                rows.bytes[y * rows.rowBytes + x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    return rows;
}

} // namespace quellbit
