#include "preview/plot.h"

#include "common/checked.h"
#include "convert/data_file.h"
#include "common/failure.h"
#include "common/input_file.h"
#include "preview/data_lines.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace quellbit {

namespace {

// What each character is to the line decoding: a hexadecimal digit's value,
// kSeparatorH for "H" or "h", kOther for anything else.
constexpr unsigned char kSeparatorH = 16;
constexpr unsigned char kOther = 17;
constexpr std::array<unsigned char, 256> kCharClass = [] {
    std::array<unsigned char, 256> table {};
    for (unsigned c = 0; c < 256; ++c) {
        if (c >= '0' && c <= '9')
            table[c] = static_cast<unsigned char>(c - '0');
        else if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'))
            table[c] = static_cast<unsigned char>((c | 0x20) - 'a' + 10);
        else
            table[c] = kOther;
    }
    table['H'] = kSeparatorH;
    table['h'] = kSeparatorH;
    return table;
}();

// decodeLine into `bits`, whose storage is reused from line to line.
void decodeLineInto(std::string_view line, std::string &bits)
{
    static constexpr char kNibbles[] = "0000000100100011010001010110011110001001101010111100110111101111";
    const std::string_view items = line.substr(11, line.size() - kShortestDataLine);
    bits.resize(items.size() * 4); // the most a line can give: four bits a character
    char *out = bits.data();
    std::size_t i = 0;
    // Items as the conversion writes them, two digits and "H,", go four
    // characters at a time; anything else one character at a time.
    while (i + 4 <= items.size()) {
        const unsigned char high = kCharClass[static_cast<unsigned char>(items[i])];
        const unsigned char low = kCharClass[static_cast<unsigned char>(items[i + 1])];
        if (high >= 16 || low >= 16 || kCharClass[static_cast<unsigned char>(items[i + 2])] != kSeparatorH
            || items[i + 3] != ',')
            break;
        std::memcpy(out, kNibbles + 4 * high, 4);
        std::memcpy(out + 4, kNibbles + 4 * low, 4);
        out += 8;
        i += 4;
    }
    for (; i < items.size(); ++i) {
        const char c = items[i];
        const unsigned char kind = kCharClass[static_cast<unsigned char>(c)];
        if (kind < 16) {
            std::memcpy(out, kNibbles + 4 * kind, 4);
            out += 4;
        } else if (kind == kSeparatorH && i + 1 < items.size() && items[i + 1] == ',') {
            ++i; // drop the separator "H,"
        } else {
            *out++ = c;
        }
    }
    bits.resize(static_cast<std::size_t>(out - bits.data()));
}

// The eight dots of each byte value, leftmost (bit 0) first.
constexpr auto kGroupDots = [] {
    std::array<std::array<std::int32_t, 8>, 256> table {};
    for (std::size_t value = 0; value < 256; ++value)
        for (std::size_t j = 0; j < 8; ++j)
            table[value][j] = (value >> j) & 1 ? kDotOnColor : kDotOffColor;
    return table;
}();

} // namespace

std::string decodeLine(std::string_view line)
{
    std::string bits;
    decodeLineInto(line, bits);
    return bits;
}

