// prepare: every input kind from common tools and hand-built bitmaps, the
// sizing and resampling rules, the tone of light, refusals, names and the
// summary line. Expected dots are worked out by hand from each picture.

#include "common/failure.h"
#include "prepare/canvas.h"
#include "prepare/prepare.h"
#include "support/bmp_writer.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace quellbit;

namespace {

using Bytes = std::vector<std::uint8_t>;
using Dots = std::function<bool(int x, int y)>; // true: black

constexpr int kW = 240;
constexpr int kH = 128;

Bytes bytesOf(const std::string &text)
{
    return Bytes(text.begin(), text.end());
}

Bytes readFixture(const std::string &name, const std::string &folder = "/prepare/")
{
    std::ifstream in(std::string(QUELLBIT_TEST_DATA) + folder + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// A hostile file the prepare fuzzer starts from.
Bytes hostile(const std::string &name)
{
    return readFixture(name, "/fuzz/prepare/");
}

Bytes bmp(const testbmp::Layout &layout)
{
    return bytesOf(testbmp::build(layout));
}

// The pattern every fixture shows, X dark.
const char *const kPattern[] = {"XXX....X", "X...XX..", ".X.X..X.", "X....XXX"};

// Fitted to the canvas each pixel of the 8 x 4 pattern is a 30 x 30 block,
// rows 4 to 123; the margin is white.
bool patternDot(int x, int y)
{
    return y >= 4 && y < 124 && kPattern[(y - 4) / 30][x / 30] == 'X';
}

// The first dot that differs, or "" when all are as expected.
std::string firstDifference(const PreparedPicture &prepared, const Dots &expected)
{
    if (prepared.black.size() != std::size_t(kW * kH))
        return std::to_string(prepared.black.size()) + " dots";
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if ((prepared.black[std::size_t(y * kW + x)] != 0) != expected(x, y))
                return "dot (" + std::to_string(x) + ", " + std::to_string(y) + ") is "
                    + (expected(x, y) ? "white" : "black");
    return {};
}

// Raw netpbm pictures: one byte a grey, three an RGB pixel.
Bytes pgm(int width, int height, const std::function<int(int x, int y)> &grey)
{
    std::string out = "P5\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            out += char(grey(x, y));
    return bytesOf(out);
}

Bytes flatPpm(int width, int height, int r, int g, int b)
{
    std::string out = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int i = 0; i < width * height; ++i)
        out += {char(r), char(g), char(b)};
    return bytesOf(out);
}

// The pattern's rows, each pixel the bytes of `dark` or `light`, rows in
// the order given (8 pixels of 2, 3 or 4 bytes need no padding).
Bytes patternPixels(std::initializer_list<int> rowOrder, const Bytes &dark, const Bytes &light)
{
    Bytes out;
    for (const int y : rowOrder)
        for (int x = 0; x < 8; ++x) {
            const Bytes &pixel = kPattern[y][x] == 'X' ? dark : light;
            out.insert(out.end(), pixel.begin(), pixel.end());
        }
    return out;
}

// 24 bits: dark 20,30,40 and light 230,220,210, stored blue first.
Bytes patternPixels24(std::initializer_list<int> rowOrder)
{
    return patternPixels(rowOrder, {40, 30, 20}, {210, 220, 230});
}

// `bytes` with `values` from byte `at` on.
Bytes patched(Bytes bytes, std::size_t at, std::initializer_list<std::uint8_t> values)
{
    std::copy(values.begin(), values.end(), bytes.begin() + std::ptrdiff_t(at));
    return bytes;
}

const Bytes kSof {0xFF, 0xC0}; // a baseline JPEG's frame header

PreparedPicture prepare(
    const Bytes &bytes, const PrepareOptions &options = {}, const std::string &name = "picture")
{
    return preparePicture(bytes, name, options);
}

} // namespace

// Every picture in the folder of fixtures (its README says which tool wrote
// each); the count makes sure none went missing.
TEST_CASE("every input kind from common tools gives the pattern")
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(QUELLBIT_TEST_DATA "/prepare"))
        if (entry.path().extension() != ".md" && entry.path().extension() != ".sh")
            names.insert(entry.path().filename().string());
    REQUIRE_EQ(names.size(), std::size_t {59});
    for (const std::string &name : names) {
        INFO(name);
        const Bytes bytes = readFixture(name);
        if (CHECK(!bytes.empty()))
            CHECK_EQ(firstDifference(prepare(bytes), patternDot), "");
    }
}

