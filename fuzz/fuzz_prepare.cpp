// prepare over arbitrary file bytes: format guess, the PNG, BMP and netpbm
// decoders, scaling and toning. Whatever the bytes, the result is 240 x 128
// dots of 0 or 1, and the bitmap made of them is one the intake accepts and
// decodes to those same dots. The size of the input picks the sizing and
// the tone, so every path is driven.

#include "common/failure.h"
#include "intake/picture_intake.h"
#include "prepare/prepare.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellbit;
    PrepareOptions options;
    options.sizing = static_cast<Sizing>(size % 4);
    options.cropX = static_cast<std::int32_t>(size % 7) - 3;
    options.cropY = static_cast<std::int32_t>(size % 5) - 2;
    options.tone = static_cast<Tone>(size / 4 % 4);
    options.threshold = static_cast<int>(size % 100) + 1;
    options.invert = size / 16 % 2 == 1;
    PreparedPicture prepared;
    try {
        prepared = preparePicture(std::span(data, size), "fuzz.pic", options);
    } catch (const Failure &) {
        return 0;
    }
    if (prepared.black.size() != 240 * 128)
        std::abort();
    const std::string file = prepared.bitmap();
    const PictureIntake intake = takePicture(
        std::span(reinterpret_cast<const std::uint8_t *>(file.data()), file.size()), "prepared.bmp");
    if (intake.verdict != Verdict::Accepted)
        std::abort();
    for (std::int32_t y = 0; y < 128; ++y)
        for (std::int32_t x = 0; x < 240; ++x) {
            const std::uint8_t dot = prepared.black[static_cast<std::size_t>(y * 240 + x)];
            if (dot > 1 || (intake.raster.row(y)[static_cast<std::size_t>(x)] == 0) != (dot == 1))
                std::abort();
        }
    return 0;
}
