// The browser page's build, which has none of the picture libraries: the
// browser decodes PNG, JPEG, GIF and WebP pictures and hands the page their
// pixels, so a file of those kinds given to the core is a failure that says
// so.

#include "common/failure.h"
#include "prepare/decoders.h"

namespace quellbit {

namespace {

[[noreturn]] void decodedByTheBrowser(const std::string &name, const char *kind)
{
    throw Failure(name, std::string("a ") + kind + " picture; this build reads " + kind
                            + " pictures through the browser");
}

} // namespace

void decodePng(std::span<const std::uint8_t>, const std::string &name, PictureRows &)
{
    decodedByTheBrowser(name, "PNG");
}

void decodeJpeg(std::span<const std::uint8_t>, const std::string &name, PictureRows &)
{
    decodedByTheBrowser(name, "JPEG");
}

void decodeGif(std::span<const std::uint8_t>, const std::string &name, PictureRows &, int)
{
    decodedByTheBrowser(name, "GIF");
}

void decodeWebp(std::span<const std::uint8_t>, const std::string &name, PictureRows &, int)
{
    decodedByTheBrowser(name, "WebP");
}

} // namespace quellbit
