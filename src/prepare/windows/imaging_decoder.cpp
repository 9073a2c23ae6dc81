#include "prepare/windows/imaging_decoder.h"

#include "common/failure.h"
#include "common/windows/imaging_factory.h"
#include "prepare/decoders.h"
#include "prepare/held_picture.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

namespace quellbit {

using windows::ComPtr;

namespace {

using Check = std::function<void(HRESULT)>;

Check checkFor(const std::string &name, const std::string &kind)
{
    return [name, kind](HRESULT result) {
        if (FAILED(result))
            throw Failure(name, "the " + kind + " data cannot be read: " + windows::comReason(result));
    };
}

// A decoder over the bytes, which it reads in place.
struct Opened {
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapDecoder> decoder;
};

void open(Opened &opened, std::span<const std::uint8_t> bytes, const std::string &name, const GUID &container,
          const std::string &kind, const Check &check)
{
    if (bytes.size() > 0xFFFFFFFFu)
        throw Failure(name, "the " + kind + " data cannot be read: the file is too long");
    IWICImagingFactory &factory = windows::imagingFactory(name);
    check(factory.CreateStream(opened.stream.put()));
    check(opened.stream->InitializeFromMemory(const_cast<BYTE *>(bytes.data()), static_cast<DWORD>(bytes.size())));
    const HRESULT made = factory.CreateDecoder(container, nullptr, opened.decoder.put());
    if (made == WINCODEC_ERR_COMPONENTNOTFOUND)
        throw Failure(name, kind + " pictures are not read here: Windows has no decoder for them installed");
    check(made);
    check(opened.decoder->Initialize(opened.stream.get(), WICDecodeMetadataCacheOnDemand));
}

// A frame (or any source) as RGBA, row by row: 16-bit RGBA rounded to 8
// bits as the Linux build rounds, where the component makes 16-bit RGBA of
// the format (Wine's does not from 16-bit grey and alpha: 8-bit RGBA its
// own way there).
class RgbaRows {
public:
    RgbaRows(IWICBitmapSource *source, UINT width, const std::string &name, const Check &check)
        : width_(width), check_(check), wide_(std::size_t {width} * 4), row_(wide_.size())
    {
        IWICImagingFactory &factory = windows::imagingFactory(name);
        check(factory.CreateFormatConverter(converter_.put()));
        deep_ = SUCCEEDED(converter_->Initialize(source, GUID_WICPixelFormat64bppRGBA, WICBitmapDitherTypeNone,
                                                 nullptr, 0.0, WICBitmapPaletteTypeCustom));
        if (!deep_)
            check(converter_->Initialize(source, GUID_WICPixelFormat32bppRGBA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                         WICBitmapPaletteTypeCustom));
    }