TEST_CASE("hand built bitmaps give the pattern")
{
    const testbmp::Rgb dark {20, 30, 40};
    const testbmp::Rgb light {230, 220, 210};
    // RLE: index 1 dark, 2 light; 0 is a red that no pixel may show.
    const auto rle = [&](std::int16_t bitCount, std::vector<std::uint8_t> data) {
        return testbmp::Layout {.width = 8, .height = 4, .bitCount = bitCount, .clrUsed = 3,
            .palette = {{255, 0, 0}, dark, light}, .compression = bitCount == 8 ? 1u : 2u, .pixelData = data};
    };
    struct Row {
        const char *name;
        testbmp::Layout layout;
        Dots expected = patternDot;
    };
    const std::vector<Row> rows {
        {"top-down 24 bits",
            {.width = 8, .height = -4, .bitCount = 24, .clrUsed = 0, .palette = {},
                .pixelData = patternPixels24({0, 1, 2, 3})}},
        {"1 bit, top-down, through the intake's decoder",
            {.width = 8, .height = -4, .clrUsed = 0, .palette = {light, dark},
                .pixelData = {0xE1, 0, 0, 0, 0x8C, 0, 0, 0, 0x52, 0, 0, 0, 0x87, 0, 0, 0}}},
        {"2 bits per pixel",
            {.width = 8, .height = 4, .bitCount = 2, .clrUsed = 0,
                .palette = {light, dark, {255, 0, 0}, {0, 255, 0}},
                // 01 dark, 00 light, four pixels a byte; rows bottom-up.
                .pixelData = {0x40, 0x15, 0, 0, 0x11, 0x04, 0, 0, 0x40, 0x50, 0, 0, 0x54, 0x01, 0, 0}}},
        {"RLE8: runs, an absolute run, end of line, end of picture",
            rle(8, {1, 1, 4, 2, 3, 1, 0, 0,             // X....XXX
                    0, 8, 2, 1, 2, 1, 2, 2, 1, 2, 0, 0, // .X.X..X. absolute
                    1, 1, 3, 2, 2, 1, 2, 2, 0, 0,       // X...XX..
                    3, 1, 4, 2, 1, 1, 0, 1})},          // XXX....X, end of picture
        {"RLE8: pixels skipped by a delta, an early end of line or of the picture are white",
            rle(8, {1, 1, 0, 2, 4, 0, 3, 1, 0, 0, // X, 4 right, XXX (bottom row)
                    0, 2, 1, 0, 1, 1, 0, 2, 1, 0, 1, 1, 0, 2, 2, 0, 1, 1, 0, 0, // .X.X..X.
                    1, 1, 0, 2, 3, 0, 2, 1, 0, 0, // X...XX, the rest of the row left
                    3, 1, 0, 2, 4, 0, 1, 1, 0, 1})},
        {"RLE8: a delta that moves up skips whole rows",
            rle(8, {1, 1, 0, 2, 4, 0, 3, 1,           // X....XXX, no end of line
                    0, 2, 0, 2,                       // two rows up, same column
                    0, 0, 3, 1, 0, 2, 4, 0, 1, 1, 0, 0, 0, 1}), // XXX....X at the top
            [](int x, int y) { return patternDot(x, y) && (y < 34 || y >= 94); }},
        {"RLE8: deltas past the top row end the picture", rle(8, {1, 1, 0, 2, 0, 255, 0, 2, 0, 255, 1, 1}),
            // Only the first pixel of the bottom row is set: 30 x 30 dots
            // of the canvas, under the 4 rows of margin.
            [](int x, int y) { return x < 30 && y >= 94 && y < 124; }},
        {"RLE4: runs of two alternating colours, absolute runs padded to a word",
            rle(4, {1, 0x11, 4, 0x22, 3, 0x11, 0, 0,              // X....XXX
                    4, 0x21, 2, 0x22, 2, 0x12, 0, 0,              // .X.X..X.
                    0, 8, 0x12, 0x22, 0x11, 0x22, 0, 0,           // X...XX.. absolute
                    0, 5, 0x11, 0x12, 0x20, 0, 2, 0x22, 1, 0x10, 0, 1})}, // XXX.. absolute, ..X
        {"32 bits uncompressed: the fourth byte is no alpha",
            {.width = 8, .height = 4, .bitCount = 32, .clrUsed = 0, .palette = {},
                .pixelData = patternPixels({3, 2, 1, 0}, {40, 30, 20, 0}, {210, 220, 230, 0})}},
        {"32-bit bit fields with an alpha mask but no alpha anywhere: opaque",
            {.width = 8, .height = 4, .bitCount = 32, .infoSize = 108, .clrUsed = 0, .palette = {},
                .compression = 3, .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
                .pixelData = patternPixels({3, 2, 1, 0}, {40, 30, 20, 0}, {210, 220, 230, 0})}},
        {"16-bit bit fields after a 40-byte header: 5-6-5",
            {.width = 8, .height = 4, .bitCount = 16, .clrUsed = 0, .palette = {}, .compression = 3,
                .masks = {0xF800, 0x07E0, 0x001F},
                // 24,28,40 and 231,222,214 in 5-6-5, low byte first.
                .pixelData = patternPixels({3, 2, 1, 0}, {0xE5, 0x18}, {0xFA, 0xE6})}},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        CHECK_EQ(firstDifference(prepare(bmp(row.layout)), row.expected), "");
    }
}

