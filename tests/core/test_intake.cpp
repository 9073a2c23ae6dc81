// The picture intake: the header read and acceptance test, the decoder over
// hostile and real files, one read of one buffer, the info report, careful
// file reading and the inputs the fuzzers once found.

#include "common/failure.h"
#include "common/input_file.h"
#include "convert/scan.h"
#include "intake/picture_intake.h"
#include "intake/picture_report.h"
#include "preview/plot.h"
#include "support/check.h"
#include "support/hostile_files.h"
#include "support/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

using namespace quellbit;
using testbmp::Layout;
using testbmp::Outcome;

namespace {

const testbmp::Rgb kFirst {0x11, 0x22, 0x33, 0x00};
const testbmp::Rgb kSecond {0xC0, 0xB0, 0xA0, 0xFF};

std::span<const std::uint8_t> bytesOf(const std::string &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()};
}

// Item k (from 0) of the stream as written in the text: line k / 8, item k % 8.
int item(const std::string &text, int k)
{
    return std::stoi(text.substr(std::size_t(k / 8 * 45 + 11 + k % 8 * 4), 2), nullptr, 16);
}

PictureStatus statusFor(Outcome outcome)
{
    return outcome == Outcome::Converted ? PictureStatus::Accepted
        : outcome == Outcome::Rejected   ? PictureStatus::Rejected
                                         : PictureStatus::Broken;
}

} // namespace

// Every hostile file through the intake, as the window and the command line
// take it: the outcome, the exact reason, and for a converted picture every
// pixel in the colour of its table entry. The info report on the same bytes
// comes to the same verdict.
TEST_CASE(hostileInput)
{
    ::alarm(60); // a named pipe that made the intake wait ends the run here
    for (const testbmp::HostileCase &c : testbmp::hostileCases()) {
        ROW(c.name);
        testbmp::TempFolder dir;
        const std::string path = dir.file("x.bmp");
        if (!CHECK(testbmp::place(c, path)))
            continue;
        try {
            const PictureIntake intake = takePicture(path);
            if (c.outcome == Outcome::Rejected) {
                CHECK(intake.verdict != Verdict::Accepted);
                CHECK_EQ(intake.raster.width(), 0);
                if (!c.reason.empty())
                    CHECK_EQ(describeVerdict(intake.verdict, intake.headers.info), c.reason);
                continue;
            }
            if (!CHECK(c.outcome == Outcome::Converted) || !CHECK(intake.verdict == Verdict::Accepted)
                || !CHECK_EQ(intake.raster.width(), 240) || !CHECK_EQ(intake.raster.height(), 128))
                continue;
            CHECK_EQ(colorValue(intake.headers.palette0), c.color0);
            CHECK_EQ(colorValue(intake.headers.palette1), c.color1);
            for (int y = 0; y < 128; ++y)
                for (int x = 0; x < 240; ++x)
                    if (!CHECK_EQ(intake.raster.row(y)[std::size_t(x)], c.entry(x, y) ? c.color1 : c.color0)) {
                        y = 128;
                        break;
                    }
        } catch (const Failure &failure) {
            CHECK(c.outcome == Outcome::Broken || c.outcome == Outcome::NotRegular);
            CHECK_EQ(failure.file(), path);
            CHECK_EQ(failure.reason(), c.reason);
        }
        if (c.kind == testbmp::Kind::Bytes) {
            const PictureReport report = reportPicture(bytesOf(c.bytes), "x.bmp");
            CHECK(report.status == statusFor(c.outcome));
            if (c.outcome == Outcome::Broken)
                CHECK_EQ(report.text.substr(report.text.size() - c.reason.size() - 1), c.reason + "\n");
        }
    }
    ::alarm(0);
}

// The header read: where Palette0 and Palette1 come from, and which files
// have them read at all. Both entries hold distinct colours, so an entry
// read from the wrong place shows.
TEST_CASE(headerRead)
{
    struct Row { const char *name; std::string bytes; Verdict verdict; std::uint64_t paletteOffset; };
    const auto build = [](std::int32_t width, std::int16_t bits, std::uint32_t infoSize) {
        return testbmp::build({.width = width, .bitCount = bits, .infoSize = infoSize, .palette = {kFirst, kSecond}});
    };
    using enum Verdict;
    for (const Row &row : std::initializer_list<Row> {
             {"another 1-bit size: rejected, table read", build(320, 1, 40), WrongWidth, 54},
             {"4 bits: rejected, no table read", build(240, 4, 40), WrongBitCount, 0},
             {"8 bits, headers alone: read", build(240, 8, 40).substr(0, 54), WrongBitCount, 0},
             {"biSize 200, of no known kind: table after it, at 214", build(240, 1, 200), Accepted, 214},
             {"biSize 12 in a 40-byte layout: entries from byte 54", testbmp::withField(build(240, 1, 40), 14, 12),
              Accepted, 54}}) {
        ROW(row.name);
        const BitmapHeaders h = parseBitmapHeaders(bytesOf(row.bytes), "x.bmp");
        CHECK(judgeHeaders(h.info) == row.verdict);
        CHECK_EQ(h.paletteRead ? h.paletteOffset : 0, row.paletteOffset);
        CHECK_EQ(colorValue(h.palette0), row.paletteOffset ? 0x332211 : 0);
        CHECK_EQ(colorValue(h.palette1), row.paletteOffset ? 0xA0B0C0 : 0);
    }
}

