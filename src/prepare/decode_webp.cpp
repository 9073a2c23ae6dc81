#include "prepare/decoders.h"

#include "common/failure.h"
#include "prepare/held_picture.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <vector>

namespace quellbit {

namespace {

std::string statusText(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OK:
        return "no error";
    case VP8_STATUS_OUT_OF_MEMORY:
        return "out of memory";
    case VP8_STATUS_INVALID_PARAM:
        return "an invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR:
        return "the compressed data is broken";
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return "it uses a feature libwebp does not read";
    case VP8_STATUS_SUSPENDED:
    case VP8_STATUS_NOT_ENOUGH_DATA:
        return "the file ends inside the picture data";
    case VP8_STATUS_USER_ABORT:
        return "decoding was stopped";
    }
    return "error " + std::to_string(static_cast<int>(status));
}

class AnimationHandle {
public:
    explicit AnimationHandle(WebPAnimDecoder *decoder)
        : decoder_(decoder)
    {
    }
    ~AnimationHandle() { WebPAnimDecoderDelete(decoder_); }
    AnimationHandle(const AnimationHandle &) = delete;
    AnimationHandle &operator=(const AnimationHandle &) = delete;
    WebPAnimDecoder *get() const { return decoder_; }

private:
    WebPAnimDecoder *decoder_;
};

void handOn(const std::uint8_t *pixels, std::int32_t width, std::int32_t height, PictureRows &rows)
{
    const auto stride = static_cast<std::size_t>(width) * 4;
    rows.begin(width, height);
    for (std::int32_t y = 0; y < height; ++y)
        if (rows.wants(y))
            rows.row(y, Samples::Rgba, std::span(pixels + static_cast<std::size_t>(y) * stride, stride));
}

} // namespace

void decodeWebp(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows, int frame)
{
    WebPBitstreamFeatures features {};
    const VP8StatusCode status = WebPGetFeatures(bytes.data(), bytes.size(), &features);
    if (status != VP8_STATUS_OK)
        throw Failure(name, "the WebP data cannot be read: " + statusText(status));
    checkPictureSize(features.width, features.height, name);

    if (!features.has_animation) {
        if (frame != 1)
            throw Failure(name, "a WebP picture of one frame; there is no frame " + std::to_string(frame));
        checkHeldSize(features.width, features.height, 4, "a WebP picture", name);
        const auto stride = static_cast<std::size_t>(features.width) * 4;
        std::vector<std::uint8_t> pixels(stride * static_cast<std::size_t>(features.height));
        if (!WebPDecodeRGBAInto(bytes.data(), bytes.size(), pixels.data(), pixels.size(), static_cast<int>(stride)))
            throw Failure(name, "the WebP data cannot be read: the compressed data is broken or cut short");
        handOn(pixels.data(), features.width, features.height, rows);
        return;
    }

    // An animation: libwebp draws each frame on its canvas (and keeps the
    // one before), as a viewer shows it.
    checkHeldSize(features.width, features.height, 8, "a WebP animation", name);
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        throw Failure(name, "the WebP data cannot be read: libwebp is not the version it was built with");
    options.color_mode = MODE_RGBA;
    options.use_threads = 0;
    const WebPData data {bytes.data(), bytes.size()};
    const AnimationHandle decoder(WebPAnimDecoderNew(&data, &options));
    WebPAnimInfo info {};
    if (!decoder.get() || !WebPAnimDecoderGetInfo(decoder.get(), &info)
        || info.canvas_width != static_cast<std::uint32_t>(features.width)
        || info.canvas_height != static_cast<std::uint32_t>(features.height))
        throw Failure(name, "the WebP data cannot be read: the animation is broken");
    if (static_cast<std::uint32_t>(frame) > info.frame_count)
        throw Failure(name, "a WebP animation of " + std::to_string(info.frame_count)
                                + (info.frame_count == 1 ? " frame" : " frames") + "; there is no frame "
                                + std::to_string(frame));
    std::uint8_t *pixels = nullptr;
    for (int i = 0; i < frame; ++i) {
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder.get(), &pixels, &timestamp))
            throw Failure(name, "the WebP data cannot be read: frame " + std::to_string(i + 1) + " is broken");
    }
    handOn(pixels, static_cast<std::int32_t>(info.canvas_width), static_cast<std::int32_t>(info.canvas_height), rows);
}

} // namespace quellbit