TEST_CASE("placement")
{
    struct Row {
        const char *name;
        std::int32_t width, height;
        Sizing sizing;
        std::string expected; // size, then where its top-left pixel lands
        std::int32_t crop = 0;
    };
    for (const Row &row : std::initializer_list<Row> {
             {"1024 x 768 fill: 26 rows cut above", 1024, 768, Sizing::Fill, "240 x 180 at 0,-26"},
             {"300 x 100 fill: 72 columns cut left", 300, 100, Sizing::Fill, "384 x 128 at -72,0"},
             {"100 x 100 fit: centred", 100, 100, Sizing::Fit, "128 x 128 at 56,0"},
             {"640 x 480 stretch", 640, 480, Sizing::Stretch, "240 x 128 at 0,0"},
             {"100000 x 1 fit: still 1 row high, the odd row of margin below", 100000, 1, Sizing::Fit,
                 "240 x 1 at 0,63"},
             {"crop at the most negative corner: held at twice the largest side", 100, 100, Sizing::Crop,
                 "100 x 100 at 2097152,2097152", INT32_MIN}}) {
        INFO(row.name);
        const Placement p = placePicture(row.width, row.height, row.sizing, row.crop, row.crop);
        CHECK_EQ(std::to_string(p.width) + " x " + std::to_string(p.height) + " at " + std::to_string(p.left)
                + "," + std::to_string(p.top),
            row.expected);
    }
}

