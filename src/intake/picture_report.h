#pragma once

// The whole story of one picture file, for `info`: what its headers say,
// where its colour table and pixels lie, what the header read takes for
// Palette0 and Palette1, and the verdict with its reason: accepted,
// rejected by the acceptance test, or not usable (cut short, or a picture
// the decoder refuses). Front ends only print the text.

#include <cstdint>
#include <span>
#include <string>

namespace quellbit {

enum class PictureStatus {
    Accepted, // the picture converts
    Rejected, // the acceptance test refuses it (the limits message)
    Broken, // cut short, or the headers pass and the pixels cannot be decoded
};

struct PictureReport {
    // Lines of "label: value", each ending in "\n"; the last is the verdict.
    std::string text;
    PictureStatus status = PictureStatus::Accepted;
};

// The report on the bytes of a whole file; `name` is shown as the file.
PictureReport reportPicture(std::span<const std::uint8_t> bytes, const std::string &name);

// Reads the file at `path` once and reports on it. Throws Failure naming the
// file when it cannot be read (missing, not a regular file, over 64 MiB).
PictureReport reportPicture(const std::string &path);

} // namespace quellbit