// Bitmaps as common tools write them (tests/data, see the README beside
// them). Expected items worked out by hand from the files' own bytes: rows
// are stored bottom row first, 32 bytes each, leftmost dot in the high bit;
// item 30 y + g is row y, group g, leftmost dot in bit 0. -1: every item.
TEST_CASE(realBitmaps)
{
    struct Row { const char *name, *file; int byte, normal; };
    for (const Row &row : std::initializer_list<Row> {
             // Table black, white at 138, pixels at 146. 146 holds 7F: dot 0 black.
             {"GIMP, 124-byte header: bottom-left dot black", "gimp_v5_shape.bmp", 3810, 0x01},
             // Table black, white at 122. 130 + 52 * 32 + 4 holds 15: dots 32, 33, 34, 36, 38 black.
             {"ImageMagick, 108-byte header: row 75 group 4", "imv4_text.bmp", 2254, 0x57},
             // Table black, white with reserved byte FF; every stored byte AA.
             {"Pillow, reserved byte FF", "pil_vstripes.bmp", -1, 0xAA},
             // One entry (white); every pixel 0. Entry 1 as read: pixel bytes 00, black.
             {"GIMP, one-entry table: every dot on", "gimp_v5_blank.bmp", -1, 0xFF},
             // biClrUsed 0: black, white; every pixel 1 (white), padding 00.
             {"netpbm, biClrUsed 0: no dot on", "nb_allwhite.bmp", -1, 0x00}}) {
        ROW(row.name);
        const PictureIntake intake = takePicture(std::string(QUELLBIT_TEST_DATA "/") + row.file);
        if (!CHECK(intake.verdict == Verdict::Accepted))
            continue;
        const std::string normal = convertToText(intake.raster, colorValue(intake.headers.palette0));
        const std::string inverse = convertToText(intake.raster, colorValue(intake.headers.palette1));
        if (!CHECK_EQ(normal.size(), std::size_t(21600)))
            continue;
        for (int k = 0; k < 3840; ++k) {
            if (!CHECK_EQ(item(normal, k) ^ item(inverse, k), 0xFF)) // the table read at the right place
                break;
            if ((row.byte < 0 || k == row.byte) && !CHECK_EQ(item(normal, k), row.normal))
                break;
        }
    }
}

// The file is opened once and judged and decoded from that one read; a file
// replaced between two intakes gives each intake the file it read.
TEST_CASE(oneReadOfOneBuffer)
{
    testbmp::TempFolder dir;
    const std::string path = dir.file("x.bmp");
    Layout first {.palette = {kFirst, kSecond}, .pixel = [](int x, int y) { return x == 7 && y == 0; }};
    Layout second {.palette = {kSecond, kFirst}, .pixel = [](int x, int y) { return x == 0 && y == 127; }};
    REQUIRE(testbmp::save(path, testbmp::build(first)));
    PictureIntake intake;
    CHECK_EQ(testbmp::opensDuring(path, [&] { intake = takePicture(path); }), 1);
    CHECK_EQ(testbmp::opensDuring(path, [&] { (void)reportPicture(path); }), 1);
    CHECK_EQ(intake.raster.row(0)[7], 0xA0B0C0);
    CHECK_EQ(intake.raster.row(0)[6], 0x332211);

    REQUIRE(testbmp::save(path, testbmp::build(second)));
    intake = takePicture(path);
    CHECK(intake.verdict == Verdict::Accepted);
    CHECK_EQ(colorValue(intake.headers.palette0), 0xA0B0C0);
    CHECK_EQ(intake.raster.row(127)[0], 0x332211);
    CHECK_EQ(intake.raster.row(0)[7], 0xA0B0C0);
}