TEST_CASE("resampling weights")
{
    struct Row {
        const char *name;
        std::int32_t source, scaled;
        std::string expected; // each canvas position as "first source pixel:weights/total"
    };
    for (const Row &row : std::initializer_list<Row> {
             {"3 to 2: each covers one and a half", 3, 2, "0:2,1/3 1:1,2/3"},
             {"5 to 2: the middle pixel is shared", 5, 2, "0:2,2,1/5 2:1,2,2/5"},
             {"2 to 5: each pixel covers two and a half, the middle dot shares", 2, 5,
                 "0:2/2 0:2/2 0:1,1/2 1:2/2 1:2/2"},
             {"2 to 6: a whole factor repeats", 2, 6, "0:2/2 0:2/2 0:2/2 1:2/2 1:2/2 1:2/2"}}) {
        INFO(row.name);
        const CanvasBuilder::Axis axis = CanvasBuilder::makeAxis(row.source, row.scaled, 0, row.scaled);
        std::ostringstream out;
        for (const CanvasBuilder::Tap &tap : axis.taps) {
            out << (&tap == axis.taps.data() ? "" : " ") << tap.first << ":";
            for (std::int32_t k = 0; k < tap.count; ++k)
                out << (k ? "," : "") << axis.weights[tap.weightAt + std::size_t(k)];
            out << "/" << tap.total;
        }
        CHECK_EQ(out.str(), row.expected);
    }
}

// A 6 x 6 icon, a black ring one pixel wide around white, fitted to
// 128 x 128 at 56,0: each pixel covers 21 1/3 dots, so the ring's outer
// pixels give 21 whole black dots, and the dot they share with white (a
// third black) is white. The ring stays a ring of even thickness, square.
TEST_CASE("a small icon enlarged by a factor that is not whole")
{
    const Bytes icon = pgm(6, 6, [](int x, int y) { return x == 0 || y == 0 || x == 5 || y == 5 ? 0 : 255; });
    const auto ring = [](int x, int y) {
        const int p = x - 56;
        return p >= 0 && p < 128 && (p < 21 || p >= 107 || y < 21 || y >= 107);
    };
    CHECK_EQ(firstDifference(prepare(icon), ring), "");
}

TEST_CASE("dots worked out by hand")
{
    // 2 x 1: a black pixel, then a white one.
    const Bytes twoByOne = pgm(2, 1, [](int x, int) { return x == 0 ? 0 : 255; });
    // Cropped at 0,0 a small picture is toned on its own: the rest of the
    // canvas is margin. Grey 176 is 0.434 of the light. Floyd-Steinberg: the
    // first dot is black and passes 7/16 of 0.434 on, so the next reaches
    // 0.624 and is white. Atkinson passes on 1/8 only: 0.488, black too (a
    // share of 1/6 would reach 0.507). On the second row serpentine order
    // starts at the right.
    const PrepareOptions floyd {.sizing = Sizing::Crop, .tone = Tone::FloydSteinberg};
    struct Row {
        const char *name;
        Bytes picture;
        PrepareOptions options;
        Dots expected;
    };
    const std::vector<Row> rows {
        {"2 x 1 fit: 240 x 120 from row 4, left half black", twoByOne, {},
            [](int x, int y) { return x < 120 && y >= 4 && y < 124; }},
        {"2 x 1 fit, inverted: the margin stays white", twoByOne, {.invert = true},
            [](int x, int y) { return x >= 120 && y >= 4 && y < 124; }},
        {"2 x 1 crop at 0,0: one black dot", twoByOne, {.sizing = Sizing::Crop},
            [](int x, int y) { return x == 0 && y == 0; }},
        {"2 x 1 crop at 1,0: only the white pixel", twoByOne, {.sizing = Sizing::Crop, .cropX = 1},
            [](int, int) { return false; }},
        {"2 x 1 crop at -5,-3: at 5,3", twoByOne, {.sizing = Sizing::Crop, .cropX = -5, .cropY = -3},
            [](int x, int y) { return x == 5 && y == 3; }},
        // 480 x 256 in squares of 2 x 2, black where the square's column and
        // row add up to an even number.
        {"480 x 256 checkerboard of 2 x 2 squares shrinks to the 1-dot checkerboard",
            pgm(480, 256, [](int x, int y) { return (x / 2 + y / 2) % 2 == 0 ? 0 : 255; }), {},
            [](int x, int y) { return (x + y) % 2 == 0; }},
        {"1 x 128 fit: one column, the odd column of margin right", pgm(1, 128, [](int, int) { return 0; }),
            {}, [](int x, int) { return x == 119; }},
        {"Floyd-Steinberg, one row: black, white", pgm(2, 1, [](int, int) { return 176; }), floyd,
            [](int x, int y) { return x == 0 && y == 0; }},
        {"Atkinson, one row: black, black", pgm(2, 1, [](int, int) { return 176; }),
            {.sizing = Sizing::Crop, .tone = Tone::Atkinson}, [](int x, int y) { return x < 2 && y == 0; }},
        {"Floyd-Steinberg, the second row from the right: white, black",
            pgm(2, 2, [](int, int y) { return y == 0 ? 255 : 176; }), floyd,
            [](int x, int y) { return x == 1 && y == 1; }},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        CHECK_EQ(firstDifference(prepare(row.picture, row.options), row.expected), "");
    }
}

