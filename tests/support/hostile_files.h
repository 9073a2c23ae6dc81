#pragma once

// Files a user might pick by mistake or that arrive damaged, each with what
// the intake must make of it: converted, rejected by the acceptance test, a
// failure with the exact reason, or not a regular file at all, and some with
// lines its info report holds. The core tests run the whole table against
// the intake; the front ends take one row of each outcome to show that they
// present it.

#include "support/bmp_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace testbmp {

enum class Outcome { Converted, Rejected, Broken, NotRegular };

// How the case is put on the disk.
enum class Kind { Bytes, NamedPipe, LinkToPipe, Folder, Device, Missing, Oversized };

// The colours of the good picture below: entry 0 ink, entry 1 paper.
inline constexpr Rgb kInk {0x10, 0x20, 0x30, 0};
inline constexpr Rgb kPaper {0xF0, 0xE0, 0xD0, 0xFF};
inline constexpr std::int32_t kInkValue = 0x302010; // red + 256 green + 65536 blue
inline constexpr std::int32_t kPaperValue = 0xD0E0F0;

// Paper everywhere but column 0, row 5 and the bottom-right pixel: no
// symmetry a swapped bit order or a row read upside down could hide.
inline int goodEntry(int x, int y) { return x % 7 == 0 || y == 5 || (x == 239 && y == 127) ? 0 : 1; }
inline int allZero(int, int) { return 0; }

struct HostileCase {
    std::string name; // row name, reads like the rule
    std::string bytes; // the file's content (Kind::Bytes)
    Outcome outcome;
    std::string reason = {}; // Rejected: the verdict's words; Broken, NotRegular: the failure's reason
    std::vector<std::string> says = {}; // lines of the info report on the bytes
    Kind kind = Kind::Bytes;
    // Converted and Rejected: the colour values the header read takes for
    // Palette0 and Palette1 (0 when it reads none); Converted: the entry of
    // each pixel (y = 0 the top row). Those of the good picture unless given.
    std::int32_t color0 = kInkValue, color1 = kPaperValue;
    int (*entry)(int x, int y) = goodEntry;
};

// Puts the case at `path` (a name in a fresh folder). False when that fails.
inline bool place(const HostileCase &c, const std::string &path)
{
    switch (c.kind) {
    case Kind::Bytes:
        return save(path, c.bytes);
    case Kind::NamedPipe:
        return ::mkfifo(path.c_str(), 0600) == 0;
    case Kind::LinkToPipe:
        return ::mkfifo((path + ".pipe").c_str(), 0600) == 0
            && ::symlink((path + ".pipe").c_str(), path.c_str()) == 0;
    case Kind::Folder:
        return ::mkdir(path.c_str(), 0700) == 0;
    case Kind::Device:
        return ::symlink("/dev/zero", path.c_str()) == 0;
    case Kind::Missing:
        return true;
    case Kind::Oversized: // one byte over 64 MiB, without using the disk space
        std::filesystem::resize_file(path, (save(path, ""), 64 * 1024 * 1024 + 1));
        return true;
    }
    return false;
}

