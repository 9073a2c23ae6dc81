// The header read and its acceptance test over arbitrary bytes: any input
// either parses or throws Failure, and the verdict follows the three fields.

#include "common/failure.h"
#include "intake/bitmap_header.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quellbit;
    try {
        const BitmapHeaders h = parseBitmapHeaders(std::span(data, size), "fuzz.bmp");
        const Verdict verdict = judgeHeaders(h.info);
        const bool fits = h.info.biHeight == kPictureHeight && h.info.biWidth == kPictureWidth
            && h.info.biBitCount == 1;
        if ((verdict == Verdict::Accepted) != fits)
            std::abort();
        if (h.paletteRead != (h.info.biBitCount == 1) || (h.paletteRead && h.paletteOffset + 8 > size))
            std::abort();
        (void)describeVerdict(verdict, h.info);
        (void)describePicture(h.info);
    } catch (const Failure &) {
    }
    return 0;
}
