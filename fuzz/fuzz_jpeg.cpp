// The Jpeg decoder of prepare over arbitrary bytes: JPEG (libjpeg): the frame header's claims, progressive scans, EXIF orientation.
// Whatever the bytes, it hands on a size prepare allows and then rows of
// exactly that width, each row once at most, or throws a Failure; memory
// stays within what the decoder checks before it allocates.

#include "checked_rows.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzzing::CheckedRows rows;
    try {
        quellbit::decodeJpeg(std::span(data, size), "fuzz.pic", rows);
    } catch (const quellbit::Failure &) {
    }
    return 0;
}
