#include "prepare/prepare.h"

#include "common/failure.h"
#include "common/lcd.h"
#include "common/shown_name.h"
#include "intake/bitmap_encoder.h"
#include "prepare/decoders.h"
#include "prepare/picture_format.h"

#include <algorithm>

namespace quellbit {

void checkPictureSize(std::int64_t width, std::int64_t height, const std::string &name)
{
    if (width <= 0 || height <= 0)
        throw Failure(
            name, "a picture of " + std::to_string(width) + " x " + std::to_string(height) + " pixels");
    if (width > kLargestSide || height > kLargestSide || width * height > kLargestArea)
        throw TooLarge(name,
            "a picture of " + std::to_string(width) + " x " + std::to_string(height)
                + " pixels is more than prepare takes (at most 1,048,576 pixels on a side "
                  "and 268,435,456 in all)");
}

void decodePicture(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows, int frame)
{
    const FormatGuess guess = guessFormat(bytes);
    if (guess.format == PictureFormat::Gif)
        return decodeGif(bytes, name, rows, frame);
    if (guess.format == PictureFormat::Webp)
        return decodeWebp(bytes, name, rows, frame);
    if (frame != 1 && guess.format != PictureFormat::Other)
        throw Failure(name, guess.description + " has one frame; there is no frame " + std::to_string(frame));
    switch (guess.format) {
    case PictureFormat::Png:
        return decodePng(bytes, name, rows);
    case PictureFormat::Bitmap:
        return decodeBitmap(bytes, name, rows);
    case PictureFormat::Netpbm:
        return decodeNetpbm(bytes, name, rows);
    case PictureFormat::Jpeg:
        return decodeJpeg(bytes, name, rows);
    case PictureFormat::Gif:
    case PictureFormat::Webp:
    case PictureFormat::Other:
        break;
    }
    throw Failure(name, guess.description + "; prepare reads " + kPicturesRead);
}

std::size_t PreparedPicture::blackDots() const
{
    return static_cast<std::size_t>(std::count(black.begin(), black.end(), 1));
}

std::string PreparedPicture::bitmap() const
{
    return encodeOneBitBitmap(kPictureWidth, kPictureHeight, black);
}

PreparedPicture preparePicture(
    std::span<const std::uint8_t> bytes, const std::string &name, const PrepareOptions &options)
{
    return prepareDecoded(
        [&](PictureRows &rows) { decodePicture(bytes, name, rows, options.frame); }, options, name);
}

PreparedPicture prepareDecoded(
    const std::function<void(PictureRows &)> &decode, const PrepareOptions &options, const std::string &name)
{
    return namingFileOnNoMemory(name, [&] {
        CanvasBuilder builder(options.sizing, options.cropX, options.cropY);
        decode(builder);
        PreparedPicture prepared;
        prepared.sourceWidth = builder.sourceWidth();
        prepared.sourceHeight = builder.sourceHeight();
        prepared.placement = builder.placement();
        prepared.black = toneCanvas(builder.finish(), options.tone, options.threshold, options.invert);
        return prepared;
    });
}

namespace {

// Thrown by HeaderProbe once a decoder has judged the headers and the size.
struct HeadersJudged { };

// What a decoder hands on, stopped before the first row is decoded.
class HeaderProbe final : public PictureRows {
public:
    void begin(std::int32_t, std::int32_t) override { throw HeadersJudged {}; }
    bool wants(std::int32_t) const override { return false; }
    void row(std::int32_t, Samples, std::span<const std::uint8_t>) override { }
};

} // namespace

std::string describePreparation(const std::string &picture, const PreparedPicture &prepared,
    const PrepareOptions &options, const std::string &output)
{
    auto size = [](std::int32_t w, std::int32_t h) { return std::to_string(w) + " x " + std::to_string(h); };
    const Placement &p = prepared.placement;
    std::string line = picture + " " + size(prepared.sourceWidth, prepared.sourceHeight) + " -> ";
    if (options.sizing == Sizing::Crop)
        line += "crop at " + std::to_string(options.cropX) + "," + std::to_string(options.cropY);
    else if (p.width == prepared.sourceWidth && p.height == prepared.sourceHeight)
        line += "not scaled";
    else
        line += std::string(options.sizing == Sizing::Fit ? "fit "
                        : options.sizing == Sizing::Fill  ? "fill "
                                                          : "stretch ")
            + size(p.width, p.height);

    switch (options.tone) {
    case Tone::Threshold:
        line += ", threshold " + std::to_string(options.threshold) + " %";
        break;
    case Tone::FloydSteinberg:
        line += ", Floyd-Steinberg";
        break;
    case Tone::Atkinson:
        line += ", Atkinson";
        break;
    case Tone::Bayer:
        line += ", Bayer";
        break;
    }
    if (options.invert)
        line += ", inverted";

    // Whole percent; 0 and 100 only when exact.
    const std::size_t dots = prepared.black.size();
    const std::size_t black = prepared.blackDots();
    std::size_t percent = dots ? (black * 100 + dots / 2) / dots : 0;
    if (black > 0 && percent == 0)
        percent = 1;
    if (black < dots && percent == 100)
        percent = 99;
    line += ", " + std::to_string(percent) + " % black -> " + output;
    return line;
}

std::string preparedPath(const std::string &picturePath)
{
    const std::size_t slash = picturePath.rfind('/');
    const std::size_t nameAt = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t dot = picturePath.rfind('.');
    // A dot that starts the name is no extension.
    const bool extension = dot != std::string::npos && dot > nameAt;
    return (extension ? picturePath.substr(0, dot) : picturePath) + "-lcd.bmp";
}

std::string prepareCommand(const std::string &picturePath)
{
    std::string path = picturePath;
    if (!path.empty() && path.front() == '-')
        path = "./" + path;
    const bool plain = !path.empty() && std::all_of(path.begin(), path.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
            || std::string_view("_./+-,:=@%").find(c) != std::string_view::npos;
    });
    if (!plain) {
        std::string quoted = "'";
        for (const char c : path)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        path = quoted + "'";
    }
    return "quellbit-cli prepare " + path;
}

bool prepareSettledBy(std::span<const std::uint8_t> head, int frame)
{
    // Only a size the headers refuse settles it: any other failure may be
    // where the head ends, and the whole file tells.
    try {
        HeaderProbe probe;
        decodePicture(head, {}, probe, frame);
    } catch (const TooLarge &) {
        return true;
    } catch (const HeadersJudged &) {
    } catch (const Failure &) {
    }
    return false;
}

std::string prepareSuggestion(std::span<const std::uint8_t> bytes, const std::string &picturePath)
{
    // The headers tell whether prepare reads the picture; its pixels are
    // not decoded for a suggestion.
    try {
        HeaderProbe probe;
        decodePicture(bytes, picturePath, probe);
    } catch (const HeadersJudged &) {
    } catch (const Failure &) {
        return {};
    }
    return "make a copy:    " + prepareCommand(picturePath) + "  (writes " + shownName(preparedPath(picturePath))
        + ", 240 x 128 at 1 bit)\n";
}

} // namespace quellbit