inline std::vector<HostileCase> hostileCases()
{
    using enum Outcome;
    const Layout good {.palette = {kInk, kPaper}, .pixel = goodEntry};
    const std::string bmp = build(good); // 62 + 128 * 32 = 4,158 bytes

    auto with = [&good](auto change) {
        Layout layout = good;
        change(layout);
        return build(layout);
    };

    std::vector<HostileCase> cases {
        // Ink is red 10, green 20, blue 30: #102030, colour value 0x302010 = 3,153,936;
        // paper #f0e0d0, 0xD0E0F0 = 13,689,072.
        {"a good picture converts (40-byte info header, biClrUsed 2)", bmp, Converted, "",
            {"file:           x.bmp (4,158 bytes)\n", "size:           240 x 128 (bottom-up rows)\n",
                "  entry 0:      #102030, colour value 3,153,936: the 1 bits of a Normal conversion\n",
                "  entry 1:      #f0e0d0, colour value 13,689,072: the 1 bits of an Inverse conversion\n",
                "pixel data:     bytes 62 to 4,157 (bfOffBits 62): 128 rows of 32 bytes, the bottom row "
                "first\n",
                "verdict:        accepted\n"}},
        {"width 320 is rejected", with([](Layout &l) { l.width = 320; }), Rejected, "width is 320, not 240"},
        {"cut one byte short: the whole rows there are counted", bmp.substr(0, bmp.size() - 1), Broken,
            "the pixel data ends after row 127 of 128 (4,095 of 4,096 bytes)"},
        {"a symlink to a named pipe is refused at once", "", NotRegular,
            "not a regular file (a named pipe)", {}, Kind::LinkToPipe},
        {"a folder", "", NotRegular, "not a regular file (a folder)", {}, Kind::Folder},
        {"a symlink to a device", "", NotRegular, "not a regular file (a device)", {}, Kind::Device},
        {"a missing file", "", Broken, "cannot be opened for reading: No such file or directory", {},
            Kind::Missing},
        {"one byte over 64 MiB", "", Broken,
            "the file is 67,108,865 bytes long; no file over 67,108,864 bytes (64 MiB) is read", {},
            Kind::Oversized},

        {"empty file", "", Broken, "the file ends after 0 bytes; a bitmap's two headers take 54 bytes"},
        {"cut after 1 byte", bmp.substr(0, 1), Broken,
            "the file ends after 1 byte; a bitmap's two headers take 54 bytes"},
        {"cut one byte short of the info header", bmp.substr(0, 53), Broken,
            "the file ends after 53 bytes; a bitmap's two headers take 54 bytes"},
        {"cut inside the second table entry: the fields there are reported", bmp.substr(0, 61), Broken,
            "the file ends after 61 bytes, before the end of its two palette entries at byte 62",
            {"bits per pixel: 1\n", "verdict:        cannot be used: "}},
        {"biSize 4,294,967,295 does not wrap around", withField(bmp, 14, 0xFFFFFFFF), Broken,
            "the file ends after 4,158 bytes, before the end of its two palette entries at byte "
            "4,294,967,317"},

        {"huge dimensions: the height is judged first",
            withField(withField(bmp, 18, 0x7FFFFFFF), 22, 0x7FFFFFFF), Rejected,
            "height is 2,147,483,647, not 128"},
        {"top-down rows", withField(bmp, 22, std::uint32_t(-128)), Rejected,
            "height is -128, not 128 (top-down rows are not accepted)"},
        {"bit count 0", withField(bmp, 28, 0, 2), Rejected, "bit count is 0, not 1", {}, Kind::Bytes, 0, 0},
        {"bit count -1: the table there is not read", withField(bmp, 28, 0xFFFF, 2), Rejected,
            "bit count is -1, not 1", {}, Kind::Bytes, 0, 0},
        {"24 bits per pixel, the headers alone: no table read",
            with([](Layout &l) { l.bitCount = 24, l.palette = {}; }).substr(0, 54), Rejected,
            "bit count is 24, not 1",
            {"colour table:   not read: the header read takes it from one-bit pictures only\n",
                "pixel data:     from byte 54 (bfOffBits)\n",
                "verdict:        rejected: bit count is 24, not 1\n                Picture Resolution is "
                "limit to 240 x 128 pixels (Width x Height) and 2 Colors Bitmap.\n"},
            Kind::Bytes, 0, 0},
        // A PNG's IHDR puts 00 F0 00 00 where biWidth is read and 00 80 01 00
        // (height 128 big-endian, depth 1, colour type 0) where biHeight is.
        {"a PNG named .bmp",
            std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\xF0\0\0\0\x80\x01\0\0\0\0", 29)
                + std::string(40, '\0'),
            Rejected, "height is 98,304, not 128", {}, Kind::Bytes, 0, 0},

        // 14..25: 0C000000 F000 8000 0100 0100, then a 3-byte colour table:
        // biHeight reads 01 00 01 00, biBitCount 00 FF (-256).
        {"an OS/2 bitmap as ImageMagick writes it", load(QUELLBIT_TEST_DATA "/im_os2.bmp"), Rejected,
            "height is 65,537, not 128", {}, Kind::Bytes, 0, 0},
        {"signature XY and biPlanes 30,000 convert: neither is judged",
            withField(with([](Layout &l) { l.signature[0] = 'X', l.signature[1] = 'Y'; }), 26, 30000, 2),
            Converted},
        {"biPlanes 0 converts", withField(bmp, 26, 0, 2), Converted},
        {"an info header of 12 bytes: the header read takes the entries from byte 54", withField(bmp, 14, 12),
            Broken, "an info header of 12 bytes is too short to decode; a one-bit picture needs one of 40 "
            "bytes or more",
            {"info header:    12 bytes (biSize): too short for a decoder; the header read takes the 40-byte "
             "layout\n",
                "colour table:   not placed by an info header of 12 bytes; the header read takes bytes 54 to "
                "61 for entries 0 and 1\n",
                "  entry 0:      #102030, colour value 3,153,936"}},

        {"biClrUsed 0 means two entries", withField(bmp, 46, 0), Converted},
        {"biClrUsed 1, every pixel entry 0",
            with([](Layout &l) { l.clrUsed = 1, l.palette = {kPaper}, l.pixel = allZero; }),
            // Entry 1 as the header read takes it: the first four pixel bytes, 00.
            Converted, "",
            {"colours used:   1 (biClrUsed): a table of 1 entry\n",
                "  entry 1:      not in the file: the table has one entry only\n                the header "
                "read takes bytes 58 to 61 for it: #000000, colour value 0, the 1 bits of an Inverse "
                "conversion\n"},
            Kind::Bytes, kPaperValue, 0, allZero},
        {"biClrUsed 1, entry 1 used: the first such pixel from the top left is named",
            with([](Layout &l) {
                l.clrUsed = 1, l.palette = {kPaper};
                l.pixel = [](int x, int y) { return y == 127 ? x == 0 : y == 1 && (x == 3 || x == 200); };
            }),
            Broken,
            "pixel (3, 1) from the top left uses colour table entry 1, but the table has one entry only"},
        {"biClrUsed 256, entries 0 and 1 used", with([](Layout &l) {
            l.clrUsed = 256;
            l.palette.resize(256, Rgb {0x55, 0x66, 0x77, 0});
        }),
            Converted, "",
            {"colour table:   bytes 54 to 1,077, after the 40-byte info header\n",
                "  entries 2 to 255: read past, not used\n"}},
        {"biClrUsed 256 with the pixels at byte 62", withField(bmp, 46, 256), Broken,
            "the colour table of 256 entries runs past the pixel data at byte 62"},
        {"biClrUsed 257", withField(bmp, 46, 257), Broken,
            "the colour table lists 257 entries; a colour table has at most 256"},
        {"cut inside a table of 256 entries", withField(bmp, 46, 256).substr(0, 500), Broken,
            "the file ends after 500 bytes, inside the colour table of 256 entries (bytes 54 to 1,077)"},

        {"bfOffBits 0: the pixels follow the table", withField(bmp, 10, 0), Converted},
        {"bfOffBits beyond a gap", with([](Layout &l) { l.gap = 38; }), Converted},
        {"bfOffBits inside the headers", withField(bmp, 10, 20), Broken,
            "the pixel data at byte 20 starts inside the headers, before the colour table at byte 54"},
        {"bfOffBits beyond the end", withField(bmp, 10, 0xFFFFFFFF), Broken,
            "the file ends after 4,158 bytes, before its pixel data at byte 4,294,967,295"},
    };

    for (const std::uint32_t size : {52, 56, 64, 66, 108, 124})
        cases.push_back({"an info header of " + std::to_string(size) + " bytes: the table follows it",
            with([size](Layout &l) { l.infoSize = size; }), Converted});

    const std::pair<std::uint32_t, const char *> compressions[]
        = {{1, "RLE8"}, {2, "RLE4"}, {3, "bit fields"}, {4, "JPEG"}, {5, "PNG"}, {6, "alpha bit fields"},
            {7, "unknown"}, {11, "CMYK"}, {12, "CMYK RLE8"}, {13, "CMYK RLE4"}, {4294967295u, "unknown"}};
    for (const auto &[value, name] : compressions) {
        std::string number = value == 4294967295u ? "4,294,967,295" : std::to_string(value);
        cases.push_back({"compression " + number, withField(bmp, 30, value), Broken,
            "compression " + number + " (" + name + ") is not defined for one-bit pictures"});
    }
    cases.push_back({"compression 4 under the 64-byte OS/2 header",
        withField(with([](Layout &l) { l.infoSize = 64; }), 30, 4), Broken,
        "compression 4 (RLE24) is not defined for one-bit pictures", {"compression:    4 (RLE24)\n"}});

    return cases;
}

} // namespace testbmp