TEST_CASE("tone follows the light")
{
    // Rec. 709 luminance of the sRGB primaries: red 0.2126 of the light,
    // green 0.7152, blue 0.0722.
    struct Row {
        const char *name;
        Bytes picture;
        PrepareOptions options;
        double white; // percent of white dots
        double within;
    };
    const Bytes grey137 = flatPpm(240, 128, 137, 137, 137);
    Bytes halfBlack(240 * 128 * 4, 0); // alpha 128 in the fourth byte
    for (std::size_t i = 3; i < halfBlack.size(); i += 4)
        halfBlack[i] = 128;
    const PrepareOptions floyd {.tone = Tone::FloydSteinberg};
    const std::vector<Row> rows {
        {"grey 137 (a quarter of the light), Floyd-Steinberg", grey137, floyd, 25, 1},
        {"grey 137, Bayer", grey137, {.tone = Tone::Bayer}, 25, 0},
        {"1-pixel black and white stripes shrunk by 2: half the light",
            pgm(480, 256, [](int x, int) { return x % 2 ? 255 : 0; }), floyd, 50, 1},
        {"half-transparent black on white: half the light",
            bmp({.bitCount = 32, .infoSize = 108, .clrUsed = 0, .palette = {}, .compression = 3,
                .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, .pixelData = halfBlack}),
            floyd, 50, 1},
        {"grey 51 is 20 %: white at threshold 20", flatPpm(240, 128, 51, 51, 51), {.threshold = 20}, 100, 0},
        {"grey 51: black at threshold 21", flatPpm(240, 128, 51, 51, 51), {.threshold = 21}, 0, 0},
        {"grey 127 (49.8 %): black at the default threshold", flatPpm(240, 128, 127, 127, 127), {}, 0, 0},
        {"red", flatPpm(240, 128, 255, 0, 0), floyd, 21.26, 0.5},
        {"green", flatPpm(240, 128, 0, 255, 0), floyd, 71.52, 0.5},
        {"blue", flatPpm(240, 128, 0, 0, 255), floyd, 7.22, 0.5},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const PreparedPicture prepared = prepare(row.picture, row.options);
        const double white = 100.0 * double(prepared.black.size() - prepared.blackDots()) / double(kW * kH);
        CHECK((white >= row.white - row.within && white <= row.white + row.within))
            || (std::printf("    white dots: %.2f %%\n", white), false);
    }
}

TEST_CASE("black and white comes through unchanged")
{
    std::mt19937 random(1234);
    std::vector<int> dots(240 * 128);
    for (int &d : dots)
        d = int(random() % 2);
    const Dots noise = [&](int x, int y) { return dots[std::size_t(y * kW + x)] == 1; };
    const Bytes asPgm = pgm(240, 128, [&](int x, int y) { return noise(x, y) ? 0 : 255; });
    struct Row {
        const char *name;
        PrepareOptions options;
    };
    for (const Row &row : std::initializer_list<Row> {{"threshold 1", {.threshold = 1}},
             {"threshold 100", {.threshold = 100}}, {"Floyd-Steinberg", {.tone = Tone::FloydSteinberg}},
             {"Atkinson", {.tone = Tone::Atkinson}}, {"Bayer", {.tone = Tone::Bayer}}}) {
        INFO(row.name);
        CHECK_EQ(firstDifference(prepare(asPgm, row.options), noise), "");
    }
}