void plotBits(std::string_view bits, PlotState &state, Surface &surface, std::int32_t width, std::int32_t height)
{
    // Dots are gathered into runs along a row and handed over a run at a time.
    std::array<std::int32_t, 256> run;
    std::size_t runLength = 0;
    std::int16_t runX = state.PlotX;
    auto flush = [&] {
        if (runLength > 0)
            surface.setPixels(runX, state.PlotRow, std::span(run.data(), runLength));
        runLength = 0;
    };

    const std::int32_t fastLimit = std::min<std::int32_t>(width, 32767) - 8;
    std::size_t groupEnd = 8; // E: position (from 1) of the group's last character
    std::size_t index = 0;    // i: characters of the group taken so far
    for (;;) {
        if (state.PlotRow > height - 1)
            break;
        if (state.PlotX > width - 1) {
            flush();
            state.PlotRow = checked::add16(state.PlotRow, 1);
            state.PlotX = 0;
            runX = 0;
            continue;
        }
        if (groupEnd > bits.size())
            break;
        // A whole group of "0" and "1" that fits in the row: eight dots at once
        // (the characters read as one little-endian word).
        if (std::endian::native == std::endian::little && index == 0 && state.PlotX <= fastLimit) {
            std::uint64_t group;
            std::memcpy(&group, bits.data() + groupEnd - 8, 8);
            if (((group & 0xFEFEFEFEFEFEFEFEull) ^ 0x3030303030303030ull) == 0) {
                if (runLength + 8 > run.size()) {
                    flush();
                    runX = state.PlotX;
                }
                // The low bits of the eight characters, the first as bit 7:
                // the byte itself, whose dots the table holds.
                const auto value = static_cast<std::size_t>(((group & 0x0101010101010101ull) * 0x8040201008040201ull) >> 56);
                std::memcpy(run.data() + runLength, kGroupDots[value].data(), sizeof(kGroupDots[value]));
                runLength += 8;
                groupEnd += 8;
                state.PlotX = static_cast<std::int16_t>(state.PlotX + 8);
                continue;
            }
        }
        const char c = bits[groupEnd - index - 1];
        if (c == '0' || c == '1') {
            if (runLength == run.size()) {
                flush();
                runX = state.PlotX;
            }
            run[runLength++] = c == '1' ? kDotOnColor : kDotOffColor;
        } else {
            flush();
            runX = checked::add16(state.PlotX, 1);
        }
        if (++index == 8) {
            groupEnd += 8;
            index = 0;
        }
        state.PlotX = checked::add16(state.PlotX, 1);
    }
    flush();
}

void readBitStrings(DataLines &lines, const std::function<void(std::string_view bits)> &plot)
{
    std::string bits;
    std::string_view line;
    LineEnd end = LineEnd::None;
    while (lines.next(line, end)) {
        if (line.empty())
            continue;
        lines.checkDecodable(line);
        decodeLineInto(line, bits);
        plot(bits);
    }
}

void readBitStrings(const std::string &path, const std::function<void(std::string_view bits)> &plot)
{
    InputFile file(path);
    DataLines lines([&file](std::span<char> block) { return file.read(block); }, path);
    readBitStrings(lines, plot);
}

void loadPreview(const std::string &path, PlotState &state, Surface &surface, std::int32_t width, std::int32_t height)
{
    surface.clear();
    state = PlotState {};
    readBitStrings(path, [&](std::string_view bits) { plotBits(bits, state, surface, width, height); });
}

void plotDataText(std::string_view text, const std::string &name, PlotState &state, Surface &surface,
                  std::int32_t width, std::int32_t height)
{
    auto read = [&text](std::span<char> block) {
        const std::size_t n = text.copy(block.data(), block.size());
        text.remove_prefix(n);
        return n;
    };
    DataLines lines(read, name);
    readBitStrings(lines, [&](std::string_view bits) { plotBits(bits, state, surface, width, height); });
}

std::string describePlottedDot(std::int32_t x, std::int32_t y, std::span<const std::int32_t> row, std::int32_t width,
                               std::int32_t height)
{
    if (x < 0 || y < 0 || x >= width || y >= height || width % 8 != 0 || row.size() < static_cast<std::size_t>(width))
        return {};
    const std::size_t first = static_cast<std::size_t>(x - x % 8);
    unsigned byte = 0;
    for (std::size_t j = 0; j < 8; ++j) {
        const std::int32_t dot = row[first + j];
        if (dot != kDotOnColor && dot != kDotOffColor)
            return {};
        byte |= (dot == kDotOnColor ? 1u : 0u) << j;
    }
    return describeDot({x, y}, width, static_cast<std::uint8_t>(byte));
}

} // namespace quellbit