// The info report: where things are and why a picture is refused.
TEST_CASE(infoReport)
{
    const std::string bmp = testbmp::build({});
    Layout big {.clrUsed = 256};
    big.palette.resize(256);
    struct Row { const char *name; std::string bytes; PictureStatus status; std::vector<std::string> says; };
    for (const Row &row : std::initializer_list<Row> {
             {"an accepted picture: table, pixels, verdict", bmp, PictureStatus::Accepted,
              {"file:           x.bmp (4,158 bytes)\n", "size:           240 x 128 (bottom-up rows)\n",
               "colour table:   bytes 54 to 61, after the 40-byte info header\n",
               "  entry 0:      #000000, colour value 0: the 1 bits of a Normal conversion\n",
               "  entry 1:      #ffffff, colour value 16,777,215: the 1 bits of an Inverse conversion\n",
               "pixel data:     bytes 62 to 4,157 (bfOffBits 62): 128 rows of 32 bytes, the bottom row first\n",
               "verdict:        accepted\n"}},
             {"a one-entry table: entry 1 is not in the file",
              testbmp::load(QUELLBIT_TEST_DATA "/gimp_v5_blank.bmp"), PictureStatus::Accepted,
              {"colours used:   1 (biClrUsed): a table of 1 entry\n",
               "  entry 1:      not in the file: the table has one entry only\n"
               "                the header read takes bytes 142 to 145 for it: #000000, colour value 0, the 1 bits "
               "of an Inverse conversion\n"}},
             {"a table of 256 entries", testbmp::build(big), PictureStatus::Accepted,
              {"colour table:   bytes 54 to 1,077, after the 40-byte info header\n",
               "  entries 2 to 255: read past, not used\n"}},
             {"a rejected picture: the reason and the limits", testbmp::build({.width = 320}), PictureStatus::Rejected,
              {"verdict:        rejected: width is 320, not 240\n"
               "                Picture Resolution is limit to 240 x 128 pixels (Width x Height) and 2 Colors "
               "Bitmap.\n"}},
             {"24 bits: no table read", testbmp::build({.bitCount = 24, .palette = {}}), PictureStatus::Rejected,
              {"colour table:   not read: the header read takes it from one-bit pictures only\n",
               "pixel data:     from byte 54 (bfOffBits)\n"}},
             {"an OS/2 header", testbmp::withField(bmp, 14, 12), PictureStatus::Broken,
              {"info header:    12 bytes (biSize): too short for a decoder; the header read takes the 40-byte layout\n",
               "colour table:   not placed by an info header of 12 bytes; the header read takes bytes 54 to 61 for "
               "entries 0 and 1\n"}},
             {"a file cut inside the table: the fields that are there", bmp.substr(0, 58), PictureStatus::Broken,
              {"bits per pixel: 1\n", "verdict:        cannot be used: the file ends after 58 bytes, before the end of "
                                      "its two palette entries at byte 62\n"}}}) {
        ROW(row.name);
        const PictureReport report = reportPicture(bytesOf(row.bytes), "x.bmp");
        CHECK(report.status == row.status);
        for (const std::string &says : row.says)
            if (!CHECK(report.text.find(says) != std::string::npos))
                check::fail(__FILE__, __LINE__, "the report reads:\n" + report.text);
    }
}

// A file at the limit is read whole; one byte more is refused unread.
TEST_CASE(inputFileLimit)
{
    testbmp::TempFolder dir;
    const std::string path = dir.file("data");
    REQUIRE(testbmp::save(path, "0123456789"));
    CHECK(readWholeFile(path, 10) == std::vector<std::uint8_t>({'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'}));
    try {
        (void)readWholeFile(path, 9);
        CHECK(!"a file over the limit was read");
    } catch (const Failure &failure) {
        CHECK_EQ(failure.reason(), std::string("the file is 10 bytes long; no file over 9 bytes is read"));
    }
}

// Every input a fuzzer once found, through the fuzzers' entry points: each
// ends normally or with Failure, never with anything else.
TEST_CASE(fuzzFindings)
{
    namespace fs = std::filesystem;
    for (const char *target : {"header", "intake", "datafile"}) {
        const fs::path folder = fs::path(QUELLBIT_TEST_DATA) / "fuzz" / target;
        REQUIRE(fs::is_directory(folder)); // an empty or missing folder would replay nothing
        for (const fs::directory_entry &input : fs::directory_iterator(folder)) {
            ROW(input.path().filename().string());
            const std::string bytes = testbmp::load(input.path().string());
            try {
                if (std::string_view(target) == "datafile") {
                    struct : Surface {
                        void clear() override { }
                        void setPixels(std::int32_t, std::int32_t, std::span<const std::int32_t>) override { }
                    } surface;
                    std::istringstream in(bytes);
                    PlotState state;
                    plotDataStream(in, "fuzz.txt", state, surface, 240, 128);
                } else {
                    (void)reportPicture(bytesOf(bytes), "fuzz.bmp");
                    (void)takePicture(bytesOf(bytes), "fuzz.bmp");
                }
            } catch (const Failure &) {
            }
        }
    }
}

CHECK_MAIN
