// A build without libpng (the browser page, whose browser draws PNG
// itself): asking for a PNG is a failure that says so.

#include "preview/png_encoder.h"

#include "common/failure.h"

namespace quellbit {

std::string encodeTwoColourPng(std::int32_t, std::int32_t, const std::array<std::int32_t, 2> &,
                               std::span<const std::uint8_t>)
{
    throw Failure("PNG", "this build writes no PNG files");
}

} // namespace quellbit
