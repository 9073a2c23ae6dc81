#include "preview/compare.h"

#include "common/input_file.h"
#include "common/text.h"
#include "common/lcd.h"
#include "convert/data_file.h"
#include "preview/data_lines.h"
#include "preview/dot_grid.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace quellbit {

namespace {

constexpr std::string_view kConversionLineEnd = "\r\n";

// The lines of text conversion writes, each ending in CR LF.
std::vector<std::string_view> conversionLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find(kConversionLineEnd);
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + kConversionLineEnd.size());
    }
    return lines;
}

// Plots one line as the preview does.
void plotLine(std::string_view line, PlotState &state, DotGrid &grid)
{
    if (!line.empty())
        plotBits(decodeLine(line), state, grid, grid.width(), grid.height());
}

// How far the plot has come, as an index into the grid's dots.
std::size_t plotted(const PlotState &state, const DotGrid &grid)
{
    const auto reached = static_cast<std::size_t>(std::max<std::int64_t>(
        0, std::int64_t {state.PlotRow} * grid.width() + state.PlotX));
    return std::min(reached, grid.dots().size());
}

std::string withoutBlanks(std::string_view text)
{
    std::string out;
    std::copy_if(text.begin(), text.end(), std::back_inserter(out), [](char c) { return c != ' ' && c != '\t'; });
    return out;
}

std::size_t itemCount(std::string_view line)
{
    return static_cast<std::size_t>(std::count_if(line.begin(), line.end(), [](char c) { return c == ',' || c == ';'; }));
}

// Up to eight characters from the start of `text`, quoted, anything
// unprintable as an escape.
std::string quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text.substr(0, 8)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20 || byte >= 0x7F) {
            out += "\\x";
            out += kHexDigits[byte >> 4];
            out += kHexDigits[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string describeEnd(LineEnd end)
{
    switch (end) {
    case LineEnd::Lf:
        return "LF line end instead of CR LF";
    case LineEnd::Cr:
        return "CR line end instead of CR LF";
    case LineEnd::None:
        return "no line end instead of CR LF";
    case LineEnd::CrLf:
        break;
    }
    return {};
}

// How the text of a line differs from the line conversion writes (which
// it does).
std::string describeText(std::string_view got, std::string_view want)
{
    if (got.empty())
        return "an empty line";
    const std::size_t gotItems = itemCount(got);
    const std::size_t wantItems = itemCount(want);
    if (gotItems != wantItems)
        return std::to_string(gotItems) + (gotItems == 1 ? " item" : " items") + " instead of "
            + std::to_string(wantItems);
    const auto [g, w] = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    const std::size_t at = static_cast<std::size_t>(g - got.begin());
    if (equalsIgnoringCase(got, want)) {
        if (at < kLinePrefix.size())
            return "lower-case \"db\" instead of \"DB\"";
        if (*g == 'h')
            return "lower-case \"h\" instead of \"H\"";
        return "lower-case hexadecimal digits";
    }
    if (withoutBlanks(got) == withoutBlanks(want))
        return "other spacing, first at column " + std::to_string(at + 1);
    return "column " + std::to_string(at + 1) + " reads " + quoted(got.substr(at)) + " where conversion writes "
        + quoted(want.substr(static_cast<std::size_t>(w - want.begin())));
}

} // namespace

std::string DataFileComparison::describe() const
{
    switch (outcome) {
    case Outcome::Identical:
        return {};
    case Outcome::SameDots:
        return "same dots; the text differs from what conversion writes, first at line " + std::to_string(line) + " ("
            + how + ")";
    case Outcome::DotsDiffer:
        break;
    }
    return std::to_string(differingDots) + (differingDots == 1 ? " dot differs" : " dots differ")
        + ", first difference on line " + std::to_string(line);
}

DataFileComparison compareDataLines(DataLines &lines, std::string_view expected)
{
    const std::vector<std::string_view> want = conversionLines(expected);
    DotGrid wantDots(kPictureWidth, kPictureHeight);
    PlotState wantState;
    for (const std::string_view line : want)
        plotLine(line, wantState, wantDots);

    DataFileComparison result;
    DotGrid gotDots(kPictureWidth, kPictureHeight);
    PlotState state;
    long long textLine = 0;       // the first line whose text differs
    long long firstDotLine = 0;   // the line that plotted the first differing dot
    std::size_t compared = 0;     // the dots before this are compared
    std::string_view line;
    LineEnd end = LineEnd::CrLf;
    while (lines.next(line, end)) {
        const long long number = lines.number();
        const auto index = static_cast<std::size_t>(number - 1);
        if (textLine == 0 && (index >= want.size() || line != want[index] || end != LineEnd::CrLf)) {
            textLine = number;
            if (index >= want.size())
                result.how = (line.empty() ? "an empty line after the " : "a line after the ") + std::to_string(want.size())
                    + " lines conversion writes";
            else if (line != want[index])
                result.how = describeText(line, want[index]) + (end == LineEnd::CrLf ? "" : " and " + describeEnd(end));
            else
                result.how = describeEnd(end);
        }
        // A line the preview cannot draw makes the file unreadable, as it
        // is for the preview and for render.
        lines.checkDecodable(line);
        plotLine(line, state, gotDots);
        if (firstDotLine == 0) {
            // Dots once passed are never plotted again: compare them now.
            const std::size_t reached = plotted(state, gotDots);
            if (!std::equal(gotDots.dots().begin() + static_cast<std::ptrdiff_t>(compared),
                            gotDots.dots().begin() + static_cast<std::ptrdiff_t>(reached),
                            wantDots.dots().begin() + static_cast<std::ptrdiff_t>(compared)))
                firstDotLine = number;
            compared = reached;
        }
    }
    if (textLine == 0 && static_cast<std::size_t>(lines.number()) < want.size()) {
        textLine = lines.number() + 1;
        result.how = "the file ends before it; conversion writes " + std::to_string(want.size()) + " lines";
    }
    if (textLine == 0)
        return result;

    const auto got = gotDots.dots();
    const auto wanted = wantDots.dots();
    for (std::size_t i = 0; i < got.size(); ++i)
        result.differingDots += got[i] != wanted[i] ? 1 : 0;
    if (result.differingDots == 0) {
        result.outcome = DataFileComparison::Outcome::SameDots;
        result.line = textLine;
        return result;
    }
    result.outcome = DataFileComparison::Outcome::DotsDiffer;
    result.line = firstDotLine != 0 ? firstDotLine : lines.number() + 1;
    result.how.clear();
    return result;
}

DataFileComparison compareDataFile(const std::string &path, std::string_view expected)
{
    InputFile file(path);
    DataLines lines([&file](std::span<char> buffer) { return file.read(buffer); }, path);
    return compareDataLines(lines, expected);
}

} // namespace quellbit
