// The whole intake over arbitrary file bytes: header read, acceptance test,
// our decoder, the info report and a conversion into memory. Any mismatch
// aborts:
// - the intake ends with a verdict or with Failure naming the file, and the
//   report on the same bytes comes to the same outcome;
// - a rejected picture has no pixels;
// - an accepted one is 240 x 128, its table and pixels lie inside the file,
//   Palette0 and Palette1 are its table's entries, and each pixel is the
//   colour of the entry its bit selects (a 1 bit only with two entries);
// - its data file is 21,600 bytes, the same each time.

#include "common/failure.h"
#include "convert/scan.h"
#include "intake/picture_intake.h"
#include "intake/picture_report.h"

#include <cstdlib>

namespace {

using namespace quellbit;

void require(bool condition)
{
    if (!condition)
        std::abort();
}

std::int32_t entryColour(const std::uint8_t *data, std::uint64_t offset)
{
    return colorValue(RGBQUAD {data[offset], data[offset + 1], data[offset + 2], data[offset + 3]});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::span<const std::uint8_t> bytes(data, size);
    const PictureReport report = reportPicture(bytes, "fuzz.bmp");
    PictureIntake intake;
    try {
        intake = takePicture(bytes, "fuzz.bmp");
    } catch (const Failure &failure) {
        require(failure.file() == "fuzz.bmp" && !failure.reason().empty());
        require(report.status == PictureStatus::Broken);
        return 0;
    }
    const BitmapHeaders &h = intake.headers;
    const bool fits
        = h.info.biHeight == kPictureHeight && h.info.biWidth == kPictureWidth && h.info.biBitCount == 1;
    require((intake.verdict == Verdict::Accepted) == fits);
    if (intake.verdict != Verdict::Accepted) {
        require(report.status == PictureStatus::Rejected);
        require(intake.raster.width() == 0 && intake.raster.height() == 0);
        return 0;
    }
    require(report.status == PictureStatus::Accepted);
    require(intake.raster.width() == kPictureWidth && intake.raster.height() == kPictureHeight);

    const PictureLayout layout = pictureLayout(h);
    require(h.info.biSize >= 40 && h.info.biCompression == 0);
    require(layout.tableEntries >= 1 && layout.tableEntries <= 256);
    require(
        layout.tableOffset == 14 + std::uint64_t {h.info.biSize} && layout.tableEnd <= layout.pixelOffset);
    require(layout.pixelOffset + 128 * 32 <= size);
    const std::int32_t colour0 = entryColour(data, layout.tableOffset);
    const std::int32_t colour1 = layout.tableEntries >= 2 ? entryColour(data, layout.tableOffset + 4) : -1;
    require(colorValue(h.palette0) == colour0);
    require(colour1 < 0 || colorValue(h.palette1) == colour1);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 240; ++x) {
            const bool one = (data[layout.pixelOffset + std::uint64_t(127 - y) * 32 + std::uint64_t(x / 8)]
                                 >> (7 - x % 8))
                & 1;
            require(!one || colour1 >= 0);
            require(intake.raster.row(y)[std::size_t(x)] == (one ? colour1 : colour0));
        }

    const std::string first = convertToText(intake.raster, colorValue(h.palette0));
    require(first.size() == 21600 && convertToText(intake.raster, colorValue(h.palette0)) == first);
    return 0;
}
