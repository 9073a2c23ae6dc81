#include "prepare/tone.h"

#include "common/lcd.h"
#include "prepare/light.h"

#include <array>

namespace quellbit {

namespace {

constexpr std::int32_t kWidth = kPictureWidth;

struct Area {
    const Canvas &canvas;
    std::vector<std::uint8_t> &black;
    std::int32_t width() const { return canvas.right - canvas.left; }
    std::int32_t height() const { return canvas.bottom - canvas.top; }
    std::size_t at(std::int32_t x, std::int32_t y) const
    {
        return static_cast<std::size_t>((canvas.top + y) * kWidth + canvas.left + x);
    }
};

void threshold(const Area &area, int percent)
{
    // White from the light of the encoded value N % on; the same function
    // gives the light of every stored grey, so a grey of exactly N % (51 for
    // 20 %) is white.
    const auto from = static_cast<float>(srgbToLinear(percent / 100.0));
    for (std::int32_t y = 0; y < area.height(); ++y)
        for (std::int32_t x = 0; x < area.width(); ++x)
            area.black[area.at(x, y)] = area.canvas.light[area.at(x, y)] < from ? 1 : 0;
}

// One neighbour that takes a share of a dot's error: `dx` along the row in
// the direction of travel, `dy` rows below.
struct Share {
    std::int32_t dx;
    std::int32_t dy;
    float weight;
};

constexpr std::array<Share, 4> kFloydSteinberg {
    {{1, 0, 7 / 16.0f}, {-1, 1, 3 / 16.0f}, {0, 1, 5 / 16.0f}, {1, 1, 1 / 16.0f}}};
// Atkinson passes on three quarters of the error, an eighth to each of six.
constexpr std::array<Share, 6> kAtkinson {{{1, 0, 1 / 8.0f}, {2, 0, 1 / 8.0f}, {-1, 1, 1 / 8.0f},
    {0, 1, 1 / 8.0f}, {1, 1, 1 / 8.0f}, {0, 2, 1 / 8.0f}}};

template <std::size_t N> void diffuse(const Area &area, const std::array<Share, N> &shares)
{
    const std::int32_t width = area.width();
    constexpr std::int32_t kPad = 2;
    constexpr std::int32_t kRows = 3; // the row being toned and two below
    const auto stride = static_cast<std::size_t>(width + 2 * kPad);
    std::vector<float> errors(stride * kRows, 0.0f);
    auto error = [&](std::int32_t y, std::int32_t x) -> float & {
        return errors[static_cast<std::size_t>(y % kRows) * stride + static_cast<std::size_t>(x + kPad)];
    };
    for (std::int32_t y = 0; y < area.height(); ++y) {
        const bool forward = y % 2 == 0;
        const std::int32_t step = forward ? 1 : -1;
        for (std::int32_t i = 0; i < width; ++i) {
            const std::int32_t x = forward ? i : width - 1 - i;
            const float value = area.canvas.light[area.at(x, y)] + error(y, x);
            const bool white = value >= 0.5f;
            area.black[area.at(x, y)] = white ? 0 : 1;
            const float e = value - (white ? 1.0f : 0.0f);
            for (const Share &share : shares) {
                const std::int32_t nx = x + share.dx * step;
                if (nx >= 0 && nx < width && y + share.dy < area.height())
                    error(y + share.dy, nx) += e * share.weight;
            }
        }
        // This row's slot becomes the row two below: start it clean.
        std::fill_n(
            errors.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y % kRows) * stride),
            stride, 0.0f);
    }
}

// The classic recursive 8 x 8 ordered matrix; the dot at (x, y) is white
// when the light reaches (M + 0.5) / 64, so flat light L makes a share of
// white dots within 1/64 of L.
void bayer(const Area &area)
{
    static const std::array<std::array<float, 8>, 8> limits = [] {
        std::array<std::array<int, 8>, 8> m {};
        for (int size = 1; size < 8; size *= 2)
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x) {
                    const int v = 4 * m[y][x];
                    m[y][x] = v;
                    m[y][x + size] = v + 2;
                    m[y + size][x] = v + 3;
                    m[y + size][x + size] = v + 1;
                }
        std::array<std::array<float, 8>, 8> l {};
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                l[y][x] = (static_cast<float>(m[y][x]) + 0.5f) / 64.0f;
        return l;
    }();
    for (std::int32_t y = 0; y < area.height(); ++y)
        for (std::int32_t x = 0; x < area.width(); ++x) {
            // Anchored to the canvas, so neighbouring pictures line up.
            const float limit = limits[static_cast<std::size_t>((area.canvas.top + y) % 8)]
                                      [static_cast<std::size_t>((area.canvas.left + x) % 8)];
            area.black[area.at(x, y)] = area.canvas.light[area.at(x, y)] >= limit ? 0 : 1;
        }
}

} // namespace

std::vector<std::uint8_t> toneCanvas(const Canvas &canvas, Tone tone, int thresholdPercent, bool invert)
{
    std::vector<std::uint8_t> black(canvas.light.size(), 0);
    const Area area {canvas, black};
    switch (tone) {
    case Tone::Threshold:
        threshold(area, thresholdPercent);
        break;
    case Tone::FloydSteinberg:
        diffuse(area, kFloydSteinberg);
        break;
    case Tone::Atkinson:
        diffuse(area, kAtkinson);
        break;
    case Tone::Bayer:
        bayer(area);
        break;
    }
    if (invert)
        for (std::int32_t y = 0; y < area.height(); ++y)
            for (std::int32_t x = 0; x < area.width(); ++x)
                black[area.at(x, y)] ^= 1;
    return black;
}

} // namespace quellbit
