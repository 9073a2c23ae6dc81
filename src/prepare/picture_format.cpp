#include "prepare/picture_format.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

namespace quellbit {

using namespace std::string_view_literals;

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

// Kinds told by fixed bytes at fixed places, the first that matches winning:
// `first` at `firstAt`, and `second` at byte 8 when it is given.
struct Signature {
    std::string_view first;
    std::string_view second;
    const char *description;
    std::size_t firstAt = 0;
};

constexpr Signature kSignatures[] = {
    {"PF", {}, "a PFM picture"},
    {"Pf", {}, "a PFM picture"},
    {"II*\0"sv, {}, "a TIFF picture"},
    {"MM\0*"sv, {}, "a TIFF picture"},
    {"II+\0"sv, {}, "a TIFF picture"},
    {"MM\0+"sv, {}, "a TIFF picture"},
    {"ftyp", "avif", "an AVIF picture", 4},
    {"ftyp", "avis", "an AVIF picture", 4},
    {"ftyp", "hei", "a HEIF picture", 4},
    {"ftyp", "mif1", "a HEIF picture", 4},
    {"ftyp", "msf1", "a HEIF picture", 4},
    {"ftyp", "jp2 ", "a JPEG 2000 picture", 4},
    {"ftyp", "jpx ", "a JPEG 2000 picture", 4},
    {"ftyp", "jxl ", "a JPEG XL picture", 4},
    {"ftyp", {}, "an ISO media file (a video or a picture container)", 4},
    {"\0\0\0\x0CjP  \r\n\x87\n"sv, {}, "a JPEG 2000 picture"},
    {"\xFF\x4F\xFF\x51", {}, "a JPEG 2000 picture"},
    {"\0\0\0\x0CJXL \r\n\x87\n"sv, {}, "a JPEG XL picture"},
    {"\xFF\x0A", {}, "a JPEG XL picture"},
    {"qoif", {}, "a QOI picture"},
    {"8BPS", {}, "a PSD picture"},
    {"gimp xcf", {}, "an XCF picture"},
    {"DDS ", {}, "a DDS texture"},
    {"\x76\x2F\x31\x01", {}, "an OpenEXR picture"},
    {"farbfeld", {}, "a farbfeld picture"},
    {"FORM", "ILBM", "an IFF picture"},
    {"FORM", "PBM ", "an IFF picture"},
    {"\0\0\1\0"sv, {}, "an icon file"},
    {"\0\0\2\0"sv, {}, "a cursor file"},
    {"%PDF", {}, "a PDF document"},
    {"%!PS", {}, "a PostScript document"},
    {"\x1F\x8B", {}, "a gzip-compressed file"},
    {"BZh", {}, "a bzip2-compressed file"},
    {"\xFD"
     "7zXZ\0"sv,
        {}, "an xz-compressed file"},
    {"PK\x03\x04", {}, "a ZIP archive"},
    {"\x7F"
     "ELF",
        {}, "a program (ELF)"},
};

} // namespace

FormatGuess guessFormat(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return other("an empty file");
    if (startsWith(bytes, "\x89PNG\r\n\x1A\n") || (bytes.size() < 8 && startsWith(bytes, "\x89PNG")))
        return {PictureFormat::Png, "a PNG picture"};
    if (startsWith(bytes, "BM"))
        return {PictureFormat::Bitmap, "a BMP picture"};
    if (bytes.size() >= 3 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '6'
        && (isSpace(bytes[2]) || bytes[2] == '#'))
        return {PictureFormat::Netpbm,
            bytes[1] == '1' || bytes[1] == '4'       ? "a PBM picture"
                : bytes[1] == '2' || bytes[1] == '5' ? "a PGM picture"
                                                     : "a PPM picture"};
    if (startsWith(bytes, "\xFF\xD8\xFF"))
        return {PictureFormat::Jpeg, "a JPEG picture"};
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a"))
        return {PictureFormat::Gif, "a GIF picture"};
    if (startsWith(bytes, "RIFF") && startsWith(bytes, "WEBP", 8))
        return {PictureFormat::Webp, "a WebP picture"};
    if (startsWith(bytes, "P7") && bytes.size() >= 3 && (isSpace(bytes[2]) || bytes[2] == '#'))
        return other("a PAM picture");
    for (const Signature &s : kSignatures)
        if (startsWith(bytes, s.first, s.firstAt) && (s.second.empty() || startsWith(bytes, s.second, 8)))
            return other(s.description);
    if (startsWith(bytes, "BA") || startsWith(bytes, "CI") || startsWith(bytes, "CP"))
        if (bytes.size() >= 14 && !looksLikeText(bytes))
            return other("an OS/2 bitmap array or icon");
    if (bytes.size() >= 128 && bytes[0] == 0x0A && bytes[1] <= 5 && bytes[2] == 1)
        return other("a PCX picture");
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
        if (i > 0)
            first += ' ';
        first += hex;
    }
    return other("an unknown kind of file (it begins with " + first + ")");
}

std::optional<std::string> otherKind(std::span<const std::uint8_t> bytes)
{
    FormatGuess guess = guessFormat(bytes);
    if (guess.format == PictureFormat::Bitmap || bytes.empty() || guess.description.starts_with("an unknown kind"))
        return std::nullopt;
    return std::move(guess.description);
}

} // namespace quellbit
