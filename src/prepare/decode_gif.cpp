#include "prepare/decoders.h"

#include "common/failure.h"
#include "prepare/held_picture.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace quellbit {

namespace {

// The most pixels decoded for the frames before the one asked for, summed:
// each costs time, and a few bytes of compressed data can claim many.
constexpr std::uint64_t kMostPixelsBefore = std::uint64_t {1} << 30;

struct GifSource {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
};

extern "C" int gifRead(GifFileType *gif, GifByteType *into, int length)
{
    auto *source = static_cast<GifSource *>(gif->UserData);
    const std::size_t count = std::min(source->bytes.size() - source->at, static_cast<std::size_t>(std::max(length, 0)));
    std::memcpy(into, source->bytes.data() + source->at, count);
    source->at += count;
    return static_cast<int>(count);
}

class GifHandle {
public:
    GifHandle(GifSource &source, const std::string &name)
    {
        int error = 0;
        gif_ = DGifOpen(&source, gifRead, &error);
        if (!gif_)
            throw Failure(name, std::string("the GIF data cannot be read: ") + reason(error));
    }
    ~GifHandle()
    {
        int error = 0;
        DGifCloseFile(gif_, &error);
    }
    GifHandle(const GifHandle &) = delete;
    GifHandle &operator=(const GifHandle &) = delete;

    GifFileType *operator->() const { return gif_; }
    GifFileType *get() const { return gif_; }

    static std::string reason(int error)
    {
        if (error == D_GIF_ERR_READ_FAILED || error == D_GIF_ERR_EOF_TOO_SOON)
            return "the file ends inside the picture data";
        const char *text = GifErrorString(error);
        return text ? text : "error " + std::to_string(error);
    }

private:
    GifFileType *gif_ = nullptr;
};

// The stored line i of an interlaced frame of `height` rows: its row.
int interlacedRow(int i, int height)
{
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int rows = height > kStart[pass] ? (height - kStart[pass] + kStep[pass] - 1) / kStep[pass] : 0;
        if (i < rows)
            return kStart[pass] + i * kStep[pass];
        i -= rows;
    }
    return -1;
}

} // namespace

void decodeGif(std::span<const std::uint8_t> bytes, const std::string &name, PictureRows &rows, int frame)
{
    GifSource source {bytes};
    GifHandle gif(source, name);
    const auto failed = [&]() { return Failure(name, "the GIF data cannot be read: " + GifHandle::reason(gif->Error)); };
    const std::int32_t width = gif->SWidth;
    const std::int32_t height = gif->SHeight;
    checkPictureSize(width, height, name);
    checkHeldSize(width, height, 8, "a GIF picture", name); // the canvas, and a copy of it

    // The frames are drawn one over another, as a viewer shows them; what
    // no frame covers is transparent.
    const auto canvasWidth = static_cast<std::size_t>(width);
    std::vector<std::uint8_t> canvas; // made at the first frame: a file without one costs nothing
    std::vector<std::uint8_t> before; // the canvas before a frame that is to be undone
    std::vector<GifPixelType> line;
    GraphicsControlBlock control {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
    // What the frame before asked to be done with it once shown.
    int disposal = DISPOSAL_UNSPECIFIED;
    int left = 0, top = 0, right = 0, bottom = 0; // the frame before, on the canvas
    std::uint64_t pixelsBefore = 0;
    int seen = 0;

    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            throw failed();
        if (record == TERMINATE_RECORD_TYPE)
            break;
        if (record == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType *data = nullptr;
            if (DGifGetExtension(gif.get(), &code, &data) == GIF_ERROR)
                throw failed();
            if (code == GRAPHICS_EXT_FUNC_CODE && data && data[0] >= 4)
                DGifExtensionToGCB(data[0], data + 1, &control);
            while (data)
                if (DGifGetExtensionNext(gif.get(), &data) == GIF_ERROR)
                    throw failed();
            continue;
        }
        if (record != IMAGE_DESC_RECORD_TYPE)
            continue;
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR)
            throw failed();
        ++seen;
        if (canvas.empty())
            canvas.assign(canvasWidth * static_cast<std::size_t>(height) * 4, 0);
        const GifImageDesc &image = gif->Image;
        checkPictureSize(image.Width, image.Height, name);
        const ColorMapObject *colors = image.ColorMap ? image.ColorMap : gif->SColorMap;
        if (!colors || !colors->Colors)
            throw Failure(name, "the GIF data cannot be read: frame " + std::to_string(seen) + " has no colour table");
        if (seen < frame) {
            pixelsBefore += static_cast<std::uint64_t>(image.Width) * static_cast<std::uint64_t>(image.Height);
            if (pixelsBefore > kMostPixelsBefore)
                throw Failure(name, "the frames before frame " + std::to_string(frame)
                                        + " hold more than 1,073,741,824 pixels; they are not all decoded");
        }

        // Undo the frame before as it asked.
        if (disposal == DISPOSE_BACKGROUND)
            for (int y = top; y < bottom; ++y)
                std::fill_n(canvas.begin() + static_cast<std::ptrdiff_t>((y * canvasWidth + left) * 4), (right - left) * 4, 0);
        else if (disposal == DISPOSE_PREVIOUS && !before.empty())
            canvas = before;
        disposal = control.DisposalMode;
        if (disposal == DISPOSE_PREVIOUS && seen < frame)
            before = canvas;
        left = std::clamp(image.Left, 0, width);
        top = std::clamp(image.Top, 0, height);
        right = static_cast<int>(std::clamp<std::int64_t>(std::int64_t {image.Left} + image.Width, left, width));
        bottom = static_cast<int>(std::clamp<std::int64_t>(std::int64_t {image.Top} + image.Height, top, height));

        line.resize(static_cast<std::size_t>(image.Width));
        for (int i = 0; i < image.Height; ++i) {
            if (DGifGetLine(gif.get(), line.data(), image.Width) == GIF_ERROR)
                throw failed();
            const int y = image.Top + (image.Interlace ? interlacedRow(i, image.Height) : i);
            if (y < top || y >= bottom)
                continue;
            for (int x = left; x < right; ++x) {
                const int index = line[static_cast<std::size_t>(x - image.Left)];
                if (index == control.TransparentColor)
                    continue;
                std::uint8_t *pixel = canvas.data() + (static_cast<std::size_t>(y) * canvasWidth + x) * 4;
                if (index < colors->ColorCount) {
                    const GifColorType &c = colors->Colors[index];
                    pixel[0] = c.Red;
                    pixel[1] = c.Green;
                    pixel[2] = c.Blue;
                } else {
                    pixel[0] = pixel[1] = pixel[2] = 0; // past the table: black, as viewers draw it
                }
                pixel[3] = 255;
            }
        }
        control = {DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        if (seen == frame) {
            rows.begin(width, height);
            for (std::int32_t y = 0; y < height; ++y)
                if (rows.wants(y))
                    rows.row(y, Samples::Rgba,
                        std::span(canvas).subspan(static_cast<std::size_t>(y) * canvasWidth * 4, canvasWidth * 4));
            return;
        }
    }
    if (seen == 0)
        throw Failure(name, "the GIF data cannot be read: the file holds no frame");
    throw Failure(name, "a GIF picture of " + std::to_string(seen) + (seen == 1 ? " frame" : " frames")
                            + "; there is no frame " + std::to_string(frame));
}

} // namespace quellbit