TEST_CASE("netpbm comments stand where white space may")
{
    for (const auto &[name, header] : {std::pair {"straight after the magic number", "P4#c\n240 128\n"},
             std::pair {"before the white space that ends the header", "P4 240 128#c\n"}}) {
        INFO(name);
        Bytes bytes = bytesOf(header);
        bytes.resize(bytes.size() + 30 * 128, 0xFF); // every dot black
        CHECK_EQ(prepare(bytes).blackDots(), std::size_t(kW * kH));
    }
}

TEST_CASE("refusals name the file and the reason")
{
    const Bytes png = readFixture("png-rgb8.png");
    Bytes badCrc = png;
    badCrc[45] ^= 0x01; // inside the first data chunk
    const Bytes pattern24 = bmp({.width = 8, .height = 4, .bitCount = 24, .clrUsed = 0, .palette = {},
        .pixelData = patternPixels24({3, 2, 1, 0})});
    struct Row {
        const char *name;
        Bytes bytes;
        std::string expected; // after "odd.pic: "
    };
    const Bytes jpeg = readFixture("jpeg-grey.jpg");
    const std::size_t sofAt = std::size_t(std::search(jpeg.begin(), jpeg.end(), kSof.begin(), kSof.end()) - jpeg.begin());
    const std::vector<Row> rows {
        {"an empty file", {}, "an empty file; prepare reads PNG, JPEG, GIF, WebP, BMP, PBM, PGM and PPM pictures"},
        {"TIFF", {'I', 'I', '*', 0, 8, 0, 0, 0}, "a TIFF picture; prepare reads"},
        {"JPEG cut short", Bytes(jpeg.begin(), jpeg.end() - 40),
            "the JPEG data cannot be read: the file ends inside the picture data"},
        // The sides of the frame header (after FF C0, its length and precision)
        // and of the GIF's screen (bytes 6 to 9) claim 65,000 x 65,000.
        {"a JPEG claiming a huge size", patched(jpeg, sofAt + 5, {0xFD, 0xE8, 0xFD, 0xE8}),
            "a picture of 65000 x 65000 pixels is more than prepare takes"},
        {"a GIF claiming a huge size", patched(readFixture("gif-palette.gif"), 6, {0xE8, 0xFD, 0xE8, 0xFD}),
            "a picture of 65000 x 65000 pixels is more than prepare takes"},
        {"text", bytesOf("hello, world\n"), "a text file; prepare reads"},
        {"unknown", {0x00, 0x9C, 0x13, 0x37, 0x42}, "an unknown kind of file (it begins with 00 9C 13 37)"},
        {"PNG cut short", Bytes(png.begin(), png.begin() + 60),
            "the PNG data cannot be read: the file ends inside the picture data"},
        {"PNG with a damaged chunk", badCrc, "the PNG data cannot be read: "},
        {"bitmap pixels cut short", Bytes(pattern24.begin(), pattern24.end() - 30),
            "the pixel data ends after row 2 of 4 (66 of 96 bytes)"},
        {"bitmap pixel beyond its colour table",
            bmp({.width = 8, .height = 4, .bitCount = 4,
                .pixelData = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x50, 0, 0, 0}}),
            "pixel (0, 0) uses colour 5 of a table of 2 entries"},
        {"one bit: the intake's reasons",
            bmp({.width = 8, .height = 4, .clrUsed = 1, .palette = {testbmp::kBlack},
                .pixelData = Bytes(16, 0x01)}),
            "pixel (7, 0) from the top left uses colour table entry 1, but the table has one entry only"},
        {"bitmap with a JPEG inside", bmp({.bitCount = 24, .compression = 4}),
            "compression 4 (JPEG) is not one prepare reads"},
        {"compression 4 under the 64-byte OS/2 header", hostile("bmp-os2-rle24.bmp"),
            "compression 4 (RLE24) is not one prepare reads"},
        {"bit fields whose red mask selects no bit", hostile("bmp-red-mask-selects-no-bit.bmp"),
            "the red mask selects no bit of a 16-bit pixel"},
        // 139 bytes: the signature, IHDR (25), then 8 bytes of chunk header
        // and 98 after it, of which the last 4 would be its CRC.
        {"a text chunk that claims 2 GiB", hostile("png-text-chunk-claims-2-gib.png"),
            "a text chunk claims 2147483647 bytes; the file has 94 left"},
        // zlib's empty stream: 8 bytes; 16384 x 16384 grey bytes need 2^28.
        {"interlaced 16384 x 16384 in 65 bytes", hostile("png-interlaced-16384-square-in-65-bytes.png"),
            "a picture of 16384 x 16384 pixels needs 268435456 bytes; its 8 bytes of compressed data cannot "
            "hold them"},
        {"PNG pixel beyond its palette", hostile("png-index-past-the-palette.png"),
            "pixel (1, 0) uses colour 5 of a table of 2 entries"},
        {"RLE8 in a 24-bit bitmap", bmp({.bitCount = 24, .compression = 1}),
            "compression 1 (RLE8) is not defined for 24-bit pictures"},
        {"3 bits per pixel", bmp({.bitCount = 3}), "3 bits per pixel is no bitmap depth"},
        {"RLE8 without its end",
            bmp({.width = 8, .height = 4, .bitCount = 8, .clrUsed = 1, .palette = {testbmp::kBlack},
                .compression = 1, .pixelData = {8, 0, 0, 0, 8, 0}}),
            "the RLE8 data ends in row 2 of 4 without its end mark"},
        {"20-byte info header", bmp({.infoSize = 20}), "an info header of 20 bytes is not one prepare reads"},
        {"a width of 0", bmp({.width = 0}), "a width of 0 pixels"},
        // A table of 256 entries from byte 54 to 1,078; two written, the pixels from byte 62.
        {"colour table past the end of the file",
            bmp({.width = 8, .height = 4, .bitCount = 8, .clrUsed = 256}),
            "the colour table of 256 entries runs past the end of the file at byte 94"},
        {"colour table past the pixel data",
            bmp({.width = 8, .height = 4, .bitCount = 8, .clrUsed = 256, .pixelData = Bytes(1024)}),
            "the colour table of 256 entries runs past the pixel data at byte 62"},
        {"a grey above its maxval", bytesOf("P2 2 1 255 0 300"), "a sample of 300 above its maxval of 255"},
        {"a comment but no white space before the raster", bytesOf("P5 1 1 255#c"), "no white space after the header"},
        {"raw PPM cut short", bytesOf("P6 2 2 255\n1234567"), "the pixel data ends after row 1 of 2"},
        {"plain PBM cut short", bytesOf("P1 3 2 0 1 0 1"), "the pixel data ends at pixel (1, 1)"},
        {"plain PBM with a 2", bytesOf("P1 2 1 0 2"), "\"2\" where a pixel of 0 or 1 should be"},
        {"a side too long", bytesOf("P4 2000000 1\n"), "a picture of 2000000 x 1 pixels is more than"},
        {"too many pixels", bytesOf("P4 40000 40000\n"), "a picture of 40000 x 40000 pixels is more than"},
        {"no pixels", bytesOf("P5 0 5 255\n"), "a picture of 0 x 5 pixels"},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        const std::string expected = "odd.pic: " + row.expected;
        try {
            prepare(row.bytes, {}, "odd.pic");
            CHECK_EQ(std::string("prepared"), expected);
        } catch (const Failure &e) {
            CHECK_EQ(std::string(e.what()).substr(0, expected.size()), expected);
            // A refusal for size, and only that, is settled by the headers
            // before the rest of the file is read.
            CHECK_EQ(prepareSettledBy(row.bytes, 1), dynamic_cast<const TooLarge *>(&e) != nullptr);
        }
    }
}

