#pragma once

// The LCD data file: assembler data statements holding the picture as one
// stream of bits, one bit per dot, eight dots per byte, eight bytes per line.
//
// Worked example. The top row of a picture starts with these 16 dots
// (# = on colour, . = any other colour), leftmost first:
//
//     # . . . . . . .   . . . . . . . #
//     bit 0 ........ 7   bit 0 ........ 7
//
// The leftmost dot of each group of eight is bit 0 (weight 1), the eighth is
// bit 7 (weight 128), so the two groups are the bytes 01 and 80. With six
// more bytes of 00 the first line of the file reads (CR LF after it):
//
//     "        DB 01H,80H,00H,00H,00H,00H,00H,00H;"
//
// A 240-dot row is 30 bytes, so rows do not follow lines: every four rows
// fill exactly fifteen lines, and a 240 x 128 picture gives 480 lines of
// 45 bytes each with CR LF, 21,600 bytes in all.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quellbit {

inline constexpr std::string_view kLinePrefix = "        DB ";
inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr int kItemsPerLine = 8;
inline constexpr std::size_t kLineLength = 43; // without CR LF

// One whole line for eight bytes, CR LF included.
std::string dataLine(std::span<const std::uint8_t, kItemsPerLine> bytes);

// The name of a picture's data file: "lcd_" and the picture's file name with
// every ".BMP" (in any letter case) replaced by ".txt". "logo.bmp" gives
// "lcd_logo.txt", "LOGO.BMP" "lcd_LOGO.txt", "a.bmp.bmp" "lcd_a.txt.txt".
std::string dataFileName(std::string_view pictureFileName);

// The full path of the data file: the folder path exactly as given, the
// separator, then dataFileName(). No normalisation: a folder path that ends
// in a separator gives a doubled one.
std::string dataFilePath(std::string_view folder, std::string_view pictureFileName, char separator = '/');

// The data file of the picture at `picturePath`, beside it: the folder as
// given ("." when the path names none) and dataFileName() of the last part.
// "pics/logo.bmp" gives "pics/lcd_logo.txt", "logo.bmp" "./lcd_logo.txt",
// "//logo.bmp" "//lcd_logo.txt"; on Windows "C:\Art\LOGO.BMP" gives
// "C:\Art\lcd_LOGO.txt" and "LOGO.BMP" ".\lcd_LOGO.txt".
std::string dataFilePathFor(std::string_view picturePath);

// Where a dot's bit stands in the data file of a picture `width` dots wide:
// line and item counted from 1 as an editor shows them, bit 0 (weight 1) to
// 7. Dot (x, y) is bit x mod 8 of stream byte (y * width + x) / 8, so dot
// (239, 0) of a 240-dot row is line 4, item 6, bit 7.
struct DotPlace {
    std::int64_t line = 0;
    int item = 0;
    int bit = 0;
    bool operator==(const DotPlace &) const = default;
};

struct Dot {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Dot &) const = default;
};

// The place of dot (x, y); the caller keeps x within 0 .. width - 1 and y
// at 0 or more, width a multiple of 8.
DotPlace placeOfDot(Dot dot, std::int32_t width);

// The reverse: the dot whose bit stands at `place` (line 1 or more, item
// 1 to 8, bit 0 to 7).
Dot dotAtPlace(const DotPlace &place, std::int32_t width);

// What pointing at a dot tells: "dot (239, 0): line 4, item 6, bit 7 of
// 80H", `byte` being the value of the item that holds it.
std::string describeDot(Dot dot, std::int32_t width, std::uint8_t byte);

} // namespace quellbit
