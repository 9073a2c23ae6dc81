// The core as the browser page sees it: bytes and pixels in, bytes, dots
// and words out. The page's script decodes pictures the core does not read
// (PNG, JPEG, GIF, WebP, AVIF) and shows what comes back; every decision is
// made here, by the same code as the window and quellbit-cli.

#include "common/failure.h"
#include "common/text.h"
#include "convert/data_file.h"
#include "convert/scan.h"
#include "intake/bitmap_encoder.h"
#include "intake/bitmap_header.h"
#include "intake/picture_intake.h"
#include "prepare/prepare.h"
#include "preview/dot_grid.h"
#include "preview/plot.h"
#include "preview/render.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <string>
#include <vector>

using emscripten::val;

namespace quellbit {

namespace {

// The picture the last double-click accepted, which Convert scans, and the
// data file it made last.
PictureIntake accepted;
std::string converted;
// The dots of the last data file shown, which pointing at a dot reads.
DotGrid shown(kPictureWidth, kPictureHeight);

std::vector<std::uint8_t> bytesOf(const val &array)
{
    return emscripten::convertJSArrayToNumberVector<std::uint8_t>(array);
}

val bytesFor(const void *data, std::size_t size)
{
    return val::global("Uint8Array")
        .new_(emscripten::typed_memory_view(size, static_cast<const std::uint8_t *>(data)));
}

val failureOf(const std::exception &failure)
{
    val result = val::object();
    result.set("failure", std::string(failure.what()));
    return result;
}

// The accepted picture as RGBA rows for a canvas, y = 0 the top row.
val rgbaOf(const PixelRaster &raster)
{
    std::vector<std::uint8_t> rgba;
    rgba.reserve(static_cast<std::size_t>(raster.width()) * static_cast<std::size_t>(raster.height()) * 4);
    for (std::int32_t y = 0; y < raster.height(); ++y)
        for (const std::int32_t color : raster.row(y))
            rgba.insert(rgba.end(), {static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 8),
                                     static_cast<std::uint8_t>(color >> 16), 255});
    return bytesFor(rgba.data(), rgba.size());
}

// The double-click: {accepted, height, width, bitCount, rgba} or
// {failure} for a file that cannot be used at all.
val takeIn(const val &bytes, const std::string &name)
{
    try {
        const std::vector<std::uint8_t> file = bytesOf(bytes);
        PictureIntake intake = takePicture(file, name);
        val result = val::object();
        result.set("accepted", intake.verdict == Verdict::Accepted);
        result.set("height", intake.headers.info.biHeight);
        result.set("width", intake.headers.info.biWidth);
        result.set("bitCount", intake.headers.info.biBitCount);
        if (intake.verdict == Verdict::Accepted) {
            result.set("rgba", rgbaOf(intake.raster));
            accepted = std::move(intake);
        }
        return result;
    } catch (const std::exception &failure) {
        return failureOf(failure);
    }
}

// Convert: the data file's bytes for the accepted picture, Normal (the
// first palette entry's pixels become 1 bits) or Inverse (the second's),
// as a view of the core's memory that holds until the next call into the
// core: the page copies what it keeps. The scan takes well under a
// millisecond and a page is painted only after it, so its hundred progress
// steps are not passed on: the page shows the last, "100".
val convert(bool inverse)
{
    if (accepted.verdict != Verdict::Accepted || accepted.raster.width() != kPictureWidth)
        return val::null();
    const BitmapHeaders &headers = accepted.headers;
    converted = convertToText(accepted.raster, colorValue(inverse ? headers.palette1 : headers.palette0));
    return val(emscripten::typed_memory_view(converted.size(), reinterpret_cast<const std::uint8_t *>(converted.data())));
}

// Show: the dots of a data file's bytes, one byte a dot (1 a 1 bit, 0 a 0 bit, 2
// not reached), and {failure} naming the line where plotting stopped.
val show(const val &bytes, const std::string &name)
{
    shown.clear();
    val result = val::object();
    try {
        const std::vector<std::uint8_t> file = bytesOf(bytes);
        PlotState state;
        plotDataText({reinterpret_cast<const char *>(file.data()), file.size()}, name, state, shown, kPictureWidth,
                     kPictureHeight);
    } catch (const std::exception &failure) {
        result.set("failure", std::string(failure.what()));
    }
    std::vector<std::uint8_t> dots(shown.dots().size());
    for (std::size_t i = 0; i < dots.size(); ++i)
        dots[i] = shown.dots()[i] == kDotOnColor ? 1 : shown.dots()[i] == kDotOffColor ? 0 : 2;
    result.set("dots", bytesFor(dots.data(), dots.size()));
    return result;
}

// Pointing at dot (x, y) of the data file shown last.
std::string pointAt(std::int32_t x, std::int32_t y)
{
    if (y < 0 || y >= shown.height())
        return {};
    const auto row = shown.dots().subspan(static_cast<std::size_t>(y) * static_cast<std::size_t>(shown.width()),
                                          static_cast<std::size_t>(shown.width()));
    return describePlottedDot(x, y, row, shown.width(), shown.height());
}

// A data file as a one-bit bitmap that converts back to the same bytes.
val dataFileBitmap(const val &bytes, const std::string &name)
{
    try {
        const std::vector<std::uint8_t> file = bytesOf(bytes);
        const std::string bitmap = renderDataText({reinterpret_cast<const char *>(file.data()), file.size()}, name,
                                                  RenderFormat::Bitmap);
        return bytesFor(bitmap.data(), bitmap.size());
    } catch (const std::exception &failure) {
        return failureOf(failure);
    }
}

PrepareOptions optionsOf(const val &options)
{
    PrepareOptions o;
    o.sizing = named(kSizingNames, options["sizing"].as<std::string>()).value_or(Sizing::Fit);
    o.cropX = options["cropX"].as<std::int32_t>();
    o.cropY = options["cropY"].as<std::int32_t>();
    o.tone = named(kToneNames, options["tone"].as<std::string>()).value_or(Tone::Threshold);
    o.threshold = options["threshold"].as<int>();
    o.invert = options["invert"].as<bool>();
    return o;
}

val preparedOf(const PreparedPicture &prepared, const std::string &name, const PrepareOptions &options)
{
    const std::string bitmap = prepared.bitmap();
    const std::string output = preparedPath(name);
    val result = val::object();
    result.set("black", bytesFor(prepared.black.data(), prepared.black.size()));
    result.set("bitmap", bytesFor(bitmap.data(), bitmap.size()));
    result.set("name", output);
    result.set("description", describePreparation(name, prepared, options, output));
    return result;
}

// Prepare of a picture the core decodes itself (BMP of any kind, PBM, PGM,
// PPM), exactly as quellbit-cli prepare does; {failure} for anything else.
val prepareFile(const val &bytes, const std::string &name, const val &options)
{
    try {
        const PrepareOptions o = optionsOf(options);
        return preparedOf(preparePicture(bytesOf(bytes), name, o), name, o);
    } catch (const std::exception &failure) {
        return failureOf(failure);
    }
}

// Prepare of a picture the browser decoded: width x height pixels of RGBA,
// not premultiplied, rows from the top.
val prepareRgba(std::int32_t width, std::int32_t height, const val &rgba, const std::string &name, const val &options)
{
    try {
        const PrepareOptions o = optionsOf(options);
        const std::vector<std::uint8_t> pixels = bytesOf(rgba);
        const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
        const auto decode = [&](PictureRows &rows) {
            checkPictureSize(width, height, name);
            if (pixels.size() != rowBytes * static_cast<std::size_t>(height))
                throw Failure(name, "the browser gave " + std::to_string(pixels.size()) + " bytes of pixels");
            rows.begin(width, height);
            for (std::int32_t y = 0; y < height; ++y)
                if (rows.wants(y))
                    rows.row(y, Samples::Rgba,
                             std::span<const std::uint8_t>(pixels).subspan(static_cast<std::size_t>(y) * rowBytes,
                                                                           rowBytes));
        };
        return preparedOf(prepareDecoded(decode, o, name), name, o);
    } catch (const std::exception &failure) {
        return failureOf(failure);
    }
}

} // namespace

EMSCRIPTEN_BINDINGS(quellbit)
{
    emscripten::function("limitsMessage", +[](const std::string &lineBreak) { return limitsMessage(lineBreak); });
    emscripten::function("takeIn", &takeIn);
    emscripten::function("convert", &convert);
    emscripten::function("dataFileName", +[](const std::string &picture) { return dataFileName(picture); });
    emscripten::function("show", &show);
    emscripten::function("pointAt", &pointAt);
    emscripten::function("dataFileBitmap", &dataFileBitmap);
    emscripten::function("prepareFile", &prepareFile);
    emscripten::function("prepareRgba", &prepareRgba);
}

} // namespace quellbit