TEST_CASE("summary line")
{
    const Bytes black1024 = pgm(1024, 768, [](int, int) { return 0; });
    const Bytes oneDot = pgm(240, 128, [](int x, int y) { return x == 0 && y == 0 ? 0 : 255; });
    const Bytes allButOne = pgm(240, 128, [](int x, int y) { return x == 0 && y == 0 ? 255 : 0; });
    struct Row {
        const char *name;
        Bytes picture;
        PrepareOptions options;
        std::string expected;
    };
    const std::vector<Row> rows {
        // 171 x 128 black of 240 x 128: 71.25 %.
        {"fit", black1024, {.tone = Tone::FloydSteinberg},
            "photo.png 1024 x 768 -> fit 171 x 128, Floyd-Steinberg, 71 % black -> photo-lcd.bmp"},
        {"fill", black1024, {.sizing = Sizing::Fill},
            "photo.png 1024 x 768 -> fill 240 x 180, threshold 50 %, 100 % black -> photo-lcd.bmp"},
        {"crop; one black dot is 1 %, not 0", oneDot, {.sizing = Sizing::Crop},
            "photo.png 240 x 128 -> crop at 0,0, threshold 50 %, 1 % black -> photo-lcd.bmp"},
        {"all but one dot black is 99 %, not 100", allButOne, {.threshold = 30},
            "photo.png 240 x 128 -> not scaled, threshold 30 %, 99 % black -> photo-lcd.bmp"},
        {"Bayer, inverted", allButOne, {.tone = Tone::Bayer, .invert = true},
            "photo.png 240 x 128 -> not scaled, Bayer, inverted, 1 % black -> photo-lcd.bmp"},
    };
    for (const Row &row : rows) {
        INFO(row.name);
        CHECK_EQ(
            describePreparation("photo.png", prepare(row.picture, row.options), row.options, "photo-lcd.bmp"),
            row.expected);
    }
}

