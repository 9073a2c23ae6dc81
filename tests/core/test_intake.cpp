// The picture intake: the header read and acceptance test, the decoder over
// hostile and real files, one read of one buffer, the info report, careful
// file reading.

#include "common/failure.h"
#include "common/input_file.h"
#include "convert/scan.h"
#include "intake/picture_intake.h"
#include "intake/picture_report.h"
#include "support/hostile_files.h"
#include "support/files.h"

#include <doctest/doctest.h>

#include <fcntl.h>
#include <unistd.h>

#include <functional>

using namespace quellbit;
using testbmp::kInk;
using testbmp::kInkValue;
using testbmp::kPaper;
using testbmp::kPaperValue;
using testbmp::Outcome;

namespace {

std::span<const std::uint8_t> bytesOf(const std::string &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size()};
}

// Item k (from 0) of the stream as written in the text: line k / 8, item k % 8.
int item(const std::string &text, int k)
{
    return std::stoi(text.substr(std::size_t(k / 8 * 45 + 11 + k % 8 * 4), 2), nullptr, 16);
}

} // namespace

// Every hostile file through the intake, as the window and the command line
// take it: the outcome, the exact reason, Palette0 and Palette1 as the header
// read takes them (also from a rejected picture, and only from a one-bit
// one), and for a converted picture every pixel in the colour of its table
// entry. The info report on the same bytes comes to the same verdict and
// holds the lines the row names.
TEST_CASE("hostile input")
{
    ::alarm(60); // a named pipe that made the intake wait ends the run here
    for (const testbmp::HostileCase &c : testbmp::hostileCases()) {
        INFO(c.name);
        testbmp::TempFolder dir;
        const std::string path = dir.file("x.bmp");
        if (!CHECK(testbmp::place(c, path)))
            continue;
        PictureStatus status = PictureStatus::Broken; // as the intake came out
        try {
            const PictureIntake intake = takePicture(path);
            status = intake.verdict == Verdict::Accepted ? PictureStatus::Accepted : PictureStatus::Rejected;
            CHECK_EQ(colorValue(intake.headers.palette0), c.color0);
            CHECK_EQ(colorValue(intake.headers.palette1), c.color1);
            if (c.outcome == Outcome::Rejected) {
                CHECK(intake.verdict != Verdict::Accepted);
                CHECK_EQ(intake.raster.width(), 0);
                CHECK_EQ(describeVerdict(intake.verdict, intake.headers.info), c.reason);
            } else if (CHECK(c.outcome == Outcome::Converted) && CHECK(intake.verdict == Verdict::Accepted)
                       && CHECK_EQ(intake.raster.width(), 240) && CHECK_EQ(intake.raster.height(), 128)) {
                int wrong = 0; // pixels not in the colour of their table entry
                for (int y = 0; y < 128; ++y)
                    for (std::size_t x = 0; x < 240; ++x)
                        wrong += intake.raster.row(y)[x] != (c.entry(int(x), y) ? c.color1 : c.color0);
                CHECK_EQ(wrong, 0);
            }
        } catch (const Failure &failure) {
            CHECK((c.outcome == Outcome::Broken || c.outcome == Outcome::NotRegular));
            CHECK_EQ(failure.file(), path);
            CHECK_EQ(failure.reason(), c.reason);
        }
        if (c.kind == testbmp::Kind::Bytes) {
            const PictureReport report = reportPicture(bytesOf(c.bytes), "x.bmp");
            CHECK(report.status == status);
            if (c.outcome == Outcome::Broken)
                CHECK_EQ(report.text.substr(report.text.size() - c.reason.size() - 1), c.reason + "\n");
            INFO("the report reads:\n", report.text);
            for (const std::string &says : c.says)
                CHECK(report.text.find(says) != std::string::npos);
        }
    }
    ::alarm(0);
}

