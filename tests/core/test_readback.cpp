// Reading a data file back for `check` and `render`: its lines and their
// ends however the file is cut into blocks, the comparison with what
// conversion writes, and the pictures drawn from it.

#include "common/failure.h"
#include "preview/compare.h"
#include "preview/data_lines.h"
#include "preview/render.h"
#include "support/data_text.h"
#include "support/files.h"

#include <doctest/doctest.h>

#include <png.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace quellbit;
using testtext::line;
using testtext::replaced;

namespace {

// A source that hands out `text` in pieces of `piece` bytes.
DataLines linesOf(const std::string &text, std::size_t piece)
{
    return DataLines(
        [text, piece, at = std::size_t {0}](std::span<char> buffer) mutable {
            const std::size_t n = std::min({piece, buffer.size(), text.size() - at});
            std::memcpy(buffer.data(), text.data() + at, n);
            at += n;
            return n;
        },
        "lcd.txt");
}

// Decoded with libpng's own reader: the colour value of each pixel, row by
// row from the top.
std::vector<std::int32_t> decodePng(const std::string &bytes)
{
    png_image image {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        return {};
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return {};
    std::vector<std::int32_t> colors;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
        colors.push_back(rgb[i] + 256 * rgb[i + 1] + 65536 * rgb[i + 2]);
    return colors;
}

} // namespace

TEST_CASE("line ends")
{
    struct Row {
        const char *name;
        std::string text;
        std::string lines; // each line, then its end: "|" CR LF, "/" LF, "<" CR, "." none; [failure]
    };
    for (const Row &row : std::initializer_list<Row> {
             {"CR LF, LF and CR, and a last line without an end", "a\r\nb\nc\rd", "a|b/c<d."},
             {"empty lines count", "\r\n\n\r\r\n", "|/<|"},
             {"CR at the end of the file", "a\r", "a<"},
             {"nothing", "", ""},
             {"a line over a million characters", "a\n" + std::string((1 << 20) + 1, 'x'),
              "a/[lcd.txt: line 2 is over a million characters long; this is no data file]"},
         }) {
        for (const std::size_t piece : {std::size_t {1}, std::size_t {2}, std::size_t {1} << 20}) {
            INFO(row.name, ", read ", piece, " bytes at a time");
            DataLines lines = linesOf(row.text, piece);
            std::string seen;
            std::string_view text;
            LineEnd end = LineEnd::None;
            long long count = 0;
            try {
                while (lines.next(text, end)) {
                    seen += text;
                    seen += "|/<."[static_cast<int>(end)];
                    CHECK_EQ(lines.number(), ++count);
                }
            } catch (const Failure &failure) {
                seen += "[" + std::string(failure.what()) + "]";
            }
            CHECK_EQ(seen, row.lines);
        }
    }
}

// A data file against the marks as conversion writes them.
TEST_CASE("comparison")
{
    using enum DataFileComparison::Outcome;
    const std::string expected = testtext::marksText();
    const std::string same = "same dots; the text differs from what conversion writes, first at line ";
    std::string sixteenItems; // the same bytes, sixteen a line
    for (std::size_t at = 0; at < expected.size(); at += 90)
        sixteenItems += expected.substr(at, 42) + "," + expected.substr(at + 56, 34);
    const std::string lettered = replaced(expected, "00H", "FFH"); // digits that are letters
    struct Row {
        const char *name;
        std::string text;
        DataFileComparison::Outcome outcome;
        std::string describe;
        std::string expected = {}; // empty: the marks
    };
    for (const Row &row : std::initializer_list<Row> {
             {"the very text conversion writes", expected, Identical, ""},
             {"LF line ends", replaced(expected, "\r\n", "\n"), SameDots,
              same + "1 (LF line end instead of CR LF)"},
             {"lower-case \"h\"", replaced(expected, "82H", "82h"), SameDots,
              same + "1 (lower-case \"h\" instead of \"H\")"},
             {"lower-case digits", replaced(lettered, "FFH", "ffH"), SameDots,
              same + "1 (lower-case hexadecimal digits)", lettered},
             {"a tab after DB", replaced(expected, "        DB ", "        DB\t"), SameDots,
              same + "1 (other spacing, first at column 11)"},
             {"sixteen items a line", sixteenItems, SameDots, same + "1 (16 items instead of 8)"},
             {"an empty line after line 2", expected.substr(0, 90) + "\r\n" + expected.substr(90), SameDots,
              same + "3 (an empty line)"},
             {"an empty line at the end", expected + "\r\n", SameDots,
              same + "481 (an empty line after the 480 lines conversion writes)"},
             {"a line beyond the picture", expected + line({0, 0, 0, 0, 0, 0, 0, 0}), SameDots,
              same + "481 (a line after the 480 lines conversion writes)"},
             {"no line end after the last line", expected.substr(0, expected.size() - 2), SameDots,
              same + "480 (no line end instead of CR LF)"},
             {"80H made C1H on line 4: two dots", std::string(expected).replace(3 * 45 + 31, 2, "C1"), DotsDiffer,
              "2 dots differ, first difference on line 4"},
             {"cut after line 470: ten lines of dots missing", expected.substr(0, 470 * 45), DotsDiffer,
              "640 dots differ, first difference on line 471"},
         }) {
        INFO(row.name);
        DataLines lines = linesOf(row.text, 1000);
        const DataFileComparison result = compareDataLines(lines, row.expected.empty() ? expected : row.expected);
        CHECK_EQ(result.outcome, row.outcome);
        CHECK_EQ(result.describe(), row.describe);
    }
}

// The marks cut after line 470, drawn. Bitmap bytes worked out by hand: a
// file header of 14 bytes, a 40-byte info header, entry 0 black and entry 1
// white, then rows of 32 bytes, bottom row first, leftmost dot in the high
// bit, a set bit white. The PNG as the preview draws it: black 1 bits, dark
// green 0 bits and dots the file does not reach.
TEST_CASE("pictures of the marks")
{
    testbmp::TempFolder dir;
    REQUIRE(testbmp::save(dir.file("lcd.txt"), testtext::marksText().substr(0, 470 * 45)));
    const std::string bmp = renderDataFile(dir.file("lcd.txt"), RenderFormat::Bitmap);
    REQUIRE_EQ(bmp.size(), std::size_t {62 + 128 * 32});
    // "BM", bfSize 4,158, reserved, bfOffBits 62; biSize 40, 240 x 128
    // (bottom-up), 1 plane, 1 bit, no compression, biSizeImage 4,096.
    CHECK_EQ(bmp.substr(0, 38), std::string("BM\x3E\x10\0\0\0\0\0\0\x3E\0\0\0\x28\0\0\0\xF0\0\0\0\x80\0\0\0"
                                            "\x01\0\x01\0\0\0\0\0\0\x10\0\0", 38));
    CHECK_EQ(bmp.substr(46, 4), std::string("\x02\0\0\0", 4)); // biClrUsed 2
    CHECK_EQ(bmp.substr(54, 8), std::string("\0\0\0\0\xFF\xFF\xFF\0", 8));
    const std::string top = bmp.substr(62 + 127 * 32, 32); // the last row stored
    CHECK_EQ(top.substr(0, 2), "\x7F\xBE");                 // dots 0, 9 and 15 black
    CHECK_EQ(top.substr(29, 3), std::string("\xFE\0\0", 3)); // dot 239 black, then padding
    // Dots the cut file does not reach (470 lines are 30,080 dots: row 125
    // from dot 80 on, rows 126 and 127) are white; row 127 is stored first.
    CHECK_EQ(bmp.substr(62, 32), std::string(30, '\xFF') + std::string(2, '\0'));

    const auto colors = decodePng(renderDataFile(dir.file("lcd.txt"), RenderFormat::Png));
    REQUIRE_EQ(colors.size(), std::size_t {240 * 128});
    for (std::size_t i = 0; i < colors.size(); ++i)
        if (!CHECK_EQ(colors[i], testtext::marks(int(i % 240), int(i / 240)) == 0 ? 0 : 0x008000))
            break;
}
