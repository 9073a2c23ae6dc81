// prepare: every input kind from common tools and hand-built bitmaps, the
// sizing and resampling rules, the tone of light, refusals, names and the
// summary line. Expected dots are worked out by hand from each picture.

#include "common/failure.h"
#include "intake/bitmap_header.h"
#include "prepare/canvas.h"
#include "prepare/prepare.h"
#include "support/check.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
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

Bytes readFixture(const std::string &name)
{
    std::ifstream in(std::string(QUELLBIT_TEST_DATA) + "/prepare/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
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

double whiteShare(const PreparedPicture &prepared)
{
    return 100.0 * double(prepared.black.size() - prepared.blackDots()) / double(prepared.black.size());
}

PrepareOptions dither(Tone tone)
{
    PrepareOptions options;
    options.tone = tone;
    return options;
}

PrepareOptions sized(Sizing sizing, int x = 0, int y = 0)
{
    PrepareOptions options;
    options.sizing = sizing;
    options.cropX = x;
    options.cropY = y;
    return options;
}

PrepareOptions threshold(int percent)
{
    PrepareOptions options;
    options.threshold = percent;
    return options;
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
    for (int i = 0; i < width * height; ++i) {
        out += char(r);
        out += char(g);
        out += char(b);
    }
    return bytesOf(out);
}

void put16(Bytes &out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t(v >> 8));
}

void put32(Bytes &out, std::uint32_t v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A bitmap built byte by byte: file header, a 40-byte info header (or a
// longer one, zero-filled, with `masks` at its bytes 40 on), the palette as
// BGR0 quads, then `pixels` exactly as given.
struct Bmp {
    std::int32_t width = 8;
    std::int32_t height = 4;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> palette {}; // 0xRRGGBB
    std::vector<std::uint32_t> masks {};   // after a 40-byte header, or inside a longer one
    Bytes pixels {};

    Bytes build() const
    {
        const std::uint32_t masksAfter = headerSize == 40 ? std::uint32_t(masks.size() * 4) : 0;
        const std::uint32_t offBits = 14 + headerSize + masksAfter + std::uint32_t(palette.size() * 4);
        Bytes out {'B', 'M'};
        put32(out, offBits + std::uint32_t(pixels.size()));
        put32(out, 0);
        put32(out, offBits);
        put32(out, headerSize);
        put32(out, std::uint32_t(width));
        put32(out, std::uint32_t(height));
        put16(out, 1);
        put16(out, bitCount);
        put32(out, compression);
        put32(out, std::uint32_t(pixels.size()));
        put32(out, 2835);
        put32(out, 2835);
        put32(out, clrUsed);
        put32(out, 0);
        for (const std::uint32_t mask : masks)
            put32(out, mask);
        while (out.size() < 14 + headerSize)
            out.push_back(0);
        for (const std::uint32_t rgb : palette) {
            out.push_back(std::uint8_t(rgb));
            out.push_back(std::uint8_t(rgb >> 8));
            out.push_back(std::uint8_t(rgb >> 16));
            out.push_back(0);
        }
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

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

PreparedPicture prepare(
    const Bytes &bytes, const PrepareOptions &options = {}, const std::string &name = "picture")
{
    return preparePicture(bytes, name, options);
}

// What preparing the bytes throws, or "" when it does not.
std::string failureOf(const Bytes &bytes, const std::string &name = "odd.pic")
{
    try {
        prepare(bytes, {}, name);
    } catch (const Failure &e) {
        return e.what();
    }
    return {};
}

} // namespace

TEST_CASE(everyInputKindFromCommonToolsGivesThePattern)
{
    for (const char *name :
        {"png-grey1.png", "png-grey2.png", "png-grey4.png", "png-grey8.png", "png-grey16.png",
            "png-grey16-magick.png", "png-grey-key.png", "png-grey-alpha8.png", "png-grey-alpha16.png",
            "png-rgb8.png", "png-rgb16.png", "png-rgb-key.png", "png-rgba8.png", "png-rgba16.png",
            "png-palette1.png", "png-palette2.png", "png-palette4.png", "png-palette8.png",
            "png-palette-trns.png", "png-interlaced-rgb8.png", "png-interlaced-grey1.png", "bmp-1-pillow.bmp",
            "bmp-1-v4-magick.bmp", "bmp-4-netpbm.bmp", "bmp-8-pillow.bmp", "bmp-8-grey-pillow.bmp",
            "bmp-8-core-netpbm.bmp", "bmp-rle8-magick.bmp", "bmp-16-555-magick.bmp", "bmp-16-565-magick.bmp",
            "bmp-16-1555-alpha-magick.bmp", "bmp-24-pillow.bmp", "bmp-32-alpha-magick.bmp", "pbm-plain.pbm",
            "pbm-raw.pbm", "pgm-plain.pgm", "pgm-raw.pgm", "pgm-raw16.pgm", "ppm-plain.ppm", "ppm-raw.ppm",
            "ppm-raw-maxval15.ppm", "ppm-raw-maxval1000.ppm"}) {
        ROW(name);
        const Bytes bytes = readFixture(name);
        if (!CHECK(!bytes.empty()))
            continue;
        const PreparedPicture prepared = prepare(bytes);
        CHECK_EQ(prepared.sourceWidth, 8);
        CHECK_EQ(prepared.sourceHeight, 4);
        CHECK_EQ(firstDifference(prepared, patternDot), "");
    }
}

TEST_CASE(handBuiltBitmapsGiveThePattern)
{
    const std::uint32_t dark = 0x141E28;
    const std::uint32_t light = 0xE6DCD2;
    // RLE: index 1 dark, 2 light; 0 is a red that no pixel may show.
    const std::vector<std::uint32_t> rlePalette {0xFF0000, dark, light};
    struct Row {
        const char *name;
        Bmp bmp;
        Dots expected;
    };
    const std::vector<Row> rows {
        {"top-down 24 bits", {.height = -4, .pixels = patternPixels24({0, 1, 2, 3})}, patternDot},
        {"1 bit, top-down, through the intake's decoder",
         {.height = -4, .bitCount = 1, .palette = {light, dark},
          .pixels = {0xE1, 0, 0, 0, 0x8C, 0, 0, 0, 0x52, 0, 0, 0, 0x87, 0, 0, 0}},
         patternDot},
        {"2 bits per pixel",
         {.bitCount = 2,
          .palette = {light, dark, 0xFF0000, 0x00FF00},
          // 01 dark, 00 light, four pixels a byte; rows bottom-up.
          .pixels = {0x40, 0x15, 0, 0, 0x11, 0x04, 0, 0, 0x40, 0x50, 0, 0, 0x54, 0x01, 0, 0}},
         patternDot},
        {"RLE8: runs, an absolute run, end of line, end of picture",
         {.bitCount = 8, .compression = 1, .clrUsed = 3, .palette = rlePalette,
          .pixels = {1, 1, 4, 2, 3, 1, 0, 0,             // X....XXX
                     0, 8, 2, 1, 2, 1, 2, 2, 1, 2, 0, 0, // .X.X..X. absolute
                     1, 1, 3, 2, 2, 1, 2, 2, 0, 0,       // X...XX..
                     3, 1, 4, 2, 1, 1, 0, 1}},           // XXX....X, end of picture
         patternDot},
        {"RLE8: pixels skipped by a delta, an early end of line or of the picture are white",
         {.bitCount = 8, .compression = 1, .clrUsed = 3, .palette = rlePalette,
          .pixels = {1, 1, 0, 2, 4, 0, 3, 1, 0, 0, // X, 4 right, XXX (bottom row)
                     0, 2, 1, 0, 1, 1, 0, 2, 1, 0, 1, 1, 0, 2, 2, 0, 1, 1, 0, 0, // .X.X..X.
                     1, 1, 0, 2, 3, 0, 2, 1, 0, 0, // X...XX, the rest of the row left
                     3, 1, 0, 2, 4, 0, 1, 1, 0, 1}},
         patternDot},
        {"RLE8: a delta that moves up skips whole rows",
         {.bitCount = 8, .compression = 1, .clrUsed = 3, .palette = rlePalette,
          .pixels = {1, 1, 0, 2, 4, 0, 3, 1,           // X....XXX, no end of line
                     0, 2, 0, 2,                       // two rows up, same column
                     0, 0, 3, 1, 0, 2, 4, 0, 1, 1, 0, 0, 0, 1}}, // XXX....X at the top
         [](int x, int y) { return patternDot(x, y) && (y < 34 || y >= 94); }},
        {"RLE4: runs of two alternating colours, absolute runs padded to a word",
         {.bitCount = 4, .compression = 2, .clrUsed = 3, .palette = rlePalette,
          .pixels = {1, 0x11, 4, 0x22, 3, 0x11, 0, 0,              // X....XXX
                     4, 0x21, 2, 0x22, 2, 0x12, 0, 0,              // .X.X..X.
                     0, 8, 0x12, 0x22, 0x11, 0x22, 0, 0,           // X...XX.. absolute
                     0, 5, 0x11, 0x12, 0x20, 0, 2, 0x22, 1, 0x10, 0, 1}}, // XXX.. absolute, ..X
         patternDot},
        {"32 bits uncompressed: the fourth byte is no alpha",
         {.bitCount = 32, .pixels = patternPixels({3, 2, 1, 0}, {40, 30, 20, 0}, {210, 220, 230, 0})},
         patternDot},
        {"32-bit bit fields with an alpha mask but no alpha anywhere: opaque",
         {.bitCount = 32, .compression = 3, .headerSize = 108, .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000},
          .pixels = patternPixels({3, 2, 1, 0}, {40, 30, 20, 0}, {210, 220, 230, 0})},
         patternDot},
        {"16-bit bit fields after a 40-byte header: 5-6-5",
         {.bitCount = 16, .compression = 3, .masks = {0xF800, 0x07E0, 0x001F},
          // 24,28,40 and 231,222,214 in 5-6-5, low byte first.
          .pixels = patternPixels({3, 2, 1, 0}, {0xE5, 0x18}, {0xFA, 0xE6})},
         patternDot},
    };
    for (const Row &row : rows) {
        ROW(row.name);
        try {
            CHECK_EQ(firstDifference(prepare(row.bmp.build()), row.expected), "");
        } catch (const Failure &e) {
            CHECK_EQ(std::string(e.what()), "");
        }
    }
}

TEST_CASE(placement)
{
    struct Row {
        const char *name;
        std::int32_t width, height;
        PrepareOptions options;
        Placement expected;
    };
    for (const Row &row : std::initializer_list<Row> {{"1024 x 768 fill: 240 x 180, 26 rows cut above", 1024,
                                                          768, sized(Sizing::Fill), {240, 180, 0, -26}},
             {"300 x 100 fill: 384 x 128, 72 columns cut left", 300, 100, sized(Sizing::Fill),
                 {384, 128, -72, 0}},
             {"100 x 100 fit: 128 x 128 at 56", 100, 100, {}, {128, 128, 56, 0}},
             {"1 x 1000 fit: still 1 pixel wide", 1, 1000, {}, {1, 128, 119, 0}},
             {"100000 x 1 fit: still 1 row high", 100000, 1, {}, {240, 1, 0, 63}},
             {"640 x 480 stretch", 640, 480, sized(Sizing::Stretch), {240, 128, 0, 0}},
             {"640 x 480 crop at 10,20: not scaled", 640, 480, sized(Sizing::Crop, 10, 20),
                 {640, 480, -10, -20}}}) {
        ROW(row.name);
        const Placement p = placePicture(row.width, row.height, row.options.sizing, row.options.cropX,
                                         row.options.cropY);
        CHECK_EQ(std::to_string(p.width) + " x " + std::to_string(p.height) + " at " + std::to_string(p.left)
                + "," + std::to_string(p.top),
            std::to_string(row.expected.width) + " x " + std::to_string(row.expected.height) + " at "
                + std::to_string(row.expected.left) + "," + std::to_string(row.expected.top));
    }
}

// Each canvas position as "first source pixel: weights / total".
std::string describeAxis(const CanvasBuilder::Axis &axis)
{
    std::string out;
    for (const CanvasBuilder::Tap &tap : axis.taps) {
        if (!out.empty())
            out += " ";
        if (tap.count == 0) {
            out += "-";
            continue;
        }
        out += std::to_string(tap.first) + ":";
        for (std::int32_t k = 0; k < tap.count; ++k) {
            const float w = axis.weights[tap.weightAt + std::size_t(k)];
            out += (k ? "," : "")
                + (w == float(int(w)) ? std::to_string(int(w)) : std::to_string(w).substr(0, 4));
        }
        out += "/"
            + (tap.total == float(int(tap.total)) ? std::to_string(int(tap.total))
                                                  : std::to_string(tap.total));
    }
    return out;
}

TEST_CASE(resamplingWeights)
{
    struct Row {
        const char *name;
        std::int32_t source, scaled, shift, canvas;
        std::string expected;
    };
    for (const Row &row :
        std::initializer_list<Row> {{"same size: one pixel each", 3, 3, 0, 3, "0:1/1 1:1/1 2:1/1"},
            {"3 to 2: each covers one and a half", 3, 2, 0, 2, "0:2,1/3 1:1,2/3"},
            {"5 to 2: the middle pixel is shared", 5, 2, 0, 2, "0:2,2,1/5 2:1,2,2/5"},
            {"4 to 2: two whole pixels each", 4, 2, 0, 2, "0:2,2/4 2:2,2/4"},
            {"2 to 6: each repeated three times", 2, 6, 0, 6, "0:1/1 0:1/1 0:1/1 1:1/1 1:1/1 1:1/1"},
            {"2 to 3: the middle between the two centres", 2, 3, 0, 3, "0:1/1 0:0.50,0.50/1 1:1/1"},
            {"2 to 5: centres at -0.3, 0.1, 0.5, 0.9 and 1.3", 2, 5, 0, 5,
                "0:1/1 0:0.90,0.10/1 0:0.50,0.50/1 0:0.10,0.90/1 1:1/1"},
            {"shifted by one: white before and after", 2, 2, 1, 4, "- 0:1/1 1:1/1 -"},
            {"cut on the left", 3, 3, -1, 3, "1:1/1 2:1/1 -"}}) {
        ROW(row.name);
        CHECK_EQ(describeAxis(CanvasBuilder::makeAxis(row.source, row.scaled, row.shift, row.canvas)),
            row.expected);
    }
}

TEST_CASE(dotsWorkedOutByHand)
{
    // 2 x 1: a black pixel, then a white one.
    const Bytes twoByOne = pgm(2, 1, [](int x, int) { return x == 0 ? 0 : 255; });
    // 480 x 256 in squares of 2 x 2, black where the square's column and row
    // add up to an even number.
    const Bytes checkerboard = pgm(480, 256, [](int x, int y) { return (x / 2 + y / 2) % 2 == 0 ? 0 : 255; });
    // 120 x 64 in single pixels.
    const Bytes fine = pgm(120, 64, [](int x, int y) { return (x + y) % 2 == 0 ? 0 : 255; });
    // Cropped at 0,0 a small picture is toned on its own: the rest of the
    // canvas is margin. Grey 170 is 0.402 of the light. Floyd-Steinberg: the
    // first dot is black and passes 7/16 of 0.402 on, so the next reaches
    // 0.578 and is white. Atkinson passes on 1/8 only: 0.452, black too. On
    // the second row serpentine order starts at the right.
    PrepareOptions floyd = sized(Sizing::Crop);
    floyd.tone = Tone::FloydSteinberg;
    PrepareOptions atkinson = sized(Sizing::Crop);
    atkinson.tone = Tone::Atkinson;
    PrepareOptions inverted;
    inverted.invert = true;
    struct Row {
        const char *name;
        Bytes picture;
        PrepareOptions options;
        Dots expected;
    };
    const std::vector<Row> rows {
        {"2 x 1 fit: 240 x 120 from row 4, left half black", twoByOne, {},
            [](int x, int y) { return x < 120 && y >= 4 && y < 124; }},
        {"2 x 1 fill: 256 x 128, 8 columns cut each side", twoByOne, sized(Sizing::Fill),
            [](int x, int) { return x < 120; }},
        {"2 x 1 stretch: left half black", twoByOne, sized(Sizing::Stretch),
            [](int x, int) { return x < 120; }},
        {"2 x 1 fit, inverted: the margin stays white", twoByOne, inverted,
            [](int x, int y) { return x >= 120 && y >= 4 && y < 124; }},
        {"2 x 1 crop at 0,0: one black dot", twoByOne, sized(Sizing::Crop, 0, 0),
            [](int x, int y) { return x == 0 && y == 0; }},
        {"2 x 1 crop at 1,0: only the white pixel", twoByOne, sized(Sizing::Crop, 1, 0),
            [](int, int) { return false; }},
        {"2 x 1 crop at -5,-3: the picture moves right and down", twoByOne, sized(Sizing::Crop, -5, -3),
            [](int x, int y) { return x == 5 && y == 3; }},
        {"480 x 256 checkerboard of 2 x 2 squares shrinks to the 1-dot checkerboard", checkerboard, {},
            [](int x, int y) { return (x + y) % 2 == 0; }},
        {"the same, Floyd-Steinberg", checkerboard, dither(Tone::FloydSteinberg),
            [](int x, int y) { return (x + y) % 2 == 0; }},
        {"the same, Atkinson", checkerboard, dither(Tone::Atkinson),
            [](int x, int y) { return (x + y) % 2 == 0; }},
        {"the same, Bayer", checkerboard, dither(Tone::Bayer), [](int x, int y) { return (x + y) % 2 == 0; }},
        {"120 x 64 doubled: each pixel a 2 x 2 square", fine, dither(Tone::FloydSteinberg),
            [](int x, int y) { return (x / 2 + y / 2) % 2 == 0; }},
        {"1 x 128 fit: one column in the middle", pgm(1, 128, [](int, int) { return 0; }), {},
            [](int x, int) { return x == 119; }},
        {"checkerboard crop at 2,0: shifted by one square", checkerboard, sized(Sizing::Crop, 2, 0),
            [](int x, int y) { return (x / 2 + 1 + y / 2) % 2 == 0; }},
        {"Floyd-Steinberg, one row: black, white", pgm(2, 1, [](int, int) { return 170; }), floyd,
            [](int x, int y) { return x == 0 && y == 0; }},
        {"Atkinson, one row: black, black", pgm(2, 1, [](int, int) { return 170; }), atkinson,
            [](int x, int y) { return x < 2 && y == 0; }},
        {"Floyd-Steinberg, the second row from the right: white, black",
            pgm(2, 2, [](int, int y) { return y == 0 ? 255 : 170; }), floyd,
            [](int x, int y) { return x == 1 && y == 1; }},
    };
    for (const Row &row : rows) {
        ROW(row.name);
        CHECK_EQ(firstDifference(prepare(row.picture, row.options), row.expected), "");
    }
}

TEST_CASE(toneFollowsTheLight)
{
    // Rec. 709 luminance of the sRGB primaries: red 0.2126 (stored as 49.9 %),
    // green 0.7152 (86.3 %), blue 0.0722 (29.8 %).
    struct Row {
        const char *name;
        Bytes picture;
        PrepareOptions options;
        double white; // percent of white dots
        double within;
    };
    const Bytes grey137 = flatPpm(240, 128, 137, 137, 137);
    auto halfTransparentBlack = [] {
        Bmp bmp {.width = 240, .height = 128, .bitCount = 32, .compression = 3, .headerSize = 108,
                 .masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000}};
        for (int i = 0; i < 240 * 128; ++i)
            bmp.pixels.insert(bmp.pixels.end(), {0, 0, 0, 128});
        return bmp.build();
    };
    const std::vector<Row> rows {
        {"grey 137 (a quarter of the light), Floyd-Steinberg", grey137, dither(Tone::FloydSteinberg), 25, 1},
        {"grey 137, Bayer", grey137, dither(Tone::Bayer), 25, 0},
        {"grey 137 shrunk by 2 keeps its light", flatPpm(480, 256, 137, 137, 137),
            dither(Tone::FloydSteinberg), 25, 1},
        {"1-pixel black and white stripes shrunk by 2: half the light",
            pgm(480, 256, [](int x, int) { return x % 2 ? 255 : 0; }), dither(Tone::FloydSteinberg), 50, 1},
        {"half-transparent black on white: half the light", halfTransparentBlack(),
            dither(Tone::FloydSteinberg), 50, 1},
        {"grey 51 is 20 %: white at threshold 20", flatPpm(240, 128, 51, 51, 51), threshold(20), 100, 0},
        {"grey 51: black at threshold 21", flatPpm(240, 128, 51, 51, 51), threshold(21), 0, 0},
        {"grey 128: white at the default threshold", flatPpm(240, 128, 128, 128, 128), {}, 100, 0},
        {"grey 127: black at the default threshold", flatPpm(240, 128, 127, 127, 127), {}, 0, 0},
        {"red: white at 49", flatPpm(240, 128, 255, 0, 0), threshold(49), 100, 0},
        {"red: black at 50", flatPpm(240, 128, 255, 0, 0), threshold(50), 0, 0},
        {"green: white at 86", flatPpm(240, 128, 0, 255, 0), threshold(86), 100, 0},
        {"green: black at 87", flatPpm(240, 128, 0, 255, 0), threshold(87), 0, 0},
        {"blue: white at 29", flatPpm(240, 128, 0, 0, 255), threshold(29), 100, 0},
        {"blue: black at 30", flatPpm(240, 128, 0, 0, 255), threshold(30), 0, 0},
    };
    for (const Row &row : rows) {
        ROW(row.name);
        const double white = whiteShare(prepare(row.picture, row.options));
        CHECK(white >= row.white - row.within && white <= row.white + row.within)
            || (std::printf("    white dots: %.2f %%\n", white), false);
    }
}

TEST_CASE(blackAndWhiteComesThroughUnchanged)
{
    std::mt19937 random(1234);
    std::vector<int> dots(240 * 128);
    for (int &d : dots)
        d = int(random() % 2);
    const Dots noise = [&](int x, int y) { return dots[std::size_t(y * kW + x)] == 1; };
    const Bytes asPgm = pgm(240, 128, [&](int x, int y) { return noise(x, y) ? 0 : 255; });
    // A one-bit bitmap, white first as ImageMagick writes it: index 1 black.
    Bmp bitmap {.width = 240, .height = 128, .bitCount = 1, .palette = {0xFFFFFF, 0x000000}};
    for (int y = kH - 1; y >= 0; --y)
        for (int byte = 0; byte < 32; ++byte) {
            std::uint8_t bits = 0;
            for (int k = 0; k < 8 && byte * 8 + k < kW; ++k)
                bits = std::uint8_t(bits | (noise(byte * 8 + k, y) ? 0x80 >> k : 0));
            bitmap.pixels.push_back(bits);
        }
    const Bytes asBmp = bitmap.build();
    PrepareOptions inverted;
    inverted.invert = true;
    inverted.tone = Tone::FloydSteinberg;
    struct Row {
        const char *name;
        PrepareOptions options;
        Dots expected;
    };
    for (const Row &row : std::initializer_list<Row> {
             {"threshold 1", threshold(1), noise},
             {"threshold 50", {}, noise},
             {"threshold 100", threshold(100), noise},
             {"Floyd-Steinberg", dither(Tone::FloydSteinberg), noise},
             {"Atkinson", dither(Tone::Atkinson), noise},
             {"Bayer", dither(Tone::Bayer), noise},
             {"fill", sized(Sizing::Fill), noise},
             {"stretch", sized(Sizing::Stretch), noise},
             {"crop at 0,0", sized(Sizing::Crop), noise},
             {"inverted: every dot swapped", inverted, [&](int x, int y) { return !noise(x, y); }}}) {
        ROW(row.name);
        CHECK_EQ(firstDifference(prepare(asPgm, row.options), row.expected), "");
        CHECK_EQ(firstDifference(prepare(asBmp, row.options), row.expected), "");
    }
}

TEST_CASE(refusalsNameTheFileAndTheReason)
{
    const Bytes png = readFixture("png-rgb8.png");
    Bytes badCrc = png;
    badCrc[45] ^= 0x01; // inside the first data chunk
    const Bytes pattern24 = Bmp {.pixels = patternPixels24({3, 2, 1, 0})}.build();
    struct Row {
        const char *name;
        Bytes bytes;
        std::string expected;
    };
    const std::vector<Row> rows {
        {"an empty file", {}, "odd.pic: an empty file; prepare reads PNG, BMP, PBM, PGM and PPM pictures"},
        {"JPEG", {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F', 'I', 'F'},
            "odd.pic: a JPEG picture; prepare reads"},
        {"GIF", bytesOf("GIF89a\x01\x00\x01\x00"), "odd.pic: a GIF picture; prepare reads"},
        {"text", bytesOf("hello, world\n"), "odd.pic: a text file; prepare reads"},
        {"unknown bytes", {0x00, 0x9C, 0x13, 0x37, 0x42},
            "odd.pic: an unknown kind of file (it begins with 00 9C 13 37)"},
        {"PNG cut short", Bytes(png.begin(), png.begin() + 60), "odd.pic: the PNG data cannot be read: "},
        {"PNG with a damaged chunk", badCrc, "odd.pic: the PNG data cannot be read: "},
        {"bitmap pixels cut short", Bytes(pattern24.begin(), pattern24.end() - 30),
            "odd.pic: the pixel data ends after row 2 of 4 (66 of 96 bytes)"},
        {"bitmap pixel beyond its colour table",
            Bmp {.bitCount = 4,
                .clrUsed = 2,
                .palette = {0, 0xFFFFFF},
                .pixels = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x50, 0, 0, 0}}
                .build(),
            "odd.pic: pixel (0, 0) uses colour 5 of a table of 2 entries"},
        {"one bit: the intake's reasons",
            Bmp {.bitCount = 1, .clrUsed = 1, .palette = {0}, .pixels = Bytes(16, 0x01)}.build(),
            "odd.pic: pixel (7, 0) from the top left uses colour table entry 1, but the table has one entry "
            "only"},
        {"bitmap with a JPEG inside", Bmp {.compression = 4, .pixels = Bytes(96)}.build(),
            "odd.pic: compression 4 (JPEG) is not one prepare reads"},
        {"RLE8 in a 24-bit bitmap", Bmp {.compression = 1, .pixels = Bytes(96)}.build(),
            "odd.pic: compression 1 (RLE8) is not defined for 24-bit pictures"},
        {"3 bits per pixel", Bmp {.bitCount = 3, .pixels = Bytes(16)}.build(),
            "odd.pic: 3 bits per pixel is no bitmap depth"},
        {"RLE8 without its end",
            Bmp {.bitCount = 8, .compression = 1, .clrUsed = 1, .palette = {0}, .pixels = {8, 0, 0, 0, 8, 0}}
                .build(),
            "odd.pic: the RLE8 data ends in row 2 of 4 without its end mark"},
        {"a 20-byte info header", Bmp {.headerSize = 20, .pixels = Bytes(96)}.build(),
            "odd.pic: an info header of 20 bytes is not one prepare reads"},
        {"a width of 0", Bmp {.width = 0}.build(), "odd.pic: a width of 0 pixels"},
        {"colour table past the pixel data",
            [] {
                Bytes b = Bmp {.bitCount = 8, .clrUsed = 256, .palette = {0, 0}, .pixels = Bytes(32)}.build();
                return b;
            }(),
            "odd.pic: the colour table of 256 entries runs past"},
        {"a grey above its maxval", bytesOf("P2 2 1 255 0 300"),
            "odd.pic: a sample of 300 above its maxval of 255"},
        {"raw PPM cut short", bytesOf("P6 2 2 255\n\x01\x02\x03\x04\x05\x06\x07"),
            "odd.pic: the pixel data ends after row 1 of 2"},
        {"plain PBM cut short", bytesOf("P1 3 2 0 1 0 1"), "odd.pic: the pixel data ends at pixel (1, 1)"},
        {"plain PBM with a 2", bytesOf("P1 2 1 0 2"), "odd.pic: \"2\" where a pixel of 0 or 1 should be"},
        {"a side too long", bytesOf("P4 2000000 1\n"),
            "odd.pic: a picture of 2000000 x 1 pixels is more than prepare takes"},
        {"too many pixels", bytesOf("P4 40000 40000\n"),
            "odd.pic: a picture of 40000 x 40000 pixels is more than"},
        {"no pixels", bytesOf("P5 0 5 255\n"), "odd.pic: a picture of 0 x 5 pixels"},
    };
    for (const Row &row : rows) {
        ROW(row.name);
        const std::string failure = failureOf(row.bytes);
        CHECK_EQ(failure.substr(0, row.expected.size()), row.expected);
    }
}

TEST_CASE(summaryLine)
{
    const Bytes black1024 = pgm(1024, 768, [](int, int) { return 0; });
    const Bytes oneDot = pgm(240, 128, [](int x, int y) { return x == 0 && y == 0 ? 0 : 255; });
    const Bytes allButOne = pgm(240, 128, [](int x, int y) { return x == 0 && y == 0 ? 255 : 0; });
    PrepareOptions invertBayer = dither(Tone::Bayer);
    invertBayer.invert = true;
    struct Row {
        const char *name;
        Bytes picture;
        PrepareOptions options;
        std::string expected;
    };
    const std::vector<Row> rows {
        // 171 x 128 black of 240 x 128: 71.25 %.
        {"fit", black1024, dither(Tone::FloydSteinberg),
            "photo.png 1024 x 768 -> fit 171 x 128, Floyd-Steinberg, 71 % black -> photo-lcd.bmp"},
        {"fill", black1024, sized(Sizing::Fill),
            "photo.png 1024 x 768 -> fill 240 x 180, threshold 50 %, 100 % black -> photo-lcd.bmp"},
        {"crop; one black dot is 1 %, not 0", oneDot, sized(Sizing::Crop, 0, 0),
            "photo.png 240 x 128 -> crop at 0,0, threshold 50 %, 1 % black -> photo-lcd.bmp"},
        {"all but one dot black is 99 %, not 100", allButOne, threshold(30),
            "photo.png 240 x 128 -> not scaled, threshold 30 %, 99 % black -> photo-lcd.bmp"},
        {"Bayer, inverted", allButOne, invertBayer,
            "photo.png 240 x 128 -> not scaled, Bayer, inverted, 1 % black -> photo-lcd.bmp"},
    };
    for (const Row &row : rows) {
        ROW(row.name);
        CHECK_EQ(
            describePreparation("photo.png", prepare(row.picture, row.options), row.options, "photo-lcd.bmp"),
            row.expected);
    }
}

TEST_CASE(names)
{
    struct Row {
        const char *name;
        std::string picture, prepared, command;
    };
    for (const Row &row : std::initializer_list<Row> {
             {"extension replaced", "photo.png", "photo-lcd.bmp", "quellbit-cli prepare photo.png"},
             {"beside the picture", "pics/logo.BMP", "pics/logo-lcd.bmp",
                 "quellbit-cli prepare pics/logo.BMP"},
             {"no extension", "pics/scan", "pics/scan-lcd.bmp", "quellbit-cli prepare pics/scan"},
             {"a dot in the folder only", "v1.2/scan", "v1.2/scan-lcd.bmp", "quellbit-cli prepare v1.2/scan"},
             {"a hidden file has no extension", ".logo", ".logo-lcd.bmp", "quellbit-cli prepare .logo"},
             {"only the last extension", "a.tar.png", "a.tar-lcd.bmp", "quellbit-cli prepare a.tar.png"},
             {"spaces are quoted", "my photo.png", "my photo-lcd.bmp", "quellbit-cli prepare 'my photo.png'"},
             {"a quote in the name", "it's.png", "it's-lcd.bmp", "quellbit-cli prepare 'it'\\''s.png'"},
             {"a leading dash is no option", "-x.png", "-x-lcd.bmp", "quellbit-cli prepare ./-x.png"}}) {
        ROW(row.name);
        CHECK_EQ(preparedPath(row.picture), row.prepared);
        CHECK_EQ(prepareCommand(row.picture), row.command);
    }
}

TEST_CASE(infoSuggestsPrepareWhenItReadsThePicture)
{
    ROW("a picture prepare reads");
    CHECK_EQ(prepareSuggestion(readFixture("bmp-24-pillow.bmp"), "art/my logo.bmp"),
        "make a copy:    quellbit-cli prepare 'art/my logo.bmp'  (writes art/my logo-lcd.bmp, 240 x 128 at 1 "
        "bit)\n");
    ROW("one it cannot read");
    CHECK_EQ(prepareSuggestion(bytesOf("GIF89a"), "logo.gif"), "");
}

// Every input the prepare fuzzer once found ends with dots or with Failure.
TEST_CASE(fuzzFindings)
{
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(QUELLBIT_TEST_DATA) / "fuzz" / "prepare";
    for (const fs::directory_entry &input : fs::directory_iterator(folder)) {
        ROW(input.path().filename().string());
        std::ifstream in(input.path(), std::ios::binary);
        const Bytes bytes(std::istreambuf_iterator<char>(in), {});
        try {
            CHECK_EQ(prepare(bytes).black.size(), std::size_t(kW * kH));
        } catch (const Failure &) {
        }
    }
}

CHECK_MAIN