TEST_CASE("names")
{
    struct Row {
        const char *name;
        std::string picture, prepared, command;
    };
    for (const Row &row : std::initializer_list<Row> {
             {"beside the picture, the extension replaced", "pics/logo.BMP", "pics/logo-lcd.bmp",
                 "quellbit-cli prepare pics/logo.BMP"},
             {"a dot in the folder only", "v1.2/scan", "v1.2/scan-lcd.bmp", "quellbit-cli prepare v1.2/scan"},
             {"a hidden file has no extension", ".logo", ".logo-lcd.bmp", "quellbit-cli prepare .logo"},
             {"only the last extension", "a.tar.png", "a.tar-lcd.bmp", "quellbit-cli prepare a.tar.png"},
             {"spaces are quoted", "my photo.png", "my photo-lcd.bmp", "quellbit-cli prepare 'my photo.png'"},
             {"a quote in the name", "it's.png", "it's-lcd.bmp", "quellbit-cli prepare 'it'\\''s.png'"},
             {"a leading dash is no option", "-x.png", "-x-lcd.bmp", "quellbit-cli prepare ./-x.png"}}) {
        INFO(row.name);
        CHECK_EQ(preparedPath(row.picture), row.prepared);
        CHECK_EQ(prepareCommand(row.picture), row.command);
    }
}

TEST_CASE("info suggests prepare when it reads the picture")
{
    SUBCASE("a picture prepare reads")
        CHECK_EQ(prepareSuggestion(readFixture("bmp-24-pillow.bmp"), "art/my logo.bmp"),
            "make a copy:    quellbit-cli prepare 'art/my logo.bmp'  (writes art/my logo-lcd.bmp, 240 x 128 at 1 "
            "bit)\n");
    SUBCASE("one it cannot read")
        CHECK_EQ(prepareSuggestion(bytesOf("GIF89a"), "logo.gif"), "");
}
