// A picture to its data file and back: the naming rule, the scan into lines
// (bit order, layout, progress, overflow) and reading a data file into dots,
// with the files a data file reader must refuse.

#include "common/failure.h"
#include "convert/data_file.h"
#include "convert/scan.h"
#include "preview/compare.h"
#include "preview/plot.h"
#include "support/hostile_files.h"
#include "support/files.h"

#include <doctest/doctest.h>

#include <unistd.h>

#include <functional>
#include <numeric>
#include <stdexcept>
#include <vector>

using namespace quellbit;

namespace {

constexpr std::int32_t kOn = 0x000000;
constexpr std::int32_t kOff = 0xFFFFFF;
constexpr std::int32_t kBackground = 0x0000FF;
const std::string kAllSet = "        DB FFH,FFH,FFH,FFH,FFH,FFH,FFH,FFH;\r\n";
const std::string kAllClear = "        DB 00H,00H,00H,00H,00H,00H,00H,00H;\r\n";

std::string repeated(const std::string &text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

// Notes the lines written so far at each progress step.
struct RecordingSinks final : OutputSink, ProgressSink {
    void writeLine(std::string_view) override { ++lines; }
    void progress(std::int16_t percent) override
    {
        steps.push_back(percent);
        linesAtStep.push_back(lines);
    }
    int lines = 0;
    std::vector<int> steps, linesAtStep;
};

// A 240 x 128 surface that keeps its dots; a dot outside it is an error.
struct RecordingSurface final : Surface {
    void clear() override { dots.assign(240 * 128, kBackground); }
    void setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors) override
    {
        if (x < 0 || y < 0 || y >= 128 || x + std::int32_t(colors.size()) > 240)
            throw std::out_of_range("a dot outside the surface");
        std::copy(colors.begin(), colors.end(), dots.begin() + y * 240 + x);
    }
    std::vector<std::int32_t> dots = std::vector<std::int32_t>(240 * 128, -1);
};

} // namespace

TEST_CASE("naming")
{
    struct Row { const char *name, *folder, *picture, *path; };
    for (const Row &row : std::initializer_list<Row> {
             {"LOGO.BMP gives lcd_LOGO.txt", "/pics", "LOGO.BMP", "/pics/lcd_LOGO.txt"},
             {"every .bmp is replaced", "/pics", "a.bmp.bmp", "/pics/lcd_a.txt.txt"},
             {"a name without .bmp is kept", "/pics", "picture.dib", "/pics/lcd_picture.dib"},
             {"an empty name gives lcd_", "/pics", "", "/pics/lcd_"},
             {"the root folder gives a doubled separator", "/", "logo.bmp", "//lcd_logo.txt"}}) {
        INFO(row.name);
        CHECK_EQ(dataFilePath(row.folder, row.picture), std::string(row.path));
    }
}

// Dots written out by hand on the top row, and one in the bottom-right
// corner: bit 0 of each byte is the leftmost dot, a row is 30 bytes, the
// last dot is bit 7 of byte 3,839. A colour that is neither the on colour
// nor the other is off. Inverse: the other colour on, each byte complemented.
TEST_CASE("scan")
{
    PixelRaster raster(240, 128, kOff);
    for (int x : {0, 15, 16, 17, 18, 19, 20, 21, 22, 23, 32, 33, 34, 35, 44, 45, 46, 47, 50, 51, 52, 53, 56, 58, 61, 63})
        raster.writableRow(0)[x] = kOn;
    raster.writableRow(127)[239] = kOn;
    raster.writableRow(5)[100] = 0x123456;
    const std::string last = "        DB 00H,00H,00H,00H,00H,00H,00H,80H;\r\n";
    CHECK_EQ(convertToText(raster, kOn),
             "        DB 01H,80H,FFH,00H,0FH,F0H,3CH,A5H;\r\n" + repeated(kAllClear, 478) + last);
    // (100, 5) is byte 5 * 30 + 12 = 162, bit 4: line 21, item 3, off in both.
    CHECK_EQ(convertToText(raster, kOff), "        DB FEH,7FH,00H,FFH,F0H,0FH,C3H,5AH;\r\n" + repeated(kAllSet, 19)
                                              + "        DB FFH,FFH,EFH,FFH,FFH,FFH,FFH,FFH;\r\n" + repeated(kAllSet, 458)
                                              + "        DB FFH,FFH,FFH,FFH,FFH,FFH,FFH,7FH;\r\n");
}

