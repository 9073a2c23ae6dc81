#pragma once

// Comparing a data file with the text conversion writes for its picture, as
// a user would judge it: first the dots the preview draws, then, when those
// are the same, the text itself.

#include <cstddef>
#include <string>
#include <string_view>

namespace quellbit {

class DataLines;

struct DataFileComparison {
    enum class Outcome { Identical, SameDots, DotsDiffer };
    Outcome outcome = Outcome::Identical;
    // SameDots: the first line whose text differs. DotsDiffer: the line that
    // plots the first differing dot, or the line after the last when the
    // file ends before it.
    long long line = 0;
    // SameDots: how that line differs ("LF line end instead of CR LF").
    std::string how;
    std::size_t differingDots = 0;

    // "same dots; the text differs from what conversion writes, first at
    // line 1 (LF line end instead of CR LF)" or "2 dots differ, first
    // difference on line 4"; empty when identical.
    std::string describe() const;
};

// Compares the data file at `path` with `expected`, the text conversion
// writes (240 x 128 dots, every line ending in CR LF). Reads the file line
// by line as the preview does; a line too short to decode ends the plot
// there. Throws Failure naming the file when it cannot be read.
DataFileComparison compareDataFile(const std::string &path, std::string_view expected);

// The same for the lines of a data file from any source.
DataFileComparison compareDataLines(DataLines &lines, std::string_view expected);

} // namespace quellbit
