#pragma once

// Data file text for tests, written out by hand: lines of eight bytes, and
// "the marks", a picture of five black dots on white with the data file
// worked out for it.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace testtext {

// "        DB 01H,82H,...;" and CR LF for eight bytes.
inline std::string line(const std::vector<unsigned> &bytes)
{
    std::string text = "        DB ";
    for (const unsigned byte : bytes) {
        char item[8];
        std::snprintf(item, sizeof item, "%02XH,", byte & 0xFF);
        text += item;
    }
    text.back() = ';';
    return text + "\r\n";
}

// Table entry 0 (black, the Normal on colour) at (0, 0), (9, 0), (15, 0),
// (239, 0) and (0, 1); entry 1 (white) everywhere else.
inline int marks(int x, int y)
{
    const bool black = (y == 0 && (x == 0 || x == 9 || x == 15 || x == 239)) || (y == 1 && x == 0);
    return black ? 0 : 1;
}

// The data file of the marks: (0,0) is bit 0 of byte 0, (9,0) and (15,0)
// bits 1 and 7 of byte 1; (239,0) is bit 7 of byte 29 and (0,1) bit 0 of
// byte 30, items 6 and 7 of line 4. Every other byte is 00H.
inline std::string marksText()
{
    const std::string clear = line({0, 0, 0, 0, 0, 0, 0, 0});
    std::string text = line({0x01, 0x82, 0, 0, 0, 0, 0, 0}) + clear + clear + line({0, 0, 0, 0, 0, 0x80, 0x01, 0});
    for (int i = 4; i < 480; ++i)
        text += clear;
    return text;
}

inline std::string replaced(std::string text, std::string_view from, std::string_view to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

} // namespace testtext
