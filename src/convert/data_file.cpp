#include "convert/data_file.h"

#include "common/file_system.h"
#include "common/text.h"

namespace quellbit {

namespace {
// Two upper-case hexadecimal digits, with a leading "0" below 16.
std::string hexByte(std::uint8_t value)
{
    return {kHexDigits[value >> 4], kHexDigits[value & 0x0F]};
}

} // namespace

std::string dataLine(std::span<const std::uint8_t, kItemsPerLine> bytes)
{
    std::string line;
    line.reserve(kLineLength + kLineEnd.size());
    line += kLinePrefix;
    for (int k = 0; k < kItemsPerLine; ++k) {
        line += hexByte(bytes[k]);
        line += k + 1 < kItemsPerLine ? "H," : "H;";
    }
    line += kLineEnd;
    return line;
}

std::string dataFileName(std::string_view pictureFileName)
{
    constexpr std::string_view from = ".BMP";
    std::string name = "lcd_";
    std::size_t i = 0;
    while (i < pictureFileName.size()) {
        if (i + from.size() <= pictureFileName.size()
            && equalsIgnoringCase(pictureFileName.substr(i, from.size()), from)) {
            name += ".txt";
            i += from.size();
        } else {
            name += pictureFileName[i++];
        }
    }
    return name;
}

std::string dataFilePath(std::string_view folder, std::string_view pictureFileName, char separator)
{
    std::string path(folder);
    path += separator;
    path += dataFileName(pictureFileName);
    return path;
}

std::string dataFilePathFor(std::string_view picturePath)
{
    const std::optional<std::size_t> start = lastPartStart(picturePath);
    if (!start)
        return dataFilePath(".", picturePath, pathSeparator());
    // The separator the path has (on Windows "\\" or "/"); "C:LOGO.BMP" (a
    // drive's current folder) gives "C:lcd_LOGO.txt".
    const char separator = picturePath[*start - 1];
    if (separator == ':')
        return std::string(picturePath.substr(0, *start)) + dataFileName(picturePath.substr(*start));
    return dataFilePath(picturePath.substr(0, *start - 1), picturePath.substr(*start), separator);
}

DotPlace placeOfDot(Dot dot, std::int32_t width)
{
    const std::int64_t byte = (std::int64_t {dot.y} * width + dot.x) / 8;
    return {byte / kItemsPerLine + 1, static_cast<int>(byte % kItemsPerLine) + 1, dot.x % 8};
}

Dot dotAtPlace(const DotPlace &place, std::int32_t width)
{
    const std::int64_t byte = (place.line - 1) * kItemsPerLine + (place.item - 1);
    const std::int64_t bytesPerRow = width / 8;
    return {static_cast<std::int32_t>(byte % bytesPerRow * 8 + place.bit), static_cast<std::int32_t>(byte / bytesPerRow)};
}

std::string describeDot(Dot dot, std::int32_t width, std::uint8_t byte)
{
    const DotPlace place = placeOfDot(dot, width);
    return "dot (" + std::to_string(dot.x) + ", " + std::to_string(dot.y) + "): line " + std::to_string(place.line)
        + ", item " + std::to_string(place.item) + ", bit " + std::to_string(place.bit) + " of " + hexByte(byte) + "H";
}

} // namespace quellbit