    std::span<const std::uint8_t> row(UINT y)
    {
        const WICRect line {0, static_cast<INT>(y), static_cast<INT>(width_), 1};
        const auto bytes = static_cast<UINT>(deep_ ? wide_.size() * sizeof wide_[0] : row_.size());
        check_(converter_->CopyPixels(&line, bytes, bytes, deep_ ? reinterpret_cast<BYTE *>(wide_.data()) : row_.data()));
        if (deep_)
            for (std::size_t i = 0; i < wide_.size(); ++i)
                row_[i] = static_cast<std::uint8_t>((wide_[i] * 255u + 32767u) / 65535u);
        return row_;
    }

private:
    UINT width_;
    const Check &check_;
    ComPtr<IWICFormatConverter> converter_;
    bool deep_ = false;
    std::vector<std::uint16_t> wide_;
    std::vector<std::uint8_t> row_;
};

// A whole number the metadata holds at `query`, if it holds one.
std::optional<std::uint32_t> metadataNumber(IWICMetadataQueryReader *reader, const wchar_t *query)
{
    PROPVARIANT value;
    ::PropVariantInit(&value);
    std::optional<std::uint32_t> number;
    if (reader && SUCCEEDED(reader->GetMetadataByName(query, &value))) {
        if (value.vt == VT_UI1)
            number = value.bVal;
        else if (value.vt == VT_UI2)
            number = value.uiVal;
        else if (value.vt == VT_UI4)
            number = value.ulVal;
    }
    ::PropVariantClear(&value);
    return number;
}

// The orientation of a JPEG's first APP1 "Exif" segment that gives one
// other than 1; 1 without one.
int jpegOrientation(std::span<const std::uint8_t> bytes)
{
    std::size_t at = 2; // after the start of image
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF) {
        const std::uint8_t marker = bytes[at + 1];
        if (marker == 0xDA || marker == 0xD9) // the picture data, or its end
            break;
        const std::size_t length = std::size_t {bytes[at + 2]} << 8 | bytes[at + 3];
        if (length < 2 || at + 2 + length > bytes.size())
            break;
        if (marker == 0xE1)
            if (const int orientation = exifOrientation(bytes.subspan(at + 4, length - 2)); orientation != 1)
                return orientation;
        at += 2 + length;
    }
    return 1;
}

// The gamma a PNG's gAMA chunk gives (100,000 times the exponent its values
// were encoded with), when it has no sRGB chunk, which would win; 0 without.
std::uint32_t pngOwnGamma(std::span<const std::uint8_t> bytes)
{
    std::uint32_t gamma = 0;
    std::size_t at = 8; // after the signature
    while (at + 8 <= bytes.size()) {
        const std::uint32_t length = std::uint32_t {bytes[at]} << 24 | std::uint32_t {bytes[at + 1]} << 16
            | std::uint32_t {bytes[at + 2]} << 8 | bytes[at + 3];
        const std::string_view type(reinterpret_cast<const char *>(bytes.data()) + at + 4, 4);
        if (type == "IDAT" || type == "sRGB" || length > bytes.size() - at - 8)
            return type == "IDAT" ? gamma : 0;
        if (type == "gAMA" && length == 4)
            gamma = std::uint32_t {bytes[at + 8]} << 24 | std::uint32_t {bytes[at + 9]} << 16
                | std::uint32_t {bytes[at + 10]} << 8 | bytes[at + 11];
        at += 12 + std::size_t {length};
    }
    return gamma;
}

// Rows whose colour samples were stored with a gamma of their own, turned
// into sRGB's (a display gamma of 2.2) as the Linux build turns them: one
// table for the 8-bit values, alpha as it is.
class GammaRows final : public PictureRows {
public:
    GammaRows(std::uint32_t gamma, PictureRows &target) : target_(target)
    {
        // The exponent in the same fixed point the Linux build's library
        // uses, rounded the same way.
        const double exponent = std::floor(1e15 / (double(gamma) * 220000.0) + 0.5) * 1e-5;
        same_ = std::abs(exponent - 1.0) < 0.05;
        for (int i = 0; i < 256; ++i)
            table_[static_cast<std::size_t>(i)] = i == 0 || i == 255
                ? static_cast<std::uint8_t>(i)
                : static_cast<std::uint8_t>(std::floor(255.0 * std::pow(i / 255.0, exponent) + 0.5));
    }

    void begin(std::int32_t width, std::int32_t height) override { target_.begin(width, height); }
    bool wants(std::int32_t y) const override { return target_.wants(y); }
    void row(std::int32_t y, Samples samples, std::span<const std::uint8_t> values) override
    {
        if (same_)
            return target_.row(y, samples, values);
        const std::size_t step = samplesPerPixel(samples);
        const std::size_t colours = samples == Samples::Rgba || samples == Samples::GreyAlpha ? step - 1 : step;
        turned_.assign(values.begin(), values.end());
        for (std::size_t i = 0; i < turned_.size(); ++i)
            if (i % step < colours)
                turned_[i] = table_[turned_[i]];
        target_.row(y, samples, turned_);
    }

private:
    PictureRows &target_;
    bool same_ = false;
    std::array<std::uint8_t, 256> table_ {};
    std::vector<std::uint8_t> turned_;
};

} // namespace

