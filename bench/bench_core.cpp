// Measurements of the conversion core on one 240 x 128 picture:
//   raster to data text in memory         (target: under 20 us)
//   bitmap file to data file on disk      (target: under 200 us)
//   data file to plotted surface          (target: under 50 us)
//   our decoder beside Qt's image reader on the same bytes (ratio reported)

#include "common/output_file.h"
#include "convert/scan.h"
#include "imaging/bitmap_image.h"
#include "intake/picture_intake.h"
#include "preview/plot.h"
#include "support/bmp_writer.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>

using namespace quellbit;

namespace {

// A picture with structure and noise, so that no byte pattern dominates.
int dot(int x, int y)
{
    static const std::vector<int> noise = [] {
        std::mt19937 random(42);
        std::vector<int> v(240 * 128);
        for (int &d : v)
            d = int(random() % 2);
        return v;
    }();
    if (y < 32)
        return (x / 8 + y / 8) % 2;
    return noise[std::size_t(y * 240 + x)];
}

PixelRaster samplePicture()
{
    PixelRaster raster(240, 128, 0xFFFFFF);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 240; ++x)
            if (dot(x, y))
                raster.writableRow(y)[static_cast<std::size_t>(x)] = 0x000000;
    return raster;
}

QTemporaryDir &workDir()
{
    static QTemporaryDir dir;
    if (!dir.isValid())
        std::abort();
    return dir;
}

// The sample picture saved as a 240 x 128 one-bit bitmap in the work folder.
QString savedPicture(const QString &name)
{
    testbmp::Layout layout;
    layout.pixel = dot;
    const QString picture = workDir().filePath(name);
    if (!testbmp::save(picture.toStdString(), testbmp::build(layout)))
        std::abort();
    return picture;
}

void RasterToText(benchmark::State &state)
{
    const PixelRaster raster = samplePicture();
    for (auto _ : state) {
        std::string text = convertToText(raster, 0x000000);
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(RasterToText)->Unit(benchmark::kMicrosecond);

void BitmapFileToDataFile(benchmark::State &state)
{
    const std::string picture = savedPicture("picture.bmp").toStdString();
    const QString output = workDir().filePath("lcd_picture.txt");

    for (auto _ : state) {
        const PictureIntake intake = takePicture(picture);
        const BITMAPINFOHEADER &info = intake.headers.info;
        OutputFile sink(output.toStdString());
        NullProgress progress;
        scanPicture(intake.raster, colorValue(intake.headers.palette0), setRange(info.biWidth, info.biHeight),
                    info.biWidth, info.biHeight, sink, progress);
        sink.commit();
    }
}
BENCHMARK(BitmapFileToDataFile)->Unit(benchmark::kMicrosecond);

// The parts of the file-to-file road, to see where its time goes: the
// intake (one read, judged, decoded) ...
void BitmapFileToRaster(benchmark::State &state)
{
    const std::string picture = savedPicture("part.bmp").toStdString();
    for (auto _ : state) {
        const PictureIntake intake = takePicture(picture);
        benchmark::DoNotOptimize(intake.raster.row(0).data());
    }
}
BENCHMARK(BitmapFileToRaster)->Unit(benchmark::kMicrosecond);

// ... and its decoder alone on bytes in memory, beside Qt's image reader on
// the same bytes as a peer (the window used that reader before).
void BitmapBytesToRaster(benchmark::State &state)
{
    const std::string bytes = testbmp::load(savedPicture("part.bmp").toStdString());
    const std::span<const std::uint8_t> file(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size());
    for (auto _ : state) {
        const PictureIntake intake = takePicture(file, "part.bmp");
        benchmark::DoNotOptimize(intake.raster.row(0).data());
    }
}
BENCHMARK(BitmapBytesToRaster)->Unit(benchmark::kMicrosecond);

void BitmapBytesToQImagePeer(benchmark::State &state)
{
    const std::string bytes = testbmp::load(savedPicture("part.bmp").toStdString());
    for (auto _ : state) {
        QImage image;
        if (!image.loadFromData(reinterpret_cast<const uchar *>(bytes.data()), int(bytes.size()), "BMP"))
            std::abort();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BitmapBytesToQImagePeer)->Unit(benchmark::kMicrosecond);

void SaveDataFile(benchmark::State &state)
{
    const std::string text = convertToText(samplePicture(), 0x000000);
    const QString output = workDir().filePath("lcd_part.txt");
    for (auto _ : state) {
        OutputFile sink(output.toStdString());
        for (std::size_t at = 0; at < text.size(); at += 45)
            sink.writeLine(std::string_view(text).substr(at, 45));
        sink.commit();
    }
}
BENCHMARK(SaveDataFile)->Unit(benchmark::kMicrosecond);

void DataFileToSurface(benchmark::State &state)
{
    const QString path = workDir().filePath("lcd_preview.txt");
    QFile file(path);
    const std::string text = convertToText(samplePicture(), 0x000000);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size()))
        std::abort();
    file.close();
    const std::string name = path.toStdString();

    QImage image(240, 128, QImage::Format_RGB32);
    ImageSurface surface(image, qRgb(0, 128, 0));
    for (auto _ : state) {
        PlotState plot;
        loadPreview(name, plot, surface, 240, 128);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(DataFileToSurface)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
