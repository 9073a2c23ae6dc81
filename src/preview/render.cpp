#include "preview/render.h"

#include "common/lcd.h"
#include "intake/bitmap_encoder.h"
#include "preview/dot_grid.h"
#include "preview/png_encoder.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace quellbit {

std::optional<RenderFormat> renderFormatOf(std::string_view fileName)
{
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos || fileName.find('/', dot) != std::string_view::npos)
        return std::nullopt;
    std::string extension(fileName.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "png")
        return RenderFormat::Png;
    if (extension == "bmp")
        return RenderFormat::Bitmap;
    return std::nullopt;
}

namespace {

std::string picture(const DotGrid &grid, RenderFormat format)
{
    // 1 where the dot is a 1 bit: black in either format.
    std::vector<std::uint8_t> on(grid.dots().size());
    std::transform(grid.dots().begin(), grid.dots().end(), on.begin(),
                   [](std::int32_t dot) { return static_cast<std::uint8_t>(dot == kDotOnColor); });
    if (format == RenderFormat::Bitmap)
        return encodeOneBitBitmap(kPictureWidth, kPictureHeight, on);
    return encodeTwoColourPng(kPictureWidth, kPictureHeight, {kDotOffColor, kDotOnColor}, on);
}

} // namespace

std::string renderDataFile(const std::string &path, RenderFormat format)
{
    DotGrid grid(kPictureWidth, kPictureHeight);
    PlotState state;
    loadPreview(path, state, grid, kPictureWidth, kPictureHeight);
    return picture(grid, format);
}

std::string renderDataText(std::string_view text, const std::string &name, RenderFormat format)
{
    DotGrid grid(kPictureWidth, kPictureHeight);
    PlotState state;
    plotDataText(text, name, state, grid, kPictureWidth, kPictureHeight);
    return picture(grid, format);
}

} // namespace quellbit
