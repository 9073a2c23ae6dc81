#pragma once

// Telling a picture's format from its first bytes, whatever its name says.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quellbit {

enum class PictureFormat { Png, Bitmap, Netpbm, Jpeg, Gif, Webp, Other };

struct FormatGuess {
    PictureFormat format = PictureFormat::Other;
    // What the bytes seem to be, for messages: "a PNG picture", "a JPEG
    // picture", "an empty file", "a text file"; for bytes nothing matches,
    // "an unknown kind of file (it begins with 00 11 22 33)".
    std::string description;
};

FormatGuess guessFormat(std::span<const std::uint8_t> bytes);

// What a file that is no bitmap at all seems to be ("a JPEG picture", "a
// text file"); nothing for a bitmap, an empty file, or bytes of no known
// kind, which are read as a bitmap's headers as the window reads them.
std::optional<std::string> otherKind(std::span<const std::uint8_t> bytes);

} // namespace quellbit
