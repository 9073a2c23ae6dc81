#include "prepare/canvas.h"

#include "common/lcd.h"

#include <algorithm>
#include <cmath>

namespace quellbit {

namespace {

constexpr std::int32_t kWidth = kPictureWidth;
constexpr std::int32_t kHeight = kPictureHeight;

// n * m / d rounded to the nearest whole number (halves up), at least 1.
std::int32_t scaledSide(std::int64_t n, std::int64_t m, std::int64_t d)
{
    return static_cast<std::int32_t>(std::max<std::int64_t>(1, (2 * n * m + d) / (2 * d)));
}

} // namespace

Placement placePicture(
    std::int32_t width, std::int32_t height, Sizing sizing, std::int32_t cropX, std::int32_t cropY)
{
    Placement p {width, height, 0, 0};
    if (sizing == Sizing::Crop) {
        // Past twice the largest side every corner gives the same white
        // canvas: held there, the offsets cannot overflow.
        constexpr std::int32_t kFar = 2 * static_cast<std::int32_t>(kLargestSide);
        p.left = -std::clamp(cropX, -kFar, kFar);
        p.top = -std::clamp(cropY, -kFar, kFar);
        return p;
    }
    if (width == kWidth && height == kHeight)
        return p;
    if (sizing == Sizing::Stretch) {
        p.width = kWidth;
        p.height = kHeight;
        return p;
    }
    // Wider than the canvas in proportion: width decides for fit, height
    // for fill.
    const bool wider = std::int64_t {kWidth} * height <= std::int64_t {kHeight} * width;
    if (wider == (sizing == Sizing::Fit)) {
        p.width = kWidth;
        p.height = scaledSide(height, kWidth, width);
    } else {
        p.height = kHeight;
        p.width = scaledSide(width, kHeight, height);
    }
    // Centred; an odd pixel of margin (fit) or of cut (fill) goes to the
    // right and the bottom.
    if (sizing == Sizing::Fit) {
        p.left = (kWidth - p.width) / 2;
        p.top = (kHeight - p.height) / 2;
    } else {
        p.left = -((p.width - kWidth) / 2);
        p.top = -((p.height - kHeight) / 2);
    }
    return p;
}

CanvasBuilder::Axis CanvasBuilder::makeAxis(
    std::int32_t source, std::int32_t scaled, std::int32_t shift, std::int32_t canvas)
{
    Axis axis;
    axis.taps.resize(static_cast<std::size_t>(canvas));
    axis.coveredBegin = std::clamp(shift, 0, canvas);
    axis.coveredEnd = static_cast<std::int32_t>(
        std::clamp(std::int64_t {shift} + scaled, std::int64_t {axis.coveredBegin}, std::int64_t {canvas}));
    for (std::int32_t c = axis.coveredBegin; c < axis.coveredEnd; ++c) {
        const std::int64_t s = std::int64_t {c} - shift; // position in the scaled picture
        Tap &tap = axis.taps[static_cast<std::size_t>(c)];
        tap.weightAt = axis.weights.size();
        if (scaled == source) {
            tap.first = static_cast<std::int32_t>(s);
            axis.weights.push_back(1);
        } else {
            // Scaled pixel s covers [s * source, (s + 1) * source) and source
            // pixel i covers [i * scaled, (i + 1) * scaled), in units of
            // 1 / (source * scaled) of the picture: the overlaps are whole
            // numbers and add up to `source`. Shrinking, a dot averages every
            // pixel it covers; enlarging, a dot takes the one or two pixels
            // it lies on, each by how much of the dot it covers, so each
            // pixel keeps its share of the canvas (a whole factor repeats
            // pixels exactly).
            const std::int64_t from = s * source;
            const std::int64_t to = (s + 1) * source;
            const std::int64_t first = from / scaled;
            const std::int64_t last = (to - 1) / scaled;
            tap.first = static_cast<std::int32_t>(first);
            for (std::int64_t i = first; i <= last; ++i)
                axis.weights.push_back(
                    static_cast<float>(std::min((i + 1) * scaled, to) - std::max(i * scaled, from)));
        }
        tap.count = static_cast<std::int32_t>(axis.weights.size() - tap.weightAt);
        // Added in the order the row sums add, so a flat picture stays
        // exactly flat.
        for (std::size_t k = tap.weightAt; k < axis.weights.size(); ++k)
            tap.total += axis.weights[k];
    }
    return axis;
}

CanvasBuilder::CanvasBuilder(Sizing sizing, std::int32_t cropX, std::int32_t cropY)
    : sizing_(sizing)
    , cropX_(cropX)
    , cropY_(cropY)
{
}

void CanvasBuilder::begin(std::int32_t width, std::int32_t height)
{
    width_ = width;
    height_ = height;
    placement_ = placePicture(width, height, sizing_, cropX_, cropY_);
    across_ = makeAxis(width, placement_.width, placement_.left, kWidth);
    down_ = makeAxis(height, placement_.height, placement_.top, kHeight);

    // Turn the rows' taps around: for each source row, the canvas rows that
    // take it in.
    rowStart_.assign(static_cast<std::size_t>(height) + 1, 0);
    for (std::int32_t c = down_.coveredBegin; c < down_.coveredEnd; ++c) {
        const Tap &tap = down_.taps[static_cast<std::size_t>(c)];
        for (std::int32_t k = 0; k < tap.count; ++k)
            ++rowStart_[static_cast<std::size_t>(tap.first + k) + 1];
    }
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
        rowStart_[y + 1] += rowStart_[y];
    rowTargets_.resize(rowStart_.back());
    std::vector<std::uint32_t> filled(rowStart_.begin(), rowStart_.end() - 1);
    for (std::int32_t c = down_.coveredBegin; c < down_.coveredEnd; ++c) {
        const Tap &tap = down_.taps[static_cast<std::size_t>(c)];
        for (std::int32_t k = 0; k < tap.count; ++k)
            rowTargets_[filled[static_cast<std::size_t>(tap.first + k)]++]
                = {c, down_.weights[tap.weightAt + static_cast<std::size_t>(k)]};
    }

    downFirst_ = width < across_.coveredEnd - across_.coveredBegin;
    if (downFirst_)
        columnSums_.assign(static_cast<std::size_t>(kHeight) * static_cast<std::size_t>(width), 0.0);
    else
        sums_.assign(static_cast<std::size_t>(kWidth * kHeight), 0.0);
    light_.assign(static_cast<std::size_t>(width), 0.0f);
    acrossRow_.assign(static_cast<std::size_t>(kWidth), 0.0f);
}

bool CanvasBuilder::wants(std::int32_t y) const
{
    return y >= 0 && y < height_
        && rowStart_[static_cast<std::size_t>(y)] != rowStart_[static_cast<std::size_t>(y) + 1];
}

void CanvasBuilder::row(std::int32_t y, Samples samples, std::span<const std::uint8_t> values)
{
    if (!wants(y))
        return;
    takeLight(samples, values);
    for (std::uint32_t e = rowStart_[static_cast<std::size_t>(y)]; e < rowStart_[static_cast<std::size_t>(y) + 1]; ++e)
        addTo(rowTargets_[e].first, static_cast<double>(rowTargets_[e].second));
}

void CanvasBuilder::sameRows(std::int32_t from, std::int32_t to, Samples samples, std::span<const std::uint8_t> values)
{
    from = std::max(from, 0);
    to = std::min(to, height_);
    runWeights_.assign(static_cast<std::size_t>(kHeight), 0.0);
    bool wanted = false;
    for (std::int32_t y = from; y < to; ++y)
        for (std::uint32_t e = rowStart_[static_cast<std::size_t>(y)]; e < rowStart_[static_cast<std::size_t>(y) + 1];
             ++e) {
            runWeights_[static_cast<std::size_t>(rowTargets_[e].first)] += static_cast<double>(rowTargets_[e].second);
            wanted = true;
        }
    if (!wanted)
        return;
    takeLight(samples, values);
    for (std::int32_t c = 0; c < kHeight; ++c)
        if (runWeights_[static_cast<std::size_t>(c)] != 0)
            addTo(c, runWeights_[static_cast<std::size_t>(c)]);
}

void CanvasBuilder::takeLight(Samples samples, std::span<const std::uint8_t> values)
{
    table_.convert(samples, values.first(light_.size() * samplesPerPixel(samples)), light_);
    if (downFirst_)
        return;
    const float *light = light_.data();
    for (std::int32_t c = across_.coveredBegin; c < across_.coveredEnd; ++c) {
        const Tap &tap = across_.taps[static_cast<std::size_t>(c)];
        const float *w = across_.weights.data() + tap.weightAt;
        const float *v = light + tap.first;
        float sum = 0;
        for (std::int32_t k = 0; k < tap.count; ++k)
            sum += w[k] * v[k];
        acrossRow_[static_cast<std::size_t>(c)] = sum / tap.total;
    }
}

void CanvasBuilder::addTo(std::int32_t c, double weight)
{
    if (downFirst_) {
        const auto width = static_cast<std::size_t>(width_);
        double *sums = columnSums_.data() + static_cast<std::size_t>(c) * width;
        for (std::size_t x = 0; x < width; ++x)
            sums[x] += weight * light_[x];
        return;
    }
    double *sums = sums_.data() + static_cast<std::ptrdiff_t>(c) * kWidth;
    for (std::int32_t x = across_.coveredBegin; x < across_.coveredEnd; ++x)
        sums[x] += weight * acrossRow_[static_cast<std::size_t>(x)];
}

std::vector<double> CanvasBuilder::acrossColumnSums() const
{
    std::vector<double> sums(static_cast<std::size_t>(kWidth * kHeight), 0.0);
    for (std::int32_t c = down_.coveredBegin; c < down_.coveredEnd; ++c) {
        const double *columns = columnSums_.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(width_);
        for (std::int32_t x = across_.coveredBegin; x < across_.coveredEnd; ++x) {
            const Tap &tap = across_.taps[static_cast<std::size_t>(x)];
            double sum = 0;
            for (std::int32_t k = 0; k < tap.count; ++k)
                sum += static_cast<double>(across_.weights[tap.weightAt + static_cast<std::size_t>(k)])
                    * columns[tap.first + k];
            sums[static_cast<std::size_t>(c * kWidth + x)] = sum / tap.total;
        }
    }
    return sums;
}

Canvas CanvasBuilder::finish() const
{
    Canvas canvas;
    canvas.light.assign(static_cast<std::size_t>(kWidth * kHeight), 1.0f);
    canvas.left = across_.coveredBegin;
    canvas.right = across_.coveredEnd;
    canvas.top = down_.coveredBegin;
    canvas.bottom = down_.coveredEnd;
    if (canvas.left == canvas.right || canvas.top == canvas.bottom) {
        canvas.left = canvas.right = canvas.top = canvas.bottom = 0;
        return canvas;
    }
    const std::vector<double> acrossFromColumns = downFirst_ ? acrossColumnSums() : std::vector<double> {};
    const std::vector<double> &sums = downFirst_ ? acrossFromColumns : sums_;
    for (std::int32_t y = canvas.top; y < canvas.bottom; ++y) {
        const Tap &tap = down_.taps[static_cast<std::size_t>(y)];
        double total = 0;
        for (std::int32_t k = 0; k < tap.count; ++k)
            total += static_cast<double>(down_.weights[tap.weightAt + static_cast<std::size_t>(k)]);
        for (std::int32_t x = canvas.left; x < canvas.right; ++x) {
            const std::size_t at = static_cast<std::size_t>(y * kWidth + x);
            canvas.light[at] = static_cast<float>(sums[at] / total);
        }
    }
    return canvas;
}

} // namespace quellbit
