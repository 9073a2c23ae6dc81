#pragma once

// Scaling a picture onto the 240 x 128 canvas of the LCD, row by row as the
// decoder hands the rows on, in linear light.
//
// Sizing: fit (scaled to fit inside the canvas keeping its aspect ratio,
// centred on white), fill (scaled to cover the canvas, centred, the rest
// cut), stretch (to exactly 240 x 128), crop (not scaled: the canvas shows
// the picture from pixel X,Y on, white where the picture ends). A picture of
// 240 x 128 is never scaled.
//
// Resampling, along each axis on its own, by area: a canvas pixel takes
// every source pixel it covers, weighted by how much of it is covered.
// Shrinking, that averages (no aliasing, no dropped lines); enlarging, each
// source pixel keeps its share of the canvas, so an edge lands within one
// dot of where it belongs and a thin line keeps its thickness; a whole
// factor repeats each pixel that many times (pixel art stays sharp).

#include "prepare/light.h"
#include "prepare/picture_rows.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace quellbit {

enum class Sizing { Fit, Fill, Stretch, Crop };

// The sizings by the names the command line and the page give them.
inline constexpr std::array<std::pair<std::string_view, Sizing>, 4> kSizingNames {
    {{"fit", Sizing::Fit}, {"fill", Sizing::Fill}, {"stretch", Sizing::Stretch}, {"crop", Sizing::Crop}}};

// Where the scaled picture lies: its size, and where its top-left pixel
// lands on the canvas (negative where it is cut).
struct Placement {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
};

// `cropX`, `cropY` are used by Sizing::Crop only.
Placement placePicture(
    std::int32_t width, std::int32_t height, Sizing sizing, std::int32_t cropX = 0, std::int32_t cropY = 0);

// The picture's light on the canvas, row by row from the top (1 = white
// outside the picture), and the part of the canvas the picture covers:
// columns [left, right), rows [top, bottom).
struct Canvas {
    std::vector<float> light;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// Receives the decoded rows and builds the canvas. Holds the canvas and one
// row, never the whole picture.
class CanvasBuilder final : public PictureRows {
public:
    CanvasBuilder(Sizing sizing, std::int32_t cropX, std::int32_t cropY);

    void begin(std::int32_t width, std::int32_t height) override;
    bool wants(std::int32_t y) const override;
    void row(std::int32_t y, Samples samples, std::span<const std::uint8_t> values) override;
    // A run of like rows costs one row: each canvas row takes it once, by
    // the sum of the weights the run's rows have there.
    void sameRows(std::int32_t from, std::int32_t to, Samples samples, std::span<const std::uint8_t> values) override;

    std::int32_t sourceWidth() const { return width_; }
    std::int32_t sourceHeight() const { return height_; }
    const Placement &placement() const { return placement_; }
    // The canvas once every row has been given.
    Canvas finish() const;

    // How one canvas position along an axis is made: the weighted sum of
    // the source pixels [first, first + count), divided by `total`; count 0
    // outside the picture.
    struct Tap {
        std::int32_t first = 0;
        std::int32_t count = 0;
        std::size_t weightAt = 0;
        float total = 0;
    };
    struct Axis {
        std::vector<Tap> taps; // one a canvas position
        std::vector<float> weights;
        std::int32_t coveredBegin = 0;
        std::int32_t coveredEnd = 0;
    };
    // `source` pixels scaled to `scaled`, whose first pixel lands at
    // `shift` on a canvas of `canvas` positions.
    static Axis makeAxis(std::int32_t source, std::int32_t scaled, std::int32_t shift, std::int32_t canvas);

private:
    Sizing sizing_;
    std::int32_t cropX_;
    std::int32_t cropY_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    Placement placement_;
    LightTable table_;
    Axis across_;
    Axis down_;
    // For each source row, the canvas rows it adds to and with what weight:
    // entries [rowStart_[y], rowStart_[y + 1]) of rowTargets_.
    std::vector<std::uint32_t> rowStart_;
    std::vector<std::pair<std::int32_t, float>> rowTargets_;
    std::vector<double> sums_; // canvas, before dividing by the row totals
    std::vector<float> light_; // the light of the current source row
    std::vector<float> acrossRow_; // the current row resampled across
    // A picture narrower than its place on the canvas is resampled down
    // first, in its own columns (canvas rows x source columns), and across
    // once per canvas row at the end: each source row then costs its own
    // width, not the canvas's.
    bool downFirst_ = false;
    std::vector<double> columnSums_;
    // The canvas sums from columnSums_.
    std::vector<double> acrossColumnSums() const;
    // The light of a source row into light_ (and across into acrossRow_).
    void takeLight(Samples samples, std::span<const std::uint8_t> values);
    // The row taken adds to canvas row c by `weight`.
    void addTo(std::int32_t c, double weight);
    std::vector<double> runWeights_; // sameRows(): a weight for each canvas row
};

} // namespace quellbit
