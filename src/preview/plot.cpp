#include "preview/plot.h"

#include "common/checked.h"
#include "common/failure.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace quellbit {

namespace {

// The four binary digits of a hexadecimal digit, or nullptr for any other
// character.
const char *binaryDigits(char c)
{
    static constexpr const char *kNibbles[16] = {"0000", "0001", "0010", "0011", "0100", "0101",
                                                 "0110", "0111", "1000", "1001", "1010", "1011",
                                                 "1100", "1101", "1110", "1111"};
    if (c >= '0' && c <= '9')
        return kNibbles[c - '0'];
    if (c >= 'A' && c <= 'F')
        return kNibbles[c - 'A' + 10];
    if (c >= 'a' && c <= 'f')
        return kNibbles[c - 'a' + 10];
    return nullptr;
}

// A data file line is 43 characters; anything near this size is no data file.
constexpr std::size_t kLongestLine = 1 << 20;

} // namespace

std::string decodeLine(std::string_view line)
{
    const std::string_view items = line.substr(11, line.size() - kShortestDataLine);
    std::string bits;
    bits.reserve(items.size() * 2);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const char c = items[i];
        if ((c == 'H' || c == 'h') && i + 1 < items.size() && items[i + 1] == ',') {
            ++i; // drop the separator "H,"
            continue;
        }
        if (const char *nibble = binaryDigits(c))
            bits.append(nibble, 4);
        else
            bits += c;
    }
    return bits;
}

void plotBits(std::string_view bits, PlotState &state, Surface &surface, std::int32_t width, std::int32_t height)
{
    // Dots are gathered into runs along a row and handed over a run at a time.
    std::array<std::int32_t, 64> run {};
    std::size_t runLength = 0;
    std::int16_t runX = state.PlotX;
    auto flush = [&] {
        if (runLength > 0)
            surface.setPixels(runX, state.PlotRow, std::span(run.data(), runLength));
        runLength = 0;
    };

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

void loadPreview(const std::string &path, PlotState &state, Surface &surface, std::int32_t width, std::int32_t height)
{
    surface.clear();
    state = PlotState {};

    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw Failure(path, "this is a folder, not a data file");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw Failure(path, std::string("cannot be opened for reading: ") + std::strerror(errno));

    plotDataStream(file, path, state, surface, width, height);
}

void plotDataStream(std::istream &in, const std::string &name, PlotState &state, Surface &surface,
                    std::int32_t width, std::int32_t height)
{
    std::string line;
    long long lineNumber = 0;
    bool afterCarriageReturn = false;
    auto endLine = [&] {
        ++lineNumber;
        if (line.empty())
            return;
        if (line.size() < kShortestDataLine)
            throw Failure(name, "line " + std::to_string(lineNumber) + " has " + std::to_string(line.size())
                                    + " characters, too few for a data line (at least 13)");
        plotBits(decodeLine(line), state, surface, width, height);
        line.clear();
    };

    std::array<char, 64 * 1024> buffer {};
    while (in) {
        in.read(buffer.data(), buffer.size());
        const auto got = static_cast<std::size_t>(in.gcount());
        for (std::size_t i = 0; i < got; ++i) {
            const char c = buffer[i];
            if (c == '\n') {
                if (!afterCarriageReturn) // CR LF ends one line, not two
                    endLine();
                afterCarriageReturn = false;
            } else if (c == '\r') {
                endLine();
                afterCarriageReturn = true;
            } else {
                afterCarriageReturn = false;
                if (line.size() == kLongestLine)
                    throw Failure(name, "line " + std::to_string(lineNumber + 1)
                                            + " is over a million characters long; this is no data file");
                line += c;
            }
        }
    }
    if (in.bad())
        throw Failure(name, std::string("cannot be read: ") + std::strerror(errno));
    if (!line.empty())
        endLine();
}

} // namespace quellbit