void decodeThroughImaging(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows,
                          const GUID &container, const std::string &kind)
{
    const Check check = checkFor(name, kind);
    Opened opened;
    open(opened, bytes, name, container, kind, check);
    ComPtr<IWICBitmapFrameDecode> frame;
    check(opened.decoder->GetFrame(0, frame.put()));
    UINT width = 0;
    UINT height = 0;
    check(frame->GetSize(&width, &height));
    checkPictureSize(width, height, name);
    WICPixelFormatGUID format {};
    check(frame->GetPixelFormat(&format));
    if (format == GUID_WICPixelFormat32bppCMYK) {
        // Ink to light as the Linux build turns it (the component's own
        // conversion rounds otherwise); the ink comes as amounts, 255 full.
        rows.begin(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
        std::vector<std::uint8_t> ink(std::size_t {width} * 4);
        std::vector<std::uint8_t> rgb(std::size_t {width} * 3);
        for (UINT y = 0; y < height; ++y) {
            if (!rows.wants(static_cast<std::int32_t>(y)))
                continue;
            const WICRect line {0, static_cast<INT>(y), static_cast<INT>(width), 1};
            check(frame->CopyPixels(&line, static_cast<UINT>(ink.size()), static_cast<UINT>(ink.size()), ink.data()));
            for (std::size_t x = 0; x < width; ++x) {
                const unsigned k = 255u - ink[4 * x + 3];
                for (std::size_t c = 0; c < 3; ++c)
                    rgb[3 * x + c] = static_cast<std::uint8_t>(((255u - ink[4 * x + c]) * k + 127) / 255);
            }
            rows.row(static_cast<std::int32_t>(y), Samples::Rgb, rgb);
        }
        return;
    }
    RgbaRows source(frame.get(), width, name, check);
    rows.begin(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    for (UINT y = 0; y < height; ++y)
        if (rows.wants(static_cast<std::int32_t>(y)))
            rows.row(static_cast<std::int32_t>(y), Samples::Rgba, source.row(y));
}

// PNG of every colour type and depth, interlaced or not.
void decodePng(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows)
{
    if (const std::uint32_t gamma = pngOwnGamma(bytes); gamma != 0) {
        GammaRows turned(gamma, rows);
        decodeThroughImaging(bytes, name, turned, GUID_ContainerFormatPng, "PNG");
    } else {
        decodeThroughImaging(bytes, name, rows, GUID_ContainerFormatPng, "PNG");
    }
}

// JPEG, turned as its EXIF orientation says.
void decodeJpeg(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows)
{
    OrientedRows oriented(jpegOrientation(bytes), rows, name);
    decodeThroughImaging(bytes, name, oriented, GUID_ContainerFormatJpeg, "JPEG");
    oriented.finish();
}

// WebP where Windows has a decoder for it (its WebP Image Extension): the
// first frame only.
void decodeWebp(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows, int frame)
{
    if (frame != 1)
        throw Failure(name, "frame " + std::to_string(frame) + " of a WebP picture is not read on Windows, only the first");
    decodeThroughImaging(bytes, name, rows, GUID_ContainerFormatWebp, "WebP");
}

// GIF: frame `frame` as a viewer shows it, the frames before it drawn
// underneath as they ask (kept, cleared to transparent, or undone); what no
// frame covers is transparent.
void decodeGif(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows, int frame)
{
    const Check check = checkFor(name, "GIF");
    Opened opened;
    open(opened, bytes, name, GUID_ContainerFormatGif, "GIF", check);
    UINT count = 0;
    check(opened.decoder->GetFrameCount(&count));
    if (count == 0)
        throw Failure(name, "the GIF data cannot be read: the file holds no frame");
    if (frame < 1 || static_cast<UINT>(frame) > count)
        throw Failure(name, "a GIF picture of " + std::to_string(count) + (count == 1 ? " frame" : " frames")
                                + "; there is no frame " + std::to_string(frame));
    ComPtr<IWICMetadataQueryReader> screen;
    (void)opened.decoder->GetMetadataQueryReader(screen.put());
    const std::int64_t width = metadataNumber(screen.get(), L"/logscrdesc/Width").value_or(0);
    const std::int64_t height = metadataNumber(screen.get(), L"/logscrdesc/Height").value_or(0);
    checkPictureSize(width, height, name);
    checkHeldSize(width, height, 8, "a GIF picture", name); // the canvas, and a copy of it

    const auto canvasWidth = static_cast<std::size_t>(width);
    std::vector<std::uint8_t> canvas(canvasWidth * static_cast<std::size_t>(height) * 4, 0);
    std::vector<std::uint8_t> before;
    std::uint32_t disposal = 0; // what the frame before asked to be done with it
    std::int64_t left = 0, top = 0, right = 0, bottom = 0;
    std::uint64_t pixelsBefore = 0;
    for (int seen = 1; seen <= frame; ++seen) {
        ComPtr<IWICBitmapFrameDecode> image;
        check(opened.decoder->GetFrame(static_cast<UINT>(seen - 1), image.put()));
        UINT imageWidth = 0;
        UINT imageHeight = 0;
        check(image->GetSize(&imageWidth, &imageHeight));
        checkPictureSize(imageWidth, imageHeight, name);
        if (seen < frame) {
            pixelsBefore += std::uint64_t {imageWidth} * imageHeight;
            if (pixelsBefore > (std::uint64_t {1} << 30))
                throw Failure(name, "the frames before frame " + std::to_string(frame)
                                        + " hold more than 1,073,741,824 pixels; they are not all decoded");
        }
        ComPtr<IWICMetadataQueryReader> metadata;
        (void)image->GetMetadataQueryReader(metadata.put());
        const std::int64_t imageLeft = metadataNumber(metadata.get(), L"/imgdesc/Left").value_or(0);
        const std::int64_t imageTop = metadataNumber(metadata.get(), L"/imgdesc/Top").value_or(0);

        // Undo the frame before as it asked: 2 cleared, 3 as it was before.
        if (disposal == 2)
            for (std::int64_t y = top; y < bottom; ++y)
                std::fill_n(canvas.begin() + static_cast<std::ptrdiff_t>((y * width + left) * 4), (right - left) * 4, 0);
        else if (disposal == 3 && !before.empty())
            canvas = before;
        disposal = metadataNumber(metadata.get(), L"/grctlext/Disposal").value_or(0);
        if (disposal == 3 && seen < frame)
            before = canvas;
        left = std::clamp<std::int64_t>(imageLeft, 0, width);
        top = std::clamp<std::int64_t>(imageTop, 0, height);
        right = std::clamp<std::int64_t>(imageLeft + imageWidth, left, width);
        bottom = std::clamp<std::int64_t>(imageTop + imageHeight, top, height);

        // The frame's transparent colour comes as alpha 0 and leaves the
        // canvas as it is.
        RgbaRows pixels(image.get(), imageWidth, name, check);
        for (std::int64_t y = top; y < bottom; ++y) {
            const std::span<const std::uint8_t> line = pixels.row(static_cast<UINT>(y - imageTop));
            for (std::int64_t x = left; x < right; ++x) {
                const std::uint8_t *from = line.data() + (x - imageLeft) * 4;
                if (from[3] == 0)
                    continue;
                std::uint8_t *pixel = canvas.data() + (static_cast<std::size_t>(y) * canvasWidth + static_cast<std::size_t>(x)) * 4;
                std::copy_n(from, 3, pixel);
                pixel[3] = 255;
            }
        }
    }
    rows.begin(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
    for (std::int32_t y = 0; y < height; ++y)
        if (rows.wants(y))
            rows.row(y, Samples::Rgba, std::span(canvas).subspan(static_cast<std::size_t>(y) * canvasWidth * 4, canvasWidth * 4));
}

} // namespace quellbit
