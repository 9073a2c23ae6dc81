#include "prepare/picture_format.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace quellbit {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view prefix, std::size_t at = 0)
{
    if (bytes.size() < at + prefix.size())
        return false;
    return std::equal(prefix.begin(), prefix.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
        [](char a, std::uint8_t b) { return static_cast<std::uint8_t>(a) == b; });
}

bool isSpace(std::uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Printable ASCII, white space and well-formed UTF-8 throughout the first
// kilobyte: a text file.
bool looksLikeText(std::span<const std::uint8_t> bytes)
{
    const std::size_t end = std::min<std::size_t>(bytes.size(), 1024);
    for (std::size_t i = 0; i < end;) {
        const std::uint8_t c = bytes[i];
        if (c >= 0x20 && c < 0x7F) {
            ++i;
            continue;
        }
        if (isSpace(c)) {
            ++i;
            continue;
        }
        const std::size_t follow = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : 0;
        if (follow == 0 || c >= 0xF5)
            return false;
        for (std::size_t k = 1; k <= follow; ++k)
            if (i + k < end && (bytes[i + k] & 0xC0) != 0x80)
                return false;
        i += follow + 1;
    }
    return true;
}

// The text of an XML file that is a drawing: "<svg" near its start.
bool looksLikeSvg(std::span<const std::uint8_t> bytes)
{
    const std::size_t end = std::min<std::size_t>(bytes.size(), 4096);
    const std::string_view head(reinterpret_cast<const char *>(bytes.data()), end);
    return head.find("<svg") != std::string_view::npos;
}

FormatGuess other(std::string description)
{
    return {PictureFormat::Other, std::move(description)};
}

} // namespace

FormatGuess guessFormat(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return other("an empty file");
    if (startsWith(bytes, "\x89PNG\r\n\x1A\n") || (bytes.size() < 8 && startsWith(bytes, "\x89PNG")))
        return {PictureFormat::Png, "a PNG picture"};
    if (startsWith(bytes, "BM"))
        return {PictureFormat::Bitmap, "a BMP picture"};
    if (bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '6' && isSpace(bytes[2]))
        return {PictureFormat::Netpbm,
            bytes[1] == '1' || bytes[1] == '4'       ? "a PBM picture"
                : bytes[1] == '2' || bytes[1] == '5' ? "a PGM picture"
                                                     : "a PPM picture"};
    if (startsWith(bytes, "P7") && bytes.size() >= 3 && isSpace(bytes[2]))
        return other("a PAM picture");
    if (startsWith(bytes, "PF") || startsWith(bytes, "Pf"))
        return other("a PFM picture");
    if (startsWith(bytes, "\xFF\xD8\xFF"))
        return other("a JPEG picture");
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a"))
        return other("a GIF picture");
    if (startsWith(bytes, std::string_view("II*\0", 4)) || startsWith(bytes, std::string_view("MM\0*", 4))
        || startsWith(bytes, std::string_view("II+\0", 4)) || startsWith(bytes, std::string_view("MM\0+", 4)))
        return other("a TIFF picture");
    if (startsWith(bytes, "RIFF") && startsWith(bytes, "WEBP", 8))
        return other("a WebP picture");
    if (startsWith(bytes, "ftyp", 4)) {
        if (startsWith(bytes, "avif", 8) || startsWith(bytes, "avis", 8))
            return other("an AVIF picture");
        if (startsWith(bytes, "hei", 8) || startsWith(bytes, "mif1", 8) || startsWith(bytes, "msf1", 8))
            return other("a HEIF picture");
        if (startsWith(bytes, "jp2 ", 8) || startsWith(bytes, "jpx ", 8))
            return other("a JPEG 2000 picture");
        if (startsWith(bytes, "jxl ", 8))
            return other("a JPEG XL picture");
        return other("an ISO media file (a video or a picture container)");
    }
    if (startsWith(bytes, std::string_view("\0\0\0\x0CjP  \r\n\x87\n", 12))
        || startsWith(bytes, "\xFF\x4F\xFF\x51"))
        return other("a JPEG 2000 picture");
    if (startsWith(bytes, std::string_view("\0\0\0\x0CJXL \r\n\x87\n", 12)) || startsWith(bytes, "\xFF\x0A"))
        return other("a JPEG XL picture");
    if (startsWith(bytes, "qoif"))
        return other("a QOI picture");
    if (startsWith(bytes, "8BPS"))
        return other("a PSD picture");
    if (startsWith(bytes, "gimp xcf"))
        return other("an XCF picture");
    if (startsWith(bytes, "DDS "))
        return other("a DDS texture");
    if (startsWith(bytes, "\x76\x2F\x31\x01"))
        return other("an OpenEXR picture");
    if (startsWith(bytes, "farbfeld"))
        return other("a farbfeld picture");
    if (startsWith(bytes, "FORM") && (startsWith(bytes, "ILBM", 8) || startsWith(bytes, "PBM ", 8)))
        return other("an IFF picture");
    if (startsWith(bytes, std::string_view("\0\0\1\0", 4)))
        return other("an icon file");
    if (startsWith(bytes, std::string_view("\0\0\2\0", 4)))
        return other("a cursor file");
    if (startsWith(bytes, "BA") || startsWith(bytes, "CI") || startsWith(bytes, "CP"))
        if (bytes.size() >= 14 && !looksLikeText(bytes))
            return other("an OS/2 bitmap array or icon");
    if (bytes.size() >= 128 && bytes[0] == 0x0A && bytes[1] <= 5 && bytes[2] == 1)
        return other("a PCX picture");
    if (startsWith(bytes, "%PDF"))
        return other("a PDF document");
    if (startsWith(bytes, "%!PS"))
        return other("a PostScript document");
    if (startsWith(bytes, "\x1F\x8B"))
        return other("a gzip-compressed file");
    if (startsWith(bytes, "BZh"))
        return other("a bzip2-compressed file");
    if (startsWith(bytes,
            std::string_view("\xFD"
                             "7zXZ\0",
                6)))
        return other("an xz-compressed file");
    if (startsWith(bytes, "PK\x03\x04"))
        return other("a ZIP archive");
    if (startsWith(bytes,
            "\x7F"
            "ELF"))
        return other("a program (ELF)");
    if (bytes.size() >= 26
        && startsWith(bytes, std::string_view("TRUEVISION-XFILE.\0", 18), bytes.size() - 18))
        return other("a TGA picture");
    if (looksLikeText(bytes)) {
        if (startsWith(bytes, "/* XPM */"))
            return other("an XPM picture");
        if (startsWith(bytes, "#define"))
            return other("an XBM picture");
        if (looksLikeSvg(bytes))
            return other("an SVG drawing");
        if (startsWith(bytes, "        DB "))
            return other("an LCD data file");
        return other("a text file");
    }

    std::string first;
    for (std::size_t i = 0; i < std::min<std::size_t>(bytes.size(), 4); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
        first += (i ? " " : "") + std::string(hex);
    }
    return other("an unknown kind of file (it begins with " + first + ")");
}

} // namespace quellbit