// Where a dot's bit stands, both ways, and what pointing at a plotted dot
// says; the places are the scan's, worked out above.
TEST_CASE("dot places")
{
    struct Row { const char *name; Dot dot; DotPlace place; };
    for (const Row &row : std::initializer_list<Row> {
             {"the first dot is bit 0 of the first item", {0, 0}, {1, 1, 0}},
             {"the end of the top row", {239, 0}, {4, 6, 7}},
             {"the second row starts mid-line", {0, 1}, {4, 7, 0}},
             {"a dot inside", {100, 5}, {21, 3, 4}},
             {"the last dot", {239, 127}, {480, 8, 7}}}) {
        INFO(row.name);
        CHECK(placeOfDot(row.dot, 240) == row.place);
        CHECK(dotAtPlace(row.place, 240) == row.dot);
    }
    std::vector<std::int32_t> top(240, kDotOffColor);
    top[239] = kDotOnColor;
    top[236] = kDotOnColor;
    CHECK_EQ(describePlottedDot(239, 0, top, 240, 128), "dot (239, 0): line 4, item 6, bit 7 of 90H");
    CHECK_EQ(describePlottedDot(232, 0, top, 240, 128), "dot (232, 0): line 4, item 6, bit 0 of 90H");
    CHECK_EQ(describePlottedDot(240, 0, top, 240, 128), "");
    top[233] = kBackground; // a group not wholly plotted
    CHECK_EQ(describePlottedDot(239, 0, top, 240, 128), "");
}

TEST_CASE("progress steps")
{
    RecordingSinks sinks;
    scanPicture(PixelRaster(240, 128, kOn), kOn, setRange(240, 128), 240, 128, sinks, sinks);
    std::vector<int> expected(100);
    std::iota(expected.begin(), expected.end(), 1);
    REQUIRE(sinks.steps == expected);
    // Step n arrives after pixel 307 n, when (307 n) / 64 whole lines are written.
    CHECK_EQ(sinks.linesAtStep[0], 4);    // pixel 307
    CHECK_EQ(sinks.linesAtStep[99], 479); // pixel 30,700
}

// A width or height past 16 bits, or a pixel count past 32 bits, fails
// instead of wrapping around.
TEST_CASE("overflow")
{
    RecordingSinks sinks;
    const PixelRaster raster(8, 1);
    for (const std::function<void()> &run : std::initializer_list<std::function<void()>> {
             [] { setRange(40000, 128); }, [] { setRange(240, 40000); },
             [&] { scanPicture(raster, kOn, {0, 7, 0, 0}, 50000, 50000, sinks, sinks); }})
        CHECK_THROWS_AS(run(), Failure);
}

// A data file read into dots. What is not a data file is refused before a
// dot is drawn, without waiting for a writer and without reading a byte of
// what is too large, by both readers of data files (the refusals themselves
// are InputFile's, tested with the intake).
TEST_CASE("plot")
{
    using testbmp::Kind;
    ::alarm(60); // a reader that waits for a writer ends the run here
    const std::string full(240 * 128, '1'), two(128, '1');
    const std::string example = "1000000000000001111111110000000011110000000011110011110010100101";
    struct Row { const char *name; std::string content, dots, failure; Kind kind = Kind::Bytes; };
    for (const Row &row : std::initializer_list<Row> {
             {"the example line, bit 0 of each byte leftmost", "        DB 01H,80H,FFH,00H,0FH,F0H,3CH,A5H;", example, ""},
             {"lower-case digits and h, plot alike", "        DB 01h,80h,ffh,00h,0fh,f0h,3ch,a5h;", example, ""},
             // "FH,01H,80" less its "H," is F0180: two groups of eight bits plotted, four bits dropped;
             // the next line goes on at dot 16.
             {"a single-digit item shifts the rest, a partial group is dropped",
              "        DB FH,01H,80H;\r\n        DB A5H;", "000011110001100010100101", ""},
             {"empty lines are skipped, 13 characters plot nothing",
              "\r\n\r\n        DB H;\r\n" + kAllSet + "\r\n" + kAllSet, two, ""},
             {"lines beyond 480 are ignored", repeated(kAllSet, 480) + kAllClear, full, ""},
             {"a short line fails naming file and line, earlier dots stay",
              kAllSet + "\r\n" + kAllSet + "        DB\r\n" + kAllClear, two,
              "line 4 has 10 characters, too few for a data line (at least 13)"},
             {"a named pipe", "", "", "not a regular file (a named pipe)", Kind::NamedPipe},
             {"one byte over 64 MiB", "", "",
              "the file is 67,108,865 bytes long; no file over 67,108,864 bytes (64 MiB) is read", Kind::Oversized}}) {
        INFO(row.name);
        testbmp::TempFolder dir;
        const std::string path = dir.file("lcd.txt");
        REQUIRE(testbmp::place({"", row.content, testbmp::Outcome::Converted, "", {}, row.kind}, path));
        RecordingSurface surface;
        std::string failure;
        try {
            PlotState state {17, 3};
            loadPreview(path, state, surface, 240, 128);
        } catch (const Failure &f) {
            failure = f.file() == path ? f.reason() : "another file named: " + f.file();
        }
        CHECK_EQ(failure, row.failure);
        for (std::size_t i = 0; i < 240 * 128; ++i)
            if (!CHECK_EQ(surface.dots[i], i >= row.dots.size() ? kBackground
                                               : row.dots[i] == '1' ? kDotOnColor : kDotOffColor))
                break;
        if (row.kind == Kind::Bytes)
            continue;
        CHECK_THROWS_WITH_AS(compareDataFile(path, ""), (path + ": " + row.failure).c_str(), Failure);
    }
    ::alarm(0);
}
