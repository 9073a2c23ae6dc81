#include "intake/picture_report.h"

#include "common/failure.h"
#include "common/input_file.h"
#include "common/shown_name.h"
#include "intake/picture_intake.h"

#include <algorithm>
#include <cstdio>

namespace quellbit {

namespace {

// Labels and values line up: every label takes 16 characters.
std::string line(const std::string &label, const std::string &value)
{
    std::string text = label.empty() ? "" : label + ":"; // no label: the value goes on
    text.resize(std::max<std::size_t>(text.size() + 1, 16), ' ');
    return text + value + "\n";
}

std::string number(std::int64_t value)
{
    return thousands(value);
}

std::string bytes(std::uint64_t n)
{
    return counted(n, "byte", "bytes");
}

std::string span(std::uint64_t first, std::uint64_t count)
{
    if (count == 0)
        return "no bytes, at byte " + number(static_cast<std::int64_t>(first));
    return "bytes " + number(static_cast<std::int64_t>(first)) + " to "
        + number(static_cast<std::int64_t>(first + count - 1));
}

std::string colour(const RGBQUAD &entry)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "#%02x%02x%02x", entry.rgbRed, entry.rgbGreen, entry.rgbBlue);
    return std::string(hex) + ", colour value " + number(colorValue(entry));
}

std::string signature(std::uint16_t type)
{
    const char first = static_cast<char>(type & 0xFF);
    const char second = static_cast<char>(type >> 8);
    auto printable = [](char c) { return c >= 0x20 && c < 0x7F && c != '"'; };
    if (printable(first) && printable(second))
        return std::string("\"") + first + second + "\" (not judged)";
    char hex[32];
    std::snprintf(hex, sizeof hex, "bytes %02X %02X (not judged)", type & 0xFF, type >> 8);
    return hex;
}

// The fields of the two fixed headers.
std::string headerLines(const BitmapHeaders &h)
{
    const BITMAPINFOHEADER &info = h.info;
    std::string text = line("signature", signature(h.file.bfType));
    text += line("size",
        number(info.biWidth) + " x " + number(info.biHeight)
            + (info.biHeight < 0 ? " (top-down rows)" : " (bottom-up rows)"));
    text += line("bits per pixel", number(info.biBitCount));
    text += line("info header",
        bytes(info.biSize) + " (biSize)"
            + (info.biSize < kInfoHeaderSize
                    ? ": too short for a decoder; the header read takes the 40-byte layout"
                    : ""));
    text += line("planes", number(info.biPlanes) + " (not judged)");
    text
        += line("compression", number(info.biCompression) + " (" + compressionName(info.biCompression, info.biSize) + ")");
    return text;
}

// Where the colour table and the pixels lie, and what the header read takes
// for Palette0 and Palette1 (when it has read them).
std::string layoutLines(const BitmapHeaders &h, const PictureLayout &layout)
{
    const BITMAPINFOHEADER &info = h.info;
    std::string text = line("colours used",
        number(info.biClrUsed) + " (biClrUsed): a table of "
            + counted(layout.tableEntries, "entry", "entries"));
    if (info.biSize < kInfoHeaderSize)
        text += line("colour table",
            "not placed by an info header of " + bytes(info.biSize) + "; the header read takes "
                + span(layout.tableOffset, 8) + " for entries 0 and 1");
    else
        text += line("colour table",
            span(layout.tableOffset, 4 * layout.tableEntries) + ", after the " + number(info.biSize)
                + "-byte info header");
    if (h.paletteRead) {
        text += line("  entry 0", colour(h.palette0) + ": the 1 bits of a Normal conversion");
        if (layout.tableEntries >= 2 || info.biSize < kInfoHeaderSize)
            text += line("  entry 1", colour(h.palette1) + ": the 1 bits of an Inverse conversion");
        else
            text += line("  entry 1", "not in the file: the table has one entry only")
                + line("",
                    "the header read takes " + span(h.paletteOffset + 4, 4) + " for it: " + colour(h.palette1)
                        + ", the 1 bits of an Inverse conversion");
        if (layout.tableEntries > 2)
            text += line("  entries 2 to " + number(static_cast<std::int64_t>(layout.tableEntries - 1)),
                "read past, not used");
    }
    const std::string where = h.file.bfOffBits != 0 ? "(bfOffBits " + number(h.file.bfOffBits) + ")"
                                                    : "(bfOffBits 0: right after the colour table)";
    text += line("pixel data",
        span(layout.pixelOffset, layout.pixelBytes) + " " + where + ": "
            + number(static_cast<std::int64_t>(layout.rows)) + " rows of " + bytes(layout.rowBytes)
            + (info.biHeight < 0 ? ", the top row first" : ", the bottom row first"));
    return text;
}

} // namespace

PictureReport reportPicture(std::span<const std::uint8_t> file, const std::string &name)
{
    PictureReport report;
    report.text = line("file", shownName(name) + " (" + bytes(file.size()) + ")");
    auto verdict = [&report](PictureStatus status, const std::string &text) {
        report.text += line("verdict", text);
        report.status = status;
        return report;
    };

    BitmapHeaders h;
    try {
        h = parseFixedHeaders(file, name);
    } catch (const Failure &failure) {
        return verdict(PictureStatus::Broken, "cannot be used: " + failure.reason());
    }
    report.text += headerLines(h);

    // The palette as the header read takes it; a one-bit file that ends
    // before it is cut short.
    std::string cut;
    try {
        h = parseBitmapHeaders(file, name);
    } catch (const Failure &failure) {
        cut = failure.reason();
    }
    if (h.info.biBitCount == 1) {
        report.text += layoutLines(h, pictureLayout(h));
    } else {
        report.text += line("colour table", "not read: the header read takes it from one-bit pictures only");
        report.text += line("pixel data", "from byte " + number(h.file.bfOffBits) + " (bfOffBits)");
    }
    if (!cut.empty())
        return verdict(PictureStatus::Broken, "cannot be used: " + cut);

    if (const Verdict judged = judgeHeaders(h.info); judged != Verdict::Accepted) {
        verdict(PictureStatus::Rejected, "rejected: " + describeVerdict(judged, h.info));
        report.text += std::string(16, ' ') + limitsMessage() + "\n";
        return report;
    }
    try {
        (void)takePicture(file, name);
    } catch (const Failure &failure) {
        return verdict(PictureStatus::Broken,
            "the headers pass, but the picture cannot be decoded: " + failure.reason());
    }
    return verdict(PictureStatus::Accepted, "accepted");
}

PictureReport reportPicture(const std::string &path)
{
    const std::vector<std::uint8_t> bytes = readWholeFile(path);
    return reportPicture(bytes, path);
}

} // namespace quellbit
