// The Gif decoder of prepare over arbitrary bytes: GIF (giflib): the screen's and each frame's claims, interlacing, frames drawn one over another.
// Whatever the bytes, it hands on a size prepare allows and then rows of
// exactly that width, each row once at most, or throws a Failure; memory
// stays within what the decoder checks before it allocates.

#include "checked_rows.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzing::CheckedRows rows;
    try {
        quellbit::decodeGif(std::span(data, size), "fuzz.pic", rows, 1 + static_cast<int>(size % 3));
    } catch (const quellbit::Failure &) {
    }
    return 0;
}
