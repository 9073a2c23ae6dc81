#pragma once

// Reading an LCD data file back into dots: each line is cut to its items,
// turned into a string of "0" and "1" characters (most significant bit of
// each byte first) and plotted in groups of eight from the last character to
// the first, so bit 0 lands on the leftmost dot of its group again.

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace quellbit {

class DataLines;

inline constexpr std::int32_t kDotOffColor = 32768; // dark green: red 0, green 128, blue 0
inline constexpr std::int32_t kDotOnColor = 0;      // black

// Where the dots go: a pixel surface addressed from (0, 0) at the top left.
class Surface {
public:
    virtual ~Surface() = default;
    // Fill the whole surface with its background colour.
    virtual void clear() = 0;
    // Colour the pixels (x, y), (x + 1, y), ... with `colors`. Pixels outside
    // the surface are left alone.
    virtual void setPixels(std::int32_t x, std::int32_t y, std::span<const std::int32_t> colors) = 0;
};

// The position of the next dot; survives between plotBits calls so that
// consecutive bit strings continue the same raster.
struct PlotState {
    std::int16_t PlotX = 0;
    std::int16_t PlotRow = 0;
};

// A line shorter than this cannot be cut: 11 prefix characters and the
// closing "H;".
inline constexpr std::size_t kShortestDataLine = 13;

// The bit string of one non-empty line: characters 12 to n - 2 (counting from
// 1), every "H," removed in one left-to-right pass regardless of case, then
// every hexadecimal digit replaced by its four binary digits. Other characters
// pass through unchanged. The caller guarantees line.size() >= 13.
std::string decodeLine(std::string_view line);

// Plots as many characters of `bits` as fit in the width x height area,
// starting at the state's position, and leaves the state at the next dot.
// A last group of fewer than eight characters is not plotted. Characters
// other than "0" and "1" plot nothing but take their place.
void plotBits(std::string_view bits, PlotState &state, Surface &surface, std::int32_t width, std::int32_t height);

// Hands the bit string of every non-empty line of the data file at `path`
// (decodeLine of it) to `plot`, in order. Lines end at CR LF, LF or CR. The
// file is read as an InputFile (a regular file, without blocking, at most
// 64 MiB) and a block at a time, never held whole. Throws Failure naming
// the file when it cannot be opened or read, and naming the line when a line
// is too short to decode or over a million characters long; what `plot` did
// before stays.
void readBitStrings(const std::string &path, const std::function<void(std::string_view bits)> &plot);

// The same over lines already being read.
void readBitStrings(DataLines &lines, const std::function<void(std::string_view bits)> &plot);

// Clears the surface, starts at (0, 0) and plots the bit string of every
// non-empty line of the data file at `path` (readBitStrings) with plotBits.
void loadPreview(const std::string &path, PlotState &state, Surface &surface, std::int32_t width, std::int32_t height);

// Plots the bit string of every non-empty line of a data file's text held
// in memory (`name` in messages) with plotBits, from `state` on; the surface
// is not cleared here.
void plotDataText(std::string_view text, const std::string &name, PlotState &state, Surface &surface,
                  std::int32_t width, std::int32_t height);

// What pointing at dot (x, y) of the plotted area tells, as describeDot
// (convert/data_file.h) words it: "dot (239, 0): line 4, item 6, bit 7 of
// 80H". `row` holds the colours of row y as plotted, at least `width` of
// them; the byte is read from the eight dots of the dot's group, the
// leftmost as bit 0. Empty outside the width x height area and where the
// group holds a dot that is neither kDotOnColor nor kDotOffColor (not
// plotted).
std::string describePlottedDot(std::int32_t x, std::int32_t y, std::span<const std::int32_t> row, std::int32_t width,
                               std::int32_t height);

} // namespace quellbit