// Bitmaps as common tools write them (tests/data, see the README beside
// them). Expected items worked out by hand from the files' own bytes: rows
// are stored bottom row first, 32 bytes each, leftmost dot in the high bit;
// item 30 y + g is row y, group g, leftmost dot in bit 0. -1: every item.
TEST_CASE("real bitmaps")
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
        INFO(row.name);
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
TEST_CASE("one read of one buffer")
{
    testbmp::TempFolder dir;
    const std::string path = dir.file("x.bmp");
    REQUIRE(testbmp::save(path, testbmp::build({.palette = {kInk, kPaper}}))); // every pixel entry 0
    CHECK_EQ(testbmp::opensDuring(path, [&] { (void)takePicture(path); }), 1);
    CHECK_EQ(testbmp::opensDuring(path, [&] { (void)reportPicture(path); }), 1);
    REQUIRE(testbmp::save(path, testbmp::build({.palette = {kPaper, kInk}})));
    const PictureIntake intake = takePicture(path);
    REQUIRE_EQ(intake.raster.width(), 240);
    CHECK_EQ(intake.raster.row(0)[0], kPaperValue);
}

// A file at the limit is read whole; one byte more is refused unread (the
// hostile row of one byte over 64 MiB). Standard input is held to the same
// limit: a file redirected into it from where it stands, a pipe as it comes.
TEST_CASE("input file limit")
{
    testbmp::TempFolder dir;
    REQUIRE(testbmp::save(dir.file("10"), "0123456789"));
    REQUIRE(testbmp::save(dir.file("11"), "0123456789A"));
    const auto redirected = [&](const char *name, off_t at) {
        const int fd = ::open(dir.file(name).c_str(), O_RDONLY);
        ::lseek(fd, at, SEEK_SET);
        return fd;
    };
    struct Row {
        const char *name;
        std::string path;
        std::function<int()> input; // standard input, for the path "-"
        std::string outcome;        // the bytes read, or the refusal
    };
    for (const Row &row : std::initializer_list<Row> {
             {"a file at the limit", dir.file("10"), nullptr, "0123456789"},
             {"a file one byte over", dir.file("11"), nullptr,
              dir.file("11") + ": the file is 11 bytes long; no file over 10 bytes is read"},
             {"a pipe at the limit", "-", [] { return testbmp::pipeHolding("0123456789"); }, "0123456789"},
             {"a pipe one byte over", "-", [] { return testbmp::pipeHolding("0123456789A"); },
              "standard input: more than 10 bytes arrive; no more is read"},
             {"a redirected file one byte over", "-", [&] { return redirected("11", 0); },
              "standard input: the file is 11 bytes long; no file over 10 bytes is read"},
             {"a redirected file read from where it stands", "-", [&] { return redirected("11", 1); },
              "123456789A"}}) {
        INFO(row.name);
        const auto read = [&] {
            try {
                const std::vector<std::uint8_t> bytes = readWholeFile(row.path, 10);
                return std::string(bytes.begin(), bytes.end());
            } catch (const Failure &failure) {
                return std::string(failure.what());
            }
        };
        CHECK_EQ(row.input ? testbmp::withStandardInput(row.input(), read) : read(), row.outcome);
    }
}

// A file whose head settles it is read no further; one whose head does
// not, or no longer than a head, is read whole. The intake's head settles
// a bitmap its headers refuse, and nothing else.
TEST_CASE("a head that settles the file")
{
    testbmp::TempFolder dir;
    const std::string tall = testbmp::build({.height = 4096}); // 30 bytes a row: far over a head
    const std::string good = testbmp::build({});
    REQUIRE(testbmp::save(dir.file("tall.bmp"), tall));
    REQUIRE(testbmp::save(dir.file("good.bmp"), good));
    struct Row {
        const char *name;
        const char *file;
        bool settles;
        std::size_t read;
        bool asked;
    };
    for (const Row &row : std::initializer_list<Row> {{"a long file its head settles", "tall.bmp", true, kHeadBytes, true},
             {"a long file its head leaves open", "tall.bmp", false, tall.size(), true},
             {"a file no longer than a head", "good.bmp", true, good.size(), false}}) {
        INFO(row.name);
        InputFile file(dir.file(row.file));
        bool asked = false;
        const std::vector<std::uint8_t> bytes = readWholeFile(file, [&](std::span<const std::uint8_t> head) {
            asked = true;
            CHECK_EQ(head.size(), kHeadBytes);
            return row.settles;
        });
        CHECK_EQ(bytes.size(), row.read);
        CHECK_EQ(asked, row.asked);
    }
    CHECK(intakeSettledBy(bytesOf(tall).first(kHeadBytes)));
    CHECK_FALSE(intakeSettledBy(bytesOf(good)));
    CHECK_FALSE(intakeSettledBy(bytesOf(tall).first(20))); // headers cut short: the whole file tells
}
