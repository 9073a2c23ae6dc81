// A build without libpng (the browser page, whose browser decodes PNG
// itself): a PNG picture is a failure that says so.

#include "common/failure.h"
#include "prepare/decoders.h"

namespace quellbit {

void decodePng(std::span<const std::uint8_t>, const std::string &name, PictureRows &)
{
    throw Failure(name, "a PNG picture; this build reads PNG pictures through the browser");
}

} // namespace quellbit
