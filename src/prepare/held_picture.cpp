#include "prepare/held_picture.h"

#include "common/failure.h"

#include <algorithm>
#include <cstring>

namespace quellbit {

void checkHeldSize(std::int64_t width, std::int64_t height, std::uint64_t bytesPerPixel, const std::string &what,
    const std::string &name)
{
    // Both sides are at most kLargestSide here, so the product cannot overflow.
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * bytesPerPixel > kLargestHeld)
        throw TooLarge(name,
            what + " of " + std::to_string(width) + " x " + std::to_string(height)
                + " pixels is too large to hold whole " + largestHeldText());
}

std::string largestHeldText()
{
    return "(at most " + std::to_string(kLargestHeld >> 20) + " MiB of pixels)";
}

OrientedRows::OrientedRows(int orientation, PictureRows &target, std::string name)
    : orientation_(orientation >= 1 && orientation <= 8 ? orientation : 1)
    , target_(target)
    , name_(std::move(name))
{
}

void OrientedRows::begin(std::int32_t width, std::int32_t height)
{
    width_ = width;
    height_ = height;
    if (!swapsSides()) {
        target_.begin(width, height);
        return;
    }
    checkHeldSize(width, height, 4, "a picture turned by its orientation", name_);
    target_.begin(height, width);
}

bool OrientedRows::wants(std::int32_t y) const
{
    return swapsSides() || target_.wants(flips() ? height_ - 1 - y : y);
}

void OrientedRows::row(std::int32_t y, Samples samples, std::span<const std::uint8_t> values)
{
    const std::size_t size = samplesPerPixel(samples);
    const auto width = static_cast<std::size_t>(width_);
    if (swapsSides()) {
        // Held as stored; every row has the samples of the first.
        if (held_.empty()) {
            samples_ = samples;
            held_.resize(width * static_cast<std::size_t>(height_) * size);
        }
        if (samples != samples_ || y < 0 || y >= height_)
            throw Failure(name_, "the picture's rows change their kind of samples");
        std::copy_n(values.begin(), width * size, held_.begin() + static_cast<std::ptrdiff_t>(width * size * y));
        return;
    }
    const std::int32_t shownY = flips() ? height_ - 1 - y : y;
    if (!mirrors()) {
        target_.row(shownY, samples, values);
        return;
    }
    line_.resize(width * size);
    for (std::size_t x = 0; x < width; ++x)
        std::memcpy(line_.data() + (width - 1 - x) * size, values.data() + x * size, size);
    target_.row(shownY, samples, line_);
}

void OrientedRows::finish()
{
    if (!swapsSides() || held_.empty())
        return;
    const std::size_t size = samplesPerPixel(samples_);
    const auto width = static_cast<std::size_t>(width_);
    const auto height = static_cast<std::size_t>(height_);
    line_.resize(height * size);
    // Shown row Y is stored column x; shown column X is stored row y.
    for (std::size_t shownY = 0; shownY < width; ++shownY) {
        if (!target_.wants(static_cast<std::int32_t>(shownY)))
            continue;
        const std::size_t x = flips() ? width - 1 - shownY : shownY;
        for (std::size_t shownX = 0; shownX < height; ++shownX) {
            const std::size_t y = mirrors() ? height - 1 - shownX : shownX;
            std::memcpy(line_.data() + shownX * size, held_.data() + (y * width + x) * size, size);
        }
        target_.row(static_cast<std::int32_t>(shownY), samples_, line_);
    }
}

int exifOrientation(std::span<const std::uint8_t> exif)
{
    static constexpr std::uint8_t kExif[] = {'E', 'x', 'i', 'f', 0, 0};
    if (exif.size() < sizeof kExif + 8 || !std::equal(std::begin(kExif), std::end(kExif), exif.begin()))
        return 1;
    const std::span<const std::uint8_t> tiff = exif.subspan(sizeof kExif);
    const bool little = tiff[0] == 'I' && tiff[1] == 'I';
    if (!little && !(tiff[0] == 'M' && tiff[1] == 'M'))
        return 1;
    const auto number = [&](std::size_t at, int bytes) {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= std::uint32_t {tiff[at + static_cast<std::size_t>(little ? i : bytes - 1 - i)]}
                << (8 * i);
        return value;
    };
    if (number(2, 2) != 42)
        return 1;
    const std::size_t directory = number(4, 4);
    if (directory > tiff.size() || tiff.size() - directory < 2)
        return 1;
    const std::size_t entries = number(directory, 2);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t at = directory + 2 + 12 * i;
        if (at > tiff.size() || tiff.size() - at < 12)
            return 1;
        // Tag 0x0112, one SHORT, held in the entry itself.
        if (number(at, 2) == 0x0112) {
            if (number(at + 2, 2) != 3 || number(at + 4, 4) != 1)
                return 1;
            const std::uint32_t orientation = number(at + 8, 2);
            return orientation >= 1 && orientation <= 8 ? static_cast<int>(orientation) : 1;
        }
    }
    return 1;
}

} // namespace quellbit
